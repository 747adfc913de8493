// A start that cannot go on (a renderer that does not open on any adapter)
// ends with its error and exit code 1, and gives back what it had made
// outside the game's heap first: the program's input device. The program
// is the game program as cityrun runs it, in a child process.
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <memory>

#include "app/cityrun_fixture.h"
#include "app/fresh_process.h"
#include "app/game.h"
#include "app/headless_child.h"
#include "engine/core/error.h"
#include "engine/input/input_device.h"
#include "platform/recording_gpu_device.h"
#include "shell/startup.h"

namespace {

[[noreturn]] void RunWithoutADevice(const fs::path& folder) {
  BecomeHeadlessGame(folder);
  platform::SetGpuSystemFactory([] {
    auto system = std::make_unique<platform::RecordingGpuSystem>();
    system->keepCalls = false;
    system->failDevice = true;
    return std::unique_ptr<platform::GpuSystem>(std::move(system));
  });
  // What the program holds when the fatal error ends it.
  SetFatalExitHandler([](const char* text) {
    std::ofstream("fatal.txt") << (TheInputDevice() == nullptr ? "released" : "held") << '\n' << text;
    ::_exit(1);
  });
  TheGame().Prepare();
  WinMain("NOFRONTEND", TheGame());
  ::_exit(0);
}

const bool kRole = RegisterFreshRole("start_without_device", [](const std::vector<std::string>& args) {
  if (args.size() != 1) ::_exit(123);
  RunWithoutADevice(args[0]);
});

class StartFailureTest : public CityrunTest {};

TEST_F(StartFailureTest, ARendererThatCannotOpenEndsTheStartAndGivesBackTheInputDevice) {
  const fs::path folder = MachineFolder("nodevice");
  const pid_t pid = StartFreshRole("start_without_device", {folder.string()},
                                   "StartFailureTest.ARendererThatCannotOpenEndsTheStartAndGivesBackTheInputDevice");
  running_.push_back(pid);
  int status = 0;
  ASSERT_TRUE(WaitAtMost(pid, 600, status)) << "a hang's bound only";
  const std::string log = Read(folder / "run.log");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << log.substr(0, 8000);
  EXPECT_EQ(Read(folder / "fatal.txt"), "released\nFailed to open the renderer on the main window.") << log;
}

}  // namespace
