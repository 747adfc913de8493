#include "ai/scoring_terms.h"

#include "ai/district_queries.h"
#include "ai/set_scores.h"
#include "ai_fixture.h"
#include "engine/core/play_warning.h"
#include "session/game_clock.h"

namespace {

TEST_F(AiTest, CharacterTableAndBaseScores) {
  EXPECT_EQ(GetRentopiaScoreFor(4, 4), 50);
  EXPECT_EQ(GetRentopiaScoreFor(3, 2), 0);
  EXPECT_EQ(GetRentopiaScoreFor(1, 2), 80);
  EXPECT_EQ(GetRentopiaScoreFor(10, 7), -30);
  EXPECT_EQ(GetRentopiaScoreFor(1, 5), 0);
  int32_t before = PlayWarningCount();
  EXPECT_EQ(GetRentopiaScoreFor(11, 4), 0);
  EXPECT_EQ(PlayWarningCount(), before + 1);

  EXPECT_EQ(CashReserve(8), 0);
  EXPECT_EQ(CharacterOffset(8), 1000);
  EXPECT_EQ(CharacterOffset(3), -1000);
  EXPECT_FLOAT_EQ(DevelopWeight(4), -0.3f);
  EXPECT_FLOAT_EQ(BidFactor(8), 9.7f);
  EXPECT_EQ(CashReserve(10), 0);
  EXPECT_EQ(PrestigeBand(-1), 0);

  ai.ScoreNote = -1;
  EXPECT_EQ(ScoreFourOwned(ai, 3), 100);
  EXPECT_EQ(ai.ScoreNote, 0);
  EXPECT_EQ(ScoreFourOwned(ai, 2), 40);
  EXPECT_EQ(ai.ScoreNote, 1);
  EXPECT_EQ(ScoreFourOpponent(3), -40);
  EXPECT_EQ(ScoreFourOpponent(2), -30);
}

TEST_F(AiTest, CharacterEightHasNoReserveInBudgets) {
  InitAiPlayerState(ai, 1, 8, &random);
  P(1).money = 3000.0f;
  GiveBlock(29, -1);
  int32_t lease = static_cast<int32_t>(g_Blocks[29].GetLeasePrice());
  EXPECT_EQ(GetBidCeiling(29, ai), 3000);
  EXPECT_EQ(GetBidValue(29, ai), lease);  // nothing on the block, no reserve to add
  ai.ScoreNote = 0;
  // f = (1000 - 1000) x 0.0005 = 0: the cap is b itself.
  EXPECT_EQ(GetValueCap(ai, 5000, 1000), 1000);
  EXPECT_EQ(GetValueCap(ai, 500, 1000), 500);
}

TEST_F(AiTest, ValueCapByScoreNote) {
  // Character 4: offset 900, f = 100 x 0.0005 = 0.05.
  struct Case {
    int32_t note;
    bool warned;
    int32_t cap;
  } cases[] = {{0, false, 1000 + static_cast<int32_t>(0.05f * 4000)},
               {1, false, 1000 + static_cast<int32_t>(0.025f * 4000)},
               {3, false, 1000},
               {0, true, 1000}};
  for (const Case& c : cases) {
    ai.ScoreNote = c.note;
    ai.Warned24h = c.warned;
    EXPECT_EQ(GetValueCap(ai, 5000, 1000), c.cap) << c.note;
  }
}

TEST_F(AiTest, AffordabilityCutsAContestedScore) {
  P(1).money = 1000.0f;
  EXPECT_FLOAT_EQ(ApplyAffordability(ai, 50.0f, 900.0f), 50.0f * 1.3f);
  ai.ScoreNote = 2;
  // 500 short: half the score goes.
  EXPECT_FLOAT_EQ(ApplyAffordability(ai, 50.0f, 1500.0f), 25.0f);
  EXPECT_EQ(ai.ScoreNote, 3);
  ai.ScoreNote = 2;
  EXPECT_FLOAT_EQ(ApplyAffordability(ai, 50.0f, 5000.0f), 0.0f);
  EXPECT_EQ(ai.ScoreNote, -1);
}

TEST_F(AiTest, PrestigeAndResidentTerms) {
  g_Blocks[29].Prestige = 9.5f;  // counts as 5; character 4's band is 1
  EXPECT_FLOAT_EQ(AddPrestigeTerm(29, ai, 10.0f), 8.0f);
  g_Blocks[29].Prestige = 1.2f;
  EXPECT_FLOAT_EQ(AddPrestigeTerm(29, ai, 10.0f), 12.0f);
  EXPECT_FLOAT_EQ(AddResidentTerm(29, ai, 10.7f), 10.0f);
}

TEST_F(AiTest, LandRentTermOnFreshlyLetDistricts) {
  Tweaks().blockLeaseLength = 200;
  GiveBlock(29, 0, 200 - 24);  // held one day: rent stage 1
  GiveBlock(30, -1);
  EXPECT_EQ(DistrictRentStage(30), 1);
  ai.ScoreNote = 0;
  EXPECT_FLOAT_EQ(AddLandRentTerm(30, ai, 100.0f, 500.0f), 40.0f);
  ai.ScoreNote = 1;
  EXPECT_FLOAT_EQ(AddLandRentTerm(30, ai, 100.0f, 500.0f), 100.0f);
  GiveBlock(29, 0, 200 - 24 * 130);
  EXPECT_EQ(DistrictRentStage(30), 120);
  Tweaks().blockLeaseLength = 0;
}

TEST_F(AiTest, CashAdjustmentBothWays) {
  GiveBlock(29, -1);
  int32_t worth = static_cast<int32_t>(GetBlockWorth(29, ai));
  P(1).money = static_cast<float>(worth + 1000);
  EXPECT_EQ(AdjustForCash(29, ai, 100, 50), 50 + 10);
  P(1).money = static_cast<float>(worth - 3000);
  EXPECT_EQ(AdjustForCash(29, ai, 100, 50), 50 - 50);
}

}  // namespace
