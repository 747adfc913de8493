#pragma once
// The scripting layer's own tables: the city objects (Block, BusinessInfo,
// Business, Commodity with their constants), the people and game-rule tables
// (People, Tweaks), the scripts' random numbers and the initial values.
// Each registers into the state that CScript::Create is filling.
#include <cstdint>

class CScript;

void RegisterBlockScriptTable(CScript& script);
void RegisterBusinessScriptTables(CScript& script);  // BusinessInfo, Business and the kind constants
void RegisterCommodityScriptTable(CScript& script);
void RegisterBuildingInfoScriptTable(CScript& script);
void RegisterPeopleScriptTable(CScript& script);
// Clears the nine game-rule values before binding them.
void RegisterTweaksScriptTable(CScript& script);
void RegisterRandomScriptTable(CScript& script);
void RegisterInitialValueScriptTable(CScript& script);
// AddBuilding, AddBusiness and the CarFrequency, TaxiFrequency and
// VanFrequency tables of the traffic limits.
void RegisterCityBuildingScriptFunctions(CScript& script);
// Game: Pause, Unpause, End and the performance level.
void RegisterGameScriptTable(CScript& script);

// Game.SetObjective, GetDifficulty, GetObjectiveTarget, StartAuction and the
// objective and difficulty constants; the Frontend level registrations; the
// forced auction moves of the Interface table.
void RegisterSessionRulesScriptFunctions();

// Game.End(finished, mode) is handed to the game's end; until one is set the
// call is refused with a warning.
using ScriptEndGameHandler = void (*)(bool finished, int32_t mode);
void SetScriptEndGameHandler(ScriptEndGameHandler handler);
bool HasScriptEndGameHandler();

// Calendar: the clock's hour, year and decade, and the time constants.
void RegisterCalendarScriptTable(CScript& script);
// Player: the local player's money and paper wealth.
void RegisterPlayerScriptTable(CScript& script);
// Game.SetLogos, SetCredits, StartFireworks; C_Iterate; InitialValue.numcars.
void RegisterGamePresentationFunctions(CScript& script);

// What the scripts asked the presentation to show at the next cut scene.
struct ScriptPresentationRequests {
  bool logos = false;
  bool credits = false;
};
ScriptPresentationRequests& PresentationRequests();
// InitialValue.numcars: kept for the scripts; the traffic starts from its
// frequency tables.
int32_t& InitialCarCount();

// Game-rule flags that only scripts and the front end read.
struct ScriptRuleFlags {
  uint8_t cityBusinessesOwnable = 0;
  uint8_t daysOff = 0;
};
ScriptRuleFlags& RuleFlags();

// AiChars (the _AiChars methods), AiScores, the AI constants and the C_
// functions of the AI scripts.
void RegisterAiCharacterScriptTables(CScript& script);
