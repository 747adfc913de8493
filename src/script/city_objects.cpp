// Script objects of the city records: one per block, business kind,
// business and commodity, with their members bound to the records.
#include <iterator>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/local_drafts.h"
#include "city/commodities.h"
#include "engine/core/error.h"
#include "script/script.h"
#include "script/script_args.h"
#include "script/script_bindings.h"

namespace {

constexpr const char* kBuildingKinds[] = {"RETAIL", "RESIDENTIAL", "LANDSCAPE", "RETAIL_EMPTY", "RESIDENTIAL_EMPTY"};
// The script names of the 52 blocks, by block number.
constexpr const char* kBlockNames[kBlockCount] = {
    "LANTERN_AVENUE",    "CLOVERDALE_AVENUE",  "TELECOMS",          "BUS_AND_TAXI",       "Q_V_RAILROAD",
    "AIRPORT",           "HARROWGATE_AVENUE",  "ZOO",               "BRACKEN_AVENUE",     "HOLLYMEAD_AVENUE",
    "UNIVERSITY_CAMPUS", "ST_OSWIN_PLACE",     "WILLOWBY_AVENUE",   "ROSEWATER_AVENUE",   "CITY_HALL_1",
    "OAKMONT_AVENUE",    "GRANDHAVEN_AVENUE",  "LONGREACH_RAILROAD", "HOSPITAL",          "CENTRAL_PARK_1",
    "EAST_MEADOW",       "ST_ALBIN_PLACE",     "POLICE_FIRE",       "QUENBY_GARDENS",     "AMBERLEIGH_AVENUE",
    "CROWNLEA_AVENUE",   "MARIGOLD_AVENUE",    "HAZELBY_AVENUE",    "MUSEUM_ART_GALLERY", "STRANDWAY",
    "REGENCY_PLACE",     "MARINA",             "FERNLEY_AVENUE",    "DUNMERE_AVENUE",     "SALTMARSH_AVENUE",
    "GASWORKS",          "DOCK_1",             "DOCK_2",            "DOCK_3",             "BRIGHTWELL_WORKS",
    "SCHOOL_GROUNDS",    "SCHOOL_LIBRARY",     "VOLTARA_COMPANY",   "AMBERLEGH_RAILROAD", "GLENFORD_RAILROAD",
    "STADIUM",           "CITY_HALL_2",        "CENTRAL_PARK_2",    "CENTRAL_PARK_3",     "CENTRAL_PARK_4",
    "CENTRAL_PARK_5",    "CENTRAL_PARK_6"};
constexpr const char* kClassNames[] = {"CLASS_LOW", "CLASS_MEDIUM", "CLASS_HIGH"};
constexpr float kMinimumPrice = 0.1f;

template <typename T, size_t N>
int IndexIn(const std::array<T, N>& table, const T* record) {
  return static_cast<int>(record - table.data());
}

// An index argument checked against its table; a bad one is reported.
bool CheckIndex(int32_t value, int32_t count, const char* what) {
  if (value >= 0 && value < count) return true;
  ReportErrorF(1, "%s: index %d out of range", what, value);
  return false;
}

// ---- Block ----

int BlockDistribution(lua_State* state) {
  auto* def = static_cast<BlockDef*>(CScript::GetScriptThis(state, ScriptClass::kBlock));
  const int top = lua_gettop(state);
  if (def == nullptr || top < 3) return 0;
  const int32_t index = ArgInt(state, top - 1, -1);
  if (!CheckIndex(index, static_cast<int32_t>(std::size(def->Distribution)), "Block:Distribution")) return 0;
  def->Distribution[index] = static_cast<float>(ArgDouble(state, top, 0));
  return 0;
}

// ---- BusinessInfo ----

int BusinessInfoAddCommodity(lua_State* state) {
  auto* row = static_cast<BusinessType*>(CScript::GetScriptThis(state, ScriptClass::kBusinessInfo));
  if (row == nullptr) return 0;
  const int32_t commodity = ArgInt(state, 2, -1);
  if (!CheckIndex(commodity, kCommodityCount, "BusinessInfo:AddCommodity")) return 0;
  double percent = 0;
  const bool given = lua_type(state, 3) == LUA_TNUMBER && ArgNumber(state, 3, &percent);
  AddBusinessTypeCommodity(IndexIn(g_BusinessTypes, row), commodity, given ? static_cast<float>(percent) : -1.0f);
  return 0;
}

// ---- Business ----

CBusiness* ThisBusiness(lua_State* state) {
  return static_cast<CBusiness*>(CScript::GetScriptThis(state, ScriptClass::kBusiness));
}

int PushInt(lua_State* state, int64_t value) {
  lua_pushinteger(state, value);
  return 1;
}

int PushFloat(lua_State* state, double value) {
  lua_pushnumber(state, value);
  return 1;
}

// The slot of a commodity the business sells; -1 (reported) otherwise.
int SlotOfCommodity(const CBusiness& b, lua_State* state, int index, const char* what) {
  const int32_t commodity = ArgInt(state, index, -1);
  if (!CheckIndex(commodity, kCommodityCount, what)) return -1;
  return b.FindCommoditySlot(commodity);  // -1 quietly for one it does not sell
}

// A slot number checked against the kind's used slots.
int CheckedSlot(const CBusiness& b, lua_State* state, int index, const char* what) {
  const int32_t slot = ArgInt(state, index, -1);
  return CheckIndex(slot, b.SlotCount(), what) ? slot : -1;
}

void SetPendingPrice(CBusiness& b, int slot, double price) {
  float p = static_cast<float>(price);
  if (!(p >= kMinimumPrice)) p = kMinimumPrice;  // also catches NaN
  if (p > 1e9f) p = 1e9f;
  // This machine's draft, sent with the owner's price messages by the
  // machine that acts for the owner.
  BusinessDraft& draft = EditBusinessDraft(b);
  draft.Price[slot] = p;
  draft.Changed = true;
}

int BusinessGetOwner(lua_State* state) {
  CBusiness* b = ThisBusiness(state);
  return b == nullptr ? 0 : PushInt(state, b->Owner < 0 ? 0 : b->Owner);
}

int BusinessSetOwner(lua_State* state) {
  CBusiness* b = ThisBusiness(state);
  if (b == nullptr) return 0;
  const int32_t owner = ArgInt(state, 2, -1);
  if (!CheckIndex(owner, kMaxPlayerNumber + 1, "Business:SetOwner")) return 0;
  if (!b->InUse) {
    ReportErrorF(1, "Business:SetOwner: business %d is not open", b->Index);
    return 0;
  }
  if (CBuilding* building = b->GetBuilding()) {
    building->SetOwner(static_cast<uint8_t>(owner));
    RefreshBuildingModel(*building);
  }
  b->SetOwner(owner);
  return 0;
}

int BusinessGetTotalSales(lua_State* state) {
  CBusiness* b = ThisBusiness(state);
  return b == nullptr ? 0 : PushInt(state, b->GetTodaySales());
}

int BusinessGetProfit(lua_State* state) {
  CBusiness* b = ThisBusiness(state);
  return b == nullptr ? 0 : PushFloat(state, b->GetProfit());
}

int BusinessGetType(lua_State* state) {
  CBusiness* b = ThisBusiness(state);
  return b == nullptr ? 0 : PushInt(state, b->Type);
}

int BusinessGetPropertyAddress(lua_State* state) {
  CBusiness* b = ThisBusiness(state);
  return b == nullptr ? 0 : PushInt(state, b->GetBlock());
}

int BusinessGetPriceByType(lua_State* state) {
  CBusiness* b = ThisBusiness(state);
  if (b == nullptr) return 0;
  const int slot = SlotOfCommodity(*b, state, 2, "Business:GetCommodityPriceByType");
  return PushFloat(state, slot < 0 ? 0.0 : b->Price[slot]);
}

int BusinessSetPriceByType(lua_State* state) {
  CBusiness* b = ThisBusiness(state);
  if (b == nullptr) return 0;
  const int slot = SlotOfCommodity(*b, state, 2, "Business:SetCommodityPriceByType");
  if (slot >= 0) SetPendingPrice(*b, slot, ArgDouble(state, 3, 0));
  return 0;
}

int BusinessGetPriceByIndex(lua_State* state) {
  CBusiness* b = ThisBusiness(state);
  if (b == nullptr) return 0;
  const int slot = CheckedSlot(*b, state, 2, "Business:GetCommodityPriceByIndex");
  return PushFloat(state, slot < 0 ? 0.0 : b->Price[slot]);
}

int BusinessSetPriceByIndex(lua_State* state) {
  CBusiness* b = ThisBusiness(state);
  if (b == nullptr) return 0;
  const int slot = CheckedSlot(*b, state, 2, "Business:SetCommodityPriceByIndex");
  if (slot >= 0) SetPendingPrice(*b, slot, ArgDouble(state, 3, 0));
  return 0;
}

int BusinessGetStockByType(lua_State* state) {
  CBusiness* b = ThisBusiness(state);
  if (b == nullptr) return 0;
  const int slot = SlotOfCommodity(*b, state, 2, "Business:GetCommodityStockByType");
  return PushInt(state, slot < 0 ? 0 : b->Slots[slot].Stock);
}

int BusinessGetStockByIndex(lua_State* state) {
  CBusiness* b = ThisBusiness(state);
  if (b == nullptr) return 0;
  const int slot = CheckedSlot(*b, state, 2, "Business:GetCommodityStockByIndex");
  return PushInt(state, slot < 0 ? 0 : b->Slots[slot].Stock);
}

// ---- Commodity ----

int CommodityMembership(lua_State* state) {
  auto* row = static_cast<CommodityRow*>(CScript::GetScriptThis(state, ScriptClass::kCommodity));
  if (row == nullptr) return 0;
  const int32_t shoppingClass = ArgInt(state, 2, -1);
  if (!CheckIndex(shoppingClass, kShoppingClassCount, "Commodity:Membership")) return 0;
  SetCommodityMembership(IndexIn(g_Commodities, row), shoppingClass);
  return 0;
}

}  // namespace

void RegisterBlockScriptTable(CScript& s) {
  s.CreateTable("Block");
  s.CreateClassTable("_Block");
  s.RegisterTableFunction(BlockDistribution, "_Block", "Distribution");
  for (int i = 0; i < kBlockCount; ++i) {
    CBlock& block = g_Blocks[i];
    BlockDef& def = g_BlockDefs[i];
    s.BindTableByte(&block.BuildingRights, "_Block", "buildingrights");
    s.BindTableBool(&block.Ownable, "_Block", "ownable");
    s.BindTableByte(&block.Owner, "_Block", "owner");
    s.BindTableFloat(&def.Looseness, "_Block", "looseness");
    s.BindTableInt(&def.Value, "_Block", "value");
    s.BindTableFloat(&def.Prestige, "_Block", "prestige");
    s.SetTableThis(&def, ScriptClass::kBlock, "_Block");
    s.InstantiateClassTable("_Block", "Block", i);
  }
  for (int k = 0; k < static_cast<int>(std::size(kBuildingKinds)); ++k) s.SetGlobalNumber(k, kBuildingKinds[k]);
  for (int i = 0; i < kBlockCount; ++i) s.SetGlobalNumber(i, kBlockNames[i]);
}

void RegisterBusinessScriptTables(CScript& s) {
  s.CreateTable("BusinessInfo");
  s.CreateClassTable("_BusinessInfo");
  s.RegisterTableFunction(BusinessInfoAddCommodity, "_BusinessInfo", "AddCommodity");
  const char* t = "_BusinessInfo";
  for (int k = 0; k < kBusinessTypeCount; ++k) {
    BusinessType& row = g_BusinessTypes[k];
    s.BindTableBool(&row.Available, t, "available");
    s.BindTableFloat(&row.Density, t, "density");
    s.BindTableInt(&row.RefurbCost, t, "refurbcost");
    s.BindTableInt(&row.MinArea, t, "minarea");
    s.BindTableInt(&row.MaxArea, t, "maxarea");
    s.BindTableInt(&row.MaxSide, t, "maxside");
    s.BindTableInt(&row.MinHeight, t, "minheight");
    s.BindTableInt(&row.MaxHeight, t, "maxheight");
    s.BindTableFloat(&row.TimeInStore, t, "timeinstore");
    s.BindTableFloat(&row.StockCapacity, t, "stockcapacity");
    s.BindTableByte(&row.OpeningTime, t, "openingtime");
    s.BindTableByte(&row.ClosingTime, t, "closingtime");
    s.BindTableByte(&row.FootprintBand, t, "footprintband");
    s.BindTableFloat(&row.TelecomNeed, t, "telecomneed");
    s.BindTableFloat(&row.GasNeed, t, "gasneed");
    s.BindTableFloat(&row.WaterNeed, t, "waterneed");
    s.BindTableFloat(&row.ElectricalNeed, t, "electricalneed");
    s.SetTableNumber(k, t, "type");
    s.SetTableThis(&row, ScriptClass::kBusinessInfo, t);
    s.InstantiateClassTable(t, "BusinessInfo", k);
  }
  for (int k = 0; k < kBusinessTypeCount; ++k) {
    const std::string name = ScriptConstantOfBusinessType(k);
    if (!name.empty()) s.SetGlobalNumber(k, name.c_str());
  }
  for (int c = 0; c < static_cast<int>(std::size(kClassNames)); ++c) s.SetGlobalNumber(c, kClassNames[c]);

  s.CreateTable("Business");
  s.CreateClassTable("_Business");
  static constexpr struct {
    const char* name;
    lua_CFunction function;
  } kMethods[] = {
      {"GetOwner", BusinessGetOwner},
      {"SetOwner", BusinessSetOwner},
      {"GetTotalSales", BusinessGetTotalSales},
      {"GetProfit", BusinessGetProfit},
      {"GetType", BusinessGetType},
      {"GetPropertyAddress", BusinessGetPropertyAddress},
      {"GetCommodityPriceByType", BusinessGetPriceByType},
      {"SetCommodityPriceByType", BusinessSetPriceByType},
      {"GetCommodityPriceByIndex", BusinessGetPriceByIndex},
      {"SetCommodityPriceByIndex", BusinessSetPriceByIndex},
      {"GetCommodityStockByType", BusinessGetStockByType},
      {"GetCommodityStockByIndex", BusinessGetStockByIndex},
  };
  for (const auto& m : kMethods) s.RegisterTableFunction(m.function, "_Business", m.name);
  for (int i = 0; i < kMaxBusinesses; ++i) {
    s.SetTableThis(&g_Businesses[i], ScriptClass::kBusiness, "_Business");
    s.InstantiateClassTable("_Business", "Business", i);
  }
}

void RegisterCommodityScriptTable(CScript& s) {
  s.CreateTable("Commodity");
  s.CreateClassTable("_Commodity");
  s.RegisterTableFunction(CommodityMembership, "_Commodity", "Membership");
  for (int c = 0; c < kCommodityCount; ++c) {
    CommodityRow& row = g_Commodities[c];
    s.BindTableBool(&row.Active, "_Commodity", "active");
    s.BindTableFloat(&row.Value, "_Commodity", "value");
    s.BindTableFloat(&row.Markup, "_Commodity", "markup");
    s.SetTableThis(&row, ScriptClass::kCommodity, "_Commodity");
    s.InstantiateClassTable("_Commodity", "Commodity", c);
  }
  for (int c = 0; c < kCommodityCount; ++c) {
    const std::string key(CommodityKey(c));
    if (!key.empty()) s.SetGlobalNumber(c, key.c_str());
  }
  for (int k = 0; k < kShoppingClassCount; ++k) {
    const std::string key(ShoppingClassKey(k));
    if (!key.empty()) s.SetGlobalNumber(k, key.c_str());
  }
}

void RegisterBuildingInfoScriptTable(CScript& s) { s.CreateTable("BuildingInfo"); }
