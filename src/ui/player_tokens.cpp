#include "ui/player_tokens.h"

namespace {

// The token image is the player icon the game shows for the character.
const TokenInfo kTokenTable[kTokenCount] = {
    {1744, 1863, 0xFFBD0000u, 147, 272}, {1745, 1871, 0xFF0D00F1u, 144, 264},
    {1746, 1866, 0xFFFD96B1u, 150, 267}, {1747, 1864, 0xFF00A203u, 153, 263},
    {1748, 1870, 0xFFF17100u, 156, 271}, {1749, 1872, 0xFF0094E8u, 159, 266},
    {1750, 1867, 0xFFFFF201u, 162, 269}, {1751, 1865, 0xFF9DFFE5u, 165, 270},
    {1752, 1868, 0xFF733826u, 168, 268}, {1753, 1869, 0xFFBE27B9u, 171, 265},
};

}  // namespace

const TokenInfo& TokenInfoRow(int32_t token) {
  return kTokenTable[token >= 0 && token < kTokenCount ? token : 0];
}
