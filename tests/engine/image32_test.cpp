#include "engine/files/image32.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <vector>

namespace {

// A target image with guard words after its last pixel.
struct TestImage {
  TestImage(int32_t w, int32_t h, uint32_t fill = 0) : store(size_t(w * h) + 8, fill) {
    for (size_t i = size_t(w * h); i < store.size(); ++i) store[i] = kGuard;
    image = {w, h, store.data()};
  }
  uint32_t At(int x, int y) const { return store[size_t(y * image.width + x)]; }
  bool GuardsIntact() const {
    for (size_t i = size_t(image.width * image.height); i < store.size(); ++i)
      if (store[i] != kGuard) return false;
    return true;
  }
  static constexpr uint32_t kGuard = 0xDEADBEEF;
  std::vector<uint32_t> store;
  Image32 image;
};

class Draw2DTest : public ::testing::Test {
 protected:
  void TearDown() override { Draw2DSetTarget({0, 0, nullptr}); }
};

TEST_F(Draw2DTest, FillRectCoversTheTargetAndSwapsRedAndBlue) {
  TestImage target(64, 64, 0x12345678);
  Draw2DSetTarget(target.image);
  Draw2DFillRect(0, 0, 64, 64, 0xFF000000);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) ASSERT_EQ(target.At(x, y), 0xFF000000u);

  Draw2DPutPixel(3, 4, 0x80112233);
  EXPECT_EQ(target.At(3, 4), 0x80332211u);
  EXPECT_EQ(Draw2DGetPixel(3, 4), 0x80332211u);
  Draw2DFillRect(1, 1, 2, 1, 0x00AABBCC);
  EXPECT_EQ(target.At(1, 1), 0x00CCBBAAu);
  EXPECT_EQ(target.At(2, 1), 0x00CCBBAAu);
  EXPECT_EQ(target.At(3, 1), 0xFF000000u);
  EXPECT_TRUE(target.GuardsIntact());
}

TEST_F(Draw2DTest, EverythingClipsToTheTarget) {
  TestImage target(8, 8);
  Draw2DSetTarget(target.image);
  Draw2DFillRect(-2, -2, 4, 4, 0xFF0000FF);
  EXPECT_EQ(target.At(1, 1), 0xFFFF0000u);
  EXPECT_EQ(target.At(2, 0), 0u);
  Draw2DFillRect(6, 6, 100, 100, 0x11111111);
  EXPECT_EQ(target.At(7, 7), 0x11111111u);
  Draw2DFillRect(2147483000, 0, 2147483000, 5, 1);  // no overflow
  Draw2DFillCorners(5, 5, 20, 20, 7);
  Draw2DPutPixel(8, 0, 1);
  Draw2DPutPixel(-1, 0, 1);
  EXPECT_EQ(Draw2DGetPixel(8, 0), 0u);
  Draw2DLine(-5, -5, 20, 20, 9);
  EXPECT_EQ(target.At(7, 7), 9u);
  TestImage big(20, 20, 3);
  Draw2DBlit(big.image, -6, 4);
  Draw2DAlphaBlit(big.image, 5, -6);
  EXPECT_TRUE(target.GuardsIntact());
  EXPECT_EQ(target.At(0, 4), 3u);
  EXPECT_EQ(target.At(0, 3), 0u);

  Draw2DSetTarget({0, 0, nullptr});  // without a target nothing happens
  Draw2DFillRect(0, 0, 4, 4, 1);
  EXPECT_EQ(Draw2DGetPixel(0, 0), 0u);
}

TEST_F(Draw2DTest, FillCornersExcludesTheFarCorner) {
  TestImage target(4, 4);
  Draw2DSetTarget(target.image);
  Draw2DFillCorners(1, 1, 3, 1, 5);  // y1 <= y0: nothing
  Draw2DFillCorners(1, 2, 3, 1, 5);
  for (uint32_t p : target.store) EXPECT_NE(p, 5u);
  Draw2DFillCorners(1, 1, 3, 3, 0x12345678);  // stored as given
  EXPECT_EQ(target.At(1, 1), 0x12345678u);
  EXPECT_EQ(target.At(2, 2), 0x12345678u);
  EXPECT_EQ(target.At(3, 3), 0u);
  EXPECT_EQ(target.At(3, 1), 0u);
}

TEST_F(Draw2DTest, BlitsCopyAndBlendByAlpha) {
  TestImage target(2, 2, 0xFFFFFFFF);
  Draw2DSetTarget(target.image);
  uint32_t pixels[4] = {0xFF102030, 0x00102030, 0x80204060, 0x01000000};
  Image32 source{2, 2, pixels};
  Draw2DAlphaBlit(source, 0, 0);
  EXPECT_EQ(target.At(0, 0), 0xFF102030u);  // opaque: copied
  EXPECT_EQ(target.At(1, 0), 0xFFFFFFFFu);  // clear: left alone
  uint32_t c = (255 * 127) / 256;
  uint32_t expected = 0xFF000000u | (c + 0x20 * 128 / 256) << 16 | (c + 0x40 * 128 / 256) << 8 |
                      (c + 0x60 * 128 / 256);
  EXPECT_EQ(target.At(0, 1), expected);
  EXPECT_EQ(target.At(1, 1), 0xFFFDFDFDu);  // alpha 1: 255 * 254 / 256 = 253
  Draw2DBlit(source, 0, 0);
  EXPECT_EQ(target.At(1, 0), 0x00102030u);
}

TEST_F(Draw2DTest, Lines) {
  TestImage target(6, 6);
  Draw2DSetTarget(target.image);
  Draw2DLine(4, 1, 1, 1, 2);  // horizontal: smaller x to larger, end excluded
  EXPECT_EQ(target.At(0, 1), 0u);
  EXPECT_EQ(target.At(1, 1), 2u);
  EXPECT_EQ(target.At(3, 1), 2u);
  EXPECT_EQ(target.At(4, 1), 0u);
  Draw2DLine(0, 2, 4, 6, 3);  // diagonal
  for (int i = 0; i < 4; ++i) EXPECT_EQ(target.At(i, 2 + i), 3u) << i;
  Draw2DLine(5, 5, 5, 0, 4);  // vertical, upwards
  for (int y = 1; y <= 5; ++y) EXPECT_EQ(target.At(5, y), 4u) << y;
  EXPECT_EQ(target.At(5, 0), 0u);
  Draw2DLine(0, 2, 5, 3, 6);  // shallow: one pixel per column
  EXPECT_EQ(target.At(2, 2), 6u);
  EXPECT_EQ(target.At(3, 3), 6u);
}

TEST(FastSqrt, TableSqrt) {
  InitSqrtTable();
  EXPECT_EQ(TableSqrt(4.0f), 2.0f);
  EXPECT_EQ(TableSqrt(0.25f), 0.5f);
  EXPECT_EQ(TableSqrt(0.0f), 0.0f);
  EXPECT_EQ(TableSqrt(-4.0f), 0.0f);
  for (float x : {2.0f, 0.5f, 3.0f, 0.1f, 12345.678f, 1e-20f, 7e30f}) {
    float expected = std::sqrt(x);
    EXPECT_NEAR(TableSqrt(x), expected, expected * 5e-4f) << x;
  }
}

TEST(FastSqrt, NewtonInverse) {
  for (float x : {1.0f, 2.0f, 0.01f, 100.0f, 12345.0f}) {
    EXPECT_NEAR(InvSqrt(x), 1.0f / std::sqrt(x), 2e-3f / std::sqrt(x)) << x;
    EXPECT_NEAR(FastSqrt(x), std::sqrt(x), 2e-3f * std::sqrt(x)) << x;
  }
  EXPECT_EQ(FastSqrt(0.0f), 0.0f);
}

TEST(FastSqrt, RaySphereDistance) {
  Vec3 origin{0, 0, 0}, point{0, 0, 2};
  EXPECT_FLOAT_EQ(RaySphereDistance(origin, point, 10, 100, {1, 0, 5}), 1.0f);
  EXPECT_EQ(RaySphereDistance(origin, point, 10, 100, {1, 0, -5}), -1.0f);  // behind
  EXPECT_EQ(RaySphereDistance(origin, point, 4, 100, {1, 0, 5}), -1.0f);    // beyond the radius
  EXPECT_EQ(RaySphereDistance(origin, point, 10, 0.5f, {1, 0, 5}), -1.0f);  // over the limit
}

}  // namespace
