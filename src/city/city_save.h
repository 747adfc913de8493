#pragma once
// Save chunk 4: every building record's head and every block's run state,
// with each block's building list as ids. Lists, lots, bounds and visuals
// are rebuilt on load by linking the buildings again in their saved order.
#include <cstdint>
#include <span>
#include <vector>

// 600 building heads of 64 bytes, then 52 block heads of 172 bytes (Index
// through PeopleInside, the building list as ids in the middle).
inline constexpr uint32_t kBuildingHeadSize = 64;
inline constexpr uint32_t kBlockHeadSize = 172;
inline constexpr uint32_t kBuildingsChunkSize = 600 * kBuildingHeadSize + 52 * kBlockHeadSize;

// The chunk's bytes for the current city.
std::vector<uint8_t> EncodeBuildingsChunk();
// Whether a chunk is well formed: sizes, ids, counts, indices and lots all in
// range and consistent. Nothing is changed.
bool CheckBuildingsChunk(std::span<const uint8_t> data);
// Checks, then replaces the city's buildings and block state with the
// chunk's. False, with the city unchanged, for a bad chunk.
bool LoadBuildingsChunk(std::span<const uint8_t> data);
// Appends the chunk to the save being written.
void SaveBuildingsChunk();
// Registers the save hook (mask 8) and the load hook (chunk 4).
void RegisterCitySaveHooks();
