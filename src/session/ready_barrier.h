#pragma once
// The player-ready barrier of a network game: at level start and when the
// auction screen opens, the logic waits until every human player has reported
// ready to the host.
#include <cstdint>

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

struct ReadyBarrier {
  bool waiting = false;
  uint8_t ready[6] = {};
  int32_t answerState = 0;  // client: 0 idle, 1 must answer, 2 answered
  int32_t calls = 0;
  int32_t secondsWaited = 0;  // host
};

ReadyBarrier& PlayerReadyBarrier();
// Network games only (else false): waits with pause reason 2 raised.
bool BeginPlayerReadyWait();
// After every network poll; acts on every 5th call.
void RunPlayerReadyWait();
void OnPlayerReady(const PlayerReadyMsg& message);
void EndPlayerReadyWait();
