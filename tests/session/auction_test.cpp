// Block auctions through the game messages: announcement, the auction
// screen's turns, the auctioneer's stages and the block transfer.
#include <functional>

#include "city/local_drafts.h"
#include "session/game_messages.h"
#include "session_fixture.h"

namespace {

constexpr int32_t kBlock = 12;

class AuctionTest : public SessionTest {
 protected:
  // Runs logic ticks until the condition holds (at most `limit`).
  bool RunUntil(const std::function<bool()>& done, int limit = 5000) {
    for (int i = 0; i < limit && !done(); ++i) RunLogicTicks();
    return done();
  }
  const CAuction& Auction() { return *CurrentAuction(); }
  // The city puts the block up; the room opens when the countdown is over.
  void OpenRoom(int32_t opening) {
    ASSERT_TRUE(Post(StartAuctionMsg{BlockId{kBlock}, PlayerIndex{-1}, opening, {}}));
    ASSERT_TRUE(RunUntil([] { return CurrentAuction() && CurrentAuction()->active; }));
    ASSERT_EQ(Session().gameState, kGameStateAuction);
    // The auctioneer opens the bidding.
    ASSERT_TRUE(RunUntil([this] { return Auction().stage == kStageBidding; }, 10));
  }
  // The auction's end: the room closes and the block transfer arrives.
  void RunToTheEnd() {
    ASSERT_TRUE(RunUntil([] { return CurrentAuction() == nullptr; }, 400));
    EXPECT_EQ(Session().gameState, kGameStateRunning);
    RunTicks(30);
  }
};

TEST_F(AuctionTest, CityBlockWithoutStarterGoesToPlayerZeroWhenTheOthersPass) {
  MakePlayers(2);
  OpenRoom(500);
  EXPECT_EQ(Auction().leader, 0);
  EXPECT_EQ(Auction().turn, 1);  // player 0 holds the price
  PostAuctionPass(1);
  EXPECT_EQ(Auction().winner, -1);
  PostAuctionPass(2);
  EXPECT_EQ(Auction().winner, 0);
  const float before = PlayerTable().Get(0)->money;
  RunToTheEnd();
  EXPECT_EQ(g_Blocks[kBlock].Owner, 1);
  EXPECT_FLOAT_EQ(PlayerTable().Get(0)->money, before - 500.0f);
}

TEST_F(AuctionTest, PlayerBlockWithNoBidderIsReturnedToTheCityAndTheSellerPaid) {
  MakePlayers(2);
  PlayerTable().Get(0)->TakeBlock(kBlock, 0.0f);
  const float before = PlayerTable().Get(0)->money;
  PlayerTable().Get(0)->RequestSellBlock(kBlock, 400.0f, -1);  // two players: by auction
  ASSERT_TRUE(RunUntil([] { return CurrentAuction() && CurrentAuction()->active; }));
  EXPECT_EQ(Auction().seller, 0);
  EXPECT_EQ(Auction().rows[0].stillIn, 0);  // the seller never bids
  EXPECT_EQ(Auction().turn, 1);
  PostAuctionPass(1);
  PostAuctionPass(2);
  EXPECT_EQ(Auction().noSale, 1);
  RunToTheEnd();
  EXPECT_EQ(g_Blocks[kBlock].Owner, 0);
  EXPECT_FLOAT_EQ(PlayerTable().Get(0)->money, before + 400.0f);
}

TEST_F(AuctionTest, TheSellerLeavingClosesTheRoom) {
  MakePlayers(2);
  PlayerTable().Get(1)->TakeBlock(kBlock, 0.0f);
  PlayerTable().Get(1)->RequestSellBlock(kBlock, 400.0f, -1);
  ASSERT_TRUE(RunUntil([] { return CurrentAuction() && CurrentAuction()->active; }));
  EXPECT_EQ(GameTime().screenMode, 1);
  ASSERT_TRUE(Post(RemovePlayerMsg{PlayerIndex{1}}));
  RunTicks(26);
  EXPECT_EQ(CurrentAuction(), nullptr);
  EXPECT_EQ(Session().gameState, kGameStateRunning);
  EXPECT_EQ(GameTime().screenMode, 0);
}

// Bidders who leave the game leave the room: out of turn the turn stays,
// on their turn it moves on, and the last one in with the price wins.
TEST_F(AuctionTest, BiddersLeavingTheGameLeaveTheRoom) {
  MakePlayers(2);
  OpenRoom(500);
  ASSERT_EQ(Auction().turn, 1);
  ASSERT_TRUE(Post(RemovePlayerMsg{PlayerIndex{2}}));
  RunTicks(26);
  EXPECT_EQ(Auction().rows[2].stillIn, 0);
  EXPECT_EQ(Auction().turn, 1);
  EXPECT_EQ(Auction().winner, -1);
  ASSERT_TRUE(Post(RemovePlayerMsg{PlayerIndex{1}}));
  RunTicks(26);
  EXPECT_EQ(Auction().winner, 0);
  RunToTheEnd();
  EXPECT_EQ(g_Blocks[kBlock].Owner, 1);
}

// Moves apply on arrival while the room opens at a tick: a machine that gets
// a move before its own room opened (a client behind the mover) keeps it and
// applies it once the room is up, so no machine loses a bid.
TEST_F(AuctionTest, AMoveThatArrivesBeforeTheRoomOpensIsAppliedWhenItOpens) {
  MakePlayers(2);
  ASSERT_TRUE(Post(StartAuctionMsg{BlockId{kBlock}, PlayerIndex{-1}, 500, {}}));
  ASSERT_TRUE(RunUntil([] { return CurrentAuction() != nullptr; }));
  ASSERT_FALSE(Auction().active);
  PostAuctionBid(1, 600);
  EXPECT_EQ(Auction().price, 500);
  ASSERT_TRUE(RunUntil([] { return CurrentAuction()->active; }));
  EXPECT_EQ(Auction().price, 600);
  EXPECT_EQ(Auction().leader, 1);
  EXPECT_EQ(Auction().turn, 2);
}

TEST_F(AuctionTest, ABidderWhoPassedMayBidAgainInALaterRound) {
  MakePlayers(2);
  OpenRoom(500);
  PostAuctionPass(1);
  PostAuctionBid(2, 600);
  PostAuctionPass(0);
  EXPECT_EQ(Auction().turn, 1);
  EXPECT_EQ(Auction().rows[1].passed, 0);  // cleared when its turn came
  PostAuctionBid(1, 700);
  EXPECT_EQ(Auction().leader, 1);
  PostAuctionBid(1, 700);  // the current price again: nothing
  EXPECT_EQ(Auction().passes, 0);
  PostAuctionPass(2);
  PostAuctionPass(0);
  EXPECT_EQ(Auction().winner, 1);
  const float before = PlayerTable().Get(1)->money;
  RunToTheEnd();
  EXPECT_EQ(g_Blocks[kBlock].Owner, 2);
  EXPECT_FLOAT_EQ(PlayerTable().Get(1)->money, before - 700.0f);
}

TEST_F(AuctionTest, TheStagesTakeTheirTimesAndASecondAuctionWaits) {
  MakePlayers(2);
  OpenRoom(500);
  ASSERT_TRUE(Post(StartAuctionMsg{BlockId{3}, PlayerIndex{-1}, 100, {}}));
  RunTicks(25);
  EXPECT_EQ(Auction().block.value, kBlock);
  EXPECT_EQ(WaitingAuctions().count, 1);
  PostAuctionPullOut(1);
  PostAuctionPullOut(2);
  EXPECT_EQ(Auction().winner, 0);
  RunTicks(1);
  EXPECT_EQ(Auction().stage, kStageSold);
  RunTicks(150);  // about six seconds
  EXPECT_EQ(Auction().stage, kStageSold);
  RunTicks(1);
  EXPECT_EQ(Auction().stage, kStageDone);
}

// A request for an auction: block, requester (-1 the city), opening price.
void Ask(int32_t block, int32_t starter, int32_t opening) {
  ASSERT_TRUE(Post(StartAuctionMsg{BlockId{block}, PlayerIndex{starter}, opening, {BlockDeal{BlockId{block}, opening}, -1}}));
}

// Requests that come while an auction is up wait their turn in the order they
// were delivered, one per player and one per block; the first starts once
// the running auction's block transfer has been applied, its requester
// holding the opening price.
TEST_F(AuctionTest, RequestsDuringAnAuctionWaitTheirTurnInDeliveryOrder) {
  MakePlayers(2);
  OpenRoom(500);
  LocalBlockMarks(7).Request = 1;  // the local player's page marks its request
  Ask(3, 2, 300);
  Ask(5, 0, 400);
  Ask(7, 0, 450);       // player 0 waits already: refused
  Ask(3, 1, 350);       // block 3 waits already: refused
  Ask(kBlock, 1, 600);  // the block up now: refused
  Ask(9, -1, 200);      // the city's own request waits too
  RunTicks(25);
  const WaitingAuctionList& waiting = WaitingAuctions();
  ASSERT_EQ(waiting.count, 3);
  const int32_t expected[3][2] = {{3, 2}, {5, 0}, {9, -1}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(waiting.rows[i].block.value, expected[i][0]) << i;
    EXPECT_EQ(waiting.rows[i].starter, expected[i][1]) << i;
  }
  EXPECT_EQ(LocalBlockMarks(7).Request, 0);  // the refusal reached the page

  PostAuctionPass(1);
  PostAuctionPass(2);
  ASSERT_TRUE(RunUntil([] { return CurrentAuction() == nullptr; }, 400));
  EXPECT_TRUE(AuctionBusy());
  RunTicks(25);
  EXPECT_EQ(CurrentAuction(), nullptr);  // not before the block transfer
  EXPECT_EQ(g_Blocks[kBlock].Owner, 1);
  RunTicks(1);
  ASSERT_NE(CurrentAuction(), nullptr);
  EXPECT_EQ(Auction().block.value, 3);
  EXPECT_EQ(Auction().leader, 2);
  EXPECT_EQ(Auction().price, 300);
  ASSERT_EQ(WaitingAuctions().count, 2);
  EXPECT_EQ(WaitingAuctions().rows[0].block.value, 5);
}

// A waiting request whose block changed hands meanwhile is refused, one whose
// requester left is dropped, and the next starts in their place.
TEST_F(AuctionTest, AWaitingRequestThatNoLongerHoldsGivesWayToTheNext) {
  MakePlayers(2);
  OpenRoom(500);
  LocalBlockMarks(5).Request = 1;
  Ask(5, 0, 400);
  Ask(7, 2, 300);
  Ask(3, 1, 350);
  ASSERT_TRUE(Post(RemovePlayerMsg{PlayerIndex{2}}));
  RunTicks(26);
  ASSERT_EQ(WaitingAuctions().count, 3);
  PlayerTable().Get(1)->TakeBlock(5, 0.0f);
  PostAuctionPass(1);  // player 2 has left: player 0 wins
  ASSERT_TRUE(RunUntil([] { return CurrentAuction() == nullptr; }, 400));
  RunTicks(26);
  ASSERT_NE(CurrentAuction(), nullptr);
  EXPECT_EQ(Auction().block.value, 3);
  EXPECT_EQ(Auction().leader, 1);
  EXPECT_EQ(WaitingAuctions().count, 0);
  EXPECT_EQ(LocalBlockMarks(5).Request, 0);
}

// Moves that break the message's rules never arrive; moves of a player who
// is out of the auction change nothing.
TEST_F(AuctionTest, BadMovesAreRefused) {
  MakePlayers(2);
  OpenRoom(500);
  struct Case {
    const char* what;
    AuctionStepMsg move;
  };
  const Case cases[] = {
      {"unknown step", {3, PlayerIndex{1}, 0}},
      {"player out of range", {0, PlayerIndex{6}, 900}},
      {"stage out of range", {4, PlayerIndex{9}, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(Post(c.move));
  }
  PostAuctionPullOut(2);
  PostAuctionBid(2, 900);
  EXPECT_EQ(Auction().price, 500);
  EXPECT_EQ(Auction().stage, kStageBidding);

  // On the host, another machine moves only for its own player.
  Session().networkSession = true;
  Session().host = true;
  PlayerTable().SetupRow(1).directPlayId = 77;
  OnDirectPlayGameMessage(EncodeMessage(AuctionStepMsg{0, PlayerIndex{0}, 900}).Bytes(), 77);
  OnDirectPlayGameMessage(EncodeMessage(AuctionStepMsg{4, PlayerIndex{5}, 0}).Bytes(), 77);
  EXPECT_EQ(Auction().price, 500);
  EXPECT_EQ(Auction().stage, kStageBidding);
  OnDirectPlayGameMessage(EncodeMessage(AuctionStepMsg{0, PlayerIndex{1}, 900}).Bytes(), 77);
  EXPECT_EQ(Auction().price, 900);
}

// A human bidder's turn runs out after 800 fiftieths, two a logic tick: the
// game pulls it out and the timer starts again for the next turn. A
// computer player's turn does not count, nor does one that has moved.
TEST_F(AuctionTest, AHumansTurnTimesOutIntoAPullOut) {
  MakePlayers(2);
  OpenRoom(500);
  ASSERT_EQ(Auction().turn, 1);
  RunTicks(450);
  EXPECT_EQ(AuctionTurnCountdown(), kAuctionTurnTime);  // a computer's turn
  PostAuctionBid(1, 600);
  PostAuctionPass(2);
  ASSERT_EQ(Auction().turn, 0);
  RunTicks(399);
  EXPECT_EQ(AuctionTurnCountdown(), 2);
  EXPECT_EQ(Auction().rows[0].stillIn, 1);
  RunTicks(1);
  EXPECT_EQ(Auction().rows[0].pulledOut, 1);
  EXPECT_EQ(Auction().winner, 1);
  EXPECT_EQ(AuctionTurnCountdown(), kAuctionTurnTime);
  RunToTheEnd();
  EXPECT_EQ(g_Blocks[kBlock].Owner, 2);
}

// On the host, a turn of a player on another machine ends only once that
// machine's snapshots show it past the turn's end: a game at full speed runs
// the host ahead of its clients, and a move made in time may be on its way.
TEST_F(AuctionTest, ARemotePlayersTurnEndsOnceItsMachineHasRunPastIt) {
  MakePlayers(2);
  OpenRoom(500);
  PostAuctionBid(1, 600);
  PostAuctionPass(2);
  ASSERT_EQ(Auction().turn, 0);
  Session().networkSession = true;
  Session().host = true;
  PlayerTable().SetLocal(PlayerTable().Get(1));  // player 0 plays elsewhere
  const auto snapshotFromPlayer0 = [] {
    CSyncSnapshot s = ComputeSyncSnapshot();
    s.sender = 0;
    s.tick = LogicTick();
    CompareSyncSnapshot(s);
  };
  snapshotFromPlayer0();
  RunTicks(kAuctionTurnTime);
  EXPECT_EQ(Auction().rows[0].stillIn, 1);
  snapshotFromPlayer0();
  RunTicks(static_cast<int>(kMessageDeliveryLead) + 2);
  EXPECT_EQ(Auction().rows[0].pulledOut, 1);
}

// The time-out names its turn: one that arrives after the turn moved on,
// even when the turn has come back to the same player, changes nothing.
TEST_F(AuctionTest, ALateTimeOutChangesNothing) {
  MakePlayers(2);
  OpenRoom(500);
  PostAuctionBid(1, 600);
  PostAuctionPass(2);
  ASSERT_EQ(Auction().turn, 0);
  const int32_t lateTurn = AuctionTurnSerial();
  PostAuctionBid(0, 700);
  PostAuctionBid(1, 800);
  PostAuctionBid(2, 900);
  ASSERT_EQ(Auction().turn, 0);
  EXPECT_TRUE(Post(AuctionStepMsg{kAuctionMovePullOut, PlayerIndex{0}, lateTurn}));
  EXPECT_EQ(Auction().rows[0].stillIn, 1);
  EXPECT_TRUE(Post(AuctionStepMsg{kAuctionMovePullOut, PlayerIndex{0}, AuctionTurnSerial()}));
  EXPECT_EQ(Auction().rows[0].pulledOut, 1);
}

TEST_F(AuctionTest, ATutorialTurnNeverTimesOut) {
  StartTutorial();
  MakePlayers(1);
  OpenRoom(200);
  PostAuctionBid(1, 300);
  ASSERT_EQ(Auction().turn, 0);
  RunTicks(1000);
  EXPECT_EQ(AuctionTurnCountdown(), 0);
  EXPECT_EQ(Auction().rows[0].stillIn, 1);
}

TEST_F(AuctionTest, ATutorialAnnouncesForFiveSecondsAndTellsItsScript) {
  StartTutorial();
  MakePlayers(1);
  ASSERT_TRUE(Post(StartAuctionMsg{BlockId{kBlock}, PlayerIndex{-1}, 200, {}}));
  RunTicks(25);
  EXPECT_EQ(Auction().countdown, 5 * 50 - 2);  // counted down in that tick
  RunTicks(140);
  EXPECT_FALSE(Auction().active);
  RunTicks(10);
  EXPECT_TRUE(Auction().active);  // 125 ticks and the messages' lead
  RunTicks(2);
  EXPECT_TRUE(log.Has("event TutorialEvent 63"));
  PostAuctionPass(1);
  RunToTheEnd();
  EXPECT_TRUE(log.Has("event TutorialEvent 68"));
  EXPECT_TRUE(log.Has("event TutorialEvent 64"));
}

}  // namespace
