// The game's simulation started in the test's own process, on a temporary
// copy of the built game root, as the program's start does: the console
// table, the run, pause and session state, the heap and the engine systems,
// then the simulation with the start-up's scripts and parameter files (the
// program's own steps, in its order; the window and drawing left out).
// A test calls OpenGame, adds what its case needs, then StartSimulation; its
// TearDown calls CloseGame last.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/game_parts.h"
#include "city/city_services.h"
#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/core/run_state.h"
#include "engine/files/save_game.h"
#include "panels/hud_panels.h"
#include "session/save_chunks.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "script/script.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "ui/game_requests.h"

// The program fixes its random streams' order in Game::Prepare, before
// anything draws; a test process does the same once, before its first test,
// whichever test that is (a reset constructs the chance deck's stream).
inline const bool kRandomStreamsInProgramOrder = (RegisterRandomStreams(), true);

class InProcessGameTest : public ::testing::Test {
 protected:
  // A fresh game root named for the test, holding copies of `folders` of the
  // built one and a profile folder "p"; message boxes and console replies are
  // kept instead of shown.
  void OpenGameRoot(const std::string& name, std::initializer_list<const char*> folders) {
    dir_ = std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "profiles" / "p");
    for (const char* folder : folders) {
      const std::filesystem::path from = std::filesystem::path(RC_GAME_ROOT) / folder;
      if (!std::filesystem::exists(from)) continue;
      std::filesystem::create_directories(dir_ / folder);
      std::filesystem::copy(from, dir_ / folder, std::filesystem::copy_options::recursive);
    }
    oldRoot_ = platform::GameRoot();
    platform::SetGameRoot(dir_.string());
    oldBoxes_ = platform::SetMessageBoxBackend(
        [this](std::string_view, std::string_view text, platform::BoxIcon, platform::BoxButtons) {
          boxes_.emplace_back(text);
          return platform::BoxResult::Ok;
        });
    oldSink_ = SetConsoleSink([this](std::string_view text, int) { replies_.emplace_back(text); });
  }

  // The console, the state and the engine as the game's start leaves them.
  void OpenGame() {
    ThrowOnFatalError();
    RegisterRandomStreams();  // in the program's order, before anything draws
    ClearConsoleCommandTable();
    RegisterConsoleCommands();
    AttachGameConsoleCommands();
    RunState() = GameRunState{};
    GamePauseState().Reset();
    CurrentSaveHeader() = SaveGameHeader{};  // the menus' difficulty as at the start
    ClearGameRequests();  // nothing an earlier game asked for
    if (!MemoryManager().IsInitialised()) {
      ASSERT_TRUE(MemoryManager().Init(64u << 20, kGameHeapAlignment));
    }
    CreateEngineSystems();  // the night windows' texture
    // Whatever an earlier test of this process left, the game starts from
    // the program's one reset.
    TheGame().Reset();
  }

  void StartSimulation() {
    TheGame().StartSimulation();
    GamePauseState().AddReason(0);  // as the game's start leaves it
    ASSERT_TRUE(TheGame().RunStartupFiles());
  }

  // The program's own end of the simulation (the game root's one reset, the
  // city's entities released) and of the HUD a test may have made, as its
  // Shutdown does while the engine stands; then the engine, the heap and the
  // program's start-up wiring.
  void CloseGame() {
    TheGame().ReleaseSimulation();
    ReleaseHudPanelSets();
    ClearGameRequests();
    Script().Destroy();
    ScenarioManager().Clear();  // the front end's levels
    DestroyEngineSystems();
    MemoryManager().Shutdown();
    PlayerTable().ClearPlayerSetupRows();
    RestoreDefaultSessionServices();
    RestoreDefaultCityServices();
    ClearSaveHooks();
    ClearConsoleCommandTable();
    RunState() = GameRunState{};
    GamePauseState().Reset();
    SetConsoleSink(std::move(oldSink_));
    platform::SetMessageBoxBackend(std::move(oldBoxes_));
    platform::SetGameRoot(oldRoot_);
    std::filesystem::remove_all(dir_);
  }

  std::filesystem::path dir_;
  std::vector<std::string> boxes_;
  std::vector<std::string> replies_;

 private:
  std::string oldRoot_;
  platform::MessageBoxBackend oldBoxes_;
  ConsoleSink oldSink_;
};
