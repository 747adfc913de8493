#include "session/session_state.h"

GameTimeWords& GameTime() {
  static GameTimeWords words;
  return words;
}

void ResetGameTime() {
  GameTimeWords& t = GameTime();
  t.viewState = 1;
  t.gameTime[0] = 0;
  t.gameTime[1] = 0;
  t.timeWords[0] = 25;
}

// Saved as game-time words; the session gives them their meaning.
uint32_t& LogicTick() { return reinterpret_cast<uint32_t&>(GameTime().gameTime[0]); }
uint32_t& RunningTick() { return reinterpret_cast<uint32_t&>(GameTime().gameTime[1]); }
uint32_t& TickLimit() { return reinterpret_cast<uint32_t&>(GameTime().timeWords[0]); }
uint32_t& DayTick() { return reinterpret_cast<uint32_t&>(GameTime().timeWords[1]); }

SessionState& Session() {
  static SessionState state;
  return state;
}

GameTweaks& Tweaks() {
  static GameTweaks tweaks;
  return tweaks;
}

void ResetTickCounters() {
  LogicTick() = 0;
  RunningTick() = 0;
  DayTick() = 0;
  TickLimit() = kMessageDeliveryLead;
  SessionState& s = Session();
  s.tickInHour = 0;
  s.ticksPerCall = 1;
  s.gameState = kGameStateRunning;
}
