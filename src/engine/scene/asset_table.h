#pragma once
// The game's model and texture-set table: every file the asset groups load,
// in the order that decides which place of which drawing system it fills.
// The loaders and the systems that draw read the same lists and names, so a
// model cannot land in another system's place unnoticed.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/scene/model.h"

// The systems that own loaded models.
enum class ModelShelf : int32_t {
  Panels,
  Auction,
  Characters,
  People,
  Vehicles,
  Roof,
  Scaffolds,
  Map,
  Landscape,
  Tutor,
  WorldCity,
  PlanesTrainsBoats,
  Industrial,
  Surround,
  Tree,
  Marker,
  kCount
};

// Places in the auction room.
enum AuctionModel : int32_t { kAuctionRoom, kAuctionLectern, kAuctionBlades, kAuctionChair, kAuctionCount };

// The player characters: ten figures, ten tokens standing, ten sitting.
inline constexpr int32_t kCharacterFigures = 10;
inline constexpr int32_t kTokenCount = 10;
inline constexpr int32_t TokenStanding(int32_t token) { return kCharacterFigures + token; }
inline constexpr int32_t TokenSitting(int32_t token) { return kCharacterFigures + kTokenCount + token; }
// Frames of the standing tokens (end exclusive): idle, a bid's hop, a win's
// jump with a turn. The sitting tokens hold one frame.
inline constexpr int32_t kTokenIdleFirst = 0;
inline constexpr int32_t kTokenBidFirst = 24;
inline constexpr int32_t kTokenWinFirst = 40;
inline constexpr int32_t kTokenFrames = 72;

// People: the street people come first, at the people's model number
// ((standing ? 4 : 0) + kind) x 4 + look, then people entering a door, people
// sitting and people in working clothes.
inline constexpr int32_t kStreetPeople = 32;
inline constexpr int32_t kEnteringPeople = 16;
inline constexpr int32_t kSittingPeople = 8;
inline constexpr int32_t kPeopleModels = 71;
// Frames of the people entering a door, sitting and at work: a stride of 8
// (walking, entering); standing: idle 0-3, waiting 4-7.
inline constexpr int32_t kPersonFrames = 8;
inline constexpr int32_t kPersonWaitFirst = 4;

// The street people's animations, in the order of their numbers. Every
// street figure carries all of them one after another, so a person keeps
// its animation when its model number changes (walking, standing, a look).
enum PersonAnimation : int32_t {
  kPersonAnimStand = 0,      // standing about (loop)
  kPersonAnimEnter = 1,      // a step in at a door (once)
  kPersonAnimWalk = 2,       // a stride (loop)
  kPersonAnimBuy = 3,        // reaching over a shop's counter (once)
  kPersonAnimWait = 4,       // a look at the watch (loop)
  kPersonAnimWaitBegin = 5,  // looking both ways at the kerb (once)
  kPersonAnimations = 6,
};
// The figures' builds, each with its own timing: child, teenager,
// pensioner, and everyone else (adults, tourists).
enum PersonBuild : int32_t { kBuildChild, kBuildTeen, kBuildElder, kBuildAdult, kPersonBuilds };
// Frames of each animation, by build: children step quickly, pensioners
// slowly. A frame is a logic tick.
inline constexpr int16_t kPersonAnimLengths[kPersonBuilds][kPersonAnimations] = {
    {4, 6, 6, 8, 6, 8},     // child
    {4, 8, 8, 8, 6, 8},     // teenager
    {4, 10, 10, 10, 8, 10}, // pensioner
    {4, 8, 8, 8, 6, 8},     // others
};
struct PersonFrameRange {
  int16_t first = 0, end = 0;  // end exclusive
};
constexpr PersonFrameRange PersonAnimFrames(int32_t build, int32_t animation) {
  int16_t first = 0;
  for (int32_t a = 0; a < animation; ++a) first = static_cast<int16_t>(first + kPersonAnimLengths[build][a]);
  return {first, static_cast<int16_t>(first + kPersonAnimLengths[build][animation])};
}
constexpr int32_t PersonAnimFrameCount(int32_t build) { return PersonAnimFrames(build, kPersonAnimations - 1).end; }

// Vehicles: three eras of 29 at the traffic's model number (kind + 29 x
// era), then 13 more per era.
inline constexpr int32_t kVehiclesPerEra = 29;
inline constexpr int32_t kVehicleModels = 126;

// The world city group.
enum WorldCityModel : int32_t {
  kTrafficLight1, kTrafficLight2,
  kStreetLight1920, kStreetLight1960, kStreetLight2000,
  kCraneBase, kCraneJib, kCraneHook, kCraneCable, kContainer1, kContainer2, kContainer3,
  kCraneAnchor, kCraneJibPoint, kCraneHookPoint,
  kTreeLocator1, kTreeLocator2,
  kBlockBase, kBlockSign,
  // Street furniture: where it stands (records only), then its models by
  // the kind its records name.
  kStreetObjects, kStreetBench, kStreetBin, kStreetBollard, kStreetHydrant, kStreetPostbox,
  // The light models: their points are lights.
  kLightsRunway, kLightsBeacons, kLightsQuay, kLightsStation,
  kSunGlints,  // records of where sunlight glints
  kParkStatue,  // with its coarse copy at level 1
  kWorldCityCount
};

// Planes, trains and boats with the paths they follow.
enum PlanesTrainsBoatsModel : int32_t {
  kPlaneProp, kPlaneJet, kPlaneJumbo,  // the aircraft of era groups 0, 1, 2
  kHelicopter, kHeliRotor, kHeliTailRotor,
  kTrainSteam, kTrainDiesel, kTrainElectric,  // locomotives of era groups 0, 1, 2
  kRailLocator1, kRailLocator2, kRailLocator3, kRailLocator4,
  kBoatRowing, kBoatMotor, kBoatSail, kBoatTug, kBoatFerry,
  kShipCargo, kShipTanker, kShipLiner, kShipContainer,  // ship types 0..3
  kShipLocator1, kShipLocator2,
  kTrainRoute0,  // ... kTrainRoute0 + 7
  kFlightPath0 = kTrainRoute0 + 8, kFlightPath1,
  kShipPathUsual, kShipPathRare,
  kCraneJibPath, kCraneHookPath,
  kLoopSail, kLoopRowing, kLoopMotor, kLoopHeli,
  kPlanesTrainsBoatsCount
};

// One model file of a shelf; `lod` adds "<name>_lod" at level 1.
struct ModelFileEntry {
  std::string file;
  bool lod = false;
  bool path = false;        // a path: four points a frame
  bool closedLoop = false;  // a path whose last frame is its first
};

// The files of a shelf, in place order.
const std::vector<ModelFileEntry>& ShelfFiles(ModelShelf shelf);

// The loaded model of a place; null when the place does not exist or its
// file was missing (nothing to draw).
ModelLodSet* ShelfModel(ModelShelf shelf, int32_t place);
int32_t ShelfSize(ModelShelf shelf);
// Forgets every loaded handle (the model system went away).
void ClearShelves();

// The texture sets the groups register, by name; their texture slots in
// file order.
enum class TextureSetName : int32_t {
  Billboards,
  Building, Water, Build, Roof, Railing, Landscape,
  Signs, BillboardRepeat,
  kCount
};
const std::vector<int32_t>& TextureSetSlots(TextureSetName set);
