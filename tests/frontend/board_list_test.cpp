// Boards: which folders are boards, and what loading one changes.
#include <filesystem>

#include "engine/core/console.h"
#include "engine/files/text_bank.h"
#include "frontend/board_list.h"
#include "frontend_fixture.h"
#include "ui/interface_assets.h"
#include "ui/money_format.h"
#include "ui/ui_services.h"

namespace {

class BoardListTest : public FrontEndDataTest {
 protected:
  // A bank whose string 1 is the board's name and 2, 3 its currency.
  void WriteBank(const std::string& folder, const std::string& name, const std::string& symbol = "$") {
    std::filesystem::create_directories(dir_ / ("gamedata/fonts/board/" + folder));
    const std::string strings[] = {CodePageCharTable(), name, symbol, "l"};
    ASSERT_TRUE(WriteTextBankFiles("gamedata\\fonts\\board\\" + folder + "\\civano", strings));
  }
  std::vector<std::string> Folders() {
    std::vector<std::string> folders;
    for (const BoardEntry& b : Boards()) folders.push_back(b.folder);
    return folders;
  }
};

TEST_F(BoardListTest, EachTopLevelFolderWithItsOwnBankIsOneBoard) {
  WriteBank("usa", "United States");
  WriteBank("uk", "");  // no name of its own: shown by its folder
  WriteBank(".hidden", "Hidden");
  WriteBank("_work", "Work");
  WriteBank("nested/inner", "Inner");  // a bank only below: not loadable as a board
  dir_.Write("gamedata/fonts/board/loose.bin", "x");
  ListBoards();
  EXPECT_EQ(Folders(), (std::vector<std::string>{"uk", "usa"}));
  EXPECT_EQ(Boards()[0].displayName, "uk");
  EXPECT_EQ(Boards()[1].displayName, "United States");
  EXPECT_EQ(FindBoard("usa"), 1);
  EXPECT_EQ(FindBoard("nested"), -1);
}

TEST_F(BoardListTest, AtMostOneHundredBoards) {
  for (int i = 0; i < 101; ++i) WriteBank("b" + std::to_string(1000 + i), "B");
  ListBoards();
  EXPECT_EQ(Boards().size(), 100u);
  EXPECT_EQ(FindBoard("b1100"), -1);
}

TEST_F(BoardListTest, LoadingABoardReplacesTheTextsFromItsFirstIdOn) {
  std::vector<std::string> game(kBoardFirstText + 4, "game");
  game[0] = CodePageCharTable();
  ASSERT_TRUE(WriteTextBankFiles("language\\usa\\civano", game));
  CTextSystem& text = InterfaceTextSystem();
  ASSERT_TRUE(text.LoadTextBankFile("language\\usa\\civano"));
  CTextSystem* oldText = Ui().text;
  Ui().text = &text;
  WriteBank("euro", "Europe", "EUR");
  dir_.Write("gamedata/fonts/board/euro/board.prm", "// nothing to change\n");

  EXPECT_FALSE(LoadBoard("../euro"));
  EXPECT_FALSE(LoadBoard("missing"));
  std::string s;
  text.GetTextAscii(s, kBoardFirstText);
  EXPECT_EQ(s, "game");

  ASSERT_TRUE(LoadBoard("euro"));
  text.GetTextAscii(s, kBoardFirstText);
  EXPECT_EQ(s, "Europe");
  text.GetTextAscii(s, kBoardFirstText - 1);
  EXPECT_EQ(s, "game");
  EXPECT_EQ(FormatMoney(-12), "-EUR12");

  SetCurrencyFormat("$", true);
  Ui().text = oldText;
}

// A board whose own bank is damaged (and that has no translation to use
// instead) is left out, and that is said once on the console, however often
// it is asked for; its board.prm does not run.
TEST_F(BoardListTest, ABoardWithADamagedBankIsLeftOutAndNamedOnce) {
  WriteBank("torn", "Torn");
  dir_.Write("gamedata/fonts/board/torn/civano.off", "\x01");  // an odd length
  dir_.Write("gamedata/fonts/board/torn/board.prm", "SAVEGAME fromboard\n");
  std::vector<std::string> lines;
  ConsoleSink oldSink = SetConsoleSink([&](std::string_view text, int) { lines.emplace_back(text); });
  ListBoards();
  EXPECT_FALSE(LoadBoard("torn"));
  EXPECT_FALSE(LoadBoard("torn"));
  SetConsoleSink(std::move(oldSink));
  EXPECT_EQ(FindBoard("torn"), -1);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0],
            "The text bank gamedata\\fonts\\board\\torn\\civano cannot be read; the board torn is left out.");
}

TEST(GameBoardTest, TheDefaultBoardIsInstalled) {
  const std::string oldRoot = platform::GameRoot();
  platform::SetGameRoot(RC_GAME_ROOT);
  ListBoards();
  const int32_t usa = FindBoard("usa");
  ASSERT_GE(usa, 0);
  EXPECT_EQ(Boards()[static_cast<size_t>(usa)].displayName, "United States");
  EXPECT_TRUE(std::filesystem::exists(platform::ResolveGamePath("gamedata\\fonts\\board\\usa\\board.prm")));
  platform::SetGameRoot(oldRoot);
}

}  // namespace
