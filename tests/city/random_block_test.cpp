// Random buildings for a block: the sizes the block generator draws, where it
// places them, and that one seed always gives one block.
#include <gtest/gtest.h>

#include <vector>

#include "city/business_types.h"
#include "city/random_block.h"
#include "city_fixture.h"
#include "engine/core/random_stream.h"

namespace {

constexpr int32_t kBlock = 12;

class RandomBlockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ThrowOnFatalError();
    BuildTestCity();
    InitBlocks();
    def_ = &g_BlockDefs[size_t(g_Blocks[kBlock].DefIndex)];
    for (float& d : def_->Distribution) d = 0;
    def_->Looseness = 0;
    BlockGeneratorRandom().SetState(1234);
  }
  void TearDown() override { InitBlockDefs(); }

  std::vector<const CBuilding*> Buildings() const {
    std::vector<const CBuilding*> out;
    for (const CBuilding* b = g_Blocks[kBlock].FirstBuilding; b; b = b->Next) out.push_back(b);
    return out;
  }
  BlockDef* def_ = nullptr;
};

TEST_F(RandomBlockTest, RandomVaryStaysByTheCentre) {
  for (int i = 0; i < 200; ++i) EXPECT_EQ(RandomVary(3, 0), 3);
  int strays = 0;
  for (int i = 0; i < 2000; ++i) {
    const int32_t v = RandomVary(3, 100);
    EXPECT_GE(v, 1);
    EXPECT_LE(v, 5);
    strays += v != 3;
  }
  EXPECT_GT(strays, 1500);
}

TEST_F(RandomBlockTest, LoosenessZeroBudgetOfTwentySevenIsOneCube) {
  def_->Distribution[1] = 18.3674f;  // 147 x 18.3674% = 27 units
  BuildingRequest rows[kRandomBlockRows];
  ASSERT_EQ(MakeBuildingRequests(kBlock, 0, rows), 1);
  EXPECT_EQ(rows[0].Width, 3);
  EXPECT_EQ(rows[0].Depth, 3);
  EXPECT_EQ(rows[0].Floors, 3);
  EXPECT_EQ(rows[0].Kind, kKindResidential);
  EXPECT_EQ(rows[0].Business, kTypeApartments);
  // A budget below the first draw: its floors on one lot.
  for (float& d : def_->Distribution) d = 0;
  def_->Distribution[4] = 1.4f;  // 2 units
  ASSERT_EQ(MakeBuildingRequests(kBlock, 0, rows), 1);
  EXPECT_EQ(rows[0].Floors, 2);
  EXPECT_EQ(rows[0].Width, 1);
  EXPECT_EQ(rows[0].Depth, 1);
  EXPECT_EQ(rows[0].Business, -1);
  // A budget for hundreds of rows stops at the list's size.
  def_->Distribution[4] = 0;
  def_->Distribution[1] = 100;
  def_->Looseness = 100;
  EXPECT_EQ(MakeBuildingRequests(kBlock, 7, rows), kRandomBlockRows);
}

TEST_F(RandomBlockTest, RowThatFitsNowhereIsDroppedAndTheNextPlaced) {
  def_->Distribution[4] = 19.05f;  // 28 units: a 3 x 3 x 3 and a 1 x 1 x 1
  CBlock& b = g_Blocks[kBlock];
  FillLotRegion(b.Lots, 0, 0, 6, 6, 1);
  b.Lots[0][0] = 0;
  BuildRandomBlock(kBlock);
  const auto placed = Buildings();
  ASSERT_EQ(placed.size(), 1u);
  EXPECT_EQ(placed[0]->X1, 0);
  EXPECT_EQ(placed[0]->Z1, 0);
  EXPECT_EQ(placed[0]->Floors, 1);
  EXPECT_EQ(placed[0]->ArchitectSeed % 16, 0);
}

TEST_F(RandomBlockTest, SameSeedSameBlock) {
  def_->Distribution[4] = 60;
  def_->Distribution[3] = 0;
  def_->Looseness = 40;
  auto run = [&]() {
    ClearCity();
    BlockGeneratorRandom().SetState(99);
    BuildRandomBlock(kBlock);
    std::vector<std::vector<int32_t>> rows;
    for (const CBuilding* x : Buildings())
      rows.push_back({x->X1, x->Z1, x->X2, x->Z2, x->Floors, x->ArchitectSeed, x->Kind});
    return rows;
  };
  const auto first = run();
  EXPECT_GE(first.size(), 2u);
  EXPECT_EQ(first, run());
}

}  // namespace
