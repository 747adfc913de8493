#include "session/tick_driver.h"

#include "session_fixture.h"

namespace {

using TickDriverTest = SessionTest;

TEST_F(TickDriverTest, RunningTickStepsEverySystemInOrder) {
  MakePlayers();
  RunLogicTicks();
  const std::vector<std::string> expected = {"scenery", "windows",      "people",     "particles", "traffic",
                                             "ambience", "smoke",       "lights",     "ai",
                                             "timers",  "animations"};
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
  EXPECT_EQ(log.Count("goals"), 1252 / 50);
  EXPECT_EQ(GameClock().hour, 11);  // two hours from 9 o'clock
  EXPECT_EQ(log.Count("hourly-goals"), 2);
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
  EXPECT_EQ(SnapshotRingSlot(3).people, 7);
}

TEST_F(TickDriverTest, ComparingSnapshotsNamesTheSubsystemOutOfSync) {
  MakePlayers(1);
  Session().networkSession = true;
  Session().host = true;
  LogicTick() = 199;
  RunLogicTicks();  // the host's own snapshot of tick 200
  ASSERT_EQ(SnapshotRingSlot(1).tick, 200u);

  // The same state on a second machine agrees.
  CSyncSnapshot same = SnapshotRingSlot(1);
  CompareSyncSnapshot(CSyncSnapshot::FromMessage(same.ToMessage()));
  EXPECT_TRUE(boxes.empty());

  // A second game state nudged: one player's cash and the people differ.
  PlayerTable().Get(1)->money += 3.0f;
  world.people = 8;
  CSyncSnapshot nudged = ComputeSyncSnapshot();
  nudged.tick = 200;
  CompareSyncSnapshot(nudged);
  EXPECT_EQ(boxes, (std::vector<std::string>{"People out of sync", "Players out of sync"}));

  // A snapshot for a tick the ring no longer holds is ignored without a word.
  boxes.clear();
  nudged.tick = 2200;
  CompareSyncSnapshot(nudged);
  EXPECT_TRUE(boxes.empty());
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
  CNetMessage grant = MakeTickGrantMessage(50);
  OnDirectPlayGameMessage(grant.Bytes());
  EXPECT_FALSE(WaitingForTickGrant());
  EXPECT_EQ(GamePauseState().Count(1), 0);
  RunTicks(40);
  EXPECT_EQ(LogicTick(), 49u);
}

TEST_F(TickDriverTest, QuitFlagEndsAMultiTickCall) {
  MakePlayers();
  SetLogicSpeed(true);
  world.quitOnPeople = true;
  RunLogicTicks();
  EXPECT_EQ(LogicTick(), 2u);
  EXPECT_EQ(log.Count("people"), 1);
}

TEST_F(TickDriverTest, AuctionScreenFreezesTheCityAndTheClock) {
  MakePlayers();
  Session().gameState = kGameStateAuction;
  RunTicks(10);
  EXPECT_EQ(LogicTick(), 10u);
  EXPECT_EQ(RunningTick(), 0u);
  EXPECT_EQ(log.Count("auctioneer"), 10);
  EXPECT_EQ(log.Count("animations"), 10);
  EXPECT_FALSE(log.Has("people"));
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
