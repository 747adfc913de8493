// Textures that drift with time: the water surfaces' coordinates follow the
// game's time, and the cloud layers scroll with the logic ticks, each its
// own way.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/input/camera_controller.h"
#include "engine/recording_renderer.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "presentation_fixture.h"
#include "session/session_state.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/scene/sky.h"

namespace {

class ScrollingTest : public PresentationTest {
 protected:
  void SetUp() override {
    PresentationTest::SetUp();
    ModSysCreate();
    SetRenderer(&renderer);
    savedTick_ = LogicTick();
    // Looking up into the sky.
    SetProjection(640, 480, 53.0f, 1.0f, 3000.0f, 1.0f, 0.0f);
    Mat43 view;
    MatLookAt(0, 0, 0, 0, 100, 100, 0, 1, 0, view);
    PublishViewMatrix(view);
    g_CameraState.drawnEye = {0, 0, 0};
  }
  void TearDown() override {
    ReleaseSkyModels();
    SetCloudLayerTextures(-1, -1);
    LogicTick() = savedTick_;
    SetRenderer(nullptr);
    ModSysDestroy();
    PresentationTest::TearDown();
  }
  RecordingRenderer renderer;
  uint32_t savedTick_ = 0;
};

// v = (t + z x 0.31) x 0.1 with t = time x 0.022875; u = x x 0.031, as the
// time goes on.
TEST_F(ScrollingTest, WaterCoordinatesDriftWithTheGamesTime) {
  const Vec3 p[4] = {{0, 0, 0}, {32, 0, 0}, {32, 0, 32}, {0, 0, 32}};
  const TexCoord uv[4] = {};
  ModelLodSet set{{ModSysCreateSelfBuiltModel(1, 4, p, uv, nullptr), 0, 0}, 1};
  ModSysAddQuad(0, 1, 2, 3);
  ModSysEndPrimitive(set.handles[0], 0, 0, 0);
  CEntity water;
  water.SetModel(&set);
  const CModel* m = ModSysGetModel(set.handles[0]);
  ASSERT_NE(m, nullptr);
  const struct {
    float time, v0, v2;
  } cases[] = {{0, 0, 0.992f}, {100, 0.22875f, 1.22075f}, {1000, 2.2875f, 3.2795f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.time);
    DrawScrollingUvEntity(water, c.time);
    EXPECT_NEAR(m->uv1[0].v, c.v0, 1e-4f);
    EXPECT_NEAR(m->uv1[2].v, c.v2, 1e-3f);
    EXPECT_NEAR(m->uv1[1].u, 32 * 0.031f, 1e-5f) << "u stays with the place";
  }
}

// 0.00025 a tick: 400 ticks move a layer's scroll on by 0.1, so the first
// layer's u by 0.2 and the second's by -0.2; the scroll stays in [0, 1).
TEST_F(ScrollingTest, CloudLayersScrollEachTheirOwnWayWithTheTicks) {
  SetCloudLayerTextures(OwnPageTexture(8, 0xFFFFFFFFu), OwnPageTexture(8, 0xFFFFFFFFu));
  LogicTick() = 1000;
  DrawSkyModels(renderer);
  ASSERT_EQ(renderer.Count("DrawEntity"), 2) << "two layers";
  const float before[2] = {CloudLayerScroll(0), CloudLayerScroll(1)};
  LogicTick() += 400;
  DrawSkyModels(renderer);
  for (int32_t k = 0; k < kCloudLayers; ++k)
    EXPECT_NEAR(CloudLayerScroll(k) - before[k], 0.1f, 1e-5f) << k;
  LogicTick() += 4000 * 3;  // three whole turns more
  DrawSkyModels(renderer);
  for (int32_t k = 0; k < kCloudLayers; ++k) {
    EXPECT_GE(CloudLayerScroll(k), 0.0f);
    EXPECT_LT(CloudLayerScroll(k), 1.0f);
    EXPECT_NEAR(CloudLayerScroll(k), before[k] + 0.1f, 1e-3f) << k;
  }
}

// A layer's coordinates: (x, z) x 0.0091, u moved by twice the scroll (the
// second layer the other way, its v lifted by 0.3).
TEST_F(ScrollingTest, CloudLayerCoordinatesFollowTheScroll) {
  SetCloudLayerTextures(OwnPageTexture(8, 0xFFFFFFFFu), OwnPageTexture(8, 0xFFFFFFFFu));
  LogicTick() = 0;
  DrawSkyModels(renderer);
  LogicTick() = 800;
  DrawSkyModels(renderer);
  ASSERT_EQ(renderer.drawnEntities.size(), 4u);
  for (int32_t k = 0; k < kCloudLayers; ++k) {
    const CEntity* layer = renderer.drawnEntities[size_t(2 + k)];
    const CModel* m = ModSysGetModel(layer->model->handles[0]);
    ASSERT_NE(m, nullptr);
    const float shift = (k == 0 ? 2 : -2) * CloudLayerScroll(k), lift = k == 0 ? 0.0f : 0.3f;
    EXPECT_NEAR(CloudLayerScroll(k), 0.2f, 1e-5f);
    for (int32_t i : {0, m->vertexCount / 2, m->vertexCount - 1}) {
      EXPECT_NEAR(m->uv1[i].u, m->positions[i].x * 0.0091f + shift, 1e-3f);
      EXPECT_NEAR(m->uv1[i].v, m->positions[i].z * 0.0091f + lift, 1e-3f);
    }
  }
}

}  // namespace
