// What the starting-city scripts call to put up the city and to steer the
// game: AddBuilding, AddBusiness and C_BuildRandomCity, the traffic frequency
// tables, and the Game table's pause, end and performance level.
#include <algorithm>
#include <cctype>
#include <string>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/city_demand.h"
#include "city/population_classes.h"
#include "city/random_block.h"
#include "city/traffic.h"
#include "engine/core/error.h"
#include "script/script.h"
#include "script/script_args.h"
#include "script/script_bindings.h"
#include "engine/core/run_state.h"
#include "engine/core/system_settings.h"

namespace {

constexpr int32_t kNoPlayer = -1;  // cost estimates for nobody: every utility charge counts
constexpr int32_t kCityBusinessType = 1;
constexpr int32_t kMaxFloors = 255;  // a lot cell holds the floor count in a byte

ScriptEndGameHandler g_EndGameHandler = nullptr;

std::string UpperKey(lua_State* state, int index) {
  std::string key;
  if (lua_type(state, index) != LUA_TSTRING || !ArgText(state, index, &key)) return {};
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return key;
}

// A block named by its property key, or by its number (the block constants).
int32_t BlockArgument(lua_State* state, int index) {
  if (lua_type(state, index) == LUA_TNUMBER) {
    const int32_t block = ArgInt(state, index, -1);
    return block >= 0 && block < kBlockCount ? block : -1;
  }
  return FindBlockByKey(UpperKey(state, index));
}

// RETAIL, RESIDENTIAL, LANDSCAPE, or one of the empty kinds, which stand for
// the same building without a business.
int32_t KindArgument(lua_State* state, int index) {
  const std::string key = UpperKey(state, index);
  const int kind = FindBuildingKindByName(key);
  return kind >= 0 ? kind : FindEmptyBuildingKindByName(key);
}

// "low", "medium", "high", or the class constants 0 to 2.
int32_t ClassArgument(lua_State* state, int index) {
  if (lua_type(state, index) == LUA_TNUMBER) {
    const int32_t quality = ArgInt(state, index, -1);
    return quality >= 0 && quality < kSocialClassCount ? quality : -1;
  }
  return FindClassByName(UpperKey(state, index));
}

// AddBuilding(block, x, y, width, depth, floors, kind, design, class): the
// new building's index; -1 when the lots are taken or no record is free, and,
// reported, for a block that is not on the map; nothing at all for an
// unknown block, kind or class.
int NativeAddBuilding(lua_State* state) {
  const int32_t blockId = BlockArgument(state, 1);
  const int32_t kind = KindArgument(state, 7);
  const int32_t quality = ClassArgument(state, 9);
  if (blockId < 0 || kind < 0 || quality < 0) {
    ReportErrorF(1, "AddBuilding: unknown block, building kind or class (%s, %s, %s)", KeyText(state, 1).c_str(),
                 KeyText(state, 7).c_str(), KeyText(state, 9).c_str());
    return 0;
  }
  const int32_t x = ArgInt(state, 2, -1);
  const int32_t z = ArgInt(state, 3, -1);
  const int32_t width = ArgInt(state, 4, 0);
  const int32_t depth = ArgInt(state, 5, 0);
  const int32_t floors = ArgInt(state, 6, 0);
  const int32_t design = ArgInt(state, 8, 0);
  CBlock& block = g_Blocks[blockId];
  if (!block.InUse) {
    ReportErrorF(1, "AddBuilding: block %s is not on the map", g_BlockDefs[blockId].Key);
    lua_pushinteger(state, -1);
    return 1;
  }
  const bool sized = width >= 1 && width <= kLotsPerSide && depth >= 1 && depth <= kLotsPerSide && floors >= 1 &&
                     floors <= kMaxFloors && x >= 0 && z >= 0 && x < kLotsPerSide && z < kLotsPerSide;
  if (!sized || !block.IsLotRegionFreeRect(x, z, x + width - 1, z + depth - 1)) {
    lua_pushinteger(state, -1);
    return 1;
  }
  CBuilding* building = AllocBuilding();
  if (building == nullptr) {
    lua_pushinteger(state, -1);
    return 1;
  }
  // The starting city goes up while the level's scripts still define the
  // blocks: its value follows the prestige they have given the block, not
  // the one a previous game left.
  block.Prestige = g_BlockDefs[blockId].Prestige;
  const int32_t cost = EstimateBuildingCost(blockId, floors * width * depth, kind, kCityBusinessType,
                                            static_cast<uint8_t>(quality), kNoPlayer);
  if (!block.PlaceBuilding(building, x, z, x + width - 1, z + depth - 1, floors, design, kind,
                           static_cast<uint8_t>(quality), static_cast<float>(cost))) {
    lua_pushinteger(state, -1);
    return 1;
  }
  lua_pushinteger(state, building->Id);
  return 1;
}

// AddBusiness(building, kind key or constant): a business of that kind for nobody, opened
// in the building without charge.
// C_AddBusDemand(type, amount): a row of the scripted business-demand list;
// a bad type or a full list is refused with a warning.
int NativeAddBusDemand(lua_State* state) {
  AddBusinessDemand(ArgInt(state, 1, -1), ArgInt(state, 2, 0));
  return 0;
}

int NativeAddBusiness(lua_State* state) {
  const int32_t buildingId = ArgInt(state, 1, -1);
  if (buildingId == -1) return 0;
  // A key, or a business-kind constant.
  const int type = lua_type(state, 2) == LUA_TNUMBER
                       ? (IsBusinessType(ArgInt(state, 2, -1)) ? ArgInt(state, 2, -1) : -1)
                       : FindBusinessTypeByName(UpperKey(state, 2));
  if (type < 0) {
    ReportErrorF(1, "AddBusiness: unknown business kind %s", KeyText(state, 2).c_str());
    return 0;
  }
  const CBuilding* building = GetBuilding(buildingId);
  if (building == nullptr || !building->InUse) {
    ReportErrorF(1, "AddBusiness: building %d is not in use", buildingId);
    return 0;
  }
  const int32_t business = AllocBusiness(type, 0, buildingId);
  if (business < 0) {
    ReportError(1, 0, "Run out of businesses");
    return 0;
  }
  OpenBusiness(business, buildingId, true);
  return 0;
}

// C_BuildRandomCity(): every block in use filled with random buildings, done
// before the call returns.
int NativeBuildRandomCity(lua_State*) {
  BuildRandomCity();
  return 0;
}

void BindFrequencyTable(CScript& s, int32_t (&row)[kTimeBands], const char* table) {
  static constexpr const char* kBands[kTimeBands] = {"_0to3", "_4to7", "_8to11", "_12to15", "_16to19", "_20to23"};
  s.CreateTable(table);
  for (int band = 0; band < kTimeBands; ++band) s.BindTableInt(&row[band], table, kBands[band]);
}

int GamePause(lua_State*) {
  GamePauseState().AddReason(0);
  return 0;
}

int GameUnpause(lua_State*) {
  GamePauseState().RemoveReason(0);
  return 0;
}

// Game.End([finished [, mode]]): a missing argument counts as 0.
int GameEnd(lua_State* state) {
  const bool finished = ArgInt(state, 1, 0) != 0;
  const int32_t mode = ArgInt(state, 2, 0);
  if (g_EndGameHandler == nullptr) {
    ReportError(1, 0, "Game.End: no game to end");
    return 0;
  }
  g_EndGameHandler(finished, mode);
  return 0;
}

}  // namespace

void SetScriptEndGameHandler(ScriptEndGameHandler handler) { g_EndGameHandler = handler; }
bool HasScriptEndGameHandler() { return g_EndGameHandler != nullptr; }

void RegisterCityBuildingScriptFunctions(CScript& s) {
  s.RegisterFunction(NativeAddBuilding, "AddBuilding");
  s.RegisterFunction(NativeAddBusiness, "AddBusiness");
  s.RegisterFunction(NativeAddBusDemand, "C_AddBusDemand");
  s.RegisterFunction(NativeBuildRandomCity, "C_BuildRandomCity");
  BindFrequencyTable(s, g_Traffic.CarFrequency, "CarFrequency");
  BindFrequencyTable(s, g_Traffic.TaxiFrequency, "TaxiFrequency");
  BindFrequencyTable(s, g_Traffic.VanFrequency, "VanFrequency");
}

void RegisterGameScriptTable(CScript& s) {
  s.CreateTable("Game");
  s.RegisterTableFunction(GamePause, "Game", "Pause");
  s.RegisterTableFunction(GameUnpause, "Game", "Unpause");
  s.RegisterTableFunction(GameEnd, "Game", "End");
  s.BindTableInt(&g_StartupOptions.performance, "Game", "performance");
  s.SetGlobalNumber(0, "PERFORM_LOW");
  s.SetGlobalNumber(1, "PERFORM_MEDIUM");
  s.SetGlobalNumber(2, "PERFORM_HIGH");
}
