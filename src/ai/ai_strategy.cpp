// The computer player's plain planner: every five seconds of game time it
// looks for something to do. With a block of its own that has room, it
// fills it with the business the city lacks most (shops by day, the night
// trade by night, homes as its character likes); otherwise, once settled,
// it asks for the best-scoring block it can afford, which the city puts up
// for auction. Its character's traits steer both choices.
#include <algorithm>
#include <vector>

#include "ai/ai_strategy.h"
#include "ai/business_valuation.h"
#include "ai/computer_player.h"
#include "ai/district_queries.h"
#include "ai/scoring_terms.h"
#include "ai/set_scores.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/city_demand.h"
#include "session/auction.h"
#include "session/game_clock.h"
#include "session/session_services.h"
#include "session/session_state.h"

namespace {

constexpr uint32_t kDecisionPeriod = 125;
constexpr int32_t kLandscapeType = 44;
constexpr int32_t kCentreMarkerType = 42;
constexpr int32_t kOneOffDecisions = 40;  // decisions a one-off purchase may wait for its answer

constexpr const char* kStrategyNames[] = {"Expanding Empire", "Consolidating.", "Hindering.", "Go for objective.",
                                          "24hr warning panic!", "Wait for 6am", "No Strategy!"};
constexpr const char* kTacticNames[] = {"Creating day shopping centre.",
                                        "Creating night shopping centre.",
                                        "Buy block - one off",
                                        "Landscap my block",
                                        "Raising cash-level",
                                        "Waiting for 6am...",
                                        "Selling part of empire(24hr warning)",
                                        "Dumping the lot.(Going for objective)",
                                        "Selling property for objective",
                                        "Waiting for suitable strategy"};

bool ValidBlockId(int32_t block) { return block >= 0 && block < kBlockCount; }

bool BlockReady(const CPlayerAI& ai, int32_t block) {
  const CBlock* b = GetBlock(block);
  return b != nullptr && ai.ownedBlocks[block] && b->BuildingRights != kRightsPreparing && AuctionBlock() != block;
}

int32_t BuildingKindFor(int32_t type) {
  const BusinessType* row = GetBusinessType(type);
  if (row == nullptr) return kKindRetail;
  return row->Kind == kBusinessResidence ? kKindResidential : row->Kind == kBusinessLandscape ? kKindLandscape
                                                                                             : kKindRetail;
}

// The lots a character likes a business of the band to cover.
int32_t PreferredArea(const CPlayerAI& ai, const BusinessType& row) {
  const AiCharacter* c = ai.Character();
  const uint8_t band = std::min<uint8_t>(row.FootprintBand, 4);
  int32_t area = c ? c->footprints[band].preferences[0] : 0;
  if (area <= 0) area = row.MinArea;
  return std::clamp(area, std::max(row.MinArea, 1), std::max(row.MaxArea, std::max(row.MinArea, 1)));
}

// How much the character likes a business kind: its two script traits
// weigh shops and homes.
int32_t KindLiking(const CPlayerAI& ai, int32_t type) {
  const AiCharacter* c = ai.Character();
  const BusinessType* row = GetBusinessType(type);
  if (c == nullptr || row == nullptr) return 0;
  return row->Kind == kBusinessResidence ? c->traits[2] : c->traits[1];
}

}  // namespace

// ---- Cadence and texts -----------------------------------------------------------

uint32_t GetNextDecisionTick(const CPlayerAI& ai) {
  return ai.characterRow >= 0 && ai.characterRow < kAiCharacterRows ? LogicTick() + kDecisionPeriod : 0;
}

uint32_t GetRandomisedActionTime(CPlayerAI& ai) {
  const AiBuildTimes* t = ai.BuildTimes();
  const int64_t first = t ? t->firstDecision : 0;
  const int64_t k = ai.Draw() % 11;
  const int64_t tick = LogicTick();
  const int64_t at = (ai.Draw() & 1) ? tick + first + 25 * k : tick + first - 25 * k;
  return static_cast<uint32_t>(std::max<int64_t>(at, 0));
}

void ResetStrategyTexts(CPlayerAI& ai) {
  ai.plan.strategy = 6;
  ai.plan.tactic = 9;
}

const char* StrategyText(const CPlayerAI& ai) {
  const int32_t s = ai.plan.strategy;
  return s >= 0 && s < 7 ? kStrategyNames[s] : "";
}

const char* TacticText(const CPlayerAI& ai) {
  const int32_t t = ai.plan.tactic;
  return t >= 0 && t < 10 ? kTacticNames[t] : "";
}

void AbandonStrategy(CPlayerAI& ai) {
  Services().game->TriggerEvent("Kill_TAC_Timetable", 0, ai.characterRow);
  ai.mode = kAiNewStrategy;
  if (AiCharacter* c = ai.Character()) c->cursors[kTimetableTactic] = 0;
  ai.plan = AiPlanState{};
  ResetStrategyTexts(ai);
}

bool IsStillInGame(const CPlayerAI& ai) {
  if (ai.money - ai.committedCash >= 100.0f || ai.QueuedMessages() > 0) return true;
  return GetNumBusinessesOwned(ai.index) + ai.CountRegisteredBlocks() > 0;
}

bool CheckAuctionWait(CPlayerAI& ai) {
  if (ai.mode == kAiAuctionWait) {
    ai.plan.auctionSeen = false;
    return true;
  }
  const CAuction* a = CurrentAuction();
  if (a == nullptr || !(a->pending || a->active)) return false;
  const AiDifficultyRow* row = ai.DifficultyRow();
  const int32_t limit = row ? row->Value(11) : 0;
  if (a->countdown < limit || static_cast<float>(ai.plan.spendLimit + 500) >= ai.money) {
    ai.mode = kAiAuctionWait;
    ai.plan.auctionSeen = true;
    return true;
  }
  return false;
}

// ---- Decision ---------------------------------------------------------------------

namespace {

bool ChooseOwnBlockToBuildOn(CPlayerAI& ai) {
  for (int32_t block = kBlockCount - 1; block >= 0; --block) {
    if (!BlockReady(ai, block) || IsNonPropertyBlock(block)) continue;
    ai.plan.chosenBlock = block;
    if (ChooseNextBusinessForChosenBlock(ai) >= 0) return true;
  }
  ai.plan.chosenBlock = -1;
  ai.plan.businessType = -1;
  ai.plan.nothingToBuild = false;
  return false;
}

bool ChooseOneOffPurchase(CPlayerAI& ai) {
  if (AuctionRunning()) return false;
  const float funds = ai.FreeCash();
  int32_t best = -1;
  float bestValue = 0;
  for (int32_t block = 0; block < kBlockCount; ++block) {
    const CBlock* b = GetBlock(block);
    if (b == nullptr || !IsOwnable(block) || b->Owner != 0 || ai.HasStandingRejection(block)) continue;
    if (IsNonPropertyBlock(block) || b->GetLeasePrice() > funds) continue;
    ai.plan.chosenBlock = block;
    int32_t whole = 0;
    const float value = ai.GetScore(kScoreChosenBlockAgain, whole) + static_cast<float>(ai.Draw() % 20);
    if (best < 0 || value > bestValue) {
      best = block;
      bestValue = value;
    }
  }
  ai.plan.chosenBlock = best;
  if (best < 0) return false;
  const float lease = GetBlock(best)->GetLeasePrice();
  const float share = static_cast<float>(100 + PurchasePercent(ai.characterRow)) / 100.0f;
  ai.plan.spendLimit = static_cast<int32_t>(std::min(funds, lease * share));
  ai.plan.planKind = 2;
  ai.plan.oneOff = true;
  ai.plan.strategy = 0;
  return true;
}

}  // namespace

void SetTacticForStrategy(CPlayerAI& ai) {
  ai.plan = AiPlanState{};
  ai.RefreshStandings(false);
  const bool day = ai.DayWindowOpen();
  const bool night = ai.NightWindowOpen();
  if (!day && !night) {
    ai.plan.strategy = GameClock().hour < 6 ? 5 : 6;
    ai.plan.tactic = ai.plan.strategy == 5 ? 5 : 9;
    return;
  }
  if (ChooseOwnBlockToBuildOn(ai)) {
    ai.plan.strategy = 0;
    ai.plan.planKind = day ? 3 : 4;
    ai.plan.tactic = day ? 0 : 1;
    return;
  }
  if (ai.updateCount >= 20 && ChooseOneOffPurchase(ai)) {
    if (ai.oneOffAttempts < 200) ++ai.oneOffAttempts;
    ai.plan.tactic = 2;
    return;
  }
  ai.plan.strategy = 6;
  ai.plan.tactic = 9;
}

bool ExecuteTactic(CPlayerAI& ai) {
  AiPlanState& p = ai.plan;
  switch (p.tactic) {
    case 0:
    case 1:
      if (p.chosenBlock < 0) return false;
      ai.mode = kAiRunStrategy;
      ai.returnState = kAiRunStrategy;
      p.dayCentre = p.tactic == 0;
      p.tacticStage = 3;
      LoadNewTimetable(ai, p.tactic);
      ai.workFlags |= kWorkFootprint;
      return true;
    case 2: {
      const CBlock* b = GetBlock(p.chosenBlock);
      if (b == nullptr || ai.ownedBlocks[p.chosenBlock] || p.spendLimit < 1) return false;
      p.purchasePrice = static_cast<int32_t>(b->GetLeasePrice());
      ai.mode = kAiBuyBlock;
      ai.returnState = kAiRunStrategy;
      p.oneOffBlock = p.chosenBlock;
      p.countdown = kOneOffDecisions;
      return true;
    }
    case 5:
      ai.mode = kAiRunStrategy;
      ai.returnState = kAiRunStrategy;
      LoadNewTimetable(ai, 5);
      return false;
    default:
      AbandonStrategy(ai);
      return false;
  }
}

void RunTacticProgressCheck(CPlayerAI& ai) {
  AiPlanState& p = ai.plan;
  switch (p.tactic) {
    case 0:
    case 1: {
      const bool open = p.tactic == 0 ? ai.DayWindowOpen() : ai.NightWindowOpen();
      if (ai.money < ai.own.cashThreshold || p.nothingToBuild || !open || !BlockReady(ai, p.chosenBlock))
        AbandonStrategy(ai);
      break;
    }
    case 2: {
      if (!ValidBlockId(p.oneOffBlock)) {
        AbandonStrategy(ai);
        break;
      }
      if (p.countdown > 0) --p.countdown;
      if (ai.ownedBlocks[p.oneOffBlock]) {
        ai.oneOffAttempts = 0;
        AbandonStrategy(ai);
      } else if (ai.HasStandingRejection(p.oneOffBlock) || p.rejected ||
                 (p.countdown == 0 && AuctionBlock() != p.oneOffBlock)) {
        AbandonStrategy(ai);
      }
      break;
    }
    case 5:
      if (ai.DayWindowOpen() || GameClock().hour == 6) AbandonStrategy(ai);
      break;
    default:
      AbandonStrategy(ai);
      break;
  }
}

// ---- Development -----------------------------------------------------------------

bool FindBusinessSite(int32_t block, int32_t type, int32_t& x, int32_t& y, int32_t& width, int32_t& depth,
                      int32_t wantedArea) {
  const CBlock* b = GetBlock(block);
  const BusinessType* row = GetBusinessType(type);
  if (b == nullptr || row == nullptr) return false;
  const int32_t minArea = std::max(row->MinArea, 1);
  const int32_t maxSide = std::clamp(row->MaxSide > 0 ? row->MaxSide : kLotsPerSide, 1, kLotsPerSide);
  // Largest shape not above the wanted area first, then smaller ones.
  for (int32_t area = std::max(wantedArea, minArea); area >= minArea; --area)
    for (int32_t w = std::min(maxSide, area); w >= 1; --w) {
      if (area % w != 0) continue;
      const int32_t d = area / w;
      if (d > maxSide) continue;
      for (int32_t px = 0; px + w <= kLotsPerSide; ++px)
        for (int32_t py = 0; py + d <= kLotsPerSide; ++py)
          if (b->IsLotRegionFreeRect(px, py, px + w - 1, py + d - 1)) {
            x = px, y = py, width = w, depth = d;
            return true;
          }
    }
  return false;
}

bool FindBusinessSite(int32_t block, int32_t type, int32_t& x, int32_t& y, int32_t& width, int32_t& depth) {
  const BusinessType* row = GetBusinessType(type);
  return row != nullptr && FindBusinessSite(block, type, x, y, width, depth, row->MinArea);
}

int32_t PickBlockForBusiness(CPlayerAI& ai, int32_t type) {
  std::vector<int32_t> candidates;
  for (int32_t block = 0; block < kBlockCount; ++block) {
    const CBlock* b = GetBlock(block);
    if (b == nullptr || IsNonPropertyBlock(block) || AuctionBlock() == block) continue;
    if (!(b->Owner == 0 && IsOwnable(block)) && b->Owner != ai.index + 1) continue;
    int32_t x, y, w, d;
    if (FindBusinessSite(block, type, x, y, w, d)) candidates.push_back(block);
  }
  if (candidates.empty()) return -1;
  return candidates[ai.Draw() % candidates.size()];
}

int32_t ChooseNextBusinessForChosenBlock(CPlayerAI& ai) {
  AiPlanState& p = ai.plan;
  const int32_t block = p.chosenBlock;
  if (!BlockReady(ai, block)) {
    p.nothingToBuild = true;
    return -1;
  }
  const bool day = ai.DayWindowOpen() || !ai.NightWindowOpen();
  struct Option {
    int64_t weight;
    int32_t type;
  };
  std::vector<Option> options;
  for (int32_t type = 0; type < kBusinessTypeCount; ++type) {
    const BusinessType* row = GetBusinessType(type);
    if (row == nullptr || !row->Available || type == kLandscapeType || type == kCentreMarkerType) continue;
    if (row->Kind == kBusinessShop && IsDayBusiness(type) != day) continue;
    if (GetBlockBusinessTypeCount(block, type) > 0) continue;
    int64_t demand = 0;
    for (int32_t i = 0; i < row->CommodityCount && i < kMaxTypeCommodities; ++i)
      demand += GetCityWideDemand(g_TypeCommodities[type][static_cast<size_t>(i)].Commodity);
    if (row->Kind == kBusinessResidence) demand += GetHomelessCount() * 10;
    const int64_t weight = (demand + 10) * (KindLiking(ai, type) + 1);
    int32_t x, y, w, d;
    if (FindBusinessSite(block, type, x, y, w, d)) options.push_back({weight, type});
  }
  if (options.empty()) {
    p.nothingToBuild = true;
    return -1;
  }
  std::stable_sort(options.begin(), options.end(), [](const Option& a, const Option& b) { return a.weight > b.weight; });
  const size_t pick = ai.Draw() % std::min<size_t>(options.size(), 3);
  p.businessType = options[pick].type;
  return p.businessType;
}

bool PlanBlockDevelopment(CPlayerAI& ai) {
  AiPlanState& p = ai.plan;
  const BusinessType* row = GetBusinessType(p.businessType);
  const AiCharacter* c = ai.Character();
  if (!BlockReady(ai, p.chosenBlock) || row == nullptr || c == nullptr) return false;
  int32_t x, y, w, d;
  if (!FindBusinessSite(p.chosenBlock, p.businessType, x, y, w, d, PreferredArea(ai, *row))) return false;
  const int32_t minFloors = std::max(row->MinHeight, 1);
  const int32_t maxFloors = std::max(row->MaxHeight, minFloors);
  int32_t floors = std::clamp<int32_t>(c->floors[std::min(w * d, 10) - 1], minFloors, maxFloors);
  const CBlock* b = GetBlock(p.chosenBlock);
  const int32_t prestige = static_cast<int32_t>(b->Prestige);
  const int32_t quality = prestige >= 5 ? 2 : prestige >= 3 ? 1 : 0;
  const int32_t kind = BuildingKindFor(p.businessType);
  for (; floors >= minFloors; --floors) {
    const float cost = static_cast<float>(
        EstimateBuildingCost(p.chosenBlock, w * d * floors, kind, p.businessType, static_cast<uint8_t>(quality), ai.index));
    if (ai.FreeCash() - cost < ai.own.cashThreshold || !ai.CanAfford(cost, false)) continue;
    if (!AddAction_ConstructBuilding(ai, p.chosenBlock, kind, p.businessType, quality, cost, x, y, w, d, floors))
      return false;
    IncBlockBusinessTypeCount(p.chosenBlock, p.businessType);
    return true;
  }
  return false;
}

int32_t ChooseReplacementBusiness(CPlayerAI& ai, const CBusiness& business) {
  const CBuilding* building = business.GetBuilding();
  if (building == nullptr || building->Block == nullptr) return -1;
  const AiPlanState saved = ai.plan;
  ai.plan.chosenBlock = building->Block->Index;
  const int32_t type = ChooseNextBusinessForChosenBlock(ai);
  ai.plan = saved;
  return type;
}

// The opportunistic purchase, the rent review and the hotels on completed
// sets belong to the full planner; this one leaves them be.
void RunBlockPurchaseCheck(CPlayerAI&) {}
void RunRentReview(CPlayerAI&) {}
void RunSetBuilding(CPlayerAI&) {}
void RunSetExpansion(CPlayerAI&) {}
