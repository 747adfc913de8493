// The scripts' part of the session rules: the objective and the difficulty
// (Game), the level registrations (Frontend), the forced auction moves
// (Interface) and the start of an auction on a block (Game.StartAuction).
#include <string>

#include "engine/core/error.h"
#include "script/interface_bindings.h"
#include "script/script.h"
#include "script/script_args.h"
#include "script/script_bindings.h"
#include "session/auction.h"
#include "session/game_messages.h"
#include "session/goals.h"
#include "session/scenarios.h"

namespace {

// Game.SetObjective(kind, target [, flag]).
int GameSetObjective(lua_State* state) {
  double kind = 0, target = 0, flag = 0;
  if (!ArgNumber(state, 1, &kind) || !ArgNumber(state, 2, &target)) return 0;
  const int32_t rule = ArgNumber(state, 3, &flag) ? (flag != 0) : -1;
  SetObjective(TruncToInt32(kind), static_cast<float>(target), rule);
  return 0;
}

int GameGetDifficulty(lua_State* state) {
  lua_pushinteger(state, ScenarioManager().Difficulty());
  return 1;
}

int GameGetObjectiveTarget(lua_State* state) {
  const ScenarioEntry* level = ScenarioManager().Current();
  lua_pushinteger(state, level ? level->value : 0);
  return 1;
}

// Game.StartAuction(block [, opening value]): the city puts the block up.
int GameStartAuction(lua_State* state) {
  double block = 0;
  if (!ArgNumber(state, 1, &block)) return 0;
  const int32_t index = TruncToInt32(block);
  if (index < 0 || index >= kBlockCount) return 0;
  Post(StartAuctionMsg{BlockId{index}, PlayerIndex{-1}, ArgInt(state, 2, 0), {}});
  return 0;
}

// A level's display text: a text id (which the bank must hold) or the text
// itself.
bool LevelText(lua_State* state, int index, int32_t level, std::string* out) {
  if (lua_type(state, index) == LUA_TNUMBER && !ScriptTextIdExists(ArgInt(state, index, 0))) {
    ReportErrorF(1, "Frontend.RegisterLevel: level %d names text %d, which does not exist", level,
                 ArgInt(state, index, 0));
    return false;
  }
  ArgText(state, index, out);
  return true;
}

// Frontend.RegisterLevel(id, folder, display name, description).
int FrontendRegisterLevel(lua_State* state) {
  double id = 0;
  std::string folder, name, description;
  if (!ArgNumber(state, 1, &id) || !ArgText(state, 2, &folder)) {
    ReportError(1, 0, "Frontend.RegisterLevel: an id and a folder are needed");
    return 0;
  }
  const int32_t level = TruncToInt32(id);
  if (!LevelText(state, 3, level, &name) || !LevelText(state, 4, level, &description)) return 0;
  if (ScenarioManager().RegisterLevel(level, name.c_str(), folder.c_str(), description.c_str()) == nullptr)
    ReportErrorF(1, "Frontend.RegisterLevel: level id %d is refused", level);
  return 0;
}

// Frontend.RegisterLevel_Id(id, folder, value, flag value).
int FrontendRegisterLevelId(lua_State* state) {
  double id = 0;
  std::string folder;
  if (!ArgNumber(state, 1, &id) || !ArgText(state, 2, &folder)) return 0;
  ScenarioManager().RegisterLevelId(TruncToInt32(id), ArgInt(state, 3, 0), folder.c_str(), ArgInt(state, 4, 0));
  return 0;
}

int InterfaceForcePlayerToBid(lua_State* state) {
  double player = 0;
  if (ArgNumber(state, 1, &player)) ForceAuctionBid(TruncToInt32(player), ArgInt(state, 2, 0));
  return 0;
}

int InterfaceForcePlayerToPass(lua_State* state) {
  double player = 0;
  if (ArgNumber(state, 1, &player)) PostAuctionPass(TruncToInt32(player));
  return 0;
}

// Game.GetGoalValue(): the goal the host page chose for the level being
// played, 0 when the level keeps its own.
int GameGetGoalValue(lua_State* state) {
  const ScenarioEntry* e = ScenarioManager().Current();
  lua_pushnumber(state, e ? e->goalValue : 0.0);
  return 1;
}

int InterfaceForcePlayerToPullOut(lua_State* state) {
  double player = 0;
  if (ArgNumber(state, 1, &player)) PostAuctionPullOut(TruncToInt32(player));
  return 0;
}

void RegisterGameRules(CScript& s) {
  s.RegisterTableFunction(GameSetObjective, "Game", "SetObjective");
  s.RegisterTableFunction(GameGetDifficulty, "Game", "GetDifficulty");
  s.RegisterTableFunction(GameGetGoalValue, "Game", "GetGoalValue");
  s.RegisterTableFunction(GameGetObjectiveTarget, "Game", "GetObjectiveTarget");
  s.RegisterTableFunction(GameStartAuction, "Game", "StartAuction");
  static constexpr const char* kObjectives[] = {
      "OBJECTIVE_NONE",          "OBJECTIVE_FIRST_TO_BE_MAYOR",    "OBJECTIVE_WEAKEST_LINK",
      "OBJECTIVE_PROFIT",        "OBJECTIVE_PAPERWEALTH_BY_DATE", "OBJECTIVE_PAPERWEALTH_BY_AMOUNT",
      "OBJECTIVE_SALES"};
  for (int i = 0; i < 7; ++i) s.SetGlobalNumber(i, kObjectives[i]);
  s.SetGlobalNumber(0, "DIFFICULTY_EASY");
  s.SetGlobalNumber(1, "DIFFICULTY_MEDIUM");
  s.SetGlobalNumber(2, "DIFFICULTY_HARD");
  // The interface's tables exist before any stage registers into them.
  s.CreateTable("Frontend");
  s.CreateTable("Interface");
}

void RegisterInterfaceRules(CScript& s) {
  s.RegisterTableFunction(FrontendRegisterLevel, "Frontend", "RegisterLevel");
  s.RegisterTableFunction(FrontendRegisterLevelId, "Frontend", "RegisterLevel_Id");
  s.RegisterTableFunction(InterfaceForcePlayerToBid, "Interface", "ForcePlayerToBid");
  s.RegisterTableFunction(InterfaceForcePlayerToPass, "Interface", "ForcePlayerToPass");
  s.RegisterTableFunction(InterfaceForcePlayerToPullOut, "Interface", "ForcePlayerToPullOut");
}

}  // namespace

void RegisterSessionRulesScriptFunctions() {
  AddScriptBinder(ScriptBindingStage::kGame, RegisterGameRules);
  AddScriptBinder(ScriptBindingStage::kInterface, RegisterInterfaceRules);
}
