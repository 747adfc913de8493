#include "session/tutorial.h"

#include "session/scenarios.h"
#include "session/session_services.h"

void FireTutorialEvent(int32_t id) {
  if (ScenarioManager().IsTutorialRunning()) Services().game->CatchEvent("TutorialEvent", id);
}

TutorialBuildChoice& TutorialBuildRestriction() {
  static TutorialBuildChoice choice;
  return choice;
}
