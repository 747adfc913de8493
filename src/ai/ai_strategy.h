#pragma once
// The computer player's timetables and the planning steps its update calls:
// the decision cadence, the strategy choice and its tactic, the tactic's
// progress check, and the development of the chosen block. The planning
// here is deliberately plain (buy the best-scoring block it can afford,
// then fill its own blocks with the businesses the city lacks); the full
// strategy and site planners replace these functions one for one.
#include <cstdint>

class CPlayerAI;

// ---- Timetables ----
void ProcessBlockTimetable(CPlayerAI& ai);
void ProcessHousekeepingTimetable(CPlayerAI& ai);
// Switches the tactic timetable: 0 and 1 clear it, 3, 4 and 5 ask the
// script for one (LoadLandscapeBlockTT, Wait4CashTT, Kill_TAC_Timetable).
void LoadNewTimetable(CPlayerAI& ai, int32_t mode);

// ---- Strategy ----
uint32_t GetNextDecisionTick(const CPlayerAI& ai);
uint32_t GetRandomisedActionTime(CPlayerAI& ai);
void ResetStrategyTexts(CPlayerAI& ai);
void AbandonStrategy(CPlayerAI& ai);
bool IsStillInGame(const CPlayerAI& ai);
bool CheckAuctionWait(CPlayerAI& ai);
void SetTacticForStrategy(CPlayerAI& ai);
bool ExecuteTactic(CPlayerAI& ai);
void RunTacticProgressCheck(CPlayerAI& ai);
const char* StrategyText(const CPlayerAI& ai);
const char* TacticText(const CPlayerAI& ai);

// ---- Development ----
// A block (the city's or its own, not in an auction) where a business of the
// type fits, drawn from the player's stream; -1 when none.
int32_t PickBlockForBusiness(CPlayerAI& ai, int32_t type);
// The business the chosen block should get next; -1 when none fits.
int32_t ChooseNextBusinessForChosenBlock(CPlayerAI& ai);
// Queues the construction of the plan's business on its block; true when queued.
bool PlanBlockDevelopment(CPlayerAI& ai);
// A free lot rectangle of at least the type's smallest area on the block.
bool FindBusinessSite(int32_t block, int32_t type, int32_t& x, int32_t& y, int32_t& width, int32_t& depth);

// ---- Housekeeping ----
// Jobs of the housekeeping work flags (ai_housekeeping.cpp).
void RunBusinessStates(CPlayerAI& ai);
void RunRefurbishmentReview(CPlayerAI& ai);
void RunDemolitionReview(CPlayerAI& ai);
void RunTakeOverReview(CPlayerAI& ai);
void RunEndOfDayStockAndPrices(CPlayerAI& ai);
void RunSpoilageReview(CPlayerAI& ai);
int32_t TakeOverScore(const class CBusiness& business, bool completedSet);
// The planner's jobs (ai_strategy.cpp): the replacement of a failing
// business, the opportunistic block purchase, the rent review and the
// hotel on a completed district set.
int32_t ChooseReplacementBusiness(CPlayerAI& ai, const class CBusiness& business);
void RunBlockPurchaseCheck(CPlayerAI& ai);
void RunRentReview(CPlayerAI& ai);
void RunSetBuilding(CPlayerAI& ai);
void RunSetExpansion(CPlayerAI& ai);
