#include "city/commodities.h"

#include <cmath>
#include <cstring>

#include "city/text_match.h"
#include "session/save_chunks.h"

std::array<CommodityRow, kCommodityCount> g_Commodities;
std::array<uint32_t, kShoppingClassCount> g_ShoppingClassMasks;

namespace {

constexpr std::string_view kCommodityKeys[kCommodityCount] = {
    "MEAT",     "FISH",        "FRUIT_AND_VEG", "BREAD",   "DAIRY_PRODUCE", "DRINKS",
    "SWEETS",   "MEAL",        "SNACK",         "FASTFOOD", "NEWSPAPER",    "BOOKS",
    "MUSIC_TAPES", "HEALTHCARE", "RECREATIONAL_GOODS", "JEWELLERY", "ELECTRICAL_GOODS",
    "FURNITURE", "ANTIQUES",   "CLOTHING",      "TOYS",    "TOOLS_AND_HARDWARE", "VIDEOS",
    "COMPUTERS", "SOUVENIRS",  "DANCING",       "PERFORMANCE", "MOVIES",    "GAMING",
    "CELL_PHONES", "VACATIONS", "STAY_OVER",
};

constexpr std::string_view kShoppingClassKeys[kShoppingClassCount] = {
    "MAINSHOPPING", "DININGOUTSHOPPING", "SNACKSHOPPING", "ENTERTAINMENTSHOPPING", "STAYOVERSHOPPING",
};

constexpr int32_t kFirstNameTextId = 1051;
constexpr int32_t kFirstPluralTextId = 1083;

}  // namespace

std::string_view CommodityKey(int commodity) {
  return IsCommodity(commodity) ? kCommodityKeys[commodity] : std::string_view();
}

int FindCommodityByKey(std::string_view key) {
  for (int c = 0; c < kCommodityCount; ++c) {
    if (EqualsNoCase(kCommodityKeys[c], key)) return c;
  }
  return -1;
}

std::string_view ShoppingClassKey(int shoppingClass) {
  return (shoppingClass >= 0 && shoppingClass < kShoppingClassCount) ? kShoppingClassKeys[shoppingClass]
                                                                     : std::string_view();
}

int FindShoppingClassByKey(std::string_view key) {
  for (int s = 0; s < kShoppingClassCount; ++s) {
    if (EqualsNoCase(kShoppingClassKeys[s], key)) return s;
  }
  return -1;
}

void ResetCommodities() {
  for (int c = 0; c < kCommodityCount; ++c) {
    g_Commodities[c] = CommodityRow{c, kFirstNameTextId + c, kFirstPluralTextId + c, c, 0, 0.0f, 0.0f};
  }
  g_ShoppingClassMasks.fill(0);
}

bool IsCommodity(int32_t commodity) { return commodity >= 0 && commodity < kCommodityCount; }

float GetCommodityBasePrice(int32_t commodity) {
  return IsCommodity(commodity) ? g_Commodities[commodity].Value : 0.0f;
}

float GetCommodityDefaultPrice(int32_t commodity) {
  return IsCommodity(commodity) ? g_Commodities[commodity].Value * g_Commodities[commodity].Markup : 0.0f;
}

bool SetCommodityMembership(int32_t commodity, int32_t shoppingClass) {
  if (!IsCommodity(commodity) || shoppingClass < 0 || shoppingClass >= kShoppingClassCount) return false;
  g_ShoppingClassMasks[shoppingClass] |= 1u << commodity;
  return true;
}

