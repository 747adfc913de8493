#include "app/architect_wiring.h"

#include "city/city_services.h"
#include "shell/game_loop.h"
#include "visuals/architect_assets.h"
#include "visuals/building_visuals.h"

void WireArchitect() {
  // Textures before the texture pages are packed; the scaffold pieces with them.
  AddStartStep(StartPhase::AfterRenderer, LoadArchitectAssets);
  // Every building the city links from now on is the architect's.
  AddStartStep(StartPhase::AfterScheduler, [] { SetCityVisualServices(&TheArchitect()); });
  AddStartStep(StartPhase::AfterPause, [] {
    LoadScaffoldPieces();
    BuildStandardBuildings();
  });
  // After the city's reset has removed its buildings.
  AddResetStep(ResetBuildingVisuals);
  AddShutdownStep(ShutdownPhase::First, [] {
    ResetBuildingVisuals();
    ReleaseStandardBuildings();
    ReleaseArchitectAssets();
    SetCityVisualServices(nullptr);
  });
}
