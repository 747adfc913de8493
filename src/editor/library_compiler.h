#pragma once
// Compiles one building design into the building library: its bounds, one
// library layer per loop of its loop order (each edge cut into its half-unit
// pieces), its control points as placements and its properties.
//
// Loop to layer: Height = loop height; TextureScale = URepeat; Weight =
// RepeatMax; LedgeDrop = Offset 1; LedgeWidth = Offset 2; Style bit 0 (roof
// cap) when any roof style is chosen, bit 1 (ledge) when the ledge width is
// not 0, bits 5 and 6 from the pointed roof styles (a pointed roof stands
// without walls); Flags bit 0 for a railing loop, which adds no height.
// Texture bytes are the piece's texture group and facade code.
#include <cstdint>
#include <string>
#include <vector>

#include "city/building_library.h"
#include "editor/building_design.h"

// Returns the new building's index, or -1 with the reason (nothing added)
// when a loop would have more points than a layer reference can count.
int32_t AddBuildingToLibrary(BuildingLibrary& library, BuildingDesign& design, std::string* reason = nullptr);

// The loops that become layers, in layer order: the loop order up to its
// first negative index or one naming no loop in use.
std::vector<int> OrderedLoops(const BuildingDesign& design);
