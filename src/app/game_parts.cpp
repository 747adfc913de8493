#include "app/game_parts.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "app/game.h"
#include "ai/computer_player.h"
#include "ai/planned_businesses.h"
#include "app/network_game.h"
#include "frontend/network_pages.h"
#include "city/animated_scenery.h"
#include "city/city_entities.h"
#include "city/people.h"
#include "panels/selection_info_panel.h"
#include "city/traffic.h"
#include "shell/asset_groups.h"
#include "engine/scene/asset_table.h"
#include "city/city_services.h"
#include "engine/core/command_script.h"
#include "engine/core/error.h"
#include "engine/core/run_state.h"
#include "engine/core/system_settings.h"
#include "engine/files/entity_file.h"
#include "engine/files/image32.h"
#include "engine/input/camera_controller.h"
#include "engine/input/input_device.h"
#include "engine/render/fullscreen_image.h"
#include "engine/render/loading_screen.h"
#include "engine/render/renderer.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "platform/headless.h"
#include "platform/input.h"
#include "script/level_scripts.h"
#include "script/profiles.h"
#include "script/script.h"
#include "script/script_session.h"
#include "session/auction.h"
#include "session/game_clock.h"
#include "session/player.h"
#include "session/session_state.h"
#include "visuals/scene/city_effects.h"
#include "visuals/overlay/cut_scene.h"
#include "shell/startup.h"
#include "sound/game_sound.h"
#include "visuals/scene/auction_room.h"
#include "city/blocks.h"
#include "city/business.h"
#include "city/business_types.h"
#include "ui/hover_info.h"
#include "ui/interface_assets.h"
#include "ui/ui_services.h"
#include "engine/files/text_bank.h"
#include "visuals/camera/city_picking.h"
#include "visuals/scene/scene_passes.h"
#include "visuals/architect/building_visuals.h"
#include "visuals/scene/draw_distances.h"
#include "visuals/camera/game_camera.h"
#include "visuals/scene/night_windows.h"
#include "engine/core/overrides.h"

namespace {

constexpr int32_t kCameraRate = 50;
constexpr int32_t kComputerSlotText = 1756;  // "Computer", a computer player's name before its number
constexpr int32_t kBlackPageSize = 64;
constexpr uint32_t kOpaqueBlack = 0xFF000000;
constexpr int32_t kFreePlayId = 400002;  // the sandbox
constexpr const char* kDefaultLevelHub = "scripts\\default\\hub.lua";

std::unique_ptr<CInputDeviceMessages>& InputMessages() {
  static std::unique_ptr<CInputDeviceMessages> messages;
  return messages;
}


class GameSessionServices : public ScriptSessionServices {
 public:
  // A lost session or the lobby's end: the game ends on this machine.
  void EndNetworkGame() override {
    LeaveNetworkLobby();
    if (RunState().gameRunning) TheGame().EndGame(false, 0);  // closes the session too
    TheNetworkGame().End();
  }
  // The lobby's messages reach the front end's lobby page.
  void LobbySetup(const LobbySetupMsg& m) override { LobbyTakeSetup(m); }
  void LobbySlot(const LobbySlotMsg& m) override { LobbyTakeSlot(m); }
  void CycleTokenAndSend(int32_t slot, int32_t step) override { LobbyCycleTokenAndSend(slot, step); }
  void LoadAiCharacterScripts() override { LoadComputerPlayerCharacters(true); }
  bool CutSceneRunning() const override { return CutScene().Running(); }
  // The computer players: the single-player machine or the host runs them.
  CPlayer* CreateComputerPlayer(int32_t characterRow) override { return ::CreateComputerPlayer(characterRow); }
  void RunAiTick() override { ::RunAiTick(); }
  void RunAiHourlyUpdate() override { ::RunAiHourlyUpdate(); }
  void RunAiDayRollover() override { ::RunAiDayRollover(); }
  void SyncOwnershipLists(CPlayer& player) override {
    if (CPlayerAI* ai = AsComputerPlayer(&player)) ai->SyncOwnershipLists();
  }
  void ResumeComputerPlayer(CPlayer& player) override {
    if (CPlayerAI* ai = AsComputerPlayer(&player)) ai->Resume();
  }
  void SetComputerDifficulty(CPlayer& player, int32_t difficulty) override {
    if (CPlayerAI* ai = AsComputerPlayer(&player)) ai->SetDifficulty(difficulty == 0 || difficulty == 1 ? difficulty : 2);
  }
  void ResetAiCharacters() override { ResetAllAiCharacters(); }
};
// Every method the game needs has its own body here (checked when built).
RC_OVERRIDES(GameSessionServices, SessionGameServices, CutSceneRunning);
RC_OVERRIDES(GameSessionServices, SessionGameServices, CatchEvent);
RC_OVERRIDES(GameSessionServices, SessionGameServices, TriggerEvent);
RC_OVERRIDES(GameSessionServices, SessionGameServices, TickScriptTimers);
RC_OVERRIDES(GameSessionServices, SessionGameServices, RunScriptFile);
RC_OVERRIDES(GameSessionServices, SessionGameServices, CreateComputerPlayer);
RC_OVERRIDES(GameSessionServices, SessionGameServices, RunAiTick);
RC_OVERRIDES(GameSessionServices, SessionGameServices, RunAiHourlyUpdate);
RC_OVERRIDES(GameSessionServices, SessionGameServices, RunAiDayRollover);
RC_OVERRIDES(GameSessionServices, SessionGameServices, SyncOwnershipLists);
RC_OVERRIDES(GameSessionServices, SessionGameServices, ResumeComputerPlayer);
RC_OVERRIDES(GameSessionServices, SessionGameServices, SetComputerDifficulty);
RC_OVERRIDES(GameSessionServices, SessionGameServices, LoadAiCharacterScripts);
RC_OVERRIDES(GameSessionServices, SessionGameServices, ResetAiCharacters);
RC_OVERRIDES(GameSessionServices, SessionGameServices, LobbySetup);
RC_OVERRIDES(GameSessionServices, SessionGameServices, LobbySlot);
RC_OVERRIDES(GameSessionServices, SessionGameServices, CycleTokenAndSend);
RC_OVERRIDES(GameSessionServices, SessionGameServices, EndNetworkGame);

}  // namespace

// ---- Engine systems ----------------------------------------------------------

void CreateEngineSystems() {
  TexSysCreate();
  ModSysCreate();
  InitSqrtTable();
}

void AttachEngineSystems() {
  CRenderer* renderer = CurrentRenderer();
  if (renderer == nullptr) return;
  renderer->AttachTextureSystem(TheTextureSystem());
  renderer->AttachModelSet(TheModelSystem());
}

void BuildTexturePages() {
  CRenderer* renderer = CurrentRenderer();
  if (renderer == nullptr || TheTextureSystem() == nullptr) return;
  TexSysSetRendererCaps(renderer->GetTextureFormatHint());
  TexSysBuildPages();
  const int32_t slot = TexSysCreatePageTexture(kBlackPageSize);
  renderer->DownloadAllTexturePages();
  const CTexture* black = TexSysGetTexture(slot);
  if (black == nullptr || black->pixels == nullptr) return;
  Draw2DSetTarget(Image32{black->width, black->height, black->pixels});
  Draw2DFillRect(0, 0, black->width, black->height, kOpaqueBlack);
  renderer->DownloadTexturePage(black->pageIndex);
}

void PrepareModels() {
  if (CRenderer* renderer = CurrentRenderer()) renderer->PrepareAllModels();
}

void ReadGameParameterFiles() {
  ReadParameterFile("parameters\\parameter.prm");
  ReadParameterFile("parameters\\timetable.prm");
}

void DestroyEngineSystems() {
  ModSysDestroy();
  TexSysDestroy();
}

// ---- Input and camera -----------------------------------------------------------

// ---- Asset groups --------------------------------------------------------------

namespace {

VehicleModelBounds VehicleBoundsFromModel(int32_t modelIndex) {
  const ModelLodSet* set = ShelfModel(ModelShelf::Vehicles, modelIndex);
  const CModel* model = set ? ModSysGetModel(set->handles[0]) : nullptr;
  if (model == nullptr) return VehicleModelBounds{};
  // Vehicles face -z: the front is the least z.
  VehicleModelBounds b{-model->bounds.corners[0].z, -model->bounds.corners[0].z};
  for (const Vec3& c : model->bounds.corners) {
    b.Rear = std::min(b.Rear, -c.z);
    b.Front = std::max(b.Front, -c.z);
  }
  return b;
}

}  // namespace

void LoadGameAssetsForDrawing() {
  LoadGameAssets();
  SetVehicleModelSource([](int32_t i) { return ShelfModel(ModelShelf::Vehicles, i); });
  SetVehicleBoundsSource(VehicleBoundsFromModel);
  SetPersonModelSource([](int32_t i) { return ShelfModel(ModelShelf::People, i); });
}

void ForgetGameAssets() {
  ReleaseCityEntities();
  ReleasePathObjectEntities();  // they point into the shelves
  SetVehicleModelSource(nullptr);
  SetVehicleBoundsSource(nullptr);
  SetPersonModelSource(nullptr);
  ForgetLoadedAssets();
}

void CreateGameInputDevice() {
  CInputDevice* device = CreateInputDevice();
  if (device == nullptr) {
    ReportError(0, 0, "Unable to create the input device.");
    return;
  }
  InputMessages() = std::make_unique<CInputDeviceMessages>(device);
  platform::SetInputMessageSink(InputMessages().get());
}

void OpenInputDevices() {
  CInputDevice* device = TheInputDevice();
  if (device == nullptr) return;
  device->Create(nullptr);
  device->InitDevice(MainWindowHandle(), kInputMouse, false);
  device->InitDevice(MainWindowHandle(), kInputKeyboard, true);
}

void ReleaseInputDevices() {
  if (platform::GetInputMessageSink() == InputMessages().get()) platform::SetInputMessageSink(nullptr);
  InputMessages().reset();
  CInputDevice* device = TheInputDevice();
  if (device == nullptr) return;
  device->ReleaseDevice(kInputMouse);
  device->ReleaseDevice(kInputKeyboard);
  DestroyInputDevice(device);
  SetTheInputDevice(nullptr);
}

void SetInputCursorScales(float s1x, float s1y, float s2x, float s2y) {
  if (CInputDevice* device = TheInputDevice()) {
    device->SetCursorScale1(s1x, s1y);
    device->SetCursorScale2(s2x, s2y);
  }
}

void AcquireInput(bool active) {
  CInputDevice* device = TheInputDevice();
  if (device == nullptr) return;
  if (active) {
    device->Acquire(kInputMouse);
    device->Acquire(kInputKeyboard);
  } else {
    device->Unacquire(kInputMouse);
    device->Unacquire(kInputKeyboard);
  }
}

void PollInput() {
  CInputDevice* device = TheInputDevice();
  if (device == nullptr || !RunState().appActive) return;
  device->Poll(kInputMouse);
  device->Poll(kInputKeyboard);
}

void StartCamera() { CamInit(kCameraRate, g_RendererSettings.api == kApiTest ? kCamConstraintPlan : 0); }

void InterpolateCamera() {
  const int32_t task = RunState().interfaceTask;
  if (task < 0) return;
  CamInterpolate(GameScheduler().Fraction(task));
  CRenderer* renderer = CurrentRenderer();
  if (renderer == nullptr) return;
  const CameraState& c = g_CameraState;
  renderer->SetCameraPosition(c.drawnEye.x, c.drawnEye.y, c.drawnEye.z);
  renderer->SetCameraTarget(c.drawnLookAt.x, c.drawnLookAt.y, c.drawnLookAt.z);
  renderer->SetCameraUp(c.up.x, c.up.y, c.up.z);
}

void CopyCameraSettings() {
  GameCameraSettings& s = CameraSettings();
  const auto& profile = PlayerProfile();
  s.mouseSensitivity = profile.MouseSensitivity;
  s.inverseMouse = profile.InverseMouse != 0;
  s.autoRotate = profile.AutoRotateCamera != 0;
  s.performance = g_StartupOptions.performance;
}

void CopyGraphicsSettings() {
  const auto& profile = PlayerProfile();
  DetailChoice = std::clamp(profile.DetailLevel, 0, 2);
  CRenderer* renderer = CurrentRenderer();
  if (!renderer) return;
  // Only a change reaches the renderer: a new ramp is work for the device.
  const int32_t filtering = std::clamp(profile.FilteringLevel, 0, 1);
  const int32_t gamma = std::clamp(profile.GammaLevel, kGammaLevelMin, kGammaLevelMax);
  if (renderer->FilteringLevel() != filtering) renderer->SetFilteringLevel(filtering);
  if (renderer->GammaLevel() != gamma) renderer->SetGammaLevel(gamma);
}

namespace {

// The architect builds every building the city links; the night windows
// step with the logic ticks.
class GameVisualServices : public ArchitectVisualServices {
 public:
  void UpdateNightWindows() override { StepNightWindows(GameClock().hour, Session().shellGameMode); }
  void UpdateSmokeEmitters() override { ::UpdateSmokeEmitters(); }
  void StepPulsingLights() override { ::StepPulsingLights(); }
};
// Every method the game needs has its own body here (checked when built).
RC_OVERRIDES(GameVisualServices, CityVisualServices, UpdateNightWindows);
RC_OVERRIDES(GameVisualServices, CityVisualServices, UpdateSmokeEmitters);
RC_OVERRIDES(GameVisualServices, CityVisualServices, StepPulsingLights);
RC_OVERRIDES(GameVisualServices, CityVisualServices, SetUpBuildingVisual);
RC_OVERRIDES(GameVisualServices, CityVisualServices, ReleaseBuildingVisuals);
RC_OVERRIDES(GameVisualServices, CityVisualServices, RebuildSigns);
RC_OVERRIDES(GameVisualServices, CityVisualServices, StartDust);
RC_OVERRIDES(GameVisualServices, CityVisualServices, StopEffect);
RC_OVERRIDES(GameVisualServices, CityVisualServices, TintBlockLabel);

// What the tooltip shows of the object under the mouse: block names, the
// business of a building and its owner. People have no names yet.
class GameHoverWorld : public CHoverWorld {
 public:
  bool BuildingBusiness(int32_t buildingId, int32_t* typeNameText, int32_t* owner) override {
    const CBuilding* b = buildingId >= 0 && buildingId < kBuildingPoolSize ? &g_Buildings[size_t(buildingId)] : nullptr;
    const CBusiness* business = b && b->InUse ? GetBusiness(b->GetBusiness()) : nullptr;
    const BusinessType* type = business ? GetBusinessType(business->Type) : nullptr;
    if (!type) return false;
    *typeNameText = type->NameTextId;
    *owner = b->Owner;
    return true;
  }
  std::string PlayerName(int32_t owner) override {
    const CPlayer* p = PlayerTable().ByNumber(owner);
    return p ? std::string(p->name) : std::string();
  }
  bool PersonNameTexts(int32_t person, int32_t* first, int32_t* last) override {
    const CPerson* p = GetPerson(person);
    if (p == nullptr || !p->InUse) return false;
    ::PersonNameTexts(person, first, last);  // as the person page names them
    return true;
  }
  std::string BlockName(int32_t block) override {
    std::string name;
    if (block < 0 || block >= kBlockCount) return name;
    InterfaceTextSystem().GetTextAscii(name, g_BlockDefs[size_t(block)].NameTextId);
    return name;
  }
};

}  // namespace

// The object under the mouse (ten times a second) to the tooltip.
void ShowHoveredObject() {
  static GameHoverWorld world;
  HoverInfo().SetWorld(&world);
  if (const CEntity* hovered = HoveredObject())
    HoverInfo().SetPickedObject(hovered, g_HoveredBuilding ? g_HoveredBuilding->Id : -1, false);
  else
    HoverInfo().ClearPickedObject();
}

// The city's visual effects step with the logic ticks.
void InstallGameVisuals() {
  static GameVisualServices visuals;
  SetCityVisualServices(&visuals);
}

// ---- Loading screen ------------------------------------------------------------

void ShowLoadingScreen() {
  SetImageLanguage(g_StartupOptions.languageName);
  LoadingScreenStart(3100);
  if (TheTextureSystem()) TexSysSetProgressProc(LoadingScreenProgress);
  EntSetLoadProgressProc(LoadingScreenProgress);
}

// The screen stays up for its full time where someone can see it; headless
// nobody does, and the hold would only delay the game.
void HoldAndCloseLoadingScreen() {
  while (!platform::IsHeadless() && LoadingElapsed() < 11000 && !RunState().quit) {
    PumpMessages();
    LoadingScreenRefresh();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  CloseLoadingScreen();
}

void CloseLoadingScreen() {
  LoadingScreenFinish();
  if (TheTextureSystem()) TexSysSetProgressProc(nullptr);
  EntSetLoadProgressProc(nullptr);
}

// ---- Levels --------------------------------------------------------------------

void RegisterBuiltInLevels() {
  CScenarioManager& levels = ScenarioManager();
  levels.RegisterLevel(kFreePlayId, "Free play", "freeplay", "");
  levels.RegisterLevel(kNetworkFreePlayId, "Free play", "freeplay", "");
}

const LevelEntry* FindKnownLevel(int32_t id) { return ScenarioManager().FindById(id); }

const LevelEntry& FreePlayLevel() {
  if (FindKnownLevel(kFreePlayId) == nullptr) RegisterBuiltInLevels();
  return *FindKnownLevel(kFreePlayId);
}

const LevelEntry* CurrentLevelEntry() { return ScenarioManager().Current(); }

void SetCurrentLevelEntry(const LevelEntry* entry) { ScenarioManager().SetCurrent(entry); }

bool RunLevelScripts(const LevelEntry* level, bool startingCity) {
  if (level != nullptr) return startingCity ? StartLevelScripts(level->folder) : LoadLevelScripts(level->folder);
  // No level: the rules and economy every level shares, and no city of its own.
  return Script().Create() && Script().RunFile(kDefaultLevelHub, true);
}

void InstallGameSessionServices() {
  static GameSessionServices services;
  SetSessionGameServices(&services);
}

void FillLevelPlayerSetup(const LevelEntry& level) {
  CPlayerTable& players = PlayerTable();
  players.ClearPlayerSetupRows();
  // The level's players.lua (in the state at hand): its errors have been
  // reported, and a level without one is played alone.
  RunPlayerChoiceScripts(level.folder);
  const std::string_view name = PlayerProfile().name[0] ? PlayerProfile().name : "Player";
  for (int32_t row = 0; row < kMaxPlayers; ++row) {
    PlayerSetupRow& r = players.SetupRow(row);
    if (r.kind != kPlayerHuman) continue;
    std::fill(std::begin(r.name), std::end(r.name), '\0');
    name.copy(r.name, std::min(name.size(), sizeof r.name - 1));
    break;
  }
  FillDefaultPlayerSetup();
  SeatCommandLineComputers();
}

void LoadComputerPlayerCharacters(bool initialise) {
  bool any = false;
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot) any |= ComputerPlayer(slot) != nullptr;
  if (!any) return;
  const LevelEntry* level = CurrentLevelEntry();
  LoadAiCharacterScripts(level ? level->folder : std::string_view{}, Session().networkSession, initialise,
                         ScenarioManager().Difficulty());
  // The characters start from the city's counts as they stand.
  ForgetPlannedBusinesses();
}

void ResumeComputerPlayersAfterLoad() {
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot)
    if (CPlayerAI* ai = ComputerPlayer(slot)) ai->Resume();
  LoadComputerPlayerCharacters(false);
}

void FillDefaultPlayerSetup() {
  CPlayerTable& players = PlayerTable();
  for (int32_t row = 0; row < kMaxPlayers; ++row)
    if (players.SetupRow(row).kind != kPlayerEmpty) return;
  PlayerSetupRow& row = players.SetupRow(0);
  row = PlayerSetupRow{};
  row.kind = kPlayerHuman;
  row.character = PlayerProfile().PreferredCharacter;
  const std::string_view name = PlayerProfile().name[0] ? PlayerProfile().name : "Player";
  name.copy(row.name, std::min(name.size(), sizeof row.name - 1));
}

void SeatComputerPlayers(int32_t count) {
  CPlayerTable& table = PlayerTable();
  std::string label = "Computer";
  if (Ui().text) Ui().text->GetTextAscii(label, kComputerSlotText);
  int32_t seated = 0;
  for (int32_t slot = 0; slot < kMaxPlayers && seated < count; ++slot) {
    PlayerSetupRow& row = table.SetupRow(slot);
    if (row.kind != kPlayerEmpty) continue;
    const int32_t token = table.FreeSetupToken(-1);
    row = PlayerSetupRow{};
    row.kind = kPlayerComputer;
    row.character = token;
    row.difficulty = ScenarioManager().Difficulty();
    std::snprintf(row.name, sizeof row.name, "%s %d", label.c_str(), slot + 1);
    ++seated;
  }
}

void SeatCommandLineComputers() {
  if (g_StartupOptions.computers < 0) return;
  CPlayerTable& table = PlayerTable();
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot)
    if (table.SetupRow(slot).kind == kPlayerComputer) table.SetupRow(slot) = PlayerSetupRow{};
  SeatComputerPlayers(g_StartupOptions.computers);
}
