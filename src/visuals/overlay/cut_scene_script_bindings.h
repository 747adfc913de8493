#pragma once
// The cut scenes' part of the Game table: Game.EndCutScene,
// EnableCutSceneBypass, DisableCutSceneBypass, SetCutSceneString and
// SetCutSceneIdentifier (captions 1767 to 1769 for 1 to 3).

// Adds them to every new script state.
void RegisterCutSceneScriptBindings();
