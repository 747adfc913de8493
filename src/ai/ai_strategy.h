#pragma once
// The computer player's timetables and the planning steps its update calls:
// the decision cadence, the strategy choice and its tactic, the tactic's
// progress check, and the housekeeping jobs.
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
void ResetPlan(CPlayerAI& ai);
void AbandonStrategy(CPlayerAI& ai);
bool IsStillInGame(const CPlayerAI& ai);
bool IsCashShortBeforeDeadline(const CPlayerAI& ai);
bool MustPanic(const CPlayerAI& ai);  // under the debt warning with the deadline in the panic window
bool CheckAuctionWait(CPlayerAI& ai);
void SelectStrategy(CPlayerAI& ai);
int32_t GetExpansionTactic(CPlayerAI& ai);
void SetTacticForStrategy(CPlayerAI& ai);
bool ExecuteTactic(CPlayerAI& ai);
void RunTacticProgressCheck(CPlayerAI& ai);
bool IsOneOffCandidate(const CPlayerAI& ai, int32_t block);
bool ChooseOneOffPurchase(CPlayerAI& ai);
bool ChooseOwnBlockForCentre(CPlayerAI& ai);
bool ChooseDayOrNightBlock(CPlayerAI& ai);
const char* StrategyText(const CPlayerAI& ai);
const char* TacticText(const CPlayerAI& ai);
const char* SubTacticText(const CPlayerAI& ai);

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
// business, the auction nomination and the repricing; the jobs of
// completed district sets (ai_set_jobs.cpp).
int32_t ChooseReplacementBusiness(CPlayerAI& ai, const class CBusiness& business);
void RunBlockPurchaseCheck(CPlayerAI& ai);
void RunRentReview(CPlayerAI& ai);
void RunSetBuilding(CPlayerAI& ai);
void RunSetExpansion(CPlayerAI& ai);
