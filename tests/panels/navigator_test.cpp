// The navigator's map: where blocks and the camera marker lie, which block
// the mouse is over, the owners' blink and pulse, and the view buttons.
#include "panels_fixture.h"

#include "panels/panel_events.h"
#include "panels/player_tokens.h"
#include "session/tick_driver.h"
#include "ui/buttons.h"
#include "panels/hud_panels.h"

namespace {

class NavigatorTest : public PanelsTest {
 protected:
  CNavigatorPanel& nav() { return Hud().navigator; }
  MapPoint Centre() { return MapCentre(nav().view.map, nav().LayoutEntity()); }
  void MouseAt(const MapPoint& p) { Mouse(int32_t(std::lround(p.x)), int32_t(std::lround(p.y))); }
};

TEST_F(NavigatorTest, TheMouseFindsTheBlockUnderItEdgesIncluded) {
  nav().Open();
  const CBlock& b = g_Blocks[12];
  ASSERT_TRUE(b.InUse);
  const MapPoint c = Centre();
  const MapPoint p = MapPosition(c, b.CentreX, b.CentreZ);
  MouseAt(p);
  nav().view.HitTest(nav().LayoutEntity(), true);
  EXPECT_EQ(nav().view.hoveredBlock, 12);
  EXPECT_TRUE(nav().view.hovered);

  // A block of 40 x 30 at the map centre: its hit box is 4 x 3 units.
  for (CBlock& other : g_Blocks) other.InUse = 0;
  CBlock& test = g_Blocks[5];
  test.InUse = 1;
  test.MapMarks = 0;
  test.CentreX = test.CentreZ = 0;
  test.SizeX = 40;
  test.SizeZ = 30;
  struct Case {
    float dx, dy;
    int32_t block;
  } const cases[] = {{0, 0, 5}, {2, 1, 5}, {-2, -1, 5}, {3, 0, -1}, {0, 2, -1}};
  const float cx = std::round(c.x), cy = std::round(c.y);
  // The map centre is a whole point in the game's layout.
  ASSERT_EQ(cx, c.x);
  for (const Case& k : cases) {
    Ui().mouse.x = int32_t(cx + k.dx);
    Ui().mouse.y = int32_t(cy + k.dy);
    nav().view.HitTest(nav().LayoutEntity(), true);
    EXPECT_EQ(nav().view.hoveredBlock, k.block) << k.dx << "," << k.dy;
  }
  // A hidden block is not on the map.
  test.MapMarks = kMarkHidden;
  Ui().mouse.x = int32_t(cx);
  Ui().mouse.y = int32_t(cy);
  nav().view.HitTest(nav().LayoutEntity(), true);
  EXPECT_EQ(nav().view.hoveredBlock, -1);
}

TEST_F(NavigatorTest, AClickGoesToTheBlockUnlessTheCityOverviewIsOpen) {
  nav().Open();
  // The block page shown: the selection panel open on the block.
  auto shownPage = [] { return HudPanels().selection.open ? CurrentInfoSelection().block : -1; };
  HudPanels().selection.Close();
  HudPanels().overview.open = true;
  const CBlock& b = g_Blocks[7];
  MouseAt(MapPosition(Centre(), b.CentreX, b.CentreZ));
  nav().OnEvent(kMsgLeftPressed, 0, 0);
  nav().OnEvent(kMsgLeftReleased, 0, 0);
  EXPECT_EQ(shownPage(), -1);
  HudPanels().overview.open = false;
  nav().OnEvent(kMsgLeftPressed, 0, 0);
  nav().OnEvent(kMsgLeftReleased, 0, 0);
  EXPECT_EQ(shownPage(), 7);
  // A release without a press on the map does nothing.
  HudPanels().selection.Close();
  nav().OnEvent(kMsgLeftReleased, 0, 0);
  EXPECT_EQ(shownPage(), -1);
}

TEST(CameraMarkerTest, StaysWithinItsBoxAroundTheMapCentre) {
  const MapPoint c{76, 59};
  for (uint32_t frame : {0u, 7u, 15u, 31u}) {
    for (float x : {-5000.0f, -300.0f, 0.0f, 250.0f, 5000.0f}) {
      for (float z : {-5000.0f, -400.0f, 0.0f, 5000.0f}) {
        const MapPoint p = CameraMarkerPoint(c, x, z, 0.7f, frame);
        EXPECT_LE(std::abs(p.x - c.x), kMarkerReachX + 1e-3f);
        EXPECT_LE(std::abs(p.y - c.y), kMarkerReachY + 1e-3f);
      }
    }
  }
  // Inside the box it sits on the camera's map place, pushed along the
  // heading by the pulse (none at frame 15, 4 x 1.0 at frame 0).
  const MapPoint still = CameraMarkerPoint(c, 100, 200, 0, 15);
  EXPECT_FLOAT_EQ(still.x, 86);
  EXPECT_FLOAT_EQ(still.y, 39);
  const MapPoint pushed = CameraMarkerPoint(c, 100, 200, 0, 0);
  EXPECT_NEAR(pushed.x, 86 + 4, 1e-3);
  EXPECT_EQ(CameraMarkerPoint(c, 100000, -100000, 0, 15).x, c.x + kMarkerReachX);
  EXPECT_EQ(CameraMarkerPoint(c, 100000, -100000, 0, 15).y, c.y + kMarkerReachY);
}

TEST(OwnerColourTest, ShortLeasesBlinkAndTheLocalPlayersBlocksPulse) {
  const uint32_t red = 0xFFC80000u;
  uint32_t colour = 0;
  int32_t shown = 0;
  for (uint32_t frame = 0; frame < 16; ++frame) shown += OwnerQuadColour(red, 24, true, frame, colour);
  EXPECT_EQ(shown, 9);  // frames 0..8 of every 16
  EXPECT_FALSE(OwnerQuadColour(red, 1, false, 9, colour));
  // Another player's block with a long lease keeps its colour.
  ASSERT_TRUE(OwnerQuadColour(red, 25, false, 3, colour));
  EXPECT_EQ(colour, red);
  // The local player's: components times f / 32 + 0.5 for the 0..15 wave f.
  ASSERT_TRUE(OwnerQuadColour(red, 100, true, 15, colour));
  EXPECT_EQ(colour, 0xFF640000u);
  ASSERT_TRUE(OwnerQuadColour(red, 100, true, 0, colour));
  EXPECT_EQ(colour, 0xFFC10000u);  // 200 x (15/32 + 0.5)
}

TEST_F(NavigatorTest, OwnedBlocksAreDrawnInTheirOwnersColours) {
  nav().Open();
  CPlayer* ann = AddPlayer("Ann", 3);
  g_Blocks[0].Owner = uint8_t(ann->index + 1);
  g_Blocks[0].LeaseHours = 500;
  Ui().frameCounter = 15;
  Renderer().gouraud.clear();
  nav().view.DrawBlocks(nav().LayoutEntity());
  ASSERT_EQ(Renderer().gouraud.size(), 2u);
  // One quad per shown block; one per owned block.
  int32_t shownBlocks = 0;
  for (const CBlock& b : g_Blocks) shownBlocks += b.InUse && !(b.MapMarks & kMarkHidden);
  EXPECT_EQ(Renderer().gouraud[0].size(), size_t(shownBlocks) * 4);
  ASSERT_EQ(Renderer().gouraud[1].size(), 4u);
  uint32_t pulsed = 0;
  OwnerQuadColour(TokenInfoRow(3).colour, 500, true, 15, pulsed);
  EXPECT_EQ(Renderer().gouraud[1][0], pulsed);
}

TEST_F(NavigatorTest, TheViewButtonsSwitchTheSpeedAndTheirTooltips) {
  CNavButtonPanel& view = Hud().viewButtons;
  view.Open();
  view.Reset();
  EXPECT_EQ(view.buttons[0]->tooltipTextId, 1142);
  EXPECT_EQ(view.buttons[1]->tooltipTextId, 1144);
  view.OnEvent(kNotifyClicked, 1, 0);
  EXPECT_EQ(Session().ticksPerCall, 4);
  EXPECT_EQ(view.buttons[1]->tooltipTextId, 1145);
  EXPECT_EQ(view.buttons[1]->imageNormal, 306);
  // The game's speed event sets it back (a prompt returns to normal speed).
  SetLogicSpeed(false);
  for (const GameEvent& e : TakeGameEvents()) HandlePanelGameEvent(e);
  EXPECT_EQ(view.buttons[1]->tooltipTextId, 1144);
  EXPECT_EQ(view.buttons[1]->imageNormal, 191);
  // A network game has no speed switch.
  Session().networkSession = true;
  view.Reset();
  EXPECT_TRUE(view.buttons[1]->disabled);
}

}  // namespace
