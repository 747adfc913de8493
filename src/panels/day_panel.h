#pragma once
// The day panel: a fixed card of a title and five rows, each a label on a
// green field beside a text box, all from the text banks. Scripts open it
// (Interface.CreateEventList); it drops in from above each time.
#include <array>
#include <cstdint>

#include "ui/panel.h"

class CTextRect;

inline constexpr int32_t kDayRows = 5;

class CDayPanel : public CPanel {
 public:
  // Where every opening puts the layout model (the panel slides in from there).
  static constexpr float kOpenX = 0.0f, kOpenY = -100.0f;
  void Build() override;
  void Update() override;
  void DrawSelf() override;
  void OnOpen() override;

  UIRect titleRect;
  std::array<UIRect, kDayRows> labelRects{}, boxRects{};
  CTextRect* title = nullptr;
  std::array<CTextRect*, kDayRows> labels{}, boxes{};
};
