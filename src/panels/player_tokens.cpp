#include "panels/player_tokens.h"

#include "session/player.h"

const TokenInfo kTokenTable[kTokenCount] = {
    {1744, 1863, 0xFFBD0000u, 1, 272}, {1745, 1871, 0xFF0D00F1u, 0, 264},
    {1746, 1866, 0xFFFD96B1u, 2, 267}, {1747, 1864, 0xFF00A203u, 3, 263},
    {1748, 1870, 0xFFF17100u, 4, 271}, {1749, 1872, 0xFF0094E8u, 5, 266},
    {1750, 1867, 0xFFFFF201u, 6, 269}, {1751, 1865, 0xFF9DFFE5u, 7, 270},
    {1752, 1868, 0xFF733826u, 8, 268}, {1753, 1869, 0xFFBE27B9u, 9, 265},
};

const TokenInfo& TokenRow(int32_t token) {
  return kTokenTable[token >= 0 && token < kTokenCount ? token : 0];
}

uint32_t PlayerTokenColour(const CPlayer* player) {
  return player ? TokenRow(player->character).colour : 0xFFFFFFFFu;
}

int32_t PlayerIconImage(int32_t character) {
  if (character <= 0 || character >= kTokenCount) return 147;
  if (character == 1) return 144;
  return 150 + 3 * (character - 2);
}
