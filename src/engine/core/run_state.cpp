#include "engine/core/run_state.h"

#include <cstring>

#include "engine/core/error.h"

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
