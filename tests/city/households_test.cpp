#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/house_hunt.h"
#include "economy_fixture.h"

namespace {

constexpr int32_t kBakery = 0;
constexpr int32_t kBread = 3;
constexpr int32_t kDrinks = 5;

uint32_t NextDraw(uint32_t& state) {
  state = state * 214013u + 2531011u;
  return (state >> 16) & 0x7FFF;
}

// ---- Preferences and classes ----

TEST_F(EconomyTest, PreferenceRowsRefuseTheThirtyThirdEntry) {
  for (int i = 0; i < kPreferenceEntries; ++i) ASSERT_TRUE(AddPreferenceValue(4, i, 0.5f));
  EXPECT_FALSE(AddPreferenceValue(4, 1, 0.5f));
  EXPECT_EQ(g_Preferences[4].Count, 32);
  EXPECT_FALSE(AddPreferenceValue(128, 1, 1.0f));
  EXPECT_FALSE(AddPreferenceValue(-1, 1, 1.0f));
  EXPECT_FALSE(AddPreferenceValue(5, 32, 1.0f));
  EXPECT_EQ(g_Preferences[5].Count, 0);
}

TEST_F(EconomyTest, ClassFifteenFillsEveryClassList) {
  EXPECT_TRUE(AssociatePreferenceWithClass(kAllPopulationClasses, 9));
  for (const PopulationClassList& l : g_PopulationClasses) {
    ASSERT_EQ(l.Count, 1);
    EXPECT_EQ(l.Rows[0], 9);
  }
  for (int i = 1; i < kClassPreferenceRows; ++i) ASSERT_TRUE(AssociatePreferenceWithClass(3, i));
  EXPECT_FALSE(AssociatePreferenceWithClass(3, 1));
  EXPECT_FALSE(AssociatePreferenceWithClass(kAllPopulationClasses, 2));  // stops at full class 3
  EXPECT_EQ(g_PopulationClasses[2].Count, 2);
  EXPECT_EQ(g_PopulationClasses[4].Count, 1);
  EXPECT_FALSE(AssociatePreferenceWithClass(0, 128));
  EXPECT_FALSE(AssociatePreferenceWithClass(16, 1));
  EXPECT_EQ(PopulationClassOf(kTourist, 2), 14);

  HouseholdRandom().SetState(99);
  uint32_t state = 99;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(DrawPreference(3), g_PopulationClasses[3].Rows[NextDraw(state) % 32]);
  ResetPreferences();
  EXPECT_EQ(DrawPreference(3), -1);
}

TEST_F(EconomyTest, SocialClassRowsStartAsSet) {
  EXPECT_EQ(FindClassByName("MEDIUM"), 1);
  EXPECT_EQ(FindClassByName("mid"), -1);
  EXPECT_FLOAT_EQ(g_SocialClasses[2].Weight6, 2.5f);
  EXPECT_FLOAT_EQ(g_SocialClasses[0].Weight5, 0.9f);
  EXPECT_TRUE(SetClassIncome(kPensioner, 2, 30.0f));
  EXPECT_FLOAT_EQ(ClassIncome(kPensioner, 2), 30.0f);
  EXPECT_FALSE(SetClassIncome(5, 0, 1.0f));
  EXPECT_FALSE(SetClassIncome(0, 3, 1.0f));
}

// ---- Households ----

TEST_F(EconomyTest, InitWantsDrawsAmountsAndSkipsInactiveCommodities) {
  DefineCommodity(kBread, 2.0f, 1.5f);
  DefineCommodity(kDrinks, 1.0f, 2.0f);
  g_Commodities[kDrinks].Active = 0;
  AddPreferenceValue(0, kBread, 1.0f);
  AddPreferenceValue(0, kDrinks, 0.5f);
  int32_t h = AllocHousehold();
  ASSERT_EQ(h, 0);
  HouseholdRandom().SetState(4242);
  uint32_t state = 4242;
  float bread = 3.0f * 1.0f * static_cast<float>(NextDraw(state) % 101) / 100.0f;
  float drinks = 2.0f * 0.5f * static_cast<float>(NextDraw(state) % 101) / 100.0f;
  g_Households[h].InitWants(0);
  EXPECT_FLOAT_EQ(g_Households[h].Want[kBread], bread);
  EXPECT_FLOAT_EQ(g_Households[h].Want[kDrinks], 0.0f);
  EXPECT_EQ(g_Households[h].WantMask, bread != 0 ? 1u << kBread : 0u);
  EXPECT_FLOAT_EQ(g_Households[h].Money, bread + drinks);
  EXPECT_FLOAT_EQ(g_Households[h].TotalWant, bread + drinks);
}

TEST_F(EconomyTest, BalanceWantsSharesSpareMoneyUpToEachCap) {
  DefineCommodity(kBread, 1.0f, 2.0f);   // cap 2 x weight
  DefineCommodity(kDrinks, 1.0f, 1.0f);  // cap 1 x weight
  AddPreferenceValue(0, kBread, 5.0f);   // cap 10
  AddPreferenceValue(0, kDrinks, 3.0f);  // cap 3
  CHousehold& h = g_Households[AllocHousehold()];
  h.Money = 10.0f;
  h.BalanceWants(0);
  // Bread gets half the spare (5); drinks the rest, capped at 3.
  EXPECT_FLOAT_EQ(h.Want[kBread], 5.0f);
  EXPECT_FLOAT_EQ(h.Want[kDrinks], 3.0f);
  EXPECT_FLOAT_EQ(h.TotalWant, 8.0f);
  EXPECT_EQ(h.WantMask, (1u << kBread) | (1u << kDrinks));

  // Poorer: wants are cut from the last entry back.
  h.Money = 4.0f;
  h.BalanceWants(0);
  EXPECT_FLOAT_EQ(h.Want[kDrinks], 0.0f);
  EXPECT_FLOAT_EQ(h.Want[kBread], 4.0f);
  EXPECT_FLOAT_EQ(h.TotalWant, 4.0f);
  EXPECT_EQ(h.WantMask, 1u << kBread);

  // An empty row changes nothing and divides by nothing.
  h.BalanceWants(1);
  EXPECT_FLOAT_EQ(h.TotalWant, 4.0f);
}

TEST_F(EconomyTest, HouseholdsRunOut) {
  for (int i = 0; i < kMaxHouseholds; ++i) ASSERT_EQ(AllocHousehold(), i);
  EXPECT_EQ(AllocHousehold(), -1);
  ResetHousehold(7);
  EXPECT_EQ(AllocHousehold(), 7);
  EXPECT_EQ(GetHousehold(2000), nullptr);
}

// ---- The house hunt on a small city ----

class HouseHunt : public EconomyTest {
 protected:
  void SetUp() override {
    EconomyTest::SetUp();
    g_BusinessTypes[kTypeApartments].Available = 1;
    g_BusinessTypes[kTypeApartments].Density = 4.0f;  // four places on one unit
    SetClassIncome(kAdult, 0, 200.0f);                // affordable up to 96 a place
    for (CBlock& b : g_Blocks) b.Prestige = 0;
    ResetClassPairLists();
  }
  void TearDown() override {
    ResetClassPairLists();
    EconomyTest::TearDown();
  }
  // A residence on one lot with a chosen rent per place.
  int32_t Residence(int block, int x, float rent, uint8_t quality = 0) {
    int32_t building = Place(block, x, 0, x, 0, 1, kKindResidential, quality);
    int32_t b = Open(kTypeApartments, 1, building);
    g_Businesses[b].RentPerPlace = rent;
    return b;
  }
};

TEST_F(HouseHunt, HousingScoreWeighsPrestigePlacesAndCheapness) {
  g_Blocks[20].Prestige = 1.0f;
  Residence(20, 0, 60.0f);
  CPerson& p = NewPerson();
  // base 40 + 4 places; cheapness 200 - 100 x 240 / (1000 x 4).
  EXPECT_EQ(p.ScoreHousingBlock(20), 44 + 194);
  SetRentAverage(0);  // no average value yet: cheapness counts nothing
  EXPECT_EQ(p.ScoreHousingBlock(20), 44);
  SetRentAverage(1000);
  EXPECT_EQ(p.ScoreHousingBlock(21), kNoHousingScore);
  g_SocialClasses[0].PriceWeight = 0.5f;
  EXPECT_EQ(p.ScoreHousingBlock(20), 44 + 97);
}

TEST_F(HouseHunt, TooDearBlocksNeverWin) {
  Residence(20, 0, 500.0f);
  CPerson& p = NewPerson();
  EXPECT_EQ(p.ScoreHousingBlock(20), kNoHousingScore);
  EXPECT_FALSE(p.FindHomeBlock());
  Residence(30, 0, 90.0f);
  EXPECT_TRUE(p.FindHomeBlock());
  EXPECT_EQ(p.TargetBlock, 30);
}

TEST_F(HouseHunt, APersonInTheBestResidenceStaysAndItsOwnPlaceCountsAsFree) {
  int32_t full = Residence(20, 0, 60.0f);
  CPerson& p = NewPerson();
  House(p, full);
  for (int i = 0; i < 3; ++i) House(NewPerson(), full);
  ASSERT_EQ(g_Businesses[full].Occupants, g_Businesses[full].Capacity);
  EXPECT_EQ(p.ScoreHousingBlock(20), 50 + 194);  // home block: base + 50, its own place free
  EXPECT_EQ(p.ChooseResidence(20), full);
  p.HouseHunt();
  EXPECT_EQ(p.HomeBuilding, g_Businesses[full].Building);
  EXPECT_FALSE(Replanned(p));
}

TEST_F(HouseHunt, ResidenceChoicePrefersQualityThenTheFirst) {
  int32_t plain = Residence(20, 0, 60.0f);
  int32_t fine = Residence(20, 2, 60.0f, 2);
  int32_t twin = Residence(20, 4, 60.0f, 2);
  CPerson& p = NewPerson();
  EXPECT_EQ(p.ChooseResidence(20), fine);
  g_Businesses[fine].RentPerPlace = 200.0f;  // out of reach
  EXPECT_EQ(p.ChooseResidence(20), twin);
  (void)plain;
}

// The parameter file's lists: how well a block suits the class, how the
// class rates its rents and the way to work; the rent the class accepts moves
// with the block's suitability.
TEST_F(HouseHunt, ClassScoresRentScoresAndTheWayToWorkChooseTheBlock) {
  Residence(20, 0, 30.0f);
  Residence(30, 0, 30.0f);
  CPerson& p = NewPerson();
  const int32_t plain = p.ScoreHousingBlock(20);
  ASSERT_EQ(plain, p.ScoreHousingBlock(30));
  g_BlockDefs[30].ClassScore[0] = 80;
  EXPECT_EQ(p.ScoreHousingBlock(30), plain + 80);
  g_ClassPairLists[0].RentScore.Append(20, 100);
  g_ClassPairLists[0].RentScore.Append(40, 30);
  EXPECT_EQ(p.ScoreHousingBlock(30), plain + 80 + 30);
  g_ClassPairLists[1].RentScore.Append(40, 100);  // another class's list
  EXPECT_EQ(p.ScoreHousingBlock(20), plain + 30);
  // Work in block 20: a block farther than the list's last distance keeps
  // its last score.
  g_ClassPairLists[0].Proximity.Append(1, 50);
  g_ClassPairLists[0].Proximity.Append(100000, 5);
  p.WorkBlock = 20;
  EXPECT_EQ(p.ScoreHousingBlock(20), plain + 30 + 50);
  EXPECT_EQ(p.ScoreHousingBlock(30), plain + 80 + 30 + 5);
  EXPECT_TRUE(p.FindHomeBlock());
  EXPECT_EQ(p.TargetBlock, 30);

  // 96 a place is the most this class pays; 10% more in a block that suits it.
  Residence(40, 0, 100.0f);
  EXPECT_EQ(p.ScoreHousingBlock(40), kNoHousingScore);
  g_ClassPairLists[0].ApartmentRent.Append(50, 0);
  g_ClassPairLists[0].ApartmentRent.Append(100, 10);
  g_BlockDefs[40].ClassScore[0] = 90;
  EXPECT_NE(p.ScoreHousingBlock(40), kNoHousingScore);
}

TEST_F(HouseHunt, NoAffordableHomeLeavesThePersonHomeless) {
  int32_t home = Residence(20, 0, 60.0f);
  CPerson& p = NewPerson();
  House(p, home);
  SetClassIncome(kAdult, 0, 10.0f);
  p.HouseHunt();
  EXPECT_FALSE(p.IsHoused());
  EXPECT_EQ(p.HomeBlock, kNoBlock);
  EXPECT_EQ(g_Businesses[home].Occupants, 0);
  EXPECT_TRUE(Replanned(p));
  p.DayTimetable = kUnplannedTimetable;
  p.HouseHunt();  // the homeless look for a house through their timetable instead
  EXPECT_FALSE(Replanned(p));
}

TEST_F(HouseHunt, CountdownRunsDailyAndWrapsFromZero) {
  g_ItchyCounter = 4;
  CPerson& a = NewPerson();
  CPerson& b = NewPerson();
  CPerson& c = NewPerson();
  a.SetHouseHuntCountdown(3);
  b.SetHouseHuntCountdown(1);
  c.SetHouseHuntCountdown(0);
  c.HouseHuntCountdown |= 0x100;  // the rest of the word is not the countdown's
  HouseholdRandom().SetState(5);
  uint32_t state = 5;
  int32_t bNext = 1 + static_cast<int32_t>(NextDraw(state) % 4);
  int32_t cNext = 1 + static_cast<int32_t>(NextDraw(state) % 4);
  UpdateHouseHuntDaily();
  EXPECT_EQ(a.GetHouseHuntCountdown(), 2);
  EXPECT_EQ(b.GetHouseHuntCountdown(), bNext);
  EXPECT_EQ(c.GetHouseHuntCountdown(), cNext);
  EXPECT_EQ(c.HouseHuntCountdown & ~15, 0x100);

  g_ItchyCounter = 0;  // no interval set: hunt again the next day
  a.SetHouseHuntCountdown(1);
  UpdateHouseHuntDaily();
  EXPECT_EQ(a.GetHouseHuntCountdown(), 1);
}

TEST(HouseHuntTable, FirstThresholdAtLeastTheValue) {
  HouseHuntTable t;
  t.Count = 3;
  int32_t thresholds[] = {10, 20, 30};
  int32_t results[] = {1, 2, 3};
  std::copy(std::begin(thresholds), std::end(thresholds), t.First);
  std::copy(std::begin(results), std::end(results), t.Second);
  EXPECT_EQ(GetHouseHuntEntry(t, -5), 1);
  EXPECT_EQ(GetHouseHuntEntry(t, 20), 2);
  EXPECT_EQ(GetHouseHuntEntry(t, 21), 3);
  EXPECT_EQ(GetHouseHuntEntry(t, 31), 0);
  // The house hunt's reading: the last result holds on past the thresholds.
  EXPECT_EQ(HouseHuntScore(t, 31), 3);
  EXPECT_EQ(HouseHuntScore(t, 15), 2);
  EXPECT_EQ(HouseHuntScore(HouseHuntTable{}, 15), 0);
  t.Count = 99;  // a damaged count reads no further than the table
  EXPECT_EQ(GetHouseHuntEntry(t, 1000), 0);
}

// ---- Shopping ----

class Shopping : public EconomyTest {
 protected:
  static constexpr int kBlock = 10;
  void SetUp() override {
    EconomyTest::SetUp();
    DefineCommodity(kBread, 1.0f, 1.5f);  // sells at 1.5
    DefineCommodity(kDrinks, 1.0f, 1.0f);
    DefineShopType(kBakery, {kBread, kDrinks}, 10.0f, 0, 0);
    for (CBlock& b : g_Blocks) b.Prestige = 0;
    g_Blocks[kBlock].Prestige = 1.0f;
    near = Open(kBakery, 1, Place(kBlock, 0, 0, 0, 0, 1));
    far = Open(kBakery, 1, Place(kBlock, 6, 6, 6, 6, 1));
    AddPreferenceValue(0, kBread, 1.0f);
    AddPreferenceValue(0, kDrinks, 1.0f);
  }
  CPerson& Shopper(float breadWant) {
    CPerson& p = NewPerson();
    CHousehold& h = g_Households[p.Household];
    h.Want[kBread] = breadWant;
    h.RebuildWantMask();
    p.ShoppingMask = g_BusinessTypes[kBakery].CommodityMask;
    p.SetBlockMemory(kBlock, 1);
    const CBuilding& shop = g_Buildings[g_Businesses[near].Building];
    p.PositionX = shop.CentreX;
    p.PositionZ = shop.CentreZ;
    return p;
  }
  int32_t near = -1, far = -1;
};

TEST_F(Shopping, ShopOfferWeighsWantPricePrestigeAndEvents) {
  CPerson& p = Shopper(3.0f);
  float value = 0, prestige = 0;
  // (0 + 1) x 33 + 3 / 1.5 x 80 + 20.
  EXPECT_NEAR(p.ScoreShopOffer(near, kBread, &value, &prestige), 213.0f, 1e-3f);
  EXPECT_NEAR(value, 160.0f, 1e-3f);
  EXPECT_NEAR(prestige, 20.0f, 1e-4f);
  g_Businesses[near].StartEvent(1);
  EXPECT_NEAR(p.ScoreShopOffer(near, kBread), 213.0f * 1.2f, 1e-2f);
  g_Businesses[near].StartEvent(3);  // the price seen doubles past the tolerance
  EXPECT_EQ(p.ScoreShopOffer(near, kBread), 0.0f);
  g_Businesses[near].StartEvent(4);
  EXPECT_NEAR(p.ScoreShopOffer(near, kBread), 213.0f, 1e-3f);

  struct Case {
    const char* what;
    void (*change)(CPerson&, CBusiness&);
  } zeros[] = {
      {"closed", [](CPerson&, CBusiness& b) { b.OpenState = kClosed; }},
      {"no stock", [](CPerson&, CBusiness& b) { b.ClearStock(); }},
      {"free goods", [](CPerson&, CBusiness& b) { b.Price[0] = 0; }},
      {"too dear", [](CPerson& p, CBusiness&) { p.PriceTolerance = 0.9f; }},
      {"small want", [](CPerson& p, CBusiness&) { g_Households[p.Household].Want[kBread] = 1.0f; }},
  };
  for (const Case& c : zeros) {
    CBusiness saved = g_Businesses[near];
    CPerson before = p;
    float want = g_Households[p.Household].Want[kBread];
    c.change(p, g_Businesses[near]);
    EXPECT_EQ(p.ScoreShopOffer(near, kBread), 0.0f) << c.what;
    g_Businesses[near] = saved;
    p = before;
    g_Households[p.Household].Want[kBread] = want;
  }
  EXPECT_EQ(p.ScoreShopOffer(near, 0), 0.0f);
}

TEST_F(Shopping, ShoppingBlockNeedsMemoryWantsAndStock) {
  CPerson& p = Shopper(3.0f);
  float score = p.ScoreShoppingBlock(kBlock);
  EXPECT_NEAR(score, 213.0f + p.GetBlockDistanceScore(kBlock), 1e-2f);
  g_ShoppingDistanceScore = false;
  EXPECT_NEAR(p.ScoreShoppingBlock(kBlock), 213.0f, 1e-2f);
  g_ShoppingDistanceScore = true;
  EXPECT_EQ(p.ScoreShoppingBlock(kBlock + 1), kNoShoppingScore);
  p.SetBlockMemory(kBlock, 0);
  EXPECT_EQ(p.ScoreShoppingBlock(kBlock), kNoShoppingScore);
  p.SetBlockMemory(kBlock, 2);
  p.ShoppingMask = 1u << 20;
  EXPECT_EQ(p.ScoreShoppingBlock(kBlock), kNoShoppingScore);
}

TEST_F(Shopping, ChoosingABlockPaysItsOwnerForTheFirstThreeTrips) {
  g_Blocks[kBlock].Owner = 2;
  CPerson& p = Shopper(3.0f);
  int32_t expected[] = {40, 60, 70, 70};
  for (int trip = 0; trip < 4; ++trip) {
    EXPECT_EQ(p.ChooseShoppingBlock(), kBlock);
    EXPECT_EQ(players.Sales(2), expected[trip]);
  }
  EXPECT_EQ(p.TripsToday, 4);
  EXPECT_EQ(p.TargetBlock, kBlock);
  CPerson& q = Shopper(0.5f);  // wants too little to shop anywhere
  EXPECT_EQ(q.ChooseShoppingBlock(), -1);
}

TEST_F(Shopping, ChooseShopTakesTheNearerOfEqualShops) {
  CPerson& p = Shopper(3.0f);
  p.TargetBlock = kBlock;
  ASSERT_TRUE(p.ChooseShop());
  EXPECT_EQ(p.Commodity, kBread);
  EXPECT_EQ(p.Destination.Building, g_Businesses[near].Building);
  EXPECT_EQ(p.Destination.Block, kBlock);
  const CBuilding& farShop = g_Buildings[g_Businesses[far].Building];
  p.PositionX = farShop.CentreX;
  p.PositionZ = farShop.CentreZ;
  ASSERT_TRUE(p.ChooseShop());
  EXPECT_EQ(p.Destination.Building, g_Businesses[far].Building);
  g_Households[p.Household].Want[kBread] = 0;
  g_Households[p.Household].RebuildWantMask();
  EXPECT_FALSE(p.ChooseShop());
}

}  // namespace
