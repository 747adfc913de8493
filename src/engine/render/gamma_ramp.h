#pragma once
// The brightness setting of the graphics options as a gamma ramp: one table
// of 256 output levels that the renderers apply to the finished picture on
// its way to the window (the desktop's own ramp is never touched).
#include <array>
#include <cstdint>

inline constexpr int32_t kGammaLevelMin = 0;
inline constexpr int32_t kGammaLevelMax = 100;
// The profile's default: the picture is shown exactly as drawn.
inline constexpr int32_t kNeutralGammaLevel = 35;

using GammaRamp = std::array<uint8_t, 256>;

// Level L (clamped to 0..100) maps a channel value v to
//   255 * (v / 255) ^ (1 / g), with g = 2 ^ ((L - 35) / 50),
// so 35 is the identity, 0 darkens (g about 0.62: mid grey 128 becomes 83)
// and 100 brightens (g about 2.46: 128 becomes 193). Black and white stay.
// Equal steps of the slider are equal ratios of g, so the slider feels even
// on both sides of the default.
GammaRamp BuildGammaRamp(int32_t level);
bool IsNeutralGammaLevel(int32_t level);
