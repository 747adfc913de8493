#pragma once
// What starting, ending and loading a level does in this program: the steps
// of the session, the city, the scripts and the player profile at their
// places in the shell's StartLevel, EndGame and LoadGame.
#include <cstdint>

struct LevelEntry;

// The levels known until the front end's scenario list exists: free play,
// single-player and network. Null for any other id.
const LevelEntry* FindKnownLevel(int32_t id);
const LevelEntry& FreePlayLevel();

// The scripts' session services, which also run the computer players' scripts
// of the current level when a level starts with computer players.
void InstallGameSessionServices();

// Adds the level-start, game-end and load steps, the save header's source and
// the scripts' Game.End handler. Runs with the city's start (the load
// sequence of the shell is set up by then).
void WireLevels();

// The first screen, until the front end exists: unless a game has been
// loaded during start-up, starts the free-play level as if the player had
// chosen a free game, with the profile's player as the one human player.
void StartFreeGameUntilFrontEndExists();

// The level's scripts in a new script state: the default scripts, then with
// a level its own and the event "Level".
bool RunLevelScripts(const LevelEntry* level);
