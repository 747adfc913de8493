#include "city/people.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/city_day_counters.h"
#include "city/business.h"
#include "city/city_demand.h"
#include "city/city_services.h"
#include "city/commodities.h"
#include "city/households.h"
#include "city/population_classes.h"
#include "city/road_topology.h"
#include "city/timetables.h"
#include "city/traffic.h"
#include "engine/core/error.h"
#include "engine/core/random_stream.h"
#include "session/save_chunks.h"
#include "engine/scene/animation.h"
#include "session/game_clock.h"
#include "session/player.h"
#include "session/utility_income.h"

std::array<PersonCycle, kMaxPeople> g_PersonCycles;
std::array<CEntity, kMaxPeople> g_PersonEntities;

namespace {

std::array<uint8_t, kBlockCount * kBlockCount> g_nextHop;

constexpr int32_t kRingOrder[8] = {1, 3, 2, 6, 4, 12, 8, 9};
enum WalkResult { kBusy, kDone, kRide };

PersonCycle& CycleOf(const CPerson& p) { return g_PersonCycles[p.Index]; }
CBlock* BlockOf(int32_t block) { return GetBlock(block); }

int32_t RandomRailroadBlock() { return kRailroadBlocks[PeopleRandom().Range(4)]; }

float RingRadius(const PersonCycle& c) { return static_cast<float>(c.StartChoice) + 35.0f; }

int RingPos(int32_t code) {
  for (int i = 0; i < 8; ++i) {
    if (kRingOrder[i] == code) return i;
  }
  return -1;
}

// Side code of a point relative to a block centre (corners combine two).
int32_t SideOfPoint(float x, float z) {
  int32_t code = 0;
  if (x >= 31) code |= 2;
  if (x <= -31) code |= 8;
  if (z >= 31) code |= 1;
  if (z <= -31) code |= 4;
  return code;
}

void RingPoint(int32_t code, float r, float& x, float& z) {
  x = (code & 2) ? r : (code & 8) ? -r : 0.0f;
  z = (code & 1) ? r : (code & 4) ? -r : 0.0f;
}

int32_t OppositeSide(int32_t side) {
  switch (side) {
    case 1: return 4;
    case 4: return 1;
    case 2: return 8;
    case 8: return 2;
    default: return 0;
  }
}

int SideNodeIndex(int32_t side) {
  switch (side) {
    case 1: return kSideNorth;
    case 4: return kSideSouth;
    case 2: return kSideEast;
    default: return kSideWest;
  }
}

PersonModelSource g_personModelSource = nullptr;
// The source's answers by model number, asked once each: they hold while the
// source is installed (the models are loaded before it and kept after). The
// people's update runs every tick, and asking anew for every person cost a
// tenth of a headless game at full speed.
constexpr int32_t kRememberedModels = 64;
std::array<ModelLodSet*, kRememberedModels> g_personModels{};
std::array<bool, kRememberedModels> g_personModelKnown{};

ModelLodSet* PersonModel(int32_t index) {
  if (index < 0 || index >= kRememberedModels) return g_personModelSource(index);
  if (!g_personModelKnown[size_t(index)]) {
    g_personModels[size_t(index)] = g_personModelSource(index);
    g_personModelKnown[size_t(index)] = true;
  }
  return g_personModels[size_t(index)];
}

float WorldX(const PersonCycle& c) { return c.Motion.X - kMotionOffsetX; }
float WorldZ(const PersonCycle& c) { return c.Motion.Z - kMotionOffsetZ; }

void SyncPosition(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  p.PositionX = WorldX(c);
  p.PositionZ = WorldZ(c);
  CEntity& e = g_PersonEntities[p.Index];
  e.position = Vec3{p.PositionX, 0.5f, p.PositionZ};
  e.rotation = Vec3{0, c.Motion.Heading, 0};
}

// The entity shows the model of the person's model number (walking or
// standing), which can change with any step.
void ShowPersonModel(const CPerson& p) {
  if (!g_personModelSource) return;
  CEntity& e = g_PersonEntities[p.Index];
  ModelLodSet* set = PersonModel(GetModelIndex(p));
  if (set && e.model != set) e.SetModel(set);
}

// A person is drawn while it is on the street; in a building it is hidden.
void ShowWhenOnStreet(const CPerson& p) {
  CEntity& e = g_PersonEntities[p.Index];
  if (CycleOf(p).Flags & kFlagOffStreet) {
    e.flags = static_cast<uint8_t>(e.flags & ~kEntVisible);
  } else {
    e.flags |= kEntVisible;
  }
}

// ---- Animations -------------------------------------------------------------------
// The person's entity plays its street animations through the engine's
// animation player, stepped once per logic tick after the people, so how long
// an animation lasts is a count of ticks the same on every machine. A
// finished one only raises the person's signal; the person acts on it in its
// own update, never inside the player's step, so the order of the player's
// slots (which local effects share) never matters.

bool AnimationLoops(int32_t animation) {
  return animation == kPersonAnimStand || animation == kPersonAnimWalk || animation == kPersonAnimWait;
}

void AnimationDone(int32_t index) {
  if (index >= 0 && index < kMaxPeople) g_PersonCycles[size_t(index)].ModeSignal = 1;
}

bool AnimationRunning(const CPerson& p) { return g_PersonEntities[p.Index].animSlot >= 0; }

// Starts the animation from its first frame; a loop already running goes on.
void PlayAnimation(CPerson& p, int32_t animation) {
  PersonCycle& c = CycleOf(p);
  CEntity& e = g_PersonEntities[p.Index];
  if (c.Animation == animation && AnimationLoops(animation) && AnimationRunning(p)) return;
  EntAnimStop(&e);
  EntAnimStart(&e, AnimationLoops(animation) ? kAnimLoopForward : kAnimOnceForward, EntAnimCallback(AnimationDone),
               p.Index, 0);
  const PersonFrameRange range = GetAnimationFrames(p, animation);
  EntAnimSetRange(&e, range.first, range.end);
  c.Animation = static_cast<uint8_t>(animation);
  // With no slot free nothing would ever end it: a person waiting on it goes on.
  c.ModeSignal = AnimationRunning(p) ? 0 : 1;
}

// Plays an animation once and waits for its end (mode 0).
void PlayAndWait(CPerson& p, int32_t animation) {
  PlayAnimation(p, animation);
  CycleOf(p).Mode = kModeSignal;
}

// Walking strides; a person that stopped walking, or whose last animation
// ended, stands about. The others (waiting at the kerb, at a door) are the
// steps' own.
void FollowMovement(CPerson& p) {
  const PersonCycle& c = CycleOf(p);
  if (c.Flags & kFlagOffStreet) return;
  if (c.Flags & kFlagMoving) {
    PlayAnimation(p, kPersonAnimWalk);
  } else if (c.Animation == kPersonAnimWalk || !AnimationRunning(p)) {
    PlayAnimation(p, kPersonAnimStand);
  }
}

void Teleport(CPerson& p, float worldX, float worldZ) {
  PersonCycle& c = CycleOf(p);
  c.Motion.X = c.Motion.TargetX = worldX + kMotionOffsetX;
  c.Motion.Z = c.Motion.TargetZ = worldZ + kMotionOffsetZ;
  SyncPosition(p);
}

// Starts a straight move to a world point (target cut to whole units).
void MoveTo(CPerson& p, float worldX, float worldZ) {
  PersonCycle& c = CycleOf(p);
  c.Motion.TargetX = std::trunc(worldX + kMotionOffsetX);
  c.Motion.TargetZ = std::trunc(worldZ + kMotionOffsetZ);
  c.Flags |= kFlagMoving;
  c.Mode = kModeWhenStill;
}

void MoveToRelative(CPerson& p, float x, float z) {
  const CBlock* b = BlockOf(p.CurrentBlock);
  MoveTo(p, (b ? b->CentreX : 0.0f) + x, (b ? b->CentreZ : 0.0f) + z);
}

void RelativePosition(const CPerson& p, float& x, float& z) {
  const PersonCycle& c = CycleOf(p);
  const CBlock* b = BlockOf(p.CurrentBlock);
  x = WorldX(c) - (b ? b->CentreX : 0.0f);
  z = WorldZ(c) - (b ? b->CentreZ : 0.0f);
}

// True on arrival.
bool StepMotion(PersonMotion& m) {
  float dx = m.TargetX - m.X, dz = m.TargetZ - m.Z;
  if (std::fabs(dz) >= std::fabs(dx)) {
    if (dz != 0) m.Heading = dz > 0 ? 180.0f : 0.0f;
  } else {
    m.Heading = dx > 0 ? 90.0f : -90.0f;
  }
  float d2 = dx * dx + dz * dz;
  if (d2 <= m.Step * m.Step) {
    m.X = m.TargetX;
    m.Z = m.TargetZ;
    return true;
  }
  float scale = m.Step / std::sqrt(d2);
  m.X += dx * scale;
  m.Z += dz * scale;
  return false;
}

void ChangeBlockCount(int32_t block, int32_t change) {
  if (CBlock* b = BlockOf(block)) b->PeopleInside = std::max(0, b->PeopleInside + change);
}

void DrawTimetable(CPerson& p) {
  int32_t t = DrawDailyObjective(ObjectiveClassForPerson(p.Kind, p.IsHoused()));
  p.DayTimetable = t < 0 ? 255 : static_cast<uint8_t>(t);
}


void BlockReferencePoint(int32_t block, float door[3]) {
  const CBlock* b = BlockOf(block);
  door[0] = b ? b->CentreX : 0.0f;
  door[1] = 0.5f;
  door[2] = b ? b->CentreZ : 0.0f;
}

// ---- Walking --------------------------------------------------------------------

// Out of a building or the underground, onto the street at 37 units.
void LeaveTransit(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  c.Flags &= ~kFlagOffStreet;
  ChangeBlockCount(p.CurrentBlock, 1);
  float x, z;
  RelativePosition(p, x, z);
  if (std::fabs(x) >= std::fabs(z)) {
    x = x < 0 ? -kRingStreet : kRingStreet;
  } else {
    z = z < 0 ? -kRingStreet : kRingStreet;
  }
  const CBlock* b = BlockOf(p.CurrentBlock);
  Teleport(p, (b ? b->CentreX : 0.0f) + x, (b ? b->CentreZ : 0.0f) + z);
  int32_t side = SideOfPoint(x, z);
  c.Side = RingPos(side) >= 0 ? side : 4;
}

int CurrentRingPos(const CPerson& p) {
  const PersonCycle& c = CycleOf(p);
  int pos = RingPos(c.Side);
  if (pos >= 0) return pos;
  float x, z;
  RelativePosition(p, x, z);
  pos = RingPos(SideOfPoint(x, z));
  return pos >= 0 ? pos : 4;
}

// Round the ring to the side nearest the leg target, then straight to it.
// True once the person stands at the target.
bool WalkLeg(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  float r = RingRadius(c);
  switch (c.RingPhase) {
    case 0: {
      float& tx = c.LegTarget[0];
      float& tz = c.LegTarget[2];
      if (std::fabs(tx) >= std::fabs(tz)) {
        tx = tx < 0 ? -kRingStreet : kRingStreet;
      } else {
        tz = tz < 0 ? -kRingStreet : kRingStreet;
      }
      int goal = RingPos(SideOfPoint(tx, tz));
      int present = CurrentRingPos(p);
      c.RingGoal = goal >= 0 ? goal : present;
      c.EntrySide = kRingOrder[present];
      c.ExitSide = kRingOrder[c.RingGoal];
      int diff = present - c.RingGoal;
      bool forward = (diff < 1 && std::abs(diff) < 5) || (diff >= 1 && std::abs(diff) > 3);
      if (forward) {
        c.Flags &= ~kFlagBackward;
      } else {
        c.Flags |= kFlagBackward;
      }
      c.Flags |= kFlagRingWalk;
      c.RingPhase = 1;
      [[fallthrough]];
    }
    case 1: {
      int present = CurrentRingPos(p);
      if (present != c.RingGoal) {
        int next = (present + ((c.Flags & kFlagBackward) ? 7 : 1)) % 8;
        c.Side = kRingOrder[next];
        float x, z;
        RingPoint(c.Side, r, x, z);
        MoveToRelative(p, x, z);
        return false;
      }
      c.Flags &= ~kFlagRingWalk;
      c.RingPhase = 2;
      MoveToRelative(p, c.LegTarget[0], c.LegTarget[2]);
      return false;
    }
    case 2:
      c.RingPhase = 0;
      return true;
    default:
      c.RingPhase = 0;
      return false;
  }
}

void SetLegTargetWorld(CPerson& p, const float world[3]) {
  PersonCycle& c = CycleOf(p);
  const CBlock* b = BlockOf(p.CurrentBlock);
  c.LegTarget[0] = world[0] - (b ? b->CentreX : 0.0f);
  c.LegTarget[1] = 0.5f;
  c.LegTarget[2] = world[2] - (b ? b->CentreZ : 0.0f);
  c.RingPhase = 0;
}

void ReleaseCrossing(PersonCycle& c) {
  if (c.CrossNode >= 0) RemoveJunctionWalker(c.CrossNode, c.CrossDirection);
  c.CrossNode = -1;
  c.CrossDirection = 0;
  c.Flags &= ~kFlagCrossing;
}

// Plans the next block of a walk: the corner to cross from and the point on
// the far side. False when there is no walking route.
bool PlanCrossing(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  uint8_t next = GetNextBlockToward(p.CurrentBlock, p.TargetBlock);
  if (next == kNextHopRide || next >= kBlockCount) return false;
  c.NextBlock = next;
  const CBlock* here = BlockOf(p.CurrentBlock);
  const CBlock* there = BlockOf(next);
  int32_t exit = 0;
  if (there->CentreX > here->CentreX) exit = 2;
  if (there->CentreX < here->CentreX) exit = 8;
  if (there->CentreZ > here->CentreZ) exit = 1;
  if (there->CentreZ < here->CentreZ) exit = 4;
  if (exit == 0) exit = 1;
  float x, z;
  RelativePosition(p, x, z);
  int32_t across = (exit == 1 || exit == 4) ? (x >= 0 ? 2 : 8) : (z >= 0 ? 1 : 4);
  if (c.Side & across & ~exit) across = c.Side & across;
  int32_t corner = exit | across;
  float r = RingRadius(c);
  RingPoint(corner, r, c.LegTarget[0], c.LegTarget[2]);
  c.LegTarget[1] = 0.5f;
  c.RingPhase = 0;
  c.ExitSide = exit;
  float fx, fz;
  RingPoint(OppositeSide(exit) | across, r, fx, fz);
  c.CrossX = there->CentreX + fx;
  c.CrossZ = there->CentreZ + fz;
  c.CrossDirection = across;
  uint8_t node = here->SideNode[SideNodeIndex(exit)];
  c.CrossNode = -1;
  c.CrossStep = node == kNoNode ? -1 : node;
  return true;
}

// Crosses the street to the next block; true once over.
bool CrossStreet(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  if (c.CrossState == 0) {
    int32_t node = c.CrossStep;
    if (node >= 0 && !IsJunctionBoxClear(node, c.CrossDirection)) {
      ++c.CrossWait;
      // A look both ways, then a look at the watch until the way is clear.
      if (c.Animation != kPersonAnimWaitBegin && c.Animation != kPersonAnimWait) {
        PlayAnimation(p, kPersonAnimWaitBegin);
      } else if (c.Animation == kPersonAnimWaitBegin && !AnimationRunning(p)) {
        PlayAnimation(p, kPersonAnimWait);
      }
      return false;
    }
    if (node >= 0) {
      AddJunctionWalker(node, c.CrossDirection);
      c.CrossNode = node;
    }
    c.Flags |= kFlagCrossing;
    c.CrossWait = 0;
    c.CrossState = 1;
    MoveTo(p, c.CrossX, c.CrossZ);
    return false;
  }
  ReleaseCrossing(c);
  c.CrossState = 0;
  ChangeBlockCount(p.CurrentBlock, -1);
  p.CurrentBlock = c.NextBlock;
  ChangeBlockCount(p.CurrentBlock, 1);
  p.SetBlockMemory(p.CurrentBlock, std::max(p.GetBlockMemory(p.CurrentBlock), 3));
  float x, z;
  RelativePosition(p, x, z);
  int32_t side = SideOfPoint(x, z);
  c.Side = RingPos(side) >= 0 ? side : c.Side;
  return true;
}

WalkResult WalkToBlock(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  for (int guard = 0; guard < 4; ++guard) {
    switch (c.LegState) {
      case 0:
        if (c.Flags & kFlagOffStreet) {
          c.LegState = 4;
          continue;
        }
        if (p.CurrentBlock == p.TargetBlock || BlockOf(p.TargetBlock) == nullptr) return kDone;
        c.LegState = 3;
        continue;
      case 4:
        LeaveTransit(p);
        c.LegState = 3;
        continue;
      case 3:
        if (p.CurrentBlock == p.TargetBlock) {
          c.LegState = 0;
          return kDone;
        }
        if (!PlanCrossing(p)) {
          c.LegState = 0;
          return kRide;
        }
        c.LegState = 1;
        continue;
      case 1:
        if (!WalkLeg(p)) return kBusy;
        c.LegState = 2;
        continue;
      case 2:
        if (!CrossStreet(p)) return kBusy;
        c.LegState = 3;
        continue;
      default:
        c.LegState = 0;
        continue;
    }
  }
  return kBusy;
}

WalkResult RideToBlock(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  switch (c.LegState) {
    case 0:
      if (c.Flags & kFlagOffStreet) LeaveTransit(p);
      c.LegTarget[0] = 0;
      c.LegTarget[1] = 0.5f;
      c.LegTarget[2] = -41;
      c.RingPhase = 0;
      c.LegState = 6;
      [[fallthrough]];
    case 6:
      if (!WalkLeg(p)) return kBusy;
      c.LegState = 7;
      MoveToRelative(p, 0, -41);
      return kBusy;
    case 7: {
      ChangeBlockCount(p.CurrentBlock, -1);
      p.CurrentBlock = p.TargetBlock;
      ChangeBlockCount(p.CurrentBlock, 1);
      p.SetBlockMemory(p.CurrentBlock, std::max(p.GetBlockMemory(p.CurrentBlock), 3));
      const CBlock* b = BlockOf(p.CurrentBlock);
      Teleport(p, b->CentreX, b->CentreZ - 41);
      c.Motion.Heading += 180;
      c.LegState = 9;
      MoveToRelative(p, 0, -38);
      return kBusy;
    }
    case 9:
      c.Side = 4;
      c.LegState = 0;
      return kDone;
    default:
      c.LegState = 0;
      return kBusy;
  }
}

// Walk to the door set as the leg target (world position), then go in: at a
// shop's door the person first reaches over the counter, at every door it
// steps in, waiting for each animation's end.
WalkResult WalkToDoor(CPerson& p, const float door[3], bool shop) {
  PersonCycle& c = CycleOf(p);
  switch (c.LegState) {
    case 0:
      if (c.Flags & kFlagOffStreet) LeaveTransit(p);
      SetLegTargetWorld(p, door);
      c.LegState = 6;
      [[fallthrough]];
    case 6:
      if (!WalkLeg(p)) return kBusy;
      if (shop) {
        PlayAndWait(p, kPersonAnimBuy);
        c.LegState = 7;
        return kBusy;
      }
      [[fallthrough]];
    case 7:
      PlayAndWait(p, kPersonAnimEnter);
      c.LegState = 8;
      return kBusy;
    case 8:
      c.Mode = kModeWhenStill;
      c.Flags |= kFlagOffStreet;
      c.SavedDestination.Block = kNoBlock;
      ChangeBlockCount(p.CurrentBlock, -1);
      EntAnimStop(&g_PersonEntities[p.Index]);
      c.LegState = 0;
      return kDone;
    default:
      c.LegState = 0;
      return kBusy;
  }
}

// Walks or rides to p.TargetBlock by sub-states 3 and 4; `arrive` is the
// sub-state after arrival. True when the sub-state moved on.
bool TravelStep(CPerson& p, int32_t arrive) {
  PersonCycle& c = CycleOf(p);
  WalkResult r = c.SubState == 4 ? RideToBlock(p) : WalkToBlock(p);
  if (r == kRide) {
    c.SubState = 4;
    c.LegState = 0;
    return true;
  }
  if (r == kDone) {
    c.SubState = arrive;
    c.LegState = 0;
    return true;
  }
  return false;
}

// ---- States ---------------------------------------------------------------------

void LookForHouse(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  if (c.SubState == 0) {
    if (!p.FindHomeBlock()) {
      EnterState(p, kStateStrolling);
      return;
    }
    c.SubState = 7;
  }
  if (c.SubState == 3 || c.SubState == 4) {
    TravelStep(p, 7);
    return;
  }
  int32_t r = p.ChooseResidence(p.TargetBlock);
  CBusiness* b = GetBusinessInUse(r);
  if (b == nullptr || !b->AddPerson(p)) {
    EnterState(p, kStateStrolling);
    return;
  }
  p.HomeBuilding = b->Building;
  p.HomeBlock = static_cast<uint8_t>(b->GetBlock());
  DoorOf(p.HomeBuilding, c.HomeDoor);
  DrawTimetable(p);
  if (CPlayer* owner = PlayerTable().ByNumber(b->Owner)) owner->pointsB += 50;
  EnterState(p, kStateGoingHome);
}

void WalkHome(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  if (c.SubState == 0) {
    if (p.HomeBlock == kNoBlock) {
      p.HomeBlock = static_cast<uint8_t>(RandomRailroadBlock());
      BlockReferencePoint(p.HomeBlock, c.HomeDoor);
    }
    p.TargetBlock = p.HomeBlock;
    c.SubState = 3;
  }
  if (c.SubState == 3 || c.SubState == 4) {
    TravelStep(p, 5);
    return;
  }
  if (WalkToDoor(p, c.HomeDoor, false) != kDone) return;
  for (int i = 0; i < 4; ++i) {
    if (kRailroadBlocks[i] == p.HomeBlock) AddRailroadPassengers(i + 1, 5);
  }
  EnterState(p, kStateAtHome);
}

void GoToWork(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  if (c.SubState == 0) {
    if (BlockOf(p.WorkBlock) == nullptr) {  // no work place: the day is spent as it is
      EnterState(p, kStateAtWork);
      return;
    }
    p.TargetBlock = p.WorkBlock;
    c.SubState = 3;
  }
  if (c.SubState == 3 || c.SubState == 4) {
    TravelStep(p, 5);
    return;
  }
  if (WalkToDoor(p, c.WorkDoor, false) == kDone) EnterState(p, kStateAtWork);
}

// True when the trip is over.
bool ShoppingTrip(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  switch (c.SubState) {
    case 0: {
      int32_t block = p.ChooseShoppingBlock();
      if (block < 0) {
        // Counted only when the trip has bought nothing yet: after a
        // purchase, finding no further block is how a trip ends.
        if (!c.BoughtHere) ++DayCounters().TripsWithoutShop;
        return true;
      }
      p.TargetBlock = static_cast<uint8_t>(block);
      c.BoughtHere = 0;
      c.SubState = 3;
      c.LegState = 0;
      return false;
    }
    case 3:
    case 4:
      TravelStep(p, 6);
      return false;
    case 5: {
      float door[3];
      DoorOf(p.Destination.Building, door);
      if (WalkToDoor(p, door, true) != kDone) return false;
      if (Buy(p)) {
        c.BoughtHere = 1;
        ++DayCounters().ShopVisitsBought;
      } else {
        ++DayCounters().ShopVisitsEmpty;
      }
      c.SubState = 6;
      return false;
    }
    case 6:
      if (p.ChooseShop()) {
        DoorOf(p.Destination.Building, p.Destination.Position);
        c.SubState = 5;
        c.LegState = 0;
        return false;
      }
      // Nothing suits here: another block after a purchase, else the trip ends
      // (choosing the same block again would go round for ever).
      if (!c.BoughtHere) return true;
      c.SubState = 0;
      return false;
    default:
      c.SubState = 0;
      return false;
  }
}

void Stroll(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  switch (c.SubState) {
    case 0:
      for (int tries = 0; tries < 256; ++tries) {
        int32_t block = static_cast<int32_t>(PeopleRandom().Range(kBlockCount));
        if (g_Blocks[block].InUse) {
          p.TargetBlock = static_cast<uint8_t>(block);
          c.SubState = 3;
          c.LegState = 0;
          return;
        }
      }
      return;
    case 3:
    case 4:
      TravelStep(p, 2);
      return;
    default: {
      if (c.Flags & kFlagOffStreet) LeaveTransit(p);
      int present = CurrentRingPos(p);
      int next = (present + ((c.Flags & kFlagBackward) ? 7 : 1)) % 8;
      c.Side = c.ExitSide = kRingOrder[next];
      float x, z;
      RingPoint(c.Side, RingRadius(c), x, z);
      MoveToRelative(p, x, z);
      return;
    }
  }
}

void Step(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  switch (c.State) {
    case kStateLookForHouse: LookForHouse(p); break;
    case kStateGoingHome: WalkHome(p); break;
    case kStateGoingToWork: GoToWork(p); break;
    case kStateMainShopping:
    case kStateDiningOut:
    case kStateSnack:
    case kStateEntertainment:
      if (ShoppingTrip(p)) EnterState(p, kStateStrolling);
      break;
    case kStateStayingOver:
      if (ShoppingTrip(p)) EnterState(p, kStateGoingHome);
      break;
    case kStateStrolling: Stroll(p); break;
    case kStateAtHome:
    case kStateAsleep:
    case kStateAtWork: break;
    default: c.HourCountdown = kTicksPerGameHour; break;
  }
}

}  // namespace

int32_t PeopleWithCurrentBlock(int32_t block) {
  int32_t n = 0;
  for (int i = 0; i < g_PeopleCount; ++i) n += g_People[i].InUse && g_People[i].CurrentBlock == block;
  return n;
}

uint8_t BlockInterestTotal(int32_t block) {
  uint32_t sum = 0;
  for (int i = 0; i < g_PeopleCount; ++i) {
    if (g_People[i].InUse) sum += static_cast<uint32_t>(g_People[i].GetBlockMemory(block));
  }
  return static_cast<uint8_t>(sum & 0xFF);
}

void DoorOf(int32_t buildingId, float door[3]) {
  const CBuilding* b = GetBuilding(buildingId);
  door[0] = b ? b->CentreX : 0.0f;
  door[1] = 0.5f;
  door[2] = b ? b->CentreZ : 0.0f;
  if (b != nullptr && b->Visual.DoorCount > 0) {
    door[0] += b->Visual.Doors[0].x;
    door[2] += b->Visual.Doors[0].z;
  }
}

// ---- Life -----------------------------------------------------------------------

void ResetPeopleTables() {
  g_nextHop.fill(kNextHopUnknown);
  ResetClassPairLists();  // the console's proximity and rent score lists
}

void ResetPeople() {
  ClearPersonRecords();
  for (int i = 0; i < kMaxPeople; ++i) {
    g_PersonCycles[i] = PersonCycle{};
    CEntity& e = g_PersonEntities[i];
    e.Reset();
    e.objectKind = static_cast<int16_t>((i & 4) ? 1 : 2);
    e.index = i;
    e.flags = 0;
  }
  for (CBlock& b : g_Blocks) b.PeopleInside = 0;
}

CPerson* CreatePerson(int32_t kind, int32_t socialClass, int32_t preferenceRow) {
  auto it = std::find_if(g_People.begin(), g_People.end(), [](const CPerson& p) { return !p.InUse; });
  if (it == g_People.end()) return nullptr;
  CPerson& p = *it;
  PersonCycle& c = CycleOf(p);
  uint16_t index = p.Index;
  p = CPerson{};
  p.Index = index;
  p.InUse = 1;
  c = PersonCycle{};
  g_PeopleCount = std::max<int32_t>(g_PeopleCount, index + 1);
  p.Household = static_cast<int16_t>(AllocHousehold());
  CRandomStream& random = PeopleRandom();

  // Init and the place of entry: one of the railroads, on a random side.
  c.Mode = kModeWhenStill;
  c.StartChoice = static_cast<uint8_t>(1 + random.Range(5));
  uint32_t itchy = g_ItchyCounter > 0 ? static_cast<uint32_t>(g_ItchyCounter) : 1u;
  p.SetHouseHuntCountdown(1 + static_cast<int32_t>(HouseholdRandom().Range(itchy)));
  p.CurrentBlock = static_cast<uint8_t>(RandomRailroadBlock());
  ChangeBlockCount(p.CurrentBlock, 1);
  static constexpr int32_t kEntrySides[8] = {1, 9, 8, 12, 4, 6, 2, 3};
  c.Side = c.EntrySide = c.ExitSide = kEntrySides[random.Range(8)];
  float x, z;
  RingPoint(c.Side, RingRadius(c), x, z);
  const CBlock* entry = BlockOf(p.CurrentBlock);
  Teleport(p, entry->CentreX + x, entry->CentreZ + z);

  // Setup.
  if (kind < 0 || kind >= kPersonKindCount) kind = static_cast<int32_t>(random.Range(5));
  if (socialClass < 0 || socialClass >= kSocialClassCount) socialClass = static_cast<int32_t>(random.Range(3));
  c.WorkValue1 = 96 + static_cast<int32_t>(random.Range(505));
  c.WorkValue2 = (index & 4) ? 603 + static_cast<int32_t>(random.Range(126)) : 731 + static_cast<int32_t>(random.Range(127));
  p.SocialClass = socialClass;
  p.Kind = kind;
  p.PriceTolerance = 1.5f + static_cast<float>(random.Range(101)) * 0.01f;
  if (kind == kChild) {
    p.WorkBlock = kSchoolBlock;
    BlockReferencePoint(kSchoolBlock, c.WorkDoor);
  }
  if (kind == kTourist) {
    p.HomeBlock = static_cast<uint8_t>(RandomRailroadBlock());
    BlockReferencePoint(p.HomeBlock, c.HomeDoor);
  }
  c.Motion.Step = g_PeopleSpeeds[kind] +
                  static_cast<float>(random.Range(101)) * 0.01f * g_PeopleSpeeds[kChassisDisplacement];
  if (preferenceRow < 0 || preferenceRow >= kPreferenceRowCount)
    preferenceRow = DrawPreference(PopulationClassOf(kind, socialClass));
  p.PreferenceRow = static_cast<uint8_t>(std::max(preferenceRow, 0));
  // Setting up forgets every block, the entry block too.
  std::fill(std::begin(p.BlockMemory), std::end(p.BlockMemory), 0);
  DrawTimetable(p);
  ApplyTimetable(p);
  if (CHousehold* h = GetHousehold(p.Household)) h->InitWants(p.PreferenceRow);
  g_PersonEntities[index].flags |= kEntVisible;
  // Everyone but a tourist needs a place to live.
  AdjustCommodityDemandCount(index, kind != kTourist ? 1 : 0, 0);
  return &p;
}

void UpdatePerson(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  if (c.Flags & kFlagMoving) {
    if (StepMotion(c.Motion)) c.Flags &= ~kFlagMoving;
    SyncPosition(p);
  }
  bool due = c.HourCountdown <= 1;
  --c.HourCountdown;
  if (due && !(c.Flags & kFlagCrossing)) {
    ApplyTimetable(p);
    c.HourCountdown = kTicksPerGameHour;
  }
  switch (c.Mode) {
    case kModeSignal:
      if (c.ModeSignal) Step(p);
      break;
    case kModeWhenStill:
      if (!(c.Flags & kFlagMoving)) Step(p);
      break;
    case kModeStepFlag:
      if (c.StepFlag) {
        c.StepFlag = 0;
        Step(p);
      }
      break;
    case kModeInShop:
      if (c.WaitTicks-- <= 0) {
        c.Mode = kModeWhenStill;
        Step(p);
      }
      break;
    default: break;
  }
  FollowMovement(p);
  ShowWhenOnStreet(p);
}

int32_t UpdatePeople() {
  for (int32_t i = 0; i < g_PeopleCount; ++i) {
    if (!g_People[i].InUse) continue;
    UpdatePerson(g_People[i]);
    ShowPersonModel(g_People[i]);
  }
  return g_PeopleCount;
}

PersonFrameRange GetAnimationFrames(const CPerson& p, int32_t animation) {
  const int32_t build = p.Kind == kChild ? kBuildChild
                        : p.Kind == kTeenager ? kBuildTeen
                        : p.Kind == kPensioner ? kBuildElder
                                               : kBuildAdult;
  return PersonAnimFrames(build, std::clamp(animation, 0, kPersonAnimations - 1));
}

void EnterState(CPerson& p, int32_t state) {
  PersonCycle& c = CycleOf(p);
  if (c.State == state) return;
  c.State = state;
  c.SubState = c.LegState = c.CrossState = c.CrossStep = c.CrossWait = 0;
  c.RingPhase = 0;
  c.BoughtHere = 0;  // a new trip has bought nothing yet
  if (state == kStateMainShopping || state == kStateEntertainment) p.TripsToday = 0;
  c.Mode = (state == kStateAtHome || state == kStateAsleep || state == kStateAtWork) ? kModeIdle : kModeWhenStill;
}

void ApplyTimetable(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  int32_t code = GetTimetableActivity(p.DayTimetable, GameClock().hour);
  int32_t s = c.State;
  auto shop = [&](int cls, int32_t state) {
    p.ShoppingMask = g_ShoppingClassMasks[cls];
    EnterState(p, state);
  };
  switch (code) {
    case kActSleep:
      if (s == kStateAtHome) EnterState(p, kStateAsleep);
      else if (s != kStateAsleep && s != kStateGoingHome) EnterState(p, kStateGoingHome);
      break;
    case kActStroll:
    case kActCollectWelfare:
    case kActCollectPension: EnterState(p, kStateStrolling); break;
    case kActGoHome:
      if (s != kStateGoingHome && s != kStateAtHome && s != kStateAsleep) EnterState(p, kStateGoingHome);
      break;
    case kActGoToWork:
    case kActGoToSchool:
    case kActAtWork:
    case 16:
      if (s != kStateGoingToWork && s != kStateAtWork) EnterState(p, kStateGoingToWork);
      break;
    case kActLookForHouse:
      if (!p.IsHoused() && s != kStateLookForHouse) EnterState(p, kStateLookForHouse);
      break;
    case kActSnackTime: shop(kSnackShopping, kStateSnack); break;
    case kActMealTime: shop(kDiningOutShopping, kStateDiningOut); break;
    case kActEntertainment: shop(kEntertainmentShopping, kStateEntertainment); break;
    case kActMainShopping: shop(kMainShopping, kStateMainShopping); break;
    case kActStayOver: shop(kStayOverShopping, kStateStayingOver); break;
    case kActAtHome:
      if (s == kStateAsleep) EnterState(p, kStateAtHome);
      else if (s != kStateGoingHome && s != kStateAtHome) EnterState(p, kStateGoingHome);
      break;
    case kActUndefined:
      if (s != kStateAtHome) EnterState(p, kStateGoingHome);
      break;
    default: break;  // look for a job, codes above 17, unset: as it is
  }
}

void Replan(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  DrawTimetable(p);
  if (c.Flags & kFlagCrossing) {
    c.HourCountdown = 1;  // applied once it is across
    return;
  }
  ApplyTimetable(p);
}

void DailyIncome(CPerson& p) {
  if (CHousehold* h = GetHousehold(p.Household)) {
    h->Money += ClassIncome(p.Kind, p.SocialClass);
    DayCounters().HouseholdIncome += ClassIncome(p.Kind, p.SocialClass);
    h->BalanceWants(p.PreferenceRow);
  }
  DrawTimetable(p);
}

void UpdatePeopleDaily() {
  for (int32_t i = 0; i < g_PeopleCount; ++i) {
    CPerson& p = g_People[i];
    if (!p.InUse) continue;
    DailyIncome(p);
    for (int32_t b = 0; b < kBlockCount; ++b) {
      int m = p.GetBlockMemory(b);
      if (m > 0) p.SetBlockMemory(b, m - 1);
    }
  }
}

bool Buy(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  const CBuilding* building = GetBuilding(p.Destination.Building);
  CBusiness* b = building && building->InUse ? GetBusinessInUse(building->BusinessIndex) : nullptr;
  int32_t commodity = p.Commodity;
  if (b == nullptr || !b->HasCommodity(commodity) || b->OpenState != kOpen) return false;
  int slot = b->FindCommoditySlot(commodity);
  float price = b->Price[slot];
  CHousehold* h = GetHousehold(p.Household);
  bool bought = false;
  // No household, or no price set: nothing can be paid for.
  if (h != nullptr && price > 0) {
    int32_t units = std::min<int32_t>(static_cast<int32_t>(h->Want[commodity] / price), b->Slots[slot].Stock);
    // The cap reads the row's weight at the position of the shop's slot,
    // whatever commodity the row holds there.
    const ::PreferenceRow* row = GetPreferenceRow(p.PreferenceRow);
    const float weight = row && slot < kPreferenceEntries ? row->Weight[slot] : 0.0f;
    float cap = 2 * weight;
    bool capped = static_cast<float>(units) > cap;
    if (capped) units = static_cast<int32_t>(cap);
    if (units > 0) units = b->Sell(commodity, units);
    float spent = price * static_cast<float>(std::max(units, 0));
    h->Money -= spent;
    DayCounters().HouseholdSpending += spent;
    h->Want[commodity] -= spent;
    h->TotalWant -= spent;
    if (capped) {
      float rest = h->Want[commodity];
      h->Money -= rest;
      h->TotalWant -= rest;
      h->Want[commodity] = 0;
    }
    if (h->Want[commodity] <= 0) h->Want[commodity] = 0;
    h->RebuildWantMask();
    bought = units > 0;
  }
  c.SavedDestination = p.Destination;
  c.Mode = kModeInShop;
  const BusinessType* type = b->GetTypeRow();
  c.WaitTicks = type ? static_cast<int32_t>(type->TimeInStore) : 0;
  return bought;
}

// ---- Queries ------------------------------------------------------------------------

int32_t GetActivityTextId(const CPerson& p) {
  static constexpr int32_t kIds[10] = {1169, 1165, 1166, 1171, 1167, 1168, 1172, 1174, 1173, 1175};
  int32_t s = CycleOf(p).State;
  if (s >= 0 && s <= 9) return kIds[s];
  return s == 11 ? 1179 : 1178;
}

// The work building is the building of the work block whose door the person
// walks to for work.
const CBuilding* WorkBuilding(const CPerson& p) {
  const CBlock* block = BlockOf(p.WorkBlock);
  if (block == nullptr) return nullptr;
  const PersonCycle& c = CycleOf(p);
  for (const CBuilding* b = block->FirstBuilding; b != nullptr; b = b->Next) {
    float door[3];
    DoorOf(b->Id, door);
    if (door[0] == c.WorkDoor[0] && door[2] == c.WorkDoor[2]) return b;
  }
  return nullptr;
}

int32_t GetWorkBusinessKind(const CPerson& p) {
  const CBuilding* b = WorkBuilding(p);
  const CBusiness* business = b ? GetBusinessInUse(b->BusinessIndex) : nullptr;
  return business ? business->Kind : 255;
}

void SetPersonModelSource(PersonModelSource source) {
  g_personModelSource = source;
  g_personModelKnown.fill(false);
}

bool HasPersonModelSource() { return g_personModelSource != nullptr; }

int32_t GetModelIndex(const CPerson& p) {
  const PersonCycle& c = CycleOf(p);
  int32_t kind = p.Kind == kTourist ? kAdult : p.Kind;
  return (((c.Flags & kFlagMoving) ? 0 : 4) + kind) * 4 + (c.Flags & 3);
}

int32_t GetHousingStatus(const CPerson& p) {
  if (p.Kind == kTourist) return 0;
  return p.IsHoused() ? 2 : 1;
}

int32_t PeopleInBlock(int32_t block) {
  const CBlock* b = GetBlock(block);
  return b ? b->PeopleInside : 0;
}

uint8_t GetNextBlockToward(int32_t from, int32_t to) {
  if (from < 0 || from >= kBlockCount || to < 0 || to >= kBlockCount) return kNextHopRide;
  if (from == to) return static_cast<uint8_t>(to);
  uint8_t& entry = g_nextHop[from * kBlockCount + to];
  if (entry != kNextHopUnknown) return entry;
  FindBlockPaths(from, to);
  const BlockPathList& list = g_BlockPaths;
  if (list.PathCount == 0) {
    entry = kNextHopRide;
    return entry;
  }
  const BlockPathRecord& path = list.Records[list.PathCount - 1];
  if (path.Length > GetBlockPathDepthLimit()) {
    entry = kNextHopRide;
    return entry;
  }
  int32_t blocks = path.Length + 2;
  for (int32_t i = 0; i + 1 < blocks && i + 1 < kBlockPathMaxLength; ++i) {
    g_nextHop[path.Blocks[i] * kBlockCount + to] = path.Blocks[i + 1];
  }
  return entry;
}

int32_t GetPeopleChecksum() {
  uint32_t sum = 0;
  for (int32_t i = 0; i < g_PeopleCount; ++i) {
    const CPerson& p = g_People[i];
    if (!p.InUse) continue;
    const PersonCycle& c = g_PersonCycles[i];
    sum += std::bit_cast<uint32_t>(c.Motion.X) + std::bit_cast<uint32_t>(c.Motion.Z);
    sum += static_cast<uint32_t>(c.State) * 31u + p.CurrentBlock;
  }
  return static_cast<int32_t>(sum);
}

// ---- Saving -----------------------------------------------------------------------

namespace {

bool BlockOrNone(uint8_t b) { return b < kBlockCount || b == kNoBlock; }

template <class V>
void VisitDestination(V& v, PersonDestination& d) {
  v.Field(d.Block);
  v.Require(BlockOrNone(d.Block), "destination block");
  v.Pad(1);
  v.Field(d.Building, {-1, kBuildingPoolSize - 1, "destination building"});
  v.Field(d.Position, kFinite);
}

}  // namespace

template <class V>
void PersonRecord::Visit(V& v) {
  CPerson& p = person;
  PersonCycle& c = cycle;
  v.Field(p.Kind, {0, kPersonKindCount - 1, "person kind"});
  v.Field(c.WorkValue1);
  v.Field(c.WorkValue2);
  v.Field(p.HomeBlock);
  v.Require(BlockOrNone(p.HomeBlock), "home block");
  v.Pad(1);
  v.Field(p.HomeBuilding, {-1, kBuildingPoolSize - 1, "home building"});
  v.Field(c.HomeDoor, kFinite);
  v.Field(p.WorkBlock);
  v.Require(BlockOrNone(p.WorkBlock), "work block");
  v.Pad(3);
  v.Field(c.WorkDoor, kFinite);
  v.Field(p.BlockMemory);
  v.Pad(3);
  v.Field(p.SocialClass, {0, kSocialClassCount - 1, "social class"});
  v.Field(p.DayTimetable);
  v.Pad(3);
  VisitDestination(v, p.Destination);
  VisitDestination(v, c.SavedDestination);
  v.Field(p.Commodity, {-1, kCommodityCount - 1, "commodity"});
  v.Field(p.Household, {-1, kMaxHouseholds - 1, "household"});
  v.Field(p.PreferenceRow);
  v.Pad(1);
  v.Field(p.ShoppingMask);
  v.Field(p.PriceTolerance, kFinite);
  v.Field(p.TripsToday);
  v.Pad(3);
  v.Field(p.HouseHuntCountdown);
  v.Field(p.CurrentBlock, {0, kBlockCount - 1, "current block"});
  v.Field(p.TargetBlock);
  v.Require(BlockOrNone(p.TargetBlock), "target block");
  v.Field(c.Flags);
  v.Pad(1);
  v.Field(c.Side);
  v.Field(c.EntrySide);
  v.Field(c.ExitSide);
  v.Field(c.StartChoice, {1, 5, "start choice"});
  v.Field(c.NextBlock);
  v.Require(BlockOrNone(c.NextBlock), "next block");
  v.Field(c.BoughtHere);
  v.Pad(1);
  v.Field(c.LegTarget, kFinite);
  v.Field(c.CrossX, kFinite);
  v.Field(c.CrossZ, kFinite);
  v.Field(c.RingGoal, {0, 7, "ring goal"});
  v.Field(c.RingPhase);
  v.Field(c.CrossNode, {-1, kMaxRoadNodes - 1, "crossing node"});
  v.Field(c.CrossDirection);
  v.Field(c.Mode, {kModeSignal, kModeIdle, "mode"});
  v.Field(c.ModeSignal);
  v.Field(c.StepFlag);
  v.Pad(2);
  v.Field(c.HourCountdown);
  v.Field(c.WaitTicks);
  v.Field(c.Working);
  v.Field(c.State, {-1, kStateStrolling, "state"});
  v.Field(c.SubState);
  v.Field(c.LegState);
  v.Field(c.CrossState);
  v.Field(c.CrossStep, {-1, kMaxRoadNodes - 1, "crossing step"});
  v.Field(c.CrossWait);
  v.Field(p.NextResident, {-1, kMaxPeople - 1, "next resident"});
  v.Field(c.Motion.X, kFinite);
  v.Field(c.Motion.Z, kFinite);
  v.Field(c.Motion.TargetX, kFinite);
  v.Field(c.Motion.TargetZ, kFinite);
  v.Field(c.Motion.Step, kFinite);
  v.Require(c.Motion.Step >= 0, "step");
  v.Field(c.Motion.Heading);
  v.Field(p.PositionX);
  v.Field(p.PositionZ);
  v.Field(c.Animation);
  v.Require(c.Animation < kPersonAnimations || c.Animation == kNoAnimation, "animation");
  v.Field(c.AnimationRunning, {0, 1, "animation running"});
  v.Field(c.AnimationFrame);
  v.Require(!c.AnimationRunning || (c.Animation != kNoAnimation &&
                                    c.AnimationFrame >= GetAnimationFrames(p, c.Animation).first &&
                                    c.AnimationFrame < GetAnimationFrames(p, c.Animation).end),
            "animation frame");
  v.Pad(62);  // reserved
  v.Field(index, {0, kMaxPeople - 1, "person index"});
  v.Field(p.InUse);
  v.Pad(1);
}

namespace {

// The saved record of a person: its fields and its entity's animation.
PersonRecord RecordOf(int32_t index) {
  PersonRecord r{g_People[index], g_PersonCycles[index], static_cast<uint16_t>(index)};
  const CEntity& e = g_PersonEntities[size_t(index)];
  r.cycle.AnimationRunning = e.animSlot >= 0 && r.cycle.Animation != kNoAnimation ? 1 : 0;
  r.cycle.AnimationFrame = r.cycle.AnimationRunning ? e.animFrame : 0;
  return r;
}

// The saved animation, at the saved frame: the loaded game plays on as the
// saved one would have.
void RestoreAnimation(CPerson& p) {
  PersonCycle& c = CycleOf(p);
  if (!c.AnimationRunning) return;
  const uint8_t signal = c.ModeSignal;
  PlayAnimation(p, c.Animation);
  g_PersonEntities[p.Index].animFrame = c.AnimationFrame;
  c.ModeSignal = signal;
}

}  // namespace

std::array<uint8_t, kPersonRecordLength> PackPersonRecord(int32_t index) {
  PersonRecord r = RecordOf(index);
  r.person.InUse = g_People[index].InUse;
  std::array<uint8_t, kPersonRecordLength> out{};
  const std::vector<uint8_t> bytes = EncodeRecord(r);
  std::copy_n(bytes.begin(), std::min(bytes.size(), out.size()), out.begin());
  return out;
}

void SavePeopleChunks() {
  for (int32_t i = 0; i < g_PeopleCount; ++i)
    if (g_People[i].InUse) WriteRecordChunk(kChunkPeople, RecordOf(i));
}

void ApplyPersonRecord(const PersonRecord& r) {
  CPerson& p = g_People[r.index];
  p = r.person;
  g_PersonCycles[r.index] = r.cycle;
  p.Index = r.index;
  p.InUse = 1;
  g_PeopleCount = std::max<int32_t>(g_PeopleCount, r.index + 1);
}

void FinishPeopleLoad() {
  for (CBlock& b : g_Blocks) b.PeopleInside = 0;
  for (int32_t i = 0; i < g_PeopleCount; ++i) {
    CPerson& p = g_People[i];
    if (!p.InUse) continue;
    PersonCycle& c = g_PersonCycles[i];
    if (!(c.Flags & kFlagOffStreet)) ChangeBlockCount(p.CurrentBlock, 1);
    SyncPosition(p);
    ShowPersonModel(p);
    ShowWhenOnStreet(p);
    RestoreAnimation(p);
  }
  // A street being crossed keeps its junction claimed.
  RestorePeopleCrossings();
}

void RestorePeopleCrossings() {
  for (int32_t i = 0; i < g_PeopleCount; ++i) {
    const PersonCycle& c = g_PersonCycles[i];
    if (g_People[i].InUse && (c.Flags & kFlagCrossing) && c.CrossNode >= 0) AddJunctionWalker(c.CrossNode, c.CrossDirection);
  }
}

void RegisterPeopleSaveHooks() {
  RegisterSaveHook(kSavePeople, SavePeopleChunks);
  RegisterRecordChunk<PersonRecord>(kChunkPeople, kPersonRecordLength, ApplyPersonRecord);
}

template void PersonRecord::Visit(RecordWriter&);
template void PersonRecord::Visit(RecordReader&);
