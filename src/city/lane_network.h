#pragma once
// The lane network vehicles drive on: waypoints, straight lanes along the
// road segments (traffic keeps to the right), turning lanes through the
// junctions, one depot per block south of an east-west road, the junction
// signal records and the traffic-light posts. Built from the road nodes.
// References between records are table indices, -1 for none.
#include <array>
#include <cstdint>

#include "engine/core/maths.h"

inline constexpr int kMaxWaypoints = 512;
inline constexpr int kMaxLanes = 700;
inline constexpr int kMaxJunctionStates = 80;
inline constexpr int kMaxDepots = 64;
inline constexpr int kMaxTrafficLightPosts = kMaxJunctionStates * 4;

// Lane roles (bit flags) and kinds.
enum LaneRole : uint8_t {
  kRoleChoosesTurn = 1,
  kRoleBoxClaimEnds = 2,
  kRoleSignalled = 4,
  kRoleKeepsClearOfDepot = 8,
  kRoleRoad = 13,
  kRoleTurning = 2,
  kRoleDepotJoin = 5,
  kRoleDepotOther = 0,
};
enum LaneKind : uint8_t {
  kLaneRoad = 1,
  kLaneTurning = 2,
  kLaneDepotEntryTurn = 4,  // road lane start -> N1
  kLaneDepotEntry = 8,      // N1 -> N2, where arriving vehicles leave the roads
  kLaneDepotExit = 16,      // E2 -> E1, where departing vehicles start
  kLaneDepotJoin = 32,      // E1 -> road lane end
};
enum LaneShape : uint8_t { kShapeStraight = 1, kShapeBezier = 2 };

struct LaneWaypoint {
  int32_t Reserved = 0;
  int32_t Occupant = 0;
  int32_t BoxCount = 0;
  int32_t Index = 0;
  int32_t StraightLane = -1, LeftLane = -1, RightLane = -1;
  int32_t ExitCount = 0;
  float X = 0, Y = 0, Z = 0;
};

struct Lane {
  uint8_t Role = 0;
  float FreeLength = 0;
  float QueueMark = 0;
  int32_t Unused[2] = {};
  int32_t Index = 0;
  int32_t FirstVehicle = -1, LastVehicle = -1;
  uint8_t Direction = 0;
  uint8_t Kind = 0;
  uint8_t Shape = 0;
  int32_t Node = -1;  // road node
  BezierCurve Curve{};
  float Length = 0;
  float InverseLength = 0;
  int32_t End = -1, Start = -1;  // waypoints
  int32_t Junction = -1;         // JunctionState the lane leads to; -1 for depot lanes
};

struct JunctionState {
  int32_t SignalA = 0, SignalB = 0;
  int32_t BoxLock[4] = {};
  int32_t Walkers = 0;
  // No person starts across before this traffic tick: a vehicle has waited
  // too long for the box while people kept crossing.
  int32_t CrossingHeldUntil = 0;
};

struct TrafficDepot {
  int32_t Fixed = 100;
  int32_t Waiting = 0;
  int32_t Block = -1;
  int32_t Unused[3] = {};
  int32_t WestJunction = -1, EastJunction = -1;  // road node indices
  int32_t EntryLane = -1, ExitLane = -1, RoadLane = -1;
  int32_t QueueFirst = -1, QueueLast = -1;  // vehicles
};

struct TrafficLightPost {
  float X = 0, Y = 0, Z = 0;
  float Angle = 0;
  uint8_t Approach = 0;
  int32_t Junction = -1;  // JunctionState
  Vec3 Glow[4]{};         // lamp 1, lamp 2, lamp 1 low, lamp 2 low
};

// Vehicles make short trips: from a depot to one of this many depots nearest
// to it by road. The streets are slow at the game's scale (a block and its
// junction take a vehicle at full speed some thirteen game minutes, a
// signalled junction waits a few more), so a drive across town would take
// hours of the game's day.
inline constexpr int32_t kLocalDepots = 2;

struct LaneNetwork {
  std::array<LaneWaypoint, kMaxWaypoints> Waypoints{};
  int32_t WaypointCount = 0;
  std::array<Lane, kMaxLanes> Lanes{};
  int32_t LaneCount = 0;
  std::array<JunctionState, kMaxJunctionStates> Junctions{};
  int32_t JunctionStateCount = 0;
  std::array<TrafficDepot, kMaxDepots> Depots{};
  int32_t DepotCount = 0;
  std::array<TrafficLightPost, kMaxTrafficLightPosts> Posts{};
  int32_t PostCount = 0;
  // Where vehicles from each depot drive to: its nearest depots by road,
  // nearest first.
  std::array<std::array<int32_t, kLocalDepots>, kMaxDepots> NearDepots{};
  std::array<int32_t, kMaxDepots> NearDepotCount{};
};
extern LaneNetwork g_Lanes;

void ResetLaneNetwork();
// Posts, junction records, straight, turning and depot lanes, from the road
// nodes and blocks. False (with a warning naming the full table) when the
// network does not fit; the caller discards it.
bool BuildLaneNetwork();
// Fills NearDepots from the lanes (the last step of BuildLaneNetwork).
void FindNearDepots();
// Adds a turning lane from one straight lane to another; -1 when full.
int32_t AddTurningLane(int32_t fromLane, int32_t toLane, int32_t flag);
// Adds the depot of a block on an eastbound road lane; -1 when full.
int32_t AddDepot(int32_t roadLane, int32_t block);
void PlaceTrafficLightPost(TrafficLightPost& post);

// The straight lane of a road node in a direction, -1 when none.
int32_t FindStraightLane(int node, int32_t direction);
// The JunctionState number of a junction node, -1 when not a junction.
int32_t JunctionStateOf(int node);
// The point at a distance along a lane.
Vec3 LanePoint(const Lane& lane, float distance);
// Clears the low 8 bits of a float's representation (lane lengths are kept so).
float TruncateLength(float length);
