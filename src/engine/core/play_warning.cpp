#include "engine/core/play_warning.h"

#include <cstdarg>
#include <cstdio>

#include "engine/core/console.h"

namespace {
int32_t g_count = 0;
}

void PlayWarningF(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  ++g_count;
  ConsolePrintF(kConsoleError, "WARNING: %s", text);
}

int32_t PlayWarningCount() { return g_count; }
