// Utility and railroad income in a running game: the income values are
// chosen by the game's difficulty when a level starts and when a game is
// loaded, so the railroads pay their freight at 6 o'clock.
#include "game_fixture.h"
#include "session/utility_income.h"

namespace {

using RailroadIncomeTest = RunningGameTest;

TEST_F(RailroadIncomeTest, RailroadsPayAfterALevelStartAndAfterALoad) {
  // As the default scripts set them; difficulty 0 (easy) takes the HARD keys,
  // which hold the generous values.
  Tweaks().railUtilIncome[0] = 1.25f;
  Tweaks().railUtilIncome[2] = 0.75f;
  Tweaks().dailyFreight[0] = 300.0f;
  Tweaks().dailyFreight[2] = 200.0f;
  GetUtilityIncome() = UtilityIncome{};
  CurrentSaveHeader().difficulty = 0;
  StartLevelSession();
  CPlayer* me = PlayerTable().Get(0);
  const int32_t rail = RailroadBlock(0);
  ASSERT_GE(rail, 0);
  me->TakeBlock(rail, 0.0f);
  auto payout_at_six = [&] {
    GameClock().hour = 5;
    Session().tickInHour = 0;
    const float before = me->Today()[kLedgerRailroadFirst];
    RunTicks(int(kTicksPerHour));
    EXPECT_EQ(GameClock().hour, 6);
    return me->Today()[kLedgerRailroadFirst] - before;
  };
  // The freight and whatever fares the railroad's passengers paid.
  EXPECT_GE(payout_at_six(), 300.0f * 0.25f * 1.25f);
  EXPECT_FLOAT_EQ(GetUtilityIncome().dailyFreight, 300.0f);

  // A game saved at difficulty 2 and loaded into a program that has chosen
  // nothing yet.
  CurrentSaveHeader().difficulty = 2;
  ASSERT_TRUE(SaveGame("rail.sav"));
  GetUtilityIncome() = UtilityIncome{};
  CurrentSaveHeader().difficulty = 0;
  ASSERT_TRUE(LoadGame("rail.sav"));
  me = PlayerTable().Get(0);
  ASSERT_NE(me, nullptr);
  EXPECT_GE(payout_at_six(), 200.0f * 0.25f * 0.75f);
  EXPECT_FLOAT_EQ(GetUtilityIncome().incomeMultiplier, 0.75f);
}

}  // namespace
