#pragma once
// The voting panel: the day's vote as a bar chart, one bar a player in the
// player's colour with its share in per cent and its token above it, a
// title naming the player concerned and a line naming the winner. It closes
// itself 750 frames after opening, or by its OK button.
#include <array>
#include <cstdint>

#include "ui/panel.h"
#include "ui/text_rect.h"

class CIconButton;
struct VoteEvent;

inline constexpr int32_t kVotingFrames = 750;

class CVotingPanel : public CPanel {
 public:
  void Build() override;
  void Update() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void OnOpen() override;
  void OnClose() override;

  void SetTitlePlayer(int32_t player);
  void SetWinner(int32_t player);
  // Bar n rises from the graph's bottom by `percent` of its height; votes
  // below 0 leave its count empty.
  void SetBar(int32_t n, float percent, int32_t votes);
  void StaggerShareLabels();
  // Bar i is drawn: its player is in the game or won.
  bool BarShown(int32_t i) const;
  // Fills the panel from a finished vote and opens it.
  void ShowVote(const VoteEvent& vote);

  UIRect titleRect, backing, graph, titleLabelRect;
  std::array<UIRect, 6> tokens{}, rosettes{}, bars{};
  std::array<CTextRect, 6> percents, votes;
  CTextRect titleLabel, titleArea;
  CIconButton* ok = nullptr;
  int32_t countdown = 0;
  int32_t winner = -1;
  bool weakestLink = false;  // the vote picks who leaves: no vote counts or rosettes
};
