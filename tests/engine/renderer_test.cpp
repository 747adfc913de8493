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
