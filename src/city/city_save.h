#pragma once
// Save chunk 4: every building record's head and every block's run state,
// with each block's building list as ids. Lists, lots, bounds and visuals
// are rebuilt on load by linking the buildings again in their saved order.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "city/blocks.h"
#include "city/buildings.h"

inline constexpr uint32_t kBuildingsChunkVersion = 1;

// The record of chunk 4. Its visit checks every head and that the block
// lists agree with the buildings (ids, places, lots, blocks on the map).
struct CityBuildingsRecord {
  uint32_t version = kBuildingsChunkVersion;
  int32_t buildingCount = kBuildingPoolSize;
  int32_t blockCount = kBlockCount;
  std::array<BuildingSavedState, kBuildingPoolSize> buildings;
  std::array<BlockSavedState, kBlockCount> blocks;
  template <class V>
  void Visit(V& v);
};

// The record of the current city, and its bytes.
std::unique_ptr<CityBuildingsRecord> CurrentBuildingsRecord();
std::vector<uint8_t> EncodeBuildingsChunk();
// Replaces the city's buildings and block state with a checked record's.
void ApplyBuildingsRecord(const CityBuildingsRecord& record);
// Registers the save hook (mask 8) and the load of chunk 4.
void RegisterCitySaveHooks();
