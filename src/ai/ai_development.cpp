#include "ai/ai_development.h"

#include <algorithm>
#include <cmath>

#include "ai/ai_sites.h"
#include "ai/business_valuation.h"
#include "ai/computer_player.h"
#include "ai/district_queries.h"
#include "ai/planned_businesses.h"
#include "ai/scoring_terms.h"
#include "ai/set_scores.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/local_drafts.h"
#include "city/city_demand.h"
#include "engine/core/error.h"
#include "session/auction.h"

namespace {

constexpr int32_t kMaxPlanTries = 20;
constexpr int32_t kMaxLandscapeLots = 12;
constexpr int32_t kNominationFloor = 75;

bool InGameType12() {
  const int32_t t = GetAiGameFacts().GameType;
  return t == 1 || t == 2;
}

int32_t BuildingKindFor(int32_t type) {
  const BusinessType* row = GetBusinessType(type);
  if (row == nullptr) return kKindRetail;
  return row->Kind == kBusinessResidence ? kKindResidential : row->Kind == kBusinessLandscape ? kKindLandscape
                                                                                             : kKindRetail;
}

// The shapes of the type that cover exactly `size` lots and fit its side limit.
std::vector<LotShape> ShapesOfSize(int32_t type, int32_t size) {
  const BusinessType* row = GetBusinessType(type);
  const int32_t maxSide = row && row->MaxSide > 0 ? row->MaxSide : kLotsPerSide;
  std::vector<LotShape> out;
  for (const LotShape& s : GetFootprintShapes(type))
    if (s.width * s.depth == size && std::max(s.width, s.depth) <= maxSide) out.push_back(s);
  return out;
}

// A free place for the shape: against an edge first (shops want frontage),
// else anywhere on the grid.
bool FindPlace(CPlayerAI& ai, int32_t block, LotShape s, int32_t& x, int32_t& y, int32_t& w, int32_t& d) {
  w = s.width, d = s.depth;
  if (FindLotOnBlockEdge(ai, block, x, y, w, d)) return true;
  const CBlock* b = GetBlock(block);
  for (const LotShape turned : {s, LotShape{s.depth, s.width}})
    for (int32_t px = 0; px + turned.width <= kLotsPerSide; ++px)
      for (int32_t py = 0; py + turned.depth <= kLotsPerSide; ++py)
        if (b->IsLotRegionFreeAt(px, py, turned.width, turned.depth)) {
          x = px, y = py, w = turned.width, d = turned.depth;
          return true;
        }
  return false;
}

constexpr float kRunningCostDaysKept = 6.0f;
constexpr int32_t kRentedLandShare = 4;
// A small limit's quarter would hold a player to one or two businesses on
// rented land, too few to earn the block it could build on freely.
constexpr int32_t kLeastRentedLand = 4;

int32_t DailyRunningCosts(const CPlayerAI& ai) {
  int32_t sum = 0;
  for (const AiBusinessEntry& e : ai.ownBusinesses)
    if (const CBusiness* b = e.inUse ? GetBusinessInUse(e.id) : nullptr) sum += GetBusinessRunningCost(*b);
  return sum;
}

// On land it does not own a business pays ground rent from its first day,
// before the city has the trade to carry it: the player runs at most a
// quarter of its character's business limit there, but never fewer than
// four (nor more than the limit).
bool TooManyOnRentedLand(const CPlayerAI& ai, int32_t block) {
  if (block < 0 || block >= kBlockCount || ai.ownedBlocks[block]) return false;
  const AiCharacter* c = ai.Character();
  if (c == nullptr || c->businessLimit <= 0) return false;
  int32_t rented = 0;
  for (const AiBusinessEntry& e : ai.ownBusinesses) {
    const CBusiness* b = e.inUse ? GetBusinessInUse(e.id) : nullptr;
    const CBuilding* building = b ? b->GetBuilding() : nullptr;
    if (building && building->Block && !ai.ownedBlocks[building->Block->Index]) ++rented;
  }
  return rented >= std::min(std::max(c->businessLimit / kRentedLandShare, kLeastRentedLand), c->businessLimit);
}

bool Affordable(const CPlayerAI& ai, float cost) {
  return !TooManyOnRentedLand(ai, ai.plan.chosenBlock) && CanSpend(ai, cost);
}

// The step rule when a plan is too dear or finds no place: fewer floors
// first while the type allows, then a smaller footprint at full height, the
// next area down that the character's footprint row offers (landscaping and
// the centre's homes, which have their own shapes, one lot at a time). A
// builder of towers keeps its floors and gives up ground first, down to its
// smallest footprint.
void StepDown(const CPlayerAI& ai, int32_t type, int32_t& size, int32_t& floors, int32_t minFloors,
              int32_t minimumSize, bool placeFound) {
  const AiCharacter* c = ai.Character();
  const bool keepHeight = c != nullptr && c->BuildsTall() && size > minimumSize;
  if (placeFound && floors > minFloors && !keepHeight) {
    --floors;
    return;
  }
  const int32_t before = size;
  if (type != kCentreMarkerType) StepDownFootprintIndex(ai, type, size);
  if (size == before) --size;
}

}  // namespace

// Before the first day's accounts the threshold is 0, and without the share
// a free spender would sink all its starting money into its first buildings
// and have none for a block. The running costs kept back (rent, utilities,
// restocking) carry it over a slow day: a player that spends past them goes
// into debt and is out of the game at the second midnight.
bool CanSpend(const CPlayerAI& ai, float cost) {
  const AiDifficultyRow* row = ai.DifficultyRow();
  float keep = std::max(ai.own.cashThreshold, kRunningCostDaysKept * static_cast<float>(DailyRunningCosts(ai)));
  if (row != nullptr) keep = std::max({keep, static_cast<float>(row->cashFloor), row->thresholdFactor * ai.money});
  return ai.CanAfford(cost, false) && ai.money - ai.committedCash - cost >= keep;
}

int32_t GetPreferredSize(const CPlayerAI& ai, int32_t type) {
  const BusinessType* row = GetBusinessType(type);
  const AiCharacter* c = ai.Character();
  if (row == nullptr) return 0;
  int32_t size = c ? c->footprints[std::min<uint8_t>(row->FootprintBand, 4)].preferences[2] : row->MinArea;
  const int32_t lo = std::max(row->MinArea, 1);
  const int32_t hi = std::max(row->MaxArea > 0 ? row->MaxArea : kLotCount, lo);
  return std::clamp(size, lo, hi);
}

int32_t GetMinimumSize(const CPlayerAI& ai, int32_t type) {
  const BusinessType* row = GetBusinessType(type);
  const AiCharacter* c = ai.Character();
  if (row == nullptr) return 0;
  const int32_t size = c ? c->footprints[std::min<uint8_t>(row->FootprintBand, 4)].preferences[0] : row->MinArea;
  return std::max(size, std::max(row->MinArea, 1));
}

int32_t SelectBuildingQuality(CPlayerAI& ai, int32_t block) {
  const CBlock* b = GetBlock(block);
  if (b == nullptr) {
    ReportError(0, 0, "SelectBuildingQuality - Invalid blockid type");
    return 0;
  }
  const int32_t prestige = static_cast<int32_t>(b->Prestige);
  // A character with a prestige bias builds as if the block stood higher:
  // one band up for every two points of bias.
  const AiCharacter* c = ai.Character();
  const int32_t lift = c ? std::max(c->prestigeBias, 0) / 2 : 0;
  const int32_t band = std::min((prestige <= 2 ? 0 : prestige <= 4 ? 1 : 2) + lift, 2);
  const int32_t r = static_cast<int32_t>(ai.Draw() % 101);
  if (InGameType12()) {
    if (band == 2) return r > 10 ? 2 : 1;
    if (band == 1) return r > 10 ? 1 : 2;
    return r > 50 ? 2 : r > 20 ? 1 : 0;
  }
  if (band == 2) return r > 20 ? 2 : r > 5 ? 1 : 0;
  if (band == 1) return r >= 90 ? 2 : r > 10 ? 1 : 0;
  return r <= 5 ? 2 : r <= 20 ? 1 : 0;
}

int32_t ChooseFloorCount(CPlayerAI& ai, int32_t type) {
  const BusinessType* row = GetBusinessType(type);
  const AiCharacter* c = ai.Character();
  if (row == nullptr || c == nullptr) return 1;
  const int32_t n = static_cast<int32_t>(ai.Draw() % 10) + 1;
  int32_t sum = 0;
  for (int32_t i = 0; i < n; ++i) sum += c->floors[i];
  const int32_t t = static_cast<int32_t>(ai.Draw() % static_cast<uint32_t>(sum + 1)) + 1;
  int32_t d = 0, left = sum;
  for (; d < n; ++d) {
    left -= c->floors[d];
    if (left < t) break;
  }
  if (d == n) d = 0;
  const int32_t g = std::max(row->MaxHeight - d, 0);
  if (static_cast<int32_t>(ai.Draw() % 101) >= (CharacterOffset(ai.characterRow) + 1000) / 20)
    d += static_cast<int32_t>(ai.Draw() % static_cast<uint32_t>(g + 1));
  return std::clamp(d, std::max(row->MinHeight, 1), std::max(row->MaxHeight, std::max(row->MinHeight, 1)));
}

bool PassesLandscapeShare(CPlayerAI& ai, int32_t block) {
  const int32_t landscaped = (kLotsNeededForLandscape - GetLandscapeLotsNeeded(block)) * 100 / kLotCount;
  const int32_t p = std::clamp(GetPcentBlockDeveloped(block) - landscaped, 0, 100);
  // An undeveloped block never passes, even on a draw of 0.
  return p >= static_cast<int32_t>(ai.Draw() % 101) && p > 0;
}

bool ChooseLandscapeFootprint(CPlayerAI& ai, int32_t block, int32_t& x, int32_t& y, int32_t& width, int32_t& depth) {
  const CBlock* b = GetBlock(block);
  if (b == nullptr) return false;
  if (!PassesLandscapeShare(ai, block)) return false;
  int32_t best = 0;
  for (int32_t w = 6; w >= 1; --w)
    for (int32_t d = 6; d >= 1; --d)
      for (int32_t px = 0; px + w <= kLotsPerSide; ++px)
        for (int32_t py = 0; py + d <= kLotsPerSide; ++py) {
          if (!b->IsLotRegionFreeAt(px, py, w, d)) continue;
          int32_t score;
          if (px != 0 && px != kLotsPerSide - w) {
            score = (w * (d - 2) + 10) * 10;
          } else {
            const int32_t e = (py != 0 && py != kLotsPerSide - d) ? d : w + d - 1;
            score = (w * d - 2 * e + 10) * 10;
          }
          if (score > best) {
            best = score;
            x = px, y = py, width = w, depth = d;
          }
        }
  return best > 0;
}

bool PlanBlockDevelopment(CPlayerAI& ai, bool commit, DevelopmentResult& result, bool useGivenQuality,
                          int32_t givenQuality) {
  result = DevelopmentResult{};
  AiPlanState& p = ai.plan;
  const CBlock* b = GetBlock(p.chosenBlock);
  if (b == nullptr || b->BuildingRights == kRightsPreparing) return false;
  const int32_t block = p.chosenBlock;

  // Landscaping first on a night centre of the set games.
  if (commit && InGameType12() && p.nightCentre && ai.ownedBlocks[block]) {
    int32_t x, y, w, d;
    if (ChooseLandscapeFootprint(ai, block, x, y, w, d)) {
      const int32_t quality = SelectBuildingQuality(ai, block);
      const float cost = static_cast<float>(EstimateBuildingCost(block, w * d, kKindLandscape, kLandscapeType,
                                                                 static_cast<uint8_t>(quality), ai.index));
      if (!AddAction_ConstructBuilding(ai, block, kKindLandscape, kLandscapeType, quality, cost, x, y, w, d, 1))
        return false;
      NotePlannedBusiness(block, kLandscapeType);
      result.found = true;
      result.cost = static_cast<int32_t>(cost);
      return true;
    }
  }

  const int32_t type = p.businessType;
  const BusinessType* row = GetBusinessType(type);
  if (row == nullptr) return false;
  int32_t minFloors = std::max(row->MinHeight, 1);
  int32_t minimum = GetMinimumSize(ai, type);
  // A builder of towers short of cash gives up ground, down to the least
  // the type allows, before it gives up a floor, and builds nothing lower
  // than a tower's least height (or the type's greatest): it waits for the
  // cash rather than spend its money on low buildings; a lower floor draw
  // is raised to that height.
  const AiCharacter* c = ai.Character();
  if (c != nullptr && c->BuildsTall() && type != kLandscapeType) {
    minimum = std::max(row->MinArea, 1);
    minFloors = std::min(std::max(minFloors, AiCharacter::kLeastTowerFloors), std::max(row->MaxHeight, minFloors));
  }
  int32_t size = 0, floors = 1;
  if (type == kLandscapeType) {
    size = std::min(GetLandscapeLotsNeeded(block), kMaxLandscapeLots);
    minimum = 1;
  } else if (type == kCentreMarkerType) {
    // The tall homes at a centre's heart: the character's own footprint for
    // the type, as many floors as it likes, within the type's limits.
    size = GetPreferredSize(ai, type);
    floors = std::min(ChooseFloorCount(ai, type), std::max(row->MaxHeight, minFloors));
  } else {
    size = GetPreferredSize(ai, type);
    floors = ChooseFloorCount(ai, type);
    // No bigger than the residents' unmet demand for its goods fills; goods
    // nobody asks for yet keep the character's own size.
    int32_t fitted = size, fittedFloors = floors;
    FitBusinessToDemand(ai, fitted, fittedFloors);
    if (fitted > 0 && fittedFloors > 0) size = fitted, floors = fittedFloors;
  }
  size = std::max(size, minimum);
  floors = std::max(floors, minFloors);
  if (size < minimum || size < 1) return false;
  const int32_t quality = useGivenQuality ? givenQuality : SelectBuildingQuality(ai, block);
  const int32_t kind = BuildingKindFor(type);
  result.lotsShort = 99;
  for (int32_t tries = 0; tries < kMaxPlanTries && floors >= minFloors && size >= minimum; ++tries) {
    const std::vector<LotShape> shapes =
        type == kLandscapeType ? std::vector<LotShape>{{3, 4}, {4, 3}} : ShapesOfSize(type, size);
    bool placed = false;
    for (const LotShape& s : shapes) {
      int32_t x, y, w, d;
      if (!FindPlace(ai, block, s, x, y, w, d)) continue;
      placed = true;
      const float cost = static_cast<float>(EstimateBuildingCost(block, w * d * floors, kind, type,
                                                                 static_cast<uint8_t>(quality), ai.index));
      result.found = true;
      result.cost = static_cast<int32_t>(cost);
      if (!Affordable(ai, cost)) break;
      if (commit) {
        if (type == kLandscapeType && !ai.ownedBlocks[block])
          ReportErrorF(1, "%s is about to landscape %s. Does not own this block!", ai.name, g_BlockDefs[block].Key);
        if (!AddAction_ConstructBuilding(ai, block, kind, type, quality, cost, x, y, w, d, floors)) return false;
        NotePlannedBusiness(block, type);
      }
      return true;
    }
    if (!placed) result.lotsShort = std::min(result.lotsShort, std::max(size - GetBlockFreeFootprint(block).largest, 1));
    StepDown(ai, type, size, floors, minFloors, minimum, placed);
  }
  if (result.lotsShort == 99) result.lotsShort = 0;
  result.blockFull = !result.found && CountFreeEdgeLots(block) == 0;
  return false;
}

void RepriceBusinesses(CPlayerAI& ai) {
  const AiDifficultyRow* row = ai.DifficultyRow();
  const float step = row ? row->priceStep : 0.0f;
  bool changed = false;
  for (int32_t id : ListRentedBusinesses(ai.index)) {
    CBusiness* b = GetBusinessInUse(id);
    const int32_t c = b->Capacity, s = b->Occupants;
    if (c < 1) continue;
    BusinessDraft& draft = EditBusinessDraft(*b);
    float& rent = draft.Rent;
    const float before = rent;
    const int32_t v = static_cast<int32_t>(rent);
    const int32_t u = GetBusinessRunningCost(*b) / c;
    if (s < c && u < v) {
      // Empty places: down towards what a place costs to keep.
      const float lowered =
          std::max(static_cast<float>(v) - static_cast<float>(c - s) / static_cast<float>(c) * 5.0f,
                   static_cast<float>(u));
      rent = std::max(lowered, 0.1f);
    } else if (s == c) {
      rent = std::max(step + static_cast<float>(v), 0.1f);
    }
    if (rent != before) {
      draft.Changed = true;
      changed = true;
    }
  }
  if (changed) SendBusinessPriceMessages(ai.index);
}

bool ShouldBidOnDistrict(const CPlayerAI& ai, int32_t block, int32_t amount) {
  if (block < 0 || block >= kBlockCount) return false;
  const AiBlockPurchase& p = ai.purchases[block];
  return p.bought && static_cast<int32_t>(p.price) * 5 < amount;
}

// A player that runs all the businesses its character allows has no use
// for more building land, but a block still earns or counts without a
// business of its own: the railroads and utilities, a block where the other
// players' businesses would pay it ground rent, and the block that completes
// a district.
bool WantedAtBusinessLimit(const CPlayerAI& ai, int32_t block) {
  if (IsRailroadOrUtilityBlock(block)) return true;
  if (GetRivalsGroundRentForBlock(block, ai.index) > 0) return true;
  return CompletesDistrict(ai, block);
}

bool CompletesDistrict(const CPlayerAI& ai, int32_t block) {
  return GetBlockDistrictBlockCount(block) > 1 && OwnsAllOtherDistrictBlocks(block, ai.index);
}

// What a block is worth to a player at its business limit: the railroads,
// the utilities and a district's last block their score; any other block its
// lease price, which it adds to paper wealth, and the ground rent the other
// players' businesses on it pay in ten days. A full score would have it
// outbid every builder for land it cannot use.
int32_t WorthAtBusinessLimit(const CPlayerAI& ai, int32_t block, int32_t score) {
  constexpr int32_t kRentDays = 10;
  if (IsRailroadOrUtilityBlock(block) || CompletesDistrict(ai, block)) return score;
  const CBlock* b = GetBlock(block);
  const int32_t lease = b ? static_cast<int32_t>(b->GetLeasePrice()) : 0;
  return std::min(score, lease + kRentDays * GetRivalsGroundRentForBlock(block, ai.index));
}

// Any ownable block of the city's is open to a nomination: the railroads,
// the utilities and the rivals' blocks too, not only the city's property.
bool CanNominateForAuction(const CPlayerAI& ai, int32_t block) {
  return GetBlock(block) != nullptr && IsOwnable(block) && !ai.ownedBlocks[block] && !ai.HasStandingRejection(block);
}

void NominateBlockForAuction(CPlayerAI& ai) {
  if (AuctionBusy() || ai.plan.targetRequested || ai.plan.listed || ai.pendingBlockRequest >= 0) return;
  if (ai.warned24h && ai.money < 0.0f) return;
  const bool atLimit = AtBusinessLimit(ai);
  const int32_t saved = ai.plan.chosenBlock;
  int32_t best = -1, bestScore = 0;
  for (int32_t block = 0; block < kBlockCount; ++block) {
    if (!CanNominateForAuction(ai, block) || (atLimit && !WantedAtBusinessLimit(ai, block))) continue;
    ai.plan.chosenBlock = block;
    int32_t whole = 0;
    ai.GetScore(kScoreChosenBlock, whole);
    const int32_t score = whole < kNominationFloor ? 0 : whole;
    if (score > bestScore) {
      bestScore = score;
      best = block;
    }
  }
  ai.plan.chosenBlock = saved;
  if (best < 0 || GetBlock(best)->GetLeasePrice() > ai.FreeCash()) return;
  // It bids for the block it asked for up to the lease and its character's
  // purchase share on top, within its free cash.
  const float lease = GetBlock(best)->GetLeasePrice();
  const float share = static_cast<float>(100 + PurchasePercent(ai.characterRow)) / 100.0f;
  const int32_t limit = static_cast<int32_t>(std::min(ai.FreeCash(), lease * share));
  if (AddAction_BuyBlock(ai, best, 100)) {
    ai.nominatedBlock = best;
    ai.nominationLimit = limit;
    ai.plan.targetRequested = true;
    ++ai.tally.nominations;
  }
}
