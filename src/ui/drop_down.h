#pragma once
// A one-line field showing the current choice that, when clicked, opens a
// list of up to 512 items below itself; clicking an item chooses it and
// closes the list.
#include <array>
#include <cstdint>

#include "ui/text_rect.h"
#include "ui/widget.h"

class CIconButton;

inline constexpr int32_t kDropDownCapacity = 512;

class CDropDown : public CWidget {
 public:
  void Build() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  bool HitTest() override;
  bool IsEnabled() override { return !open; }

  // 0 (and nothing added) when the list is full, else 1.
  int32_t AddItem(void* data, const char* format, ...);
  void Select(int32_t index);
  void Clear();
  // The item under the mouse (whole list lines below the list's top).
  int32_t ItemUnderMouse() const;
  bool MouseOverList() const;

  std::array<void*, kDropDownCapacity> itemData{};
  CTextRect shown;
  CTextRect list;
  CIconButton* button = nullptr;
  int32_t count = 0, selected = 0, hoverItem = 0;
  bool open = false;
  bool disabled = false;
};
