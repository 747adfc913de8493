#pragma once
// The session reaches the scripts through its game services: events raised by
// the clock, the decade sets and the scenario manager, and the logic tick's
// countdown of pending script events. Later subsystems that provide further
// game services derive from this class so the script part stays in place.
#include "session/session_services.h"

class ScriptSessionServices : public SessionGameServices {
 public:
  void CatchEvent(const char* name, int32_t argument) override;
  void TriggerEvent(const char* name, int32_t delayTicks, int32_t argument) override;
  void TickScriptTimers() override;
  bool RunScriptFile(const char* path) override;
};

// Installs a ScriptSessionServices as the session's game services.
void InstallScriptSessionServices();
