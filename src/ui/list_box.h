#pragma once
// A list of up to 128 one-line items shown through a text, each with an
// optional image, separator and value (-1: it cannot be selected), a
// pulsing highlight under the mouse, a selection bar and an optional scroll
// bar. Item i is on line i.
#include <array>
#include <cstdint>

#include "ui/text_rect.h"
#include "ui/widget.h"

class CScrollBar;

inline constexpr int32_t kListBoxCapacity = 128;

class CListBox : public CWidget {
 public:
  void SetRect(float x1, float y1, float x2, float y2) override;
  void Build() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  bool HitTest() override { return IsMouseOverRect(Rect(), OwnerModel()); }
  bool IsEnabled() override { return !pressLatched; }

  // More items than the list holds are cut to its capacity.
  void Reset(int32_t n);
  void SetItemTextId(int32_t index, int32_t textId);
  void SetItemText(int32_t index, const char* format, ...);
  void SetItemValue(int32_t index, int32_t v);
  int32_t GetItemValue(int32_t index) const;
  void SetItemImage(int32_t index, int32_t imageId);
  void SetItemSeparator(int32_t index);
  void Select(int32_t index);
  void ClearSelection() { selected = -1; }
  int32_t GetSelection() const { return selected; }
  int32_t GetSelectedTextId() const;
  int32_t GetHoverLine() const { return hoverLine; }
  int32_t GetLineCount() const { return linesAdded; }
  void AttachScrollBar(CScrollBar* bar);
  void SetScrollMaximum(int32_t n);
  void SetScrollBarValue(int32_t n);
  void ScrollTo(int32_t n);
  // The row of the mouse (whole line heights below the top), -1 beside it.
  int32_t MouseRow() const;

  int32_t linesAdded = 0;
  int32_t scrollPos = 0;
  int32_t count = 0;
  int32_t selected = -1;
  std::array<int32_t, kListBoxCapacity> itemTextId{};
  std::array<int32_t, kListBoxCapacity> itemValue{};
  std::array<uint8_t, kListBoxCapacity> itemSeparator{};
  std::array<int32_t, kListBoxCapacity> itemImage{};
  CTextRect text;
  CScrollBar* scrollBar = nullptr;
  bool mouseInside = false;
  bool pressLatched = false;
  int32_t hoverLine = 0;

 private:
  bool ValidItem(int32_t index) const { return index >= 0 && index < count; }
  // The item's line was appended.
  void LineAdded();
};
