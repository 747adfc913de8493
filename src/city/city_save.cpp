#include "city/city_save.h"

#include <cstring>

#include "city/blocks.h"
#include "city/buildings.h"
#include "engine/core/error.h"
#include "engine/files/file_bytes.h"
#include "engine/files/save_game.h"

namespace {

constexpr int kMaxPlayerNumber = 6;
static_assert(kBuildingPoolSize == 600 && kBlockCount == 52, "the chunk's size counts these records");

// One building's head, field by field.
struct BuildingHead {
  int32_t Id;
  uint8_t X1, Z1, X2, Z2, Floors;
  float CentreX, CentreZ;
  int32_t Status;
  uint8_t PlaceInBlock;
  int32_t BusinessIndex, ArchitectSeed, Kind, RentPerUnit;
  uint8_t Quality, Owner;
  int32_t OwnerChangeTick, BuiltYear;
  float Value;
  uint8_t DemolishPending, RequestPending, TradePending, InUse;
};

struct BlockHead {
  int32_t Index;
  uint8_t InUse, Owner;
  int32_t BuildingCount;
  int32_t BuildingIds[kBlockSavedBuildings];
  uint8_t RequestPending, PreparePending;
  uint32_t CommodityMask;
  uint8_t Ownable;
  int32_t BuildingRights, LeaseHours, PrepareHours;
  float Prestige;
  int32_t PeopleInside;
};

void Pad(ByteWriter& w, size_t n) {
  for (size_t i = 0; i < n; ++i) w.Put(uint8_t{0});
}

// The record heads are laid out as in memory, each field at its natural
// alignment with zero padding: 64 bytes a building, 172 a block.
void PutBuilding(ByteWriter& w, const CBuilding& b) {
  w.Put(b.Id);
  for (uint8_t v : {b.X1, b.Z1, b.X2, b.Z2, b.Floors}) w.Put(v);
  Pad(w, 3);
  w.Put(b.CentreX);
  w.Put(b.CentreZ);
  w.Put(b.Status);
  w.Put(b.PlaceInBlock);
  Pad(w, 3);
  for (int32_t v : {b.BusinessIndex, b.ArchitectSeed, b.Kind, b.RentPerUnit}) w.Put(v);
  w.Put(b.Quality);
  w.Put(b.Owner);
  Pad(w, 2);
  w.Put(b.OwnerChangeTick);
  w.Put(b.BuiltYear);
  w.Put(b.Value);
  for (uint8_t v : {b.DemolishPending, b.RequestPending, b.TradePending, b.InUse}) w.Put(v);
}

bool GetBuilding(ByteReader& r, BuildingHead& h) {
  r.Get(h.Id);
  for (uint8_t* v : {&h.X1, &h.Z1, &h.X2, &h.Z2, &h.Floors}) r.Get(*v);
  r.Skip(3);
  r.Get(h.CentreX);
  r.Get(h.CentreZ);
  r.Get(h.Status);
  r.Get(h.PlaceInBlock);
  r.Skip(3);
  for (int32_t* v : {&h.BusinessIndex, &h.ArchitectSeed, &h.Kind, &h.RentPerUnit}) r.Get(*v);
  r.Get(h.Quality);
  r.Get(h.Owner);
  r.Skip(2);
  r.Get(h.OwnerChangeTick);
  r.Get(h.BuiltYear);
  r.Get(h.Value);
  for (uint8_t* v : {&h.DemolishPending, &h.RequestPending, &h.TradePending, &h.InUse}) r.Get(*v);
  return r.Ok();
}

void PutBlock(ByteWriter& w, const CBlock& b) {
  w.Put(b.Index);
  w.Put(b.InUse);
  w.Put(b.Owner);
  Pad(w, 2);
  w.Put(b.BuildingCount);
  int32_t ids[kBlockSavedBuildings];
  std::fill(std::begin(ids), std::end(ids), -1);
  int n = 0;
  for (const CBuilding* bld = b.FirstBuilding; bld && n < kBlockSavedBuildings; bld = bld->Next) ids[n++] = bld->Id;
  for (int32_t id : ids) w.Put(id);
  w.Put(b.RequestPending);
  w.Put(b.PreparePending);
  Pad(w, 2);
  w.Put(b.CommodityMask);
  w.Put(b.Ownable);
  Pad(w, 3);
  for (int32_t v : {b.BuildingRights, b.LeaseHours, b.PrepareHours}) w.Put(v);
  w.Put(b.Prestige);
  w.Put(b.PeopleInside);
}

bool GetBlock(ByteReader& r, BlockHead& h) {
  r.Get(h.Index);
  r.Get(h.InUse);
  r.Get(h.Owner);
  r.Skip(2);
  r.Get(h.BuildingCount);
  for (int32_t& id : h.BuildingIds) r.Get(id);
  r.Get(h.RequestPending);
  r.Get(h.PreparePending);
  r.Skip(2);
  r.Get(h.CommodityMask);
  r.Get(h.Ownable);
  r.Skip(3);
  for (int32_t* v : {&h.BuildingRights, &h.LeaseHours, &h.PrepareHours}) r.Get(*v);
  r.Get(h.Prestige);
  r.Get(h.PeopleInside);
  return r.Ok();
}

struct DecodedChunk {
  std::vector<BuildingHead> buildings;
  std::vector<BlockHead> blocks;
};

bool Fail(const char* why) {
  ReportErrorF(1, "Saved city is damaged: %s", why);
  return false;
}

bool CheckBuildingHead(const BuildingHead& h, int index) {
  if (h.Id != index) return Fail("building id out of place");
  if (h.InUse > 1) return Fail("building in-use flag");
  if (!h.InUse) return true;
  if (h.X1 > h.X2 || h.Z1 > h.Z2 || h.X2 >= kLotsPerSide || h.Z2 >= kLotsPerSide) return Fail("lot rectangle");
  if (h.Floors == 0) return Fail("floor count");
  if (h.Kind < 0 || h.Kind >= kBuildingKindCount) return Fail("building kind");
  if (h.Owner > kMaxPlayerNumber) return Fail("building owner");
  if (h.Status < kStatusQueued || h.Status > kStatusPlaced) return Fail("building status");
  if (h.BusinessIndex < -1 || h.BusinessIndex >= kBuildingPoolSize) return Fail("business index");
  return true;
}

bool CheckBlockHead(const BlockHead& h, int index, const std::vector<BuildingHead>& buildings,
                    std::vector<int>& usedBy) {
  if (h.Index != index) return Fail("block id out of place");
  if (h.Owner > kMaxPlayerNumber) return Fail("block owner");
  if (h.BuildingRights < kRightsNone || h.BuildingRights > kRightsGranted) return Fail("building rights");
  if (h.LeaseHours < 0) return Fail("lease hours");
  if (h.BuildingCount < 0 || h.BuildingCount > kBlockSavedBuildings) return Fail("building count");
  if (h.BuildingCount > 0 && !g_Blocks[index].InUse) return Fail("buildings on a block off the map");
  LotGrid lots = {};
  for (int i = 0; i < h.BuildingCount; ++i) {
    int32_t id = h.BuildingIds[i];
    if (id == -1) continue;
    if (id < 0 || id >= kBuildingPoolSize) return Fail("building id");
    const BuildingHead& b = buildings[id];
    if (!b.InUse) return Fail("free building in a block");
    if (usedBy[id] != -1) return Fail("building in two places");
    usedBy[id] = index;
    for (int x = b.X1; x <= b.X2; ++x) {
      for (int z = b.Z1; z <= b.Z2; ++z) {
        if (lots[x][z]) return Fail("buildings overlap");
        lots[x][z] = b.Floors;
      }
    }
  }
  return true;
}

bool Decode(std::span<const uint8_t> data, DecodedChunk& out) {
  ByteReader r(data);
  if (data.size() != kBuildingsChunkSize) return Fail("chunk length");
  out.buildings.resize(kBuildingPoolSize);
  out.blocks.resize(kBlockCount);
  for (int i = 0; i < kBuildingPoolSize; ++i) {
    if (!GetBuilding(r, out.buildings[i])) return Fail("short chunk");
    if (!CheckBuildingHead(out.buildings[i], i)) return false;
  }
  std::vector<int> usedBy(kBuildingPoolSize, -1);
  for (int i = 0; i < kBlockCount; ++i) {
    if (!GetBlock(r, out.blocks[i])) return Fail("short chunk");
    if (!CheckBlockHead(out.blocks[i], i, out.buildings, usedBy)) return false;
  }
  if (r.Remaining() != 0) return Fail("chunk length");
  for (int i = 0; i < kBuildingPoolSize; ++i) {
    if (out.buildings[i].InUse && usedBy[i] == -1) return Fail("building in no block");
  }
  return true;
}

void ApplyBuilding(CBuilding& b, const BuildingHead& h) {
  b.Id = h.Id;
  b.X1 = h.X1, b.Z1 = h.Z1, b.X2 = h.X2, b.Z2 = h.Z2, b.Floors = h.Floors;
  b.CentreX = h.CentreX, b.CentreZ = h.CentreZ;
  b.Status = h.Status;
  b.PlaceInBlock = h.PlaceInBlock;
  b.BusinessIndex = h.BusinessIndex;
  b.ArchitectSeed = h.ArchitectSeed;
  b.Kind = h.Kind;
  b.RentPerUnit = h.RentPerUnit;
  b.Quality = h.Quality;
  b.Owner = h.Owner;
  b.OwnerChangeTick = h.OwnerChangeTick;
  b.BuiltYear = h.BuiltYear;
  b.Value = h.Value;
  b.DemolishPending = h.DemolishPending;
  b.RequestPending = h.RequestPending;
  b.TradePending = h.TradePending;
  b.InUse = h.InUse;
}

void ApplyBlock(CBlock& b, const BlockHead& h) {
  b.Owner = h.Owner;
  b.RequestPending = h.RequestPending;
  b.PreparePending = h.PreparePending;
  b.CommodityMask = h.CommodityMask;
  b.Ownable = h.Ownable;
  b.BuildingRights = h.BuildingRights;
  b.LeaseHours = h.LeaseHours;
  b.PrepareHours = h.PrepareHours;
  b.Prestige = h.Prestige;
  b.PeopleInside = h.PeopleInside;
  std::copy(std::begin(h.BuildingIds), std::end(h.BuildingIds), std::begin(b.SavedBuildingIds));
}

}  // namespace

std::vector<uint8_t> EncodeBuildingsChunk() {
  ByteWriter w;
  w.bytes.reserve(kBuildingsChunkSize);
  for (const CBuilding& b : g_Buildings) PutBuilding(w, b);
  for (const CBlock& b : g_Blocks) PutBlock(w, b);
  return std::move(w.bytes);
}

bool CheckBuildingsChunk(std::span<const uint8_t> data) {
  DecodedChunk decoded;
  return Decode(data, decoded);
}

bool LoadBuildingsChunk(std::span<const uint8_t> data) {
  DecodedChunk d;
  if (!Decode(data, d)) return false;
  ClearCity();
  for (int i = 0; i < kBuildingPoolSize; ++i) ApplyBuilding(g_Buildings[i], d.buildings[i]);
  for (int i = 0; i < kBlockCount; ++i) {
    CBlock& block = g_Blocks[i];
    ApplyBlock(block, d.blocks[i]);
    int count = d.blocks[i].BuildingCount;
    block.BuildingCount = 0;
    for (int k = 0; k < count; ++k) {
      int32_t id = block.SavedBuildingIds[k];
      if (id >= 0) block.LinkBuilding(&g_Buildings[id]);
    }
  }
  g_SelectedBuilding = nullptr;
  g_HoveredBuilding = nullptr;
  return true;
}

void SaveBuildingsChunk() {
  const auto bytes = EncodeBuildingsChunk();
  WriteSaveChunk(kChunkBuildings, static_cast<uint32_t>(bytes.size()), bytes.data());
}

void RegisterCitySaveHooks() {
  RegisterSaveHook(kSaveBuildings, SaveBuildingsChunk);
  RegisterLoadHook(
      kChunkBuildings, [](std::span<const uint8_t> data) { LoadBuildingsChunk(data); },
      kBuildingsChunkSize, CheckBuildingsChunk);
}
