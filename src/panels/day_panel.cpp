#include "panels/day_panel.h"

#include <string>

#include "panels/panel_drawing.h"
#include "ui/draw_2d.h"
#include "ui/text_rect.h"

namespace {

constexpr uint32_t kLabelGreen = 0xFF01762Fu;
constexpr uint32_t kBoxBlue = 0x80000D5Au;

CTextRect* MakeText(CPanel& panel, int32_t id, const UIRect& r, int32_t textId, int32_t alignment) {
  CTextRect* t = panel.CreateTextRect(id, r.x1, r.y1, r.x2, r.y2);
  t->SetFont(3);
  t->AddTextId(textId);
  t->SetAlignment(alignment, kKeepAlignmentValue, kKeepAlignmentValue);
  // Drawn by the panel itself, in its order.
  t->visible = false;
  return t;
}

}  // namespace

void CDayPanel::Build() {
  titleRect = ElementRect("DAY_TITLE_AREA");
  for (int32_t row = 0; row < kDayRows; ++row) {
    const std::string n = std::to_string(row + 1);
    labelRects[size_t(row)] = ElementRect("DAY_GREEN_AREA" + n);
    boxRects[size_t(row)] = ElementRect("DAY_TEXTBOX" + n);
    UIRect box = boxRects[size_t(row)];
    box.x1 += 3;
    box.x2 += 3;
    labels[size_t(row)] = MakeText(*this, 2 * row, labelRects[size_t(row)], 1491 + row, 3);
    boxes[size_t(row)] = MakeText(*this, 2 * row + 1, box, 1496 + row, 3);
  }
  title = MakeText(*this, 10, titleRect, 1501, 4);
}

void CDayPanel::OnOpen() { SetModelPosition(kOpenX, kOpenY); }

void CDayPanel::Update() {
  const CLayoutEntity* m = LayoutEntity();
  DrawBand(titleRect, m, kGreyTop, 0x80909090u, 0.5f);
  for (int32_t row = 0; row < kDayRows; ++row) {
    DrawRect2DSolid(MovedRect(labelRects[size_t(row)], m), kLabelGreen, 0.5f);
    DrawRect2DSolid(MovedRect(boxRects[size_t(row)], m), kBoxBlue, 0.5f);
  }
}

void CDayPanel::DrawSelf() {
  const CLayoutEntity* m = LayoutEntity();
  title->Draw(m);
  for (int32_t row = 0; row < kDayRows; ++row) {
    boxes[size_t(row)]->Draw(m);
    labels[size_t(row)]->Draw(m);
  }
}
