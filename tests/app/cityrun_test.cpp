// Starts the game program headless and ends it the way a user closes it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

class CityrunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("cityrun_test_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    for (pid_t pid : running_) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
    fs::remove_all(dir_);
  }

  // Starts cityrun in the test folder with its standard error in `log` and
  // up to two command-line arguments.
  pid_t Start(const std::string& log, const char* arg1 = nullptr, const char* arg2 = nullptr) {
    pid_t pid = ::fork();
    if (pid == 0) {
      if (::chdir(dir_.c_str()) != 0) ::_exit(120);
      int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(fd, STDERR_FILENO);
      ::dup2(fd, STDOUT_FILENO);
      ::setenv("CITYRUN_HEADLESS", "1", 1);
      ::execl(CITYRUN_PATH, CITYRUN_PATH, arg1, arg2, static_cast<char*>(nullptr));
      ::_exit(121);
    }
    running_.push_back(pid);
    return pid;
  }

  int Wait(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    running_.erase(std::remove(running_.begin(), running_.end(), pid), running_.end());
    return status;
  }

  bool WaitForFile(const fs::path& p) {
    for (int i = 0; i < 500; ++i) {
      if (fs::exists(p)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  bool WaitForText(const fs::path& p, const std::string& text, int seconds = 5) {
    for (int i = 0; i < seconds * 100; ++i) {
      if (Read(p).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  std::string Read(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  void Write(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
  }

  // The compiled data a game start reads: the route table, the building
  // library, the architect's tables and textures and the scaffold pieces.
  void CopyCompiledData() {
    for (const char* name : {"gamedata/route_smalltable.bin", "max/BuildEditorModels/BuildFile.dat", "architect.txt",
                             "gamedata2/ArchitectTextures/textures.gtd", "gamedata2/scaffolds"}) {
      const fs::path built = fs::path(RC_GAME_ROOT) / name;
      if (!fs::exists(built)) continue;
      fs::create_directories((dir_ / name).parent_path());
      fs::copy(built, dir_ / name, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
  }

  // The interface's texts, fonts, images, cursors and HUD layouts.
  void CopyInterfaceData() {
    const fs::path root(RC_GAME_ROOT);
    for (const char* folder :
         {"language", "gamedata/fonts", "gamedata2/font640", "gamedata2/GenericTextures",
          "gamedata2/GenericTextures640", "gamedata2/Cursors", "gamedata2/brand_new_panels",
          "gamedata2/newpanels"}) {
      fs::create_directories(dir_ / folder);
      fs::copy(root / folder, dir_ / folder,
               fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
  }

  fs::path dir_;
  std::vector<pid_t> running_;
};

TEST_F(CityrunTest, RunsHeadlessRefusesASecondInstanceAndEndsInOrder) {
  pid_t first = Start((dir_ / "first.log").string());
  ASSERT_TRUE(WaitForFile(dir_ / "ZKS.txt"));

  pid_t second = Start((dir_ / "second.log").string());
  int status = Wait(second);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(Read(dir_ / "second.log").find("There is already an instance"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir_ / "ZKS.txt"));  // the running instance's marker stays

  // The refusal speaks the language chosen on the command line.
  second = Start((dir_ / "german.log").string(), "L", "ger");
  status = Wait(second);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(Read(dir_ / "german.log").find("Rentopia Civano wird bereits ausgeführt."),
            std::string::npos);

  ::kill(first, SIGTERM);  // as closing the window
  status = Wait(first);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(dir_ / "ZKS.txt"));
}

TEST_F(CityrunTest, AnUncleanEndLeavesTheMarkerAndTheNextStartOffersSafeMode) {
  pid_t first = Start((dir_ / "first.log").string());
  ASSERT_TRUE(WaitForFile(dir_ / "ZKS.txt"));
  ::kill(first, SIGKILL);
  Wait(first);
  EXPECT_TRUE(fs::exists(dir_ / "ZKS.txt"));

  pid_t next = Start((dir_ / "next.log").string());
  EXPECT_TRUE(WaitForText(dir_ / "next.log", "[Safe Mode]"));
  ::kill(next, SIGINT);
  int status = Wait(next);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(dir_ / "ZKS.txt"));
}

// The city, economy, session and scripts are wired in: their chunks save and
// load, and a loaded game runs logic ticks (city, traffic, particles,
// animations, script timers) until the window is closed. A load starts the
// saved level's scripts in a new state (here the default level's, since the
// save was written before any level); they ask for an event 30 ticks on,
// which can only come from running ticks; the event shows itself by calling
// for an event nobody defined. A loaded game is not replaced by a free game.
TEST_F(CityrunTest, RunsALoadedCityAndEndsInOrder) {
  CopyCompiledData();
  CopyInterfaceData();
  fs::create_directories(dir_ / "profiles");
  Write(dir_ / "parameters" / "parameter.prm", "SAVEGAME wired\nLOADGAME wired\n");
  Write(dir_ / "scripts" / "gamestart" / "hub.lua", "-- nothing at game start\n");
  Write(dir_ / "scripts" / "default" / "hub.lua",
        "function EVENT_Probe(n) C_TriggerEvent('LogicTicksRan', 0, 0) end\n"
        "C_TriggerEvent('Probe', 30, 0)\n");

  const fs::path log = dir_ / "run.log";
  pid_t game = Start(log.string());
  ASSERT_TRUE(WaitForText(log, "File wired loaded successfully")) << Read(log);
  EXPECT_NE(Read(log).find("File wired saved successfully"), std::string::npos);
  // The main loop starts once the loading screen has been up 11 s.
  EXPECT_TRUE(WaitForText(log, "event function for LogicTicksRan", 30)) << Read(log);

  ::kill(game, SIGTERM);
  int status = Wait(game);
  ASSERT_TRUE(WIFEXITED(status)) << Read(log);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(dir_ / "ZKS.txt"));
  // The probe's is the only report.
  std::string text = Read(log);
  EXPECT_EQ(text.find("WARNING"), text.rfind("WARNING")) << text;
}

// With no save loaded the program starts the free-play level with the game's
// own scripts: the level's city has people, logic ticks run them, and a
// script ending the game through Game.End takes the people away at once.
TEST_F(CityrunTest, StartsTheFreePlayLevelAndRunsIt) {
  CopyCompiledData();
  CopyInterfaceData();
  for (const char* folder : {"scripts", "parameters"})
    fs::copy(fs::path(RC_GAME_ROOT) / folder, dir_ / folder, fs::copy_options::recursive);
  Write(dir_ / "scripts" / "freeplay" / "hub.lua",
        "function EVENT_Probe(n)\n"
        "  if People.NumberInCity() > 0 then C_TriggerEvent('PeopleAfterTicks', 0, 0) end\n"
        "  Game.End(0, 0)\n"
        "  if People.NumberInCity() == 0 then C_TriggerEvent('GameEnded', 0, 0) end\n"
        "  return 0\n"
        "end\n"
        "C_TriggerEvent('Probe', 50, 0)\n");

  const fs::path log = dir_ / "run.log";
  pid_t game = Start(log.string());
  ASSERT_TRUE(WaitForText(log, "event function for PeopleAfterTicks", 40)) << Read(log);
  EXPECT_TRUE(WaitForText(log, "event function for GameEnded", 5)) << Read(log);

  ::kill(game, SIGTERM);
  int status = Wait(game);
  ASSERT_TRUE(WIFEXITED(status)) << Read(log);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(dir_ / "ZKS.txt"));
  // The two probes' reports (two lines each) are the only ones.
  std::string text = Read(log);
  size_t warnings = 0;
  for (size_t at = text.find("WARNING"); at != std::string::npos; at = text.find("WARNING", at + 1))
    ++warnings;
  EXPECT_EQ(warnings, 2u) << text;
}

// With a real sound device (OpenAL's file writer in place of a sound card)
// and the music off, an hour of the free-play level is heard: the city's
// traffic, crowds and building sites reach the mixed output.
TEST_F(CityrunTest, AGameHourIsHeardThroughTheSoundDevice) {
  CopyCompiledData();
  for (const char* folder : {"scripts", "parameters"})
    fs::copy(fs::path(RC_GAME_ROOT) / folder, dir_ / folder, fs::copy_options::recursive);
  fs::copy(fs::path(RC_GAME_ROOT) / "gamedata" / "sound", dir_ / "gamedata" / "sound", fs::copy_options::recursive);
  Write(dir_ / "config.cfg", "SysSetup music 0\n");
  // A logic hour is 625 ticks.
  Write(dir_ / "scripts" / "freeplay" / "hub.lua",
        "function EVENT_Probe(n) C_TriggerEvent('HourHeard', 0, 0) return 0 end\n"
        "C_TriggerEvent('Probe', 625, 0)\n");
  const fs::path out = dir_ / "mixed.wav";
  Write(dir_ / "alsoft.conf", "[general]\ndrivers = wave\nchannels = stereo\nsample-type = float32\n"
                              "frequency = 22050\n[wave]\nfile = " + out.string() + "\n");
  ::setenv("CITYRUN_SOUND", "openal", 1);
  ::setenv("ALSOFT_CONF", (dir_ / "alsoft.conf").c_str(), 1);
  const fs::path log = dir_ / "run.log";
  pid_t game = Start(log.string());
  ::unsetenv("CITYRUN_SOUND");
  ::unsetenv("ALSOFT_CONF");
  ASSERT_TRUE(WaitForText(log, "event function for HourHeard", 60)) << Read(log);
  ::kill(game, SIGTERM);
  int status = Wait(game);
  ASSERT_TRUE(WIFEXITED(status)) << Read(log);
  EXPECT_EQ(WEXITSTATUS(status), 0);

  // The file writer's samples are 32-bit floats after the "data" chunk's header.
  const std::string bytes = Read(out);
  const size_t data = bytes.find("data");
  ASSERT_NE(data, std::string::npos) << bytes.size();
  const size_t count = (bytes.size() - data - 8) / sizeof(float);
  ASSERT_GT(count, 22050u * 2 * 5) << "fewer than five seconds recorded";
  double sum = 0, peak = 0;
  for (size_t i = 0; i < count; ++i) {
    float v = 0;
    std::memcpy(&v, bytes.data() + data + 8 + i * sizeof(float), sizeof v);
    sum += double(v) * v;
    peak = std::max(peak, std::fabs(double(v)));
  }
  const double rms = std::sqrt(sum / count);
  EXPECT_GT(peak, 0.02);
  EXPECT_GT(rms, 0.005);
}

}  // namespace
