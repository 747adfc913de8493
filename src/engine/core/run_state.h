#pragma once
// Program-wide run state shared by the window procedure, the main loop, the
// game root and the simulation: the main loop's scheduler, the four counting
// pause reasons that stop its simulation group, and the run flags.
#include <cstdint>

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
