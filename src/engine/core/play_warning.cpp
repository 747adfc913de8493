#include "engine/core/play_warning.h"

#include <cstdarg>
#include <cstdio>
#include <map>
#include <string>

#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/core/run_state.h"

namespace {
int32_t g_count = 0;

constexpr int32_t kRepeatsLoggedWhole = 10;

std::map<std::string, int32_t>& PerFileCounts() {
  static std::map<std::string, int32_t> counts;
  return counts;
}

std::string PerFileKey(std::string_view kind, std::string_view file) {
  return std::string(kind) + '|' + std::string(file);
}

bool PowerOfTen(int32_t n) {
  while (n % 10 == 0) n /= 10;
  return n == 1;
}
}  // namespace

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

void ReportPerFileF(int level, std::string_view kind, std::string_view file, const char* format, ...) {
  const int32_t n = ++PerFileCounts()[PerFileKey(kind, file)];
  if (n > kRepeatsLoggedWhole) {
    if (PowerOfTen(n))
      PlayWarningF("%d reports so far of \"%.*s\" in %.*s", n, int(kind.size()), kind.data(), int(file.size()),
                   file.data());
    return;
  }
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  const bool playing = RunState().gameRunning && RunState().startupFinished;
  if (n == 1 && !playing)
    ReportErrorF(level, "%s", text);
  else
    PlayWarningF("%s", text);
}

int32_t PerFileReportCount(std::string_view kind, std::string_view file) {
  const auto it = PerFileCounts().find(PerFileKey(kind, file));
  return it == PerFileCounts().end() ? 0 : it->second;
}

void ResetPerFileReports() { PerFileCounts().clear(); }
