#pragma once
// Font glyph tables ("<base>.tab"): int32 glyph count n, then n records of 44
// bytes indexed by glyph code.
//
// The first eight values say where the glyph lies in the font's glyph
// textures; the text system passes them on untouched. The fonts this game
// builds (tools/fontbake) fill them as:
//   [0] index of the glyph's texture within the font texture set
//       (gamedata2\font640, font800, font1024: the same order in all three)
//   [1] x, [2] y, [3] width, [4] height of the glyph's cell in that texture,
//       in interface units (640 by 480 space)
//   [5] the texture's side in interface units; a set for another screen
//       width holds the same layout scaled by (its width / 640), so texture
//       coordinates are [1..4] / [5] in every set
//   [6], [7] zero
// width, height and the vertical offset (from the line top) are interface
// units too; the width is also the advance.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

struct GlyphRecord {
  int32_t place[8];
  int32_t width;
  int32_t height;
  int32_t vertical_offset;
};
static_assert(sizeof(GlyphRecord) == 44);

// Glyph codes are bytes: a table never needs more than 256 records.
inline constexpr int32_t kMaxGlyphs = 256;

// Reads "<base>.tab" (a game name). Returns 0, or 1 when the file cannot be
// opened, 2 when it is short, longer than its count says, or its count is
// negative or above kMaxGlyphs.
int32_t ReadFontTable(std::string_view base, std::vector<GlyphRecord>& out);
bool WriteFontTable(std::string_view base, std::span<const GlyphRecord> glyphs);
