#pragma once
// The engine's small maths library: 3-vectors, 4x3 affine matrices, the camera
// projection, bounding boxes, Bezier curves, the sine table and the pixel and
// integer helpers used when textures are downloaded.
//
// Conventions: y is up; points are row vectors (p' = p.x*row0 + p.y*row1 +
// p.z*row2 + row3) and MatMultiply(out, a, b) applies a first, then b. View
// space is left-handed with z forward. Angles are radians unless a function
// says degrees. Everything is single precision; nothing here allocates.
#include <cstdint>

struct Vec3 {
  float x, y, z;
};

// Rows 0..2 are the images of the x, y and z axes, row 3 the translation.
struct Mat43 {
  float m[4][3];
};

inline constexpr Mat43 kMatIdentity = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}}};

// Bounding box of a point set built over (x, y, -z): every z here (corners and
// centre) is in that z-negated frame. Corner i takes x from max when bit 0 of i
// is set (min otherwise), y by bit 1, z by bit 2.
struct Bounds {
  Vec3 corners[8];
  Vec3 centre;
  float radiusSquared;
  float radius;  // half the box diagonal
};

struct BezierCurve {
  Vec3 p[4];
};

// Output records of the projection routines.
struct ScreenPoint {  // 8 bytes
  float x, y;
};
struct ViewPoint {  // 16 bytes: view-space x, y, z; w is left alone
  float x, y, z, w;
};
struct ScreenPointDepth {  // 16 bytes
  float x, y;  // screen position
  float z;     // view z
  float invZ;  // 1/z, or 1.0 when z is below the near clamp
};
// What ProjectPointsClip / ProjectPointsClipNear write at each output stride.
struct ClipPoint {
  float x, y;   // screen position
  float z;      // view z
  float depth;  // near / z (1.0 at or behind the near distance)
};

// The program-wide projection, filled by SetProjection.
struct ProjectionState {
  float xFactor;       // 1 / (tan(fov/2) * width/height)
  float yFactor;       // 1 / tan(fov/2)
  float centreX;       // width / 2
  float centreY;       // height / 2
  float screenXScale;  // centreX * xFactor
  float screenYScale;  // -(centreY * yFactor): screen y grows downward
  float nearClamp;     // 1.0: nearer points are projected as if at z = 1
  float width, height;
  float depthScale, depthBias;  // depth = z * depthScale - depthBias
  float scale640, scale480;     // the viewport against a 640 by 480 layout
  float inverseFar;
  float nearPlane, farPlane;  // for the projection
  float clipNear, clipFar;    // the same distances, for the clip tests
  float guardBox[4];          // -2000, 2000, -2000, 2000
  float xEdgeFactor;          // 1 / sin(atan2(tan(fov/2) * width/height, 1))
  float yEdgeFactor;          // 1 / sin(atan2(tan(fov/2), 1))
  float scratch[4];           // the last projected point's view x, y, z and depth
};

extern ProjectionState g_Projection;

// Sine table: sin(i * 0.02453125) for i = 0..319. g_Cosine points at entry 64,
// so cos(i) reads g_Cosine[i] (= g_Sine[i + 64]). Filled by MathInitSineTable.
inline constexpr int kSineTableSize = 320;
inline constexpr float kSineTableStep = 0.02453125f;
inline constexpr float kDegToRad = 0.017453292f;
extern float g_SineTable[kSineTableSize];
extern const float* g_Sine;
extern const float* g_Cosine;
extern bool g_SineTableReady;
void MathInitSineTable();

// Bezier curves.
void BezCalcPoint(const BezierCurve& curve, Vec3& out, float t);
float BezCalcLength(const BezierCurve& curve, int32_t steps);  // 0 for steps <= 0

// Vectors.
Vec3& VecMidpoint(Vec3& out, const Vec3& a, const Vec3& b);
float VecDistance(const Vec3& a, const Vec3& b);
float VecLength(const Vec3& v);
float VecDot(const Vec3& a, const Vec3& b);
// Divide by the length and return it; a zero vector stays zero (returns 0).
float VecNormalise(Vec3& v);
float Vec2Normalise(float* v);  // v[0], v[1]
// Scale by 1/length when length >= 0.001 (2D: > 0.001), else by 999.99994.
float VecNormaliseSafe(Vec3& v);
void Vec2NormaliseSafe(float* v);

// Point sets (packed Vec3 arrays).
void RotatePointsXRad(Vec3* points, int32_t count, float angle);
void RotatePointsYRad(Vec3* points, int32_t count, float angle);
void RotatePointsZRad(Vec3* points, int32_t count, float angle);
void RotatePointsY(Vec3* points, float degrees, int32_t count);
void TranslatePoints(Vec3* points, float dx, float dy, float dz, int32_t count);
void ScalePoints(Vec3* points, float sx, float sy, float sz, int32_t count);
void ScalePoints(Vec3* points, int32_t count, float sx, float sy, float sz);

// Matrices.
void MatLookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
               float upX, float upY, float upZ, Mat43& out);
Mat43& MatMultiply(Mat43& out, const Mat43& a, const Mat43& b);  // out must not be a or b
void MatMultiplyInPlace(Mat43& a, const Mat43& b);                // a = a * b
void MatSetTranslation(float x, float y, float z, Mat43& matrix);  // row 3 only
// S * Rx(ax) * Ry(ay) * Rz(-az), S = diag(sx, sy, sz); zero translation.
void MatSetRotationScale(float ax, float ay, float az, float sx, float sy, float sz, Mat43& out);
// Rz(-az) * Ry(-ay) * Rx(-ax) with the y row scaled by sy; zero translation.
void MatSetRotationScaleZYX(float ax, float ay, float az, float sy, Mat43& out);
void MatRotateVector(const Mat43& matrix, const Vec3& v, Vec3& out);

// Transforms. Counts are >= 1 (at least one point is processed); strides are
// in bytes.
void MatTransformPoints(const Mat43& matrix, const Vec3* source, Vec3* destination, int32_t count);
void MatTransformPointsInPlace(const Mat43& matrix, void* points, int32_t stride, int32_t count);
void MatTransformPointsStrided(const Mat43& matrix, const Vec3* source, void* destination,
                               int32_t destinationStride, int32_t count);
// Writes four floats per point: view x, y, z * 1.00003 - 1.00003, z.
void MatTransformDepth(const Mat43& matrix, const Vec3* points, void* out, int32_t outStride,
                       int32_t count);

// Projection (fov is the vertical one, in degrees).
void SetProjection(float width, float height, float fovDegrees, float nearPlane, float farPlane,
                   float depthScale, float depthBias);
void ProjectPoints(const Vec3* viewPoints, ScreenPoint* screen, int32_t count);
void ProjectPointsWithDepth(const Vec3* viewPoints, ScreenPointDepth* out, int32_t count);
void MatProjectPoints(const Mat43& matrix, const Vec3* points, ScreenPoint* screen, ViewPoint* view,
                      int32_t count);

// Outcode bits: one "inside" bit per edge; 31 = wholly inside.
enum : uint32_t {
  kClipInsideLeft = 1,    // x >= 0
  kClipInsideRight = 2,   // x <= width
  kClipInsideTop = 4,     // y >= 0
  kClipInsideBottom = 8,  // y < height
  kClipInFront = 16,      // beyond the near distance
  kClipAllInside = 31,
};
// Transform to view space, project and write a ClipPoint at each out stride
// plus one outcode per point. Returns the OR of all codes in the low 16 bits
// and their AND in the high 16 bits. A point at or behind the near distance
// gets code 0 here (the AND becomes 0) and code 15 in the Near form (the AND is
// left as it is); the Near form also stores view x, y, z.
int32_t ProjectPointsClip(const Mat43& matrix, const void* points, void* out, int32_t count,
                          int32_t outStride, int32_t inStride, uint32_t* codes);
int32_t ProjectPointsClipNear(const Mat43& matrix, const void* points, ViewPoint* view, void* out,
                              int32_t count, int32_t outStride, int32_t inStride, uint32_t* codes);

// Bounds over (x, y, -z); with no points the box stays at the seeds
// (min 9999999, max -9999999).
void CalcPointsBounds(const Vec3* points, int32_t count, Bounds& out);

// Scalars and integers.
float FloatAbs(float x);
int32_t CountMipLevels(int32_t w, int32_t h);                          // 9 for 256
int32_t CountMipLevelsTo(int32_t w, int32_t h, int32_t w2, int32_t h2);  // halvings while above
bool IsPowerOfTwo(uint32_t v);
int32_t FloatToFixed16(float x);  // round(x * 65536)
float FixedToFloat16(int32_t v);  // v / 65536

// Pixels. Source pixels are 32-bit with bytes red, green, blue, alpha.
// 2x2 box filter to half width and height (rounded up; an odd edge repeats its
// last row or column). destination may equal source.
void DownsamplePixels(uint32_t* destination, const uint32_t* source, int32_t width, int32_t height);
void DownsamplePixelsInPlace(uint32_t* pixels, int32_t width, int32_t height);

enum PixelFormat16 : int32_t {
  kPixel565 = 565,
  kPixel1555 = 1555,
  kPixel4444 = 4444,
  kPixel5515 = 5515,  // 565 with bit 6 forced on in opaque texels; transparent = 0
  kPixel8888 = 8888,  // SwapRedBlue only
};
// Converts rows of 32-bit pixels to 16 bits. The low byte of the result says
// whether transparency was seen. Unknown formats convert nothing (returns 0).
int32_t ConvertPixels16(void* destination, const uint32_t* source, int32_t width, int32_t rows,
                        int32_t destinationPitch, int32_t format);
// Format 8888 only: copies pixels exchanging their first and third bytes.
void SwapRedBlue(void* destination, const uint32_t* source, int32_t width, int32_t rows,
                 int32_t destinationPitch, int32_t format);

// Truncates toward zero; NaN gives 0, values beyond the range are held at its ends.
int32_t TruncToInt32(double value);
