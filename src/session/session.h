#pragma once
// Start-up and level start of the game session, its save chunks and its
// links to the city and the economy (clock, players, messages, businesses).
#include <cstdint>

// Program start (InitSimulation): registers the save chunks and installs the
// session as the city's session service and the economy's player, ledger, utility-account and panel services and
// the people's railroad accounts, and the economy as the session's business
// service; the people's tick, daily update and checksum and the economy's
// hourly and daily jobs become the session's world steps. The economy's
// computer-player bookkeeping and the people's own planning
// (InstallPeopleServices) are installed by their own subsystems.
void InitSession();
// Only the save chunks (tests).
void RegisterSessionSaveHooks();
// Only the city and economy links (tests).
void ConnectSessionToCity();
// Level start: tick counters, clock, auction, statistics, statistics
// history, utility income, decade parameters; a network game seeds the
// random streams from its shared seed.
void StartLevelSession();
