// The console: its history ring, the colours of its kinds, typed lines
// through the command table, and lines kept as text.
#include "panels_fixture.h"

#include "ui/edit_box.h"

namespace {

class ConsolePanelTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    console().start = console().write = 0;
    console().wrapped = false;
    console().shown.clear();
  }
  CConsolePanel& console() { return Hud().console; }
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
  console().Open();
  console().input->SetText("nosuch%u %s");
  console().OnEvent(kNotifyEditEnter, 0, 0);
  ASSERT_EQ(console().History().size(), 2u);
  EXPECT_EQ(console().History()[0], "nosuch%u %s");
  EXPECT_EQ(console().History()[1], "Error. Unrecognised command NOSUCH%U");
  // The echo in colour 4, the error in colour 6; the box is empty again.
  EXPECT_EQ(console().history.lineColour[0], 4);
  EXPECT_EQ(console().history.lineColour[1], 6);
  EXPECT_EQ(console().history.LineText(0), "nosuch%u %s");
  std::string left;
  console().input->GetText(left);
  EXPECT_EQ(left, "");
  // An empty reply is kept as one blank, a reply in colour 5.
  ConsolePrint("", kConsoleReply);
  EXPECT_EQ(console().History().back(), " ");
  EXPECT_EQ(console().history.lineColour[2], 5);
}

TEST_F(ConsolePanelTest, LinesTypedQuicklyOneAfterAnotherAllRun) {
  ToggleConsole();
  for (char c : std::string("x1\rx2\r")) Ui().chars.push_back(uint8_t(c));
  for (int i = 0; i < 10; ++i) Step();
  ASSERT_EQ(console().History().size(), 4u);
  EXPECT_EQ(console().History()[0], "x1");
  EXPECT_EQ(console().History()[2], "x2");
  ToggleConsole();
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
