#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <vector>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/local_drafts.h"
#include "economy_fixture.h"
#include "session/save_chunks.h"

namespace {

constexpr int32_t kBakery = 0;
constexpr int32_t kBread = 3;
constexpr int32_t kDrinks = 5;
constexpr int kShopBlock = 10;

class Businesses : public EconomyTest {
 protected:
  void SetUp() override {
    EconomyTest::SetUp();
    DefineCommodity(kBread, 1.0f, 1.5f);
    DefineCommodity(kDrinks, 1.0f, 1.23f);
    DefineShopType(kBakery, {kBread, kDrinks});
    shopBuilding = Place(kShopBlock, 0, 0, 1, 1, 1);  // 2 x 2 lots, one floor: 4 units, 40 stock
  }
  CBusiness& OpenShop(int32_t owner = 1) { return g_Businesses[Open(kBakery, owner, shopBuilding)]; }

  // A residence (type 42) of `floors` floors on one lot.
  int32_t OpenResidence(int block, int x, int z, int floors, float density, int32_t owner = 1, uint8_t quality = 0) {
    g_BusinessTypes[kTypeApartments].Available = 1;
    g_BusinessTypes[kTypeApartments].Density = density;
    int32_t building = Place(block, x, z, x, z, floors, kKindResidential, quality);
    return Open(kTypeApartments, owner, building);
  }

  // Bakeries use gas; player 2 owns the gasworks, which pays out in full.
  static void RunGasworksForPlayer2() {
    g_BusinessTypes[kBakery].GasNeed = 1.0f;
    g_Blocks[kUtilitySlotBlocks[kUtilityGas]].Owner = 2;
    GetUtilityIncome().incomeMultiplier = 4.0f;
  }

  int32_t shopBuilding = -1;
};

TEST(HourRule, Table) {
  struct Case {
    int open, close, hour, state;
  } cases[] = {
      {9, 17, 8, kClosed}, {9, 17, 9, kOpen},   {9, 17, 16, kOpen},  {9, 17, 17, kClosed}, {9, 17, 23, kClosed},
      {18, 2, 17, kClosed}, {18, 2, 18, kOpen}, {18, 2, 23, kOpen},  {18, 2, 1, kClosed},  {9, 9, 9, kOpen},
      {9, 9, 23, kOpen},   {0, 0, 0, kOpen},    {0, 24, 23, kOpen},  {6, 0, 5, kClosed},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HourRuleState(c.open, c.close, c.hour), c.state) << c.open << "-" << c.close << " at " << c.hour;
}

TEST_F(Businesses, OpenStateFollowsHoursUnlessHeldAndResidencesStayOpen) {
  CBusiness& shop = OpenShop();
  GameClock().hour = 8;
  UpdateBusinessesHourly();
  EXPECT_EQ(shop.OpenState, kClosed);
  GameClock().hour = 10;
  UpdateBusinessesHourly();
  EXPECT_EQ(shop.OpenState, kOpen);
  shop.UpdateOpenState(kHeldClosed);
  UpdateBusinessesHourly();
  EXPECT_EQ(shop.OpenState, kHeldClosed);
  shop.UpdateOpenState(7);  // not a state: ignored
  EXPECT_EQ(shop.OpenState, kHeldClosed);

  CBusiness& home = g_Businesses[OpenResidence(11, 0, 0, 2, 1.0f)];
  GameClock().hour = 3;
  home.UpdateOpenState(-1);
  EXPECT_EQ(home.OpenState, kOpen);
  home.UpdateOpenState(kHeldClosed);
  EXPECT_EQ(home.OpenState, kOpen);
}

TEST_F(Businesses, PricesRoundToTenthsAfterAddingNineHundredths) {
  struct Case {
    float value, markup, price;
  } cases[] = {{1.0f, 1.5f, 1.5f}, {1.0f, 1.23f, 1.3f}, {2.0f, 1.0f, 2.0f}, {0.33f, 1.0f, 0.4f}, {0.0f, 3.0f, 0.0f}};
  for (const Case& c : cases) {
    DefineCommodity(kBread, c.value, c.markup);
    CBusiness& shop = OpenShop();
    EXPECT_NEAR(shop.GetCommodityPrice(kBread), c.price, 1e-5f) << c.value << " x " << c.markup;
    EXPECT_EQ(shop.PriceCopy[0], shop.Price[0]);
    CloseBusiness(shop.Index);
  }
}

TEST_F(Businesses, OpenedInTheDayIsStockedAndPaysForIt) {
  GameClock().hour = 9;
  RunGasworksForPlayer2();
  CBusiness& shop = OpenShop();
  EXPECT_EQ(shop.Slots[0].Stock, 20);
  EXPECT_EQ(shop.Slots[1].Stock, 20);
  EXPECT_EQ(shop.StockTarget[0], 20);
  EXPECT_EQ(shop.TotalStock, 40);
  EXPECT_FLOAT_EQ(shop.Accounts[kLineStock], -40.0f);
  EXPECT_FLOAT_EQ(players.MoneyIn(17), -40.0f);
  // Margin of the full stock at the rounded prices: 20 x 0.5 + 20 x 0.3.
  EXPECT_NEAR(shop.PotentialIncome, 16.0f, 1e-4f);
  // The first day's gas charge reaches the gasworks' owner at once.
  EXPECT_GT(players.MoneyIn(int32_t(kLedgerUtilityFirst) + kUtilityGas), 0.0f);
  EXPECT_FLOAT_EQ(GetUtilityIncome().takings[kUtilityGas], 0.0f);
  EXPECT_EQ(g_Buildings[shopBuilding].BusinessIndex, shop.Index);
  EXPECT_EQ(g_Buildings[shopBuilding].Status, kStatusComplete);
  EXPECT_EQ(g_Blocks[kShopBlock].CommodityMask, (1u << kBread) | (1u << kDrinks));
}

TEST_F(Businesses, OpenedBeforeSixGetsTargetsButNoStockUntilTheRestock) {
  GameClock().hour = 3;
  RunGasworksForPlayer2();
  CBusiness& shop = OpenShop();
  EXPECT_EQ(shop.StockTarget[0], 20);
  EXPECT_EQ(shop.Slots[0].Stock, 0);
  EXPECT_EQ(shop.TotalStock, 0);
  EXPECT_FLOAT_EQ(shop.Accounts[kLineStock], 0.0f);
  EXPECT_FLOAT_EQ(players.LedgerTotal(), 0.0f);  // no stock, rent or utilities yet
  EXPECT_TRUE(IsEarlyHour());

  GameClock().hour = 6;
  SettleBusinessesDaily();
  EXPECT_EQ(shop.Slots[0].Stock, 20);
  EXPECT_EQ(shop.Slots[1].Stock, 20);
  EXPECT_FLOAT_EQ(shop.Accounts[kLineStock], -40.0f);
}

TEST_F(Businesses, RestockDiscardsHalfAndRefillsOnlyWhenTheWholeShortfallFits) {
  CBusiness& shop = OpenShop();
  EXPECT_EQ(shop.Sell(kBread, 10), 10);
  shop.Accounts[kLineStock] = 0;
  players.ClearLedgers();
  shop.Restock(false);
  EXPECT_EQ(shop.Slots[0].DiscardedPerDay[0], 5);
  EXPECT_EQ(shop.Slots[1].DiscardedPerDay[0], 10);
  EXPECT_EQ(shop.Slots[0].Stock, 20);
  EXPECT_EQ(shop.Slots[1].Stock, 20);
  EXPECT_FLOAT_EQ(shop.Accounts[kLineStock], -25.0f);  // 15 + 10 delivered at 1.0
  EXPECT_FLOAT_EQ(players.MoneyIn(19), -15.0f);  // 5 bread and 10 drinks discarded at 1.0
  EXPECT_EQ(shop.InStockMask, g_BusinessTypes[kBakery].CommodityMask);

  // A target beyond the free space: nothing is delivered at all.
  shop.StockTarget[0] = 40;
  shop.Accounts[kLineStock] = 0;
  shop.Restock(false);
  EXPECT_EQ(shop.Slots[0].Stock, 10);
  EXPECT_EQ(shop.Slots[1].Stock, 10);
  EXPECT_FLOAT_EQ(shop.Accounts[kLineStock], 0.0f);
}

TEST_F(Businesses, OverfilledShopDeliversNothingRatherThanTakingStockAway) {
  CBusiness& shop = OpenShop();
  shop.Slots[0].Stock = 60;
  shop.Slots[1].Stock = 60;
  shop.StockTarget[0] = shop.StockTarget[1] = 40;
  shop.Restock(true);
  EXPECT_EQ(shop.Slots[0].Stock, 30);
  EXPECT_EQ(shop.Slots[1].Stock, 30);
}

TEST_F(Businesses, SupplyStatesHalveDeliveriesOrCost) {
  CBusiness& shop = OpenShop();
  shop.ClearStock();
  EXPECT_EQ(shop.TotalStock, 0);
  PlayerBooks::Of(1).cardEffect = 2;
  shop.Accounts[kLineStock] = 0;
  shop.Restock(false);
  EXPECT_EQ(shop.Slots[0].Stock, 10);
  EXPECT_FLOAT_EQ(shop.Accounts[kLineStock], -20.0f);

  shop.ClearStock();
  PlayerBooks::Of(1).cardEffect = 1;
  shop.Accounts[kLineStock] = 0;
  shop.Restock(false);
  EXPECT_EQ(shop.Slots[0].Stock, 20);
  EXPECT_FLOAT_EQ(shop.Accounts[kLineStock], -20.0f);  // 40 units at half cost

  shop.Accounts[kLineStock] = 0;
  shop.ClearStock();
  shop.Restock(true);  // chance card: free
  EXPECT_EQ(shop.Slots[0].Stock, 20);
  EXPECT_FLOAT_EQ(shop.Accounts[kLineStock], 0.0f);
}

TEST_F(Businesses, StockTargetsStayWithinTheSlotShareAndTheFreeRoom) {
  CBusiness& shop = OpenShop();
  shop.SetStockTarget(0, 30);  // no room left: both slots hold 20 of 40
  EXPECT_EQ(BusinessDraftOf(shop).StockTarget[0], 20);
  EXPECT_FALSE(BusinessDraftChanged(shop.Index));
  shop.SetStockTarget(1, 5);
  EXPECT_EQ(BusinessDraftOf(shop).StockTarget[1], 5);
  EXPECT_TRUE(BusinessDraftChanged(shop.Index));
  shop.SetStockTarget(0, 100);  // room 15, share 40 - 20
  EXPECT_EQ(BusinessDraftOf(shop).StockTarget[0], 35);
  shop.SetStockTarget(0, -1);
  shop.SetStockTarget(7, 1);
  EXPECT_EQ(BusinessDraftOf(shop).StockTarget[0], 35);
  EXPECT_EQ(shop.StockTarget[0], 20);  // applied only by the price message
  EXPECT_EQ(shop.StockTargetCopy[0], 20);

  // With half weights a slot's share is half the capacity.
  CloseBusiness(shop.Index);
  ClearBusinessTypeCommodities();
  AddBusinessTypeCommodity(kBakery, kBread, 50);
  AddBusinessTypeCommodity(kBakery, kDrinks, 50);
  CBusiness& half = OpenShop();
  half.SetStockTarget(1, 0);
  half.SetStockTarget(0, 100);
  EXPECT_EQ(BusinessDraftOf(half).StockTarget[0], 20);
}

TEST_F(Businesses, SellingNeverTakesMoreThanTheSlotHolds) {
  CBusiness& shop = OpenShop();
  LogicTick() = 5000;
  EXPECT_EQ(shop.Sell(kBread, 15), 15);
  EXPECT_EQ(shop.Sell(kBread, 10), 5);
  EXPECT_EQ(shop.Slots[0].Stock, 0);
  EXPECT_EQ(shop.Sell(kBread, 3), 0);
  EXPECT_EQ(shop.Slots[0].Stock, 0);
  EXPECT_EQ(shop.TotalStock, 20);
  EXPECT_EQ(shop.InStockMask & (1u << kBread), 0u);
  EXPECT_EQ(shop.Slots[0].SoldPerDay[0], 20);
  EXPECT_NEAR(shop.Slots[0].TakingsToday, 30.0f, 1e-4f);
  EXPECT_NEAR(shop.Slots[0].MarginToday, 10.0f, 1e-4f);
  EXPECT_NEAR(shop.Accounts[kLineSales], 30.0f, 1e-4f);
  EXPECT_NEAR(players.MoneyIn(35), 30.0f, 1e-4f);
  EXPECT_EQ(players.Sales(1), 400);
  EXPECT_EQ(players.Units(1), 20);
  EXPECT_EQ(shop.LastActivityTick, 5000);
  EXPECT_EQ(shop.Sell(kDrinks, -4), 0);
  EXPECT_EQ(shop.Sell(0, 1), 0);  // a commodity it does not sell
}

TEST_F(Businesses, DayCloseKeepsFourDaysOfProfitAndClearsTheNewDay) {
  CBusiness& shop = OpenShop();
  shop.OpenHour = 8;
  shop.CloseHour = 18;
  shop.Sell(kBread, 4);
  float profit = shop.GetProfit();
  CloseBusinessDay();
  EXPECT_EQ(shop.Day, 1);
  EXPECT_FLOAT_EQ(shop.ProfitRing[0], profit);
  EXPECT_FLOAT_EQ(shop.GetLastDayProfit(), profit);
  EXPECT_FLOAT_EQ(shop.GetProfit(), 0.0f);
  EXPECT_NEAR(shop.Slots[0].TakingsYesterday, 6.0f, 1e-5f);
  EXPECT_FLOAT_EQ(shop.Slots[0].TakingsToday, 0.0f);
  EXPECT_EQ(shop.GetLastDaySales(), 4);
  EXPECT_EQ(shop.GetTodaySales(), 0);
  EXPECT_EQ(shop.OpenState, kClosed);
  // Open round the clock (a hotel): open through the new day's first hour.
  shop.OpenHour = 0;
  shop.CloseHour = 24;
  CloseBusinessDay();
  EXPECT_EQ(shop.OpenState, kOpen);
  for (int d = 0; d < 2; ++d) CloseBusinessDay();
  EXPECT_EQ(shop.Day, 0);
  EXPECT_EQ(shop.Slots[0].SoldPerDay[0], 0);  // the old day's count is cleared on reuse
  EXPECT_FLOAT_EQ(shop.ProfitRing[1], 0.0f);
}

TEST_F(Businesses, DayCloseLeavesSlotsAloneWithoutCommodities) {
  g_BusinessTypes[20].Available = 1;
  int32_t building = Place(12, 0, 0, 0, 0, 1);
  CBusiness& cinema = g_Businesses[Open(20, 1, building)];
  cinema.Slots[0].TakingsToday = 9.0f;
  CloseBusinessDay();
  EXPECT_FLOAT_EQ(cinema.Slots[0].TakingsToday, 9.0f);
  EXPECT_EQ(cinema.Day, 1);
}

TEST_F(Businesses, DailySettlementCollectsRentGroundRentAndUtilities) {
  g_Blocks[11].Owner = 2;
  g_Blocks[11].Prestige = 0;
  g_BusinessTypes[kTypeApartments].TelecomNeed = 1;
  g_BusinessTypes[kTypeApartments].WaterNeed = 2;
  g_Blocks[kUtilitySlotBlocks[kUtilityWater]].Owner = 1;  // the owner runs the water works: no water charge
  int32_t b = OpenResidence(11, 0, 0, 1, 4.0f);
  CBusiness& home = g_Businesses[b];
  EXPECT_EQ(home.Capacity, 4);
  EXPECT_EQ(home.GroundRent, 10);  // one unit at rent 10, prestige 0, quality 0
  EXPECT_FLOAT_EQ(home.RentPerPlace, 60.0f);
  CPerson& a = NewPerson();
  CPerson& c = NewPerson();
  House(a, b);
  House(c, b);
  g_Households[a.Household].Money = 100;
  g_Households[c.Household].Money = 100;
  std::fill(std::begin(home.Accounts), std::end(home.Accounts), 0.0f);
  players.ClearLedgers();

  SettleBusinessesDaily();
  EXPECT_FLOAT_EQ(g_Households[a.Household].Money, 40.0f);
  EXPECT_FLOAT_EQ(home.Accounts[kLineRentReceived], 120.0f);
  EXPECT_FLOAT_EQ(players.MoneyIn(33), 120.0f);
  EXPECT_EQ(home.OccupantsAtSettlement, 2);
  EXPECT_FLOAT_EQ(home.Accounts[kLineGroundRent], -10.0f);
  EXPECT_FLOAT_EQ(players.MoneyIn(14), -10.0f);
  EXPECT_FLOAT_EQ(players.MoneyIn(34), 10.0f);
  EXPECT_FLOAT_EQ(home.Accounts[kLineTelephone], -1.0f);
  EXPECT_FLOAT_EQ(home.Accounts[kLineWater], 0.0f);
  // Paid out to the telephone company's owner at opening; today's charge waits for the payout.
  EXPECT_FLOAT_EQ(GetUtilityIncome().takings[kUtilityTelephone], 1.0f);
  CloseBusinessDay();
  EXPECT_FLOAT_EQ(home.LastDayRent, 120.0f);
  EXPECT_EQ(home.OpenState, kOpen);
}

TEST_F(Businesses, OwnerChangeMovesRatingPoints) {
  int32_t fine = Place(13, 0, 0, 1, 1, 1, kKindRetail, 2);
  int32_t shop = Open(kBakery, 1, fine);
  EXPECT_EQ(players.Rating(1), 40);  // 4 units x 10 for quality 2
  g_Businesses[shop].SetOwner(2);
  EXPECT_EQ(players.Rating(1), 0);
  EXPECT_EQ(players.Rating(2), 40);
  EXPECT_EQ(g_Businesses[shop].Owner, 2);

  g_BusinessTypes[kTypeLandscape].Available = 1;
  int32_t park = Place(13, 4, 4, 4, 4, 1, kKindLandscape);
  float prestige = g_Blocks[13].Prestige;
  int32_t p = Open(kTypeLandscape, 1, park);
  EXPECT_EQ(players.Rating(1), 100);
  EXPECT_NEAR(g_Blocks[13].Prestige, prestige + 0.1f, 1e-5f);
  CloseBusiness(p);
  EXPECT_EQ(players.Rating(1), 0);
  EXPECT_NEAR(g_Blocks[13].Prestige, prestige, 1e-5f);

  Session().inGame = false;
  g_Businesses[shop].SetOwner(1);
  EXPECT_EQ(players.Rating(2), 40);
}

TEST_F(Businesses, ResidentsComeAndGoWithRatingAndVacancies) {
  int32_t b = OpenResidence(11, 0, 0, 1, 2.0f);
  CBusiness& home = g_Businesses[b];
  EXPECT_TRUE(HasVacancy(b));
  CPerson& a = NewPerson();
  CPerson& c = NewPerson();
  CPerson& d = NewPerson();
  House(a, b);
  House(c, b);
  EXPECT_FALSE(HasVacancy(b));
  EXPECT_FALSE(home.AddPerson(d));
  EXPECT_EQ(players.Rating(1), 0);  // a new resident gives no points
  EXPECT_EQ(home.FirstResident, a.Index);
  EXPECT_EQ(a.NextResident, c.Index);
  EXPECT_FALSE(home.RemovePerson(d));
  EXPECT_TRUE(home.RemovePerson(a));
  EXPECT_EQ(players.Rating(1), -50);
  EXPECT_EQ(home.FirstResident, c.Index);
  EXPECT_EQ(home.Occupants, 1);
  EXPECT_TRUE(HasVacancy(b));

  // Closing evicts the rest, who plan anew.
  CloseBusiness(b);
  EXPECT_FALSE(c.IsHoused());
  EXPECT_EQ(c.HomeBlock, kNoBlock);
  EXPECT_TRUE(Replanned(c));
  EXPECT_FALSE(HasVacancy(b));
  EXPECT_EQ(VacancyCount(), 0);
}

TEST_F(Businesses, ASecondBusinessInABuildingClosesTheFirst) {
  int32_t first = Open(kBakery, 1, shopBuilding);
  int32_t second = Open(kBakery, 2, shopBuilding);
  EXPECT_NE(first, second);
  EXPECT_FALSE(g_Businesses[first].InUse);
  EXPECT_EQ(g_Businesses[first].Building, -1);
  EXPECT_EQ(g_Buildings[shopBuilding].BusinessIndex, second);
}

TEST_F(Businesses, AReusedRecordKeepsNothingOfTheOldBusiness) {
  CBusiness& shop = OpenShop();
  shop.Sell(kBread, 5);
  shop.StartEvent(2);
  shop.UpdateOpenState(kHeldClosed);
  int32_t index = shop.Index;
  CloseBusiness(index);
  EXPECT_FALSE(shop.InUse);
  g_BusinessTypes[20].Available = 1;
  int32_t again = AllocBusiness(20, 1, -1);
  ASSERT_EQ(again, index);
  EXPECT_FLOAT_EQ(shop.Slots[0].TakingsToday, 0.0f);
  EXPECT_FLOAT_EQ(shop.GetTodayTakings(), 0.0f);
  EXPECT_FLOAT_EQ(shop.DayTotal, 0.0f);
  EXPECT_EQ(shop.EventKind, 0);
  EXPECT_FLOAT_EQ(shop.EventFactor, 0.0f);
  EXPECT_EQ(shop.OpenState, kClosed);
  EXPECT_EQ(shop.Type, 20);
  EXPECT_EQ(shop.Index, index);
}

TEST_F(Businesses, AllocationFailsWhenEveryRecordIsUsed) {
  for (int i = 0; i < kMaxBusinesses; ++i) ASSERT_EQ(AllocBusiness(kBakery, 0, -1), i);
  EXPECT_EQ(AllocBusiness(kBakery, 0, -1), -1);
  EXPECT_EQ(AllocBusiness(99, 0, -1), -1);
}

TEST_F(Businesses, EventsAndSoldOut) {
  CBusiness& shop = OpenShop();
  EXPECT_EQ(shop.StartEvent(3), 2);
  EXPECT_EQ(shop.EventHours, 24);
  EXPECT_FLOAT_EQ(shop.EventFactor, 2.0f);
  UpdateBusinessesHourly();
  EXPECT_EQ(shop.EventHours, 23);
  CPerson& p = NewPerson();
  EXPECT_EQ(shop.StartEvent(4), 1);
  EXPECT_EQ(p.GetBlockMemory(kShopBlock), 1);
  EXPECT_EQ(shop.EventHours, 0);
  EXPECT_EQ(shop.StartEvent(5), -1);

  GameClock().hour = 10;
  shop.CheckSoldOut(true);
  EXPECT_EQ(shop.SoldOut, 0);
  shop.Sell(kBread, 20);
  shop.Sell(kDrinks, 20);
  shop.CheckSoldOut(true);
  EXPECT_EQ(shop.SoldOut, 1);
  shop.CheckSoldOut(false);  // no discards today
  EXPECT_EQ(shop.SoldOut, 1);
}

// ---- Price message ----

std::vector<uint8_t> PriceBytes(int32_t business, float price, float rent, int16_t target = 10) {
  PriceMessage m;
  m.Business = BusinessId{business};
  for (int i = 0; i < kSlotsPerBusiness; ++i) {
    m.Prices[i] = price;
    m.StockTargets[i] = target;
  }
  m.Rent = rent;
  return EncodeRecord(m);
}

// As the game takes a received price message: decoded and checked, then applied.
bool ApplyPriceBytes(int32_t sender, std::span<const uint8_t> bytes) {
  PriceMessage m;
  return DecodeRecord(bytes, m) && ApplyBusinessPriceMessage(sender, m);
}

TEST_F(Businesses, PriceMessagesTravelAndApply) {
  CBusiness& shop = OpenShop();
  EditBusinessDraft(shop).Price[0] = 2.5f;
  shop.SetStockTarget(1, 4);
  SendBusinessPriceMessages(1);  // player index 1 is owner 2: nothing
  EXPECT_TRUE(PostedMessages().empty());
  SendBusinessPriceMessages(0);
  const std::vector<std::vector<int32_t>> sent = PostedMessages();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0][0], 22);
  EXPECT_EQ(sent[0][1], 64);
  EXPECT_EQ(EventQueue().LogicList()[0].message.Sender(), 1);  // sent for its owner
  EXPECT_FALSE(BusinessDraftChanged(shop.Index));
  EXPECT_EQ(shop.Price[0], shop.PriceCopy[0]);  // sent, not yet applied
  std::vector<uint8_t> payload(44);
  for (int i = 0; i < 11; ++i) StoreLeI32(&payload[4 * i], sent[0][2 + i]);
  ASSERT_TRUE(ApplyPriceBytes(1, payload));
  EXPECT_FLOAT_EQ(shop.Price[0], 2.5f);
  EXPECT_EQ(shop.StockTarget[1], 4);
  // The saved copies follow what is applied.
  EXPECT_FLOAT_EQ(shop.PriceCopy[0], 2.5f);
  EXPECT_EQ(shop.StockTargetCopy[1], 4);
}

TEST_F(Businesses, BadPriceMessagesChangeNothing) {
  CBusiness& shop = OpenShop();
  float nan = std::numeric_limits<float>::quiet_NaN();
  float inf = std::numeric_limits<float>::infinity();
  std::vector<std::vector<uint8_t>> bad = {
      std::vector<uint8_t>(43),
      PriceBytes(-1, 2.0f, 1.0f),  PriceBytes(600, 2.0f, 1.0f),      PriceBytes(599, 2.0f, 1.0f),
      PriceBytes(shop.Index, nan, 1.0f), PriceBytes(shop.Index, inf, 1.0f), PriceBytes(shop.Index, -1.0f, 1.0f),
      PriceBytes(shop.Index, 2.0f, -5.0f), PriceBytes(shop.Index, 2.0f, nan),
      PriceBytes(shop.Index, 2.0f, 1.0f, -3),
  };
  std::vector<uint8_t> before(sizeof(CBusiness));
  std::memcpy(before.data(), &shop, sizeof(CBusiness));
  for (const auto& payload : bad) EXPECT_FALSE(ApplyPriceBytes(1, payload));
  EXPECT_FALSE(ApplyPriceBytes(2, PriceBytes(shop.Index, 2.0f, 1.0f)));  // not the owner
  shop.Owner = 0;
  EXPECT_FALSE(ApplyPriceBytes(0, PriceBytes(shop.Index, 2.0f, 1.0f)));  // the city sends none
  shop.Owner = 1;
  EXPECT_EQ(std::memcmp(before.data(), &shop, sizeof(CBusiness)), 0);
}

TEST_F(Businesses, RaisingTheRentSendsResidentsHuntingAndCuttingItDoesNot) {
  // Two residences at rent 60; the second's block is far more prestigious.
  SetClassIncome(kAdult, 0, 200.0f);  // affordable up to 96
  g_Blocks[11].Prestige = 0;
  g_Blocks[12].Prestige = 5;
  int32_t here = OpenResidence(11, 0, 0, 1, 4.0f);
  int32_t there = OpenResidence(12, 0, 0, 1, 4.0f);
  CPerson& p = NewPerson();
  House(p, here);

  g_Businesses[here].ApplyPriceMessage(PriceMessage{BusinessId{here}, {}, {}, 50.0f});  // a cut: no hunt
  EXPECT_EQ(p.HomeBuilding, g_Businesses[here].Building);
  EXPECT_FALSE(Replanned(p));

  g_Businesses[here].ApplyPriceMessage(PriceMessage{BusinessId{here}, {}, {}, 70.0f});  // a rise: it hunts and moves
  EXPECT_EQ(p.HomeBuilding, g_Businesses[there].Building);
  EXPECT_EQ(p.HomeBlock, 12);
  EXPECT_EQ(g_Businesses[here].Occupants, 0);
  EXPECT_EQ(g_Businesses[there].FirstResident, p.Index);
  EXPECT_TRUE(Replanned(p));
}

// ---- Types and planning figures ----

TEST_F(Businesses, TypeTablesAndLookups) {
  EXPECT_EQ(FindBusinessTypeByName("Fish_Market"), 4);
  EXPECT_EQ(FindBusinessTypeByName("hotel"), kTypeHotel);
  EXPECT_EQ(FindBusinessTypeByName("castle"), -1);
  EXPECT_EQ(g_BusinessTypes[0].NameTextId, 866);
  EXPECT_EQ(g_BusinessTypes[4].NameTextId, 867);
  EXPECT_EQ(g_BusinessTypes[26].NameTextId, 890);
  EXPECT_EQ(g_BusinessTypes[44].NameTextId, 909);
  EXPECT_EQ(g_BusinessTypes[25].DescriptionTextId, 935);
  EXPECT_EQ(g_BusinessTypes[42].DescriptionTextId, 954);
  EXPECT_EQ(g_BusinessTypes[kTypeApartments].Kind, kBusinessResidence);
  EXPECT_EQ(g_BusinessTypes[kTypeLandscape].Kind, kBusinessLandscape);
  EXPECT_EQ(ScriptConstantOfBusinessType(3), "CHEESE_STORE");
  EXPECT_EQ(ScriptConstantOfBusinessType(2), "DELI");
  EXPECT_EQ(FindEmptyBuildingKindByName("residential_empty"), kKindResidential);
  EXPECT_EQ(FindEmptyBuildingKindByName("RETAIL"), -1);
  EXPECT_EQ(FindCommodityByKey("stay_over"), 31);
  EXPECT_EQ(g_Commodities[1].NameTextId, 1052);

  // The commodity list: duplicates ignored, a seventh refused.
  EXPECT_TRUE(AddBusinessTypeCommodity(kBakery, kBread));
  EXPECT_EQ(g_BusinessTypes[kBakery].CommodityCount, 2);
  for (int c = 10; c < 14; ++c) EXPECT_TRUE(AddBusinessTypeCommodity(kBakery, c, 25));
  EXPECT_FALSE(AddBusinessTypeCommodity(kBakery, 20));
  EXPECT_EQ(g_BusinessTypes[kBakery].CommodityCount, 6);
  EXPECT_FLOAT_EQ(g_TypeCommodities[kBakery][2].Weight, 0.25f);
  EXPECT_EQ(g_BusinessTypes[kBakery].CommodityMask & (1u << 20), 0u);
  EXPECT_FALSE(AddBusinessTypeCommodity(kBakery, 32));
}

TEST_F(Businesses, StockCostAndFit) {
  EXPECT_FLOAT_EQ(GetBusinessStockCost(kBakery, 4), 40.0f);
  EXPECT_FLOAT_EQ(GetBusinessStockCost(20, 4), 0.0f);  // no commodities
  EXPECT_EQ(GetStockCapacityForArea(3, kBakery), 30);
  BusinessType& t = g_BusinessTypes[kBakery];
  t.MinArea = 2;
  t.MaxArea = 4;
  t.MinHeight = 1;
  t.MaxHeight = 2;
  t.MaxSide = 2;
  EXPECT_TRUE(FitsBusinessType(kBakery, g_Buildings[shopBuilding]));
  t.MaxSide = 1;
  EXPECT_FALSE(FitsBusinessType(kBakery, g_Buildings[shopBuilding]));
  t.Available = 0;
  EXPECT_FALSE(BusinessTypeFitsArea(kBakery, 3));
  t.Available = 1;
  EXPECT_TRUE(BusinessTypeFitsArea(kBakery, 3));
  EXPECT_FALSE(BusinessTypeFitsArea(kBakery, 1));
}

// ---- Save chunks ----

class BusinessSaves : public Businesses {
 protected:
  void SetUp() override {
    Businesses::SetUp();
    ClearSaveHooks();
    RegisterEconomySaveHooks();
    path = (std::filesystem::temp_directory_path() / ("econ_save_" + std::to_string(::getpid()) + ".sav")).string();
  }
  void TearDown() override {
    ClearSaveHooks();
    std::filesystem::remove(path);
    Businesses::TearDown();
  }
  static constexpr uint32_t kMask = kSaveBusinesses | kSaveBusinessKinds | kSaveCommodities | kSaveHouseholds;
  std::string path;
};

TEST_F(BusinessSaves, ChunksRoundTrip) {
  CBusiness& shop = OpenShop();
  shop.Sell(kBread, 3);
  int32_t home = OpenResidence(11, 0, 0, 1, 4.0f);
  CPerson& p = NewPerson();
  House(p, home);
  g_Households[p.Household].Money = 77.5f;
  g_BusinessTypes[7].Density = 3.25f;

  auto businesses = g_Businesses;
  auto types = g_BusinessTypes;
  auto commodities = g_Commodities;
  auto households = g_Households;
  // As an older save held its machine's unsent edits: a load takes only the
  // applied values.
  shop.PriceCopy[0] += 1.0f;
  shop.StockTargetCopy[1] = 3;
  shop.ChangedPad = 1;
  SaveGameFile out;
  out.path = path;
  ASSERT_TRUE(WriteSaveGame(out, kMask));

  ResetBusinessRecords();
  ResetCommodities();
  ResetHouseholds();
  g_BusinessTypes[7].Density = 0;
  EXPECT_EQ(VacancyCount(), 0);

  SaveGameFile in;
  in.path = path;
  ASSERT_TRUE(LoadGameFile(in, kMask));
  EXPECT_EQ(std::memcmp(&businesses, &g_Businesses, sizeof(businesses)), 0);
  EXPECT_EQ(std::memcmp(&types, &g_BusinessTypes, sizeof(types)), 0);
  EXPECT_EQ(std::memcmp(&commodities, &g_Commodities, sizeof(commodities)), 0);
  EXPECT_EQ(std::memcmp(&households, &g_Households, sizeof(households)), 0);
  EXPECT_TRUE(HasVacancy(home));  // rebuilt from the records
}

// The load's check of a table chunk: decoded through the rows' visits.
template <class Table>
bool Decodes(std::span<const uint8_t> bytes) {
  auto staged = std::make_unique<Table>();
  return DecodeRecord(bytes, *staged);
}

TEST_F(BusinessSaves, DamagedChunksAreRefusedBeforeAnythingChanges) {
  OpenShop();
  std::vector<uint8_t> bytes(kBusinessesChunkLength);
  std::memcpy(bytes.data(), g_Businesses.data(), bytes.size());
  EXPECT_TRUE(Decodes<BusinessTable>(bytes));
  auto damaged = [&](auto change) {
    std::vector<uint8_t> copy = bytes;
    CBusiness b;
    std::memcpy(static_cast<void*>(&b), copy.data(), sizeof(b));
    change(b);
    std::memcpy(copy.data(), &b, sizeof(b));
    return copy;
  };
  EXPECT_FALSE(Decodes<BusinessTable>(damaged([](CBusiness& b) { b.Type = 45; })));
  EXPECT_FALSE(Decodes<BusinessTable>(damaged([](CBusiness& b) { b.Building = 600; })));
  EXPECT_FALSE(Decodes<BusinessTable>(damaged([](CBusiness& b) { b.Day = 4; })));
  EXPECT_FALSE(Decodes<BusinessTable>(damaged([](CBusiness& b) { b.FirstResident = 2000; })));
  EXPECT_FALSE(Decodes<BusinessTable>(damaged([](CBusiness& b) { b.Index = 3; })));
  EXPECT_FALSE(Decodes<BusinessTable>(damaged([](CBusiness& b) { b.Price[2] = std::nanf(""); })));
  EXPECT_FALSE(Decodes<BusinessTable>(std::span(bytes).first(bytes.size() - 1)));

  std::vector<uint8_t> types(kBusinessTypesChunkLength);
  std::memcpy(types.data(), g_BusinessTypes.data(), types.size());
  EXPECT_TRUE(Decodes<BusinessTypeTable>(types));
  types[offsetof(BusinessType, CommodityCount)] = 7;
  EXPECT_FALSE(Decodes<BusinessTypeTable>(types));

  // Through the file: a damaged business chunk fails the load and keeps the game.
  SaveGameFile out;
  out.path = path;
  ASSERT_TRUE(WriteSaveGame(out, kMask));
  std::vector<uint8_t> file(std::filesystem::file_size(path));
  {
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_EQ(std::fread(file.data(), 1, file.size(), f), file.size());
    std::fclose(f);
  }
  // Chunks start after the 48-byte version chunk: type, length, then record 0.
  size_t typeAt = 8 + kSaveVersionLength;
  int32_t type;
  std::memcpy(&type, file.data() + typeAt, 4);
  ASSERT_EQ(type, kChunkBusinesses);
  int32_t badType = 77;
  std::memcpy(file.data() + typeAt + 8 + offsetof(CBusiness, Type), &badType, 4);
  {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
  }
  g_Businesses[0].Sell(kBread, 1);
  auto before = g_Businesses;
  SaveGameFile in;
  in.path = path;
  EXPECT_FALSE(LoadGameFile(in, kMask));
  EXPECT_EQ(std::memcmp(&before, &g_Businesses, sizeof(before)), 0);
}

}  // namespace

// The owner's edits stay on its own machine until its price message is
// applied everywhere: neither the saved record nor the sync checksum holds
// them, but the checksum sees the prices themselves.
TEST_F(Businesses, TheOwnersDraftStaysOutOfTheRecordAndTheChecksum) {
  CBusiness& shop = OpenShop();
  const uint32_t before = BusinessChecksum();
  const CBusiness record = shop;
  BusinessDraft& draft = EditBusinessDraft(shop);
  draft.Price[0] += 0.3f;
  draft.StockTarget[0] += 2;
  draft.Rent += 5.0f;
  draft.Changed = true;
  EXPECT_EQ(BusinessChecksum(), before);
  EXPECT_EQ(std::memcmp(&record, &shop, sizeof record), 0);
  // A new owner does not inherit the old one's draft.
  shop.SetOwner(2);
  EXPECT_FALSE(BusinessDraftChanged(shop.Index));
  EXPECT_EQ(BusinessDraftOf(shop).Price[0], shop.Price[0]);
  shop.Price[0] += 0.3f;
  EXPECT_NE(BusinessChecksum(), before);
}
