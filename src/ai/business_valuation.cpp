#include "ai/business_valuation.h"

#include <algorithm>
#include <cmath>

#include "ai/ai_player_state.h"
#include "ai/district_queries.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/commodities.h"
#include "engine/core/play_warning.h"
#include "session/player.h"
#include "session/session_state.h"
#include "session/utility_income.h"

namespace {

AiGameFacts g_facts;

constexpr int32_t kRailroadDistrict = 10;
constexpr int32_t kUtilityDistrict = 11;

// A type's four utility needs in the order of kUtilityBlocks (telecoms, gas,
// water, electricity), with each one's account slot.
struct UtilityNeed {
  float BusinessType::*Rate;
  int Slot;
};
constexpr UtilityNeed kNeeds[4] = {{&BusinessType::TelecomNeed, kUtilityTelephone},
                                   {&BusinessType::GasNeed, kUtilityGas},
                                   {&BusinessType::WaterNeed, kUtilityWater},
                                   {&BusinessType::ElectricalNeed, kUtilityElectricity}};

bool ValidPlayer(int32_t player, const char* what) {
  if (PlayerTable().Get(player) != nullptr) return true;
  PlayWarningF("%s: no player %d", what, player);
  return false;
}

// The bill of one business to whoever does not own the utility's block;
// `payer` -1 bills every business whatever its owner.
float UtilityBill(const CBusiness& business, int32_t payerNumber) {
  const BusinessType* t = business.GetTypeRow();
  if (t == nullptr) return 0.0f;
  float units = static_cast<float>(business.GetFootprintUnits());
  float bill = 0.0f;
  for (int u = 0; u < 4; ++u) {
    if (!GetUtilityIncome().enabled[kNeeds[u].Slot]) continue;
    if (payerNumber >= 0 && g_Blocks[kUtilityBlocks[u]].Owner == payerNumber) continue;
    bill += units * (t->*kNeeds[u].Rate);
  }
  return bill;
}

// The city-wide daily bill of one utility (0..3 in kUtilityBlocks order).
float CityWideUtilityBill(int u) {
  if (!GetUtilityIncome().enabled[kNeeds[u].Slot]) return 0.0f;
  float sum = 0.0f;
  for (const CBusiness& b : g_Businesses) {
    const BusinessType* t = b.InUse ? b.GetTypeRow() : nullptr;
    if (t != nullptr) sum += static_cast<float>(b.GetFootprintUnits()) * (t->*kNeeds[u].Rate);
  }
  return sum;
}

int UtilityIndexOfBlock(int32_t block) {
  for (int u = 0; u < 4; ++u)
    if (kUtilityBlocks[u] == block) return u;
  return -1;
}

int RailroadSlotOfBlock(int32_t block) {
  for (int s = 0; s < 4; ++s)
    if (RailroadBlock(s) == block) return s;
  return -1;
}

// A railroad's takings figure or a utility's city-wide bill.
float RailUtilityFigure(int32_t block) {
  int s = RailroadSlotOfBlock(block);
  if (s >= 0) return GetUtilityIncome().railroadValues[s];
  int u = UtilityIndexOfBlock(block);
  return u >= 0 ? CityWideUtilityBill(u) : 0.0f;
}

template <class F>
void ForEachBusinessOfPlayer(int32_t player, F f) {
  for (const CBusiness& b : g_Businesses)
    if (b.InUse && b.Owner == player + 1) f(b);
}

}  // namespace

AiGameFacts& GetAiGameFacts() { return g_facts; }

bool IsDayBusiness(int32_t type) {
  const BusinessType* t = GetBusinessType(type);
  if (t == nullptr) {
    PlayWarningF("IsDayBusiness: invalid business type %d", type);
    return false;
  }
  return t->OpeningTime < 18;
}

int32_t CountPeriodBusinessesOnBlock(int32_t night, int32_t block) {
  if (!ValidBlock(block, "CountPeriodBusinessesOnBlock")) return 0;
  int32_t n = 0;
  for (const CBuilding* b = g_Blocks[block].FirstBuilding; b != nullptr; b = b->Next) {
    const CBusiness* business = BuildingBusiness(*b);
    n += business != nullptr && IsBusinessType(business->Type) && IsDayBusiness(business->Type) == (night == 0);
  }
  return n;
}

int32_t GetNumBusIOwnOfType(int32_t player, int32_t type) {
  if (!IsBusinessType(type)) {
    PlayWarningF("GetNumBusIOwnOfType: invalid business type %d", type);
    return 0;
  }
  int32_t n = 0;
  ForEachBusinessOfPlayer(player, [&](const CBusiness& b) { n += b.Type == type; });
  return n;
}

int32_t GetNumBusinessesOwned(int32_t player) {
  int32_t n = 0;
  ForEachBusinessOfPlayer(player, [&](const CBusiness&) { ++n; });
  return n;
}

int32_t GetMyBusFootprintUnitsUsed(int32_t player, int32_t block, int32_t kind) {
  if (!ValidPlayer(player, "GetMyBusFootprintUnitsUsed") || !ValidBlock(block, "GetMyBusFootprintUnitsUsed"))
    return 0;
  int32_t lots = 0;
  for (const CBuilding* b = g_Blocks[block].FirstBuilding; b != nullptr; b = b->Next) {
    const CBusiness* business = BuildingBusiness(*b);
    if (business == nullptr || !IsBusinessOfPlayer(*business, player) || !IsBusinessType(business->Type)) continue;
    if (kind == 2 || IsDayBusiness(business->Type) == (kind == 0)) lots += BuildingLots(*b);
  }
  return lots;
}

int32_t GetBusinessRunningCost(const CBusiness& business) {
  int32_t restock = 0;
  if (business.IsShop()) {
    for (int s = 0; s < business.SlotCount(); ++s) {
      int32_t target = business.StockTarget[s];
      int32_t stock = business.Slots[s].Stock;
      if (stock < target)
        restock = static_cast<int32_t>(static_cast<float>(restock) +
                                       static_cast<float>(target - stock) * business.GetSlotCost(s));
    }
  }
  int32_t utilities = static_cast<int32_t>(UtilityBill(business, business.Owner));
  return business.GroundRent + utilities + restock;
}

int32_t GetScoreForBusinessState(const CBusiness& business) {
  const BusinessType* t = business.GetTypeRow();
  int32_t b = 0, c = 0;
  if (t != nullptr && t->Kind == kBusinessShop) {
    float cost = 0.0f;
    for (int s = 0; s < business.SlotCount(); ++s) cost += business.GetSlotCost(s);
    b = static_cast<int32_t>(cost);
    c = GetBusinessRunningCost(business);
  } else if (t != nullptr && t->Kind == kBusinessResidence) {
    b = business.Occupants * static_cast<int32_t>(business.RentPerPlace);
    c = GetBusinessRunningCost(business);
  } else {
    PlayWarningF("Unrecognised business category in GetScoreForBusinessState");
  }
  int32_t d = static_cast<int32_t>(static_cast<float>(c) * 0.5f);
  if (b >= c + d) return 100;
  if (b < d || c <= 0) return 0;
  return b * 100 / c;
}

int32_t GetUtilityCosts(int32_t player, const CBusiness& business) {
  return static_cast<int32_t>(UtilityBill(business, player + 1));
}

bool CouldOpenBusinessOnBlock(int32_t type, int32_t block) {
  const BusinessType* t = GetBusinessType(type);
  if (t == nullptr || !t->Available || block < 0 || block >= kBlockCount) return false;
  return kLotCount - GetBlockUsedArea(block) >= std::max(1, t->MinArea);
}

int32_t GetBusinessOpportunities(int32_t player, int32_t block, int32_t kind) {
  if (!ValidPlayer(player, "GetBusinessOpportunities") || !ValidBlock(block, "GetBusinessOpportunities")) return 0;
  const CBlock& blk = g_Blocks[block];
  bool mine = blk.Owner == player + 1;
  if (blk.Owner != 0 && !mine) return 0;
  if (!(blk.BuildingRights == kRightsGranted || (mine && blk.BuildingRights == kRightsPreparing))) return 0;
  int32_t score = 0, counted = 0;
  for (int32_t type = 0; type < kTypeLandscape; ++type) {
    if (!CouldOpenBusinessOnBlock(type, block)) continue;
    ++counted;
    int32_t k = 0;
    const CBusiness* only = nullptr;
    for (const CBuilding* b = blk.FirstBuilding; b != nullptr; b = b->Next) {
      const CBusiness* business = BuildingBusiness(*b);
      if (business != nullptr && business->Type == type) {
        ++k;
        only = business;
      }
    }
    int32_t slots = g_BusinessTypes[type].CommodityCount;
    if (k == 0) {
      score += (slots - GetNumBusIOwnOfType(player, type) + 10) * 10;
    } else if (k == 1 && !IsBusinessOfPlayer(*only, player)) {
      int32_t f = slots - GetNumBusIOwnOfType(player, type) + 10;
      score += only->Owner > 0 ? 3 * f : 5 * f;
    }
  }
  if (counted == 0) return score;
  int32_t a = GetNumBlocksOwnedInDistrictForPlayer(block, player);
  if (mine)
    score += a < 2 ? 250 : a * 50 + 200;
  else if (a > 0)
    score += a * 50;
  int32_t same = 0, other = 0;
  for (const CBuilding* b = blk.FirstBuilding; b != nullptr; b = b->Next) {
    const CBusiness* business = BuildingBusiness(*b);
    if (business == nullptr) continue;
    bool day = IsBusinessType(business->Type) && IsDayBusiness(business->Type);
    bool isSame = (kind == 0 && day) || (kind == 1 && !day);
    (isSame ? same : other) += 1;
  }
  score += other * 25 + same * 150;
  return score + GetNumResidentsInBlock(block);
}

int32_t GetAssetSaleScore(AiPlayerState& state, int32_t id, int32_t kind) {
  float cash = state.Money();
  int32_t v = 0, f = 0;
  const CBusiness* business = nullptr;
  if (kind == kAssetBlock) {
    if (id < 0 || id >= kBlockCount) return 0;
    v = static_cast<int32_t>(g_Blocks[id].GetLeasePrice() * 0.5f);
    f = GetIncomeForBlock(id, state.Player) + GetSavingForBlock(id, state.Player);
  } else {
    business = GetBusinessInUse(id);
    if (business == nullptr) return 0;
    v = static_cast<int32_t>(business->GetSellValue());
    f = static_cast<int32_t>(business->GetLastDayProfit());
  }
  int32_t t = 100 - static_cast<int32_t>(cash);
  int32_t h = v < t ? 200 - std::min(t - v, 200) : 700 - std::min(v - t, 500);
  int32_t profit = f;
  f = std::clamp(f, -800, 800);
  if (kind == kAssetResidence) {
    if (IsMayorOrWeakestLinkObjective()) v = -GetNumResidentsInBlock(state.ChosenBlock);
    return std::min(v, 200) + h - f;
  }
  if (kind == kAssetBlock) {
    if (GetAiGameFacts().AuctionAnnounced) return 0;
    if (state.Warned24h && state.WarningHours >= 1 && state.WarningHours <= 7) return 0;
    int32_t hours = g_Blocks[id].LeaseHours;
    int32_t earned = GetIncomeForBlock(id, state.Player) + GetSavingForBlock(id, state.Player);
    int32_t e = 0;
    if (IsMayorOrWeakestLinkObjective())
      e = hours > 9 ? -2 * hours : earned;
    else if (hours < 10)
      e = earned;
    return e + h - f;
  }
  int32_t n = GetNumBusinessesOwned(state.Player);
  int32_t d = n > 5 ? 0 : n * 10 - 60;
  int32_t sameType = GetNumBusIOwnOfType(state.Player, business->Type);
  if (sameType <= 1) return d - profit / 5 + h - f;
  d += sameType * 10 - profit / 10;
  return d + h - f;
}

namespace {

// Stable, so equal scores keep the order they were added in on every machine.
void SortAssets(std::vector<SellOffCandidate>& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const SellOffCandidate& a, const SellOffCandidate& b) { return a.Score > b.Score; });
}

}  // namespace

void AddAsset(std::vector<SellOffCandidate>& list, const SellOffCandidate& entry) {
  SortAssets(list);
  list.push_back(entry);
}

bool RemoveAsset(std::vector<SellOffCandidate>& list, int32_t kind, int32_t id) {
  const auto at = std::find_if(list.begin(), list.end(),
                               [&](const SellOffCandidate& c) { return c.Kind == kind && c.Id == id; });
  if (at == list.end()) return false;
  list.erase(at);
  SortAssets(list);
  return true;
}

void ChooseSellOffAssets(AiPlayerState& state, std::vector<SellOffCandidate>& list) {
  list.clear();
  int32_t chosen = state.ChosenBlock;
  for (int32_t b = 0; b < kBlockCount; ++b) {
    state.ChosenBlock = b;
    if (state.OwnsBlock(b)) {
      int32_t s = GetAssetSaleScore(state, b, kAssetBlock);
      if (s > 0) AddAsset(list, {s, kAssetBlock, b});
    }
    for (int32_t id : ListOwnBusinessesOnBlock(state.Player, b)) {
      const CBusiness* business = GetBusinessInUse(id);
      int32_t kind = business->IsResidence() ? kAssetResidence : kAssetRetail;
      int32_t s = GetAssetSaleScore(state, id, kind);
      if (s > 0) AddAsset(list, {s, kind, id});
    }
  }
  state.ChosenBlock = chosen;
  SortAssets(list);
  if (list.empty()) return;
  int32_t floor = static_cast<int32_t>(static_cast<float>(list.front().Score) * 0.8f);
  for (SellOffCandidate& c : list)
    if (c.Score < floor) c = SellOffCandidate{};
  SortAssets(list);
}

int32_t GetEstimatedAssets(const AiPlayerState& state) {
  float sum = 0.0f;
  ForEachBusinessOfPlayer(state.Player, [&](const CBusiness& b) { sum += b.GetSellValue(); });
  for (const DistrictHolding& d : state.Districts)
    for (int8_t id : d.Blocks)
      if (id >= 0 && IsHeldBlock(d, id)) sum += g_Blocks[id].GetLeasePrice() * 0.5f;
  return static_cast<int32_t>(sum);
}

int32_t GetCashRank(int32_t player) {
  float cash = PlayerCash(player);
  int32_t rank = 1;
  for (int32_t p = 0; p < kMaxPlayers; ++p)
    if (p != player && PlayerInUse(p) != nullptr && PlayerCash(p) > cash) ++rank;
  return rank;
}

float GetAccountsTotal(int32_t set, int32_t player) {
  const CPlayer* p = PlayerTable().Get(player);
  if (p == nullptr) return 0.0f;
  const float* ledger = p->ledgers[set == 1 ? (p->currentLedger & 1) : ((p->currentLedger + 1) & 1)];
  float sum = 0.0f;
  for (int line = 0; line <= 36; ++line)
    if (line != 21) sum += ledger[line];
  return std::max(0.0f, sum);
}

int32_t GetAccountsMeasure(int32_t player) {
  float current = GetAccountsTotal(1, player);
  float other = GetAccountsTotal(0, player);
  return static_cast<int32_t>(std::max(current, other - current));
}

int32_t GetLedgerTotalDifference(int32_t player) {
  return static_cast<int32_t>(std::max(0.0f, GetAccountsTotal(0, player) - GetAccountsTotal(1, player)));
}

bool IsSmallAndShortOfCash(float amount, int32_t player) {
  return GetNumBusinessesOwned(player) <= 5 && PlayerCash(player) - 1000.0f < amount;
}

bool IsMayorOrWeakestLinkObjective() { return g_facts.Objective == 1 || g_facts.Objective == 2; }

int32_t BandOfThree(int32_t n) { return n <= 2 ? 0 : (n <= 4 ? 1 : 2); }
int32_t CapAtFive(int32_t n) { return std::min(n, 5); }

int32_t GetRailUtilityIncomeEstimate(int32_t player, int32_t block) {
  if (!ValidBlock(block, "GetRailUtilityIncomeEstimate")) return 0;
  bool railroad = BlockDistrict(block) == kRailroadDistrict;
  int32_t district = railroad ? kRailroadDistrict : kUtilityDistrict;
  const CPlayer* p = PlayerTable().Get(player);
  float sum = 0.0f;
  bool listed = false;
  for (int32_t b = 0; b < kBlockCount; ++b) {
    if (BlockDistrict(b) != district) continue;
    listed |= b == block;
    if (p != nullptr && p->ownedBlocks[b]) sum += RailUtilityFigure(b) * 0.25f;
  }
  if (listed) sum += railroad ? RailUtilityFigure(block) * 0.25f : RailUtilityFigure(block);
  return static_cast<int32_t>(sum);
}

int32_t GetRailUtilityIncome(int32_t player) {
  const CPlayer* p = PlayerTable().Get(player);
  if (p == nullptr) return 0;
  float sum = 0.0f;
  for (int32_t b = 0; b < kBlockCount; ++b) {
    int32_t d = BlockDistrict(b);
    if ((d == kRailroadDistrict || d == kUtilityDistrict) && p->ownedBlocks[b]) sum += RailUtilityFigure(b);
  }
  return static_cast<int32_t>(sum);
}

int32_t GetBusinessTypeForCommodity(int32_t commodity) {
  for (int32_t type = 0; type < kBusinessTypeCount; ++type) {
    const BusinessType& t = g_BusinessTypes[type];
    if (!t.Available || (t.Kind != kBusinessShop && t.Kind != kBusinessResidence)) continue;
    if (t.CommodityCount > 0 && g_TypeCommodities[type][0].Commodity == commodity) return type;
  }
  return -1;
}

int32_t GetBusinessTypeSelling(int32_t commodity) {
  int32_t best = -1, bestSlots = -1;
  for (int32_t type = 0; type < kBusinessTypeCount; ++type) {
    const BusinessType& t = g_BusinessTypes[type];
    if (!t.Available || t.Kind == kBusinessLandscape) continue;
    bool sells = false;
    for (int s = 0; s < std::min<int>(t.CommodityCount, kMaxTypeCommodities); ++s)
      sells |= g_TypeCommodities[type][s].Commodity == commodity;
    if (sells && t.CommodityCount > bestSlots) {
      best = type;
      bestSlots = t.CommodityCount;
    }
  }
  return best;
}
