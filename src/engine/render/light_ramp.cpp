#include "engine/render/light_ramp.h"

#include <algorithm>

#include "engine/core/random_stream.h"

uint32_t DiffuseRamp[kDiffuseRampSize];
uint32_t SpecularRamp[kSpecularRampSize];
const uint32_t* g_DiffuseRampCentre = DiffuseRamp + kRampCentre;
const uint32_t* g_SpecularRampCentre = SpecularRamp + kRampCentre;

namespace {

uint32_t Channel(float value) {
  // Truncation toward zero, then into 0 .. 255.
  if (!(value > 0.0f)) return 0;
  if (value >= 255.0f) return 255;
  return uint32_t(int32_t(value));
}

float Byte(uint32_t colour, int shift) { return float((colour >> shift) & 0xFF); }

}  // namespace

void BuildLightRamps(uint32_t diffuse, uint32_t ambient, uint32_t step, uint32_t base,
                     float scale) {
  for (int32_t i = 0; i < kDiffuseRampSize; ++i) {
    float t = float(i) * (1.0f / 255.0f) * scale;
    float v = std::min(t, 1.0f);
    float over = t > 1.0f ? t - 1.0f : 0.0f;
    uint32_t word = Channel(over * 255.0f) << 24;
    for (int shift = 16; shift >= 0; shift -= 8) {
      float c = (Byte(ambient, shift) / 255.0f + Byte(diffuse, shift) / 255.0f * v) * 255.0f;
      word |= Channel(c) << shift;
    }
    DiffuseRamp[i] = word;
  }
  for (int32_t j = 0; j < kSpecularRampSize; ++j) {
    float s = float(j - kRampCentre) * (1.0f / 127.0f);
    uint32_t word = 0xFF000000u;
    for (int shift = 16; shift >= 0; shift -= 8) {
      float increment = s < 0.0f ? 0.0f : Byte(step, shift) / 255.0f * s;
      int32_t c = int32_t((base >> shift) & 0xFF) + int32_t(increment * 255.0f);
      word |= uint32_t(std::clamp(c, 0, 255)) << shift;
    }
    SpecularRamp[j] = word;
  }
  g_DiffuseRampCentre = DiffuseRamp + kRampCentre;
  g_SpecularRampCentre = SpecularRamp + kRampCentre;
}

CRandomStream& RendererCommonRandom() {
  static CRandomStream stream;
  return stream;
}

void RegisterRendererCommonRandomStreams() { RendererCommonRandom(); }
