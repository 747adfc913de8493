#pragma once
// The pieces the game root (game.h) calls that are the program's own rather
// than a subsystem's: the engine systems on the renderer, the input device,
// the camera, the loading screen, and the levels the program knows.
#include <cstdint>
#include <string>

#include "session/scenarios.h"

// ---- Engine systems ----------------------------------------------------------
// The texture and model systems and the square-root table.
void CreateEngineSystems();
// The texture and model systems attached to the renderer.
void AttachEngineSystems();
// Packs what the loaders registered into pages and sends them to the
// renderer, with one page of its own: a 64 x 64 texture of opaque black.
void BuildTexturePages();
void PrepareModels();
void DestroyEngineSystems();
// The start-up's tuning, read once: the parameter file, then the people's
// daily timetables (without them nobody leaves the street to find a home,
// work or shop).
void ReadGameParameterFiles();
// Every model and texture set, behind the loading screen; traffic and people
// take their models from the table. Forgotten before the systems go.
void LoadGameAssetsForDrawing();
void ForgetGameAssets();

// ---- Input and camera -----------------------------------------------------------
// The device object exists before the window, so the window's cursor scales
// reach it; its devices open once the window is up.
void CreateGameInputDevice();
void OpenInputDevices();
void ReleaseInputDevices();
void SetInputCursorScales(float s1x, float s1y, float s2x, float s2y);
void AcquireInput(bool active);
void PollInput();
void StartCamera();
// Draws with the camera between its last two steps, by the interface task's
// progress towards the next.
void InterpolateCamera();
// The camera modes read the player's settings and the renderer choice.
void CopyCameraSettings();
// The graphics options of the profile take effect: the frame draws the
// optional groups by the detail, the renderer samples textures by the
// filtering and shows the picture through the brightness's gamma ramp.
void CopyGraphicsSettings();
// The city's visuals: the architect's buildings, signs and props, and the
// effects that step with the logic ticks (night windows), installed as the
// city's visual services.
void InstallGameVisuals();
// The picked object under the mouse to the hover tooltip.
void ShowHoveredObject();

// ---- Loading screen ------------------------------------------------------------
// Up after the window, with the items the loaders report.
void ShowLoadingScreen();
// Held until it has been up 11 s, then taken down.
void HoldAndCloseLoadingScreen();
// Takes it down at once (the building editor).
void CloseLoadingScreen();

// ---- Levels --------------------------------------------------------------------
// The level a game plays: an entry of the scenario list, with its id and the
// folder under "scripts" that holds its own scripts.
using LevelEntry = ScenarioEntry;
// The program's own levels, free play single-player and network, registered
// at start before the front end's scripts register theirs.
void RegisterBuiltInLevels();
// The free-play level of a network game.
inline constexpr int32_t kNetworkFreePlayId = 300001;
// A level of the scenario list by id; null for an id nobody registered.
const LevelEntry* FindKnownLevel(int32_t id);
const LevelEntry& FreePlayLevel();
// The level being played (set by a new game and by a load); null when none.
const LevelEntry* CurrentLevelEntry();
void SetCurrentLevelEntry(const LevelEntry* entry);
// The level's scripts in a new script state: the default scripts, then with a
// level its own, then (starting, not loading) the event "Level", which puts up
// the level's city.
bool RunLevelScripts(const LevelEntry* level, bool startingCity);
// The scripts' session services, which also run the computer players' scripts
// of the current level when a level starts with computer players.
void InstallGameSessionServices();
// The computer players' characters from the AI scripts (first decision times
// drawn when initialising), and their state rebuilt after a load.
void LoadComputerPlayerCharacters(bool initialise);
void ResumeComputerPlayersAfterLoad();
// A game started without the menus has the profile's player as the one human
// player, unless a set-up row is filled.
void FillDefaultPlayerSetup();
// The players of a level's token choice (its players.lua), the first human
// slot named after the profile; the profile's player alone when it names none.
// The command line's COMPUTERS, when given, replaces the level's rivals.
void FillLevelPlayerSetup(const LevelEntry& level);
// Each free set-up row, in order, becomes a computer player named by its slot
// number, with the lowest token no row holds (its AI character) and the
// current difficulty, until `count` are seated.
void SeatComputerPlayers(int32_t count);
// The command line's COMPUTERS, when given, for a start without the menus:
// the rows' computer players make way for that many in the free rows.
void SeatCommandLineComputers();
