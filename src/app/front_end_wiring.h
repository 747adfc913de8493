#pragma once
// The front end at its places in the game root: its layouts with the
// interface's assets, the first screen, the menus' input and draw, the
// Escape key's in-game menu and the way back after a game.

// After LoadInterface: the front end's page layouts.
void LoadFrontEnd();
// Once, before the start: the network pages' transport, the Escape key.
void AttachFrontEnd();
// True when this run skips the menus (NOFRONTEND, or a headless run without
// FRONTEND): the first screen starts the sandbox as a quick game would.
bool FrontEndBypassed();
// The first screen: the title and main menu (or the new-profile entry).
void OpenFrontEnd();
// The menus' idle fly-by over the city (with the credits roll); the menus
// come back when it ends.
void PlayMenuFlyby(bool credits);
// The interface task's share: the menus take the input while one is open.
void RunFrontEndInput();
// Drawn over the HUD.
void DrawFrontEnd();
// A front-end page is open (over a game or the menus).
bool AnyFrontEndPageOpen();
// After a game's end: back to the menus (the statistics after a finished
// game that was not a tutorial).
void ReturnToMenusAfterGame(bool tutorial, bool finished, bool network);
