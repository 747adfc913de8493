#pragma once
// The game's main window and its message queue. The game's window procedure
// receives the classic window messages (close, destroy, activation, size,
// paint, characters, mouse moves inside and outside the client area, buttons,
// double clicks, and private messages such as the music notification); this
// layer produces them from whatever the window system delivers.
//
// A window backend supplies neutral WindowEvents through an EventSource; the
// pump translates them into messages and dispatches them to the installed
// window procedure. The SDL form installs an SDL window and event source; the
// headless form has a window of the requested size that sees no events, so a
// headless game ends through RequestWindowClose (also raised by SIGINT and
// SIGTERM) or a posted WM_CLOSE.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Message numbers, as the game's window procedure knows them.
enum : uint32_t {
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_MOVE = 0x0003,
  WM_SIZE = 0x0005,
  WM_ACTIVATE = 0x0006,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_NCACTIVATE = 0x0086,
  WM_NCMOUSEMOVE = 0x00A0,
  WM_CHAR = 0x0102,
  WM_COMMAND = 0x0111,
  WM_SYSCOMMAND = 0x0112,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  // Private message of the music player (posted from its own thread).
  WM_MUSICNOTIFY = 0x8001,
};

// WM_SYSCOMMAND wparam (low four bits are the system's own).
enum : uint32_t { SC_SCREENSAVE = 0xF140, SC_MONITORPOWER = 0xF170 };
// WM_COMMAND items of the windowed mode's debug menu. The window has no menu
// bar; the window system raises them from Ctrl+F9, Ctrl+F10 and Ctrl+F11.
enum : uint32_t {
  kMenuRendererInformation = 40001,
  kMenuMemoryStatistics = 40002,
  kMenuTextureStatistics = 40003,
};

// WM_ACTIVATE low word.
enum : uint32_t { WA_INACTIVE = 0, WA_ACTIVE = 1 };
// WM_SIZE wparam.
enum : uint32_t { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
// Button flags of mouse messages' wparam.
enum : uint32_t { MK_LBUTTON = 0x01, MK_RBUTTON = 0x02 };

constexpr uint32_t MakeParam(uint32_t low, uint32_t high) {
  return (low & 0xFFFF) | ((high & 0xFFFF) << 16);
}
constexpr uint32_t LowWord(uint64_t v) { return uint32_t(v & 0xFFFF); }
constexpr uint32_t HighWord(uint64_t v) { return uint32_t((v >> 16) & 0xFFFF); }
// Signed coordinates packed in an lparam (as GET_X_LPARAM / GET_Y_LPARAM).
constexpr int32_t ParamX(int64_t lparam) { return int16_t(lparam & 0xFFFF); }
constexpr int32_t ParamY(int64_t lparam) { return int16_t((lparam >> 16) & 0xFFFF); }

struct WindowMessage {
  uint32_t message = 0;
  uint64_t wparam = 0;
  int64_t lparam = 0;
};

using WindowProc = int64_t (*)(uint32_t message, uint64_t wparam, int64_t lparam);
// What the system does with a message the procedure does not handle: nothing.
int64_t DefWindowProc(uint32_t message, uint64_t wparam, int64_t lparam);

// ---- Events from a window backend ------------------------------------------

enum class WindowEventKind {
  CloseRequest,  // the user closed the window (or the program was asked to end)
  FocusGained,
  FocusLost,
  Minimised,
  Restored,
  Resized,       // x, y: new client width and height
  Exposed,
  Moved,         // x, y: new position
  PointerMoved,  // x, y: client coordinates
  PointerLeft,   // the pointer left the client area
  ButtonDown,    // button 1 left, 3 right; clicks counts quick repeats
  ButtonUp,
  Character,     // code: a character of the game's code page; repeat: typed by a held key
  Posted,        // a posted message: code, wparam, lparam
};

struct WindowEvent {
  WindowEventKind kind = WindowEventKind::Exposed;
  int32_t x = 0;
  int32_t y = 0;
  uint8_t button = 0;
  uint8_t clicks = 1;
  bool repeat = false;
  uint32_t code = 0;
  uint64_t wparam = 0;
  int64_t lparam = 0;
};

enum : uint8_t { kButtonLeft = 1, kButtonMiddle = 2, kButtonRight = 3 };

class EventSource {
 public:
  virtual ~EventSource() = default;
  // Takes the next pending event; false when none is left.
  virtual bool Poll(WindowEvent& event) = 0;
};

// Turns events into window messages. Keeps the button state that the mouse
// messages carry.
class MessageTranslator {
 public:
  void Translate(const WindowEvent& event, std::vector<WindowMessage>& out);
  uint32_t Buttons() const { return buttons_; }

 private:
  uint32_t buttons_ = 0;
  bool minimised_ = false;
};

// ---- The pump --------------------------------------------------------------

// Installs the window procedure that receives dispatched messages.
WindowProc SetWindowProc(WindowProc proc);
// Installs the event source the pump reads; null leaves only posted messages.
// Returns the previous one. Windows install their own when created.
EventSource* SetEventSource(EventSource* source);
EventSource* GetEventSource();

// Reads every pending event, then every posted message, and dispatches them
// in order to the window procedure. Returns the number of messages dispatched.
int PumpWindowMessages();
// Queues a message for the next pump; safe from any thread.
void PostWindowMessage(uint32_t message, uint64_t wparam = 0, int64_t lparam = 0);
// Dispatches a message at once.
int64_t SendWindowMessage(uint32_t message, uint64_t wparam = 0, int64_t lparam = 0);
// Replaces how PostWindowMessage delivers (the SDL form pushes an SDL user
// event so the message also wakes a waiting event loop); the poster must be
// thread-safe. An empty function restores the pump's own queue.
using MessagePoster = std::function<void(const WindowMessage&)>;
MessagePoster SetMessagePoster(MessagePoster poster);
// Asks the window to close as if the user had; safe from signal handlers.
void RequestWindowClose();
// True while a close (window, SIGINT, SIGTERM, SIGHUP) waits for the next pump.
bool CloseRequestPending();
// Makes SIGINT, SIGTERM and SIGHUP ask the window to close; ignores SIGPIPE.
void InstallCloseSignals();

// ---- The window ------------------------------------------------------------

struct WindowDesc {
  std::string title;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 640;
  int32_t height = 480;
  bool windowed = true;  // false: desktop full screen
};

class GameWindow {
 public:
  virtual ~GameWindow() = default;
  virtual void Show() = 0;
  virtual void Raise() = 0;
  virtual void GetClientSize(int32_t& width, int32_t& height) const = 0;
  // Shows or hides the system's pointer over the window.
  virtual void ShowSystemCursor(bool show) = 0;
  // Asks for a WM_PAINT at the next pump.
  virtual void Invalidate() = 0;
  // The window system's own handle (an SDL_Window*), null when headless.
  virtual void* NativeHandle() const = 0;
  bool Windowed() const { return windowed_; }

 protected:
  bool windowed_ = true;
};

// The size of the desktop (the screen the window centres on).
void GetDisplaySize(int32_t& width, int32_t& height);

// Creates windows: headless by default; the SDL form is installed at start-up
// when a display is present. The window installs its event source while it
// lives. Null when the window system refuses.
using WindowFactory = std::function<std::unique_ptr<GameWindow>(const WindowDesc&)>;
WindowFactory SetWindowFactory(WindowFactory factory);
using DisplaySizeQuery = std::function<void(int32_t& width, int32_t& height)>;
DisplaySizeQuery SetDisplaySizeQuery(DisplaySizeQuery query);
std::unique_ptr<GameWindow> CreateGameWindow(const WindowDesc& desc);

// The headless window: no display, no events of its own.
class HeadlessWindow : public GameWindow {
 public:
  explicit HeadlessWindow(const WindowDesc& desc);
  void Show() override {}
  void Raise() override {}
  void GetClientSize(int32_t& width, int32_t& height) const override;
  void ShowSystemCursor(bool) override {}
  void Invalidate() override;
  void* NativeHandle() const override { return nullptr; }

 private:
  int32_t width_;
  int32_t height_;
};

}  // namespace platform
