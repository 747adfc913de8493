#include "city/prestige_textures.h"

#include <cstring>
#include <string>
#include <string_view>

#include "engine/core/console.h"

namespace {

struct Material {
  const char* name;
  int32_t base;
};
constexpr Material kMaterials[] = {{"STONE", 0}, {"BRICK", 80}, {"CONCRETE", 240}, {"TIMBER", 400}, {"GLASS", 560}};
constexpr int32_t kVariantStride = 16;

constexpr const char* kLevelWords[kPrestigeLevelCount] = {"LOW", "MEDIUM", "HIGH"};

// `RESET`, or `material+variant level`. A level word other than LOW, MEDIUM or
// HIGH ("NA" in the files) ranks the texture nowhere.
int TexturePrestigeRanking(const char* rest) {
  std::string word;
  if (!ReadConsoleWord(rest, word)) return 0;
  UpperCaseWord(word);
  if (word.starts_with("RESET")) {
    ResetPrestigeTextureLists();
    return 0;
  }
  int32_t texture = ParsePrestigeTextureWord(word.c_str());
  if (texture < 0) {
    ConsolePrintF(kConsoleError, "Error. Unrecognised texture %s", word.c_str());
    return 0;
  }
  std::string level;
  if (!ReadConsoleWord(rest, level)) return 0;
  UpperCaseWord(level);
  for (int i = 0; i < kPrestigeLevelCount; ++i) {
    if (level != kLevelWords[i]) continue;
    if (!PrestigeTextureLists()[i].Append(texture)) {
      ConsolePrintF(kConsoleError, "Error. Too many %s prestige textures, %s left out", level.c_str(), word.c_str());
    }
    break;
  }
  return 0;
}

}  // namespace

bool PrestigeTextureList::Append(int32_t texture) {
  if (Count >= kPrestigeTextureCapacity) return false;
  Textures[Count++] = texture;
  return true;
}

std::array<PrestigeTextureList, kPrestigeLevelCount>& PrestigeTextureLists() {
  static std::array<PrestigeTextureList, kPrestigeLevelCount> lists;
  return lists;
}

void ResetPrestigeTextureLists() {
  for (PrestigeTextureList& list : PrestigeTextureLists()) list = PrestigeTextureList{};
}

int32_t ParsePrestigeTextureWord(const char* word) {
  std::string_view text(word);
  for (const Material& m : kMaterials) {
    if (!text.starts_with(m.name)) continue;
    std::string_view digits = text.substr(std::strlen(m.name));
    if (digits.empty() || digits.size() > 3) return -1;
    int32_t variant = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return -1;
      variant = variant * 10 + (c - '0');
    }
    if (variant < 1 || variant > kMaxTextureVariant) return -1;
    return m.base + (variant - 1) * kVariantStride;
  }
  return -1;
}

int32_t PrestigeDesignCode(int level, int32_t design) {
  if (level < 0 || level >= kPrestigeLevelCount) level = kPrestigeLow;
  if (design < 0) design = 0;
  const PrestigeTextureList& list = PrestigeTextureLists()[level];
  // The design half wraps like the 32-bit word it is stored in.
  if (list.Count == 0) return static_cast<int32_t>(static_cast<uint32_t>(design) << 16);
  uint32_t designs = static_cast<uint32_t>(design / list.Count);
  return static_cast<int32_t>((designs << 16) + static_cast<uint32_t>(list.Textures[design % list.Count]));
}

void RegisterPrestigeTextureCommand() { SetConsoleCommandHandler("TEXTUREPRESTIGERANKING", TexturePrestigeRanking); }
