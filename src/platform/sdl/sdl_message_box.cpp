#include <SDL.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialog_window.h"
#include "platform/message_box.h"

namespace platform {
namespace {

struct BoxButton {
  BoxResult result;
  const char* label;
};

// SDL's own box can fail on a bare X server (a virtual display without a
// window manager): then the text shows in a dialog window of its own, as
// long as no game window holds the drawing context (the dialog window would
// take it). Nothing when no dialog window can be shown.
std::optional<BoxResult> ShowInDialogWindow(const std::string& caption, const std::string& text,
                                            const std::vector<BoxButton>& buttons, BoxResult closed) {
  if (SDL_GL_GetCurrentContext() != nullptr) return std::nullopt;
  std::optional<BoxResult> answer;
  const int lines = 1 + int(text.size()) / 56;
  const DialogSpec box{caption, 460, 90 + 18 * lines, ""};
  const bool shown = RunDialogWindow(box, [&](DialogUi& ui) {
    ui.MoveTo(16, 16);
    ui.Label(text);
    for (size_t i = 0; i < buttons.size(); ++i) {
      ui.MoveTo(16 + 150 * int(i), box.height - 36);
      if (ui.Button(buttons[i].label)) {
        answer = buttons[i].result;
        return false;
      }
    }
    if (!ui.CloseRequested()) return true;
    answer = closed;
    return false;
  });
  if (!shown) return std::nullopt;
  return answer.value_or(closed);
}

}  // namespace

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
    if (SDL_ShowMessageBox(&box, &hit) == 0) {
      // Closed without a button (hit stays -1): the safe answer again.
      return hit < 0 ? UnshownBoxAnswer(buttons) : BoxResult(hit);
    }
    std::vector<BoxButton> choices;
    for (int i = 0; i < count; ++i) choices.push_back({BoxResult(data[i].buttonid), data[i].text});
    if (std::optional<BoxResult> answer = ShowInDialogWindow(cap, body, choices, UnshownBoxAnswer(buttons)))
      return *answer;
    std::fprintf(stderr, "[%s] %s\n", cap.c_str(), body.c_str());
    return UnshownBoxAnswer(buttons);
  });
}

}  // namespace platform
