#pragma once
// Bakes the game's bitmap fonts from TrueType faces: one glyph table per font
// and one glyph texture set per screen size, laid out as font_table.h says.
//
// The layout is made once in interface units (the 640 by 480 space): every
// glyph gets a cell as wide as its advance and as tall as its font's line, on
// shelves of square textures kBakedTextureSide units wide. Each screen size
// then renders the same layout with its faces scaled by (screen width / 640),
// so one table serves all three sets.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/files/font_table.h"
#include "engine/files/texture_file.h"

// Side of every font texture in interface units. Scaled by 1.25 and 1.6 it
// stays whole (175 and 224 texels), and with the border the texture system
// keeps around it, it still fits a 256-texel page.
inline constexpr int32_t kBakedTextureSide = 140;
// Free units between cells, so that filtering never reaches a neighbour.
inline constexpr int32_t kBakedCellGap = 2;

struct FontSpec {
  std::string base;  // game name without ".tab", e.g. gamedata\fonts\cust640p
  std::string face;  // TrueType file, relative to the face folder
  int32_t pixels = 0;  // em size in interface units
  bool antialias = true;
  bool small_caps = false;  // lower case drawn as smaller capitals
  // Hinted by FreeType's own hinter instead of the face's instructions,
  // which at some sizes close the gap between the dot of i and j and its stem.
  bool autohint = false;
};

// Reads a font list: one font a line, "<base> <face> <pixels> <aa|mono>
// [smallcaps] [autohint]"; blank lines and lines starting with '#' are skipped.
bool ParseFontList(std::string_view text, std::vector<FontSpec>& out, std::string& error);

struct BakedFonts {
  std::vector<std::vector<GlyphRecord>> tables;  // one per font, kMaxGlyphs records
  // One texture set per screen width asked for, in the same order.
  std::vector<std::vector<TextureImage>> sets;
  // Texels of ink lost outside their cells, over every set, by glyphs that
  // fit their cells (none: such a glyph is moved into its cell) and by
  // glyphs wider or taller than their cells (a cell is as wide as the
  // advance, and some glyphs reach past theirs).
  int32_t lostInk = 0;
  int32_t overhangInk = 0;
};

// Bakes every font of the list for the given screen widths (640 first is
// usual; any width works). Faces are read from `face_folder`.
bool BakeFonts(const std::vector<FontSpec>& fonts, const std::string& face_folder,
               const std::vector<int32_t>& screen_widths, BakedFonts& out, std::string& error);

// The Unicode code point of a game character (its 8-bit code page), 0 when the
// code page has none there.
uint32_t CodePointOfGameChar(uint8_t c);
