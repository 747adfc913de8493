// Keeps one OpenGL drawing layer alive for the whole test program, so the GL
// driver is loaded once, not for every test.
#include <gtest/gtest.h>

#include <SDL.h>

#include <memory>

#include "driver_leaks.h"
#include "platform/sdl/gl_gpu.h"

namespace {

class GlEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    IgnoreDriverAllocations(true);
    system_ = platform::CreateGlGpuSystem();  // picks the video driver
    IgnoreDriverAllocations(false);
    if (system_) SDL_InitSubSystem(SDL_INIT_VIDEO);  // held to the end: the driver stays loaded
  }
  void TearDown() override { system_.reset(); }

 private:
  std::unique_ptr<platform::GpuSystem> system_;
};

const ::testing::Environment* const g_GlEnvironment =
    ::testing::AddGlobalTestEnvironment(new GlEnvironment);

}  // namespace
