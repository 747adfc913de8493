#include "ui/scroll_bar.h"

#include <algorithm>

#include "ui/buttons.h"
#include "ui/cursors.h"
#include "ui/draw_2d.h"
#include "ui/layout_model.h"
#include "ui/list_box.h"
#include "ui/rich_text.h"
#include "ui/ui_services.h"

void CScrollBar::AttachText(CTextRect* text) { attachedText = text; }
// The text knows its bar too: the wheel over the text scrolls it, and a
// text scrolled by its owner moves the bar, whose value is applied again at
// its next event.
void CScrollBar::AttachRichText2(CRichTextRect2* rich) { attachedRich = rich, rich->scrollBar = this; }
void CScrollBar::AttachRichText3(CRichTextRect3* rich) { attachedRich = rich, rich->scrollBar = this; }
void CScrollBar::AttachListBox(CListBox* list) { attachedList = list; }

void CScrollBar::BuildArrows(float upX, float upY, float downX, float downY) {
  const int32_t upImage = vertical ? kScrollUpImage : kScrollLeftImage;
  const int32_t downImage = vertical ? kScrollDownImage : kScrollRightImage;
  const float w = float(UIImageWidth(upImage)), h = float(UIImageHeight(upImage));
  upArrow = CreateIconButton(0, upX, upY, upX + w, upY + h);
  downArrow = CreateIconButton(1, downX, downY, downX + w, downY + h);
  const int32_t mode = vertical ? kIconAutoRepeat : kIconFireOnRelease;
  upArrow->SetImages({upImage, upImage + 1, upImage + 2, upImage + 3});
  downArrow->SetImages({downImage, downImage + 1, downImage + 2, downImage + 3});
  upArrow->SetMode(mode);
  downArrow->SetMode(mode);
  if (track.y2 - track.y1 < 15.0f) {
    const float middle = (track.y1 + track.y2) / 2.0f;
    track.y1 = middle - 7.5f;
    track.y2 = middle + 7.5f;
  }
  SetRect(track.x1, track.y1, track.x2, track.y2);
}

void CScrollBar::SetValue(int32_t v) {
  value = v;
  UpdateThumb(v);
  if (parent) parent->OnEvent(kNotifyScrollPosition, id, value);
}

void CScrollBar::UpdateThumb(int32_t v) {
  const float slots = maximum + 1.0f, span = Span();
  thumbPos = span * (float(v) / slots) + span / slots * 0.5f;
}

int32_t CScrollBar::ValueFromMouse() {
  const CLayoutEntity* m = OwnerModel();
  const float mouse = vertical ? float(Ui().mouse.y) - (m ? m->y : 0.0f)
                               : float(Ui().mouse.x) - (m ? m->x : 0.0f);
  const float start = vertical ? track.y1 : track.x1;
  thumbPos = std::max(mouse, start) - start;
  const float span = Span();
  if (span <= 0.0f) return 0;
  const int32_t v = int32_t(thumbPos / span * (maximum + 1.0f));
  return std::min(v, int32_t(maximum));
}

void CScrollBar::ApplyValue() {
  value = std::clamp(value, 0, std::max(0, int32_t(maximum)));
  if (attachedText) attachedText->SetFirstLine(value);
  if (attachedList) attachedList->ScrollTo(value);
  if (attachedRich) attachedRich->ScrollTo(value);
  if (parent) parent->OnEvent(kNotifyScrollPosition, id, value);
}

void CScrollBar::UpdateRange() {
  if (attachedText) {
    maximum = float(attachedText->LineCount() - attachedText->visibleLines + 1);
  } else if (attachedRich) {
    maximum = float(attachedRich->LongerColumn() - attachedRich->left.visibleLines + 1);
  } else if (attachedList && attachedList->linesAdded >= attachedList->text.visibleLines) {
    maximum = float(attachedList->linesAdded - attachedList->text.visibleLines);
  }
  if (!active) {
    Disable();
  } else if (maximum <= 0.0f) {
    maximum = 0.0f;
    Disable();
  } else {
    Enable();
  }
}

void CScrollBar::SetShown(bool flag) {
  visible = active = flag;
  UpdateRange();
}

void CScrollBar::Disable() {
  inputDisabled = true;
  for (CIconButton* arrow : {upArrow, downArrow}) {
    if (arrow == nullptr) continue;
    arrow->inputDisabled = arrow->disabled = true;
    arrow->hovered = false;
  }
}

void CScrollBar::Enable() {
  inputDisabled = false;
  for (CIconButton* arrow : {upArrow, downArrow})
    if (arrow) arrow->inputDisabled = arrow->disabled = false;
}

bool CScrollBar::MouseOverArrow() const {
  for (const CIconButton* arrow : {upArrow, downArrow})
    if (arrow && IsMouseOverRect(arrow->Rect(), OwnerModel())) return true;
  return false;
}

bool CScrollBar::MouseOverAttached() const {
  const CWidget* w = attachedText ? static_cast<const CWidget*>(attachedText)
                     : attachedList ? static_cast<const CWidget*>(attachedList)
                                    : static_cast<const CWidget*>(attachedRich);
  return w != nullptr && IsMouseOverRect(w->Rect(), OwnerModel());
}

int32_t CScrollBar::OnEvent(int32_t type, int32_t a, int32_t b) {
  const int32_t last = std::max(0, int32_t(maximum));
  switch (type) {
    case kMsgLeftPressed:
      break;
    case kMsgLeftHeld:
      dragging = true;
      value = ValueFromMouse();
      break;
    case kMsgLeftReleased:
      dragging = false;
      ApplyValue();
      return 0;
    case kMsgWheelForward:
    case kMsgWheelBack:
      if (vertical) {
        value = type == kMsgWheelForward ? std::max(0, value - 1) : std::min(last, value + 1);
        UpdateThumb(value);
      }
      ApplyValue();
      return 0;
    case kMsgRefresh:
      UpdateRange();
      ApplyValue();
      return 0;
    case kNotifyClicked:
      if (MouseOverArrow()) {
        value = a == 1 ? std::min(last, value + 1) : std::max(0, value - 1);
        UpdateThumb(value);
      }
      break;
    default:
      ApplyValue();
      return 0;
  }
  if (MouseOverAttached() && parent) parent->OnEvent(type, a, b);
  ApplyValue();
  return 0;
}

bool CScrollBar::HitTest() {
  if (IsMouseOverRect(Rect(), OwnerModel())) {
    RequestCursor(kCursorHand, 1);
    return true;
  }
  if (attachedText && IsMouseOverRect(attachedText->Rect(), OwnerModel())) {
    RequestCursor(kCursorPointer, 1);
    return true;
  }
  return false;
}

void CScrollBar::Update() {
  UIRect r = MovedRect(track, OwnerModel());
  r.x2 -= 1.0f;
  if (vertical) {
    r.x1 += 2.0f, r.y1 -= 7.0f, r.y2 += 7.0f;
  } else {
    r.y1 += 1.0f, r.y2 -= 1.0f, r.x1 -= 5.0f, r.x2 += 7.0f;
  }
  DrawRect2DSolid(r, CanScroll() ? 0xCC183088u : 0xCC444444u, depth);
}

UIRect CScrollBar::ComputeThumb() {
  const float span = Span();
  const float L = std::max(5.0f, span / (maximum + 1.0f));
  if (vertical) {
    float top = std::max(thumbPos + track.y1 - L / 2.0f, track.y1);
    top = std::min(top, track.y2 - L);
    thumb = UIRect{track.x1 + 5.0f, top, track.x2 - 5.0f, top + L, 0.5f};
  } else {
    float left = std::max(track.x1 + thumbPos - L / 2.0f, track.x1);
    left = std::min(left, track.x2 - L);
    thumb = UIRect{left, track.y1 + 4.0f, left + L, track.y2 - 3.0f, 0.5f};
  }
  return thumb;
}

void CScrollBar::DrawSelf() {
  if (inputDisabled || maximum <= 0.0f) Disable();
  const UIRect t = MovedRect(ComputeThumb(), OwnerModel());
  const bool can = CanScroll();
  DrawRect2DSolid(t, can ? 0xFF1067CFu : 0xCC676767u, depth);
  uint32_t A = 0xFF90C0E0u, B = 0xFF104790u;
  if (!can) A = 0xB4505050u, B = 0xB4909090u;
  else if (dragging) A = 0xFF104790u, B = 0xFF90C0E0u;
  DrawBevel(t, A, B, depth);
}
