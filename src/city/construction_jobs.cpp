#include "city/construction_jobs.h"

bool StartConstructionJob(int32_t /*block*/, int32_t /*building*/, int32_t /*businessType*/, int32_t /*player*/) {
  return true;
}

bool StartDemolitionJob(int32_t /*block*/, int32_t /*building*/) { return true; }

void UpdateConstructionJobs() {}
