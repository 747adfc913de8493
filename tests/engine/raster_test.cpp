#include "engine/render/raster.h"

#include <gtest/gtest.h>

#include "raster_fixture.h"

namespace {

// Texel value from position: distinct, never zero, bit 6 clear (so keyed
// formats can add it).
uint16_t Coded(int level, int col, int row) {
  return uint16_t(0x8000 | (level << 11) | (row << 7) | col);
}

using RasterFill = RasterTarget;

struct RowCase {
  float y0, y1;
  int firstRow, rows;
};

TEST_F(RasterFill, RowsRoundHalfUpTiesToEven) {
  const RowCase cases[] = {
      {10.0f, 11.0f, 10, 2},  // 10.5 -> 10, 11.5 -> 12
      {11.0f, 12.0f, 0, 0},   // 11.5 -> 12, 12.5 -> 12
      {10.0f, 20.0f, 10, 10}, // 20.5 -> 20
      {10.4f, 12.6f, 11, 2},
  };
  for (const RowCase& c : cases) {
    SetUp();
    g_RasterVertices.FlatColour = 0xFFFFFFFF;
    Rect([] { FillFlat(); }, 2.0f, c.y0, 30.0f, c.y1);
    Box b = Covered();
    if (c.rows == 0) {
      EXPECT_EQ(CountNot(0), 0) << c.y0;
      continue;
    }
    EXPECT_EQ(b.top, c.firstRow) << c.y0 << ".." << c.y1;
    EXPECT_EQ(b.bottom - b.top + 1, c.rows) << c.y0 << ".." << c.y1;
  }
}

TEST_F(RasterFill, ColumnsAreTheCeilingOfTheEdges) {
  const struct {
    float x0, x1;
    int first, last;
  } cases[] = {{3.0f, 7.0f, 3, 6}, {3.2f, 7.2f, 4, 7}, {3.0f, 3.0f, -1, -1}};
  for (const auto& c : cases) {
    SetUp();
    g_RasterVertices.FlatColour = 0xFFFFFFFF;
    Rect([] { FillFlat(); }, c.x0, 10.0f, c.x1, 20.0f);
    Box b = Covered();
    EXPECT_EQ(b.left, c.first < 0 ? 1 << 30 : c.first) << c.x0;
    EXPECT_EQ(b.right, c.last) << c.x0;
  }
}

TEST_F(RasterFill, TexturedFillersSkipTrianglesInOneRowOrColumnButFlatOnesDoNot) {
  TestTexture tex(8, 1, Coded);
  // All three y in integer row 10; the flat filler still covers row 10.
  SetTriangle({0, 10.0f, 0, 0, 0}, {40, 10.0f, 0, 1, 0}, {0, 10.9f, 0, 0, 1});
  FillTextured(tex.texture, 1);
  EXPECT_EQ(CountNot(0), 0);
  SetTriangle({0, 10.0f, 0, 0, 0}, {40, 10.0f, 0, 1, 0}, {0, 10.9f, 0, 0, 1});
  g_RasterVertices.FlatColour = 0xFFFFFFFF;
  FillFlat();
  EXPECT_EQ(CountNot(0), 40);

  SetUp();
  // All three x round to column 10.
  SetTriangle({10.2f, 0, 0, 0, 0}, {9.8f, 20, 0, 1, 0}, {10.4f, 30, 0, 0, 1});
  FillSilhouette(tex.texture, 1);
  FillTexturedDepth(tex.texture, 1);
  EXPECT_EQ(CountNot(0), 0);
}

TEST_F(RasterFill, TextureTilesAndOneMapsToTheNextRepeat) {
  TestTexture tex(8, 1, Coded);
  // 16 x 16 pixels over two repeats each way: one texel per pixel.
  Rect([&] { FillTextured(tex.texture, 0); }, 0, 0, 16, 16, 0, 0, 2, 2);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(At(x, y), Coded(0, x % 8, y % 8)) << x << "," << y;
  EXPECT_EQ(At(16, 0), 0);
  // Negative coordinates tile too.
  SetUp();
  Rect([&] { FillTextured(tex.texture, 0); }, 0, 0, 16, 16, -1, -1, 1, 1);
  EXPECT_EQ(At(0, 0), Coded(0, 0, 0));
  EXPECT_EQ(At(3, 5), Coded(0, 3, 5));
  EXPECT_EQ(At(9, 10), Coded(0, 1, 2));
}

TEST_F(RasterFill, MipLevelFollowsTheCombinedGradient) {
  const struct {
    float texelsPerPixel;
    int levels;
    int expected;
  } cases[] = {{1.0f, 7, 0}, {1.5f, 7, 0}, {2.0f, 7, 1}, {3.9f, 7, 1}, {5.0f, 7, 2},
               {5.0f, 2, 1}, {8.0f, 7, 3}, {16.0f, 7, 4}, {64.0f, 7, 6}};
  for (const auto& c : cases) {
    SetUp();
    TestTexture tex(128, c.levels, [](int l, int, int) { return uint16_t(0x1000 * (l + 1)); });
    float uSpan = 8.0f * c.texelsPerPixel / 128.0f;
    Rect([&] { FillTextured(tex.texture, 0); }, 0, 0, 8, 8, 0, 0, uSpan, 0);
    EXPECT_EQ(At(4, 4), 0x1000 * (c.expected + 1)) << c.texelsPerPixel << " " << c.levels;
  }
}

TEST_F(RasterFill, DepthOrderEqualPassesNearerWinsFartherLeavesBoth) {
  TestTexture red(8, 1, [](int, int, int) { return uint16_t(0xF800); });
  TestTexture blue(8, 1, [](int, int, int) { return uint16_t(0x001F); });
  const struct {
    float second;
    uint16_t colour;
    uint16_t depth;
  } cases[] = {{0.25f, 0x001F, 0x3FFF}, {0.4f, 0x001F, 0x6665}, {0.1f, 0xF800, 0x3FFF}};
  for (const auto& c : cases) {
    SetUp();
    Rect([&] { FillTexturedDepth(red.texture, 0); }, 4, 4, 20, 20, 0, 0, 1, 1, 0.25f);
    Rect([&] { FillTexturedDepth(blue.texture, 0); }, 4, 4, 20, 20, 0, 0, 1, 1, c.second);
    EXPECT_EQ(At(10, 10), c.colour) << c.second;
    EXPECT_NEAR(DepthAt(10, 10), c.depth, 1) << c.second;
  }
}

TEST_F(RasterFill, DepthKeysStoreAsTheUpperHalfOfTheAccumulator) {
  g_RasterVertices.FlatColour = 0xFFFFFFFF;
  Rect([] { FillFlatDepth(); }, 0, 0, 8, 8, 0, 0, 1, 1, 0.5f);
  EXPECT_EQ(DepthAt(3, 3), 0x7FFF);
  EXPECT_EQ(At(3, 3), 0xFFFF);
  SetUp();
  DepthAt(3, 3) = 0;
  g_RasterVertices.FlatColour = 0xFF0000FF;
  Rect([] { FillFlatDepth(); }, 0, 0, 8, 8, 0, 0, 1, 1, 0.0f);
  EXPECT_EQ(DepthAt(3, 3), 0);
  EXPECT_EQ(At(3, 3), 0x001F);  // a stored 0 lets any depth pass
}

TEST_F(RasterFill, KeyBitsOnBothFormats) {
  // Checkerboard of an opaque texel and a transparent one (0).
  auto checker = [](uint16_t opaque) {
    return [opaque](int, int c, int r) { return uint16_t(((c + r) & 1) ? 0 : opaque); };
  };
  const struct {
    uint8_t is565;
    uint16_t texel;
    uint16_t keyed;        // FillTexturedKeyed writes
    uint16_t depthKeyed;   // FillTexturedDepthKeyed writes
  } cases[] = {{1, 0xF7DF, 0xF79F, 0xF7DF}, {0, 0xFFFF, 0x7FFF, 0xFFFF}, {1, 0x0040, 0, 0x0040}};
  for (const auto& c : cases) {
    SetUp();
    PixelIs565 = c.is565;
    TestTexture tex(8, 1, checker(c.texel), true);
    for (uint16_t& p : colour) p = 0x1234;
    Rect([&] { FillTexturedKeyed(tex.texture, 0); }, 0, 0, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(At(0, 0), c.keyed);
    EXPECT_EQ(At(1, 0), 0x1234);  // transparent: pixel left

    for (uint16_t& p : colour) p = 0x1234;
    Rect([&] { FillTexturedDepthKeyed(tex.texture, 0); }, 0, 0, 8, 8, 0, 0, 1, 1, 0.25f);
    EXPECT_EQ(At(2, 2), c.depthKeyed);
    EXPECT_EQ(At(3, 2), 0x1234);
    EXPECT_EQ(DepthAt(3, 2), 0);  // transparent: depth left too
    EXPECT_NE(DepthAt(2, 2), 0);

    for (uint16_t& p : colour) p = 0x1234;
    g_RasterVertices.SilhouetteColour = 0xFFFFFFFF;
    Rect([&] { FillSilhouette(tex.texture, 0); }, 0, 0, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(At(4, 4), c.is565 ? 0xFFFF : 0x7FFF);
    EXPECT_EQ(At(5, 4), 0x1234);
  }
}

TEST_F(RasterFill, ClipSetCutsEveryFillerToTheClipRectangle) {
  TestTexture tex(8, 1, [](int, int, int) { return uint16_t(0xFFFF); }, true);
  auto huge = [] {
    SetTriangle({-1000, -1000, 0.3f, 0, 0}, {3000, -1000, 0.3f, 40, 0},
                {-1000, 3000, 0.3f, 0, 40});
  };
  const std::function<void()> fills[] = {
      [&] { huge(), FillTextured(tex.texture, 1); },
      [&] { huge(), FillTexturedKeyed(tex.texture, 1); },
      [&] { huge(), FillTexturedDepth(tex.texture, 1); },
      [&] { huge(), FillTexturedDepthKeyed(tex.texture, 1); },
      [&] { huge(), FillSilhouette(tex.texture, 1); },
      [&] { huge(), FillFlat(); },
      [&] { huge(), FillFlatDepth(); },
  };
  g_RasterVertices.FlatColour = g_RasterVertices.SilhouetteColour = 0xFFFFFFFF;
  int index = 0;
  for (const auto& fill : fills) {
    SetUp();
    RasterSetClip(5, 6, 50, 40);
    fill();
    Box b = Covered();
    EXPECT_EQ(b.left, 5) << index;
    EXPECT_EQ(b.top, 6) << index;
    EXPECT_EQ(b.right, 49) << index;
    EXPECT_EQ(b.bottom, 39) << index;
    EXPECT_EQ(CountNot(0), 45 * 34) << index;
    ++index;
  }
}

TEST_F(RasterFill, ClipRectangleIsCutToTheTarget) {
  RasterSetClip(-10, -10, 1000, 1000);
  EXPECT_EQ(ClipRect.ClipLeft, 0);
  EXPECT_EQ(ClipRect.ClipTop, 0);
  EXPECT_EQ(ClipRect.ClipRight, kWidth);
  EXPECT_EQ(ClipRect.ClipBottom, kHeight);
}

TEST(RasterRounding, TiesToEvenAndSaturates) {
  EXPECT_EQ(RasterRound(10.5f), 10);
  EXPECT_EQ(RasterRound(11.5f), 12);
  EXPECT_EQ(RasterRound(-0.5f), 0);
  EXPECT_EQ(RasterRound(1e20f), INT32_MAX);
  EXPECT_EQ(RasterRound(-1e20f), INT32_MIN);
}

// ---- Ground filler -----------------------------------------------------------

using FloorFill = RasterTarget;

TEST_F(FloorFill, DrawsOnlyTheAnticlockwiseWinding) {
  TestTexture tex(16, 1, Coded);
  FloorVertex a{0, 40, 1, 0, 0, 0}, b{40, 40, 1, 0, 1, 0}, c{0, 0, 1, 0, 0, 1};
  FillFloorTextured(tex.texture, a, c, b, 1);
  EXPECT_EQ(CountNot(0), 0);
  FillFloorTextured(tex.texture, a, b, c, 1);
  EXPECT_GT(CountNot(0), 600);
}

TEST_F(FloorFill, LevelPlaneMapsEachRowFromItsLowerBoundary) {
  // Depth 1 everywhere: u = x / 16, v = y / 16 texels of a 16-texel page.
  TestTexture tex(16, 1, Coded);
  FloorVertex p{0, 32, 1, 0, 0, 2}, q{32, 32, 1, 0, 2, 2}, r{32, 0, 1, 0, 2, 0};
  FillFloorTextured(tex.texture, p, q, r, 1);
  // Row y uses v at y + 1; column x uses u at x + 1 (spans run right to left
  // from the right end).
  EXPECT_EQ(At(31, 31), Coded(0, 0, 0));
  EXPECT_EQ(At(31, 20), Coded(0, 0, 5));
  EXPECT_EQ(At(25, 28), Coded(0, 10, 13));
  EXPECT_EQ(At(2, 20), 0);  // outside the triangle
}

TEST_F(FloorFill, ClipsRowsAndColumnsAndRejectsTrianglesOutsideEvenWithoutClip) {
  TestTexture tex(16, 1, Coded);
  FloorVertex p{-100, 200, 1, 0, 0, 0}, q{300, 200, 1, 0, 1, 0}, r{100, -300, 1, 0, 0, 1};
  RasterSetClip(4, 5, 40, 30);
  FillFloorTextured(tex.texture, p, q, r, 1);
  Box b = Covered();
  EXPECT_EQ(b.left, 4);
  EXPECT_EQ(b.top, 5);
  EXPECT_EQ(b.right, 39);
  EXPECT_EQ(b.bottom, 29);
  // Wholly above the clip top: nothing, even without clip.
  SetUp();
  RasterSetClip(0, 20, kWidth, kHeight);
  FloorVertex a{0, 10, 1, 0, 0, 0}, c{20, 10, 1, 0, 1, 0}, d{20, 0, 1, 0, 1, 1};
  FillFloorTextured(tex.texture, a, c, d, 0);
  EXPECT_EQ(CountNot(0), 0);
}

// ---- Pixel conversion and blits ------------------------------------------------

TEST(PixelConversion, ToPixel16OnBothFormats) {
  const struct {
    uint32_t colour;
    uint16_t p565, p555;
  } cases[] = {{0xFFFFFFFF, 0xFFFF, 0x7FFF}, {0x00808080, 0x8410, 0x4210},
               {0xFF808080, 0x8410, 0x4210}, {0x00FF0000, 0xF800, 0x7C00},
               {0x0000FF00, 0x07E0, 0x03E0}, {0x000000FF, 0x001F, 0x001F}};
  uint8_t saved = PixelIs565;
  for (const auto& c : cases) {
    PixelIs565 = 1;
    EXPECT_EQ(ToPixel16(c.colour), c.p565) << std::hex << c.colour;
    PixelIs565 = 0;
    EXPECT_EQ(ToPixel16(c.colour), c.p555) << std::hex << c.colour;
  }
  PixelIs565 = saved;
}

class SpriteBlit : public RasterTarget {
 protected:
  // 64 x 64 texels, each opaque in the 5-6-5 keyed layout (bit 6 set).
  void SetUp() override {
    RasterTarget::SetUp();
    texels.resize(64 * 64);
    for (int r = 0; r < 64; ++r)
      for (int c = 0; c < 64; ++c) texels[r * 64 + c] = uint16_t(0x40 | (r << 11) | c);
  }
  std::vector<uint16_t> texels;
};

TEST_F(SpriteBlit, QuarterOfATextureDrawsTexelForPixel) {
  BlitSpriteTinted565(10, 8, 32, 32, texels.data(), 64, 64, 0xFFFFFFFF, {0, 0, 0.5f, 0.5f});
  for (int r = 0; r < 32; ++r)
    for (int c = 0; c < 32; ++c) {
      uint16_t t = texels[r * 64 + c];
      // Tint 0xFF: each channel times 255/256, truncated.
      uint16_t expected = uint16_t((((255u * (t & 0xF800)) & 0xF80000) |
                                    ((255u * (t & 0x07E0)) & 0x07E000) | (255u * (t & 0x1F))) >>
                                   8);
      ASSERT_EQ(At(10 + c, 8 + r), expected) << c << "," << r;
    }
  EXPECT_EQ(At(9, 8), 0);
  EXPECT_EQ(At(42, 8), 0);
}

TEST_F(SpriteBlit, HalfOffTheLeftEdgeDrawsTheSameTexelsInTheSamePlaces) {
  BlitSpriteTinted565(0, 0, 32, 32, texels.data(), 64, 64, 0xFFFFFF, {0, 0, 0.5f, 0.5f});
  std::vector<uint16_t> whole(colour);
  SetUp();
  RasterSetClip(16, 0, kWidth, kHeight);
  BlitSpriteTinted565(0, 0, 32, 32, texels.data(), 64, 64, 0xFFFFFF, {0, 0, 0.5f, 0.5f});
  for (int r = 0; r < 32; ++r)
    for (int c = 0; c < 32; ++c) ASSERT_EQ(At(c, r), c < 16 ? 0 : whole[r * kWidth + c]);
  // Off every edge of the target: cut, never written outside.
  SetUp();
  BlitSpriteTinted565(-20, -20, 200, 200, texels.data(), 64, 64, 0xFFFFFF, {0, 0, 1, 1});
  EXPECT_EQ(CountNot(0), kWidth * kHeight);
}

TEST_F(SpriteBlit, TransparentTexelsDrawNothingAndTintScalesChannels) {
  std::vector<uint16_t> clear(64 * 64, 0x0000);
  BlitSpriteTinted565(0, 0, 16, 16, clear.data(), 64, 64, 0xFFFFFFFF, {0, 0, 1, 1});
  EXPECT_EQ(CountNot(0), 0);
  // 5-5-5: the key is bit 15, which the result never carries.
  std::vector<uint16_t> white555(4, 0xFFFF);
  BlitSpriteTinted555(0, 0, 2, 2, white555.data(), 2, 2, 0xFFFFFF, {0, 0, 1, 1});
  EXPECT_EQ(At(0, 0), 0x7BDE);  // each channel 31 -> 30
  BlitSpriteTinted555(0, 0, 2, 2, white555.data(), 2, 2, 0x800000, {0, 0, 1, 1});
  EXPECT_EQ(At(1, 1), 0x3C00);  // red halved, green and blue gone
  // Source rectangles reaching outside the texture skip those texels.
  SetUp();
  BlitSpriteTinted565(0, 0, 8, 8, texels.data(), 64, 64, 0xFFFFFF, {0.9f, 0.9f, 1.9f, 1.9f});
  EXPECT_GT(CountNot(0), 0);
  EXPECT_LT(CountNot(0), 64);
}

}  // namespace
