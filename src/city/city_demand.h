#pragma once
// The city-wide demand table: for each commodity, how much the housed
// residents want that the open businesses do not yet supply, and for
// housing, how many people still lack a place; kept sorted with the largest
// gap first. Rebuilt at a new game and level start, adjusted as businesses
// open and close and as people arrive. Also the per-block count of
// businesses of each type, the scripted business-demand list, and the name
// tables of commodities, chance cards and player tokens.
#include <array>
#include <cstdint>
#include <string_view>

#include "city/blocks.h"
#include "city/business_types.h"
#include "engine/core/record_visitor.h"

inline constexpr int kDemandRowCount = 33;
inline constexpr int32_t kAccommodationRow = 32;  // stands for housing
inline constexpr int kMaxBusinessDemands = 45;

struct CityWideDemandRow {
  int32_t Commodity = 0;
  int32_t Demand = 0;  // never below 0
  char Name[256] = {};
};

struct CityWideDemandTable {
  std::array<CityWideDemandRow, kDemandRowCount> Rows;
  uint8_t Ready = 0;
};

CityWideDemandTable& CityWideDemand();
// The row of a commodity id 0..32 wherever the sort has put it; null otherwise.
const CityWideDemandRow* FindDemandRow(int32_t commodity);
int32_t GetCityWideDemand(int32_t commodity);  // 0 for a bad id

void ComputeCityWideDemand();
// direction 1 a business opens, 0 it closes.
void ModifyCWDforbusiness(int32_t business, int32_t direction);
// flags bit 0: the person needs a home; direction 0 it arrives, 1 it leaves.
void AdjustCommodityDemandCount(int32_t person, int32_t flags, int32_t direction);
int32_t GetHomelessCount();
int32_t GetCommodityResidentDemand(int32_t commodity);
int32_t GetUnmetDemandTotal();
void ClearCityWideDemand();
// New game and load: an empty table (not ready), no business counts, no
// scripted demands; the level's scripts and the saved chunk fill them.
void ResetCityDemand();
// Level start, once the level's city stands: the table and the per-block
// counts from the records.
void StartCityDemand();

// ---- Businesses of each type per block ----
void RecountBusinessTypesPerBlock();
void IncBlockBusinessTypeCount(int32_t block, int32_t type);
void DecBlockBusinessTypeCount(int32_t block, int32_t type);  // never below 0
int32_t GetBlockBusinessTypeCount(int32_t block, int32_t type);
using BlockTypeCounts = std::array<std::array<int32_t, kBusinessTypeCount>, kBlockCount>;
BlockTypeCounts& BlockBusinessTypeCounts();

// ---- Scripted business demands (C_AddBusDemand) ----
struct BusinessDemandRow {
  int32_t Type = -1;
  int32_t Amount = 0;
  int32_t Zero = 0;
  uint8_t Flag = 0;
};
// Appends a row; a bad type or a full list is refused (false, a warning).
bool AddBusinessDemand(int32_t type, int32_t amount);
void ClearBusinessDemands();
int32_t BusinessDemandCount();
const BusinessDemandRow& GetBusinessDemand(int32_t i);  // i in 0..count-1

// ---- Save chunk 0x800000: the table in its sorted order and the per-block
// counts, so a loaded game goes on exactly as the saved one would have ----
struct CityDemandRecord {
  int32_t Ids[kDemandRowCount] = {};
  int32_t Demands[kDemandRowCount] = {};
  uint8_t Ready = 0;
  int32_t Counts[kBlockCount][kBusinessTypeCount] = {};

  // Every row id once, no negative demand or count, the flag 0 or 1.
  template <class V>
  void Visit(V& v) {
    uint64_t seen = 0;
    bool repeated = false;
    for (int i = 0; i < kDemandRowCount; ++i) {
      v.I32(Ids[i], {0, kDemandRowCount - 1, "demand row"});
      v.I32(Demands[i], {0, INT32_MAX, "demand"});
      uint64_t bit = uint64_t{1} << (static_cast<uint32_t>(Ids[i]) & 63u);
      repeated |= (seen & bit) != 0;
      seen |= bit;
    }
    v.Require(!repeated, "demand row repeated");
    v.U8(Ready, {0, 1, "demand ready flag"});
    v.Pad(3);
    for (auto& row : Counts)
      for (int32_t& n : row) v.I32(n, {0, 600, "business count"});
  }
};
inline constexpr uint32_t kCityDemandChunkLength =
    kDemandRowCount * 8 + 4 + kBlockCount * kBusinessTypeCount * 4;
CityDemandRecord CaptureCityDemand();
void ApplyCityDemand(const CityDemandRecord& record);

// ---- Name tables ----
std::string_view CommodityName(int32_t id);  // "" for any other id
std::string_view CardName(int32_t kind);     // " " for any other kind
std::string_view TokenName(int32_t token);   // "-" for any other token
