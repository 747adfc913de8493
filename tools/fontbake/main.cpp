// Bakes the game's fonts: the glyph tables ("<base>.tab") of a font list and
// the glyph texture sets of the three screen sizes
// (gamedata2\font640, font800, font1024, each a textures.gtd).
//
//   fontbake <font list> <face folder> <game root>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/paths.h"
#include "tools/tool_io.h"
#include "tools/fontbake/font_baker.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: fontbake <font list> <face folder> <game root>\n");
    return 2;
  }
  std::string text;
  if (!ReadToolSource(argv[1], text)) return 1;
  std::vector<FontSpec> fonts;
  BakedFonts baked;
  std::string error;
  const std::vector<int32_t> widths = {640, 800, 1024};
  if (!ParseFontList(text, fonts, error) || !BakeFonts(fonts, argv[2], widths, baked, error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  if (baked.lostInk > 0) std::fprintf(stderr, "%s: warning: %d texels of ink fall outside their cells\n", argv[1], baked.lostInk);
  platform::SetGameRoot(argv[3]);
  for (size_t f = 0; f < fonts.size(); ++f) {
    if (!ToolOutputInside(fonts[f].base + ".tab")) return 1;
    if (!WriteFontTable(fonts[f].base, baked.tables[f])) {
      std::fprintf(stderr, "cannot write %s.tab\n", fonts[f].base.c_str());
      return 1;
    }
  }
  for (size_t s = 0; s < widths.size(); ++s) {
    std::string name = "gamedata2\\font" + std::to_string(widths[s]) + "\\textures.gtd";
    if (!WriteGtdFile(name, baked.sets[s])) {
      std::fprintf(stderr, "cannot write %s\n", name.c_str());
      return 1;
    }
  }
  return 0;
}
