#pragma once
// The main loop's fixed-step clock. Once per pass the game calls
// CScheduler::Run, which hands the milliseconds since the previous pass to
// every periodic task in 20 ms steps and calls a task's procedure each time its
// accumulated time reaches its period.
#include <cstdint>

using TaskProcedure = void (*)();
// A millisecond counter that wraps at 2^32 (platform::timeGetTime by default).
using MillisecondClock = uint32_t (*)();

// Units of the millisecond counter per second; every rate/period conversion uses it.
float TimerTicksPerSecond();

struct SchedulerTask {
  uint8_t enabled;
  int32_t groupMask;
  float period;       // ms between calls: 1000 / rate
  float accumulated;  // ms received and not yet spent on calls
  TaskProcedure procedure;

  // Enabled, period 1000 / rate, nothing accumulated.
  void Init(float rate, TaskProcedure proc);
  // Adds ms, then calls the procedure once for every whole period accumulated.
  void AddTime(float ms);
};

class CScheduler {
 public:
  static constexpr int32_t kMaxTasks = 100;
  static constexpr int32_t kStepMs = 20;
  // The pace without real time: one run covers at most this much (39, not 40:
  // 1000 x 0.04 in single precision, truncated).
  static constexpr int32_t kPassMs = 39;

  // Where "now" comes from; tests drive time through their own counter.
  void SetClock(MillisecondClock clock);

  void Init();
  // Returns the new task's index, or -1 (with a warning) when the table is
  // full or the rate is not a positive number.
  int32_t AddTask(float ratePerSecond, TaskProcedure procedure, int32_t groupMask, bool enabled);
  void SetTaskRate(int32_t index, float ratePerSecond);
  void EnableTask(int32_t index);
  void DisableTask(int32_t index);
  void EnableGroup(int32_t mask);
  void DisableGroup(int32_t mask);
  void ResetTaskTimes();
  // The next run starts from now: no backlog of steps.
  void ResetClock();
  // The next run adds the seconds to its elapsed time (for every task).
  void SetTimeSkip(float seconds, int32_t groupMask);
  // Adds the pending skip to the tasks of the skip group and clears it.
  void ApplyTimeSkip();
  void UpdateTaskFractions();

  // One pass of the main loop. With realTime (the TIMEDLOGIC debug flag) the
  // tasks receive the measured time in full. Without it they receive the
  // measured time but never more than 39 ms, so a slow machine slows the game
  // down rather than catching up in bursts; SetFixedPace(true) makes every such
  // run cover exactly 39 ms whatever the clock says.
  void Run(bool realTime);
  void SetFixedPace(bool fixed) { m_fixedPace = fixed; }
  bool FixedPace() const { return m_fixedPace; }

  uint32_t TaskCount() const { return m_taskCount; }
  const SchedulerTask& Task(int32_t index) const { return m_tasks[index]; }
  // accumulated / period of the task after the last run.
  float Fraction(int32_t index) const { return m_fractions[index]; }
  float FramesPerSecond() const { return m_framesPerSecond; }
  // Milliseconds the last run handed to the tasks (after the pace rule and any
  // time skip).
  int32_t LastElapsed() const { return m_lastElapsed; }

 private:
  bool ValidIndex(int32_t index, const char* operation) const;
  void Step(float ms);

  int64_t m_previousTime = 0;
  int64_t m_currentTime = 0;
  int64_t m_fpsTime = 0;
  SchedulerTask m_tasks[kMaxTasks]{};
  float m_fractions[kMaxTasks]{};
  uint32_t m_taskCount = 0;
  float m_framesPerSecond = 0.0f;
  int32_t m_frameCounter = 0;
  float m_timeSkip = 0.0f;
  int32_t m_timeSkipGroup = 0;

  MillisecondClock m_clock = nullptr;
  bool m_fixedPace = false;
  int32_t m_lastElapsed = 0;
};
