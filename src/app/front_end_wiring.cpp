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
#include "visuals/cut_scene.h"
#include "visuals/frame_draw.h"
#include "visuals/game_camera.h"
#include "visuals/interface_task.h"

namespace {

constexpr int32_t kOrbitCameraMode = 15;

class GameFrontEndServices : public FrontEndServices {
 public:
  bool GameRunning() override { return RunState().gameRunning; }
  bool NetworkGame() override { return Session().networkSession; }
  int32_t ScreenMode() override { return GetScreenMode(); }
  void SetScreenMode(int32_t mode) override { ::SetScreenMode(mode); }
  void AddPause() override { GamePauseState().AddReason(0); }
  void RemovePause() override {
    if (GamePauseState().Count(0) > 0) GamePauseState().RemoveReason(0);
  }
  int32_t ProfileCount() override { return int32_t(ListProfiles().size()); }
  std::string ProfileName() override { return PlayerProfile().name; }
  bool CreateProfile(const std::string& name) override {
    const std::vector<std::string> known = ListProfiles();
    if (std::find(known.begin(), known.end(), name) != known.end()) return false;
    return PlayerProfile().CreateNew(name);
  }
  bool RunScript(const char* path, bool report) override { return Script().RunFile(path, report); }
  void StartMenuMusic() override {
    ListDecadeTracks();
    GameSound().PlayMusic("music_intro.wma");
  }
  void SetOrbitCamera(float x, float y, float z, float radius, float height, float turn) override {
    ::SetOrbitCamera(x, y, z, radius, height, turn, true);
  }
  void OrbitCameraMode() override { CamSetMode(kOrbitCameraMode); }
  void SaveCamera() override { saved_ = g_CameraState; }
  void RestoreCamera() override { g_CameraState = saved_; }
  // The menu's idle fly-by and the credits: a cut scene over the city; its
  // end (a skip key or click, the credits' end) brings the menu back.
  void PlayCutScene(const char* name) override {
    ::PlayCutScene(name);
    flyby_ = true;
  }
  void RequestCutSceneCredits() override { CutScene().RequestCredits(true); }
  void Quit() override {
    RunState().quit = true;
    if (CPCSoundManager* sound = SoundManager()) sound->StopEverything();
  }
  bool StartLevel(const TokenRows& rows) override {
    const ScenarioEntry* entry = ScenarioManager().Current();
    const LevelEntry* level = entry ? FindKnownLevel(entry->id) : nullptr;
    if (level == nullptr) return false;
    CPlayerTable& players = PlayerTable();
    players.ClearPlayerSetupRows();
    for (int32_t n = 0; n < kSetupRows; ++n) {
      const TokenRow& row = rows[size_t(n)];
      if (row.kind == -1) continue;
      PlayerSetupRow& r = players.SetupRow(n);
      r = PlayerSetupRow{};
      r.kind = row.kind == 0 ? kPlayerHuman : kPlayerComputer;
      r.character = row.token;
      r.difficulty = row.option;
      std::strncpy(r.name, row.name.c_str(), sizeof r.name - 1);
    }
    TheGame().NewGame(level);
    return RunState().gameRunning;
  }
  bool StartSetUpLevel() override {
    const ScenarioEntry* entry = ScenarioManager().Current();
    const LevelEntry* level = entry ? FindKnownLevel(entry->id) : nullptr;
    if (level == nullptr) return false;
    TheGame().NewGame(level);
    return RunState().gameRunning;
  }
  void EndGame() override { TheGame().EndGame(false, 0); }
  bool SaveGame(const std::string& file) override { return TheGame().Save(file); }
  bool LoadGame(const std::string& file) override {
    if (!TheGame().Load(file)) return false;
    // The loaded game shows its city and its panels; the menus close.
    for (CPanel* p : FrontEndScreens().Panels()) p->Close();
    ::SetScreenMode(kScreenCity);
    return true;
  }
  std::string Text(int32_t id) override {
    std::string out;
    if (!InterfaceTextSystem().GetTextAscii(out, id)) return {};
    return out;
  }
  // FindLevel(id).targets[difficulty + 1] of the levels table, when the
  // front end's script has loaded it.
  int32_t LevelTarget(int32_t id, int32_t difficulty) override {
    lua_State* state = Script().State();
    if (state == nullptr) return 0;
    const int top = lua_gettop(state);
    int32_t target = 0;
    if (lua_getglobal(state, "FindLevel") == LUA_TFUNCTION) {
      lua_pushinteger(state, id);
      if (Script().Call(1, 1) && lua_istable(state, -1) && lua_getfield(state, -1, "targets") == LUA_TTABLE &&
          lua_rawgeti(state, -1, difficulty + 1) == LUA_TNUMBER)
        target = int32_t(lua_tointeger(state, -1));
    }
    lua_settop(state, top);
    return target;
  }
  int32_t RememberedToken() override { return PlayerProfile().PreferredCharacter; }
  void RememberToken(int32_t token) override { PlayerProfile().PreferredCharacter = token; }

  bool flyby_ = false;

 private:
  CameraState saved_{};
};

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

GameFrontEndServices& FrontEndGameServices() {
  static GameFrontEndServices services;
  return services;
}

bool AnyPageOpen() {
  for (CPanel* p : FrontEndScreens().Panels())
    if (p->open) return true;
  return false;
}

}  // namespace

void LoadFrontEnd() {
  std::vector<LayoutModel> models;
  LoadLayoutModels(std::span<const char* const>(kFrontEndLayoutFiles, size_t(kPageBlank)), models);
  FrontEndScreens().SetLayoutModels(std::move(models));
}

void AttachFrontEnd() {
  FrontEndScreens().SetServices(&FrontEndGameServices());
  static GameFrontEndNetwork network;
  SetFrontEndNetwork(&network);
  InterfaceTaskHooks().enterFrontEnd = [] {
    if (!FrontEndBypassed()) EnterFrontEnd();
  };
  InterfaceTaskHooks().frontEndPanelInWay = [] { return AnyPageOpen(); };
  // The view panel's results button.
  PanelGameLinks().showResults = [] {
    if (!FrontEndBypassed() && RunState().gameRunning) ShowStatistics();
  };
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

void RunFrontEndInput() {
  GameFrontEndServices& s = FrontEndGameServices();
  if (s.flyby_ && !RunState().gameRunning) {
    // The cut scene shows the city view; the menus come back when it ends.
    if (CutScene().Running()) return;
    s.flyby_ = false;
    EnterFrontEnd();
  }
  // The screen mode shows one panel set: the menus' in mode 4.
  if (GetScreenMode() != kScreenMenu) return;
  FrontEndScreens().ProcessInput();
  RunState().pointerOverPanels = FrontEndScreens().IsMouseOverPanels() ? 1 : 0;
}

void DrawFrontEnd() {
  if (GetScreenMode() == kScreenMenu) FrontEndScreens().Draw();
}

void ReturnToMenusAfterGame(bool tutorial, bool finished, bool network) {
  if (FrontEndBypassed()) return;
  ReturnToFrontEnd(tutorial, finished, network);
}
