#pragma once
// Computes the route table from the lane network (the data build runs this
// through tools/routetable and ships the result as the game's route file).
//
// For every straight road lane (a vehicle that left junction A heading dA)
// and every target (leave junction B heading dB), each exit of the junction
// ahead is rated by the shortest drive over the lanes, without U-turns, to
// the lane that leaves B heading dB: 3 the best exit, 2 an exit within a
// short detour of it, 1 any other exit that still gets there, 0 none.
#include <cstdint>
#include <vector>

// Needs BuildCityFromMap to have run. Returns the 65,536-byte image.
std::vector<uint8_t> BuildRouteTableImage();
