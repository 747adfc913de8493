// The day's colours, the sun's angle and the colour table file.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "presentation_fixture.h"
#include "visuals/scene/sky.h"

namespace {

constexpr float kPi = 3.14159265358979f;

class SkyTest : public PresentationTest {
 protected:
  void SetUp() override {
    PresentationTest::SetUp();
    saved_ = SunColours();
  }
  void TearDown() override {
    SunColours() = saved_;
    PresentationTest::TearDown();
  }
  // A picture of width x height with every read row's texel `i` set from i.
  static std::vector<uint8_t> Picture(int width, int height, int depth = 32) {
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = 2, bytes[12] = uint8_t(width), bytes[13] = uint8_t(width >> 8);
    bytes[14] = uint8_t(height), bytes[15] = uint8_t(height >> 8), bytes[16] = uint8_t(depth);
    bytes.resize(18 + size_t(width) * height * 4, 0);
    auto row = [&](int k) { return bytes.data() + 18 + size_t(4) * width * (height - 33 - k); };
    if (height < 33 + 145 || width < 384) return bytes;
    for (int i = 0; i < 384; ++i) {
      uint8_t* sun = row(0) + 4 * i;
      sun[0] = uint8_t(i), sun[1] = 10, sun[2] = 200;  // B G R
      row(64)[4 * i] = i == 80 ? 64 : i == 300 ? 192 : 0;
      row(144)[4 * i] = uint8_t(i / 2);
      row(16)[4 * i] = 255;
    }
    return bytes;
  }
  SunColourTables saved_;
};

TEST_F(SkyTest, ValuesLieBetweenTwoStepsOfTheDay) {
  SunColourTables& t = SunColours();
  t.sun[192] = 0xFF000000;
  t.sun[193] = 0xFF204060;
  t.brightness[192] = 100;
  t.brightness[193] = 200;
  t.fogA[192] = 10;
  t.fogA[193] = 20;
  // 16 steps an hour: 20 ticks into hour 12 is step 192.512.
  UpdateSunColoursAt(12, 20);
  EXPECT_NEAR(Sky().brightness, 151.2f, 0.01f);
  EXPECT_EQ(Sky().sun, 0xFF102031u);  // channels truncated
  EXPECT_NEAR(Sky().fogA, 15.12f, 0.01f);
  UpdateSunColoursAt(12, 0);
  EXPECT_EQ(Sky().sun, 0xFF000000u);
  EXPECT_FLOAT_EQ(Sky().fogA, 10.0f);
  // Step 383 blends into step 0.
  t.brightness[383] = 0;
  t.brightness[0] = 254;
  UpdateSunColoursAt(23, 625 * 15 / 16 + 312);
  EXPECT_GT(Sky().brightness, 100.0f);
}

TEST_F(SkyTest, SunAngleRunsOverTheDayAndOnThroughTheNight) {
  SunColourTables& t = SunColours();
  t.sunrise = 96;
  t.sunset = 304;
  UpdateSunColoursAt(12, 625 / 2);  // step 200 (less 1/80 of a step)
  EXPECT_NEAR(Sky().sunAngle, kPi / 2, 1e-3f);
  EXPECT_GT(Sky().sunDirection.y, 0.9f);
  UpdateSunColoursAt(0, 625 / 2);  // step 8 of the next night
  EXPECT_NEAR(Sky().sunAngle, 3 * kPi / 2, 1e-3f);
  EXPECT_LT(Sky().sunDirection.y, -0.9f);
  // By day the sky seen away from the sun is blue.
  UpdateSunColoursAt(12, 625 / 2);
  const uint32_t c = SkyColourAt({0, 0.2f, -1});
  EXPECT_GT(c & 0xFF, (c >> 16) & 0xFF);
}

TEST_F(SkyTest, TheFileFillsTheTablesAndABadOneLeavesThem) {
  SunColourTables t{};
  ASSERT_TRUE(ParseSunColours(Picture(384, 192), t));
  EXPECT_EQ(t.sun[5], 0xFFC80A05u);
  EXPECT_EQ(t.sunrise, 80);
  EXPECT_EQ(t.sunset, 300);
  EXPECT_EQ(t.brightness[100], 50);
  EXPECT_FLOAT_EQ(t.light[0], 1.3f);
  t.sun[0] = 0x12345678;
  std::vector<uint8_t> cut = Picture(384, 192);
  cut.resize(5000);
  for (const auto& bad : {Picture(383, 192), Picture(384, 176), Picture(384, 192, 24), cut}) {
    EXPECT_FALSE(ParseSunColours(bad, t));
    EXPECT_EQ(t.sun[0], 0x12345678u);
  }
  // A missing file: a warning, and the tables as they were.
  const uint32_t before = SunColours().sun[7];
  EXPECT_FALSE(LoadSunColours());
  EXPECT_EQ(SunColours().sun[7], before);
  EXPECT_EQ(boxes_.size(), 1u);
  WriteBytes("gamedata/suncols.tga", Picture(384, 192));
  EXPECT_TRUE(LoadSunColours());
  EXPECT_EQ(SunColours().sunrise, 80);
}

TEST_F(SkyTest, StarCatalogueKeepsStarsAboveTheHorizon) {
  EXPECT_EQ(ParseStarCatalogue("# stars\n10 45 4\n20 -5 2\nnonsense\n30 60 9\n40 10 0\n"), 2);
  EXPECT_EQ(StarCount(), 2);
}

}  // namespace
