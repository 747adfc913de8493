#pragma once
// The game's start, main loop and shutdown; the pause reasons; the periodic
// tasks; the activation handlers; the game-time save chunk.
//
// The shell knows nothing of the subsystems built on it. Each one adds its
// part of the start, of the tasks, of every main-loop pass, of the new-game
// reset and of the shutdown to the step lists below (before RunGame runs);
// RunGame calls them at their places in the fixed order.
#include <cstdint>
#include <functional>
#include <span>

#include "engine/core/scheduler.h"

// Four counting pause reasons: 0 game or script, 1 inactive application and
// network waits, 2 and 3 pauses with an on-screen message (3 the pause
// switch). The simulation (scheduler group 2) stops while any is raised.
class CGamePauseState {
 public:
  static constexpr int kReasons = 4;
  static constexpr int32_t kSimulationGroup = 2;

  void AddReason(int index);
  void RemoveReason(int index);
  // Lowers the reason completely.
  void ClearReason(int index);
  int8_t Count(int index) const;
  bool Paused() const { return paused_; }
  bool AnyRaised() const;
  // Back to no reasons; the scheduler group is left as it is.
  void Reset();

 private:
  bool ValidIndex(int index) const;
  void ResumeIfClear();

  int8_t counters_[kReasons] = {};
  bool paused_ = false;
};

CGamePauseState& GamePauseState();
// The main loop's scheduler.
CScheduler& GameScheduler();

// Run state shared by the window procedure, the main loop and the tasks.
struct GameRunState {
  bool quit = false;            // the main loop ends when set
  bool drawingEnabled = false;  // frames are drawn only while set
  bool appActive = false;
  bool doubleClick = false;
  bool gameRunning = false;     // a game or level is in progress
  bool startupFinished = false;
  int32_t startMode = 0;        // 0 game, 1 none, 2 building editor
  bool cleanExit = true;        // cleared by the crash guard
  uint32_t interfaceTicks = 0;
  int32_t pointerOverPanels = 0;
  int32_t interfaceTask = -1;   // task indices in the scheduler
  int32_t logicTask = -1;
};
GameRunState& RunState();

// Six words saved as chunk 1024: two game-time words, two further time
// words, the screen mode and the view state.
struct GameTimeWords {
  int32_t gameTime[2] = {0, 0};
  int32_t timeWords[2] = {25, 0};  // the frame step first
  int32_t screenMode = 0;
  int32_t viewState = 1;
};
GameTimeWords& GameTime();
void SaveGameTimeChunk();
void LoadGameTimeChunk(std::span<const uint8_t> data);

// ---- Steps other subsystems add -------------------------------------------

// Where a start step runs within RunGame.
enum class StartPhase {
  BeforeRenderer,   // intro movie, engine systems
  AfterRenderer,    // the texture and model systems attached to the renderer
  AfterWindow,      // loading screen, assets, textures, fonts, sound, camera
  AfterScheduler,   // city and subsystem initialisers, sprite batches
  AfterPause,       // models, standard buildings, panels, scripts
  AfterParameters,  // the loading hold
  FirstScreen,      // profile, cursor, the first screen
  kCount
};
// Where a step of each main-loop pass runs.
enum class LoopPhase {
  AfterPump,       // fireworks
  AfterScheduler,  // sound listener, camera interpolation and the renderer's camera
  Draw,            // the frame
  kCount
};
// Where a shutdown step runs within ShutdownGame.
enum class ShutdownPhase {
  First,         // profile, network session
  AfterWindow,   // texture and model systems, memory reports
  Late,          // text system, sound
  kCount
};
// The four periodic tasks.
enum class GameTask { PanelRefresh, Hover, Interface, Logic, kCount };

using GameStep = std::function<void()>;
void AddStartStep(StartPhase phase, GameStep step);
void AddLoopStep(LoopPhase phase, GameStep step);
void AddShutdownStep(ShutdownPhase phase, GameStep step);
// Work of a periodic task, run in the order added each time the task is due.
void AddTaskStep(GameTask task, GameStep step);
// Parts of the new-game reset, in the order added.
void AddResetStep(GameStep step);
// Told of activation (true) and deactivation (sound, for instance).
void AddActivationStep(std::function<void(bool active)> step);
// True while a network session runs (deactivation then does not pause).
void SetNetworkGameQuery(std::function<bool()> query);
bool IsNetworkGameRunning();
void ClearGameSteps();

// ---- The game -------------------------------------------------------------

// Builds every system, runs the main loop until the quit flag is set and
// shuts down. The window must be creatable (see startup.h).
void RunGame();
// Closes everything RunGame opened, in order; safe to call more than once.
void ShutdownGame();
// The new-game reset (also the first step of a load).
void ResetGameState();
// Registers the four tasks with the scheduler (after CScheduler::Init).
void RegisterGameTasks();
// One pass of the main loop; false when the quit flag is set.
bool RunMainLoopPass();

void ActivateApp();
void DeactivateApp();

// The memory manager's activity log: StartMemoryReport opens "memreport.txt"
// in the game root and sends every log line there (reporting only, no fills);
// FinishMemoryReport writes the allocation, free-block and statistics reports
// and closes the file. RunGame and ShutdownGame call them when the MEMREPORT
// start-up option is set. False when the file cannot be created.
bool StartMemoryReport();
void FinishMemoryReport();
bool MemoryReportOpen();

// Hooks chunk 1024, the load sequence's reset and running steps, and the
// LOADGAME and SAVEGAME console commands.
void RegisterShellSaveHooks();
int LoadGameCommand(const char* rest);
int SaveGameCommand(const char* rest);
