#include "session/game_messages.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "engine/core/byte_io.h"
#include "engine/core/console.h"
#include "session/net_log.h"
#include "session_fixture.h"

namespace {

using NetMessageTest = SessionTest;

// The words of every player message come out of their typed record as they
// went in, byte for byte, and each record names the words where the older
// peers and saves put them: sender, recipient, two pad bytes, four words,
// the token, four pad bytes; an auction's request after its opening bid.
TEST_F(NetMessageTest, PlayerMessageWordsKeepTheirBytes) {
  const int32_t words[4] = {12, -5, 700, 99};
  for (int32_t code = kMsgFirstPlayerMessage; code <= kMsgLastPlayerMessage; ++code) {
    SCOPED_TRACE(code);
    ByteWriter payload;
    payload.Put(int8_t{1});
    payload.Put(int8_t{-1});
    payload.Put(int16_t{0});
    for (int32_t w : words) payload.Put(w);
    payload.Put(int32_t{42});
    payload.Put(int32_t{0});
    CNetMessage raw(code);
    raw.SetPayload(payload.bytes);
    PlayerMessage m;
    ASSERT_TRUE(DecodeMessage(raw, m));
    const CNetMessage again = EncodeMessage(m);
    EXPECT_TRUE(std::ranges::equal(again.Payload(), raw.Payload()));
  }

  struct Named {
    PlayerMessage message;
    int32_t words[4];
  };
  const Named named[] = {
      {{PLAYER_MESS_BUY_REQUEST, PlayerIndex{1}, PlayerIndex{-1}, BlockDeal{BlockId{12}, 500, 7}, 3}, {12, 500, 7, 0}},
      {{PLAYER_MESS_PURCHASE_SETTLED, PlayerIndex{-1}, PlayerIndex{2}, AuctionSettled{BlockId{4}, PlayerIndex{2}, 650}, -1},
       {4, 2, 650, 0}},
      {{PLAYER_MESS_BOUGHT_OUT, PlayerIndex{0}, PlayerIndex{1}, BoughtOutNote{BuildingId{301}}, -1}, {301, 0, 0, 0}},
      {{PLAYER_MESS_BUSINESS_JOINS, PlayerIndex{-1}, PlayerIndex{1}, BusinessJoinedNote{BusinessId{55}}, -1}, {55, 0, 0, 0}},
      {{PLAYER_MESS_CONSTRUCTION_REFUSED, PlayerIndex{-1}, PlayerIndex{1}, ConstructionRefusal{BlockId{9}, 14}, -1},
       {9, 14, 0, 0}},
      {{PLAYER_MESS_CARD_HELD, PlayerIndex{-1}, PlayerIndex{1}, CardNote{33}, -1}, {33, 0, 0, 0}},
  };
  for (const Named& n : named) {
    SCOPED_TRACE(n.message.code);
    const CNetMessage encoded = EncodeMessage(n.message);
    const std::span<const uint8_t> bytes = encoded.Payload();
    ASSERT_EQ(bytes.size(), 28u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(LoadLeI32(bytes.data() + 4 + 4 * i), n.words[i]);
    EXPECT_EQ(LoadLeI32(bytes.data() + 20), n.message.token);
  }

  const CNetMessage start =
      EncodeMessage(StartAuctionMsg{BlockId{12}, PlayerIndex{1}, 500, {BlockDeal{BlockId{12}, 500, 7}, 3}});
  const std::span<const uint8_t> a = start.Payload();
  const int32_t request[5] = {12, 500, 7, 0, 3};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(LoadLeI32(a.data() + 12 + 4 * i), request[i]);
}

TEST_F(NetMessageTest, EveryKindRoundTripsThroughItsRecord) {
  std::set<int32_t> types;
  for (const MessageKind& kind : MessageKinds()) {
    SCOPED_TRACE(kind.name);
    const CNetMessage m = kind.sample();
    EXPECT_GE(m.Type(), kind.firstType);
    EXPECT_LE(m.Type(), kind.lastType);
    for (int32_t t = kind.firstType; t <= kind.lastType; ++t) EXPECT_TRUE(types.insert(t).second);
    std::span<const uint8_t> bytes = m.Bytes();
    ASSERT_EQ(static_cast<int32_t>(bytes.size()), kind.size);
    EXPECT_EQ(NetMessageSize(m.Type()), kind.size);
    EXPECT_EQ(LoadLeI32(bytes.data() + 4), m.Type());
    EXPECT_EQ(LoadLeI32(bytes.data() + 8), static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(bytes[16], kind.relative ? 1 : 0);
    const char* why = "";
    ASSERT_TRUE(CheckNetMessage(bytes, &why)) << why;
    std::vector<uint8_t> wire(bytes.begin(), bytes.end());
    StoreLeU32(wire.data(), 0xDEADBEEF);  // whatever the sender's class word was
    CNetMessage copy;
    ASSERT_TRUE(copy.Parse(wire));
    EXPECT_EQ(LoadLeU32(copy.Bytes().data()), 0u);
    EXPECT_TRUE(std::equal(bytes.begin() + 4, bytes.end(), copy.Bytes().begin() + 4));
  }
  // Every type of the protocol but 0 has a kind.
  EXPECT_EQ(types.size(), size_t(kMsgLastType));
  EXPECT_EQ(types.count(0), 0u);

  CSyncSnapshot snap;
  snap.tick = 400;
  snap.people = -5;
  CSyncSnapshot back = CSyncSnapshot::FromMessage(snap.ToMessage());
  EXPECT_EQ(back.tick, 400u);
  EXPECT_EQ(back.people, -5);
  // The construct message keeps its byte layout: lots at 21..24, costs from 44.
  CNetMessage c = EncodeMessage(ConstructBuildingMsg{BlockId{12}, 1, 3, 2, 4, 2, 77, 5, 0, 1, PlayerNumber{1},
                                                     {1, 2, 3, 4}});
  EXPECT_EQ(c.Bytes()[20], 12);
  EXPECT_EQ(c.Bytes()[22], 3);
  EXPECT_EQ(c.Bytes()[23], 2);
  EXPECT_EQ(c.Bytes()[41], 1);
  EXPECT_FLOAT_EQ(LoadLeF32(c.Bytes().data() + 56), 4.0f);
  ConstructBuildingMsg decoded;
  ASSERT_TRUE(DecodeMessage(c, decoded));
  EXPECT_EQ(decoded.y2, 4);
  EXPECT_EQ(decoded.player, PlayerNumber{1});
}

TEST_F(NetMessageTest, MalformedRecordsAreRefused) {
  struct Case {
    const char* name;
    CNetMessage message;
    int offset;
    int32_t value;   // written as int32 at offset
    int width;       // 1, 2 or 4
    int trim;        // bytes cut from the end
  };
  const CNetMessage prepare = EncodeMessage(PrepareBlockMsg{BlockId{3}});
  const CNetMessage transfer = EncodeMessage(BlockTransferMsg{1, BlockId{3}, PlayerNumber{1}});
  const CNetMessage construct =
      EncodeMessage(ConstructBuildingMsg{BlockId{1}, 0, 1, 0, 1, 1, 0, 0, 0, 0, PlayerNumber{1}, {}});
  const Case cases[] = {
      {"type 0", CNetMessage(PrepareBlockMsg::kType), 4, 0, 4, 0},
      {"type 25", CNetMessage(PrepareBlockMsg::kType), 4, 25, 4, 0},
      {"type past the last", CNetMessage(PrepareBlockMsg::kType), 4, kMsgLastType + 1, 4, 0},
      {"length field", prepare, 8, 28, 4, 0},
      {"short record", prepare, 8, 24, 4, 2},
      {"block", prepare, 20, 52, 4, 0},
      {"negative block", transfer, 24, -1, 2, 0},
      {"buyer", transfer, 26, 7, 1, 0},
      {"building", EncodeMessage(BuyoutMsg{BuildingId{1}}), 20, 600, 4, 0},
      {"business", EncodeMessage(CloseBusinessMsg{BusinessId{1}, PlayerIndex{0}}), 20, 600, 4, 0},
      {"player", EncodeMessage(RemovePlayerMsg{PlayerIndex{1}}), 20, 6, 4, 0},
      {"lot", construct, 22, 7, 1, 0},
      {"lot order", construct, 21, 2, 1, 0},
      {"builder", construct, 41, 0, 1, 0},
      {"auction block", EncodeMessage(StartAuctionMsg{BlockId{1}, PlayerIndex{-1}, 5, {}}), 20, 99, 4, 0},
      {"recipient", EncodeMessage(PlayerMessage{32, PlayerIndex{0}, PlayerIndex{-1}, {}, 0}), 21, 6, 1, 0},
      {"relative flag", prepare, 16, 2, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> bytes(c.message.Bytes().begin(), c.message.Bytes().end());
    if (c.width == 4) StoreLeI32(bytes.data() + c.offset, c.value);
    if (c.width == 2) StoreLeI16(bytes.data() + c.offset, static_cast<int16_t>(c.value));
    if (c.width == 1) bytes[c.offset] = static_cast<uint8_t>(c.value);
    bytes.resize(bytes.size() - c.trim);
    EXPECT_FALSE(CheckNetMessage(bytes));
    CNetMessage parsed;
    EXPECT_FALSE(parsed.Parse(bytes));
  }
  // Names must end inside their field.
  CNetMessage slot(LobbySlotMsg::kType);
  std::memset(slot.Data() + 21, 'x', 32);
  EXPECT_FALSE(CheckNetMessage(slot.Bytes()));
}

// A bad received message is logged on the console, never in a box: a peer
// sending junk must not stall the host.
TEST_F(NetMessageTest, BadReceivedMessageIsDroppedWithAWarningAndChangesNothing) {
  std::vector<std::string> lines;
  auto oldSink = SetConsoleSink([&](std::string_view text, int kind) {
    if (kind == kConsoleError) lines.emplace_back(text);
  });
  MakePlayers();
  CNetMessage grant = EncodeMessage(TickGrantMsg{900});
  std::vector<uint8_t> bytes(grant.Bytes().begin(), grant.Bytes().end());
  StoreLeI32(bytes.data() + 8, 99);
  OnDirectPlayGameMessage(bytes);
  SetConsoleSink(oldSink);
  EXPECT_EQ(TickLimit(), 25u);
  EXPECT_TRUE(boxes.empty());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("Dropped a bad network message", 0), 0u) << lines[0];
  // A bad message built locally is not sent either.
  CNetMessage bad = EncodeMessage(PrepareBlockMsg{BlockId{77}});
  EXPECT_FALSE(bad.Send(0));
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(EventQueue().Empty());
}

TEST_F(NetMessageTest, ActionsApplyTwentyFiveTicksAfterPostingOthersAtOnce) {
  MakePlayers();
  RunTicks(3);
  CBlock& block = g_Blocks[12];
  block.BuildingRights = kRightsNone;
  ASSERT_TRUE(Post(PrepareBlockMsg{BlockId{12}}));
  EXPECT_EQ(block.BuildingRights, kRightsNone);
  RunTicks(24);  // tick 27
  EXPECT_EQ(block.BuildingRights, kRightsNone);
  RunLogicTicks();  // tick 28 = 3 + 25
  EXPECT_EQ(block.BuildingRights, kRightsPreparing);
  EXPECT_EQ(block.PrepareHours, 24);
  // The block is ready one game day of running time later.
  ASSERT_EQ(EventQueue().RunningList().size(), 1u);
  EXPECT_EQ(EventQueue().RunningList().front().due, static_cast<int32_t>(RunningTick() - 1 + kTicksPerDay));  // fired before this tick ran

  // With a further delay the message waits that much longer.
  block.BuildingRights = kRightsNone;
  ASSERT_TRUE(Post(PrepareBlockMsg{BlockId{12}}, 10));
  RunTicks(34);
  EXPECT_EQ(block.BuildingRights, kRightsNone);
  RunLogicTicks();
  EXPECT_EQ(block.BuildingRights, kRightsPreparing);

  // Without the relative flag and with delivery 0 a message applies at once.
  ASSERT_TRUE(Post(TickGrantMsg{5000}));
  EXPECT_EQ(TickLimit(), 5000u);
}

TEST_F(NetMessageTest, DeferredMessagesKeepTheirOrderAndLateOnesWarn) {
  MakePlayers();
  CNetMessage a = EncodeMessage(BlockTransferMsg{100, BlockId{12}, PlayerNumber{1}});
  CNetMessage b = EncodeMessage(BlockTransferMsg{50, BlockId{12}, PlayerNumber{0}});
  a.SetRelative(false);
  b.SetRelative(false);
  a.SetDelivery(10);
  b.SetDelivery(10);
  DispatchGameMessage(a);
  DispatchGameMessage(b);
  EXPECT_EQ(EventQueue().Count(), 2u);
  RunTicks(10);
  // Bought for 100, then handed back for 50: the two applied in arrival order.
  EXPECT_EQ(g_Blocks[12].Owner, 0);
  EXPECT_FLOAT_EQ(PlayerTable().Get(0)->money, 5000.0f - 100.0f + 50.0f);

  CNetMessage late = EncodeMessage(BlockTransferMsg{10, BlockId{13}, PlayerNumber{1}});
  late.SetRelative(false);
  late.SetDelivery(4);
  const int32_t lines = NetLogLinesPrinted() + NetLogLinesLeftOut();
  DispatchGameMessage(late);
  // Told on the console (a few such lines a second), never in a box.
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(NetLogLinesPrinted() + NetLogLinesLeftOut(), lines + 1);
  EXPECT_EQ(g_Blocks[13].Owner, 1);
}

TEST_F(NetMessageTest, SecondConstructionForTheSameLotsIsRefused) {
  MakePlayers(1);
  CBlock& block = g_Blocks[20];
  ClearLots(block.Lots);
  CPlayer* cpu = PlayerTable().Get(1);
  ASSERT_TRUE(PlayerTable().Get(0)->PostConstructBuilding(20, 0, 0, 2, 2, 1, 9, kKindResidential, 1, 0, 42));
  ASSERT_TRUE(cpu->PostConstructBuilding(20, 1, 1, 2, 2, 1, 9, kKindResidential, 1, 0, 42));
  EXPECT_EQ(EventQueue().Count(), 1u);
  // The computer player is told its request was refused.
  ASSERT_EQ(cpu->QueuedMessages(), 1u);
  EXPECT_EQ(cpu->PopMessage()->code, PLAYER_MESS_CONSTRUCTION_REFUSED);
  RunTicks(25);
  ASSERT_NE(block.FirstBuilding, nullptr);
  EXPECT_EQ(block.FirstBuilding->Owner, 1);
  EXPECT_EQ(block.FirstBuilding->X2, 1);
}

}  // namespace
