#include "city/animated_scenery.h"

#include <array>
#include <cmath>

#include "city/blocks.h"
#include "city/city.h"
#include "city/city_entities.h"
#include "city/city_services.h"
#include "city/people.h"
#include "city/traffic.h"
#include "engine/scene/asset_table.h"
#include "session/game_clock.h"
#include "session/session_state.h"

namespace {

constexpr float kLoopSoundRange = 10000.0f;
constexpr float kRadiansToDegrees = 57.29578f;

// The always-running loops: a model and the closed path it follows.
constexpr struct {
  int32_t model, path;
} kLoops[kLoopPaths] = {
    {kBoatSail, kLoopSail}, {kBoatRowing, kLoopRowing}, {kBoatMotor, kLoopMotor}, {kHelicopter, kLoopHeli}};

ScenerySounds g_silence;
ScenerySounds* g_sounds = &g_silence;

float DistanceTo(const Vec3& p) { return std::sqrt(DistanceSqToCamera(p)); }

void Cue(int32_t sound, const Vec3& where) { g_sounds->Cue(sound, DistanceTo(where), where, 0.0f); }
void Cue(int32_t sound, float distance, const Vec3& where, float speed = 0.0f) {
  g_sounds->Cue(sound, distance, where, speed);
}

const CModel* PathModel(int32_t place) {
  const ModelLodSet* set = ShelfModel(ModelShelf::PlanesTrainsBoats, place);
  const CModel* m = set ? ModSysGetModel(set->handles[0]) : nullptr;
  return m && m->vertexCount == 4 && m->frameCount >= 2 && m->positions ? m : nullptr;
}

Vec3 PathStart(int32_t place, bool last) {
  PathFrame f{};
  const int32_t count = PathFrameCount(place);
  GetPathFrame(place, last ? count - 1 : 0, f);
  return f.Position;
}

// ---- Trains ----

void StepTrain(TrainSlot& t) {
  switch (t.State) {
    case kTrainArriving:
      if (t.Speed * 50 > t.Remaining) {
        t.Speed -= kTrainSpeedStep;
        if (t.Speed < 0) {
          t.Speed = 0;
          t.State = kTrainStopped;
        }
      }
      t.Remaining -= t.Speed;
      t.Position = {t.Position.x + t.Direction.x * t.Speed, t.Position.y + t.Direction.y * t.Speed,
                    t.Position.z + t.Direction.z * t.Speed};
      break;
    case kTrainStopped:
      Cue(11, t.Position);
      t.Timer = kTrainWaitTicks;
      t.State = kTrainWaiting;
      break;
    case kTrainWaiting:
      if (t.Timer-- <= 1) {
        t.State = kTrainLeaving;
        Cue(12, t.Position);
      }
      break;
    case kTrainLeaving:
      t.Speed = std::fmin(t.Speed + kTrainSpeedStep, kTrainTopSpeed);
      t.Remaining += t.Speed;
      t.Position = {t.Position.x - t.Direction.x * t.Speed, t.Position.y - t.Direction.y * t.Speed,
                    t.Position.z - t.Direction.z * t.Speed};
      if (t.Remaining >= t.Total) {
        Cue(9, t.Position);
        t.State = kTrainFree;
      }
      break;
    default:
      break;
  }
}

// ---- The ship and the crane ----

void StepShip(int32_t now) {
  SceneryState& s = Scenery();
  HarbourState& h = s.Harbour;
  if (h.ShipSlot < 0) return;
  PathLoopSlot& slot = s.Paths[h.ShipSlot];
  if (slot.Kind != kPathSlotOnce || !slot.Advancing) return;
  if (!h.CraneRunning && ++h.ShipFrame >= PathFrameCount(slot.Path)) {
    slot = PathLoopSlot{};
    slot.StartTick = now - 1;
    h.ShipSlot = -1;
    h.ShipFrame = 1;
    return;
  }
  PathFrame f{};
  if (GetPathFrame(slot.Path, h.ShipFrame, f)) h.ShipPosition = f.Position;
  g_sounds->Ship(h.ShipType, h.ShipPosition);
}

void StepCrane() {
  HarbourState& h = Scenery().Harbour;
  PathFrame anchor{};
  if (GetPathFrame(kCraneJibPath, 0, anchor)) h.CraneAnchor = anchor.Position;
  const Vec3& at = h.CraneAnchor;
  if (h.CraneRunning) {
    ++h.CraneFrame;
    if (h.CraneFrame == 2) Cue(29, at);
    if (h.CraneFrame == 300) Cue(31, at), Cue(30, at);
    if (h.CraneFrame == 800) Cue(29, at), Cue(32, at);
    if (h.CraneFrame == 1400) Cue(30, at), Cue(31, at);
    if (h.CraneFrame >= kCraneLastFrame) {
      h.CraneRunning = 0;
      h.CraneFrame = 1;
      Cue(32, at);
      Cue(28, at);
    } else {
      g_sounds->CraneVolumes(at);
    }
  } else if (h.ShipSlot >= 0 && h.ShipType == 1 && h.ShipFrame == kShipUnloadFrame) {
    h.CraneRunning = 1;
    Cue(27, at);
  }
}

// ---- Flights ----

Vec3 FlightPosition(const FlightSlot& f, int32_t now) {
  PathFrame frame{};
  GetPathFrame(kFlightPath0 + f.Path, now - f.StartTick, frame);
  return frame.Position;
}

void FlightCues(int32_t now) {
  SceneryState& s = Scenery();
  float nearest = 1e30f;
  Vec3 nearestAt{};
  int32_t lastEra = -1;
  for (FlightSlot& f : s.Flights) {
    if (!f.Active) continue;
    const int32_t t = now - f.StartTick;
    const Vec3 at = FlightPosition(f, now);
    const float d = DistanceTo(at);
    if (t - 1000 >= 0 && t - 1000 <= 5) Cue(f.EraGroup > 0 ? 6 : 2, d, at);
    if (t - 600 >= 0 && t - 600 <= 5) Cue(f.EraGroup > 0 ? 4 : 1, d, at);
    if (t - 850 >= 0 && t - 850 <= 5 && f.EraGroup > 0) Cue(5, d, at);
    if (d < nearest) nearest = d, nearestAt = at;
    lastEra = f.EraGroup;
  }
  if (lastEra >= 0 && nearest < kLoopSoundRange) Cue(lastEra > 0 ? 3 : 0, nearest, nearestAt);
}

void TrainLoopCue() {
  float nearest = 1e30f, speed = 0.0f;
  Vec3 nearestAt{};
  for (const TrainSlot& t : Scenery().Trains) {
    if (t.State == kTrainFree) continue;
    const float d = DistanceTo(t.Position);
    if (d < nearest) nearest = d, nearestAt = t.Position, speed = t.Speed;
  }
  if (nearest < kLoopSoundRange) Cue(7, nearest, nearestAt, speed);
}

void StartLoops(int32_t now) {
  SceneryState& s = Scenery();
  for (int32_t i = 0; i < kLoopPaths; ++i) {
    PathLoopSlot& slot = s.Paths[i];
    slot = PathLoopSlot{};
    slot.Kind = kPathSlotLoop;
    slot.Model = kLoops[i].model;
    slot.Path = kLoops[i].path;
    slot.Advancing = 1;
    slot.StartTick = now;
  }
  s.LoopsStarted = true;
}

// Places an entity at a path frame, turned to face along it (models face -z:
// turned by a, their front points at (sin a, 0, -cos a)).
void PlaceAt(CEntity& e, int32_t modelPlace, const Vec3& position, const Vec3& forward) {
  ModelLodSet* set = ShelfModel(ModelShelf::PlanesTrainsBoats, modelPlace);
  if (!set) return;
  if (e.model != set) e.SetModel(set);
  e.position = position;
  e.rotation = {0, std::atan2(forward.x, -forward.z) * kRadiansToDegrees, 0};
  e.flags = static_cast<uint8_t>(e.flags | kEntVisible | kEntRebuildMatrix);
}

void DrawOnPath(CEntity& e, int32_t modelPlace, int32_t pathPlace, int32_t frame, const Mat43& view) {
  PathFrame f{};
  if (!GetPathFrame(pathPlace, frame, f)) return;
  PlaceAt(e, modelPlace, f.Position, f.Axes[2]);
  if (e.model) e.Draw(view);
}

}  // namespace

void SetScenerySounds(ScenerySounds* sounds) { g_sounds = sounds ? sounds : &g_silence; }

SceneryState& Scenery() {
  static SceneryState state;
  return state;
}

CRandomStream& SceneryRandom() {
  static CRandomStream stream;
  return stream;
}

int32_t SceneryEraGroup(int32_t decadeIndex) { return decadeIndex <= 2 ? 0 : decadeIndex <= 4 ? 1 : 2; }

int32_t PathFrameCount(int32_t pathPlace) {
  const CModel* m = PathModel(pathPlace);
  return m ? m->frameCount : 0;
}

bool GetPathFrame(int32_t pathPlace, int32_t frame, PathFrame& out) {
  const CModel* m = PathModel(pathPlace);
  if (!m || frame < 0) return false;
  const int32_t count = m->frameCount;
  if (frame >= count - 1 && count > 1) frame = frame % (count - 1) + 1;
  if (frame >= count) frame = count - 1;
  const Vec3* p = m->positions + static_cast<size_t>(frame) * 4;
  const Vec3 o = p[0];
  out.Position = {o.x, o.y, -o.z};
  for (int k = 0; k < 3; ++k) {
    const Vec3 d{p[k + 1].x - o.x, p[k + 1].y - o.y, p[k + 1].z - o.z};
    out.Axes[k] = {k == 2 ? -d.x : d.x, d.y, -d.z};
  }
  return true;
}

bool StartTrain(int32_t eraGroup, int32_t route, int32_t now) {
  if (route < 0 || route > 7 || PathFrameCount(kTrainRoute0 + route) == 0) return false;
  for (TrainSlot& t : Scenery().Trains) {
    if (t.State != kTrainFree) continue;
    t.State = kTrainArriving;
    t.EraGroup = eraGroup;
    t.Route = route;
    t.StartTick = now - 1;
    t.Position = PathStart(kTrainRoute0 + route, false);
    const Vec3 end = PathStart(kTrainRoute0 + route, true);
    Vec3 d{end.x - t.Position.x, end.y - t.Position.y, end.z - t.Position.z};
    const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    t.Direction = length > 0 ? Vec3{d.x / length, d.y / length, d.z / length} : Vec3{0, 0, 1};
    t.Total = t.Remaining = length;
    t.Speed = kTrainTopSpeed;
    Cue(8, t.Position);
    return true;
  }
  return false;
}

bool StartFlight(int32_t eraGroup, int32_t now) {
  for (FlightSlot& f : Scenery().Flights) {
    if (f.Active) continue;
    f.Active = 1;
    f.EraGroup = eraGroup;
    f.Path = eraGroup == 0 ? 0 : 1;
    f.StartTick = now;
    return true;
  }
  return false;
}

bool StartShip(int32_t decadeIndex, int32_t now) {
  SceneryState& s = Scenery();
  HarbourState& h = s.Harbour;
  CRandomStream& r = SceneryRandom();
  int32_t type = static_cast<int32_t>(r.Rand() & 3);
  const int32_t x = static_cast<int32_t>(r.Rand() % 101);
  const int32_t variant = x <= 1 ? x + 1 : 0;
  if (decadeIndex <= 2 && type == 2) type = 0;
  if (decadeIndex >= 3 && decadeIndex <= 7 && type == 0) type = 2;
  // The ship takes the first free path slot; a busy harbour means no ship today.
  if (h.ShipSlot >= 0) return false;
  for (int32_t i = 0; i < kPathSlots; ++i) {
    PathLoopSlot& slot = s.Paths[i];
    if (slot.Kind != kPathSlotFree || (!s.LoopsStarted && i < kLoopPaths)) continue;
    slot = PathLoopSlot{};
    slot.Kind = kPathSlotOnce;
    slot.Model = kShipCargo + type;
    slot.Path = variant == 1 ? kShipPathRare : kShipPathUsual;
    slot.Advancing = 1;
    slot.StartTick = now;
    h.ShipSlot = i;
    h.ShipType = type;
    h.ContainerVariant = variant;
    h.ShipFrame = 1;
    return true;
  }
  return false;
}

void ScheduleSceneryForHour(int32_t hour, int32_t now, int32_t people, int32_t decadeIndex) {
  static constexpr int8_t kTrainRoute[24] = {-1, -1, -1, -1, -1, 0, 1, 2, 3, 4, 5, 6,
                                             7,  0,  1,  2,  3,  4, 5, 6, 7, -1, -1, -1};
  // The people needed for the hour's flight; -1 none, 0 always.
  static constexpr int16_t kFlightPeople[24] = {-1, -1, -1, -1, -1, -1, 200, -1, 800, -1, 0, -1,
                                                400, -1, 200, -1, 401, -1, 0, -1, 800, -1, 200, -1};
  if (hour < 0 || hour > 23) return;
  const int32_t era = SceneryEraGroup(decadeIndex);
  if (kTrainRoute[hour] >= 0) StartTrain(era, kTrainRoute[hour], now);
  if (kFlightPeople[hour] >= 0 && people >= kFlightPeople[hour]) StartFlight(era, now);
  if (hour == 12) StartShip(decadeIndex, now);
}

void ScheduleSceneryForHour(int32_t hour) {
  ScheduleSceneryForHour(hour, static_cast<int32_t>(LogicTick()), g_PeopleCount, GameClock().decade);
}

void UpdateAnimatedScenery(int32_t now) {
  SceneryState& s = Scenery();
  if (!s.LoopsStarted) StartLoops(now);
  StepShip(now);
  StepCrane();
  for (TrainSlot& t : s.Trains) StepTrain(t);
  // A flight ends when it has flown its whole path.
  for (FlightSlot& f : s.Flights) {
    if (f.Active && now - f.StartTick >= PathFrameCount(kFlightPath0 + f.Path)) f.Active = 0;
  }
  if (now % 5 == 0) FlightCues(now);
  if (now % 5 == 1) TrainLoopCue();
}

void UpdateAnimatedScenery() {
  UpdateAnimatedScenery(static_cast<int32_t>(LogicTick()));
}

namespace {
std::array<BlockAmbience, kBlockCount> g_ambience;
}  // namespace

const BlockAmbience& GetBlockAmbience(int32_t block) {
  return g_ambience[block >= 0 && block < kBlockCount ? static_cast<size_t>(block) : 0];
}

void UpdateBlockAmbiencePositions() {
  constexpr float kAmbienceHeight = 40.0f;
  for (int32_t i = 0; i < kBlockCount; ++i) {
    const CEntity* base = BlockBaseEntities().GetEntity(i);
    if (!g_Blocks[static_cast<size_t>(i)].InUse || !base) continue;
    BlockAmbience& a = g_ambience[static_cast<size_t>(i)];
    a.Position = {base->position.x, kAmbienceHeight, base->position.z};
    a.Distance = std::sqrt(DistanceSqToCamera(a.Position));
  }
}

void ResetAnimatedScenery() {
  SceneryState& s = Scenery();
  for (FlightSlot& f : s.Flights) f.Active = 0;
  for (TrainSlot& t : s.Trains) t.State = kTrainFree;
  for (PathLoopSlot& p : s.Paths) p.Kind = kPathSlotFree;
  s.Harbour = HarbourState{};
  s.LoopsStarted = false;
}

void DrawAnimatedScenery(const Mat43& view) {
  SceneryState& s = Scenery();
  const int32_t now = static_cast<int32_t>(LogicTick());
  for (FlightSlot& f : s.Flights) {
    if (f.Active) DrawOnPath(f.Entity, kPlaneProp + f.EraGroup, kFlightPath0 + f.Path, now - f.StartTick, view);
  }
  for (TrainSlot& t : s.Trains) {
    if (t.State == kTrainFree) continue;
    PlaceAt(t.Entity, kTrainSteam + t.EraGroup, t.Position, t.Direction);
    if (t.Entity.model) t.Entity.Draw(view);
  }
  for (int32_t i = 0; i < kPathSlots; ++i) {
    PathLoopSlot& p = s.Paths[i];
    if (p.Kind == kPathSlotFree) continue;
    const int32_t frame = i == s.Harbour.ShipSlot ? s.Harbour.ShipFrame : now - p.StartTick;
    DrawOnPath(p.Entity, p.Model, p.Path, frame, view);
  }
}

void DrawPathScenery(const Mat43& view) {
  static CEntity base, jib, hook, container, cable;
  HarbourState& h = Scenery().Harbour;
  auto draw = [&](CEntity& e, int32_t place, const Vec3& at, float yaw) {
    ModelLodSet* set = ShelfModel(ModelShelf::WorldCity, place);
    if (!set) return;
    if (e.model != set) e.SetModel(set);
    e.position = at;
    e.rotation = {0, yaw, 0};
    e.flags = static_cast<uint8_t>(e.flags | kEntVisible | kEntRebuildMatrix);
    e.Draw(view);
  };
  PathFrame anchor{}, trolley{}, lift{};
  if (!GetPathFrame(kCraneJibPath, 0, anchor)) return;
  draw(base, kCraneBase, {anchor.Position.x, 0, anchor.Position.z}, 0);
  if (GetPathFrame(kCraneJibPath, h.CraneFrame, trolley)) draw(jib, kCraneJib, trolley.Position, 0);
  if (GetPathFrame(kCraneHookPath, h.CraneFrame, lift)) {
    draw(hook, kCraneHook, lift.Position, 0);
    // The cable runs from the hook up to the trolley: its model is one
    // length unit per kCableModelHeight, stretched to the gap.
    constexpr float kCableModelHeight = 10.0f;
    const float gap = trolley.Position.y - lift.Position.y;
    if (gap > 0) {
      cable.scale = {1, gap / kCableModelHeight, 1};
      draw(cable, kCraneCable, {lift.Position.x, lift.Position.y + 1.0f, lift.Position.z}, 0);
    }
    if (h.CraneRunning) draw(container, kContainer1 + h.ContainerVariant % 3, {lift.Position.x, lift.Position.y - 3, lift.Position.z}, 0);
  }
}
