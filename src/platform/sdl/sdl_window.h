#pragma once
// The SDL form of the window layer (platform/window.h).
#include <string>

namespace platform {

// Starts SDL's video and makes CreateGameWindow give SDL windows, whose
// events reach the pump and whose posted messages travel as SDL user events.
// False, with the reason in `error`, when there is no display.
bool InstallSdlWindows(std::string* error = nullptr);

}  // namespace platform

namespace platform {

// Makes ShowChoiceBox use SDL's message box with one button per choice.
void InstallSdlChoiceBoxes();

}  // namespace platform

namespace platform {

// Makes RunDialogWindow show Dear ImGui dialogs in a small SDL window.
void InstallSdlDialogWindows();

}  // namespace platform
