#include "session/construction_jobs.h"
#include "session/tick_driver.h"

#include "city/buildings.h"
#include "engine/core/error.h"
#include "engine/core/fpu_control.h"
#include "session/event_queue.h"
#include "session/game_clock.h"
#include "session/player.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "shell/game_loop.h"

namespace {

constexpr int kWaitingForGrant = 1;
constexpr uint32_t kPreSixTick = 540;

struct TickDriverState {
  CSyncSnapshot ring[kSnapshotRing];
  bool waitingForGrant = false;
};

TickDriverState& Driver() {
  static TickDriverState state;
  return state;
}

int SlotOf(uint32_t tick) { return static_cast<int>((tick % (kSnapshotInterval * kSnapshotRing)) / kSnapshotInterval); }

// Wrapping 32-bit sums.
int32_t Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

int32_t BuildingsChecksum() {
  uint32_t sum = 0;
  for (const CBuilding& b : g_Buildings) {
    if (!b.InUse) continue;
    sum += static_cast<uint32_t>(static_cast<int32_t>(b.CentreX));
    sum += static_cast<uint32_t>(static_cast<int32_t>(b.CentreZ));
    sum += static_cast<uint32_t>(b.Status);
    sum += b.Owner;
  }
  return Wrap(sum);
}

int32_t PlayersChecksum() {
  int32_t sum = 0;
  CPlayerTable& table = PlayerTable();
  for (int i = 0; i < kMaxPlayers; ++i) {
    const CPlayer* p = table.Get(i);
    if (p == nullptr || !p->inUse) continue;
    sum = static_cast<int32_t>(p->money + static_cast<float>(sum));
    sum = Wrap(int64_t(sum) + p->GetRatingPoints());
  }
  return sum;
}

void StepRunningCity() {
  SessionWorldServices& world = *Services().world;
  SessionGameServices& game = *Services().game;
  SessionState& s = Session();
  world.UpdateAnimatedScenery();
  world.UpdateNightWindows();
  world.UpdatePeople();
  world.UpdateParticles();
  world.UpdateTraffic();
  world.UpdateBlockAmbiencePositions();
  world.UpdateSmokeEmitters();
  world.StepPulsingLights();
  UpdateConstructionJobs();
  if (IsAuthority()) game.RunAiTick();
  ++s.tickInHour;
  ++RunningTick();
  ++DayTick();
  if (GameClock().hour == 5 && s.tickInHour == kPreSixTick)
    s.preSixVoice = Services().ui->PlaySoundSample("presixoclock.wav", 100);
  if (RunningTick() % kTicksPerHour == 0) AdvanceGameHour();
  game.TickScriptTimers();
  if (LogicTick() % 50 == 0 && IsAuthority()) game.CheckGoals();
}

// Holds the tick at the limit granted by the host. A client may run only the
// ticks below its limit: every message stamped for the limit tick is sent by
// the host before the grant that lets the client run it, so none arrives late.
void HoldAtTickLimit() {
  if (IsAuthority()) {
    if (LogicTick() >= TickLimit()) MakeTickGrantMessage(LogicTick() + kMessageDeliveryLead).Send(0);
    return;
  }
  TickDriverState& d = Driver();
  if (LogicTick() + 1 >= TickLimit() && !d.waitingForGrant) {
    d.waitingForGrant = true;
    GamePauseState().AddReason(kWaitingForGrant);
  }
}

}  // namespace

CNetMessage CSyncSnapshot::ToMessage() const {
  CNetMessage m(kMsgSyncSnapshot);
  m.SetI32(20, sender);
  m.SetU32(24, tick);
  m.SetI32(28, people);
  m.SetI32(32, traffic);
  m.SetI32(36, buildings);
  m.SetI32(40, businesses);
  m.SetI32(44, players);
  m.SetI16(48, fpuPrecision);
  m.SetI16(50, fpuRounding);
  return m;
}

CSyncSnapshot CSyncSnapshot::FromMessage(const CNetMessage& m) {
  CSyncSnapshot s;
  s.sender = m.I32(20);
  s.tick = m.U32(24);
  s.people = m.I32(28);
  s.traffic = m.I32(32);
  s.buildings = m.I32(36);
  s.businesses = m.I32(40);
  s.players = m.I32(44);
  s.fpuPrecision = m.I16(48);
  s.fpuRounding = m.I16(50);
  return s;
}

CSyncSnapshot ComputeSyncSnapshot() {
  CSyncSnapshot s;
  s.tick = LogicTick();
  const CPlayer* local = PlayerTable().Local();
  s.sender = local ? local->index : 0;
  int32_t precision = 0, rounding = 0;
  FpuGetMode(precision, rounding);
  s.fpuPrecision = static_cast<int16_t>(precision);
  s.fpuRounding = static_cast<int16_t>(rounding);
  s.people = Services().world->PeopleChecksum();
  s.traffic = Services().world->TrafficChecksum();
  s.buildings = BuildingsChecksum();
  s.businesses = Services().business->Checksum();
  s.players = PlayersChecksum();
  return s;
}

const CSyncSnapshot& SnapshotRingSlot(int slot) { return Driver().ring[slot % kSnapshotRing]; }

void TakeSyncSnapshot() {
  if (PlayerTable().Local() == nullptr || !Session().networkSession) return;
  CSyncSnapshot& slot = Driver().ring[SlotOf(LogicTick())];
  slot = ComputeSyncSnapshot();
  if (!Session().host) slot.ToMessage().Send(0);
}

void CompareSyncSnapshot(const CSyncSnapshot& r) {
  const CSyncSnapshot& own = Driver().ring[SlotOf(r.tick)];
  if (own.tick != r.tick) return;
  if (own.fpuRounding != r.fpuRounding) ReportError(1, 0, "fpuround out of sync");
  if (own.fpuPrecision != r.fpuPrecision) ReportError(1, 0, "fpuprecision out of sync");
  if (own.people != r.people) ReportError(1, 0, "People out of sync");
  if (own.traffic != r.traffic) ReportError(1, 0, "Traffic out of sync");
  if (own.buildings != r.buildings) ReportError(1, 0, "Buildings out of sync");
  if (own.businesses != r.businesses) ReportError(1, 0, "Businesses out of sync");
  if (own.players != r.players) ReportError(1, 0, "Players out of sync");
}

void RunLogicTicks() {
  const int32_t ticks = Session().ticksPerCall;
  SessionState& s = Session();
  for (int32_t i = 0; i < ticks; ++i) {
    if (Driver().waitingForGrant) return;
    DebugTrace("Entering logic loop");
    ++LogicTick();
    if (LogicTick() % kSnapshotInterval == 0) TakeSyncSnapshot();
    FpuSetFullPrecision();
    EventQueue().DispatchDue();
    if (RunState().quit) return;
    if (s.gameState == kGameStateRunning) {
      StepRunningCity();
    } else if (s.gameState == kGameStateAuction) {
      if (IsAuthority()) Services().game->StepAuctioneer();
      if (Services().game->IsTutorialRunning()) Services().game->TickScriptTimers();
    }
    Services().world->StepEntityAnimations();
    if (LogicTick() % 5 == 0) PlayerTable().UpdatePlayers();
    HoldAtTickLimit();
    DebugTrace("Logic end");
  }
}

bool WaitingForTickGrant() { return Driver().waitingForGrant; }

void ResetTickDriver() {
  TickDriverState& d = Driver();
  if (d.waitingForGrant) GamePauseState().RemoveReason(kWaitingForGrant);
  d = TickDriverState{};
}

void OnTickGrant(uint32_t limit) {
  TickLimit() = limit;
  TickDriverState& d = Driver();
  if (d.waitingForGrant && LogicTick() + 1 < limit) {
    d.waitingForGrant = false;
    GamePauseState().RemoveReason(kWaitingForGrant);
  }
}

void SetLogicSpeed(bool fast) {
  if (Session().networkSession) return;
  Session().ticksPerCall = fast ? 4 : 1;
  Services().ui->SetSpeedControl(fast);
}

bool ToggleLogicSpeed() {
  if (Session().networkSession) return Session().ticksPerCall == 4;
  SetLogicSpeed(Session().ticksPerCall != 4);
  return Session().ticksPerCall == 4;
}
