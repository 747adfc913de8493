#include "ui/hover_info.h"

#include <algorithm>

#include "engine/scene/entity.h"
#include "ui/draw_2d.h"
#include "ui/game_panels.h"
#include "ui/glyph_batcher.h"
#include "ui/layout_model.h"
#include "ui/ui_services.h"

namespace {

constexpr int32_t kImmediateFrames = 30;
constexpr float kHoverWrapWidth = 150.0f;

int32_t FixedKindText(int32_t kind) {
  switch (kind) {
    case kHoverVehicle: return kHoverVehicleText;
    case kHoverSubway: return kHoverSubwayText;
    case kHoverParking: return kHoverParkingText;
    case kHoverBuilding: return kHoverBuildingText;
    case kHoverPlayerIcon: return kHoverPlayerIconText;
    default: return 0;
  }
}

}  // namespace

CHoverInfo& HoverInfo() {
  static CHoverInfo info;
  return info;
}

CHoverInfo::CHoverInfo() {
  text.SetRect(0.0f, 0.0f, kHoverWrapWidth, 480.0f);
  text.lineSpacing = 2;
}

void CHoverInfo::Reset() {
  shown = false;
  hoverFrames = 0;
  pickedObject = nullptr;
  tooltipWidget = nullptr;
  pickedBuilding = -1;
  text.Clear();
}

void CHoverInfo::AddPickedText() {
  if (pickedBuilding >= 0) {
    int32_t type = 0, owner = 0;
    if (world_ == nullptr || !world_->BuildingBusiness(pickedBuilding, &type, &owner)) return;
    if (owner == 0) {
      text.AddTextIdArgs2(kHoverCityBusinessText, kHoverCityNameText, type);
    } else {
      const std::string name = world_->PlayerName(owner);
      text.AddTextIdArgs2(kHoverPlayerBusinessText, name, type);
    }
    return;
  }
  const int32_t kind = pickedObject->objectKind;
  if (kind == kHoverPerson || kind == kHoverPerson2) {
    int32_t first = 0, last = 0;
    if (world_ && world_->PersonNameTexts(pickedObject->index, &first, &last))
      text.AddTextF("%u %u", first, last);
  } else if (kind == kHoverBlock) {
    if (world_) text.AddText(world_->BlockName(pickedObject->index));
  } else if (const int32_t id = FixedKindText(kind)) {
    text.AddTextId(id);
  }
}

void CHoverInfo::Rebuild() {
  hoverFrames = 0;
  text.Clear();
  if (tooltipWidget) {
    // A widget's own string is shown as it is, never read as a format.
    if (tooltipWidget->hasTooltipString)
      text.AddText(tooltipWidget->tooltipString);
    else
      text.AddTextId(tooltipWidget->tooltipTextId);
  } else if (pickedObject) {
    AddPickedText();
  } else {
    shown = false;
  }
  text.ComputeExtent();
}

void CHoverInfo::SetPickedObject(const CEntity* entity, int32_t building, bool immediate) {
  if (entity == pickedObject && building == pickedBuilding) return;
  pickedObject = entity;
  pickedBuilding = building;
  shown = true;
  tooltipWidget = nullptr;
  Rebuild();
  if (immediate) hoverFrames = kImmediateFrames;
}

void CHoverInfo::ClearPickedObject() {
  // The pick task clears ten times a second while nothing in the city is
  // hovered: rebuilding then would restart a widget tooltip's wait for ever.
  if (pickedObject == nullptr && pickedBuilding == -1) return;
  pickedObject = nullptr;
  pickedBuilding = -1;
  if (tooltipWidget == nullptr) shown = false;
  Rebuild();
}

void CHoverInfo::SetWidgetTooltip(CWidget* widget, bool immediate) {
  if (widget == tooltipWidget && !immediate) return;
  if (widget && (widget->tooltipTextId != 0 || (widget->hasTooltipString && widget->tooltipString[0]))) {
    tooltipWidget = widget;
    shown = true;
  } else {
    tooltipWidget = nullptr;
    shown = false;
  }
  Rebuild();
  if (immediate) hoverFrames = kImmediateFrames;
}

void CHoverInfo::ClearWidgetTooltip() {
  if (tooltipWidget == nullptr) return;
  tooltipWidget = nullptr;
  if (pickedObject == nullptr) shown = false;
  Rebuild();
}

void CHoverInfo::SetTextId(int32_t textId) {
  if (tooltipWidget) tooltipWidget->tooltipTextId = textId;
  Rebuild();
}

UIRect CHoverInfo::BoxRect() {
  const float w = text.extent.x2 - text.extent.x1 + 20.0f;
  const float h = text.extent.y2 - text.extent.y1 + 4.0f;
  const float mx = float(Ui().mouse.x), my = float(Ui().mouse.y);
  // Right of the mouse at the screen's left edge, left of it at the right.
  float x = std::max(0.0f, mx - mx / 640.0f * w);
  if (x + w >= 640.0f) x = 640.0f - w;
  float y = std::max(0.0f, my + 33.0f);
  if (y + h >= 480.0f) y = 480.0f - h;
  UIRect box = SetUIRectXYWH(x, y, w, h);
  // A name in the city is read beside the panels, not across their controls
  // (a control's own tooltip belongs over its panel).
  if (tooltipWidget == nullptr) box = KeptOffPanels(box, mx);
  return box;
}

UIRect CHoverInfo::KeptOffPanels(UIRect box, float mouseX) {
  const CGamePanelManager& set = GamePanels();
  if (!set.shown) return box;
  const float w = box.x2 - box.x1;
  for (const CPanel* p : set.Panels()) {
    if (!p->open || p->noModel) continue;
    const UIRect r = MovedRect(p->bounds, p->LayoutEntity());
    if (box.x1 >= r.x2 || r.x1 >= box.x2 || box.y1 >= r.y2 || r.y1 >= box.y2) continue;
    // To the side of the panel the mouse is on, as far as the screen allows.
    const float x = mouseX < (r.x1 + r.x2) / 2 ? std::max(0.0f, r.x1 - w) : std::min(r.x2, 640.0f - w);
    box.x1 = x;
    box.x2 = x + w;
  }
  return box;
}

void CHoverInfo::Draw() {
  if (!shown || hoverFrames <= kHoverShowAfterFrames) return;
  if (text.extentDirty) text.ComputeExtent();
  const UIRect box = BoxRect();
  DrawRect2DSolid(box, kHoverBoxColour, 0.5f);
  CLayoutEntity origin;
  origin.x = box.x1 + 10.0f;
  origin.y = box.y1 + 2.0f - text.extent.y1;
  text.Draw(&origin);
  FlushGlyphBatches();
}

void CDebugTextLines::Build() {
  for (CTextRect& line : lines) line.Clear();
  flag = 0;
}

void PlaceTextBox(CTextRect& text, float x, float y, float width, int32_t textId) {
  text.SetRect(x, y, x + width, y + 480.0f);
  text.Clear();
  text.AddTextId(textId);
  text.ComputeExtent();
}
