#include "visuals/ground_markers.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDegreesToRadians = 0.01745329f;

GroundMarkerBuffers& Buffers() {
  static GroundMarkerBuffers buffers;
  return buffers;
}

uint32_t HalfColour(uint32_t c) { return (c & 0xFF000000u) | ((c >> 1) & 0x007F7F7Fu); }

// Fills the buffers with a fan of `segments` triangles: the hub, then the
// rim points on the turned ellipse scaled by `scale` and raised by `rise`.
void BuildFan(const Vec3& hub, const Vec3& centre, const Vec3& origin, float angleDegrees, float radiusX,
              float radiusZ, int32_t segments, float scale, float rise, uint32_t hubColour,
              uint32_t rimColour) {
  GroundMarkerBuffers& b = Buffers();
  b.vertices.clear(), b.indices.clear();
  const int32_t n = std::clamp(segments, kMarkerMinSegments, kMarkerMaxSegments);
  const float turn = angleDegrees * kDegreesToRadians;
  const float c = std::cos(turn), s = std::sin(turn);
  b.vertices.push_back({hub.x - origin.x, hub.y - origin.y, hub.z - origin.z, hubColour,
                        MarkerSecondColour(hubColour), 0.0f, 0.0f});
  for (int32_t i = 0; i < n; ++i) {
    const float a = 6.2831853f * float(i) / float(n);
    const float ex = radiusX * scale * std::cos(a), ez = radiusZ * scale * std::sin(a);
    const float x = centre.x + ex * c - ez * s, z = centre.z + ex * s + ez * c;
    b.vertices.push_back({x - origin.x, centre.y + rise - origin.y, z - origin.z, rimColour,
                          MarkerSecondColour(rimColour), 3.0f * float(i) / float(n), 1.0f});
  }
  for (int32_t i = 0; i < n; ++i)
    b.indices.insert(b.indices.end(), {uint16_t(0), uint16_t(1 + i), uint16_t(1 + (i + 1) % n)});
}

// Two passes: the colours as built, then their darker shades.
void DrawTwice(CRenderer& r) {
  GroundMarkerBuffers& b = Buffers();
  const int32_t vertices = int32_t(b.vertices.size()), indices = int32_t(b.indices.size());
  r.DrawIndexedTextured(b.vertices.data(), b.indices.data(), vertices, indices, -1);
  std::vector<VertexTextured> second = b.vertices;
  for (VertexTextured& v : second) v.diffuse = v.specular;
  r.DrawIndexedTextured(second.data(), b.indices.data(), vertices, indices, -1);
}

}  // namespace

const GroundMarkerBuffers& LastGroundMarker() { return Buffers(); }

uint32_t MarkerSecondColour(uint32_t colour) { return HalfColour(colour); }

void BuildRingStrip(CRenderer& renderer, const Vec3& centre, const Vec3& offset, const Vec3& origin,
                    float angleDegrees, float radiusX, float radiusZ, int32_t segments, float alpha) {
  const float a = std::clamp((alpha - 1.0f) * 255.0f, 0.0f, 255.0f);
  const uint32_t colour = (uint32_t(a) << 24) | kRingColour;
  const Vec3 hub{centre.x + offset.x, centre.y + offset.y, centre.z + offset.z};
  BuildFan(hub, centre, origin, angleDegrees, radiusX, radiusZ, segments, 1.0f, 0.0f, colour, kRingColour);
  DrawTwice(renderer);
}

void BuildDomeFan(CRenderer& renderer, const Vec3& centre, const Vec3& offset, const Vec3& origin,
                  float angleDegrees, float radiusX, float radiusZ, int32_t segments, uint32_t colour) {
  const Vec3 hub{centre.x + offset.x, centre.y + offset.y, centre.z + offset.z};
  BuildFan(hub, centre, origin, angleDegrees, radiusX, radiusZ, segments, 1.0f / 3.0f, offset.y * 2.0f / 3.0f,
           colour, HalfColour(colour));
  DrawTwice(renderer);
}
