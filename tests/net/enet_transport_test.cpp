// The ENet transport with several machines in one process, on 127.0.0.1
// only: joining, the six-player limit, refusals, ordering, broadcasts, chat,
// departures, oversize blocks and discovery. Every wait is bounded.
#include "platform/net/enet_transport.h"

#include <enet/enet.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

using platform::NetEvent;
using platform::NetEventKind;
using platform::NetTransport;

constexpr const char* kLoopback = "127.0.0.1";

class EnetTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int next = 0;
    port_ = static_cast<uint16_t>(30000 + (::getpid() * 7 + next++ * 13) % 20000);
  }

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
  NetTransport& looker = Add();
  ASSERT_TRUE(looker.EnumerateSessions(kLoopback, port_));
  ASSERT_TRUE(PumpUntil([&] { return !looker.Sessions().empty(); }));
  const platform::NetSessionInfo info = looker.Sessions()[0];
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

}  // namespace
