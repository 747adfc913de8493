#pragma once
// Road traffic: cars, taxis and vans drive between the blocks' depots on the
// lane network, follow the route table, stop at the signals, claim parts of
// the junction box before they cross, queue behind each other and give up
// when stuck. Stepped once per logic tick; deterministic (fixed record order,
// one random stream) so that every machine of a network game keeps the same
// traffic. Vehicles are not saved: a load or a new game resets the traffic.
#include <array>
#include <cstdint>

#include "engine/scene/entity.h"
#include "engine/core/maths.h"

class CRandomStream;
struct TrafficLightPost;

inline constexpr int kMaxVehicles = 200;
inline constexpr int kVehicleMoves = 16;
inline constexpr int kTimeBands = 6;
inline constexpr int kNearestVehicles = 3;
inline constexpr float kMaxVehicleSpeed = 0.8f;
inline constexpr float kVehicleAcceleration = 0.02f;
inline constexpr float kNoStop = 100000000.0f;
inline constexpr int32_t kGiveUpTicks = 499;  // stopped at green longer than this: removed
// Stopped at green for the people crossing longer than this: no one else
// starts across until the vehicle has its box, well before it would give up.
inline constexpr int32_t kWalkerYieldTicks = 100;
inline constexpr int32_t kTaxiKind = 5;
inline constexpr int32_t kVanKind = 3;

enum VehicleState : int32_t {
  kVehicleFree = 0,
  kVehicleDriving = 9,
  kVehicleArrived = 10,
  kVehicleQueued = 11,
  kVehicleHeld = 13,
};

enum VehicleStatus : int32_t {
  kStatusNone = 0,
  kStatusEnteringJunction,
  kStatusWaitingForSpace,
  kStatusWaitingForBoxlock,
  kStatusWaitingForGreen,
};
// "Entering Junction", "Waiting For space", ... ("" for none).
const char* VehicleStatusText(int32_t status);

// One vehicle. Lanes, waypoints, depots and vehicles are referred to by
// table index, -1 for none.
struct CVehicle {
  int32_t Move = 0;      // for the end of the current lane: 64 straight, 16 left, 32 right, 0 none yet
  int32_t LastMove = 0;  // move the front last made; the rear repeats it
  int32_t ModelIndex = 1;
  int32_t Index = 0;
  uint8_t Active = 0;  // on the road: drawn and counted in the checksum
  int32_t Kind = 0;    // 3 van, 5 taxi, 6..23 cars
  int32_t State = kVehicleFree;
  int32_t Waiting = 0;    // waiting for space beyond the junction
  int32_t WaitTicks = 0;  // stopped at the head of a road lane at green
  float Speed = 0;        // distance per tick
  float FrontDistance = 0;
  float RearDistance = 0;
  int32_t Depot = -1;  // depot it is queued at
  int32_t Moves[kVehicleMoves] = {};
  int32_t MoveIndex = 0;
  int32_t Destination = -1;  // destination depot
  int32_t StatusText = kStatusNone;
  float Offset = 0;  // minus the model's rear bound
  float Length = 0;  // front bound minus rear bound, low 8 bits of the float cleared
  int32_t ApproachSide = 0;  // 0 from an eastbound lane, 1 northbound, 2 westbound, 3 southbound
  int32_t TurnKind = 0;      // 0 straight, 1 left, 2 right
  int32_t HoldsBoxLock = 0;
  int32_t Lane = -1, RearLane = -1;
  int32_t ExitLane = -1;
  int32_t Indicator = 0;  // 16 or 32 while turning
  // The claim made, kept so it is released exactly as made.
  int32_t ClaimJunction = -1, ClaimSide = 0, ClaimTurn = 0;
  // Chains of vehicles along the lanes. A vehicle is in the chain of its
  // front lane and, while it straddles two lanes, of its rear lane too; each
  // membership has its own links (slot 0 and 1), naming vehicle slots as
  // vehicle x 2 + slot. FrontSlot and RearSlot say which is which (equal
  // while both ends are on one lane).
  int32_t ChainLane[2] = {-1, -1};
  int32_t ChainAhead[2] = {-1, -1};
  int32_t ChainBehind[2] = {-1, -1};
  int32_t FrontSlot = 0, RearSlot = 0;
  int32_t QueueNext = -1;  // next vehicle queued at the same depot
};

struct NearestVehicle {
  float Distance = 101;
  float Speed = 0;  // distance per tick, which the engine's pitch follows
  int32_t Kind = 0;
};

struct TrafficState {
  int32_t TickCount = 0;
  int32_t TaxiCount = 0;
  int32_t CarCount = 0;
  int32_t VanCount = 0;
  int32_t Phase = 0;
  // Limits per 4-hour band (scripts: CarFrequency, TaxiFrequency, VanFrequency).
  int32_t CarFrequency[kTimeBands] = {};
  int32_t TaxiFrequency[kTimeBands] = {};
  int32_t VanFrequency[kTimeBands] = {};
  NearestVehicle Nearest[kNearestVehicles];
  int32_t NearestCount = 0;
  float Loudness = 0;
  Vec3 Camera{};  // where the listener stands
};

extern std::array<CVehicle, kMaxVehicles> g_Vehicles;
extern TrafficState g_Traffic;
// One entity per vehicle (the vehicle entity house).
extern std::array<CEntity, kMaxVehicles> g_VehicleEntities;

// The traffic's random stream (spawning).
CRandomStream& VehicleRandom();

// Signal patterns and the junction box tables.
extern const char kNorthSouthSignals[33];
extern const char kEastWestSignals[33];
extern const uint32_t kBoxConflictMask[4][3][4];
extern const uint32_t kBoxClaimMask[4][3][4];
// SignalA / SignalB for a phase 0..31: 5 north-south, 10 east-west, 0 none.
int32_t GreenSignalsAt(int32_t phase);
int32_t AmberSignalsAt(int32_t phase);
// Whether a movement may start with the box as it stands (no conflict with
// the claims held and nobody walking across).
bool IsBoxFreeFor(int32_t junction, int32_t side, int32_t turn);

// ---- The tick ----
void UpdateTraffic();
void SpawnTraffic();
// First free record, queued at `fromDepot`; null when none is free or the
// depots are out of range.
CVehicle* SpawnVehicle(int32_t fromDepot, int32_t toDepot, int32_t kind);
bool ReleaseFromDepot(CVehicle& vehicle);
void PlaceOnLane(int32_t lane, CVehicle& vehicle);
void DriveVehicle(CVehicle& vehicle);
void FindNearestVehicles();
void ResetTraffic();
// Sum of the bit patterns of the active vehicles' front points.
int32_t GetTrafficChecksum();
// Empty hook: traffic is not saved.
void UpdateTrafficForDecade(int32_t decade);
// Registers the (empty) traffic save hook.
void RegisterTrafficSaveHooks();

// ---- People crossing at junctions: the junction is the node's neighbour in the direction ----
bool IsJunctionBoxClear(int32_t node, int32_t direction);
void AddJunctionWalker(int32_t node, int32_t direction);
void RemoveJunctionWalker(int32_t node, int32_t direction);

// ---- Camera and sound ----
void SetTrafficCameraPosition(const Vec3& position);
float DistanceSqToCamera(const Vec3& position);

// ---- Vehicle models ----
struct VehicleModelBounds {
  float Rear = -4.0f;  // along the vehicle, the model's rear bound
  float Front = 4.0f;
};
// The bounds of a vehicle model 0..86; the presentation may supply the real
// models' bounds (null restores the built-in sizes).
using VehicleBoundsSource = VehicleModelBounds (*)(int32_t modelIndex);
void SetVehicleBoundsSource(VehicleBoundsSource source);
bool HasVehicleBoundsSource();
VehicleModelBounds GetVehicleModelBounds(int32_t modelIndex);
// The model set an entity gets for a vehicle model (null: none bound).
using VehicleModelSource = ModelLodSet* (*)(int32_t modelIndex);
void SetVehicleModelSource(VehicleModelSource source);
bool HasVehicleModelSource();

// ---- Drawing (per frame) ----
void UpdateVehicleEntities(float frameFraction);
int32_t DrawVehicles(const Mat43& view);  // entities drawn
// Light colour of a post: 2 green, 1 amber, 0 red.
int32_t TrafficLightColour(const TrafficLightPost& post);
// What the light drawing needs of the renderer side: the post's entity and
// its halos.
class TrafficDrawSink {
 public:
  virtual ~TrafficDrawSink() = default;
  virtual void DrawLightPost(const TrafficLightPost& /*post*/, int32_t /*modelIndex*/) {}
  virtual void DrawHalo(const Vec3& /*point*/, uint32_t /*rgb*/) {}
  virtual void DrawLaneLine(const Vec3& /*from*/, const Vec3& /*to*/) {}
  virtual void Flush() {}
};
void DrawTrafficLights(TrafficDrawSink& sink);
void FlushTrafficDrawBatch(TrafficDrawSink& sink);
