// Logic ticks per second of the game program at full speed, headless: a
// single-player game against a four-machine network game on 127.0.0.1 (a
// host and three clients, each its own process). The level script asks for
// two events 5,000 ticks apart; the time between their reports in the
// host's log is the measure.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFirstProbe = 500;
constexpr int kTicksMeasured = 5000;

fs::path Machine(const fs::path& root, const std::string& name) {
  const fs::path folder = root / name;
  fs::create_directories(folder / "profiles");
  for (const char* f : {"scripts", "parameters", "language", "gamedata", "gamedata2", "max"})
    if (fs::exists(fs::path(RC_GAME_ROOT) / f))
      fs::copy(fs::path(RC_GAME_ROOT) / f, folder / f, fs::copy_options::recursive);
  std::ofstream(folder / "scripts" / "freeplay" / "hub.lua", std::ios::app)
      << "\nfunction EVENT_FirstProbe(n) C_TriggerEvent('FirstReached', 0, 0) end\n"
      << "function EVENT_SecondProbe(n) C_TriggerEvent('SecondReached', 0, 0) end\n"
      << "C_TriggerEvent('FirstProbe', " << kFirstProbe << ", 0)\n"
      << "C_TriggerEvent('SecondProbe', " << kFirstProbe + kTicksMeasured << ", 0)\n";
  return folder;
}

pid_t Start(const fs::path& folder, std::vector<std::string> args) {
  std::vector<char*> argv{const_cast<char*>(CITYRUN_PATH)};
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(folder.c_str()) != 0) ::_exit(120);
    ::setenv("CITYRUN_ROOT", folder.c_str(), 1);  // the test's folder is the game root
    int fd = ::open("run.log", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(fd, STDERR_FILENO);
    ::dup2(fd, STDOUT_FILENO);
    ::setenv("CITYRUN_HEADLESS", "1", 1);
    ::execv(CITYRUN_PATH, argv.data());
    ::_exit(121);
  }
  return pid;
}

bool Contains(const fs::path& log, const std::string& text) {
  std::ifstream in(log);
  std::stringstream s;
  s << in.rdbuf();
  return s.str().find(text) != std::string::npos;
}

// The moment the text appears in the log (checked every 5 ms, for at most 120 s).
bool WaitFor(const fs::path& log, const std::string& text, Clock::time_point& at) {
  const Clock::time_point give_up = Clock::now() + std::chrono::seconds(120);
  while (Clock::now() < give_up) {
    if (Contains(log, text)) {
      at = Clock::now();
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

void RunGame(benchmark::State& state, int machines) {
  const fs::path root = fs::temp_directory_path() / ("bench_network_" + std::to_string(::getpid()));
  const std::string port = std::to_string(22000 + ::getpid() % 9000);
  for (auto _ : state) {
    fs::remove_all(root);
    std::vector<pid_t> pids;
    const fs::path host = Machine(root, "host");
    if (machines == 1) {
      pids.push_back(Start(host, {"FULLSPEED"}));
    } else {
      pids.push_back(Start(host, {"HOST", "PORT", port, "PLAYERS", std::to_string(machines), "FULLSPEED"}));
      for (int i = 1; i < machines; ++i)
        pids.push_back(Start(Machine(root, "client" + std::to_string(i)),
                             {"JOIN", "127.0.0.1", "PORT", port, "FULLSPEED"}));
    }
    Clock::time_point first, second;
    const bool ok = WaitFor(host / "run.log", "function for FirstReached", first) &&
                    WaitFor(host / "run.log", "function for SecondReached", second);
    for (pid_t pid : pids) {
      ::kill(pid, SIGTERM);
      ::waitpid(pid, nullptr, 0);
    }
    fs::remove_all(root);
    if (!ok) {
      state.SkipWithError("the game did not reach the probes");
      return;
    }
    const double seconds = std::chrono::duration<double>(second - first).count();
    state.SetIterationTime(seconds);
    state.counters["ticks_per_second"] = kTicksMeasured / seconds;
  }
}

void BM_SinglePlayerGame(benchmark::State& state) { RunGame(state, 1); }
void BM_FourMachineLoopbackGame(benchmark::State& state) { RunGame(state, 4); }

BENCHMARK(BM_SinglePlayerGame)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_FourMachineLoopbackGame)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
