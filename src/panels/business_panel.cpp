#include "panels/business_panel.h"

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/local_drafts.h"
#include "city/city_entities.h"
#include "city/commodities.h"
#include "engine/scene/entity.h"
#include "panels/city_names.h"
#include "panels/panel_drawing.h"
#include "panels/player_tokens.h"
#include "session/player.h"
#include "session/tutorial.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/drop_down.h"
#include "ui/game_panels.h"
#include "ui/hover_info.h"
#include "ui/interface_controls.h"
#include "ui/money_format.h"
#include "visuals/camera/city_picking.h"
#include "visuals/overlay/interface_task.h"

namespace {

enum Element : int32_t {
  kTopTitle, kBacking, kTopBlue, kDropLabel, kPrevElement, kNextElement, kDropButton, kHours,
  kCommodityTitle, kCostTitle, kSellingTitle, kYesterdayTitle, kWantTitle, kHaveTitle, kTodayTitle,
  kCommodityList, kCostList, kSellingList, kYesterdayList, kWantList, kHaveList, kTodayList,
  kTotalLabel, kYesterdayTotal, kWantTotal, kHaveTotal, kTodayTotal, kBottom, kOkButton, kApplyButton,
  kSellingType, kSellingTypeRight, kYesterdayType, kYesterdayTypeRight, kTodayType, kTodayTypeRight,
  kElementCount,
};
const char* const kElementNames[kElementCount] = {
    "BAP_TOP_TITLE_AREA", "BAP_BACKING", "BAP_TOPBLUE_BACKING", "BAP_BUSINESS_DROP_LABEL", "BAP_PREV",
    "BAP_NEXT", "BAP_DROP_DOWN_BUTTON", "BAP_HOURS_LABEL", "BAP_COMMODIDTY_TITLE", "BAP_COST_TITLE",
    "BAP_SELLING_TITLE", "BAP_YESTERDAY_TITLE", "BAP_STOCK_I_WANT_TITLE", "BAP_STOCK_I_HAVE_TITLE",
    "BAP_TODAY_TITLE", "BAP_COMMODITY_LIST", "BAP_COST_LIST", "BAP_SELLING_LIST", "BAP_YESTERDAY_LIST",
    "BAP_STOCK_I_WANT_LIST", "BAP_STOCK_I_HAVE_LIST", "BAP_TODAY_LIST", "BAP_TOTAL_LABEL",
    "BAP_YESTERDAY_TOTAL", "BAP_STOCK_I_WANT_TOTAL", "BAP_STOCK_I_HAVE_TOTAL", "BAP_TODAY_TOTAL",
    "BAP_BOTTOM_AREA", "BAP_OK_BUTTON", "BAP_APPLY_BUTTON", "BAP_SELLING_TYPE_AREA", "BAP_SELLING_TYPE_RIGHT",
    "BAP_YESTERDAY_TYPE_AREA", "BAP_YESTERDAY_TYPE_RIGHT", "BAP_TODAY_TYPE_AREA", "BAP_TODAY_TYPE_RIGHT",
};
UIRect g_rects[kElementCount];
UIRect g_icons[kBusinessRows];

// Table columns in the order of the titles.
enum Column : int32_t { kColCommodity, kColCost, kColSelling, kColYesterday, kColWant, kColHave, kColToday };
constexpr int32_t kTitleTexts[kBusinessColumns] = {1421, 1470, 1471, 1472, 1473, 1474, 1475};
constexpr int32_t kColumnLists[kBusinessColumns] = {kCommodityList, kCostList,  kSellingList, kYesterdayList,
                                                     kWantList,      kHaveList, kTodayList};
constexpr int32_t kTotalElements[4] = {kYesterdayTotal, kWantTotal, kHaveTotal, kTodayTotal};
constexpr int32_t kTotalTexts[4] = {1477, 1478, 1479, 1480};
constexpr int32_t kDropLabelText = 8;
constexpr int32_t kCityOwnerText = 1116;
constexpr int32_t kOkLabel = 1435, kApplyLabel = 1438, kTotalText = 1476;
constexpr int32_t kTutorialBusinessOk = 53, kTutorialPriceChanged = 7;
constexpr IconImages kLowerArrow{118, 119, 120, 121}, kRaiseArrow{122, 123, 124, 125};
constexpr IconImages kApplyImages{85, 86, 87, 143};

// The band of row r: the backing's width, the r-th sixth of the list.
UIRect RowBand(int32_t r) {
  const UIRect& list = g_rects[kCommodityList];
  const float h = (list.y2 - list.y1) / float(kBusinessRows);
  return UIRect{g_rects[kBacking].x1, list.y1 + h * float(r), g_rects[kBacking].x2, list.y1 + h * float(r + 1),
                list.depth};
}

}  // namespace

float SteppedPrice(float price, float delta) {
  const float p = price + delta;
  return p < kLowestPrice ? kLowestPrice : p;
}

CBusiness* SelectedBusiness(int32_t kind) {
  if (g_SelectedBuilding == nullptr) return nullptr;
  CBusiness* b = GetBusinessInUse(g_SelectedBuilding->GetBusiness());
  return b && b->Kind == kind ? b : nullptr;
}

bool LocalPlayerOwns(const CBusiness& business) {
  const CPlayer* local = PlayerTable().Local();
  return local && business.Owner >= 1 && business.Owner == int32_t(local->index) + 1;
}

int32_t FillOwnerBusinessList(CDropDown& list, const CBusiness& selected, const char* ownerFormat,
                              const char* cityFormat) {
  list.Clear();
  // The list takes the shown line's width before its first line is laid out.
  list.list.SetRect(list.shown.x1, list.shown.y2, list.shown.x2, list.shown.y2);
  int32_t chosen = -1;
  for (int32_t i = kMaxBusinesses - 1; i >= 0; --i) {
    CBusiness& b = g_Businesses[size_t(i)];
    if (!b.InUse || b.Kind != selected.Kind || b.Owner != selected.Owner) continue;
    const std::string hours = b.GetOpenHoursText();
    const CPlayer* owner = b.GetOwner();
    const int32_t added = owner ? list.AddItem(&b, ownerFormat, owner->name, b.GetTypeNameId(), hours.c_str())
                                : list.AddItem(&b, cityFormat, kCityOwnerText, b.GetTypeNameId(), hours.c_str());
    if (added == 0) break;
    if (&b == &selected) chosen = list.count - 1;
  }
  return chosen;
}

void SelectBusinessBuilding(const CBusiness& business) {
  CBuilding* building = business.GetBuilding();
  if (building == nullptr) return;
  g_SelectedBuilding = building;
  if (CEntity* base = BlockBaseEntities().GetEntity(business.GetBlock())) {
    HoveredObject() = base;
    SelectedObject() = base;
    HoverInfo().SetPickedObject(base, building->Id, false);
  }
  CurrentPickPanels().ShowInfoPage(2);
}

std::array<int32_t, kBusinessRows> ShownCommodityRows(const CBusiness& shop) {
  std::array<int32_t, kBusinessRows> rows;
  for (int32_t r = 0; r < kBusinessRows; ++r) rows[size_t(r)] = r < shop.SlotCount() ? shop.GetSlotCommodity(r) : -1;
  return rows;
}

int32_t ShopStockCapacity(const CBusiness& shop) {
  const BusinessType* t = shop.GetTypeRow();
  return t ? int32_t(float(shop.GetFootprintUnits()) * t->StockCapacity) : 0;
}

// ---- The panel ------------------------------------------------------------------------

void CBusinessPanel::Build() {
  for (int32_t e = 0; e < kElementCount; ++e) g_rects[e] = ElementRect(kElementNames[e]);
  for (int32_t r = 0; r < kBusinessRows; ++r)
    g_icons[r] = ElementRect("BAP_COMM_ICON_ROW" + std::to_string(r + 1));
  PanelText(dropLabel, g_rects[kDropLabel], this, 3, 3, 4);
  PanelText(hours, g_rects[kHours], this, 3, 5);
  hours.AddText("Open 9:00am to 5:00pm (Closed)");
  for (int32_t c = 0; c < kBusinessColumns; ++c) {
    PanelText(titles[c], g_rects[kCommodityTitle + c], this, 3, 4);
    titles[c].AddTextId(kTitleTexts[c]);
  }
  PanelText(totalLabel, g_rects[kTotalLabel], this, 3, 3, 4);
  totalLabel.AddTextId(kTotalText);
  for (int32_t t = 0; t < 4; ++t) {
    PanelText(totals[t], g_rects[kTotalElements[t]], this, 3, 4);
    totals[t].AddTextId(kTotalTexts[t]);
  }
  UIRect commodity = g_rects[kCommodityList];
  commodity.x2 += 20;
  for (int32_t r = 0; r < kBusinessRows; ++r) {
    const int32_t v = 2 + 17 * r;
    PanelText(cells[kColCommodity][r], commodity, this, 3, 0, 20, v);
    for (int32_t c = 1; c < kBusinessColumns; ++c) PanelText(cells[c][r], g_rects[kColumnLists[c]], this, 3, 1, 0, v);
  }

  auto button = [this](int32_t id, const UIRect& r) { return CreateIconButton(id, r.x1, r.y1, r.x2, r.y2); };
  ok = CreatePushButton(*this, kOk, g_rects[kOkButton]);
  SetButtonImages(*ok, 79, 81, -1, 80, -1);
  apply = CreatePushButton(*this, kApply, g_rects[kApplyButton]);
  apply->SetImages(kApplyImages);
  ok->SetLabelId(kOkLabel);
  apply->SetLabelId(kApplyLabel);
  previous = button(kPrevious, g_rects[kPrevElement]);
  SetButtonImages(*previous, 97, 99, -1, 98, -1);
  next = button(kNext, g_rects[kNextElement]);
  SetButtonImages(*next, 101, 103, -1, 102, -1);
  for (CIconButton* b : {previous, next}) b->SetMode(kIconFireOnRelease);
  for (int32_t r = 0; r < kBusinessRows; ++r) {
    const std::string n = std::to_string(r + 1);
    const UIRect rects[4] = {ElementRect("BAP_SELLING_ROW" + n + "_LEFT"), ElementRect("BAP_SELLING_ROW" + n + "_RIGHT"),
                             ElementRect("BAP_STOCKIWANT_ROW" + n + "_LEFT"),
                             ElementRect("BAP_STOCKIWANT_ROW" + n + "_RIGHT")};
    const int32_t ids[4] = {kPriceArrows + 2 * r, kPriceArrows + 2 * r + 1, kStockArrows + 2 * r,
                            kStockArrows + 2 * r + 1};
    for (int32_t k = 0; k < 4; ++k) {
      CIconButton* a = button(ids[k], rects[k]);
      a->SetImages(k % 2 == 0 ? kLowerArrow : kRaiseArrow);
      a->SetMode(kIconAutoRepeat);
      a->label.SetFont(3);
      arrows[size_t(ids[k] - kPriceArrows)] = a;
    }
    const UIRect band = RowBand(r);
    rowButtons[size_t(r)] = button(kRowButtons + r, band);
    rowButtons[size_t(r)]->SetMode(kIconFireOnPress);
  }
  const UIRect& d = g_rects[kDropButton];
  const UIRect& l = g_rects[kDropLabel];
  list = CreateDropDown(0, d.x1, d.y1, d.x2, d.y2, UIRect{l.x1, l.y1, l.x2, l.y2, 0.5f});
  SetButtonImages(*list->button, 93, 95, -1, 94, -1);
  list->Clear();
  SetInterfaceControl(53, ok);
  SetInterfaceControl(41, Arrow(kPriceArrows + 1));
  SetInterfaceControl(42, Arrow(kPriceArrows));
  SetInterfaceControl(43, Arrow(kStockArrows + 1));
  SetInterfaceControl(44, Arrow(kStockArrows));
  lastSeen = nullptr;
  selectedRow = 0;
}

CBusiness* CBusinessPanel::CheckSelection() {
  CBusiness* shop = SelectedBusiness(kBusinessShop);
  if (shop == nullptr && open) Close();
  return shop;
}

void CBusinessPanel::EnableRowArrows(int32_t row) {
  for (CIconButton* a : arrows) a->disabled = true;
  for (int32_t id : {kPriceArrows + 2 * row, kPriceArrows + 2 * row + 1, kStockArrows + 2 * row,
                     kStockArrows + 2 * row + 1})
    Arrow(id)->disabled = false;
  selectedRow = row;
}

void CBusinessPanel::SetUpRows(bool reset) {
  CBusiness* shop = SelectedBusiness(kBusinessShop);
  if (shop == nullptr) return;
  const auto rows = ShownCommodityRows(*shop);
  for (CIconButton* a : arrows) a->visible = false;
  for (int32_t r = 0; r < kBusinessRows; ++r) {
    const bool shown = rows[size_t(r)] >= 0;
    for (int32_t k = 0; k < 4; ++k) arrows[size_t(k < 2 ? 2 * r + k : 12 + 2 * r + (k - 2))]->visible = shown;
    rowButtons[size_t(r)]->visible = shown;
  }
  if (reset) {
    for (CIconButton* a : arrows) a->disabled = true;
    selectedRow = 0;
    if (LocalPlayerOwns(*shop)) EnableRowArrows(0);
  }
  dropLabel.Clear();
  dropLabel.AddTextIdArgs2(kDropLabelText, shop->GetTypeNameId(), BlockNameText(shop->GetBlock()));
}

void CBusinessPanel::FillList() {
  CBusiness* shop = SelectedBusiness(kBusinessShop);
  if (shop == nullptr) return;
  filling = true;
  const int32_t chosen = FillOwnerBusinessList(*list, *shop, "%s: %u %s", "%u: %u %s");
  if (chosen >= 0) list->Select(chosen);
  list->shown.Clear();  // the label above says which shop this is
  filling = false;
}

void CBusinessPanel::RefreshTable() {
  CBusiness* shop = SelectedBusiness(kBusinessShop);
  if (shop == nullptr) return;
  for (auto& column : cells)
    for (CTextRect& cell : column) cell.Clear();
  const auto rows = ShownCommodityRows(*shop);
  const BusinessDraft shown = BusinessDraftOf(*shop);
  int32_t today = 0, yesterday = 0, wanted = 0, held = 0;
  for (int32_t r = kBusinessRows - 1; r >= 0; --r) {
    const int32_t c = rows[size_t(r)];
    if (c < 0) continue;
    const CommoditySlot& slot = shop->Slots[r];
    cells[kColCommodity][r].AddTextId(g_Commodities[size_t(c)].NameTextId);
    cells[kColCost][r].AddText(FormatMoneyDecimal(g_Commodities[size_t(c)].Value));
    cells[kColSelling][r].AddText(FormatMoneyDecimal(shown.Price[r]));
    const int32_t soldToday = slot.SoldPerDay[shop->Day % kDayRing];
    const int32_t soldYesterday = slot.SoldPerDay[(shop->Day + kDayRing - 1) % kDayRing];
    cells[kColToday][r].AddTextF("%d", soldToday);
    cells[kColYesterday][r].AddTextF("%d", soldYesterday);
    cells[kColWant][r].AddTextF("%d", int32_t(shown.StockTarget[r]));
    cells[kColHave][r].AddTextF("%d", int32_t(slot.Stock));
    today += soldToday;
    yesterday += soldYesterday;
    wanted += shown.StockTarget[r];
    held += slot.Stock;
  }
  const int32_t capacity = ShopStockCapacity(*shop);
  for (CTextRect& t : totals) t.Clear();
  totals[0].AddTextF("%d", yesterday);
  totals[1].AddTextF("%d/%d", wanted, capacity);
  totals[2].AddTextF("%d/%d", held, capacity);
  totals[3].AddTextF("%d", today);
  hours.Clear();
}

void CBusinessPanel::OnOpen() {
  if (CheckSelection() == nullptr) return;
  apply->disabled = true;
  lastSeen = g_SelectedBuilding;
  FillList();
  RefreshTable();
  SetUpRows(true);
  if (CPanel* info = GamePanels().Panel(kHudSelectionInfo)) info->Close();
}

void CBusinessPanel::OnClose() {
  if (const CPlayer* local = PlayerTable().Local()) SendBusinessPriceMessages(local->index);
  if (CPanel* info = GamePanels().Panel(kHudSelectionInfo)) info->Open();
}

void CBusinessPanel::ChooseListItem(int32_t index) {
  if (filling || index < 0 || index >= list->count) return;
  const CBusiness* chosen = static_cast<const CBusiness*>(list->itemData[size_t(index)]);
  list->shown.Clear();
  if (chosen == nullptr || !chosen->InUse) return;
  SelectBusinessBuilding(*chosen);
  lastSeen = g_SelectedBuilding;
  SetUpRows(true);
  if (SelectedBusiness(kBusinessShop)) RefreshTable();
}

int32_t CBusinessPanel::OnEvent(int32_t type, int32_t a, int32_t b) {
  if (!built) return 0;
  CBusiness* shop = CheckSelection();
  if (shop == nullptr) return 0;
  if (type == kMsgFrameTick) {
    if (g_SelectedBuilding != lastSeen) {
      lastSeen = g_SelectedBuilding;
      SetUpRows(true);
      FillList();
      RefreshTable();
    }
  } else if (type == kMsgRefresh) {
    SetUpRows(false);
    RefreshTable();
  } else if (type == kNotifyDropDownChoice) {
    ChooseListItem(b);
  } else if (type == kNotifyClicked) {
    const bool owned = LocalPlayerOwns(*shop);
    if (a == kOk) {
      Close();
      FireTutorialEvent(kTutorialBusinessOk);
    } else if (a == kApply) {
      if (const CPlayer* local = PlayerTable().Local()) SendBusinessPriceMessages(local->index);
      apply->disabled = true;
    } else if (a == kPrevious || a == kNext) {
      if (list->count > 0) {
        const int32_t step = a == kPrevious ? list->count - 1 : 1;
        list->Select((list->selected + step) % list->count);
      }
    } else if (a >= kPriceArrows && a < kStockArrows && owned) {
      const int32_t row = (a - kPriceArrows) / 2;
      BusinessDraft& draft = EditBusinessDraft(*shop);
      draft.Price[row] = SteppedPrice(draft.Price[row], (a % 2 == 0) ? -kLowestPrice : kLowestPrice);
      draft.Changed = true;
      apply->disabled = false;
      FireTutorialEvent(kTutorialPriceChanged);
    } else if (a >= kStockArrows && a < kRowButtons && owned) {
      const int32_t row = (a - kStockArrows) / 2;
      const int32_t wanted = BusinessDraftOf(*shop).StockTarget[row] + ((a % 2 == 0) ? -1 : 1);
      shop->AddStock(row, wanted);
      apply->disabled = false;
      FireTutorialEvent(kTutorialPriceChanged);
    } else if (a >= kRowButtons && a < kRowButtons + kBusinessRows) {
      selectedRow = a - kRowButtons;
    }
    RefreshTable();
  }
  return 0;
}

void CBusinessPanel::Update() {
  CBusiness* shop = CheckSelection();
  if (shop == nullptr) return;
  const CLayoutEntity* m = LayoutEntity();
  constexpr float kDepth = 0.5f;
  // The whole backing first, so no gap between the areas shows the city.
  DrawBand(g_rects[kBacking], m, InterfaceBackingColour, InterfaceBackingColour, kDepth + 0.01f);
  for (int32_t e : {kBottom, kCommodityList, kCostList, kYesterdayList, kHaveList, kTodayList})
    DrawBand(g_rects[e], m, InterfaceBackingColour, InterfaceBackingColour, kDepth);
  const CPlayer* owner = shop->GetOwner();
  const uint32_t colour = owner ? PlayerTokenColour(owner) : 0xFF909090u;
  DrawBand(g_rects[kTopTitle], m, WithAlpha(colour, 0xFE), WithAlpha(colour, 0x7E), kDepth);
  for (int32_t e : {kTopBlue, kSellingType, kYesterdayType, kTodayType})
    DrawBand(g_rects[e], m, 0xFF1F3070u, 0xFF1F3070u, kDepth);
  for (int32_t e = kCommodityTitle; e <= kTodayTitle; ++e) DrawBand(g_rects[e], m, 0x6D4F94B0u, 0x6D4F94B0u, kDepth);
  for (int32_t e = kTotalLabel; e <= kTodayTotal; ++e) DrawBand(g_rects[e], m, 0x6D4F94B0u, 0x6D4F94B0u, kDepth);
  DrawBand(g_rects[kSellingList], m, 0xFF202A53u, 0xFF202A53u, kDepth);
  DrawFade(g_rects[kWantList], m, 0xFF909090u, 0x7F909090u, kDepth);
  const auto rows = ShownCommodityRows(*shop);
  const bool owned = LocalPlayerOwns(*shop);
  for (int32_t r = kBusinessRows - 1; r >= 0; --r) {
    const int32_t c = rows[size_t(r)];
    if (c < 0) continue;
    const UIRect band = RowBand(r);
    if (IsMouseOverRect(band, m)) {
      DrawBand(band, m, 0xCC37478Au, 0xCC37478Au, kDepth - 0.05f);
      if (r != selectedRow && owned) EnableRowArrows(r);
    }
    DrawTexturedRect(MovedRect(g_icons[r], m), UIImageTexture(kCommodityIconImage + c), kDepth - 0.1f);
  }
}

void CBusinessPanel::DrawSelf() {
  const CLayoutEntity* m = LayoutEntity();
  for (auto& column : cells)
    for (CTextRect& cell : column) cell.Draw(m);
  for (CTextRect& t : titles) t.Draw(m);
  for (CTextRect& t : totals) t.Draw(m);
  totalLabel.Draw(m);
  dropLabel.Draw(m);
  hours.Draw(m);
}
