#include "engine/core/debug_flags.h"

DebugFlags g_DebugFlags;

namespace {

struct FlagName {
  std::string_view name;
  uint8_t DebugFlags::*member;
};

constexpr FlagName kFlagNames[] = {
    {"TRAFFICRAILS", &DebugFlags::TRAFFICRAILS}, {"SHOWDOORPOS", &DebugFlags::SHOWDOORPOS},
    {"SHOWALLCARS", &DebugFlags::SHOWALLCARS},   {"PEOPLERAILS", &DebugFlags::PEOPLERAILS},
    {"PEOPLEDEBUG", &DebugFlags::PEOPLEDEBUG},   {"TAXICAMERA", &DebugFlags::TAXICAMERA},
    {"AIDEBUG", &DebugFlags::AIDEBUG},           {"DEBUGTEXT", &DebugFlags::DEBUGTEXT},
    {"CHEATINGGIT", &DebugFlags::CHEATINGGIT},   {"SIMPLEBUILDINGS", &DebugFlags::SIMPLEBUILDINGS},
    {"TIMEDLOGIC", &DebugFlags::TIMEDLOGIC},
};

}  // namespace

void ClearDebugFlags() { g_DebugFlags = DebugFlags{}; }

uint8_t* FindDebugFlag(std::string_view name) {
  for (const FlagName& f : kFlagNames) {
    if (f.name == name) return &(g_DebugFlags.*f.member);
  }
  return nullptr;
}
