// The in-process game as the program's start leaves it, for whole-game
// tests: the simulation, the game-start and front-end scripts and the
// parameter files, with the fly-by paths at hand. Open has its Close for
// TearDown.
#pragma once

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "app/game.h"
#include "engine/files/cache_archive.h"
#include "in_process_game.h"
#include "script/profiles.h"

class StartedGameTest : public InProcessGameTest {
 protected:
  // On the built scripts, parameters and game data, with the profile "p" in
  // use; the fly-by paths a loaded level's scripts ask for come through the
  // cache archive as in the game.
  void OpenStartedGame(const std::string& name) {
    OpenGameRoot(name, {"scripts", "parameters", "gamedata", "gamedata2/paths"});
    OpenGame();
    std::filesystem::create_directories(dir_ / "max");
    ASSERT_TRUE(CacheArchive().Open((dir_ / "max" / "archive.bin").string(), 0));
    std::strcpy(PlayerProfile().name, "p");
    StartSimulation();
  }
  void CloseStartedGame() {
    TheGame().SetNewGameSeed(std::nullopt);
    CacheArchive().Close();
    CloseGame();
  }
};
