#pragma once
// The OpenGL form of the drawing layer (platform/gpu_device.h), on SDL2's GL
// context. Devices draw straight into the window when it has the requested
// size and the target's buffers; otherwise into an off-screen target of that
// size, shown scaled into the window at Present. Without a window they make a
// hidden one of their own (SDL's offscreen video driver serves headless runs).
#include <memory>

#include "platform/gpu_device.h"

namespace platform {

std::unique_ptr<GpuSystem> CreateGlGpuSystem();
// Makes CreateGpuSystem give the OpenGL form.
void InstallGlGpu();
// Asks SDL for the depth and stencil buffers the device draws with, so that a
// window made next can hold a frame itself.
void RequestFrameBuffers();

}  // namespace platform
