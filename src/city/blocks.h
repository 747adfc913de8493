#pragma once
// Blocks and districts: the 52 fixed block definitions, their run-time
// records with the 7 by 7 lot grid and building list, the per-block
// statistics rows and the 12 districts. Fixed-capacity static state.
#include <array>
#include <cstdint>
#include <string_view>

#include "city/city_limits.h"
#include "engine/core/record_visitor.h"

class CBuilding;
class CPlayer;

inline constexpr int kBlockCount = 52;
inline constexpr int kDistrictCount = 12;
inline constexpr int kLotsPerSide = 7;
inline constexpr int kLotCount = kLotsPerSide * kLotsPerSide;
inline constexpr float kLotSize = 10.0f;
inline constexpr int kBlockSavedBuildings = 32;
inline constexpr int kMaxAdjacentBlocks = 8;
inline constexpr uint8_t kStatsNoOwner = 255;
inline constexpr int32_t kUtilityBlocks[4] = {2, 35, 39, 42};  // telecoms, gas, water, electricity

struct BlockDef {
  int32_t NameTextId = 0;
  uint8_t District = 0;
  char Key[35] = {};
  int32_t Value = 0;
  float Distribution[6] = {};
  float Looseness = 0;
  int32_t ClassScore[3] = {};  // per people class (low, medium, high)
  float Prestige = 0;
};
extern std::array<BlockDef, kBlockCount> g_BlockDefs;

struct CDistrict {
  uint8_t Colour[4] = {};      // r, g, b, 255
  uint8_t TextColour[4] = {};  // r, g, b, a of the block labels
  char Key[32] = {};
  int32_t NameTextId = 0;
  int32_t Blocks[4] = {-1, -1, -1, -1};

  uint32_t ColourWord() const;  // 0xAARRGGBB
};
extern std::array<CDistrict, kDistrictCount> g_Districts;

using LotGrid = uint8_t[kLotsPerSide][kLotsPerSide];  // [x][z]

struct BlockBounds {
  float Corners[8][3] = {};
  float Centre[3] = {};
  float RadiusSquared = 0;
  float Radius = 0;
};

// Access and map-mark bits.
enum BlockAccess : int32_t { kAccessNorth = 1, kAccessEast = 2, kAccessSouth = 4, kAccessWest = 8 };
enum BlockMapMark : int32_t { kMarkHidden = 1, kMarkI = 2 };
enum BuildingRights : int32_t { kRightsNone = 0, kRightsPreparing = 1, kRightsGranted = 2 };

// A block's saved run state: its row of chunk 4 (the building list as ids),
// 172 bytes laid out as the fields sit in memory (natural alignment, zero
// padding).
struct BlockSavedState {
  int32_t Index = 0;
  uint8_t InUse = 0;
  uint8_t Owner = 0;
  int32_t BuildingCount = 0;
  int32_t SavedBuildingIds[kBlockSavedBuildings] = {};
  // The saved layout keeps room for a machine's marks of its requests about
  // the block; those are its own (city/local_drafts.h), so both stay 0.
  uint8_t RequestPad = 0;
  uint8_t PreparePad = 0;
  uint32_t CommodityMask = 0;
  uint8_t Ownable = 0;
  int32_t BuildingRights = 0;
  int32_t LeaseHours = 0;
  int32_t PrepareHours = 0;
  float Prestige = 0;
  int32_t PeopleInside = 0;

  template <class V>
  void Visit(V& v) {
    v.Field(Index);
    v.Require(Index == static_cast<int32_t>(v.Row()), "block id out of place");
    v.Field(InUse);
    v.Field(Owner, {0, kMaxPlayerNumber, "block owner"});
    v.Pad(2);
    v.Field(BuildingCount, {0, kBlockSavedBuildings, "building count"});
    v.Field(SavedBuildingIds);
    v.Field(RequestPad);
    v.Field(PreparePad);
    v.Pad(2);
    v.Field(CommodityMask);
    v.Field(Ownable);
    v.Pad(3);
    v.Field(BuildingRights, {kRightsNone, kRightsGranted, "building rights"});
    v.Field(LeaseHours, {0, INT32_MAX, "lease hours"});
    v.Field(PrepareHours);
    v.Field(Prestige);
    v.Field(PeopleInside);
  }
};

class CBlock : public BlockSavedState {
 public:
  int32_t DefIndex = 0;
  int32_t MapMarks = 0;
  uint32_t DistrictColour = 0xFFFFFFFFu;
  int32_t Reserved = -1;
  LotGrid Lots = {};
  float SizeX = 0, SizeZ = 0;
  float MinX = 0, MinZ = 0;
  float CentreX = 0, CentreZ = 0;
  BlockBounds Bounds;
  CBuilding* FirstBuilding = nullptr;
  CBuilding* LastBuilding = nullptr;
  uint8_t SideNode[4] = {255, 255, 255, 255};  // N, S, E, W
  int32_t SideLane[4] = {-1, -1, -1, -1};      // N, S, E, W
  int32_t Access = 0;

  CPlayer* GetOwner() const;
  float GetLeasePrice() const;
  void SendPrepareRequest() const;
  bool IsLotRegionFreeAt(int x, int z, int width, int depth) const;
  bool IsLotRegionFreeRect(int x1, int z1, int x2, int z2) const;
  bool PlaceBuilding(CBuilding* building, int x1, int z1, int x2, int z2, int floors, int32_t seed,
                     int32_t kind, uint8_t quality, float value);
  void LinkBuilding(CBuilding* building);
  bool RemoveBuilding(int32_t buildingId);
  bool IsBuildingComplete(int32_t buildingId) const;
  void UpdateCommodityMask();
  float GetResidentMoney() const;
  void ResetBounds(float height);
  // The tallest building's height, at least 10.
  float TallestBuildingHeight() const;
  CBuilding* FindBuilding(int32_t buildingId) const;
};
extern std::array<CBlock, kBlockCount> g_Blocks;

struct BlockStats {
  uint8_t BlockId = 0;
  uint8_t Owner = kStatsNoOwner;
  float LeasePrice = 0;
  uint8_t Flag = 0;
  uint8_t InterestTotal = 0;
  uint16_t Reserved = 0;
  uint8_t District = 255;
  uint16_t PeopleCount = 0;
  int32_t Unused = 0;
  int32_t Adjacent[kMaxAdjacentBlocks] = {-1, -1, -1, -1, -1, -1, -1, -1};
  uint8_t AdjacentCount = 0;

  void Refresh();
  void CountPeople();
  uint16_t GetPeopleCount() const { return PeopleCount; }
  int32_t GetAdjacentBlockSlot(int slot) const;
  bool IsAdjacentBlock(int32_t block) const;
  void ClearAdjacentBlocks();
  void SetAdjacentBlock(int32_t blockId);
  void Reset();
};
extern std::array<BlockStats, kBlockCount> g_BlockStats;

// Lot grid operations (any 7 by 7 grid).
bool IsLotRegionFree(const LotGrid& grid, int x1, int z1, int x2, int z2);
void FillLotRegion(LotGrid& grid, int x1, int z1, int x2, int z2, uint8_t value);
void ClearLots(LotGrid& grid);

// Whole-table operations.
void InitBlockDefs();  // restores the static definition rows
void InitDistricts();  // restores the district keys, colours and block lists
void InitBlocks();
void CopyBlockPrestige();
void ClearCity();
void UpdateBlockLeasesHourly();
void ComputeBlockAdjacency();
// withData: also resets the statistics object (new game).
void ResetBlockStats(bool withData);
void CountPeopleInBlocks();

CBlock* GetBlock(int32_t id);  // null outside 0..51
int FindBlockByKey(std::string_view key);     // -1 when none (case-insensitive)
int FindDistrictByKey(std::string_view key);  // -1 when none (case-insensitive)

// Selected and hovered buildings (cleared when their building goes).
extern CBuilding* g_SelectedBuilding;
extern CBuilding* g_HoveredBuilding;
