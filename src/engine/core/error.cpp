#include "engine/core/error.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/message_box.h"

namespace {

void* g_owner_window = nullptr;

WarningCapture*& CurrentCapture() {
  static WarningCapture* capture = nullptr;
  return capture;
}

FatalCleanup*& InnermostCleanup() {
  static FatalCleanup* cleanup = nullptr;
  return cleanup;
}

FatalExitHandler& FatalHandler() {
  static FatalExitHandler handler;
  return handler;
}

}  // namespace

void ShowFatalError(int32_t, const char* text) {
  platform::ShowMessageBox("ERROR!", text ? text : "", platform::BoxIcon::Error);
}

void ShowWarning(int32_t, const char* text) {
  platform::ShowMessageBox("WARNING!", text ? text : "", platform::BoxIcon::Warning);
}

void SetErrorOwnerWindow(void* window) { g_owner_window = window; }
void* GetErrorOwnerWindow() { return g_owner_window; }

int32_t ReportError(int32_t level, int32_t unused, const char* text) {
  if (level == 0) {
    ShowFatalError(unused, text);
    // Each step runs once, even when one of them reports a fatal error too.
    while (FatalCleanup* cleanup = InnermostCleanup()) {
      InnermostCleanup() = cleanup->outer_;
      if (cleanup->step_) cleanup->step_();
    }
    if (FatalHandler()) FatalHandler()(text ? text : "");
    std::exit(1);
  }
  if (level == 1) {
    if (WarningCapture* capture = CurrentCapture()) capture->Keep(text);
    else ShowWarning(unused, text);
  }
  return -1;
}

int32_t ReportErrorF(int32_t level, const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return ReportError(level, 0, buffer);
}

FatalExitHandler SetFatalExitHandler(FatalExitHandler handler) {
  FatalExitHandler old = std::move(FatalHandler());
  FatalHandler() = std::move(handler);
  return old;
}

void ThrowOnFatalError() {
  SetFatalExitHandler([](const char* text) {
    static thread_local std::string last;
    last = text;
    throw FatalErrorException{last.c_str()};
  });
}

FatalCleanup::FatalCleanup(std::function<void()> step) : outer_(InnermostCleanup()), step_(std::move(step)) {
  InnermostCleanup() = this;
}

FatalCleanup::~FatalCleanup() {
  // Already taken off when a fatal error ran it.
  for (FatalCleanup** at = &InnermostCleanup(); *at != nullptr; at = &(*at)->outer_) {
    if (*at == this) {
      *at = outer_;
      break;
    }
  }
}

bool WarningsCaptured() { return CurrentCapture() != nullptr; }

WarningCapture::WarningCapture() : outer_(CurrentCapture()) { CurrentCapture() = this; }
WarningCapture::~WarningCapture() { CurrentCapture() = outer_; }
