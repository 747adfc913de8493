#include "engine/core/maths.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr float kPi = 3.14159265f;

void ExpectVec(const Vec3& v, float x, float y, float z, float tolerance = 1e-5f) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

void ExpectMat(const Mat43& a, const Mat43& b, float tolerance = 1e-5f) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(a.m[i][j], b.m[i][j], tolerance) << i << "," << j;
}

// Rotation matrices written out independently of the library.
Mat43 Rx(float t) {
  float c = std::cos(t), s = std::sin(t);
  return {{{1, 0, 0}, {0, c, s}, {0, -s, c}, {0, 0, 0}}};
}
Mat43 Ry(float t) {
  float c = std::cos(t), s = std::sin(t);
  return {{{c, 0, -s}, {0, 1, 0}, {s, 0, c}, {0, 0, 0}}};
}
Mat43 Rz(float t) {
  float c = std::cos(t), s = std::sin(t);
  return {{{c, s, 0}, {-s, c, 0}, {0, 0, 1}, {0, 0, 0}}};
}
Mat43 Product(std::initializer_list<Mat43> ms) {
  Mat43 result = kMatIdentity, temp;
  for (const Mat43& m : ms) {
    MatMultiply(temp, result, m);
    result = temp;
  }
  return result;
}

TEST(Maths, RotationScaleIdentityAndQuarterTurn) {
  Mat43 m;
  MatSetRotationScale(0, 0, 0, 1, 1, 1, m);
  ExpectMat(m, kMatIdentity, 0.0f);

  MatSetRotationScale(0, 0, kPi / 2, 1, 1, 1, m);
  Vec3 x{1, 0, 0}, out;
  MatRotateVector(m, x, out);
  ExpectVec(out, 0, -1, 0);
}

TEST(Maths, RotationScaleMatchesItsProducts) {
  const float ax = 0.3f, ay = -1.1f, az = 2.0f;
  Mat43 m;
  MatSetRotationScale(ax, ay, az, 2, 3, 4, m);
  Mat43 scale = {{{2, 0, 0}, {0, 3, 0}, {0, 0, 4}, {0, 0, 0}}};
  ExpectMat(m, Product({scale, Rx(ax), Ry(ay), Rz(-az)}));

  MatSetRotationScaleZYX(ax, ay, az, 5, m);
  Mat43 expected = Product({Rz(-az), Ry(-ay), Rx(-ax)});
  for (float& v : expected.m[1]) v *= 5;
  ExpectMat(m, expected);
}

TEST(Maths, MultiplyAppliesTheLeftMatrixFirst) {
  Mat43 translate = kMatIdentity;
  MatSetTranslation(10, 0, 0, translate);
  Mat43 rotate = Rz(kPi / 2);  // x axis -> (0, 1, 0)
  Mat43 m;
  MatMultiply(m, translate, rotate);
  Vec3 p{1, 0, 0}, out;
  MatTransformPoints(m, &p, &out, 1);
  ExpectVec(out, 0, 11, 0, 1e-4f);

  Mat43 inPlace = translate;
  MatMultiplyInPlace(inPlace, rotate);
  ExpectMat(inPlace, m, 0.0f);
}

TEST(Maths, LookAtPutsTheEyeAtTheOriginLookingAlongZ) {
  Mat43 view;
  MatLookAt(0, 0, -10, 0, 0, 0, 0, 1, 0, view);
  Vec3 points[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, -10}}, out[3];
  MatTransformPoints(view, points, out, 3);
  ExpectVec(out[0], 0, 0, 10);
  ExpectVec(out[1], 1, 0, 10);  // left-handed: +x stays to the right
  ExpectVec(out[2], 0, 1, 0);

  // A degenerate target leaves zero axes instead of NaN.
  MatLookAt(1, 2, 3, 1, 2, 3, 0, 1, 0, view);
  for (auto& row : view.m)
    for (float v : row) EXPECT_FALSE(std::isnan(v));
}

TEST(Maths, StridedTransformsAndDepth) {
  Mat43 m = kMatIdentity;
  MatSetTranslation(1, 2, 3, m);
  struct Vertex {
    Vec3 p;
    float u;
  };
  Vertex vertices[2] = {{{0, 0, 0}, 7}, {{1, 1, 1}, 8}};
  MatTransformPointsInPlace(m, vertices, sizeof(Vertex), 2);
  ExpectVec(vertices[1].p, 2, 3, 4, 0.0f);
  EXPECT_EQ(vertices[1].u, 8.0f);

  Vec3 source[2] = {{0, 0, 0}, {1, 1, 1}};
  Vertex strided[2] = {{{}, 5}, {{}, 6}};
  MatTransformPointsStrided(m, source, strided, sizeof(Vertex), 2);
  ExpectVec(strided[1].p, 2, 3, 4, 0.0f);
  EXPECT_EQ(strided[0].u, 5.0f);

  float depth[2][4];
  MatTransformDepth(m, source, depth, sizeof depth[0], 2);
  EXPECT_EQ(depth[1][0], 2.0f);
  EXPECT_EQ(depth[1][3], 4.0f);
  EXPECT_FLOAT_EQ(depth[1][2], 4.0f * 1.00003f - 1.00003f);
}

TEST(Maths, PointRotationsTurnTheStatedWay) {
  Vec3 p[1] = {{1, 0, 0}};
  RotatePointsYRad(p, 1, kPi / 2);  // x' = c x + s z, z' = c z - s x
  ExpectVec(p[0], 0, 0, -1);
  Vec3 q[1] = {{1, 0, 0}};
  RotatePointsY(q, 90.0f, 1);
  ExpectVec(q[0], 0, 0, -1);
  Vec3 r[1] = {{0, 1, 0}};
  RotatePointsXRad(r, 1, kPi / 2);
  ExpectVec(r[0], 0, 0, 1);
  Vec3 s[1] = {{1, 0, 0}};
  RotatePointsZRad(s, 1, kPi / 2);
  ExpectVec(s[0], 0, 1, 0);

  Vec3 t[2] = {{1, 2, 3}, {-1, 0, 1}};
  TranslatePoints(t, 1, 1, 1, 2);
  ScalePoints(t, 2.0f, 3.0f, 4.0f, 2);
  ScalePoints(t, 2, 0.5f, 1.0f / 3, 0.25f);
  ExpectVec(t[0], 2, 3, 4);
  ExpectVec(t[1], 0, 1, 2);
}

TEST(Maths, NormalisingKeepsTheQuirksAndNeverMakesNaN) {
  Vec3 tiny{0.0005f, 0, 0};
  EXPECT_EQ(VecNormaliseSafe(tiny), 0.0005f);
  // 0.0005 x 999.99994 is 0.49999997 in decimals; single precision rounds the
  // product to the nearest float, which is 0.5.
  EXPECT_EQ(tiny.x, 0.0005f * 999.99994f);
  EXPECT_FLOAT_EQ(tiny.x, 0.49999997f);

  Vec3 v{3, 0, 4};
  EXPECT_EQ(VecNormalise(v), 5.0f);
  ExpectVec(v, 0.6f, 0, 0.8f);

  Vec3 zero{0, 0, 0};
  EXPECT_EQ(VecNormalise(zero), 0.0f);
  ExpectVec(zero, 0, 0, 0, 0.0f);
  float flat[2] = {0, 0};
  EXPECT_EQ(Vec2Normalise(flat), 0.0f);
  EXPECT_EQ(flat[0], 0.0f);

  float two[2] = {0, -2};
  Vec2NormaliseSafe(two);
  EXPECT_EQ(two[1], -1.0f);
  float exact[2] = {0.001f, 0};  // 2D needs more than 0.001 for the true length
  Vec2NormaliseSafe(exact);
  EXPECT_FLOAT_EQ(exact[0], 0.001f * 999.99994f);

  Vec3 a{1, 2, 3}, b{3, 2, 1}, mid;
  ExpectVec(VecMidpoint(mid, a, b), 2, 2, 2);
  EXPECT_FLOAT_EQ(VecDistance(a, b), std::sqrt(8.0f));
  EXPECT_EQ(VecDot(a, b), 10.0f);
}

TEST(Maths, BezierPointsAndLength) {
  BezierCurve line{{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}};
  Vec3 p;
  BezCalcPoint(line, p, 0.5f);
  ExpectVec(p, 1.5f, 0, 0);
  EXPECT_NEAR(BezCalcLength(line, 16), 3.0f, 1e-4f);
  EXPECT_EQ(BezCalcLength(line, 0), 0.0f);
  EXPECT_EQ(BezCalcLength(line, -3), 0.0f);

  BezierCurve curve{{{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}};
  BezCalcPoint(curve, p, 1.0f);
  ExpectVec(p, 1, 0, 0);
  // Finer chords approach the arc from below.
  EXPECT_LT(BezCalcLength(curve, 4), BezCalcLength(curve, 64));
}

TEST(Maths, SineTableAndPointers) {
  MathInitSineTable();
  ASSERT_TRUE(g_SineTableReady);
  EXPECT_EQ(g_Sine[0], 0.0f);
  EXPECT_FLOAT_EQ(g_Sine[10], std::sin(10 * 0.02453125f));
  EXPECT_EQ(g_Cosine, g_Sine + 64);
  EXPECT_NEAR(g_Cosine[0], 1.0f, 0.001f);  // 64 steps: about a quarter turn
  EXPECT_NEAR(g_Cosine[64], 0.0f, 0.01f);
  EXPECT_FLOAT_EQ(g_SineTable[319], std::sin(319 * 0.02453125f));
}

class ProjectionTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = g_Projection; }
  void TearDown() override { g_Projection = saved_; }
  ProjectionState saved_;
};

TEST_F(ProjectionTest, SetProjectionFillsTheRecord) {
  SetProjection(640, 480, 90, 2, 1000, 0.5f, 0.25f);
  const ProjectionState& p = g_Projection;
  float t = std::tan(45.0f * 0.017453292f);
  EXPECT_FLOAT_EQ(p.yFactor, 1 / t);
  EXPECT_FLOAT_EQ(p.xFactor, 1 / (t * 640 / 480));
  EXPECT_FLOAT_EQ(p.screenXScale, 320 / (t * 640 / 480));
  EXPECT_FLOAT_EQ(p.screenYScale, -240 / t);
  EXPECT_EQ(p.centreX, 320.0f);
  EXPECT_EQ(p.centreY, 240.0f);
  EXPECT_EQ(p.nearClamp, 1.0f);
  EXPECT_FLOAT_EQ(p.scale640, 1.0f);
  EXPECT_FLOAT_EQ(p.scale480, 1.0f);
  EXPECT_FLOAT_EQ(p.inverseFar, 0.001f);
  EXPECT_EQ(p.nearPlane, 2.0f);
  EXPECT_EQ(p.clipNear, 2.0f);
  EXPECT_EQ(p.clipFar, 1000.0f);
  EXPECT_FLOAT_EQ(p.yEdgeFactor, std::sqrt(2.0f));
  EXPECT_EQ(p.guardBox[1], 2000.0f);
}

TEST_F(ProjectionTest, NearPointsAreProjectedAsIfAtOne) {
  SetProjection(640, 480, 90, 1, 1000, 1, 0);
  Vec3 view[3] = {{1, 1, 0.5f}, {1, 1, 1}, {1, 1, 2}};
  ScreenPoint screen[3];
  ProjectPoints(view, screen, 3);
  EXPECT_EQ(screen[0].x, screen[1].x);
  EXPECT_EQ(screen[0].y, screen[1].y);
  EXPECT_FLOAT_EQ(screen[2].x, 320 + g_Projection.screenXScale / 2);
  EXPECT_LT(screen[2].y, 240.0f);  // up in view is up on screen
  EXPECT_EQ(g_Projection.scratch[2], 2.0f);

  ScreenPointDepth depth[2];
  ProjectPointsWithDepth(view, depth, 2);
  EXPECT_EQ(depth[0].invZ, 1.0f);
  EXPECT_EQ(depth[0].z, 0.5f);

  Vec3 points[1] = {{1, 1, 1}};
  Mat43 m = kMatIdentity;
  MatSetTranslation(0, 0, 1, m);
  ScreenPoint s[1];
  ViewPoint v[1];
  MatProjectPoints(m, points, s, v, 1);
  EXPECT_EQ(v[0].z, 2.0f);
  EXPECT_EQ(s[0].x, screen[2].x);
}

TEST_F(ProjectionTest, ClipOutcodes) {
  // Scales chosen so that screen = view * 100 / z + centre is exact.
  SetProjection(640, 480, 90, 1, 1000, 1, 0);
  g_Projection.screenXScale = 100;
  g_Projection.screenYScale = -100;
  struct Case {
    Vec3 p;
    uint32_t code, nearCode;
  };
  const Case cases[] = {
      {{0, 0, 5}, 31, 31},            // centre
      {{-20, 0, 5}, 30, 30},          // left of the screen (x = -80)
      {{16, 0, 5}, 31, 31},           // x exactly 640 counts as inside
      {{20, 0, 5}, 29, 29},           // right (x = 720)
      {{0, 20, 5}, 27, 27},           // above (y = -160)
      {{0, -12, 5}, 23, 23},          // y exactly 480 is outside
      {{-20, 20, 5}, 26, 26},         // above and to the left
      {{0, 0, 1}, 0, 15},             // at the near distance
      {{0, 0, -3}, 0, 15},            // behind the eye
  };
  for (const Case& c : cases) {
    ClipPoint out;
    uint32_t code = 99, nearCode = 99;
    int32_t r = ProjectPointsClip(kMatIdentity, &c.p, &out, 1, sizeof out, sizeof(Vec3), &code);
    EXPECT_EQ(code, c.code) << c.p.x << "," << c.p.y << "," << c.p.z;
    EXPECT_EQ(r, int32_t(c.code | c.code << 16));
    ViewPoint view;
    ProjectPointsClipNear(kMatIdentity, &c.p, &view, &out, 1, sizeof out, sizeof(Vec3), &nearCode);
    EXPECT_EQ(nearCode, c.nearCode) << c.p.x << "," << c.p.y << "," << c.p.z;
    EXPECT_EQ(view.z, c.p.z);
    EXPECT_EQ(out.z, c.p.z);
  }
}

TEST_F(ProjectionTest, ClipCombinesCodesAndWritesRecords) {
  SetProjection(640, 480, 90, 1, 1000, 1, 0);
  g_Projection.screenXScale = 100;
  g_Projection.screenYScale = -100;
  struct Vertex {
    Vec3 p;
    float u, v;
  };
  Vertex in[3] = {{{0, 0, 4}, 0, 0}, {{-20, 0, 5}, 0, 0}, {{0, 0, 0.5f}, 0, 0}};
  struct Out {
    ClipPoint c;
    float extra;
  } out[3];
  uint32_t codes[3];
  int32_t r = ProjectPointsClip(kMatIdentity, in, out, 3, sizeof(Out), sizeof(Vertex), codes);
  EXPECT_EQ(r & 0xFFFF, 31);
  EXPECT_EQ(r >> 16, 0);  // the point behind the near distance clears the AND
  EXPECT_EQ(out[0].c.x, 320.0f);
  EXPECT_EQ(out[0].c.depth, 0.25f);  // near / z

  r = ProjectPointsClipNear(kMatIdentity, in, nullptr, out, 3, sizeof(Out), sizeof(Vertex), codes);
  EXPECT_EQ(r & 0xFFFF, 31);
  EXPECT_EQ(r >> 16, 30 & 15);  // 31 & 30 & 15
  EXPECT_EQ(codes[2], 15u);
}

TEST(Maths, BoundsOfPoints) {
  Bounds b;
  Vec3 one{1, 2, 3};
  CalcPointsBounds(&one, 1, b);
  for (const Vec3& c : b.corners) ExpectVec(c, 1, 2, -3, 0.0f);
  ExpectVec(b.centre, 1, 2, -3, 0.0f);
  EXPECT_EQ(b.radius, 0.0f);
  EXPECT_EQ(b.radiusSquared, 0.0f);

  Vec3 two[2] = {{0, 0, 0}, {2, 4, -4}};
  CalcPointsBounds(two, 2, b);
  ExpectVec(b.corners[0], 0, 0, 0, 0.0f);
  ExpectVec(b.corners[1], 2, 0, 0, 0.0f);
  ExpectVec(b.corners[2], 0, 4, 0, 0.0f);
  ExpectVec(b.corners[4], 0, 0, 4, 0.0f);  // z negated
  ExpectVec(b.corners[7], 2, 4, 4, 0.0f);
  ExpectVec(b.centre, 1, 2, 2, 0.0f);
  EXPECT_EQ(b.radiusSquared, 9.0f);
  EXPECT_EQ(b.radius, 3.0f);

  CalcPointsBounds(nullptr, 0, b);
  ExpectVec(b.corners[0], 9999999, 9999999, 9999999, 0.0f);
  ExpectVec(b.corners[7], -9999999, -9999999, -9999999, 0.0f);
}

TEST(Maths, IntegerHelpers) {
  EXPECT_EQ(CountMipLevels(256, 64), 7);
  EXPECT_EQ(CountMipLevels(256, 256), 9);
  EXPECT_EQ(CountMipLevels(0, 256), 0);
  EXPECT_EQ(CountMipLevels(-4, 256), 0);
  EXPECT_EQ(CountMipLevelsTo(256, 256, 16, 16), 4);
  EXPECT_EQ(CountMipLevelsTo(256, 128, 256, 256), 0);
  EXPECT_EQ(CountMipLevelsTo(8, 8, -1, -1), 4);
  for (uint32_t v : {0u, 3u, 6u, 0x80000001u, 0xFFFFFFFFu}) EXPECT_FALSE(IsPowerOfTwo(v)) << v;
  for (uint32_t v : {1u, 2u, 256u, 0x80000000u}) EXPECT_TRUE(IsPowerOfTwo(v)) << v;

  EXPECT_EQ(FloatAbs(-2.5f), 2.5f);
  EXPECT_FALSE(std::signbit(FloatAbs(-0.0f)));
  EXPECT_EQ(FloatToFixed16(1.5f), 98304);
  EXPECT_EQ(FloatToFixed16(-0.5f), -32768);
  EXPECT_EQ(FloatToFixed16(0.0f), 0);
  EXPECT_EQ(FloatToFixed16(1.0f / 131072 * 3), 2);  // 1.5 rounds to even
  EXPECT_EQ(FloatToFixed16(1e10f), INT32_MAX);
  EXPECT_EQ(FloatToFixed16(-1e10f), INT32_MIN);
  EXPECT_EQ(FixedToFloat16(98304), 1.5f);
  EXPECT_EQ(FixedToFloat16(-1), -1.0f / 65536);
}

TEST(Maths, DownsampleRoundsEachByteAndKeepsOddEdges) {
  // Bytes: per pixel four channels; byte sums 1+2+3+4 = 10 -> (10 + 2) / 4 = 3.
  uint32_t src[4] = {0x01010101, 0x02020202, 0x03030303, 0x04040404};
  uint32_t dst[1];
  DownsamplePixels(dst, src, 2, 2);
  EXPECT_EQ(dst[0], 0x03030303u);
  uint32_t bright[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFD};
  DownsamplePixels(dst, bright, 2, 2);
  EXPECT_EQ(dst[0], 0xFFFFFFFFu);  // (1020 - 2 + 2) / 4 per byte, no carry between bytes

  // 3x3: the last column and row pair with themselves.
  std::vector<uint32_t> odd = {0, 0, 0x40, 0, 0, 0x40, 0x80, 0x80, 0xC0};
  std::vector<uint32_t> half(4);
  DownsamplePixels(half.data(), odd.data(), 3, 3);
  EXPECT_EQ(half, (std::vector<uint32_t>{0, 0x40, 0x80, 0xC0}));
  DownsamplePixelsInPlace(odd.data(), 3, 3);
  EXPECT_TRUE(std::equal(half.begin(), half.end(), odd.begin()));
}

TEST(Maths, ConvertPixels16Formats) {
  // Memory bytes r, g, b, a.
  const uint32_t opaque = 0xFF00FF00 | 0x80 | 0x40 << 16;     // r 0x80, g 0xFF, b 0x40, a 0xFF
  const uint32_t clear = 0x10FFFFFF;                          // a 0x10
  struct Case {
    int32_t format;
    uint16_t opaque, clear;
    int32_t flag;
  };
  const Case cases[] = {
      {kPixel565, 0x87E8, 0xFFFF, 0},
      {kPixel1555, 0xC3E8, 0x7FFF, 1},
      {kPixel4444, 0xF8F4, 0x1FFF, 1},
      {kPixel5515, 0x87C8, 0x0000, 1},  // green 5 bits at 6..10 with bit 6 on, bit 5 off
  };
  for (const Case& c : cases) {
    uint32_t src[2] = {opaque, clear};
    uint16_t dst[2] = {0x1234, 0x1234};
    EXPECT_EQ(ConvertPixels16(dst, src, 2, 1, 4, c.format), c.flag) << c.format;
    EXPECT_EQ(dst[0], c.opaque) << c.format;
    EXPECT_EQ(dst[1], c.clear) << c.format;
    uint32_t solid[1] = {opaque};
    EXPECT_EQ(ConvertPixels16(dst, solid, 1, 1, 2, c.format), 0) << c.format;
  }
  // A 5515 texel that is opaque and black is still not 0.
  uint32_t black[1] = {0xFF000000};
  uint16_t out[1];
  ConvertPixels16(out, black, 1, 1, 2, kPixel5515);
  EXPECT_EQ(out[0], 0x0040);

  // 4444 takes a row's transparency from its last pixel only.
  uint32_t rows[4] = {clear, opaque, opaque, opaque};
  uint16_t dst4[4];
  EXPECT_EQ(ConvertPixels16(dst4, rows, 2, 2, 4, kPixel4444), 0);
  rows[3] = clear;
  EXPECT_EQ(ConvertPixels16(dst4, rows, 2, 2, 4, kPixel4444), 1);

  uint16_t untouched[1] = {0x5555};
  EXPECT_EQ(ConvertPixels16(untouched, black, 1, 1, 2, 8888), 0);
  EXPECT_EQ(untouched[0], 0x5555);
}

TEST(Maths, ConvertPixels16HonoursThePitch) {
  uint32_t src[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
  uint16_t dst[6] = {1, 1, 1, 1, 1, 1};
  ConvertPixels16(dst, src, 2, 2, 6, kPixel565);
  EXPECT_EQ(dst[0], 0xFFFF);
  EXPECT_EQ(dst[2], 1);  // the gap between rows is left alone
  EXPECT_EQ(dst[3], 0xFFFF);
  EXPECT_EQ(dst[5], 1);
}

TEST(Maths, SwapRedBlueOnlyFor8888) {
  uint32_t src[2] = {0x11223344, 0xAABBCCDD};
  uint32_t dst[2] = {};
  SwapRedBlue(dst, src, 2, 1, 8, kPixel8888);
  EXPECT_EQ(dst[0], 0x11443322u);
  EXPECT_EQ(dst[1], 0xAADDCCBBu);
  uint32_t other[1] = {7};
  SwapRedBlue(other, src, 1, 1, 4, kPixel565);
  EXPECT_EQ(other[0], 7u);
}

}  // namespace
