#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "city/city_save.h"
#include "city_fixture.h"

namespace {

struct FakeSession : CitySessionServices {
  int32_t tick = 0;
  int32_t hour = 9;
  int32_t decade = 2, year = 3;
  int ownedSet = -1;  // player * 100 + district that is owned
  std::vector<std::vector<int32_t>> sent;
  int32_t LogicTick() const override { return tick; }
  int32_t GameHour() const override { return hour; }
  int32_t DecadeIndex() const override { return decade; }
  int32_t YearInDecade() const override { return year; }
  bool OwnsDistrictSet(int32_t player, int32_t district) const override {
    return player * 100 + district == ownedSet;
  }
  void SendMessage(int32_t type, int32_t length, std::span<const int32_t> payload, int32_t) override {
    std::vector<int32_t> m = {type, length};
    m.insert(m.end(), payload.begin(), payload.end());
    sent.push_back(m);
  }
};

struct FakeBusinesses : CityBusinessServices {
  float density = 1.0f, refurb = 100.0f, rating = 1000.0f, stock = 250.0f;
  float needs[4] = {1, 2, 3, 4};
  float Density(int32_t) const override { return density; }
  float RefurbCost(int32_t) const override { return refurb; }
  float Rating(int32_t) const override { return rating; }
  float UtilityNeed(int32_t, int utility) const override { return needs[utility]; }
  float InitialStockCost(int32_t, int32_t) const override { return stock; }
};

struct FakeAi : CityAiServices {
  std::vector<int32_t> blocks;
  void ComputeBlockFreeFootprint(int32_t block) override { blocks.push_back(block); }
};

class Buildings : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildTestCity();
    SetCitySessionServices(&session);
    SetCityBusinessServices(&business);
    SetCityAiServices(&ai);
  }
  void TearDown() override { RestoreDefaultCityServices(); }

  CBuilding* Place(int block, int x1, int z1, int x2, int z2, int floors, int32_t kind = kKindRetail,
                   uint8_t quality = 0) {
    CBuilding* b = AllocBuilding();
    EXPECT_NE(b, nullptr);
    EXPECT_TRUE(g_Blocks[block].PlaceBuilding(b, x1, z1, x2, z2, floors, 1234, kind, quality, 99.0f));
    return b;
  }

  FakeSession session;
  FakeBusinesses business;
  FakeAi ai;
};

}  // namespace

TEST_F(Buildings, KindsAndFactors) {
  EXPECT_EQ(FindBuildingKindByName("residential"), kKindResidential);
  EXPECT_EQ(FindBuildingKindByName("CASTLE"), -1);
  EXPECT_EQ(g_BuildingKinds[0].Figures[0], 10);
  EXPECT_EQ(g_BuildingKinds[0].Figures[2], 0);
  EXPECT_EQ(g_BuildingKinds[0].Figures[6], 10);
  EXPECT_FLOAT_EQ(QualityFactor(0), 1.0f);
  EXPECT_FLOAT_EQ(QualityFactor(1), 1.2f);
  EXPECT_FLOAT_EQ(QualityFactor(2), 1.5f);
  EXPECT_FLOAT_EQ(QualityFactor(9), 1.5f);
  EXPECT_FLOAT_EQ(AreaFactor(10), 6.8f);
}

TEST_F(Buildings, PlacementRecord) {
  session.tick = 40;
  g_BuildingKinds[kKindResidential].Figures[kFigureRent] = 17;
  g_Blocks[3].Owner = 4;
  CBuilding* b = Place(3, 0, 0, 0, 1, 2, kKindResidential, 1);
  EXPECT_EQ(b->Status, kStatusPlaced);
  EXPECT_EQ(b->InUse, 1);
  EXPECT_EQ(b->BusinessIndex, -1);
  EXPECT_EQ(b->RentPerUnit, 17);
  EXPECT_EQ(b->BuiltYear, 23);
  EXPECT_EQ(b->Owner, 4);
  EXPECT_EQ(b->GetBlockOwnerNumber(), 4);
  EXPECT_EQ(b->OwnerChangeTick, 40);
  EXPECT_EQ(ai.blocks, std::vector<int32_t>{3});
  EXPECT_EQ(b->VolumeUnits(), 4);
}

TEST_F(Buildings, CapacityAndCosts) {
  g_Blocks[8].Prestige = 1.0f;  // prestige factor 1.5
  CBuilding* b = Place(8, 0, 0, 1, 0, 1, kKindRetail, 1);  // 2 units
  business.density = 1.0f;
  EXPECT_EQ(b->GetCapacity(0), 2);
  business.density = 0.5f;
  EXPECT_EQ(b->GetCapacity(0), 1);
  EXPECT_FLOAT_EQ(b->GetBusinessSetupCost(0), 1.2f * 2.0f * 1.5f * 100.0f);
  g_BuildingKinds[kKindRetail].Figures[kFigureCostToDemolish] = 3;
  EXPECT_FLOAT_EQ(b->GetRentalValue(), 2 * 1.5f * 3);
}

TEST_F(Buildings, NoveltyAndBuyout) {
  g_Blocks[8].Owner = 2;
  CBuilding* b = Place(8, 0, 0, 0, 0, 1);
  EXPECT_EQ(b->GetNoveltyPercent(), 100);
  EXPECT_FLOAT_EQ(b->GetBuyoutPrice(), 0.0f);  // no business
  b->BusinessIndex = 5;
  EXPECT_FLOAT_EQ(b->GetBuyoutPrice(), 1000.0f + 1000.0f);
  session.tick = 625 * 50 + 624;
  EXPECT_EQ(b->GetNoveltyPercent(), 50);
  EXPECT_FLOAT_EQ(b->GetBuyoutPrice(), 1000.0f + 0.25f * 1000.0f);
  session.tick = 625 * 100;
  EXPECT_EQ(b->GetNoveltyPercent(), 0);
  session.tick = 625 * 300;
  EXPECT_EQ(b->GetNoveltyPercent(), 0);
  EXPECT_FLOAT_EQ(b->GetBuyoutPrice(), 1000.0f);
  // The block's owner holds the whole district set: no novelty, 60 percent.
  session.tick = 0;
  session.ownedSet = 2 * 100 + g_BlockDefs[8].District;
  EXPECT_EQ(b->GetNoveltyPercent(), 0);
  EXPECT_FLOAT_EQ(b->GetBuyoutPrice(), 600.0f);
  b->SendBuyoutRequest();
  ASSERT_EQ(session.sent.size(), 1u);
  EXPECT_EQ(session.sent[0], (std::vector<int32_t>{19, 24, b->Id}));
}

TEST_F(Buildings, EstimateCost) {
  g_Blocks[8].Prestige = 0;
  // units 5: af = 3.8. Retail quality 0: 1 * 1 * 10 * 3.8 + 1 * 100 * 1 * 3.8.
  session.hour = 5;
  EXPECT_EQ(EstimateBuildingCost(8, 5, kKindRetail, 0, 0, 1), 418);
  EXPECT_FLOAT_EQ(g_LastCostEstimate.StockCost, 0);
  // Landscape: construction only.
  EXPECT_EQ(EstimateBuildingCost(8, 5, kKindLandscape, 0, 0, 1), 38);
  session.hour = 12;
  // Utilities: 5 units x (1 + 2 + 3 + 4) when nobody of them is the builder.
  EXPECT_EQ(EstimateBuildingCost(8, 5, kKindRetail, 0, 0, 1), 418 + 250 + 50);
  EXPECT_FLOAT_EQ(g_LastCostEstimate.UtilityCharge, 50);
  EXPECT_FLOAT_EQ(g_LastCostEstimate.StockCost, 250);
  EXPECT_GT(g_LastCostEstimate.RentEstimate, 0);
  // The builder owns the gasworks (35, the second utility): no gas charge.
  g_Blocks[35].Owner = 1;
  EXPECT_EQ(EstimateBuildingCost(8, 5, kKindRetail, 0, 0, 1), 418 + 250 + 40);
  // Residential: no stock.
  EXPECT_EQ(EstimateBuildingCost(8, 5, kKindResidential, 0, 0, 1), 418 + 40);
  // Rent estimate: 1 unit of e is e.
  EXPECT_EQ(EstimateBuildingCost(8, 1, kKindRetail, 0, 0, 1), static_cast<int>(1.4f * 110) + 250 + 8);
  EXPECT_FLOAT_EQ(g_LastCostEstimate.RentEstimate, 10.0f);
  EXPECT_EQ(EstimateBuildingCost(60, 1, kKindRetail, 0, 0, 1), 0);
}

TEST_F(Buildings, PoolExhaustionIsRefused) {
  for (CBuilding& b : g_Buildings) b.InUse = 1;
  EXPECT_EQ(AllocBuilding(), nullptr);
  EXPECT_FALSE(g_Blocks[0].PlaceBuilding(nullptr, 0, 0, 0, 0, 1, 0, 0, 0, 0));
  ResetBuildings();
  EXPECT_EQ(AllocBuilding(), &g_Buildings[0]);
  EXPECT_EQ(GetSpareBuilding()->Id, -1);
  EXPECT_EQ(g_Buildings[599].Id, 599);
}

// ---- Save chunk -------------------------------------------------------------------

// As a load takes chunk 4: decoded into a staging record and checked, then applied.
bool CheckBuildingsChunk(std::span<const uint8_t> bytes) {
  auto staged = std::make_unique<CityBuildingsRecord>();
  return DecodeRecord(bytes, *staged);
}
bool LoadBuildingsChunk(std::span<const uint8_t> bytes) {
  auto staged = std::make_unique<CityBuildingsRecord>();
  if (!DecodeRecord(bytes, *staged)) return false;
  ApplyBuildingsRecord(*staged);
  return true;
}

TEST_F(Buildings, EmptyCityChunkRoundTrip) {
  auto bytes = EncodeBuildingsChunk();
  auto again = EncodeBuildingsChunk();
  EXPECT_EQ(bytes, again);
  ASSERT_TRUE(LoadBuildingsChunk(bytes));
  for (const CBlock& b : g_Blocks) EXPECT_EQ(b.BuildingCount, 0);
  EXPECT_EQ(EncodeBuildingsChunk().size(), bytes.size());
}

TEST_F(Buildings, ChunkRoundTripRelinksBuildings) {
  g_Blocks[8].Owner = 2;
  g_Blocks[8].LeaseHours = 30;
  g_Blocks[8].BuildingRights = kRightsGranted;
  g_Blocks[8].Prestige = 0.5f;
  CBuilding* a = Place(8, 0, 0, 1, 1, 3);
  CBuilding* b = Place(8, 6, 0, 6, 2, 5, kKindResidential, 2);
  CBuilding* c = Place(21, 0, 6, 2, 6, 1);
  a->Status = kStatusComplete;
  b->BusinessIndex = 7;
  ASSERT_TRUE(g_Blocks[8].RemoveBuilding(a->Id));  // leaves a hole in the pool
  CBuilding* d = Place(8, 0, 0, 0, 0, 2);           // takes a's record
  ASSERT_EQ(d, a);
  const auto saved = EncodeBuildingsChunk();

  ClearCity();
  EXPECT_EQ(g_Blocks[8].BuildingCount, 0);
  ASSERT_TRUE(LoadBuildingsChunk(saved));
  const CBlock& block = g_Blocks[8];
  EXPECT_EQ(block.Owner, 2);
  EXPECT_EQ(block.LeaseHours, 30);
  EXPECT_EQ(block.BuildingRights, kRightsGranted);
  EXPECT_FLOAT_EQ(block.Prestige, 0.5f);
  EXPECT_EQ(block.BuildingCount, 2);
  // The saved list order: b first, then the record reused for d.
  ASSERT_EQ(block.FirstBuilding, b);
  EXPECT_EQ(b->Next, d);
  EXPECT_EQ(block.LastBuilding, d);
  EXPECT_EQ(d->PlaceInBlock, 1);
  EXPECT_EQ(b->BusinessIndex, 7);
  EXPECT_EQ(b->Quality, 2);
  EXPECT_EQ(block.Lots[6][2], 5);
  EXPECT_EQ(block.Lots[0][0], 2);
  EXPECT_EQ(block.Lots[1][1], 0);
  EXPECT_FLOAT_EQ(block.Bounds.Centre[1], 25.0f);
  EXPECT_EQ(g_Blocks[21].FirstBuilding, c);
  EXPECT_EQ(c->Block, &g_Blocks[21]);
  // Places in the block follow the reloaded order; from here the round trip is exact.
  const auto reloaded = EncodeBuildingsChunk();
  ASSERT_TRUE(LoadBuildingsChunk(reloaded));
  EXPECT_EQ(EncodeBuildingsChunk(), reloaded);
}

TEST_F(Buildings, DamagedChunksChangeNothing) {
  CBuilding* a = Place(8, 0, 0, 1, 1, 3);
  CBuilding* b = Place(8, 6, 6, 6, 6, 2);
  const auto good = EncodeBuildingsChunk();
  const size_t buildingSize = 56, head = 12;
  const size_t blocksAt = head + buildingSize * kBuildingPoolSize;
  const size_t blockSize = 4 + 2 + 4 + 4 * 32 + 2 + 4 + 1 + 4 * 3 + 4 + 4;
  auto blockField = [&](int block, size_t offset) { return blocksAt + blockSize * block + offset; };

  struct Damage {
    const char* what;
    size_t offset;
    int32_t value;
  } damages[] = {
      {"version", 0, 99},
      {"pool size", 4, 601},
      {"building id", head + buildingSize * 3, 4},
      {"lot rectangle", head + 4 + 2, 9},                          // a's X2
      {"building kind", head + 4 + 5 + 8 + 4 + 1 + 4 + 4, 3},       // a's Kind
      {"block id", blockField(8, 0), 9},
      {"building count", blockField(8, 6), 33},
      {"building id in list", blockField(8, 10), 600},
      {"free building in list", blockField(8, 14), 42},
      {"same building twice", blockField(8, 14), a->Id},
      {"building rights", blockField(8, 10 + 128 + 2 + 4 + 1), 3},
      {"orphan building", blockField(8, 6), 1},
      {"buildings on a block off the map", blockField(40, 6), 1},
  };
  for (const Damage& d : damages) {
    auto bad = good;
    std::memcpy(bad.data() + d.offset, &d.value, sizeof d.value);
    EXPECT_FALSE(CheckBuildingsChunk(bad)) << d.what;
    EXPECT_FALSE(LoadBuildingsChunk(bad)) << d.what;
    EXPECT_EQ(g_Blocks[8].BuildingCount, 2) << d.what;
    EXPECT_EQ(g_Blocks[8].FirstBuilding, a);
    EXPECT_EQ(g_Blocks[8].LastBuilding, b);
  }
  // Overlapping buildings.
  auto overlap = good;
  overlap[head + buildingSize * b->Id + 4] = 1;  // b's X1: 1..6 crosses a
  overlap[head + buildingSize * b->Id + 5] = 1;  // b's Z1
  EXPECT_FALSE(CheckBuildingsChunk(overlap));
  // Short and long chunks.
  EXPECT_FALSE(CheckBuildingsChunk(std::span<const uint8_t>(good).first(good.size() - 1)));
  auto longer = good;
  longer.push_back(0);
  EXPECT_FALSE(CheckBuildingsChunk(longer));
  EXPECT_TRUE(CheckBuildingsChunk(good));
}

namespace {
struct NoDesign : CityVisualServices {
  bool SetUpBuildingVisual(CBuilding&) override { return false; }
};
}  // namespace

TEST_F(Buildings, NoFittingDesignFallsBackToThePlainBox) {
  NoDesign visuals;
  SetCityVisualServices(&visuals);
  CBuilding* b = Place(8, 0, 0, 0, 0, 3);
  EXPECT_EQ(b->Visual.Built, 0);
  EXPECT_FLOAT_EQ(b->Visual.Height, 3 * kPlainFloorHeight);
  EXPECT_EQ(g_Blocks[8].BuildingCount, 1);
}
