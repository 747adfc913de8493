// Interface prompts and the construction panel's tutorial restrictions, the
// Frontend's player slots, and the constants scripts name controls, player
// kinds and texts by.
#include "script/interface_bindings.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/core/error.h"
#include "script/script.h"
#include "script/script_args.h"
#include "script/script_bindings.h"
#include "session/game_events.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "session/session_state.h"
#include "session/tutorial.h"

namespace {

constexpr int32_t kPromptButtonText = 1707;
constexpr int32_t kHighestId = 65534;
// Script prompts open at once; more are refused (a script that opens one a
// tick would otherwise grow the list for good).
constexpr size_t kMaxOpenScriptPrompts = 16;

TextIdCheck g_TextIdCheck = nullptr;
std::vector<int32_t> g_OpenPrompts;

const std::vector<std::pair<const char*, int32_t>> kTextIds = {
    {"ID_SINGLE_SCENARIO_DEMO_TITLE", 23},     {"ID_SINGLE_SCENARIO_DEMO_DESC", 24},
    {"ID_TIP_PROMPT_2_TITLE_1", 1894},        {"ID_TIP_PROMPT_3_TITLE_1", 1898},
    {"ID_TIP_PROMPT_4_TITLE_1", 1916},        {"ID_TIP_PROMPT_5_TITLE_1", 1934},
    {"ID_TIP_PROMPT_12_TITLE_1", 1944},       {"ID_PROMPT_1_OFFSET", 1948},
    {"ID_SINGLE_SCENARIO_1_TITLE", 1956},     {"ID_SINGLE_SCENARIO_1_DESC", 1957},
    {"ID_SINGLE_SCENARIO_2_TITLE", 1958},     {"ID_SINGLE_SCENARIO_2_DESC", 1959},
    {"ID_SINGLE_SCENARIO_3_TITLE", 1960},     {"ID_SINGLE_SCENARIO_3_DESC", 1961},
    {"ID_SINGLE_SCENARIO_4_TITLE", 1962},     {"ID_SINGLE_SCENARIO_4_DESC", 1963},
    {"ID_SINGLE_SCENARIO_5_TITLE", 1964},     {"ID_SINGLE_SCENARIO_5_DESC", 1965},
    {"ID_SINGLE_SCENARIO_6_TITLE", 1966},     {"ID_SINGLE_SCENARIO_6_DESC", 1967},
    {"ID_SINGLE_SCENARIO_7_TITLE", 1968},     {"ID_SINGLE_SCENARIO_7_DESC", 1969},
    {"ID_SINGLE_SCENARIO_8_TITLE", 1970},     {"ID_SINGLE_SCENARIO_8_DESC", 1971},
    {"ID_SINGLE_SCENARIO_9_TITLE", 1972},     {"ID_SINGLE_SCENARIO_9_DESC", 1973},
    {"ID_SINGLE_SCENARIO_10_TITLE", 1974},    {"ID_SINGLE_SCENARIO_10_DESC", 1975},
    {"ID_SINGLE_SCENARIO_11_TITLE", 1976},    {"ID_SINGLE_SCENARIO_11_DESC", 1977},
    {"ID_SINGLE_SCENARIO_12_TITLE", 1978},    {"ID_SINGLE_SCENARIO_12_DESC", 1979},
    {"ID_SINGLE_SCENARIO_13_TITLE", 1980},    {"ID_SINGLE_SCENARIO_13_DESC", 1981},
    {"ID_SINGLE_SCENARIO_14_TITLE", 1982},    {"ID_SINGLE_SCENARIO_14_DESC", 1983},
    {"ID_SINGLE_SCENARIO_15_TITLE", 1984},    {"ID_SINGLE_SCENARIO_15_DESC", 1985},
    {"ID_SINGLE_SCENARIO_16_TITLE", 1986},    {"ID_SINGLE_SCENARIO_16_DESC", 1987},
    {"ID_SINGLE_SCENARIO_BONUS_TITLE", 1988}, {"ID_SINGLE_SCENARIO_BONUS_DESC", 1989},
    {"ID_MULTI_SCENARIO_1_TITLE", 1990},      {"ID_MULTI_SCENARIO_1_DESC", 1991},
    {"ID_MULTI_SCENARIO_2_TITLE", 1992},      {"ID_MULTI_SCENARIO_2_DESC", 1993},
    {"ID_MULTI_SCENARIO_3_TITLE", 1994},      {"ID_MULTI_SCENARIO_3_DESC", 1995},
    {"ID_MULTI_SCENARIO_4_TITLE", 1996},      {"ID_MULTI_SCENARIO_4_DESC", 1997},
    {"ID_MULTI_SCENARIO_5_TITLE", 1998},      {"ID_MULTI_SCENARIO_5_DESC", 1999},
    {"ID_MULTI_SCENARIO_6_TITLE", 2000},      {"ID_MULTI_SCENARIO_6_DESC", 2001},
    {"ID_TUTORIAL_1_DESC", 2002},             {"ID_TUTORIAL_2_DESC", 2003},
    {"ID_TUTORIAL_3_DESC", 2004},             {"ID_TUTORIAL_4_DESC", 2005},
    {"ID_TUTORIAL_5_DESC", 2006},             {"ID_TUTORIAL_6_DESC", 2007},
    {"ID_TUTORIAL_6A_DESC", 2008},            {"ID_TUTORIAL_7_DESC", 2009},
    {"ID_TUTORIAL_8_DESC", 2010},             {"ID_TUTORIAL_9_DESC", 2011},
    {"ID_TUTORIAL_10_DESC", 2012},            {"ID_TUTORIAL_11_DESC", 2013},
    {"ID_TUTORIAL_12_DESC", 2014},            {"ID_TUTORIAL_1_OFFSET", 2015},
    {"ID_TUTORIAL_1_TITLE", 2016},            {"ID_TUTORIAL_2_OFFSET", 2030},
    {"ID_TUTORIAL_2_TITLE", 2031},            {"ID_TUTORIAL_3_OFFSET", 2044},
    {"ID_TUTORIAL_3_TITLE", 2045},            {"ID_TUTORIAL_4_OFFSET", 2062},
    {"ID_TUTORIAL_4_TITLE", 2063},            {"ID_TUTORIAL_5_OFFSET", 2083},
    {"ID_TUTORIAL_5_TITLE", 2084},            {"ID_TUTORIAL_6_OFFSET", 2103},
    {"ID_TUTORIAL_6_TITLE", 2104},            {"ID_TUTORIAL_6A_OFFSET", 2128},
    {"ID_TUTORIAL_6A_TITLE", 2129},           {"ID_TUTORIAL_7_OFFSET", 2132},
    {"ID_TUTORIAL_7_TITLE", 2133},            {"ID_TUTORIAL_8_OFFSET", 2149},
    {"ID_TUTORIAL_8_TITLE", 2150},            {"ID_TUTORIAL_9_OFFSET", 2163},
    {"ID_TUTORIAL_9_TITLE", 2164},            {"ID_TUTORIAL_10_OFFSET", 2187},
    {"ID_TUTORIAL_10_TITLE", 2188},           {"ID_TUTORIAL_11_OFFSET", 2199},
    {"ID_TUTORIAL_11_TITLE", 2200},           {"ID_TUTORIAL_12_OFFSET", 2213},
    {"ID_TUTORIAL_12_TITLE", 2214},           {"ID_SINGLE_PLAYER_SANDBOX_MODE_TITLE", 2230},
    {"ID_SINGLE_PLAYER_SANDBOX_MODE_DESC", 2231},
};

// Names given to the players of the token choice by their token.
constexpr const char* kTokenPlayerNames[] = {
    "Dora Wexley", "Otto Brannigan", "Mavis Quell", "Jasper Holt",  "Ruth Calloway",
    "Felix Amberg", "Nell Garrity",  "Hugo Treadwell", "Iris Penhale", "Barnaby Stroud",
};
constexpr int32_t kTokenCount = static_cast<int32_t>(std::size(kTokenPlayerNames));

// One line of a prompt: a number is a text id (refused when the bank lacks
// it), anything else its own text.
bool PromptLine(lua_State* state, int index, int32_t number, ScriptPromptLine& line) {
  line.number = number;
  if (lua_type(state, index) == LUA_TNUMBER) {
    const int32_t id = ArgInt(state, index, 0);
    if (!ScriptTextIdExists(id)) {
      ReportErrorF(1, "Interface prompt: text %d does not exist", id);
      return false;
    }
    line.textId = id;
    return true;
  }
  ArgText(state, index, &line.text);  // nil or a table: an empty line
  return true;
}

bool OnAuctionScreen() { return Session().gameState == kGameStateAuction; }

bool OpenPrompt(lua_State* state, bool withButton) {
  ScriptPromptEvent e;
  e.action = kScriptPromptOpen;
  e.auctionScreen = OnAuctionScreen();
  const int32_t number = ArgInt(state, 4, 0);
  if (!PromptLine(state, 1, number, e.lines[0]) || !PromptLine(state, 2, number, e.lines[1])) return false;
  e.scriptId = ArgInt(state, 3, 0);
  if (g_OpenPrompts.size() >= kMaxOpenScriptPrompts) {
    ReportErrorF(1, "Interface prompt %d: too many prompts open", e.scriptId);
    return false;
  }
  const ScenarioEntry* level = ScenarioManager().Current();
  e.noTimeout = level != nullptr && level->tutorial;
  e.withButton = withButton;
  e.buttonText = withButton ? kPromptButtonText : 0;
  g_OpenPrompts.push_back(e.scriptId);
  PostGameEvent(e);
  return true;
}

int InterfaceCreateMessage(lua_State* state) {
  OpenPrompt(state, false);
  return 0;
}

int InterfaceCreatePrompt(lua_State* state) {
  OpenPrompt(state, true);
  return 0;
}

void PostAction(ScriptPromptAction action) {
  ScriptPromptEvent e;
  e.action = action;
  e.auctionScreen = OnAuctionScreen();
  PostGameEvent(e);
}

int InterfaceCreateEventList(lua_State*) {
  PostAction(kScriptPromptEventList);
  return 0;
}

int InterfaceDismissPrompt(lua_State*) {
  PostAction(kScriptPromptDismiss);
  return 0;
}

int InterfaceAddArrow(lua_State* state) {
  double x = 0, y = 0;
  if (!ArgNumber(state, 1, &x) || !ArgNumber(state, 2, &y)) {
    ReportError(1, 0, "Interface.AddArrow: x and y must be numbers");
    return 0;
  }
  ScriptPromptEvent e;
  e.action = kScriptPromptArrow;
  e.auctionScreen = OnAuctionScreen();
  e.x = static_cast<float>(x);
  e.y = static_cast<float>(y);
  e.hasX = e.hasY = true;
  PostGameEvent(e);
  return 0;
}

int InterfacePositionPrompt(lua_State* state) {
  ScriptPromptEvent e;
  e.action = kScriptPromptPosition;
  e.auctionScreen = OnAuctionScreen();
  double v = 0;
  if ((e.hasX = ArgNumber(state, 1, &v))) e.x = static_cast<float>(v);
  if ((e.hasY = ArgNumber(state, 2, &v))) e.y = static_cast<float>(v);
  if (e.hasX || e.hasY) PostGameEvent(e);
  return 0;
}

int InterfaceSetTutorialType(lua_State* state) {
  double n = 0;
  if (ArgNumber(state, 1, &n)) TutorialBuildRestriction().type = TruncToInt32(n);
  return 0;
}

int InterfaceSetTutorialUse(lua_State* state) {
  double n = 0;
  if (ArgNumber(state, 1, &n)) TutorialBuildRestriction().use = TruncToInt32(n);
  return 0;
}

// Frontend.RegisterPlayer(slot, kind, token [, option]): a slot of the token
// choice. The option is the computer player's difficulty (0 when not given).
int FrontendRegisterPlayer(lua_State* state) {
  double slot = 0, kind = 0, token = 0;
  if (!ArgNumber(state, 1, &slot) || !ArgNumber(state, 2, &kind) || !ArgNumber(state, 3, &token)) {
    ReportError(1, 0, "Frontend.RegisterPlayer: slot, kind and token must be numbers");
    return 0;
  }
  const int32_t row = TruncToInt32(slot), k = TruncToInt32(kind), t = TruncToInt32(token);
  const int32_t option = ArgInt(state, 4, 0);
  if (row < 0 || row >= kMaxPlayers || (k != kPlayerHuman && k != kPlayerComputer) || t < 0 || t >= kTokenCount ||
      option < 0 || option > 2) {
    ReportErrorF(1, "Frontend.RegisterPlayer: slot %d, kind %d, token %d, option %d refused", row, k, t, option);
    return 0;
  }
  PlayerSetupRow& r = PlayerTable().SetupRow(row);
  r = PlayerSetupRow{};
  r.kind = k;
  r.character = t;
  r.difficulty = option;
  std::strncpy(r.name, kTokenPlayerNames[t], sizeof r.name - 1);
  return 0;
}

}  // namespace

void SetScriptTextIdCheck(TextIdCheck check) { g_TextIdCheck = check; }
bool HasScriptTextIdCheck() { return g_TextIdCheck != nullptr; }

bool ScriptTextIdExists(int32_t id) {
  if (id < 1 || id > kHighestId) return false;
  return g_TextIdCheck == nullptr || g_TextIdCheck(id);
}

const std::vector<std::pair<const char*, int32_t>>& ScriptTextIdConstants() { return kTextIds; }

bool ScriptPromptClosed(int32_t scriptId) {
  const auto it = std::find(g_OpenPrompts.begin(), g_OpenPrompts.end(), scriptId);
  if (it == g_OpenPrompts.end()) {
    ReportErrorF(1, "Interface prompt %d is not open", scriptId);
    return false;
  }
  g_OpenPrompts.erase(it);
  Script().CatchEvent("InterfacePromptDismiss", scriptId);
  return true;
}

void ForgetScriptPrompts() { g_OpenPrompts.clear(); }

const std::vector<int32_t>& OpenScriptPrompts() { return g_OpenPrompts; }

void RegisterInterfaceScriptFunctions(CScript& s) {
  // A new state's scripts have no prompt on screen yet.
  ForgetScriptPrompts();
  s.RegisterTableFunction(InterfaceCreateMessage, "Interface", "CreateMessage");
  s.RegisterTableFunction(InterfaceCreatePrompt, "Interface", "CreatePrompt");
  s.RegisterTableFunction(InterfaceCreateEventList, "Interface", "CreateEventList");
  s.RegisterTableFunction(InterfaceDismissPrompt, "Interface", "DismissPrompt");
  s.RegisterTableFunction(InterfaceAddArrow, "Interface", "AddArrow");
  s.RegisterTableFunction(InterfacePositionPrompt, "Interface", "PositionPrompt");
  s.RegisterTableFunction(InterfaceSetTutorialType, "Interface", "SetTutorialType");
  s.RegisterTableFunction(InterfaceSetTutorialUse, "Interface", "SetTutorialUse");
  for (const auto& [name, id] : kTextIds) s.SetGlobalNumber(id, name);
}

void RegisterFrontendScriptFunctions(CScript& s) {
  s.RegisterTableFunction(FrontendRegisterPlayer, "Frontend", "RegisterPlayer");
  s.SetGlobalNumber(kPlayerHuman, "HUMAN_PLAYER");
  s.SetGlobalNumber(kPlayerComputer, "AI_PLAYER");
}
