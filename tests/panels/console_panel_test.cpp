// The console: its history ring, the colours of its kinds, typed lines
// through the command table, and lines kept as text.
#include "panels_fixture.h"

#include "ui/edit_box.h"
#include "ui/game_panels.h"
#include "ui/layout_model.h"

namespace {

// The console's history is the program's and outlives games: each test
// reads only what it printed itself.
class ConsolePanelTest : public PanelsTest {
 protected:
  CConsolePanel& console() { return Hud().console; }
  // The last n entries, oldest first.
  std::vector<std::string> Last(size_t n) {
    const std::vector<std::string>& h = console().History();
    return {h.end() - std::ptrdiff_t(std::min(n, h.size())), h.end()};
  }
};

TEST_F(ConsolePanelTest, TheThirtyFirstLineDropsTheFirstAndTheNewestStaysLast) {
  for (int i = 1; i <= 30; ++i) ConsolePrint("line " + std::to_string(i), kConsoleReply);
  ASSERT_EQ(console().History().size(), 30u);
  EXPECT_EQ(console().History().front(), "line 1");
  ConsolePrint("line 31", kConsoleError);
  ASSERT_EQ(console().History().size(), 30u);
  EXPECT_EQ(console().History().front(), "line 2");
  EXPECT_EQ(console().History().back(), "line 31");
  for (int i = 32; i <= 75; ++i) ConsolePrint("line " + std::to_string(i), kConsoleReply);
  EXPECT_EQ(console().History().front(), "line 46");
  EXPECT_EQ(console().History().back(), "line 75");
  // The newest line is in view.
  const CTextRect& h = console().history;
  EXPECT_GE(h.firstLine + h.visibleLines, h.LineCount());
}

TEST_F(ConsolePanelTest, ATypedLineIsEchoedBeforeItsRepliesAndKeptAsText) {
  // A full ring first, so the new lines push old ones out.
  for (int i = 0; i < kConsoleHistoryLines; ++i) ConsolePrint("old", kConsoleReply);
  console().Open();
  console().input->SetText("nosuch%u %s");
  console().OnEvent(kNotifyEditEnter, 0, 0);
  const std::vector<std::string> expected = {"nosuch%u %s", "Error. Unrecognised command NOSUCH%U"};
  ASSERT_EQ(Last(2), expected);
  // The echo in colour 4, the error in colour 6; the box is empty again.
  const CTextRect& h = console().history;
  const int32_t echo = h.LineCount() - 2;
  EXPECT_EQ(h.lineColour[size_t(echo)], 4);
  EXPECT_EQ(h.lineColour[size_t(echo + 1)], 6);
  EXPECT_EQ(h.LineText(echo), "nosuch%u %s");
  std::string left;
  console().input->GetText(left);
  EXPECT_EQ(left, "");
  // An empty reply is kept as one blank, a reply in colour 5.
  ConsolePrint("", kConsoleReply);
  EXPECT_EQ(console().History().back(), " ");
  EXPECT_EQ(h.lineColour[size_t(h.LineCount() - 1)], 5);
}

TEST_F(ConsolePanelTest, LinesTypedQuicklyOneAfterAnotherAllRun) {
  for (int i = 0; i < kConsoleHistoryLines; ++i) ConsolePrint("old", kConsoleReply);
  ToggleConsole();
  for (char c : std::string("x1\rx2\r")) Ui().chars.push_back(uint8_t(c));
  for (int i = 0; i < 10; ++i) Step();
  const std::vector<std::string> lines = Last(4);
  EXPECT_EQ(lines[0], "x1");
  EXPECT_EQ(lines[2], "x2");
  ToggleConsole();
}

// A second console bound over the HUD's and gone again hands the replies
// back to the HUD's, and building a console twice binds it once.
TEST_F(ConsolePanelTest, AConsoleThatGoesHandsTheRepliesBack) {
  {
    std::vector<LayoutModel> models;
    ASSERT_TRUE(LoadLayoutModels(kHudLayoutFiles, models));
    CGamePanelManager set;
    set.SetLayoutModels(std::move(models));
    CConsolePanel other;
    set.InstallHudPanel(kHudConsole, &other);
    set.CreatePanels();
    other.Build();
    ConsolePrint("to both", kConsoleReply);
    EXPECT_EQ(other.History(), std::vector<std::string>{"to both"});
    EXPECT_EQ(Last(1), std::vector<std::string>{"to both"});
  }
  ConsolePrint("after", kConsoleReply);
  EXPECT_EQ(Last(2), (std::vector<std::string>{"to both", "after"}));
}

TEST_F(ConsolePanelTest, OpeningMakesItModalAndSetsTheOpenFlag) {
  ToggleConsole();
  EXPECT_TRUE(console().modal);
  EXPECT_TRUE(IsConsoleOpen());
  EXPECT_EQ(GamePanels().modalCount, 1);
  EXPECT_EQ(GamePanels().focusedEditBox, console().input);
  ToggleConsole();
  EXPECT_FALSE(console().modal);
  EXPECT_FALSE(IsConsoleOpen());
  EXPECT_EQ(GamePanels().modalCount, 0);
}

}  // namespace
