#include <string>
#include <vector>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business_types.h"
#include "engine/scene/entity.h"
#include "panels/panel_links.h"
#include "panels_fixture.h"
#include "ui/buttons.h"
#include "ui/list_box.h"
#include "ui/scroll_bar.h"
#include "ui/rich_text.h"
#include "visuals/camera/city_picking.h"
#include "visuals/overlay/interface_task.h"

namespace {

class ConstructionPanelTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    ResetBusinessTypes();
    CurrentInfoSelection() = InfoSelection{};
    LotDragState() = LotDrag{};
  }
  void TearDown() override {
    if (panel().open) panel().Close();
    ResetBusinessTypes();
    PanelsTest::TearDown();
  }
  CConstructionPanel& panel() { return Hud().construction; }

  // An ownable block of a district, leased by the local player with its
  // building rights granted, selected.
  int32_t OwnedBlock() {
    AddPlayer("Ada", 0, 1e6f);
    for (int32_t i = 0; i < kBlockCount; ++i) {
      CBlock& b = g_Blocks[size_t(i)];
      if (!b.InUse || g_BlockDefs[size_t(b.DefIndex)].District == 0 || b.FirstBuilding) continue;
      b.Ownable = 1;
      b.Owner = 1;
      b.BuildingRights = kRightsGranted;
      CurrentInfoSelection().block = i;
      return i;
    }
    ADD_FAILURE() << "no empty block";
    return -1;
  }
  static void MakeUse(int32_t type, int32_t openingTime) {
    BusinessType& t = g_BusinessTypes[size_t(type)];
    t.Available = 1;
    t.OpeningTime = uint8_t(openingTime);
    t.MinArea = 1, t.MaxArea = 36, t.MaxSide = 6, t.MinHeight = 1, t.MaxHeight = 3;
  }
  static std::vector<int32_t> UseLines(const CRichTextRect3& list) {
    std::vector<int32_t> v;
    for (int32_t l = 0; l < list.LongerColumn(); ++l) v.push_back(list.GetLineValue(l));
    return v;
  }
  void PickType(int32_t item) { panel().OnEvent(kNotifyListItem, panel().typeList->id, item); }
  void PickUse(int32_t line) { panel().OnEvent(kNotifyLineChosen, panel().useList->id, line); }
  // The plot picking releases a rectangle of lots; the panel reacts at its next event.
  void ReleasePlot(int32_t lotA, int32_t lotB) {
    LotDragState().startCell = lotA;
    LotDragState().currentCell = lotB;
    panel().PlotReleased();
    panel().OnEvent(kMsgFrameTick, 0, 0);
  }
  int32_t BuildingsOn(int32_t block) {
    int32_t n = 0;
    for (const CBuilding* b = g_Blocks[size_t(block)].FirstBuilding; b; b = b->Next) ++n;
    return n;
  }
  // Type, use and plot chosen: the design step with its preview.
  void ToDesignStep() {
    panel().Open();
    PickType(kBuildBusiness);
    ASSERT_EQ(panel().step, kStepUse);
    PickUse(1);
    ASSERT_EQ(panel().step, kStepPlot);
    ReleasePlot(0, 8);  // rows 0-1, columns 0-1
    ASSERT_EQ(panel().step, kStepDesign);
  }
};

TEST_F(ConstructionPanelTest, BusinessUsesListByOpeningTimeUnderTheirHeadings) {
  OwnedBlock();
  MakeUse(1, 9);    // delicatessen, a day shop
  MakeUse(16, 18);  // an evening business
  MakeUse(3, 12);   // opens at noon: never listed
  panel().Open();
  PickType(kBuildBusiness);
  const std::vector<int32_t> lines = UseLines(*panel().useList);
  const std::vector<int32_t> expected = {-1, 1, -1, -1, 16};  // heading, use, blank, heading, use
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(panel().useList->left.LineText(0), "Open by day");
  // A heading or the blank line chosen does nothing.
  PickUse(2);
  EXPECT_EQ(panel().step, kStepUse);
}

TEST_F(ConstructionPanelTest, TypeListAndTheSingleUseShortCut) {
  OwnedBlock();
  g_Blocks[size_t(CurrentInfoSelection().block)].Owner = 0;  // not the player's: business only
  panel().Open();
  EXPECT_EQ(panel().typeList->count, 1);
  panel().Close();
  g_Blocks[size_t(CurrentInfoSelection().block)].Owner = 1;
  MakeUse(kTypeApartments, 0);
  panel().Open();
  EXPECT_EQ(panel().typeList->count, 2);
  PickType(kBuildResidential);
  EXPECT_EQ(panel().step, kStepPlot) << "the only residential use is taken at once";
  EXPECT_EQ(panel().use, kTypeApartments);
  EXPECT_EQ(panel().plotSize->LineText(0), "0 x 0");
  panel().OnEvent(kMsgFrameTick, 0, 0);
  EXPECT_EQ(panel().plotSize->LineText(0), "1 x 1") << "both lots at 0 from the plot step's first event";
}

TEST_F(ConstructionPanelTest, DesignCodesWrapTheMaterialListAndAnEmptyListCountsOne) {
  const int32_t list[3] = {96, 17, 40};
  const struct { int32_t design, code; } cases[] = {{0, 96}, {2, 40}, {3, 96 + 65536}, {7, 17 + 2 * 65536}};
  for (const auto& c : cases) EXPECT_EQ(ConstructionDesignCode(list, 3, c.design), c.code) << c.design;
  EXPECT_EQ(ConstructionDesignCode(list, 0, 2), 2 * 65536);
  EXPECT_EQ(ConstructionDesignCode(nullptr, 0, 0), 0);
}

TEST_F(ConstructionPanelTest, SevenLotSideIsNeverAValidPlot) {
  const int32_t block = OwnedBlock();
  MakeUse(1, 9);
  panel().Open();
  PickType(kBuildBusiness);
  PickUse(1);
  g_BusinessTypes[1].MaxArea = 49, g_BusinessTypes[1].MaxSide = 7;
  CEntity entity{};
  entity.objectKind = kPickBlock;
  entity.index = block;
  SelectedObject() = &entity;
  LotDrag& d = LotDragState();
  d.startCell = 0;
  d.currentCell = 6;  // row 0, columns 0 to 6
  ComputeLotDragRectangle();
  EXPECT_FALSE(d.valid);
  d.currentCell = 5;
  ComputeLotDragRectangle();
  EXPECT_TRUE(d.valid);
  SelectedObject() = nullptr;
}

TEST_F(ConstructionPanelTest, PreviewIsRemovedOnEveryWayOutButBuild) {
  const int32_t block = OwnedBlock();
  MakeUse(1, 9);
  const int32_t before = BuildingsOn(block);

  ToDesignStep();
  ASSERT_NE(panel().preview, nullptr);
  EXPECT_EQ(BuildingsOn(block), before + 1);
  EXPECT_EQ(panel().designIndex[0], 0) << "drawn modulo count + 1, then held to the bar";
  panel().OnEvent(kNotifyClicked, panel().cancelButton->id, 0);
  EXPECT_FALSE(panel().open);
  EXPECT_EQ(BuildingsOn(block), before);

  ToDesignStep();
  panel().OnEvent(kNotifyClicked, panel().backButtons[1]->id, 0);
  EXPECT_EQ(panel().step, kStepUse);
  EXPECT_EQ(BuildingsOn(block), before);
  panel().Close();

  ToDesignStep();
  g_Blocks[size_t(block)].BuildingRights = kRightsNone;  // no longer to be built on
  panel().OnEvent(kMsgFrameTick, 0, 0);
  EXPECT_FALSE(panel().open);
  EXPECT_EQ(BuildingsOn(block), before);
  g_Blocks[size_t(block)].BuildingRights = kRightsGranted;

  ToDesignStep();
  EventQueue().Clear();
  panel().OnEvent(kNotifyClicked, panel().buildButton->id, 0);
  EXPECT_FALSE(panel().open);
  EXPECT_EQ(BuildingsOn(block), before) << "the real building comes with the message";
  ASSERT_EQ(PostedMessages().size(), 1u);
  EXPECT_EQ(PostedMessages()[0][0], 13);
  EXPECT_TRUE(Hud().selection.open);
  EXPECT_EQ(Hud().selection.page, kInfoBlockPage);
}

// The block picked on the navigator while it is being built on: its page
// opens and the construction is left (its preview goes), never standing
// behind the page; the rights view opens the construction again.
TEST_F(ConstructionPanelTest, APagePickedOverItLeavesItAndTheRightsViewBringsItBack) {
  const int32_t block = OwnedBlock();
  MakeUse(1, 9);
  ToDesignStep();
  ASSERT_EQ(BuildingsOn(block), 1);
  CSelectionInfoPanel& info = Hud().selection;
  ASSERT_FALSE(info.open);
  GoToBlock(block);
  info.layoutModel->frame = 9;
  info.OnEvent(kMsgFrameTick, 0, 0);
  EXPECT_TRUE(info.open);
  EXPECT_FALSE(panel().open);
  EXPECT_EQ(BuildingsOn(block), 0) << "the preview is left standing";
  info.ModeButton(2)->SetPressed(true);
  info.OnEvent(kNotifyClicked, info.ModeButton(2)->id, 0);
  EXPECT_TRUE(panel().open);
  EXPECT_FALSE(info.open);
}

TEST_F(ConstructionPanelTest, FloorsAtTheSameValueKeepThePreview) {
  OwnedBlock();
  MakeUse(1, 9);
  ToDesignStep();
  const CBuilding* preview = panel().preview;
  const int32_t seed = preview->ArchitectSeed;
  panel().OnEvent(kNotifyScrollPosition, panel().floorsBar->id, 0);
  EXPECT_EQ(panel().floors, 1);
  panel().OnEvent(kNotifyScrollPosition, panel().floorsBar->id, 2);
  EXPECT_EQ(panel().floors, 3);
  ASSERT_NE(panel().preview, nullptr);
  EXPECT_EQ(panel().preview->Floors, 3);
  EXPECT_EQ(panel().floorsValue->LineText(0), "3 of 3");
  (void)seed;
}

}  // namespace
