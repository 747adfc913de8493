#pragma once
// The console command table: the whole vocabulary of command scripts
// (config.cfg, parameter files, board files) and of the in-game console.
// Each line is a command word and its arguments; the word is looked up
// without regard to case and its handler gets the rest of the line.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

// Takes the text after the command word (handlers skip leading blanks
// themselves). The result is passed back by ExecuteConsoleCommand.
using ConsoleHandler = int (*)(const char* rest);

inline constexpr int kConsoleNameSize = 64;
inline constexpr int kMaxConsoleCommands = 256;

struct ConsoleCommand {
  char name[kConsoleNameSize];  // upper case, NUL-terminated
  ConsoleHandler handler;       // null: the command is known but does nothing yet
  bool needsGame = false;       // acts on a game: held while game commands are
};

// Appends an entry (name upper-cased, cut to 63 characters). Entries are
// never removed or sorted. False, with a warning, when the table is full.
bool RegisterConsoleCommand(const char* name, ConsoleHandler handler);
// The same for a command that acts on a game (starts a level, plays the
// local player): config.cfg is read before the game's window, levels or
// scheduler exist, so such a line waits until the game has started.
bool RegisterGameConsoleCommand(const char* name, ConsoleHandler handler);
// From HoldGameConsoleCommands on, a line of a game command is kept (with a
// reply saying so) instead of run; RunHeldGameConsoleCommands ends the hold
// and runs the kept lines in the order given. Without a hold (tests, tools)
// every line runs at once.
void HoldGameConsoleCommands();
void RunHeldGameConsoleCommands();

// Clears the console-open flag and appends the game's fixed command list in
// its order. Start-up calls it before each of its two readings of config.cfg,
// so every name is in the table twice and the later copy is the one found.
void RegisterConsoleCommands();
// The number of commands in that fixed list.
inline constexpr int kFixedConsoleCommandCount = 27;

// Gives a command of the fixed list (or any registered name) its handler:
// future RegisterConsoleCommands calls use it and every entry already in the
// table under that name is updated. Subsystems attach their commands this way
// when they start. False when the name is neither in the list nor the table.
bool SetConsoleCommandHandler(const char* name, ConsoleHandler handler);

// Runs one line: leading blanks are skipped, an empty line or one whose first
// word begins with "//" does nothing, otherwise the upper-cased first word is
// looked up (the last matching entry wins) and its handler runs. An unknown
// word prints "Error. Unrecognised command %s" as an error. Returns the
// handler's result, or 0.
int ExecuteConsoleCommand(const char* line);

// Index of the last entry with that (upper-case) name, or -1.
int FindConsoleCommand(std::string_view upper_name);
std::span<const ConsoleCommand> ConsoleCommandTable();
// Empties the table; for tests, which need a fresh start.
void ClearConsoleCommandTable();

bool IsConsoleOpen();
void SetConsoleOpen(bool open);

// Replies. Kinds: 0 reply, 1 echo of a typed line, 2 error (any other kind is
// a reply). They go to the sink; with no sink (before the console panel
// binds one) they are dropped.
enum ConsolePrintKind : int { kConsoleReply = 0, kConsoleEcho = 1, kConsoleError = 2 };
using ConsoleSink = std::function<void(std::string_view text, int kind)>;
// Installs a sink; returns the previous one.
ConsoleSink SetConsoleSink(ConsoleSink sink);
void ConsolePrint(std::string_view text, int kind);
// printf-style; the text is cut at 1023 bytes.
void ConsolePrintF(int kind, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Reading a handler's arguments. A word starts after spaces, tabs and
// carriage returns and runs to the next space, tab, line feed or end of text
// (a carriage return inside a word stays in it). An empty word is missing:
// the functions then return false. `cursor` is left after the word.
bool ReadConsoleWord(const char*& cursor, std::string& word);
// The word as a decimal integer or floating-point number; a word that is not
// a number reads as 0, one beyond the int32 range as the nearest limit.
bool ReadConsoleInt(const char*& cursor, int32_t& value);
bool ReadConsoleFloat(const char*& cursor, float& value);
int32_t ConsoleWordToInt(const std::string& word);
float ConsoleWordToFloat(const std::string& word);
// ASCII upper case in place (bytes above 0x7F are left alone).
void UpperCaseWord(std::string& word);
