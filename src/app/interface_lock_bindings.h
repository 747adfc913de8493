#pragma once
// The tutorial scripts' interface locks: Interface.DisableAllControls,
// EnableAllControls, DisableControl, EnableControl and
// EnableControlAndChildren, with the TUT_* control ids.
void RegisterInterfaceLockScriptFunctions();

struct ScriptPromptEvent;
// A level script's prompt with a button opens with the prompt controls 0..5
// enabled, whatever the tutorial locked.
void ApplyScriptPromptControls(const ScriptPromptEvent& prompt);
