// The token choice's rules: clashes (the human wins, computers move up),
// stepping round the ten tokens, the start check, and where the level lists
// open.
#include <gtest/gtest.h>

#include "frontend/level_marks.h"
#include "frontend/token_choice.h"

namespace {

TokenRows Rows(int32_t human, std::initializer_list<int32_t> computerRequests) {
  TokenRows rows;
  rows[0].kind = 0;
  rows[0].token = human;
  rows[0].name = "Ann";
  int32_t n = 1;
  for (int32_t request : computerRequests) {
    rows[size_t(n)].kind = 1;
    rows[size_t(n)].request = request;
    rows[size_t(n)].name = "Rival";
    ++n;
  }
  return rows;
}

TEST(TokenChoice, ClashesMoveComputersUpAndNeverTheHuman) {
  struct Case {
    int32_t human;
    std::initializer_list<int32_t> requests;
    std::vector<int32_t> expected;  // rows 1.. after resolving
  };
  const Case cases[] = {
      {3, {3}, {4}},                 // onto the human: the next one up
      {3, {3, 4}, {4, 5}},           // the moved one pushes the next request up too
      {9, {9}, {0}},                 // round past 9
      {0, {1, 1, 1, 1, 1}, {1, 2, 3, 4, 5}},
      {2, {5, 6}, {5, 6}},           // no clash: as asked
      {8, {8, 9, 0, 8, 8}, {9, 0, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    TokenRows rows = Rows(c.human, c.requests);
    ResolveTokenClashes(rows);
    EXPECT_EQ(rows[0].token, c.human);
    for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(rows[i + 1].token, c.expected[i]) << c.human << " row " << i + 1;
  }
}

TEST(TokenChoice, StepsWrapAndTheHumansChoiceWins) {
  TokenRows rows = Rows(0, {9});
  StepHumanToken(rows, -1);  // LEFT from 0
  EXPECT_EQ(rows[0].token, 9);
  EXPECT_EQ(rows[1].token, 0);  // the computer moved off 9, up round to 0
  StepHumanToken(rows, +1);  // RIGHT from 9
  EXPECT_EQ(rows[0].token, 0);
  EXPECT_EQ(rows[1].token, 9);  // back on what its script asked for
}

TEST(TokenChoice, StartNeedsATokenAndANameOnEveryUsedRow) {
  TokenRows rows = Rows(2, {4});
  ResolveTokenClashes(rows);
  EXPECT_TRUE(TokenRowsReady(rows));
  TokenRows noToken = Rows(2, {-1});  // a script that named no token
  ResolveTokenClashes(noToken);
  EXPECT_FALSE(TokenRowsReady(noToken));
  TokenRows noName = rows;
  noName[1].name.clear();
  EXPECT_FALSE(TokenRowsReady(noName));
}

TEST(LevelLists, OpenOnTheFirstUndoneTutorialAndUnwonScenario) {
  auto level = [](bool easy, bool medium, bool hard) {
    ListedLevel l;
    l.completed[0] = easy;
    l.completed[1] = medium;
    l.completed[2] = hard;
    return l;
  };
  const ListedLevel none = level(false, false, false), easy = level(true, false, false),
                    hardOnly = level(false, false, true);
  EXPECT_EQ(FirstUndoneTutorialLine({easy, easy, none, none}), 2);
  EXPECT_EQ(FirstUndoneTutorialLine({easy, easy}), -1);
  EXPECT_EQ(FirstUndoneTutorialLine({hardOnly, none}), 1);
  // ... but only a lesson done at the first difficulty is ticked, and a
  // level shows the cup of each difficulty it was won at.
  EXPECT_TRUE(LessonTicked(easy));
  EXPECT_FALSE(LessonTicked(hardOnly));
  EXPECT_EQ(LevelCupImage(hardOnly, 2), kCupImage[2]);
  EXPECT_EQ(LevelCupImage(hardOnly, 0), kEmptyCupImage);
  // Counting stops at the first one not done, whatever follows.
  EXPECT_EQ(FirstUndoneTutorialLine({none, easy}), 0);
  EXPECT_EQ(FirstUndoneTutorialLine({}), -1);
  EXPECT_EQ(FirstUnwonScenarioLine({easy, hardOnly, none, easy}), 2);
  EXPECT_EQ(FirstUnwonScenarioLine({easy, hardOnly}), -1);
}

}  // namespace
