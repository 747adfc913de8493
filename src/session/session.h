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
// The session's part of the new-game reset (ResetSimulation): every piece of
// the session's state as the program starts it. The told events, the state
// and network flags (see CopyNetworkSession) and tweaks, the game time and
// tick counters, the tick driver and ready barrier, players, auction, cards,
// goals, clock, utility accounts, queued messages, chat, statistics history,
// the computer players' script weights and the tutorial's build choice. The
// lobby's set-up rows and the level list are the next game's choices and
// stay.
void ResetSession();
