#include "visuals/architect/outline_geometry.h"

#include <cmath>

namespace {

// The loop without its closing repeat.
std::vector<LibraryPoint> Distinct(const std::vector<LibraryPoint>& loop) {
  std::vector<LibraryPoint> p = loop;
  if (p.size() >= 2 && NearlyEqual(p.front().x, p.back().x) && NearlyEqual(p.front().z, p.back().z)) p.pop_back();
  return p;
}

float Cross(const LibraryPoint& a, const LibraryPoint& b, const LibraryPoint& c) {
  return (b.x - a.x) * (c.z - b.z) - (b.z - a.z) * (c.x - b.x);
}

float DirectionAngle(const LibraryPoint& a, const LibraryPoint& b) { return std::atan2(b.z - a.z, b.x - a.x); }

}  // namespace

bool NearlyEqual(float a, float b) { return std::fabs(a - b) < kOutlineTolerance; }

float OutlineArea2(const std::vector<LibraryPoint>& loop) {
  const std::vector<LibraryPoint> p = Distinct(loop);
  float s = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const LibraryPoint& a = p[i];
    const LibraryPoint& b = p[(i + 1) % p.size()];
    s += a.x * b.z - b.x * a.z;
  }
  return s;
}

int32_t TriangulateOutline(const std::vector<LibraryPoint>& loop, std::vector<OutlineTriangle>& out) {
  const std::vector<LibraryPoint> pts = Distinct(loop);
  std::vector<int32_t> left(pts.size());
  for (size_t i = 0; i < pts.size(); ++i) left[i] = static_cast<int32_t>(i);
  const size_t before = out.size();
  while (left.size() > 3) {
    const size_t n = left.size();
    size_t best = n;
    float bestLength = 0;
    for (size_t i = 0; i < n; ++i) {
      const LibraryPoint& a = pts[size_t(left[i])];
      const LibraryPoint& b = pts[size_t(left[(i + 1) % n])];
      const LibraryPoint& c = pts[size_t(left[(i + 2) % n])];
      if (Cross(a, b, c) < 0) continue;
      const float length = (c.x - a.x) * (c.x - a.x) + (c.z - a.z) * (c.z - a.z);
      if (best == n || length < bestLength) best = i, bestLength = length;
    }
    if (best == n) {
      out.resize(before);
      return 0;
    }
    out.push_back({left[best], left[(best + 1) % n], left[(best + 2) % n]});
    left.erase(left.begin() + static_cast<std::ptrdiff_t>((best + 1) % n));
  }
  if (left.size() == 3) out.push_back({left[0], left[1], left[2]});
  return static_cast<int32_t>(out.size() - before);
}

std::vector<LibraryPoint> OffsetOutline(const std::vector<LibraryPoint>& loop, float distance) {
  const std::vector<LibraryPoint> p = Distinct(loop);
  std::vector<LibraryPoint> out;
  if (p.size() < 3) return loop;
  const float sense = OutlineArea2(loop) < 0 ? -1.0f : 1.0f;
  for (size_t i = 0; i < p.size(); ++i) {
    const LibraryPoint& prev = p[(i + p.size() - 1) % p.size()];
    const LibraryPoint& here = p[i];
    const LibraryPoint& next = p[(i + 1) % p.size()];
    // Outward normals of the two edges (right-hand side of a clockwise loop).
    auto normal = [&](const LibraryPoint& a, const LibraryPoint& b) {
      float dx = b.x - a.x, dz = b.z - a.z;
      const float l = std::sqrt(dx * dx + dz * dz);
      if (l > 0) dx /= l, dz /= l;
      return LibraryPoint{dz * sense, -dx * sense};
    };
    const LibraryPoint n1 = normal(prev, here), n2 = normal(here, next);
    LibraryPoint bis{n1.x + n2.x, n1.z + n2.z};
    const float bl = std::sqrt(bis.x * bis.x + bis.z * bis.z);
    if (bl > 0) bis.x /= bl, bis.z /= bl;
    // The sine of half the angle between the edge directions is the cosine of
    // half the angle between the normals.
    const float s = bl * 0.5f;
    const float factor = s < 0.1f ? 10.0f : 1.0f / s;
    out.push_back({here.x + bis.x * distance * factor, here.z + bis.z * distance * factor});
  }
  out.push_back(out.front());
  return out;
}

void SimplifyOutline(std::vector<LibraryPoint>& points, std::vector<uint8_t>& textures) {
  bool changed = true;
  while (changed && points.size() > 4) {  // a closed triangle keeps its four points
    changed = false;
    const size_t n = points.size() - 1;  // distinct points
    for (size_t i = 0; i < n; ++i) {
      const size_t m = (i + 1) % n, k = (i + 2) % n;
      const LibraryPoint& a = points[i];
      const LibraryPoint& b = points[m];
      const LibraryPoint& c = points[k];
      if (m >= textures.size() || i >= textures.size() || textures[i] != textures[m]) continue;
      float d = DirectionAngle(a, b) - DirectionAngle(b, c);
      d = std::fabs(std::remainder(d, 6.2831853f));
      if (d >= kOutlineTolerance) continue;
      points.erase(points.begin() + static_cast<std::ptrdiff_t>(m));
      textures.erase(textures.begin() + static_cast<std::ptrdiff_t>(m));
      if (m == 0) {  // the first point went: close the loop on the new first
        points.back() = points.front();
        if (!textures.empty()) textures.back() = textures.front();
      }
      changed = true;
      break;
    }
  }
}

void SimplifyOutlines(BuildingDescription& description) {
  for (DescriptionLayer& layer : description.layers) SimplifyOutline(layer.points, layer.textures);
}
