#include "city/city_entities.h"

#include "city/blocks.h"
#include "engine/scene/asset_table.h"

namespace {

constexpr float kSignOffsetZ = 41.0f;

// The fixed scenery houses: whole shelves whose models stand in place.
constexpr ModelShelf kSceneryShelves[] = {ModelShelf::Surround, ModelShelf::Industrial};

void Refill(CEntityHouse& house, int32_t capacity) {
  house.Release();
  house.Allocate(capacity);
}

}  // namespace

CEntityHouse& BlockBaseEntities() {
  static CEntityHouse house;
  return house;
}

CEntityHouse& BlockSignEntities() {
  static CEntityHouse house;
  return house;
}

CEntityHouse& SceneryEntities(int32_t house) {
  static CEntityHouse houses[kSceneryHouses];
  return houses[house < 0 || house >= kSceneryHouses ? 0 : house];
}

void CreateBlockEntities() {
  CEntityHouse& bases = BlockBaseEntities();
  Refill(bases, kBlockCount);
  ModelLodSet* base = ShelfModel(ModelShelf::WorldCity, kBlockBase);
  for (const CBlock& b : g_Blocks) {
    CEntity* e = bases.AddModel(base, {b.CentreX, 0, b.CentreZ}, 0, kEntityKindBlockBase, b.Index);
    if (e && (b.MapMarks & kMarkHidden)) e->flags = static_cast<uint8_t>(e->flags & ~kEntVisible);
  }
}

void CreateBlockSignEntities() {
  CEntityHouse& signs = BlockSignEntities();
  Refill(signs, kBlockCount);
  ModelLodSet* sign = ShelfModel(ModelShelf::WorldCity, kBlockSign);
  for (const CBlock& b : g_Blocks) {
    if (b.InUse) signs.AddModel(sign, {b.CentreX, 0, b.CentreZ - kSignOffsetZ}, 180, kEntityKindBlockSign, b.Index);
  }
}

void CreateSceneryEntities() {
  int32_t house = 0;
  for (ModelShelf shelf : kSceneryShelves) {
    CEntityHouse& h = SceneryEntities(house++);
    Refill(h, ShelfSize(shelf));
    for (int32_t i = 0; i < ShelfSize(shelf); ++i) h.AddModel(ShelfModel(shelf, i), {0, 0, 0}, 0, 0, i);
  }
  // The statue stands in the park south-east of the city.
  CEntityHouse& statue = SceneryEntities(house);
  Refill(statue, 1);
  statue.AddModel(ShelfModel(ModelShelf::WorldCity, kParkStatue), {580, 0, -600}, 180, 0, 0);
}

void ReleaseCityEntities() {
  BlockBaseEntities().Release();
  BlockSignEntities().Release();
  for (int32_t h = 0; h < kSceneryHouses; ++h) SceneryEntities(h).Release();
}

int32_t DrawCityEntities(const Mat43& view) {
  int32_t drawn = BlockBaseEntities().DrawAll(view) + BlockSignEntities().DrawAll(view);
  for (int32_t h = 0; h < kSceneryHouses; ++h) drawn += SceneryEntities(h).DrawAll(view);
  return drawn;
}
