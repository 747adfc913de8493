#include "session/player_data.h"

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/commodities.h"
#include "engine/core/error.h"
#include "session/chance_cards.h"
#include "session/game_clock.h"
#include "session/player.h"

namespace {


bool ValidPlayer(int32_t player, const char* text) {
  if (player >= 0 && player < kMaxPlayers) return true;
  ReportError(0, 0, text);
  return false;
}

bool IsDistrictZeroBlock(int32_t block) { return g_BlockDefs[block].District == 0; }

float SumLedger(const float* ledger) {
  float sum = 0.0f;
  for (int c = 0; c < kLedgerCategories; ++c) sum += ledger[c];
  return sum;
}

// Money that changes hands for what a player owns, or falls to it by a
// card: a shop sold in debt is no day's profit, nor a block bought a loss.
// A new building's first utilities, rent and stock stay in: they are
// running costs, booked with the others.
bool IsOutsideTrading(int category) {
  switch (category) {
    case kLedgerBlock:
    case kLedgerDemolitionRefund:
    case kLedgerTakeOver:
    case kLedgerBuyoutPaid:
    case kLedgerConstruction:
    case kLedgerBusinessBought:
    case kLedgerBuyoutGained:
    case kLedgerBlockSold:
    case kLedgerBusinessSold:
    case kLedgerCardPayment:
    case kLedgerCardIncome:
      return true;
    default:
      return false;
  }
}

float SumTrading(const float* ledger) {
  float sum = 0.0f;
  for (int c = 0; c < kLedgerCategories; ++c)
    if (!IsOutsideTrading(c)) sum += ledger[c];
  return sum;
}

// The ledger of the last whole day: today's until the morning's turn-over.
int LastDayLedger(const CPlayer& p) {
  const int ledger = GameClock().hour > 5 ? p.currentLedger : (p.currentLedger ^ 1);
  return ledger & 1;
}

}  // namespace

CData& PlayerData() {
  static CData data;
  return data;
}

void CData::Reset() {
  businessStale = spareStale = blockStale = 100;
  averagesDirty = 1;
  for (Row& r : rows) r = Row{};
  for (float& a : averages) a = 0.0f;
  CountPeopleInBlocks();
  RecountBlocks();
  RecountBusinesses();
}

float CData::GetPaperWealthForPlayer(int32_t player) {
  if (!ValidPlayer(player, "CData::GetPaperWealthForPlayer: Invalid player index")) return 0.0f;
  const CPlayer* p = PlayerTable().Get(player);
  if (p == nullptr) return 0.0f;
  float sum = 0.0f;
  for (int b = 0; b < kBlockCount; ++b) {
    if (IsDistrictZeroBlock(b)) continue;
    const CBlock& block = g_Blocks[b];
    if (p->ownedBlocks[b]) sum += block.GetLeasePrice();
    for (const CBuilding* bld = block.FirstBuilding; bld; bld = bld->Next) {
      const CBusiness* business = GetBusinessInUse(bld->GetBusiness());
      if (business != nullptr && business->Owner == player + 1) sum += business->GetRating();
    }
  }
  return p->money + sum;
}

float CData::GetProfitsForPlayer(int32_t player) {
  if (!ValidPlayer(player, "CData::GetProfitsForPlayer: Invalid player index")) return 0.0f;
  const CPlayer* p = PlayerTable().Get(player);
  return p ? SumLedger(p->Today()) : 0.0f;
}

float CData::GetTradingProfitsForPlayer(int32_t player) {
  if (!ValidPlayer(player, "CData::GetTradingProfitsForPlayer: Invalid player index")) return 0.0f;
  const CPlayer* p = PlayerTable().Get(player);
  return p ? SumTrading(p->Today()) : 0.0f;
}

float CData::GetLastDayTradingProfitsForPlayer(int32_t player) {
  if (!ValidPlayer(player, "CData::GetLastDayTradingProfitsForPlayer: Invalid player index")) return 0.0f;
  const CPlayer* p = PlayerTable().Get(player);
  return p ? SumTrading(p->ledgers[LastDayLedger(*p)]) : 0.0f;
}

float CData::GetLastDayProfitsForPlayer(int32_t player) {
  if (!ValidPlayer(player, "CData::GetProfitsForPlayer: Invalid player index")) return 0.0f;
  const CPlayer* p = PlayerTable().Get(player);
  if (p == nullptr) return 0.0f;
  return SumLedger(p->ledgers[LastDayLedger(*p)]);
}

void CData::RecountBlocks() {
  blockStale = 0;
  for (Row& r : rows) r.blocks = r.sets = 0;
  CPlayerTable& table = PlayerTable();
  for (int b = 0; b < kBlockCount; ++b) {
    if (IsDistrictZeroBlock(b)) continue;
    g_BlockStats[b].Refresh();
    for (int i = 0; i < kMaxPlayers; ++i) {
      const CPlayer* p = table.Get(i);
      if (p && p->ownedBlocks[b]) {
        ++rows[i].blocks;
        break;
      }
    }
  }
  for (int i = 0; i < kMaxPlayers; ++i) {
    const CPlayer* p = table.Get(i);
    if (p == nullptr) continue;
    for (const CDistrict& d : g_Districts) {
      bool any = false, all = true;
      for (int k = 0; k < 4; ++k) {
        int32_t b = d.Blocks[k];
        if (b < 0 || b >= kBlockCount) continue;
        any = true;
        all = all && p->ownedBlocks[b];
      }
      if (any && all) ++rows[i].sets;
    }
  }
}

int32_t CData::GetNumBlocksForPlayer(int32_t player) {
  if (!ValidPlayer(player, "CData::GetNumBlocksForPlayer: Invalid player index")) return 0;
  if (blockStale > 10) RecountBlocks();
  return rows[player].blocks;
}

int32_t CData::GetNumSetsForPlayer(int32_t player) {
  if (!ValidPlayer(player, "CData::GetNumBlocksForPlayer: Invalid player index")) return 0;
  if (blockStale > 10) RecountBlocks();
  return rows[player].sets;
}

void CData::RecountBusinesses() {
  businessStale = 0;
  for (Row& r : rows) r.businesses = 0;
  for (int32_t b = 0; b < kMaxBusinesses; ++b) {
    const CBusiness* business = GetBusinessInUse(b);
    // A business held closed is not counted as owned.
    if (business == nullptr || business->OpenState == kHeldClosed) continue;
    const int32_t owner = business->Owner;
    if (owner >= 1 && owner <= kMaxPlayers) ++rows[owner - 1].businesses;
  }
}

int32_t CData::GetNumBusinessesForPlayer(int32_t player) {
  if (!ValidPlayer(player, "CData::GetNumBusinessesForPlayer: Invalid player index")) return 0;
  if (businessStale > 10) RecountBusinesses();
  return rows[player].businesses;
}

void CData::ComputeAverages() {
  averagesDirty = 0;
  for (int32_t c = 0; c < 32; ++c) {
    float sum = IsCommodity(c) ? g_Commodities[c].Value * g_Commodities[c].Markup : 0.0f;
    int32_t sellers = 0;
    for (int32_t b = 0; b < kMaxBusinesses; ++b) {
      const CBusiness* business = GetBusinessInUse(b);
      if (business != nullptr && business->HasCommodity(c)) {
        sum += business->GetCommodityPrice(c);
        ++sellers;
      }
    }
    averages[c] = sum / static_cast<float>(sellers + 1);
  }
  float rentSum = 0.0f;
  int64_t residents = 0;
  for (const CBuilding& bld : g_Buildings) {
    const CBusiness* business = bld.InUse ? GetBusinessInUse(bld.GetBusiness()) : nullptr;
    if (business == nullptr || !business->IsResidence()) continue;
    rentSum += business->RentPerPlace * static_cast<float>(business->Occupants);
    residents += business->Occupants;
  }
  // A city without residents has no rent per resident.
  averages[32] = residents > 0 ? rentSum / static_cast<float>(residents) : 0.0f;
}

float CData::GetAverageBlockValue() {
  if (averagesDirty) ComputeAverages();
  return averages[32];
}

float CData::GetAverageCommodityPrice(int32_t commodity) {
  if (commodity < 0 || commodity >= 32) return 0.0f;
  if (averagesDirty) ComputeAverages();
  return averages[commodity];
}
