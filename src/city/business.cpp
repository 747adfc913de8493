#include "city/business.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/city_day_counters.h"
#include "city/city_demand.h"
#include "city/city_services.h"
#include "city/commodities.h"
#include "city/households.h"
#include "city/local_drafts.h"
#include "city/person.h"
#include "session/game_clock.h"
#include "session/game_events.h"
#include "session/game_messages.h"
#include "session/player.h"
#include "session/session_state.h"
#include "session/utility_income.h"
#include "engine/core/error.h"
#include "session/save_chunks.h"

// The sync checksum hashes the records' bytes, so their layout is pinned.
static_assert(sizeof(CBusiness) == 544);
static_assert(offsetof(CBusiness, LastDayRent) == 20);
static_assert(offsetof(CBusiness, Accounts) == 36);
static_assert(offsetof(CBusiness, OpenHour) == 104);
static_assert(offsetof(CBusiness, Slots) == 128);
static_assert(offsetof(CBusiness, StockTarget) == 440);
static_assert(offsetof(CBusiness, RentCopy) == 516);
static_assert(offsetof(CBusiness, FirstResident) == 524);
static_assert(offsetof(CBusiness, InUse) == 540);

std::array<CBusiness, kMaxBusinesses> g_Businesses;

namespace {

int32_t GameHour() { return GameClock().hour; }
// The player of an owner number; null for the city or an unused number.
CPlayer* Player(int32_t number) { return PlayerTable().ByNumber(number); }

// The per-block business counts the computer players read leave out their
// own businesses.
bool CountsForComputerPlayers(const CBusiness& b) {
  const CPlayer* owner = Player(b.Owner);
  return owner != nullptr && owner->kind != kPlayerComputer;
}

constexpr int32_t kLineCategory[kAccountLineCount] = {35, 14, 0, 17, 0, 6, 5, 4, 7, 15, 16, 33, 12};

int32_t LedgerCategoryOfLine(int line, float amount) {
  if (line == kLineOther || line == kLineOtherBookedOnly) return amount > 0 ? 37 : 21;
  return kLineCategory[line];
}

bool IsPlayerNumber(int32_t n) { return n >= 1 && n <= kMaxPlayerNumber && Player(n) != nullptr; }

uint16_t ClampU16(int64_t v) { return static_cast<uint16_t>(std::clamp<int64_t>(v, 0, 65535)); }
int16_t ClampI16(int64_t v) { return static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767)); }

// The resident chain is walked at most this many steps, so a damaged chain
// can never loop.
constexpr int kMaxChainSteps = kMaxPeople;

// ---- Vacancy list ----
struct VacancyList {
  std::array<int16_t, kMaxBusinesses> Prev{};
  std::array<int16_t, kMaxBusinesses> Next{};
  std::array<uint8_t, kMaxBusinesses> Listed{};
  int32_t Head = -1, Tail = -1, Count = 0, Cursor = -1;
};
VacancyList g_vacancies;

// The landlord of a business: the owner of its building's block.
int32_t LandlordOf(const CBusiness& b) {
  const CBuilding* building = b.GetBuilding();
  return (building != nullptr && building->Block != nullptr) ? building->Block->Owner : 0;
}

void RebuildBlockMask(const CBusiness& b) {
  CBlock* block = GetBlock(b.GetBlock());
  if (block != nullptr) block->UpdateCommodityMask();
}

// Collects the residents first: rehousing changes the chain being walked.
int CollectResidents(const CBusiness& b, std::array<int32_t, kMaxPeople>& out) {
  int n = 0;
  for (int32_t p = b.FirstResident; p >= 0 && p < kMaxPeople && n < kMaxChainSteps; p = g_People[p].NextResident)
    out[n++] = p;
  return n;
}

}  // namespace

// ---- Lookups ----------------------------------------------------------------

CBusiness* GetBusiness(int32_t index) {
  return (index >= 0 && index < kMaxBusinesses) ? &g_Businesses[index] : nullptr;
}

CBusiness* GetBusinessInUse(int32_t index) {
  CBusiness* b = GetBusiness(index);
  return (b != nullptr && b->InUse) ? b : nullptr;
}

int CBusiness::SlotCount() const {
  const BusinessType* t = GetTypeRow();
  return t ? std::min<int>(t->CommodityCount, kSlotsPerBusiness) : 0;
}

int CBusiness::FindCommoditySlot(int32_t commodity) const {
  if (!IsCommodity(commodity)) return -1;
  int n = SlotCount();
  for (int i = 0; i < n; ++i) {
    if (g_TypeCommodities[Type][i].Commodity == commodity) return i;
  }
  return -1;
}

int32_t CBusiness::GetSlotCommodity(int slot) const {
  if (slot < 0 || slot >= SlotCount()) return -1;
  return g_TypeCommodities[Type][slot].Commodity;
}

float CBusiness::GetCommodityPrice(int32_t commodity) const {
  int slot = FindCommoditySlot(commodity);
  return slot < 0 ? 0.0f : Price[slot];
}

CBuilding* CBusiness::GetBuilding() const { return ::GetBuilding(Building); }

int32_t CBusiness::GetBlock() const {
  const CBuilding* b = GetBuilding();
  return (b != nullptr && b->Block != nullptr) ? b->Block->Index : -1;
}

int32_t CBusiness::GetFootprintUnits() const {
  const CBuilding* b = GetBuilding();
  return b ? b->VolumeUnits() : 0;
}

int32_t CBusiness::GetTypeNameId() const {
  const BusinessType* t = GetTypeRow();
  return t ? t->NameTextId : kNoTypeNameTextId;
}

CPlayer* CBusiness::GetOwner() const { return Owner >= 1 ? Player(Owner) : nullptr; }

bool CBusiness::OwnerIsPlayer() const { return IsPlayerNumber(Owner); }

std::string CBusiness::GetOwnerLabel(const char* cityName) const {
  const CPlayer* owner = Owner >= 1 ? Player(Owner) : nullptr;
  const char* name = Owner >= 1 ? (owner ? owner->name : "") : cityName;
  return std::string(name ? name : "") + ":";
}

std::string CBusiness::GetOpenHoursText() const {
  if (HoursOpen == 0 || HoursClose == 0) return {};
  char text[16];
  std::snprintf(text, sizeof(text), "%i-%i", HoursOpen, HoursClose);
  return text;
}

// ---- Figures ----------------------------------------------------------------

float CBusiness::GetProfit() const {
  float sum = 0;
  for (float line : Accounts) sum += line;
  return sum;
}

float CBusiness::GetDayProfit(int day) const { return (day >= 0 && day < kDayRing) ? ProfitRing[day] : 0.0f; }
float CBusiness::GetLastDayProfit() const { return ProfitRing[(Day + kDayRing - 1) % kDayRing]; }

float CBusiness::GetTodayTakings() const {
  float sum = 0;
  for (int i = 0; i < SlotCount(); ++i) sum += Slots[i].TakingsToday;
  return sum;
}

float CBusiness::GetYesterdayTakings() const {
  float sum = 0;
  for (int i = 0; i < SlotCount(); ++i) sum += Slots[i].TakingsYesterday;
  return sum;
}

float CBusiness::GetTodayMargin() const {
  float sum = 0;
  for (int i = 0; i < SlotCount(); ++i) sum += Slots[i].MarginToday;
  return sum;
}

float CBusiness::GetYesterdayMargin() const {
  float sum = 0;
  for (int i = 0; i < SlotCount(); ++i) sum += Slots[i].MarginYesterday;
  return sum;
}

float CBusiness::GetStockValue() const {
  float sum = 0;
  for (int i = 0; i < SlotCount(); ++i) sum += Slots[i].Stock * GetCommodityBasePrice(GetSlotCommodity(i));
  return sum;
}

int32_t CBusiness::GetTodaySales() const {
  if (Type == kTypeApartments) return Occupants;
  int32_t sum = 0;
  for (int i = 0; i < SlotCount(); ++i) sum += Slots[i].SoldPerDay[Day % kDayRing];
  return sum;
}

int32_t CBusiness::GetLastDaySales() const {
  if (Type == kTypeApartments) return OccupantsAtSettlement;
  int32_t sum = 0;
  for (int i = 0; i < SlotCount(); ++i) sum += Slots[i].SoldPerDay[(Day + kDayRing - 1) % kDayRing];
  return sum;
}

void CBusiness::RecountStock() {
  int32_t sum = 0;
  for (int i = 0; i < SlotCount(); ++i) sum += Slots[i].Stock;
  TotalStock = sum;
}

float CBusiness::GetRating() const {
  const CBuilding* b = GetBuilding();
  // A building whose lease a card cut short (its value below 0) is worth
  // nothing to its tenant, not a debt of it.
  const float value = b ? std::max(b->Value, 0.0f) : 0.0f;
  return GetLastDayProfit() + value + 0.5f * PotentialIncome;
}

float CBusiness::GetTotalPrice() const {
  float sum = 0;
  for (int i = 0; i < SlotCount(); ++i) sum += Price[i];
  return sum;
}

float CBusiness::GetSlotCost(int slot) const { return GetCommodityBasePrice(GetSlotCommodity(slot)); }

// ---- Rules ------------------------------------------------------------------

// Hour 24 (the midnight update) is the first hour of the next day: a business
// open round the clock stays open through it.
int32_t HourRuleState(int32_t openHour, int32_t closeHour, int32_t hour) {
  hour %= 24;
  if (hour < openHour) return kClosed;
  if (openHour < closeHour && hour >= closeHour) return kClosed;
  return kOpen;
}

void CBusiness::UpdateOpenState(int32_t value) {
  if (IsResidence()) {
    OpenState = kOpen;
  } else if (value != -1) {
    if (value >= kOpen && value <= kHeldClosed) OpenState = value;
  } else if (OpenState != kHeldClosed) {
    OpenState = HourRuleState(OpenHour, CloseHour, GameHour());
  }
}

void CBusiness::StampActivity() {
  int32_t tick = static_cast<int32_t>(LogicTick());
  if (LastActivityTick == 0 || tick - LastActivityTick >= 100) LastActivityTick = tick;
}

int32_t CBusiness::FreeStockSpace() const {
  const BusinessType* t = GetTypeRow();
  return t ? static_cast<int32_t>(static_cast<float>(GetFootprintUnits()) * t->StockCapacity) : 0;
}

// ---- Accounts ---------------------------------------------------------------

void CBusiness::Book(float amount, int line) {
  if (line < 0 || line >= kAccountLineCount) return;
  DayTotal += amount;
  if (CPlayer* owner = Player(Owner)) owner->AddMoney(amount, LedgerCategoryOfLine(line, amount));
}

void CBusiness::AddToAccount(float amount, int line, bool book) {
  if (line < 0 || line >= kAccountLineCount) return;
  if (line != kLineOtherBookedOnly) Accounts[line] += amount;
  if (book) Book(amount, line);
}

void CBusiness::CollectRent() {
  if (!IsResidence() || GetBuilding() == nullptr) return;
  float sum = 0;
  std::array<int32_t, kMaxPeople> residents;
  int n = CollectResidents(*this, residents);
  for (int i = 0; i < n; ++i) {
    CHousehold* h = GetHousehold(g_People[residents[i]].Household);
    if (h != nullptr) {
      h->Money -= RentPerPlace;
      DayCounters().HouseholdRent += RentPerPlace;
    }
    sum += RentPerPlace;
  }
  AddToAccount(sum, kLineRentReceived, true);
  OccupantsAtSettlement = Occupants;
}

void CBusiness::PayGroundRent(bool book) {
  int32_t landlord = LandlordOf(*this);
  if (landlord == Owner) return;
  AddToAccount(-static_cast<float>(GroundRent), kLineGroundRent, book);
  if (CPlayer* player = GetBuilding() != nullptr ? Player(landlord) : nullptr)
    player->AddMoney(static_cast<float>(GroundRent), kLedgerLandlordIncome);
}

void CBusiness::PayUtilities(bool book) {
  const BusinessType* t = GetTypeRow();
  if (t == nullptr) return;
  float f = static_cast<float>(GetFootprintUnits());
  struct Utility {
    int incomeSlot;  // utility income account, which names the utility's block
    int line;
    float need;
  };
  const Utility utilities[4] = {
      {kUtilityTelephone, kLineTelephone, t->TelecomNeed},
      {kUtilityGas, kLineGas, t->GasNeed},
      {kUtilityWater, kLineWater, t->WaterNeed},
      {kUtilityElectricity, kLineElectricity, t->ElectricalNeed},
  };
  for (const Utility& u : utilities) {
    if (g_Blocks[kUtilitySlotBlocks[u.incomeSlot]].Owner == Owner) continue;
    if (!GetUtilityIncome().enabled[u.incomeSlot]) continue;
    float amount = f * u.need;
    AddUtilityIncome(u.incomeSlot, amount);
    AddToAccount(-amount, u.line, book);
  }
}

static_assert(kUtilitySlotBlocks[kUtilityTelephone] == kUtilityBlocks[0] &&
                  kUtilitySlotBlocks[kUtilityGas] == kUtilityBlocks[1] &&
                  kUtilitySlotBlocks[kUtilityWater] == kUtilityBlocks[2] &&
                  kUtilitySlotBlocks[kUtilityElectricity] == kUtilityBlocks[3],
              "the utility accounts and the city's utility blocks name the same four blocks");

// ---- Record life --------------------------------------------------------------

void CBusiness::Reset(int32_t index) {
  InUse = 0;
  Kind = -1;
  Type = -1;
  Building = -1;
  Owner = -1;
  Occupants = Capacity = OccupantsAtSettlement = 0;
  LastDayRent = 0;
  GroundRent = 0;
  PotentialIncome = 0;
  std::fill(std::begin(Accounts), std::end(Accounts), 0.0f);
  std::fill(std::begin(ProfitRing), std::end(ProfitRing), 0.0f);
  HoursOpen = HoursClose = 1;
  FirstResident = -1;
  Index = index;
  EventHours = 0;
  Day = 0;
  for (CommoditySlot& s : Slots) {
    s.Stock = 0;
    std::fill(std::begin(s.SoldPerDay), std::end(s.SoldPerDay), 0);
    std::fill(std::begin(s.DiscardedPerDay), std::end(s.DiscardedPerDay), 0);
    s.MarginToday = s.MarginYesterday = 0;
    s.Reserved1[0] = s.Reserved1[1] = 0;
    s.Reserved2[0] = s.Reserved2[1] = 0;
  }
  std::fill(std::begin(StockTarget), std::end(StockTarget), 0);
  std::fill(std::begin(Price), std::end(Price), 0.0f);
  RentPerPlace = 0;
  CopyAppliedValues();
  ForgetBusinessDraft(index);
  LastActivityTick = 0;
  SoldOut = 0;
}

void CBusiness::SetOwner(int32_t newOwner) {
  if (newOwner < -1 || newOwner > kMaxPlayerNumber) return;
  const CBuilding* b = GetBuilding();
  if (Session().inGame && b != nullptr) {
    int32_t fp = GetFootprintUnits();
    int32_t points = 0;
    if (b->Kind == kKindLandscape) {
      points = fp * 100;
    } else if (b->Quality == 1) {
      points = fp * 5;
    } else if (b->Quality == 2) {
      points = fp * 10;
    }
    if (IsResidence()) points += Occupants * 50;
    if (points != 0) {
      if (CPlayer* before = Owner >= 1 ? Player(Owner) : nullptr) before->pointsB -= points;
      if (CPlayer* after = Player(newOwner)) after->pointsB += points;
    }
  }
  // A draft was the old owner's.
  if (newOwner != Owner) ForgetBusinessDraft(Index);
  Owner = static_cast<int8_t>(newOwner);
}

int32_t AllocBusiness(int32_t type, int32_t owner, int32_t building) {
  const BusinessType* t = GetBusinessType(type);
  if (t == nullptr) {
    ReportErrorF(1, "AllocBusiness: invalid business type %d.", type);
    return -1;
  }
  for (int i = 0; i < kMaxBusinesses; ++i) {
    CBusiness& b = g_Businesses[i];
    if (b.InUse) continue;
    // A reused record starts from nothing: none of the old business's
    // figures (takings, open state, event) may carry over.
    b = CBusiness{};
    b.Reset(i);
    b.InUse = 1;
    b.Building = static_cast<int16_t>(::GetBuilding(building) ? building : -1);
    b.Type = type;
    b.Kind = t->Kind;
    b.OpenHour = t->OpeningTime;
    b.CloseHour = t->ClosingTime;
    b.InStockMask = t->CommodityMask;
    b.SetOwner(owner);
    PostGameEvent(SelectionPageEvent{});
    return i;
  }
  return -1;
}

bool OpenBusiness(int32_t business, int32_t buildingId, bool noCharge) {
  CBusiness* b = GetBusinessInUse(business);
  CBuilding* building = ::GetBuilding(buildingId);
  if (b == nullptr || building == nullptr || !building->InUse) {
    ReportError(1, 0, "OpenBusiness: invalid business or building.");
    return false;
  }
  const BusinessType& t = *b->GetTypeRow();
  // 1. One business per building.
  b->Building = static_cast<int16_t>(buildingId);
  if (building->BusinessIndex >= 0 && building->BusinessIndex != business) CloseBusiness(building->BusinessIndex);
  building->BusinessIndex = business;
  // 2, 3. Places and ground rent.
  int32_t units = building->VolumeUnits();
  b->Capacity = ClampU16(static_cast<int64_t>(static_cast<float>(units) * t.Density + 0.999f));
  float prestige = building->Block ? building->Block->Prestige : 0.0f;
  float o = PrestigeFactor(prestige) * static_cast<float>(building->RentPerUnit) * QualityFactor(building->Quality);
  b->GroundRent = ClampU16(static_cast<int64_t>(DampedAreaValue(units, o)));
  // 4. Opened in the day: the first day's ground rent and utilities at once.
  if (GameHour() >= 6) {
    int32_t landlord = LandlordOf(*b);
    if (landlord != b->Owner) {
      b->Accounts[kLineGroundRent] -= b->GroundRent;
      if (CPlayer* player = Player(landlord)) player->AddMoney(static_cast<float>(b->GroundRent), kLedgerLandlordIncome);
    }
    b->PayUtilities(false);
    PayUtilityIncome();
  }
  // 5, 6.
  if (b->IsResidence() && b->Occupants < b->Capacity) AddVacancy(business);
  b->EventKind = 4;
  b->EventHours = 0;
  b->EventFactor = 0;
  int32_t block = b->GetBlock();
  RaiseBlockMemoryForAll(block);
  // 7.
  RebuildBlockMask(*b);
  b->Refresh(noCharge);
  RefreshBuildingModel(*building);
  // 8 - 11.
  ModifyCWDforbusiness(business, 1);
  if (b->Kind == kBusinessLandscape && building->Block != nullptr)
    building->Block->Prestige += 0.1f * static_cast<float>(units);
  if (CountsForComputerPlayers(*b))
    IncBlockBusinessTypeCount(block, b->Type);
  building->Status = kStatusComplete;
  return true;
}

void CloseBusiness(int32_t business) {
  CBusiness* b = GetBusinessInUse(business);
  if (b == nullptr) return;
  int32_t block = b->GetBlock();
  int32_t units = b->GetFootprintUnits();
  CBuilding* building = b->GetBuilding();
  if (CountsForComputerPlayers(*b))
    DecBlockBusinessTypeCount(block, b->Type);
  if (b->Kind == kBusinessLandscape && building != nullptr && building->Block != nullptr)
    building->Block->Prestige -= 0.1f * static_cast<float>(units);
  if (b->IsResidence()) {
    // Evicted while the building still names the business, so each resident
    // leaves the chain; the vacancy entry its leaving made goes last.
    std::array<int32_t, kMaxPeople> residents;
    int n = CollectResidents(*b, residents);
    for (int i = 0; i < n; ++i) g_People[residents[i]].Evict();
    RemoveVacancy(business);
  }
  if (building != nullptr) {
    building->BusinessIndex = -1;
    RefreshBuildingModel(*building);
  }
  ModifyCWDforbusiness(business, 0);
  b->SetOwner(-1);
  b->Reset(business);
  b->Building = -1;
  CBlock* blockRecord = GetBlock(block);
  if (blockRecord != nullptr) blockRecord->UpdateCommodityMask();
}

void CBusiness::Refresh(bool noCharge) {
  const BusinessType* t = GetTypeRow();
  if (t == nullptr) return;
  int32_t hour = GameHour();
  DayTotal = 0;
  const CBuilding* building = GetBuilding();
  if (IsResidence()) {
    int32_t rentUnit = building ? building->RentPerUnit : 0;
    RentPerPlace = static_cast<float>((Type == kTypeHotel ? 12 : 6) * rentUnit);
    PotentialIncome = static_cast<float>(Capacity) * RentPerPlace;
  } else if (IsShop()) {
    float w = TypeWeightSum(Type);
    float h = w != 0.0f ? static_cast<float>(FreeStockSpace()) * (1.0f / w) : 0.0f;
    int n = SlotCount();
    for (int i = 0; i < n; ++i) {
      int32_t m = static_cast<int32_t>(g_TypeCommodities[Type][i].Weight * h);
      StockTarget[i] = ClampI16(m);
      if (hour >= 6) Slots[i].Stock = ClampU16(m);
    }
    if (hour >= 6) {
      float v = GetBusinessStockCost(Type, GetFootprintUnits());
      Accounts[kLineStock] -= v;
      if (!noCharge) Book(-v, kLineStock);
    }
    PotentialIncome = 0;
    for (int i = 0; i < n; ++i) {
      int32_t c = GetSlotCommodity(i);
      float price = static_cast<float>(static_cast<int32_t>((GetCommodityDefaultPrice(c) + 0.09f) * 10.0f)) * 0.1f;
      Price[i] = price;
      PotentialIncome += (price - GetCommodityBasePrice(c)) * static_cast<float>(Slots[i].Stock);
    }
  }
  CopyAppliedValues();
  ForgetBusinessDraft(Index);
  UpdateOpenState(-1);
  StampActivity();
  RecountStock();
}

void CBusiness::Restock(bool noCharge) {
  const BusinessType* t = GetTypeRow();
  if (t == nullptr) return;
  int32_t space = FreeStockSpace();
  int32_t shortfall = 0;
  int n = SlotCount();
  for (int i = 0; i < n; ++i) {
    CommoditySlot& s = Slots[i];
    uint16_t discarded = static_cast<uint16_t>(s.Stock / 2);
    s.DiscardedPerDay[Day % kDayRing] = discarded;
    DayCounters().StockSpoiled += GetCommodityBasePrice(GetSlotCommodity(i)) * discarded;
    if (CPlayer* owner = noCharge ? nullptr : Player(Owner))
      owner->AddToLedger(-(GetCommodityBasePrice(GetSlotCommodity(i)) * discarded), kLedgerDiscards);
    s.Stock = static_cast<uint16_t>(s.Stock - discarded);
    space -= s.Stock;
    if (s.Stock < StockTarget[i]) shortfall += StockTarget[i] - s.Stock;
  }
  // All or nothing: the deliveries come only when the free space covers the
  // whole shortfall. Space already overfilled delivers nothing (never less).
  int32_t fill = 1;
  if (shortfall >= 1) fill = std::clamp(space / shortfall, 0, 1);
  const CPlayer* owner = Player(Owner);
  int32_t supply = owner ? owner->cardEffect : 0;
  float cost = 0;
  for (int i = 0; i < n; ++i) {
    CommoditySlot& s = Slots[i];
    if (s.Stock >= StockTarget[i]) continue;
    int32_t delivered = fill * (StockTarget[i] - s.Stock);
    if (supply == 2) delivered /= 2;
    s.Stock = ClampU16(s.Stock + delivered);
    cost += GetCommodityBasePrice(GetSlotCommodity(i)) * static_cast<float>(delivered);
  }
  if (supply == 1) cost *= 0.5f;
  DayCounters().StockBought += cost;
  InStockMask = t->CommodityMask;
  if (!noCharge) AddToAccount(-cost, kLineStock, true);
  RecountStock();
}

void CBusiness::ClearStock() {
  for (CommoditySlot& s : Slots) s.Stock = 0;
  RecountStock();
}

void CBusiness::SetStockTarget(int slot, int32_t target) {
  if (target < 0 || slot < 0 || slot >= SlotCount()) return;
  BusinessDraft& draft = EditBusinessDraft(*this);
  int16_t* targets = draft.StockTarget;
  int32_t cap = FreeStockSpace();
  int32_t room = cap;
  for (int i = 0; i < SlotCount(); ++i) room -= targets[i];
  int32_t share = static_cast<int32_t>(static_cast<float>(cap) * g_TypeCommodities[Type][slot].Weight) -
                  targets[slot];
  int32_t change = std::min({share, room, target - targets[slot]});
  int16_t before = targets[slot];
  targets[slot] = ClampI16(targets[slot] + change);
  if (targets[slot] != before) draft.Changed = true;
}

int32_t CBusiness::Sell(int32_t commodity, int32_t units) {
  int slot = FindCommoditySlot(commodity);
  if (slot < 0 || units <= 0) return 0;
  CommoditySlot& s = Slots[slot];
  // A slot never sells more than it holds.
  units = std::min<int32_t>(units, s.Stock);
  if (units == 0) return 0;
  float base = GetCommodityBasePrice(commodity);
  float p = Price[slot];
  float u = static_cast<float>(units);
  s.MarginToday += u * (p - base);
  s.TakingsToday += u * p;
  s.Stock = static_cast<uint16_t>(s.Stock - units);
  TotalStock = std::max(0, TotalStock - units);
  if (s.Stock == 0) InStockMask &= ~(1u << commodity);
  s.SoldPerDay[Day % kDayRing] = ClampU16(s.SoldPerDay[Day % kDayRing] + units);
  AddToAccount(u * p, kLineSales, true);
  if (CPlayer* owner = Player(Owner)) {
    owner->pointsA += units * 20;
    owner->salesCount += units;
  }
  StampActivity();
  return units;
}

// ---- Residents --------------------------------------------------------------

bool CBusiness::AddPerson(CPerson& person) {
  if (Occupants >= Capacity) {
    if (IsResidence()) RemoveVacancy(Index);
    return false;
  }
  ++Occupants;
  if (IsResidence()) {
    person.NextResident = -1;
    if (FirstResident < 0) {
      FirstResident = person.Index;
    } else {
      int32_t p = FirstResident;
      for (int steps = 0; g_People[p].NextResident >= 0 && steps < kMaxChainSteps; ++steps)
        p = g_People[p].NextResident;
      g_People[p].NextResident = person.Index;
    }
    if (Occupants >= Capacity) RemoveVacancy(Index);
  }
  return true;
}

bool CBusiness::RemovePerson(CPerson& person) {
  if (FirstResident < 0) return false;
  if (!IsResidence()) return true;
  int32_t prev = -1;
  int32_t p = FirstResident;
  for (int steps = 0; p >= 0 && p != person.Index && steps < kMaxChainSteps; ++steps) {
    prev = p;
    p = g_People[p].NextResident;
  }
  if (p != person.Index) return false;
  if (prev < 0) {
    FirstResident = person.NextResident;
  } else {
    g_People[prev].NextResident = person.NextResident;
  }
  person.NextResident = -1;
  if (Occupants > 0) --Occupants;
  if (Occupants < Capacity) AddVacancy(Index);
  if (CPlayer* owner = Player(Owner)) owner->pointsB -= 50;
  return true;
}

void CBusiness::RehouseResidents() {
  std::array<int32_t, kMaxPeople> residents;
  int n = CollectResidents(*this, residents);
  for (int i = 0; i < n; ++i) g_People[residents[i]].HouseHunt();
}

// ---- Events and states ------------------------------------------------------

int32_t CBusiness::StartEvent(int32_t kind) {
  static constexpr float kFactors[3] = {1.2f, 1.6f, 2.0f};
  if (kind < 1 || kind > 4) return -1;
  EventKind = kind;
  if (kind <= 3) {
    EventHours = 24;
    EventFactor = kFactors[kind - 1];
    return kind - 1;
  }
  EventHours = 0;
  EventFactor = 0;
  RaiseBlockMemoryForAll(GetBlock());
  return g_PeopleCount;
}

void CBusiness::CheckSoldOut(bool daytime) {
  SoldOut = 0;
  int32_t hour = GameHour();
  int n = SlotCount();
  int32_t stock = 0, sold = 0, discarded = 0;
  for (int i = 0; i < n; ++i) {
    stock += Slots[i].Stock;
    sold += Slots[i].SoldPerDay[Day % kDayRing];
    discarded += Slots[i].DiscardedPerDay[Day % kDayRing];
  }
  bool out = false;
  if (daytime) {
    if (hour >= 6 && IsShop()) out = stock == 0;
    if (hour >= 6 && IsResidence()) out = Capacity == (Type == kTypeApartments ? Occupants : sold);
  } else {
    if (IsShop()) out = hour < 6 ? stock == 0 : discarded == 0;
    if (IsResidence()) out = OccupantsAtSettlement == Capacity;
  }
  SoldOut = out ? 1 : 0;
}

// ---- Prices -----------------------------------------------------------------

void CBusiness::SendPriceMessage() {
  BusinessDraft& draft = EditBusinessDraft(*this);
  PriceMessage m;
  m.Business = BusinessId{Index};
  std::copy(std::begin(draft.StockTarget), std::end(draft.StockTarget), m.StockTargets);
  std::copy(std::begin(draft.Price), std::end(draft.Price), m.Prices);
  m.Rent = draft.Rent;
  draft.Changed = false;
  // Posted for the owner (only an owner's own businesses are sent); the
  // owner must still hold it when it arrives.
  CNetMessage message = EncodeMessage(m);
  message.SetSender(Owner);
  message.Send();
}

void SendBusinessPriceMessages(int32_t player) {
  for (CBusiness& b : g_Businesses) {
    if (b.InUse && BusinessDraftChanged(b.Index) && b.Owner == player + 1) b.SendPriceMessage();
  }
}

void CBusiness::ApplyPriceMessage(const PriceMessage& m) {
  std::copy(std::begin(m.StockTargets), std::end(m.StockTargets), StockTarget);
  std::copy(std::begin(m.Prices), std::end(m.Prices), Price);
  float old = RentPerPlace;
  RentPerPlace = m.Rent;
  CopyAppliedValues();
  // The owner's machine shows what is applied from now on, unless its
  // owner has edited again since sending.
  if (!BusinessDraftChanged(Index)) ForgetBusinessDraft(Index);
  if (m.Rent > old) RehouseResidents();
}

void CBusiness::CopyAppliedValues() {
  std::copy(std::begin(StockTarget), std::end(StockTarget), StockTargetCopy);
  std::copy(std::begin(Price), std::end(Price), PriceCopy);
  RentCopy = RentPerPlace;
  ChangedPad = 0;
}

bool ApplyBusinessPriceMessage(int32_t sender, const PriceMessage& m) {
  CBusiness* b = GetBusinessInUse(m.Business.value);
  if (b == nullptr || b->Owner < 1 || b->Owner != sender) {
    ReportErrorF(2, "Price message for business %d from player %d ignored.", m.Business.value, sender);
    return false;
  }
  bool valid = std::isfinite(m.Rent) && m.Rent >= 0;
  for (int i = 0; i < kSlotsPerBusiness; ++i) {
    valid = valid && std::isfinite(m.Prices[i]) && m.Prices[i] >= 0 && m.StockTargets[i] >= 0;
  }
  if (!valid) {
    ReportErrorF(2, "Price message for business %d with bad values ignored.", m.Business.value);
    return false;
  }
  b->ApplyPriceMessage(m);
  return true;
}

// ---- Periodic jobs ------------------------------------------------------------

void UpdateBusinessesHourly() {
  for (CBusiness& b : g_Businesses) {
    if (!b.InUse || !b.IsShop()) continue;
    b.UpdateOpenState(-1);
    if (b.EventHours > 0) --b.EventHours;
  }
}

void SettleBusinessesDaily() {
  for (CBusiness& b : g_Businesses) {
    if (!b.InUse) continue;
    if (b.IsShop()) b.Restock(false);
    if (b.IsResidence()) b.CollectRent();
    b.PayGroundRent(true);
    b.PayUtilities(true);
  }
}

void CloseBusinessDay() {
  for (CBusiness& b : g_Businesses) {
    if (!b.InUse) continue;
    b.LastDayRent = b.Accounts[kLineRentReceived];
    b.ProfitRing[b.Day % kDayRing] = b.GetProfit();
    std::fill(std::begin(b.Accounts), std::end(b.Accounts), 0.0f);
    b.Day = static_cast<uint8_t>((b.Day + 1) % kDayRing);
    int n = b.SlotCount();
    for (int i = 0; i < n; ++i) {
      CommoditySlot& s = b.Slots[i];
      s.MarginYesterday = s.MarginToday;
      s.TakingsYesterday = s.TakingsToday;
      s.MarginToday = s.TakingsToday = 0;
      s.SoldPerDay[b.Day] = 0;
    }
    // The new day's first hour: closed, unless open round the clock.
    b.OpenState = b.IsResidence() ? kOpen : HourRuleState(b.OpenHour, b.CloseHour, 0);
  }
}

// ---- Set-up -------------------------------------------------------------------

void ResetBusinessRecords() {
  for (int i = 0; i < kMaxBusinesses; ++i) g_Businesses[i].Reset(i);
  ClearVacancies();
}

void ResetBusinesses() {
  for (int i = 0; i < kMaxBusinesses; ++i) {
    g_Businesses[i] = CBusiness{};
    g_Businesses[i].Reset(i);
  }
  ClearBusinessTypeCommodities();
  ClearVacancies();
}

// ---- Vacancy list -------------------------------------------------------------

void ClearVacancies() {
  g_vacancies.Prev.fill(-1);
  g_vacancies.Next.fill(-1);
  g_vacancies.Listed.fill(0);
  g_vacancies.Head = g_vacancies.Tail = g_vacancies.Cursor = -1;
  g_vacancies.Count = 0;
}

bool HasVacancy(int32_t business) {
  return business >= 0 && business < kMaxBusinesses && g_vacancies.Listed[business];
}

void RemoveVacancy(int32_t business) {
  if (!HasVacancy(business)) return;
  VacancyList& v = g_vacancies;
  int32_t prev = v.Prev[business], next = v.Next[business];
  if (prev >= 0) v.Next[prev] = static_cast<int16_t>(next); else v.Head = next;
  if (next >= 0) v.Prev[next] = static_cast<int16_t>(prev); else v.Tail = prev;
  if (v.Cursor == business) v.Cursor = next;
  v.Prev[business] = v.Next[business] = -1;
  v.Listed[business] = 0;
  --v.Count;
}

void AddVacancy(int32_t business) {
  if (business < 0 || business >= kMaxBusinesses) return;
  RemoveVacancy(business);
  VacancyList& v = g_vacancies;
  v.Prev[business] = static_cast<int16_t>(v.Tail);
  v.Next[business] = -1;
  if (v.Tail >= 0) v.Next[v.Tail] = static_cast<int16_t>(business); else v.Head = business;
  v.Tail = business;
  v.Listed[business] = 1;
  ++v.Count;
}

int32_t VacancyCount() { return g_vacancies.Count; }
int32_t FirstVacancy() { return g_vacancies.Head; }
int32_t NextVacancy(int32_t business) { return HasVacancy(business) ? g_vacancies.Next[business] : -1; }

void RebuildVacancies() {
  ClearVacancies();
  for (const CBusiness& b : g_Businesses) {
    if (b.InUse && b.IsResidence() && b.Occupants < b.Capacity) AddVacancy(b.Index);
  }
}

uint32_t BusinessChecksum() {
  uint32_t sum = 2166136261u;
  for (const CBusiness& record : g_Businesses) {
    if (!record.InUse) continue;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    for (size_t i = 0; i < sizeof(CBusiness); ++i) sum = (sum ^ bytes[i]) * 16777619u;
  }
  return sum;
}

// ---- Save chunk ---------------------------------------------------------------

namespace {

bool AllFinite(std::span<const float> values) {
  for (float v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

}  // namespace

bool CBusiness::SavedRecordInUseValid() const {
  if (!IsBusinessType(Type) || Kind < kBusinessShop || Kind > kBusinessLandscape) return false;
  if (Building < -1 || Building >= kBuildingPoolSize) return false;
  if (Owner < 0 || Owner > kMaxPlayerNumber) return false;
  if (Day >= kDayRing || OpenState < kOpen || OpenState > kHeldClosed) return false;
  if (FirstResident < -1 || FirstResident >= kMaxPeople) return false;
  if (EventKind < 0 || EventKind > 4) return false;
  if (!AllFinite(Accounts) || !AllFinite(ProfitRing) || !AllFinite(Price) || !AllFinite(PriceCopy)) return false;
  const float singles[] = {LastDayRent, DayTotal, PotentialIncome, EventFactor, RentPerPlace, RentCopy};
  return AllFinite(singles);
}
