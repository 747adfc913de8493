#pragma once
// The statistics panel: the players compared on one statistic at a time,
// best first, each with the value counting up to its new figure, a bar for
// its share of the leader's value, an arrow for the last change and the
// player's token. Two mode buttons step through the nine statistics (those
// the level's goal leaves enabled); the tab folds the panel to the screen's
// edge. The plan view holds it open. In a network game the players' buttons
// address the chat panel.
#include <array>
#include <cstdint>
#include <string>

#include "ui/panel.h"
#include "ui/text_rect.h"

class CChatPanel;
class CIconButton;
class CPlayer;

inline constexpr int32_t kStatisticCount = 9;
inline constexpr int32_t kStatsSlots = 6;
inline constexpr int32_t kCountUpSteps = 50;
// The layout frames of the open and the folded panel.
inline constexpr int32_t kStatsOpenFrame = 10;
inline constexpr int32_t kStatsFoldedFrame = 1;

// The statistic's title text and its value for a player.
int32_t StatisticTitleText(int32_t statistic);
float StatisticValue(int32_t statistic, const CPlayer& player);
// The shown text of a value: money for cash and the three profit and wealth
// figures, else the whole number followed by a per cent sign.
std::string FormatStatistic(int32_t statistic, float value);

class CStatsPanel : public CPanel {
 public:
  // Button ids: the player buttons are 0..5 (by rank).
  static constexpr int32_t kPrevious = 6, kNext = 7, kOpenClose = 8;

  struct Slot {
    int32_t player = -1;
    float target = 0, shown = 0;
    int32_t steps = 0;
    float fraction = 0;
    CTextRect name, value;
  };

  void Build() override;
  void Update() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void Reset() override;
  void OnOpen() override;

  // Steps to the next enabled statistic: +1 or -1.
  void StepStatistic(int32_t direction);
  void ShowTitle();
  void RefreshValues();
  void CountUp(bool jump);
  // Folds the panel to its tab or opens it out (the tab's click).
  void SetExpanded(bool on);
  bool Expanded() const { return expanded; }
  // The plan view holds the panel open; leaving it folds it again.
  void FollowScreenMode();
  // A player's button: that player (by rank) becomes a chat recipient.
  void AddressChat(int32_t rank);
  // Its buttons in the interface control slots (Build does it).
  void EnterControlSlots();

  int32_t statistic = 0;
  std::array<bool, kStatisticCount> enabledStats{};
  bool expanded = true;
  bool forcedOpen = false;
  int32_t slotCount = 0;
  std::array<Slot, kStatsSlots> slots;
  std::array<int32_t, kStatsSlots> order{};
  float lastValues[kStatisticCount][kStatsSlots] = {};
  // 0 no change seen yet, 1 the last change was upward, 2 downward.
  uint8_t lastDirection[kStatisticCount][kStatsSlots] = {};
  CTextRect title;
  std::array<CIconButton*, kStatsSlots> playerButtons{};
  CIconButton* previous = nullptr;
  CIconButton* next = nullptr;
  CIconButton* openClose = nullptr;
  CChatPanel* chat = nullptr;

 private:
  int32_t leftVertElement = -1;
  void ApplyGoal();
  void PlaceSlotTexts();
  void ShowPlayerButtons();
  void StoreLastValues(bool withDirection);
  void SetValueText(Slot& slot);
};
