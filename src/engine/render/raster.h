#pragma once
// The software rasteriser: triangle fillers that write straight into a 16-bit
// colour target (5-6-5 or 5-5-5) and, where asked, test and update a 16-bit
// depth buffer; the colour conversion of flat-coloured drawing; and the tinted
// sprite blits of screen-space textured rectangles.
//
// The renderer points the row tables at its buffers, sets the clip rectangle,
// writes the three vertices of one triangle into g_RasterVertices and calls
// one filler. A filler reorders the vertices and rescales u and v in place, so
// the block must be written anew before every call.
//
// Textures are square, power-of-two, mip-mapped and tile in both directions.
// Transparency is one key bit in the texels: bit 6 (0x40) in keyed 5-6-5
// pages (transparent texels are 0), bit 15 in 1-5-5-5 pages.
#include <cstdint>

inline constexpr int32_t kRasterMaxRows = 1024;
inline constexpr int32_t kSoftTextureLevels = 8;

// Pixel centres are at integer coordinates.
struct RasterVertex {
  float x, y;
  float z;     // depth key in [0, 0.5], larger = nearer
  float u, v;  // in units of the whole texture (1.0 = one repeat)
};

struct SoftTextureLevel {
  uint16_t* Texels;  // Size x Size, row after row
  int32_t Size;      // 2 .. 256
  uint32_t Mask;     // Size * Size - 1
  int32_t Shift;     // log2(Size)
};

struct SoftTexture {
  uint8_t HasTransparency;
  int32_t MaxLevel;  // index of the smallest level (2 x 2)
  SoftTextureLevel Levels[kSoftTextureLevels];
};

// Vertex of the ground filler.
struct FloorVertex {
  float x, y;      // screen pixels
  float z;         // view depth, positive
  float depthKey;  // not read
  float u, v;
};

using RasterFiller = void (*)(const SoftTexture& texture, uint8_t clip);

struct RasterVertexBlock {
  RasterVertex v[3];
  uint32_t FlatColour;        // 0xAARRGGBB
  uint32_t SilhouetteColour;  // 0xAARRGGBB
  RasterFiller OpaqueFiller;
  RasterFiller KeyedFiller;
};

// Right and bottom are one past the last usable column and row.
struct ClipRectangle {
  int32_t ClipLeft, ClipTop, ClipRight, ClipBottom;
};

// The render target. The fillers only read these.
extern uint16_t* ColourRows[kRasterMaxRows];
extern uint16_t* DepthRows[kRasterMaxRows];
extern int32_t RowPitch;  // colour row length in pixels
extern uint8_t PixelIs565;
extern ClipRectangle ClipRect;
extern RasterVertexBlock g_RasterVertices;
// Number of significant bits of i, capped at 7.
extern const int8_t MipLevelTable[256];

// Points the colour rows at a target of `rows` rows of `pitchPixels` pixels
// and sets RowPitch. Rows beyond kRasterMaxRows are not addressable.
void RasterSetColourTarget(uint16_t* pixels, int32_t pitchPixels, int32_t width, int32_t rows);
void RasterSetDepthTarget(uint16_t* depth, int32_t pitchPixels, int32_t rows);
// Sets ClipRect, cut to the colour target set last.
void RasterSetClip(int32_t left, int32_t top, int32_t right, int32_t bottom);

// Fillers over g_RasterVertices. With clip 0 the caller guarantees the whole
// triangle lies inside ClipRect; with clip set every row and column is cut to
// it. The flat fillers always clip.
void FillTextured(const SoftTexture& texture, uint8_t clip);
void FillTexturedKeyed(const SoftTexture& texture, uint8_t clip);
void FillTexturedDepth(const SoftTexture& texture, uint8_t clip);
void FillTexturedDepthKeyed(const SoftTexture& texture, uint8_t clip);
void FillSilhouette(const SoftTexture& texture, uint8_t clip);
void FillFlat();
void FillFlatDepth();
// Ground surfaces: perspective corrected once per row; no depth, no key.
// Draws nothing unless the vertices run anticlockwise on screen (area > 0).
void FillFloorTextured(const SoftTexture& texture, const FloorVertex& a, const FloorVertex& b,
                       const FloorVertex& c, uint8_t clip);

// ---- Pixel conversion and sprite blits ----------------------------------------

// Source rectangle of a sprite in texture units (0 to 1 across the texture).
struct SpriteSourceRect {
  float ULeft, VTop, URight, VBottom;
};

// 0xAARRGGBB to a 16-bit pixel of the current format; alpha is ignored.
uint16_t ToPixel16(uint32_t colour);
// Draws the source rectangle scaled to the destination rectangle, cut to
// ClipRect, skipping transparent texels and scaling each channel by the
// tint's byte / 256. Texels that would lie outside the source are not drawn.
void BlitSpriteTinted565(int32_t x, int32_t y, int32_t width, int32_t height,
                         const uint16_t* texels, int32_t textureWidth, int32_t textureHeight,
                         uint32_t tint, const SpriteSourceRect& source);
void BlitSpriteTinted555(int32_t x, int32_t y, int32_t width, int32_t height,
                         const uint16_t* texels, int32_t textureWidth, int32_t textureHeight,
                         uint32_t tint, const SpriteSourceRect& source);

// The same blit for the current format with an explicit key: a texel draws
// when it has a bit of `key` set; key 0 draws every texel (pages without
// transparency carry no key bit).
void BlitSpriteTintedKey(int32_t x, int32_t y, int32_t width, int32_t height,
                         const uint16_t* texels, int32_t textureWidth, int32_t textureHeight,
                         uint32_t tint, const SpriteSourceRect& source, uint16_t key);

// Float to 32-bit integer, round to nearest, ties to even; saturating.
int32_t RasterRound(float value);
// The same kept modulo 2^32: texture positions only matter modulo the tile,
// so far repeats still tile.
uint32_t RasterRoundWrap(float value);
