#include "session/ready_barrier.h"

#include <cstdio>
#include <cstring>

#include "engine/core/console.h"

#include "session/game_messages.h"
#include "session/player.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "engine/core/run_state.h"

namespace {
constexpr int kWaitingForPlayers = 2;

CNetMessage ReadyMessage(int32_t slot, bool final) { return EncodeMessage(PlayerReadyMsg{PlayerIndex{slot}, final}); }

// Host, once a second for a slot not ready yet: the others hear whom they
// wait for; past the deadline the slot's machine is sent away, and the
// game goes on without it (its player leaves as any departed one does).
void KeepWaitingFor(int32_t slot, int32_t seconds) {
  const char* name = PlayerTable().SetupRow(slot).name;
  if (seconds >= kReadyDeadlineSeconds) {
    char text[96];
    std::snprintf(text, sizeof text, "%s did not get ready in time and leaves the game.", name);
    ConsolePrintF(kConsoleError, "%s", text);
    Services().network->SendChat(text, -1);
    PlayerReadyBarrier().ready[slot] = 1;
    Services().network->DropSlot(slot);
  } else if (seconds % kReadyNoticeSeconds == 0) {
    char text[96];
    std::snprintf(text, sizeof text, "Waiting for %s to get ready.", name);
    ConsolePrintF(kConsoleReply, "%s", text);
    Services().network->SendChat(text, -1);
  }
}
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
  b.secondsWaited = 0;
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
    ++b.secondsWaited;
    for (int slot = 0; slot < kMaxPlayers; ++slot) {
      const CPlayer* p = PlayerTable().Get(slot);
      if (b.ready[slot] || p == nullptr || !p->inUse || p->kind != kPlayerHuman) continue;
      net.SendToSlot(slot, ReadyMessage(s.localSlot, false).Bytes());
      KeepWaitingFor(slot, b.secondsWaited);
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
