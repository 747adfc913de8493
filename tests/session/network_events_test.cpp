// The session's side of the transport: players created fill the host's
// set-up rows while it gathers; a player who goes during the game leaves at
// one tick on every machine (the host posts the removal and broadcasts it);
// a client takes the host's set-up and finds its slot; a lost session ends
// the network game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "session/game_messages.h"
#include "session/ready_barrier.h"
#include "session/tick_driver.h"
#include "session/wall_clock.h"
#include "session_fixture.h"

namespace {

// The wall clock the host's waits read, driven by the test.
struct TestWallClock {
  static inline int64_t ms = 0;
  TestWallClock() {
    ms = 0;
    SetWallClock([] { return ms; });
  }
  ~TestWallClock() { SetWallClock(nullptr); }
};

struct SentBlocks : SessionNetworkServices {
  std::vector<std::vector<uint8_t>> toAll, toHost;
  std::vector<int32_t> toSlot, dropped;
  std::vector<std::string> chat;
  void SendToAll(std::span<const uint8_t> b) override { toAll.emplace_back(b.begin(), b.end()); }
  void SendToHost(std::span<const uint8_t> b) override { toHost.emplace_back(b.begin(), b.end()); }
  void SendToSlot(int32_t slot, std::span<const uint8_t>) override { toSlot.push_back(slot); }
  void SendChat(std::string_view text, int32_t) override { chat.emplace_back(text); }
  void DropSlot(int32_t slot) override { dropped.push_back(slot); }
};

struct EndingGame : RecordingGame {
  using RecordingGame::RecordingGame;
  int ended = 0;
  void EndNetworkGame() override { ++ended; }
};

class NetworkEventsTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    SetSessionNetworkServices(&net);
    SetSessionGameServices(&ending);
    Session().networkSession = true;
  }
  SentBlocks net;
  EndingGame ending{&log};
};

TEST_F(NetworkEventsTest, HostGathersPlayersIntoFreeRowsUntilTheGameStarts) {
  Session().host = true;
  OnDirectPlayPlayerCreated(1, "host");
  OnDirectPlayPlayerCreated(7, "seven");
  OnDirectPlayPlayerCreated(9, "a name far longer than any set-up row can hold");
  CPlayerTable& t = PlayerTable();
  EXPECT_EQ(t.SetupRow(1).directPlayId, 7);
  EXPECT_EQ(t.SetupRow(1).kind, kPlayerHuman);
  EXPECT_STREQ(t.SetupRow(1).name, "seven");
  EXPECT_EQ(std::strlen(t.SetupRow(2).name), sizeof t.SetupRow(2).name - 1);
  // One leaves before the start: the row is free for the next.
  OnDirectPlayPlayerDestroyed(7);
  EXPECT_EQ(t.SetupRow(1).kind, kPlayerEmpty);
  OnDirectPlayPlayerCreated(11, "eleven");
  EXPECT_EQ(t.SetupRow(1).directPlayId, 11);
  // Clients never fill rows themselves: they take the host's.
  Session().host = false;
  OnDirectPlayPlayerCreated(12, "twelve");
  EXPECT_EQ(t.SetupRow(3).kind, kPlayerEmpty);
}

// Players gathered by the host can be told apart: each row has its own
// token (the host's its wish when free) and its own name.
TEST_F(NetworkEventsTest, GatheredPlayersGetTokensAndNamesOfTheirOwn) {
  Session().host = true;
  OnDirectPlayPlayerCreated(1, "Player", 3);
  OnDirectPlayPlayerCreated(7, "Player", 3);  // the wish is taken
  OnDirectPlayPlayerCreated(8, "Player");
  OnDirectPlayPlayerCreated(9, std::string(40, 'x'));
  OnDirectPlayPlayerCreated(10, std::string(40, 'x'));
  OnDirectPlayPlayerCreated(11, "Ann", 42);  // no such token
  CPlayerTable& t = PlayerTable();
  const int32_t tokens[] = {3, 0, 1, 2, 4, 5};
  const std::string names[] = {"Player", "Player 2", "Player 3", std::string(31, 'x'), std::string(29, 'x') + " 2", "Ann"};
  for (int row = 0; row < 6; ++row) {
    EXPECT_EQ(t.SetupRow(row).character, tokens[row]) << row;
    EXPECT_EQ(t.SetupRow(row).name, names[row]) << row;
  }
}

TEST_F(NetworkEventsTest, APlayerWhoGoesDuringTheGameLeavesAtOneTickEverywhere) {
  Session().host = true;
  OnDirectPlayPlayerCreated(1, "host");
  OnDirectPlayPlayerCreated(7, "seven");
  Session().inGame = true;
  PlayerTable().CreateSessionPlayers();
  ASSERT_NE(PlayerTable().Get(1), nullptr);
  RunTicks(3);
  ASSERT_TRUE(BeginPlayerReadyWait());
  OnDirectPlayPlayerDestroyed(99);  // nobody's id: nothing
  EXPECT_TRUE(net.toAll.empty());
  OnDirectPlayPlayerDestroyed(7);
  ASSERT_EQ(net.toAll.size(), 1u);
  CNetMessage sent;
  ASSERT_TRUE(sent.Parse(net.toAll[0]));
  EXPECT_EQ(sent.Type(), RemovePlayerMsg::kType);
  EXPECT_EQ(sent.Delivery(), 3u + kMessageDeliveryLead);
  // A barrier does not wait for the departed player.
  EXPECT_EQ(PlayerReadyBarrier().ready[1], 1);
  EndPlayerReadyWait();
  // A client hears of the departure too, but only the host's message acts.
  Session().host = false;
  OnDirectPlayPlayerDestroyed(7);
  EXPECT_EQ(net.toAll.size(), 1u);
  EXPECT_TRUE(net.toHost.empty());
  // At its tick the player leaves, holdings and all, and the ticker names it.
  PlayerTable().Get(1)->TakeBlock(5, 0.0f);
  ClearGameEvents();
  Session().host = true;
  RunTicks(static_cast<int>(kMessageDeliveryLead));
  EXPECT_FALSE(PlayerTable().Get(1)->inUse);
  EXPECT_EQ(g_Blocks[5].Owner, 0);
  int named = 0;
  for (const GameEvent& e : TakeGameEvents())
    if (const auto* t = std::get_if<TickerEvent>(&e))
      named += t->record.kind == kStatusPlayerLeft && t->record.player == PlayerNumber{2};
  EXPECT_EQ(named, 1);
}

TEST_F(NetworkEventsTest, ClientTakesTheHostsSetUpAndFindsItsSlot) {
  Session().host = false;
  Session().localDirectPlayId = 9;
  LobbySetupMsg setup;
  const int32_t ids[6] = {1, 5, 9, 0, 0, 0};
  // Slot kinds: human, computer, open, closed; -1 is no token.
  const int8_t kinds[6] = {0, 0, 0, 1, 2, 3};
  const int8_t tokens[6] = {-1, -1, -1, 4, -1, -1};
  for (int i = 0; i < 6; ++i) {
    setup.directPlayId[i] = ids[i];
    setup.kinds[i] = kinds[i];
    setup.tokens[i] = tokens[i];
    std::snprintf(setup.names[i], sizeof setup.names[i], "p%d", i);
  }
  OnDirectPlayGameMessage(EncodeMessage(setup).Bytes(), 1);
  CPlayerTable& t = PlayerTable();
  EXPECT_EQ(Session().localSlot, 2);
  EXPECT_EQ(t.SetupRow(2).directPlayId, 9);
  EXPECT_STREQ(t.SetupRow(1).name, "p1");
  EXPECT_EQ(t.SetupRow(0).character, -1);
  EXPECT_EQ(t.SetupRow(3).kind, kPlayerComputer);
  EXPECT_EQ(t.SetupRow(3).character, 4);
  EXPECT_EQ(t.SetupRow(4).kind, kPlayerEmpty);
  EXPECT_EQ(t.SetupRow(4).character, -1);
  EXPECT_EQ(t.SetupRow(5).kind, kPlayerEmpty);
  Session().inGame = true;
  t.CreateSessionPlayers();
  ASSERT_NE(t.Local(), nullptr);
  EXPECT_EQ(t.Local()->index, 2);
}

TEST_F(NetworkEventsTest, ALostSessionEndsTheNetworkGame) {
  OnDirectPlaySessionLost();
  EXPECT_TRUE(Session().sessionLost);
  EXPECT_EQ(ending.ended, 1);
}

// A client that joined and never answers the ready barrier: the others hear
// whom they wait for, and after the deadline it is sent away and the game
// starts without it.
TEST_F(NetworkEventsTest, TheHostStopsWaitingForAMachineThatNeverGetsReady) {
  TestWallClock clock;
  Session().host = true;
  OnDirectPlayPlayerCreated(1, "host");
  OnDirectPlayPlayerCreated(7, "quiet");
  OnDirectPlayPlayerCreated(8, "prompt");
  Session().inGame = true;
  PlayerTable().CreateSessionPlayers();
  PlayerTable().SetLocal(PlayerTable().Get(0));
  ASSERT_TRUE(BeginPlayerReadyWait());
  OnPlayerReady(PlayerReadyMsg{PlayerIndex{2}, false});  // the prompt one answers
  auto seconds = [](int n) {
    for (int i = 0; i < 5 * n; ++i) {  // five polls a second
      TestWallClock::ms += 200;
      RunPlayerReadyWait();
    }
  };
  seconds(kReadyNoticeSeconds - 1);
  EXPECT_TRUE(net.chat.empty());
  seconds(1);
  EXPECT_EQ(net.chat, std::vector<std::string>{"Waiting for quiet to get ready."});
  EXPECT_EQ(std::count(net.toSlot.begin(), net.toSlot.end(), 2), 0);  // asked only of the quiet one
  seconds(kReadyDeadlineSeconds - kReadyNoticeSeconds - 1);
  EXPECT_TRUE(net.dropped.empty());
  EXPECT_TRUE(PlayerReadyBarrier().waiting);
  seconds(1);
  EXPECT_EQ(net.dropped, std::vector<int32_t>{1});
  EXPECT_EQ(net.chat.back(), "quiet did not get ready in time and leaves the game.");
  seconds(1);
  EXPECT_FALSE(PlayerReadyBarrier().waiting);
  EXPECT_TRUE(boxes.empty());
}

// A client that sends no snapshot holds the host at its lead: the others
// hear whom they wait for every ten seconds of the clock, a snapshot starts
// the wait afresh, and after a minute without one the client is sent away
// and the host plays on.
TEST_F(NetworkEventsTest, TheHostHeldByASilentClientNamesItThenSendsItAway) {
  TestWallClock clock;
  Session().host = true;
  OnDirectPlayPlayerCreated(1, "host");
  OnDirectPlayPlayerCreated(7, "silent");
  Session().inGame = true;
  PlayerTable().CreateSessionPlayers();
  PlayerTable().SetLocal(PlayerTable().Get(0));
  RunTicks(1500);
  ASSERT_TRUE(WaitingForClients());
  auto seconds = [](int n) {
    for (int i = 0; i < 5 * n; ++i) {
      TestWallClock::ms += 200;
      RunClientLagWait();
    }
  };
  seconds(kReadyNoticeSeconds - 1);
  EXPECT_TRUE(net.chat.empty());
  seconds(1);
  EXPECT_EQ(net.chat, std::vector<std::string>{"Waiting for silent to catch up."});

  CSyncSnapshot report = SnapshotRingSlot(1);  // it reached tick 200 after all
  report.sender = 1;
  CompareSyncSnapshot(report);
  EXPECT_FALSE(WaitingForClients());
  RunTicks(500);
  ASSERT_TRUE(WaitingForClients());  // and stopped again
  seconds(kReadyNoticeSeconds - 1);
  EXPECT_EQ(net.chat.size(), 1u);
  seconds(kReadyDeadlineSeconds - kReadyNoticeSeconds);
  EXPECT_TRUE(net.dropped.empty());
  // The first wait's notice, then one every notice period of the second.
  EXPECT_EQ(net.chat.size(), size_t(kReadyDeadlineSeconds / kReadyNoticeSeconds));
  seconds(1);
  EXPECT_EQ(net.dropped, std::vector<int32_t>{1});
  EXPECT_EQ(net.chat.back(), "silent did not catch up in time and leaves the game.");
  EXPECT_FALSE(WaitingForClients());
  const uint32_t held = LogicTick();
  RunTicks(100);
  EXPECT_EQ(LogicTick(), held + 100);
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
