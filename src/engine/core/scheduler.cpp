#include "engine/core/scheduler.h"

#include <algorithm>
#include <cmath>

#include "engine/core/error.h"
#include "platform/clock.h"

namespace {

// Rates above one call per millisecond cannot be told apart by the clock, and
// tiny periods would never drain a step's time.
constexpr float kMaxRate = 1000.0f;
// A single run never hands out more than an hour (a huge time skip would
// otherwise stall the loop for good).
constexpr float kMaxRunMs = 3600000.0f;

bool ValidRate(float rate) { return std::isfinite(rate) && rate > 0.0f && rate <= kMaxRate; }

}  // namespace

float TimerTicksPerSecond() { return 1000.0f; }

void SchedulerTask::Init(float rate, TaskProcedure proc) {
  enabled = 1;
  period = TimerTicksPerSecond() / rate;
  accumulated = 0.0f;
  procedure = proc;
}

void SchedulerTask::AddTime(float ms) {
  accumulated += ms;
  while (accumulated >= period) {
    accumulated -= period;
    if (procedure) procedure();
  }
}

void CScheduler::SetClock(MillisecondClock clock) { m_clock = clock; }

void CScheduler::Init() {
  uint32_t now = m_clock ? m_clock() : platform::timeGetTime();
  m_currentTime = m_previousTime = m_fpsTime = now;
  m_taskCount = 0;
  m_frameCounter = 0;
  m_timeSkip = 0.0f;
  m_timeSkipGroup = 0;
  m_lastElapsed = 0;
}

int32_t CScheduler::AddTask(float ratePerSecond, TaskProcedure procedure, int32_t groupMask,
                            bool enabled) {
  if (m_taskCount >= uint32_t(kMaxTasks)) {
    ReportErrorF(1, "CScheduler::AddTask: no room for more than %d tasks.", kMaxTasks);
    return -1;
  }
  if (!ValidRate(ratePerSecond)) {
    ReportErrorF(1, "CScheduler::AddTask: invalid rate %g per second.", double(ratePerSecond));
    return -1;
  }
  int32_t index = int32_t(m_taskCount++);
  SchedulerTask& task = m_tasks[index];
  task.Init(ratePerSecond, procedure);
  task.groupMask = groupMask;
  task.enabled = enabled ? 1 : 0;
  m_fractions[index] = 0.0f;
  return index;
}

bool CScheduler::ValidIndex(int32_t index, const char* operation) const {
  if (index >= 0 && uint32_t(index) < m_taskCount) return true;
  ReportErrorF(1, "CScheduler::%s: invalid task index %d.", operation, index);
  return false;
}

void CScheduler::SetTaskRate(int32_t index, float ratePerSecond) {
  if (!ValidIndex(index, "SetTaskRate")) return;
  if (!ValidRate(ratePerSecond)) {
    ReportErrorF(1, "CScheduler::SetTaskRate: invalid rate %g per second.", double(ratePerSecond));
    return;
  }
  m_tasks[index].period = TimerTicksPerSecond() / ratePerSecond;
  m_tasks[index].accumulated = 0.0f;
}

void CScheduler::EnableTask(int32_t index) {
  if (ValidIndex(index, "EnableTask")) m_tasks[index].enabled = 1;
}

void CScheduler::DisableTask(int32_t index) {
  if (ValidIndex(index, "DisableTask")) m_tasks[index].enabled = 0;
}

void CScheduler::EnableGroup(int32_t mask) {
  for (uint32_t i = 0; i < m_taskCount; ++i)
    if (m_tasks[i].groupMask & mask) m_tasks[i].enabled = 1;
}

void CScheduler::DisableGroup(int32_t mask) {
  for (uint32_t i = 0; i < m_taskCount; ++i)
    if (m_tasks[i].groupMask & mask) m_tasks[i].enabled = 0;
}

void CScheduler::ResetTaskTimes() {
  for (uint32_t i = 0; i < m_taskCount; ++i) m_tasks[i].accumulated = 0.0f;
}

void CScheduler::ResetClock() {
  uint32_t now = m_clock ? m_clock() : platform::timeGetTime();
  m_previousTime = m_currentTime = now;
}

void CScheduler::SetTimeSkip(float seconds, int32_t groupMask) {
  m_timeSkip = std::isfinite(seconds) ? seconds : 0.0f;
  m_timeSkipGroup = groupMask;
}

void CScheduler::ApplyTimeSkip() {
  float ms = std::clamp(1000.0f * m_timeSkip, 0.0f, kMaxRunMs);
  for (uint32_t i = 0; i < m_taskCount; ++i)
    if (m_tasks[i].groupMask & m_timeSkipGroup) m_tasks[i].accumulated += ms;
  m_timeSkip = 0.0f;
}

void CScheduler::UpdateTaskFractions() {
  for (uint32_t i = 0; i < m_taskCount; ++i)
    m_fractions[i] = m_tasks[i].accumulated / m_tasks[i].period;
}

void CScheduler::Step(float ms) {
  // The count is read afresh: a procedure may add tasks or re-initialise.
  for (uint32_t i = 0; i < m_taskCount; ++i)
    if (m_tasks[i].enabled) m_tasks[i].AddTime(ms);
}

void CScheduler::Run(bool realTime) {
  // Every mode reads the clock, so switching modes never produces a burst and
  // the frame rate is always measured honestly.
  m_previousTime = m_currentTime;
  m_currentTime = m_clock ? m_clock() : platform::timeGetTime();

  if (++m_frameCounter >= 20) {
    m_frameCounter = 0;
    uint32_t span = uint32_t(m_currentTime) - uint32_t(m_fpsTime);
    if (span != 0) m_framesPerSecond = 1000.0f * 20.0f / float(span);
    m_fpsTime = m_currentTime;
  }

  // Differences are taken on the wrapping 32-bit counter, so the wrap after
  // 49.7 days costs nothing; a counter that went backwards gives 0.
  uint32_t difference = uint32_t(m_currentTime) - uint32_t(m_previousTime);
  int32_t elapsed = difference > uint32_t(INT32_MAX) ? 0 : int32_t(difference);
  if (!realTime) elapsed = m_fixedPace ? kPassMs : std::min(elapsed, kPassMs);

  if (m_timeSkip != 0.0f) {
    float total = std::clamp(1000.0f * m_timeSkip + float(elapsed), 0.0f, kMaxRunMs);
    elapsed = int32_t(total);
    m_timeSkip = 0.0f;
  }
  m_lastElapsed = elapsed;

  int32_t steps = elapsed / kStepMs;
  int32_t remainder = elapsed - steps * kStepMs;
  for (int32_t s = 0; s < steps; ++s) Step(float(kStepMs));
  Step(float(remainder));

  UpdateTaskFractions();
}
