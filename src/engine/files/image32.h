#pragma once
// Drawing straight into a 32-bit image in memory (a texture image), without
// the renderer, plus table and Newton square roots.
//
// Draw2DFillRect and Draw2DPutPixel take ARGB colours and store them with red
// and blue exchanged (ABGR, the texel byte order); the other routines store
// values unchanged. Every routine clips to the target, and does nothing
// without one.
#include <cstdint>

#include "engine/core/maths.h"

// The target's view of an image: width is also the row length.
struct Image32 {
  int32_t width;
  int32_t height;
  uint32_t* pixels;
};

void Draw2DSetTarget(const Image32& image);
const Image32& Draw2DTarget();
void Draw2DFillRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t argb);
// From (x0, y0) up to but not including (x1, y1).
void Draw2DFillCorners(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
void Draw2DPutPixel(int32_t x, int32_t y, uint32_t argb);
uint32_t Draw2DGetPixel(int32_t x, int32_t y);  // 0 outside the target
void Draw2DBlit(const Image32& image, int32_t x, int32_t y);
// By the source alpha a: 255 copies, 0 leaves the target, otherwise each colour
// channel is t*(255-a)/256 + s*a/256 and the alpha becomes 255.
void Draw2DAlphaBlit(const Image32& image, int32_t x, int32_t y);
// Steps in 16.16 fixed point from (x0, y0) towards (x1, y1); the end point is
// not drawn.
void Draw2DLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);

// ARGB <-> ABGR.
uint32_t SwapRedBlueWord(uint32_t colour);

void InitSqrtTable();
float TableSqrt(float x);  // 0 for 0 and below
float InvSqrt(float x);    // approximate 1 / sqrt(x)
float FastSqrt(float x);   // InvSqrt(x) * x
// Squared distance from centre to the ray from origin through point, or -1
// when the centre is behind the origin, further than radius along the ray, or
// the result exceeds limit.
float RaySphereDistance(const Vec3& origin, const Vec3& point, float radius, float limit,
                        const Vec3& centre);
