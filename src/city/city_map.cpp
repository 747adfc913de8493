#include "city/city_map.h"

#include "city/animated_scenery.h"

#include <cstring>

#include "city/blocks.h"
#include "city/economy.h"
#include "city/lane_network.h"
#include "city/random_block.h"
#include "city/traffic.h"
#include "city/road_topology.h"
#include "engine/core/error.h"
#include "engine/core/random_stream.h"

StreetLightTable g_StreetLights;

CRandomStream& StreetLightRandom() {
  static CRandomStream stream;
  return stream;
}

void RegisterCityRandomStreams() {
  StreetLightRandom();
  RegisterEconomyRandomStreams();
  VehicleRandom();
  SceneryRandom();
  BlockGeneratorRandom();
}

namespace {

constexpr uint32_t kStreetLightSeed = 23423423;
// Where node 0 goes, and the shift applied to the whole city once it is built.
constexpr float kOriginLeftX = -278.0f;
constexpr float kOriginTopZ = 330.0f;
constexpr float kShiftX = -191.0f;
constexpr float kShiftZ = 110.5f;

// The map being read, as fixed rows of 113 bytes (zero beyond each line).
struct MapGrid {
  char cells[kCityMapRows][kCityMapRowBytes] = {};

  explicit MapGrid(std::span<const std::string_view> rows) {
    for (size_t r = 0; r < rows.size() && r < kCityMapRows; ++r) {
      size_t n = std::min(rows[r].size(), static_cast<size_t>(kCityMapRowBytes - 1));
      std::memcpy(cells[r], rows[r].data(), n);
    }
  }
  char At(int row, int col) const {
    if (row < 0 || row >= kCityMapRows || col < 0 || col >= kCityMapRowBytes) return 0;
    return cells[row][col];
  }
  bool Starts(int row, int col, char c) const {
    return At(row, col) == c && At(row - 1, col) != c && At(row, col - 1) != c;
  }
  int RunRight(int row, int col, char c) const {
    int n = 0;
    while (At(row, col + n) == c) ++n;
    return n;
  }
  int RunDown(int row, int col, char c) const {
    int n = 0;
    while (At(row + n, col) == c) ++n;
    return n;
  }
  // Whether `mark` occurs on a row from a column up to the first blank.
  bool HasMark(int row, int col, char mark) const {
    for (int c = col; c < kCityMapRowBytes; ++c) {
      char ch = At(row, c);
      if (ch == ' ' || ch == 0) return false;
      if (ch == mark) return true;
    }
    return false;
  }
};

struct KindShape {
  int width, height;
  int32_t kind;
  float sizeX, sizeZ, angle;
};

constexpr KindShape kRoadShapes[] = {
    {7, 3, kRoadEastWest, 82, 25, 90},     {4, 5, kRoadNorthSouth, 25, 82, 0},
    {7, 4, kRoadWideEastWest, 82, 37, 90}, {6, 5, kRoadWideNorthSouth, 37, 82, 0},
    {2, 5, kRoadNarrowNorthSouth, 12, 82, 0},
};
constexpr KindShape kJunctionShapes[] = {
    {4, 3, kJunction4x3, 25, 25, 0}, {4, 4, kJunction4x4, 25, 37, 0}, {6, 3, kJunction6x3, 37, 25, 90},
    {6, 4, kJunction6x4, 37, 37, 0}, {2, 3, kJunction2x3, 12, 25, 0},
};

template <size_t N>
void ApplyShape(RoadNode& n, const KindShape (&shapes)[N]) {
  n.Kind = kNodeUnknown;
  n.SizeX = n.SizeZ = n.Angle = 0;
  for (const KindShape& s : shapes) {
    if (s.width == n.Width && s.height == n.Height) {
      n.Kind = s.kind;
      n.SizeX = s.sizeX;
      n.SizeZ = s.sizeZ;
      n.Angle = s.angle;
    }
  }
}

bool AddNode(int row, int col, int width, int height) {
  RoadNodeTable& t = g_RoadNodes;
  if (t.NodeCount >= kMaxRoadNodes) {
    ReportErrorF(1, "City map has more than %d road nodes", kMaxRoadNodes);
    return false;
  }
  RoadNode& n = t.Nodes[t.NodeCount];
  n = RoadNode{};
  n.Index = static_cast<uint8_t>(t.NodeCount);
  n.Column = static_cast<uint8_t>(col);
  n.Row = static_cast<uint8_t>(row);
  n.Width = static_cast<uint8_t>(std::min(width, 255));
  n.Height = static_cast<uint8_t>(std::min(height, 255));
  ++t.NodeCount;
  return true;
}

bool ScanRoads(const MapGrid& map) {
  for (int row = 1; row < kCityMapRows; ++row) {
    for (int col = 1; col < kCityMapRowBytes; ++col) {
      if (!map.Starts(row, col, '.')) continue;
      if (!AddNode(row, col, map.RunRight(row, col, '.'), map.RunDown(row, col, '.'))) return false;
      RoadNode& n = g_RoadNodes.Nodes[g_RoadNodes.NodeCount - 1];
      ApplyShape(n, kRoadShapes);
      if (map.HasMark(row + 1, col + 1, 'H')) n.Marks |= 1;
    }
  }
  return true;
}

bool ScanJunctions(const MapGrid& map) {
  for (int row = 1; row < kCityMapRows; ++row) {
    for (int col = 1; col < kCityMapRowBytes; ++col) {
      if (!map.Starts(row, col, '+')) continue;
      int height = 3;
      while (map.At(row + height, col) == '+') ++height;
      if (!AddNode(row, col, map.RunRight(row, col, '+'), height)) return false;
      RoadNode& n = g_RoadNodes.Nodes[g_RoadNodes.NodeCount - 1];
      ApplyShape(n, kJunctionShapes);
      if (map.At(row + 1, col + 1) == 'H') n.Marks |= 1;
    }
  }
  return true;
}

// The cells just outside one side of a node.
void OutsideCells(const RoadNode& n, int side, int cells[4]) {
  int c1 = n.Column, r1 = n.Row, c2 = n.Column + n.Width - 1, r2 = n.Row + n.Height - 1;
  switch (side) {
    case kSideNorth: cells[0] = c1, cells[1] = r1 - 1, cells[2] = c2, cells[3] = r1 - 1; break;
    case kSideEast: cells[0] = c2 + 1, cells[1] = r1, cells[2] = c2 + 1, cells[3] = r2; break;
    case kSideSouth: cells[0] = c1, cells[1] = r2 + 1, cells[2] = c2, cells[3] = r2 + 1; break;
    default: cells[0] = c1 - 1, cells[1] = r1, cells[2] = c1 - 1, cells[3] = r2; break;
  }
}

int OppositeSide(int side) {
  switch (side) {
    case kSideNorth: return kSideSouth;
    case kSideSouth: return kSideNorth;
    case kSideEast: return kSideWest;
    default: return kSideEast;
  }
}

}  // namespace

void PlaceNodes(int index) {
  static constexpr int kOrder[4] = {kSideNorth, kSideEast, kSideSouth, kSideWest};
  RoadNode& n = g_RoadNodes.Nodes[index];
  for (int side : kOrder) {
    if (n.Neighbour[side] != kNoNode) continue;
    int cells[4];
    OutsideCells(n, side, cells);
    int other = FindNodeCovering(cells[0], cells[1], cells[2], cells[3]);
    if (other < 0 || other == index) continue;
    RoadNode& o = g_RoadNodes.Nodes[other];
    int back = OppositeSide(side);
    n.Neighbour[side] = static_cast<uint8_t>(other);
    o.Neighbour[back] = static_cast<uint8_t>(index);
    n.Links |= DirectionFromIndex(side);
    o.Links |= DirectionFromIndex(back);
    o.CentreX = n.CentreX;
    o.CentreZ = n.CentreZ;
    switch (side) {
      case kSideNorth: o.CentreZ = n.CentreZ + (n.SizeZ + o.SizeZ) / 2; break;
      case kSideSouth: o.CentreZ = n.CentreZ - (n.SizeZ + o.SizeZ) / 2; break;
      case kSideEast: o.CentreX = n.CentreX + (n.SizeX + o.SizeX) / 2; break;
      default: o.CentreX = n.CentreX - (n.SizeX + o.SizeX) / 2; break;
    }
    PlaceNodes(other);
  }
  if (n.Kind == kRoadEastWest && n.Links == kEast) {
    n.Kind = kRoadDeadEndOpenEast;
    n.Angle = 270;
  } else if (n.Kind == kRoadEastWest && n.Links == kWest) {
    n.Kind = kRoadDeadEndOpenWest;
    n.Angle = 90;
  } else if (n.Kind == kRoadNorthSouth && n.Links == kNorth) {
    n.Kind = kRoadDeadEndOpenNorth;
    n.Angle = 0;
  } else if (n.Kind == kRoadNorthSouth && n.Links == kSouth) {
    n.Kind = kRoadDeadEndOpenSouth;
    n.Angle = 180;
  }
}

namespace {

void ResetStreetsTables() {
  g_RoadNodes = RoadNodeTable{};
  g_StreetLights.Count = 0;
  ResetLaneNetwork();
}

bool BuildNodes(const MapGrid& map) {
  if (!ScanRoads(map)) return false;
  g_RoadNodes.FirstJunction = g_RoadNodes.NodeCount;
  if (!ScanJunctions(map)) return false;
  g_RoadNodes.JunctionCount = g_RoadNodes.NodeCount - g_RoadNodes.FirstJunction;
  if (g_RoadNodes.JunctionCount > kMaxJunctions) {
    ReportErrorF(1, "City map has %d junctions; the route table holds %d", g_RoadNodes.JunctionCount,
                 kMaxJunctions);
    return false;
  }
  if (g_RoadNodes.NodeCount == 0) return true;
  RoadNode& first = g_RoadNodes.Nodes[0];
  first.CentreX = first.SizeX / 2 + kOriginLeftX;
  first.CentreZ = kOriginTopZ - first.SizeZ / 2;
  PlaceNodes(0);
  for (int i = 0; i < g_RoadNodes.NodeCount; ++i) {
    const RoadNode& n = g_RoadNodes.Nodes[i];
    g_RoadNodes.ColumnLeftX[n.Column] = n.CentreX - n.SizeX / 2;
    g_RoadNodes.RowTopZ[n.Row] = n.CentreZ + n.SizeZ / 2;
  }
  return true;
}

int32_t ReadAccess(const MapGrid& map, int row, int col) {
  int32_t access = 0;
  if (map.HasMark(row, col, 'N')) access |= kAccessNorth;
  if (map.HasMark(row, col, 'E')) access |= kAccessEast;
  if (map.HasMark(row, col, 'S')) access |= kAccessSouth;
  if (map.HasMark(row, col, 'W')) access |= kAccessWest;
  return access;
}

bool PlaceBlock(const MapGrid& map, int row, int col) {
  int width = map.RunRight(row, col, '*');
  int height = map.RunDown(row, col, '*');
  char d1 = map.At(row + 1, col + 1), d2 = map.At(row + 1, col + 2);
  int id = (d1 >= '0' && d1 <= '9' && d2 >= '0' && d2 <= '9') ? (d1 - '0') * 10 + (d2 - '0') : -1;
  if (id < 0 || id >= kBlockCount || g_Blocks[id].InUse) {
    ReportErrorF(1, "City map: block at row %d column %d has a bad or repeated id", row, col);
    return false;
  }
  if (col + width >= kMapColumns || row + height >= kMapRows) {
    ReportErrorF(1, "City map: block %d runs off the map", id);
    return false;
  }
  CBlock& b = g_Blocks[id];
  b.InUse = 1;
  b.MapMarks = (map.HasMark(row + 2, col + 1, 'H') ? kMarkHidden : 0) | (map.HasMark(row + 2, col + 1, 'I') ? kMarkI : 0);
  b.DefIndex = id;
  b.DistrictColour = g_Districts[g_BlockDefs[id].District % kDistrictCount].ColourWord();
  const RoadNodeTable& t = g_RoadNodes;
  b.SizeX = t.ColumnLeftX[col + width] - t.ColumnLeftX[col];
  b.SizeZ = t.RowTopZ[row] - t.RowTopZ[row + height];
  b.CentreX = t.ColumnLeftX[col] + b.SizeX / 2;
  b.CentreZ = t.RowTopZ[row] - b.SizeZ / 2;
  b.MinX = b.CentreX - b.SizeX / 2;
  b.MinZ = b.CentreZ - b.SizeZ / 2;
  b.Access = ReadAccess(map, row + 3, col + 1);
  return true;
}

bool BuildBlocks(const MapGrid& map) {
  ClearCity();
  for (CBlock& b : g_Blocks) {
    b.InUse = 0;
    b.MapMarks = kMarkHidden;
    b.Access = 0;
    b.SizeX = b.SizeZ = b.MinX = b.MinZ = b.CentreX = b.CentreZ = 0;
    b.DistrictColour = 0xFFFFFFFFu;
    b.Reserved = -1;
    std::fill(std::begin(b.SideNode), std::end(b.SideNode), kNoNode);
    std::fill(std::begin(b.SideLane), std::end(b.SideLane), -1);
  }
  for (int row = 1; row < kCityMapRows; ++row) {
    for (int col = 1; col < kCityMapRowBytes; ++col) {
      if (map.Starts(row, col, '*') && !PlaceBlock(map, row, col)) return false;
    }
  }
  return true;
}

void FindBlockSideNodes() {
  for (CBlock& b : g_Blocks) {
    if (!b.InUse) continue;
    b.SideNode[kSideNorth] = static_cast<uint8_t>(FindNodeNearPoint(b.CentreX, b.MinZ + b.SizeX));
    b.SideNode[kSideSouth] = static_cast<uint8_t>(FindNodeNearPoint(b.CentreX, b.MinZ));
    b.SideNode[kSideEast] = static_cast<uint8_t>(FindNodeNearPoint(b.MinX + b.SizeX, b.MinZ + b.SizeX / 2));
    b.SideNode[kSideWest] = static_cast<uint8_t>(FindNodeNearPoint(b.MinX, b.MinZ + b.SizeX / 2));
  }
  for (const CBlock& b : g_Blocks) {
    if (!b.InUse) continue;
    for (int side = 0; side < 4; ++side) {
      if (b.SideNode[side] == kNoNode) continue;
      g_RoadNodes.Nodes[b.SideNode[side]].SideBlock[OppositeSide(side)] = static_cast<uint8_t>(b.Index);
    }
  }
}

void ShiftCity() {
  for (int i = 0; i < g_RoadNodes.NodeCount; ++i) {
    g_RoadNodes.Nodes[i].CentreX += kShiftX;
    g_RoadNodes.Nodes[i].CentreZ += kShiftZ;
  }
  for (CBlock& b : g_Blocks) {
    b.CentreX += kShiftX;
    b.MinX += kShiftX;
    b.CentreZ += kShiftZ;
    b.MinZ += kShiftZ;
  }
}

struct LightSlot {
  int32_t access;
  float lampX, lampZ, baseX, baseZ, angle;
};

constexpr LightSlot kLightSlots[8] = {
    {kAccessNorth, -16, 38, -16, 41, 270}, {kAccessNorth, 16, 38, 16, 41, 270},
    {kAccessEast, 38, 16, 41, 16, 180},    {kAccessEast, 38, -16, 41, -16, 180},
    {kAccessSouth, 16, -38, 16, -41, 90},  {kAccessSouth, -16, -38, -16, -41, 90},
    {kAccessWest, -38, -16, -41, -16, 0},  {kAccessWest, -38, 16, -41, 16, 0},
};

bool PlaceStreetLights() {
  CRandomStream& random = StreetLightRandom();
  random.SetState(kStreetLightSeed);
  g_StreetLights.Count = 0;
  for (const CBlock& b : g_Blocks) {
    if (!b.InUse) continue;
    for (const LightSlot& slot : kLightSlots) {
      if (!(b.Access & slot.access)) continue;
      if (g_StreetLights.Count >= kMaxStreetLights) {
        ReportErrorF(1, "City map has more than %d street lights", kMaxStreetLights);
        return false;
      }
      StreetLight& l = g_StreetLights.Lights[g_StreetLights.Count++];
      l = StreetLight{};
      l.LampX = b.CentreX + slot.lampX;
      l.LampY = 17.0f;
      l.LampZ = b.CentreZ + slot.lampZ;
      l.BaseX = b.CentreX + slot.baseX;
      l.BaseY = 0.0f;
      l.BaseZ = b.CentreZ + slot.baseZ;
      l.LightSize = 8.5f;
      l.Angle = slot.angle;
      l.Delay = static_cast<int32_t>(random.Rand() % 257);
      l.On = 0;
    }
  }
  return true;
}

}  // namespace

bool BuildCityFromMapRows(std::span<const std::string_view> rows) {
  MapGrid map(rows);
  ResetStreetsTables();
  bool ok = BuildNodes(map) && BuildBlocks(map);
  if (ok) {
    FindBlockSideNodes();
    ShiftCity();
    BuildBlockConnectivity();
    ok = PlaceStreetLights();
  }
  if (ok) {
    LoadRouteTable();
    ok = BuildLaneNetwork();
  }
  if (!ok) {
    // An over-full or broken map leaves no half-built streets behind.
    ResetStreetsTables();
    ClearCity();
    for (CBlock& b : g_Blocks) b.InUse = 0;
    BuildBlockConnectivity();
  }
  return ok;
}

bool BuildCityFromMap() { return BuildCityFromMapRows(kCityMap); }
