#pragma once
// The city's 32 commodities and the five shopping classes that group them.
// Keys, text ids and icons are fixed; whether a commodity is traded, its base
// value and its markup are set by the scripts of each game.
#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <string_view>

#include "engine/core/record_visitor.h"

inline constexpr int kCommodityCount = 32;
inline constexpr int kShoppingClassCount = 5;

struct CommodityRow {
  int32_t Id = 0;
  int32_t NameTextId = 0;
  int32_t PluralTextId = 0;
  int32_t IconIndex = 0;
  int32_t Active = 0;  // set by scripts
  float Value = 0;     // base price of one unit: what a shop pays for it
  float Markup = 0;    // base price to default selling price

  // A row of chunk 0x200000 (the table saved whole).
  template <class V>
  void Visit(V& v) {
    v.Field(Id);
    v.Require(Id == static_cast<int32_t>(v.Row()), "commodity id");
    v.Field(NameTextId);
    v.Field(PluralTextId);
    v.Field(IconIndex);
    v.Field(Active);
    v.Field(Value, kFinite);
    v.Field(Markup, kFinite);
    v.Require(Value >= 0 && Markup >= 0, "price");
  }
};
static_assert(sizeof(CommodityRow) == 28);
using CommodityType = CommodityRow;  // the name the panels and scripts use

extern std::array<CommodityRow, kCommodityCount> g_Commodities;
// Shopping classes: MAINSHOPPING, DININGOUTSHOPPING, SNACKSHOPPING,
// ENTERTAINMENTSHOPPING, STAYOVERSHOPPING; bit c set when commodity c belongs.
extern std::array<uint32_t, kShoppingClassCount> g_ShoppingClassMasks;

enum ShoppingClass : int {
  kMainShopping = 0,
  kDiningOutShopping = 1,
  kSnackShopping = 2,
  kEntertainmentShopping = 3,
  kStayOverShopping = 4,
};

// The script constant of a commodity ("MEAT" ... "STAY_OVER").
std::string_view CommodityKey(int commodity);
int FindCommodityByKey(std::string_view key);  // -1 when none (case-insensitive)
std::string_view ShoppingClassKey(int shoppingClass);
int FindShoppingClassByKey(std::string_view key);  // -1 when none

// Restores ids, text ids and icons; clears active, value, markup and the
// shopping-class masks.
void ResetCommodities();
bool IsCommodity(int32_t commodity);
// The commodity's `value`; 0 for a number outside the table.
float GetCommodityBasePrice(int32_t commodity);
// value x markup: the default selling price before rounding.
float GetCommodityDefaultPrice(int32_t commodity);
// Commodity.Membership: puts the commodity into a shopping class. False for a
// bad commodity or class.
bool SetCommodityMembership(int32_t commodity, int32_t shoppingClass);

// Save chunk 0x200000: the 32 rows.
inline constexpr uint32_t kCommoditiesChunkLength = kCommodityCount * sizeof(CommodityRow);
using CommodityTable = std::array<CommodityRow, kCommodityCount>;
