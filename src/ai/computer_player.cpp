#include "ai/computer_player.h"

#include "ai/ai_cards.h"
#include "session/chance_cards.h"

#include <algorithm>
#include <cstring>

#include "ai/ai_profile.h"
#include "ai/ai_sites.h"
#include "ai/ai_strategy.h"
#include "ai/business_valuation.h"
#include "ai/district_queries.h"
#include "ai/planned_businesses.h"
#include "ai/set_scores.h"
#include "city/business.h"
#include "city/buildings.h"
#include "city/city_demand.h"
#include "engine/core/error.h"
#include "session/auction.h"
#include "session/game_clock.h"
#include "session/goals.h"
#include "session/net_log.h"
#include "session/session_state.h"

namespace {

constexpr uint32_t kStandingsPeriod = 250;
constexpr int32_t kPurchaseCountdownDays = 5;
constexpr int32_t kMaxPendingRequests = 5;

float DifficultyCashThreshold(const AiDifficultyRow* row, float worth) {
  if (row == nullptr || worth <= 0.0f) return 0.0f;
  return std::min(row->thresholdFactor * worth, static_cast<float>(row->thresholdCap));
}

}  // namespace

const char* AiStateString(int32_t state) {
  static const char* const kNames[] = {"NONE",      "IDLE",     "NEWSTRATEGY", "RUNSTRATEGY",
                                       "BUYBLOCK",  "SELLBLOCK", "BUYBUSINESS", "AUCTIONWAIT"};
  return state >= 0 && state < 8 ? kNames[state] : "Unrecognised State";
}

int32_t BusinessStateBand(int32_t score) {
  if (score >= 100) return 1;
  if (score >= 75) return 2;
  if (score >= 50) return 3;
  if (score >= 0) return 4;
  return 5;
}

CPlayerAI::CPlayerAI(int32_t row) : characterRow(row) {
  BindAiCharacter(row, this);
  Init();
}

CPlayerAI::~CPlayerAI() {
  AiCharacter* c = Character();
  if (c != nullptr && c->bound == this) UnbindAiCharacter(characterRow);
}

void CPlayerAI::Init() {
  workFlags = 0;
  std::fill(std::begin(liveToday), std::end(liveToday), uint8_t{1});
  reservedCash = 0;
  mode = kAiNewStrategy;
  returnState = 0;
  committedCash = 0;
  ownBusinesses.clear();
  otherBusinesses.clear();
  nextDecisionTick = nextStandingsTick = nextFootprintTick = 0;
  creditAllowance = static_cast<int32_t>(kCreditAllowance);
  actionDelay = 15;
  pendingBlockRequest = currentRequestId = auctionSettledRequest = -1;
  plan = AiPlanState{};
  auctionPlan = AiAuctionPlan{};
  auctionConsidered = false;
  own = AiStanding{};
  for (AiStanding& s : standings) s = AiStanding{};
  for (AiBlockPurchase& p : purchases) p = AiBlockPurchase{};
  for (auto& row : rejections)
    for (AiRejection& r : row) r = AiRejection{};
  std::fill(std::begin(pendingRequests), std::end(pendingRequests), -1);
  pendingRequestCount = 0;
  inAuction = false;
  bidCeiling = 0;
  nextBid = 0;
  passFlag = false;
  setJobHours = 20;
  housekeepingDue = blockDue = false;
  currentHousekeeping = currentBlock = nullptr;
  markedBlocks = 0;
  rival = -1;
  updateCount = 20;
  pendingReply = -1;
  dayZeroCentrePlanned = false;
  secondAttempts = 0;
  preferredEdge = 0;
  edgeClockwise = false;
  centreMode = false;
  sellOffList.clear();
  nominatedBlock = -1;
  nominationLimit = 0;
  cardHoursHeld = 0;
  cardImpatient = false;
  initialised = 1;
  ResetStandardActions(*this);
  ResetAuctionActions(*this);
  InitAiPlayerState(scoring_, index, characterRow, &random);
  ResetStrategyTexts(*this);
}

void CPlayerAI::Resume() {
  // The stream starts from the game's seed, whatever streams earlier games
  // left in the list when the seed was given out: the first stream after
  // the master was seeded at the same place of the sequence in every game.
  const CRandomStream* first = FirstRandomStream() ? FirstRandomStream()->Next() : nullptr;
  random.SetState((first ? first->GetState() : 0u) + 7919u * (static_cast<uint32_t>(index) + 1u));
  Init();
  // A midnight's debt warning outlives a load in the session's goals; the
  // message that told the player may have been handled before the save.
  warned24h = IsInDebtWarning(index) && money < 0.0f ? 1 : 0;
  SyncOwnershipLists();
  const CAuction* a = CurrentAuction();
  if (a != nullptr && (a->pending || a->active)) ConsiderAuction(nullptr);
}

void CPlayerAI::SetDebugFlag(int32_t flag) {
  if (flag >= 0 && flag < 3) debugFlags[flag] = 1;
}

int32_t CPlayerAI::PickRandomBlockForBusiness(int32_t type) { return PickBlockForBusiness(*this, type); }

void CPlayerAI::OnCharacterLoaded(bool initialise) {
  if (initialise) nextDecisionTick = GetRandomisedActionTime(*this);
}

const AiDifficultyRow* CPlayerAI::DifficultyRow() const {
  const AiCharacter* c = Character();
  return c ? &c->difficulty[std::clamp(difficulty, 0, 2)] : nullptr;
}

const AiBuildTimes* CPlayerAI::BuildTimes() const {
  const AiCharacter* c = Character();
  return c ? &c->buildTimes[std::clamp(difficulty, 0, 2)] : nullptr;
}

bool CPlayerAI::DayWindowOpen() const {
  const AiBuildTimes* t = BuildTimes();
  const int32_t h = GameClock().hour;
  return t != nullptr && h >= t->dayStart && h <= t->dayEnd;
}

bool CPlayerAI::NightWindowOpen() const {
  const AiBuildTimes* t = BuildTimes();
  const int32_t h = GameClock().hour;
  return t != nullptr && h >= t->dayEnd && h <= t->nightEnd;
}

bool CPlayerAI::TradesAtNight() const {
  const AiBuildTimes* t = BuildTimes();
  return t != nullptr && t->nightEnd - t->dayEnd > t->dayEnd - t->dayStart;
}

AiPlayerState& CPlayerAI::ScoringState() {
  scoring_.Player = index;
  scoring_.Character = characterRow;
  scoring_.Random = &random;
  scoring_.ChosenBlock = plan.chosenBlock;
  scoring_.OneOffAttempts = oneOffAttempts;
  // Money below 0 counts as the warning from the moment it runs out, not
  // only from the midnight that announces it: a player in the red puts
  // nothing on a block. And the warning stands until the midnight that
  // lifts it, however much the morning's rents bring in: a block bought on
  // credit then ends the game at that midnight.
  scoring_.Warned24h = warned24h != 0 || money < 0.0f || IsInDebtWarning(index);
  scoring_.WarningHours = GetDebtHoursLeft(index);
  return scoring_;
}

float CPlayerAI::GetScore(int32_t type, int32_t& whole) {
  AiPlayerState& s = ScoringState();
  float score = ::GetScore(s, type, AuctionBlock(), whole);
  rival = s.Rival;
  // The difficulty's cost scale takes its share off the block's value.
  if (const AiDifficultyRow* row = DifficultyRow()) {
    score = static_cast<float>(100 - std::min(row->Value(7), 100)) * 0.01f * score;
    whole = static_cast<int32_t>(score);
  }
  return score;
}

// ---- Update ------------------------------------------------------------------

void CPlayerAI::Update() {
  const AiWorkScope scope;
  if (disabled || idle) {
    LeaveAuctionWhenOut();
    return;
  }
  if (!initialised) Init();
  if (updateCount < 20) ++updateCount;
  if (LogicTick() >= nextStandingsTick) RefreshStandings(true);
  // Cash above zero does not lift the warning: the game's debt state stands
  // until the midnight that checks it, and a player that spends back into
  // the red before then is put out. So the flag, which makes the player
  // raise money and hold back its spending, stays while the warning does.
  if (money >= 0.0f && !IsInDebtWarning(index)) warned24h = 0;
  if (!inAuction) {
    if (LogicTick() >= nextDecisionTick) {
      nextDecisionTick = GetNextDecisionTick(*this);
      OnGameEvent(0, nullptr);
      CheckAuctionWait(*this);
      if (mode != kAiNewStrategy) {
        CheckTacticProgress();
      } else if (IsStillInGame(*this)) {
        SetTacticForStrategy(*this);
        ExecuteTactic(*this);
      } else {
        GiveUp();
      }
    }
    if (disabled) return;
    const int32_t stage = plan.tacticStage;
    if ((stage >= 3 && stage <= 5) || own.building) {
      if (LogicTick() > nextFootprintTick) {
        const AiBuildTimes* t = BuildTimes();
        nextFootprintTick = LogicTick() + 25u * static_cast<uint32_t>(std::max(t ? t->footprintPeriod : 0, 1));
        workFlags |= kWorkFootprint;
      }
    }
    ProcessBlockTimetable(*this);
    ProcessHousekeepingTimetable(*this);
    RunHousekeepingJobs();
  }
  if (actionDelay < 1) {
    RunPendingActions();
  } else {
    --actionDelay;
  }
  HandleMessage();
}

// A player that has given up or idles takes no decisions, but the auction
// room waits for its move: on its turn it pulls out.
void CPlayerAI::LeaveAuctionWhenOut() {
  const CAuction* a = CurrentAuction();
  if (a == nullptr || !a->active) {
    withdrawalPosted = false;
    return;
  }
  if (withdrawalPosted || a->stage != kStageBidding || a->turn != index || !a->rows[index].stillIn) return;
  withdrawalPosted = true;
  PostAuctionPullOut(index);
}

void CPlayerAI::GiveUp() {
  disabled = 1;
  AiCharacter* c = Character();
  if (c != nullptr && c->bound == this) UnbindAiCharacter(characterRow);
}

void CPlayerAI::CheckTacticProgress() {
  if (plan.tactic < 0) return;
  if (!IsStillInGame(*this)) {
    GiveUp();
    return;
  }
  // The one-off block is asked for once: an auction that ends without it
  // (lost, unsold, or won but not yet handed over) must not be followed by
  // another request for the same block as the room closes.
  if (plan.oneOffBlock >= 0 && plan.bidPlaced && !plan.listed && plan.tactic == 2) {
    if (AddAction_BuyBlock(*this, plan.oneOffBlock, 100)) ++tally.blockRequests;
    plan.targetRequested = true;
    plan.listed = true;
  }
  RunTacticProgressCheck(*this);
}

void CPlayerAI::RefreshStandings(bool throttled) {
  if (throttled) nextStandingsTick = LogicTick() + kStandingsPeriod;
  CPlayerTable& table = PlayerTable();
  auto fill = [](AiStanding& s, const CPlayer& p) {
    s.cash = p.money;
    s.cashRank = GetCashRank(p.index);
    s.worth = GetAccountsTotal(0, p.index);
  };
  fill(own, *this);
  int32_t assets = GetRailUtilityIncome(index);
  for (const AiBusinessEntry& e : ownBusinesses)
    if (e.inUse)
      if (const CBusiness* b = GetBusinessInUse(e.id)) assets = static_cast<int32_t>(assets + b->PotentialIncome);
  own.assets = assets;
  own.cashThreshold = DifficultyCashThreshold(DifficultyRow(), own.worth);
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot) {
    const CPlayer* p = table.Get(slot);
    if (p != nullptr && p->inUse) fill(standings[slot], *p);
  }
  auto worthRank = [&](float worth) {
    int32_t rank = 1;
    for (int32_t slot = 0; slot < kMaxPlayers; ++slot) {
      const CPlayer* p = table.Get(slot);
      if (p != nullptr && p->inUse && standings[slot].worth > worth) ++rank;
    }
    return rank;
  };
  own.worthRank = worthRank(own.worth);
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot)
    if (const CPlayer* p = table.Get(slot); p != nullptr && p->inUse) standings[slot].worthRank = worthRank(standings[slot].worth);
}

// ---- Hourly and daily hooks ---------------------------------------------------

void CPlayerAI::HourlyUpdate() {
  for (auto& row : rejections)
    for (AiRejection& r : row)
      if (r.hours > 0) --r.hours;
  if (plan.tacticStage == 1) ++plan.hoursInStage1;
  if (raiseCashHours > 0) --raiseCashHours;
  if (plan.strategy == 1) ++plan.hoursConsolidating;
  if (setJobHours > 0) {
    --setJobHours;
  } else {
    const int32_t type = GetAiGameFacts().GameType;
    setJobHours = (type == 1 || type == 2) ? 23 : 2;
    workFlags |= kWorkSetExpansion;
  }
  if (setJobHours == 1) workFlags |= kWorkSetBuilding;
  sixOClock = GameClock().hour == 6;
  AiCardHourlyTick(*this);
}

void CPlayerAI::DayRollover() {
  for (AiBlockPurchase& p : purchases)
    if (p.days > 0) --p.days;
  for (AiBusinessEntry& e : ownBusinesses)
    if (e.inUse) ++e.ageDays;
}

// ---- Rejections ----------------------------------------------------------------

void CPlayerAI::RegisterRejectedBlockRequest(int32_t block, float value, int32_t player) {
  if (block < 0 || block >= kBlockCount) {
    ReportError(1, 0, "RegisterRejectedBlockRequest - Invalid block id");
    return;
  }
  if (player < 0 || player >= kMaxPlayers) {
    ReportError(1, 0, "RegisterRejectedBlockRequest - Invalid player index");
    return;
  }
  const AiDifficultyRow* row = DifficultyRow();
  const uint32_t spread = static_cast<uint32_t>(row ? row->Value(8) : 0) + 1;
  rejections[player][block] = {value, 20 + static_cast<int32_t>(Draw() % spread)};
}

bool CPlayerAI::HasStandingRejection(int32_t block, int32_t* player, float* value) const {
  if (block < 0 || block >= kBlockCount) return false;
  for (int32_t p = 0; p < kMaxPlayers; ++p) {
    const AiRejection& r = rejections[p][block];
    if (r.hours <= 0) continue;
    if (player) *player = p;
    if (value) *value = r.value;
    return r.value > 0.0f;
  }
  return false;
}

// ---- Pending requests ----------------------------------------------------------

void CPlayerAI::AddPendingRequest(int32_t block) {
  if (pendingRequestCount >= kMaxPendingRequests) return;
  for (int32_t& slot : pendingRequests)
    if (slot < 0) {
      slot = block;
      ++pendingRequestCount;
      return;
    }
}

void CPlayerAI::RemovePendingRequest(int32_t block) {
  for (int32_t& slot : pendingRequests)
    if (slot == block && block >= 0) {
      slot = -1;
      if (pendingRequestCount > 0) --pendingRequestCount;
    }
}

// ---- Messages -------------------------------------------------------------------

void CPlayerAI::HandleMessage() {
  if (QueuedMessages() == 0) return;
  const PlayerMessage* popped = PopMessage();
  if (popped == nullptr) {
    ReportError(1, 0, "Player message PopMessage() returned NULL!");
    return;
  }
  const PlayerMessage m = *popped;
  switch (m.code) {
    case PLAYER_MESS_BLOCK_SALE:
      NetLogF(m.from.value + 1, "Invalid player message sent to AI: PLAYER_MESS_BLOCK_SALE");
      break;
    case PLAYER_MESS_BUY_REQUEST:
      OnGameEvent(1, &m);
      break;
    case PLAYER_MESS_BUY_ACCEPTED:
      plan.requestAnswered = true;
      plan.targetRequested = false;
      pendingBlockRequest = -1;
      break;
    case 34:
      break;  // no effect on a computer player
    case PLAYER_MESS_REFUSED:
      plan.requestAnswered = true;
      OnGameEvent(2, &m);
      RemovePendingRequest(m.As<BlockDeal>().block.value);
      pendingBlockRequest = -1;
      break;
    case PLAYER_MESS_AUCTION_BEGINS: {
      CActions* action = FindAwaitingPurchaseAction(*this, m.As<AuctionNews>().block.value);
      if (action != nullptr) auctionSettledRequest = action->id;
      inAuction = true;
      BeginAuctionBidding(action, m);
      break;
    }
    case PLAYER_MESS_AUCTION_OVER:
      PopCompletedAuctionActions(*this);
      inAuction = false;
      plan.tacticStage = 0;
      plan.targetRequested = false;
      plan.requestAnswered = true;
      plan.counter = 10;
      own.bidCount = 0;
      updateCount = static_cast<int32_t>(Draw() % 11);
      mode = returnState;
      plan.subState = 0;
      own.building = false;
      pendingBlockRequest = -1;
      workFlags |= kWorkSyncOwnership;
      auctionConsidered = false;
      auctionPlan.ready = false;
      // A valuation belongs to the block it was made for.
      own.valuation = 0.0f;
      own.valuationStale = false;
      rival = -1;
      nominatedBlock = -1;
      break;
    case PLAYER_MESS_PURCHASE_SETTLED: {
      const AuctionSettled& settled = m.As<AuctionSettled>();
      const int32_t block = settled.block.value;
      if (CActions* action = FindAuctionActionForRequest(*this, m)) {
        ReleaseCommitted(action->committed);
        action->committed = 0;
        const CBlock* b = GetBlock(block);
        const int32_t district = BlockDistrict(block);
        if (b != nullptr && district != 10 && district != 11) b->SendPrepareRequest();
        AddBlockToList(block);
        if (block >= 0 && block < kBlockCount)
          purchases[block] = {1, static_cast<float>(settled.price), kPurchaseCountdownDays};
        action->state = ACT_COMPLETED;
        action->phase = AI_IDLE;
        RemovePendingRequest(block);
        ++tally.auctionsWon;
      } else {
        // Somebody else's purchase: the block stands refused to this player
        // at the price it went for.
        const CAuction* a = CurrentAuction();
        const int32_t winner = a ? a->winner : settled.winner.value;
        if (block >= 0 && block < kBlockCount && winner >= 0 && winner < kMaxPlayers)
          RegisterRejectedBlockRequest(block, static_cast<float>(a ? a->price : settled.price), winner);
        plan.rejected = true;
      }
      break;
    }
    case PLAYER_MESS_AUCTION_ENDED:
      if (CActions* action = FindAwaitingPurchaseAction(*this, m.As<AuctionNews>().block.value)) {
        auctionSettledRequest = action->id;
        ReleaseCommitted(action->committed);
        action->state = ACT_COMPLETED;
        action->phase = AI_IDLE;
      }
      PopCompletedAuctionActions(*this);
      inAuction = false;
      mode = returnState;
      plan.subState = 0;
      break;
    case PLAYER_MESS_DEBT_WARNING:
      warned24h = 1;
      break;
    case PLAYER_MESS_OUT_OF_DEBT:
      warned24h = 0;
      break;
    case PLAYER_MESS_REMOVED:
      disabled = 1;
      UnbindAiCharacter(characterRow);
      plan.subState = 9;
      break;
    case PLAYER_MESS_BOUGHT_OUT:
      if (const CBuilding* b = GetBuilding(m.As<BoughtOutNote>().building.value)) {
        if (b->GetBusiness() >= 0) RemoveBusinessFromList(b->GetBusiness(), 0);
      }
      break;
    case PLAYER_MESS_BUSINESS_JOINS:
      if (const BusinessId business = m.As<BusinessJoinedNote>().business; business.value >= 0)
        AddBusinessToList(business.value, 0);
      break;
    case PLAYER_MESS_CONSTRUCTION_REFUSED:
      DropPlannedBusiness(m.As<ConstructionRefusal>().block.value, m.As<ConstructionRefusal>().businessType);
      break;
    case PLAYER_MESS_CARD_REQUEST:
      NetLogF(m.from.value + 1, "Invalid player message sent to AI: PLAYER_MESS_CARD_REQUEST");
      break;
    case PLAYER_MESS_CARD_HELD:
      Chance().SetHeldCard(m.As<CardNote>().card);
      break;
    case PLAYER_MESS_CARD_DISCARD:
      NetLogF(m.from.value + 1, "Invalid player message sent to AI: PLAYER_MESS_CARD_DISCARD");
      break;
    default:
      NetLogF(m.from.value + 1, "Unhandled AI Player message");
      break;
  }
}

// ---- Registries -----------------------------------------------------------------

namespace {

std::vector<AiBusinessEntry>& ListOf(CPlayerAI& ai, int32_t list) {
  return list == 0 ? ai.ownBusinesses : ai.otherBusinesses;
}

}  // namespace

void CPlayerAI::AddBusinessToList(int32_t business, int32_t list) {
  if (business < 0) {
    ReportError(1, 0, "CPlayerAI::AddBusinessToList: Invalid business index");
    return;
  }
  if (BusinessInList(business, list)) return;
  std::vector<AiBusinessEntry>& entries = ListOf(*this, list);
  for (AiBusinessEntry& e : entries)
    if (!e.inUse) {
      e = AiBusinessEntry{1, business};
      return;
    }
  entries.push_back(AiBusinessEntry{1, business});
}

void CPlayerAI::RemoveBusinessFromList(int32_t business, int32_t list) {
  if (business < 0) {
    ReportError(1, 0, "CPlayerAI::RemoveBusinessFromList: Invalid business index");
    return;
  }
  for (AiBusinessEntry& e : ListOf(*this, list))
    if (e.inUse && e.id == business) e = AiBusinessEntry{};
}

bool CPlayerAI::BusinessInList(int32_t business, int32_t list) const {
  const auto& entries = list == 0 ? ownBusinesses : otherBusinesses;
  return std::any_of(entries.begin(), entries.end(),
                     [&](const AiBusinessEntry& e) { return e.inUse && e.id == business; });
}

void CPlayerAI::AddBlockToList(int32_t block) {
  if (block < 0 || block >= kBlockCount) {
    ReportError(1, 0, "CPlayerAI::AddBlockToList: Invalid block index");
    return;
  }
  AiPlayerState& s = ScoringState();
  const int32_t district = BlockDistrict(block);
  if (district < 0) return;
  AddHeldBlock(s.Districts[district], block);
}

void CPlayerAI::RemoveBlockFromList(int32_t block) {
  if (block < 0 || block >= kBlockCount) {
    ReportError(1, 0, "CPlayerAI::RemoveBlockFromList: Invalid block index");
    return;
  }
  const int32_t district = BlockDistrict(block);
  if (district >= 0) RemoveHeldBlock(scoring_.Districts[district], block);
}

bool CPlayerAI::BlockRegistered(int32_t block) {
  if (block < 0 || block >= kBlockCount) {
    ReportError(1, 0, "CPlayerAI::BlockRegistered: Invalid block index");
    return false;
  }
  const int32_t district = BlockDistrict(block);
  return district >= 0 && IsHeldBlock(scoring_.Districts[district], block);
}

int32_t CPlayerAI::CountRegisteredBlocks() const {
  int32_t n = 0;
  for (const DistrictHolding& d : scoring_.Districts) n += d.HeldCount;
  return n;
}

void CPlayerAI::SyncOwnershipLists() {
  for (int32_t block = 0; block < kBlockCount; ++block) {
    const bool owns = ownedBlocks[block] != 0;
    const bool registered = BlockRegistered(block);
    if (owns && !registered) AddBlockToList(block);
    if (!owns && registered) RemoveBlockFromList(block);
  }
  for (int32_t i = 0; i < kMaxBusinesses; ++i) {
    const CBusiness* b = GetBusinessInUse(i);
    if (b == nullptr) continue;
    if (b->Owner != index + 1) {
      if (BusinessInList(i, 0)) RemoveBusinessFromList(i, 0);
      const CBuilding* building = b->GetBuilding();
      const int32_t block = building && building->Block ? building->Block->Index : -1;
      if (block >= 0 && ownedBlocks[block])
        AddBusinessToList(i, 1);
      else if (BusinessInList(i, 1))
        RemoveBusinessFromList(i, 1);
    } else if (!BusinessInList(i, 0)) {
      AddBusinessToList(i, 0);
    }
  }
}

// ---- Players of the table -------------------------------------------------------

CPlayerAI* AsComputerPlayer(CPlayer* player) {
  if (player == nullptr || player->kind == kPlayerHuman) return nullptr;
  return dynamic_cast<CPlayerAI*>(player);
}

CPlayerAI* ComputerPlayer(int32_t slot) { return AsComputerPlayer(PlayerTable().Get(slot)); }

CPlayer* CreateComputerPlayer(int32_t characterRow) { return new CPlayerAI(characterRow); }

bool IsInDebtWarning(int32_t player) {
  return player >= 0 && player < kMaxPlayers && GameGoal().players[player].inDebt != 0;
}

int32_t GetDebtHoursLeft(int32_t player) {
  if (!IsInDebtWarning(player)) return 0;
  const int32_t hour = GameClock().hour;
  return hour >= 24 ? 1 : 24 - hour;
}

bool HasNoAiCharacter(const CPlayer& player) { return player.character < 0 || player.character >= kAiCharacterRows; }
