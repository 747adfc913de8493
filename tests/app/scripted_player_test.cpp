// A command script plays the single player of a headless free-play game:
// it leases an empty block (alone in the game, the city sells it at once),
// builds a shop on it when it holds it and prices the shop when it opens.
// Requests that break the panels' rules are refused with a reason and change
// nothing.
#include "app/cityrun_fixture.h"

namespace {

class ScriptedPlayerTest : public CityrunTest {};

TEST_F(ScriptedPlayerTest, AloneItLeasesBuildsAndPricesItsShop) {
  CopyCompiledData();
  for (const char* folder : {"scripts", "parameters"})
    fs::copy(fs::path(RC_GAME_ROOT) / folder, dir_ / folder, fs::copy_options::recursive);
  std::ofstream(dir_ / "parameters" / "parameter.prm", std::ios::app)
      << "\nWHEN TICK 5 BUILD 4 0 0 2 2 1 0\n"   // not the player's block
      << "LEASE 3\n"                            // a block the city never leases
      << "LEASE 4\n"
      << "WHEN BLOCK 4 BUILD 4 0 0 2 9 1 0\n"   // off the block's grid
      << "WHEN BLOCK 4 BUILD 4 0 0 2 2 1 99\n"  // no such business type
      << "WHEN BLOCK 4 BUILD 4 0 0 2 2 1 0\n"
      << "WHEN BLOCK 4 BUILD 4 1 1 2 2 1 0\n"   // on lots the first one holds
      << "WHEN SHOP SHOPPRICE 0 3\n"
      << "WHEN\nAUTOBID\nLEASE\n";              // usage
  const fs::path log = dir_ / "run.log";
  pid_t game = Start(log.string(), "FULLSPEED");
  ASSERT_TRUE(WaitForText(log, "Prices of business ", 120)) << Read(log).substr(0, 8000);
  const std::string text = Read(log);
  for (const char* line : {"Error. Block 4 is not yours to build on", "Error. Block 3 cannot be leased",
                           "Block 4 leased by player 1 for 400 at tick ",
                           "Error. No building of type 0 fits lots 0,0 size 2x9 of block 4",
                           "Error. No building of type 99 fits", "Player 1 builds type 0 on block 4 lots 0,0 to 1,1",
                           "Error. No building of type 0 fits lots 1,1 size 2x2 of block 4",
                           "goes up on block 4 at tick ", "Usage: WHEN", "Usage: AUTOBID", "Usage: LEASE"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text.substr(0, 8000);
  // One building only, priced once.
  EXPECT_EQ(text.find("goes up on block 4"), text.rfind("goes up on block 4"));
  EXPECT_EQ(text.find("Prices of business "), text.rfind("Prices of business "));
  ::kill(game, SIGTERM);
  int status = Wait(game);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
