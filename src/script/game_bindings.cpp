// The calendar (Calendar and the time constants), the local player's money
// (Player), the presentation requests of the Game table (logos, credits,
// fireworks), C_Iterate, and the initial number of cars.
#include <algorithm>
#include <string>
#include <string_view>

#include "engine/core/error.h"
#include "script/script.h"
#include "script/script_args.h"
#include "script/script_bindings.h"
#include "session/game_clock.h"
#include "session/game_events.h"
#include "session/player.h"
#include "session/player_data.h"

namespace {

constexpr const char* kEraNames[] = {"ERA_1930", "ERA_1940", "ERA_1950", "ERA_1960",
                                     "ERA_1970", "ERA_1980", "ERA_1990", "ERA_2000"};

// Calendar writes go straight into the clock; a value the clock cannot hold
// is refused, and the absolute hour follows the fields it is made of.
void SetClockField(int32_t CGameClock::*field, int32_t value, int32_t last, const char* name) {
  if (value < 0 || value > last) {
    ReportErrorF(1, "Calendar.%s: %d is out of range (0 to %d)", name, value, last);
    return;
  }
  CGameClock& c = GameClock();
  c.*field = value;
  c.absoluteHour = GetAbsoluteGameHour(c);
}

int32_t GetHour() { return GameClock().hour; }
int32_t GetYear() { return GameClock().yearInDecade; }
int32_t GetEra() { return GameClock().decade; }
void SetHour(int32_t v) { SetClockField(&CGameClock::hour, v, 23, "hour"); }
void SetYear(int32_t v) { SetClockField(&CGameClock::yearInDecade, v, 9, "year"); }
void SetEra(int32_t v) { SetClockField(&CGameClock::decade, v, kDecadeCount - 1, "era"); }

// No clock task of the scheduler is ever registered for it: nothing changes.
int CalendarSetFrequency(lua_State*) { return 0; }

int PlayerGetMoney(lua_State* state) {
  const CPlayer* local = PlayerTable().Local();
  lua_pushnumber(state, local != nullptr ? local->money : 0.0f);
  return 1;
}

// The player's paper wealth: cash and what its property is worth.
int PlayerGetWorth(lua_State* state) {
  const CPlayer* local = PlayerTable().Local();
  lua_pushnumber(state, local != nullptr ? PlayerData().GetPaperWealthForPlayer(local->index) : 0.0f);
  return 1;
}

// 1 for a string or a number in the last argument, 0 for nil or nothing.
bool RequestFlag(lua_State* state) {
  const int type = lua_type(state, lua_gettop(state));
  return lua_gettop(state) > 0 && (type == LUA_TSTRING || type == LUA_TNUMBER);
}

int GameSetLogos(lua_State* state) {
  PresentationRequests().logos = RequestFlag(state);
  return 0;
}

int GameSetCredits(lua_State* state) {
  PresentationRequests().credits = RequestFlag(state);
  return 0;
}

int GameStartFireworks(lua_State* state) {
  double preset = 0;
  if (!ArgNumber(state, lua_gettop(state), &preset) || preset < 0) {
    ReportError(1, 0, "Game.StartFireworks: the preset must be a number from 0");
    return 0;
  }
  PostGameEvent(FireworksEvent{TruncToInt32(preset)});
  return 0;
}

// Orders keys so that every state visits a table alike: numbers first by
// value, then strings by their bytes, then any other key by type name.
bool KeyBefore(lua_State* state, int a, int b) {
  const int ta = lua_type(state, a), tb = lua_type(state, b);
  if (ta != tb) {
    if (ta == LUA_TNUMBER) return true;
    if (tb == LUA_TNUMBER) return false;
    if (ta == LUA_TSTRING) return true;
    if (tb == LUA_TSTRING) return false;
    return ta < tb;
  }
  if (ta == LUA_TNUMBER) return lua_compare(state, a, b, LUA_OPLT) != 0;
  if (ta == LUA_TSTRING) {
    size_t la = 0, lb = 0;
    const char* sa = lua_tolstring(state, a, &la);
    const char* sb = lua_tolstring(state, b, &lb);
    return std::string_view(sa, la) < std::string_view(sb, lb);
  }
  return false;
}

// C_Iterate(table, function): calls function(key, value) for each entry whose
// value is a table, in sorted key order; the first result that is not nil is
// returned and the walk stops.
int NativeIterate(lua_State* state) {
  if (!lua_istable(state, 1) || !lua_isfunction(state, 2)) {
    ReportError(1, 0, "C_Iterate: a table and a function are needed");
    return 0;
  }
  lua_settop(state, 2);
  // Collect the keys of table-valued entries into a list at index 3.
  lua_newtable(state);
  int count = 0;
  lua_pushnil(state);
  while (lua_next(state, 1) != 0) {
    const bool table = lua_istable(state, -1);
    lua_pop(state, 1);
    if (table) {
      lua_pushvalue(state, -1);
      lua_rawseti(state, 3, ++count);
    }
  }
  // Insertion sort on the list (entries are few; no comparison can fail).
  for (int i = 2; i <= count; ++i) {
    lua_rawgeti(state, 3, i);  // the key being placed
    int j = i - 1;
    for (; j >= 1; --j) {
      lua_rawgeti(state, 3, j);
      const bool after = KeyBefore(state, -2, -1);
      if (!after) {
        lua_pop(state, 1);
        break;
      }
      lua_rawseti(state, 3, j + 1);
    }
    lua_rawseti(state, 3, j + 1);
  }
  for (int i = 1; i <= count; ++i) {
    lua_pushvalue(state, 2);
    lua_rawgeti(state, 3, i);
    lua_pushvalue(state, -1);
    lua_rawget(state, 1);
    if (!lua_istable(state, -1)) {  // the function changed the table meanwhile
      lua_pop(state, 3);
      continue;
    }
    lua_call(state, 2, 1);
    if (!lua_isnil(state, -1)) return 1;
    lua_pop(state, 1);
  }
  return 0;
}

}  // namespace

ScriptPresentationRequests& PresentationRequests() {
  static ScriptPresentationRequests requests;
  return requests;
}

int32_t& InitialCarCount() {
  static int32_t cars = 0;
  return cars;
}

void RegisterCalendarScriptTable(CScript& s) {
  s.CreateTable("Calendar");
  s.BindTableInt(GetHour, SetHour, "Calendar", "hour");
  s.BindTableInt(GetYear, SetYear, "Calendar", "year");
  s.BindTableInt(GetEra, SetEra, "Calendar", "era");
  s.RegisterTableFunction(CalendarSetFrequency, "Calendar", "SetFrequency");
  s.SetGlobalNumber(10, "GAME_MINUTE");
  s.SetGlobalNumber(625, "GAME_HOUR");
  s.SetGlobalNumber(15000, "GAME_YEAR");
  s.SetGlobalNumber(150000, "GAME_DECADE");
  for (int h = 0; h < 24; ++h) s.SetGlobalNumber(h, ("HOUR_" + std::to_string(h)).c_str());
  for (int y = 0; y < 10; ++y) s.SetGlobalNumber(y, ("YEAR_0" + std::to_string(y)).c_str());
  for (int e = 0; e < kDecadeCount; ++e) s.SetGlobalNumber(e, kEraNames[e]);
}

void RegisterPlayerScriptTable(CScript& s) {
  s.CreateTable("Player");
  s.RegisterTableFunction(PlayerGetMoney, "Player", "GetMoney");
  s.RegisterTableFunction(PlayerGetWorth, "Player", "GetWorth");
}

void RegisterGamePresentationFunctions(CScript& s) {
  s.RegisterTableFunction(GameSetLogos, "Game", "SetLogos");
  s.RegisterTableFunction(GameSetCredits, "Game", "SetCredits");
  s.RegisterTableFunction(GameStartFireworks, "Game", "StartFireworks");
  s.RegisterFunction(NativeIterate, "C_Iterate");
  s.BindTableInt(&InitialCarCount(), "InitialValue", "numcars");
}
