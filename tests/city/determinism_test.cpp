#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "city/fixture_city.h"
#include "city/people.h"
#include "city/traffic.h"
#include "engine/error.h"

namespace {

constexpr int32_t kTicks = 3000;  // from 7 o'clock: hourly jobs and a busy morning

FixtureCityOptions Options(uint32_t seed) {
  FixtureCityOptions o;
  o.Seed = seed;
  o.People = 600;
  return o;
}

std::string TempPath(const char* name) { return ::testing::TempDir() + name; }

}  // namespace

TEST(CityDeterminism, SameSeedGivesTheSameChecksums) {
  ThrowOnFatalError();
  BuildFixtureCity(Options(99));
  RunFixtureCity(kTicks);
  SimChecksums first = FixtureChecksums();
  BuildFixtureCity(Options(99));
  RunFixtureCity(kTicks);
  EXPECT_EQ(FixtureChecksums(), first);
  EXPECT_NE(first.People, 0);
  EXPECT_NE(first.Traffic, 0);
  BuildFixtureCity(Options(100));
  RunFixtureCity(kTicks);
  EXPECT_NE(FixtureChecksums().People, first.People);
}

TEST(CityDeterminism, SaveMidwayLoadAndRunOnGivesTheSameChecksums) {
  ThrowOnFatalError();
  const std::string path = TempPath("midway.sav");
  // Uninterrupted, except that a load resets the traffic: do the same here.
  BuildFixtureCity(Options(7));
  RunFixtureCity(kTicks / 2);
  ASSERT_TRUE(SaveFixtureCity(path));
  ResetTraffic();
  RestorePeopleCrossings();
  RunFixtureCity(kTicks / 2);
  SimChecksums straight = FixtureChecksums();

  // A different city state in memory, then the load and the rest of the run.
  BuildFixtureCity(Options(8));
  RunFixtureCity(500);
  ASSERT_TRUE(LoadFixtureCity(path));
  RunFixtureCity(kTicks / 2);
  SimChecksums loaded = FixtureChecksums();
  EXPECT_EQ(loaded.People, straight.People);
  EXPECT_EQ(loaded.Traffic, straight.Traffic);
  EXPECT_EQ(loaded.Businesses, straight.Businesses);
  std::remove(path.c_str());
  std::remove((path + ".clock").c_str());
}
