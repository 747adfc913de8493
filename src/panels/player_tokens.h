#pragma once
// The ten player tokens: the colour that marks a player on the panels, its
// token and portrait images, and the player icon images of the time panel.
#include <cstdint>

class CPlayer;

struct TokenInfo {
  int32_t nameText;
  int32_t descriptionText;
  uint32_t colour;  // ARGB, opaque
  int32_t tokenImage;
  int32_t portraitImage;
};

inline constexpr int32_t kTokenCount = 10;
extern const TokenInfo kTokenTable[kTokenCount];
// The prompt portrait of the game itself (the city).
inline constexpr int32_t kCityPortraitImage = 302;

// The token's row; a token outside 0..9 takes row 0.
const TokenInfo& TokenRow(int32_t token);
// A player's token is its character; no player: white.
uint32_t PlayerTokenColour(const CPlayer* player);
// The first of the three player icon images (normal, hover, pressed) of a
// character: 147 for 0, 144 for 1, 150 + 3 (c - 2) for 2 to 9.
int32_t PlayerIconImage(int32_t character);
