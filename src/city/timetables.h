#pragma once
// People's timetables: 100 timetables of 24 hourly activity codes, and the
// six daily objective lists of timetable numbers that each kind of person
// draws its day from. Written by the parameter file through the TIMETABLE
// and ADD_DAILY_OBJECTIVE commands.
#include <array>
#include <cstdint>
#include <string_view>

class CRandomStream;

inline constexpr int kTimetableCount = 100;
inline constexpr int kTimetableHours = 24;
inline constexpr int kObjectiveClassCount = 6;
inline constexpr int kMaxObjectives = 32;
inline constexpr int32_t kNoActivity = -1;

enum Activity : int32_t {
  kActSleep = 0,
  kActStroll = 1,
  kActGoHome = 2,
  kActGoToWork = 3,
  kActGoToSchool = 4,
  kActLookForHouse = 5,
  kActLookForJob = 6,
  kActCollectWelfare = 7,
  kActCollectPension = 8,
  kActSnackTime = 9,
  kActMealTime = 10,
  kActEntertainment = 11,
  kActMainShopping = 12,
  kActStayOver = 13,
  kActAtHome = 14,
  kActAtWork = 15,
  kActUndefined = 17,
};

enum ObjectiveClass : int32_t {
  kObjectiveAdult = 0,
  kObjectiveUnhoused = 1,
  kObjectiveSeniorCitizens = 2,
  kObjectiveChildrenSchool = 3,
  kObjectiveTeenagerUni = 4,
  kObjectiveTourist = 5,
};

struct ObjectiveList {
  int32_t Timetables[kMaxObjectives] = {};
  int32_t Count = 0;
};

extern std::array<std::array<int32_t, kTimetableHours>, kTimetableCount> g_Timetables;
extern std::array<ObjectiveList, kObjectiveClassCount> g_ObjectiveLists;

// The people's random stream: timetable draws and the people's own choices.
CRandomStream& PeopleRandom();

void ResetTimetables();
// "HOUR24" is slot 0, "HOUR1".."HOUR23" slots 1..23 (exact case); -1 otherwise.
int HourSlotFromKeyword(std::string_view keyword);
int32_t ActivityFromKeyword(std::string_view keyword);  // -1 when unknown
int ObjectiveClassFromKeyword(std::string_view keyword);  // -1 when unknown

// False for a timetable number outside 0..99 or an unknown keyword.
bool SetTimetableEntry(int32_t timetable, std::string_view hour, std::string_view activity);
// False for an unknown class, a timetable outside 0..99 or a full list.
bool AddDailyObjective(std::string_view objectiveClass, int32_t timetable);
// A random timetable of the class's list; -1 for an empty list (the person
// then keeps doing what it does: -1 reads as no activity).
int32_t DrawDailyObjective(int32_t objectiveClass);
// The activity of a timetable for an hour 0..23 (24 reads slot 0); -1 outside.
int32_t GetTimetableActivity(int32_t timetable, int32_t hour);
// The list a person draws from: homeless non-tourists "UNHOUSED", else by kind.
int32_t ObjectiveClassForPerson(int32_t kind, bool housed);
