#pragma once
// The district score built from the set-completion weights the AI script
// tunes (AiScores, session/ai_characters.h).
#include <cstdint>

#include "session/ai_characters.h"

// What completing (or blocking) the block's district is worth to the player.
int32_t GetDistrictRentopiaScore(int32_t player, int32_t block);
