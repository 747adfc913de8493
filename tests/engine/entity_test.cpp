#include "engine/scene/entity.h"

#include <gtest/gtest.h>

#include <vector>

#include "recording_renderer.h"
#include "scene_fixture.h"

namespace {

// A cube of side 2 about the origin, and entities drawn with an identity
// camera (view space = world space) through a 640 x 480, 90-degree view.
class EntityTest : public SceneTest {
 protected:
  RecordingRenderer renderer;
  ModelLodSet cube{};
  int32_t handle = 0;

  void SetUp() override {
    SceneTest::SetUp();
    ModSysCreate();
    const std::vector<Vec3> corners = {{-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, 1, -1},
                                       {-1, -1, 1},  {1, -1, 1},  {-1, 1, 1},  {1, 1, 1}};
    handle = ModSysCreateSelfBuiltModel(1, 8, corners.data(), nullptr, nullptr);
    ModSysAddQuad(0, 1, 3, 2);
    ModSysEndPrimitive(handle, 0, 0, 0);
    cube = ModelLodSet{{handle, 0, 0}, 1};
    SetProjection(640, 480, 90, 1, 3000, 1, 0);
    g_CullDistances[0] = 50;
    g_CullDistances[1] = 100;
    g_CullDistances[2] = 200;
    g_CullDistances[3] = 1;
    SetRenderer(&renderer);
  }
  void TearDown() override {
    SetRenderer(nullptr);
    ModSysDestroy();
    SceneTest::TearDown();
  }
  CEntity At(float x, float y, float z, ModelLodSet* set = nullptr) {
    CEntity e;
    e.SetModel(set ? set : &cube);
    e.position = Vec3{x, y, z};
    return e;
  }
};

TEST_F(EntityTest, ResetGivesTheDocumentedState) {
  CEntity e;
  e.flags = 0xF0 | kEntInView;
  e.Reset();
  EXPECT_EQ(e.flags, 0xF0 | kEntVisible | kEntNeedsClip | kEntRebuildMatrix);
  EXPECT_EQ(e.value1, -1);
  EXPECT_EQ(e.colour, 0xFFFFFFFFu);
  EXPECT_EQ(e.animSlot, -1);
  EXPECT_EQ(e.value3, -1);
  EXPECT_EQ(e.value4, -1);
  EXPECT_EQ(e.index, 0);
  EXPECT_FLOAT_EQ(e.scale.y, 1.0f);
  EXPECT_EQ(e.model, nullptr);
}

TEST_F(EntityTest, SphereBehindTheNearPlaneIsCulledAndNotSubmitted) {
  CEntity e = At(0, 0, -10);
  e.Draw(kMatIdentity);
  EXPECT_EQ(e.clipCode, kClipOutside);
  EXPECT_FALSE(e.flags & kEntInView);
  EXPECT_TRUE(renderer.drawnEntities.empty());
}

TEST_F(EntityTest, WhollyInsideNeedsNoClipping) {
  EntBeginFrame();
  CEntity e = At(0, 0, 20);
  e.Draw(kMatIdentity);
  EXPECT_EQ(e.clipCode, 0);
  EXPECT_TRUE(e.flags & kEntInView);
  EXPECT_FALSE(e.flags & kEntNeedsClip);
  EXPECT_EQ(renderer.drawnEntities, (std::vector<CEntity*>{&e}));
  EXPECT_EQ(g_EntDrawCounters.unclipped, 1);
  EXPECT_FLOAT_EQ(e.world.m[3][2], 20.0f);
  EXPECT_FLOAT_EQ(e.viewBounds.centre.z, 20.0f);
  EXPECT_FLOAT_EQ(e.viewBounds.corners[7].x, 1.0f);
}

TEST_F(EntityTest, CodesNameThePlanesCrossed) {
  struct Case {
    Vec3 at;
    uint8_t code;
  } cases[] = {
      {{13.3f, 0, 10}, kClipRight},
      {{-13.3f, 0, 10}, kClipLeft},
      {{0, 10, 10}, kClipTop},
      {{0, -10, 10}, kClipBottom},
      {{0, 0, 1.5f}, kClipNear | 15},  // near the eye the sides close in too
      {{40, 0, 10}, kClipOutside},
  };
  for (const Case& c : cases) {
    CEntity e = At(c.at.x, c.at.y, c.at.z);
    EXPECT_EQ(e.Transform(kMatIdentity), c.code) << c.at.x << " " << c.at.y << " " << c.at.z;
    EXPECT_EQ((e.flags & kEntNeedsClip) != 0, c.code != 0);
  }
}

TEST_F(EntityTest, LevelOfDetailFollowsTheViewDepth) {
  ModelLodSet two{{handle, handle, 0}, 2};
  CEntity far = At(0, 0, 60, &two);
  far.Transform(kMatIdentity);
  EXPECT_EQ(far.lod, 1);
  CEntity edge = At(0, 0, 50, &two);
  edge.Transform(kMatIdentity);
  EXPECT_EQ(edge.lod, 0);
  CEntity single = At(0, 0, 60);
  single.Transform(kMatIdentity);
  EXPECT_EQ(single.lod, 0);
}

TEST_F(EntityTest, DistanceCulledModelStopsBeforeItsMatrix) {
  ModSysGetModel(handle)->flags |= kModelFlagDistanceCulled;
  CEntity e = At(0, 0, 200);
  EXPECT_EQ(e.Transform(kMatIdentity), kClipOutside);
  EXPECT_EQ(e.lod, kLodCulled);
  EXPECT_FLOAT_EQ(e.world.m[3][2], 0.0f);  // not rebuilt
  CEntity near = At(0, 0, 199);
  EXPECT_EQ(near.Transform(kMatIdentity), 0);
}

TEST_F(EntityTest, CullDistanceIsTruncated) {
  EntSetCullDistance(kCullFar, 350.7f);
  EXPECT_FLOAT_EQ(g_CullDistances[kCullFar], 350.0f);
  EntSetCullDistance(7, 1.0f);
  EXPECT_TRUE(Warned("no cull distance 7"));
}

TEST_F(EntityTest, BeginFrameAsksForTheViewVolumeAndClearsCounters) {
  g_EntDrawCounters = {5, 6};
  EntBeginFrame();
  EXPECT_EQ(renderer.viewVolumeUpdates, 1);
  EXPECT_EQ(g_EntDrawCounters.unclipped, 0);
  EXPECT_EQ(g_EntDrawCounters.clipped, 0);
}

TEST_F(EntityTest, HiddenEntityIsNotTransformed) {
  CEntity e = At(0, 0, 20);
  e.flags = static_cast<uint8_t>((e.flags & ~kEntVisible) | kEntInView);
  e.Draw(kMatIdentity);
  EXPECT_FALSE(e.flags & kEntInView);
  EXPECT_TRUE(renderer.drawnEntities.empty());
}

TEST_F(EntityTest, ModelHandleNotInUseIsRefused) {
  ModelLodSet none{{77, 0, 0}, 1};
  CEntity e;
  e.SetModel(&none);
  EXPECT_TRUE(Warned("not in use"));
  EXPECT_EQ(e.model, nullptr);
  EXPECT_EQ(e.Transform(kMatIdentity), kClipOutside);
  CEntity orphan = At(0, 0, 20);
  ASSERT_TRUE(ModSysDeleteModel(handle));
  orphan.Draw(kMatIdentity);
  EXPECT_FALSE(orphan.flags & kEntInView);
  EXPECT_TRUE(renderer.drawnEntities.empty());
}

TEST_F(EntityTest, HouseStoresCopiesUpToItsCapacity) {
  CEntityHouse house;
  ASSERT_TRUE(house.Allocate(2));
  CEntity a = At(0, 0, 20), b = At(0, 0, -20);
  EXPECT_NE(house.Add(a), nullptr);
  EXPECT_NE(house.Add(b), nullptr);
  EXPECT_EQ(house.Add(a), nullptr);
  EXPECT_EQ(house.count, 2);
  EXPECT_EQ(house.GetEntity(2), nullptr);
  EXPECT_EQ(house.GetEntity(-1), nullptr);
  EXPECT_EQ(house.DrawAll(kMatIdentity), 2);
  EXPECT_EQ(renderer.drawnEntities, (std::vector<CEntity*>{house.GetEntity(0)}));
  EXPECT_EQ(house.Release(), 1);
  EXPECT_EQ(house.capacity, 0);
}

}  // namespace
