// The night windows: which hours change the texture, and the same draws on
// every machine.
#include <gtest/gtest.h>

#include <vector>

#include "engine/core/random_stream.h"
#include "presentation_fixture.h"
#include "visuals/scene/night_windows.h"

namespace {

class NightWindowTest : public PresentationTest {
 protected:
  void SetUp() override {
    PresentationTest::SetUp();
    ResetNightWindows();
  }
  void TearDown() override {
    ResetNightWindows();
    PresentationTest::TearDown();
  }
  int32_t Windows(int32_t side) {
    const int32_t slot = OwnPageTexture(side, 0xFF80E0FFu);
    TexSysSetNamedTexture(kNightWindowTexture, slot);
    return slot;
  }
  std::vector<uint32_t> Run(int32_t slot, int32_t hour, int ticks) {
    for (int i = 0; i < ticks; ++i) StepNightWindows(hour, 0);
    const uint32_t* p = PagePixels(slot);
    return {p, p + 64 * 64};
  }
};

TEST_F(NightWindowTest, DaytimeHoursLeaveTheTextureAlone) {
  const int32_t slot = Windows(64);
  NightWindowRandom().SetState(1234);
  for (int32_t hour = 9; hour <= 17; ++hour) {
    const std::vector<uint32_t> after = Run(slot, hour, 300);
    EXPECT_EQ(after, std::vector<uint32_t>(64 * 64, 0xFF80E0FFu)) << hour;
  }
  EXPECT_FALSE(NightWindowsChanged());
  // Eight o'clock puts every window out.
  const std::vector<uint32_t> morning = Run(slot, 8, 300);
  EXPECT_EQ(morning, std::vector<uint32_t>(64 * 64, 0u));
  EXPECT_TRUE(NightWindowsChanged());
  // Evening lights them again from the original picture.
  const std::vector<uint32_t> evening = Run(slot, 20, 3000);
  EXPECT_NE(evening, morning);
  for (uint32_t texel : evening) EXPECT_TRUE(texel == 0u || texel == 0xFF80E0FFu);
}

TEST_F(NightWindowTest, OtherSizesAndGameModeTwoAreUntouched) {
  const int32_t slot = Windows(32);
  for (int i = 0; i < 300; ++i) StepNightWindows(8, 0);
  EXPECT_EQ(PagePixels(slot)[0], 0xFF80E0FFu);
  ResetNightWindows();
  const int32_t right = Windows(64);
  for (int i = 0; i < 300; ++i) StepNightWindows(8, 2);
  EXPECT_EQ(PagePixels(right)[0], 0xFF80E0FFu);
}

TEST_F(NightWindowTest, TheSameSeedGivesTheSamePattern) {
  std::vector<uint32_t> patterns[2];
  for (auto& pattern : patterns) {
    ResetNightWindows();
    const int32_t slot = Windows(64);
    NightWindowRandom().SetState(77);
    Run(slot, 8, 300);
    pattern = Run(slot, 19, 900);
  }
  EXPECT_EQ(patterns[0], patterns[1]);
}

}  // namespace
