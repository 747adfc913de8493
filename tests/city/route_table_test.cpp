#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "city/lane_network.h"
#include "city/road_topology.h"
#include "city/route_table_builder.h"
#include "city_fixture.h"

namespace {

class RouteTable : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    BuildTestCity();
    image_ = BuildRouteTableImage();
  }
  void SetUp() override {
    BuildTestCity();
    SetRouteTableImage(image_);
  }
  void TearDown() override { ResetRouteTable(); }

  // A table with one byte set, for the lookup rules.
  static void SetSingleByte(uint8_t byte) {
    std::vector<uint8_t> table(kRouteTableSize, 0);
    table[RouteTableOffset(5, DirectionIndex(kNorth), 9, DirectionIndex(kEast))] = byte;
    SetRouteTableImage(table);
  }
  static uint8_t Rating(int exitIndex, int rating) { return static_cast<uint8_t>(rating << (exitIndex * 2)); }

  static int JunctionBehind(const Lane& lane) {
    int side = DirectionIndex(OppositeDirection(lane.Direction));
    return g_RoadNodes.Nodes[lane.Node].Neighbour[side];
  }

  static inline std::vector<uint8_t> image_;
};

int32_t ExitLaneForTurn(const LaneWaypoint& w, int32_t turn) {
  if (turn == kTurnStraight) return w.StraightLane;
  if (turn == kTurnLeft) return w.LeftLane;
  if (turn == kTurnRight) return w.RightLane;
  return -1;
}

}  // namespace

TEST_F(RouteTable, TableIsFullSizeAndHasRoutes) {
  ASSERT_EQ(image_.size(), kRouteTableSize);
  int used = 0;
  for (uint8_t b : image_) used += b != 0;
  EXPECT_GT(used, 1000);
}

// Drive every pair (starting lane, destination depot) by the table alone, as
// the traffic does: ask at each straight lane, take the turn, until the
// arrival test says the junction ahead is the depot's, then turn into it.
TEST_F(RouteTable, EveryDepotIsReachableFromEveryLane) {
  ASSERT_GT(g_Lanes.DepotCount, 0);
  int checked = 0;
  for (int32_t start = 0; start < g_Lanes.LaneCount; ++start) {
    if (g_Lanes.Lanes[start].Kind != kLaneRoad) continue;
    for (int32_t d = 0; d < g_Lanes.DepotCount; ++d) {
      const TrafficDepot& depot = g_Lanes.Depots[d];
      int32_t lane = start;
      bool arrived = false;
      for (int step = 0; step < 200 && !arrived; ++step) {
        const Lane& l = g_Lanes.Lanes[lane];
        int32_t turn = 0;
        bool last = GetNextTurn(turn, JunctionBehind(l), l.Direction, depot.WestJunction, kEast, 1);
        int32_t through = ExitLaneForTurn(g_Lanes.Waypoints[l.End], turn);
        ASSERT_GE(through, 0) << "no exit: lane " << lane << " depot " << d << " turn " << turn;
        int32_t next = g_Lanes.Waypoints[g_Lanes.Lanes[through].End].StraightLane;
        ASSERT_GE(next, 0);
        if (last) {
          ASSERT_EQ(next, depot.RoadLane) << "arrival at the wrong lane, depot " << d;
          int32_t entry = g_Lanes.Waypoints[g_Lanes.Lanes[next].Start].RightLane;
          ASSERT_GE(entry, 0);
          EXPECT_EQ(g_Lanes.Lanes[entry].Kind, kLaneDepotEntryTurn);
          arrived = true;
        }
        lane = next;
      }
      ASSERT_TRUE(arrived) << "lane " << start << " never reaches depot " << d;
      ++checked;
    }
  }
  EXPECT_GT(checked, 1000);
}

TEST_F(RouteTable, ExitRulesAmongEqualRatings) {
  // Several exits rated 3: west beats east beats south beats north.
  SetSingleByte(Rating(0, 3) | Rating(1, 3) | Rating(2, 3) | Rating(3, 3));
  EXPECT_EQ(GetRouteExit(5, kNorth, 9, kEast, 1), kWest);
  SetSingleByte(Rating(0, 3) | Rating(1, 3) | Rating(2, 3));
  EXPECT_EQ(GetRouteExit(5, kNorth, 9, kEast, 1), kEast);
  SetSingleByte(Rating(0, 3) | Rating(1, 3));
  EXPECT_EQ(GetRouteExit(5, kNorth, 9, kEast, 1), kSouth);
  // Mode 1 takes only a 3, even with 2s and 1s about.
  SetSingleByte(Rating(0, 2) | Rating(2, 1));
  EXPECT_EQ(GetRouteExit(5, kNorth, 9, kEast, 1), 0);
  // Other modes: the 2, else the 1.
  EXPECT_EQ(GetRouteExit(5, kNorth, 9, kEast, 0), kNorth);
  SetSingleByte(Rating(1, 1) | Rating(3, 3));
  EXPECT_EQ(GetRouteExit(5, kNorth, 9, kEast, 0), kSouth);
  // Codes that are not directions have no index.
  EXPECT_EQ(GetRouteExit(5, 3, 9, kEast, 1), 0);
  EXPECT_EQ(GetRouteExit(70, kNorth, 9, kEast, 1), 0);
}

TEST_F(RouteTable, TurnCodes) {
  EXPECT_EQ(GetTurnCode(kNorth, kNorth), kTurnStraight);
  EXPECT_EQ(GetTurnCode(kNorth, kWest), kTurnLeft);
  EXPECT_EQ(GetTurnCode(kNorth, kEast), kTurnRight);
  EXPECT_EQ(GetTurnCode(kEast, kNorth), kTurnLeft);
  EXPECT_EQ(GetTurnCode(kSouth, kWest), kTurnRight);
  EXPECT_EQ(GetTurnCode(kWest, kSouth), kTurnLeft);
  EXPECT_EQ(GetTurnCode(kNorth, kSouth), kTurnNone);
  EXPECT_EQ(GetTurnCode(kNorth, 0), kTurnNone);
}

TEST_F(RouteTable, ArrivalTest) {
  // A junction with a road and a junction to its east, and the same to its west.
  for (int j = g_RoadNodes.FirstJunction; j < g_RoadNodes.NodeCount; ++j) {
    const RoadNode& n = g_RoadNodes.Nodes[j];
    int32_t turn = 0;
    for (int32_t heading : {kNorth, kEast, kSouth, kWest}) {
      int side = DirectionIndex(heading);
      if (n.Neighbour[side] == kNoNode) continue;
      int ahead = g_RoadNodes.Nodes[n.Neighbour[side]].Neighbour[side];
      if (ahead == kNoNode) continue;
      EXPECT_EQ(GetNextTurn(turn, j, heading, ahead, kEast, 1), heading != kWest);
      EXPECT_FALSE(GetNextTurn(turn, j, heading, j, kEast, 1));
    }
    // Not a direction: arrival only at the node itself.
    EXPECT_TRUE(GetNextTurn(turn, j, 3, j, kEast, 1));
    EXPECT_FALSE(GetNextTurn(turn, j, 3, j + 1, kEast, 1));
  }
}

TEST_F(RouteTable, NextJunctionFrom) {
  const int first = g_RoadNodes.FirstJunction;
  for (int i = 0; i < first; ++i) {
    const RoadNode& road = g_RoadNodes.Nodes[i];
    for (int side = 0; side < 4; ++side) {
      const RoadNode* j = NextJunctionFrom(i, DirectionFromIndex(side));
      if (road.Neighbour[side] == kNoNode) {
        EXPECT_EQ(j, nullptr);
      } else {
        ASSERT_NE(j, nullptr);
        EXPECT_TRUE(j->IsJunction());
        EXPECT_EQ(j->Index, road.Neighbour[side]);
      }
    }
  }
  EXPECT_EQ(NextJunctionFrom(kNoNode, kNorth), nullptr);
  EXPECT_EQ(NextJunctionFrom(0, 3), nullptr);
}

TEST_F(RouteTable, FindNodeCovering) {
  const RoadNode& n = g_RoadNodes.Nodes[10];
  EXPECT_EQ(FindNodeCovering(n.Column, n.Row, n.Column + n.Width - 1, n.Row + n.Height - 1), 10);
  EXPECT_EQ(FindNodeCovering(0, 0, 0, 0), -1);
}

TEST_F(RouteTable, RouteListEndsWithTheEndMarker) {
  const TrafficDepot& depot = g_Lanes.Depots[0];
  const int first = g_RoadNodes.FirstJunction;
  int32_t out[64];
  int n = BuildRouteList(depot.EastJunction - first, kEast, depot.WestJunction - first, kEast, out);
  ASSERT_GE(n, 4);
  EXPECT_EQ(out[n - 2], kTurnStraight);
  EXPECT_EQ(out[n - 1], kMoveEndOfRoute);
  for (int i = 0; i + 2 < n; i += 2) {
    EXPECT_EQ(out[i], kTurnStraight);
    EXPECT_GE(DirectionIndex(out[i + 1]), 0);
  }
}

TEST(RouteTableFile, MissingFileLeavesEveryRouteEmpty) {
  ResetRouteTable();
  EXPECT_FALSE(LoadRouteTable());
  EXPECT_FALSE(LoadRouteTable());  // not retried, same answer
  EXPECT_EQ(GetRouteExit(0, kNorth, 1, kEast, 1), 0);
  EXPECT_EQ(GetRouteRating(0, 0, 1, 2, 3), 0);
  ResetRouteTable();
}

#ifdef RC_GAME_ROOT
#include "platform/paths.h"
// The data build writes the same table the builder computes.
TEST_F(RouteTable, ShippedFileMatchesTheMap) {
  std::string path = std::string(RC_GAME_ROOT) + "/gamedata/route_smalltable.bin";
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) GTEST_SKIP() << "route table not built";
  std::vector<uint8_t> file(kRouteTableSize + 1);
  size_t got = std::fread(file.data(), 1, file.size(), f);
  std::fclose(f);
  ASSERT_EQ(got, kRouteTableSize);
  file.resize(got);
  EXPECT_EQ(file, image_);
  platform::SetGameRoot(RC_GAME_ROOT);
  ResetRouteTable();
  EXPECT_TRUE(LoadRouteTable());
  platform::SetGameRoot("");
  ResetRouteTable();
}
#endif
