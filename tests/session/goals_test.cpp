// Victory goals and their results: the last-player rule, ties, debt, the
// vote's guard, the result prompts and the end sequences.
#include <functional>

#include "city/business.h"
#include "session/game_messages.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session_fixture.h"

namespace {

class GoalsTest : public SessionTest {
 protected:
  template <class E>
  std::vector<E> Events() {
    std::vector<E> found;
    for (const GameEvent& e : TakeGameEvents())
      if (const auto* x = std::get_if<E>(&e)) found.push_back(*x);
    return found;
  }
  // Runs the clock to the next midnight (hour 24 of the hourly update).
  void RunToMidnight() {
    GameClock().hour = 23;
    Session().tickInHour = 0;
    RunTicks(static_cast<int>(kTicksPerHour - RunningTick() % kTicksPerHour));
  }
};

TEST_F(GoalsTest, TheLastPlayerLeftWinsWithResultFourOnce) {
  MakePlayers();
  ASSERT_TRUE(SetObjective(OBJECTIVE_SALES, 1e9f));
  RunTicks(100);  // alone from the start: nobody is left behind
  EXPECT_TRUE(Events<GoalResultEvent>().empty());
  ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerComputer, 0, "Cpu"));
  ASSERT_TRUE(Post(RemovePlayerMsg{PlayerIndex{1}}));
  RunTicks(300);  // the removal, then six checks
  std::vector<GoalResultEvent> results = Events<GoalResultEvent>();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].result, kGoalLastPlayer);
  EXPECT_EQ(results[0].player, 0);
  EXPECT_EQ(results[0].endCode, 0);
  EXPECT_EQ(results[0].line1, 1861);

  // Closing the prompt pauses and plays the win sequence for the local winner.
  CloseGoalResult(results[0]);
  EXPECT_EQ(GamePauseState().Count(0), 1);
  std::vector<CutSceneEvent> scenes = Events<CutSceneEvent>();
  ASSERT_EQ(scenes.size(), 1u);
  EXPECT_STREQ(scenes[0].name, "win_sequence");
  EXPECT_TRUE(log.Has("event win_sequence 0"));
}

TEST_F(GoalsTest, EqualMarginsGiveNoWinnerAndALargerOneWins) {
  MakePlayers(1);
  ASSERT_TRUE(SetObjective(OBJECTIVE_PROFIT, 100.0f));
  PlayerTable().Get(0)->AddToLedger(150.0f, kLedgerSales);
  PlayerTable().Get(1)->AddToLedger(150.0f, kLedgerSales);
  RunTicks(100);
  EXPECT_TRUE(Events<GoalResultEvent>().empty());
  EXPECT_EQ(PlayerTable().ActiveCount(), 2);

  PlayerTable().Get(1)->AddToLedger(10.0f, kLedgerSales);
  RunTicks(100);
  std::vector<GoalResultEvent> results = Events<GoalResultEvent>();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].player, 1);
  EXPECT_EQ(results[0].result, kGoalWon);
  EXPECT_EQ(results[0].line1, 1834);  // another player met the profit objective
  EXPECT_EQ(results[0].amountArg, 100.0f);
  EXPECT_FALSE(PlayerTable().Get(0)->inUse);  // the others leave the game
  // The loser's machine plays the lose sequence with the winner's token.
  PlayerTable().Get(1)->character = 4;
  CloseGoalResult(results[0]);
  std::vector<CutSceneEvent> scenes = Events<CutSceneEvent>();
  ASSERT_EQ(scenes.size(), 1u);
  EXPECT_STREQ(scenes[0].name, "lose_sequence");
  EXPECT_EQ(scenes[0].winnerToken, 4);
}

// A day's profit is what trading, rents and running costs bring in: a shop
// sold, a block sold or a buy-out received meets no profit objective, and a
// block bought or a building put up costs it nothing. The ledger keeps them.
TEST_F(GoalsTest, TheProfitObjectiveCountsTradingRentsAndRunningCostsOnly) {
  MakePlayers(1);
  ASSERT_TRUE(SetObjective(OBJECTIVE_PROFIT, 1000.0f));
  CPlayer& seller = *PlayerTable().Get(1);
  seller.AddToLedger(400.0f, kLedgerSales);
  for (const int32_t sale : {kLedgerBusinessSold, kLedgerBuyoutGained, kLedgerBlockSold}) {
    seller.AddToLedger(3000.0f, sale);
    RunTicks(100);
    EXPECT_TRUE(Events<GoalResultEvent>().empty()) << "category " << sale;
  }
  EXPECT_FLOAT_EQ(PlayerData().GetProfitsForPlayer(1), 9400.0f) << "the ledger's day keeps the sales";
  CPlayer& builder = *PlayerTable().Get(0);
  builder.AddToLedger(700.0f, kLedgerSales);
  builder.AddToLedger(500.0f, kLedgerLandlordIncome);
  builder.AddToLedger(-150.0f, kLedgerDiscards);
  builder.AddToLedger(-2000.0f, kLedgerBlock);
  builder.AddToLedger(-3000.0f, kLedgerConstruction);
  RunTicks(100);
  std::vector<GoalResultEvent> results = Events<GoalResultEvent>();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].player, 0);
  EXPECT_EQ(results[0].result, kGoalWon);
}

TEST_F(GoalsTest, DebtWarnsThenClearsAndTwoMidnightsBankrupt) {
  MakePlayers(1);
  CPlayer* me = PlayerTable().Get(0);
  me->money = -10.0f;
  RunToMidnight();
  RunTicks(60);  // the message's delivery and the human's next update
  EXPECT_EQ(GameGoal().players[0].inDebt, 1);
  bool warned = false;
  for (const PlayerMessageEvent& e : Events<PlayerMessageEvent>())
    warned |= e.message.code == PLAYER_MESS_DEBT_WARNING && e.line1 == 1731;
  EXPECT_TRUE(warned);

  me->money = 10.0f;
  RunToMidnight();
  RunTicks(60);
  EXPECT_EQ(GameGoal().players[0].inDebt, 0);
  EXPECT_TRUE(me->inUse);

  me->money = -10.0f;
  RunToMidnight();
  me->money = -10.0f;
  RunToMidnight();
  RunTicks(30);
  EXPECT_FALSE(me->inUse);
  std::vector<GoalResultEvent> results = Events<GoalResultEvent>();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].result, kGoalBankrupt);
  EXPECT_EQ(results[0].endCode, kNoToken);  // lost, nobody won
}

// A client keeps the same debt flag as its host from the money they share,
// so its save holds the host's goals record; the warning and the removal
// are the host's alone.
TEST_F(GoalsTest, AClientKeepsTheDebtFlagButLeavesTheWarningAndRemovalToItsHost) {
  MakePlayers(1);
  CPlayer* me = PlayerTable().Get(0);
  Session().networkSession = true;
  Session().host = false;
  // A client's logic runs only as far as its host lets it: its hourly
  // update's midnight check, twice.
  for (int midnight = 0; midnight < 2; ++midnight) {
    me->money = -10.0f;
    CheckDebtsHourly(24);
    EXPECT_EQ(GameGoal().players[0].inDebt, 1);
  }
  Session().networkSession = false;
  RunTicks(30);  // anything posted would be delivered by now
  EXPECT_TRUE(me->inUse);
  EXPECT_TRUE(Events<PlayerMessageEvent>().empty());
  EXPECT_TRUE(Events<GoalResultEvent>().empty());
}

TEST_F(GoalsTest, ResultsNameOnlyPlayersOfTheGame) {
  MakePlayers();
  ShowGoalResult(GoalResultMsg{PlayerIndex{-1}, kGoalWon});
  ShowGoalResult(GoalResultMsg{PlayerIndex{4}, kGoalWon});
  EXPECT_TRUE(Events<GoalResultEvent>().empty());
  ShowGoalResult(GoalResultMsg{PlayerIndex{0}, kGoalNotice});
  std::vector<GoalResultEvent> results = Events<GoalResultEvent>();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].endCode, -1);  // closing changes nothing
}

TEST_F(GoalsTest, TheVoteWithNoPointsYetNamesNobody) {
  MakePlayers(2);
  ASSERT_TRUE(SetObjective(OBJECTIVE_WEAKEST_LINK, 0.0f));
  RunDailyVote();
  std::vector<VoteEvent> votes = Events<VoteEvent>();
  ASSERT_EQ(votes.size(), 1u);
  EXPECT_EQ(votes[0].named, -1);
  EXPECT_FLOAT_EQ(votes[0].shares[0], 0.0f);

  PlayerTable().Get(0)->pointsB = 30;
  PlayerTable().Get(1)->pointsB = 60;
  PlayerTable().Get(2)->pointsB = 10;
  RunDailyVote();
  votes = Events<VoteEvent>();
  ASSERT_EQ(votes.size(), 1u);
  EXPECT_EQ(votes[0].named, 2);
  EXPECT_FLOAT_EQ(votes[0].shares[1], 60.0f);
  RunTicks(30);
  EXPECT_FALSE(PlayerTable().Get(2)->inUse);
}

TEST_F(GoalsTest, WinningTheLastStandardLevelOpensTheBonusLevel) {
  MakePlayers();
  ScenarioManager().RegisterLevel(kLevelBonus, "Bonus", "bonus", "");
  ScenarioManager().SetCurrent(ScenarioManager().RegisterLevel(kLevelStandard, "Last", "last", ""));
  StartEndSequence(0);
  std::vector<CutSceneEvent> scenes = Events<CutSceneEvent>();
  ASSERT_EQ(scenes.size(), 1u);
  EXPECT_STREQ(scenes[0].name, "complete_sequence");
  EXPECT_TRUE(ScenarioManager().FindById(kLevelBonus)->Unlocked());
}

}  // namespace
