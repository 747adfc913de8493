#include "ui/choice_group.h"

#include <algorithm>
#include <cstdarg>

#include "ui/draw_2d.h"
#include "ui/layout_model.h"

// ---- CChoiceItem --------------------------------------------------------------

void CChoiceItem::SetRect(float ax1, float ay1, float ax2, float ay2) {
  CWidget::SetRect(ax1, ay1, ax2, ay2);
  FitHeight();
}

void CChoiceItem::Build() {
  labelTextId = 0;
  label.Attach(x1, y1, x2, y2, this, ownerPanel, 0);
  label.SetAlignment(4, 5, 2);
  label.Clear();
  selected = false;
}

void CChoiceItem::FitHeight() {
  label.SetRect(x1, y1, x2, y2);
  label.Layout();
  labelLines = std::max(1, label.LineCount()) + 1;
  y2 = y1 + float(label.lineHeight * labelLines);
  label.SetRect(x1, y1, x2, y2);
}

void CChoiceItem::SetLabelId(int32_t textId) {
  labelTextId = textId;
  label.Clear();
  label.AddTextId(textId);
  FitHeight();
}

void CChoiceItem::SetLabel(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatUiTextV(0, format, args);
  va_end(args);
  label.Clear();
  label.AddText(text);
  FitHeight();
}

int32_t CChoiceItem::OnEvent(int32_t type, int32_t a, int32_t) {
  if (type != kMsgLeftPressed) return 0;
  // Flipped before the parent hears of it, so a group's choice stands.
  selected = !selected;
  if (parent) parent->OnEvent(kNotifyChoiceItem, id, a);
  return 0;
}

void CChoiceItem::DrawSelf() {
  const CLayoutEntity* m = OwnerModel();
  if (selected) DrawRect2DSolid(MovedRect(Rect(), m), 0xFF7F0000u, depth);
  label.Draw(m);
}

// ---- CChoiceGroup -------------------------------------------------------------

void CChoiceGroup::SetRect(float ax1, float ay1, float ax2, float ay2) {
  CWidget::SetRect(ax1, ay1, ax2, ay2);
  LayOutItems();
}

void CChoiceGroup::LayOutItems() {
  const float h = y2 - y1;
  for (int32_t i = 0; i < itemCount; ++i)
    if (CChoiceItem* item = items[size_t(i)])
      item->SetRect(x1, y1 + h * float(i) * 0.1f, x2, y1 + h * float(i + 1) * 0.1f);
}

void CChoiceGroup::Build() {
  selectedIndex = itemCount = 0;
  for (int32_t i = 0; i < kChoiceGroupCapacity; ++i) {
    items[size_t(i)] = CreateChoiceItem(i, 0, 0, 0, 0, depth);
    items[size_t(i)]->visible = false;
  }
}

void CChoiceGroup::SetItemCount(int32_t n) {
  n = std::clamp(n, 0, kChoiceGroupCapacity);
  for (CChoiceItem* item : items) {
    item->SetRect(0, 0, 0, 0);
    item->visible = false;
    item->selected = false;
  }
  selectedIndex = 0;
  itemCount = n;
  for (int32_t i = 0; i < n; ++i) {
    items[size_t(i)]->visible = true;
    items[size_t(i)]->SetLabel("TEMP:");
  }
  LayOutItems();
  if (n > 0) items[0]->selected = true;
}

void CChoiceGroup::SetItemLabelId(int32_t index, int32_t textId) {
  if (index >= 0 && index < itemCount) items[size_t(index)]->SetLabelId(textId);
  LayOutItems();
}

void CChoiceGroup::SetItemLabel(int32_t index, const char* text) {
  if (index >= 0 && index < itemCount) items[size_t(index)]->SetLabel("%s", text);
  LayOutItems();
}

void CChoiceGroup::Choose(int32_t index) {
  if (index < 0 || index >= itemCount) return;
  for (CChoiceItem* item : items) item->selected = false;
  items[size_t(index)]->selected = true;
  selectedIndex = index;
}

// An item tells its group 13 with its id when pressed; the group answers
// both that and 12 with an index, so the selection stays exclusive.
int32_t CChoiceGroup::OnEvent(int32_t type, int32_t a, int32_t) {
  if (type == kNotifyChoiceItem || type == kNotifyClicked) Choose(a);
  return 0;
}

// ---- CPicture -----------------------------------------------------------------

void CPicture::DrawSelf() {
  if (texture != -1) DrawTexturedRect(MovedRect(Rect(), OwnerModel()), texture, depth);
}
