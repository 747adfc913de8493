#pragma once
// Start-up, level start and game end of the game session, and its links to
// the shell (save chunks, the logic task, the new-game reset) and to the city
// and the economy (clock, players, messages, businesses).
#include <cstdint>

// Program start: registers the save chunks, attaches RunLogicTicks to the
// shell's logic task and installs the session as the city's session service
// and the economy's player, ledger, utility-account and panel services and
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
// Game end: the last statistics sample, the event queue cleared.
void EndGameSession();
