#pragma once
// The chat: the panel in which the player types a line for chosen
// opponents, and the log of the last lines drawn over the game view.
//
// The recipients are one flag per player slot; the statistics panel's
// player buttons and the All button choose them, the icons remove them. A
// line goes only to marked players other than the local one: with none
// marked nothing is sent. While the panel is open every other HUD control
// is locked but the statistics panel's player buttons.
#include <array>
#include <cstdint>
#include <vector>

#include "ui/panel.h"
#include "ui/text_rect.h"

class CChatLog;
class CEditBox;
class CIconButton;

inline constexpr int32_t kChatIcons = 5;

class CChatPanel : public CPanel {
 public:
  // Button ids: the recipient icons are kFirstIcon..kFirstIcon + 4.
  static constexpr int32_t kAll = 0, kCancel = 2, kFirstIcon = 3;

  void Build() override;
  void Update() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;
  void Reset() override;
  void OnOpen() override;
  void OnClose() override;

  void SetAllRecipients();
  void ToggleRecipient(int32_t player);
  // The marked players other than the local one, the highest slot first.
  std::vector<int32_t> Recipients() const;
  void RefreshIcons();
  // Sends the typed line to the recipients (none: nothing is sent) and
  // empties the box.
  void SendLine();
  // The panel in its interface control slot (Build does it).
  void EnterControlSlots();

  std::array<bool, 6> recipients{};
  // The player each shown icon stands for (-1 none).
  std::array<int32_t, kChatIcons> iconPlayers{};
  CTextRect titleText, toLabel;
  UIRect titleRect, backingRect, toRect, inputRect;
  CEditBox* input = nullptr;
  CIconButton* all = nullptr;
  CIconButton* cancel = nullptr;
  std::array<CIconButton*, kChatIcons> icons{};
};

// The log's place over the game view, in layout space: left of the
// selection panel, so a long line is not cut off under it.
UIRect ChatLogArea();
// A line cut into rows no wider than `width` (by the chat font's widths),
// at spaces where it can be; a word wider than a row is split.
std::vector<std::string> WrapChatText(std::string_view line, float width);
// The area holds ten rows. Each live line "name: text" in its player's
// token colour, oldest first, wrapped to the area's width, the newest
// ending at the area's bottom; rows above the area are left out.
void DrawChatLog(const CChatLog& log, const UIRect& area);
// The log at its place over the game view, unless the auction room is up.
void DrawChatOverlay();
