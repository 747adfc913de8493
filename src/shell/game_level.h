#pragma once
// Starting and ending a game or level. The shell runs its own parts (the
// random seed, the new-game reset, the pause reason, the screen mode, the
// game-running flag, the scheduler's clock, the end-game word) and calls the
// steps other subsystems add at their places, in the order added.
#include <cstdint>
#include <functional>
#include <string>

// The level a game plays: its scenario id (0 none) and the folder under
// "scripts" that holds its own scripts.
struct LevelEntry {
  int32_t id = 0;
  std::string folder;
  bool tutorial = false;
};

// Where a level-start step runs within StartLevel.
enum class LevelStartPhase {
  Scripts,  // after the reset and pause reason 0 cleared: the script state and level scripts
  Players,  // the session's players
  Setup,    // after screen mode 0: traffic, music, decade parameters, demand, prestige
  Running,  // after the game-running flag: panels, statistics samples, ready wait
  kCount
};
// Where a game-end step runs within EndGame.
enum class GameEndPhase {
  Stop,     // the last statistics sample, fireworks, HUD panels, game sound
  Leave,    // after the running flag is cleared: front-end scene, network session
  Result,   // the tutorial, results or scenario screens
  Cleanup,  // people, pause switch, event queue, script timers, the profile
  kCount
};

using LevelStep = std::function<void(const LevelEntry* entry)>;
using GameEndStep = std::function<void(bool finished, int32_t outcome)>;
void AddLevelStartStep(LevelStartPhase phase, LevelStep step);
void AddGameEndStep(GameEndPhase phase, GameEndStep step);
// The shared seed of a network game (asked only while one runs).
void SetNetworkSeedSource(std::function<uint32_t()> source);
void ClearLevelSteps();

// Starts a game or level of the entry, or with none the default level.
void StartLevel(const LevelEntry* entry);
// Ends the running game: finished, and the outcome (1 won).
void EndGame(bool finished, int32_t outcome);

// The level being played (set by StartLevel and by a load); null when none.
const LevelEntry* CurrentLevelEntry();
void SetCurrentLevelEntry(const LevelEntry* entry);
