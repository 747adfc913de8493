#include "ui/widget.h"

#include <algorithm>
#include <cstring>

#include "ui/cursors.h"
#include "ui/draw_2d.h"
#include "ui/layout_model.h"
#include "ui/panel.h"
#include "ui/text_rect.h"
#include "ui/ui_services.h"

CWidget::~CWidget() = default;

void CWidget::SetRect(float ax1, float ay1, float ax2, float ay2) {
  x1 = ax1, y1 = ay1, x2 = ax2, y2 = ay2;
}

void CWidget::DrawTree() {
  for (CWidget* w = this; w != nullptr; w = w->nextSibling) {
    if (!w->visible) continue;
    w->Update();
    if (w->visible && w->firstChild) w->firstChild->DrawTree();
    if (w->visible) w->DrawSelf();
  }
}

int32_t CWidget::HandleMessage(int32_t type, int32_t a, int32_t b) {
  if (type == kMsgMouseEntered) RequestCursor(cursorId, 1);
  if (type == kMsgMouseLeft) RequestCursor(kCursorPointer, 1);
  return OnEvent(type, a, b);
}

bool CWidget::HitTest() { return IsMouseOverRect(Rect(), OwnerModel()); }

CWidget* CWidget::PickWidget() {
  for (CWidget* w = this; w != nullptr; w = w->nextSibling) {
    if (!w->visible) continue;
    if (w->firstChild)
      if (CWidget* hit = w->firstChild->PickWidget()) return hit;
    if (w->visible && !w->inputDisabled && w->HitTest()) return w;
  }
  return nullptr;
}

void CWidget::AppendChild(CWidget* child) {
  if (firstChild == nullptr) {
    firstChild = child;
    return;
  }
  CWidget* last = firstChild;
  while (last->nextSibling) last = last->nextSibling;
  last->nextSibling = child;
}

void CWidget::Attach(float ax1, float ay1, float ax2, float ay2, CWidget* p, CPanel* owner,
                     int32_t newId) {
  SetRect(ax1, ay1, ax2, ay2);
  parent = p;
  ownerPanel = owner;
  Build();
  id = newId;
}

void CWidget::SetTooltipString(std::string_view text) {
  const size_t n = std::min(text.size(), kTooltipCapacity);
  std::memcpy(tooltipString, text.data(), n);
  tooltipString[n] = '\0';
  hasTooltipString = true;
}

void CWidget::SetInputDisabledTree(bool flag) {
  for (CWidget* w = this; w != nullptr; w = w->nextSibling) {
    w->inputDisabled = flag;
    if (w->firstChild) w->firstChild->SetInputDisabledTree(flag);
  }
}

void CWidget::BroadcastMessage(int32_t type, int32_t a, int32_t b) {
  for (CWidget* w = this; w != nullptr; w = w->nextSibling) {
    if (!w->visible) continue;
    if (w->firstChild) w->firstChild->BroadcastMessage(type, a, b);
    if (w->visible) w->HandleMessage(type, a, b);
  }
}

void CWidget::DeleteTree() {
  firstChild = nullptr;
  owned_.clear();
}

CPanel* CWidget::OwnerForChildren() { return ownerPanel ? ownerPanel : AsPanel(); }

CTextRect* CWidget::CreateTextRect(int32_t newId, float ax1, float ay1, float ax2, float ay2) {
  CTextRect* t = Adopt(std::make_unique<CTextRect>(), newId, ax1, ay1, ax2, ay2);
  t->Clear();
  return t;
}

const CLayoutEntity* CWidget::OwnerModel() const {
  return ownerPanel ? ownerPanel->LayoutEntity() : nullptr;
}

bool CWidget::IsOwnedBy(const CPanel* panel) const {
  return panel != nullptr && (this == static_cast<const CWidget*>(panel) || ownerPanel == panel);
}

bool IsMouseOverRect(const UIRect& r, const CLayoutEntity* model) {
  const UiMouse& m = Ui().mouse;
  if (model == nullptr || m.right) return false;
  const float x = float(m.x) - model->x, y = float(m.y) - model->y;
  return x > r.x1 && x < r.x2 && y >= r.y1 && y <= r.y2;
}

void DrawFilledRectAt(const UIRect& r, const CLayoutEntity* model) {
  const float ox = model ? model->x : 0.0f, oy = model ? model->y : 0.0f;
  const UIRect moved{r.x1 + ox, r.y1 + oy, r.x2 + ox, r.y2 + oy, r.depth};
  DrawRect2DSolid(moved, 0xFF000000u, r.depth);
  const uint32_t black = 0xFF000000u;
  const LinePoint2D c[5] = {{moved.x1, moved.y1, r.depth, black}, {moved.x2, moved.y1, r.depth, black},
                            {moved.x2, moved.y2, r.depth, black}, {moved.x1, moved.y2, r.depth, black},
                            {moved.x1, moved.y1, r.depth, black}};
  for (int i = 0; i < 4; ++i) DrawLine2D(c[i], c[i + 1]);
}
