// The city-building functions and the Game table, and the game's own level
// scripts run on the real city: the game-start hub, a level start, the front
// end and the computer players' file.
#include <string>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/city_commands.h"
#include "city/city_demand.h"
#include "city/commodities.h"
#include "city/economy_fixture.h"
#include "city/people.h"
#include "city/person.h"
#include "city/population_classes.h"
#include "city/traffic.h"
#include "platform/paths.h"
#include "script/level_scripts.h"
#include "script/script_bindings.h"
#include "script_fixture.h"
#include "session/session_state.h"
#include "engine/core/command_script.h"
#include "engine/core/console.h"
#include "shell/game_loop.h"
#include "engine/core/system_settings.h"

namespace {

class CityBuildingScriptTest : public EconomyTest, protected ScriptHarness {
 protected:
  void SetUp() override {
    EconomyTest::SetUp();
    ResetPeople();
    StartScripts();
  }
  void TearDown() override {
    StopScripts();
    ResetPeople();
    EconomyTest::TearDown();
  }
  static int BuildingsInUse() {
    int n = 0;
    for (const CBuilding& b : g_Buildings) n += b.InUse ? 1 : 0;
    return n;
  }
  static int BusinessesInUse() {
    int n = 0;
    for (const CBusiness& b : g_Businesses) n += b.InUse ? 1 : 0;
    return n;
  }
};

TEST_F(CityBuildingScriptTest, AddBuildingPlacesOnFreeLotsOnly) {
  ASSERT_TRUE(g_Blocks[6].InUse);
  const double id = Eval(R"(AddBuilding("harrowgate_avenue", 0, 0, 2, 3, 4, "residential", 77, "Medium"))");
  ASSERT_GE(id, 0);
  const CBuilding& b = g_Buildings[static_cast<int>(id)];
  EXPECT_TRUE(b.InUse);
  EXPECT_EQ(b.Block, &g_Blocks[6]);
  EXPECT_EQ(b.Floors, 4);
  EXPECT_EQ(b.Kind, kKindResidential);
  EXPECT_EQ(b.Quality, 1);
  EXPECT_EQ(g_Blocks[6].Lots[1][2], 4);
  EXPECT_TRUE(boxes_.empty());

  // Overlapping lots, a region off the grid or away from the edge, and bad
  // sizes give -1 and create nothing.
  const int before = BuildingsInUse();
  for (const char* call : {R"(AddBuilding("HARROWGATE_AVENUE", 1, 1, 2, 2, 2, "RETAIL", 1, "low"))",
                           R"(AddBuilding(HARROWGATE_AVENUE, 6, 0, 2, 2, 2, "RETAIL", 1, "low"))",
                           R"(AddBuilding(HARROWGATE_AVENUE, 2, 2, 2, 2, 2, "RETAIL", 1, "low"))",
                           R"(AddBuilding(HARROWGATE_AVENUE, 4, 0, 0, 2, 2, "RETAIL", 1, "low"))",
                           R"(AddBuilding(HARROWGATE_AVENUE, 4, 0, 2, 2, 0, "RETAIL", 1, "low"))",
                           R"(AddBuilding(HARROWGATE_AVENUE, 4, 0, 2, 2, 300, "RETAIL", 1, "low"))"}) {
    EXPECT_EQ(Eval(call), -1) << call;
  }
  EXPECT_EQ(BuildingsInUse(), before);

  // An unknown block, kind or class gives no value at all.
  EXPECT_EQ(Eval(R"(AddBuilding("NOWHERE", 4, 0, 2, 2, 2, "RETAIL", 1, "low"))"), -999);
  EXPECT_EQ(Eval(R"(AddBuilding(6, 4, 0, 2, 2, 2, "CASTLE", 1, "low"))"), -999);
  EXPECT_EQ(Eval(R"(AddBuilding(6, 4, 0, 2, 2, 2, "RETAIL", 1, "royal"))"), -999);
  EXPECT_EQ(Eval(R"(AddBuilding(52, 4, 0, 2, 2, 2, "RETAIL", 1, "low"))"), -999);
  EXPECT_EQ(CountBoxes("AddBuilding: unknown"), 4);
  EXPECT_EQ(BuildingsInUse(), before);

  // A block of the table that is not on the map: -1, and said.
  g_Blocks[45].InUse = 0;
  EXPECT_EQ(Eval(R"(AddBuilding(STADIUM, 0, 0, 3, 3, 3, "RETAIL", 1, "low"))"), -1);
  EXPECT_EQ(CountBoxes("AddBuilding: block STADIUM is not on the map"), 1);
  EXPECT_EQ(BuildingsInUse(), before);
}

TEST_F(CityBuildingScriptTest, AddBusinessOpensForTheCity) {
  DefineCommodity(3, 1.0f, 2.0f);
  DefineShopType(0, {3});
  ASSERT_TRUE(RunScript(R"(
    shop = AddBuilding(HARROWGATE_AVENUE, 0, 0, 2, 2, 2, "RETAIL", 5, "low")
    AddBusiness(shop, "Bakery"))"));
  const int shop = static_cast<int>(Eval("shop"));
  ASSERT_GE(shop, 0);
  const int32_t business = g_Buildings[shop].BusinessIndex;
  ASSERT_GE(business, 0);
  EXPECT_EQ(g_Businesses[business].Type, 0);
  EXPECT_EQ(g_Businesses[business].Owner, 0);
  EXPECT_TRUE(boxes_.empty());
  const double other = Eval(R"(AddBuilding(HARROWGATE_AVENUE, 5, 0, 2, 2, 2, "RETAIL", 6, "low"))");
  ASSERT_TRUE(RunScript("AddBusiness(" + std::to_string(static_cast<int>(other)) + ", BAKERY)"));
  EXPECT_GE(g_Buildings[static_cast<int>(other)].BusinessIndex, 0);

  // Nothing for building -1, an unknown kind or a building not in use.
  const int before = BusinessesInUse();
  ASSERT_TRUE(RunScript(R"(AddBusiness(-1, "bakery") AddBusiness(shop, "castle") AddBusiness(shop, 45) AddBusiness(599, "bakery"))"));
  EXPECT_EQ(BusinessesInUse(), before);
  EXPECT_EQ(CountBoxes("AddBusiness"), 3);
}

TEST_F(CityBuildingScriptTest, FrequencyTablesAndGameTable) {
  ASSERT_TRUE(RunScript("CarFrequency._8to11 = 120.7 TaxiFrequency._20to23 = 9 VanFrequency._0to3 = 4"));
  EXPECT_EQ(g_Traffic.CarFrequency[2], 120);
  EXPECT_EQ(g_Traffic.TaxiFrequency[5], 9);
  EXPECT_EQ(g_Traffic.VanFrequency[0], 4);
  EXPECT_EQ(Eval("CarFrequency._8to11"), 120);

  GamePauseState().Reset();
  ASSERT_TRUE(RunScript("Game.Pause() Game.Pause() Game.Unpause()"));
  EXPECT_EQ(GamePauseState().Count(0), 1);
  ASSERT_TRUE(RunScript("Game.Unpause()"));
  EXPECT_FALSE(GamePauseState().AnyRaised());
  GamePauseState().Reset();

  EXPECT_EQ(Eval("Game.performance"), g_StartupOptions.performance);
  EXPECT_EQ(Eval("PERFORM_HIGH"), 2);

  static bool finished;
  static int32_t mode;
  finished = false;
  mode = -1;
  ASSERT_TRUE(RunScript("Game.End()"));
  EXPECT_EQ(CountBoxes("Game.End"), 1);
  SetScriptEndGameHandler([](bool f, int32_t m) {
    finished = f;
    mode = m;
  });
  ASSERT_TRUE(RunScript("Game.End()"));
  EXPECT_FALSE(finished);
  EXPECT_EQ(mode, 0);
  ASSERT_TRUE(RunScript("Game.End(1, 3)"));
  EXPECT_TRUE(finished);
  EXPECT_EQ(mode, 3);
  SetScriptEndGameHandler(nullptr);
}

// The game's own scripts, from the game root's sources.
class GameScriptsTest : public CityBuildingScriptTest {
 protected:
  void SetUp() override {
    old_root_ = platform::GameRoot();
    platform::SetGameRoot(std::string(RC_TEST_SOURCE_DIR) + "/data/game");
    CityBuildingScriptTest::SetUp();
    Script().ClearErrorLog();
  }
  void TearDown() override {
    CityBuildingScriptTest::TearDown();
    platform::SetGameRoot(old_root_);
  }
  void ExpectNoScriptErrors() {
    EXPECT_TRUE(boxes_.empty()) << (boxes_.empty() ? "" : boxes_.front());
    EXPECT_TRUE(Script().ErrorLog().empty()) << (Script().ErrorLog().empty() ? "" : Script().ErrorLog().front());
  }
  std::string old_root_;
};

TEST_F(GameScriptsTest, GameStartSetsTheRulesAndBuildsTheStartingCity) {
  ASSERT_TRUE(RunGameStartScripts());
  ExpectNoScriptErrors();
  EXPECT_EQ(Tweaks().yearsPerDay, 1);
  EXPECT_EQ(Tweaks().blockLeaseLength, 240);
  EXPECT_GT(Tweaks().dailyFreight[0], 0.0f);
  // An easy game (difficulty 0) pays more railroad and utility income than a
  // hard one (difficulty 2).
  EXPECT_GT(Tweaks().railUtilIncome[0], Tweaks().railUtilIncome[2]);
  EXPECT_GT(Tweaks().dailyFreight[0], Tweaks().dailyFreight[2]);
  EXPECT_GT(g_Traffic.CarFrequency[2], 0);

  // Every commodity has a price; the kinds of the 1930s are open and sell.
  for (const CommodityRow& c : g_Commodities) EXPECT_GT(c.Value * c.Markup, 0.0f) << c.Id;
  EXPECT_TRUE(g_BusinessTypes[0].Available);
  EXPECT_GT(g_BusinessTypes[0].CommodityCount, 0);
  EXPECT_FALSE(g_BusinessTypes[37].Available);  // computers come later
  EXPECT_GT(ClassIncome(2, 1), 0.0f);
  EXPECT_GT(g_Preferences[0].Count, 0);

  EXPECT_TRUE(g_Blocks[0].Ownable);
  EXPECT_FALSE(g_Blocks[14].Ownable);
  EXPECT_GT(g_BlockDefs[0].Value, 0);

  EXPECT_GT(BuildingsInUse(), 50);
  EXPECT_GT(BusinessesInUse(), 50);
  EXPECT_EQ(Eval("People.NumberInCity()"), Eval("StartingPopulation"));
}

// What a household means to spend on a commodity is at most its preference
// weight times the default price, and a shop buys nothing for less than its
// price: every preference entry must cover one unit at the starting city's
// own prices, or that commodity is never bought.
TEST_F(GameScriptsTest, EveryWantCanBuyAUnitAtTheStartingCitysPrices) {
  ASSERT_TRUE(RunGameStartScripts());
  for (int32_t row = 0; row < kPreferenceRowCount; ++row) {
    const PreferenceRow& pref = g_Preferences[row];
    for (int32_t i = 0; i < pref.Count; ++i) {
      const int32_t c = pref.Commodity[i];
      if (!g_Commodities[c].Active) continue;
      const float fullWant = GetCommodityDefaultPrice(c) * pref.Weight[i];
      for (const CBusiness& b : g_Businesses) {
        const int slot = b.InUse ? b.FindCommoditySlot(c) : -1;
        if (slot < 0) continue;
        EXPECT_GE(fullWant, b.Price[slot]) << "row " << row << ", commodity " << c << ", business " << b.Index;
      }
    }
  }
}

// A person shops only in blocks it knows; the starting city's people hear of
// every business it opens.
TEST_F(GameScriptsTest, TheStartingPeopleKnowTheStartingCitysShops) {
  ASSERT_TRUE(RunGameStartScripts());
  ASSERT_GT(g_PeopleCount, 0);
  int shops = 0;
  for (const CBusiness& b : g_Businesses) {
    if (!b.InUse || !b.IsShop() || b.GetBlock() < 0) continue;
    ++shops;
    for (int32_t i = 0; i < g_PeopleCount; ++i) {
      ASSERT_GT(g_People[i].GetBlockMemory(b.GetBlock()), 0) << "person " << i << ", block " << b.GetBlock();
    }
  }
  EXPECT_GT(shops, 50);
}

// Everyone but a tourist looks for a home of its own, on its own income: the
// starting city's cheapest homes must be within reach of every age and class.
TEST_F(GameScriptsTest, EveryAgeAndClassCanAffordAStartingHome) {
  // Start-up reads the first decade's building rents before the city goes up.
  ClearConsoleCommandTable();
  RegisterConsoleCommands();
  RegisterCityConsoleCommands();
  ReadParameterFile("parameters\\1930.prm");
  ClearConsoleCommandTable();
  ASSERT_TRUE(RunGameStartScripts());
  float cheapest = -1;
  for (const CBusiness& b : g_Businesses) {
    if (b.InUse && b.IsResidence() && (cheapest < 0 || b.RentPerPlace < cheapest)) cheapest = b.RentPerPlace;
  }
  ASSERT_GT(cheapest, 0.0f);
  for (int32_t kind : {kChild, kTeenager, kAdult, kPensioner}) {
    for (int32_t cls = 0; cls < kSocialClassCount; ++cls) {
      EXPECT_LE(cheapest, kAffordabilityFactor * ClassIncome(kind, cls)) << "kind " << kind << ", class " << cls;
    }
  }
}

TEST_F(GameScriptsTest, LevelStartRunsTheDefaultHubInANewState) {
  ASSERT_TRUE(RunGameStartScripts());
  ClearCity();  // the new-game reset
  ResetBusinessRecords();
  ResetPeople();
  Tweaks().yearsPerDay = 0;
  ASSERT_TRUE(StartLevelScripts("freeplay"));
  ExpectNoScriptErrors();
  EXPECT_EQ(Tweaks().yearsPerDay, 1);
  EXPECT_GT(BuildingsInUse(), 50);
  EXPECT_EQ(Eval("People.NumberInCity()"), Eval("StartingPopulation"));

  // The decade events open their kinds of business.
  Script().TriggerEvent("BusinessIntro1980", 0, 0);
  EXPECT_TRUE(g_BusinessTypes[37].Available);
  EXPECT_TRUE(g_Commodities[23].Active);
  ExpectNoScriptErrors();
}

TEST_F(GameScriptsTest, FrontEndAndComputerPlayerFilesRun) {
  ASSERT_TRUE(RunGameStartScripts());
  boxes_.clear();
  EXPECT_TRUE(RunFrontEndScripts());
  EXPECT_TRUE(RunAiCharacterScripts("freeplay", false));  // freeplay has no ai.lua of its own
  EXPECT_TRUE(boxes_.empty()) << (boxes_.empty() ? "" : boxes_.front());
  EXPECT_EQ(Script().ErrorLog().size(), 1u);
  EXPECT_EQ(Eval("#Characters"), 10);
}

}  // namespace

namespace {

TEST_F(CityBuildingScriptTest, AddBusDemandAppendsCheckedRows) {
  ClearBusinessDemands();
  ASSERT_TRUE(RunScript("C_AddBusDemand(BAKERY, 12) C_AddBusDemand(45, 3) C_AddBusDemand(-1, 3)"));
  ASSERT_EQ(BusinessDemandCount(), 1);
  EXPECT_EQ(GetBusinessDemand(0).Type, FindBusinessTypeByName("BAKERY"));
  EXPECT_EQ(GetBusinessDemand(0).Amount, 12);
  ClearBusinessDemands();
}

}  // namespace
