#include "engine/core/maths.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

ProjectionState g_Projection{};

float g_SineTable[kSineTableSize]{};
const float* g_Sine = g_SineTable;
const float* g_Cosine = g_SineTable + 64;
bool g_SineTableReady = false;

namespace {

// Strided records are read and written through memcpy: callers hand in raw
// vertex buffers whose strides need not keep a Vec3 naturally aligned.
Vec3 LoadVec(const void* p) {
  Vec3 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <class T>
void Store(void* p, const T& value) {
  std::memcpy(p, &value, sizeof value);
}

const unsigned char* Advance(const void* p, int32_t bytes) {
  return static_cast<const unsigned char*>(p) + bytes;
}
unsigned char* Advance(void* p, int32_t bytes) { return static_cast<unsigned char*>(p) + bytes; }

Vec3 Transform(const Mat43& a, const Vec3& p) {
  return {p.x * a.m[0][0] + p.y * a.m[1][0] + p.z * a.m[2][0] + a.m[3][0],
          p.x * a.m[0][1] + p.y * a.m[1][1] + p.z * a.m[2][1] + a.m[3][1],
          p.x * a.m[0][2] + p.y * a.m[1][2] + p.z * a.m[2][2] + a.m[3][2]};
}

struct SinCos {
  float s, c;
};
// An angle of exactly 0 skips the trigonometry.
SinCos SinCosOf(float angle) {
  if (angle == 0.0f) return {0.0f, 1.0f};
  return {std::sin(angle), std::cos(angle)};
}

// 3x3 product of rotation parts, a applied first.
void Mul3(float out[3][3], const float a[3][3], const float b[3][3]) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) out[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
}

void RotX(float r[3][3], float angle) {
  SinCos t = SinCosOf(angle);
  float m[3][3] = {{1, 0, 0}, {0, t.c, t.s}, {0, -t.s, t.c}};
  std::memcpy(r, m, sizeof m);
}
void RotY(float r[3][3], float angle) {
  SinCos t = SinCosOf(angle);
  float m[3][3] = {{t.c, 0, -t.s}, {0, 1, 0}, {t.s, 0, t.c}};
  std::memcpy(r, m, sizeof m);
}
void RotZ(float r[3][3], float angle) {
  SinCos t = SinCosOf(angle);
  float m[3][3] = {{t.c, t.s, 0}, {-t.s, t.c, 0}, {0, 0, 1}};
  std::memcpy(r, m, sizeof m);
}

// Screen position of one view point; near points are not divided (as if at z = 1).
ScreenPoint ProjectOne(const Vec3& v, float& invZ) {
  const ProjectionState& p = g_Projection;
  if (v.z - p.nearClamp < 0.0f) {
    invZ = 1.0f;
    return {v.x * p.screenXScale + p.centreX, v.y * p.screenYScale + p.centreY};
  }
  invZ = 1.0f / v.z;
  return {v.x * p.screenXScale / v.z + p.centreX, v.y * p.screenYScale / v.z + p.centreY};
}

void KeepScratch(const Vec3& v, float depth) {
  g_Projection.scratch[0] = v.x;
  g_Projection.scratch[1] = v.y;
  g_Projection.scratch[2] = v.z;
  g_Projection.scratch[3] = depth;
}

// Inside bits for the screen edges, compared on the float bit patterns as
// integers (a negative coordinate has a negative pattern).
uint32_t ScreenCode(float x, float y) {
  int32_t xi = std::bit_cast<int32_t>(x), yi = std::bit_cast<int32_t>(y);
  int32_t wi = std::bit_cast<int32_t>(g_Projection.width);
  int32_t hi = std::bit_cast<int32_t>(g_Projection.height);
  uint32_t code = 0;
  if (xi >= 0) code |= kClipInsideLeft;
  if (xi <= wi) code |= kClipInsideRight;
  if (yi >= 0) code |= kClipInsideTop;
  if (yi < hi) code |= kClipInsideBottom;
  return code;
}

int32_t ProjectClipped(const Mat43& matrix, const void* points, ViewPoint* view, void* out,
                       int32_t count, int32_t outStride, int32_t inStride, uint32_t* codes,
                       uint32_t behindCode) {
  uint32_t orCodes = 0, andCodes = 0xFFFF;
  const float nearPlane = g_Projection.clipNear;
  for (int32_t i = 0; i < count; ++i) {
    Vec3 v = Transform(matrix, LoadVec(Advance(points, i * inStride)));
    if (view) {
      view[i].x = v.x;
      view[i].y = v.y;
      view[i].z = v.z;
    }
    float invZ;
    ScreenPoint s = ProjectOne(v, invZ);
    bool inFront = v.z > nearPlane;
    ClipPoint c{s.x, s.y, v.z, inFront ? nearPlane / v.z : 1.0f};
    uint32_t code = inFront ? (ScreenCode(s.x, s.y) | kClipInFront) : behindCode;
    KeepScratch(v, c.depth);
    Store(Advance(out, i * outStride), c);
    if (codes) codes[i] = code;
    orCodes |= code;
    andCodes &= code;
  }
  return int32_t((orCodes & 0xFFFF) | (andCodes << 16));
}

}  // namespace

void MathInitSineTable() {
  if (g_SineTableReady) return;
  for (int i = 0; i < kSineTableSize; ++i) g_SineTable[i] = std::sin(float(i) * kSineTableStep);
  g_Sine = g_SineTable;
  g_Cosine = g_SineTable + 64;
  g_SineTableReady = true;
}

void BezCalcPoint(const BezierCurve& c, Vec3& out, float t) {
  float u = 1.0f - t;
  float b0 = u * u * u, b1 = 3.0f * t * u * u, b2 = 3.0f * t * t * u, b3 = t * t * t;
  out.x = b0 * c.p[0].x + b1 * c.p[1].x + b2 * c.p[2].x + b3 * c.p[3].x;
  out.y = b0 * c.p[0].y + b1 * c.p[1].y + b2 * c.p[2].y + b3 * c.p[3].y;
  out.z = b0 * c.p[0].z + b1 * c.p[1].z + b2 * c.p[2].z + b3 * c.p[3].z;
}

float BezCalcLength(const BezierCurve& curve, int32_t steps) {
  if (steps <= 0) return 0.0f;
  float dt = 1.0f / float(steps), t = 0.0f, length = 0.0f;
  Vec3 previous;
  BezCalcPoint(curve, previous, 0.0f);
  for (int32_t i = 0; i < steps; ++i) {
    t += dt;
    Vec3 point;
    BezCalcPoint(curve, point, t);
    length += VecDistance(point, previous);
    previous = point;
  }
  return length;
}

Vec3& VecMidpoint(Vec3& out, const Vec3& a, const Vec3& b) {
  out = {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f};
  return out;
}

float VecDistance(const Vec3& a, const Vec3& b) {
  return VecLength({a.x - b.x, a.y - b.y, a.z - b.z});
}

float VecLength(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

float VecDot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

float VecNormalise(Vec3& v) {
  float length = VecLength(v);
  if (length == 0.0f) return 0.0f;  // a zero vector stays zero instead of NaN
  float inv = 1.0f / length;
  v.x *= inv;
  v.y *= inv;
  v.z *= inv;
  return length;
}

float Vec2Normalise(float* v) {
  float length = std::sqrt(v[0] * v[0] + v[1] * v[1]);
  if (length == 0.0f) return 0.0f;
  float inv = 1.0f / length;
  v[0] *= inv;
  v[1] *= inv;
  return length;
}

float VecNormaliseSafe(Vec3& v) {
  float length = VecLength(v);
  float scale = length >= 0.001f ? 1.0f / length : 999.99994f;
  v.x *= scale;
  v.y *= scale;
  v.z *= scale;
  return length;
}

void Vec2NormaliseSafe(float* v) {
  float length = std::sqrt(v[0] * v[0] + v[1] * v[1]);
  float scale = length > 0.001f ? 1.0f / length : 999.99994f;
  v[0] *= scale;
  v[1] *= scale;
}

void RotatePointsXRad(Vec3* points, int32_t count, float angle) {
  SinCos t = SinCosOf(angle);
  for (int32_t i = 0; i < count; ++i) {
    Vec3& p = points[i];
    float y = t.c * p.y - t.s * p.z, z = t.s * p.y + t.c * p.z;
    p.y = y;
    p.z = z;
  }
}

void RotatePointsYRad(Vec3* points, int32_t count, float angle) {
  SinCos t = SinCosOf(angle);
  for (int32_t i = 0; i < count; ++i) {
    Vec3& p = points[i];
    float x = t.c * p.x + t.s * p.z, z = t.c * p.z - t.s * p.x;
    p.x = x;
    p.z = z;
  }
}

void RotatePointsZRad(Vec3* points, int32_t count, float angle) {
  SinCos t = SinCosOf(angle);
  for (int32_t i = 0; i < count; ++i) {
    Vec3& p = points[i];
    float x = t.c * p.x - t.s * p.y, y = t.s * p.x + t.c * p.y;
    p.x = x;
    p.y = y;
  }
}

void RotatePointsY(Vec3* points, float degrees, int32_t count) {
  RotatePointsYRad(points, count, degrees * kDegToRad);
}

void TranslatePoints(Vec3* points, float dx, float dy, float dz, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
    points[i].z += dz;
  }
}

void ScalePoints(Vec3* points, float sx, float sy, float sz, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    points[i].x *= sx;
    points[i].y *= sy;
    points[i].z *= sz;
  }
}

void ScalePoints(Vec3* points, int32_t count, float sx, float sy, float sz) {
  ScalePoints(points, sx, sy, sz, count);
}

void MatLookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
               float upX, float upY, float upZ, Mat43& out) {
  Vec3 f{targetX - eyeX, targetY - eyeY, targetZ - eyeZ};
  VecNormalise(f);
  Vec3 r{f.z * upY - f.y * upZ, f.x * upZ - f.z * upX, f.y * upX - f.x * upY};
  VecNormalise(r);
  Vec3 u{f.y * r.z - f.z * r.y, f.z * r.x - f.x * r.z, f.x * r.y - f.y * r.x};
  VecNormalise(u);
  Vec3 eye{eyeX, eyeY, eyeZ};
  out.m[0][0] = r.x, out.m[0][1] = u.x, out.m[0][2] = f.x;
  out.m[1][0] = r.y, out.m[1][1] = u.y, out.m[1][2] = f.y;
  out.m[2][0] = r.z, out.m[2][1] = u.z, out.m[2][2] = f.z;
  out.m[3][0] = -VecDot(r, eye), out.m[3][1] = -VecDot(u, eye), out.m[3][2] = -VecDot(f, eye);
}

Mat43& MatMultiply(Mat43& out, const Mat43& a, const Mat43& b) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j)
      out.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
  for (int j = 0; j < 3; ++j) out.m[3][j] += b.m[3][j];
  return out;
}

void MatMultiplyInPlace(Mat43& a, const Mat43& b) {
  Mat43 temp;
  MatMultiply(temp, a, b);
  a = temp;
}

void MatSetTranslation(float x, float y, float z, Mat43& matrix) {
  matrix.m[3][0] = x;
  matrix.m[3][1] = y;
  matrix.m[3][2] = z;
}

void MatSetRotationScale(float ax, float ay, float az, float sx, float sy, float sz, Mat43& out) {
  SinCos X = SinCosOf(-ax), Y = SinCosOf(-ay), Z = SinCosOf(az);
  out.m[0][0] = sx * (Z.c * Y.c);
  out.m[0][1] = sx * (-Z.s * Y.c);
  out.m[0][2] = sx * Y.s;
  out.m[1][0] = sy * (Z.s * X.c + Z.c * Y.s * X.s);
  out.m[1][1] = sy * (Z.c * X.c - Z.s * Y.s * X.s);
  out.m[1][2] = sy * (-Y.c * X.s);
  out.m[2][0] = sz * (Z.s * X.s - Z.c * Y.s * X.c);
  out.m[2][1] = sz * (Z.c * X.s + Z.s * Y.s * X.c);
  out.m[2][2] = sz * (Y.c * X.c);
  out.m[3][0] = out.m[3][1] = out.m[3][2] = 0.0f;
}

void MatSetRotationScaleZYX(float ax, float ay, float az, float sy, Mat43& out) {
  float rz[3][3], ry[3][3], rx[3][3], zy[3][3], r[3][3];
  RotZ(rz, -az);
  RotY(ry, -ay);
  RotX(rx, -ax);
  Mul3(zy, rz, ry);
  Mul3(r, zy, rx);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) out.m[i][j] = r[i][j] * (i == 1 ? sy : 1.0f);
  out.m[3][0] = out.m[3][1] = out.m[3][2] = 0.0f;
}

void MatRotateVector(const Mat43& a, const Vec3& v, Vec3& out) {
  Vec3 r{v.x * a.m[0][0] + v.y * a.m[1][0] + v.z * a.m[2][0],
         v.x * a.m[0][1] + v.y * a.m[1][1] + v.z * a.m[2][1],
         v.x * a.m[0][2] + v.y * a.m[1][2] + v.z * a.m[2][2]};
  out = r;
}

void MatTransformPoints(const Mat43& matrix, const Vec3* source, Vec3* destination, int32_t count) {
  for (int32_t i = 0; i < count; ++i) destination[i] = Transform(matrix, source[i]);
}

void MatTransformPointsInPlace(const Mat43& matrix, void* points, int32_t stride, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    void* p = Advance(points, i * stride);
    Store(p, Transform(matrix, LoadVec(p)));
  }
}

void MatTransformPointsStrided(const Mat43& matrix, const Vec3* source, void* destination,
                               int32_t destinationStride, int32_t count) {
  for (int32_t i = 0; i < count; ++i)
    Store(Advance(destination, i * destinationStride), Transform(matrix, source[i]));
}

void MatTransformDepth(const Mat43& matrix, const Vec3* points, void* out, int32_t outStride,
                       int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    Vec3 v = Transform(matrix, points[i]);
    float record[4] = {v.x, v.y, v.z * 1.00003f - 1.00003f, v.z};
    Store(Advance(out, i * outStride), record);
  }
}

void SetProjection(float width, float height, float fovDegrees, float nearPlane, float farPlane,
                   float depthScale, float depthBias) {
  ProjectionState& p = g_Projection;
  float t = std::tan(fovDegrees * 0.5f * kDegToRad);
  float tx = t * width / height;
  p.xFactor = 1.0f / tx;
  p.yFactor = 1.0f / t;
  p.xEdgeFactor = 1.0f / std::sin(std::atan2(tx, 1.0f));
  p.yEdgeFactor = 1.0f / std::sin(std::atan2(t, 1.0f));
  p.centreX = width / 2.0f;
  p.centreY = height / 2.0f;
  p.screenXScale = p.centreX / tx;
  p.screenYScale = -p.centreY / t;
  p.nearClamp = 1.0f;
  p.width = width;
  p.height = height;
  p.depthScale = depthScale;
  p.depthBias = depthBias;
  p.scale640 = width * 0.0015625f;
  p.scale480 = height * 0.0020833334f;
  p.inverseFar = 1.0f / farPlane;
  p.nearPlane = p.clipNear = nearPlane;
  p.farPlane = p.clipFar = farPlane;
  p.guardBox[0] = -2000.0f;
  p.guardBox[1] = 2000.0f;
  p.guardBox[2] = -2000.0f;
  p.guardBox[3] = 2000.0f;
}

void ProjectPoints(const Vec3* viewPoints, ScreenPoint* screen, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    float invZ;
    screen[i] = ProjectOne(viewPoints[i], invZ);
    KeepScratch(viewPoints[i], invZ);
  }
}

void ProjectPointsWithDepth(const Vec3* viewPoints, ScreenPointDepth* out, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    float invZ;
    ScreenPoint s = ProjectOne(viewPoints[i], invZ);
    out[i] = {s.x, s.y, viewPoints[i].z, invZ};
    KeepScratch(viewPoints[i], invZ);
  }
}

void MatProjectPoints(const Mat43& matrix, const Vec3* points, ScreenPoint* screen, ViewPoint* view,
                      int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    Vec3 v = Transform(matrix, points[i]);
    view[i].x = v.x;
    view[i].y = v.y;
    view[i].z = v.z;
    float invZ;
    screen[i] = ProjectOne(v, invZ);
    KeepScratch(v, invZ);
  }
}

int32_t ProjectPointsClip(const Mat43& matrix, const void* points, void* out, int32_t count,
                          int32_t outStride, int32_t inStride, uint32_t* codes) {
  return ProjectClipped(matrix, points, nullptr, out, count, outStride, inStride, codes, 0);
}

int32_t ProjectPointsClipNear(const Mat43& matrix, const void* points, ViewPoint* view, void* out,
                              int32_t count, int32_t outStride, int32_t inStride, uint32_t* codes) {
  return ProjectClipped(matrix, points, view, out, count, outStride, inStride, codes,
                        kClipInsideLeft | kClipInsideRight | kClipInsideTop | kClipInsideBottom);
}

void CalcPointsBounds(const Vec3* points, int32_t count, Bounds& out) {
  Vec3 lo{9999999.0f, 9999999.0f, 9999999.0f}, hi{-9999999.0f, -9999999.0f, -9999999.0f};
  for (int32_t i = 0; i < count; ++i) {
    Vec3 p{points[i].x, points[i].y, -points[i].z};
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  for (int i = 0; i < 8; ++i)
    out.corners[i] = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
  out.centre = {(lo.x + hi.x) * 0.5f, (lo.y + hi.y) * 0.5f, (lo.z + hi.z) * 0.5f};
  float hx = (hi.x - lo.x) * 0.5f, hy = (hi.y - lo.y) * 0.5f, hz = (hi.z - lo.z) * 0.5f;
  out.radiusSquared = hx * hx + hy * hy + hz * hz;
  out.radius = std::sqrt(out.radiusSquared);
}

float FloatAbs(float x) { return std::bit_cast<float>(std::bit_cast<uint32_t>(x) & 0x7FFFFFFFu); }

int32_t CountMipLevels(int32_t w, int32_t h) {
  int32_t size = std::min(w, h), levels = 0;
  while (size > 0) {
    size >>= 1;
    ++levels;
  }
  return levels;
}

int32_t CountMipLevelsTo(int32_t w, int32_t h, int32_t w2, int32_t h2) {
  int32_t size = std::min(w, h), floor = std::max(std::min(w2, h2), 0), levels = 0;
  while (size > floor) {
    size >>= 1;
    ++levels;
  }
  return levels;
}

bool IsPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

int32_t FloatToFixed16(float x) {
  // Scaling by 2^16 is exact, like raising the exponent by 16; the conversion
  // rounds to nearest and saturates instead of overflowing.
  float scaled = x * 65536.0f;
  if (!(scaled > -2147483648.0f)) return std::isnan(scaled) ? 0 : INT32_MIN;
  if (scaled >= 2147483648.0f) return INT32_MAX;
  return int32_t(std::nearbyint(scaled));
}

float FixedToFloat16(int32_t v) { return float(v) * (1.0f / 65536.0f); }

void DownsamplePixels(uint32_t* destination, const uint32_t* source, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return;
  const int32_t outWidth = (width + 1) / 2, outHeight = (height + 1) / 2;
  const uint32_t mask = 0x00FF00FFu, round = 0x00020002u;
  // Every destination pixel lies at or before the first of its source pixels,
  // so the destination may be the source itself.
  for (int32_t j = 0; j < outHeight; ++j) {
    const uint32_t* row0 = source + int64_t(2 * j) * width;
    const uint32_t* row1 = source + int64_t(std::min(2 * j + 1, height - 1)) * width;
    for (int32_t i = 0; i < outWidth; ++i) {
      int32_t x0 = 2 * i, x1 = std::min(2 * i + 1, width - 1);
      uint32_t a = row0[x0], b = row0[x1], c = row1[x0], d = row1[x1];
      uint32_t low = (a & mask) + (b & mask) + (c & mask) + (d & mask) + round;
      uint32_t high = ((a >> 8) & mask) + ((b >> 8) & mask) + ((c >> 8) & mask) + ((d >> 8) & mask) + round;
      destination[int64_t(j) * outWidth + i] = ((low >> 2) & mask) | (((high >> 2) & mask) << 8);
    }
  }
}

void DownsamplePixelsInPlace(uint32_t* pixels, int32_t width, int32_t height) {
  DownsamplePixels(pixels, pixels, width, height);
}

namespace {

// The format's 16-bit texel for one pixel and whether it counts as transparent.
uint16_t Convert16(uint32_t p, int32_t format, bool& transparent) {
  uint32_t r = p & 0xFF, g = (p >> 8) & 0xFF, b = (p >> 16) & 0xFF, a = p >> 24;
  switch (format) {
    case kPixel565:
      transparent = false;
      return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
    case kPixel1555:
      transparent = a < 128;
      return uint16_t((a >= 128 ? 0x8000u : 0u) | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
    case kPixel4444:
      transparent = (a >> 4) < 15;
      return uint16_t((a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4));
    default:  // kPixel5515
      transparent = a < 128;
      if (transparent) return 0;
      return uint16_t((r >> 3) << 11 | ((g >> 3) | 1u) << 6 | (b >> 3));
  }
}

}  // namespace

int32_t ConvertPixels16(void* destination, const uint32_t* source, int32_t width, int32_t rows,
                        int32_t destinationPitch, int32_t format) {
  if (format != kPixel565 && format != kPixel1555 && format != kPixel4444 && format != kPixel5515)
    return 0;
  int32_t seen = 0;
  for (int32_t y = 0; y < rows; ++y) {
    unsigned char* row = Advance(destination, y * destinationPitch);
    for (int32_t x = 0; x < width; ++x) {
      bool transparent;
      uint16_t texel = Convert16(source[int64_t(y) * width + x], format, transparent);
      Store(row + 2 * x, texel);
      // 4444 takes a row's transparency from its last pixel alone.
      if (transparent && (format != kPixel4444 || x == width - 1)) seen = 1;
    }
  }
  return seen;
}

void SwapRedBlue(void* destination, const uint32_t* source, int32_t width, int32_t rows,
                 int32_t destinationPitch, int32_t format) {
  if (format != kPixel8888) return;
  for (int32_t y = 0; y < rows; ++y) {
    unsigned char* row = Advance(destination, y * destinationPitch);
    for (int32_t x = 0; x < width; ++x) {
      uint32_t p = source[int64_t(y) * width + x];
      uint32_t swapped = (p & 0xFF00FF00u) | (p & 0xFFu) << 16 | ((p >> 16) & 0xFFu);
      Store(row + 4 * x, swapped);
    }
  }
}

int32_t TruncToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);  // truncates toward zero
}
