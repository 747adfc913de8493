#pragma once
// Connects the subsystems to the shell: the order of the random streams,
// program-start initialisers, the game start's steps, the periodic tasks, the
// main loop, the new-game reset, activation and shutdown. The shell knows
// none of the subsystems built on it; this is the one place that names them.

// Fixes the random streams' order (engine, city and economy, scripts). Called
// before anything else touches a stream.
void RegisterRandomStreams();

// Once, before WinMain: fixes the streams' order, attaches console commands
// and adds the steps RunGame runs (the city, economy and session start among
// the game start's subsystem initialisers).
void WireGame();
