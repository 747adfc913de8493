#include "visuals/overlay/cut_scene_script_bindings.h"

#include <string>

#include "engine/core/error.h"
#include "script/script.h"
#include "script/script_args.h"
#include "visuals/overlay/cut_scene.h"

namespace {

constexpr int32_t kCaptionTexts[] = {1767, 1768, 1769};

int GameEndCutScene(lua_State*) {
  CutScene().End();
  return 0;
}

int GameEnableCutSceneBypass(lua_State*) {
  CutScene().SetBypass(true);
  return 0;
}

int GameDisableCutSceneBypass(lua_State*) {
  CutScene().SetBypass(false);
  return 0;
}

// The caption is the last argument.
int GameSetCutSceneString(lua_State* state) {
  std::string text;
  if (lua_gettop(state) < 1 || !ArgText(state, lua_gettop(state), &text)) {
    ReportError(1, 0, "Game.SetCutSceneString: a text is needed");
    return 0;
  }
  CutScene().SetString(text);
  return 0;
}

// 1, 2 or 3: one of the three captions of the text bank; other values nothing.
int GameSetCutSceneIdentifier(lua_State* state) {
  double n = 0;
  if (!ArgNumber(state, 1, &n)) return 0;
  const int32_t which = TruncToInt32(n);
  if (which >= 1 && which <= 3) CutScene().SetIdentifier(kCaptionTexts[which - 1]);
  return 0;
}

void BindCutSceneFunctions(CScript& s) {
  s.RegisterTableFunction(GameEndCutScene, "Game", "EndCutScene");
  s.RegisterTableFunction(GameEnableCutSceneBypass, "Game", "EnableCutSceneBypass");
  s.RegisterTableFunction(GameDisableCutSceneBypass, "Game", "DisableCutSceneBypass");
  s.RegisterTableFunction(GameSetCutSceneString, "Game", "SetCutSceneString");
  s.RegisterTableFunction(GameSetCutSceneIdentifier, "Game", "SetCutSceneIdentifier");
}

}  // namespace

// With the presentation's camera table, once the Game table exists.
void RegisterCutSceneScriptBindings() { AddScriptBinder(ScriptBindingStage::kCamera, BindCutSceneFunctions); }
