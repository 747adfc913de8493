#include "city/traffic.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "city/animated_scenery.h"
#include "city/city_day_counters.h"
#include "city/city_services.h"
#include "city/lane_network.h"
#include "city/road_topology.h"
#include "engine/core/random_stream.h"
#include "engine/core/stopwatch.h"
#include "engine/core/debug_flags.h"
#include "session/save_chunks.h"
#include "session/game_clock.h"

std::array<CVehicle, kMaxVehicles> g_Vehicles;
TrafficState g_Traffic;
std::array<CEntity, kMaxVehicles> g_VehicleEntities;

CRandomStream& VehicleRandom() {
  static CRandomStream stream;
  return stream;
}

const char kNorthSouthSignals[33] = "GGGGGGGGGGGGGGARRRRRRRRRRRRRRRRR";
const char kEastWestSignals[33] = "RRRRRRRRRRRRRRRRGGGGGGGGGGGGGGAR";

// [approach side][turn][box word]: a movement may start only when no word of
// the box has a claim under its conflict mask; it then adds its claim mask.
// Each hexadecimal digit is a 4-bit counter of one movement's claims.
const uint32_t kBoxConflictMask[4][3][4] = {
    {{0xF0FF0000, 0xF000F0FF, 0, 0}, {0xF00F0000, 0, 0xFF00F00F, 0}, {0x00FF0000, 0, 0, 0}},
    {{0, 0x00F0FF00, 0xFFF000F0, 0}, {0, 0x00F00F00, 0, 0x0FFF00F0}, {0, 0x0000FF00, 0, 0}},
    {{0, 0, 0x0000F0FF, 0xF0FFF000}, {0xF00FFF00, 0, 0x0000F00F, 0}, {0, 0, 0x000000FF, 0}},
    {{0x00F0FFF0, 0, 0, 0xFF0000F0}, {0, 0x00F00FFF, 0, 0x0F0000F0}, {0, 0, 0, 0xFF000000}},
};
const uint32_t kBoxClaimMask[4][3][4] = {
    {{0x100, 0x100, 0, 0}, {0x10, 0, 0x10, 0x10}, {0x1000, 0, 0, 0}},
    {{0, 0x1, 0x1, 0}, {0x10000000, 0x10000000, 0, 0x10000000}, {0, 0x10, 0, 0}},
    {{0, 0, 0x1000000, 0x1000000}, {0x100000, 0x100000, 0x100000, 0}, {0, 0, 0x10000000, 0}},
    {{0x10000, 0, 0, 0x10000}, {0, 0x1000, 0x1000, 0x1000}, {0, 0, 0, 0x100000}},
};

const char* VehicleStatusText(int32_t status) {
  switch (status) {
    case kStatusEnteringJunction: return "Entering Junction";
    case kStatusWaitingForSpace: return "Waiting For space";
    case kStatusWaitingForBoxlock: return "Waiting For boxlock";
    case kStatusWaitingForGreen: return "Waiting For green";
    default: return "";
  }
}

int32_t GreenSignalsAt(int32_t phase) {
  phase &= 31;
  if (kNorthSouthSignals[phase] == 'G') return kNorth | kSouth;
  if (kEastWestSignals[phase] == 'G') return kEast | kWest;
  return 0;
}

int32_t AmberSignalsAt(int32_t phase) {
  phase &= 31;
  if (kNorthSouthSignals[phase] == 'A') return kNorth | kSouth;
  if (kEastWestSignals[phase] == 'A') return kEast | kWest;
  return 0;
}

namespace {

VehicleBoundsSource g_BoundsSource = nullptr;
VehicleModelSource g_ModelSource = nullptr;

bool ValidLane(int32_t lane) { return lane >= 0 && lane < g_Lanes.LaneCount; }
bool ValidJunction(int32_t j) { return j >= 0 && j < g_Lanes.JunctionStateCount; }

// Built-in sizes: vans are long, taxis and cars a little shorter by model.
VehicleModelBounds BuiltInBounds(int32_t modelIndex) {
  int32_t kind = modelIndex % 29;
  float length = kind == kVanKind ? 10.0f : kind == kTaxiKind ? 8.0f : 7.0f + static_cast<float>(kind % 3) * 0.5f;
  return VehicleModelBounds{-length / 2, length / 2};
}

// ---- Chains of vehicles along a lane ----

int SlotOf(const CVehicle& v, int32_t lane) {
  if (v.ChainLane[0] == lane) return 0;
  if (v.ChainLane[1] == lane) return 1;
  return -1;
}

int ChainAppend(int32_t laneIndex, CVehicle& v) {
  Lane& lane = g_Lanes.Lanes[laneIndex];
  int m = v.ChainLane[0] < 0 ? 0 : 1;
  v.ChainLane[m] = laneIndex;
  v.ChainAhead[m] = lane.LastVehicle;
  v.ChainBehind[m] = -1;
  if (lane.LastVehicle >= 0) {
    CVehicle& a = g_Vehicles[lane.LastVehicle];
    int am = SlotOf(a, laneIndex);
    if (am >= 0) a.ChainBehind[am] = v.Index;
  } else {
    lane.FirstVehicle = v.Index;
  }
  lane.LastVehicle = v.Index;
  return m;
}

void ChainRemove(CVehicle& v, int m) {
  int32_t laneIndex = v.ChainLane[m];
  if (!ValidLane(laneIndex)) return;
  Lane& lane = g_Lanes.Lanes[laneIndex];
  int32_t ahead = v.ChainAhead[m], behind = v.ChainBehind[m];
  if (ahead >= 0) {
    CVehicle& a = g_Vehicles[ahead];
    int am = SlotOf(a, laneIndex);
    if (am >= 0) a.ChainBehind[am] = behind;
  } else {
    lane.FirstVehicle = behind;
  }
  if (behind >= 0) {
    CVehicle& b = g_Vehicles[behind];
    int bm = SlotOf(b, laneIndex);
    if (bm >= 0) b.ChainAhead[bm] = ahead;
  } else {
    lane.LastVehicle = ahead;
  }
  v.ChainLane[m] = -1;
  v.ChainAhead[m] = v.ChainBehind[m] = -1;
}

int32_t VehicleAhead(const CVehicle& v) { return v.ChainAhead[v.FrontSlot]; }

// ---- Junction box ----

void ClaimBox(CVehicle& v, int32_t junction) {
  JunctionState& j = g_Lanes.Junctions[junction];
  for (int k = 0; k < 4; ++k) {
    j.BoxLock[k] = static_cast<int32_t>(static_cast<uint32_t>(j.BoxLock[k]) + kBoxClaimMask[v.ApproachSide][v.TurnKind][k]);
  }
  v.ClaimJunction = junction;
  v.ClaimSide = v.ApproachSide;
  v.ClaimTurn = v.TurnKind;
  v.HoldsBoxLock = 1;
}

void ReleaseBox(CVehicle& v) {
  if (v.HoldsBoxLock && ValidJunction(v.ClaimJunction)) {
    JunctionState& j = g_Lanes.Junctions[v.ClaimJunction];
    for (int k = 0; k < 4; ++k) {
      j.BoxLock[k] = static_cast<int32_t>(static_cast<uint32_t>(j.BoxLock[k]) - kBoxClaimMask[v.ClaimSide][v.ClaimTurn][k]);
    }
  }
  v.HoldsBoxLock = 0;
  v.ClaimJunction = -1;
}

int32_t ExitOf(const LaneWaypoint& w, int32_t move) {
  if (move == kTurnStraight) return w.StraightLane;
  if (move == kTurnLeft) return w.LeftLane;
  if (move == kTurnRight) return w.RightLane;
  return -1;
}

void LowerSpawnCount(const CVehicle& v) {
  int32_t& count = v.Kind == kTaxiKind ? g_Traffic.TaxiCount : v.Kind == kVanKind ? g_Traffic.VanCount : g_Traffic.CarCount;
  if (count > 0) --count;
}

// Takes a vehicle off the road: its claim, the depot-join count and both lane
// chains; frees the record. `returnLength` gives its length back to the lane
// of its front (not when the front already gave it back at a lane end).
void RemoveFromRoad(CVehicle& v, bool returnLength) {
  ReleaseBox(v);
  if (returnLength && ValidLane(v.Lane)) g_Lanes.Lanes[v.Lane].FreeLength += v.Length;
  for (int m = 0; m < 2; ++m) {
    int32_t laneIndex = v.ChainLane[m];
    if (!ValidLane(laneIndex)) continue;
    const Lane& lane = g_Lanes.Lanes[laneIndex];
    if (lane.Kind == kLaneDepotJoin && lane.End >= 0) {
      int32_t& boxCount = g_Lanes.Waypoints[lane.End].BoxCount;
      if (boxCount > 0) --boxCount;
    }
    if (laneIndex == v.RearLane && v.RearLane != v.Lane && lane.End >= 0) g_Lanes.Waypoints[lane.End].Occupant = 0;
    ChainRemove(v, m);
  }
  LowerSpawnCount(v);
  v.State = kVehicleFree;
  v.Active = 0;
  v.Speed = 0;
  v.Lane = v.RearLane = v.ExitLane = -1;
  v.Indicator = 0;
  v.FrontSlot = v.RearSlot = 0;
}

// The rear leaves its lane for the lane of the front.
void RearLeavesLane(CVehicle& v) {
  const Lane& rear = g_Lanes.Lanes[v.RearLane];
  if (rear.Role & kRoleBoxClaimEnds) ReleaseBox(v);
  if (rear.End >= 0) {
    LaneWaypoint& end = g_Lanes.Waypoints[rear.End];
    if (rear.Kind == kLaneDepotJoin && end.BoxCount > 0) --end.BoxCount;
    end.Occupant = 0;
  }
  if (rear.Kind == kLaneTurning) v.Indicator = 0;
  ChainRemove(v, v.RearSlot);
  v.RearDistance -= rear.Length;
  v.RearLane = v.Lane;
  v.RearSlot = v.FrontSlot;
  v.LastMove = 0;
}

// At the end of the move list: ask the route table for the turn at the
// junction ahead.
void PlanNextTurn(CVehicle& v, const Lane& lane) {
  int32_t turn = kTurnNone;
  int dirIndex = DirectionIndex(OppositeDirection(lane.Direction));
  bool last = false;
  if (lane.Node >= 0 && lane.Node < g_RoadNodes.NodeCount && dirIndex >= 0 && v.Destination >= 0 &&
      v.Destination < g_Lanes.DepotCount) {
    int behind = g_RoadNodes.Nodes[lane.Node].Neighbour[dirIndex];
    int dest = g_Lanes.Depots[v.Destination].WestJunction;
    if (behind != kNoNode && dest >= 0) last = GetNextTurn(turn, behind, lane.Direction, dest, kEast, 1);
  }
  if (last) {
    const int32_t arrive[5] = {turn, kTurnRight, kTurnStraight, kTurnStraight, kTurnStraight};
    std::copy(arrive, arrive + 5, v.Moves);
  } else {
    v.Moves[0] = turn;
    v.Moves[1] = kTurnStraight;
    v.Moves[2] = kMoveEndOfRoute;
  }
  v.MoveIndex = 1;
  v.Move = turn;
}

int32_t ApproachSideOf(int32_t direction) {
  switch (direction) {
    case kEast: return 0;
    case kNorth: return 1;
    case kWest: return 2;
    default: return 3;
  }
}

int32_t TurnKindOf(int32_t move) { return move == kTurnLeft ? 1 : move == kTurnRight ? 2 : 0; }

// The approach to a signalled line: the stop distance, claims, give-up.
// Returns false when the vehicle gave up and left the road.
bool ApproachSignal(CVehicle& v, const Lane& lane, float remaining, float& stop) {
  int32_t j = lane.Junction;
  if (!ValidJunction(j)) return true;
  stop = remaining;
  JunctionState& junction = g_Lanes.Junctions[j];
  if (!(lane.Direction & junction.SignalA)) {
    v.StatusText = kStatusWaitingForGreen;
    ReleaseBox(v);
    return true;
  }
  int32_t ahead = VehicleAhead(v);
  if (v.HoldsBoxLock) {
    stop = kNoStop;
  } else if (IsBoxFreeFor(j, v.ApproachSide, v.TurnKind)) {
    float exitFree = ValidLane(v.ExitLane) ? g_Lanes.Lanes[v.ExitLane].FreeLength : 0.0f;
    if (ahead >= 0 && !g_Vehicles[ahead].HoldsBoxLock) {
      stop = kNoStop;
    } else if (v.Length * 2.8f > exitFree) {
      v.StatusText = kStatusWaitingForSpace;
      v.Waiting = 1;
    } else {
      ClaimBox(v, j);
      v.StatusText = kStatusEnteringJunction;
      stop = kNoStop;
    }
  } else {
    v.StatusText = kStatusWaitingForBoxlock;
    if (junction.Walkers > 0 && v.WaitTicks >= kWalkerYieldTicks) junction.CrossingHeldUntil = g_Traffic.TickCount + 2;
  }
  if (v.Speed != 0 || ahead >= 0 || lane.Kind != kLaneRoad) {
    v.WaitTicks = 0;
  } else if (++v.WaitTicks > kGiveUpTicks) {
    NoteVehicleGaveUp();
    RemoveFromRoad(v, true);
    return false;
  }
  return true;
}

float NewSpeed(float speed, float stop) {
  float target = std::min(stop * 0.04f, kMaxVehicleSpeed);
  float change = (target - speed) / 6;
  speed += std::min(change, kVehicleAcceleration);
  if (stop < 0.5f) speed = 0;
  speed = std::min(speed, kMaxVehicleSpeed);
  if (speed < 0.001f) speed = 0;
  return speed;
}

// The front passed the end of its lane. False when the vehicle left the road.
bool FrontLeavesLane(CVehicle& v) {
  Lane& lane = g_Lanes.Lanes[v.Lane];
  lane.FreeLength += v.Length;
  if (lane.Kind == kLaneDepotEntry) {
    v.State = kVehicleArrived;
    return false;
  }
  LaneWaypoint& end = g_Lanes.Waypoints[lane.End];
  int32_t next = ExitOf(end, v.Move);
  if (!ValidLane(next)) {
    // No move, or a move with no lane: nowhere to go. Leaves as a vehicle
    // that gave up does, so it is never linked into a lane twice.
    NoteVehicleGaveUp();
    RemoveFromRoad(v, false);
    return false;
  }
  // A vehicle covers at most two lanes: the rear catches up first.
  if (v.RearLane != v.Lane) {
    v.RearDistance = g_Lanes.Lanes[v.RearLane].Length;
    RearLeavesLane(v);
  }
  end.Occupant = v.Move;
  v.FrontDistance -= lane.Length;
  v.Lane = next;
  v.LastMove = v.Move;
  v.Move = 0;
  v.FrontSlot = ChainAppend(next, v);
  Lane& entered = g_Lanes.Lanes[next];
  if (entered.Kind == kLaneDepotJoin && entered.End >= 0) ++g_Lanes.Waypoints[entered.End].BoxCount;
  entered.FreeLength -= v.Length;
  return true;
}

void UpdateSignals() {
  g_Traffic.Phase = (2 * (g_Traffic.TickCount / 25)) % 32;
  int32_t green = GreenSignalsAt(g_Traffic.Phase), amber = AmberSignalsAt(g_Traffic.Phase);
  for (int32_t j = 0; j < g_Lanes.JunctionStateCount; ++j) {
    g_Lanes.Junctions[j].SignalA = green;
    g_Lanes.Junctions[j].SignalB = amber;
  }
}

int32_t JunctionToward(int32_t node, int32_t direction) {
  int side = DirectionIndex(direction);
  if (node < 0 || node >= g_RoadNodes.NodeCount || side < 0) return -1;
  return JunctionStateOf(g_RoadNodes.Nodes[node].Neighbour[side]);
}

}  // namespace

bool IsBoxFreeFor(int32_t junction, int32_t side, int32_t turn) {
  if (!ValidJunction(junction) || side < 0 || side > 3 || turn < 0 || turn > 2) return false;
  const JunctionState& j = g_Lanes.Junctions[junction];
  if (j.Walkers > 0) return false;
  for (int k = 0; k < 4; ++k) {
    if (static_cast<uint32_t>(j.BoxLock[k]) & kBoxConflictMask[side][turn][k]) return false;
  }
  return true;
}

// ---- Vehicle models ----

void SetVehicleBoundsSource(VehicleBoundsSource source) { g_BoundsSource = source; }
void SetVehicleModelSource(VehicleModelSource source) { g_ModelSource = source; }
bool HasVehicleBoundsSource() { return g_BoundsSource != nullptr; }
bool HasVehicleModelSource() { return g_ModelSource != nullptr; }

VehicleModelBounds GetVehicleModelBounds(int32_t modelIndex) {
  return g_BoundsSource ? g_BoundsSource(modelIndex) : BuiltInBounds(modelIndex);
}

// ---- The tick ----

CVehicle* SpawnVehicle(int32_t fromDepot, int32_t toDepot, int32_t kind) {
  if (fromDepot < 0 || fromDepot >= g_Lanes.DepotCount || toDepot < 0 || toDepot >= g_Lanes.DepotCount) return nullptr;
  auto it = std::find_if(g_Vehicles.begin(), g_Vehicles.end(), [](const CVehicle& v) { return v.State == kVehicleFree; });
  if (it == g_Vehicles.end()) return nullptr;
  CVehicle& v = *it;
  TrafficDepot& depot = g_Lanes.Depots[fromDepot];
  v.QueueNext = -1;
  if (depot.QueueLast >= 0) {
    g_Vehicles[depot.QueueLast].QueueNext = v.Index;
  } else {
    depot.QueueFirst = v.Index;
  }
  depot.QueueLast = v.Index;
  ++depot.Waiting;
  v.Depot = fromDepot;
  v.Destination = toDepot;
  v.State = kVehicleQueued;
  v.Moves[0] = kTurnStraight;
  v.Moves[1] = kMoveEndOfRoute;
  v.MoveIndex = 0;
  v.Kind = kind;
  int32_t decade = GameClock().decade;
  int32_t era = decade <= 2 ? 0 : decade <= 4 ? 29 : 58;
  v.ModelIndex = kind + era;
  if (g_ModelSource != nullptr) {
    if (ModelLodSet* set = g_ModelSource(v.ModelIndex)) g_VehicleEntities[v.Index].SetModel(set);
  }
  return &v;
}

void SpawnTraffic() {
  int32_t depots = g_Lanes.DepotCount;
  if (depots <= 0) return;  // nowhere to drive between
  int32_t band = std::clamp(GameClock().hour, 0, 23) / 4;
  int32_t taxiLimit = g_Traffic.TaxiFrequency[band];
  int32_t carLimit = g_Traffic.CarFrequency[band];
  CRandomStream& random = VehicleRandom();
  int32_t from = static_cast<int32_t>(random.Rand()) % depots;
  // The second draw picks among the depots near the first (a trip across
  // town would take hours of the game's day; see kLocalDepots).
  int32_t pick = static_cast<int32_t>(random.Rand());
  int32_t near = g_Lanes.NearDepotCount[from];
  if (near <= 0) return;  // no depot reached from this one
  int32_t to = g_Lanes.NearDepots[from][pick % near];
  if (g_Traffic.TaxiCount < taxiLimit && SpawnVehicle(from, to, kTaxiKind) != nullptr) ++g_Traffic.TaxiCount;
  // Vans have a row and a limit of their own; a van drawn in the car row
  // while they are at their limit is a car instead.
  if (g_Traffic.VanCount < g_Traffic.VanFrequency[band] && SpawnVehicle(from, to, kVanKind) != nullptr)
    ++g_Traffic.VanCount;
  if (g_Traffic.CarCount < carLimit) {
    int32_t a = static_cast<int32_t>(random.Rand()) % 18;
    int32_t b = static_cast<int32_t>(random.Rand()) % 26;
    const bool van = b == 0 && g_Traffic.VanCount < g_Traffic.VanFrequency[band];
    if (SpawnVehicle(from, to, van ? kVanKind : a + 6) != nullptr) ++(van ? g_Traffic.VanCount : g_Traffic.CarCount);
  }
}

bool ReleaseFromDepot(CVehicle& v) {
  if (v.Depot < 0 || v.Depot >= g_Lanes.DepotCount) return false;
  TrafficDepot& depot = g_Lanes.Depots[v.Depot];
  if (depot.Waiting == 0 || !ValidLane(depot.ExitLane) || !ValidLane(depot.RoadLane)) return false;
  const Lane& exit = g_Lanes.Lanes[depot.ExitLane];
  const Lane& road = g_Lanes.Lanes[depot.RoadLane];
  if (exit.FreeLength != exit.Length || road.FreeLength != road.Length) return false;
  // Out of the queue (not necessarily its head: queued vehicles are tried in record order).
  int32_t previous = -1;
  for (int32_t q = depot.QueueFirst; q >= 0; previous = q, q = g_Vehicles[q].QueueNext) {
    if (q != v.Index) continue;
    if (previous >= 0) {
      g_Vehicles[previous].QueueNext = v.QueueNext;
    } else {
      depot.QueueFirst = v.QueueNext;
    }
    if (depot.QueueLast == v.Index) depot.QueueLast = previous;
    break;
  }
  v.QueueNext = -1;
  PlaceOnLane(depot.ExitLane, v);
  v.MoveIndex = 0;
  v.State = kVehicleDriving;
  v.WaitTicks = 0;
  v.Active = 1;
  --depot.Waiting;
  NoteVehicleStarted(v.Index, g_Traffic.TickCount);
  return true;
}

void PlaceOnLane(int32_t laneIndex, CVehicle& v) {
  if (!ValidLane(laneIndex)) return;
  Lane& lane = g_Lanes.Lanes[laneIndex];
  VehicleModelBounds bounds = GetVehicleModelBounds(v.ModelIndex);
  v.Length = TruncateLength(bounds.Front - bounds.Rear);
  v.Offset = -bounds.Rear;
  v.State = kVehicleDriving;
  v.Lane = v.RearLane = laneIndex;
  v.RearDistance = 0;
  v.FrontDistance = v.Length;
  const Vec3 a = LanePoint(lane, 0), b = LanePoint(lane, lane.Length);
  g_VehicleEntities[v.Index].position = Vec3{(a.x + b.x) / 2, 0, (a.z + b.z) / 2};
  v.Speed = 0.1f;
  v.Move = v.LastMove = 0;
  v.ChainLane[0] = v.ChainLane[1] = -1;
  v.FrontSlot = v.RearSlot = ChainAppend(laneIndex, v);
  lane.FreeLength -= v.Length;
}

void DriveVehicle(CVehicle& v) {
  if (!ValidLane(v.Lane) || !ValidLane(v.RearLane)) {
    RemoveFromRoad(v, false);
    return;
  }
  const Lane& lane = g_Lanes.Lanes[v.Lane];
  float d = v.FrontDistance;
  float remaining = lane.Length - d - 0.2f;
  float stop = kNoStop;
  if (remaining < 20) {
    if (v.Move == 0) {
      v.Move = v.MoveIndex < kVehicleMoves ? v.Moves[v.MoveIndex] : kMoveEndOfRoute;
      ++v.MoveIndex;
      if (v.Move == kMoveEndOfRoute) PlanNextTurn(v, lane);
    }
    int32_t through = lane.End >= 0 ? ExitOf(g_Lanes.Waypoints[lane.End], v.Move) : -1;
    v.ExitLane = ValidLane(through) && g_Lanes.Lanes[through].End >= 0
                     ? g_Lanes.Waypoints[g_Lanes.Lanes[through].End].StraightLane
                     : -1;
    if (v.Move == kTurnLeft || v.Move == kTurnRight) v.Indicator = v.Move;
    if (v.Move != 0 && (lane.Role & kRoleChoosesTurn)) {
      v.ApproachSide = ApproachSideOf(lane.Direction);
      v.TurnKind = TurnKindOf(v.Move);
    }
    v.Waiting = 0;
    if (v.Move != 0 && (lane.Role & kRoleSignalled)) {
      if (!ApproachSignal(v, lane, remaining, stop)) return;
    }
  }
  int32_t ahead = VehicleAhead(v);
  float gap = kNoStop;
  if (ahead >= 0) {
    const CVehicle& a = g_Vehicles[ahead];
    // The rear of the vehicle ahead, on this lane (measured from its front
    // while it is still coming in from another lane).
    float rear = a.RearLane == v.Lane ? a.RearDistance : a.FrontDistance - a.Length;
    gap = rear - d - 0.5f;
  }
  if (lane.End >= 0 && g_Lanes.Waypoints[lane.End].BoxCount != 0 && (lane.Role & kRoleKeepsClearOfDepot)) {
    stop = std::min(stop, 0.75f * lane.Length - d);
  }
  stop = std::min(stop, gap);
  v.Speed = NewSpeed(v.Speed, stop);
  v.FrontDistance += v.Speed;
  v.RearDistance += v.Speed;
  if (v.FrontDistance >= lane.Length && !FrontLeavesLane(v)) return;
  while (v.RearLane != v.Lane && v.RearDistance >= g_Lanes.Lanes[v.RearLane].Length) RearLeavesLane(v);
}

void UpdateTraffic() {
  // The program's stopwatch times the update (read in a debugger or profiler).
  Stopwatch().Start();
  SpawnTraffic();
  ++g_Traffic.TickCount;
  UpdateSignals();
  for (CVehicle& v : g_Vehicles) {
    switch (v.State) {
      case kVehicleDriving: DriveVehicle(v); break;
      case kVehicleArrived:
        NoteVehicleArrived(v.Index, g_Traffic.TickCount);
        RemoveFromRoad(v, false);
        break;
      case kVehicleQueued: ReleaseFromDepot(v); break;
      case kVehicleHeld: v.Speed = 0; break;
      default: break;
    }
  }
  FindNearestVehicles();
  Stopwatch().Stop();
}

void FindNearestVehicles() {
  for (NearestVehicle& n : g_Traffic.Nearest) n = NearestVehicle{};
  g_Traffic.NearestCount = 0;
  g_Traffic.Loudness = 0;
  for (const CVehicle& v : g_Vehicles) {
    if (v.State != kVehicleDriving) continue;
    float distance = std::sqrt(DistanceSqToCamera(g_VehicleEntities[v.Index].position));
    if (distance >= 100) continue;
    distance = std::max(distance, 10.0f);
    g_Traffic.Loudness += 1 / distance;
    int slot = 0;
    while (slot < kNearestVehicles && g_Traffic.Nearest[slot].Distance <= distance) ++slot;
    if (slot == kNearestVehicles) continue;
    for (int k = kNearestVehicles - 1; k > slot; --k) g_Traffic.Nearest[k] = g_Traffic.Nearest[k - 1];
    g_Traffic.Nearest[slot] = NearestVehicle{distance, v.Speed, v.Kind};
    g_Traffic.NearestCount = std::min(g_Traffic.NearestCount + 1, kNearestVehicles);
  }
}

void ResetTraffic() {
  ResetAnimatedScenery();
  for (int32_t i = 0; i < g_Lanes.LaneCount; ++i) {
    Lane& lane = g_Lanes.Lanes[i];
    lane.FreeLength = lane.Length;
    lane.FirstVehicle = lane.LastVehicle = -1;
  }
  for (JunctionState& j : g_Lanes.Junctions) {
    j.SignalA = j.SignalB = 0;
    for (int32_t& word : j.BoxLock) word = 0;
    j.Walkers = j.CrossingHeldUntil = 0;
  }
  for (LaneWaypoint& w : g_Lanes.Waypoints) w.Reserved = w.Occupant = w.BoxCount = 0;
  for (TrafficDepot& d : g_Lanes.Depots) {
    d.Waiting = 0;
    d.QueueFirst = d.QueueLast = -1;
  }
  Vec3 camera = g_Traffic.Camera;
  TrafficState fresh;
  std::copy(std::begin(g_Traffic.CarFrequency), std::end(g_Traffic.CarFrequency), fresh.CarFrequency);
  std::copy(std::begin(g_Traffic.TaxiFrequency), std::end(g_Traffic.TaxiFrequency), fresh.TaxiFrequency);
  std::copy(std::begin(g_Traffic.VanFrequency), std::end(g_Traffic.VanFrequency), fresh.VanFrequency);
  g_Traffic = fresh;
  g_Traffic.Camera = camera;
  for (NearestVehicle& n : g_Traffic.Nearest) n.Distance = 99999;
  ModelLodSet* first = g_ModelSource ? g_ModelSource(0) : nullptr;
  for (int i = 0; i < kMaxVehicles; ++i) {
    g_Vehicles[i] = CVehicle{};
    g_Vehicles[i].Index = i;
    g_Vehicles[i].ModelIndex = 1;
    CEntity& e = g_VehicleEntities[i];
    e.Reset();
    e.objectKind = 3;
    e.index = i;
    e.flags = 0;
    if (first != nullptr) e.SetModel(first);
  }
}

int32_t GetTrafficChecksum() {
  uint32_t sum = 0;
  for (const CVehicle& v : g_Vehicles) {
    if (!v.Active || !ValidLane(v.Lane)) continue;
    Vec3 p = LanePoint(g_Lanes.Lanes[v.Lane], v.FrontDistance);
    sum += std::bit_cast<uint32_t>(p.x) + std::bit_cast<uint32_t>(p.y) + std::bit_cast<uint32_t>(p.z);
  }
  return static_cast<int32_t>(sum);
}

void UpdateTrafficForDecade(int32_t /*decade*/) {}

void RegisterTrafficSaveHooks() {
  // Traffic is rebuilt by the reset of a new or loaded game; it writes nothing.
  RegisterSaveHook(kSaveTraffic, [] {});
}

// ---- People crossing ----

bool IsJunctionBoxClear(int32_t node, int32_t direction) {
  int32_t j = JunctionToward(node, direction);
  if (j < 0) return true;
  const JunctionState& js = g_Lanes.Junctions[j];
  if (js.CrossingHeldUntil > g_Traffic.TickCount) return false;
  return js.BoxLock[0] == 0 && js.BoxLock[1] == 0 && js.BoxLock[2] == 0 && js.BoxLock[3] == 0;
}

void AddJunctionWalker(int32_t node, int32_t direction) {
  int32_t j = JunctionToward(node, direction);
  if (j >= 0) ++g_Lanes.Junctions[j].Walkers;
}

void RemoveJunctionWalker(int32_t node, int32_t direction) {
  int32_t j = JunctionToward(node, direction);
  // Never below 0: a traffic reset while people were crossing cleared the count.
  if (j >= 0 && g_Lanes.Junctions[j].Walkers > 0) --g_Lanes.Junctions[j].Walkers;
}

// ---- Camera ----

void SetTrafficCameraPosition(const Vec3& position) { g_Traffic.Camera = position; }

float DistanceSqToCamera(const Vec3& p) {
  float dx = p.x - g_Traffic.Camera.x, dy = p.y - g_Traffic.Camera.y, dz = p.z - g_Traffic.Camera.z;
  return dx * dx + dy * dy + dz * dz;
}

// ---- Drawing ----

void UpdateVehicleEntities(float fraction) {
  constexpr float kRadiansToDegrees = 57.29578f;
  for (const CVehicle& v : g_Vehicles) {
    CEntity& e = g_VehicleEntities[v.Index];
    if (!v.Active || !ValidLane(v.Lane) || !ValidLane(v.RearLane)) {
      e.flags = static_cast<uint8_t>(e.flags & ~kEntInView);
      continue;
    }
    Vec3 front = LanePoint(g_Lanes.Lanes[v.Lane], v.FrontDistance + fraction * v.Speed);
    Vec3 rear = LanePoint(g_Lanes.Lanes[v.RearLane], v.RearDistance + fraction * v.Speed);
    e.position = Vec3{(front.x + rear.x) / 2, (front.y + rear.y) / 2, (front.z + rear.z) / 2};
    float yaw = std::atan2(front.z - rear.z, front.x - rear.x) * kRadiansToDegrees + 90;
    float dy = front.y - rear.y;
    float pitch = std::fabs(dy) > 0.1f ? -std::atan2(dy, front.x - rear.x) * kRadiansToDegrees : 0.0f;
    e.rotation = Vec3{pitch, yaw, 0};
    e.flags = static_cast<uint8_t>(e.flags | kEntInView | kEntRebuildMatrix);
  }
}

int32_t DrawVehicles(const Mat43& view) {
  int32_t drawn = 0;
  for (const CVehicle& v : g_Vehicles) {
    CEntity& e = g_VehicleEntities[v.Index];
    // Vehicles in the depots' lanes, below the street, are not drawn.
    if (!v.Active || e.model == nullptr || e.position.y + 2 <= 0) continue;
    e.Draw(view);
    ++drawn;
  }
  return drawn;
}

int32_t TrafficLightColour(const TrafficLightPost& post) {
  if (post.Junction < 0 || post.Junction >= g_Lanes.JunctionStateCount) return 0;
  const JunctionState& j = g_Lanes.Junctions[post.Junction];
  if (post.Approach & j.SignalA) return 2;
  if (post.Approach & j.SignalB) return 1;
  return 0;
}

void DrawTrafficLights(TrafficDrawSink& sink) {
  int32_t model = GameClock().decade >= 2 ? 1 : 0;
  for (int32_t i = 0; i < g_Lanes.PostCount; ++i) {
    const TrafficLightPost& post = g_Lanes.Posts[i];
    sink.DrawLightPost(post, model);
    int32_t colour = TrafficLightColour(post);
    if (colour == 2) {
      sink.DrawHalo(post.Glow[2], 0x00FF00);
      sink.DrawHalo(post.Glow[3], 0x00FF00);
    } else if (colour == 0) {
      sink.DrawHalo(post.Glow[0], 0xFF0000);
      sink.DrawHalo(post.Glow[1], 0xFF0000);
    }
  }
  if (!g_DebugFlags.TRAFFICRAILS) return;
  constexpr int kSegments = 8;
  for (int32_t i = 0; i < g_Lanes.LaneCount; ++i) {
    const Lane& lane = g_Lanes.Lanes[i];
    int segments = lane.Shape == kShapeBezier ? kSegments : 1;
    Vec3 from = LanePoint(lane, 0);
    for (int s = 1; s <= segments; ++s) {
      Vec3 to = LanePoint(lane, lane.Length * static_cast<float>(s) / static_cast<float>(segments));
      sink.DrawLaneLine(from, to);
      from = to;
    }
  }
}

void FlushTrafficDrawBatch(TrafficDrawSink& sink) { sink.Flush(); }
