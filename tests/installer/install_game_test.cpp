#include "installer/install_game.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

#include "platform/settings_store.h"
#include "platform/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<std::string> Setting(const fs::path& folder, std::string_view name) {
  return platform::FindSettingInText(ReadAll(folder / "settings.ini"), name);
}

TEST(InstallGame, CopiesTheGameAndWritesTheSettings) {
  TempDir medium, home;
  medium.Write("cityrun", "program");
  medium.Write("gamedata/loading.bmp", "BM");
  medium.Write("language/usa/text.txt", "words");
  for (const char* played : {"settings.ini", "config.cfg", "ZKS.txt", "cityrun.lock", "error.log",
                             "profiles/Ada/settings.lua", "profiles/Ada/first save", "civano0001.tga",
                             "__crash.sav"})
    medium.Write(played, "left by a played game");
  const std::string target = home / "games/Rentopia Civano ";  // a blank at the end survives

  std::string error;
  ASSERT_TRUE(InstallGame(medium.path(), target, "ger", error)) << error;
  EXPECT_EQ(ReadAll(fs::path(target) / "gamedata/loading.bmp"), "BM");
  EXPECT_EQ(ReadAll(fs::path(target) / "language/usa/text.txt"), "words");
  for (const char* played : {"config.cfg", "ZKS.txt", "cityrun.lock", "error.log", "profiles",
                             "civano0001.tga", "__crash.sav"})
    EXPECT_FALSE(fs::exists(fs::path(target) / played)) << played;
  EXPECT_EQ(Setting(target, "Language"), "ger");
  EXPECT_EQ(Setting(target, "LANGUAGE"), "ger");  // the installer's name for the same value
  EXPECT_EQ(Setting(target, "Path"), fs::weakly_canonical(target).string());
  EXPECT_EQ(Setting(target, "UNINSTALLPATH"), fs::weakly_canonical(target).string());

  // Again over the installation: files are replaced, nothing fails.
  medium.Write("gamedata/loading.bmp", "BM2");
  ASSERT_TRUE(InstallGame(medium.path(), target, "usa", error)) << error;
  EXPECT_EQ(ReadAll(fs::path(target) / "gamedata/loading.bmp"), "BM2");
  EXPECT_EQ(Setting(target, "Language"), "usa");
}

TEST(InstallGame, RefusesFoldersItCannotUse) {
  TempDir medium, home;
  medium.Write("cityrun", "program");
  const std::string bad[] = {"", medium.path(), medium / "inside", home / "line\nbreak"};
  for (const std::string& target : bad) {
    std::string error;
    EXPECT_FALSE(InstallGame(medium.path(), target, "usa", error)) << target;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_FALSE(fs::exists(medium / "inside"));
  EXPECT_FALSE(fs::exists(home / "line\nbreak"));
  std::string error;
  EXPECT_FALSE(InstallGame(medium / "missing", home / "game", "usa", error));
  EXPECT_FALSE(fs::exists(home / "game"));
}

// The programs as a user runs them, headless: from a medium holding them.
class InstallerProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* program : {RUNSETUP_PATH, SETUP_PATH, CITYRUN_PATH})
      fs::copy_file(program, fs::path(medium_.path()) / fs::path(program).filename());
    fs::copy(fs::path(RC_GAME_ROOT) / "language", medium_ / "language", fs::copy_options::recursive);
  }
  // Every entry of a folder, by name.
  static std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
  }
  // Runs a program in `folder` with the environment's additions; its exit
  // status, or -1 when it does not end within `seconds`.
  // Runs the program in the folder; with `terminate`, closes it by SIGTERM
  // once its start has left its safe-mode marker in the installed game (it
  // listens for the signal by then, however slow the machine). Only a hang
  // reaches the time limit.
  int Run(const std::string& program, const std::string& folder, int seconds = 600,
          bool terminate = false, const char* locale = "de_CH.UTF-8") {
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (::chdir(folder.c_str()) != 0) ::_exit(120);
      const int log = ::open((home_ / "log.txt").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
      ::dup2(log, STDERR_FILENO);
      ::dup2(log, STDOUT_FILENO);
      ::setenv("CITYRUN_HEADLESS", "1", 1);
      ::setenv("CITYRUN_INSTALL_FOLDER", (home_ / "game").c_str(), 1);
      ::setenv("LANG", locale, 1);
      ::unsetenv("CITYRUN_ROOT");
      ::unsetenv("LC_ALL");
      ::unsetenv("LC_MESSAGES");
      ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      ::_exit(121);
    }
    int status = 0;
    bool closed = false;
    for (int i = 0; i < seconds * 20; ++i) {
      if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
      if (terminate && !closed && fs::exists(home_ / "game/ZKS.txt")) closed = ::kill(pid, SIGTERM) == 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
  }
  TempDir medium_, home_;
};

TEST_F(InstallerProgramTest, RunsetupInstallsAGameThatStarts) {
  // No stored language and a Swiss German locale: the language dialog,
  // headless, takes its preselected Deutsch.
  ASSERT_EQ(Run(medium_ / "runsetup", home_.path()), 0) << ReadAll(home_ / "log.txt");
  const fs::path game = home_ / "game";
  EXPECT_EQ(Setting(game, "Language"), "ger");
  ASSERT_TRUE(fs::exists(game / "cityrun"));
  EXPECT_TRUE(fs::exists(game / "setup"));
}

// Installed under a German locale of Germany, the game starts from another
// folder: it finds its own folder, leaves nothing where it was started and
// shows German, or English where the German texts are missing.
TEST_F(InstallerProgramTest, TheInstalledGameStartsFromAnotherFolderInItsLanguage) {
  ASSERT_EQ(Run(medium_ / "runsetup", home_.path(), 600, false, "de_DE.UTF-8"), 0) << ReadAll(home_ / "log.txt");
  const fs::path game = home_ / "game";
  ASSERT_EQ(Setting(game, "Language"), "ger");
  const std::set<std::string> before = Entries(home_.path());

  EXPECT_EQ(Run((game / "cityrun").string(), home_.path(), 600, true), 0) << ReadAll(home_ / "log.txt");
  EXPECT_EQ(Entries(home_.path()), before);
  fs::remove(game / "D3DEnum.txt");  // nothing left in the folder it started from
  EXPECT_FALSE(fs::exists(game / "ZKS.txt"));  // it ended in order, in its own folder
  const std::string log = ReadAll(home_ / "log.txt");
  EXPECT_EQ(log.find("language\\usa\\civano cannot be read"), std::string::npos) << log;
  if (!fs::exists(game / "language" / "ger")) {
    EXPECT_NE(log.find("no language\\ger folder; it is played in English"), std::string::npos) << log;
  }

  // A copy of the program elsewhere finds the game by the stored path, a
  // folder that holds the game's data (this medium brings none of its own:
  // the files a game folder is known by stand in for it).
  for (const char* folder : {"parameters", "gamedata", "scripts/gamestart"}) fs::create_directories(game / folder);
  for (const char* file : {"parameters/parameter.prm", "scripts/gamestart/hub.lua"}) std::ofstream(game / file) << "\n";
  const fs::path bin = home_ / "bin";
  fs::create_directories(bin);
  fs::copy_file(game / "cityrun", bin / "cityrun");
  fs::copy_file(game / "settings.ini", bin / "settings.ini");
  EXPECT_EQ(Run((bin / "cityrun").string(), home_.path(), 600, true), 0) << ReadAll(home_ / "log.txt");
  EXPECT_EQ(Entries(bin), (std::set<std::string>{"cityrun", "settings.ini"}));
  EXPECT_TRUE(fs::exists(game / "D3DEnum.txt"));  // what it writes, it writes there
}

TEST_F(InstallerProgramTest, AMissingSetUpProgramIsReported) {
  fs::remove(medium_ / "setup");
  EXPECT_EQ(Run(medium_ / "runsetup", home_.path()), 1);
  EXPECT_NE(ReadAll(home_ / "log.txt").find("is missing"), std::string::npos);
  EXPECT_FALSE(fs::exists(home_ / "game"));
}

TEST_F(InstallerProgramTest, SetupRefusesAMalformedArgument) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("CITYRUN_HEADLESS", "1", 1);
    ::execl((medium_ / "setup").c_str(), "setup", "ger", static_cast<char*>(nullptr));
    ::_exit(121);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
