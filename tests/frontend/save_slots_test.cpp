// The load and save pages' list: times on the twelve-hour clock, summaries
// that may not read, and actions that keep to the file the line was filled
// with however the folder changes.
#include <filesystem>

#include "frontend/page_rules.h"
#include "frontend/save_slots.h"
#include "frontend_fixture.h"
#include "session/scenarios.h"

namespace {

class SaveSlotsTest : public FrontEndDataTest {
 protected:
  void SetUp() override {
    FrontEndDataTest::SetUp();
    // Only the summary's chunks: the table's own header and end-game word.
    ClearSaveHooks();
    InstallSaveChunkTable();
    ASSERT_TRUE(PlayerProfile().CreateNew("Ada"));
  }
  void TearDown() override {
    ClearSaveHooks();
    FrontEndDataTest::TearDown();
  }
  // A save holding only its version and summary.
  void WriteSave(const std::string& name, SaveGameHeader header) {
    SetSaveHeaderSource([header] { return header; });
    ASSERT_TRUE(SaveGame(name)) << name;
  }
  bool Exists(const std::string& name) { return std::filesystem::exists(dir_ / ("profiles/Ada/" + name)); }
};

TEST(SaveTimeTest, TwelveHourClockFromOneLocalTime) {
  struct Case {
    int hour, minute;
    const char* shown;
  } cases[] = {{0, 5, "12:05am"}, {1, 0, "1:00am"}, {11, 59, "11:59am"},
               {12, 5, "12:05pm"}, {13, 5, "1:05pm"}, {23, 59, "11:59pm"}};
  for (const Case& c : cases) {
    std::tm t{};
    t.tm_year = 126, t.tm_mon = 11, t.tm_mday = 10, t.tm_hour = c.hour, t.tm_min = c.minute;
    const std::string text = FormatSaveTime(t);
    EXPECT_EQ(text.substr(0, text.find(' ')), c.shown);
    EXPECT_NE(text.find("12/10/26"), std::string::npos) << text;  // the date of the same time
  }
}

TEST_F(SaveSlotsTest, AnEmptyFolderGivesAnEmptyListAndNoButtons) {
  SaveSlotList list;
  list.Fill();
  EXPECT_TRUE(list.Slots().empty());
  EXPECT_FALSE(list.ButtonsEnabled());
  EXPECT_FALSE(list.HighlightedInfo());
  EXPECT_FALSE(list.DeleteHighlighted());
  list.Highlight(0);  // nothing to highlight
  EXPECT_EQ(list.Highlighted(), -1);
}

TEST_F(SaveSlotsTest, SummariesAndUnreadableSaves) {
  ScenarioManager().RegisterLevel(77001, "Harbour Rush", "harbour", "Own the docks.");
  WriteSave("harbour.sav", {77001, 1955, 1234.5f, 1});
  WriteSave("gone.sav", {99999, 1972, -20.0f, 0});
  dir_.Write("profiles/Ada/broken.sav", "not a save");
  dir_.Write("profiles/Ada/notes.txt", "not listed");
  SaveSlotList list;
  list.Fill();
  ASSERT_EQ(list.Slots().size(), 3u);
  EXPECT_EQ(list.Slots()[0].shownName, "broken");
  EXPECT_FALSE(list.Slots()[0].timeText.empty());

  // An unreadable summary can be highlighted (and so loaded or deleted) but
  // shows nothing.
  list.Highlight(0);
  EXPECT_TRUE(list.ButtonsEnabled());
  EXPECT_FALSE(list.HighlightedInfo());

  list.Highlight(2);
  auto info = list.HighlightedInfo();
  ASSERT_TRUE(info);
  EXPECT_EQ(info->shownName, "harbour");
  ASSERT_NE(info->scenario, nullptr);
  EXPECT_EQ(info->scenario->name, "Harbour Rush");
  EXPECT_EQ(info->year, 1955);
  EXPECT_FLOAT_EQ(info->money, 1234.5f);

  // A level no longer listed: year and money, no scenario.
  list.Highlight(1);
  info = list.HighlightedInfo();
  ASSERT_TRUE(info);
  EXPECT_EQ(info->scenario, nullptr);
  EXPECT_EQ(info->year, 1972);
}

TEST_F(SaveSlotsTest, ReadingASummaryLeavesTheRunningGamesHeaderAlone) {
  WriteSave("hard.sav", {0, 1990, 5.0f, 2});
  CurrentSaveHeader() = {0, 1931, 1.0f, 0};  // the game being played, easy
  SaveSlotList list;
  list.Fill();
  list.Highlight(0);
  ASSERT_TRUE(list.HighlightedInfo());
  EXPECT_EQ(CurrentSaveHeader().difficulty, 0);
  EXPECT_EQ(CurrentSaveHeader().year, 1931);
}

TEST_F(SaveSlotsTest, ActionsKeepToTheFileTheLineWasFilledWith) {
  WriteSave("b.sav", {});
  WriteSave("d.sav", {});
  SaveSlotList list;
  list.Fill();
  list.Highlight(1);  // d
  // Another save appears before it while the page is open.
  WriteSave("a.sav", {});
  ASSERT_TRUE(list.DeleteHighlighted());
  EXPECT_FALSE(Exists("d.sav"));
  EXPECT_TRUE(Exists("a.sav"));
  EXPECT_TRUE(Exists("b.sav"));
  // The list was refilled, without a highlight.
  ASSERT_EQ(list.Slots().size(), 2u);
  EXPECT_EQ(list.Highlighted(), -1);

  // A file removed behind the page's back: the delete says it failed.
  list.Highlight(0);
  std::filesystem::remove(dir_ / "profiles/Ada/a.sav");
  EXPECT_FALSE(list.DeleteHighlighted());
  EXPECT_TRUE(Exists("b.sav"));
}

TEST_F(SaveSlotsTest, SaveNameAnswers) {
  WriteSave("mine.sav", {});
  SaveSlotList list;
  list.Fill();
  // OK overwrites at once; Enter asks first and highlights the save it would replace.
  EXPECT_EQ(AnswerSaveName("mine", false, list), NameAnswer::kSave);
  EXPECT_EQ(list.Highlighted(), -1);
  EXPECT_EQ(AnswerSaveName("mine", true, list), NameAnswer::kAskOverwrite);
  EXPECT_EQ(list.Highlighted(), 0);
  EXPECT_EQ(AnswerSaveName("Mine", true, list), NameAnswer::kSave);  // exact names only
  EXPECT_EQ(AnswerSaveName("", true, list), NameAnswer::kKeepEditing);
  const std::string tooLong(200, 'x');
  // "__rec" would be the recorder's start save, a hidden name a temporary's.
  for (const char* bad : {"a/b", "a\\b", "..", "what?", tooLong.c_str(), "__rec", "__REC", ".hidden"}) {
    EXPECT_EQ(AnswerSaveName(bad, false, list), NameAnswer::kRefuse) << bad;
  }
  EXPECT_EQ(SaveFileName("mine"), "mine.sav");
}

}  // namespace
