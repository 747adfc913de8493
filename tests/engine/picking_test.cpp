#include "engine/scene/picking.h"

#include <gtest/gtest.h>

#include <vector>

#include "recording_renderer.h"
#include "scene_fixture.h"

namespace {

// Cubes of side 2 seen through an identity camera, 640 x 480, 90 degrees:
// a cube at (0, 0, z) covers the screen centre (320, 240).
class PickingTest : public SceneTest {
 protected:
  ModelLodSet cube{};
  CEntityHouse house;

  void SetUp() override {
    SceneTest::SetUp();
    ModSysCreate();
    const std::vector<Vec3> corners = {{-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, 1, -1},
                                       {-1, -1, 1},  {1, -1, 1},  {-1, 1, 1},  {1, 1, 1}};
    const int32_t h = ModSysCreateSelfBuiltModel(1, 8, corners.data(), nullptr, nullptr);
    cube = ModelLodSet{{h, 0, 0}, 1};
    SetProjection(640, 480, 90, 1, 3000, 1, 0);
    g_CullDistances[kCullFar] = 200;
    ASSERT_TRUE(house.Allocate(4));
    PickSetMousePosition(320, 240);
  }
  void TearDown() override {
    house.Release();
    ModSysDestroy();
    SceneTest::TearDown();
  }
  CEntity* Place(float x, float y, float z) {
    CEntity e;
    e.SetModel(&cube);
    e.position = Vec3{x, y, z};
    CEntity* stored = house.Add(e);
    stored->Transform(kMatIdentity);
    return stored;
  }
};

TEST_F(PickingTest, HitGivesTheDepthOfTheFrontFace) {
  CEntity* e = Place(0, 0, 10);
  float depth = 99999.0f;
  EXPECT_TRUE(PickTestEntity(e->viewBounds, &depth));
  EXPECT_NEAR(depth, 9.0f, 0.05f);
  float nearer = 5.0f;
  EXPECT_FALSE(PickTestEntity(e->viewBounds, &nearer));
  EXPECT_FLOAT_EQ(nearer, 5.0f);
  PickPoint point{320, 240, 99999.0f};
  EXPECT_TRUE(PickTestEntity(*e, point));
  EXPECT_NEAR(point.depth, 9.0f, 0.05f);
}

TEST_F(PickingTest, NearestEntityWinsWhateverTheOrder) {
  CEntity* far = Place(0, 0, 30);
  CEntity* near = Place(0, 0, 10);
  Place(0, 0, 20);
  CEntity* picked = nullptr;
  float depth = 99999.0f;
  EXPECT_TRUE(PickEntityInHouse(&house, &picked, nullptr, &depth));
  EXPECT_EQ(picked, near);
  EXPECT_NE(picked, far);
  EXPECT_NEAR(depth, 9.0f, 0.05f);
}

TEST_F(PickingTest, EntityNotInViewLastFrameIsNeverPicked) {
  CEntity* e = Place(0, 0, 10);
  e->flags &= static_cast<uint8_t>(~kEntInView);
  CEntity* picked = nullptr;
  float depth = 99999.0f;
  EXPECT_FALSE(PickEntityInHouse(&house, &picked, nullptr, &depth));
  EXPECT_EQ(picked, nullptr);
}

TEST_F(PickingTest, CurrentEntityAloneKeepsTheResultAndDepth) {
  CEntity* current = Place(0, 0, 10);
  CEntity* picked = current;
  float depth = 99999.0f;
  EXPECT_TRUE(PickEntityInHouse(&house, &picked, current, &depth));
  EXPECT_EQ(picked, current);
  EXPECT_FLOAT_EQ(depth, 99999.0f);
  // Another entity behind the current one is still found.
  CEntity* behind = Place(0, 0, 20);
  EXPECT_TRUE(PickEntityInHouse(&house, &picked, current, &depth));
  EXPECT_EQ(picked, behind);
}

TEST_F(PickingTest, InsideTheSphereSquareButOffTheBoxIsAMiss) {
  CEntity* e = Place(0, 0, 10);
  ScreenPoint centre, edge;
  ProjectPoints(&e->viewBounds.centre, &centre, 1);
  const Vec3 side{e->viewBounds.centre.x + e->viewBounds.radius, 0, 10};
  ProjectPoints(&side, &edge, 1);
  const int32_t r = static_cast<int32_t>(edge.x - centre.x);
  PickSetMousePosition(320 + r - 1, 240 + r - 1);
  float depth = 99999.0f;
  EXPECT_FALSE(PickTestEntity(e->viewBounds, &depth));
  ScreenPointDepth corners[8];
  ProjectPointsWithDepth(e->viewBounds.corners, corners, 8);
  EXPECT_EQ(PickBoxDepth(corners, 320 + r - 1, 240 + r - 1), 0.0f);
  PickSetMousePosition(320 + r + 2, 240);
  EXPECT_FALSE(PickTestEntity(e->viewBounds, &depth));
}

}  // namespace
