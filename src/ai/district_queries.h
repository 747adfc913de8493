#pragma once
// Read-only questions the computer players ask of the city: who holds which
// blocks of a district, what is still to get, how much of a block is built
// over and by whom, and what a block earns. Nothing here changes the city.
// A bad block, district or player id is a warning and gives a neutral answer
// (false, 0 or -1): these run during play and must never end the game.
#include <cstdint>
#include <vector>

class CBuilding;
class CBusiness;
class CPlayer;

inline constexpr int32_t kLotsNeededForLandscape = 20;
inline constexpr int32_t kLeaseHoursStillOpen = 5;    // a lease this close to its end still counts as gettable
inline constexpr float kCashToOutwaitLeases = 5000.0f;

// True for a block id 0..51; otherwise a play warning naming `what`.
bool ValidBlock(int32_t block, const char* what);

// ---- Players ----
CPlayer* PlayerInUse(int32_t player);  // the player of slot 0..5 in use, else null
float PlayerCash(int32_t player);      // 0 for no player

// ---- Districts ----
int32_t BlockDistrict(int32_t block);  // the block's district kind, -1 for a bad id
int32_t GetDistrictBlockCount(int32_t district);
int32_t GetBlockDistrictBlockCount(int32_t block);
bool IsDistrictZeroBlock(int32_t block);
bool IsRailroadOrUtilityBlock(int32_t block);
bool IsNonPropertyBlock(int32_t block);

// ---- Ownership ----
bool IsOwnable(int32_t block);
bool AnyBlockOwnable();
bool IsCityOwnedBlock(int32_t block);
bool IsBlockRentopiaOwned(int32_t block);
// Blocks of the district the player still needs, in slot order; returns the count.
int32_t GetBlocksLeftToGetInDistrict(int32_t player, int32_t district, int32_t out[4]);
int32_t CountOwnedOtherBlocksInDistrict(int32_t block);
// Among players in use, the one holding most blocks of the block's district
// (the first wins a tie); -1 and 0 when nobody holds one.
int32_t GetLeadingOwnerInDistrict(int32_t block, int32_t& count);
// Among the other players in use, the one with most cash above 0; -1 and 0 when none.
int32_t GetRichestOtherPlayer(int32_t player, int32_t& cash);
bool OwnsAllOtherDistrictBlocks(int32_t block, int32_t player);
int32_t GetNumBlocksOwnedInDistrictForPlayer(int32_t block, int32_t player);
int32_t GetNumOtherBlocksOwnedInDistrictForPlayer(int32_t block, int32_t player);
int32_t GetNumPlayerOwnedBlocksDistrict(int32_t player, int32_t district);
bool IsBlockUsableByPlayer(int32_t player, int32_t block);

// ---- Building over ----
int32_t BuildingLots(const CBuilding& building);  // columns x rows of its lot rectangle
int32_t GetBuildingSpanX(const CBuilding& building);
int32_t GetBuildingSpanY(const CBuilding& building);
int32_t GetBlockUsedArea(int32_t block);
int32_t GetPcentBlockUsed(int32_t block);
bool IsBlockEmpty(int32_t block);
int32_t GetMyTotalUsedArea(int32_t block, int32_t player);
int32_t GetPcentBlockDeveloped(int32_t block);
bool IsBlockLandscaped(int32_t block);
int32_t GetLandscapeLotsNeeded(int32_t block);
bool AnyUnownedBlockDevelopedByMe(int32_t player);
int32_t CountBlockBuildingsInState1(int32_t block);

// ---- Businesses on blocks ----
// The business standing in a building, or null.
const CBusiness* BuildingBusiness(const CBuilding& building);
bool IsBusinessOfPlayer(const CBusiness& business, int32_t player);
int32_t CountBusinessesOfPlayerOnBlock(int32_t player, int32_t block);
// The player's businesses on the block, in the block's building order.
std::vector<int32_t> ListOwnBusinessesOnBlock(int32_t player, int32_t block);
// The player's residences (the businesses it lets), in business order.
std::vector<int32_t> ListRentedBusinesses(int32_t player);
int32_t CountHotelsOnBlock(int32_t block);
int32_t CountHotelsInDistrict(int32_t district);
bool HasPeriodBusiness(int32_t night, int32_t block);
int32_t GetLargestPeriodBuildingArea(int32_t night, int32_t block);
int32_t GetMyTotalBuildingsInBlock(int32_t player, int32_t block);
int32_t GetNumResidentsInBlock(int32_t block);
int32_t GetBlockFixedCosts(int32_t block);
bool AnyBuildableBlockHasFixedCosts();

// ---- Money of blocks ----
int32_t GetTotalBlockProfit(int32_t block);
int32_t GetSavingForBlock(int32_t block, int32_t player);
int32_t GetIncomeForBlock(int32_t block, int32_t player);
// The ground rent the other players' businesses on the block pay (not the city's).
int32_t GetRivalsGroundRentForBlock(int32_t block, int32_t player);
// What the businesses on the block are worth to whoever holds it: the
// ground rent they pay their landlord each day.
int32_t GetBlockBusinessValue(int32_t block);
// Whole game days the block's current lease has run, at most 120 (120 for
// the city's): how settled its owner is.
int32_t RentStage(int32_t block);
