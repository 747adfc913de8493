#include "panels/rent_panel.h"

#include <cmath>

#include "city/blocks.h"
#include "engine/files/model_file.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/local_drafts.h"
#include "panels/business_panel.h"
#include "panels/city_names.h"
#include "panels/panel_drawing.h"
#include "panels/player_tokens.h"
#include "session/player.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/drop_down.h"
#include "ui/game_panels.h"
#include "ui/money_format.h"

namespace {

enum Element : int32_t {
  kTopTitle, kBacking, kTopBlue, kPrevElement, kNextElement, kDropLabel, kDropButton, kHours,
  kCommodityTitle, kRentTitle, kCurrentTitle, kTakenTitle, kPotentialTitle,
  kCommodityList, kRentList, kTenantsList, kTakenList, kPotentialList, kBottom, kOkButton, kApplyButton,
  kTenantsTypeLeft, kTenantsType, kTenantsTypeRight, kTakenTypeLeft, kTakenType, kTakenTypeRight,
  kIcon, kRentLeft, kRentRight, kElementCount,
};
const char* const kElementNames[kElementCount] = {
    "BAP_COM_TOP_TITLE_AREA", "BAP_COM_BACKING", "BAP_COM_TOPBLUE_BACKING", "BAP_COM_PREV", "BAP_COM_NEXT",
    "BAP_COM_BUSINESS_DROP_LABEL", "BAP_COM_DROP_DOWN_BUTTON", "BAP_COM_HOURS_LABEL", "BAP_COM_COMMODIDTY_TITLE",
    "BAP_COM_RENT_TITLE", "BAP_COM_CURRENT_TITLE", "BAP_COM_TOTALRENT_TITLE", "BAP_COM_POTENTIALRENT_TITLE",
    "BAP_COM_COMMODITY_LIST", "BAP_COM_RENT_LIST", "BAP_COM_TENNANTS_LIST", "BAP_COM_TOTALRENT_LIST",
    "BAP_COM_POTENTIALRENT_LIST", "BAP_COM_BOTTOM_AREA", "BAP_COM_OK_BUTTON", "BAP_COM_APPLY_BUTTON",
    "BAP_COM_TENNANTS_TYPE_LEFT", "BAP_COM_TENNANTS_TYPE_AREA", "BAP_COM_TENNANTS_TYPE_RIGHT",
    "BAP_COM_TOTALRENT_TYPE_LEFT", "BAP_COM_TOTALRENT_TYPE_AREA", "BAP_COM_TOTALRENT_TYPE_RIGHT",
    "BAP_COM_COMM_ICON_ROW1", "BAP_COM_RENT_ROW1_LEFT", "BAP_COM_RENT_ROW1_RIGHT",
};
UIRect g_rects[kElementCount];
constexpr int32_t kTitleTexts[5] = {1421, 1423, 1424, 1425, 1426};
constexpr int32_t kModeTexts[2] = {33, 32};
constexpr int32_t kResidenceImage = 45;
constexpr int32_t kRentIncomeLine = 11;

}  // namespace

void CRentPanel::Build() {
  // The model keeps 26 characters of a name.
  for (int32_t e = 0; e < kElementCount; ++e)
    g_rects[e] = ElementRect(std::string_view(kElementNames[e]).substr(0, kModelNameLength - 1));
  PanelText(dropLabel, g_rects[kDropLabel], this, 3, 3, 4);
  dropLabel.AddText(" ");
  PanelText(hours, g_rects[kHours], this, 3, 5);
  for (int32_t t = 0; t < 5; ++t) {
    PanelText(titles[t], g_rects[kCommodityTitle + t], this, 3, (t == 1 || t == 2) ? 1 : 4);
    titles[t].AddTextId(kTitleTexts[t]);
  }
  PanelText(rowText, g_rects[kCommodityList], this, 3, 3, 19);
  rowText.AddTextId(1427);
  PanelText(rent, g_rects[kRentList], this, 3, 4);
  PanelText(tenants, g_rects[kTenantsList], this, 3, 4);
  PanelText(taken, g_rects[kTakenList], this, 3, 4);
  PanelText(potential, g_rects[kPotentialList], this, 3, 4);
  for (CTextRect* t : {&rent, &tenants}) t->AddTextId(1428);
  for (CTextRect* t : {&taken, &potential}) t->AddTextId(1429);
  PanelText(tenantsHeader, g_rects[kTenantsType], this, 3, 4);
  tenantsHeader.AddTextId(kModeTexts[0]);
  PanelText(takenHeader, g_rects[kTakenType], this, 3, 4);
  takenHeader.AddTextId(kModeTexts[0]);

  const int32_t places[10] = {kPrevElement,    kNextElement,          kOkButton,      kApplyButton, kTenantsTypeLeft,
                              kTenantsTypeRight, kTakenTypeLeft, kTakenTypeRight, kRentLeft,    kRentRight};
  for (int32_t id = 0; id < 10; ++id) {
    buttons[id] = CreatePushButton(*this, id, g_rects[places[id]]);
  }
  for (int32_t id : {kPrevious, kTenantsLeft, kTakenLeft}) SetButtonImages(*buttons[id], 97, 99, -1, 98, -1);
  for (int32_t id : {kNext, kTenantsRight, kTakenRight}) SetButtonImages(*buttons[id], 101, 103, -1, 102, -1);
  SetButtonImages(*buttons[kOk], 79, 81, -1, 80, -1);
  buttons[kOk]->SetLabelId(1435);
  buttons[kApply]->SetImages(IconImages{85, 86, 87, 143});
  buttons[kApply]->SetLabelId(1438);
  buttons[kLower]->SetImages(IconImages{118, 119, 120, 121});
  buttons[kRaise]->SetImages(IconImages{122, 123, 124, 125});
  for (int32_t id : {kLower, kRaise}) buttons[id]->SetMode(kIconAutoRepeat);
  const UIRect& d = g_rects[kDropButton];
  const UIRect& l = g_rects[kDropLabel];
  list = CreateDropDown(0, d.x1, d.y1, d.x2, d.y2, UIRect{l.x1, l.y1, l.x2, l.y2, 0.5f});
  SetButtonImages(*list->button, 93, 95, -1, 94, -1);
  list->Clear();
  tenantsMode = takenMode = false;
  lastSeen = nullptr;
}

CBusiness* CRentPanel::CheckSelection() {
  CBusiness* home = SelectedBusiness(kBusinessResidence);
  if (home == nullptr && open) Close();
  return home;
}

void CRentPanel::SetUpControls() {
  CBusiness* home = SelectedBusiness(kBusinessResidence);
  if (home == nullptr) return;
  const bool owned = LocalPlayerOwns(*home);
  buttons[kLower]->disabled = buttons[kRaise]->disabled = !owned;
  dropLabel.Clear();
  dropLabel.AddTextF("%u - %u", home->GetTypeNameId(), BlockNameText(home->GetBlock()));
}

void CRentPanel::FillList() {
  CBusiness* home = SelectedBusiness(kBusinessResidence);
  if (home == nullptr) return;
  filling = true;
  const int32_t chosen = FillOwnerBusinessList(*list, *home, "%s %u %s", "%u %u %s");
  if (chosen >= 0) list->Select(chosen);
  list->shown.Clear();
  filling = false;
}

void CRentPanel::RefreshValues() {
  CBusiness* home = SelectedBusiness(kBusinessResidence);
  if (home == nullptr) return;
  for (CTextRect* t : {&rent, &tenants, &taken, &potential}) t->Clear();
  const float shownRent = BusinessDraftOf(*home).Rent;
  rent.AddText(FormatMoneyDecimal(shownRent));
  tenants.AddTextF("%d/%d", int32_t(tenantsMode ? home->Occupants : home->OccupantsAtSettlement),
                   int32_t(home->Capacity));
  taken.AddText(FormatMoneyDecimal(takenMode ? home->LastDayRent : home->Accounts[kRentIncomeLine]));
  potential.AddText(FormatMoney(int32_t(std::lround(shownRent * float(home->Capacity)))));
  tenantsHeader.Clear();
  tenantsHeader.AddTextId(kModeTexts[tenantsMode ? 1 : 0]);
  takenHeader.Clear();
  takenHeader.AddTextId(kModeTexts[takenMode ? 1 : 0]);
}

void CRentPanel::OnOpen() {
  if (CheckSelection() == nullptr) return;
  buttons[kApply]->disabled = true;
  lastSeen = g_SelectedBuilding;
  SetUpControls();
  FillList();
  RefreshValues();
  if (CPanel* info = GamePanels().Panel(kHudSelectionInfo)) info->Close();
}

void CRentPanel::OnClose() {
  if (const CPlayer* local = PlayerTable().Local()) SendBusinessPriceMessages(local->index);
  if (CPanel* info = GamePanels().Panel(kHudSelectionInfo)) info->Open();
}

int32_t CRentPanel::OnEvent(int32_t type, int32_t a, int32_t b) {
  if (!built) return 0;
  CBusiness* home = CheckSelection();
  if (home == nullptr) return 0;
  if (type == kMsgFrameTick) {
    if (g_SelectedBuilding != lastSeen) {
      lastSeen = g_SelectedBuilding;
      SetUpControls();
      FillList();
      RefreshValues();
    }
    return 0;
  }
  if (type == kNotifyDropDownChoice) {
    if (filling || b < 0 || b >= list->count) return 0;
    const CBusiness* chosen = static_cast<const CBusiness*>(list->itemData[size_t(b)]);
    list->shown.Clear();
    if (chosen == nullptr || !chosen->InUse) return 0;
    SelectBusinessBuilding(*chosen);
    lastSeen = g_SelectedBuilding;
    SetUpControls();
  } else if (type == kNotifyClicked) {
    if ((a == kPrevious || a == kNext) && list->count > 0) {
      list->Select((list->selected + (a == kPrevious ? list->count - 1 : 1)) % list->count);
    } else if (a == kOk) {
      Close();
      return 0;
    } else if (a == kApply) {
      buttons[kApply]->disabled = true;
      if (const CPlayer* local = PlayerTable().Local()) SendBusinessPriceMessages(local->index);
    } else if (a == kTenantsLeft || a == kTenantsRight) {
      tenantsMode = !tenantsMode;
    } else if (a == kTakenLeft || a == kTakenRight) {
      takenMode = !takenMode;
    } else if ((a == kLower || a == kRaise) && LocalPlayerOwns(*home)) {
      BusinessDraft& draft = EditBusinessDraft(*home);
      draft.Rent = SteppedPrice(draft.Rent, a == kLower ? -kLowestPrice : kLowestPrice);
      draft.Changed = true;
      buttons[kApply]->disabled = false;
    }
  } else if (type != kMsgRefresh) {
    return 0;
  }
  RefreshValues();
  return 0;
}

void CRentPanel::Update() {
  CBusiness* home = CheckSelection();
  if (home == nullptr) return;
  const CLayoutEntity* m = LayoutEntity();
  constexpr float kDepth = 0.5f;
  DrawBand(g_rects[kBacking], m, InterfaceBackingColour, InterfaceBackingColour, kDepth + 0.01f);
  const CPlayer* owner = home->GetOwner();
  const uint32_t colour = owner ? PlayerTokenColour(owner) : 0xFF909090u;
  DrawBand(g_rects[kTopTitle], m, WithAlpha(colour, 0xFE), WithAlpha(colour, 0x7E), kDepth);
  for (int32_t e : {kBottom, kCommodityList, kTenantsList, kTakenList, kPotentialList})
    DrawBand(g_rects[e], m, InterfaceBackingColour, InterfaceBackingColour, kDepth);
  for (int32_t e : {kTopBlue, kTenantsType, kTakenType}) DrawBand(g_rects[e], m, 0xFF1F3070u, 0xFF1F3070u, kDepth);
  for (int32_t e = kCommodityTitle; e <= kPotentialTitle; ++e)
    DrawBand(g_rects[e], m, 0x6D4F94B0u, 0x6D4F94B0u, kDepth);
  DrawBand(g_rects[kRentList], m, 0xFF202A53u, 0xFF202A53u, kDepth);
  DrawTexturedRect(MovedRect(g_rects[kIcon], m), UIImageTexture(kResidenceImage), kDepth - 0.1f);
}

void CRentPanel::DrawSelf() {
  const CLayoutEntity* m = LayoutEntity();
  for (CTextRect* t : {&dropLabel, &hours, &rowText, &rent, &tenants, &taken, &potential, &tenantsHeader, &takenHeader})
    t->Draw(m);
  for (CTextRect& t : titles) t.Draw(m);
}
