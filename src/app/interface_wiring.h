#pragma once
// Connects the interface toolkit to the game: its assets at the game start,
// the HUD panel set, the input task, the hover task, the panels' refresh and
// the interface's share of the frame.

// Once, from WireGame. The interface is drawn by the world frame's overlay.
void WireInterface();
