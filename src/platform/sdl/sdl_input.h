#pragma once
// The SDL form of the input layer (platform/input.h).

namespace platform {

// Once, after SDL's video is up: watches SDL's key, mouse and focus events for
// the polled devices and makes CreateInputSource give SDL devices.
void InstallSdlInput();

}  // namespace platform
