#pragma once
// The player-ready barrier of a network game: at level start and when the
// auction screen opens, the logic waits until every human player has reported
// ready to the host.
#include <cstdint>

struct PlayerReadyMsg;

struct ReadyBarrier {
  bool waiting = false;
  uint8_t ready[6] = {};
  int32_t answerState = 0;  // client: 0 idle, 1 must answer, 2 answered
  int32_t calls = 0;
};

ReadyBarrier& PlayerReadyBarrier();
// Network games only (else false): waits with pause reason 2 raised.
bool BeginPlayerReadyWait();
// After every network poll; acts on every 5th call.
void RunPlayerReadyWait();
void OnPlayerReady(const PlayerReadyMsg& message);
void EndPlayerReadyWait();
