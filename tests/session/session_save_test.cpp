// Save chunks of the session: players, clock, event queue, statistics history.
#include <cstring>
#include <fstream>

#include "engine/core/byte_io.h"
#include "session_fixture.h"

namespace {

class SessionSaveTest : public SessionTest {
 protected:
  std::string Path(const char* name) { return (root_ / name).string(); }

  bool Save(const char* name, uint32_t mask) {
    SaveGameFile file;
    file.path = Path(name);
    return WriteSaveGame(file, mask);
  }
  bool Load(const char* name, uint32_t mask) {
    SaveGameFile file;
    file.path = Path(name);
    return LoadGameFile(file, mask);
  }
  std::vector<uint8_t> ReadAll(const char* name) {
    std::ifstream in(Path(name), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  void WriteAll(const char* name, const std::vector<uint8_t>& bytes) {
    std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  // Offset of the data of the n-th chunk of a type, or 0.
  size_t ChunkData(const std::vector<uint8_t>& f, int32_t type, int n = 0) {
    size_t pos = 0;
    while (pos + 8 <= f.size()) {
      int32_t t = LoadLeI32(&f[pos]);
      if (t == -1) break;
      int32_t len = LoadLeI32(&f[pos + 4]);
      if (t == type && n-- == 0) return pos + 8;
      pos += 8 + len;
    }
    return 0;
  }
};

TEST_F(SessionSaveTest, PlayersRoundTripInSlotOrder) {
  MakePlayers(1);
  CPlayer* cpu = PlayerTable().Get(1);
  PlayerTable().SetupRow(1) = PlayerSetupRow{4, kPlayerComputer, "Cpu", 77, 2};
  cpu->money = 1234.5f;
  cpu->AddToLedger(-8.0f, 14);
  cpu->ownedBlocks[20] = 1;
  cpu->pointsA = 3;
  cpu->pointsB = 9;
  cpu->salesCount = 11;
  ASSERT_TRUE(Save("players.sav", kSavePlayers));
  PlayerTable().DeleteAllPlayers();
  PlayerTable().ClearPlayerSetupRows();
  ASSERT_TRUE(Load("players.sav", kChunkPlayers | kChunkPlayerSetup));
  ASSERT_EQ(PlayerTable().PlayerCount(), 2);
  EXPECT_EQ(PlayerTable().Local(), PlayerTable().Get(0));
  const CPlayer* back = PlayerTable().Get(1);
  EXPECT_STREQ(back->name, "Cpu");
  EXPECT_EQ(back->kind, kPlayerComputer);
  EXPECT_FLOAT_EQ(back->money, 1234.5f);
  EXPECT_FLOAT_EQ(back->Today()[14], -8.0f);
  EXPECT_EQ(back->ownedBlocks[20], 1);
  EXPECT_EQ(back->GetRatingPoints(), 12);
  EXPECT_EQ(back->salesCount, 11);
  EXPECT_EQ(PlayerTable().SetupRow(1).directPlayId, 77);
  EXPECT_EQ(PlayerTable().SetupRow(1).difficulty, 2);
}

TEST_F(SessionSaveTest, LyingPlayerChunksAreRejectedBeforeAnythingChanges) {
  MakePlayers(1);
  ASSERT_TRUE(Save("players.sav", kSavePlayers));
  std::vector<uint8_t> good = ReadAll("players.sav");
  size_t state = ChunkData(good, kChunkPlayers, 1);
  ASSERT_NE(state, 0u);
  PlayerTable().Get(0)->money = 42.0f;

  struct Lie {
    size_t offset;
    uint8_t value;
  };
  for (Lie lie : {Lie{336, 9}, Lie{12, 3}, Lie{372 + 5, 2}, Lie{320, 2}}) {
    std::vector<uint8_t> bad = good;
    bad[state + lie.offset] = lie.value;
    WriteAll("bad.sav", bad);
    EXPECT_FALSE(Load("bad.sav", kChunkPlayers | kChunkPlayerSetup));
  }
  std::vector<uint8_t> bad = good;
  std::memset(&bad[state + 340], 'x', 32);  // unterminated name
  WriteAll("bad.sav", bad);
  EXPECT_FALSE(Load("bad.sav", kChunkPlayers | kChunkPlayerSetup));
  EXPECT_EQ(PlayerTable().PlayerCount(), 2);
  EXPECT_FLOAT_EQ(PlayerTable().Get(0)->money, 42.0f);
}

TEST_F(SessionSaveTest, MorePlayerChunksThanTheTableHoldsFailTheLoad) {
  MakePlayers(5);
  ASSERT_TRUE(Save("six.sav", kSavePlayers));
  std::vector<uint8_t> f = ReadAll("six.sav");
  // Repeat the last set-up row and state pair before the terminator: seven players.
  size_t row = ChunkData(f, kChunkPlayerSetup, 5) - 8;
  std::vector<uint8_t> pair(f.begin() + row, f.end() - 4);
  f.insert(f.end() - 4, pair.begin(), pair.end());
  WriteAll("seven.sav", f);
  PlayerTable().DeleteAllPlayers();
  EXPECT_FALSE(Load("seven.sav", kChunkPlayers | kChunkPlayerSetup));
  EXPECT_EQ(PlayerTable().PlayerCount(), 0);
  // The six-player file still loads afterwards: the count starts again.
  EXPECT_TRUE(Load("six.sav", kChunkPlayers | kChunkPlayerSetup));
  EXPECT_EQ(PlayerTable().PlayerCount(), 6);
}

TEST_F(SessionSaveTest, EventQueueRoundTripsAndChecksItsEntries) {
  MakePlayers();
  ASSERT_TRUE(Save("empty.sav", kSaveEventQueue));
  EXPECT_EQ(ChunkData(ReadAll("empty.sav"), kChunkEventQueue), 0u);

  RunTicks(5);
  Post(PrepareBlockMsg{BlockId{12}});  // due at tick 30
  RunTicks(25);                         // applied: block 12 prepares, ready a day later
  Post(BlockTransferMsg{300, BlockId{13}, PlayerNumber{1}});  // due at tick 55
  ASSERT_EQ(EventQueue().Count(), 2u);
  ASSERT_TRUE(Save("queue.sav", kSaveEventQueue));
  EventQueue().Clear();
  ASSERT_TRUE(Load("queue.sav", kChunkEventQueue));
  ASSERT_EQ(EventQueue().Count(), 2u);
  EXPECT_EQ(EventQueue().LogicList().front().message.Type(), BlockTransferMsg::kType);
  EXPECT_EQ(EventQueue().RunningList().front().block, 12);
  RunTicks(25);
  EXPECT_EQ(g_Blocks[13].Owner, 1);
  g_Blocks[12].BuildingRights = kRightsPreparing;
  RunTicks(static_cast<int>(kTicksPerDay));
  EXPECT_EQ(g_Blocks[12].BuildingRights, kRightsGranted);

  // Lying entries: a block out of range, an unknown kind, a length that does
  // not match the stored message, a message that fails its checks.
  Post(BlockTransferMsg{300, BlockId{14}, PlayerNumber{1}});
  g_Blocks[11].BuildingRights = kRightsNone;
  EventQueue().Add(kClockRunning, static_cast<int32_t>(RunningTick() + 100), kEventBlockReady, 11, nullptr);
  ASSERT_TRUE(Save("queue2.sav", kSaveEventQueue));
  const std::vector<uint8_t> good = ReadAll("queue2.sav");
  size_t msg = ChunkData(good, kChunkEventQueue, 0), blk = ChunkData(good, kChunkEventQueue, 1);
  ASSERT_NE(msg, 0u);
  ASSERT_NE(blk, 0u);
  auto reject = [&](size_t at, int32_t value, int width) {
    std::vector<uint8_t> bad = good;
    if (width == 4) StoreLeI32(&bad[at], value);
    if (width == 2) StoreLeI16(&bad[at], static_cast<int16_t>(value));
    WriteAll("bad.sav", bad);
    size_t before = EventQueue().Count();
    EXPECT_FALSE(Load("bad.sav", kChunkEventQueue));
    EXPECT_EQ(EventQueue().Count(), before);
  };
  reject(blk + 12, 52, 4);         // block
  reject(blk, 7, 4);               // kind
  reject(blk + 4, 3, 4);           // clock
  reject(msg + 24 + 8, 24, 4);     // message length field
  reject(msg + 24 + 4, 19, 4);     // a different kind of another size
  reject(msg + 24 + 24, 60, 2);    // the message's block
}

// A client runs behind its host, so its queue already holds messages the
// host routed after the client's tick: its save of that tick leaves them
// out, as the host's save of it does. Alone, a game saves all it queued.
TEST_F(SessionSaveTest, ANetworkSaveHoldsTheMessagesTheHostRoutedByItsTick) {
  MakePlayers();
  LogicTick() = 110;
  const auto routed = [](int32_t block, uint32_t at) {
    CNetMessage m = EncodeMessage(BlockTransferMsg{300, BlockId{block}, PlayerNumber{1}});
    m.SetRelative(false);
    m.SetDelivery(at + kMessageDeliveryLead);
    m.SetRoutingLead(kMessageDeliveryLead);
    return m;
  };
  DispatchGameMessage(routed(13, 100));
  DispatchGameMessage(routed(14, 110));
  DispatchGameMessage(routed(15, 111));  // by the host ahead, or between its ticks
  ASSERT_EQ(EventQueue().Count(), 3u);
  Session().networkSession = true;
  ASSERT_TRUE(Save("client.sav", kSaveEventQueue));
  const std::vector<uint8_t> client = ReadAll("client.sav");
  const size_t first = ChunkData(client, kChunkEventQueue, 0);
  ASSERT_NE(first, 0u);
  ASSERT_NE(ChunkData(client, kChunkEventQueue, 1), 0u);
  EXPECT_EQ(ChunkData(client, kChunkEventQueue, 2), 0u);
  // The routing lead is saved as the files always held it, 0.
  EXPECT_EQ(LoadLeU16(&client[first + 24 + kNetRoutingLeadOffset]), 0u);
  Session().networkSession = false;
  ASSERT_TRUE(Save("alone.sav", kSaveEventQueue));
  EXPECT_NE(ChunkData(ReadAll("alone.sav"), kChunkEventQueue, 2), 0u);

  // The host stamps what it routes with the tick it belongs to: between
  // ticks, the next one.
  EventQueue().Clear();
  Post(BlockTransferMsg{300, BlockId{16}, PlayerNumber{1}});
  ASSERT_EQ(EventQueue().Count(), 1u);
  EXPECT_EQ(EventQueue().LogicList().front().message.RoutedAt(), LogicTick() + 1);
}

// The requests waiting for the auction room survive a save; a list that
// claims more than it can hold, or names a block or requester out of range,
// fails the load and changes nothing.
TEST_F(SessionSaveTest, WaitingAuctionRequestsRoundTripAndAreChecked) {
  MakePlayers(2);
  ASSERT_TRUE(Post(StartAuctionMsg{BlockId{12}, PlayerIndex{-1}, 500, {}}));
  RunTicks(25);
  ASSERT_TRUE(Post(StartAuctionMsg{BlockId{3}, PlayerIndex{2}, 300, {BlockDeal{BlockId{3}, 300}, -1}}));
  ASSERT_TRUE(Post(StartAuctionMsg{BlockId{5}, PlayerIndex{0}, 400, {BlockDeal{BlockId{5}, 400}, -1}}));
  RunTicks(25);
  ASSERT_EQ(WaitingAuctions().count, 2);
  ASSERT_TRUE(Save("waiting.sav", kSaveAuction));
  const std::vector<uint8_t> good = ReadAll("waiting.sav");
  const size_t list = ChunkData(good, kChunkAuctionQueue);
  ASSERT_NE(list, 0u);
  ResetAuction();
  ASSERT_TRUE(Load("waiting.sav", kChunkAuctionQueue));
  ASSERT_EQ(WaitingAuctions().count, 2);
  EXPECT_EQ(WaitingAuctions().rows[0].block.value, 3);
  EXPECT_EQ(WaitingAuctions().rows[0].starter, 2);
  EXPECT_EQ(WaitingAuctions().rows[1].block.value, 5);
  EXPECT_EQ(WaitingAuctions().rows[1].opening, 400);

  const size_t row = list + 8;
  for (auto [at, value] : {std::pair{list + 4, kMaxWaitingAuctions + 1}, {row, 52}, {row + 4, 6}, {row + 12, 7}}) {
    std::vector<uint8_t> bad = good;
    StoreLeI32(&bad[at], value);
    WriteAll("bad.sav", bad);
    ResetAuction();
    EXPECT_FALSE(Load("bad.sav", kChunkAuctionQueue)) << at - list;
    EXPECT_EQ(WaitingAuctions().count, 0);
  }
  ResetAuction();
  ASSERT_TRUE(Save("none.sav", kSaveAuction));
  EXPECT_EQ(ChunkData(ReadAll("none.sav"), kChunkAuctionQueue), 0u);
}

TEST_F(SessionSaveTest, StatisticsHistoryRoundTripsAndRefusesIndicesOutsideItsRings) {
  MakePlayers();
  for (int i = 0; i < 3; ++i) RecordStatsHistorySample();
  ASSERT_TRUE(Save("hist.sav", kSaveStatsHistory));
  std::vector<uint8_t> f = ReadAll("hist.sav");
  ClearStatsHistory();
  ASSERT_TRUE(Load("hist.sav", kChunkStatsHistory));
  EXPECT_EQ(StatsHistory().count[2], 3);
  float v = 0;
  ASSERT_TRUE(GetStatsHistorySample(v, 0, 2, -1));
  EXPECT_FLOAT_EQ(v, 5000.0f);

  // An index or count outside its ring refuses the file and changes nothing.
  const size_t data = ChunkData(f, kChunkStatsHistory);
  for (auto [at, value] : {std::pair{69120 + 4 * 2, 100000}, std::pair{69264 + 4 * 2, -7},
                           std::pair{69264 + 4 * 2, kHistorySamples + 1}}) {
    std::vector<uint8_t> bad = f;
    StoreLeI32(&bad[data + at], value);
    WriteAll("hist2.sav", bad);
    EXPECT_FALSE(Load("hist2.sav", kChunkStatsHistory));
    EXPECT_EQ(StatsHistory().count[2], 3);
    ASSERT_TRUE(GetStatsHistorySample(v, 0, 2, -1));
    EXPECT_FLOAT_EQ(v, 5000.0f);
  }
}

}  // namespace
