#include "city/fixture_city.h"

#include <cstdio>
#include <string>
#include <vector>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/city_map.h"
#include "city/city_services.h"
#include "city/commodities.h"
#include "city/economy.h"
#include "city/house_hunt.h"
#include "city/households.h"
#include "city/lane_network.h"
#include "city/people.h"
#include "city/population_classes.h"
#include "city/road_topology.h"
#include "city/route_table_builder.h"
#include "city/timetables.h"
#include "city/traffic.h"
#include "engine/core/random_stream.h"
#include "session/save_chunks.h"
#include "engine/scene/animation.h"
#include "session/game_clock.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/session_state.h"
#include "session/simulation.h"

namespace {

constexpr int kFixtureRentAverage = CData::kAverages - 1;  // after the 32 commodity prices

const std::vector<uint8_t>& RouteImage() {
  static const std::vector<uint8_t> image = [] {
    SetRouteTableImage({});  // computed here, not read from a file
    BuildCityFromMap();
    return BuildRouteTableImage();
  }();
  return image;
}

void DefineEconomy() {
  for (int c = 0; c < kCommodityCount; ++c) {
    g_Commodities[c].Active = 1;
    g_Commodities[c].Value = 2.0f + static_cast<float>(c % 9);
    g_Commodities[c].Markup = 1.5f;
    SetCommodityMembership(c, c % kShoppingClassCount);
  }
  for (int t = 0; t < kBusinessTypeCount; ++t) {
    BusinessType& type = g_BusinessTypes[t];
    type.Available = 1;
    type.Density = t == kTypeApartments ? 1.0f : 0.5f;
    type.StockCapacity = 10.0f;
    type.OpeningTime = 6;
    type.ClosingTime = 23;
    type.TimeInStore = 40.0f + static_cast<float>(t % 5) * 10.0f;
    if (type.Kind == kBusinessShop) {
      AddBusinessTypeCommodity(t, t % kCommodityCount);
      AddBusinessTypeCommodity(t, (t * 7 + 3) % kCommodityCount);
      AddBusinessTypeCommodity(t, (t * 11 + 5) % kCommodityCount);
    }
  }
  for (int row = 0; row < 15; ++row) {
    for (int i = 0; i < 8; ++i) AddPreferenceValue(row, (row * 5 + i * 3) % kCommodityCount, 1.0f + static_cast<float>(i % 3));
  }
  for (int cls = 0; cls < kPopulationClassCount; ++cls) {
    AssociatePreferenceWithClass(cls, cls);
    AssociatePreferenceWithClass(cls, (cls + 1) % 15);
  }
  const float incomes[3] = {30.0f, 60.0f, 120.0f};
  for (int cls = 0; cls < kSocialClassCount; ++cls) {
    for (int kind = 0; kind < kPersonKindCount; ++kind) SetClassIncome(kind, cls, incomes[cls] * (kind == kChild ? 0.5f : 1.0f));
  }
  g_ItchyCounter = 5;
  SetBlockPathDepthLimit(6);
  // The city-wide rent per resident the house hunt weighs rents against,
  // fixed for the fixture (a game refreshes it once a day).
  CData& data = PlayerData();
  data.averages[kFixtureRentAverage] = 1000.0f;
  data.averagesDirty = 0;
}

// One timetable: the activity keyword for each hour 0..23.
void DefineTimetable(int32_t t, const char* const (&hours)[24]) {
  char hour[16];
  for (int h = 0; h < 24; ++h) {
    std::snprintf(hour, sizeof hour, h == 0 ? "HOUR24" : "HOUR%d", h);
    SetTimetableEntry(t, hour, hours[h]);
  }
}

void DefineTimetables() {
  const char* const adult[24] = {"SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "AT_HOME", "GO_TO_WORK",
                                 "MAIN_SHOPPING", "MAIN_SHOPPING", "STROLL", "SNACK_TIME", "MEAL_TIME", "STROLL",
                                 "MAIN_SHOPPING", "ENTERTAINMENT", "STROLL", "GO_HOME", "AT_HOME", "MEAL_TIME",
                                 "ENTERTAINMENT", "GO_HOME", "AT_HOME", "SLEEP"};
  const char* const unhoused[24] = {"SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "LOOK_FOR_A_HOUSE",
                                    "LOOK_FOR_A_HOUSE", "STROLL", "LOOK_FOR_A_HOUSE", "SNACK_TIME", "STROLL",
                                    "LOOK_FOR_A_HOUSE", "MEAL_TIME", "STROLL", "LOOK_FOR_A_HOUSE", "STROLL",
                                    "GO_HOME", "LOOK_FOR_A_HOUSE", "STROLL", "GO_HOME", "GO_HOME", "SLEEP", "SLEEP"};
  const char* const senior[24] = {"SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "AT_HOME",
                                  "COLLECT_PENSION", "MAIN_SHOPPING", "STROLL", "SNACK_TIME", "MEAL_TIME", "AT_HOME",
                                  "STROLL", "MAIN_SHOPPING", "GO_HOME", "AT_HOME", "MEAL_TIME", "AT_HOME",
                                  "GO_HOME", "SLEEP", "SLEEP", "SLEEP"};
  const char* const child[24] = {"SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "AT_HOME",
                                 "GO_TO_SCHOOL", "AT_SCHOOL", "AT_SCHOOL", "AT_SCHOOL", "SNACK_TIME", "AT_SCHOOL",
                                 "AT_SCHOOL", "GO_HOME", "STROLL", "SNACK_TIME", "GO_HOME", "AT_HOME", "SLEEP",
                                 "SLEEP", "SLEEP", "SLEEP"};
  const char* const teen[24] = {"SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "AT_HOME",
                                "GO_TO_UNI", "AT_UNI", "AT_UNI", "MEAL_TIME", "AT_UNI", "STROLL", "ENTERTAINMENT",
                                "SNACK_TIME", "STROLL", "GO_HOME", "ENTERTAINMENT", "STROLL", "GO_HOME", "SLEEP",
                                "SLEEP"};
  const char* const tourist[24] = {"SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "SLEEP", "AT_HOME",
                                   "STROLL", "MAIN_SHOPPING", "STROLL", "MEAL_TIME", "STROLL", "ENTERTAINMENT",
                                   "SNACK_TIME", "STROLL", "STAY_OVER", "STAY_OVER", "MEAL_TIME", "ENTERTAINMENT",
                                   "GO_HOME", "UNDEFINED", "SLEEP", "SLEEP"};
  DefineTimetable(0, adult);
  DefineTimetable(1, unhoused);
  DefineTimetable(2, senior);
  DefineTimetable(3, child);
  DefineTimetable(4, teen);
  DefineTimetable(5, tourist);
  const char* classes[6] = {"ADULT", "UNHOUSED", "SENIOR_CITIZENS", "CHILDREN_SCHOOL", "TEENAGER_UNI", "TOURIST"};
  for (int i = 0; i < 6; ++i) AddDailyObjective(classes[i], i);
}

// Nine buildings of 2 x 2 lots on every block in use: residences and shops
// of every type in turn, with a landscape feature now and then.
void DevelopBlocks() {
  int32_t nextShop = 0;
  for (int32_t block = 0; block < kBlockCount; ++block) {
    CBlock& b = g_Blocks[block];
    if (!b.InUse) continue;
    for (int slot = 0; slot < 9; ++slot) {
      int x = (slot % 3) * 2, z = (slot / 3) * 2;
      int32_t type;
      if (slot % 2 == 0) {
        type = kTypeApartments;
      } else if (slot == 7 && block % 4 == 0) {
        type = kTypeLandscape;
      } else {
        type = nextShop++ % kBusinessTypeCount;
        if (type == kTypeApartments || type == kTypeLandscape) type = nextShop++ % kBusinessTypeCount;
      }
      int32_t kind = type == kTypeApartments ? kKindResidential : type == kTypeLandscape ? kKindLandscape : kKindRetail;
      CBuilding* building = AllocBuilding();
      if (building == nullptr) return;
      if (!b.PlaceBuilding(building, x, z, x + 1, z + 1, 4 + slot % 3, block * 16 + slot, kind,
                           static_cast<uint8_t>(slot % 3), 500.0f)) {
        continue;
      }
      int32_t business = AllocBusiness(type, 0, building->Id);
      if (business < 0 || !OpenBusiness(business, building->Id, true)) continue;
      if (type == kTypeApartments) {
        g_Businesses[business].RentPerPlace = 4.0f + static_cast<float>((block + slot) % 9);
        g_Businesses[business].CopyAppliedValues();
      }
    }
  }
}

void HourlyJobs() {
  UpdateBusinessesHourly();
  switch (GameClock().hour) {
    case 0: CloseBusinessDay(); break;
    case 5: UpdatePeopleDaily(); break;
    case 6: SettleBusinessesDaily(); break;
    case 17: UpdateHouseHuntDaily(); break;
    default: break;
  }
}

void SetTrafficLimits(const FixtureCityOptions& o) {
  for (int band = 0; band < kTimeBands; ++band) {
    g_Traffic.CarFrequency[band] = o.CarsPerBand;
    g_Traffic.TaxiFrequency[band] = o.TaxisPerBand;
  }
}

}  // namespace

void BuildFixtureCity(const FixtureCityOptions& options) {
  RestoreDefaultCityServices();
  RegisterCityRandomStreams();
  VehicleRandom();
  // A new game's reset (the game root's own), then the fixture's city on it.
  ResetSimulation();
  InitBlockDefs();
  InitDistricts();
  ResetBuildingKinds();
  ResetBuildings();
  const std::vector<uint8_t>& image = RouteImage();
  BuildCityFromMap();
  SetRouteTableImage(image);
  InitBlocks();
  ResetEconomyTables();
  // The session as a running game with no players, from the start hour.
  PlayerData().Reset();
  GameClock().hour = options.StartHour;
  Session().inGame = true;
  SetCityVisualServices(options.Visuals);
  SeedRandomStreams(options.Seed);
  DefineEconomy();
  DefineTimetables();
  DevelopBlocks();
  ResetPeopleTables();
  ResetPeople();
  ResetHouseholds();
  ResetTraffic();
  SetTrafficLimits(options);
  for (int32_t i = 0; i < options.People; ++i) CreatePerson(-1, -1, -1);
}

void StepFixtureCity() {
  const int32_t tick = static_cast<int32_t>(++LogicTick());
  UpdatePeople();
  UpdateTraffic();
  if (tick % kTicksPerGameHour == 0) {
    GameClock().hour = (GameClock().hour + 1) % 24;
    HourlyJobs();
  }
  EntAnimStepAll();  // as the tick driver does after the city's step
}

void RunFixtureCity(int32_t ticks) {
  for (int32_t i = 0; i < ticks; ++i) StepFixtureCity();
}

SimChecksums FixtureChecksums() { return SimChecksums{GetPeopleChecksum(), GetTrafficChecksum(), BusinessChecksum()}; }
int32_t FixtureTick() { return static_cast<int32_t>(LogicTick()); }
int32_t FixtureHour() { return GameClock().hour; }

namespace {

constexpr uint32_t kFixtureSaveMask = kSavePeople | kSaveBusinesses | kSaveHouseholds;
constexpr uint32_t kFixtureLoadMask = kChunkPeople | kChunkBusinesses | kChunkHouseholds;

void RegisterFixtureHooks() {
  ClearSaveHooks();
  RegisterEconomySaveHooks();
  RegisterPeopleSaveHooks();
}

}  // namespace

bool SaveFixtureCity(const std::string& path) {
  RegisterFixtureHooks();
  SaveGameFile file;
  file.path = path;
  if (!WriteSaveGame(file, kFixtureSaveMask)) return false;
  // The clock and the streams beside it (the session saves these in a game).
  std::FILE* f = std::fopen((path + ".clock").c_str(), "wb");
  if (f == nullptr) return false;
  std::vector<uint32_t> words = {LogicTick(), static_cast<uint32_t>(GameClock().hour)};
  for (CRandomStream* s = FirstRandomStream(); s; s = s->Next()) words.push_back(s->GetState());
  bool ok = std::fwrite(words.data(), sizeof(uint32_t), words.size(), f) == words.size();
  return std::fclose(f) == 0 && ok;
}

bool LoadFixtureCity(const std::string& path) {
  RegisterFixtureHooks();
  std::FILE* f = std::fopen((path + ".clock").c_str(), "rb");
  if (f == nullptr) return false;
  std::vector<uint32_t> words(2);
  for (CRandomStream* s = FirstRandomStream(); s; s = s->Next()) words.push_back(0);
  bool ok = std::fread(words.data(), sizeof(uint32_t), words.size(), f) == words.size();
  std::fclose(f);
  if (!ok) return false;
  SaveGameFile file;
  file.path = path;
  if (!CheckSaveGameFile(file, false)) return false;
  ResetPeople();
  ResetHouseholds();
  ResetTraffic();
  if (!LoadGameFile(file, kFixtureLoadMask)) return false;
  FinishPeopleLoad();
  LogicTick() = words[0];
  GameClock().hour = static_cast<int32_t>(words[1]);
  size_t i = 2;
  for (CRandomStream* s = FirstRandomStream(); s; s = s->Next()) s->SetState(words[i++]);
  return true;
}
