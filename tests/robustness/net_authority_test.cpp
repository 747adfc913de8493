// A client acts only for its own player: every kind of game message a client
// sends for another player, for the host or for the city, or for itself
// beyond its means, is refused by the host before it is routed (so no other
// machine sees it), and a client refuses the same acts when they come
// claiming the host relayed them. Nothing changes anywhere.
#include <cmath>
#include <limits>
#include <string>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "game_fixture.h"
#include "session/auction.h"
#include "session/game_messages.h"
#include "session/net_log.h"
#include "session/session_services.h"

namespace {

constexpr int32_t kHostId = 100, kClientId = 102;
constexpr int32_t kHost = 0, kComputer = 1, kClient = 2, kThird = 3, kCity = -1;

struct Relayed : SessionNetworkServices {
  int sent = 0;
  int forClient = 0;  // those sent as the client's own acts
  void SendToAll(std::span<const uint8_t> bytes) override { Count(bytes); }
  void SendToSlot(int32_t, std::span<const uint8_t> bytes) override { Count(bytes); }
  void Count(std::span<const uint8_t> bytes) {
    ++sent;
    CNetMessage m;
    if (m.Parse(bytes) && m.Sender() == kClient + 1) ++forClient;
  }
};

// A block with a building and a business on it, all of one owner.
struct Holding {
  int32_t block = -1, building = -1, business = -1;
};

// One message of a kind a client may send, acting for player index `who`
// (kCity: the city) on `h`, that player's holding. `payload`: the message
// names the player itself (so a client can tell from the bytes alone).
struct Act {
  std::string what;
  CNetMessage message;
  bool payload;
};

std::vector<Act> ActsFor(int32_t who, const Holding& h) {
  const PlayerIndex p{who};
  const PlayerNumber n{who + 1};
  CSyncSnapshot snapshot;
  snapshot.sender = who;
  snapshot.tick = 200;
  PriceMessage prices;
  prices.Business = BusinessId{h.business};
  prices.Prices[0] = 3.0f;
  return {
      {"sync snapshot", snapshot.ToMessage(), true},
      {"lobby slot", EncodeMessage(LobbySlotMsg{p, "Mallory", 1, 0, kClientId}), true},
      {"player ready", EncodeMessage(PlayerReadyMsg{p, false}), true},
      {"token cycle", EncodeMessage(TokenCycleMsg{p, 1}), true},
      {"construct", EncodeMessage(ConstructBuildingMsg{BlockId{h.block}, 0, 0, 0, 0, 1, 0, -1, kKindResidential, 0, n,
                                                       {5000.0f, 0.0f, 0.0f, 0.0f}}),
       true},
      {"demolish", EncodeMessage(DemolishBuildingMsg{p, BuildingId{h.building}, 0}), true},
      {"buy business", EncodeMessage(BuyBusinessMsg{BuildingId{h.building}, 3, n}), true},
      {"close business", EncodeMessage(CloseBusinessMsg{BusinessId{h.business}, p}), true},
      {"buy-out", EncodeMessage(BuyoutMsg{BuildingId{h.building}}), false},
      {"prices", EncodeMessage(prices), false},
      {"prepare block", EncodeMessage(PrepareBlockMsg{BlockId{h.block}}), false},
      {"play card", EncodeMessage(PlayCardMsg{4, p, 0}), true},
      {"start auction", EncodeMessage(StartAuctionMsg{BlockId{h.block}, PlayerIndex{kClient}, 400, {}}), false},
      {"auction bid", EncodeMessage(AuctionStepMsg{kAuctionMoveBid, p, 100}), true},
      {"player message", EncodeMessage(PlayerMessage{PLAYER_MESS_BUY_REQUEST, p, PlayerIndex{kCity}, BlockDeal{BlockId{h.block}, 500}, -1}),
       true},
  };
}

// The sender's own player, but beyond its means or with amounts and times
// no game carries.
std::vector<Act> OwnBeyondBounds(const Holding& h, const Holding& hosts) {
  const PlayerIndex me{kClient};
  const PlayerNumber n{kClient + 1};
  PriceMessage negative;
  negative.Business = BusinessId{h.business};
  negative.Prices[0] = -4.0f;
  PriceMessage notANumber = negative;
  notANumber.Prices[0] = std::numeric_limits<float>::quiet_NaN();
  CNetMessage late = EncodeMessage(AuctionStepMsg{kAuctionMovePass, me, 0});
  late.SetDelivery(1);
  CNetMessage farOff = EncodeMessage(PrepareBlockMsg{BlockId{h.block}});
  farOff.SetDelivery(100000);
  CNetMessage unstamped = EncodeMessage(PrepareBlockMsg{BlockId{h.block}});
  unstamped.SetRelative(false);
  unstamped.SetDelivery(LogicTick() + 30);
  return {
      {"free building", EncodeMessage(ConstructBuildingMsg{BlockId{h.block}, 0, 0, 0, 0, 1, 0, -1, kKindResidential, 0, n,
                                                           {0.0f, 0.0f, 0.0f, 0.0f}}),
       false},
      {"refund beyond the building", EncodeMessage(DemolishBuildingMsg{me, BuildingId{h.building}, 9'000'000}), false},
      {"negative price", EncodeMessage(negative), true},
      {"price not a number", EncodeMessage(notANumber), true},
      {"bid beyond its money", EncodeMessage(AuctionStepMsg{kAuctionMoveBid, me, 9'000'000}), false},
      {"auctioneer's stage", EncodeMessage(AuctionStepMsg{kAuctionMoveStage, PlayerIndex{0}, 0}), true},
      {"negative opening", EncodeMessage(StartAuctionMsg{BlockId{h.block}, PlayerIndex{kThird}, -5, {}}), true},
      {"the city's auction", EncodeMessage(StartAuctionMsg{BlockId{h.block}, PlayerIndex{kCity}, 400, {}}), true},
      {"a final ready", EncodeMessage(PlayerReadyMsg{me, true}), true},
      {"a computer's lobby slot", EncodeMessage(LobbySlotMsg{me, "Bot", 1, 1, kClientId}), true},
      {"another machine's id", EncodeMessage(LobbySlotMsg{me, "Me", 1, 0, kHostId}), false},
      {"message already late", late, false},
      {"put off for hours", farOff, false},
      {"its own delivery tick", unstamped, false},
      {"the host's block for sale", EncodeMessage(PlayerMessage{PLAYER_MESS_BLOCK_SALE, me, PlayerIndex{kCity},
                                                               BlockDeal{BlockId{hosts.block}, 400}, -1}),
       false},
      {"a card of its choosing", EncodeMessage(PlayerMessage{PLAYER_MESS_CARD_DEAL, me, PlayerIndex{kCity},
                                                            CardNote{5}, -1}),
       true},
      {"a card nobody holds handed back", EncodeMessage(PlayerMessage{PLAYER_MESS_CARD_DISCARD, me,
                                                                      PlayerIndex{kCity}, CardNote{5}, -1}),
       false},
  };
}

class NetAuthorityTest : public RunningGameTest {
 protected:
  void SetUp() override {
    RunningGameTest::SetUp();
    RunTicks(150);  // past the first snapshot tick
    ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerHuman, 2, "Third"));
    PlayerTable().SetupRow(kThird).directPlayId = 103;
    SetSessionNetworkServices(&relayed);
    // Holdings: the host's, the third player's, the computer's, the city's
    // and the sender's own, each a block with a building and its business.
    const int32_t owners[] = {kHost + 1, kThird + 1, kComputer + 1, 0, kClient + 1};
    size_t next = 0;
    for (int32_t i = 0; i < kBuildingPoolSize && next < std::size(owners); ++i) {
      CBuilding* b = GetBuilding(i);
      if (b == nullptr || !b->InUse || b->Block == nullptr || GetBusinessInUse(b->GetBusiness()) == nullptr) continue;
      bool blockTaken = false;
      for (size_t k = 0; k < next; ++k) blockTaken |= held[k].block == b->Block->Index;
      if (blockTaken) continue;
      const int32_t owner = owners[next];
      held[next] = Holding{b->Block->Index, b->Id, b->GetBusiness()};
      b->Block->Owner = static_cast<uint8_t>(owner);
      b->Owner = static_cast<uint8_t>(owner);
      GetBusinessInUse(b->GetBusiness())->Owner = owner;
      ++next;
    }
    ASSERT_EQ(next, std::size(owners)) << "the fixture city has too few businesses";
  }

  void TearDown() override {
    SetSessionNetworkServices(nullptr);
    RunningGameTest::TearDown();
  }

  void BeHost() {
    Session().networkSession = true;
    Session().host = true;
    Session().hostDirectPlayId = kHostId;
  }
  void BeClient() {
    Session().networkSession = true;
    Session().host = false;
    Session().hostDirectPlayId = kHostId;
  }

  const Holding& HeldBy(int32_t who) const {
    switch (who) {
      case kHost: return held[0];
      case kThird: return held[1];
      case kComputer: return held[2];
      case kCity: return held[3];
      default: return held[4];
    }
  }

  // Every act for others and beyond bounds, with the row's name.
  std::vector<Act> Refusable() const {
    std::vector<Act> all;
    for (int32_t who : {kHost, kThird, kComputer, kCity})
      for (Act& a : ActsFor(who, HeldBy(who))) {
        a.what += " for player index " + std::to_string(who);
        all.push_back(std::move(a));
      }
    for (Act& a : OwnBeyondBounds(HeldBy(kClient), HeldBy(kHost))) all.push_back(std::move(a));
    // The host's kinds, whoever they name.
    for (const MessageKind& kind : MessageKinds())
      if (kind.client == nullptr) all.push_back({std::string("the host's ") + kind.name, kind.sample(), true});
    return all;
  }

  Relayed relayed;
  Holding held[5];
};

TEST_F(NetAuthorityTest, EveryKindAClientSendsForAnotherIsRefusedAndChangesNothing) {
  BeHost();
  // Each of these, sent for its own player on its own holding, the client
  // may send: the rules refuse only what acts for another.
  for (const Act& a : ActsFor(kClient, HeldBy(kClient))) {
    const char* why = "";
    EXPECT_TRUE(ClientMaySend(a.message, kClient + 1, kClientId, &why)) << a.what << ": " << why;
  }

  const std::vector<Act> acts = Refusable();
  const std::vector<uint8_t> before = Snapshot();
  const size_t queued = EventQueue().Count();
  const int32_t logged = NetLogLinesPrinted() + NetLogLinesLeftOut();
  for (const Act& a : acts) {
    SCOPED_TRACE(a.what);
    const char* why = "";
    EXPECT_FALSE(ClientMaySend(a.message, kClient + 1, kClientId, &why));
    OnDirectPlayGameMessage(a.message.Bytes(), kClientId);
    EXPECT_EQ(relayed.sent, 0);
    EXPECT_EQ(EventQueue().Count(), queued);
  }
  // A peer that holds no player acts for nobody.
  OnDirectPlayGameMessage(ActsFor(kClient, HeldBy(kClient))[5].message.Bytes(), 999);
  EXPECT_EQ(relayed.sent, 0);
  EXPECT_EQ(Snapshot(), before);
  // What a later state could allow (the client may have run a few ticks
  // ahead) is looked at until the host has run those ticks, then refused.
  RunTicks(static_cast<int>(kMessageDeliveryLead) + 1);
  EXPECT_EQ(relayed.forClient, 0);
  // One line each, never a box; the lines a peer may fill are few a second.
  EXPECT_EQ(NetLogLinesPrinted() + NetLogLinesLeftOut() - logged, static_cast<int32_t>(acts.size()) + 1);
  EXPECT_EQ(boxes, 0);

  // A client, on the same acts claimed as relayed by the host for the
  // sending client: what the bytes show to act for another is refused.
  BeClient();
  for (const Act& a : acts) {
    if (!a.payload) continue;  // only the host knows whose holding it is
    SCOPED_TRACE(a.what);
    CNetMessage relayedCopy = a.message;
    relayedCopy.SetSender(kClient + 1);
    if (relayedCopy.Relative()) {  // as the host stamps it
      relayedCopy.SetRelative(false);
      relayedCopy.SetDelivery(LogicTick() + kMessageDeliveryLead);
    }
    const char* why = "";
    EXPECT_FALSE(HostMaySend(relayedCopy, true, &why));
    OnDirectPlayGameMessage(relayedCopy.Bytes(), kHostId);
    EXPECT_EQ(EventQueue().Count(), queued);
  }
  // Nor does a client take anything from a machine that is not the host.
  CNetMessage grant = EncodeMessage(TickGrantMsg{LogicTick() + 900});
  OnDirectPlayGameMessage(grant.Bytes(), kClientId);
  EXPECT_NE(TickLimit(), LogicTick() + 900);
  OnDirectPlayGameMessage(grant.Bytes(), kHostId);
  EXPECT_EQ(TickLimit(), LogicTick() + 900);
  EXPECT_EQ(boxes, 0);
}

// The client's own acts reach every machine as before: routed, applied and
// relayed with the client's player as the sender.
TEST_F(NetAuthorityTest, AClientsOwnActsAreRoutedAndRelayed) {
  BeHost();
  const Holding& mine = HeldBy(kClient);
  OnDirectPlayGameMessage(EncodeMessage(PrepareBlockMsg{BlockId{mine.block}}).Bytes(), kClientId);
  EXPECT_EQ(relayed.sent, 1);
  ASSERT_EQ(EventQueue().Count(), 1u);
  EXPECT_EQ(EventQueue().LogicList().front().message.Sender(), kClient + 1);
  OnDirectPlayGameMessage(EncodeMessage(CloseBusinessMsg{BusinessId{mine.business}, PlayerIndex{kClient}}).Bytes(),
                          kClientId);
  EXPECT_EQ(relayed.sent, 2);
  RunTicks(static_cast<int>(kMessageDeliveryLead) + 1);
  EXPECT_EQ(GetBusinessInUse(mine.business)->Owner, 0);
  // A player who has left acts no more, whatever its machine still sends.
  PlayerTable().Get(kClient)->inUse = false;
  const int sent = relayed.sent;
  OnDirectPlayGameMessage(EncodeMessage(PrepareBlockMsg{BlockId{mine.block}}).Bytes(), kClientId);
  EXPECT_EQ(relayed.sent, sent);
  PlayerTable().Get(kClient)->inUse = true;
}

// A client runs up to a delivery lead ahead of its host: a build on the
// block it has just won may reach the host before the host has applied the
// lease. It waits (and the client's later acts behind it) until the host
// has run those ticks, and goes through once the block is the client's.
TEST_F(NetAuthorityTest, AnActOnWhatTheHostIsStillToApplyWaitsForIt) {
  BeHost();
  const Holding& cities = HeldBy(kCity);
  const Holding& mine = HeldBy(kClient);
  OnDirectPlayGameMessage(EncodeMessage(PrepareBlockMsg{BlockId{cities.block}}).Bytes(), kClientId);
  OnDirectPlayGameMessage(EncodeMessage(PrepareBlockMsg{BlockId{mine.block}}).Bytes(), kClientId);
  EXPECT_EQ(relayed.forClient, 0);
  GetBlock(cities.block)->Owner = static_cast<uint8_t>(kClient + 1);  // the lease, applied
  RunTicks(1);
  EXPECT_EQ(relayed.forClient, 2);
  ASSERT_GE(EventQueue().Count(), 2u);
  const int32_t logged = NetLogLinesPrinted() + NetLogLinesLeftOut();
  RunTicks(static_cast<int>(kMessageDeliveryLead) + 1);
  EXPECT_EQ(NetLogLinesPrinted() + NetLogLinesLeftOut(), logged);
}

}  // namespace
