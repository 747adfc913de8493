#pragma once
// The players' tokens on the panels: the colour that marks a player and the
// portrait of the city itself (the token table is the interface's).
#include <cstdint>

#include "ui/player_tokens.h"

class CPlayer;

// The prompt portrait of the game itself (the city).
inline constexpr int32_t kCityPortraitImage = 302;

// A player's token is its character; no player: white.
uint32_t PlayerTokenColour(const CPlayer* player);
