#pragma once
// The logic tick driver: one scheduler call runs one logic tick (four in the
// fast mode of a single-player game), stepping every system in a fixed order,
// and keeps a network game in lockstep through tick grants and sync snapshots.
#include <cstdint>

#include "session/net_message.h"
#include "session/session_state.h"

inline constexpr uint32_t kSnapshotInterval = 200;
inline constexpr int kSnapshotRing = 10;
// Reports of one differing part (people, traffic...) a minute at most.
inline constexpr int32_t kDesyncReportsPerMinute = 3;

struct CSyncSnapshot {
  int32_t sender = 0;
  uint32_t tick = 0;
  int32_t people = 0;
  int32_t traffic = 0;
  int32_t buildings = 0;
  int32_t businesses = 0;
  int32_t players = 0;
  int16_t fpuPrecision = 0;
  int16_t fpuRounding = 0;

  // Game message 2: a client's snapshot for the host to compare.
  static constexpr int32_t kType = 2;
  template <class V>
  void Visit(V& v) {
    v.I32(sender, {0, kMaxPlayers - 1, "player"});
    v.U32(tick);
    v.I32(people);
    v.I32(traffic);
    v.I32(buildings);
    v.I32(businesses);
    v.I32(players);
    v.I16(fpuPrecision);
    v.I16(fpuRounding);
  }

  CNetMessage ToMessage() const;
  static CSyncSnapshot FromMessage(const CNetMessage& message);
};

// The scheduler task.
void RunLogicTicks();
// The tick a message routed now belongs to: the current one while a logic
// tick runs, the next one between ticks (a save between ticks holds what
// the ticks run so far routed, the same on every machine).
uint32_t RoutingTick();
// Holds this machine's logic once the logic tick reaches `tick` (0 holds
// nothing): a command script's moment is then the same tick on every
// machine. The hold only delays this machine; it changes no shared state.
void HoldLogicAtTick(uint32_t tick);
// Fills the ring slot of the current tick (network games with a local player).
void TakeSyncSnapshot();
// Host: compares a client's snapshot with its own copy of that tick; each
// differing subsystem is named on the console and the whole is posted as a
// DesyncEvent for the desync log.
void CompareSyncSnapshot(const CSyncSnapshot& received);
// Computes the five checksums and the floating-point modes of this machine now.
CSyncSnapshot ComputeSyncSnapshot();
const CSyncSnapshot& SnapshotRingSlot(int slot);

void SetLogicSpeed(bool fast);
bool ToggleLogicSpeed();
// A client waiting at its tick limit for the next grant.
bool WaitingForTickGrant();
// Host: the snapshots compared and those found different since the level start.
int32_t SyncChecksMade();
int32_t SyncMismatchesFound();
// Host: held while a client's last snapshot lags its tick by more than half
// the ring; released by the client's next snapshot or its departure.
bool WaitingForClients();
// Host, after every network poll while held: a client that holds the game
// back is waited for as the ready barrier waits (ready_barrier.h): named to
// every machine every ten seconds, sent away after the deadline, and the
// others play on. Its next snapshot starts the wait afresh.
void RunClientLagWait();
// Host: whether the machine of `player` has run past `tick` as far as its
// snapshots tell; the host's own players, computer players and players that
// left always have.
bool PlayerMachineReached(int32_t player, uint32_t tick);
// Host: a client machine that left is no longer waited for.
void ForgetClientProgress(int32_t slot);
// Level start: no grant awaited, an empty snapshot ring.
void ResetTickDriver();
void OnTickGrant(uint32_t limit);
