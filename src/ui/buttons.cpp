#include "ui/buttons.h"

#include <algorithm>
#include <string>

#include "ui/cursors.h"
#include "ui/draw_2d.h"
#include "ui/layout_model.h"
#include "ui/ui_services.h"

namespace {

uint32_t Argb(int32_t r, int32_t g, int32_t b, int32_t shift) {
  auto c = [shift](int32_t v) { return uint32_t(std::clamp(v + shift, 0, 255)); };
  return 0xFF000000u | c(r) << 16 | c(g) << 8 | c(b);
}

// The hand over a widget's rect, the pointer elsewhere.
bool HandOverRect(const CWidget& w) {
  const bool over = IsMouseOverRect(w.Rect(), w.OwnerModel());
  RequestCursor(over ? kCursorHand : kCursorPointer, 1);
  return over;
}

}  // namespace

// ---- CButton ------------------------------------------------------------------

void CButton::Build() {
  on = true;
  disabled = pressed = fired = firedBefore = hovered = false;
}

// Drawn where it is hit: moved by the panel's position like every widget.
void CButton::DrawSelf() {
  DrawTexturedRect(MovedRect(Rect(), OwnerModel()), UIImageTexture(on ? imageOn : imageOff), 0.5f);
}

bool CButton::HitTest() { return HandOverRect(*this); }

int32_t CButton::OnEvent(int32_t type, int32_t a, int32_t) {
  firedBefore = fired;
  fired = false;
  if (disabled || type == kMsgRefresh) return 0;
  if (type == kMsgLeftPressed || type == kMsgLeftHeld) {
    if (!pressed) {
      PlayUiClick();
      fired = true;
      on = !on;
    }
    pressed = true;
  } else {
    pressed = false;
  }
  if (type == kMsgMouseLeft) {
    hovered = pressed = false;
    if (parent) parent->OnEvent(kNotifyToggleLeft, id, 0);
    return 0;
  }
  if (type == kMsgMouseEntered) {
    hovered = true;
    if (parent) parent->OnEvent(kNotifyToggleEntered, id, 0);
    return 0;
  }
  if (fired && parent) parent->OnEvent(kNotifyToggleFlipped, id, a);
  return 0;
}

// ---- CRadioButton -------------------------------------------------------------

void CRadioButton::Build() {
  CButton::Build();
  on = false;
  sibling1 = sibling2 = nullptr;
}

void CRadioButton::ReleaseSiblings() {
  if (sibling1) sibling1->on = false;
  if (sibling2) sibling2->on = false;
}

int32_t CRadioButton::OnEvent(int32_t type, int32_t a, int32_t) {
  firedBefore = fired;
  fired = false;
  if (disabled || type == kMsgRefresh) return 0;
  if (type == kMsgLeftPressed || type == kMsgLeftHeld) {
    if (hovered && !pressed) {
      PlayUiClick();
      on = true;
      ReleaseSiblings();
      fired = pressed = true;
    }
  } else if (type == kMsgLeftReleased) {
    // A release also forgets the hover: a new press needs a new entry.
    fired = pressed = hovered = false;
    return 0;
  } else {
    pressed = false;
  }
  if (type == kMsgMouseLeft) {
    hovered = false;
    if (parent) parent->OnEvent(kNotifyRadioLeft, id, 0);
    return 0;
  }
  if (type == kMsgMouseEntered) {
    hovered = true;
    if (parent) parent->OnEvent(kNotifyRadioEntered, id, 0);
    return 0;
  }
  if (fired && parent) parent->OnEvent(kNotifyRadioOn, id, a);
  return 0;
}

// ---- CIconButton --------------------------------------------------------------

void CIconButton::SetRect(float ax1, float ay1, float ax2, float ay2) {
  CWidget::SetRect(ax1, ay1, ax2, ay2);
  label.SetRect(ax1, ay1, ax2, ay2);
}

void CIconButton::Build() {
  mode = kIconFireOnPress;
  label.Attach(x1, y1, x2, y2, this, ownerPanel, 0);
  label.Clear();
  labelTextId = 0;
  imageNormal = imagePressed = imageDisabled = imageHover = imageToggled = currentImage = -1;
  overlayRect = UIRect{};
  overlayImage = -1;
  pressed = fire = firedBefore = disabled = pressStarted = hovered = toggled = false;
  isToggle = 0;
  switchOnOnly = false;
  repeatCount = dragX = dragY = 0;
  tinted = false;
  tintBase = tintLight = tintDark2 = tintHover = tintDark = 0;
}

int32_t CIconButton::SetMode(int32_t newMode) {
  const int32_t old = mode;
  mode = newMode;
  repeatCount = 0;
  return old;
}

void CIconButton::ResetLabel() {
  label.Clear();
  label.visibleLines = std::max(1, label.visibleLines);
}

void CIconButton::SetLabelId(int32_t textId) {
  ResetLabel();
  label.AddTextId(textId);
  label.SetAllLinesColour(0);
  labelTextId = textId;
}

void CIconButton::SetLabel(std::string_view text) {
  ResetLabel();
  label.AddText(text);
  label.SetAllLinesColour(0);
}

void CIconButton::SetTint(int32_t r, int32_t g, int32_t b) {
  tinted = true;
  tintBase = Argb(r, g, b, 0);
  tintLight = tintHover = Argb(r, g, b, 32);
  tintDark = Argb(r, g, b, -32);
  tintDark2 = Argb(r, g, b, -64);
}

void CIconButton::SetImages(const IconImages& images) {
  imageNormal = currentImage = images.normal;
  imageHover = images.hover;
  imagePressed = images.pressed;
  imageDisabled = images.disabled;
  imageToggled = -1;
}

bool CIconButton::HitTest() {
  if (!IsMouseOverRect(Rect(), OwnerModel())) return false;
  if (inputDisabled) {
    RequestCursor(kCursorPointer, 1);
    return false;
  }
  RequestCursor(disabled ? kCursorPointer : kCursorHand, 1);
  return true;
}

void CIconButton::Notify(int32_t code, int32_t value) {
  if (parent) parent->OnEvent(code, id, value);
}

int32_t CIconButton::OnEvent(int32_t type, int32_t a, int32_t) {
  if (type == kMsgWheelForward || type == kMsgWheelBack) Notify(type, a);
  firedBefore = fire;
  fire = false;
  if (disabled || type == kMsgRefresh || type == kMsgFrameTick) return 0;
  if (type == kMsgLeftPressed) pressStarted = true;
  if (type == kMsgLeftPressed || type == kMsgLeftHeld) {
    if (!pressed) PlayUiClick();
    pressed = true;
  } else {
    pressed = false;
  }
  if (type == kMsgMouseLeft) {
    hovered = pressed = false;
    Notify(kNotifyIconLeft, 0);
    return 0;
  }
  if (type == kMsgMouseEntered) {
    hovered = true;
    Notify(kNotifyIconEntered, 0);
    return 0;
  }
  if (type == kMsgLeftReleased) {
    if (isToggle == 1 && (!switchOnOnly || !toggled) && IsMouseOverRect(Rect(), OwnerModel()))
      toggled = !toggled;
    pressed = false;
    repeatCount = 0;
  }
  ApplyMode(type);
  if (type == kMsgLeftReleased) pressStarted = false;
  if (fire) Notify(kNotifyClicked, a);
  return 0;
}

void CIconButton::ApplyMode(int32_t type) {
  switch (mode) {
    case kIconFireWhileHeld:
      fire = pressed;
      break;
    case kIconDragSteps: {
      const UiMouse& m = Ui().mouse;
      if (type == kMsgLeftPressed) dragX = m.x, dragY = m.y;
      if (type != kMsgLeftHeld) break;
      if (m.x - dragX > 7) {
        Notify(kNotifyDragRight, 0);
        dragX += 7;
      } else if (m.x - dragX < -7) {
        Notify(kNotifyDragLeft, 0);
        dragX -= 7;
      }
      if (m.y - dragY > 7) {
        Notify(kNotifyDragDown, 0);
        dragY += 7;
      } else if (m.y - dragY < -7) {
        Notify(kNotifyDragUp, 0);
        dragY -= 7;
      }
      break;
    }
    case kIconFireOnPress:
      fire = type == kMsgLeftPressed;
      break;
    case kIconFireOnRelease:
      if (type == kMsgLeftReleased && pressStarted) {
        pressStarted = false;
        if (IsMouseOverRect(Rect(), OwnerModel())) fire = true;
        else hovered = false;
      }
      break;
    case kIconAutoRepeat:
      // The repeat goes by the interface's steps (fifty a second), not by
      // messages: a fast game runs the HUD's input four times a step, and a
      // click must move a price by one step at every speed. The press fires,
      // then every step from the twelfth on while it is held.
      if (pressed && (type == kMsgLeftPressed || repeatStep != Ui().interfaceTicks)) {
        repeatStep = Ui().interfaceTicks;
        if (repeatCount == 0 || repeatCount > 10) fire = true;
        ++repeatCount;
      }
      break;
    case kIconFireOnPressOnce:
      if (type == kMsgLeftPressed) fire = !firedBefore;
      break;
    case kIconToggleOnRelease:
      // A toggle button's release has flipped it already (switch-on-only
      // kept): flipping again would undo every click.
      if (type == kMsgLeftReleased) {
        fire = !firedBefore;
        if (isToggle != 1) toggled = !toggled;
      }
      break;
    default:
      break;
  }
}

int32_t CIconButton::ChooseImage() const {
  int32_t choice = imageNormal;
  if (imageHover == -1) {
    if (pressed && !disabled && imagePressed != -1) choice = imagePressed;
    if (disabled) choice = imageDisabled;
  } else {
    if (pressed) choice = imagePressed;
    else if (hovered) choice = imageHover;
    if (disabled) choice = imageDisabled;
  }
  if (isToggle == 1 && toggled) choice = imageToggled;
  return choice;
}

void CIconButton::DrawSelf() {
  const CLayoutEntity* model = OwnerModel();
  // The image is chosen afresh at every draw, so a button that was disabled
  // without a disabled image shows its images again once re-enabled. It is
  // drawn before the label: a glyph batch flushed while the label is laid
  // out (its glyphs span two textures) would otherwise land under it.
  if (imageNormal != -1 && !tinted) {
    currentImage = ChooseImage();
    if (currentImage != -1) DrawTexturedRect(MovedRect(Rect(), model), UIImageTexture(currentImage), depth);
    if (overlayImage != -1)
      DrawTexturedRect(MovedRect(overlayRect, model), UIImageTexture(overlayImage), overlayRect.depth);
  }
  label.Draw(model);
}

void CIconButton::Update() {
  if (!tinted) return;
  const UIRect r = MovedRect(Rect(), OwnerModel());
  const UIRect in{r.x1 + 4, r.y1 + 4, r.x2 - 4, r.y2 - 4, depth};
  uint32_t fill = tintBase;
  if (hovered) fill = !pressed ? tintHover : pressStarted ? tintDark : tintBase;
  fill = disabled ? 0x80808080u : (fill & 0x00FFFFFFu) | (90u << 24);
  DrawRect2DSolid(in, fill, depth);
  const uint32_t black = 0xFF000000u;
  DrawRect2DSolid(UIRect{r.x1, r.y1, r.x2, r.y1 + 4}, black, depth);
  DrawRect2DSolid(UIRect{r.x1, r.y1, r.x1 + 4, r.y2}, black, depth);
  DrawRect2DSolid(UIRect{r.x2 - 4, r.y1, r.x2, r.y2}, black, depth);
  DrawRect2DSolid(UIRect{r.x1, r.y2 - 4, r.x2, r.y2}, black, depth);
  label.SetAllLinesColour(disabled ? 8 : 0);
  DrawRectOutline(r, disabled ? 0x80808080u : tintHover, depth);
  if (disabled) DrawBevel(in, 0xFF808080u, 0xFF323232u, depth);
  else if (pressed && pressStarted) DrawBevel(in, tintDark2, tintHover, depth);
  else DrawBevel(in, tintHover, tintDark2, depth);
}
