#pragma once
// The daily house hunt and its lookup table.
#include <cstdint>

#include "city/population_classes.h"

// Hour 17: every person's countdown goes down a day; at 0 (or wrapping below
// it) the countdown is reloaded and the person hunts for a better home.
void UpdateHouseHuntDaily();

// Thresholds (First) and their results (Second): the score lists of the
// parameter file (proximity, block rent, apartment rent).
using HouseHuntTable = ClassPairList;
// The result of the first threshold at least the value; past them the warning
// "Out of range - house hunt entry" and 0.
int32_t GetHouseHuntEntry(const HouseHuntTable& table, int32_t value);
// The house hunt's reading of a score list: past the last threshold its
// result holds on; an empty list scores 0.
int32_t HouseHuntScore(const HouseHuntTable& table, int32_t value);
