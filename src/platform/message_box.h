#pragma once
// Message boxes in place of the system's: an SDL2 box when a display is
// present, standard error otherwise. The backend is replaceable so tests can
// capture boxes and the game can install the SDL form at start-up.
#include <functional>
#include <string_view>

namespace platform {

enum class BoxIcon { Error, Warning, Information, Question };
enum class BoxButtons { Ok, YesNo, YesNoCancel };
// Answers, as the system's boxes give them.
enum class BoxResult { Ok, Yes, No, Cancel };

using MessageBoxBackend =
    std::function<BoxResult(std::string_view caption, std::string_view text, BoxIcon, BoxButtons)>;

// Shows a box through the current backend. With no backend installed, or when
// the box cannot be shown, the text goes to standard error and the safe answer
// comes back: nobody said yes to a question nobody saw.
BoxResult ShowMessageBox(std::string_view caption, std::string_view text, BoxIcon icon,
                         BoxButtons buttons = BoxButtons::Ok);

// The answer of a box that cannot be shown: Ok, No, or Cancel.
BoxResult UnshownBoxAnswer(BoxButtons buttons);

// Installs a backend; returns the previous one. An empty function restores
// the standard-error form.
MessageBoxBackend SetMessageBoxBackend(MessageBoxBackend backend);

}  // namespace platform
