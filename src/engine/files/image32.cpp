#include "engine/files/image32.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

Image32 g_target{0, 0, nullptr};

constexpr int kSqrtEntries = 2048;
int32_t g_sqrtTable[2 * kSqrtEntries];
bool g_sqrtTableReady = false;

bool HasTarget() { return g_target.pixels && g_target.width > 0 && g_target.height > 0; }

uint32_t* TargetRow(int32_t y) { return g_target.pixels + int64_t(y) * g_target.width; }

// Fills the part of [x0, x1) x [y0, y1) that lies on the target.
void FillClipped(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t value) {
  if (!HasTarget()) return;
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, g_target.width);
  y1 = std::min(y1, g_target.height);
  if (x1 <= x0) return;
  for (int32_t y = y0; y < y1; ++y) std::fill(TargetRow(y) + x0, TargetRow(y) + x1, value);
}

void PutClipped(int32_t x, int32_t y, uint32_t value) {
  if (HasTarget() && x >= 0 && y >= 0 && x < g_target.width && y < g_target.height)
    TargetRow(y)[x] = value;
}

// Calls visit(source pixel, target pixel) for every pixel of image placed at
// (x, y) that falls on the target.
template <class Visit>
void ForOverlap(const Image32& image, int32_t x, int32_t y, Visit visit) {
  if (!HasTarget() || !image.pixels || image.width <= 0 || image.height <= 0) return;
  int64_t sx0 = std::max<int64_t>(0, -int64_t(x)), sy0 = std::max<int64_t>(0, -int64_t(y));
  int64_t sx1 = std::min<int64_t>(image.width, int64_t(g_target.width) - x);
  int64_t sy1 = std::min<int64_t>(image.height, int64_t(g_target.height) - y);
  for (int64_t sy = sy0; sy < sy1; ++sy) {
    const uint32_t* source = image.pixels + sy * image.width;
    uint32_t* target = g_target.pixels + (sy + y) * g_target.width + x;
    for (int64_t sx = sx0; sx < sx1; ++sx) visit(source[sx], target[sx]);
  }
}

uint32_t Blend(uint32_t target, uint32_t source, uint32_t a) {
  uint32_t result = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t t = (target >> shift) & 0xFF, s = (source >> shift) & 0xFF;
    result |= ((t * (255 - a)) / 256 + (s * a) / 256) << shift;
  }
  return result;
}

}  // namespace

uint32_t SwapRedBlueWord(uint32_t c) {
  return (c & 0xFF00FF00u) | ((c & 0xFFu) << 16) | ((c >> 16) & 0xFFu);
}

void Draw2DSetTarget(const Image32& image) { g_target = image; }

const Image32& Draw2DTarget() { return g_target; }

void Draw2DFillRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t argb) {
  if (width <= 0 || height <= 0) return;
  int64_t x1 = std::min<int64_t>(int64_t(x) + width, INT32_MAX);
  int64_t y1 = std::min<int64_t>(int64_t(y) + height, INT32_MAX);
  FillClipped(x, y, int32_t(x1), int32_t(y1), SwapRedBlueWord(argb));
}

void Draw2DFillCorners(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
  if (y1 <= y0) return;
  FillClipped(x0, y0, x1, y1, colour);
}

void Draw2DPutPixel(int32_t x, int32_t y, uint32_t argb) { PutClipped(x, y, SwapRedBlueWord(argb)); }

uint32_t Draw2DGetPixel(int32_t x, int32_t y) {
  if (HasTarget() && x >= 0 && y >= 0 && x < g_target.width && y < g_target.height)
    return TargetRow(y)[x];
  return 0;
}

void Draw2DBlit(const Image32& image, int32_t x, int32_t y) {
  ForOverlap(image, x, y, [](uint32_t source, uint32_t& target) { target = source; });
}

void Draw2DAlphaBlit(const Image32& image, int32_t x, int32_t y) {
  ForOverlap(image, x, y, [](uint32_t source, uint32_t& target) {
    uint32_t a = source >> 24;
    if (a == 255) target = source;
    else if (a != 0) target = Blend(target, source, a);
  });
}

void Draw2DLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
  if (y0 == y1) {
    Draw2DFillCorners(std::min(x0, x1), y0, std::max(x0, x1), y0 + 1, colour);
    return;
  }
  int64_t dx = int64_t(x1) - x0, dy = int64_t(y1) - y0;
  int64_t steps = std::max(dx < 0 ? -dx : dx, dy < 0 ? -dy : dy);
  // Positions carry 16 fraction bits and start at the pixel centre.
  int64_t fx = (int64_t(x0) << 16) + 0x8000, fy = (int64_t(y0) << 16) + 0x8000;
  int64_t stepX = (dx << 16) / steps, stepY = (dy << 16) / steps;
  for (int64_t i = 0; i < steps; ++i, fx += stepX, fy += stepY)
    PutClipped(int32_t(fx >> 16), int32_t(fy >> 16), colour);
}

void InitSqrtTable() {
  if (g_sqrtTableReady) return;
  for (int i = 0; i < kSqrtEntries; ++i) {
    double m = 1.0 + double(i) / kSqrtEntries;
    g_sqrtTable[kSqrtEntries + i] = int32_t(std::bit_cast<uint32_t>(float(std::sqrt(m))) & 0x7FFFFF);
    g_sqrtTable[i] = int32_t(std::bit_cast<uint32_t>(float(std::sqrt(2.0 * m))) & 0x7FFFFF);
  }
  g_sqrtTableReady = true;
}

float TableSqrt(float x) {
  if (!(x > 0.0f)) return 0.0f;
  if (!std::isfinite(x)) return x;
  InitSqrtTable();
  uint32_t bits = std::bit_cast<uint32_t>(x);
  int32_t exponent = int32_t((bits >> 23) & 0xFF);
  if (exponent == 0) return 0.0f;  // denormals are below the table's reach
  // Halving the unbiased exponent rounds down, so an odd exponent borrows the
  // sqrt(2) from the mantissa entry chosen by its lowest bit.
  uint32_t halved = uint32_t((exponent + 127) >> 1);
  uint32_t mantissa = uint32_t(g_sqrtTable[(bits >> 12) & 0xFFF]);
  return std::bit_cast<float>((halved << 23) | mantissa);
}

float InvSqrt(float x) {
  uint32_t guessBits = 0xBE800000u - std::bit_cast<uint32_t>(x);
  float y0 = std::bit_cast<float>(uint32_t(std::bit_cast<int32_t>(guessBits) >> 1));
  float y1 = std::fabs(y0 * (1.47f - 0.47f * x * y0 * y0));
  return y1 * (3.0f - x * y1 * y1) * 0.5f;
}

float FastSqrt(float x) { return InvSqrt(x) * x; }

float RaySphereDistance(const Vec3& origin, const Vec3& point, float radius, float limit,
                        const Vec3& centre) {
  Vec3 direction{point.x - origin.x, point.y - origin.y, point.z - origin.z};
  VecNormalise(direction);
  Vec3 toCentre{centre.x - origin.x, centre.y - origin.y, centre.z - origin.z};
  float along = VecDot(toCentre, direction);
  if (along < 0.0f || along > radius) return -1.0f;
  float distance = VecDot(toCentre, toCentre) - along * along;
  if (distance > limit) return -1.0f;
  return std::max(distance, 0.0f);
}
