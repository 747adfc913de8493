// The computer players' connection to the session's clock and block
// trading: the per-tick timetable look-ahead, the hourly and midnight
// steps, and the session events that concern a computer player (an auction
// announced, a request for one of its blocks, a refusal of its own).
#include <algorithm>

#include "ai/ai_development.h"
#include "ai/ai_profile.h"
#include "ai/ai_sites.h"
#include "ai/computer_player.h"
#include "ai/scoring_terms.h"
#include "engine/core/error.h"
#include "engine/core/play_warning.h"
#include "session/auction.h"
#include "session/game_messages.h"
#include "session/session_state.h"

namespace {
AiWorkHook g_workHook = nullptr;
}  // namespace

void SetAiWorkHook(AiWorkHook hook) { g_workHook = hook; }
AiWorkHook GetAiWorkHook() { return g_workHook; }

void RunAiTick() {
  const AiWorkScope scope;
  CPlayerTable& table = PlayerTable();
  for (int32_t slot = 0; slot < table.PlayerCount() && slot < kMaxPlayers; ++slot) {
    CPlayerAI* ai = ComputerPlayer(slot);
    if (ai == nullptr || !ai->inUse) continue;
    if (LogicTick() == 0)
      for (bool& enabled : ai->timetablesEnabled) enabled = true;
    RunAiTimetables(*ai);
  }
}

void RunAiHourlyUpdate() {
  const AiWorkScope scope;
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot)
    if (CPlayerAI* ai = ComputerPlayer(slot); ai != nullptr && ai->inUse) ai->HourlyUpdate();
}

void RunAiDayRollover() {
  const AiWorkScope scope;
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot) {
    CPlayerAI* ai = ComputerPlayer(slot);
    if (ai == nullptr || !ai->inUse) continue;
    ai->DayRollover();
    ++ai->dayCount;
    ai->RefreshStandings(false);
  }
}

void CPlayerAI::OnGameEvent(int32_t kind, const PlayerMessage* message) {
  switch (kind) {
    case 0:
      if (!auctionConsidered) ConsiderAuction(nullptr);
      break;
    case 1:
      ConsiderAuction(message);
      break;
    case 2:
      if (message) CheckBlockRejectEvent(*message);
      break;
    case 3:
      break;
    default:
      ReportError(1, 0, "Unrecognised AI Game Event");
      break;
  }
}

void CPlayerAI::ConsiderAuction(const PlayerMessage* request) {
  if (request != nullptr) {
    const BlockDeal& offer = request->As<BlockDeal>();
    const int32_t block = offer.block.value;
    const int32_t offered = offer.amount;
    if (ShouldBidOnDistrict(*this, block, offered)) {
      currentRequestId = request->token;
      Post(StartAuctionMsg{offer.block, request->from, offered, {offer, request->token}});
    } else {
      PlayerTable().RepostPlayerMessage(*request, PLAYER_MESS_REFUSED);
    }
    return;
  }
  const CAuction* a = CurrentAuction();
  if (a == nullptr || !(a->pending || a->active) || plan.requestOutstanding) return;
  if (IsInDebtWarning(index) && money <= 0.0f) {
    // Declining leaves no valuation: the room would otherwise take an
    // earlier block's value as its ceiling and bid a warned player deeper
    // into debt.
    own.valuation = 0.0f;
    own.valuationStale = false;
    return;
  }
  const int32_t previous = plan.chosenBlock;
  plan.chosenBlock = a->block.value;
  int32_t whole = 0;
  GetScore(1, whole);
  plan.chosenBlock = previous;
  const CBlock* b = GetBlock(a->block.value);
  const float lease = b ? b->GetLeasePrice() : 0.0f;
  // At its business limit it wants the land only for what the block earns
  // or counts without a business of its own.
  const bool atLimit = AtBusinessLimit(*this);
  const int32_t ceiling = atLimit ? WorthAtBusinessLimit(*this, a->block.value, whole) : whole;
  const float opening = static_cast<float>(std::max(a->price, a->openingBid));
  if (lease + 200.0f > static_cast<float>(whole) || (atLimit && opening >= static_cast<float>(ceiling))) {
    auctionPlan.doNotBid = true;
    auctionPlan.maxBid = 0;
  } else {
    auctionPlan.doNotBid = false;
    auctionPlan.maxBid = ceiling;
  }
  auctionPlan.ready = true;
  auctionConsidered = true;
  // The valuation it takes into the auction room: its score, or a
  // speculative ceiling drawn when the room opens; a block it asked for
  // itself is worth at least what it planned to spend.
  own.valuation = static_cast<float>(auctionPlan.maxBid);
  own.valuationStale = auctionPlan.doNotBid && !atLimit;
  if (a->block.value == plan.oneOffBlock && plan.spendLimit > 0) {
    own.valuation = std::max(own.valuation, static_cast<float>(plan.spendLimit));
    own.valuationStale = false;
  }
  if (a->block.value == nominatedBlock && nominationLimit > 0) {
    own.valuation = std::max(own.valuation, static_cast<float>(nominationLimit));
    own.valuationStale = false;
  }
}

int32_t CPlayerAI::ComputeSpeculativeBid() {
  if (IsInDebtWarning(index) && money < 4000.0f) return 0;
  const int32_t reserve = CashReserve(characterRow);
  const uint32_t r = Draw() % 101;
  if (static_cast<int32_t>(static_cast<float>(reserve) * 0.05f) < static_cast<int32_t>(r)) return 0;
  const uint32_t s = Draw() % 4;
  if (s == 0) return 0;
  const int32_t q = static_cast<int32_t>(Draw() % 31) + 10;
  const CAuction* a = CurrentAuction();
  const CBlock* b = a ? GetBlock(a->block.value) : nullptr;
  const float price = b ? b->GetLeasePrice() : 0.0f;
  const int32_t ceiling = static_cast<int32_t>(price + price * static_cast<float>(q) * 0.01f);
  const int32_t highest = a ? a->price : 0;
  if (ceiling < highest + 50) return 0;
  auctionPlan.percent = q;
  auctionPlan.steps = static_cast<int32_t>(s);
  auctionPlan.ceiling = ceiling;
  auctionPlan.speculative = true;
  return ceiling;
}

void CPlayerAI::CheckBlockRejectEvent(const PlayerMessage& refusal) {
  const int32_t id = refusal.As<BlockDeal>().requestId;
  CActions* action = FindActionById(*this, id);
  if (action == nullptr && (IsAuctionActionId(*this, id) || (id != 0 && id == auctionSettledRequest))) {
    // The block's auction began before the city answered and took the
    // request over, or has settled it already: the refusal changes nothing.
    currentRequestId = -1;
    return;
  }
  // Any other stale id: a warning on the console.
  if (action == nullptr) {
    PlayWarningF("CheckBlockRejectEvent: action is NULL!");
    currentRequestId = -1;
    return;
  }
  if (action->phase != AI_AWAITING_BLOCK_PURCHASE) PlayWarningF("CheckBlockRejectEvent: suspect block reject action");
  const int32_t committed = static_cast<int32_t>(action->committed);
  ReleaseCommitted(action->committed);
  const int32_t refuser = refusal.from.value;
  if (refuser >= 0 && refuser < kMaxPlayers)
    RegisterRejectedBlockRequest(action->block, static_cast<float>(committed), refuser);
  action->Pop();
  plan.buyPlanned = false;
  plan.requestOutstanding = false;
  plan.retryCounter = 10;
  plan.rejected = true;
  currentRequestId = -1;
}
