#include <gtest/gtest.h>

#include "engine/render/light_ramp.h"
#include "engine/core/memory.h"
#include "engine/render/sprite_batch.h"
#include "recording_renderer.h"

namespace {

uint32_t Alpha(uint32_t c) { return c >> 24; }
uint32_t Red(uint32_t c) { return (c >> 16) & 0xFF; }

TEST(LightRamps, DiffuseRampBreakPointsByScale) {
  // Diffuse 0x808080 over ambient 0x202020.
  BuildLightRamps(0x00808080, 0x00202020, 0, 0, 1.0f);
  EXPECT_EQ(g_DiffuseRampCentre, DiffuseRamp + 127);
  EXPECT_EQ(DiffuseRamp[0], 0x00202020u);
  EXPECT_EQ(Red(DiffuseRamp[255]), 0xA0u);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(Alpha(DiffuseRamp[i]), 0u) << i;
  for (int i = 1; i < 256; ++i) ASSERT_GE(Red(DiffuseRamp[i]), Red(DiffuseRamp[i - 1]));

  const struct {
    float scale;
    int saturatesAt;  // first entry with the full diffuse factor
    int alphaFullAt;  // first entry with alpha 255 (-1: none before 255)
  } cases[] = {{2.0f, 128, 255}, {8.0f, 32, 64}};
  for (const auto& c : cases) {
    BuildLightRamps(0x00808080, 0x00202020, 0, 0, c.scale);
    EXPECT_LT(Red(DiffuseRamp[c.saturatesAt - 1]), 0xA0u) << c.scale;
    EXPECT_EQ(Red(DiffuseRamp[c.saturatesAt]), 0xA0u) << c.scale;
    EXPECT_EQ(Red(DiffuseRamp[255]), 0xA0u) << c.scale;
    EXPECT_LT(Alpha(DiffuseRamp[c.alphaFullAt - 1]), 255u) << c.scale;
    EXPECT_EQ(Alpha(DiffuseRamp[c.alphaFullAt]), 255u) << c.scale;
  }
  // Channels are clamped at 255.
  BuildLightRamps(0x00FFFFFF, 0x00FFFFFF, 0, 0, 1.0f);
  EXPECT_EQ(DiffuseRamp[200] & 0xFFFFFF, 0xFFFFFFu);
}

TEST(LightRamps, SpecularRampStartsAtTheCentre) {
  BuildLightRamps(0, 0, 0x00FF8000, 0x00102030, 1.0f);
  EXPECT_EQ(g_SpecularRampCentre, SpecularRamp + 127);
  // Below the centre: the base colour, alpha 255.
  EXPECT_EQ(SpecularRamp[0], 0xFF102030u);
  EXPECT_EQ(g_SpecularRampCentre[-1], 0xFF102030u);
  EXPECT_EQ(g_SpecularRampCentre[0], 0xFF102030u);
  // At +127 the whole step is added; beyond, the channels clamp.
  EXPECT_EQ(g_SpecularRampCentre[127], 0xFFFFA030u);
  EXPECT_EQ(g_SpecularRampCentre[384], 0xFFFFFF30u);
}

class SpriteBatchTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(MemoryManager().Init(1 << 20, 16)); }
  void TearDown() override {
    batch.Destroy();
    MemoryManager().Shutdown();
  }

  struct Capture : RecordingRenderer {
    struct Call {
      int32_t count, page, drawValue;
      float depthOffset;
      std::vector<Vec3> positions;
      std::vector<uint32_t> colours;
      std::vector<float> sizes;
    };
    std::vector<Call> sprites;
    void DrawSprites(int32_t count, const Vec3* p, const uint32_t* c, int32_t page,
                     const float* s, float depthOffset, int32_t drawValue) override {
      sprites.push_back({count, page, drawValue, depthOffset, {p, p + count}, {c, c + count},
                         {s, s + count}});
    }
  };

  Capture renderer;
  CSpriteBatch batch;
};

TEST_F(SpriteBatchTest, FillsNegatingZAndDropsPointsWhenFull) {
  batch.Create(&renderer, 3, 512, -1, 2.0f);
  EXPECT_EQ(batch.Page(), 0);
  EXPECT_EQ(batch.DepthOffset(), 0.0f);
  batch.Add(1, 2, 3, 0xFF112233);
  batch.Add(4, 5, 6, 0xFF445566, 0.5f);
  EXPECT_EQ(batch.Add(Vec3{7, 8, 9}, 0xFF778899u), 3);
  EXPECT_EQ(batch.Add(Vec3{10, 11, 12}, 0xFFFFFFFFu, 2.0f), 3);  // full: unchanged
  batch.AddScaled(Vec3{0, 0, 0}, 0, 1.0f);
  EXPECT_EQ(batch.Count(), 3);
  EXPECT_EQ(batch.Positions()[0].z, -3.0f);
  EXPECT_EQ(batch.Sizes()[1], 1.0f);
  EXPECT_EQ(batch.Colours()[2], 0xFF778899u);
}

TEST_F(SpriteBatchTest, FlushDrawsOnceAndEmpties) {
  batch.Create(&renderer, 8, 512, 0x7F, 1.0f);
  batch.SetTexture(17);
  batch.SetDepthOffset(-4.0f);
  batch.SetSize(3.0f);
  batch.Add(Vec3{1, 2, 3}, 0xFF0000FFu);
  batch.Add(Vec3{4, 5, 6}, 0xFF00FF00u, 2.0f);
  batch.Flush();
  ASSERT_EQ(renderer.sprites.size(), 1u);
  const auto& call = renderer.sprites[0];
  EXPECT_EQ(call.count, 2);
  EXPECT_EQ(call.page, 17);
  EXPECT_EQ(call.drawValue, 512);
  EXPECT_EQ(call.depthOffset, -4.0f);
  EXPECT_EQ(call.positions[1].z, -6.0f);
  EXPECT_EQ(call.sizes[0], 3.0f);
  EXPECT_EQ(call.sizes[1], 6.0f);
  EXPECT_EQ(batch.Count(), 0);
  // An empty flush passes count 0 and stays empty; the next point goes first.
  batch.Flush();
  EXPECT_EQ(renderer.sprites.back().count, 0);
  EXPECT_EQ(batch.Add(Vec3{9, 9, 9}, 0u), 1);
  EXPECT_EQ(batch.Positions()[0].x, 9.0f);
}

TEST_F(SpriteBatchTest, DestroyReturnsTheArrays) {
  int32_t before = MemoryManager().GetStats().NumActiveAllocs;
  batch.Create(&renderer, 100, 0, 0, 1.0f);
  EXPECT_EQ(MemoryManager().GetStats().NumActiveAllocs, before + 3);
  batch.Destroy();
  EXPECT_EQ(MemoryManager().GetStats().NumActiveAllocs, before);
  EXPECT_EQ(batch.Positions(), nullptr);
  EXPECT_EQ(batch.Add(Vec3{1, 1, 1}, 0u), 0);
}

}  // namespace
