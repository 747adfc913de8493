#include "app/session_rule_commands.h"

#include <string>
#include <string_view>

#include "app/game.h"
#include "app/game_parts.h"
#include "app/scripted_player_commands.h"
#include "city/blocks.h"
#include "engine/core/console.h"
#include "session/auction.h"
#include "session/chat_log.h"
#include "session/game_messages.h"
#include "session/goals.h"
#include "session/player.h"
#include "session/scenarios.h"

namespace {

int Usage(const char* text) {
  ConsolePrintF(kConsoleError, "Usage: %s", text);
  return 0;
}

bool ValidPlayer(int32_t player) {
  const CPlayer* p = PlayerTable().Get(player);
  return p != nullptr && p->inUse;
}

int StartLevelCommand(const char* rest) {
  int32_t id = 0, difficulty = ScenarioManager().Difficulty();
  if (!ReadConsoleInt(rest, id)) return Usage("STARTLEVEL id [difficulty]");
  ReadConsoleInt(rest, difficulty);
  const LevelEntry* level = FindKnownLevel(id);
  if (level == nullptr || difficulty < 0 || difficulty > 2) {
    ConsolePrintF(kConsoleError, "Error. Level %d (difficulty %d) is not known", id, difficulty);
    return 0;
  }
  ScenarioManager().SetDifficulty(difficulty);
  FillLevelPlayerSetup(*level);
  TheGame().NewGame(level);
  ConsolePrintF(kConsoleReply, "Level %d started", id);
  return 0;
}

int AuctionCommand(const char* rest) {
  int32_t block = -1, opening = 0;
  if (!ReadConsoleInt(rest, block)) return Usage("AUCTION block [opening]");
  ReadConsoleInt(rest, opening);
  if (GetBlock(block) == nullptr || AuctionRunning()) {
    ConsolePrintF(kConsoleError, "Error. Block %d cannot go to auction now", block);
    return 0;
  }
  Post(StartAuctionMsg{BlockId{block}, PlayerIndex{kCityPlayer}, opening, {}});
  return 0;
}

// BID, PASS and PULLOUT: a move of a player of the game in the auction that is up.
int AuctionMoveCommand(const char* rest, AuctionMove move) {
  int32_t player = -1, amount = 0;
  if (!ReadConsoleInt(rest, player) || (move == kAuctionMoveBid && !ReadConsoleInt(rest, amount)))
    return Usage("BID player amount | PASS player | PULLOUT player");
  const CAuction* auction = CurrentAuction();
  if (!ValidPlayer(player) || auction == nullptr || !auction->active) {
    ConsolePrintF(kConsoleError, "Error. No auction is up for player %d", player);
    return 0;
  }
  if (move == kAuctionMoveBid) PostAuctionBid(player, amount);
  if (move == kAuctionMovePass) PostAuctionPass(player);
  if (move == kAuctionMovePullOut) PostAuctionPullOut(player);
  return 0;
}

int ObjectiveCommand(const char* rest) {
  int32_t kind = -1;
  float target = 0;
  if (!ReadConsoleInt(rest, kind) || !ReadConsoleFloat(rest, target)) return Usage("OBJECTIVE kind target");
  if (!SetObjective(kind, target)) ConsolePrintF(kConsoleError, "Error. Objective %d is not known", kind);
  return 0;
}

int SayCommand(const char* rest) {
  std::string_view text = rest ? rest : "";
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  const CPlayer* local = PlayerTable().Local();
  ChatLog().PostLine(text, local ? local->index : 0, {});
  return 0;
}

}  // namespace

void AttachSessionRuleCommands() {
  RegisterGameConsoleCommand("STARTLEVEL", StartLevelCommand);
  RegisterGameConsoleCommand("AUCTION", AuctionCommand);
  RegisterGameConsoleCommand("BID", [](const char* rest) { return AuctionMoveCommand(rest, kAuctionMoveBid); });
  RegisterGameConsoleCommand("PASS", [](const char* rest) { return AuctionMoveCommand(rest, kAuctionMovePass); });
  RegisterGameConsoleCommand("PULLOUT", [](const char* rest) { return AuctionMoveCommand(rest, kAuctionMovePullOut); });
  RegisterGameConsoleCommand("OBJECTIVE", ObjectiveCommand);
  RegisterGameConsoleCommand("SAY", SayCommand);
  AttachScriptedPlayerCommands();
}
