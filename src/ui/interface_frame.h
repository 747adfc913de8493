#pragma once
// The interface's share of the game's input task and of every drawn frame.
#include <cstdint>

class CInputDevice;

// One input frame: reads the mouse and the typed characters, counts the
// interface tick, runs `beforeStep` `steps` times (the logic's ticks per
// pass, so what it counts keeps pace with a fast game), then the HUD's input
// once, and counts the tooltip's frame. The frame's press, release and keys
// stay for the sets that read the input after the HUD's.
void RunInterfaceInput(CInputDevice* device, int32_t steps = 1, void (*beforeStep)() = nullptr);
// Draws the HUD, the tooltip and the cursor over whatever the frame drew;
// `underPanels` draws the game's own 2D overlay (the chat) beneath the panels,
// `overPanels` the menus over them.
void DrawInterface(void (*underPanels)() = nullptr, void (*overPanels)() = nullptr);
