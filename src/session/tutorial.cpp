#include "session/tutorial.h"

#include "session/player.h"
#include "session/scenarios.h"
#include "session/session_services.h"

void FireTutorialEvent(int32_t id) {
  if (ScenarioManager().IsTutorialRunning()) Services().game->CatchEvent("TutorialEvent", id);
}

void FireLocalPlayerTutorialEvent(int32_t playerNumber, int32_t id) {
  const CPlayer* local = PlayerTable().Local();
  if (local != nullptr && playerNumber == local->index + 1) FireTutorialEvent(id);
}

TutorialBuildChoice& TutorialBuildRestriction() {
  static TutorialBuildChoice choice;
  return choice;
}
