#include "script/script_session.h"

#include "script/script.h"

void ScriptSessionServices::CatchEvent(const char* name, int32_t argument) {
  if (name != nullptr) Script().CatchEvent(name, argument);
}

void ScriptSessionServices::TriggerEvent(const char* name, int32_t delayTicks, int32_t argument) {
  if (name != nullptr) Script().TriggerEvent(name, delayTicks, argument);
}

void ScriptSessionServices::TickScriptTimers() { Script().TickTimers(); }

bool ScriptSessionServices::RunScriptFile(const char* path) { return path != nullptr && Script().RunFile(path, true); }

void InstallScriptSessionServices() {
  static ScriptSessionServices services;
  SetSessionGameServices(&services);
}
