#include "session/wall_clock.h"

#include <chrono>

namespace {

WallClock installed = nullptr;

int64_t MonotonicMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int64_t WallClockMs() { return installed ? installed() : MonotonicMs(); }

void SetWallClock(WallClock clock) { installed = clock; }
