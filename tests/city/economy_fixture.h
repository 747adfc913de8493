#pragma once
// A small economy on the built-in city, on the session as a running game of
// two players: helpers to read their books, place buildings, define business
// types and create people with households.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "city/business.h"
#include "city/city_services.h"
#include "city/commodities.h"
#include "city/economy.h"
#include "city/people.h"
#include "city/households.h"
#include "city/person.h"
#include "city/population_classes.h"
#include "city/timetables.h"
#include "city_fixture.h"
#include "engine/core/random_stream.h"

// The two players' books as the economy leaves them on the session's players.
struct PlayerBooks {
  static CPlayer& Of(int32_t number) { return *PlayerTable().ByNumber(number); }
  // Today's ledger entries of a category, both players together.
  static float MoneyIn(int32_t category) { return Of(1).Today()[category] + Of(2).Today()[category]; }
  static float LedgerTotal() {
    float sum = 0;
    for (int32_t n = 1; n <= 2; ++n)
      for (int c = 0; c < kLedgerCategories; ++c) sum += std::fabs(Of(n).Today()[c]);
    return sum;
  }
  static void ClearLedgers() {
    for (int32_t n = 1; n <= 2; ++n) std::fill(Of(n).Today(), Of(n).Today() + kLedgerCategories, 0.0f);
  }
  static int32_t Rating(int32_t n) { return Of(n).pointsB; }
  static int32_t Sales(int32_t n) { return Of(n).pointsA; }
  static int32_t Units(int32_t n) { return Of(n).salesCount; }
};

// A person's timetable before anything planned it: a re-plan draws anew.
inline constexpr uint8_t kUnplannedTimetable = 200;
inline bool Replanned(const CPerson& p) { return p.DayTimetable != kUnplannedTimetable; }

class EconomyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ThrowOnFatalError();
    BuildTestCity();
    InitBlocks();
    ResetEconomyTables();
    ClearPersonRecords();
    // A running game of two players at nine o'clock, tick 1000.
    AddTestPlayers(2);
    Session().inGame = true;
    LogicTick() = 1000;
    SetRentAverage(1000.0f);
    HouseholdRandom().SetState(12345);
    PeopleRandom().SetState(777);
  }
  void TearDown() override { ResetSimulation(); }

  // The city-wide rent per resident the house hunt weighs rents against.
  static void SetRentAverage(float value) {
    PlayerData().averages[CData::kAverages - 1] = value;
    PlayerData().averagesDirty = 0;
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
    p.DayTimetable = kUnplannedTimetable;
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

  PlayerBooks players;
};
