#include "ui/widget.h"

#include <algorithm>
#include <cstring>

#include "ui/buttons.h"
#include "ui/choice_group.h"
#include "ui/cursors.h"
#include "ui/draw_2d.h"
#include "ui/drop_down.h"
#include "ui/edit_box.h"
#include "ui/layout_model.h"
#include "ui/list_box.h"
#include "ui/panel.h"
#include "ui/rich_text.h"
#include "ui/scroll_bar.h"
#include "ui/spin_arrow.h"
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

CRichTextRect2* CWidget::CreateRichTextRect2(int32_t newId, float ax1, float ay1, float ax2, float ay2) {
  return Adopt(std::make_unique<CRichTextRect2>(), newId, ax1, ay1, ax2, ay2);
}

CRichTextRect3* CWidget::CreateRichTextRect3(int32_t newId, float ax1, float ay1, float ax2, float ay2) {
  return Adopt(std::make_unique<CRichTextRect3>(), newId, ax1, ay1, ax2, ay2);
}

CRichTextLink* CWidget::CreateRichTextLink(int32_t newId, float ax1, float ay1, float ax2, float ay2) {
  return Adopt(std::make_unique<CRichTextLink>(), newId, ax1, ay1, ax2, ay2);
}

CIconButton* CWidget::CreateIconButton(int32_t newId, float ax1, float ay1, float ax2, float ay2) {
  return Adopt(std::make_unique<CIconButton>(), newId, ax1, ay1, ax2, ay2);
}

CButton* CWidget::CreateButton(int32_t newId, float ax1, float ay1, float ax2, float ay2) {
  return Adopt(std::make_unique<CButton>(), newId, ax1, ay1, ax2, ay2);
}

CRadioButton* CWidget::CreateRadioButton(int32_t newId, float ax1, float ay1, float ax2, float ay2) {
  return Adopt(std::make_unique<CRadioButton>(), newId, ax1, ay1, ax2, ay2);
}

CDropDown* CWidget::CreateDropDown(int32_t newId, float ax1, float ay1, float ax2, float ay2,
                                   const UIRect& shown) {
  CDropDown* d = Adopt(std::make_unique<CDropDown>(), newId, ax1, ay1, ax2, ay2);
  d->shown.SetRect(shown.x1, shown.y1, shown.x2, shown.y2);
  d->shown.depth = shown.depth;
  d->shown.Clear();
  d->shown.AddText("Default String");
  d->shown.visibleLines = 1;
  return d;
}

CEditBox* CWidget::CreateEditBox(int32_t newId, float ax1, float ay1, float ax2, float ay2) {
  CEditBox* e = Adopt(std::make_unique<CEditBox>(), newId, ax1, ay1, ax2, ay2);
  e->text.Attach(ax1, ay1, ax2, ay2, e, e->ownerPanel, 0);
  e->text.Clear();
  e->widthLimit = e->maxLength = -1;
  e->caretColour = 0xFFFFFFFFu;
  e->clickable = false;
  return e;
}

CScrollBar* CWidget::CreateScrollBar(int32_t newId, float x, float y, float length, bool vertical) {
  const int32_t image = vertical ? kScrollUpImage : kScrollLeftImage;
  const float w = float(UIImageWidth(image)), h = float(UIImageHeight(image));
  auto bar = std::make_unique<CScrollBar>();
  bar->vertical = vertical;
  // The track lies between the arrows, 2 units from each.
  bar->track = vertical ? UIRect{x, y + h + 2, x + w, y + length - h - 2, 0.5f}
                        : UIRect{x + w + 2, y, x + length - w - 2, y + h, 0.5f};
  const UIRect t = bar->track;
  CScrollBar* b = Adopt(std::move(bar), newId, t.x1, t.y1, t.x2, t.y2);
  if (vertical) b->BuildArrows(x, y, x, y + length - h);
  else b->BuildArrows(x, y, x + length - w, y);
  return b;
}

CSpinArrow* CWidget::CreateSpinArrow(int32_t newId, float x, float y, float width) {
  const float W = float(UIImageWidth(kSpinDownImage)), H = float(UIImageHeight(kSpinDownImage));
  CSpinArrow* s = Adopt(std::make_unique<CSpinArrow>(), newId, x, y, x + width, y + H);
  s->x1 = x, s->y1 = y, s->x2 = x + width, s->y2 = y + H;
  s->BuildArrows(UIRect{x + width - W, y, x + width, y + H, s->depth}, UIRect{x, y, x + W, y + H, s->depth});
  return s;
}

CChoiceItem* CWidget::CreateChoiceItem(int32_t newId, float ax1, float ay1, float ax2, float ay2, float d) {
  return AdoptWithDepth(std::make_unique<CChoiceItem>(), newId, ax1, ay1, ax2, ay2, d);
}

CChoiceGroup* CWidget::CreateChoiceGroup(int32_t newId, float ax1, float ay1, float ax2, float ay2, float d) {
  return AdoptWithDepth(std::make_unique<CChoiceGroup>(), newId, ax1, ay1, ax2, ay2, d);
}

CListBox* CWidget::CreateListBox(int32_t newId, float ax1, float ay1, float ax2, float ay2, float d) {
  return AdoptWithDepth(std::make_unique<CListBox>(), newId, ax1, ay1, ax2, ay2, d);
}

CSpinBox* CWidget::CreateSpinBox(int32_t newId, float ax1, float ay1, float ax2, float ay2, float d) {
  return AdoptWithDepth(std::make_unique<CSpinBox>(), newId, ax1, ay1, ax2, ay2, d);
}

CPicture* CWidget::CreatePicture(int32_t newId, float ax1, float ay1, float ax2, float ay2, float d) {
  return AdoptWithDepth(std::make_unique<CPicture>(), newId, ax1, ay1, ax2, ay2, d);
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

UIRect MovedRect(const UIRect& r, const CLayoutEntity* model) {
  const float ox = model ? model->x : 0.0f, oy = model ? model->y : 0.0f;
  return UIRect{r.x1 + ox, r.y1 + oy, r.x2 + ox, r.y2 + oy, r.depth};
}

void DrawFilledRectAt(const UIRect& r, const CLayoutEntity* model) {
  const UIRect moved = MovedRect(r, model);
  DrawRect2DSolid(moved, 0xFF000000u, r.depth);
  const uint32_t black = 0xFF000000u;
  const LinePoint2D c[5] = {{moved.x1, moved.y1, r.depth, black}, {moved.x2, moved.y1, r.depth, black},
                            {moved.x2, moved.y2, r.depth, black}, {moved.x1, moved.y2, r.depth, black},
                            {moved.x1, moved.y1, r.depth, black}};
  for (int i = 0; i < 4; ++i) DrawLine2D(c[i], c[i + 1]);
}
