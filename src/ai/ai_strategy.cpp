// The computer player's strategies: every five seconds of game time a player
// without one weighs expanding against a one-off block purchase, and picks
// a strategy (expand, consolidate, panic, wait for the morning), then the
// tactic that carries it out (a day or night shopping centre on a chosen
// block, a block bought outright, landscaping, raising cash, selling off).
// Each later decision checks the running tactic's progress and ends it when
// it is done or can go no further.
#include <algorithm>
#include <vector>

#include "ai/ai_strategy.h"
#include "ai/ai_actions.h"
#include "ai/ai_development.h"
#include "ai/ai_sites.h"
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
#include "engine/core/error.h"
#include "session/auction.h"
#include "session/game_clock.h"
#include "session/session_services.h"
#include "session/session_state.h"

namespace {

constexpr uint32_t kDecisionPeriod = 125;
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
constexpr const char* kSubTacticNames[] = {"Creating high demand businesses.",
                                           "Creating low prestige businesses.",
                                           "Creating high prestige businesses.",
                                           "Tweaking businesses, checking blocks",
                                           "Tweaking businesses only.",
                                           "Selling off low profit clumps first.",
                                           "Selling off most valuable first.",
                                           "Selling off low profit clumps first.",
                                           "Selling off most valuable first.",
                                           "N/A..."};

bool ValidBlockId(int32_t block) { return block >= 0 && block < kBlockCount; }

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
  ai.plan.subTactic = 9;
}

const char* StrategyText(const CPlayerAI& ai) {
  const int32_t s = ai.plan.strategy;
  return s >= 0 && s < 7 ? kStrategyNames[s] : "";
}

const char* TacticText(const CPlayerAI& ai) {
  const int32_t t = ai.plan.tactic;
  return t >= 0 && t < 10 ? kTacticNames[t] : "";
}

const char* SubTacticText(const CPlayerAI& ai) {
  const int32_t t = ai.plan.subTactic;
  return t >= 0 && t < 10 ? kSubTacticNames[t] : "";
}

void AbandonStrategy(CPlayerAI& ai) {
  Services().game->TriggerEvent("Kill_TAC_Timetable", 0, ai.characterRow);
  ai.mode = kAiNewStrategy;
  if (AiCharacter* c = ai.Character()) c->cursors[kTimetableTactic] = 0;
  ai.liveToday[kTimetableTactic] = 0;
  ai.plan = AiPlanState{};
  ResetStrategyTexts(ai);
}

bool IsStillInGame(const CPlayerAI& ai) {
  if (ai.money - ai.committedCash >= 100.0f || ai.QueuedMessages() > 0) return true;
  return GetNumBusinessesOwned(ai.index) + ai.CountRegisteredBlocks() > 0;
}

bool CheckAuctionWait(CPlayerAI& ai) {
  // A player whose debt deadline is near must choose the panic strategy at
  // once: waiting out back-to-back auctions would let the deadline pass.
  if (MustPanic(ai)) {
    if (ai.mode == kAiAuctionWait) AbandonStrategy(ai);
    return false;
  }
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

void ResetPlan(CPlayerAI& ai) {
  const int32_t tactic = ai.plan.tactic, sub = ai.plan.subTactic;
  ai.plan = AiPlanState{};
  ai.plan.tactic = tactic;
  ai.plan.subTactic = sub;
}

bool IsCashShortBeforeDeadline(const CPlayerAI& ai) {
  if (!ai.warned24h) return false;
  const AiDifficultyRow* row = ai.DifficultyRow();
  const int32_t hour = GameClock().hour;
  const int32_t t = (GetDebtHoursLeft(ai.index) > 0 ? 24 : 48) - hour;
  const float floor = row ? static_cast<float>(row->cashFloor) : 0.0f;
  return floor > ai.money + static_cast<float>(t * static_cast<int32_t>(ai.own.worth * 0.071428575f));
}

bool MustPanic(const CPlayerAI& ai) {
  if (!ai.warned24h || !IsCashShortBeforeDeadline(ai)) return false;
  const AiDifficultyRow* row = ai.DifficultyRow();
  const int32_t hoursLeft = std::max(GetDebtHoursLeft(ai.index), 0);
  return row != nullptr && hoursLeft >= 1 && hoursLeft <= row->panicHours;
}

// Still the city's (its railroads and utilities included), ownable, and
// without a standing refusal.
bool IsOneOffCandidate(const CPlayerAI& ai, int32_t block) {
  const CBlock* b = GetBlock(block);
  return b != nullptr && IsOwnable(block) && b->Owner == 0 && !ai.ownedBlocks[block] &&
         !ai.HasStandingRejection(block);
}

bool ChooseOneOffPurchase(CPlayerAI& ai) {
  if (AuctionBusy()) return false;
  const AiDifficultyRow* row = ai.DifficultyRow();
  const float funds = ai.money + (row ? static_cast<float>(row->Value(9)) : 0.0f);
  int32_t percent = static_cast<int32_t>(static_cast<float>(CharacterOffset(ai.characterRow) + 1000) * 0.01f + 100.0f);
  if (ai.warned24h) percent -= 24 - GetDebtHoursLeft(ai.index);
  struct Candidate {
    int32_t block;
    float value;
  };
  std::vector<Candidate> list;
  for (int32_t block = 0; block < kBlockCount; ++block) {
    if (!IsOneOffCandidate(ai, block)) continue;
    const CBlock* b = GetBlock(block);
    ai.plan.chosenBlock = block;
    int32_t whole = 0;
    const float value = ai.GetScore(kScoreChosenBlockAgain, whole);
    if (value >= b->GetLeasePrice() + 200.0f) list.push_back({block, value});
  }
  ai.plan.chosenBlock = -1;
  if (list.empty()) return false;
  std::stable_sort(list.begin(), list.end(), [](const Candidate& a, const Candidate& b) { return a.value > b.value; });
  const float highest = list.front().value;
  const int32_t budget = static_cast<int32_t>(static_cast<float>(percent) * funds) / 100;
  ai.plan.spendLimit = static_cast<int32_t>(std::min(highest, static_cast<float>(budget)));
  const float keep = highest * static_cast<float>(PurchasePercent(ai.characterRow)) * 0.01f;
  list.erase(std::remove_if(list.begin(), list.end(), [keep](const Candidate& c) { return c.value < keep; }), list.end());
  ai.plan.chosenBlock = list[ai.Draw() % list.size()].block;
  ai.plan.planKind = 2;
  ai.plan.strategy = 0;
  ai.plan.oneOff = true;
  return true;
}

bool ChooseOwnBlockForCentre(CPlayerAI& ai) {
  const bool day = ai.DayWindowOpen(), night = ai.NightWindowOpen();
  for (int32_t block = kBlockCount - 1; block >= 0; --block) {
    if (!ai.ownedBlocks[block] || IsNonPropertyBlock(block)) continue;
    if (GetBlock(block)->BuildingRights == kRightsPreparing) continue;  // locked until its rights are granted
    // A block with no room for the period's trade would be chosen again at
    // every decision, and no other block ever tried.
    if (!CanPlacePeriodBusiness(ai, block)) continue;
    if (!((day && IsDayBlock(block)) || (night && IsNightBlock(block)))) continue;
    ai.plan.strategy = 0;
    ai.plan.chosenBlock = block;
    ai.plan.planKind = 4;
    return true;
  }
  return false;
}

bool ChooseDayOrNightBlock(CPlayerAI& ai) {
  int32_t block = -1;
  if (ai.DayWindowOpen()) block = ChooseAdjacentDayBlock(ai);
  if (block < 0 && ai.NightWindowOpen()) {
    block = ChooseAdjacentNightBlock(ai);
    if (block >= 0) ai.plan.nightCentre = true;
  }
  if (block < 0) return false;
  ai.plan.planKind = 4;
  ai.plan.chosenBlock = block;
  ai.plan.strategy = 0;
  return true;
}

namespace {

bool UseBlockChooser(CPlayerAI& ai) {
  // Once it trades somewhere the player grows its centres (blocks that
  // already hold some of the period's trade) before it opens new ground.
  ai.centreMode = GetNumBusinessesOwned(ai.index) > 0;
  int32_t kind = 0;
  const int32_t block = ChooseBusinessBlock(ai, kind);
  if (block < 0) return false;
  ai.plan.planKind = kind == 3 || kind == 4 ? kind : 0;
  if (kind == 4) ai.plan.nightCentre = !ai.DayWindowOpen() && ai.NightWindowOpen();
  ai.plan.chosenBlock = block;
  ai.plan.strategy = 0;
  return true;
}

}  // namespace

void SelectStrategy(CPlayerAI& ai) {
  ResetPlan(ai);
  ai.RefreshStandings(false);
  const bool day = ai.DayWindowOpen();
  const bool night = ai.NightWindowOpen();
  if (ai.pendingReply >= 0) return;
  const int32_t w = WeighStrategies(ai.ScoringState());
  AiPlanState& p = ai.plan;
  if (MustPanic(ai)) {
    p.strategy = 4;
    return;
  }
  if (ai.money < ai.own.cashThreshold) {
    p.cashGoal = static_cast<int32_t>(ai.own.cashThreshold);
    p.hoursConsolidating = 0;
    p.strategy = 1;
    return;
  }
  const int32_t landscape = FindBlockToLandscape(ai);
  if (landscape >= 0 && ai.ownedBlocks[landscape]) {
    p.chosenBlock = landscape;
    p.planKind = 5;
    p.strategy = 0;
    return;
  }
  if (!day && !night) {
    p.strategy = GameClock().hour < 6 ? 5 : 6;
    return;
  }
  // A player that runs all the businesses its character allows has nothing
  // to expand into: it consolidates, tending what it runs, until one closes
  // or a day has passed, rather than looking for a site every hour. A
  // one-off purchase may still be weighed.
  if (w != kWeighOneOff && AtBusinessLimit(ai)) {
    p.holdingAtLimit = true;
    p.hoursConsolidating = 0;
    p.strategy = 1;
    return;
  }
  if (w == kWeighExpand) {
    bool found = false;
    if (ai.dayCount == 0 && !ai.dayZeroCentrePlanned) {
      found = UseBlockChooser(ai);
      ai.dayZeroCentrePlanned = found;
    }
    if (!found) found = ChooseOwnBlockForCentre(ai) || ChooseDayOrNightBlock(ai) || UseBlockChooser(ai);
    // No block it may build on has room for the period's trade: once the
    // city's frontage is built up that stays so for days. A player that runs
    // businesses consolidates for a few hours, as one at its limit does,
    // rather than finding no strategy every five seconds.
    if (!found && GetNumBusinessesOwned(ai.index) > 0) {
      p.holdingWithoutRoom = true;
      p.hoursConsolidating = 0;
      p.strategy = 1;
      return;
    }
    if (!found) {
      p.strategy = 6;
      return;
    }
    p.coin = ai.Draw() % 101 > 50;
    int32_t whole = 0;
    p.planScore = static_cast<int32_t>(ai.GetScore(kScoreChosenBlock, whole));
    ai.oneOffAttempts = 0;
    ai.secondAttempts = 0;
    p.strategy = 0;
    return;
  }
  if (w == kWeighOneOff && ai.updateCount == 20) {
    if (ai.oneOffAttempts < 200) ++ai.oneOffAttempts;
    if (ChooseOneOffPurchase(ai)) {
      ai.oneOffAttempts = 0;
      ai.secondAttempts = 0;
      p.strategy = 0;
    } else {
      p.strategy = 6;
    }
    return;
  }
  p.strategy = 6;
}

int32_t GetExpansionTactic(CPlayerAI& ai) {
  AiPlanState& p = ai.plan;
  switch (p.planKind) {
    case 2:
      return 2;
    case 3:
    case 4:
      if (!ValidBlockId(p.chosenBlock)) ReportError(1, 0, "GetExpansionTactic: Invalid chosen_block");
      return ai.DayWindowOpen() ? 0 : ai.NightWindowOpen() ? 1 : 5;
    case 5:
      if (!ValidBlockId(p.chosenBlock) || !ai.ownedBlocks[p.chosenBlock])
        ReportError(1, 0, "GetExpansionTactic: Should not be landscaping!");
      return 3;
    default:
      if (!ai.DayWindowOpen() && !ai.NightWindowOpen()) return 5;
      AbandonStrategy(ai);
      return -1;
  }
}

void SetTacticForStrategy(CPlayerAI& ai) {
  SelectStrategy(ai);
  AiPlanState& p = ai.plan;
  switch (p.strategy) {
    case 0: {
      const int32_t tactic = GetExpansionTactic(ai);
      if (tactic >= 0) p.tactic = tactic;
      break;
    }
    case 1: p.tactic = 4; break;
    case 2: break;
    case 3: p.tactic = 7; break;
    case 4:
      ChooseSellOffAssets(ai.ScoringState(), ai.sellOffList);
      p.tactic = 6;
      break;
    case 5: p.tactic = 5; break;
    default: p.tactic = 9; break;
  }
  switch (p.tactic) {
    case 0: case 1: p.subTactic = 0; break;
    case 2: case 3: case 5: p.subTactic = 9; break;
    case 4: p.subTactic = 4; break;
    case 6: p.subTactic = 7; break;
    case 7: p.subTactic = 6; break;
    case 8: p.subTactic = -1; break;
    case 9:
      AbandonStrategy(ai);
      p.subTactic = -1;
      break;
    default: break;
  }
}

bool ExecuteTactic(CPlayerAI& ai) {
  AiPlanState& p = ai.plan;
  auto run = [&ai] {
    ai.mode = kAiRunStrategy;
    ai.returnState = kAiRunStrategy;
  };
  switch (p.tactic) {
    case 0:
    case 1:
      if (p.chosenBlock < 0) return false;
      run();
      p.dayCentre = p.tactic == 0 && !ai.TradesAtNight();
      p.centrePeriod = p.tactic;
      p.tacticStage = 3;
      LoadNewTimetable(ai, p.tactic);
      ai.workFlags |= kWorkFootprint;
      return true;
    case 2: {
      const CBlock* b = GetBlock(p.chosenBlock);
      if (p.chosenBlock < 0 || b == nullptr || ai.ownedBlocks[p.chosenBlock] || p.spendLimit < 1) return false;
      p.bidPlaced = true;
      p.purchasePrice = static_cast<int32_t>(b->GetLeasePrice());
      ai.mode = kAiBuyBlock;
      ai.returnState = kAiRunStrategy;
      p.oneOffBlock = p.chosenBlock;
      p.countdown = kOneOffDecisions;
      p.countdownActive = true;
      return true;
    }
    case 3:
      if (p.chosenBlock < 0) {
        AbandonStrategy(ai);
        return false;
      }
      if (!ai.ownedBlocks[p.chosenBlock]) ReportError(1, 0, "ExecuteLandscapeBlock: Player does not own the block");
      run();
      p.tacticStage = 3;
      LoadNewTimetable(ai, 3);
      ai.workFlags |= kWorkFootprint;
      return true;
    case 4:
      run();
      p.cashTarget = static_cast<int32_t>(ai.own.cashThreshold);
      LoadNewTimetable(ai, 4);
      return true;
    case 5:
      run();
      LoadNewTimetable(ai, 5);
      return false;
    case 6:
    case 7:
      run();
      if (p.subTactic == 7) {
        ChooseSellOffAssets(ai.ScoringState(), ai.sellOffList);
        return true;
      }
      return false;
    case 8:
      return false;
    default:
      AbandonStrategy(ai);
      return false;
  }
}

namespace {

void CheckProgressShoppingCentre(CPlayerAI& ai) {
  AiPlanState& p = ai.plan;
  if (ai.money < ai.own.cashThreshold) {
    AbandonStrategy(ai);
  } else if (p.centreDone || p.nothingToBuild || !ValidBlockId(p.chosenBlock)) {
    // A centre whose own block has no room left for another business is
    // finished: the block is marked, so no centre is planned there again and
    // its leftover lots may be landscaped.
    const bool full = p.centreDone || (p.nothingToBuild && p.blockFull);
    if (full && ValidBlockId(p.chosenBlock) && ai.ownedBlocks[p.chosenBlock])
      ai.markedBlocks |= uint64_t{1} << p.chosenBlock;
    AbandonStrategy(ai);
  } else if (p.oneOff) {
    if (p.planStarted) {
      if (p.chosenBlock < 64) ai.markedBlocks |= uint64_t{1} << p.chosenBlock;
      AbandonStrategy(ai);
    } else if (ai.money >= static_cast<float>(p.cashTarget)) {
      AbandonStrategy(ai);
    }
  } else if (p.tactic == 0 ? !ai.DayWindowOpen() : !ai.NightWindowOpen()) {
    AbandonStrategy(ai);
  }
}

void CheckProgressOneOffBuyBlock(CPlayerAI& ai) {
  AiPlanState& p = ai.plan;
  if (!ValidBlockId(p.oneOffBlock)) {
    AbandonStrategy(ai);
    return;
  }
  if (p.countdownActive && p.countdown > 0) --p.countdown;
  if (ai.HasStandingRejection(p.oneOffBlock) || p.rejected || (p.countdownActive && p.countdown == 0 &&
                                                               AuctionBlock() != p.oneOffBlock)) {
    AbandonStrategy(ai);
    return;
  }
  if (ai.mode == kAiAuctionWait) {
    p.planKind = 2;
    return;
  }
  if (!ai.ownedBlocks[p.oneOffBlock]) return;  // the request or its auction is still out
  // Bought: a centre on the new block, or on the best other one.
  const int32_t bought = p.oneOffBlock;
  p.chosenBlock = -1;
  p.oneOff = false;
  ai.oneOffAttempts = 0;
  if (!ChooseDayOrNightBlock(ai)) {
    p.chosenBlock = bought;
    p.planKind = 3;
  }
  p.strategy = 0;
  const bool day = ai.DayWindowOpen(), night = ai.NightWindowOpen();
  if (!day && !night) {
    AbandonStrategy(ai);
    return;
  }
  p.planStarted = true;
  p.tactic = day ? 0 : 1;
  p.oneOffBlock = -1;
  ExecuteTactic(ai);
}

void CheckProgressLandscape(CPlayerAI& ai) {
  const AiPlanState& p = ai.plan;
  const bool going = !p.oneOff && ValidBlockId(p.chosenBlock) && ai.ownedBlocks[p.chosenBlock] &&
                     GetLandscapeLotsNeeded(p.chosenBlock) > 0 && !p.nothingToBuild;
  if (!going) AbandonStrategy(ai);
}

constexpr int32_t kHoursHeldAtLimit = 24;
constexpr int32_t kHoursHeldWithoutRoom = 4;

void CheckProgressRaiseCash(CPlayerAI& ai) {
  const AiPlanState& p = ai.plan;
  const bool done = p.holdingWithoutRoom ? p.hoursConsolidating >= kHoursHeldWithoutRoom
                    : p.holdingAtLimit   ? !AtBusinessLimit(ai) || p.hoursConsolidating > kHoursHeldAtLimit
                                         : static_cast<float>(p.cashGoal) > ai.own.worth ||
                                           ai.money >= static_cast<float>(p.cashGoal) || p.hoursConsolidating > 48;
  const AiDifficultyRow* row = ai.DifficultyRow();
  if (ai.warned24h && row != nullptr) {
    const int32_t c = GetDebtHoursLeft(ai.index) > 0 ? 24 : 48;
    const bool shortOfCash =
        static_cast<float>(row->cashFloor) >
        ai.money + static_cast<float>((c - GameClock().hour) * static_cast<int32_t>(ai.own.worth * 0.071428575f));
    const int32_t left = GetDebtHoursLeft(ai.index);
    if (shortOfCash && left >= 1 && left <= row->panicHours) {
      AbandonStrategy(ai);
      ai.raiseCashHours = 12;
      return;
    }
  }
  if (done) {
    AbandonStrategy(ai);
    ai.raiseCashHours = 12;
  }
}

void CheckProgressForSellOff(CPlayerAI& ai) {
  const AiDifficultyRow* row = ai.DifficultyRow();
  const float floor = row ? static_cast<float>(row->cashFloor) : 0.0f;
  while (ai.money <= floor && !ai.sellOffList.empty()) {
    const SellOffCandidate entry = ai.sellOffList.front();
    RemoveAsset(ai.sellOffList, entry.Kind, entry.Id);
    switch (entry.Kind) {
      case kAssetBlock:
        AddAction_SellBlock(ai, entry.Id);
        break;
      case kAssetRetail:
      case kAssetResidence: {
        const CBusiness* b = GetBusinessInUse(entry.Id);
        const CBuilding* building = b ? b->GetBuilding() : nullptr;
        AddAction_SellBusiness(ai, entry.Id, building && building->Block ? building->Block->Index : -1);
        break;
      }
      case kAssetNone:
        AbandonStrategy(ai);
        return;
      default:
        ReportError(1, 0, "CheckProgressForSellOff -- Unrecognised Sell-Offtype");
        break;
    }
  }
  if (ai.sellOffList.empty() || ai.money > floor) AbandonStrategy(ai);
}

}  // namespace

void RunTacticProgressCheck(CPlayerAI& ai) {
  switch (ai.plan.tactic) {
    case 0:
    case 1:
      CheckProgressShoppingCentre(ai);
      break;
    case 2:
      CheckProgressOneOffBuyBlock(ai);
      break;
    case 3:
      CheckProgressLandscape(ai);
      break;
    case 4:
      CheckProgressRaiseCash(ai);
      break;
    case 5:
      if (ai.DayWindowOpen() || GameClock().hour == 6) AbandonStrategy(ai);
      break;
    case 6:
    case 7:
      CheckProgressForSellOff(ai);
      break;
    default:
      AbandonStrategy(ai);
      break;
  }
}

// ---- Housekeeping jobs of the planner ------------------------------------------------

int32_t ChooseReplacementBusiness(CPlayerAI& ai, const CBusiness& business) {
  const CBuilding* building = business.GetBuilding();
  if (building == nullptr || building->Block == nullptr) return -1;
  const AiPlanState saved = ai.plan;
  ai.plan.chosenBlock = building->Block->Index;
  ai.plan.dayCentre = IsDayBusiness(business.Type) || business.Kind != kBusinessShop;
  const int32_t type = ChooseBusinessForCentre(ai, -1);
  ai.plan = saved;
  return type;
}

void RunBlockPurchaseCheck(CPlayerAI& ai) { NominateBlockForAuction(ai); }
void RunRentReview(CPlayerAI& ai) { RepriceBusinesses(ai); }
