#include "tools/fontbake/font_baker.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tools/tool_io.h"

namespace {

int32_t InkInCell(const TextureImage& t, const GlyphRecord& g, float scale) {
  const auto x0 = static_cast<int32_t>(std::lround(static_cast<float>(g.place[1]) * scale));
  const auto y0 = static_cast<int32_t>(std::lround(static_cast<float>(g.place[2]) * scale));
  const auto x1 = static_cast<int32_t>(std::lround(static_cast<float>(g.place[1] + g.place[3]) * scale));
  const auto y1 = static_cast<int32_t>(std::lround(static_cast<float>(g.place[2] + g.place[4]) * scale));
  int32_t ink = 0;
  for (int32_t y = y0; y < y1; ++y)
    for (int32_t x = x0; x < x1; ++x) ink += t.texels[(static_cast<size_t>(y) * static_cast<size_t>(t.width) + static_cast<size_t>(x)) * 4 + 3] != 0;
  return ink;
}

int32_t TotalInk(const std::vector<TextureImage>& set) {
  int32_t ink = 0;
  for (const TextureImage& t : set)
    for (size_t i = 3; i < t.texels.size(); i += 4) ink += t.texels[i] != 0;
  return ink;
}

TEST(FontBakerTest, ReadsTheFontList) {
  std::vector<FontSpec> fonts;
  std::string error;
  ASSERT_TRUE(ParseFontList("# fonts\n\ngamedata\\fonts\\a  Face.ttf 12 mono\nb Other.ttf 20 aa smallcaps\n", fonts, error)) << error;
  ASSERT_EQ(fonts.size(), 2u);
  EXPECT_EQ(fonts[0].base, "gamedata\\fonts\\a");
  EXPECT_FALSE(fonts[0].antialias);
  EXPECT_TRUE(fonts[1].small_caps);
  ASSERT_TRUE(ParseFontList("c Face.ttf 12 mono autohint\n", fonts, error)) << error;
  EXPECT_TRUE(fonts[0].autohint);
  for (const char* bad : {"a Face.ttf 12\n", "a Face.ttf 200 aa\n", "a Face.ttf 12 aa bold\n", "# nothing\n"}) {
    EXPECT_FALSE(ParseFontList(bad, fonts, error)) << bad;
  }
}

TEST(FontBakerTest, MapsTheCodePageBackToUnicode) {
  EXPECT_EQ(CodePointOfGameChar('A'), 0x41u);
  EXPECT_EQ(CodePointOfGameChar(0x80), 0x20ACu);  // the euro sign
  EXPECT_EQ(CodePointOfGameChar(0xE9), 0xE9u);
  EXPECT_EQ(CodePointOfGameChar(0x81), 0u);  // a hole in the code page
}

class BakedFontTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::vector<FontSpec> fonts = {{"f\\mono", "DejaVuSansCondensed-Bold.ttf", 12, false, false},
                                   {"f\\caps", "DejaVuSerif-Bold.ttf", 18, true, true}};
    std::string error;
    baked_ = new BakedFonts;
    ASSERT_TRUE(BakeFonts(fonts, RC_DEJAVU_DIR, {640, 1024}, *baked_, error)) << error;
  }
  static void TearDownTestSuite() { delete baked_; }
  static BakedFonts* baked_;
};
BakedFonts* BakedFontTest::baked_ = nullptr;

TEST_F(BakedFontTest, EveryCellLiesInsideItsTextureInBothSizes) {
  ASSERT_EQ(baked_->tables.size(), 2u);
  ASSERT_EQ(baked_->sets.size(), 2u);
  ASSERT_EQ(baked_->sets[0].size(), baked_->sets[1].size());
  EXPECT_EQ(baked_->sets[0][0].width, kBakedTextureSide);
  EXPECT_EQ(baked_->sets[1][0].width, 224);
  for (const auto& table : baked_->tables) {
    ASSERT_EQ(table.size(), static_cast<size_t>(kMaxGlyphs));
    for (int code = 0; code < kMaxGlyphs; ++code) {
      const GlyphRecord& g = table[static_cast<size_t>(code)];
      if (code < 32) {
        EXPECT_EQ(g.width, 0);
      }
      if (g.width == 0) continue;
      EXPECT_GE(g.place[0], 0);
      EXPECT_LT(g.place[0], static_cast<int32_t>(baked_->sets[0].size()));
      EXPECT_GE(g.place[1], kBakedCellGap);
      EXPECT_LE(g.place[1] + g.place[3] + kBakedCellGap, kBakedTextureSide);
      EXPECT_LE(g.place[2] + g.place[4] + kBakedCellGap, kBakedTextureSide);
      EXPECT_EQ(g.place[3], g.width);
      EXPECT_EQ(g.place[4], g.height);
      EXPECT_EQ(g.place[5], kBakedTextureSide);
    }
  }
}

TEST_F(BakedFontTest, GlyphsHaveInkAndTheBlankHasNone) {
  const auto& mono = baked_->tables[0];
  for (uint8_t code : {uint8_t{'A'}, uint8_t{'g'}, uint8_t{0x80}, uint8_t{0xE9}}) {
    const GlyphRecord& g = mono[code];
    ASSERT_GT(g.width, 0) << int{code};
    EXPECT_GT(InkInCell(baked_->sets[0][static_cast<size_t>(g.place[0])], g, 1.0f), 0) << int{code};
    EXPECT_GT(InkInCell(baked_->sets[1][static_cast<size_t>(g.place[0])], g, 1.6f), 0) << int{code};
  }
  const GlyphRecord& blank = mono[' '];
  EXPECT_GT(blank.width, 0);
  EXPECT_EQ(InkInCell(baked_->sets[0][static_cast<size_t>(blank.place[0])], blank, 1.0f), 0);
  EXPECT_EQ(mono[0x81].width, 0);
  // One line height for the whole font, drawn from the line's top.
  EXPECT_EQ(mono['A'].height, mono['g'].height);
  EXPECT_EQ(mono['A'].vertical_offset, 0);
  // The larger screen has more texels of ink for the same text.
  EXPECT_GT(TotalInk(baked_->sets[1]), TotalInk(baked_->sets[0]));
}

TEST_F(BakedFontTest, MonoFontsHaveOnlyFullOrEmptyTexelsAndSmallCapsAreNarrower) {
  const auto& mono = baked_->tables[0];
  const GlyphRecord& a = mono['A'];
  const TextureImage& t = baked_->sets[0][static_cast<size_t>(a.place[0])];
  for (int32_t y = a.place[2]; y < a.place[2] + a.place[4]; ++y) {
    for (int32_t x = a.place[1]; x < a.place[1] + a.place[3]; ++x) {
      uint8_t alpha = t.texels[(static_cast<size_t>(y) * static_cast<size_t>(t.width) + static_cast<size_t>(x)) * 4 + 3];
      EXPECT_TRUE(alpha == 0 || alpha == 255);
    }
  }
  const auto& caps = baked_->tables[1];
  EXPECT_LT(caps['a'].width, caps['A'].width);
  EXPECT_GT(caps['a'].width, 0);
}

// Whether the glyph's column of cells shows ink, then no ink, then ink again
// from top to bottom: the dot of an i or j stands apart from its stem.
bool DotStandsApart(const TextureImage& t, const GlyphRecord& g, float scale) {
  const auto x0 = static_cast<int32_t>(std::lround(static_cast<float>(g.place[1]) * scale));
  const auto y0 = static_cast<int32_t>(std::lround(static_cast<float>(g.place[2]) * scale));
  const auto x1 = static_cast<int32_t>(std::lround(static_cast<float>(g.place[1] + g.place[3]) * scale));
  const auto y1 = static_cast<int32_t>(std::lround(static_cast<float>(g.place[2] + g.place[4]) * scale));
  int32_t changes = 0;
  bool inked = false;
  for (int32_t y = y0; y < y1; ++y) {
    bool row = false;  // a texel at least half covered
    for (int32_t x = x0; x < x1; ++x)
      row |= t.texels[(static_cast<size_t>(y) * static_cast<size_t>(t.width) + static_cast<size_t>(x)) * 4 + 3] >= 128;
    if (row != inked) ++changes, inked = row;
  }
  return changes >= 3;
}

// The game's own font list, baked for the three screens: no glyph that fits
// its cell loses ink to the cell's edges (a j's hook or an accent is moved
// in), and the dots of i and j stay apart from their stems (in the fonts
// that draw them in lower case).
TEST(FontBakerTest, TheGamesFontsKeepEveryGlyphsInkInsideItsCell) {
  std::string text, error;
  ASSERT_TRUE(ReadToolSource(RC_TEST_SOURCE_DIR "/data/fonts/fonts.txt", text));
  std::vector<FontSpec> fonts;
  ASSERT_TRUE(ParseFontList(text, fonts, error)) << error;
  BakedFonts baked;
  const std::vector<int32_t> widths = {640, 800, 1024};
  ASSERT_TRUE(BakeFonts(fonts, RC_DEJAVU_DIR, widths, baked, error)) << error;
  EXPECT_EQ(baked.lostInk, 0);
  for (size_t f = 0; f < fonts.size(); ++f) {
    if (fonts[f].small_caps) continue;
    for (size_t s = 0; s < widths.size(); ++s) {
      const float scale = static_cast<float>(widths[s]) / 640.0f;
      for (uint8_t c : {uint8_t{'i'}, uint8_t{'j'}}) {
        const GlyphRecord& g = baked.tables[f][c];
        EXPECT_TRUE(DotStandsApart(baked.sets[s][static_cast<size_t>(g.place[0])], g, scale))
            << fonts[f].base << " at " << widths[s] << ": " << c;
      }
    }
  }
}

TEST(FontBakerTest, AMissingFaceIsAnError) {
  BakedFonts baked;
  std::string error;
  EXPECT_FALSE(BakeFonts({{"f\\x", "NoSuchFace.ttf", 12, true, false}}, RC_DEJAVU_DIR, {640}, baked, error));
  EXPECT_NE(error.find("NoSuchFace.ttf"), std::string::npos);
  EXPECT_FALSE(BakeFonts({{"f\\x", "DejaVuSans.ttf", 12, true, false}}, RC_DEJAVU_DIR, {2048}, baked, error));
}

}  // namespace
