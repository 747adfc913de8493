#include "tools/texconv/texture_source.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "engine/scene/texture.h"

namespace {

std::array<uint8_t, 4> Texel(const TextureImage& t, int x, int y) {
  const uint8_t* p = &t.texels[(static_cast<size_t>(y) * static_cast<size_t>(t.width) + static_cast<size_t>(x)) * 4];
  return {p[0], p[1], p[2], p[3]};
}

TextureSource Parse(const std::string& text) {
  TextureSource source;
  std::string error;
  EXPECT_TRUE(ParseTextureSource(text, ".", source, error)) << error;
  return source;
}

TEST(TextureSourceTest, DrawsShapesClippedToTheTexture) {
  TextureSource s = Parse(
      "output gamedata2\\X\\textures.gtd  # a set\n"
      "texture 8 4 #102030\n"
      "rect 6 2 10 10 #FF000080\n"
      "texture 4 4\n"
      "checker 2 #FFFFFF #000000\n"
      "frame 1 #00FF00\n");
  ASSERT_EQ(s.textures.size(), 2u);
  const TextureImage& a = s.textures[0];
  EXPECT_EQ(Texel(a, 0, 0), (std::array<uint8_t, 4>{0x10, 0x20, 0x30, 255}));
  EXPECT_EQ(Texel(a, 7, 3), (std::array<uint8_t, 4>{255, 0, 0, 0x80}));
  EXPECT_EQ(Texel(a, 5, 3), (std::array<uint8_t, 4>{0x10, 0x20, 0x30, 255}));
  const TextureImage& b = s.textures[1];
  EXPECT_EQ(Texel(b, 0, 0), (std::array<uint8_t, 4>{0, 255, 0, 255}));
  EXPECT_EQ(Texel(b, 1, 1), (std::array<uint8_t, 4>{255, 255, 255, 255}));
  EXPECT_EQ(Texel(b, 2, 1), (std::array<uint8_t, 4>{0, 0, 0, 255}));
  EXPECT_EQ(TextureOutputs(s), std::vector<std::string>{"gamedata2\\X\\textures.gtd"});
}

TEST(TextureSourceTest, PixelRowsUseTheirKeysAndLeaveDotsAlone) {
  TextureSource s = Parse(
      "output a.tex\nkey r #FF0000\nkey b #0000FF\ntexture 4 3 #FFFFFF\nflags ownpage\n"
      "pixels 1 1\nr.b\nbbbbbb\nend\n");
  const TextureImage& t = s.textures[0];
  EXPECT_EQ(t.flags, kTexFlagOwnPage);
  EXPECT_EQ(Texel(t, 1, 1), (std::array<uint8_t, 4>{255, 0, 0, 255}));
  EXPECT_EQ(Texel(t, 2, 1), (std::array<uint8_t, 4>{255, 255, 255, 255}));
  EXPECT_EQ(Texel(t, 3, 2), (std::array<uint8_t, 4>{0, 0, 255, 255}));  // clipped at the edge
  EXPECT_EQ(Texel(t, 0, 0), (std::array<uint8_t, 4>{255, 255, 255, 255}));
}

TEST(TextureSourceTest, NoiseIsTheSameEveryTime) {
  const char* text = "output a.tex\ntexture 8 8 #808080\nnoise 5 20\n";
  TextureSource a = Parse(text), b = Parse(text);
  EXPECT_EQ(a.textures[0].texels, b.textures[0].texels);
  EXPECT_NE(Texel(a.textures[0], 0, 0), Texel(a.textures[0], 1, 0));
}

TEST(TextureSourceTest, VariantsNameOneOutputPerWidth) {
  TextureSource s = Parse("output g\\T%d\\textures.gtd\nvariants 640 1024\ntexture 10 10\n");
  EXPECT_EQ(TextureOutputs(s), (std::vector<std::string>{"g\\T640\\textures.gtd", "g\\T1024\\textures.gtd"}));
  TextureImage big = ScaleTexture(s.textures[0], 1024.0f / 640.0f);
  EXPECT_EQ(big.width, 16);
  EXPECT_EQ(big.height, 16);
}

TEST(TextureSourceTest, ScalingKeepsFlatColoursAndBlendsEdges) {
  TextureImage t{0, 2, 1, {0, 0, 0, 255, 200, 100, 50, 255}};
  TextureImage s = ScaleTexture(t, 2.0f);
  ASSERT_EQ(s.width, 4);
  EXPECT_EQ(Texel(s, 0, 0), (std::array<uint8_t, 4>{0, 0, 0, 255}));
  EXPECT_EQ(Texel(s, 3, 1), (std::array<uint8_t, 4>{200, 100, 50, 255}));
  EXPECT_EQ(Texel(s, 1, 0), (std::array<uint8_t, 4>{50, 25, 13, 255}));
}

TEST(TextureSourceTest, BadSourcesNameTheLine) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"output a.tex\nfill #FFFFFF\n", "line 2: no texture started"},
      {"output a.tex\ntexture 300 4\n", "line 2: expected texture <width> <height>"},
      {"output a.tex\ntexture 4 4\nfill #FFF\n", "line 3: expected a colour"},
      {"output a.tex\ntexture 4 4\nrect 0 0 2\n", "line 3: number missing"},
      {"output a.tex\ntexture 4 4\nsparkle\n", "line 3: unknown statement sparkle"},
      {"output a.tex\ntexture 4 4\npixels 0 0\nx\nend\n", "line 4: a pixel row uses a character"},
      {"output a.tex\ntexture 4 4\npixels 0 0\n", "pixels without end"},
      {"output a.tex\ntexture 4 4\ntexture 4 4\n", "exactly one texture"},
      {"texture 4 4\n", "no output given"},
      {"output a.gtd\nvariants 640\ntexture 4 4\n", "variants need %d"},
      {"output a.tex\ntexture 4 4 #000000 extra\n", "line 2: unexpected extra"},
      {"output a.tex\ntexture 4 4\nfill #000000 extra\n", "line 3: unexpected extra"},
      {"output a.tex\ntexture png missing.png\n", "line 2: cannot read"},
      {"output a.tga\ntexture 641 480\n", "line 2: expected texture <width> <height>"},
      {"output a.tga\ntexture 64 64\ntext c 10 12 #FFFFFF\n", "line 3: expected a face file"},
      {"output a.tga\ntexture 64 64\ntext c 10 12 #FFFFFF Nope.ttf Hi\n", "line 3: cannot open the face"},
  };
  for (const Case& c : cases) {
    TextureSource s;
    std::string error;
    EXPECT_FALSE(ParseTextureSource(c.text, ".", s, error)) << c.text;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " gave " << error;
  }
}

TEST(TextureSourceTest, PicturesAreFullScreenSizedAndDrawText) {
  TextureSource s;
  std::string error;
  ASSERT_TRUE(ParseTextureSource("output language\\usa\\loading.tga\ntexture 640 480 #000000\n"
                                 "text c 100 40 #F80000 DejaVuSans-Bold.ttf Loading\n",
                                 ".", s, error, RC_DEJAVU_DIR))
      << error;
  ASSERT_TRUE(IsPictureOutput(s));
  const TextureImage& t = s.textures.front();
  ASSERT_EQ(t.width, 640);
  // The text is centred, above its baseline, in the text colour.
  int32_t left = 640, right = -1, red = 0;
  for (int32_t y = 0; y < 480; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      if (Texel(t, x, y)[0] == 0) continue;
      EXPECT_LE(y, 110) << x << "," << y;
      left = std::min(left, x), right = std::max(right, x);
      red += Texel(t, x, y)[0] == 0xF8;
    }
  }
  EXPECT_GT(red, 100);
  EXPECT_NEAR((left + right) / 2, 320, 4);
  const std::vector<uint16_t> pixels = PicturePixels(t);
  EXPECT_EQ(pixels[0], 0);
  EXPECT_EQ(PicturePixels(Parse("output a.tga\ntexture 1 1 #F8FC08\n").textures[0])[0], 0x7FE1);
}

// Text is UTF-8: a character beyond ASCII is one glyph, not one per byte.
TEST(TextureSourceTest, TextIsReadAsUtf8) {
  TextureSource s;
  std::string error;
  ASSERT_TRUE(ParseTextureSource("output a.gtd\ntexture 48 16\ntext c 13 12 #FFFFFF DejaVuSans-Bold.ttf \u25b2\n", ".",
                                 s, error, RC_DEJAVU_DIR))
      << error;
  int32_t left = 48, right = -1;
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 48; ++x)
      if (Texel(s.textures[0], x, y)[3] != 0) left = std::min(left, x), right = std::max(right, x);
  ASSERT_GE(right, left);
  EXPECT_LT(right - left, 14);  // the three bytes' glyphs would span twice that
  EXPECT_NEAR((left + right) / 2, 24, 2);
}

TEST(TextureSourceTest, ReadsPngFilesAsTexels) {
  auto folder = std::filesystem::temp_directory_path() / ("rc_png_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const uint8_t rgba[] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 9, 9, 9, 255, 1, 2, 3, 4, 5, 6, 7, 8};
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = 3;
  image.height = 2;
  image.format = PNG_FORMAT_RGBA;
  ASSERT_TRUE(png_image_write_to_file(&image, (folder / "p.png").c_str(), 0, rgba, 0, nullptr));
  TextureSource s;
  std::string error;
  ASSERT_TRUE(ParseTextureSource("output a.tex\ntexture png p.png\n", folder.string(), s, error)) << error;
  EXPECT_EQ(s.textures[0].width, 3);
  EXPECT_EQ(s.textures[0].height, 2);
  EXPECT_EQ(s.textures[0].texels, std::vector<uint8_t>(std::begin(rgba), std::end(rgba)));

  // Not a PNG: refused with the file's name.
  std::FILE* f = std::fopen((folder / "bad.png").c_str(), "wb");
  std::fputs("not a picture", f);
  std::fclose(f);
  EXPECT_FALSE(ParseTextureSource("output a.tex\ntexture png bad.png\n", folder.string(), s, error));
  EXPECT_NE(error.find("bad.png"), std::string::npos);
  std::filesystem::remove_all(folder);
}

}  // namespace
