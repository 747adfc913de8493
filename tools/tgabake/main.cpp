// tgabake <source> <game root>: writes the pictures a source describes.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/tgabake/tga_sources.h"
#include "tools/tool_io.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tgabake <source> <game root>\n");
    return 2;
  }
  std::string text, error;
  if (!ReadToolSource(argv[1], text)) return 1;
  std::vector<TgaPicture> pictures;
  if (!BakeTgaSource(text, pictures, error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  for (const TgaPicture& p : pictures) {
    std::string rel = p.name;
    for (char& c : rel)
      if (c == '\\') c = '/';
    const std::filesystem::path path = std::filesystem::path(argv[2]) / rel;
    std::filesystem::create_directories(path.parent_path());
    const std::vector<uint8_t> bytes = EncodeTga32(p);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
      return 1;
    }
  }
  return 0;
}
