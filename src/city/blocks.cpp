#include "city/blocks.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "city/block_footprints.h"
#include "city/building_library.h"
#include "city/buildings.h"
#include "city/city_services.h"
#include "city/local_drafts.h"
#include "city/people.h"
#include "city/business.h"
#include "session/auction.h"
#include "session/city_seller.h"
#include "session/game_events.h"
#include "session/game_messages.h"
#include "session/player.h"
#include "session/player_data.h"
#include "engine/core/error.h"
#include "engine/core/play_warning.h"

std::array<BlockDef, kBlockCount> g_BlockDefs;
std::array<CDistrict, kDistrictCount> g_Districts;
std::array<CBlock, kBlockCount> g_Blocks;
std::array<BlockStats, kBlockCount> g_BlockStats;
CBuilding* g_SelectedBuilding = nullptr;
CBuilding* g_HoveredBuilding = nullptr;

namespace {

struct BlockDefRow {
  int32_t nameTextId;
  uint8_t district;
  const char* key;
};

constexpr BlockDefRow kBlockDefRows[kBlockCount] = {
    {2236, 1, "LANTERN_AVENUE"},        {2240, 1, "CLOVERDALE_AVENUE"},
    {2244, 11, "TELECOMS"},             {2248, 0, "BUS_AND_TAXI"},
    {2252, 10, "Q_V_RAILROAD"},         {2256, 0, "AIRPORT"},
    {2260, 1, "HARROWGATE_AVENUE"},     {2264, 0, "ZOO"},
    {2268, 2, "BRACKEN_AVENUE"},        {2272, 2, "HOLLYMEAD_AVENUE"},
    {2276, 0, "UNIVERSITY_CAMPUS"},     {2280, 3, "ST_OSWIN_PLACE"},
    {2284, 3, "WILLOWBY_AVENUE"},       {2304, 2, "ROSEWATER_AVENUE"},
    {2308, 0, "CITY_HALL"},             {2312, 4, "OAKMONT_AVENUE"},
    {2316, 3, "GRANDHAVEN_AVENUE"},     {2324, 10, "LONGREACH_RAILROAD"},
    {2328, 0, "HOSPITAL"},              {2332, 0, "CENTRAL_PARK"},
    {2336, 4, "EAST_MEADOW"},           {2344, 5, "ST_ALBIN_PLACE"},
    {2348, 0, "POLICE_AND_FIRE"},       {2352, 6, "QUENBY_GARDENS"},
    {2356, 4, "AMBERLEIGH_AVENUE"},     {2360, 5, "CROWNLEA_AVENUE"},
    {2364, 5, "MARIGOLD_AVENUE"},       {2368, 6, "HAZELBY_AVENUE"},
    {2372, 0, "MUSEUM_AND_ART_GALLERY"}, {2376, 7, "STRANDWAY"},
    {2380, 7, "REGENCY_PLACE"},         {2384, 0, "MARINA"},
    {2388, 8, "FERNLEY_AVENUE"},        {2392, 6, "DUNMERE_AVENUE"},
    {2396, 8, "SALTMARSH_AVENUE"},      {2400, 11, "GASWORKS"},
    {2408, 9, "DOCK_1"},                {2412, 9, "DOCK_2"},
    {2416, 9, "DOCK_3"},                {2420, 11, "BRIGHTWELL_WORKS"},
    {2296, 0, "SCHOOL_GROUNDS"},        {2300, 0, "SCHOOL_LIBRARY"},
    {2320, 11, "VOLTARA_COMPANY"},      {2340, 10, "AMBERLEIGH_RAILROAD"},
    {2404, 10, "GLENFORD_RAILROAD"},    {2424, 0, "STADIUM"},
    {2308, 0, "CITY_HALL"},             {2332, 0, "CENTRAL_PARK"},
    {2332, 0, "CENTRAL_PARK"},          {2332, 0, "CENTRAL_PARK"},
    {2332, 0, "CENTRAL_PARK"},          {2332, 0, "CENTRAL_PARK"},
};

struct DistrictRow {
  const char* key;
  uint8_t r, g, b;
  int32_t blocks[4];
};

constexpr DistrictRow kDistrictRows[kDistrictCount] = {
    {"DISTRICT_CIVIC", 34, 120, 167, {-1, -1, -1, -1}},
    {"DISTRICT_LANTERN", 205, 199, 165, {1, 0, 6, -1}},
    {"DISTRICT_HOLLYMEAD", 6, 6, 224, {8, 9, 13, -1}},
    {"DISTRICT_WILLOWBY", 6, 114, 224, {11, 12, 16, -1}},
    {"DISTRICT_OAKMONT", 71, 178, 38, {15, 20, 24, -1}},
    {"DISTRICT_CROWNLEA", 106, 24, 182, {21, 25, 26, -1}},
    {"DISTRICT_HAZELBY", 48, 221, 236, {27, 23, 33, -1}},
    {"DISTRICT_STRANDWAY", 178, 38, 101, {29, 30, -1, -1}},
    {"DISTRICT_FERNLEY", 99, 7, 76, {32, 34, -1, -1}},
    {"DISTRICT_DOCKS", 133, 46, 0, {36, 37, 38, -1}},
    {"DISTRICT_RAILROAD", 51, 66, 77, {4, 17, 43, 44}},
    {"DISTRICT_UTILITY", 255, 255, 255, {39, 42, 35, 2}},
};

template <size_t N>
void CopyKey(char (&dest)[N], const char* src) {
  std::memset(dest, 0, N);
  std::strncpy(dest, src, N - 1);
}

bool KeyEquals(const char* key, std::string_view name) {
  size_t n = std::strlen(key);
  if (n != name.size()) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::toupper(static_cast<unsigned char>(key[i])) != std::toupper(static_cast<unsigned char>(name[i])))
      return false;
  }
  return true;
}

// Every lot cell a building covers.
void WriteBuildingLots(CBlock& block, const CBuilding& b, uint8_t value) {
  FillLotRegion(block.Lots, b.X1, b.Z1, b.X2, b.Z2, value);
}

}  // namespace

uint32_t CDistrict::ColourWord() const {
  return (uint32_t{Colour[3]} << 24) | (uint32_t{Colour[0]} << 16) | (uint32_t{Colour[1]} << 8) | Colour[2];
}

void InitBlockDefs() {
  for (int i = 0; i < kBlockCount; ++i) {
    BlockDef& d = g_BlockDefs[i];
    d = BlockDef{};
    d.NameTextId = kBlockDefRows[i].nameTextId;
    d.District = kBlockDefRows[i].district;
    CopyKey(d.Key, kBlockDefRows[i].key);
  }
}

void InitDistricts() {
  for (int i = 0; i < kDistrictCount; ++i) {
    CDistrict& d = g_Districts[i];
    const DistrictRow& row = kDistrictRows[i];
    d.Colour[0] = row.r;
    d.Colour[1] = row.g;
    d.Colour[2] = row.b;
    d.Colour[3] = 255;
    std::fill(std::begin(d.TextColour), std::end(d.TextColour), uint8_t{255});
    CopyKey(d.Key, row.key);
    d.NameTextId = 2428 + i;
    std::copy(std::begin(row.blocks), std::end(row.blocks), std::begin(d.Blocks));
  }
}

CBlock* GetBlock(int32_t id) { return (id >= 0 && id < kBlockCount) ? &g_Blocks[id] : nullptr; }

// Keys repeat (civic blocks share theirs); every row is compared and the
// last match wins, as the command scripts and scripts expect.
int FindBlockByKey(std::string_view key) {
  int found = -1;
  for (int i = 0; i < kBlockCount; ++i) {
    if (KeyEquals(g_BlockDefs[i].Key, key)) found = i;
  }
  return found;
}

int FindDistrictByKey(std::string_view key) {
  int found = -1;
  for (int i = 0; i < kDistrictCount; ++i) {
    if (KeyEquals(g_Districts[i].Key, key)) found = i;
  }
  return found;
}

// ---- Lot grid ----------------------------------------------------------------

bool IsLotRegionFree(const LotGrid& grid, int x1, int z1, int x2, int z2) {
  if (x2 < x1 || z2 < z1 || x1 < 0 || z1 < 0 || x2 > 6 || z2 > 6) return false;
  // A building must touch the edge of its block.
  if (x1 != 0 && z1 != 0 && x2 != 6 && z2 != 6) return false;
  for (int x = x1; x <= x2; ++x) {
    for (int z = z1; z <= z2; ++z) {
      if (grid[x][z] != 0) return false;
    }
  }
  return true;
}

void FillLotRegion(LotGrid& grid, int x1, int z1, int x2, int z2, uint8_t value) {
  x1 = std::max(x1, 0);
  z1 = std::max(z1, 0);
  x2 = std::min(x2, kLotsPerSide - 1);
  z2 = std::min(z2, kLotsPerSide - 1);
  for (int x = x1; x <= x2; ++x) {
    for (int z = z1; z <= z2; ++z) grid[x][z] = value;
  }
}

void ClearLots(LotGrid& grid) { std::memset(grid, 0, sizeof(LotGrid)); }

// ---- Block records -------------------------------------------------------------

CPlayer* CBlock::GetOwner() const { return PlayerTable().ByNumber(Owner); }

float CBlock::GetLeasePrice() const {
  float f = (Prestige * 0.5f + 1.0f) * 375.0f * 0.02f + 0.5f;
  return 50.0f * std::trunc(f);
}

void CBlock::SendPrepareRequest() const {
  Post(PrepareBlockMsg{BlockId{Index}});
}

bool CBlock::IsLotRegionFreeAt(int x, int z, int width, int depth) const {
  return IsLotRegionFree(Lots, x, z, x + width - 1, z + depth - 1);
}

bool CBlock::IsLotRegionFreeRect(int x1, int z1, int x2, int z2) const {
  return IsLotRegionFree(Lots, x1, z1, x2, z2);
}

bool CBlock::PlaceBuilding(CBuilding* building, int x1, int z1, int x2, int z2, int floors, int32_t seed,
                           int32_t kind, uint8_t quality, float value) {
  if (building == nullptr) return false;
  float cx = CentreX - 35.0f + static_cast<float>(x1 + x2 + 1) * 5.0f;
  float cz = CentreZ - 35.0f + static_cast<float>(z1 + z2 + 1) * 5.0f;
  building->InitBuilding(x1, z1, x2, z2, floors, cx, cz, seed, kind, quality, value);
  LinkBuilding(building);
  building->SetOwner(Owner);
  if (building->Id >= 0) ComputeBlockFreeFootprint(Index);
  return true;
}

void CBlock::LinkBuilding(CBuilding* building) {
  building->Block = this;
  if (!City().visuals->SetUpBuildingVisual(*building)) {
    ReportPerFileF(1, "building library", kBuildingLibraryGameName,
                   "No design of the building library %.*s fits building %d: shown as a plain box",
                   int(kBuildingLibraryGameName.size()), kBuildingLibraryGameName.data(), building->Id);
    CityVisualServices fallback;
    fallback.SetUpBuildingVisual(*building);
  }
  BuildingVisual& v = building->Visual;
  // Entity placement: the angles in degrees, the third one negated.
  const float k = 0.017453292f;
  float ax = v.Rotation[0] * k, ay = v.Rotation[1] * k, az = -v.Rotation[2] * k;
  float sx = std::sin(-ax), cx = std::cos(-ax), sy = std::sin(-ay), cy = std::cos(-ay);
  float sz = std::sin(az), cz = std::cos(az);
  float m[4][3] = {{cz * cy, -sz * cy, sy},
                   {sz * cx + cz * sy * sx, cz * cx - sz * sy * sx, -cy * sx},
                   {sz * sx - cz * sy * cx, cz * sx + sz * sy * cx, cy * cx},
                   {building->CentreX, 0.0f, building->CentreZ}};
  std::memcpy(v.Matrix, m, sizeof(m));
  v.Position[0] = building->CentreX;
  v.Position[1] = 0.0f;
  v.Position[2] = building->CentreZ;
  if (v.Built) RefreshBuildingModel(*building);

  building->Next = nullptr;
  building->Prev = LastBuilding;
  if (LastBuilding) LastBuilding->Next = building;
  else FirstBuilding = building;
  LastBuilding = building;
  building->PlaceInBlock = static_cast<uint8_t>(BuildingCount);
  ++BuildingCount;
  WriteBuildingLots(*this, *building, building->Floors);
  ResetBounds(TallestBuildingHeight());
  for (int i = 0; i < v.DoorCount && i < kMaxBuildingDoors; ++i) {
    v.Doors[i].x -= CentreX - building->CentreX;
    v.Doors[i].z -= CentreZ - building->CentreZ;
  }
}

CBuilding* CBlock::FindBuilding(int32_t buildingId) const {
  for (CBuilding* b = FirstBuilding; b; b = b->Next) {
    if (b->Id == buildingId) return b;
  }
  return nullptr;
}

bool CBlock::RemoveBuilding(int32_t buildingId) {
  CBuilding* b = FindBuilding(buildingId);
  if (b == nullptr) return false;
  if (b->Prev) b->Prev->Next = b->Next;
  else FirstBuilding = b->Next;
  if (b->Next) b->Next->Prev = b->Prev;
  else LastBuilding = b->Prev;
  b->Next = b->Prev = nullptr;
  if (g_SelectedBuilding == b) g_SelectedBuilding = nullptr;
  if (g_HoveredBuilding == b) g_HoveredBuilding = nullptr;
  --BuildingCount;
  b->InUse = 0;
  WriteBuildingLots(*this, *b, 0);
  City().visuals->ReleaseBuildingVisuals(*b);
  if (b->Visual.EffectSlot != -1) {
    City().visuals->StopEffect(b->Visual.EffectSlot);
    b->Visual.EffectSlot = -1;
  }
  ResetBounds(TallestBuildingHeight());
  ComputeBlockFreeFootprint(Index);
  return true;
}

bool CBlock::IsBuildingComplete(int32_t buildingId) const {
  const CBuilding* b = FindBuilding(buildingId);
  return b != nullptr && b->Status == kStatusComplete;
}

void CBlock::UpdateCommodityMask() {
  uint32_t mask = 0;
  for (const CBuilding* b = FirstBuilding; b; b = b->Next) {
    const CBusiness* business = GetBusinessInUse(b->BusinessIndex);
    const BusinessType* type = business ? business->GetTypeRow() : nullptr;
    if (type != nullptr) mask |= type->CommodityMask;
  }
  CommodityMask = mask;
}

float CBlock::GetResidentMoney() const {
  float sum = 0;
  for (const CBuilding* b = FirstBuilding; b; b = b->Next) {
    // A residence's money value: its rent at full occupancy.
    const CBusiness* business = GetBusinessInUse(b->BusinessIndex);
    if (business != nullptr && business->IsResidence()) sum += business->PotentialIncome;
  }
  return sum;
}

float CBlock::TallestBuildingHeight() const {
  float h = 10.0f;
  for (const CBuilding* b = FirstBuilding; b; b = b->Next) h = std::max(h, b->Visual.Height);
  return h;
}

void CBlock::ResetBounds(float height) {
  for (int i = 0; i < 8; ++i) {
    Bounds.Corners[i][0] = (i & 1) ? 41.0f : -41.0f;
    Bounds.Corners[i][1] = (i & 2) ? height : 0.0f;
    Bounds.Corners[i][2] = (i & 4) ? 41.0f : -41.0f;
  }
  Bounds.Centre[0] = 0.0f;
  Bounds.Centre[1] = height / 2.0f;
  Bounds.Centre[2] = 0.0f;
  Bounds.RadiusSquared = (height / 2.0f) * (height / 2.0f) + 3362.0f;
  Bounds.Radius = std::sqrt(Bounds.RadiusSquared);
}

// ---- Statistics rows -----------------------------------------------------------

void BlockStats::Reset() {
  Owner = kStatsNoOwner;
  LeasePrice = 0;
  Flag = 0;
  InterestTotal = 0;
  Reserved = 0;
  District = 255;
  PeopleCount = 0;
  AdjacentCount = 0;
}

void BlockStats::Refresh() {
  const CBlock& b = g_Blocks[BlockId < kBlockCount ? BlockId : 0];
  Owner = b.Owner;
  LeasePrice = b.GetLeasePrice();
  Reserved = 0;
  InterestTotal = BlockInterestTotal(BlockId);
}

void BlockStats::CountPeople() {
  // Everyone whose current block it is, indoors or out (the street counter,
  // PeopleInBlock, drops when a person goes inside).
  PeopleCount = static_cast<uint16_t>(std::min(PeopleWithCurrentBlock(BlockId), 65535));
}

int32_t BlockStats::GetAdjacentBlockSlot(int slot) const {
  return (slot >= 0 && slot < kMaxAdjacentBlocks) ? Adjacent[slot] : -1;
}

bool BlockStats::IsAdjacentBlock(int32_t block) const {
  return std::find(std::begin(Adjacent), std::end(Adjacent), block) != std::end(Adjacent);
}

void BlockStats::ClearAdjacentBlocks() {
  std::fill(std::begin(Adjacent), std::end(Adjacent), -1);
  AdjacentCount = 0;
}

void BlockStats::SetAdjacentBlock(int32_t blockId) {
  if (blockId < 0 || blockId >= kBlockCount) {
    ReportError(1, 0, "SetAdjacentBlock - Invalid Parameter: blockid");
    return;
  }
  if (AdjacentCount >= kMaxAdjacentBlocks) {
    // A ninth neighbour is a map fault, not a reason to end the game.
    ReportError(1, 0, "adjacent_blocks[] array about to be overrun");
    return;
  }
  Adjacent[AdjacentCount++] = blockId;
}

// ---- Whole tables ----------------------------------------------------------------

void InitBlocks() {
  for (int i = 0; i < kBlockCount; ++i) {
    CBlock& b = g_Blocks[i];
    b.Index = i;
    b.FirstBuilding = b.LastBuilding = nullptr;
    b.BuildingCount = 0;
    b.ResetBounds(10.0f);
    b.Owner = 0;
    b.CommodityMask = 0;
    b.Ownable = 0;
    b.BuildingRights = kRightsNone;
    b.LeaseHours = 0;
    b.PrepareHours = 0;
    b.PeopleInside = 0;
    b.RequestPad = 0;
    b.PreparePad = 0;
    LocalBlockMarks(i) = BlockRequestMarks{};
    b.Prestige = g_BlockDefs[i].Prestige;
  }
  g_HoveredBuilding = nullptr;
}

void CopyBlockPrestige() {
  for (int i = 0; i < kBlockCount; ++i) g_Blocks[i].Prestige = g_BlockDefs[i].Prestige;
}

void ClearCity() {
  for (CBlock& b : g_Blocks) {
    while (b.FirstBuilding) {
      if (!b.RemoveBuilding(b.FirstBuilding->Id)) break;
    }
    b.FirstBuilding = b.LastBuilding = nullptr;
    b.BuildingCount = 0;
    ClearLots(b.Lots);
  }
  g_SelectedBuilding = nullptr;
  ResetBuildings();
  InitBlocks();
}

void UpdateBlockLeasesHourly() {
  const CPlayer* localPlayer = PlayerTable().Local();
  const int32_t local = localPlayer ? localPlayer->index + 1 : 0;
  for (int i = 0; i < kBlockCount; ++i) {
    CBlock& b = g_Blocks[i];
    if (b.Owner == 0 || b.LeaseHours <= 0) continue;
    int32_t before = b.LeaseHours;
    --b.LeaseHours;
    --b.PrepareHours;
    bool isLocal = b.Owner == local;
    int32_t nameId = g_BlockDefs[b.DefIndex >= 0 && b.DefIndex < kBlockCount ? b.DefIndex : i].NameTextId;
    if (before == 25 && isLocal) PostGameEvent(PromptEvent{302, 1727, 1728, nameId, 1435});
    if (b.LeaseHours == 0) {
      if (isLocal) PostGameEvent(PromptEvent{302, 1727, 1729, nameId, 1435});
      ReturnBlockToCity(i, 0.0f);
      if (AuctionBlock() == i) EndAuction();
    }
  }
}

void ComputeBlockAdjacency() {
  for (int i = 0; i < kBlockCount; ++i) {
    const CBlock& bi = g_Blocks[i];
    if (!bi.InUse) continue;
    BlockStats& s = g_BlockStats[i];
    s.BlockId = static_cast<uint8_t>(i);
    s.District = g_BlockDefs[i].District;
    s.ClearAdjacentBlocks();
    for (int j = 0; j < kBlockCount; ++j) {
      const CBlock& bj = g_Blocks[j];
      if (j == i || !bj.InUse) continue;
      if (bi.CentreX == bj.CentreX) {
        if (std::fabs(bi.CentreZ - bj.CentreZ) > bi.SizeZ + 37.0f) continue;
        s.SetAdjacentBlock(j);
        // The neighbours across the road from j, along j's row.
        for (int k = 0; k < kBlockCount; ++k) {
          const CBlock& bk = g_Blocks[k];
          if (k == j || !bk.InUse) continue;
          if (bk.CentreZ == bj.CentreZ && std::fabs(bj.CentreX - bk.CentreX) <= bj.SizeX + 37.0f)
            s.SetAdjacentBlock(k);
        }
      } else if (bi.CentreZ == bj.CentreZ) {
        if (std::fabs(bi.CentreX - bj.CentreX) <= bi.SizeX + 37.0f) s.SetAdjacentBlock(j);
      }
    }
  }
}

void ResetBlockStats(bool withData) {
  if (withData) PlayerData().Reset();
  for (BlockStats& s : g_BlockStats) s.Reset();
}

void CountPeopleInBlocks() {
  for (BlockStats& s : g_BlockStats) s.CountPeople();
}
