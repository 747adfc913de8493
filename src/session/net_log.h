#pragma once
// Console lines about what other machines sent: refused messages, late
// ones, unhandled requests. A peer could send thousands a second, so each
// peer gets at most a few lines a second; what is left out is counted and
// told with its next line, or once its second is over when no line follows.
// Never a box: a box on the host stalls every machine. The limit reads the
// wall clock (session/wall_clock.h), which touches only what is printed,
// never the game.
#include <chrono>
#include <cstdint>

inline constexpr int kNetLogLinesPerSecond = 3;

// At most `lines` lines in each `window`; what it leaves out is counted.
class LogBudget {
 public:
  LogBudget(int32_t lines, std::chrono::seconds window)
      : lines_(lines), windowMs_(std::chrono::milliseconds(window).count()) {}
  // True when a line may be printed now.
  bool Take();
  // The lines left out since the last call.
  int32_t TakeLeftOut();
  // The same, but only once the window they were left out in has ended (0
  // before): nothing may be printed until then, and the count must not wait
  // for a line that may never come.
  int32_t TakeLeftOutOfPastWindow();

 private:
  bool WindowOver(int64_t now) const { return !started_ || now - startMs_ >= windowMs_; }

  int32_t lines_;
  int64_t windowMs_;
  bool started_ = false;
  int64_t startMs_ = 0;
  int32_t used_ = 0;
  int32_t leftOut_ = 0;
};

// A line about peer `peer` (a player number, 0 for the host or nobody).
// False when it was left out.
bool NetLogF(int32_t peer, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Tells, for every peer whose second is over, how many of its lines were
// left out (the network poll calls it).
void FlushNetLog();
// Every peer's budget whole again, once what it left out is told: a new
// game's peers owe nothing of the last game's (the session's reset, the
// network game's end).
void ResetNetLog();
// Lines printed and left out since the program started (tests).
int32_t NetLogLinesPrinted();
int32_t NetLogLinesLeftOut();
