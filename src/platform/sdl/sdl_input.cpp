// Keyboard and mouse devices from SDL2. An event watch sees every event as
// the main loop pumps them, so no one has to forward input here: key changes,
// mouse motion, the wheel and the buttons go to the live source and collect
// until the next poll. Characters, pointer positions and button messages are
// the window layer's (they reach the game as window messages).
#include "platform/sdl/sdl_input.h"

#include <SDL.h>

#include "platform/input.h"

namespace platform {
namespace {

class SdlInputSource;
SdlInputSource* g_liveSource = nullptr;

class SdlInputSource : public QueuedInputSource {
 public:
  SdlInputSource() {
    SetFocus(SDL_GetKeyboardFocus() != nullptr);
    g_liveSource = this;
  }
  ~SdlInputSource() override {
    if (g_liveSource == this) g_liveSource = nullptr;
  }
};

int MouseByteOfButton(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    case SDL_BUTTON_X1: return 3;
    default: return -1;
  }
}

int SDLCALL WatchInput(void*, SDL_Event* event) {
  SdlInputSource* s = g_liveSource;
  if (s == nullptr) return 1;
  switch (event->type) {
    case SDL_WINDOWEVENT:
      if (event->window.event == SDL_WINDOWEVENT_FOCUS_GAINED) s->SetFocus(true);
      if (event->window.event == SDL_WINDOWEVENT_FOCUS_LOST) s->SetFocus(false);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      // Auto-repeat is typing, not a key change.
      if (!event->key.repeat)
        if (uint8_t code = ScanCodeFromSdlScancode(event->key.keysym.scancode))
          s->KeyChange(code, event->type == SDL_KEYDOWN, event->key.timestamp);
      break;
    case SDL_MOUSEMOTION:
      if (event->motion.which != SDL_TOUCH_MOUSEID) s->MoveMouse(event->motion.xrel, event->motion.yrel);
      break;
    case SDL_MOUSEWHEEL:
      if (event->wheel.which != SDL_TOUCH_MOUSEID)
        s->TurnWheel(event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event->wheel.y
                                                                      : event->wheel.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (int byte = MouseByteOfButton(event->button.button);
          byte >= 0 && event->button.which != SDL_TOUCH_MOUSEID)
        s->SetMouseButton(byte, event->type == SDL_MOUSEBUTTONDOWN);
      break;
    default: break;
  }
  return 1;
}

}  // namespace

void InstallSdlInput() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  SDL_AddEventWatch(WatchInput, nullptr);
  SetInputSourceFactory([] { return std::make_unique<SdlInputSource>(); });
}

}  // namespace platform
