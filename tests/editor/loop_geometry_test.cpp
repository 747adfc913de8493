#include "editor/loop_geometry.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace {

DesignLoop Loop(std::initializer_list<std::pair<float, float>> points) {
  DesignLoop loop;
  InitDesignLoop(loop);
  loop.pointCount = 0;
  for (auto [x, z] : points) {
    loop.points[loop.pointCount].x = x;
    loop.points[loop.pointCount].z = z;
    ++loop.pointCount;
  }
  return loop;
}

TEST(LoopGeometryTest, PiecesAndHalfUnits) {
  const struct {
    float length;
    int32_t pieces;
  } cases[] = {{2.0f, 4}, {0.1f, 1}, {0.0f, 1}, {0.24f, 1}, {0.74f, 1}, {0.75f, 2}, {5.0f, 10}, {-3.0f, 1}};
  for (const auto& c : cases) EXPECT_EQ(HeightToHalfUnits(c.length), c.pieces) << c.length;

  // An edge longer than a point's 32 piece codes is cut into 32.
  const DesignLoop big = Loop({{0, 0}, {40, 0}, {40, 1}});
  EXPECT_EQ(EdgePieceCount(big, 0), kMaxEdgePieces);
  EXPECT_EQ(EdgePieceCount(big, 1), 2);
  float x, z;
  EdgePiecePoint(big, 1, 1, x, z);
  EXPECT_FLOAT_EQ(x, 40.0f);
  EXPECT_FLOAT_EQ(z, 0.5f);
  EdgePiecePoint(big, 2, 0, x, z);  // the closing edge starts at the last point
  EXPECT_FLOAT_EQ(z, 1.0f);
}

TEST(LoopGeometryTest, SnapAndTransform) {
  const struct {
    float value;
    int32_t units;
    float snapped;
  } cases[] = {{1.26f, 2, 1.5f}, {-1.26f, 2, -1.0f}, {3.7f, 1, 4.0f}, {0.33f, 10, 0.3f}, {2.2f, 0, 2.0f}};
  for (const auto& c : cases) EXPECT_FLOAT_EQ(SnapToGrid(c.value, c.units), c.snapped) << c.value;

  PlanTransform t;
  t.Fit(800, 400);  // cell = min(100, 50)
  EXPECT_EQ(t.scaleX, 50.0f);
  EXPECT_EQ(t.originX, 225.0f);
  EXPECT_EQ(t.originY, 25.0f);
  float x, z;
  t.ToPlan(275.0f, 125.0f, x, z);
  EXPECT_EQ(x, 1.0f);
  EXPECT_EQ(z, 2.0f);
  int32_t px, py;
  t.ToPixels(0.99f, 2.0f, px, py);
  EXPECT_EQ(px, 274);  // truncated
  EXPECT_EQ(py, 125);
}

TEST(LoopGeometryTest, HitTestsAndTheirTies) {
  const DesignLoop square = Loop({{1, 1}, {6, 1}, {6, 6}, {1, 6}});
  // Exactly at the radius: a point counts, an edge does not.
  EXPECT_EQ(NearestLoopPoint(square, 1.5f, 1.0f, 0.5f), 0);
  EXPECT_EQ(NearestLoopEdge(square, 3.0f, 1.5f, 0.5f), -1);
  EXPECT_EQ(NearestLoopEdge(square, 3.0f, 1.4f, 0.5f), 0);
  // Beyond the end of an edge it is no hit.
  EXPECT_EQ(NearestLoopEdge(Loop({{0, 0}, {2, 0}, {2, 0.1f}}), 2.3f, 0.0f, 0.5f), 1);  // the short edge, not edge 0
  EXPECT_EQ(NearestLoopEdge(Loop({{0, 0}, {2, 0}, {0, 0.01f}}), -0.3f, -0.2f, 0.5f), -1);
  // Two points at one place: the later; two edges equally near: the earlier.
  EXPECT_EQ(NearestLoopPoint(Loop({{1, 1}, {3, 3}, {1, 1}}), 1.1f, 1.0f, 0.5f), 2);
  float best = 0;
  EXPECT_EQ(NearestLoopEdge(Loop({{0, 0}, {4, 0}, {4, 1}, {0, 1}}), 2.0f, 0.5f, 0.6f, &best), 0);
  EXPECT_FLOAT_EQ(best, 0.25f);
  // Pieces: a 5-unit edge has 10 pieces of half a unit.
  EXPECT_EQ(NearestEdgePiece(square, 0, 3.2f, 1.1f, 0.5f), 4);
  EXPECT_EQ(NearestEdgePiece(square, 4, 3.2f, 1.1f, 0.5f), -1);
  EXPECT_EQ(NearestEdgePiece(square, -1, 3.2f, 1.1f, 0.5f), -1);
}

TEST(LoopGeometryTest, HoverPrefersPointsUnlessEditingTextures) {
  DesignLoop loop = Loop({{1, 1}, {6, 1}, {6, 6}, {1, 6}});
  HoverLoop(loop, 1.3f, 1.1f, false);
  EXPECT_EQ(loop.hoverPoint, 0);
  EXPECT_EQ(loop.hoverEdge, -1);
  HoverLoop(loop, 1.3f, 1.1f, true);
  EXPECT_EQ(loop.hoverPoint, -1);
  EXPECT_EQ(loop.hoverEdge, 0);
  EXPECT_EQ(loop.hoverPiece, 0);
  HoverLoop(loop, 3.0f, 3.0f, false);
  EXPECT_EQ(loop.hoverPoint, -1);
  EXPECT_EQ(loop.hoverEdge, -1);
}

TEST(LoopGeometryTest, InsertAndDeleteKeepTheirLimits) {
  DesignLoop loop = Loop({{1, 1}, {6, 1}, {6, 6}});
  loop.points[2].facade[0] = kFacadeWindow0;
  EXPECT_FALSE(DeleteLoopPoint(loop, 0));  // 3 points stay
  ASSERT_TRUE(InsertLoopPoint(loop, 1, 7, 3));
  EXPECT_EQ(loop.pointCount, 4);
  EXPECT_EQ(loop.points[2].x, 7.0f);
  EXPECT_EQ(loop.points[2].facade[0], kFacadeWindow0);  // the codes of the slot it landed in
  EXPECT_EQ(loop.points[3].x, 6.0f);
  ASSERT_TRUE(InsertLoopPoint(loop, 99, 2, 2));  // out of range: after the last
  EXPECT_EQ(loop.points[4].x, 2.0f);
  EXPECT_FALSE(DeleteLoopPoint(loop, 5));
  EXPECT_TRUE(DeleteLoopPoint(loop, 0));
  EXPECT_EQ(loop.points[0].x, 6.0f);
  while (loop.pointCount < kMaxLoopPoints) ASSERT_TRUE(InsertLoopPoint(loop, 0, 1, 1));
  EXPECT_FALSE(InsertLoopPoint(loop, 0, 1, 1));
}

}  // namespace
