#pragma once
// How the HUD panels hear the game: the game events of a frame (prompts,
// player messages, goal results, ticker records, the speed switch, money
// changes), handed over by the game root, and the interface task's step.
#include "session/game_events.h"

void HandlePanelGameEvent(const GameEvent& event);
// Once per interface step (50 a second): the ticker's lines age.
void TickHudPanels();
