// The pie-chart mesh: slices share out the circle in order, a pulled-out
// slice moves along its middle, depth adds walls, and the mesh never grows
// past the room made for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ui/pie_chart.h"

namespace {

float Angle(const VertexUntextured& v) {
  float a = std::atan2(v.z, v.x);
  return a < 0 ? a + 6.2831853f : a;
}

TEST(PieChartTest, SlicesShareTheCircleInOrder) {
  CPieChart pie;
  pie.Create(32);
  ASSERT_TRUE(pie.AddSlice(25, 0xFFFF0000u, 10, 1, 1, 0));
  ASSERT_TRUE(pie.AddSlice(75, 0xFF00FF00u, 10, 1, 1, 0));
  pie.Build();
  const auto& v = pie.Vertices();
  // A quarter of 32 steps is 8 triangles, the rest 24: a flat pie is just
  // the two fans.
  EXPECT_EQ(pie.Indices().size(), size_t(3 * 32));
  float firstEnd = 0;
  for (const VertexUntextured& p : v) {
    if (p.x == 0 && p.z == 0) continue;  // a hub
    EXPECT_NEAR(std::hypot(p.x, p.z), 10.0f, 1e-3f);
    if (p.colour == 0xFFFF0000u) firstEnd = std::max(firstEnd, Angle(p));
  }
  EXPECT_NEAR(firstEnd, 6.2831853f / 4, 1e-3f);
  for (uint16_t i : pie.Indices()) EXPECT_LT(i, v.size());
}

TEST(PieChartTest, OffsetMovesTheSliceAlongItsMiddle) {
  CPieChart pie;
  pie.Create(16);
  pie.AddSlice(50, 0xFFFFFFFFu, 4, 0, 0, 2);  // the upper half, middle at a quarter turn
  pie.Build();
  const VertexUntextured& hub = pie.Vertices()[0];
  EXPECT_NEAR(hub.x, 0, 1e-4f);
  EXPECT_NEAR(hub.z, 2, 1e-4f);
}

TEST(PieChartTest, WallsFollowTheFirstSlicesHeights) {
  CPieChart flat, deep;
  flat.Create(16), deep.Create(16);
  flat.AddSlice(100, 0xFF112233u, 5, 1, 1, 0);
  deep.AddSlice(100, 0xFF112233u, 5, 1, 0, 0);
  flat.Build(), deep.Build();
  EXPECT_GT(deep.Indices().size(), flat.Indices().size());
  float low = 1;
  for (const VertexUntextured& p : deep.Vertices()) low = std::min(low, p.y);
  EXPECT_EQ(low, 0.0f);
}

TEST(PieChartTest, BadSlicesAndOverflowAreRefused) {
  CPieChart pie;
  EXPECT_FALSE(pie.AddSlice(10, 0, 1, 0, 0, 0));  // not created
  pie.Create(3);
  EXPECT_FALSE(pie.AddSlice(0, 0, 1, 0, 0, 0));
  EXPECT_FALSE(pie.AddSlice(std::nanf(""), 0, 1, 0, 0, 0));
  for (int32_t i = 0; i < CPieChart::kMaxSlices; ++i) EXPECT_TRUE(pie.AddSlice(500, 0xFFFFFFFFu, 1, 1, 0, 0));
  EXPECT_FALSE(pie.AddSlice(5, 0, 1, 0, 0, 0));
  pie.Build();  // far more than a circle: the slices that do not fit are left out
  EXPECT_LE(int32_t(pie.Vertices().size()), pie.VertexCapacity());
  EXPECT_GT(pie.Vertices().size(), 0u);
  pie.Destroy();
  EXPECT_EQ(pie.SliceCount(), 0);
  pie.Build();
  EXPECT_TRUE(pie.Vertices().empty());
}

}  // namespace
