#include "city/city.h"

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/city_commands.h"
#include "city/city_map.h"
#include "city/city_save.h"
#include "city/prestige_textures.h"

void InitCityModel() {
  InitBlockDefs();
  InitDistricts();
  ResetBuildingKinds();
  ResetBuildings();
  InitBlocks();
  ResetBlockStats(false);
  ResetPrestigeTextureLists();
  RegisterCityConsoleCommands();
  RegisterPrestigeTextureCommand();
  RegisterCitySaveHooks();
}

bool StartCityStreets() {
  bool ok = BuildCityFromMap();
  ComputeBlockAdjacency();
  return ok;
}
