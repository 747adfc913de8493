#pragma once
// Business records: 600 businesses, each in one building. A shop stocks up
// to six commodities, sells them at its owner's prices, restocks every
// morning and pays ground rent and utilities; a residence lets places to
// households; a landscape feature raises its block's prestige. Owners change
// prices through game message 22; the hourly and daily jobs run on the clock.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "city/business_types.h"
#include "city/game_ids.h"

class CBuilding;
class CPerson;
class CPlayer;

inline constexpr int kSlotsPerBusiness = kMaxTypeCommodities;
inline constexpr int kAccountLineCount = 13;
inline constexpr int kDayRing = 4;

enum AccountLine : int {
  kLineSales = 0,
  kLineGroundRent = 1,
  kLineOther = 2,
  kLineStock = 3,
  kLineOtherBookedOnly = 4,
  kLineGas = 5,
  kLineElectricity = 6,
  kLineWater = 7,
  kLineTelephone = 8,
  kLineRentReceived = 11,
};

enum OpenState : int32_t { kOpen = 0, kClosed = 1, kHeldClosed = 2 };

// Ledger categories on the owner.
inline constexpr int32_t kLedgerLandlordIncome = 34;
inline constexpr int32_t kLedgerDiscards = 19;

struct CommoditySlot {
  uint16_t Stock = 0;
  uint16_t SoldPerDay[kDayRing] = {};
  uint16_t DiscardedPerDay[kDayRing] = {};
  uint16_t Pad = 0;
  float MarginToday = 0;
  float MarginYesterday = 0;
  uint32_t Reserved1[2] = {};
  float TakingsToday = 0;
  float TakingsYesterday = 0;
  uint32_t Reserved2[2] = {};

  float GetTakingsToday() const { return TakingsToday; }
  float GetTakingsYesterday() const { return TakingsYesterday; }
  float GetMarginToday() const { return MarginToday; }
  float GetMarginYesterday() const { return MarginYesterday; }

  template <class V>
  void Visit(V& v) {
    v.Field(Stock);
    v.Field(SoldPerDay);
    v.Field(DiscardedPerDay);
    v.Field(Pad);
    v.Field(MarginToday);
    v.Field(MarginYesterday);
    v.Field(Reserved1);
    v.Field(TakingsToday);
    v.Field(TakingsYesterday);
    v.Field(Reserved2);
  }
};
static_assert(sizeof(CommoditySlot) == 52);

// Game message 22: an owner's new prices, stock targets and rent for one of
// its businesses (registered with the other kinds in the session's table).
struct PriceMessage {
  static constexpr int32_t kType = 22;
  BusinessId Business;
  int16_t StockTargets[kSlotsPerBusiness] = {};
  float Prices[kSlotsPerBusiness] = {};
  float Rent = 0;

  template <class V>
  void Visit(V& v) {
    v.I32(Business);
    for (int16_t& t : StockTargets) v.I16(t);
    for (float& p : Prices) v.F32(p);
    v.F32(Rent);
  }
};
inline constexpr int32_t kPriceMessageType = PriceMessage::kType;
inline constexpr int32_t kPriceMessageLength = 64;

// Every byte is a named field (padding included) so saved records and the
// sync checksum are the same on every machine.
class CBusiness {
 public:
  int32_t Kind = -1;
  int32_t Type = -1;
  int16_t Building = -1;
  int8_t Owner = -1;  // player 1..6, 0 the city, -1 free
  uint8_t HoursOpen = 1;
  uint8_t HoursClose = 1;
  uint8_t Pad0 = 0;
  uint16_t Capacity = 0;
  uint16_t Occupants = 0;
  uint16_t OccupantsAtSettlement = 0;
  float LastDayRent = 0;
  uint16_t GroundRent = 0;
  uint16_t Pad1 = 0;
  float DayTotal = 0;
  float PotentialIncome = 0;
  float Accounts[kAccountLineCount] = {};
  float ProfitRing[kDayRing] = {};
  uint8_t OpenHour = 0;
  uint8_t CloseHour = 0;
  uint8_t Pad2[2] = {};
  int32_t OpenState = kClosed;
  uint32_t InStockMask = 0;
  uint8_t EventHours = 0;
  uint8_t Pad3[3] = {};
  int32_t EventKind = 0;
  float EventFactor = 0;
  CommoditySlot Slots[kSlotsPerBusiness];
  int16_t StockTarget[kSlotsPerBusiness] = {};
  float Price[kSlotsPerBusiness] = {};
  float RentPerPlace = 0;
  // The saved layout keeps room for an owner's unsent edits. Those are its
  // machine's draft (city/local_drafts.h), so these hold copies of the
  // applied StockTarget, Price and RentPerPlace, and ChangedPad stays 0: a
  // record is the same on every machine.
  int16_t StockTargetCopy[kSlotsPerBusiness] = {};
  float PriceCopy[kSlotsPerBusiness] = {};
  float RentCopy = 0;
  uint8_t ChangedPad = 0;
  uint8_t Day = 0;
  uint8_t Pad4[2] = {};
  int32_t FirstResident = -1;
  int32_t Index = 0;
  int32_t LastActivityTick = 0;
  int32_t TotalStock = 0;
  uint8_t InUse = 0;
  uint8_t SoldOut = 0;
  uint8_t Pad5[2] = {};

  // A row of chunk 32 (the table saved whole): every field in order. A free
  // record is kept as it is; one in use must make sense.
  template <class V>
  void Visit(V& v) {
    v.Field(Kind);
    v.Field(Type);
    v.Field(Building);
    v.Field(Owner);
    v.Field(HoursOpen);
    v.Field(HoursClose);
    v.Field(Pad0);
    v.Field(Capacity);
    v.Field(Occupants);
    v.Field(OccupantsAtSettlement);
    v.Field(LastDayRent);
    v.Field(GroundRent);
    v.Field(Pad1);
    v.Field(DayTotal);
    v.Field(PotentialIncome);
    v.Field(Accounts);
    v.Field(ProfitRing);
    v.Field(OpenHour);
    v.Field(CloseHour);
    v.Field(Pad2);
    v.Field(OpenState);
    v.Field(InStockMask);
    v.Field(EventHours);
    v.Field(Pad3);
    v.Field(EventKind);
    v.Field(EventFactor);
    for (CommoditySlot& slot : Slots) slot.Visit(v);
    v.Field(StockTarget);
    v.Field(Price);
    v.Field(RentPerPlace);
    v.Field(StockTargetCopy);
    v.Field(PriceCopy);
    v.Field(RentCopy);
    v.Field(ChangedPad);
    v.Field(Day);
    v.Field(Pad4);
    v.Field(FirstResident);
    v.Field(Index);
    v.Require(Index == static_cast<int32_t>(v.Row()), "business index");
    v.Field(LastActivityTick);
    v.Field(TotalStock);
    v.Field(InUse, {0, 1, "in use"});
    v.Field(SoldOut);
    v.Field(Pad5);
    v.Require(!InUse || SavedRecordInUseValid(), "business");
  }
  // The rules of a record in use (types, owner, references, finite figures).
  bool SavedRecordInUseValid() const;
  // The copies set from the applied values (after a change and a load: an
  // older save may hold its machine's unsent edits there).
  void CopyAppliedValues();

  // ---- Lookups ----
  const BusinessType* GetTypeRow() const { return GetBusinessType(Type); }
  int SlotCount() const;  // used slots: the type's commodity count
  int FindCommoditySlot(int32_t commodity) const;
  bool HasCommodity(int32_t commodity) const { return FindCommoditySlot(commodity) >= 0; }
  int32_t GetSlotCommodity(int slot) const;  // -1 past the used slots
  float GetCommodityPrice(int32_t commodity) const;  // 0 for one it does not sell
  CBuilding* GetBuilding() const;
  int32_t GetBlock() const;
  int32_t GetFootprintUnits() const;
  int32_t GetTypeNameId() const;
  int32_t GetOwnerNumber() const { return Owner; }
  CPlayer* GetOwner() const;  // null for the city or a free record
  bool OwnerIsPlayer() const;
  int32_t GetFirstPerson() const { return FirstResident; }
  std::string GetOwnerLabel(const char* cityName) const;
  std::string GetOpenHoursText() const;  // empty when either byte is 0
  bool IsShop() const { return Kind == kBusinessShop; }
  bool IsResidence() const { return Kind == kBusinessResidence; }
  bool IsEventRunning() const { return EventHours > 0; }

  // ---- Figures ----
  float GetProfit() const;
  float GetDayProfit(int day) const;
  float GetLastDayProfit() const;
  float GetTodayTakings() const;
  float GetYesterdayTakings() const;
  float GetTodayMargin() const;
  float GetYesterdayMargin() const;
  float GetStockValue() const;
  int32_t GetTodaySales() const;
  int32_t GetLastDaySales() const;
  void RecountStock();
  float GetRating() const;
  float GetSellValue() const { return 0.4f * GetRating(); }
  float GetTotalPrice() const;
  // Per-slot figures as the panels read them: the selling price and the
  // commodity's base cost of a used slot (0 past them).
  float GetSlotPrice(int slot) const { return (slot >= 0 && slot < SlotCount()) ? Price[slot] : 0.0f; }
  float GetSlotCost(int slot) const;

  // ---- Changes ----
  void Reset(int32_t index);
  void SetOwner(int32_t newOwner);
  void Refresh(bool noCharge);
  void Restock(bool noCharge);
  void ClearStock();
  void SetStockTarget(int slot, int32_t target);
  void AddStock(int slot, int32_t target) { SetStockTarget(slot, target); }
  // Sells up to `units` (never more than the slot holds); returns units sold.
  int32_t Sell(int32_t commodity, int32_t units);
  bool AddPerson(CPerson& person);
  bool RemovePerson(CPerson& person);
  void RehouseResidents();
  int32_t StartEvent(int32_t kind);
  void UpdateOpenState(int32_t value);
  void SetAvailability(int32_t value) { UpdateOpenState(value); }
  void CheckSoldOut(bool daytime);
  void AddToAccount(float amount, int line, bool book);
  void Book(float amount, int line);
  void CollectRent();
  void PayGroundRent(bool book);
  void PayUtilities(bool book);
  void SendPriceMessage();
  void ApplyPriceMessage(const PriceMessage& message);

 private:
  void StampActivity();
  int32_t FreeStockSpace() const;
};
static_assert(sizeof(CBusiness) == 544);

extern std::array<CBusiness, kMaxBusinesses> g_Businesses;

CBusiness* GetBusiness(int32_t index);  // null outside the table
CBusiness* GetBusinessInUse(int32_t index);  // null when outside or free

// The panels' name for a type's stock capacity over an area.
inline int32_t GetSetupCostForArea(int32_t units, int32_t type) { return GetStockCapacityForArea(units, type); }

// The hour rule: closed before openHour, open from it, closed again from
// closeHour when closeHour is above openHour.
int32_t HourRuleState(int32_t openHour, int32_t closeHour, int32_t hour);

// ---- Life ----
int32_t AllocBusiness(int32_t type, int32_t owner, int32_t building);  // -1 when none free
bool OpenBusiness(int32_t business, int32_t building, bool noCharge);
void CloseBusiness(int32_t business);
void SendBusinessPriceMessages(int32_t player);
// Message 22 from player `sender`: checked before anything changes.
bool ApplyBusinessPriceMessage(int32_t sender, const PriceMessage& message);

// ---- Periodic jobs ----
void UpdateBusinessesHourly();
void SettleBusinessesDaily();
void CloseBusinessDay();

// ---- Set-up ----
void ResetBusinesses();  // program start: records, type commodity lists, vacancies
void ResetBusinessRecords();

// ---- Vacancy list: residences with free places ----
void AddVacancy(int32_t business);  // moves it to the end when already listed
void RemoveVacancy(int32_t business);
bool HasVacancy(int32_t business);
int32_t VacancyCount();
int32_t FirstVacancy();               // -1 when empty
int32_t NextVacancy(int32_t business);  // -1 at the end
void ClearVacancies();
void RebuildVacancies();  // from the records (after a load)

// Sync check value over the records in use.
uint32_t BusinessChecksum();

// Save chunk 32: the 600 records.
inline constexpr uint32_t kBusinessesChunkLength = kMaxBusinesses * sizeof(CBusiness);
using BusinessTable = std::array<CBusiness, kMaxBusinesses>;
