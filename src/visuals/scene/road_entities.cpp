#include "visuals/scene/road_entities.h"

#include <cmath>
#include <deque>
#include <string>

#include "city/lane_network.h"
#include "city/blocks.h"
#include "city/road_topology.h"
#include "engine/scene/asset_table.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "visuals/scene/city_scene.h"
#include "visuals/scene/scene_mesh.h"

namespace {

constexpr float kRoadY = 0.05f;          // the surface lies just over the ground
constexpr float kPavementY = 0.12f;      // closed sides of junctions and dead ends
constexpr float kClosedSide = 2.5f;      // width of the pavement along a closed side
constexpr float kDeadEndCap = 5.0f;      // depth of the pavement closing a dead end
constexpr float kKerbWidth = 0.8f, kKerbHeight = 0.2f;
constexpr float kStreetWidth = 25.0f, kStreetLength = 82.0f;  // the streets that get kerbs
constexpr float kDepotOffsetZ = 41.0f;
// A footpath between blocks no street joins: two paved paths along the lines
// the people walk across, the blocks' pavements carried over (people walk
// 36 to 40 units out from a block's centre).
constexpr int32_t kPieceFootpath = -2;
constexpr float kFootpathInner = 33.0f, kFootpathOuter = 43.0f;
constexpr const char* kDepotModelFile = "gamedata2\\scaffolds\\parking_entrance.tm";

struct PieceModel {
  int32_t piece = -1;  // -1 the kerbs
  float width = 0, depth = 0;
  ModelLodSet set{};
};

struct RoadEntities {
  CEntityHouse roads;
  CEntityHouse depots;
  std::deque<PieceModel> models;  // entities point into it: never moved
  bool created = false;
};

RoadEntities& State() {
  static RoadEntities state;
  return state;
}

// The pavement along the closed sides of a piece (sides as direction bits).
void ClosedSides(SceneMeshBuilder& m, int32_t prim, float w, float d, int32_t closed) {
  const float x0 = -w / 2, x1 = w / 2, z0 = -d / 2, z1 = d / 2, s = kClosedSide;
  if (closed & kNorth) m.Ground(prim, x0, z1 - s, x1, z1, kPavementY, 10.0f);
  if (closed & kSouth) m.Ground(prim, x0, z0, x1, z0 + s, kPavementY, 10.0f);
  if (closed & kEast) m.Ground(prim, x1 - s, z0, x1, z1, kPavementY, 10.0f);
  if (closed & kWest) m.Ground(prim, x0, z0, x0 + s, z1, kPavementY, 10.0f);
}

// A piece's model in its own frame: width along x, depth along z, north +z.
int32_t BuildPiece(int32_t piece, float w, float d) {
  const PresentationTextures& t = PresentationTextureSlots();
  SceneMeshBuilder m;
  const int32_t pavement = m.Primitive(t.pavement);
  if (piece == kPieceFootpath) {
    m.Ground(pavement, -kFootpathOuter, -d / 2, -kFootpathInner, d / 2, kPavementY, 10.0f);
    m.Ground(pavement, kFootpathInner, -d / 2, kFootpathOuter, d / 2, kPavementY, 10.0f);
    return m.Build();
  }
  if (piece < 0) {  // kerb stones along both sides of a street
    const int32_t kerb = pavement;
    m.Box(kerb, kerb, -w / 2, -d / 2, -w / 2 + kKerbWidth, d / 2, kKerbHeight, 0);
    m.Box(kerb, kerb, w / 2 - kKerbWidth, -d / 2, w / 2, d / 2, kKerbHeight, 0);
    return m.Build();
  }
  if (piece >= kPieceDeadEnd && piece <= kPieceRoad) {
    const int32_t road = m.Primitive(t.roadA);
    m.Strip(road, -w / 2, -d / 2, w / 2, d / 2, kRoadY, false);
    if (piece == kPieceDeadEnd) m.Ground(pavement, -w / 2, -d / 2, w / 2, -d / 2 + kDeadEndCap, kPavementY, 10.0f);
    return m.Build();
  }
  const int32_t junction = m.Primitive(t.roadB);
  const Vec3 c[4] = {{-w / 2, kRoadY, -d / 2}, {w / 2, kRoadY, -d / 2}, {w / 2, kRoadY, d / 2}, {-w / 2, kRoadY, d / 2}};
  const TexCoord uv[4] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
  m.Face(junction, c, uv, {0, 1, 0});
  if (piece >= kPieceCorner)
    ClosedSides(m, pavement, w, d, kSouth | kEast);
  else if (piece >= kPieceTee)
    ClosedSides(m, pavement, w, d, kSouth);
  return m.Build();
}

ModelLodSet* PieceSet(int32_t piece, float w, float d) {
  for (PieceModel& p : State().models)
    if (p.piece == piece && p.width == w && p.depth == d) return p.set.handles[0] > 0 ? &p.set : nullptr;
  PieceModel& p = State().models.emplace_back();
  p.piece = piece, p.width = w, p.depth = d;
  const int32_t handle = BuildPiece(piece, w, d);
  if (handle <= 0) return nullptr;
  p.set.handles[0] = handle;
  p.set.count = 1;
  return &p.set;
}

ModelLodSet* DepotModel() {
  const std::vector<ModelFileEntry>& files = ShelfFiles(ModelShelf::Scaffolds);
  for (size_t k = 0; k < files.size(); ++k)
    if (files[k].file == kDepotModelFile) return ShelfModel(ModelShelf::Scaffolds, int32_t(k));
  return nullptr;
}

// The footpaths: one between each pair of blocks people walk between that
// no street parts, from one block's edge to the other's.
int32_t CountFootpaths() {
  int32_t n = 0;
  for (int32_t i = 0; i < kBlockCount; ++i)
    for (int32_t j = i + 1; j < kBlockCount; ++j) n += IsFootpathLink(i, j);
  return n;
}

void AddFootpaths(CEntityHouse& house) {
  for (int32_t i = 0; i < kBlockCount; ++i) {
    for (int32_t j = i + 1; j < kBlockCount; ++j) {
      if (!IsFootpathLink(i, j)) continue;
      const CBlock& a = g_Blocks[size_t(i)];
      const CBlock& b = g_Blocks[size_t(j)];
      const bool alongZ = a.CentreX == b.CentreX;
      const float gap = alongZ ? std::fabs(a.CentreZ - b.CentreZ) - (a.SizeZ + b.SizeZ) / 2
                               : std::fabs(a.CentreX - b.CentreX) - (a.SizeX + b.SizeX) / 2;
      if (gap <= 0) continue;
      const Vec3 at{(a.CentreX + b.CentreX) / 2, 0, (a.CentreZ + b.CentreZ) / 2};
      house.AddModel(PieceSet(kPieceFootpath, 2 * kFootpathOuter, gap), at, alongZ ? 0.0f : 90.0f, kEntityKindRoad,
                     -1, true);
    }
  }
}

}  // namespace

RoadPieceChoice ChooseRoadPiece(const RoadNode& n) {
  RoadPieceChoice c;
  c.angle = n.Angle;
  if (!n.IsJunction()) {
    switch (n.Kind) {
      case kRoadEastWest:
      case kRoadNorthSouth:
        c.piece = kPieceRoad;
        c.kerbs = true;
        break;
      case kRoadWideEastWest:
      case kRoadWideNorthSouth:
        c.piece = kPieceWideRoad;
        break;
      case kRoadDeadEndOpenSouth:
      case kRoadDeadEndOpenNorth:
      case kRoadDeadEndOpenWest:
      case kRoadDeadEndOpenEast:
        c.piece = kPieceDeadEnd;
        break;
      default:
        break;
    }
    return c;
  }
  int32_t base = -1;
  if (n.Kind == kJunction4x3) base = 0;
  if (n.Kind == kJunction4x4 || n.Kind == kJunction6x3) base = 1;
  if (n.Kind == kJunction6x4) base = 2;
  if (base < 0) return c;
  c.piece = base;
  switch (n.Links & 15) {
    case kNorth | kEast: c.piece = base + kPieceCorner, c.angle = 270; break;
    case kEast | kSouth: c.piece = base + kPieceCorner, c.angle = 180; break;
    case kNorth | kWest: c.piece = base + kPieceCorner, c.angle = 0; break;
    case kSouth | kWest: c.piece = base + kPieceCorner, c.angle = 90; break;
    case kNorth | kEast | kSouth: c.piece = base + kPieceTee, c.angle = 270; break;
    case kNorth | kEast | kWest: c.piece = base + kPieceTee, c.angle = 0; break;
    case kNorth | kSouth | kWest: c.piece = base + kPieceTee, c.angle = 90; break;
    case kEast | kSouth | kWest: c.piece = base + kPieceTee, c.angle = 180; break;
    default: break;
  }
  return c;
}

void CreateRoadNodeEntities() {
  RoadEntities& s = State();
  s.roads.Release();
  s.depots.Release();
  const int32_t nodes = std::min<int32_t>(g_RoadNodes.NodeCount, kMaxRoadNodes);
  s.roads.Allocate(2 * std::max(nodes, 1) + CountFootpaths());
  for (int32_t i = 0; i < nodes; ++i) {
    const RoadNode& n = g_RoadNodes.Nodes[size_t(i)];
    const RoadPieceChoice c = ChooseRoadPiece(n);
    if (c.piece < 0 || n.SizeX <= 0 || n.SizeZ <= 0) continue;
    // The piece is made in its own frame; a quarter turn swaps the sides.
    const bool across = std::fmod(std::fabs(c.angle), 180.0f) == 90.0f;
    const float w = across ? n.SizeZ : n.SizeX, d = across ? n.SizeX : n.SizeZ;
    const bool visible = !(n.Marks & 1);
    const int16_t kind = n.IsJunction() ? kEntityKindJunction : kEntityKindRoad;
    const Vec3 at{n.CentreX, 0, n.CentreZ};
    s.roads.AddModel(PieceSet(c.piece, w, d), at, c.angle, kind, i, visible);
    if (c.kerbs) s.roads.AddModel(PieceSet(-1, kStreetWidth, kStreetLength), at, c.angle, kind, i, visible);
  }
  AddFootpaths(s.roads);
  s.depots.Allocate(kMaxDepots);
  ModelLodSet* depot = DepotModel();
  for (int32_t i = 0; i < g_Lanes.DepotCount && i < kMaxDepots; ++i) {
    const int32_t block = g_Lanes.Depots[size_t(i)].Block;
    if (block < 0 || block >= kBlockCount) continue;
    const CBlock& b = g_Blocks[size_t(block)];
    s.depots.AddModel(depot, {b.CentreX, 0, b.CentreZ + kDepotOffsetZ}, 180, kEntityKindDepot, i, true);
  }
  s.created = true;
}

bool RoadEntitiesCreated() { return State().created; }
CEntityHouse& RoadNodeEntities() { return State().roads; }
CEntityHouse& DepotEntities() { return State().depots; }

int32_t DrawRoadEntities(const Mat43& view) {
  return State().roads.DrawAll(view) + State().depots.DrawAll(view);
}

void ReleaseRoadEntities() {
  RoadEntities& s = State();
  s.roads.Release();
  s.depots.Release();
  for (PieceModel& p : s.models)
    if (p.set.handles[0] > 0) ModSysDeleteModel(p.set.handles[0]);
  s.models.clear();
  s.created = false;
}
