#pragma once
// What the economy (businesses, households, the house hunt) reaches through
// narrow virtuals with harmless defaults: upward, the computer players'
// demand bookkeeping; within the simulation, the players, ledgers and
// utility accounts of the session and the people's own planning, which the
// economy's unit tests and the benchmark's fixture city replace with their
// own (these are to become direct calls). Clock, game messages and player
// objects come through CitySessionServices (city_services.h); the selection
// panel is told through the game events (session/game_events.h).
#include <cstdint>

class CPerson;

// The utility accounts follow the utility block list: slot 0 water (block
// 39), 1 electricity (42), 2 gas (35), 3 telephone (2). The city's
// kUtilityBlocks holds the same blocks in the order of a business type's
// utility needs (telecoms, gas, water, electricity).
inline constexpr int kUtilitySlots = 4;
inline constexpr int32_t kUtilitySlotBlocks[kUtilitySlots] = {39, 42, 35, 2};
enum UtilitySlot : int { kUtilityWater = 0, kUtilityElectricity = 1, kUtilityGas = 2, kUtilityTelephone = 3 };

// Players by number 1..6 (0 is the city and has no player object).
class EconomyPlayerServices {
 public:
  virtual ~EconomyPlayerServices() = default;
  // True when a player object exists for the number.
  virtual bool IsPlayer(int32_t number) const;
  virtual bool IsGameRunning() const { return false; }
  // CPlayer::AddMoney: cash and the day's ledger entry of the category.
  virtual void AddMoney(int32_t /*player*/, float /*amount*/, int32_t /*category*/) {}
  // CPlayer::AddToLedger: the ledger entry only.
  virtual void AddToLedger(int32_t /*player*/, float /*amount*/, int32_t /*category*/) {}
  virtual void AddRatingPoints(int32_t /*player*/, int32_t /*points*/) {}
  virtual void AddSalesPoints(int32_t /*player*/, int32_t /*points*/) {}
  virtual void AddUnitsSold(int32_t /*player*/, int32_t /*units*/) {}
  // 0 normal, 1 restock cost halved, 2 deliveries halved (chance cards).
  virtual int32_t SupplyState(int32_t /*player*/) const { return 0; }
  // 1 marks a player whose businesses the computer players do not count.
  virtual int32_t PlayerType(int32_t /*player*/) const { return 0; }
  virtual const char* PlayerName(int32_t /*player*/) const { return ""; }
  // CData::GetAverageBlockValue.
  virtual float AverageBlockValue() const { return 0.0f; }
  // Utility accounts by slot (kUtilitySlotBlocks).
  virtual bool UtilityChargingOn(int /*slot*/) const { return true; }
  virtual void AddUtilityIncome(int /*slot*/, float /*amount*/) {}
  virtual void PayUtilityIncome() {}
};

// Computer players' bookkeeping of demand and of business types per block.
class EconomyAiServices {
 public:
  virtual ~EconomyAiServices() = default;
  virtual bool DemandTrackingOn() const { return false; }
  virtual void BusinessOpened(int32_t /*business*/) {}  // ModifyCWDforbusiness
  virtual void BusinessClosed(int32_t /*business*/) {}
  // AdjustCommodityDemandCount: +1 when a person moves in, -1 when it leaves.
  virtual void AdjustCommodityDemandCount(int32_t /*person*/, int32_t /*change*/) {}
  virtual void IncBlockBusinessTypeCount(int32_t /*block*/, int32_t /*type*/) {}
  // Never takes a count below 0.
  virtual void DecBlockBusinessTypeCount(int32_t /*block*/, int32_t /*type*/) {}
};

// People: what only the people's daily cycle knows how to do.
class EconomyPeopleServices {
 public:
  virtual ~EconomyPeopleServices() = default;
  // The person's housing changed (moved, found a home, evicted): draw a new
  // timetable for its situation, apply it and head where it says.
  virtual void Replan(CPerson& /*person*/) {}
};

struct EconomyServices {
  EconomyPlayerServices* players;
  EconomyAiServices* ai;
  EconomyPeopleServices* people;
};

// The installed services; every pointer is always valid (defaults at start).
EconomyServices& Economy();
void SetEconomyPlayerServices(EconomyPlayerServices* s);  // null restores the default
void SetEconomyAiServices(EconomyAiServices* s);
void SetEconomyPeopleServices(EconomyPeopleServices* s);
void RestoreDefaultEconomyServices();

// Installs the economy as the city's business service (city_services.h), so
// blocks and buildings read business figures from the business tables.
void InstallEconomyCityServices();
