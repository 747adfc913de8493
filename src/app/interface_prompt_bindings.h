#pragma once
// The scripts' prompts and the day panel: Interface.CreateMessage,
// CreatePrompt, DismissPrompt and CreateEventList, on the prompt of the
// current screen (the auction room's in the auction state, else the HUD's).
void RegisterInterfacePromptScriptFunctions();
