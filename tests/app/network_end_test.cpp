// Ending a network game closes its session and stops the network poll on
// this machine: the next game is single player again (it saves, pauses with
// the focus, draws its own seed) whatever ended the network one.
#include <gtest/gtest.h>

#include <memory>

#include "app/game.h"
#include "app/game_parts.h"
#include "app/network_game.h"
#include "engine/core/run_state.h"
#include "engine/core/system_settings.h"
#include "platform/net_transport.h"
#include "session/player.h"
#include "session/session_state.h"
#include "started_game.h"

namespace {

// A host alone in its session: enough for the game to start its level.
class LoneHost final : public platform::NetTransport {
 public:
  explicit LoneHost(bool* closed) : closed_(closed) {}
  bool HostSession(const std::string&, uint16_t, const std::string&, const std::string&) override {
    return open_ = true;
  }
  bool JoinSession(const std::string&, uint16_t, const std::string&, const std::string&, uint32_t) override {
    return false;
  }
  bool EnumerateSessions(const std::string&, uint16_t) override { return false; }
  std::vector<platform::NetSessionInfo> Sessions() const override { return {}; }
  void StopSessionEnumeration() override {}
  bool SendToAll(const uint8_t*, size_t) override { return open_; }
  bool SendToPlayer(uint32_t, const uint8_t*, size_t) override { return open_; }
  bool SendChat(const std::string&, uint32_t) override { return open_; }
  void DisableJoining() override {}
  void EnableJoining() override {}
  void SetSessionUserValues(const int32_t[4]) override {}
  std::vector<platform::NetEvent> Poll() override { return {}; }
  void CloseSession() override {
    open_ = false;
    *closed_ = true;
  }
  bool InSession() const override { return open_; }
  bool IsHost() const override { return true; }
  uint32_t LocalId() const override { return 1; }
  uint32_t HostId() const override { return 1; }
  int32_t PlayerCount() const override { return 1; }

 private:
  bool open_ = false;
  bool* closed_;
};

class NetworkEndTest : public StartedGameTest {
 protected:
  void SetUp() override {
    OpenStartedGame("network_end");
    ASSERT_FALSE(HasFatalFailure());
  }
  void TearDown() override {
    if (RunState().gameRunning) TheGame().EndGame(false, 0);
    TheNetworkGame().End();
    g_StartupOptions = StartupOptions{};
    CloseStartedGame();
  }
};

TEST_F(NetworkEndTest, QuittingANetworkGameLeavesASinglePlayerMachine) {
  StartupOptions options;
  options.hostSession = true;
  options.networkPlayers = 1;
  bool closed = false;
  ASSERT_TRUE(TheNetworkGame().OpenWith(std::make_unique<LoneHost>(&closed), options));
  PollNetwork();  // everyone is in: the level starts
  ASSERT_TRUE(RunState().gameRunning);
  ASSERT_TRUE(Session().networkSession);
  const int32_t networkSeed = Session().networkSeed;

  TheGame().EndGame(false, 0);  // the in-game menu's quit
  EXPECT_TRUE(closed);
  EXPECT_FALSE(Session().networkSession);
  EXPECT_FALSE(TheNetworkGame().IsOpen());

  // The next game is this machine's own.
  TheGame().SetNewGameSeed(uint32_t(networkSeed) + 17u);
  TheGame().NewGame(&FreePlayLevel());
  ASSERT_TRUE(RunState().gameRunning);
  EXPECT_FALSE(Session().networkSession);
  EXPECT_TRUE(TheGame().Save("after_network"));
  TheGame().Activate(false);
  EXPECT_TRUE(GamePauseState().Paused());
  TheGame().Activate(true);
}

}  // namespace
