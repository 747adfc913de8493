// The graphics options of the profile reach the renderer the game made, the
// way the program runs them: the interface step copies the detail, the
// texture filtering and the brightness, each change at once, and the
// hardware renderer hands the brightness to its device as a gamma ramp.
#include <gtest/gtest.h>

#include "app/game.h"
#include "engine/core/system_settings.h"
#include "engine/render/d3d_renderer.h"
#include "in_process_game.h"
#include "platform/recording_gpu_device.h"
#include "script/profiles.h"
#include "shell/startup.h"
#include "visuals/scene/draw_distances.h"

namespace {

class GraphicsOptionsTest : public InProcessGameTest {
 protected:
  void SetUp() override {
    OpenGameRoot("graphics_options", {});
    OpenGame();
    savedSettings_ = g_RendererSettings;
    g_RendererSettings = RendererSettings{};
    g_RendererSettings.api = kApiDirect3D;
    g_RendererSettings.windowed = 1;
    SetRendererFactory(kApiDirect3D, CreateD3DRenderer);
    CreateRenderer(g_RendererSettings);
    PlayerProfile() = CPlayerProfile{};
  }
  void TearDown() override {
    DestroyMainWindow();
    g_RendererSettings = savedSettings_;
    PlayerProfile() = CPlayerProfile{};
    DetailChoice = 2;  // as the program starts
    CloseGame();
  }

  RendererSettings savedSettings_{};
};

TEST_F(GraphicsOptionsTest, TheProfilesOptionsReachTheRendererEachInterfaceStep) {
  auto* renderer = dynamic_cast<CD3DRenderer*>(CurrentRenderer());
  ASSERT_NE(renderer, nullptr);
  auto* device = dynamic_cast<platform::RecordingGpuDevice*>(renderer->Device());
  ASSERT_NE(device, nullptr);

  const struct {
    int32_t detail, filtering, gamma;        // in the profile
    int32_t detailSeen, filteringSeen, gammaSeen;  // what the frame and renderer use
  } cases[] = {
      {2, 1, 35, 2, 1, 35},     // the defaults
      {0, 0, 0, 0, 0, 0},       // changed on the graphics page
      {1, 1, 100, 1, 1, 100},
      {7, 2, 250, 2, 1, 100},   // a hand-edited settings file: kept in range
      {-1, -4, -9, 0, 0, 0},
  };
  for (const auto& c : cases) {
    CPlayerProfile& p = PlayerProfile();
    p.DetailLevel = c.detail;
    p.FilteringLevel = c.filtering;
    p.GammaLevel = c.gamma;
    Game::InterfaceTask();
    EXPECT_EQ(DetailChoice, c.detailSeen) << c.detail;
    EXPECT_EQ(renderer->FilteringLevel(), c.filteringSeen) << c.filtering;
    EXPECT_EQ(renderer->GammaLevel(), c.gammaSeen) << c.gamma;
    EXPECT_EQ(device->gammaRamp, BuildGammaRamp(c.gammaSeen)) << c.gamma;
  }

  // An unchanged setting is not sent again.
  device->keepCalls = true;
  device->ClearCalls();
  Game::InterfaceTask();
  EXPECT_TRUE(device->CallsOf(platform::GpuCall::GammaRamp).empty());
}

}  // namespace
