#include "panels/selection_info_panel.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "panels/hud_panels.h"
#include "panels/panel_drawing.h"
#include "session/player.h"
#include "session/tutorial.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/interface_controls.h"
#include "ui/money_format.h"
#include "ui/rich_text.h"
#include "ui/scroll_bar.h"
#include "ui/spin_arrow.h"

InfoSelection& CurrentInfoSelection() {
  static InfoSelection selection;
  return selection;
}

namespace {

constexpr const char* kModeNames[6] = {"P_MAIN_ICON2", "P_MAIN_ICON3", "P_MAIN_ICON4",
                                       "P_MAIN_ICON5", "P_MAIN_ICON6", "P_MAIN_OVERLAY_TOGGLE2"};
CPlayer* LocalPlayer() { return PlayerTable().Local(); }
}  // namespace

// ---------------------------------------------------------------- frame

CInfoPage* CSelectionInfoPanel::PageObject(int32_t number) {
  switch (number) {
    case kInfoDefaultPage: return &defaultPage;
    case kInfoBlockPage: return &blockPage;
    case kInfoBusinessPage: return &businessPage;
    case kInfoPersonPage: return &personPage;
    default: return nullptr;  // 3 and 4 do not exist
  }
}

bool CSelectionInfoPanel::LayoutFrameIs(int32_t frame) const {
  const CLayoutEntity* model = LayoutEntity();
  return model && model->frame == frame;
}

void CSelectionInfoPanel::Build() {
  nextId = 0;
  const CLayoutEntity* model = LayoutEntity();
  const int32_t last = std::max(frameCount, 1);
  FindPanelBackings(model, frameCount, backings, backingColours);

  openCloseElement = FindElementIndex("P_MAIN_OPENCLOSE_ICON", model);
  sideBarElement = FindElementIndex("P_MAIN_VERTCAL_BAR_BACKING", model);
  UIRect r = FindElementRect("P_MAIN_OPENCLOSE_ICON", model, last);
  openClose = CreateIconButton(NextId(), r.x1, r.y1, r.x2, r.y2);
  SetButtonImages(*openClose, 88, 90, -1, 89, -1);
  openClose->SetMode(kIconFireOnRelease);
  openClose->tooltipTextId = 2;
  openClose->overlayRect = r;
  openClose->overlayImage = 71;

  sliderWidth = float(UIImageWidth(105));
  r = FindElementRect("P_MAIN_SLIDER_BUTTON_UP", model, last);
  sliderUp = CreateIconButton(NextId(), r.x1, r.y1, r.x2, r.y2);
  SetButtonImages(*sliderUp, 105, 107, -1, 106, -1);
  sliderUp->SetMode(kIconFireOnRelease);
  r = FindElementRect("P_MAIN_SLIDER_BUTTON_DOWN", model, last);
  sliderDown = CreateIconButton(NextId(), r.x1, r.y1, r.x2, r.y2);
  SetButtonImages(*sliderDown, 93, 95, -1, 94, -1);
  sliderDown->SetMode(kIconFireOnRelease);

  const UIRect t1 = backings[3], t2 = backings[4];
  pageTitle.Attach(t1.x1 + 10, t1.y1, t1.x2 + 10, t2.y2, this, this, NextId());
  pageTitle.SetFont(1);
  pageTitle.SetAlignment(4, 0, 0);
  pageTitle.AddText(" ");
  titleButton = CreateIconButton(NextId(), t1.x1, t1.y1, t1.x2, t2.y2);

  mainWindow = backings[0];
  scrollBar = CreateScrollBar(NextId(), mainWindow.x2 - sliderWidth, mainWindow.y1 + 100,
                              mainWindow.y2 - mainWindow.y1 - 100, true);
  scrollBar->visible = false;

  for (int32_t i = 0; i < 6; ++i) {
    modeElements[size_t(i)] = FindElementIndex(kModeNames[i], model);
    r = FindElementRect(kModeNames[i], model, last);
    CIconButton* b = CreateIconButton(NextId(), r.x1, r.y1, r.x2, r.y2);
    if (i < 5) SetButtonImages(*b, 191, 193, 17, 192, 194);
    else SetButtonImages(*b, 111, 113, 17, 112, 114);
    b->SetMode(kIconFireOnRelease);  // the release toggles it first
    b->switchOnOnly = true;
    b->isToggle = 1;
    modeAndTabs[size_t(i)] = b;
    SetInterfaceControl(kInfoModeControls + i, b);
  }
  const float tabW = float(UIImageWidth(195));
  const float bw = 0.9f * float(UIImageWidth(13)), bh = 0.9f * float(UIImageHeight(13));
  for (int32_t i = 0; i < 5; ++i) {
    const float x = float(int32_t(mainWindow.x1 + 1)) + 1 + float(i) * tabW;
    const float y = float(int32_t(mainWindow.y1 + 2)) + 1;
    CIconButton* b = CreateIconButton(NextId(), x, y, x + bw, y + bh);
    SetButtonImages(*b, 13, 15, 17, 14, 16);
    b->SetMode(kIconFireOnRelease);  // the release toggles it first
    b->isToggle = 1;
    modeAndTabs[size_t(6 + i)] = b;
    SetInterfaceControl(kInfoTabControls + i, b);
  }
  const float stripTop = mainWindow.y1 + float(UIImageHeight(195)) + 2;
  statusStrip = CreateTextRect(NextId(), mainWindow.x1, stripTop, mainWindow.x2, stripTop + 14);
  statusStrip->SetFont(3);
  statusStrip->SetBackground(true, 0xFF01762Fu);
  statusStrip->SetAlignment(4, 0, 0);
  titleLine1 = CreateTextRect(NextId(), t1.x1 + 10, t1.y1, t1.x2 + 10, t1.y1 + 7);
  titleLine2 = CreateTextRect(NextId(), t1.x1 + 10, t1.y1 + 10, t1.x2 + 10, t1.y1 + 17);
  for (CTextRect* line : {titleLine1, titleLine2}) line->SetAlignment(4, 0, 0), line->AddText(" ");

  defaultPage.Init(this, nextId);
  blockPage.Init(this, nextId);
  personPage.Init(this, nextId);
  businessPage.Init(this, nextId);

  sliderUp->visible = sliderDown->visible = false;
  ModeButton(0)->SetPressed(true);
  isOpen = true;
  layoutPending = false;
  blockShown = -1;
  ShowPage(kInfoBlockPage);
}

void CSelectionInfoPanel::ResetModeButtons() {
  for (int32_t i = 0; i < 6; ++i) {
    CIconButton* b = ModeButton(i);
    b->visible = false;
    b->SetPressed(false);
    b->disabled = b->inputDisabled = false;
  }
}

void CSelectionInfoPanel::ResetTabButtons() {
  for (int32_t i = 0; i < 5; ++i) {
    CIconButton* b = TabButton(i);
    b->visible = false;
    b->SetPressed(false);
    b->disabled = b->inputDisabled = false;
  }
}

void CSelectionInfoPanel::SetTitleColours(uint32_t c0, uint32_t c1, uint32_t c2, uint32_t c3) {
  // The strip wears the district's or the owner's colour, some of them pale
  // (the utilities' district, a yellow token): the white title must read.
  backingColours[2] = {BackingUnderWhiteText(c0), BackingUnderWhiteText(c1), BackingUnderWhiteText(c2),
                       BackingUnderWhiteText(c3)};
}

void CSelectionInfoPanel::ShowPage(int32_t number) {
  CInfoPage* next = PageObject(number);
  if (!next) return;
  pageTitle.Clear();
  if (CInfoPage* p = PageObject(page)) p->Leave();
  page = number;
  ResetModeButtons();
  next->Enter();
  if (isOpen) next->Refresh();
  else ApplyOpenState();
}

void CSelectionInfoPanel::RefreshPage() {
  if (!isOpen) return;
  if (CInfoPage* p = PageObject(page)) p->Refresh();
}

void CSelectionInfoPanel::ReapplyPageMode() {
  if (!isOpen) return;
  if (CInfoPage* p = PageObject(page)) p->Reapply();
}

void CSelectionInfoPanel::NotifyBlockAuction(int32_t block) {
  const InfoSelection& s = CurrentInfoSelection();
  // The message speaks of the block shown, not of whichever block is auctioned.
  if (s.block == block) blockPage.ShowPendingMessage(block);
  if (page == kInfoBusinessPage && s.business) businessPage.Refresh();
  if (page == kInfoBlockPage && s.block == block) blockPage.OnBlockChanged(block);
}

void CSelectionInfoPanel::RebuildCurrentPage() {
  if (!isOpen) return;
  if (page == kInfoBlockPage) {
    blockPage.Reset();
    blockPage.Enter();
  } else if (page == kInfoBusinessPage) {
    businessPage.Reset();
    businessPage.Enter();
  }
}

void CSelectionInfoPanel::ApplyOpenState() {
  layoutPending = true;
  if (isOpen) {
    SelectLayoutFrame(10);
    openClose->overlayImage = 71;
    openClose->tooltipTextId = 2;
  } else {
    pageTitle.Clear();
    if (CInfoPage* p = PageObject(page)) p->Leave();
    for (int32_t i = 0; i < 6; ++i) ModeButton(i)->SetPressed(false);
    openClose->overlayImage = 72;
    openClose->tooltipTextId = 1;
    SelectLayoutFrame(1);
  }
}

void CSelectionInfoPanel::EnsureOpen() {
  if (isOpen) return;
  isOpen = true;
  ApplyOpenState();
}

void CSelectionInfoPanel::DrawSelf() {
  if (!isOpen || layoutPending) return;
  pageTitle.Draw(LayoutEntity());
  if (CInfoPage* p = PageObject(page)) p->Draw();
  // Texts and lists draw only when asked: every shown one of the frame and
  // the pages.
  for (CWidget* w = firstChild; w; w = w->nextSibling) {
    if (!w->visible) continue;
    // The green status strip shows only while a page has put a title in it:
    // an empty one would cover the page's first row.
    if (w == statusStrip && statusStrip->LineCount() == 0) continue;
    if (auto* rich = dynamic_cast<CRichTextBase*>(w)) rich->Draw(LayoutEntity());
    else if (auto* text = dynamic_cast<CTextRect*>(w)) text->Draw(LayoutEntity());
  }
  const int32_t icon = page == kInfoBusinessPage ? 22 : page == kInfoPersonPage ? 68 : 20;
  const UIRect at = MovedRect(UIRect{35, 5, 35, 5, 0.5f}, nullptr);
  DrawImage2D(at.x1, at.y1, icon, 0.5f);
}

void CSelectionInfoPanel::FollowFrameWithTab() {
  const CLayoutEntity* model = LayoutEntity();
  if (model == nullptr || openClose == nullptr) return;
  const UIRect tab = ElementRectInFrame(openCloseElement, model->frame);
  if (openCloseElement >= 0 && tab.x2 > tab.x1) {
    openClose->SetRect(tab.x1, tab.y1, tab.x2, tab.y2);
    openClose->overlayRect = UIRect{tab.x1, tab.y1, tab.x2, tab.y2, openClose->overlayRect.depth};
  }
  const UIRect bar = ElementRectInFrame(sideBarElement, model->frame);
  if (sideBarElement >= 0 && bar.x2 > bar.x1)
    backings[1] = UIRect{bar.x1, bar.y1, bar.x2, bar.y2, backings[1].depth};
  // The view buttons stand on the bar: they slide with it, their icons too.
  for (int32_t i = 0; i < 6; ++i) {
    const int32_t element = modeElements[size_t(i)];
    const UIRect at = ElementRectInFrame(element, model->frame);
    CIconButton* b = ModeButton(i);
    if (element < 0 || at.x2 <= at.x1 || (at.x1 == b->x1 && at.y1 == b->y1)) continue;
    const float dx = at.x1 - b->x1, dy = at.y1 - b->y1;
    b->SetRect(at.x1, at.y1, at.x2, at.y2);
    UIRect& icon = b->overlayRect;
    icon = UIRect{icon.x1 + dx, icon.y1 + dy, icon.x2 + dx, icon.y2 + dy, icon.depth};
  }
}

void CSelectionInfoPanel::Update() {
  FollowLayout();
  FollowFrameWithTab();
  const CLayoutEntity* model = LayoutEntity();
  auto drawRow = [&](size_t row) { DrawPanelBacking(backings[row], backingColours[row], model); };
  drawRow(1);
  if (!isOpen || layoutPending) return;
  for (int32_t row : {0, 2, 5}) drawRow(row);
  if (CInfoPage* p = PageObject(page)) p->Update();
}

void CSelectionInfoPanel::DrawTabStrip(int32_t count, int32_t selected) {
  const CLayoutEntity* model = LayoutEntity();
  const float w = float(UIImageWidth(195));
  const UIRect strip{mainWindow.x1, mainWindow.y1, mainWindow.x2, mainWindow.y1 + float(UIImageHeight(195)) + 1,
                     0.6f};
  DrawRect2DSolid(MovedRect(strip, model), 0x40909090u, 0.6f);
  for (int32_t i = 0; i < count; ++i) {
    const UIRect at = MovedRect(UIRect{mainWindow.x1 + 1 + float(i) * w, mainWindow.y1 + 2, 0, 0, 0.6f}, model);
    DrawImage2D(at.x1, at.y1, i == selected ? 195 : 196, 0.6f);
  }
}

namespace {
// The pages' lists: names on the left, figures right-aligned, hidden until
// their page shows.
template <class List>
void StyleInfoList(List& list) {
  list.left.SetAlignment(0, 0, 3);
  list.right.SetAlignment(2, 3, 3);
  list.left.SetFont(3), list.right.SetFont(3);
  list.left.lineSpacing = list.right.lineSpacing = 2;
  list.visible = false;
}
}  // namespace

CRichTextRect3* CSelectionInfoPanel::CreateList3(CScrollBar** scroll, float top, CTextRect** heading,
                                                 int32_t headingText, float bottom) {
  if (bottom <= top) bottom = mainWindow.y2 - 2;
  if (heading) {
    *heading = CreateTextRect(NextId(), mainWindow.x1, top - 15, mainWindow.x2 - 19, top);
    (*heading)->SetFont(3);
    (*heading)->SetAlignment(2, 0, 0);
    if (headingText) (*heading)->AddTextId(headingText);
    (*heading)->SetAllLinesColour(9);
    (*heading)->visible = false;
  }
  const float right = mainWindow.x2 - (scroll ? sliderWidth : 0.0f);
  CRichTextRect3* list = CreateRichTextRect3(NextId(), mainWindow.x1, top, right, bottom);
  list->depth = 0.5f;
  StyleInfoList(*list);
  if (scroll) {
    *scroll = CreateScrollBar(NextId(), mainWindow.x2 - sliderWidth, top, bottom + 2 - top, true);
    (*scroll)->AttachRichText3(list);
    (*scroll)->visible = false;
  }
  return list;
}

CRichTextRect2* CSelectionInfoPanel::CreateList2(CScrollBar** scroll, float top) {
  const float right = mainWindow.x2 - (scroll ? sliderWidth : 0.0f);
  CRichTextRect2* list = CreateRichTextRect2(NextId(), mainWindow.x1, top, right, mainWindow.y2 - 2);
  StyleInfoList(*list);
  if (scroll) {
    *scroll = CreateScrollBar(NextId(), mainWindow.x2 - sliderWidth, top, mainWindow.y2 - top, true);
    (*scroll)->AttachRichText2(list);
    (*scroll)->visible = false;
  }
  return list;
}

void CSelectionInfoPanel::FollowLayout() {
  // The page is entered again once the opening model reaches its open
  // frame; a closing panel only waits for its closed frame (entering the
  // page then would open the panel again).
  if (layoutPending && isOpen && LayoutFrameIs(9)) {
    layoutPending = false;
    ResetModeButtons();
    if (CInfoPage* p = PageObject(page)) {
      p->Enter();
      if (isOpen) p->Refresh();
    }
  } else if (layoutPending && !isOpen && LayoutFrameIs(0)) {
    // Folded, only the tab is left to click: the page's view buttons went
    // down with the bar and come back when the page is entered again.
    layoutPending = false;
    ResetModeButtons();
  }
}

int32_t CSelectionInfoPanel::OnEvent(int32_t type, int32_t a, int32_t b) {
  FollowLayout();
  CInfoPage* current = PageObject(page);
  if (type == kMsgRefresh) {
    if (isOpen && current) current->Refresh();
    return 0;
  }
  if (type == kNotifyLineChosen) {
    if (page == kInfoBusinessPage && a == businessPage.typeListId) businessPage.TypeRowChosen(b);
    return 0;
  }
  if (type != kNotifyClicked) return 0;
  if (openClose && a == openClose->id) {
    isOpen = !isOpen;
    ApplyOpenState();
    return 0;
  }
  if (titleButton && a == titleButton->id) {
    if (current) current->TitleAction();
    return 0;
  }
  for (int32_t i = 0; i < 6; ++i) {
    if (a != ModeButton(i)->id) continue;
    for (int32_t j = 0; j < 6; ++j)
      if (j != i) ModeButton(j)->SetPressed(false);
    if (ModeButton(i)->IsPressed()) {
      if (current) current->SelectView(i);
      FireTutorialEvent(kInfoModeControls + i);
    }
    return 0;
  }
  for (int32_t i = 0; i < 5; ++i) {
    if (a != TabButton(i)->id) continue;
    for (int32_t j = 0; j < 5; ++j)
      if (j != i) TabButton(j)->SetPressed(false);
    if (current) current->SelectTab(i);
    FireTutorialEvent(kInfoTabControls + i);
    return 0;
  }
  if (page == kInfoBlockPage) blockPage.Clicked(a);
  else if (page == kInfoBusinessPage) businessPage.Clicked(a);
  return 0;
}

void CSelectionInfoPanel::Reset() {
  isOpen = true;
  layoutPending = false;
  blockShown = -1;
  ApplyOpenState();
  ShowPage(kInfoDefaultPage);
  blockPage.Reset();
  businessPage.Reset();
  personPage.Reset();
  defaultPage.Reset();
}

void CSelectionInfoPanel::OnOpen() {
  const CPlayer* local = LocalPlayer();
  if (local && local->kind == kPlayerInactive) Close();
  // The construction panel stands where this one does and closes it as it
  // opens; a page opened over it (a pick, the navigator, a list's link)
  // leaves the construction instead, or it would stay behind the page,
  // where its own way back (the rights view) could no longer reach it.
  if (CPanel& build = HudPanels().construction; open && build.open) build.Close();
}

// ---------------------------------------------------------------- default page

void CInfoDefaultPage::Init(CSelectionInfoPanel* owner, int32_t& nextId) {
  CInfoPage::Init(owner, nextId);
  list = owner->CreateList2(&scroll, owner->mainWindow.y1 + 5);
  suppressed = false;
}

void CInfoDefaultPage::Leave() {
  panel->pageTitle.Clear();
  panel->SetTitleColours(kPanelGrey, kPanelGrey, kPanelFadedGrey, kPanelFadedGrey);
  list->visible = scroll->visible = false;
}

void CInfoDefaultPage::Fill() {
  panel->pageTitle.Clear();
  list->Clear();
  panel->pageTitle.AddTextId(1417);
  scroll->visible = true;
  list->visible = true;
  list->AddLabelId(1418);
  list->AddLabelF("Version %d.%d", 1, 2);
  list->AddBlankLine();
  list->AddLabelId(1420);
}

void CInfoDefaultPage::Enter() {
  panel->ResetTabButtons();
  Leave();
  Fill();
}

void CInfoDefaultPage::Refresh() {
  if (CurrentInfoSelection().Any() && !suppressed) Fill();
}

void CInfoDefaultPage::Reapply() {
  if (suppressed) return;
  Leave();
  Fill();
}

void CInfoDefaultPage::Draw() {}

void CInfoDefaultPage::Reset() {
  suppressed = false;
  list->visible = scroll->visible = false;
}
