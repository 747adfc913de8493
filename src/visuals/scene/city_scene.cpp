#include "visuals/scene/city_scene.h"
#include "visuals/architect/building_visuals.h"
#include "visuals/scene/construction_draw.h"

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
#include "visuals/scene/city_movers.h"
#include "visuals/scene/night_windows.h"
#include "visuals/scene/road_entities.h"
#include "visuals/scene/scene_mesh.h"
#include "visuals/scene/water_surfaces.h"
#include "visuals/scene/shader_table.h"
#include "visuals/scene/sky.h"

namespace {

constexpr float kLandCell = 200.0f;   // the land beyond is coarser
constexpr float kLandExtent = 3000.0f;  // to the far plane: the fog makes the horizon
constexpr float kWindowInset = 0.15f; // night windows sit just off the walls
constexpr float kBoardScale = 0.527f;

PresentationTextures g_Textures;

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
  SceneModel land, blocks, board;
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
  SceneMeshBuilder land;
  land.Ground(land.Primitive(t.grass), -kLandExtent, -kLandExtent, kLandExtent, kLandExtent, -0.1f, 24.0f,
              kLandCell);
  s.land.Take(land.Build());
  SceneMeshBuilder blocks;
  const int32_t paving = blocks.Primitive(t.pavement);
  for (const CBlock& b : g_Blocks)
    if (b.InUse && b.SizeX > 0 && b.SizeZ > 0)
      blocks.Ground(paving, b.MinX, b.MinZ, b.MinX + b.SizeX, b.MinZ + b.SizeZ, 0.0f, 10.0f);
  s.blocks.Take(blocks.Build());
  CreateRoadNodeEntities();
  SceneMeshBuilder board;
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
    SceneMeshBuilder walls, lights;
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
  DrawRoadEntities(PublishedViewMatrix());
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
    {&PresentationTextures::lamp, "lamp"},         {&PresentationTextures::glint, "glint"},
    {&PresentationTextures::smoke, "smoke"},       {&PresentationTextures::sea, "sea"},
    {&PresentationTextures::harbour, "harbour"},   {&PresentationTextures::cloudLayer, "cloudlayer"},
    {&PresentationTextures::cloudLayer2, "cloudlayer2"},
};

}  // namespace

const PresentationTextures& PresentationTextureSlots() { return g_Textures; }

void LoadPresentationTextures() {
  PresentationTextures& t = g_Textures;
  for (const TextureFile& f : kTextureFiles)
    t.*f.slot = LoadTextureFile(std::string("gamedata2\\presentation\\") + f.name + ".tex");
  if (t.nightWindows >= 0) TexSysSetNamedTexture(kNightWindowTexture, t.nightWindows);
  SetSkyTextures(t.cloud1, t.cloud2, t.sun, t.moon, t.star);
  SetCloudLayerTextures(t.cloudLayer, t.cloudLayer2);
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
  DrawRoadEntities(PublishedViewMatrix());
}

void DrawBasicLand() { Scene().land.Draw(); }

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
  ReleaseRoadEntities();
  ReleaseWaterSurfaces();
  ReleaseSkyModels();
  s.board.Release();
  for (SceneModel& m : s.buildings) m.Release();
  for (SceneModel& m : s.windows) m.Release();
  s.ground = false;
  s.signature = 0;
}

int32_t BasicSceneBuildingCount() { return Scene().buildingCount; }
