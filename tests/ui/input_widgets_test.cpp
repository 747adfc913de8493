// Scroll bar, list box, drop-down, edit box, spin arrow, spin box and the
// choice group.
#include "ui/choice_group.h"
#include "ui/drop_down.h"
#include "ui/edit_box.h"
#include "ui/list_box.h"
#include "ui/scroll_bar.h"
#include "ui/spin_arrow.h"
#include "ui/buttons.h"
#include "widget_kit_fixture.h"

namespace {

using InputWidgetTest = WidgetKitTest;

// ---- scroll bar ---------------------------------------------------------------

TEST_F(InputWidgetTest, ScrollRangeOfAFullTextIsOneAndOfAFullListZero) {
  CTextRect* text = panel_.CreateTextRect(1, 10, 10, 100, 110);  // 10 lines of 10
  for (int32_t i = 0; i < 10; ++i) text->AddTextF("line %d", i);
  text->Layout();
  text->FitVisibleLines();
  ASSERT_EQ(text->visibleLines, 10);
  CScrollBar* bar = panel_.CreateScrollBar(2, 100, 10, 100, true);
  bar->AttachText(text);
  bar->UpdateRange();
  EXPECT_EQ(bar->maximum, 1.0f);
  EXPECT_FALSE(bar->inputDisabled);

  CListBox* list = panel_.CreateListBox(3, 200, 10, 300, 0, 0.5f);
  list->SetRect(200, 10, 300, 12.0f + float(list->text.lineHeight * 10) + 2.0f);
  ASSERT_EQ(list->text.visibleLines, 10);
  list->Reset(10);
  for (int32_t i = 0; i < 10; ++i) list->SetItemText(i, "item %d", i);
  CScrollBar* listBar = panel_.CreateScrollBar(4, 300, 10, 100, true);
  listBar->AttachListBox(list);
  list->AttachScrollBar(listBar);
  listBar->UpdateRange();
  EXPECT_EQ(listBar->maximum, 0.0f);
  EXPECT_TRUE(listBar->inputDisabled);
  EXPECT_TRUE(listBar->upArrow->disabled && listBar->downArrow->disabled);
}

TEST_F(InputWidgetTest, ScrollThumbKeepsFivePixelsAndDraggingClampsAtTheEnds) {
  CScrollBar* bar = panel_.CreateScrollBar(2, 100, 10, 200, true);
  ASSERT_FLOAT_EQ(bar->track.y1, 28.0f);  // below a 16-pixel arrow and a gap of 2
  bar->maximum = 500.0f;
  bar->UpdateThumb(250);
  const UIRect thumb = bar->ComputeThumb();
  EXPECT_FLOAT_EQ(thumb.y2 - thumb.y1, 5.0f);
  bar->maximum = 0.0f;
  bar->UpdateThumb(0);
  const UIRect whole = bar->ComputeThumb();
  EXPECT_FLOAT_EQ(whole.y1, bar->track.y1);
  EXPECT_FLOAT_EQ(whole.y2, bar->track.y2);

  bar->maximum = 20.0f;
  Send(bar, kMsgLeftHeld, 108, 0, true);  // above the track
  EXPECT_EQ(bar->value, 0);
  EXPECT_FALSE(bar->IsEnabled());  // it keeps the mouse while dragged
  Send(bar, kMsgLeftHeld, 108, 400, true);  // below it
  EXPECT_EQ(bar->value, 20);
  Send(bar, kMsgLeftReleased, 108, 400);
  EXPECT_EQ(panel_.notes.back(), (LoggingPanel::Note{kNotifyScrollPosition, 2, 20}));
}

TEST_F(InputWidgetTest, ArrowsStepTheBarAndTheWheelLeavesAHorizontalBar) {
  CTextRect* text = panel_.CreateTextRect(1, 10, 10, 100, 50);
  for (int32_t i = 0; i < 12; ++i) text->AddTextF("line %d", i);
  CScrollBar* bar = panel_.CreateScrollBar(2, 100, 10, 100, true);
  bar->AttachText(text);
  bar->UpdateRange();
  Send(bar->downArrow, kMsgLeftPressed, 105, 100, true);
  EXPECT_EQ(bar->value, 1);
  EXPECT_EQ(text->firstLine, 1);
  CScrollBar* across = panel_.CreateScrollBar(3, 10, 200, 100, false);
  across->maximum = 5.0f;
  panel_.notes.clear();
  across->OnEvent(kMsgWheelBack, 0, 0);
  EXPECT_EQ(across->value, 0);
  EXPECT_EQ(panel_.notes, (std::vector<LoggingPanel::Note>{{kNotifyScrollPosition, 3, 0}}));
}

// ---- list box -------------------------------------------------------------------

class ListTest : public InputWidgetTest {
 protected:
  void SetUp() override {
    InputWidgetTest::SetUp();
    list_ = panel_.CreateListBox(5, 10, 10, 110, 110, 0.5f);
    list_->Reset(6);
    for (int32_t i = 0; i < 6; ++i) {
      list_->SetItemText(i, "item %d", i);
      list_->SetItemValue(i, i == 2 ? -1 : 100 + i);
    }
  }
  // The middle of item i's row.
  int32_t RowY(int32_t i) const { return int32_t(list_->y1) + list_->text.lineHeight * i + 3; }
  CListBox* list_ = nullptr;
};

TEST_F(ListTest, OnePressSelectsOneItemAndUnselectableItemsAreReported) {
  Send(list_, kMsgLeftPressed, 20, RowY(1), true);
  EXPECT_EQ(list_->GetSelection(), -1);  // the press alone chooses nothing
  Send(list_, kMsgLeftHeld, 20, RowY(1), true);
  Send(list_, kMsgLeftHeld, 20, RowY(3), true);  // moved on, same press
  EXPECT_EQ(list_->GetSelection(), 1);
  Send(list_, kMsgLeftReleased, 20, RowY(3));
  Send(list_, kMsgLeftHeld, 20, RowY(2), true);
  EXPECT_EQ(list_->GetSelection(), 1);  // value -1: kept
  EXPECT_EQ(panel_.notes.back(), (LoggingPanel::Note{kNotifyListItem, 5, 2}));
  list_->Select(9);
  EXPECT_EQ(list_->GetSelection(), -1);
  EXPECT_EQ(panel_.notes.back(), (LoggingPanel::Note{kNotifyListItem, 5, -1}));
}

TEST_F(ListTest, ResetBeyondCapacityIsCutAndItemCallsOutOfRangeAreIgnored) {
  list_->Reset(500);
  EXPECT_EQ(list_->count, kListBoxCapacity);
  list_->SetItemValue(kListBoxCapacity, 7);
  EXPECT_EQ(list_->GetItemValue(kListBoxCapacity), -1);
  list_->SetItemText(-1, "x");
  EXPECT_EQ(list_->GetLineCount(), 0);
}

TEST_F(ListTest, ScrollMaximumFollowsTheItemsBeyondTheVisibleOnes) {
  list_->SetRect(10, 10, 110, 12.0f + float(list_->text.lineHeight * 5));
  ASSERT_EQ(list_->text.visibleLines, 5);
  CScrollBar* bar = panel_.CreateScrollBar(6, 110, 10, 100, true);
  list_->AttachScrollBar(bar);
  for (int32_t items : {3, 8}) {
    list_->Reset(items);
    for (int32_t i = 0; i < items; ++i) list_->SetItemText(i, "item %d", i);
    list_->DrawSelf();
    EXPECT_EQ(bar->maximum, float(items == 3 ? 0 : 3));
  }
}

TEST_F(ListTest, SelectionBarGivesWayToThePulsingHoverBar) {
  list_->Select(1);
  Mouse(20, RowY(1));
  list_->HandleMessage(kMsgMouseEntered, 0, 0);
  renderer_.shaded.clear();
  list_->DrawSelf();
  ASSERT_EQ(renderer_.shaded.size(), 1u);  // only the hover bar
  EXPECT_EQ(renderer_.shaded[0].colours[0] & 0x00FFFFFFu, 0x6ED1E1u);
  EXPECT_EQ(list_->GetHoverLine(), 1);
}

// ---- drop-down ----------------------------------------------------------------

class DropDownTest : public InputWidgetTest {
 protected:
  void SetUp() override {
    InputWidgetTest::SetUp();
    drop_ = panel_.CreateDropDown(8, 10, 10, 110, 22, UIRect{10, 10, 110, 22, 0.5f});
    for (const char* item : {"red", "green", "blue"}) drop_->AddItem(nullptr, "%s", item);
  }
  void ClickField() {
    Send(drop_->button, kMsgLeftPressed, 20, 15, true);
    Send(drop_->button, kMsgLeftReleased, 20, 15);
  }
  CDropDown* drop_ = nullptr;
};

TEST_F(DropDownTest, FieldOpensAndClosesAndAnItemIsChosen) {
  EXPECT_EQ(drop_->shown.LineText(0), "Default String");
  ClickField();
  EXPECT_TRUE(drop_->open);
  ClickField();
  EXPECT_FALSE(drop_->open);
  EXPECT_EQ(panel_.Count(kNotifyDropDownChoice), 1);
  EXPECT_EQ(panel_.notes.back(), (LoggingPanel::Note{kNotifyDropDownChoice, 8, -1}));
  ClickField();
  const int32_t itemY = int32_t(drop_->list.y1) + drop_->list.lineHeight + 2;  // the second
  Send(drop_, kMsgLeftPressed, 20, itemY, true);
  EXPECT_FALSE(drop_->open);
  EXPECT_EQ(drop_->selected, 1);
  EXPECT_EQ(drop_->shown.LineText(0), "green");
  EXPECT_EQ(panel_.notes.back(), (LoggingPanel::Note{kNotifyDropDownChoice, 8, 1}));
}

TEST_F(DropDownTest, PressBelowTheLastItemChoosesNothingAndOutsideCloses) {
  ClickField();
  Send(drop_, kMsgLeftPressed, 20, int32_t(drop_->list.y2), true);  // the list's bottom edge
  EXPECT_TRUE(drop_->open);
  EXPECT_EQ(drop_->selected, 0);
  Send(drop_, kMsgLeftPressed, 300, 300, true);
  EXPECT_FALSE(drop_->open);
  drop_->disabled = true;
  ClickField();
  EXPECT_FALSE(drop_->open);
}

TEST_F(DropDownTest, The513thItemIsRefused) {
  drop_->Clear();
  for (int32_t i = 0; i < kDropDownCapacity; ++i) ASSERT_EQ(drop_->AddItem(nullptr, "%d", i), 1);
  EXPECT_EQ(drop_->AddItem(nullptr, "one too many"), 0);
  EXPECT_EQ(drop_->count, kDropDownCapacity);
  EXPECT_EQ(drop_->list.LineCount(), kDropDownCapacity);
}

// ---- edit box -------------------------------------------------------------------

class EditTest : public InputWidgetTest {
 protected:
  void SetUp() override {
    InputWidgetTest::SetUp();
    edit_ = panel_.CreateEditBox(9, 10, 10, 300, 24);
    edit_->Activate();
  }
  void Type(std::string_view s) {
    for (char c : s) {
      Ui().chars.push_back(uint8_t(c));
      edit_->HandleMessage(kMsgCharacter, 0, 0);
    }
  }
  std::string Text() const {
    std::string out;
    edit_->GetText(out);
    return out;
  }
  CEditBox* edit_ = nullptr;
};

TEST_F(EditTest, LengthAndWidthLimitsRefuseCharacters) {
  edit_->maxLength = 8;
  Type("abcdefghij");
  EXPECT_EQ(Text(), "abcdefgh");
  edit_->SetText("");
  edit_->maxLength = -1;
  edit_->widthLimit = 5 * kTestGlyphWidth;
  Type("abcdefg");
  EXPECT_EQ(Text(), "abcde");
  edit_->widthLimit = -1;
  edit_->SetText(std::string(200, 'x'));
  EXPECT_EQ(edit_->length, kEditBoxCapacity);
  Type("y");
  EXPECT_EQ(Text(), std::string(kEditBoxCapacity, 'x'));
}

TEST_F(EditTest, FileNameModeBackspaceAndEnter) {
  edit_->SetFileNameMode();
  Type("a:b");
  EXPECT_EQ(Text(), "ab");
  Type("\b\b\b");
  EXPECT_EQ(Text(), "");
  Type("\r");
  EXPECT_FALSE(edit_->active);
  EXPECT_EQ(panel_.notes.back(), (LoggingPanel::Note{kNotifyEditEnter, 9, 0}));
  Type("z");  // no longer editing
  EXPECT_EQ(Text(), "");
}

// ---- spin arrow and spin box ----------------------------------------------------

TEST_F(InputWidgetTest, SpinArrowStopsAtItsMinimumAndGreysTheDownArrow) {
  CSpinArrow* spin = panel_.CreateSpinArrow(11, 10, 10, 80);
  spin->SetRange(5, 0, 100);
  spin->SetValue(3);
  spin->OnEvent(kNotifyClicked, 1, 0);
  EXPECT_EQ(spin->value, 0.0f);
  EXPECT_TRUE(spin->downArrow->inputDisabled);
  EXPECT_EQ(spin->downArrow->imageNormal, kSpinDownImage + 3);
  spin->OnEvent(kNotifyClicked, 0, 0);
  EXPECT_EQ(spin->value, 5.0f);
  EXPECT_FALSE(spin->downArrow->inputDisabled);
  EXPECT_EQ(spin->downArrow->imageNormal, kSpinDownImage);
  EXPECT_EQ(panel_.Count(kNotifySpinStepped), 2);
  EXPECT_EQ(spin->upArrow->mode, kIconAutoRepeat);
}

TEST_F(InputWidgetTest, SpinBoxClampsOrWrapsAndReportsTheIndexThatHolds) {
  CSpinBox* box = panel_.CreateSpinBox(12, 10, 10, 100, 24, 0.5f);
  box->CreateArrows(UIRect{100, 10, 116, 26, 0.5f}, UIRect{0, 10, 10, 26, 0.5f});
  box->SetChoiceCount(4);
  box->SetCurrent(3);
  panel_.notes.clear();
  box->OnEvent(kNotifyClicked, 100, 0);
  EXPECT_EQ(box->GetCurrent(), 3);
  EXPECT_TRUE(panel_.notes.empty());
  box->SetWrap(1);
  box->OnEvent(kNotifyClicked, 100, 0);
  EXPECT_EQ(box->GetCurrent(), 0);
  EXPECT_EQ(panel_.notes.back(), (LoggingPanel::Note{kNotifySpinBoxChanged, 12, 0}));
  box->OnEvent(kNotifyClicked, 200, 0);
  EXPECT_EQ(panel_.notes.back(), (LoggingPanel::Note{kNotifySpinBoxChanged, 12, 3}));
}

// ---- choice group ---------------------------------------------------------------

TEST_F(InputWidgetTest, ChoiceGroupKeepsOneItemSelectedWhenItemsArePressed) {
  CChoiceGroup* group = panel_.CreateChoiceGroup(13, 10, 10, 110, 210, 0.5f);
  group->SetItemCount(12);
  EXPECT_GT(group->items[11]->y1, group->y2);  // rows of a tenth of the height
  EXPECT_TRUE(group->items[0]->selected);
  Send(group->items[2], kMsgLeftPressed, 20, int32_t(group->items[2]->y1) + 2, true);
  EXPECT_EQ(group->selectedIndex, 2);
  for (int32_t i = 0; i < 12; ++i) EXPECT_EQ(group->items[size_t(i)]->selected, i == 2);
  Send(group->items[2], kMsgLeftPressed, 20, int32_t(group->items[2]->y1) + 2, true);
  EXPECT_TRUE(group->items[2]->selected);
  EXPECT_FALSE(group->items[15]->visible);  // past the count
}

}  // namespace
