#pragma once
// The sound at its places in the program: the manager opened with the
// window and closed at the end, the rules fed each frame from the camera,
// the clock and the city, the game's start and end, pause and activation,
// the session's named sounds and decade music, the profile's volumes and
// the script function C_PlaySound.

// Once, from WireGame.
void WireSound();
