#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "city/lane_network.h"
#include "city/road_topology.h"
#include "city_fixture.h"
#include "engine/core/random_stream.h"

namespace {

class CityMap : public ::testing::Test {
 protected:
  void SetUp() override { BuildTestCity(); }
};

int CountBits(uint32_t v) { return std::popcount(v); }

}  // namespace

TEST_F(CityMap, NodeCounts) {
  EXPECT_EQ(g_RoadNodes.NodeCount, 152);
  EXPECT_EQ(g_RoadNodes.FirstJunction, 89);
  EXPECT_EQ(g_RoadNodes.JunctionCount, 63);
  int eastWest = 0, northSouth = 0;
  for (int i = 0; i < g_RoadNodes.NodeCount; ++i) {
    const RoadNode& n = g_RoadNodes.Nodes[i];
    EXPECT_EQ(n.Index, i);
    EXPECT_NE(n.Links, 0) << "node " << i << " is not linked";
    if (i < 89) {
      EXPECT_FALSE(n.IsJunction());
      eastWest += n.Kind == kRoadEastWest;
      northSouth += n.Kind == kRoadNorthSouth;
    } else {
      EXPECT_EQ(n.Kind, kJunction4x3);
      EXPECT_FLOAT_EQ(n.SizeX, 25);
      EXPECT_FLOAT_EQ(n.SizeZ, 25);
    }
    // Links are mutual.
    for (int side = 0; side < 4; ++side) {
      if (n.Neighbour[side] == kNoNode) continue;
      static constexpr int kBack[4] = {kSideSouth, kSideNorth, kSideWest, kSideEast};
      EXPECT_EQ(g_RoadNodes.Nodes[n.Neighbour[side]].Neighbour[kBack[side]], i);
    }
  }
  EXPECT_EQ(eastWest + northSouth, 89);
  // The first segment sits at the map's top-left, then the whole city moves.
  const RoadNode& first = g_RoadNodes.Nodes[0];
  EXPECT_EQ(first.Kind, kRoadEastWest);
  EXPECT_FLOAT_EQ(first.CentreX, 41 - 278 - 191);
  EXPECT_FLOAT_EQ(first.CentreZ, 330 - 12.5f + 110.5f);
  EXPECT_FLOAT_EQ(first.Angle, 90);
}

TEST_F(CityMap, HiddenNodes) {
  int hidden = 0;
  for (int i = 0; i < g_RoadNodes.NodeCount; ++i) hidden += g_RoadNodes.Nodes[i].Marks & 1;
  EXPECT_GT(hidden, 0);
  // The junction squares marked `+H +` on the map.
  int hiddenJunctions = 0;
  for (int i = 89; i < g_RoadNodes.NodeCount; ++i) hiddenJunctions += g_RoadNodes.Nodes[i].Marks & 1;
  EXPECT_EQ(hiddenJunctions, 8);
}

TEST_F(CityMap, BlocksPlaced) {
  int used = 0;
  for (const CBlock& b : g_Blocks) {
    if (b.Index == 40 || b.Index == 45) {
      EXPECT_EQ(b.InUse, 0);
      EXPECT_EQ(b.MapMarks, kMarkHidden);
      continue;
    }
    ++used;
    EXPECT_EQ(b.InUse, 1) << b.Index;
    EXPECT_EQ(b.DefIndex, b.Index);
    EXPECT_FLOAT_EQ(b.SizeX, 82);
    EXPECT_FLOAT_EQ(b.SizeZ, 82);
    EXPECT_FLOAT_EQ(b.MinX, b.CentreX - 41);
    EXPECT_FLOAT_EQ(b.MinZ, b.CentreZ - 41);
    EXPECT_EQ(b.DistrictColour, g_Districts[g_BlockDefs[b.Index].District].ColourWord());
  }
  EXPECT_EQ(used, 50);
  EXPECT_FLOAT_EQ(g_Blocks[0].CentreX, -428);
  EXPECT_FLOAT_EQ(g_Blocks[1].CentreX - g_Blocks[0].CentreX, 107);  // 82 + a 25-wide road
  EXPECT_FLOAT_EQ(g_Blocks[0].CentreZ - g_Blocks[6].CentreZ, 107);
  for (int id : {14, 19, 46, 47, 48, 49, 50, 51}) {
    EXPECT_EQ(g_Blocks[id].MapMarks, kMarkHidden) << id;
    EXPECT_EQ(g_Blocks[id].Access, 0) << id;
  }
  EXPECT_EQ(g_Blocks[4].MapMarks, kMarkI);
  EXPECT_EQ(g_Blocks[0].MapMarks, 0);
  EXPECT_EQ(g_Blocks[0].Access, kAccessNorth | kAccessEast | kAccessSouth | kAccessWest);
  EXPECT_EQ(g_Blocks[44].Access, kAccessNorth | kAccessWest);
  EXPECT_EQ(g_Blocks[5].Access, kAccessNorth | kAccessSouth | kAccessWest);
}

TEST_F(CityMap, BlockSideNodesAndLanes) {
  // Block 0: the road above it, below it, and the two beside it.
  const CBlock& b = g_Blocks[0];
  const RoadNode& north = g_RoadNodes.Nodes[b.SideNode[kSideNorth]];
  EXPECT_EQ(north.Kind, kRoadEastWest);
  EXPECT_FLOAT_EQ(north.CentreX, b.CentreX);
  EXPECT_FLOAT_EQ(north.CentreZ, b.CentreZ + 41 + 12.5f);
  EXPECT_EQ(north.SideBlock[kSideSouth], 0);
  const RoadNode& west = g_RoadNodes.Nodes[b.SideNode[kSideWest]];
  EXPECT_EQ(west.Kind, kRoadNorthSouth);
  EXPECT_EQ(west.SideBlock[kSideEast], 0);
  // The lanes along the block: eastbound to the north, westbound to the south,
  // southbound to the east, northbound to the west.
  static constexpr int32_t kAlong[4] = {kEast, kWest, kSouth, kNorth};
  for (int side = 0; side < 4; ++side) {
    ASSERT_GE(b.SideLane[side], 0);
    const Lane& lane = g_Lanes.Lanes[b.SideLane[side]];
    EXPECT_EQ(lane.Direction, kAlong[side]);
    EXPECT_EQ(lane.Node, b.SideNode[side]);
  }
  // Blocks with no roads round them have none.
  for (int side = 0; side < 4; ++side) {
    EXPECT_EQ(g_Blocks[14].SideNode[side], kNoNode);
    EXPECT_EQ(g_Blocks[14].SideLane[side], -1);
  }
}

TEST_F(CityMap, StreetLights) {
  int expected = 0;
  for (const CBlock& b : g_Blocks) {
    if (b.InUse) expected += 2 * CountBits(static_cast<uint32_t>(b.Access));
  }
  ASSERT_EQ(g_StreetLights.Count, expected);
  // Lights come block by block; block 0 has all four sides, in slot order.
  const StreetLight& l0 = g_StreetLights.Lights[0];
  EXPECT_FLOAT_EQ(l0.LampX, g_Blocks[0].CentreX - 16);
  EXPECT_FLOAT_EQ(l0.LampZ, g_Blocks[0].CentreZ + 38);
  EXPECT_FLOAT_EQ(l0.BaseZ, g_Blocks[0].CentreZ + 41);
  EXPECT_FLOAT_EQ(l0.LampY, 17);
  EXPECT_FLOAT_EQ(l0.BaseY, 0);
  EXPECT_FLOAT_EQ(l0.LightSize, 8.5f);
  EXPECT_FLOAT_EQ(l0.Angle, 270);
  EXPECT_EQ(l0.Tags[0], 255);
  EXPECT_EQ(l0.On, 0);
  EXPECT_FLOAT_EQ(g_StreetLights.Lights[7].LampX, g_Blocks[0].CentreX - 38);
  EXPECT_FLOAT_EQ(g_StreetLights.Lights[7].Angle, 0);
  // The delays come from a stream seeded with a fixed value.
  uint32_t state = 23423423;
  for (int i = 0; i < 4; ++i) {
    state = state * 214013u + 2531011u;
    EXPECT_EQ(g_StreetLights.Lights[i].Delay, static_cast<int32_t>(((state >> 16) & 0x7FFF) % 257));
  }
  for (int i = 0; i < g_StreetLights.Count; ++i) {
    EXPECT_GE(g_StreetLights.Lights[i].Delay, 0);
    EXPECT_LE(g_StreetLights.Lights[i].Delay, 256);
  }
  // Block 44 has access north and west only: its lights stand on those sides.
  int forBlock44 = 0;
  for (int i = 0; i < g_StreetLights.Count; ++i) {
    const StreetLight& l = g_StreetLights.Lights[i];
    float dx = l.LampX - g_Blocks[44].CentreX, dz = l.LampZ - g_Blocks[44].CentreZ;
    if (std::fabs(dx) > 41 || std::fabs(dz) > 41) continue;
    ++forBlock44;
    EXPECT_TRUE(dz == 38 || dx == -38) << dx << "," << dz;
  }
  EXPECT_EQ(forBlock44, 4);
  // A rebuild makes the same lights.
  std::vector<int32_t> delays;
  for (int i = 0; i < g_StreetLights.Count; ++i) delays.push_back(g_StreetLights.Lights[i].Delay);
  ASSERT_TRUE(BuildCityFromMap());
  for (int i = 0; i < g_StreetLights.Count; ++i) EXPECT_EQ(g_StreetLights.Lights[i].Delay, delays[i]);
}

TEST_F(CityMap, StraightLanes) {
  int straight = 0;
  for (int32_t i = 0; i < g_Lanes.LaneCount; ++i) {
    const Lane& l = g_Lanes.Lanes[i];
    if (l.Kind != kLaneRoad) continue;
    ++straight;
    EXPECT_EQ(l.Role, kRoleRoad);
    EXPECT_EQ(l.Shape, kShapeStraight);
    EXPECT_FLOAT_EQ(l.Length, 70);
    EXPECT_FLOAT_EQ(l.FreeLength, 70);
    EXPECT_FLOAT_EQ(l.QueueMark, 52.5f);
    EXPECT_FLOAT_EQ(l.InverseLength, 1.0f / 70);
    EXPECT_GE(l.Junction, 0);
    const LaneWaypoint& s = g_Lanes.Waypoints[l.Start];
    EXPECT_EQ(s.StraightLane, i);
  }
  EXPECT_EQ(straight, 2 * 89);
  // A road's two lanes: 6 apart, opposite ways, 70 long on an 82-long road.
  const Lane& east = g_Lanes.Lanes[0];
  const Lane& west = g_Lanes.Lanes[1];
  const RoadNode& road = g_RoadNodes.Nodes[0];
  EXPECT_EQ(east.Direction, kEast);
  EXPECT_EQ(west.Direction, kWest);
  const LaneWaypoint& es = g_Lanes.Waypoints[east.Start];
  const LaneWaypoint& ws = g_Lanes.Waypoints[west.Start];
  EXPECT_FLOAT_EQ(es.Z, road.CentreZ - 3);
  EXPECT_FLOAT_EQ(ws.Z, road.CentreZ + 3);
  EXPECT_FLOAT_EQ(es.X, road.CentreX - 35);
  EXPECT_FLOAT_EQ(ws.X, road.CentreX + 35);
}

TEST_F(CityMap, TurningLanes) {
  for (int32_t i = 0; i < g_Lanes.LaneCount; ++i) {
    const Lane& in = g_Lanes.Lanes[i];
    if (in.Kind != kLaneRoad) continue;
    const LaneWaypoint& end = g_Lanes.Waypoints[in.End];
    const RoadNode& j = g_RoadNodes.Nodes[g_RoadNodes.Nodes[in.Node].Neighbour[DirectionIndex(in.Direction)]];
    // One exit per linked side except straight back.
    int expected = CountBits(j.Links & ~static_cast<uint32_t>(OppositeDirection(in.Direction)));
    EXPECT_EQ(end.ExitCount, expected) << "lane " << i;
    struct Exit {
      int32_t lane, turn;
    } exits[3] = {{end.StraightLane, kTurnStraight}, {end.LeftLane, kTurnLeft}, {end.RightLane, kTurnRight}};
    for (const Exit& e : exits) {
      if (e.lane < 0) continue;
      const Lane& t = g_Lanes.Lanes[e.lane];
      EXPECT_EQ(t.Kind, kLaneTurning);
      EXPECT_EQ(t.Role, kRoleTurning);
      EXPECT_EQ(t.Start, in.End);
      const Lane& out = g_Lanes.Lanes[g_Lanes.Waypoints[t.End].StraightLane];
      EXPECT_EQ(GetTurnCode(in.Direction, out.Direction), e.turn);
      EXPECT_EQ(t.Direction, in.Direction | out.Direction);
      EXPECT_EQ(std::bit_cast<uint32_t>(t.Length) & 0xFF, 0u);
      EXPECT_GT(t.Length, 0);
    }
  }
}

TEST_F(CityMap, TrafficLightPosts) {
  // Every drawn junction of three or four roads has a post on each road; the
  // hidden ones (two south of the Museum have three roads) have none.
  int expected = 0, hiddenCrossings = 0;
  for (int i = 89; i < g_RoadNodes.NodeCount; ++i) {
    int links = CountBits(g_RoadNodes.Nodes[i].Links);
    if (links < 3) continue;
    if (g_RoadNodes.Nodes[i].Marks & 1) ++hiddenCrossings;
    else expected += links;
  }
  EXPECT_GT(hiddenCrossings, 0);
  ASSERT_EQ(g_Lanes.PostCount, expected);
  for (int p = 0; p < g_Lanes.PostCount; ++p)
    EXPECT_EQ(g_RoadNodes.Nodes[89 + g_Lanes.Posts[p].Junction].Marks & 1, 0) << "post " << p;
  // A bend (two linked sides) has no lights.
  bool sawBend = false;
  for (int i = 89; i < g_RoadNodes.NodeCount; ++i) {
    if (CountBits(g_RoadNodes.Nodes[i].Links) != 2) continue;
    sawBend = true;
    for (int p = 0; p < g_Lanes.PostCount; ++p) EXPECT_NE(g_Lanes.Posts[p].Junction, i - 89);
  }
  EXPECT_TRUE(sawBend);
  const TrafficLightPost& p = g_Lanes.Posts[0];
  const RoadNode& j = g_RoadNodes.Nodes[89 + p.Junction];
  if (p.Approach == 1) {
    EXPECT_FLOAT_EQ(p.X, j.CentreX - 12);
    EXPECT_FLOAT_EQ(p.Z, j.CentreZ + 12);
    EXPECT_FLOAT_EQ(p.Angle, 0);
    EXPECT_FLOAT_EQ(p.Glow[0].x, p.X + 15.92f);
    EXPECT_FLOAT_EQ(p.Glow[0].z, p.Z - 1);
  }
  EXPECT_FLOAT_EQ(p.Glow[0].y, 12.85f);
  EXPECT_FLOAT_EQ(p.Glow[2].y, 12.85f - 1.95f);
  EXPECT_FLOAT_EQ(p.Glow[1].y, 5.135f);
  for (int32_t s = 0; s < g_Lanes.JunctionStateCount; ++s) EXPECT_EQ(g_Lanes.Junctions[s].SignalA, 5);
}

TEST_F(CityMap, Depots) {
  int expected = 0;
  for (int i = 0; i < 89; ++i) {
    const RoadNode& n = g_RoadNodes.Nodes[i];
    uint8_t south = n.SideBlock[kSideSouth];
    if (n.Kind == kRoadEastWest && south != kNoBlock && g_Blocks[south].InUse) ++expected;
  }
  ASSERT_EQ(g_Lanes.DepotCount, expected);
  std::set<int32_t> blocks;
  for (int32_t d = 0; d < g_Lanes.DepotCount; ++d) {
    const TrafficDepot& depot = g_Lanes.Depots[d];
    EXPECT_TRUE(blocks.insert(depot.Block).second) << "two depots for block " << depot.Block;
    EXPECT_EQ(depot.Fixed, 100);
    const Lane& road = g_Lanes.Lanes[depot.RoadLane];
    EXPECT_EQ(road.Direction, kEast);
    EXPECT_EQ(g_Blocks[depot.Block].SideLane[kSideNorth], depot.RoadLane);
    EXPECT_EQ(depot.WestJunction, g_RoadNodes.Nodes[road.Node].Neighbour[kSideWest]);
    EXPECT_EQ(depot.EastJunction, g_RoadNodes.Nodes[road.Node].Neighbour[kSideEast]);
    const Lane& exit = g_Lanes.Lanes[depot.ExitLane];
    const Lane& entry = g_Lanes.Lanes[depot.EntryLane];
    EXPECT_EQ(exit.Kind, kLaneDepotExit);
    EXPECT_EQ(entry.Kind, kLaneDepotEntry);
    const LaneWaypoint& e2 = g_Lanes.Waypoints[exit.Start];
    const LaneWaypoint& e1 = g_Lanes.Waypoints[exit.End];
    const LaneWaypoint& roadEnd = g_Lanes.Waypoints[road.End];
    EXPECT_FLOAT_EQ(e1.X, roadEnd.X - 23);
    EXPECT_FLOAT_EQ(e1.Z, roadEnd.Z - 7);
    EXPECT_FLOAT_EQ(e2.X, e1.X - 30);
    EXPECT_FLOAT_EQ(e2.Y, -20);
    const Lane& join = g_Lanes.Lanes[e1.StraightLane];
    EXPECT_EQ(join.Kind, kLaneDepotJoin);
    EXPECT_EQ(join.Role, kRoleDepotJoin);
    EXPECT_EQ(join.End, road.End);
    EXPECT_EQ(join.Junction, road.Junction);
    const Lane& turnIn = g_Lanes.Lanes[g_Lanes.Waypoints[road.Start].RightLane];
    EXPECT_EQ(turnIn.Kind, kLaneDepotEntryTurn);
    EXPECT_EQ(turnIn.End, entry.Start);
    EXPECT_EQ(entry.Junction, -1);
    EXPECT_EQ(exit.Role, 0);
  }
}

TEST_F(CityMap, TablesFit) {
  EXPECT_LE(g_Lanes.LaneCount, kMaxLanes);
  EXPECT_LE(g_Lanes.WaypointCount, kMaxWaypoints);
  EXPECT_EQ(g_Lanes.JunctionStateCount, 63);
}

TEST_F(CityMap, OverfullMapIsReportedNotOverrun) {
  // More junctions than the route table holds.
  std::vector<std::string> rows(kCityMapRows, "");
  for (int r = 1; r < 68; r += 4) {
    std::string line = " ";
    for (int c = 0; c < 20; ++c) line += "++++ ";
    rows[r] = rows[r + 1] = rows[r + 2] = line;
  }
  std::vector<std::string_view> views(rows.begin(), rows.end());
  EXPECT_FALSE(BuildCityFromMapRows(views));
  EXPECT_EQ(g_RoadNodes.NodeCount, 0);
  EXPECT_EQ(g_Lanes.LaneCount, 0);
  for (const CBlock& b : g_Blocks) EXPECT_EQ(b.InUse, 0);
  // The real map builds again afterwards.
  EXPECT_TRUE(BuildCityFromMap());
  EXPECT_EQ(g_RoadNodes.NodeCount, 152);
}

TEST_F(CityMap, RepeatedBlockIdIsRefused) {
  std::vector<std::string_view> rows(kCityMap.begin(), kCityMap.end());
  std::string copy(rows[5]);
  copy.replace(copy.find("01"), 2, "00");
  rows[5] = copy;
  EXPECT_FALSE(BuildCityFromMapRows(rows));
  EXPECT_TRUE(BuildCityFromMap());
}

// ---- Block adjacency and connectivity --------------------------------------------

TEST_F(CityMap, AdjacencyAndConnectivity) {
  ResetBlockStats(false);
  ComputeBlockAdjacency();
  const BlockStats& s8 = g_BlockStats[8];
  EXPECT_EQ(s8.BlockId, 8);
  EXPECT_EQ(s8.District, 2);
  EXPECT_TRUE(s8.IsAdjacentBlock(7));
  EXPECT_TRUE(s8.IsAdjacentBlock(9));
  EXPECT_TRUE(s8.IsAdjacentBlock(2));
  EXPECT_TRUE(s8.IsAdjacentBlock(13));
  EXPECT_FALSE(s8.IsAdjacentBlock(8));
  EXPECT_FALSE(s8.IsAdjacentBlock(0));
  for (const BlockStats& s : g_BlockStats) EXPECT_LE(s.AdjacentCount, kMaxAdjacentBlocks);
  EXPECT_EQ(g_BlockStats[40].AdjacentCount, 0);

  EXPECT_TRUE(IsBlockConnected(0, 1));
  EXPECT_TRUE(IsBlockConnected(1, 0));
  EXPECT_TRUE(IsBlockConnected(0, 6));
  EXPECT_FALSE(IsBlockConnected(0, 2));
  EXPECT_FALSE(IsBlockConnected(0, 7));  // diagonal
  EXPECT_FALSE(IsBlockConnected(0, 0));
  EXPECT_TRUE(IsBlockConnected(30, 36));  // not one road apart, linked anyway
  EXPECT_TRUE(IsBlockConnected(36, 30));
  EXPECT_FALSE(IsBlockConnected(40, 45));  // not on the map
  EXPECT_FALSE(IsBlockConnected(0, 52));
  // The links with no drawn street between (the ferry, the museum and the
  // strand across the grass, the docks, the blocks of the park and the city
  // hall): the city lays a footpath there, and nowhere else.
  const std::set<std::pair<int32_t, int32_t>> paths = {
      {14, 18}, {14, 19}, {14, 46}, {14, 49}, {17, 41}, {19, 47}, {28, 29}, {30, 36}, {32, 34}, {34, 39},
      {37, 38}, {38, 39}, {42, 43}, {46, 47}, {46, 48}, {46, 50}, {48, 51}, {49, 50}, {50, 51}};
  for (int32_t i = 0; i < kBlockCount; ++i)
    for (int32_t j = 0; j < kBlockCount; ++j)
      EXPECT_EQ(IsFootpathLink(i, j), paths.count({std::min(i, j), std::max(i, j)}) == 1) << i << " " << j;
}

TEST_F(CityMap, BlockPaths) {
  SetBlockPathDepthLimit(10);
  EXPECT_TRUE(FindBlockPaths(8, 8));
  EXPECT_EQ(g_BlockPaths.PathCount, 0);

  EXPECT_FALSE(FindBlockPaths(0, 2));
  ASSERT_GT(g_BlockPaths.PathCount, 0);
  const BlockPathRecord& best = g_BlockPaths.Records[g_BlockPaths.PathCount - 1];
  EXPECT_EQ(best.Length, 1);
  EXPECT_EQ(best.Blocks[0], 0);
  EXPECT_EQ(best.Blocks[1], 1);
  EXPECT_EQ(best.Blocks[2], 2);
  for (int i = 1; i < g_BlockPaths.PathCount; ++i)
    EXPECT_LT(g_BlockPaths.Records[i].Length, g_BlockPaths.Records[i - 1].Length);
  for (int i = 0; i < g_BlockPaths.PathCount; ++i) {
    const BlockPathRecord& r = g_BlockPaths.Records[i];
    for (int k = 0; k + 1 < r.Length + 2; ++k) EXPECT_TRUE(IsBlockConnected(r.Blocks[k], r.Blocks[k + 1]));
  }

  SetBlockPathDepthLimit(1);
  EXPECT_FALSE(FindBlockPaths(0, 1));
  EXPECT_EQ(g_BlockPaths.PathCount, 0);
  SetBlockPathDepthLimit(2);
  EXPECT_FALSE(FindBlockPaths(0, 1));
  EXPECT_EQ(g_BlockPaths.PathCount, 1);
  EXPECT_EQ(g_BlockPaths.Records[0].Length, 0);
  EXPECT_FALSE(FindBlockPaths(0, 2));
  EXPECT_EQ(g_BlockPaths.PathCount, 0);

  // A limit from a script beyond the path buffer is held to it.
  SetBlockPathDepthLimit(100000);
  EXPECT_FALSE(FindBlockPaths(0, 39));
  EXPECT_LE(g_BlockPaths.DepthLimit, kBlockPathMaxLength);
  EXPECT_GT(g_BlockPaths.PathCount, 0);
  EXPECT_FALSE(FindBlockPaths(-1, 3));
  EXPECT_FALSE(FindBlockPaths(3, 52));
  SetBlockPathDepthLimit(kBlockPathMaxLength);
}

// The path search as plainly stated: every simple path within the limit, in
// block order, recording each that arrives, the limit lowered to its length.
struct PlainBlockSearch {
  std::vector<std::vector<uint8_t>> records;
  uint8_t path[kBlockPathMaxLength] = {};
  int limit = 0;
  bool Search(int block, int goal, int depth) {
    if (depth >= limit) return false;
    path[depth] = static_cast<uint8_t>(block);
    if (block == goal) return true;
    for (int i = 0; i < kBlockCount; ++i) {
      if (!IsBlockConnected(block, i) || std::find(path, path + depth, i) != path + depth) continue;
      if (Search(i, goal, depth + 1)) {
        records.emplace_back(path, path + depth + 2);
        limit = std::min(limit, depth);
      }
    }
    return false;
  }
};

// The search leaves out only branches that cannot arrive within the limit:
// every pair of blocks gets the records of the plain search. A limit as long
// as the path buffer (a script's People.subwaythreshold = 64) stays cheap.
TEST_F(CityMap, BlockPathSearchKeepsItsResultsAndItsCostIsBounded) {
  for (int limit : {2, 4, 6, 7}) {
    SetBlockPathDepthLimit(limit);
    for (int from = 0; from < kBlockCount; ++from) {
      for (int to = 0; to < kBlockCount; ++to) {
        PlainBlockSearch plain;
        plain.limit = limit;
        plain.Search(from, to, 0);
        FindBlockPaths(from, to);
        ASSERT_EQ(g_BlockPaths.PathCount, int(plain.records.size())) << limit << " " << from << " " << to;
        for (int r = 0; r < g_BlockPaths.PathCount; ++r) {
          const BlockPathRecord& got = g_BlockPaths.Records[r];
          EXPECT_EQ(std::vector<uint8_t>(got.Blocks, got.Blocks + got.Length + 2), plain.records[r]);
        }
      }
    }
  }
  SetBlockPathDepthLimit(64);
  int32_t most = 0;
  for (int from = 0; from < kBlockCount; ++from) {
    for (int to = 0; to < kBlockCount; ++to) {
      FindBlockPaths(from, to);
      most = std::max(most, g_BlockPaths.SearchSteps);
    }
  }
  // Only blocks on the way to some record are visited: a few hundred at most,
  // where walking every path up to 64 blocks never ends.
  EXPECT_LT(most, 1000);
  SetBlockPathDepthLimit(kBlockPathMaxLength);
}
