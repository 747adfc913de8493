#include "visuals/scene/ground_markers.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDegreesToRadians = 0.01745329f;
// The second pass's shade is half the colour but more opaque: under the
// light pools' blend (the ground times colour plus alpha) half grey at half
// alpha leaves the ground as it is, so the second pass brightens only where
// the first did.
constexpr uint32_t kSecondPassAlpha = 128;
// The ring fades to white at no alpha: the ground's own colour at its edge.
constexpr uint32_t kRingRimColour = 0x00FFFFFFu;

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

// Two passes: the colours as built, then their darker shades. No texture
// is bound, so the markers go through the untextured indexed primitive.
void DrawTwice(CRenderer& r) {
  const GroundMarkerBuffers& b = Buffers();
  const int32_t vertices = int32_t(b.vertices.size()), indices = int32_t(b.indices.size());
  std::vector<VertexUntextured> drawn(b.vertices.size());
  for (size_t i = 0; i < drawn.size(); ++i)
    drawn[i] = {b.vertices[i].x, b.vertices[i].y, b.vertices[i].z, b.vertices[i].diffuse};
  r.DrawIndexedUntextured(drawn.data(), b.indices.data(), vertices, indices);
  for (size_t i = 0; i < drawn.size(); ++i) drawn[i].colour = b.vertices[i].specular;
  r.DrawIndexedUntextured(drawn.data(), b.indices.data(), vertices, indices);
}

}  // namespace

const GroundMarkerBuffers& LastGroundMarker() { return Buffers(); }

uint32_t MarkerSecondColour(uint32_t colour) {
  const uint32_t alpha = std::min<uint32_t>((colour >> 24) + kSecondPassAlpha, 255u);
  return (alpha << 24) | (HalfColour(colour) & 0xFFFFFFu);
}

void BuildRingStrip(CRenderer& renderer, const Vec3& centre, const Vec3& offset, const Vec3& origin,
                    float angleDegrees, float radiusX, float radiusZ, int32_t segments, float alpha) {
  const float a = std::clamp((alpha - 1.0f) * 255.0f, 0.0f, 255.0f);
  const uint32_t colour = (uint32_t(a) << 24) | kRingColour;
  const Vec3 hub{centre.x + offset.x, centre.y + offset.y, centre.z + offset.z};
  BuildFan(hub, centre, origin, angleDegrees, radiusX, radiusZ, segments, 1.0f, 0.0f, colour, kRingRimColour);
  DrawTwice(renderer);
}

void BuildGlowFan(CRenderer& renderer, const Vec3& centre, float angleDegrees, float radiusX, float radiusZ,
                  int32_t segments, uint32_t colour) {
  BuildFan(centre, centre, Vec3{}, angleDegrees, radiusX, radiusZ, segments, 1.0f, 0.0f, colour,
           colour & 0x00FFFFFFu);
  const GroundMarkerBuffers& b = Buffers();
  std::vector<VertexUntextured> drawn(b.vertices.size());
  for (size_t i = 0; i < drawn.size(); ++i)
    drawn[i] = {b.vertices[i].x, b.vertices[i].y, b.vertices[i].z, b.vertices[i].diffuse};
  renderer.DrawIndexedUntextured(drawn.data(), b.indices.data(), int32_t(drawn.size()), int32_t(b.indices.size()));
}

void BuildDomeFan(CRenderer& renderer, const Vec3& centre, const Vec3& offset, const Vec3& origin,
                  float angleDegrees, float radiusX, float radiusZ, int32_t segments, uint32_t colour) {
  const Vec3 hub{centre.x + offset.x, centre.y + offset.y, centre.z + offset.z};
  BuildFan(hub, centre, origin, angleDegrees, radiusX, radiusZ, segments, 1.0f / 3.0f, offset.y * 2.0f / 3.0f,
           colour, HalfColour(colour));
  DrawTwice(renderer);
}
