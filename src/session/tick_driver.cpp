#include "session/tick_driver.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "city/animated_scenery.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/city_services.h"
#include "city/construction_jobs.h"
#include "city/people.h"
#include "city/traffic.h"
#include "engine/scene/animation.h"
#include "engine/scene/particles.h"
#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/core/fpu_control.h"
#include "session/auction.h"
#include "session/event_queue.h"
#include "session/game_events.h"
#include "session/game_clock.h"
#include "session/game_messages.h"
#include "session/net_log.h"
#include "session/goals.h"
#include "session/scenarios.h"
#include "session/player.h"
#include "session/ready_barrier.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "engine/core/run_state.h"

namespace {

constexpr int kWaitingForGrant = 1;
constexpr uint32_t kPreSixTick = 540;

// How far the host may run past the last snapshot of its slowest client:
// half the ring, so every client snapshot still finds the host's own.
constexpr uint32_t kHostLead = kSnapshotInterval * (kSnapshotRing / 2);

struct TickDriverState {
  CSyncSnapshot ring[kSnapshotRing];
  bool inTick = false;
  bool waitingForGrant = false;
  // Host: the tick of each client slot's last snapshot; the host holds while
  // one of them is more than kHostLead behind.
  uint32_t clientTicks[kMaxPlayers] = {};
  bool waitingForClients = false;
  // How long the held host has waited for each lagging client.
  MachineWait lagWait;
  int32_t syncChecks = 0;
  int32_t syncMismatches = 0;
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
  CityVisualServices& visuals = *City().visuals;
  SessionGameServices& game = *Services().game;
  SessionState& s = Session();
  UpdateAnimatedScenery();
  visuals.UpdateNightWindows();
  UpdatePeople();
  ParticleManager().UpdateAll();
  UpdateTraffic();
  UpdateBlockAmbiencePositions();
  visuals.UpdateSmokeEmitters();
  visuals.StepPulsingLights();
  UpdateConstructionJobs();
  StartWaitingAuction();
  CountAuctionDown();
  if (IsAuthority()) game.RunAiTick();
  ++s.tickInHour;
  ++RunningTick();
  ++DayTick();
  if (GameClock().hour == 5 && s.tickInHour == kPreSixTick)
    PostGameEvent(SoundEvent{kPreSixSample, 100});
  if (RunningTick() % kTicksPerHour == 0) AdvanceGameHour();
  game.TickScriptTimers();
  if (LogicTick() % 50 == 0 && IsAuthority()) CheckGoals();
}

// A client machine still in the game whose snapshots lag the host's tick by
// more than the lead (computer players run on the host and send none).
bool ClientLags(int slot) {
  const TickDriverState& d = Driver();
  const CPlayerTable& table = PlayerTable();
  const CPlayer* p = table.Get(slot);
  if (p == nullptr || !p->inUse || p->kind != kPlayerHuman || p == table.Local()) return false;
  return d.clientTicks[slot] != UINT32_MAX && d.clientTicks[slot] + kHostLead < LogicTick();
}

bool ClientsLagBehind() {
  for (int i = 0; i < kMaxPlayers; ++i)
    if (ClientLags(i)) return true;
  return false;
}

void ReleaseHostWhenCaughtUp() {
  TickDriverState& d = Driver();
  if (!d.waitingForClients || ClientsLagBehind()) return;
  d.waitingForClients = false;
  d.lagWait.Clear();
  GamePauseState().RemoveReason(kWaitingForGrant);
}

// Holds the tick at the limit granted by the host. A client may run only the
// ticks below its limit: every message stamped for the limit tick is sent by
// the host before the grant that lets the client run it, so none arrives late.
// The host in turn waits for a client that has fallen far behind (a slow or
// busy machine, or a game at full speed): its snapshots are still compared
// and its messages still arrive before their tick.
void HoldAtTickLimit() {
  if (IsAuthority()) {
    if (LogicTick() >= TickLimit()) Post(TickGrantMsg{LogicTick() + kMessageDeliveryLead});
    TickDriverState& d = Driver();
    if (Session().networkSession && !d.waitingForClients && ClientsLagBehind()) {
      d.waitingForClients = true;
      d.lagWait.StartAll();
      GamePauseState().AddReason(kWaitingForGrant);
    }
    return;
  }
  TickDriverState& d = Driver();
  if (LogicTick() + 1 >= TickLimit() && !d.waitingForGrant) {
    d.waitingForGrant = true;
    GamePauseState().AddReason(kWaitingForGrant);
  }
}

}  // namespace

CNetMessage CSyncSnapshot::ToMessage() const { return EncodeMessage(*this); }

CSyncSnapshot CSyncSnapshot::FromMessage(const CNetMessage& m) {
  CSyncSnapshot s;
  DecodeMessage(m, s);
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
  s.people = GetPeopleChecksum();
  s.traffic = GetTrafficChecksum();
  s.buildings = BuildingsChecksum();
  s.businesses = static_cast<int32_t>(BusinessChecksum());
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

namespace {

std::string DescribeSnapshot(const CSyncSnapshot& s) {
  char text[200];
  std::snprintf(text, sizeof text,
                "people %d traffic %d buildings %d businesses %d players %d fpu precision %d rounding %d",
                s.people, s.traffic, s.buildings, s.businesses, s.players, s.fpuPrecision, s.fpuRounding);
  return text;
}

}  // namespace

// The differences are told on the console and written to the desync log,
// never in a box: a box on the host would stall every machine. Nothing is
// repaired; the game carries on.
void CompareSyncSnapshot(const CSyncSnapshot& r) {
  if (r.sender >= 0 && r.sender < kMaxPlayers) {
    // One comparison per client and snapshot tick: a snapshot sent again,
    // or from a machine already gone, adds nothing.
    uint32_t& last = Driver().clientTicks[r.sender];
    if (last == UINT32_MAX || r.tick <= last) return;
    last = r.tick;
    // It moves: a wait for it starts afresh.
    Driver().lagWait.Stop(r.sender);
    ReleaseHostWhenCaughtUp();
  }
  const CSyncSnapshot& own = Driver().ring[SlotOf(r.tick)];
  if (own.tick != r.tick) return;
  const std::pair<bool, const char*> checks[] = {
      {own.fpuRounding != r.fpuRounding, "fpuround out of sync"},
      {own.fpuPrecision != r.fpuPrecision, "fpuprecision out of sync"},
      {own.people != r.people, "People out of sync"},
      {own.traffic != r.traffic, "Traffic out of sync"},
      {own.buildings != r.buildings, "Buildings out of sync"},
      {own.businesses != r.businesses, "Businesses out of sync"},
      {own.players != r.players, "Players out of sync"},
  };
  // A client that stays out of step (or claims to) is told a few times a
  // minute per part: the console and the desync log stay readable.
  static std::array<LogBudget, 7> budgets = [] {
    const LogBudget one(kDesyncReportsPerMinute, std::chrono::seconds(60));
    return std::array<LogBudget, 7>{one, one, one, one, one, one, one};
  }();
  static_assert(sizeof checks / sizeof checks[0] == 7);
  std::string differing;
  bool anyDiffers = false;
  for (size_t i = 0; i < std::size(checks); ++i) {
    const auto& [differs, text] = checks[i];
    if (!differs) continue;
    anyDiffers = true;
    if (!budgets[i].Take()) continue;
    if (const int32_t leftOut = budgets[i].TakeLeftOut(); leftOut > 0)
      ConsolePrintF(kConsoleError, "%s (tick %u, player %d; %d such reports left out)", text, r.tick, r.sender + 1,
                    leftOut);
    else
      ConsolePrintF(kConsoleError, "%s (tick %u, player %d)", text, r.tick, r.sender + 1);
    differing += differing.empty() ? text : std::string("; ") + text;
  }
  ++Driver().syncChecks;
  if (anyDiffers) ++Driver().syncMismatches;
  if (anyDiffers && differing.empty()) return;
  if (differing.empty()) {
    ConsolePrintF(kConsoleReply, "Sync check at tick %u with player %d: in step (%s)", r.tick, r.sender + 1,
                  DescribeSnapshot(own).c_str());
    return;
  }
  DesyncEvent report{r.tick, r.sender, ""};
  report.report = "tick " + std::to_string(r.tick) + " player " + std::to_string(r.sender + 1) + ": " +
                  differing + "\n  host:   " + DescribeSnapshot(own) + "\n  client: " + DescribeSnapshot(r) + "\n";
  PostGameEvent(report);
}

uint32_t& HeldTick() {
  static uint32_t held = 0;
  return held;
}

void HoldLogicAtTick(uint32_t tick) { HeldTick() = tick; }

void RunLogicTicks() {
  const int32_t ticks = Session().ticksPerCall;
  SessionState& s = Session();
  for (int32_t i = 0; i < ticks; ++i) {
    if (Driver().waitingForGrant || Driver().waitingForClients) return;
    if (HeldTick() != 0 && LogicTick() >= HeldTick()) return;
    DebugTrace("Entering logic loop");
    ++LogicTick();
    Driver().inTick = true;
    if (s.networkSession && s.host) RouteHeldClientMessages();
    if (LogicTick() % kSnapshotInterval == 0) TakeSyncSnapshot();
    FpuSetFullPrecision();
    EventQueue().DispatchDue();
    if (RunState().quit) {
      Driver().inTick = false;
      return;
    }
    if (s.gameState == kGameStateRunning) {
      StepRunningCity();
    } else if (s.gameState == kGameStateAuction) {
      StepAuctionIfRunning();
      if (ScenarioManager().IsTutorialRunning()) Services().game->TickScriptTimers();
    }
    EntAnimStepAll();
    if (LogicTick() % 5 == 0) PlayerTable().UpdatePlayers();
    HoldAtTickLimit();
    Driver().inTick = false;
    DebugTrace("Logic end");
  }
}

uint32_t RoutingTick() { return Driver().inTick ? LogicTick() : LogicTick() + 1; }

bool WaitingForTickGrant() { return Driver().waitingForGrant; }

int32_t SyncChecksMade() { return Driver().syncChecks; }
int32_t SyncMismatchesFound() { return Driver().syncMismatches; }

void ResetTickDriver() {
  TickDriverState& d = Driver();
  if (d.waitingForGrant) GamePauseState().RemoveReason(kWaitingForGrant);
  if (d.waitingForClients) GamePauseState().RemoveReason(kWaitingForGrant);
  d = TickDriverState{};
  ForgetHeldClientMessages();
  // A command script holds again from its next step.
  HoldLogicAtTick(0);
}

void ForgetClientProgress(int32_t slot) {
  if (slot < 0 || slot >= kMaxPlayers) return;
  Driver().clientTicks[slot] = UINT32_MAX;
  ReleaseHostWhenCaughtUp();
}

bool WaitingForClients() { return Driver().waitingForClients; }

void RunClientLagWait() {
  TickDriverState& d = Driver();
  if (!d.waitingForClients || !Session().networkSession || !Session().host) return;
  for (int slot = 0; slot < kMaxPlayers; ++slot) {
    if (ClientLags(slot))
      d.lagWait.Keep(slot, "catch up");
    else
      d.lagWait.Stop(slot);
  }
}

bool PlayerMachineReached(int32_t player, uint32_t tick) {
  const CPlayerTable& table = PlayerTable();
  const CPlayer* p = table.Get(player);
  if (!Session().networkSession || p == nullptr || !p->inUse || p->kind != kPlayerHuman || p == table.Local()) return true;
  const uint32_t last = Driver().clientTicks[player];
  return last == UINT32_MAX || last >= tick;
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
  PostGameEvent(SpeedEvent{fast});
}

bool ToggleLogicSpeed() {
  if (Session().networkSession) return Session().ticksPerCall == 4;
  SetLogicSpeed(Session().ticksPerCall != 4);
  return Session().ticksPerCall == 4;
}
