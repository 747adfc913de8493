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
// The interface drawn over the frame; until the world has a frame of its
// own, the frame is the clear screen with the interface on it.
void DrawInterfaceFrame();
