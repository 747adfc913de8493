#pragma once
// Two small steppers made of a pair of icon buttons: CSpinArrow steps a
// number between limits (the down arrow greys itself at the minimum);
// CSpinBox steps an index through choices the owner writes as text.
#include <cstdint>

#include "engine/render/renderer.h"
#include "ui/text_rect.h"
#include "ui/widget.h"

class CIconButton;

// UI images of the spin arrows (normal, hover, pressed, disabled each).
inline constexpr int32_t kSpinDownImage = 54;
inline constexpr int32_t kSpinUpImage = 58;

class CSpinArrow : public CWidget {
 public:
  // Places the arrows; the widget's own rect is set by the factory.
  void SetRect(float x1, float y1, float x2, float y2) override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;

  void BuildArrows(const UIRect& up, const UIRect& down);
  void SetValue(float v) {
    value = v;
    changed = true;
  }
  void SetRange(float s, float lo, float hi) { step = s, minimum = lo, maximum = hi; }

  bool changed = false;
  float value = 0.0f;
  float step = 1.0f;
  float minimum = -1000000.0f;
  float maximum = 1000000.0f;
  CIconButton* upArrow = nullptr;
  CIconButton* downArrow = nullptr;
};

class CSpinBox : public CWidget {
 public:
  void SetRect(float x1, float y1, float x2, float y2) override;
  void Build() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;

  void SetChoiceCount(int32_t n);
  void ClearText() { text.Clear(); }
  void CreateArrows(const UIRect& next, const UIRect& previous);
  // Clamps (or wraps) the index; tells the parent the index that holds.
  void SetCurrent(int32_t i);
  void SetWrap(int32_t flag) { wrap = flag; }
  int32_t GetCurrent() const { return current; }
  void SetTexture(int32_t texture, const TexRect& coords);
  void ClearTexture() { textureShown = false; }

  int32_t choiceCount = 0;
  int32_t current = 0;
  int32_t wrap = 0;
  CTextRect text;
  CIconButton* nextArrow = nullptr;
  CIconButton* previousArrow = nullptr;
  int32_t texture = -1;
  TexRect textureRect{0.0f, 0.0f, 1.0f, 1.0f};
  bool textureShown = false;
};
