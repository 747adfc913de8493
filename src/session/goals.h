#pragma once
// Victory goals: the level's objective, checked on the single-player machine
// or the host, and the two standing rules: two midnights in a row in debt
// bankrupts a player, and the last player left wins. Results travel as goal
// messages (type 9) that every machine shows (ShowGoalResult); closing the
// result prompt starts the win or lose sequence.
#include <cstdint>

#include "engine/core/record_visitor.h"
#include "session/session_state.h"

struct GoalResultMsg;
struct GoalResultEvent;

enum ObjectiveKind : int32_t {
  OBJECTIVE_NONE = 0,
  OBJECTIVE_FIRST_TO_BE_MAYOR = 1,
  OBJECTIVE_WEAKEST_LINK = 2,
  OBJECTIVE_PROFIT = 3,
  OBJECTIVE_PAPERWEALTH_BY_DATE = 4,
  OBJECTIVE_PAPERWEALTH_BY_AMOUNT = 5,
  OBJECTIVE_SALES = 6,
};

enum GoalResult : int32_t {
  kGoalBankrupt = 0,
  kGoalVotedOut = 1,
  kGoalWon = 2,
  kGoalNotice = 3,
  kGoalLastPlayer = 4,
};

inline constexpr int32_t kGoalRecordSize = 60;
inline constexpr int32_t kNoToken = 10;

struct GoalPlayerState {
  uint8_t inDebt = 0;  // in debt at the last midnight
  uint8_t reached = 0;
  int32_t margin = 0;
  template <class V> void Visit(V& v) {
    v.U8(inDebt, {0, 1, "debt flag"});
    v.U8(reached, {0, 1, "reached flag"});
    v.Pad(2);
    v.I32(margin);
  }
};

// The goals record (chunk 0x10000, 60 bytes).
struct CGameGoal {
  int32_t kind = OBJECTIVE_NONE;
  float target = 0;
  uint8_t lastPlayerRule = 1;
  GoalPlayerState players[kMaxPlayers];
  template <class V> void Visit(V& v) {
    v.I32(kind, {OBJECTIVE_NONE, OBJECTIVE_SALES, "objective"});
    v.F32(target, kFinite);
    v.U8(lastPlayerRule, {0, 1, "rule flag"});
    v.Pad(3);
    for (GoalPlayerState& p : players) p.Visit(v);
  }
};

CGameGoal& GameGoal();
// New game: no objective, the last-player rule on. Also drops the mark that
// the game has been decided.
void ResetGoals();
// Game.SetObjective: kind 0..6 (others refused), target, optional rule flag
// (-1: leave it).
bool SetObjective(int32_t kind, float target, int32_t ruleFlag = -1);

// Every 50 logic ticks while the city runs; the hourly update's debt check
// (it acts at midnight) and the 18 o'clock vote. Single player or host.
void CheckGoals();
void ResolveGoal(int32_t count);
void CheckDebtsHourly(int32_t hour);
void RunDailyVote();

// Goal message 9 at its delivery: the result prompt (a game event).
void ShowGoalResult(const GoalResultMsg& message);
// The result prompt closed: the pause and the end sequence where it ends the
// game for this machine.
void CloseGoalResult(const GoalResultEvent& prompt);
// The win or lose sequence of this machine: its cut scene, music and script
// event; the bonus level opens when the standard campaign's last level is won.
void StartEndSequence(int32_t code);
// The result prompt for the victory goals' notices: portrait 302, two lines.
void ShowSimplePrompt(int32_t line1, int32_t line2);

void RegisterGoalSaveHooks();
