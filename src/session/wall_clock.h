#pragma once
// The real time the host's network bookkeeping reads: how long it has waited
// for another machine (the ready barrier, a client that holds the game back)
// and how many lines a second the log of what peers sent may print. Not the
// scheduler's time: a machine still loading or stuck makes no game time, and
// FULLSPEED runs the scheduler's time far ahead of the clock. Never game
// state either: only the host acts on it, and what it decides travels as
// game messages.
#include <cstdint>

using WallClock = int64_t (*)();

// Milliseconds of the monotonic clock (or of the clock a test set).
int64_t WallClockMs();
// Tests drive the time through their own clock; nullptr restores the
// program's.
void SetWallClock(WallClock clock);
