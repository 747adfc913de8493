#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "city/city.h"
#include "city/city_entities.h"
#include "city_fixture.h"
#include "engine/core/console.h"
#include "engine/core/memory.h"

namespace {

struct TintRecorder : CityVisualServices {
  std::vector<std::pair<int32_t, uint32_t>> labels;
  void TintBlockLabel(int32_t block, uint32_t colour) override { labels.emplace_back(block, colour); }
};

class CityCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearConsoleCommandTable();
    RegisterConsoleCommands();
    BuildTestCity();
    InitCityModel();
    StartCityStreets();
    SetCityVisualServices(&tints);
    // The blocks' base entities, one per block as the city makes them, on
    // the engine's heap.
    ASSERT_TRUE(MemoryManager().Init(0x100000, 16));
    CEntityHouse& bases = BlockBaseEntities();
    bases.Release();
    ASSERT_TRUE(bases.Allocate(kBlockCount));
    for (int32_t b = 0; b < kBlockCount; ++b) {
      CEntity e{};
      e.index = b;
      bases.Add(e);
    }
    previous = SetConsoleSink([this](std::string_view text, int kind) {
      lines.emplace_back(text);
      kinds.push_back(kind);
    });
  }
  void TearDown() override {
    SetConsoleSink(previous);
    RestoreDefaultCityServices();
    BlockBaseEntities().Release();
    MemoryManager().Shutdown();
  }
  std::vector<std::string> lines;
  std::vector<int> kinds;
  ConsoleSink previous;
  TintRecorder tints;
};

}  // namespace

TEST_F(CityCommands, BuildingFigures) {
  ExecuteConsoleCommand("BUILDINGRENT retail 7.9");
  EXPECT_EQ(g_BuildingKinds[kKindRetail].Figures[kFigureRent], 7);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Building Rent Per Unit : RETAIL 7");
  EXPECT_EQ(kinds[0], kConsoleReply);

  struct Case {
    const char* line;
    int kind, figure;
    uint16_t stored;
    const char* reply;
  } cases[] = {
      {"buildingcostperunit LANDSCAPE 12", kKindLandscape, kFigureCostPerUnit, 12, "Building CostPerUnit : LANDSCAPE 12"},
      {"BUILDINGCOSTTODEMOLISH Residential 3", kKindResidential, kFigureCostToDemolish, 3,
       "Building CostToDemolsih : RESIDENTIAL 3"},
      {"BUILDINGTIMETOBUILD RETAIL 65537", kKindRetail, kFigureTimeToBuild, 1, "Building TimeToBuild : RETAIL 1"},
      {"BUILDINGTIMETODEMOLISH RETAIL -1", kKindRetail, kFigureTimeToDemolish, 65535,
       "Building TimeToDemolish : RETAIL 65535"},
      {"BUILDINGMAINTENANCECOST RETAIL 4", kKindRetail, kFigureMaintenanceCost, 4,
       "Building Maintenance Cost : RETAIL 4"},
      {"BUILDINGLIFEEXPECTANCY RETAIL", kKindRetail, kFigureLifeExpectancy, 10, "Building Life Expectancy : RETAIL 10"},
  };
  for (const Case& c : cases) {
    lines.clear();
    ExecuteConsoleCommand(c.line);
    EXPECT_EQ(g_BuildingKinds[c.kind].Figures[c.figure], c.stored) << c.line;
    ASSERT_EQ(lines.size(), 1u) << c.line;
    EXPECT_EQ(lines[0], c.reply);
  }
}

TEST_F(CityCommands, BuildingFigureErrors) {
  ExecuteConsoleCommand("BUILDINGRENT");
  EXPECT_TRUE(lines.empty());
  ExecuteConsoleCommand("BUILDINGRENT castle 5");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Error. Unrecognised building type CASTLE");
  EXPECT_EQ(kinds[0], kConsoleError);
  ExecuteConsoleCommand("BUILDINGRENT RETAIL 1e30");  // held to the int32 range first
  EXPECT_EQ(g_BuildingKinds[kKindRetail].Figures[kFigureRent], 0xFFFF);
}

TEST_F(CityCommands, DistrictColour) {
  ExecuteConsoleCommand("DISTRICTCOLOUR district_lantern 1 2 3");
  const CDistrict& d = g_Districts[1];
  EXPECT_EQ(d.Colour[0], 1);
  EXPECT_EQ(d.Colour[1], 2);
  EXPECT_EQ(d.Colour[2], 3);
  EXPECT_EQ(d.Colour[3], 255);
  for (int b : {0, 1, 6}) EXPECT_EQ(g_Blocks[b].DistrictColour, 0xFF010203u);
  EXPECT_EQ(g_Blocks[8].DistrictColour, g_Districts[2].ColourWord());
  // The district's blocks' bases wear the colour; another district's not.
  for (int b : {0, 1, 6}) EXPECT_EQ(BlockBaseEntities().GetEntity(b)->colour, 0xFF010203u);
  EXPECT_NE(BlockBaseEntities().GetEntity(8)->colour, 0xFF010203u);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Current colour: DISTRICT_LANTERN 1 2 3");

  // Two numbers store nothing and report the colour as it is.
  lines.clear();
  ExecuteConsoleCommand("DISTRICTCOLOUR DISTRICT_LANTERN 9 9");
  EXPECT_EQ(d.Colour[0], 1);
  EXPECT_EQ(lines.back(), "Current colour: DISTRICT_LANTERN 1 2 3");

  // Not clamped: 256 carries into the next byte.
  ExecuteConsoleCommand("DISTRICTCOLOUR DISTRICT_LANTERN 0 256 0");
  EXPECT_EQ(d.Colour[0], 1);
  EXPECT_EQ(d.Colour[1], 0);

  ExecuteConsoleCommand("DISTRICTCOLOUR DISTRICT_MOON 1 2 3");
  EXPECT_EQ(lines.back(), "Error. Unidentifiable district DISTRICT_MOON");
  EXPECT_EQ(kinds.back(), kConsoleError);
}

TEST_F(CityCommands, DistrictTextColour) {
  ExecuteConsoleCommand("DISTRICTTEXTCOLOUR DISTRICT_DOCKS 10 20 30");
  EXPECT_EQ(g_Districts[9].TextColour[0], 10);
  EXPECT_EQ(g_Districts[9].TextColour[2], 30);
  EXPECT_EQ(g_Districts[9].Colour[0], 133);  // the base colour is left alone
  EXPECT_EQ(tints.labels.size(), 3u);
  EXPECT_EQ(lines.back(), "Current text colour: DISTRICT_DOCKS 10 20 30");
}
