#pragma once
// The computer player: a player of the player table whose turn the program
// runs. It is bound to one AI character row, keeps its own registries of
// what it owns, plans through its strategy, queues actions and carries them
// out by posting the same requests and game messages as a human's panels.
// It runs on the single-player machine or the host only; its state is not
// saved: after a load Resume rebuilds it.
#include <cstdint>
#include <vector>

#include "ai/ai_actions.h"
#include "ai/ai_player_state.h"
#include "ai/business_valuation.h"
#include "city/blocks.h"
#include "engine/core/random_stream.h"
#include "session/ai_characters.h"
#include "session/player.h"

enum AiMode : int32_t {
  kAiNone = 0,
  kAiIdle = 1,
  kAiNewStrategy = 2,
  kAiRunStrategy = 3,
  kAiBuyBlock = 4,
  kAiSellBlock = 5,
  kAiBuyBusiness = 6,
  kAiAuctionWait = 7,
};
const char* AiStateString(int32_t state);

// Housekeeping requests, in the order their jobs run.
enum AiWorkFlag : uint16_t {
  kWorkSyncOwnership = 1u << 0,
  kWorkBusinessStates = 1u << 1,
  kWorkRefurbish = 1u << 2,
  kWorkDemolish = 1u << 3,
  kWorkTakeOver = 1u << 4,
  kWorkBlockPurchase = 1u << 5,
  kWorkFootprint = 1u << 6,
  kWorkSpoilage = 1u << 7,
  kWorkEndOfDay = 1u << 8,
  kWorkRent = 1u << 9,
  kWorkSetBuilding = 1u << 10,
  kWorkSetExpansion = 1u << 11,
};

// State bands of a business, from its state score.
int32_t BusinessStateBand(int32_t score);

struct AiStanding {
  float cash = 0;
  int32_t cashRank = 0;
  float worth = 0;
  int32_t assets = 0;
  float cashThreshold = 0;
  int32_t worthRank = 0;
  float valuation = 0;
  bool valuationStale = false;
  bool fixedBidding = false;
  int32_t fixedBids = 0;
  int32_t fixedMaximum = 0;
  int32_t bidCount = 0;
  bool building = false;
};

struct AiPlanState {
  int32_t strategy = 6;   // StrategyInForce
  // Consolidating because it runs all the businesses its character allows.
  bool holdingAtLimit = false;
  // Consolidating because no block it may build on has room for the period's trade.
  bool holdingWithoutRoom = false;
  int32_t tactic = -1;    // current tactic id, -1 none
  int32_t subTactic = 9;
  int32_t tacticStage = 0;
  int32_t subState = 0;
  int32_t planKind = 0;
  int32_t chosenBlock = -1;
  int32_t businessType = -1;
  int32_t purchasePrice = 0;
  int32_t spendLimit = 0;
  int32_t oneOffBlock = -1;
  int32_t countdown = 0;
  int32_t cashTarget = 0;
  int32_t counter = 0;
  int32_t retryCounter = 0;
  int32_t hoursInStage1 = 0;
  bool requestAnswered = false;
  bool targetRequested = false;
  bool rejected = false;
  bool buyPlanned = false;
  bool requestOutstanding = false;
  bool nothingToBuild = false;
  bool auctionSeen = false;
  bool oneOff = false;
  bool dayCentre = false;
  bool nightCentre = false;       // the block was chosen for a night centre
  bool bidPlaced = false;         // the one-off purchase has started
  bool listed = false;            // its block was asked for; once a tactic, not again after the auction
  bool countdownActive = false;
  bool centreDone = false;        // the centre's block has nothing left to take
  bool planStarted = false;
  bool coin = false;
  int32_t centrePeriod = 0;       // 0 day, 1 night: the centre kind outside both windows
  int32_t cashGoal = 0;
  int32_t hoursConsolidating = 0;
  int32_t planScore = 0;
  // Why the last site search failed: the block was full, or the smallest
  // footprint lacked this many lots.
  bool blockFull = false;
  int32_t lotsShort = 0;
};

struct AiAuctionPlan {
  int32_t dayCount = 0;
  bool ready = false;
  int32_t maxBid = 0;
  bool doNotBid = false;
  int32_t steps = 0;
  int32_t ceiling = 0;
  int32_t percent = 0;
  bool speculative = false;
};

struct AiBusinessEntry {
  uint8_t inUse = 0;
  int32_t id = -1;
  int32_t ageDays = 0;
  int32_t band = 0;
  int32_t repeats = 0;
  int32_t a = 0;
  int32_t b = -1;
};

struct AiBlockPurchase {
  uint8_t bought = 0;
  float price = 0;
  int32_t days = 0;
};

struct AiRejection {
  float value = 0;
  int32_t hours = 0;
};

class CPlayerAI : public CPlayer, public AiCharacterPlayer {
 public:
  explicit CPlayerAI(int32_t characterRow);
  ~CPlayerAI() override;
  int32_t OtherCharacterToken() const override { return characterRow != character ? characterRow : -1; }

  void HandleMessage() override;
  void Update() override;

  // AiCharacterPlayer
  CPlayer& Player() override { return *this; }
  void SetIdle() override { idle = 1; }
  void SetDebugFlag(int32_t flag) override;
  void SetDifficulty(int32_t level) override { difficulty = level; }
  int32_t PickRandomBlockForBusiness(int32_t type) override;
  CRandomStream& Random() override { return random; }
  void OnCharacterLoaded(bool initialise) override;

  void Init();
  // After a load, a host change or a take-over: the state is rebuilt.
  void Resume();
  void HourlyUpdate();
  void DayRollover();
  void RefreshStandings(bool throttled);
  void CheckTacticProgress();
  // Gives up: disabled, its character row freed; it keeps what it owns.
  void GiveUp();
  void LeaveAuctionWhenOut();

  // Draws 0..32767 from the player's own stream.
  uint32_t Draw() { return random.Rand(); }
  AiCharacter* Character() const { return GetAiCharacter(characterRow); }
  const AiDifficultyRow* DifficultyRow() const;
  const AiBuildTimes* BuildTimes() const;
  bool DayWindowOpen() const;
  bool NightWindowOpen() const;
  // A character whose night build window is longer than its day window
  // trades at night: every centre it builds, day or night, holds night trade.
  bool TradesAtNight() const;
  float FreeCash() const { return money - committedCash - reservedCash; }
  // Gives back money an action set aside, in whole units as it was set aside.
  void ReleaseCommitted(float amount) { committedCash -= static_cast<float>(static_cast<int32_t>(amount)); }

  // ---- Registries ----
  void AddBusinessToList(int32_t business, int32_t list);
  void RemoveBusinessFromList(int32_t business, int32_t list);
  bool BusinessInList(int32_t business, int32_t list) const;
  void AddBlockToList(int32_t block);
  void RemoveBlockFromList(int32_t block);
  bool BlockRegistered(int32_t block);
  void SyncOwnershipLists();
  int32_t CountRegisteredBlocks() const;

  // ---- Rejections ----
  void RegisterRejectedBlockRequest(int32_t block, float value, int32_t player);
  bool HasStandingRejection(int32_t block, int32_t* player = nullptr, float* value = nullptr) const;

  // ---- Actions and auctions ----
  bool RunPendingActions();
  void RunAction(CActions* action);
  void BeginAuctionBidding(CActions* action, const PlayerMessage& message);
  int32_t NextAuctionBid();

  // ---- Game events ----
  void OnGameEvent(int32_t kind, const PlayerMessage* message);
  void ConsiderAuction(const PlayerMessage* request);
  int32_t ComputeSpeculativeBid();
  void CheckBlockRejectEvent(const PlayerMessage& refusal);

  // ---- Score ----
  float GetScore(int32_t type, int32_t& whole);

  // Base-player fields mirrored in the scoring state before each score.
  AiPlayerState& ScoringState();

  // ---- Fields ----
  int32_t characterRow = 0;
  uint16_t workFlags = 0;
  CRandomStream random;
  uint8_t liveToday[3] = {1, 1, 1};
  float reservedCash = 0;
  int32_t mode = kAiNewStrategy;
  int32_t returnState = 0;
  CActions standard[kActionSlots];
  CActions auction[kActionSlots];
  uint8_t standardPending = 0;
  uint8_t auctionPending = 0;
  float committedCash = 0;
  std::vector<AiBusinessEntry> ownBusinesses;
  std::vector<AiBusinessEntry> otherBusinesses;
  uint32_t nextDecisionTick = 0;
  uint32_t nextStandingsTick = 0;
  uint32_t nextFootprintTick = 0;
  int32_t creditAllowance = 10000;
  int32_t actionDelay = 15;
  int32_t pendingBlockRequest = -1;
  int32_t currentRequestId = -1;
  // The purchase request that an auction of its block settled last: the
  // city's refusal of it can still come after the auction's end.
  int32_t auctionSettledRequest = -1;
  AiPlanState plan;
  AiAuctionPlan auctionPlan;
  bool auctionConsidered = false;
  AiStanding own;
  AiStanding standings[kMaxPlayers];
  AiBlockPurchase purchases[kBlockCount];
  uint8_t debugFlags[3] = {};
  int32_t raiseCashHours = 0;
  int32_t cardHoursHeld = 0;   // hours a card has been pending, 0 none
  bool cardImpatient = false;  // held a day: any target will do
  int32_t difficulty = 0;
  uint8_t disabled = 0;
  uint8_t initialised = 0;
  uint8_t warned24h = 0;
  uint8_t idle = 0;
  int32_t pendingRequests[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  uint8_t pendingRequestCount = 0;
  AiRejection rejections[kMaxPlayers][kBlockCount];
  bool inAuction = false;
  float bidCeiling = 0;
  int32_t nextBid = 0;
  bool passFlag = false;
  int32_t setJobHours = 20;
  bool housekeepingDue = false;
  bool blockDue = false;
  bool timetablesEnabled[3] = {true, true, true};
  const AiTimetableEntry* currentHousekeeping = nullptr;
  const AiTimetableEntry* currentBlock = nullptr;
  uint64_t markedBlocks = 0;
  bool sixOClock = false;
  int32_t rival = -1;
  uint8_t oneOffAttempts = 0;
  int32_t updateCount = 20;
  int32_t dayCount = 0;
  int32_t pendingReply = -1;      // a request it must answer first; -1 none
  bool dayZeroCentrePlanned = false;
  uint8_t secondAttempts = 0;
  int32_t preferredEdge = 0;      // lot search: the edge tried first, 0 not drawn yet
  bool edgeClockwise = false;
  bool centreMode = false;        // the block chooser prefers centre blocks
  std::vector<SellOffCandidate> sellOffList;
  int32_t nominatedBlock = -1;    // the block it asked the city to auction
  int32_t nominationLimit = 0;    // and what it will pay for it
  bool withdrawalPosted = false;  // pulled out of the running auction while out of the game
  // Counters the tests and the whole-game check read.
  struct Tally {
    int32_t blockRequests = 0, bids = 0, constructions = 0, priceRounds = 0, nominations = 0, auctionsWon = 0;
    int32_t cardsPlayed = 0, cardsDiscarded = 0;
  } tally;

 private:
  void AddPendingRequest(int32_t block);
  void RemovePendingRequest(int32_t block);
  void RunHousekeepingJobs();
  AiPlayerState scoring_;
};

// The computer player of a slot, null when the slot holds none.
CPlayerAI* ComputerPlayer(int32_t slot);
CPlayerAI* AsComputerPlayer(CPlayer* player);

// Ends the game's own wiring: the factory and the per-tick, hourly and
// midnight steps the session calls.
CPlayer* CreateComputerPlayer(int32_t characterRow);
void RunAiTick();
void RunAiTimetables(CPlayerAI& ai);
void RunAiHourlyUpdate();
void RunAiDayRollover();

// The console command AISTATUS (each computer player's state and strategy).
void AttachComputerPlayerCommands();

// Predicates the AI asks of the session.
bool IsInDebtWarning(int32_t player);
int32_t GetDebtHoursLeft(int32_t player);
bool HasNoAiCharacter(const CPlayer& player);
