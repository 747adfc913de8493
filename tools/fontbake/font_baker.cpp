#include "tools/fontbake/font_baker.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <sstream>

#include "engine/scene/texture.h"
#include "platform/input.h"

namespace {

struct LibraryCloser {
  void operator()(FT_Library lib) const { FT_Done_FreeType(lib); }
};
struct FaceCloser {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using Library = std::unique_ptr<FT_LibraryRec_, LibraryCloser>;
using Face = std::unique_ptr<FT_FaceRec_, FaceCloser>;

bool OpenFace(FT_Library lib, const std::string& path, int32_t pixels, Face& out, std::string& error) {
  FT_Face face = nullptr;
  if (FT_New_Face(lib, path.c_str(), 0, &face) != 0) {
    error = "cannot open the face " + path;
    return false;
  }
  out.reset(face);
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(std::max(pixels, 1))) != 0) {
    error = "cannot size the face " + path;
    return false;
  }
  return true;
}

// Small capitals stand at this fraction of the em.
constexpr float kSmallCapsScale = 0.78f;

// Upper case of the Latin letters the code page holds; 0 when there is none.
uint32_t UpperCase(uint32_t cp) {
  if ((cp >= 'a' && cp <= 'z') || (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7)) return cp - 32;
  switch (cp) {
    case 0xFF: return 0x178;
    case 0x153: return 0x152;
    case 0x161: return 0x160;
    case 0x17E: return 0x17D;
    default: return 0;
  }
}

FT_Int32 LoadFlags(const FontSpec& font) {
  const FT_Int32 hinter = font.autohint ? FT_LOAD_FORCE_AUTOHINT : 0;
  return hinter | (font.antialias ? FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL
                                  : FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME);
}

// Which character a code is drawn with, and whether with the small face.
struct GlyphSource {
  uint32_t cp = 0;  // 0: the code has no glyph
  bool small = false;
};

std::array<GlyphSource, kMaxGlyphs> GlyphSources(const FontSpec& font, FT_Face face) {
  std::array<GlyphSource, kMaxGlyphs> sources{};
  for (int32_t code = 32; code < kMaxGlyphs; ++code) {
    uint32_t cp = CodePointOfGameChar(static_cast<uint8_t>(code));
    if (cp == 0) continue;
    GlyphSource& s = sources[static_cast<size_t>(code)];
    if (uint32_t upper = font.small_caps ? UpperCase(cp) : 0; upper && FT_Get_Char_Index(face, upper)) {
      s = {upper, true};
    } else if (cp == ' ' || FT_Get_Char_Index(face, cp)) {
      s = {cp, false};
    }
  }
  return sources;
}

// The faces of one font at one scale.
struct ScaledFont {
  Face full, small;
  int32_t ascender = 0;  // pixels above the baseline
  int32_t line = 0;      // ascender plus descender
};

bool OpenScaledFont(FT_Library lib, const FontSpec& font, const std::string& folder, float scale,
                    ScaledFont& out, std::string& error) {
  const std::string path = folder + "/" + font.face;
  auto pixels = static_cast<int32_t>(std::lround(static_cast<float>(font.pixels) * scale));
  if (!OpenFace(lib, path, pixels, out.full, error)) return false;
  if (font.small_caps) {
    auto small = static_cast<int32_t>(std::lround(static_cast<float>(font.pixels) * kSmallCapsScale * scale));
    if (!OpenFace(lib, path, small, out.small, error)) return false;
  }
  const FT_Size_Metrics& m = out.full->size->metrics;
  out.ascender = static_cast<int32_t>((m.ascender + 63) >> 6);
  out.line = out.ascender - static_cast<int32_t>(m.descender >> 6);
  return true;
}

FT_GlyphSlot RenderGlyph(const FontSpec& font, ScaledFont& faces, GlyphSource source) {
  FT_Face face = source.small ? faces.small.get() : faces.full.get();
  if (FT_Load_Char(face, source.cp, LoadFlags(font)) != 0) return nullptr;
  return face->glyph;
}

// Shelves of cells across square textures, in interface units.
class ShelfPacker {
 public:
  void NewRow() {
    if (x_ == kBakedCellGap) return;
    x_ = kBakedCellGap;
    y_ += row_ + kBakedCellGap;
    row_ = 0;
  }
  // False when the cell can never fit a texture.
  bool Place(int32_t w, int32_t h, int32_t& texture, int32_t& x, int32_t& y) {
    const int32_t room = kBakedTextureSide - 2 * kBakedCellGap;
    if (w > room || h > room) return false;
    if (x_ + w + kBakedCellGap > kBakedTextureSide) NewRow();
    if (y_ + h + kBakedCellGap > kBakedTextureSide) {
      ++texture_;
      x_ = y_ = kBakedCellGap;
      row_ = 0;
    }
    texture = texture_;
    x = x_;
    y = y_;
    x_ += w + kBakedCellGap;
    row_ = std::max(row_, h);
    return true;
  }
  int32_t TextureCount() const { return texture_ + 1; }

 private:
  int32_t texture_ = 0;
  int32_t x_ = kBakedCellGap, y_ = kBakedCellGap, row_ = 0;
};

int32_t Scaled(int32_t units, float scale) {
  return static_cast<int32_t>(std::lround(static_cast<float>(units) * scale));
}

// Where a glyph `size` long starts in a cell `cell` long: at `start`, moved
// in when it overhangs an edge and fits.
int32_t PlaceInCell(int32_t start, int32_t size, int32_t cell) {
  if (start + size > cell) start = cell - size;
  return std::max(start, 0);
}

// Copies a rendered glyph into its cell (white texels, coverage as alpha).
// A glyph that overhangs its cell (a j's hook, an accent above the line) is
// moved into it; one wider or taller than its cell loses its far edge.
// Returns the texels of ink (at least half covered) that fall outside.
int32_t BlitGlyph(const FT_Bitmap& bitmap, int32_t left, int32_t top, int32_t cell_x, int32_t cell_y,
                  int32_t cell_w, int32_t cell_h, TextureImage& texture) {
  left = PlaceInCell(left, static_cast<int32_t>(bitmap.width), cell_w);
  top = PlaceInCell(top, static_cast<int32_t>(bitmap.rows), cell_h);
  int32_t lost = 0;
  for (int32_t row = 0; row < static_cast<int32_t>(bitmap.rows); ++row) {
    const int32_t ty = top + row;
    const uint8_t* line = bitmap.buffer + static_cast<ptrdiff_t>(row) * std::abs(bitmap.pitch);
    for (int32_t col = 0; col < static_cast<int32_t>(bitmap.width); ++col) {
      const int32_t tx = left + col;
      uint8_t alpha = bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                          ? ((line[col >> 3] >> (7 - (col & 7))) & 1 ? 255 : 0)
                          : line[col];
      if (ty >= cell_h || tx >= cell_w) {
        lost += alpha >= 128;
        continue;
      }
      const size_t at = (static_cast<size_t>(cell_y + ty) * static_cast<size_t>(texture.width) +
                         static_cast<size_t>(cell_x + tx)) * 4 + 3;
      texture.texels[at] = std::max(texture.texels[at], alpha);
    }
  }
  return lost;
}

bool RenderSet(FT_Library lib, const std::vector<FontSpec>& fonts, const std::string& folder,
               BakedFonts& layout, int32_t texture_count, int32_t screen_width,
               std::vector<TextureImage>& set, std::string& error) {
  const float scale = static_cast<float>(screen_width) / 640.0f;
  const int32_t side = Scaled(kBakedTextureSide, scale);
  set.assign(static_cast<size_t>(texture_count), TextureImage{});
  for (TextureImage& t : set) {
    t.width = t.height = side;
    t.texels.resize(static_cast<size_t>(side) * static_cast<size_t>(side) * 4, 255);
    for (size_t i = 3; i < t.texels.size(); i += 4) t.texels[i] = 0;
  }
  for (size_t f = 0; f < fonts.size(); ++f) {
    ScaledFont faces;
    if (!OpenScaledFont(lib, fonts[f], folder, scale, faces, error)) return false;
    // The baseline keeps its place in the 640 layout, scaled.
    ScaledFont unscaled_metrics;
    if (!OpenScaledFont(lib, fonts[f], folder, 1.0f, unscaled_metrics, error)) return false;
    const int32_t baseline = Scaled(unscaled_metrics.ascender, scale);
    auto sources = GlyphSources(fonts[f], faces.full.get());
    for (int32_t code = 0; code < kMaxGlyphs; ++code) {
      const GlyphRecord& g = layout.tables[f][static_cast<size_t>(code)];
      if (g.width == 0 || sources[static_cast<size_t>(code)].cp == 0) continue;
      FT_GlyphSlot slot = RenderGlyph(fonts[f], faces, sources[static_cast<size_t>(code)]);
      if (!slot) continue;
      const int32_t x0 = Scaled(g.place[1], scale), y0 = Scaled(g.place[2], scale);
      const int32_t x1 = Scaled(g.place[1] + g.place[3], scale), y1 = Scaled(g.place[2] + g.place[4], scale);
      const int32_t lost = BlitGlyph(slot->bitmap, slot->bitmap_left, baseline - slot->bitmap_top, x0, y0, x1 - x0,
                                     y1 - y0, set[static_cast<size_t>(g.place[0])]);
      const bool fits = static_cast<int32_t>(slot->bitmap.width) <= x1 - x0 &&
                        static_cast<int32_t>(slot->bitmap.rows) <= y1 - y0;
      (fits ? layout.lostInk : layout.overhangInk) += lost;
    }
  }
  return true;
}

}  // namespace

uint32_t CodePointOfGameChar(uint8_t c) {
  if (c < 0x80 || c >= 0xA0) return c;
  for (uint32_t cp = 0x100; cp < 0x2200; ++cp) {
    if (platform::GameCharFromCodePoint(cp) == c) return cp;
  }
  return 0;
}

bool ParseFontList(std::string_view text, std::vector<FontSpec>& out, std::string& error) {
  out.clear();
  std::istringstream in{std::string(text)};
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::istringstream words(line);
    FontSpec font;
    std::string mode, extra;
    if (!(words >> font.base) || font.base[0] == '#') continue;
    if (!(words >> font.face >> font.pixels >> mode) || font.pixels < 4 || font.pixels > 96 ||
        (mode != "aa" && mode != "mono")) {
      error = "line " + std::to_string(number) +
              ": expected <base> <face> <pixels 4..96> <aa|mono> [smallcaps] [autohint]";
      return false;
    }
    font.antialias = mode == "aa";
    while (words >> extra) {
      if (extra == "smallcaps") {
        font.small_caps = true;
      } else if (extra == "autohint") {
        font.autohint = true;
      } else {
        error = "line " + std::to_string(number) + ": unknown option " + extra;
        return false;
      }
    }
    out.push_back(std::move(font));
  }
  if (out.empty()) error = "no fonts listed";
  return !out.empty();
}

bool BakeFonts(const std::vector<FontSpec>& fonts, const std::string& face_folder,
               const std::vector<int32_t>& screen_widths, BakedFonts& out, std::string& error) {
  FT_Library raw = nullptr;
  if (FT_Init_FreeType(&raw) != 0) {
    error = "cannot start FreeType";
    return false;
  }
  Library lib(raw);
  out = BakedFonts{};
  ShelfPacker packer;
  for (const FontSpec& font : fonts) {
    ScaledFont faces;
    if (!OpenScaledFont(lib.get(), font, face_folder, 1.0f, faces, error)) return false;
    auto sources = GlyphSources(font, faces.full.get());
    std::vector<GlyphRecord>& table = out.tables.emplace_back(static_cast<size_t>(kMaxGlyphs), GlyphRecord{});
    packer.NewRow();
    for (int32_t code = 0; code < kMaxGlyphs; ++code) {
      if (sources[static_cast<size_t>(code)].cp == 0) continue;
      FT_GlyphSlot slot = RenderGlyph(font, faces, sources[static_cast<size_t>(code)]);
      if (!slot) continue;
      const int32_t advance = std::max<int32_t>(1, static_cast<int32_t>((slot->advance.x + 32) >> 6));
      GlyphRecord& g = table[static_cast<size_t>(code)];
      if (!packer.Place(advance, faces.line, g.place[0], g.place[1], g.place[2])) {
        error = font.base + ": a glyph is larger than a font texture";
        return false;
      }
      g.place[3] = g.width = advance;
      g.place[4] = g.height = faces.line;
      g.place[5] = kBakedTextureSide;
    }
  }
  for (int32_t width : screen_widths) {
    // The texture system keeps a border of one texel around each font texture.
    if (width < 320 || Scaled(kBakedTextureSide, static_cast<float>(width) / 640.0f) + 2 > kTexturePageSize) {
      error = "no font texture set for a screen " + std::to_string(width) + " wide";
      return false;
    }
    if (!RenderSet(lib.get(), fonts, face_folder, out, packer.TextureCount(), width, out.sets.emplace_back(), error)) {
      return false;
    }
  }
  return true;
}
