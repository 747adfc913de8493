// Keyboard and mouse from SDL2. An event watch sees every event as the main
// loop pumps them, so no one else has to forward input here: key changes and
// mouse motion collect until the next poll, and characters, pointer moves
// and button changes go to the input message sink straight away, as window
// messages would.
#include "platform/sdl/sdl_input.h"

#include <SDL.h>

#include <algorithm>
#include <deque>

#include "platform/input.h"

namespace platform {
namespace {

struct SdlInputState {
  bool focus = false;
  std::array<uint8_t, 256> keys{};
  std::deque<KeyEvent> events;
  uint32_t sequence = 0;
  MouseReading mouse;  // motion and wheel since the last read
};

SdlInputState& State() {
  static SdlInputState state;
  return state;
}

void QueueKey(SdlInputState& s, uint8_t code, bool down, uint32_t time) {
  s.keys[code] = down ? 0x80 : 0;
  if (s.events.size() >= kMaxQueuedKeyEvents) s.events.pop_front();
  s.events.push_back(KeyEvent{code, down ? 0x80u : 0u, time, s.sequence++});
}

void LoseFocus(SdlInputState& s, uint32_t time) {
  for (int code = 1; code < 256; ++code)
    if (s.keys[code]) QueueKey(s, static_cast<uint8_t>(code), false, time);
  s.mouse = MouseReading{};
  s.focus = false;
}

// Keys that send a character message of their own besides typed text.
uint8_t ControlCharOfKey(SDL_Scancode sc) {
  switch (sc) {
    case SDL_SCANCODE_BACKSPACE: return 8;
    case SDL_SCANCODE_TAB: return 9;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER: return 13;
    case SDL_SCANCODE_ESCAPE: return 27;
    default: return 0;
  }
}

uint32_t ButtonFlags() {
  Uint32 b = SDL_GetMouseState(nullptr, nullptr);
  SDL_Keymod mod = SDL_GetModState();
  uint32_t flags = 0;
  if (b & SDL_BUTTON_LMASK) flags |= kMouseLeft;
  if (b & SDL_BUTTON_RMASK) flags |= kMouseRight;
  if (b & SDL_BUTTON_MMASK) flags |= kMouseMiddle;
  if (mod & KMOD_SHIFT) flags |= kMouseShift;
  if (mod & KMOD_CTRL) flags |= kMouseControl;
  return flags;
}

int MouseByteOfButton(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    case SDL_BUTTON_X1: return 3;
    default: return -1;
  }
}

void HandleKey(SdlInputState& s, const SDL_KeyboardEvent& e) {
  bool down = e.type == SDL_KEYDOWN;
  if (down) {
    if (uint8_t c = ControlCharOfKey(e.keysym.scancode))
      if (InputMessageSink* sink = GetInputMessageSink()) sink->OnChar(c);
  }
  if (!s.focus || e.repeat) return;
  if (uint8_t code = ScanCodeFromSdlScancode(e.keysym.scancode)) QueueKey(s, code, down, e.timestamp);
}

void HandleButton(SdlInputState& s, const SDL_MouseButtonEvent& e) {
  if (e.which == SDL_TOUCH_MOUSEID) return;
  bool down = e.type == SDL_MOUSEBUTTONDOWN;
  int byte = MouseByteOfButton(e.button);
  if (s.focus && byte >= 0) s.mouse.buttons[byte] = down ? 0x80 : 0;
  if (InputMessageSink* sink = GetInputMessageSink()) {
    sink->OnMouseButtons(ButtonFlags());
    if (down && e.button == SDL_BUTTON_LEFT && e.clicks == 2) sink->OnLeftDoubleClick();
  }
}

int SDLCALL WatchInput(void*, SDL_Event* event) {
  SdlInputState& s = State();
  InputMessageSink* sink = GetInputMessageSink();
  switch (event->type) {
    case SDL_WINDOWEVENT:
      if (event->window.event == SDL_WINDOWEVENT_FOCUS_GAINED) s.focus = true;
      if (event->window.event == SDL_WINDOWEVENT_FOCUS_LOST) LoseFocus(s, event->window.timestamp);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: HandleKey(s, event->key); break;
    case SDL_TEXTINPUT:
      if (sink)
        for (char c : GameCharsFromUtf8(event->text.text)) sink->OnChar(static_cast<uint8_t>(c));
      break;
    case SDL_MOUSEMOTION:
      if (event->motion.which == SDL_TOUCH_MOUSEID) break;
      if (s.focus) {
        s.mouse.x += event->motion.xrel;
        s.mouse.y += event->motion.yrel;
      }
      if (sink) sink->OnPointerMoved(event->motion.x, event->motion.y);
      break;
    case SDL_MOUSEWHEEL:
      if (s.focus && event->wheel.which != SDL_TOUCH_MOUSEID) {
        int32_t notches = event->wheel.y;
        if (event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
        s.mouse.wheel += notches * 120;
      }
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: HandleButton(s, event->button); break;
    default: break;
  }
  return 1;
}

class SdlInputSource : public InputSource {
 public:
  bool OpenDevice(InputDeviceKind kind, bool) override {
    devices_[int(kind)].open = true;
    return true;
  }
  void CloseDevice(InputDeviceKind kind) override { devices_[int(kind)] = Device{}; }
  bool Acquire(InputDeviceKind kind) override {
    Device& d = devices_[int(kind)];
    if (!d.open) return false;
    if (!d.acquired && kind == InputDeviceKind::Mouse) State().mouse = MouseReading{};
    d.acquired = true;
    return true;
  }
  bool Unacquire(InputDeviceKind kind) override {
    devices_[int(kind)].acquired = false;
    return true;
  }
  bool ReadKeyTable(std::span<uint8_t, 256> keys) override {
    if (!Readable(InputDeviceKind::Keyboard)) return false;
    SdlInputState& s = State();
    std::copy(s.keys.begin(), s.keys.end(), keys.begin());
    s.events.clear();  // the table already holds what they said
    return true;
  }
  int ReadKeyEvents(std::span<KeyEvent> out) override {
    if (!Readable(InputDeviceKind::Keyboard)) return -1;
    SdlInputState& s = State();
    size_t n = std::min(out.size(), s.events.size());
    for (size_t i = 0; i < n; ++i) {
      out[i] = s.events.front();
      s.events.pop_front();
    }
    return static_cast<int>(n);
  }
  bool ReadMouse(MouseReading& mouse) override {
    if (!Readable(InputDeviceKind::Mouse)) return false;
    SdlInputState& s = State();
    mouse = s.mouse;
    s.mouse.x = s.mouse.y = s.mouse.wheel = 0;
    return true;
  }

 private:
  struct Device {
    bool open = false;
    bool acquired = false;
  };
  bool Readable(InputDeviceKind kind) const {
    const Device& d = devices_[int(kind)];
    return State().focus && d.open && d.acquired;
  }
  Device devices_[2];
};

}  // namespace

// Called once by the game's start-up after SDL's video is up: watches input
// events and makes the input device poll SDL from now on.
void InstallSdlInput() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  SdlInputState& s = State();
  SDL_Window* focused = SDL_GetKeyboardFocus();
  s.focus = focused != nullptr;
  SDL_AddEventWatch(WatchInput, nullptr);
  SDL_StartTextInput();
  SetInputSourceFactory([] { return std::make_unique<SdlInputSource>(); });
}

}  // namespace platform
