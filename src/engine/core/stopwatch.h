#pragma once
// A cycle-counter stopwatch (used to time the traffic update).
#include <cstdint>

struct CStopwatch {
  int64_t start = 0;
  int64_t elapsed = 0;   // cycles between Start and Stop, less the overhead
  int32_t overhead = 0;  // cycles a bare Start/Stop pair costs

  void Start();
  void Stop();
  // One warm-up pair, then overhead = the mean of ten empty pairs.
  void Calibrate();
};

// The program's one stopwatch, calibrated on first use.
CStopwatch& Stopwatch();
int64_t ReadCycleCounter();
