#include "visuals/overlay/interface_task.h"

#include <algorithm>
#include <cmath>

#include "city/blocks.h"
#include "city/people.h"
#include "city/person.h"
#include "engine/input/camera_controller.h"
#include "engine/input/input_device.h"
#include "engine/core/system_settings.h"
#include "engine/scene/entity.h"
#include "platform/input.h"
#include "session/chat_log.h"
#include "session/game_messages.h"
#include "session/net_message.h"
#include "session/scenarios.h"
#include "session/session_state.h"
#include "session/tutorial.h"
#include "engine/core/run_state.h"
#include "visuals/camera/city_picking.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/camera/game_camera.h"
#include "visuals/overlay/cut_scene.h"
#include "visuals/overlay/screenshots.h"
#include "sound/game_sound.h"
#include "ui/game_requests.h"

namespace {

constexpr int32_t kPauseSwitchReason = 3;
constexpr uint32_t kDebugSkipSeconds = 2;

bool AltDown() { return KeyDown(platform::key::kLeftAlt); }

// A tutorial's lessons hold the view: Tab, G and Alt+F do nothing then.
bool TutorialRunning() { return ScenarioManager().IsTutorialRunning(); }

CEntity*& PlanSelection() {
  static CEntity* remembered = nullptr;
  return remembered;
}

bool IsPerson(const CEntity* e) {
  return e && (e->objectKind == kCamObjectPerson || e->objectKind == kCamObjectPerson2);
}

}  // namespace

CEntity*& SelectedObject() {
  static CEntity* selected = nullptr;
  return selected;
}

void TogglePlanView() {
  // What the mouse was over belongs to the view being left.
  HoveredObject() = nullptr;
  g_HoveredBuilding = nullptr;
  if (GetScreenMode() == kScreenPlan) {
    g_CameraState = StoredCameraState();
    SetScreenMode(kScreenCity);
    // The page reads the selection: it is put back first. With nothing
    // selected the panel keeps its page (a block page of no block is blank).
    SelectedObject() = PlanSelection();
    if (SelectedObject()) CurrentPickPanels().ShowInfoPage(1);
  } else {
    StoredCameraState() = g_CameraState;
    SetScreenMode(kScreenPlan);
    PlanSelection() = SelectedObject();
    SelectedObject() = nullptr;
  }
  CurrentInterfacePanels().ViewChanged();
  FireTutorialEvent(kTutorialViewToggled);
}

void TogglePauseSwitch() {
  CGamePauseState& pause = GamePauseState();
  // The game's sound pauses with the switch and resumes once nothing else
  // holds the switch's pause.
  if (pause.Count(kPauseSwitchReason) > 0) {
    pause.ClearReason(kPauseSwitchReason);
    GameSound().ResumeAll(pause.Count(kPauseSwitchReason));
  } else {
    pause.AddReason(kPauseSwitchReason);
    GameSound().PauseAll();
  }
}

bool FollowNextPerson() {
  int32_t start = 0;
  if (IsPerson(SelectedObject()) && SelectedObject()->index >= 0)
    start = SelectedObject()->index + 1;
  for (int32_t n = 0; n < kMaxPeople; ++n) {
    const int32_t i = (start + n) % kMaxPeople;
    if (!g_People[size_t(i)].InUse || (g_PersonCycles[size_t(i)].Flags & 1)) continue;
    CEntity* e = &g_PersonEntities[size_t(i)];
    e->objectKind = kCamObjectPerson;
    e->index = i;
    SelectedObject() = e;
    SetFollowCameraTarget(e);
    CamSetMode(kCamFollow);
    ShowPersonPageOfSelection();
    return true;
  }
  return false;
}

void PutCameraHome() {
  CameraState& c = g_CameraState;
  const CameraState& home = StoredCameraState();
  CamSetMode(0);
  c.targetEye = c.eye = home.eye;
  c.targetLookAt = c.lookAt = home.lookAt;
  // The keys mode looks along its heading and pitch: take them from the
  // stored direction.
  const float dx = home.lookAt.x - home.eye.x, dz = home.lookAt.z - home.eye.z;
  const float across = std::sqrt(dx * dx + dz * dz);
  c.yaw = std::atan2(dz, dx);
  const float rise = across > 0 ? (home.lookAt.y - home.eye.y) * 100 / across : 0;
  c.pitch = std::asin(std::clamp(rise / 200, -1.0f, 1.0f));
  c.pitchSpeed = 0;
  c.smoothEye = c.smoothLookAt = 1;
  c.orbitFollow = 0;
  c.steps = 10;
}

void ResetStoredCamera() {
  CameraState& s = StoredCameraState();
  s = g_CameraState;
  s.eye = s.targetEye = s.drawnEye = {26.0f, 586.0f, -695.0f};
  s.lookAt = s.targetLookAt = s.drawnLookAt = {26.0f, 463.0f, -595.0f};
}

void RunInterfaceKeys() {
  if (CutScene().Running()) {
    CutScene().PollSkipKeys();
    return;
  }
  InterfacePanels& panels = CurrentInterfacePanels();
  using namespace platform::key;
  const int32_t mode = GetScreenMode();
  const bool network = Session().networkSession;
  const bool chatOpen = panels.Typing();
  if (KeyPressed(kTab) && !AltDown() && mode != kScreenAuction && !TutorialRunning() &&
      !panels.FrontEndPageOpen() && GameTime().viewState == 1) {
    TogglePlanView();
    ChatLog().Age();
  }
  RunState().pointerOverPanels = panels.MouseOverPanels() ? 1 : 0;
  // Escape opens the menus over a running game (not over one the player
  // paused) and, over the menus, closes the in-game menu again.
  if (KeyPressed(kEscape) && (mode == kScreenMenu || !GamePauseState().Paused())) PostGameRequest(MenuKeyRequest{});
  if ((KeyPressed(kF1) || (KeyPressed(kP) && !chatOpen)) && mode != kScreenMenu && !network)
    TogglePauseSwitch();
  if (g_StartupOptions.debugStuff && !network && KeyDown(kLeftShift) && KeyDown(kQ))
    Post(TimeSkipMsg{kDebugSkipSeconds});
  if (KeyPressed(kG) && GetScreenMode() == kScreenCity && !TutorialRunning() && !chatOpen)
    FollowNextPerson();
  if (AltDown() && KeyPressed(kF5)) WriteNumberedScreenshot(0);
  if (!RunState().pointerOverPanels && AltDown() && KeyPressed(kF) &&
      GetScreenMode() == kScreenCity && !chatOpen && !TutorialRunning())
    PutCameraHome();
}
