#pragma once
// The interface toolkit at its places in the game root (game.cpp): its assets
// at the start, the HUD panel set, the input of the interface task, the
// panels' reset and the interface's share of the frame.

// After the renderer: the interface's assets, before the texture pages are packed.
void LoadInterface();
// After the game-start scripts: the HUD's panels and the pointer; the pause
// switch pauses the game and its sound.
void CreateHud();
// The first screen: the profile's hardware-cursor choice.
void ApplyCursorMode();
// The interface task's share: the game's state for the panels, the input,
// whether the pointer is over the panels.
void RunInterfaceTask();
// The new-game reset of the panels.
void ResetInterface();
// Once, before the start: the interface is drawn by the world frame's
// overlay pass, and the interface task's keys reach the panels.
void AttachInterface();
