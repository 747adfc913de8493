#pragma once
// The Interface and Frontend tables: prompts and messages that level scripts
// put up (posted to the interface as ScriptPromptEvent), the construction
// panel's tutorial restrictions, the player slots of the token choice, and
// the control and text-id constants. The picking and camera switches of the
// Interface table are the presentation's (visuals/camera/camera_script_bindings.h);
// the control locks are the interface's (app/interface_lock_bindings.h).
#include <cstdint>
#include <utility>
#include <vector>

class CScript;

void RegisterInterfaceScriptFunctions(CScript& script);
void RegisterFrontendScriptFunctions(CScript& script);

// The prompt panel closed a script's prompt: raises InterfacePromptDismiss
// with its id. An id of no open script prompt is refused (false, nothing
// raised).
bool ScriptPromptClosed(int32_t scriptId);
// Every script prompt is gone (level start, the panel's reset).
void ForgetScriptPrompts();
// Ids of the script prompts open now, oldest first.
const std::vector<int32_t>& OpenScriptPrompts();

// Whether a text id names a text of the loaded bank. The interface installs
// the check; without one every id from 1 to 65534 passes.
using TextIdCheck = bool (*)(int32_t id);
void SetScriptTextIdCheck(TextIdCheck check);
bool HasScriptTextIdCheck();
bool ScriptTextIdExists(int32_t id);

// The ID_* text constants that scripts see, name and value.
const std::vector<std::pair<const char*, int32_t>>& ScriptTextIdConstants();
