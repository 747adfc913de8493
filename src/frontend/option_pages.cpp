// The game-play and graphics options. Both write straight into the current
// profile: a change is live at once (the camera and the frame read the
// profile every step) and reaches the disk when the profile is next saved.
// There is no cancel; OK returns to the options menu.
#include <algorithm>
#include <array>
#include <cstdio>
#include <span>

#include "frontend/front_end.h"
#include "frontend/front_end_page.h"
#include "frontend/page_rules.h"
#include "script/profiles.h"
#include "ui/buttons.h"
#include "ui/scroll_bar.h"

using namespace frontend_pages;

namespace {

constexpr int32_t kOnText = 1584, kOffText = 1585;
constexpr int32_t kCheckOnImage = 181, kCheckOffImage = 180;

// A label on its green box, in the light label colour.
CTextRect* Label(CFrontEndPage& page, int32_t id, const char* element, int32_t text) {
  CTextRect* t = page.Text(id, element, text);
  t->SetAllLinesColour(16);
  return t;
}

// A slider of 0..100 along an element, at its left edge and top.
CScrollBar* Slider(CPanel& page, int32_t id, const char* element) {
  const UIRect r = page.ElementRect(element);
  CScrollBar* bar = page.CreateScrollBar(id, r.x1, r.y1, r.x2 - r.x1, false);
  bar->maximum = 100.0f;
  return bar;
}

// ---- Game play ------------------------------------------------------------------------

class CGameplayOptionsScreen : public CFrontEndPage {
 public:
  enum { kOk = 0, kMouseSlider = 16 };
  static constexpr int32_t kOptions = 3;
  // The check box of option n (0..2) has id 4 + 4n.
  static constexpr int32_t CheckBoxId(int32_t n) { return 4 + 4 * n; }

  void Build() override {
    static const MenuButtonDef kButtons[] = {{"GAMEPLAY_OK_BUTTON", 80, 148, 34, 1435}};
    MenuButton(kButtons, kOk, 1);
    static const int32_t kLabels[kOptions] = {1570, 1572, 1574};
    char element[48];
    for (int32_t n = 0; n < kOptions; ++n) {
      const int32_t base = 1 + 4 * n;
      std::snprintf(element, sizeof element, "GAMEPLAY_OPTION%d_LABEL", n + 1);
      Label(*this, base, element, kLabels[n]);
      // (The state label; element names are held to 26 characters.)
      std::snprintf(element, sizeof element, "GAMEPLAY_OPTION%d_STATE", n + 1);
      states[size_t(n)] = Text(base + 1, element, kOnText, 3);
      std::snprintf(element, sizeof element, "GAMEPLAY_OPTION%d_TEXT", n + 1);
      Text(base + 2, element, kLabels[n] + 1, 3, 3);
      std::snprintf(element, sizeof element, "GAMEPLAY_OPTION%d_CHECKBOX", n + 1);
      const UIRect r = ElementRect(element);
      CButton* box = CreateButton(base + 3, r.x1, r.y1, r.x2, r.y2);
      box->imageOn = kCheckOnImage;
      box->imageOff = kCheckOffImage;
      boxes[size_t(n)] = box;
    }
    Label(*this, 13, "GAMEPLAY_MOUSE_LABEL", 1738);
    Text(14, "GAMEPLAY_TITLE_AREA", 1583, 4);
    Text(15, "GAMEPLAY_OPTIONS_HEADING", 1582, 1, 4);
    mouse = Slider(*this, kMouseSlider, "GAMEPLAY_MOUSE_SLIDEZONE");
    Text(17, "GAMEPLAY_MOUSE_HIGHLABEL", 1129, 3);
    Text(18, "GAMEPLAY_MOUSE_LOWLABEL", 1130, 3);
  }
  void OnOpen() override {
    CPlayerProfile& p = PlayerProfile();
    ClampProfileOptions(p);
    mouse->SetValue(p.MouseSensitivity);
    const uint8_t fields[kOptions] = {p.AutoRotateCamera, p.InverseMouse, p.HardwareCursor};
    for (int32_t n = 0; n < kOptions; ++n) {
      boxes[size_t(n)]->on = fields[n] != 0;
      ShowState(n);
    }
  }
  void ShowState(int32_t n) { Show(states[size_t(n)], boxes[size_t(n)]->on ? kOnText : kOffText); }
  void DrawPage() override {
    Band("GAMEPLAY_TITLE_AREA", 0xFF6E04AB, 0x806E04AB);
    Band("GAMEPLAY_OPTIONS_BACKING", kBacking, kBacking);
    char element[48];
    for (int32_t n = 1; n <= kOptions; ++n) {
      std::snprintf(element, sizeof element, "GAMEPLAY_OPTION%d_BACKING", n);
      Band(element, kBacking, kBacking);
      std::snprintf(element, sizeof element, "GAMEPLAY_OPTION%d_LABEL", n);
      Band(element, kLabelBox, kLabelBox);
    }
    Band("GAMEPLAY_MOUSE_BACKING", kBacking, kBacking);
    Band("GAMEPLAY_MOUSE_LABEL", kLabelBox, kLabelBox);
    Band("GAMEPLAY_OPTIONS_HEADING", kGreyTop, kGreyBottom);
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t value) override {
    CPlayerProfile& p = PlayerProfile();
    if (type == kNotifyScrollPosition && id == kMouseSlider) {
      p.MouseSensitivity = std::clamp(value, 0, 100);
      return 1;
    }
    if (type == kNotifyToggleFlipped) {
      for (int32_t n = 0; n < kOptions; ++n)
        if (id == CheckBoxId(n)) ShowState(n);
      p.AutoRotateCamera = boxes[0]->on ? 1 : 0;
      p.InverseMouse = boxes[1]->on ? 1 : 0;
      p.HardwareCursor = boxes[2]->on ? 1 : 0;
      if (id == CheckBoxId(2)) ProfileHooks().ShowSystemCursor(boxes[2]->on);
      return 1;
    }
    if (type == kNotifyClicked && id == kOk) Screens().Go(kPageGamePlayOptions, kPageOptions);
    return type == kNotifyClicked ? 1 : 0;
  }
  std::array<CButton*, kOptions> boxes{};
  std::array<CTextRect*, kOptions> states{};
  CScrollBar* mouse = nullptr;
};

// ---- Graphics ---------------------------------------------------------------------------

class CGraphicsOptionsScreen : public CFrontEndPage {
 public:
  enum { kOk = 0, kDetail0 = 7, kFilter0 = 9, kDetail1 = 12, kFilter1 = 14, kDetail2 = 17, kGammaSlider = 18 };
  void Build() override {
    static const MenuButtonDef kButtons[] = {{"GRAPHICS_OK_BUTTON", 80, 148, 34, 1435}};
    MenuButton(kButtons, kOk, 1);
    Text(1, "GRAPHICS_TITLE_AREA", 1586, 4);
    Text(2, "GRAPHICS_OPTIONS_HEADING", 1595, 1, 4);
    Label(*this, 3, "GRAPHICS_OPTION1_LABEL", 1587);
    Label(*this, 4, "GRAPHICS_OPTION3_LABEL", 1591);
    Label(*this, 5, "GRAPHICS_GAMMA_LABEL", 1596);
    Text(6, "GRAPHICS_OPTION1_LABEL1", 1656, 3, 3);
    detail[0] = Radio(kDetail0, "GRAPHICS_OPTION1_RADIO1");
    Text(8, "GRAPHICS_OPTION3_LABEL1", 1592, 3, 3);
    filter[0] = Radio(kFilter0, "GRAPHICS_OPTION3_RADIO1");
    Text(10, "GRAPHICS_OPTION1_TEXT", 1588, 3, 3);
    Text(11, "GRAPHICS_OPTION1_LABEL2", 1655, 3, 3);
    detail[1] = Radio(kDetail1, "GRAPHICS_OPTION1_RADIO2");
    Text(13, "GRAPHICS_OPTION3_LABEL2", 1593, 3, 3);
    filter[1] = Radio(kFilter1, "GRAPHICS_OPTION3_RADIO2");
    Text(15, "GRAPHICS_OPTION3_TEXT", 1594, 3, 3);
    Text(16, "GRAPHICS_OPTION1_LABEL3", 1657, 3, 3);
    detail[2] = Radio(kDetail2, "GRAPHICS_OPTION1_RADIO3");
    gamma = Slider(*this, kGammaSlider, "GRAPHICS_GAMMA_SLIDEZONE");
    gamma->SetValue(50);
    Text(19, "GRAPHICS_GAMMA_HIGHLABEL", 1129, 3);
    Text(20, "GRAPHICS_GAMMA_LOWLABEL", 1130, 3);
    for (int32_t i = 0; i < 3; ++i) {
      detail[size_t(i)]->sibling1 = detail[size_t((i + 1) % 3)];
      detail[size_t(i)]->sibling2 = detail[size_t((i + 2) % 3)];
    }
    filter[0]->sibling1 = filter[1];
    filter[1]->sibling1 = filter[0];
    detail[0]->on = filter[0]->on = true;
  }
  CRadioButton* Radio(int32_t id, const char* element) {
    const UIRect r = ElementRect(element);
    CRadioButton* b = CreateRadioButton(id, r.x1, r.y1, r.x2, r.y2);
    b->imageOn = kRadioOnImage;
    b->imageOff = kRadioOffImage;
    return b;
  }
  static void Choose(std::span<CRadioButton* const> group, int32_t chosen) {
    for (size_t i = 0; i < group.size(); ++i) group[i]->on = int32_t(i) == chosen;
  }
  void OnOpen() override {
    // An older profile's filtering 2 is shown, and kept, as the second choice.
    CPlayerProfile& p = PlayerProfile();
    ClampProfileOptions(p);
    Choose(detail, p.DetailLevel);
    Choose(filter, p.FilteringLevel);
    gamma->SetValue(p.GammaLevel);
  }
  void DrawPage() override {
    Band("GRAPHICS_TITLE_AREA", 0xFF6E04AB, 0x806E04AB);
    for (const char* b : {"GRAPHIC_OPTIONS_BACKING", "GRAPHICS_OPTION1_BACKING", "GRAPHICS_OPTION3_BACKING",
                          "GRAPHICS_GAMMA_BACKING"})
      Band(b, kBacking, kBacking);
    for (const char* l : {"GRAPHICS_OPTION1_LABEL", "GRAPHICS_OPTION3_LABEL", "GRAPHICS_GAMMA_LABEL"})
      Band(l, kLabelBox, kLabelBox);
    Band("GRAPHICS_OPTIONS_HEADING", kGreyTop, kGreyBottom);
  }
  int32_t OnEvent(int32_t type, int32_t id, int32_t value) override {
    CPlayerProfile& p = PlayerProfile();
    if (type == kNotifyRadioOn) {
      if (id == kDetail0 || id == kDetail1 || id == kDetail2) p.DetailLevel = id == kDetail0 ? 0 : id == kDetail1 ? 1 : 2;
      if (id == kFilter0 || id == kFilter1) p.FilteringLevel = id == kFilter0 ? 0 : 1;
      return 1;
    }
    if (type == kNotifyScrollPosition && id == kGammaSlider) {
      // Building the page sets the slider before any profile is shown.
      if (open) p.GammaLevel = std::clamp(value, 0, 100);
      return 1;
    }
    if (type == kNotifyClicked && id == kOk) Screens().Go(kPageGraphicsOptions, kPageOptions);
    return type == kNotifyClicked ? 1 : 0;
  }
  std::array<CRadioButton*, 3> detail{};
  std::array<CRadioButton*, 2> filter{};
  CScrollBar* gamma = nullptr;
};

CGameplayOptionsScreen g_GamePlay;
CGraphicsOptionsScreen g_Graphics;

}  // namespace

CPanel* OptionOrStatisticsPage(int32_t page) {
  switch (page) {
    case kPageGamePlayOptions: return &g_GamePlay;
    case kPageGraphicsOptions: return &g_Graphics;
    case kPageStatistics: return StatisticsPage();
    default: return nullptr;
  }
}
