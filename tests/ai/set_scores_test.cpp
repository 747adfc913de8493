#include "ai/set_scores.h"

#include "ai/scoring_terms.h"
#include "ai_fixture.h"
#include "session/game_clock.h"

namespace {

TEST_F(AiTest, TwoBlockDistrictSetScores) {
  P(0).money = 100.0f;
  P(1).money = 5000.0f;
  GiveBlock(29, 1);
  GiveBlock(30, -1);
  // The leader, safe: completing the set.
  EXPECT_EQ(GetSetScore(false, 30, ai), 80);
  EXPECT_EQ(ai.ScoreNote, 0);
  // A richer rival makes it unsafe.
  P(0).money = 9000.0f;
  EXPECT_EQ(GetSetScore(false, 30, ai), -40);
  // In an auction against the leader: the rival is noted.
  GiveBlock(29, 0);
  ai.ScoreNote = -1;
  EXPECT_EQ(GetSetScore(true, 30, ai), 60);
  EXPECT_EQ(ai.ScoreNote, 2);
  EXPECT_EQ(ai.Rival, 0);
  // Nobody leads: the other block of a free district.
  GiveBlock(29, -1);
  EXPECT_EQ(GetSetScore(false, 30, ai), 0);
}

TEST_F(AiTest, ContestAgainstAStrongerLeader) {
  GiveBlock(29, 0);
  GiveBlock(30, -1);
  P(0).money = 20000.0f;
  P(1).money = 100.0f;
  EXPECT_EQ(GetSetScore(false, 30, ai), -40);
  // A leader with far less: the player can take it on.
  P(0).money = 10.0f;
  P(1).money = 20000.0f;
  ai.ScoreNote = -1;
  EXPECT_EQ(GetSetScore(false, 30, ai), 60);
  EXPECT_EQ(ai.ScoreNote, 2);
}

TEST_F(AiTest, OtherDistrictSizesScoreNothing) {
  g_Districts[8].Blocks[1] = -1;  // block 32 alone in its district
  GiveBlock(32, 1);
  EXPECT_EQ(GetSetScore(false, 32, ai), 0);
  EXPECT_EQ(GetSetScore(false, 3, ai), 0);  // no district at all
}

TEST_F(AiTest, ThreeAndFourBlockRules) {
  P(0).money = 100.0f;
  P(1).money = 5000.0f;
  GiveBlock(1, 1);
  GiveBlock(6, 1);
  EXPECT_EQ(GetSetScore(false, 0, ai), 80);  // leader with two of three
  GiveBlock(6, -1);
  EXPECT_EQ(GetSetScore(false, 0, ai), 50);  // one of three, one other owned: S(3, 3)
  // The railroad row of four: three held.
  for (int32_t b : {4, 17, 43}) GiveBlock(b, 1);
  GiveBlock(44, -1);
  EXPECT_EQ(GetSetScore(false, 44, ai), 100);
  EXPECT_EQ(ai.ScoreNote, 0);
  GiveBlock(43, -1);
  EXPECT_EQ(GetSetScore(false, 44, ai), 40);
  EXPECT_EQ(ai.ScoreNote, 1);
}

TEST_F(AiTest, ScoreDispatcherChainsTheTerms) {
  P(0).money = 100.0f;
  P(1).money = 5000.0f;
  GiveBlock(29, 1);
  GiveBlock(30, -1);
  int32_t whole = -7;
  ai.ChosenBlock = -1;
  EXPECT_FLOAT_EQ(GetScore(ai, kScoreChosenBlock, -1, whole), 0.0f);
  EXPECT_EQ(whole, 0);
  ai.ChosenBlock = 30;
  float score = GetScore(ai, kScoreChosenBlock, -1, whole);
  EXPECT_GT(score, 0.0f);
  EXPECT_EQ(whole, static_cast<int32_t>(score));
  EXPECT_EQ(ai.ScoreNote, 0);
  // The auction type scores the running auction's block instead.
  int32_t auctionWhole = 0;
  GetScore(ai, kScoreAuctionBlock, 30, auctionWhole);
  EXPECT_EQ(GetScore(ai, 5, 30, whole), 0.0f);
}

// Block 30 completes the two-block district 7 for the computer player,
// which holds block 29; the other player has nothing to contest it with.
class SetBlockScoreTest : public AiTest {
 protected:
  void SetUp() override {
    AiTest::SetUp();
    P(0).money = 0.0f;
    GiveBlock(29, 1);
    GiveBlock(30, -1);
    ai.ChosenBlock = 30;
    GetAiScores().blk2_Rentopia = 60;  // as the game's scripts set it
    // Read from the city this test built, not the one the last test left.
    lease = static_cast<int32_t>(g_Blocks[30].GetLeasePrice());
  }
  int32_t Whole(float money) {
    P(1).money = money;
    int32_t whole = 0;
    GetScore(ai, kScoreChosenBlock, -1, whole);
    return whole;
  }
  int32_t lease = 0;
};

TEST_F(SetBlockScoreTest, ValueIsMoneyWorthBiddingAndHeldByTheCap) {
  int32_t rich = Whole(20000.0f);
  EXPECT_EQ(ai.ScoreNote, 0);
  EXPECT_GE(rich, lease + 200) << "a set-completing block is worth bidding for";
  EXPECT_LT(rich, 20000) << "but not everything the player has";
  // The script's cap holds how far the wish for a set lifts the value.
  GetAiScores().MaxScoreCap = 50;
  int32_t capped = Whole(20000.0f);
  EXPECT_LT(capped, rich);
  EXPECT_LE(capped, GetBidValue(30, ai) / 2 + 1);
}

TEST_F(SetBlockScoreTest, CashBeyondTheBlocksWorthRaisesTheValue) {
  // Both can raise the block's value, so only the cash adjustment differs.
  const float worth = GetBlockWorth(30, ai);
  const int32_t near = Whole(worth + 100.0f);
  ASSERT_GE(GetBidCeiling(30, ai), GetBidValue(30, ai));
  EXPECT_LT(near, Whole(worth + 2000.0f));
  // Short of the block's worth a cash-poor player values it lower still.
  EXPECT_LT(Whole(worth - 300.0f), near);
  EXPECT_GT(Whole(worth - 300.0f), 0);
}

TEST_F(SetBlockScoreTest, PlayerInTheRedPutsNothingOnABlock) {
  ai.Warned24h = true;
  EXPECT_EQ(Whole(-500.0f), 0);
  // Nor when a richer rival makes the set unsafe and its wish turns negative.
  P(0).money = 9000.0f;
  EXPECT_LE(Whole(-500.0f), 0);
}

TEST_F(SetBlockScoreTest, CharacterEightNeverStretchesPastItsMoney) {
  // No cash reserve and no eagerness past its means: however badly it wants
  // the set, a poor player of character 8 values the block at what it has.
  InitAiPlayerState(ai, 1, 8, &random);
  ai.ChosenBlock = 30;
  GetAiScores().MaxScoreCap = 100;
  EXPECT_LE(Whole(200.0f), 200 + 1);  // the score keeps one per cent of its wish
  EXPECT_GT(Whole(200.0f), 0);
}

TEST_F(AiTest, TwoFailedOneOffsForceExpansion) {
  GameClock().decade = 1;
  P(1).money = 60000.0f;  // idle money weighs towards a one-off purchase
  GiveBlock(29, 1);
  ai.OneOffAttempts = 2;
  EXPECT_EQ(WeighStrategies(ai), kWeighExpand);
  // Below two attempts the draw decides, the same on every machine for a seed.
  ai.OneOffAttempts = 1;
  random.SetState(99);
  int32_t first = WeighStrategies(ai);
  random.SetState(99);
  EXPECT_EQ(WeighStrategies(ai), first);
  // The first decade holds one-off purchases back: only expansion scores.
  P(1).money = 0.0f;
  GiveBlock(29, -1);
  GameClock().decade = 0;
  EXPECT_EQ(WeighStrategies(ai), kWeighExpand);
}

TEST_F(AiTest, WeighingTerms) {
  int32_t oneOff = 0, expand = 0;
  GiveBlock(29, 1);  // one short of district 7
  WeighNearlyCompleteDistricts(ai, oneOff);
  EXPECT_EQ(oneOff, 100);
  GiveBlock(4, 1);
  GiveBlock(17, 1);  // two of the four railroads
  oneOff = 0;
  WeighRailUtilityRows(ai, oneOff);
  EXPECT_EQ(oneOff, 60);
  WeighFreeLots(ai, expand);
  EXPECT_EQ(expand, 49);  // the railroads do not count
  P(1).money = 4500.0f;
  oneOff = 0;
  WeighIdleMoney(ai, oneOff);
  EXPECT_EQ(oneOff, 52);
  AddHeldBlock(ai.Districts[7], 29);
  oneOff = 0;
  WeighIdleMoney(ai, oneOff);
  EXPECT_EQ(oneOff, 0);
}

TEST_F(AiTest, HoldingRecords) {
  DistrictHolding& d = ai.Districts[kThreeBlockDistrict];
  EXPECT_EQ(d.StillToGet, 3);
  EXPECT_TRUE(AddHeldBlock(d, 6));
  EXPECT_FALSE(AddHeldBlock(d, 6));
  int32_t out[4];
  ASSERT_EQ(ListHeldBlocks(d, out), 1);
  EXPECT_EQ(out[0], 6);
  ASSERT_EQ(ListMissingBlocks(d, out), 2);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[1], 0);
  RemoveHeldBlock(d, 6);
  EXPECT_EQ(d.HeldCount, 0);
  EXPECT_EQ(d.StillToGet, 3);
  ResetHoldingRecord(d);
  EXPECT_EQ(d.Blocks[0], -1);
}

}  // namespace
