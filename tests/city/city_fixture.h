#pragma once
// Builds the city of the built-in map for a test, with the default services,
// on the session as a new game leaves it: nine o'clock, tick 0, no players,
// no messages waiting. The city calls the session directly, so tests set the
// clock and the players there and read posted messages from the event queue.
#include <cstring>
#include <vector>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/city_map.h"
#include "city/city_services.h"
#include "engine/core/error.h"
#include "engine/core/byte_io.h"
#include "session/event_queue.h"
#include "session/game_clock.h"
#include "session/player.h"
#include "session/player_data.h"
#include "session/session_state.h"
#include "session/simulation.h"
#include "session/utility_income.h"

// The program's own new-game reset (the game root calls the same), then the
// built-in map's city. The city's random streams take their places first, as
// the program's start gives them theirs before the session's: the reset's
// first draw would otherwise put the chance deck's stream ahead of them.
inline void BuildTestCity() {
  RestoreDefaultCityServices();
  RegisterCityRandomStreams();
  ResetSimulation();
  InitBlockDefs();
  InitDistricts();
  ResetBuildingKinds();
  ResetBuildings();
  BuildCityFromMap();
}

// Human players 1..count, each with the given cash; the first is the local one.
inline void AddTestPlayers(int count, float money = 100000.0f) {
  for (int i = 0; i < count; ++i) {
    const int32_t slot = PlayerTable().CreatePlayerSlot(kPlayerHuman, -1, i == 0 ? "Ada" : "Bob");
    PlayerTable().Get(slot)->money = money;
  }
  PlayerTable().SetLocal(PlayerTable().Get(0));
}

// The game messages posted and waiting for their delivery tick, in order:
// type, length, then the payload's words.
inline std::vector<std::vector<int32_t>> PostedMessages() {
  std::vector<std::vector<int32_t>> out;
  for (const CGameEvent& e : EventQueue().LogicList()) {
    if (e.kind != kEventDeliverMessage) continue;
    std::vector<int32_t> m = {e.message.Type(), e.message.Length()};
    std::span<const uint8_t> payload = e.message.Payload();
    for (size_t i = 0; i + 4 <= payload.size(); i += 4) m.push_back(LoadLeI32(&payload[i]));
    out.push_back(m);
  }
  return out;
}
