#pragma once
// The simulation's random streams stand in the program-wide list in the
// program's order before any test touches one. A stream first used by an
// earlier test would otherwise take an earlier place, and a city seeded the
// same way would come out differently with the order the tests ran in.
// A test program that seeds the simulation adds it once:
//   testing::AddGlobalTestEnvironment(new RandomStreamsEnvironment);
#include <gtest/gtest.h>

#include "city/city_map.h"
#include "engine/core/random_streams_order.h"
#include "session/chance_cards.h"

class RandomStreamsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    RegisterEngineRandomStreams();
    RegisterCityRandomStreams();
    RegisterSessionRandomStreams();
  }
};
