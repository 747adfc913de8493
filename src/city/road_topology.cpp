#include "city/road_topology.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "city/blocks.h"
#include "engine/core/error.h"
#include "platform/paths.h"

RoadNodeTable g_RoadNodes;
BlockPathList g_BlockPaths;

namespace {

std::array<uint8_t, kRouteTableSize> g_routeImage{};
bool g_routeTried = false;
bool g_routeLoaded = false;

std::array<uint8_t, kBlockCount * kBlockCount> g_connected{};
int32_t g_subwayThreshold = kBlockPathMaxLength;
uint8_t g_path[kBlockPathMaxLength] = {};

bool IsValidNode(int node) { return node >= 0 && node < g_RoadNodes.NodeCount; }

bool IsValidJunction(int junction) {
  return junction >= 0 && junction < kMaxJunctions && junction < g_RoadNodes.JunctionCount;
}

}  // namespace

// ---- Directions -------------------------------------------------------------------

int DirectionIndex(int32_t direction) {
  switch (direction) {
    case kNorth: return 0;
    case kSouth: return 1;
    case kEast: return 2;
    case kWest: return 3;
    default: return -1;
  }
}

int32_t DirectionFromIndex(int index) {
  static constexpr int32_t kCodes[4] = {kNorth, kSouth, kEast, kWest};
  return (index >= 0 && index < 4) ? kCodes[index] : 0;
}

int32_t OppositeDirection(int32_t direction) {
  switch (direction) {
    case kNorth: return kSouth;
    case kSouth: return kNorth;
    case kEast: return kWest;
    case kWest: return kEast;
    default: return 0;
  }
}

int32_t LeftOf(int32_t heading) {
  switch (heading) {
    case kNorth: return kWest;
    case kEast: return kNorth;
    case kSouth: return kEast;
    case kWest: return kSouth;
    default: return 0;
  }
}

int32_t RightOf(int32_t heading) {
  switch (heading) {
    case kNorth: return kEast;
    case kEast: return kSouth;
    case kSouth: return kWest;
    case kWest: return kNorth;
    default: return 0;
  }
}

// ---- Route table -----------------------------------------------------------------------

bool LoadRouteTable() {
  if (g_routeTried) return g_routeLoaded;
  g_routeTried = true;
  g_routeImage.fill(0);
  const std::string name(kRouteTableGameName);
  std::FILE* f = platform::OpenGameFile(kRouteTableGameName, "rb");
  if (f == nullptr) {
    ReportErrorF(1, "Cannot open the route table %s; vehicles will not find their way.", name.c_str());
    return false;
  }
  size_t got = std::fread(g_routeImage.data(), 1, kRouteTableSize, f);
  const bool longer = std::fgetc(f) != EOF;
  std::fclose(f);
  if (got != kRouteTableSize || longer) {
    g_routeImage.fill(0);
    ReportErrorF(1, "The route table %s is damaged (not %zu bytes); vehicles will not find their way.",
                 name.c_str(), kRouteTableSize);
    return false;
  }
  g_routeLoaded = true;
  return true;
}

void SetRouteTableImage(std::span<const uint8_t> image) {
  g_routeImage.fill(0);
  std::copy_n(image.begin(), std::min(image.size(), kRouteTableSize), g_routeImage.begin());
  g_routeTried = true;
  g_routeLoaded = image.size() == kRouteTableSize;
}

void ResetRouteTable() {
  g_routeImage.fill(0);
  g_routeTried = false;
  g_routeLoaded = false;
}

int GetRouteRating(int fromJunction, int headingIndex, int toJunction, int destIndex, int exitIndex) {
  LoadRouteTable();
  if (fromJunction < 0 || fromJunction >= kMaxJunctions || toJunction < 0 || toJunction >= kMaxJunctions ||
      headingIndex < 0 || headingIndex > 3 || destIndex < 0 || destIndex > 3 || exitIndex < 0 || exitIndex > 3)
    return 0;
  uint8_t byte = g_routeImage[RouteTableOffset(fromJunction, headingIndex, toJunction, destIndex)];
  return (byte >> (exitIndex * 2)) & 3;
}

int32_t GetRouteExit(int fromJunction, int32_t heading, int toJunction, int32_t destDirection, int mode) {
  LoadRouteTable();
  int h = DirectionIndex(heading);
  int d = DirectionIndex(destDirection);
  if (h < 0 || d < 0) return 0;
  int best[4] = {-1, -1, -1, -1};  // by rating
  for (int exit = 0; exit < 4; ++exit) {
    int rating = GetRouteRating(fromJunction, h, toJunction, d, exit);
    best[rating] = exit;  // a later exit of the same rating wins
  }
  int chosen = (mode == 1) ? best[3] : (best[2] >= 0 ? best[2] : best[1]);
  return chosen < 0 ? 0 : DirectionFromIndex(chosen);
}

int32_t GetTurnCode(int32_t heading, int32_t exit) {
  if (exit == 0) return kTurnNone;
  if (exit == heading) return kTurnStraight;
  if (exit == LeftOf(heading)) return kTurnLeft;
  if (exit == RightOf(heading)) return kTurnRight;
  return kTurnNone;
}

bool GetNextTurn(int32_t& turn, int node, int32_t heading, int destinationNode, int32_t destDirection, int mode) {
  const int first = g_RoadNodes.FirstJunction;
  int32_t exit = GetRouteExit(node - first, heading, destinationNode - first, destDirection, mode);
  turn = GetTurnCode(heading, exit);
  int side = DirectionIndex(heading);
  if (side < 0) return node == destinationNode;
  if (heading == kWest || !IsValidNode(node)) return false;
  int ahead = g_RoadNodes.Nodes[node].Neighbour[side];
  if (!IsValidNode(ahead)) return false;
  int second = g_RoadNodes.Nodes[ahead].Neighbour[side];
  return IsValidNode(second) && second == destinationNode;
}

int FindNodeCovering(int column1, int row1, int column2, int row2) {
  for (int i = 0; i < g_RoadNodes.NodeCount; ++i) {
    const RoadNode& n = g_RoadNodes.Nodes[i];
    auto covers = [&n](int c, int r) {
      return c >= n.Column && c < n.Column + n.Width && r >= n.Row && r < n.Row + n.Height;
    };
    if (covers(column1, row1) && covers(column2, row2)) return i;
  }
  return -1;
}

int FindNodeNearPoint(float x, float z) {
  for (int i = 0; i < g_RoadNodes.NodeCount; ++i) {
    const RoadNode& n = g_RoadNodes.Nodes[i];
    if (std::fabs(n.CentreX - x) <= n.SizeX && std::fabs(n.CentreZ - z) <= n.SizeZ) return i;
  }
  return kNoNode;
}

const RoadNode* NextJunctionFrom(int node, int32_t direction) {
  int side = DirectionIndex(direction);
  if (side < 0 || !IsValidNode(node)) return nullptr;
  // A well-formed graph has no cycle of roads; the bound guards a bad one.
  for (int steps = 0; steps < g_RoadNodes.NodeCount; ++steps) {
    int next = g_RoadNodes.Nodes[node].Neighbour[side];
    if (!IsValidNode(next)) return nullptr;
    if (g_RoadNodes.Nodes[next].IsJunction()) return &g_RoadNodes.Nodes[next];
    node = next;
  }
  return nullptr;
}

int BuildRouteList(int fromJunction, int32_t heading, int toJunction, int32_t destDirection,
                   std::span<int32_t> out) {
  size_t n = 0;
  int junction = fromJunction;
  int32_t h = heading;
  // At most one visit per (junction, heading) state; a loop ends the list.
  for (int step = 0; step < kMaxJunctions * 4 && IsValidJunction(junction); ++step) {
    int32_t exit = GetRouteExit(junction, h, toJunction, destDirection, 1);
    if (exit == 0 || n + 4 > out.size()) break;
    out[n++] = kTurnStraight;
    out[n++] = exit;
    const RoadNode* ahead = NextJunctionFrom(junction + g_RoadNodes.FirstJunction, h);
    if (ahead == nullptr) break;
    int next = ahead->Index - g_RoadNodes.FirstJunction;
    if (next == toJunction && exit == destDirection) break;
    junction = next;
    h = exit;
  }
  if (n + 2 <= out.size()) {
    out[n++] = kTurnStraight;
    out[n++] = kMoveEndOfRoute;
  }
  return static_cast<int>(n);
}

// ---- Block connectivity and paths ----------------------------------------------------

namespace {

// Blocks in line whose centres are one street apart.
bool AcrossOneStreet(const CBlock& a, const CBlock& b) {
  if (a.CentreX == b.CentreX) return std::fabs(a.CentreZ - b.CentreZ) <= a.SizeZ + 37.0f;
  if (a.CentreZ == b.CentreZ) return std::fabs(a.CentreX - b.CentreX) <= a.SizeX + 37.0f;
  return false;
}

}  // namespace

void BuildBlockConnectivity() {
  g_connected.fill(0);
  for (int i = 0; i < kBlockCount; ++i) {
    const CBlock& a = g_Blocks[i];
    if (!a.InUse) continue;
    for (int j = 0; j < kBlockCount; ++j) {
      const CBlock& b = g_Blocks[j];
      if (i == j || !b.InUse) continue;
      g_connected[i * kBlockCount + j] = AcrossOneStreet(a, b) ? 1 : 0;
    }
  }
  // The ferry between the strand and the docks.
  g_connected[30 * kBlockCount + 36] = 1;
  g_connected[36 * kBlockCount + 30] = 1;
}

bool IsBlockConnected(int from, int to) {
  if (from < 0 || from >= kBlockCount || to < 0 || to >= kBlockCount) return false;
  return g_connected[from * kBlockCount + to] != 0;
}

namespace {

struct GroundPoint {
  float x, z;
};

// The point midway across the gap between two linked blocks, where the
// people walking between them cross.
GroundPoint GapMiddle(const CBlock& a, const CBlock& b) {
  if (a.CentreX == b.CentreX) {
    const CBlock& south = a.CentreZ < b.CentreZ ? a : b;
    const CBlock& north = a.CentreZ < b.CentreZ ? b : a;
    return {a.CentreX, (south.CentreZ + south.SizeZ / 2 + north.CentreZ - north.SizeZ / 2) / 2};
  }
  if (a.CentreZ == b.CentreZ) {
    const CBlock& west = a.CentreX < b.CentreX ? a : b;
    const CBlock& east = a.CentreX < b.CentreX ? b : a;
    return {(west.CentreX + west.SizeX / 2 + east.CentreX - east.SizeX / 2) / 2, a.CentreZ};
  }
  return {(a.CentreX + b.CentreX) / 2, (a.CentreZ + b.CentreZ) / 2};
}

// Whether a street that is drawn (no hidden node) lies under the point.
bool DrawnStreetAt(GroundPoint p) {
  for (int32_t i = 0; i < g_RoadNodes.NodeCount && i < kMaxRoadNodes; ++i) {
    const RoadNode& n = g_RoadNodes.Nodes[size_t(i)];
    if ((n.Marks & 1) || n.SizeX <= 0 || n.SizeZ <= 0) continue;
    if (std::fabs(p.x - n.CentreX) <= n.SizeX / 2 && std::fabs(p.z - n.CentreZ) <= n.SizeZ / 2) return true;
  }
  return false;
}

}  // namespace

bool IsFootpathLink(int from, int to) {
  if (!IsBlockConnected(from, to)) return false;
  const CBlock& a = g_Blocks[size_t(from)];
  const CBlock& b = g_Blocks[size_t(to)];
  return !AcrossOneStreet(a, b) || !DrawnStreetAt(GapMiddle(a, b));
}

void SetBlockPathDepthLimit(int32_t limit) { g_subwayThreshold = limit; }
int32_t GetBlockPathDepthLimit() { return g_subwayThreshold; }

namespace {

// Hops from every block to the goal that avoid the blocks of the path so far
// (path[0..depth]); a large number when the goal cannot be reached.
constexpr int kNoHops = 1 << 20;

void HopsToGoalAvoidingPath(int goal, int depth, std::array<int, kBlockCount>& hops) {
  hops.fill(kNoHops);
  std::array<bool, kBlockCount> blocked{};
  for (int k = 0; k <= depth; ++k) blocked[g_path[k]] = true;
  std::array<int, kBlockCount> queue{};
  int head = 0, tail = 0;
  hops[goal] = 0;
  queue[tail++] = goal;
  while (head < tail) {
    const int at = queue[head++];
    for (int from = 0; from < kBlockCount; ++from) {
      if (blocked[from] || hops[from] != kNoHops || !g_connected[from * kBlockCount + at]) continue;
      hops[from] = hops[at] + 1;
      queue[tail++] = from;
    }
  }
}

// A branch records a path exactly when some simple way from its block to the
// goal, clear of the path so far, arrives within the depth limit; branches
// without one are left out, which changes no record (every machine finds the
// same paths) but spares walking every path up to a long limit.
bool SearchBlockPaths(int block, int goal, int depth) {
  BlockPathList& list = g_BlockPaths;
  if (depth >= list.DepthLimit) return false;
  ++list.SearchSteps;
  g_path[depth] = static_cast<uint8_t>(block);
  if (block == goal) return true;
  std::array<int, kBlockCount> hops;
  HopsToGoalAvoidingPath(goal, depth, hops);
  for (int i = 0; i < kBlockCount; ++i) {
    if (!g_connected[block * kBlockCount + i]) continue;
    if (depth + 1 + hops[i] >= list.DepthLimit) continue;  // cannot arrive in time
    if (std::find(g_path, g_path + depth, static_cast<uint8_t>(i)) != g_path + depth) continue;
    if (SearchBlockPaths(i, goal, depth + 1)) {
      if (list.PathCount >= kBlockPathMaxRecords) {
        list.Overflow = 1;
        return false;
      }
      BlockPathRecord& r = list.Records[list.PathCount];
      std::copy(g_path, g_path + depth + 2, r.Blocks);
      r.Length = depth;
      ++list.PathCount;
      if (depth < list.DepthLimit) list.DepthLimit = depth;
    } else if (list.Overflow) {
      return false;
    }
  }
  return false;
}

}  // namespace

bool FindBlockPaths(int startBlock, int goalBlock) {
  BlockPathList& list = g_BlockPaths;
  list.PathCount = 0;
  list.Overflow = 0;
  // The limit comes from a script; the path buffer holds 64 ids.
  list.DepthLimit = std::clamp(g_subwayThreshold, 0, kBlockPathMaxLength);
  list.SearchSteps = 0;
  if (startBlock < 0 || startBlock >= kBlockCount || goalBlock < 0 || goalBlock >= kBlockCount) return false;
  return SearchBlockPaths(startBlock, goalBlock, 0);
}
