#include "ai/district_queries.h"

#include <algorithm>
#include <cmath>

#include "ai/business_valuation.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "engine/core/play_warning.h"
#include "session/player.h"
#include "session/session_state.h"

namespace {

bool ValidDistrict(int32_t district, const char* what) {
  if (district >= 0 && district < kDistrictCount) return true;
  PlayWarningF("%s: invalid district id %d", what, district);
  return false;
}

bool ValidPlayer(int32_t player, const char* what) {
  if (player >= 0 && player < kMaxPlayers) return true;
  PlayWarningF("%s: invalid player index %d", what, player);
  return false;
}

const CDistrict& DistrictOf(int32_t block) { return g_Districts[g_BlockDefs[block].District % kDistrictCount]; }

// Calls f(building) for every building of a valid block.
template <class F>
void ForEachBuilding(int32_t block, F f) {
  int guard = 0;
  for (const CBuilding* b = g_Blocks[block].FirstBuilding; b != nullptr && guard < kBuildingPoolSize;
       b = b->Next, ++guard)
    f(*b);
}

// Calls f(business, building) for every business standing on a valid block.
template <class F>
void ForEachBusiness(int32_t block, F f) {
  ForEachBuilding(block, [&](const CBuilding& b) {
    if (const CBusiness* business = BuildingBusiness(b)) f(*business, b);
  });
}

bool IsPeriod(const CBusiness& business, int32_t night) {
  return IsBusinessType(business.Type) && IsDayBusiness(business.Type) == (night == 0);
}

int32_t CountFreeEdgeLots(const CBlock& block) {
  int32_t n = 0;
  for (int x = 0; x < kLotsPerSide; ++x)
    for (int z = 0; z < kLotsPerSide; ++z) {
      bool edge = x == 0 || z == 0 || x == kLotsPerSide - 1 || z == kLotsPerSide - 1;
      if (edge && block.Lots[x][z] == 0) ++n;
    }
  return n;
}

}  // namespace

bool ValidBlock(int32_t block, const char* what) {
  if (block >= 0 && block < kBlockCount) return true;
  PlayWarningF("%s: invalid block id %d", what, block);
  return false;
}

// ---- Players ----

CPlayer* PlayerInUse(int32_t player) {
  CPlayer* p = PlayerTable().Get(player);
  return (p != nullptr && p->inUse) ? p : nullptr;
}

float PlayerCash(int32_t player) {
  const CPlayer* p = PlayerTable().Get(player);
  return p ? p->money : 0.0f;
}

// ---- Districts ----

int32_t BlockDistrict(int32_t block) {
  return (block >= 0 && block < kBlockCount) ? g_BlockDefs[block].District % kDistrictCount : -1;
}

int32_t GetDistrictBlockCount(int32_t district) {
  if (district < 0 || district >= kDistrictCount) return 0;
  int32_t n = 0;
  for (int32_t id : g_Districts[district].Blocks) n += id >= 0;
  return n;
}

int32_t GetBlockDistrictBlockCount(int32_t block) { return GetDistrictBlockCount(BlockDistrict(block)); }

bool IsDistrictZeroBlock(int32_t block) { return BlockDistrict(block) == 0; }

bool IsRailroadOrUtilityBlock(int32_t block) {
  int32_t d = BlockDistrict(block);
  return d == 10 || d == 11;
}

bool IsNonPropertyBlock(int32_t block) { return IsDistrictZeroBlock(block) || IsRailroadOrUtilityBlock(block); }

// ---- Ownership ----

bool IsOwnable(int32_t block) { return ValidBlock(block, "IsOwnable") && g_Blocks[block].Ownable != 0; }

bool AnyBlockOwnable() {
  for (int32_t b = 0; b < kBlockCount; ++b)
    if (IsOwnable(b)) return true;
  return false;
}

bool IsCityOwnedBlock(int32_t block) {
  return ValidBlock(block, "IsCityOwnedBlock") && g_Blocks[block].Owner == 0;
}

bool IsBlockRentopiaOwned(int32_t block) {
  if (!ValidBlock(block, "IsBlockRentopiaOwned")) return false;
  uint8_t owner = g_Blocks[block].Owner;
  if (owner == 0) return false;
  for (int32_t id : DistrictOf(block).Blocks)
    if (id >= 0 && id < kBlockCount && g_Blocks[id].Owner != owner) return false;
  return true;
}

int32_t GetBlocksLeftToGetInDistrict(int32_t player, int32_t district, int32_t out[4]) {
  if (!ValidDistrict(district, "GetBlocksLeftToGetInDistrict")) return 0;
  const CPlayer* p = PlayerTable().Get(player);
  float cash = p ? p->money : 0.0f;
  int32_t n = 0;
  for (int32_t id : g_Districts[district].Blocks) {
    if (id < 0 || id >= kBlockCount) continue;
    if (p != nullptr && p->ownedBlocks[id]) continue;
    const CBlock& b = g_Blocks[id];
    // A long lease is out of reach; with cash to spare only a held block's lease matters.
    bool leaseBars = b.LeaseHours > kLeaseHoursStillOpen;
    if (leaseBars && (cash < kCashToOutwaitLeases || b.Owner != 0)) continue;
    out[n++] = id;
  }
  return n;
}

int32_t CountOwnedOtherBlocksInDistrict(int32_t block) {
  if (!ValidBlock(block, "CountOwnedOtherBlocksInDistrict")) return 0;
  int32_t n = 0;
  for (int32_t id : DistrictOf(block).Blocks)
    if (id >= 0 && id < kBlockCount && id != block && g_Blocks[id].Owner != 0) ++n;
  return n;
}

int32_t GetLeadingOwnerInDistrict(int32_t block, int32_t& count) {
  count = 0;
  if (!ValidBlock(block, "GetLeadingOwnerInDistrict")) return -1;
  int32_t leader = -1;
  for (int32_t p = 0; p < kMaxPlayers; ++p) {
    if (PlayerInUse(p) == nullptr) continue;
    int32_t held = GetNumBlocksOwnedInDistrictForPlayer(block, p);
    if (held > count) {
      count = held;
      leader = p;
    }
  }
  return leader;
}

int32_t GetRichestOtherPlayer(int32_t player, int32_t& cash) {
  cash = 0;
  int32_t richest = -1;
  float best = 0.0f;
  for (int32_t p = 0; p < kMaxPlayers; ++p) {
    const CPlayer* other = PlayerInUse(p);
    if (p == player || other == nullptr || other->money <= best) continue;
    best = other->money;
    richest = p;
  }
  if (richest >= 0) cash = static_cast<int32_t>(best);
  return richest;
}

bool OwnsAllOtherDistrictBlocks(int32_t block, int32_t player) {
  if (!ValidBlock(block, "OwnsAllOtherDistrictBlocks") || !ValidPlayer(player, "OwnsAllOtherDistrictBlocks"))
    return false;
  for (int32_t id : DistrictOf(block).Blocks) {
    if (id < 0 || id >= kBlockCount || id == block || !g_Blocks[id].InUse) continue;
    if (g_Blocks[id].Owner != player + 1) return false;
  }
  return true;
}

int32_t GetNumBlocksOwnedInDistrictForPlayer(int32_t block, int32_t player) {
  if (!ValidPlayer(player, "GetNumBlocksOwnedInDistrictForPlayer") ||
      !ValidBlock(block, "GetNumBlocksOwnedInDistrictForPlayer"))
    return 0;
  int32_t n = 0;
  for (int32_t id : DistrictOf(block).Blocks) n += id >= 0 && id < kBlockCount && g_Blocks[id].Owner == player + 1;
  return n;
}

int32_t GetNumOtherBlocksOwnedInDistrictForPlayer(int32_t block, int32_t player) {
  if (!ValidPlayer(player, "GetNumOtherBlocksOwnedInDistrictForPlayer") ||
      !ValidBlock(block, "GetNumOtherBlocksOwnedInDistrictForPlayer"))
    return 0;
  return GetNumBlocksOwnedInDistrictForPlayer(block, player) - (g_Blocks[block].Owner == player + 1);
}

int32_t GetNumPlayerOwnedBlocksDistrict(int32_t player, int32_t district) {
  if (!ValidDistrict(district, "GetNumPlayerOwnedBlocksDistrict") ||
      !ValidPlayer(player, "GetNumPlayerOwnedBlocksDistrict"))
    return 0;
  int32_t n = 0;
  for (int32_t id : g_Districts[district].Blocks) n += id >= 0 && id < kBlockCount && g_Blocks[id].Owner == player + 1;
  return n;
}

bool IsBlockUsableByPlayer(int32_t player, int32_t block) {
  if (!ValidBlock(block, "IsBlockUsableByPlayer")) return false;
  const CBlock& b = g_Blocks[block];
  return b.BuildingRights == kRightsGranted || (b.BuildingRights == kRightsPreparing && b.Owner == player + 1);
}

// ---- Building over ----

int32_t BuildingLots(const CBuilding& b) { return (b.X2 - b.X1 + 1) * (b.Z2 - b.Z1 + 1); }
int32_t GetBuildingSpanX(const CBuilding& b) { return b.X2 - b.X1; }
int32_t GetBuildingSpanY(const CBuilding& b) { return b.Z2 - b.Z1; }

int32_t GetBlockUsedArea(int32_t block) {
  if (!ValidBlock(block, "GetBlockUsedArea")) return 0;
  int32_t area = 0;
  ForEachBuilding(block, [&](const CBuilding& b) { area += BuildingLots(b); });
  return area;
}

int32_t GetPcentBlockUsed(int32_t block) { return GetBlockUsedArea(block) * 100 / kLotCount; }

bool IsBlockEmpty(int32_t block) { return GetBlockUsedArea(block) == 0; }

int32_t GetMyTotalUsedArea(int32_t block, int32_t player) {
  if (!ValidBlock(block, "GetMyTotalUsedArea")) return 0;
  int32_t area = 0;
  ForEachBusiness(block, [&](const CBusiness& business, const CBuilding& b) {
    if (IsBusinessOfPlayer(business, player)) area += BuildingLots(b);
  });
  return area;
}

int32_t GetPcentBlockDeveloped(int32_t block) {
  if (!ValidBlock(block, "GetPcentBlockDeveloped")) return 0;
  int32_t area = 0;
  ForEachBuilding(block, [&](const CBuilding& b) {
    if (b.Kind == kKindRetail || b.Kind == kKindResidential) area += BuildingLots(b);
  });
  return area * 100 / kLotCount;
}

static int32_t LandscapedLots(int32_t block) {
  int32_t area = 0;
  ForEachBuilding(block, [&](const CBuilding& b) {
    if (b.Kind == kKindLandscape) area += BuildingLots(b);
  });
  return area;
}

bool IsBlockLandscaped(int32_t block) {
  return ValidBlock(block, "IsBlockLandscaped") && LandscapedLots(block) >= kLotsNeededForLandscape;
}

int32_t GetLandscapeLotsNeeded(int32_t block) {
  if (!ValidBlock(block, "GetLandscapeLotsNeeded")) return 0;
  return std::max(0, kLotsNeededForLandscape - LandscapedLots(block));
}

bool AnyUnownedBlockDevelopedByMe(int32_t player) {
  for (int32_t b = 0; b < kBlockCount; ++b) {
    int32_t d = BlockDistrict(b);
    if (d < 1 || d > 9 || g_Blocks[b].Owner == player + 1) continue;
    if (GetMyTotalUsedArea(b, player) > 23) return true;
  }
  return false;
}

int32_t CountBlockBuildingsInState1(int32_t block) {
  if (!ValidBlock(block, "CountBlockBuildingsInState1")) return 0;
  int32_t n = 0;
  ForEachBuilding(block, [&](const CBuilding& b) { n += b.Status == kStatusPhase1; });
  return n;
}

// ---- Businesses on blocks ----

const CBusiness* BuildingBusiness(const CBuilding& building) { return GetBusinessInUse(building.BusinessIndex); }

bool IsBusinessOfPlayer(const CBusiness& business, int32_t player) { return business.Owner == player + 1; }

int32_t CountBusinessesOfPlayerOnBlock(int32_t player, int32_t block) {
  if (!ValidBlock(block, "CountBusinessesOfPlayerOnBlock")) return 0;
  int32_t n = 0;
  ForEachBusiness(block, [&](const CBusiness& business, const CBuilding&) { n += IsBusinessOfPlayer(business, player); });
  return n;
}

std::vector<int32_t> ListOwnBusinessesOnBlock(int32_t player, int32_t block) {
  std::vector<int32_t> ids;
  if (!ValidBlock(block, "ListOwnBusinessesOnBlock")) return ids;
  ForEachBusiness(block, [&](const CBusiness& business, const CBuilding&) {
    if (IsBusinessOfPlayer(business, player)) ids.push_back(business.Index);
  });
  return ids;
}

std::vector<int32_t> ListRentedBusinesses(int32_t player) {
  std::vector<int32_t> ids;
  for (const CBusiness& b : g_Businesses)
    if (b.InUse && IsBusinessOfPlayer(b, player) && b.IsResidence()) ids.push_back(b.Index);
  return ids;
}

int32_t CountHotelsOnBlock(int32_t block) {
  if (!ValidBlock(block, "CountHotelsOnBlock")) return 0;
  int32_t n = 0;
  ForEachBusiness(block, [&](const CBusiness& business, const CBuilding&) { n += business.Type == kTypeHotel; });
  return n;
}

int32_t CountHotelsInDistrict(int32_t district) {
  if (!ValidDistrict(district, "CountHotelsInDistrict")) return 0;
  int32_t n = 0;
  for (int slot = 0; slot < 3; ++slot) {
    int32_t id = g_Districts[district].Blocks[slot];
    if (id >= 0 && id < kBlockCount) n += CountHotelsOnBlock(id);
  }
  return n;
}

bool HasPeriodBusiness(int32_t night, int32_t block) {
  if (!ValidBlock(block, "HasPeriodBusiness")) return false;
  bool found = false;
  ForEachBusiness(block, [&](const CBusiness& business, const CBuilding&) { found |= IsPeriod(business, night); });
  return found;
}

int32_t GetLargestPeriodBuildingArea(int32_t night, int32_t block) {
  if (!ValidBlock(block, "GetLargestPeriodBuildingArea")) return 0;
  int32_t best = 0;
  ForEachBusiness(block, [&](const CBusiness& business, const CBuilding& b) {
    if (IsPeriod(business, night)) best = std::max(best, BuildingLots(b));
  });
  return best;
}

int32_t GetMyTotalBuildingsInBlock(int32_t player, int32_t block) {
  if (!ValidBlock(block, "GetMyTotalBuildingsInBlock")) return 0;
  return CountBusinessesOfPlayerOnBlock(player, block);
}

int32_t GetNumResidentsInBlock(int32_t block) {
  if (!ValidBlock(block, "GetNumResidentsInBlock")) return 0;
  int32_t n = 0;
  ForEachBusiness(block, [&](const CBusiness& business, const CBuilding&) {
    if (business.Type == kTypeApartments) n += business.Occupants;
  });
  return n;
}

int32_t GetBlockFixedCosts(int32_t block) {
  if (!ValidBlock(block, "GetBlockFixedCosts")) return 0;
  int32_t sum = 0;
  ForEachBusiness(block, [&](const CBusiness& business, const CBuilding&) { sum += business.GroundRent; });
  return sum;
}

bool AnyBuildableBlockHasFixedCosts() {
  for (int32_t b = 0; b < kBlockCount; ++b) {
    int32_t d = BlockDistrict(b);
    if (!IsOwnable(b) || d < 1 || d > 9 || CountFreeEdgeLots(g_Blocks[b]) == 0) continue;
    if (GetBlockFixedCosts(b) > 0) return true;
  }
  return false;
}

// ---- Money of blocks ----

int32_t GetTotalBlockProfit(int32_t block) {
  if (!ValidBlock(block, "GetTotalBlockProfit")) return 0;
  int32_t total = 0;
  // Truncated after each addition, so small profits do not add up to a whole.
  ForEachBusiness(block, [&](const CBusiness& business, const CBuilding&) {
    total = static_cast<int32_t>(static_cast<float>(total) + business.GetProfit());
  });
  return total;
}

int32_t GetSavingForBlock(int32_t block, int32_t player) {
  if (!ValidBlock(block, "GetSavingForBlock")) return 0;
  int32_t sum = 0;
  ForEachBusiness(block, [&](const CBusiness& business, const CBuilding&) {
    if (IsBusinessOfPlayer(business, player)) sum += business.GroundRent;
  });
  return sum;
}

int32_t GetIncomeForBlock(int32_t block, int32_t player) {
  if (!ValidBlock(block, "GetIncomeForBlock")) return 0;
  int32_t sum = 0;
  ForEachBusiness(block, [&](const CBusiness& business, const CBuilding&) {
    if (!IsBusinessOfPlayer(business, player)) sum += business.GroundRent;
  });
  return sum;
}

int32_t GetRivalsGroundRentForBlock(int32_t block, int32_t player) {
  if (!ValidBlock(block, "GetRivalsGroundRentForBlock")) return 0;
  int32_t sum = 0;
  ForEachBusiness(block, [&](const CBusiness& business, const CBuilding&) {
    if (business.Owner != 0 && !IsBusinessOfPlayer(business, player)) sum += business.GroundRent;
  });
  return sum;
}

int32_t GetBlockBusinessValue(int32_t block) {
  if (!ValidBlock(block, "GetBlockBusinessValue")) return 0;
  int32_t sum = 0;
  ForEachBusiness(block, [&](const CBusiness& business, const CBuilding&) { sum += business.GroundRent; });
  return sum;
}

int32_t RentStage(int32_t block) {
  constexpr int32_t kMaxStage = 120;
  if (!ValidBlock(block, "RentStage")) return kMaxStage;
  const CBlock& b = g_Blocks[block];
  if (b.Owner == 0) return kMaxStage;
  int32_t hoursRun = std::max(0, Tweaks().blockLeaseLength - b.LeaseHours);
  return std::min(kMaxStage, hoursRun / 24);
}
