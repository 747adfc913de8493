#include <gtest/gtest.h>

#include <memory>

#include "engine/render/d3d_renderer.h"
#include "engine/scene/entity.h"
#include "platform/recording_gpu_device.h"
#include "engine/core/system_settings.h"
#include "visuals/scene/draw_distances.h"
#include "visuals/scene/shader_table.h"

namespace {

class DrawDistanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_[0] = g_CullDistances[kCullLod];
    saved_[1] = g_CullDistances[kCullFar];
    saved_[2] = g_CullDistances[kCullBase];
    g_CullDistances[kCullBase] = 1.0f;  // the presets' values come through unscaled
  }
  void TearDown() override {
    g_CullDistances[kCullLod] = saved_[0];
    g_CullDistances[kCullFar] = saved_[1];
    g_CullDistances[kCullBase] = saved_[2];
    DetailChoice = 2;
    SetDetailFactor(100);
  }
  float saved_[3];
};

TEST_F(DrawDistanceTest, PresetsScaleWithDetail) {
  SetDetailFactor(50);
  EXPECT_FLOAT_EQ(DetailFactor, 0.5f);
  EXPECT_TRUE(SetDrawRangesShort());
  EXPECT_EQ(g_CullDistances[kCullLod], 100.0f);
  EXPECT_EQ(g_CullDistances[kCullFar], 230.0f);
  SetDetailFactor(100);
  EXPECT_FLOAT_EQ(DetailFactor, 1.5f);
  SetDrawRangesShort();
  EXPECT_EQ(g_CullDistances[kCullLod], 200.0f);
  EXPECT_EQ(g_CullDistances[kCullFar], 530.0f);
  SetDetailDrawDistances();
  EXPECT_EQ(g_CullDistances[kCullLod], 500.0f);
  EXPECT_EQ(g_CullDistances[kCullFar], 1550.0f);
  SetFarRangeMedium();
  EXPECT_EQ(g_CullDistances[kCullLod], 500.0f);  // near unchanged
  EXPECT_EQ(g_CullDistances[kCullFar], 570.0f);
}

TEST_F(DrawDistanceTest, OptionalGroupsOffWithoutDetail) {
  SetDrawRangesFixed();
  DetailChoice = 0;
  EXPECT_FALSE(SetDrawRangesFixedIfDetail());
  EXPECT_FALSE(SetFarRangeLongIfDetail());
  EXPECT_EQ(g_CullDistances[kCullLod], 200.0f);
  EXPECT_EQ(g_CullDistances[kCullFar], 6000.0f);
  EXPECT_FALSE(SetDrawRangesUnlimitedIfDetail());
  EXPECT_FALSE(IsDetailOn());
  DetailChoice = 1;
  EXPECT_TRUE(IsDetailOn());
  EXPECT_FALSE(IsDetailHigh());
  EXPECT_TRUE(SetDrawRangesFixedIfDetail());
  EXPECT_EQ(g_CullDistances[kCullFar], 100000000.0f);
}

class ShaderTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = platform::SetGpuSystemFactory([this] {
      auto s = std::make_unique<platform::RecordingGpuSystem>();
      system_ = s.get();
      return s;
    });
    settings_.windowed = 1;
    renderer_ = std::make_unique<CD3DRenderer>();
    ASSERT_TRUE(renderer_->Open(nullptr, nullptr, &settings_));
    SetRenderer(renderer_.get());
    savedMulti_ = g_RendererSettings.multiTexture;
  }
  void TearDown() override {
    g_RendererSettings.multiTexture = savedMulti_;
    SetRenderer(nullptr);
    renderer_->Close();
    renderer_.reset();
    platform::SetGpuSystemFactory(old_);
    D3DForgetEnumeration();
  }
  platform::GpuSystemFactory old_;
  platform::RecordingGpuSystem* system_ = nullptr;
  RendererSettings settings_{};
  std::unique_ptr<CD3DRenderer> renderer_;
  uint8_t savedMulti_ = 1;
};

TEST_F(ShaderTableTest, TableIsBuiltValidatedAndSelectable) {
  BuildShaderTable(renderer_.get());
  const ShaderEntry* t = ShaderTable();
  for (int32_t i = 0; i < kShaderCount; ++i) {
    EXPECT_EQ(t[i].index, i);
    EXPECT_EQ(t[i].valid, 1) << t[i].name;
    EXPECT_TRUE(t[i].stageCount == 1 || t[i].stageCount == 2);
  }
  EXPECT_STREQ(t[10].name, "Trees shader, No BFC, alpha test ON");
  EXPECT_EQ(t[10].alphaRef, 64);
  EXPECT_EQ(t[10].cull, kCullNone);
  EXPECT_EQ(t[10].stages[0].mipBias, -2.5f);
  EXPECT_EQ(t[15].stages[2].state, kStageDisabled);
  EXPECT_EQ(t[22].srcBlend, kBlendDestColour);
  EXPECT_EQ(t[7].texGen, 2);
  EXPECT_EQ(t[6].softwareFlags, kShaderSoftNoKey);

  g_RendererSettings.multiTexture = 1;
  EXPECT_TRUE(SetWaterShader());
  EXPECT_EQ(renderer_->CurrentShader(), kShaderWater);
  g_RendererSettings.multiTexture = 0;
  EXPECT_FALSE(SetWaterShader());
  EXPECT_FALSE(SetTestShader());
  EXPECT_EQ(renderer_->CurrentShader(), kShaderWater);
}

TEST_F(ShaderTableTest, ZClearFallsBackThenGivesUp) {
  BuildShaderTable(renderer_.get());
  ShaderTable()[kShaderZClear].valid = 0;
  EXPECT_TRUE(SetZClearShader());
  EXPECT_EQ(renderer_->CurrentShader(), kShaderZClear2);
  ShaderTable()[kShaderZClear2].valid = 0;
  renderer_->SetShader(kShaderNoBlend);
  EXPECT_FALSE(SetZClearShader());
  EXPECT_EQ(renderer_->CurrentShader(), kShaderNoBlend);
}

}  // namespace
