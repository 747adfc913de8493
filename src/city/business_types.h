#pragma once
// The 45 business types: what may be opened in a building, its size limits,
// stock, hours and utility needs, and the commodities a shop of the type
// sells (up to six, each with a weight that shares out the shop's space).
// Keys, text ids and kinds are fixed; the scripts set every figure and fill
// the commodity lists for each game.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "city/city_limits.h"
#include "engine/core/record_visitor.h"

class CBuilding;

inline constexpr int kMaxTypeCommodities = 6;
inline constexpr int32_t kTypeApartments = 42;
inline constexpr int32_t kTypeHotel = 43;
inline constexpr int32_t kTypeLandscape = 44;
inline constexpr int32_t kNoTypeNameTextId = 862;

enum BusinessKind : int32_t { kBusinessShop = 0, kBusinessResidence = 1, kBusinessLandscape = 2 };

struct BusinessType {
  int32_t Id = 0;
  int32_t NameTextId = 0;
  int32_t DescriptionTextId = 0;
  int32_t Kind = kBusinessShop;
  char Key[32] = {};
  int32_t Available = 0;
  float Density = 0;
  int32_t MinArea = 0;
  int32_t MaxArea = 0;
  int32_t MaxSide = 0;
  int32_t MaxHeight = 0;
  int32_t MinHeight = 0;
  uint8_t CommodityCount = 0;
  uint8_t Pad0[3] = {};
  float TimeInStore = 0;
  int32_t RefurbCost = 0;
  float StockCapacity = 0;  // stock units per footprint unit
  uint8_t OpeningTime = 0;
  uint8_t ClosingTime = 0;
  uint8_t FootprintBand = 0;
  uint8_t Pad1 = 0;
  float TelecomNeed = 0;  // charges per footprint unit per day
  float GasNeed = 0;
  float WaterNeed = 0;
  float ElectricalNeed = 0;
  uint32_t CommodityMask = 0;

  // A row of chunk 0x40000 (the table saved whole, 116 bytes a row).
  template <class V>
  void Visit(V& v) {
    v.Field(Id);
    v.Require(Id == static_cast<int32_t>(v.Row()), "type id");
    v.Field(NameTextId);
    v.Field(DescriptionTextId);
    v.Field(Kind, {kBusinessShop, kBusinessLandscape, "business kind"});
    v.Text(Key, "key");
    v.Field(Available);
    v.Field(Density, kFinite);
    v.Field(MinArea);
    v.Field(MaxArea);
    v.Field(MaxSide);
    v.Field(MaxHeight);
    v.Field(MinHeight);
    v.Field(CommodityCount, {0, kMaxTypeCommodities, "commodity count"});
    v.Field(Pad0);
    v.Field(TimeInStore, kFinite);
    v.Field(RefurbCost);
    v.Field(StockCapacity, kFinite);
    v.Field(OpeningTime);
    v.Field(ClosingTime);
    v.Field(FootprintBand);
    v.Field(Pad1);
    v.Field(TelecomNeed, kFinite);
    v.Field(GasNeed, kFinite);
    v.Field(WaterNeed, kFinite);
    v.Field(ElectricalNeed, kFinite);
    v.Field(CommodityMask);
  }
};
static_assert(sizeof(BusinessType) == 116);

// One entry of a type's commodity list (not saved: the scripts refill it).
struct TypeCommodity {
  int32_t Commodity = -1;
  float Weight = 0;
};
using TypeCommodityList = std::array<TypeCommodity, kMaxTypeCommodities>;

extern std::array<BusinessType, kBusinessTypeCount> g_BusinessTypes;
extern std::array<TypeCommodityList, kBusinessTypeCount> g_TypeCommodities;

// Restores ids, text ids, keys and kinds of all 45 rows and clears every other
// figure and the commodity lists.
void ResetBusinessTypes();
// Empties every type's commodity list (count and mask).
void ClearBusinessTypeCommodities();

bool IsBusinessType(int32_t type);
const BusinessType* GetBusinessType(int32_t type);  // null outside 0..44
int FindBusinessTypeByName(std::string_view key);   // -1 when none (case-insensitive)
// The script constant: the upper-case key, except CHEESE_STORE, HEALTH_CLINIC, APARTMENT.
std::string ScriptConstantOfBusinessType(int32_t type);
int FindEmptyBuildingKindByName(std::string_view name);  // "RETAIL_EMPTY" ... or -1

// BusinessInfo.AddCommodity: appends a commodity with weight percent x 0.01
// (1 when percent < 0, i.e. omitted). A commodity already listed is ignored
// (true); a seventh is refused with the warning "Exceeded maximum commodities
// for a business". False for a bad type or commodity or a full list.
bool AddBusinessTypeCommodity(int32_t type, int32_t commodity, float percent = -1.0f);
// Sum of the weights of the used entries.
float TypeWeightSum(int32_t type);

// Planning figures.
int32_t GetStockCapacityForArea(int32_t units, int32_t type);  // units x stockcapacity
float GetBusinessStockCost(int32_t type, int32_t units);
// A value per unit over an area of units, damped as the area grows.
float DampedAreaValue(int32_t units, float perUnit);
float DampedAreaValue(int32_t a, float b, float c, float d);  // b x c x d per unit
// Figures of a type the block and building rules read; 0 outside the table.
float BusinessTypeDensity(int32_t type);
float BusinessTypeRefurbCost(int32_t type);
// Utility need of a type: 0 telecom, 1 gas, 2 water, 3 electrical.
float BusinessTypeUtilityNeed(int32_t type, int utility);
bool IsEarlyHour();
// CBuilding::FitsBusinessType: available, area, floors and the longer side fit.
bool FitsBusinessType(int32_t type, const CBuilding& building);
bool BusinessTypeFitsArea(int32_t type, int32_t area);

// Save chunk 0x40000: the 45 rows.
inline constexpr uint32_t kBusinessTypesChunkLength = kBusinessTypeCount * sizeof(BusinessType);
using BusinessTypeTable = std::array<BusinessType, kBusinessTypeCount>;
