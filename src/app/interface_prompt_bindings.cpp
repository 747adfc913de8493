#include "app/interface_prompt_bindings.h"

#include <string>

#include "panels/hud_panels.h"
#include "panels/player_tokens.h"
#include "script/script.h"
#include "script/script_args.h"
#include "session/scenarios.h"
#include "session/session_state.h"
#include "ui/interface_controls.h"

namespace {

constexpr int32_t kPromptButtonText = 1707;
constexpr int32_t kPromptControlSlots = 6;

// A line from a text id formatted with the number, or from a string as it is.
void SetLine(CPromptPanel& p, lua_State* state, int32_t line, int32_t number) {
  double id = 0;
  std::string text;
  if (ArgNumber(state, line + 1, &id)) p.SetLineTextWithNumbers(line, TruncToInt32(id), number);
  else if (ArgText(state, line + 1, &text)) p.SetLineString(line, text);
  else p.SetLineString(line, "");
}

// (line 0, line 1, user value, number): no buttons; in a tutorial it stays
// until dismissed.
CPromptPanel& OpenMessage(lua_State* state) {
  CPromptPanel& p = CurrentPrompt();
  double value = 0, number = 0;
  ArgNumber(state, 3, &value);
  ArgNumber(state, 4, &number);
  p.Open();
  p.SetPortrait(kCityPortraitImage);
  SetLine(p, state, 0, TruncToInt32(number));
  SetLine(p, state, 1, TruncToInt32(number));
  p.SetUserValue(TruncToInt32(value));
  p.SetButtonCount(0);
  if (ScenarioManager().IsTutorialRunning()) p.SetTimeout(0);
  return p;
}

int CreateMessage(lua_State* state) {
  if (CurrentPrompt().built) OpenMessage(state);
  return 0;
}

int CreatePrompt(lua_State* state) {
  if (!CurrentPrompt().built) return 0;
  CPromptPanel& p = OpenMessage(state);
  p.SetButtonCount(1);
  p.SetButtonText(0, kPromptButtonText);
  p.SetButtonHighlight(0, true);
  for (int32_t slot = 0; slot < kPromptControlSlots; ++slot) EnableHudControl(slot);
  return 0;
}

int DismissPrompt(lua_State*) {
  CurrentPrompt().Close();
  return 0;
}

int CreateEventList(lua_State*) {
  if (Session().gameState == kGameStateAuction) HudPanels().auctionPrompt.Open();
  else HudPanels().day.Open();
  return 0;
}

void RegisterInterfacePrompts(CScript& s) {
  s.RegisterTableFunction(CreateMessage, "Interface", "CreateMessage");
  s.RegisterTableFunction(CreatePrompt, "Interface", "CreatePrompt");
  s.RegisterTableFunction(DismissPrompt, "Interface", "DismissPrompt");
  s.RegisterTableFunction(CreateEventList, "Interface", "CreateEventList");
}

}  // namespace

void RegisterInterfacePromptScriptFunctions() {
  AddScriptBinder(ScriptBindingStage::kInterface, RegisterInterfacePrompts);
}
