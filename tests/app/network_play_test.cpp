// Network play between cityrun processes on 127.0.0.1: a host and three
// clients run the free-play level with two computer players in lockstep at
// full speed for game days while each machine's player, played by its
// command script, leases a block at auction (its request waiting its turn
// behind the others', bidding in the others' auctions too), builds a shop on it and
// prices the shop; every machine applies every change at one tick and the
// host's snapshot checks find every client in step; a client whose state
// differs is named in the host's desync report, and the game carries on.
// When the host goes, every client's game ends with the reason. A price
// changed through a client's business panel takes effect on both machines at
// one tick. Two and four machines saving at the same ticks of a game day,
// while prices, rents and cards change, write the same chunks.
#include "app/cityrun_fixture.h"

#include <map>
#include <set>
#include <span>

#include "session/auction.h"
#include "session/save_chunks.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr uint32_t kTicksInStep = 3 * 625 + 125;
#else
constexpr uint32_t kTicksInStep = 2 * 15000;
#endif

class NetworkPlayTest : public CityrunTest {
 protected:

  std::vector<std::string> HostArgs(int players, int computers = 0) const {
    return {"HOST", "PORT", Port(), "PLAYERS", std::to_string(players), "COMPUTERS", std::to_string(computers),
            "FULLSPEED"};
  }
  std::vector<std::string> JoinArgs() const { return {"JOIN", "127.0.0.1", "PORT", Port(), "FULLSPEED"}; }
  std::string Port() const { return std::to_string(21000 + ::getpid() % 9000); }

  static std::string InStep(uint32_t tick, int player) {
    return "Sync check at tick " + std::to_string(tick) + " with player " + std::to_string(player) + ": in step";
  }

  // One checksum ("buildings", "players" ...) of an in-step line of the log.
  static std::string Checksum(const std::string& log, const std::string& line, const std::string& name) {
    const size_t at = log.find(line);
    if (at == std::string::npos) return "";
    const size_t end = log.find('\n', at);
    const std::string text = log.substr(at, end - at);
    const size_t field = text.find(" " + name + " ");
    if (field == std::string::npos) return "";
    const size_t value = field + name.size() + 2;
    return text.substr(value, text.find(' ', value) - value);
  }
};

// The text of the first line of the log that starts with `start`.
std::string LineStarting(const std::string& log, const std::string& start) {
  const size_t at = log.find(start);
  if (at == std::string::npos) return "";
  return log.substr(at, log.find('\n', at) - at);
}

// The console text of every line of the log holding `text`, from `text` on.
std::vector<std::string> LinesWith(const std::string& log, const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);)
    if (const size_t at = line.find(text); at != std::string::npos) lines.push_back(line.substr(at));
  return lines;
}

// The lines of a machine's log about blocks and auctions, for a failure's message.
std::string DebugLines(const std::string& log) {
  std::string out;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);)
    if (line.find("block") != std::string::npos || line.find("Block") != std::string::npos ||
        line.find("uction") != std::string::npos || line.find("LEASE") != std::string::npos)
      out += line + "\n";
  return out.substr(0, 20000);
}

// The first of those lines that holds `also` too ("" when none does).
std::string FirstWith(const std::string& log, const std::string& text, const std::string& also) {
  for (const std::string& line : LinesWith(log, text))
    if (line.find(also) != std::string::npos) return line;
  return "";
}

// The number after `word` in the line (0 when it is missing).
uint32_t NumberAfter(const std::string& line, const std::string& word) {
  const size_t at = line.find(word);
  return at == std::string::npos ? 0 : static_cast<uint32_t>(std::stoul(line.substr(at + word.size())));
}

// The command script of a machine's player: it asks for its own empty block
// at the tick given (bidding up to 9500 for it, near all its money, so that
// a computer player that puts the block up first or bids against it loses
// it to the player, and up to 600 in any other auction), builds a small
// shop on it once it holds it, and raises the shop's first price.
std::string PlayerScript(int block, int askAt) {
  const std::string b = std::to_string(block);
  return "\nAUTOBID 600\nAUTOBID 9500 " + b + "\nWHEN TICK " + std::to_string(askAt) + " LEASE " + b +
         "\nWHEN BLOCK " + b + " BUILD " + b + " 0 0 2 2 1 0\nWHEN SHOP SHOPPRICE 0 3\n";
}

TEST_F(NetworkPlayTest, FourMachinesRunInStep) {
  // The players' four auctions take over 3000 ticks each: too long for the
  // sanitizer build, which runs the computer players alone.
  constexpr bool kScripted = kTicksInStep >= 15000;
  // Empty blocks of the free-play city (two railroads and two utilities):
  // the computer players build on no such block, though they may bid for it.
  constexpr int kBlocks[4] = {2, 4, 17, 35};
  std::vector<fs::path> folders, logs;
  for (int i = 0; i < 4; ++i) {
    folders.push_back(MachineFolder(i == 0 ? "host" : "client" + std::to_string(i)));
    logs.push_back(folders.back() / "run.log");
    // The clients ask late in the first day, while the computer players'
    // auctions follow one another.
    if (kScripted)
      std::ofstream(folders.back() / "parameters" / "parameter.prm", std::ios::app)
          << PlayerScript(kBlocks[i], i == 0 ? 0 : 16000);
  }
  const fs::path& hostLog = logs[0];
  // Two computer players run on the host, which at full speed runs far ahead
  // of its clients: their requests for blocks reach the host first, and the
  // people's requests wait their turn behind them (each served within a few
  // auctions).
  StartIn(folders[0], hostLog.string(), HostArgs(4, 2));
  std::vector<pid_t> clients;
  for (int i = 1; i < 4; ++i) clients.push_back(StartIn(folders[i], logs[i].string(), JoinArgs()));

  // Each machine's player leases its block, builds and prices its shop; the
  // change reaches every machine at the same tick.
  uint32_t lastChange = 0;
  if (kScripted) {
    for (int i = 0; i < 4; ++i) {
      // The machine's own requests: its player's number and its shop.
      ASSERT_TRUE(WaitForText(logs[i], " row 0: price ", 300)) << Read(logs[i]).substr(0, 8000);
      const std::string own = Read(logs[i]);
      const std::string block = std::to_string(kBlocks[i]);
      const std::string built = FirstWith(own, "Player ", " builds type ");
      const std::string priced = FirstWith(own, "Business ", " row 0: price ");
      ASSERT_FALSE(built.empty() || priced.empty()) << "machine " << i << "\n" << DebugLines(own);
      const std::string player = std::to_string(NumberAfter(built, "Player "));
      const std::string shop = std::to_string(NumberAfter(priced, "Business "));
      EXPECT_NE(built.find(" on block " + block + " "), std::string::npos) << built;
      // Its one request waited its turn and was served: never refused, it
      // was never asked again. (A computer player may have put the block up
      // before the player's turn came, and the player won it there.)
      const size_t asks = LinesWith(own, " asks for block ").size();
      EXPECT_LE(asks, 1u) << DebugLines(own);
      if (asks == 0)
        EXPECT_NE(FirstWith(own, "Lease of block " + block + ":", " is player " + player + "'s"), "") << DebugLines(own);
      else
        EXPECT_NE(FirstWith(own, "Player " + player + " asks for block " + block + " ", " at "), "") << DebugLines(own);
      for (const std::string& line : {"Block " + block + " leased by player " + player + " for ",
                                      " of player " + player + " goes up on block " + block + " ",
                                      "Prices of business " + shop + " set at tick "}) {
        SCOPED_TRACE("machine " + std::to_string(i) + ":" + line);
        // The same line, tick included, on every machine.
        std::string expected;
        for (const fs::path& log : logs) {
          ASSERT_TRUE(WaitForText(log, line, 120)) << Read(log).substr(0, 8000);
          const std::string found = LinesWith(Read(log), line).front();
          if (expected.empty()) expected = found;
          EXPECT_EQ(found, expected);
        }
        lastChange = std::max(lastChange, NumberAfter(expected, " at tick "));
      }
      // Its player took part in the auctions with its own moves.
      const std::string moves = Read(logs[i]);
      EXPECT_TRUE(moves.find("Player " + player + " bids ") != std::string::npos ||
                  moves.find("Player " + player + " passes ") != std::string::npos)
          << moves.substr(0, 8000);
    }
  }
  // Two game days of 15,000 ticks (three game hours in the sanitizer build,
  // some fifty times slower), and past the players' last change: every
  // client's snapshot agrees with the host's at the last check.
  const uint32_t last = std::max(kTicksInStep, (lastChange / 200 + 1) * 200);
  for (int player = 2; player <= 4; ++player)
    ASSERT_TRUE(WaitForText(hostLog, InStep(last, player), 240)) << Read(hostLog).substr(0, 4000);
  const std::string text = Read(hostLog);
  // The players built and paid, and every machine agrees on it: the
  // buildings and the players' accounts have moved from where the level
  // started them (with nobody acting both stand still).
  for (const char* part : {"buildings", "players"}) {
    if (!kScripted) break;
    const std::string first = Checksum(text, InStep(200, 2), part);
    const std::string lastSum = Checksum(text, InStep(last, 2), part);
    EXPECT_FALSE(first.empty()) << part;
    EXPECT_NE(first, lastSum) << part;
  }
  EXPECT_EQ(text.find("out of sync"), std::string::npos);
  EXPECT_EQ(text.find("[WARNING!]"), std::string::npos) << text.substr(0, 8000);
  // Each machine sends only its own player's acts, the host its computers' too.
  EXPECT_EQ(text.find("Refused a game message"), std::string::npos) << LineStarting(text, "Refused");
  EXPECT_FALSE(fs::exists(folders[0] / "desync.log"));

  // The host leaves: each client's game ends with the reason, and the
  // program stays up (the front end takes over there).
  ::kill(running_.front(), SIGTERM);
  for (size_t i = 1; i < logs.size(); ++i)
    EXPECT_TRUE(WaitForText(logs[i], "The host has left; the network game is over.", 20)) << Read(logs[i]);
  for (pid_t c : clients) {
    ::kill(c, SIGTERM);
    int status = Wait(c);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
}

// Each machine brings its profile's name; the host seats the players with
// tokens of their own (its own wish first), and both machines start the
// level with the same seats.
TEST_F(NetworkPlayTest, ThePlayersSitUnderTheirProfileNamesWithTokensOfTheirOwn) {
  const fs::path host = MachineFolder("host");
  const fs::path client = MachineFolder("client");
  for (const auto& [m, name] : {std::pair{host, "Hostess"}, std::pair{client, "Guest"}}) {
    Write(m / "profiles" / "memory.lua", std::string("ProfileName = \"") + name + "\"\n");
    Write(m / "profiles" / name / "settings.lua", "g_ProfileOptions.PreferredCharacter = 3\n");
  }
  const fs::path hostLog = host / "run.log", clientLog = client / "run.log";
  StartIn(host, hostLog.string(), HostArgs(2));
  StartIn(client, clientLog.string(), JoinArgs());
  ASSERT_TRUE(WaitForText(hostLog, InStep(200, 2), 120)) << Read(hostLog);
  for (const fs::path& log : {hostLog, clientLog}) {
    const std::string text = Read(log);
    EXPECT_NE(text.find("Seat 1: Hostess, token 3"), std::string::npos) << text.substr(0, 6000);
    EXPECT_NE(text.find("Seat 2: Guest, token 0"), std::string::npos) << text.substr(0, 6000);
  }
}

TEST_F(NetworkPlayTest, ADifferingClientIsReportedBySubsystemAndTheGameGoesOn) {
  const fs::path host = MachineFolder("host");
  const fs::path client = MachineFolder("client");
  // This client alone starts its players with other money.
  std::ofstream(client / "scripts" / "freeplay" / "hub.lua", std::ios::app) << "\nInitialValue.playermoney = 7777\n";
  const fs::path hostLog = host / "run.log";
  StartIn(host, hostLog.string(), HostArgs(2));
  StartIn(client, (client / "run.log").string(), JoinArgs());

  ASSERT_TRUE(WaitForText(hostLog, "Players out of sync (tick 200, player 2)", 120)) << Read(hostLog);
  // The game goes on: later checks are made and reported too.
  ASSERT_TRUE(WaitForText(hostLog, "Players out of sync (tick 400, player 2)", 120)) << Read(hostLog);
  const std::string text = Read(hostLog);
  EXPECT_EQ(text.find("People out of sync"), std::string::npos);
  EXPECT_EQ(text.find("[WARNING!]"), std::string::npos) << text;  // no box stalls the host
  // The host's log holds both snapshots with the tick and the client.
  const std::string desync = Read(host / "desync.log");
  EXPECT_NE(desync.find("tick 200 player 2: Players out of sync\n  host:   people "), std::string::npos) << desync;
  EXPECT_NE(desync.find("\n  client: people "), std::string::npos) << desync;
}

// Both machines give the starting city's first shop to player 2 (the
// client's) as the level starts, the same on each, so the game stays in step.
constexpr const char* kGiveShopToPlayer2 = R"(
local StartLevel = EVENT_Level
function EVENT_Level(argument)
  local result = StartLevel(argument)
  for i = 0, 599 do
    local shop = Business[i]
    if shop:GetPropertyAddress() >= 0 and shop:GetType() < 42 and shop:GetOwner() == 0 then
      shop:SetOwner(2)
      break
    end
  end
  return result
end
)";

TEST_F(NetworkPlayTest, APriceChangedOnAClientTakesEffectOnBothMachinesAtOneTick) {
  const fs::path host = MachineFolder("host");
  const fs::path client = MachineFolder("client");
  for (const fs::path& m : {host, client})
    std::ofstream(m / "scripts" / "freeplay" / "hub.lua", std::ios::app) << kGiveShopToPlayer2;
  // The client's player raises the first row's price three steps through
  // the business panel once the game runs; closing the panel sends it.
  std::ofstream(client / "parameters" / "parameter.prm", std::ios::app) << "\nSHOPPRICE 0 3\n";
  const fs::path hostLog = host / "run.log", clientLog = client / "run.log";
  StartIn(host, hostLog.string(), HostArgs(2));
  StartIn(client, clientLog.string(), JoinArgs());

  ASSERT_TRUE(WaitForText(clientLog, "Prices of business", 120)) << Read(clientLog).substr(0, 4000);
  ASSERT_TRUE(WaitForText(hostLog, "Prices of business", 120)) << Read(hostLog).substr(0, 4000);
  const std::string sent = LineStarting(Read(clientLog), "Business ");
  EXPECT_NE(sent.find(" row 0: price "), std::string::npos) << sent;
  // The same prices at the same tick on both machines.
  const std::string onClient = LineStarting(Read(clientLog), "Prices of business");
  const std::string onHost = LineStarting(Read(hostLog), "Prices of business");
  EXPECT_EQ(onClient, onHost);
  const size_t at = onHost.find(" at tick ");
  ASSERT_NE(at, std::string::npos);
  const uint32_t tick = static_cast<uint32_t>(std::stoul(onHost.substr(at + 9)));
  // The raised price: the first row's figure ends in the step's sum.
  EXPECT_NE(sent.find(onHost.substr(onHost.find(": ") + 2, 4)), std::string::npos) << sent << "\n" << onHost;
  // The next snapshot after it finds the client in step, shops included.
  const uint32_t next = (tick / 200 + 1) * 200;
  ASSERT_TRUE(WaitForText(hostLog, InStep(next, 2), 120)) << Read(hostLog).substr(0, 8000);
  const std::string text = Read(hostLog);
  EXPECT_EQ(text.find("out of sync"), std::string::npos);
  EXPECT_EQ(text.find("[WARNING!]"), std::string::npos) << text.substr(0, 8000);
}

// The chunk types of a save file whose bytes differ between two saves ("" when
// the files are equal).
std::string DifferingChunks(const std::string& a, const std::string& b) {
  auto chunks = [](const std::string& file) {
    std::map<int32_t, std::string> out;
    for (size_t at = 0; at + 4 <= file.size();) {
      int32_t type = 0, length = 0;
      std::memcpy(&type, file.data() + at, 4);
      if (type == -1 || at + 8 > file.size()) break;
      std::memcpy(&length, file.data() + at + 4, 4);
      if (length < 0 || at + 8 + size_t(length) > file.size()) break;
      out[type] += file.substr(at + 8, size_t(length));
      at += 8 + size_t(length);
    }
    return out;
  };
  const std::map<int32_t, std::string> ca = chunks(a), cb = chunks(b);
  std::string differing;
  for (const auto& [type, bytes] : ca) {
    const auto other = cb.find(type);
    if (other == cb.end()) {
      differing += " " + std::to_string(type);
    } else if (other->second != bytes) {  // with the first byte that differs
      size_t at = 0;
      while (at < bytes.size() && at < other->second.size() && bytes[at] == other->second[at]) ++at;
      differing += " " + std::to_string(type) + "@" + std::to_string(at);
    }
  }
  for (const auto& [type, bytes] : cb)
    if (!ca.count(type)) differing += " " + std::to_string(type);
  if (differing.empty() && a != b) differing = " (the chunks' order)";
  return differing;
}

// How many chunks of the type the save file holds.
int ChunkCount(const std::string& file, int32_t wanted) {
  int n = 0;
  for (size_t at = 0; at + 8 <= file.size();) {
    int32_t type = 0, length = 0;
    std::memcpy(&type, file.data() + at, 4);
    std::memcpy(&length, file.data() + at + 4, 4);
    if (type == -1 || length < 0) break;
    n += type == wanted;
    at += 8 + size_t(length);
  }
  return n;
}

// The file a machine saved under its profile's folder.
std::string SavedFile(const fs::path& machine, const std::string& name) {
  for (const auto& e : fs::recursive_directory_iterator(machine / "profiles"))
    if (e.path().filename() == name) {
      std::ifstream in(e.path(), std::ios::binary);
      return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
  return "";
}

// The level script of every machine gives each human player (1..n) a shop
// and a residence of the starting city as the level starts, the same on each.
std::string GiveShopAndHomeToPlayers(int players) {
  return R"(
local StartLevel = EVENT_Level
function EVENT_Level(argument)
  local result = StartLevel(argument)
  for player = 1, )" + std::to_string(players) + R"( do
    local shop = nil
    local home = nil
    for i = 0, 599 do
      local b = Business[i]
      if b:GetPropertyAddress() >= 0 and b:GetOwner() == 0 then
        local t = b:GetType()
        if not shop and t < 42 then
          shop = b
        elseif not home and (t == 42 or t == 43) then
          home = b
        end
      end
    end
    if shop then shop:SetOwner(player) end
    if home then home:SetOwner(player) end
  end
  return result
end
)";
}

// A command script that stops the machine's logic at each tick in turn and
// saves the game there as "tick<t>": the host, a moment before its clients,
// goes on at once, so the clients save while the host runs ahead.
std::string SaveAtEveryTick(const std::vector<uint32_t>& ticks, int settleSteps) {
  std::string script = "\nHOLD " + std::to_string(ticks.front()) + "\n";
  for (size_t i = 0; i < ticks.size(); ++i) {
    // Each WHEN waits one more step of the command script.
    std::string wait;
    for (int s = 0; s < settleSteps; ++s) wait += "WHEN TICK " + std::to_string(ticks[i]) + " ";
    script += wait + "SAVEGAME tick" + std::to_string(ticks[i]) + "\n";
    if (i + 1 < ticks.size())
      script += wait + "WHEN TICK " + std::to_string(ticks[i]) + " HOLD " + std::to_string(ticks[i + 1]) + "\n";
  }
  return script;
}

// The chunks of a save file in order, each as its type, length and bytes.
std::vector<std::pair<int32_t, std::string>> ChunksOf(const std::string& file) {
  std::vector<std::pair<int32_t, std::string>> out;
  for (size_t at = 0; at + 8 <= file.size();) {
    int32_t type = 0, length = 0;
    std::memcpy(&type, file.data() + at, 4);
    if (type == -1) break;
    std::memcpy(&length, file.data() + at + 4, 4);
    if (length < 0 || at + 8 + size_t(length) > file.size()) break;
    out.emplace_back(type, file.substr(at + 8, size_t(length)));
    at += 8 + size_t(length);
  }
  return out;
}

// The first chunk (its place, type and first differing byte) where two saves
// part, "" when they hold the same chunks.
std::string FirstDifferingChunk(const std::vector<std::pair<int32_t, std::string>>& a,
                                const std::vector<std::pair<int32_t, std::string>>& b) {
  for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    if (i >= a.size() || i >= b.size()) return "chunk " + std::to_string(i) + ": one save ends";
    if (a[i] == b[i]) continue;
    size_t at = 0;
    while (at < a[i].second.size() && at < b[i].second.size() && a[i].second[at] == b[i].second[at]) ++at;
    return "chunk " + std::to_string(i) + ", types " + std::to_string(a[i].first) + " and " +
           std::to_string(b[i].first) + ", byte " + std::to_string(at);
  }
  return "";
}

std::span<const uint8_t> BytesOf(const std::string& chunk) {
  return {reinterpret_cast<const uint8_t*>(chunk.data()), chunk.size()};
}

// The fields of two auction records that differ, by name ("" when none).
std::string DifferingAuctionFields(const std::string& a, const std::string& b) {
  CAuction x, y;
  if (!DecodeRecord(BytesOf(a), x) || !DecodeRecord(BytesOf(b), y)) return " (a record that does not decode)";
  std::string out;
  auto field = [&](const std::string& name, auto p, auto q) {
    if (!(p == q)) out += " " + name;
  };
  for (int i = 0; i < kMaxPlayers; ++i) {
    const std::string row = "rows[" + std::to_string(i) + "].";
    field(row + "stillIn", x.rows[i].stillIn, y.rows[i].stillIn);
    field(row + "lastBid", x.rows[i].lastBid, y.rows[i].lastBid);
    field(row + "passed", x.rows[i].passed, y.rows[i].passed);
    field(row + "pulledOut", x.rows[i].pulledOut, y.rows[i].pulledOut);
  }
  field("block", x.block, y.block);
  field("seller", x.seller, y.seller);
  field("lastBidder", x.lastBidder, y.lastBidder);
  field("turn", x.turn, y.turn);
  field("leader", x.leader, y.leader);
  field("winner", x.winner, y.winner);
  field("passes", x.passes, y.passes);
  field("openingBid", x.openingBid, y.openingBid);
  field("price", x.price, y.price);
  field("noSale", x.noSale, y.noSale);
  field("stage", x.stage, y.stage);
  field("stageTimer", x.stageTimer, y.stageTimer);
  field("active", x.active, y.active);
  field("pending", x.pending, y.pending);
  field("countdown", x.countdown, y.countdown);
  field("starter", x.starter, y.starter);
  field("openingValue", x.openingValue, y.openingValue);
  field("camera", a.substr(140, kAuctionCameraSize), b.substr(140, kAuctionCameraSize));
  field("screenMode", x.screenMode, y.screenMode);
  field("constraint", x.constraint, y.constraint);
  return out;
}

// Where a client's save of a tick parts from the host's, field by field ("" when
// nowhere). The header's money is the saving machine's own player's, shown on
// the load page: the one field that may differ. Every other chunk, the
// auction record's bidding and the cameras included, is every machine's alike.
std::string WhereSavesPart(const std::vector<std::pair<int32_t, std::string>>& host,
                           const std::vector<std::pair<int32_t, std::string>>& client) {
  for (size_t i = 0; i < std::max(host.size(), client.size()); ++i) {
    if (i >= host.size() || i >= client.size() || host[i].first != client[i].first)
      return "the chunks differ from chunk " + std::to_string(i) + " on";
    const auto& [type, bytes] = host[i];
    const std::string& other = client[i].second;
    if (type == kChunkHeader) {
      SaveGameHeader h, c;
      if (!DecodeRecord(BytesOf(bytes), h) || !DecodeRecord(BytesOf(other), c)) return "a header that does not decode";
      if (h.scenarioId != c.scenarioId || h.year != c.year || h.difficulty != c.difficulty) return "the header";
    } else if (type == kChunkAuction && bytes != other) {
      return "the auction record:" + DifferingAuctionFields(bytes, other);
    } else if (bytes != other) {
      return "chunk type " + std::to_string(type) + ": " + FirstDifferingChunk({host[i]}, {client[i]});
    }
  }
  return "";
}

// Machines of one network game (two and four) with two computer players
// save the game at the same ticks across a game day while the people and
// the computers change prices and rents, are dealt cards and bid in the
// computers' auctions: every machine's file holds the host's chunks field by
// field, the header's money of the saving machine's own player aside, and
// every snapshot check finds the clients in step.
class NetworkSavesTest : public NetworkPlayTest, public ::testing::WithParamInterface<int> {};

TEST_P(NetworkSavesTest, EveryMachinesSaveOfATickHoldsTheHostsChunks) {
  const int machines = GetParam();
#if defined(__SANITIZE_ADDRESS__)
  const std::vector<uint32_t> ticks = {300, 700, 1100};
#else
  std::vector<uint32_t> ticks;
  for (uint32_t t = 750; t <= 15000; t += 1500) ticks.push_back(t);
#endif
  std::vector<fs::path> folders, logs;
  for (int i = 0; i < machines; ++i) {
    folders.push_back(MachineFolder(i == 0 ? "host" : "client" + std::to_string(i)));
    logs.push_back(folders.back() / "run.log");
    std::ofstream(folders.back() / "scripts" / "freeplay" / "hub.lua", std::ios::app)
        << GiveShopAndHomeToPlayers(machines);
    // Each player changes prices and rent and is dealt a card, between the
    // saves and at some of them; the clients let what is in flight settle
    // longer than the host before saving.
    const uint32_t at = ticks[1] / 3 + 40 * uint32_t(i);
    std::ofstream(folders.back() / "parameters" / "parameter.prm", std::ios::app)
        << SaveAtEveryTick(ticks, i == 0 ? 12 : 28) << "AUTOBID 600\nWHEN TICK " << at << " SHOPPRICE 0 3\n"
        << "WHEN TICK " << at + 200 << " HOMERENT 2\n"
        << "WHEN TICK " << at + 400 << " DEALCARD " << 10 + i << "\n"
        << "WHEN TICK " << ticks[1] << " SHOPPRICE 1 -1\n"
        << "WHEN TICK " << ticks[2] << " HOMERENT -1\n";
  }
  StartIn(folders[0], logs[0].string(), HostArgs(machines, 2));
  for (int i = 1; i < machines; ++i) StartIn(folders[i], logs[i].string(), JoinArgs());

  int auctions = 0;
  for (uint32_t tick : ticks) {
    const std::string name = "tick" + std::to_string(tick);
    for (const fs::path& log : logs)
      ASSERT_TRUE(WaitForText(log, "File " + name + " saved successfully", 600)) << Read(log).substr(0, 8000);
    const auto host = ChunksOf(SavedFile(folders[0], name));
    ASSERT_GT(host.size(), 10u);
    auctions += ChunkCount(SavedFile(folders[0], name), kChunkAuction);
    for (int i = 1; i < machines; ++i) {
      SCOPED_TRACE("machine " + std::to_string(i) + " at tick " + std::to_string(tick));
      EXPECT_EQ(WhereSavesPart(host, ChunksOf(SavedFile(folders[i], name))), "");
    }
  }
  // Some saves fell while an auction was announced or up. The sanitizer's
  // three early saves may all fall between the computers' auctions: there
  // the normal build's day of saves covers the auction record.
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_GT(auctions, 0);
#else
  (void)auctions;
#endif
  // Every machine's people acted, and every change reached every machine.
  const std::string hostText = Read(logs[0]);
  for (int i = 0; i < machines; ++i) {
    const std::string own = Read(logs[i]);
    EXPECT_NE(own.find(" row 0: price "), std::string::npos) << own.substr(0, 8000);
    EXPECT_NE(own.find(" rent "), std::string::npos) << own.substr(0, 8000);
  }
  EXPECT_GE(LinesWith(hostText, "Prices of business ").size(), size_t(2 * machines));
  const uint32_t lastCheck = ticks.back() / 200 * 200;
  for (int player = 2; player <= machines; ++player)
    ASSERT_TRUE(WaitForText(logs[0], InStep(lastCheck, player), 240)) << Read(logs[0]).substr(0, 4000);
  EXPECT_EQ(Read(logs[0]).find("out of sync"), std::string::npos);
  EXPECT_FALSE(fs::exists(folders[0] / "desync.log"));
}

INSTANTIATE_TEST_SUITE_P(TwoAndFourMachines, NetworkSavesTest, ::testing::Values(2, 4));

// A host with a computer player and a client save the game at one tick, each
// on its own machine: the two files are the same bytes.
TEST_F(NetworkPlayTest, TheHostsAndTheClientsSaveOfOneTickAreEqual) {
  const fs::path host = MachineFolder("host");
  const fs::path client = MachineFolder("client");
#if defined(__SANITIZE_ADDRESS__)
  constexpr int kSaveTick = 1500;
#else
  constexpr int kSaveTick = 9000;
#endif
  // Both machines stop at the tick for good; there each lets the messages in
  // flight arrive for some twenty steps of its command script (each WHEN
  // waits one more), then saves.
  std::string save = "SAVEGAME atonetick";
  for (int i = 0; i < 20; ++i) save = "WHEN TICK " + std::to_string(kSaveTick) + " " + save;
  save = "HOLD " + std::to_string(kSaveTick) + "\n" + save;
  for (const fs::path& m : {host, client})
    std::ofstream(m / "parameters" / "parameter.prm", std::ios::app) << "\n" << save << "\n";
  const fs::path hostLog = host / "run.log", clientLog = client / "run.log";
  StartIn(host, hostLog.string(), HostArgs(2, 1));
  StartIn(client, clientLog.string(), JoinArgs());
  for (const fs::path& log : {hostLog, clientLog})
    ASSERT_TRUE(WaitForText(log, "File atonetick saved successfully", 240)) << Read(log).substr(0, 8000);
  const std::string onHost = SavedFile(host, "atonetick"), onClient = SavedFile(client, "atonetick");
  ASSERT_GT(onHost.size(), 1000u);
  EXPECT_EQ(onHost.size(), onClient.size());
  EXPECT_TRUE(onHost == onClient) << "chunks that differ:" << DifferingChunks(onHost, onClient);
  // Both people and the computer player are in it.
  EXPECT_EQ(ChunkCount(onHost, 64), 3);
}

// A saved game is never loaded into a network game: LOADGAME given on the
// host or on a client is refused on that machine with its reason, and the
// machines play on in step, none waiting for another. The save a network
// game wrote loads afterwards in a game of one machine.
TEST_F(NetworkPlayTest, ASavedGameIsNotLoadedIntoANetworkGame) {
  struct Case {
    const char* machine;
    uint32_t loadAt;
  };
  const Case cases[] = {{"host", 300}, {"client", 500}};
  std::vector<fs::path> folders, logs;
  std::vector<pid_t> pids;
  for (const Case& c : cases) {
    folders.push_back(MachineFolder(c.machine));
    logs.push_back(folders.back() / "run.log");
    std::ofstream(folders.back() / "parameters" / "parameter.prm", std::ios::app)
        << "\nWHEN TICK 200 SAVEGAME base\nWHEN TICK " << c.loadAt << " LOADGAME base\n";
  }
  pids.push_back(StartIn(folders[0], logs[0].string(), HostArgs(2, 1)));
  pids.push_back(StartIn(folders[1], logs[1].string(), JoinArgs()));
  for (size_t i = 0; i < logs.size(); ++i) {
    SCOPED_TRACE(cases[i].machine);
    ASSERT_TRUE(WaitForText(logs[i],
                            "Error. File base could not be loaded: a network game plays on the city it started with; "
                            "no saved game can be loaded into it",
                            240))
        << Read(logs[i]).substr(0, 8000);
  }
  ASSERT_TRUE(WaitForText(logs[0], InStep(1000, 2), 240)) << Read(logs[0]).substr(0, 8000);
  for (size_t i = 0; i < logs.size(); ++i) {
    SCOPED_TRACE(cases[i].machine);
    const std::string text = Read(logs[i]);
    EXPECT_EQ(text.find("loaded successfully"), std::string::npos);
    EXPECT_EQ(text.find("Waiting for"), std::string::npos);
    EXPECT_EQ(text.find("out of sync"), std::string::npos);
    EXPECT_EQ(text.find("[WARNING!]"), std::string::npos) << text.substr(0, 8000);
  }
  for (pid_t pid : pids) {
    ::kill(pid, SIGTERM);
    Wait(pid);
  }
  // The host's save, without the cameras a network game leaves out, loads
  // in a game of one machine.
  fs::copy_file(fs::path(RC_GAME_ROOT) / "parameters" / "parameter.prm", folders[0] / "parameters" / "parameter.prm",
                fs::copy_options::overwrite_existing);
  std::ofstream(folders[0] / "parameters" / "parameter.prm", std::ios::app) << "\nWHEN TICK 50 LOADGAME base\n";
  const fs::path alone = folders[0] / "alone.log";
  StartIn(folders[0], alone.string(), {});
  ASSERT_TRUE(WaitForText(alone, "File base loaded successfully", 240)) << Read(alone).substr(0, 8000);
}

}  // namespace
