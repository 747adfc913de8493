// The time panel: the clock's text, the counting cash and its colour, the
// player's icon and the goal prompt of its player button.
#include "panels_fixture.h"

#include "session/goals.h"
#include "ui/buttons.h"
#include "ui/glyph_batcher.h"

namespace {

TEST(ClockTextTest, TwelveHourTimeWithTheYear) {
  struct Case {
    int32_t hour, ticks, year;
    const char* text;
  } const cases[] = {
      {0, 0, 1930, "12:00 AM 1930"},   {12, 313, 1941, "12:30 PM 1941"}, {13, 53, 1950, "1:05 PM 1950"},
      {11, 624, 1930, "11:59 AM 1930"}, {23, 104, 2009, "11:09 PM 2009"}, {9, 94, 1930, "9:09 AM 1930"},
  };
  PanelsEnvironment::Renderer();  // the English texts are loaded by the environment
  for (const Case& c : cases) EXPECT_EQ(ClockText(c.hour, c.ticks, c.year), c.text) << c.hour << ":" << c.ticks;
}

TEST(CountingCashTest, AChangeCountsInFiftyEvenStepsAndLandsOnTheAmount) {
  CountingCash cash{1000, 0};
  StepCountingCash(cash, 1500);  // the count starts
  EXPECT_EQ(cash.displayed, 1000);
  StepCountingCash(cash, 1500);
  EXPECT_EQ(cash.displayed, 1010);
  StepCountingCash(cash, 1500);
  EXPECT_EQ(cash.displayed, 1020);
  for (int i = 0; i < 48; ++i) StepCountingCash(cash, 1500);
  EXPECT_EQ(cash.displayed, 1500);
  EXPECT_EQ(cash.steps, 0);
  // A change during a count goes on with the remaining steps.
  cash = CountingCash{0, 0};
  StepCountingCash(cash, 100);
  for (int i = 0; i < 25; ++i) StepCountingCash(cash, 100);
  EXPECT_EQ(cash.steps, 25);
  for (int i = 0; i < 25; ++i) StepCountingCash(cash, 200);
  EXPECT_FLOAT_EQ(cash.displayed, 200);
}

class TimePanelTest : public PanelsTest {};

TEST_F(TimePanelTest, ShowsTheLocalPlayerTheClockAndNegativeCashInColourSix) {
  CPlayer* ann = AddPlayer("Ann", 4, -250);
  SharedCountingCash() = CountingCash{-250, 0};
  GameClock().hour = 13;
  Session().tickInHour = 53;
  CTimePanel& time = Hud().time;
  time.Open();
  Step();
  EXPECT_EQ(time.name.LineText(0), "Ann");
  EXPECT_EQ(time.clock.LineText(0), "1:05 PM 1930");
  EXPECT_EQ(time.cash.LineText(0), "-$250.00");
  EXPECT_EQ(time.cash.lineColour[0], 6);
  // The icon is the character's.
  EXPECT_EQ(time.playerIcon->imageNormal, PlayerIconImage(4));
  EXPECT_EQ(PlayerIconImage(0), 147);
  EXPECT_EQ(PlayerIconImage(1), 144);
  EXPECT_EQ(PlayerIconImage(9), 171);
  // A player that came without a token still shows a picture, the first one's.
  ann->character = -1;
  time.Close();
  time.Open();
  Step();
  EXPECT_EQ(time.playerIcon->imageNormal, PlayerIconImage(0));
  // Both time panels count the one shared cash.
  ann->money = 250;
  AuctionPanels().shown = true;
  Hud().auctionTime.Open();
  for (int i = 0; i < 30; ++i) Step();
  EXPECT_EQ(SharedCountingCash().displayed, 250);
  EXPECT_EQ(time.cash.LineText(0), "$250.00");
  EXPECT_EQ(time.cash.lineColour[0], 0);
}

// The auction room's time panel follows the game's clock while the room is
// shown, as the city's does.
TEST_F(TimePanelTest, TheRoomsClockShowsTheGameTime) {
  AddPlayer("Ann", 0);
  HudScreenModePanels().SetManagers(false, false, true);
  Hud().auctionTime.Open();
  GameClock().hour = 9;
  Session().tickInHour = 0;
  Step();
  EXPECT_EQ(Hud().auctionTime.clock.LineText(0), "9:00 AM 1930");
  GameClock().hour = 22;
  Step();
  EXPECT_EQ(Hud().auctionTime.clock.LineText(0), "10:00 PM 1930");
  HudScreenModePanels().SetManagers(true, false, false);
}

TEST_F(TimePanelTest, ThePlayerButtonShowsTheGoalInTheRoomsOwnPrompt) {
  AddPlayer("Ann", 0);
  SetObjective(OBJECTIVE_PROFIT, 20000);
  Hud().time.Open();
  Hud().time.OnEvent(kNotifyClicked, 1, 0);
  ASSERT_TRUE(Hud().prompt.open);
  EXPECT_EQ(Hud().prompt.Head()->lines[0].LineText(0), "Goal: make a profit of $20000.");
  EXPECT_EQ(Hud().prompt.Head()->lines[1].LineText(0), "Ann");
  EXPECT_EQ(Hud().prompt.Head()->buttonCount, 1);
  Session().gameState = kGameStateAuction;
  Hud().auctionTime.OnEvent(kNotifyClicked, 1, 0);
  EXPECT_TRUE(Hud().auctionPrompt.open);
  EXPECT_EQ(Hud().prompt.QueueLength(), 1u);
  ResetGoals();
}

// Every language's clock keeps the time and the year on the one line its
// area shows, also at two-digit hours in the afternoon, where the German
// "nachm." made the year wrap out of sight.
TEST_F(TimePanelTest, EveryLanguagesClockShowsTheTimeAndTheYearOnOneLine) {
  AddPlayer("Ann", 0);
  CTimePanel& time = Hud().time;
  const float width = time.rects[kTimeArea].x2 - time.rects[kTimeArea].x1;
  struct Case {
    int32_t hour, ticks;
  } const cases[] = {{10, 427}, {22, 600}, {9, 31}, {12, 0}};
  for (const char* language : {"usa", "ger", "f", "spa", "dan", "fin", "hol", "nor", "swe"}) {
    ASSERT_TRUE(LoadInterfaceFonts(language, 640));
    for (const Case& c : cases) {
      GameClock().hour = c.hour;
      Session().tickInHour = c.ticks;
      time.Close();
      time.Open();
      Step();
      const std::string want = ClockText(c.hour, c.ticks, GameClock().CalendarYear());
      ASSERT_EQ(time.clock.LineCount(), 1) << language << " " << want;
      EXPECT_EQ(time.clock.LineText(0), want) << language;
      SelectFont2D(time.clock.font);
      InterfaceTextSystem().SetFontScale(time.clock.textScale);
      EXPECT_LE(time.clock.LineWidth(0), width) << language << " " << want;
      InterfaceTextSystem().SetFontScale(1.0f);
      // The year is there, and a text that fits keeps its size.
      EXPECT_NE(want.find("1930"), std::string::npos);
      if (std::string(language) == "usa") {
        EXPECT_EQ(time.clock.textScale, 1.0f) << want;
      }
    }
  }
  ASSERT_TRUE(LoadInterfaceFonts("usa", 640));
}

}  // namespace
