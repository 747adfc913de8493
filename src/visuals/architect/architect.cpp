#include "visuals/architect/architect.h"

#include <algorithm>
#include <cmath>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/prestige_textures.h"
#include "engine/core/random_stream.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "visuals/architect/architect_tables.h"
#include "visuals/scene/night_windows.h"
#include "visuals/architect/outline_geometry.h"

namespace {

constexpr float kDoorHeight = 6.0f;
constexpr int32_t kLastLot = 6;
constexpr int32_t kMaxSearchResults = 20;
constexpr size_t kMaxPartVertices = 0xFFF0;

enum Part { kWalls = 0, kRoofs = 1, kLedges = 2, kNightWindows = 3 };
// The lit windows stand just off their wall, clear of its depth.
constexpr float kNightWindowLift = 0.12f;

// A design's plan point in world units from its street front.
void DesignToFrame(const LibraryPoint& p, float& u, float& v) {
  u = p.x * kLotSize;
  v = (7.0f - p.z) * kLotSize;
}

Vec3 Placed(const DesignFrame& f, const LibraryPoint& p, float y) {
  float u, v, x, z;
  DesignToFrame(p, u, v);
  f.Map(u, v, x, z);
  return {x, y, z};
}

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

uint16_t AddVertex(MeshPart& m, const Vec3& p, TexCoord t, TexCoord t2) {
  m.positions.push_back(p);
  m.uv1.push_back(t);
  m.uv2.push_back(t2);
  return uint16_t(m.positions.size() - 1);
}

bool Room(const MeshPart& m, size_t vertices) { return m.positions.size() + vertices <= kMaxPartVertices; }

// A triangle facing `out` (its right-handed normal on the side of out).
void AddTriangle(MeshPart& m, int32_t prim, uint16_t a, uint16_t b, uint16_t c, const Vec3& out) {
  const Vec3 n = Cross(Sub(m.positions[b], m.positions[a]), Sub(m.positions[c], m.positions[a]));
  if (n.x * out.x + n.y * out.y + n.z * out.z < 0) std::swap(b, c);
  m.indices[size_t(prim)].insert(m.indices[size_t(prim)].end(), {a, b, c});
}

// Quad corners in order round the face (bottom a, bottom b, top b, top a).
void AddQuad(MeshPart& m, int32_t prim, const Vec3 (&p)[4], const TexCoord (&t)[4], const TexCoord (&t2)[4],
             const Vec3& out) {
  if (!Room(m, 4)) return;
  uint16_t i[4];
  for (int k = 0; k < 4; ++k) i[k] = AddVertex(m, p[k], t[k], t2[k]);
  AddTriangle(m, prim, i[0], i[1], i[2], out);
  AddTriangle(m, prim, i[0], i[2], i[3], out);
}

// Triangulates a plan loop into a flat cap at height y facing up, its
// texture repeated every 1 / uvScale lots from the loop's low corner: the
// renderers repeat a texture over coordinates from 0 up, not below 0.
void AddCap(MeshPart& m, int32_t prim, const std::vector<LibraryPoint>& outline, const DesignFrame& f, float y,
            float uvScale) {
  std::vector<OutlineTriangle> tris;
  std::vector<LibraryPoint> loop = outline;  // counter-clockwise, as the ear clipping wants
  if (OutlineArea2(loop) < 0) std::reverse(loop.begin(), loop.end());
  if (TriangulateOutline(loop, tris) == 0 || !Room(m, loop.size())) return;
  float x0 = loop[0].x, z0 = loop[0].z;
  for (const LibraryPoint& p : loop) x0 = std::min(x0, p.x), z0 = std::min(z0, p.z);
  // A vertex for every point the triangulation numbers: all but a closing
  // repeat, which it drops by the same rule.
  const bool closed = loop.size() >= 2 && NearlyEqual(loop.front().x, loop.back().x) &&
                      NearlyEqual(loop.front().z, loop.back().z);
  const size_t corners = loop.size() - (closed ? 1 : 0);
  const uint16_t first = uint16_t(m.positions.size());
  for (size_t i = 0; i < corners; ++i) {
    const Vec3 p = Placed(f, loop[i], y);
    AddVertex(m, p, {(loop[i].x - x0) * uvScale, (loop[i].z - z0) * uvScale}, {0, 0});
  }
  for (const OutlineTriangle& t : tris)
    AddTriangle(m, prim, uint16_t(first + t.a), uint16_t(first + t.b), uint16_t(first + t.c), {0, 1, 0});
}

// The material of a texture group: one of the set bits of the design's mask
// for it, varied by the wall set.
int32_t MaterialOf(const BuildingDescription& d, int32_t group, int32_t wallSet) {
  const uint8_t mask = group < 5 ? uint8_t(d.params[group] & 0x1F) : 0;
  int32_t bits[kMaterials], n = 0;
  for (int32_t m = 0; m < kMaterials; ++m)
    if (mask & (1 << m)) bits[n++] = m;
  return n == 0 ? 0 : bits[(wallSet + group) % n];
}

int32_t WallTexture(const BuildingDescription& d, uint8_t byte, const ArchitectTextureChoice& c) {
  const ArchitectTables& t = TheArchitectTables();
  if (c.plain) return t.plainWall;
  const WallSet& set = t.walls[size_t(c.wallSet)];
  const int32_t code = TextureByteIndex(byte);
  const int32_t group = TextureByteGroup(byte);
  const int32_t material = group == 0 && c.wallMaterial >= 0 ? c.wallMaterial : MaterialOf(d, group, c.wallSet);
  if (code >= kFacadeShopBlank && code <= kFacadeHouseWindow) {
    static constexpr int32_t kGround[6] = {0, 3, 1, 4, 2, 5};  // codes 8..13 to the ground row
    return set.ground[kGround[code - kFacadeShopBlank]];
  }
  if (code == kFacadeLedgeFirst || code == kFacadeLedgeFirst + 1) return c.storeyTexture;
  if (code >= kFacadeWindowsFirst && code < kFacadeShopBlank) return set.windows[material];
  return set.blank[material];
}

// The wall's quad again, lifted off it and wearing the night-window texture
// over the same window grid.
void AddNightWindows(ArchitectBuild& out, const Vec3 (&wall)[4], const TexCoord (&t)[4], const Vec3& out3) {
  const float n = std::hypot(out3.x, out3.z);
  if (n <= 0) return;
  const Vec3 lift{out3.x / n * kNightWindowLift, 0, out3.z / n * kNightWindowLift};
  MeshPart& m = out.parts[kNightWindows];
  const int32_t prim = m.Primitive(kNightWindowTextureNumber);
  Vec3 p[4];
  for (int k = 0; k < 4; ++k) p[k] = {wall[k].x + lift.x, wall[k].y, wall[k].z + lift.z};
  const TexCoord t2[4] = {};
  AddQuad(m, prim, p, t, t2, out3);
}

bool SameOutline(const DescriptionLayer& a, const DescriptionLayer& b) {
  if (a.points.size() != b.points.size()) return false;
  for (size_t i = 0; i < a.points.size(); ++i)
    if (!NearlyEqual(a.points[i].x, b.points[i].x) || !NearlyEqual(a.points[i].z, b.points[i].z)) return false;
  return true;
}

void AddWalls(ArchitectBuild& out, const BuildingDescription& d, size_t li, const DesignFrame& f,
              const ArchitectTextureChoice& c, uint32_t& state) {
  const DescriptionLayer& layer = d.layers[li];
  MeshPart& m = out.parts[kWalls];
  const float offset = float(DrawLcg(state) % 9) * 0.125f;
  const float y0 = layer.baseHeight * kLotSize, y1 = (layer.baseHeight + layer.totalHeight) * kLotSize;
  const float sense = OutlineArea2(layer.points) < 0 ? -1.0f : 1.0f;
  const float scale = float(std::max<uint8_t>(1, layer.textureScale));
  const float reps = float(std::max(1, layer.repetitions));
  const float v2 = float(li + 1) * 0.125f;
  for (size_t i = 0; i + 1 < layer.points.size(); ++i) {
    const LibraryPoint& a = layer.points[i];
    const LibraryPoint& b = layer.points[i + 1];
    const float length = std::hypot(b.x - a.x, b.z - a.z);
    if (length < kOutlineTolerance) continue;
    const uint8_t byte = i < layer.textures.size() ? layer.textures[i] : 0;
    const int32_t prim = m.Primitive(WallTexture(d, byte, c));
    // Outward in the plan, then into the site's frame.
    const LibraryPoint outPlan{a.x + (b.z - a.z) * sense, a.z - (b.x - a.x) * sense};
    const Vec3 pa = Placed(f, a, 0), po = Placed(f, outPlan, 0);
    const Vec3 out3{po.x - pa.x, 0, po.z - pa.z};
    const float u = length * scale;
    const Vec3 p[4] = {Placed(f, a, y0), Placed(f, b, y0), Placed(f, b, y1), Placed(f, a, y1)};
    const TexCoord t[4] = {{0, reps}, {u, reps}, {u, 0}, {0, 0}};
    const TexCoord t2[4] = {{offset, v2}, {u * 0.125f + offset, v2}, {u * 0.125f + offset, v2}, {offset, v2}};
    AddQuad(m, prim, p, t, t2, out3);
    const int32_t code = TextureByteIndex(byte);
    if (!c.plain && code >= kFacadeWindowsFirst && code < kFacadeShopBlank) AddNightWindows(out, p, t, out3);
  }
}

void AddLedge(ArchitectBuild& out, const DescriptionLayer& layer, const DesignFrame& f, int32_t texture) {
  MeshPart& m = out.parts[kLedges];
  const int32_t prim = m.Primitive(texture);
  const float top = (layer.baseHeight + layer.totalHeight) * kLotSize;
  const float low = top - layer.ledgeDrop * kLotSize;
  const std::vector<LibraryPoint> wide = OffsetOutline(layer.points, 0.1f * layer.ledgeWidth);
  for (size_t i = 0; i + 1 < layer.points.size() && i + 1 < wide.size(); ++i) {
    const Vec3 p[4] = {Placed(f, wide[i], low), Placed(f, wide[i + 1], low), Placed(f, layer.points[i + 1], top),
                       Placed(f, layer.points[i], top)};
    const Vec3 mid{(p[0].x + p[1].x) * 0.5f, 0, (p[0].z + p[1].z) * 0.5f};
    const Vec3 in{(p[2].x + p[3].x) * 0.5f, 0, (p[2].z + p[3].z) * 0.5f};
    const Vec3 outward{mid.x - in.x, 0.5f, mid.z - in.z};
    const TexCoord t[4] = {{0, 1}, {0.5f, 1}, {0.5f, 0}, {0, 0}};
    const TexCoord t2[4] = {};
    AddQuad(m, prim, p, t, t2, outward);
  }
  AddCap(m, prim, wide, f, top + 0.05f, 0.5f);
}

void AddDoors(ArchitectBuild& out, const BuildingDescription& d, const DesignFrame& f) {
  out.doorCount = 0;
  for (const DescriptionLayer& layer : d.layers) {
    for (size_t i = 0; i + 1 < layer.points.size() && i < layer.textures.size(); ++i) {
      const int32_t code = TextureByteIndex(layer.textures[i]);
      if (code != kFacadeShopDoor && code != kFacadeHouseDoor) continue;
      if (out.doorCount == kMaxBuildingDoors) return;
      const LibraryPoint mid{(layer.points[i].x + layer.points[i + 1].x) * 0.5f,
                             (layer.points[i].z + layer.points[i + 1].z) * 0.5f};
      out.doors[size_t(out.doorCount++)] = Placed(f, mid, kDoorHeight);
    }
  }
  if (out.doorCount > 0 || d.layers.empty() || d.layers[0].points.empty()) return;
  float x0 = 1e9f, x1 = -1e9f, z0 = 1e9f, z1 = -1e9f;
  for (const LibraryPoint& p : d.layers[0].points) {
    x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), z0 = std::min(z0, p.z), z1 = std::max(z1, p.z);
  }
  out.doors[0] = Placed(f, {(x0 + x1) * 0.5f, (z0 + z1) * 0.5f}, kDoorHeight);
  out.doorCount = 1;
}

void MeasureBounds(ArchitectBuild& out) {
  bool any = false;
  out.height = 0;
  for (size_t k = 0; k < out.parts.size(); ++k) {
    for (const Vec3& p : out.parts[k].positions) {
      if (!any) out.boxMin = out.boxMax = p, any = true;
      out.boxMin = {std::min(out.boxMin.x, p.x), std::min(out.boxMin.y, p.y), std::min(out.boxMin.z, p.z)};
      out.boxMax = {std::max(out.boxMax.x, p.x), std::max(out.boxMax.y, p.y), std::max(out.boxMax.z, p.z)};
      if (k == kWalls) out.height = std::max(out.height, p.y);
    }
  }
}

}  // namespace

int32_t MeshPart::Primitive(int32_t texture) {
  for (size_t i = 0; i < textures.size(); ++i)
    if (textures[i] == texture) return int32_t(i);
  textures.push_back(texture);
  indices.emplace_back();
  return int32_t(textures.size() - 1);
}

int32_t MeshPart::TriangleCount() const {
  size_t n = 0;
  for (const auto& list : indices) n += list.size();
  return int32_t(n / 3);
}

SiteTurn ChooseSiteTurn(int32_t x1, int32_t z1, int32_t x2, int32_t z2) {
  SiteTurn t;
  if (x1 == 0 && z1 == 0) t.corner |= 1;
  if (x2 == kLastLot && z1 == 0) t.corner |= 4;
  if (x1 == 0 && z2 == kLastLot) t.corner |= 2;
  if (x2 == kLastLot && z2 == kLastLot) t.corner |= 8;
  if (t.corner & 1) {
    t.rotation = 0;
  } else if (t.corner & 4) {
    t.rotation = 270, t.turned = true;
  } else if (t.corner & 2) {
    t.rotation = 90, t.turned = true;
  } else if (t.corner & 8) {
    t.rotation = 180;
  } else if (z1 != 0 && x1 != 0) {
    if (z2 == kLastLot) t.rotation = 180;
    else t.rotation = 270, t.swapped = true;
  } else if (z1 != 0) {
    t.rotation = 90, t.swapped = true;
  }
  return t;
}

DesignFrame MakeDesignFrame(int32_t x1, int32_t z1, int32_t x2, int32_t z2, const SiteTurn& turn,
                            bool designTurned) {
  DesignFrame f;
  f.rotation = turn.rotation;
  f.mirrored = turn.corner != 0 && designTurned != turn.turned;
  // Columns: the images of u and v (a, c) and (b, d). Unmirrored, the front
  // faces the rotation's street and a corner design's second street side
  // (u = 0) lies on the site's other street; mirrored, the two streets trade.
  struct M {
    int32_t a, b, c, d;
  };
  static constexpr M kProper[4] = {{1, 0, 0, 1}, {0, 1, -1, 0}, {-1, 0, 0, -1}, {0, -1, 1, 0}};
  static constexpr M kMirror[4] = {{0, 1, 1, 0}, {1, 0, 0, -1}, {0, -1, -1, 0}, {-1, 0, 0, 1}};
  const int32_t r = (turn.rotation / 90) & 3;
  const M m = f.mirrored ? kMirror[r] : kProper[r];
  f.a = m.a, f.b = m.b, f.c = m.c, f.d = m.d;
  if (f.mirrored) f.rotation = (turn.rotation + 270) % 360;
  // The design's plan rectangle fills the site; the frame is centred on it.
  const bool across = f.a == 0;  // u runs along z
  const float w = float(x2 - x1 + 1) * kLotSize, dz = float(z2 - z1 + 1) * kLotSize;
  const float du = across ? dz : w, dv = across ? w : dz;
  float minX = 1e9f, minZ = 1e9f;
  for (float u : {0.0f, du})
    for (float v : {0.0f, dv}) {
      float x, z;
      f.Map(u, v, x, z);
      minX = std::min(minX, x), minZ = std::min(minZ, z);
    }
  f.ox = -w * 0.5f - minX;
  f.oz = -dz * 0.5f - minZ;
  return f;
}

ArchitectTextureChoice ChooseArchitectTextures(uint32_t seed) {
  ArchitectTextureChoice c;
  uint32_t s = seed;
  c.wallSet = int32_t(DrawLcg(s) % kWallSets);
  c.roofSet = (DrawLcg(s) & 1) ? 1 : 0;
  c.storeyEntry = std::min<int32_t>(int32_t(seed % 720), kStoreyEntries - 1);
  c.storeyTexture = TheArchitectTables().storeys[size_t(c.storeyEntry)];
  return c;
}

int32_t PrestigeWallMaterial(float blockPrestige, uint32_t seed) {
  const int level = std::clamp(int(blockPrestige * float(kPrestigeLevelCount)), 0, kPrestigeLevelCount - 1);
  const PrestigeTextureList& list = PrestigeTextureLists()[size_t(level)];
  if (list.Count <= 0) return -1;
  const int32_t texture = list.Textures[size_t((seed >> 3) % uint32_t(list.Count))];
  // Texture bases of the ranking words: stone 0, brick 80, concrete 240,
  // timber 400, glass 560.
  static constexpr struct {
    int32_t base, material;
  } kBases[] = {{560, 4}, {400, 2}, {240, 3}, {80, 0}, {0, 1}};
  for (const auto& b : kBases)
    if (texture >= b.base) return b.material;
  return -1;
}

void BuildArchitectGeometry(BuildingDescription d, const DesignFrame& frame, const ArchitectTextureChoice& textures,
                            uint32_t seed, ArchitectBuild& out) {
  SimplifyOutlines(d);
  if (textures.plain)
    for (DescriptionLayer& layer : d.layers) layer.baseHeight = 0;
  for (MeshPart& p : out.parts) p = MeshPart{};
  const ArchitectTables& t = TheArchitectTables();
  const RoofSet& roof = t.roofs[size_t(textures.roofSet)];
  const int32_t capTexture = textures.plain ? t.plainRoof : roof.cap;
  const int32_t ledgeTexture = textures.plain ? t.plainRoof : roof.ledge;
  uint32_t state = seed;
  DrawLcg(state), DrawLcg(state);  // the two texture draws
  for (size_t li = 0; li < d.layers.size(); ++li) {
    const DescriptionLayer& layer = d.layers[li];
    if (layer.points.size() < 4) continue;  // not a closed loop of three points
    const bool walls = !(layer.flags & kLayerFlagFlat) && !(layer.style & kLayerStyleNoWalls);
    if (walls) AddWalls(out, d, li, frame, textures, state);
    const bool covered = li + 1 < d.layers.size() && SameOutline(layer, d.layers[li + 1]);
    if ((layer.style & kLayerStyleRoof) && !covered) {
      MeshPart& roofs = out.parts[kRoofs];
      const float top = (layer.baseHeight + (layer.flags & kLayerFlagFlat ? 0 : layer.totalHeight)) * kLotSize;
      AddCap(roofs, roofs.Primitive(capTexture), layer.points, frame, top, 0.2f);
    }
    if (layer.style & kLayerStyleLedge) AddLedge(out, layer, frame, ledgeTexture);
  }
  for (MeshPart& p : out.parts) {
    // Drop primitives that got no triangles (their quads found no room).
    for (size_t i = p.indices.size(); i-- > 0;)
      if (p.indices[i].empty()) {
        p.indices.erase(p.indices.begin() + std::ptrdiff_t(i));
        p.textures.erase(p.textures.begin() + std::ptrdiff_t(i));
      }
  }
  AddDoors(out, d, frame);
  MeasureBounds(out);
  out.description = std::move(d);
}

namespace {

// The library search for a building's site; false for a kind without designs.
bool SiteSearch(const CBuilding& b, const SiteTurn& turn, LibrarySearch& s) {
  s.width = b.X2 - b.X1 + 1;
  s.depth = b.Z2 - b.Z1 + 1;
  if (turn.swapped) std::swap(s.width, s.depth);
  s.cornerKind = turn.corner ? 1 : 2;
  switch (b.Kind) {
    case kKindResidential: s.floorClass = b.Floors, s.quality = b.Quality + 1, s.category = kCategoryResidential; break;
    case kKindRetail: s.floorClass = b.Floors, s.quality = b.Quality + 1, s.category = kCategoryRetail; break;
    case kKindLandscape: s.floorClass = 1, s.quality = 1, s.category = kCategoryLandscape; break;
    default: return false;
  }
  return true;
}

}  // namespace

int32_t CountFittingDesigns(const CBuilding& b) {
  const BuildingLibrary* library = TheBuildingLibrary();
  LibrarySearch s;
  if (library == nullptr || !SiteSearch(b, ChooseSiteTurn(b.X1, b.Z1, b.X2, b.Z2), s)) return 0;
  int32_t found[kMaxSearchResults];
  return std::max(0, SearchBuildingLibrary(library, s, found));
}

ArchitectResult BuildFile_Search(const CBuilding& b, ArchitectBuild& out) {
  const BuildingLibrary* library = TheBuildingLibrary();
  if (library == nullptr) return ArchitectResult::kNoLibrary;
  out.turn = ChooseSiteTurn(b.X1, b.Z1, b.X2, b.Z2);
  LibrarySearch s;
  if (!SiteSearch(b, out.turn, s)) return ArchitectResult::kNoDesign;
  int32_t found[kMaxSearchResults];
  const int32_t n = SearchBuildingLibrary(library, s, found);
  if (n < 0) return ArchitectResult::kBadSearch;
  if (n == 0) return ArchitectResult::kNoDesign;
  const uint32_t seed = uint32_t(b.ArchitectSeed);
  const int32_t pick = found[((seed >> 16) & 0x7FFF) % uint32_t(n)];
  const bool designTurned = (uint32_t(pick) & kLibraryTurnedMark) != 0;
  out.entry = int32_t(uint32_t(pick) & ~kLibraryTurnedMark);
  BuildingDescription d;
  if (!InstantiateLibraryBuilding(library, out.entry, d, b.Floors)) return ArchitectResult::kNoDesign;
  out.frame = MakeDesignFrame(b.X1, b.Z1, b.X2, b.Z2, out.turn, designTurned);
  const uint32_t seed16 = seed & 0xFFFF;
  out.textures = ChooseArchitectTextures(seed16);
  out.textures.plain = b.Kind == kKindLandscape;
  if (!out.textures.plain && b.Block) out.textures.wallMaterial = PrestigeWallMaterial(b.Block->Prestige, seed16);
  BuildArchitectGeometry(std::move(d), out.frame, out.textures, seed16, out);
  return ArchitectResult::kBuilt;
}

int32_t RegisterMeshPart(const MeshPart& part) {
  if (part.Empty() || TheModelSystem() == nullptr || part.positions.size() > kMaxPartVertices) return 0;
  for (const auto& list : part.indices)
    if (list.size() > size_t(kModelBuilderCapacity)) return 0;
  // Lit windows need the night-window texture; without it there are none.
  int32_t nightSlot = -1;
  if (std::find(part.textures.begin(), part.textures.end(), kNightWindowTextureNumber) != part.textures.end()) {
    if (TheTextureSystem()) nightSlot = TexSysFindNamedTexture(kNightWindowTexture);
    if (nightSlot < 0) return 0;
  }
  // Models run their z opposite to the city's: mirrored, with the winding turned.
  std::vector<Vec3> positions = part.positions;
  for (Vec3& p : positions) p.z = -p.z;
  const int32_t handle = ModSysCreateSelfBuiltModel(int32_t(part.textures.size()), int32_t(positions.size()),
                                                    positions.data(), part.uv1.data(), part.uv2.data());
  if (handle <= 0) return 0;
  for (size_t p = 0; p < part.textures.size(); ++p) {
    std::vector<uint16_t> indices = part.indices[p];
    for (size_t i = 0; i + 2 < indices.size(); i += 3) std::swap(indices[i + 1], indices[i + 2]);
    ModSysAddIndices(int32_t(indices.size()), indices.data());
    const int32_t number = part.textures[p];
    ModSysEndPrimitive(handle, int32_t(p), 0, number == kNightWindowTextureNumber ? uint16_t(nightSlot)
                                                                                 : ArchitectTextureSlot(number));
  }
  ModSysCalcBounds(handle);
  if (CRenderer* renderer = GetRenderer()) renderer->PrepareModel(handle);
  return handle;
}
