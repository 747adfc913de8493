#pragma once
// Runs the game program headless in a folder of its own, as a user would:
// its standard error and output go to a log file; the test waits for texts
// in it (bounded), and every process still running at the end is killed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
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

#include "game_data_links.h"

namespace {

namespace fs = std::filesystem;

class CityrunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("cityrun_test_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    LinkGameData(dir_);
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
    std::vector<std::string> args;
    for (const char* a : {arg1, arg2})
      if (a != nullptr) args.emplace_back(a);
    return StartIn(dir_, log, args);
  }

  // Starts cityrun in `folder` with the arguments.
  pid_t StartIn(const fs::path& folder, const std::string& log, const std::vector<std::string>& args) {
    return StartProgram(CITYRUN_PATH, folder, log, args, folder);  // the test's folder is the game root
  }

  // Starts the program at `program` in the working folder `folder`; with
  // `root` empty the program settles its root itself, as an installed game.
  pid_t StartProgram(const fs::path& program, const fs::path& folder, const std::string& log,
                     const std::vector<std::string>& args, const fs::path& root) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
      if (::chdir(folder.c_str()) != 0) ::_exit(120);
      if (root.empty())
        ::unsetenv("CITYRUN_ROOT");
      else
        ::setenv("CITYRUN_ROOT", root.c_str(), 1);
      int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(fd, STDERR_FILENO);
      ::dup2(fd, STDOUT_FILENO);
      ::setenv("CITYRUN_HEADLESS", "1", 1);
      ::execv(program.c_str(), argv.data());
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

  // Waits for the program to end, for at most `seconds`; false if it runs on.
  bool WaitAtMost(pid_t pid, int seconds, int& status) {
    for (int i = 0; i < seconds * 100; ++i) {
      if (::waitpid(pid, &status, WNOHANG) == pid) {
        running_.erase(std::remove(running_.begin(), running_.end(), pid), running_.end());
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  bool WaitForFile(const fs::path& p) {
    for (int i = 0; i < 500; ++i) {
      if (fs::exists(p)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  // Start-up loads every asset first and frames draw the whole city, which
  // takes a while in a sanitizer build: the waits are generous bounds.
  bool WaitForText(const fs::path& p, const std::string& text, int seconds = 30) {
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

  // The compiled data a game start reads (the route table, the building
  // library, the sky table and the architect's tables) and the language
  // folder of a game root.
  void CopyCompiledData() { CopyCompiledData(dir_); }
  void CopyCompiledData(const fs::path& folder) {
    fs::create_directories(folder / "language" / "usa");
    for (const char* name : {"gamedata/route_smalltable.bin", "max/BuildEditorModels/BuildFile.dat",
                             "gamedata/suncols.tga", "architect.txt"}) {
      const fs::path built = fs::path(RC_GAME_ROOT) / name;
      if (!fs::exists(built)) continue;
      fs::create_directories((folder / name).parent_path());
      fs::copy(built, folder / name, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
  }

  // One machine of a network game: its own folder under the test's, with the
  // game's scripts and parameters to change, and the data linked or copied.
  fs::path MachineFolder(const std::string& name) {
    const fs::path folder = dir_ / name;
    fs::create_directories(folder / "profiles");
    for (const char* f : {"scripts", "parameters"})
      fs::copy(fs::path(RC_GAME_ROOT) / f, folder / f, fs::copy_options::recursive);
    LinkGameData(folder);
    CopyCompiledData(folder);
    return folder;
  }

  fs::path dir_;
  std::vector<pid_t> running_;
};

}  // namespace
