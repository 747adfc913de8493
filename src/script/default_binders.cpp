// The scripting layer's own tables, in their registration stages. Other
// subsystems add theirs with AddScriptBinder.
#include "script/interface_bindings.h"
#include "script/profiles.h"
#include "script/script.h"
#include "script/script_bindings.h"

void RegisterDefaultScriptBinders() {
  AddScriptBinder(ScriptBindingStage::kGame, RegisterGameScriptTable);
  AddScriptBinder(ScriptBindingStage::kGame, RegisterRandomScriptTable);
  AddScriptBinder(ScriptBindingStage::kGame, RegisterInitialValueScriptTable);
  AddScriptBinder(ScriptBindingStage::kGame, RegisterCityBuildingScriptFunctions);
  AddScriptBinder(ScriptBindingStage::kGame, RegisterPlayerScriptTable);
  AddScriptBinder(ScriptBindingStage::kGame, RegisterGamePresentationFunctions);
  AddScriptBinder(ScriptBindingStage::kCalendar, RegisterCalendarScriptTable);
  AddScriptBinder(ScriptBindingStage::kAi, RegisterAiCharacterScriptTables);
  AddScriptBinder(ScriptBindingStage::kBlock, RegisterBlockScriptTable);
  AddScriptBinder(ScriptBindingStage::kTweaks, RegisterTweaksScriptTable);
  AddScriptBinder(ScriptBindingStage::kBusiness, RegisterBusinessScriptTables);
  AddScriptBinder(ScriptBindingStage::kPeople, RegisterPeopleScriptTable);
  AddScriptBinder(ScriptBindingStage::kCommodity, RegisterCommodityScriptTable);
  AddScriptBinder(ScriptBindingStage::kBuildingInfo, RegisterBuildingInfoScriptTable);
  AddScriptBinder(ScriptBindingStage::kProfile, BindProfileToScript);
  RegisterSessionRulesScriptFunctions();
  AddScriptBinder(ScriptBindingStage::kInterface, RegisterInterfaceScriptFunctions);
  AddScriptBinder(ScriptBindingStage::kInterface, RegisterFrontendScriptFunctions);
}
