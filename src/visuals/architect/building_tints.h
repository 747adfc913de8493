#pragma once
// The colour each building wears in the plan view: its owner's token colour,
// grey when nobody owns it, none outside the plan view. The block marker
// overlay fills the table while it is open and clears it when it closes; the
// building draw and the plan view's building rectangles read it.
#include <array>
#include <cstdint>

#include "city/buildings.h"

inline constexpr uint32_t kNoTint = 0xFFFFFFFFu;
inline constexpr uint32_t kUnownedTint = 0xFF808080u;

// One entry per building record (index = building id).
std::array<uint32_t, kBuildingPoolSize>& BuildingTints();
// A building's tint; kNoTint for an id outside the table.
uint32_t BuildingTint(int32_t building);
void ClearBuildingTints();
