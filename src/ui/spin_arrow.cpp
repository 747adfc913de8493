#include "ui/spin_arrow.h"

#include <algorithm>

#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/layout_model.h"

// ---- CSpinArrow ---------------------------------------------------------------

void CSpinArrow::SetRect(float ax1, float ay1, float ax2, float ay2) {
  if (upArrow) upArrow->SetRect(ax2 - 10, ay1, ax2, ay2);
  if (downArrow) downArrow->SetRect(ax1, ay1, ax1 + 10, ay2);
}

void CSpinArrow::BuildArrows(const UIRect& up, const UIRect& down) {
  upArrow = CreateIconButton(0, up.x1, up.y1, up.x2, up.y2);
  downArrow = CreateIconButton(1, down.x1, down.y1, down.x2, down.y2);
  for (CIconButton* arrow : {upArrow, downArrow}) {
    arrow->SetMode(kIconAutoRepeat);
    arrow->depth = depth;
  }
  upArrow->SetImages({kSpinUpImage, kSpinUpImage + 1, kSpinUpImage + 2, kSpinUpImage + 3});
  downArrow->SetImages({kSpinDownImage, kSpinDownImage + 1, kSpinDownImage + 2, kSpinDownImage + 3});
}

int32_t CSpinArrow::OnEvent(int32_t type, int32_t a, int32_t) {
  changed = false;
  if (type != kNotifyClicked) return 0;
  if (a == 0) {
    value = std::min(value + step, maximum);
    // Back from the minimum: the down arrow is usable again.
    downArrow->inputDisabled = false;
    downArrow->SetImages({kSpinDownImage, kSpinDownImage + 1, kSpinDownImage + 2, kSpinDownImage + 3});
  } else if (a == 1) {
    value -= step;
    if (value <= minimum) {
      value = minimum;
      downArrow->inputDisabled = true;
      downArrow->SetImages({kSpinDownImage + 3, -1, -1, -1});
    }
  } else {
    return 0;
  }
  changed = true;
  if (parent) parent->OnEvent(kNotifySpinStepped, id, 0);
  return 0;
}

// ---- CSpinBox -----------------------------------------------------------------

void CSpinBox::SetRect(float ax1, float ay1, float ax2, float ay2) {
  CWidget::SetRect(ax1, ay1, ax2, ay2);
  text.SetRect(ax1, ay1, ax2, ay2);
}

void CSpinBox::Build() {
  choiceCount = 0;
  text.Attach(x1, y1, x2, y2, this, ownerPanel, 0);
  text.Clear();
}

void CSpinBox::SetChoiceCount(int32_t n) {
  choiceCount = n;
  current = 0;
  text.Clear();
  textureShown = false;
}

void CSpinBox::CreateArrows(const UIRect& next, const UIRect& previous) {
  nextArrow = CreateIconButton(100, next.x1, next.y1, next.x2, next.y2);
  previousArrow = CreateIconButton(200, previous.x1, previous.y1, previous.x2, previous.y2);
  nextArrow->SetImages({kSpinUpImage, kSpinUpImage + 1, kSpinUpImage + 2, kSpinUpImage + 3});
  previousArrow->SetImages({kSpinDownImage, kSpinDownImage + 1, kSpinDownImage + 2, kSpinDownImage + 3});
}

void CSpinBox::SetCurrent(int32_t i) {
  const int32_t old = current;
  current = i;
  if (i >= choiceCount) current = wrap ? 0 : choiceCount - 1;
  if (current < 0) current = wrap ? choiceCount - 1 : 0;
  if (current < 0) current = 0;  // no choices at all
  // The parent learns the index that holds, not the one asked for.
  if (current != old && parent) parent->OnEvent(kNotifySpinBoxChanged, id, current);
}

void CSpinBox::SetTexture(int32_t tex, const TexRect& coords) {
  texture = tex;
  textureRect = coords;
  textureShown = true;
}

int32_t CSpinBox::OnEvent(int32_t type, int32_t a, int32_t) {
  if (type != kNotifyClicked) return 0;
  if (a == 100) SetCurrent(current + 1);
  if (a == 200) SetCurrent(current - 1);
  return 0;
}

void CSpinBox::DrawSelf() {
  if (choiceCount == 0) return;
  const CLayoutEntity* m = OwnerModel();
  if (textureShown) DrawTexturedRectPart(MovedRect(Rect(), m), texture, textureRect, depth);
  text.Draw(m);
}
