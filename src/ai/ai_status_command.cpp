// The console command AISTATUS: one line for each computer player in the
// game, with its state, its strategy, tactic and sub-tactic and its money.
#include "ai/ai_strategy.h"
#include "ai/computer_player.h"
#include "engine/core/console.h"
#include "session/player.h"

namespace {

int AiStatusCommand(const char*) {
  int32_t shown = 0;
  for (int32_t slot = 0; slot < kMaxPlayers; ++slot) {
    const CPlayerAI* ai = ComputerPlayer(slot);
    if (ai == nullptr || !ai->inUse) continue;
    ConsolePrintF(kConsoleReply, "%s: %s | %s | %s | %s | block %d | money %.0f", ai->name, AiStateString(ai->mode),
                  StrategyText(*ai), TacticText(*ai), SubTacticText(*ai), ai->plan.chosenBlock, ai->money);
    ++shown;
  }
  if (shown == 0) ConsolePrint("No computer players in the game", kConsoleReply);
  return 1;
}

}  // namespace

void AttachComputerPlayerCommands() { RegisterConsoleCommand("AISTATUS", AiStatusCommand); }
