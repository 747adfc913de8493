#pragma once
// Scheduled movement with no game logic: trains running into the stations
// and back out, aircraft along their flight paths, the harbour ship and the
// dockside crane that unloads it, and looping path animations. Started by
// the hourly update, stepped in the logic tick, drawn every frame. Nothing
// here is saved.
#include <cstdint>

#include "engine/core/maths.h"
#include "engine/core/random_stream.h"
#include "engine/scene/entity.h"

inline constexpr int32_t kFlightSlots = 8;
inline constexpr int32_t kTrainSlots = 10;
inline constexpr int32_t kPathSlots = 8;
inline constexpr int32_t kLoopPaths = 4;
inline constexpr int32_t kTrainWaitTicks = 250;
inline constexpr int32_t kCraneLastFrame = 1790;
inline constexpr int32_t kShipUnloadFrame = 1500;
inline constexpr float kTrainTopSpeed = 2.0f;
inline constexpr float kTrainSpeedStep = 0.06f;

// What the scenery tells the game's sound: cues by their number in the
// sound table (trains 8 arriving, 11 stopped, 12 leaving, 9 gone, 7 nearest
// loop; flights 1, 2, 4, 5, 6 and loops 0, 3; crane 27 to 32), the ship each
// tick while it sails and the crane's place while it runs.
class ScenerySounds {
 public:
  virtual ~ScenerySounds() = default;
  // `speed` is the moving train's, which its engine's pitch follows (0 for
  // every other cue).
  virtual void Cue(int32_t /*sound*/, float /*distance*/, const Vec3& /*where*/, float /*speed*/) {}
  virtual void Ship(int32_t /*shipType*/, const Vec3& /*where*/) {}
  virtual void CraneVolumes(const Vec3& /*where*/) {}
};
// None by default (silence).
void SetScenerySounds(ScenerySounds* sounds);

enum TrainState : int32_t { kTrainFree = 0, kTrainArriving, kTrainStopped, kTrainWaiting, kTrainLeaving };

struct FlightSlot {
  int32_t Active = 0;
  int32_t EraGroup = 0;
  int32_t Path = 0;  // 0 or 1
  int32_t StartTick = 0;
  CEntity Entity;
};

struct TrainSlot {
  int32_t State = kTrainFree;
  int32_t EraGroup = 0;
  int32_t Route = 0;  // 0..7
  int32_t StartTick = 0;
  int32_t Timer = 0;
  Vec3 Position{};
  Vec3 Direction{};
  float Speed = 0;
  float Remaining = 0;  // distance still to go; counts back up when leaving
  float Total = 0;
  CEntity Entity;
};

enum PathSlotKind : int32_t { kPathSlotFree = 0, kPathSlotOnce = 1, kPathSlotLoop = 2 };

struct PathLoopSlot {
  int32_t Kind = kPathSlotFree;
  int32_t Model = -1;  // place in the planes, trains and boats shelf
  int32_t Path = -1;
  int32_t Advancing = 0;
  int32_t StartTick = 0;
  CEntity Entity;
};

struct HarbourState {
  int32_t ShipSlot = -1;  // the path slot the ship sails in, -1 none
  int32_t ShipFrame = 1;
  int32_t ShipType = 0;  // 0 cargo, 1 tanker, 2 liner, 3 container
  int32_t ContainerVariant = 0;
  uint8_t CraneRunning = 0;
  int32_t CraneFrame = 1;
  Vec3 ShipPosition{};
  Vec3 CraneAnchor{};
};

struct SceneryState {
  FlightSlot Flights[kFlightSlots];
  TrainSlot Trains[kTrainSlots];
  PathLoopSlot Paths[kPathSlots];
  HarbourState Harbour;
  bool LoopsStarted = false;
};
SceneryState& Scenery();

// The scenery's random stream (ship types).
CRandomStream& SceneryRandom();

// A frame of a path model: the mover's position and its right, up and
// forward axes. Frames at or past the last wrap to (frame mod (count - 1)) + 1.
struct PathFrame {
  Vec3 Position;
  Vec3 Axes[3];
};
bool GetPathFrame(int32_t pathPlace, int32_t frame, PathFrame& out);
int32_t PathFrameCount(int32_t pathPlace);  // 0 when the path is not loaded

// Era group of a decade index: 0 for 0 to 2, 1 for 3 and 4, 2 later.
int32_t SceneryEraGroup(int32_t decadeIndex);

// The hour's trains, flights and the ship; the session's values are passed
// in (now = the logic tick count, people = the people in the city).
void ScheduleSceneryForHour(int32_t hour, int32_t now, int32_t people, int32_t decadeIndex);
void ScheduleSceneryForHour(int32_t hour);
bool StartTrain(int32_t eraGroup, int32_t route, int32_t now);
bool StartFlight(int32_t eraGroup, int32_t now);
bool StartShip(int32_t decadeIndex, int32_t now);
void UpdateAnimatedScenery(int32_t now);
void UpdateAnimatedScenery();
// Per block, where its ambient sound is (its base at height 40) and how far
// that is from the camera; blocks without a base keep the last values.
struct BlockAmbience {
  Vec3 Position{};
  float Distance = 100000;  // far away until measured
};
const BlockAmbience& GetBlockAmbience(int32_t block);  // block 0..51, others give block 0
void UpdateBlockAmbiencePositions();

// Frees every slot; the looping paths start again at the next tick.
void ResetAnimatedScenery();
// Draws the flights, trains and path slots, then the crane.
void DrawAnimatedScenery(const Mat43& view);
void DrawPathScenery(const Mat43& view);
