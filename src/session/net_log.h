#pragma once
// Console lines about what other machines sent: refused messages, late
// ones, unhandled requests. A peer could send thousands a second, so each
// peer gets at most a few lines a second; what is left out is counted and
// told with its next line. Never a box: a box on the host stalls every
// machine. The limit reads the program's monotonic clock, which touches
// only what is printed, never the game.
#include <chrono>
#include <cstdint>

inline constexpr int kNetLogLinesPerSecond = 3;

// At most `lines` lines in each `window`; what it leaves out is counted.
class LogBudget {
 public:
  LogBudget(int32_t lines, std::chrono::seconds window) : lines_(lines), window_(window) {}
  // True when a line may be printed now.
  bool Take();
  // The lines left out since the last call.
  int32_t TakeLeftOut();

 private:
  int32_t lines_;
  std::chrono::seconds window_;
  std::chrono::steady_clock::time_point start_{};
  int32_t used_ = 0;
  int32_t leftOut_ = 0;
};

// A line about peer `peer` (a player number, 0 for the host or nobody).
// False when it was left out.
bool NetLogF(int32_t peer, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Lines printed and left out since the program started (tests).
int32_t NetLogLinesPrinted();
int32_t NetLogLinesLeftOut();
