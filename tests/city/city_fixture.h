#pragma once
// Builds the city of the built-in map for a test, with the default services.
#include "city/blocks.h"
#include "city/buildings.h"
#include "city/city_map.h"
#include "city/city_services.h"
#include "engine/core/error.h"

inline void BuildTestCity() {
  RestoreDefaultCityServices();
  InitBlockDefs();
  InitDistricts();
  ResetBuildingKinds();
  ResetBuildings();
  BuildCityFromMap();
}
