#pragma once
#include <cstdint>

namespace platform {

// Milliseconds from a monotonic clock, wrapping at 2^32 like the system timer
// the game was written for.
uint32_t timeGetTime();

}  // namespace platform
