#pragma once
// The simulation as one whole: its program start, its new-game reset, the end
// of a load, and a level's start and end, each calling the city, the economy,
// the people, the traffic and the session in their fixed order. The game
// root (src/app/game.cpp) calls these at its places; nothing registers steps.
#include <cstdint>

// Program start: the city model's tables, the streets from the built-in map,
// the animation pool, traffic, people and economy tables, every save chunk
// and console command of the simulation, and the session's links.
void InitSimulation();
// The new-game reset, also the first step of a load: the whole session
// (ResetSession), then the economy, construction jobs, buildings,
// animations, people, block statistics, traffic and the players' statistics.
// The game root's reset (Game::Reset) calls it; a test below the game root
// calls it to start from a new game, never a list of its own.
void ResetSimulation();
// After a load's chunks: a level is running, the people's block counts,
// crossings and entity positions, the hour's tick count, the decade's
// parameters and the utility accounts, which the chunks do not hold.
void FinishSimulationLoad();
// Level start, after the level's scripts and players: the session's level
// start, empty streets and the people's crossings, the block prestige.
void StartSimulationLevel();
// Once the level runs: one statistics sample per hour of the day so far (the
// charts start full to the current hour); a network game waits for every
// player to be ready.
void StartSimulationRunning();
// Game end, before the game stops: the last statistics sample.
void StopSimulation();
// Game end, after the game has stopped: no people, no pending messages.
void ClearSimulationAfterGame();
