#pragma once
// Starting the city model.
//
// Program start: RegisterCityRandomStreams() in subsystem order before the
// streams are seeded, then InitCityModel(). Game start (after the building
// library): StartCityStreets(), which builds the streets from the built-in
// map and links the blocks.

// Static tables to their start state, console commands and save hooks.
void InitCityModel();
// Builds the road network, blocks, lanes and lights and the block adjacency.
// False when the map does not fit its tables (reported as a warning).
bool StartCityStreets();
