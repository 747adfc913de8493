#pragma once
// The GL driver (Mesa) keeps allocations of its own for the life of the
// process; tests that drive it tell the leak checker to ignore what is
// allocated while they run. Leak checking stays on for everything else.
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
inline void IgnoreDriverAllocations(bool ignore) {
  if (ignore)
    __lsan_disable();
  else
    __lsan_enable();
}
#else
inline void IgnoreDriverAllocations(bool) {}
#endif
