#include "panels/card_panel.h"

#include "panels/panel_drawing.h"
#include "session/chance_cards.h"
#include "session/player.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/money_format.h"

namespace {

constexpr int32_t kTitleText = 1134;
constexpr int32_t kButtonTexts[4] = {1127, 1487, 1485, 1486};
constexpr const char* kButtonElements[4] = {"CARD_OK_BUTTON", "CARD_KEEP_BUTTON", "CARD_OK_BUTTON",
                                            "CARD_DISCARD_BUTTON"};
constexpr const char* kTintElements[4] = {"CARD_BOTTOM_TINT", "CARD_TOP_TINT", "CARD_RIGHT_TINT", "CARD_LEFT_TINT"};
constexpr int32_t kCardPicture = 300;
constexpr uint32_t kBackingColour = 0xBB000A28u, kTintColour = 0xBF000000u;
constexpr float kBackDepth = 1.5f;

CPlayerChance* LocalChance() {
  CPlayer* local = PlayerTable().Local();
  return local ? &local->Chance() : nullptr;
}

}  // namespace

void CCardPanel::Build() {
  backing = ElementRect("CARD_MAIN_BACKING");
  titleRect = ElementRect("CARD_TITLE_AREA");
  infoRect = ElementRect("CARD_MAIN_INFO");
  portraitRect = ElementRect("CARD_PORTRAIT");
  for (size_t i = 0; i < tints.size(); ++i) tints[i] = ElementRect(kTintElements[i]);
  PanelText(titleText, titleRect, this, 3, 4);
  titleText.AddTextId(kTitleText);
  PanelText(mainText, infoRect, this, 0, 4);
  mainText.AddText("No Text");
  // Built in the order use now, keep, OK, discard: OK and keep share a place.
  for (int32_t id : {kCardButtonUse, kCardButtonKeep, kCardButtonOk, kCardButtonDiscard}) {
    const UIRect r = ElementRect(kButtonElements[id]);
    CIconButton* b = CreatePushButton(*this, id, r);
    SetButtonImages(*b, 79, 81, -1, 80, -1);
    b->SetLabelId(kButtonTexts[id]);
    buttons[size_t(id)] = b;
  }
  layer = 1;
  SetCard(0);
}

bool CCardPanel::ButtonShown(int32_t id) const {
  return id >= 0 && id < 4 && buttons[size_t(id)] && buttons[size_t(id)]->visible;
}

void CCardPanel::SetCard(int32_t newCard) {
  card = newCard;
  mainText.Clear();
  const ChanceCard& c = GetChanceCard(card);
  bool shown[4] = {true, false, false, false};
  if (c.kind == kCardKeepable) {
    mainText.AddTextId(c.textId);
    CPlayerChance* chance = LocalChance();
    if (chance) chance->ValidateTarget();
    shown[kCardButtonOk] = false;
    shown[kCardButtonKeep] = shown[kCardButtonDiscard] = true;
    shown[kCardButtonUse] = chance && chance->CardState() == kCardKept && chance->TargetValid();
  } else if (card != 0) {
    mainText.AddTextIdArgs1(c.textId, FormatMoneyDecimal(float(c.value)));
  }
  for (int32_t id = 0; id < 4; ++id)
    if (buttons[size_t(id)]) buttons[size_t(id)]->visible = shown[id];
}

void CCardPanel::ShowCard(int32_t newCard) {
  SetCard(newCard);
  Open();
}

int32_t CCardPanel::OnEvent(int32_t type, int32_t a, int32_t) {
  if (type != kNotifyClicked) return 0;
  CPlayerChance* chance = LocalChance();
  switch (a) {
    case kCardButtonOk:
      Close();
      break;
    case kCardButtonUse:
      // Without a target the card stays in the hand.
      if (chance && chance->HeldCard() == card && chance->PlayHeldCard()) Close();
      else SetCard(card);
      break;
    case kCardButtonKeep:
      if (chance && chance->HeldCard() == card) chance->KeepHeldCard();
      Close();
      break;
    case kCardButtonDiscard:
      if (chance && chance->HeldCard() == card && GetChanceCard(card).kind == kCardKeepable) chance->DiscardHeldCard();
      Close();
      break;
    default:
      break;
  }
  return 0;
}

void CCardPanel::Update() {
  const CLayoutEntity* m = LayoutEntity();
  DrawRect2D(MovedRect(backing, m), kBackingColour, kBackingColour, kBackingColour, kBackingColour, kBackDepth);
  DrawRect2D(MovedRect(titleRect, m), 0xFF808080u, 0xFF808080u, 0x80808080u, 0x80808080u, kBackDepth);
  for (const UIRect& t : tints) DrawRect2D(MovedRect(t, m), kTintColour, kTintColour, kTintColour, kTintColour, kBackDepth);
}

void CCardPanel::DrawSelf() {
  const CLayoutEntity* m = LayoutEntity();
  titleText.Draw(m);
  mainText.Draw(m);
  DrawTexturedRect(MovedRect(portraitRect, m), UIImageTexture(kCardPicture), 0.45f);
}
