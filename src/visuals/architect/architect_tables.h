#pragma once
// The architect's texture tables, read at start-up from the game root's
// "architect.txt": which texture of the architecture texture set
// (gamedata2\ArchitectTextures\textures.gtd) dresses each facade code of each
// material in each of the six wall sets, the two roof sets, the storey band
// table of 705 entries and the plain set. Texture numbers are places in that
// texture set.
//
// One statement a line; '#' starts a comment:
//   wall <set 0-5> <material 0-4> <blank> <windows>
//   ground <set 0-5> <shop blank> <shop door> <shop window> <house blank> <house door> <house window>
//   roof <set 0-1> <cap> <ledge>
//   storeys <texture>...      appends entries; the list is repeated to fill 705
//   storeydefault <texture>   replaces every entry of 0
//   plain <wall> <roof> <storey>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr int32_t kWallSets = 6;
inline constexpr int32_t kRoofSets = 2;
inline constexpr int32_t kMaterials = 5;  // brick, stone, timber, concrete, glass
inline constexpr int32_t kStoreyEntries = 705;
inline constexpr int32_t kMaxArchitectTextures = 256;

// Facade codes of the design's texture bytes.
enum FacadeCode : int32_t {
  kFacadeWindowsFirst = 4,
  kFacadeShopBlank = 8,
  kFacadeHouseBlank = 9,
  kFacadeShopDoor = 10,
  kFacadeHouseDoor = 11,
  kFacadeShopWindow = 12,
  kFacadeHouseWindow = 13,
  kFacadeLedgeFirst = 14,
};

struct WallSet {
  uint8_t blank[kMaterials] = {};
  uint8_t windows[kMaterials] = {};
  uint8_t ground[6] = {};  // shop blank, door, window; house blank, door, window
};

struct RoofSet {
  uint8_t cap = 0;
  uint8_t ledge = 0;
};

struct ArchitectTables {
  std::array<WallSet, kWallSets> walls{};
  std::array<RoofSet, kRoofSets> roofs{};
  std::array<uint8_t, kStoreyEntries> storeys{};
  uint8_t plainWall = 0, plainRoof = 0, plainStorey = 0;
};

// Parses the table text; false with the line and reason (tables unchanged)
// for an unknown statement, a number out of range or no storey entries.
bool ParseArchitectTables(std::string_view text, ArchitectTables& out, std::string& error);
// Start-up: reads "architect.txt"; a missing or refused file keeps every
// texture at 0 with a warning.
void LoadArchitectTables();
const ArchitectTables& TheArchitectTables();
// Texture slots of the architecture texture set in file order, filled when
// the set is loaded; a number without a slot draws with slot 0.
void SetArchitectTextureSlots(const int32_t* slots, int32_t count);
uint16_t ArchitectTextureSlot(int32_t number);
