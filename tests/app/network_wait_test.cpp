// A machine that holds a network game back, on 127.0.0.1. The host is the
// program itself (HOST ... FULLSPEED, headless), run in a child process as
// cityrun runs it, with the wall clock of its network waits driven by the
// test; the other machine joins it from the same process over the real
// transport and never gets ready, never sends a sync snapshot, or sends a
// burst of messages the host refuses. However many seconds of game time
// FULLSPEED runs meanwhile, the waits count the clock: the host names the
// machine to every machine every ten seconds and sends it away after a
// minute, then plays on; and no refusal goes uncounted.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/cityrun_fixture.h"
#include "app/fresh_process.h"
#include "app/headless_child.h"
#include "app/game.h"
#include "engine/core/console.h"
#include "engine/core/run_state.h"
#include "engine/render/soft_renderer.h"
#include "platform/net/enet_transport.h"
#include "platform/recording_gpu_device.h"
#include "presentation/game_program.h"
#include "session/game_messages.h"
#include "session/net_log.h"
#include "session/ready_barrier.h"
#include "session/session_state.h"
#include "session/tick_driver.h"
#include "session/wall_clock.h"
#include "shell/startup.h"

namespace {

enum class PeerPlay { kNeverReady, kNoSnapshots, kRefusalBurst };

// The wall clock of the host's network waits: it stands still until the
// host waits, then moves a sixth of a thousandth of the deadline a pass
// (10 ms; at FULLSPEED a pass is 39 ms of the scheduler's time: the clock
// runs slower than the game). The sanitizers' longer deadline is passed in
// as many passes.
int64_t g_clockMs = 1000000;
int64_t TestClock() { return g_clockMs; }
constexpr int64_t kClockStepMs = kReadyDeadlineSeconds / 6;
// The ready barrier looks once a second of the scheduler's time, 25 passes.
constexpr int64_t kLookEveryMs = 26 * kClockStepMs;
// Passes the host waits with the clock standing: at FULLSPEED each runs
// 39 ms of the scheduler's time, far more than any deadline in all.
constexpr int kPassesWithClockStill = 2000;
// Past the deadline the game plays on to this tick.
constexpr uint32_t kPlaysOnTo = 2000;

// The other machine, in the host's process: a client of the session that
// follows the protocol as far as its play allows.
class Peer {
 public:
  Peer(uint16_t port, PeerPlay play) : port_(port), play_(play), transport_(platform::CreateEnetTransport()) {}
  ~Peer() { transport_->CloseSession(); }

  void Step() {
    if (!joined_) joined_ = transport_->JoinSession("127.0.0.1", port_, "Mallory", "Mallory", 1);
    for (const platform::NetEvent& e : transport_->Poll()) {
      if (e.kind == platform::NetEventKind::kChat) chats.push_back(e.text);
      if (e.kind == platform::NetEventKind::kGame) Take(e.data);
    }
  }
  bool Granted() const { return granted_; }
  // Messages only the host may send, all at once: each is refused.
  void SendRefusedBurst(int count) {
    for (int i = 0; i < count; ++i) Send(EncodeMessage(RemovePlayerMsg{PlayerIndex{0}}));
  }
  std::vector<std::string> chats;

 private:
  void Send(const CNetMessage& m) { transport_->SendToAll(m.Bytes().data(), m.Bytes().size()); }
  void Take(const std::vector<uint8_t>& bytes) {
    CNetMessage m;
    if (!m.Parse(bytes)) return;
    LobbySetupMsg setup;
    TickGrantMsg grant;
    PlayerReadyMsg ready;
    if (DecodeMessage(m, setup)) {
      for (int i = 0; i < kMaxPlayers; ++i)
        if (setup.directPlayId[i] == static_cast<int32_t>(transport_->LocalId())) slot_ = i;
    } else if (DecodeMessage(m, grant)) {
      granted_ = true;
    } else if (DecodeMessage(m, ready) && !ready.final && slot_ >= 0 && play_ != PeerPlay::kNeverReady) {
      Send(EncodeMessage(PlayerReadyMsg{PlayerIndex{slot_}, false}));
    }
  }

  uint16_t port_;
  PeerPlay play_;
  std::unique_ptr<platform::NetTransport> transport_;
  bool joined_ = false;
  int32_t slot_ = -1;
  bool granted_ = false;
};

// The host's console, each line with the clock and the logic tick.
std::vector<std::string> g_lines;

class HostProgram : public TestGameProgram {
 public:
  HostProgram(uint16_t port, PeerPlay play) : peer_(port, play), play_(play) {}
  bool PassMovedGameOn() const override { return TheGame().PassMovedGameOn(); }

 protected:
  void AfterGameFrame() override {
    if (Session().networkSession && Session().host) peer_.Step();
    const bool waiting = play_ == PeerPlay::kNeverReady ? PlayerReadyBarrier().waiting : WaitingForClients();
    if (play_ == PeerPlay::kRefusalBurst) {
      if (peer_.Granted() && !burstSent_) {
        peer_.SendRefusedBurst(8);
        burstSent_ = true;
      } else if (burstSent_ && ++passesAfterBurst_ > 50) {
        g_clockMs += 25 * kClockStepMs;  // the log's second passes
      }
    } else if (waiting && stillPasses_ < kPassesWithClockStill) {
      if (++stillPasses_ == kPassesWithClockStill) Note("the clock moves");
    } else if (stillPasses_ == kPassesWithClockStill && LogicTick() < kPlaysOnTo) {
      g_clockMs += kClockStepMs;
      movedMs_ += kClockStepMs;
    }
    const bool done = play_ == PeerPlay::kRefusalBurst ? passesAfterBurst_ > 50 + 40 : LogicTick() >= kPlaysOnTo;
    // A host still held long past the deadline has failed: no need to wait on.
    const bool failed = movedMs_ > 3 * kReadyDeadlineSeconds * 1000 || ++passes_ > 400000;
    if (done || failed) Finish();
  }

 private:
  static void Note(const std::string& text) {
    g_lines.push_back(std::to_string(g_clockMs) + " " + std::to_string(LogicTick()) + " " + text);
  }
  void Finish() {
    Note("finished");
    std::ofstream out("host_lines.txt");
    for (const std::string& l : g_lines) out << l << '\n';
    std::ofstream chats("peer_chats.txt");
    for (const std::string& c : peer_.chats) chats << c << '\n';
    RunState().quit = true;
  }

  Peer peer_;
  PeerPlay play_;
  bool burstSent_ = false;
  int passesAfterBurst_ = 0;
  int stillPasses_ = 0;
  int64_t movedMs_ = 0;
  int passes_ = 0;

};

[[noreturn]] void RunHost(const fs::path& folder, uint16_t port, PeerPlay play) {
  BecomeHeadlessGame(folder);
  SetConsoleSink([](std::string_view text, int) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    g_lines.push_back(std::to_string(g_clockMs) + " " + std::to_string(LogicTick()) + " " + std::string(text));
  });
  platform::InstallEnetTransport();
  SetWallClock(TestClock);
  TheGame().Prepare();
  static HostProgram program(port, play);
  const std::string command = "HOST PORT " + std::to_string(port) + " PLAYERS 2 FULLSPEED";
  ::_exit(WinMain(command, program));
}

const bool kHostRole = RegisterFreshRole("network_wait_host", [](const std::vector<std::string>& args) {
  if (args.size() != 3) ::_exit(123);
  RunHost(args[0], static_cast<uint16_t>(std::stoi(args[1])), static_cast<PeerPlay>(std::stoi(args[2])));
});

struct Line {
  int64_t clockMs = 0;
  uint32_t tick = 0;
  std::string text;
};

std::vector<Line> ReadLines(const fs::path& file) {
  std::vector<Line> lines;
  std::ifstream in(file);
  for (std::string row; std::getline(in, row);) {
    std::istringstream fields(row);
    Line l;
    fields >> l.clockMs >> l.tick;
    std::getline(fields >> std::ws, l.text);
    lines.push_back(l);
  }
  return lines;
}

class NetworkWaitTest : public CityrunTest {
 protected:
  uint16_t Port() const { return static_cast<uint16_t>(42000 + ::getpid() % 9000); }

  // Runs the host with the peer's play; its console lines, or empty when it
  // did not end of itself.
  std::vector<Line> RunGame(const std::string& name, PeerPlay play) {
    const fs::path folder = MachineFolder(name);
    const pid_t pid = StartFreshRole(
        "network_wait_host", {folder.string(), std::to_string(Port()), std::to_string(int(play))},
        "NetworkWaitTest.ABurstOfRefusalsIsCountedWhenNoLineFollows");
    running_.push_back(pid);
    int status = 0;
    // A bound for a hang only: a slow machine takes longer, never fails.
    const bool ended = WaitAtMost(pid, 900, status);
    log_ = Read(folder / "run.log");
    EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0) << log_.substr(0, 8000);
    chats_.clear();
    std::ifstream in(folder / "peer_chats.txt");
    for (std::string c; std::getline(in, c);) chats_.push_back(c);
    return ended ? ReadLines(folder / "host_lines.txt") : std::vector<Line>{};
  }

  std::string log_;
  std::vector<std::string> chats_;
};

// The first line holding `text`, or nullptr.
const Line* Find(const std::vector<Line>& lines, const std::string& text) {
  for (const Line& l : lines)
    if (l.text.find(text) != std::string::npos) return &l;
  return nullptr;
}

TEST_F(NetworkWaitTest, AMachineThatHoldsTheGameBackIsNamedThenSentAwayByTheClock) {
  struct Case {
    const char* name;
    PeerPlay play;
    const char* what;  // the waiting lines' words
  };
  const Case cases[] = {
      {"never_ready", PeerPlay::kNeverReady, "get ready"},
      {"no_snapshots", PeerPlay::kNoSnapshots, "catch up"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Line> lines = RunGame(c.name, c.play);
    const std::string waiting = std::string("Waiting for Mallory to ") + c.what + ".";
    const std::string leaves = std::string("Mallory did not ") + c.what + " in time and leaves the game.";
    // Minutes of game time at FULLSPEED with the clock standing: nothing.
    const Line* moves = Find(lines, "the clock moves");
    ASSERT_NE(moves, nullptr) << log_.substr(0, 8000);
    for (const Line* l = lines.data(); l != moves; ++l) {
      EXPECT_NE(l->text, waiting);
      EXPECT_NE(l->text, leaves);
    }
    // Then a line every ten seconds of the clock, and the machine sent away
    // after sixty.
    std::vector<int64_t> notices;
    for (const Line& l : lines)
      if (l.text == waiting) notices.push_back(l.clockMs - moves->clockMs);
    const size_t intervals = size_t(kReadyDeadlineSeconds / kReadyNoticeSeconds - 1);
    ASSERT_EQ(notices.size(), intervals) << log_.substr(0, 8000);
    for (size_t i = 0; i < notices.size(); ++i) {
      EXPECT_GE(notices[i], int64_t(i + 1) * kReadyNoticeSeconds * 1000);
      EXPECT_LE(notices[i], int64_t(i + 1) * kReadyNoticeSeconds * 1000 + kLookEveryMs);
    }
    const Line* gone = Find(lines, leaves);
    ASSERT_NE(gone, nullptr) << log_.substr(0, 8000);
    EXPECT_GE(gone->clockMs - moves->clockMs, int64_t(kReadyDeadlineSeconds) * 1000);
    EXPECT_LE(gone->clockMs - moves->clockMs, int64_t(kReadyDeadlineSeconds) * 1000 + kLookEveryMs);
    // Every machine was told, the machine itself too.
    EXPECT_EQ(size_t(std::count(chats_.begin(), chats_.end(), waiting)), intervals);
    EXPECT_EQ(std::count(chats_.begin(), chats_.end(), leaves), 1);
    // The host plays on without it.
    EXPECT_NE(Find(lines, "Player 2 has left the game"), nullptr);
    ASSERT_EQ(lines.back().text, "finished");
    EXPECT_GE(lines.back().tick, kPlaysOnTo);
    EXPECT_EQ(log_.find("[WARNING!]"), std::string::npos);
  }
}

}  // namespace

namespace {

// Refusals past the log's rate: the lines left out are counted once their
// second is over, though no further line comes to carry the count.
TEST_F(NetworkWaitTest, ABurstOfRefusalsIsCountedWhenNoLineFollows) {
  const std::vector<Line> lines = RunGame("burst", PeerPlay::kRefusalBurst);
  std::vector<const Line*> refused;
  for (const Line& l : lines)
    if (l.text.rfind("Refused a game message (remove player", 0) == 0) refused.push_back(&l);
  ASSERT_EQ(refused.size(), size_t(kNetLogLinesPerSecond)) << log_.substr(0, 8000);
  const Line* count = Find(lines, "(5 more such lines about player 2 left out)");
  ASSERT_NE(count, nullptr) << log_.substr(0, 8000);
  EXPECT_GE(count->clockMs, refused.front()->clockMs + 1000);
}

}  // namespace
