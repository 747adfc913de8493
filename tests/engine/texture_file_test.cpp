#include "engine_files_fixture.h"

namespace {

using TextureFileTest = EngineFilesTest;

TEST_F(TextureFileTest, SetsAndSingleFilesRoundTrip) {
  std::vector<TextureImage> set{Solid(2, 3, 1, 2, 3, 4), Solid(4, 1, 9, 8, 7, 255)};
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeGtdFile(set, bytes));
  std::vector<TextureImage> back;
  std::string reason;
  ASSERT_TRUE(ParseGtdFile(bytes, back, reason)) << reason;
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1].width, 4);
  EXPECT_EQ(back[0].texels, set[0].texels);
  for (size_t n = 0; n < bytes.size(); ++n) EXPECT_FALSE(ParseGtdFile(std::span(bytes).first(n), back, reason));

  TextureImage single = Solid(3, 2, 5, 6, 7, 8);
  single.flags = kTexFlagOwnPage;
  ASSERT_TRUE(EncodeTextureFile(single, bytes));
  TextureImage one;
  ASSERT_TRUE(ParseTextureFile(bytes, one, reason));
  EXPECT_EQ(one.flags, kTexFlagOwnPage);
  EXPECT_EQ(one.texels, single.texels);
  bytes.pop_back();
  EXPECT_FALSE(ParseTextureFile(bytes, one, reason));
}

TEST_F(TextureFileTest, AlphaClasses) {
  struct Case {
    std::vector<uint8_t> alphas;
    uint32_t flags;
  } cases[] = {
      {{255, 255, 255}, kTexFlagOpaque},
      {{255, 0, 255}, kTexFlagKeyedAlpha},
      {{0, 128, 255}, kTexFlagPartialAlpha},
      {{255, 128, 0}, kTexFlagPartialAlpha},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> texels;
    for (uint8_t a : c.alphas) texels.insert(texels.end(), {0, 0, 0, a});
    uint32_t flags = kTexFlagOwnPage | kTexAlphaClassMask;
    TexClassifyAlpha(flags, texels);
    EXPECT_EQ(flags, c.flags | kTexFlagOwnPage);
  }
}

TEST_F(TextureFileTest, SaturationBoost) {
  std::vector<uint8_t> texels{128, 128, 128, 7, 255, 0, 0, 9, 200, 100, 100, 255};
  TexAdjustColours(texels);
  EXPECT_EQ(std::vector<uint8_t>(texels.begin(), texels.begin() + 8),
            (std::vector<uint8_t>{128, 128, 128, 7, 255, 0, 0, 9}));
  EXPECT_NEAR(texels[8], 200, 1);
  EXPECT_NEAR(texels[9], 60, 1);
  EXPECT_NEAR(texels[10], 60, 1);
  EXPECT_EQ(texels[11], 255);
  Hsv hsv = RgbToHsv(200, 100, 100);
  EXPECT_FLOAT_EQ(hsv.hue, 0.0f);
  EXPECT_NEAR(hsv.saturation, 0.5f, 1e-5);
  EXPECT_FLOAT_EQ(RgbToHsv(50, 50, 50).hue, -1.0f);
}

TEST_F(TextureFileTest, SetLoadsThroughTheArchive) {
  std::vector<TextureImage> set{Solid(2, 2, 200, 100, 100, 255), Solid(1, 1, 0, 0, 0, 0)};
  ASSERT_TRUE(WriteGtdFile("gamedata2\\Signs\\textures.gtd", set));
  CTexture* textures = nullptr;
  int32_t count = 0;
  ASSERT_TRUE(TexLoadGtd("gamedata2\\Signs\\textures.gtd", &textures, &count, true));
  EXPECT_EQ(textures, nullptr);
  EXPECT_TRUE(CacheArchive().Contains("gamedata2\\Signs\\textures.gtd"));
  std::filesystem::remove(Real("gamedata2/Signs/textures.gtd"));
  ASSERT_TRUE(TexLoadGtd("gamedata2\\Signs\\textures.gtd", &textures, &count, false));
  ASSERT_EQ(count, 2);
  EXPECT_EQ(textures[0].flags, kTexFlagOpaque);
  EXPECT_EQ(textures[1].flags, kTexFlagKeyedAlpha);
  EXPECT_FLOAT_EQ(textures[0].uSize, 2.0f);
  auto* texel = reinterpret_cast<uint8_t*>(textures[0].pixels);
  EXPECT_NEAR(texel[1], 60, 1);
  EXPECT_GE(TexSysAddTexture(&textures[0], 0), 0);
  MEM_FREE(textures[1].pixels);
}

TEST_F(TextureFileTest, BadSetsAreFatal) {
  std::vector<uint8_t> bytes;
  std::vector<TextureImage> set{Solid(1, 1, 0, 0, 0, 255)};
  ASSERT_TRUE(EncodeGtdFile(set, bytes));
  bytes[0] = 4;
  WriteBytes("gamedata2/v4/textures.gtd", bytes);
  CTexture* textures = nullptr;
  int32_t count = 0;
  EXPECT_EQ(FatalText([&] { TexLoadGtd("gamedata2\\v4\\textures.gtd", &textures, &count, false); }),
            "Incorrect Texture Version gamedata2\\v4\\textures.gtd");
  EXPECT_EQ(FatalText([&] { TexLoadGtd("gamedata2\\none\\textures.gtd", &textures, &count, false); }),
            "Cannot open texture file gamedata2\\none\\textures.gtd");
  bytes[0] = 5;
  bytes.pop_back();
  WriteBytes("gamedata2/short/textures.gtd", bytes);
  EXPECT_EQ(FatalText([&] { TexLoadGtd("gamedata2\\short\\textures.gtd", &textures, &count, false); }),
            "Error loading gamedata2\\short\\textures.gtd");
}

TEST_F(TextureFileTest, SingleTexturesRegisterOncePerRunByFileName) {
  ASSERT_TRUE(WriteTextureFile("gamedata2\\a\\wall.tex", Solid(2, 2, 10, 20, 30, 255)));
  TextureImage own = Solid(2, 2, 1, 2, 3, 255);
  own.flags = kTexFlagOwnPage;
  ASSERT_TRUE(WriteTextureFile("gamedata2\\b\\roof.tex", own));
  int32_t a = TexLoadTexture("gamedata2\\a\\wall.tex");
  int32_t b = TexLoadTexture("gamedata2\\b\\roof.tex");
  EXPECT_GE(a, 0);
  EXPECT_NE(a, b);
  // The same file name from another folder is the same texture.
  EXPECT_EQ(TexLoadTexture("gamedata2\\b\\wall.tex"), a);
  EXPECT_EQ(TexLoadTexture("gamedata2\\a\\wall.tex"), a);
  EXPECT_TRUE(TexSysGetTexture(b)->flags & kTexFlagOwnPage);
  EXPECT_EQ(TheTextureSystem()->slots[b].value, kSlotValueOwnPage);
  EXPECT_EQ(TexLoadTexture("gamedata2\\a\\none.tex"), -1);

  // The next run registers it again from the archive alone.
  std::filesystem::remove(Real("gamedata2/a/wall.tex"));
  ReopenArchive();
  int32_t again = TexLoadTexture("gamedata2\\a\\wall.tex");
  EXPECT_GE(again, 0);
  EXPECT_NE(again, a);
}

}  // namespace
