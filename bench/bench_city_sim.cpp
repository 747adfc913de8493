// Headless simulation of the full fixture city: builds it, runs a number of
// logic ticks as fast as it can and prints ticks per second and the sync
// checksums. Two runs with the same seed must print the same checksums.
//   bench_city_sim [--ticks N] [--seed S] [--people P]
// With --benchmark_* arguments it runs as a Google Benchmark program instead
// (one game day per iteration).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "city/business.h"
#include "city/fixture_city.h"
#include "city/people.h"
#include "city/traffic.h"
#include "engine/core/error.h"

namespace {

constexpr int32_t kTicksPerDay = 15000;

void BM_CityDay(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    BuildFixtureCity(FixtureCityOptions{});
    state.ResumeTiming();
    RunFixtureCity(kTicksPerDay);
  }
  state.counters["ticks/s"] =
      benchmark::Counter(static_cast<double>(kTicksPerDay) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CityDay)->Unit(benchmark::kMillisecond)->Iterations(3);

int RunOnce(int argc, char** argv) {
  FixtureCityOptions options;
  int32_t ticks = kTicksPerDay;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--ticks") == 0) ticks = std::atoi(argv[i + 1]);
    else if (std::strcmp(argv[i], "--seed") == 0) options.Seed = static_cast<uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
    else if (std::strcmp(argv[i], "--people") == 0) options.People = std::atoi(argv[i + 1]);
  }
  BuildFixtureCity(options);
  auto start = std::chrono::steady_clock::now();
  RunFixtureCity(ticks);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  SimChecksums sums = FixtureChecksums();
  int driving = 0;
  for (const CVehicle& v : g_Vehicles) driving += v.State == kVehicleDriving;
  std::printf("ticks %d in %.3f s: %.0f ticks per second (%.0f x real time)\n", ticks, seconds,
              ticks / seconds, ticks / seconds / 25.0);
  std::printf("people %d, vehicles driving %d\n", g_PeopleCount, driving);
  std::printf("checksums: people %08x traffic %08x businesses %08x\n", static_cast<uint32_t>(sums.People),
              static_cast<uint32_t>(sums.Traffic), sums.Businesses);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ThrowOnFatalError();
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--benchmark", 11) == 0) {
      benchmark::Initialize(&argc, argv);
      benchmark::RunSpecifiedBenchmarks();
      benchmark::Shutdown();
      return 0;
    }
  }
  return RunOnce(argc, argv);
}
