#include "platform/window.h"

#include <atomic>
#include <csignal>
#include <mutex>

namespace platform {
namespace {

struct PumpState {
  WindowProc proc = nullptr;
  EventSource* source = nullptr;
  MessageTranslator translator;
  std::mutex postedMutex;
  std::vector<WindowMessage> posted;
  MessagePoster poster;
  std::atomic<bool> paintPending{false};
  WindowFactory factory;
  DisplaySizeQuery displaySize;
};

PumpState& Pump() {
  static PumpState state;
  return state;
}

volatile std::sig_atomic_t g_closeRequested = 0;

void OnCloseSignal(int) { g_closeRequested = 1; }

void Dispatch(const WindowMessage& m) {
  if (WindowProc proc = Pump().proc) proc(m.message, m.wparam, m.lparam);
}

int64_t PointParam(int32_t x, int32_t y) { return int64_t(MakeParam(uint32_t(x), uint32_t(y))); }

}  // namespace

int64_t DefWindowProc(uint32_t, uint64_t, int64_t) { return 0; }

void MessageTranslator::Translate(const WindowEvent& e, std::vector<WindowMessage>& out) {
  auto emit = [&](uint32_t message, uint64_t wparam, int64_t lparam) {
    out.push_back(WindowMessage{message, wparam, lparam});
  };
  switch (e.kind) {
    case WindowEventKind::CloseRequest: emit(WM_CLOSE, 0, 0); break;
    case WindowEventKind::FocusGained:
      emit(WM_NCACTIVATE, 1, 0);
      emit(WM_ACTIVATE, MakeParam(WA_ACTIVE, minimised_ ? 1 : 0), 0);
      break;
    case WindowEventKind::FocusLost:
      emit(WM_NCACTIVATE, 0, 0);
      emit(WM_ACTIVATE, MakeParam(WA_INACTIVE, minimised_ ? 1 : 0), 0);
      break;
    case WindowEventKind::Minimised:
      minimised_ = true;
      emit(WM_ACTIVATE, MakeParam(WA_INACTIVE, 1), 0);
      emit(WM_SIZE, SIZE_MINIMIZED, 0);
      break;
    case WindowEventKind::Restored:
      minimised_ = false;
      emit(WM_ACTIVATE, MakeParam(WA_ACTIVE, 0), 0);
      break;
    case WindowEventKind::Resized: emit(WM_SIZE, SIZE_RESTORED, PointParam(e.x, e.y)); break;
    case WindowEventKind::Exposed: emit(WM_PAINT, 0, 0); break;
    case WindowEventKind::Moved: emit(WM_MOVE, 0, PointParam(e.x, e.y)); break;
    case WindowEventKind::PointerMoved: emit(WM_MOUSEMOVE, buttons_, PointParam(e.x, e.y)); break;
    case WindowEventKind::PointerLeft: emit(WM_NCMOUSEMOVE, 0, 0); break;
    case WindowEventKind::ButtonDown:
    case WindowEventKind::ButtonUp: {
      bool down = e.kind == WindowEventKind::ButtonDown;
      uint32_t flag = 0;
      if (e.button == kButtonLeft) flag = MK_LBUTTON;
      if (e.button == kButtonRight) flag = MK_RBUTTON;
      if (!flag) break;
      buttons_ = down ? (buttons_ | flag) : (buttons_ & ~flag);
      uint32_t message;
      if (flag == MK_LBUTTON)
        // The second click of a pair arrives as a double click in place of a press.
        message = !down                                ? uint32_t(WM_LBUTTONUP)
                  : (e.clicks >= 2 && e.clicks % 2 == 0) ? uint32_t(WM_LBUTTONDBLCLK)
                                                         : uint32_t(WM_LBUTTONDOWN);
      else
        message = down ? uint32_t(WM_RBUTTONDOWN) : uint32_t(WM_RBUTTONUP);
      emit(message, buttons_, PointParam(e.x, e.y));
      break;
    }
    case WindowEventKind::Character:
      // As the system's character message: a repeat count of 1, bit 30 set
      // when the key was already down (auto-repeat).
      if (e.code) emit(WM_CHAR, e.code, e.repeat ? 1 | (int64_t(1) << 30) : 1);
      break;
    case WindowEventKind::Posted: emit(e.code, e.wparam, e.lparam); break;
  }
}

WindowProc SetWindowProc(WindowProc proc) {
  WindowProc old = Pump().proc;
  Pump().proc = proc;
  return old;
}

EventSource* SetEventSource(EventSource* source) {
  EventSource* old = Pump().source;
  Pump().source = source;
  return old;
}

EventSource* GetEventSource() { return Pump().source; }

int PumpWindowMessages() {
  PumpState& s = Pump();
  std::vector<WindowMessage> messages;
  // A close request (SIGINT, SIGTERM) that comes before the window's
  // procedure exists waits for it: dropped, it would leave the program
  // running with nobody to close it.
  if (g_closeRequested && s.proc) {
    g_closeRequested = 0;
    messages.push_back(WindowMessage{WM_CLOSE, 0, 0});
  }
  WindowEvent event;
  while (s.source && s.source->Poll(event)) s.translator.Translate(event, messages);
  {
    std::lock_guard lock(s.postedMutex);
    messages.insert(messages.end(), s.posted.begin(), s.posted.end());
    s.posted.clear();
  }
  if (s.paintPending.exchange(false)) messages.push_back(WindowMessage{WM_PAINT, 0, 0});
  for (const WindowMessage& m : messages) Dispatch(m);
  return int(messages.size());
}

void PostWindowMessage(uint32_t message, uint64_t wparam, int64_t lparam) {
  PumpState& s = Pump();
  WindowMessage m{message, wparam, lparam};
  std::lock_guard lock(s.postedMutex);
  if (s.poster)
    s.poster(m);
  else
    s.posted.push_back(m);
}

MessagePoster SetMessagePoster(MessagePoster poster) {
  PumpState& s = Pump();
  std::lock_guard lock(s.postedMutex);
  MessagePoster old = std::move(s.poster);
  s.poster = std::move(poster);
  return old;
}

int64_t SendWindowMessage(uint32_t message, uint64_t wparam, int64_t lparam) {
  if (WindowProc proc = Pump().proc) return proc(message, wparam, lparam);
  return 0;
}

void RequestWindowClose() { g_closeRequested = 1; }
bool CloseRequestPending() { return g_closeRequested != 0; }

void InstallCloseSignals() {
  struct sigaction action {};
  action.sa_handler = OnCloseSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);  // the terminal went away: end in order
  // A closed output pipe (cityrun | head) fails the write instead of ending
  // the game without its shutdown.
  std::signal(SIGPIPE, SIG_IGN);
}

// ---- Windows ----------------------------------------------------------------

HeadlessWindow::HeadlessWindow(const WindowDesc& desc) : width_(desc.width), height_(desc.height) {
  windowed_ = desc.windowed;
}

void HeadlessWindow::GetClientSize(int32_t& width, int32_t& height) const {
  width = width_;
  height = height_;
}

void HeadlessWindow::Invalidate() { Pump().paintPending = true; }

void GetDisplaySize(int32_t& width, int32_t& height) {
  if (Pump().displaySize) {
    Pump().displaySize(width, height);
    return;
  }
  width = 1024;
  height = 768;
}

WindowFactory SetWindowFactory(WindowFactory factory) {
  WindowFactory old = std::move(Pump().factory);
  Pump().factory = std::move(factory);
  return old;
}

DisplaySizeQuery SetDisplaySizeQuery(DisplaySizeQuery query) {
  DisplaySizeQuery old = std::move(Pump().displaySize);
  Pump().displaySize = std::move(query);
  return old;
}

std::unique_ptr<GameWindow> CreateGameWindow(const WindowDesc& desc) {
  if (Pump().factory) return Pump().factory(desc);
  return std::make_unique<HeadlessWindow>(desc);
}

}  // namespace platform
