// Construction and demolition jobs: the phases and the building's status on
// the way, the full table, the sound lists and the save chunk.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "city/construction_jobs.h"
#include "../city/city_fixture.h"

namespace {

constexpr int32_t kBlock = 12;

class ConstructionJobsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ThrowOnFatalError();
    BuildTestCity();
    InitBlocks();
    ResetConstructionJobs();
  }
  void TearDown() override { ResetConstructionJobs(); }

  CBuilding* Place(int x, int z, int floors) {
    CBuilding* b = AllocBuilding();
    EXPECT_NE(b, nullptr);
    EXPECT_TRUE(g_Blocks[kBlock].PlaceBuilding(b, x, z, x, z, floors, 5, kKindRetail, 0, 0));
    return b;
  }
  // Runs until the job ends; the building's statuses in the order they came.
  std::vector<int32_t> RunJob(const CBuilding& b, int32_t& ticks) {
    std::vector<int32_t> seen{b.Status};
    ticks = 0;
    while (ConstructionJobs().ActiveCount > 0 && ticks < 10000) {
      UpdateConstructionJobs();
      ++ticks;
      if (b.Status != seen.back()) seen.push_back(b.Status);
    }
    return seen;
  }
};

TEST_F(ConstructionJobsTest, BuildGoesThroughItsPhases) {
  CBuilding* b = Place(0, 0, 2);
  b->Status = kStatusPlaced;
  ASSERT_TRUE(StartConstructionJob(kBlock, b->Id, 3, 0));
  EXPECT_EQ(b->Status, kStatusQueued);
  EXPECT_EQ(b->Visual.Growth, 0.0f);
  int32_t ticks = 0;
  EXPECT_EQ(RunJob(*b, ticks), (std::vector<int32_t>{0, 1, 2, 4}));
  // 2 floors: 50 ticks of scaffolding up, 100 of growth, 51 down.
  EXPECT_EQ(ticks, 50 + 100 + 51);
  EXPECT_EQ(b->Visual.Growth, 1.0f);
  EXPECT_EQ(ConstructionJobs().Jobs[0].Kind, kJobFree);
}

TEST_F(ConstructionJobsTest, DemolitionGoesThroughItsPhasesAndRemovesTheBuilding) {
  CBuilding* b = Place(3, 0, 1);
  EXPECT_FALSE(StartDemolitionJob(kBlock, b->Id));  // not complete yet
  b->Status = kStatusComplete;
  ASSERT_TRUE(StartDemolitionJob(kBlock, b->Id));
  int32_t ticks = 0;
  EXPECT_EQ(RunJob(*b, ticks), (std::vector<int32_t>{0, 3, 2, 5}));
  EXPECT_FALSE(b->InUse);
  EXPECT_EQ(g_Blocks[kBlock].FindBuilding(b->Id), nullptr);
  EXPECT_TRUE(g_Blocks[kBlock].IsLotRegionFreeRect(3, 0, 3, 0));
}

// The dust of a demolition: where it is asked for, and that it stops.
struct DustRecorder : CityVisualServices {
  float x = 0, z = 0, width = 0, depth = 0;
  int32_t started = 0, stopped = -1;
  int32_t StartDust(float px, float pz, float w, float d) override {
    x = px, z = pz, width = w, depth = d;
    return started++ + 7;
  }
  void StopEffect(int32_t slot) override { stopped = slot; }
};

TEST_F(ConstructionJobsTest, DemolitionDustRisesOverTheBuildingsLotsCentredOnIt) {
  DustRecorder dust;
  SetCityVisualServices(&dust);
  struct Restore {
    ~Restore() { SetCityVisualServices(nullptr); }
  } restore;
  CBuilding* b = AllocBuilding();
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(g_Blocks[kBlock].PlaceBuilding(b, 1, 2, 2, 4, 1, 5, kKindRetail, 0, 0));  // 2 x 3 lots
  b->Status = kStatusComplete;
  ASSERT_TRUE(StartDemolitionJob(kBlock, b->Id));
  while (dust.started == 0 && ConstructionJobs().ActiveCount > 0) UpdateConstructionJobs();
  EXPECT_EQ(dust.started, 1);
  EXPECT_FLOAT_EQ(dust.width, 2 * kLotSize);
  EXPECT_FLOAT_EQ(dust.depth, 3 * kLotSize);
  EXPECT_FLOAT_EQ(dust.x + dust.width / 2, b->CentreX);
  EXPECT_FLOAT_EQ(dust.z + dust.depth / 2, b->CentreZ);
  EXPECT_EQ(dust.stopped, -1);
  int32_t ticks = 0;
  RunJob(*b, ticks);
  EXPECT_EQ(dust.stopped, 7);  // the building's removal stops its dust
}

TEST_F(ConstructionJobsTest, TheHundredAndTwentyNinthJobIsRefused) {
  for (int32_t id = 0; id < kMaxConstructionJobs; ++id) ASSERT_TRUE(StartConstructionJob(kBlock, id, 0, 0));
  EXPECT_FALSE(HasFreeConstructionJobSlot());
  CBuilding* b = GetBuilding(kMaxConstructionJobs);
  b->Status = kStatusComplete;
  b->Visual.Growth = 1.0f;
  const ConstructionJobTable before = ConstructionJobs();
  EXPECT_FALSE(StartConstructionJob(kBlock, b->Id, 0, 0));
  EXPECT_FALSE(StartDemolitionJob(kBlock, b->Id));
  EXPECT_EQ(b->Status, kStatusComplete);
  EXPECT_EQ(b->Visual.Growth, 1.0f);
  EXPECT_EQ(ConstructionJobs().ActiveCount, before.ActiveCount);
  ResetConstructionJobs();
  EXPECT_EQ(ConstructionJobs().ActiveCount, 0);
  EXPECT_TRUE(HasFreeConstructionJobSlot());
}

TEST_F(ConstructionJobsTest, KeepNearestJobsKeepsTheTwoNearestInOrder) {
  SoundSites list;
  EXPECT_TRUE(KeepNearestJobs(list, 2, {1, 0, 0}, 5));
  EXPECT_TRUE(KeepNearestJobs(list, 2, {2, 0, 0}, 5));  // a tie goes after
  EXPECT_EQ(list.Entries[0].Position.x, 1);
  EXPECT_EQ(list.Entries[1].Position.x, 2);
  EXPECT_FALSE(KeepNearestJobs(list, 2, {3, 0, 0}, 5));  // a third tie falls off
  EXPECT_FALSE(KeepNearestJobs(list, 2, {4, 0, 0}, 9));
  EXPECT_TRUE(KeepNearestJobs(list, 2, {5, 0, 0}, 1));
  EXPECT_EQ(list.Count, 2);
  EXPECT_EQ(list.Entries[0].Position.x, 5);
  EXPECT_EQ(list.Entries[1].Position.x, 1);
}

// Each phase is heard from its own list: the scaffold sound while the
// scaffolding goes up and comes down, the saw while a building grows, the
// hammer while one sinks.
TEST_F(ConstructionJobsTest, EachPhaseFillsItsOwnSoundList) {
  auto lists_heard = [&](const CBuilding& b) {
    std::vector<int32_t> heard;
    for (int32_t tick = 0; tick < 10000 && ConstructionJobs().ActiveCount > 0; ++tick) {
      UpdateConstructionJobs();
      for (int32_t list = 0; list < kSiteListCount; ++list)
        if (ConstructionSoundSites()[size_t(list)].Count > 0 && (heard.empty() || heard.back() != list))
          heard.push_back(list);
    }
    EXPECT_NE(b.Status, kStatusQueued);
    return heard;
  };
  CBuilding* b = Place(0, 0, 2);
  b->Status = kStatusPlaced;
  ASSERT_TRUE(StartConstructionJob(kBlock, b->Id, 3, 0));
  EXPECT_EQ(lists_heard(*b), (std::vector<int32_t>{kSitesScaffoldUp, kSitesGrowing, kSitesScaffoldDown}));
  ASSERT_TRUE(StartDemolitionJob(kBlock, b->Id));
  EXPECT_EQ(lists_heard(*b), (std::vector<int32_t>{kSitesScaffoldUp, kSitesSinking, kSitesScaffoldDown}));
}

TEST_F(ConstructionJobsTest, IdleUpdateOnlyEmptiesTheSoundLists) {
  CBuilding* b = Place(0, 0, 1);
  ASSERT_TRUE(StartConstructionJob(kBlock, b->Id, 0, 0));
  UpdateConstructionJobs();
  EXPECT_EQ(ConstructionSoundSites()[kSitesScaffoldUp].Count, 1);
  ResetConstructionJobs();
  UpdateConstructionJobs();
  for (const SoundSites& list : ConstructionSoundSites()) EXPECT_EQ(list.Count, 0);
}

TEST_F(ConstructionJobsTest, ChunkRoundTripAndRefusals) {
  CBuilding* a = Place(0, 0, 1);
  CBuilding* b = Place(2, 0, 3);
  b->Status = kStatusComplete;
  ASSERT_TRUE(StartConstructionJob(kBlock, a->Id, 7, 2));
  ASSERT_TRUE(StartDemolitionJob(kBlock, b->Id));
  for (int i = 0; i < 30; ++i) UpdateConstructionJobs();
  const std::vector<uint8_t> bytes = EncodeRecord(ConstructionJobs());
  ASSERT_EQ(bytes.size(), kConstructionChunkSize);
  ConstructionJobTable back;
  ASSERT_TRUE(DecodeRecord(bytes, back));
  EXPECT_EQ(EncodeRecord(back), bytes);
  EXPECT_EQ(back.ActiveCount, 2);
  EXPECT_EQ(back.Jobs[0].Phase, kPhaseGrowing);
  EXPECT_EQ(back.Jobs[0].Player, 2);
  // Damaged copies: each is refused as a whole.
  auto damaged = [&](size_t offset, int32_t value) {
    auto copy = bytes;
    std::memcpy(copy.data() + offset, &value, 4);
    ConstructionJobTable t;
    return DecodeRecord(copy, t);
  };
  EXPECT_FALSE(damaged(0, 3));            // count says three jobs
  EXPECT_FALSE(damaged(4 + 4, 600));      // building out of range
  EXPECT_FALSE(damaged(4 + 8, 3));        // no such kind
  EXPECT_FALSE(damaged(4 + 12, 2));       // a build does not sink
  EXPECT_FALSE(damaged(4 + 28 + 4, a->Id));  // two jobs on one building
  EXPECT_FALSE(damaged(4 + 24, 7));       // no player 7
  ConstructionJobTable t;
  EXPECT_FALSE(DecodeRecord(std::span(bytes).first(100), t));
}

}  // namespace

#include "session/game_messages.h"
#include "session/net_message.h"
#include "session/player.h"
#include "session_fixture.h"

namespace {

class ConstructMessageTest : public SessionTest {};

CNetMessage MakeConstructMessage(int32_t block, int32_t x1, int32_t x2, int32_t y1, int32_t y2, int32_t floors,
                                 int32_t design, int32_t businessType, int32_t kind, int32_t quality, int32_t player,
                                 const float (&parts)[4]) {
  return EncodeMessage(ConstructBuildingMsg{BlockId{block}, x1, x2, y1, y2, floors, design, businessType, kind, quality,
                                            PlayerNumber{player}, {parts[0], parts[1], parts[2], parts[3]}});
}

// With every job slot taken the construct message is refused before the
// building is placed or the builder charged; with a slot it starts a build.
TEST_F(ConstructMessageTest, NoJobSlotRefusesThePlacement) {
  MakePlayers();
  CPlayer* me = PlayerTable().ByNumber(1);
  me->money = 1000;
  ResetConstructionJobs();
  for (int32_t id = 0; id < kMaxConstructionJobs; ++id) ASSERT_TRUE(StartConstructionJob(0, 500 + id % 100, 0, 0));
  const float parts[4] = {100, 10, 0, 0};
  DispatchGameMessage(MakeConstructMessage(kBlock, 0, 1, 0, 1, 2, 7, -1, kKindRetail, 0, 1, parts));
  EXPECT_EQ(g_Blocks[kBlock].BuildingCount, 0);
  EXPECT_TRUE(g_Blocks[kBlock].IsLotRegionFreeRect(0, 0, 1, 1));
  EXPECT_FLOAT_EQ(me->money, 1000);
  ResetConstructionJobs();
  DispatchGameMessage(MakeConstructMessage(kBlock, 0, 1, 0, 1, 2, 7, -1, kKindRetail, 0, 1, parts));
  ASSERT_EQ(g_Blocks[kBlock].BuildingCount, 1);
  EXPECT_EQ(g_Blocks[kBlock].FirstBuilding->Status, kStatusQueued);
  EXPECT_EQ(ConstructionJobs().ActiveCount, 1);
  EXPECT_EQ(ConstructionJobs().Jobs[0].Player, 1);
  EXPECT_FLOAT_EQ(me->money, 890);
  ResetConstructionJobs();
}

}  // namespace
