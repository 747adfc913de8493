#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "city/road_topology.h"
#include "city_fixture.h"
#include "session/auction.h"
#include "session/game_events.h"

namespace {

// The prompts the city posted as game events since the last call: their
// body texts.
std::vector<int32_t> PromptBodies() {
  std::vector<int32_t> bodies;
  for (const GameEvent& e : TakeGameEvents()) {
    const PromptEvent* p = std::get_if<PromptEvent>(&e);
    if (p == nullptr) continue;
    EXPECT_EQ(p->portrait, 302);
    EXPECT_EQ(p->line, 1727);
    EXPECT_EQ(p->button, 1435);
    EXPECT_EQ(p->bodyArg, g_BlockDefs[8].NameTextId);
    bodies.push_back(p->body);
  }
  return bodies;
}

class Blocks : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildTestCity();
    ResetAuction();
    AddTestPlayers(3);
    ClearGameEvents();
  }
  void TearDown() override { ResetAuction(); }
};

}  // namespace

TEST(LotGrid, RegionTests) {
  LotGrid grid = {};
  struct Case {
    int x1, z1, x2, z2;
    bool free;
  } cases[] = {
      {3, 3, 3, 3, false},   // the middle lot touches no edge
      {0, 3, 0, 3, true},    // on the west edge
      {3, 6, 3, 6, true},    // on the north edge
      {1, 1, 5, 5, false},   // inner region
      {0, 0, 6, 6, true},    // the whole block
      {5, 0, 7, 1, false},   // runs off the grid
      {-1, 0, 0, 0, false},  // negative corner
      {2, 0, 1, 0, false},   // inverted
      {0, 2, 0, 1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsLotRegionFree(grid, c.x1, c.z1, c.x2, c.z2), c.free)
        << c.x1 << "," << c.z1 << " " << c.x2 << "," << c.z2;
  }
  FillLotRegion(grid, 0, 0, 1, 1, 3);
  EXPECT_FALSE(IsLotRegionFree(grid, 1, 1, 2, 2));
  EXPECT_TRUE(IsLotRegionFree(grid, 2, 0, 2, 0));
  EXPECT_EQ(grid[1][1], 3);
  ClearLots(grid);
  EXPECT_TRUE(IsLotRegionFree(grid, 0, 0, 1, 1));
}

TEST_F(Blocks, LeasePrice) {
  CBlock& b = g_Blocks[0];
  b.Prestige = 0;
  EXPECT_FLOAT_EQ(b.GetLeasePrice(), 400);
  b.Prestige = 1.0f;
  EXPECT_FLOAT_EQ(b.GetLeasePrice(), 550);
}

TEST_F(Blocks, PlaceAndRemoveBuildings) {
  CBlock& b = g_Blocks[8];
  b.Owner = 2;
  LogicTick() = 1234;
  EXPECT_FLOAT_EQ(b.Bounds.Corners[3][1], 10.0f);
  CBuilding* first = AllocBuilding();
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(b.IsLotRegionFreeAt(0, 0, 2, 3));
  ASSERT_TRUE(b.PlaceBuilding(first, 0, 0, 1, 2, 4, 77, kKindRetail, 1, 500.0f));
  EXPECT_EQ(first->Status, kStatusPlaced);
  EXPECT_EQ(first->Owner, 2);
  EXPECT_EQ(first->OwnerChangeTick, 1234);
  EXPECT_EQ(first->Block, &b);
  EXPECT_FLOAT_EQ(first->CentreX, b.CentreX - 35 + 2 * 5);
  EXPECT_FLOAT_EQ(first->CentreZ, b.CentreZ - 35 + 3 * 5);
  EXPECT_EQ(b.Lots[1][2], 4);
  EXPECT_EQ(b.Lots[2][2], 0);
  EXPECT_FALSE(b.IsLotRegionFreeRect(1, 0, 1, 0));
  // The plain box: floors high, and the block's bounds grow to it.
  EXPECT_FLOAT_EQ(first->Visual.Height, 4 * kPlainFloorHeight);
  EXPECT_FLOAT_EQ(b.Bounds.Centre[1], 20.0f);
  EXPECT_FLOAT_EQ(b.Bounds.RadiusSquared, 400.0f + 3362.0f);
  // The door ends up relative to the building.
  ASSERT_EQ(first->Visual.DoorCount, 1);
  EXPECT_FLOAT_EQ(first->Visual.Doors[0].x, 0.0f);
  EXPECT_FLOAT_EQ(first->Visual.Doors[0].z, 0.0f);

  CBuilding* second = AllocBuilding();
  ASSERT_NE(second, first);
  ASSERT_TRUE(b.PlaceBuilding(second, 6, 6, 6, 6, 1, 5, kKindResidential, 0, 100.0f));
  EXPECT_EQ(second->PlaceInBlock, 1);
  EXPECT_EQ(b.BuildingCount, 2);
  EXPECT_EQ(b.FirstBuilding, first);
  EXPECT_EQ(b.LastBuilding, second);
  EXPECT_FALSE(b.IsBuildingComplete(first->Id));
  first->Status = kStatusComplete;
  EXPECT_TRUE(b.IsBuildingComplete(first->Id));
  EXPECT_FALSE(b.IsBuildingComplete(599));

  g_SelectedBuilding = first;
  EXPECT_FALSE(b.RemoveBuilding(599));
  EXPECT_EQ(b.BuildingCount, 2);
  ASSERT_TRUE(b.RemoveBuilding(first->Id));
  EXPECT_EQ(g_SelectedBuilding, nullptr);
  EXPECT_EQ(first->InUse, 0);
  EXPECT_EQ(b.Lots[0][0], 0);
  EXPECT_EQ(b.FirstBuilding, second);
  EXPECT_EQ(second->Prev, nullptr);
  EXPECT_FLOAT_EQ(b.Bounds.Centre[1], 5.0f);  // the one-floor box is 10 high
  ASSERT_TRUE(b.RemoveBuilding(second->Id));
  EXPECT_EQ(b.FirstBuilding, nullptr);
  EXPECT_EQ(b.LastBuilding, nullptr);
  EXPECT_FLOAT_EQ(b.Bounds.Corners[7][1], 10.0f);
  EXPECT_EQ(AllocBuilding(), first);  // the freed record is reused first
}

TEST_F(Blocks, MiddleOfTheListUnlinks) {
  CBlock& b = g_Blocks[9];
  CBuilding* built[3];
  for (int i = 0; i < 3; ++i) {
    built[i] = AllocBuilding();
    ASSERT_TRUE(b.PlaceBuilding(built[i], 0, 2 * i, 0, 2 * i, 1, 0, kKindRetail, 0, 1.0f));
  }
  ASSERT_TRUE(b.RemoveBuilding(built[1]->Id));
  EXPECT_EQ(built[0]->Next, built[2]);
  EXPECT_EQ(built[2]->Prev, built[0]);
  EXPECT_EQ(b.BuildingCount, 2);
}

TEST_F(Blocks, LeaseCountdown) {
  CBlock& b = g_Blocks[8];
  b.Owner = 1;
  b.LeaseHours = 26;
  b.PrepareHours = 26;
  UpdateBlockLeasesHourly();  // 25 left: no prompt yet
  EXPECT_TRUE(PromptBodies().empty());
  UpdateBlockLeasesHourly();  // 24 left
  EXPECT_EQ(PromptBodies(), std::vector<int32_t>{1728});
  EXPECT_EQ(b.PrepareHours, 24);
  b.LeaseHours = 1;
  ASSERT_TRUE(StartAuction(8, 0, 500));
  ClearGameEvents();
  UpdateBlockLeasesHourly();
  EXPECT_EQ(PromptBodies(), std::vector<int32_t>{1729});
  EXPECT_EQ(b.Owner, 0);  // back with the city
  EXPECT_EQ(AuctionBlock(), -1);
  // A block with no lease running, or no owner, does not count down.
  b.Owner = 1;
  b.LeaseHours = 0;
  UpdateBlockLeasesHourly();
  EXPECT_EQ(b.LeaseHours, 0);
  EXPECT_EQ(b.Owner, 1);
}

TEST_F(Blocks, LeaseOfAnotherPlayerEndsWithoutPrompt) {
  CBlock& b = g_Blocks[8];
  b.Owner = 3;
  b.LeaseHours = 1;
  ASSERT_TRUE(StartAuction(12, 0, 500));
  ClearGameEvents();
  UpdateBlockLeasesHourly();
  EXPECT_TRUE(PromptBodies().empty());
  EXPECT_EQ(b.Owner, 0);
  EXPECT_EQ(AuctionBlock(), 12);  // another block's auction goes on
}

TEST_F(Blocks, PrepareRequestPostsMessage23) {
  g_Blocks[12].SendPrepareRequest();
  // Relative: delivered 25 ticks after posting.
  ASSERT_EQ(PostedMessages().size(), 1u);
  EXPECT_EQ(PostedMessages()[0], (std::vector<int32_t>{23, 24, 12}));
  EXPECT_EQ(EventQueue().LogicList()[0].due, 25);
}

TEST_F(Blocks, AdjacentBlockList) {
  BlockStats s;
  s.ClearAdjacentBlocks();
  s.SetAdjacentBlock(52);  // warning, nothing appended
  s.SetAdjacentBlock(-1);
  EXPECT_EQ(s.AdjacentCount, 0);
  for (int i = 0; i < 8; ++i) s.SetAdjacentBlock(i);
  s.SetAdjacentBlock(9);  // a ninth neighbour is refused
  EXPECT_EQ(s.AdjacentCount, 8);
  EXPECT_EQ(s.GetAdjacentBlockSlot(7), 7);
  EXPECT_EQ(s.GetAdjacentBlockSlot(8), -1);
  EXPECT_TRUE(s.IsAdjacentBlock(3));
  EXPECT_FALSE(s.IsAdjacentBlock(9));
}

TEST_F(Blocks, InitBlocksResetsRunState) {
  g_BlockDefs[5].Prestige = 0.75f;
  CBlock& b = g_Blocks[5];
  b.Owner = 2;
  b.Ownable = 1;
  b.LeaseHours = 10;
  b.BuildingRights = kRightsGranted;
  InitBlocks();
  EXPECT_EQ(b.Owner, 0);
  EXPECT_EQ(b.Ownable, 0);
  EXPECT_EQ(b.LeaseHours, 0);
  EXPECT_EQ(b.BuildingRights, kRightsNone);
  EXPECT_FLOAT_EQ(b.Prestige, 0.75f);
  EXPECT_EQ(b.Index, 5);
  b.Prestige = 0;
  CopyBlockPrestige();
  EXPECT_FLOAT_EQ(b.Prestige, 0.75f);
}

TEST_F(Blocks, ClearCityEmptiesEveryBlock) {
  for (int id : {0, 8, 33}) {
    CBlock& b = g_Blocks[id];
    ASSERT_TRUE(b.PlaceBuilding(AllocBuilding(), 0, 0, 0, 0, 2, 0, kKindRetail, 0, 1.0f));
  }
  ClearCity();
  for (const CBlock& b : g_Blocks) {
    EXPECT_EQ(b.BuildingCount, 0);
    EXPECT_EQ(b.FirstBuilding, nullptr);
  }
  for (const CBuilding& bld : g_Buildings) EXPECT_EQ(bld.InUse, 0);
  EXPECT_EQ(g_Blocks[8].Lots[0][0], 0);
}

TEST_F(Blocks, StatsRowsResetAndRefresh) {
  ResetBlockStats(false);
  EXPECT_EQ(g_BlockStats[4].Owner, kStatsNoOwner);
  EXPECT_EQ(g_BlockStats[4].District, 255);
  g_Blocks[4].Owner = 3;
  g_BlockStats[4].BlockId = 4;
  g_BlockStats[4].Refresh();
  EXPECT_EQ(g_BlockStats[4].Owner, 3);
  EXPECT_FLOAT_EQ(g_BlockStats[4].LeasePrice, 400);
}

TEST(Districts, KeysAndColours) {
  InitBlockDefs();
  InitDistricts();
  EXPECT_EQ(FindDistrictByKey("district_docks"), 9);
  EXPECT_EQ(FindDistrictByKey("DISTRICT_NOWHERE"), -1);
  EXPECT_EQ(FindBlockByKey("central_park"), 51);  // keys repeat: the last match wins
  EXPECT_EQ(FindBlockByKey("CITY_HALL"), 46);
  EXPECT_EQ(g_Districts[2].ColourWord(), 0xFF0606E0u);
  EXPECT_EQ(g_Districts[5].NameTextId, 2433);
  EXPECT_EQ(g_Districts[10].Blocks[3], 44);
  EXPECT_EQ(g_Districts[7].Blocks[2], -1);
  for (const CDistrict& d : g_Districts) EXPECT_EQ(d.TextColour[0], 255);
  // Every block a district lists belongs to it.
  for (int i = 0; i < kDistrictCount; ++i) {
    for (int32_t b : g_Districts[i].Blocks) {
      if (b >= 0) {
        EXPECT_EQ(g_BlockDefs[b].District, i);
      }
    }
  }
}
