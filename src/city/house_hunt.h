#pragma once
// The daily house hunt and its lookup table.
#include <cstdint>

// Hour 17: every person's countdown goes down a day; at 0 (or wrapping below
// it) the countdown is reloaded and the person hunts for a better home.
void UpdateHouseHuntDaily();

struct HouseHuntTable {
  int32_t Count = 0;
  int32_t Thresholds[15] = {};
  int32_t Results[15] = {};
};
// The result of the first threshold at least the value; past them the warning
// "Out of range - house hunt entry" and 0.
int32_t GetHouseHuntEntry(const HouseHuntTable& table, int32_t value);
