#include "script/script.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/core/error.h"
#include "engine/core/play_warning.h"
#include "engine/core/random_stream.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "script/script_args.h"
#include "session/session_state.h"

namespace {

// Metatables standing for the kinds of script values the program makes.
constexpr const char* kBoundValueMeta = "rc.bound";     // a bound program variable
constexpr const char* kBoundTableMeta = "rc.table";     // a table of bound members (a proxy)
constexpr const char* kTemplateMeta = "rc.template";    // a class template (no hooks)
constexpr const char* kThisMeta = "rc.this";            // an object's record
// Registry fields.
constexpr const char* kStoresKey = "rc.stores";         // proxy -> its hidden store
constexpr const char* kGlobalStoreKey = "rc.globals";   // bound globals
constexpr const char* kScriptKey = "rc.script";         // the owning CScript

constexpr size_t kEventNameBuffer = 256;
constexpr long kMaxScriptFileBytes = 16L << 20;

struct ThisRecord {
  void* object;
  ScriptClass cls;
};

std::array<std::vector<ScriptBinder>, static_cast<size_t>(ScriptBindingStage::kCount)>& Binders() {
  static std::array<std::vector<ScriptBinder>, static_cast<size_t>(ScriptBindingStage::kCount)> binders;
  return binders;
}

CScript* OwnerOf(lua_State* state) {
  lua_getfield(state, LUA_REGISTRYINDEX, kScriptKey);
  auto* script = static_cast<CScript*>(lua_touserdata(state, -1));
  lua_pop(state, 1);
  // A state that was replaced while a script ran has no say any more.
  return script != nullptr && script->State() == state ? script : nullptr;
}

bool HasMetatable(lua_State* state, int index, const char* name) {
  if (!lua_getmetatable(state, index)) return false;
  luaL_getmetatable(state, name);
  const bool same = lua_rawequal(state, -1, -2);
  lua_pop(state, 2);
  return same;
}

// Pushes the hidden store of the proxy at `index` (nil when it has none).
void PushStore(lua_State* state, int index) {
  index = lua_absindex(state, index);
  lua_getfield(state, LUA_REGISTRYINDEX, kStoresKey);
  lua_pushvalue(state, index);
  lua_rawget(state, -2);
  lua_remove(state, -2);
}

// "error: <message>\n  <source: line n>\n" from the innermost script function
// on the call stack, starting at `level`.
std::string FormatScriptError(lua_State* state, const char* message, int level) {
  std::string text = "error: ";
  text += message != nullptr ? message : "(no message)";
  lua_Debug ar;
  for (; lua_getstack(state, level, &ar); ++level) {
    if (!lua_getinfo(state, "Sl", &ar)) break;
    if (std::strcmp(ar.what, "C") == 0) continue;
    if (ar.currentline > 0) {
      char where[128];
      std::snprintf(where, sizeof where, "\n  <%.70s: line %d>", ar.short_src, ar.currentline);
      text += where;
    }
    break;
  }
  text += "\n";
  return text;
}

int MessageHandler(lua_State* state) {
  const char* message = lua_tostring(state, 1);
  std::string fallback;
  if (message == nullptr) {
    fallback = std::string("(error object is a ") + luaL_typename(state, 1) + " value)";
    message = fallback.c_str();
  }
  const std::string text = FormatScriptError(state, message, 1);
  lua_pushlstring(state, text.data(), text.size());
  return 1;
}

}  // namespace

// ---- Bound values -----------------------------------------------------------

struct CScript::BoundValue {
  void* address = nullptr;
  uint32_t capacity = 0;  // strings: buffer size including the terminator
  BoundKind kind = BoundKind::kInt;
  uint8_t width = 4;      // bytes and flags may live in 1 or 4 bytes
  IntGetter get = nullptr;
  IntSetter set = nullptr;
};

namespace {

using BoundValue = CScript::BoundValue;

}  // namespace

namespace {

void PushBoundValue(lua_State* state, const CScript::BoundValue& v) {
  switch (v.kind) {
    case BoundKind::kInt:
      lua_pushinteger(state, *static_cast<const int32_t*>(v.address));
      break;
    case BoundKind::kByte:
      lua_pushinteger(state, v.width == 1 ? *static_cast<const uint8_t*>(v.address)
                                          : *static_cast<const int32_t*>(v.address));
      break;
    case BoundKind::kFloat:
      lua_pushnumber(state, *static_cast<const float*>(v.address));
      break;
    case BoundKind::kBool: {
      const bool on = v.width == 1 ? *static_cast<const uint8_t*>(v.address) != 0
                                   : *static_cast<const int32_t*>(v.address) != 0;
      lua_pushinteger(state, on ? 1 : 0);
      break;
    }
    case BoundKind::kIntAccessor:
      lua_pushinteger(state, v.get());
      break;
    case BoundKind::kString: {
      const char* text = static_cast<const char*>(v.address);
      lua_pushlstring(state, text, strnlen(text, v.capacity));
      break;
    }
  }
}

void WriteBoundValue(lua_State* state, const CScript::BoundValue& v, int index) {
  double number = 0;
  ArgNumber(state, index, &number);  // nil and non-numbers are 0
  switch (v.kind) {
    case BoundKind::kInt:
      *static_cast<int32_t*>(v.address) = TruncToInt32(number);
      break;
    case BoundKind::kByte: {
      const uint8_t low = static_cast<uint8_t>(static_cast<uint32_t>(TruncToInt32(number)) & 0xFFu);
      if (v.width == 1) {
        *static_cast<uint8_t*>(v.address) = low;
      } else {
        *static_cast<int32_t*>(v.address) = low;
      }
      break;
    }
    case BoundKind::kFloat: {
      float f = 0;
      if (std::isfinite(number)) f = static_cast<float>(std::clamp(number, -double(FLT_MAX), double(FLT_MAX)));
      *static_cast<float*>(v.address) = f;
      break;
    }
    case BoundKind::kBool: {
      const uint8_t on = number != 0 ? 1 : 0;
      if (v.width == 1) {
        *static_cast<uint8_t*>(v.address) = on;
      } else {
        *static_cast<int32_t*>(v.address) = on;
      }
      break;
    }
    case BoundKind::kIntAccessor:
      v.set(TruncToInt32(number));
      break;
    case BoundKind::kString: {
      std::string text;
      if (!ArgText(state, index, &text) || v.capacity == 0) break;
      // Longer text is cut to the field.
      const size_t n = std::min<size_t>(text.size(), v.capacity - 1);
      char* buffer = static_cast<char*>(v.address);
      std::memcpy(buffer, text.data(), n);
      buffer[n] = '\0';
      break;
    }
  }
}

const CScript::BoundValue* ToBoundValue(lua_State* state, int index) {
  return static_cast<const CScript::BoundValue*>(luaL_testudata(state, index, kBoundValueMeta));
}

}  // namespace

namespace {


// __index of a bound table: (proxy, key).
int BoundTableGet(lua_State* state) {
  PushStore(state, 1);
  if (!lua_istable(state, -1)) return 0;
  lua_pushvalue(state, 2);
  lua_rawget(state, -2);
  if (const BoundValue* v = ToBoundValue(state, -1)) {
    PushBoundValue(state, *v);
    return 1;
  }
  if (lua_isfunction(state, -1) || (lua_istable(state, -1) && HasMetatable(state, -1, kBoundTableMeta))) {
    return 1;
  }
  ReportError(1, 0, "Invalid member");
  return 1;  // the raw value (nil for a missing member)
}

// __newindex of a bound table: (proxy, key, value).
int BoundTableSet(lua_State* state) {
  PushStore(state, 1);
  const BoundValue* v = nullptr;
  if (lua_istable(state, -1)) {
    lua_pushvalue(state, 2);
    lua_rawget(state, -2);
    v = ToBoundValue(state, -1);
  }
  if (v != nullptr) {
    WriteBoundValue(state, *v, 3);
  } else {
    ReportErrorF(1, "Invalid member : %s", KeyText(state, 2).c_str());
  }
  return 0;
}

// __index of the globals: only bound globals are found here; any other
// missing global is nil, silently.
int GlobalGet(lua_State* state) {
  lua_getfield(state, LUA_REGISTRYINDEX, kGlobalStoreKey);
  lua_pushvalue(state, 2);
  lua_rawget(state, -2);
  if (const BoundValue* v = ToBoundValue(state, -1)) {
    PushBoundValue(state, *v);
    return 1;
  }
  lua_pushnil(state);
  return 1;
}

// __newindex of the globals: a bound global takes the value into its field;
// any other name becomes an ordinary global.
int GlobalSet(lua_State* state) {
  lua_getfield(state, LUA_REGISTRYINDEX, kGlobalStoreKey);
  lua_pushvalue(state, 2);
  lua_rawget(state, -2);
  if (const BoundValue* v = ToBoundValue(state, -1)) {
    WriteBoundValue(state, *v, 3);
    return 0;
  }
  lua_settop(state, 3);
  lua_rawset(state, 1);
  return 0;
}

// ---- Native globals ----

int NativeErrorMessage(lua_State* state) {
  lua_getglobal(state, "_ALERT");
  if (!lua_isfunction(state, -1)) return 0;
  const char* message = lua_tostring(state, 1);
  const std::string text = FormatScriptError(state, message != nullptr ? message : "", 1);
  lua_pushlstring(state, text.data(), text.size());
  if (lua_pcall(state, 1, 0, 0) != LUA_OK) lua_pop(state, 1);
  return 0;
}

int NativeAlert(lua_State* state) {
  std::string text;
  if (ArgText(state, 1, &text)) ReportError(1, 0, text.c_str());
  return 0;
}

int NativeDebugPrint(lua_State*) { return 0; }

bool EventName(lua_State* state, int index, const char* function, std::string* name) {
  if (lua_type(state, index) == LUA_TSTRING) {
    *name = lua_tostring(state, index);
    return true;
  }
  ReportErrorF(1, "%s: the event name must be a string", function);
  return false;
}

int NativeTriggerEvent(lua_State* state) {
  CScript* script = OwnerOf(state);
  std::string name;
  if (script == nullptr || !EventName(state, 1, "C_TriggerEvent", &name)) return 0;
  script->TriggerEvent(name, ArgInt(state, 2, 0), ArgInt(state, 3, 0));
  return 0;
}

int NativeTriggerEventAbsolute(lua_State* state) {
  CScript* script = OwnerOf(state);
  std::string name;
  if (script == nullptr || !EventName(state, 1, "C_TriggerEventAbsolute", &name)) return 0;
  const int64_t delay = int64_t{ArgInt(state, 2, 0)} - int64_t{LogicTick()};
  if (delay < 0 || delay > INT32_MAX) return 0;  // a tick already past does nothing
  script->TriggerEvent(name, static_cast<int32_t>(delay), ArgInt(state, 3, 0));
  return 0;
}

int NativeRunScript(lua_State* state) {
  CScript* script = OwnerOf(state);
  std::string path;
  if (script == nullptr || !ArgText(state, lua_gettop(state), &path)) return 0;
  script->RunFile(path, true);
  return 0;
}

// Registration inside a protected call, so running out of memory while the
// state is filled is reported rather than fatal.
int RegisterEverything(lua_State* state) {
  auto* script = static_cast<CScript*>(lua_touserdata(state, 1));
  lua_pushlightuserdata(state, script);
  lua_setfield(state, LUA_REGISTRYINDEX, kScriptKey);

  // The kinds of values: bound variables, bound tables, class templates, `this`.
  luaL_newmetatable(state, kBoundValueMeta);
  luaL_newmetatable(state, kBoundTableMeta);
  lua_pushcfunction(state, BoundTableGet);
  lua_setfield(state, -2, "__index");
  lua_pushcfunction(state, BoundTableSet);
  lua_setfield(state, -2, "__newindex");
  luaL_newmetatable(state, kTemplateMeta);
  luaL_newmetatable(state, kThisMeta);
  lua_pop(state, 4);

  lua_newtable(state);  // proxy -> store, weak in its keys
  lua_newtable(state);
  lua_pushliteral(state, "k");
  lua_setfield(state, -2, "__mode");
  lua_setmetatable(state, -2);
  lua_setfield(state, LUA_REGISTRYINDEX, kStoresKey);
  lua_newtable(state);
  lua_setfield(state, LUA_REGISTRYINDEX, kGlobalStoreKey);

  lua_pushglobaltable(state);
  lua_newtable(state);
  lua_pushcfunction(state, GlobalGet);
  lua_setfield(state, -2, "__index");
  lua_pushcfunction(state, GlobalSet);
  lua_setfield(state, -2, "__newindex");
  lua_setmetatable(state, -2);
  lua_pop(state, 1);

  script->RegisterFunction(NativeErrorMessage, "_ERRORMESSAGE");
  script->RegisterFunction(NativeAlert, "_ALERT");
  script->RegisterFunction(NativeDebugPrint, "C_DebugPrint");
  script->RegisterFunction(NativeTriggerEvent, "C_TriggerEvent");
  script->RegisterFunction(NativeTriggerEventAbsolute, "C_TriggerEventAbsolute");
  script->RegisterFunction(NativeRunScript, "C_RunScript");
  script->SetGlobalNumber(1, "TRUE");  // FALSE stays nil

  for (const auto& stage : Binders()) {
    for (ScriptBinder binder : stage) binder(*script);
  }
  return 0;
}

}  // namespace

void RegisterDefaultScriptBinders();  // the scripting layer's own tables

void AddScriptBinder(ScriptBindingStage stage, ScriptBinder binder) {
  const auto i = static_cast<size_t>(stage);
  if (i >= Binders().size() || binder == nullptr) return;
  auto& list = Binders()[i];
  if (std::find(list.begin(), list.end(), binder) == list.end()) list.push_back(binder);
}

// ---- State life -------------------------------------------------------------

CScript::~CScript() { Destroy(); }

namespace {

// Every script call is bounded: a count hook runs every kHookInstructions
// instructions and stops the call with a script error once it has run
// kMaxHookTicks times since the outermost call began (an endless loop in a
// hub, a handler or a profile file would otherwise hang the game for good),
// or as soon as the game is asked to close, so SIGTERM and SIGINT still end it.
constexpr int kHookInstructions = 10000;
constexpr uint32_t kMaxHookTicks = 10000;  // 100 million instructions

// The instruction budget does not bound memory: one instruction can double a
// string. Each state allocates through a counter that refuses to pass this,
// so a runaway script fails with Lua's "not enough memory" as a script error
// instead of taking the machine's memory. The game's own scripts use a few MB.
constexpr size_t kScriptMemoryLimit = size_t{64} << 20;

struct ScriptMemory {
  size_t used = 0;
};

void* LimitedAlloc(void* ud, void* block, size_t oldSize, size_t newSize) {
  auto* memory = static_cast<ScriptMemory*>(ud);
  const size_t old = block != nullptr ? oldSize : 0;  // else oldSize names a type
  if (newSize == 0) {
    std::free(block);
    memory->used -= old;
    return nullptr;
  }
  if (newSize > old && newSize - old > kScriptMemoryLimit - memory->used) return nullptr;
  void* moved = std::realloc(block, newSize);
  if (moved != nullptr) memory->used = memory->used - old + newSize;
  return moved;
}

lua_State* NewLimitedState() {
  auto* memory = new ScriptMemory;
  lua_State* state = lua_newstate(LimitedAlloc, memory);
  if (state == nullptr) delete memory;
  return state;
}

void CloseLimitedState(lua_State* state) {
  void* memory = nullptr;
  lua_getallocf(state, &memory);
  lua_close(state);
  delete static_cast<ScriptMemory*>(memory);
}

}  // namespace

void CScript::CountHook(lua_State* state, lua_Debug*) {
  CScript* script = *static_cast<CScript**>(lua_getextraspace(state));
  if (platform::CloseRequestPending()) luaL_error(state, "script stopped: the game is closing");
  if (script != nullptr && ++script->hookTicks_ > kMaxHookTicks)
    luaL_error(state, "script stopped: it ran too long (an endless loop?)");
}

void CScript::EnterCall() {
  if (callDepth_++ == 0) hookTicks_ = 0;
}

void CScript::CloseState(lua_State* state) {
  if (state == nullptr) return;
  if (callDepth_ > 0) {
    retired_.push_back(state);  // still running: closed when the outermost call returns
  } else {
    CloseLimitedState(state);
  }
}

void CScript::ReleaseRetired() {
  if (callDepth_ > 0) return;
  for (lua_State* old : retired_) CloseLimitedState(old);
  retired_.clear();
}

void CScript::Log(std::string_view text) {
  if (errors_.size() >= kErrorLogSize) errors_.erase(errors_.begin());
  errors_.emplace_back(text);
}

void CScript::Destroy() {
  ClearTimers();
  CloseState(state_);
  state_ = nullptr;
  ReleaseRetired();
}

bool CScript::Create() {
  ReleaseRetired();
  RegisterDefaultScriptBinders();
  ClearTimers();
  CloseState(state_);
  state_ = NewLimitedState();
  if (state_ == nullptr) {
    ReportError(1, 0, "Unable to create the script state");
    return false;
  }
  *static_cast<CScript**>(lua_getextraspace(state_)) = this;
  lua_sethook(state_, CountHook, LUA_MASKCOUNT, kHookInstructions);
  hookTicks_ = 0;
  lua_pushcfunction(state_, RegisterEverything);
  lua_pushlightuserdata(state_, this);
  if (lua_pcall(state_, 1, 0, 0) != LUA_OK) {
    ReportErrorF(1, "Unable to fill the script state: %s", lua_tostring(state_, -1));
    CloseLimitedState(state_);
    state_ = nullptr;
    return false;
  }
  return true;
}

// ---- Calls ------------------------------------------------------------------

void CScript::DeliverError(const char* text) {
  Log(text);
  lua_State* state = state_;
  if (state == nullptr || delivering_) return;
  const int top = lua_gettop(state);
  lua_getglobal(state, "_ALERT");
  if (lua_isfunction(state, -1)) {
    delivering_ = true;
    lua_pushstring(state, text);
    EnterCall();
    if (lua_pcall(state, 1, 0, 0) != LUA_OK) {
      Log(lua_tostring(state, -1) != nullptr ? lua_tostring(state, -1) : "_ALERT failed");
    }
    --callDepth_;
    delivering_ = false;
  }
  lua_settop(state, top);
}

bool CScript::Call(int nargs, int nresults) {
  lua_State* state = state_;
  if (state == nullptr) return false;
  const int base = lua_gettop(state) - nargs;  // the function's slot
  lua_pushcfunction(state, MessageHandler);
  lua_insert(state, base);
  EnterCall();
  const int status = lua_pcall(state, nargs, nresults, base);
  --callDepth_;
  lua_remove(state, base);
  bool ok = status == LUA_OK;
  if (!ok) {
    const char* text = lua_tostring(state, -1);
    const std::string copy = text != nullptr ? text : "error: (unknown)\n";
    lua_pop(state, 1);
    // Errors of a state that has been replaced meanwhile are only logged.
    if (state == state_) {
      DeliverError(copy.c_str());
    } else {
      Log(copy);
    }
    if (nresults > 0) {
      for (int i = 0; i < nresults; ++i) lua_pushnil(state);
    }
  }
  return ok;
}

bool CScript::RunChunk(int loadStatus, std::string_view path, bool report) {
  lua_State* state = state_;
  const int top = lua_gettop(state) - 1;  // below the chunk (or the load error)
  std::string error;
  bool ok = false;
  if (loadStatus == LUA_OK) {
    const int base = lua_gettop(state);
    lua_pushcfunction(state, MessageHandler);
    lua_insert(state, base);
    EnterCall();
    ok = lua_pcall(state, 0, 0, base) == LUA_OK;
    --callDepth_;
    if (!ok) error = lua_tostring(state, -1) != nullptr ? lua_tostring(state, -1) : "error: (unknown)\n";
  } else {
    const char* message = lua_tostring(state, -1);
    error = std::string("error: ") + (message != nullptr ? message : "(unknown)") + "\n";
  }
  lua_settop(state, top);
  if (!ok && report && state == state_) {
    ReportErrorF(1, "Error running script %.*s", static_cast<int>(std::min<size_t>(path.size(), 400)), path.data());
    DeliverError(error.c_str());
  } else if (!ok) {
    Log(error);
  }
  return ok;
}

bool CScript::RunText(std::string_view text, std::string_view chunkName, bool report) {
  ReleaseRetired();
  if (state_ == nullptr) return false;
  const std::string name = "=" + std::string(chunkName);
  const int status = luaL_loadbufferx(state_, text.data(), text.size(), name.c_str(), "t");
  return RunChunk(status, chunkName, report);
}

bool CScript::RunFile(std::string_view path, bool report) {
  ReleaseRetired();
  if (state_ == nullptr) return false;
  std::string text;
  bool readable = false;
  if (std::FILE* file = platform::OpenGameFile(path, "rb")) {
    char buffer[8192];
    size_t n = 0;
    readable = true;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
      text.append(buffer, n);
      if (static_cast<long>(text.size()) > kMaxScriptFileBytes) {
        readable = false;
        break;
      }
    }
    std::fclose(file);
  }
  int status = LUA_ERRFILE;
  if (readable) {
    const std::string name = "@" + std::string(path);
    status = luaL_loadbufferx(state_, text.data(), text.size(), name.c_str(), "t");
  } else {
    lua_pushfstring(state_, "cannot open %s", std::string(path).c_str());
  }
  return RunChunk(status, path, report);
}

// ---- Events -----------------------------------------------------------------

namespace {

std::string EventFunctionName(const char* prefix, std::string_view name) {
  std::string text = prefix;
  text.append(name.substr(0, kEventNameBuffer - 1 - text.size()));
  return text;
}

}  // namespace

int32_t CScript::CallEvent(int argument) {
  lua_State* state = state_;
  lua_pushinteger(state, argument);
  Call(1, 1);
  double result = 0;
  if (lua_type(state, -1) == LUA_TNUMBER || lua_type(state, -1) == LUA_TSTRING) ArgNumber(state, -1, &result);
  lua_pop(state, 1);
  return TruncToInt32(result);
}

void CScript::AddTimer(int32_t countdown, int32_t argument) {
  const int function = luaL_ref(state_, LUA_REGISTRYINDEX);
  timers_.push_back(ScriptTimer{function, countdown, argument});
}

void CScript::TriggerEvent(std::string_view name, int32_t delay, int32_t argument) {
  ReleaseRetired();
  lua_State* state = state_;
  if (state == nullptr) return;
  const int top = lua_gettop(state);

  lua_getglobal(state, EventFunctionName("EVENTINITIALISE_", name).c_str());
  if (lua_isfunction(state, -1)) {
    lua_pushinteger(state, argument);
    Call(1, 0);
  }
  lua_settop(state, top);
  if (state_ != state) return;  // the initialiser replaced the state

  lua_getglobal(state, EventFunctionName("EVENT_", name).c_str());
  if (!lua_isfunction(state, -1)) {
    ReportPerFileF(1, "missing event function", "the level's scripts", "Unable to find event function for %.*s",
                   static_cast<int>(std::min<size_t>(name.size(), 200)), name.data());
    lua_settop(state, top);
    return;
  }
  if (delay != 0) {
    AddTimer(delay, argument);
  } else {
    lua_pushvalue(state, -1);
    const int32_t again = CallEvent(argument);
    if (state_ == state && again != 0) AddTimer(again, argument);
  }
  lua_settop(state, top);
}

bool CScript::CatchEvent(std::string_view name, int32_t argument) {
  ReleaseRetired();
  lua_State* state = state_;
  if (state == nullptr) return false;
  const int top = lua_gettop(state);
  lua_getglobal(state, EventFunctionName("CATCHEVENT_", name).c_str());
  const bool found = lua_isfunction(state, -1);
  if (found) {
    lua_pushinteger(state, argument);
    Call(1, 0);
  }
  lua_settop(state, top);
  return found;
}

void CScript::TickTimers() {
  ReleaseRetired();
  lua_State* state = state_;
  if (state == nullptr) return;
  const uint32_t generation = timerGeneration_;
  auto it = timers_.begin();
  while (it != timers_.end()) {
    const auto next = std::next(it);  // read before the call: see the walk rule
    if (it->countdown < 0) {          // a negative delay never falls due
      it = next;
      continue;
    }
    if (--it->countdown != 0) {
      it = next;
      continue;
    }
    const int top = lua_gettop(state);
    lua_rawgeti(state, LUA_REGISTRYINDEX, it->function);
    if (!lua_isfunction(state, -1)) {
      lua_settop(state, top);
      break;
    }
    const int32_t again = CallEvent(it->argument);
    lua_settop(state, top);
    if (timerGeneration_ != generation || state_ != state) return;  // cleared or replaced meanwhile
    it->countdown = again;
    if (again == 0) {
      luaL_unref(state, LUA_REGISTRYINDEX, it->function);
      timers_.erase(it);
    }
    it = next;
  }
}

void CScript::ClearTimers() {
  if (state_ != nullptr) {
    for (const ScriptTimer& t : timers_) luaL_unref(state_, LUA_REGISTRYINDEX, t.function);
  }
  timers_.clear();
  ++timerGeneration_;
}

// ---- Registration -----------------------------------------------------------

bool CScript::PushGlobalTable(const char* name) {
  lua_pushglobaltable(state_);
  lua_pushstring(state_, name);
  lua_rawget(state_, -2);
  lua_remove(state_, -2);
  if (lua_istable(state_, -1)) {
    if (HasMetatable(state_, -1, kBoundTableMeta)) {
      PushStore(state_, -1);
      lua_remove(state_, -2);
    }
    return true;
  }
  lua_pop(state_, 1);
  ReportErrorF(1, "No script table %s to register into", name);
  return false;
}

namespace {

// Pushes a new proxy with its own hidden store.
void PushNewBoundTable(lua_State* state) {
  lua_newtable(state);
  luaL_setmetatable(state, kBoundTableMeta);
  lua_getfield(state, LUA_REGISTRYINDEX, kStoresKey);
  lua_pushvalue(state, -2);
  lua_newtable(state);
  lua_rawset(state, -3);
  lua_pop(state, 1);
}

// global[name] = the value on the top (popped), without the globals' hooks.
void SetRawGlobal(lua_State* state, const char* name) {
  lua_pushglobaltable(state);
  lua_pushstring(state, name);
  lua_pushvalue(state, -3);
  lua_rawset(state, -3);
  lua_pop(state, 2);
}

}  // namespace

void CScript::RegisterFunction(lua_CFunction function, const char* name) {
  lua_pushcfunction(state_, function);
  SetRawGlobal(state_, name);
}


void CScript::CreateTable(const char* name) {
  PushNewBoundTable(state_);
  SetRawGlobal(state_, name);
}

void CScript::CreateClassTable(const char* name) {
  lua_newtable(state_);
  luaL_setmetatable(state_, kTemplateMeta);
  SetRawGlobal(state_, name);
}

void CScript::SetGlobalNumber(double value, const char* name) {
  lua_pushnumber(state_, value);
  if (value == std::trunc(value) && std::fabs(value) < 9e15) {
    lua_pop(state_, 1);
    lua_pushinteger(state_, static_cast<lua_Integer>(value));
  }
  SetRawGlobal(state_, name);
}

void CScript::SetTableNumber(double value, const char* table, const char* name) {
  if (!PushGlobalTable(table)) return;
  if (value == std::trunc(value) && std::fabs(value) < 9e15) {
    lua_pushinteger(state_, static_cast<lua_Integer>(value));
  } else {
    lua_pushnumber(state_, value);
  }
  lua_setfield(state_, -2, name);
  lua_pop(state_, 1);
}

void CScript::RegisterTableFunction(lua_CFunction function, const char* table, const char* name) {
  if (!PushGlobalTable(table)) return;
  lua_pushcfunction(state_, function);
  lua_setfield(state_, -2, name);
  lua_pop(state_, 1);
}

void CScript::BindValue(const BoundValue& value, const char* table, const char* name) {
  if (table != nullptr) {
    if (!PushGlobalTable(table)) return;
  } else {
    lua_getfield(state_, LUA_REGISTRYINDEX, kGlobalStoreKey);
    // A bound global must not also be a plain global, or the hooks never see it.
    lua_pushnil(state_);
    SetRawGlobal(state_, name);
  }
  auto* v = static_cast<BoundValue*>(lua_newuserdatauv(state_, sizeof(BoundValue), 0));
  *v = value;
  luaL_setmetatable(state_, kBoundValueMeta);
  lua_setfield(state_, -2, name);
  lua_pop(state_, 1);
}

void CScript::BindTableInt(int32_t* a, const char* t, const char* n) { BindValue({a, 0, BoundKind::kInt, 4}, t, n); }
void CScript::BindTableByte(uint8_t* a, const char* t, const char* n) { BindValue({a, 0, BoundKind::kByte, 1}, t, n); }
void CScript::BindTableByte(int32_t* a, const char* t, const char* n) { BindValue({a, 0, BoundKind::kByte, 4}, t, n); }
void CScript::BindTableFloat(float* a, const char* t, const char* n) { BindValue({a, 0, BoundKind::kFloat, 4}, t, n); }
void CScript::BindTableBool(uint8_t* a, const char* t, const char* n) { BindValue({a, 0, BoundKind::kBool, 1}, t, n); }
void CScript::BindTableBool(int32_t* a, const char* t, const char* n) { BindValue({a, 0, BoundKind::kBool, 4}, t, n); }
void CScript::BindTableString(char* a, size_t capacity, const char* t, const char* n) {
  BindValue({a, static_cast<uint32_t>(capacity), BoundKind::kString, 1}, t, n);
}
void CScript::BindTableInt(IntGetter get, IntSetter set, const char* t, const char* n) {
  if (get == nullptr || set == nullptr) return;
  BindValue({nullptr, 0, BoundKind::kIntAccessor, 4, get, set}, t, n);
}
void CScript::BindGlobalInt(int32_t* a, const char* n) { BindValue({a, 0, BoundKind::kInt, 4}, nullptr, n); }
void CScript::BindGlobalByte(uint8_t* a, const char* n) { BindValue({a, 0, BoundKind::kByte, 1}, nullptr, n); }
void CScript::BindGlobalFloat(float* a, const char* n) { BindValue({a, 0, BoundKind::kFloat, 4}, nullptr, n); }
void CScript::BindGlobalBool(uint8_t* a, const char* n) { BindValue({a, 0, BoundKind::kBool, 1}, nullptr, n); }
void CScript::BindGlobalString(char* a, size_t capacity, const char* n) {
  BindValue({a, static_cast<uint32_t>(capacity), BoundKind::kString, 1}, nullptr, n);
}

void CScript::SetTableThis(void* object, ScriptClass cls, const char* table) {
  if (!PushGlobalTable(table)) return;
  auto* record = static_cast<ThisRecord*>(lua_newuserdatauv(state_, sizeof(ThisRecord), 0));
  *record = ThisRecord{object, cls};
  luaL_setmetatable(state_, kThisMeta);
  lua_setfield(state_, -2, "this");
  lua_pop(state_, 1);
}

void CScript::InstantiateClassTable(const char* templateName, const char* tableName, int index) {
  if (!PushGlobalTable(templateName)) return;
  if (!PushGlobalTable(tableName)) {
    lua_pop(state_, 1);
    return;
  }
  PushNewBoundTable(state_);  // template, target, proxy
  PushStore(state_, -1);      // template, target, proxy, store
  // A copy of every member: the result does not depend on the visiting order.
  lua_pushnil(state_);
  while (lua_next(state_, -5) != 0) {
    lua_pushvalue(state_, -2);
    lua_insert(state_, -2);
    lua_rawset(state_, -4);
  }
  lua_pop(state_, 1);
  lua_rawseti(state_, -2, index);
  lua_pop(state_, 2);
}

void* CScript::GetScriptThis(lua_State* state, ScriptClass cls) {
  if (!lua_istable(state, 1)) {
    ReportError(1, 0, "Calling GetThis by using . instead of :");
    return nullptr;
  }
  const int top = lua_gettop(state);
  if (HasMetatable(state, 1, kBoundTableMeta)) {
    PushStore(state, 1);
  } else {
    lua_pushvalue(state, 1);
  }
  void* object = nullptr;
  if (lua_istable(state, -1)) {
    lua_getfield(state, -1, "this");  // the store and templates have no hooks
    const auto* record = static_cast<const ThisRecord*>(luaL_testudata(state, -1, kThisMeta));
    if (record != nullptr && record->cls == cls) {
      object = record->object;
    } else {
      ReportError(1, 0, "Method called on an object of another kind");
    }
  }
  lua_settop(state, top);
  return object;
}

// ---- The program's instance --------------------------------------------------

CScript& Script() {
  static CScript script;
  return script;
}

CRandomStream& ScriptRandom() {
  static CRandomStream stream;
  return stream;
}

void RegisterScriptRandomStreams() { ScriptRandom(); }
