#pragma once
// Money-like ratings of businesses and assets: how well a running business
// covers its costs, its running cost and utility bill, which business types
// a block still offers, which owned asset to sell first when cash runs
// short, and the player's standing in cash and accounts.
#include <cstdint>
#include <vector>

class CBusiness;
struct AiPlayerState;

// Facts of the game's rules that the valuation reads: the victory objective
// and the game type (set by the level's rules), and whether an auction is
// announced (set by the auctioneer).
struct AiGameFacts {
  int32_t Objective = 0;  // 1 first to be mayor, 2 weakest link
  int32_t GameType = 0;
  bool AuctionAnnounced = false;
};
AiGameFacts& GetAiGameFacts();

enum SellOffKind : int32_t { kAssetNone = 0, kAssetBlock = 1, kAssetRetail = 2, kAssetResidence = 3 };
struct SellOffCandidate {
  int32_t Score = 0;
  int32_t Kind = kAssetNone;
  int32_t Id = -1;
};

bool IsDayBusiness(int32_t type);
int32_t CountPeriodBusinessesOnBlock(int32_t night, int32_t block);
int32_t GetNumBusIOwnOfType(int32_t player, int32_t type);
int32_t GetNumBusinessesOwned(int32_t player);
// kind 0 day, 1 night, 2 all.
int32_t GetMyBusFootprintUnitsUsed(int32_t player, int32_t block, int32_t kind);
int32_t GetBusinessRunningCost(const CBusiness& business);
int32_t GetScoreForBusinessState(const CBusiness& business);
int32_t GetUtilityCosts(int32_t player, const CBusiness& business);
// Whether the player could open a business of the type on the block: the
// type is available and the block has as many free lots as the type's
// smallest building needs.
bool CouldOpenBusinessOnBlock(int32_t type, int32_t block);
int32_t GetBusinessOpportunities(int32_t player, int32_t block, int32_t kind);

// The asset list (what to sell first): adding sorts the list, best first,
// then appends the entry; removing drops the entry of that kind and id.
void AddAsset(std::vector<SellOffCandidate>& list, const SellOffCandidate& entry);
bool RemoveAsset(std::vector<SellOffCandidate>& list, int32_t kind, int32_t id);
// Fills the list, best first; entries below 80 % of the best are cleared.
void ChooseSellOffAssets(AiPlayerState& state, std::vector<SellOffCandidate>& list);
int32_t GetAssetSaleScore(AiPlayerState& state, int32_t id, int32_t kind);
int32_t GetEstimatedAssets(const AiPlayerState& state);

int32_t GetCashRank(int32_t player);
// set 1 the running day's ledger, 0 the other; never below 0.
float GetAccountsTotal(int32_t set, int32_t player);
int32_t GetAccountsMeasure(int32_t player);
// What the running day still owes against yesterday: yesterday's ledger
// total less today's so far, not below 0.
int32_t GetLedgerTotalDifference(int32_t player);
bool IsSmallAndShortOfCash(float amount, int32_t player);
bool IsMayorOrWeakestLinkObjective();
int32_t BandOfThree(int32_t n);
int32_t CapAtFive(int32_t n);
// A player's quarter share of railroad takings and utility bills for the
// block's list (railroads or utilities), as if the block were its own too.
int32_t GetRailUtilityIncomeEstimate(int32_t player, int32_t block);
// The player's railroad and utility income: for each railroad block it holds
// the railroad's next payout, for each utility block that utility's
// city-wide daily bill.
int32_t GetRailUtilityIncome(int32_t player);
int32_t GetBusinessTypeForCommodity(int32_t commodity);
int32_t GetBusinessTypeSelling(int32_t commodity);
