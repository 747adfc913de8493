// Block, BusinessInfo, Business, Commodity, People and InitialValue from
// scripts on the city's and the economy's own records.
#include <string>

#include "city/economy_fixture.h"
#include "city/local_drafts.h"
#include "city/people.h"
#include "city/road_topology.h"
#include "script_fixture.h"
#include "session/session_state.h"

namespace {

class CityScriptTest : public EconomyTest, protected ScriptHarness {
 protected:
  void SetUp() override {
    EconomyTest::SetUp();
    StartScripts();
  }
  void TearDown() override {
    StopScripts();
    EconomyTest::TearDown();
  }
  // A shop of type 0 selling BREAD and MEAT in a building of block 6, owned by player 1.
  int32_t OpenShop() {
    DefineCommodity(3, 1.0f, 2.0f);
    DefineCommodity(0, 2.0f, 2.0f);
    DefineShopType(0, {3, 0});
    const int32_t building = Place(6, 0, 0, 1, 1, 2);
    return Open(0, 1, building, true);
  }
};

TEST_F(CityScriptTest, BlockMembersAreTheBlockRecords) {
  ASSERT_TRUE(RunScript(R"(
    Block[HARROWGATE_AVENUE].value = 12000
    Block[HARROWGATE_AVENUE].looseness = 0.25
    Block[HARROWGATE_AVENUE].prestige = 3.5
    Block[HARROWGATE_AVENUE].buildingrights = 2
    Block[HARROWGATE_AVENUE].ownable = TRUE
    Block[HARROWGATE_AVENUE]:Distribution(5, 0.4))"));
  EXPECT_EQ(g_BlockDefs[6].Value, 12000);
  EXPECT_FLOAT_EQ(g_BlockDefs[6].Looseness, 0.25f);
  EXPECT_FLOAT_EQ(g_BlockDefs[6].Prestige, 3.5f);
  EXPECT_EQ(g_Blocks[6].BuildingRights, 2);
  EXPECT_EQ(g_Blocks[6].Ownable, 1);
  EXPECT_FLOAT_EQ(g_BlockDefs[6].Distribution[5], 0.4f);
  g_Blocks[6].Owner = 3;
  EXPECT_EQ(Eval("Block[6].owner"), 3);
  EXPECT_TRUE(boxes_.empty());

  // Bad indexes are refused with a report.
  ASSERT_TRUE(RunScript("Block[6]:Distribution(6, 1) Block[6]:Distribution(-1, 1)"));
  EXPECT_EQ(CountBoxes("Block:Distribution: index"), 2);
  boxes_.clear();
  EXPECT_EQ(Eval("Block[52]"), -999);
  EXPECT_EQ(CountBoxes("Invalid member"), 1);
}

TEST_F(CityScriptTest, BusinessInfoAndCommodity) {
  ASSERT_TRUE(RunScript(R"(
    BusinessInfo[BAKERY].available = TRUE
    BusinessInfo[BAKERY].density = 0.5
    BusinessInfo[BAKERY].refurbcost = 250
    BusinessInfo[BAKERY].openingtime = 7
    BusinessInfo[BAKERY].stockcapacity = 12.5
    BusinessInfo[BAKERY]:AddCommodity(BREAD, 50)
    BusinessInfo[BAKERY]:AddCommodity(BREAD)
    BusinessInfo[BAKERY]:AddCommodity(DAIRY_PRODUCE)
    Commodity[BREAD].active = TRUE
    Commodity[BREAD].value = 1.5
    Commodity[BREAD].markup = 2
    Commodity[BREAD]:Membership(MAINSHOPPING))"));
  const BusinessType& bakery = g_BusinessTypes[0];
  EXPECT_EQ(bakery.Available, 1);
  EXPECT_FLOAT_EQ(bakery.Density, 0.5f);
  EXPECT_EQ(bakery.RefurbCost, 250);
  EXPECT_EQ(bakery.OpeningTime, 7);
  EXPECT_FLOAT_EQ(bakery.StockCapacity, 12.5f);
  ASSERT_EQ(bakery.CommodityCount, 2);
  EXPECT_EQ(g_TypeCommodities[0][0].Commodity, 3);
  EXPECT_FLOAT_EQ(g_TypeCommodities[0][0].Weight, 0.5f);
  EXPECT_FLOAT_EQ(g_TypeCommodities[0][1].Weight, 1.0f);
  EXPECT_EQ(bakery.CommodityMask, (1u << 3) | (1u << 4));
  EXPECT_EQ(g_Commodities[3].Active, 1);
  EXPECT_FLOAT_EQ(g_Commodities[3].Value, 1.5f);
  EXPECT_FLOAT_EQ(g_Commodities[3].Markup, 2.0f);
  EXPECT_EQ(g_ShoppingClassMasks[0] & (1u << 3), 1u << 3);
  EXPECT_TRUE(boxes_.empty());

  ASSERT_TRUE(RunScript(R"(
    for c = 5, 9 do BusinessInfo[BAKERY]:AddCommodity(c) end
    BusinessInfo[BAKERY]:AddCommodity(40)
    Commodity[BREAD]:Membership(5))"));
  EXPECT_EQ(CountBoxes("Exceeded maximum commodities for a business"), 1);
  EXPECT_EQ(CountBoxes("BusinessInfo:AddCommodity: index 40"), 1);
  EXPECT_EQ(CountBoxes("Commodity:Membership: index 5"), 1);
  EXPECT_EQ(bakery.CommodityCount, 6);
}

TEST_F(CityScriptTest, BusinessMethodsReadAndChangeTheRecord) {
  const int32_t b = OpenShop();
  CBusiness& shop = g_Businesses[b];
  shop.Price[0] = 2.5f;
  shop.Slots[1].Stock = 17;
  shop.Slots[0].SoldPerDay[shop.Day % kDayRing] = 4;
  shop.Slots[1].SoldPerDay[shop.Day % kDayRing] = 6;
  const std::string obj = "Business[" + std::to_string(b) + "]";
  EXPECT_EQ(Eval(obj + ":GetOwner()"), 1);
  EXPECT_EQ(Eval(obj + ":GetType()"), 0);
  EXPECT_EQ(Eval(obj + ":GetPropertyAddress()"), 6);
  EXPECT_EQ(Eval(obj + ":GetTotalSales()"), 10);
  EXPECT_DOUBLE_EQ(Eval(obj + ":GetProfit()"), shop.GetProfit());
  EXPECT_DOUBLE_EQ(Eval(obj + ":GetCommodityPriceByType(BREAD)"), 2.5);
  EXPECT_DOUBLE_EQ(Eval(obj + ":GetCommodityPriceByIndex(0)"), 2.5);
  EXPECT_EQ(Eval(obj + ":GetCommodityStockByType(MEAT)"), 17);
  EXPECT_EQ(Eval(obj + ":GetCommodityStockByIndex(1)"), 17);
  EXPECT_EQ(Eval(obj + ":GetCommodityStockByType(FISH)"), 0);  // not sold here
  EXPECT_TRUE(boxes_.empty());

  // New prices wait for the owner's price message; never below 0.1.
  ASSERT_TRUE(RunScript(obj + ":SetCommodityPriceByIndex(0, 0.05) " + obj + ":SetCommodityPriceByType(MEAT, 4)"));
  EXPECT_FLOAT_EQ(BusinessDraftOf(shop).Price[0], 0.1f);
  EXPECT_FLOAT_EQ(BusinessDraftOf(shop).Price[1], 4.0f);
  EXPECT_FLOAT_EQ(shop.Price[0], 2.5f);
  EXPECT_TRUE(BusinessDraftChanged(shop.Index));

  ASSERT_TRUE(RunScript(obj + ":SetOwner(2)"));
  EXPECT_EQ(shop.Owner, 2);
  EXPECT_EQ(g_Buildings[shop.Building].Owner, 2);

  // Slots and owners out of range are refused.
  boxes_.clear();
  ASSERT_TRUE(RunScript(obj + ":SetCommodityPriceByIndex(2, 9) " + obj + ":GetCommodityStockByIndex(-1) " + obj +
                  ":SetOwner(7) " + obj + ":GetCommodityPriceByType(32)"));
  EXPECT_EQ(boxes_.size(), 4u);
  EXPECT_EQ(shop.Owner, 2);
  EXPECT_EQ(BusinessDraftOf(shop).Price[2], 0.0f);
}

TEST_F(CityScriptTest, PeopleTable) {
  ASSERT_TRUE(RunScript("People.itchycounter = 9 People.subwaythreshold = 4 People.Welfare(2, CLASS_MEDIUM, 12.5)"));
  EXPECT_EQ(g_ItchyCounter, 9);
  EXPECT_EQ(GetBlockPathDepthLimit(), 4);
  EXPECT_FLOAT_EQ(g_SocialClasses[1].Income[2], 12.5f);
  ASSERT_TRUE(RunScript("People.Welfare(5, 0, 1) People.Welfare(0, 3, 1)"));
  EXPECT_EQ(CountBoxes("People.Welfare"), 2);

  boxes_.clear();
  ASSERT_TRUE(RunScript("People.Create(0)"));
  EXPECT_EQ(Eval("People.NumberInCity()"), 0);
  ASSERT_TRUE(RunScript("People.Create(-5)"));
  EXPECT_EQ(CountBoxes("People.Create"), 1);
  EXPECT_EQ(Eval("People.NumberInCity()"), 0);
  ResetPeople();
  ASSERT_TRUE(RunScript("People.Create(3)"));
  EXPECT_EQ(Eval("People.NumberInCity()"), 3);
  ASSERT_TRUE(RunScript("People.Create(2, 9) People.Create(1, 0, 5)"));
  EXPECT_EQ(CountBoxes("People.Create: kind"), 2);
  EXPECT_EQ(Eval("People.NumberInCity()"), 3);
  ASSERT_TRUE(RunScript("People.Create(1e9)"));  // stops when the table is full
  EXPECT_EQ(Eval("People.NumberInCity()"), kMaxPeople);
  ResetPeople();
}

TEST_F(CityScriptTest, InitialValues) {
  ASSERT_TRUE(RunScript(R"(
    InitialValue.playermoney = 7500
    InitialValue.AddPreference(3, BREAD, 2.5)
    InitialValue.AssociatePreference(LOW_CLASS_ADULT, 3))"));
  EXPECT_FLOAT_EQ(Tweaks().startingCash, 7500.0f);
  ASSERT_EQ(g_Preferences[3].Count, 1);
  EXPECT_EQ(g_Preferences[3].Commodity[0], 3);
  EXPECT_FLOAT_EQ(g_Preferences[3].Weight[0], 2.5f);
  ASSERT_EQ(g_PopulationClasses[6].Count, 1);
  EXPECT_EQ(g_PopulationClasses[6].Rows[0], 3);
  EXPECT_TRUE(boxes_.empty());
  ASSERT_TRUE(RunScript("InitialValue.AssociatePreference(16, 3) InitialValue.AssociatePreference(0, 200)"));
  EXPECT_EQ(CountBoxes("InitialValue.AssociatePreference"), 2);
  Tweaks().startingCash = 5000.0f;
}

}  // namespace
