#include "platform/sdl/sdl_window.h"

#include <SDL.h>

#include <deque>
#include <functional>

#include "platform/input.h"
#include "platform/sdl/gl_gpu.h"
#include "platform/window.h"

namespace platform {
namespace {

Uint32 g_postedEventType = 0;
bool g_lastKeyDownRepeated = false;

uint8_t ButtonOfSdl(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return kButtonLeft;
    case SDL_BUTTON_MIDDLE: return kButtonMiddle;
    case SDL_BUTTON_RIGHT: return kButtonRight;
    default: return 0;
  }
}

// Keys that type a control character (text input carries only printables).
uint8_t ControlCharacter(SDL_Scancode code) {
  switch (code) {
    case SDL_SCANCODE_BACKSPACE: return 8;
    case SDL_SCANCODE_TAB: return 9;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER: return 13;
    case SDL_SCANCODE_ESCAPE: return 27;
    default: return 0;
  }
}

// The debug menu's items, which the window has no menu bar to show.
uint32_t DebugMenuItem(const SDL_KeyboardEvent& key) {
  if (key.repeat || !(key.keysym.mod & KMOD_CTRL)) return 0;
  switch (key.keysym.scancode) {
    case SDL_SCANCODE_F9: return kMenuRendererInformation;
    case SDL_SCANCODE_F10: return kMenuMemoryStatistics;
    case SDL_SCANCODE_F11: return kMenuTextureStatistics;
    default: return 0;
  }
}

// Turns one SDL event into window events (none, one or several).
void Convert(const SDL_Event& e, std::deque<WindowEvent>& out) {
  WindowEvent w;
  auto push = [&](WindowEventKind kind) {
    w.kind = kind;
    out.push_back(w);
  };
  switch (e.type) {
    case SDL_QUIT: push(WindowEventKind::CloseRequest); break;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: push(WindowEventKind::CloseRequest); break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: push(WindowEventKind::FocusGained); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: push(WindowEventKind::FocusLost); break;
        case SDL_WINDOWEVENT_MINIMIZED: push(WindowEventKind::Minimised); break;
        case SDL_WINDOWEVENT_RESTORED: push(WindowEventKind::Restored); break;
        case SDL_WINDOWEVENT_EXPOSED: push(WindowEventKind::Exposed); break;
        case SDL_WINDOWEVENT_LEAVE: push(WindowEventKind::PointerLeft); break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          w.x = e.window.data1;
          w.y = e.window.data2;
          push(WindowEventKind::Resized);
          break;
        case SDL_WINDOWEVENT_MOVED:
          w.x = e.window.data1;
          w.y = e.window.data2;
          push(WindowEventKind::Moved);
          break;
        default: break;
      }
      break;
    case SDL_MOUSEMOTION:
      if (e.motion.which == SDL_TOUCH_MOUSEID) break;
      w.x = e.motion.x;
      w.y = e.motion.y;
      push(WindowEventKind::PointerMoved);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (e.button.which == SDL_TOUCH_MOUSEID) break;
      w.x = e.button.x;
      w.y = e.button.y;
      w.button = ButtonOfSdl(e.button.button);
      w.clicks = e.button.clicks;
      if (w.button)
        push(e.type == SDL_MOUSEBUTTONDOWN ? WindowEventKind::ButtonDown : WindowEventKind::ButtonUp);
      break;
    case SDL_KEYDOWN:
      // The text of a key's auto-repeat follows its repeated key-down.
      g_lastKeyDownRepeated = e.key.repeat != 0;
      if (uint32_t item = DebugMenuItem(e.key)) {
        w.code = WM_COMMAND;
        w.wparam = item;
        push(WindowEventKind::Posted);
      } else if ((w.code = ControlCharacter(e.key.keysym.scancode))) {
        w.repeat = g_lastKeyDownRepeated;
        push(WindowEventKind::Character);
      }
      break;
    case SDL_KEYUP: g_lastKeyDownRepeated = false; break;
    case SDL_TEXTINPUT:
      w.repeat = g_lastKeyDownRepeated;
      for (char c : GameCharsFromUtf8(e.text.text)) {
        w.code = static_cast<uint8_t>(c);
        push(WindowEventKind::Character);
      }
      break;
    default:
      if (g_postedEventType && e.type == g_postedEventType) {
        w.code = uint32_t(e.user.code);
        w.wparam = uint64_t(reinterpret_cast<uintptr_t>(e.user.data1));
        w.lparam = int64_t(reinterpret_cast<intptr_t>(e.user.data2));
        push(WindowEventKind::Posted);
      }
      break;
  }
}

// The window an event belongs to; 0 for events of no window.
Uint32 EventWindowId(const SDL_Event& e) {
  switch (e.type) {
    case SDL_WINDOWEVENT: return e.window.windowID;
    case SDL_MOUSEMOTION: return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return e.button.windowID;
    case SDL_MOUSEWHEEL: return e.wheel.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return e.key.windowID;
    case SDL_TEXTINPUT: return e.text.windowID;
    case SDL_TEXTEDITING: return e.edit.windowID;
    default: return 0;
  }
}

std::function<bool(const SDL_Event&)>& OtherWindowHandler() {
  static std::function<bool(const SDL_Event&)> handler;
  return handler;
}

class SdlEventSource : public EventSource {
 public:
  void SetWindowId(Uint32 id) { windowId_ = id; }
  bool Poll(WindowEvent& event) override {
    SDL_Event e;
    while (pending_.empty() && SDL_PollEvent(&e)) {
      // Another window of the program (the building editor's) takes its own.
      const Uint32 id = EventWindowId(e);
      if (id && id != windowId_ && OtherWindowHandler() && OtherWindowHandler()(e)) continue;
      Convert(e, pending_);
    }
    if (pending_.empty()) return false;
    event = pending_.front();
    pending_.pop_front();
    return true;
  }

 private:
  std::deque<WindowEvent> pending_;
  Uint32 windowId_ = 0;
};

class SdlWindow : public GameWindow {
 public:
  SdlWindow(SDL_Window* window, bool windowed) : window_(window) {
    windowed_ = windowed;
    events_.SetWindowId(SDL_GetWindowID(window_));
    previousSource_ = SetEventSource(&events_);
    SDL_StartTextInput();
  }
  ~SdlWindow() override {
    SDL_StopTextInput();
    if (GetEventSource() == &events_) SetEventSource(previousSource_);
    SDL_DestroyWindow(window_);
  }
  void Show() override { SDL_ShowWindow(window_); }
  void Raise() override { SDL_RaiseWindow(window_); }
  void GetClientSize(int32_t& width, int32_t& height) const override {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    width = w;
    height = h;
  }
  void ShowSystemCursor(bool show) override { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }
  void Invalidate() override {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_EXPOSED;
    e.window.windowID = SDL_GetWindowID(window_);
    SDL_PushEvent(&e);
  }
  void* NativeHandle() const override { return window_; }

 private:
  SDL_Window* window_;
  SdlEventSource events_;
  EventSource* previousSource_ = nullptr;
};

std::unique_ptr<GameWindow> CreateSdlWindow(const WindowDesc& desc) {
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
  flags |= desc.windowed ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_FULLSCREEN_DESKTOP;
  // The renderer draws with OpenGL when it can; a window without it still works
  // for the software renderer.
  RequestFrameBuffers();
  SDL_Window* window = SDL_CreateWindow(desc.title.c_str(), desc.x, desc.y, desc.width,
                                        desc.height, flags | SDL_WINDOW_OPENGL);
  if (!window) {  // no such visual: the OpenGL device then draws off-screen and copies
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    window = SDL_CreateWindow(desc.title.c_str(), desc.x, desc.y, desc.width, desc.height,
                              flags | SDL_WINDOW_OPENGL);
  }
  if (!window)
    window = SDL_CreateWindow(desc.title.c_str(), desc.x, desc.y, desc.width, desc.height, flags);
  if (!window) return nullptr;
  return std::make_unique<SdlWindow>(window, desc.windowed);
}

}  // namespace

void SetOtherWindowEventHandler(std::function<bool(const SDL_Event&)> handler) {
  OtherWindowHandler() = std::move(handler);
}

bool InstallSdlWindows(std::string* error) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    if (error) *error = SDL_GetError();
    return false;
  }
  if (!g_postedEventType) {
    Uint32 type = SDL_RegisterEvents(1);
    if (type != Uint32(-1)) g_postedEventType = type;
  }
  if (g_postedEventType) {
    SetMessagePoster([](const WindowMessage& m) {
      SDL_Event e{};
      e.type = g_postedEventType;
      e.user.code = Sint32(m.message);
      e.user.data1 = reinterpret_cast<void*>(uintptr_t(m.wparam));
      e.user.data2 = reinterpret_cast<void*>(intptr_t(m.lparam));
      SDL_PushEvent(&e);
    });
  }
  SetDisplaySizeQuery([](int32_t& width, int32_t& height) {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
      width = mode.w;
      height = mode.h;
    } else {
      width = 1024;
      height = 768;
    }
  });
  SetWindowFactory(CreateSdlWindow);
  return true;
}

}  // namespace platform
