#pragma once
// The SDL form of the window layer (platform/window.h).
#include <functional>
#include <string>

union SDL_Event;

namespace platform {

// Starts SDL's video and makes CreateGameWindow give SDL windows, whose
// events reach the pump and whose posted messages travel as SDL user events.
// False, with the reason in `error`, when there is no display.
bool InstallSdlWindows(std::string* error = nullptr);

// Events of the program's other SDL windows (the building editor's) go to
// this handler while the game window's pump reads the queue; true when it
// took the event.
void SetOtherWindowEventHandler(std::function<bool(const SDL_Event&)> handler);

}  // namespace platform

namespace platform {

// Makes ShowChoiceBox use SDL's message box with one button per choice.
void InstallSdlChoiceBoxes();

}  // namespace platform

namespace platform {

// Makes CreateEditorWindow give the building editor's ImGui window.
void InstallSdlEditorWindows();

// Makes RunDialogWindow show Dear ImGui dialogs in a small SDL window.
void InstallSdlDialogWindows();

}  // namespace platform
