#pragma once
// Flat rectangles, lines and interface images in the 640 x 480 layout space,
// each drawn with one renderer call. Colours are 0xAARRGGBB.
#include <cstdint>

#include "ui/ui_rect.h"

struct TexRect;

struct LinePoint2D {
  float x, y, depth;
  uint32_t colour;
};

// One quad, corners (x1, y1), (x1, y2), (x2, y2), (x2, y1), each with its colour.
void DrawRect2D(const UIRect& r, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float depth);
void DrawRect2DXYWH(float x, float y, float w, float h, uint32_t c1, uint32_t c2, uint32_t c3,
                    uint32_t c4, float depth);
void DrawRect2DSolid(const UIRect& r, uint32_t colour, float depth);
// Four one-pixel lines; the right edge reaches half a pixel past both ends.
void DrawRectOutline(const UIRect& r, uint32_t colour, float depth);
// One-pixel edges: top and right in one colour, bottom and left in another.
void DrawBevel(const UIRect& r, uint32_t topRight, uint32_t bottomLeft, float depth);
void DrawLine2D(const LinePoint2D& a, const LinePoint2D& b);
// The whole texture (a texture slot) over the rect.
void DrawTexturedRect(const UIRect& r, int32_t texture, float depth);
// Part of the texture (texture coordinates u0, v0 to u1, v1) over the rect.
void DrawTexturedRectPart(const UIRect& r, int32_t texture, const TexRect& coords, float depth);
void DrawTexturedRectColoured(const UIRect& r, int32_t texture, float depth, uint32_t colour);
// A UI image at (x, y), its pixel size turned into layout units.
void DrawImage2D(float x, float y, int32_t imageId, float depth);
void DrawImage2DTinted(float x, float y, int32_t imageId, float depth, uint32_t colour);

// Pixels to layout units at the interface screen size (whole-number division).
int32_t ScaleToScreenX(int32_t pixels);
int32_t ScaleToScreenY(int32_t pixels);

// The texture slot of a UI image, -1 for none or an id outside the table.
int32_t UIImageTexture(int32_t imageId);
// Width and height of a UI image in layout units (0 for none).
int32_t UIImageWidth(int32_t imageId);
int32_t UIImageHeight(int32_t imageId);
