// Colour conversion to the 16-bit target and the tinted sprite blits.
#include <algorithm>

#include "engine/render/raster.h"

uint16_t ToPixel16(uint32_t colour) {
  if (PixelIs565)
    return uint16_t(((colour >> 8) & 0xF800) + ((colour >> 5) & 0x07E0) + ((colour >> 3) & 0x001F));
  return uint16_t(((colour >> 9) & 0x7C00) + ((colour >> 6) & 0x03E0) + ((colour >> 3) & 0x001F));
}

namespace {

struct TintFormat {
  uint16_t key;
  uint32_t redMask, greenMask;  // of the texel
};
constexpr TintFormat kTint565 = {0x0040, 0xF800, 0x07E0};
constexpr TintFormat kTint555 = {0x8000, 0x7C00, 0x03E0};

inline uint16_t Tint(const TintFormat& f, uint16_t t, uint32_t r, uint32_t g, uint32_t b) {
  return uint16_t((((r * (t & f.redMask)) & (f.redMask << 8)) |
                   ((g * (t & f.greenMask)) & (f.greenMask << 8)) | (b * (t & 0x001Fu))) >>
                  8);
}

void BlitSpriteTinted(const TintFormat& f, int32_t x, int32_t y, int32_t width, int32_t height,
                      const uint16_t* texels, int32_t textureWidth, int32_t textureHeight,
                      uint32_t tint, const SpriteSourceRect& source) {
  if (width <= 0 || height <= 0 || !texels || textureWidth <= 0 || textureHeight <= 0) return;
  int64_t left = std::max<int64_t>(x, ClipRect.ClipLeft);
  int64_t right = std::min<int64_t>(int64_t(x) + width, ClipRect.ClipRight) - 1;
  int64_t top = std::max<int64_t>(y, ClipRect.ClipTop);
  int64_t bottom = std::min<int64_t>(int64_t(y) + height, ClipRect.ClipBottom) - 1;
  if (left > right || top > bottom) return;
  int64_t sw = RasterRound(float(textureWidth) * (source.URight - source.ULeft));
  int64_t sh = RasterRound(float(textureHeight) * (source.VBottom - source.VTop));
  int64_t su = RasterRound(float(textureWidth) * source.ULeft);
  int64_t sv = RasterRound(float(textureHeight) * source.VTop);
  uint32_t r = (tint >> 16) & 0xFF, g = (tint >> 8) & 0xFF, b = tint & 0xFF;
  // The mapping comes from the unclipped rectangle, so a clipped sprite shows
  // the part of the image that lies on screen.
  for (int64_t row = bottom; row >= top; --row) {
    int64_t sourceRow = sv + (row - y) * sh / height;
    if (sourceRow < 0 || sourceRow >= textureHeight) continue;
    const uint16_t* sourceTexels = texels + sourceRow * textureWidth;
    uint16_t* pixels = ColourRows[row];
    for (int64_t col = right; col >= left; --col) {
      int64_t sourceCol = su + (col - x) * sw / width;
      if (sourceCol < 0 || sourceCol >= textureWidth) continue;
      uint16_t t = sourceTexels[sourceCol];
      if (!f.key || (t & f.key)) pixels[col] = Tint(f, t, r, g, b);
    }
  }
}

}  // namespace

void BlitSpriteTinted565(int32_t x, int32_t y, int32_t width, int32_t height,
                         const uint16_t* texels, int32_t textureWidth, int32_t textureHeight,
                         uint32_t tint, const SpriteSourceRect& source) {
  BlitSpriteTinted(kTint565, x, y, width, height, texels, textureWidth, textureHeight, tint,
                   source);
}

void BlitSpriteTinted555(int32_t x, int32_t y, int32_t width, int32_t height,
                         const uint16_t* texels, int32_t textureWidth, int32_t textureHeight,
                         uint32_t tint, const SpriteSourceRect& source) {
  BlitSpriteTinted(kTint555, x, y, width, height, texels, textureWidth, textureHeight, tint,
                   source);
}

void BlitSpriteTintedKey(int32_t x, int32_t y, int32_t width, int32_t height,
                         const uint16_t* texels, int32_t textureWidth, int32_t textureHeight,
                         uint32_t tint, const SpriteSourceRect& source, uint16_t key) {
  TintFormat format = PixelIs565 ? kTint565 : kTint555;
  format.key = key;
  BlitSpriteTinted(format, x, y, width, height, texels, textureWidth, textureHeight, tint,
                   source);
}
