#include "city/lane_network.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <queue>
#include <utility>
#include <vector>

#include "city/blocks.h"
#include "city/road_topology.h"
#include "engine/core/error.h"

LaneNetwork g_Lanes;

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr int kCurveSteps = 10;

bool Full(int32_t count, int capacity, const char* what) {
  if (count < capacity) return false;
  ReportErrorF(1, "City map needs more than %d %s", capacity, what);
  return true;
}

int32_t AddWaypoint(float x, float y, float z) {
  if (Full(g_Lanes.WaypointCount, kMaxWaypoints, "lane waypoints")) return -1;
  int32_t i = g_Lanes.WaypointCount++;
  LaneWaypoint& w = g_Lanes.Waypoints[i];
  w = LaneWaypoint{};
  w.Index = i;
  w.X = x;
  w.Y = y;
  w.Z = z;
  return i;
}

Vec3 WaypointPos(int32_t i) {
  const LaneWaypoint& w = g_Lanes.Waypoints[i];
  return Vec3{w.X, w.Y, w.Z};
}

int32_t NewLane() {
  if (Full(g_Lanes.LaneCount, kMaxLanes, "lanes")) return -1;
  int32_t i = g_Lanes.LaneCount++;
  g_Lanes.Lanes[i] = Lane{};
  g_Lanes.Lanes[i].Index = i;
  return i;
}

void SetLength(Lane& lane, float length) {
  lane.Length = TruncateLength(length);
  lane.FreeLength = lane.Length;
  lane.InverseLength = lane.Length > 0 ? 1.0f / lane.Length : 0.0f;
}

// Adds an exit to a waypoint: 64 straight on, 16 left, 32 right.
void AddExit(int32_t waypoint, int32_t lane, int32_t flag) {
  LaneWaypoint& w = g_Lanes.Waypoints[waypoint];
  if (flag == kTurnLeft) w.LeftLane = lane;
  else if (flag == kTurnRight) w.RightLane = lane;
  else w.StraightLane = lane;
  ++w.ExitCount;
}

bool IsEastWestRoad(int32_t kind) { return kind == kRoadEastWest || kind == kRoadWideEastWest; }
bool IsNorthSouthRoad(int32_t kind) { return kind == kRoadNorthSouth || kind == kRoadWideNorthSouth; }

// ---- Traffic-light posts -------------------------------------------------------

bool BuildTrafficLightPosts() {
  struct PostSide {
    int32_t link;
    float dx, dz, angle;
    uint8_t approach;
  };
  static constexpr PostSide kSides[4] = {
      {kSouth, -12, 12, 0, 1}, {kNorth, 12, -12, 180, 4}, {kWest, 12, 12, 270, 2}, {kEast, -12, -12, 90, 8}};
  g_Lanes.PostCount = 0;
  for (int i = g_RoadNodes.FirstJunction; i < g_RoadNodes.NodeCount; ++i) {
    const RoadNode& n = g_RoadNodes.Nodes[i];
    if (n.Kind <= 10 || std::popcount(static_cast<unsigned>(n.Links)) < 3) continue;
    // A hidden junction is not drawn (its traffic still obeys its signals):
    // posts there would stand on open ground.
    if (n.Marks & 1) continue;
    for (const PostSide& s : kSides) {
      if (!(n.Links & s.link)) continue;
      if (Full(g_Lanes.PostCount, kMaxTrafficLightPosts, "traffic-light posts")) return false;
      TrafficLightPost& p = g_Lanes.Posts[g_Lanes.PostCount++];
      p = TrafficLightPost{};
      p.X = n.CentreX + s.dx;
      p.Y = 0;
      p.Z = n.CentreZ + s.dz;
      p.Angle = s.angle;
      p.Approach = s.approach;
      p.Junction = JunctionStateOf(i);
      PlaceTrafficLightPost(p);
    }
  }
  return true;
}

// ---- Straight lanes ---------------------------------------------------------------

struct StraightLaneShape {
  int32_t direction;
  float startX, startZ, endX, endZ;
  int aheadSide;      // the junction the lane leads to
  int blockSide;      // the road's side that holds the block it runs along
  int blockLaneSide;  // which of that block's SideLane slots it fills
};

constexpr StraightLaneShape kEastWestLanes[2] = {
    {kEast, -35, -3, 35, -3, kSideEast, kSideSouth, kSideNorth},
    {kWest, 35, 3, -35, 3, kSideWest, kSideNorth, kSideSouth},
};
constexpr StraightLaneShape kNorthSouthLanes[2] = {
    {kNorth, 3, -35, 3, 35, kSideNorth, kSideEast, kSideWest},
    {kSouth, -3, 35, -3, -35, kSideSouth, kSideWest, kSideEast},
};

bool AddStraightLane(int node, const StraightLaneShape& shape) {
  const RoadNode& n = g_RoadNodes.Nodes[node];
  int32_t start = AddWaypoint(n.CentreX + shape.startX, 0, n.CentreZ + shape.startZ);
  int32_t end = AddWaypoint(n.CentreX + shape.endX, 0, n.CentreZ + shape.endZ);
  int32_t index = (start < 0 || end < 0) ? -1 : NewLane();
  if (index < 0) return false;
  Lane& lane = g_Lanes.Lanes[index];
  lane.Role = kRoleRoad;
  lane.Kind = kLaneRoad;
  lane.Shape = kShapeStraight;
  lane.Direction = static_cast<uint8_t>(shape.direction);
  lane.Node = node;
  lane.Start = start;
  lane.End = end;
  uint8_t ahead = n.Neighbour[shape.aheadSide];
  lane.Junction = ahead == kNoNode ? -1 : JunctionStateOf(ahead);
  Vec3 p0 = WaypointPos(start), p3 = WaypointPos(end);
  Vec3 d{(p3.x - p0.x) / 3, 0, (p3.z - p0.z) / 3};
  lane.Curve = BezierCurve{{p0, {p0.x + d.x, 0, p0.z + d.z}, {p3.x - d.x, 0, p3.z - d.z}, p3}};
  SetLength(lane, VecDistance(p0, p3));
  lane.QueueMark = 0.75f * lane.Length;
  AddExit(start, index, kTurnStraight);
  uint8_t block = n.SideBlock[shape.blockSide];
  if (block < kBlockCount) g_Blocks[block].SideLane[shape.blockLaneSide] = index;
  return true;
}

bool BuildStraightLanes() {
  for (int i = 0; i < g_RoadNodes.FirstJunction; ++i) {
    int32_t kind = g_RoadNodes.Nodes[i].Kind;
    const StraightLaneShape* shapes = IsEastWestRoad(kind)    ? kEastWestLanes
                                      : IsNorthSouthRoad(kind) ? kNorthSouthLanes
                                                               : nullptr;
    if (shapes == nullptr) continue;
    if (!AddStraightLane(i, shapes[0]) || !AddStraightLane(i, shapes[1])) return false;
  }
  return true;
}

// ---- Turning lanes ------------------------------------------------------------------

struct TurnChoice {
  int side;
  int32_t flag;
};

// The exits tried for each incoming direction, in order.
const TurnChoice* TurnChoicesFor(int32_t incoming) {
  static constexpr TurnChoice kNorthbound[3] = {
      {kSideNorth, kTurnStraight}, {kSideEast, kTurnRight}, {kSideWest, kTurnLeft}};
  static constexpr TurnChoice kSouthbound[3] = {
      {kSideSouth, kTurnStraight}, {kSideEast, kTurnLeft}, {kSideWest, kTurnRight}};
  static constexpr TurnChoice kEastbound[3] = {
      {kSideSouth, kTurnRight}, {kSideNorth, kTurnLeft}, {kSideEast, kTurnStraight}};
  static constexpr TurnChoice kWestbound[3] = {
      {kSideSouth, kTurnLeft}, {kSideNorth, kTurnRight}, {kSideWest, kTurnStraight}};
  switch (incoming) {
    case kNorth: return kNorthbound;
    case kSouth: return kSouthbound;
    case kEast: return kEastbound;
    case kWest: return kWestbound;
    default: return nullptr;
  }
}

bool BuildTurningLanes(int32_t straightCount) {
  for (int32_t i = 0; i < straightCount; ++i) {
    const Lane& in = g_Lanes.Lanes[i];
    const TurnChoice* choices = TurnChoicesFor(in.Direction);
    int side = DirectionIndex(in.Direction);
    if (choices == nullptr || side < 0) continue;
    uint8_t j = g_RoadNodes.Nodes[in.Node].Neighbour[side];
    if (j == kNoNode || !g_RoadNodes.Nodes[j].IsJunction()) continue;
    const RoadNode& junction = g_RoadNodes.Nodes[j];
    for (int c = 0; c < 3; ++c) {
      int32_t exitDir = DirectionFromIndex(choices[c].side);
      if (!(junction.Links & exitDir)) continue;
      // A road with no lanes there (a dead end) offers no exit.
      int32_t target = FindStraightLane(junction.Neighbour[choices[c].side], exitDir);
      if (target < 0) continue;
      if (AddTurningLane(i, target, choices[c].flag) < 0) return false;
    }
  }
  return true;
}

// ---- Depots ------------------------------------------------------------------------

// A depot lane: an eased curve between two waypoints, along x first.
int32_t AddDepotLane(int32_t from, int32_t to, uint8_t kind, int32_t node) {
  int32_t index = NewLane();
  if (index < 0) return -1;
  Lane& lane = g_Lanes.Lanes[index];
  lane.Role = kRoleDepotOther;
  lane.Kind = kind;
  lane.Shape = kShapeBezier;
  lane.Direction = kEast;
  lane.Node = node;
  lane.Start = from;
  lane.End = to;
  Vec3 p0 = WaypointPos(from), p3 = WaypointPos(to);
  float third = (p3.x - p0.x) / 3;
  lane.Curve = BezierCurve{{p0, {p0.x + third, p0.y, p0.z}, {p3.x - third, p3.y, p3.z}, p3}};
  SetLength(lane, BezCalcLength(lane.Curve, kCurveSteps));
  lane.QueueMark = 0;
  return index;
}

bool BuildDepots(int32_t straightCount) {
  for (int32_t i = 0; i < straightCount; ++i) {
    const Lane& lane = g_Lanes.Lanes[i];
    if (lane.Direction != kEast) continue;
    uint8_t block = g_RoadNodes.Nodes[lane.Node].SideBlock[kSideSouth];
    if (block >= kBlockCount || !g_Blocks[block].InUse) continue;
    if (AddDepot(i, block) < 0) return false;
  }
  return true;
}

}  // namespace

// ---- Public operations -------------------------------------------------------------

float TruncateLength(float length) {
  return std::bit_cast<float>(std::bit_cast<uint32_t>(length) & 0xFFFFFF00u);
}

int32_t JunctionStateOf(int node) {
  if (node < g_RoadNodes.FirstJunction || node >= g_RoadNodes.NodeCount) return -1;
  if (!g_RoadNodes.Nodes[node].IsJunction()) return -1;
  int32_t j = node - g_RoadNodes.FirstJunction;
  return j < kMaxJunctionStates ? j : -1;
}

int32_t FindStraightLane(int node, int32_t direction) {
  if (node < 0 || node == kNoNode) return -1;
  for (int32_t i = 0; i < g_Lanes.LaneCount; ++i) {
    const Lane& l = g_Lanes.Lanes[i];
    if (l.Kind == kLaneRoad && l.Node == node && l.Direction == direction) return i;
  }
  return -1;
}

void ResetLaneNetwork() { g_Lanes = LaneNetwork{}; }

void PlaceTrafficLightPost(TrafficLightPost& p) {
  float a = p.Angle * kDegreesToRadians;
  float c = std::cos(a), s = std::sin(a);
  p.Glow[0] = Vec3{p.X + 15.92f * c + s, 12.85f, p.Z + 15.92f * s - c};
  p.Glow[1] = Vec3{p.X + 25.143f * c + 1.242f * s, 5.135f, p.Z + 25.143f * s - 1.242f * c};
  p.Glow[2] = Vec3{p.Glow[0].x, p.Glow[0].y - 1.95f, p.Glow[0].z};
  p.Glow[3] = Vec3{p.Glow[1].x, p.Glow[1].y - 1.95f, p.Glow[1].z};
}

int32_t AddTurningLane(int32_t fromLane, int32_t toLane, int32_t flag) {
  if (fromLane < 0 || fromLane >= g_Lanes.LaneCount || toLane < 0 || toLane >= g_Lanes.LaneCount) return -1;
  int32_t index = NewLane();
  if (index < 0) return -1;
  const Lane& from = g_Lanes.Lanes[fromLane];
  const Lane& to = g_Lanes.Lanes[toLane];
  Lane& lane = g_Lanes.Lanes[index];
  lane.Role = kRoleTurning;
  lane.Kind = kLaneTurning;
  lane.Shape = kShapeBezier;
  lane.Direction = static_cast<uint8_t>(from.Direction | to.Direction);
  lane.Node = from.Node;
  lane.Start = from.End;
  lane.End = to.Start;
  lane.Junction = from.Junction;
  float f = flag == kTurnLeft ? 0.2f : 0.15f;
  Vec3 p0 = WaypointPos(from.End), p3 = WaypointPos(to.Start);
  Vec3 fromStart = WaypointPos(from.Start), toEnd = WaypointPos(to.End);
  Vec3 p1{p0.x + (p0.x - fromStart.x) * f, p0.y, p0.z + (p0.z - fromStart.z) * f};
  Vec3 p2{p3.x + (p3.x - toEnd.x) * f, p3.y, p3.z + (p3.z - toEnd.z) * f};
  lane.Curve = BezierCurve{{p0, p1, p2, p3}};
  SetLength(lane, BezCalcLength(lane.Curve, kCurveSteps));
  lane.QueueMark = 0;
  AddExit(from.End, index, flag);
  return index;
}

int32_t AddDepot(int32_t roadLane, int32_t block) {
  if (roadLane < 0 || roadLane >= g_Lanes.LaneCount || block < 0 || block >= kBlockCount) return -1;
  if (Full(g_Lanes.DepotCount, kMaxDepots, "vehicle depots")) return -1;
  const Lane road = g_Lanes.Lanes[roadLane];
  Vec3 start = WaypointPos(road.Start), end = WaypointPos(road.End);
  int32_t e1 = AddWaypoint(end.x - 23, 0, end.z - 7);
  int32_t e2 = e1 < 0 ? -1 : AddWaypoint(end.x - 23 - 30, -20, end.z - 7);
  int32_t n1 = e2 < 0 ? -1 : AddWaypoint(start.x + 23, 0, start.z - 7);
  int32_t n2 = n1 < 0 ? -1 : AddWaypoint(start.x + 23 + 30, -20, start.z - 7);
  if (n2 < 0) return -1;
  int32_t exitLane = AddDepotLane(e2, e1, kLaneDepotExit, road.Node);
  int32_t joinLane = exitLane < 0 ? -1 : AddDepotLane(e1, road.End, kLaneDepotJoin, road.Node);
  int32_t turnLane = joinLane < 0 ? -1 : AddDepotLane(road.Start, n1, kLaneDepotEntryTurn, road.Node);
  int32_t entryLane = turnLane < 0 ? -1 : AddDepotLane(n1, n2, kLaneDepotEntry, road.Node);
  if (entryLane < 0) return -1;
  g_Lanes.Lanes[joinLane].Role = kRoleDepotJoin;
  g_Lanes.Lanes[joinLane].Junction = road.Junction;
  AddExit(e2, exitLane, kTurnStraight);
  AddExit(e1, joinLane, kTurnStraight);
  AddExit(road.Start, turnLane, kTurnRight);
  AddExit(n1, entryLane, kTurnStraight);

  int32_t index = g_Lanes.DepotCount++;
  TrafficDepot& d = g_Lanes.Depots[index];
  d = TrafficDepot{};
  d.Fixed = 100;
  d.Block = block;
  const RoadNode& node = g_RoadNodes.Nodes[road.Node];
  d.WestJunction = node.Neighbour[kSideWest] == kNoNode ? -1 : node.Neighbour[kSideWest];
  d.EastJunction = node.Neighbour[kSideEast] == kNoNode ? -1 : node.Neighbour[kSideEast];
  d.EntryLane = entryLane;
  d.ExitLane = exitLane;
  d.RoadLane = roadLane;
  return index;
}

bool BuildLaneNetwork() {
  ResetLaneNetwork();
  if (!BuildTrafficLightPosts()) return false;
  if (g_RoadNodes.JunctionCount > kMaxJunctionStates) {
    ReportErrorF(1, "City map needs more than %d junction records", kMaxJunctionStates);
    return false;
  }
  g_Lanes.JunctionStateCount = g_RoadNodes.JunctionCount;
  for (int32_t j = 0; j < g_Lanes.JunctionStateCount; ++j) {
    g_Lanes.Junctions[j] = JunctionState{};
    g_Lanes.Junctions[j].SignalA = 5;
  }
  if (!BuildStraightLanes()) return false;
  int32_t straightCount = g_Lanes.LaneCount;
  if (!BuildTurningLanes(straightCount) || !BuildDepots(straightCount)) return false;
  FindNearDepots();
  return true;
}

namespace {

// The shortest drive from the start of a lane to the end of every lane.
std::vector<float> DrivesFrom(int32_t start) {
  constexpr float kNoDrive = std::numeric_limits<float>::infinity();
  const auto lanes = static_cast<size_t>(g_Lanes.LaneCount);
  std::vector<float> dist(lanes, kNoDrive);
  using Entry = std::pair<float, int32_t>;  // the drive to the end of a lane, the lane
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
  if (start < 0 || static_cast<size_t>(start) >= lanes) return dist;
  dist[static_cast<size_t>(start)] = g_Lanes.Lanes[start].Length;
  open.emplace(dist[static_cast<size_t>(start)], start);
  while (!open.empty()) {
    auto [d, lane] = open.top();
    open.pop();
    if (d > dist[static_cast<size_t>(lane)]) continue;
    const int32_t end = g_Lanes.Lanes[lane].End;
    if (end < 0 || end >= g_Lanes.WaypointCount) continue;
    const LaneWaypoint& w = g_Lanes.Waypoints[end];
    for (int32_t next : {w.StraightLane, w.LeftLane, w.RightLane}) {
      if (next < 0 || static_cast<size_t>(next) >= lanes) continue;
      float nd = d + g_Lanes.Lanes[next].Length;
      if (nd < dist[static_cast<size_t>(next)]) {
        dist[static_cast<size_t>(next)] = nd;
        open.emplace(nd, next);
      }
    }
  }
  return dist;
}

}  // namespace

void FindNearDepots() {
  for (int32_t from = 0; from < g_Lanes.DepotCount; ++from) {
    const std::vector<float> dist = DrivesFrom(g_Lanes.Depots[from].ExitLane);
    std::vector<std::pair<float, int32_t>> reached;  // drive, depot: ties go to the lower depot
    for (int32_t to = 0; to < g_Lanes.DepotCount; ++to) {
      const int32_t entry = g_Lanes.Depots[to].EntryLane;
      if (to == from || entry < 0 || entry >= g_Lanes.LaneCount) continue;
      const float d = dist[static_cast<size_t>(entry)];
      if (std::isfinite(d)) reached.emplace_back(d, to);
    }
    std::sort(reached.begin(), reached.end());
    const auto count = std::min<size_t>(reached.size(), kLocalDepots);
    g_Lanes.NearDepotCount[from] = static_cast<int32_t>(count);
    for (size_t i = 0; i < count; ++i) g_Lanes.NearDepots[from][i] = reached[i].second;
  }
}

Vec3 LanePoint(const Lane& lane, float distance) {
  float t = distance * lane.InverseLength;
  if (lane.Shape == kShapeBezier) {
    Vec3 out{};
    BezCalcPoint(lane.Curve, out, t);
    return out;
  }
  Vec3 a = WaypointPos(lane.Start), b = WaypointPos(lane.End);
  return Vec3{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}
