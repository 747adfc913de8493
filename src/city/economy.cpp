#include "city/economy.h"

#include <span>

#include "city/business.h"
#include "city/city_demand.h"
#include "city/commodities.h"
#include "city/economy_services.h"
#include "city/households.h"
#include "city/population_classes.h"
#include "city/timetables.h"
#include "engine/files/save_game.h"

void ResetEconomyTables() {
  ResetCommodities();
  ResetBusinessTypes();
  ResetBusinesses();
  ResetTimetables();
  ResetPreferences();
  ResetSocialClasses();
  ResetClassPairLists();
  ResetPeopleSpeeds();
  ResetHouseholds();
  ResetCityDemand();
}

void ResetEconomyForNewGame() {
  ResetBusinessRecords();
  ClearBusinessTypeCommodities();
  ResetHouseholds();
  ResetCityDemand();
}

void RegisterEconomyRandomStreams() {
  PeopleRandom();
  HouseholdRandom();
}

void RegisterEconomySaveHooks() {
  RegisterSaveHook(kSaveBusinesses, [] { SaveBusinessesChunk(); });
  RegisterSaveHook(kSaveBusinessKinds, [] { SaveBusinessTypesChunk(); });
  RegisterSaveHook(kSaveCommodities, [] { SaveCommoditiesChunk(); });
  RegisterSaveHook(kSaveHouseholds, [] { SaveHouseholdsChunk(); });
  RegisterLoadHook(kChunkBusinesses, LoadBusinessesChunk, kBusinessesChunkLength, CheckBusinessesChunk);
  RegisterLoadHook(kChunkBusinessKinds, LoadBusinessTypesChunk, kBusinessTypesChunkLength, CheckBusinessTypesChunk);
  RegisterLoadHook(kChunkCommodities, LoadCommoditiesChunk, kCommoditiesChunkLength, CheckCommoditiesChunk);
  RegisterLoadHook(kChunkHouseholds, LoadHouseholdsChunk, kHouseholdsChunkLength, CheckHouseholdsChunk);
  RegisterSaveHook(kSaveCityDemand, [] { SaveCityDemandChunk(); });
  RegisterLoadHook(kChunkCityDemand, LoadCityDemandChunk, kCityDemandChunkLength, CheckCityDemandChunk);
}

void InitEconomy() {
  RegisterEconomyRandomStreams();
  ResetEconomyTables();
  RegisterEconomySaveHooks();
  RegisterEconomyConsoleCommands();
  InstallEconomyCityServices();
}
