// The computer players' characters as the scripts write them: each method of
// AiChars[i] fills its own row, AiScores stores bytes, and the game's own
// character script gives each character the leanings its name promises.
#include <string>

#include "platform/paths.h"
#include "script/script_bindings.h"
#include "script_fixture.h"
#include "session/ai_characters.h"

namespace {

class AiCharacterBindingTest : public ScriptTest {
 protected:
  void SetUp() override {
    ScriptTest::SetUp();
    for (int32_t row = 0; row < kAiCharacterRows; ++row) ClearAiCharacter(row);
    ResetAiScores();
    RegisterAiCharacterScriptTables(Script());
  }
  void TearDown() override {
    for (int32_t row = 0; row < kAiCharacterRows; ++row) ClearAiCharacter(row);
    ResetAiScores();
    ScriptTest::TearDown();
  }
};

TEST_F(AiCharacterBindingTest, EachMethodFillsItsOwnRow) {
  ASSERT_TRUE(RunScript(R"(
    local ai = AiChars[3]
    ai:SetTraits(4, 8)
    ai:SetStrategySelectionBias(10, 50, 30, 10)
    ai:SetMaxBusinesses(8.9)
    ai:SetPrestigeBias(4)
    ai:SetBaseValMultiplier(150)
    ai:SetFloors(1, 2, 3, 4, 5, 6, 7, 8, 9, 10)
    ai:LoadTimeTable(TAC, 7, 30, TT_RENT)
  )"));
  const AiCharacter& c = *GetAiCharacter(3);
  EXPECT_EQ(c.ShopLiking(), 4);
  EXPECT_EQ(c.HomeLiking(), 8);
  EXPECT_EQ(c.PurchaseBias(), -20);
  EXPECT_EQ(c.BuildBias(), 20);
  EXPECT_EQ(c.businessLimit, 8);
  EXPECT_EQ(c.prestigeBias, 4);
  EXPECT_EQ(c.BlockValuePercent(), 150);
  EXPECT_EQ(c.floors[9], 10);
  EXPECT_EQ(c.timetables[kTimetableTactic][0].due, 7 * 625 + 30 * 10);
  EXPECT_EQ(c.timetables[kTimetableTactic][0].event, TT_RENT);
  // The rows beside it keep the program's start: traits 10, nothing set.
  const AiCharacter& next = *GetAiCharacter(4);
  EXPECT_EQ(next.ShopLiking(), 10);
  EXPECT_EQ(next.PurchaseBias(), 0);
  EXPECT_EQ(next.BlockValuePercent(), 100);
  EXPECT_EQ(next.businessLimit, 0);

  // A timetable holds fifty entries; the fifty-first is left out.
  ASSERT_TRUE(RunScript("for i = 1, 50 do AiChars[3]:LoadTimeTable(HSE, 9, 0, TT_POLL) end"));
  EXPECT_EQ(c.counts[kTimetableHousekeeping], kTimetableSize);
  // A method called with '.' warns and changes nothing.
  RunScript("AiChars[3].SetPrestigeBias(1)");
  EXPECT_EQ(c.prestigeBias, 4);
  EXPECT_EQ(CountBoxes("Calling GetThis by using . instead of :"), 1);
}

TEST_F(AiCharacterBindingTest, ScoreWeightsAreBytes) {
  ASSERT_TRUE(RunScript("AiScores.RRUtil_Max_LandRent_Income = 7 AiScores.MaxDevelopment = 9"));
  ASSERT_TRUE(RunScript("AiScores.MaxScoreCap = 300"));
  EXPECT_EQ(GetAiScores().MaxScoreCap, 300 % 256);
  EXPECT_EQ(GetAiScores().RRUtil_Max_LandRent_Income, 7);
  EXPECT_EQ(GetAiScores().spare, 0);
  EXPECT_EQ(GetAiScores().MaxDevelopment, 9);
  EXPECT_EQ(Eval("AiScores.MaxScoreCap"), 44);
}

// The game's characters, loaded as a game loads them: each one's bytes lean
// the way its name says, against the all-rounder.
TEST_F(AiCharacterBindingTest, TheGamesCharactersLeanAsTheirNamesSay) {
  const std::string root = platform::GameRoot();
  platform::SetGameRoot(std::string(RC_TEST_SOURCE_DIR) + "/data/game");
  ASSERT_TRUE(Script().RunFile("scripts\\default\\ai.lua", true));
  for (int32_t row = 0; row < kAiCharacterRows; ++row)
    ASSERT_TRUE(RunScript("EVENT_LoadHseKeepingTimetable(" + std::to_string(row) + ")"));
  platform::SetGameRoot(root);
  enum { kLandlord, kBidder, kShopkeeper, kTowers, kPrestige, kNightOwl, kHomebody, kSpeculator, kSkinflint, kNeutral };
  auto c = [](int32_t row) { return *GetAiCharacter(row); };
  const AiCharacter neutral = c(kNeutral);
  for (int32_t row : {kLandlord, kHomebody, kTowers})
    EXPECT_GT(c(row).HomeLiking(), c(row).ShopLiking()) << row;
  EXPECT_GT(c(kShopkeeper).ShopLiking(), neutral.ShopLiking());
  EXPECT_LT(c(kShopkeeper).HomeLiking(), neutral.HomeLiking());
  EXPECT_LT(c(kTowers).businessLimit, neutral.businessLimit);
  EXPECT_GT(c(kShopkeeper).businessLimit, neutral.businessLimit);
  EXPECT_GT(c(kPrestige).prestigeBias / 2, neutral.prestigeBias / 2);  // a band higher
  for (int32_t row : {kBidder, kSpeculator}) {
    EXPECT_GT(c(row).PurchaseBias(), neutral.PurchaseBias()) << row;
    EXPECT_GT(c(row).BlockValuePercent(), neutral.BlockValuePercent()) << row;
  }
  EXPECT_GT(c(kLandlord).BuildBias(), neutral.BuildBias());
  EXPECT_LT(c(kSkinflint).BlockValuePercent(), neutral.BlockValuePercent());
  EXPECT_EQ(neutral.PurchaseBias(), 0);
  // Only the tower builder gives up ground before height.
  for (int32_t row = 0; row < kAiCharacterRows; ++row) EXPECT_EQ(c(row).BuildsTall(), row == kTowers) << row;
}

}  // namespace
