#include "ui/drop_down.h"

#include <cstdarg>

#include "ui/buttons.h"
#include "ui/cursors.h"
#include "ui/draw_2d.h"
#include "ui/layout_model.h"
#include "ui/ui_services.h"

void CDropDown::Build() {
  count = selected = hoverItem = 0;
  button = CreateIconButton(0, x1, y1, x2, y2);
  open = disabled = false;
  shown.Attach(x1, y1, x2, y2, this, ownerPanel, 0);
  list.Attach(x1, y2, x2, y2, this, ownerPanel, 0);
  list.depth = 0.2f;
  list.font = 0;
  shown.Clear();
  list.Clear();
  shown.visibleLines = 1;
}

int32_t CDropDown::AddItem(void* data, const char* format, ...) {
  if (count >= kDropDownCapacity) return 0;
  va_list args;
  va_start(args, format);
  const std::string line = FormatUiTextV(0, format, args);
  va_end(args);
  list.AddText(line);
  itemData[size_t(count++)] = data;
  shown.Layout();
  const float H = float(shown.lineHeight);
  const float top = shown.y1 + H + 2.0f;
  list.SetRect(shown.x1, top, shown.x2, top + H * float(count));
  list.visibleLines = count;
  return 1;
}

void CDropDown::Select(int32_t index) {
  if (index < 0 || index >= count) return;
  selected = index;
  shown.ShowLineOf(list, index);
  if (parent) parent->OnEvent(kNotifyDropDownChoice, id, index);
}

void CDropDown::Clear() {
  shown.Clear();
  list.Clear();
  count = selected = 0;
}

bool CDropDown::MouseOverList() const { return IsMouseOverRect(list.Rect(), OwnerModel()); }

int32_t CDropDown::ItemUnderMouse() const {
  const CLayoutEntity* m = OwnerModel();
  if (list.lineHeight <= 0) return -1;
  const float y = float(Ui().mouse.y) - ((m ? m->y : 0.0f) + list.y1);
  return y < 0.0f ? -1 : int32_t(y) / list.lineHeight;
}

bool CDropDown::HitTest() {
  const bool over = IsMouseOverRect(Rect(), OwnerModel()) || (open && MouseOverList());
  if (over) RequestCursor(kCursorHand, 1);
  return over;
}

int32_t CDropDown::OnEvent(int32_t type, int32_t, int32_t) {
  if (type == kMsgMouseLeft) {
    open = false;
  } else if (type == kMsgLeftPressed) {
    if (!MouseOverList()) {
      open = false;
    } else if (!disabled && open) {
      const int32_t item = ItemUnderMouse();
      // A press below the last item chooses nothing and leaves the list open.
      if (item >= 0 && item < count) {
        Select(item);
        open = false;
      }
    }
  } else if (type == kNotifyClicked && !disabled) {
    if (open) {
      open = false;
    } else {
      if (parent) parent->OnEvent(kNotifyDropDownChoice, id, -1);
      open = true;
    }
  }
  return 0;
}

void CDropDown::DrawSelf() {
  const CLayoutEntity* m = OwnerModel();
  shown.Draw(m);
  if (!open) return;
  DrawFilledRectAt(list.Rect(), m);
  list.Layout();
  for (int32_t i = 0; i < count; ++i) list.SetLineStyle(i, 7, 7, false);
  const int32_t item = ItemUnderMouse();
  if (item >= 0 && item < count) hoverItem = item;
  if (count > 0 && MouseOverList()) {
    const float ox = m ? m->x : 0.0f, oy = m ? m->y : 0.0f;
    const float top = list.y1 + float(hoverItem * list.lineHeight) + oy;
    DrawRect2DSolid(UIRect{list.x1 + 1 + ox, top, list.x2 + 1 + ox, top + float(list.lineHeight), depth - 0.3f},
                    0xFF7F0000u, depth - 0.3f);
    list.SetLineStyle(hoverItem, 0, 0, false);
  }
  list.Draw(m);
}
