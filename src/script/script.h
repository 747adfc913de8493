#pragma once
// The script state: one embedded interpreter at a time, filled with every
// function and table that scripts may call (no standard library is opened),
// running the level scripts and carrying the event protocol between the
// program and the scripts.
//
// The program raises an event by name: it calls EVENTINITIALISE_<name> (when
// defined) and EVENT_<name> with one number. An EVENT_ function returns the
// number of logic ticks after which it wants to run again with the same
// argument, or 0 / nil to stop; the pending calls are counted down by the
// logic tick. CATCHEVENT_<name> functions are optional hooks.
//
// Program variables are bound into the state: a script that reads or writes
// a bound global or a member of a bound table reads or writes the program's
// own field, converted by the field's kind. Bound tables are empty proxies
// whose members live in a hidden store, so every access is seen.
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

#include <lua.hpp>

// The storage kind of a bound program variable.
// kIntAccessor is an int32 that its owner keeps behind a getter and a setter.
enum class BoundKind : uint8_t { kInt, kByte, kFloat, kBool, kString, kIntAccessor };
using IntGetter = int32_t (*)();
using IntSetter = void (*)(int32_t);

// The record behind a script object's `this`, so a method can never take a
// record of another class for its own.
enum class ScriptClass : int32_t { kNone = 0, kBlock, kBusinessInfo, kBusiness, kCommodity, kAiCharacter };

// A pending call of an EVENT_ function.
struct ScriptTimer {
  int function = 0;  // registry reference
  int32_t countdown = 0;
  int32_t argument = 0;
};

class CScript;
class CRandomStream;
using ScriptBinder = void (*)(CScript& script);

// The registration stages of a new state, in their order. Each subsystem adds
// the binders of its tables to its stage (AddScriptBinder); the scripting
// layer's own tables are always present.
enum class ScriptBindingStage : int {
  kGame = 0,      // Game, Random, Player, InitialValue, frequency tables, global functions
  kCamera,
  kCalendar,
  kInterface,     // Interface and Frontend
  kAi,            // AI character globals
  kBlock,         // Block with the block and building-kind constants
  kTweaks,
  kBusiness,      // BusinessInfo and Business with the business-kind constants
  kPeople,
  kCommodity,
  kBuildingInfo,
  kProfile,       // the player profile, last
  kCount
};
// Adds a binder to a stage (a binder already added is not added twice).
void AddScriptBinder(ScriptBindingStage stage, ScriptBinder binder);

class CScript {
 public:
  CScript() = default;
  ~CScript();
  CScript(const CScript&) = delete;
  CScript& operator=(const CScript&) = delete;

  // A fresh state with every binding registered; the previous state, its
  // globals and its pending events are gone. False when no state could be made.
  bool Create();
  // Closes the state (program end).
  void Destroy();
  lua_State* State() const { return state_; }

  // Runs a script file named for the path service. On failure with `report`:
  // the warning "Error running script %s" and the error text to _ALERT.
  bool RunFile(std::string_view path, bool report);
  // Runs script text (profile files, tests); the same reporting.
  bool RunText(std::string_view text, std::string_view chunkName, bool report);

  // Raises an event now (delay 0) or after `delay` logic ticks.
  void TriggerEvent(std::string_view name, int32_t delay, int32_t argument);
  // Calls CATCHEVENT_<name> when the script defines it; whether it did.
  bool CatchEvent(std::string_view name, int32_t argument);
  // One logic tick: counts the pending events down and calls those due.
  void TickTimers();
  // Drops every pending event.
  void ClearTimers();
  size_t TimerCount() const { return timers_.size(); }

  // ---- Registration (never triggers a script hook) ----
  void RegisterFunction(lua_CFunction function, const char* name);
  void CreateTable(const char* name);
  void CreateClassTable(const char* name);
  void SetGlobalNumber(double value, const char* name);
  void SetTableNumber(double value, const char* table, const char* name);
  void RegisterTableFunction(lua_CFunction function, const char* table, const char* name);

  void BindTableInt(int32_t* address, const char* table, const char* name);
  void BindTableByte(uint8_t* address, const char* table, const char* name);
  void BindTableByte(int32_t* address, const char* table, const char* name);
  void BindTableFloat(float* address, const char* table, const char* name);
  void BindTableBool(uint8_t* address, const char* table, const char* name);
  void BindTableBool(int32_t* address, const char* table, const char* name);
  void BindTableString(char* address, size_t capacity, const char* table, const char* name);
  void BindTableInt(IntGetter get, IntSetter set, const char* table, const char* name);
  template <size_t N>
  void BindTableString(char (&buffer)[N], const char* table, const char* name) {
    BindTableString(buffer, N, table, name);
  }

  void BindGlobalInt(int32_t* address, const char* name);
  void BindGlobalByte(uint8_t* address, const char* name);
  void BindGlobalFloat(float* address, const char* name);
  void BindGlobalBool(uint8_t* address, const char* name);
  void BindGlobalString(char* address, size_t capacity, const char* name);
  template <size_t N>
  void BindGlobalString(char (&buffer)[N], const char* name) {
    BindGlobalString(buffer, N, name);
  }

  // Member `this` of the table = the record (of the given class).
  void SetTableThis(void* object, ScriptClass cls, const char* table);
  // global[tableName][index] = a new bound table with a copy of every member of
  // the template.
  void InstantiateClassTable(const char* templateName, const char* tableName, int index);

  // The record of a method call: argument 1 must be an object of the class
  // (a call with `.` warns "Calling GetThis by using . instead of :"). Null
  // when it is not.
  static void* GetScriptThis(lua_State* state, ScriptClass cls);

  // Calls the function below `nargs` arguments on the stack, protected. On an
  // error the text goes to _ALERT and the results are nils. False on error.
  bool Call(int nargs, int nresults);

  // The latest error texts (at most kErrorLogSize), for tests and debugging.
  static constexpr size_t kErrorLogSize = 32;
  const std::vector<std::string>& ErrorLog() const { return errors_; }
  void ClearErrorLog() { errors_.clear(); }

  struct BoundValue;  // a bound program variable (the script layer's own)

 private:
  void BindValue(const BoundValue& value, const char* table, const char* name);
  bool PushGlobalTable(const char* name);
  void CloseState(lua_State* state);
  void ReleaseRetired();  // closes replaced states once no script runs
  void Log(std::string_view text);
  bool RunChunk(int loadStatus, std::string_view path, bool report);
  void DeliverError(const char* text);
  int32_t CallEvent(int argument);  // function on the top; result truncated
  void AddTimer(int32_t countdown, int32_t argument);
  void EnterCall();  // ++callDepth_, starting the instruction budget at the outermost
  static void CountHook(lua_State* state, lua_Debug* debug);

  lua_State* state_ = nullptr;
  std::list<ScriptTimer> timers_;
  uint32_t timerGeneration_ = 0;  // moves on whenever the list is cleared
  int callDepth_ = 0;
  uint32_t hookTicks_ = 0;  // count-hook calls since the outermost call began
  std::vector<lua_State*> retired_;  // replaced while a script ran; closed after
  std::vector<std::string> errors_;
  bool delivering_ = false;
};

// The program's one script state.
CScript& Script();

// The scripts' own random stream (Random.ZeroTo).
CRandomStream& ScriptRandom();
void RegisterScriptRandomStreams();
