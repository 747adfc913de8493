#include "engine/core/stopwatch.h"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#else
#include <time.h>
#endif

int64_t ReadCycleCounter() {
#if defined(__x86_64__) || defined(__i386__)
  return int64_t(__rdtsc());
#else
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
#endif
}

void CStopwatch::Start() { start = ReadCycleCounter(); }

void CStopwatch::Stop() { elapsed = ReadCycleCounter() - start - overhead; }

void CStopwatch::Calibrate() {
  overhead = 0;
  Start();
  Stop();
  int64_t sum = 0;
  for (int i = 0; i < 10; ++i) {
    Start();
    Stop();
    sum += elapsed;
  }
  overhead = int32_t(sum / 10);
}

CStopwatch& Stopwatch() {
  static CStopwatch watch = [] {
    CStopwatch w;
    w.Calibrate();
    return w;
  }();
  return watch;
}
