#include "ai/scoring_terms.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "ai/ai_player_state.h"
#include "ai/business_valuation.h"
#include "ai/district_queries.h"
#include "city/blocks.h"
#include "engine/core/play_warning.h"
#include "session/player.h"
#include "session/session_state.h"

namespace {

struct CharacterRow {
  int32_t Offset;
  float Afford, Business, Profit, Develop;
  int32_t Prestige, Panic;
  float Resident;
  int32_t Reserve, Purchase;
  float Bid;
};

// One row per AI character. Character 8 keeps no cash reserve at all.
constexpr CharacterRow kCharacters[kAiCharacterCount] = {
    {-650, 1.1f, 0.8f, 1.3f, 0.8f, 2, 30, 0.8f, 1650, 96, 4.0f},
    {850, 1.3f, 0.9f, 1.2f, 0.6f, 3, 50, 1.4f, 150, 90, 9.2f},
    {450, 1.2f, 1.5f, 0.9f, 0.4f, 3, 70, 1.2f, 550, 80, 7.8f},
    {-1000, 1.0f, 1.0f, 1.0f, 1.0f, 5, 90, 1.0f, 2000, 82, 4.2f},
    {900, 1.3f, 1.5f, 1.5f, -0.3f, 1, 100, 1.0f, 100, 85, 9.3f},
    {-400, 1.1f, 1.1f, 1.4f, 0.4f, 3, 50, 1.1f, 1400, 95, 5.0f},
    {600, 1.3f, 1.5f, 0.8f, 0.4f, 4, 30, 1.5f, 400, 80, 8.3f},
    {250, 1.2f, 1.4f, 0.9f, 0.5f, 2, 20, 1.4f, 750, 88, 7.2f},
    {1000, 1.3f, 1.3f, 0.8f, 0.6f, 1, 70, 1.1f, 0, 85, 9.7f},
    {-700, 1.1f, 1.2f, 1.5f, 0.3f, 4, 100, 0.9f, 1700, 90, 3.0f},
};

constexpr CharacterRow kNoCharacter{};

const CharacterRow& Row(int32_t ch) { return (ch >= 0 && ch < kAiCharacterCount) ? kCharacters[ch] : kNoCharacter; }

// Score types 0..10 by district kind 2, 3, 4.
constexpr int32_t kRentopiaScores[11][3] = {
    {0, 0, 50}, {80, 80, 100}, {60, 60, 90}, {0, 50, 40}, {10, 10, 50}, {0, 0, 0},
    {15, 15, 8}, {0, 0, 30},   {-40, -40, -20}, {-40, -40, -40}, {-30, -30, -30},
};

int32_t Trunc(float v) { return static_cast<int32_t>(v); }

int32_t Money(const AiPlayerState& s) { return Trunc(s.Money()); }

// What the 24-hour debt warning takes off the money the player may count on.
int32_t PanicDeduction(const AiPlayerState& s) {
  return s.Warned24h ? PanicWeight(s.Character) * (50 - s.WarningHours) : 0;
}

// Money truncated, plus what today still owes against yesterday unless the
// 24-hour warning is on.
int32_t AvailableFunds(int32_t player, bool warned) {
  int32_t funds = Trunc(PlayerCash(player));
  return warned ? funds : funds + GetLedgerTotalDifference(player);
}

}  // namespace

int32_t CharacterOffset(int32_t ch) { return Row(ch).Offset; }
float AffordFactor(int32_t ch) { return Row(ch).Afford; }
float BusinessWeight(int32_t ch) { return Row(ch).Business; }
float ProfitWeight(int32_t ch) { return Row(ch).Profit; }
float DevelopWeight(int32_t ch) { return Row(ch).Develop; }
int32_t PrestigeBand(int32_t ch) { return Row(ch).Prestige; }
int32_t PanicWeight(int32_t ch) { return Row(ch).Panic; }
float ResidentWeight(int32_t ch) { return Row(ch).Resident; }
int32_t CashReserve(int32_t ch) { return Row(ch).Reserve; }
int32_t PurchasePercent(int32_t ch) { return Row(ch).Purchase; }
float BidFactor(int32_t ch) { return Row(ch).Bid; }

int32_t GetRentopiaScoreFor(int32_t type, int32_t kind) {
  if (type < 0 || type > 10) {
    PlayWarningF("GetRentopiaScoreFor: Unrecognised score type id");
    return 0;
  }
  if (type == 10) return -30;  // whatever the district's size
  return (kind >= 2 && kind <= 4) ? kRentopiaScores[type][kind - 2] : 0;
}

int32_t ScoreFourOwned(AiPlayerState& state, int32_t share) {
  state.ScoreNote = share == 3 ? 0 : 1;
  return GetRentopiaScoreFor(share == 3 ? 1 : 3, 4);
}

int32_t ScoreFourOpponent(int32_t share) { return GetRentopiaScoreFor(share == 3 ? 9 : 10, 4); }

// ---- Block value chain ----

int32_t GetBlockValueToPlayer(int32_t block, int32_t player) {
  return IsRailroadOrUtilityBlock(block) ? GetRailUtilityIncomeEstimate(player, block) : GetBlockBusinessValue(block);
}

float GetBlockWorth(int32_t block, const AiPlayerState& s) {
  if (block < 0 || block >= kBlockCount) return 0.0f;
  return g_Blocks[block].GetLeasePrice() + static_cast<float>(CharacterOffset(s.Character)) -
         static_cast<float>(GetBlockValueToPlayer(block, s.Player));
}

float ApplyAffordability(AiPlayerState& s, float x, float worth) {
  float money = s.Money();
  if (money > worth) return x * AffordFactor(s.Character);
  if (s.ScoreNote != 2) return x;
  int32_t p = std::min(Trunc(worth - money), 1000) * 100 / 1000;
  float result = x - static_cast<float>(Trunc(x * static_cast<float>(p) * 0.01f));
  s.ScoreNote = result > 0.0f ? 3 : -1;
  return result;
}

float AddBusinessTerm(int32_t block, const AiPlayerState& s, float x) {
  int32_t n = GetBlockDistrictBlockCount(block);
  if (n < 2 || n > 4) return x;
  constexpr int32_t kWeights[3] = {250, 200, 700};
  float weight = BusinessWeight(s.Character);
  int32_t v = GetBlockValueToPlayer(block, s.Player);
  // A block the player has built over counts for at least its share of the
  // district's worth even before its businesses earn.
  if (GetMyTotalUsedArea(block, s.Player) > 23 && v <= 0)
    v = std::max(v, Trunc(weight * static_cast<float>(kWeights[n - 2])));
  return x + weight * (static_cast<float>(v) * 100.0f * 0.00066666666f * 40.0f * 0.01f);
}

float AddProfitTerm(const AiPlayerState& s, int32_t block, float x) {
  if (block < 0 || block >= kBlockCount) return x;
  float profit = static_cast<float>(std::max(0, GetTotalBlockProfit(block)));
  float lease = g_Blocks[block].GetLeasePrice();
  if (lease <= 0.0f) return x;
  return x + ProfitWeight(s.Character) * (std::min(profit, lease) * 100.0f / lease * 0.1f);
}

float AddDevelopmentTerm(bool auction, const AiPlayerState& s, int32_t block, float x) {
  int32_t n = GetBlockDistrictBlockCount(block);
  float d = (n == 2 || n == 3) ? static_cast<float>(GetBlockUsedArea(block)) * 100.0f * 0.020408163f * 30.0f * 0.01f
                               : 0.0f;
  float e = DevelopWeight(s.Character) * d;
  int32_t mine = CountBusinessesOfPlayerOnBlock(s.Player, block);
  float money = s.Money();
  if (mine <= 0) {
    if (auction) return x + e;
    for (int32_t p = 0; p < kMaxPlayers; ++p) {
      if (p == s.Player || PlayerInUse(p) == nullptr) continue;
      int32_t theirs = CountBusinessesOfPlayerOnBlock(p, block);
      if (theirs > 0 && PlayerCash(p) + 100.0f * static_cast<float>(theirs) > money) return x + e - 40.0f;
    }
    return x + e;
  }
  int32_t own = AvailableFunds(s.Player, s.Warned24h);
  int32_t rank = 1;
  for (int32_t p = 0; p < kMaxPlayers; ++p)
    if (p != s.Player && PlayerInUse(p) != nullptr && AvailableFunds(p, false) > own) ++rank;
  float r = static_cast<float>(Trunc(static_cast<float>(mine) / static_cast<float>(rank + 1) + 0.999f));
  if (auction) return x + e + r;
  int32_t reserve = CashReserve(s.Character);
  int32_t m = s.Warned24h ? reserve - 100 * s.WarningHours + 2800 : 0;
  int32_t richest = 0;
  GetRichestOtherPlayer(s.Player, richest);
  if (static_cast<float>(reserve) + money - static_cast<float>(m) < static_cast<float>(richest)) {
    int32_t v = mine - Trunc((static_cast<float>(m + richest) - money) * 0.005f + 1.0f);
    if (v > 0) v = 0;
    v *= 10;
    if (v < -61) return x + e - 60.0f;
    return x + e + static_cast<float>(v);
  }
  return x + e + r;
}

int32_t GetBidCeiling(int32_t block, const AiPlayerState& s) {
  int32_t ceiling = Money(s) + GetLedgerTotalDifference(s.Player) + GetBlockValueToPlayer(block, s.Player);
  return s.Warned24h ? ceiling - PanicDeduction(s) : ceiling + CashReserve(s.Character);
}

int32_t GetBidValue(int32_t block, const AiPlayerState& s) {
  if (block < 0 || block >= kBlockCount) return 0;
  int32_t lease = Trunc(g_Blocks[block].GetLeasePrice());
  int32_t v = GetBlockValueToPlayer(block, s.Player);
  int32_t extra = 2 * v < lease / 2 ? v * 8 : (lease / 2) * 4;
  return lease + std::max(extra, CashReserve(s.Character) / 2);
}

float AddPrestigeTerm(int32_t block, const AiPlayerState& s, float x) {
  if (block < 0 || block >= kBlockCount) return x;
  int32_t prestige = std::min(Trunc(g_Blocks[block].Prestige), 5);
  return static_cast<float>(Trunc(x + 2.0f - static_cast<float>(std::abs(PrestigeBand(s.Character) - prestige))));
}

int32_t AdjustForCash(int32_t block, const AiPlayerState& s, int32_t b, int32_t c) {
  int32_t a = Trunc(GetBlockWorth(block, s));
  int32_t d = Money(s) - PanicDeduction(s);
  if (a >= d) return c - Trunc(static_cast<float>(b) * static_cast<float>(std::min(a - d, 4000) * 100 / 6000) * 0.01f);
  int32_t q = Trunc(static_cast<float>(std::min(d - a, 2000)) * 100.0f * 0.0001f);
  return c + Trunc(static_cast<float>(b) * static_cast<float>(q) * 0.01f);
}

int32_t DistrictRentStage(int32_t block) {
  int32_t district = BlockDistrict(block);
  int32_t stage = 120;
  if (district < 0) return stage;
  for (int32_t id : g_Districts[district].Blocks)
    if (id >= 0 && id < kBlockCount && g_Blocks[id].Owner != 0) stage = std::min(stage, RentStage(id));
  return stage;
}

float AddLandRentTerm(int32_t block, const AiPlayerState& s, float x, float worth) {
  if (block < 0 || block >= kBlockCount) return x;
  int32_t n = GetBlockDistrictBlockCount(block);
  int32_t stage = DistrictRentStage(block);
  if (n > 3 || stage > 4 || (s.ScoreNote != 0 && s.ScoreNote != 2)) return x;
  uint8_t owner = g_Blocks[block].Owner;
  float ownerMoney = owner != 0 ? PlayerCash(owner - 1) : 0.0f;
  bool poorOwner = ownerMoney < worth;
  float share = 0.0f;
  if (stage == 1) share = 0.6f;
  if (stage == 2) share = 0.4f;
  if (stage == 3 && poorOwner) share = 0.2f;
  if (stage == 4 && poorOwner) share = 0.1f;
  float result = x - static_cast<float>(Trunc(x * share));
  return result > 0.0f ? result : x;
}

float AddResidentTerm(int32_t block, const AiPlayerState& s, float x) {
  float residents = static_cast<float>(Trunc(static_cast<float>(GetNumResidentsInBlock(block)) * 0.2f));
  return static_cast<float>(Trunc(x + ResidentWeight(s.Character) * residents));
}

int32_t GetValueCap(const AiPlayerState& s, int32_t a, int32_t b) {
  if (a < b) return a;
  if (s.Warned24h) return b;
  int32_t offset = CharacterOffset(s.Character);
  float f = static_cast<float>(1000 - offset) * 0.0005f;
  switch (s.ScoreNote) {
    case 0: break;
    case 1: f *= 0.5f; break;
    case 2: f *= 0.3f; break;
    default: return b;
  }
  float cap = std::min(static_cast<float>(b) * 3.3f,
                       static_cast<float>(b) + f * static_cast<float>(std::min(5000 - offset, a - b)));
  return Trunc(cap);
}

// ---- Strategy weighing terms ----

void WeighNearlyCompleteDistricts(const AiPlayerState& s, int32_t& oneOff) {
  for (int32_t d = 0; d < kDistrictCount; ++d) {
    int32_t size = GetDistrictBlockCount(d);
    if (size > 0 && size - GetNumPlayerOwnedBlocksDistrict(s.Player, d) == 1) oneOff += 100;
  }
}

void WeighRailUtilityRows(const AiPlayerState& s, int32_t& oneOff) {
  for (int32_t d : {10, 11}) {
    int32_t size = GetDistrictBlockCount(d);
    int32_t mine = GetNumPlayerOwnedBlocksDistrict(s.Player, d);
    if ((size == 3 && mine == 1) || (size == 4 && mine == 2)) oneOff += 60;
  }
}

// 50 per started hundred of `over`, at most 300; nothing when `over` is not positive.
static int32_t CashSteps(float over) {
  if (over <= 0.0f) return 0;
  return std::min(50 * static_cast<int32_t>(std::ceil(over / 100.0f)), 300);
}

void WeighCash(const AiPlayerState& s, int32_t& oneOff, int32_t& expand) {
  if (RunningTick() < kTicksPerDay) return;  // no ledger of a previous day yet
  float a = GetAccountsTotal(0, s.Player);
  expand += CashSteps(500.0f - a);
  oneOff += CashSteps(a - 1000.0f);
}

void WeighFreeLots(const AiPlayerState& s, int32_t& expand) {
  for (int32_t b = 0; b < kBlockCount; ++b)
    if (s.OwnsBlock(b) && !IsRailroadOrUtilityBlock(b)) expand += kLotCount - GetBlockUsedArea(b);
}

void WeighOwnedSets(const AiPlayerState& s, int32_t& expand) {
  const CPlayer* p = s.GetPlayer();
  if (p == nullptr) return;
  for (int32_t d = 0; d < kDistrictCount; ++d) {
    if (!p->OwnsDistrictSet(d)) continue;
    int32_t hotels = CountHotelsInDistrict(d);
    if (hotels == 0) expand += 200;
    if (hotels == 1) expand += 100;
  }
}

void WeighIdleMoney(const AiPlayerState& s, int32_t& oneOff) {
  int32_t money = Money(s);
  if (money <= 2000) return;
  for (const DistrictHolding& d : s.Districts)
    if (d.HeldCount > 0) return;
  oneOff += (money - 2000) / 1000 + 50;
}

void WeighBusierRivals(const AiPlayerState& s, int32_t& expand) {
  int32_t mine = GetNumBusinessesOwned(s.Player);
  for (int32_t p = 0; p < kMaxPlayers; ++p)
    if (p != s.Player && PlayerInUse(p) != nullptr && GetNumBusinessesOwned(p) > mine) expand += 40;
}
