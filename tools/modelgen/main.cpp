// Generates a family table's models (model_families.h) into the game root:
// each model's ".tm" file and the solid-colour textures its primitives name.
//
//   modelgen <table.txt> <game root> [<stamp file>]
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "engine/files/texture_file.h"
#include "platform/paths.h"
#include "tools/modelgen/model_families.h"
#include "tools/tool_io.h"

namespace {

constexpr int kColourTextureSide = 4;

bool WriteColourTexture(const std::string& folder, Colour c) {
  TextureImage t;
  t.width = t.height = kColourTextureSide;
  for (int i = 0; i < kColourTextureSide * kColourTextureSide; ++i) {
    t.texels.insert(t.texels.end(), {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c), 255});
  }
  return WriteTextureFile(folder + ColourTextureName(c), t);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: modelgen <table.txt> <game root> [<stamp file>]\n");
    return 2;
  }
  std::string text;
  if (!ReadToolSource(argv[1], text)) return 1;
  platform::SetGameRoot(argv[2]);
  std::istringstream in(text);
  std::string line, folder;
  std::set<std::string> written;  // colour textures, by game name
  int models = 0;
  for (int number = 1; std::getline(in, line); ++number) {
    // A comment line starts with '#' (colours inside rows are #rrggbb).
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    std::istringstream words(line);
    GenRow row;
    if (!(words >> row.kind)) continue;
    auto fail = [&](const std::string& why) {
      std::fprintf(stderr, "%s:%d: %s\n", argv[1], number, why.c_str());
      return 1;
    };
    if (row.kind == "folder") {
      if (!(words >> folder)) return fail("folder name missing");
      if (folder.back() != '\\') folder += '\\';
      continue;
    }
    if (folder.empty()) return fail("no folder given before the first model");
    if (!(words >> row.name)) return fail("model name missing");
    for (std::string w; words >> w;) row.args.push_back(w);
    std::vector<GenModel> out;
    std::string error;
    if (!GenerateRow(row, out, error)) return fail(row.name + ": " + error);
    for (GenModel& g : out) {
      ModelFileData data;
      if (g.direct) data = std::move(g.data);
      else if (!g.mesh.Finish(data, error)) return fail(g.name + ": " + error);
      for (const std::string& texture : data.textures) {
        const std::string game_name = folder + texture;
        if (written.count(game_name)) continue;
        Colour c = 0;
        ParseColour("#" + texture.substr(2, 6), c);
        if (!WriteColourTexture(folder, c)) return fail("cannot write " + game_name);
        written.insert(game_name);
      }
      if (!WriteModelFile(folder + g.name + ".tm", data, error)) return fail(g.name + ": " + error);
      ++models;
    }
  }
  if (argc == 4) {
    std::FILE* stamp = std::fopen(argv[3], "w");
    if (!stamp) return 1;
    std::fprintf(stamp, "%d models\n", models);
    std::fclose(stamp);
  }
  return 0;
}
