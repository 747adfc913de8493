#include "app/interface_lock_bindings.h"

#include "engine/core/error.h"
#include "script/script.h"
#include "script/script_args.h"
#include "session/game_events.h"
#include "session/tutorial.h"
#include "ui/interface_controls.h"

namespace {

struct ControlName {
  const char* name;
  int32_t slot;
};

// The control ids tutorials name.
constexpr ControlName kControls[] = {
    {"TUT_PROMPT_1", 0}, {"TUT_PROMPT_2", 1}, {"TUT_PROMPT_3", 2}, {"TUT_HYPERLINK", 6},
    {"TUT_AERIAL_PANEL", 8}, {"TUT_MPP_GREENBUTTON_1", 9}, {"TUT_MPP_GREENBUTTON_2", 10},
    {"TUT_MPP_GREENBUTTON_3", 11}, {"TUT_MPP_GREENBUTTON_4", 12}, {"TUT_MPP_GREENBUTTON_5", 13},
    {"TUT_MPP_GREENBUTTON_6", 14}, {"TUT_MPP_INFOBUTTON_1", 15}, {"TUT_MPP_INFOBUTTON_2", 16},
    {"TUT_MPP_INFOBUTTON_3", 17}, {"TUT_MPP_INFOBUTTON_4", 18}, {"TUT_MPP_INFOBUTTON_5", 19},
    {"TUT_AERIAL_BUTTON_1", 20}, {"TUT_AERIAL_BUTTON_2", 21}, {"TUT_AERIAL_BUTTON_3", 22},
    {"TUT_AERIAL_BUTTON_4", 23}, {"TUT_AERIAL_INFOBUTTON_1", 24}, {"TUT_AERIAL_INFOBUTTON_2", 25},
    {"TUT_AERIAL_INFOBUTTON_3", 26}, {"TUT_AERIAL_INFOBUTTON_4", 27}, {"TUT_AERIAL_INFOBUTTON_5", 28},
    {"TUT_AERIAL_INFOBUTTON_6", 29}, {"TUT_AERIAL_LOCATOR_LISTMYBUSINESS", 30},
    {"TUT_AERIAL_BUSINESS_LOCATOR", 31}, {"TUT_MPP_BLOCK_LANDRENT", 32}, {"TUT_MPP_BLOCK_LEFT_TOGGLE", 33},
    {"TUT_MPP_BLOCK_RIGHT_TOGGLE", 34}, {"TUT_MPP_BLOCK_BUYBLOCK", 35}, {"TUT_MPP_BUILDING_LEFT_TOGGLE", 36},
    {"TUT_MPP_BUILDING_RIGHT_TOGGLE", 37}, {"TUT_MPP_BUILDING_REFURBISH", 38},
    {"TUT_MPP_BUILDING_DEMOLISH", 39}, {"TUT_MPP_BUILDING_REFURBISH_LIST", 40}, {"TUT_BAP_PLUS_BUTTON_1", 41},
    {"TUT_BAP_MINUS_BUTTON_1", 42}, {"TUT_BAP_PLUS_BUTTON_2", 43}, {"TUT_BAP_MINUS_BUTTON_2", 44},
    {"TUT_BAP_PLUS_BUTTON_3", 45}, {"TUT_BAP_MINUS_BUTTON_3", 46}, {"TUT_BAP_PLUS_BUTTON_4", 47},
    {"TUT_BAP_MINUS_BUTTON_4", 48}, {"TUT_BAP_PLUS_BUTTON_5", 49}, {"TUT_BAP_MINUS_BUTTON_5", 50},
    {"TUT_BAP_PLUS_BUTTON_6", 51}, {"TUT_BAP_MINUS_BUTTON_6", 52}, {"TUT_BAP_OK_BUTTON", 53},
    {"TUT_AAP_PLUS_BUTTON_1", 54}, {"TUT_AAP_MINUS_BUTTON_1", 55}, {"TUT_AAP_PLUS_BUTTON_2", 56},
    {"TUT_AAP_MINUS_BUTTON_2", 57}, {"TUT_AAP_PLUS_BUTTON_3", 58}, {"TUT_AAP_MINUS_BUTTON_3", 59},
    {"TUT_AAP_OK_BUTTON", 60}, {"TUT_GAME_AUCTION_STARTTIMER", 61}, {"TUT_GAME_AUCTION_CLOSESTARTTIMER", 62},
    {"TUT_BEGINAUCTION", 63}, {"TUT_ENDAUCTION", 64}, {"TUT_AUCTION_50", 65}, {"TUT_AUCTION_100", 66},
    {"TUT_AUCTION_500", 67}, {"TUT_MYGO", 68}, {"TUT_AUCTION_PASS", 69}, {"TUT_AUCTION_PULLOUT", 70},
    {"TUT_PLAYER_COMPARISON_LEFT", 71}, {"TUT_PLAYER_COMPARISON_RIGHT", 72}, {"TUT_TOGGLE_VIEW", 73},
    {"TUT_OPTIONS_BUTTON", 74}, {"TUT_OPTIONS_BUTTON_AUCTION", 75}, {"TUT_PCP_OPEN_CLOSE", 76},
    {"TUT_PCP_TOGGLE_OPTIONS_LEFT", 77}, {"TUT_PCP_TOGGLE_OPTIONS_RIGHT", 78}, {"TUT_PCP_PLAYER_1", 79},
    {"TUT_PCP_PLAYER_2", 80}, {"TUT_PCP_PLAYER_3", 81}, {"TUT_PCP_PLAYER_4", 82}, {"TUT_PCP_PLAYER_5", 83},
    {"TUT_PCP_PLAYER_6", 84}, {"TUT_CHAT_PANEL", 85}, {"TUT_BUILD_SELECT_TYPE", 86},
    {"TUT_BUILD_SELECT_USE", 87}, {"TUT_BUILD_SELECT_BACK_DRAG_BUTTON", 89},
    {"TUT_BUILD_SELECT_BACK_DRAG_TEXT", 90}, {"TUT_BUILD_RIGHTS_BUTTON", 91}, {"TUT_BUILD_CHANGE_DESIGN", 92},
    {"TUT_BUILD_CHANGE_FLOOR", 93}, {"TUT_BUILD_QUALITY_LOW", 94}, {"TUT_BUILD_QUALITY_MED", 95},
    {"TUT_BUILD_QUALITY_HIGH", 96}, {"TUT_BUILD_ACCEPT", 97}, {"TUT_BUILD_CANCEL", 98}, {"TUT_END_BUILD", 99},
    {"TUT_BUILD_BACKREGION0", 100}, {"TUT_BUILD_BACKREGION1", 101}, {"TUT_BUILD_BACKREGION2", 102},
    {"TUT_NAVIGATOR_PANEL", 103}, {"TUT_BUILD_PANEL", 104}, {"TUT_AUCTION_TIMER_PANEL", 105},
};

// The player's game actions a lesson may wait on, beside the controls' own
// events.
constexpr ControlName kActionEvents[] = {
    {"TUT_EVENT_BLOCK_LEASED", kTutorialBlockLeased},
    {"TUT_EVENT_BLOCK_RETURNED", kTutorialBlockReturned},
    {"TUT_EVENT_CONSTRUCTION_STARTED", kTutorialConstructionStarted},
    {"TUT_EVENT_BUSINESS_OPENED", kTutorialBusinessOpened},
    {"TUT_EVENT_BUSINESS_SOLD", kTutorialBusinessSold},
    {"TUT_EVENT_BID_MADE", kTutorialBidMade},
    {"TUT_EVENT_CARD_PLAYED", kTutorialCardPlayed},
};

int DisableAll(lua_State*) {
  DisableAllHudControls();
  return 0;
}

int EnableAll(lua_State*) {
  EnableAllHudControls();
  return 0;
}

// A control id from a script: a number that names one of the slots.
template <bool (*Switch)(int32_t)>
int SwitchControl(lua_State* state) {
  double id = 0;
  if (!ArgNumber(state, 1, &id)) return 0;
  const int32_t slot = TruncToInt32(id);
  if (!Switch(slot)) ReportErrorF(1, "Interface control %d is not a control id", slot);
  return 0;
}

void RegisterInterfaceLocks(CScript& s) {
  s.RegisterTableFunction(DisableAll, "Interface", "DisableAllControls");
  s.RegisterTableFunction(EnableAll, "Interface", "EnableAllControls");
  s.RegisterTableFunction(SwitchControl<DisableHudControl>, "Interface", "DisableControl");
  s.RegisterTableFunction(SwitchControl<EnableHudControl>, "Interface", "EnableControl");
  s.RegisterTableFunction(SwitchControl<EnableHudControlAndChildren>, "Interface", "EnableControlAndChildren");
  for (const ControlName& c : kControls) s.SetGlobalNumber(c.slot, c.name);
  for (const ControlName& c : kActionEvents) s.SetGlobalNumber(c.slot, c.name);
}

}  // namespace

void ApplyScriptPromptControls(const ScriptPromptEvent& prompt) {
  constexpr int32_t kPromptControls = 6;
  if (prompt.action != kScriptPromptOpen || !prompt.withButton) return;
  for (int32_t control = 0; control < kPromptControls; ++control) EnableHudControl(control);
}

void RegisterInterfaceLockScriptFunctions() { AddScriptBinder(ScriptBindingStage::kInterface, RegisterInterfaceLocks); }
