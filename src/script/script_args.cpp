#include "script/script_args.h"

#include <cmath>
#include <cstdio>

bool ArgNumber(lua_State* state, int index, double* out) {
  *out = 0;
  if (lua_isboolean(state, index)) {
    *out = lua_toboolean(state, index) ? 1.0 : 0.0;
    return true;
  }
  int ok = 0;
  double v = lua_tonumberx(state, index, &ok);
  if (!ok) return false;
  *out = v;
  return true;
}

double ArgDouble(lua_State* state, int index, double fallback) {
  double v = 0;
  return ArgNumber(state, index, &v) ? v : fallback;
}

int32_t ArgInt(lua_State* state, int index, int32_t fallback) {
  double v = 0;
  return ArgNumber(state, index, &v) ? TruncToInt32(v) : fallback;
}

bool ArgText(lua_State* state, int index, std::string* out) {
  const int type = lua_type(state, index);
  if (type == LUA_TSTRING) {
    size_t length = 0;
    const char* text = lua_tolstring(state, index, &length);
    out->assign(text, length);
    return true;
  }
  if (type != LUA_TNUMBER) return false;
  char buffer[64];
  if (lua_isinteger(state, index)) {
    std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(lua_tointeger(state, index)));
  } else {
    std::snprintf(buffer, sizeof buffer, "%.14g", lua_tonumber(state, index));
  }
  out->assign(buffer);
  return true;
}

std::string KeyText(lua_State* state, int index) {
  std::string text;
  if (ArgText(state, index, &text)) return text.substr(0, 200);
  return std::string("(") + luaL_typename(state, index) + ")";
}
