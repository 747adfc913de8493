#pragma once
// The interface toolkit at its places in the game root (game.cpp): its assets
// at the start, the HUD panel set, the input of the interface task, the
// panels' reset and the interface's share of the frame.

// After the renderer: the interface's assets and the widget gallery's
// layout, before the texture pages are packed.
void LoadInterface();
// After the game-start scripts: the HUD's panels and the pointer (and the
// widget gallery when config.cfg asked for it).
void CreateHud();
// The first screen: the profile's hardware-cursor choice.
void ApplyCursorMode();
// The interface task's share: the game's state for the panels, the input,
// whether the pointer is over the panels.
void RunInterfaceTask();
// The new-game reset of the panels.
void ResetInterface();
// A level that starts or is loaded: the statistics open for its goal.
void OpenLevelPanels();
// Once, before the start: the widgets' links to the game, the WIDGETPANEL
// command, the pause switch (the game and its sound), the interface drawn
// by the world frame's overlay pass, the interface task's keys.
void AttachInterface();
