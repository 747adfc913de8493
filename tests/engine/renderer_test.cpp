#include "engine/render/renderer.h"

#include <gtest/gtest.h>

#include "recording_renderer.h"

TEST(Renderer, ReservedOperationsAreAcceptedAndEmpty) {
  RecordingRenderer r;
  CRenderer& base = r;
  base.Reserved3();
  base.Reserved4(1, 2);
  base.Reserved38(1, 2, 3);
  base.Reserved85(1, 2, 3, 4, 5, 6);
  EXPECT_EQ(base.Reserved16(7), 0);
  EXPECT_EQ(base.Reserved62(), 0);
  EXPECT_EQ(base.Reserved63(), 0);
  EXPECT_FLOAT_EQ(base.Reserved40(), -1.0f);
  EXPECT_TRUE(r.calls.empty());
}

TEST(Renderer, OtherNamesReachTheSameOperations) {
  RecordingRenderer r;
  r.UpdateCamera();
  r.SetDepthAndFogRanges(0, 100.0f, 1000.0f, 0);
  r.ValidateShaderList(nullptr, 0);
  r.DrawSpecial();
  EXPECT_EQ(r.calls, (std::vector<std::string>{"ApplyCamera", "SetFog", "SetShaderTable",
                                               "DrawTexturePageOverview"}));
}

TEST(Renderer, ProgramWideRendererIsSetAndCleared) {
  RecordingRenderer r;
  SetRenderer(&r);
  EXPECT_EQ(GetRenderer(), &r);
  SetRenderer(nullptr);
  EXPECT_EQ(GetRenderer(), nullptr);
}

// The brightness slider's curve: the default shows the picture as drawn,
// the ends darken and brighten mid grey by the documented amounts, black
// and white stay, and no level turns a darker input into a brighter output.
TEST(GammaRamp, NeutralAtTheDefaultEndsFixedAndMonotonic) {
  const GammaRamp neutral = BuildGammaRamp(kNeutralGammaLevel);
  for (int32_t i = 0; i < 256; ++i) ASSERT_EQ(neutral[size_t(i)], i);
  EXPECT_EQ(BuildGammaRamp(0)[128], 83);
  EXPECT_EQ(BuildGammaRamp(100)[128], 193);
  for (int32_t level = 0; level <= 100; ++level) {
    const GammaRamp ramp = BuildGammaRamp(level);
    EXPECT_EQ(ramp[0], 0) << level;
    EXPECT_EQ(ramp[255], 255) << level;
    for (size_t i = 1; i < 256; ++i) ASSERT_GE(ramp[i], ramp[i - 1]) << level;
    EXPECT_EQ(ramp[128] < 128, level < kNeutralGammaLevel) << level;
  }
  EXPECT_EQ(BuildGammaRamp(-5), BuildGammaRamp(0));
  EXPECT_EQ(BuildGammaRamp(250), BuildGammaRamp(100));
}

TEST(Renderer, GraphicsLevelsAreKeptClamped) {
  RecordingRenderer r;
  EXPECT_EQ(r.FilteringLevel(), 1);
  EXPECT_EQ(r.GammaLevel(), kNeutralGammaLevel);
  r.SetFilteringLevel(2);
  r.SetGammaLevel(-1);
  EXPECT_EQ(r.FilteringLevel(), 1);
  EXPECT_EQ(r.GammaLevel(), 0);
  r.SetFilteringLevel(0);
  r.SetGammaLevel(101);
  EXPECT_EQ(r.FilteringLevel(), 0);
  EXPECT_EQ(r.GammaLevel(), 100);
}
