#pragma once
// The people table for the People script table, kept apart from the road
// topology (both name their "no block" constant alike).
#include <cstdint>

int32_t CurrentPeopleCount();
int32_t PeopleCapacity();
// One new person: kind, social class and preference row, each -1 for random.
// A value out of its range is refused with a report. False when none was made.
bool CreateScriptPerson(int32_t kind, int32_t socialClass, int32_t preferenceRow);
