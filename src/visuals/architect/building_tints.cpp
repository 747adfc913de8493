#include "visuals/architect/building_tints.h"

std::array<uint32_t, kBuildingPoolSize>& BuildingTints() {
  static std::array<uint32_t, kBuildingPoolSize> tints = [] {
    std::array<uint32_t, kBuildingPoolSize> t{};
    t.fill(kNoTint);
    return t;
  }();
  return tints;
}

uint32_t BuildingTint(int32_t building) {
  if (building < 0 || building >= kBuildingPoolSize) return kNoTint;
  return BuildingTints()[size_t(building)];
}

void ClearBuildingTints() { BuildingTints().fill(kNoTint); }
