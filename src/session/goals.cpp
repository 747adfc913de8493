#include "session/goals.h"

#include <cmath>

#include "engine/core/run_state.h"
#include "session/save_chunks.h"
#include "session/game_clock.h"
#include "session/game_events.h"
#include "session/game_messages.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/scenarios.h"
#include "session/session_services.h"

namespace {

constexpr int32_t kOkButton = 1435;

struct GoalState {
  CGameGoal record;
  // A winner has been announced: the checks stop, so the result is posted
  // once and the players its rule removed do not start a second one.
  bool decided = false;
};

GoalState& Goals() {
  static GoalState state;
  return state;
}

template <class F>
void ForEachPlayerInUse(F&& f) {
  CPlayerTable& table = PlayerTable();
  for (int32_t i = 0; i < kMaxPlayers; ++i)
    if (CPlayer* p = table.Get(i); p && p->inUse) f(*p);
}

void PostGoal(int32_t player, int32_t result) { Post(GoalResultMsg{PlayerIndex{player}, result}); }

void TellPlayer(int32_t player, int32_t code) {
  PlayerTable().PostPlayerMessage(player, kCityPlayer, code, PlainNote{}, -1);
}

void RemoveFromGame(int32_t player) {
  TellPlayer(player, PLAYER_MESS_REMOVED);
  Post(RemovePlayerMsg{PlayerIndex{player}});
}

// The winner is announced and every other player leaves the game.
void DeclareWinner(int32_t winner) {
  Goals().decided = true;
  PostGoal(winner, kGoalWon);
  ForEachPlayerInUse([&](CPlayer& p) {
    if (p.index != winner) RemoveFromGame(p.index);
  });
}

// Reached when value >= target, with the margin over it.
void ReachIfAbove(GoalPlayerState& s, float value, float target, int32_t& count) {
  if (value < target) return;
  s.reached = 1;
  s.margin = static_cast<int32_t>(value - target);
  ++count;
}

int32_t CountReached(CGameGoal& g) {
  CData& data = PlayerData();
  int32_t count = 0;
  switch (g.kind) {
    case OBJECTIVE_PROFIT:
      ForEachPlayerInUse([&](CPlayer& p) {
        ReachIfAbove(g.players[p.index], data.GetTradingProfitsForPlayer(p.index), g.target, count);
      });
      break;
    case OBJECTIVE_PAPERWEALTH_BY_DATE: {
      if (GameClock().CalendarYear() < static_cast<int32_t>(g.target)) break;
      bool any = false;
      int32_t best = 0;
      ForEachPlayerInUse([&](CPlayer& p) {
        const int32_t wealth = static_cast<int32_t>(data.GetPaperWealthForPlayer(p.index));
        if (!any || wealth > best) best = wealth;
        any = true;
      });
      ForEachPlayerInUse([&](CPlayer& p) {
        if (static_cast<int32_t>(data.GetPaperWealthForPlayer(p.index)) != best) return;
        g.players[p.index].reached = 1;
        ++count;
      });
      break;
    }
    case OBJECTIVE_PAPERWEALTH_BY_AMOUNT:
      ForEachPlayerInUse([&](CPlayer& p) {
        ReachIfAbove(g.players[p.index], data.GetPaperWealthForPlayer(p.index), g.target, count);
      });
      break;
    case OBJECTIVE_SALES:
      ForEachPlayerInUse([&](CPlayer& p) {
        ReachIfAbove(g.players[p.index], static_cast<float>(p.salesCount), g.target, count);
      });
      break;
    default:
      break;
  }
  return count;
}

struct VoteShares {
  float shares[kMaxPlayers] = {};
  int32_t top = -1, bottom = -1;
  int32_t topCount = 0, bottomCount = 0;
};

VoteShares CountVotes() {
  VoteShares v;
  int32_t points[kMaxPlayers] = {};
  int64_t sum = 0;
  ForEachPlayerInUse([&](CPlayer& p) {
    points[p.index] = p.GetRatingPoints();
    sum += points[p.index];
  });
  int32_t high = 0, low = 0;
  bool first = true;
  ForEachPlayerInUse([&](CPlayer& p) {
    // Early in a game nobody has points yet: every share is 0.
    const int32_t share =
        sum > 0 ? static_cast<int32_t>(std::lround(static_cast<double>(points[p.index]) * 10000.0 / sum)) : 0;
    v.shares[p.index] = static_cast<float>(share) * 0.01f;
    if (first || share > high) {
      high = share;
      v.top = p.index;
      v.topCount = 0;
    }
    if (first || share < low) {
      low = share;
      v.bottom = p.index;
      v.bottomCount = 0;
    }
    first = false;
    v.topCount += share == high;
    v.bottomCount += share == low;
  });
  return v;
}

VoteEvent VotePanel(const VoteShares& v, int32_t named, bool winner) {
  VoteEvent e;
  for (int i = 0; i < kMaxPlayers; ++i) e.shares[i] = v.shares[i];
  e.named = named;
  e.winner = winner;
  e.weakestLink = GameGoal().kind == OBJECTIVE_WEAKEST_LINK;
  // The mayor's race shows the days each player has led the vote.
  if (!e.weakestLink) ForEachPlayerInUse([&e](CPlayer& p) { e.votes[size_t(p.index)] = p.statisticA; });
  return e;
}

// The prompt before a vote: several share the place, the local player holds
// it, the local player is at the other end, or another player holds it.
void VotePrompt(int32_t title, int32_t firstBody, int32_t place, int32_t placeCount, int32_t otherEnd) {
  const CPlayer* local = PlayerTable().Local();
  const int32_t me = local ? local->index : -1;
  int32_t body = firstBody + 3;
  if (placeCount > 1)
    body = firstBody;
  else if (place == me)
    body = firstBody + 1;
  else if (otherEnd == me)
    body = firstBody + 2;
  ShowSimplePrompt(title, body);
}

void SaveGoals() { WriteRecordChunk(kChunkGoals, GameGoal()); }

}  // namespace

CGameGoal& GameGoal() { return Goals().record; }

void ResetGoals() {
  Goals() = GoalState{};
}

bool SetObjective(int32_t kind, float target, int32_t ruleFlag) {
  if (kind < OBJECTIVE_NONE || kind > OBJECTIVE_SALES || !std::isfinite(target)) return false;
  CGameGoal& g = GameGoal();
  g.kind = kind;
  g.target = target;
  if (ruleFlag >= 0) g.lastPlayerRule = ruleFlag != 0;
  return true;
}

void CheckGoals() {
  if (!IsAuthority() || Goals().decided) return;
  CGameGoal& g = GameGoal();
  // The last one left of several: a game that one player began alone is
  // not won by its start.
  const CPlayerTable& table = PlayerTable();
  if (g.lastPlayerRule && g.kind != OBJECTIVE_NONE && table.ActiveCount() == 1 && table.PlayerCount() > 1) {
    int32_t last = -1;
    ForEachPlayerInUse([&](CPlayer& p) {
      if (last < 0) last = p.index;
    });
    if (last >= 0) {
      Goals().decided = true;
      PostGoal(last, kGoalLastPlayer);
    }
    return;
  }
  // The flags say who reached the objective in this check.
  for (GoalPlayerState& s : g.players) s.reached = 0;
  ResolveGoal(CountReached(g));
}

void ResolveGoal(int32_t count) {
  if (count <= 0 || Goals().decided) return;
  const CGameGoal& g = GameGoal();
  int32_t winner = -1;
  if (count == 1) {
    ForEachPlayerInUse([&](CPlayer& p) {
      if (g.players[p.index].reached) winner = p.index;
    });
  } else {
    bool tie = false;
    ForEachPlayerInUse([&](CPlayer& p) {
      const GoalPlayerState& s = g.players[p.index];
      if (!s.reached) return;
      if (winner < 0 || s.margin > g.players[winner].margin) {
        winner = p.index;
        tie = false;
      } else if (s.margin == g.players[winner].margin) {
        tie = true;
      }
    });
    if (tie) return;  // equal margins: nobody has won yet
  }
  if (winner >= 0) DeclareWinner(winner);
}

// Every machine keeps the debt flags from the money they share at the same
// midnight, so that each one's save holds the same goals record; only the
// host tells the players and removes the bankrupt.
void CheckDebtsHourly(int32_t hour) {
  if (hour != 24) return;
  const bool authority = IsAuthority();
  CGameGoal& g = GameGoal();
  ForEachPlayerInUse([&](CPlayer& p) {
    GoalPlayerState& s = g.players[p.index];
    if (p.money >= 0.0f) {
      if (s.inDebt && authority) TellPlayer(p.index, PLAYER_MESS_OUT_OF_DEBT);
      s.inDebt = 0;
    } else if (s.inDebt) {
      if (!authority) return;
      PostGoal(p.index, kGoalBankrupt);
      RemoveFromGame(p.index);
    } else {
      s.inDebt = 1;
      if (authority) TellPlayer(p.index, PLAYER_MESS_DEBT_WARNING);
    }
  });
}

void RunDailyVote() {
  CGameGoal& g = GameGoal();
  const VoteShares v = CountVotes();
  const int32_t day = GameClock().dayCounter;
  if (g.kind == OBJECTIVE_FIRST_TO_BE_MAYOR && day >= 1) {
    if (day == 1) {
      VotePrompt(1716, 1719, v.top, v.topCount, v.bottom);
    } else {
      const bool single = v.topCount == 1 && v.top >= 0;
      CPlayer* leader = single ? PlayerTable().Get(v.top) : nullptr;
      if (leader) ++leader->statisticA;
      const bool won = leader && leader->statisticA == static_cast<int32_t>(g.target);
      PostGameEvent(VotePanel(v, single ? v.top : -1, won));
      if (won && IsAuthority() && !Goals().decided) {
        for (GoalPlayerState& s : g.players) s.reached = 0;
        g.players[v.top].reached = 1;
        ResolveGoal(1);
      }
    }
  } else if (g.kind == OBJECTIVE_WEAKEST_LINK) {
    const int32_t voteDay = static_cast<int32_t>(g.target);
    if (day + 1 == voteDay) VotePrompt(1717, 1723, v.bottom, v.bottomCount, v.top);
    if (day >= voteDay) {
      const bool single = v.bottomCount == 1 && v.bottom >= 0;
      PostGameEvent(VotePanel(v, single ? v.bottom : -1, false));
      if (single && IsAuthority()) {
        PostGoal(v.bottom, kGoalVotedOut);
        RemoveFromGame(v.bottom);
      }
    }
  }
  ForEachPlayerInUse([](CPlayer& p) { p.pointsA = 0; });
}

void ShowSimplePrompt(int32_t line1, int32_t line2) {
  PostGameEvent(PromptEvent{kDefaultPortrait, line1, line2, 0, kOkButton});
}

// ---- Results ---------------------------------------------------------------------

void ShowGoalResult(const GoalResultMsg& m) {
  const int32_t player = m.player.value;
  // Results name a player of the game; any other is dropped.
  if (PlayerTable().Get(player) == nullptr) return;
  const CPlayer* local = PlayerTable().Local();
  const bool mine = local != nullptr && local->index == player;
  GoalResultEvent e;
  e.player = player;
  e.result = m.result;
  const auto lines = [&](int32_t mine1, int32_t mine2, int32_t other1, int32_t other2) {
    e.line1 = mine ? mine1 : other1;
    e.line2 = mine ? mine2 : other2;
    if (!mine) e.nameArg = player;
  };
  switch (m.result) {
    case kGoalBankrupt:
      lines(1851, 1852, 1853, 1854);
      if (mine) e.endCode = kNoToken;
      break;
    case kGoalVotedOut:
      lines(1855, 1856, 1857, 1858);
      if (mine) e.endCode = kNoToken;
      break;
    case kGoalWon: {
      // By objective kind 1..6: line 1 and line 2 for the winner and for the others.
      static constexpr int32_t kLines[6][4] = {{1831, 1843, 1837, 1849}, {1832, 1844, 1838, 1850},
                                               {1828, 1840, 1834, 1846}, {1829, 1841, 1835, 1847},
                                               {1830, 1842, 1836, 1848}, {1827, 1839, 1833, 1845}};
      const CGameGoal& g = GameGoal();
      if (g.kind >= 1 && g.kind <= 6) {
        const int32_t* row = kLines[g.kind - 1];
        lines(row[0], row[1], row[2], row[3]);
        e.amountArg = g.target;
      }
      e.endCode = player;
      break;
    }
    case kGoalNotice:
      e.line1 = 1859;
      e.line2 = 1860;
      e.nameArg = player;
      break;
    case kGoalLastPlayer:
      e.line1 = 1861;
      e.line2 = 1862;
      e.endCode = player;
      break;
    default:
      return;
  }
  PostGameEvent(e);
}

void CloseGoalResult(const GoalResultEvent& prompt) {
  if (prompt.endCode < 0) return;
  GamePauseState().AddReason(0);
  StartEndSequence(prompt.endCode);
}

void StartEndSequence(int32_t code) {
  const CPlayer* local = PlayerTable().Local();
  const int32_t me = local ? local->character : kNoToken;
  CutSceneEvent scene;
  const char* music = "music_loser.wma";
  if (local != nullptr && code == local->index) {
    scene.winnerToken = me;
    scene.loserToken = kNoToken;
    const ScenarioEntry* level = ScenarioManager().Current();
    if (level != nullptr && level->id == kLevelStandard) {
      scene.name = "complete_sequence";
      ScenarioManager().UnlockById(kLevelBonus);
    } else {
      scene.name = "win_sequence";
    }
    music = "music_winner.wma";
  } else {
    const CPlayer* winner = code == kNoToken ? nullptr : PlayerTable().Get(code);
    scene.winnerToken = winner ? winner->character : kNoToken;
    scene.loserToken = me;
    scene.name = "lose_sequence";
  }
  scene.code = code;
  PostGameEvent(scene);
  PostGameEvent(MusicTrackEvent{music});
  Services().game->CatchEvent(scene.name, code);
}

void RegisterGoalSaveHooks() {
  RegisterSaveHook(kSaveGoals, [] { SaveGoals(); });
  RegisterRecordChunk<CGameGoal>(kChunkGoals, kGoalRecordSize, [](const CGameGoal& g) { GameGoal() = g; }, 1);
}
