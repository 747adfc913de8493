// The game root's sequences on the game's own scripts and data, without a
// window: a new game, a save and a load through the console, the end of a
// game, and the pause when the window loses the focus.
#include "app/game.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/game_parts.h"
#include "city/economy_services.h"
#include "city/city_services.h"
#include "city/people.h"
#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/core/run_state.h"
#include "engine/files/save_game.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "script/script.h"
#include "session/player.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "script/people_access.h"
#include "script/profiles.h"
#include "session/tick_driver.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

class GameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("game_test_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "profiles" / "p");
    for (const char* folder : {"scripts", "parameters", "gamedata"})
      if (fs::exists(fs::path(RC_GAME_ROOT) / folder))
        fs::copy(fs::path(RC_GAME_ROOT) / folder, dir_ / folder, fs::copy_options::recursive);
    // The level's city announces itself each time it is put up.
    std::ofstream(dir_ / "scripts" / "freeplay" / "hub.lua")
        << "function EVENT_Level(a) BuildStartingCity() C_TriggerEvent('CityBuilt', 0, 0) return 0 end\n";
    oldRoot_ = platform::GameRoot();
    platform::SetGameRoot(dir_.string());
    oldBoxes_ = platform::SetMessageBoxBackend(
        [this](std::string_view, std::string_view text, platform::BoxIcon, platform::BoxButtons) {
          boxes_.emplace_back(text);
          return platform::BoxResult::Ok;
        });
    oldSink_ = SetConsoleSink([this](std::string_view text, int) { replies_.emplace_back(text); });
    ThrowOnFatalError();
    ClearConsoleCommandTable();
    RegisterConsoleCommands();
    AttachGameConsoleCommands();
    RunState() = GameRunState{};
    GamePauseState().Reset();
    Session() = SessionState{};
    if (!MemoryManager().IsInitialised()) {
      ASSERT_TRUE(MemoryManager().Init(64u << 20, 16));
    }
    CreateEngineSystems();  // the night windows' texture
    TheGame().StartSimulation();
    GamePauseState().AddReason(0);  // as the game's start leaves it
  }

  void TearDown() override {
    Script().Destroy();
    DestroyEngineSystems();
    MemoryManager().Shutdown();
    PlayerTable().DeleteAllPlayers();
    PlayerTable().ClearPlayerSetupRows();
    RestoreDefaultSessionServices();
    RestoreDefaultEconomyServices();
    RestoreDefaultCityServices();
    ClearSaveHooks();
    ClearConsoleCommandTable();
    RunState() = GameRunState{};
    GamePauseState().Reset();
    Session() = SessionState{};
    SetConsoleSink(std::move(oldSink_));
    platform::SetMessageBoxBackend(std::move(oldBoxes_));
    platform::SetGameRoot(oldRoot_);
    fs::remove_all(dir_);
  }

  int Count(const std::vector<std::string>& lines, const std::string& part) const {
    int n = 0;
    for (const std::string& line : lines) n += line.find(part) != std::string::npos;
    return n;
  }
  Bytes Read(const char* save) const {
    std::ifstream in(dir_ / "profiles" / "p" / save, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const char* save, const Bytes& bytes) const {
    std::ofstream(dir_ / "profiles" / "p" / save, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void RunTicks(int n) {
    for (int i = 0; i < n; ++i) RunLogicTicks();
  }

  fs::path dir_;
  std::vector<std::string> boxes_;
  std::vector<std::string> replies_;

 private:
  std::string oldRoot_;
  platform::MessageBoxBackend oldBoxes_;
  ConsoleSink oldSink_;
};

TEST_F(GameTest, NewGameSaveLoadAndEnd) {
  std::strcpy(PlayerProfile().name, "p");
  FillDefaultPlayerSetup();
  TheGame().NewGame(&FreePlayLevel());
  EXPECT_TRUE(RunState().gameRunning);
  EXPECT_TRUE(Session().inGame);
  EXPECT_FALSE(GamePauseState().Paused());
  ASSERT_NE(PlayerTable().Local(), nullptr);
  EXPECT_GT(CurrentPeopleCount(), 0);
  EXPECT_EQ(Count(boxes_, "CityBuilt"), 1);

  RunTicks(100);
  ExecuteConsoleCommand("SAVEGAME slot");
  const Bytes saved = Read("slot");
  RunTicks(100);
  ASSERT_NE(Read("slot"), Bytes{});

  // A load puts back the saved game exactly, without putting up the level's
  // own city first.
  ExecuteConsoleCommand("LOADGAME slot");
  EXPECT_EQ(Count(replies_, "File slot loaded successfully"), 1);
  EXPECT_EQ(Count(boxes_, "CityBuilt"), 1);
  EXPECT_TRUE(RunState().gameRunning);
  ExecuteConsoleCommand("SAVEGAME again");
  EXPECT_EQ(Read("again"), saved);

  // A save of a level this program does not know is refused before the
  // running game is touched.
  Bytes unknown = saved;
  ASSERT_GT(unknown.size(), 60u);
  unknown[56] = 0x7F;  // the header's scenario id, after the 48-byte version chunk
  Write("unknown", unknown);
  ExecuteConsoleCommand("LOADGAME unknown");
  EXPECT_EQ(Count(replies_, "File unknown could not be loaded"), 1);
  ExecuteConsoleCommand("SAVEGAME after");
  EXPECT_EQ(Read("after"), saved);

  TheGame().EndGame(true, 1);
  EXPECT_FALSE(RunState().gameRunning);
  EXPECT_FALSE(Session().inGame);
  EXPECT_EQ(GamePauseState().Count(0), 1);
  EXPECT_EQ(CurrentPeopleCount(), 0);
}

TEST_F(GameTest, LosingTheFocusPausesOnlyASinglePlayerGame) {
  TheGame().Activate(false);
  TheGame().Activate(false);
  EXPECT_EQ(GamePauseState().Count(1), 1);  // never above one
  TheGame().Activate(true);
  EXPECT_EQ(GamePauseState().Count(1), 0);

  Session().networkSession = true;
  TheGame().Activate(false);
  EXPECT_EQ(GamePauseState().Count(1), 0);
}

}  // namespace
