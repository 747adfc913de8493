// The parameter files the build copies into the game root: each runs through
// the command table with the city's and the economy's commands attached and
// draws no error, and the timetables they write give the people a day that
// makes sense: school and work in the day, home at night, shopping between.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/city_commands.h"
#include "city/economy.h"
#include "city/fixture_city.h"
#include "city/people.h"
#include "city/population_classes.h"
#include "city/prestige_textures.h"
#include "city/timetables.h"
#include "engine/core/error.h"
#include "platform/paths.h"
#include "engine/core/command_script.h"
#include "engine/core/console.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDecades = 8;
constexpr int kLevelStartHour = 9;

std::string DecadeFile(int decade) { return std::to_string(1930 + 10 * decade) + ".prm"; }

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool IsWorkCode(int32_t code) { return code == kActGoToWork || code == kActGoToSchool || code == kActAtWork; }
bool IsHomeCode(int32_t code) { return code == kActGoHome || code == kActAtHome; }

int CountHours(int32_t timetable, bool (*match)(int32_t)) {
  int n = 0;
  for (int32_t code : g_Timetables[timetable]) n += match(code) ? 1 : 0;
  return n;
}

class ParameterFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ThrowOnFatalError();
    oldRoot_ = platform::GameRoot();
    platform::SetGameRoot(RC_GAME_ROOT);
    FixtureCityOptions o;
    o.People = 0;
    o.Seed = 17;
    o.StartHour = kLevelStartHour;
    BuildFixtureCity(o);
    // The fixture brings timetables of its own; the files' must stand alone.
    ResetTimetables();
    ResetPeopleSpeeds();
    ClearConsoleCommandTable();
    RegisterConsoleCommands();
    RegisterCityConsoleCommands();
    RegisterPrestigeTextureCommand();
    RegisterEconomyConsoleCommands();
    ResetPrestigeTextureLists();
    oldSink_ = SetConsoleSink([this](std::string_view text, int kind) {
      std::string line(text);
      bool fault = kind == kConsoleError;
      for (const char* word : {"Error.", "Invalid", "Unknown", "Unrecognised"}) {
        fault |= line.find(word) != std::string::npos;
      }
      if (fault) faults_.push_back(reading_ + ": " + line);
    });
  }
  void TearDown() override {
    SetConsoleSink(oldSink_);
    ClearConsoleCommandTable();
    platform::SetGameRoot(oldRoot_);
  }

  void Read(const std::string& name) {
    reading_ = name;
    ReadParameterFile("parameters\\" + name);
  }
  // What start-up reads, then a level's decade files up to the first decade.
  void ReadStartUpFiles() {
    Read("parameter.prm");
    Read("timetable.prm");
    Read(DecadeFile(0));
  }
  void ReadDecades(int upTo) {
    for (int d = 0; d <= upTo; ++d) Read(DecadeFile(d));
  }

  // Every faulty reply so far, one a line.
  std::string Faults() const {
    std::string all;
    for (const std::string& f : faults_) all += f + "\n";
    return all;
  }
  // The timetable numbers on one class's list.
  static std::vector<int32_t> ListOf(int32_t objectiveClass) {
    const ObjectiveList& l = g_ObjectiveLists[objectiveClass];
    return {l.Timetables, l.Timetables + std::clamp(l.Count, 0, kMaxObjectives)};
  }

  std::vector<std::string> faults_;
  std::string reading_;
  std::string oldRoot_;
  ConsoleSink oldSink_;
};

TEST_F(ParameterFiles, EveryFileHoldsOnlyCommandsTheGameRuns) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::path(RC_GAME_ROOT) / "parameters")) {
    if (entry.path().extension() == ".prm") names.push_back(entry.path().filename().string());
  }
  std::vector<std::string> expected = {"parameter.prm", "timetable.prm"};
  for (int d = 0; d < kDecades; ++d) expected.push_back(DecadeFile(d));
  for (const std::string& name : expected) {
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
  }
  for (const std::string& name : names) {
    std::string text = FileText(fs::path(RC_GAME_ROOT) / "parameters" / name);
    // A byte above 127 would end the file there, silently.
    auto high = std::find_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    EXPECT_EQ(high, text.end()) << name << " has a byte above 127 at " << (high - text.begin());
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
      EXPECT_LE(line.size(), 510u) << name << ":" << number;
      std::istringstream words(line);
      std::string command;
      if (!(words >> command) || command.rfind("//", 0) == 0) continue;
      UpperCaseWord(command);
      int index = FindConsoleCommand(command);
      ASSERT_GE(index, 0) << name << ":" << number << ": " << line;
      EXPECT_NE(ConsoleCommandTable()[index].handler, nullptr) << name << ":" << number << ": " << line;
    }
  }
}

TEST_F(ParameterFiles, StartUpAndEveryDecadeRunWithoutAnError) {
  ReadStartUpFiles();
  EXPECT_EQ(Faults(), "");
  // A decade change reads the decade files again from 1930, and so do a new
  // level and a loaded game: every decade, more than once.
  for (int d = 0; d < kDecades; ++d) ReadDecades(d);
  ReadDecades(kDecades - 1);
  EXPECT_EQ(Faults(), "");

  // What the files set took effect.
  EXPECT_EQ(g_BuildingKinds[kKindResidential].Figures[kFigureRent], 2);
  EXPECT_GT(g_BuildingKinds[kKindRetail].Figures[kFigureCostPerUnit], 20);  // later decades cost more
  EXPECT_FLOAT_EQ(g_PeopleSpeeds[kChassisDisplacement], 0.15f);
  EXPECT_GT(g_SocialClasses[2].PrestigeWeight, g_SocialClasses[0].PrestigeWeight);
  EXPECT_GT(g_SocialClasses[0].PriceWeight, g_SocialClasses[2].PriceWeight);
  EXPECT_GT(g_ClassPairLists[0].Proximity.Count, 0);
  EXPECT_GT(g_ClassPairLists[1].RentScore.Count, 0);
  EXPECT_GT(g_ClassPairLists[2].ApartmentRent.Count, 0);
  // Every prestige level has wall textures to build with, all of real materials.
  for (const PrestigeTextureList& list : PrestigeTextureLists()) {
    EXPECT_GT(list.Count, 0);
    for (int32_t texture : list.View()) EXPECT_TRUE(texture >= 0 && texture < 65536 && texture % 16 == 0) << texture;
  }
  int dock = FindBlockByKey("DOCK_1"), strand = FindBlockByKey("STRANDWAY");
  ASSERT_GE(dock, 0);
  ASSERT_GE(strand, 0);
  EXPECT_GT(g_BlockDefs[dock].ClassScore[0], g_BlockDefs[strand].ClassScore[0]);
  EXPECT_GT(g_BlockDefs[strand].ClassScore[2], g_BlockDefs[dock].ClassScore[2]);
}

TEST_F(ParameterFiles, TheFirstDecadeSetsBackEverythingLaterDecadesChange) {
  ReadStartUpFiles();
  auto kinds = g_BuildingKinds;
  auto classes = g_SocialClasses;
  auto lists = g_ClassPairLists;
  auto objectives = g_ObjectiveLists;
  auto timetables = g_Timetables;
  auto speeds = g_PeopleSpeeds;
  auto blocks = g_BlockDefs;
  auto districts = g_Districts;
  auto textures = PrestigeTextureLists();
  ReadDecades(kDecades - 1);
  EXPECT_NE(std::memcmp(&textures, &PrestigeTextureLists(), sizeof textures), 0);
  EXPECT_NE(std::memcmp(&kinds, &g_BuildingKinds, sizeof kinds), 0);  // the decades do change things
  // A new game, or a game loaded back into the 1930s. Lists that a decade
  // file appended to would have grown.
  ReadDecades(0);
  EXPECT_EQ(std::memcmp(&kinds, &g_BuildingKinds, sizeof kinds), 0);
  EXPECT_EQ(std::memcmp(&classes, &g_SocialClasses, sizeof classes), 0);
  EXPECT_EQ(std::memcmp(&lists, &g_ClassPairLists, sizeof lists), 0);
  EXPECT_EQ(std::memcmp(&objectives, &g_ObjectiveLists, sizeof objectives), 0);
  EXPECT_EQ(timetables, g_Timetables);
  EXPECT_EQ(speeds, g_PeopleSpeeds);
  EXPECT_EQ(std::memcmp(&blocks, &g_BlockDefs, sizeof blocks), 0);
  EXPECT_EQ(std::memcmp(&districts, &g_Districts, sizeof districts), 0);
  EXPECT_EQ(std::memcmp(&textures, &PrestigeTextureLists(), sizeof textures), 0);
  EXPECT_EQ(Faults(), "");
}

TEST_F(ParameterFiles, EveryClassDrawsFullDaysWithWorkAndHomeWhereTheyBelong) {
  ReadStartUpFiles();
  for (int32_t cls = 0; cls < kObjectiveClassCount; ++cls) {
    std::vector<int32_t> list = ListOf(cls);
    ASSERT_FALSE(list.empty()) << "class " << cls;
    int working = 0;
    for (int32_t t : list) {
      SCOPED_TRACE("class " + std::to_string(cls) + ", timetable " + std::to_string(t));
      // Every hour set, so a person created at any hour acts at once.
      for (int32_t code : g_Timetables[t]) {
        EXPECT_GE(code, 0);
        EXPECT_LE(code, kActUndefined);
      }
      // Nights asleep, and home (or the station, without one) before them.
      for (int hour : {0, 1, 2, 3, 4}) EXPECT_EQ(g_Timetables[t][hour], kActSleep) << hour;
      EXPECT_GT(CountHours(t, IsHomeCode), 0);
      int work = CountHours(t, IsWorkCode);
      if (work >= 4) ++working;
      if (cls == kObjectiveUnhoused) {
        EXPECT_EQ(g_Timetables[t][kLevelStartHour], kActLookForHouse);  // a new city's people move in at once
        EXPECT_GE(std::count(g_Timetables[t].begin(), g_Timetables[t].end(), kActLookForHouse), 6);
      }
      if (cls == kObjectiveChildrenSchool) {
        for (int hour = 9; hour < 15; ++hour) EXPECT_TRUE(IsWorkCode(g_Timetables[t][hour])) << hour;
      }
    }
    int entries = static_cast<int>(list.size());
    switch (cls) {
      case kObjectiveChildrenSchool:
      case kObjectiveTeenagerUni: EXPECT_EQ(working, entries); break;
      case kObjectiveAdult: EXPECT_GE(working * 4, entries * 3); break;  // most days are working days
      default: EXPECT_EQ(working, 0) << "class " << cls; break;
    }
  }
}

TEST_F(ParameterFiles, APersonCreatedAfterReadingThemGetsAWorkAndAHomePeriod) {
  ReadStartUpFiles();
  for (int32_t kind : {kChild, kTeenager, kAdult}) {
    SCOPED_TRACE("kind " + std::to_string(kind));
    // Adults have days off now and then: most of them work.
    int people = kind == kAdult ? 20 : 3, working = 0;
    for (int i = 0; i < people; ++i) {
      CPerson* p = CreatePerson(kind, 2, -1);
      ASSERT_NE(p, nullptr);
      // Homeless at first, it draws the day of the homeless and goes house hunting.
      EXPECT_EQ(g_PersonCycles[p->Index].State, kStateLookForHouse);
      UpdatePerson(*p);
      ASSERT_TRUE(p->IsHoused());
      // Housed, it draws its own kind's day.
      std::vector<int32_t> list = ListOf(ObjectiveClassForPerson(kind, true));
      EXPECT_NE(std::find(list.begin(), list.end(), p->DayTimetable), list.end());
      EXPECT_GT(CountHours(p->DayTimetable, IsHomeCode), 0);
      EXPECT_EQ(g_Timetables[p->DayTimetable][2], kActSleep);
      working += CountHours(p->DayTimetable, IsWorkCode) >= 4 ? 1 : 0;
    }
    EXPECT_GE(working * 10, people * (kind == kAdult ? 6 : 10));
  }
}

// Share of the people that pass `who` and are in one of `states`, in percent.
template <typename Who>
int PercentIn(Who who, std::initializer_list<int32_t> states, int* counted = nullptr) {
  int all = 0, in = 0;
  for (int i = 0; i < g_PeopleCount; ++i) {
    if (!g_People[i].InUse || !who(g_People[i])) continue;
    ++all;
    int32_t s = g_PersonCycles[i].State;
    in += std::find(states.begin(), states.end(), s) != states.end() ? 1 : 0;
  }
  if (counted) *counted = all;
  return all == 0 ? 0 : in * 100 / all;
}

void RunToHour(int32_t hour) {
  do {
    RunFixtureCity(kTicksPerGameHour);
  } while (FixtureHour() != hour);
}

TEST_F(ParameterFiles, ACityFollowsTheTimetablesThroughADay) {
  ReadStartUpFiles();
  ASSERT_EQ(Faults(), "");
  for (int i = 0; i < 400; ++i) ASSERT_NE(CreatePerson(-1, -1, -1), nullptr);
  auto housed = [](const CPerson& p) { return p.IsHoused() && p.Kind != kTourist; };
  auto notTourist = [](const CPerson& p) { return p.Kind != kTourist; };
  EXPECT_EQ(PercentIn(notTourist, {kStateLookForHouse}), 100);

  // The afternoon: most have found a home; people are out shopping.
  int shopping = 0;
  for (int32_t hour : {12, 13, 14, 15, 16, 17}) {
    RunToHour(hour);
    shopping += PercentIn([](const CPerson&) { return true; },
                          {kStateMainShopping, kStateDiningOut, kStateSnack, kStateEntertainment, kStateStayingOver});
  }
  int people = 0;
  EXPECT_EQ(PercentIn(notTourist, {-1}, &people), 0);  // nobody is left without something to do
  int housedCount = 0;
  PercentIn(housed, {}, &housedCount);
  EXPECT_GE(housedCount * 100 / people, 60);
  EXPECT_GT(shopping, 0);

  // Two in the morning: the housed are at home, mostly asleep.
  RunToHour(2);
  EXPECT_GE(PercentIn(housed, {kStateGoingHome, kStateAtHome, kStateAsleep}), 90);
  EXPECT_GE(PercentIn(housed, {kStateAsleep}), 60);

  // Eleven the next morning: children at school, adults at work.
  RunToHour(11);
  auto child = [](const CPerson& p) { return p.IsHoused() && p.Kind == kChild; };
  int children = 0;
  EXPECT_GE(PercentIn(child, {kStateGoingToWork, kStateAtWork}, &children), 90);
  EXPECT_GE(PercentIn(child, {kStateAtWork}), 60);
  EXPECT_GT(children, 0);
  int atSchool = 0;
  for (int i = 0; i < g_PeopleCount; ++i) {
    if (child(g_People[i]) && g_PersonCycles[i].State == kStateAtWork) atSchool += g_People[i].CurrentBlock == kSchoolBlock;
  }
  EXPECT_GT(atSchool, 0);
  auto adult = [](const CPerson& p) { return p.IsHoused() && p.Kind == kAdult; };
  EXPECT_GE(PercentIn(adult, {kStateGoingToWork, kStateAtWork}), 50);
}

}  // namespace
