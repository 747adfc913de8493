#pragma once
// Reading the arguments of native functions called by scripts. Numbers are
// truncated toward zero (and held inside the int32 range); numeric strings
// count as numbers; a boolean counts as 1 or 0, so scripts may pass either
// TRUE/FALSE or true/false.
#include <cstdint>
#include <string>

#include <lua.hpp>

#include "engine/core/maths.h"  // TruncToInt32
// The number at a stack index; false (and 0) for nil, tables, functions,
// userdata and strings that are not numbers.
bool ArgNumber(lua_State* state, int index, double* out);
double ArgDouble(lua_State* state, int index, double fallback);
int32_t ArgInt(lua_State* state, int index, int32_t fallback);
// Text of a string or number argument; false for anything else.
bool ArgText(lua_State* state, int index, std::string* out);
// A short printable form of a key for warnings.
std::string KeyText(lua_State* state, int index);
