#pragma once
// Command scripts: text files of console commands, one per line (config.cfg,
// the parameter files, board files), run through ExecuteConsoleCommand.
// Lines end with LF, CR or CR LF. A byte of 0x80 or above ends the script:
// the line it is in still runs, nothing after it is read.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

// A line holds at most 510 characters, its line end and the terminator.
inline constexpr size_t kCommandLineSize = 512;
inline constexpr size_t kMaxCommandLineLength = kCommandLineSize - 2;

// Copies the next line of `text` (up to and including its LF) into `line`,
// terminated, and moves `text` past it. Returns false when the line ended at
// the end of the text or at a byte of 0x80 or above (not copied): the script
// is over after this line. A longer line is cut to its first 510 characters
// plus a line end, and the rest of it is skipped.
bool ReadTextLine(std::string_view& text, std::span<char, kCommandLineSize> line);

// Runs a script held in memory (carriage returns count as line feeds).
void RunCommandScript(std::string text);

// Runs the script file of that game name. A file that does not open is
// skipped without a message; one that cannot be read in is reported as a
// warning and not run.
void ReadParameterFile(std::string_view game_name);
