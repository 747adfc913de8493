#pragma once
// The SDL form of the input layer (platform/input.h).

namespace platform {

// Once, after SDL's video is up: watches SDL's input events (key changes and
// mouse motion for the polled devices; characters, pointer moves and buttons
// for the input message sink) and makes CreateInputSource give SDL devices.
void InstallSdlInput();

}  // namespace platform
