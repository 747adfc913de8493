#include "session/tick_driver.h"

#include "city/people.h"
#include "city/person.h"
#include "engine/core/console.h"
#include "session/game_events.h"
#include "session_fixture.h"

namespace {

using TickDriverTest = SessionTest;

// The scenery, people, particles, traffic, construction and animations are called
// directly between these.
TEST_F(TickDriverTest, RunningTickStepsEverySystemInOrder) {
  MakePlayers();
  RunLogicTicks();
  const std::vector<std::string> expected = {"windows", "smoke", "lights", "ai", "timers"};
  EXPECT_EQ(log.steps, expected);
  EXPECT_EQ(LogicTick(), 1u);
  EXPECT_EQ(RunningTick(), 1u);
  EXPECT_EQ(DayTick(), 1u);
  EXPECT_EQ(Session().tickInHour, 1u);
}

TEST_F(TickDriverTest, FastModeRunsFourTicksWithoutSkippingPeriodicSteps) {
  MakePlayers();
  SetLogicSpeed(true);
  RunTicks(1250 / 4 + 1);  // 1252 ticks
  EXPECT_EQ(LogicTick(), 1252u);
  EXPECT_EQ(GameClock().hour, 11);  // two hours from 9 o'clock
  EXPECT_EQ(log.Count("ai-hourly"), 2);
  // A grant every 25 ticks keeps the limit ahead of the single-player game.
  EXPECT_GT(TickLimit(), LogicTick());
  EXPECT_FALSE(WaitingForTickGrant());
  EXPECT_TRUE(ToggleLogicSpeed() == false);
  EXPECT_EQ(Session().ticksPerCall, 1);
}

TEST_F(TickDriverTest, SnapshotsEveryTwoHundredTicksInANetworkGame) {
  MakePlayers();
  Session().networkSession = true;
  Session().host = true;
  SetLogicSpeed(true);  // ignored in a network game
  EXPECT_EQ(Session().ticksPerCall, 1);
  RunTicks(600);
  EXPECT_EQ(SnapshotRingSlot(1).tick, 200u);
  EXPECT_EQ(SnapshotRingSlot(2).tick, 400u);
  EXPECT_EQ(SnapshotRingSlot(3).tick, 600u);
  EXPECT_EQ(SnapshotRingSlot(3).people, GetPeopleChecksum());
}

// The report names each differing subsystem on the console and posts the
// whole (tick, client, both snapshots) for the desync log; never a box,
// which on the host would stall every machine.
TEST_F(TickDriverTest, ComparingSnapshotsNamesTheSubsystemOutOfSync) {
  std::vector<std::string> lines;
  auto oldSink = SetConsoleSink([&](std::string_view text, int kind) {
    if (kind == kConsoleError) lines.emplace_back(text);
  });
  MakePlayers(1);
  Session().networkSession = true;
  Session().host = true;
  LogicTick() = 199;
  RunLogicTicks();  // the host's own snapshot of tick 200
  ASSERT_EQ(SnapshotRingSlot(1).tick, 200u);
  ClearGameEvents();

  // The same state on a second machine agrees.
  CSyncSnapshot same = SnapshotRingSlot(1);
  CompareSyncSnapshot(CSyncSnapshot::FromMessage(same.ToMessage()));
  EXPECT_TRUE(lines.empty());
  EXPECT_TRUE(TakeGameEvents().empty());

  // A second game state nudged: one player's cash differs, and it has one
  // person more.
  PlayerTable().Get(1)->money += 3.0f;
  const int32_t people = g_PeopleCount;
  CPerson& extra = g_People[g_PeopleCount++];
  extra = CPerson{};
  extra.InUse = 1;
  extra.CurrentBlock = 3;
  CSyncSnapshot nudged = ComputeSyncSnapshot();
  extra = CPerson{};
  g_PeopleCount = people;
  nudged.tick = 200;
  nudged.sender = 2;
  CompareSyncSnapshot(nudged);
  EXPECT_EQ(lines, (std::vector<std::string>{"People out of sync (tick 200, player 3)",
                                             "Players out of sync (tick 200, player 3)"}));
  EXPECT_TRUE(boxes.empty());
  const std::vector<GameEvent> events = TakeGameEvents();
  ASSERT_EQ(events.size(), 1u);
  const DesyncEvent& report = std::get<DesyncEvent>(events[0]);
  EXPECT_EQ(report.tick, 200u);
  EXPECT_EQ(report.client, 2);
  EXPECT_EQ(report.report.rfind("tick 200 player 3: People out of sync; Players out of sync\n  host:   people ", 0), 0u)
      << report.report;
  EXPECT_NE(report.report.find("\n  client: people " + std::to_string(nudged.people) + " "), std::string::npos);

  // A snapshot for a tick the ring no longer holds is ignored without a word.
  lines.clear();
  nudged.tick = 2200;
  CompareSyncSnapshot(nudged);
  EXPECT_TRUE(lines.empty());
  EXPECT_TRUE(TakeGameEvents().empty());
  SetConsoleSink(oldSink);
}

TEST_F(TickDriverTest, ClientStopsBelowItsGrantedLimitUntilTheNextGrant) {
  MakePlayers();
  Session().networkSession = true;
  Session().host = false;
  RunTicks(40);
  // The limit is exclusive: tick 25 waits for the grant that covers it.
  EXPECT_EQ(LogicTick(), 24u);
  EXPECT_TRUE(WaitingForTickGrant());
  EXPECT_GT(GamePauseState().Count(1), 0);
  CNetMessage grant = EncodeMessage(TickGrantMsg{50});
  OnDirectPlayGameMessage(grant.Bytes());
  EXPECT_FALSE(WaitingForTickGrant());
  EXPECT_EQ(GamePauseState().Count(1), 0);
  RunTicks(40);
  EXPECT_EQ(LogicTick(), 49u);
}

// At full speed a host would outrun a slower client until its snapshots no
// longer meet the host's own: the host waits for a client far behind.
TEST_F(TickDriverTest, HostWaitsForAClientFarBehindUntilItsSnapshotOrItsDeparture) {
  MakePlayers(1);  // the computer player sends no snapshots and is not waited for
  ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerHuman, 0, "Client"));
  const int32_t client = 2;
  Session().networkSession = true;
  Session().host = true;
  RunTicks(1500);
  EXPECT_EQ(LogicTick(), 1001u);  // the client's start is half a ring behind
  EXPECT_TRUE(WaitingForClients());
  EXPECT_GT(GamePauseState().Count(1), 0);

  CSyncSnapshot report = SnapshotRingSlot(1);
  report.sender = client;
  CompareSyncSnapshot(report);  // the client reached tick 200
  EXPECT_FALSE(WaitingForClients());
  EXPECT_EQ(GamePauseState().Count(1), 0);
  RunTicks(500);
  EXPECT_EQ(LogicTick(), 1201u);

  // A client that leaves is waited for no longer.
  ForgetClientProgress(client);
  EXPECT_FALSE(WaitingForClients());
  RunTicks(500);
  EXPECT_EQ(LogicTick(), 1701u);
}

TEST_F(TickDriverTest, QuitFlagEndsAMultiTickCall) {
  MakePlayers();
  SetLogicSpeed(true);
  game.quitOnAi = true;
  RunLogicTicks();
  EXPECT_EQ(LogicTick(), 2u);
  EXPECT_EQ(log.Count("ai"), 1);
}

TEST_F(TickDriverTest, AuctionScreenFreezesTheCityAndTheClock) {
  MakePlayers();
  Session().gameState = kGameStateAuction;
  RunTicks(10);
  EXPECT_EQ(LogicTick(), 10u);
  EXPECT_EQ(RunningTick(), 0u);
  EXPECT_FALSE(log.Has("windows"));
}

TEST_F(TickDriverTest, PreSixSampleAndPlayersEveryFiveTicks) {
  MakePlayers();
  GameClock().hour = 5;
  Session().tickInHour = 539;
  RunLogicTicks();
  EXPECT_TRUE(log.Has("sound presixoclock.wav 100"));
  // The human's first update is due after ten updates (fifty ticks).
  CPlayer* me = PlayerTable().Get(0);
  RunTicks(4);
  EXPECT_EQ(me->updateCountdown, 9);
}

}  // namespace
