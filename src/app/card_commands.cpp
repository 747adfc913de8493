#include "app/card_commands.h"

#include "engine/core/console.h"
#include "session/chance_cards.h"
#include "session/player.h"

namespace {

int DealCardCommand(const char* rest) {
  int32_t card = 0;
  if (!ReadConsoleInt(rest, card)) {
    ConsolePrintF(kConsoleError, "Usage: DEALCARD card [player]");
    return 0;
  }
  const CPlayer* local = PlayerTable().Local();
  int32_t player = local ? local->index : -1;
  ReadConsoleInt(rest, player);
  CPlayer* p = PlayerTable().Get(player);
  if (p == nullptr || !p->inUse || card <= 0 || card >= kChanceCardCount) {
    ConsolePrintF(kConsoleError, "Error. Card %d cannot be dealt to player %d", card, player);
    return 0;
  }
  if (p->Chance().CardState() != kCardNone) {
    ConsolePrintF(kConsoleError, "Error. Player %d holds card %d already", player, p->Chance().HeldCard());
    return 0;
  }
  // The city deals it only while it is in the deck.
  p->Chance().PostChanceMessage(card);
  return 0;
}

int ShowCardCommand(const char*) {
  ShowLocalHeldCard();
  return 0;
}

}  // namespace

void ShowLocalHeldCard() {
  if (CPlayer* local = PlayerTable().Local(); local && local->inUse) local->Chance().ShowHeldCard();
}

void AttachCardCommands() {
  RegisterConsoleCommand("DEALCARD", DealCardCommand);
  RegisterConsoleCommand("SHOWCARD", ShowCardCommand);
}
