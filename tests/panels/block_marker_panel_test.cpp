// The block marker overlay: star counts at the rounding edges, the owner
// tints that the plan view puts on and takes off, and the bracket flash.
#include "panels_fixture.h"

#include "city/buildings.h"
#include "city/blocks.h"
#include "engine/core/maths.h"
#include "engine/input/camera_controller.h"
#include "engine/render/renderer.h"
#include "panels/player_tokens.h"

namespace {

class BlockMarkerPanelTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    buildings_ = g_Buildings;
  }
  void TearDown() override {
    g_Buildings = buildings_;
    BuildingTints().fill(kNoTint);
    PanelsTest::TearDown();
  }
  std::array<CBuilding, kBuildingPoolSize> buildings_;
};

TEST(StarCountTest, RoundsOnlyTheLastHundredthAndCapsAtFive) {
  const struct {
    float rating;
    int32_t stars;
  } cases[] = {{4.996f, 5}, {0.994f, 0}, {0.996f, 1}, {2.5f, 2}, {4.5f, 4}, {7.5f, 5}, {0.0f, 0}, {-3.0f, 0}};
  for (const auto& c : cases) EXPECT_EQ(StarCount(c.rating), c.stars) << c.rating;
}

// Names of neighbouring blocks are moved apart: none covers another, a name
// with room keeps its own place, and a crowded row is spread over the lines
// under and over the blocks.
TEST(PlaceBlockNamesTest, NoNameCoversAnother) {
  auto overlap = [](const NameBox& a, const NameBox& b) {
    return std::fabs(a.x - b.x) * 2 < a.width + b.width && a.y < b.y + b.height && b.y < a.y + a.height;
  };
  const struct {
    const char* what;
    std::vector<NameBox> names;
  } cases[] = {
      {"apart", {{0, 19, 60, 20}, {100, 19, 60, 20}}},
      {"neighbours", {{0, 19, 60, 20}, {45, 19, 60, 20}}},
      {"a crowded row", {{0, 19, 64, 20}, {40, 19, 64, 20}, {80, 19, 64, 20}, {120, 19, 64, 20}}},
      {"a crowded column", {{0, 19, 60, 30}, {0, 59, 60, 20}, {0, 99, 60, 10}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<NameBox> names = c.names;
    PlaceBlockNames(names, 10, 35);
    EXPECT_EQ(names[0].y, c.names[0].y) << "the first name keeps its place";
    for (size_t i = 0; i < names.size(); ++i)
      for (size_t k = 0; k < i; ++k) EXPECT_FALSE(overlap(names[i], names[k])) << i << " and " << k;
  }
}

TEST_F(BlockMarkerPanelTest, PlanViewTintsBuildingsByOwnerAndLeavingItUntintsEveryOne) {
  CPlayer* ann = AddPlayer("Ann", 3);
  for (CBuilding& b : g_Buildings) b.InUse = 0;
  g_Buildings[0].InUse = 1;
  g_Buildings[0].Owner = 1;  // the first slot
  g_Buildings[1].InUse = 1;
  g_Buildings[1].Owner = 0;
  CBlockMarkerPanel& markers = Hud().blockMarkers;
  ASSERT_EQ(GamePanels().Panel(kHudBlockMarkers), &markers);
  markers.Open();
  EXPECT_EQ(BuildingTints()[0], PlayerTokenColour(ann));
  EXPECT_EQ(BuildingTints()[1], kUnownedTint);
  EXPECT_EQ(BuildingTints()[2], kNoTint);
  markers.Close();
  for (uint32_t t : BuildingTints()) ASSERT_EQ(t, kNoTint);
}

TEST_F(BlockMarkerPanelTest, BracketsShowFor21EventsAndHideFor20) {
  CBlockMarkerPanel& markers = Hud().blockMarkers;
  while (!CBlockMarkerPanel::BracketsVisible()) markers.OnEvent(0, 0, 0);
  while (CBlockMarkerPanel::BracketsVisible()) markers.OnEvent(0, 0, 0);  // now at 21
  int hidden = 0;
  while (!CBlockMarkerPanel::BracketsVisible()) ++hidden, markers.OnEvent(0, 0, 0);
  EXPECT_EQ(hidden, 20);
  int shown = 0;
  while (CBlockMarkerPanel::BracketsVisible()) ++shown, markers.OnEvent(0, 0, 0);
  EXPECT_EQ(shown, 21);
}

// The rights overlay marks a block whose rights are not granted and leaves a
// granted one bare, and a block under a panel bare too.
TEST_F(BlockMarkerPanelTest, RightsMarkersSkipGrantedBlocks) {
  SetProjection(640, 480, 60, 1, 5000, 1, 0);
  const CameraState camera = g_CameraState;
  g_CameraState.drawnEye = {g_Blocks[0].CentreX, 500, g_Blocks[0].CentreZ - 1};
  g_CameraState.drawnLookAt = {g_Blocks[0].CentreX, 0, g_Blocks[0].CentreZ};
  g_CameraState.up = {0, 1, 0};
  for (CBlock& b : g_Blocks) b.InUse = 0, b.BuildingRights = kRightsGranted;  // block 41 is always labelled
  CBlock& block = g_Blocks[0];
  block.InUse = 1;
  block.DefIndex = 0;
  block.MapMarks = 0;
  block.Owner = 0;
  CBlockMarkerPanel& markers = Hud().blockMarkers;
  markers.overlayMode = kMarkersRights;
  auto redSquares = [&] {
    int n = 0;
    for (const auto& q : Renderer().gouraud)
      if (!q.empty() && q[0] == 0xFFFF0000u) ++n;
    return n;
  };
  for (int32_t rights : {kRightsNone, kRightsGranted}) {
    block.BuildingRights = rights;
    Renderer().gouraud.clear();
    markers.DrawSelf();
    EXPECT_EQ(redSquares(), rights == kRightsNone ? 1 : 0) << rights;
  }
  // Under an open panel the block shows no marks: they would show through
  // its translucent backing.
  block.BuildingRights = kRightsNone;
  CDayPanel& day = Hud().day;
  day.Open();
  day.SetModelPosition(0, -300);  // over the middle of the screen, where the block is
  Renderer().gouraud.clear();
  markers.DrawSelf();
  EXPECT_EQ(redSquares(), 0);
  day.Close();
  markers.Reset();
  g_CameraState = camera;
}

}  // namespace
