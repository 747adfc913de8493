#pragma once
// The event ticker: short news lines across the top of the screen when a
// block changes hands or a business opens. Each line lives 700 interface
// steps while shown and then leaves, the lines below moving up; a click on a
// line takes the player to its block. The local player's own deeds are not announced.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/layout_model.h"
#include "ui/panel.h"
#include "session/game_messages.h"
#include "ui/text_rect.h"

inline constexpr int32_t kTickerSlots = 20;
inline constexpr int32_t kTickerMaxMessages = 19;
inline constexpr int32_t kTickerLineLife = 700;
inline constexpr int32_t kTickerPlayerLeftText = 3003;

struct TickerLine {
  CTextRect text;
  StatusRecord record{};
  bool hovered = true;
  uint32_t swatch = 0;
  int32_t life = -1;
};

class CEventTickerPanel : public CPanel {
 public:
  CEventTickerPanel();

  void Build() override;
  void Update() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  bool ContainsMouse() override;
  void Reset() override;
  void OnClose() override;

  void AddMessage(const StatusRecord& record);
  // One step of the 50-per-second interface task.
  void Tick();

  // The ticker's own position (it has no layout model).
  CLayoutEntity entity;
  std::array<TickerLine, kTickerSlots> slots;
  int32_t linesShown = kTickerSlots;
  int32_t count = 0;
  int32_t hoveredLine = -1;

  // Where line i stands, in layout space (before the entity's move).
  UIRect LineRect(int32_t i) const;
  // A panel of the same strip (the auction countdown): while it is open the
  // lines run below it, so neither hides the other.
  const CPanel* keepBelow = nullptr;
  // Panels the lines reach once moved down (the prompt, the selection
  // panel): while the lines run below keepBelow, only those clear of every
  // open one are shown; the rest wait their turn.
  std::vector<const CPanel*> keepClearOf;
  // Moves the entity under keepBelow while it is open, back otherwise, and
  // sets the lines shown.
  void FollowKeepBelow();

 private:
  void Render(int32_t slot, const StatusRecord& record);
  void Remove(int32_t slot);
};
