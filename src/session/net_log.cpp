#include "session/net_log.h"

#include <array>
#include <cstdarg>
#include <cstdio>

#include "engine/core/console.h"
#include "session/wall_clock.h"

namespace {

// Player numbers 0..6; anything else shares the last entry.
constexpr size_t kOtherPeers = 7;
std::array<LogBudget, 8> budgets = [] {
  const LogBudget one(kNetLogLinesPerSecond, std::chrono::seconds(1));
  return std::array<LogBudget, 8>{one, one, one, one, one, one, one, one};
}();
int32_t totalPrinted = 0;
int32_t totalLeftOut = 0;

}  // namespace

bool LogBudget::Take() {
  const int64_t now = WallClockMs();
  if (WindowOver(now)) {
    started_ = true;
    startMs_ = now;
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

int32_t LogBudget::TakeLeftOutOfPastWindow() {
  return leftOut_ > 0 && WindowOver(WallClockMs()) ? TakeLeftOut() : 0;
}

namespace {

void TellLeftOut(size_t peer, int32_t leftOut) {
  if (leftOut <= 0) return;
  if (peer == kOtherPeers)
    ConsolePrintF(kConsoleError, "(%d more such lines about other peers left out)", leftOut);
  else
    ConsolePrintF(kConsoleError, "(%d more such lines about player %zu left out)", leftOut, peer);
}

}  // namespace

void FlushNetLog() {
  for (size_t peer = 0; peer < budgets.size(); ++peer) TellLeftOut(peer, budgets[peer].TakeLeftOutOfPastWindow());
}

void ResetNetLog() {
  // What the last game left out is told before it is forgotten.
  for (size_t peer = 0; peer < budgets.size(); ++peer) TellLeftOut(peer, budgets[peer].TakeLeftOut());
  const LogBudget whole(kNetLogLinesPerSecond, std::chrono::seconds(1));
  budgets.fill(whole);
}

bool NetLogF(int32_t peer, const char* format, ...) {
  LogBudget& b = budgets[peer >= 0 && peer < 7 ? size_t(peer) : kOtherPeers];
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
