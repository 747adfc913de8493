// The pages over a running game (pause and screen mode), the statistics
// page's choice of statistic and the option pages' settings.
#include "frontend/front_end.h"
#include "frontend/game_cover.h"
#include "frontend/page_rules.h"
#include "frontend_fixture.h"
#include "session/goals.h"
#include "session/player.h"
#include "session/stats_history.h"
#include "visuals/overlay/frame_draw.h"

namespace {

struct VolumeSpy : ProfileServices {
  int32_t music = -1, effects = -1, applied = 0;
  std::string board;
  void SetVolumes(int32_t m, int32_t e) override {
    music = m, effects = e;
    ++applied;
  }
  void LoadBoard(const char* b) override { board = b; }
};

class PageRulesTest : public FrontEndDataTest {
 protected:
  void SetUp() override {
    FrontEndDataTest::SetUp();
    SetProfileServices(&spy_);
    RunState().gameRunning = true;
    SetScreenMode(kScreenPlan);
  }
  void TearDown() override {
    SetScreenMode(kScreenCity);
    SetProfileServices(nullptr);
    FrontEndDataTest::TearDown();
  }
  VolumeSpy spy_;
};

TEST_F(PageRulesTest, ASinglePlayerGameIsPausedOnceUnderItsPages) {
  GameCover cover;
  cover.Cover();
  EXPECT_EQ(GetScreenMode(), kScreenMenu);
  EXPECT_TRUE(GamePauseState().Paused());
  // Opened again (back from the save page): the plan view is still what it
  // covers, and one resume lets the game go on.
  cover.Cover();
  EXPECT_EQ(cover.RememberedMode(), kScreenPlan);
  EXPECT_EQ(GamePauseState().Count(0), 1);
  cover.Uncover();
  EXPECT_EQ(GetScreenMode(), kScreenPlan);
  EXPECT_FALSE(GamePauseState().Paused());
}

TEST_F(PageRulesTest, ANetworkGameIsNeitherPausedNorSaveable) {
  Session().networkSession = true;
  GameCover cover;
  cover.Cover();
  EXPECT_EQ(GetScreenMode(), kScreenMenu);
  EXPECT_FALSE(GamePauseState().Paused());
  cover.Uncover();
  EXPECT_FALSE(GamePauseState().Paused());
  EXPECT_EQ(GetScreenMode(), kScreenPlan);
  EXPECT_FALSE(InGameSaveAllowed(false, Session().networkSession));
  EXPECT_FALSE(InGameSaveAllowed(true, false));
  EXPECT_TRUE(InGameSaveAllowed(false, false));
}

TEST_F(PageRulesTest, WithNoGameTheCoverDoesNothing) {
  RunState().gameRunning = false;
  GameCover cover;
  cover.Cover();
  EXPECT_EQ(GetScreenMode(), kScreenPlan);
  EXPECT_FALSE(GamePauseState().Paused());
}

TEST_F(PageRulesTest, StatisticsFollowTheObjectiveAndCycleWithinWhatIsOffered) {
  struct Case {
    int32_t objective;
    bool running;
    int32_t first;
    bool all;
  } cases[] = {
      {OBJECTIVE_PROFIT, true, 4, false},          {OBJECTIVE_PAPERWEALTH_BY_DATE, true, 1, false},
      {OBJECTIVE_PAPERWEALTH_BY_AMOUNT, false, 1, false}, {OBJECTIVE_SALES, true, 0, false},
      {OBJECTIVE_WEAKEST_LINK, true, 2, false},    {OBJECTIVE_WEAKEST_LINK, false, 5, true},
      {OBJECTIVE_FIRST_TO_BE_MAYOR, false, 5, true}, {OBJECTIVE_NONE, false, 2, false},
      {42, true, 2, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FirstStatistic(c.objective, c.running), c.first) << c.objective;
    EXPECT_EQ(AllStatisticsOffered(c.objective, c.running), c.all) << c.objective;
  }
  EXPECT_EQ(StepStatistic(0, -1, false), 4);
  EXPECT_EQ(StepStatistic(4, 1, false), 0);
  EXPECT_EQ(StepStatistic(0, -1, true), 5);
  EXPECT_EQ(StepStatistic(5, 1, true), 0);
  EXPECT_EQ(StepStatistic(4, 1, true), 5);
  EXPECT_EQ(StatisticNameText(5), 1538);
}

// A line a player in the game, hourly samples ending at the present; the y
// range spans every player's samples (shown or not) and 0.
TEST_F(PageRulesTest, StatisticLinesEndAtThePresentAndTheirRangeHoldsZero) {
  ClearStatsHistory();
  ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerHuman, 0, "Ann"));
  ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerComputer, 4, "Bob"));
  constexpr int32_t kCash = 2;
  for (float v : {100.0f, 250.0f, 400.0f}) StatsHistory().Append(0 * kHistorySeries + kCash, v);
  for (float v : {-50.0f, 20.0f}) StatsHistory().Append(1 * kHistorySeries + kCash, v);
  StatisticLines lines = CollectStatisticLines(kCash, 1935.5f);
  ASSERT_EQ(lines.lines[0].size(), 3u);
  ASSERT_EQ(lines.lines[1].size(), 2u);
  EXPECT_TRUE(lines.lines[2].empty());
  EXPECT_FLOAT_EQ(lines.lines[0].back().x, 1935.5f);
  EXPECT_FLOAT_EQ(lines.lines[0].front().x, 1935.5f - 2.0f / 24.0f);
  EXPECT_FLOAT_EQ(lines.lines[0].front().y, 100.0f);
  EXPECT_FLOAT_EQ(lines.minX, 1935.5f - 2.0f / 24.0f);
  EXPECT_FLOAT_EQ(lines.minY, -50.0f);
  EXPECT_FLOAT_EQ(lines.maxY, 400.0f);
  EXPECT_EQ(lines.longest, 3);
  // Only positive samples: the range still starts at 0; no samples: one hour wide.
  lines = CollectStatisticLines(0, 1940.0f);
  EXPECT_FLOAT_EQ(lines.minY, 0.0f);
  EXPECT_NEAR(lines.maxX - lines.minX, 1.0f / 24.0f, 1e-3f);
  EXPECT_EQ(StatisticLabelKind(kCash), kChartMoney);
  EXPECT_EQ(StatisticLabelKind(5), kChartPercent);
  EXPECT_EQ(StatisticLabelKind(3), kChartNumber);
  // A rival removed at the end of the game keeps its line; an empty slot has none.
  PlayerTable().RemovePlayer(1);
  ASSERT_FALSE(PlayerTable().Get(1)->inUse);
  lines = CollectStatisticLines(kCash, 1935.5f);
  EXPECT_EQ(lines.lines[1].size(), 2u);
  EXPECT_TRUE(PlayerOnStatistics(0));
  EXPECT_TRUE(PlayerOnStatistics(1));
  EXPECT_FALSE(PlayerOnStatistics(2));
  PlayerTable().DeleteAllPlayers();
  ClearStatsHistory();
}

TEST_F(PageRulesTest, OptionsKeepToTheirRangesAndApplyAtOnce) {
  CPlayerProfile& p = PlayerProfile();
  p.FilteringLevel = 2;  // an older profile: shown as the second choice
  p.DetailLevel = 7;
  p.MusicVolume = -5;
  EXPECT_TRUE(ClampProfileOptions(p));
  EXPECT_EQ(p.FilteringLevel, 1);
  EXPECT_EQ(p.DetailLevel, 2);
  EXPECT_EQ(p.MusicVolume, 0);
  EXPECT_FALSE(ClampProfileOptions(p));

  SetMusicVolumeOption(p, 40);
  EXPECT_EQ(spy_.music, 40);
  SetEffectsVolumeOption(p, 140);
  EXPECT_EQ(p.SoundVolume, 100);
  EXPECT_EQ(spy_.effects, 100);

  p.GammaLevel = 90;
  p.InverseMouse = 1;
  std::snprintf(p.BoardName, sizeof p.BoardName, "uk");
  RestoreDefaultOptions(p);
  EXPECT_EQ(p.MusicVolume, 63);
  EXPECT_EQ(p.SoundVolume, 83);
  EXPECT_EQ(p.GammaLevel, 35);
  EXPECT_EQ(p.InverseMouse, 0);
  EXPECT_EQ(spy_.music, 63);
  EXPECT_EQ(spy_.board, "usa");  // the installed default board, applied

  for (int32_t id = 0; id < 7; ++id) EXPECT_EQ(OptionsNeedNoGame(id), id == 3 || id == 4 || id == 6) << id;
}

}  // namespace
