// The event ticker: which records it shows, how lines leave, their texts
// and colours, and a click taking the player to the block.
#include "panels_fixture.h"

#include "panels/player_tokens.h"
#include "visuals/overlay/interface_task.h"
#include "panels/hud_panels.h"

namespace {

StatusRecord Record(int32_t player, int32_t kind, int32_t block, int32_t type = -1) {
  StatusRecord r;
  r.player = PlayerNumber{player};
  r.kind = StatusKind(kind);
  r.businessType = type;
  r.block = BlockId{block};
  return r;
}

class EventTickerTest : public PanelsTest {
 protected:
  CEventTickerPanel& ticker() { return Hud().ticker; }
  std::string Line(int32_t i) { return ticker().slots[size_t(i)].text.LineText(0); }
};

TEST_F(EventTickerTest, ShowsOthersDeedsButNotTheLocalPlayersOwn) {
  AddPlayer("Ann", 0);
  CPlayer* bob = AddPlayer("Bob", 3);
  ticker().AddMessage(Record(1, kStatusBlockChangedHands, 0));  // Ann is local
  EXPECT_EQ(ticker().count, 0);
  ticker().AddMessage(Record(2, kStatusBlockChangedHands, 0));
  ticker().AddMessage(Record(0, kStatusBlockChangedHands, 1));
  ticker().AddMessage(Record(2, kStatusBusinessOpened, 0, 0));
  ticker().AddMessage(Record(2, 3, 0));  // a kind it does not show
  ticker().AddMessage(Record(2, kStatusPlayerLeft, -1));
  ASSERT_EQ(ticker().count, 4);
  EXPECT_EQ(Line(0), "Bob has bought Lantern Avenue");
  EXPECT_EQ(Line(1), "Cloverdale Avenue has gone back to the city");
  EXPECT_EQ(Line(2), "Bob: a new Bakery on Lantern Avenue");
  EXPECT_EQ(Line(3), "Bob has left the game");
  EXPECT_EQ(ticker().slots[0].swatch, TokenInfoRow(bob->character).colour);
  EXPECT_EQ(ticker().slots[0].life, kTickerLineLife);
}

// The ticker is read over every panel: the auction countdown that raises
// itself when it opens stays behind it, and no line runs into the time panel.
TEST_F(EventTickerTest, StaysInFrontOfTheCountdownAndClearOfTheTimePanel) {
  Hud().auctionCountdown.Open();
  Hud().auctionCountdown.raiseRequest = true;
  Step();
  const std::vector<CPanel*> order = GamePanels().Panels();
  ASSERT_FALSE(order.empty());
  EXPECT_EQ(order.front(), &ticker());
  EXPECT_EQ(order[1], &Hud().auctionCountdown);
  Hud().auctionCountdown.Close();
  std::vector<LayoutModel> models;
  ASSERT_TRUE(LoadLayoutModels(kHudLayoutFiles, models));
  const LayoutModel& time = models[size_t(kHudTime)];
  const UIRect panel = LayoutFrameBounds(time, time.FrameCount() - 1);
  for (int32_t i = 0; i < 6; ++i) EXPECT_LE(ticker().LineRect(i).x2, panel.x1) << i;
}

// While an auction is announced the lines run below its countdown, which
// shares their strip: the block's name stays readable; closed, they go back.
TEST_F(EventTickerTest, LinesRunBelowTheOpenCountdown) {
  CAuctionCountdownPanel& countdown = Hud().auctionCountdown;
  countdown.Open();
  while (countdown.animating || countdown.settling) Step();
  ticker().Update();
  const UIRect shown = MovedRect(countdown.bounds, countdown.LayoutEntity());
  EXPECT_GE(MovedRect(ticker().LineRect(0), &ticker().entity).y1, shown.y2);
  countdown.Close();
  ticker().Update();
  EXPECT_EQ(ticker().entity.y, 0);
}

// Moved below the countdown, a long run of lines would reach the selection
// panel and the prompt under it: the lines that would are held back (and do
// not age) until the ones above them leave, and all of them show again once
// the countdown closes.
TEST_F(EventTickerTest, LinesBelowTheCountdownKeepClearOfThePromptAndTheSelection) {
  CAuctionCountdownPanel& countdown = Hud().auctionCountdown;
  auto settle = [&] {
    while (countdown.animating || countdown.settling || Hud().prompt.animating || Hud().selection.animating) Step();
    ticker().Update();
  };
  auto clearOf = [&](const CPanel& other) {
    const UIRect r = MovedRect(other.bounds, other.LayoutEntity());
    for (int32_t i = 0; i < ticker().linesShown; ++i) {
      const UIRect line = MovedRect(ticker().LineRect(i), &ticker().entity);
      const float top = line.y2 - 12;  // the swatch's top
      EXPECT_FALSE(line.x1 < r.x2 && r.x1 < line.x2 && top < r.y2 && r.y1 < line.y2)
          << "line " << i << " at " << top << "-" << line.y2 << ", panel " << r.x1 << "," << r.y1 << "-" << r.x2
          << "," << r.y2;
    }
  };
  countdown.Open();
  Hud().selection.Open();
  settle();
  for (int32_t i = 0; i < 12; ++i) ticker().AddMessage(Record(0, kStatusBlockChangedHands, i % 10));
  ticker().Update();
  const int32_t shown = ticker().linesShown;
  EXPECT_GT(shown, 0);
  EXPECT_LT(shown, 12);
  clearOf(Hud().selection);
  for (int32_t t = 0; t < 10; ++t) ticker().Tick();
  EXPECT_EQ(ticker().slots[0].life, kTickerLineLife - 10);
  EXPECT_EQ(ticker().slots[size_t(shown)].life, kTickerLineLife);

  Hud().prompt.Open();
  Hud().prompt.SetLineString(0, "a message");
  settle();
  EXPECT_LE(ticker().linesShown, shown);
  clearOf(Hud().prompt);
  clearOf(Hud().selection);

  Hud().prompt.Close();
  // The evening's vote, in the prompt's column, holds them back the same way.
  Hud().voting.Open();
  settle();
  while (Hud().voting.animating) Hud().voting.StepAnimation();
  ticker().Update();
  EXPECT_LE(ticker().linesShown, shown);
  clearOf(Hud().voting);
  Hud().voting.Close();

  countdown.Close();
  settle();
  EXPECT_EQ(ticker().linesShown, kTickerSlots);
}

TEST_F(EventTickerTest, TheTwentiethMessageIsDroppedNotQueued) {
  for (int32_t i = 0; i < 25; ++i) ticker().AddMessage(Record(0, kStatusBlockChangedHands, i % 10));
  EXPECT_EQ(ticker().count, kTickerMaxMessages);
  EXPECT_EQ(ticker().slots[19].life, -1);
  // Room again once a line has left; the dropped ones do not come back.
  for (int32_t t = 0; t < kTickerLineLife; ++t) ticker().Tick();
  EXPECT_LT(ticker().count, kTickerMaxMessages);
}

TEST_F(EventTickerTest, LinesLeaveInOrderAndTheOnesBelowMoveUp) {
  ticker().AddMessage(Record(0, kStatusBlockChangedHands, 0));
  ticker().AddMessage(Record(0, kStatusBlockChangedHands, 1));  // same step
  for (int32_t t = 0; t < 100; ++t) ticker().Tick();
  ticker().AddMessage(Record(0, kStatusBlockChangedHands, 2));
  for (int32_t t = 100; t < kTickerLineLife - 1; ++t) ticker().Tick();
  EXPECT_EQ(ticker().count, 3);
  // The first leaves; the second moves into its place and leaves at the
  // next step, not re-examined in this one.
  ticker().Tick();
  EXPECT_EQ(ticker().count, 2);
  EXPECT_EQ(Line(0), "Cloverdale Avenue has gone back to the city");
  ticker().Tick();
  EXPECT_EQ(ticker().count, 1);
  EXPECT_EQ(Line(0), "Telecoms has gone back to the city");
  EXPECT_EQ(ticker().slots[0].life, 100);
  for (int32_t t = 0; t < 100; ++t) ticker().Tick();
  EXPECT_EQ(ticker().count, 0);
}

TEST_F(EventTickerTest, AClickOnALineGoesToItsBlockAndBetweenLinesDoesNothing) {
  ticker().AddMessage(Record(0, kStatusBlockChangedHands, 3));
  auto shownPage = [] { return HudPanels().selection.open ? CurrentInfoSelection().block : -1; };
  HudPanels().selection.Close();
  SelectedObject() = nullptr;
  Mouse(300, 40);  // below the only line
  ticker().OnEvent(kMsgLeftPressed, 0, 0);
  EXPECT_EQ(shownPage(), -1);
  Mouse(300, 10);
  ticker().OnEvent(kMsgFrameTick, 0, 0);
  EXPECT_EQ(ticker().hoveredLine, 0);
  ticker().OnEvent(kMsgLeftPressed, 0, 0);
  EXPECT_EQ(shownPage(), 3);
  // Hovered lines are drawn black; nothing is drawn in plan view.
  Renderer().gouraud.clear();
  ticker().Update();
  ASSERT_EQ(Renderer().gouraud.size(), 1u);
  EXPECT_EQ(Renderer().gouraud[0][0], 0xFF000000u);
  EXPECT_EQ(Renderer().gouraud[0][3], 0x77000000u);
  EXPECT_TRUE(ticker().ContainsMouse());
  // Once the line has left, the place it covered is the city's again.
  for (int32_t t = 0; t < kTickerLineLife; ++t) ticker().Tick();
  ticker().Update();
  EXPECT_FALSE(ticker().ContainsMouse());
}

}  // namespace
