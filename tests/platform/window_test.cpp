#include "platform/window.h"

#include <gtest/gtest.h>

#include <deque>
#include <thread>
#include <vector>

namespace platform {
namespace {

std::vector<WindowMessage> g_received;

int64_t RecordingProc(uint32_t message, uint64_t wparam, int64_t lparam) {
  g_received.push_back(WindowMessage{message, wparam, lparam});
  return 0;
}

class FakeEventSource : public EventSource {
 public:
  bool Poll(WindowEvent& event) override {
    if (events.empty()) return false;
    event = events.front();
    events.pop_front();
    return true;
  }
  std::deque<WindowEvent> events;
};

class WindowPumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_received.clear();
    oldProc_ = SetWindowProc(RecordingProc);
    oldSource_ = SetEventSource(&source_);
  }
  void TearDown() override {
    SetWindowProc(oldProc_);
    SetEventSource(oldSource_);
  }
  void Feed(WindowEventKind kind, int32_t x = 0, int32_t y = 0, uint8_t button = 0,
            uint8_t clicks = 1, uint32_t code = 0) {
    WindowEvent e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    e.button = button;
    e.clicks = clicks;
    e.code = code;
    source_.events.push_back(e);
  }

  FakeEventSource source_;
  WindowProc oldProc_ = nullptr;
  EventSource* oldSource_ = nullptr;
};

struct Expected {
  uint32_t message;
  uint64_t wparam;
  int64_t lparam;
};

TEST_F(WindowPumpTest, EventsBecomeWindowMessagesInOrder) {
  Feed(WindowEventKind::FocusGained);
  Feed(WindowEventKind::Resized, 800, 600);
  Feed(WindowEventKind::Exposed);
  Feed(WindowEventKind::PointerMoved, 10, 20);
  Feed(WindowEventKind::ButtonDown, 10, 20, kButtonLeft, 1);
  Feed(WindowEventKind::ButtonDown, 11, 21, kButtonRight, 1);
  Feed(WindowEventKind::PointerMoved, -3, 5);  // captured drag left of the window
  Feed(WindowEventKind::ButtonUp, 10, 20, kButtonLeft, 1);
  Feed(WindowEventKind::ButtonUp, 10, 20, kButtonRight, 1);
  Feed(WindowEventKind::ButtonDown, 10, 20, kButtonLeft, 2);
  Feed(WindowEventKind::ButtonUp, 10, 20, kButtonLeft, 2);
  Feed(WindowEventKind::ButtonDown, 10, 20, kButtonMiddle, 1);  // no message
  Feed(WindowEventKind::Character, 0, 0, 0, 1, 'a');
  Feed(WindowEventKind::Character, 0, 0, 0, 1, 0xE9);
  Feed(WindowEventKind::PointerLeft);
  Feed(WindowEventKind::Moved, 40, 50);
  Feed(WindowEventKind::Minimised);
  Feed(WindowEventKind::FocusLost);
  Feed(WindowEventKind::Restored);
  Feed(WindowEventKind::CloseRequest);

  const Expected expected[] = {
      {WM_NCACTIVATE, 1, 0},
      {WM_ACTIVATE, WA_ACTIVE, 0},
      {WM_SIZE, SIZE_RESTORED, MakeParam(800, 600)},
      {WM_PAINT, 0, 0},
      {WM_MOUSEMOVE, 0, MakeParam(10, 20)},
      {WM_LBUTTONDOWN, MK_LBUTTON, MakeParam(10, 20)},
      {WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MakeParam(11, 21)},
      {WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, MakeParam(uint32_t(-3), 5)},
      {WM_LBUTTONUP, MK_RBUTTON, MakeParam(10, 20)},
      {WM_RBUTTONUP, 0, MakeParam(10, 20)},
      {WM_LBUTTONDBLCLK, MK_LBUTTON, MakeParam(10, 20)},
      {WM_LBUTTONUP, 0, MakeParam(10, 20)},
      {WM_CHAR, 'a', 1},
      {WM_CHAR, 0xE9, 1},
      {WM_NCMOUSEMOVE, 0, 0},
      {WM_MOVE, 0, MakeParam(40, 50)},
      {WM_ACTIVATE, MakeParam(WA_INACTIVE, 1), 0},
      {WM_SIZE, SIZE_MINIMIZED, 0},
      {WM_NCACTIVATE, 0, 0},
      {WM_ACTIVATE, MakeParam(WA_INACTIVE, 1), 0},
      {WM_ACTIVATE, WA_ACTIVE, 0},
      {WM_CLOSE, 0, 0},
  };
  EXPECT_EQ(PumpWindowMessages(), int(std::size(expected)));
  ASSERT_EQ(g_received.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(g_received[i].message, expected[i].message);
    EXPECT_EQ(g_received[i].wparam, expected[i].wparam);
    EXPECT_EQ(g_received[i].lparam, expected[i].lparam);
  }
  EXPECT_EQ(ParamX(g_received[7].lparam), -3);
  EXPECT_EQ(ParamY(g_received[7].lparam), 5);
}

TEST_F(WindowPumpTest, PostedMessagesFollowEventsAndCrossThreads) {
  std::thread musicThread([] { PostWindowMessage(WM_MUSICNOTIFY, 7, 9); });
  musicThread.join();
  Feed(WindowEventKind::Exposed);
  EXPECT_EQ(PumpWindowMessages(), 2);
  ASSERT_EQ(g_received.size(), 2u);
  EXPECT_EQ(g_received[0].message, WM_PAINT);
  EXPECT_EQ(g_received[1].message, uint32_t(WM_MUSICNOTIFY));
  EXPECT_EQ(g_received[1].wparam, 7u);
  EXPECT_EQ(g_received[1].lparam, 9);
  EXPECT_EQ(PumpWindowMessages(), 0);
}

TEST_F(WindowPumpTest, CloseRequestAndHeadlessPaintsArriveOnce) {
  HeadlessWindow window(WindowDesc{"t", 0, 0, 320, 200, true});
  window.Invalidate();
  window.Invalidate();
  RequestWindowClose();
  EXPECT_EQ(PumpWindowMessages(), 2);
  ASSERT_EQ(g_received.size(), 2u);
  EXPECT_EQ(g_received[0].message, WM_CLOSE);
  EXPECT_EQ(g_received[1].message, WM_PAINT);
  int32_t w = 0, h = 0;
  window.GetClientSize(w, h);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 200);
}

// A close signal during start-up, before the main window's procedure is
// set, is kept for it rather than lost.
TEST_F(WindowPumpTest, ACloseRequestWaitsForTheWindowProcedure) {
  SetWindowProc(nullptr);
  RequestWindowClose();
  PumpWindowMessages();
  EXPECT_TRUE(CloseRequestPending());
  SetWindowProc(RecordingProc);
  EXPECT_EQ(PumpWindowMessages(), 1);
  ASSERT_EQ(g_received.size(), 1u);
  EXPECT_EQ(g_received[0].message, WM_CLOSE);
  EXPECT_FALSE(CloseRequestPending());
}

}  // namespace
}  // namespace platform
