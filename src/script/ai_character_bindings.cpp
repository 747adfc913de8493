// The AI characters in script: AiChars[0..9] (methods of _AiChars) fill the
// character rows and their timetables, AiScores holds the block-scoring
// weights, and the global AI constants and functions. The loading sequence
// runs the AI scripts and raises the characters' loading events.
#include <algorithm>
#include <iterator>

#include "city/business_types.h"
#include "city/business.h"
#include "city/city_demand.h"
#include "engine/core/error.h"
#include "engine/core/random_stream.h"
#include "script/level_scripts.h"
#include "script/script.h"
#include "script/script_args.h"
#include "script/script_bindings.h"
#include "session/ai_characters.h"
#include "session/game_clock.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "session/session_state.h"

namespace {

// Footprint areas of the five size bands, -1 unusable.
constexpr int32_t kFootprintAreas[5][10] = {
    {1, 2, 3, 4, 4, -1, -1, -1, -1, -1},  {2, 3, 4, 5, 4, 6, 8, -1, -1, -1},  {4, 6, 9, -1, -1, -1, -1, -1, -1, -1},
    {6, 8, 10, 9, 12, 15, 16, -1, -1, -1}, {8, 10, 12, 9, 12, 15, 18, 16, 20, 24}};

AiCharacter* This(lua_State* state) {
  return static_cast<AiCharacter*>(CScript::GetScriptThis(state, ScriptClass::kAiCharacter));
}

CPlayer* BoundPlayer(const AiCharacter* c) { return c && c->bound ? &c->bound->Player() : nullptr; }

int32_t Arg(lua_State* state, int index) { return ArgInt(state, index, 0); }

int PushNumber(lua_State* state, int64_t value) {
  lua_pushinteger(state, value);
  return 1;
}

int SetTraits(lua_State* s) {
  if (AiCharacter* c = This(s)) {
    c->traits[1] = static_cast<uint8_t>(Arg(s, 2));
    c->traits[2] = static_cast<uint8_t>(Arg(s, 3));
  }
  return 0;
}

int SetStrategySelectionBias(lua_State* s) {
  if (AiCharacter* c = This(s))
    for (int i = 0; i < 4; ++i) c->strategyBias[i] = static_cast<uint8_t>(Arg(s, 2 + i));
  return 0;
}

int SetFloors(lua_State* s) {
  if (AiCharacter* c = This(s))
    for (int i = 0; i < 10; ++i) c->floors[i] = static_cast<uint8_t>(Arg(s, 2 + i));
  return 0;
}

int SetFootprint(lua_State* s) {
  AiCharacter* c = This(s);
  const int32_t band = Arg(s, 2);
  if (c == nullptr) return 0;
  if (band < 0 || band > 4) {
    ReportErrorF(1, "GetFootprintArea(): Unrecognised band value");
    return 0;
  }
  AiFootprintRow& row = c->footprints[band];
  for (int i = 0; i < 3; ++i) row.preferences[i] = static_cast<uint8_t>(Arg(s, 3 + i));
  row.band = static_cast<uint8_t>(band);
  for (int j = 0; j < 10; ++j) {
    const int32_t area = kFootprintAreas[band][j];
    row.entries[j][0] = area != 0 && area > 0;
    row.entries[j][1] = static_cast<uint8_t>(area > 0 ? area : 0);
  }
  return 0;
}

int SetTwiddleThumbs(lua_State* s) {
  if (AiCharacter* c = This(s); c && c->bound) c->bound->SetIdle();
  return 0;
}

int SetMoney(lua_State* s) {
  if (CPlayer* p = BoundPlayer(This(s))) p->money = static_cast<float>(Arg(s, 2));
  return 0;
}

// DecreaseMoney adds as IncreaseMoney does: level scripts rely on it.
int IncreaseMoney(lua_State* s) {
  if (CPlayer* p = BoundPlayer(This(s))) p->money += static_cast<float>(Arg(s, 2));
  return 0;
}

int LoadTimeTableMethod(lua_State* s) {
  if (AiCharacter* c = This(s)) LoadTimeTable(*c, Arg(s, 2), Arg(s, 3), Arg(s, 4), Arg(s, 5));
  return 0;
}

int ResetTimeTableMethod(lua_State* s) {
  if (AiCharacter* c = This(s)) ResetTimeTable(*c, Arg(s, 2));
  return 0;
}

int GetCash(lua_State* s) {
  const CPlayer* p = BoundPlayer(This(s));
  return PushNumber(s, p ? static_cast<int32_t>(p->money) : 0);
}

int GetRandomBlock(lua_State* s) {
  AiCharacter* c = This(s);
  return PushNumber(s, c && c->bound ? c->bound->PickRandomBlockForBusiness(Arg(s, 2)) : -1);
}

int GetRandomBusiness(lua_State* s) {
  AiCharacter* c = This(s);
  if (c == nullptr || c->bound == nullptr) return PushNumber(s, -1);
  int32_t available[kBusinessTypeCount];
  int32_t n = 0;
  for (int32_t t = 0; t < kBusinessTypeCount; ++t)
    if (g_BusinessTypes[static_cast<size_t>(t)].Available) available[n++] = t;
  const uint32_t draw = c->bound->Random().Rand();
  return PushNumber(s, n > 0 ? available[draw % static_cast<uint32_t>(n)] : -1);
}

int GetNumBusinesses(lua_State* s) {
  const CPlayer* p = BoundPlayer(This(s));
  int32_t n = 0;
  if (p != nullptr)
    for (const CBusiness& b : g_Businesses) n += b.InUse && b.Owner == p->index + 1;
  return PushNumber(s, n);
}

int SetAllStockLevels(lua_State* s) {
  const CPlayer* p = BoundPlayer(This(s));
  const double level = ArgDouble(s, 2, 0);
  if (p == nullptr) return 0;
  for (CBusiness& b : g_Businesses) {
    if (!b.InUse || b.Owner != p->index + 1) continue;
    const int32_t capacity = GetStockCapacityForArea(b.GetFootprintUnits(), b.Type);
    for (int slot = 0; slot < b.SlotCount(); ++slot) b.AddStock(slot, TruncToInt32(level * capacity));
  }
  return 0;
}

int SetMaxBusinesses(lua_State* s) {
  if (AiCharacter* c = This(s)) c->businessLimit = Arg(s, 2);
  return 0;
}

int SetPrestigeBias(lua_State* s) {
  if (AiCharacter* c = This(s)) c->prestigeBias = Arg(s, 2);
  return 0;
}

int SetDebugFlags(lua_State* s) {
  if (AiCharacter* c = This(s); c && c->bound) c->bound->SetDebugFlag(Arg(s, 2));
  return 0;
}

int SetBaseValMultiplier(lua_State* s) {
  if (AiCharacter* c = This(s)) c->baseValueMultiplier = static_cast<uint8_t>(Arg(s, 2));
  return 0;
}

int SetDifficultyVars(lua_State* s) {
  AiCharacter* c = This(s);
  const int32_t level = Arg(s, 2);
  if (c == nullptr || level < 0 || level > 2) return 0;
  AiDifficultyRow& r = c->difficulty[level];
  auto f = [&](int n) { return static_cast<float>(ArgDouble(s, 2 + n, 0)); };
  auto b = [&](int n) { return static_cast<uint8_t>(Arg(s, 2 + n)); };
  r.panicHours = b(1);
  r.cashFloor = b(2);
  r.value3 = f(3);
  r.priceStep = f(4);
  r.thresholdFactor = f(5);
  r.thresholdCap = static_cast<int16_t>(Arg(s, 8));
  for (int i = 0; i < 6; ++i) r.bytes[i] = b(7 + i);
  r.value13 = f(13);
  r.value14 = f(14);
  r.value15 = b(15);
  return 0;
}

// Ticks from now until the hour and minute (today if later, else tomorrow).
int32_t TicksUntil(int32_t hour, int32_t minute) {
  const int32_t now = GameClock().hour;
  const int32_t hours = hour - now + (hour < now ? 24 : 0);
  return hours * static_cast<int32_t>(kTicksPerHour) + minute * kTicksPerGameMinute;
}

int SetBuildTimes(lua_State* s) {
  AiCharacter* c = This(s);
  const int32_t row = Arg(s, 2);
  if (c == nullptr || row < 0 || row > 2) return 0;
  AiBuildTimes& t = c->buildTimes[row];
  t.firstDecision = TicksUntil(Arg(s, 3), Arg(s, 4));
  t.dayStart = Arg(s, 5);
  t.dayEnd = Arg(s, 7);
  t.nightEnd = Arg(s, 9);
  t.footprintPeriod = Arg(s, 11);
  return 0;
}

int SetPlayerDifficulty(lua_State* s) {
  if (AiCharacter* c = This(s); c && c->bound) c->bound->SetDifficulty(Arg(s, 2));
  return 0;
}

int GetGameHours(lua_State* s) {
  const int32_t hour = ArgInt(s, 1, 0);
  const int32_t now = GameClock().hour;
  return PushNumber(s, hour > now ? hour - now : hour < now ? hour + 24 - now : 24);
}

int SetMaxBlockPotential(lua_State* s) {
  GetAiScriptLimits().maxBlockPotential = ArgInt(s, 1, 0);
  return 0;
}

int SetBlockProfitThreshold(lua_State* s) {
  GetAiScriptLimits().blockProfitThreshold = ArgInt(s, 1, 0);
  return 0;
}

struct Method {
  lua_CFunction function;
  const char* name;
};
constexpr Method kMethods[] = {
    {SetTraits, "SetTraits"},
    {SetStrategySelectionBias, "SetStrategySelectionBias"},
    {SetFloors, "SetFloors"},
    {SetFootprint, "SetFootprint"},
    {SetTwiddleThumbs, "SetTwiddleThumbs"},
    {SetMoney, "SetMoney"},
    {IncreaseMoney, "IncreaseMoney"},
    {IncreaseMoney, "DecreaseMoney"},
    {LoadTimeTableMethod, "LoadTimeTable"},
    {ResetTimeTableMethod, "ResetTimeTable"},
    {GetCash, "GetCash"},
    {GetRandomBlock, "GetRandomBlock"},
    {GetRandomBusiness, "GetRandomBusiness"},
    {GetNumBusinesses, "GetNumBusinesses"},
    {SetAllStockLevels, "SetAllStockLevels"},
    {SetMaxBusinesses, "SetMaxBusinesses"},
    {SetPrestigeBias, "SetPrestigeBias"},
    {SetDebugFlags, "SetDebugFlags"},
    {SetBaseValMultiplier, "SetBaseValMultiplier"},
    {SetDifficultyVars, "SetDifficultyVars"},
    {SetBuildTimes, "SetBuildTimes"},
    {SetPlayerDifficulty, "SetPlayerDifficulty"},
};

struct Constant {
  const char* name;
  int32_t value;
};
constexpr Constant kConstants[] = {
    {"PP_HIGH", 0},   {"PP_MED", 1},    {"PP_LOW", 2},     {"PP_ANY", 3},    {"TAC", kTimetableTactic},
    {"HSE", kTimetableHousekeeping}, {"BLK", kTimetableBlock},
    {"CAR", 0},       {"CART", 1},      {"DOG", 2},        {"ROCKET", 3},    {"CROWN", 4},
    {"HORSE", 5},     {"KETTLE", 6},    {"SHIP", 7},       {"PLANE", 8},     {"TRUMPET", 9},
    {"TT_RENT", TT_RENT}, {"TT_POLL", TT_POLL}, {"TT_SPOILAGE", TT_SPOILAGE}, {"TT_DEMOLISH", TT_DEMOLISH},
    {"TT_CREATE_BUS", TT_CREATE_BUS}, {"TT_BUY_BLOCK", TT_BUY_BLOCK}, {"TT_SELL_BLOCK", TT_SELL_BLOCK},
    {"TT_TAKEOVER_BUS", TT_TAKEOVER_BUS}, {"TT_REFURBISH_BUS", TT_REFURBISH_BUS},
    {"TT_EOD_STOCK_AND_PRICE", TT_EOD_STOCK_AND_PRICE}, {"TT_BUSINESS_STATES", TT_BUSINESS_STATES},
    {"FORCE_AUCTION", kDebugForceAuction}, {"STOP_STRAT_BLOCKS", kDebugStopStratBlocks},
    {"SHOW_SPELL_CARDS", kDebugShowSpellCards},
};

void BindScore(const char* name, uint8_t& value, void* context) {
  static_cast<CScript*>(context)->BindTableByte(&value, "AiScores", name);
}

}  // namespace

void RegisterAiCharacterScriptTables(CScript& s) {
  s.CreateTable("AiChars");
  s.CreateClassTable("_AiChars");
  for (const Method& m : kMethods) s.RegisterTableFunction(m.function, "_AiChars", m.name);
  s.CreateTable("AiScores");
  ForEachAiScore(BindScore, &s);
  for (int32_t row = 0; row < kAiCharacterRows; ++row) {
    s.SetTableThis(GetAiCharacter(row), ScriptClass::kAiCharacter, "_AiChars");
    s.InstantiateClassTable("_AiChars", "AiChars", row);
  }
  for (const Constant& c : kConstants) s.SetGlobalNumber(c.value, c.name);
  s.RegisterFunction(GetGameHours, "C_GetGameHours");
  s.RegisterFunction(SetMaxBlockPotential, "C_SetMaxBlockPotential");
  s.RegisterFunction(SetBlockProfitThreshold, "C_SetBlockProfitThreshold");
}

bool LoadAiCharacterScripts(std::string_view folder, bool networkSession, bool initialise, int32_t difficulty) {
  const bool ok = RunAiCharacterScripts(folder, networkSession);
  CScript& script = Script();
  const int32_t level = difficulty == 0 || difficulty == 1 ? difficulty : 2;
  for (int32_t row = 0; row < kAiCharacterRows; ++row) {
    AiCharacter* c = GetAiCharacter(row);
    if (c == nullptr || !c->inUse) continue;
    for (const char* event : {"LoadHseKeepingTimetable", "LoadBuyBlockTimetable", "LoadDifficultyVariables",
                              "LoadBuildTimes"})
      script.TriggerEvent(event, 0, row);
    if (c->bound != nullptr) {
      c->bound->SetDifficulty(level);
      c->bound->OnCharacterLoaded(initialise);
    }
  }
  RecountBusinessTypesPerBlock();
  script.TriggerEvent("LoadScoreData", 0, 0);
  return ok;
}
