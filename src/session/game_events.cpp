#include "session/game_events.h"

namespace {

std::vector<GameEvent>& Pending() {
  static std::vector<GameEvent> events;
  return events;
}

}  // namespace

void PostGameEvent(const GameEvent& event) {
  std::vector<GameEvent>& pending = Pending();
  if (pending.size() < kMaxPendingGameEvents) pending.push_back(event);
}

std::vector<GameEvent> TakeGameEvents() {
  std::vector<GameEvent> taken;
  taken.swap(Pending());
  return taken;
}

void ClearGameEvents() { Pending().clear(); }
