// The game as the program wires it, on SDL's off-screen display: after the
// level starts, the frame shows the city under the sky. Each run happens in a
// child process (the game owns the process while it runs).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <set>
#include <thread>
#include <vector>

#include "app/game.h"
#include "engine/core/debug_flags.h"
#include "engine/input/camera_controller.h"
#include "engine/render/soft_renderer.h"
#include "platform/headless.h"
#include "platform/input.h"
#include "platform/sdl/gl_gpu.h"
#include "platform/sdl/sdl_input.h"
#include "platform/sdl/sdl_present.h"
#include "platform/sdl/sdl_window.h"
#include "city/city_entities.h"
#include "city/blocks.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/people.h"
#include "city/person.h"
#include "session/auction.h"
#include "session/player.h"
#include "session/game_clock.h"
#include "session/session_state.h"
#include "session/tick_driver.h"
#include "presentation/game_program.h"
#include "shell/game_loop.h"
#include "shell/startup.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/camera/city_picking.h"
#include "visuals/camera/game_camera.h"
#include "visuals/overlay/interface_task.h"
#include "visuals/overlay/screenshots.h"
#include "visuals/scene/city_effects.h"
#include "visuals/scene/scene_passes.h"
#include "visuals/scene/workplace_tints.h"
#include "sanitizer_build.h"

namespace {

namespace fs = std::filesystem;

// The game root, with one more step after each frame: once the level runs
// it raises the view to the horizon, and some game seconds later it writes a
// screenshot (or, recording, the last frame's triangle count) and quits.
class ShotProgram : public TestGameProgram {
 public:
  void AfterGameFrame() override {
    if (RunState().drawingEnabled) AfterFrame();
  }

  bool recording = false;
  // What the level shows when the shot is taken.
  enum class Scene {
    City, Night, Plan, PlanAtNight, Auction, Selected, Paused, AuctionAtNight, Noon, Street, StreetAtNight,
    Sea, Workers,
    // The block camera at its lowest over a block, looking north; without
    // the interface.
    LowOverBlock,
    // Without the interface: the sea from the west of the city in the
    // evening sun, the quay and the city at night, a pavement by day.
    SeaInTheEvening, HarbourAtNight, Pavement
  } scene = Scene::City;
  // Logic ticks from the level's start to each shot, in order.
  std::vector<uint32_t> shotTicks = {75};
  // The sea scene's block camera: low over the shore, looking out to sea.
  float seaYaw = 3.1415927f;
  Vec3 seaCentre{-700, 0, -150};
  float seaHeight = 12, seaDistance = 300;
  // The low view's block (the Zoo) and heading (-pi/2: the eye south of
  // the block); after two shots of the still view the pointer rests on the
  // block and the third is taken while its pulse is dark.
  int32_t lowBlock = 7;
  float lowYaw = -1.5707964f;

 private:
  bool PlacesView() const {
    return scene == Scene::Sea || scene == Scene::Street || scene == Scene::StreetAtNight || scene == Scene::Workers ||
           scene == Scene::LowOverBlock;
  }
  void AfterFrame() {
    if (!RunState().gameRunning) return;
    if (levelTick_ == 0) {
      levelTick_ = LogicTick() + 1;
      // The logic waits at the ticks where the view is placed and the shot
      // taken, so that a slow machine, drawing fewer frames, shoots the same
      // moment of the city.
      HoldLogicAtTick(levelTick_ + (PlacesView() ? 30 : ShotTick()));
      // The logic's fast speed: the same ticks in a quarter of the frames
      // drawn on the way, which is most of a shot's time on a busy machine.
      SetLogicSpeed(true);
      CameraState& c = g_CameraState;
      CamSetMode(0);
      c.eye = c.targetEye = {0, 120, -700};
      c.yaw = 1.5707964f;  // towards +z, over the city
      c.pitch = -0.15f;
      if (scene == Scene::Night || scene == Scene::PlanAtNight || scene == Scene::AuctionAtNight ||
          scene == Scene::StreetAtNight)
        GameClock().hour = 22;
      if (scene == Scene::Noon || scene == Scene::Street || scene == Scene::Workers) GameClock().hour = 12;
      if (scene >= Scene::SeaInTheEvening) SetInterfacePanels(nullptr);
      if (scene == Scene::SeaInTheEvening) GameClock().hour = 18;
      if (scene == Scene::HarbourAtNight) GameClock().hour = 22;
      if (scene == Scene::Pavement) GameClock().hour = 11;
      if (scene == Scene::Plan || scene == Scene::PlanAtNight) {
        TogglePlanView();
        c.eye = c.targetEye;  // the camera at its place over the board
        c.lookAt = c.targetLookAt;
      }
      if (scene == Scene::Auction || scene == Scene::AuctionAtNight) {
        // Three computer players bid against the one at the keyboard.
        for (int32_t i = 1; i <= 3; ++i) PlayerTable().CreatePlayer(kPlayerComputer, 2 * i, "Rival");
        if (StartAuction(20, -1, 500)) OpenAuctionScreen();
      }
    }
    if (scene == Scene::Sea && !placed_ && LogicTick() >= levelTick_ + 30) {
      // Over the shore, looking out to sea.
      g_CameraState.yaw = seaYaw;
      SetBlockCameraCentre(seaCentre, seaHeight, seaDistance);
      CamSetMode(12);
      placed_ = true;
    }
    if (scene >= Scene::SeaInTheEvening) {
      // Held in place every frame: without the level's prompt the level's
      // own camera would take the view.
      struct View {
        Vec3 eye;
        float yaw, pitch;
      };
      static constexpr View kViews[] = {
          {{-380, 70, 0}, 3.1415927f, -0.12f},  // out to sea, towards the setting sun
          {{-700, 60, -700}, 0.9f, -0.05f},     // from the sea past the quay into the city
          {{-162, 5, -152}, 3.55f, -0.3f}};     // over a pavement, at a bench
      const View& v = kViews[int(scene) - int(Scene::SeaInTheEvening)];
      CameraState& c = g_CameraState;
      CamSetMode(0);
      c.eye = c.targetEye = c.drawnEye = v.eye;
      c.yaw = v.yaw, c.pitch = v.pitch;
    }
    if (scene == Scene::Workers && !placed_ && LogicTick() >= levelTick_ + 30) {
      GiveEveryoneWork();
      SetInterfacePanels(nullptr);  // the whole pavement in view
      placed_ = true;
    }
    if (scene == Scene::Workers && placed_) {
      // High over the block, looking down on its pavements and the next
      // block's, where the workers walk at the shot's tick; held every
      // frame, as the views above.
      const CBlock& b = g_Blocks[20];
      const Vec3 eye{b.CentreX - 20, 150, b.CentreZ - 20};
      CameraState& c = g_CameraState;
      CamSetMode(0);
      c.eye = c.targetEye = c.drawnEye = eye;
      c.yaw = std::atan2(b.CentreZ - eye.z, b.CentreX - eye.x);
      c.pitch = -std::atan2(eye.y, std::hypot(b.CentreX - eye.x, b.CentreZ - eye.z));
    }
    if ((scene == Scene::Street || scene == Scene::StreetAtNight) && !placed_ &&
        LogicTick() >= levelTick_ + 30) {
      // The block camera, low over a street corner of the city's middle.
      const CBlock& b = g_Blocks[20];
      SetBlockCameraCentre({b.CentreX, 0, b.CentreZ}, 30, 70);
      CamSetMode(12);
      placed_ = true;
    }
    if (scene == Scene::LowOverBlock && !placed_ && LogicTick() >= levelTick_ + 30) {
      // As low as the player's zoom takes the eye (17), the camera at rest
      // on its target: no easing left to move it between shots.
      const CBlock& b = g_Blocks[size_t(lowBlock)];
      g_CameraState.yaw = lowYaw;
      SetBlockCameraCentre({b.CentreX, 0, b.CentreZ}, 17, 70);
      CamSetMode(12);
      g_CameraState.steps = 1;
      SetInterfacePanels(nullptr);
      placed_ = true;
    }
    if (scene == Scene::Selected && !selected_ && LogicTick() >= levelTick_ + 60) {
      // The block nearest the middle of the last frame, as a click there
      // leaves it, and the next as hovered.
      CEntityHouse& bases = BlockBaseEntities();
      CEntity* nearest[2] = {nullptr, nullptr};
      auto offCentre = [](const CEntity* e) {
        return e ? std::fabs(e->viewBounds.centre.x) + 0.2f * e->viewBounds.centre.z : 1e9f;
      };
      for (int32_t i = 0; i < bases.count; ++i) {
        CEntity* e = &bases.entities[i];
        if ((e->flags & 3) != 3) continue;  // visible and in view
        if (offCentre(e) < offCentre(nearest[0])) nearest[1] = nearest[0], nearest[0] = e;
        else if (offCentre(e) < offCentre(nearest[1])) nearest[1] = e;
      }
      SelectedObject() = nearest[0];
      HoveredObject() = nearest[1];
      selected_ = true;
    }
    if (placed_) HoldLogicAtTick(levelTick_ + ShotTick());
    if (!PulsingLights().empty()) beaconLevels_.insert(PulsingLights()[0].brightness);
    if (LogicTick() < levelTick_ + ShotTick()) return;  // three game seconds unless asked
    if (scene == Scene::LowOverBlock && shot_ >= 2 && !LowBlockHoveredInADarkPhase()) return;
    if (scene == Scene::Paused) {
      // The pause switch and the statistics: the shot some frames later.
      if (pausedFrames_++ == 0) {
        g_DebugFlags.DEBUGTEXT = true;
        TogglePauseSwitch();
      }
      if (pausedFrames_ < 5) return;
    }
    if (recording)
      std::ofstream("triangles.txt") << LastTriangleCount();
    else
      WriteNumberedScreenshot(0);  // civano0000.tga, then 0001 for the next shot
    const CityEffectCounts& fx = LastCityEffectCounts();
    std::ofstream("effects.txt") << fx.pathObjects << ' ' << fx.lightSprites << ' ' << fx.glints << ' '
                                 << beaconLevels_.size();
    if (++shot_ < shotTicks.size()) {
      HoldLogicAtTick(levelTick_ + ShotTick());  // on to the next shot in the same game
      return;
    }
    RunState().quit = true;
  }

  // The pointer on the low view's block, on the paving in front of its
  // building, below the middle of the view where the level's opening
  // message may lie (left out of the picture with the interface, it still
  // takes the pointer): true once the pick task has the block hovered and
  // its pulse is in the dark half.
  bool LowBlockHoveredInADarkPhase() {
    if (platform::InputMessageSink* sink = platform::GetInputMessageSink()) sink->OnPointerMoved(380, 370);
    if (HoveredObject() != BlockBaseEntities().GetEntity(lowBlock)) return false;
    return (HoverPulseColour(0xFFFFFFFFu, HoverPulsePhase()) & 0xFFu) < 200;
  }

  uint32_t ShotTick() const { return shotTicks[std::min<size_t>(shot_, shotTicks.size() - 1)]; }

  // Nobody has a work place in the opening city: the adults all take work
  // at the first business of block 20, as if they had found jobs there, and
  // its type wears magenta (a colour nothing else in the city has).
  static void GiveEveryoneWork() {
    const CBlock& block = g_Blocks[20];
    for (const CBuilding* b = block.FirstBuilding; b; b = b->Next) {
      const CBusiness* business = GetBusinessInUse(b->BusinessIndex);
      const BusinessType* type = business ? GetBusinessType(business->Type) : nullptr;
      if (!type) continue;
      ParseBusinessTypeColours(std::string(type->Key) + " #FF00FF\n");
      for (int32_t i = 0; i < g_PeopleCount; ++i) {
        CPerson& p = g_People[size_t(i)];
        if (!p.InUse || p.Kind == kChild) continue;
        p.WorkBlock = 20;
        DoorOf(b->Id, g_PersonCycles[size_t(i)].WorkDoor);
      }
      return;
    }
  }

  uint32_t levelTick_ = 0;
  size_t shot_ = 0;
  bool selected_ = false;
  bool placed_ = false;
  int32_t pausedFrames_ = 0;
  std::set<int32_t> beaconLevels_;  // the first beacon's brightness, frame by frame
};

// In the child: runs the game, raises the view to the horizon once the level
// runs, writes a screenshot after some game seconds and quits.
// Headless, the hardware renderer draws into the recording device; the
// triangles of the last frame are written to "triangles.txt" instead.
[[noreturn]] void RunGameAndShoot(const fs::path& dir, const char* api, bool headless,
                                  ShotProgram::Scene scene, std::vector<uint32_t> shotTicks) {
  EndWithTheTest();
  if (::chdir(dir.c_str()) != 0) ::_exit(120);
  if (!std::freopen("out.log", "w", stderr)) ::_exit(121);
  std::ofstream(dir / "config.cfg") << "SysSetup api " << api
                                    << "\nSysSetup Window 1\nSysSetup width 640\n"
                                       "SysSetup height 480\nSysSetup NoMovie 1\n";
  if (!headless) {
    ::unsetenv("CITYRUN_HEADLESS");
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    platform::SetHeadless(false);
    if (!platform::InstallSdlWindows()) ::_exit(122);
    platform::InstallSdlInput();
    platform::InstallSdlPresenter();
    platform::InstallGlGpu();
  }
  SetRendererFactory(kApiSoftware, CreateSoftwareRenderer);
  HurryTheLoadingScreen();
  TheGame().Prepare();
  static ShotProgram program;
  program.recording = headless;
  program.scene = scene;
  program.shotTicks = std::move(shotTicks);
  ::_exit(WinMain("NOFRONTEND", program));  // straight into the sandbox
}

class GameFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("rc_frame_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "max");
    for (const char* d : {"gamedata", "gamedata2", "scripts", "parameters", "language"})
      fs::create_directory_symlink(fs::path(RC_GAME_ROOT) / d, dir_ / d);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the game on the renderer; the screenshot's texels (B, G, R, A),
  // bottom row first, or empty.
  std::vector<uint8_t> Frame(const char* api, bool headless = false,
                             ShotProgram::Scene scene = ShotProgram::Scene::City, uint32_t shotTicks = 75) {
    return Frames(api, headless, scene, {shotTicks})[0];
  }
  // One game, a shot at each of the ticks after the level's start.
  std::vector<std::vector<uint8_t>> Frames(const char* api, bool headless, ShotProgram::Scene scene,
                                           const std::vector<uint32_t>& shotTicks) {
    for (size_t i = 0; i < shotTicks.size(); ++i) fs::remove(dir_ / ShotName(i));  // an earlier run's
    fs::remove(dir_ / "effects.txt");
    fs::remove(dir_ / "started.txt");
    const pid_t pid = ::fork();
    if (pid == 0) RunGameAndShoot(dir_, api, headless, scene, shotTicks);
    // The shots take a small part of the start's work.
    int status = 0;
    const bool ended = AwaitTestGame(pid, dir_, 10, status);
    log_ = Read(dir_ / "out.log");
    EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0) << log_;
    std::vector<std::vector<uint8_t>> shots;
    for (size_t i = 0; i < shotTicks.size(); ++i) {
      const std::string file = Read(dir_ / ShotName(i));
      if (const char* dump = std::getenv("RC_FRAME_DUMP"))  // for looking at a failure
        std::ofstream(std::string(dump) + "_" + api + (headless ? "_headless" : "") + "_" +
                          std::to_string(int(scene)) + "_" + std::to_string(shotTicks[i]) + "_" +
                          std::to_string(i) + ".tga",
                      std::ios::binary) << file;
      if (file.size() == 18 + 640 * 480 * 4)
        shots.emplace_back(file.begin() + 18, file.end());
      else
        shots.emplace_back();
    }
    return shots;
  }
  static std::string ShotName(size_t i) {
    char name[32];
    std::snprintf(name, sizeof name, "civano%04zu.tga", i);
    return name;
  }
  // What the last run's last frame drew of the city's point effects, and
  // how many brightness levels the first beacon showed while it ran.
  struct Effects {
    int objects = -1, lights = -1, glints = -1, beaconLevels = -1;
  };
  Effects DrawnEffects() {
    Effects e;
    std::ifstream(dir_ / "effects.txt") >> e.objects >> e.lights >> e.glints >> e.beaconLevels;
    return e;
  }
  // Pixels of the rows [first, last) counted from the top whose red, green
  // and blue pass the test.
  template <typename Test>
  static int Count(const std::vector<uint8_t>& t, int first, int last, int left, int right, Test test) {
    int n = 0;
    for (int y = first; y < last; ++y)
      for (int x = left; x < right; ++x) {
        const uint8_t* p = t.data() + 4 * (size_t(479 - y) * 640 + x);
        n += test(p[2], p[1], p[0]) ? 1 : 0;
      }
    return n;
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // Mean red, green, blue of the rows [first, last) counted from the top,
  // columns [left, right).
  static void Mean(const std::vector<uint8_t>& t, int first, int last, double rgb[3], int left = 0,
                   int right = 640) {
    rgb[0] = rgb[1] = rgb[2] = 0;
    for (int y = first; y < last; ++y)
      for (int x = left; x < right; ++x) {
        const uint8_t* p = t.data() + 4 * (size_t(479 - y) * 640 + x);
        rgb[0] += p[2], rgb[1] += p[1], rgb[2] += p[0];
      }
    for (int k = 0; k < 3; ++k) rgb[k] /= double(last - first) * (right - left);
  }
  void ExpectSkyAboveGround(const std::vector<uint8_t>& t) {
    ASSERT_FALSE(t.empty()) << log_;
    double sky[3], ground[3];
    Mean(t, 0, 60, sky);
    Mean(t, 380, 480, ground);
    EXPECT_GT(sky[2], sky[0] + 20) << "the top is not sky";          // blue above
    EXPECT_GT(ground[1], ground[2]) << "the bottom is not the land";  // green-grey below
    size_t distinct = 0;
    std::vector<bool> seen(1 << 15);
    for (size_t i = 0; i < t.size(); i += 4) {
      const size_t key = (t[i] >> 3) | (t[i + 1] >> 3) << 5 | (t[i + 2] >> 3) << 10;
      if (!seen[key]) seen[key] = true, ++distinct;
    }
    EXPECT_GT(distinct, 50u) << "one colour";
  }
  fs::path dir_;
  std::string log_;
};

TEST_F(GameFrameTest, OpenGLDrawsTheCityUnderTheSky) {
  SKIP_REAL_OPENGL_UNDER_THE_SANITIZER();
  ExpectSkyAboveGround(Frame("D3D"));
}

TEST_F(GameFrameTest, HeadlessTheCityIsDrawnThroughTheRecordingDevice) {
  Frame("D3D", true);
  EXPECT_GT(std::atoi(Read(dir_ / "triangles.txt").c_str()), 1000) << log_;
}

TEST_F(GameFrameTest, SoftwareRendererDrawsTheCityUnderTheSky) {
  ExpectSkyAboveGround(Frame("Software"));
}

// Pixels of the picture (B, G, R, A) brighter than `level` in every channel.
size_t BrightPixels(const std::vector<uint8_t>& t, int level) {
  size_t n = 0;
  for (size_t i = 0; i + 3 < t.size(); i += 4) n += t[i] > level && t[i + 1] > level && t[i + 2] > level;
  return n;
}

// Fraction of the pixels of the map below the prompt, between the profit
// panel and the city overview, that differ by more than 40 in a channel.
// The panels themselves differ: the software renderer draws them opaque.
double MapDiffering(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != 640u * 480 * 4 || b.size() != a.size()) return 1.0;
  size_t off = 0, all = 0;
  for (int y = 300; y < 480; ++y)
    for (int x = 130; x < 420; ++x, ++all) {
      const size_t i = 4 * (size_t(479 - y) * 640 + x);
      for (int k = 0; k < 3; ++k)
        if (std::abs(int(a[i + k]) - int(b[i + k])) > 40) {
          ++off;
          break;
        }
    }
  return double(off) / double(all);
}

// Warm lit-window pixels (strong red and green, little blue) in the city
// below the prompt, between the panels at the left and the right.
size_t WindowLightPixels(const std::vector<uint8_t>& t) {
  size_t n = 0;
  for (int y = 300; y < 480; ++y)
    for (int x = 165; x < 460; ++x) {
      const uint8_t* p = t.data() + 4 * (size_t(479 - y) * 640 + x);
      n += p[2] > 200 && p[1] > 150 && p[0] + 70 < p[2];
    }
  return n;
}

TEST_F(GameFrameTest, AtNightTheCityIsDarkWithItsLightsOn) {
  for (const char* api : {"D3D", "Software"}) {
    const std::vector<uint8_t> t = Frame(api, false, ShotProgram::Scene::Night);
    ASSERT_FALSE(t.empty()) << log_;
    double land[3];
    Mean(t, 300, 480, land);
    EXPECT_LT(land[0] + land[1] + land[2], 3 * 70.0) << api << ": the night is not dark";
    EXPECT_GT(BrightPixels(t, 180), 30u) << api << ": no lights in the dark";
    // The windows are drawn unlit: the night's dim light must not darken them.
    if (std::string(api) == "D3D") {
      EXPECT_GT(WindowLightPixels(t), 300u) << "no lit windows in the buildings";
    }
  }
}

// The selected block's corner markers pulse in the selection green.
TEST_F(GameFrameTest, TheSelectedBlockIsMarkedAtItsCorners) {
  const std::vector<uint8_t> t = Frame("D3D", false, ShotProgram::Scene::Selected);
  ASSERT_FALSE(t.empty()) << log_;
  size_t green = 0;
  for (size_t i = 0; i + 3 < t.size(); i += 4) green += t[i + 1] > 100 && t[i] < 30 && t[i + 2] < 30;
  EXPECT_GT(green, 20u) << log_;
}

// The auction room from the session's own steps: opened for block 20, the
// figures in their seats. The hardware renderer draws the room in 3D, the
// software one over the room's picture, so they are not compared pixel by
// pixel; neither shows sky where the walls are.
TEST_F(GameFrameTest, AuctionRoomIsDrawnOnBothRenderers) {
  for (const char* api : {"D3D", "Software"}) {
    const std::vector<uint8_t> t = Frame(api, false, ShotProgram::Scene::Auction);
    ASSERT_FALSE(t.empty()) << log_;
    double top[3];
    Mean(t, 0, 60, top);
    EXPECT_FALSE(top[2] > top[0] + 20) << api << ": sky where the room's walls should be";
  }
}

// The room is lit by its own lamps: at night it is as bright as by day on
// both renderers.
TEST_F(GameFrameTest, AuctionRoomAtNightIsLitAsByDay) {
  for (const char* api : {"D3D", "Software"}) {
    const std::vector<uint8_t> day = Frame(api, false, ShotProgram::Scene::Auction);
    const std::vector<uint8_t> night = Frame(api, false, ShotProgram::Scene::AuctionAtNight);
    ASSERT_FALSE(day.empty() || night.empty()) << log_;
    double byDay[3], atNight[3];
    Mean(day, 60, 420, byDay);
    Mean(night, 60, 420, atNight);
    const double dayLight = byDay[0] + byDay[1] + byDay[2], nightLight = atNight[0] + atNight[1] + atNight[2];
    EXPECT_GT(dayLight, 90) << api << ": the room is dark by day";
    EXPECT_NEAR(nightLight, dayLight, 0.05 * dayLight) << api;
  }
}

// The plan view looks down on the board: no sky, the board fills the top of
// the frame, and both renderers agree.
TEST_F(GameFrameTest, PlanViewLooksTheSameOnBothRenderers) {
  const std::vector<uint8_t> hard = Frame("D3D", false, ShotProgram::Scene::Plan);
  const std::vector<uint8_t> soft = Frame("Software", false, ShotProgram::Scene::Plan);
  ASSERT_FALSE(hard.empty()) << log_;
  ASSERT_EQ(hard.size(), soft.size()) << log_;
  double top[3];
  Mean(hard, 0, 60, top);
  EXPECT_FALSE(top[2] > top[0] + 20 && top[2] > 60) << "sky above the plan view";
  EXPECT_GT(top[1], top[2]) << "the top of the plan is not the board";
  EXPECT_LE(MapDiffering(hard, soft), 0.04);
}

// The plan is a map, drawn unlit: at night the board keeps its day colours
// (not the night's dark) and both renderers still agree.
TEST_F(GameFrameTest, PlanViewAtNightIsTheSameMapOnBothRenderers) {
  const std::vector<uint8_t> hard = Frame("D3D", false, ShotProgram::Scene::PlanAtNight);
  const std::vector<uint8_t> soft = Frame("Software", false, ShotProgram::Scene::PlanAtNight);
  ASSERT_FALSE(hard.empty()) << log_;
  ASSERT_EQ(hard.size(), soft.size()) << log_;
  for (const std::vector<uint8_t>* t : {&hard, &soft}) {
    double top[3];
    Mean(*t, 0, 60, top);
    EXPECT_GT(top[1], 90) << (t == &hard ? "D3D" : "Software") << ": the board is dark";
    EXPECT_GT(top[1], top[2]) << "the top of the plan is not the board";
  }
  EXPECT_LE(MapDiffering(hard, soft), 0.04);
}

// Near-white pixels of the rectangle [x0, x1) x [y0, y1), rows from the top.
size_t WhitePixels(const std::vector<uint8_t>& t, int x0, int y0, int x1, int y1) {
  size_t n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const uint8_t* p = t.data() + 4 * (size_t(479 - y) * 640 + x);
      n += p[0] > 220 && p[1] > 220 && p[2] > 220;
    }
  return n;
}

// Paused by the switch with DEBUGTEXT on: the red strip at the bottom carries
// the pause line's words, and the statistics are written at the top left.
TEST_F(GameFrameTest, ThePauseLineAndTheStatisticsAreWritten) {
  const std::vector<uint8_t> t = Frame("D3D", false, ShotProgram::Scene::Paused);
  ASSERT_FALSE(t.empty()) << log_;
  EXPECT_GT(WhitePixels(t, 200, 452, 440, 475), 40u) << "no words on the pause strip";
  EXPECT_GT(WhitePixels(t, 5, 15, 160, 110), 100u) << "no statistics";
}

}  // namespace

// A clear noon sky is blue, not the sun's pale white: the band of sky
// between the panels at the top is clearly more blue than red.
TEST_F(GameFrameTest, TheNoonSkyIsBlue) {
  for (const char* api : {"D3D", "Software"}) {
    const std::vector<uint8_t> t = Frame(api, false, ShotProgram::Scene::Noon);
    ASSERT_FALSE(t.empty()) << log_;
    double sky[3] = {0, 0, 0};
    for (int y = 0; y < 40; ++y)
      for (int x = 130; x < 380; ++x) {
        const uint8_t* p = t.data() + 4 * (size_t(479 - y) * 640 + x);
        sky[0] += p[2], sky[2] += p[0];
      }
    EXPECT_GT(sky[2] - sky[0], 85.0 * 40 * 250) << api << ": red " << sky[0] / 10000 << " blue " << sky[2] / 10000;
  }
}

// Down on a street at night: the lamp's pool of light shows on the ground
// under it, where the night leaves the rest of the street black.
TEST_F(GameFrameTest, AStreetAtNightHasLampPoolsOnTheGround) {
  const std::vector<uint8_t> t = Frame("D3D", false, ShotProgram::Scene::StreetAtNight);
  ASSERT_FALSE(t.empty()) << log_;
  double pool[3], dark[3];
  Mean(t, 420, 470, pool, 260, 400);
  Mean(t, 420, 470, dark, 0, 100);
  EXPECT_GT(pool[0], dark[0] + 25) << "pool " << pool[0] << " dark street " << dark[0];
  EXPECT_GT(pool[0] - dark[0], pool[2] - dark[2]) << "the pool's light is warm";
}

// By day on the same street the block's name lies on its paving in the
// district's label colour from the board's parameter file (dark on this
// district), over the light paving in front of the camera, on both
// renderers.
TEST_F(GameFrameTest, ABlockNameLiesOnItsPaving) {
  for (const char* api : {"D3D", "Software"}) {
    const std::vector<uint8_t> t = Frame(api, false, ShotProgram::Scene::Street);
    ASSERT_FALSE(t.empty()) << log_;
    size_t lettering = 0;
    for (int y = 395; y < 440; ++y)
      for (int x = 340; x < 500; ++x) {
        const uint8_t* p = t.data() + 4 * (size_t(479 - y) * 640 + x);
        lettering += p[2] < 90 && p[1] < 90 && p[0] < 110;
      }
    EXPECT_GT(lettering, 500u) << api;
  }
}

// Low over the shore at 9 in the morning, looking out to sea: the water in
// front is blue and its texture has moved on four game seconds later, and
// clouds (near white) show in the sky above, on both renderers.
TEST_F(GameFrameTest, TheSeaDriftsUnderTheClouds) {
  for (const char* api : {"D3D", "Software"}) {
    SCOPED_TRACE(api);
    // One game, shot twice: four game seconds apart.
    const std::vector<std::vector<uint8_t>> shots = Frames(api, false, ShotProgram::Scene::Sea, {75, 175});
    const std::vector<uint8_t>& early = shots[0];
    const std::vector<uint8_t>& later = shots[1];
    ASSERT_FALSE(early.empty() || later.empty()) << log_;
    // The water between the panels at the bottom of the frame.
    double sea[3];
    Mean(early, 400, 480, sea, 170, 440);
    EXPECT_GT(sea[2], sea[0] + 60) << "not the sea";
    size_t moved = 0;
    for (int y = 400; y < 480; ++y)
      for (int x = 170; x < 440; ++x) {
        const size_t i = 4 * (size_t(479 - y) * 640 + x);
        for (int k = 0; k < 3; ++k)
          if (std::abs(int(early[i + k]) - int(later[i + k])) > 6) {
            ++moved;
            break;
          }
      }
    EXPECT_GT(moved, size_t(80 * 270 * 15 / 100)) << "the water stood still";
    // Light grey to white in the sky between the panels: the blue of the
    // dome has its red below 150.
    size_t cloud = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 170; x < 460; ++x) {
        const uint8_t* p = early.data() + 4 * (size_t(479 - y) * 640 + x);
        cloud += std::min({p[0], p[1], p[2]}) > 180 && std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) < 40;
      }
    EXPECT_GT(cloud, 1000u) << "no clouds";
  }
}

// Over a block with everyone at work at one business whose type wears
// magenta: the people on the pavements are drawn again in it, on both
// renderers (the software renderer's flat colour; the hardware renderer's
// colour over their textures).
TEST_F(GameFrameTest, WorkersWearTheirWorkplacesColour) {
  for (const char* api : {"D3D", "Software"}) {
    const std::vector<uint8_t> t = Frame(api, false, ShotProgram::Scene::Workers);
    ASSERT_FALSE(t.empty()) << log_;
    // Magenta over a texture keeps no green; no other pixel of the street
    // is that pure.
    size_t magenta = 0;
    for (size_t i = 0; i + 3 < t.size(); i += 4) magenta += t[i + 2] > 100 && t[i] > 100 && t[i + 1] < 16;
    EXPECT_GT(magenta, 40u) << api;
  }
}

// Sunlight glints off the sea towards the evening sun, on both renderers;
// the sparkles are the brightest pixels over the water.
TEST_F(GameFrameTest, TheEveningSeaGlittersOnBothRenderers) {
  for (const char* api : {"D3D", "Software"}) {
    const std::vector<uint8_t> t = Frame(api, false, ShotProgram::Scene::SeaInTheEvening);
    ASSERT_FALSE(t.empty()) << log_;
    EXPECT_GT(DrawnEffects().glints, 5) << api;
    // The sea lies across rows 190 to 285; the sun sets to the right.
    const int sparkles = Count(t, 190, 285, 330, 640, [](int r, int g, int b) { return std::min({r, g, b}) > 200; });
    EXPECT_GT(sparkles, 10) << api;
  }
}

// At night the quay's lamps shine over the dark water's edge and the beacons
// pulse as the logic ticks on; the full pass list draws them.
TEST_F(GameFrameTest, AtNightTheQuayLampsShineAndTheBeaconsPulse) {
  const std::vector<uint8_t> t = Frame("D3D", false, ShotProgram::Scene::HarbourAtNight);
  ASSERT_FALSE(t.empty()) << log_;
  const Effects e = DrawnEffects();
  EXPECT_GT(e.lights, 62) << "the runway, the beacons and some of the night's lamps";
  EXPECT_GT(e.beaconLevels, 3) << "the first beacon does not pulse";
  // The quay lies left of the middle, below the city's lights.
  const int lamps = Count(t, 250, 290, 100, 240, [](int r, int g, int b) { return r > 120 && g > 100 && b < r; });
  EXPECT_GT(lamps, 40);
}

// The pavements carry their benches, bins, post boxes and hydrants; the
// full pass list draws them (the reduced list has no such pass).
TEST_F(GameFrameTest, StreetFurnitureStandsOnThePavement) {
  const std::vector<uint8_t> t = Frame("D3D", false, ShotProgram::Scene::Pavement);
  ASSERT_FALSE(t.empty()) << log_;
  EXPECT_GT(DrawnEffects().objects, 100);
  // A red post box at the kerb, near the camera on the left.
  EXPECT_GT(Count(t, 0, 240, 0, 320, [](int r, int g, int b) { return r > 120 && g < 60 && b < 60; }), 200);
  // A green bench beside it.
  EXPECT_GT(Count(t, 0, 240, 200, 480, [](int r, int g, int b) { return g > r + 30 && g > b + 20 && g > 60; }), 200);
}

// The block camera at its lowest over the Zoo block, at rest, with nothing
// hovered: the paving holds its colour from one frame to the next on both
// renderers (no surface fights another for the depth, and the buildings'
// depth pre-pass and their colour pass agree). Once the pointer rests on
// the block, its base pulses as the hovered object does, and nothing else
// changes: the one way the paving's colour moves under a still camera.
// The software renderer draws the bases without their colour, so the
// pulse is looked for on the hardware renderer.
TEST_F(GameFrameTest, TheLowViewsPavingHoldsStillAndPulsesOnlyWhenHovered) {
  for (const char* api : {"D3D", "Software"}) {
    SCOPED_TRACE(api);
    const std::vector<std::vector<uint8_t>> shots = Frames(api, false, ShotProgram::Scene::LowOverBlock, {75, 75, 75});
    const std::vector<uint8_t>& still = shots[0];
    ASSERT_FALSE(still.empty() || shots[1].size() != still.size() || shots[2].size() != still.size()) << log_;
    size_t moved = 0;
    for (size_t i = 0; i < still.size(); i += 4)
      for (int k = 0; k < 3; ++k)
        if (std::abs(int(still[i + k]) - int(shots[1][i + k])) > 3) {
          ++moved;
          break;
        }
    EXPECT_EQ(moved, 0u) << "the still view changed between two frames";
    // The sky above is the same while the block pulses.
    double skyStill[3], skyHovered[3];
    Mean(still, 0, 40, skyStill);
    Mean(shots[2], 0, 40, skyHovered);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(skyHovered[k], skyStill[k], 1.0);
    if (std::string(api) != "D3D") continue;
    // The block's paving in front of its building, in the pulse's dark half.
    double paving[3], pulsed[3];
    Mean(still, 350, 380, paving, 220, 540);
    Mean(shots[2], 350, 380, pulsed, 220, 540);
    EXPECT_LT(pulsed[0] + pulsed[1] + pulsed[2], 0.9 * (paving[0] + paving[1] + paving[2]));
  }
}
