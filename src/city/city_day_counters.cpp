#include "city/city_day_counters.h"

#include <array>

#include "city/traffic.h"

namespace {
std::array<int32_t, kMaxVehicles> g_startTick = {};
}

CityDayCounters& DayCounters() {
  static CityDayCounters counters;
  return counters;
}

void ClearDayCounters() { DayCounters() = CityDayCounters{}; }

void NoteVehicleStarted(int32_t vehicle, int32_t tick) {
  if (vehicle < 0 || vehicle >= kMaxVehicles) return;
  g_startTick[vehicle] = tick;
  ++DayCounters().VehiclesStarted;
}

void NoteVehicleArrived(int32_t vehicle, int32_t tick) {
  if (vehicle < 0 || vehicle >= kMaxVehicles) return;
  ++DayCounters().VehiclesArrived;
  DayCounters().TripTicks.push_back(tick - g_startTick[vehicle]);
}

void NoteVehicleGaveUp() { ++DayCounters().VehiclesGaveUp; }
