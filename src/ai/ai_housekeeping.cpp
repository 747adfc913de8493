// The housekeeping jobs a computer player runs when its timetables or
// timers raise their work flags: business grading, refurbishment,
// demolition, take-overs, restocking and repricing. Each job only queues
// actions or posts requests.
#include <algorithm>
#include <cmath>
#include <vector>

#include "ai/ai_development.h"
#include "ai/ai_sites.h"
#include "ai/ai_strategy.h"
#include "ai/business_valuation.h"
#include "ai/computer_player.h"
#include "ai/district_queries.h"
#include "ai/planned_businesses.h"
#include "ai/scoring_terms.h"
#include "ai/set_scores.h"
#include "city/business.h"
#include "city/buildings.h"
#include "city/city_demand.h"
#include "city/commodities.h"
#include "city/local_drafts.h"
#include "session/auction.h"

namespace {

constexpr int32_t kTakeOverThreshold = 800;

float CutToTenth(float v) { return std::trunc(v * 10.0f) / 10.0f; }

int32_t BlockOfBusiness(const CBusiness& b) {
  const CBuilding* building = b.GetBuilding();
  return building && building->Block ? building->Block->Index : -1;
}

}  // namespace

void RunBusinessStates(CPlayerAI& ai) {
  for (AiBusinessEntry& e : ai.ownBusinesses) {
    const CBusiness* b = e.inUse ? GetBusinessInUse(e.id) : nullptr;
    if (b == nullptr || b->Type == kLandscapeType) continue;
    const int32_t band = BusinessStateBand(GetScoreForBusinessState(*b));
    if (band == e.band) {
      ++e.repeats;
    } else {
      e.band = band;
      e.repeats = 0;
    }
  }
}

void RunRefurbishmentReview(CPlayerAI& ai) {
  const AiDifficultyRow* row = ai.DifficultyRow();
  const int32_t patience = row ? row->Value(12) : 0;
  bool queued = false;
  for (AiBusinessEntry& e : ai.ownBusinesses) {
    const CBusiness* b = e.inUse ? GetBusinessInUse(e.id) : nullptr;
    if (b == nullptr || e.band != 5 || e.repeats != patience) continue;
    const CBuilding* building = b->GetBuilding();
    if (building == nullptr) continue;
    const int32_t t = ChooseReplacementBusiness(ai, *b);
    if (t < 0) continue;
    const float cost = building->GetBusinessSetupCost(t);
    if (t != b->Type && ai.FreeCash() >= cost) {
      if (AddAction_RefurbBuilding(ai, building->Id, e.id, t, cost)) queued = true;
    } else if (!queued && t != b->Type) {
      const int32_t block = BlockOfBusiness(*b);
      AddAction_DemolishBuilding(ai, block, building->Id, building->GetRentalValue());
      DropPlannedBusiness(block, b->Type);
    }
  }
}

void RunDemolitionReview(CPlayerAI& ai) {
  const AiDifficultyRow* row = ai.DifficultyRow();
  const int32_t patience = row ? row->Value(10) : 0;
  for (AiBusinessEntry& e : ai.ownBusinesses) {
    const CBusiness* b = e.inUse ? GetBusinessInUse(e.id) : nullptr;
    if (b == nullptr || e.band != 5 || e.repeats < patience) continue;
    const int32_t block = BlockOfBusiness(*b);
    const CBuilding* building = b->GetBuilding();
    if (block >= 0 && ai.ownedBlocks[block]) {
      AddAction_SellBusiness(ai, e.id, block);
      continue;
    }
    const uint32_t r = ai.Draw();
    const float limit = static_cast<float>(CharacterOffset(ai.characterRow) * 100 + 100000) * 0.0005f;
    if (building != nullptr && static_cast<float>(r % 101) > limit) {
      DropPlannedBusiness(block, b->Type);
      AddAction_DemolishBuilding(ai, block, building->Id, building->GetRentalValue());
    } else {
      AddAction_SellBusiness(ai, e.id, block);
    }
  }
}

// The take-over score of a tenant business on one of the player's blocks.
int32_t TakeOverScore(const CBusiness& b, bool completedSet) {
  const int32_t x = static_cast<int32_t>(b.GetLastDayProfit());
  const CBuilding* building = b.GetBuilding();
  const int32_t price = building ? static_cast<int32_t>(building->GetBuyoutPrice()) : 0;
  const CPlayer* owner = b.GetOwner();
  const int32_t weak = (owner == nullptr || !IsInDebtWarning(owner->index)) ? 1 : 0;
  return 100 * weak + (completedSet ? 2 * x : x - 100) - price + 1100;
}

void RunTakeOverReview(CPlayerAI& ai) {
  if (ai.warned24h || IsFirstDecade() || ai.CountRegisteredBlocks() == 0 || ai.money < 0.0f) return;
  if (AtBusinessLimit(ai)) return;  // a business bought out is one more it runs
  // Shops are bought out, but by a character that keeps room for homes none
  // past its shops' share. Such a character buys out the homes on its blocks
  // too: once the city has no frontage left, that is where its homes grow.
  const AiCharacter* c = ai.Character();
  const bool homes = c != nullptr && c->HomeLiking() > c->ShopLiking();
  const bool shops = !ShopsFillTheirShare(ai);
  if (!shops && !homes) return;
  struct Candidate {
    int32_t score;
    const CBuilding* building;
    int32_t business;
  };
  std::vector<Candidate> list;
  for (int32_t block = 0; block < kBlockCount; ++block) {
    if (!ai.ownedBlocks[block]) continue;
    const CBlock* blk = GetBlock(block);
    for (const CBuilding* building = blk ? blk->FirstBuilding : nullptr; building; building = building->Next) {
      const CBusiness* b = GetBusinessInUse(building->GetBusiness());
      if (b == nullptr || b->Owner == ai.index + 1) continue;
      if (!(b->Kind == kBusinessShop ? shops : b->Kind == kBusinessResidence && homes)) continue;
      const int32_t score = TakeOverScore(*b, IsBlockRentopiaOwned(block));
      if (score >= kTakeOverThreshold && list.size() < 255) list.push_back({score, building, b->Index});
    }
  }
  if (list.empty()) return;
  std::stable_sort(list.begin(), list.end(), [](const Candidate& a, const Candidate& b) { return a.score > b.score; });
  list.front().building->SendBuyoutRequest();
  ai.AddBusinessToList(list.front().business, 0);
  ai.RemoveBusinessFromList(list.front().business, 1);
}

void RunEndOfDayStockAndPrices(CPlayerAI& ai) {
  for (const AiBusinessEntry& e : ai.ownBusinesses) {
    CBusiness* b = e.inUse ? GetBusinessInUse(e.id) : nullptr;
    if (b == nullptr) continue;
    const int32_t slots = b->SlotCount();
    const float g = static_cast<float>(GetStockCapacityForArea(b->GetFootprintUnits(), b->Type));
    BusinessDraft& draft = EditBusinessDraft(*b);
    float sum = 0;
    int32_t empty = 0;
    for (int32_t i = 0; i < slots; ++i) {
      const int32_t s = b->Slots[i].Stock;
      const int32_t c = b->StockTarget[i];
      if (s == 0) {
        ++empty;
        continue;
      }
      if (c < 1) continue;
      const float v = static_cast<float>(s) * 100.0f / static_cast<float>(c);
      const float w = std::min(v * 0.625f, 50.0f);
      float& p = draft.Price[i];
      const float before = p;
      p = std::max(p - CutToTenth(p * w / 100.0f), 0.1f);
      const float base = GetCommodityBasePrice(b->GetSlotCommodity(i));
      if (p < base) p = std::max(base, 0.1f);
      const float target = static_cast<float>(c) - 0.1f * g;
      b->AddStock(i, std::max(static_cast<int32_t>(target), 0));
      sum += target;
      if (p != before) draft.Changed = true;
    }
    for (int32_t i = 0; i < slots && empty > 0; ++i) {
      if (b->Slots[i].Stock != 0) continue;
      const int32_t c = b->StockTarget[i];
      const float a = (g - sum) / static_cast<float>(empty);
      const float part = 0.1f * a;
      b->AddStock(i, static_cast<int32_t>(part >= 5.0f ? static_cast<float>(c) + part : static_cast<float>(c + 5)));
      if (a < static_cast<float>(c)) b->AddStock(i, static_cast<int32_t>(a));
      float& p = draft.Price[i];
      const float before = p;
      p += 0.1f * p > 1.0f ? CutToTenth(0.1f * p) : 1.0f;
      p = std::max(p, 0.1f);
      if (p != before) draft.Changed = true;
    }
  }
  SendBusinessPriceMessages(ai.index);
  ++ai.tally.priceRounds;
}

void RunSpoilageReview(CPlayerAI& ai) { SendBusinessPriceMessages(ai.index); }

void CPlayerAI::RunHousekeepingJobs() {
  auto take = [this](uint16_t flag) {
    const bool raised = (workFlags & flag) != 0;
    workFlags = static_cast<uint16_t>(workFlags & ~flag);
    return raised;
  };
  if (take(kWorkSyncOwnership)) SyncOwnershipLists();
  if (take(kWorkBusinessStates)) RunBusinessStates(*this);
  if (take(kWorkRefurbish)) RunRefurbishmentReview(*this);
  if (take(kWorkDemolish)) RunDemolitionReview(*this);
  if (take(kWorkTakeOver)) RunTakeOverReview(*this);
  // A nomination waits while the auction room is busy or requests wait for it.
  if (!AuctionBusy() && take(kWorkBlockPurchase)) RunBlockPurchaseCheck(*this);
  if (take(kWorkFootprint) && ChooseNextBusinessForChosenBlock(*this)) {
    DevelopmentResult result;
    if (!PlanBlockDevelopment(*this, true, result) && !result.found) plan.nothingToBuild = true;
  }
  if (take(kWorkSpoilage)) RunSpoilageReview(*this);
  if (take(kWorkEndOfDay)) RunEndOfDayStockAndPrices(*this);
  if (take(kWorkRent)) RunRentReview(*this);
  if (take(kWorkSetBuilding)) RunSetBuilding(*this);
  if (take(kWorkSetExpansion)) RunSetExpansion(*this);
}
