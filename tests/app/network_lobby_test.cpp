// Two cityrun processes meet through the menus as players would, by a
// script of mouse clicks and typing: the host hosts from the session list,
// the other finds the session, joins the lobby, both chat, the guest steps
// its token and says it is ready, the host starts, and both play a game day
// in lockstep with the host's snapshot checks finding them in step. A host
// started from the command line, with no one at its menus, is found in the
// session list with its level and players, and joined from it.
#include "app/cityrun_fixture.h"

namespace {

// Sync checks are made every 200 ticks: the tick waited for must be one.
#if defined(__SANITIZE_ADDRESS__)
constexpr uint32_t kTicksInStep = 600;
#else
constexpr uint32_t kTicksInStep = 15000;
#endif

class NetworkLobbyTest : public CityrunTest {
 protected:
  fs::path Machine(const std::string& name, const std::string& menuScript) {
    const fs::path folder = MachineFolder(name);
    std::ofstream(folder / "parameters" / "parameter.prm", std::ios::app) << "\n" << menuScript;
    return folder;
  }
  std::vector<std::string> Args() const { return {"FRONTEND", "FULLSPEED", "PORT", Port()}; }
  std::string Port() const { return std::to_string(31000 + ::getpid() % 9000); }
  static std::string InStep(uint32_t tick) {
    return "Sync check at tick " + std::to_string(tick) + " with player 2: in step";
  }
};

// A new profile first (none exists), then the main menu's network entry.
constexpr const char* kHostScript = R"(MENU TYPE Hostess
MENU CLICK MAIN_BUTT04
MENU CLICK NETWORK_HOST_BUTTON
MENU CLICK NETWORK_HOST_OK_BUTTON
MENU LOBBY 2
MENU CLICK NETWORK_CHAT_CHAT_TYPEAREA
MENU TYPE hello from the host
MENU CLICK NETWORK_CHAT_START_BUTTON
)";

constexpr const char* kGuestScript = R"(MENU TYPE Guest
MENU CLICK MAIN_BUTT04
MENU CLICK NETWORK_SESSION_LIST 0
MENU CLICK NETWORK_JOIN_BUTTON
MENU CLICK NETWORK_CHAT_RIGHT_BUTT_P%L
MENU CLICK NETWORK_CHAT_CHAT_TYPEAREA
MENU TYPE hello from the guest
MENU CLICK NETWORK_CHAT_CHECKBOX_P%L
)";

TEST_F(NetworkLobbyTest, TwoMachinesMeetInTheLobbyAndPlayADayInStep) {
  const fs::path host = Machine("host", kHostScript);
  const fs::path guest = Machine("guest", kGuestScript);
  const fs::path hostLog = host / "run.log", guestLog = guest / "run.log";
  StartIn(host, hostLog.string(), Args());
  StartIn(guest, guestLog.string(), Args());
  ASSERT_TRUE(WaitForText(hostLog, "Lobby slot 2: Guest, human", 90)) << Read(hostLog) << Read(guestLog);
  // The chat crossed both ways; the guest's token moved off the host's.
  EXPECT_NE(Read(hostLog).find(": hello from the guest"), std::string::npos);
  EXPECT_TRUE(WaitForText(guestLog, ": hello from the host", 10)) << Read(guestLog);
  const std::string slots = Read(hostLog);
  EXPECT_NE(slots.find("Lobby slot 1: Hostess, human, token 0"), std::string::npos) << slots;
  EXPECT_NE(slots.find("Lobby slot 2: Guest, human, token 2"), std::string::npos) << slots;
  ASSERT_TRUE(WaitForText(hostLog, InStep(kTicksInStep), 240)) << Read(hostLog).substr(0, 8000);
  const std::string text = Read(hostLog);
  EXPECT_EQ(text.find("out of sync"), std::string::npos);
  EXPECT_EQ(text.find("[WARNING!]"), std::string::npos) << text.substr(0, 8000);
}

// The list's line is chosen and Join waits until it can be clicked: a
// session whose level the list does not know leaves it greyed out.
constexpr const char* kListGuestScript = R"(MENU TYPE Guest
MENU CLICK MAIN_BUTT04
MENU CLICK NETWORK_SESSION_LIST 0
MENU CLICK NETWORK_JOIN_BUTTON
)";

TEST_F(NetworkLobbyTest, AHostStartedFromTheCommandLineIsJoinedFromTheSessionList) {
  const fs::path host = MachineFolder("host");
  const fs::path guest = Machine("guest", kListGuestScript);
  const fs::path hostLog = host / "run.log", guestLog = guest / "run.log";
  StartIn(host, hostLog.string(), {"HOST", "PLAYERS", "2", "FULLSPEED", "PORT", Port(), "SESSIONNAME", "Friday"});
  ASSERT_TRUE(WaitForText(hostLog, "Hosting the network game", 90)) << Read(hostLog);
  StartIn(guest, guestLog.string(), Args());
  ASSERT_TRUE(WaitForText(guestLog, "Joining the network game Friday", 90)) << Read(guestLog) << Read(hostLog);
  // The host seats the player who came from the list by name, starts, and
  // both play in step.
  ASSERT_TRUE(WaitForText(hostLog, "Seat 2: Guest", 60)) << Read(hostLog);
  ASSERT_TRUE(WaitForText(hostLog, InStep(200), 240)) << Read(hostLog).substr(0, 8000);
  const std::string text = Read(hostLog);
  EXPECT_EQ(text.find("out of sync"), std::string::npos);
  EXPECT_EQ(text.find("[WARNING!]"), std::string::npos) << text.substr(0, 8000);
}

}  // namespace
