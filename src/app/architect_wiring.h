#pragma once
// Connects the procedural architect to the game: its tables, textures and
// scaffold pieces at the game start, the city's visual service, the standard
// buildings, and the visuals given back with a new game and at shutdown.

// Once, from WireGame, after the city's initialisers.
void WireArchitect();
