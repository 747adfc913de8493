#pragma once
// The debug switches set by the DEBUGFLAG command, one byte each, in a fixed
// order. All are off at start.
#include <cstdint>
#include <string_view>

struct DebugFlags {
  uint8_t TRAFFICRAILS = 0;     // traffic draws its lane network
  uint8_t SHOWDOORPOS = 0;      // world drawing marks the buildings' door points
  uint8_t SHOWALLCARS = 0;      // world drawing
  uint8_t PEOPLERAILS = 0;      // read by nothing
  uint8_t PEOPLEDEBUG = 0;      // debug lines of the selection and rent panels
  uint8_t TAXICAMERA = 0;       // read by nothing
  uint8_t AIDEBUG = 0;          // computer players report their card decisions
  uint8_t DEBUGTEXT = 0;        // frame overlay
  uint8_t CHEATINGGIT = 0;      // read by nothing
  uint8_t SIMPLEBUILDINGS = 0;  // building library (read by nothing yet)
  uint8_t TIMEDLOGIC = 0;       // scheduler advances by measured time
};
static_assert(sizeof(DebugFlags) == 11);

extern DebugFlags g_DebugFlags;

void ClearDebugFlags();
// The flag of that exact (upper-case) name, or null.
uint8_t* FindDebugFlag(std::string_view name);
