#include "shell/game_loop.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <string>
#include <vector>

#include "engine/core/error.h"
#include "engine/core/fpu_control.h"
#include "engine/core/memory.h"
#include "engine/render/renderer.h"
#include "platform/headless.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "engine/core/command_script.h"
#include "engine/core/console.h"
#include "engine/core/debug_flags.h"
#include "engine/files/save_game.h"
#include "shell/startup.h"
#include "engine/core/system_settings.h"

namespace {

constexpr uint32_t kGameHeapSize = 0x5000000;
constexpr uint32_t kGameHeapAlignment = 16;
constexpr const char* kMemoryReportName = "memreport.txt";

struct GameSteps {
  std::vector<GameStep> start[int(StartPhase::kCount)];
  std::vector<GameStep> loop[int(LoopPhase::kCount)];
  std::vector<GameStep> shutdown[int(ShutdownPhase::kCount)];
  std::vector<GameStep> tasks[int(GameTask::kCount)];
  std::vector<GameStep> reset;
  std::vector<std::function<void(bool)>> activation;
  std::function<bool()> networkGame;
  bool running = false;  // between the start of RunGame and ShutdownGame
  std::FILE* memoryReport = nullptr;
};

GameSteps& Steps() {
  static GameSteps steps;
  return steps;
}

void RunList(const std::vector<GameStep>& list) {
  for (const GameStep& step : list) step();
}

void RunTask(GameTask task) { RunList(Steps().tasks[int(task)]); }

void RefreshPanelsTask() { RunTask(GameTask::PanelRefresh); }
void HoverTask() { RunTask(GameTask::Hover); }
void InterfaceTask() {
  ++RunState().interfaceTicks;
  RunTask(GameTask::Interface);
}
void RunLogicTicks() {
  // Every logic tick starts from the same floating-point modes on every machine.
  FpuSetFullPrecision();
  RunTask(GameTask::Logic);
}

}  // namespace

// ---- Pause reasons ----------------------------------------------------------

bool CGamePauseState::ValidIndex(int index) const {
  if (index >= 0 && index < kReasons) return true;
  ReportErrorF(1, "Invalid pause reason %d.", index);
  return false;
}

void CGamePauseState::AddReason(int index) {
  if (!ValidIndex(index) || counters_[index] == INT8_MAX) return;
  if (counters_[index]++ == 0 && !paused_) {
    GameScheduler().DisableGroup(kSimulationGroup);
    paused_ = true;
  }
}

void CGamePauseState::ResumeIfClear() {
  if (!AnyRaised() && paused_) {
    GameScheduler().EnableGroup(kSimulationGroup);
    paused_ = false;
  }
}

void CGamePauseState::RemoveReason(int index) {
  if (!ValidIndex(index)) return;
  if (counters_[index] > 0) --counters_[index];
  ResumeIfClear();
}

void CGamePauseState::ClearReason(int index) {
  if (!ValidIndex(index)) return;
  while (counters_[index] > 0) {
    --counters_[index];
    ResumeIfClear();
  }
}

int8_t CGamePauseState::Count(int index) const {
  return index >= 0 && index < kReasons ? counters_[index] : 0;
}

bool CGamePauseState::AnyRaised() const {
  for (int8_t c : counters_)
    if (c > 0) return true;
  return false;
}

void CGamePauseState::Reset() {
  std::memset(counters_, 0, sizeof counters_);
  paused_ = false;
}

CGamePauseState& GamePauseState() {
  static CGamePauseState state;
  return state;
}

CScheduler& GameScheduler() {
  static CScheduler scheduler;
  return scheduler;
}

GameRunState& RunState() {
  static GameRunState state;
  return state;
}

// ---- Step lists ---------------------------------------------------------------

void AddStartStep(StartPhase phase, GameStep step) {
  Steps().start[int(phase)].push_back(std::move(step));
}
void AddLoopStep(LoopPhase phase, GameStep step) {
  Steps().loop[int(phase)].push_back(std::move(step));
}
void AddShutdownStep(ShutdownPhase phase, GameStep step) {
  Steps().shutdown[int(phase)].push_back(std::move(step));
}
void AddTaskStep(GameTask task, GameStep step) {
  Steps().tasks[int(task)].push_back(std::move(step));
}
void AddResetStep(GameStep step) { Steps().reset.push_back(std::move(step)); }
void AddActivationStep(std::function<void(bool)> step) {
  Steps().activation.push_back(std::move(step));
}
void SetNetworkGameQuery(std::function<bool()> query) { Steps().networkGame = std::move(query); }

bool IsNetworkGameRunning() {
  auto& query = Steps().networkGame;
  return query && query();
}

void ClearGameSteps() {
  GameSteps& s = Steps();
  for (auto& l : s.start) l.clear();
  for (auto& l : s.loop) l.clear();
  for (auto& l : s.shutdown) l.clear();
  for (auto& l : s.tasks) l.clear();
  s.reset.clear();
  s.activation.clear();
  s.networkGame = nullptr;
}

// ---- Activation -------------------------------------------------------------

void DeactivateApp() {
  for (auto& step : Steps().activation) step(false);
  RunState().appActive = false;
  CGamePauseState& pause = GamePauseState();
  if (!IsNetworkGameRunning() && pause.Count(1) <= 0) pause.AddReason(1);
}

void ActivateApp() {
  for (auto& step : Steps().activation) step(true);
  RunState().drawingEnabled = true;
  RunState().appActive = true;
  CGamePauseState& pause = GamePauseState();
  if (!IsNetworkGameRunning() && pause.Count(1) > 0) pause.RemoveReason(1);
}

// ---- Memory report ----------------------------------------------------------

bool StartMemoryReport() {
  GameSteps& steps = Steps();
  if (steps.memoryReport) return true;
  steps.memoryReport = platform::OpenGameFile(kMemoryReportName, "w");
  if (!steps.memoryReport) {
    ReportErrorF(1, "Unable to create %s.", kMemoryReportName);
    return false;
  }
  CMemoryManager& memory = MemoryManager();
  memory.SetReportCallback([file = steps.memoryReport](const char* line) {
    std::fprintf(file, "%s\n", line);
  });
  memory.SetDebugFlags(CMemoryManager::kReportActivity);
  return true;
}

void FinishMemoryReport() {
  GameSteps& steps = Steps();
  if (!steps.memoryReport) return;
  CMemoryManager& memory = MemoryManager();
  memory.ReportAllocations();
  memory.ReportFreeBlocks();
  memory.ReportStats();
  memory.SetDebugFlags(0);
  memory.SetReportCallback({});
  std::fclose(steps.memoryReport);
  steps.memoryReport = nullptr;
}

bool MemoryReportOpen() { return Steps().memoryReport != nullptr; }

// ---- Game time chunk ----------------------------------------------------------

GameTimeWords& GameTime() {
  static GameTimeWords words;
  return words;
}

void SaveGameTimeChunk() {
  const GameTimeWords& t = GameTime();
  int32_t words[6] = {t.gameTime[0], t.gameTime[1], t.timeWords[0],
                      t.timeWords[1], t.screenMode,  t.viewState};
  WriteSaveChunk(kChunkGameTime, sizeof words, words);
}

void LoadGameTimeChunk(std::span<const uint8_t> data) {
  int32_t words[6] = {};
  std::memcpy(words, data.data(), std::min(data.size(), sizeof words));
  GameTimeWords& t = GameTime();
  t.gameTime[0] = words[0];
  t.gameTime[1] = words[1];
  t.timeWords[0] = words[2];
  t.timeWords[1] = words[3];
  t.screenMode = words[4];
  t.viewState = words[5];
}

// ---- New game reset ---------------------------------------------------------

void ResetGameState() {
  if (CRenderer* renderer = CurrentRenderer()) renderer->SetFieldOfView(53.0f);
  GameTimeWords& t = GameTime();
  t.viewState = 1;
  RunList(Steps().reset);
  GameScheduler().ResetTaskTimes();
  t.gameTime[0] = 0;
  t.gameTime[1] = 0;
  t.timeWords[0] = 25;
}

// ---- Start, loop, shutdown --------------------------------------------------

void RegisterGameTasks() {
  CScheduler& s = GameScheduler();
  GameRunState& run = RunState();
  s.AddTask(0.5f, RefreshPanelsTask, 4, true);
  s.AddTask(10.0f, HoverTask, 1, true);
  run.interfaceTask = s.AddTask(50.0f, InterfaceTask, 1, true);
  run.logicTask = s.AddTask(25.0f, RunLogicTicks, 10, true);
}

bool RunMainLoopPass() {
  GameRunState& run = RunState();
  if (run.quit) return false;
  PumpMessages();
  if (run.quit) return false;
  GameSteps& steps = Steps();
  RunList(steps.loop[int(LoopPhase::AfterPump)]);
  GameScheduler().Run(g_DebugFlags.TIMEDLOGIC != 0);
  RunList(steps.loop[int(LoopPhase::AfterScheduler)]);
  if (run.drawingEnabled) RunList(steps.loop[int(LoopPhase::Draw)]);
  // Nothing waits for a display here, so pace the passes like one.
  if (platform::IsHeadless()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return true;
}

namespace {

// The folders the game start reads from; without one the game runs on
// built-in values, which is said once here rather than never.
void ReportMissingFolders() {
  const std::string language = std::string("language\\") + g_StartupOptions.languageName;
  for (const std::string& folder : {std::string("parameters"), std::string("gamedata"), language}) {
    if (!platform::GameFileExists(folder))
      ReportErrorF(1, "The game folder has no %s folder; what it holds is missing from the game.", folder.c_str());
  }
}

}  // namespace

void RunGame() {
  GameRunState& run = RunState();
  GameSteps& steps = Steps();
  steps.running = true;
  run.startupFinished = false;
  EndGameWord() = 0;

  g_StartupOptions.fullInstall =
      platform::ReadSetting(platform::kSettingSetup, "") != "Min";
  if (g_StartupOptions.memoryReport) StartMemoryReport();
  if (!MemoryManager().IsInitialised() && !MemoryManager().Init(kGameHeapSize, kGameHeapAlignment))
    ReportError(0, 0, "Unable to create the game's memory heap.");
  ReportMissingFolders();

  RunList(steps.start[int(StartPhase::BeforeRenderer)]);
  CreateRenderer(g_RendererSettings);
  ConfigureRendererForGame();
  RunList(steps.start[int(StartPhase::AfterRenderer)]);
  ShowMainWindow();
  RaiseMainWindow();
  PumpMessages();
  SetErrorOwnerWindow(MainWindowHandle());
  RunList(steps.start[int(StartPhase::AfterWindow)]);

  GameScheduler().Init();
  RegisterGameTasks();
  RunList(steps.start[int(StartPhase::AfterScheduler)]);

  // The simulation stays paused until a game starts.
  GamePauseState().AddReason(0);
  RunList(steps.start[int(StartPhase::AfterPause)]);

  ReadParameterFile("parameters\\parameter.prm");
  ReadParameterFile("parameters\\timetable.prm");
  RunList(steps.start[int(StartPhase::AfterParameters)]);
  run.drawingEnabled = true;
  PumpMessages();

  GameScheduler().ResetClock();
  run.startupFinished = true;
  RunList(steps.start[int(StartPhase::FirstScreen)]);
  FpuSetFullPrecision();

  while (RunMainLoopPass()) {
  }
  ShutdownGame();
}

void ShutdownGame() {
  GameSteps& steps = Steps();
  if (!steps.running) return;
  steps.running = false;
  RunList(steps.shutdown[int(ShutdownPhase::First)]);
  DestroyMainWindow();
  RunList(steps.shutdown[int(ShutdownPhase::AfterWindow)]);
  FinishMemoryReport();
  RunState().drawingEnabled = false;
  RunList(steps.shutdown[int(ShutdownPhase::Late)]);
  if (MemoryManager().IsInitialised()) MemoryManager().Shutdown();
  ReleaseInstanceMutex();
}

// ---- Save hooks and console commands --------------------------------------------

void RegisterShellSaveHooks() {
  RegisterSaveHook(kSaveGameTime, SaveGameTimeChunk);
  RegisterLoadHook(kChunkGameTime, LoadGameTimeChunk, 24);
  ClearLoadGameSteps();
  AddLoadGameStep(LoadGamePhase::Reset, [] {
    ResetGameState();
    return true;
  });
  AddLoadGameStep(LoadGamePhase::AfterLoad, [] {
    RunState().gameRunning = true;
    GamePauseState().RemoveReason(0);
    return true;
  });
  SetConsoleCommandHandler("LOADGAME", LoadGameCommand);
  SetConsoleCommandHandler("SAVEGAME", SaveGameCommand);
}

int LoadGameCommand(const char* rest) {
  std::string name;
  if (!ReadConsoleWord(rest, name)) return 0;
  if (LoadGame(name))
    ConsolePrintF(kConsoleReply, "File %s loaded successfully", name.c_str());
  else
    ConsolePrintF(kConsoleError, "Error. File %s could not be loaded", name.c_str());
  return 0;
}

int SaveGameCommand(const char* rest) {
  std::string name;
  if (!ReadConsoleWord(rest, name)) return 0;
  if (SaveGame(name))
    ConsolePrintF(kConsoleReply, "File %s saved successfully", name.c_str());
  else
    ConsolePrintF(kConsoleError, "Error. File %s could not be saved", name.c_str());
  return 0;
}
