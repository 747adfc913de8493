#pragma once
// The road graph (segments and junction squares laid out on the map grid),
// the route table that tells vehicles which exit to take at the next
// junction, and the block-level connectivity used to plan people's journeys.
// Built once at game start from the built-in map; never saved.
#include <array>
#include <cstdint>
#include <span>

// Direction bit codes: north is one map row up (+z), east one column right (+x).
enum Direction : uint8_t { kNorth = 1, kEast = 2, kSouth = 4, kWest = 8 };
// Turn codes of routes and vehicles.
enum TurnCode : int32_t { kTurnNone = 0, kTurnLeft = 16, kTurnRight = 32, kTurnStraight = 64 };
inline constexpr int32_t kMoveEndOfRoute = 2048;

// Side slots of RoadNode::Neighbour / SideBlock and CBlock::SideNode / SideLane.
enum SideIndex : int { kSideNorth = 0, kSideSouth = 1, kSideEast = 2, kSideWest = 3 };

inline constexpr uint8_t kNoNode = 255;
inline constexpr uint8_t kNoBlock = 255;
inline constexpr int kMaxRoadNodes = 255;  // node numbers are bytes, 255 = none
inline constexpr int kMaxJunctions = 64;   // the route table's junction range
inline constexpr int kMapColumns = 113;
inline constexpr int kMapRows = 69;

// Node kinds: below 11 roads, 11 and above junctions.
enum RoadNodeKind : int32_t {
  kNodeUnknown = 0,
  kRoadEastWest = 1,
  kRoadNorthSouth = 2,
  kRoadWideEastWest = 3,
  kRoadWideNorthSouth = 4,
  kRoadNarrowNorthSouth = 6,
  kRoadDeadEndOpenSouth = 7,
  kRoadDeadEndOpenNorth = 8,
  kRoadDeadEndOpenWest = 9,
  kRoadDeadEndOpenEast = 10,
  kJunctionFirstKind = 11,
  kJunction4x3 = 12,
  kJunction4x4 = 13,
  kJunction6x3 = 14,
  kJunction6x4 = 15,
  kJunction2x3 = 16,
};

struct RoadNode {
  uint8_t Index = 0;
  uint8_t Marks = 0;  // bit 0: hidden (an H on the map)
  uint8_t Links = 0;  // sides linked so far (direction bits)
  int32_t Kind = 0;
  uint8_t Column = 0, Row = 0;
  uint8_t Width = 0, Height = 0;
  float CentreX = 0, CentreZ = 0;
  float SizeX = 0, SizeZ = 0;
  float Angle = 0;
  float Unused = 0;
  uint8_t Neighbour[4] = {kNoNode, kNoNode, kNoNode, kNoNode};  // N, S, E, W
  uint8_t SideBlock[4] = {kNoBlock, kNoBlock, kNoBlock, kNoBlock};  // N, S, E, W

  bool IsJunction() const { return Kind >= kJunctionFirstKind; }
};

struct RoadNodeTable {
  std::array<RoadNode, kMaxRoadNodes> Nodes{};
  int32_t NodeCount = 0;
  int32_t FirstJunction = 0;  // = number of road segments
  int32_t JunctionCount = 0;
  std::array<float, kMapColumns> ColumnLeftX{};
  std::array<float, kMapRows> RowTopZ{};
};
extern RoadNodeTable g_RoadNodes;

// Direction helpers. DirectionIndex: north 0, south 1, east 2, west 3 (the
// route table's order and the order of the side slots); -1 for other codes.
int DirectionIndex(int32_t direction);
int32_t DirectionFromIndex(int index);  // 0 for an index outside 0..3
int32_t OppositeDirection(int32_t direction);
int32_t LeftOf(int32_t heading);
int32_t RightOf(int32_t heading);

// ---- Route table ----------------------------------------------------------

inline constexpr size_t kRouteTableSize = 65536;
inline constexpr const char* kRouteTableGameName = "gamedata\\route_smalltable.bin";

inline size_t RouteTableOffset(int fromJunction, int headingIndex, int toJunction, int destIndex) {
  return static_cast<size_t>(fromJunction) * 1024 + static_cast<size_t>(headingIndex) * 256 +
         static_cast<size_t>(toJunction) * 4 + static_cast<size_t>(destIndex);
}

// Loads the route table the first time it is called (the game file
// gamedata\route_smalltable.bin through the path service); later calls return the first result at once. A missing or short
// file leaves every rating 0 and returns false, silently.
bool LoadRouteTable();
// Installs a table image directly (tools and tests); marks it loaded.
void SetRouteTableImage(std::span<const uint8_t> image);
// Forgets the loaded image so the next query loads again (tests).
void ResetRouteTable();

// Raw rating (0..3) of one exit (index 0..3) for (A, dA, B, dB), indices.
int GetRouteRating(int fromJunction, int headingIndex, int toJunction, int destIndex, int exitIndex);
// The exit to take at the next junction: mode 1 the exit rated 3, any other
// mode the one rated 2, else 1. A direction code, or 0 when none.
int32_t GetRouteExit(int fromJunction, int32_t heading, int toJunction, int32_t destDirection, int mode);
int32_t GetTurnCode(int32_t heading, int32_t exit);
// Node numbers are node indices. Writes the turn for the junction ahead and
// returns whether that junction is the destination.
bool GetNextTurn(int32_t& turn, int node, int32_t heading, int destinationNode, int32_t destDirection,
                 int mode);
int FindNodeCovering(int column1, int row1, int column2, int row2);
// The first node whose centre lies within its own full size of (x, z); 255 when none.
int FindNodeNearPoint(float x, float z);
const RoadNode* NextJunctionFrom(int node, int32_t direction);
// Follows GetRouteExit in mode 1 from junction to junction, writing pairs
// (64, direction) and a closing (64, 2048). Returns the number of ints written.
int BuildRouteList(int fromJunction, int32_t heading, int toJunction, int32_t destDirection,
                   std::span<int32_t> out);

// ---- Block connectivity and paths -------------------------------------------

inline constexpr int kBlockPathMaxRecords = 256;
inline constexpr int kBlockPathMaxLength = 64;

struct BlockPathRecord {
  uint8_t Blocks[kBlockPathMaxLength] = {};
  int32_t Length = 0;  // blocks in the path minus 2
};

struct BlockPathList {
  std::array<BlockPathRecord, kBlockPathMaxRecords> Records{};
  int32_t PathCount = 0;
  int32_t DepthLimit = 0;
  uint8_t Overflow = 0;
  int32_t SearchSteps = 0;  // blocks the last search visited
};
extern BlockPathList g_BlockPaths;

void BuildBlockConnectivity();
bool IsBlockConnected(int from, int to);
// Connected blocks that no drawn street parts (the strand and the docks, and
// blocks whose street is left out of the map): people walk straight across
// the grass between them, so the city lays a footpath.
bool IsFootpathLink(int from, int to);
// The people's subwaythreshold: the depth limit of every search.
void SetBlockPathDepthLimit(int32_t limit);
int32_t GetBlockPathDepthLimit();
bool FindBlockPaths(int startBlock, int goalBlock);
