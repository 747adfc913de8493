#pragma once
// Connects the interface toolkit to the game: its assets at the game start,
// the HUD panel set, the input task, the hover task, the panels' refresh and
// the interface's share of the frame.

// Once, from WireGame.
void WireInterface();
// The interface drawn over the frame; until the world has a frame of its
// own, the frame is the clear screen with the interface on it.
void DrawInterfaceFrame();
