#pragma once
// The building library: every building design the city can build, compiled
// from the design files into one file that the game loads at start-up
// (`max\BuildEditorModels\BuildFile.dat`). A design is a stack of layers; a
// layer is a closed outline on the lot grid with a texture byte per point, a
// storey height, a style and a weight that says how often it may repeat when
// the design is stretched to more floors; a design also carries placements
// for signs and props.
//
// File: a 100-byte header (magic "fBmL", version 9, total size, then count and
// offset of each of seven arrays), then the arrays packed from byte 100 in
// order, little-endian: points (8 bytes), texture bytes (1), point-layer and
// texture-layer references (4: count << 24 | first), layers (32), buildings
// (28), placements (32).
//
// Coordinates of a design: x runs 0..BaseWidth and z runs 7-BaseDepth..7 in
// lot units; the edge z = 7 is the design's street front (doors, shop
// windows, signs face it) and, for a corner design, x = 0 is its second
// street side.
//
// Use by the architect:
//   const BuildingLibrary* library = TheBuildingLibrary();   // may be null
//   int32_t found[20];
//   int32_t n = SearchBuildingLibrary(library, {w, d, floors, quality + 1, corner ? 1 : 2, 1}, found);
//   // n < 0: bad search values; n == 0: no design fits.
//   // found[i] & kLibraryTurnedMark: the design fits the site turned a quarter.
//   BuildingDescription description;
//   InstantiateLibraryBuilding(library, found[pick], description, floors);
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr uint32_t kLibraryMagic = 0x4C6D4266;  // "fBmL"
inline constexpr int32_t kLibraryVersion = 9;
inline constexpr int32_t kLibraryHeaderSize = 100;
inline constexpr int32_t kLibraryPlacementsPerBuilding = 32;
inline constexpr int32_t kLibraryMaxLayersPerBuilding = 25;
inline constexpr int32_t kLibraryMaxLayerPoints = 255;  // the reference's count byte
inline constexpr uint32_t kLibraryTurnedMark = 0x80000000u;
inline constexpr int32_t kLibraryMaxFloors = 250;
// Where the game finds its library (a game name).
inline constexpr std::string_view kBuildingLibraryGameName = "max\\BuildEditorModels\\BuildFile.dat";

// Library categories (a design's building type).
enum LibraryCategory : uint8_t {
  kCategoryResidential = 1,
  kCategoryRetail = 2,
  kCategoryLandscape = 5,
  kCategoryTelecoms = 7,
  kCategoryGas = 8,
  kCategoryElectric = 9,
  kCategoryWater = 10,
  kCategoryMarina = 12,
};

// The seven arrays, by the codes the editor's reports use.
enum LibraryArray : int32_t {
  kArrayPoints = 100,
  kArrayTextures = 200,
  kArrayPointLayers = 300,
  kArrayTextureLayers = 400,
  kArrayLayers = 500,
  kArrayBuildings = 600,
  kArrayPlacements = 700,
};

struct LibraryPoint {
  float x = 0, z = 0;
};

// Layer style bits.
inline constexpr uint8_t kLayerStyleRoof = 1 << 0;     // cap the top with a roof
inline constexpr uint8_t kLayerStyleLedge = 1 << 1;    // a ledge band at the top
inline constexpr uint8_t kLayerStyleNoWalls = 3 << 5;  // either bit: no walls
// Layer flag bit 0: adds no height and has no walls (a flat roof piece).
inline constexpr uint8_t kLayerFlagFlat = 1 << 0;

struct LibraryLayer {
  int32_t PointLayer = 0;    // index into the point-layer references
  int32_t TextureLayer = 0;  // index into the texture-layer references
  float Zero = 0;
  float Height = 0;  // one repetition (one storey)
  uint8_t Style = 0;
  uint8_t TextureScale = 0;  // repeats of the wall texture along a wall
  uint8_t Weight = 0;        // how often the layer may repeat when stretched
  uint8_t Pad0 = 0;
  float LedgeDrop = 0;
  float LedgeWidth = 0;
  uint8_t Flags = 0;
  uint8_t Pad1[3] = {};
};

struct LibraryBuilding {
  int32_t FirstLayer = 0;
  int32_t LayerCount = 0;
  int32_t FirstPlacement = 0;
  int32_t PlacementCount = 0;
  uint8_t Params[5] = {};  // the texture group masks (bit 0 brick, 1 stone, 2 timber, 3 concrete, 4 glass)
  uint8_t BaseWidth = 0;   // lots along x, 1..7
  uint8_t BaseDepth = 0;   // lots along z, 1..7
  uint8_t Designer = 0;    // carried for the editor
  uint8_t Category = 0;    // LibraryCategory
  uint8_t Quality = 0;     // 1..3
  uint8_t FloorClass = 0;  // 1, 2, 3, or 4 for four and more
  uint8_t CornerKind = 0;  // 1 corner (may be used turned), 2 along one side
};

struct LibraryPlacement {
  float X = 0;
  float Y = 0;  // above the base of its layer
  float Z = 0;
  int32_t Value = 0;  // the control point's turn in whole degrees, passed to the sign
  float ScaleU = 1, ScaleV = 1;
  int32_t Code = 0;   // part code: a sign or a prop
  int32_t Layer = 0;  // the layer it stands on
};

struct BuildingLibrary {
  std::vector<LibraryPoint> Points;
  std::vector<uint8_t> Textures;  // group << 5 | facade code
  std::vector<uint32_t> PointLayers;
  std::vector<uint32_t> TextureLayers;
  std::vector<LibraryLayer> Layers;
  std::vector<LibraryBuilding> Buildings;
  std::vector<LibraryPlacement> Placements;
  // Running maxima of the compile, for the statistics report.
  int32_t MaxLoopPoints = 0;
  int32_t MaxLayers = 0;
};

// Packing of texture bytes and layer references.
inline uint8_t PackTextureByte(int32_t group, int32_t index) {
  return static_cast<uint8_t>((group & 7) * 32 + (index & 31));
}
inline int32_t TextureByteGroup(uint8_t b) { return b >> 5; }
inline int32_t TextureByteIndex(uint8_t b) { return b & 31; }
inline uint32_t PackLayerReference(uint32_t count, uint32_t first) { return count << 24 | (first & 0xFFFFFF); }
inline uint32_t LayerReferenceCount(uint32_t r) { return r >> 24; }
inline uint32_t LayerReferenceFirst(uint32_t r) { return r & 0xFFFFFF; }

// ---- The file ------------------------------------------------------------------

// Element size of an array (8, 1, 4, 4, 32, 28, 32); 0 for an unknown code.
int32_t GetLibraryElementSize(int32_t code);
// Elements in an array; -1 for an unknown code.
int32_t GetLibraryCount(const BuildingLibrary& library, int32_t code);
// Appends n zeroed elements; the index of the first, -1 for an unknown code.
int32_t GrowLibraryArray(BuildingLibrary& library, int32_t code, int32_t n);

// The file's bytes, with offsets recomputed and total size set.
std::vector<uint8_t> EncodeBuildingLibrary(const BuildingLibrary& library);
// Parses a library image. Checks the header, magic, version, total size,
// every count and offset and every packed reference and index before use;
// false with the reason otherwise (the library is left empty).
bool DecodeBuildingLibrary(std::span<const uint8_t> bytes, BuildingLibrary& library, std::string& reason);
// Loads a library file (a game name); false with the reason when it is
// missing or refused.
bool LoadBuildingLibrary(std::string_view path, BuildingLibrary& library, std::string& reason);
// Writes a library file, creating its folder; false when it cannot be written.
bool SaveBuildingLibrary(std::string_view path, const BuildingLibrary& library);

// ---- Search and instantiation ---------------------------------------------------

struct LibrarySearch {
  int32_t width = 1, depth = 1;  // site in lots, 1..7
  int32_t floorClass = 1;        // 1..3 exact; 4 and more take any design of 4 and more; below 1 finds none
  int32_t quality = 0;           // 1..3, 0 any
  int32_t cornerKind = 0;        // 1 corner, 2 side, 0 any
  int32_t category = 0;          // 1..12, 0 any
};

// The designs that fit, in index order, at most results.size(). A corner
// design fits its base either way round; one that fits only turned comes back
// with kLibraryTurnedMark set. Returns the number found, -1 for bad values
// (no room for results, sizes outside 1..7, quality outside 0..3, corner kind
// outside 0..2, category outside 0..12). With `pickOne`, one of the found
// entries (chosen by pickTick x 57 modulo the number found) is moved to the
// front and 1 is returned.
int32_t SearchBuildingLibrary(const BuildingLibrary* library, const LibrarySearch& search,
                              std::span<int32_t> results, bool pickOne = false, uint32_t pickTick = 0);

struct DescriptionLayer {
  std::vector<LibraryPoint> points;  // closed: the last repeats the first
  std::vector<uint8_t> textures;     // one per point
  float baseHeight = 0;              // sum of the repetitions below (flat layers add nothing)
  float totalHeight = 0;             // repetitions x height
  int32_t repetitions = 1;
  // Passed through from the library layer.
  float height = 0;
  uint8_t style = 0;
  uint8_t textureScale = 0;
  uint8_t weight = 0;
  uint8_t flags = 0;
  float ledgeDrop = 0;
  float ledgeWidth = 0;
};

// A design made ready for the architect's mesh builder.
struct BuildingDescription {
  bool valid = false;
  int32_t entry = -1;
  uint8_t params[5] = {};
  uint8_t baseWidth = 0, baseDepth = 0;
  std::vector<DescriptionLayer> layers;
  int32_t placementCount = 0;
  std::array<LibraryPlacement, kLibraryPlacementsPerBuilding> placements{};
};

// Fills the description from entry (its turned mark is ignored) stretched to
// `floors`: up to four floors each layer stands once; every floor beyond adds
// a repetition of a layer drawn by weight from a stream restarted at seed 0,
// so the same entry and floors always give the same layers. False (the
// description invalid) for a missing library, an entry out of range or 250
// floors or more.
bool InstantiateLibraryBuilding(const BuildingLibrary* library, int32_t entry, BuildingDescription& description,
                                int32_t floors);

// ---- Reports for the editor -----------------------------------------------------

std::string FormatLibraryStats(const BuildingLibrary& library);
std::string FormatLibraryBaseSizeTable(const BuildingLibrary& library);
std::string FormatLibraryBuildingInfo(const BuildingLibrary& library, int32_t index);
// Each base size the library holds, with its count of buildings by floors
// ("3 x 2: 5 (floors 1: 2, 2: 3, 3: 0, 4+: 0)"), one line a size.
std::string DumpLibraryDetails(const BuildingLibrary& library);

// ---- The game's library ---------------------------------------------------------

// The game's library: under the game root, or on a minimal installation
// under its data root.
std::string GameBuildingLibraryName();
// Loads the game's library at start-up. A missing or refused file is
// reported (warning with its reason) and the game goes on without one: every
// building is then the plain box. True when a library was loaded.
bool LoadGameBuildingLibrary();
// The loaded library, null when none.
const BuildingLibrary* TheBuildingLibrary();
void FreeGameBuildingLibrary();
