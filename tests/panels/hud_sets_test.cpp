// The two panel sets: which panels they bind, in which order they list
// them, and the auction room showing its own set in place of the HUD's.
#include "panels_fixture.h"

#include "engine/core/error.h"
#include "ui/hover_info.h"
#include "ui/panel.h"
#include "visuals/overlay/frame_draw.h"

testing::Environment* const kPanelsEnvironment = testing::AddGlobalTestEnvironment(new PanelsEnvironment);

namespace {

// The program's own sets, as the environment built them the program's way.
class HudSetsTest : public PanelsTest {};

TEST_F(HudSetsTest, BothSetsBindTheirPanelsInTheirListOrder) {
  // Every element the panels look up is in the game's layouts.
  EXPECT_EQ(PanelsEnvironment::MissingElementsAfterBuild(), 0);
  CGamePanelManager& game = GamePanels();
  CAuctionPanelManager& auction = AuctionPanels();
  HudPanelObjects& objects = HudPanels();

  const std::vector<int32_t> hudFrontToBack = {
      kHudEventTicker, kHudNavigator, kHudConsole,      kHudCityOverview, kHudStatistics,
      kHudSelectionInfo, kHudTime,    kHudViewButton,   kHudPrompt,       kHudAuctionTimer,
      kHudCard,        kHudBusiness,  kHudRent,         kHudConstruction, kHudChat,
      kHudDay,         kHudVoting,    kHudBlockMarkers};
  std::vector<CPanel*> expected;
  for (int32_t slot : hudFrontToBack) expected.push_back(game.Panel(slot));
  EXPECT_EQ(PanelsEnvironment::BuiltOrder().game, expected);
  EXPECT_EQ(game.Panel(kHudTime), &objects.time);
  EXPECT_EQ(game.Panel(kHudPrompt), &objects.prompt);
  EXPECT_EQ(game.Panel(kHudEventTicker), &objects.ticker);
  EXPECT_TRUE(objects.ticker.noModel);

  std::vector<CPanel*> auctionOrder;
  for (int32_t slot = 0; slot < kAuctionSetModelCount; ++slot) auctionOrder.push_back(auction.Panel(slot));
  EXPECT_EQ(PanelsEnvironment::BuiltOrder().auction, auctionOrder);
  // The two time panels and the two prompts are separate objects.
  EXPECT_EQ(auction.Panel(kAuctionSetTime), &objects.auctionTime);
  EXPECT_EQ(auction.Panel(kAuctionSetPrompt), &objects.auctionPrompt);
  objects.prompt.Open();
  objects.prompt.SetLineString(0, "in the city");
  objects.auctionPrompt.Open();
  objects.auctionPrompt.SetLineString(0, "in the room");
  EXPECT_EQ(objects.prompt.Head()->lines[0].LineText(0), "in the city");
  EXPECT_EQ(objects.auctionPrompt.Head()->lines[0].LineText(0), "in the room");
  // The ticker opens itself and stays open.
  EXPECT_TRUE(objects.ticker.open);
  objects.ticker.Close();
  EXPECT_TRUE(objects.ticker.open);
}

// The panels that stand open side by side, in the city view and in the plan
// view, each keep their own part of the screen.
TEST_F(HudSetsTest, ThePanelsOpenTogetherDoNotCoverEachOther) {
  std::vector<LayoutModel> models;
  ASSERT_TRUE(LoadLayoutModels(kHudLayoutFiles, models));
  auto open = [&](int32_t slot) {
    const LayoutModel& m = models[size_t(slot)];
    UIRect r = LayoutFrameBounds(m, m.FrameCount() - 1);
    if (slot == kHudDay) {  // its model is moved on every opening
      r.x1 += CDayPanel::kOpenX, r.x2 += CDayPanel::kOpenX;
      r.y1 += CDayPanel::kOpenY, r.y2 += CDayPanel::kOpenY;
    }
    return r;
  };
  auto overlap = [](const UIRect& a, const UIRect& b) {
    return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
  };
  const std::vector<std::vector<int32_t>> views = {
      {kHudNavigator, kHudViewButton, kHudTime, kHudStatistics, kHudSelectionInfo},  // the city
      {kHudViewButton, kHudTime, kHudStatistics, kHudCityOverview},                  // the plan
      {kHudStatistics, kHudSelectionInfo, kHudCard},  // a chance card shown over the city
      // a message (the level's opening one too): the statistics and the
      // selection stay readable
      {kHudNavigator, kHudViewButton, kHudTime, kHudStatistics, kHudSelectionInfo, kHudPrompt},
      // a lesson's message beside the day panel
      {kHudNavigator, kHudViewButton, kHudTime, kHudStatistics, kHudSelectionInfo, kHudPrompt, kHudDay},
      {kHudNavigator, kHudStatistics, kHudTime, kHudBusiness},  // a shop's panel in the selection's place
      {kHudNavigator, kHudStatistics, kHudTime, kHudRent},      // a residence's
      // the evening's vote, with an auction's countdown up
      {kHudNavigator, kHudViewButton, kHudTime, kHudStatistics, kHudSelectionInfo, kHudVoting, kHudAuctionTimer},
      // the chat in a network game, over the city
      {kHudNavigator, kHudViewButton, kHudTime, kHudStatistics, kHudSelectionInfo, kHudChat},
  };
  for (const std::vector<int32_t>& view : views)
    for (size_t i = 0; i < view.size(); ++i)
      for (size_t j = i + 1; j < view.size(); ++j)
        EXPECT_FALSE(overlap(open(view[i]), open(view[j]))) << kHudLayoutFiles[view[i]] << " and "
                                                            << kHudLayoutFiles[view[j]];
  // The pause line's strip lies between the statistics and the selection.
  for (float textWidth : {0.0f, 50.0f, 140.0f})
    for (int32_t slot : {kHudStatistics, kHudSelectionInfo})
      EXPECT_FALSE(overlap(PauseStripRect(textWidth), open(slot))) << textWidth << " " << kHudLayoutFiles[slot];
}

// A name shown for what lies under the mouse in the city is read beside the
// open panels, never across their controls; a control's own tooltip stays
// over its panel.
TEST_F(HudSetsTest, TheCitysHoverNamesKeepOffTheOpenPanels) {
  CPanel& page = Hud().selection;
  page.Open();
  while (page.animating) page.StepAnimation();
  const UIRect panel = MovedRect(page.bounds, page.LayoutEntity());
  ASSERT_GT(panel.x2 - panel.x1, 100.0f);
  CHoverInfo& hover = HoverInfo();
  hover.Reset();
  hover.text.SetRect(0, 0, 150, 480);
  hover.text.AddText("Lantern Avenue Gardens");
  hover.text.ComputeExtent();
  auto crosses = [&](const UIRect& b) {
    return b.x1 < panel.x2 && panel.x1 < b.x2 && b.y1 < panel.y2 && panel.y1 < b.y2;
  };
  // Left of the page, nearer and farther; and over the city below the page's top.
  for (const float dx : {2.0f, 30.0f, 60.0f})
    for (const float y : {panel.y1 - 30, (panel.y1 + panel.y2) / 2}) {
      Mouse(int32_t(panel.x1 - dx), int32_t(y));
      const UIRect box = hover.BoxRect();
      EXPECT_FALSE(crosses(box)) << dx << " " << y << ": " << box.x1 << ".." << box.x2;
      EXPECT_GE(box.x1, 0.0f);
    }
  CWidget control;
  control.tooltipTextId = 6;
  hover.SetWidgetTooltip(&control, true);
  hover.text.SetRect(0, 0, 150, 480);
  hover.text.AddText("Lantern Avenue Gardens");
  hover.text.ComputeExtent();
  Mouse(int32_t(panel.x1 + 5), int32_t((panel.y1 + panel.y2) / 2));
  EXPECT_TRUE(crosses(hover.BoxRect()));
  hover.Reset();
}

class ScreenModeSetsTest : public PanelsTest {};

TEST_F(ScreenModeSetsTest, TheAuctionRoomHidesTheHudWithoutClosingItsPanels) {
  AddPlayer("Ann", 0);
  ToggleConsole();
  ASSERT_TRUE(Hud().console.open);
  ASSERT_TRUE(IsConsoleOpen());

  HudScreenModePanels().SetManagers(false, false, true);
  EXPECT_FALSE(GamePanels().shown);
  EXPECT_TRUE(AuctionPanels().shown);
  EXPECT_TRUE(Hud().console.open);
  Renderer().calls.clear();
  GamePanels().Draw();
  EXPECT_TRUE(Renderer().calls.empty());
  // The hidden set takes no input: its panels are not stepped.
  Hud().time.Open();
  Hud().time.moneyAnimation = 5;
  Step();
  EXPECT_EQ(Hud().time.moneyAnimation, 5);

  // The screen mode decides it the same way each step.
  FollowScreenMode(kScreenCity);
  EXPECT_TRUE(GamePanels().shown);
  EXPECT_FALSE(AuctionPanels().shown);
  EXPECT_TRUE(Hud().console.open);
  FollowScreenMode(kScreenAuction);
  EXPECT_FALSE(GamePanels().shown);
  FollowScreenMode(kScreenMenu);
  EXPECT_FALSE(GamePanels().shown);
  EXPECT_FALSE(AuctionPanels().shown);
  FollowScreenMode(kScreenPlan);
  EXPECT_TRUE(GamePanels().shown);
  ToggleConsole();
  EXPECT_FALSE(IsConsoleOpen());
}

TEST_F(ScreenModeSetsTest, TheScreenModesOpenAndCloseTheViewPanels) {
  ScreenModePanels& modes = HudScreenModePanels();
  modes.Open(ModePanel::Navigator);
  modes.Open(ModePanel::NavigatorButton);
  EXPECT_TRUE(modes.IsOpen(ModePanel::Navigator));
  EXPECT_TRUE(Hud().viewButtons.open);
  modes.Close(ModePanel::Navigator);
  EXPECT_FALSE(Hud().navigator.open);
  EXPECT_FALSE(modes.IsOpen(ModePanel::CityOverview));
}

TEST_F(ScreenModeSetsTest, TheDayPanelOpensFromAboveEachTime) {
  CDayPanel& day = Hud().day;
  day.SetModelPosition(30, 40);
  day.Open();
  EXPECT_EQ(day.layoutModel->x, 0);
  EXPECT_EQ(day.layoutModel->y, -100);
  day.Close();
  day.SetModelPosition(5, 5);
  day.Open();
  EXPECT_EQ(day.layoutModel->y, -100);
  // Its backings are drawn even where a text is empty: title, five labels,
  // five boxes.
  while (day.animating || day.settling) Step();
  Renderer().gouraud.clear();
  day.Update();
  EXPECT_EQ(Renderer().gouraud.size(), 1u + 2u * kDayRows);
  EXPECT_EQ(Renderer().gouraud[1][0], 0xFF01762Fu);
  EXPECT_EQ(day.labels[0]->LineText(0), "6 AM");
}

}  // namespace
