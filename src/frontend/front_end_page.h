#pragma once
// The base of the front end's pages: the table row their large buttons are
// built from, the page backings, and the helpers every page uses to place
// its buttons and texts on its layout's elements.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "frontend/front_end.h"
#include "session/scenarios.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/edit_box.h"
#include "ui/panel.h"
#include "ui/player_tokens.h"
#include "ui/text_rect.h"

namespace frontend_pages {

// Backing colours of the pages (ARGB).
constexpr uint32_t kBacking = 0xBB000A28;
constexpr uint32_t kGreyTop = 0xFF909090, kGreyBottom = 0x80909090;
// The green box behind an option's label.
constexpr uint32_t kLabelBox = 0xFF01762F;
// Every page's radio buttons: a round button, empty when off, green when on.
constexpr int32_t kRadioOnImage = 175, kRadioOffImage = 174;
// The seat marks of the player rows: a person, and the computer.
constexpr int32_t kHumanSeatImage = 259, kComputerSeatImage = 258;

// A row of the tables pages build their large buttons from (index = id).
struct MenuButtonDef {
  const char* element;
  int32_t r, g, b;
  int32_t text;
};

// Top and bottom colours of a backing: opaque above, half below.
inline void DrawBand(const UIRect& r, uint32_t top, uint32_t bottom, float depth = 0.5f) {
  DrawRect2D(r, top, top, bottom, bottom, depth);
}

// The base of every page: the rectangle of an element as drawn now.
class CFrontEndPage : public CPanel {
 public:
  // The page's backings, then its texts over them.
  void DrawSelf() final {
    DrawPage();
    for (CTextRect* t : texts) t->Draw(LayoutEntity());
  }
  virtual void DrawPage() {}
  // The game the page covered is gone (ForgetCoveredGame).
  virtual void ForgetCoveredGame() {}
  std::vector<CTextRect*> texts;
  CFrontEndScreens& Screens() { return FrontEndScreens(); }
  UIRect At(const char* element) const { return MovedRect(ElementRect(element), LayoutEntity()); }
  void Band(const char* element, uint32_t top, uint32_t bottom) { DrawBand(At(element), top, bottom); }
  // A player row's band in its token's colour, or grey without a token.
  void TokenBand(const char* element, int32_t token) {
    if (token < 0 || token >= kTokenCount) return Band(element, kGreyTop, 0x7F909090);
    const uint32_t c = TokenInfoRow(token).colour & 0x00FFFFFF;
    Band(element, 0xFF000000 | c, 0x7F000000 | c);
  }
  // The local row's backing pulses green, fading out over 32 frames.
  void PulseBand(const char* element, int32_t frames) {
    const uint32_t alpha = uint32_t(255 - (8 * frames) % 256) & 0xFF;
    Band(element, (alpha << 24) | 0x00FF00, (alpha << 24) | 0x00FF00);
  }

  CIconButton* MenuButton(const MenuButtonDef* table, int32_t id, int32_t font) {
    const MenuButtonDef& row = table[id];
    const UIRect r = ElementRect(row.element);
    CIconButton* b = CreateIconButton(id, r.x1, r.y1, r.x2, r.y2);
    b->label.SetFont(font);
    b->SetLabelId(row.text);
    b->SetMode(kIconFireOnRelease);
    b->label.SetAlignment(9, 0, 0);
    b->SetTint(row.r, row.g, row.b);
    FitLabelToFace(*b);
    return b;
  }
  // A word wider than the button's face ("NETZWERKSPIEL") would run onto
  // its frame: the label is laid out again smaller, keeping its lines.
  static void FitLabelToFace(CIconButton& b) {
    constexpr float kFrameMargin = 6.0f;
    const float room = b.x2 - b.x1 - 2 * kFrameMargin;
    int32_t widest = 0;
    for (int32_t line = 0; line < b.label.LineCount(); ++line)
      widest = std::max(widest, b.label.ShownLineWidth(line));
    if (widest <= 0 || float(widest) <= room) return;
    b.label.textScale *= room / float(widest);
    b.SetLabelId(b.labelTextId);
  }
  CTextRect* Text(int32_t id, const char* element, int32_t text, int32_t font = 1, int32_t align = 9) {
    const UIRect r = ElementRect(element);
    CTextRect* t = CreateTextRect(id, r.x1, r.y1, r.x2, r.y2);
    t->SetFont(font);
    t->SetAlignment(align, 0, 0);
    if (text != 0) t->AddTextId(text);
    texts.push_back(t);
    return t;
  }
  static void Show(CTextRect* t, int32_t textId) {
    t->Clear();
    t->AddTextId(textId);
  }
  static void Show(CTextRect* t, const std::string& s) {
    t->Clear();
    t->AddText(s);
  }
  static void Enable(CIconButton* b, bool on) {
    if (b) b->disabled = !on;
  }
};

// The two name entries (a new profile, a new save) share one layout: a name
// box over a dark backing with OK and Cancel, modal while open.
class CNameEntryPage : public CFrontEndPage {
 public:
  void DrawPage() override {
    Band("CONFIRM_BACKING", 0xAA000000, 0xAA000000);
    Band("CONFIRM_TITLE_AREA", kGreyTop, kGreyBottom);
    UIRect t = At("CONFIRM_TEXT");
    t.x1 += 10;
    t.x2 -= 10;
    DrawBand(t, 0xFF002896, 0xFF002896);
  }
  void OnClose() override {
    Screens().PopModal(this);
    Screens().SetKeyboardFocus(nullptr);
  }
  // The box on CONFIRM_TEXT, taking only what a file name can hold.
  void BuildNameBox(int32_t id, int32_t maxLength) {
    const UIRect r = ElementRect("CONFIRM_TEXT");
    box = CreateEditBox(id, r.x1 + 10, r.y1 + 4, r.x2 - 10, r.y2 - 4);
    box->clickable = true;
    box->maxLength = maxLength;
    box->SetFileNameMode();
  }
  // Empty and focused, OK off until something is typed; modal.
  void OpenEntry() {
    box->SetText("");
    box->Activate();
    Enable(ok, false);
    Screens().PushModal(this);
  }
  std::string Typed() const {
    std::string typed;
    box->GetText(typed);
    return typed;
  }
  CIconButton* ok = nullptr;
  CEditBox* box = nullptr;
};

// What the pages read of the game below them, in one place each.
bool GameRunning();
bool NetworkGame();
std::string ProfileName();
// A text of the interface's text bank as plain characters (empty: none).
std::string MenuText(int32_t id);
// The profile's remembered token and its update.
int32_t RememberedToken();
void RememberToken(int32_t token);
// Runs a script file in the front end's state; false when it failed.
bool RunMenuScript(const char* path, bool reportErrors);

// A level's name or description as the scripts give it: a text id (kept as
// its digits) or the text itself. The description's format names the
// objective's target at the chosen difficulty ("%c%d" and the like).
void ShowLevelName(CTextRect* t, const ScenarioEntry& e);
// The level's description with its target: the goal given (a network
// host's choice), or the level's own target at the difficulty when none.
// The level's description with its target: `goal` when given, else the
// level's own at `difficulty` (the current one when negative).
void ShowLevelDescription(CTextRect* t, const ScenarioEntry& e, int32_t goal = 0, int32_t difficulty = -1);

}  // namespace frontend_pages

// The network pages: session list, host page, lobby (network_pages.cpp).
CPanel* NetworkPage(int32_t page);
// The pages of profiles, saved games and options (profile_save_pages.cpp).
CPanel* ProfileAndSavePage(int32_t page);
// The game-play and graphics options and the statistics page
// (option_pages.cpp, statistics_page.cpp).
CPanel* OptionOrStatisticsPage(int32_t page);
CPanel* StatisticsPage();
// Set when the login page opens the new-profile entry: the entry then
// returns to it and may be cancelled.
bool& NewProfileOpenedFromLogin();
// The login page's list again, as its opening does.
void RefreshLoginPage();
