#include "platform/clock.h"

#include <time.h>

namespace platform {

uint32_t timeGetTime() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  uint64_t ms = uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
  return uint32_t(ms);
}

}  // namespace platform
