// A command script plays the single player of a headless free-play game:
// it leases an empty block (alone in the game, the city sells it at once),
// builds a shop on it when it holds it and prices the shop when it opens.
// Requests that break the panels' rules are refused with a reason and change
// nothing. Panel commands given before the game runs all wait for it.
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

// The level's start gives the player the city's first shop and first
// apartments, for the panel commands to work on.
constexpr const char* kGiveShopAndHome = R"(
local StartLevel = EVENT_Level
function EVENT_Level(argument)
  local result = StartLevel(argument)
  local shop, home = false, false
  for i = 0, 599 do
    local b = Business[i]
    if b:GetPropertyAddress() >= 0 and b:GetOwner() == 0 then
      if not shop and b:GetType() < 42 then b:SetOwner(1); shop = true end
      if not home and b:GetType() == 42 then b:SetOwner(1); home = true end
    end
  end
  return result
end
)";

// Every panel command of the parameter file waits for the game and runs in
// the order given; one that cannot act names itself and says why.
TEST_F(ScriptedPlayerTest, PanelCommandsGivenBeforeTheGameAllRunInOrder) {
  CopyCompiledData();
  for (const char* folder : {"scripts", "parameters"})
    fs::copy(fs::path(RC_GAME_ROOT) / folder, dir_ / folder, fs::copy_options::recursive);
  std::ofstream(dir_ / "scripts" / "freeplay" / "hub.lua", std::ios::app) << kGiveShopAndHome;
  std::ofstream(dir_ / "parameters" / "parameter.prm", std::ios::app)
      << "\nSHOPPRICE 0 3\n"
      << "SHOPPRICE 9 1\n"  // no such row
      << "HOMERENT 2\n"
      << "HOMERENT 1 599\n";  // not a home of the player's
  const fs::path log = dir_ / "run.log";
  pid_t game = Start(log.string(), "FULLSPEED");
  ASSERT_TRUE(WaitForText(log, "Error. HOMERENT 1 599: ", 120)) << Read(log).substr(0, 8000);
  const std::string text = Read(log);
  const std::string lines[] = {" row 0: price ", "Error. SHOPPRICE 9 1: shop ", " rent ",
                               "Error. HOMERENT 1 599: no residence of yours to let"};
  size_t from = 0;
  for (const std::string& line : lines) {
    const size_t at = text.find(line, from);
    ASSERT_NE(at, std::string::npos) << line << "\n" << text.substr(0, 8000);
    from = at;
  }
  EXPECT_NE(text.find("has no row 9"), std::string::npos) << text.substr(0, 8000);
  // The changes were sent as the panels send them.
  EXPECT_TRUE(WaitForText(log, "Prices of business ", 60)) << Read(log).substr(0, 8000);
  ::kill(game, SIGTERM);
  int status = Wait(game);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
