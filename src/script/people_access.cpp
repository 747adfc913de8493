#include "script/people_access.h"

#include "city/person.h"

int32_t CurrentPeopleCount() { return g_PeopleCount; }
int32_t PeopleCapacity() { return kMaxPeople; }
