#include "engine/core/scheduler.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/box_capture.h"
#include "engine/core/fpu_control.h"
#include "engine/core/profiler.h"
#include "engine/core/stopwatch.h"

namespace {

// Test time: the scheduler reads this counter instead of the system's.
uint32_t g_now = 0;
uint32_t TestClock() { return g_now; }

int g_calls[4];
std::vector<int> g_order;
void Task0() { ++g_calls[0], g_order.push_back(0); }
void Task1() { ++g_calls[1], g_order.push_back(1); }
void Task2() { ++g_calls[2], g_order.push_back(2); }
void Task3() { ++g_calls[3], g_order.push_back(3); }

class SchedulerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_now = 100000;
    std::fill(std::begin(g_calls), std::end(g_calls), 0);
    g_order.clear();
    scheduler.SetClock(TestClock);
    scheduler.Init();
  }
  void RunAfter(uint32_t ms, bool realTime = true) {
    g_now += ms;
    scheduler.Run(realTime);
  }
  CScheduler scheduler;
};

TEST_F(SchedulerTest, FortyFiveMillisecondsGiveOneLogicTick) {
  int32_t tick = scheduler.AddTask(25, Task0, 2, true);
  ASSERT_EQ(tick, 0);
  RunAfter(45);
  EXPECT_EQ(g_calls[0], 1);
  EXPECT_FLOAT_EQ(scheduler.Task(tick).accumulated, 5.0f);
  EXPECT_FLOAT_EQ(scheduler.Fraction(tick), 0.125f);

  // Nothing elapsed: no call, the fraction stands.
  RunAfter(0);
  EXPECT_EQ(g_calls[0], 1);
  EXPECT_FLOAT_EQ(scheduler.Fraction(tick), 0.125f);
}

TEST_F(SchedulerTest, TasksRunInIndexOrderWithinAStep) {
  scheduler.AddTask(50, Task0, 1, true);
  scheduler.AddTask(100, Task1, 1, true);  // period 10: twice per step
  RunAfter(20);
  EXPECT_EQ(g_order, (std::vector<int>{0, 1, 1}));
}

TEST_F(SchedulerTest, DisabledTaskAccumulatesNothingUntilEnabled) {
  int32_t task = scheduler.AddTask(50, Task0, 4, false);
  RunAfter(200);
  EXPECT_EQ(g_calls[0], 0);
  EXPECT_EQ(scheduler.Task(task).accumulated, 0.0f);
  scheduler.EnableTask(task);
  RunAfter(30);
  EXPECT_EQ(g_calls[0], 1);
  EXPECT_FLOAT_EQ(scheduler.Fraction(task), 0.5f);
}

TEST_F(SchedulerTest, GroupsAndRates) {
  int32_t a = scheduler.AddTask(50, Task0, 2 | 4, true);
  int32_t b = scheduler.AddTask(50, Task1, 8, true);
  scheduler.DisableGroup(4);
  EXPECT_EQ(scheduler.Task(a).enabled, 0);
  EXPECT_EQ(scheduler.Task(b).enabled, 1);
  scheduler.EnableGroup(2);
  EXPECT_EQ(scheduler.Task(a).enabled, 1);

  RunAfter(30);
  scheduler.SetTaskRate(b, 10);
  EXPECT_FLOAT_EQ(scheduler.Task(b).period, 100.0f);
  EXPECT_EQ(scheduler.Task(b).accumulated, 0.0f);
  EXPECT_EQ(scheduler.Task(b).procedure, &Task1);
  scheduler.ResetTaskTimes();
  EXPECT_EQ(scheduler.Task(a).accumulated, 0.0f);
}

TEST_F(SchedulerTest, FixedPaceCoversThirtyNineMillisecondsPerRun) {
  scheduler.SetFixedPace(true);
  scheduler.AddTask(50, Task0, 1, true);
  scheduler.AddTask(25, Task1, 1, true);
  for (int i = 0; i < 40; ++i) RunAfter(0, false);  // the clock does not matter
  EXPECT_EQ(g_calls[0], 78);
  EXPECT_EQ(g_calls[1], 39);
}

TEST_F(SchedulerTest, DefaultPaceFollowsTheClockButNeverExceedsOnePass) {
  scheduler.AddTask(50, Task0, 1, true);
  scheduler.AddTask(25, Task1, 1, true);
  // A slow machine: 100 ms per frame still gives 39 ms per pass.
  for (int i = 0; i < 40; ++i) RunAfter(100, false);
  EXPECT_EQ(g_calls[0], 78);
  EXPECT_EQ(g_calls[1], 39);
  EXPECT_EQ(scheduler.LastElapsed(), 39);

  // A fast machine: 10 ms frames give 10 ms each, not 39.
  std::fill(std::begin(g_calls), std::end(g_calls), 0);
  for (int i = 0; i < 100; ++i) RunAfter(10, false);
  EXPECT_EQ(g_calls[0], 50);
  EXPECT_EQ(g_calls[1], 25);
}

TEST_F(SchedulerTest, RealTimeCatchesUpInFull) {
  scheduler.AddTask(50, Task0, 1, true);
  RunAfter(1000, true);
  EXPECT_EQ(g_calls[0], 50);
  EXPECT_EQ(scheduler.LastElapsed(), 1000);
}

TEST_F(SchedulerTest, ResetClockDropsTheBacklog) {
  scheduler.AddTask(25, Task0, 1, true);
  g_now += 5000;
  scheduler.ResetClock();
  RunAfter(45);
  EXPECT_EQ(g_calls[0], 1);
  EXPECT_EQ(scheduler.LastElapsed(), 45);
}

TEST_F(SchedulerTest, TimeSkipReachesEveryEnabledTask) {
  scheduler.AddTask(1, Task0, 8, true);
  scheduler.AddTask(1, Task1, 2, true);  // not in the skip's group: still skipped
  scheduler.AddTask(1, Task2, 8, false);
  scheduler.SetTimeSkip(2.0f, 8);
  RunAfter(0);
  EXPECT_EQ(g_calls[0], 2);
  EXPECT_EQ(g_calls[1], 2);
  EXPECT_EQ(g_calls[2], 0);
  EXPECT_EQ(scheduler.LastElapsed(), 2000);
  RunAfter(0);  // the skip is used once
  EXPECT_EQ(g_calls[0], 2);

  // ApplyTimeSkip only feeds the group, without calling anything.
  scheduler.SetTimeSkip(0.5f, 2);
  scheduler.ApplyTimeSkip();
  EXPECT_EQ(scheduler.Task(0).accumulated, 0.0f);
  EXPECT_FLOAT_EQ(scheduler.Task(1).accumulated, 500.0f);
  RunAfter(0);
  EXPECT_EQ(g_calls[1], 2);

  // A negative skip never makes a negative step.
  scheduler.SetTimeSkip(-3.0f, 8);
  RunAfter(20);
  EXPECT_EQ(scheduler.LastElapsed(), 0);
}

TEST_F(SchedulerTest, ClockWrapAndBackwardsClock) {
  scheduler.AddTask(50, Task0, 1, true);
  g_now = 0xFFFFFFF0u;
  scheduler.ResetClock();
  RunAfter(0x30);  // wraps to 0x20
  EXPECT_EQ(scheduler.LastElapsed(), 0x30);
  EXPECT_EQ(g_calls[0], 2);

  g_now -= 1000;  // a counter that went backwards hands out nothing
  scheduler.Run(true);
  EXPECT_EQ(scheduler.LastElapsed(), 0);
  EXPECT_EQ(g_calls[0], 2);
}

TEST_F(SchedulerTest, RefusesAHundredAndFirstTaskAndBadRates) {
  BoxCapture boxes;
  for (int i = 0; i < CScheduler::kMaxTasks; ++i) ASSERT_EQ(scheduler.AddTask(1, Task0, 1, true), i);
  EXPECT_EQ(scheduler.AddTask(1, Task0, 1, true), -1);
  EXPECT_EQ(scheduler.TaskCount(), 100u);
  scheduler.Init();
  EXPECT_EQ(scheduler.AddTask(0, Task0, 1, true), -1);
  EXPECT_EQ(scheduler.AddTask(-5, Task0, 1, true), -1);
  EXPECT_EQ(scheduler.AddTask(1e9f, Task0, 1, true), -1);
  EXPECT_EQ(scheduler.TaskCount(), 0u);
  scheduler.EnableTask(3);  // no such task: warned, nothing touched
  EXPECT_EQ(boxes.boxes.size(), 5u);
}

TEST_F(SchedulerTest, MeasuresFramesPerSecond) {
  for (int i = 0; i < 20; ++i) RunAfter(25, false);
  EXPECT_FLOAT_EQ(scheduler.FramesPerSecond(), 40.0f);
}

TEST(SchedulerTaskRecord, InitAndAddTime) {
  std::fill(std::begin(g_calls), std::end(g_calls), 0);
  SchedulerTask task{};
  task.Init(10, Task3);
  EXPECT_EQ(task.enabled, 1);
  EXPECT_FLOAT_EQ(task.period, 100.0f);
  task.AddTime(250);
  EXPECT_EQ(g_calls[3], 2);
  EXPECT_FLOAT_EQ(task.accumulated, 50.0f);
  EXPECT_EQ(TimerTicksPerSecond(), 1000.0f);
}

// Restores round-to-nearest whatever a test leaves behind.
class FpuModesTest : public ::testing::Test {
 protected:
  void TearDown() override { FpuSetFullPrecision(); }
};

float Third() {
  volatile float one = 1.0f, three = 3.0f;
  return one / three;
}

TEST_F(FpuModesTest, SetAndGetModes) {
  FpuSetFullPrecision();
  int32_t precision = -1, rounding = -1;
  EXPECT_TRUE(FpuGetMode(precision, rounding));
  EXPECT_EQ(precision, 3);
  EXPECT_EQ(rounding, 0);
  EXPECT_EQ(std::bit_cast<uint32_t>(Third()), 0x3EAAAAABu);  // nearest rounds up here

  EXPECT_FALSE(FpuSetMode(1, 0));
  EXPECT_FALSE(FpuSetMode(4, 0));
  EXPECT_FALSE(FpuSetMode(3, 4));
  EXPECT_FALSE(FpuSetMode(-1, 0));
  FpuGetMode(precision, rounding);
  EXPECT_EQ(precision, 3);
  EXPECT_EQ(rounding, 0);

  ASSERT_TRUE(FpuSetMode(3, 1));
  FpuGetMode(precision, rounding);
  EXPECT_EQ(rounding, 1);
  EXPECT_EQ(std::bit_cast<uint32_t>(Third()), 0x3EAAAAAAu);  // the arithmetic really rounds down

  ASSERT_TRUE(FpuSetMode(2, 3));
  FpuGetMode(precision, rounding);
  EXPECT_EQ(precision, 2);
  EXPECT_EQ(rounding, 3);
  EXPECT_TRUE(DebugTrace("tick"));
}

TEST(Stopwatch, MeasuresWithoutItsOwnOverhead) {
  CStopwatch watch;
  watch.Calibrate();
  EXPECT_GE(watch.overhead, 0);
  watch.Start();
  volatile int sink = 0;
  for (int i = 0; i < 100000; ++i) sink = sink ^ i;
  watch.Stop();
  EXPECT_GT(watch.elapsed, 0);
}

class ProfilerTest : public ::testing::Test {
 protected:
  static uint32_t Clock() { return g_now; }
  void SetUp() override {
    g_now = 0;
    path = ::testing::TempDir() + "profile_test.txt";
    profiler.SetClock(Clock);
  }
  std::string Report() {
    profiler.Stop();
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string path;
  CProfiler profiler;
};

TEST_F(ProfilerTest, ReportsOwnSharesOnceASecond) {
  ASSERT_TRUE(profiler.Start(path.c_str()));
  for (int frame = 0; frame < 2; ++frame) {
    profiler.BeginFrame();
    profiler.BeginSection("outer");
    g_now += 100;
    profiler.BeginSection("inner");
    g_now += 100;
    EXPECT_TRUE(profiler.EndSection("inner"));
    g_now += 100;
    EXPECT_TRUE(profiler.EndSection("outer"));
    g_now += 200;  // 500 ms frames
    profiler.EndFrame();
  }
  std::string text = Report();
  EXPECT_EQ(text,
            "\n=====================================\n"
            " avg      count\n"
            "=====================================\n"
            "Frame: 2\n"
            " 40.00   0001 : outer\n"
            " 20.00   0001 : -inner\n");
}

TEST_F(ProfilerTest, MismatchedEndsAndFullTableAreRefused) {
  profiler.BeginFrame();
  EXPECT_FALSE(profiler.EndSection("never"));
  ASSERT_TRUE(profiler.BeginSection("a"));
  EXPECT_FALSE(profiler.EndSection("b"));
  EXPECT_TRUE(profiler.EndSection("a"));

  // Names that share a home slot still get slots of their own, up to 53.
  int accepted = 0;
  for (int i = 0; i < 60; ++i) {
    std::string name = "section" + std::to_string(i);
    if (profiler.BeginSection(name.c_str())) {
      ++accepted;
      profiler.EndSection(name.c_str());
    }
  }
  EXPECT_EQ(accepted, CProfiler::kSlots - 1);
  EXPECT_EQ(CProfiler::HashSlot("a"), 97u % 53u);
  EXPECT_EQ(CProfiler::HashSlot("ab"), (97u ^ (98u << 5)) % 53u);
}

}  // namespace
