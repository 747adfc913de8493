#include "city/city_save.h"

#include <algorithm>

#include "city/blocks.h"
#include "city/buildings.h"
#include "session/save_chunks.h"

namespace {

// The lists of the blocks agree with the buildings: every id names a building
// in use, in one block only, on a block of the map, without overlapping lots,
// and every building in use is in some block.
bool BuildingListsValid(const CityBuildingsRecord& r) {
  std::vector<int> usedBy(kBuildingPoolSize, -1);
  for (int index = 0; index < kBlockCount; ++index) {
    const BlockSavedState& h = r.blocks[index];
    if (h.BuildingCount > 0 && !g_Blocks[index].InUse) return false;  // off the map
    LotGrid lots = {};
    for (int i = 0; i < h.BuildingCount; ++i) {
      const int32_t id = h.SavedBuildingIds[i];
      if (id == -1) continue;
      if (id < 0 || id >= kBuildingPoolSize) return false;
      const BuildingSavedState& b = r.buildings[id];
      if (!b.InUse || usedBy[id] != -1) return false;
      usedBy[id] = index;
      for (int x = b.X1; x <= b.X2; ++x) {
        for (int z = b.Z1; z <= b.Z2; ++z) {
          if (lots[x][z]) return false;
          lots[x][z] = b.Floors;
        }
      }
    }
  }
  for (int i = 0; i < kBuildingPoolSize; ++i)
    if (r.buildings[i].InUse && usedBy[i] == -1) return false;
  return true;
}

}  // namespace

template <class V>
void CityBuildingsRecord::Visit(V& v) {
  if constexpr (V::kReading) v.Require(v.Remaining() == kBuildingsChunkSize, "chunk length");
  VisitRecord(v, buildings);
  VisitRecord(v, blocks);
  if constexpr (V::kReading) v.Require(BuildingListsValid(*this), "building lists");
}
template void CityBuildingsRecord::Visit(RecordWriter&);
template void CityBuildingsRecord::Visit(RecordReader&);

std::unique_ptr<CityBuildingsRecord> CurrentBuildingsRecord() {
  auto r = std::make_unique<CityBuildingsRecord>();
  std::copy(g_Buildings.begin(), g_Buildings.end(), r->buildings.begin());
  for (int i = 0; i < kBlockCount; ++i) {
    const CBlock& block = g_Blocks[i];
    BlockSavedState& s = r->blocks[i];
    s = block;
    std::fill(std::begin(s.SavedBuildingIds), std::end(s.SavedBuildingIds), -1);
    int n = 0;
    // The construction panel's preview (the spare record, no id) is no part of the city.
    for (const CBuilding* b = block.FirstBuilding; b && n < kBlockSavedBuildings; b = b->Next)
      if (b->Id >= 0) s.SavedBuildingIds[n++] = b->Id;
    s.BuildingCount = n;
  }
  return r;
}

std::vector<uint8_t> EncodeBuildingsChunk() { return EncodeRecord(*CurrentBuildingsRecord()); }

void ApplyBuildingsRecord(const CityBuildingsRecord& r) {
  ClearCity();
  for (int i = 0; i < kBuildingPoolSize; ++i) static_cast<BuildingSavedState&>(g_Buildings[i]) = r.buildings[i];
  for (int i = 0; i < kBlockCount; ++i) {
    CBlock& block = g_Blocks[i];
    const int32_t index = block.Index;
    const uint8_t inUse = block.InUse;  // the map decides these
    static_cast<BlockSavedState&>(block) = r.blocks[i];
    block.Index = index;
    block.InUse = inUse;
    // An older save holds its machine's marks of requests whose answers a
    // load does not bring back.
    block.RequestPad = block.PreparePad = 0;
    block.BuildingCount = 0;
    for (int k = 0; k < r.blocks[i].BuildingCount; ++k) {
      const int32_t id = block.SavedBuildingIds[k];
      if (id >= 0) block.LinkBuilding(&g_Buildings[id]);
    }
  }
  g_SelectedBuilding = nullptr;
  g_HoveredBuilding = nullptr;
}

void RegisterCitySaveHooks() {
  RegisterSaveHook(kSaveBuildings, [] { WriteRecordChunk(kChunkBuildings, *CurrentBuildingsRecord()); });
  RegisterRecordChunk<CityBuildingsRecord>(kChunkBuildings, kBuildingsChunkSize, ApplyBuildingsRecord);
}
