#include "engine/core/console.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/core/error.h"
#include "engine/core/setup_commands.h"

namespace {

struct CommandTable {
  ConsoleCommand entries[kMaxConsoleCommands];
  int count = 0;
};

CommandTable& Table() {
  static CommandTable table;
  return table;
}

struct FixedCommand {
  const char* name;
  ConsoleHandler handler;
};

// The game's commands in their registration order. Those whose subsystem is
// not running yet have no handler until it attaches one.
FixedCommand* FixedCommands() {
  static FixedCommand list[kFixedConsoleCommandCount] = {
      {"SYSSETUP", SysSetupCommand},
      {"LOADGAME", nullptr},
      {"SAVEGAME", nullptr},
      {"LOADEVENTRECORD", nullptr},
      {"SAVEEVENTRECORD", nullptr},
      {"?", ListConsoleCommandsCommand},
      {"AddToTracker", nullptr},
      {"DEBUGFLAG", DebugFlagCommand},
      {"BLOCKCLASSSCORE", nullptr},
      {"PROXIMITYSCORE", nullptr},
      {"BLOCKRENTSCORE", nullptr},
      {"APARTMENTRENTADJUST", nullptr},
      {"TEXTUREPRESTIGERANKING", nullptr},
      {"BUILDINGCOSTPERUNIT", nullptr},
      {"BUILDINGCOSTTODEMOLISH", nullptr},
      {"BUILDINGTIMETOBUILD", nullptr},
      {"BUILDINGTIMETODEMOLISH", nullptr},
      {"BUILDINGRENT", nullptr},
      {"BUILDINGMAINTENANCECOST", nullptr},
      {"BUILDINGLIFEEXPECTANCY", nullptr},
      {"CLASSWEIGHTING", nullptr},
      {"TIMETABLE", nullptr},
      {"ADD_DAILY_OBJECTIVE", nullptr},
      {"PEOPLESPEED", nullptr},
      {"DISTRICTCOLOUR", nullptr},
      {"DISTRICTTEXTCOLOUR", nullptr},
      {"LOCKCAM", nullptr},
  };
  return list;
}

bool g_console_open = false;

struct HeldGameCommands {
  bool holding = false;
  std::vector<std::string> lines;
};

HeldGameCommands& Held() {
  static HeldGameCommands held;
  return held;
}

ConsoleSink& Sink() {
  static ConsoleSink sink;
  return sink;
}

// The stored form of a name: upper case, cut to fit the entry.
std::string StoredName(const char* name) {
  std::string s(name, strnlen(name, kConsoleNameSize - 1));
  UpperCaseWord(s);
  return s;
}

bool IsWordSkip(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool IsWordEnd(char c) { return c == '\0' || c == ' ' || c == '\t' || c == '\n'; }

}  // namespace

bool RegisterConsoleCommand(const char* name, ConsoleHandler handler) {
  if (!name) return false;
  CommandTable& t = Table();
  if (t.count >= kMaxConsoleCommands) {
    ReportErrorF(1, "Ran out of console commands. Cannot register %.63s", name);
    return false;
  }
  ConsoleCommand& e = t.entries[t.count++];
  const std::string stored = StoredName(name);
  std::memcpy(e.name, stored.c_str(), stored.size() + 1);
  e.handler = handler;
  e.needsGame = false;
  return true;
}

bool RegisterGameConsoleCommand(const char* name, ConsoleHandler handler) {
  if (!RegisterConsoleCommand(name, handler)) return false;
  Table().entries[Table().count - 1].needsGame = true;
  return true;
}

void HoldGameConsoleCommands() { Held().holding = true; }

void RunHeldGameConsoleCommands() {
  HeldGameCommands& held = Held();
  held.holding = false;
  // A held line may itself be a command that adds lines; take them all first.
  const std::vector<std::string> lines = std::move(held.lines);
  held.lines.clear();
  for (const std::string& line : lines) ExecuteConsoleCommand(line.c_str());
}

void RegisterConsoleCommands() {
  g_console_open = false;
  const FixedCommand* list = FixedCommands();
  for (int i = 0; i < kFixedConsoleCommandCount; ++i) RegisterConsoleCommand(list[i].name, list[i].handler);
}

bool SetConsoleCommandHandler(const char* name, ConsoleHandler handler) {
  if (!name) return false;
  const std::string stored = StoredName(name);
  bool known = false;
  FixedCommand* list = FixedCommands();
  for (int i = 0; i < kFixedConsoleCommandCount; ++i) {
    if (StoredName(list[i].name) == stored) {
      list[i].handler = handler;
      known = true;
    }
  }
  CommandTable& t = Table();
  for (int i = 0; i < t.count; ++i) {
    if (stored == t.entries[i].name) {
      t.entries[i].handler = handler;
      known = true;
    }
  }
  return known;
}

int FindConsoleCommand(std::string_view upper_name) {
  const CommandTable& t = Table();
  for (int i = t.count - 1; i >= 0; --i) {
    if (upper_name == t.entries[i].name) return i;
  }
  return -1;
}

int ExecuteConsoleCommand(const char* line) {
  if (!line) return 0;
  const char* cursor = line;
  std::string word;
  if (!ReadConsoleWord(cursor, word)) return 0;
  if (word.compare(0, 2, "//") == 0) return 0;
  UpperCaseWord(word);
  const int index = FindConsoleCommand(word);
  if (index < 0) {
    ConsolePrintF(kConsoleError, "Error. Unrecognised command %s", word.c_str());
    return 0;
  }
  const ConsoleCommand& command = Table().entries[index];
  if (command.needsGame && Held().holding) {
    // config.cfg is read twice at start: its lines are kept once.
    std::vector<std::string>& lines = Held().lines;
    if (std::find(lines.begin(), lines.end(), line) == lines.end()) {
      lines.emplace_back(line);
      ConsolePrintF(kConsoleReply, "%s waits for the game to start", word.c_str());
    }
    return 0;
  }
  return command.handler ? command.handler(cursor) : 0;
}

std::span<const ConsoleCommand> ConsoleCommandTable() {
  const CommandTable& t = Table();
  return {t.entries, static_cast<size_t>(t.count)};
}

void ClearConsoleCommandTable() { Table().count = 0; }

bool IsConsoleOpen() { return g_console_open; }
void SetConsoleOpen(bool open) { g_console_open = open; }

ConsoleSink SetConsoleSink(ConsoleSink sink) {
  ConsoleSink old = std::move(Sink());
  Sink() = std::move(sink);
  return old;
}

void ConsolePrint(std::string_view text, int kind) {
  if (Sink()) Sink()(text, kind);
}

void ConsolePrintF(int kind, const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  ConsolePrint(buffer, kind);
}

bool ReadConsoleWord(const char*& cursor, std::string& word) {
  while (IsWordSkip(*cursor)) ++cursor;
  const char* start = cursor;
  while (!IsWordEnd(*cursor)) ++cursor;
  word.assign(start, cursor);
  return !word.empty();
}

int32_t ConsoleWordToInt(const std::string& word) {
  const long long v = std::strtoll(word.c_str(), nullptr, 10);
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

float ConsoleWordToFloat(const std::string& word) {
  const double v = std::strtod(word.c_str(), nullptr);
  if (std::isnan(v)) return 0.0f;
  // Out-of-range values would be undefined as a float; hold them at the limits.
  if (v > std::numeric_limits<float>::max()) return std::numeric_limits<float>::max();
  if (v < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::max();
  return static_cast<float>(v);
}

bool ReadConsoleInt(const char*& cursor, int32_t& value) {
  std::string word;
  if (!ReadConsoleWord(cursor, word)) return false;
  value = ConsoleWordToInt(word);
  return true;
}

bool ReadConsoleFloat(const char*& cursor, float& value) {
  std::string word;
  if (!ReadConsoleWord(cursor, word)) return false;
  value = ConsoleWordToFloat(word);
  return true;
}

void UpperCaseWord(std::string& word) {
  for (char& c : word) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}
