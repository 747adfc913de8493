#include "session/session_state.h"

GameTimeWords& GameTime() {
  static GameTimeWords words;
  return words;
}

void ResetGameTime() { GameTime() = GameTimeWords{}; }

// Saved as game-time words; the session gives them their meaning.
uint32_t& LogicTick() { return reinterpret_cast<uint32_t&>(GameTime().gameTime[0]); }
uint32_t& RunningTick() { return reinterpret_cast<uint32_t&>(GameTime().gameTime[1]); }
uint32_t& TickLimit() { return reinterpret_cast<uint32_t&>(GameTime().timeWords[0]); }
uint32_t& DayTick() { return reinterpret_cast<uint32_t&>(GameTime().timeWords[1]); }

SessionState& Session() {
  static SessionState state;
  return state;
}

void CopyNetworkSession(const SessionState& from, SessionState& to) {
  to.networkSession = from.networkSession;
  to.host = from.host;
  to.networkGameStarted = from.networkGameStarted;
  to.networkSeed = from.networkSeed;
  to.networkScenario = from.networkScenario;
  to.localSlot = from.localSlot;
  to.localDirectPlayId = from.localDirectPlayId;
  to.serverSlot = from.serverSlot;
  to.sessionLost = from.sessionLost;
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
