#include "visuals/scene/water_surfaces.h"

#include <algorithm>
#include <limits>
#include <string>

#include "city/city_entities.h"
#include "engine/render/renderer.h"
#include "engine/scene/asset_table.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/scene/city_scene.h"
#include "visuals/scene/scene_mesh.h"
#include "visuals/scene/shader_table.h"

namespace {

// Cells small enough for the software renderer's flat texture mapping, large
// enough for the open sea to fit one model's indices.
constexpr float kWaterCell = 50.0f;

struct Surface {
  ModelLodSet set{};
  CEntity entity;
};

struct WaterState {
  Surface surfaces[kWaterSurfaces];
  bool built = false;
};

WaterState& State() {
  static WaterState s;
  return s;
}

bool IsSurroundFile(const std::string& file, const char* stem) {
  return file.find(std::string("\\") + stem) != std::string::npos;
}

// The surround's models stand in place (drawn from the origin); their z
// runs opposite to the city's.
bool ModelArea(int32_t place, WaterArea& area) {
  const ModelLodSet* set = ShelfModel(ModelShelf::Surround, place);
  const CModel* m = set ? ModSysGetModel(set->handles[0]) : nullptr;
  if (!m) return false;
  WaterArea a{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
              std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest()};
  for (const Vec3& c : m->bounds.corners) {
    a.x0 = std::min(a.x0, c.x), a.x1 = std::max(a.x1, c.x);
    a.z0 = std::min(a.z0, -c.z), a.z1 = std::max(a.z1, -c.z);
  }
  area = a;
  return true;
}

void Grow(WaterArea& total, const WaterArea& a, bool& any) {
  if (!any) total = a;
  total = {std::min(total.x0, a.x0), std::min(total.z0, a.z0), std::max(total.x1, a.x1), std::max(total.z1, a.z1)};
  any = true;
}

// The sea slabs show under the water's surface only where it would fight
// them for the same depth: they are left out of the picture.
void HideSeaSlabs() {
  CEntityHouse& surround = SceneryEntities(0);
  const std::vector<ModelFileEntry>& files = ShelfFiles(ModelShelf::Surround);
  for (int32_t i = 0; i < surround.count; ++i) {
    CEntity& e = surround.entities[i];
    if (e.index >= 0 && size_t(e.index) < files.size() && IsSurroundFile(files[size_t(e.index)].file, "sea_"))
      e.flags = uint8_t(e.flags & ~kEntVisible);
  }
}

void Build(WaterState& s) {
  WaterArea areas[kWaterSurfaces];
  FindWaterAreas(areas[0], areas[1]);
  const int32_t textures[kWaterSurfaces] = {PresentationTextureSlots().sea, PresentationTextureSlots().harbour};
  for (int32_t k = 0; k < kWaterSurfaces; ++k) {
    if (areas[k].Empty() || textures[k] < 0) continue;
    SceneMeshBuilder mesh;
    mesh.Ground(mesh.Primitive(textures[k]), areas[k].x0, areas[k].z0, areas[k].x1, areas[k].z1, kWaterLevel, 32.0f,
                kWaterCell);
    const int32_t handle = mesh.Build();
    if (handle <= 0) continue;
    Surface& surface = s.surfaces[k];
    surface.set = ModelLodSet{{handle, 0, 0}, 1};
    surface.entity = CEntity{};
    surface.entity.SetModel(&surface.set);
    surface.entity.flags |= kEntVisible | kEntRebuildMatrix;
  }
  s.built = true;
}

}  // namespace

void FindWaterAreas(WaterArea& sea, WaterArea& river) {
  sea = river = WaterArea{};
  const std::vector<ModelFileEntry>& files = ShelfFiles(ModelShelf::Surround);
  WaterArea banks;
  bool anySea = false, anyBank = false;
  for (size_t i = 0; i < files.size(); ++i) {
    WaterArea a;
    if (IsSurroundFile(files[i].file, "sea_") && ModelArea(int32_t(i), a)) Grow(sea, a, anySea);
    if (IsSurroundFile(files[i].file, "river_bank_") && ModelArea(int32_t(i), a)) Grow(banks, a, anyBank);
  }
  if (!anySea) sea = WaterArea{};
  // The river runs along its bank, between the coast and the bank.
  if (anySea && anyBank) river = {sea.x1, banks.z0, banks.x0, banks.z1};
}

void DrawWaterSurfaces(CRenderer& r, float gameTime) {
  WaterState& s = State();
  if (!s.built) {
    if (ShelfSize(ModelShelf::Surround) == 0 || SceneryEntities(0).count == 0) return;
    Build(s);
  }
  HideSeaSlabs();
  r.SetShader(kShaderModulate);
  r.EnableLighting();
  for (Surface& surface : s.surfaces)
    if (surface.set.handles[0] > 0) DrawScrollingUvEntity(surface.entity, gameTime);
}

CEntity* WaterSurface(int32_t index) {
  if (index < 0 || index >= kWaterSurfaces) return nullptr;
  Surface& surface = State().surfaces[index];
  return surface.set.handles[0] > 0 ? &surface.entity : nullptr;
}

void ReleaseWaterSurfaces() {
  WaterState& s = State();
  for (Surface& surface : s.surfaces) {
    if (surface.set.handles[0] > 0) ModSysDeleteModel(surface.set.handles[0]);
    surface = Surface{};
  }
  s.built = false;
}
