#include "app/game.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "ai/computer_player.h"
#include "app/cut_scene_wiring.h"
#include "app/event_record_commands.h"
#include "app/front_end_wiring.h"
#include "frontend/board_list.h"
#include "frontend/front_end.h"
#include "sound/sound_manager.h"
#include "app/game_parts.h"
#include "city/city_entities.h"
#include "app/interface_wiring.h"
#include "app/panel_commands.h"
#include "panels/hud_panels.h"
#include "panels/panel_events.h"
#include "app/menu_script_commands.h"
#include "app/network_game.h"
#include "app/seams.h"
#include "app/sound_wiring.h"
#include "city/building_library.h"
#include "city/city_map.h"
#include "engine/core/console.h"
#include "engine/core/play_warning.h"
#include "engine/core/debug_flags.h"
#include "engine/core/error.h"
#include "engine/core/fpu_control.h"
#include "engine/core/memory.h"
#include "engine/core/random_stream.h"
#include "engine/core/random_streams_order.h"
#include "engine/core/run_state.h"
#include "engine/core/system_settings.h"
#include "session/save_chunks.h"
#include "engine/input/camera_controller.h"
#include "engine/render/d3d_renderer.h"
#include "engine/render/renderer.h"
#include "engine/scene/particles.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "script/interface_bindings.h"
#include "script/level_scripts.h"
#include "script/profiles.h"
#include "script/script.h"
#include "script/script_bindings.h"
#include "app/interface_lock_bindings.h"
#include "app/card_commands.h"
#include "app/session_rule_commands.h"
#include "session/auction.h"
#include "session/chat_log.h"
#include "session/chance_cards.h"
#include "session/game_clock.h"
#include "session/game_events.h"
#include "session/goals.h"
#include "session/scenarios.h"
#include "session/player.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/simulation.h"
#include "session/tick_driver.h"
#include "shell/game_loop.h"
#include "sound/game_sound.h"
#include "ui/cursors.h"
#include "ui/game_panels.h"
#include "ui/interface_assets.h"
#include "city/city_services.h"
#include "visuals/scene/block_labels.h"
#include "visuals/architect/architect_assets.h"
#include "visuals/scene/auction_room.h"
#include "visuals/camera/city_picking.h"
#include "visuals/scene/scene_passes.h"
#include "visuals/scene/city_effects.h"
#include "visuals/architect/building_visuals.h"
#include "visuals/camera/camera_script_bindings.h"
#include "visuals/scene/city_scene.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/camera/game_camera.h"
#include "visuals/overlay/interface_task.h"
#include "visuals/scene/night_windows.h"
#include "visuals/scene/shader_table.h"
#include "visuals/scene/sky.h"

namespace {

constexpr uint32_t kGameHeapSize = 0x5000000;
constexpr int32_t kNewGameCameraMode = 6;
constexpr int32_t kScreenModeCity = 0;
constexpr int32_t kScreenModeFrontEnd = 4;
constexpr int kInactivePause = 1;
// Every machine of a network game plays the one city the session started:
// a load on the host would leave the clients in another game, and a load on
// a client would hold every machine waiting for it.
constexpr const char* kNoLoadInNetworkGame =
    "a network game plays on the city it started with; no saved game can be loaded into it";

int LoadGameCommand(const char* rest);
int SaveGameCommand(const char* rest);
// LOCKCAM [n]: 1 (or nothing) locks the view where it is, anything else unlocks.
int LockCameraCommand(const char* rest) {
  int32_t n = 1;
  ReadConsoleInt(rest, n);
  SetCameraLock(n == 1);
  return 0;
}
// AddToTracker: the selected city object joins the camera's tracker list.
int AddToTrackerCommand(const char*) {
  if (CEntity* selected = SelectedObject()) AddToCameraTracker(selected);
  return 0;
}
void EndGameFromScript(bool finished, int32_t outcome) { TheGame().EndGame(finished, outcome); }
SaveGameHeader CurrentGameHeader();

// The host's record of the snapshots that differed, both sides, for
// comparing afterwards (desync.log in the game folder). The tick driver
// reports a few a minute; past its size the log takes no more, so a client
// sending false snapshots cannot fill the disk.
constexpr std::uintmax_t kDesyncLogLimit = 256 * 1024;

void AppendDesyncLog(const DesyncEvent& e) {
  const std::string path = platform::ResolveNewGamePath("desync.log");
  std::error_code error;
  // Only a plain file: opening a pipe in its place would block the game.
  if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error)) return;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size + e.report.size() > kDesyncLogLimit) return;
  std::ofstream log(path, std::ios::app);
  log << e.report;
}

}  // namespace

Game& TheGame() {
  static Game game;
  return game;
}

void RegisterRandomStreams() {
  RegisterEngineRandomStreams();
  RegisterCityRandomStreams();
  RegisterSessionRandomStreams();
  RegisterScriptRandomStreams();
  RegisterVisualsRandomStreams();
  GameSound();  // the sound rules' stream (park sounds) comes last
}

// ---- Program start --------------------------------------------------------------

void AttachGameConsoleCommands() {
  SetConsoleCommandHandler("LOADGAME", LoadGameCommand);
  SetConsoleCommandHandler("SAVEGAME", SaveGameCommand);
  SetConsoleCommandHandler("LOCKCAM", LockCameraCommand);
  SetConsoleCommandHandler("AddToTracker", AddToTrackerCommand);
  AttachEventRecordCommands();
  AttachSessionRuleCommands();
  AttachComputerPlayerCommands();
  AttachCardCommands();
  AttachPanelCommands();
  AttachMenuScriptCommands();
}

void Game::Prepare() {
  RegisterRandomStreams();
  AttachGameConsoleCommands();
  // config.cfg's and the parameter files' game commands wait for the first
  // screen (StartFirstScreen).
  HoldGameConsoleCommands();
  AttachSound();
  AttachInterface();
  AttachCutScenes();
  AttachFrontEnd();
  // The software renderer (API 2 and 3) is installed with its presenter by
  // the program's platform set-up.
  SetRendererFactory(kApiDirect3D, CreateD3DRenderer);
}

void Game::Run() {
  // The input device lives in the game's heap, its buffers outside it: a
  // fatal error (a renderer that cannot open) gives it back before the exit
  // takes the heap away.
  const FatalCleanup releaseInput(ReleaseInputDevices);
  Start();
  RunMainLoop(*this);
  Shutdown();
}

void Game::Start() {
  GameRunState& run = RunState();
  running_ = true;
  run.startupFinished = false;
  EndGameWord() = 0;
  g_StartupOptions.fullInstall = platform::ReadSetting(platform::kSettingSetup, "") != "Min";
  if (g_StartupOptions.memoryReport) StartMemoryReport();
  if (!MemoryManager().IsInitialised() && !MemoryManager().Init(kGameHeapSize, kGameHeapAlignment))
    ReportError(0, 0, "Unable to create the game's memory heap.");
  ReportMissingFolders();

  // A close asked for while the game loads (the window's, SIGTERM) is
  // honoured between the loading steps, from the first on: the start ends
  // there, and the main loop and Shutdown follow with what stands. On a busy
  // machine a huge screen takes seconds for each of the first steps.
  //
  // The intro movie, then the renderer and the window with the engine's
  // systems and the interface's assets on them.
  if (introMovie_) introMovie_();
  if (CloseAskedWhileLoading()) return;
  CreateEngineSystems();
  CreateGameInputDevice();
  CreateRenderer(g_RendererSettings);
  ConfigureRendererForGame();
  AttachEngineSystems();
  for (void (*step)() : {LoadInterface, LoadFrontEnd, LoadPresentationTextures, LoadCutSceneAssets}) {
    if (CloseAskedWhileLoading()) return;
    step();
  }
  ShowMainWindow();
  RaiseMainWindow();
  PumpMessages();
  SetErrorOwnerWindow(MainWindowHandle());
  if (CloseAskedWhileLoading()) return;
  ShowLoadingScreen();
  if (CloseAskedWhileLoading()) return;
  LoadGameAssetsForDrawing();
  if (CloseAskedWhileLoading()) return;
  // The architect's textures before the texture pages are packed.
  LoadArchitectAssets();
  BuildTexturePages();
  if (CloseAskedWhileLoading()) return;
  BuildShaderTable(CurrentRenderer());
  StartCamera();
  OpenInputDevices();
  OpenSound();
  // After the assets, before the city: a missing or refused library has been
  // reported and the game goes on with plain boxes.
  LoadGameBuildingLibrary();
  if (CloseAskedWhileLoading()) return;
  RegisterGameCameraModes();

  // The main loop's tasks, then the simulation, paused until a game starts.
  GameScheduler().Init();
  GameScheduler().SetFixedPace(g_StartupOptions.fullSpeed);
  GameScheduler().AddTask(0.5f, PanelRefreshTask, 4, true);
  GameScheduler().AddTask(10.0f, HoverTask, 1, true);
  run.interfaceTask = GameScheduler().AddTask(50.0f, InterfaceTask, 1, true);
  run.logicTask = GameScheduler().AddTask(25.0f, LogicTask, 10, true);
  StartSimulation();
  BuildSkyGeometry();
  CreateSpriteBatches(CurrentRenderer(), 0);
  InitAuctionRoom();
  GamePauseState().AddReason(0);

  // Models, the HUD, the game-start scripts and the parameter files (which
  // may load a game), behind the loading screen.
  PrepareModels();
  PrepareTutorFigure();
  // The scaffold pieces (from the asset groups) and the utility and marina
  // blocks' standard buildings.
  LoadScaffoldPieces();
  BuildStandardBuildings();
  if (CloseAskedWhileLoading()) return;
  CreateHud();
  // Everything is attached: a seam nobody filled stops the start here.
  RequireSeams();
  // Errors in the scripts have been reported; the game goes on without them.
  RunStartupFiles();
  HoldAndCloseLoadingScreen();
  run.drawingEnabled = true;
  PumpMessages();

  GameScheduler().ResetClock();
  run.startupFinished = true;
  StartFirstScreen();
  FpuSetFullPrecision();
}

// The simulation and what the game root connects to it: the scripts' game
// services, the save file's profile folder and header, the scripts' end of
// the game.
void Game::StartSimulation() {
  InitSimulation();
  RegisterBuiltInLevels();
  RegisterInterfaceLockScriptFunctions();
  RegisterCameraScriptBindings();
  ConnectCutScenes();
  // Scripts may name only texts the loaded bank holds (once it is loaded).
  SetScriptTextIdCheck([](int32_t id) {
    const CTextSystem& text = InterfaceTextSystem();
    return text.StringCount() == 0 || !text.TextCodes(id).empty();
  });
  // The city's look: block bases, signs and the scenery round it.
  CreateBlockEntities();
  CreateBlockSignEntities();
  CreateSceneryEntities();
  RegisterCameraSaveHooks();
  RegisterFrontEndSaveHooks();
  InstallGameVisuals();
  InstallGameSessionServices();
  SetSaveProfileSource([] { return std::string(PlayerProfile().name); });
  SetSaveHeaderSource(CurrentGameHeader);
  SetScriptEndGameHandler(EndGameFromScript);
}

// The game-start scripts put up the rules and the city the fly-by shows, the
// front end's register the levels it offers; then the tuning (without the
// timetables nobody leaves the street to find a home, work or shop).
bool Game::RunStartupFiles() {
  const bool started = RunGameStartScripts();
  const bool frontEnd = RunFrontEndScripts();
  ReadGameParameterFiles();
  return started && frontEnd;
}

// The profile, then (unless a game has been loaded during start-up) the
// front end's title and main menu; a run that skips the menus (NOFRONTEND,
// headless runs) starts the free-play level as a quick game would, with the
// command line's COMPUTERS as rivals.
void Game::StartFirstScreen() {
  // The boards once; the profile then loads its own.
  ListBoards();
  PlayerProfile().LoadLast();
  ApplyCursorMode();
  CopyGraphicsSettings();
  // The levels are registered and the profile is loaded: a STARTLEVEL line
  // of config.cfg starts its game here, in place of the menus.
  RunHeldGameConsoleCommands();
  const GameRunState& run = RunState();
  if (run.gameRunning || run.quit) return;
  // HOST or JOIN without the menus: the level starts when the network game
  // is gathered (with the menus the session list takes them).
  if (g_StartupOptions.networkStart && FrontEndBypassed() && TheNetworkGame().Open(g_StartupOptions)) return;
  if (!FrontEndBypassed()) {
    OpenFrontEnd();
    return;
  }
  FillDefaultPlayerSetup();
  SeatCommandLineComputers();
  NewGame(&FreePlayLevel());
}

// ---- One frame ----------------------------------------------------------------------

void Game::Frame() {
  const uint32_t tick = LogicTick();
  GameScheduler().Run(g_DebugFlags.TIMEDLOGIC != 0);
  passMovedGameOn_ = LogicTick() != tick;
  InterpolateCamera();
  UpdateSoundListener();
  DrainGameEvents();
  DrainGameRequests();
  if (!RunState().drawingEnabled || !FrameWanted()) return;
  const uint32_t start = platform::timeGetTime();
  DrawFrame();
  lastDrawMs_ = platform::timeGetTime() - start;
}

// With a display every frame is drawn. Headless nobody sees the frames, and
// at full speed a pass is a logic tick: drawing each would cost more than
// the game itself. A few a second still show what would be drawn (the
// frame's counts, a screenshot), and never more than a fifth of the time
// goes to them (a slow build draws rarer); the simulation never reads what
// a frame did.
bool Game::FrameWanted() {
  constexpr uint32_t kHeadlessFrameMs = 250;
  if (!platform::IsHeadless()) return true;
  const uint32_t now = platform::timeGetTime();
  const uint32_t gap = std::max(kHeadlessFrameMs, 4 * lastDrawMs_);
  if (lastHeadlessDraw_ != 0 && now - lastHeadlessDraw_ < gap) return false;
  lastHeadlessDraw_ = now == 0 ? 1 : now;
  return true;
}

// What the simulation told this frame goes to sound (samples, their stop,
// the decade's music) and to the HUD's panels (prompts, player messages,
// goal results, ticker lines, the speed switch, money animations).
void Game::DrainGameEvents() {
  // A prompt's answer may tell more at once: drain those too.
  for (int round = 0; round < 4; ++round) {
    std::vector<GameEvent> events = TakeGameEvents();
    if (events.empty()) return;
    for (const GameEvent& event : events) {
      PlayGameEventSound(event);
      HandlePanelGameEvent(event);
      if (const auto* auction = std::get_if<AuctionEvent>(&event)) ShowAuctionEvent(*auction);
      if (const auto* desync = std::get_if<DesyncEvent>(&event)) AppendDesyncLog(*desync);
      if (const auto* prompt = std::get_if<ScriptPromptEvent>(&event)) ApplyScriptPromptControls(*prompt);
      PlayPresentationEvent(event);
    }
  }
}

void Game::DrainGameRequests() {
  for (const GameRequest& request : TakeGameRequests())
    std::visit([this](const auto& r) { Apply(r); }, request);
}

void Game::Apply(const StartLevelRequest& request) {
  const ScenarioEntry* entry = ScenarioManager().Current();
  const LevelEntry* level = entry ? FindKnownLevel(entry->id) : nullptr;
  if (level != nullptr) NewGame(level);
  if (!RunState().gameRunning) FrontEndScreens().Go(-1, request.reopenPage);
}

void Game::Apply(const EndGameRequest& request) { EndGame(request.finished, request.outcome); }

void Game::Apply(const SaveGameRequest& request) {
  WarningCapture warnings;
  const bool saved = Save(request.file);
  SaveGameAnswered(request.file, saved, warnings.Text());
}

void Game::Apply(const LoadGameRequest& request) {
  WarningCapture warnings;
  if (!Load(request.file)) return LoadGameFailed(request.file, warnings.Text());
  // The loaded game shows its city and its panels; the menus close.
  for (CPanel* p : FrontEndScreens().Panels()) p->Close();
  SetScreenMode(kScreenCity);
}

void Game::Apply(const QuitRequest&) {
  RunState().quit = true;
  if (CPCSoundManager* sound = SoundManager()) sound->StopEverything();
}

void Game::Apply(const FlybyRequest& request) { PlayMenuFlyby(request.credits); }

void Game::Apply(const MenuKeyRequest&) {
  if (!FrontEndBypassed()) PressMenuKey();
}

void Game::Apply(const ShowStatisticsRequest&) {
  if (!FrontEndBypassed() && RunState().gameRunning) ShowStatistics();
}

// The auction room's figures follow the auction: built when the room opens,
// a bid, a withdrawal and the winner's cheer, stopped when it closes.
void Game::ShowAuctionEvent(const AuctionEvent& e) {
  switch (e.kind) {
    case kAuctionRoomOpened: BuildAuctionRoomFigures(); break;
    case kAuctionBid: OnAuctionBid(e.player); break;
    case kAuctionPullOut: OnAuctionPullOut(e.player); break;
    case kAuctionStage:
      if (e.value == kStageSold) OnAuctionWinner(e.player);
      break;
    case kAuctionRoomClosed: CloseAuctionRoomFigures(); break;
    default: break;
  }
}

// The world (src/visuals), with the interface drawn by its overlay pass; the
// loading screen draws itself during the start.
void Game::DrawFrame() { RenderFrame(); }

// Twice a second: the pages of every panel set on screen (the HUD, the
// menus over a game, the auction room); a hidden set is refreshed when shown.
void Game::PanelRefreshTask() {
  if (GamePanels().shown) GamePanels().RefreshAll();
  if (GetScreenMode() == kScreenMenu) FrontEndScreens().RefreshAll();
  if (AuctionPanels().shown) AuctionPanels().RefreshAll();
}

// Ten times a second: the city under the mouse (hover, cursor, lot drag);
// the cursor requests age.
void Game::HoverTask() {
  RunPickTask();
  ShowHoveredObject();
  StepHoverPulse();
}

// Fifty times a second: the input devices, the camera, then the interface.
void Game::InterfaceTask() {
  ++RunState().interfaceTicks;
  ChatLog().Age();
  PollInput();
  StepMenuScript();
  CopyCameraSettings();
  CopyGraphicsSettings();
  RunInterfaceKeys();
  CamUpdate();
  StepPresentation();
  RunInterfaceTask();
  StepPanelCommands();
  RunFrontEndInput();
  RunPickClicks();
}

// Twenty-five times a second while the game is not paused.
void Game::LogicTask() {
  // Every logic tick starts from the same floating-point modes on every machine.
  FpuSetFullPrecision();
  RunLogicTicks();
}

// ---- The window -------------------------------------------------------------------

// Losing the focus pauses a single-player game; a network game runs on.
void Game::Activate(bool active) {
  AcquireInput(active);
  ActivateSound(active);
  if (Session().networkSession) return;
  CGamePauseState& pause = GamePauseState();
  if (!active && pause.Count(kInactivePause) <= 0) pause.AddReason(kInactivePause);
  if (active && pause.Count(kInactivePause) > 0) pause.RemoveReason(kInactivePause);
}

// A window uncovered during the start waits for the first frame: the
// frame's resources (shaders, the interface) are not all up before that.
void Game::Paint() {
  if (RunState().startupFinished && RunState().drawingEnabled) DrawFrame();
}

void Game::SetCursorScales(float s1x, float s1y, float s2x, float s2y) {
  SetInputCursorScales(s1x, s1y, s2x, s2y);
}

bool Game::HardwareCursor() const { return PlayerProfile().HardwareCursor != 0; }

// ---- New game, load, end ------------------------------------------------------------

// The one reset: every piece of game state back to its start, the network
// state included. A new game and a load begin with it, so a second game in
// one process starts as the first did, whatever the first left (a level
// after a network game, a load after a level). Tests call it too, never a
// list of their own: a piece missing here breaks the program and the tests
// alike. What the next game is to be (the level list, the lobby's set-up
// rows) is its input and stays; the program's own parts (assets, panels,
// the scripts' functions) stay until Shutdown.
void Game::Reset() {
  ResetPerFileReports();  // each game says once what its damaged files lack
  if (CRenderer* renderer = CurrentRenderer()) renderer->SetFieldOfView(53.0f);
  // Scripts: the old level's timers (its state is replaced by the level's).
  Script().ClearTimers();
  // Interface and camera: the HUD, and the menu pages that covered the old
  // game hold none of its pauses.
  ResetInterface();
  ForgetCoveredGame();
  CamReset();
  ResetGameCamera();
  ResetCameraHeading();
  ResetStoredCamera();
  ResetScreenModes();
  ResetPicking();
  SetEndSequenceTokens(kNoEndToken, kNoEndToken);
  // Simulation and session, the network state included.
  ResetSimulation();
  // The save file's words: no end requested, and no header of a game loaded
  // before; the difficulty is the next game's setting (the menus' choice or
  // the loaded header's) and stays.
  EndGameWord() = 0;
  SaveGameHeader header;
  header.difficulty = CurrentSaveHeader().difficulty;
  CurrentSaveHeader() = header;
  // Presentation: after the city's reset has removed its buildings; the
  // city's own props before the level's buildings take theirs.
  ResetBuildingVisuals();
  ResetPropInstances();
  ReleaseBlockLabels();  // built anew for the level's blocks on the next frame
  ResetPresentation();
  ResetGameSound();
  CamSetMode(kNewGameCameraMode);
  GameScheduler().ResetTaskTimes();
}

// A game started or loaded on an open network session is played on it: the
// session's own values are carried across the reset, which clears them.
void Game::ResetKeepingNetworkSession() {
  const SessionState before = Session();
  Reset();
  if (before.networkSession) CopyNetworkSession(before, Session());
}

void Game::NewGame(const LevelEntry* entry) {
  SetCurrentLevelEntry(entry);
  // Every machine of a network game draws the same numbers; a single player
  // gets a new game each time.
  const uint32_t ownSeed = newGameSeed_ ? *newGameSeed_ : static_cast<uint32_t>(std::time(nullptr));
  SeedRandomStreams(Session().networkSession ? static_cast<uint32_t>(Session().networkSeed) : ownSeed);
  ResetKeepingNetworkSession();
  GamePauseState().ClearReason(0);
  const LevelEntry* level = CurrentLevelEntry();
  // The starting decade's figures (rents, costs, ground rents) before the
  // level's scripts put up the city on them; the reset took the clock back to
  // the first decade, so a second game does not inherit the last one's.
  ReadDecadeParameterFiles(GameClock().decade);
  // Errors in the scripts have been reported; the level goes on without them.
  RunLevelScripts(level, true);
  PlayerTable().CreateSessionPlayers();
  GameTime().screenMode = kScreenModeCity;
  StartLevelSound();
  StartSimulationLevel();
  InitSmokeEmitters();
  InitPulsingLights();
  RunState().gameRunning = true;
  // Until the level scripts or the player place the camera, a level opens on
  // the stored view over the city, held still: the keys mode would swing it
  // round with every move of the pointer towards the panels.
  SetScreenMode(kScreenCity);
  PutCameraHome();
  CamSetMode(kNewGameCameraMode);
  StartSimulationRunning();
  OpenLevelPanels();
  GameScheduler().ResetClock();
  GameScheduler().ResetTaskTimes();
}

bool Game::Load(std::string_view name) {
  if (Session().networkSession) {
    ReportErrorF(1, "The saved game %.200s was not loaded: %s.", std::string(name).c_str(), kNoLoadInNetworkGame);
    return false;
  }
  // Everything is read and checked before the running game is touched.
  SaveGameFile file;
  if (!OpenSaveGame(name, file)) return false;
  const SaveGameHeader shown = CurrentSaveHeader();
  ApplySaveChunks(file, kChunkHeader);
  const int32_t id = CurrentSaveHeader().scenarioId;
  const LevelEntry* level = id != 0 ? FindKnownLevel(id) : nullptr;
  if (id != 0 && level == nullptr) {
    ReportErrorF(1, "The saved game's level %d is not known.", id);
    CurrentSaveHeader() = shown;
    return false;
  }
  ResetKeepingNetworkSession();
  SetCurrentLevelEntry(level);
  // The level's rules and economy, without its starting city: the saved
  // city is the one that runs. The scripts see the saved ticks.
  ApplySaveChunks(file, kChunkGameTime);
  RunLevelScripts(level, false);
  GameTime().screenMode = kScreenModeCity;
  FrontEndGameMode() = 0;  // a save without the mode's chunk
  ApplySaveChunks(file, kSaveAll);
  FinishSimulationLoad();
  StartLevelSound();
  ResumeComputerPlayersAfterLoad();
  InitSmokeEmitters();
  InitPulsingLights();
  ResetRoadDecade();
  RunState().gameRunning = true;
  GamePauseState().RemoveReason(0);
  OpenLevelPanels();
  return true;
}

bool Game::Save(std::string_view name) {
  // The recorder writes over its own names: a save there would be lost.
  if (!PlayerSaveName(name)) {
    ReportErrorF(1, "A save may not take the name %.200s.", std::string(name).c_str());
    return false;
  }
  return SaveGame(name);
}

void Game::EndGame(bool finished, int32_t outcome) {
  GameSound().Disable();
  // A won level opens the next one and counts as completed at this difficulty.
  if (finished && outcome == 1) {
    ScenarioManager().UnlockNextScenario();
    ScenarioManager().MarkCurrentCompleted();
  }
  StopSimulation();
  ResetPresentation();
  CGamePauseState& pause = GamePauseState();
  if (!pause.Paused()) pause.AddReason(0);
  // Through the city view to the front end's screen.
  GameTime().screenMode = kScreenModeFrontEnd;
  RunState().gameRunning = false;
  Session().inGame = false;
  // The session and its poll end with the game: the next game on this
  // machine is single player until a session is opened again.
  const bool network = Session().networkSession;
  TheNetworkGame().End();
  const bool tutorial = ScenarioManager().IsTutorialRunning();
  ClearSimulationAfterGame();
  Script().ClearTimers();
  PlayerProfile().Save();
  EndGameWord() = 0;
  // Back to the menus: the tutorial list after a tutorial, the statistics
  // after any other finished game, the session list after a network game
  // left unfinished.
  ReturnToMenusAfterGame(tutorial, finished, network);
  FrontEndGameMode() = 0;
}

// ---- Shutdown ------------------------------------------------------------------------

// The end of what StartSimulation began: the game state reset (which
// releases the buildings' models while the model system stands), then the
// city's entities, and the services and handlers it installed taken back.
void Game::ReleaseSimulation() {
  Reset();
  ReleaseCityEntities();
  SetCityVisualServices(nullptr);
  RestoreDefaultSessionServices();
  SetSaveProfileSource({});
  SetSaveHeaderSource({});
  SetScriptEndGameHandler(nullptr);
  SetScriptTextIdCheck(nullptr);
}

void Game::Shutdown() {
  if (!running_) return;
  running_ = false;
  TheNetworkGame().End();
  ReleaseSimulation();
  ReleaseHudPanelSets();
  ReleaseStandardBuildings();
  ReleaseArchitectAssets();
  // A start closed while it loaded has not read the profile yet: writing it
  // would put the defaults in place of the player's settings.
  if (RunState().startupFinished) PlayerProfile().Save();
  ReleaseBasicCityScene();
  ReleaseBlockLabels();
  ReleaseAuctionRoom();
  ReleaseStreetLightEntities();
  DestroySpriteBatches();
  DestroyMainWindow();
  ForgetGameAssets();
  DestroyEngineSystems();
  DestroySystemCursors();
  FinishMemoryReport();
  RunState().drawingEnabled = false;
  ReleaseInputDevices();
  Script().Destroy();
  CloseSound();
  ParticleManager().Reset();
  if (MemoryManager().IsInitialised()) MemoryManager().Shutdown();
  ReleaseInstanceMutex();
}

// ---- Console commands and the save header ----------------------------------------------

namespace {

int LoadGameCommand(const char* rest) {
  std::string name;
  if (!ReadConsoleWord(rest, name)) return 0;
  if (Session().networkSession)
    ConsolePrintF(kConsoleError, "Error. File %s could not be loaded: %s", name.c_str(), kNoLoadInNetworkGame);
  else if (TheGame().Load(name))
    ConsolePrintF(kConsoleReply, "File %s loaded successfully", name.c_str());
  else
    ConsolePrintF(kConsoleError, "Error. File %s could not be loaded", name.c_str());
  return 0;
}

int SaveGameCommand(const char* rest) {
  std::string name;
  if (!ReadConsoleWord(rest, name)) return 0;
  if (!PlayerSaveName(name))
    ConsolePrintF(kConsoleError, "Error. File %s could not be saved: a save may not take that name", name.c_str());
  else if (TheGame().Save(name))
    ConsolePrintF(kConsoleReply, "File %s saved successfully", name.c_str());
  else
    ConsolePrintF(kConsoleError, "Error. File %s could not be saved", name.c_str());
  return 0;
}

SaveGameHeader CurrentGameHeader() {
  SaveGameHeader header = CurrentSaveHeader();
  const LevelEntry* level = CurrentLevelEntry();
  header.scenarioId = level ? level->id : 0;
  header.year = GameClock().CalendarYear();
  if (const CPlayer* local = PlayerTable().Local()) header.money = local->money;
  return header;
}

}  // namespace
