// The front end's pages of profiles, saved games and options: the login
// page, the load and save pages with the save-name entry, the options menu,
// the sound options and the board page. Their rules are in profile_list,
// save_slots, board_list, game_cover and page_rules; these pages show them.
#include <array>
#include <cstdio>

#include "engine/core/error.h"
#include "frontend/board_list.h"
#include "frontend/front_end.h"
#include "frontend/front_end_page.h"
#include "frontend/page_rules.h"
#include "frontend/profile_list.h"
#include "frontend/save_slots.h"
#include "script/profiles.h"
#include "session/scenarios.h"
#include "ui/edit_box.h"
#include "ui/game_requests.h"
#include "ui/game_panels.h"
#include "ui/list_box.h"
#include "ui/money_format.h"
#include "ui/scroll_bar.h"

using namespace frontend_pages;

namespace {

constexpr int32_t kVisibleListLines = 14;
// Notices of a failed save or load, and of a name that cannot be used.
constexpr int32_t kBadNameTitle = 1797, kBadNameText = 1798;
constexpr int32_t kLoadFailedTitle = 1799, kLoadFailedText = 1800;
constexpr int32_t kSaveFailedTitle = 1801, kSaveFailedText = 1802;
constexpr int32_t kNoReasonText = 3951;

// The reason a save or load failed, as its report gave it.
std::string Reason(const std::string& warnings) {
  return warnings.empty() ? MenuText(kNoReasonText) : warnings;
}

// A save's name as the list shows it: without ".sav".
std::string ShownSaveName(const std::string& fileName) {
  return fileName.ends_with(".sav") ? fileName.substr(0, fileName.size() - 4) : fileName;
}

// A list box over an element, with its scroll bar on the right.
CListBox* ListWithBar(CPanel& page, int32_t id, const UIRect& r) {
  CListBox* list = page.CreateListBox(id, r.x1 + 4, r.y1 + 4, r.x2 - 20, r.y2 - 4, 0.5f);
  CScrollBar* bar = page.CreateScrollBar(id + 100, r.x2 - 18, r.y1 + 4, r.y2 - r.y1 - 8, true);
  list->AttachScrollBar(bar);
  return list;
}

// ---- The login page ------------------------------------------------------------------

class CLoginScreen : public CFrontEndPage {
 public:
  enum { kNew, kDelete, kOk, kCancel, kTitle, kList };
  void Build() override {
    static const MenuButtonDef kButtons[] = {{"LOGIN_SELECT_NEW_BUTTON", 166, 133, 0, 1430},
                                             {"LOGIN_SELECT_DELETE_BUTTON", 175, 6, 6, 1434},
                                             {"LOGIN_SELECT_OK_BUTTON", 80, 148, 34, 1435},
                                             {"LOGIN_SELECT_CANCEL_BUTTON", 175, 6, 6, 1439}};
    for (int32_t i = 0; i < 4; ++i) buttons[size_t(i)] = MenuButton(kButtons, i, 1);
    Text(kTitle, "LOGIN_SELECT_LOGIN_TITLE", 1634);
    list = ListWithBar(*this, kList, ElementRect("LOGIN_SELECT_BACKING3"));
  }
  void OnOpen() override {
    StartFrontEndScene();
    Refresh();
  }
  void Refresh() {
    profiles.Refresh(PlayerProfile().name, kVisibleListLines);
    list->Reset(ProfileList::kCapacity);
    for (size_t i = 0; i < profiles.Names().size(); ++i) {
      list->SetItemText(int32_t(i), "%s", profiles.Names()[i].c_str());
      list->SetItemValue(int32_t(i), int32_t(i));
    }
    list->ClearSelection();
    if (profiles.Highlighted() >= 0) {
      list->selected = profiles.Highlighted();
      list->ScrollTo(profiles.FirstVisible());
    }
    EnableButtons();
  }
  void EnableButtons() {
    for (int32_t id : {kDelete, kOk, kCancel}) Enable(buttons[size_t(id)], profiles.ButtonsEnabled());
  }
  void DrawPage() override {
    Band("LOGIN_SELECT_BACKING3", kBacking, kBacking);
    Band("LOGIN_SELECT_LOGIN_TITLE", kGreyTop, kGreyBottom);
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t value) override {
    if (type == kNotifyListItem && id == kList) {
      profiles.Highlight(value, kVisibleListLines);
      EnableButtons();
      return 1;
    }
    if (type != kNotifyClicked) return 0;
    if (id == kNew) {
      OpenNewProfileFromLogin();
    } else if (id == kDelete && profiles.ButtonsEnabled()) {
      AskDelete();
    } else if ((id == kOk || id == kCancel) && profiles.ButtonsEnabled()) {
      const std::string name = profiles.HighlightedName();
      Close();
      PlayerProfile().Select(name);
      Screens().Page(kPageMainMenu)->Open();
      Screens().MoveToFront(Screens().Page(kPageMainMenu));
    }
    return 1;
  }
  void AskDelete() {
    const std::string name = profiles.HighlightedName();
    Screens().Ask(1635, 1638, 2,
                  [this, name](int32_t button) {
                    if (button != 0) return;
                    DeleteProfile(name);
                    Refresh();
                  },
                  -150.0f, {name});
  }
  void OpenNewProfileFromLogin();
  ProfileList profiles;
  CListBox* list = nullptr;
  std::array<CIconButton*, 4> buttons{};
};

CLoginScreen g_Login;

void CLoginScreen::OpenNewProfileFromLogin() {
  NewProfileOpenedFromLogin() = true;
  CPanel* entry = Screens().Page(kPageNewProfile);
  entry->Open();
  Screens().MoveToFront(entry);
}

// ---- The load and save pages ------------------------------------------------------------

// What the two pages share: the list of saves and the summary of the
// highlighted one.
class CSaveListPage : public CFrontEndPage {
 public:
  explicit CSaveListPage(const char* prefix) : prefix_(prefix) {}
  std::string E(const char* name) const { return std::string(prefix_) + name; }
  void BuildList(int32_t listId, int32_t infoTitle, bool loadPage) {
    Text(20, E("TITLE_AREA").c_str(), loadPage ? 1601 : 1626, 4);
    Text(21, E("SAVE_TITLE").c_str(), 1627);
    Text(22, E("SAVE_INFO_TITLE").c_str(), infoTitle);
    static const int32_t kLabels[] = {1612, 1615, 1613, 1619, 1703};
    static const char* const kNumbers[] = {"1", "2", "3", "5", "7"};
    for (size_t i = 0; i < 5; ++i) {
      Text(int32_t(30 + i), E("LABEL").append(kNumbers[i]).c_str(), kLabels[i], 1, loadPage ? 9 : 4)
          ->SetAllLinesColour(16);
      values[i] = Text(int32_t(40 + i), E("INFO").append(kNumbers[i]).c_str(), 0, 1, 3);
    }
    list = ListWithBar(*this, listId, ElementRect(E("BACKING3").c_str()));
    listId_ = listId;
  }
  void Refill() {
    saves.Fill();
    list->Reset(int32_t(std::min<size_t>(saves.Slots().size(), kListBoxCapacity)));
    for (size_t i = 0; i < saves.Slots().size() && i < size_t(kListBoxCapacity); ++i) {
      const SaveSlot& s = saves.Slots()[i];
      // The list's own formatter knows no widths: the columns are made here.
      char line[96];
      std::snprintf(line, sizeof line, "%-24.24s %s", s.shownName.c_str(), s.timeText.c_str());
      list->SetItemText(int32_t(i), "%s", line);
      list->SetItemValue(int32_t(i), int32_t(i));
    }
    list->ClearSelection();
    ShowInfo();
  }
  void ShowInfo() {
    for (CTextRect* v : values) v->Clear();
    const std::optional<SaveInfo> info = saves.HighlightedInfo();
    if (!info) return;
    values[0]->AddText(info->shownName);
    if (info->scenario) {
      ShowLevelName(values[1], *info->scenario);
      // The target the saved game is played for (a custom game's own), else
      // the level's at the saved difficulty.
      ShowLevelDescription(values[4], *info->scenario, info->goalTarget, info->difficulty);
    }
    char year[16];
    std::snprintf(year, sizeof year, "%d", info->year);
    values[2]->AddText(year);
    values[3]->AddText(FormatMoneyDecimal(info->money));
  }
  // The list's highlight; true when it was this page's list.
  bool TakeHighlight(int32_t type, int32_t id, int32_t value) {
    if (type != kNotifyListItem || id != listId_) return false;
    saves.Highlight(value);
    ShowInfo();
    return true;
  }
  void DrawList(uint32_t titleTop, uint32_t titleBottom) {
    Band(E("TITLE_AREA").c_str(), titleTop, titleBottom);
    Band(E("BACKING3").c_str(), kBacking, kBacking);
    Band(E("BACKING2").c_str(), kBacking, kBacking);
    Band(E("SAVE_TITLE").c_str(), kGreyTop, kGreyBottom);
    Band(E("SAVE_INFO_TITLE").c_str(), kGreyTop, kGreyBottom);
    static const char* const kNumbers[] = {"1", "2", "3", "5", "7"};
    for (const char* n : kNumbers) {
      Band(E("LABEL").append(n).c_str(), 0xFF01762F, 0xFF01762F);
      Band(E("INFO").append(n).c_str(), 0x801F2F70, 0x801F2F70);
    }
  }
  void AskDelete(std::function<void()> after) {
    const SaveSlot* slot = saves.HighlightedSlot();
    if (slot == nullptr) return;
    Screens().Ask(1630, 1632, 2, [this, after](int32_t button) {
      if (button == 0) {
        saves.DeleteHighlighted();
        Refill();
      }
      if (after) after();
    }, 0.0f, {slot->shownName});
  }
  SaveSlotList saves;
  CListBox* list = nullptr;
  std::array<CTextRect*, 5> values{};

 private:
  const char* prefix_;
  int32_t listId_ = 0;
};

class CLoadGameScreen : public CSaveListPage {
 public:
  enum { kLoad, kCancel, kDelete, kList = 16 };
  CLoadGameScreen() : CSaveListPage("LOAD_") {}
  void Build() override {
    static const MenuButtonDef kButtons[] = {{"LOAD_LOAD_BUTTON", 80, 148, 34, 1435},
                                             {"LOAD_CANCEL_BUTTON", 175, 6, 6, 1439},
                                             {"LOAD_DELETE_BUTTON", 175, 6, 6, 1434}};
    for (int32_t i = 0; i < 3; ++i) buttons[size_t(i)] = MenuButton(kButtons, i, 1);
    BuildList(kList, 1628, true);
  }
  void OnOpen() override {
    Refill();
    EnableButtons();
  }
  void EnableButtons() {
    Enable(buttons[kLoad], saves.ButtonsEnabled());
    Enable(buttons[kDelete], saves.ButtonsEnabled());
  }
  void DrawPage() override { DrawList(0xFF0000FF, 0x800000FF); }
  int32_t OnEvent(int32_t type, int32_t id, int32_t value) override {
    if (TakeHighlight(type, id, value)) {
      EnableButtons();
      return 1;
    }
    if (type != kNotifyClicked) return 0;
    if (id == kLoad && saves.HighlightedSlot()) {
      // The game closes the menus once it has loaded, or answers with
      // LoadGameFailed.
      PostGameRequest(LoadGameRequest{saves.HighlightedSlot()->fileName});
    } else if (id == kCancel) {
      Screens().Go(kPageLoad, kPageMainMenu);
    } else if (id == kDelete) {
      AskDelete([this] { EnableButtons(); });
    }
    return 1;
  }
  std::array<CIconButton*, 3> buttons{};
};

class CSaveGameScreen : public CSaveListPage {
 public:
  enum { kNew, kSave, kCancel, kDelete, kList = 17 };
  CSaveGameScreen() : CSaveListPage("SAVE_") {}
  void Build() override {
    static const MenuButtonDef kButtons[] = {{"SAVE_NEW_BUTTON", 166, 133, 0, 1431},
                                             {"SAVE_SAVE_BUTTON", 80, 148, 34, 1432},
                                             {"SAVE_CANCEL_BUTTON", 175, 6, 6, 1439},
                                             {"SAVE_DELETE_BUTTON", 175, 6, 6, 1434}};
    for (int32_t i = 0; i < 4; ++i) buttons[size_t(i)] = MenuButton(kButtons, i, 1);
    BuildList(kList, 1633, false);
  }
  void OnOpen() override { Refresh(); }
  void Refresh() {
    Refill();
    EnableButtons();
    list->pressLatched = false;
  }
  void EnableButtons() {
    Enable(buttons[kSave], saves.ButtonsEnabled());
    Enable(buttons[kDelete], saves.ButtonsEnabled());
  }
  void DrawPage() override { DrawList(0xFF0000C0, 0x800000C0); }
  // Asks the game to write the save; it answers with SaveGameAnswered.
  void SaveAs(const std::string& fileName) { PostGameRequest(SaveGameRequest{fileName}); }
  // The list again, and a notice when the save failed.
  void Answered(const std::string& fileName, bool saved, const std::string& reason) {
    Refresh();
    if (!saved)
      Screens().Ask(kSaveFailedTitle, kSaveFailedText, 1, nullptr, 0.0f, {ShownSaveName(fileName), Reason(reason)});
  }
  void AskOverwrite() {
    const SaveSlot* slot = saves.HighlightedSlot();
    if (slot == nullptr) return;
    const std::string fileName = slot->fileName;
    Screens().Ask(1633, 1631, 2, [this, fileName](int32_t button) {
      if (button == 0) SaveAs(fileName);
      else EnableButtons();
    }, 0.0f, {slot->shownName});
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t value) override {
    if (TakeHighlight(type, id, value)) {
      EnableButtons();
      return 1;
    }
    if (type != kNotifyClicked) return 0;
    switch (id) {
      case kNew: {
        CPanel* entry = Screens().Page(kPageSaveName);
        entry->Open();
        Screens().MoveToFront(entry);
        break;
      }
      case kSave: AskOverwrite(); break;
      case kCancel: Screens().Go(kPageSave, kPageInGameMenu); break;
      case kDelete: AskDelete([this] { EnableButtons(); }); break;
      default: break;
    }
    return 1;
  }
  std::array<CIconButton*, 4> buttons{};
};

CLoadGameScreen g_Load;
CSaveGameScreen g_Save;

// ---- The save-name entry -------------------------------------------------------------------

class CSaveNameScreen : public CNameEntryPage {
 public:
  enum { kOk, kCancel, kTitle, kBox, kInfo };
  void Build() override {
    static const MenuButtonDef kButtons[] = {{"CONFIRM_OPTION1_BUTTON", 80, 148, 34, 1432},
                                             {"CONFIRM_OPTION3_BUTTON", 175, 6, 6, 1439}};
    ok = MenuButton(kButtons, kOk, 1);
    MenuButton(kButtons, kCancel, 1);
    Text(kTitle, "CONFIRM_TITLE_AREA", 1432);
    BuildNameBox(kBox, 60);
    Text(kInfo, "LOGIN_NEW_INFO_AREA", 1380, 3);
  }
  void OnOpen() override { OpenEntry(); }
  int32_t OnEvent(int32_t type, int32_t id, int32_t) override {
    const std::string typed = Typed();
    if (type == kMsgFrameTick) {
      Enable(ok, NameEntryOkEnabled(typed));
      return 1;
    }
    if (type == kNotifyClicked && id == kCancel) {
      Close();
      return 1;
    }
    const bool enter = type == kNotifyEditEnter && id == kBox;
    if (!enter && !(type == kNotifyClicked && id == kOk)) return 0;
    switch (AnswerSaveName(typed, enter, g_Save.saves)) {
      case NameAnswer::kKeepEditing:
        if (enter) box->Activate();
        break;
      case NameAnswer::kRefuse:
        Close();
        Screens().Ask(kBadNameTitle, kBadNameText, 1, [this](int32_t) {
          Open();
          Screens().MoveToFront(this);
        });
        break;
      case NameAnswer::kAskOverwrite:
        Close();
        g_Save.AskOverwrite();
        break;
      default:
        Close();
        g_Save.SaveAs(SaveFileName(typed));
        break;
    }
    return 1;
  }
};

CSaveNameScreen g_SaveName;

// ---- The options menu, sound options and boards ------------------------------------------

class COptionsScreen : public CFrontEndPage {
 public:
  enum { kSound, kGraphics, kGamePlay, kBoard, kCredits, kBack, kDefaults };
  void Build() override {
    static const MenuButtonDef kButtons[] = {
        {"OPTIONS_BUTT01", 110, 4, 171, 1607}, {"OPTIONS_BUTT02", 110, 4, 171, 1608},
        {"OPTIONS_BUTT03", 110, 4, 171, 1609}, {"OPTIONS_BUTT04", 110, 4, 171, 1610},
        {"OPTIONS_BUTT05", 110, 4, 171, 1770}, {"OPTIONS_BACK_BUTTON", 80, 148, 34, 1435},
        {"OPTIONS_DEFAULT_BUTTON", 166, 133, 0, 1139}};
    for (int32_t i = 0; i < 7; ++i) buttons[size_t(i)] = MenuButton(kButtons, i, i < 5 ? 4 : 1);
    Text(10, "OPTIONS_TITLE_AREA", 1679, 4);
  }
  void OnOpen() override {
    for (int32_t id = 0; id < 7; ++id) Enable(buttons[size_t(id)], !(GameRunning() && OptionsNeedNoGame(id)));
  }
  void DrawPage() override { Band("OPTIONS_TITLE_AREA", 0xFF6E04AB, 0x806E04AB); }
  int32_t OnEvent(int32_t type, int32_t id, int32_t) override {
    if (type != kNotifyClicked) return 0;
    switch (id) {
      case kSound: Screens().Go(kPageOptions, kPageSoundOptions); break;
      case kGraphics: Screens().Go(kPageOptions, kPageGraphicsOptions); break;
      case kGamePlay: Screens().Go(kPageOptions, kPageGamePlayOptions); break;
      case kBoard: Screens().Go(kPageOptions, kPageBoard); break;
      case kCredits:
        Close();
        PostGameRequest(FlybyRequest{true});
        break;
      case kBack: Screens().Go(kPageOptions, GameRunning() ? kPageInGameMenu : kPageMainMenu); break;
      case kDefaults: RestoreDefaultOptions(PlayerProfile()); break;
      default: break;
    }
    return 1;
  }
  std::array<CIconButton*, 7> buttons{};
};

class CSoundOptionsScreen : public CFrontEndPage {
 public:
  enum { kOk, kMusicSlider = 4, kEffectsSlider = 5 };
  void Build() override {
    // OK is green as on every other page.
    static const MenuButtonDef kButtons[] = {{"SOUND_OK_BUTTON", 80, 148, 34, 1435}};
    MenuButton(kButtons, kOk, 1);
    Text(1, "SOUND_MUSICVOL_LABEL", 1664)->SetAllLinesColour(16);
    Text(2, "SOUND_EFFECTSVOL_LABEL", 1665)->SetAllLinesColour(16);
    Text(3, "SOUND_TITLE_AREA", 1663, 4);
    music = Slider(kMusicSlider, "SOUND_MUSICVOL_BLUEBACK");
    effects = Slider(kEffectsSlider, "SOUND_EFFECTSVOL_BLUEBACK");
    Text(6, "SOUND_MUSICVOL_LOWLABEL", 1130, 3);
    Text(7, "SOUND_MUSICVOL_HIGHLABEL", 1129, 3);
    Text(8, "SOUND_EFFECTSVOL_LOWLABEL", 1130, 3);
    Text(9, "SOUND_EFFECTSVOL_HIGHLABEL", 1129, 3);
    Text(10, "SOUND_OPTIONS_HEADING", 1666, 1, 4);
  }
  CScrollBar* Slider(int32_t id, const char* element) {
    const UIRect r = ElementRect(element);
    CScrollBar* bar = CreateScrollBar(id, r.x1, r.y1, r.x2 - r.x1, false);
    bar->maximum = 100.0f;
    return bar;
  }
  void OnOpen() override {
    CPlayerProfile& p = PlayerProfile();
    ClampProfileOptions(p);
    // Setting the sliders applies the stored volumes again.
    const int32_t m = p.MusicVolume, e = p.SoundVolume;
    effects->SetValue(e);
    music->SetValue(m);
    SetMusicVolumeOption(p, m);
    SetEffectsVolumeOption(p, e);
  }
  void DrawPage() override {
    Band("SOUND_TITLE_AREA", 0xFF6E04AB, 0x806E04AB);
    Band("SOUND_MUSICVOL_BACKING", kBacking, kBacking);
    Band("SOUND_EFFECTSVOL_BACKING", kBacking, kBacking);
    Band("SOUND_MUSICVOL_LABEL", kLabelBox, kLabelBox);
    Band("SOUND_EFFECTSVOL_LABEL", kLabelBox, kLabelBox);
    Band("SOUND_OPTIONS_BACKING", kBacking, kBacking);
    Band("SOUND_OPTIONS_HEADING", kGreyTop, kGreyBottom);
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t value) override {
    if (type == kNotifyScrollPosition) {
      if (id == kMusicSlider) SetMusicVolumeOption(PlayerProfile(), value);
      if (id == kEffectsSlider) SetEffectsVolumeOption(PlayerProfile(), value);
      return 1;
    }
    if (type == kNotifyClicked && id == kOk) Screens().Go(kPageSoundOptions, kPageOptions);
    return type == kNotifyClicked ? 1 : 0;
  }
  CScrollBar* music = nullptr;
  CScrollBar* effects = nullptr;
};

class CBoardVersionScreen : public CFrontEndPage {
 public:
  enum { kList, kOk };
  void Build() override {
    Text(10, "BOARDVERSION_TITLE_AREA", 1568, 4);
    Text(11, "BOARDVERSION_LISTBOX_TITLE", 1569, 3);
    static const MenuButtonDef kButtons[] = {{"BOARDVERSION_BOARDLIST", 0, 0, 0, 0},
                                             {"BOARDVERSION_OK_BUTTON", 80, 148, 34, 1435}};
    MenuButton(kButtons, kOk, 1);
    list = ListWithBar(*this, kList, ElementRect("BOARDVERSION_BOARDLIST"));
  }
  void OnOpen() override {
    const std::vector<BoardEntry>& boards = Boards();
    list->Reset(int32_t(boards.size()));
    for (size_t i = 0; i < boards.size(); ++i) {
      list->SetItemText(int32_t(i), "%s", boards[i].displayName.c_str());
      list->SetItemValue(int32_t(i), int32_t(i));
    }
    list->ClearSelection();
    const int32_t current = FindBoard(PlayerProfile().BoardName);
    if (current >= 0) {
      list->selected = current;
      list->ScrollTo(ScrollToShow(current, kVisibleListLines));
    }
  }
  void DrawPage() override {
    Band("BOARDVERSION_TITLE_AREA", 0xFF6E04AB, 0x806E04AB);
    Band("BOARDVERSION_LISTBOX_TITLE", kGreyTop, kGreyBottom);
    Band("BOARDVERSION_BOARDLIST", kBacking, kBacking);
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t) override {
    if (type != kNotifyClicked || id != kOk) return type == kNotifyListItem ? 1 : 0;
    const int32_t chosen = list->GetSelection();
    if (chosen >= 0 && size_t(chosen) < Boards().size()) {
      const std::string& folder = Boards()[size_t(chosen)].folder;
      std::snprintf(PlayerProfile().BoardName, sizeof PlayerProfile().BoardName, "%s", folder.c_str());
      LoadBoard(folder);
      GamePanels().RefreshAll();
    }
    Screens().Go(kPageBoard, kPageOptions);
    return 1;
  }
  CListBox* list = nullptr;
};

COptionsScreen g_Options;
CSoundOptionsScreen g_SoundOptions;
CBoardVersionScreen g_Board;

}  // namespace

bool& NewProfileOpenedFromLogin() {
  static bool fromLogin = false;
  return fromLogin;
}

void RefreshLoginPage() { g_Login.Refresh(); }

void SaveGameAnswered(const std::string& file, bool saved, const std::string& reason) {
  g_Save.Answered(file, saved, reason);
}

void LoadGameFailed(const std::string& file, const std::string& reason) {
  FrontEndScreens().Ask(kLoadFailedTitle, kLoadFailedText, 1, nullptr, 0.0f, {ShownSaveName(file), Reason(reason)});
}

CPanel* ProfileAndSavePage(int32_t page) {
  switch (page) {
    case kPageLogin: return &g_Login;
    case kPageLoad: return &g_Load;
    case kPageSave: return &g_Save;
    case kPageSaveName: return &g_SaveName;
    case kPageOptions: return &g_Options;
    case kPageSoundOptions: return &g_SoundOptions;
    case kPageBoard: return &g_Board;
    default: return nullptr;
  }
}
