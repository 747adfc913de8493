#pragma once
// The session's program-wide state: the tick counters, the game state, the
// network flags of this machine and the script-set game tweaks.
#include <cstdint>

#include "city/city_limits.h"

// Game states selecting what a logic tick steps.
enum GameStateValue : int32_t { kGameStateRunning = 1, kGameStateAuction = 2, kGameStateCutScene = 3 };

inline constexpr uint32_t kTicksPerHour = 625;
inline constexpr uint32_t kTicksPerDay = 15000;
inline constexpr uint32_t kMessageDeliveryLead = 25;  // ticks from posting to applying
inline constexpr int kMaxPlayers = kMaxPlayerNumber;  // player slots

// Six words saved as chunk 1024: two game-time words, two further time
// words, the screen mode and the view state.
struct GameTimeWords {
  int32_t gameTime[2] = {0, 0};
  int32_t timeWords[2] = {25, 0};  // the frame step first
  int32_t screenMode = 0;
  int32_t viewState = 1;

  template <class V>
  void Visit(V& v) {
    v.Field(gameTime);
    v.Field(timeWords);
    v.Field(screenMode);
    v.Field(viewState);
  }
};
GameTimeWords& GameTime();
// The new-game values: no ticks, the frame step, the first view state.
void ResetGameTime();

// Tick counters. The logic tick, running tick, tick limit and day tick live in
// the game-time words, so they are saved with chunk 1024.
uint32_t& LogicTick();
uint32_t& RunningTick();
uint32_t& TickLimit();
uint32_t& DayTick();

struct SessionState {
  uint32_t tickInHour = 0;  // running ticks since the hour began, 0..624
  int32_t ticksPerCall = 1;  // 1 normal, 4 fast (single player only)
  int32_t gameState = kGameStateRunning;
  bool networkSession = false;  // a network session is open
  bool host = false;            // this machine hosts it
  bool inGame = false;          // a level is running
  bool networkGameStarted = false;
  int32_t networkSeed = 0;  // shared seed of a network game (message 4)
  int32_t networkScenario = 0;  // its level (message 4)
  int32_t localSlot = 0;    // this machine's lobby slot
  int32_t localDirectPlayId = 0;
  int32_t hostDirectPlayId = 0;  // 0 until the transport knows it
  int32_t executableVersion = 1;
  int32_t serverSlot = 0;   // the slot this machine sends to in a session
  bool sessionLost = false;
  bool unlimitedMoney = false;  // console switch; off at every settings reset
  int32_t shellGameMode = 0;    // 3 skips the hourly scenery schedule
};
SessionState& Session();

// True in a single-player game or on the host: the machine that runs the
// computer players, the auctioneer, the goal checks and the tick grants.
inline bool IsAuthority() { return !Session().networkSession || Session().host; }

// Values the scripts set through the tweaks table. Zero until a script sets
// them (the calendar stands still and leases never run out until then).
struct GameTweaks {
  int32_t yearsPerDay = 0;        // numyearsin24hours
  int32_t blockLeaseLength = 0;   // blockleaselength, in game hours
  float startingCash = 5000.0f;
  float railUtilIncome[3] = {};   // by difficulty 0..2 (HARD, MEDIUM, EASY keys)
  float dailyFreight[3] = {};
  bool aiDayRollover = true;      // game option: computer players' day roll-over
};
GameTweaks& Tweaks();

// Level start: logic, running and day ticks 0, tick-in-hour 0, tick limit 25,
// one tick per call, game state running.
void ResetTickCounters();
