#include "session/net_message.h"

#include <cstring>

#include "session/le_bytes.h"
#include "session_fixture.h"

namespace {

using NetMessageTest = SessionTest;

std::vector<CNetMessage> OneOfEveryKind() {
  const float parts[4] = {100.0f, 4.0f, 3.0f, 2.0f};
  const int32_t request[5] = {3, 250, 0, 0, -1};
  CSyncSnapshot snap;
  snap.sender = 2;
  snap.tick = 400;
  snap.people = -5;
  CNetMessage lobby(kMsgLobbySetup);
  for (int i = 0; i < 6; ++i) {
    lobby.SetI32(24 + 4 * i, 100 + i);
    lobby.SetName(48 + 32 * i, 32, "Player");
    lobby.SetI8(240 + i, static_cast<int8_t>(i % 3));
  }
  CNetMessage slot(kMsgLobbySlot);
  slot.SetU8(20, 3);
  slot.SetName(21, 32, "Slot three");
  CNetMessage prices(kMsgBusinessPrices);
  prices.SetI32(20, 17);
  return {MakeTimeSkipMessage(2),
          snap.ToMessage(),
          MakeNewHostMessage(1),
          MakeGameStartMessage(1234, 100001, 1),
          lobby,
          slot,
          MakeReadyMessage(2, true),
          MakeTickGrantMessage(75),
          MakeGoalMessage(1, 2),
          MakeRemovePlayerMessage(3),
          MakeLobbyLeaveMessage(-1, 2),
          MakeTokenCycleMessage(1, 4),
          MakeConstructMessage(12, 1, 3, 2, 4, 2, 77, 5, 0, 1, 1, parts),
          MakeDemolishMessage(0, 42, 500),
          MakeOpenBusinessMessage(42, 3, 1, 1),
          MakeBuyBusinessMessage(42, 4, 2),
          MakeCloseBusinessMessage(17, 0),
          CNetMessage(kMsgPlayerNote),
          MakeBuyoutMessage(42),
          MakeBlockTransferMessage(750, 12, 1),
          MakeTakeOverMessage(900, 17, 1),
          prices,
          MakePrepareBlockMessage(12),
          MakePlayCardMessage(4, 1, 12),
          MakeStartAuctionMessage(12, -1, 500, request),
          CNetMessage(kMsgOpenAuction),
          MakeAuctionMessage(0, 1, 600),
          CNetMessage(kMsgFinishAuction),
          MakePlayerMessage(PLAYER_MESS_BUY_REQUEST, 0, -1, 12, 500, 0, 0, -1),
          MakePlayerMessage(PLAYER_MESS_CARD_DISCARD, 5, -1, 2, 0, 0, 0, -1)};
}

TEST_F(NetMessageTest, EveryKindRoundTripsThroughItsRecord) {
  for (const CNetMessage& m : OneOfEveryKind()) {
    SCOPED_TRACE(m.Type());
    std::span<const uint8_t> bytes = m.Bytes();
    ASSERT_EQ(static_cast<int32_t>(bytes.size()), NetMessageSize(m.Type()));
    EXPECT_EQ(LoadLeI32(bytes.data() + 4), m.Type());
    EXPECT_EQ(LoadLeI32(bytes.data() + 8), static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(bytes[16], NetMessageIsRelative(m.Type()) ? 1 : 0);
    const char* why = "";
    ASSERT_TRUE(CheckNetMessage(bytes, &why)) << why;
    std::vector<uint8_t> wire(bytes.begin(), bytes.end());
    StoreLeU32(wire.data(), 0xDEADBEEF);  // whatever the sender's class word was
    CNetMessage copy;
    ASSERT_TRUE(copy.Parse(wire));
    EXPECT_EQ(copy.I32(0), 0);
    EXPECT_TRUE(std::equal(bytes.begin() + 4, bytes.end(), copy.Bytes().begin() + 4));
  }
  CSyncSnapshot back = CSyncSnapshot::FromMessage(OneOfEveryKind()[1]);
  EXPECT_EQ(back.tick, 400u);
  EXPECT_EQ(back.people, -5);
  CNetMessage c = MakeConstructMessage(12, 1, 3, 2, 4, 2, 77, 5, 0, 1, 1, std::array<float, 4>{1, 2, 3, 4}.data());
  EXPECT_EQ(c.U8(22), 3);
  EXPECT_EQ(c.U8(23), 2);
  EXPECT_FLOAT_EQ(c.F32(56), 4.0f);
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
  const int32_t request[5] = {};
  const float parts[4] = {};
  const Case cases[] = {
      {"type 0", CNetMessage(kMsgPrepareBlock), 4, 0, 4, 0},
      {"type 25", CNetMessage(kMsgPrepareBlock), 4, 25, 4, 0},
      {"type 50", CNetMessage(kMsgPrepareBlock), 4, 50, 4, 0},
      {"length field", MakePrepareBlockMessage(3), 8, 28, 4, 0},
      {"short record", MakePrepareBlockMessage(3), 8, 24, 4, 2},
      {"block", MakePrepareBlockMessage(3), 20, 52, 4, 0},
      {"negative block", MakeBlockTransferMessage(1, 3, 1), 24, -1, 2, 0},
      {"buyer", MakeBlockTransferMessage(1, 3, 1), 26, 7, 1, 0},
      {"building", MakeBuyoutMessage(1), 20, 600, 4, 0},
      {"business", MakeCloseBusinessMessage(1, 0), 20, 600, 4, 0},
      {"player", MakeRemovePlayerMessage(1), 20, 6, 4, 0},
      {"lot", MakeConstructMessage(1, 0, 1, 0, 1, 1, 0, 0, 0, 0, 1, parts), 22, 7, 1, 0},
      {"lot order", MakeConstructMessage(1, 0, 1, 0, 1, 1, 0, 0, 0, 0, 1, parts), 21, 2, 1, 0},
      {"builder", MakeConstructMessage(1, 0, 1, 0, 1, 1, 0, 0, 0, 0, 1, parts), 41, 0, 1, 0},
      {"auction block", MakeStartAuctionMessage(1, -1, 5, request), 20, 99, 4, 0},
      {"recipient", MakePlayerMessage(32, 0, -1, 0, 0, 0, 0, 0), 21, 6, 1, 0},
      {"relative flag", MakePrepareBlockMessage(3), 16, 2, 1, 0},
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
  CNetMessage slot(kMsgLobbySlot);
  std::memset(slot.Data() + 21, 'x', 32);
  EXPECT_FALSE(CheckNetMessage(slot.Bytes()));
}

TEST_F(NetMessageTest, BadReceivedMessageIsDroppedWithAWarningAndChangesNothing) {
  MakePlayers();
  CNetMessage grant = MakeTickGrantMessage(900);
  std::vector<uint8_t> bytes(grant.Bytes().begin(), grant.Bytes().end());
  StoreLeI32(bytes.data() + 8, 99);
  OnDirectPlayGameMessage(bytes);
  EXPECT_EQ(TickLimit(), 25u);
  ASSERT_EQ(boxes.size(), 1u);
  // A bad message built locally is not sent either.
  CNetMessage bad = MakePrepareBlockMessage(77);
  EXPECT_FALSE(bad.Send(0));
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(EventQueue().Empty());
}

TEST_F(NetMessageTest, ActionsApplyTwentyFiveTicksAfterPostingOthersAtOnce) {
  MakePlayers();
  RunTicks(3);
  CBlock& block = g_Blocks[12];
  block.BuildingRights = kRightsNone;
  ASSERT_TRUE(MakePrepareBlockMessage(12).Send(0));
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
  ASSERT_TRUE(MakePrepareBlockMessage(12).Send(10));
  RunTicks(34);
  EXPECT_EQ(block.BuildingRights, kRightsNone);
  RunLogicTicks();
  EXPECT_EQ(block.BuildingRights, kRightsPreparing);

  // Without the relative flag and with delivery 0 a message applies at once.
  ASSERT_TRUE(MakeTickGrantMessage(5000).Send(0));
  EXPECT_EQ(TickLimit(), 5000u);
}

TEST_F(NetMessageTest, DeferredMessagesKeepTheirOrderAndLateOnesWarn) {
  MakePlayers();
  CNetMessage a = MakeBlockTransferMessage(100, 12, 1);
  CNetMessage b = MakeBlockTransferMessage(50, 12, 0);
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

  CNetMessage late = MakeBlockTransferMessage(10, 13, 1);
  late.SetRelative(false);
  late.SetDelivery(4);
  DispatchGameMessage(late);
  EXPECT_TRUE(HasBox("We have received a message after we ought to have done. Going out of sync..."));
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
  EXPECT_EQ(cpu->PopMessage()->Type(), PLAYER_MESS_CONSTRUCTION_REFUSED);
  RunTicks(25);
  ASSERT_NE(block.FirstBuilding, nullptr);
  EXPECT_EQ(block.FirstBuilding->Owner, 1);
  EXPECT_EQ(block.FirstBuilding->X2, 1);
}

}  // namespace
