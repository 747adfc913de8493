// The interface task's keys.
#include <gtest/gtest.h>

#include "city/people.h"
#include "city/person.h"
#include "engine/core/system_settings.h"
#include "engine/input/camera_controller.h"
#include "engine/scene/entity.h"
#include "platform/input.h"
#include "presentation_fixture.h"
#include "session/event_queue.h"
#include "session/scenarios.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/tutorial.h"
#include "visuals/camera/city_picking.h"
#include "engine/core/run_state.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/camera/game_camera.h"
#include "ui/game_requests.h"
#include "visuals/overlay/interface_task.h"

namespace {

using namespace platform::key;

class InterfaceKeysTest : public PresentationTest {
 protected:
  void SetUp() override {
    PresentationTest::SetUp();
    CamInit(50, 0);
    RegisterGameCameraModes();
    ResetScreenModes();
    GamePauseState().Reset();
    Session() = SessionState{};
    SetInterfacePanels(&panels_);
    ClearGameRequests();
    GameTime().viewState = 1;
    SelectedObject() = nullptr;
    // The street as a new game has it: nobody on it.
    ResetPeople();
  }
  void TearDown() override {
    SetInterfacePanels(nullptr);
    ClearGameRequests();
    GamePauseState().Reset();
    ResetScreenModes();
    g_StartupOptions.debugStuff = false;
    ResetPeople();
    PresentationTest::TearDown();
  }
  // One interface step with `key` pressed (and `held` down since before).
  void Step(uint8_t key, uint8_t held = 0) {
    ReleaseAll();
    if (held) Hold(held);
    Press(key);
    RunInterfaceKeys();
    ReleaseAll();
  }
  // The panels as the keys see them: typing into the chat or not.
  struct Panels : InterfacePanels {
    bool typing = false;
    bool Typing() override { return typing; }
  };
  Panels panels_;
  // How many times the menu key asked the game for the menus.
  int MenuKeyRequests() {
    for (const GameRequest& r : TakeGameRequests())
      if (std::holds_alternative<MenuKeyRequest>(r)) ++menuKeys_;
    return menuKeys_;
  }
  int menuKeys_ = 0;
};

TEST_F(InterfaceKeysTest, TabTogglesThePlanViewAndKeepsTheCityCamera) {
  g_CameraState.targetEye = {1, 2, 3};
  Step(kTab);
  EXPECT_EQ(GetScreenMode(), kScreenPlan);
  EXPECT_FLOAT_EQ(StoredCameraState().targetEye.y, 2.0f);
  Step(kTab, kLeftAlt);  // not with Alt
  EXPECT_EQ(GetScreenMode(), kScreenPlan);
  Step(kTab);
  EXPECT_EQ(GetScreenMode(), kScreenCity);
  EXPECT_FLOAT_EQ(g_CameraState.targetEye.z, 3.0f);
  SetScreenMode(kScreenAuction);
  Step(kTab);
  EXPECT_EQ(GetScreenMode(), kScreenAuction);
}

// The toggle drops the hover of the view it leaves, shows the block page on
// the way back and tells a running lesson, either way.
TEST_F(InterfaceKeysTest, TheToggleClearsTheHoverShowsPageOneAndTellsTheLesson) {
  struct Lesson : SessionGameServices {
    std::vector<int32_t> events;
    void CatchEvent(const char* name, int32_t argument) override {
      if (std::string(name) == "TutorialEvent") events.push_back(argument);
    }
  } lesson;
  SetSessionGameServices(&lesson);
  const ScenarioEntry* before = ScenarioManager().Current();
  ScenarioManager().SetCurrent(ScenarioManager().RegisterLevel(100001, "", "lesson", ""));
  struct Pages : PickPanels {
    std::vector<int32_t> shown;
    void ShowInfoPage(int32_t page) override { shown.push_back(page); }
  } pages;
  SetPickPanels(&pages);
  CEntity hovered{}, block{};
  SelectedObject() = &block;
  for (int turn = 0; turn < 4; ++turn) {
    if (turn == 2) SelectedObject() = nullptr;  // nothing selected: the page stays
    HoveredObject() = &hovered;
    TogglePlanView();
    EXPECT_EQ(HoveredObject(), nullptr);
  }
  EXPECT_EQ(pages.shown, std::vector<int32_t>{1});
  EXPECT_EQ(lesson.events, std::vector<int32_t>(4, kTutorialViewToggled));
  SetPickPanels(nullptr);
  ScenarioManager().SetCurrent(before);
  SetSessionGameServices(nullptr);
}

TEST_F(InterfaceKeysTest, EscapeAsksForTheMenusUnlessPausedOverTheCity) {
  Step(kEscape);
  EXPECT_EQ(MenuKeyRequests(), 1);
  GamePauseState().AddReason(0);
  Step(kEscape);
  EXPECT_EQ(MenuKeyRequests(), 1);
  // In the menus the key still asks, paused or not: the front end closes
  // the in-game menu on it.
  SetScreenMode(kScreenMenu);
  Step(kEscape);
  EXPECT_EQ(MenuKeyRequests(), 2);
  GamePauseState().Reset();
  Step(kEscape);
  EXPECT_EQ(MenuKeyRequests(), 3);
}

TEST_F(InterfaceKeysTest, F1AndPSwitchThePause) {
  Step(kF1);
  EXPECT_EQ(GamePauseState().Count(3), 1);
  Step(kP);
  EXPECT_EQ(GamePauseState().Count(3), 0);
  panels_.typing = true;
  Step(kP);
  EXPECT_EQ(GamePauseState().Count(3), 0);  // typing in the chat
  Step(kF1);
  EXPECT_EQ(GamePauseState().Count(3), 1);
  Session().networkSession = true;
  Step(kF1);
  EXPECT_EQ(GamePauseState().Count(3), 1);  // no pause switch in a network game
}

TEST_F(InterfaceKeysTest, GFollowsTheNextPersonOnTheStreet) {
  g_People[5].InUse = 1;
  g_People[9].InUse = 1;
  g_People[7].InUse = 1;
  g_PersonCycles[7].Flags = kFlagOffStreet;
  Step(kG);
  ASSERT_NE(SelectedObject(), nullptr);
  EXPECT_EQ(SelectedObject()->index, 5);
  EXPECT_EQ(g_CameraState.mode, kCamFollow);
  EXPECT_EQ(FollowedObject(), SelectedObject());
  Step(kG);
  EXPECT_EQ(SelectedObject()->index, 9);
  Step(kG);
  EXPECT_EQ(SelectedObject()->index, 5);  // round the table
  g_PersonCycles[7].Flags = 0;
}

TEST_F(InterfaceKeysTest, AltFPutsTheCameraHome) {
  ResetStoredCamera();
  CamSetMode(6);
  Step(kF, kLeftAlt);
  EXPECT_EQ(g_CameraState.mode, 0);
  EXPECT_FLOAT_EQ(g_CameraState.eye.y, 586.0f);
  CamUpdate();
  // The keys mode keeps looking where the stored camera looked.
  EXPECT_NEAR(g_CameraState.targetLookAt.y - g_CameraState.targetEye.y, -123.0f, 0.5f);
}

// The time skip reaches the scheduler's logic group as two seconds of ticks.
TEST_F(InterfaceKeysTest, ShiftQSkipsTimeOnlyWithDebugKeys) {
  static int ticks;
  for (bool debug : {false, true}) {
    CScheduler& s = GameScheduler();
    s.Init();
    s.SetFixedPace(true);
    s.AddTask(25.0f, [] { ++ticks; }, 8, true);
    s.ResetClock();
    g_StartupOptions.debugStuff = debug;
    Hold(kLeftShift);
    Hold(kQ);
    RunInterfaceKeys();
    ticks = 0;
    s.Run(false);
    EXPECT_EQ(ticks >= 50, debug) << ticks;
  }
  GameScheduler().Init();
  GameScheduler().SetFixedPace(false);
}

}  // namespace
