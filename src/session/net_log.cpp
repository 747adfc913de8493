#include "session/net_log.h"

#include <array>
#include <chrono>
#include <cstdarg>
#include <cstdio>

#include "engine/core/console.h"

namespace {

// Player numbers 0..6; anything else shares the last entry.
std::array<LogBudget, 8> budgets = [] {
  const LogBudget one(kNetLogLinesPerSecond, std::chrono::seconds(1));
  return std::array<LogBudget, 8>{one, one, one, one, one, one, one, one};
}();
int32_t totalPrinted = 0;
int32_t totalLeftOut = 0;

}  // namespace

bool LogBudget::Take() {
  const auto now = std::chrono::steady_clock::now();
  if (now - start_ >= window_) {
    start_ = now;
    used_ = 0;
  }
  if (used_ >= lines_) {
    ++leftOut_;
    return false;
  }
  ++used_;
  return true;
}

int32_t LogBudget::TakeLeftOut() {
  const int32_t n = leftOut_;
  leftOut_ = 0;
  return n;
}

bool NetLogF(int32_t peer, const char* format, ...) {
  LogBudget& b = budgets[peer >= 0 && peer < 7 ? size_t(peer) : 7];
  if (!b.Take()) {
    ++totalLeftOut;
    return false;
  }
  ++totalPrinted;
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (const int32_t leftOut = b.TakeLeftOut(); leftOut > 0) {
    ConsolePrintF(kConsoleError, "%s (%d more such lines left out)", text, leftOut);
  } else {
    ConsolePrintF(kConsoleError, "%s", text);
  }
  return true;
}

int32_t NetLogLinesPrinted() { return totalPrinted; }
int32_t NetLogLinesLeftOut() { return totalLeftOut; }
