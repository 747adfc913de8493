#include "session/utility_income.h"

#include "city/blocks.h"
#include "session/player.h"
#include "session/session_state.h"

namespace {

constexpr uint8_t kRailroadDistrictKind = 10;

// Pays each owned slot: owner's count of the four blocks x value x 0.25 x the
// multiplier, booked under firstCategory + slot; then every value is cleared.
template <typename BlockOf>
void PayFourBlocks(float (&values)[4], int32_t firstCategory, BlockOf blockOf) {
  int32_t owned[kMaxPlayers + 1] = {};
  for (int s = 0; s < 4; ++s) {
    const CBlock* b = GetBlock(blockOf(s));
    if (b && b->Owner >= 1 && b->Owner <= kMaxPlayers) ++owned[b->Owner];
  }
  const float multiplier = GetUtilityIncome().incomeMultiplier;
  for (int s = 3; s >= 0; --s) {
    const CBlock* b = GetBlock(blockOf(s));
    if (b && b->Owner >= 1 && b->Owner <= kMaxPlayers) {
      if (CPlayer* p = PlayerTable().ByNumber(b->Owner))
        p->AddMoney(static_cast<float>(owned[b->Owner]) * values[s] * 0.25f * multiplier, firstCategory + s);
    }
    values[s] = 0.0f;
  }
}

int32_t CountOwned(int32_t player, int32_t (*blockOf)(int32_t)) {
  int32_t n = 0;
  for (int s = 0; s < 4; ++s) {
    const CBlock* b = GetBlock(blockOf(s));
    if (b && b->Owner != 0 && b->Owner == player + 1) ++n;
  }
  return n;
}

int32_t UtilityBlock(int32_t slot) { return kUtilitySlotBlocks[slot]; }

}  // namespace

UtilityIncome& GetUtilityIncome() {
  static UtilityIncome income;
  return income;
}

int32_t RailroadBlock(int32_t slot) {
  int32_t seen = 0;
  for (int32_t b = 0; b < kBlockCount; ++b) {
    if (g_BlockDefs[b].District != kRailroadDistrictKind) continue;
    if (seen++ == slot) return b;
  }
  return -1;
}

void SelectUtilityIncomeValues(int32_t difficulty) {
  if (difficulty < 0 || difficulty > 2) return;
  UtilityIncome& u = GetUtilityIncome();
  u.incomeMultiplier = Tweaks().railUtilIncome[difficulty];
  u.dailyFreight = Tweaks().dailyFreight[difficulty];
}

void ResetUtilityIncome() {
  UtilityIncome& u = GetUtilityIncome();
  for (int s = 0; s < 4; ++s) {
    u.takings[s] = 0.0f;
    u.enabled[s] = 1;
    u.railroadValues[s] = u.dailyFreight;
  }
}

void AddUtilityIncome(int32_t slot, float amount) {
  UtilityIncome& u = GetUtilityIncome();
  if (slot < 0 || slot >= 4 || !u.enabled[slot]) return;
  u.takings[slot] += amount;
}

void PayUtilityIncome() { PayFourBlocks(GetUtilityIncome().takings, kLedgerUtilityFirst, UtilityBlock); }

void PayRailroadIncome() {
  UtilityIncome& u = GetUtilityIncome();
  PayFourBlocks(u.railroadValues, kLedgerRailroadFirst, RailroadBlock);
  for (float& v : u.railroadValues) v = u.dailyFreight;
}

void AddRailroadPassengers(int32_t account, int32_t amount) {
  if (account >= 1 && account <= 4) GetUtilityIncome().railroadValues[account - 1] += static_cast<float>(amount);
}

void PayDailyRailUtilityIncome() {
  PayUtilityIncome();
  PayRailroadIncome();
  for (uint8_t& e : GetUtilityIncome().enabled) e = 1;
}

int32_t CountOwnedUtilityBlocks(int32_t player) { return CountOwned(player, UtilityBlock); }
int32_t CountOwnedRailroadBlocks(int32_t player) { return CountOwned(player, RailroadBlock); }
