#include "session/game_clock.h"

#include <fstream>

#include "engine/core/console.h"
#include "session_fixture.h"

namespace {

std::vector<std::string>& DecadeLines() {
  static std::vector<std::string> lines;
  return lines;
}

int DecadeCommand(const char* rest) {
  const char* cursor = rest;
  std::string word;
  ReadConsoleWord(cursor, word);
  DecadeLines().push_back(word);
  return 0;
}

class GameClockTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    DecadeLines().clear();
    ClearConsoleCommandTable();
    RegisterConsoleCommand("DECADEMARK", DecadeCommand);
  }
  void TearDown() override {
    ClearConsoleCommandTable();
    SessionTest::TearDown();
  }
  void WriteDecadeFile(int year, const std::string& text) {
    std::ofstream(root_ / "parameters" / (std::to_string(year) + ".prm")) << text;
  }
  // Runs whole hours of running time.
  void RunHours(int hours) { RunTicks(hours * static_cast<int>(kTicksPerHour)); }
};

TEST_F(GameClockTest, YearsPerDayCarryIntoTheNextDecade) {
  MakePlayers();
  Tweaks().yearsPerDay = 3;
  std::vector<int32_t> years;
  for (int day = 0; day < 4; ++day) {
    RunHours(24);
    years.push_back(GameClock().CalendarYear());
  }
  EXPECT_EQ(years, (std::vector<int32_t>{1933, 1936, 1939, 1942}));
  EXPECT_EQ(GameClock().decade, 1);
  EXPECT_EQ(GameClock().yearInDecade, 2);
  EXPECT_EQ(GameClock().dayCounter, 4);
  EXPECT_EQ(GameClock().absoluteHour, 9 + 24 * 2 + 240);
  EXPECT_EQ(GetAbsoluteGameHour(GameClock()), GameClock().absoluteHour);
}

TEST_F(GameClockTest, WithoutTheScriptTweakTheCalendarStandsStill) {
  MakePlayers();
  RunHours(24);
  EXPECT_EQ(GameClock().CalendarYear(), 1930);
  EXPECT_EQ(GameClock().dayCounter, 1);
}

TEST_F(GameClockTest, HourlyJobsRunInOrderWithTheDailyOnesAtTheirHours) {
  MakePlayers(1);
  GameClock().hour = 5;
  RunHours(1);  // 6 o'clock
  // The economy's and the blocks' hourly and daily jobs and the players'
  // chance-card countdowns are called directly between these.
  const std::vector<std::string> six = {"event HourlyUpdate 6", "event EndOfDay 0", "ai-hourly"};
  std::vector<std::string> hourly;
  for (const auto& s : log.steps)
    if (s.find("event") == 0 || s == "ai-hourly")
      hourly.push_back(s);
  EXPECT_EQ(hourly, six);
  GameClock().hour = 9;
  log.steps.clear();
  RunHours(1);  // 10 o'clock
  EXPECT_TRUE(log.Has("event BlockUnlock 0"));
}

TEST_F(GameClockTest, MidnightClosesTheDaySwapsLedgersAndAutosavesOnlyAlone) {
  MakePlayers();
  CPlayer* me = PlayerTable().Get(0);
  me->AddToLedger(10.0f, 3);
  GameClock().hour = 23;
  RunHours(1);
  EXPECT_EQ(GameClock().hour, 0);
  EXPECT_EQ(DayTick(), 0u);
  EXPECT_TRUE(log.Has("ai-day"));
  EXPECT_EQ(me->currentLedger, 0);
  EXPECT_FLOAT_EQ(me->ledgers[1][3], 10.0f);
  EXPECT_FLOAT_EQ(me->Today()[3], 0.0f);
  const auto autosave = root_ / "profiles" / "test" / "autosave.sav";
  EXPECT_TRUE(std::filesystem::exists(autosave));

  std::filesystem::remove(autosave);
  Session().networkSession = true;
  Session().host = true;
  GameClock().hour = 23;
  Session().tickInHour = 0;
  RunTicks(kTicksPerHour - RunningTick() % kTicksPerHour);
  EXPECT_EQ(GameClock().hour, 0);
  EXPECT_FALSE(std::filesystem::exists(autosave));
}

TEST_F(GameClockTest, TutorialSkipsTheHourlyJobsButTheClockRuns) {
  StartTutorial();
  MakePlayers();
  RunHours(1);
  EXPECT_EQ(GameClock().hour, 10);
  EXPECT_FALSE(log.Has("event HourlyUpdate 10"));
  float v = 0;
  EXPECT_FALSE(GetStatsHistorySample(v, 0, 2, 0));
}

TEST_F(GameClockTest, DecadeFilesAreReadCumulativelyAndIntroEventsRaisedAtDayStart) {
  WriteDecadeFile(1930, "DECADEMARK 1930\n");
  WriteDecadeFile(1950, "DECADEMARK 1950\n");  // 1940 is missing and skipped
  WriteDecadeFile(1960, "DECADEMARK 1960\n");
  GameClock().hour = 15;
  GameClock().decade = 2;
  LoadDecadeParameters(2);
  EXPECT_EQ(DecadeLines(), (std::vector<std::string>{"1930", "1950"}));
  EXPECT_TRUE(log.Has("music 2"));
  EXPECT_FALSE(log.Has("trigger BusinessIntro1950 1250 0"));

  // A decade change at midnight raises its event two game hours later.
  MakePlayers();
  DecadeLines().clear();
  Tweaks().yearsPerDay = 10;
  GameClock().hour = 23;
  RunHours(1);
  EXPECT_EQ(GameClock().decade, 3);
  EXPECT_EQ(DecadeLines(), (std::vector<std::string>{"1930", "1950", "1960"}));
  EXPECT_TRUE(log.Has("trigger BusinessIntro1960 1250 0"));
}

TEST_F(GameClockTest, TheTwoThousandsEndWithoutAParameterFile) {
  MakePlayers();
  Tweaks().yearsPerDay = 10;
  GameClock().decade = 7;
  GameClock().hour = 23;
  RunHours(1);
  EXPECT_EQ(GameClock().decade, 8);
  EXPECT_FALSE(log.Has("music 7"));
}

// Past the 2000s the calendar goes on to its last decade, where the years
// stop; every midnight on the way saves and loads back, and a script's years
// per day outside 0..10 neither skip decades nor run back.
TEST_F(GameClockTest, EveryDayOfTheCalendarSavesAndLoads) {
  MakePlayers();
  SaveGameFile file;
  file.path = (root_ / "clock.sav").string();
  struct Case {
    int32_t years, startDecade, days, endDecade;
  };
  for (const Case& c : {Case{10, 6, 12, 18}, Case{250, kLastDecade - 2, 6, kLastDecade}, Case{-3, 7, 3, 7}}) {
    SCOPED_TRACE(c.years);
    ResetGameClock();
    GameClock().decade = c.startDecade;
    Tweaks().yearsPerDay = c.years;
    for (int day = 0; day < c.days; ++day) {
      GameClock().hour = 23;
      const CGameClock before = GameClock();
      AdvanceGameHour();
      const CGameClock after = GameClock();
      ASSERT_LE(after.decade - before.decade, 1);
      ASSERT_GE(after.CalendarYear(), before.CalendarYear());
      ASSERT_TRUE(WriteSaveGame(file, kSaveClock));
      ResetGameClock();
      ASSERT_TRUE(LoadGameFile(file, kChunkClock)) << "day " << day;
      ASSERT_EQ(GameClock().decade, after.decade);
      ASSERT_EQ(GameClock().yearInDecade, after.yearInDecade);
    }
    EXPECT_EQ(GameClock().decade, c.endDecade);
  }
}

TEST_F(GameClockTest, ClockChunkRoundTripsAndBadOnesAreRefused) {
  GameClock() = CGameClock{14, 3, 2, 14 + 72 + 480, 33};
  SaveGameFile file;
  file.path = (root_ / "clock.sav").string();
  ASSERT_TRUE(WriteSaveGame(file, kSaveClock));
  ResetGameClock();
  ASSERT_TRUE(LoadGameFile(file, kChunkClock));
  EXPECT_EQ(GameClock().hour, 14);
  EXPECT_EQ(GameClock().yearInDecade, 3);
  EXPECT_EQ(GameClock().decade, 2);
  EXPECT_EQ(GameClock().dayCounter, 33);

  uint8_t bad[kClockChunkSize] = {30};
  CGameClock staged;
  EXPECT_FALSE(DecodeRecord(std::span<const uint8_t>(bad), staged));
  EXPECT_FALSE(DecodeRecord(std::span<const uint8_t>(bad, 12), staged));
  EXPECT_EQ(GameClock().hour, 14);
}

}  // namespace
