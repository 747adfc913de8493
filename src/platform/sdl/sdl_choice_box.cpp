#include <SDL.h>

#include <string>
#include <vector>

#include "platform/choice_box.h"
#include "platform/sdl/sdl_window.h"

namespace platform {

// Installs SDL2's message box with custom buttons as the choice box.
void InstallSdlChoiceBoxes() {
  SetChoiceBoxBackend([](std::string_view caption, std::string_view text,
                         std::span<const std::string_view> labels, int defaultChoice) {
    std::string cap(caption), body(text);
    std::vector<std::string> names(labels.begin(), labels.end());
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (size_t i = 0; i < names.size(); ++i) {
      Uint32 flags = int(i) == defaultChoice ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT |
                                                   SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT
                                             : 0;
      buttons.push_back(SDL_MessageBoxButtonData{flags, int(i), names[i].c_str()});
    }
    SDL_MessageBoxData box{SDL_MESSAGEBOX_WARNING, nullptr, cap.c_str(), body.c_str(),
                           int(buttons.size()), buttons.data(), nullptr};
    int hit = defaultChoice;
    if (SDL_ShowMessageBox(&box, &hit) != 0 || hit < 0) return defaultChoice;
    return hit;
  });
}

}  // namespace platform
