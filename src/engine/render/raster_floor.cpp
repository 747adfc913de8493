// The ground filler: 20.12 fixed-point edges walked upward from the lowest
// vertex, spans drawn right to left, with the texture position corrected for
// perspective once per row (exact on a level ground plane).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "engine/render/raster.h"

namespace {

int32_t Truncate(float value) {
  if (!(value > -2147483648.0f)) return value != value ? 0 : INT32_MIN;
  if (!(value < 2147483648.0f)) return INT32_MAX;
  return static_cast<int32_t>(value);
}

struct FloorPoint {
  int32_t x12, y12;
  float x, y;
  float q, uq, vq;
};

// One edge walking up the rows from `from` to `to`: x in 20.12; the right
// edge also carries q, u*q and v*q. These are taken as start + rows * step
// rather than summed row by row: an edge that starts far below the screen
// (ground cut at the near distance) would otherwise carry thousands of
// rounding errors into the visible rows and shift the texture.
struct FloorEdge {
  int64_t x = 0, xStep = 0;
  float q0 = 0, qStep = 0, uq0 = 0, uqStep = 0, vq0 = 0, vqStep = 0;
  int32_t rows = 0;

  void Start(const FloorPoint& from, const FloorPoint& to) {
    int64_t height = int64_t(from.y12) - to.y12;
    x = from.x12;
    q0 = from.q;
    uq0 = from.uq;
    vq0 = from.vq;
    rows = 0;
    if (height <= 0) {
      xStep = 0;
      qStep = uqStep = vqStep = 0;
      return;
    }
    xStep = (int64_t(to.x12) - from.x12) * 4096 / height;
    float h = float(height);
    qStep = (to.q - from.q) * 4096.0f / h;
    uqStep = (to.uq - from.uq) * 4096.0f / h;
    vqStep = (to.vq - from.vq) * 4096.0f / h;
    // Onto the row boundary just above the vertex.
    int32_t fraction = from.y12 & 4095;
    x += fraction * xStep / 4096;
    float f = float(fraction) / 4096.0f;
    q0 += f * qStep;
    uq0 += f * uqStep;
    vq0 += f * vqStep;
  }
  void Advance() {
    x += xStep;
    ++rows;
  }
  float Q() const { return q0 + float(rows) * qStep; }
  float UQ() const { return uq0 + float(rows) * uqStep; }
  float VQ() const { return vq0 + float(rows) * vqStep; }
};

int32_t AbsShifted(uint32_t step, int32_t shift) {
  int32_t s = int32_t(step << shift) >> 8;
  return s < 0 ? -s : s;
}

}  // namespace

void FillFloorTextured(const SoftTexture& texture, const FloorVertex& a, const FloorVertex& b,
                       const FloorVertex& c, uint8_t clip) {
  const FloorVertex* in[3] = {&a, &b, &c};
  FloorPoint p[3];
  for (int i = 0; i < 3; ++i) {
    p[i].x = in[i]->x;
    p[i].y = in[i]->y;
    p[i].x12 = Truncate(in[i]->x * 4096.0f);
    p[i].y12 = Truncate(in[i]->y * 4096.0f);
    p[i].q = 1.0f / in[i]->z;
    p[i].uq = in[i]->u * p[i].q;
    p[i].vq = in[i]->v * p[i].q;
  }
  // The lowest vertex first, keeping the cyclic order of the other two.
  int swaps = 0;
  if (p[0].y12 < p[1].y12) std::swap(p[0], p[1]), ++swaps;
  if (p[0].y12 < p[2].y12) std::swap(p[0], p[2]), ++swaps;
  if (swaps & 1) std::swap(p[1], p[2]);
  const FloorPoint &P = p[0], &Q = p[1], &R = p[2];

  float area = (R.x - P.x) * (Q.y - P.y) - (Q.x - P.x) * (R.y - P.y);
  if (!(area > 0.0f)) return;
  int32_t rowP = P.y12 / 4096, rowQ = Q.y12 / 4096, rowR = R.y12 / 4096;
  if (rowP < ClipRect.ClipTop) return;
  if (rowQ > ClipRect.ClipBottom && rowR > ClipRect.ClipBottom) return;

  // Texture gradients (units of u*q per pixel) for one step to the left.
  float gu = ((Q.uq - P.uq) * (R.y - P.y) - (R.uq - P.uq) * (Q.y - P.y)) / area;
  float gv = ((Q.vq - P.vq) * (R.y - P.y) - (R.vq - P.vq) * (Q.y - P.y)) / area;

  FloorEdge right, left;
  right.Start(P, Q);
  left.Start(P, R);
  bool qLower = Q.y12 > R.y12;
  int32_t rowMiddle = qLower ? rowQ : rowR;
  int32_t rowTop = qLower ? rowR : rowQ;
  const int32_t s0 = texture.Levels[0].Shift;

  for (int32_t row = rowP - 1; row >= rowTop; --row) {
    if (row == rowMiddle - 1) {
      if (qLower) right.Start(Q, R);
      else left.Start(R, Q);
    }
    if (clip && row < ClipRect.ClipTop) break;
    if (clip && row >= ClipRect.ClipBottom) {
      right.Advance();
      left.Advance();
      continue;
    }
    int32_t xr = int32_t(right.x / 4096), xl = int32_t(left.x / 4096);
    int32_t start = xr - 1;
    int32_t count = xr - xl;
    float zr = 16777216.0f / right.Q();
    uint32_t u = RasterRoundWrap(right.UQ() * zr), v = RasterRoundWrap(right.VQ() * zr);
    uint32_t du = RasterRoundWrap(gu * zr), dv = RasterRoundWrap(gv * zr);
    if (clip) {
      if (xr > ClipRect.ClipRight) {
        int32_t skip = xr - ClipRect.ClipRight;
        u += uint32_t(skip) * du;
        v += uint32_t(skip) * dv;
        start = ClipRect.ClipRight - 1;
        count -= skip;
      }
      count = std::min(count, start + 1 - ClipRect.ClipLeft);
    }
    if (count > 0) {
      int32_t level = MipLevelTable[((AbsShifted(du, s0) + AbsShifted(dv, s0)) >> 17) & 255];
      level = std::max(0, std::min(level, texture.MaxLevel));
      const SoftTextureLevel& lv = texture.Levels[level];
      int32_t s = lv.Shift;
      uint32_t lu = uint32_t(int32_t(u << s) >> 8), lvv = uint32_t(int32_t(v << s) >> 8);
      uint32_t ldu = uint32_t(int32_t(du << s) >> 8), ldv = uint32_t(int32_t(dv << s) >> 8);
      uint32_t sizeMask = uint32_t(lv.Size - 1), rowMask = lv.Mask & ~sizeMask;
      int32_t vShift = 16 - s;
      uint16_t* pixel = ColourRows[0] + std::ptrdiff_t(row) * RowPitch + start;
      const uint16_t* texels = lv.Texels;
      for (int32_t i = 0; i < count; ++i, --pixel, lu += ldu, lvv += ldv)
        *pixel = texels[((lvv >> vShift) & rowMask) | ((lu >> 16) & sizeMask)];
    }
    right.Advance();
    left.Advance();
  }
}
