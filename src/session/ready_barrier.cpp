#include "session/ready_barrier.h"

#include <cstdio>
#include <cstring>

#include "engine/core/console.h"

#include "session/game_messages.h"
#include "session/player.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/tick_driver.h"
#include "engine/core/run_state.h"
#include "session/wall_clock.h"

namespace {
constexpr int kWaitingForPlayers = 2;

CNetMessage ReadyMessage(int32_t slot, bool final) { return EncodeMessage(PlayerReadyMsg{PlayerIndex{slot}, final}); }

}  // namespace

void MachineWait::Clear() {
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot) Stop(slot);
}

void MachineWait::StartAll() {
  const int64_t now = WallClockMs();
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot) {
    since_[slot] = now;
    notices_[slot] = 0;
  }
}

void MachineWait::Stop(int32_t slot) {
  if (slot < 0 || slot >= kMaxPlayers) return;
  since_[slot] = -1;
  notices_[slot] = 0;
}

// A host that itself stood still (a debugger, a stopped process) finds
// several intervals gone at once: the others hear one line, not a burst.
bool MachineWait::Keep(int32_t slot, const char* what) {
  if (slot < 0 || slot >= kMaxPlayers) return false;
  const int64_t now = WallClockMs();
  if (since_[slot] < 0) since_[slot] = now;
  const int64_t waited = now - since_[slot];
  const char* name = PlayerTable().SetupRow(slot).name;
  char text[128];
  if (waited >= int64_t(kReadyDeadlineSeconds) * 1000) {
    std::snprintf(text, sizeof text, "%s did not %s in time and leaves the game.", name, what);
    ConsolePrintF(kConsoleError, "%s", text);
    Services().network->SendChat(text, -1);
    Services().network->DropSlot(slot);
    // Nor is it waited for at its snapshots, even before its transport
    // tells of the departure.
    ForgetClientProgress(slot);
    Stop(slot);
    return true;
  }
  const int32_t intervals = static_cast<int32_t>(waited / (int64_t(kReadyNoticeSeconds) * 1000));
  if (intervals > notices_[slot]) {
    notices_[slot] = intervals;
    std::snprintf(text, sizeof text, "Waiting for %s to %s.", name, what);
    ConsolePrintF(kConsoleReply, "%s", text);
    Services().network->SendChat(text, -1);
  }
  return false;
}

ReadyBarrier& PlayerReadyBarrier() {
  static ReadyBarrier barrier;
  return barrier;
}

bool BeginPlayerReadyWait() {
  if (!Session().networkSession) return false;
  ReadyBarrier& b = PlayerReadyBarrier();
  b.waiting = true;
  std::memset(b.ready, 0, sizeof b.ready);
  b.answerState = 0;
  b.wait.StartAll();
  GamePauseState().AddReason(kWaitingForPlayers);
  return true;
}

void EndPlayerReadyWait() {
  ReadyBarrier& b = PlayerReadyBarrier();
  if (!b.waiting) return;
  b.waiting = false;
  GamePauseState().RemoveReason(kWaitingForPlayers);
  GameScheduler().ResetClock();
}

void RunPlayerReadyWait() {
  ReadyBarrier& b = PlayerReadyBarrier();
  if (!b.waiting || ++b.calls % 5 != 0) return;
  const SessionState& s = Session();
  SessionNetworkServices& net = *Services().network;
  if (s.host) {
    if (s.localSlot >= 0 && s.localSlot < kMaxPlayers) b.ready[s.localSlot] = 1;
    bool sent = false;
    for (int slot = 0; slot < kMaxPlayers; ++slot) {
      const CPlayer* p = PlayerTable().Get(slot);
      if (b.ready[slot] || p == nullptr || !p->inUse || p->kind != kPlayerHuman) continue;
      net.SendToSlot(slot, ReadyMessage(s.localSlot, false).Bytes());
      // Past the deadline the slot counts as ready: the game goes on without it.
      if (b.wait.Keep(slot, "get ready")) b.ready[slot] = 1;
      sent = true;
    }
    if (!sent) {
      net.SendToAll(ReadyMessage(s.localSlot, true).Bytes());
      EndPlayerReadyWait();
    }
  } else if (b.answerState == 1) {
    net.SendToHost(ReadyMessage(s.localSlot, false).Bytes());
    b.answerState = 2;
  }
}

void OnPlayerReady(const PlayerReadyMsg& m) {
  ReadyBarrier& b = PlayerReadyBarrier();
  if (!b.waiting) return;
  if (Session().host) {
    if (m.slot.value >= 0 && m.slot.value < kMaxPlayers) b.ready[m.slot.value] = 1;
  } else if (m.final) {
    EndPlayerReadyWait();
  } else {
    b.answerState = 1;
  }
}
