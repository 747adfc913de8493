#pragma once
// A scroll bar: a position from 0 to a maximum shown as a thumb in a track,
// with two arrow buttons that step it by one, dragging and the wheel. It is
// attached to one scrolling widget, takes its maximum from that widget's line
// counts and pushes every new position into it as the first visible line.
#include <cstdint>

#include "ui/widget.h"

class CIconButton;
class CListBox;
class CRichTextBase;
class CRichTextRect2;
class CRichTextRect3;
class CTextRect;

// UI images of the arrows: four consecutive ones each (normal, hover,
// pressed, disabled).
inline constexpr int32_t kScrollUpImage = 105;
inline constexpr int32_t kScrollDownImage = 93;
inline constexpr int32_t kScrollLeftImage = 97;
inline constexpr int32_t kScrollRightImage = 101;

class CScrollBar : public CWidget {
 public:
  void DrawSelf() override;
  void Update() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  bool HitTest() override;
  bool IsEnabled() override { return !dragging; }

  void AttachText(CTextRect* text);
  void AttachRichText2(CRichTextRect2* rich);
  void AttachRichText3(CRichTextRect3* rich);
  void AttachListBox(CListBox* list);
  // The arrows at their top-left corners, sized by the first one's image.
  void BuildArrows(float upX, float upY, float downX, float downY);
  void SetValue(int32_t v);
  void UpdateThumb(int32_t v);
  int32_t ValueFromMouse();
  void ApplyValue();
  void UpdateRange();
  void SetShown(bool flag);
  // The thumb for the present position (also stored in `thumb`).
  UIRect ComputeThumb();
  bool CanScroll() const { return !inputDisabled && maximum > 0.0f; }

  UIRect track;
  int32_t value = 0;
  float maximum = 10.0f;
  CTextRect* attachedText = nullptr;
  CRichTextBase* attachedRich = nullptr;
  CListBox* attachedList = nullptr;
  bool vertical = true;
  CIconButton* upArrow = nullptr;
  CIconButton* downArrow = nullptr;
  UIRect thumb;
  float thumbPos = 0.0f;
  bool dragging = false;
  bool active = true;

 private:
  void Disable();
  void Enable();
  float Span() const { return vertical ? track.y2 - track.y1 : track.x2 - track.x1; }
  bool MouseOverArrow() const;
  bool MouseOverAttached() const;
};
