// The business page of the selection information panel: what a business
// earns and spends with its profit graph, its commodities and accounts, and
// the player's actions on its building (sell or buy out, change of type,
// demolition, the business panel, the block).
#include <algorithm>
#include <cstring>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/local_drafts.h"
#include "city/city_entities.h"
#include "city/commodities.h"
#include "panels/panel_drawing.h"
#include "panels/panel_links.h"
#include "panels/player_tokens.h"
#include "panels/selection_info_panel.h"
#include "session/game_clock.h"
#include "session/player.h"
#include "session/tutorial.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/interface_controls.h"
#include "ui/line_chart.h"
#include "ui/money_format.h"
#include "ui/rich_text.h"
#include "ui/scroll_bar.h"
#include "visuals/camera/city_picking.h"
#include "visuals/overlay/interface_task.h"
#include "panels/hud_panels.h"

namespace {

constexpr int32_t kModeIcons[6] = {66, 25, 67, 74, 23, 138};
constexpr int32_t kModeTips[6] = {31, 60, 90, 86, 89, 61};
constexpr int32_t kTabIcons[2] = {292, 67};
constexpr int32_t kTabTips[2] = {1162, 1164};
constexpr int32_t kSubPageNames[3] = {1502, 1503, 1504};
constexpr int32_t kClassTexts[3] = {1656, 1655, 1657};
constexpr uint32_t kGrey = 0xFF808080u;
// The sub-page arrows' row and the graph below it, from the main window's top.
constexpr float kArrowRow = 172, kGraphTop = 190, kGraphHeight = 92;

int32_t LocalNumber() {
  const CPlayer* p = PlayerTable().Local();
  return p ? int32_t(p->index) + 1 : -1;
}

// A button of the page: its images, fired on release.
void SetReleaseButton(CIconButton* b, int32_t normal, int32_t hover, int32_t pressed) {
  SetButtonImages(*b, normal, pressed, -1, hover, -1);
  b->SetMode(kIconFireOnRelease);
}

// A labelled action button (sell or buy out, change, demolish): the gold
// face with its label centred, and the grey face while it cannot be used.
CIconButton* CreateActionButton(CSelectionInfoPanel& owner, float x, float y, int32_t label) {
  constexpr int32_t kDisabledFace = 9;
  const float w = float(UIImageWidth(76)), h = float(UIImageHeight(76));
  CIconButton* b = CreatePushButton(owner, owner.NextId(), SetUIRect(x, y, x + w, y + h), 2);
  SetButtonImages(*b, 76, 78, kDisabledFace, 77, -1);
  b->SetLabelId(label);
  return b;
}

// The business types in the order the type list offers them.
int32_t ChoiceOrder(int32_t i) { return i; }

}  // namespace

CBuilding* CInfoBusinessPage::Building() const {
  CBuilding* b = GetBuilding(CurrentInfoSelection().building);
  return b && b->InUse ? b : nullptr;
}

CBusiness* CInfoBusinessPage::Business() const {
  const CBuilding* b = Building();
  return b ? GetBusinessInUse(b->GetBusiness()) : nullptr;
}

bool CInfoBusinessPage::LocalOwnsBusiness() const {
  const CBusiness* x = Business();
  return x && LocalNumber() > 0 && x->Owner == LocalNumber();
}

bool CInfoBusinessPage::LocalOwnsBlock() const {
  const CBuilding* b = Building();
  return b && b->Block && LocalNumber() > 0 && b->Block->Owner == LocalNumber();
}

void CInfoBusinessPage::Init(CSelectionInfoPanel* owner, int32_t& nextId) {
  CInfoPage::Init(owner, nextId);
  const UIRect m = owner->mainWindow;
  const float L = m.x1, T = m.y1, R = m.x2, B = m.y2;
  const float w = float(UIImageWidth(97)), h = float(UIImageHeight(97));
  leftArrow = owner->CreateIconButton(owner->NextId(), L + w / 2, T + kArrowRow, L + w / 2 + w, T + kArrowRow + h);
  SetReleaseButton(leftArrow, 97, 98, 99);
  rightArrow =
      owner->CreateIconButton(owner->NextId(), R - 2 * w - w / 2, T + kArrowRow, R - w - w / 2, T + kArrowRow + h);
  SetReleaseButton(rightArrow, 101, 102, 103);
  leftId = leftArrow->id, rightId = rightArrow->id;
  SetInterfaceControl(36, leftArrow);
  SetInterfaceControl(37, rightArrow);
  subHeading = owner->CreateTextRect(owner->NextId(), L + w / 2 + w + 2, T + kArrowRow + 2, R - 2 * w - w / 2 + 5,
                                     T + kArrowRow - 2 + h);
  subHeading->SetFont(3);
  subHeading->SetAlignment(4, 0, 0);
  noBusinessMessage = owner->CreateTextRect(owner->NextId(), L + 5, T + 40, R - 5, T + 140);
  noBusinessMessage->SetFont(3);
  infoList = owner->CreateList2(nullptr, T + 36);
  valueList = owner->CreateList3(&valueScroll, T + 36, nullptr, 0);
  const float bw = float(UIImageWidth(76));
  const float bx = L + float(int32_t((R - L) / 2)) - bw / 2;
  actionButton = CreateActionButton(*owner, bx, T + 110, 1415);
  actionId = actionButton->id;

  typeLabel = owner->CreateTextRect(owner->NextId(), L + 4, T + 36, R - 4, T + 60);
  typeLabel->SetFont(3);
  typeList = owner->CreateList3(&typeScroll, T + 62, nullptr, 0, B - 76);
  typeList->SetHoverHighlight(true);
  typeListId = typeList->id;
  SetInterfaceControl(40, typeList);
  typeCostCaption = owner->CreateTextRect(owner->NextId(), L + 4, B - 72, R - 4, B - 60);
  typeCost = owner->CreateTextRect(owner->NextId(), L + 4, B - 60, R - 4, B - 48);
  for (CTextRect* t : {typeCostCaption, typeCost}) t->SetFont(3), t->SetAlignment(4, 0, 0);
  typeCostCaption->AddTextId(87);
  changeTypeButton = CreateActionButton(*owner, bx, B - 44, 85);
  changeTypeId = changeTypeButton->id;
  SetInterfaceControl(38, changeTypeButton);

  demolishLabel = owner->CreateTextRect(owner->NextId(), L + 4, T + 40, R - 4, T + 70);
  demolishLabel->SetFont(3);
  demolishCostCaption = owner->CreateTextRect(owner->NextId(), L + 4, T + 80, R - 4, T + 92);
  demolishCost = owner->CreateTextRect(owner->NextId(), L + 4, T + 92, R - 4, T + 104);
  for (CTextRect* t : {demolishCostCaption, demolishCost}) t->SetFont(3), t->SetAlignment(4, 0, 0);
  demolishCostCaption->AddTextId(84);
  demolishButton = CreateActionButton(*owner, bx, T + 112, 88);
  demolishId = demolishButton->id;
  SetInterfaceControl(39, demolishButton);
  Leave();
  Reset();
}

// ---- Frame operations ----------------------------------------------------------------

void CInfoBusinessPage::ShowTitle() {
  CTextRect& title = panel->pageTitle;
  title.Clear();
  const CBusiness* x = Business();
  if (x) title.AddTextId(x->GetTypeNameId());
  const CPlayer* owner = x ? x->GetOwner() : nullptr;
  if (!owner) {
    panel->SetTitleColours(kGrey, kGrey, Faded(kGrey), Faded(kGrey));
    return;
  }
  const uint32_t c = PlayerTokenColour(owner);
  panel->SetTitleColours(c, c, Faded(c), Faded(c));
}

void CInfoBusinessPage::Enter() {
  const CBusiness* x = Business();
  for (int32_t i = 0; i < 6; ++i) {
    CIconButton* m = panel->ModeButton(i);
    m->overlayRect = m->Rect();
    m->overlayImage = kModeIcons[i];
    m->tooltipTextId = kModeTips[i];
    m->visible = i == 0 || i == 1 || i == 5;
    EnableButton(m, true);
  }
  if (!x) return;
  if (LocalOwnsBusiness()) {
    for (int32_t i : {2, 3, 4}) panel->ModeButton(i)->visible = true;
  } else if (LocalOwnsBlock()) {
    panel->ModeButton(2)->visible = true;
  }
  hasCommodities = x->Kind != kBusinessLandscape;
  if (x->Kind == kBusinessResidence || x->Type == kTypeHotel) {
    EnableButton(panel->ModeButton(3), false);
    panel->ModeButton(3)->SetPressed(false);
    if (view == kBusinessViewType) Reset();
  }
  if (!panel->isOpen) return;
  for (int32_t i = 0; i < 2; ++i) {
    CIconButton* t = panel->TabButton(i);
    t->overlayRect = TabIconRect(t->Rect());
    t->overlayImage = kTabIcons[i];
    t->tooltipTextId = kTabTips[i];
    t->visible = !panel->layoutPending;
  }
  if (x->Kind == kBusinessLandscape) {
    if (view == kBusinessViewSell) Reset();
    for (int32_t i : {1, 2, 3}) {
      EnableButton(panel->ModeButton(i), false);
      panel->ModeButton(i)->SetPressed(false);
    }
  }
  SelectView(view);
  const CBuilding* b = Building();
  if (b && b->Block && LocalBlockMarks(b->Block->Index).Request) {
    for (int32_t i : {2, 3, 4}) {
      panel->ModeButton(i)->SetPressed(false);
      EnableButton(panel->ModeButton(i), false);
    }
    if (view >= kBusinessViewSell && view <= kBusinessViewDemolish) SelectView(kBusinessViewInfo);
  }
  if (view == kBusinessViewInfo) {
    ResetLists();
    ShowStatusStrip();
    FillTab();
    panel->TabButton(tab)->SetPressed(true);
  }
}

void CInfoBusinessPage::ResetLists() {
  infoList->visible = valueList->visible = valueScroll->visible = false;
  leftArrow->visible = rightArrow->visible = subHeading->visible = false;
  infoList->Clear();
  valueList->Clear();
}

void CInfoBusinessPage::Leave() {
  ResetLists();
  for (CIconButton* b : {actionButton, changeTypeButton, demolishButton}) {
    b->visible = false;
    EnableButton(b, false);
  }
  typeList->visible = typeScroll->visible = false;
  typeLabel->visible = typeCostCaption->visible = typeCost->visible = false;
  demolishLabel->visible = demolishCostCaption->visible = demolishCost->visible = false;
  noBusinessMessage->visible = false;
  typeCost->Clear();
  typeCost->AddText(FormatMoney(0));
  panel->ResetTabButtons();
  panel->statusStrip->Clear();
}

void CInfoBusinessPage::Reset() {
  Leave();
  noBusiness = false;
  subPage = graphSubPage = 0;
  view = kBusinessViewInfo;
  tab = 0;
  chosenRow = -1;
  typeList->ClearSelection();
  if (panel->page == kInfoBusinessPage) {
    panel->ModeButton(0)->SetPressed(true);
    if (Business()) {
      ShowStatusStrip();
      FillTab();
    }
  }
}

void CInfoBusinessPage::SelectView(int32_t i) {
  CBuilding* b = Building();
  CBusiness* x = Business();
  if (!b || !x) return;
  ShowTitle();
  auto hideViews = [&] {
    ResetLists();
    for (CIconButton* button : {actionButton, changeTypeButton, demolishButton}) button->visible = false;
    typeList->visible = typeScroll->visible = false;
    typeLabel->visible = typeCostCaption->visible = typeCost->visible = false;
    demolishLabel->visible = demolishCostCaption->visible = demolishCost->visible = false;
    panel->statusStrip->Clear();
  };
  // A view of its own in the open panel: no tabs.
  auto openView = [&](int32_t v) {
    panel->EnsureOpen();
    hideViews();
    panel->ResetTabButtons();
    view = v;
  };
  switch (i) {
    case kBusinessViewInfo:
      panel->EnsureOpen();
      hideViews();
      view = kBusinessViewInfo;
      panel->TabButton(tab)->SetPressed(true);
      for (int32_t t = 0; t < 2; ++t) panel->TabButton(t)->visible = panel->isOpen && !panel->layoutPending;
      ShowStatusStrip();
      FillTab();
      break;
    case kBusinessViewPanel:
      view = kBusinessViewInfo;
      panel->ModeButton(1)->SetPressed(false);
      panel->ModeButton(0)->SetPressed(true);
      panel->Close();
      OpenBusinessPanelForSelection();
      return;
    case kBusinessViewSell:
      openView(kBusinessViewSell);
      FillSellView();
      break;
    case kBusinessViewType:
      openView(kBusinessViewType);
      FillTypeView();
      changeTypeButton->visible = typeLocalOwner;
      break;
    case kBusinessViewDemolish:
      openView(kBusinessViewDemolish);
      FillDemolishView();
      demolishButton->visible = demolishLocalOwner;
      break;
    case kBusinessViewBlock: {
      if (!b->Block) return;
      const int32_t block = b->Block->Index;
      view = kBusinessViewInfo;
      g_SelectedBuilding = nullptr;
      panel->blockShown = block;
      GoToBlock(block);
      return;
    }
    default:
      return;
  }
  panel->ModeButton(view)->SetPressed(true);
}

void CInfoBusinessPage::SelectTab(int32_t i) {
  if (i < 0 || i > 1) return;
  ResetLists();
  tab = i;
  ShowStatusStrip();
  FillTab();
  panel->TabButton(i)->SetPressed(true);
}

void CInfoBusinessPage::ShowStatusStrip() {
  CTextRect* s = panel->statusStrip;
  s->Clear();
  const CBusiness* x = Business();
  if (tab == 0) {
    s->AddTextId(30);
    infoList->visible = true;
    const bool arrows = x && x->Kind != kBusinessLandscape;
    leftArrow->visible = rightArrow->visible = subHeading->visible = arrows;
  } else {
    s->AddTextId(1405);
    valueList->visible = true;
  }
  s->SetAllLinesColour(16);
}

void CInfoBusinessPage::FillTab() {
  if (tab == 0) FillInfoList();
  else FillSellView();
}

void CInfoBusinessPage::Refresh() {
  const InfoSelection& s = CurrentInfoSelection();
  CBuilding* b = Building();
  if (!s.Any() || !b) return;
  noBusinessMessage->Clear();
  noBusinessMessage->visible = false;
  if (b->GetBusiness() < 0) {
    // The business has gone: the block page takes over.
    panel->ShowPage(kInfoBlockPage);
    return;
  }
  if (!Business()) {
    noBusiness = true;
    noBusinessMessage->AddTextId(81);
    noBusinessMessage->visible = true;
    for (int32_t i = 0; i < 6; ++i) panel->ModeButton(i)->SetPressed(false);
    return;
  }
  if (noBusiness) {
    noBusiness = false;
    Enter();
  }
  ShowTitle();
  switch (view) {
    case kBusinessViewInfo: FillTab(); break;
    case kBusinessViewSell: FillSellView(); break;
    case kBusinessViewType: FillTypeView(); break;
    case kBusinessViewDemolish: FillDemolishView(); break;
    default: break;
  }
}

// ---- The lists ----------------------------------------------------------------------

void CInfoBusinessPage::FillInfoList() {
  const CBusiness* x = Business();
  const CBuilding* b = Building();
  if (!x || !b) return;
  infoList->Clear();
  subHeading->Clear();
  subHeading->AddTextId(kSubPageNames[subPage]);
  const bool residence = x->Kind == kBusinessResidence;
  // The day's account lines, the same figures whose sum the profit graph
  // ends on: the takings (sales or rents) and every other line as costs.
  income = x->Accounts[kLineSales] + x->Accounts[kLineRentReceived];
  profit = x->GetProfit();
  costs = profit - income;

  infoList->AddBlankLine();
  infoList->AddLabelId(1408);
  if (const CPlayer* owner = x->GetOwner()) infoList->AddValueF("%s", owner->name);
  else infoList->AddValueId(1116);
  if (x->Kind == kBusinessLandscape) {
    infoList->AddLabelId(1409);
    infoList->AddValueF("%.1f", float((b->X2 - b->X1 + 1) * (b->Z2 - b->Z1 + 1) * b->Floors) * 0.1f);
    infoList->AddLabelId(1410);
    infoList->AddValueF("%.1f", b->Block ? b->Block->Prestige : 0.0f);
    return;
  }
  const bool ownBoth = LocalOwnsBusiness() && LocalOwnsBlock();
  infoList->AddLabelId(1158);
  if (ownBoth) infoList->AddValueId(44);
  else infoList->AddValueF("%s", FormatMoney(int32_t(x->GroundRent)).c_str());
  infoList->AddLabelId(1616);
  infoList->AddValueId(x->OpenState != kOpen ? 1379 : 1378);
  infoList->AddLabelId(1411);
  infoList->AddValueId(kClassTexts[std::clamp<int32_t>(b->Quality, 0, 2)]);
  infoList->AddBlankLine();
  infoList->AddLabelId(63);
  infoList->AddValueF("%s", FormatMoneyDecimal(income).c_str());
  infoList->AddLabelId(64);
  infoList->AddValueF("%s", FormatMoneyDecimal(-costs).c_str());
  infoList->AddLabelId(1412);
  infoList->AddValueF("%s", FormatMoneyDecimal(profit).c_str());
  infoList->SetLastValueStyle(profit >= 0 ? 9 : 10, profit >= 0 ? 3 : 2, x->SoldOut != 0);
  infoList->AddBlankLine();
  if (!hasCommodities || subPage == 0) return;
  // The sections start below the arrows.
  const int32_t lineHeight = std::max(1, infoList->left.lineHeight + 2);
  while (36 + lineHeight * infoList->LongerColumn() < int32_t(kArrowRow) + int32_t(UIImageHeight(97)))
    infoList->AddBlankLine();
  if (subPage == 1) {
    infoList->AddHeadingId(65);
    if (residence) {
      infoList->AddLabelId(69);
      infoList->AddValueF("%d", int32_t(x->Occupants));
    } else {
      const TypeCommodityList& list = g_TypeCommodities[size_t(std::clamp(x->Type, 0, kBusinessTypeCount - 1))];
      for (int32_t i = 0; i < kMaxTypeCommodities && list[size_t(i)].Commodity >= 0; ++i) {
        const int32_t c = list[size_t(i)].Commodity;
        if (c < kCommodityCount) infoList->AddLabelId(g_Commodities[size_t(c)].NameTextId);
        else infoList->AddLabelF("-");
        infoList->AddValueF("%s", FormatMoneyDecimal(x->GetSlotPrice(i)).c_str());
      }
    }
    infoList->MarkSeparator();
    infoList->AddLabelId(66);
    infoList->AddValueF("%s", FormatMoneyDecimal(income).c_str());
  } else {
    infoList->AddHeadingId(72);
    infoList->AddLabelId(73);
    if (ownBoth) infoList->AddValueId(44);
    else infoList->AddValueF("%s", FormatMoneyDecimal(-x->Accounts[kLineGroundRent]).c_str());
    if (!residence) {
      infoList->AddLabelId(74);
      infoList->AddValueF("%s", FormatMoneyDecimal(-x->Accounts[kLineStock]).c_str());
    }
    const int lines[4] = {kLineTelephone, kLineGas, kLineWater, kLineElectricity};
    for (int32_t i = 0; i < 4; ++i) {
      infoList->AddLabelId(75 + i);
      infoList->AddValueF("%s", FormatMoneyDecimal(-x->Accounts[lines[i]]).c_str());
    }
    infoList->MarkSeparator();
    infoList->AddLabelId(66);
    infoList->AddValueF("%s", FormatMoneyDecimal(-costs).c_str());
  }
}

void CInfoBusinessPage::StepSubPage(int32_t delta) {
  if (tab == 1) return;
  FireTutorialEvent(delta < 0 ? 36 : 37);
  subPage = (subPage + delta + 3) % 3;
  if (hasCommodities) graphSubPage = subPage > 2 ? 0 : subPage;
  FillInfoList();
}

void CInfoBusinessPage::FillSellView() {
  CBuilding* b = Building();
  CBusiness* x = Business();
  if (!b || !x) return;
  valueList->Clear();
  valueList->visible = true;
  valueList->AddLabelId(1118);
  valueList->AddValueF("%s", FormatMoneyDecimal(x->GetRating()).c_str());
  valueList->AddLabelId(93);
  valueList->AddValueF("%d", b->GetNoveltyPercent());
  const bool mine = LocalOwnsBusiness();
  if (mine) {
    valueList->AddLabelId(1413);
    valueList->AddValueF("%s", FormatMoneyDecimal(x->GetSellValue()).c_str());
  } else {
    valueList->AddLabelId(1414);
    valueList->AddValueF("%s", FormatMoneyDecimal(b->GetBuyoutPrice()).c_str());
  }
  if (view != kBusinessViewSell) return;
  actionButton->visible = true;
  EnableButton(actionButton, false);
  actionButton->SetLabelId(1415);
  if (LocalBuildingMarks(b->Id).Trade) return;
  if (mine) {
    actionButton->SetLabelId(1416);
    EnableButton(actionButton, true);
  } else if (LocalOwnsBlock()) {
    EnableButton(actionButton, true);
  }
}

float CInfoBusinessPage::TypeCost(int32_t type) const {
  const CBuilding* b = Building();
  if (!b) return 0;
  float cost = b->GetBusinessSetupCost(type);
  if (!IsEarlyHour()) cost += GetBusinessStockCost(type, b->VolumeUnits());
  return cost;
}

int32_t CInfoBusinessPage::TypeForRow(int32_t nameText) const {
  const CBuilding* b = Building();
  const CBusiness* x = Business();
  if (!b || !x) return -1;
  for (int32_t i = 0; i < kBusinessTypeCount; ++i) {
    const int32_t type = ChoiceOrder(i);
    const BusinessType& t = g_BusinessTypes[size_t(type)];
    if (type == x->Type || t.Kind != kBusinessShop || type == kTypeHotel) continue;
    if (!FitsBusinessType(type, *b)) continue;
    if (t.NameTextId == nameText) return type;
  }
  return -1;
}

void CInfoBusinessPage::FillTypeView() {
  CBuilding* b = Building();
  CBusiness* x = Business();
  if (!b || !x || LocalBuildingMarks(b->Id).Trade) return;
  typeCost->Clear();
  typeLabel->Clear();
  typeLocalOwner = LocalOwnsBusiness();
  if (!typeLocalOwner) {
    SelectView(kBusinessViewInfo);
    return;
  }
  typeLabel->visible = typeCostCaption->visible = typeCost->visible = true;
  typeLabel->AddTextIdArgs2(9, x->GetOwner() ? x->GetOwner()->name : "", x->GetTypeNameId());
  typeList->Clear();
  int32_t rows = 0;
  if (x->Kind == kBusinessShop) {
    for (int32_t i = 0; i < kBusinessTypeCount; ++i) {
      const int32_t type = ChoiceOrder(i);
      const BusinessType& t = g_BusinessTypes[size_t(type)];
      if (type == x->Type || t.Kind != kBusinessShop || type == kTypeHotel || !FitsBusinessType(type, *b)) continue;
      typeList->AddTaggedLabelId(1, t.NameTextId);
      typeList->AddValueF("%s", FormatMoney(int32_t(TypeCost(type))).c_str());
      typeList->SetLineValue(typeList->LongerColumn() - 1, t.NameTextId);
      ++rows;
    }
  }
  typeList->visible = typeScroll->visible = rows > 0;
  if (chosenRow >= 0 && chosenRow < typeList->LongerColumn()) typeList->SelectLine(chosenRow);
}

void CInfoBusinessPage::TypeRowChosen(int32_t row) {
  EnableButton(changeTypeButton, false);
  chosenRow = row;
  const CBuilding* b = Building();
  const CBusiness* x = Business();
  if (!b || !x || LocalBuildingMarks(b->Id).Trade || x->Kind == kBusinessResidence) return;
  const int32_t type = TypeForRow(typeList->GetLineValue(row));
  if (type < 0) return;
  typeCost->Clear();
  typeCost->AddText(FormatMoneyDecimal(TypeCost(type)));
  if (LocalOwnsBusiness()) {
    EnableButton(changeTypeButton, true);
    FireTutorialEvent(7);
  }
}

void CInfoBusinessPage::FillDemolishView() {
  CBuilding* b = Building();
  CBusiness* x = Business();
  if (!b || !x || LocalBuildingMarks(b->Id).Demolish) return;
  demolishLabel->Clear();
  demolishLabel->visible = true;
  demolishLocalOwner = false;
  if (LocalOwnsBusiness()) {
    if (x->Kind != kBusinessLandscape || LocalOwnsBlock()) {
      demolishLabel->AddTextIdArgs2(9, x->GetOwner() ? x->GetOwner()->name : "", x->GetTypeNameId());
      demolishLocalOwner = true;
      EnableButton(demolishButton, true);
    }
  } else {
    demolishLabel->AddTextId(82);
  }
  demolishCost->Clear();
  demolishCost->AddText(FormatMoneyDecimal(b->GetRentalValue()));
  demolishCostCaption->visible = demolishCost->visible = demolishLocalOwner;
}

// ---- Actions: each one a game message --------------------------------------------------

void CInfoBusinessPage::ActionClicked() {
  CBuilding* b = Building();
  CBusiness* x = Business();
  CPlayer* local = PlayerTable().Local();
  if (!b || !x || !local || LocalBuildingMarks(b->Id).Trade) return;
  if (LocalOwnsBusiness()) {
    EnableButton(actionButton, false);
    local->PostCloseBusiness(x->Index);
  } else {
    if (!LocalOwnsBlock() || !local->CanAfford(b->GetBuyoutPrice(), true)) return;
    EnableButton(actionButton, false);
    b->SendBuyoutRequest();
  }
  LocalBuildingMarks(b->Id).Trade = 1;
}

void CInfoBusinessPage::DemolishClicked() {
  CBuilding* b = Building();
  CPlayer* local = PlayerTable().Local();
  if (!b || !local || LocalBuildingMarks(b->Id).Demolish || !demolishLocalOwner) return;
  const float value = b->GetRentalValue();
  if (!local->CanAfford(value, true)) return;
  EnableButton(demolishButton, false);
  local->PostDemolishBuilding(b->Id, int32_t(value));
  LocalBuildingMarks(b->Id).Demolish = 1;
}

void CInfoBusinessPage::ChangeTypeClicked() {
  CBuilding* b = Building();
  CBusiness* x = Business();
  CPlayer* local = PlayerTable().Local();
  if (!b || !x || !local || chosenRow < 0 || LocalBuildingMarks(b->Id).Trade || !LocalOwnsBusiness()) return;
  const int32_t type = TypeForRow(typeList->GetLineValue(chosenRow));
  if (type < 0 || !local->CanAfford(TypeCost(type), true)) return;
  local->PostBuyBusiness(b->Id, type);
  LocalBuildingMarks(b->Id).Trade = 1;
  EnableButton(changeTypeButton, false);
  typeList->ClearSelection();
  chosenRow = -1;
}

bool CInfoBusinessPage::Clicked(int32_t id) {
  if (id == actionId) ActionClicked();
  else if (id == demolishId) DemolishClicked(), FireTutorialEvent(39);
  else if (id == changeTypeId) ChangeTypeClicked(), FireTutorialEvent(38);
  else if (id == leftId) StepSubPage(-1);
  else if (id == rightId) StepSubPage(1);
  else return false;
  return true;
}

void CInfoBusinessPage::TitleAction() {
  CBuilding* b = Building();
  if (!b || !b->Block) return;
  HoveredObject() = BlockBaseEntities().GetEntity(b->Block->Index);
  g_HoveredBuilding = b;
  CommitPickSelection(false);
  CommitPickSelection(false);
}

// ---- Answers of the game messages ----------------------------------------------------

void CInfoBusinessPage::OnBuildingRequestAnswered(int32_t building) {
  CBuilding* b = GetBuilding(building);
  if (!b) return;
  LocalBuildingMarks(b->Id).Request = 0;
  if (b == Building()) {
    ShowTitle();
    Refresh();
  }
}

void CInfoBusinessPage::OnDemolitionStarted(int32_t building) {
  CBuilding* b = GetBuilding(building);
  if (!b) return;
  LocalBuildingMarks(b->Id).Demolish = 0;
  if (CurrentInfoSelection().building != building) return;
  InfoSelection& s = CurrentInfoSelection();
  s.building = -1;
  s.business = false;
  if (g_SelectedBuilding == b) g_SelectedBuilding = nullptr;
  view = kBusinessViewInfo;
  for (int32_t i = 0; i < 6; ++i) panel->ModeButton(i)->SetPressed(false);
  panel->ModeButton(0)->SetPressed(true);
  if (b->Block) panel->blockShown = b->Block->Index;
  panel->ShowPage(kInfoBlockPage);
}

void CInfoBusinessPage::OnBusinessTraded(int32_t building) {
  CBuilding* b = GetBuilding(building);
  if (!b) return;
  LocalBuildingMarks(b->Id).Trade = 0;
  if (b != Building() || panel->page != kInfoBusinessPage) return;
  if (view == kBusinessViewSell) {
    view = kBusinessViewInfo;
    panel->ModeButton(2)->SetPressed(false);
    panel->ModeButton(0)->SetPressed(true);
  }
  tab = 0;
  ResetLists();
  Enter();
  panel->ReapplyPageMode();
}

// ---- Drawing ------------------------------------------------------------------------

CChart ProfitGraphChart(const std::array<float, 4>& profits, float year) {
  CChart chart;
  // The profits are labelled as money beside the plot. The four points are
  // the last four days, spread over the chart's fifteen-year span, so the x
  // axis carries no numbers (they would read as years).
  chart.xKind = kChartNoLabel;
  chart.yKind = kChartMoney;
  chart.yLinesPerLabel = 1;
  chart.dataMinX = year - 15.0f;
  chart.dataMaxX = year;
  // The zero line is always in view.
  chart.dataMinY = chart.dataMaxY = 0;
  for (float p : profits) {
    chart.dataMinY = std::min(chart.dataMinY, p);
    chart.dataMaxY = std::max(chart.dataMaxY, p);
  }
  CChart::FitViewToData(chart);
  return chart;
}

std::array<float, 4> CInfoBusinessPage::GraphProfits() const {
  const CBusiness* x = Business();
  if (!x) return {};
  const int day = x->Day;
  return {x->GetDayProfit((day + kDayRing - 3) % kDayRing), x->GetDayProfit((day + kDayRing - 2) % kDayRing),
          x->GetDayProfit((day + kDayRing - 1) % kDayRing), x->GetProfit()};
}

void CInfoBusinessPage::Update() {
  const CBusiness* x = Business();
  if (!x || noBusiness) return;
  if (view == kBusinessViewInfo) panel->DrawTabStrip(2, tab);
  if (view != kBusinessViewInfo || tab != 0 || x->Kind == kBusinessLandscape) return;
  const UIRect& m = panel->mainWindow;
  const float w = float(UIImageWidth(97));
  const UIRect box{m.x1 + w / 2 + w + 2, m.y1 + kArrowRow + 2, m.x2 - 2 * w - w / 2 + 5,
                   m.y1 + kArrowRow - 2 + float(UIImageHeight(97)), 1.0f};
  DrawRect2DSolid(MovedRect(box, panel->LayoutEntity()), 0xCC183088u, 1.0f);
}

void CInfoBusinessPage::Draw() {
  const CBusiness* x = Business();
  if (!x || noBusiness || view != kBusinessViewInfo || tab != 0 || !hasCommodities || graphSubPage != 0) return;
  const std::array<float, 4> profits = GraphProfits();
  const float year = float(GameClock().CalendarYear());
  ChartPoint points[4];
  for (int32_t i = 0; i < 4; ++i) points[i] = {year - 15.0f + 5.0f * float(i), profits[size_t(i)]};
  const UIRect& m = panel->mainWindow;
  const UIRect chartArea =
      MovedRect(UIRect{m.x1 + 5, m.y1 + kGraphTop, m.x2 - 7, m.y1 + kGraphTop + kGraphHeight, 0.5f}, panel->LayoutEntity());
  CChart chart = ProfitGraphChart(profits, year);
  chart.plotX = chartArea.x1 + 32;
  chart.plotY = chartArea.y1;
  chart.plotWidth = (chartArea.x2 - chartArea.x1) - 36;
  chart.plotHeight = kGraphHeight - 10;
  DrawRect2DSolid(UIRect{chart.plotX, chart.plotY, chart.plotX + chart.plotWidth, chart.plotY + chart.plotHeight, 0.5f},
                  0xFF000000u, 0.5f);
  CChart::DrawGrid(chart, 17.0f, 32.0f, 0xFF003F00u, 0xFF007F00u);
  CChart::DrawLine(chart, points, 0x9FBF0000u, 4.0f);
}
