// The game's own levels, headless: every single-player and network level the
// front end registers starts through STARTLEVEL, plays a game day with the
// computer players' stand-in and ends, without a script error; the money,
// objective and rivals follow the level and the difficulty.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/game_parts.h"
#include "city/blocks.h"
#include "city/city_services.h"
#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/core/run_state.h"
#include "engine/scene/asset_table.h"
#include "engine/files/cache_archive.h"
#include "session/save_chunks.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "script/interface_bindings.h"
#include "script/people_access.h"
#include "script/level_scripts.h"
#include "script/profiles.h"
#include "script/script.h"
#include "session/auction.h"
#include "session/game_clock.h"
#include "session/game_events.h"
#include "session/goals.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/scenarios.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/tick_driver.h"
#include "started_game.h"

namespace {

namespace fs = std::filesystem;

int32_t LanternAvenue() { return FindBlockByKey("LANTERN_AVENUE"); }
int32_t StrandwayBlock() { return FindBlockByKey("STRANDWAY"); }

class LevelsTest : public StartedGameTest {
 protected:
  void SetUp() override {
    OpenStartedGame("levels_test");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(boxes_.empty()) << boxes_.front();
  }

  void TearDown() override { CloseStartedGame(); }

  // The ids of the levels a player can start: single-player and network.
  std::vector<int32_t> PlayableLevels() const {
    std::vector<int32_t> ids;
    for (const ScenarioEntry* e = ScenarioManager().NextAnyEntry(nullptr); e; e = ScenarioManager().NextAnyEntry(e))
      if (!e->tutorial) ids.push_back(e->id);
    return ids;
  }
  void Start(int32_t id, int32_t difficulty) {
    try {
      ExecuteConsoleCommand(("STARTLEVEL " + std::to_string(id) + " " + std::to_string(difficulty)).c_str());
    } catch (const FatalErrorException& e) {
      FAIL() << "level " << id << ": " << e.what;
    }
  }
  // One game day (auctions stop the clock meanwhile, so it may take more
  // than a day of ticks), the interface's events drained as the frames would.
  void PlayADay() {
    const int32_t day = GameClock().dayCounter;
    PlayUntil([day] { return GameClock().dayCounter != day; });
  }
  template <class Done>
  void PlayUntil(Done done) {
    for (int i = 0; i < 4 * 15000 && RunState().gameRunning && !done(); ++i) {
      RunLogicTicks();
      if (i % 50 != 0) continue;
      TheGame().DrainGameEvents();
      // The player at the keyboard keeps out of the computer players' auctions.
      const CAuction* auction = CurrentAuction();
      const CPlayer* me = PlayerTable().Local();
      if (auction && auction->active && me && auction->rows[me->index].stillIn && !auction->rows[me->index].pulledOut)
        PostAuctionPullOut(me->index);
    }
  }

};

TEST_F(LevelsTest, EveryLevelStartsPlaysADayAndEndsWithoutAScriptError) {
  const std::vector<int32_t> ids = PlayableLevels();
  ASSERT_EQ(ids.size(), 16u + 6u + 2u);
  int32_t difficulty = 0;
  for (int32_t id : ids) {
    SCOPED_TRACE(id);
    Script().ClearErrorLog();
    Start(id, difficulty);
    ASSERT_TRUE(RunState().gameRunning);
    ASSERT_NE(PlayerTable().Local(), nullptr);
    // Every level is won by its objective but free play, which has none.
    EXPECT_EQ(GameGoal().kind == OBJECTIVE_NONE, ScenarioManager().FindById(id)->folder == "freeplay");
    const int32_t day = GameClock().dayCounter;
    PlayADay();
    EXPECT_TRUE(!RunState().gameRunning || GameClock().dayCounter == day + 1)
        << "state " << Session().gameState << " paused " << GamePauseState().Paused() << " hour "
        << GameClock().hour << " tick " << LogicTick();
    // Only the optional ai.lua of a level may be missing.
    for (const std::string& error : Script().ErrorLog())
      EXPECT_NE(error.find("ai.lua"), std::string::npos) << error;
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
    boxes_.clear();
    if (RunState().gameRunning) TheGame().EndGame(false, 0);
    difficulty = (difficulty + 1) % 3;
  }
}

TEST_F(LevelsTest, OpeningPositionsAndRulesFollowTheLevelAndTheDifficulty) {
  // The first campaign level: one rival from medium, two districts for
  // sale, the money and the target by difficulty.
  float money[3] = {};
  float target[3] = {};
  for (int32_t d = 0; d < 3; ++d) {
    Start(200001, d);
    ASSERT_TRUE(RunState().gameRunning);
    EXPECT_EQ(PlayerTable().PlayerCount(), d == 0 ? 1 : 2) << d;
    money[d] = PlayerTable().Local()->money;
    target[d] = GameGoal().target;
    EXPECT_EQ(g_Blocks[LanternAvenue()].Ownable, 1);
    EXPECT_EQ(g_Blocks[StrandwayBlock()].Ownable, 0);
    TheGame().EndGame(false, 0);
  }
  EXPECT_GT(money[0], money[1]);
  EXPECT_GT(money[1], money[2]);
  EXPECT_LT(target[0], target[1]);
  EXPECT_LT(target[1], target[2]);

  // Rivals that join from medium and from hard.
  for (int32_t d = 0; d < 3; ++d) {
    Start(200009, d);
    EXPECT_EQ(PlayerTable().PlayerCount(), 2 + d) << d;
    TheGame().EndGame(false, 0);
  }

  // Another level opens differently: more rivals, everything for sale.
  Start(200013, 1);
  EXPECT_EQ(PlayerTable().PlayerCount(), 4);
  EXPECT_EQ(g_Blocks[StrandwayBlock()].Ownable, 1);
  EXPECT_EQ(GameGoal().kind, OBJECTIVE_PROFIT);
  // The level's opening message names its objective with the target.
  bool told = false;
  for (int i = 0; i < 5; ++i) RunLogicTicks();
  for (const GameEvent& e : TakeGameEvents())
    if (const auto* p = std::get_if<ScriptPromptEvent>(&e))
      told = told || (p->action == kScriptPromptOpen && p->lines[1].number == static_cast<int32_t>(GameGoal().target));
  EXPECT_TRUE(told);

  // Paper wealth, not cash: a block held counts.
  CPlayer* me = PlayerTable().Local();
  me->ownedBlocks[LanternAvenue()] = 1;
  ASSERT_TRUE(Script().RunText("money, worth = Player.GetMoney(), Player.GetWorth()", "test", true));
  lua_State* L = Script().State();
  lua_getglobal(L, "money");
  lua_getglobal(L, "worth");
  EXPECT_FLOAT_EQ(static_cast<float>(lua_tonumber(L, -2)), me->money);
  EXPECT_FLOAT_EQ(static_cast<float>(lua_tonumber(L, -1)), PlayerData().GetPaperWealthForPlayer(me->index));
  EXPECT_GT(lua_tonumber(L, -1), lua_tonumber(L, -2));
  lua_pop(L, 2);
  me->ownedBlocks[LanternAvenue()] = 0;

  // The rivals' scripts leave the table of levels alone: the save pages
  // read a level's target from it while the game runs.
  ASSERT_TRUE(Script().RunText("target = FindLevel(200013).targets[2]", "test", true));
  lua_getglobal(L, "target");
  EXPECT_EQ(lua_tointeger(L, -1), int(GameGoal().target));
  lua_pop(L, 1);
}

// A console level switch from a running game seats the level's own rows
// (three_rivals asks for the player's token for a rival too): every level
// seats its players on tokens that can be told apart.
TEST_F(LevelsTest, EveryLevelStartedFromARunningGameSeatsDistinctTokens) {
  Start(200001, 1);
  ASSERT_TRUE(RunState().gameRunning);
  for (int32_t id : PlayableLevels()) {
    Start(id, 2);
    ASSERT_TRUE(RunState().gameRunning) << id;
    bool seen[kTokenCount] = {};
    for (int32_t slot = 0; slot < kMaxPlayers; ++slot) {
      const CPlayer* p = PlayerTable().Get(slot);
      if (p == nullptr || !p->inUse) continue;
      ASSERT_TRUE(p->character >= 0 && p->character < kTokenCount) << id << " slot " << slot;
      EXPECT_FALSE(seen[p->character]) << "level " << id << " seats token " << p->character << " twice";
      seen[p->character] = true;
    }
  }
}

// The sandbox and the open city are free play: no objective, so no profit
// ends them, and a player alone with the city plays on.
TEST_F(LevelsTest, FreePlayGoesOnWhateverThePlayerMakes) {
  for (int32_t id : {400002, 300001}) {
    SCOPED_TRACE(id);
    Start(id, 0);
    ASSERT_TRUE(RunState().gameRunning);
    EXPECT_EQ(GameGoal().kind, OBJECTIVE_NONE);
    EXPECT_EQ(PlayerTable().PlayerCount(), 1);
    // A day's profit beyond any level's target, and a second day begun.
    PlayerTable().Local()->AddToLedger(1e6f, kLedgerSales);
    PlayADay();
    PlayADay();
    EXPECT_TRUE(RunState().gameRunning);
    EXPECT_EQ(GameGoal().players[0].reached, 0);
    if (RunState().gameRunning) TheGame().EndGame(false, 0);
  }
}

TEST_F(LevelsTest, ClosedDistrictsGoUpForSaleOnTheirDay) {
  Start(200001, 1);
  ASSERT_EQ(g_Blocks[StrandwayBlock()].Ownable, 0);
  // Day 3 begins at midnight; the city's blocks change hands at 10.
  for (int day = 0; day < 3 && RunState().gameRunning; ++day) PlayADay();
  ASSERT_EQ(GameClock().dayCounter, 3);
  PlayUntil([] { return GameClock().hour == 11; });
  ASSERT_TRUE(RunState().gameRunning);
  EXPECT_EQ(g_Blocks[StrandwayBlock()].Ownable, 1);
}

}  // namespace

namespace {

// A level's opening message waits for its button (and times out as any).
TEST_F(LevelsTest, ALevelOpensWithItsMessageAndItsButton) {
  Start(200001, 1);
  ASSERT_TRUE(RunState().gameRunning);
  for (int i = 0; i < 5; ++i) RunLogicTicks();
  std::vector<ScriptPromptEvent> prompts;
  for (const GameEvent& e : TakeGameEvents())
    if (const auto* p = std::get_if<ScriptPromptEvent>(&e))
      if (p->action == kScriptPromptOpen) prompts.push_back(*p);
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_TRUE(prompts[0].withButton);
  EXPECT_FALSE(prompts[0].noTimeout);
}

TEST_F(LevelsTest, ATutorialOpensAloneOnItsLesson) {
  Start(100003, 0);
  ASSERT_TRUE(RunState().gameRunning);
  EXPECT_EQ(PlayerTable().PlayerCount(), 1);
  EXPECT_EQ(GameGoal().kind, OBJECTIVE_NONE);
  for (int i = 0; i < 5; ++i) RunLogicTicks();
  std::vector<ScriptPromptEvent> prompts;
  for (const GameEvent& e : TakeGameEvents())
    if (const auto* p = std::get_if<ScriptPromptEvent>(&e)) prompts.push_back(*p);
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_TRUE(prompts[0].withButton);
  EXPECT_TRUE(prompts[0].noTimeout);
  EXPECT_EQ(prompts[0].lines[0].textId, 2045);  // the third lesson's title
  EXPECT_EQ(prompts[0].lines[1].textId, 2004);
  EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

}  // namespace

namespace {

TEST_F(LevelsTest, ALevelsOwnHourlyRuleRuns) {
  // Boom Town's newcomers arrive at noon.
  Start(200004, 1);
  ASSERT_TRUE(RunState().gameRunning);
  PlayUntil([] { return GameClock().hour == 11; });
  const int32_t before = CurrentPeopleCount();
  PlayUntil([] { return GameClock().hour == 12; });
  EXPECT_EQ(CurrentPeopleCount(), before + 30);
  EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

}  // namespace
