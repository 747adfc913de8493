#include "app/game_wiring.h"

#include <algorithm>
#include <memory>

#include "city/animated_scenery.h"
#include "city/blocks.h"
#include "city/building_library.h"
#include "city/city_entities.h"
#include "city/city.h"
#include "city/city_map.h"
#include "city/economy.h"
#include "city/people.h"
#include "city/population_classes.h"
#include "city/traffic.h"
#include "app/interface_wiring.h"
#include "app/architect_wiring.h"
#include "app/level_wiring.h"
#include "app/sound_wiring.h"
#include "engine/scene/animation.h"
#include "engine/input/camera_controller.h"
#include "engine/render/d3d_renderer.h"
#include "engine/core/error.h"
#include "engine/files/image32.h"
#include "engine/input/input_device.h"
#include "engine/scene/model.h"
#include "engine/scene/particles.h"
#include "engine/core/random_streams_order.h"
#include "engine/render/renderer.h"
#include "engine/scene/texture.h"
#include "platform/input.h"
#include "session/session.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/stats_history.h"
#include "session/tick_driver.h"
#include "script/level_scripts.h"
#include "script/profiles.h"
#include "script/script.h"
#include "shell/event_record_commands.h"
#include "shell/game_level.h"
#include "engine/core/console.h"
#include "shell/game_loop.h"
#include "engine/files/save_game.h"
#include "shell/startup.h"
#include "sound/game_sound.h"
#include "engine/core/system_settings.h"
#include "session/game_clock.h"
#include "visuals/city_scene.h"
#include "visuals/frame_draw.h"
#include "visuals/game_camera.h"
#include "visuals/interface_task.h"
#include "visuals/night_windows.h"
#include "shell/asset_groups.h"
#include "visuals/shader_table.h"
#include "visuals/sky.h"

namespace {

constexpr int32_t kCameraRate = 50;
constexpr int32_t kNewGameCameraMode = 6;
constexpr int32_t kBlackPageSize = 64;
constexpr uint32_t kOpaqueBlack = 0xFF000000;

// The city's per-tick steps that live outside the session (particles, entity
// animations, traffic) on top of the world service the session installed;
// everything else goes to that one.
class GameWorldServices : public SessionWorldServices {
 public:
  void Wrap(SessionWorldServices* inner) { inner_ = inner; }

  void UpdateAnimatedScenery() override {
    inner_->UpdateAnimatedScenery();
    ::UpdateAnimatedScenery();
  }
  void UpdateNightWindows() override {
    inner_->UpdateNightWindows();
    StepNightWindows(GameClock().hour, Session().shellGameMode);  // presentation
  }
  void UpdatePeople() override { inner_->UpdatePeople(); }
  void UpdateParticles() override {
    inner_->UpdateParticles();
    ParticleManager().UpdateAll();
  }
  void UpdateTraffic() override {
    inner_->UpdateTraffic();
    ::UpdateTraffic();
  }
  void UpdateBlockAmbiencePositions() override {
    inner_->UpdateBlockAmbiencePositions();
    ::UpdateBlockAmbiencePositions();
  }
  void UpdateSmokeEmitters() override { inner_->UpdateSmokeEmitters(); }
  void StepPulsingLights() override { inner_->StepPulsingLights(); }
  void StepEntityAnimations() override {
    inner_->StepEntityAnimations();
    EntAnimStepAll();
  }
  void ScheduleSceneryForHour(int32_t hour) override {
    inner_->ScheduleSceneryForHour(hour);
    ::ScheduleSceneryForHour(hour);
  }
  void UpdateBusinessAvailabilityHourly() override { inner_->UpdateBusinessAvailabilityHourly(); }
  void UpdateBlockLeasesHourly() override { inner_->UpdateBlockLeasesHourly(); }
  void CloseBusinessDay() override { inner_->CloseBusinessDay(); }
  void SettleBusinessesDaily() override { inner_->SettleBusinessesDaily(); }
  void UpdatePeopleBlockMemoryDaily() override { inner_->UpdatePeopleBlockMemoryDaily(); }
  void UpdateHouseHuntDaily() override { inner_->UpdateHouseHuntDaily(); }
  void UpdateTrafficForDecade(int32_t decade) override {
    inner_->UpdateTrafficForDecade(decade);
    ::UpdateTrafficForDecade(decade);
  }
  int32_t PeopleChecksum() override { return inner_->PeopleChecksum(); }
  int32_t TrafficChecksum() override { return GetTrafficChecksum(); }

 private:
  SessionWorldServices* inner_ = nullptr;
};

GameWorldServices& WorldServices() {
  static GameWorldServices services;
  return services;
}

// ---- Texture and model systems -------------------------------------------------

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

// Packs what the loaders registered into pages and sends them to the
// renderer, with one page of its own: a 64 x 64 texture of opaque black.
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

void DestroyEngineSystems() {
  ModSysDestroy();
  TexSysDestroy();
}

// ---- Asset groups ------------------------------------------------------------

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

// Every model and texture set, behind the loading screen; traffic and people
// take their models from the table.
void LoadGameAssetsForDrawing() {
  LoadGameAssets();
  SetVehicleModelSource([](int32_t i) { return ShelfModel(ModelShelf::Vehicles, i); });
  SetVehicleBoundsSource(VehicleBoundsFromModel);
  SetPersonModelSource([](int32_t i) { return ShelfModel(ModelShelf::People, i); });
}

void ForgetGameAssets() {
  ReleaseCityEntities();
  SetVehicleModelSource(nullptr);
  SetVehicleBoundsSource(nullptr);
  SetPersonModelSource(nullptr);
  ClearShelves();
}

// Before the input device and the renderer's own steps, in the game start's
// order: systems, attachment, assets, texture pages, then (later) model
// preparation.
void WireEngineSystems() {
  AddStartStep(StartPhase::BeforeRenderer, CreateEngineSystems);
  AddStartStep(StartPhase::AfterRenderer, AttachEngineSystems);
  AddStartStep(StartPhase::AfterWindow, LoadGameAssetsForDrawing);
  AddStartStep(StartPhase::AfterWindow, BuildTexturePages);
  AddStartStep(StartPhase::AfterPause, PrepareModels);
  AddShutdownStep(ShutdownPhase::AfterWindow, ForgetGameAssets);
  AddShutdownStep(ShutdownPhase::AfterWindow, DestroyEngineSystems);
}

// ---- Input device and camera ---------------------------------------------------

std::unique_ptr<CInputDeviceMessages>& InputMessages() {
  static std::unique_ptr<CInputDeviceMessages> messages;
  return messages;
}

// The device object exists before the window, so the window's cursor scales
// reach it; its devices open once the window is up.
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

// Draws with the camera between its last two steps, by the interface task's
// progress towards the next.
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

// ---- Presentation -------------------------------------------------------------
// The frame draw, the sky, the game camera and the interface task's keys. The
// lines marked "presentation" elsewhere in this file belong with these.

// The camera modes read the player's settings and the renderer choice.
void CopyCameraSettings() {
  GameCameraSettings& s = CameraSettings();
  const auto& profile = PlayerProfile();
  s.mouseSensitivity = profile.MouseSensitivity;
  s.inverseMouse = profile.InverseMouse != 0;
  s.autoRotate = profile.AutoRotateCamera != 0;
  s.performance = g_StartupOptions.performance;
}

int LockCameraCommand(const char*) {
  ToggleCameraLock();
  return 0;
}

void WirePresentation() {
  RegisterCameraSaveHooks();
  SetConsoleCommandHandler("LOCKCAM", LockCameraCommand);
  SetFlybyEndedHandler([] { return Script().CatchEvent("FlybyEnded", 0); });
  AddStartStep(StartPhase::AfterRenderer, LoadPresentationTextures);
  AddStartStep(StartPhase::AfterWindow, RegisterGameCameraModes);
  AddStartStep(StartPhase::AfterScheduler, [] {
    BuildSkyGeometry();
    CreateSpriteBatches(CurrentRenderer(), 0);
  });
  AddResetStep([] {
    ResetCameraHeading();
    ResetStoredCamera();
    ResetScreenModes();
  });
  // Until the level scripts place the camera, a level opens on the stored
  // view over the city.
  AddLevelStartStep(LevelStartPhase::Running, [](const LevelEntry*) {
    SetScreenMode(kScreenCity);
    PutCameraHome();
  });
  AddLoadGameStep(LoadGamePhase::AfterLoad, [] {
    ResetRoadDecade();
    return true;
  });
  AddLoopStep(LoopPhase::Draw, RenderFrame);
  SetPaintHook(RenderFrame);
  AddShutdownStep(ShutdownPhase::First, [] {
    ReleaseBasicCityScene();
    DestroySpriteBatches();
  });
}

// ---- The city ------------------------------------------------------------------

// The city and its subsystems, at the game start's place for them (after
// the scheduler; the shell's load sequence is set up by then, so the
// session's load steps join it rather than being cleared with it).
void InitCitySubsystems() {
  InitCityModel();
  // A map that does not fit its tables has been reported; the game goes on
  // with what was built.
  StartCityStreets();
  EntAnimResetPool();
  ResetTraffic();
  RegisterTrafficSaveHooks();
  ResetPeopleTables();
  InstallPeopleServices();
  RegisterPeopleSaveHooks();
  InitEconomy();
  // The economy's part of the new-game reset comes before the session's.
  AddResetStep([] {
    ResetPreferences();
    ResetEconomyForNewGame();
  });
  InitSession();
  WorldServices().Wrap(Services().world);
  SetSessionWorldServices(&WorldServices());
  SetNetworkGameQuery([] { return Session().networkSession; });
  AddResetStep([] {
    ClearCity();
    EntAnimFinishAll();
    ResetPeople();
    ResetBlockStats(true);
    // Traffic saves nothing: a new or loaded game starts with empty streets.
    ResetTraffic();
    ClearStatsHistory();
    CamSetMode(kNewGameCameraMode);
    SetLogicSpeed(false);
  });
  WireLevels();
  // The city's look: block bases, signs and the scenery round it.
  CreateBlockEntities();
  CreateBlockSignEntities();
  CreateSceneryEntities();
}

void WireInputAndCamera() {
  SetCursorScaleHook(SetInputCursorScales);
  AddStartStep(StartPhase::BeforeRenderer, CreateGameInputDevice);
  AddStartStep(StartPhase::AfterWindow, [] { BuildShaderTable(CurrentRenderer()); });
  AddStartStep(StartPhase::AfterWindow, StartCamera);
  AddStartStep(StartPhase::AfterWindow, OpenInputDevices);
  AddActivationStep(AcquireInput);
  AddTaskStep(GameTask::Interface, PollInput);
  AddTaskStep(GameTask::Interface, CopyCameraSettings);  // presentation
  AddTaskStep(GameTask::Interface, RunInterfaceKeys);    // presentation
  AddTaskStep(GameTask::Interface, CamUpdate);
  AddLoopStep(LoopPhase::AfterScheduler, InterpolateCamera);
  AddShutdownStep(ShutdownPhase::Late, ReleaseInputDevices);
}

// ---- Scripts and the player profile ----------------------------------------------

void WireScripts() {
  InstallGameSessionServices();
  SetSaveProfileSource([] { return std::string(PlayerProfile().name); });
  SetHardwareCursorQuery([] { return PlayerProfile().HardwareCursor != 0; });
  // Errors in the scripts have been reported; the game goes on without them.
  AddStartStep(StartPhase::AfterPause, [] { RunGameStartScripts(); });
  AddStartStep(StartPhase::FirstScreen, [] { PlayerProfile().LoadLast(); });
  // Until the front end exists it is the first screen's choice.
  AddStartStep(StartPhase::FirstScreen, StartFreeGameUntilFrontEndExists);
  AddShutdownStep(ShutdownPhase::First, [] { PlayerProfile().Save(); });
  AddShutdownStep(ShutdownPhase::Late, [] { Script().Destroy(); });
}

void WireRenderers() {
  // The software renderer (API 2 and 3) is installed with its presenter by
  // the program's platform set-up.
  SetRendererFactory(kApiDirect3D, CreateD3DRenderer);
}

}  // namespace

void RegisterRandomStreams() {
  RegisterEngineRandomStreams();
  RegisterCityRandomStreams();
  RegisterScriptRandomStreams();
  RegisterVisualsRandomStreams();
  GameSound();  // the sound rules' stream (park sounds) comes last
}

void WireGame() {
  RegisterRandomStreams();
  AttachEventRecordCommands();
  WireEngineSystems();
  WireInputAndCamera();
  WireScripts();
  WireRenderers();
  WireSound();  // sound: to the Game root's outbox when it lands
  WireInterface();  // the interface toolkit and the HUD
  // After the assets, before the city: a missing or refused library has been
  // reported and the game goes on with plain boxes.
  AddStartStep(StartPhase::AfterWindow, [] { LoadGameBuildingLibrary(); });
  AddStartStep(StartPhase::AfterScheduler, InitCitySubsystems);
  WireArchitect();
  WirePresentation();
  AddShutdownStep(ShutdownPhase::Late, [] { ParticleManager().Reset(); });
}
