// The affine triangle fillers: one set-up in 16.16 fixed point (rows top to
// bottom, spans left to right), specialised per filler at compile time so the
// span loops carry only the work their filler needs.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "engine/render/raster.h"

uint16_t* ColourRows[kRasterMaxRows];
uint16_t* DepthRows[kRasterMaxRows];
int32_t RowPitch = 640;
uint8_t PixelIs565 = 1;
ClipRectangle ClipRect = {0, 0, 640, 480};
RasterVertexBlock g_RasterVertices;

const int8_t MipLevelTable[256] = {
    0, 1, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5,
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
};

namespace {

int32_t g_TargetWidth = 640;
int32_t g_TargetRows = 480;

// 65535 x 65536: depth keys in [0, 0.5] become the upper half of a 32-bit
// accumulator in [0, 0x7FFF].
constexpr float kDepthScale = 4294836224.0f;

enum class Fill { Textured, TexturedKeyed, TexturedDepth, TexturedDepthKeyed, Silhouette, Flat,
                  FlatDepth };

constexpr bool IsTextured(Fill k) { return k != Fill::Flat && k != Fill::FlatDepth; }
constexpr bool HasDepth(Fill k) {
  return k == Fill::TexturedDepth || k == Fill::TexturedDepthKeyed || k == Fill::FlatDepth;
}

// What one span needs: the level's texels and the per-pixel steps.
struct SpanState {
  const uint16_t* texels = nullptr;
  uint32_t sizeMask = 0;  // Size - 1
  uint32_t rowMask = 0;   // Mask without the column bits
  int32_t vShift = 16;    // 16 - Shift: moves v's integer part to the row bits
  uint32_t du = 0, dv = 0;
  uint32_t dz = 0;
  uint16_t colour = 0;  // flat or silhouette colour
  uint16_t key = 0;     // the key bit of the current format
};

inline uint32_t TexelIndex(const SpanState& s, uint32_t u, uint32_t v) {
  return ((v >> s.vShift) & s.rowMask) | ((u >> 16) & s.sizeMask);
}

template <Fill K>
void DrawSpan(const SpanState& s, int32_t row, int32_t x0, int32_t count, uint32_t u, uint32_t v,
              uint32_t z) {
  uint16_t* p = ColourRows[row] + x0;
  if constexpr (K == Fill::Flat) {
    std::fill_n(p, count, s.colour);
  } else if constexpr (K == Fill::FlatDepth) {
    uint16_t* d = DepthRows[row] + x0;
    for (int32_t i = 0; i < count; ++i, z += s.dz) {
      uint16_t nz = uint16_t(z >> 16);
      if (nz >= d[i]) {
        d[i] = nz;
        p[i] = s.colour;
      }
    }
  } else {
    const uint16_t* tex = s.texels;
    if constexpr (K == Fill::Textured) {
      for (int32_t i = 0; i < count; ++i, u += s.du, v += s.dv) p[i] = tex[TexelIndex(s, u, v)];
    } else if constexpr (K == Fill::TexturedKeyed) {
      for (int32_t i = 0; i < count; ++i, u += s.du, v += s.dv) {
        uint16_t t = tex[TexelIndex(s, u, v)];
        if (t >= s.key) p[i] = uint16_t(t - s.key);
      }
    } else if constexpr (K == Fill::Silhouette) {
      for (int32_t i = 0; i < count; ++i, u += s.du, v += s.dv) {
        if (tex[TexelIndex(s, u, v)] >= s.key) p[i] = s.colour;
      }
    } else if constexpr (K == Fill::TexturedDepth) {
      uint16_t* d = DepthRows[row] + x0;
      for (int32_t i = 0; i < count; ++i, u += s.du, v += s.dv, z += s.dz) {
        uint16_t nz = uint16_t(z >> 16);
        if (nz >= d[i]) {
          d[i] = nz;
          p[i] = tex[TexelIndex(s, u, v)];
        }
      }
    } else {  // TexturedDepthKeyed
      uint16_t* d = DepthRows[row] + x0;
      for (int32_t i = 0; i < count; ++i, u += s.du, v += s.dv, z += s.dz) {
        uint16_t nz = uint16_t(z >> 16);
        if (nz >= d[i]) {
          uint16_t t = tex[TexelIndex(s, u, v)];
          if (t & s.key) {
            d[i] = nz;
            p[i] = t;
          }
        }
      }
    }
  }
}

// One edge walking down the rows: x in 16.16 (kept in 64 bits, so far
// off-screen edges cannot overflow before they are cut to the clip rectangle).
struct Edge {
  int64_t x = 0, step = 0;
};

template <Fill K>
void FillAffine(const SoftTexture* texture, bool clip) {
  constexpr bool kTextured = IsTextured(K);
  constexpr bool kDepth = HasDepth(K);
  RasterVertex* v = g_RasterVertices.v;
  SpanState span;
  if constexpr (K == Fill::Flat || K == Fill::FlatDepth) {
    span.colour = ToPixel16(g_RasterVertices.FlatColour);
  } else if constexpr (K == Fill::Silhouette) {
    span.colour = ToPixel16(g_RasterVertices.SilhouetteColour);
  }
  int32_t y16[3];
  for (int i = 0; i < 3; ++i) y16[i] = RasterRound(v[i].y * 65536.0f);

  if constexpr (kTextured) {
    if ((y16[0] >> 16) == (y16[1] >> 16) && (y16[1] >> 16) == (y16[2] >> 16)) return;
    int32_t c0 = RasterRound(v[0].x), c1 = RasterRound(v[1].x), c2 = RasterRound(v[2].x);
    if (c0 == c1 && c1 == c2) return;
    // From here u and v are in level-0 texels.
    float scale = float(1 << texture->Levels[0].Shift);
    for (int i = 0; i < 3; ++i) {
      v[i].u *= scale;
      v[i].v *= scale;
    }
  }

  auto swap = [&](int a, int b) {
    std::swap(v[a], v[b]);
    std::swap(y16[a], y16[b]);
  };
  if (y16[1] < y16[0]) swap(0, 1);
  if (y16[2] < y16[1]) swap(1, 2);
  if (y16[1] < y16[0]) swap(0, 1);

  int32_t r0 = RasterRound(v[0].y + 0.5f);
  int32_t r1 = RasterRound(v[1].y + 0.5f);
  int32_t r2 = RasterRound(v[2].y + 0.5f);
  if (clip) {
    r0 = std::clamp(r0, ClipRect.ClipTop, ClipRect.ClipBottom);
    r1 = std::clamp(r1, ClipRect.ClipTop, ClipRect.ClipBottom);
    r2 = std::clamp(r2, ClipRect.ClipTop, ClipRect.ClipBottom);
  }
  if (r0 >= r2) return;

  auto inverse = [](float h) { return h == 0.0f ? 100000.0f : 1.0f / h; };
  float i01 = inverse(v[1].y - v[0].y);
  float i02 = inverse(v[2].y - v[0].y);
  float i12 = inverse(v[2].y - v[1].y);
  float s01 = (v[1].x - v[0].x) * i01;
  float s02 = (v[2].x - v[0].x) * i02;
  float s12 = (v[2].x - v[1].x) * i12;
  bool shortLeft = s01 <= s02;

  // Texture plane gradients.
  float dudx = 0, dudy = 0, dvdx = 0, dvdy = 0;
  uint32_t u0 = 0, v0 = 0, uStep = 0, vStep = 0;
  int32_t level = 0;
  int32_t du = 0, dv = 0;
  if constexpr (kTextured) {
    float dy1 = v[1].y - v[0].y, dy2 = v[2].y - v[0].y;
    float a = v[0].x - v[1].x, b = v[2].x - v[0].x;
    float k = 1.0f / (a * dy2 + b * dy1);
    float du1 = v[1].u - v[0].u, du2 = v[2].u - v[0].u;
    float dv1 = v[1].v - v[0].v, dv2 = v[2].v - v[0].v;
    dudx = (dy1 * du2 - dy2 * du1) * k;
    dudy = (b * du1 + a * du2) * k;
    dvdx = (dy1 * dv2 - dy2 * dv1) * k;
    dvdy = (b * dv1 + a * dv2) * k;
    du = RasterRound(dudx * 65536.0f);
    dv = RasterRound(dvdx * 65536.0f);
    uint32_t magnitude = (du < 0 ? 0u - uint32_t(du) : uint32_t(du)) +
                         (dv < 0 ? 0u - uint32_t(dv) : uint32_t(dv));
    level = std::min<int32_t>(MipLevelTable[(magnitude >> 17) & 255], texture->MaxLevel);
    level = std::max(level, 0);
    const SoftTextureLevel& lv = texture->Levels[level];
    span.texels = lv.Texels;
    span.sizeMask = uint32_t(lv.Size - 1);
    span.rowMask = lv.Mask & ~span.sizeMask;
    span.vShift = 16 - lv.Shift;
    span.du = uint32_t(du >> level);
    span.dv = uint32_t(dv >> level);
    span.key = PixelIs565 ? 0x40 : 0x8000;
  }
  if constexpr (K == Fill::Silhouette) span.key = PixelIs565 ? 0x40 : 0x8000;

  float z01 = 0, z02 = 0, z12 = 0;
  if constexpr (kDepth) {
    z01 = (v[1].z - v[0].z) * i01;
    z02 = (v[2].z - v[0].z) * i02;
    z12 = (v[2].z - v[1].z) * i12;
    span.dz = uint32_t(RasterRound((z02 - z01) / (s02 - s01) * kDepthScale));
  }

  float t = float(r0) - v[0].y;
  float sL = shortLeft ? s01 : s02, sR = shortLeft ? s02 : s01;
  Edge left{RasterRound((sL * t + v[0].x) * 65536.0f), RasterRound(sL * 65536.0f)};
  Edge right{RasterRound((sR * t + v[0].x) * 65536.0f), RasterRound(sR * 65536.0f)};
  if constexpr (kTextured) {
    u0 = RasterRoundWrap((t * dudy + v[0].u - dudx * v[0].x) * 65536.0f);
    v0 = RasterRoundWrap((t * dvdy + v[0].v - dvdx * v[0].x) * 65536.0f);
    uStep = RasterRoundWrap(dudy * 65536.0f);
    vStep = RasterRoundWrap(dvdy * 65536.0f);
  }
  uint32_t zl = 0, zStep = 0;
  if constexpr (kDepth) {
    float zL = shortLeft ? z01 : z02;
    zl = uint32_t(RasterRound((zL * t + v[0].z) * kDepthScale));
    zStep = uint32_t(RasterRound(zL * kDepthScale));
  }
  // The depth fillers start spans from a gradient without its low bits.
  uint32_t duStart = uint32_t(du), dvStart = uint32_t(dv);
  if constexpr (kDepth && kTextured) {
    duStart &= ~((1u << level) - 1);
    dvStart &= ~((1u << level) - 1);
  }

  auto rows = [&](int32_t from, int32_t to) {
    for (int32_t row = from; row < to; ++row) {
      int64_t xl = (left.x + 65535) >> 16, xr = (right.x + 65535) >> 16;
      if (clip) {
        xl = std::clamp<int64_t>(xl, ClipRect.ClipLeft, ClipRect.ClipRight);
        xr = std::clamp<int64_t>(xr, ClipRect.ClipLeft, ClipRect.ClipRight);
      }
      if (xr > xl) {
        uint32_t su = 0, sv = 0;
        if constexpr (kTextured) {
          su = (u0 + uint32_t(xl) * duStart) >> level;
          sv = (v0 + uint32_t(xl) * dvStart) >> level;
        }
        DrawSpan<K>(span, row, int32_t(xl), int32_t(xr - xl), su, sv, zl);
      }
      left.x += left.step;
      right.x += right.step;
      if constexpr (kTextured) {
        u0 += uStep;
        v0 += vStep;
      }
      if constexpr (kDepth) zl += zStep;
    }
  };
  rows(r0, r1);
  // The short edge restarts at the middle vertex.
  float t1 = float(r1) - v[1].y;
  Edge shortEdge{RasterRound((t1 * s12 + v[1].x) * 65536.0f), RasterRound(s12 * 65536.0f)};
  if (shortLeft) {
    left = shortEdge;
    if constexpr (kDepth) {
      zl = uint32_t(RasterRound((t1 * z12 + v[1].z) * kDepthScale));
      zStep = uint32_t(RasterRound(z12 * kDepthScale));
    }
  } else {
    right = shortEdge;
  }
  rows(r1, r2);
}

}  // namespace

int32_t RasterRound(float value) {
  if (!(value > -2147483648.0f)) return value != value ? 0 : INT32_MIN;
  if (!(value < 2147483648.0f)) return INT32_MAX;
  return static_cast<int32_t>(std::lrintf(value));
}

uint32_t RasterRoundWrap(float value) {
  if (!(std::fabs(value) < 9.2e18f)) return 0;
  return static_cast<uint32_t>(static_cast<uint64_t>(std::llrintf(value)));
}

void RasterSetColourTarget(uint16_t* pixels, int32_t pitchPixels, int32_t width, int32_t rows) {
  rows = std::clamp(rows, 0, kRasterMaxRows);
  for (int32_t r = 0; r < rows; ++r) ColourRows[r] = pixels + std::ptrdiff_t(r) * pitchPixels;
  RowPitch = pitchPixels;
  g_TargetWidth = width;
  g_TargetRows = rows;
}

void RasterSetDepthTarget(uint16_t* depth, int32_t pitchPixels, int32_t rows) {
  rows = std::clamp(rows, 0, kRasterMaxRows);
  for (int32_t r = 0; r < rows; ++r) DepthRows[r] = depth + std::ptrdiff_t(r) * pitchPixels;
}

void RasterSetClip(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  ClipRect.ClipLeft = std::clamp(left, 0, g_TargetWidth);
  ClipRect.ClipTop = std::clamp(top, 0, g_TargetRows);
  ClipRect.ClipRight = std::clamp(right, ClipRect.ClipLeft, g_TargetWidth);
  ClipRect.ClipBottom = std::clamp(bottom, ClipRect.ClipTop, g_TargetRows);
}

void FillTextured(const SoftTexture& texture, uint8_t clip) {
  FillAffine<Fill::Textured>(&texture, clip != 0);
}
void FillTexturedKeyed(const SoftTexture& texture, uint8_t clip) {
  FillAffine<Fill::TexturedKeyed>(&texture, clip != 0);
}
void FillTexturedDepth(const SoftTexture& texture, uint8_t clip) {
  FillAffine<Fill::TexturedDepth>(&texture, clip != 0);
}
void FillTexturedDepthKeyed(const SoftTexture& texture, uint8_t clip) {
  FillAffine<Fill::TexturedDepthKeyed>(&texture, clip != 0);
}
void FillSilhouette(const SoftTexture& texture, uint8_t clip) {
  FillAffine<Fill::Silhouette>(&texture, clip != 0);
}
void FillFlat() { FillAffine<Fill::Flat>(nullptr, true); }
void FillFlatDepth() { FillAffine<Fill::FlatDepth>(nullptr, true); }
