#include "city/timetables.h"

#include "engine/core/random_stream.h"

std::array<std::array<int32_t, kTimetableHours>, kTimetableCount> g_Timetables;
std::array<ObjectiveList, kObjectiveClassCount> g_ObjectiveLists;

namespace {

struct ActivityKeyword {
  std::string_view Keyword;
  int32_t Code;
};

constexpr ActivityKeyword kActivities[] = {
    {"SLEEP", kActSleep},
    {"STROLL", kActStroll},
    {"GO_HOME", kActGoHome},
    {"GO_TO_WORK", kActGoToWork},
    {"GO_TO_SCHOOL", kActGoToSchool},
    {"GO_TO_UNI", kActGoToSchool},
    {"LOOK_FOR_A_HOUSE", kActLookForHouse},
    {"LOOK_FOR_A_JOB", kActLookForJob},
    {"COLLECT_WELFARE", kActCollectWelfare},
    {"COLLECT_PENSION", kActCollectPension},
    {"SNACK_TIME", kActSnackTime},
    {"MEAL_TIME", kActMealTime},
    {"ENTERTAINMENT", kActEntertainment},
    {"MAIN_SHOPPING", kActMainShopping},
    {"STAY_OVER", kActStayOver},
    {"AT_HOME", kActAtHome},
    {"AT_WORK", kActAtWork},
    {"AT_SCHOOL", kActAtWork},
    {"AT_UNI", kActAtWork},
    {"UNDEFINED", kActUndefined},
};

constexpr std::string_view kObjectiveClasses[kObjectiveClassCount] = {
    "ADULT", "UNHOUSED", "SENIOR_CITIZENS", "CHILDREN_SCHOOL", "TEENAGER_UNI", "TOURIST",
};

bool IsTimetable(int32_t timetable) { return timetable >= 0 && timetable < kTimetableCount; }

}  // namespace

CRandomStream& PeopleRandom() {
  static CRandomStream stream;
  return stream;
}

void ResetTimetables() {
  for (auto& t : g_Timetables) t.fill(kNoActivity);
  for (ObjectiveList& l : g_ObjectiveLists) {
    for (int32_t& e : l.Timetables) e = -1;
    l.Count = 0;
  }
}

int HourSlotFromKeyword(std::string_view keyword) {
  if (keyword == "HOUR24") return 0;
  if (keyword.size() < 5 || keyword.size() > 6 || keyword.substr(0, 4) != "HOUR") return -1;
  std::string_view digits = keyword.substr(4);
  if (digits[0] == '0') return -1;  // no leading zeros: "HOUR01" is not a slot
  int value = 0;
  for (char ch : digits) {
    if (ch < '0' || ch > '9') return -1;
    value = value * 10 + (ch - '0');
  }
  return (value >= 1 && value <= 23) ? value : -1;
}

int32_t ActivityFromKeyword(std::string_view keyword) {
  for (const ActivityKeyword& a : kActivities) {
    if (a.Keyword == keyword) return a.Code;
  }
  return -1;
}

int ObjectiveClassFromKeyword(std::string_view keyword) {
  for (int i = 0; i < kObjectiveClassCount; ++i) {
    if (kObjectiveClasses[i] == keyword) return i;
  }
  return -1;
}

bool SetTimetableEntry(int32_t timetable, std::string_view hour, std::string_view activity) {
  int slot = HourSlotFromKeyword(hour);
  int32_t code = ActivityFromKeyword(activity);
  if (!IsTimetable(timetable) || slot < 0 || code < 0) return false;
  g_Timetables[timetable][slot] = code;
  return true;
}

bool AddDailyObjective(std::string_view objectiveClass, int32_t timetable) {
  int c = ObjectiveClassFromKeyword(objectiveClass);
  if (c < 0 || !IsTimetable(timetable)) return false;
  ObjectiveList& l = g_ObjectiveLists[c];
  if (l.Count >= kMaxObjectives) return false;
  l.Timetables[l.Count++] = timetable;
  return true;
}

int32_t DrawDailyObjective(int32_t objectiveClass) {
  if (objectiveClass < 0 || objectiveClass >= kObjectiveClassCount) return -1;
  const ObjectiveList& l = g_ObjectiveLists[objectiveClass];
  if (l.Count <= 0) return -1;
  return l.Timetables[PeopleRandom().Rand() % static_cast<uint32_t>(l.Count)];
}

int32_t GetTimetableActivity(int32_t timetable, int32_t hour) {
  if (!IsTimetable(timetable) || hour < 0 || hour > kTimetableHours) return kNoActivity;
  return g_Timetables[timetable][hour % kTimetableHours];
}

int32_t ObjectiveClassForPerson(int32_t kind, bool housed) {
  static constexpr int32_t kByKind[5] = {kObjectiveChildrenSchool, kObjectiveTeenagerUni, kObjectiveAdult,
                                         kObjectiveSeniorCitizens, kObjectiveTourist};
  if (kind == 4) return kObjectiveTourist;
  if (!housed) return kObjectiveUnhoused;
  return (kind >= 0 && kind < 5) ? kByKind[kind] : kObjectiveAdult;
}
