// The scenery's schedule and state machines over the built paths: the
// planes, trains and boats group loaded from the game root, its archive in a
// throw-away folder.
#include "city/animated_scenery.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "city/blocks.h"
#include "city/city_entities.h"
#include "city/traffic.h"
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/core/system_settings.h"
#include "engine/files/cache_archive.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "platform/paths.h"
#include "shell/asset_groups.h"

namespace {

std::vector<std::pair<int32_t, float>> g_cues;
int32_t g_shipUpdates = 0;
struct RecordedSounds : ScenerySounds {
  void Cue(int32_t sound, float distance, const Vec3&, float) override { g_cues.emplace_back(sound, distance); }
  void Ship(int32_t, const Vec3&) override { ++g_shipUpdates; }
} g_recorded;

class AnimatedSceneryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("rc_scenery_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_ / "max");
    old_root_ = platform::GameRoot();
    platform::SetGameRoot(RC_GAME_ROOT);
    ThrowOnFatalError();
    ASSERT_TRUE(MemoryManager().Init(0x5000000, 16));
    TexSysCreate();
    ModSysCreate();
    ASSERT_TRUE(CacheArchive().Open((folder_ / "max" / "archive.bin").string(), 0));
    LoadPlanesTrainsBoats();
    LoadWorldCityModels();
    CacheArchive().Close();
    ASSERT_TRUE(MissingAssets().empty());
    ResetAnimatedScenery();
    g_cues.clear();
    SetScenerySounds(&g_recorded);
    g_shipUpdates = 0;
  }
  void TearDown() override {
    SetScenerySounds(nullptr);
    ResetAnimatedScenery();
    ClearShelves();
    ModSysDestroy();
    TexSysDestroy();
    MemoryManager().Shutdown();
    platform::SetGameRoot(old_root_);
    std::filesystem::remove_all(folder_);
  }
  int32_t ActiveTrains() {
    int32_t n = 0;
    for (const TrainSlot& t : Scenery().Trains) n += t.State != kTrainFree;
    return n;
  }
  int32_t ActiveFlights() {
    int32_t n = 0;
    for (const FlightSlot& f : Scenery().Flights) n += f.Active;
    return n;
  }
  int32_t CueCount(int32_t sound) {
    int32_t n = 0;
    for (const auto& c : g_cues) n += c.first == sound;
    return n;
  }

  std::filesystem::path folder_;
  std::string old_root_;
};

TEST_F(AnimatedSceneryTest, TrainSlowsWhereItMustStopsWaits250TicksAndRunsBackOut) {
  ASSERT_TRUE(StartTrain(0, 3, 100));
  const TrainSlot& t = Scenery().Trains[0];
  const Vec3 start = t.Position;
  EXPECT_FLOAT_EQ(t.Speed, kTrainTopSpeed);
  EXPECT_EQ(CueCount(8), 1);
  int32_t now = 100, braked = -1, stopped = -1, left = -1;
  while (t.State != kTrainFree && now < 5000) {
    const bool shouldBrake = t.State == kTrainArriving && t.Speed * 50 > t.Remaining;
    const float speed = t.Speed;
    UpdateAnimatedScenery(++now);
    if (shouldBrake && braked < 0) braked = now;
    if (braked < 0) {
      EXPECT_FLOAT_EQ(t.Speed, speed) << now;  // full speed until then
    }
    if (g_cues.back().first == 11 && stopped < 0) stopped = now;
    if (g_cues.back().first == 12 && left < 0) left = now;
  }
  ASSERT_GT(braked, 0);
  ASSERT_GT(stopped, braked);
  EXPECT_EQ(left - stopped, kTrainWaitTicks);
  EXPECT_EQ(t.State, kTrainFree);
  EXPECT_EQ(CueCount(9), 1);
  // Back where it came in.
  EXPECT_NEAR(t.Position.x, start.x, 3.0f);
  EXPECT_NEAR(t.Position.z, start.z, 3.0f);
}

TEST_F(AnimatedSceneryTest, HourlyTrainsAndFlightsByThePeopleInTheCity) {
  const struct {
    int32_t hour, people;
    bool train, flight, ship;
  } kCases[] = {
      {4, 5000, false, false, false}, {5, 0, true, false, false},     {6, 199, true, false, false},
      {6, 200, true, true, false},    {10, 0, true, true, false},     {12, 399, true, false, true},
      {12, 400, true, true, true},    {16, 400, true, false, false},  {16, 401, true, true, false},
      {20, 799, true, false, false},  {22, 200, false, true, false},  {23, 5000, false, false, false},
  };
  for (const auto& c : kCases) {
    ResetAnimatedScenery();
    UpdateAnimatedScenery(1);  // the loops take their slots
    ScheduleSceneryForHour(c.hour, 10, c.people, 0);
    EXPECT_EQ(ActiveTrains(), c.train ? 1 : 0) << c.hour << " " << c.people;
    EXPECT_EQ(ActiveFlights(), c.flight ? 1 : 0) << c.hour << " " << c.people;
    EXPECT_EQ(Scenery().Harbour.ShipSlot >= 0, c.ship) << c.hour << " " << c.people;
  }
  // Era group by decade, and the flight's path by era group.
  ResetAnimatedScenery();
  ScheduleSceneryForHour(10, 10, 0, 5);
  EXPECT_EQ(Scenery().Flights[0].EraGroup, 2);
  EXPECT_EQ(Scenery().Flights[0].Path, 1);
  EXPECT_EQ(Scenery().Trains[0].EraGroup, 2);
  // No free slot: nothing more starts.
  for (int i = 0; i < 20; ++i) ScheduleSceneryForHour(10, 10, 0, 0);
  EXPECT_EQ(ActiveTrains(), kTrainSlots);
  EXPECT_EQ(ActiveFlights(), kFlightSlots);
}

TEST_F(AnimatedSceneryTest, ShipTypeFollowsTheEra) {
  // The stream's first value picks the type; find states for each raw type.
  auto rawType = [](uint32_t state) {
    CRandomStream probe;
    probe.SetState(state);
    return static_cast<int32_t>(probe.Rand() & 3);
  };
  const struct {
    int32_t decade, raw, expected;
  } kCases[] = {{0, 2, 0}, {2, 2, 0}, {2, 0, 0}, {3, 0, 2}, {7, 0, 2}, {7, 2, 2}, {8, 0, 0}, {4, 1, 1}, {5, 3, 3}};
  for (const auto& c : kCases) {
    uint32_t state = 1;
    while (rawType(state) != c.raw) ++state;
    ResetAnimatedScenery();
    SceneryRandom().SetState(state);
    ASSERT_TRUE(StartShip(c.decade, 10));
    EXPECT_EQ(Scenery().Harbour.ShipType, c.expected) << c.decade << " " << c.raw;
    const PathLoopSlot& slot = Scenery().Paths[Scenery().Harbour.ShipSlot];
    EXPECT_EQ(slot.Model, kShipCargo + c.expected);
    // A second ship the same day finds the harbour busy.
    EXPECT_FALSE(StartShip(c.decade, 11));
  }
}

TEST_F(AnimatedSceneryTest, TankerWaitsAtTheQuayWhileTheCraneRuns1789Ticks) {
  UpdateAnimatedScenery(1);
  ASSERT_TRUE(StartShip(4, 1));
  HarbourState& h = Scenery().Harbour;
  h.ShipType = 1;
  int32_t now = 1, started = -1, stopped = -1;
  while (now < 5000 && stopped < 0) {
    UpdateAnimatedScenery(++now);
    if (started < 0 && h.CraneRunning) {
      started = now;
      EXPECT_EQ(h.ShipFrame, kShipUnloadFrame);
      EXPECT_EQ(g_cues.back().first, 27);
    }
    if (started > 0 && !h.CraneRunning) stopped = now;
    if (h.CraneRunning) {
      ASSERT_EQ(h.ShipFrame, kShipUnloadFrame) << now;
    }
  }
  EXPECT_EQ(stopped - started, kCraneLastFrame - 1);
  EXPECT_EQ(g_cues.back().first, 28);
  EXPECT_EQ(CueCount(29), 2);
  EXPECT_GT(g_shipUpdates, kShipUnloadFrame);
  EXPECT_EQ(CueCount(31), 2);
  // The ship sails on and its slot is freed at the end of its path; the loops
  // keep running.
  while (now < 10000 && h.ShipSlot >= 0) UpdateAnimatedScenery(++now);
  EXPECT_EQ(h.ShipSlot, -1);
  EXPECT_EQ(h.CraneRunning, 0);
  for (int32_t i = 0; i < kLoopPaths; ++i) EXPECT_EQ(Scenery().Paths[i].Kind, kPathSlotLoop);
}

TEST_F(AnimatedSceneryTest, PathFramesWrapPastTheEnd) {
  const int32_t count = PathFrameCount(kLoopSail);
  ASSERT_GT(count, 2);
  PathFrame a{}, b{};
  ASSERT_TRUE(GetPathFrame(kLoopSail, count + 4, a));
  ASSERT_TRUE(GetPathFrame(kLoopSail, (count + 4) % (count - 1) + 1, b));
  EXPECT_FLOAT_EQ(a.Position.x, b.Position.x);
  EXPECT_FLOAT_EQ(a.Position.z, b.Position.z);
  // A route's frames face the way it runs: the forward axis points at its end.
  PathFrame first{}, last{};
  ASSERT_TRUE(GetPathFrame(kTrainRoute0, 0, first));
  ASSERT_TRUE(GetPathFrame(kTrainRoute0, PathFrameCount(kTrainRoute0) - 1, last));
  const Vec3 run{last.Position.x - first.Position.x, 0, last.Position.z - first.Position.z};
  EXPECT_GT(run.x * first.Axes[2].x + run.z * first.Axes[2].z, 0);
  EXPECT_NEAR(first.Axes[1].y, 1.0f, 1e-5f);
  EXPECT_FALSE(GetPathFrame(kPlaneJet, 0, a));  // not a path
}

TEST_F(AnimatedSceneryTest, CityEntitiesStandOnTheBlocksAndRoundTheCity) {
  ASSERT_TRUE(CacheArchive().Open((folder_ / "max" / "archive.bin").string(), 0));
  LoadCitySurround();
  LoadIndustrialUnitsGroup();
  CacheArchive().Close();
  for (CBlock& b : g_Blocks) b = CBlock{};
  for (int32_t i = 0; i < kBlockCount; ++i) g_Blocks[size_t(i)].Index = i;
  g_Blocks[3].InUse = 1;
  g_Blocks[3].CentreX = 100;
  g_Blocks[3].CentreZ = -50;
  g_Blocks[7].InUse = 1;
  g_Blocks[7].MapMarks = kMarkHidden;
  CreateBlockEntities();
  CreateBlockSignEntities();
  CreateSceneryEntities();
  EXPECT_EQ(BlockBaseEntities().count, kBlockCount);
  EXPECT_EQ(BlockBaseEntities().GetEntity(3)->position.x, 100);
  EXPECT_EQ(BlockBaseEntities().GetEntity(3)->objectKind, kEntityKindBlockBase);
  EXPECT_TRUE(BlockBaseEntities().GetEntity(3)->flags & kEntVisible);
  EXPECT_FALSE(BlockBaseEntities().GetEntity(7)->flags & kEntVisible);
  ASSERT_EQ(BlockSignEntities().count, 2);
  const CEntity* sign = BlockSignEntities().GetEntity(0);
  EXPECT_EQ(sign->position.z, -50 - 41);
  EXPECT_EQ(sign->rotation.y, 180);
  EXPECT_EQ(sign->index, 3);
  EXPECT_EQ(SceneryEntities(0).count, ShelfSize(ModelShelf::Surround));
  EXPECT_EQ(SceneryEntities(1).count, ShelfSize(ModelShelf::Industrial));
  EXPECT_EQ(SceneryEntities(2).count, 1);
  // Block ambience sits over each base in use, measured from the camera.
  SetTrafficCameraPosition({100, 40, -20});
  UpdateBlockAmbiencePositions();
  EXPECT_EQ(GetBlockAmbience(3).Position.y, 40);
  EXPECT_FLOAT_EQ(GetBlockAmbience(3).Distance, 30);
  // A second game start makes them again, not twice.
  CreateBlockSignEntities();
  EXPECT_EQ(BlockSignEntities().count, 2);
  ReleaseCityEntities();
  for (CBlock& b : g_Blocks) b = CBlock{};
}

}  // namespace
