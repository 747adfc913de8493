#pragma once
// The wall textures that suit each prestige level (low, medium, high). The
// parameter files fill the lists with TEXTUREPRESTIGERANKING lines (emptied by
// "RESET" at the top of each decade file); whoever gives a new building its
// look reads them: the construction panel, the computer players and the
// architect. A texture index is its material's base plus (variant - 1) x 16.
#include <array>
#include <cstdint>
#include <span>

enum PrestigeLevel : int { kPrestigeLow = 0, kPrestigeMedium = 1, kPrestigeHigh = 2, kPrestigeLevelCount = 3 };

inline constexpr int kPrestigeTextureCapacity = 64;
// Variants above this would push a texture index toward the design half of a
// design code; no texture set has so many.
inline constexpr int32_t kMaxTextureVariant = 999;

struct PrestigeTextureList {
  int32_t Textures[kPrestigeTextureCapacity] = {};
  int32_t Count = 0;

  std::span<const int32_t> View() const { return {Textures, static_cast<size_t>(Count)}; }
  bool Append(int32_t texture);  // false when full
};

// The three lists, indexed by PrestigeLevel.
std::array<PrestigeTextureList, kPrestigeLevelCount>& PrestigeTextureLists();

// Empties all three lists (start-up and the "RESET" line).
void ResetPrestigeTextureLists();

// Texture index of a material word ("STONE", "BRICK", "CONCRETE", "TIMBER",
// "GLASS", upper case) followed straight by its variant number 1..999, e.g.
// "BRICK2" -> 96; -1 for any other word.
int32_t ParsePrestigeTextureWord(const char* word);

// The design code of design number `design` of a level's list: the texture in
// the low 16 bits, the choice among fitting building designs above them
// (list[design mod n] + (design div n) x 65536). An empty list gives
// texture 0.
int32_t PrestigeDesignCode(int level, int32_t design);

// Attaches the TEXTUREPRESTIGERANKING handler to the console's command list.
void RegisterPrestigeTextureCommand();
