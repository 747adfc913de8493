#include "panels/city_overview_panel.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/city_entities.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/commodities.h"
#include "city/people.h"
#include "city/person.h"
#include "panels/block_marker_panel.h"
#include "panels/panel_drawing.h"
#include "panels/player_tokens.h"
#include "session/player.h"
#include "session/tutorial.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/interface_controls.h"
#include "ui/money_format.h"
#include "ui/rich_text.h"
#include "ui/scroll_bar.h"
#include "visuals/camera/city_picking.h"
#include "visuals/scene/scene_passes.h"

namespace {

// Texts of the tabs and their sub-modes.
constexpr int32_t kTabTitleText[4] = {1450, 1452, 1451, 11};
constexpr int32_t kTabTooltipText[4] = {1146, 1147, 1148, 12};
constexpr int32_t kTabIconImage[4] = {66, 68, 198, 26};
constexpr int32_t kCityModeTitleText[4] = {1442, 1443, 1444, 1445};
constexpr int32_t kCityModeTooltipText[4] = {1150, 1151, 1152, 1153};
constexpr int32_t kCityModeLabelText[4] = {3503, 3504, 3505, 3506};
constexpr int32_t kLocatorTitleText[3] = {1447, 1448, 1449};
constexpr int32_t kLocatorTooltipText[3] = {1154, 1155, 1156};
constexpr int32_t kLocatorLabelText[3] = {3507, 3508, 3509};
constexpr int32_t kAccountsTitleText = 1446;
constexpr int32_t kDayText[2] = {3501, 3502};  // yesterday, today
constexpr int32_t kNoBlockText = 1465;

// Population.
constexpr int32_t kTextPeople = 1453, kTextHousing = 1454, kTextHoused = 1455, kTextHomeless = 1456,
                  kTextVisitors = 1457, kTextAges = 1458, kTextChildren = 1459, kTextWorkingAge = 1460,
                  kTextPensioners = 1461, kTextClasses = 1464, kTextHighClass = 1657, kTextMiddleClass = 1655,
                  kTextLowClass = 1656;
// Ranking and ownership.
constexpr int32_t kTextStarsHeading = 43, kTextNoBlocksOwned = 19;
// Accounts.
constexpr int32_t kTextIncome = 37, kTextSales = 38, kTextGroundRent = 1158, kTextRent = 1467,
                  kTextUtilities = 80, kTextRailroads = 79, kTextBlocksSold = 39, kTextBuyouts = 91,
                  kTextBusinessesSold = 3500, kTextOther = 92, kTextTotalIncome = 63, kTextExpenses = 67,
                  kTextStock = 74, kTextGroundRentPaid = 73, kTextBlocksBought = 40, kTextBuilding = 1468,
                  kTextWasted = 1469, kTextTotalExpenses = 64;
// Locators and block details.
constexpr int32_t kTextNoBusinesses = 1136, kTextHomes = 1140, kTextDayShops = 1526, kTextEveningShops = 1527,
                  kTextResidents = 25, kTextWants = 26, kTextNobodyHere = 1138;
constexpr int32_t kMostWants = 17;
constexpr int32_t kLastListedDef = 45;

constexpr uint32_t kBackingColour = 0xBB000A28u;
constexpr uint32_t kGrey = 0xFF777777u, kFadedGrey = 0x66777777u;

CPlayer* LocalPlayer() { return PlayerTable().Local(); }

// Blocks the lists show: in use, on the map, of the city's own definitions.
bool ListedBlock(const CBlock& b) {
  return b.InUse == 1 && (b.MapMarks & kMarkHidden) == 0 && b.DefIndex >= 0 && b.DefIndex <= kLastListedDef;
}

int32_t DefNameText(const CBlock& b) {
  return b.DefIndex >= 0 && b.DefIndex < kBlockCount ? g_BlockDefs[size_t(b.DefIndex)].NameTextId : 0;
}

UiObjectRef BlockRef(int32_t block) { return UiObjectRef{kPickBlock, block}; }

float Sum(const float* ledger, int32_t first, int32_t last) {
  float s = 0;
  for (int32_t c = first; c <= last; ++c) s += ledger[c];
  return s;
}

void MoneyLine(CRichTextBase& t, int32_t text, float amount) {
  t.AddLabelId(text);
  t.AddValueF("%s", FormatMoneyDecimal(amount + 0.0f).c_str());  // + 0: no "-0.00"
}

void ShareLine(CRichTextBase& t, int32_t text, int32_t percent) {
  t.AddLabelId(text);
  t.AddValueF("%d%%", percent);
}

// The uses the locator lists: available shops opening at the hour.
std::vector<int32_t> ShopsOpeningAt(int32_t hour) {
  std::vector<int32_t> uses;
  for (int32_t u = 0; u < kBusinessTypeCount; ++u) {
    const BusinessType& t = g_BusinessTypes[size_t(u)];
    if (t.Available && t.Kind == kBusinessShop && t.OpeningTime == hour) uses.push_back(u);
  }
  std::stable_sort(uses.begin(), uses.end(), [](int32_t a, int32_t b) {
    return std::string(g_BusinessTypes[size_t(a)].Key) < std::string(g_BusinessTypes[size_t(b)].Key);
  });
  return uses;
}

uint32_t SoldBy(const std::vector<int32_t>& uses) {
  uint32_t mask = 0;
  for (int32_t u : uses) mask |= g_BusinessTypes[size_t(u)].CommodityMask;
  return mask;
}

}  // namespace

// ---- Rules ----------------------------------------------------------------------

std::array<int32_t, 3> GroupShares(int32_t a, int32_t b, int32_t c) {
  const int32_t total = a + b + c;
  if (total <= 0) return {0, 0, 0};
  auto whole = [](float x) { return int32_t(x + 0.5f); };
  const float t = float(total);
  const float s1 = float(a) / t;
  const int32_t p1 = whole(100 * s1);
  const float s2 = float(b) / t - (float(p1) / 100 - s1);
  const int32_t p2 = whole(100 * s2);
  const float s3 = float(c) / t - (float(p2) / 100 - s2);
  return {p1, p2, whole(100 * s3)};
}

int32_t OverviewOverlayMode(int32_t tab, int32_t cityMode) {
  if (tab == kOverviewBlock) return kMarkersPlain;
  if (tab != kOverviewCity) return kMarkersNone;
  switch (cityMode) {
    case kCityRanking: return kMarkersStars;
    case kCityOverlay: return kMarkersRights;
    case kCityBlocksOwned: return kMarkersOwners;
    default: return kMarkersNone;
  }
}

// ---- Building -------------------------------------------------------------------

CRichTextRect3* CCityOverviewPanel::CreateList(CScrollBar** scroll, float top) {
  const float sliderWidth = float(UIImageWidth(105));
  CRichTextRect3* list =
      CreateRichTextRect3(nextId_++, window_.x1 + 2, top, window_.x2 - sliderWidth, window_.y2 - 2);
  list->depth = 0.5f;
  list->left.SetAlignment(0, 0, 3);
  list->right.SetAlignment(2, 3, 3);
  list->left.SetFont(3), list->right.SetFont(3);
  list->left.lineSpacing = list->right.lineSpacing = 2;
  list->SetHoverHighlight(true);
  list->visible = false;
  *scroll = CreateScrollBar(nextId_++, window_.x2 - sliderWidth, top, window_.y2 - top, true);
  (*scroll)->AttachRichText3(list);
  (*scroll)->visible = false;
  return list;
}

CRichTextRect2* CCityOverviewPanel::CreateText(CScrollBar** scroll, float top, float bottom) {
  const float sliderWidth = float(UIImageWidth(105));
  CRichTextRect2* text = CreateRichTextRect2(nextId_++, window_.x1 + 2, top, window_.x2 - sliderWidth, bottom);
  text->left.SetAlignment(0, 0, 3);
  text->right.SetAlignment(2, 3, 3);
  text->left.SetFont(3), text->right.SetFont(3);
  text->left.lineSpacing = text->right.lineSpacing = 2;
  text->visible = false;
  if (scroll) {
    *scroll = CreateScrollBar(nextId_++, window_.x2 - sliderWidth, top, bottom - top, true);
    (*scroll)->AttachRichText2(text);
    (*scroll)->visible = false;
  }
  return text;
}

void CCityOverviewPanel::Build() {
  nextId_ = 0;
  const CLayoutEntity* model = LayoutEntity();
  const int32_t last = std::max(frameCount, 1);
  window_ = FindElementRect("P_MAIN_MAIN_WINDOW", model, last);
  backings_ = {window_, FindElementRect("P_MAIN_MODE_BACKING2", model, last),
               FindElementRect("P_MAIN_TITLE_AREA_BACKING", model, last),
               FindElementRect("P_MAIN_SLIDER_BACKING2", model, last)};

  constexpr const char* kTabNames[4] = {"P_MAIN_ICON2", "P_MAIN_ICON3", "P_MAIN_ICON4", "P_MAIN_ICON5"};
  for (int32_t i = 0; i < 4; ++i) {
    const UIRect r = FindElementRect(kTabNames[i], model, last);
    CIconButton* b = CreateIconButton(nextId_++, r.x1, r.y1, r.x2, r.y2);
    SetButtonImages(*b, 191, 193, 17, 192, 194);
    b->overlayRect = r;
    b->overlayImage = kTabIconImage[i];
    b->tooltipTextId = kTabTooltipText[i];
    b->SetMode(kIconToggleOnRelease);
    b->isToggle = 1;
    tabs[size_t(i)] = b;
    SetInterfaceControl(kOverviewTabControls + i, b);
  }
  for (int32_t i = 0; i < 6; ++i) {
    const UIRect r = FindElementRect("P_MAIN_SUBMODE_" + std::to_string(i + 1), model, last);
    CIconButton* b = CreateIconButton(nextId_++, r.x1, r.y1, r.x2, r.y2);
    SetButtonImages(*b, 13, 15, 17, 14, 16);
    b->SetMode(kIconToggleOnRelease);
    b->isToggle = 1;
    b->visible = false;
    b->label.SetFont(3);
    modes[size_t(i)] = b;
    SetInterfaceControl(kOverviewModeControls + i, b);
  }
  UIRect r = FindElementRect("P_MAIN_DAY_YESTERDAY", model, last);
  yesterdayButton = CreateIconButton(nextId_++, r.x1, r.y1, r.x2, r.y2);
  r = FindElementRect("P_MAIN_DAY_TODAY", model, last);
  todayButton = CreateIconButton(nextId_++, r.x1, r.y1, r.x2, r.y2);
  for (int32_t d = 0; d < 2; ++d) {
    CIconButton* b = d ? todayButton : yesterdayButton;
    SetButtonImages(*b, 13, 15, 17, 14, 16);
    b->SetMode(kIconToggleOnRelease);
    b->isToggle = 1;
    b->switchOnOnly = true;
    b->label.SetFont(3);
    b->SetLabelId(kDayText[d]);
    b->visible = false;
  }

  const UIRect t1 = FindElementRect("P_MAIN_TITLE_AREA1", model, last);
  const UIRect t2 = FindElementRect("P_MAIN_TITLE_AREA2", model, last);
  pageTitle = CreateTextRect(nextId_++, t1.x1, t1.y1, t1.x2 + 20, t2.y2);
  pageTitle->SetFont(1);
  pageTitle->SetAlignment(4, 0, 0);
  r = FindElementRect("P_MAIN_SUBMODE_TITLE", model, last);
  modeTitle = CreateTextRect(nextId_++, r.x1, r.y1, r.x2, r.y2);
  modeTitle->SetFont(3);
  modeTitle->SetAlignment(4, 0, 0);
  modeTitle->SetAllLinesColour(9);

  listTop_ = r.y2 + 4;
  accountsTop_ = FindElementRect("P_MAIN_DAY_TODAY", model, last).y2 + 4;
  detailTop_ = window_.y1 + 4;
  mainText = CreateText(&mainScroll, listTop_, window_.y2 - 2);
  ownedList = CreateList(&ownedScroll, listTop_);
  rankingList = CreateList(&rankingScroll, listTop_);
  mineList = CreateList(&mineScroll, listTop_);
  useList = CreateList(&useScroll, listTop_);
  commodityList = CreateList(&commodityScroll, listTop_);
  for (CRichTextRect3* l : {useList, commodityList}) l->SetSelectableHighlight(true);
  detailCount = CreateText(nullptr, detailTop_, detailTop_ + 28);
  detailText = CreateText(nullptr, detailTop_ + 30, window_.y2 - 2);
  SetInterfaceControl(kOverviewMyBusinessControl, mineList);
  SetInterfaceControl(kOverviewUseLocatorControl, useList);
  SetInterfaceControl(kOverviewPanelControl, this);
}

// ---- Pages ------------------------------------------------------------------------

void CCityOverviewPanel::HideContents() {
  for (CWidget* w : std::initializer_list<CWidget*>{mainText, mainScroll, ownedList, ownedScroll, rankingList,
                                                    rankingScroll, mineList, mineScroll, useList, useScroll,
                                                    commodityList, commodityScroll, detailText, detailCount,
                                                    yesterdayButton, todayButton})
    w->visible = false;
  modeTitle->Clear();
}

void CCityOverviewPanel::ShowModeButtons(int32_t count) {
  for (int32_t i = 0; i < 6; ++i) {
    CIconButton* b = modes[size_t(i)];
    b->visible = i < count;
    b->SetPressed(false);
    b->disabled = b->inputDisabled = false;
    b->tooltipTextId = 0;
  }
}

void CCityOverviewPanel::SetOverlay(int32_t mode) {
  if (markers) markers->overlayMode = mode;
}

void CCityOverviewPanel::SetPage(int32_t t) {
  if (t < 0 || t > 3) return;
  HideContents();
  tab = t;
  for (int32_t i = 0; i < 4; ++i) tabs[size_t(i)]->SetPressed(i == t);
  pageTitle->Clear();
  pageTitle->AddTextId(kTabTitleText[t]);
  PlanFilters().use = -1;
  switch (t) {
    case kOverviewCity:
      ShowModeButtons(4);
      for (int32_t i = 0; i < 4; ++i) {
        modes[size_t(i)]->SetLabelId(kCityModeLabelText[i]);
        modes[size_t(i)]->tooltipTextId = kCityModeTooltipText[i];
      }
      SetSubMode(cityMode);
      break;
    case kOverviewAccounts: {
      const int32_t count = kMaxPlayers;
      ShowModeButtons(0);
      for (int32_t i = 0; i < count; ++i) {
        const CPlayer* p = PlayerTable().Get(i);
        modes[size_t(i)]->visible = p != nullptr;
        if (p) modes[size_t(i)]->SetLabel(p->name);
      }
      SetOverlay(kMarkersNone);
      ShowAccountsOf(player);
      break;
    }
    case kOverviewLocator:
      ShowModeButtons(3);
      for (int32_t i = 0; i < 3; ++i) {
        modes[size_t(i)]->SetLabelId(kLocatorLabelText[i]);
        modes[size_t(i)]->tooltipTextId = kLocatorTooltipText[i];
      }
      SetOverlay(kMarkersNone);
      SetSubMode(locatorMode);
      break;
    default:
      ShowModeButtons(0);
      SetOverlay(kMarkersPlain);
      if (!coloursBuilt) TintBuildingsByOwner(), coloursBuilt = true;
      PlanFilters().use = kTypeApartments;
      FillBlockDetails();
      break;
  }
}

// The sub-mode buttons are a choice of one: the chosen one stays pressed.
void CCityOverviewPanel::PressOnly(int32_t index) {
  for (size_t i = 0; i < modes.size(); ++i)
    if (modes[i]) modes[i]->SetPressed(int32_t(i) == index);
}

void CCityOverviewPanel::SetSubMode(int32_t index) {
  if (tab == kOverviewCity && index >= 0 && index < 4) {
    HideContents();
    cityMode = index;
    PressOnly(index);
    modeTitle->AddTextId(kCityModeTitleText[index]);
    SetOverlay(OverviewOverlayMode(tab, index));
    if (index == kCityPopulation) FillPopulation();
    else if (index == kCityRanking) FillRanking();
    else if (index == kCityBlocksOwned) FillBlocksOwned();
  } else if (tab == kOverviewLocator && index >= 0 && index < 3) {
    HideContents();
    locatorMode = index;
    PressOnly(index);
    modeTitle->AddTextId(kLocatorTitleText[index]);
    SetOverlay(kMarkersNone);
    PlanFilters().use = index == kLocateUse && useLine >= 0 ? useList->GetLineValue(useLine) : -1;
    PlanFilters().commodity =
        index == kLocateCommodity && commodityLine >= 0 ? commodityList->GetLineValue(commodityLine) : -1;
    if (index == kLocateMine) FillMyBusinesses();
    else if (index == kLocateUse) FillUseLocator();
    else FillCommodityLocator();
  }
}

void CCityOverviewPanel::ShowAccountsOf(int32_t index) {
  player = index;
  HideContents();
  const CPlayer* p = index >= 0 ? PlayerTable().Get(index) : LocalPlayer();
  for (int32_t i = 0; i < 6; ++i) modes[size_t(i)]->SetPressed(p && PlayerTable().Get(i) == p);
  if (p) modeTitle->AddTextIdArgs1(kAccountsTitleText, TextArg(p->name));
  yesterdayButton->visible = todayButton->visible = true;
  yesterdayButton->SetPressed(today == 0);
  todayButton->SetPressed(today == 1);
  FillAccounts();
}

void CCityOverviewPanel::SelectBlock(int32_t block) {
  if (tab != kOverviewBlock || block < -1 || block >= kBlockCount) return;
  currentBlock = block;
  FillBlockDetails();
}

void CCityOverviewPanel::RefreshPage() {
  switch (tab) {
    case kOverviewCity:
      if (cityMode == kCityPopulation) FillPopulation();
      else if (cityMode == kCityRanking) FillRanking();
      else if (cityMode == kCityBlocksOwned) FillBlocksOwned();
      break;
    case kOverviewAccounts: FillAccounts(); break;
    case kOverviewLocator:
      if (locatorMode == kLocateMine) FillMyBusinesses();
      break;
    default:
      TintBuildingsByOwner();
      FillBlockDetails();
      break;
  }
}

// ---- Contents ---------------------------------------------------------------------

void CCityOverviewPanel::FillPopulation() {
  int32_t people = 0;
  int32_t housing[3] = {}, kinds[3] = {}, classes[3] = {};  // kinds: 0, others, 3
  for (const CPerson& p : g_People) {
    if (!p.InUse) continue;
    ++people;
    ++housing[std::clamp(GetHousingStatus(p), 0, 2)];
    ++kinds[p.Kind == kChild ? 0 : p.Kind == kPensioner ? 2 : 1];
    ++classes[std::clamp(p.SocialClass, 0, 2)];
  }
  const auto housed = GroupShares(housing[2], housing[1], housing[0]);
  const auto ages = GroupShares(kinds[0], kinds[1], kinds[2]);
  const auto wealth = GroupShares(classes[2], classes[1], classes[0]);
  CRichTextRect2& t = *mainText;
  t.SetRect(t.x1, listTop_, t.x2, t.y2);
  t.Clear();
  t.AddLabelId(kTextPeople);
  t.AddValueF("%d", people);
  t.AddBlankLine();
  t.AddHeadingId(kTextHousing);
  ShareLine(t, kTextHoused, housed[0]);
  ShareLine(t, kTextHomeless, housed[1]);
  ShareLine(t, kTextVisitors, housed[2]);
  t.AddBlankLine();
  t.AddHeadingId(kTextAges);
  ShareLine(t, kTextChildren, ages[0]);
  ShareLine(t, kTextWorkingAge, ages[1]);
  ShareLine(t, kTextPensioners, ages[2]);
  t.AddBlankLine();
  t.AddHeadingId(kTextClasses);
  ShareLine(t, kTextHighClass, wealth[0]);
  ShareLine(t, kTextMiddleClass, wealth[1]);
  ShareLine(t, kTextLowClass, wealth[2]);
  t.visible = mainScroll->visible = true;
}

void CCityOverviewPanel::FillRanking() {
  std::vector<int32_t> order(kBlockCount);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [](int32_t a, int32_t b) { return g_Blocks[size_t(a)].Prestige > g_Blocks[size_t(b)].Prestige; });
  CRichTextRect3& l = *rankingList;
  l.Clear();
  int32_t threshold = 5;
  bool headingDue = true;
  for (int32_t i : order) {
    const CBlock& b = g_Blocks[size_t(i)];
    if (!ListedBlock(b)) continue;
    while (threshold > 0 && b.Prestige < float(threshold)) {
      if (!headingDue) l.AddBlankLine();
      --threshold;
      headingDue = true;
    }
    if (threshold <= 0) break;
    if (headingDue) l.AddHeadingId(kTextStarsHeading, std::initializer_list<TextArg>{TextArg(threshold)});
    headingDue = false;
    l.AddTaggedLabelId(1, DefNameText(b) + 1);
    l.SetLineValue(l.LongerColumn() - 1, i);
    l.SetLineLink(BlockRef(i), -1);
  }
  l.visible = rankingScroll->visible = true;
}

void CCityOverviewPanel::FillBlocksOwned() {
  CRichTextRect3& l = *ownedList;
  l.Clear();
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot) {
    const CPlayer* p = PlayerTable().Get(slot);
    if (!p) continue;
    if (l.LongerColumn() > 0) l.AddBlankLine();
    l.AddHeadingF("%s", p->name);
    bool any = false;
    for (int32_t b = 0; b < kBlockCount; ++b) {
      const CBlock& block = g_Blocks[size_t(b)];
      if (!block.Ownable || block.Owner != slot + 1) continue;
      l.AddTaggedLabelId(1, DefNameText(block) + 2);
      l.SetLineValue(l.LongerColumn() - 1, b);
      l.SetLineLink(BlockRef(b), -1);
      any = true;
    }
    if (!any) l.AddLabelId(kTextNoBlocksOwned);
  }
  l.visible = ownedScroll->visible = true;
}

void CCityOverviewPanel::FillAccounts() {
  const CPlayer* p = player >= 0 ? PlayerTable().Get(player) : LocalPlayer();
  CRichTextRect2& t = *mainText;
  t.SetRect(t.x1, accountsTop_, t.x2, t.y2);
  t.Clear();
  t.visible = mainScroll->visible = true;
  if (!p) return;
  const uint8_t day = today ? p->currentLedger & 1 : (p->currentLedger & 1) ^ 1;
  const float* ledger = p->ledgers[day];
  auto optional = [&](int32_t text, float amount, float sign) {
    if (amount != 0.0f) MoneyLine(t, text, sign * amount);
  };
  t.AddHeadingId(kTextIncome);
  MoneyLine(t, kTextSales, ledger[35]);
  MoneyLine(t, kTextGroundRent, ledger[34]);
  MoneyLine(t, kTextRent, ledger[33]);
  optional(kTextUtilities, Sum(ledger, 25, 28), 1);
  optional(kTextRailroads, Sum(ledger, 29, 32), 1);
  optional(kTextBlocksSold, ledger[23], 1);
  optional(kTextBuyouts, ledger[22], 1);
  optional(kTextBusinessesSold, ledger[24], 1);
  optional(kTextOther, ledger[36], 1);
  t.MarkSeparator();
  MoneyLine(t, kTextTotalIncome, Sum(ledger, 22, 36));
  t.AddBlankLine();
  t.AddHeadingId(kTextExpenses);
  MoneyLine(t, kTextStock, -ledger[17]);
  MoneyLine(t, kTextGroundRentPaid, -ledger[14]);
  optional(kTextUtilities, Sum(ledger, 4, 7), -1);
  optional(kTextBlocksBought, ledger[0], -1);
  optional(kTextBuilding, ledger[12] + ledger[16] + ledger[1], -1);
  optional(kTextBuyouts, ledger[3], -1);
  optional(kTextOther, ledger[18], -1);
  optional(kTextWasted, ledger[19], -1);
  t.MarkSeparator();
  MoneyLine(t, kTextTotalExpenses, -Sum(ledger, 0, 20));
}

void CCityOverviewPanel::FillMyBusinesses() {
  CRichTextRect3& l = *mineList;
  l.Clear();
  const CPlayer* local = LocalPlayer();
  bool any = false;
  for (int32_t i = 0; i < kBlockCount && local; ++i) {
    const CBlock& block = g_Blocks[size_t(i)];
    if (!ListedBlock(block)) continue;
    bool first = true;
    for (const CBuilding* b = block.FirstBuilding; b; b = b->Next) {
      const int32_t index = b->GetBusiness();
      const CBusiness* business = GetBusinessInUse(index);
      if (!business || business->Owner != local->index + 1) continue;
      if (first) l.AddHeadingId(DefNameText(block) + 1);
      first = false;
      const BusinessType* type = GetBusinessType(business->Type);
      l.AddTaggedLabelId(1, type ? type->NameTextId : 13);
      l.SetLineValue(l.LongerColumn() - 1, index);
      l.SetLineLink(BlockRef(i), b->Id);
      any = true;
    }
    if (!first) l.AddBlankLine();
  }
  if (!any) l.AddLabelId(kTextNoBusinesses);
  l.visible = mineScroll->visible = true;
}

void CCityOverviewPanel::FillUseLocator() {
  CRichTextRect3& l = *useList;
  l.Clear();
  l.AddHeadingId(kTextHomes);
  for (int32_t use : {kTypeApartments, kTypeHotel}) {
    l.AddTaggedLabelId(1, g_BusinessTypes[size_t(use)].NameTextId);
    l.SetLineValue(l.LongerColumn() - 1, use);
  }
  for (int32_t hour : {9, 18}) {
    l.AddBlankLine();
    l.AddHeadingId(hour == 9 ? kTextDayShops : kTextEveningShops);
    for (int32_t use : ShopsOpeningAt(hour)) {
      l.AddTaggedLabelId(1, g_BusinessTypes[size_t(use)].NameTextId);
      l.SetLineValue(l.LongerColumn() - 1, use);
    }
  }
  l.visible = useScroll->visible = true;
  if (useLine >= 0) l.SelectLine(useLine);
}

void CCityOverviewPanel::FillCommodityLocator() {
  CRichTextRect3& l = *commodityList;
  l.Clear();
  for (int32_t hour : {9, 18}) {
    if (hour == 18) l.AddBlankLine();
    l.AddHeadingId(hour == 9 ? kTextDayShops : kTextEveningShops);
    const uint32_t sold = SoldBy(ShopsOpeningAt(hour));
    for (int32_t c = 0; c < kCommodityCount; ++c) {
      if (g_Commodities[size_t(c)].Active != 1 || ((sold >> c) & 1u) == 0) continue;
      l.AddTaggedLabelId(1, g_Commodities[size_t(c)].NameTextId);
      l.SetLineValue(l.LongerColumn() - 1, c);
    }
  }
  l.visible = commodityScroll->visible = true;
  if (commodityLine >= 0) l.SelectLine(commodityLine);
}

void CCityOverviewPanel::FillBlockDetails() {
  pageTitle->Clear();
  detailText->Clear();
  detailCount->Clear();
  detailText->visible = detailCount->visible = true;
  const CBlock* block = currentBlock >= 0 ? GetBlock(currentBlock) : nullptr;
  if (!block) {
    pageTitle->AddTextId(kNoBlockText);
    return;
  }
  pageTitle->AddTextId(DefNameText(*block) + 1);
  CPlayer* local = LocalPlayer();
  if (!local) return;
  local->ClearResidentCount();
  local->BeginResidentCount(currentBlock);
  if (!local->counting) return;
  const int32_t people = local->residentCount;
  detailCount->AddLabelId(kTextResidents);
  detailCount->AddValueF("%i", people);
  if (people == 0) {
    detailText->AddLabelId(kTextNobodyHere);
    return;
  }
  std::vector<int32_t> order(kCommodityCount);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int32_t a, int32_t b) { return local->demandTally[a] > local->demandTally[b]; });
  detailText->AddHeadingId(kTextWants);
  int32_t shown = 0;
  for (int32_t c : order) {
    if (shown == kMostWants || local->demandTally[c] == 0) break;
    detailText->AddLabelId(g_Commodities[size_t(c)].PluralTextId);
    detailText->AddValueF("%i", int32_t(local->demandTally[c]));
    ++shown;
  }
}

void CCityOverviewPanel::MarkLocatedBlocks() {
  if (!markers) return;
  markers->located.clear();
  const CPlayer* local = LocalPlayer();
  if (!open || tab != kOverviewLocator || !local) return;
  const PlanViewFilters& f = PlanFilters();
  for (int32_t i = 0; i < kBlockCount; ++i) {
    const CBlock& block = g_Blocks[size_t(i)];
    if (!ListedBlock(block)) continue;
    bool marked = false, pulsing = false;
    for (const CBuilding* b = block.FirstBuilding; b; b = b->Next) {
      const int32_t index = b->GetBusiness();
      const CBusiness* business = GetBusinessInUse(index);
      if (!business) continue;
      const BusinessType* type = GetBusinessType(business->Type);
      if (locatorMode == kLocateMine) {
        if (business->Owner != local->index + 1) continue;
        marked = true;
        pulsing = pulsing || index == f.business;
      } else if (locatorMode == kLocateUse) {
        marked = marked || (f.use >= 0 && business->Type == f.use);
      } else if (f.commodity >= 0 && f.commodity < kCommodityCount && type) {
        marked = marked || ((type->CommodityMask >> f.commodity) & 1u) != 0;
      }
    }
    if (marked) markers->located.push_back({i, locatorMode != kLocateMine || pulsing});
  }
}

// ---- Events and drawing -------------------------------------------------------------

void CCityOverviewPanel::FollowActivePlayers() {
  if (PlayerTable().ActiveCount() > 0) {
    tabs[kOverviewAccounts]->disabled = tabs[kOverviewBlock]->disabled = false;
    return;
  }
  if (tab == kOverviewAccounts) SetPage(kOverviewCity);
  if (PlayerTable().PlayerCount() == 0) {
    tabs[kOverviewCity]->SetPressed(true);
    for (int32_t t : {kOverviewAccounts, kOverviewBlock}) {
      tabs[size_t(t)]->SetPressed(false);
      tabs[size_t(t)]->disabled = true;
    }
  }
}

int32_t CCityOverviewPanel::OnEvent(int32_t type, int32_t a, int32_t b) {
  FollowActivePlayers();
  if (type == kMsgFrameTick) MarkLocatedBlocks();
  if (type == kMsgRefresh) {
    RefreshPage();
    return 0;
  }
  if (ContainsMouse()) {
    // The block of the line under the mouse is the hovered one, as if the
    // mouse were on the plan.
    HoveredObject() = nullptr;
    for (CRichTextRect3* l : {mineList, rankingList, ownedList}) {
      if (!l->visible || !l->HitTest()) continue;
      const int32_t line = l->GetLineUnderMouse();
      if (line < 0 || line >= int32_t(l->lineLink.size())) continue;
      const UiObjectRef& target = l->lineLink[size_t(line)]->target;
      if (target.Valid() && target.kind == kPickBlock) HoveredObject() = BlockBaseEntities().GetEntity(target.index);
    }
    PlanFilters().business = -1;
    if (tab == kOverviewLocator && locatorMode == kLocateMine && mineList->visible && mineList->HitTest()) {
      const int32_t line = mineList->GetLineUnderMouse();
      if (line >= 0) PlanFilters().business = mineList->GetLineValue(line);
    }
  }
  if (type == kNotifyLineChosen && tab == kOverviewLocator) {
    if (locatorMode == kLocateUse && a == useList->id) {
      useLine = b;
      PlanFilters().use = useList->GetLineValue(b);
    } else if (locatorMode == kLocateCommodity && a == commodityList->id) {
      commodityLine = b;
      PlanFilters().commodity = commodityList->GetLineValue(b);
    }
    return 0;
  }
  if (type != kNotifyClicked) return 0;
  for (int32_t i = 0; i < 6; ++i) {
    if (a != modes[size_t(i)]->id) continue;
    if (tab == kOverviewAccounts) ShowAccountsOf(i);
    else SetSubMode(i);
    FireTutorialEvent(kOverviewModeControls + i);
    return 0;
  }
  if (a == yesterdayButton->id || a == todayButton->id) {
    today = a == todayButton->id ? 1 : 0;
    ShowAccountsOf(player);
    return 0;
  }
  for (int32_t t = 0; t < 4; ++t) {
    if (a != tabs[size_t(t)]->id) continue;
    if (t == tab) {
      tabs[size_t(t)]->SetPressed(true);
      return 0;
    }
    for (int32_t o = 0; o < 4; ++o)
      if (o != t) tabs[size_t(o)]->SetPressed(false);
    FireTutorialEvent(kOverviewTabControls + t);
    if (t == kOverviewBlock) {
      detailText->Clear();
      detailCount->Clear();
    }
    SetPage(t);
    return 0;
  }
  return 0;
}

void CCityOverviewPanel::Reset() {
  tab = kOverviewCity;
  cityMode = kCityPopulation;
  locatorMode = kLocateMine;
  player = -1;
  today = 1;
  currentBlock = -1;
  useLine = commodityLine = -1;
  coloursBuilt = false;
  if (!pageTitle) return;
  HideContents();
  for (CRichTextRect3* l : {useList, commodityList}) l->ClearSelection();
  PlanFilters().use = PlanFilters().commodity = PlanFilters().business = -1;
  SetPage(kOverviewCity);
}

void CCityOverviewPanel::OnOpen() {
  HoveredObject() = nullptr;
  const CPlayer* local = LocalPlayer();
  if (local && local->kind == kPlayerInactive) {
    Close();
    return;
  }
  FillUseLocator();
  FillCommodityLocator();
  FillRanking();
  FillBlocksOwned();
  TintBuildingsByOwner();
  coloursBuilt = true;
  // The refills above showed every list; the page shows its own again.
  SetPage(tab);
}

void CCityOverviewPanel::OnClose() {
  PlanFilters().use = PlanFilters().commodity = PlanFilters().business = -1;
  if (markers) markers->located.clear();
}

void CCityOverviewPanel::Update() {
  const CLayoutEntity* model = LayoutEntity();
  DrawRect2D(MovedRect(backings_[1], model), kGrey, kFadedGrey, kFadedGrey, kGrey, 1.5f);
  DrawRect2DSolid(MovedRect(backings_[0], model), kBackingColour, 1.5f);
  DrawRect2D(MovedRect(backings_[2], model), kGrey, kGrey, kFadedGrey, kFadedGrey, 1.5f);
  DrawRect2DSolid(MovedRect(backings_[3], model), kGrey, 1.5f);
}

void CCityOverviewPanel::DrawSelf() {
  for (CWidget* w = firstChild; w; w = w->nextSibling) {
    if (!w->visible) continue;
    if (auto* rich = dynamic_cast<CRichTextBase*>(w)) rich->Draw(LayoutEntity());
    else if (auto* text = dynamic_cast<CTextRect*>(w)) text->Draw(LayoutEntity());
  }
}
