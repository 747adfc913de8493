// Ground markers: the ring's fan lies on the turned ellipse and fades from
// its hub, the dome sits a third as wide and two thirds as high, and both
// draw twice, the second time darker.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/recording_renderer.h"
#include "visuals/scene/ground_markers.h"

namespace {

class MarkerRecorder : public RecordingRenderer {
 public:
  void DrawIndexedUntextured(const VertexUntextured* v, const uint16_t* idx, int32_t vertices,
                             int32_t indices) override {
    RecordingRenderer::DrawIndexedUntextured(v, idx, vertices, indices);
    draws.emplace_back(v, v + vertices);
    for (int32_t i = 0; i < indices; ++i) EXPECT_LT(idx[i], vertices);
  }
  std::vector<std::vector<VertexUntextured>> draws;
};

TEST(GroundMarkers, RingIsATurnedEllipseFadingFromItsHub) {
  MarkerRecorder r;
  BuildRingStrip(r, Vec3{10, 0.5f, 20}, Vec3{}, Vec3{}, 90, 4, 2, 8, 1.5f);
  ASSERT_EQ(r.draws.size(), 2u);
  const std::vector<VertexUntextured>& v = r.draws[0];
  ASSERT_EQ(v.size(), 9u);
  EXPECT_EQ(LastGroundMarker().indices.size(), 24u);
  EXPECT_EQ(v[0].colour >> 24, 127u);  // (1.5 - 1) x 255
  EXPECT_EQ(v[0].colour & 0xFFFFFFu, kRingColour);
  EXPECT_EQ(v[1].colour >> 24, 0u);
  // The x radius turned a quarter: the first rim point lies 4 along z.
  EXPECT_NEAR(v[1].x, 10, 1e-4f);
  EXPECT_NEAR(v[1].z, 24, 1e-4f);
  EXPECT_NEAR(v[1].y, 0.5f, 1e-6f);
  const std::vector<VertexTextured>& built = LastGroundMarker().vertices;
  EXPECT_FLOAT_EQ(built[5].u, 1.5f);
  EXPECT_FLOAT_EQ(built[5].v, 1.0f);
  // The second pass is a darker shade of the first.
  EXPECT_EQ(r.draws[1][0].colour, MarkerSecondColour(v[0].colour));
  EXPECT_LT(r.draws[1][0].colour & 0xFF, v[0].colour & 0xFF);
}

TEST(GroundMarkers, DomeSitsAThirdAsWideTwoThirdsUp) {
  MarkerRecorder r;
  BuildDomeFan(r, Vec3{0, 0, 0}, Vec3{0, 3, 0}, Vec3{1, 0, 1}, 0, 3, 6, 4, 0xFF2040A0u);
  const std::vector<VertexUntextured>& v = r.draws[0];
  ASSERT_EQ(v.size(), 5u);
  EXPECT_FLOAT_EQ(v[0].y, 3.0f);  // the hub at the top
  EXPECT_EQ(v[0].colour, 0xFF2040A0u);
  EXPECT_EQ(v[1].colour, 0xFF102050u);  // the rim in half the colour
  EXPECT_NEAR(v[1].x, 1 - 1, 1e-5f);     // radius x / 3 = 1, drawn from the origin
  EXPECT_NEAR(v[2].z, 2 - 1, 1e-5f);     // radius z / 3 = 2
  EXPECT_NEAR(v[1].y, 2.0f, 1e-5f);
}

TEST(GroundMarkers, SegmentsAndAlphaAreKeptInRange) {
  MarkerRecorder r;
  BuildRingStrip(r, Vec3{}, Vec3{}, Vec3{}, 0, 1, 1, 0, 9.0f);
  EXPECT_EQ(LastGroundMarker().vertices.size(), size_t(1 + kMarkerMinSegments));
  EXPECT_EQ(LastGroundMarker().vertices[0].diffuse >> 24, 255u);
  BuildRingStrip(r, Vec3{}, Vec3{}, Vec3{}, 0, 1, 1, 100000, 0.0f);
  EXPECT_EQ(LastGroundMarker().vertices.size(), size_t(1 + kMarkerMaxSegments));
  EXPECT_EQ(LastGroundMarker().vertices[0].diffuse >> 24, 0u);
}

}  // namespace
