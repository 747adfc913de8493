#pragma once
// The OpenGL form of the drawing layer (platform/gpu_device.h), on SDL2's GL
// context. Devices draw into an off-screen target of the requested size and
// show it scaled into the window at Present; without a window they make a
// hidden one of their own (SDL's offscreen video driver serves headless runs).
#include <memory>

#include "platform/gpu_device.h"

namespace platform {

std::unique_ptr<GpuSystem> CreateGlGpuSystem();
// Makes CreateGpuSystem give the OpenGL form.
void InstallGlGpu();

}  // namespace platform
