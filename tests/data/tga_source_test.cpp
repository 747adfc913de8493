// The picture baker's sky and road sources, and the sky table the build
// makes: the game reads it as a day from dawn to night.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/tgabake/tga_sources.h"
#include "visuals/scene/sky.h"

namespace {

TEST(TgaSource, SkyKeysBlendRoundTheDayIntoTheRowsTheGameReads) {
  std::vector<TgaPicture> out;
  std::string error;
  ASSERT_TRUE(BakeTgaSource("output gamedata\\s.tga\nsky\nsunrise 6\nsunset 18\n"
                            "key 0 #000000 #000000 #000000 0 0 0 0\n"
                            "key 12 #FF8040 #202020 #4080FF 255 100 50 200\n",
                            out, error))
      << error;
  ASSERT_EQ(out.size(), 1u);
  const std::vector<uint8_t> file = EncodeTga32(out[0]);
  SunColourTables t{};
  ASSERT_TRUE(ParseSunColours(file, t));
  EXPECT_EQ(t.sun[192], 0xFFFF8040u);
  EXPECT_EQ(t.sun[96], 0xFF804020u);  // halfway from midnight, and back after noon
  EXPECT_EQ(t.sun[288], 0xFF804020u);
  EXPECT_EQ(t.sunrise, 96);
  EXPECT_EQ(t.sunset, 288);
  EXPECT_EQ(t.brightness[192], 200);
  EXPECT_FLOAT_EQ(t.fogB[192], 50.0f);
  for (const char* bad : {"output x.tga\nsky\nkey 1 #000000\n",
                          "output x.tga\nsky\nsunrise 6\nsunset 5\nkey 1 #000000 #000000 #000000 0 0 0 0\n",
                          "output x.tga\nsky\nsunrise 6\nsunset 18\nkey 3 #000000 #000000 #000000 0 0 0 0\n"
                          "key 2 #000000 #000000 #000000 0 0 0 0\n",
                          "sky\n", "output x.tga\nclouds\n"}) {
    out.clear();
    EXPECT_FALSE(BakeTgaSource(bad, out, error)) << bad;
  }
}

TEST(TgaSource, RoadsMakeTwoPicturesADecade) {
  std::vector<TgaPicture> out;
  std::string error;
  ASSERT_TRUE(BakeTgaSource("output r_%s_%s.tga\nroads\n"
                            "decade 1950 #404040 #A0A0A0 #FFFFFF dashed 0\n"
                            "decade 1960 #404040 #A0A0A0 #FFFFFF none 0\n",
                            out, error));
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0].name, "r_1950_A.tga");
  EXPECT_EQ(out[3].name, "r_1960_B.tga");
  EXPECT_EQ(out[0].width, 256);
  EXPECT_EQ(out[0].texels[128], 0xFFFFFFFFu);             // the centre line's first dash
  EXPECT_EQ(out[0].texels[40 * 256 + 128], 0xFF404040u);  // and the gap after it
  EXPECT_EQ(out[2].texels[128], 0xFF404040u);              // no line
  EXPECT_EQ(out[0].texels[0], 0xFFA0A0A0u);                // kerb
  EXPECT_FALSE(BakeTgaSource("output r.tga\nroads\ndecade 1950 #404040 #A0A0A0 #FFFFFF wavy 0\n",
                             out, error));
}

TEST(BuiltSky, TheGamesDayRunsFromDarkNightToBrightNoon) {
  std::ifstream in(std::string(RC_GAME_ROOT) + "/gamedata/suncols.tga", std::ios::binary);
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  SunColourTables t{};
  ASSERT_TRUE(ParseSunColours(file, t));
  EXPECT_GT(t.sunrise, 0);
  EXPECT_GT(t.sunset, t.sunrise);
  EXPECT_GT(t.brightness[192], 200);  // noon
  EXPECT_LT(t.brightness[0], 40);     // midnight
  EXPECT_GT(t.sky[192] & 0xFF, (t.sky[192] >> 16) & 0xFF);  // a blue noon sky
}

}  // namespace
