// Starting and ending a level: the shell's own parts and the subsystems'
// steps in their order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/scene/animation.h"
#include "engine/core/random_stream.h"
#include "shell/game_level.h"
#include "shell/game_loop.h"
#include "engine/files/save_game.h"

namespace {

class GameLevelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GamePauseState().Reset();
    RunState() = GameRunState{};
    GameScheduler().Init();
    RegisterGameTasks();
    GamePauseState().AddReason(0);  // as the game start leaves it
    AddResetStep([this] { Note("reset"); });
  }
  void TearDown() override {
    ClearGameSteps();
    ClearLevelSteps();
    GamePauseState().Reset();
    RunState() = GameRunState{};
    GameTime() = GameTimeWords{};
    EndGameWord() = 0;
  }
  void Note(const std::string& what) { log_.push_back(what); }
  bool LogicEnabled() { return GameScheduler().Task(RunState().logicTask).enabled != 0; }

  std::vector<std::string> log_;
};

TEST_F(GameLevelTest, StartLevelRunsTheStepsInOrderAndStartsTheGame) {
  AddLevelStartStep(LevelStartPhase::Scripts, [this](const LevelEntry* level) {
    EXPECT_EQ(GamePauseState().Count(0), 0);  // the start-up pause is gone
    Note("scripts " + (level ? level->folder : std::string("none")));
  });
  AddLevelStartStep(LevelStartPhase::Players, [this](const LevelEntry*) { Note("players"); });
  AddLevelStartStep(LevelStartPhase::Setup, [this](const LevelEntry*) {
    EXPECT_EQ(GameTime().screenMode, 0);
    Note("setup");
  });
  AddLevelStartStep(LevelStartPhase::Running, [this](const LevelEntry*) {
    EXPECT_TRUE(RunState().gameRunning);
    Note("running");
  });
  GameTime().screenMode = 4;

  const LevelEntry level{200001, "freeplay"};
  EXPECT_FALSE(RunState().gameRunning);
  StartLevel(&level);
  EXPECT_EQ(log_, (std::vector<std::string>{"reset", "scripts freeplay", "players", "setup", "running"}));
  EXPECT_TRUE(RunState().gameRunning);
  EXPECT_FALSE(GamePauseState().Paused());
  EXPECT_TRUE(LogicEnabled());
  ASSERT_NE(CurrentLevelEntry(), nullptr);
  EXPECT_EQ(CurrentLevelEntry()->id, 200001);

  // Starting the current level again (the entry is the shell's own copy),
  // then the default level with none.
  log_.clear();
  StartLevel(CurrentLevelEntry());
  EXPECT_EQ(log_[1], "scripts freeplay");
  log_.clear();
  StartLevel(nullptr);
  EXPECT_EQ(log_[1], "scripts none");
  EXPECT_EQ(CurrentLevelEntry(), nullptr);
}

TEST_F(GameLevelTest, NetworkGamesSeedEveryStreamWithTheSharedSeed) {
  bool network = true;
  SetNetworkGameQuery([&] { return network; });
  SetNetworkSeedSource([] { return 1234u; });
  StartLevel(nullptr);
  const uint32_t started = EntAnimRandom().GetState();
  SeedRandomStreams(1234);
  EXPECT_EQ(EntAnimRandom().GetState(), started);

  // A single player never asks for the network seed.
  network = false;
  SetNetworkSeedSource([] {
    ADD_FAILURE() << "network seed asked outside a network game";
    return 0u;
  });
  StartLevel(nullptr);
}

TEST_F(GameLevelTest, EndGameStopsTheGameThenRunsTheStepsInOrder) {
  StartLevel(nullptr);
  log_.clear();
  EndGameWord() = 1;
  AddGameEndStep(GameEndPhase::Stop, [this](bool, int32_t) {
    EXPECT_TRUE(RunState().gameRunning);
    EXPECT_FALSE(GamePauseState().Paused());
    Note("stop");
  });
  AddGameEndStep(GameEndPhase::Leave, [this](bool, int32_t) {
    EXPECT_FALSE(RunState().gameRunning);
    EXPECT_TRUE(GamePauseState().Paused());
    EXPECT_EQ(GameTime().screenMode, 4);
    Note("leave");
  });
  AddGameEndStep(GameEndPhase::Result, [this](bool finished, int32_t outcome) {
    Note("result " + std::to_string(finished) + " " + std::to_string(outcome));
  });
  AddGameEndStep(GameEndPhase::Cleanup, [this](bool, int32_t) {
    EXPECT_EQ(EndGameWord(), 1);  // still there for the result screens
    Note("cleanup");
  });

  EndGame(true, 1);
  EXPECT_EQ(log_, (std::vector<std::string>{"stop", "leave", "result 1 1", "cleanup"}));
  EXPECT_EQ(EndGameWord(), 0);
  EXPECT_EQ(GamePauseState().Count(0), 1);
  EXPECT_FALSE(LogicEnabled());

  // A game paused already (the pause switch) gains no further reason.
  ClearLevelSteps();
  StartLevel(nullptr);
  GamePauseState().AddReason(3);
  EndGame(false, 0);
  EXPECT_EQ(GamePauseState().Count(0), 0);
  GamePauseState().RemoveReason(3);
  EXPECT_FALSE(GamePauseState().Paused());
}

}  // namespace
