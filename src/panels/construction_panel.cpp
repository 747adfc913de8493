#include "panels/construction_panel.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/commodities.h"
#include "city/prestige_textures.h"
#include "panels/city_names.h"
#include "panels/hud_panels.h"
#include "panels/panel_drawing.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "session/tutorial.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/interface_controls.h"
#include "ui/list_box.h"
#include "ui/money_format.h"
#include "ui/rich_text.h"
#include "ui/scroll_bar.h"
#include "visuals/architect/architect.h"
#include "visuals/camera/city_picking.h"

namespace {

constexpr uint32_t kTitleLineColour = 0xFF01762Fu, kValueLineColour = 0xFF000A48u;
constexpr const char* kStepIconNames[4] = {"P_MAIN_ICON1", "P_MAIN_BUILD_ICON2", "P_MAIN_BUILD_ICON3",
                                           "P_MAIN_BUILD_ICON4"};
constexpr int32_t kTypeItems[3] = {860, 859, 861};
constexpr int32_t kTypeValues[3] = {1508, 1509, 1510};
constexpr int32_t kQualityTexts[3] = {1656, 1655, 1657};
constexpr int32_t kNoRestriction = 999;

CPlayer* Local() { return PlayerTable().Local(); }

bool UseAvailable(const char* key) {
  const int32_t type = FindBusinessTypeByName(key);
  return type >= 0 && g_BusinessTypes[size_t(type)].Available != 0;
}

const BusinessType* Use(int32_t use) { return GetBusinessType(use); }

// A block the local player may no longer build on: gone, civic, or its
// building rights neither granted nor being prepared for its leaseholder.
bool ClosedToBuilding(const CBlock* b) {
  if (!b || !b->InUse || g_BlockDefs[size_t(b->DefIndex)].District == 0) return true;
  const CPlayer* local = PlayerTable().Local();
  const bool mine = local && b->Owner == int32_t(local->index) + 1;
  return !(b->BuildingRights == kRightsGranted || (b->BuildingRights == kRightsPreparing && mine));
}

}  // namespace

const std::array<int32_t, 45>& UsesInKeyOrder() {
  static const std::array<int32_t, 45> order = [] {
    std::array<int32_t, 45> o{};
    std::array<std::string, 45> keys;
    for (int32_t i = 0; i < 45; ++i) {
      o[size_t(i)] = i;
      for (const char* c = g_BusinessTypes[size_t(i)].Key; *c; ++c) keys[size_t(i)] += char(std::tolower(*c));
    }
    std::stable_sort(o.begin(), o.end(), [&](int32_t a, int32_t b) { return keys[size_t(a)] < keys[size_t(b)]; });
    return o;
  }();
  return order;
}

int32_t ConstructionDesignCode(const int32_t* list, int32_t count, int32_t design) {
  design = std::max(design, 0);
  if (count <= 0 || list == nullptr) return (design / 1) * 65536;  // an empty list is one entry of texture 0
  return list[design % count] + (design / count) * 65536;
}

// ---- Building the widgets ------------------------------------------------------------

void CConstructionPanel::Build() {
  nextId = 0;
  const CLayoutEntity* model = LayoutEntity();
  const int32_t last = std::max(frameCount, 1);
  FindPanelBackings(model, frameCount, backings, backingColours);
  backingColours[3] = backingColours[4] = {0x00FF0000u, 0x00FF0000u, 0x00FF0000u, 0x00FF0000u};
  mainWindow = backings[0];
  const float X = mainWindow.x1, Y = mainWindow.y1, R = mainWindow.x2, B = mainWindow.y2;

  for (int32_t i = 0; i < 4; ++i) {
    UIRect r = FindElementRect(kStepIconNames[i], model, last);
    const float lift = 4.0f + 3.0f * float(i);
    CIconButton* b = CreateIconButton(nextId++, r.x1, r.y1 - lift, r.x2, r.y2 - lift);
    SetButtonImages(*b, 13, 15, 17, 14, -1);
    b->SetMode(kIconFireOnRelease);
    b->overlayRect = b->Rect();
    b->overlayImage = 176 + i;
    if (i == 3) b->inputDisabled = true;
    stepIcons[size_t(i)] = b;
  }
  const UIRect t1 = backings[3], t2 = backings[4];
  title = CreateTextRect(nextId++, t1.x1 + 10, t1.y1, t1.x2 + 10, t2.y2);
  title->SetFont(1);
  title->SetAlignment(4, 0, 0);

  const float bw = float(UIImageWidth(79)), bh = float(UIImageHeight(79));
  cancelButton = CreateIconButton(nextId++, R - 10 - bw, Y + 235, R - 10, Y + 235 + bh);
  SetButtonImages(*cancelButton, 82, 84, 143, 83, -1);
  buildButton = CreateIconButton(nextId++, X + 10, Y + 235, X + 10 + bw, Y + 235 + bh);
  SetButtonImages(*buildButton, 79, 81, 143, 80, -1);
  for (CIconButton* b : {cancelButton, buildButton}) {
    b->SetMode(kIconFireOnRelease);
    b->label.SetFont(2);
    b->label.SetAlignment(4, kKeepAlignmentValue, kKeepAlignmentValue);  // centred on the face
  }
  cancelButton->SetLabelId(1436);
  buildButton->SetLabelId(1511);
  SetInterfaceControl(98, cancelButton);
  SetInterfaceControl(97, buildButton);

  auto line = [&](float top, float x1, float x2, bool isTitle, int32_t text) {
    CTextRect* t = CreateTextRect(nextId++, x1, top, x2, top + 14);
    t->SetFont(3);
    t->SetAlignment(isTitle ? 0 : 2, 3, 2);
    t->SetBackground(true, isTitle ? kTitleLineColour : kValueLineColour);
    if (text) t->AddTextId(text);
    t->visible = false;
    return t;
  };
  typeTitle = line(Y, X, R, true, 1512);
  typeList = CreateListBox(nextId++, X, Y + 14, R - 22, Y + 49, 0.5f);
  typeList->Reset(3);
  SetInterfaceControl(kBuildSelectTypeControl, typeList);
  typeValue = line(Y, X + (R - X) / 2, R - 22, false, 0);
  // The summary rows: a click on the type, use or plot row goes back to it.
  const float rowTops[3] = {Y, Y + 28, Y + 56};
  for (int32_t i = 0; i < 3; ++i) {
    backRegions[size_t(i)] = CreateIconButton(nextId++, X, rowTops[i], R - 22, rowTops[i] + 14);
    backRegions[size_t(i)]->SetMode(kIconFireOnRelease);
    SetInterfaceControl(100 + i, backRegions[size_t(i)]);
  }
  useTitle = line(Y + 28, X, R, true, 1522);
  useList = CreateRichTextRect3(nextId++, X, Y + 42, R - 10, Y + 42 + (B - Y - 173));
  useList->left.SetFont(3), useList->right.SetFont(3);
  useList->left.SetAlignment(0, 3, 2), useList->right.SetAlignment(2, 3, 2);
  useList->SetHoverHighlight(true);
  useScroll = CreateScrollBar(nextId++, R - 10, Y + 42, B - Y - 173, true);
  useScroll->AttachRichText3(useList);
  SetInterfaceControl(87, useList);
  useValue = line(Y + 28, X + (R - X) / 2, R - 22, false, 0);
  const float commodityTop = Y + (B - Y - 134);
  commodityTitle = line(commodityTop, X, R, true, 1513);
  commodityList = CreateListBox(nextId++, X, commodityTop + 14, R, commodityTop + 14 + 74, 0.5f);
  commodityList->Reset(6);
  plotTitle = line(Y + 56, X, R, true, 1514);
  plotSize = line(Y + 56, X + (R - X) / 2, R - 22, false, 0);
  plotSize->AddText("0 x 0");
  SetInterfaceControl(90, plotSize);
  floorsTitle = line(Y + 84, X, R, true, 1515);
  floorsBar = CreateScrollBar(nextId++, X + 10, Y + 113, R - X - 20, false);
  floorsBar->maximum = 0;
  SetInterfaceControl(93, floorsBar);
  floorsCaption = line(Y + 98, X, X + (R - X) / 2, true, 1516);
  floorsValue = line(Y + 98, X + (R - X) / 2, R, false, 0);
  floorsValue->AddText("0 of 1");
  capacityLine = line(Y + 214, X, R, false, 0);
  capacityLine->SetAlignment(4, 0, 2);
  capacityLine->SetBackground(false, 0);
  designBar = CreateScrollBar(nextId++, X + 10, Y + 171, R - X - 20, false);
  designBar->maximum = 0;
  SetInterfaceControl(92, designBar);
  designCaption = line(Y + 157, X, X + (R - X) / 2, true, 1518);
  designValue = line(Y + 157, X + (R - X) / 2, R, false, 0);
  qualityCaption = line(Y + 128, X, R, true, 1520);
  // The buttons sit in the quality row, above the design row.
  const float qh = std::min(14.0f, float(UIImageHeight(175)));
  const float qw = qh * float(UIImageWidth(175)) / float(std::max(UIImageHeight(175), 1));
  for (int32_t q = 0; q < 3; ++q) {
    const float x = X + 4 + 60.0f * float(q);  // placed by PackQualityRow
    CIconButton* b = CreateIconButton(nextId++, x, Y + 141, x + qw, Y + 141 + qh);
    SetButtonImages(*b, 175, 174, -1, 175, -1);
    b->SetMode(kIconFireOnRelease);
    qualityButtons[size_t(q)] = b;
    SetInterfaceControl(94 + q, b);
    CTextRect* label = CreateTextRect(nextId++, x + qw + 1, Y + 141, x + qw + 100, Y + 141 + qh);
    label->SetFont(0);
    label->SetAlignment(3, 0, 0);
    label->AddTextId(kQualityTexts[q]);
    label->visible = false;
    qualityLabels[size_t(q)] = label;
  }
  PackQualityRow(X + 4, qw, qh);
  costCaption = line(Y + 184, X, R, false, 1521);
  costValue = line(Y + 200, X, R, false, 0);
  for (CTextRect* t : {costCaption, costValue}) t->SetAlignment(4, 0, 2), t->SetBackground(false, 0);
  const float aw = float(UIImageWidth(97)), ah = float(UIImageHeight(97));
  for (int32_t i = 0; i < 3; ++i) {
    CIconButton* b = CreateIconButton(nextId++, R - aw - 4, rowTops[i], R - 8, rowTops[i] + ah);
    SetButtonImages(*b, 97, 99, -1, 98, -1);
    b->SetMode(kIconFireOnRelease);
    backButtons[size_t(i)] = b;
  }
  SetInterfaceControl(89, backButtons[2]);
  SetInterfaceControl(kBuildPanelControl, this);
  SelectQuality(0);
  HideAll();
  Reset();
}

// ---- Steps ----------------------------------------------------------------------------

void CConstructionPanel::PackQualityRow(float x, float buttonWidth, float buttonHeight) {
  for (int32_t q = 0; q < 3; ++q) {
    CIconButton* b = qualityButtons[size_t(q)];
    CTextRect* label = qualityLabels[size_t(q)];
    const float y = b->Rect().y1;
    b->SetRect(x, y, x + buttonWidth, y + buttonHeight);
    const float width = float(std::max(label->LineWidth(0), 0)) + 2.0f;
    label->SetRect(x + buttonWidth + 1, y, x + buttonWidth + 1 + width, y + buttonHeight);
    x += buttonWidth + 1 + width + 6.0f;
  }
}

void CConstructionPanel::HideAll() {
  typeValue->visible = false;
  typeList->visible = useList->visible = commodityList->visible = false;
  useScroll->visible = floorsBar->visible = designBar->visible = false;
  for (CIconButton* b : qualityButtons) b->visible = false;
  for (CIconButton* b : backButtons) b->visible = false;
  backRegions[0]->visible = backRegions[1]->visible = false;
  for (CIconButton* b : stepIcons) b->visible = false;
  // Texts show by step; the step turns on what it draws.
  for (CTextRect* t : {typeTitle, useTitle, useValue, commodityTitle, plotTitle, plotSize, floorsTitle, floorsCaption,
                       floorsValue, qualityCaption, designCaption, designValue, costCaption, costValue, capacityLine})
    t->visible = false;
  for (CTextRect* t : qualityLabels) t->visible = false;
}

void CConstructionPanel::SetStep(int32_t next) {
  HideAll();
  EnableButton(buildButton, false);
  step = next;
  typeTitle->visible = true;
  if (step == kStepType) {
    stepIcons[0]->visible = typeList->visible = backRegions[0]->visible = true;
    backRegions[1]->visible = backRegions[2]->visible = false;
    return;
  }
  typeValue->visible = true;
  if (step == kStepUse) {
    backButtons[0]->visible = backRegions[0]->visible = true;
    backRegions[1]->visible = backRegions[2]->visible = false;
    useTitle->visible = commodityTitle->visible = true;
    if (FillUseList()) {
      useListTakesInput = true;
      useList->inputDisabled = false;
      useList->ScrollTo(0);
      useScroll->SetValue(0);
      useList->visible = useScroll->visible = true;
      stepIcons[0]->visible = stepIcons[1]->visible = commodityList->visible = true;
    }
    return;
  }
  useTitle->visible = useValue->visible = plotTitle->visible = plotSize->visible = true;
  if (step == kStepPlot) {
    backButtons[0]->visible = backButtons[1]->visible = true;
    backRegions[0]->visible = backRegions[1]->visible = true;
    backRegions[2]->visible = false;
    LotDrag& drag = LotDragState();
    drag.startCell = drag.currentCell = 0;
    for (int32_t i = 0; i < 3; ++i) stepIcons[size_t(i)]->visible = true;
    plotPicking = true;
    plotFinished = false;
    return;
  }
  // The design step.
  floors = maxFloors = 1;
  quality = 0;
  fittingDesigns = designCodeCount = 1;
  preview = nullptr;
  block = CurrentInfoSelection().block;
  costCaption->Clear();
  floorsTitle->Clear();
  for (CIconButton* b : backButtons) b->visible = true;
  for (CIconButton* b : backRegions) b->visible = true;
  for (CIconButton* b : stepIcons) b->visible = true;
  floorsTitle->visible = costCaption->visible = costValue->visible = true;
  const bool landscape = buildType == kBuildLandscape;
  if (landscape) {
    costCaption->AddTextId(1523);
  } else {
    floorsBar->visible = designBar->visible = true;
    for (CIconButton* b : qualityButtons) b->visible = true;
    for (CTextRect* t : qualityLabels) t->visible = true;
    costCaption->AddTextId(1521);
    floorsTitle->AddTextId(1515);
    for (CTextRect* t : {floorsCaption, floorsValue, qualityCaption, designCaption, designValue, capacityLine})
      t->visible = true;
  }
  EnableButton(buildButton, true);
  PreparePlacement(true);
  UpdateCapacityText();
}

bool CConstructionPanel::FillUseList() {
  useList->Clear();
  useList->ClearSelection();
  int32_t lines = 0, lastUse = -1;
  const CBlock* b = GetBlock(CurrentInfoSelection().block);
  const CPlayer* owner = b ? b->GetOwner() : nullptr;
  const bool tutorial = InTutorial();
  const int32_t passes = buildType == kBuildBusiness ? 2 : 1;
  for (int32_t pass = 0; pass < passes; ++pass) {
    if (buildType == kBuildBusiness) {
      if (pass == 1) {
        useList->AddBlankLine();
        useList->SetLineValue(useList->LongerColumn() - 1, -1);
      }
      useList->AddHeadingId(pass == 0 ? 1526 : 1527);
      useList->SetLineValue(useList->LongerColumn() - 1, -1);
    }
    for (int32_t u : UsesInKeyOrder()) {
      const BusinessType& t = g_BusinessTypes[size_t(u)];
      if (!t.Available) continue;
      bool selectable = true;
      if (u == kTypeHotel) {
        if (buildType != kBuildResidential || !b || !owner ||
            !owner->OwnsDistrictSet(g_BlockDefs[size_t(b->DefIndex)].District))
          continue;
        selectable = !(tutorial && TutorialBuildRestriction().use == -1);
      } else {
        if (t.Kind != buildType) continue;
        if (buildType == kBuildBusiness && t.OpeningTime != (pass == 0 ? 9 : 18)) continue;
      }
      if (selectable) useList->AddTaggedLabelId(1, t.NameTextId);
      else useList->AddLabelId(t.NameTextId);
      useList->SetLastLabelStyle(9, 0, false);
      useList->SetLineValue(useList->LongerColumn() - 1, u);
      ++lines;
      lastUse = u;
    }
  }
  useTitle->Clear();
  useTitle->AddTextId(1522);
  if (lines == 1 && buildType != kBuildBusiness) {
    ResetPlot();
    useValue->Clear();
    useValue->AddTextId(g_BusinessTypes[size_t(lastUse)].NameTextId);
    use = lastUse;
    SetStep(kStepPlot);
    return false;
  }
  return true;
}

void CConstructionPanel::ResetPlot() {
  plotPicking = plotFinished = false;
  EnableButton(buildButton, false);
  floorsBar->visible = designBar->visible = false;
  for (CIconButton* b : qualityButtons) b->visible = false;
  typeList->ClearSelection();
  typeValue->visible = false;
  useList->ClearSelection();
  useScroll->value = 0;
  commodityList->Reset(6);
  for (int32_t i = 0; i < 6; ++i) commodityList->SetItemText(i, " ");
  plotSize->Clear();
  plotSize->AddText("0 x 0");
  SelectQuality(0);
  if (preview) {
    if (preview->Block) preview->Block->RemoveBuilding(preview->Id);
    preview = nullptr;
  }
}

void CConstructionPanel::SelectQuality(int32_t q) {
  for (int32_t i = 0; i < 3; ++i) {
    qualitySelected[size_t(i)] = i == q;
    CIconButton* b = qualityButtons[size_t(i)];
    b->imageNormal = b->currentImage = b->imageHover = i == q ? 174 : 175;
  }
}

void CConstructionPanel::PlotLimits(int32_t* smallest, int32_t* largest, int32_t* longest) const {
  const BusinessType* t = Use(use);
  if (!t) return;
  *smallest = t->MinArea;
  *largest = t->MaxArea;
  *longest = t->MaxSide;
}

int32_t CConstructionPanel::BlockIndex() const { return block >= 0 ? block : CurrentInfoSelection().block; }

int32_t CConstructionPanel::DesignCode() const {
  if (buildType == kBuildLandscape) return std::max(designIndex[size_t(quality)], 0) * 65536;
  const PrestigeTextureList& list = PrestigeTextureLists()[size_t(quality)];
  return ConstructionDesignCode(list.Textures, list.Count, designIndex[size_t(quality)]);
}

void CConstructionPanel::PreparePlacement(bool setScroll) {
  plotPicking = false;
  preview = nullptr;
  block = CurrentInfoSelection().block;
  const BusinessType* t = Use(use);
  if (t) {
    minFloors = std::max(1, t->MinHeight);
    maxFloors = std::max(minFloors, t->MaxHeight);
  } else {
    minFloors = maxFloors = 1;
  }
  floors = minFloors;
  floorsBar->maximum = float(maxFloors - minFloors);
  floorsBar->value = 0;
  floorsValue->Clear();
  floorsValue->AddTextIdArgs2(1519, minFloors + floorsBar->value, maxFloors);
  const LotDrag& drag = LotDragState();
  const int32_t r0 = drag.startCell / 7, c0 = drag.startCell % 7, r1 = drag.currentCell / 7, c1 = drag.currentCell % 7;
  firstRow = std::min(r0, r1), lastRow = std::max(r0, r1);
  firstColumn = std::min(c0, c1), lastColumn = std::max(c0, c1);
  quality = 0;
  const PrestigeTextureList& list = PrestigeTextureLists()[0];
  designCodeCount = buildType == kBuildLandscape ? 1 : std::max(list.Count, 1);
  RebuildPreview();
  floorsBar->value = 0;
  RefreshDesignCount(setScroll);
}

void CConstructionPanel::RefreshDesignCount(bool setScroll) {
  const PrestigeTextureList& list = PrestigeTextureLists()[size_t(quality)];
  designCodeCount = buildType == kBuildLandscape ? 1 : std::max(list.Count, 1);
  designTotal = designCodeCount * std::max(fittingDesigns, 1);
  // The first draw may give a design past the end: it is held to the bar.
  int32_t& d = designIndex[size_t(quality)];
  d = std::clamp(d, 0, designTotal - 1);
  designBar->maximum = float(designTotal - 1);
  designValue->Clear();
  designValue->AddTextIdArgs2(1519, d + 1, designTotal);
  if (setScroll) designBar->value = d;
}

void CConstructionPanel::RebuildPreview() {
  CBlock* b = GetBlock(BlockIndex());
  if (preview) {
    if (preview->Block) preview->Block->RemoveBuilding(preview->Id);
    preview = nullptr;
  }
  const CPlayer* local = Local();
  if (b && b->IsLotRegionFreeRect(firstColumn, firstRow, lastColumn, lastRow)) {
    CBuilding* spare = GetSpareBuilding();
    if (b->PlaceBuilding(spare, firstColumn, firstRow, lastColumn, lastRow, floors, DesignCode(), buildType,
                         uint8_t(quality), 0.0f)) {
      preview = spare;
      if (local) preview->SetOwner(uint8_t(local->index + 1));
      fittingDesigns = std::max(1, CountFittingDesigns(*preview));
    }
  }
  const int32_t units = (lastRow - firstRow + 1) * (lastColumn - firstColumn + 1) * floors;
  cost = float(EstimateBuildingCost(BlockIndex(), units, buildType, use, uint8_t(quality), local ? local->index : 0));
  costValue->Clear();
  costValue->AddText(FormatMoneyDecimal(cost));
}

void CConstructionPanel::UpdatePlotSizeText() {
  const LotDrag& drag = LotDragState();
  const int32_t r0 = drag.startCell / 7, c0 = drag.startCell % 7, r1 = drag.currentCell / 7, c1 = drag.currentCell % 7;
  plotSize->Clear();
  plotSize->AddText(std::to_string(std::abs(r1 - r0) + 1) + " x " + std::to_string(std::abs(c1 - c0) + 1));
}

void CConstructionPanel::UpdateCapacityText() {
  capacityLine->Clear();
  const BusinessType* t = Use(use);
  if (!t) return;
  int32_t units = (lastRow - firstRow + 1) * (lastColumn - firstColumn + 1);
  units *= floors == 0 ? std::max(1, t->MinHeight) : floors;
  if (buildType == kBuildBusiness) {
    capacityLine->AddTextIdArgs1(1524, GetSetupCostForArea(units, use));
  } else if (buildType == kBuildResidential) {
    capacityLine->AddTextIdArgs1(1525, int32_t(float(units) * t->Density + 0.999f));
  }
}

// ---- Ways out ---------------------------------------------------------------------------

void CConstructionPanel::BackToBlockPage() {
  CSelectionInfoPanel& info = HudPanels().selection;
  Close();
  info.blockPage.view = kBlockViewLists;
  info.Open();
  info.ShowPage(kInfoBlockPage);
}

void CConstructionPanel::BuildClicked() {
  FireTutorialEvent(97);
  CBlock* b = GetBlock(BlockIndex());
  if (ClosedToBuilding(b)) {
    BackToBlockPage();
    return;
  }
  CPlayer* local = Local();
  if (!local || !preview || !local->CanAfford(cost, true)) return;
  b->RemoveBuilding(preview->Id);
  preview = nullptr;
  local->PostConstructBuilding(b->Index, firstColumn, firstRow, lastColumn - firstColumn + 1, lastRow - firstRow + 1,
                               floors, DesignCode(), buildType, uint8_t(quality), int32_t(cost), use);
  built = true;
  BackToBlockPage();
}

bool CConstructionPanel::InTutorial() const { return ScenarioManager().IsTutorialRunning(); }

// ---- The panel's operations -------------------------------------------------------------

void CConstructionPanel::OnOpen() {
  CPanel* info = &HudPanels().selection;
  if (info->open) info->Close();
  built = false;
  ResetPlot();
  typeList->Reset(0);
  const CBlock* b = GetBlock(CurrentInfoSelection().block);
  const CPlayer* local = Local();
  int32_t items = 1;
  if (b && local && b->Owner == int32_t(local->index) + 1) items = UseAvailable("LANDSCAPE") ? 3 : 2;
  else if (UseAvailable("APARTMENTS")) items = 2;
  typeList->Reset(items);
  for (int32_t i = 0; i < items; ++i) {
    typeList->SetItemTextId(i, kTypeItems[i]);
    typeList->SetItemValue(i, i);
  }
  SetStep(kStepType);
  if (b) {
    const uint32_t c = b->DistrictColour;
    backingColours[2] = {c, c, Faded(c), Faded(c)};
    title->Clear();
    title->AddTextId(BlockTitleText(b->Index));
  }
}

void CConstructionPanel::OnClose() {
  plotPicking = plotFinished = false;
  if (!built && preview) {
    if (preview->Block) preview->Block->RemoveBuilding(preview->Id);
  }
  preview = nullptr;
}

void CConstructionPanel::Reset() {
  preview = nullptr;
  block = -1;
  plotPicking = plotFinished = false;
}

void CConstructionPanel::Update() {
  const CLayoutEntity* model = LayoutEntity();
  for (size_t row = 0; row < backings.size(); ++row) DrawPanelBacking(backings[row], backingColours[row], model);
}

void CConstructionPanel::DrawSelf() {
  const CLayoutEntity* model = LayoutEntity();
  title->Draw(model);
  const UIRect at = MovedRect(UIRect{35, 5, 35, 5, 0.5f}, nullptr);
  DrawImage2D(at.x1, at.y1, 20, 0.5f);
  for (CWidget* w = firstChild; w; w = w->nextSibling) {
    if (!w->visible || w == title) continue;
    if (auto* rich = dynamic_cast<CRichTextBase*>(w)) rich->Draw(model);
    else if (auto* text = dynamic_cast<CTextRect*>(w)) text->Draw(model);
  }
}

int32_t CConstructionPanel::OnEvent(int32_t type, int32_t a, int32_t index) {
  const CBlock* b = GetBlock(CurrentInfoSelection().block);
  const CPlayer* local = Local();
  if (!open) return 0;
  if (ClosedToBuilding(b) || (local && local->kind == kPlayerInactive)) {
    BackToBlockPage();
    return 0;
  }
  if (plotFinished) {
    for (int32_t q = 0; q < 3; ++q) {
      const PrestigeTextureList& list = PrestigeTextureLists()[size_t(q)];
      const uint32_t count = uint32_t(std::max(list.Count, 1));
      randomState = randomState * 214013u + 2531011u;
      designIndex[size_t(q)] = int32_t(((randomState >> 16) & 0x7FFFu) % (count + 1));
    }
    plotPicking = plotFinished = false;
    FireTutorialEvent(88);
    SetStep(kStepDesign);
  }
  if (step == kStepUse) {
    if (!useListTakesInput) return 0;
    const int32_t line = useList->GetLineUnderMouse();
    const int32_t value = useList->GetLineValue(line);
    if (line >= 0 && value != -1) {
      use = value;
      if (buildType == kBuildBusiness) {
        commodityList->Reset(6);
        const TypeCommodityList& list = g_TypeCommodities[size_t(std::clamp(use, 0, kBusinessTypeCount - 1))];
        for (int32_t i = 0; i < 6; ++i) {
          const int32_t c = list[size_t(i)].Commodity;
          if (i < g_BusinessTypes[size_t(use)].CommodityCount && c >= 0 && c < kCommodityCount)
            commodityList->SetItemTextId(i, g_Commodities[size_t(c)].NameTextId);
          else commodityList->SetItemText(i, " ");
        }
      }
    } else if (buildType == kBuildBusiness) {
      commodityList->Reset(6);
      for (int32_t i = 0; i < 6; ++i) commodityList->SetItemText(i, " ");
    }
  }
  if (step == kStepPlot) UpdatePlotSizeText();
  switch (type) {
    case kMsgRefresh:
      if (preview) {
        const int32_t units = (lastRow - firstRow + 1) * (lastColumn - firstColumn + 1) * floors;
        cost = float(EstimateBuildingCost(BlockIndex(), units, buildType, use, uint8_t(quality),
                                          local ? local->index : 0));
        costValue->Clear();
        costValue->AddText(FormatMoneyDecimal(cost));
      }
      break;
    case kNotifyClicked:
      if (a == stepIcons[0]->id || a == backButtons[0]->id || a == backRegions[0]->id) {
        ResetPlot();
        SetStep(kStepType);
      } else if (a == stepIcons[1]->id || a == backButtons[1]->id || a == backRegions[1]->id) {
        ResetPlot();
        SetStep(kStepUse);
      } else if (a == stepIcons[2]->id || a == backButtons[2]->id || a == backRegions[2]->id) {
        ResetPlot();
        SetStep(kStepPlot);
        FireTutorialEvent(89);
      } else if (a == buildButton->id) {
        BuildClicked();
      } else if (a == cancelButton->id) {
        BackToBlockPage();
      } else {
        for (int32_t q = 0; q < 3; ++q) {
          if (a != qualityButtons[size_t(q)]->id) continue;
          SelectQuality(q);
          quality = q;
          RefreshDesignCount(false);
          RebuildPreview();
          designBar->value = designIndex[size_t(q)];
        }
      }
      break;
    case kNotifyScrollPosition:
      if (a == floorsBar->id) {
        floorsValue->Clear();
        floorsValue->AddTextIdArgs2(1519, minFloors + index, maxFloors);
        if (floors - minFloors != index) {
          floors = minFloors + index;
          UpdatePlotSizeText();
          UpdateCapacityText();
          RebuildPreview();
        }
      } else if (a == designBar->id && index != designIndex[size_t(quality)]) {
        designIndex[size_t(quality)] = index;
        RebuildPreview();
        RefreshDesignCount(false);
      }
      break;
    case kNotifyLineChosen: {
      if (a != useList->id) break;
      const int32_t value = useList->GetLineValue(index);
      if (value == -1) break;
      FireTutorialEvent(87);
      const int32_t only = TutorialBuildRestriction().use;
      if (InTutorial() && only != -1 && only != kNoRestriction && only != index) break;
      useValue->Clear();
      useValue->AddTextId(g_BusinessTypes[size_t(value)].NameTextId);
      use = value;
      useListTakesInput = false;
      SetStep(kStepPlot);
      break;
    }
    case kNotifyListItem: {
      if (a != typeList->id || index < 0 || index > 2) break;
      const int32_t only = TutorialBuildRestriction().type;
      if (InTutorial() && only != -1 && only != index) break;
      typeValue->Clear();
      typeValue->AddTextId(kTypeValues[index]);
      buildType = index;
      FireTutorialEvent(86);
      SetStep(kStepUse);
      break;
    }
    default:
      break;
  }
  return 0;
}
