// Widget trees: owners, drawing and picking order, hidden and locked
// subtrees, cursor requests and tooltips.
#include <string>

#include "ui/layout_model.h"
#include "ui/panel.h"
#include "ui_fixture.h"

namespace {

// A widget that logs what is done to it.
class Probe : public CWidget {
 public:
  explicit Probe(std::string* log, const char* name) : log_(log), name_(name) {}
  void DrawSelf() override { *log_ += name_ + " "; }
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override {
    events.push_back({type, a, b});
    return 0;
  }
  struct Event {
    int32_t type, a, b;
  };
  std::vector<Event> events;

 private:
  std::string* log_;
  std::string name_;
};

class WidgetTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    entity_.model = &model_;
    panel_.BindLayout(&entity_, nullptr, nullptr, nullptr);
  }
  // A child of `parent` made like the factory makes its widgets.
  Probe* Child(CWidget* parent, const char* name, float x1, float y1, float x2, float y2) {
    probes_.push_back(std::make_unique<Probe>(&log_, name));
    Probe* p = probes_.back().get();
    p->Attach(x1, y1, x2, y2, parent, parent->ownerPanel ? parent->ownerPanel : parent->AsPanel(), 0);
    parent->AppendChild(p);
    return p;
  }

  LayoutModel model_;
  CLayoutEntity entity_;
  CPanel panel_;
  std::string log_;
  std::vector<std::unique_ptr<Probe>> probes_;
};

TEST_F(WidgetTest, FactoryChildrenTakeThePanelAsOwnerDownTheTree) {
  CTextRect* child = panel_.CreateTextRect(7, 10, 10, 50, 20);
  CTextRect* grandchild = child->CreateTextRect(8, 12, 12, 40, 18);
  EXPECT_EQ(child->ownerPanel, &panel_);
  EXPECT_EQ(grandchild->ownerPanel, &panel_);
  EXPECT_EQ(grandchild->parent, child);
  EXPECT_EQ(child->id, 7);
  EXPECT_EQ(panel_.firstChild, child);
}

TEST_F(WidgetTest, EarlierSiblingIsPickedAndDrawnFirstDeepestWins) {
  entity_.x = 100;  // widget rectangles follow the panel's model
  Probe* a = Child(&panel_, "a", 0, 0, 50, 50);
  Probe* b = Child(&panel_, "b", 20, 20, 80, 80);
  Probe* inner = Child(b, "inner", 30, 30, 40, 40);
  Mouse(130, 30);
  EXPECT_EQ(a->PickWidget(), a);
  Mouse(135, 35);
  EXPECT_EQ(a->PickWidget(), a);  // overlap: the first created wins
  Mouse(165, 65);
  EXPECT_EQ(a->PickWidget(), b);
  b->SetRect(0, 0, 100, 100);
  Mouse(135, 35);
  a->visible = false;
  EXPECT_EQ(a->PickWidget(), inner);  // children before their parent
  a->visible = true;
  a->DrawTree();
  EXPECT_EQ(log_, "a inner b ");
}

TEST_F(WidgetTest, HiddenSubtreesAreSkippedAndLockedWidgetsPassThePickOn) {
  Probe* a = Child(&panel_, "a", 0, 0, 100, 100);
  Probe* child = Child(a, "child", 10, 10, 20, 20);
  Probe* b = Child(&panel_, "b", 0, 0, 100, 100);
  a->visible = false;
  a->DrawTree();
  EXPECT_EQ(log_, "b ");
  Mouse(15, 15);
  EXPECT_EQ(a->PickWidget(), b);

  a->visible = true;
  a->inputDisabled = true;
  EXPECT_EQ(a->PickWidget(), child);  // its visible children still take input
  Mouse(50, 50);
  EXPECT_EQ(a->PickWidget(), b);

  a->inputDisabled = false;
  a->SetInputDisabledTree(true);  // the subtree and the siblings after it
  EXPECT_TRUE(child->inputDisabled);
  EXPECT_TRUE(b->inputDisabled);
  EXPECT_EQ(a->PickWidget(), nullptr);
}

TEST_F(WidgetTest, EnteringAsksForTheWidgetsCursorAndLeavingForThePointer) {
  Probe* a = Child(&panel_, "a", 0, 0, 10, 10);
  a->cursorId = kCursorBuilding;
  a->HandleMessage(kMsgMouseEntered, 0, 0);
  EXPECT_EQ(GetCursorState().requested, kCursorBuilding);
  EXPECT_EQ(GetCursorState().priority, 1);
  a->HandleMessage(kMsgMouseLeft, 0, 0);
  EXPECT_EQ(GetCursorState().requested, kCursorPointer);
  ASSERT_EQ(a->events.size(), 2u);  // both went on to OnEvent
  EXPECT_EQ(a->events[1].type, kMsgMouseLeft);
}

TEST_F(WidgetTest, BroadcastReachesVisibleWidgetsChildrenFirst) {
  Probe* a = Child(&panel_, "a", 0, 0, 10, 10);
  Probe* child = Child(a, "child", 0, 0, 5, 5);
  Probe* hidden = Child(&panel_, "hidden", 0, 0, 10, 10);
  hidden->visible = false;
  a->BroadcastMessage(kMsgRefresh, 1, 2);
  EXPECT_EQ(child->events.size(), 1u);
  EXPECT_EQ(a->events.size(), 1u);
  EXPECT_TRUE(hidden->events.empty());
}

TEST_F(WidgetTest, TooltipStringIsCutToItsBuffer) {
  CWidget w;
  w.SetTooltipString(std::string(400, 'x'));
  EXPECT_TRUE(w.hasTooltipString);
  EXPECT_EQ(std::string(w.tooltipString).size(), kTooltipCapacity);
}

TEST_F(WidgetTest, MouseOverRectIsStrictSidewaysInclusiveVerticallyAndOffWithTheRightButton) {
  const UIRect r = SetUIRect(10, 10, 20, 20);
  struct Case {
    int32_t x, y;
    bool right, over;
  } cases[] = {{10, 15, false, false}, {11, 15, false, true}, {20, 15, false, false},
               {15, 10, false, true},  {15, 20, false, true}, {15, 21, false, false},
               {15, 15, true, false}};
  for (const Case& c : cases) {
    Mouse(c.x, c.y, false, c.right);
    EXPECT_EQ(IsMouseOverRect(r, &entity_), c.over) << c.x << "," << c.y;
  }
  Mouse(15, 15);
  EXPECT_FALSE(IsMouseOverRect(r, nullptr));
}

}  // namespace
