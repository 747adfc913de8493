// The city overview: population shares that always make 100, the block
// ranking that stops below one star, accounts without their empty lines,
// the tabs and sub-modes choosing the overlay, and the plan view putting
// the owners' colours on the buildings and taking every one off again.
#include "panels_fixture.h"

#include <cstdlib>
#include <numeric>
#include <string>

#include "city/business.h"
#include "city/buildings.h"
#include "city/city_entities.h"
#include "city/person.h"
#include "engine/scene/entity.h"
#include "ui/buttons.h"
#include "ui/rich_text.h"
#include "visuals/architect/building_tints.h"
#include "visuals/camera/city_picking.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/scene/scene_passes.h"

namespace {

TEST(GroupSharesTest, EveryGroupAddsUpTo100AndNoPeopleShowNothing) {
  const struct {
    int32_t a, b, c;
  } cases[] = {{1, 1, 1}, {2, 1, 0}, {1, 2, 3}, {333, 333, 334}, {1, 0, 0}, {7, 11, 13}, {1999, 0, 1}};
  for (const auto& k : cases) {
    const auto s = GroupShares(k.a, k.b, k.c);
    EXPECT_EQ(s[0] + s[1] + s[2], 100) << k.a << " " << k.b << " " << k.c;
    const float total = float(k.a + k.b + k.c);
    EXPECT_LE(std::abs(s[0] - 100.0f * float(k.a) / total), 1.0f);
    EXPECT_LE(std::abs(s[2] - 100.0f * float(k.c) / total), 1.0f);
  }
  EXPECT_EQ(GroupShares(0, 0, 0), (std::array<int32_t, 3>{0, 0, 0}));
}

class CityOverviewTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    people_ = g_People;
    buildings_ = g_Buildings;
  }
  void TearDown() override {
    g_People = people_;
    g_Buildings = buildings_;
    ClearBuildingTints();
    SetScreenModePanels(nullptr);
    ResetScreenModes();
    PanelsTest::TearDown();
  }
  CCityOverviewPanel& Overview() { return Hud().overview; }
  // The value column's lines, each with its label.
  static std::vector<std::pair<std::string, std::string>> Lines(const CRichTextBase& t) {
    std::vector<std::pair<std::string, std::string>> lines;
    for (int32_t i = 0; i < t.LongerColumn(); ++i)
      lines.emplace_back(i < t.left.LineCount() ? t.left.LineText(i) : "",
                         i < t.right.LineCount() ? t.right.LineText(i) : "");
    return lines;
  }
  void Click(CIconButton* b) { Overview().OnEvent(kNotifyClicked, b->id, 0); }

  std::array<CPerson, kMaxPeople> people_;
  std::array<CBuilding, kBuildingPoolSize> buildings_;
};

TEST_F(CityOverviewTest, PopulationSharesOfEachGroupAddUpTo100) {
  for (CPerson& p : g_People) p.InUse = 0;
  const int32_t kinds[3] = {kTourist, kChild, kPensioner};
  for (int32_t i = 0; i < 3; ++i) {
    g_People[size_t(i)] = CPerson{};
    g_People[size_t(i)].InUse = 1;
    g_People[size_t(i)].Kind = kinds[i];
    g_People[size_t(i)].SocialClass = i;
  }
  Overview().SetPage(kOverviewCity);
  Overview().SetSubMode(kCityPopulation);
  std::vector<int32_t> shares;
  for (const auto& [label, value] : Lines(*Overview().mainText))
    if (!value.empty() && value.back() == '%') shares.push_back(std::atoi(value.c_str()));
  ASSERT_EQ(shares.size(), 9u);
  for (int32_t g = 0; g < 3; ++g) EXPECT_EQ(shares[size_t(3 * g)] + shares[size_t(3 * g + 1)] + shares[size_t(3 * g + 2)], 100) << g;

  for (CPerson& p : g_People) p.InUse = 0;
  Overview().FillPopulation();
  for (const auto& [label, value] : Lines(*Overview().mainText))
    if (!value.empty() && value.back() == '%') {
      EXPECT_EQ(value, "0%") << label;
    }
}

TEST_F(CityOverviewTest, RankingListsBlocksByStarsAndStopsBelowOne) {
  std::vector<int32_t> listed;
  for (int32_t i = 0; i < kBlockCount; ++i) {
    CBlock& b = g_Blocks[size_t(i)];
    b.Prestige = 0;
    if (b.InUse == 1 && (b.MapMarks & kMarkHidden) == 0 && b.DefIndex <= 45) listed.push_back(i);
  }
  ASSERT_GE(listed.size(), 4u);
  g_Blocks[size_t(listed[0])].Prestige = 4.5f;
  g_Blocks[size_t(listed[1])].Prestige = 1.0f;
  g_Blocks[size_t(listed[2])].Prestige = 0.99f;
  g_Blocks[size_t(listed[3])].Prestige = 2.2f;
  Overview().FillRanking();
  const CRichTextRect3& l = *Overview().rankingList;
  std::vector<int32_t> blocks;
  std::vector<std::string> headings;
  for (int32_t i = 0; i < l.left.LineCount(); ++i) {
    const int32_t v = l.GetLineValue(i);
    if (v >= 0) blocks.push_back(v);
    else if (l.left.LineText(i).find("stars") != std::string::npos) headings.push_back(l.left.LineText(i));
  }
  EXPECT_EQ(blocks, (std::vector<int32_t>{listed[0], listed[3], listed[1]}));
  EXPECT_EQ(headings, (std::vector<std::string>{"Blocks with 4 stars", "Blocks with 2 stars", "Blocks with 1 stars"}));
}

TEST_F(CityOverviewTest, AccountsLeaveOutEmptyLinesButKeepTheFixedOnes) {
  CPlayer* ann = AddPlayer("Ann", 2);
  float* today = ann->Today();
  std::fill(today, today + kLedgerCategories, 0.0f);
  today[35] = 120;    // sales
  today[26] = 30;     // a utility's share
  today[17] = -40;    // stock bought
  today[0] = -500;    // a block bought
  float* yesterday = ann->ledgers[(ann->currentLedger & 1) ^ 1];
  std::fill(yesterday, yesterday + kLedgerCategories, 0.0f);
  yesterday[23] = 900;  // a block sold

  Overview().SetPage(kOverviewAccounts);
  auto labels = [&] {
    std::vector<std::string> out;
    for (const auto& [label, value] : Lines(*Overview().mainText))
      if (!value.empty() && value[0] == '$') out.push_back(label + "=" + value);
    return out;
  };
  EXPECT_EQ(labels(), (std::vector<std::string>{"Sales=$120.00", "Ground rent=$0.00", "Rent=$0.00", "Utilities=$30.00",
                                                "Income=$150.00", "Stock=$40.00", "Ground rent=$0.00",
                                                "Blocks bought=$500.00", "Costs=$540.00"}));
  Click(Overview().yesterdayButton);
  EXPECT_EQ(labels(), (std::vector<std::string>{"Sales=$0.00", "Ground rent=$0.00", "Rent=$0.00", "Blocks sold=$900.00",
                                                "Income=$900.00", "Stock=$0.00", "Ground rent=$0.00",
                                                "Costs=$0.00"}));
}

TEST_F(CityOverviewTest, TabsAndSubModesChooseTheOverlayAndTheCurrentTabStaysPressed) {
  AddPlayer("Ann", 2);
  CCityOverviewPanel& o = Overview();
  o.Reset();
  o.Open();
  const struct {
    int32_t tab, mode, overlay;
  } cases[] = {{kOverviewCity, kCityRanking, kMarkersStars},  {kOverviewCity, kCityOverlay, kMarkersRights},
               {kOverviewCity, kCityBlocksOwned, kMarkersOwners}, {kOverviewCity, kCityPopulation, kMarkersNone},
               {kOverviewAccounts, 0, kMarkersNone},           {kOverviewBlock, -1, kMarkersPlain},
               {kOverviewLocator, kLocateUse, kMarkersNone}};
  for (const auto& c : cases) {
    Click(o.tabs[size_t(c.tab)]);
    if (c.mode >= 0) Click(o.modes[size_t(c.mode)]);
    EXPECT_EQ(o.tab, c.tab);
    EXPECT_EQ(Hud().blockMarkers.overlayMode, c.overlay) << c.tab << " " << c.mode;
    for (int32_t t = 0; t < 4; ++t) EXPECT_EQ(o.tabs[size_t(t)]->IsPressed(), t == c.tab);
    // Only the chosen sub-mode stays pressed.
    if (c.tab == kOverviewCity || c.tab == kOverviewLocator) {
      for (int32_t m = 0; m < (c.tab == kOverviewCity ? 4 : 3); ++m) {
        EXPECT_EQ(o.modes[size_t(m)]->IsPressed(), m == c.mode) << c.tab << " " << m;
      }
    }
  }
  // Clicking the current tab changes nothing: the located use stays.
  Click(o.tabs[kOverviewCity]);
  Click(o.tabs[kOverviewLocator]);
  Click(o.modes[kLocateUse]);
  o.OnEvent(kNotifyLineChosen, o.useList->id, 1);
  const int32_t located = PlanFilters().use;
  EXPECT_EQ(located, kTypeApartments);
  Click(o.tabs[kOverviewLocator]);
  EXPECT_TRUE(o.tabs[kOverviewLocator]->IsPressed());
  EXPECT_EQ(o.locatorMode, kLocateUse);
  EXPECT_EQ(PlanFilters().use, located);
  o.Close();
  EXPECT_EQ(PlanFilters().use, -1);
}

TEST_F(CityOverviewTest, PlanViewOpensOverviewAndTintsAndLeavingItUntintsEveryBuilding) {
  CPlayer* ann = AddPlayer("Ann", 3);
  for (CBuilding& b : g_Buildings) b.InUse = 0;
  const int32_t owned = 0, unowned = 1;
  g_Buildings[owned].InUse = g_Buildings[unowned].InUse = 1;
  g_Buildings[owned].Owner = uint8_t(ann->index + 1);
  g_Buildings[unowned].Owner = 0;
  SetScreenModePanels(&HudScreenModePanels());
  SetScreenMode(kScreenPlan);
  EXPECT_TRUE(Overview().open);
  EXPECT_TRUE(Hud().blockMarkers.open);
  EXPECT_EQ(BuildingTint(owned), PlayerTokenColour(ann));
  EXPECT_EQ(BuildingTint(unowned), kUnownedTint);
  SetScreenMode(kScreenCity);
  EXPECT_FALSE(Overview().open);
  EXPECT_FALSE(Hud().blockMarkers.open);
  for (uint32_t t : BuildingTints()) ASSERT_EQ(t, kNoTint);
}

// The ranking's lines hover their block as the plan would; the locator
// rings the blocks of the player's businesses (the hovered one pulsing) and
// those holding the located use, and nothing once the panel closes.
TEST_F(CityOverviewTest, ListLinesHoverTheirBlocksAndTheLocatorRingsTheBlocksOfItsFinds) {
  CPlayer* ann = AddPlayer("Ann", 2);
  // The blocks' base entities, as the city makes them with its models.
  CEntityHouse& bases = BlockBaseEntities();
  bases.Release();
  ASSERT_TRUE(bases.Allocate(kBlockCount));
  for (int32_t i = 0; i < kBlockCount; ++i) {
    CEntity e;
    e.objectKind = kPickBlock;
    e.index = i;
    bases.Add(e);
  }
  std::vector<int32_t> listed;
  for (int32_t i = 0; i < kBlockCount; ++i) {
    CBlock& b = g_Blocks[size_t(i)];
    b.Prestige = 0;
    if (b.InUse == 1 && (b.MapMarks & kMarkHidden) == 0 && b.DefIndex <= 45) listed.push_back(i);
  }
  ASSERT_GE(listed.size(), 2u);
  const int32_t shop = listed[1];
  g_Blocks[size_t(listed[0])].Prestige = 3.5f;
  CCityOverviewPanel& o = Overview();
  o.Reset();
  o.Open();
  Click(o.modes[kCityRanking]);
  const CRichTextRect3& l = *o.rankingList;
  int32_t line = 0;
  while (line < l.left.LineCount() && l.GetLineValue(line) != listed[0]) ++line;
  ASSERT_LT(line, l.left.LineCount());
  const UIRect row = MovedRect(UIRect{l.x1, l.y1 + 3.0f + float(line * l.left.lineHeight), l.x2,
                                      l.y1 + 3.0f + float((line + 1) * l.left.lineHeight)},
                               o.LayoutEntity());
  Mouse(int32_t(row.x1 + row.x2) / 2, int32_t(row.y1 + row.y2) / 2);
  ASSERT_EQ(l.GetLineUnderMouse(), line);
  o.OnEvent(kMsgFrameTick, 0, 0);
  ASSERT_NE(HoveredObject(), nullptr);
  EXPECT_EQ(HoveredObject(), BlockBaseEntities().GetEntity(listed[0]));
  Mouse(0, 0);
  o.OnEvent(kMsgFrameTick, 0, 0);

  // Ann's shop in the second block.
  for (CBuilding& b : g_Buildings) b.InUse = 0;
  for (CBlock& b : g_Blocks) b.FirstBuilding = nullptr;
  CBuilding* building = AllocBuilding();
  ASSERT_NE(building, nullptr);
  ASSERT_TRUE(g_Blocks[size_t(shop)].PlaceBuilding(building, 0, 0, 0, 0, 1, 0, kKindRetail, 0, 1.0f));
  int32_t type = 0;
  while (g_BusinessTypes[size_t(type)].Kind != kBusinessShop || type == kTypeHotel) ++type;
  const int32_t index = AllocBusiness(type, ann->index + 1, building->Id);
  building->BusinessIndex = index;
  GetBusiness(index)->Owner = int8_t(ann->index + 1);
  auto rings = [&] {
    o.OnEvent(kMsgFrameTick, 0, 0);
    std::vector<std::pair<int32_t, bool>> out;
    for (const auto& r : Hud().blockMarkers.located) out.emplace_back(r.block, r.pulsing);
    return out;
  };
  EXPECT_TRUE(rings().empty());  // not on the locator tab
  Click(o.tabs[kOverviewLocator]);
  Click(o.modes[kLocateMine]);
  using Rings = std::vector<std::pair<int32_t, bool>>;
  EXPECT_EQ(rings(), (Rings{{shop, false}}));
  PlanFilters().business = index;
  EXPECT_EQ(rings(), (Rings{{shop, true}}));
  Click(o.modes[kLocateUse]);
  PlanFilters().use = type;
  EXPECT_EQ(rings(), (Rings{{shop, true}}));
  PlanFilters().use = kTypeHotel;
  EXPECT_TRUE(rings().empty());
  PlanFilters().use = type;
  rings();
  o.Close();
  EXPECT_TRUE(Hud().blockMarkers.located.empty());
  HoveredObject() = nullptr;
  bases.Release();
}

}  // namespace
