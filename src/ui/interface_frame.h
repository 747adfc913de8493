#pragma once
// The interface's share of the game's input task and of every drawn frame.
#include <cstdint>

class CInputDevice;

// One input frame: reads the mouse and the typed characters, counts the
// interface tick, runs the HUD's input and counts the tooltip's frame.
void RunInterfaceInput(CInputDevice* device);
// Draws the HUD, the tooltip and the cursor over whatever the frame drew;
// `underPanels` draws the game's own 2D overlay (the chat) beneath the panels,
// `overPanels` the menus over them.
void DrawInterface(void (*underPanels)() = nullptr, void (*overPanels)() = nullptr);
