#pragma once
// The tutorial scripts' interface locks: Interface.DisableAllControls,
// EnableAllControls, DisableControl, EnableControl and
// EnableControlAndChildren, with the TUT_* control ids.
void RegisterInterfaceLockScriptFunctions();
