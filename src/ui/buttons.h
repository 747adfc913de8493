#pragma once
// The interface's buttons. CButton is an image button whose every press
// flips an on/off state; CRadioButton switches itself on and up to two
// linked siblings off; CIconButton is the general button: a label, five
// state images, an overlay image, an optional tinted bevel frame and seven
// press behaviours (the modes below). All three click when pressed and tell
// their parent through its OnEvent(code, own id, value).
#include <cstdint>
#include <string_view>

#include "ui/text_rect.h"
#include "ui/widget.h"

class CButton : public CWidget {
 public:
  void Build() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  bool HitTest() override;

  int32_t imageOn = -1, imageOff = -1;
  bool on = true;
  bool disabled = false;
  bool pressed = false;
  bool fired = false;
  bool firedBefore = false;
  bool hovered = false;
};

class CRadioButton : public CButton {
 public:
  void Build() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void ReleaseSiblings();

  CRadioButton* sibling1 = nullptr;
  CRadioButton* sibling2 = nullptr;
};

// Press behaviours of an icon button.
enum IconButtonMode : int32_t {
  kIconFireWhileHeld = 0,
  kIconDragSteps = 1,
  kIconFireOnPress = 2,
  kIconFireOnRelease = 3,
  kIconAutoRepeat = 4,
  kIconFireOnPressOnce = 5,
  kIconToggleOnRelease = 6,
};

// Four consecutive UI images: normal, hover, pressed, disabled.
struct IconImages {
  int32_t normal, hover, pressed, disabled;
};

class CIconButton : public CWidget {
 public:
  void SetRect(float x1, float y1, float x2, float y2) override;
  void Build() override;
  void DrawSelf() override;
  void Update() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  bool HitTest() override;
  bool IsEnabled() override { return !pressed; }

  int32_t SetMode(int32_t newMode);
  void SetLabelId(int32_t textId);
  void SetLabel(std::string_view text);
  void SetTint(int32_t r, int32_t g, int32_t b);
  void ClearTint() { tinted = false; }
  bool IsPressed() const { return isToggle == 1 ? toggled : pressed; }
  void SetPressed(bool value) {
    if (isToggle == 1) toggled = value;
  }
  // Sets the four state images (the normal one also current), no toggled one.
  void SetImages(const IconImages& images);
  // The image DrawSelf shows for the present state (-1 none).
  int32_t ChooseImage() const;

  int32_t mode = kIconFireOnPress;
  CTextRect label;
  int32_t labelTextId = 0;
  int32_t imageNormal = -1, imagePressed = -1, imageDisabled = -1, imageHover = -1, imageToggled = -1;
  int32_t currentImage = -1;
  UIRect overlayRect;
  int32_t overlayImage = -1;
  bool pressed = false, fire = false, firedBefore = false, disabled = false;
  bool pressStarted = false, hovered = false, toggled = false;
  int32_t isToggle = 0;
  bool switchOnOnly = false;
  int32_t repeatCount = 0;  // auto-repeat: interface steps held since the press
  uint32_t repeatStep = 0;  // the interface step that last counted
  int32_t dragX = 0, dragY = 0;
  bool tinted = false;
  uint32_t tintBase = 0, tintLight = 0, tintDark2 = 0, tintHover = 0, tintDark = 0;

 private:
  void ApplyMode(int32_t type);
  void Notify(int32_t code, int32_t value);
  void ResetLabel();
};
