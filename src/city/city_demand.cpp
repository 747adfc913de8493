#include "city/city_demand.h"

#include <algorithm>
#include <cstring>

#include "city/business.h"
#include "city/commodities.h"
#include "city/households.h"
#include "city/people.h"
#include "city/person.h"
#include "engine/core/play_warning.h"

namespace {

CityWideDemandTable g_demand;
BlockTypeCounts g_blockTypeCounts;
std::array<BusinessDemandRow, kMaxBusinessDemands> g_busDemands;
int32_t g_busDemandCount = 0;

constexpr const char* kCommodityNames[kDemandRowCount] = {
    "MEAT", "FISH", "FRUIT_AND_VEG", "BREAD", "DAIRY_PRODUCE", "DRINKS", "SWEETS", "MEAL", "SNACK",
    "FASTFOOD", "NEWSPAPER", "BOOKS", "MUSIC_TAPES", "HEALTHCARE", "RECREATIONAL_GOODS", "JEWELLERY",
    "ELECTRICAL_GOODS", "FURNITURE", "ANTIQUES", "CLOTHING", "TOYS", "TOOLS_AND_HARDWARE", "VIDEOS",
    "COMPUTERS", "SOUVENIRS", "DANCING", "PERFORMANCE", "MOVIES", "GAMING", "CELL_PHONES", "VACATIONS",
    "STAY_OVER", "ACCOMMODATION"};
constexpr const char* kCardNames[] = {"Store Strike", "Shopping Centre Publicity", "Store Publicity",
                                      "Special Restock", "Stock Write-off", "Inflated prices",
                                      "Bad Publicity", "Early Lease Expiry", "Hostile Takeover"};
constexpr const char* kTokenNames[] = {"CAR", "CART", "DOG", "ROCKET", "CROWN",
                                       "HORSE", "KETTLE", "SHIP", "PLANE", "TRUMPET"};

CityWideDemandRow* Row(int32_t commodity) { return const_cast<CityWideDemandRow*>(FindDemandRow(commodity)); }

void SortRows() {
  // Stable, so rows of equal demand stay in the same order on every machine.
  std::stable_sort(g_demand.Rows.begin(), g_demand.Rows.end(),
                   [](const CityWideDemandRow& a, const CityWideDemandRow& b) { return a.Demand > b.Demand; });
}

void AddToRow(int32_t commodity, int64_t amount) {
  CityWideDemandRow* r = Row(commodity);
  if (r == nullptr) return;
  r->Demand = static_cast<int32_t>(std::clamp<int64_t>(r->Demand + amount, 0, INT32_MAX));
}

// One person's demand for a commodity, in units: the household's money
// meant for it over what one unit costs a shop.
int32_t ResidentDemand(const CPerson& p, int32_t commodity) {
  const CHousehold* h = GetHousehold(p.Household);
  float unit = GetCommodityBasePrice(commodity);
  if (h == nullptr || unit <= 0.0f) return 0;
  return std::max(0, static_cast<int32_t>(h->Want[commodity] / unit));
}

// What a business supplies of each commodity its type sells.
int32_t Supply(const CBusiness& b) { return GetSetupCostForArea(b.GetFootprintUnits(), b.Type); }

// Calls f(commodity) for each commodity the business's type sells.
template <class F>
void ForEachSoldCommodity(const CBusiness& b, F f) {
  const BusinessType* t = b.GetTypeRow();
  if (t == nullptr) return;
  for (int s = 0; s < std::min<int>(t->CommodityCount, kMaxTypeCommodities); ++s) {
    int32_t c = g_TypeCommodities[b.Type][s].Commodity;
    if (c >= 0 && c < kCommodityCount) f(c);
  }
}

// Takes a business's supply off the table (sign -1) or gives it back (+1).
// Apartments supply places to live; every other business its commodities.
void ApplySupply(const CBusiness& b, int sign) {
  if (b.Type == kTypeApartments) {
    AddToRow(kAccommodationRow, sign * static_cast<int64_t>(b.Capacity));
    return;
  }
  int32_t supply = Supply(b);
  ForEachSoldCommodity(b, [&](int32_t c) { AddToRow(c, sign * static_cast<int64_t>(supply)); });
}

bool ValidCell(int32_t block, int32_t type) {
  return block >= 0 && block < kBlockCount && type >= 0 && type < kBusinessTypeCount;
}

}  // namespace

CityWideDemandTable& CityWideDemand() { return g_demand; }

const CityWideDemandRow* FindDemandRow(int32_t commodity) {
  for (const CityWideDemandRow& r : g_demand.Rows)
    if (r.Commodity == commodity) return &r;
  return nullptr;
}

int32_t GetCityWideDemand(int32_t commodity) {
  const CityWideDemandRow* r = FindDemandRow(commodity);
  return r ? r->Demand : 0;
}

void ClearCityWideDemand() {
  for (int32_t i = 0; i < kDemandRowCount; ++i) {
    CityWideDemandRow& r = g_demand.Rows[i];
    r = CityWideDemandRow{};
    r.Commodity = i;
    std::strncpy(r.Name, kCommodityNames[i], sizeof r.Name - 1);
  }
  g_demand.Ready = 0;
}

void ComputeCityWideDemand() {
  ClearCityWideDemand();
  for (const CPerson& p : g_People) {
    if (!p.InUse) continue;
    for (int32_t c = 0; c < kCommodityCount; ++c) AddToRow(c, ResidentDemand(p, c));
  }
  Row(kAccommodationRow)->Demand = GetHomelessCount();
  for (const CBusiness& b : g_Businesses)
    if (b.InUse) ApplySupply(b, -1);
  SortRows();
  g_demand.Ready = 1;
}

void ModifyCWDforbusiness(int32_t business, int32_t direction) {
  const CBusiness* b = GetBusinessInUse(business);
  if (b == nullptr) {
    PlayWarningF("ModifyCWDforbusiness -- Got Bad Business!");
    return;
  }
  if (!g_demand.Ready) return;  // built from the records when the game starts
  ApplySupply(*b, direction == 1 ? -1 : 1);
  SortRows();
}

void AdjustCommodityDemandCount(int32_t person, int32_t flags, int32_t direction) {
  if (person < 0 || person >= kMaxPeople || !g_People[person].InUse) return;
  if (!g_demand.Ready || (flags & 1) == 0) return;
  AddToRow(kAccommodationRow, direction == 0 ? 1 : -1);
  SortRows();
}

int32_t GetHomelessCount() {
  int32_t n = 0;
  for (const CPerson& p : g_People) n += p.InUse && GetHousingStatus(p) == 1;
  return n;
}

int32_t GetCommodityResidentDemand(int32_t commodity) {
  if (commodity < 0 || commodity >= kCommodityCount) return 0;
  int32_t sum = 0;
  for (const CPerson& p : g_People)
    if (p.InUse && GetHousingStatus(p) == 2) sum += ResidentDemand(p, commodity);
  return sum;
}

int32_t GetUnmetDemandTotal() {
  std::array<int32_t, kCommodityCount> left{};
  for (int32_t c = 0; c < kCommodityCount; ++c) left[c] = GetCommodityResidentDemand(c);
  for (const CBusiness& b : g_Businesses) {
    if (!b.InUse || b.Type == kTypeApartments) continue;
    int32_t supply = Supply(b);
    ForEachSoldCommodity(b, [&](int32_t c) { left[c] = std::max(0, left[c] - supply); });
  }
  int32_t total = 0;
  for (int32_t v : left) total += v;
  return total;
}

void ResetCityDemand() {
  ClearCityWideDemand();
  for (auto& row : g_blockTypeCounts) row.fill(0);
  ClearBusinessDemands();
}

void StartCityDemand() {
  ComputeCityWideDemand();
  RecountBusinessTypesPerBlock();
}

// ---- Businesses of each type per block ----

BlockTypeCounts& BlockBusinessTypeCounts() { return g_blockTypeCounts; }

void RecountBusinessTypesPerBlock() {
  for (auto& row : g_blockTypeCounts) row.fill(0);
  for (const CBusiness& b : g_Businesses)
    if (b.InUse) IncBlockBusinessTypeCount(b.GetBlock(), b.Type);
}

void IncBlockBusinessTypeCount(int32_t block, int32_t type) {
  if (ValidCell(block, type)) ++g_blockTypeCounts[block][type];
}

void DecBlockBusinessTypeCount(int32_t block, int32_t type) {
  if (ValidCell(block, type) && g_blockTypeCounts[block][type] > 0) --g_blockTypeCounts[block][type];
}

int32_t GetBlockBusinessTypeCount(int32_t block, int32_t type) {
  return ValidCell(block, type) ? g_blockTypeCounts[block][type] : 0;
}

// ---- Scripted business demands ----

bool AddBusinessDemand(int32_t type, int32_t amount) {
  if (!IsBusinessType(type)) {
    PlayWarningF("C_AddBusDemand: invalid business type %d", type);
    return false;
  }
  if (g_busDemandCount >= kMaxBusinessDemands) {
    PlayWarningF("C_AddBusDemand: the business demand list is full");
    return false;
  }
  g_busDemands[g_busDemandCount++] = BusinessDemandRow{type, amount, 0, 0};
  return true;
}

void ClearBusinessDemands() {
  g_busDemands.fill(BusinessDemandRow{});
  g_busDemandCount = 0;
}

int32_t BusinessDemandCount() { return g_busDemandCount; }
const BusinessDemandRow& GetBusinessDemand(int32_t i) { return g_busDemands[std::clamp(i, 0, kMaxBusinessDemands - 1)]; }

// ---- Save chunk ----

CityDemandRecord CaptureCityDemand() {
  CityDemandRecord r;
  for (int i = 0; i < kDemandRowCount; ++i) {
    r.Ids[i] = g_demand.Rows[i].Commodity;
    r.Demands[i] = g_demand.Rows[i].Demand;
  }
  r.Ready = g_demand.Ready;
  for (int b = 0; b < kBlockCount; ++b)
    for (int t = 0; t < kBusinessTypeCount; ++t) r.Counts[b][t] = g_blockTypeCounts[b][t];
  return r;
}

void ApplyCityDemand(const CityDemandRecord& r) {
  for (int i = 0; i < kDemandRowCount; ++i) {
    CityWideDemandRow& row = g_demand.Rows[i];
    row = CityWideDemandRow{};
    row.Commodity = r.Ids[i];
    row.Demand = r.Demands[i];
    std::strncpy(row.Name, CommodityName(r.Ids[i]).data(), sizeof row.Name - 1);
  }
  g_demand.Ready = r.Ready;
  for (int b = 0; b < kBlockCount; ++b)
    for (int t = 0; t < kBusinessTypeCount; ++t) g_blockTypeCounts[b][t] = r.Counts[b][t];
}

// ---- Name tables ----

std::string_view CommodityName(int32_t id) { return (id >= 0 && id < kDemandRowCount) ? kCommodityNames[id] : ""; }
std::string_view CardName(int32_t kind) { return (kind >= 0 && kind < 9) ? kCardNames[kind] : " "; }
std::string_view TokenName(int32_t token) { return (token >= 0 && token < 10) ? kTokenNames[token] : "-"; }
