#pragma once
// The people table's count and capacity, kept apart from the road topology
// (both name their "no block" constant alike).
#include <cstdint>

int32_t CurrentPeopleCount();
int32_t PeopleCapacity();
