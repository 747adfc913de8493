#include "ui/list_box.h"

#include <algorithm>
#include <cstdarg>

#include "ui/draw_2d.h"
#include "ui/layout_model.h"
#include "ui/scroll_bar.h"
#include "ui/ui_services.h"

void CListBox::SetRect(float ax1, float ay1, float ax2, float ay2) {
  CWidget::SetRect(ax1, ay1, ax2, ay2);
  text.SetRect(ax1 + 2, ay1 + 1, ax2 - 2, ay2 - 1);
  text.Layout();
  text.FitVisibleLines();
}

void CListBox::Build() {
  linesAdded = count = hoverLine = scrollPos = 0;
  scrollBar = nullptr;
  mouseInside = pressLatched = false;
  selected = -1;
  text.Attach(x1 + 2, y1 + 1, x2 - 2, y2 - 1, this, ownerPanel, 0);
  text.font = 3;
  text.lineSpacing = 2;
  text.SetAlignment(0, -1, kKeepAlignmentValue);
  text.Clear();
  text.Layout();
  text.FitVisibleLines();
}

void CListBox::Reset(int32_t n) {
  count = std::clamp(n, 0, kListBoxCapacity);
  selected = -1;
  linesAdded = 0;
  text.Clear();
  for (int32_t i = 0; i < count; ++i) {
    itemTextId[size_t(i)] = itemValue[size_t(i)] = itemImage[size_t(i)] = -1;
    itemSeparator[size_t(i)] = 0;
  }
}

void CListBox::LineAdded() {
  ++linesAdded;
  text.Layout();
  if (scrollBar && linesAdded > text.visibleLines)
    scrollBar->maximum = float(linesAdded - text.visibleLines);
}

void CListBox::SetItemTextId(int32_t index, int32_t textId) {
  if (!ValidItem(index)) return;
  itemTextId[size_t(index)] = textId;
  text.AddTextId(textId);
  LineAdded();
}

void CListBox::SetItemText(int32_t index, const char* format, ...) {
  if (!ValidItem(index)) return;
  va_list args;
  va_start(args, format);
  const std::string line = FormatUiTextV(0, format, args);
  va_end(args);
  text.AddText(line);
  LineAdded();
}

void CListBox::SetItemValue(int32_t index, int32_t v) {
  if (ValidItem(index)) itemValue[size_t(index)] = v;
}

int32_t CListBox::GetItemValue(int32_t index) const {
  return ValidItem(index) ? itemValue[size_t(index)] : -1;
}

void CListBox::SetItemImage(int32_t index, int32_t imageId) {
  if (ValidItem(index)) itemImage[size_t(index)] = imageId;
}

void CListBox::SetItemSeparator(int32_t index) {
  if (ValidItem(index)) itemSeparator[size_t(index)] = 1;
}

void CListBox::Select(int32_t index) {
  if (!ValidItem(index)) index = -1;
  if (index == -1) selected = -1;
  else if (itemValue[size_t(index)] != -1) selected = index;
  if (parent) parent->OnEvent(kNotifyListItem, id, index);
}

int32_t CListBox::GetSelectedTextId() const {
  return ValidItem(selected) ? itemTextId[size_t(selected)] : -1;
}

void CListBox::AttachScrollBar(CScrollBar* bar) {
  scrollBar = bar;
  if (bar) bar->maximum = 0.0f;
}

void CListBox::SetScrollMaximum(int32_t n) {
  if (scrollBar) scrollBar->maximum = float(n);
}

void CListBox::SetScrollBarValue(int32_t n) {
  if (scrollBar) scrollBar->SetValue(n);
}

void CListBox::ScrollTo(int32_t n) {
  text.SetFirstLine(n);
  scrollPos = n;
}

int32_t CListBox::MouseRow() const {
  const CLayoutEntity* m = OwnerModel();
  const float mx = float(Ui().mouse.x) - (m ? m->x : 0.0f);
  const float my = float(Ui().mouse.y) - (m ? m->y : 0.0f) - y1;
  if (mx < x1 || mx > x2 || text.lineHeight <= 0 || my < 0.0f) return -1;
  return int32_t(my) / text.lineHeight;
}

int32_t CListBox::OnEvent(int32_t type, int32_t a, int32_t b) {
  switch (type) {
    case kMsgMouseEntered:
      mouseInside = true;
      break;
    case kMsgMouseLeft:
      mouseInside = pressLatched = false;
      break;
    case kMsgLeftReleased:
      pressLatched = false;
      break;
    case kMsgLeftHeld: {
      if (pressLatched) break;
      // One selection per press: the first held message chooses.
      const int32_t row = MouseRow();
      if (HitTest() && row >= 0) {
        const int32_t line = row + text.firstLine;
        if (line < count) {
          if (itemValue[size_t(line)] != -1) selected = line;
          if (parent) parent->OnEvent(kNotifyListItem, id, line);
        }
      }
      pressLatched = true;
      break;
    }
    case kMsgWheelForward:
    case kMsgWheelBack:
      if (scrollBar) scrollBar->OnEvent(type, a, b);
      break;
    default:
      break;
  }
  return 0;
}

void CListBox::DrawSelf() {
  if (count == 0) return;
  text.SetFont(3);
  text.Layout();
  text.SetAllLinesColour(9);
  const int32_t visible = text.visibleLines, lines = text.LineCount(), h = text.lineHeight;
  if (scrollBar) scrollBar->maximum = float(linesAdded > visible ? lines - visible : 0);
  const int32_t F = std::max(0, std::min(text.firstLine, lines - visible));
  text.firstLine = F;
  const CLayoutEntity* m = OwnerModel();
  const float ox = m ? m->x : 0.0f, oy = m ? m->y : 0.0f;
  for (int32_t i = F; i < std::min(F + visible, count); ++i) {
    if (itemSeparator[size_t(i)]) {
      const float y = float((i - F + 1) * h) + oy + y1;
      DrawLine2D({x1 + ox, y, 2.5f, 0xFFE55F49u}, {x2 + ox, y, 2.5f, 0xFFE55F49u});
    }
    if (itemImage[size_t(i)] != -1)
      DrawImage2D(x1 + ox, float((i - F) * h) + y1 + oy, itemImage[size_t(i)], depth);
  }
  const int32_t R = MouseRow();
  auto row = [&](int32_t r) {
    return UIRect{x1 + ox, float(r * h + 2) + y1 + oy, x2 + ox, float((r + 1) * h + 2) + y1 + oy, depth};
  };
  const int32_t S = selected - F;
  if (selected >= 0 && S >= 0 && S < visible && S != R) DrawRect2DSolid(row(S), 0xFF288BE1u, depth);
  if (HitTest() && mouseInside && R >= 0 && R < visible && R + F < lines) {
    hoverLine = R + F;
    text.SetLineStyle(hoverLine, 0, 0, false);
    DrawRect2DSolid(row(R), PulseColour(0xFF6ED1E1u), depth);
  }
  text.Draw(m);
}
