#include "engine/core/command_script.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "engine/core/error.h"
#include "platform/paths.h"
#include "engine/core/console.h"

namespace {

bool EndsScript(char c) { return static_cast<unsigned char>(c) >= 0x80; }

}  // namespace

bool ReadTextLine(std::string_view& text, std::span<char, kCommandLineSize> line) {
  std::fill(line.begin(), line.end(), '\0');
  size_t n = 0;
  bool cut = false;
  while (!text.empty()) {
    const char c = text.front();
    if (EndsScript(c)) {
      // A byte above 0x7F ends the script; say so, once, as the rest is lost.
      ConsolePrintF(kConsoleError, "Error. Script ended early by byte 0x%02X; the rest is not run",
                    static_cast<unsigned>(static_cast<unsigned char>(c)));
      // Nor the line it cut: run with what came before the byte, it would
      // act on a different name (a save "Zo" for "Zoë...").
      std::fill(line.begin(), line.end(), '\0');
      text = {};
      return false;
    }
    text.remove_prefix(1);
    if (n < kMaxCommandLineLength || c == '\n') {
      if (n <= kMaxCommandLineLength) line[n++] = c;
    } else if (!cut) {
      cut = true;
      ConsolePrintF(kConsoleError, "Error. Line longer than %zu characters cut", kMaxCommandLineLength);
    }
    if (c == '\n') return true;
  }
  return false;
}

void RunCommandScript(std::string text) {
  std::replace(text.begin(), text.end(), '\r', '\n');
  std::string_view rest = text;
  char line[kCommandLineSize];
  bool more = true;
  while (more) {
    more = ReadTextLine(rest, line);
    ExecuteConsoleCommand(line);
  }
}

void ReadParameterFile(std::string_view game_name) {
  std::FILE* f = platform::OpenGameFile(game_name, "rb");
  if (!f) {
    // Only a regular file is read; a folder or a special file in its place
    // is no script. A missing file is skipped quietly.
    if (errno == EINVAL) ReportError(1, 0, "Error reading in parameter file.");
    return;
  }
  long size = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
  if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
    std::fclose(f);
    ReportError(1, 0, "Error reading in parameter file.");
    return;
  }
  std::string text;
  try {
    text.resize(static_cast<size_t>(size));
  } catch (const std::exception&) {  // bad_alloc or length_error
    std::fclose(f);
    ReportError(1, 0, "Error allocating memory for parameter file.");
    return;
  }
  const size_t got = std::fread(text.data(), 1, text.size(), f);
  const bool failed = std::ferror(f) != 0 || got != text.size();
  std::fclose(f);
  if (failed) {
    ReportError(1, 0, "Error reading in parameter file.");
    return;
  }
  RunCommandScript(std::move(text));
}
