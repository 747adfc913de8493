// Every seam the game reads is filled once the real program has started:
// the game root is started as cityrun starts it (headless, no menus) in a
// child process, which writes the names of the seams nobody installed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "app/game.h"
#include "app/seams.h"
#include "presentation/game_program.h"
#include "engine/core/error.h"
#include "engine/core/run_state.h"
#include "engine/render/soft_renderer.h"
#include "shell/game_loop.h"
#include "shell/startup.h"
#include "visuals/camera/city_picking.h"

namespace {

namespace fs = std::filesystem;

// The game root; after its first frame it writes the missing seams and quits.
class SeamProgram : public TestGameProgram {
  void AfterGameFrame() override {
    if (!RunState().gameRunning) return;
    std::ofstream out("seams.txt");
    out << "started\n";
    for (const std::string& name : MissingSeams()) out << name << "\n";
    RunState().quit = true;
  }
};

[[noreturn]] void RunGame(const fs::path& dir) {
  EndWithTheTest();
  if (::chdir(dir.c_str()) != 0) ::_exit(120);
  if (!std::freopen("out.log", "w", stderr)) ::_exit(121);
  std::ofstream(dir / "config.cfg") << "SysSetup api D3D\nSysSetup Window 1\nSysSetup width 640\n"
                                       "SysSetup height 480\nSysSetup NoMovie 1\n";
  ::setenv("CITYRUN_HEADLESS", "1", 1);
  SetRendererFactory(kApiSoftware, CreateSoftwareRenderer);
  TheGame().Prepare();
  static SeamProgram program;
  ::_exit(WinMain("NOFRONTEND", program));
}

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ProgramSeamsTest, TheStartedGameHasEverySeamInstalled) {
  const fs::path dir = fs::temp_directory_path() / ("rc_seams_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "max");
  for (const char* d : {"gamedata", "gamedata2", "scripts", "parameters", "language"})
    fs::create_directory_symlink(fs::path(RC_GAME_ROOT) / d, dir / d);
  const pid_t pid = ::fork();
  if (pid == 0) RunGame(dir);
  int status = 0;
  const bool ended = AwaitTestGame(pid, dir, 10, status);  // it quits on its first frame
  const std::string log = Read(dir / "out.log");
  EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
  EXPECT_EQ(Read(dir / "seams.txt"), "started\n") << log;
  fs::remove_all(dir);
}

// A seam left empty stops the start with an error that names it.
TEST(ProgramSeamsTest, AMissingSeamStopsTheStartNamingIt) {
  ThrowOnFatalError();
  PickPanels* held = &CurrentPickPanels();
  SetPickPanels(nullptr);
  std::string said;
  try {
    RequireSeams();
  } catch (const FatalErrorException& e) {
    said = e.what ? e.what : "";
  }
  SetPickPanels(held);
  EXPECT_NE(said.find("PickPanels"), std::string::npos) << said;
}

}  // namespace
