#include "engine/render/gamma_ramp.h"

#include <algorithm>
#include <cmath>

bool IsNeutralGammaLevel(int32_t level) {
  return std::clamp(level, kGammaLevelMin, kGammaLevelMax) == kNeutralGammaLevel;
}

GammaRamp BuildGammaRamp(int32_t level) {
  GammaRamp ramp{};
  const int32_t l = std::clamp(level, kGammaLevelMin, kGammaLevelMax);
  if (l == kNeutralGammaLevel) {  // exact, whatever the rounding below would give
    for (int32_t i = 0; i < 256; ++i) ramp[size_t(i)] = uint8_t(i);
    return ramp;
  }
  const double exponent = 1.0 / std::exp2(double(l - kNeutralGammaLevel) / 50.0);
  for (int32_t i = 0; i < 256; ++i) {
    const double v = 255.0 * std::pow(double(i) / 255.0, exponent);
    ramp[size_t(i)] = uint8_t(std::clamp(std::lround(v), 0L, 255L));
  }
  return ramp;
}
