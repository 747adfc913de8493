#include <SDL.h>

#include <string>

#include "platform/message_box.h"

namespace platform {

// Installs SDL2's message box as the backend (used when a display exists).
void InstallSdlMessageBoxes() {
  SetMessageBoxBackend([](std::string_view caption, std::string_view text, BoxIcon icon,
                          BoxButtons buttons) {
    Uint32 flags = icon == BoxIcon::Error     ? SDL_MESSAGEBOX_ERROR
                   : icon == BoxIcon::Warning ? SDL_MESSAGEBOX_WARNING
                                              : SDL_MESSAGEBOX_INFORMATION;
    std::string cap(caption), body(text);
    SDL_MessageBoxButtonData data[3];
    int count = 0;
    auto add = [&](int id, const char* label, Uint32 f) {
      data[count++] = SDL_MessageBoxButtonData{f, id, label};
    };
    switch (buttons) {
      case BoxButtons::Ok: add(int(BoxResult::Ok), "OK", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT); break;
      case BoxButtons::YesNo:
        add(int(BoxResult::Yes), "Yes", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
        add(int(BoxResult::No), "No", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
        break;
      case BoxButtons::YesNoCancel:
        add(int(BoxResult::Yes), "Yes", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
        add(int(BoxResult::No), "No", 0);
        add(int(BoxResult::Cancel), "Cancel", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
        break;
    }
    SDL_MessageBoxData box{flags, nullptr, cap.c_str(), body.c_str(), count, data, nullptr};
    int hit = -1;
    if (SDL_ShowMessageBox(&box, &hit) != 0) {
      std::fprintf(stderr, "[%s] %s\n", cap.c_str(), body.c_str());
      return UnshownBoxAnswer(buttons);
    }
    // Closed without a button (hit stays -1): the safe answer again.
    return hit < 0 ? UnshownBoxAnswer(buttons) : BoxResult(hit);
  });
}

}  // namespace platform
