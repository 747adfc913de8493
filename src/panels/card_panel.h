#pragma once
// The chance card panel: the local player's card with its picture and text.
// A card played at once shows OK; a card that can be kept shows Keep and
// Discard, and once kept and aimed at a target picked in the city, Use now.
#include <array>
#include <cstdint>

#include "ui/panel.h"
#include "ui/text_rect.h"

class CIconButton;

enum CardPanelButton : int32_t { kCardButtonOk = 0, kCardButtonUse = 1, kCardButtonKeep = 2, kCardButtonDiscard = 3 };

class CCardPanel : public CPanel {
 public:
  void Build() override;
  void Update() override;
  void DrawSelf() override;
  int32_t OnEvent(int32_t type, int32_t a, int32_t b) override;

  // Fills the panel for the card: its text and the buttons it offers.
  void SetCard(int32_t card);
  // The card and opens (its sound plays through the card's event).
  void ShowCard(int32_t card);
  bool ButtonShown(int32_t id) const;

  int32_t card = 0;
  UIRect backing, titleRect, infoRect, portraitRect;
  std::array<UIRect, 4> tints{};
  CTextRect titleText, mainText;
  std::array<CIconButton*, 4> buttons{};
};
