#pragma once
// Three simple widgets: CChoiceItem, a labelled row whose press toggles its
// selected flag; CChoiceGroup, a column of up to 20 items with one selected;
// CPicture, an image that never takes the mouse.
#include <array>
#include <cstdint>

#include "ui/text_rect.h"
#include "ui/widget.h"

inline constexpr int32_t kChoiceGroupCapacity = 20;

class CChoiceItem : public CWidget {
 public:
  void SetRect(float x1, float y1, float x2, float y2) override;
  void Build() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;

  void SetLabelId(int32_t textId);
  void SetLabel(const char* format, ...);
  void SetSelected(bool flag) { selected = flag; }

  CTextRect label;
  int32_t labelTextId = 0;
  int32_t labelLines = 1;
  bool selected = false;

 private:
  // The row grows with its label.
  void FitHeight();
};

// The items are its children, drawn by the tree; those past the count are
// hidden.
class CChoiceGroup : public CWidget {
 public:
  void SetRect(float x1, float y1, float x2, float y2) override;
  void Build() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  bool HitTest() override { return false; }  // the items take the mouse

  void SetItemCount(int32_t n);
  void SetItemLabelId(int32_t index, int32_t textId);
  void SetItemLabel(int32_t index, const char* text);
  void Choose(int32_t index);

  std::array<CChoiceItem*, kChoiceGroupCapacity> items{};
  int32_t itemCount = 0;
  int32_t selectedIndex = 0;

 private:
  void LayOutItems();
};

class CPicture : public CWidget {
 public:
  void Build() override { texture = -1; }
  void DrawSelf() override;
  bool HitTest() override { return false; }

  int32_t texture = -1;
};
