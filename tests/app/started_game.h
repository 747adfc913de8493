// Two ways the in-process game is started for whole-game tests: the bare
// simulation, or the simulation with the game-start and front-end scripts run
// as the program's start runs them. Each Open has its Close for TearDown.
#pragma once

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "app/game.h"
#include "engine/files/cache_archive.h"
#include "in_process_game.h"
#include "script/level_scripts.h"
#include "script/profiles.h"
#include "session/scenarios.h"

class StartedGameTest : public InProcessGameTest {
 protected:
  // The simulation running on the built scripts, parameters and game data,
  // with the profile "p" in use.
  void OpenStartedGame(const std::string& name) {
    OpenGameRoot(name, {"scripts", "parameters", "gamedata"});
    OpenGame();
    StartSimulation();
    std::strcpy(PlayerProfile().name, "p");
  }
  void CloseStartedGame() {
    TheGame().SetNewGameSeed(std::nullopt);
    CloseGame();
  }

  // The same with the fly-by paths, which come through the cache archive as in
  // the game, and the game-start city and the front end's level list loaded.
  void OpenScriptedGame(const std::string& name) {
    OpenGameRoot(name, {"scripts", "parameters", "gamedata", "gamedata2/paths"});
    OpenGame();
    std::filesystem::create_directories(dir_ / "max");
    ASSERT_TRUE(CacheArchive().Open((dir_ / "max" / "archive.bin").string(), 0));
    StartSimulation();
    std::strcpy(PlayerProfile().name, "p");
    ASSERT_TRUE(RunGameStartScripts());
    ASSERT_TRUE(RunFrontEndScripts());
  }
  void CloseScriptedGame() {
    CacheArchive().Close();
    ScenarioManager().Clear();
    CloseGame();
  }
};
