#pragma once
// The building design record that the building editor edits and the design
// files (".cb") hold: a stack of up to 25 outline loops on a 7 by 7 cell lot,
// each with a height, roof styles, facade codes per half-unit piece of every
// edge and repeat counts, plus 32 control points for signs and props and the
// five building properties. A design file is the record itself, 48,020 bytes,
// little-endian, no header; it is written and read field by field.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

inline constexpr int kMaxDesignLoops = 25;
inline constexpr int kMaxLoopPoints = 20;
inline constexpr int kMinLoopPoints = 3;
inline constexpr int kMaxEdgePieces = 32;
inline constexpr int kDesignControlPoints = 32;
inline constexpr int kMaxStackLoops = 15;
inline constexpr int kDesignFileSize = 48020;
inline constexpr int kDesignLoopSize = 1868;
inline constexpr int kLotCells = 7;

// Facade codes of a half-unit piece (the texture selector's buttons).
enum FacadeCode : uint8_t {
  kFacadeBlank0 = 0,
  kFacadeWindow0 = 4,
  kFacadeGroundBlankCom = 8,
  kFacadeGroundBlankRes = 9,
  kFacadeGroundDoorCom = 10,
  kFacadeGroundDoorRes = 11,
  kFacadeGroundWindowCom = 12,
  kFacadeGroundWindowRes = 13,
  kFacadeLedge0 = 14,
  kFacadeLedge1 = 15,
};

// Roof style bits of a loop's roof mask.
enum RoofStyleBit : int32_t {
  kRoofFlat = 1 << 0,
  kRoofSunken = 1 << 1,
  kRoofWalled = 1 << 2,
  kRoofSawtoothMajor = 1 << 3,
  kRoofSawtoothMinor = 1 << 4,
  kRoofPointyMajor = 1 << 5,
  kRoofPointyMinor = 1 << 6,
  kRoofCylinderMajor = 1 << 7,
  kRoofCylinderMinor = 1 << 8,
};

inline constexpr int8_t kLoopRailing = 1;  // loop flag: a railing adds no height

struct LoopPoint {
  float x = 0, z = 0, y = 0;
  uint8_t facade[kMaxEdgePieces] = {};  // facade code of each piece of the edge to the next point
  uint8_t group[kMaxEdgePieces] = {};   // texture group 0..4 of each piece
  uint8_t selected = 0;
  uint8_t selectedAtDrag = 0;
  uint8_t pad[2] = {};
  float dragX = 0, dragZ = 0;
};

struct DesignLoop {
  uint8_t pointCount = 0;
  int8_t flags = 0;
  uint8_t pad0[2] = {};
  LoopPoint points[kMaxLoopPoints];
  float height = 0;
  int32_t reserved = 0;  // kept as stored
  float offset1 = 0;     // ledge drop
  float offset2 = 0;     // ledge width
  int32_t textureScaleChoice = 0;
  int32_t roofMask = 0;
  int32_t uRepeat = 0;
  int32_t repeatMax = 0;
  uint8_t successorCount = 0;
  uint8_t successors[kMaxDesignLoops] = {};
  uint8_t pad1[2] = {};
  // Editing state, stored as it stands; other readers ignore it.
  int32_t hoverPoint = 0;
  int32_t hoverEdge = 0;
  int32_t hoverPiece = 0;
  int32_t editA = 0;
  int32_t editB = 0;
  int32_t pad2 = 0;
  int32_t dragging = 0;
  float drag[4] = {};
};

struct ControlPoint {
  uint8_t inUse = 0;
  uint8_t pad[3] = {};
  float x = 0, y = 0, z = 0;
  float yAngle = 0;
  float scaleX = 0, scaleY = 0;
  int32_t type = 0;  // part code, -1 none (placed points start at -1)
  int32_t loop = 0;
};

struct BuildingDesign {
  int32_t loopCount = 0;
  DesignLoop loops[kMaxDesignLoops];
  int32_t textureSet = 0;
  int32_t loopOrder[kMaxDesignLoops] = {};  // ends at the first -1
  int32_t groupMasks[5] = {};               // bit 0 Brick, 1 Stone, 2 Timber, 3 Concrete, 4 Glass
  // Bounds in cells (see ComputeLoopBounds and StoreBaseLoopBounds).
  int32_t width = 0, depth = 0;
  int32_t lowX = 0, lowZ = 0;
  int32_t offsetX = 0;  // minus the lowest x
  int32_t offsetZ = 0;  // 7 minus the highest z
  int32_t reservedA = 0, reservedB = 0;
  ControlPoint controls[kDesignControlPoints];
  uint8_t person = 0;        // designer 1..8, 0 not set
  uint8_t prestige = 0;      // 1 low, 2 medium, 3 high
  uint8_t buildingType = 0;  // 1..12: 1 residential, 2 retail, 5 landscape, 7 telecoms ...
  uint8_t baseType = 0;      // 1 corner, 2 edge
  uint8_t floors = 0;        // 1, 2, 3, 4 (4 and more)
  uint8_t pad[3] = {};
};

// A new design: everything zero, no loops, loop order 0..24.
void NewBuildingDesign(BuildingDesign& design);
// Loop n of the design; null unless 0 <= n < loop count.
DesignLoop* GetBuildingLoop(BuildingDesign* design, int n);
// The default loop: the square (1,1) (6,1) (6,6) (1,6), height 5, repeats 1.
void InitDesignLoop(DesignLoop& loop);
// Inserts a default loop after `after` (clamped to -1 .. count-1), renumbering
// the control points and successors of the loops that move. Returns the list
// row of the new loop (after + 2), -1 when 25 loops exist.
int InsertDesignLoop(BuildingDesign& design, int after);
// Duplicates loop `at` (clamped to 0 .. count-1) into the slot after it.
// Returns `at`, -1 when 25 loops exist or there is none to copy.
int CopyDesignLoop(BuildingDesign& design, int at);
// Deletes loop n with its control points; returns the loop to select next
// (n, or the new last loop), -1 when refused.
int DeleteDesignLoop(BuildingDesign& design, int n);
// Takes the first free control point for loop `loop` at (x, 0, z); its index
// or -1.
int PlaceControlPoint(BuildingDesign& design, int loop, float x, float z);
// Loop order and successor lists from decimal numbers separated by anything.
void ParseLoopOrder(BuildingDesign& design, std::string_view text);
void ParseSuccessors(DesignLoop& loop, std::string_view text);
// A random loop stack from loop 0 through the successor lists (at most 15
// loops), drawn from the given seed.
void PickRandomLoopStack(BuildingDesign& design, uint32_t seed);

// The bounds over every point of every loop in use: stores width, depth, the
// lowest cells and the base offsets, then reports width and depth to the
// bounds hook (the editor shows them).
void ComputeLoopBounds(BuildingDesign& design);
using LoopBoundsHook = std::function<void(int32_t width, int32_t depth)>;
LoopBoundsHook SetLoopBoundsHook(LoopBoundsHook hook);
// The bounds as the editor stores them with a design: over loop 0 only.
void StoreBaseLoopBounds(BuildingDesign& design);

// The record as the 48,020 bytes of a design file, and back. Decoding checks
// every count and index (loops, points, successors, loop order, control
// point loops) and every coordinate; a bad record leaves the design new and
// gives the reason.
void EncodeBuildingDesign(const BuildingDesign& design, uint8_t* out);
bool DecodeBuildingDesign(const uint8_t* bytes, size_t size, BuildingDesign& design, std::string& reason);
// Reads a design file (a game name; a name starting with '/' is a real
// path). A file shorter than the record is read as far as it goes. Control
// point scales stored as (nearly) zero read as 1. False with the reason when
// the file cannot be opened or fails the checks; the design is then new.
bool ReadBuildingDesign(BuildingDesign& design, std::string_view path, std::string* reason = nullptr);
bool WriteBuildingDesign(const BuildingDesign& design, std::string_view path);
