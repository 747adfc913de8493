// The jobs of completed district sets: a hotel on every block of a set the
// player owns, clearing room for one when the block is built over, and
// hotels sized to the city's homeless.
#include <algorithm>
#include <vector>

#include "ai/ai_actions.h"
#include "ai/ai_development.h"
#include "ai/ai_sites.h"
#include "ai/ai_strategy.h"
#include "ai/computer_player.h"
#include "ai/district_queries.h"
#include "ai/planned_businesses.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/city_demand.h"
#include "session/player_data.h"

namespace {

constexpr int32_t kHotelLots = 6;  // room a hotel needs on a block
constexpr int32_t kExpansionHomelessFloor = 29;
constexpr int32_t kExpansionValueBonus = 20000;
constexpr LotShape kHotelShapes[] = {{4, 4}, {3, 5}, {3, 4}, {3, 3}, {2, 5}, {2, 4}, {2, 3}};
constexpr int32_t kHotelShapeCount = static_cast<int32_t>(std::size(kHotelShapes));

// A set block the player owns that has no hotel yet.
bool IsHotelSite(const CPlayerAI& ai, int32_t block) {
  return ai.ownedBlocks[block] && IsBlockRentopiaOwned(block) && CountHotelsOnBlock(block) == 0;
}

// Finished buildings only: one still going up is not worth pulling down.
bool IsStanding(const CBuilding& b) { return b.Status == kStatusComplete || b.Status == kStatusPlaced; }

// A hotel needs a building at least three lots wide and three deep.
bool WideEnoughForHotel(const CBuilding& b) {
  const int32_t w = GetBuildingSpanX(b) + 1, d = GetBuildingSpanY(b) + 1;
  return w >= 3 && d >= 3 && w * d >= kHotelLots;
}

struct HotelCandidate {
  int32_t x = 0, y = 0, width = 0, depth = 0;
  int32_t cost = 0;
  int32_t value = 0;
  int32_t floors = 0;
  int32_t block = -1;
};

}  // namespace

void RunSetBuilding(CPlayerAI& ai) {
  for (int32_t block = 0; block < kBlockCount; ++block) {
    if (!IsHotelSite(ai, block)) continue;
    if (GetBlockFreeFootprint(block).largest >= kHotelLots) {
      int32_t x = 0, y = 0, w = 2, d = 3;
      if (FindLotOnBlockEdge(ai, block, x, y, w, d)) return;
      continue;
    }
    const CBlock* b = GetBlock(block);
    int guard = 0;
    for (const CBuilding* building = b->FirstBuilding; building != nullptr && guard < kBuildingPoolSize;
         building = building->Next, ++guard) {
      if (GetBusinessInUse(building->BusinessIndex) == nullptr || !IsStanding(*building)) continue;
      if (!WideEnoughForHotel(*building)) continue;
      const float value = building->GetRentalValue();
      if (value + 100.0f >= ai.money) continue;
      AddAction_DemolishBuilding(ai, block, building->Id, value);
      return;
    }
  }
}

void RunSetExpansion(CPlayerAI& ai) {
  if (IsInDebtWarning(ai.index) || ai.money < 0.0f) return;
  const int32_t homeless = GetHomelessCount();
  if (homeless <= kExpansionHomelessFloor || PlayerData().GetNumSetsForPlayer(ai.index) == 0) return;
  const BusinessType* hotel = GetBusinessType(kTypeHotel);
  if (hotel == nullptr) return;
  const int32_t minFloors = std::max(hotel->MinHeight, 1);
  const int32_t maxFloors = std::max(hotel->MaxHeight, minFloors);
  const int32_t budget = static_cast<int32_t>(std::max(1.1f * ai.money, ai.money + 1000.0f));

  std::vector<HotelCandidate> candidates;
  int32_t shape = 0;  // carries over from block to block
  for (int32_t block = 0; block < kBlockCount; ++block) {
    if (!ai.ownedBlocks[block] || !IsBlockRentopiaOwned(block)) continue;
    if (GetBlockFreeFootprint(block).largest <= 5) continue;
    for (; shape < kHotelShapeCount; ++shape) {
      int32_t x = 0, y = 0, w = kHotelShapes[shape].width, d = kHotelShapes[shape].depth;
      const int32_t wanted = homeless / (w * d);
      if (!FindLotOnBlockEdge(ai, block, x, y, w, d)) continue;
      int32_t floors = std::min(wanted, maxFloors);
      int32_t cost = 0;
      for (; floors >= minFloors; --floors) {
        cost = EstimateBuildingCost(block, w * d * floors, kKindResidential, kTypeHotel, 0, ai.index);
        if (cost <= budget) break;
      }
      if (floors < minFloors) continue;
      candidates.push_back({x, y, w, d, cost, w * d * wanted - cost + kExpansionValueBonus, floors, block});
      break;
    }
  }
  if (candidates.empty()) return;
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const HotelCandidate& a, const HotelCandidate& b) { return a.value > b.value; });

  const AiPlanState saved = ai.plan;
  for (const HotelCandidate& c : candidates) {
    ai.plan.chosenBlock = c.block;
    ai.plan.businessType = kTypeHotel;
    for (int32_t q = SelectBuildingQuality(ai, c.block); q >= 0; --q) {
      DevelopmentResult result;
      if (!PlanBlockDevelopment(ai, false, result, true, q)) continue;
      ai.plan = saved;
      if (AddAction_ConstructBuilding(ai, c.block, kKindResidential, kTypeHotel, q, static_cast<float>(c.cost), c.x,
                                      c.y, c.width, c.depth, c.floors))
        NotePlannedBusiness(c.block, kTypeHotel);
      return;
    }
  }
  ai.plan = saved;
}
