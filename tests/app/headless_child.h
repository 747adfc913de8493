#pragma once
// A test's child process made into a headless cityrun in `folder`: its
// output to run.log there, the folder its root, the software renderer and a
// recording GPU installed as the program installs its own.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "engine/render/soft_renderer.h"
#include "platform/recording_gpu_device.h"
#include "shell/startup.h"

inline void BecomeHeadlessGame(const std::filesystem::path& folder) {
  if (::chdir(folder.c_str()) != 0) ::_exit(120);
  const int log = ::open("run.log", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::dup2(log, STDERR_FILENO);
  ::dup2(log, STDOUT_FILENO);
  ::setenv("CITYRUN_ROOT", folder.c_str(), 1);
  ::setenv("CITYRUN_HEADLESS", "1", 1);
  SettleGameRoot();
  SetRendererFactory(kApiSoftware, CreateSoftwareRenderer);
  platform::SetGpuSystemFactory([] {
    auto system = std::make_unique<platform::RecordingGpuSystem>();
    system->keepCalls = false;
    return std::unique_ptr<platform::GpuSystem>(std::move(system));
  });
}
