#pragma once
// The small terms a computer player values blocks and weighs its strategies
// with: the per-character constants, the base score of owning part or all
// of a district, the block value chain and the strategy weighing terms.
#include <cstdint>

struct AiPlayerState;

// ---- Per-character constants (character 0..9; any other gives 0) ----
int32_t CharacterOffset(int32_t ch);
float AffordFactor(int32_t ch);
float BusinessWeight(int32_t ch);
float ProfitWeight(int32_t ch);
float DevelopWeight(int32_t ch);
int32_t PrestigeBand(int32_t ch);
int32_t PanicWeight(int32_t ch);
float ResidentWeight(int32_t ch);
int32_t CashReserve(int32_t ch);
int32_t PurchasePercent(int32_t ch);
float BidFactor(int32_t ch);

// Base score of a score type 0..10 for a district of `kind` blocks (2..4).
int32_t GetRentopiaScoreFor(int32_t type, int32_t kind);
int32_t ScoreFourOwned(AiPlayerState& state, int32_t share);
int32_t ScoreFourOpponent(int32_t share);

// ---- Block value chain ----
// The railroad-and-utility value of a railroad or utility block, else the
// value of the businesses on it.
int32_t GetBlockValueToPlayer(int32_t block, int32_t player);
float GetBlockWorth(int32_t block, const AiPlayerState& state);
float ApplyAffordability(AiPlayerState& state, float x, float worth);
float AddBusinessTerm(int32_t block, const AiPlayerState& state, float x);
float AddProfitTerm(const AiPlayerState& state, int32_t block, float x);
float AddDevelopmentTerm(bool auction, const AiPlayerState& state, int32_t block, float x);
int32_t GetBidCeiling(int32_t block, const AiPlayerState& state);
int32_t GetBidValue(int32_t block, const AiPlayerState& state);
float AddPrestigeTerm(int32_t block, const AiPlayerState& state, float x);
int32_t AdjustForCash(int32_t block, const AiPlayerState& state, int32_t b, int32_t c);
// Smallest rent stage of the district's held blocks; 120 when all are the city's.
int32_t DistrictRentStage(int32_t block);
float AddLandRentTerm(int32_t block, const AiPlayerState& state, float x, float worth);
float AddResidentTerm(int32_t block, const AiPlayerState& state, float x);
int32_t GetValueCap(const AiPlayerState& state, int32_t a, int32_t b);

// ---- Strategy weighing terms (oneOff: one-off purchase sum, expand: expansion sum) ----
void WeighNearlyCompleteDistricts(const AiPlayerState& state, int32_t& oneOff);
void WeighRailUtilityRows(const AiPlayerState& state, int32_t& oneOff);
void WeighCash(const AiPlayerState& state, int32_t& oneOff, int32_t& expand);
void WeighFreeLots(const AiPlayerState& state, int32_t& expand);
void WeighOwnedSets(const AiPlayerState& state, int32_t& expand);
void WeighIdleMoney(const AiPlayerState& state, int32_t& oneOff);
void WeighBusierRivals(const AiPlayerState& state, int32_t& expand);
