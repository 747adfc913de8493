#include "app/front_end_wiring.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/game.h"
#include "app/cut_scene_wiring.h"
#include "app/game_parts.h"
#include "app/sound_wiring.h"
#include "engine/core/run_state.h"
#include "engine/core/system_settings.h"
#include "engine/files/text_bank.h"
#include "engine/input/camera_controller.h"
#include "engine/input/input_device.h"
#include "app/network_game.h"
#include "frontend/front_end.h"
#include "frontend/network_pages.h"
#include "panels/panel_links.h"
#include "platform/headless.h"
#include "script/profiles.h"
#include "script/script.h"
#include "session/game_clock.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "session/session_state.h"
#include "sound/game_sound.h"
#include "sound/sound_manager.h"
#include "ui/interface_assets.h"
#include "ui/layout_model.h"
#include "ui/ui_services.h"
#include "visuals/overlay/cut_scene.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/camera/game_camera.h"
#include "visuals/overlay/interface_task.h"
#include "engine/core/overrides.h"

namespace {

// Set while the menus' fly-by plays; its end brings the menus back.
bool& FlybyRunning() {
  static bool running = false;
  return running;
}

// The network pages' transport: the network game's.
class GameFrontEndNetwork : public FrontEndNetwork {
 public:
  bool Init() override { return TheNetworkGame().OpenForMenus(); }
  void EnumerateSessions() override { TheNetworkGame().EnumerateSessions(); }
  void StopSessionEnumeration() override { TheNetworkGame().StopSessionEnumeration(); }
  std::vector<FoundSession> Sessions() override {
    std::vector<FoundSession> out;
    for (const platform::NetSessionInfo& info : TheNetworkGame().Sessions()) {
      FoundSession s;
      s.name = info.name;
      s.instance = info.instance;
      std::copy(std::begin(info.user), std::end(info.user), s.user);
      out.push_back(s);
    }
    return out;
  }
  bool JoinSession(int32_t index, const std::string&) override { return TheNetworkGame().JoinFromMenus(index); }
  bool HostSession(const std::string& name) override { return TheNetworkGame().HostFromMenus(name); }
  void SetSessionUserValues(const int32_t words[4]) override { TheNetworkGame().SetSessionUserValues(words); }
  void EnableJoining(bool on) override { TheNetworkGame().EnableJoining(on); }
  void RefusePlayer(int32_t id) override { TheNetworkGame().RefusePlayer(id); }
  void EndSession() override { TheNetworkGame().End(); }
  int32_t LocalId() override { return TheNetworkGame().LocalId(); }
  bool StartedWithNetworkOptions() override { return g_StartupOptions.networkStart; }
  std::string SessionNameOption() override { return g_StartupOptions.sessionName; }
  std::string PlayerName() override { return PlayerProfile().name[0] ? PlayerProfile().name : "Player"; }
};
// Every method the game needs has its own body here (checked when built).
RC_OVERRIDES(GameFrontEndNetwork, FrontEndNetwork, Init);
RC_OVERRIDES(GameFrontEndNetwork, FrontEndNetwork, EnumerateSessions);
RC_OVERRIDES(GameFrontEndNetwork, FrontEndNetwork, StopSessionEnumeration);
RC_OVERRIDES(GameFrontEndNetwork, FrontEndNetwork, Sessions);
RC_OVERRIDES(GameFrontEndNetwork, FrontEndNetwork, JoinSession);
RC_OVERRIDES(GameFrontEndNetwork, FrontEndNetwork, HostSession);
RC_OVERRIDES(GameFrontEndNetwork, FrontEndNetwork, SetSessionUserValues);
RC_OVERRIDES(GameFrontEndNetwork, FrontEndNetwork, EnableJoining);
RC_OVERRIDES(GameFrontEndNetwork, FrontEndNetwork, RefusePlayer);
RC_OVERRIDES(GameFrontEndNetwork, FrontEndNetwork, EndSession);
RC_OVERRIDES(GameFrontEndNetwork, FrontEndNetwork, LocalId);
RC_OVERRIDES(GameFrontEndNetwork, FrontEndNetwork, StartedWithNetworkOptions);
RC_OVERRIDES(GameFrontEndNetwork, FrontEndNetwork, SessionNameOption);
RC_OVERRIDES(GameFrontEndNetwork, FrontEndNetwork, PlayerName);

}  // namespace

bool AnyFrontEndPageOpen() {
  for (CPanel* p : FrontEndScreens().Panels())
    if (p->open) return true;
  return false;
}

void LoadFrontEnd() {
  std::vector<LayoutModel> models;
  LoadLayoutModels(std::span<const char* const>(kFrontEndLayoutFiles, size_t(kPageBlank)), models);
  FrontEndScreens().SetLayoutModels(std::move(models));
}

void AttachFrontEnd() {
  static GameFrontEndNetwork network;
  SetFrontEndNetwork(&network);
}

bool FrontEndBypassed() {
  return g_StartupOptions.noFrontEnd || (platform::IsHeadless() && !g_StartupOptions.frontEnd);
}

void OpenFrontEnd() {
  EnterFrontEnd();
  // HOST or JOIN with the menus shown: the session list at once, and on to
  // the host page for HOST.
  CFrontEndScreens& fe = FrontEndScreens();
  if (!g_StartupOptions.networkStart || !fe.IsOpen(kPageMainMenu)) return;
  FrontEndGameMode() = 0;
  fe.Go(kPageMainMenu, kPageNetworkSessions);
  if (g_StartupOptions.hostSession) fe.Go(kPageNetworkSessions, kPageNetworkHost);
}

void PlayMenuFlyby(bool credits) {
  PlayCutScene("flyby1");
  if (credits) CutScene().RequestCredits(true);
  FlybyRunning() = true;
}

void RunFrontEndInput() {
  if (FlybyRunning() && !RunState().gameRunning) {
    // The cut scene shows the city view; the menus come back when it ends.
    if (CutScene().Running()) return;
    FlybyRunning() = false;
    EnterFrontEnd();
  }
  // The screen mode shows one panel set: the menus' in mode 4.
  if (GetScreenMode() != kScreenMenu) return;
  FrontEndScreens().ProcessInput();
  RunState().pointerOverPanels = FrontEndScreens().IsMouseOverPanels() || Ui().mouseTaken ? 1 : 0;
}

void DrawFrontEnd() {
  if (GetScreenMode() == kScreenMenu) FrontEndScreens().Draw();
}

void ReturnToMenusAfterGame(bool tutorial, bool finished, bool network) {
  if (FrontEndBypassed()) return;
  ReturnToFrontEnd(tutorial, finished, network);
}
