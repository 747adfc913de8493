#include "panels/panel_events.h"

#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "panels/city_names.h"
#include "panels/hud_panels.h"
#include "panels/player_tokens.h"
#include "script/interface_bindings.h"
#include "session/chance_cards.h"
#include "session/goals.h"
#include "session/net_message.h"
#include "session/player.h"
#include "ui/interface_assets.h"
#include "ui/money_format.h"

namespace {

// Frames the cash icon flashes after the local player's money changed.
constexpr int32_t kMoneyFlashFrames = 96;
// The title of another player's played card.
constexpr int32_t kCardPlayedText = 1488;

const char* PlayerName(int32_t index) {
  const CPlayer* p = PlayerTable().Get(index);
  return p ? p->name : "";
}

int32_t PortraitOf(int32_t playerIndex) {
  const CPlayer* p = PlayerTable().Get(playerIndex);
  return p ? TokenInfoRow(p->character).portraitImage : kCityPortraitImage;
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
  std::vector<TextArg> args;
  switch (m.code) {
    case PLAYER_MESS_BUY_REQUEST:  // who offers how much for which block
      args = {sender, m.As<BlockDeal>().amount, BlockNameText(m.As<BlockDeal>().block.value)};
      break;
    case PLAYER_MESS_BUY_ACCEPTED:
    case PLAYER_MESS_REFUSED:
      args = {BlockNameText(m.As<BlockDeal>().block.value)};
      break;
    case PLAYER_MESS_BOUGHT_OUT: {  // who bought which business on which block
      const CBuilding* b = GetBuilding(m.As<BoughtOutNote>().building.value);
      const CBusiness* business = b ? GetBusinessInUse(b->GetBusiness()) : nullptr;
      const int32_t type = business ? business->Type : -1;
      args = {sender, IsBusinessType(type) ? g_BusinessTypes[size_t(type)].NameTextId : kNoNameText,
              BlockNameText(b && b->Block ? b->Block->Index : -1)};
      break;
    }
    default:
      break;
  }
  p.SetLineTextWithNumbers(0, e.line1, 0);
  p.SetLineTextArgs(1, e.line2, args);
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
  // Each line takes what its text asks for, in its order: the player's name
  // for %s, the objective's figure for %d (money texts put the currency
  // symbol themselves).
  const std::string name = e.nameArg >= 0 ? PlayerName(e.nameArg) : std::string();
  for (int32_t line = 0; line < 2; ++line) {
    const int32_t id = line == 0 ? e.line1 : e.line2;
    std::vector<TextArg> args;
    for (char kind : InterfaceTextSystem().FormatArgKinds(id)) {
      if (kind == 's') args.emplace_back(name);
      else args.emplace_back(int32_t(e.amountArg));
    }
    p.SetLineTextArgs(line, id, args);
  }
  p.SetButtonCount(1);
  p.SetButtonText(0, 1435);
  p.SetButtonHighlight(0, true);
  p.SetTimeout(e.timeoutSeconds);
  p.SetCallback([e](int32_t, int32_t) { CloseGoalResult(e); });
}

// A level script's prompt, message, day panel, pointer or placement, on the
// prompt of the screen the script named. Closing a script's prompt tells the
// scripts (InterfacePromptDismiss with its id).
void ApplyScriptPrompt(const ScriptPromptEvent& e) {
  HudPanelObjects& h = HudPanels();
  CPromptPanel& p = e.auctionScreen ? h.auctionPrompt : h.prompt;
  if (!p.built) return;
  switch (e.action) {
    case kScriptPromptOpen: {
      p.Open();
      p.SetPortrait(kCityPortraitImage);
      for (int32_t line = 0; line < 2; ++line) {
        const ScriptPromptLine& l = e.lines[line];
        if (l.textId != 0) p.SetLineTextWithNumbers(line, l.textId, l.number);
        else p.SetLineString(line, l.text);
      }
      p.SetButtonCount(e.withButton ? 1 : 0);
      if (e.withButton) {
        p.SetButtonText(0, e.buttonText);
        p.SetButtonHighlight(0, true);
      }
      if (e.noTimeout) p.SetTimeout(0);
      const int32_t id = e.scriptId;
      p.SetOnDismiss([id] { ScriptPromptClosed(id); });
      break;
    }
    case kScriptPromptEventList:
      if (e.auctionScreen) p.Open();
      else h.day.Open();
      break;
    case kScriptPromptDismiss:
      p.Close();
      break;
    case kScriptPromptArrow:
      p.PointAt(e.x, e.y);
      break;
    case kScriptPromptPosition:
      if (p.layoutModel)
        p.SetModelPosition(e.hasX ? e.x : p.layoutModel->x, e.hasY ? e.y : p.layoutModel->y);
      break;
  }
}

// The local player's card on the card panel; another player's played card
// announced on the prompt, with what it paid or cost the local player.
void ShowChanceCard(const ChanceCardEvent& e) {
  HudPanelObjects& h = HudPanels();
  const CPlayer* local = PlayerTable().Local();
  if (e.kind == kCardShown) {
    if (local && local->index == e.player && h.card.built) h.card.ShowCard(e.card);
    return;
  }
  if (!PromptShown()) return;
  const ChanceCard& c = GetChanceCard(e.card);
  CPromptPanel& p = CurrentPrompt();
  p.Open();
  p.SetPortrait(PortraitOf(e.player));
  p.SetLineTextWithNumbers(0, kCardPlayedText, 0);
  p.SetLineText(1, c.textId + 1, PlayerName(e.player));
  if (e.localTouched) {
    // Each text added to a prompt line starts its own line.
    p.AddMainTextArgs1(c.textId + 2, FormatMoneyDecimal(e.localAmount));
  }
  p.SetButtonCount(1);
  p.SetButtonText(0, 1437);
  p.SetButtonHighlight(0, true);
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
        } else if constexpr (std::is_same_v<T, ScriptPromptEvent>) {
          ApplyScriptPrompt(e);
        } else if constexpr (std::is_same_v<T, GoalResultEvent>) {
          ShowGoalResultPrompt(e);
        } else if constexpr (std::is_same_v<T, TickerEvent>) {
          h.ticker.AddMessage(e.record);
        } else if constexpr (std::is_same_v<T, SpeedEvent>) {
          h.viewButtons.ApplyViewMode(e.fast);
        } else if constexpr (std::is_same_v<T, AuctionEvent>) {
          FollowAuction(e);
        } else if constexpr (std::is_same_v<T, VoteEvent>) {
          h.voting.ShowVote(e);
        } else if constexpr (std::is_same_v<T, ChanceCardEvent>) {
          ShowChanceCard(e);
        } else if constexpr (std::is_same_v<T, SelectionPageEvent>) {
          if (!h.selection.built) return;
          if (e.rebuild) h.selection.RebuildCurrentPage();
          else h.selection.RefreshPage();
        } else if constexpr (std::is_same_v<T, BlockAnsweredEvent>) {
          if (!h.selection.built) return;
          h.selection.blockPage.OnBlockRequestAnswered(e.block, e.force != 0);
          h.selection.RefreshPage();
        } else if constexpr (std::is_same_v<T, DemolitionStartedEvent>) {
          if (h.selection.built) h.selection.businessPage.OnDemolitionStarted(e.building);
        } else if constexpr (std::is_same_v<T, BusinessTradedEvent>) {
          if (h.selection.built) h.selection.businessPage.OnBusinessTraded(e.building);
        } else if constexpr (std::is_same_v<T, MoneyEvent>) {
          h.time.moneyAnimation = h.auctionTime.moneyAnimation = kMoneyFlashFrames;
        }
      },
      event);
}

void TickHudPanels() { HudPanels().ticker.Tick(); }
