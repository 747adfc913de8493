#pragma once
// Texture sources: small readable descriptions of textures, drawn in code or
// read from PNG files, for the texture converter.
//
// One statement a line; '#' starts a comment. Colours are #RRGGBB or
// #RRGGBBAA.
//   output <game name>        where the result goes: a name ending in ".gtd" is
//                             a texture set, one ending in ".tga" a full-screen
//                             picture (one texture of up to 640 x 480, written
//                             as 16-bit 5-5-5), one in ".bmp" the same as a
//                             24-bit bitmap, any other a single texture
//                             file; with variants, "%d" in it stands for the
//                             width
//   variants <width>...       one output per screen width, every texture
//                             scaled by (width / 640)
//   texture <w> <h> [colour]  starts a texture (transparent black by default)
//   texture png <file>        starts a texture from a PNG (source's folder)
//   flags ownpage | <number>  the texture's format word (single textures)
//   fill <colour>
//   rect <x> <y> <w> <h> <colour>
//   frame <width> <colour>    a border along the edges
//   checker <cell> <colour> <colour>
//   stripes <h|v> <width> <colour> <colour>
//   gradient <h|v> <colour> <colour>
//   bricks <w> <h> <mortar> <brick colour> <mortar colour>
//   blob <x> <y> <rx> <ry> <colour>
//                             a soft ellipse fading to its rim (alpha too),
//                             kept where brighter, wrapping round the edges
//   noise <seed> <amount>     varies every texel's brightness by up to amount
//   key <char> <colour>       a colour for the pixel rows below
//   pixels <x> <y>            rows of key characters follow, up to "end";
//                             '.' and ' ' leave a texel as it is
//   copies <n>                n more textures like the current one (the
//                             last of them becomes the current texture)
//   text <x|c> <y> <size> <colour> <face> <words...>
//                             the rest of the line drawn with a TrueType face
//                             (a file in the face folder) at <size> pixels,
//                             baseline at y; "c" centres it across the texture
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/files/texture_file.h"

struct TextureSource {
  std::string output;
  std::vector<int32_t> variants;  // empty: one output as drawn
  std::vector<TextureImage> textures;
};

// `folder` is where PNG files named by the source are found, `face_folder`
// where the faces of text statements are.
bool ParseTextureSource(std::string_view text, const std::string& folder, TextureSource& out,
                        std::string& error, const std::string& face_folder = {});
// True when the source's output is a full-screen picture: ".tga" in the
// game's own picture format, ".bmp" a 24-bit Windows bitmap (the pictures of
// the set-up dialogs and the installer, read by the window system's loader).
bool IsPictureOutput(const TextureSource& source);
// A picture as the bytes of an uncompressed 24-bit BMP file.
std::vector<uint8_t> EncodeBmp(const TextureImage& picture);
// A picture's texels as 5-5-5 pixels (the top five bits of each channel),
// top row first.
std::vector<uint16_t> PicturePixels(const TextureImage& picture);
bool ReadPngTexture(const std::string& path, TextureImage& out, std::string& error);
// Resamples a texture (bilinear, edges clamped) to round(side x scale).
TextureImage ScaleTexture(const TextureImage& texture, float scale);
// The game names written for a source, one per variant.
std::vector<std::string> TextureOutputs(const TextureSource& source);
