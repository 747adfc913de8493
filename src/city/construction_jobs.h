#pragma once
// Construction and demolition jobs: the simulation's home for a building
// going up or coming down over game time, called directly by the tick driver
// and the game messages. No job runs yet: starting one succeeds and changes
// nothing, which is what the messages that ask for them rely on today.
#include <cstdint>

// True when the job started.
bool StartConstructionJob(int32_t block, int32_t building, int32_t businessType, int32_t player);
bool StartDemolitionJob(int32_t block, int32_t building);
// Every running tick.
void UpdateConstructionJobs();
