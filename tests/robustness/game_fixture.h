#pragma once
// A running game for the robustness tests: the fixture city (buildings,
// businesses, households, people, traffic) under a real session with three
// players, every subsystem's save chunks registered as the program's start
// registers them, every console command attached, and loads through the
// simulation's part of the game root's load. Message
// boxes and console replies are captured; the game root is a scratch folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "city/city_commands.h"
#include "city/city_save.h"
#include "city/city_services.h"
#include "city/construction_jobs.h"
#include "city/economy.h"
#include "session/utility_income.h"
#include "city/fixture_city.h"
#include "city/people.h"
#include "city/prestige_textures.h"
#include "city/traffic.h"
#include "engine/core/error.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "session/auction.h"
#include "session/chance_cards.h"
#include "session/event_queue.h"
#include "session/game_clock.h"
#include "session/player.h"
#include "session/session.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/simulation.h"
#include "session/stats_history.h"
#include "session/tick_driver.h"
#include "engine/core/console.h"
#include "app/game.h"
#include "engine/core/run_state.h"
#include "session/save_chunks.h"

// The program fixes its random streams' order in Game::Prepare, before
// anything draws; a test process does the same once, before its first test.
inline const bool kRandomStreamsInProgramOrder = (RegisterRandomStreams(), true);

class RunningGameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Memory-backed when there is one: the tests write thousands of saves.
    const std::filesystem::path shm = "/dev/shm";
    root_ = (std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path()) /
            ("rc_robust_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "parameters");
    std::filesystem::create_directories(root_ / "profiles" / "test");
    oldRoot_ = platform::GameRoot();
    platform::SetGameRoot(root_.string());
    oldBoxes_ = platform::SetMessageBoxBackend(
        [this](std::string_view, std::string_view, platform::BoxIcon, platform::BoxButtons) {
          ++boxes;
          return platform::BoxResult::Ok;
        });
    oldSink_ = SetConsoleSink([this](std::string_view, int kind) { consoleErrors += kind == kConsoleError; });
    ThrowOnFatalError();

    // The game root's one reset, as a new game begins, then the fixture city
    // (a running game from a new game's nine o'clock).
    TheGame().Reset();
    FixtureCityOptions city;
    city.People = 150;
    city.CarsPerBand = 20;
    city.TaxisPerBand = 5;
    city.StartHour = 9;
    BuildFixtureCity(city);
    WireSubsystems();

    // The program's run and pause state and the lobby's rows are no game
    // state: each test starts them afresh.
    GamePauseState().Reset();
    RunState().quit = false;
    PlayerTable().ClearPlayerSetupRows();
    ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerHuman, 0, "Me"));
    ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerComputer, 1, "Cpu"));
    ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerHuman, 0, "Other"));
    PlayerTable().SetLocal(PlayerTable().Get(0));
    for (int i = 0; i < 3; ++i) PlayerTable().SetupRow(i).directPlayId = 100 + i;
    // Some history: people out and about, money moved, statistics sampled.
    RunTicks(60);
  }

  void TearDown() override {
    TheGame().Reset();
    ClearSaveHooks();
    ClearConsoleCommandTable();
    RestoreDefaultSessionServices();
    RestoreDefaultCityServices();
    GamePauseState().Reset();
    SetConsoleSink(std::move(oldSink_));
    platform::SetMessageBoxBackend(std::move(oldBoxes_));
    platform::SetGameRoot(oldRoot_);
    std::filesystem::remove_all(root_);
  }

  // The save chunks and console commands of every subsystem, as the
  // program's start attaches them (the fixture city stands in for the map's).
  static void WireSubsystems() {
    ClearSaveHooks();
    ClearConsoleCommandTable();
    RegisterConsoleCommands();
    SetSaveProfileSource([] { return std::string("test"); });
    RegisterCitySaveHooks();
    RegisterTrafficSaveHooks();
    RegisterPeopleSaveHooks();
    RegisterEconomySaveHooks();
    RegisterEconomyConsoleCommands();
    RegisterCityConsoleCommands();
    RegisterPrestigeTextureCommand();
    AttachGameConsoleCommands();
    InitSession();
  }

  // The game root's load (Game::Load) without the level's scripts, which the
  // scratch root does not have (a new script state would zero the tweaks the
  // tests set): the whole file checked, the simulation reset, the chunks
  // applied, the load finished, the game running.
  static bool LoadGame(std::string_view name) {
    SaveGameFile file;
    if (!OpenSaveGame(name, file)) return false;
    // The level's scripts would set the tweaks again after the reset: the
    // test's stand in for them.
    const GameTweaks level = Tweaks();
    ResetSimulation();
    Tweaks() = level;
    ApplySaveChunks(file, kSaveAll);
    FinishSimulationLoad();
    RunState().gameRunning = true;
    GamePauseState().RemoveReason(0);
    return true;
  }

  void RunTicks(int n) {
    for (int i = 0; i < n; ++i) RunLogicTicks();
  }

  std::string SavePath(const char* name) const { return (root_ / "profiles" / "test" / name).string(); }

  static std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::vector<uint8_t> bytes(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
  }
  static void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  // The whole saved state of the running game: a save written now, as bytes.
  std::vector<uint8_t> Snapshot() {
    EXPECT_TRUE(SaveGame("snapshot.sav"));
    return ReadFile(SavePath("snapshot.sav"));
  }

  int boxes = 0;
  int consoleErrors = 0;
  std::filesystem::path root_;

 private:
  std::string oldRoot_;
  platform::MessageBoxBackend oldBoxes_;
  ConsoleSink oldSink_;
};
