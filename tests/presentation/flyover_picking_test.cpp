// The sandbox's opening look over the city, played as the program plays it:
// once its message is answered, the pointer is put on blocks the camera
// passes, through the window's input path: the city must find the block
// under it while the camera flies on, and a click on one selects it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/game.h"
#include "city/city_entities.h"
#include "engine/core/maths.h"
#include "engine/core/run_state.h"
#include "engine/input/camera_controller.h"
#include "engine/input/input_device.h"
#include "engine/render/renderer.h"
#include "engine/render/soft_renderer.h"
#include "engine/scene/entity.h"
#include "panels/hud_panels.h"
#include "platform/input.h"
#include "presentation/game_program.h"
#include "session/session_state.h"
#include "shell/startup.h"
#include "visuals/camera/city_picking.h"
#include "visuals/camera/game_camera.h"
#include "visuals/overlay/interface_task.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kAims = 20;

// Interface ticks (fifty a second) a pointer is given to find a block: the
// city under the pointer is looked for ten times a second.
constexpr uint32_t kPatience = 25;

class FlyoverProgram : public TestGameProgram {
 private:
  void AfterGameFrame() override {
    if (!RunState().gameRunning || Session().gameState != kGameStateRunning) return;
    if (!sawFlyover_) {
      if (g_CameraState.mode != kCamFlybyPath) return;
      sawFlyover_ = true;
    }
    if (AnswerPrompt()) return;
    const uint32_t now = RunState().interfaceTicks;
    switch (step_) {
      case Step::kAim:
        if (g_CameraState.mode != kCamFlybyPath) return Finish("the fly-over ended before the aims");
        if (AimAtABlock()) step_ = Step::kHover, since_ = now;
        break;
      case Step::kHover:
        if (HoveredBlock() || now - since_ > kPatience) {
          hovered_ += HoveredBlock() ? 1 : 0;
          step_ = ++aims_ < kAims ? Step::kAim : Step::kPress;
        }
        break;
      case Step::kPress:
        // The last aim's block is still under the pointer: a click on it.
        if (g_CameraState.mode != kCamFlybyPath) return Finish("the fly-over ended before the click");
        if (!HoveredBlock()) {
          step_ = Step::kAim;
          --aims_;
          break;
        }
        platform::GetInputMessageSink()->OnMouseButtons(platform::kMouseLeft);
        step_ = Step::kRelease, since_ = now;
        break;
      case Step::kRelease:
        if (!g_InputState.mouse.buttons[0] && now - since_ < kPatience) break;  // a press is seen, then let go
        platform::GetInputMessageSink()->OnMouseButtons(0);
        step_ = Step::kSelected, since_ = now;
        break;
      case Step::kSelected: {
        const CEntity* e = SelectedObject();
        const bool selected = e && e->objectKind == kPickBlock;
        if (selected || now - since_ > kPatience) return Finish(selected ? "selected" : "not selected");
        break;
      }
    }
  }

  static bool HoveredBlock() {
    const CEntity* e = HoveredObject();
    return e && e->objectKind == kPickBlock;
  }

  // The Return key answers the level's message, as a player's click on its
  // button would.
  bool AnswerPrompt() {
    const bool open = HudPanels().prompt.open;
    CInputDevice* device = TheInputDevice();
    auto* keys = device ? dynamic_cast<platform::HeadlessInputSource*>(device->Source()) : nullptr;
    if (keys) {
      if (returnDown_) keys->ReleaseKey(platform::key::kReturn);
      else if (open) keys->PressKey(platform::key::kReturn);
    }
    returnDown_ = !returnDown_ && open;
    return open || returnDown_;
  }

  // The pointer on the middle of a block drawn in the last frame, in the
  // open city (not under the panels at the screen's edges).
  bool AimAtABlock() {
    platform::InputMessageSink* sink = platform::GetInputMessageSink();
    CEntityHouse& bases = BlockBaseEntities();
    if (!sink) return false;
    for (int32_t k = 0; k < bases.count; ++k) {
      const CEntity& e = bases.entities[(k + next_) % bases.count];
      if ((e.flags & (kEntVisible | kEntInView)) != (kEntVisible | kEntInView)) continue;
      Vec3 view;
      MatTransformPoints(PublishedViewMatrix(), &e.position, &view, 1);
      if (view.z < 10.0f) continue;
      ScreenPoint at;
      ProjectPoints(&view, &at, 1);
      const float x = at.x * 640.0f / g_Projection.width, y = at.y * 480.0f / g_Projection.height;
      if (x < 180 || x > 400 || y < 100 || y > 400) continue;
      next_ = (k + next_ + 1) % bases.count;
      sink->OnPointerMoved(int32_t(std::lround(x)), int32_t(std::lround(y)));
      return true;
    }
    return false;
  }

  void Finish(const std::string& how) {
    std::ofstream("picks.txt") << aims_ << ' ' << hovered_ << ' ' << how << '\n';
    RunState().quit = true;
  }

  enum class Step { kAim, kHover, kPress, kRelease, kSelected } step_ = Step::kAim;
  bool sawFlyover_ = false, returnDown_ = false;
  uint32_t since_ = 0;
  int32_t aims_ = 0, hovered_ = 0, next_ = 0;
};

[[noreturn]] void RunFlyover(const fs::path& dir, const char* api) {
  EndWithTheTest();
  if (::chdir(dir.c_str()) != 0) ::_exit(120);
  if (!std::freopen("out.log", "w", stderr)) ::_exit(121);
  std::ofstream(dir / "config.cfg") << "SysSetup api " << api
                                    << "\nSysSetup Window 1\nSysSetup width 640\nSysSetup height 480\n"
                                       "SysSetup NoMovie 1\n";
  SetRendererFactory(kApiSoftware, CreateSoftwareRenderer);
  HurryTheLoadingScreen();
  TheGame().Prepare();
  static FlyoverProgram program;
  ::_exit(WinMain("NOFRONTEND", program));  // straight into the sandbox
}

class FlyoverPickingTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("rc_flyover_" + std::to_string(::getpid()) + "_" + GetParam());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "max");
    for (const char* d : {"gamedata", "gamedata2", "scripts", "parameters", "language"})
      fs::create_directory_symlink(fs::path(RC_GAME_ROOT) / d, dir_ / d);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_P(FlyoverPickingTest, BlocksUnderThePointerAreFoundWhileTheCameraFlies) {
  const pid_t pid = ::fork();
  if (pid == 0) RunFlyover(dir_, GetParam());
  int status = 0;
  const bool ended = AwaitTestGame(pid, dir_, 10, status);
  std::ifstream log(dir_ / "out.log");
  const std::string out{std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>()};
  ASSERT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
  int32_t aims = 0, hovered = 0;
  std::string how;
  std::ifstream picks(dir_ / "picks.txt");
  picks >> aims >> hovered;
  std::getline(picks >> std::ws, how);
  ASSERT_EQ(aims, kAims) << how;
  // The camera flies on while the pointer waits: a block's middle may slide
  // away from under it, but not for most of them.
  EXPECT_GE(hovered, kAims * 9 / 10) << hovered << " of " << aims << " aims found a block";
  EXPECT_EQ(how, "selected") << "a click on a hovered block during the fly-over";
}

INSTANTIATE_TEST_SUITE_P(BothRenderers, FlyoverPickingTest, ::testing::Values("D3D", "Software"));

}  // namespace
