#include "frontend/front_end.h"

#include "frontend/front_end_page.h"
#include "frontend/game_cover.h"
#include "frontend/level_marks.h"
#include "frontend/page_rules.h"
#include "frontend/profile_list.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/core/error.h"
#include "session/save_chunks.h"
#include "engine/core/run_state.h"
#include "engine/files/text_bank.h"
#include "engine/input/camera_controller.h"
#include "script/profiles.h"
#include "script/script.h"
#include "session/session_state.h"
#include "sound/game_sound.h"
#include "ui/game_requests.h"
#include "ui/interface_assets.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/camera/game_camera.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/edit_box.h"
#include "ui/list_box.h"
#include "ui/text_rect.h"
#include "ui/ui_services.h"

const char* const kFrontEndLayoutFiles[kFrontEndPageCount] = {
    "gamedata2\\frontend\\ingame_menu.tm",  "gamedata2\\frontend\\main_menu.tm",
    "gamedata2\\frontend\\title.tm",        "gamedata2\\frontend\\scenarios.tm",
    "gamedata2\\frontend\\tokens.tm",       "gamedata2\\frontend\\tutorials.tm",
    "gamedata2\\frontend\\new_profile.tm",  "gamedata2\\frontend\\prompt.tm",
    "gamedata2\\frontend\\login.tm",        "gamedata2\\frontend\\load.tm",
    "gamedata2\\frontend\\save.tm",         "gamedata2\\frontend\\save_name.tm",
    "gamedata2\\frontend\\options.tm",      "gamedata2\\frontend\\sound_options.tm",
    "gamedata2\\frontend\\board.tm",        "gamedata2\\frontend\\statistics.tm",
    "gamedata2\\frontend\\gameplay_options.tm", "gamedata2\\frontend\\graphics_options.tm",
    "gamedata2\\frontend\\network_sessions.tm", "gamedata2\\frontend\\network_host.tm",
    "gamedata2\\frontend\\network_lobby.tm",
    nullptr,
};

int32_t& FrontEndGameMode() {
  static int32_t mode = 0;
  return mode;
}

namespace {

struct FrontEndModeRecord {
  int32_t mode = 0;
  template <class V>
  void Visit(V& v) {
    v.I32(mode, {0, 2, "game mode"});
  }
};

}  // namespace

void RegisterFrontEndSaveHooks() {
  RegisterSaveHook(kSaveFrontEnd, [] { WriteRecordChunk(kChunkFrontEnd, FrontEndModeRecord{FrontEndGameMode()}); });
  RegisterRecordChunk<FrontEndModeRecord>(
      kChunkFrontEnd, 4, [](const FrontEndModeRecord& r) { FrontEndGameMode() = r.mode; }, 1);
}

using namespace frontend_pages;

namespace {

constexpr int32_t kOrbitCameraMode = 15;

// The camera the in-game menu covered, put back when the game resumes.
CameraState& SavedMenuCamera() {
  static CameraState saved{};
  return saved;
}

// The token page's rows as the players' setup rows the level start reads.
void FillPlayerSetupRows(const TokenRows& rows) {
  CPlayerTable& players = PlayerTable();
  players.ClearPlayerSetupRows();
  for (int32_t n = 0; n < kSetupRows; ++n) {
    const TokenRow& row = rows[size_t(n)];
    if (row.kind == -1) continue;
    PlayerSetupRow& r = players.SetupRow(n);
    r = PlayerSetupRow{};
    r.kind = row.kind == 0 ? kPlayerHuman : kPlayerComputer;
    r.character = row.token;
    r.difficulty = row.option;
    std::strncpy(r.name, row.name.c_str(), sizeof r.name - 1);
  }
}

// FindLevel(id).targets[difficulty + 1] of the levels table, when the
// front end's script has loaded it (0 when unknown).
int32_t LevelTarget(int32_t id, int32_t difficulty) {
  lua_State* state = Script().State();
  if (state == nullptr) return 0;
  const int top = lua_gettop(state);
  int32_t target = 0;
  if (lua_getglobal(state, "FindLevel") == LUA_TFUNCTION) {
    lua_pushinteger(state, id);
    if (Script().Call(1, 1) && lua_istable(state, -1) && lua_getfield(state, -1, "targets") == LUA_TTABLE &&
        lua_rawgeti(state, -1, difficulty + 1) == LUA_TNUMBER)
      target = int32_t(lua_tointeger(state, -1));
  }
  lua_settop(state, top);
  return target;
}
constexpr int32_t kIdleFrames = 6000;
constexpr int32_t kYesText = 1636, kNoText = 1637, kNoticeText = 1127;

// A level's name or description: the scripts give a text id (kept as its
// digits) or the text itself.
int32_t EntryTextId(const std::string& s) {
  if (s.empty() || s.size() > 9 || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return 0;
  return std::stoi(s);
}
void ShowEntryText(CTextRect* t, const std::string& s, int32_t target = 0) {
  t->Clear();
  if (const int32_t id = EntryTextId(s)) t->AddTextIdArgs1(id, TextArg(target));
  else t->AddText(s);
}
void SetEntryLine(CListBox* list, int32_t line, const ScenarioEntry& e) {
  if (const int32_t id = EntryTextId(e.name)) list->SetItemTextId(line, id);
  else list->SetItemText(line, "%s", e.name.c_str());
  list->SetItemValue(line, e.id);
}
ListedLevel Listed(const ScenarioEntry& e) {
  ListedLevel l;
  l.id = e.id;
  for (int i = 0; i < 3; ++i) l.completed[i] = e.completed[i] != 0;
  return l;
}
// Fills a level list with the entries shown, one line each, and keeps what
// the marks and the first selection read of them.
void FillLevelList(CListBox* list, const std::vector<const ScenarioEntry*>& shown, std::vector<ListedLevel>& ids) {
  ids.clear();
  list->Reset(int32_t(shown.size()));
  for (size_t i = 0; i < shown.size(); ++i) {
    SetEntryLine(list, int32_t(i), *shown[i]);
    ids.push_back(Listed(*shown[i]));
  }
}

// ---- The prompt: one question or notice at a time ----------------------------------

class CFrontEndPrompt : public CFrontEndPage {
 public:
  void Build() override {
    title = Text(10, "PROMPT_TITLE", 0, 1);
    message = Text(11, "PROMPT_MESSAGE", 0, 1);
    static const MenuButtonDef kButtons[] = {{"PROMPT_BUTTON_1", 80, 148, 34, kYesText},
                                             {"PROMPT_BUTTON_2", 175, 6, 6, kNoText}};
    for (int32_t i = 0; i < 2; ++i) buttons[size_t(i)] = MenuButton(kButtons, i, 1);
  }
  void Setup(int32_t titleText, int32_t messageText, int32_t count, std::function<void(int32_t)> cb,
             const std::vector<std::string>& names) {
    Show(title, titleText);
    std::vector<TextArg> args(names.begin(), names.end());
    message->Clear();
    message->AddTextIdArgList(messageText, args);
    buttons[0]->SetLabelId(count == 1 ? kNoticeText : kYesText);
    buttons[1]->SetLabelId(kNoText);
    buttons[1]->visible = count > 1;
    answer = std::move(cb);
  }
  void DrawPage() override {
    DrawBand(At("PROMPT_BACKING"), 0xEE000A28, 0xEE000A28);
    Band("PROMPT_TITLE", 0xFF6E04AB, 0x806E04AB);
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t) override {
    if (type != kNotifyClicked) return 0;
    Screens().PopModal(this);
    Close();
    auto cb = std::move(answer);
    answer = nullptr;
    if (cb) cb(id);
    return 1;
  }
  CTextRect* title = nullptr;
  CTextRect* message = nullptr;
  std::array<CIconButton*, 2> buttons{};
  std::function<void(int32_t)> answer;
};

// ---- The game-type page under the title logo ----------------------------------------

class CTitleScreen : public CFrontEndPage {
 public:
  void Build() override {
    static const MenuButtonDef kButtons[] = {{"MAIN_BUTT02", 0, 192, 0, 2226},
                                             {"MAIN_BUTT03", 0, 0, 192, 2227},
                                             {"MAIN_BUTT04", 110, 4, 171, 2228},
                                             {"MAIN_BUTT05", 185, 7, 187, 1439}};
    for (int32_t i = 0; i < 4; ++i) buttons[size_t(i)] = MenuButton(kButtons, i, 4);
  }

  int32_t OnEvent(int32_t type, int32_t id, int32_t) override {
    if (type != kNotifyClicked) return 0;
    switch (id) {
      case 0: Screens().Go(kPageTitle, kPageScenarios); break;
      case 1:
        FrontEndGameMode() = 1;
        Screens().Go(kPageTitle, kPageNetworkHost);
        break;
      case 2:
        ScenarioManager().SelectScenario(400002, false);
        FrontEndGameMode() = 2;
        Screens().Go(kPageTitle, kPageTokens);
        break;
      case 3: Screens().Go(kPageTitle, kPageMainMenu); break;
      default: break;
    }
    return 1;
  }
  std::array<CIconButton*, 4> buttons{};
};

// ---- The main menu ----------------------------------------------------------------

class CMainMenuScreen : public CFrontEndPage {
 public:
  void Build() override {
    static const MenuButtonDef kButtons[] = {
        {"MAIN_BUTT01", 192, 0, 0, 1597},  {"MAIN_BUTT02", 192, 135, 0, 1598},
        {"MAIN_BUTT03", 192, 192, 0, 1599}, {"MAIN_BUTT04", 0, 192, 0, 1600},
        {"MAIN_BUTT05", 0, 0, 192, 1601},  {"MAIN_BUTT06", 110, 4, 171, 1679},
        {"MAIN_BUTT07", 185, 7, 187, 1603}};
    for (int32_t i = 0; i < 7; ++i) buttons[size_t(i)] = MenuButton(kButtons, i, 4);
    Screens().orbitCameraOnce = true;
  }
  void OnOpen() override {
    idle = 0;
    StartFrontEndScene();
    const std::string name = ProfileName();
    buttons[0]->label.Clear();
    buttons[0]->label.AddTextIdArgs1(1604, TextArg(name.c_str()));
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t) override {
    if (type == kMsgFrameTick) {
      if (++idle >= kIdleFrames) {
        Close();
        PostGameRequest(FlybyRequest{});
      }
      return 1;
    }
    if (type != kNotifyClicked) return 0;
    if (id == 0) Screens().Go(kPageMainMenu, kPageLogin);
    else if (id == 1) Screens().Go(kPageMainMenu, kPageTutorials);
    else if (id == 4) Screens().Go(kPageMainMenu, kPageLoad);
    else if (id == 5) Screens().Go(kPageMainMenu, kPageOptions);
    else if (id == 2) Screens().Go(kPageMainMenu, kPageTitle);
    else if (id == 3) {
      FrontEndGameMode() = 0;
      Screens().Go(kPageMainMenu, kPageNetworkSessions);
    }
    else if (id == 6) AskQuit();
    return 1;
  }
  void AskQuit() {
    Screens().Ask(1765, 1766, 2, [this](int32_t button) {
      if (button != 0) return;
      Close();
      PostGameRequest(QuitRequest{});
    });
  }
  int32_t idle = 0;
  std::array<CIconButton*, 7> buttons{};
};

// ---- The in-game menu ---------------------------------------------------------------

class CInGameMenuScreen : public CFrontEndPage {
 public:
  void Build() override {
    static const MenuButtonDef kButtons[] = {{"MAIN_BUTT02", 0, 192, 0, 1678},
                                             {"MAIN_BUTT03", 0, 0, 192, 1680},
                                             {"MAIN_BUTT04", 110, 4, 171, 1679},
                                             {"MAIN_BUTT05", 185, 7, 187, 1682}};
    for (int32_t i = 0; i < 4; ++i) buttons[size_t(i)] = MenuButton(kButtons, i, 4);
  }
  void OnOpen() override {
    const ScenarioEntry* level = ScenarioManager().Current();
    Enable(buttons[1], InGameSaveAllowed(level != nullptr && level->tutorial, NetworkGame()));
    cover.Cover();
  }
  // Back to the game as it was (the menu's key closes it the same way).
  void Resume() {
    g_CameraState = SavedMenuCamera();
    cover.Uncover();
    Close();
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t) override {
    if (type != kNotifyClicked) return 0;
    if (id == 0) Resume();
    if (id == 1) Screens().Go(kPageInGameMenu, kPageSave);
    if (id == 2) Screens().Go(kPageInGameMenu, kPageOptions);
    if (id == 3)
      Screens().Ask(1763, 1764, 2, [this](int32_t button) {
        if (button != 0) return;
        Close();
        cover.Release();
        PostGameRequest(EndGameRequest{});
      });
    return 1;
  }
  void ForgetCoveredGame() override { cover.Forget(); }
  GameCover cover;
  std::array<CIconButton*, 4> buttons{};
};

// ---- The tutorial list ----------------------------------------------------------------

class CTutorialSelectScreen : public CFrontEndPage {
 public:
  void Build() override {
    static const MenuButtonDef kButtons[] = {{"SPTUTORIAL_OK_BUTTON", 80, 148, 34, 1435},
                                             {"SPTUTORIAL_BACK_BUTTON", 175, 6, 6, 1439}};
    ok = MenuButton(kButtons, 0, 1);
    MenuButton(kButtons, 1, 1);
    Text(2, "SPTUTORIAL_TITLE_AREA", 1667, 4);
    Text(3, "SPTUTORIAL_TUTORLIST_TITLE", 1668);
    infoTitle = Text(4, "SPTUTORIAL_TUTORINFO_TITLE", 1646);
    description = Text(5, "SPTUTORIAL_TUTORINFO_TEXT", 0, 1, 0);
    const UIRect r = ElementRect("SPTUTORIAL_TUTORLIST_AREA");
    list = CreateListBox(6, r.x1 + 4, r.y1 + 4, r.x2 - 24, r.y2 - 4, 0.5f);
  }
  void Fill() {
    std::vector<const ScenarioEntry*> shown;
    for (const ScenarioEntry* e = ScenarioManager().NextAnyEntry(nullptr); e; e = ScenarioManager().NextAnyEntry(e))
      if (e->tutorial) shown.push_back(e);
    FillLevelList(list, shown, ids);
  }
  void OnOpen() override {
    Show(description, " ");
    Fill();
    list->ClearSelection();
    Enable(ok, false);
    Show(infoTitle, 1646);
    const int32_t line = FirstUndoneTutorialLine(ids);
    if (line >= 0) list->Select(line);
  }
  void DrawPage() override {
    Band("SPTUTORIAL_TITLE_AREA", 0xFFFFB400, 0x80FFB400);
    Band("SPTUTORIAL_TUTORLIST_AREA", kBacking, kBacking);
    Band("SPTUTORIAL_TUTORINFO_AREA", kBacking, kBacking);
    Band("SPTUTORIAL_TUTORLIST_TITLE", kGreyTop, kGreyBottom);
    Band("SPTUTORIAL_TUTORINFO_TITLE", kGreyTop, kGreyBottom);
    DrawLessonTicks(*list, ids, list->x2 + 4);
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t value) override {
    if (type == kNotifyListItem && id == 6) {
      if (value < 0 || value >= int32_t(ids.size())) return 1;
      if (!ScenarioManager().SelectScenario(ids[size_t(value)].id, false)) return 1;
      if (const ScenarioEntry* e = ScenarioManager().Current()) {
        ShowLevelName(infoTitle, *e);
        ShowLevelDescription(description, *e);
      }
      ScenarioManager().SetDifficulty(0);
      Enable(ok, true);
      return 1;
    }
    if (type != kNotifyClicked) return 0;
    if (id == 0 && ScenarioManager().Current() != nullptr && !ok->disabled)
      Screens().Go(kPageTutorials, kPageTokens);
    if (id == 1) Screens().Go(kPageTutorials, kPageMainMenu);
    return 1;
  }
  CIconButton* ok = nullptr;
  CTextRect* infoTitle = nullptr;
  CTextRect* description = nullptr;
  CListBox* list = nullptr;
  std::vector<ListedLevel> ids;
};

// ---- The scenario list ------------------------------------------------------------------

class CScenarioSelectScreen : public CFrontEndPage {
 public:
  enum { kOk = 0, kBack = 1, kList = 2, kEasy = 3 };
  void Build() override {
    static const MenuButtonDef kButtons[] = {{"SPSCENARIO_OK_BUTTON", 80, 148, 34, 1435},
                                             {"SPSCENARIO_BACK_BUTTON", 175, 6, 6, 1439}};
    ok = MenuButton(kButtons, kOk, 1);
    MenuButton(kButtons, kBack, 1);
    Text(10, "SPSCENARIO_TITLE_AREA", 1877, 4);
    Text(11, "SPSCENARIO_SESS_TITLE", 1645);
    infoTitle = Text(12, "SPSCENARIO_SESS_INFO_TITLE", 1646);
    Text(13, "SPSCENARIO_DIFF_LABEL", 1879);
    description = Text(14, "SPSCENARIO_INFO8", 0, 1, 0);
    const UIRect r = ElementRect("SPSCENARIO_BACKING3");
    list = CreateListBox(kList, r.x1 + 4, r.y1 + 4, r.x2 - 4 - kCupColumnsWidth, r.y2 - 4, 0.5f);
    const char* toggles[3] = {"SPSCENARIO_EASY_TOGGLE", "SPSCENARIO_MEDIUM_TOGGLE", "SPSCENARIO_HARD_TOGGLE"};
    const char* labels[3] = {"SPSCENARIO_EASY_LABEL", "SPSCENARIO_MEDIUM_LABEL", "SPSCENARIO_HARD_LABEL"};
    const int32_t names[3] = {1876, 1875, 1874};
    for (int32_t i = 0; i < 3; ++i) {
      const UIRect t = ElementRect(toggles[i]);
      radios[size_t(i)] = CreateRadioButton(kEasy + i, t.x1, t.y1, t.x2, t.y2);
      radios[size_t(i)]->imageOn = kRadioOnImage;
      radios[size_t(i)]->imageOff = kRadioOffImage;
      Text(15 + i, labels[i], names[i], 1, 3);
    }
    for (int32_t i = 0; i < 3; ++i) {
      radios[size_t(i)]->sibling1 = radios[size_t((i + 1) % 3)];
      radios[size_t(i)]->sibling2 = radios[size_t((i + 2) % 3)];
    }
  }
  void Fill() {
    std::vector<const ScenarioEntry*> shown;
    for (const ScenarioEntry* e = ScenarioManager().NextEntry(nullptr, 0); e; e = ScenarioManager().NextEntry(e, 0))
      if (!e->tutorial && e->Unlocked() && e->listFlag == 1) shown.push_back(e);
    FillLevelList(list, shown, ids);
  }
  void OnOpen() override {
    Show(description, " ");
    Fill();
    list->ClearSelection();
    Enable(ok, false);
    Show(infoTitle, 1646);
    ScenarioManager().SetDifficulty(0);
    for (int32_t i = 0; i < 3; ++i) radios[size_t(i)]->on = i == 0;
    const int32_t line = FirstUnwonScenarioLine(ids);
    if (line >= 0) list->Select(line);
  }
  void DrawPage() override {
    Band("SPSCENARIO_TITLE_AREA", 0xFFFFFF00, 0x80FFFF00);
    for (const char* b : {"SPSCENARIO_BACKING2", "SPSCENARIO_BACKING3", "SPSCENARIO_BACKING4",
                          "SPSCENARIO_DIFF_BACKING"})
      Band(b, kBacking, kBacking);
    Band("SPSCENARIO_SESS_TITLE", kGreyTop, kGreyBottom);
    Band("SPSCENARIO_SESS_INFO_TITLE", kGreyTop, kGreyBottom);
    const char* cups[3] = {"SPSCENARIO_EASY_CUP", "SPSCENARIO_MEDIUM_CUP", "SPSCENARIO_HARD_CUP"};
    for (int32_t d = 0; d < 3; ++d) DrawImageInRect(At(cups[d]), kCupImage[d]);
    DrawLevelCups(*list, ids, list->x2 + 4);
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t value) override {
    if (type == kNotifyListItem && id == kList) {
      if (value < 0 || value >= int32_t(ids.size())) return 1;
      if (!ScenarioManager().SelectScenario(ids[size_t(value)].id, false)) return 1;
      if (const ScenarioEntry* e = ScenarioManager().Current()) {
        ShowLevelName(infoTitle, *e);
        ShowLevelDescription(description, *e);
      }
      Enable(ok, true);
      return 1;
    }
    if (type == kNotifyRadioOn && id >= kEasy && id < kEasy + 3) {
      ScenarioManager().SetDifficulty(id - kEasy);
      if (const ScenarioEntry* e = ScenarioManager().Current(); e && !ok->disabled) ShowLevelDescription(description, *e);
      return 1;
    }
    if (type != kNotifyClicked) return 0;
    if (id == kOk && ScenarioManager().Current() != nullptr && !ok->disabled) {
      FrontEndGameMode() = 1;
      Screens().Go(kPageScenarios, kPageTokens);
    }
    if (id == kBack) Screens().Go(kPageScenarios, kPageTitle);
    return 1;
  }
  CIconButton* ok = nullptr;
  CTextRect* infoTitle = nullptr;
  CTextRect* description = nullptr;
  CListBox* list = nullptr;
  std::array<CRadioButton*, 3> radios{};
  std::vector<ListedLevel> ids;
};

// ---- The token choice -------------------------------------------------------------------

class CTokenSelectScreen : public CFrontEndPage {
 public:
  enum { kLeft = 0, kRight = 1, kBack = 2, kStart = 3 };
  void Build() override {
    const UIRect l = ElementRect("SP_TOKEN_LEFT_BUTT_P1");
    const UIRect r = ElementRect("SP_TOKEN_RIGHT_BUTT_P1");
    for (auto [id, rect, text] : {std::tuple{kLeft, l, "<"}, std::tuple{kRight, r, ">"}}) {
      CIconButton* b = CreateIconButton(id, rect.x1, rect.y1, rect.x2, rect.y2);
      b->SetMode(kIconFireOnRelease);
      b->SetTint(60, 90, 150);
      b->label.SetFont(1);
      b->label.SetAlignment(9, 0, 0);
      b->SetLabel(text);
    }
    static const MenuButtonDef kButtons[] = {{}, {}, {"SP_TOKEN_BACK_BUTTON", 175, 6, 6, 1439},
                                             {"SP_TOKEN_START_BUTTON", 80, 148, 34, 1440}};
    MenuButton(kButtons, kBack, 1);
    MenuButton(kButtons, kStart, 1);
    title = Text(20, "SP_TOKEN_TITLE_AREA", 1878, 4);
    Text(21, "SP_TOKEN_PLAYERS_TITLE", 1684);
    Text(22, "SP_TOKEN_SESS_TITLE_AREA", 1703);
    infoTitle = Text(23, "SP_TOKEN_INFO_TITLE_AREA", 1702);
    Text(24, "SP_TOKEN_SESS_LABEL1", 1615, 1, 3);
    Text(25, "SP_TOKEN_SESS_LABEL2", 1879, 1, 3);
    sessionName = Text(26, "SP_TOKEN_SESS_INFO1", 0, 1, 3);
    difficultyName = Text(27, "SP_TOKEN_SESS_INFO2", 0, 1, 3);
    info = Text(28, "SP_TOKEN_INFO_TEXT", 0, 1, 0);
    for (int32_t n = 0; n < kSetupRows; ++n) {
      char element[40];
      std::snprintf(element, sizeof element, "SP_TOKEN_NAMESLOT_P%d", n + 1);
      names[size_t(n)] = Text(30 + n, element, 0, 3, 3);
    }
  }
  // The rows as the players script left the setup table.
  void TakeScriptRows() {
    for (int32_t n = 0; n < kSetupRows; ++n) {
      const PlayerSetupRow& s = PlayerTable().SetupRow(n);
      TokenRow& row = rows[size_t(n)];
      row = TokenRow{};
      if (s.kind != kPlayerHuman && s.kind != kPlayerComputer) continue;
      row.kind = s.kind == kPlayerHuman ? 0 : 1;
      row.request = s.character;
      row.token = n == 0 ? s.character : -1;
      row.option = s.difficulty;
    }
  }
  void ShowNames() {
    for (int32_t n = 0; n < kSetupRows; ++n) {
      TokenRow& row = rows[size_t(n)];
      if (row.kind == 0) row.name = ProfileName().empty() ? MenuText(1760) : ProfileName();
      else if (row.kind == 1 && row.token >= 0) row.name = MenuText(TokenInfoRow(row.token).nameText);
      if (row.name.size() > 31) row.name.resize(31);
      if (row.kind == -1) Show(names[size_t(n)], 1755);
      else Show(names[size_t(n)], row.name);
    }
  }
  void Describe(int32_t n) {
    described = n;
    const TokenRow& row = rows[size_t(n)];
    if (row.token < 0) return;
    Show(infoTitle, TokenInfoRow(row.token).nameText);
    Show(info, TokenInfoRow(row.token).descriptionText);
  }
  void OnOpen() override {
    frames = 0;
    described = 0;
    rows = TokenRows{};
    Show(title, 1878);
    const ScenarioEntry* e = ScenarioManager().Current();
    if (e != nullptr) {
      PlayerTable().ClearPlayerSetupRows();
      const std::string script = "scripts\\" + e->folder + "\\players.lua";
      const bool ran = RunMenuScript(script.c_str(), !e->tutorial);
      TakeScriptRows();
      if (!e->tutorial || !ran) {
        rows[0].kind = 0;
        rows[0].token = e->tutorial ? 0 : RememberedToken();
        if (rows[0].token < 0 || rows[0].token >= kTokenCount) rows[0].token = 0;
      }
      ResolveTokenClashes(rows);
      ShowNames();
      Show(sessionName, "");
      ShowLevelName(sessionName, *e);
      static const int32_t kDifficultyText[3] = {1876, 1875, 1874};
      Show(difficultyName, kDifficultyText[std::clamp(ScenarioManager().Difficulty(), 0, 2)]);
      if (rows[0].kind != -1) Describe(0);
      // A tutorial does not wait for a choice.
      if (e->tutorial) TryStart();
    }
  }
  // The rows become the players' setup rows and the game is asked to start;
  // this page opens again when the level does not start.
  void TryStart() {
    if (!TokenRowsReady(rows)) return;
    Close();
    FillPlayerSetupRows(rows);
    PostGameRequest(StartLevelRequest{kPageTokens});
  }
  void DrawPage() override {
    Band("SP_TOKEN_PLAYER_BACKING", kBacking, kBacking);
    Band("SP_TOKEN_SESS_BACKING", kBacking, kBacking);
    Band("SP_TOKEN_INFO_BACKING", kBacking, kBacking);
    Band("SP_TOKEN_TITLE_AREA", 0xFF01762F, 0xFF01762F);
    Band("SP_TOKEN_SESS_TITLE_AREA", 0xFF1B254B, 0xFF1B254B);
    Band("SP_TOKEN_PLAYERS_TITLE", kGreyTop, kGreyBottom);
    if (rows[size_t(described)].token >= 0) TokenBand("SP_TOKEN_INFO_TITLE_AREA", rows[size_t(described)].token);
    char element[40];
    for (int32_t n = 0; n < kSetupRows; ++n) {
      const TokenRow& row = rows[size_t(n)];
      std::snprintf(element, sizeof element, "SP_TOKEN_SLOT_%dBACKING", n + 1);
      if (n == 0) PulseBand(element, frames);
      std::snprintf(element, sizeof element, "SP_TOKEN_TINT_SLOT%d", n + 1);
      char picture[40], token[40];
      std::snprintf(picture, sizeof picture, "SP_TOKEN_3DPIC_P%d", n + 1);
      std::snprintf(token, sizeof token, "SP_TOKEN_TOKEN_P%d", n + 1);
      const bool used = row.kind != -1 && row.token >= 0;
      TokenBand(element, used ? row.token : -1);
      if (used) {
        DrawImageInRect(At(picture), TokenInfoRow(row.token).portraitImage);
        DrawImageInRect(At(token), TokenInfoRow(row.token).tokenImage);
      } else {
        DrawRect2DSolid(At(picture), 0x7F000000, 0.6f);
      }
      // A used row carries its seat mark, the player's or a computer's; an
      // open seat none.
      std::snprintf(element, sizeof element, "SP_TOKEN_SLOT_TOGGLE_P%d", n + 1);
      if (row.kind != -1) DrawImageInRect(At(element), row.kind == 0 ? kHumanSeatImage : kComputerSeatImage);
    }
  }
  // A press on a used row describes its token (the last row under the mouse).
  void DescribeRowUnderMouse() {
    char element[40];
    for (int32_t n = 0; n < kSetupRows; ++n) {
      std::snprintf(element, sizeof element, "SP_TOKEN_SLOT_%dBACKING", n + 1);
      const UIRect r = At(element);
      const UiMouse& m = Ui().mouse;
      const bool inside = m.x >= r.x1 && m.x < r.x2 && m.y >= r.y1 && m.y < r.y2;
      if (inside && rows[size_t(n)].kind != -1) Describe(n);
    }
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t) override {
    if (type == kMsgFrameTick) {
      ++frames;
      return 1;
    }
    if (type == kMsgLeftPressed) {
      DescribeRowUnderMouse();
      return 0;
    }
    if (type != kNotifyClicked) return 0;
    switch (id) {
      case kLeft:
      case kRight:
        if (rows[0].kind == -1) break;
        StepHumanToken(rows, id == kLeft ? -1 : 1);
        ShowNames();
        RememberToken(rows[0].token);
        Describe(0);
        break;
      case kBack: {
        PlayerTable().ClearPlayerSetupRows();
        const ScenarioEntry* e = ScenarioManager().Current();
        if (e != nullptr && e->tutorial) Screens().Go(kPageTokens, kPageTutorials);
        else if (FrontEndGameMode() == 2) Screens().Go(kPageTokens, kPageTitle);
        else Screens().Go(kPageTokens, kPageScenarios);
        break;
      }
      case kStart: TryStart(); break;
      default: break;
    }
    return 1;
  }
  int32_t frames = 0;
  int32_t described = 0;
  TokenRows rows{};
  CTextRect* title = nullptr;
  CTextRect* infoTitle = nullptr;
  CTextRect* info = nullptr;
  CTextRect* sessionName = nullptr;
  CTextRect* difficultyName = nullptr;
  std::array<CTextRect*, kSetupRows> names{};
};

// ---- The new-profile entry ----------------------------------------------------------------

class CNewProfileScreen : public CNameEntryPage {
 public:
  void Build() override {
    static const MenuButtonDef kButtons[] = {{"CONFIRM_OPTION1_BUTTON", 80, 148, 34, 1435},
                                             {"CONFIRM_OPTION3_BUTTON", 175, 6, 6, 1439}};
    ok = MenuButton(kButtons, 0, 1);
    cancel = MenuButton(kButtons, 1, 1);
    Text(2, "CONFIRM_TITLE_AREA", 1605);
    BuildNameBox(3, 31);
  }
  void OnOpen() override {
    OpenEntry();
    // From the start-up a profile must be made: there is no way back.
    Enable(cancel, NewProfileOpenedFromLogin());
    StartFrontEndScene();
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t) override {
    const std::string name = Typed();
    if (type == kMsgFrameTick) {
      Enable(ok, NameEntryOkEnabled(name));
      return 1;
    }
    if (type == kNotifyClicked && id == 1) {
      Close();
      NewProfileOpenedFromLogin() = false;
      RefreshLoginPage();
      return 1;
    }
    if (!((type == kNotifyClicked && id == 0) || (type == kNotifyEditEnter && id == 3))) return 0;
    if (name.empty()) {
      box->Activate();
      return 1;
    }
    Close();
    ProfileList listed;
    listed.Refresh(ProfileName(), 1);
    const NameAnswer answer = AnswerNewProfile(name, listed);
    if (answer != NameAnswer::kCreate || !PlayerProfile().CreateNew(name)) {
      // A name in use, or one a folder cannot take: say so, then back here.
      const bool duplicate = answer == NameAnswer::kDuplicate;
      Screens().Ask(duplicate ? 1741 : 1797, duplicate ? 1742 : 1798, 1, [this](int32_t) {
        Open();
        Screens().MoveToFront(this);
      }, -150.0f);
      return 1;
    }
    if (NewProfileOpenedFromLogin()) {
      NewProfileOpenedFromLogin() = false;
      RefreshLoginPage();
      return 1;
    }
    Screens().Page(kPageMainMenu)->Open();
    Screens().MoveToFront(Screens().Page(kPageMainMenu));
    return 1;
  }
  CIconButton* cancel = nullptr;
};

// A page with no elements: attached, never opened.
class CBlankScreen : public CPanel {};

}  // namespace

// ---- The screen set ---------------------------------------------------------------------

struct CFrontEndScreens::Pages {
  CInGameMenuScreen inGame;
  CMainMenuScreen main;
  CTitleScreen title;
  CScenarioSelectScreen scenarios;
  CTokenSelectScreen tokens;
  CTutorialSelectScreen tutorials;
  CNewProfileScreen newProfile;
  CFrontEndPrompt prompt;
  CBlankScreen blank;

  CPanel* At(int32_t page) {
    if (CPanel* other = ProfileAndSavePage(page)) return other;
    if (CPanel* other = OptionOrStatisticsPage(page)) return other;
    if (CPanel* other = NetworkPage(page)) return other;
    CPanel* all[] = {&inGame, &main, &title, &scenarios, &tokens, &tutorials, &newProfile, &prompt};
    if (page == kPageBlank) return &blank;
    return page >= 0 && page < int32_t(std::size(all)) ? all[page] : nullptr;
  }
};

CFrontEndScreens::CFrontEndScreens() : pages_(new Pages) {}
CFrontEndScreens::~CFrontEndScreens() {
  entities.clear();
  delete pages_;
}

void CFrontEndScreens::SetLayoutModels(std::vector<LayoutModel> models) {
  const auto oldFirst = reinterpret_cast<uintptr_t>(models_.data());
  const size_t oldCount = models_.size();
  models_ = std::move(models);
  for (const std::unique_ptr<CLayoutEntity>& e : entities) {
    const auto at = reinterpret_cast<uintptr_t>(e->model);
    if (e->model == nullptr || at < oldFirst || at >= oldFirst + oldCount * sizeof(LayoutModel)) continue;
    const size_t page = (at - oldFirst) / sizeof(LayoutModel);
    e->model = page < models_.size() ? &models_[page] : nullptr;
  }
}

void CFrontEndScreens::CreatePanels() {
  if (created) return;
  created = true;
  // Attached back to front: the game-type page ends at the front, the
  // prompt over every page.
  const int32_t order[] = {kPageBlank,    kPageInGameMenu, kPageScenarios,    kPageTokens, kPageTutorials,
                           kPageLoad,     kPageSave,       kPageOptions,      kPageSoundOptions, kPageBoard,
                           kPageGamePlayOptions, kPageGraphicsOptions, kPageStatistics,
                           kPageNetworkSessions, kPageNetworkHost, kPageNetworkLobby,
                           kPageMainMenu, kPageTitle,      kPageLogin,        kPageNewProfile,   kPageSaveName,
                           kPagePrompt};
  for (int32_t page : order) {
    const LayoutModel* model = size_t(page) < models_.size() && kFrontEndLayoutFiles[page] ? &models_[size_t(page)] : nullptr;
    AddPanelWithModel(pages_->At(page), model);
  }
}

CPanel* CFrontEndScreens::Page(int32_t page) const { return pages_->At(page); }

bool CFrontEndScreens::IsOpen(int32_t page) const {
  const CPanel* p = Page(page);
  return p != nullptr && p->open;
}

void CFrontEndScreens::Go(int32_t from, int32_t to) {
  if (CPanel* p = Page(from)) p->Close();
  if (CPanel* p = Page(to)) {
    p->Open();
    MoveToFront(p);
  }
}

void CFrontEndScreens::Ask(int32_t titleText, int32_t messageText, int32_t buttons,
                           std::function<void(int32_t)> answer, float y, const std::vector<std::string>& names) {
  CFrontEndPrompt& prompt = pages_->prompt;
  prompt.SetModelPosition(-40.0f, y);
  prompt.Setup(titleText, messageText, buttons, std::move(answer), names);
  prompt.Open();
  MoveToFront(&prompt);
  PushModal(&prompt);
}

CFrontEndScreens& FrontEndScreens() {
  static CFrontEndScreens screens;
  return screens;
}

void StartFrontEndScene() {
  CFrontEndScreens& fe = FrontEndScreens();
  ListDecadeTracks();
  GameSound().PlayMusic("music_intro.wma");
  if (fe.orbitCameraOnce) {
    fe.orbitCameraOnce = false;
    SetOrbitCamera(-53.0f, 5.0f, 44.0f, 30.0f, 30.0f, 0.0005f, true);
  }
  CamSetMode(kOrbitCameraMode);
}

void EnterFrontEnd() {
  CFrontEndScreens& fe = FrontEndScreens();
  fe.CreatePanels();
  if (!RunState().gameRunning) {
    if (fe.IsOpen(kPageMainMenu)) return;
    SetScreenMode(kScreenMenu);
    // Until a profile is chosen on the login page, a run with none current
    // makes one.
    const bool none = ListProfiles().empty() || ProfileName().empty();
    const int32_t page = none ? kPageNewProfile : kPageMainMenu;
    fe.Page(page)->Open();
    fe.MoveToFront(fe.Page(page));
    RunMenuScript("scripts\\frontend\\hub.lua", true);
    return;
  }
  if (fe.IsOpen(kPageMainMenu)) {
    fe.Page(kPageMainMenu)->Close();
    SetScreenMode(kScreenCity);
    if (GamePauseState().Count(0) > 0) GamePauseState().RemoveReason(0);
    return;
  }
  auto* menu = static_cast<CInGameMenuScreen*>(fe.Page(kPageInGameMenu));
  if (menu->open) {
    // The menu's key closes it as Resume does.
    menu->Resume();
    return;
  }
  SavedMenuCamera() = g_CameraState;
  menu->Open();
  fe.MoveToFront(menu);
}

void PressMenuKey() {
  if (GetScreenMode() == kScreenMenu) {
    CFrontEndScreens& fe = FrontEndScreens();
    if (!RunState().gameRunning || !fe.IsOpen(kPageInGameMenu) || fe.modalCount > 0) return;
  }
  EnterFrontEnd();
}

void ReturnToFrontEnd(bool tutorial, bool finished, bool network) {
  CFrontEndScreens& fe = FrontEndScreens();
  fe.CreatePanels();
  for (CPanel* p : fe.Panels()) p->Close();
  while (fe.modalCount > 0) fe.PopModal();
  SetScreenMode(kScreenMenu);
  CPanel* page = fe.Page(tutorial   ? kPageTutorials
                         : finished ? kPageStatistics
                         : network  ? kPageNetworkSessions
                                    : kPageMainMenu);
  page->Open();
  fe.MoveToFront(page);
}

void ForgetCoveredGame() {
  for (int32_t page = 0; page < kFrontEndPageCount; ++page)
    if (auto* p = dynamic_cast<frontend_pages::CFrontEndPage*>(FrontEndScreens().Page(page))) p->ForgetCoveredGame();
}

void ResetFrontEnd() {
  ForgetCoveredGame();
  CFrontEndScreens& fe = FrontEndScreens();
  for (CPanel* p : fe.Panels()) p->Close();
  while (fe.modalCount > 0) fe.PopModal();
  // As the pages' building left it: the next opening orbits the camera.
  fe.orbitCameraOnce = fe.created;
}

namespace frontend_pages {

bool GameRunning() { return RunState().gameRunning; }
bool NetworkGame() { return Session().networkSession; }
std::string ProfileName() { return PlayerProfile().name; }
std::string MenuText(int32_t id) {
  std::string out;
  if (!InterfaceTextSystem().GetTextAscii(out, id)) return {};
  return out;
}
int32_t RememberedToken() { return PlayerProfile().PreferredCharacter; }
void RememberToken(int32_t token) { PlayerProfile().PreferredCharacter = token; }
bool RunMenuScript(const char* path, bool reportErrors) { return Script().RunFile(path, reportErrors); }

void ShowLevelName(CTextRect* t, const ScenarioEntry& e) { ShowEntryText(t, e.name); }
void ShowLevelDescription(CTextRect* t, const ScenarioEntry& e, int32_t goal, int32_t difficulty) {
  if (goal <= 0) goal = LevelTarget(e.id, difficulty < 0 ? ScenarioManager().Difficulty() : difficulty);
  ShowEntryText(t, e.description, goal);
}

}  // namespace frontend_pages
