#pragma once
// The game root run as the program runs it, with a test's own step before
// the main loop and after every frame, in a child process of the test.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/game.h"
#include "engine/core/run_state.h"
#include "engine/render/loading_screen.h"
#include "platform/clock.h"
#include "shell/game_loop.h"
#include "shell/startup.h"

class TestGameProgram : public ShellProgram {
 public:
  void Run() override {
    TheGame().Start();
    BeforeLoop();
    RunMainLoop(*this);
    TheGame().Shutdown();
  }
  void Frame() override {
    TheGame().Frame();
    if (!startMarked_ && RunState().gameRunning) {
      // The level runs: the parent's measure of this machine's speed.
      std::ofstream("started.txt") << "level running\n";
      startMarked_ = true;
    }
    AfterGameFrame();
  }
  void Shutdown() override { TheGame().Shutdown(); }
  void Activate(bool active) override { TheGame().Activate(active); }
  void Paint() override { TheGame().Paint(); }
  void SetCursorScales(float a, float b, float c, float d) override { TheGame().SetCursorScales(a, b, c, d); }
  bool HardwareCursor() const override { return TheGame().HardwareCursor(); }

 protected:
  virtual void BeforeLoop() {}
  virtual void AfterGameFrame() = 0;

 private:
  bool startMarked_ = false;
};

// In the child, first: the game ends with the test's process, however that
// ends (the test runner's own limit included).
inline void EndWithTheTest() { ::prctl(PR_SET_PDEATHSIG, SIGKILL); }

// Waits for the game of a child process that runs in `dir` to end, and
// collects it; false when it overran and was ended. No fixed time: the
// start (the program's set-up and the level's loading, from the fork to
// the child's "started.txt") is this machine's measure of its speed now,
// under whatever build and load, and what follows gets `timesTheStart`
// times that. A game that never starts is left to the test runner's limit.
// The caller forks in a folder without an earlier "started.txt".
inline bool AwaitTestGame(pid_t pid, const std::filesystem::path& dir, int timesTheStart, int& status) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point forked = Clock::now();
  Clock::time_point started{};
  for (;;) {
    if (::waitpid(pid, &status, WNOHANG) == pid) return true;
    const Clock::time_point now = Clock::now();
    if (started == Clock::time_point{} && std::filesystem::exists(dir / "started.txt")) started = now;
    if (started != Clock::time_point{} && now - started > timesTheStart * (started - forked)) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

// Nobody watches the loading screen of a game run for a picture: its clock
// runs twenty times fast, so its eleven-second hold passes in about half a
// second and the level starts as it would.
inline void HurryTheLoadingScreen() {
  SetLoadingScreenClock([] { return platform::timeGetTime() * 20u; });
}
