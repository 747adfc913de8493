#pragma once
// What happened in the city since the counters were last cleared: shop
// visits, households' income and spending, shops' stock bought and thrown
// away, vehicles started, arrived and given up with their trip times. The
// counters only watch: nothing in the simulation reads them, they are not
// saved and not part of any checksum. The city report clears them daily.
#include <cstdint>
#include <vector>

struct CityDayCounters {
  int32_t ShopVisitsBought = 0;  // a shop entered and something bought
  int32_t ShopVisitsEmpty = 0;   // a shop entered and nothing bought
  int32_t TripsWithoutShop = 0;  // a shopping trip that found no block to go to before buying anything
  double HouseholdIncome = 0;
  double HouseholdSpending = 0;  // in the shops
  double HouseholdRent = 0;
  double StockBought = 0;   // at base prices
  double StockSpoiled = 0;  // at base prices
  int32_t VehiclesStarted = 0;
  int32_t VehiclesArrived = 0;
  int32_t VehiclesGaveUp = 0;
  std::vector<int32_t> TripTicks;  // per arrival: ticks from leaving the depot
};

CityDayCounters& DayCounters();
void ClearDayCounters();

// The traffic's notes: a vehicle left its depot, arrived, or gave up.
void NoteVehicleStarted(int32_t vehicle, int32_t tick);
void NoteVehicleArrived(int32_t vehicle, int32_t tick);
void NoteVehicleGaveUp();
