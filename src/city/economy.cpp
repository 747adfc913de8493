#include "city/economy.h"

#include <span>

#include "city/business.h"
#include "city/city_demand.h"
#include "city/commodities.h"
#include "city/households.h"
#include "city/population_classes.h"
#include "city/timetables.h"
#include "session/save_chunks.h"

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
  // The four tables are saved whole, each row through its visit.
  RegisterSaveHook(kSaveBusinesses, [] { WriteRecordChunk(kChunkBusinesses, g_Businesses); });
  RegisterSaveHook(kSaveBusinessKinds, [] { WriteRecordChunk(kChunkBusinessKinds, g_BusinessTypes); });
  RegisterSaveHook(kSaveCommodities, [] { WriteRecordChunk(kChunkCommodities, g_Commodities); });
  RegisterSaveHook(kSaveHouseholds, [] { WriteRecordChunk(kChunkHouseholds, g_Households); });
  RegisterRecordChunk<BusinessTable>(kChunkBusinesses, kBusinessesChunkLength, [](const BusinessTable& t) {
    g_Businesses = t;
    // An older save holds its machine's unsent edits beside the applied
    // values; they were that machine's alone.
    for (CBusiness& b : g_Businesses) b.CopyAppliedValues();
    RebuildVacancies();
  });
  RegisterRecordChunk<BusinessTypeTable>(kChunkBusinessKinds, kBusinessTypesChunkLength,
                                         [](const BusinessTypeTable& t) { g_BusinessTypes = t; });
  RegisterRecordChunk<CommodityTable>(kChunkCommodities, kCommoditiesChunkLength,
                                      [](const CommodityTable& t) { g_Commodities = t; });
  RegisterRecordChunk<HouseholdTable>(kChunkHouseholds, kHouseholdsChunkLength,
                                      [](const HouseholdTable& t) { g_Households = t; });
  RegisterSaveHook(kSaveCityDemand, [] { WriteRecordChunk(kChunkCityDemand, CaptureCityDemand()); });
  RegisterRecordChunk<CityDemandRecord>(kChunkCityDemand, kCityDemandChunkLength, ApplyCityDemand);
}

void InitEconomy() {
  RegisterEconomyRandomStreams();
  ResetEconomyTables();
  RegisterEconomySaveHooks();
  RegisterEconomyConsoleCommands();
}
