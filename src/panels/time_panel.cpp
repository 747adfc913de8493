#include "panels/time_panel.h"

#include <cmath>

#include <numbers>

#include "engine/core/maths.h"
#include "panels/panel_drawing.h"
#include "panels/panel_links.h"
#include "panels/player_tokens.h"
#include "panels/prompt_panel.h"
#include "session/auction.h"
#include "session/game_clock.h"
#include "session/goals.h"
#include "session/chance_cards.h"
#include "session/player.h"
#include "session/session_state.h"
#include "ui/buttons.h"
#include "ui/draw_2d.h"
#include "ui/money_format.h"
#include "ui/game_requests.h"

const char* const kTimeElementNames[kTimeElementCount] = {
    "TIME_PLAYER_BACKING_GREY", "TIME_BACKING",   "TIME_PLAYER_BACKING", "TIME_PLAYER_ICON",
    "TIME_CLOCK_ICON",          "TIME_AREA",      "TIME_CASH_ICON",      "TIME_NAME_AREA",
    "TIME_CASH_AREA",           "TIME_TOP_GREY_FILL", "TIME_OPTIONS_ICON", "TIME_CHANCE_ICON",
};

CountingCash& SharedCountingCash() {
  static CountingCash cash;
  return cash;
}

void StepCountingCash(CountingCash& c, float money) {
  if (money == c.displayed) return;
  if (c.steps > 0) {
    c.displayed += (money - c.displayed) / float(c.steps);
    --c.steps;
  } else {
    c.steps = kCashSteps;
  }
}

std::string ClockText(int32_t hour, int32_t ticks, int32_t year) {
  int32_t hour12 = hour >= 13 ? hour - 12 : hour;
  if (hour12 == 0) hour12 = 12;
  const int32_t minutes = ticks * 60 / 625;
  const int32_t half = hour <= 11 ? 1374 : 1375;
  return FormatUiText(0, minutes > 9 ? "%i:%i%u %i" : "%i:0%i%u %i", hour12, minutes, half, year);
}

void CTimePanel::Build() {
  for (int32_t e = 0; e < kTimeElementCount; ++e) rects[e] = ElementRect(kTimeElementNames[e]);
  PanelText(name, rects[kTimeNameArea], this, 2, 3, 4);
  PanelText(cash, rects[kTimeCashArea], this, 3, 3);
  PanelText(clock, rects[kTimeArea], this, 3, 4);
  int32_t id = 10;
  for (CTextRect* t : {&name, &cash, &clock}) {
    t->id = id++;
    t->AddText("No Text");
  }

  const UIRect& o = rects[kTimeOptionsIcon];
  options = CreatePushButton(*this, 0, o);
  SetButtonImages(*options, 82, 84, -1, 83, -1);
  options->SetLabelId(1115);
  const UIRect& p = rects[kTimePlayerIcon];
  playerIcon = CreateIconButton(1, p.x1, p.y1, p.x2, p.y2);
  playerIcon->SetMode(kIconFireOnRelease);
  playerIcon->tooltipTextId = 1141;
  const UIRect& h = rects[kTimeChanceIcon];
  chance = CreateIconButton(2, h.x1, h.y1, h.x2, h.y2);
  SetButtonImages(*chance, kEmptyCardImage, kEmptyCardImage, kEmptyCardImage, kEmptyCardImage,
                  kEmptyCardImage);
  chance->SetMode(kIconFireOnRelease);
  chance->tooltipTextId = 1489;
  cashShown = 0;
  cashBlink = cardFlash = 0;
  cardFlashReset = false;
}

void CTimePanel::OnOpen() {
  cashShown = -1;
  iconImage = -1;
  UpdateTexts();
}

// The player icon shows the local player's character (a new game may
// bring another; a player without a token shows the first).
void CTimePanel::FollowPlayerIcon(const CPlayer& local) {
  const int32_t base = PlayerIconImage(local.character);
  if (base == iconImage) return;
  iconImage = base;
  SetButtonImages(*playerIcon, base, base + 2, -1, base + 1, -1);
}

void CTimePanel::UpdateTexts() {
  if (const CPlayer* local = PlayerTable().Local()) {
    FollowPlayerIcon(*local);
    name.Clear();
    name.AddText(local->name);
    CountingCash& shared = SharedCountingCash();
    StepCountingCash(shared, local->money);
    if (cashShown != shared.displayed) {
      cashShown = shared.displayed;
      cash.Clear();
      cash.AddText(FormatMoneyDecimal(shared.displayed));
      cash.SetAllLinesColour(shared.displayed >= 0 ? 0 : 6);
    }
  }
  const CGameClock& c = GameClock();
  clock.Clear();
  // The time and the year on the one line the area holds: a language whose
  // morning and afternoon are long words ("10:41 nachm. 1930") gets a
  // smaller text rather than losing the year to a second line.
  clock.AddOneLineInWidth(ClockText(c.hour, int32_t(Session().tickInHour), c.CalendarYear()), 1.0f,
                          clock.x2 - clock.x1 - 2.0f * float(clock.margin));
}

void CTimePanel::UpdateChanceButton() {
  const CPlayer* local = PlayerTable().Local();
  chance->disabled = AuctionRunning() || local == nullptr || !local->inUse;
  const int32_t state = local && local->heldCard != 0 ? 1 : 0;
  if (state == 0) {
    SetButtonImages(*chance, kEmptyCardImage, kEmptyCardImage, kEmptyCardImage, kEmptyCardImage,
                    kEmptyCardImage);
    cardFlashReset = true;
    return;
  }
  if (cardFlashReset) {
    cardFlash = 128;
    cardFlashReset = false;
  }
  if (cardFlash > 0) --cardFlash;
  const bool swapped = (cardFlash & 31) > 16;
  const int32_t normal = kCardImages, pressed = kCardImages + 1, hover = kCardImages + 2;
  SetButtonImages(*chance, swapped ? hover : normal, pressed, kEmptyCardImage, swapped ? normal : hover,
                  -1);
}

int32_t CTimePanel::OnEvent(int32_t type, int32_t a, int32_t) {
  if (type == kMsgFrameTick) {
    UpdateChanceButton();
    if (moneyAnimation > 0) {
      --moneyAnimation;
      --cashBlink;
    } else {
      cashBlink = 0;
    }
    UpdateTexts();
  } else if (type == kNotifyClicked) {
    if (a == 0) PostGameRequest(MenuKeyRequest{});
    if (a == 1) ShowGoalPrompt();
    if (a == 2 && chance && !chance->disabled)
      if (CPlayer* local = PlayerTable().Local(); local && local->inUse) local->Chance().ShowHeldCard();
  }
  return 0;
}

void CTimePanel::ShowGoalPrompt() {
  CPromptPanel* prompt = Session().gameState == kGameStateAuction ? auctionPrompt : gamePrompt;
  if (prompt == nullptr) return;
  prompt->Open();
  prompt->SetPortrait(kCityPortraitImage);
  const CGameGoal& goal = GameGoal();
  const int32_t target = int32_t(goal.target);
  switch (goal.kind) {
    case OBJECTIVE_FIRST_TO_BE_MAYOR: prompt->SetLineTextWithNumbers(0, 1825, target); break;
    case OBJECTIVE_WEAKEST_LINK: prompt->SetLineTextWithNumbers(0, 1826, target); break;
    case OBJECTIVE_PROFIT: prompt->SetLineText(0, 1821, FormatMoney(target)); break;
    case OBJECTIVE_PAPERWEALTH_BY_DATE: prompt->SetLineTextWithNumbers(0, 1823, target); break;
    case OBJECTIVE_PAPERWEALTH_BY_AMOUNT: prompt->SetLineText(0, 1824, FormatMoney(target)); break;
    case OBJECTIVE_SALES: prompt->SetLineTextWithNumbers(0, 1822, target); break;
    default: prompt->SetLineTextWithNumbers(0, 1820, 0); break;
  }
  if (const CPlayer* local = PlayerTable().Local()) prompt->SetLineString(1, local->name);
  prompt->SetButtonCount(1);
  prompt->SetButtonText(0, 1437);
  prompt->SetButtonHighlight(0, true);
}

void CTimePanel::Update() {
  const CLayoutEntity* m = LayoutEntity();
  DrawBand(rects[kTimeBacking], m, InterfaceBackingColour, InterfaceBackingColour, 0.5f);
  DrawBand(rects[kTimePlayerBackingGrey], m, 0x4C909090u, 0x7F909090u, 0.5f);
  DrawBand(rects[kTimeTopGreyFill], m, kGreyTop, kGreyBottom, 0.5f);
  if (const CPlayer* local = PlayerTable().Local()) {
    const uint32_t colour = PlayerTokenColour(local);
    DrawBand(rects[kTimePlayerBacking], m, WithAlpha(colour, 0xFE), WithAlpha(colour, 0x7E), 0.5f);
  }
  DrawTexturedRect(MovedRect(rects[kTimeClockIcon], m), UIImageTexture(kClockFaceImage), 0.5f);
  const int32_t cashImage = (cashBlink & 31) >= 17 ? kCashBlinkImage : kCashImage;
  DrawTexturedRect(MovedRect(rects[kTimeCashIcon], m), UIImageTexture(cashImage), 0.5f);
  DrawHands();
}

void CTimePanel::DrawHands() {
  const UIRect r = MovedRect(rects[kTimeClockIcon], LayoutEntity());
  const float cx = (r.x1 + r.x2) / 2, cy = (r.y1 + r.y2) / 2, radius = (r.x2 - r.x1) / 2;
  const float h = float(GameClock().hour), t = float(Session().tickInHour);
  const float minute = 2.0f * std::numbers::pi_v<float> * t * 0.0016f;
  struct Hand {
    float angle, forward, behind, half;
  };
  const Hand hands[2] = {{(2.0f * std::numbers::pi_v<float> * h + minute) / 12.0f, 0.75f, 0.19936708f, 2.0f},
                         {minute, 1.0f, 0.29870132f, 1.5f}};
  const int32_t texture = UIImageTexture(kClockHandImage);
  for (const Hand& hand : hands) {
    const float dx = std::sin(hand.angle), dy = -std::cos(hand.angle);
    Vec3 q[4];
    SegmentQuad(cx - dx * hand.behind * radius, cy - dy * hand.behind * radius, cx + dx * hand.forward * radius,
                cy + dy * hand.forward * radius, hand.half, 0.5f, q);
    DrawTexturedCorners(q, texture, 0xFFFFFFFFu);
  }
}

void CTimePanel::DrawSelf() {
  clock.Draw(LayoutEntity());
  cash.Draw(LayoutEntity());
  name.Draw(LayoutEntity());
}
