#include "editor/loop_geometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kHoverRadius = 0.5f;

int PointCount(const DesignLoop& loop) { return std::min<int>(loop.pointCount, kMaxLoopPoints); }

// Squared distance from (x, z) to the segment (x0, z0)-(x1, z1), or a
// negative value when the projection falls outside it.
float SegmentDistanceSq(float x, float z, float x0, float z0, float x1, float z1) {
  const float dx = x1 - x0;
  const float dz = z1 - z0;
  const float l = std::sqrt(dx * dx + dz * dz);
  if (!(l > 0.0f)) return -1.0f;
  const float px = x - x0;
  const float pz = z - z0;
  const float t = (px * dx + pz * dz) / l;
  if (t < 0.0f || t > l) return -1.0f;
  const float d = px * px + pz * pz - t * t;
  return d;
}

}  // namespace

void PlanTransform::Fit(int32_t w, int32_t h) {
  const float cell = std::min(static_cast<float>(w) / static_cast<float>(columns + 1),
                              static_cast<float>(h) / static_cast<float>(rows + 1));
  scaleX = scaleY = cell;
  originX = (static_cast<float>(w) - static_cast<float>(columns) * cell) / 2.0f;
  originY = (static_cast<float>(h) - static_cast<float>(rows) * cell) / 2.0f;
}

void PlanTransform::ToPlan(float pixelX, float pixelY, float& x, float& z) const {
  x = (pixelX - originX) / scaleX;
  z = (pixelY - originY) / scaleY;
}

void PlanTransform::ToPixels(float x, float z, int32_t& pixelX, int32_t& pixelY) const {
  const float px = x * scaleX + originX;
  const float py = z * scaleY + originY;
  pixelX = static_cast<int32_t>(px);
  pixelY = static_cast<int32_t>(py);
}

int32_t HeightToHalfUnits(float length) {
  const float half = 2.0f * length + 0.5f;
  // Lengths come from checked coordinates; anything absurd is one piece.
  if (!(half >= 1.0f) || half > 1.0e6f) return 1;
  return std::max<int32_t>(1, static_cast<int32_t>(half));
}

int32_t EdgePieceCount(const DesignLoop& loop, int edge) {
  const int n = PointCount(loop);
  if (n == 0 || edge < 0 || edge >= n) return 1;
  const LoopPoint& a = loop.points[edge];
  const LoopPoint& b = loop.points[(edge + 1) % n];
  const float dx = b.x - a.x;
  const float dz = b.z - a.z;
  return std::min<int32_t>(HeightToHalfUnits(std::sqrt(dx * dx + dz * dz)), kMaxEdgePieces);
}

void EdgePiecePoint(const DesignLoop& loop, int edge, int k, float& x, float& z) {
  const int n = PointCount(loop);
  const LoopPoint& a = loop.points[edge];
  const LoopPoint& b = loop.points[(edge + 1) % n];
  const float f = static_cast<float>(k) / static_cast<float>(EdgePieceCount(loop, edge));
  x = a.x + (b.x - a.x) * f;
  z = a.z + (b.z - a.z) * f;
}

int NearestLoopPoint(const DesignLoop& loop, float x, float z, float r) {
  float best = r * r;
  int found = -1;
  for (int i = 0; i < PointCount(loop); ++i) {
    const float dx = loop.points[i].x - x;
    const float dz = loop.points[i].z - z;
    const float d = dx * dx + dz * dz;
    if (d <= best) {
      best = d;
      found = i;
    }
  }
  return found;
}

int NearestLoopEdge(const DesignLoop& loop, float x, float z, float r, float* bestSq) {
  const int n = PointCount(loop);
  float best = r * r;
  int found = -1;
  for (int i = 0; i < n; ++i) {
    const LoopPoint& a = loop.points[i];
    const LoopPoint& b = loop.points[(i + 1) % n];
    const float d = SegmentDistanceSq(x, z, a.x, a.z, b.x, b.z);
    if (d >= 0.0f && d < best) {
      best = d;
      found = i;
    }
  }
  if (bestSq) *bestSq = best;
  return found;
}

int NearestEdgePiece(const DesignLoop& loop, int edge, float x, float z, float r) {
  if (edge < 0 || edge >= PointCount(loop)) return -1;
  float best = r * r;
  int found = -1;
  const int pieces = EdgePieceCount(loop, edge);
  for (int k = 0; k < pieces; ++k) {
    float x0, z0, x1, z1;
    EdgePiecePoint(loop, edge, k, x0, z0);
    EdgePiecePoint(loop, edge, k + 1, x1, z1);
    const float d = SegmentDistanceSq(x, z, x0, z0, x1, z1);
    if (d >= 0.0f && d < best) {
      best = d;
      found = k;
    }
  }
  return found;
}

void HoverLoop(DesignLoop& loop, float x, float z, bool editTextures) {
  const int point = NearestLoopPoint(loop, x, z, kHoverRadius);
  const int edge = NearestLoopEdge(loop, x, z, kHoverRadius);
  loop.hoverPiece = NearestEdgePiece(loop, edge, x, z, kHoverRadius);
  const bool pointFirst = !editTextures;
  const bool takePoint = pointFirst ? point >= 0 : edge < 0;
  loop.hoverPoint = takePoint ? point : -1;
  loop.hoverEdge = takePoint ? -1 : edge;
}

float SnapToGrid(float value, int32_t units) {
  const float u = static_cast<float>(std::clamp(units, 1, 100));
  const float scaled = u * value + 0.5f;
  const float whole = std::trunc(scaled);
  const float step = 1.0f / u;
  return whole * step;
}

bool InsertLoopPoint(DesignLoop& loop, int after, float x, float z) {
  const int n = PointCount(loop);
  if (n >= kMaxLoopPoints) return false;
  if (after < 0 || after > n - 1) after = n - 1;
  const int slot = after + 1;
  for (int i = n; i > slot; --i) loop.points[i] = loop.points[i - 1];
  // The new point keeps the facade and group codes of the slot it lands in.
  LoopPoint& p = loop.points[slot];
  p.x = x;
  p.z = z;
  p.y = 0.0f;
  loop.pointCount = static_cast<uint8_t>(n + 1);
  return true;
}

bool DeleteLoopPoint(DesignLoop& loop, int n) {
  const int count = PointCount(loop);
  if (count <= kMinLoopPoints || n < 0 || n >= count) return false;
  for (int i = n; i + 1 < count; ++i) loop.points[i] = loop.points[i + 1];
  loop.pointCount = static_cast<uint8_t>(count - 1);
  return true;
}
