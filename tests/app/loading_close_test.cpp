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
#include "engine/render/d3d_renderer.h"
#include "engine/render/soft_renderer.h"
#include "engine/render/loading_screen.h"
#include "platform/clock.h"
#include "platform/recording_gpu_device.h"
#include "presentation/game_program.h"
#include "platform/window.h"
#include "shell/startup.h"
#include "ui/ui_services.h"

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

// A close that comes before the loading screen is up (before the start, as
// the renderer opens, as the loading screen opens) ends the start at the
// next step: nothing after it is made. Each is raised at a step of the
// start itself, so the case holds on a machine of any speed. The program
// is the game program as cityrun runs it.
int g_renderersMade = 0;

[[noreturn]] void RunEarlyClose(const fs::path& folder, const std::string& when) {
  BecomeHeadlessGame(folder);
  static bool atLoadingScreen = when == "loading screen";
  SetLoadingScreenClock([] {
    if (++g_reads == 1 && atLoadingScreen) ::raise(SIGTERM);
    return platform::timeGetTime();
  });
  TheGame().Prepare();
  static bool atRenderer = when == "renderer";
  SetRendererFactory(kApiDirect3D, [] {
    ++g_renderersMade;
    if (atRenderer) ::raise(SIGTERM);
    return CreateD3DRenderer();
  });
  if (when == "before") platform::RequestWindowClose();
  const int code = WinMain("NOFRONTEND", TheGame());
  std::ofstream("start.txt") << g_renderersMade << ' ' << (Ui().text != nullptr) << ' ' << g_reads << ' '
                             << std::filesystem::exists("max/archive.DIR") << ' ' << RunState().startupFinished;
  ::_exit(code);
}

const bool kEarlyCloseRole = RegisterFreshRole("early_close_program", [](const std::vector<std::string>& args) {
  if (args.size() != 2) ::_exit(123);
  RunEarlyClose(args[0], args[1]);
});

TEST_F(LoadingCloseTest, ACloseBeforeTheLoadingScreenEndsTheStartAtTheNextStep) {
  struct Case {
    const char* when;
    int renderers;
    bool interfaceLoaded;
    bool loadingScreenShown;
  };
  const Case cases[] = {
      {"before", 0, false, false},
      {"renderer", 1, false, false},
      {"loading screen", 1, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.when);
    const fs::path folder = MachineFolder(std::string("early_") + (c.when[0] == 'l' ? "loading" : c.when));
    const pid_t pid = StartFreshRole("early_close_program", {folder.string(), c.when},
                                     "LoadingCloseTest.ACloseBeforeTheLoadingScreenEndsTheStartAtTheNextStep");
    running_.push_back(pid);
    int status = 0;
    const bool ended = WaitAtMost(pid, 900, status);  // a hang's bound only
    ASSERT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0) << Read(folder / "run.log").substr(0, 8000);
    int renderers = -1;
    bool interfaceLoaded = false, archiveOpened = true, finished = true;
    int64_t reads = -1;
    std::ifstream(folder / "start.txt") >> renderers >> interfaceLoaded >> reads >> archiveOpened >> finished;
    EXPECT_EQ(renderers, c.renderers);
    EXPECT_EQ(interfaceLoaded, c.interfaceLoaded);
    EXPECT_EQ(reads > 0, c.loadingScreenShown);
    EXPECT_FALSE(archiveOpened);  // no asset group was loaded
    EXPECT_FALSE(finished);
  }
}

}  // namespace
