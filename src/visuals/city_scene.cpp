#include "visuals/city_scene.h"
#include "visuals/building_visuals.h"
#include "visuals/construction_draw.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/road_topology.h"
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/files/file_bytes.h"
#include "engine/files/texture_file.h"
#include "engine/render/renderer.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "visuals/city_movers.h"
#include "visuals/night_windows.h"
#include "visuals/shader_table.h"
#include "visuals/sky.h"

namespace {

constexpr float kCell = 20.0f;        // ground pieces are cut this small (flat texture mapping)
constexpr float kLandCell = 200.0f;   // the land beyond is coarser
constexpr float kLandExtent = 3000.0f;  // to the far plane: the fog makes the horizon
constexpr float kBayWidth = 16.0f;    // one facade texture across: four window bays
constexpr float kBandHeight = 40.0f;  // one facade texture up: four floors
constexpr float kWindowInset = 0.15f; // night windows sit just off the walls
constexpr float kBoardScale = 0.527f;
constexpr uint32_t kMaxBuilder = 0x3FF0;

PresentationTextures g_Textures;

// Faces in model space (z runs opposite to the world's), each with its own
// corners and texture coordinates, grouped in primitives by texture.
class MeshBuilder {
 public:
  int32_t Primitive(int32_t texture) {
    if (texture < 0) return -1;
    textures_.push_back(texture);
    indices_.emplace_back();
    return int32_t(textures_.size()) - 1;
  }
  // Corners in world coordinates; `out` is the face's outward direction.
  void Face(int32_t prim, const Vec3 (&w)[4], const TexCoord (&uv)[4], const Vec3& out) {
    if (prim < 0 || positions_.size() + 4 > 0xFFFF || indices_[size_t(prim)].size() + 6 > kMaxBuilder)
      return;
    const uint16_t first = uint16_t(positions_.size());
    Vec3 m[4];
    for (int i = 0; i < 4; ++i) {
      m[i] = {w[i].x, w[i].y, -w[i].z};
      positions_.push_back(m[i]);
      uvs_.push_back(uv[i]);
    }
    const Vec3 a{m[1].x - m[0].x, m[1].y - m[0].y, m[1].z - m[0].z};
    const Vec3 b{m[2].x - m[0].x, m[2].y - m[0].y, m[2].z - m[0].z};
    const Vec3 n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    const bool forward = n.x * out.x + n.y * out.y - n.z * out.z >= 0;
    uint16_t q[4] = {first, uint16_t(first + 1), uint16_t(first + 2), uint16_t(first + 3)};
    if (!forward) std::swap(q[1], q[3]);
    auto& list = indices_[size_t(prim)];
    list.insert(list.end(), {q[0], q[1], q[2], q[0], q[2], q[3]});
  }
  // A level rectangle cut into cells, its texture repeated every `repeat` units.
  void Ground(int32_t prim, float x0, float z0, float x1, float z1, float y, float repeat,
              float cell = kCell) {
    const int32_t nx = std::max(1, int32_t(std::ceil((x1 - x0) / cell)));
    const int32_t nz = std::max(1, int32_t(std::ceil((z1 - z0) / cell)));
    for (int32_t i = 0; i < nx; ++i)
      for (int32_t j = 0; j < nz; ++j) {
        const float ax = x0 + (x1 - x0) * float(i) / float(nx), bx = x0 + (x1 - x0) * float(i + 1) / float(nx);
        const float az = z0 + (z1 - z0) * float(j) / float(nz), bz = z0 + (z1 - z0) * float(j + 1) / float(nz);
        const Vec3 w[4] = {{ax, y, az}, {bx, y, az}, {bx, y, bz}, {ax, y, bz}};
        const TexCoord t[4] = {{ax / repeat, az / repeat}, {bx / repeat, az / repeat},
                               {bx / repeat, bz / repeat}, {ax / repeat, bz / repeat}};
        Face(prim, w, t, {0, 1, 0});
      }
  }
  // A rectangle with its texture stretched once, v along z (or along x when
  // `alongX`), cut along its length into roughly square pieces.
  void Strip(int32_t prim, float x0, float z0, float x1, float z1, float y, bool alongX) {
    const float length = alongX ? x1 - x0 : z1 - z0, width = alongX ? z1 - z0 : x1 - x0;
    const int32_t pieces = std::max(1, int32_t(std::lround(length / std::max(width, 1.0f))));
    for (int32_t k = 0; k < pieces; ++k) {
      const float f0 = float(k) / float(pieces), f1 = float(k + 1) / float(pieces);
      Vec3 w[4];
      if (alongX) {
        const float a = x0 + length * f0, b = x0 + length * f1;
        w[0] = {a, y, z0}, w[1] = {a, y, z1}, w[2] = {b, y, z1}, w[3] = {b, y, z0};
      } else {
        const float a = z0 + length * f0, b = z0 + length * f1;
        w[0] = {x0, y, a}, w[1] = {x1, y, a}, w[2] = {x1, y, b}, w[3] = {x0, y, b};
      }
      const TexCoord t[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
      Face(prim, w, t, {0, 1, 0});
    }
  }
  // The four walls and the roof of a box.
  void Box(int32_t walls, int32_t roof, float x0, float z0, float x1, float z1, float height,
           float inset) {
    x0 -= inset, z0 -= inset, x1 += inset, z1 += inset;
    const float v = height / kBandHeight;
    auto wall = [&](Vec3 a, Vec3 b, const Vec3& out) {
      const float u = std::max(1.0f, std::round(VecDistance(a, b) / kBayWidth));
      const Vec3 w[4] = {{a.x, 0, a.z}, {b.x, 0, b.z}, {b.x, height, b.z}, {a.x, height, a.z}};
      const TexCoord t[4] = {{0, v}, {u, v}, {u, 0}, {0, 0}};
      Face(walls, w, t, out);
    };
    wall({x0, 0, z0}, {x1, 0, z0}, {0, 0, -1});
    wall({x1, 0, z0}, {x1, 0, z1}, {1, 0, 0});
    wall({x1, 0, z1}, {x0, 0, z1}, {0, 0, 1});
    wall({x0, 0, z1}, {x0, 0, z0}, {-1, 0, 0});
    if (roof >= 0) {
      const Vec3 w[4] = {{x0, height, z0}, {x1, height, z0}, {x1, height, z1}, {x0, height, z1}};
      const TexCoord t[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
      Face(roof, w, t, {0, 1, 0});
    }
  }
  bool Empty() const { return positions_.empty(); }
  // Registers the model; 0 when there is nothing to draw.
  int32_t Build() {
    if (positions_.empty()) return 0;
    const int32_t handle = ModSysCreateSelfBuiltModel(int32_t(textures_.size()), int32_t(positions_.size()),
                                                      positions_.data(), uvs_.data(), nullptr);
    if (handle <= 0) return 0;
    for (size_t p = 0; p < textures_.size(); ++p) {
      ModSysAddIndices(int32_t(indices_[p].size()), indices_[p].data());
      ModSysEndPrimitive(handle, int32_t(p), 0, uint16_t(textures_[p]));
    }
    ModSysCalcBounds(handle);
    if (CRenderer* r = GetRenderer()) r->PrepareModel(handle);
    return handle;
  }

 private:
  std::vector<Vec3> positions_;
  std::vector<TexCoord> uvs_;
  std::vector<std::vector<uint16_t>> indices_;
  std::vector<int32_t> textures_;
};

struct SceneModel {
  ModelLodSet set{};
  CEntity entity;
  bool Ready() const { return set.handles[0] > 0; }
  void Take(int32_t handle) {
    Release();
    if (handle <= 0) return;
    set.handles[0] = handle;
    set.count = 1;
    entity.Reset();
    entity.SetModel(&set);
    entity.position = {0, 0, 0};
    entity.rotation = {0, 0, 0};
    entity.scale = {1, 1, 1};
    entity.flags |= kEntVisible | kEntRebuildMatrix;
  }
  void Release() {
    if (set.handles[0] > 0) ModSysDeleteModel(set.handles[0]);
    set = ModelLodSet{};
  }
  void Draw() {
    if (Ready()) entity.Draw(PublishedViewMatrix());
  }
};

struct BasicScene {
  SceneModel land, blocks, roads, board;
  SceneModel buildings[kBlockCount];
  SceneModel windows[kBlockCount];
  uint32_t signature = 0;
  bool ground = false;
  int32_t buildingCount = 0;
};

BasicScene& Scene() {
  static BasicScene scene;
  return scene;
}

// Changes whenever a building appears, goes or changes its box.
uint32_t BuildingSignature() {
  uint32_t s = 2166136261u;
  for (const CBuilding& b : g_Buildings) {
    if (!b.InUse || !b.Block) continue;
    const uint32_t words[4] = {uint32_t(b.Id), uint32_t(b.Status), uint32_t(b.Visual.Height * 16),
                               uint32_t(b.X1 | b.Z1 << 8 | b.X2 << 16 | b.Z2 << 24)};
    for (uint32_t w : words) s = (s ^ w) * 16777619u;
  }
  return s;
}

bool CityExists() {
  for (const CBlock& b : g_Blocks)
    if (b.InUse && b.SizeX > 0) return true;
  return false;
}

void BuildGround(BasicScene& s) {
  const PresentationTextures& t = g_Textures;
  MeshBuilder land;
  land.Ground(land.Primitive(t.grass), -kLandExtent, -kLandExtent, kLandExtent, kLandExtent, -0.1f, 24.0f,
              kLandCell);
  s.land.Take(land.Build());
  MeshBuilder blocks;
  const int32_t paving = blocks.Primitive(t.pavement);
  for (const CBlock& b : g_Blocks)
    if (b.InUse && b.SizeX > 0 && b.SizeZ > 0)
      blocks.Ground(paving, b.MinX, b.MinZ, b.MinX + b.SizeX, b.MinZ + b.SizeZ, 0.0f, 10.0f);
  s.blocks.Take(blocks.Build());
  MeshBuilder roads;
  const int32_t straight = roads.Primitive(t.roadA), junction = roads.Primitive(t.roadB);
  for (int32_t i = 0; i < g_RoadNodes.NodeCount && i < kMaxRoadNodes; ++i) {
    const RoadNode& n = g_RoadNodes.Nodes[size_t(i)];
    if (n.SizeX <= 0 || n.SizeZ <= 0) continue;
    const float x0 = n.CentreX - n.SizeX / 2, x1 = n.CentreX + n.SizeX / 2;
    const float z0 = n.CentreZ - n.SizeZ / 2, z1 = n.CentreZ + n.SizeZ / 2;
    if (n.IsJunction())
      roads.Strip(junction, x0, z0, x1, z1, 0.05f, false);
    else
      roads.Strip(straight, x0, z0, x1, z1, 0.05f, n.SizeX > n.SizeZ);
  }
  s.roads.Take(roads.Build());
  MeshBuilder board;
  // Built round the origin; the plan view scales it and moves it under the city.
  {
    const float x = 1200 / kBoardScale, z = 800 / kBoardScale, y = -4.0f / kBoardScale;
    const Vec3 w[4] = {{-x, y, -z}, {x, y, -z}, {x, y, z}, {-x, y, z}};
    const TexCoord uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    board.Face(board.Primitive(t.board), w, uv, {0, 1, 0});
  }
  s.board.Take(board.Build());
  s.ground = true;
}

void BuildBuildings(BasicScene& s) {
  const PresentationTextures& t = g_Textures;
  s.buildingCount = 0;
  for (int32_t k = 0; k < kBlockCount; ++k) {
    MeshBuilder walls, lights;
    const int32_t wall = walls.Primitive(t.facade), roof = walls.Primitive(t.roof);
    const int32_t lit = lights.Primitive(t.nightWindows);
    for (const CBuilding* b = g_Blocks[size_t(k)].FirstBuilding; b; b = b->Next) {
      const BuildingVisual& v = b->Visual;
      // The architect's buildings draw their own models.
      if (!b->InUse || v.Built || v.Height <= 0 || b->Status == kStatusDemolished) continue;
      const float x0 = b->CentreX + v.BoxMin[0], x1 = b->CentreX + v.BoxMax[0];
      const float z0 = b->CentreZ + v.BoxMin[2], z1 = b->CentreZ + v.BoxMax[2];
      walls.Box(wall, roof, x0, z0, x1, z1, v.Height, 0);
      lights.Box(lit, -1, x0, z0, x1, z1, v.Height, kWindowInset);
      ++s.buildingCount;
    }
    s.buildings[k].Take(walls.Build());
    s.windows[k].Take(lights.Build());
  }
}

void RefreshScene() {
  BasicScene& s = Scene();
  if (!s.ground) {
    if (!CityExists()) return;
    BuildGround(s);
  }
  const uint32_t signature = BuildingSignature();
  if (signature != s.signature) {
    s.signature = signature;
    BuildBuildings(s);
  }
}

void DrawCityModels(CRenderer& r, bool land, bool nightWindows) {
  BasicScene& s = Scene();
  r.EnableLighting();
  r.SetShader(kShaderNoBlend);
  if (land) s.land.Draw();
  s.blocks.Draw();
  s.roads.Draw();
  r.SetShader(kShaderModulate);
  for (SceneModel& m : s.buildings) m.Draw();
  DrawBuildingVisuals(PublishedViewMatrix());
  DrawConstructionJobs(PublishedViewMatrix());
  if (nightWindows) {
    // Lit windows glow at full strength whatever the light.
    r.SetShader(kShaderModulateAlphaTest);
    r.DisableLighting();
    for (SceneModel& m : s.windows) m.Draw();
    r.SetShader(kShaderModulate);
    r.EnableLighting();
  }
}

// A single texture file read straight into the texture system (the cache
// archive is the asset groups' and is open only while they load); -1 when
// the file is missing (what uses it is not drawn), and a warning as well when
// it is damaged.
int32_t LoadTextureFile(const std::string& name) {
  std::vector<uint8_t> bytes;
  TextureImage image;
  std::string reason;
  if (!ReadWholeGameFile(name, bytes, size_t{16} << 20)) return -1;
  if (!ParseTextureFile(bytes, image, reason)) {
    ReportErrorF(1, "The texture %s was not loaded (%s).", name.c_str(), reason.c_str());
    return -1;
  }
  auto* texture = static_cast<CTexture*>(MEM_STATIC_ALLOC(sizeof(CTexture)));
  auto* pixels = static_cast<uint32_t*>(MEM_ALLOC(image.texels.size()));
  if (!texture || !pixels) return -1;
  std::memset(static_cast<void*>(texture), 0, sizeof *texture);
  std::memcpy(pixels, image.texels.data(), image.texels.size());
  texture->flags = image.flags;
  texture->width = image.width;
  texture->height = image.height;
  texture->uSize = float(image.width);
  texture->vSize = float(image.height);
  texture->pixels = pixels;
  TexClassifyAlpha(texture);
  TexAdjustColours(texture);
  return TexSysAddTexture(texture, (image.flags & kTexFlagOwnPage) ? kSlotValueOwnPage : 0);
}

struct TextureFile {
  int32_t PresentationTextures::*slot;
  const char* name;
};
constexpr TextureFile kTextureFiles[] = {
    {&PresentationTextures::grass, "grass"},       {&PresentationTextures::pavement, "pavement"},
    {&PresentationTextures::facade, "facade"},     {&PresentationTextures::roof, "roof"},
    {&PresentationTextures::nightWindows, "nightwindows"},
    {&PresentationTextures::roadA, "road_a"},      {&PresentationTextures::roadB, "road_b"},
    {&PresentationTextures::cloud1, "cloud1"},     {&PresentationTextures::cloud2, "cloud2"},
    {&PresentationTextures::sun, "sun"},           {&PresentationTextures::moon, "moon"},
    {&PresentationTextures::star, "star"},         {&PresentationTextures::board, "board"},
};

}  // namespace

const PresentationTextures& PresentationTextureSlots() { return g_Textures; }

void LoadPresentationTextures() {
  PresentationTextures& t = g_Textures;
  for (const TextureFile& f : kTextureFiles)
    t.*f.slot = LoadTextureFile(std::string("gamedata2\\presentation\\") + f.name + ".tex");
  if (t.nightWindows >= 0) TexSysSetNamedTexture(kNightWindowTexture, t.nightWindows);
  SetSkyTextures(t.cloud1, t.cloud2, t.sun, t.moon, t.star);
}

void DrawBasicCityScene(CRenderer& r) {
  RefreshScene();
  DrawSky(r);
  DrawSunAndMoon(r);
  DrawCityModels(r, true, Sky().brightness < 150);
  DrawCityMovers(r);  // assets: traffic, people and scenery with their models
  r.SetShader(-1);
}

void RefreshBasicScene() { RefreshScene(); }

void DrawBasicGround(bool land) {
  BasicScene& s = Scene();
  if (land) s.land.Draw();
  s.blocks.Draw();
  s.roads.Draw();
}

void DrawBasicBuildings() {
  for (SceneModel& m : Scene().buildings) m.Draw();
}

void DrawBasicWindows(int32_t block) {
  if (block >= 0 && block < kBlockCount) Scene().windows[block].Draw();
}

void DrawPlanBoard() {
  BasicScene& s = Scene();
  if (s.board.Ready()) {
    CEntity& e = s.board.entity;
    e.Reset();
    e.SetModel(&s.board.set);
    e.scale = {kBoardScale, kBoardScale, kBoardScale};
    e.position = {-220, 0, -30};
    e.rotation = {0, 0, 0};
    e.flags |= kEntVisible | kEntRebuildMatrix;
    s.board.Draw();
  }
}

void DrawPlanViewScene(CRenderer& r) {
  RefreshScene();
  r.SetShader(kShaderNoBlend);
  DrawPlanBoard();
  DrawCityModels(r, false, false);
  r.SetShader(-1);
}

void ReleaseBasicCityScene() {
  BasicScene& s = Scene();
  s.land.Release();
  s.blocks.Release();
  s.roads.Release();
  s.board.Release();
  for (SceneModel& m : s.buildings) m.Release();
  for (SceneModel& m : s.windows) m.Release();
  s.ground = false;
  s.signature = 0;
}

int32_t BasicSceneBuildingCount() { return Scene().buildingCount; }
