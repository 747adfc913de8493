#include "engine/core/console.h"

#include <string>
#include <vector>

#include "console_fixture.h"
#include "engine/core/debug_flags.h"

namespace {

// Records what handlers were called with.
std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}
int RecordA(const char* rest) {
  Calls().push_back(std::string("A:") + rest);
  return 7;
}
int RecordB(const char* rest) {
  Calls().push_back(std::string("B:") + rest);
  return 8;
}

class CommandTableTest : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    Calls().clear();
  }
  void TearDown() override {
    // The fixed list keeps attached handlers across tests; detach ours.
    SetConsoleCommandHandler("SAVEGAME", nullptr);
    ConsoleTest::TearDown();
  }
};

TEST_F(CommandTableTest, RegisteredTwiceTheListHoldsEveryNameTwiceInOrder) {
  RegisterConsoleCommands();
  RegisterConsoleCommands();
  const auto table = ConsoleCommandTable();
  ASSERT_EQ(table.size(), 54u);
  const char* expected[] = {"SYSSETUP", "LOADGAME", "SAVEGAME", "LOADEVENTRECORD", "SAVEEVENTRECORD",
                            "?", "ADDTOTRACKER", "DEBUGFLAG", "BLOCKCLASSSCORE", "PROXIMITYSCORE",
                            "BLOCKRENTSCORE", "APARTMENTRENTADJUST", "TEXTUREPRESTIGERANKING",
                            "BUILDINGCOSTPERUNIT", "BUILDINGCOSTTODEMOLISH", "BUILDINGTIMETOBUILD",
                            "BUILDINGTIMETODEMOLISH", "BUILDINGRENT", "BUILDINGMAINTENANCECOST",
                            "BUILDINGLIFEEXPECTANCY", "CLASSWEIGHTING", "TIMETABLE", "ADD_DAILY_OBJECTIVE",
                            "PEOPLESPEED", "DISTRICTCOLOUR", "DISTRICTTEXTCOLOUR", "LOCKCAM"};
  for (size_t i = 0; i < 54; ++i) EXPECT_STREQ(table[i].name, expected[i % 27]) << i;
  // The later copy is the one found.
  EXPECT_EQ(FindConsoleCommand("SYSSETUP"), 27);

  ExecuteConsoleCommand("?");
  ASSERT_EQ(lines_.size(), 54u);
  for (size_t i = 0; i < 54; ++i) {
    EXPECT_EQ(lines_[i], (Line{expected[i % 27], kConsoleReply})) << i;
  }
}

TEST_F(CommandTableTest, LinesThatDoNothingAndUnknownWords) {
  RegisterConsoleCommands();
  SetConsoleCommandHandler("SAVEGAME", RecordA);
  for (const char* quiet : {"", "   ", "\n", "  \t//SYSSETUP width 800", "//", "\r\n"}) {
    EXPECT_EQ(ExecuteConsoleCommand(quiet), 0) << quiet;
  }
  EXPECT_TRUE(lines_.empty());
  EXPECT_EQ(g_RendererSettings.width, 640);

  ExecuteConsoleCommand("/x");
  ExecuteConsoleCommand("  frobnicate now\n");
  EXPECT_EQ(lines_, (std::vector<Line>{{"Error. Unrecognised command /X", kConsoleError},
                                       {"Error. Unrecognised command FROBNICATE", kConsoleError}}));
  // A command known by name but whose subsystem has not attached a handler.
  lines_.clear();
  EXPECT_EQ(ExecuteConsoleCommand("LOCKCAM 1"), 0);
  EXPECT_TRUE(lines_.empty());
  EXPECT_TRUE(Calls().empty());
}

TEST_F(CommandTableTest, EmptyTableReportsEveryCommand) {
  ExecuteConsoleCommand("SYSSETUP width 800");
  EXPECT_EQ(lines_, (std::vector<Line>{{"Error. Unrecognised command SYSSETUP", kConsoleError}}));
}

TEST_F(CommandTableTest, CommandWordsIgnoreCaseAndTheRestIsHandedOnAsWritten) {
  RegisterConsoleCommands();
  SetConsoleCommandHandler("savegame", RecordA);
  EXPECT_EQ(ExecuteConsoleCommand("savegame Test\n"), 7);
  EXPECT_EQ(ExecuteConsoleCommand("\t SaveGame"), 7);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"A: Test\n", "A:"}));
}

TEST_F(CommandTableTest, AttachingAHandlerReachesEntriesBeforeAndAfter) {
  RegisterConsoleCommands();                               // an entry already in the table
  EXPECT_TRUE(SetConsoleCommandHandler("SaveGame", RecordA));
  EXPECT_EQ(ConsoleCommandTable()[2].handler, &RecordA);
  RegisterConsoleCommands();  // and the next registration
  EXPECT_EQ(ConsoleCommandTable()[29].handler, &RecordA);
  EXPECT_FALSE(SetConsoleCommandHandler("NOSUCHCOMMAND", RecordB));

  // A name outside the fixed list is found once registered; the last entry wins.
  RegisterConsoleCommand("extra", RecordA);
  RegisterConsoleCommand("EXTRA", RecordB);
  EXPECT_EQ(ExecuteConsoleCommand("Extra 1"), 8);
  EXPECT_TRUE(SetConsoleCommandHandler("extra", RecordA));
  EXPECT_EQ(ExecuteConsoleCommand("extra 2"), 7);
}

TEST_F(CommandTableTest, TableHoldsTwoHundredFiftySixEntriesAndAllCanBeFound) {
  for (int i = 0; i < kMaxConsoleCommands; ++i) {
    ASSERT_TRUE(RegisterConsoleCommand(("cmd" + std::to_string(i)).c_str(), RecordA));
  }
  EXPECT_FALSE(RegisterConsoleCommand("onetoomany", RecordB));
  EXPECT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(ConsoleCommandTable().size(), 256u);
  EXPECT_EQ(ExecuteConsoleCommand("CMD255 x"), 7);  // beyond the first 128
  EXPECT_EQ(Calls(), (std::vector<std::string>{"A: x"}));

  ClearConsoleCommandTable();
  const std::string long_name(100, 'q');
  RegisterConsoleCommand(long_name.c_str(), RecordB);
  EXPECT_EQ(std::string(ConsoleCommandTable()[0].name), std::string(63, 'Q'));
}

TEST_F(CommandTableTest, RegisteringClearsTheConsoleOpenFlag) {
  SetConsoleOpen(true);
  RegisterConsoleCommands();
  EXPECT_FALSE(IsConsoleOpen());
}

TEST(ConsoleWords, WordsNumbersAndMissingWords) {
  const char* cursor = " \t\r one\rtwo  3x \n next";
  std::string word;
  ASSERT_TRUE(ReadConsoleWord(cursor, word));
  EXPECT_EQ(word, "one\rtwo");  // a carriage return inside a word stays
  int32_t n = -1;
  ASSERT_TRUE(ReadConsoleInt(cursor, n));
  EXPECT_EQ(n, 3);
  EXPECT_FALSE(ReadConsoleWord(cursor, word));  // a line feed is not skipped: the line is over

  const struct {
    const char* word;
    int32_t as_int;
    float as_float;
  } numbers[] = {{"12", 12, 12.0f},       {"-7", -7, -7.0f},     {"abc", 0, 0.0f},
                 {"7.9", 7, 7.9f},         {"99999999999", INT32_MAX, 99999999999.0f},
                 {"-99999999999", INT32_MIN, -99999999999.0f}, {"1e999", 1, 3.4028235e38f},
                 {"nan", 0, 0.0f}};
  for (const auto& c : numbers) {
    EXPECT_EQ(ConsoleWordToInt(c.word), c.as_int) << c.word;
    EXPECT_FLOAT_EQ(ConsoleWordToFloat(c.word), c.as_float) << c.word;
  }
}

TEST_F(ConsoleTest, PrintsWithoutASinkAreDroppedAndLongRepliesAreCut) {
  ConsoleSink mine = SetConsoleSink(nullptr);
  ConsolePrint("nobody hears this", kConsoleReply);
  SetConsoleSink(std::move(mine));
  EXPECT_TRUE(lines_.empty());
  const std::string big(5000, 'x');
  ConsolePrintF(kConsoleError, "%s", big.c_str());
  ASSERT_EQ(lines_.size(), 1u);
  EXPECT_EQ(lines_[0].text.size(), 1023u);
  EXPECT_EQ(lines_[0].kind, kConsoleError);
}

}  // namespace
