// The ENet transport with several machines in one process, on 127.0.0.1
// only: joining, the six-player limit, refusals, ordering, broadcasts, chat,
// departures, oversize blocks and the session search (broadcast on the
// loopback network). Every wait is bounded.
#include "platform/net/enet_transport.h"

#include <enet/enet.h>

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::NetEvent;
using platform::NetEventKind;
using platform::NetTransport;

constexpr const char* kLoopback = "127.0.0.1";
constexpr const char* kLoopbackBroadcast = "127.255.255.255";

class EnetTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int next = 0;
    port_ = static_cast<uint16_t>(30000 + (::getpid() * 7 + next++ * 13) % 20000);
    // Searches stay on this machine, by the setting players and scripts use.
    const char* before = std::getenv(kSearchSetting);
    searchBefore_ = before ? std::optional<std::string>(before) : std::nullopt;
    ::setenv(kSearchSetting, "loopback", 1);
  }
  void TearDown() override {
    if (searchBefore_)
      ::setenv(kSearchSetting, searchBefore_->c_str(), 1);
    else
      ::unsetenv(kSearchSetting);
  }

  static constexpr const char* kSearchSetting = "CITYRUN_SESSION_SEARCH";
  std::optional<std::string> searchBefore_;

  NetTransport& Add() {
    machines_.push_back(platform::CreateEnetTransport());
    events_.emplace_back();
    return *machines_.back();
  }

  NetTransport& Host() {
    NetTransport& host = Add();
    // The port may be held by another program's socket (every test and
    // every client on the machine takes ports from this range): the test
    // moves on to another port rather than fail for it.
    bool hosted = false;
    for (int i = 0; i < 50 && !hosted; ++i) {
      hosted = host.HostSession("soak", port_, "host", "The Host");
      if (!hosted) port_ = static_cast<uint16_t>(30000 + (port_ - 30000 + 101) % 20000);
    }
    EXPECT_TRUE(hosted);
    return host;
  }

  // A client that has joined (or been refused: then InSession stays false).
  NetTransport& Join(const std::string& name) {
    NetTransport& c = Add();
    EXPECT_TRUE(c.JoinSession(kLoopback, port_, name, name + " long", 1));
    PumpUntil([&] { return c.InSession() || Count(Index(c), NetEventKind::kSessionLost) > 0; });
    return c;
  }

  size_t Index(const NetTransport& t) const {
    for (size_t i = 0; i < machines_.size(); ++i)
      if (machines_[i].get() == &t) return i;
    return 0;
  }

  // Polls every machine until the condition holds, for at most 5 s.
  // Generous: a loaded CI machine can hold loopback packets for seconds.
  bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 3000; ++i) {
      for (size_t m = 0; m < machines_.size(); ++m)
        for (NetEvent& e : machines_[m]->Poll()) events_[m].push_back(std::move(e));
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  int Count(size_t machine, NetEventKind kind) const {
    int n = 0;
    for (const NetEvent& e : events_[machine]) n += e.kind == kind;
    return n;
  }
  std::vector<NetEvent> Of(size_t machine, NetEventKind kind) const {
    std::vector<NetEvent> out;
    for (const NetEvent& e : events_[machine])
      if (e.kind == kind) out.push_back(e);
    return out;
  }

  uint16_t port_ = 0;
  std::vector<std::unique_ptr<NetTransport>> machines_;
  std::vector<std::vector<NetEvent>> events_;
};

TEST_F(EnetTransportTest, SixPlayersJoinTheSeventhIsRefusedAndEveryoneHearsOfEachOther) {
  NetTransport& host = Host();
  EXPECT_EQ(host.Connections(), std::vector<std::string>{"TCP/IP"});
  std::vector<NetTransport*> clients;
  for (int i = 0; i < 5; ++i) clients.push_back(&Join("p" + std::to_string(i)));
  for (NetTransport* c : clients) {
    EXPECT_TRUE(c->InSession());
    EXPECT_FALSE(c->IsHost());
    EXPECT_EQ(c->HostId(), host.LocalId());
  }
  EXPECT_EQ(host.PlayerCount(), 6);
  // Ids are the host's, all different.
  std::vector<uint32_t> ids{host.LocalId()};
  for (NetTransport* c : clients) ids.push_back(c->LocalId());
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
  // The host saw five players created, with their names.
  ASSERT_EQ(Count(0, NetEventKind::kPlayerCreated), 5);
  EXPECT_EQ(Of(0, NetEventKind::kPlayerCreated)[2].shortName, "p2");
  EXPECT_EQ(Of(0, NetEventKind::kPlayerCreated)[2].longName, "p2 long");
  // The last to join learnt of the five before it.
  ASSERT_TRUE(PumpUntil([&] { return clients[0]->PlayerCount() == 6; }));
  EXPECT_EQ(clients[4]->PlayerCount(), 6);

  NetTransport& seventh = Join("late");
  EXPECT_FALSE(seventh.InSession());
  ASSERT_EQ(Count(Index(seventh), NetEventKind::kSessionLost), 1);
  EXPECT_EQ(Of(Index(seventh), NetEventKind::kSessionLost)[0].text, "The session is full.");
  EXPECT_EQ(host.PlayerCount(), 6);
}

TEST_F(EnetTransportTest, JoiningDisabledIsRefusedAndDiscoveryShowsTheSession) {
  NetTransport& host = Host();
  const int32_t words[4] = {1, 2, 3, 4};
  host.SetSessionUserValues(words);
  host.DisableJoining();
  // Asked with no address: this machine and the network's broadcast both
  // reach the host, which is listed once, at the address it answered from.
  NetTransport& looker = Add();
  ASSERT_TRUE(looker.EnumerateSessions("", port_));
  ASSERT_TRUE(PumpUntil([&] { return !looker.Sessions().empty(); }));
  ASSERT_TRUE(looker.EnumerateSessions(kLoopback, port_));
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
  PumpUntil([&] { return std::chrono::steady_clock::now() > until; });  // every answer in
  ASSERT_EQ(looker.Sessions().size(), 1u);
  const platform::NetSessionInfo info = looker.Sessions()[0];
  EXPECT_EQ(info.address, kLoopback);
  EXPECT_EQ(info.port, port_);
  EXPECT_EQ(info.name, "soak");
  EXPECT_EQ(info.players, 1);
  EXPECT_EQ(info.maxPlayers, 6);
  EXPECT_TRUE(info.joinDisabled);
  EXPECT_EQ(info.user[3], 4);
  looker.StopSessionEnumeration();

  NetTransport& refused = Join("x");
  EXPECT_FALSE(refused.InSession());
  EXPECT_EQ(Of(Index(refused), NetEventKind::kSessionLost).at(0).text,
            "The session does not accept players now.");
  host.EnableJoining();
  EXPECT_TRUE(Join("y").InSession());
}

// A host elsewhere on the network hears only the search's broadcast (this
// stand-in is bound to the loopback network's broadcast address) and answers
// it: a good reply lists its session; replies of the wrong length or with a
// field out of its range are dropped, each with a warning.
TEST_F(EnetTransportTest, ABroadcastSearchListsTheAnswerAndDropsMalformedReplies) {
  ENetAddress listen{}, reply{};
  enet_address_set_host_ip(&listen, kLoopbackBroadcast);
  enet_address_set_host_ip(&reply, kLoopback);
  ENetSocket hears = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
  ENetSocket answers = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
  ASSERT_NE(hears, ENET_SOCKET_NULL);
  ASSERT_NE(answers, ENET_SOCKET_NULL);
  for (int i = 0; i < 50; ++i) {  // a free port
    listen.port = port_;
    if (enet_socket_bind(hears, &listen) == 0) break;
    port_ = static_cast<uint16_t>(30000 + (port_ - 30000 + 101) % 20000);
  }
  enet_socket_set_option(hears, ENET_SOCKOPT_NONBLOCK, 1);
  reply.port = 0;
  ASSERT_EQ(enet_socket_bind(answers, &reply), 0);

  // The reply: game id, kind, name[32], instance, players, most players,
  // joining disabled, four words.
  auto make = [](uint32_t game, uint8_t kind, const std::string& name, uint32_t players, uint32_t most,
                 uint8_t disabled) {
    std::vector<uint8_t> b;
    auto u32 = [&](uint32_t v) {
      for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    u32(game);
    b.push_back(kind);
    for (size_t i = 0; i < 32; ++i) b.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
    u32(77);
    u32(players);
    u32(most);
    b.push_back(disabled);
    for (uint32_t w : {400002u, 1u, 5000u, 0x60002u}) u32(w);
    return b;
  };
  const uint8_t kReply = 0x52;
  const std::vector<uint8_t> good = make(platform::kNetGameId, kReply, "across the street", 2, 6, 0);
  std::vector<uint8_t> shorter(good.begin(), good.end() - 1), longer = good;
  longer.push_back(0);
  const std::vector<std::vector<uint8_t>> bad = {
      shorter,
      longer,
      make(platform::kNetGameId + 1, kReply, "other game", 2, 6, 0),
      make(platform::kNetGameId, kReply + 1, "other kind", 2, 6, 0),
      make(platform::kNetGameId, kReply, std::string(32, 'x'), 2, 6, 0),  // the name never ends
      make(platform::kNetGameId, kReply, "nobody", 0, 6, 0),
      make(platform::kNetGameId, kReply, "crowded", 7, 6, 0),
      make(platform::kNetGameId, kReply, "too big", 7, 7, 0),
      make(platform::kNetGameId, kReply, "flag", 2, 6, 2),
  };

  NetTransport& looker = Add();
  ASSERT_TRUE(looker.EnumerateSessions("", port_));
  uint8_t enquiry[64];
  ENetBuffer in{enquiry, sizeof enquiry};
  ENetAddress from{};
  int got = 0;
  ASSERT_TRUE(PumpUntil([&] { return (got = enet_socket_receive(hears, &from, &in, 1)) > 0; }));
  EXPECT_EQ(got, 5);  // the game id and the enquiry's kind
  for (const std::vector<uint8_t>& b : bad) {
    ENetBuffer out{const_cast<uint8_t*>(b.data()), b.size()};
    enet_socket_send(answers, &from, &out, 1);
  }
  // Noise of every length up to past a reply's lists nothing either.
  uint32_t seed = 12345;
  for (size_t length = 1; length < 100; ++length) {
    std::vector<uint8_t> noise(length);
    for (uint8_t& b : noise) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    ENetBuffer junk{noise.data(), noise.size()};
    enet_socket_send(answers, &from, &junk, 1);
  }
  ENetBuffer out{const_cast<uint8_t*>(good.data()), good.size()};
  enet_socket_send(answers, &from, &out, 1);

  ASSERT_TRUE(PumpUntil([&] { return !looker.Sessions().empty(); }));
  const std::vector<platform::NetSessionInfo> found = looker.Sessions();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, "across the street");
  EXPECT_EQ(found[0].address, kLoopback);
  EXPECT_EQ(found[0].instance, 77u);
  EXPECT_EQ(found[0].players, 2);
  EXPECT_EQ(found[0].user[3], 0x60002);
  EXPECT_EQ(Count(0, NetEventKind::kWarning), static_cast<int>(bad.size()) + 99);
  enet_socket_destroy(hears);
  enet_socket_destroy(answers);
}

// The search setting decides every address a search sends to; confined to
// loopback, not even the address a player named leaves this machine.
TEST_F(EnetTransportTest, TheSearchSettingDecidesWhereASearchIsSent) {
  struct Case {
    const char* setting;
    const char* named;
    std::vector<std::string> targets;
  };
  const Case cases[] = {
      {"loopback", "", {kLoopbackBroadcast, kLoopback}},
      {"loopback", "192.168.1.20", {kLoopbackBroadcast, kLoopback}},
      {"loopback", "127.0.0.2", {kLoopbackBroadcast, kLoopback, "127.0.0.2"}},
      {"127.255.255.255,127.0.0.9", "10.1.2.3", {kLoopbackBroadcast, "127.0.0.9", kLoopback}},
      {"not an address", "8.8.8.8", {kLoopbackBroadcast, kLoopback}},
      {"192.168.7.255", "0", {"192.168.7.255", kLoopback}},
  };
  for (const Case& c : cases) {
    ::setenv(kSearchSetting, c.setting, 1);
    EXPECT_EQ(platform::SessionSearchTargets(c.named), c.targets) << c.setting << " / " << c.named;
  }
  // Unset, the search asks the whole local network.
  ::unsetenv(kSearchSetting);
  const std::vector<std::string> network = platform::SessionSearchTargets("");
  EXPECT_EQ(network.front(), "255.255.255.255");
}

TEST_F(EnetTransportTest, BurstKeepsItsOrderAndBroadcastSkipsTheSender) {
  NetTransport& host = Host();
  NetTransport& a = Join("a");
  NetTransport& b = Join("b");
  for (uint8_t i = 0; i < 200; ++i) {
    const uint8_t block[3] = {i, 7, 9};
    ASSERT_TRUE(a.SendToAll(block, sizeof block));
  }
  ASSERT_TRUE(PumpUntil([&] { return Count(0, NetEventKind::kGame) == 200; }));
  const std::vector<NetEvent> got = Of(0, NetEventKind::kGame);
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(got[i].data.size(), 3u);
    EXPECT_EQ(got[i].data[0], i);
    EXPECT_EQ(got[i].from, a.LocalId());
  }
  // A client's block goes to the host only; the host's broadcast reaches
  // every client and never comes back to the host.
  EXPECT_EQ(Count(Index(b), NetEventKind::kGame), 0);
  const uint8_t block[1] = {42};
  host.SendToAll(block, 1);
  ASSERT_TRUE(PumpUntil([&] {
    return Count(Index(a), NetEventKind::kGame) == 1 && Count(Index(b), NetEventKind::kGame) == 1;
  }));
  EXPECT_EQ(Count(0, NetEventKind::kGame), 200);
  // To one player: from the host, yes; from a client to another client,
  // never (only what the host routes reaches the other machines).
  host.SendToPlayer(b.LocalId(), block, 1);
  ASSERT_TRUE(PumpUntil([&] { return Count(Index(b), NetEventKind::kGame) == 2; }));
  EXPECT_EQ(Of(Index(b), NetEventKind::kGame)[1].from, host.LocalId());
  EXPECT_FALSE(b.SendToPlayer(a.LocalId(), block, 1));
  EXPECT_TRUE(b.SendToPlayer(host.LocalId(), block, 1));
  ASSERT_TRUE(PumpUntil([&] { return Count(0, NetEventKind::kGame) == 201; }));
  EXPECT_EQ(Count(Index(a), NetEventKind::kGame), 1);
}

TEST_F(EnetTransportTest, ChatIsRelayedWithItsSender) {
  NetTransport& host = Host();
  NetTransport& a = Join("a");
  NetTransport& b = Join("b");
  a.SendChat("hello all", 0);
  ASSERT_TRUE(PumpUntil([&] {
    return Count(0, NetEventKind::kChat) == 1 && Count(Index(b), NetEventKind::kChat) == 1;
  }));
  EXPECT_EQ(Of(Index(b), NetEventKind::kChat)[0].text, "hello all");
  EXPECT_EQ(Of(Index(b), NetEventKind::kChat)[0].from, a.LocalId());
  EXPECT_EQ(Count(Index(a), NetEventKind::kChat), 0);
  host.SendChat("to b", b.LocalId());
  ASSERT_TRUE(PumpUntil([&] { return Count(Index(b), NetEventKind::kChat) == 2; }));
  EXPECT_EQ(Of(Index(b), NetEventKind::kChat)[1].from, host.LocalId());
  EXPECT_EQ(Count(Index(a), NetEventKind::kChat), 0);
}

TEST_F(EnetTransportTest, OversizeBlockIsDroppedAndTheSessionGoesOn) {
  NetTransport& host = Host();
  NetTransport& a = Join("a");
  // The sender refuses it already; a raw oversize packet is the receiver's.
  std::vector<uint8_t> big(platform::kNetMaxBlock + 1, 1);
  EXPECT_FALSE(a.SendToAll(big.data(), big.size()));
  EXPECT_TRUE(a.SendToAll(big.data(), platform::kNetMaxBlock));
  ASSERT_TRUE(PumpUntil([&] { return Count(0, NetEventKind::kGame) == 1; }));
  EXPECT_EQ(Of(0, NetEventKind::kGame)[0].data.size(), platform::kNetMaxBlock);

  // A peer of its own making: says hello, then sends an oversize block, a
  // truncated one, one of an unknown kind and one for another player. Each is dropped; the block
  // after them arrives.
  ENetHost* raw = enet_host_create(nullptr, 1, 1, 0, 0);
  ENetAddress to{};
  enet_address_set_host_ip(&to, kLoopback);
  to.port = port_;
  ENetPeer* peer = enet_host_connect(raw, &to, 1, 0);
  auto send = [&](std::vector<uint8_t> bytes) {
    enet_peer_send(peer, 0, enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
  };
  ENetEvent ev;
  bool connected = false;
  ASSERT_TRUE(PumpUntil([&] {
    while (enet_host_service(raw, &ev, 0) > 0) connected |= ev.type == ENET_EVENT_TYPE_CONNECT;
    return connected;
  }));
  std::vector<uint8_t> hello{1, 0x31, 0x56, 0x43, 0x52, 1, 0, 0, 0};
  hello.resize(hello.size() + 64, 'r');
  send(hello);
  std::vector<uint8_t> oversize(9 + platform::kNetMaxBlock + 1, 0);
  oversize[0] = 4;
  send(oversize);
  send({4, 1, 2});
  send({77, 1, 2, 3});
  send({4, 0, 0, 0, 0, 2, 0, 0, 0, 66});  // for another player: the host relays nothing
  send({4, 0, 0, 0, 0, 0, 0, 0, 0, 55});
  ASSERT_TRUE(PumpUntil([&] {
    while (enet_host_service(raw, &ev, 0) > 0) {
      if (ev.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(ev.packet);
    }
    return Count(0, NetEventKind::kGame) == 2;
  }));
  EXPECT_EQ(Of(0, NetEventKind::kGame)[1].data, std::vector<uint8_t>{55});
  EXPECT_EQ(Count(0, NetEventKind::kWarning), 4);  // all but the last
  EXPECT_TRUE(host.InSession());
  enet_host_destroy(raw);
}

TEST_F(EnetTransportTest, DisconnectRaisesPlayerDestroyedAndHostLossEndsTheSession) {
  NetTransport& host = Host();
  NetTransport& a = Join("a");
  NetTransport& b = Join("b");
  const uint32_t aId = a.LocalId();
  a.CloseSession();
  ASSERT_TRUE(PumpUntil([&] {
    return Count(0, NetEventKind::kPlayerDestroyed) == 1 && Count(Index(b), NetEventKind::kPlayerDestroyed) == 1;
  }));
  EXPECT_EQ(Of(0, NetEventKind::kPlayerDestroyed)[0].from, aId);
  EXPECT_EQ(host.PlayerCount(), 2);
  host.CloseSession();
  ASSERT_TRUE(PumpUntil([&] { return Count(Index(b), NetEventKind::kSessionLost) == 1; }));
  EXPECT_FALSE(b.InSession());
  EXPECT_EQ(Of(Index(b), NetEventKind::kSessionLost)[0].text, "The host has left; the network game is over.");
  // Hosting again after a closed session works on the same object.
  EXPECT_TRUE(host.HostSession("again", port_, "host", "The Host"));
}

// Machines that connect and never say Hello cannot fill the host's peers:
// each is dropped after its deadline, and while they wait a real player
// still joins. A player the host stops waiting for hears why.
TEST_F(EnetTransportTest, SilentPeersCannotKeepAPlayerOutAndAreDropped) {
  NetTransport& host = Host();
  ENetHost* silent = enet_host_create(nullptr, 16, 1, 0, 0);
  ASSERT_NE(silent, nullptr);
  ENetAddress to{};
  enet_address_set_host_ip(&to, kLoopback);
  to.port = port_;
  for (int i = 0; i < 16; ++i) ASSERT_NE(enet_host_connect(silent, &to, 1, 0), nullptr);
  int connected = 0, dropped = 0;
  auto serviceSilent = [&] {
    ENetEvent ev;
    while (enet_host_service(silent, &ev, 0) > 0) {
      connected += ev.type == ENET_EVENT_TYPE_CONNECT;
      dropped += ev.type == ENET_EVENT_TYPE_DISCONNECT;
      if (ev.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(ev.packet);
    }
  };
  // As many as the host lets in connect; the rest are pushed out at once.
  ASSERT_TRUE(PumpUntil([&] {
    serviceSilent();
    return connected + dropped >= 16;
  }));
  NetTransport& real = Join("real");
  EXPECT_TRUE(real.InSession());
  EXPECT_EQ(host.PlayerCount(), 2);
  // Past the deadline every silent one has gone; the player stays.
  for (int round = 0; round < 3 && dropped < 16; ++round)
    PumpUntil([&] {
      serviceSilent();
      return dropped >= 16;
    });
  EXPECT_EQ(dropped, 16);
  EXPECT_GE(Count(0, NetEventKind::kWarning), 1);
  EXPECT_TRUE(real.InSession());
  enet_host_destroy(silent);

  host.DropPlayer(real.LocalId(), true);
  ASSERT_TRUE(PumpUntil([&] { return Count(Index(real), NetEventKind::kSessionLost) == 1; }));
  EXPECT_EQ(Of(Index(real), NetEventKind::kSessionLost)[0].text, "The host stopped waiting for this machine.");
}

// Datagrams larger than the transport's buffer sent to the session's port
// (a flood of junk) are read off and dropped in one poll: a player's packets
// behind them arrive at once, not one poll per junk datagram later, when the
// player would long have been dropped for silence.
TEST_F(EnetTransportTest, LargeJunkDatagramsDoNotHoldUpThePlayersPackets) {
  NetTransport& host = Host();
  NetTransport& client = Join("c");
  ASSERT_TRUE(client.InSession());
  const int junk = ::socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_GE(junk, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port_);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const std::vector<uint8_t> big(6000, 0xA5);
  for (int i = 0; i < 40; ++i)
    ::sendto(junk, big.data(), big.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  ::close(junk);
  const uint8_t block[] = {1, 2, 3};
  ASSERT_TRUE(client.SendToAll(block, sizeof block));
  client.Poll();  // sends it
  bool arrived = false;
  for (int poll = 0; poll < 3 && !arrived; ++poll) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (const NetEvent& e : host.Poll()) arrived |= e.kind == NetEventKind::kGame && e.data.size() == 3;
  }
  EXPECT_TRUE(arrived);
}

// A machine of the test's own making on raw ENet: it says Hello as a client
// does, then sends whatever packets a test gives it.
class RawPeer {
 public:
  explicit RawPeer(uint16_t port) : host_(enet_host_create(nullptr, 1, 1, 0, 0)) {
    ENetAddress to{};
    enet_address_set_host_ip(&to, kLoopback);
    to.port = port;
    peer_ = enet_host_connect(host_, &to, 1, 0);
  }
  ~RawPeer() { enet_host_destroy(host_); }

  // Services the connection; true once connected.
  bool Service() {
    ENetEvent ev;
    while (enet_host_service(host_, &ev, 0) > 0) {
      connected_ |= ev.type == ENET_EVENT_TYPE_CONNECT;
      if (ev.type == ENET_EVENT_TYPE_DISCONNECT) {
        disconnected_ = true;
        if (ev.data != 0) refusal_ = static_cast<int>(ev.data);
      }
      if (ev.type == ENET_EVENT_TYPE_RECEIVE) {
        if (ev.packet->dataLength == 2 && ev.packet->data[0] == 3) refusal_ = ev.packet->data[1];
        enet_packet_destroy(ev.packet);
      }
    }
    return connected_;
  }
  void Send(const std::vector<uint8_t>& bytes) {
    enet_peer_send(peer_, 0, enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
  }
  void Hello() {
    std::vector<uint8_t> hello{1, 0x31, 0x56, 0x43, 0x52, 1, 0, 0, 0};
    hello.resize(hello.size() + 64, 'r');
    Send(hello);
  }
  // A game block of `size` bytes for the host.
  void Block(size_t size) {
    std::vector<uint8_t> block(9 + size, 0);
    block[0] = 4;
    Send(block);
  }
  bool Disconnected() const { return disconnected_; }
  int Refusal() const { return refusal_; }

 private:
  ENetHost* host_;
  ENetPeer* peer_ = nullptr;
  bool connected_ = false, disconnected_ = false;
  int refusal_ = 0;
};

// One client's chat reaches the others a few lines at a time: what it sends
// beyond that is not passed on, and the host hears how many lines were
// held once the window is over. A second client's chat still goes through.
TEST_F(EnetTransportTest, AFloodOfChatIsHeldBackAndCounted) {
  Host();
  NetTransport& a = Join("a");
  NetTransport& b = Join("b");
  for (int i = 0; i < 40; ++i) a.SendChat("line " + std::to_string(i), 0);
  ASSERT_TRUE(PumpUntil([&] {
    for (const NetEvent& w : Of(0, NetEventKind::kWarning))
      if (w.text.find("chat lines were not passed on") != std::string::npos) return true;
    return false;
  }));
  EXPECT_EQ(Count(Index(b), NetEventKind::kChat), 5);
  EXPECT_EQ(Count(0, NetEventKind::kChat), 5);
  const NetEvent told = Of(0, NetEventKind::kWarning).back();
  EXPECT_EQ(told.text, "35 chat lines were not passed on: more than 5 in 5 seconds.");
  EXPECT_EQ(told.from, a.LocalId());
  b.SendChat("from b", 0);
  ASSERT_TRUE(PumpUntil([&] { return Count(Index(a), NetEventKind::kChat) == 1; }));
  EXPECT_EQ(Of(Index(a), NetEventKind::kChat)[0].text, "from b");
}

// A client that floods its own connection is dropped at once, whichever
// way it floods: packets queued behind one larger than the host takes (it is
// never acknowledged, so everything after it waits, the client's snapshots
// too), or more than any game sends in a second. The other player stays,
// hears that the flooder left, and its blocks arrive.
TEST_F(EnetTransportTest, AClientFloodingItsConnectionIsDroppedAtOnce) {
  struct Case {
    const char* what;
    std::vector<size_t> blocks;  // the sizes it sends, in order
  };
  const Case cases[] = {
      {"behind a packet larger than the host takes", [] {
         std::vector<size_t> sizes{5000};
         sizes.insert(sizes.end(), 200, 1000);
         return sizes;
       }()},
      {"more than a game sends in a second", std::vector<size_t>(3000, 1000)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    machines_.clear();
    events_.clear();
    SetUp();
    NetTransport& host = Host();
    NetTransport& honest = Join("honest");
    RawPeer flooder(port_);
    ASSERT_TRUE(PumpUntil([&] { return flooder.Service(); }));
    flooder.Hello();
    ASSERT_TRUE(PumpUntil([&] {
      flooder.Service();
      return host.PlayerCount() == 3;
    }));
    for (size_t size : c.blocks) flooder.Block(size);
    ASSERT_TRUE(PumpUntil([&] {
      flooder.Service();
      return Count(0, NetEventKind::kPlayerDestroyed) == 1;
    }));
    EXPECT_EQ(host.PlayerCount(), 2);
    // Dropped for its flood, not timed out as a silent peer later would be.
    bool named = false;
    for (const NetEvent& w : Of(0, NetEventKind::kWarning))
      named |= w.text == "A machine flooded its connection and was dropped." &&
               w.from == Of(0, NetEventKind::kPlayerDestroyed)[0].from;
    EXPECT_TRUE(named);
    ASSERT_TRUE(PumpUntil([&] {
      flooder.Service();
      return Count(Index(honest), NetEventKind::kPlayerDestroyed) == 1 && flooder.Disconnected();
    }));
    EXPECT_EQ(flooder.Refusal(), 5);
    const uint8_t block[] = {7, 7};
    ASSERT_TRUE(honest.SendToAll(block, sizeof block));
    ASSERT_TRUE(PumpUntil([&] {
      for (const NetEvent& e : Of(0, NetEventKind::kGame))
        if (e.data.size() == 2 && e.from == honest.LocalId()) return true;
      return false;
    }));
    EXPECT_TRUE(honest.InSession());
  }
}

// A client that stops (frozen, or too busy to service its connection) long
// enough for the host to drop it hears, once it runs again, that it was
// dropped, not that the host left; the host and the other client go on. One
// whose host closed the session while it was stopped hears that the host left.
TEST_F(EnetTransportTest, AStoppedClientHearsWhetherItWasDroppedOrTheHostLeft) {
  struct Case {
    bool hostCloses;
    const char* told;
  };
  const Case cases[] = {
      {false, "This machine did not answer for "},
      {true, "The host has left; the network game is over."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.told);
    TearDown();
    machines_.clear();
    events_.clear();
    SetUp();
    NetTransport& host = Host();
    NetTransport& stopped = Join("stopped");
    NetTransport& other = Join("other");
    const size_t s = Index(stopped);
    // Every machine but the stopped one runs until the host has dropped it;
    // or the host closes its session a second into the pause, long before
    // it would drop anyone, and the pause lasts three seconds.
    bool done = false;
    for (int i = 0; i < 3000 && !done; ++i) {
      for (size_t m = 0; m < machines_.size(); ++m)
        if (m != s && machines_[m]->InSession())
          for (NetEvent& e : machines_[m]->Poll()) events_[m].push_back(std::move(e));
      if (c.hostCloses && i == 100) host.CloseSession();
      done = c.hostCloses ? i == 300 : Count(0, NetEventKind::kPlayerDestroyed) == 1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(done);
    ASSERT_TRUE(PumpUntil([&] { return Count(s, NetEventKind::kSessionLost) == 1; }));
    const std::string told = Of(s, NetEventKind::kSessionLost)[0].text;
    EXPECT_EQ(told.rfind(c.told, 0), 0u) << told;
    if (c.hostCloses) continue;
    EXPECT_NE(told.find(" seconds, so the host dropped it; the network game is over."), std::string::npos) << told;
    EXPECT_TRUE(host.InSession());
    EXPECT_TRUE(other.InSession());
    EXPECT_EQ(host.PlayerCount(), 2);
  }
}

}  // namespace
