#include "city/business_types.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "city/buildings.h"
#include "session/game_clock.h"
#include "city/commodities.h"
#include "city/text_match.h"
#include "engine/core/error.h"
#include "session/save_chunks.h"

std::array<BusinessType, kBusinessTypeCount> g_BusinessTypes;
std::array<TypeCommodityList, kBusinessTypeCount> g_TypeCommodities;

namespace {

constexpr const char* kTypeKeys[kBusinessTypeCount] = {
    "bakery",         "butchers",        "deli",           "dairy_store",      "fish_market",
    "greengrocers",   "general_store",   "supermarket",    "department_store", "pharmacy",
    "news_stand",     "clothes_store",   "cafe",           "restaurant",       "diner",
    "fast_food_outlet", "icecream_parlour", "bar",         "nightclub",        "ballroom",
    "cinema",         "theatre",         "bowling_alley",  "pool_hall",        "travel_agency",
    "sports_store",   "jewellers",       "book_store",     "music_store",      "video_store",
    "health_club",    "doctors_surgery", "electrical_store", "electrical_superstore", "hardware_store",
    "souvenir_shop",  "toy_store",       "computer_store", "phone_shop",       "furniture_store",
    "antique_store",  "amusement_arcade", "apartments",    "hotel",            "landscape",
};

// Text ids of the names run 866, 863, 864, 865, then on from 867 with three
// gaps (889, 906 and, for the descriptions, 936 and 953 likewise).
int32_t TextIdOfType(int type, int32_t firstRunStart, const int32_t (&lead)[4]) {
  if (type < 4) return lead[type];
  int32_t id = firstRunStart + (type - 4);  // types 4..25
  if (type >= 26) ++id;                     // after the first gap
  if (type >= 42) ++id;                     // after the second gap
  return id;
}

constexpr const char* kEmptySuffix = "_EMPTY";

}  // namespace

void ResetBusinessTypes() {
  static constexpr int32_t kNameLead[4] = {866, 863, 864, 865};
  static constexpr int32_t kDescriptionLead[4] = {913, 910, 911, 912};
  for (int t = 0; t < kBusinessTypeCount; ++t) {
    BusinessType& row = g_BusinessTypes[t];
    row = BusinessType{};
    row.Id = t;
    row.NameTextId = TextIdOfType(t, 867, kNameLead);
    row.DescriptionTextId = TextIdOfType(t, 914, kDescriptionLead);
    row.Kind = t == kTypeApartments ? kBusinessResidence : t == kTypeLandscape ? kBusinessLandscape : kBusinessShop;
    std::strncpy(row.Key, kTypeKeys[t], sizeof(row.Key) - 1);
  }
  ClearBusinessTypeCommodities();
}

void ClearBusinessTypeCommodities() {
  for (int t = 0; t < kBusinessTypeCount; ++t) {
    g_BusinessTypes[t].CommodityCount = 0;
    g_BusinessTypes[t].CommodityMask = 0;
    g_TypeCommodities[t].fill(TypeCommodity{});
  }
}

bool IsBusinessType(int32_t type) { return type >= 0 && type < kBusinessTypeCount; }

const BusinessType* GetBusinessType(int32_t type) { return IsBusinessType(type) ? &g_BusinessTypes[type] : nullptr; }

int FindBusinessTypeByName(std::string_view key) {
  for (int t = 0; t < kBusinessTypeCount; ++t) {
    if (EqualsNoCase(FieldText(g_BusinessTypes[t].Key), key)) return t;
  }
  return -1;
}

std::string ScriptConstantOfBusinessType(int32_t type) {
  if (type == 3) return "CHEESE_STORE";
  if (type == 30) return "HEALTH_CLINIC";
  if (type == kTypeApartments) return "APARTMENT";
  if (!IsBusinessType(type)) return {};
  std::string s(kTypeKeys[type]);
  for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return s;
}

int FindEmptyBuildingKindByName(std::string_view name) {
  size_t suffix = std::strlen(kEmptySuffix);
  if (name.size() <= suffix || !EqualsNoCase(name.substr(name.size() - suffix), kEmptySuffix)) return -1;
  return FindBuildingKindByName(name.substr(0, name.size() - suffix));
}

bool AddBusinessTypeCommodity(int32_t type, int32_t commodity, float percent) {
  if (!IsBusinessType(type) || !IsCommodity(commodity)) return false;
  BusinessType& row = g_BusinessTypes[type];
  TypeCommodityList& list = g_TypeCommodities[type];
  int count = std::min<int>(row.CommodityCount, kMaxTypeCommodities);
  for (int i = 0; i < count; ++i) {
    if (list[i].Commodity == commodity) return true;
  }
  if (count >= kMaxTypeCommodities) {
    ReportError(1, 0, "Exceeded maximum commodities for a business");
    return false;
  }
  float weight = percent < 0.0f ? 1.0f : percent * 0.01f;
  if (!std::isfinite(weight)) weight = 1.0f;
  list[count] = TypeCommodity{commodity, weight};
  row.CommodityCount = static_cast<uint8_t>(count + 1);
  row.CommodityMask |= 1u << commodity;
  return true;
}

float TypeWeightSum(int32_t type) {
  if (!IsBusinessType(type)) return 0.0f;
  float w = 0.0f;
  int count = std::min<int>(g_BusinessTypes[type].CommodityCount, kMaxTypeCommodities);
  for (int i = 0; i < count; ++i) w += g_TypeCommodities[type][i].Weight;
  return w;
}

int32_t GetStockCapacityForArea(int32_t units, int32_t type) {
  if (!IsBusinessType(type)) return 0;
  return static_cast<int32_t>(static_cast<float>(units) * g_BusinessTypes[type].StockCapacity);
}

float GetBusinessStockCost(int32_t type, int32_t units) {
  if (!IsBusinessType(type)) return 0.0f;
  const BusinessType& row = g_BusinessTypes[type];
  float w = TypeWeightSum(type);
  int count = std::min<int>(row.CommodityCount, kMaxTypeCommodities);
  if (count == 0 || w == 0.0f) return 0.0f;
  float n = static_cast<float>(static_cast<int32_t>(static_cast<float>(units) * row.StockCapacity));
  float cost = 0.0f;
  for (int i = 0; i < count; ++i) {
    const TypeCommodity& e = g_TypeCommodities[type][i];
    cost += n * e.Weight * GetCommodityBasePrice(e.Commodity) / w;
  }
  return cost;
}

float DampedAreaValue(int32_t units, float perUnit) {
  if (units <= 0) return 0.0f;
  float u = static_cast<float>(units);
  return u * (perUnit - (1.0f - 1.0f / std::sqrt(u)) * perUnit * 0.5f);
}

float DampedAreaValue(int32_t a, float b, float c, float d) { return DampedAreaValue(a, b * c * d); }

float BusinessTypeDensity(int32_t type) {
  const BusinessType* t = GetBusinessType(type);
  return t ? t->Density : 0.0f;
}

float BusinessTypeRefurbCost(int32_t type) {
  const BusinessType* t = GetBusinessType(type);
  return t ? static_cast<float>(t->RefurbCost) : 0.0f;
}

float BusinessTypeUtilityNeed(int32_t type, int utility) {
  const BusinessType* t = GetBusinessType(type);
  if (t == nullptr) return 0.0f;
  switch (utility) {
    case 0: return t->TelecomNeed;
    case 1: return t->GasNeed;
    case 2: return t->WaterNeed;
    case 3: return t->ElectricalNeed;
    default: return 0.0f;
  }
}

bool IsEarlyHour() { return GameClock().hour < 6; }

bool FitsBusinessType(int32_t type, const CBuilding& building) {
  const BusinessType* row = GetBusinessType(type);
  if (row == nullptr || !row->Available) return false;
  int32_t width = building.X2 - building.X1 + 1;
  int32_t depth = building.Z2 - building.Z1 + 1;
  int32_t area = width * depth;
  int32_t floors = building.Floors;
  return area >= row->MinArea && area <= row->MaxArea && floors >= row->MinHeight && floors <= row->MaxHeight &&
         std::max(width, depth) <= row->MaxSide;
}

bool BusinessTypeFitsArea(int32_t type, int32_t area) {
  const BusinessType* row = GetBusinessType(type);
  return row != nullptr && row->Available && area >= row->MinArea && row->MaxArea != 0;
}

