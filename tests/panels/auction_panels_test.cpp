// The auction's panels on a running auction: the tags' status order, the
// bid buttons (an unaffordable raise posts nothing), the quick switch kept
// out of network games, the countdown's beeps and its single warnings, the
// sale banner that stays up, and the panels following the auction's events.
#include "panels_fixture.h"

#include "engine/core/play_warning.h"
#include "panels/panel_events.h"
#include "session/auction.h"
#include "sound/recording_effects.h"
#include "ui/buttons.h"
#include "ui/money_format.h"

namespace {

constexpr int32_t kBlock = 12;

class AuctionPanelsTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    ResetAuction();
    SetQuickAuction(false);
  }
  void TearDown() override {
    ResetAuction();
    Session() = SessionState{};
    PanelsTest::TearDown();
  }
  // The game's events so far to the panels, as the game root hands them on.
  static void Deliver() {
    for (const GameEvent& e : TakeGameEvents()) HandlePanelGameEvent(e);
  }
  // Ann (local), Bob and Cy; the city's block in the room, Bob has bid 600
  // and Cy passed: Ann's turn, Bob leads.
  void RoomAtLocalTurn(float annMoney) {
    AddPlayer("Ann", 0, annMoney);
    AddPlayer("Bob", 1);
    AddPlayer("Cy", 2);
    ASSERT_TRUE(StartAuction(kBlock, -1, 500));
    OpenAuctionScreen();
    Deliver();
    ASSERT_EQ(CurrentAuction()->turn, 1);
    PostAuctionBid(1, 600);
    PostAuctionPass(2);
    ASSERT_EQ(CurrentAuction()->turn, 0);
    Deliver();
  }
  CAuctionBidPanel& Bid() { return Hud().auctionBid; }
  bool ActionsShown() {
    for (int32_t id = 0; id < 5; ++id)
      if (!Bid().buttons[size_t(id)]->visible) return false;
    return true;
  }

  RecordingEffects sounds_;
  std::vector<std::string>& played_ = sounds_.played;
  std::vector<CSoundDevice*>& stopped_ = sounds_.stopped;
};

// First match wins: a winner who passed earlier is the winner; a bid shows
// only when nothing above it holds; the seller is named last.
TEST_F(AuctionPanelsTest, StatusFollowsItsOrder) {
  struct Case {
    const char* what;
    bool winner, pulledOut, passed, turn;
    int32_t lastBid;
    bool seller;
    int32_t expected;
    bool leader = false;
  };
  const Case cases[] = {
      {"winner who passed", true, false, true, true, 700, false, kStatusWinnerText},
      {"pulled out and passed", false, true, true, true, 700, false, kStatusPulledOutText},
      {"passed in its turn", false, false, true, true, 700, false, kStatusPassedText},
      {"its turn with a bid", false, false, false, true, 700, false, kStatusBiddingText},
      {"a bid", false, false, false, false, 700, true, kStatusShowsBid},
      {"seller", false, false, false, false, 0, true, kStatusSellerText},
      {"nothing", false, false, false, false, 0, false, kStatusEmpty},
      {"holds the opening price", false, false, false, false, 0, false, kStatusShowsBid, true},
      {"seller holding the price", false, false, false, false, 0, true, kStatusSellerText, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CAuction a;
    a.winner = c.winner ? 3 : -1;
    a.turn = c.turn ? 3 : 1;
    a.seller = c.seller ? 3 : -1;
    a.rows[3].pulledOut = c.pulledOut;
    a.rows[3].passed = c.passed;
    a.rows[3].lastBid = c.lastBid;
    a.leader = c.leader ? 3 : 1;
    EXPECT_EQ(AuctionStatusText(a, 3), c.expected);
  }
}

TEST_F(AuctionPanelsTest, AnUnaffordableRaisePostsNothingAndKeepsTheTurn) {
  RoomAtLocalTurn(800.0f - kCreditAllowance);  // with the credit: 800 to spend
  CAuctionBidPanel& bid = Bid();
  ASSERT_TRUE(bid.open);
  bid.OnEvent(kMsgFrameTick, 0, 0);
  EXPECT_TRUE(ActionsShown());
  EXPECT_TRUE(Hud().auctionTimer.open);
  EXPECT_EQ(Joined(bid.amountText), "Your bid!");
  EXPECT_EQ(Joined(bid.buttons[kBidPlus500]->label), "+" + FormatMoney(500));
  bid.OnEvent(kNotifyClicked, kBidPlus500, 0);
  EXPECT_EQ(CurrentAuction()->price, 600);
  EXPECT_EQ(CurrentAuction()->turn, 0);
  EXPECT_TRUE(ActionsShown());
  EXPECT_TRUE(Hud().auctionTimer.open);
  // What Ann can pay goes out, and the buttons go at once.
  bid.OnEvent(kNotifyClicked, kBidPlus50, 0);
  EXPECT_EQ(CurrentAuction()->price, 650);
  EXPECT_EQ(CurrentAuction()->leader, 0);
  EXPECT_FALSE(ActionsShown());
  EXPECT_FALSE(Hud().auctionTimer.open);
  // Out of turn the buttons do nothing.
  bid.OnEvent(kNotifyClicked, kBidPass, 0);
  EXPECT_EQ(CurrentAuction()->rows[0].passed, 0);
}

TEST_F(AuctionPanelsTest, TagsShowStatusNameAndTruncatedCash) {
  RoomAtLocalTurn(-12.75f);
  CAuctionBidPanel& bid = Bid();
  EXPECT_EQ(bid.RefreshBidders(), 3);
  EXPECT_EQ(Joined(bid.status[0]), "Bidding");
  EXPECT_EQ(Joined(bid.status[1]), FormatMoney(600));
  EXPECT_EQ(Joined(bid.status[2]), "Passed");
  EXPECT_EQ(Joined(bid.names[1]), "Bob");
  EXPECT_EQ(Joined(bid.cash[0]), FormatMoney(-12));
  EXPECT_EQ(bid.cash[0].lineColour[0], 6);
  EXPECT_EQ(bid.cash[1].lineColour[0], 0);
}

// A name stays whole on its one line, however narrow the strip it was last
// laid in: "Computer 2" never reads "Computer".
TEST_F(AuctionPanelsTest, TagNamesStayWholeOnOneLine) {
  AddPlayer("Ann", 0);
  AddPlayer("Computer 2", 1);
  AddPlayer("Computer 3 of the harbour", 2);
  CAuctionBidPanel& bid = Bid();
  // The strip right of the token's square, as the tags lay the names.
  const BidderTag tag = BidderTagAt(320, 240, false);
  const float square = tag.upper.y2 - tag.upper.y1;
  const UIRect room{tag.upper.x1 + square, tag.upper.y1, tag.upper.x2, tag.upper.y2, 0.5f};
  for (int pass = 0; pass < 2; ++pass) {
    bid.RefreshBidders();
    for (int32_t i = 0; i < 3; ++i) {
      CTextRect& name = bid.names[size_t(i)];
      EXPECT_EQ(name.LineCount(), 1) << i;
      name.SetRect(room.x1, room.y1, room.x2, room.y2);
      // Right-aligned, a name that fills the strip still keeps off the square.
      EXPECT_LE(float(name.ShownLineWidth(0)), room.x2 - room.x1 - 4) << Joined(name);
    }
  }
  EXPECT_EQ(Joined(bid.names[1]), "Computer 2");
  EXPECT_EQ(Joined(bid.names[2]), "Computer 3 of the harbour");
  EXPECT_LT(bid.names[2].textScale, bid.names[1].textScale);  // made to fit
}

// Every status a tag can show fits its strip on one line in every language
// the game ships, so no tag runs into its neighbour's ("Ausgestiegen").
TEST_F(AuctionPanelsTest, EveryStatusFitsItsStripInEveryLanguage) {
  struct EnglishAfter {
    ~EnglishAfter() { LoadInterfaceFonts("usa", 640); }
  } english;
  const BidderTag tag = BidderTagAt(320, 240, false);
  const float strip = tag.lower.x2 - tag.lower.x1;
  CTextRect& status = Bid().status[0];
  for (const char* language : {"usa", "ger", "f", "hol", "spa", "swe", "nor", "dan", "fin"}) {
    ASSERT_TRUE(LoadInterfaceFonts(language, 640));
    ASSERT_EQ(InterfaceLanguage(), language);
    for (int32_t text : std::initializer_list<int32_t>{kStatusWinnerText, kStatusPulledOutText, kStatusPassedText, kStatusSellerText,
                         kStatusBiddingText, kStatusShowsBid}) {
      ShowBidderStatus(status, text, 100000);
      status.SetRect(tag.lower.x1, tag.lower.y1, tag.lower.x2, tag.lower.y2);
      ASSERT_EQ(status.LineCount(), 1) << language << " " << text;
      EXPECT_LE(float(status.ShownLineWidth(0)), strip - 2) << language << " " << Joined(status);
    }
  }
}

// The tags and the leader marker keep to the screen and off the room's
// other panels, moving the least way that does.
TEST(BidderTagPlaces, KeepToTheScreenAndOffThePanels) {
  const UIRect mapAndLayout{2, 2, 150, 300, 0.5f}, bidPanel{170, 398, 470, 478, 0.5f};
  const std::vector<UIRect> clear = {mapAndLayout, bidPanel};
  const struct {
    UIRect box;
    float dx, dy;
  } cases[] = {
      {{300, 200, 380, 240, 0.5f}, 0, 0},      // in the open
      {{-30, 200, 50, 240, 0.5f}, 30, 100},    // off the left edge, then under the layout
      {{120, 250, 200, 290, 0.5f}, 30, 0},     // over the layout's right edge
      {{600, 100, 680, 140, 0.5f}, -40, 0},    // off the right edge
      {{300, 380, 380, 420, 0.5f}, 0, -22},    // into the bid panel from above
      {{-20, -10, 12, 22, 0.5f}, 170, 10},     // a marker past the top left corner
  };
  for (const auto& c : cases) {
    const TagOffset d = KeepClear(c.box, clear);
    EXPECT_FLOAT_EQ(d.x, c.dx) << c.box.x1 << "," << c.box.y1;
    EXPECT_FLOAT_EQ(d.y, c.dy) << c.box.x1 << "," << c.box.y1;
  }
  // The room's map above its block layout: a marker on the layout's top goes
  // right, past both, rather than up onto the map.
  const std::vector<UIRect> stacked = {{2, 2, 150, 150, 0.5f}, {2, 150, 150, 300, 0.5f}};
  const TagOffset d = KeepClear({50, 160, 82, 192, 0.5f}, stacked);
  EXPECT_FLOAT_EQ(d.x, 100);
  EXPECT_FLOAT_EQ(d.y, 0);
}

TEST_F(AuctionPanelsTest, TheQuickSwitchIsForSinglePlayerGamesOnly) {
  RoomAtLocalTurn(5000);
  CAuctionBidPanel& bid = Bid();
  EXPECT_TRUE(bid.buttons[kBidQuickSwitch]->visible);
  bid.OnEvent(kNotifyClicked, kBidQuickSwitch, 0);
  EXPECT_TRUE(QuickAuction());
  bid.Close();
  Session().networkSession = true;
  bid.Open();
  EXPECT_FALSE(bid.buttons[kBidQuickSwitch]->visible);
  EXPECT_FALSE(QuickAuction());  // a network game never runs quick
}

TEST_F(AuctionPanelsTest, TheTimerShowsTheSessionsTurnCountdown) {
  RoomAtLocalTurn(5000);
  Bid().OnEvent(kMsgFrameTick, 0, 0);
  CAuctionTimerPanel& timer = Hud().auctionTimer;
  ASSERT_TRUE(timer.open);
  timer.OnEvent(kMsgFrameTick, 0, 0);
  EXPECT_EQ(timer.countdown, kAuctionTurnTime);
  EXPECT_EQ(Joined(timer.timerText), "16 seconds");
  EXPECT_EQ(played_, std::vector<std::string>{"auction\\dynam_auctioncounter.wav"});
  timer.OnEvent(kMsgFrameTick, 0, 0);  // the same second: no second tick
  EXPECT_EQ(played_.size(), 1u);
}

// The countdown follows the session's announcement countdown and beeps once
// a second from 5 down to 0, each beep stopping the one before.
TEST_F(AuctionPanelsTest, TheCountdownBeepsFromFiveDownToZero) {
  AddPlayer("Ann", 0);
  AddPlayer("Bob", 1);
  ASSERT_TRUE(StartAuction(kBlock, 1, 400));
  Deliver();
  CAuctionCountdownPanel& countdown = Hud().auctionCountdown;
  ASSERT_TRUE(countdown.open);
  EXPECT_EQ(Joined(countdown.bidLabel), "Bob opens the bidding at " + FormatMoney(400));
  std::vector<std::string> shown;
  for (int i = 0; i < 3100 && CurrentAuction()->countdown > 0; ++i) {
    CountAuctionDown();
    const size_t before = played_.size();
    countdown.OnEvent(kMsgFrameTick, 0, 0);
    if (played_.size() > before) shown.push_back(Joined(countdown.miniTimer));
  }
  countdown.OnEvent(kMsgFrameTick, 0, 0);
  EXPECT_EQ(shown, (std::vector<std::string>{"5", "4", "3", "2", "1", "0"}));
  for (const std::string& s : played_) EXPECT_EQ(s, "ambi_any_build_hospitalbeep.wav");
  EXPECT_EQ(stopped_.size(), 5u);
  EXPECT_EQ(stopped_.back(), RecordingEffects::Voice(5));
}

// The opening bid's line, wrapped, stays inside the panel for a player with
// a full name.
TEST_F(AuctionPanelsTest, TheCountdownsOpeningBidFitsItsPanel) {
  AddPlayer("Ann", 0);
  AddPlayer("Felix Amberg", 1);
  ASSERT_TRUE(StartAuction(kBlock, 1, 12500));
  Deliver();
  CTextRect& line = Hud().auctionCountdown.bidLabel;
  line.Layout();
  ASSERT_GT(line.LineCount(), 0);
  const UIRect r = line.Rect();
  EXPECT_LE(float(line.LineCount() * line.lineHeight), r.y2 - r.y1) << Joined(line);
}

// The fold button switches between the full panel and the compact one,
// which keeps only the time left and the leader.
TEST_F(AuctionPanelsTest, TheCountdownFoldsToItsCompactFrame) {
  AddPlayer("Ann", 0);
  ASSERT_TRUE(StartAuction(kBlock, 0, 400));
  Deliver();
  CAuctionCountdownPanel& countdown = Hud().auctionCountdown;
  ASSERT_TRUE(countdown.open);
  EXPECT_EQ(countdown.chosenFrame, 1);
  const float fullWidth = countdown.bounds.x2 - countdown.bounds.x1;
  countdown.OnEvent(kNotifyClicked, 0, 0);
  EXPECT_TRUE(countdown.compact);
  EXPECT_EQ(countdown.chosenFrame, 2);
  EXPECT_LT(countdown.bounds.x2 - countdown.bounds.x1, fullWidth / 2);
  countdown.OnEvent(kNotifyClicked, 0, 0);
  EXPECT_FALSE(countdown.compact);
  EXPECT_EQ(countdown.bounds.x2 - countdown.bounds.x1, fullWidth);
}

TEST_F(AuctionPanelsTest, BadCountdownDataIsWarnedOfOnce) {
  CAuctionCountdownPanel& countdown = Hud().auctionCountdown;
  const int32_t before = PlayWarningCount();
  countdown.SetAuction(99, -1, 0);
  countdown.SetTimer(3);
  countdown.Open();
  for (int i = 0; i < 200; ++i) countdown.OnEvent(kMsgFrameTick, 0, 0);
  EXPECT_EQ(PlayWarningCount() - before, 3);  // block, player, amount
  EXPECT_EQ(countdown.block, -1);
  EXPECT_EQ(Joined(countdown.titleText), "");
  countdown.Close();
}

TEST_F(AuctionPanelsTest, ThePanelsFollowTheAuctionAndTheBannerStaysUp) {
  AddPlayer("Ann", 0);
  AddPlayer("Bob", 1);
  ASSERT_TRUE(StartAuction(kBlock, -1, 500));
  Deliver();
  EXPECT_TRUE(Hud().auctionCountdown.open);
  OpenAuctionScreen();
  Deliver();
  EXPECT_FALSE(Hud().auctionCountdown.open);
  for (CPanel* p : std::initializer_list<CPanel*>{&Hud().auctionBid, &Hud().auctionLayout, &Hud().auctionMap,
                                                  &Hud().auctionTop, &Hud().auctionTime})
    EXPECT_TRUE(p->open);
  Hud().auctionTop.Close();
  EXPECT_TRUE(Hud().auctionTop.open);
  EndAuction();
  Deliver();
  EXPECT_FALSE(Hud().auctionBid.open);
  EXPECT_FALSE(Hud().auctionMap.open);
  EXPECT_FALSE(Hud().auctionLayout.open);
}

TEST_F(AuctionPanelsTest, TheLotLayoutPutsRowZeroAtTheBottom) {
  const UIRect area{0, 0, 160, 160, 0.5f};
  UIRect outer, inner;
  CAuctionLayoutPanel::LotArea(area, outer, inner);
  EXPECT_FLOAT_EQ(outer.x1, 10.0f);
  EXPECT_FLOAT_EQ(outer.x2, 160.0f - 150.0f / 16);
  const UIRect corner = CAuctionLayoutPanel::BuildingRect(inner, 0, 0, 0, 0);
  const UIRect top = CAuctionLayoutPanel::BuildingRect(inner, 0, 6, 6, 6);
  EXPECT_GT(corner.y1, top.y1);
  EXPECT_FLOAT_EQ(top.x2 - top.x1 + 1, 7 * (corner.x2 - corner.x1 + 1));
}

}  // namespace
