// A close asked for while the game loads (SIGTERM here; the window's close
// takes the same road) ends the start between two loading steps: the
// program stops loading, shuts down in order and ends with 0, and the level
// is never started. The program runs headless in a child process as
// cityrun runs it; the signal comes while its loading screen counts the
// Nth step.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <memory>

#include "app/cityrun_fixture.h"
#include "app/fresh_process.h"
#include "app/headless_child.h"
#include "app/game.h"
#include "engine/core/run_state.h"
#include "engine/render/soft_renderer.h"
#include "engine/render/loading_screen.h"
#include "platform/clock.h"
#include "platform/recording_gpu_device.h"
#include "presentation/game_program.h"
#include "shell/startup.h"

namespace {

// The loading screen's readings of its clock: the start's progress.
int64_t g_reads = 0;
int64_t g_readsAtSignal = -1;

class StartProgram : public TestGameProgram {
 protected:
  void AfterGameFrame() override { RunState().quit = true; }  // the level's first frame: enough
};

[[noreturn]] void RunProgram(const fs::path& folder, int64_t signalAt) {
  BecomeHeadlessGame(folder);
  static int64_t at = signalAt;
  SetLoadingScreenClock([] {
    if (++g_reads == at) {
      g_readsAtSignal = g_reads;
      ::raise(SIGTERM);
    }
    return platform::timeGetTime();
  });
  TheGame().Prepare();
  static StartProgram program;
  const int code = WinMain("NOFRONTEND", program);
  std::ofstream("start.txt") << g_readsAtSignal << ' ' << g_reads << ' ' << RunState().startupFinished << ' '
                             << RunState().gameRunning;
  ::_exit(code);
}

const bool kProgramRole = RegisterFreshRole("loading_close_program", [](const std::vector<std::string>& args) {
  if (args.size() != 2) ::_exit(123);
  RunProgram(args[0], std::stoll(args[1]));
});

class LoadingCloseTest : public CityrunTest {
 protected:
  struct Start {
    int64_t readsAtSignal = -1, reads = 0;
    bool finished = false, gameRunning = false;
  };
  Start RunStart(const std::string& name, int64_t signalAt) {
    const fs::path folder = MachineFolder(name);
    const pid_t pid = StartFreshRole("loading_close_program", {folder.string(), std::to_string(signalAt)},
                                     "LoadingCloseTest.ACloseWhileLoadingEndsTheStartBetweenTwoSteps");
    running_.push_back(pid);
    int status = 0;
    const bool ended = WaitAtMost(pid, 900, status);  // a hang's bound only
    EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0) << Read(folder / "run.log").substr(0, 8000);
    Start s;
    std::ifstream(folder / "start.txt") >> s.readsAtSignal >> s.reads >> s.finished >> s.gameRunning;
    return s;
  }
};

// The models and textures take most of the start's time and half its
// loading steps; the texture pages the other half, in a moment.
TEST_F(LoadingCloseTest, ACloseWhileLoadingEndsTheStartBetweenTwoSteps) {
  const Start whole = RunStart("whole", -1);
  ASSERT_TRUE(whole.finished);
  ASSERT_GT(whole.reads, 100);
  struct Case {
    int64_t signalAt;
    bool beforeTexturePages;
  };
  const Case cases[] = {{2, true}, {whole.reads / 8, true}, {whole.reads / 4, true}, {whole.reads * 9 / 10, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.signalAt);
    const Start closed = RunStart("closed_" + std::to_string(c.signalAt), c.signalAt);
    EXPECT_EQ(closed.readsAtSignal, c.signalAt);
    EXPECT_FALSE(closed.finished);
    EXPECT_FALSE(closed.gameRunning);
    // Asked while the models and textures load, it stops before the pages.
    if (c.beforeTexturePages) {
      EXPECT_LT(closed.reads, whole.reads * 2 / 3);
    }
  }
}

}  // namespace
