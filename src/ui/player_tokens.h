#pragma once
// The ten player tokens as the interface shows them, in the menus and on the
// panels alike: the character's name and description texts, the colour that
// marks its player, its token image (the player icon) and its portrait.
#include <cstdint>

#include "engine/scene/asset_table.h"  // kTokenCount

struct TokenInfo {
  int32_t nameText;
  int32_t descriptionText;
  uint32_t colour;  // ARGB, opaque
  int32_t tokenImage;  // UI images
  int32_t portraitImage;
};

// The token's row; a token outside 0..9 takes row 0.
const TokenInfo& TokenInfoRow(int32_t token);
// The first of the three player icon images (normal, hover, pressed) of a
// character: its token image.
inline int32_t PlayerIconImage(int32_t character) { return TokenInfoRow(character).tokenImage; }
