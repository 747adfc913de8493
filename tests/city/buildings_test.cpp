#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "city/block_footprints.h"
#include "city/business.h"
#include "city/city_save.h"
#include "city/commodities.h"
#include "city/economy.h"
#include "city/local_drafts.h"
#include "city_fixture.h"

namespace {

class Buildings : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildTestCity();
    AddTestPlayers(2);
    GameClock().decade = 2;
    GameClock().yearInDecade = 3;
    // Business type 0: the figures the building rules read. Its one
    // commodity costs 5, ten units of stock per unit of area.
    ResetEconomyTables();
    BusinessType& t = g_BusinessTypes[0];
    t.Density = 1.0f;
    t.RefurbCost = 100;
    t.StockCapacity = 10.0f;
    t.TelecomNeed = 1;
    t.GasNeed = 2;
    t.WaterNeed = 3;
    t.ElectricalNeed = 4;
    g_Commodities[0].Active = 1;
    g_Commodities[0].Value = 5.0f;
    AddBusinessTypeCommodity(0, 0);
  }
  void TearDown() override { RestoreDefaultCityServices(); }

  CBuilding* Place(int block, int x1, int z1, int x2, int z2, int floors, int32_t kind = kKindRetail,
                   uint8_t quality = 0) {
    CBuilding* b = AllocBuilding();
    EXPECT_NE(b, nullptr);
    EXPECT_TRUE(g_Blocks[block].PlaceBuilding(b, x1, z1, x2, z2, floors, 1234, kind, quality, 99.0f));
    return b;
  }
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
  LogicTick() = 40;
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
  EXPECT_EQ(b->VolumeUnits(), 4);
}

TEST_F(Buildings, CapacityAndCosts) {
  g_Blocks[8].Prestige = 1.0f;  // prestige factor 1.5
  CBuilding* b = Place(8, 0, 0, 1, 0, 1, kKindRetail, 1);  // 2 units
  EXPECT_EQ(b->GetCapacity(0), 2);
  g_BusinessTypes[0].Density = 0.5f;
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
  // A business rated 1000: the building's value 99 and half its potential.
  CBusiness& business = g_Businesses[5];
  business = CBusiness{};
  business.InUse = 1;
  business.Building = b->Id;
  business.PotentialIncome = 2.0f * (1000.0f - 99.0f);
  b->BusinessIndex = 5;
  EXPECT_FLOAT_EQ(b->GetBuyoutPrice(), 1000.0f + 1000.0f);
  LogicTick() = 625 * 50 + 624;
  EXPECT_EQ(b->GetNoveltyPercent(), 50);
  EXPECT_FLOAT_EQ(b->GetBuyoutPrice(), 1000.0f + 0.25f * 1000.0f);
  LogicTick() = 625 * 100;
  EXPECT_EQ(b->GetNoveltyPercent(), 0);
  LogicTick() = 625 * 300;
  EXPECT_EQ(b->GetNoveltyPercent(), 0);
  EXPECT_FLOAT_EQ(b->GetBuyoutPrice(), 1000.0f);
  // The block's owner holds the whole district set: no novelty, 60 percent.
  LogicTick() = 0;
  for (int32_t block : g_Districts[g_BlockDefs[8].District].Blocks)
    if (block >= 0 && block < kBlockCount) PlayerTable().ByNumber(2)->ownedBlocks[block] = 1;
  EXPECT_EQ(b->GetNoveltyPercent(), 0);
  EXPECT_FLOAT_EQ(b->GetBuyoutPrice(), 600.0f);
  b->SendBuyoutRequest();
  ASSERT_EQ(PostedMessages().size(), 1u);
  EXPECT_EQ(PostedMessages()[0], (std::vector<int32_t>{19, 24, b->Id}));
  business = CBusiness{};
}

TEST_F(Buildings, EstimateCost) {
  g_Blocks[8].Prestige = 0;
  // units 5: af = 3.8. Retail quality 0: 1 * 1 * 10 * 3.8 + 1 * 100 * 1 * 3.8.
  GameClock().hour = 5;
  EXPECT_EQ(EstimateBuildingCost(8, 5, kKindRetail, 0, 0, 1), 418);
  EXPECT_FLOAT_EQ(g_LastCostEstimate.StockCost, 0);
  // Landscape: construction only.
  EXPECT_EQ(EstimateBuildingCost(8, 5, kKindLandscape, 0, 0, 1), 38);
  GameClock().hour = 12;
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
  EXPECT_EQ(EstimateBuildingCost(8, 1, kKindRetail, 0, 0, 1), static_cast<int>(1.4f * 110) + 50 + 8);
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

// The chunk's layout: 600 building heads of 64 bytes (Id through InUse, each
// field at its natural alignment), then 52 block heads of 172 bytes (Index
// through PeopleInside, with the building list as ids at 12).
constexpr size_t kBlocksAt = 600 * 64;
size_t BuildingField(int building, size_t offset) { return 64 * size_t(building) + offset; }
size_t BlockField(int block, size_t offset) { return kBlocksAt + 172 * size_t(block) + offset; }

template <typename T>
T At(const std::vector<uint8_t>& bytes, size_t offset) {
  T v;
  std::memcpy(&v, bytes.data() + offset, sizeof v);
  return v;
}

TEST_F(Buildings, ChunkLayoutPutsEveryFieldInItsPlace) {
  CBlock& block = g_Blocks[8];
  block.Owner = 3;
  block.RequestPad = 1;
  block.PreparePad = 1;
  // This machine's marks of its requests are no part of the record.
  LocalBlockMarks(9) = BlockRequestMarks{1, 1};
  block.CommodityMask = 0x0A0B0C0Du;
  block.Ownable = 1;
  block.BuildingRights = kRightsGranted;
  block.LeaseHours = 30;
  block.PrepareHours = 4;
  block.Prestige = 0.5f;
  block.PeopleInside = 7;
  CBuilding* a = Place(8, 0, 1, 2, 3, 4);
  CBuilding* b = Place(8, 6, 6, 6, 6, 2, kKindResidential, 2);
  a->Status = kStatusComplete;
  a->BusinessIndex = 12;
  a->ArchitectSeed = 77;
  a->RentPerUnit = 55;
  a->Owner = 5;
  a->OwnerChangeTick = 9000;
  a->BuiltYear = 1975;
  a->Value = 1234.5f;
  // Nor are its marks of a demolition, request and trade waiting for answers.
  LocalBuildingMarks(a->Id) = BuildingRequestMarks{1, 1, 1};
  const auto bytes = EncodeBuildingsChunk();
  ASSERT_EQ(bytes.size(), size_t(600 * 64 + 52 * 172));

  // Every field of a building head and of a block head at its offset.
  struct Int32At {
    const char* what;
    size_t offset;
    int32_t value;
  } ints[] = {
      {"building Id", BuildingField(a->Id, 0), a->Id},
      {"Status", BuildingField(a->Id, 20), kStatusComplete},
      {"BusinessIndex", BuildingField(a->Id, 28), 12},
      {"ArchitectSeed", BuildingField(a->Id, 32), 77},
      {"Kind", BuildingField(b->Id, 36), kKindResidential},
      {"RentPerUnit", BuildingField(a->Id, 40), 55},
      {"OwnerChangeTick", BuildingField(a->Id, 48), 9000},
      {"BuiltYear", BuildingField(a->Id, 52), 1975},
      {"last building Id", BuildingField(599, 0), 599},
      {"block Index", BlockField(8, 0), 8},
      {"BuildingCount", BlockField(8, 8), 2},
      {"first listed id", BlockField(8, 12), a->Id},
      {"second listed id", BlockField(8, 16), b->Id},
      {"unused list slot", BlockField(8, 20), -1},
      {"last list slot", BlockField(8, 136), -1},
      {"CommodityMask", BlockField(8, 144), int32_t(0x0A0B0C0D)},
      {"BuildingRights", BlockField(8, 152), kRightsGranted},
      {"LeaseHours", BlockField(8, 156), 30},
      {"PrepareHours", BlockField(8, 160), 4},
      {"PeopleInside", BlockField(8, 168), 7},
      {"last block Index", BlockField(51, 0), 51},
  };
  for (const Int32At& f : ints) EXPECT_EQ(At<int32_t>(bytes, f.offset), f.value) << f.what;
  struct ByteAt {
    const char* what;
    size_t offset;
    uint8_t value;
  } singles[] = {
      {"X1", BuildingField(a->Id, 4), 0},          {"Z1", BuildingField(a->Id, 5), 1},
      {"X2", BuildingField(a->Id, 6), 2},          {"Z2", BuildingField(a->Id, 7), 3},
      {"Floors", BuildingField(a->Id, 8), 4},      {"PlaceInBlock", BuildingField(b->Id, 24), 1},
      {"Quality", BuildingField(b->Id, 44), 2},    {"building Owner", BuildingField(a->Id, 45), 5},
      {"InUse", BuildingField(a->Id, 63), 1},
      {"block InUse", BlockField(8, 4), 1},        {"block Owner", BlockField(8, 5), 3},
      {"block RequestPad", BlockField(8, 140), 1}, {"block PreparePad", BlockField(8, 141), 1},
      {"block 9 request mark", BlockField(9, 140), 0}, {"block 9 prepare mark", BlockField(9, 141), 0},
      {"Ownable", BlockField(8, 148), 1},
  };
  for (const ByteAt& f : singles) EXPECT_EQ(bytes[f.offset], f.value) << f.what;
  EXPECT_FLOAT_EQ(At<float>(bytes, BuildingField(a->Id, 12)), a->CentreX);
  EXPECT_FLOAT_EQ(At<float>(bytes, BuildingField(a->Id, 16)), a->CentreZ);
  EXPECT_FLOAT_EQ(At<float>(bytes, BuildingField(a->Id, 56)), 1234.5f);
  EXPECT_FLOAT_EQ(At<float>(bytes, BlockField(8, 164)), 0.5f);

  // Padding is written as zeros and not read: junk in it loads the same city.
  // A building's 60 to 62 held an older save's marks of its machine's requests.
  const size_t buildingPads[] = {9, 10, 11, 25, 26, 27, 46, 47, 60, 61, 62};
  const size_t blockPads[] = {6, 7, 142, 143, 149, 150, 151};
  auto junk = bytes;
  for (size_t p : buildingPads) {
    EXPECT_EQ(bytes[BuildingField(a->Id, p)], 0) << p;
    junk[BuildingField(a->Id, p)] = 0xEE;
  }
  for (size_t p : blockPads) {
    EXPECT_EQ(bytes[BlockField(8, p)], 0) << p;
    junk[BlockField(8, p)] = 0xEE;
  }
  auto staged = std::make_unique<CityBuildingsRecord>();
  ASSERT_TRUE(DecodeRecord(junk, *staged));
  ApplyBuildingsRecord(*staged);
  // A loaded block holds no saving machine's request marks, and a load
  // drops this machine's marks, whose answers it does not bring back.
  std::vector<uint8_t> loaded = bytes;
  loaded[BlockField(8, 140)] = loaded[BlockField(8, 141)] = 0;
  EXPECT_EQ(EncodeBuildingsChunk(), loaded);
  const BuildingRequestMarks marks = LocalBuildingMarks(a->Id);
  EXPECT_EQ(marks.Demolish + marks.Request + marks.Trade, 0);
}

TEST_F(Buildings, DamagedChunksChangeNothing) {
  CBuilding* a = Place(8, 0, 0, 1, 1, 3);
  CBuilding* b = Place(8, 6, 6, 6, 6, 2);
  const auto good = EncodeBuildingsChunk();

  struct Damage {
    const char* what;
    size_t offset;
    int32_t value;
  } damages[] = {
      {"building id", BuildingField(3, 0), 4},
      {"lot rectangle", BuildingField(a->Id, 6), 9},  // a's X2
      {"building kind", BuildingField(a->Id, 36), 3},
      {"block id", BlockField(8, 0), 9},
      {"building count", BlockField(8, 8), 33},
      {"building id in list", BlockField(8, 12), 600},
      {"free building in list", BlockField(8, 16), 42},
      {"same building twice", BlockField(8, 16), a->Id},
      {"building rights", BlockField(8, 152), 3},
      {"orphan building", BlockField(8, 8), 1},
      {"buildings on a block off the map", BlockField(40, 8), 1},
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
  overlap[BuildingField(b->Id, 4)] = 1;  // b's X1: 1..6 crosses a
  overlap[BuildingField(b->Id, 5)] = 1;  // b's Z1
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

// The block keeps its free edge rectangles current as buildings come and go,
// as a fresh count of its lots gives them.
TEST_F(Buildings, FreeFootprintFollowsPlacementAndRemoval) {
  constexpr int kBlock = 3;
  const auto district = g_BlockDefs[kBlock].District;
  g_BlockDefs[kBlock].District = 1;
  ComputeAllBlockFreeFootprints();
  auto current = [&] {
    const BlockFreeFootprint kept = GetBlockFreeFootprint(kBlock);
    ComputeBlockFreeFootprint(kBlock);
    const BlockFreeFootprint fresh = GetBlockFreeFootprint(kBlock);
    EXPECT_EQ(kept.smallest, fresh.smallest);
    EXPECT_EQ(kept.largest, fresh.largest);
    return kept.largest;
  };
  EXPECT_EQ(current(), 36);
  CBuilding* big = Place(kBlock, 0, 0, 5, 5, 1);  // leaves a strip one lot wide
  EXPECT_EQ(current(), 6);
  CBuilding* corner = Place(kBlock, 6, 6, 6, 6, 1);
  EXPECT_EQ(current(), 6);
  ASSERT_TRUE(g_Blocks[kBlock].RemoveBuilding(big->Id));
  EXPECT_EQ(current(), 36);
  ASSERT_TRUE(g_Blocks[kBlock].RemoveBuilding(corner->Id));
  EXPECT_EQ(current(), 36);
  // A block outside the property districts has no free rectangles.
  g_BlockDefs[kBlock].District = 10;
  ComputeBlockFreeFootprint(kBlock);
  EXPECT_EQ(GetBlockFreeFootprint(kBlock).largest, 0);
  EXPECT_EQ(GetBlockFreeFootprint(-1).largest, 0);
  g_BlockDefs[kBlock].District = district;
  ComputeAllBlockFreeFootprints();
}
