#include "script/people_access.h"

#include "city/people.h"
#include "city/person.h"
#include "city/population_classes.h"
#include "engine/core/error.h"

int32_t CurrentPeopleCount() { return g_PeopleCount; }
int32_t PeopleCapacity() { return kMaxPeople; }

bool CreateScriptPerson(int32_t kind, int32_t socialClass, int32_t preferenceRow) {
  if (kind < -1 || kind >= kPersonKindCount || socialClass < -1 || socialClass >= kSocialClassCount ||
      preferenceRow < -1 || preferenceRow >= kPreferenceRowCount) {
    ReportErrorF(1, "People.Create: kind %d, class %d or preference %d out of range", kind, socialClass,
                 preferenceRow);
    return false;
  }
  return CreatePerson(kind, socialClass, preferenceRow) != nullptr;
}
