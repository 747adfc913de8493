// The network pages: the session list, the host page and the lobby with its
// chat. The lobby's slots live in LobbySlots (lobby_rules.h); the pages show
// them and turn clicks into lobby messages (kinds 4, 5, 6, 11 and 12), which
// in single player are routed on this machine alone.
#include "frontend/network_pages.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "engine/core/console.h"
#include "engine/core/error.h"
#include "frontend/front_end_page.h"
#include "frontend/level_marks.h"
#include "session/chat_log.h"
#include "session/game_messages.h"
#include "session/goals.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "session/session_state.h"
#include "ui/edit_box.h"
#include "ui/game_requests.h"
#include "ui/list_box.h"
#include "ui/money_format.h"
#include "ui/panel_manager.h"

using namespace frontend_pages;

namespace {

FrontEndNetwork* g_network = nullptr;

constexpr uint32_t kGreenTop = 0xFF00FF00, kGreenBottom = 0x8000FF00;
constexpr uint32_t kLabelBacking = 0xFF01762F, kInfoBacking = 0xFF1B254B, kBlueBacking = 0xFF000A4B;
constexpr uint32_t kGreyTitleBottom = 0x7F909090;
constexpr int32_t kLabelColour = 16;
constexpr int32_t kOpenSlotText = 1754, kComputerSlotText = 1756;
constexpr int32_t kNoSessionsText = 1698, kHostOrWaitText = 1699;
constexpr int32_t kChooseText = 1646;
constexpr int32_t kRefreshFrames = 100;
constexpr int32_t kLobbyStatusLabelText = 4050;

bool HostOrSingle() { return !Session().networkSession || Session().host; }
bool NetworkMode() { return FrontEndGameMode() == 0; }

// The difficulty's name and the goal value after it: money for goal types
// 3 and 5, else a plain number.
void ShowDifficultyAndGoal(CTextRect* t, int32_t difficulty, int32_t goalType, int32_t goal) {
  // One line: the difficulty's name, then the value.
  const std::string value = GoalShownAsMoney(goalType) ? FormatMoney(goal) : std::to_string(goal);
  CFrontEndPage::Show(t, MenuText(DifficultyGoalText(difficulty)) + "  " + value);
}

void ShowGoalValue(CTextRect* t, int32_t goalType, uint32_t value) {
  t->Clear();
  if (GoalShownAsMoney(goalType)) t->AddText(FormatMoney(int32_t(value)));
  else t->AddTextF("%d", int32_t(value));
}

void SetScenarioLine(CListBox* list, int32_t line, const ScenarioEntry& e) {
  bool digits = !e.name.empty() && e.name.size() <= 9 &&
                std::all_of(e.name.begin(), e.name.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (digits) list->SetItemTextId(line, std::stoi(e.name));
  else list->SetItemText(line, "%s", e.name.c_str());
  list->SetItemValue(line, e.id);
}

CIconButton* SmallButton(CPanel* page, int32_t id, const UIRect& r, const char* label) {
  CIconButton* b = page->CreateIconButton(id, r.x1, r.y1, r.x2, r.y2);
  b->SetMode(kIconFireOnRelease);
  b->SetTint(60, 90, 150);
  b->label.SetFont(1);
  b->label.SetAlignment(9, 0, 0);
  b->SetLabel(label);
  return b;
}

// ---- The session list -------------------------------------------------------------------

class CNetworkSessionScreen : public CFrontEndPage {
 public:
  enum { kCancel = 0, kJoin = 1, kHost = 2, kList = 0 };
  void Build() override {
    static const MenuButtonDef kButtons[] = {{"NETWORK_CANCEL_BUTTON", 175, 6, 6, 1439},
                                             {"NETWORK_JOIN_BUTTON", 80, 148, 34, 1700},
                                             {"NETWORK_HOST_BUTTON", 166, 133, 0, 1701}};
    MenuButton(kButtons, kCancel, 1);
    join = MenuButton(kButtons, kJoin, 1);
    host = MenuButton(kButtons, kHost, 1);
    Text(10, "NETWORK_TITLE_AREA", 1683, 4);
    Text(11, "NETWORK_SESSION_TITLE_AREA", 1693);
    Text(12, "NETWORK_SCENARIO_TITLE", 1685);
    const char* labels[5] = {"NETWORK_SCEN_LABEL1", "NETWORK_SCEN_LABEL2", "NETWORK_SCEN_LABEL3",
                             "NETWORK_SCEN_LABEL4", "NETWORK_SCEN_LABEL7"};
    const int32_t labelTexts[5] = {1880, 1697, 1881, 1879, 1883};
    for (int32_t i = 0; i < 5; ++i) Text(13 + i, labels[i], labelTexts[i], 1, 3)->SetAllLinesColour(kLabelColour);
    info[0] = Text(20, "NETWORK_SCEN_INFO1", 0, 3, 3);
    info[1] = Text(21, "NETWORK_SCEN_INFO2", 0, 3, 3);
    info[2] = Text(22, "NETWORK_SCEN_INFO3", 0, 3, 3);
    info[3] = Text(23, "NETWORK_SCEN_INFO4", 0, 3, 3);
    description = Text(24, "NETWORK_SCEN_INFO7", 0, 1, 0);
    const UIRect r = ElementRect("NETWORK_SESSION_LIST");
    list = CreateListBox(kList, r.x1 + 4, r.y1 + 4, r.x2 - 24, r.y2 - 4, 0.5f);
  }
  void ClearInfo() {
    Show(description, " ");
    for (CTextRect* t : info) Show(t, "");
  }
  void OnOpen() override {
    ClearInfo();
    selected = -1;
    selectedInstance = 0;
    shown = -1;
    shownInstances.clear();
    FrontEndNetwork& net = FrontEndNet();
    if (!initialised) {
      initialised = true;
      // Said once; the page still opens and shows its empty list.
      if (!net.Init()) ReportError(1, 0, "Failed to initialise network");
    }
    Refresh();
    Enable(join, false);
    Enable(host, !net.StartedWithNetworkOptions());
  }
  void OnClose() override { FrontEndNet().StopSessionEnumeration(); }
  void Refresh() {
    FrontEndNetwork& net = FrontEndNet();
    net.EnumerateSessions();
    sessions = net.Sessions();
    if (sessions.size() > 24) sessions.resize(24);
    std::vector<uint32_t> instances;
    for (const FoundSession& s : sessions) instances.push_back(s.instance);
    // Rebuilt when the sessions change, not only their count: a line must
    // join the session it names.
    if (shown < 0 || instances != shownInstances) {
      shownInstances = instances;
      shown = int32_t(sessions.size());
      if (sessions.empty()) {
        list->Reset(4);
        list->SetItemTextId(0, kNoSessionsText);
        list->SetItemText(1, " ");
        list->SetItemText(2, " ");
        list->SetItemTextId(3, kHostOrWaitText);
        for (int32_t i = 0; i < 4; ++i) list->SetItemValue(i, 0);
      } else {
        list->Reset(shown);
        for (int32_t i = 0; i < shown; ++i) {
          list->SetItemText(i, "%s", sessions[size_t(i)].name.c_str());
          list->SetItemValue(i, i);
        }
      }
      const auto at = std::find(instances.begin(), instances.end(), selectedInstance);
      selected = at == instances.end() ? -1 : int32_t(at - instances.begin());
      if (selected >= 0) list->Select(selected);
      else list->ClearSelection();
    }
    if (selected < 0 && selectedInstance != 0) {
      selectedInstance = 0;
      ClearInfo();
      Enable(join, false);
    }
    list->visible = true;
    list->inputDisabled = sessions.empty();
  }
  // The values a host published are checked before they are shown or used.
  static bool ValidSession(const FoundSession& s) {
    const int32_t current = s.user[3] & 0xFFFF, maximum = s.user[3] >> 16;
    return s.user[1] >= 0 && s.user[1] <= 2 && s.user[2] >= 0 && current >= 0 && maximum >= 0 &&
           maximum <= kSetupRows && current <= maximum;
  }
  void Choose(int32_t line) {
    if (sessions.empty() || line < 0 || line >= int32_t(sessions.size())) return;
    selected = line;
    const FoundSession& s = sessions[size_t(line)];
    selectedInstance = s.instance;
    const bool valid = ValidSession(s);
    const bool known = valid && ScenarioManager().SelectScenario(s.user[0], true);
    Show(info[0], s.name);
    Enable(join, known);
    if (!valid) {
      Show(info[2], "Unknown level");
      return;
    }
    ScenarioManager().SetDifficulty(s.user[1]);
    ScenarioEntry* entry = known ? ScenarioManager().Find(s.user[0]) : nullptr;
    if (entry) entry->goalValue = float(s.user[2]);
    if (entry) ShowLevelName(info[2], *entry);
    else Show(info[2], "Unknown level");
    ShowDifficultyAndGoal(info[3], s.user[1], GameGoal().kind, s.user[2]);
    if (entry) ShowLevelDescription(description, *entry, s.user[2]);
    else Show(description, " ");
    info[1]->Clear();
    info[1]->AddTextF("%i/%i", s.user[3] & 0xFFFF, s.user[3] >> 16);
  }
  void Join();
  void DrawPage() override {
    Band("NETWORK_TITLE_AREA", kGreenTop, kGreenBottom);
    Band("NETWORK_SESSION_LIST", kBacking, kBacking);
    Band("NETWORK_SCENARIO_BACKING", kBacking, kBacking);
    Band("NETWORK_SESSION_TITLE_AREA", kGreyTop, kGreyTitleBottom);
    Band("NETWORK_SCENARIO_TITLE", kGreyTop, kGreyTitleBottom);
    for (const char* l : {"NETWORK_SCEN_LABEL1", "NETWORK_SCEN_LABEL2", "NETWORK_SCEN_LABEL3",
                          "NETWORK_SCEN_LABEL4", "NETWORK_SCEN_LABEL7"})
      Band(l, kLabelBacking, kLabelBacking);
    for (const char* i : {"NETWORK_SCEN_INFO1", "NETWORK_SCEN_INFO2", "NETWORK_SCEN_INFO3", "NETWORK_SCEN_INFO4"})
      Band(i, kInfoBacking, kInfoBacking);
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t value) override {
    // The menus have no refresh task of their own: every 2 seconds of input frames.
    if (type == kMsgRefresh || (type == kMsgFrameTick && ++frames % kRefreshFrames == 0)) {
      Refresh();
      return 1;
    }
    if (type == kNotifyListItem && id == kList) {
      Choose(value);
      return 1;
    }
    if (type != kNotifyClicked) return 0;
    if (id == kCancel) Screens().Go(kPageNetworkSessions, kPageMainMenu);
    if (id == kHost) {
      FrontEndGameMode() = 0;
      Screens().Go(kPageNetworkSessions, kPageNetworkHost);
    }
    if (id == kJoin && !join->disabled) Join();
    return 1;
  }
  bool initialised = false;
  int32_t frames = 0;
  int32_t selected = -1;
  uint32_t selectedInstance = 0;
  int32_t shown = -1;
  std::vector<uint32_t> shownInstances;
  std::vector<FoundSession> sessions;
  CIconButton* join = nullptr;
  CIconButton* host = nullptr;
  CListBox* list = nullptr;
  CTextRect* description = nullptr;
  std::array<CTextRect*, 4> info{};
};

// ---- The host page ------------------------------------------------------------------------

class CNetworkHostScreen : public CFrontEndPage {
 public:
  enum { kOk = 0, kBack = 1, kMinus = 2, kPlus = 3, kMinus2 = 4, kPlus2 = 5, kList = 6, kName = 7, kEasy = 10 };
  void Build() override {
    static const MenuButtonDef kButtons[] = {{"NETWORK_HOST_OK_BUTTON", 80, 148, 34, 1435},
                                             {"NETWORK_HOST_BACK_BUTTON", 175, 6, 6, 1439}};
    ok = MenuButton(kButtons, kOk, 1);
    MenuButton(kButtons, kBack, 1);
    SmallButton(this, kMinus, ElementRect("NETWORK_HOST_MOD01_MINUS"), "-");
    SmallButton(this, kPlus, ElementRect("NETWORK_HOST_MOD01_PLUS"), "+");
    title = Text(20, "NETWORK_HOST_TITLE_AREA", 1683, 4);
    subTitle = Text(21, "NETWORK_HOST_SESS_TITLE", 1692, 1);
    Text(22, "NETWORK_HOST_LABEL1", 1880, 1, 3)->SetAllLinesColour(kLabelColour);
    Text(23, "NETWORK_HOST_LABEL2", 1879, 1, 3)->SetAllLinesColour(kLabelColour);
    goalLabel = Text(24, "NETWORK_HOST_LABEL4", 1882, 1, 3);
    goalLabel->SetAllLinesColour(kLabelColour);
    Text(25, "NETWORK_HOST_LABEL7", 1883, 1, 3)->SetAllLinesColour(kLabelColour);
    levelName = Text(26, "NETWORK_HOST_INFO_TITLE", kChooseText);
    goalValueText = Text(27, "NETWORK_HOST_INFO4", 0, 3, 9);
    description = Text(28, "NETWORK_HOST_INFO7", 0, 1, 0);
    const UIRect n = ElementRect("NETWORK_HOST_INFO1");
    nameBox = CreateEditBox(kName, n.x1 + 2, n.y1 + 2, n.x2 - 2, n.y2 - 2);
    nameBox->clickable = true;
    nameBox->maxLength = 16;
    nameBox->text.SetFont(3);
    const UIRect l = ElementRect("NETWORK_HOST_SESS_LIST");
    list = CreateListBox(kList, l.x1, l.y1, l.x2, l.y2, 0.5f);
    const char* toggles[3] = {"NETWORK_HOST_TOGGLE1", "NETWORK_HOST_TOGGLE2", "NETWORK_HOST_TOGGLE3"};
    const char* labels[3] = {"NETWORK_HOST_EASY_LABEL", "NETWORK_HOST_MEDIUM_LABEL", "NETWORK_HOST_HARD_LABEL"};
    const int32_t names[3] = {1876, 1875, 1874};
    for (int32_t i = 0; i < 3; ++i) {
      const UIRect t = ElementRect(toggles[i]);
      radios[size_t(i)] = CreateRadioButton(kEasy + i, t.x1, t.y1, t.x2, t.y2);
      radios[size_t(i)]->imageOn = kRadioOnImage;
      radios[size_t(i)]->imageOff = kRadioOffImage;
      Text(30 + i, labels[i], names[i], 1, 3);
    }
    for (int32_t i = 0; i < 3; ++i) {
      radios[size_t(i)]->sibling1 = radios[size_t((i + 1) % 3)];
      radios[size_t(i)]->sibling2 = radios[size_t((i + 2) % 3)];
    }
  }
  void OnOpen() override {
    goalRow = -1;
    goalValue = 0;
    FrontEndNetwork& net = FrontEndNet();
    const bool fromCommandLine = NetworkMode() && net.StartedWithNetworkOptions();
    // The session's name starts as the profile's.
    if (sessionName.empty()) sessionName = ProfileName().substr(0, 16);
    nameBox->SetText(fromCommandLine ? net.SessionNameOption() : sessionName);
    nameBox->clickable = !fromCommandLine;
    ids.clear();
    const ScenarioEntry* first = ScenarioManager().FirstEntry(1);
    ScenarioManager().SelectScenario(first ? first->id : -1, true);
    for (const ScenarioEntry* e = first; e; e = ScenarioManager().NextEntry(e, 1)) ids.push_back(e->id);
    list->Reset(int32_t(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i)
      if (const ScenarioEntry* e = ScenarioManager().FindById(ids[i])) SetScenarioLine(list, int32_t(i), *e);
    Enable(ok, false);
    Show(levelName, kChooseText);
    ScenarioManager().SetDifficulty(0);
    for (int32_t i = 0; i < 3; ++i) radios[size_t(i)]->on = i == 0;
    Show(description, " ");
    Show(goalValueText, "Test");
    Show(title, NetworkMode() ? 1683 : 2227);
    Show(subTitle, NetworkMode() ? 1692 : 2229);
    if (!ids.empty()) {
      list->Select(0);
      Choose(0);
    }
  }
  void OnClose() override { Screens().SetKeyboardFocus(nullptr); }
  void ShowGoal() {
    if (goalRow < 0) {
      Show(goalValueText, "");
      return;
    }
    const GoalSettingRow& row = kGoalSettings[goalRow];
    goalValue = ClampGoalValue(row, goalValue);
    ShowGoalValue(goalValueText, row.goalType, goalValue);
    // The description names the goal the game will be played to.
    if (const ScenarioEntry* e = ScenarioManager().Current()) ShowLevelDescription(description, *e, int32_t(goalValue));
  }
  void Choose(int32_t line) {
    if (line < 0 || line >= int32_t(ids.size())) return;
    if (!ScenarioManager().SelectScenario(ids[size_t(line)], true)) return;
    const ScenarioEntry* e = ScenarioManager().Current();
    ShowLevelDescription(description, *e);
    goalRow = GoalSettingRowOf(GameGoal().kind);
    if (goalRow < 0) {
      Show(goalLabel, "");
      goalValue = 0;
    } else {
      Show(goalLabel, kGoalSettings[goalRow].labelText);
      goalValue = uint32_t(kGoalSettings[goalRow].defaultValue);
    }
    ShowGoal();
    Enable(ok, true);
    ShowLevelName(levelName, *e);
  }
  void Step(int32_t sign) {
    if (goalRow < 0) return;
    goalValue = ClampGoalValue(kGoalSettings[goalRow], int64_t(goalValue) + sign * kGoalSettings[goalRow].step);
    ShowGoal();
  }
  void Host();
  void DrawPage() override {
    Band("NETWORK_HOST_BACKING2", kBacking, kBacking);
    Band("NETWORK_HOST_TITLE_AREA", kGreenTop, kGreenBottom);
    Band("NETWORK_HOST_SESS_BLUE", kBlueBacking, kBlueBacking);
    Band("NETWORK_HOST_SESS_TITLE", kGreyTop, kGreyTitleBottom);
    Band("NETWORK_HOST_INFO_TITLE", kGreyTop, kGreyTitleBottom);
    for (const char* l : {"NETWORK_HOST_LABEL1", "NETWORK_HOST_LABEL2", "NETWORK_HOST_LABEL4", "NETWORK_HOST_LABEL7"})
      Band(l, kLabelBacking, kLabelBacking);
    for (const char* i : {"NETWORK_HOST_INFO1", "NETWORK_HOST_INFO4", "NETWORK_HOST_SESS_BLUE2"})
      Band(i, kInfoBacking, kInfoBacking);
    // The cups over the difficulties: what winning at each one earns.
    const char* cups[3] = {"NETWORK_HOST_EASY_CUP", "NETWORK_HOST_MEDIUM_CUP", "NETWORK_HOST_HARD_CUP"};
    for (int32_t i = 0; i < 3; ++i) DrawImageInRect(At(cups[i]), kCupImage[i]);
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t value) override {
    if (type == kNotifyListItem && id == kList) {
      Choose(value);
      return 1;
    }
    if (type == kNotifyRadioOn && id >= kEasy && id < kEasy + 3) {
      ScenarioManager().SetDifficulty(id - kEasy);
      return 1;
    }
    if (type == kNotifyEditEnter && id == kName) {
      nameBox->GetText(sessionName);
      return 1;
    }
    if (type != kNotifyClicked) return 0;
    switch (id) {
      case kMinus: Step(-1); break;
      case kPlus: Step(1); break;
      case kOk: Host(); break;
      case kBack:
        Screens().Go(kPageNetworkHost, NetworkMode() ? kPageNetworkSessions : kPageTitle);
        break;
      default: break;
    }
    return 1;
  }
  int32_t goalRow = -1;
  uint32_t goalValue = 0;
  std::string sessionName;
  std::vector<int32_t> ids;
  CIconButton* ok = nullptr;
  CEditBox* nameBox = nullptr;
  CListBox* list = nullptr;
  CTextRect* title = nullptr;
  CTextRect* subTitle = nullptr;
  CTextRect* goalLabel = nullptr;
  CTextRect* levelName = nullptr;
  CTextRect* goalValueText = nullptr;
  CTextRect* description = nullptr;
  std::array<CRadioButton*, 3> radios{};
};

// ---- The lobby ------------------------------------------------------------------------------

class CNetworkChatScreen : public CFrontEndPage {
 public:
  enum { kToggle = 12, kReady = 18, kCancel = 24, kStart = 25, kChatBox = 6 };
  void Build() override {
    char element[48];
    for (int32_t s = 0; s < kSetupRows; ++s) {
      auto at = [&](const char* format) {
        std::snprintf(element, sizeof element, format, s + 1);
        return ElementRect(element);
      };
      left[size_t(s)] = SmallButton(this, 2 * s, at("NETWORK_CHAT_LEFT_BUTT_P%d"), "<");
      right[size_t(s)] = SmallButton(this, 2 * s + 1, at("NETWORK_CHAT_RIGHT_BUTT_P%d"), ">");
      toggles[size_t(s)] = SmallButton(this, kToggle + s, at("NETWORK_CHAT_TOGGLE_P%d"), "");
      readyBoxes[size_t(s)] = SmallButton(this, kReady + s, at("NETWORK_CHAT_CHECKBOX_P%d"), "");
      const UIRect n = at("NETWORK_CHAT_NAMESLOT_P%d");
      names[size_t(s)] = CreateEditBox(s, n.x1, n.y1, n.x2, n.y2);
      names[size_t(s)]->maxLength = 31;
      names[size_t(s)]->widthLimit = 80;
      names[size_t(s)]->text.SetFont(3);
    }
    static const MenuButtonDef kButtons[] = {{"NETWORK_CHAT_CANCEL_BUTTON", 175, 6, 6, 1439},
                                             {"NETWORK_CHAT_START_BUTTON", 80, 148, 34, 1440}};
    MenuButton(kButtons, 0, 1)->id = kCancel;
    start = MenuButton(kButtons, 1, 1);
    start->id = kStart;
    const UIRect c = ElementRect("NETWORK_CHAT_CHAT_TYPEAREA");
    chatBox = CreateEditBox(kChatBox, c.x1 + 4, c.y1 + 2, c.x2 - 4, c.y2 - 2);
    chatBox->maxLength = 50;
    chatBox->widthLimit = 250;
    chatBox->clickable = true;
    chatBox->text.SetFont(1);
    title = Text(100, "NETWORK_CHAT_TITLE_AREA", 1683, 4);
    Text(101, "NETWORK_CHAT_PLAYERS_TITLE", 1684);
    Text(102, "NETWORK_CHAT_SESS_TITLE", 1685);
    Text(103, "NETWORK_CHAT_CHAT_TITLE", 1686);
    Text(104, "NETWORK_CHAT_SESS_LABEL1", 1615, 1, 3)->SetAllLinesColour(kLabelColour);
    Text(105, "NETWORK_CHAT_SESS_LABEL2", 1879, 1, 3)->SetAllLinesColour(kLabelColour);
    Text(106, "NETWORK_CHAT_SESS_LABEL3", kLobbyStatusLabelText, 1, 3)->SetAllLinesColour(kLabelColour);
    levelName = Text(107, "NETWORK_CHAT_SESS_INFO1", 0, 1, 3);
    difficulty = Text(108, "NETWORK_CHAT_SESS_INFO2", 0, 1, 3);
    // The status is a sentence ("Waiting for the host to start"): in the
    // smaller bold face on two lines, which the row's box is tall enough for.
    status = Text(109, "NETWORK_CHAT_SESS_INFO3", 0, 3, 3);
    chatLines = Text(110, "NETWORK_CHAT_CHAT_BACKING", 0, 1, 0);
  }
  LobbySlots& L() { return lobby; }
  void OnOpen() override {
    frames = 0;
    ChatLog().Clear();
    shownChat = -1;
    lobby.Reset();
    lobby.hostOrSingle = HostOrSingle();
    lobby.network = Session().networkSession;
    lobby.localSlot = lobby.hostOrSingle ? 0 : -1;
    for (CEditBox* b : names) {
      b->SetText(MenuText(kOpenSlotText));
      b->clickable = false;
    }
    start->visible = lobby.hostOrSingle;
    Enable(start, false);
    chatBox->SetText("");
    Show(title, 1683);
    UpdateAfterChange();
    chatBox->Activate();
    Refresh();
  }
  void OnClose() override { Screens().SetKeyboardFocus(nullptr); }
  // A client's slot is the one holding its id; -1 until the host's list
  // has placed it.
  int32_t LocalSlot() const {
    if (lobby.hostOrSingle) return 0;
    const int32_t me = Session().localDirectPlayId;
    for (int32_t s = 0; s < kSetupRows; ++s)
      if (me > 0 && lobby.slots[size_t(s)].id == me && lobby.slots[size_t(s)].Used()) return s;
    return -1;
  }
  void UpdateAfterChange() {
    lobby.localSlot = LocalSlot();
    lobby.ForceLocalReady();
    for (int32_t s = 0; s < kSetupRows; ++s) {
      const LobbySlot& slot = lobby.slots[size_t(s)];
      const bool local = s == lobby.localSlot;
      readyBoxes[size_t(s)]->visible = slot.kind != kSlotComputer;
      Enable(readyBoxes[size_t(s)], local);
      readyBoxes[size_t(s)]->SetLabel(slot.kind == kSlotHuman && slot.ready == 1 ? "X" : "");
      const bool arrows = slot.Used() && (local || (lobby.hostOrSingle && slot.kind == kSlotComputer));
      left[size_t(s)]->visible = right[size_t(s)]->visible = arrows;
      toggles[size_t(s)]->visible = lobby.hostOrSingle && !local;
      names[size_t(s)]->clickable = local;
      if (!local || Screens().focusedEditBox != names[size_t(s)])
        names[size_t(s)]->SetText(slot.kind == kSlotOpen ? MenuText(kOpenSlotText) : slot.name);
    }
    WriteRows();
    if (lobby.hostOrSingle && Session().networkSession && NetworkMode()) PublishSession();
    UpdateStartState();
  }
  // The set-up rows follow the slots: the level starts from them.
  void WriteRows() {
    CPlayerTable& table = PlayerTable();
    for (int32_t s = 0; s < kSetupRows; ++s) {
      const LobbySlot& slot = lobby.slots[size_t(s)];
      PlayerSetupRow& row = table.SetupRow(s);
      row = PlayerSetupRow{};
      row.kind = slot.kind == kSlotHuman ? kPlayerHuman : slot.kind == kSlotComputer ? kPlayerComputer : kPlayerEmpty;
      row.character = slot.Used() ? slot.token : -1;
      row.directPlayId = slot.id > 0 ? slot.id : 0;
      row.difficulty = slot.kind == kSlotComputer ? ScenarioManager().Difficulty() : slot.ready;
      std::snprintf(row.name, sizeof row.name, "%s", slot.name.c_str());
    }
  }
  void PublishSession() {
    const int32_t current = lobby.CurrentPlayers(), maximum = lobby.MaxPlayers();
    FrontEndNet().EnableJoining(current < maximum);
    const ScenarioEntry* e = ScenarioManager().Current();
    const int32_t words[4] = {e ? e->id : 0, ScenarioManager().Difficulty(), e ? int32_t(e->goalValue) : 0,
                              (maximum << 16) | current};
    FrontEndNet().SetSessionUserValues(words);
  }
  void UpdateStartState() {
    const LobbyStartState state = lobby.StartState();
    Enable(start, state.enabled);
    Show(status, state.statusText);
  }
  void Refresh() {
    UpdateStartState();
    Show(title, 1878);
    if (const ScenarioEntry* e = ScenarioManager().Current()) {
      ShowLevelName(levelName, *e);
      ShowDifficultyAndGoal(difficulty, ScenarioManager().Difficulty(), GameGoal().kind, int32_t(e->goalValue));
    }
  }
  void SetPlayerSlot(int32_t s, int32_t id, const std::string& name, int32_t token, int32_t kind, int32_t ready) {
    if (s < 0 || s >= kSetupRows || kind < 0 || kind > 3) return;
    LobbySlot& slot = lobby.slots[size_t(s)];
    // Tokens are the host's to give: a client's slot that comes back with
    // another token than the host stepped it to (sent before the step's
    // list reached it) keeps the host's, and the list goes out again.
    const bool keepToken = lobby.hostOrSingle && s != LocalSlot() && kind == kSlotHuman &&
                           slot.kind == kSlotHuman && slot.id == id && slot.token >= 0 && token != slot.token;
    if (keepToken) token = slot.token;
    slot.kind = kind;
    slot.token = kind == kSlotHuman || kind == kSlotComputer ? token : -1;
    slot.id = id;
    slot.ready = ready;
    slot.name = name.substr(0, 31);
    lobby.localSlot = LocalSlot();
    LobbySlot& local = lobby.slots[size_t(std::max(lobby.localSlot, 0))];
    if (lobby.localSlot >= 0 && local.Used() && local.token < 0) {
      local.token = lobby.LowestFreeToken();
      local.name = FrontEndNet().PlayerName();
      SendPlayerSetup(lobby.localSlot);
    }
    UpdateAfterChange();
    if (keepToken) SendPlayerSetup(0);
  }
  // A computer is called by its token's character, whichever token it holds.
  void NameComputersByToken() {
    for (LobbySlot& slot : lobby.slots)
      if (slot.kind == kSlotComputer && slot.token >= 0 && slot.token < kTokenCount)
        slot.name = MenuText(TokenInfoRow(slot.token).nameText);
  }
  void SendPlayerSetup(int32_t s) {
    if (lobby.hostOrSingle) {
      lobby.ResolveTokenClashes();
      NameComputersByToken();
      UpdateAfterChange();
      LobbySetupMsg m;
      for (int32_t i = 0; i < kSetupRows; ++i) {
        const LobbySlot& slot = lobby.slots[size_t(i)];
        m.directPlayId[i] = slot.id;
        std::snprintf(m.names[i], kLobbyNameSize, "%s", slot.name.c_str());
        m.tokens[i] = int8_t(slot.Used() ? slot.token : -1);
        m.kinds[i] = int8_t(slot.kind);
        m.ready[i] = slot.ready;
      }
      Post(m);
      return;
    }
    if (s < 0 || s >= kSetupRows) return;
    const LobbySlot& slot = lobby.slots[size_t(s)];
    LobbySlotMsg m{PlayerIndex{s}};
    std::snprintf(m.name, sizeof m.name, "%s", slot.name.c_str());
    m.token = int8_t(slot.Used() ? slot.token : -1);
    m.kind = int8_t(slot.kind);
    m.directPlayId = slot.id;
    m.value = slot.ready;
    Post(m);
  }
  void ShowChat() {
    const CChatLog& log = ChatLog();
    const int32_t live = log.LiveCount();
    const std::string last = live > 0 ? log.Line(live - 1).text : "";
    if (live == shownChat && last == shownLast) return;
    shownChat = live;
    shownLast = last;
    chatLines->Clear();
    for (int32_t i = 0; i < live; ++i) {
      const ChatLine& line = log.Line(i);
      const int32_t p = std::clamp(line.player, 0, kSetupRows - 1);
      chatLines->AddText(lobby.slots[size_t(p)].name + ": " + line.text);
    }
  }
  void StepArrow(int32_t s, int32_t step) {
    const LobbySlot& slot = lobby.slots[size_t(s)];
    if (!slot.Used()) return;
    if (!lobby.hostOrSingle && (s != LocalSlot() || slot.ready == 1)) return;
    if (lobby.hostOrSingle && s != LocalSlot() && slot.kind != kSlotComputer) return;
    Post(TokenCycleMsg{PlayerIndex{s}, step});
  }
  void Toggle(int32_t s) {
    if (!lobby.hostOrSingle || s == LocalSlot()) return;
    const LobbySlot before = lobby.slots[size_t(s)];
    if (before.kind == kSlotHuman) Post(LobbyLeaveMsg{PlayerIndex{s}, PlayerIndex{LocalSlot()}});
    lobby.Toggle(s, MenuText(kComputerSlotText));
    SendPlayerSetup(s);
  }
  void ToggleReady() {
    if (LocalSlot() < 0) return;
    LobbySlot& slot = lobby.slots[size_t(LocalSlot())];
    if (slot.kind != kSlotHuman) return;
    slot.ready = slot.ready == 1 ? 0 : 1;
    UpdateAfterChange();
    SendPlayerSetup(LocalSlot());
  }
  void Cancel() {
    const int32_t local = LocalSlot();
    const bool hostSide = lobby.hostOrSingle;
    if (local >= 0) {
      LobbySlotMsg m{PlayerIndex{local}};
      m.kind = kSlotOpen;
      Post(m);
    }
    Close();
    if (hostSide) {
      Screens().Page(kPageNetworkHost)->Open();
      Screens().MoveToFront(Screens().Page(kPageNetworkHost));
      Post(LobbyLeaveMsg{PlayerIndex{-1}, PlayerIndex{local}});
      PlayerTable().ClearPlayerSetupRows();
      if (Session().networkSession) FrontEndNet().EndSession();
      return;
    }
    PlayerTable().ClearPlayerSetupRows();
    FrontEndNet().EndSession();
    Screens().Page(kPageNetworkSessions)->Open();
    Screens().MoveToFront(Screens().Page(kPageNetworkSessions));
  }
  void Start() {
    for (int32_t s = 0; s < kSetupRows; ++s) {
      LobbySlot& slot = lobby.slots[size_t(s)];
      if (!slot.Used()) continue;
      if (slot.token < 0) return;
      if (s == LocalSlot()) names[size_t(s)]->GetText(slot.name);
      if (slot.name.empty() || slot.ready != 1) return;
    }
    if (!lobby.hostOrSingle || !lobby.StartState().enabled) return;
    lobby.Compact();
    SendPlayerSetup(0);
    for (int32_t s = 0; s < kSetupRows; ++s)
      if (const LobbySlot& slot = lobby.slots[size_t(s)]; slot.Used())
        ConsolePrintF(kConsoleReply, "Lobby slot %d: %s, %s, token %d", s + 1, slot.name.c_str(),
                      slot.kind == kSlotHuman ? "human" : "computer", slot.token);
    const ScenarioEntry* e = ScenarioManager().Current();
    if (e == nullptr) return;
    const int32_t seed = int32_t(std::time(nullptr));
    Session().networkSeed = seed;
    if (Session().networkSession) FrontEndNet().EnableJoining(false);
    Post(GameStartMsg{seed, e->id, Session().executableVersion});
    Close();
    PostGameRequest(StartLevelRequest{kPageNetworkLobby});
  }
  void DrawPage() override {
    Band("NETWORK_CHAT_PLAYER_BACK", kBacking, kBacking);
    Band("NETWORK_CHAT_TITLE_AREA", kGreenTop, kGreenBottom);
    Band("NETWORK_CHAT_PLAYERS_TITLE", kGreyTop, kGreyTitleBottom);
    Band("NETWORK_CHAT_SESS_TITLE", kGreyTop, kGreyTitleBottom);
    Band("NETWORK_CHAT_CHAT_TITLE", kGreyTop, kGreyTitleBottom);
    Band("NETWORK_CHAT_SESS_BACKING", kBlueBacking, kBlueBacking);
    Band("NETWORK_CHAT_CHAT_BACKING", 0xFF1F2F70, 0xFF1F2F70);
    Band("NETWORK_CHAT_CHAT_TYPEAREA", kInfoBacking, kInfoBacking);
    for (const char* l : {"NETWORK_CHAT_SESS_LABEL1", "NETWORK_CHAT_SESS_LABEL2", "NETWORK_CHAT_SESS_LABEL3"})
      Band(l, kLabelBacking, kLabelBacking);
    char element[48];
    for (int32_t s = 0; s < kSetupRows; ++s) {
      const LobbySlot& slot = lobby.slots[size_t(s)];
      if (s == LocalSlot()) {
        std::snprintf(element, sizeof element, "NETWORK_CHAT_SLOT_%dBACKING", s + 1);
        PulseBand(element, frames);
      }
      std::snprintf(element, sizeof element, "NETWORK_CHAT_NAMESLOT_P%d", s + 1);
      Band(element, kInfoBacking, kInfoBacking);
      std::snprintf(element, sizeof element, "NETWORK_CHAT_TINT_SLOT%d", s + 1);
      TokenBand(element, slot.Used() ? slot.token : -1);
      if (slot.kind == kSlotClosed) DrawRect2DSolid(At(element), 0xAA000000, 0.6f);
      if (slot.Used() && slot.token >= 0 && slot.token < kTokenCount) {
        std::snprintf(element, sizeof element, "NETWORK_CHAT_TOKEN_P%d", s + 1);
        DrawImageInRect(At(element), TokenInfoRow(slot.token).tokenImage);
      }
      // The toggle shows who holds the seat: a person or the computer.
      std::snprintf(element, sizeof element, "NETWORK_CHAT_TOGGLE_P%d", s + 1);
      if (slot.kind == kSlotHuman) DrawImageInRect(At(element), kHumanSeatImage);
      if (slot.kind == kSlotComputer) DrawImageInRect(At(element), kComputerSeatImage);
    }
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t) override {
    if (type == kMsgFrameTick) {
      if (++frames % kRefreshFrames == 0) Refresh();
      ShowChat();
      return 1;
    }
    if (type == kMsgRefresh) {
      Refresh();
      return 1;
    }
    if (type == kNotifyEditEnter) {
      if (id == kChatBox) {
        std::string text;
        chatBox->GetText(text);
        if (!text.empty()) {
          ChatLog().PostLine(text, std::max(LocalSlot(), 0), {});
          ConsolePrintF(kConsoleReply, "Lobby chat: %s: %s", lobby.slots[size_t(std::max(LocalSlot(), 0))].name.c_str(),
                        text.c_str());
        }
        chatBox->SetText("");
        chatBox->Activate();
      } else if (id >= 0 && id < kSetupRows && id == LocalSlot()) {
        names[size_t(id)]->GetText(lobby.slots[size_t(id)].name);
        SendPlayerSetup(id);
        chatBox->Activate();
      }
      return 1;
    }
    if (type != kNotifyClicked) return 0;
    if (id >= 0 && id < 12) StepArrow(id / 2, id % 2 == 1 ? 1 : -1);
    else if (id >= kToggle && id < kToggle + kSetupRows) Toggle(id - kToggle);
    else if (id >= kReady && id < kReady + kSetupRows) {
      if (id - kReady == LocalSlot()) ToggleReady();
    } else if (id == kCancel) Cancel();
    else if (id == kStart) Start();
    return 1;
  }

  LobbySlots lobby;
  int32_t frames = 0;
  int32_t shownChat = -1;
  std::string shownLast;
  std::array<CIconButton*, kSetupRows> left{}, right{}, toggles{}, readyBoxes{};
  std::array<CEditBox*, kSetupRows> names{};
  CEditBox* chatBox = nullptr;
  CIconButton* start = nullptr;
  CTextRect* title = nullptr;
  CTextRect* levelName = nullptr;
  CTextRect* difficulty = nullptr;
  CTextRect* status = nullptr;
  CTextRect* chatLines = nullptr;
};

struct NetworkPages {
  CNetworkSessionScreen sessions;
  CNetworkHostScreen host;
  CNetworkChatScreen lobby;
};

NetworkPages& Pages() {
  static NetworkPages pages;
  return pages;
}

CNetworkChatScreen& Lobby() { return Pages().lobby; }

// Copies the text of a lobby name (cut at its terminator).
std::string NameOf(const char (&name)[kLobbyNameSize]) { return std::string(name, strnlen(name, kLobbyNameSize)); }

void OpenLobbyFrom(CPanel* page) {
  page->Close();
  CPanel& lobby = Lobby();
  lobby.Open();
  FrontEndScreens().MoveToFront(&lobby);
}

void CNetworkSessionScreen::Join() {
  if (selected < 0 || selected >= int32_t(sessions.size())) return;
  const FoundSession s = sessions[size_t(selected)];
  Session().networkGameStarted = false;
  FrontEndNetwork& net = FrontEndNet();
  if (!net.JoinSession(selected, net.PlayerName())) return;
  ScenarioManager().SelectScenario(s.user[0], true);
  ScenarioManager().SetDifficulty(s.user[1]);
  if (ScenarioEntry* e = ScenarioManager().Find(s.user[0])) e->goalValue = float(s.user[2]);
  net.StopSessionEnumeration();
  OpenLobbyFrom(this);
}

void CNetworkHostScreen::Host() {
  const ScenarioEntry* e = ScenarioManager().Current();
  if (e == nullptr || ok->disabled) return;
  nameBox->GetText(sessionName);
  if (sessionName.empty()) return;
  if (ScenarioEntry* entry = ScenarioManager().Find(e->id)) entry->goalValue = float(goalValue);
  if (NetworkMode() && !FrontEndNet().HostSession(sessionName)) {
    // Said by the transport; the page stays for another try.
    ReportErrorF(1, "Could not host the network game %s.", sessionName.c_str());
    return;
  }
  OpenLobbyFrom(this);
  std::string player = FrontEndNet().PlayerName();
  if (player.empty()) player = ProfileName();
  int32_t token = RememberedToken();
  if (token < 0 || token >= kTokenCount) token = 0;
  Lobby().SetPlayerSlot(0, FrontEndNet().LocalId(), player, token, kSlotHuman, 0);
}

}  // namespace

CPanel* NetworkPage(int32_t page) {
  switch (page) {
    case kPageNetworkSessions: return &Pages().sessions;
    case kPageNetworkHost: return &Pages().host;
    case kPageNetworkLobby: return &Pages().lobby;
    default: return nullptr;
  }
}

void SetFrontEndNetwork(FrontEndNetwork* network) { g_network = network; }

FrontEndNetwork& FrontEndNet() {
  static FrontEndNetwork none;
  return g_network ? *g_network : none;
}

bool NetworkLobbyOpen() { return Lobby().open; }

void LobbyTakeSetup(const LobbySetupMsg& m) {
  if (!NetworkLobbyOpen()) return;
  for (int32_t s = 0; s < kSetupRows; ++s)
    Lobby().SetPlayerSlot(s, m.directPlayId[s], NameOf(m.names[s]), m.tokens[s], m.kinds[s], m.ready[s]);
}

void LobbyTakeSlot(const LobbySlotMsg& m) {
  if (!NetworkLobbyOpen()) return;
  Lobby().SetPlayerSlot(m.slot.value, m.directPlayId, NameOf(m.name), m.token, m.kind, m.value);
}

void LobbyCycleTokenAndSend(int32_t slot, int32_t step) {
  if (!NetworkLobbyOpen() || slot < 0 || slot >= kSetupRows) return;
  CNetworkChatScreen& lobby = Lobby();
  if (!lobby.lobby.slots[size_t(slot)].Used()) return;
  lobby.lobby.CycleToken(slot, step);
  lobby.SendPlayerSetup(slot);
}

void LobbyPlayerJoined(int32_t id, const std::string& name) {
  if (!NetworkLobbyOpen() || !Lobby().lobby.hostOrSingle) return;
  CNetworkChatScreen& lobby = Lobby();
  if (lobby.lobby.Join(id, name) < 0) {
    FrontEndNet().RefusePlayer(id);
    return;
  }
  lobby.SendPlayerSetup(0);
}

void LobbyPlayerLeft(int32_t id) {
  if (!NetworkLobbyOpen() || !Lobby().lobby.hostOrSingle) return;
  if (Lobby().lobby.Leave(id)) Lobby().SendPlayerSetup(0);
}

void LeaveNetworkLobby() {
  CFrontEndScreens& fe = FrontEndScreens();
  if (!NetworkLobbyOpen()) return;
  Lobby().Close();
  fe.Page(kPageNetworkSessions)->Open();
  fe.MoveToFront(fe.Page(kPageNetworkSessions));
}

void CloseNetworkLobbyForStart() {
  if (NetworkLobbyOpen()) Lobby().Close();
}

const LobbySlots& NetworkLobbySlots() { return Lobby().lobby; }
