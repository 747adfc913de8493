// The command line's COMPUTERS on a single-player start without the menus:
// the sandbox the first screen starts seats them beside the human, and a
// level started by STARTLEVEL takes them in place of its own rivals; without
// the keyword each start keeps its own players.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ai/computer_player.h"
#include "app/game.h"
#include "engine/core/console.h"
#include "engine/core/run_state.h"
#include "engine/core/system_settings.h"
#include "session/player.h"
#include "shell/startup.h"
#include "started_game.h"

namespace {

class CommandLineComputersTest : public StartedGameTest {
 protected:
  void SetUp() override {
    OpenStartedGame("command_line_computers");
    ASSERT_FALSE(HasFatalFailure());
  }
  void TearDown() override {
    if (RunState().gameRunning) TheGame().EndGame(false, 0);
    g_StartupOptions = StartupOptions{};
    CloseStartedGame();
  }

  void CommandLine(const char* line) {
    g_StartupOptions = StartupOptions{};
    ParseCommandLine(line, g_StartupOptions);
  }
  // The tokens of the game's players, slot by slot: the human's first, then
  // -1 - token for each computer player.
  std::vector<int32_t> Seats() const {
    std::vector<int32_t> seats;
    for (int32_t slot = 0; slot < kMaxPlayers; ++slot) {
      const CPlayer* p = PlayerTable().Get(slot);
      if (p == nullptr) continue;
      seats.push_back(ComputerPlayer(slot) ? -1 - p->character : p->character);
    }
    return seats;
  }
};

TEST_F(CommandLineComputersTest, TheSandboxStartSeatsTheGivenComputerPlayersBesideTheHuman) {
  CommandLine("NOFRONTEND COMPUTERS 2");
  TheGame().StartFirstScreen();
  ASSERT_TRUE(RunState().gameRunning);
  ASSERT_NE(PlayerTable().Local(), nullptr);
  const int32_t human = PlayerTable().Local()->character;
  // The two lowest tokens the human leaves free, each a computer player.
  std::vector<int32_t> expected{human};
  for (int32_t token = 0; expected.size() < 3; ++token)
    if (token != human) expected.push_back(-1 - token);
  EXPECT_EQ(Seats(), expected);
  EXPECT_EQ(PlayerTable().Get(1)->name, std::string("Computer 2"));
  // The game goes on with them.
  for (int i = 0; i < 200; ++i) RunLogicTicks();
  EXPECT_TRUE(RunState().gameRunning);
  EXPECT_EQ(PlayerTable().PlayerCount(), 3);
}

TEST_F(CommandLineComputersTest, WithoutTheKeywordTheSandboxIsTheHumansAlone) {
  CommandLine("NOFRONTEND");
  TheGame().StartFirstScreen();
  ASSERT_TRUE(RunState().gameRunning);
  EXPECT_EQ(PlayerTable().PlayerCount(), 1);
}

// The three-rival level: its own rivals unless COMPUTERS is given, then
// exactly that many, none included.
TEST_F(CommandLineComputersTest, ALevelsOwnRivalsMakeWayForTheGivenCount) {
  const std::pair<const char*, int32_t> cases[] = {{"NOFRONTEND", 4}, {"NOFRONTEND COMPUTERS 1", 2},
                                                   {"NOFRONTEND COMPUTERS 0", 1}, {"COMPUTERS 5", 6}};
  for (const auto& [line, players] : cases) {
    SCOPED_TRACE(line);
    CommandLine(line);
    ExecuteConsoleCommand("STARTLEVEL 200013 1");
    ASSERT_TRUE(RunState().gameRunning);
    EXPECT_EQ(PlayerTable().PlayerCount(), players);
    int32_t computers = 0;
    for (int32_t slot = 0; slot < kMaxPlayers; ++slot) computers += ComputerPlayer(slot) != nullptr;
    EXPECT_EQ(computers, players - 1);
    TheGame().EndGame(false, 0);
  }
}

}  // namespace
