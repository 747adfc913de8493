#pragma once
// The player-ready barrier of a network game: at level start and when the
// auction screen opens, the logic waits until every human player has reported
// ready to the host.
#include <cstdint>

#include "session/session_state.h"

struct PlayerReadyMsg;

// Host: after this many seconds the others are told whom they wait for,
// again at each further such interval; after the deadline that machine is
// sent away. Machines load a level far slower under the sanitizers.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int32_t kReadyDeadlineSeconds = 300;
#else
inline constexpr int32_t kReadyDeadlineSeconds = 60;
#endif
inline constexpr int32_t kReadyNoticeSeconds = 10;

// Host: how long the game has waited for each machine, in seconds of the
// wall clock (session/wall_clock.h): a machine still loading makes no game
// time, and FULLSPEED runs the scheduler's time far ahead. Every
// kReadyNoticeSeconds every machine is told whom it waits for; past
// kReadyDeadlineSeconds that machine is sent away and the game goes on
// without it. The ready barrier and the host held by a lagging client
// (tick_driver.h) wait alike.
class MachineWait {
 public:
  MachineWait() { Clear(); }
  void Clear();
  // The wait for every slot starts now.
  void StartAll();
  // The slot is not waited for (any more); a later wait starts afresh.
  void Stop(int32_t slot);
  // Starts the wait for the slot unless it runs, then tells or sends away
  // as the time waited says: "Waiting for NAME to `what`." /
  // "NAME did not `what` in time and leaves the game.". True when the
  // slot's machine was sent away.
  bool Keep(int32_t slot, const char* what);

 private:
  int64_t since_[kMaxPlayers];  // wall-clock ms; -1: not waited for
  int32_t notices_[kMaxPlayers];
};

struct ReadyBarrier {
  bool waiting = false;
  uint8_t ready[6] = {};
  int32_t answerState = 0;  // client: 0 idle, 1 must answer, 2 answered
  int32_t calls = 0;
  MachineWait wait;  // host
};

ReadyBarrier& PlayerReadyBarrier();
// Network games only (else false): waits with pause reason 2 raised.
bool BeginPlayerReadyWait();
// After every network poll; acts on every 5th call.
void RunPlayerReadyWait();
void OnPlayerReady(const PlayerReadyMsg& message);
void EndPlayerReadyWait();
