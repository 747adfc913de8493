#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "economy_fixture.h"
#include "engine/core/command_script.h"
#include "engine/core/console.h"

namespace {

class PeopleCommands : public EconomyTest {
 protected:
  void SetUp() override {
    EconomyTest::SetUp();
    ClearConsoleCommandTable();
    RegisterConsoleCommands();
    RegisterEconomyConsoleCommands();
    oldSink = SetConsoleSink([this](std::string_view text, int kind) {
      lines.push_back((kind == kConsoleError ? "E:" : "R:") + std::string(text));
    });
  }
  void TearDown() override {
    SetConsoleSink(oldSink);
    ClearConsoleCommandTable();
    EconomyTest::TearDown();
  }
  std::vector<std::string> lines;
  ConsoleSink oldSink;
};

TEST_F(PeopleCommands, TimetableScriptFillsHoursWithActivityCodes) {
  RunCommandScript(
      "// a parameter file\n"
      "TIMETABLE 3 HOUR24 SLEEP\n"
      "timetable 3 hour1 go_to_uni\n"
      "TIMETABLE 3 HOUR23 AT_SCHOOL\n"
      "TIMETABLE 99 HOUR12 MAIN_SHOPPING\r\n"
      "TIMETABLE 4 HOUR7\n");
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(g_Timetables[3][0], kActSleep);
  EXPECT_EQ(g_Timetables[3][1], kActGoToSchool);
  EXPECT_EQ(g_Timetables[3][23], kActAtWork);
  EXPECT_EQ(g_Timetables[99][12], kActMainShopping);
  EXPECT_EQ(g_Timetables[4][7], kNoActivity);  // missing word: nothing
  EXPECT_EQ(g_Timetables[3][2], kNoActivity);
  EXPECT_EQ(GetTimetableActivity(3, 24), kActSleep);
  EXPECT_EQ(GetTimetableActivity(3, 0), kActSleep);
  EXPECT_EQ(GetTimetableActivity(-1, 3), kNoActivity);
  EXPECT_EQ(GetTimetableActivity(100, 3), kNoActivity);
}

TEST_F(PeopleCommands, KeywordsAndTheirCodes) {
  struct Case {
    const char* keyword;
    int32_t code;
  } cases[] = {{"SLEEP", 0},           {"STROLL", 1},         {"GO_HOME", 2},         {"GO_TO_WORK", 3},
               {"GO_TO_SCHOOL", 4},    {"GO_TO_UNI", 4},      {"LOOK_FOR_A_HOUSE", 5}, {"LOOK_FOR_A_JOB", 6},
               {"COLLECT_WELFARE", 7}, {"COLLECT_PENSION", 8}, {"SNACK_TIME", 9},      {"MEAL_TIME", 10},
               {"ENTERTAINMENT", 11},  {"MAIN_SHOPPING", 12}, {"STAY_OVER", 13},      {"AT_HOME", 14},
               {"AT_WORK", 15},        {"AT_SCHOOL", 15},     {"AT_UNI", 15},         {"UNDEFINED", 17},
               {"sleep", -1},          {"NAP", -1}};
  for (const Case& c : cases) EXPECT_EQ(ActivityFromKeyword(c.keyword), c.code) << c.keyword;
  EXPECT_EQ(HourSlotFromKeyword("HOUR24"), 0);
  EXPECT_EQ(HourSlotFromKeyword("HOUR9"), 9);
  EXPECT_EQ(HourSlotFromKeyword("HOUR23"), 23);
  for (const char* bad : {"HOUR0", "HOUR25", "HOUR09", "hour9", "HOUR", "HOUR1X", "HOURS"})
    EXPECT_EQ(HourSlotFromKeyword(bad), -1) << bad;
}

TEST_F(PeopleCommands, InvalidTimetableEntriesAreReportedAndChangeNothing) {
  RunCommandScript(
      "TIMETABLE 100 HOUR1 SLEEP\n"
      "TIMETABLE -1 HOUR1 SLEEP\n"
      "TIMETABLE 5 HOUR0 SLEEP\n"
      "TIMETABLE 5 HOUR2 DANCE\n"
      "TIMETABLE SIX HOUR1 SLEEP\n"
      "TIMETABLE 2X HOUR1 SLEEP\n");
  std::vector<std::string> expected = {
      "E:Invalid timetable entry 100 HOUR1 SLEEP",
      "E:Invalid timetable entry -1 HOUR1 SLEEP",
      "E:Invalid timetable entry 5 HOUR0 SLEEP",
      "E:Invalid timetable entry 5 HOUR2 DANCE",
      "E:Invalid timetable entry SIX HOUR1 SLEEP",
      "E:Invalid timetable entry 2X HOUR1 SLEEP",
  };
  EXPECT_EQ(lines, expected);
  for (const auto& t : g_Timetables)
    for (int32_t code : t) ASSERT_EQ(code, kNoActivity);
}

TEST_F(PeopleCommands, DailyObjectivesTakeEitherArgumentOrder) {
  RunCommandScript(
      "ADD_DAILY_OBJECTIVE ADULT 7\n"
      "ADD_DAILY_OBJECTIVE 8 tourist\n"
      "ADD_DAILY_OBJECTIVE UNHOUSED\n"
      "ADD_DAILY_OBJECTIVE WORKERS 3\n"
      "ADD_DAILY_OBJECTIVE ADULT 100\n"
      "ADD_DAILY_OBJECTIVE -2 ADULT\n"
      "ADD_DAILY_OBJECTIVE ADULT seven\n");
  EXPECT_EQ(g_ObjectiveLists[kObjectiveAdult].Count, 1);
  EXPECT_EQ(g_ObjectiveLists[kObjectiveAdult].Timetables[0], 7);
  EXPECT_EQ(g_ObjectiveLists[kObjectiveTourist].Count, 1);
  EXPECT_EQ(g_ObjectiveLists[kObjectiveTourist].Timetables[0], 8);
  EXPECT_EQ(g_ObjectiveLists[kObjectiveUnhoused].Count, 0);
  std::vector<std::string> expected = {
      "E:Invalid daily objective WORKERS 3",
      "E:Invalid daily objective ADULT 100",
      "E:Invalid daily objective ADULT -2",
      "E:Invalid daily objective ADULT seven",
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(PeopleCommands, TheThirtyThirdObjectiveIsRefused) {
  std::string script;
  for (int i = 0; i < 33; ++i) script += "ADD_DAILY_OBJECTIVE SENIOR_CITIZENS " + std::to_string(i) + "\n";
  RunCommandScript(script);
  EXPECT_EQ(g_ObjectiveLists[kObjectiveSeniorCitizens].Count, 32);
  EXPECT_EQ(lines, std::vector<std::string>{"E:Invalid daily objective SENIOR_CITIZENS 32"});
  EXPECT_FALSE(AddDailyObjective("SENIOR_CITIZENS", 1));
}

TEST_F(PeopleCommands, DrawingFollowsThePeopleStream) {
  EXPECT_EQ(DrawDailyObjective(kObjectiveAdult), -1);  // empty list
  AddDailyObjective("ADULT", 10);
  AddDailyObjective("ADULT", 11);
  AddDailyObjective("ADULT", 11);  // twice: twice the chance
  PeopleRandom().SetState(777);
  uint32_t state = 777;
  for (int i = 0; i < 20; ++i) {
    state = state * 214013u + 2531011u;
    int32_t expected = g_ObjectiveLists[kObjectiveAdult].Timetables[((state >> 16) & 0x7FFF) % 3];
    EXPECT_EQ(DrawDailyObjective(kObjectiveAdult), expected);
  }
  EXPECT_EQ(DrawDailyObjective(6), -1);
  EXPECT_EQ(ObjectiveClassForPerson(kTourist, false), kObjectiveTourist);
  EXPECT_EQ(ObjectiveClassForPerson(kChild, false), kObjectiveUnhoused);
  EXPECT_EQ(ObjectiveClassForPerson(kPensioner, true), kObjectiveSeniorCitizens);
}

TEST_F(PeopleCommands, PeopleSpeedClassWeightingAndScores) {
  RunCommandScript(
      "PEOPLESPEED oap 0.75\n"
      "PEOPLESPEED DISPLACEMENT 0.3\n"
      "PEOPLESPEED HORSE 2\n"
      "PEOPLESPEED CHILD\n"
      "CLASSWEIGHTING medium prestige 2.5\n"
      "CLASSWEIGHTING HIGH MICRODISTANCE\n"
      "CLASSWEIGHTING upper VALUE 3\n"
      "CLASSWEIGHTING LOW COLOUR 3\n"
      "BLOCKCLASSSCORE NOWHERE LOW 5\n"
      "PROXIMITYSCORE 10 20\n"
      "PROXIMITYSCORE 30\n"
      "BLOCKRENTSCORE HIGH 1 2\n"
      "APARTMENTRENTADJUST middle 1 2\n");
  EXPECT_FLOAT_EQ(g_PeopleSpeeds[3], 0.75f);
  EXPECT_FLOAT_EQ(g_PeopleSpeeds[kChassisDisplacement], 0.3f);
  EXPECT_FLOAT_EQ(g_PeopleSpeeds[0], 0.4f);
  EXPECT_FLOAT_EQ(g_SocialClasses[1].PrestigeWeight, 2.5f);
  EXPECT_FLOAT_EQ(g_SocialClasses[2].TripDistanceWeight, 1.0f);
  std::vector<std::string> expected = {
      "E:Invalid chassis type HORSE",
      "R:Class Weighting : PRESTIGE 2",  // the reply cuts to a whole number
      "R:Class Weighting : MICRODISTANCE 1",
      "E:Error. Unrecognised quality type UPPER",
      "E:Error. Unrecognised weighting type COLOUR",
      "E:Error. Unidentifiable block NOWHERE",
      "E:Error. Unrecognised quality type MIDDLE",
  };
  EXPECT_EQ(lines, expected);
  for (const ClassPairLists& l : g_ClassPairLists) {
    ASSERT_EQ(l.Proximity.Count, 1);
    EXPECT_EQ(l.Proximity.First[0], 10);
    EXPECT_EQ(l.Proximity.Second[0], 20);
  }
  EXPECT_EQ(g_ClassPairLists[2].RentScore.Count, 1);
  EXPECT_EQ(g_ClassPairLists[0].RentScore.Count, 0);

  lines.clear();
  std::string key = g_BlockDefs[5].Key;
  ExecuteConsoleCommand(("BLOCKCLASSSCORE " + key + " high 42").c_str());
  ExecuteConsoleCommand(("BLOCKCLASSSCORE " + key + " HIGH").c_str());
  EXPECT_EQ(g_BlockDefs[5].ClassScore[2], 42);
  EXPECT_EQ(lines, (std::vector<std::string>{"R:Current block class score: 42", "R:Current block class score: 42"}));
}

TEST_F(PeopleCommands, ScoreListsHoldFifteenPairs) {
  for (int i = 0; i < 16; ++i) ExecuteConsoleCommand("BLOCKRENTSCORE LOW 1 1");
  EXPECT_EQ(g_ClassPairLists[0].RentScore.Count, 15);
  EXPECT_EQ(lines, std::vector<std::string>{"E:Error. Score list full"});
}

}  // namespace
