// The block page of the selection information panel: lists of the block's
// businesses, the lease view and the building-rights view.
#include <algorithm>
#include <cstring>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/local_drafts.h"
#include "panels/city_names.h"
#include "panels/panel_drawing.h"
#include "panels/panel_links.h"
#include "panels/selection_info_panel.h"
#include "session/player.h"
#include "session/utility_income.h"
#include "session/tutorial.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/interface_controls.h"
#include "ui/money_format.h"
#include "ui/rich_text.h"
#include "ui/scroll_bar.h"
#include "ui/spin_arrow.h"
#include "visuals/camera/city_picking.h"
#include "panels/hud_panels.h"

namespace {

constexpr const char* kUtilityKeys[4] = {"BRIGHTWELL_WORKS", "VOLTARA_COMPANY", "GASWORKS", "TELECOMS"};
constexpr const char* kRailroadKeys[4] = {"Q_V_RAILROAD", "LONGREACH_RAILROAD", "AMBERLEIGH_RAILROAD",
                                          "GLENFORD_RAILROAD"};
constexpr int32_t kListTitles[5] = {28, 1402, 1403, 1404, 1405};
constexpr int32_t kTabTips[5] = {1157, 1158, 1159, 1160, 1161};
constexpr int32_t kTabIcons[5] = {291, 197, 65, 64, 67};
constexpr int32_t kModeTips[3] = {29, 50, 52};
constexpr int32_t kModeIcons[3] = {66, 19, 18};

int32_t LocalNumber() {
  const CPlayer* p = PlayerTable().Local();
  return p ? int32_t(p->index) + 1 : -1;
}

void AddOwner(CRichTextBase& list, int32_t number) {
  const CPlayer* p = number > 0 ? PlayerTable().ByNumber(number) : nullptr;
  if (p) list.AddValueF("%s", p->name);
  else list.AddValueId(1116);
}

int32_t TypeName(const CBusiness& b) {
  const BusinessType* t = GetBusinessType(b.Type);
  return t ? t->NameTextId : kNoTypeNameTextId;
}

template <typename F>
void ForEachBusiness(const CBlock& block, F f) {
  for (CBuilding* b = block.FirstBuilding; b; b = b->Next) {
    CBusiness* business = GetBusiness(b->GetBusiness());
    if (business && business->Type >= 0) f(*b, *business);
  }
}

bool KeyIs(const CBlock& b, const char* key) { return std::strcmp(g_BlockDefs[size_t(b.DefIndex)].Key, key) == 0; }

// The rights view has something for the local player on a block whose
// rights are granted, or being prepared on a block that may be owned, or on
// a block of the player's own that has none yet.
bool RightsViewUseful(const CBlock& b) {
  const int32_t local = LocalNumber();
  return b.BuildingRights == kRightsGranted || (b.BuildingRights == kRightsPreparing && b.Ownable) ||
         (b.BuildingRights == kRightsNone && b.Owner == local && local > 0);
}

}  // namespace

CBlock* CInfoBlockPage::Block() const { return GetBlock(CurrentInfoSelection().block); }

void CInfoBlockPage::Init(CSelectionInfoPanel* owner, int32_t& nextId) {
  CInfoPage::Init(owner, nextId);
  const UIRect m = owner->mainWindow;
  const float L = m.x1, T = m.y1, R = m.x2;
  specialList = owner->CreateList3(&specialScroll, T + 40, nullptr, 0);
  summary = owner->CreateList2(nullptr, T + 40);
  rentList = owner->CreateList3(&rentScroll, T + 40, nullptr, 0);
  SetInterfaceControl(32, rentList);
  const float w = float(UIImageWidth(97)), h = float(UIImageHeight(97));
  leftArrow = owner->CreateIconButton(owner->NextId(), L + w, T + 45, L + 2 * w, T + 45 + h);
  SetButtonImages(*leftArrow, 97, 99, -1, 98, -1);
  leftArrow->SetMode(kIconFireOnRelease);
  rightArrow = owner->CreateIconButton(owner->NextId(), R - 3 * w, T + 45, R - 2 * w, T + 45 + h);
  SetButtonImages(*rightArrow, 101, 103, -1, 102, -1);
  rightArrow->SetMode(kIconFireOnRelease);
  leftId = leftArrow->id, rightId = rightArrow->id;
  SetInterfaceControl(33, leftArrow);
  SetInterfaceControl(34, rightArrow);
  subHeading = owner->CreateTextRect(owner->NextId(), L + w, T + 43, R - 2 * w, T + 43 + h);
  subHeading->SetFont(3);
  subHeading->SetAlignment(4, 0, 0);
  profitList = owner->CreateList3(&profitScroll, T + 60, nullptr, 0);
  salesList = owner->CreateList3(&salesScroll, T + 60, nullptr, 0);
  const float row0 = T + 44;
  for (int32_t i = 0; i < 3; ++i) {
    const float y = row0 + 12.0f * float(i);
    leaseLines[size_t(2 * i)] = owner->CreateTextRect(owner->NextId(), L + 4, y, R - 4, y + 12);
    leaseLines[size_t(2 * i + 1)] = owner->CreateTextRect(owner->NextId(), L + 4, y, R - 4, y + 12);
    leaseLines[size_t(2 * i)]->SetAlignment(0, 0, 0);
    leaseLines[size_t(2 * i + 1)]->SetAlignment(2, 0, 0);
  }
  leaseLines[4]->SetRect(L + 4, row0 + 44, R - 4, row0 + 56);
  leaseLines[4]->SetAlignment(1, 0, 0);
  for (CTextRect* t : leaseLines) t->SetFont(3);
  const float offerTop = row0 + 60;
  offer = owner->CreateSpinArrow(owner->NextId(), L + 20, offerTop, R - L - 40);
  offer->SetRange(100, 1000, 100000);
  offer->SetValue(1000);
  offerText = owner->CreateTextRect(owner->NextId(), L + 20, offerTop, R - 20, offerTop + 20);
  offerText->SetFont(3);
  offerText->SetAlignment(1, 0, 0);
  const float bw = float(UIImageWidth(76)), bh = float(UIImageHeight(76));
  const float bx = L + float(int32_t((R - L) / 2)) - bw / 2;
  leaseButton = CreatePushButton(*owner, owner->NextId(), SetUIRect(bx, offerTop + 17, bx + bw, offerTop + 17 + bh), 2);
  SetButtonImages(*leaseButton, 76, 78, -1, 77, -1);
  leaseButton->SetLabelId(47);
  leaseId = leaseButton->id;
  SetInterfaceControl(35, leaseButton);
  rightsMessage = owner->CreateTextRect(owner->NextId(), L + 5, T + 80, R - 5, T + 180);
  rightsMessage->SetFont(3);
  // Below the status strip, twice the face's width (drawn stretched) so the
  // label stands on the face on one line in every language: on the face's
  // own width it wraps, and two lines overhang the face above and below.
  const float rightsTop = owner->statusStrip->y2 + 6;
  const float rightsWidth = std::min(2 * bw, R - L - 10);
  const float rightsX = L + float(int32_t((R - L - rightsWidth) / 2));
  rightsButton = CreatePushButton(*owner, owner->NextId(),
                                  SetUIRect(rightsX, rightsTop, rightsX + rightsWidth, rightsTop + bh), 0);
  SetButtonImages(*rightsButton, 76, 78, -1, 77, -1);
  rightsButton->SetLabelId(53);
  rightsId = rightsButton->id;
  SetInterfaceControl(91, rightsButton);
  pendingMessage = owner->CreateTextRect(owner->NextId(), L + 5, T + 80, R - 5, T + 180);
  valueList = owner->CreateList3(&valueScroll, T + 40, nullptr, 0);
  profitPeriod = salesPeriod = 1;
  view = kBlockViewLists, listMode = kBlockSummary;
  LeaveLists();
  for (CTextRect* t : leaseLines) t->visible = false;
  offer->visible = offerText->visible = leaseButton->visible = false;
  rightsMessage->visible = rightsButton->visible = pendingMessage->visible = false;
}

void CInfoBlockPage::SpecialBlockTest() {
  utility = railroad = false;
  utilityIndex = railroadIndex = -1;
  const CBlock* b = Block();
  if (!b) return;
  for (int32_t i = 0; i < 4; ++i) {
    if (KeyIs(*b, kUtilityKeys[i])) utility = true, utilityIndex = i;
    if (KeyIs(*b, kRailroadKeys[i])) railroad = true, railroadIndex = i;
  }
}

void CInfoBlockPage::LeaveLists() {
  for (CWidget* w : std::initializer_list<CWidget*>{summary, specialList, specialScroll, rentList, rentScroll, profitList,
                                                    profitScroll, salesList, salesScroll, valueList, valueScroll,
                                                    leftArrow, rightArrow, subHeading})
    w->visible = false;
  for (CTextRect* t : leaseLines) t->visible = false;
  offer->visible = offerText->visible = leaseButton->visible = false;
  rightsMessage->visible = rightsButton->visible = pendingMessage->visible = false;
}

void CInfoBlockPage::Leave() {
  LeaveLists();
  panel->ResetTabButtons();
  panel->statusStrip->Clear();
}

void CInfoBlockPage::SetTabVisibility() {
  if (panel->layoutPending) return;
  const CBlock* b = Block();
  const bool civic = b && g_BlockDefs[size_t(b->DefIndex)].District == 0;
  const int32_t count = view != kBlockViewLists ? 0 : civic ? 1 : (utility || railroad) ? 2 : 5;
  for (int32_t i = 0; i < 5; ++i) panel->TabButton(i)->visible = i < count;
}

void CInfoBlockPage::ShowStatusTitle() {
  CTextRect* s = panel->statusStrip;
  s->Clear();
  if (view != kBlockViewLists) return;
  if (listMode == kBlockShares) s->AddTextId(railroad ? 1812 : 1806 + utilityIndex);
  else s->AddTextId(kListTitles[listMode]);
  s->SetAllLinesColour(16);
}

void CInfoBlockPage::ScrollListsToTop() {
  for (CRichTextRect3* list : {specialList, rentList, profitList, salesList, valueList}) list->ScrollTo(0);
}

void CInfoBlockPage::Enter() {
  const CBlock* b = Block();
  // A page shown afresh starts at its top, whatever the last one was
  // scrolled to; the twice-a-second refresh keeps the place.
  ScrollListsToTop();
  for (int32_t i = 0; i < 3; ++i) {
    CIconButton* m = panel->ModeButton(i);
    m->visible = true;
    m->overlayRect = m->Rect();
    m->overlayImage = kModeIcons[i];
    m->tooltipTextId = kModeTips[i];
  }
  SpecialBlockTest();
  if (!b) return;
  if (utility || railroad) panel->ModeButton(2)->visible = false;
  // Every tab wears its icon, a civic block's single one too.
  if (!panel->layoutPending) {
    for (int32_t i = 0; i < 5; ++i) {
      CIconButton* t = panel->TabButton(i);
      t->overlayRect = TabIconRect(t->Rect());
      const bool special = (utility || railroad) && i == 1;
      t->overlayImage = special ? 301 : kTabIcons[i];
      t->tooltipTextId = special ? (railroad ? 1813 : 1806 + utilityIndex) : kTabTips[i];
    }
  }
  if (g_BlockDefs[size_t(b->DefIndex)].District == 0) {
    panel->ModeButton(1)->visible = panel->ModeButton(2)->visible = false;
    view = kBlockViewLists, listMode = kBlockSummary;
    LeaveLists();
    SetTabVisibility();
    panel->TabButton(0)->SetPressed(true);
    panel->ModeButton(0)->SetPressed(true);
    ShowStatusTitle();
    FillList();
    return;
  }
  EnableButton(panel->ModeButton(1), b->Ownable);
  EnableButton(panel->ModeButton(2), RightsViewUseful(*b));
  OnBlockChanged(b->Index);
  if (utility || railroad) {
    if (listMode >= kBlockGroundRent && listMode <= kBlockValue) listMode = kBlockSummary;
  } else if (listMode == kBlockShares) {
    listMode = kBlockSummary;
  }
  SelectView(view);
}

void CInfoBlockPage::SelectView(int32_t i) {
  if (i == kBlockViewLease) {
    panel->EnsureOpen();
    LeaveLists();
    view = kBlockViewLease;
    FillLeaseView();
  } else if (i == kBlockViewRights) {
    LeaveLists();
    view = kBlockViewRights;
    RunRightsView();
  } else if (i == kBlockViewLists) {
    panel->EnsureOpen();
    LeaveLists();
    view = kBlockViewLists;
    panel->TabButton(listMode == kBlockShares ? 1 : listMode)->SetPressed(true);
    SetTabVisibility();
    ShowStatusTitle();
  } else {
    return;
  }
  if (view == i) panel->ModeButton(i)->SetPressed(true);
  SetTabVisibility();
  Refresh();
}

void CInfoBlockPage::SelectTab(int32_t i) {
  if (i < 0 || i > 4) return;
  listMode = (utility || railroad) ? (i == 1 ? kBlockShares : kBlockSummary) : i;
  ScrollListsToTop();
  LeaveLists();
  SetTabVisibility();
  ShowStatusTitle();
  FillList();
  panel->TabButton(listMode == kBlockShares ? 1 : i)->SetPressed(true);
}

void CInfoBlockPage::Refresh() {
  CBlock* b = Block();
  if (!b) return;
  if (b->Index != lastBlockShown) {
    lastBlockShown = b->Index;
    offer->SetValue(b->GetLeasePrice());
  }
  panel->pageTitle.Clear();
  panel->pageTitle.AddTextId(BlockTitleText(b->Index));
  const uint32_t c = b->DistrictColour;
  const uint32_t faded = (c & 0x00FFFFFFu) | (((c >> 24) / 3) << 24);
  panel->SetTitleColours(c, c, faded, faded);
  if (view == kBlockViewLease) FillLeaseView();
  else if (view == kBlockViewRights) RunRightsView();
  else FillList();
}

void CInfoBlockPage::FillList() {
  if (!Block() || view != kBlockViewLists) return;
  switch (listMode) {
    case kBlockSummary:
      if (utility || railroad) FillSpecial();
      else FillSummary();
      break;
    case kBlockShares: FillSpecial(); break;
    case kBlockGroundRent: FillGroundRent(); break;
    default: FillByOwner(listMode); break;
  }
}

void CInfoBlockPage::FillSummary() {
  const CBlock& b = *Block();
  summary->Clear();
  summary->visible = true;
  summary->AddLabelId(27);
  AddOwner(*summary, b.Owner);
  summary->AddLabelId(35);
  summary->AddValueF("%d", std::min(int32_t(b.Prestige + 0.005f), 5));
  summary->AddLabelId(36);
  const int32_t local = LocalNumber();
  int32_t rights = 13;
  if (b.BuildingRights == kRightsPreparing) rights = (local > 0 && b.Owner == local) ? 17 : 15;
  else if (b.BuildingRights == kRightsGranted) rights = 21;
  summary->AddValueId(rights);
  if (b.Owner > 0) {
    summary->AddLabelId(1393);
    summary->AddValueF("%d", b.LeaseHours);
  }
}

namespace {

// A utility's column of the business types' needs (telecom, gas, water,
// electricity) for the utility index (water, electricity, gas, telecoms).
constexpr int kUtilityNeed[4] = {2, 3, 1, 0};
// A group's owner rows list its blocks last first (TELECOMS, GLENFORD).
constexpr int32_t kGroupRowOrder[4] = {3, 2, 1, 0};

int32_t BlockOfKey(const char* key) { return FindBlockByKey(key); }

int32_t NameId(const CBlock& b) { return g_BlockDefs[size_t(b.DefIndex)].NameTextId; }

void AddOwnerRow(CRichTextRect3& list, int32_t block) {
  const CBlock* b = GetBlock(block);
  if (!b) return;
  list.AddTaggedLabelId(1, NameId(*b) + 1);
  AddOwner(list, b->Owner);
  list.SetLineLink(UiObjectRef{4, block}, -1);
}

}  // namespace

// What each owner number (0 the city) pays the utility: every business's
// footprint units times its type's need for it.
std::array<float, kMaxPlayerNumber + 1> UtilityShares(int32_t utilityIndex) {
  std::array<float, kMaxPlayerNumber + 1> shares{};
  if (utilityIndex < 0 || utilityIndex > 3) return shares;
  for (const CBusiness& x : g_Businesses) {
    if (!x.InUse || !IsBusinessType(x.Type)) continue;
    const int32_t owner = std::clamp<int32_t>(x.Owner, 0, kMaxPlayerNumber);
    shares[size_t(owner)] += float(x.GetFootprintUnits()) * BusinessTypeUtilityNeed(x.Type, kUtilityNeed[utilityIndex]);
  }
  return shares;
}

// Utility and railroad blocks: the group (owner, lease, what the owner of
// one to four of them earns, who owns them) and the shares.
void CInfoBlockPage::FillSpecial() {
  const CBlock& b = *Block();
  CRichTextRect3& list = *specialList;
  list.Clear();
  list.visible = specialScroll->visible = true;
  const int32_t name = NameId(b);
  // The group view: owner and lease, what the owner of one to four of the
  // group's blocks earns of `total`, and who owns each of them.
  auto groupLines = [&](int32_t heading, int32_t line, int32_t lineArg, float total, int32_t ownersHeading,
                        const char* const (&keys)[4]) {
    list.AddLabelId(27);
    AddOwner(list, b.Owner);
    list.AddLabelId(1393);
    list.AddValueF("%d", b.LeaseHours);
    list.AddBlankLine();
    list.AddHeadingId(heading);
    list.AddLabelId(line, std::initializer_list<TextArg>{lineArg});
    list.AddBlankLine();
    list.AddLabelId(1817, std::initializer_list<TextArg>{name + 1});
    list.AddValueF("%s", FormatMoneyDecimal(total * 0.25f).c_str());
    list.AddLabelId(1818, std::initializer_list<TextArg>{1});
    list.AddValueF("%s", FormatMoneyDecimal(total * 0.5f).c_str());
    list.AddLabelId(1819, std::initializer_list<TextArg>{2});
    list.AddValueF("%s", FormatMoneyDecimal(total * 0.75f).c_str());
    list.AddLabelId(1819, std::initializer_list<TextArg>{3});
    list.AddValueF("%s", FormatMoneyDecimal(total).c_str());
    list.AddBlankLine();
    list.AddHeadingId(ownersHeading);
    for (int32_t i : kGroupRowOrder) AddOwnerRow(list, BlockOfKey(keys[i]));
  };
  if (utility) {
    const auto shares = UtilityShares(utilityIndex);
    float total = 0;
    for (float s : shares) total += s;
    const float ownerShare = shares[size_t(std::clamp<int32_t>(b.Owner, 0, kMaxPlayerNumber))];
    if (listMode == kBlockShares) {
      for (int32_t n = 1; n <= kMaxPlayerNumber; ++n) {
        const CPlayer* p = PlayerTable().ByNumber(n);
        if (!p || n == b.Owner) continue;
        list.AddLabelF("%s", p->name);
        list.AddValueF("%s", FormatMoneyDecimal(shares[size_t(n)]).c_str());
      }
      if (b.Owner > 0) {
        list.AddLabelId(1116);
        list.AddValueF("%s", FormatMoneyDecimal(shares[0]).c_str());
      }
      list.MarkSeparator();
      list.AddLabelId(1476);
      list.AddValueF("%s", FormatMoneyDecimal(total - ownerShare).c_str());
      list.AddBlankLine();
      list.AddLabelId(1816);
      AddOwner(list, b.Owner);
      list.AddLabelF(" ");
      list.AddValueF("%s", FormatMoneyDecimal(ownerShare).c_str());
      return;
    }
    groupLines(1803, 1804, name + 1, total, 1805, kUtilityKeys);
    return;
  }
  // A railroad's figure is what it pays at the next payout; the freight is
  // its fixed part, the rest its passengers.
  const UtilityIncome& income = GetUtilityIncome();
  float figure = 0;
  for (int32_t slot = 0; slot < 4; ++slot)
    if (RailroadBlock(slot) == b.Index) figure = float(int32_t(income.railroadValues[slot]));
  if (listMode == kBlockShares) {
    list.AddLabelId(1814, std::initializer_list<TextArg>{name + 1});
    list.AddBlankLine();
    list.AddLabelId(1398);
    list.AddValueF("%s", FormatMoneyDecimal(income.dailyFreight).c_str());
    list.AddLabelId(1397);
    list.AddValueF("%s", FormatMoneyDecimal(figure - income.dailyFreight).c_str());
    list.MarkSeparator();
    list.AddLabelId(1476);
    list.AddValueF("%s", FormatMoneyDecimal(figure).c_str());
    return;
  }
  groupLines(1810, 3400, CountOwnedRailroadBlocks(LocalNumber() - 1), figure, 3401, kRailroadKeys);
}

void CInfoBlockPage::FillGroundRent() {
  const CBlock& b = *Block();
  rentList->Clear();
  rentList->visible = rentScroll->visible = true;
  const int32_t blockOwner = b.Owner;
  auto own = [&](const CBusiness& x) { return blockOwner > 0 && x.Owner == blockOwner; };
  float others = 0, owners = 0;
  ForEachBusiness(b, [&](CBuilding&, CBusiness& x) { (own(x) ? owners : others) += float(x.GroundRent); });
  rentList->AddLabelId(1391);
  rentList->AddValueF("%s", FormatMoneyDecimal(others).c_str());
  if (blockOwner > 0) {
    rentList->AddLabelId(1390);
    rentList->AddValueF("%s", FormatMoneyDecimal(owners).c_str());
  }
  rentList->AddBlankLine();
  // One group per owner number: the block owner's first, then the other
  // players in order, the city last (or first on a block of the city).
  auto group = [&](int32_t owner, int32_t headingText, int32_t totalText) {
    float total = 0;
    bool any = false;
    ForEachBusiness(b, [&](CBuilding&, CBusiness& x) { any |= int32_t(std::max<int8_t>(x.Owner, 0)) == owner; });
    if (!any) return;
    const CPlayer* p = owner > 0 ? PlayerTable().ByNumber(owner) : nullptr;
    if (headingText == 1388) rentList->AddHeadingId(1388, std::initializer_list<TextArg>{p ? p->name : ""});
    else if (headingText == 1389) rentList->AddHeadingId(1389);
    else if (p) rentList->AddHeadingF("%s", p->name);
    else rentList->AddHeadingId(1116);
    ForEachBusiness(b, [&](CBuilding& building, CBusiness& x) {
      if (int32_t(std::max<int8_t>(x.Owner, 0)) != owner) return;
      rentList->AddTaggedLabelId(1, TypeName(x));
      rentList->AddValueF("%s", FormatMoney(int32_t(x.GroundRent)).c_str());
      rentList->SetLineValue(rentList->LongerColumn() - 1, building.Id);
      // Clicking the row picks its building.
      rentList->SetLineLink(UiObjectRef{kPickBlock, b.Index}, building.Id);
      total += float(x.GroundRent);
    });
    rentList->MarkSeparator();
    rentList->AddLabelId(totalText);
    rentList->AddValueF("%s", FormatMoneyDecimal(total).c_str());
    rentList->AddBlankLine();
  };
  if (blockOwner > 0) group(blockOwner, 1388, 1390);
  else group(0, 1389, 66);
  for (int32_t n = 1; n <= kMaxPlayerNumber; ++n)
    if (n != blockOwner && PlayerTable().ByNumber(n)) group(n, 0, 66);
  if (blockOwner > 0) group(0, 0, 66);
}

void CInfoBlockPage::FillByOwner(int32_t mode) {
  const CBlock& b = *Block();
  CRichTextRect3* list = mode == kBlockProfit ? profitList : mode == kBlockSales ? salesList : valueList;
  CScrollBar* scroll = mode == kBlockProfit ? profitScroll : mode == kBlockSales ? salesScroll : valueScroll;
  const int32_t period = mode == kBlockProfit ? profitPeriod : salesPeriod;
  list->Clear();
  valueList->Clear();
  if (mode != kBlockValue) {
    subHeading->Clear();
    subHeading->AddTextId(period == 1 ? 33 : 34);
  }
  const int32_t local = LocalNumber();
  rowsWritten = false;
  auto group = [&](int32_t owner) {
    bool any = false;
    ForEachBusiness(b, [&](CBuilding&, CBusiness& x) { any |= int32_t(std::max<int8_t>(x.Owner, 0)) == owner; });
    if (!any) return;
    const CPlayer* p = owner > 0 ? PlayerTable().ByNumber(owner) : nullptr;
    if (p) list->AddHeadingF("%s", p->name);
    else list->AddHeadingId(1116);
    float total = 0;
    ForEachBusiness(b, [&](CBuilding& building, CBusiness& x) {
      if (int32_t(std::max<int8_t>(x.Owner, 0)) != owner) return;
      rowsWritten = true;
      list->AddTaggedLabelId(1, TypeName(x));
      if (mode == kBlockProfit) {
        const float profit = period == 1 ? x.GetProfit() : x.GetLastDayProfit();
        total += profit;
        list->AddValueF("%s", FormatMoney(int32_t(profit)).c_str());
        list->SetLastValueStyle(profit >= 0 ? 9 : 10, profit >= 0 ? 3 : 2, x.SoldOut != 0);
      } else if (mode == kBlockSales) {
        if (x.Kind == 2) list->AddValueId(1392);
        else list->AddValueF("%d/%d", period == 1 ? x.GetTodaySales() : x.GetLastDaySales(),
                             building.GetCapacity(x.Type));
        list->SetLastValueStyle(9, 3, x.SoldOut != 0);
      } else {
        const float value = owner == local ? x.GetSellValue() : building.GetBuyoutPrice();
        list->AddValueF("%s", FormatMoneyDecimal(value).c_str());
      }
      list->SetLineValue(list->LongerColumn() - 1, building.Id);
    });
    if (mode == kBlockProfit) {
      list->MarkSeparator();
      list->AddLabelId(66);
      list->AddValueF("%s", FormatMoneyDecimal(total).c_str());
      if (total < 0) list->SetLastValueStyle(10, 2, false);
      if (owner > 0) list->AddBlankLine();
    }
  };
  for (int32_t n = 1; n <= kMaxPlayerNumber; ++n)
    if (PlayerTable().ByNumber(n)) group(n);
  group(0);
  const bool arrows = mode != kBlockValue && rowsWritten;
  leftArrow->visible = rightArrow->visible = subHeading->visible = arrows;
  list->visible = scroll->visible = rowsWritten;
  if (!rowsWritten) {
    valueList->Clear();
    valueList->AddLabelId(1137);
    valueList->visible = true;
    valueScroll->visible = false;
  }
}

void CInfoBlockPage::StepPeriod(int32_t delta) {
  int32_t& period = listMode == kBlockProfit ? profitPeriod : salesPeriod;
  period = (period + delta + 2) % 2;
  FillList();
}

void CInfoBlockPage::FillLeaseView() {
  const CBlock& b = *Block();
  for (CTextRect* t : leaseLines) t->Clear(), t->visible = true;
  const float price = b.GetLeasePrice();
  if (b.Ownable) {
    leaseLines[0]->AddTextId(54);
    const CPlayer* owner = b.Owner > 0 ? PlayerTable().ByNumber(b.Owner) : nullptr;
    if (owner) leaseLines[1]->AddText(owner->name);
    else leaseLines[1]->AddTextId(1116);
    leaseLines[2]->AddTextId(55);
    leaseLines[3]->AddText(FormatMoneyDecimal(price));
    leaseLines[4]->AddTextId(56);
  } else {
    leaseLines[0]->AddTextId(58);
  }
  const int32_t local = LocalNumber();
  const bool mine = local > 0 && b.Owner == local;
  if (LocalBlockMarks(b.Index).Request) {
    leaseControlsShown = false;
  } else if (mine) {
    leaseButton->SetLabelId(48);
    leaseLines[4]->Clear();
    leaseLines[4]->AddTextId(57);
    leaseControlsShown = true;
  } else {
    offer->SetRange(100, price, 100000);
    if (offer->value < price) offer->SetValue(price);
    leaseButton->SetLabelId(47);
    leaseControlsShown = b.Ownable != 0;
  }
  if (leaseControlsShown && mine) offer->SetValue(float(int32_t(price / 2)));
  offerText->Clear();
  offerText->AddText(FormatMoneyDecimal(offer->value));
  offerText->visible = leaseButton->visible = leaseControlsShown;
  offer->visible = leaseControlsShown && !mine;
  leaseLines[4]->visible = leaseControlsShown;
  // The request's controls are gone until its answer: say why.
  if (LocalBlockMarks(b.Index).Request) ShowPendingMessage(b.Index);
  pendingMessage->visible = !leaseControlsShown && LocalBlockMarks(b.Index).Request;
}

void CInfoBlockPage::RunRightsView() {
  CBlock& b = *Block();
  rightsButton->visible = false;
  rightsMessage->Clear();
  rightsMessage->visible = true;
  const int32_t local = LocalNumber();
  const bool mine = local > 0 && b.Owner == local;
  if (LocalBlockMarks(b.Index).Request == 2) {
    rightsMessage->AddTextId(1406);
    panel->EnsureOpen();
  } else if (mine && b.BuildingRights == kRightsNone) {
    rightsMessage->AddTextId(1202);
    panel->EnsureOpen();
    rightsButton->visible = !panel->layoutPending && !LocalBlockMarks(b.Index).Prepare;
  } else if (!mine && b.BuildingRights != kRightsGranted) {
    rightsMessage->AddTextId(b.BuildingRights == kRightsNone ? 1201 : 1203);
    panel->EnsureOpen();
  } else {
    // Rights in hand: the construction panel takes over.
    rightsMessage->visible = false;
    panel->ModeButton(2)->SetPressed(false);
    view = kBlockViewLists;
    panel->ModeButton(0)->SetPressed(true);
    OpenConstructionOnBlock(b.Index);
  }
}

void CInfoBlockPage::LeaseClicked() {
  CBlock* b = Block();
  CPlayer* local = PlayerTable().Local();
  if (!b || !local) return;
  EnableButton(panel->ModeButton(2), false);
  panel->ModeButton(2)->SetPressed(false);
  const float value = offer->value;
  if (b->Owner == LocalNumber()) {
    local->RequestSellBlock(b->Index, value, -1);
    offer->visible = leaseButton->visible = false;
    LocalBlockMarks(b->Index).Request = 1;
    FillLeaseView();
    return;
  }
  if (!local->CanAfford(value, true)) return;
  LocalBlockMarks(b->Index).Request = 1;
  FillLeaseView();
  local->RequestBuyBlock(b->Index, value, -1);
}

bool CInfoBlockPage::Clicked(int32_t id) {
  if (id == leaseId) {
    LeaseClicked();
  } else if (id == rightsId) {
    if (CBlock* b = Block()) {
      b->SendPrepareRequest();
      LocalBlockMarks(b->Index).Prepare = 1;
      RunRightsView();
    }
    FireTutorialEvent(91);
  } else if (id == leftId || id == rightId) {
    StepPeriod(id == leftId ? -1 : 1);
    FireTutorialEvent(id == leftId ? 33 : 34);
  } else {
    return false;
  }
  return true;
}

void CInfoBlockPage::OnBlockRequestAnswered(int32_t block, bool force) {
  CBlock* b = GetBlock(block);
  if (!b) return;
  (void)force;
  LocalBlockMarks(b->Index).Request = 0;
  if (Block() != b) return;
  if (view == kBlockViewLease) {
    FillLeaseView();
    panel->ModeButton(2)->SetPressed(false);
  }
  // In any view: an auction of the request takes the page to its lists,
  // and the block the answer leaves with the player has rights to ask for.
  EnableButton(panel->ModeButton(2), RightsViewUseful(*b));
}

void CInfoBlockPage::ShowPendingMessage(int32_t block) {
  const CBlock* b = GetBlock(block);
  pendingMessage->Clear();
  if (b && LocalBlockMarks(b->Index).Request == 1) pendingMessage->AddTextId(1407);
}

void CInfoBlockPage::OnBlockChanged(int32_t block) {
  const CBlock* b = GetBlock(block);
  if (!b) return;
  if (LocalBlockMarks(b->Index).Request) {
    panel->ModeButton(1)->SetPressed(false);
    panel->ModeButton(2)->SetPressed(false);
    EnableButton(panel->ModeButton(2), false);
    panel->ModeButton(0)->SetPressed(true);
    if (view != kBlockViewLists) {
      // The lease or rights view's widgets go with it; the panel stays as it is.
      LeaveLists();
      view = kBlockViewLists;
      panel->TabButton(listMode == kBlockShares ? 1 : listMode)->SetPressed(true);
      SetTabVisibility();
      ShowStatusTitle();
      Refresh();
    }
  } else if (RightsViewUseful(*b)) {
    panel->ModeButton(2)->SetPressed(false);
    EnableButton(panel->ModeButton(2), true);
  }
}

void CInfoBlockPage::TitleAction() {
  InfoSelection& s = CurrentInfoSelection();
  if (s.building < 0) return;
  s.building = -1;
  s.business = false;
  panel->ShowPage(kInfoBlockPage);
}

void CInfoBlockPage::Update() {
  const CBlock* b = Block();
  if (!b) return;
  if (g_BlockDefs[size_t(b->DefIndex)].District == 0) {
    panel->DrawTabStrip(1, 0);
  } else if (view == kBlockViewLists) {
    panel->DrawTabStrip((utility || railroad) ? 2 : 5, listMode == kBlockShares ? 1 : listMode);
  }
  if ((listMode == kBlockProfit || listMode == kBlockSales) && view == kBlockViewLists && rowsWritten) {
    const float w = float(UIImageWidth(97)), h = float(UIImageHeight(97));
    const UIRect& m = panel->mainWindow;
    const UIRect box{m.x1 + w + 2, m.y1 + 47, m.x2 - 3 * w + 5, m.y1 + 47 + h - 4, 1.0f};
    DrawRect2DSolid(MovedRect(box, panel->LayoutEntity()), 0xCC183088u, 1.0f);
  }
}

void CInfoBlockPage::Draw() {
  if (view == kBlockViewLease && leaseControlsShown) {
    const CBlock* b = Block();
    if (b) offer->SetRange(100, b->GetLeasePrice(), 100000);
    offerText->Clear();
    offerText->AddText(FormatMoneyDecimal(offer->value));
  }
}

void CInfoBlockPage::Reset() {
  profitPeriod = salesPeriod = 1;
  LeaveLists();
  view = kBlockViewLists, listMode = kBlockSummary;
  lastBlockShown = -1;
  for (CRichTextBase* l : std::initializer_list<CRichTextBase*>{summary, rentList, specialList, profitList, salesList,
                                                                valueList})
    l->Clear();
}
