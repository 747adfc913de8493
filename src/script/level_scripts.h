#pragma once
// The fixed moments at which the program runs script files: game start, the
// front end, a level's start or load (each in a new state), token choice and
// the AI characters' files.
#include <string_view>

// A new state, then scripts\gamestart\hub.lua.
bool RunGameStartScripts();
// scripts\frontend\hub.lua in the current state.
bool RunFrontEndScripts();
// A new state, scripts\default\hub.lua, then scripts\<folder>\hub.lua, then
// the event "Level" (which puts up the level's starting city). The folder
// must be a plain folder name.
bool StartLevelScripts(std::string_view folder);
// The same without the event "Level": the rules and economy of a loaded
// level, whose city comes from the save.
bool LoadLevelScripts(std::string_view folder);
// scripts\<folder>\players.lua in the current state.
bool RunPlayerChoiceScripts(std::string_view folder);
// scripts\default\ai.lua, then (unless in a network session) the level's own
// ai.lua, silently when it has none.
bool RunAiCharacterScripts(std::string_view folder, bool networkSession);

// The AI characters' loading: the AI scripts, then for each character in
// use LoadHseKeepingTimetable, LoadBuyBlockTimetable, LoadDifficultyVariables
// and LoadBuildTimes with its row, its player's difficulty (0, 1, else 2)
// and, when initialising, its first decision time; then LoadScoreData.
bool LoadAiCharacterScripts(std::string_view folder, bool networkSession, bool initialise, int32_t difficulty);
