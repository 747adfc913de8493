// Converts a texture source (texture_source.h) into a texture set
// ("textures.gtd") or a single texture file, one per screen-size variant.
//
//   texconv <source.txt> <game root> [face folder]
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/render/fullscreen_image.h"
#include "engine/scene/texture.h"
#include "platform/paths.h"
#include "tools/tool_io.h"
#include "tools/texconv/texture_source.h"

namespace {

bool WriteOutput(const std::string& name, const std::vector<TextureImage>& textures, bool set) {
  if (!ToolOutputInside(name)) return false;
  for (const TextureImage& t : textures) {
    if (t.width > kTexturePageSize || t.height > kTexturePageSize) {
      std::fprintf(stderr, "%s: a texture grows past %d texels\n", name.c_str(), kTexturePageSize);
      return false;
    }
  }
  bool ok = set ? WriteGtdFile(name, textures) : WriteTextureFile(name, textures.front());
  if (!ok) std::fprintf(stderr, "cannot write %s\n", name.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: texconv <source.txt> <game root> [face folder]\n");
    return 2;
  }
  std::string text;
  if (!ReadToolSource(argv[1], text)) return 1;
  TextureSource source;
  std::string error;
  const std::string folder = std::filesystem::path(argv[1]).parent_path().string();
  if (!ParseTextureSource(text, folder.empty() ? "." : folder, source, error,
                          argc == 4 ? argv[3] : ".")) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  if (!ToolOutputInside(source.output)) return 1;
  platform::SetGameRoot(argv[2]);
  if (IsPictureOutput(source)) {
    const TextureImage& picture = source.textures.front();
    if (!WriteFullScreenPicture(source.output, PicturePixels(picture), picture.width, picture.height)) {
      std::fprintf(stderr, "cannot write %s\n", source.output.c_str());
      return 1;
    }
    return 0;
  }
  const bool set = source.output.ends_with(".gtd");
  const std::vector<std::string> names = TextureOutputs(source);
  for (size_t v = 0; v < names.size(); ++v) {
    std::vector<TextureImage> textures = source.textures;
    if (!source.variants.empty()) {
      for (TextureImage& t : textures) t = ScaleTexture(t, static_cast<float>(source.variants[v]) / 640.0f);
    }
    if (!WriteOutput(names[v], textures, set)) return 1;
  }
  return 0;
}
