#pragma once
// Sound at its places in the game root (game.cpp): the manager opened with
// the window and closed at the end, the rules fed each frame from the camera,
// the clock and the city, the game's start and end, pause and activation,
// the simulation's sounds and decade music (game events), the profile's
// volumes and the script function C_PlaySound.
#include "session/game_events.h"

// Once, before the scripts and the start: the scene the rules read, the
// profile's volumes, C_PlaySound.
void AttachSound();
// After the window: the sound manager and the profile's volumes.
void OpenSound();
void CloseSound();
// A level starts: the game's sound on, the decade tracks listed.
void StartLevelSound();
// The window lost (false) or regained the focus.
void ActivateSound(bool active);
// One game event for sound: a named sample, its stop, the decade's music.
void PlayGameEventSound(const GameEvent& event);
