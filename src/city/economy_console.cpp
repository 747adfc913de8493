// The console and parameter-file commands that fill the people's tables:
// timetables, daily objectives, walking speeds, class weightings, block class
// scores and the class score lists.
#include <string>

#include "city/blocks.h"
#include "city/economy.h"
#include "city/population_classes.h"
#include "city/timetables.h"
#include "engine/core/console.h"
#include "engine/core/maths.h"

namespace {

bool IsIntegerWord(const std::string& w) {
  size_t i = (!w.empty() && (w[0] == '-' || w[0] == '+')) ? 1 : 0;
  if (i >= w.size()) return false;
  for (; i < w.size(); ++i) {
    if (w[i] < '0' || w[i] > '9') return false;
  }
  return true;
}

// Reads the class word and looks it up; -1 (after the error) when unknown,
// -2 when the word is missing.
int ReadClassWord(const char*& cursor) {
  std::string word;
  if (!ReadConsoleWord(cursor, word)) return -2;
  UpperCaseWord(word);
  int cls = FindClassByName(word);
  if (cls < 0) ConsolePrintF(kConsoleError, "Error. Unrecognised quality type %s", word.c_str());
  return cls;
}

int TimetableCommand(const char* rest) {
  std::string number, slot, activity;
  if (!ReadConsoleWord(rest, number) || !ReadConsoleWord(rest, slot) || !ReadConsoleWord(rest, activity)) return 0;
  UpperCaseWord(slot);
  UpperCaseWord(activity);
  // A number that is not one would read as timetable 0 and overwrite it.
  if (!IsIntegerWord(number)) {
    ConsolePrintF(kConsoleError, "Invalid timetable entry %s %s %s", number.c_str(), slot.c_str(), activity.c_str());
    return 0;
  }
  int32_t n = ConsoleWordToInt(number);
  if (!SetTimetableEntry(n, slot, activity))
    ConsolePrintF(kConsoleError, "Invalid timetable entry %i %s %s", n, slot.c_str(), activity.c_str());
  return 0;
}

// The number may come before the class word or after it.
int AddDailyObjectiveCommand(const char* rest) {
  std::string first, second;
  if (!ReadConsoleWord(rest, first) || !ReadConsoleWord(rest, second)) return 0;
  bool numberFirst = IsIntegerWord(first) && !IsIntegerWord(second);
  std::string cls = numberFirst ? second : first;
  const std::string& number = numberFirst ? first : second;
  UpperCaseWord(cls);
  if (!IsIntegerWord(number)) {
    ConsolePrintF(kConsoleError, "Invalid daily objective %s %s", cls.c_str(), number.c_str());
    return 0;
  }
  int32_t n = ConsoleWordToInt(number);
  if (!AddDailyObjective(cls, n)) ConsolePrintF(kConsoleError, "Invalid daily objective %s %i", cls.c_str(), n);
  return 0;
}

int PeopleSpeedCommand(const char* rest) {
  std::string chassis, speed;
  if (!ReadConsoleWord(rest, chassis) || !ReadConsoleWord(rest, speed)) return 0;
  UpperCaseWord(chassis);
  int i = FindChassisByName(chassis);
  if (i < 0) {
    ConsolePrintF(kConsoleError, "Invalid chassis type %s", chassis.c_str());
    return 0;
  }
  g_PeopleSpeeds[i] = ConsoleWordToFloat(speed);
  return 0;
}

int ClassWeightingCommand(const char* rest) {
  std::string cls, weighting, value;
  if (!ReadConsoleWord(rest, cls) || !ReadConsoleWord(rest, weighting)) return 0;
  UpperCaseWord(cls);
  UpperCaseWord(weighting);
  int c = FindClassByName(cls);
  if (c < 0) {
    ConsolePrintF(kConsoleError, "Error. Unrecognised quality type %s", cls.c_str());
    return 0;
  }
  float* w = FindClassWeighting(c, weighting);
  if (w == nullptr) {
    ConsolePrintF(kConsoleError, "Error. Unrecognised weighting type %s", weighting.c_str());
    return 0;
  }
  if (ReadConsoleWord(rest, value)) *w = ConsoleWordToFloat(value);
  // The reply shows the weighting as a whole number, cut toward zero.
  ConsolePrintF(kConsoleReply, "Class Weighting : %s %d", weighting.c_str(), TruncToInt32(*w));
  return 0;
}

int BlockClassScoreCommand(const char* rest) {
  std::string block, score;
  if (!ReadConsoleWord(rest, block)) return 0;
  UpperCaseWord(block);
  int b = FindBlockByKey(block);
  if (b < 0) {
    ConsolePrintF(kConsoleError, "Error. Unidentifiable block %s", block.c_str());
    return 0;
  }
  int cls = ReadClassWord(rest);
  if (cls < 0) return 0;
  if (ReadConsoleWord(rest, score)) g_BlockDefs[b].ClassScore[cls] = ConsoleWordToInt(score);
  ConsolePrintF(kConsoleReply, "Current block class score: %i", g_BlockDefs[b].ClassScore[cls]);
  return 0;
}

void ReportFullList() { ConsolePrint("Error. Score list full", kConsoleError); }

int ProximityScoreCommand(const char* rest) {
  int32_t distance = 0, score = 0;
  if (!ReadConsoleInt(rest, distance) || !ReadConsoleInt(rest, score)) return 0;
  bool full = false;
  for (ClassPairLists& l : g_ClassPairLists) full |= !l.Proximity.Append(distance, score);
  if (full) ReportFullList();
  return 0;
}

int AppendClassPair(const char* rest, ClassPairList ClassPairLists::*list) {
  int cls = ReadClassWord(rest);
  if (cls < 0) return 0;
  int32_t a = 0, b = 0;
  if (!ReadConsoleInt(rest, a) || !ReadConsoleInt(rest, b)) return 0;
  if (!(g_ClassPairLists[cls].*list).Append(a, b)) ReportFullList();
  return 0;
}

int BlockRentScoreCommand(const char* rest) { return AppendClassPair(rest, &ClassPairLists::RentScore); }
int ApartmentRentAdjustCommand(const char* rest) { return AppendClassPair(rest, &ClassPairLists::ApartmentRent); }

}  // namespace

void RegisterEconomyConsoleCommands() {
  SetConsoleCommandHandler("TIMETABLE", TimetableCommand);
  SetConsoleCommandHandler("ADD_DAILY_OBJECTIVE", AddDailyObjectiveCommand);
  SetConsoleCommandHandler("PEOPLESPEED", PeopleSpeedCommand);
  SetConsoleCommandHandler("CLASSWEIGHTING", ClassWeightingCommand);
  SetConsoleCommandHandler("BLOCKCLASSSCORE", BlockClassScoreCommand);
  SetConsoleCommandHandler("PROXIMITYSCORE", ProximityScoreCommand);
  SetConsoleCommandHandler("BLOCKRENTSCORE", BlockRentScoreCommand);
  SetConsoleCommandHandler("APARTMENTRENTADJUST", ApartmentRentAdjustCommand);
}
