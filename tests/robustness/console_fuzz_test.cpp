// Junk command lines and parameter files with every subsystem's commands
// attached: the game's own parameter lines mangled token by token, random
// bytes, huge numbers and long lines. Nothing may crash, and the game runs on.
#include <cstring>
#include <limits>
#include <sstream>

#include "game_fixture.h"
#include "engine/core/command_script.h"
#include "engine/core/debug_flags.h"
#include "engine/core/system_settings.h"

namespace {

// Every command line of the game's own parameter and configuration files.
std::vector<std::string> ShippedLines() {
  std::vector<std::string> lines;
  const std::filesystem::path data = std::filesystem::path(RC_TEST_SOURCE_DIR) / "data" / "game";
  for (const char* name : {"config.cfg", "parameters/parameter.prm", "parameters/timetable.prm",
                           "parameters/1930.prm", "parameters/1970.prm", "parameters/2000.prm"}) {
    std::ifstream in(data / name);
    for (std::string line; std::getline(in, line);)
      if (line.find_first_not_of(" \t\r") != std::string::npos && line.rfind("//", 0) != 0) lines.push_back(line);
  }
  return lines;
}

const char* const kOddWords[] = {"-1", "0", "-0", "2147483647", "-2147483648", "99999999999999999999", "1e40",
                                 "-1e40", "nan", "inf", "0x7fffffff", "1.5", "-", ".", "", "\"", "//",
                                 "HOUR24", "HOUR25", "HOUR-1", "SLEEP", "ADULT", "UNDEFINED", "45", "52", "600",
                                 "255", "256", "65536", "\xff\xfe", "\r", "\t\t"};

class LineMutator {
 public:
  LineMutator(std::vector<std::string> lines, uint32_t seed) : lines_(std::move(lines)), rng_(seed) {}

  std::string Next() {
    switch (Pick(6)) {
      case 0: return RandomBytes(1 + Pick(120));
      case 1: {  // a command word with random bytes after it
        std::string l = Words(lines_[Pick(lines_.size())]).front();
        return l + " " + RandomBytes(Pick(80));
      }
      case 2: {  // a long line of numbers
        std::string l = Words(lines_[Pick(lines_.size())]).front();
        for (int i = 0; i < 400; ++i) l += " " + std::string(kOddWords[Pick(std::size(kOddWords))]);
        return l;
      }
      default: {  // a shipped line with words replaced, dropped or repeated
        std::vector<std::string> w = Words(lines_[Pick(lines_.size())]);
        for (int n = 1 + Pick(3); n > 0; --n) {
          size_t i = 1 + Pick(w.size() > 1 ? w.size() - 1 : 1);
          if (i >= w.size()) w.push_back(kOddWords[Pick(std::size(kOddWords))]);
          else if (Pick(4) == 0) w.erase(w.begin() + static_cast<long>(i));
          else if (Pick(4) == 0) w.insert(w.begin() + static_cast<long>(i), w[i]);
          else w[i] = kOddWords[Pick(std::size(kOddWords))];
        }
        if (Pick(5) == 0) w.resize(1 + Pick(w.size()));
        std::string l;
        for (const std::string& s : w) l += (l.empty() ? "" : " ") + s;
        return l;
      }
    }
  }

 private:
  size_t Pick(size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
  std::string RandomBytes(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += static_cast<char>(1 + Pick(255));  // no NUL: a C string
    return s;
  }
  static std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> w;
    std::istringstream in(line);
    for (std::string s; in >> s;) w.push_back(s);
    if (w.empty()) w.push_back("?");
    return w;
  }

  std::vector<std::string> lines_;
  std::mt19937 rng_;
};

class ConsoleFuzzTest : public RunningGameTest {
 protected:
  void TearDown() override {
    ResetSystemSettings();
    ClearDebugFlags();
    RunningGameTest::TearDown();
  }
};

TEST_F(ConsoleFuzzTest, JunkCommandLinesAreSurvived) {
  const std::vector<std::string> shipped = ShippedLines();
  ASSERT_GT(shipped.size(), 100u);
  // The shipped lines themselves run cleanly first.
  for (const std::string& line : shipped) ExecuteConsoleCommand(line.c_str());
  LineMutator mutator(shipped, 4242u);
  for (int i = 0; i < 20000; ++i) {
    const std::string line = mutator.Next();
    SCOPED_TRACE(line);
    ExecuteConsoleCommand(line.c_str());
  }
  RunTicks(static_cast<int>(kTicksPerHour) * 2);
}

TEST_F(ConsoleFuzzTest, JunkParameterFilesAreSurvived) {
  auto write = [this](const std::string& text) {
    std::ofstream out(root_ / "parameters" / "junk.prm", std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  };
  // The file is found and its lines run: "?" answers with the command list.
  int replies = 0;
  ConsoleSink old = SetConsoleSink([&](std::string_view, int) { ++replies; });
  write("?\n");
  ReadParameterFile("parameters\\junk.prm");
  SetConsoleSink(std::move(old));
  ASSERT_GT(replies, 20);

  LineMutator mutator(ShippedLines(), 99u);
  std::mt19937 rng(5);
  for (int file = 0; file < 40; ++file) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += mutator.Next() + (rng() % 7 == 0 ? "\r\n" : "\n");
    if (file % 3 == 0) text.back() = 'x';  // no line end at the end
    if (file % 5 == 0) text.insert(text.size() / 2, 1, '\0');
    write(text);
    ReadParameterFile("parameters\\junk.prm");
  }
  RunTicks(static_cast<int>(kTicksPerHour) * 2);
}

}  // namespace
