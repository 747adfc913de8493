#include "city/route_table_builder.h"

#include <algorithm>
#include <limits>

#include "city/lane_network.h"
#include "city/road_topology.h"

namespace {

constexpr float kUnreachable = std::numeric_limits<float>::infinity();
// An exit is still "preferred" when its drive is at most this much longer.
constexpr float kPreferredDetour = 150.0f;

struct LaneStep {
  int32_t exitIndex;  // direction index of the exit at the junction ahead
  int32_t next;       // the straight lane entered after the junction
  float cost;         // this lane and the turning lane through the junction
};

// The straight lanes reached from each straight lane through its junction.
std::vector<std::vector<LaneStep>> CollectSteps() {
  std::vector<std::vector<LaneStep>> steps(g_Lanes.LaneCount);
  for (int32_t i = 0; i < g_Lanes.LaneCount; ++i) {
    const Lane& lane = g_Lanes.Lanes[i];
    if (lane.Kind != kLaneRoad) continue;
    const LaneWaypoint& end = g_Lanes.Waypoints[lane.End];
    for (int32_t turn : {end.StraightLane, end.LeftLane, end.RightLane}) {
      if (turn < 0 || g_Lanes.Lanes[turn].Kind != kLaneTurning) continue;
      const Lane& t = g_Lanes.Lanes[turn];
      int32_t next = g_Lanes.Waypoints[t.End].StraightLane;
      if (next < 0 || g_Lanes.Lanes[next].Kind != kLaneRoad) continue;
      int exitIndex = DirectionIndex(g_Lanes.Lanes[next].Direction);
      if (exitIndex < 0) continue;
      steps[i].push_back(LaneStep{exitIndex, next, lane.Length + t.Length});
    }
  }
  return steps;
}

// Shortest drive from the start of every lane to the start of the goal lane.
std::vector<float> DistancesTo(int32_t goal, const std::vector<std::vector<LaneStep>>& steps) {
  const size_t n = steps.size();
  std::vector<float> dist(n, kUnreachable);
  std::vector<bool> done(n, false);
  dist[goal] = 0;
  for (;;) {
    int32_t best = -1;
    for (size_t i = 0; i < n; ++i) {
      if (!done[i] && dist[i] < kUnreachable && (best < 0 || dist[i] < dist[best])) best = static_cast<int32_t>(i);
    }
    if (best < 0) break;
    done[best] = true;
    for (size_t i = 0; i < n; ++i) {
      for (const LaneStep& s : steps[i]) {
        if (s.next == best && dist[best] + s.cost < dist[i]) dist[i] = dist[best] + s.cost;
      }
    }
  }
  return dist;
}

int JunctionBehind(const Lane& lane) {
  int side = DirectionIndex(OppositeDirection(lane.Direction));
  if (side < 0 || lane.Node < 0) return -1;
  uint8_t behind = g_RoadNodes.Nodes[lane.Node].Neighbour[side];
  if (behind == kNoNode || !g_RoadNodes.Nodes[behind].IsJunction()) return -1;
  int j = behind - g_RoadNodes.FirstJunction;
  return j < kMaxJunctions ? j : -1;
}

uint8_t RateExits(const std::vector<LaneStep>& steps, const std::vector<float>& dist) {
  float value[4] = {kUnreachable, kUnreachable, kUnreachable, kUnreachable};
  for (const LaneStep& s : steps) {
    float v = s.cost + dist[s.next];
    if (v < value[s.exitIndex]) value[s.exitIndex] = v;
  }
  int best = -1;
  for (int e = 0; e < 4; ++e) {
    if (value[e] < kUnreachable && (best < 0 || value[e] < value[best])) best = e;
  }
  if (best < 0) return 0;
  uint8_t byte = 0;
  for (int e = 0; e < 4; ++e) {
    if (value[e] == kUnreachable) continue;
    int rating = e == best ? 3 : (value[e] <= value[best] + kPreferredDetour ? 2 : 1);
    byte = static_cast<uint8_t>(byte | (rating << (e * 2)));
  }
  return byte;
}

}  // namespace

std::vector<uint8_t> BuildRouteTableImage() {
  std::vector<uint8_t> image(kRouteTableSize, 0);
  const auto steps = CollectSteps();
  const int first = g_RoadNodes.FirstJunction;
  const int junctions = std::min<int>(g_RoadNodes.JunctionCount, kMaxJunctions);
  for (int b = 0; b < junctions; ++b) {
    for (int destIndex = 0; destIndex < 4; ++destIndex) {
      int32_t dest = DirectionFromIndex(destIndex);
      int32_t goal = FindStraightLane(g_RoadNodes.Nodes[first + b].Neighbour[destIndex], dest);
      if (goal < 0) continue;
      const auto dist = DistancesTo(goal, steps);
      for (int32_t i = 0; i < g_Lanes.LaneCount; ++i) {
        const Lane& lane = g_Lanes.Lanes[i];
        if (lane.Kind != kLaneRoad) continue;
        int a = JunctionBehind(lane);
        int headingIndex = DirectionIndex(lane.Direction);
        if (a < 0 || headingIndex < 0) continue;
        image[RouteTableOffset(a, headingIndex, b, destIndex)] = RateExits(steps[i], dist);
      }
    }
  }
  return image;
}
