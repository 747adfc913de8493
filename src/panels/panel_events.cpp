#include "panels/panel_events.h"

#include <string>
#include <type_traits>
#include <variant>

#include "city/blocks.h"
#include "city/buildings.h"
#include "panels/city_names.h"
#include "panels/hud_panels.h"
#include "panels/player_tokens.h"
#include "session/goals.h"
#include "session/net_message.h"
#include "session/player.h"
#include "ui/money_format.h"

namespace {

// Frames the cash icon flashes after the local player's money changed.
constexpr int32_t kMoneyFlashFrames = 96;

const char* PlayerName(int32_t index) {
  const CPlayer* p = PlayerTable().Get(index);
  return p ? p->name : "";
}

int32_t PortraitOf(int32_t playerIndex) {
  const CPlayer* p = PlayerTable().Get(playerIndex);
  return p ? TokenRow(p->character).portraitImage : kCityPortraitImage;
}

CHumanPlayer* LocalHuman() { return dynamic_cast<CHumanPlayer*>(PlayerTable().Local()); }

// Without a HUD (a game run without its interface) a prompt has nowhere to
// show: notices are dropped and a goal result closes at once.
bool PromptShown() { return CurrentPrompt().built; }

void ShowPrompt(const PromptEvent& e) {
  if (!PromptShown()) return;
  CPromptPanel& p = CurrentPrompt();
  p.Open();
  p.SetPortrait(e.portrait);
  p.SetLineTextWithNumbers(0, e.line, 0);
  p.SetLineTextWithNumbers(1, e.body, e.bodyArg);
  p.SetButtonCount(1);
  p.SetButtonText(0, e.button);
  p.SetButtonHighlight(0, true);
}

// A message for the local player: its prompt stops the player's messages
// until it closes. A buy request is a yes/no question: Return and the
// time-out answer it "refuse".
void ShowPlayerMessage(const PlayerMessageEvent& e) {
  CHumanPlayer* human = LocalHuman();
  if (human == nullptr || human->index != e.player || !PromptShown()) return;
  const PlayerMessage& m = e.message;
  CPromptPanel& p = CurrentPrompt();
  p.Open();
  p.SetPortrait(e.portraitPlayer >= 0 ? PortraitOf(e.portraitPlayer) : kCityPortraitImage);
  const char* sender = m.from.IsNone() ? "" : PlayerName(m.from.value);
  const std::string money = FormatMoney(m.values[1]);
  // The message names a block, or for a buy-out the building of the business.
  int32_t block = m.values[0];
  if (m.code == PLAYER_MESS_BOUGHT_OUT) {
    const CBuilding* b = GetBuilding(m.values[0]);
    block = b && b->Block ? b->Block->Index : -1;
  }
  const TextArg withMoney[] = {sender, BlockNameText(block), money.c_str()};
  p.SetLineTextWithNumbers(0, e.line1, 0);
  p.SetLineTextArgs(1, e.line2, withMoney);
  const int32_t n = e.buttonCount < 0 ? 0 : e.buttonCount > 2 ? 2 : e.buttonCount;
  if (m.code == PLAYER_MESS_BUY_REQUEST) p.UseColouredButtons();
  p.SetButtonCount(n);
  for (int32_t b = 0; b < n; ++b) {
    p.SetButtonText(b, e.buttons[b]);
    p.SetButtonHighlight(b, true);
  }
  const int32_t code = m.code;
  if (code == PLAYER_MESS_BUY_REQUEST) {
    p.SetDefaultButton(1);
    p.SetCallback([code](int32_t button, int32_t) {
      if (CHumanPlayer* h = LocalHuman()) h->AnswerBuyRequest(button, code);
    });
  } else {
    p.SetCallback([](int32_t, int32_t) {
      if (CHumanPlayer* h = LocalHuman()) h->OnPromptClosed();
    });
  }
  human->OnPromptOpened();
}

void ShowGoalResultPrompt(const GoalResultEvent& e) {
  if (!PromptShown()) {
    CloseGoalResult(e);
    return;
  }
  CPromptPanel& p = CurrentPrompt();
  p.Open();
  p.SetPortrait(e.player >= 0 ? PortraitOf(e.player) : kCityPortraitImage);
  const std::string money = FormatMoney(int32_t(e.amountArg));
  for (int32_t line = 0; line < 2; ++line) {
    const int32_t id = line == 0 ? e.line1 : e.line2;
    if (e.nameArg >= 0) {
      p.SetLineText(line, id, PlayerName(e.nameArg));
    } else if (e.amountIsMoney) {
      p.SetLineText(line, id, money);
    } else {
      p.SetLineTextWithNumbers(line, id, int32_t(e.amountArg));
    }
  }
  p.SetButtonCount(1);
  p.SetButtonText(0, 1435);
  p.SetButtonHighlight(0, true);
  p.SetTimeout(e.timeoutSeconds);
  p.SetCallback([e](int32_t, int32_t) { CloseGoalResult(e); });
}

}  // namespace

void HandlePanelGameEvent(const GameEvent& event) {
  HudPanelObjects& h = HudPanels();
  std::visit(
      [&h](const auto& e) {
        using T = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<T, PromptEvent>) {
          ShowPrompt(e);
        } else if constexpr (std::is_same_v<T, PlayerMessageEvent>) {
          ShowPlayerMessage(e);
        } else if constexpr (std::is_same_v<T, GoalResultEvent>) {
          ShowGoalResultPrompt(e);
        } else if constexpr (std::is_same_v<T, TickerEvent>) {
          h.ticker.AddMessage(e.record);
        } else if constexpr (std::is_same_v<T, SpeedEvent>) {
          h.viewButtons.ApplyViewMode(e.fast);
        } else if constexpr (std::is_same_v<T, MoneyEvent>) {
          h.time.moneyAnimation = h.auctionTime.moneyAnimation = kMoneyFlashFrames;
        }
      },
      event);
}

void TickHudPanels() { HudPanels().ticker.Tick(); }
