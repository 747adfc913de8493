#include "engine/core/fpu_control.h"

#include <cfenv>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#define RC_HAVE_X87 1
#endif

namespace {

#if RC_HAVE_X87
uint16_t ReadX87ControlWord() {
  uint16_t word = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(word));
  return word;
}

void ResetX87(uint16_t word) {
  __asm__ __volatile__("fninit\n\tfldcw %0" : : "m"(word) : "memory");
}

// MXCSR: every exception masked (bits 7-12), rounding in bits 13-14, no
// flush-to-zero or denormals-are-zero, no sticky flags.
constexpr uint32_t kMxcsrDefault = 0x1F80;
#endif

}  // namespace

bool FpuGetMode(int32_t& precision, int32_t& rounding) {
#if RC_HAVE_X87
  precision = (ReadX87ControlWord() >> 8) & 3;
  rounding = int32_t((_mm_getcsr() >> 13) & 3);
#else
  precision = 3;
  switch (std::fegetround()) {
    case FE_DOWNWARD: rounding = 1; break;
    case FE_UPWARD: rounding = 2; break;
    case FE_TOWARDZERO: rounding = 3; break;
    default: rounding = 0; break;
  }
#endif
  return true;
}

bool FpuSetMode(int32_t precision, int32_t rounding) {
  if (precision < 0 || precision > 3 || rounding < 0 || rounding > 3 || precision == 1) return false;
#if RC_HAVE_X87
  // 0x037F is the x87 default after fninit: all exceptions masked.
  uint16_t word = uint16_t((0x037F & ~0x0F00) | (precision << 8) | (rounding << 10));
  ResetX87(word);
  _mm_setcsr(kMxcsrDefault | (uint32_t(rounding) << 13));
#else
  static const int kModes[4] = {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO};
  std::fesetround(kModes[rounding]);
#endif
  return true;
}

void FpuSetFullPrecision() { FpuSetMode(3, 0); }

bool DebugTrace(const char*) { return true; }
