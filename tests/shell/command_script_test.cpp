#include "engine/core/command_script.h"

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "console_fixture.h"

namespace {

std::vector<std::string>& Seen() {
  static std::vector<std::string> seen;
  return seen;
}
int RecordLine(const char* rest) {
  Seen().push_back(rest);
  return 0;
}

// Every line "SAY text" records " text" plus its line end.
class CommandScriptTest : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    Seen().clear();
    RegisterConsoleCommand("SAY", RecordLine);
  }
  void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(root_ / name, std::ios::binary) << bytes;
  }
};

TEST_F(CommandScriptTest, LineEndsAndTheLastLine) {
  const struct {
    const char* text;
    std::vector<std::string> seen;
  } cases[] = {
      {"", {}},
      {"SAY a", {" a"}},                                   // no final line end: still runs
      {"SAY a\nSAY b\n", {" a\n", " b\n"}},
      {"SAY a\r\nSAY b\r\n", {" a\n", " b\n"}},             // CR LF: the extra empty lines do nothing
      {"SAY a\rSAY b", {" a\n", " b"}},                     // a lone CR ends a line too
      {"\n\n  // comment\nSAY c\n", {" c\n"}},
  };
  for (const auto& c : cases) {
    Seen().clear();
    RunCommandScript(c.text);
    EXPECT_EQ(Seen(), c.seen) << c.text;
  }
  EXPECT_TRUE(lines_.empty());
}

TEST_F(CommandScriptTest, AnEightBitByteEndsTheScript) {
  // The line the byte cuts does not run with what came before it.
  RunCommandScript("SAY caf\xE9 au lait\nSAY never\n");
  EXPECT_TRUE(Seen().empty());
  Seen().clear();
  RunCommandScript("SAY one\n\x80SAY two\n");
  EXPECT_EQ(Seen(), (std::vector<std::string>{" one\n"}));
}

TEST_F(CommandScriptTest, OverLongLinesAreCutAndTheirRestIsNotRun) {
  const std::string long_arg(700, 'x');
  RunCommandScript("SAY " + long_arg + "SAY tail\nSAY next\n");
  ASSERT_EQ(Seen().size(), 2u);
  EXPECT_EQ(Seen()[0], " " + std::string(kMaxCommandLineLength - 4, 'x') + "\n");
  EXPECT_EQ(Seen()[1], " next\n");
  ASSERT_EQ(lines_.size(), 1u);
  EXPECT_EQ(lines_[0].kind, kConsoleError);

  // A line of exactly 510 characters is whole.
  Seen().clear();
  lines_.clear();
  const std::string exact = "SAY " + std::string(kMaxCommandLineLength - 4, 'y');
  RunCommandScript(exact + "\n");
  EXPECT_EQ(Seen(), (std::vector<std::string>{exact.substr(3) + "\n"}));
  EXPECT_TRUE(lines_.empty());

  // The end mark in the skipped rest of a long line still ends the script.
  Seen().clear();
  RunCommandScript("SAY " + long_arg + "\xFF" + "\nSAY after\n");
  EXPECT_TRUE(Seen().empty());
}

TEST_F(CommandScriptTest, ReadTextLineReportsTheEnd) {
  std::string_view text = "ab\ncd";
  char line[kCommandLineSize];
  EXPECT_TRUE(ReadTextLine(text, line));
  EXPECT_STREQ(line, "ab\n");
  EXPECT_FALSE(ReadTextLine(text, line));
  EXPECT_STREQ(line, "cd");
  text = "\xF0rest";
  EXPECT_FALSE(ReadTextLine(text, line));
  EXPECT_STREQ(line, "");
  EXPECT_TRUE(text.empty());
}

TEST_F(CommandScriptTest, ParameterFilesAreFoundThroughThePathService) {
  std::filesystem::create_directories(root_ / "Parameters");
  WriteFile("Parameters/Parameter.PRM", "SAY from file\r\nbogus line\r\nSAY again");
  ReadParameterFile("parameters\\parameter.prm");
  EXPECT_EQ(Seen(), (std::vector<std::string>{" from file\n", " again"}));
  EXPECT_EQ(lines_, (std::vector<Line>{{"Error. Unrecognised command BOGUS", kConsoleError}}));

  lines_.clear();
  WriteFile("empty.prm", "");
  ReadParameterFile("empty.prm");
  ReadParameterFile("parameters\\missing.prm");  // skipped without a message
  EXPECT_TRUE(lines_.empty());
  EXPECT_TRUE(boxes_.empty());

  // A byte above 0x7F ends the file, with one error line; the line it cuts
  // does not run either (it would act on a cut name).
  lines_.clear();
  Seen().clear();
  WriteFile("Parameters/high.prm", "SAY before\nSAY Zo\xC3\xAB.sav\nSAY after\nSAY later\xFF\n");
  ReadParameterFile("parameters\\high.prm");
  EXPECT_EQ(Seen(), (std::vector<std::string>{" before\n"}));
  EXPECT_EQ(lines_, (std::vector<Line>{{"Error. Script ended early by byte 0xC3; the rest is not run", kConsoleError}}));

  // A folder or a FIFO in a file's place is refused at once, never waited on.
  ReadParameterFile("parameters");
  ASSERT_EQ(::mkfifo((root_ / "Parameters" / "fifo.prm").c_str(), 0644), 0);
  ReadParameterFile("parameters\\fifo.prm");
  EXPECT_EQ(boxes_, (std::vector<std::string>(2, "WARNING!|Error reading in parameter file.")));
}

}  // namespace
