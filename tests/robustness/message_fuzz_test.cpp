// Mangled game messages reaching a running game the way the network transport
// hands them over, as single player, host and client: a message its checks
// refuse changes nothing, and whatever is accepted is applied without harm.
#include <array>
#include <cstring>
#include <limits>

#include <enet/enet.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/network_game.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "game_fixture.h"
#include "engine/core/byte_io.h"
#include "engine/core/system_settings.h"
#include "platform/net/enet_transport.h"
#include "session/game_messages.h"
#include "session/net_log.h"

namespace {

// One well-formed message of every kind, naming things the fixture city has.
std::vector<CNetMessage> ValidMessages() {
  int32_t building = -1, business = -1, block = -1;
  for (int32_t i = 0; i < kBuildingPoolSize && building < 0; ++i)
    if (CBuilding* b = GetBuilding(i); b && b->InUse && b->GetBusiness() >= 0) building = i, business = b->GetBusiness();
  for (int32_t i = 0; i < kBlockCount && block < 0; ++i)
    if (g_Blocks[i].InUse) block = i;
  LobbySetupMsg lobby;
  for (int i = 0; i < 6; ++i) {
    lobby.directPlayId[i] = 100 + i;
    std::strcpy(lobby.names[i], "Player");
    lobby.kinds[i] = static_cast<int8_t>(i % 3);
  }
  PriceMessage prices;
  prices.Business = BusinessId{business};
  CSyncSnapshot snap;
  snap.sender = 2;
  snap.tick = 400;
  const BlockId inCity{block};
  const BuildingId built{building};
  return {EncodeMessage(TimeSkipMsg{2}),
          snap.ToMessage(),
          EncodeMessage(NewHostMsg{PlayerIndex{1}}),
          EncodeMessage(GameStartMsg{1234, 100001, 1}),
          EncodeMessage(lobby),
          EncodeMessage(LobbySlotMsg{PlayerIndex{3}, "Slot three"}),
          EncodeMessage(PlayerReadyMsg{PlayerIndex{2}, true}),
          EncodeMessage(TickGrantMsg{75}),
          EncodeMessage(GoalResultMsg{PlayerIndex{1}, 2}),
          EncodeMessage(RemovePlayerMsg{PlayerIndex{2}}),
          EncodeMessage(LobbyLeaveMsg{PlayerIndex{-1}, PlayerIndex{2}}),
          EncodeMessage(TokenCycleMsg{PlayerIndex{1}, 4}),
          EncodeMessage(ConstructBuildingMsg{inCity, 0, 1, 0, 1, 2, 77, 5, 0, 1, PlayerNumber{1},
                                             {100.0f, 4.0f, 3.0f, 2.0f}}),
          EncodeMessage(DemolishBuildingMsg{PlayerIndex{1}, built, 500}),
          EncodeMessage(OpenBusinessMsg{built, 3, PlayerNumber{1}, 1}),
          EncodeMessage(BuyBusinessMsg{built, 4, PlayerNumber{2}}),
          EncodeMessage(CloseBusinessMsg{BusinessId{business}, PlayerIndex{1}}),
          EncodeMessage(PlayerNoteMsg{}),
          EncodeMessage(BuyoutMsg{built}),
          EncodeMessage(BlockTransferMsg{750, inCity, PlayerNumber{1}}),
          EncodeMessage(TakeOverBusinessMsg{900, BusinessId{business}, PlayerIndex{3}}),
          EncodeMessage(prices),
          EncodeMessage(PrepareBlockMsg{inCity}),
          EncodeMessage(PlayCardMsg{4, PlayerIndex{1}, block}),
          EncodeMessage(StartAuctionMsg{inCity, PlayerIndex{-1}, 500, {BlockDeal{BlockId{3}, 250}, -1}}),
          EncodeMessage(OpenAuctionMsg{}),
          EncodeMessage(AuctionStepMsg{0, PlayerIndex{1}, 600}),
          EncodeMessage(FinishAuctionMsg{}),
          EncodeMessage(PlayerMessage{PLAYER_MESS_BUY_REQUEST, PlayerIndex{1}, PlayerIndex{-1}, BlockDeal{BlockId{block}, 500}, -1}),
          EncodeMessage(PlayerMessage{PLAYER_MESS_BUY_ACCEPTED, PlayerIndex{0}, PlayerIndex{1}, BlockDeal{BlockId{block}, 500}, -1}),
          EncodeMessage(PlayerMessage{PLAYER_MESS_CARD_DISCARD, PlayerIndex{2}, PlayerIndex{-1}, CardNote{2}, -1})};
}

constexpr int32_t kExtremes[] = {0,   -1,   1,    2,    5,     6,      7,     51,  52,
                                 127, 128,  255,  599,  600,   -128,   32767, -32768,
                                 65535, 1 << 20, std::numeric_limits<int32_t>::max(),
                                 std::numeric_limits<int32_t>::min(), 0x7FC00000, 0x7F800000,
                                 0x4E6E6B28, static_cast<int32_t>(0xCE6E6B28)};

class MessageMutator {
 public:
  MessageMutator(std::vector<CNetMessage> valid, uint32_t seed) : valid_(std::move(valid)), rng_(seed) {}

  std::vector<uint8_t> Next() {
    const CNetMessage& m = valid_[Pick(valid_.size())];
    std::vector<uint8_t> b(m.Bytes().begin(), m.Bytes().end());
    // Delivery stamped as a host would, now or a few ticks on.
    StoreLeI32(b.data() + 12, Pick(3) == 0 ? 0 : static_cast<int32_t>(LogicTick() + 1 + Pick(30)));
    b[16] = Pick(2) ? 1 : 0;
    switch (Pick(8)) {
      case 0: break;  // as built
      case 1: case 2: case 3: {  // one payload field at an extreme
        const int width = std::array{1, 2, 4}[Pick(3)];
        const int32_t v = kExtremes[Pick(std::size(kExtremes))];
        if (b.size() < static_cast<size_t>(kNetHeaderSize + width)) break;
        size_t at = kNetHeaderSize + Pick(b.size() - kNetHeaderSize - width + 1);
        if (width == 4) StoreLeI32(&b[at], v);
        if (width == 2) StoreLeI16(&b[at], static_cast<int16_t>(v));
        if (width == 1) b[at] = static_cast<uint8_t>(v);
        break;
      }
      case 4:  // a few flipped bits anywhere, the header too
        for (int n = 1 + Pick(3); n > 0; --n) b[Pick(b.size())] ^= static_cast<uint8_t>(1u << Pick(8));
        break;
      case 5:  // cut short or run on
        if (Pick(2)) b.resize(Pick(b.size()));
        else b.resize(b.size() + 1 + Pick(64), static_cast<uint8_t>(Pick(256)));
        break;
      case 6: {  // another kind's type word and length, this kind's bytes
        const int32_t type = static_cast<int32_t>(Pick(52)) - 1;
        StoreLeI32(b.data() + 4, type);
        if (Pick(2)) {
          b.resize(static_cast<size_t>(std::max(NetMessageSize(type), kNetHeaderSize)));
          StoreLeI32(b.data() + 8, static_cast<int32_t>(b.size()));
        }
        break;
      }
      default:  // random payload behind a well-formed header
        for (size_t i = kNetHeaderSize; i < b.size(); ++i) b[i] = static_cast<uint8_t>(Pick(256));
        break;
    }
    return b;
  }

  int32_t Sender() { return std::array{0, 100, 101, 102, 999}[Pick(5)]; }

 private:
  size_t Pick(size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
  std::vector<CNetMessage> valid_;
  std::mt19937 rng_;
};

// Lines about what peers sent, printed or left out.
int32_t NetLogLines() { return NetLogLinesPrinted() + NetLogLinesLeftOut(); }

class MessageFuzzTest : public RunningGameTest {
 protected:
  void SetRole(int role) {
    Session().networkSession = role != 0;
    Session().host = role == 1;
  }
};

TEST_F(MessageFuzzTest, RefusedMessagesChangeNothingAndAcceptedOnesApplySafely) {
  ASSERT_TRUE(SaveGame("start.sav"));
  MessageMutator mutator(ValidMessages(), 77u);
  int accepted = 0, refused = 0;
  for (int round = 0; round < 90; ++round) {
    const int role = round % 3;  // single player, host, client
    SCOPED_TRACE("round " + std::to_string(round) + " role " + std::to_string(role));
    ASSERT_TRUE(LoadGame("start.sav"));
    ResetTickDriver();
    SetRole(role);
    std::vector<std::vector<uint8_t>> good, bad;
    while (good.size() + bad.size() < 40) {
      std::vector<uint8_t> b = mutator.Next();
      (CheckNetMessage(b) ? good : bad).push_back(std::move(b));
    }
    // Refused: the whole batch leaves the game as it was, each with a
    // warning (a few a second printed, the rest counted).
    const std::vector<uint8_t> before = Snapshot();
    const size_t queued = EventQueue().Count();
    const int32_t warnings = NetLogLines();
    for (const auto& b : bad) OnDirectPlayGameMessage(b, mutator.Sender());
    EXPECT_EQ(NetLogLines() - warnings, static_cast<int32_t>(bad.size()));
    EXPECT_EQ(EventQueue().Count(), queued);
    ASSERT_EQ(Snapshot(), before);
    refused += static_cast<int>(bad.size());
    // Accepted: applied now or at their tick, then the game runs on.
    for (const auto& b : good) OnDirectPlayGameMessage(b, mutator.Sender());
    const uint32_t tick = LogicTick();
    OnTickGrant(tick + 100);  // as the host grants a client, so a network game runs on
    RunTicks(static_cast<int>(kMessageDeliveryLead) + 32);
    EXPECT_GT(LogicTick(), tick);
    accepted += static_cast<int>(good.size());
  }
  EXPECT_GT(accepted, 300);
  EXPECT_GT(refused, 300);
}

// A delivery tick the queue cannot hold used to wrap to a past tick and be
// queued again for ever (or, at -1, fired and queued again until the stack ran out).
TEST_F(MessageFuzzTest, DeliveryTicksBeyondAnyGameAreRefused) {
  for (int role : {0, 1, 2}) {
    SetRole(role);
    for (uint32_t delivery : {0x40000000u, 0x80000000u, 0xFFFFFFFFu}) {
      CNetMessage m = EncodeMessage(TickGrantMsg{900});
      m.SetDelivery(delivery);
      EXPECT_FALSE(CheckNetMessage(m.Bytes()));
      const int32_t warnings = NetLogLines();
      OnDirectPlayGameMessage(m.Bytes(), 101);
      EXPECT_EQ(NetLogLines(), warnings + 1);
      EXPECT_TRUE(EventQueue().Empty());
    }
  }
  RunTicks(3);
}

// A peer on 127.0.0.1 joins a hosted game over the real transport and sends
// mangled game messages and random packets of every kind; the host polls
// them all, keeps running, and its game is as it was.
TEST_F(MessageFuzzTest, ARunningHostShrugsOffJunkFromAPeer) {
  StartupOptions options;
  options.hostSession = true;
  options.port = 31000 + ::getpid() % 9000;
  options.networkPlayers = kMaxNetworkPlayers;  // never gathered: the game runs on as it is
  NetworkGame& net = TheNetworkGame();
  ASSERT_TRUE(net.OpenWith(platform::CreateEnetTransport(), options));

  ENetHost* peerHost = enet_host_create(nullptr, 1, 1, 0, 0);
  ASSERT_NE(peerHost, nullptr);
  ENetAddress to{};
  enet_address_set_host_ip(&to, "127.0.0.1");
  to.port = static_cast<uint16_t>(options.port);
  ENetPeer* peer = enet_host_connect(peerHost, &to, 1, 0);
  auto pump = [&](int rounds) {
    ENetEvent ev;
    for (int i = 0; i < rounds; ++i) {
      while (enet_host_service(peerHost, &ev, 0) > 0)
        if (ev.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(ev.packet);
      net.Poll();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  };
  auto send = [&](const std::vector<uint8_t>& bytes) {
    enet_peer_send(peer, 0, enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
  };
  pump(50);
  std::vector<uint8_t> hello{1, 0x31, 0x56, 0x43, 0x52, 1, 0, 0, 0};
  hello.resize(hello.size() + 64, 'f');
  send(hello);
  pump(50);

  const std::vector<uint8_t> before = Snapshot();
  const size_t queued = EventQueue().Count();
  const int dropped = consoleErrors + NetLogLinesLeftOut();
  MessageMutator mutator(ValidMessages(), 1234u);
  std::mt19937 rng(99u);
  int sent = 0;
  while (sent < 2000) {
    std::vector<uint8_t> packet;
    if (sent % 4 == 0) {  // any kind, any bytes
      packet.resize(std::uniform_int_distribution<size_t>(0, 1200)(rng));
      for (uint8_t& b : packet) b = static_cast<uint8_t>(rng());
      if (packet.size() > 9 && packet[0] == 4 &&
          CheckNetMessage(std::span<const uint8_t>(packet).subspan(9)))
        continue;
    } else {  // a game message its checks refuse, framed as a block
      std::vector<uint8_t> block = mutator.Next();
      if (CheckNetMessage(block)) continue;
      packet = {4, 0, 0, 0, 0, 0, 0, 0, 0};
      packet.insert(packet.end(), block.begin(), block.end());
    }
    send(packet);
    if (++sent % 50 == 0) pump(1);
  }
  pump(100);
  // They arrived, and each was dropped with a line (a few a second printed).
  EXPECT_GT(consoleErrors + NetLogLinesLeftOut() - dropped, 1000);
  EXPECT_EQ(boxes, 0);
  EXPECT_EQ(EventQueue().Count(), queued);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_TRUE(Session().networkSession);
  enet_host_destroy(peerHost);
  net.End();
  EXPECT_FALSE(Session().networkSession);
}

}  // namespace
