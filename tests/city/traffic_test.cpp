#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "city/lane_network.h"
#include "city/road_topology.h"
#include "city/route_table_builder.h"
#include "city/traffic.h"
#include "city_fixture.h"
#include "engine/core/random_stream.h"

namespace {

class Traffic : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    BuildTestCity();
    image_ = BuildRouteTableImage();
  }
  void SetUp() override {
    BuildTestCity();
    SetRouteTableImage(image_);
    ResetTraffic();
    // The timetable's rows are the start-up files' and outlive a reset: no
    // traffic unless a test asks for some.
    for (int b = 0; b < kTimeBands; ++b) {
      g_Traffic.CarFrequency[b] = g_Traffic.TaxiFrequency[b] = g_Traffic.VanFrequency[b] = 0;
    }
  }
  void TearDown() override { ResetRouteTable(); }

  // A straight road lane with a signalled junction ahead and a straight exit.
  static int32_t SignalledLane() {
    for (int32_t i = 0; i < g_Lanes.LaneCount; ++i) {
      const Lane& l = g_Lanes.Lanes[i];
      if (l.Kind == kLaneRoad && l.Junction >= 0 && g_Lanes.Waypoints[l.End].StraightLane >= 0) return i;
    }
    return -1;
  }
  static int32_t StraightExitOf(int32_t lane) {
    int32_t through = g_Lanes.Waypoints[g_Lanes.Lanes[lane].End].StraightLane;
    return g_Lanes.Waypoints[g_Lanes.Lanes[through].End].StraightLane;
  }
  // A vehicle placed on a lane, going straight at its end.
  static CVehicle& Place(int index, int32_t lane, float front) {
    CVehicle& v = g_Vehicles[index];
    v.Kind = 6;
    v.ModelIndex = 6;
    v.Destination = 0;
    PlaceOnLane(lane, v);
    v.Active = 1;
    v.Moves[0] = kTurnStraight;
    v.Moves[1] = kMoveEndOfRoute;
    v.MoveIndex = 0;
    v.FrontDistance = front;
    v.RearDistance = front - v.Length;
    g_Traffic.CarCount++;
    return v;
  }
  static void SetGreen(int32_t lane, bool green) {
    if (g_Lanes.Lanes[lane].Junction < 0) return;
    JunctionState& j = g_Lanes.Junctions[g_Lanes.Lanes[lane].Junction];
    j.SignalA = green ? g_Lanes.Lanes[lane].Direction : 0;
  }

  static inline std::vector<uint8_t> image_;
};

// Sum of the lengths of the vehicles whose front is on each lane.
void ExpectLaneBookkeeping() {
  std::vector<float> taken(g_Lanes.LaneCount, 0);
  std::vector<uint32_t> claims(g_Lanes.JunctionStateCount * 4, 0);
  for (const CVehicle& v : g_Vehicles) {
    if (v.State != kVehicleDriving) continue;
    taken[v.Lane] += v.Length;
    if (v.HoldsBoxLock) {
      for (int k = 0; k < 4; ++k) claims[v.ClaimJunction * 4 + k] += kBoxClaimMask[v.ClaimSide][v.ClaimTurn][k];
    }
    ASSERT_TRUE(v.RearLane == v.Lane || v.ChainLane[v.RearSlot] == v.RearLane);
  }
  for (int32_t i = 0; i < g_Lanes.LaneCount; ++i) {
    const Lane& l = g_Lanes.Lanes[i];
    ASSERT_NEAR(l.FreeLength, l.Length - taken[i], 0.01f) << "lane " << i;
    // The chain runs front to back and every member lists the lane.
    int count = 0;
    for (int32_t v = l.FirstVehicle, prev = -1; v >= 0; ++count) {
      const CVehicle& veh = g_Vehicles[v];
      int m = veh.ChainLane[0] == i ? 0 : veh.ChainLane[1] == i ? 1 : -1;
      ASSERT_GE(m, 0) << "vehicle " << v << " in the chain of lane " << i << " without the lane";
      ASSERT_EQ(veh.ChainAhead[m], prev);
      prev = v;
      v = veh.ChainBehind[m];
      ASSERT_LT(count, kMaxVehicles);
    }
  }
  for (int32_t j = 0; j < g_Lanes.JunctionStateCount; ++j) {
    for (int k = 0; k < 4; ++k) ASSERT_EQ(static_cast<uint32_t>(g_Lanes.Junctions[j].BoxLock[k]), claims[j * 4 + k]);
  }
}

}  // namespace

TEST(TrafficSignals, PhaseTable) {
  struct Case {
    int32_t phase, green, amber;
  };
  const Case cases[] = {{0, 5, 0},   {2, 5, 0},   {12, 5, 0},  {14, 0, 5},  {16, 10, 0},
                        {22, 10, 0}, {28, 10, 0}, {30, 0, 10}, {31, 0, 0},  {15, 0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(GreenSignalsAt(c.phase), c.green) << "phase " << c.phase;
    EXPECT_EQ(AmberSignalsAt(c.phase), c.amber) << "phase " << c.phase;
  }
}

TEST(TrafficSignals, BoxConflictMatrix) {
  // Row: the movement holding a claim; column: the movement asking. Sides 0
  // from an eastbound lane, 1 northbound, 2 westbound, 3 southbound; turns
  // straight, left, right.
  const char* expected[12] = {
      "...XXX.X.XX.", "...XX.X.XXX.", ".......X.X..", "XX....XXX.X.", "XX....XX.X.X", "X.........X.",
      ".X.XX....XXX", "X.XXX....XX.", ".X.X........", "XXX.X.XX....", "XX.X.XXX....", "....X.X.....",
  };
  g_Lanes.JunctionStateCount = 1;
  for (int a = 0; a < 12; ++a) {
    for (int b = 0; b < 12; ++b) {
      g_Lanes.Junctions[0] = JunctionState{};
      for (int k = 0; k < 4; ++k) g_Lanes.Junctions[0].BoxLock[k] = static_cast<int32_t>(kBoxClaimMask[a / 3][a % 3][k]);
      EXPECT_EQ(!IsBoxFreeFor(0, b / 3, b % 3), expected[a][b] == 'X') << "held " << a << " asking " << b;
    }
  }
  // An empty box is free for everything; a walker blocks everything.
  g_Lanes.Junctions[0] = JunctionState{};
  for (int b = 0; b < 12; ++b) EXPECT_TRUE(IsBoxFreeFor(0, b / 3, b % 3));
  g_Lanes.Junctions[0].Walkers = 1;
  for (int b = 0; b < 12; ++b) EXPECT_FALSE(IsBoxFreeFor(0, b / 3, b % 3));
  EXPECT_FALSE(IsBoxFreeFor(0, 4, 0));
  g_Lanes.Junctions[0] = JunctionState{};
}

TEST_F(Traffic, SignalsFollowTheTickCount) {
  // Phase moves by 2 every 25 ticks: north-south green for 175 ticks, amber 25.
  for (int tick = 1; tick <= 400; ++tick) {
    UpdateTraffic();
    int32_t phase = (2 * (tick / 25)) % 32;
    ASSERT_EQ(g_Traffic.Phase, phase);
    ASSERT_EQ(g_Lanes.Junctions[0].SignalA, GreenSignalsAt(phase));
    ASSERT_EQ(g_Lanes.Junctions[g_Lanes.JunctionStateCount - 1].SignalB, AmberSignalsAt(phase));
  }
}

TEST_F(Traffic, SpeedRisesSlowlyAndNeverPassesTheLimit) {
  int32_t lane = SignalledLane();
  ASSERT_GE(lane, 0);
  SetGreen(lane, true);
  CVehicle& v = Place(0, lane, 9);
  v.Speed = 0;
  float last = 0;
  float top = 0;
  for (int tick = 0; tick < 400 && v.State == kVehicleDriving; ++tick) {
    DriveVehicle(v);
    ASSERT_LE(v.Speed - last, 0.02f + 1e-6f);
    ASSERT_LE(v.Speed, kMaxVehicleSpeed);
    top = std::max(top, v.Speed);
    last = v.Speed;
    SetGreen(lane, true);
    if (v.Lane != lane) SetGreen(v.Lane, true);
  }
  EXPECT_GT(top, 0.5f);
}

TEST_F(Traffic, FollowerStopsBehindAHeldVehicle) {
  int32_t lane = SignalledLane();
  CVehicle& lead = Place(0, lane, 40);
  lead.State = kVehicleHeld;
  CVehicle& follower = Place(1, lane, 8);
  EXPECT_EQ(follower.ChainAhead[follower.FrontSlot], 0);
  for (int tick = 0; tick < 600; ++tick) UpdateTraffic();
  EXPECT_EQ(follower.Speed, 0);
  float gap = lead.RearDistance - follower.FrontDistance;
  EXPECT_GE(gap, 0.0f);
  EXPECT_LT(gap, 1.5f);
  // Held vehicles do not move.
  EXPECT_EQ(lead.FrontDistance, 40);
}

TEST_F(Traffic, RedLightStopsAtTheLineAndGreenClaimsTheBox) {
  int32_t lane = SignalledLane();
  CVehicle& v = Place(0, lane, 30);
  SetGreen(lane, false);
  for (int tick = 0; tick < 300; ++tick) {
    DriveVehicle(v);
    SetGreen(lane, false);
  }
  EXPECT_EQ(v.StatusText, kStatusWaitingForGreen);
  EXPECT_EQ(v.Speed, 0);
  EXPECT_EQ(v.Lane, lane);
  EXPECT_GT(v.FrontDistance, g_Lanes.Lanes[lane].Length - 1.0f);
  EXPECT_EQ(v.HoldsBoxLock, 0);
  SetGreen(lane, true);
  DriveVehicle(v);
  EXPECT_EQ(v.StatusText, kStatusEnteringJunction);
  EXPECT_EQ(v.HoldsBoxLock, 1);
  EXPECT_FALSE(IsBoxFreeFor(g_Lanes.Lanes[lane].Junction, (v.ApproachSide + 1) % 4, 0));
  // The light turns before it moved off: the claim goes.
  SetGreen(lane, false);
  v.FrontDistance = g_Lanes.Lanes[lane].Length - 0.5f;
  v.Speed = 0;
  DriveVehicle(v);
  EXPECT_EQ(v.HoldsBoxLock, 0);
  ExpectLaneBookkeeping();
}

TEST_F(Traffic, ClaimLastsUntilTheRearLeavesTheTurningLane) {
  int32_t lane = SignalledLane();
  int32_t junction = g_Lanes.Lanes[lane].Junction;
  CVehicle& v = Place(0, lane, 60);
  bool sawTurning = false, releasedAfterTurning = false;
  for (int tick = 0; tick < 400 && v.State == kVehicleDriving; ++tick) {
    SetGreen(lane, true);
    DriveVehicle(v);
    const Lane& rear = g_Lanes.Lanes[v.RearLane];
    if (rear.Kind == kLaneTurning) {
      sawTurning = true;
      ASSERT_EQ(v.HoldsBoxLock, 1);
    }
    if (sawTurning && rear.Kind != kLaneTurning) {
      releasedAfterTurning = v.HoldsBoxLock == 0;
      break;
    }
  }
  EXPECT_TRUE(sawTurning);
  EXPECT_TRUE(releasedAfterTurning);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(g_Lanes.Junctions[junction].BoxLock[k], 0);
  ExpectLaneBookkeeping();
}

TEST_F(Traffic, WaitsForSpaceAndGivesUpAfter500StoppedTicks) {
  int32_t lane = SignalledLane();
  int32_t exit = StraightExitOf(lane);
  const Lane& l = g_Lanes.Lanes[lane];
  CVehicle& v = Place(0, lane, l.Length - 0.5f);
  v.Speed = 0;
  g_Lanes.Lanes[exit].FreeLength = v.Length * 2.0f;  // less than 2.8 lengths
  for (int tick = 0; tick < 499; ++tick) {
    SetGreen(lane, true);
    DriveVehicle(v);
    ASSERT_EQ(v.State, kVehicleDriving) << "tick " << tick;
  }
  EXPECT_EQ(v.StatusText, kStatusWaitingForSpace);
  EXPECT_EQ(v.Waiting, 1);
  EXPECT_EQ(v.WaitTicks, 499);
  DriveVehicle(v);
  EXPECT_EQ(v.State, kVehicleFree);
  EXPECT_EQ(v.Active, 0);
  EXPECT_EQ(g_Traffic.CarCount, 0);
  EXPECT_EQ(g_Lanes.Lanes[lane].FreeLength, g_Lanes.Lanes[lane].Length);
  EXPECT_EQ(g_Lanes.Lanes[lane].FirstVehicle, -1);
}

TEST_F(Traffic, OnlyTheHeadVehicleCountsTowardGivingUp) {
  int32_t lane = SignalledLane();
  const Lane& l = g_Lanes.Lanes[lane];
  g_Lanes.Lanes[StraightExitOf(lane)].FreeLength = 0;
  CVehicle& head = Place(0, lane, l.Length - 0.5f);
  CVehicle& second = Place(1, lane, l.Length - 0.5f - head.Length - 1.0f);
  for (int tick = 0; tick < 600; ++tick) {
    SetGreen(lane, true);
    if (head.State == kVehicleDriving) DriveVehicle(head);
    if (second.State == kVehicleDriving) DriveVehicle(second);
  }
  EXPECT_EQ(head.State, kVehicleFree);
  // A vehicle behind another never stops at the line for the claim; its
  // count starts only once it heads the lane.
  EXPECT_EQ(second.State, kVehicleDriving);
  EXPECT_LT(second.WaitTicks, 499);
}

TEST_F(Traffic, WalkerHoldsVehiclesAtGreen) {
  int32_t lane = SignalledLane();
  CVehicle& v = Place(0, lane, g_Lanes.Lanes[lane].Length - 0.5f);
  v.Speed = 0;
  g_Lanes.Junctions[g_Lanes.Lanes[lane].Junction].Walkers = 1;
  SetGreen(lane, true);
  DriveVehicle(v);
  EXPECT_EQ(v.StatusText, kStatusWaitingForBoxlock);
  EXPECT_EQ(v.HoldsBoxLock, 0);
  g_Lanes.Junctions[g_Lanes.Lanes[lane].Junction].Walkers = 0;
  DriveVehicle(v);
  EXPECT_EQ(v.HoldsBoxLock, 1);
}

// People crossing one after another (each starts while another is still
// across) would keep the box from a vehicle at green for ever: once it has
// waited long enough no one else starts, and it crosses before it gives up.
TEST_F(Traffic, AStreamOfWalkersCannotStarveAVehicle) {
  int32_t lane = SignalledLane();
  const int32_t j = g_Lanes.Lanes[lane].Junction;
  int32_t node = -1, direction = 0;
  for (int n = 0; n < g_RoadNodes.NodeCount && node < 0; ++n) {
    for (int32_t d : {kNorth, kEast, kSouth, kWest}) {
      uint8_t next = g_RoadNodes.Nodes[n].Neighbour[DirectionIndex(d)];
      if (next != kNoNode && JunctionStateOf(next) == j) {
        node = n;
        direction = d;
        break;
      }
    }
  }
  ASSERT_GE(node, 0);
  CVehicle& v = Place(0, lane, g_Lanes.Lanes[lane].Length - 0.5f);
  v.Speed = 0;
  AddJunctionWalker(node, direction);
  int crossingsStarted = 0;
  for (int tick = 0; tick < kGiveUpTicks && !v.HoldsBoxLock; ++tick) {
    ++g_Traffic.TickCount;
    SetGreen(lane, true);
    // Every 20 ticks the one across steps off and, if it may, another starts.
    if (tick % 20 == 19) {
      const bool mayStart = IsJunctionBoxClear(node, direction);
      if (mayStart) {
        AddJunctionWalker(node, direction);
        ++crossingsStarted;
      }
      RemoveJunctionWalker(node, direction);
    }
    DriveVehicle(v);
  }
  EXPECT_EQ(v.State, kVehicleDriving);
  EXPECT_EQ(v.HoldsBoxLock, 1);
  EXPECT_GT(crossingsStarted, 2);
  // Once the vehicle has its box the people wait for it as for any claim.
  EXPECT_FALSE(IsJunctionBoxClear(node, direction));
}

TEST_F(Traffic, JunctionWalkersForPeople) {
  // A road segment with a junction to its east.
  int node = -1;
  for (int n = 0; n < g_RoadNodes.FirstJunction && node < 0; ++n) {
    uint8_t east = g_RoadNodes.Nodes[n].Neighbour[kSideEast];
    if (east != kNoNode && g_RoadNodes.Nodes[east].IsJunction()) node = n;
  }
  ASSERT_GE(node, 0);
  int32_t j = JunctionStateOf(g_RoadNodes.Nodes[node].Neighbour[kSideEast]);
  EXPECT_TRUE(IsJunctionBoxClear(node, kEast));
  AddJunctionWalker(node, kEast);
  EXPECT_EQ(g_Lanes.Junctions[j].Walkers, 1);
  EXPECT_FALSE(IsBoxFreeFor(j, 0, 0));
  RemoveJunctionWalker(node, kEast);
  RemoveJunctionWalker(node, kEast);  // never below 0
  EXPECT_EQ(g_Lanes.Junctions[j].Walkers, 0);
  g_Lanes.Junctions[j].BoxLock[2] = 0x10;
  EXPECT_FALSE(IsJunctionBoxClear(node, kEast));
  // No junction that way: always clear, and nothing is counted.
  EXPECT_TRUE(IsJunctionBoxClear(node, 0));
  AddJunctionWalker(255, kEast);
}

TEST_F(Traffic, VehicleWithNoMoveAtTheLaneEndIsRemoved) {
  int32_t lane = SignalledLane();
  CVehicle& v = Place(0, lane, g_Lanes.Lanes[lane].Length - 0.1f);
  v.Speed = 0.5f;
  v.Move = 0;
  v.Moves[0] = 0;  // no route
  v.Moves[1] = 0;
  SetGreen(lane, true);
  DriveVehicle(v);
  EXPECT_EQ(v.State, kVehicleFree);
  EXPECT_EQ(v.Active, 0);
  EXPECT_EQ(g_Lanes.Lanes[lane].FirstVehicle, -1);
  EXPECT_EQ(g_Lanes.Lanes[lane].LastVehicle, -1);
  EXPECT_EQ(g_Lanes.Lanes[lane].FreeLength, g_Lanes.Lanes[lane].Length);
  EXPECT_EQ(g_Traffic.CarCount, 0);
}

TEST_F(Traffic, SpawningRules) {
  // No depots: nothing happens and no random value is drawn.
  int32_t depots = g_Lanes.DepotCount;
  ASSERT_GT(depots, 1);
  g_Lanes.DepotCount = 0;
  g_Traffic.CarFrequency[2] = g_Traffic.TaxiFrequency[2] = 10;
  uint32_t state = VehicleRandom().GetState();
  SpawnTraffic();
  EXPECT_EQ(VehicleRandom().GetState(), state);
  EXPECT_EQ(g_Traffic.CarCount + g_Traffic.TaxiCount, 0);
  g_Lanes.DepotCount = depots;

  // Every trip goes from a depot to one of the depots nearest to it, never
  // to itself.
  g_Traffic.CarFrequency[2] = g_Traffic.TaxiFrequency[2] = 200;
  for (int tick = 0; tick < 60; ++tick) SpawnTraffic();
  for (const CVehicle& v : g_Vehicles) {
    if (v.State != kVehicleQueued) continue;
    const auto& near = g_Lanes.NearDepots[v.Depot];
    const int32_t count = g_Lanes.NearDepotCount[v.Depot];
    EXPECT_NE(v.Destination, v.Depot);
    EXPECT_NE(std::find(near.begin(), near.begin() + count, v.Destination), near.begin() + count)
        << "from " << v.Depot << " to " << v.Destination;
  }
  ResetTraffic();
  g_Traffic.CarFrequency[2] = g_Traffic.TaxiFrequency[2] = 10;
  // Otherwise one taxi and one other vehicle, on the same trip, queued.
  for (int tries = 0; g_Traffic.TaxiCount == 0 && tries < 10; ++tries) SpawnTraffic();
  ASSERT_EQ(g_Traffic.TaxiCount, 1);
  ASSERT_EQ(g_Traffic.CarCount, 1);
  EXPECT_EQ(g_Vehicles[0].Kind, kTaxiKind);
  EXPECT_EQ(g_Vehicles[0].State, kVehicleQueued);
  EXPECT_EQ(g_Vehicles[1].Depot, g_Vehicles[0].Depot);
  EXPECT_EQ(g_Vehicles[1].Destination, g_Vehicles[0].Destination);
  EXPECT_TRUE(g_Vehicles[1].Kind == kVanKind || (g_Vehicles[1].Kind >= 6 && g_Vehicles[1].Kind <= 23));
  EXPECT_EQ(g_Lanes.Depots[g_Vehicles[0].Depot].Waiting, 2);

  // All 200 in use: nothing more, counts unchanged.
  for (CVehicle& v : g_Vehicles) {
    if (v.State == kVehicleFree) v.State = kVehicleHeld;
  }
  int32_t before = g_Traffic.CarCount;
  EXPECT_EQ(SpawnVehicle(0, 1, 6), nullptr);
  SpawnTraffic();
  EXPECT_EQ(g_Traffic.CarCount, before);
}

TEST_F(Traffic, QueuedVehiclesLeaveOneAtATimeLowestFirst) {
  CVehicle* a = SpawnVehicle(0, 1, 6);
  CVehicle* b = SpawnVehicle(0, 1, 7);
  ASSERT_TRUE(a && b);
  UpdateTraffic();
  EXPECT_EQ(a->State, kVehicleDriving);
  EXPECT_EQ(b->State, kVehicleQueued);  // the depot lanes are not clear
  EXPECT_EQ(g_Lanes.Depots[0].Waiting, 1);
  EXPECT_EQ(g_Lanes.Depots[0].QueueFirst, b->Index);
  for (int tick = 0; tick < 300 && b->State == kVehicleQueued; ++tick) UpdateTraffic();
  EXPECT_EQ(b->State, kVehicleDriving);
  EXPECT_EQ(g_Lanes.Depots[0].QueueFirst, -1);
  EXPECT_EQ(g_Lanes.Depots[0].QueueLast, -1);
}

TEST_F(Traffic, BusyCityKeepsItsBookkeepingAndVehiclesArrive) {
  for (int b = 0; b < kTimeBands; ++b) {
    g_Traffic.CarFrequency[b] = 120;
    g_Traffic.TaxiFrequency[b] = 40;
  }
  VehicleRandom().SetState(12345);
  int arrivals = 0;
  for (int tick = 0; tick < 6000; ++tick) {
    int before = 0;
    for (const CVehicle& v : g_Vehicles) before += v.State == kVehicleArrived;
    UpdateTraffic();
    arrivals += before;
    if (tick % 500 == 499) ExpectLaneBookkeeping();
    ASSERT_LE(g_Traffic.CarCount, 120);
    ASSERT_LE(g_Traffic.TaxiCount, 40);
  }
  EXPECT_GT(arrivals, 50);
  int driving = 0;
  for (const CVehicle& v : g_Vehicles) driving += v.State == kVehicleDriving;
  EXPECT_GT(driving, 20);
  EXPECT_NE(GetTrafficChecksum(), 0);
}

TEST_F(Traffic, SameSeedSameTraffic) {
  auto run = [] {
    ResetTraffic();
    for (int b = 0; b < kTimeBands; ++b) {
      g_Traffic.CarFrequency[b] = 80;
      g_Traffic.TaxiFrequency[b] = 20;
    }
    VehicleRandom().SetState(777);
    std::vector<int32_t> sums;
    for (int tick = 0; tick < 3000; ++tick) {
      UpdateTraffic();
      if (tick % 200 == 0) sums.push_back(GetTrafficChecksum());
    }
    return sums;
  };
  EXPECT_EQ(run(), run());
}

TEST_F(Traffic, ResetEmptiesEverything) {
  SpawnVehicle(0, 1, 6);
  UpdateTraffic();
  g_Lanes.Junctions[0].Walkers = 2;
  ResetTraffic();
  for (const CVehicle& v : g_Vehicles) {
    EXPECT_EQ(v.State, kVehicleFree);
    EXPECT_EQ(v.ModelIndex, 1);
  }
  EXPECT_EQ(g_Lanes.Junctions[0].Walkers, 0);
  EXPECT_EQ(g_Lanes.Depots[0].Waiting, 0);
  EXPECT_EQ(g_Traffic.TickCount, 0);
  EXPECT_EQ(g_Traffic.Nearest[0].Distance, 99999);
  EXPECT_EQ(GetTrafficChecksum(), 0);
}

TEST_F(Traffic, NearestVehiclesAndLoudness) {
  int32_t lane = SignalledLane();
  CVehicle& v = Place(0, lane, 20);
  g_VehicleEntities[0].position = Vec3{5, 0, 0};
  CVehicle& w = Place(1, lane, 10);
  g_VehicleEntities[1].position = Vec3{30, 0, 0};
  CVehicle& far = Place(2, lane, 5);
  g_VehicleEntities[2].position = Vec3{300, 0, 0};
  (void)v;
  (void)w;
  (void)far;
  SetTrafficCameraPosition(Vec3{0, 0, 0});
  FindNearestVehicles();
  EXPECT_EQ(g_Traffic.NearestCount, 2);
  EXPECT_FLOAT_EQ(g_Traffic.Nearest[0].Distance, 10);  // clamped
  EXPECT_FLOAT_EQ(g_Traffic.Nearest[1].Distance, 30);
  EXPECT_FLOAT_EQ(g_Traffic.Loudness, 0.1f + 1.0f / 30);
}

// Every depot sends a vehicle that reaches its destination depot. A departing
// vehicle first asks the route table on the depot's join lane, so depots whose
// road has no straight-on exit at its east junction are served as well as the
// others.
TEST_F(Traffic, EveryDepotSendsVehiclesThatArrive) {
  const int32_t depots = g_Lanes.DepotCount;
  ASSERT_GT(depots, 2);
  int noStraightOn = 0;
  for (int32_t d = 0; d < depots; ++d) {
    const Lane& road = g_Lanes.Lanes[g_Lanes.Depots[d].RoadLane];
    noStraightOn += g_Lanes.Waypoints[road.End].StraightLane < 0;
  }
  EXPECT_GT(noStraightOn, 0);  // the map has such depots: they must be covered
  for (int32_t offset : {1, depots / 2}) {
    ResetTraffic();
    for (int b = 0; b < kTimeBands; ++b) g_Traffic.CarFrequency[b] = g_Traffic.TaxiFrequency[b] = 0;
    std::vector<int32_t> destination(kMaxVehicles, -1);
    for (int32_t d = 0; d < depots; ++d) {
      CVehicle* v = SpawnVehicle(d, (d + offset) % depots, 6 + d % 18);
      ASSERT_NE(v, nullptr);
      destination[v->Index] = v->Destination;
    }
    std::vector<int32_t> arrivedAt(kMaxVehicles, -1);
    int remaining = depots;
    for (int tick = 0; tick < 30000 && remaining > 0; ++tick) {
      UpdateTraffic();
      for (const CVehicle& v : g_Vehicles) {
        if (destination[v.Index] < 0 || arrivedAt[v.Index] >= 0) continue;
        if (v.State == kVehicleArrived) {
          for (int32_t d = 0; d < depots; ++d) {
            if (g_Lanes.Depots[d].EntryLane == v.Lane) arrivedAt[v.Index] = d;
          }
          --remaining;
        } else {
          ASSERT_NE(v.State, kVehicleFree) << "vehicle from depot " << v.Depot << " left the road without arriving";
        }
      }
    }
    for (int32_t i = 0; i < depots; ++i) {
      EXPECT_EQ(arrivedAt[i], destination[i]) << "vehicle from depot " << g_Vehicles[i].Depot << ", offset " << offset;
    }
    ExpectLaneBookkeeping();
  }
}

TEST_F(Traffic, EachDepotsNearestDepotsAreTheShortestDrives) {
  int straightOn = 0;
  for (int32_t d = 0; d < g_Lanes.DepotCount; ++d) {
    ASSERT_EQ(g_Lanes.NearDepotCount[d], kLocalDepots) << "depot " << d;
    EXPECT_NE(g_Lanes.NearDepots[d][0], d);
    EXPECT_NE(g_Lanes.NearDepots[d][0], g_Lanes.NearDepots[d][1]);
    // The depot on the next stretch of the same road, straight on over one
    // junction, is the shortest drive there is.
    const Lane& road = g_Lanes.Lanes[g_Lanes.Depots[d].RoadLane];
    if (g_Lanes.Waypoints[road.End].StraightLane < 0) continue;
    for (int32_t e = 0; e < g_Lanes.DepotCount; ++e) {
      if (g_Lanes.Depots[e].WestJunction != g_Lanes.Depots[d].EastJunction) continue;
      EXPECT_EQ(g_Lanes.NearDepots[d][0], e) << "depot " << d;
      ++straightOn;
    }
  }
  EXPECT_GT(straightOn, 5);
  // A vehicle on such a trip arrives within a game hour (625 ticks) on
  // empty streets, lights and all.
  int32_t from = -1, to = -1;
  for (int32_t d = 0; d < g_Lanes.DepotCount && from < 0; ++d) {
    for (int32_t e = 0; e < g_Lanes.DepotCount; ++e) {
      if (g_Lanes.Depots[e].WestJunction == g_Lanes.Depots[d].EastJunction) from = d, to = e;
    }
  }
  ASSERT_GE(from, 0);
  CVehicle* v = SpawnVehicle(from, to, 6);
  ASSERT_NE(v, nullptr);
  int ticks = 0;
  while (v->State != kVehicleArrived && ticks < 2000) {
    UpdateTraffic();
    ++ticks;
  }
  EXPECT_EQ(v->State, kVehicleArrived);
  EXPECT_LT(ticks, 625);
}

TEST_F(Traffic, VansKeepToTheirOwnLimit) {
  // The hour of the default services is 9: the 8-to-11 band.
  for (int32_t vans : {0, 3}) {
    SCOPED_TRACE(vans);
    ResetTraffic();
    g_Traffic.CarFrequency[2] = 20;
    g_Traffic.VanFrequency[2] = vans;
    VehicleRandom().SetState(4242);
    for (int tick = 0; tick < 200; ++tick) SpawnTraffic();
    int32_t counted = 0;
    for (const CVehicle& v : g_Vehicles) counted += v.State == kVehicleQueued && v.Kind == kVanKind;
    EXPECT_EQ(counted, vans);
    EXPECT_EQ(g_Traffic.VanCount, vans);
    EXPECT_EQ(g_Traffic.CarCount, 20);
  }
}
