#pragma once
// The chat log drawn over the game view: the live lines, oldest first, each
// "name: text" in its player's colour, the newest ending at the bottom of
// its area. Not drawn in the auction screen.
#include <cstdint>

class CChatLog;

// x, y: the area's top left; height: the area's height (ten lines).
void DrawChatLog(const CChatLog& log, float x, float y, float height);
// The log at its place (200, 370; 100 high) unless the auction screen is up.
void DrawChatOverlay();
// A player's chat colour (ARGB) by its character.
uint32_t ChatColour(int32_t character);
