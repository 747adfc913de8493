// Buttons: the icon button's press modes, toggling, the wheel while
// disabled, its image choice; the on/off and radio buttons; the click sound.
#include "ui/buttons.h"
#include "widget_kit_fixture.h"

namespace {

using ButtonTest = WidgetKitTest;

struct ModeCase {
  const char* name;
  int32_t mode;
  std::vector<int32_t> messages;  // message types, the mouse over the button
  std::vector<int32_t> firedAt;   // 1-based messages that sent 12
  int32_t messagesPerStep = 1;    // input passes of one interface step
};

TEST_F(ButtonTest, IconButtonModesFireOnTheirMessages) {
  std::vector<int32_t> repeat{kMsgLeftPressed};
  repeat.insert(repeat.end(), 14, kMsgLeftHeld);
  // Four passes a step (a fast game): the repeat still goes by steps.
  std::vector<int32_t> fastRepeat{kMsgLeftPressed};
  fastRepeat.insert(fastRepeat.end(), 4 * 13 - 1, kMsgLeftHeld);
  fastRepeat.insert(fastRepeat.end(), {kMsgLeftReleased, kMsgLeftPressed});
  const ModeCase cases[] = {
      {"while held", kIconFireWhileHeld, {4, 5, 5, 6}, {1, 2, 3}},
      {"on press", kIconFireOnPress, {4, 5, 6, 4}, {1, 4}},
      {"on release", kIconFireOnRelease, {4, 5, 6}, {3}},
      {"auto-repeat", kIconAutoRepeat, repeat, {1, 12, 13, 14, 15}},
      {"auto-repeat, four passes a step", kIconAutoRepeat, fastRepeat, {1, 45, 49, 54}, 4},
      {"press, never twice running", kIconFireOnPressOnce, {4, 4, 6, 4}, {1, 4}},
      {"release, never twice running", kIconToggleOnRelease, {4, 6, 6, 4, 6}, {2, 5}},
      {"drag never fires", kIconDragSteps, {4, 5, 6}, {}},
  };
  for (const ModeCase& c : cases) {
    SCOPED_TRACE(c.name);
    panel_.notes.clear();
    panel_.DeleteTree();
    CIconButton* b = panel_.CreateIconButton(3, 10, 10, 50, 30);
    b->SetMode(c.mode);
    std::vector<int32_t> fired;
    for (size_t i = 0; i < c.messages.size(); ++i) {
      if (i % size_t(c.messagesPerStep) == 0) ++Ui().interfaceTicks;
      const size_t before = panel_.notes.size();
      Send(b, c.messages[i], 20, 20, c.messages[i] != kMsgLeftReleased);
      for (size_t k = before; k < panel_.notes.size(); ++k)
        if (panel_.notes[k].code == kNotifyClicked) fired.push_back(int32_t(i + 1));
    }
    EXPECT_EQ(fired, c.firedAt);
  }
}

TEST_F(ButtonTest, ReleaseAwayFromAButtonThatFiresOnReleaseDoesNotFire) {
  CIconButton* b = panel_.CreateIconButton(3, 10, 10, 50, 30);
  b->SetMode(kIconFireOnRelease);
  Send(b, kMsgLeftPressed, 20, 20, true);
  Send(b, kMsgLeftReleased, 200, 200);
  EXPECT_EQ(panel_.Count(kNotifyClicked), 0);
}

TEST_F(ButtonTest, DragStepsMoveTheReferenceBySevenAtATime) {
  CIconButton* b = panel_.CreateIconButton(3, 10, 10, 50, 30);
  b->SetMode(kIconDragSteps);
  Send(b, kMsgLeftPressed, 20, 20, true);
  Send(b, kMsgLeftHeld, 40, 20, true);  // 20 pixels right in one step
  EXPECT_EQ(panel_.Count(kNotifyDragRight), 1);
  EXPECT_EQ(b->dragX, 27);
  Send(b, kMsgLeftHeld, 40, 20, true);
  EXPECT_EQ(panel_.Count(kNotifyDragRight), 2);
  Send(b, kMsgLeftHeld, 40, 5, true);  // and up
  EXPECT_EQ(panel_.Count(kNotifyDragUp), 1);
  EXPECT_EQ(panel_.Count(kNotifyDragRight), 2);  // 40 - 34 is within the step
}

// Also in the toggle-on-release mode (the information panel's mode and tab
// buttons), where the mode's own flip must not undo the release's.
TEST_F(ButtonTest, SwitchOnOnlyToggleStaysOnAndPlainToggleFlips) {
  for (int32_t mode : {int32_t(kIconFireWhileHeld), int32_t(kIconToggleOnRelease)}) {
    SCOPED_TRACE(mode);
    CIconButton* b = panel_.CreateIconButton(3, 10, 10, 50, 30);
    b->SetMode(mode);
    b->isToggle = 1;
    auto click = [&] {
      Send(b, kMsgLeftPressed, 20, 20, true);
      Send(b, kMsgLeftReleased, 20, 20);
    };
    click();
    EXPECT_TRUE(b->IsPressed());
    click();
    EXPECT_FALSE(b->IsPressed());
    b->switchOnOnly = true;
    click();
    click();
    EXPECT_TRUE(b->IsPressed());
  }
}

TEST_F(ButtonTest, DisabledIconButtonStillPassesTheWheel) {
  CIconButton* b = panel_.CreateIconButton(3, 10, 10, 50, 30);
  b->disabled = true;
  b->OnEvent(kMsgWheelBack, 1, 0);
  b->OnEvent(kMsgLeftPressed, 0, 0);
  EXPECT_EQ(panel_.notes, (std::vector<LoggingPanel::Note>{{kMsgWheelBack, 3, 1}}));
  EXPECT_EQ(clicks_, 0);
}

TEST_F(ButtonTest, ClickSoundsOncePerPress) {
  CIconButton* b = panel_.CreateIconButton(3, 10, 10, 50, 30);
  for (int32_t type : {kMsgLeftPressed, kMsgLeftHeld, kMsgLeftHeld, kMsgLeftReleased, kMsgLeftPressed})
    Send(b, type, 20, 20, type != kMsgLeftReleased);
  EXPECT_EQ(clicks_, 2);
  EXPECT_EQ(lastSample_, "spot_any_ui_lightclick.wav");
}

TEST_F(ButtonTest, ReEnabledButtonShowsItsImageAgain) {
  CIconButton* b = panel_.CreateIconButton(3, 10, 10, 50, 30);
  b->SetImages({6, -1, 8, -1});  // no disabled image
  b->disabled = true;
  b->DrawSelf();
  EXPECT_EQ(b->currentImage, -1);
  b->disabled = false;
  b->DrawSelf();
  EXPECT_EQ(b->currentImage, 6);
  b->pressed = true;
  EXPECT_EQ(b->ChooseImage(), 8);
}

TEST_F(ButtonTest, TintedButtonDrawsFrameAndLabelButNoImage) {
  CIconButton* b = panel_.CreateIconButton(3, 10, 10, 50, 30);
  b->SetImages({6, 7, 8, 9});
  b->SetTint(250, 40, 0);
  EXPECT_EQ(b->tintHover, 0xFFFF4820u);
  EXPECT_EQ(b->tintDark2, 0xFFBA0000u);
  b->DrawTree();
  EXPECT_TRUE(renderer_.textured.empty());
  EXPECT_FALSE(renderer_.shaded.empty());
}

TEST_F(ButtonTest, OnOffButtonFlipsOncePerPressAndIsDrawnWhereItIsHit) {
  entity_.x = 100;
  CButton* b = panel_.CreateButton(4, 10, 10, 50, 30);
  b->imageOn = 6;
  b->imageOff = 7;
  for (int32_t type : {kMsgLeftPressed, kMsgLeftHeld, kMsgLeftHeld, kMsgLeftReleased})
    Send(b, type, 120, 20, type != kMsgLeftReleased);
  EXPECT_FALSE(b->on);
  EXPECT_EQ(panel_.Count(kNotifyToggleFlipped), 1);
  b->DrawSelf();
  ASSERT_EQ(renderer_.textured.size(), 1u);
  EXPECT_FLOAT_EQ(renderer_.textured[0].corners[0].x, 110.0f);
}

TEST_F(ButtonTest, RadioButtonNeedsAHoverAndSwitchesItsSiblingsOff) {
  CRadioButton* r[3];
  for (int32_t i = 0; i < 3; ++i) r[i] = panel_.CreateRadioButton(i, 10.0f + 20 * i, 10, 25.0f + 20 * i, 25);
  r[0]->sibling1 = r[1];
  r[0]->sibling2 = r[2];
  r[1]->on = r[2]->on = true;
  Send(r[0], kMsgLeftPressed, 15, 15, true);
  EXPECT_FALSE(r[0]->on);  // no hover-in yet
  Send(r[0], kMsgMouseEntered, 15, 15);
  Send(r[0], kMsgLeftPressed, 15, 15, true);
  EXPECT_TRUE(r[0]->on);
  EXPECT_FALSE(r[1]->on || r[2]->on);
  EXPECT_EQ(panel_.Count(kNotifyRadioOn), 1);
  Send(r[0], kMsgLeftReleased, 15, 15);
  r[0]->on = false;
  Send(r[0], kMsgLeftPressed, 15, 15, true);
  EXPECT_FALSE(r[0]->on);  // the release forgot the hover
}

}  // namespace
