#pragma once
// The simulation's one way up: game events for what is above it (the
// interface's prompts, panels and ticker, money animations, sound and music).
// The simulation posts them and never asks those layers anything or holds a
// handle of theirs; the game root drains them once per frame and hands each
// to the interface and to sound. They are no part of the simulation's state:
// never read back, never saved, never checksummed.
#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "session/game_messages.h"

// A one-button prompt: the portrait image, the line text, the body text and
// the text filling the body's argument (0 none), the button text.
struct PromptEvent {
  int32_t portrait = 0;
  int32_t line = 0;
  int32_t body = 0;
  int32_t bodyArg = 0;
  int32_t button = 0;
};
// A player message for the local human player to see (buy requests and
// answers, debt warnings, buy-outs); the answer comes back as a game message.
struct PlayerMessageEvent {
  int32_t player = 0;  // index 0..5
  PlayerMessage message;
};
// The selection panel's page shows figures that changed.
struct SelectionPageEvent {};
// A block request was answered (force 1: refused).
struct BlockAnsweredEvent {
  int32_t block = -1;
  int32_t force = 0;
};
struct DemolitionStartedEvent {
  int32_t building = -1;
};
// A business changed hands (-1: its building is gone).
struct BusinessTradedEvent {
  int32_t building = -1;
};
// One status-line record for the ticker.
struct TickerEvent {
  std::array<int32_t, 10> record{};
};
// The logic speed switch changed.
struct SpeedEvent {
  bool fast = false;
};
// The local player left the game: its panels close.
struct LocalPlayerLeftEvent {};
// The local player's money went up (gain) or down.
struct MoneyEvent {
  bool gain = false;
};
// Play a sample (a name in the sound bank) at a volume 0..100; stop it if it
// still plays.
struct SoundEvent {
  const char* sample = "";
  int32_t volume = 100;
};
struct StopSoundEvent {
  const char* sample = "";
};
// The music of an era (decade 0..7).
struct MusicEvent {
  int32_t era = 0;
};

// The host found a client's sync snapshot different from its own: the
// report names the tick, the client and both snapshots, for the desync log.
struct DesyncEvent {
  uint32_t tick = 0;
  int32_t client = 0;  // the client's player index
  std::string report;
};

using GameEvent = std::variant<PromptEvent, PlayerMessageEvent, SelectionPageEvent, BlockAnsweredEvent,
                               DemolitionStartedEvent, BusinessTradedEvent, TickerEvent, SpeedEvent,
                               LocalPlayerLeftEvent, MoneyEvent, SoundEvent, StopSoundEvent, MusicEvent,
                               DesyncEvent>;

// Events wait at most this many; with nobody draining (tests, a stalled
// frame) later ones are dropped rather than piling up.
inline constexpr size_t kMaxPendingGameEvents = 4096;

void PostGameEvent(const GameEvent& event);
// Every event posted since the last call, oldest first.
std::vector<GameEvent> TakeGameEvents();
void ClearGameEvents();
