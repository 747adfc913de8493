#pragma once
// A complete city built in code for the headless simulation benchmark and the
// determinism tests: the built-in map with its lanes and a computed route
// table, every block developed, every business type open somewhere, a fixture
// economy (commodities, preferences, incomes, timetables) and a population,
// traffic at its busiest. It runs on the session's own clock and player table
// (a running game without players): each step moves the logic tick and the
// hour and runs the people, the traffic and the economy's hourly and daily
// jobs, without the rest of the tick driver.
#include <cstdint>
#include <string>

struct FixtureCityOptions {
  uint32_t Seed = 1;
  int32_t People = 2000;
  int32_t CarsPerBand = 150;   // traffic limits in every 4-hour band
  int32_t TaxisPerBand = 50;
  int32_t StartHour = 7;
  // The buildings' look (null: the plain box).
  class CityVisualServices* Visuals = nullptr;
};

struct SimChecksums {
  int32_t People = 0;
  int32_t Traffic = 0;
  uint32_t Businesses = 0;
  bool operator==(const SimChecksums&) const = default;
};

// Builds (or rebuilds) the whole city and seeds the random streams.
void BuildFixtureCity(const FixtureCityOptions& options);
// One logic tick: people, traffic, the clock (hourly and daily jobs), then
// the entities' animations.
void StepFixtureCity();
void RunFixtureCity(int32_t ticks);
SimChecksums FixtureChecksums();
int32_t FixtureTick();
int32_t FixtureHour();

// Save and load of the running simulation through the save framework
// (people, households, businesses), the clock and the random streams. The
// load resets the traffic as a loaded game does. False on any fault.
bool SaveFixtureCity(const std::string& path);
bool LoadFixtureCity(const std::string& path);
