// The scenario list, tutorial events and the chat log.
#include <string>

#include "session/tutorial.h"
#include "session_fixture.h"

namespace {

using ScenarioTest = SessionTest;

TEST_F(ScenarioTest, RegistrationReplacesTheSameIdAndRefusesKindsAboveSix) {
  CScenarioManager& m = ScenarioManager();
  ASSERT_NE(m.RegisterLevel(200001, "Old", "old", ""), nullptr);
  m.RegisterLevel(200001, "Free play", "freeplay", "d");
  EXPECT_EQ(m.RegisterLevel(700001, "Too far", "x", ""), nullptr);
  m.RegisterLevelId(300001, 5, "net", 1);
  m.RegisterLevel(100001, "Lesson", "lesson", "");
  ASSERT_NE(m.FindById(200001), nullptr);
  EXPECT_EQ(m.FindById(200001)->folder, "freeplay");
  EXPECT_EQ(m.NextAnyEntry(m.NextAnyEntry(nullptr))->id, 300001);  // no second free play
  EXPECT_EQ(m.FindById(700001), nullptr);

  // Single-player lists hold kinds 1, 2 and 4; network lists kind 3.
  EXPECT_EQ(m.FirstEntry(0)->id, 200001);
  EXPECT_EQ(m.NextEntry(m.FirstEntry(0), 0)->id, 100001);
  EXPECT_EQ(m.FirstEntry(1)->id, 300001);
  EXPECT_FALSE(m.SelectScenario(300001, false));
  EXPECT_EQ(m.Current(), nullptr);
  EXPECT_TRUE(m.SelectScenario(300001, true));
  EXPECT_TRUE(log.Has("trigger SetObjective 0 0"));
  EXPECT_TRUE(m.SelectScenario(100001, false));
  EXPECT_TRUE(m.IsTutorialRunning());
  EXPECT_FALSE(m.SelectScenario(-1, false));
  EXPECT_FALSE(m.IsTutorialRunning());
}

TEST_F(ScenarioTest, ProgressUnlocksAndCompletes) {
  CScenarioManager& m = ScenarioManager();
  m.RegisterLevel(100001, "Lesson", "lesson", "");
  m.RegisterLevel(200001, "One", "one", "");
  m.RegisterLevel(200002, "Two", "two", "");
  EXPECT_EQ(m.UnlockFirstScenario()->id, 200001);  // tutorials are skipped
  m.SetCurrent(m.FindById(200001));
  m.SetDifficulty(2);
  m.UnlockNextScenario();
  m.MarkCurrentCompleted();
  EXPECT_TRUE(m.FindById(200002)->Unlocked());
  EXPECT_EQ(m.FindById(200001)->completed[2], 1);
  m.ResetProgress();
  EXPECT_FALSE(m.FindById(200002)->Unlocked());
  EXPECT_EQ(m.FindById(200001)->completed[2], 0);
}

// Difficulty 0 (which the scripts call easy) takes the keys named HARD.
TEST_F(ScenarioTest, DifficultySelectsTheIncomeValuesOfTheInvertedKeys) {
  Tweaks().railUtilIncome[0] = 7.0f;  // railutilincomeHARD
  Tweaks().railUtilIncome[2] = 3.0f;  // railutilincomeEASY
  Tweaks().dailyFreight[0] = 70.0f;
  ScenarioManager().SetDifficulty(0);
  EXPECT_FLOAT_EQ(GetUtilityIncome().incomeMultiplier, 7.0f);
  EXPECT_FLOAT_EQ(GetUtilityIncome().dailyFreight, 70.0f);
  ScenarioManager().SetDifficulty(2);
  EXPECT_FLOAT_EQ(GetUtilityIncome().incomeMultiplier, 3.0f);
  ScenarioManager().SetDifficulty(3);
  EXPECT_EQ(ScenarioManager().Difficulty(), 2);
}

TEST_F(ScenarioTest, TutorialEventsReachOnlyATutorialsScript) {
  FireTutorialEvent(63);
  ScenarioManager().SetCurrent(ScenarioManager().RegisterLevel(200001, "Free", "freeplay", ""));
  FireTutorialEvent(63);
  EXPECT_FALSE(log.Has("event TutorialEvent 63"));
  StartTutorial();
  FireTutorialEvent(6);
  EXPECT_TRUE(log.Has("event TutorialEvent 6"));
}

TEST_F(ScenarioTest, ChatKeepsTenLinesCutsLongOnesAndAgesThemOut) {
  CChatLog& chat = ChatLog();
  for (int i = 0; i < 11; ++i) chat.AddLine(i % 6, "line " + std::to_string(i));
  ASSERT_EQ(chat.LiveCount(), 10);
  EXPECT_STREQ(chat.Line(0).text, "line 1");
  EXPECT_STREQ(chat.Line(9).text, "line 10");

  chat.Clear();
  chat.PostLine("", 0, {});
  chat.AddLine(0, "");
  EXPECT_EQ(chat.LiveCount(), 0);
  chat.PostLine(std::string(300, 'x'), 2, {});
  ASSERT_EQ(chat.LiveCount(), 1);
  EXPECT_EQ(std::string(chat.Line(0).text).size(), 255u);
  EXPECT_EQ(chat.Line(0).player, 2);

  for (int i = 0; i < kChatLineLife - 1; ++i) chat.Age();
  chat.AddLine(1, "later");
  chat.Age();
  ASSERT_EQ(chat.LiveCount(), 1);
  EXPECT_STREQ(chat.Line(0).text, "later");
}

}  // namespace
