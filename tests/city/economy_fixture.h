#pragma once
// A small economy on the built-in city: fake session and players that record
// what the economy books, helpers to place buildings, define business types
// and create people with households.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "city/business.h"
#include "city/city_services.h"
#include "city/commodities.h"
#include "city/economy.h"
#include "city/economy_services.h"
#include "city/households.h"
#include "city/person.h"
#include "city/population_classes.h"
#include "city/timetables.h"
#include "city_fixture.h"
#include "engine/core/random_stream.h"

struct EconSession : CitySessionServices {
  int32_t hour = 9;
  int32_t tick = 1000;
  struct Sent {
    int32_t type, length;
    std::vector<int32_t> payload;
  };
  std::vector<Sent> sent;
  int32_t LogicTick() const override { return tick; }
  int32_t GameHour() const override { return hour; }
  void SendMessage(int32_t type, int32_t length, std::span<const int32_t> payload, int32_t) override {
    sent.push_back({type, length, std::vector<int32_t>(payload.begin(), payload.end())});
  }
};

struct EconPlayers : EconomyPlayerServices {
  struct Entry {
    int32_t player;
    float amount;
    int32_t category;
  };
  std::vector<Entry> money, ledger;
  std::array<int32_t, 7> rating{}, sales{}, units{}, supply{}, type{};
  std::array<float, 4> utilityIncome{};
  std::array<bool, 4> charging{true, true, true, true};
  int payouts = 0;
  bool running = true;
  float average = 1000.0f;

  bool IsPlayer(int32_t n) const override { return n >= 1 && n <= 2; }
  bool IsGameRunning() const override { return running; }
  void AddMoney(int32_t p, float a, int32_t c) override { money.push_back({p, a, c}); }
  void AddToLedger(int32_t p, float a, int32_t c) override { ledger.push_back({p, a, c}); }
  void AddRatingPoints(int32_t p, int32_t n) override { rating[p] += n; }
  void AddSalesPoints(int32_t p, int32_t n) override { sales[p] += n; }
  void AddUnitsSold(int32_t p, int32_t n) override { units[p] += n; }
  int32_t SupplyState(int32_t p) const override { return supply[p]; }
  int32_t PlayerType(int32_t p) const override { return type[p]; }
  const char* PlayerName(int32_t) const override { return "Ada"; }
  float AverageBlockValue() const override { return average; }
  bool UtilityChargingOn(int s) const override { return charging[s]; }
  void AddUtilityIncome(int s, float a) override { utilityIncome[s] += a; }
  void PayUtilityIncome() override { ++payouts; }

  float MoneyIn(int32_t category) const {
    float sum = 0;
    for (const Entry& e : money) {
      if (e.category == category) sum += e.amount;
    }
    return sum;
  }
};

struct EconPeople : EconomyPeopleServices {
  std::vector<int32_t> replanned;
  void Replan(CPerson& p) override { replanned.push_back(p.Index); }
};

class EconomyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ThrowOnFatalError();
    BuildTestCity();
    InitBlocks();
    ResetEconomyTables();
    ClearPersonRecords();
    InstallEconomyCityServices();
    SetCitySessionServices(&session);
    SetEconomyPlayerServices(&players);
    SetEconomyPeopleServices(&people);
    HouseholdRandom().SetState(12345);
    PeopleRandom().SetState(777);
  }
  void TearDown() override {
    RestoreDefaultCityServices();
    RestoreDefaultEconomyServices();
  }

 public:
  // Table and city helpers, shared with other fixtures that run the economy.
  // A shop type selling the given commodities (equal weights unless given).
  static void DefineShopType(int32_t type, std::initializer_list<int32_t> commodities, float stockCapacity = 10.0f,
                             uint8_t open = 9, uint8_t close = 17) {
    BusinessType& t = g_BusinessTypes[type];
    t.Available = 1;
    t.Density = 0.5f;
    t.StockCapacity = stockCapacity;
    t.OpeningTime = open;
    t.ClosingTime = close;
    for (int32_t c : commodities) AddBusinessTypeCommodity(type, c);
  }
  static void DefineCommodity(int32_t c, float value, float markup) {
    g_Commodities[c].Active = 1;
    g_Commodities[c].Value = value;
    g_Commodities[c].Markup = markup;
  }
  static int32_t Place(int block, int x1, int z1, int x2, int z2, int floors, int32_t kind = kKindRetail,
                       uint8_t quality = 0) {
    CBuilding* b = AllocBuilding();
    EXPECT_NE(b, nullptr);
    EXPECT_TRUE(g_Blocks[block].PlaceBuilding(b, x1, z1, x2, z2, floors, 1, kind, quality, 100.0f));
    return b->Id;
  }
  // Allocates and opens a business; returns its index.
  static int32_t Open(int32_t type, int32_t owner, int32_t building, bool noCharge = false) {
    int32_t b = AllocBusiness(type, owner, building);
    EXPECT_GE(b, 0);
    EXPECT_TRUE(OpenBusiness(b, building, noCharge));
    return b;
  }
  // A person in use with a household of its own.
  static CPerson& NewPerson(int32_t kind = kAdult, int32_t socialClass = 0) {
    CPerson& p = g_People[g_PeopleCount];
    p = CPerson{};
    p.Index = static_cast<uint16_t>(g_PeopleCount++);
    p.InUse = 1;
    p.Kind = kind;
    p.SocialClass = socialClass;
    p.Household = static_cast<int16_t>(AllocHousehold());
    return p;
  }
  // Houses a person in a residence business.
  static void House(CPerson& p, int32_t business) {
    CBusiness& b = g_Businesses[business];
    ASSERT_TRUE(b.AddPerson(p));
    p.HomeBuilding = b.Building;
    p.HomeBlock = static_cast<uint8_t>(b.GetBlock());
  }

 protected:

  EconSession session;
  EconPlayers players;
  EconPeople people;
};
