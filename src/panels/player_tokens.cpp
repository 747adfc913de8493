#include "panels/player_tokens.h"

#include "session/player.h"

uint32_t PlayerTokenColour(const CPlayer* player) {
  return player ? TokenInfoRow(player->character).colour : 0xFFFFFFFFu;
}
