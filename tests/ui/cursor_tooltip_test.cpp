// 2D drawing and scaling, the cursor's requests and drawing, and the hover
// tooltip's timing, texts and placement.
#include "engine/input/input_device.h"
#include "engine/scene/entity.h"
#include "shell/startup.h"
#include "ui/draw_2d.h"
#include "ui/interface_frame.h"
#include "ui_fixture.h"

namespace {

using CursorTooltipTest = UiTest;

TEST_F(CursorTooltipTest, ScaleToScreenAtEachDisplayWidth) {
  struct Case {
    int32_t displayWidth, displayHeight, x, y;
  } cases[] = {{640, 480, 64, 48}, {800, 600, 51, 38}, {1280, 1024, 64, 48}, {1600, 1200, 51, 38}};
  for (const Case& c : cases) {
    int32_t w = 0, h = 0;
    InterfaceLayoutSize(c.displayWidth, c.displayHeight, w, h);
    SetInterfaceScreenSize(w, h);
    EXPECT_EQ(ScaleToScreenX(64), c.x) << c.displayWidth;
    EXPECT_EQ(ScaleToScreenY(48), c.y) << c.displayWidth;
  }
}

TEST_F(CursorTooltipTest, RectanglesLinesAndImages) {
  DrawRectOutline(SetUIRect(10, 20, 30, 20), 0xFF112233, 0.5f);  // no height
  ASSERT_EQ(renderer_.lines.size(), 4u);
  EXPECT_FLOAT_EQ(renderer_.lines[1][0].y, 19.5f);  // the right edge is still a pixel long
  EXPECT_FLOAT_EQ(renderer_.lines[1][1].y, 20.5f);

  DrawRect2D(SetUIRect(1, 2, 3, 4), 1, 2, 3, 4, 0.5f);
  ASSERT_EQ(renderer_.shaded.size(), 1u);
  const auto& q = renderer_.shaded[0].corners;
  EXPECT_EQ(q[1].x, 1.0f);  // (x1, y2) second
  EXPECT_EQ(q[1].y, 4.0f);
  EXPECT_EQ(renderer_.shaded[0].colours[2], 3u);

  SetInterfaceScreenSize(800, 600);
  DrawImage2D(100, 50, 1, 0.5f);  // a 64 x 24 image
  ASSERT_EQ(renderer_.textured.size(), 1u);
  EXPECT_EQ(renderer_.textured[0].corners[2].x, 100.0f + 51.0f);
  EXPECT_EQ(renderer_.textured[0].corners[2].y, 50.0f + 19.0f);
  DrawImage2D(0, 0, 99, 0.5f);  // no such image: nothing drawn
  DrawImage2D(0, 0, -1, 0.5f);
  EXPECT_EQ(renderer_.textured.size(), 1u);
}

TEST_F(CursorTooltipTest, StrongRequestsHoldUntilTheirPriorityDecays) {
  EXPECT_EQ(RequestCursor(kCursorBlock, 3), kCursorBlock);
  EXPECT_EQ(RequestCursor(kCursorHand, 1), kCursorBlock);
  DecayCursorPriority();
  EXPECT_EQ(RequestCursor(kCursorHand, 1), kCursorBlock);  // priority 2 still
  DecayCursorPriority();
  EXPECT_EQ(RequestCursor(kCursorHand, 1), kCursorHand);
  EXPECT_EQ(RequestCursor(kCursorHand, 1), kCursorHand);
  // A paused game shows the pointer.
  Ui().gameRunning = Ui().gamePaused = true;
  EXPECT_EQ(RequestCursor(kCursorBuilding, 5), kCursorPointer);
  Ui().frontEndShown = true;
  EXPECT_EQ(RequestCursor(kCursorBuilding, 5), kCursorBuilding);
}

TEST_F(CursorTooltipTest, SoftwareCursorSitsOnItsHotSpot) {
  const int32_t image = AddTexture(32, 32);
  SetCursorTextures(std::vector<int32_t>(kCursorCount, image));
  Mouse(100, 200);
  struct Case {
    int32_t index;
    float x, y;
  } cases[] = {{kCursorPointer, 95, 199}, {kCursorRotate, 92, 192}, {kCursorTrack, 95, 201}};
  for (const Case& c : cases) {
    renderer_.textured.clear();
    RequestCursor(c.index, 9);
    DrawMouseCursor();
    ASSERT_EQ(renderer_.textured.size(), 1u);
    EXPECT_EQ(renderer_.textured[0].corners[0].x, c.x) << c.index;
    EXPECT_EQ(renderer_.textured[0].corners[0].y, c.y) << c.index;
    EXPECT_EQ(renderer_.textured[0].corners[2].x, c.x + 32) << c.index;
    EXPECT_FLOAT_EQ(renderer_.textured[0].corners[0].z, 0.1f);
  }
}

TEST_F(CursorTooltipTest, TheInputFrameTakesTheMouseAndTheTypedCharacters) {
  CInputDevice device;
  for (uint8_t c : {uint8_t(8), uint8_t(13), uint8_t(0xE9)}) device.PushChar(c);
  g_InputState.uiCursorX = 320;
  g_InputState.uiCursorY = 240;  // over no panel: the characters wait
  g_InputState.leftButton = 1;
  RunInterfaceInput(&device);
  EXPECT_EQ(Ui().chars, (std::deque<uint8_t>{8, 13, 0xE9}));
  EXPECT_FALSE(device.HasChars());
  EXPECT_EQ(Ui().mouse.x, 320);
  EXPECT_TRUE(Ui().mouse.left);
  EXPECT_FALSE(Ui().previousMouse.left);
  EXPECT_EQ(Ui().interfaceTicks, 1u);
  for (int i = 0; i < 40; ++i) {
    device.PushChar('x');
    RunInterfaceInput(&device);
  }
  EXPECT_EQ(Ui().chars.size(), size_t(kTypedCharCapacity));
  g_InputState.leftButton = 0;
}

// A fast game counts the ticker four times a step, but the panels read the
// frame's input once: the press is still new for the sets read after them.
TEST_F(CursorTooltipTest, AFastStepCountsFourTimesAndReadsTheInputOnce) {
  static int beforeSteps;
  beforeSteps = 0;
  g_InputState.leftButton = 1;
  RunInterfaceInput(nullptr, 4, [] { ++beforeSteps; });
  EXPECT_EQ(beforeSteps, 4);
  EXPECT_TRUE(Ui().mouse.left && !Ui().previousMouse.left);
  EXPECT_EQ(Ui().interfaceTicks, 1u);
  g_InputState.leftButton = 0;
}

// ---- Hover tooltip ------------------------------------------------------------

class TooltipWorld : public CHoverWorld {
 public:
  bool BuildingBusiness(int32_t building, int32_t* type, int32_t* owner) override {
    if (building == 0) return false;
    *type = 5;
    *owner = building == 1 ? 0 : 2;
    return true;
  }
  std::string PlayerName(int32_t) override { return "Ada"; }
  bool PersonNameTexts(int32_t, int32_t* first, int32_t* last) override {
    *first = 5;
    *last = 1116;
    return true;
  }
  std::string BlockName(int32_t) override { return "Harbour 3%s"; }
};

class HoverTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    HoverInfo().SetWorld(&world_);
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) HoverInfo().CountFrame();
  }
  bool BoxDrawn() {
    renderer_.shaded.clear();
    HoverInfo().Draw();
    return !renderer_.shaded.empty();
  }
  TooltipWorld world_;
};

TEST_F(HoverTest, TheBoxShowsAfterTheWaitWhichANewWidgetRestarts) {
  CWidget a, b, none;
  a.tooltipTextId = 5;
  b.SetTooltipString("100% sure %s");
  HoverInfo().SetWidgetTooltip(&a, false);
  Frames(25);
  EXPECT_FALSE(BoxDrawn());
  Frames(1);
  EXPECT_TRUE(BoxDrawn());
  HoverInfo().SetWidgetTooltip(&a, false);  // the same widget: no new wait
  EXPECT_TRUE(BoxDrawn());
  HoverInfo().SetWidgetTooltip(&b, false);
  EXPECT_FALSE(BoxDrawn());
  EXPECT_EQ(HoverInfo().text.LineText(0), "100% sure %s");  // never a format
  Frames(26);
  EXPECT_TRUE(BoxDrawn());
  HoverInfo().SetWidgetTooltip(&none, false);
  Frames(30);
  EXPECT_FALSE(BoxDrawn());
}

TEST_F(HoverTest, PickedObjectsAreNamedFromTheTextBank) {
  CEntity entity;
  struct Case {
    int32_t kind, building;
    std::string text;
  } cases[] = {
      {kHoverVehicle, -1, "Vehicle"},       {kHoverBuilding, -1, "Building"},
      {kHoverPerson, -1, "Bakery The City"}, {kHoverBlock, -1, "Harbour 3%s"},
      {kHoverPerson, 1, "The City: Bakery"}, {kHoverPerson, 2, "Ada: Bakery"},
      {kHoverPerson, 0, ""},                 {77, -1, ""},
  };
  for (const Case& c : cases) {
    HoverInfo().ClearPickedObject();
    entity.objectKind = int16_t(c.kind);
    HoverInfo().SetPickedObject(&entity, c.building, true);
    EXPECT_EQ(HoverInfo().text.LineText(0), c.text) << c.kind << " " << c.building;
  }
  // A building without a business still shows its (empty) box at once.
  EXPECT_TRUE(BoxDrawn());
  const UIRect box = HoverInfo().BoxRect();
  EXPECT_EQ(box.x2 - box.x1, 20.0f);
  EXPECT_EQ(box.y2 - box.y1, 4.0f);
}

TEST_F(HoverTest, TheBoxStaysOnScreen) {
  CWidget w;
  w.tooltipTextId = 6;
  HoverInfo().SetWidgetTooltip(&w, true);
  struct Case {
    int32_t x, y;
  } cases[] = {{0, 0}, {640, 100}, {320, 470}};
  for (const Case& c : cases) {
    Mouse(c.x, c.y);
    const UIRect r = HoverInfo().BoxRect();
    EXPECT_GE(r.x1, 0.0f);
    EXPECT_LE(r.x2, 640.0f);
    EXPECT_LE(r.y2, 480.0f);
    if (c.x == 0) {
      EXPECT_EQ(r.x1, 0.0f);
    }
    if (c.x == 640) {
      EXPECT_EQ(r.x2, 640.0f);
    }
    if (c.y == 0) {
      EXPECT_EQ(r.y1, 33.0f);
    }
  }
}

}  // namespace
