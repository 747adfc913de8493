#include "ui/pie_chart.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTwoPi = 6.2831853f;

// Walls are shaded darker than the slice's top so the edge reads.
uint32_t WallColour(uint32_t c) { return (c & 0xFF000000u) | ((c >> 1) & 0x007F7F7Fu); }

}  // namespace

void CPieChart::Create(int32_t segments) {
  Destroy();
  segments_ = std::clamp(segments, 3, 1024);
  vertexCapacity_ = segments_ * 4 + 96;
  indexCapacity_ = vertexCapacity_ * 3;
  vertices_.reserve(size_t(vertexCapacity_));
  indices_.reserve(size_t(indexCapacity_));
  slices_.reserve(kMaxSlices);
}

void CPieChart::Destroy() {
  *this = CPieChart{};
}

bool CPieChart::AddSlice(float share, uint32_t colour, float radius, float height, float secondHeight,
                         float offset) {
  if (segments_ == 0 || SliceCount() >= kMaxSlices || !(share > 0)) return false;
  slices_.push_back({share, colour, radius, height, secondHeight, offset});
  return true;
}

uint16_t CPieChart::Vertex(float x, float y, float z, uint32_t colour) {
  vertices_.push_back({x, y, z, colour});
  return uint16_t(vertices_.size() - 1);
}

bool CPieChart::BuildSlice(const Slice& s, float start, float span, bool walls) {
  const float step = kTwoPi / float(segments_);
  const int32_t steps = std::max(1, int32_t(std::ceil(span / step - 1e-4f)));
  const int32_t vertexNeed = steps + 2 + (walls ? 2 * (steps + 1) + 8 : 0);
  const int32_t indexNeed = 3 * steps + (walls ? 6 * steps + 12 : 0);
  if (int32_t(vertices_.size()) + vertexNeed > vertexCapacity_ ||
      int32_t(indices_.size()) + indexNeed > indexCapacity_)
    return false;

  const float middle = start + span * 0.5f;
  const float cx = std::cos(middle) * s.offset, cz = std::sin(middle) * s.offset;
  auto rim = [&](int32_t j, float& x, float& z) {
    const float a = start + std::min(span, float(j) * step);
    x = cx + std::cos(a) * s.radius, z = cz + std::sin(a) * s.radius;
  };

  // The top: a fan round the slice's point.
  const uint16_t hub = Vertex(cx, s.height, cz, s.colour);
  for (int32_t j = 0; j <= steps; ++j) {
    float x, z;
    rim(j, x, z);
    Vertex(x, s.height, z, s.colour);
  }
  for (int32_t j = 0; j < steps; ++j) indices_.insert(indices_.end(), {hub, uint16_t(hub + 1 + j), uint16_t(hub + 2 + j)});
  if (!walls) return true;

  // The curved wall between the two heights, then the two straight ones.
  const uint32_t shade = WallColour(s.colour);
  const uint16_t upper = uint16_t(vertices_.size());
  for (int32_t j = 0; j <= steps; ++j) {
    float x, z;
    rim(j, x, z);
    Vertex(x, s.height, z, shade);
    Vertex(x, s.secondHeight, z, shade);
  }
  for (int32_t j = 0; j < steps; ++j) {
    const uint16_t a = uint16_t(upper + 2 * j), b = uint16_t(a + 1), c = uint16_t(a + 2), d = uint16_t(a + 3);
    indices_.insert(indices_.end(), {a, b, c, c, b, d});
  }
  for (int32_t end : {0, steps}) {
    float x, z;
    rim(end, x, z);
    const uint16_t a = Vertex(cx, s.height, cz, shade), b = Vertex(cx, s.secondHeight, cz, shade);
    const uint16_t c = Vertex(x, s.height, z, shade), d = Vertex(x, s.secondHeight, z, shade);
    indices_.insert(indices_.end(), {a, b, c, c, b, d});
  }
  return true;
}

void CPieChart::Build() {
  vertices_.clear();
  indices_.clear();
  if (slices_.empty()) return;
  const bool walls = slices_[0].height != slices_[0].secondHeight;
  float start = 0;
  for (const Slice& s : slices_) {
    const float span = s.share * 0.01f * kTwoPi;
    BuildSlice(s, start, span, walls);
    start += span;
  }
}

void CPieChart::Draw(CRenderer& renderer) const {
  if (indices_.empty()) return;
  renderer.DisableCulling();
  renderer.DrawIndexedUntextured(vertices_.data(), indices_.data(), int32_t(vertices_.size()),
                                 int32_t(indices_.size()));
  renderer.CullClockwise();
}
