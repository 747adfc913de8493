#pragma once
// Start-up and level start of the game session and its save chunks.
#include <cstdint>

// Program start (InitSimulation): registers the save chunks.
void InitSession();
void RegisterSessionSaveHooks();
// Level start: tick counters, clock, auction, statistics, statistics
// history, utility income, decade parameters; a network game seeds the
// random streams from its shared seed.
void StartLevelSession();
