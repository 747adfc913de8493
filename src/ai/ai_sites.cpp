#include "ai/ai_sites.h"

#include <algorithm>
#include <array>

#include "ai/ai_development.h"
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
#include "city/city_demand.h"
#include "city/commodities.h"
#include "city/construction_jobs.h"
#include "city/people.h"
#include "engine/core/error.h"
#include "engine/core/play_warning.h"
#include "session/auction.h"
#include "session/event_queue.h"
#include "session/game_clock.h"
#include "session/game_messages.h"
#include "session/player.h"

namespace {

constexpr int32_t kFootprintAreas[5][10] = {
    {1, 2, 3, 4, 4, -1, -1, -1, -1, -1},   {2, 3, 4, 5, 4, 6, 8, -1, -1, -1},
    {4, 6, 9, -1, -1, -1, -1, -1, -1, -1}, {6, 8, 10, 9, 12, 15, 16, -1, -1, -1},
    {8, 10, 12, 9, 12, 15, 18, 16, 20, 24},
};

const std::vector<LotShape> kBandShapes[5] = {
    {{2, 2}, {1, 4}, {1, 3}, {1, 2}, {1, 1}},
    {{2, 4}, {2, 3}, {2, 2}, {1, 5}, {1, 4}, {1, 3}, {1, 2}},
    {{3, 3}, {2, 3}, {2, 2}},
    {{4, 4}, {3, 5}, {3, 4}, {3, 3}, {2, 5}, {2, 4}, {2, 3}},
    {{4, 6}, {4, 5}, {4, 4}, {3, 6}, {3, 5}, {3, 4}, {3, 3}, {2, 6}, {2, 5}, {2, 4}},
};
const std::vector<LotShape> kCentreShapes = {{3, 5}, {3, 4}, {3, 3}, {2, 5}, {2, 4}, {2, 3}};

// Share of a period's businesses a day (night) block must hold, in percent.
constexpr int32_t kDayShare = 60;
constexpr int32_t kNightShare = 50;
constexpr int32_t kBigOtherArea = 8;

bool ValidId(int32_t block) { return block >= 0 && block < kBlockCount; }

bool IsPropertyBlock(int32_t block) {
  const int32_t d = BlockDistrict(block);
  return d > 0 && d != 10 && d != 11;
}

// Owner state of a block as the planner sees it: the city's (2) or the
// player's own (1); 0 for anyone else's.
bool CityOrOwn(const CPlayerAI& ai, int32_t block) {
  const CBlock* b = GetBlock(block);
  if (b == nullptr || !b->InUse) return false;
  return (b->Owner == 0 && b->Ownable) || b->Owner == ai.index + 1;
}

bool Marked(const CPlayerAI& ai, int32_t block) { return block < 64 && (ai.markedBlocks >> block) & 1u; }

// Businesses on the block in buildings past their first building stage.
template <class F>
void ForEachStandingBusiness(int32_t block, F f) {
  const CBlock* b = GetBlock(block);
  for (const CBuilding* building = b ? b->FirstBuilding : nullptr; building; building = building->Next) {
    const CBusiness* business = BuildingBusiness(*building);
    if (business != nullptr && building->Status != kStatusPhase1) f(*business, *building);
  }
}

// Homes, hotels and parks never close: they are neither day nor night
// trade, so they make a block neither a day block nor a night one.
bool OpenRoundTheClock(int32_t type) {
  const BusinessType* t = GetBusinessType(type);
  return t != nullptr && t->OpeningTime == 0 && t->ClosingTime >= 24;
}

bool PeriodBlock(int32_t block, bool night) {
  if (!ValidBlock(block, night ? "IsNightBlock: invalid block index" : "IsDayBlock: invalid block index"))
    return false;
  if (IsBlockEmpty(block)) return true;
  int32_t n = 0, period = 0, big = 0;
  ForEachStandingBusiness(block, [&](const CBusiness& business, const CBuilding& building) {
    if (!IsBusinessType(business.Type) || OpenRoundTheClock(business.Type)) return;
    ++n;
    if (IsDayBusiness(business.Type) != night)
      ++period;
    else
      big = std::max(big, BuildingLots(building));
  });
  return !(n > 0 && (period * 100 / n < (night ? kNightShare : kDayShare) || big > kBigOtherArea));
}

// Businesses of the open window's period on the block: the player's and the others'.
void CountPeriodBusinesses(const CPlayerAI& ai, int32_t block, int32_t& mine, int32_t& theirs) {
  mine = theirs = 0;
  const bool day = ai.DayWindowOpen();
  if (!day && !ai.NightWindowOpen()) return;
  ForEachStandingBusiness(block, [&](const CBusiness& business, const CBuilding&) {
    if (!IsBusinessType(business.Type) || business.Kind != kBusinessShop || IsDayBusiness(business.Type) != day) return;
    if (business.Owner == ai.index + 1)
      ++mine;
    else
      ++theirs;
  });
}

int32_t ChooseAdjacentBlock(CPlayerAI& ai, bool night) {
  if (night ? !ai.NightWindowOpen() : !ai.DayWindowOpen()) return -1;
  const int32_t saved = ai.plan.chosenBlock;
  ai.plan.chosenBlock = -1;
  std::array<int32_t, kBlockCount> scores{};
  int32_t best = 0;
  for (int32_t i = 0; i < kBlockCount; ++i) {
    if (!IsPropertyBlock(i) || ai.HasStandingRejection(i)) continue;
    if (!ai.ownedBlocks[i] && CountBusinessesOfPlayerOnBlock(ai.index, i) == 0) continue;
    for (int slot = 0; slot < kMaxAdjacentBlocks; ++slot) {
      const int32_t c = g_BlockStats[static_cast<size_t>(i)].GetAdjacentBlockSlot(slot);
      if (!ValidId(c) || Marked(ai, c) || !(night ? IsNightBlock(c) : IsDayBlock(c))) continue;
      if (!IsBlockUsableByPlayer(ai.index, c)) continue;
      if (BlockDistrict(c) != BlockDistrict(i) || GetBlockFreeFootprint(c).largest <= 5) continue;
      ai.plan.chosenBlock = c;
      const int32_t score = GetScoreForAdjacentBlockToBuildOn(ai, c);
      if (score > best) {
        scores[static_cast<size_t>(c)] = score;
        best = score;
      }
    }
  }
  ai.plan.chosenBlock = saved;
  if (best <= 0) return -1;
  for (int32_t c = 0; c < kBlockCount; ++c)
    if (scores[static_cast<size_t>(c)] == best) return c;
  return -1;
}

// Shape with its shorter side along the edge: edges 1 and 3 run along x.
LotShape Turned(int32_t edge, int32_t width, int32_t depth) {
  const int32_t shorter = std::min(width, depth), longer = std::max(width, depth);
  return edge == 1 || edge == 3 ? LotShape{shorter, longer} : LotShape{longer, shorter};
}

bool ScanEdge(const CBlock& b, int32_t edge, LotShape s, bool reverse, int32_t& x, int32_t& y) {
  const bool alongX = edge == 1 || edge == 3;
  const int32_t extent = alongX ? s.width : s.depth;
  const int32_t last = kLotsPerSide - extent;
  if (last < 0 || s.width > kLotsPerSide || s.depth > kLotsPerSide) return false;
  const bool fromFar = (edge == 1 || edge == 4) != reverse;
  for (int32_t k = 0; k <= last; ++k) {
    const int32_t along = fromFar ? last - k : k;
    const int32_t px = alongX ? along : (edge == 2 ? kLotsPerSide - s.width : 0);
    const int32_t py = alongX ? (edge == 1 ? kLotsPerSide - s.depth : 0) : along;
    if (b.IsLotRegionFreeAt(px, py, s.width, s.depth)) {
      x = px, y = py;
      return true;
    }
  }
  return false;
}

// The type of the demand row's commodity: the first available type that
// sells it, else the first that may.
int32_t TypeForCommodity(int32_t commodity) {
  const int32_t selling = GetBusinessTypeSelling(commodity);
  return selling >= 0 ? selling : GetBusinessTypeForCommodity(commodity);
}

// A night centre's trade in the commodity: an available shop that opens in
// the evening and sells it (the bar for drinks), before the day shops that
// sell it too.
int32_t NightTypeSelling(int32_t commodity) {
  for (int32_t type = 0; type < kBusinessTypeCount; ++type) {
    const BusinessType& t = g_BusinessTypes[static_cast<size_t>(type)];
    if (!t.Available || t.Kind != kBusinessShop || IsDayBusiness(type)) continue;
    for (int32_t i = 0; i < std::min<int32_t>(t.CommodityCount, kMaxTypeCommodities); ++i)
      if (g_TypeCommodities[static_cast<size_t>(type)][static_cast<size_t>(i)].Commodity == commodity) return type;
  }
  return -1;
}

bool TypeInPeriod(int32_t type, int32_t period) {
  const BusinessType* row = GetBusinessType(type);
  if (row == nullptr) return false;
  if (period < 0 || row->Kind != kBusinessShop) return true;
  return IsDayBusiness(type) == (period == 0);
}

// The choice limit of a character: how far down its list of wanted
// businesses it may reach (1 for the most careful, 3 for the boldest).
int32_t ChoiceLimit(int32_t character) { return 1 + std::clamp((CharacterOffset(character) + 1000) / 700, 0, 2); }

}  // namespace

// ---- Footprints -------------------------------------------------------------------

int32_t GetFootprintArea(int32_t band, int32_t index) {
  if (band < 0 || band > 4) {
    ReportError(1, 0, "GetFootprintArea(): Unrecognised band value");
    return -1;
  }
  return index >= 0 && index < 10 ? kFootprintAreas[band][index] : -1;
}

std::vector<LotShape> GetFootprintShapes(int32_t type) {
  if (type == kCentreMarkerType) return kCentreShapes;
  if (type == kLandscapeType) {
    std::vector<LotShape> all;
    for (int32_t w = 6; w >= 1; --w)
      for (int32_t d = w; d >= 1; --d) all.push_back({w, d});
    return all;
  }
  const BusinessType* row = GetBusinessType(type);
  if (row == nullptr) return {};
  return kBandShapes[std::min<uint8_t>(row->FootprintBand, 4)];
}

void RemoveFootprintShape(int32_t area, std::vector<LotShape>& shapes) {
  const auto first = std::find_if(shapes.begin(), shapes.end(),
                                  [area](const LotShape& s) { return s.width * s.depth == area; });
  shapes.erase(shapes.begin(), first);
}

void StepDownFootprintIndex(const CPlayerAI& ai, int32_t type, int32_t& index) {
  const BusinessType* row = GetBusinessType(type);
  const AiCharacter* c = ai.Character();
  if (type == kLandscapeType || row == nullptr || c == nullptr) return;
  const AiFootprintRow& f = c->footprints[std::min<uint8_t>(row->FootprintBand, 4)];
  const int32_t floor = f.preferences[0];
  while (index > floor) {
    --index;
    for (const uint8_t* entry : f.entries)
      if (entry[0] != 0 && entry[1] == index) return;
  }
}

// ---- Day and night blocks ------------------------------------------------------------

bool IsDayBlock(int32_t block) { return PeriodBlock(block, false); }
bool IsNightBlock(int32_t block) { return PeriodBlock(block, true); }

int32_t GetScoreForAdjacentBlockToBuildOn(CPlayerAI& ai, int32_t block) {
  if (!ValidId(block)) {
    PlayWarningF("GetScoreForAdjacentBlockToBuildOn: Invalid block index");
    return 0;
  }
  if (!CanPlacePeriodBusiness(ai, block, true)) return 0;
  const int32_t r = GetNumResidentsInBlock(block);
  const int32_t f = CountFreeEdgeLots(block);
  if (f == 0) return 0;
  const int32_t u = GetBlockUsedArea(block);
  if (u == kLotCount - f) return 0;
  int32_t mine = 0, theirs = 0;
  CountPeriodBusinesses(ai, block, mine, theirs);
  int32_t score = r + f - u + 49;
  if (mine > 0) score += 25 * mine;
  if (theirs > 0) score += 5 * theirs;
  if (ai.ownedBlocks[block]) score += 5 * GetNumBlocksOwnedInDistrictForPlayer(block, ai.index) + 20;
  return score;
}

int32_t ChooseAdjacentDayBlock(CPlayerAI& ai) { return ChooseAdjacentBlock(ai, false); }
int32_t ChooseAdjacentNightBlock(CPlayerAI& ai) { return ChooseAdjacentBlock(ai, true); }

int32_t FindBlockToLandscape(CPlayerAI& ai) {
  for (int32_t i = 0; i < kBlockCount; ++i) {
    if (!IsOwnable(i) || IsNonPropertyBlock(i) || IsBlockLandscaped(i)) continue;
    if (CountBusinessesOfPlayerOnBlock(ai.index, i) <= 3 || !ai.ownedBlocks[i] || !Marked(ai, i)) continue;
    int32_t x, y, w, d;
    if (ChooseLandscapeFootprint(ai, i, x, y, w, d)) return i;
  }
  return -1;
}

int32_t PickBlockForBusiness(CPlayerAI& ai, int32_t type) {
  const AiPlanState saved = ai.plan;
  std::vector<int32_t> candidates;
  for (int32_t block = 0; block < kBlockCount; ++block) {
    if (!IsPropertyBlock(block) || !CityOrOwn(ai, block) || AuctionBlock() == block) continue;
    ai.plan.chosenBlock = block;
    ai.plan.businessType = type;
    DevelopmentResult result;
    if (PlanBlockDevelopment(ai, false, result)) candidates.push_back(block);
  }
  ai.plan = saved;
  if (candidates.empty()) return -1;
  return candidates[ai.Draw() % candidates.size()];
}

bool ListBlocksForCentre(CPlayerAI& ai, std::vector<int32_t>& list) {
  list.clear();
  const int32_t period = ai.DayWindowOpen() ? 0 : ai.NightWindowOpen() ? 1 : ai.plan.centrePeriod;
  for (int32_t i = 0; i < kBlockCount; ++i) {
    if (!IsPropertyBlock(i) || Marked(ai, i) || !CityOrOwn(ai, i)) continue;
    if (period == 0 && !IsDayBlock(i)) continue;
    if (period == 1 && IsDayBlock(i)) continue;
    if (CountBusinessesOfPlayerOnBlock(ai.index, i) > 0) list.push_back(i);
  }
  return !list.empty();
}

// ---- Business choice --------------------------------------------------------------

int32_t ChooseBusinessForCentre(CPlayerAI& ai, int32_t period) {
  struct Entry {
    int32_t type;
    int64_t demand;
  };
  std::vector<Entry> main, extra;
  std::vector<int32_t> retry;
  std::array<int32_t, kBusinessTypeCount> margin{};
  const int32_t block = ai.plan.chosenBlock;
  const bool wantNight = !ai.plan.dayCentre;
  int32_t shortest = 99;
  bool full = false;
  const int32_t savedType = ai.plan.businessType;
  for (const CityWideDemandRow& row : CityWideDemand().Rows) {
    if (row.Demand <= 0 || row.Commodity < 0 || row.Commodity >= kCommodityCount) continue;
    int32_t t = wantNight ? NightTypeSelling(row.Commodity) : -1;
    if (t < 0) t = TypeForCommodity(row.Commodity);
    if (t < 0 || t == kLandscapeType || !TypeInPeriod(t, period)) continue;
    ai.plan.businessType = t;
    DevelopmentResult site;
    if (!PlanBlockDevelopment(ai, false, site)) {
      if (site.lotsShort > 0) shortest = std::min(shortest, site.lotsShort);
      full |= site.blockFull;
      continue;
    }
    const BusinessType* type = GetBusinessType(t);
    const bool shopOfPeriod = type->Kind != kBusinessShop || IsDayBusiness(t) != wantNight;
    if (!shopOfPeriod) continue;
    const int32_t onBlock = AiBlockBusinessTypeCount(block, t);
    if (onBlock == 0) {
      main.push_back({t, row.Demand});
      if (!IsFirstDecade() && IsCommodityUnserved(row.Commodity)) extra.push_back({t, row.Demand});
    } else if (onBlock == 1 && IsTypeSaturatedOnBlock(block, t)) {
      retry.push_back(t);
    } else {
      continue;
    }
    const CommodityRow& c = g_Commodities[static_cast<size_t>(row.Commodity)];
    const float m = (c.Markup - 1.0f) * c.Value;
    if (m > 0.0f) margin[static_cast<size_t>(t)] = static_cast<int32_t>(m);
  }
  ai.plan.businessType = savedType;

  // Higher margins weigh the demand more.
  std::vector<std::pair<int32_t, int32_t>> margins;  // margin, type
  for (int32_t t = 0; t < kBusinessTypeCount; ++t)
    if (margin[static_cast<size_t>(t)] > 0) margins.push_back({margin[static_cast<size_t>(t)], t});
  std::stable_sort(margins.begin(), margins.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  if (margins.size() > 1) {
    const int32_t spread = margins.front().first - margins.back().first - 1;
    const float s = 3.0f / static_cast<float>(std::max(spread, 1));
    for (size_t i = 0; i < margins.size(); ++i) {
      const float weight = static_cast<float>(margins.size() - i) * s;
      for (Entry& e : main)
        if (e.type == margins[i].second) e.demand = static_cast<int64_t>(static_cast<float>(e.demand) * weight);
    }
  }
  auto byDemand = [](const Entry& a, const Entry& b) { return a.demand > b.demand; };
  std::stable_sort(main.begin(), main.end(), byDemand);
  if (!main.empty()) {
    const int64_t floor = main.front().demand * PurchasePercent(ai.characterRow) / 100;
    main.erase(std::remove_if(main.begin() + 1, main.end(), [floor](const Entry& e) { return e.demand < floor; }),
               main.end());
  }
  for (const Entry& e : extra) {
    const bool listed = std::any_of(main.begin(), main.end(), [&](const Entry& m) { return m.type == e.type; });
    if (e.demand > 10 && !listed && AiBlockBusinessTypeCount(block, e.type) == 0) main.push_back(e);
  }
  std::stable_sort(main.begin(), main.end(), byDemand);
  if (!main.empty()) {
    const int32_t d = std::min<int32_t>(ChoiceLimit(ai.characterRow), static_cast<int32_t>(main.size()));
    const size_t index = ai.Draw() % static_cast<uint32_t>(d + 1);
    return index < main.size() ? main[index].type : -1;
  }
  for (int32_t t : retry) {
    ai.plan.businessType = t;
    DevelopmentResult site;
    const bool fits = PlanBlockDevelopment(ai, false, site);
    ai.plan.businessType = savedType;
    if (fits) return t;
  }
  ai.plan.blockFull = full;
  ai.plan.lotsShort = shortest < 99 ? shortest : 0;
  return -1;
}

namespace {

bool HomesFit(CPlayerAI& ai) {
  const int32_t saved = ai.plan.businessType;
  ai.plan.businessType = kCentreMarkerType;
  DevelopmentResult site;
  const bool fits = PlanBlockDevelopment(ai, false, site);
  ai.plan.businessType = saved;
  return fits;
}

// A character that likes homes more than shops builds homes first on a
// share of its turns (ten in ten for a gap of ten); one that likes no shops
// at all builds none.
bool PrefersHomesNow(CPlayerAI& ai) {
  const AiCharacter* c = ai.Character();
  if (c == nullptr) return false;
  const int32_t gap = c->HomeLiking() - c->ShopLiking();
  return gap > 0 && static_cast<int32_t>(ai.Draw() % 10) < gap;
}

bool LikesShops(const CPlayerAI& ai) {
  const AiCharacter* c = ai.Character();
  return c == nullptr || c->ShopLiking() > 0;
}

// The homes at a centre's heart are built on a share of the turns that
// they are wanted, as much as the character likes homes (all for 10, none
// for 0).
bool LikesHomesNow(CPlayerAI& ai) {
  const AiCharacter* c = ai.Character();
  return c == nullptr || static_cast<int32_t>(ai.Draw() % 10) < c->HomeLiking();
}

}  // namespace

// A character that likes homes more than shops keeps its business limit for
// homes but for the shops' share of its liking (rounded up): the shops it
// opens or buys out while a home is beyond its means would otherwise fill
// the limit, and its homes would stop early in the game.
bool ShopsFillTheirShare(const CPlayerAI& ai) {
  const AiCharacter* c = ai.Character();
  if (c == nullptr || c->businessLimit <= 0 || c->HomeLiking() <= c->ShopLiking()) return false;
  int32_t shops = 0;
  for (const CBusiness& b : g_Businesses) shops += b.InUse && b.Owner == ai.index + 1 && b.Kind == kBusinessShop;
  const int32_t liking = c->HomeLiking() + c->ShopLiking();
  return shops >= (c->businessLimit * c->ShopLiking() + liking - 1) / liking;
}

int32_t GetNextBusinessForDayOrNightCentre(CPlayerAI& ai) {
  if ((PrefersHomesNow(ai) || (ShouldBuildDayOrNightCentre(ai) && LikesHomesNow(ai))) && HomesFit(ai))
    return kCentreMarkerType;
  if (!LikesShops(ai) || ShopsFillTheirShare(ai)) return -1;
  const int32_t type = ChooseBusinessForCentre(ai, -1);
  if (type == kLandscapeType) ReportError(1, 0, "GetNextBusinessForDayOrNightCentre: Illegal Landscaping");
  return type;
}

namespace {

// The player's construction and opening requests that the event queue
// still holds: a building between its request and its job, or between its
// job's end and its business's opening.
int32_t BusinessesInFlight(int32_t number) {
  int32_t n = 0;
  for (const CGameEvent& e : EventQueue().LogicList()) {
    if (e.kind != kEventDeliverMessage) continue;
    if (e.message.Type() == ConstructBuildingMsg::kType) {
      ConstructBuildingMsg m;
      n += DecodeMessage(e.message, m) && m.player.value == number && m.businessType >= 0 &&
           m.businessType != kLandscapeType;
    } else if (e.message.Type() == OpenBusinessMsg::kType) {
      OpenBusinessMsg m;
      const CBuilding* building = DecodeMessage(e.message, m) ? GetBuilding(m.building.value) : nullptr;
      // A refurbishment replaces a business that still counts.
      n += building != nullptr && m.owner.value == number && m.businessType != kLandscapeType &&
           GetBusinessInUse(building->GetBusiness()) == nullptr;
    }
  }
  return n;
}

}  // namespace

int32_t BusinessesInHand(const CPlayerAI& ai) {
  const int32_t number = ai.index + 1;
  int32_t n = 0;
  for (const CBusiness& b : g_Businesses)
    n += b.InUse && b.Owner == number && b.Type != kLandscapeType;
  for (const ConstructionJob& job : ConstructionJobs().Jobs)
    n += job.Kind == kJobBuild && job.Player == number && job.OpenType >= 0 && job.OpenType != kLandscapeType;
  for (const CActions& a : ai.standard)
    n += a.state != ACT_NOT_READY && a.phase == AI_CONSTRUCT_BUILDING && a.target != kLandscapeType;
  return n + BusinessesInFlight(number);
}

bool AtBusinessLimit(const CPlayerAI& ai) {
  const AiCharacter* c = ai.Character();
  return c != nullptr && c->businessLimit > 0 && BusinessesInHand(ai) >= c->businessLimit;
}

bool ChooseNextBusinessForChosenBlock(CPlayerAI& ai) {
  AiPlanState& p = ai.plan;
  int32_t type = -1;
  if (ValidId(p.chosenBlock) && CityOrOwn(ai, p.chosenBlock) && AuctionBlock() != p.chosenBlock) {
    if ((p.tactic == 0 && ai.DayWindowOpen()) || (p.tactic == 1 && ai.NightWindowOpen())) {
      type = GetNextBusinessForDayOrNightCentre(ai);
    } else if (p.tactic == 3 && ai.ownedBlocks[p.chosenBlock]) {
      int32_t x, y, w, d;
      if (ChooseLandscapeFootprint(ai, p.chosenBlock, x, y, w, d)) type = kLandscapeType;
    }
  }
  // A character with a business limit opens no more than it allows (the
  // tower builder runs a few big ones).
  if (type >= 0 && type != kLandscapeType && AtBusinessLimit(ai)) type = -1;
  if (type < 0) {
    p.nothingToBuild = true;
    return false;
  }
  p.businessType = type;
  return true;
}

// ---- Block choice -------------------------------------------------------------------

namespace {

struct Candidate {
  int32_t block;
  int32_t score;
};

bool QualifiesForBuilding(const CPlayerAI& ai, int32_t block) {
  const CBlock* b = GetBlock(block);
  if (b == nullptr || !b->InUse || !IsPropertyBlock(block)) return false;
  const bool city = b->Owner == 0 && b->Ownable;
  return city || b->Owner == ai.index + 1;
}

// A night trader opens its night trade among the day shops too: at night it
// takes any block, not only those whose trade is mostly the night's already.
void GeneralScoring(CPlayerAI& ai, std::vector<Candidate>& out) {
  int32_t inside = 0;
  for (int32_t i = 0; i < g_PeopleCount; ++i) inside += g_PersonCycles[static_cast<size_t>(i)].State == kStateAtHome;
  bool cheapOnly = false;
  if (IsFirstDecade() && GameClock().hour <= 23) {
    const int32_t r = static_cast<int32_t>(ai.Draw() % 101);
    const int32_t share = g_PeopleCount > 0 ? inside * 100 / g_PeopleCount : 0;
    cheapOnly = static_cast<int32_t>(static_cast<float>(share) * 0.25f) < r;
  }
  const bool day = ai.DayWindowOpen(), night = ai.NightWindowOpen();
  for (int32_t block = 0; block < kBlockCount; ++block) {
    if (!QualifiesForBuilding(ai, block)) continue;
    if (cheapOnly && GetBlock(block)->Prestige > 3.9f) continue;
    if (day && !IsDayBlock(block)) continue;
    if (!day && night && !ai.TradesAtNight() && !IsNightBlock(block)) continue;
    if (!CanPlacePeriodBusiness(ai, block)) continue;
    const int32_t e = CountFreeEdgeLots(block);
    const int32_t f = GetBlockUsedArea(block);
    if (e == 0) continue;
    if (kLotCount - f - e <= 0) continue;
    // The used area counts once, not twice: every block of the starting city
    // already stands on 30 of its 49 lots, and a double weight would rule
    // them all out however much room their edges have.
    int32_t score = GetNumResidentsInBlock(block) + e - f + 98;
    if (ai.ownedBlocks[block]) score += GetNumOtherBlocksOwnedInDistrictForPlayer(block, ai.index) * 20 + 100;
    if (score > 59) out.push_back({block, score});
  }
}

void CentreScoring(CPlayerAI& ai, std::vector<Candidate>& out) {
  const uint32_t r = ai.Draw();
  const bool night = !ai.DayWindowOpen() && ai.NightWindowOpen();
  for (int32_t block = 0; block < kBlockCount; ++block) {
    if (!QualifiesForBuilding(ai, block) || IsBlockEmpty(block)) continue;
    if (night ? !ai.TradesAtNight() && !IsNightBlock(block) : !IsDayBlock(block)) continue;
    const bool bold = r % 101 > 80;
    if (!bold && PrestigeBand(ai.characterRow) < static_cast<int32_t>(GetBlock(block)->Prestige)) continue;
    if (!CanPlacePeriodBusiness(ai, block, true)) continue;
    const int32_t e = CountFreeEdgeLots(block);
    const int32_t used = GetBlockUsedArea(block);
    if (e == 0 || kLotCount - used == e) continue;
    const int32_t c = CentreCoverage(block, night);
    if (c == 0 || c == 100) continue;
    int32_t mine = 0, theirs = 0;
    CountPeriodBusinesses(ai, block, mine, theirs);
    int32_t score = e + GetNumResidentsInBlock(block) + c - used + 49;
    if (mine > 0) score += 25 * mine;
    if (theirs > 0) score += 5 * theirs;
    if (ai.ownedBlocks[block]) score += GetNumOtherBlocksOwnedInDistrictForPlayer(block, ai.index) * 20 + 100;
    if (score >= 60) out.push_back({block, score});
  }
}

}  // namespace

int32_t ChooseBusinessBlock(CPlayerAI& ai, int32_t& kind) {
  std::vector<Candidate> list;
  kind = 3;
  if (ai.centreMode) {
    CentreScoring(ai, list);
    if (!list.empty()) kind = 4;
  }
  if (list.empty()) GeneralScoring(ai, list);
  if (list.empty()) return -1;
  auto byScore = [](const Candidate& a, const Candidate& b) { return a.score > b.score; };
  std::stable_sort(list.begin(), list.end(), byScore);
  const int32_t cut = static_cast<int32_t>(static_cast<float>(list.front().score) * 0.75f);
  list.erase(std::remove_if(list.begin(), list.end(), [cut](const Candidate& c) { return c.score < cut; }), list.end());
  return list[ai.Draw() % list.size()].block;
}

int32_t CountFreeEdgeLots(int32_t block) {
  const CBlock* b = GetBlock(block);
  if (b == nullptr) return 0;
  int32_t n = 0;
  for (int32_t k = 0; k < kLotsPerSide; ++k) {
    n += b->Lots[k][kLotsPerSide - 1] == 0;  // edge 1
    n += b->Lots[kLotsPerSide - 1][k] == 0;  // edge 2
    n += b->Lots[k][0] == 0;                 // edge 3
    n += b->Lots[0][k] == 0;                 // edge 4
  }
  return n;
}

void EdgeOrder(int32_t start, bool clockwise, int32_t out[5]) {
  start = std::clamp(start, 1, 4);
  out[0] = out[4] = start;
  for (int32_t i = 1; i < 4; ++i) {
    const int32_t step = clockwise ? i : -i;
    out[i] = ((start - 1 + step) % 4 + 4) % 4 + 1;
  }
}

bool FindLotOnBlockEdge(CPlayerAI& ai, int32_t block, int32_t& x, int32_t& y, int32_t& width, int32_t& depth) {
  const CBlock* b = GetBlock(block);
  if (b == nullptr || width < 1 || depth < 1) return false;
  if (ai.preferredEdge <= 0) ai.preferredEdge = static_cast<int32_t>(ai.Draw() % 4) + 1;
  int32_t order[5];
  EdgeOrder(ai.preferredEdge, ai.edgeClockwise, order);
  for (int32_t edge : order) {
    const LotShape s = Turned(edge, width, depth);
    if (ScanEdge(*b, edge, s, ai.edgeClockwise, x, y)) {
      width = s.width;
      depth = s.depth;
      return true;
    }
  }
  return false;
}

bool FitsOnBlockEdges(int32_t block, int32_t width, int32_t depth) {
  const CBlock* b = GetBlock(block);
  if (b == nullptr || width < 1 || depth < 1) return false;
  int32_t x, y;
  for (int32_t edge = 1; edge <= 4; ++edge)
    if (ScanEdge(*b, edge, Turned(edge, width, depth), false, x, y)) return true;
  return false;
}

bool CanPlaceType(int32_t type, int32_t block) {
  for (const LotShape& s : GetFootprintShapes(type))
    if (FitsOnBlockEdges(block, s.width, s.depth)) return true;
  return false;
}

bool CanPlacePeriodBusiness(const CPlayerAI& ai, int32_t block, bool vacantOnly) {
  const bool day = ai.DayWindowOpen();
  if (!day && !ai.NightWindowOpen()) return false;
  bool emptySlot = false;
  if (vacantOnly) {
    const CBlock* b = GetBlock(block);
    for (const CBuilding* building = b ? b->FirstBuilding : nullptr; building; building = building->Next)
      emptySlot |= building->BusinessIndex < 0 && building->Kind != kKindLandscape;
  }
  if (emptySlot) return false;
  // Shops share their band's shapes: each band is tried once.
  int8_t bandFits[5] = {-1, -1, -1, -1, -1};
  for (int32_t type = 0; type < kBusinessTypeCount; ++type) {
    const BusinessType* row = GetBusinessType(type);
    if (row == nullptr || !row->Available || row->Kind != kBusinessShop || IsDayBusiness(type) != day) continue;
    int8_t& fits = bandFits[std::min<uint8_t>(row->FootprintBand, 4)];
    if (fits < 0) fits = CanPlaceType(type, block) ? 1 : 0;
    if (fits == 1) return true;
  }
  return false;
}

int32_t ChooseFrontage(CPlayerAI& ai, int32_t block) {
  const CBlock* b = GetBlock(block);
  if (b == nullptr) return 0;
  std::vector<int32_t> edges;
  int32_t x, y;
  for (int32_t edge : {3, 1, 4, 2})
    if (ScanEdge(*b, edge, {1, 1}, false, x, y)) edges.push_back(edge);
  if (edges.empty()) return 0;
  if (edges.size() == 1) return edges.front();
  return edges[ai.Draw() % edges.size()];
}

int32_t CharacterLotBand(int32_t character) {
  const int32_t a = static_cast<int32_t>(static_cast<float>(CharacterOffset(character) + 1000) * 0.0035f);
  if (a < 0) return 0;
  constexpr int32_t kBands[5] = {12, 10, 9, 8, 6};
  return kBands[std::min(a, 4)];
}

float CharacterLotScale(int32_t character) {
  return static_cast<float>(CharacterOffset(character) + 1000) * 0.005f;
}

void FitBusinessToDemand(CPlayerAI& ai, int32_t& size, int32_t& floors) {
  const BusinessType* row = GetBusinessType(ai.plan.businessType);
  if (row == nullptr) return;
  int64_t demand = 0;
  for (int32_t i = 0; i < row->CommodityCount && i < kMaxTypeCommodities; ++i)
    demand += GetCommodityResidentDemand(g_TypeCommodities[static_cast<size_t>(ai.plan.businessType)][static_cast<size_t>(i)].Commodity);
  if (row->CommodityCount == 0 || demand <= 0) {
    size = floors = 0;
    return;
  }
  const int32_t players = std::max(PlayerTable().ActiveCount(), 1);
  const int32_t g = (CharacterOffset(ai.characterRow) + 1000) / std::max(2000 / players, 1);
  const float rate = std::max(row->StockCapacity, 0.01f);
  const int32_t h = static_cast<int32_t>(static_cast<float>(g > 0 ? demand / g : demand) / rate);
  if (h < 1) return;
  const AiCharacter* c = ai.Character();
  // A builder of towers meets a small demand with a smaller footprint, down
  // to its smallest, and keeps its floors.
  const bool tall = c != nullptr && c->BuildsTall();
  const AiFootprintRow* f = c ? &c->footprints[std::min<uint8_t>(row->FootprintBand, 4)] : nullptr;
  const int32_t limit = f ? f->preferences[tall ? 0 : 2] : size;
  for (int32_t step = 0; step < 21 && h < floors * size; ++step) {
    if (limit < size)
      --size;
    else if (row->MinHeight < floors && !tall)
      --floors;
    else
      break;
    size = std::max(size, std::max(row->MinArea, 1));
  }
}

bool ShouldBuildDayOrNightCentre(CPlayerAI& ai) {
  int32_t homeward = 0;
  for (int32_t i = 0; i < g_PeopleCount; ++i)
    homeward += g_PersonCycles[static_cast<size_t>(i)].State == kStateGoingHome;
  if (homeward <= 10 || g_PeopleCount <= 0) return false;
  const float x = static_cast<float>(CharacterOffset(ai.characterRow) + 1000) * 0.05f;
  const int32_t share = homeward * 100 / g_PeopleCount;
  if (IsFirstDecade() && GameClock().hour <= 23) {
    const int32_t r1 = static_cast<int32_t>(ai.Draw() % 101);
    if (r1 < share) {
      const int32_t r2 = static_cast<int32_t>(ai.Draw() % 101);
      if (static_cast<float>(r2) < x && !Marked(ai, ai.plan.chosenBlock)) return true;
    }
  }
  if (GetUnmetDemandTotal() >= 250 || share <= 10 || ai.money < 1000.0f) return false;
  const int32_t needed = static_cast<int32_t>(x * 60.0f * 0.01f + 20.0f) * kLotCount / 100;
  return GetBlockUsedArea(ai.plan.chosenBlock) >= needed;
}

bool IsTypeSaturatedOnBlock(int32_t block, int32_t type) {
  int32_t stock = 0, sales = 0, cost = 0;
  ForEachStandingBusiness(block, [&](const CBusiness& b, const CBuilding&) {
    if (b.Type != type) return;
    for (int32_t i = 0; i < b.SlotCount(); ++i) stock += b.Slots[i].Stock;
    sales += b.GetLastDaySales();
    cost += GetSetupCostForArea(b.GetFootprintUnits(), type);
  });
  if (IsFirstDecade() && GameClock().hour <= 23) return stock == 0;
  return sales >= cost;
}

bool IsCommodityUnserved(int32_t commodity) {
  const int32_t type = GetBusinessTypeSelling(commodity);
  if (type < 0) return true;
  for (int32_t block = 0; block < kBlockCount; ++block)
    if (AiBlockBusinessTypeCount(block, type) > 0) return false;
  return true;
}

// The share of the period's shop types (available ones) with a business on the block.
int32_t CentreCoverage(int32_t block, bool night) {
  int32_t types = 0, present = 0;
  for (int32_t type = 0; type < kBusinessTypeCount; ++type) {
    const BusinessType* row = GetBusinessType(type);
    if (row == nullptr || !row->Available || row->Kind != kBusinessShop || IsDayBusiness(type) == night) continue;
    ++types;
    present += AiBlockBusinessTypeCount(block, type) > 0;
  }
  return types > 0 ? present * 100 / types : 0;
}

