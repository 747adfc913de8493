#pragma once
// Start-up and level start of the game session, its save chunks and its
// links to the city and the economy (clock, players, messages, businesses).
#include <cstdint>

// Program start (InitSimulation): registers the save chunks and installs the
// session as the city's clock, players and message post and as the
// economy's players, ledgers and utility accounts.
void InitSession();
// Only the save chunks (tests).
void RegisterSessionSaveHooks();
// Only the city and economy links (tests).
void ConnectSessionToCity();
// Level start: tick counters, clock, auction, statistics, statistics
// history, utility income, decade parameters; a network game seeds the
// random streams from its shared seed.
void StartLevelSession();
