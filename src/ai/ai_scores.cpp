#include "ai/ai_scores.h"

#include "ai/district_queries.h"
#include "city/blocks.h"
#include "engine/core/play_warning.h"
#include "session/player.h"
#include "session/session_state.h"

namespace {


// True when some player in use (other than `except`) holds exactly one other
// on-map block of the block's district.
bool AnotherHoldsOneOther(int32_t block, int32_t except) {
  for (int32_t p = 0; p < kMaxPlayers; ++p) {
    if (p == except || PlayerInUse(p) == nullptr) continue;
    int32_t n = 0;
    for (int32_t id : g_Districts[BlockDistrict(block)].Blocks)
      n += id >= 0 && id < kBlockCount && id != block && g_Blocks[id].InUse && g_Blocks[id].Owner == p + 1;
    if (n == 1) return true;
  }
  return false;
}

bool SomeoneHoldsAllOthers(int32_t block) {
  for (int32_t p = 0; p < kMaxPlayers; ++p)
    if (PlayerInUse(p) != nullptr && OwnsAllOtherDistrictBlocks(block, p)) return true;
  return false;
}

}  // namespace

int32_t GetDistrictRentopiaScore(int32_t player, int32_t block) {
  if (block < 0 || block >= kBlockCount) {
    PlayWarningF("GetDistrictRentopiaScore: invalid block index");
    return 0;
  }
  const AiScores& s = GetAiScores();
  int32_t district = BlockDistrict(block);
  int32_t left[4];
  int32_t n = GetBlocksLeftToGetInDistrict(player, district, left);
  // allCity: at least one other block still to get, and all of them the city's.
  int32_t others = 0;
  bool allCity = true;
  for (int32_t i = 0; i < n; ++i) {
    if (left[i] == block) continue;
    ++others;
    allCity &= g_Blocks[left[i]].Owner == 0;
  }
  allCity &= others > 0;
  bool oppSet = SomeoneHoldsAllOthers(block);
  auto opponent = [&](uint8_t value) -> int32_t { return oppSet ? value : 0; };

  if (district == 10 || district == 11) {
    if (n == 1) return s.RRUtil_Rentopia;
    if (n == 2 && allCity) return s.RRUtil_1left_city_owned;
    if (n == 3 && allCity) return s.RRUtil_2left_city_owned;
    if (n == 4 && allCity) return s.RRUtil_3left_city_owned + s.RRUtil_3left_Bonus;
    return opponent(s.RRUtil_opponent_rentopia);
  }
  switch (GetDistrictBlockCount(district)) {
    case 2:
      if (n == 1) return s.blk2_Rentopia;
      if (n == 2 && allCity) return s.blk2_1left_city_owned;
      return opponent(s.blk2_opponent_rentopia);
    case 3:
      if (n == 1) return s.blk3_Rentopia;
      if (n == 2) return allCity ? s.blk3_1left_city_owned : s.blk3_1left_player_owned;
      if (n == 3 && allCity) return s.blk3_2left_city_owned;
      if (oppSet) return s.blk3_opponent_rentopia;
      return AnotherHoldsOneOther(block, player) ? s.blk3_opponent_2blocks : 0;
    default:
      return 0;
  }
}
