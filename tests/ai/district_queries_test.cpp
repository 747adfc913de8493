#include "ai/district_queries.h"

#include "ai/ai_scores.h"
#include "ai_fixture.h"
#include "engine/core/play_warning.h"

namespace {

TEST_F(AiTest, BlocksLeftToGetFollowLeasesAndCash) {
  struct Case {
    int32_t holder;  // -1 the city
    int32_t leaseHours;
    float cash;
    bool listed;
  } cases[] = {
      {0, 5, 5000.0f, true},    // a held lease about to end counts with cash to spare
      {0, 6, 5000.0f, false},   // a longer lease does not
      {0, 5, 4999.0f, true},
      {0, 6, 4999.0f, false},
      {-1, 0, 0.0f, true},      // the city's block always counts
      {1, 100, 5000.0f, false}, // its own block is never to get
  };
  for (const Case& c : cases) {
    GiveBlock(29, c.holder, c.leaseHours);
    GiveBlock(30, -1);
    P(1).money = c.cash;
    int32_t out[4];
    int32_t n = GetBlocksLeftToGetInDistrict(1, kTwoBlockDistrict, out);
    bool listed = n > 0 && out[0] == 29;
    EXPECT_EQ(listed, c.listed) << c.holder << " " << c.leaseHours << " " << c.cash;
    EXPECT_EQ(out[n - 1], 30);
  }
}

TEST_F(AiTest, UsedAreaPercentagesTruncate) {
  EXPECT_TRUE(IsBlockEmpty(29));
  Place(29, 0, 0, 3, 5, 1);  // 4 x 6 lots
  EXPECT_EQ(GetBlockUsedArea(29), 24);
  EXPECT_EQ(GetPcentBlockUsed(29), 48);
  Place(29, 4, 0, 6, 6, 1);
  Place(29, 0, 6, 3, 6, 1, kKindLandscape);
  EXPECT_EQ(GetPcentBlockUsed(29), 100);
  EXPECT_EQ(GetPcentBlockDeveloped(29), (24 + 21) * 100 / 49);
  EXPECT_EQ(GetLandscapeLotsNeeded(29), 16);
  EXPECT_FALSE(IsBlockLandscaped(29));
}

TEST_F(AiTest, LeaderRichestAndWholeSets) {
  GiveBlock(0, 0);
  GiveBlock(1, 1);
  GiveBlock(6, 1);
  int32_t count = 0;
  EXPECT_EQ(GetLeadingOwnerInDistrict(0, count), 1);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(CountOwnedOtherBlocksInDistrict(0), 2);
  EXPECT_TRUE(OwnsAllOtherDistrictBlocks(0, 1));
  EXPECT_FALSE(IsBlockRentopiaOwned(1));
  GiveBlock(0, 1);
  EXPECT_TRUE(IsBlockRentopiaOwned(1));
  EXPECT_EQ(GetLeadingOwnerInDistrict(29, count), -1);
  EXPECT_EQ(count, 0);

  P(0).money = 700.5f;
  P(1).money = 9000.0f;
  int32_t cash = 0;
  EXPECT_EQ(GetRichestOtherPlayer(1, cash), 0);
  EXPECT_EQ(cash, 700);
  P(0).money = -5.0f;
  EXPECT_EQ(GetRichestOtherPlayer(1, cash), -1);
  EXPECT_EQ(cash, 0);
}

TEST_F(AiTest, BadIdsWarnAndGiveNeutralAnswers) {
  int32_t before = PlayWarningCount();
  int32_t out[4];
  EXPECT_FALSE(IsOwnable(52));
  EXPECT_FALSE(IsCityOwnedBlock(-1));
  EXPECT_EQ(GetBlocksLeftToGetInDistrict(1, 12, out), 0);
  EXPECT_EQ(GetNumBlocksOwnedInDistrictForPlayer(3, 6), 0);
  EXPECT_EQ(GetNumPlayerOwnedBlocksDistrict(1, -1), 0);
  EXPECT_EQ(GetTotalBlockProfit(99), 0);
  EXPECT_EQ(GetDistrictRentopiaScore(1, 77), 0);
  EXPECT_EQ(PlayWarningCount() - before, 7);
}

TEST_F(AiTest, BlockProfitTruncatesAfterEachAddition) {
  EXPECT_EQ(GetTotalBlockProfit(29), 0);
  DefineShopType(3, {0});
  for (int x : {0, 3}) {
    int32_t b = Open(3, 2, Place(29, x, 0, x + 1, 1, 1), true);
    for (float& line : g_Businesses[b].Accounts) line = 0.0f;
    g_Businesses[b].Accounts[kLineSales] = 1.6f;
  }
  EXPECT_EQ(GetTotalBlockProfit(29), 2);
}

TEST_F(AiTest, DistrictScoresFromTheScriptTable) {
  GetAiScores().blk3_Rentopia = 77;
  GetAiScores().blk3_1left_city_owned = 33;
  GetAiScores().blk3_opponent_rentopia = 11;
  // The two others held by the human on long leases: block 0 is the last to get.
  GiveBlock(1, 0, 200);
  GiveBlock(6, 0, 200);
  EXPECT_EQ(GetDistrictRentopiaScore(1, 0), 77);
  // One other with the city: two left, the other the city's.
  GiveBlock(6, -1);
  EXPECT_EQ(GetDistrictRentopiaScore(1, 0), 33);
  EXPECT_EQ(FindAiScore("blk3_Rentopia"), &GetAiScores().blk3_Rentopia);
  EXPECT_EQ(FindAiScore("nope"), nullptr);
}

}  // namespace
