// The scripting layer's own tables, in their registration stages. Other
// subsystems add theirs with AddScriptBinder.
#include "script/profiles.h"
#include "script/script.h"
#include "script/script_bindings.h"

void RegisterDefaultScriptBinders() {
  AddScriptBinder(ScriptBindingStage::kGame, RegisterGameScriptTable);
  AddScriptBinder(ScriptBindingStage::kGame, RegisterRandomScriptTable);
  AddScriptBinder(ScriptBindingStage::kGame, RegisterInitialValueScriptTable);
  AddScriptBinder(ScriptBindingStage::kGame, RegisterCityBuildingScriptFunctions);
  AddScriptBinder(ScriptBindingStage::kAi, RegisterAiCharacterScriptTables);
  AddScriptBinder(ScriptBindingStage::kBlock, RegisterBlockScriptTable);
  AddScriptBinder(ScriptBindingStage::kTweaks, RegisterTweaksScriptTable);
  AddScriptBinder(ScriptBindingStage::kBusiness, RegisterBusinessScriptTables);
  AddScriptBinder(ScriptBindingStage::kPeople, RegisterPeopleScriptTable);
  AddScriptBinder(ScriptBindingStage::kCommodity, RegisterCommodityScriptTable);
  AddScriptBinder(ScriptBindingStage::kBuildingInfo, RegisterBuildingInfoScriptTable);
  AddScriptBinder(ScriptBindingStage::kProfile, BindProfileToScript);
  RegisterSessionRulesScriptFunctions();
}
