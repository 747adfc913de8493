#include "city/city_services.h"

#include "city/blocks.h"
#include "city/buildings.h"

// The plain box: the footprint of the lot rectangle, one floor height per
// floor, one door at the middle of the footprint at door height.
bool CityVisualServices::SetUpBuildingVisual(CBuilding& b) {
  BuildingVisual& v = b.Visual;
  v.Built = 0;
  v.SignCount = 0;
  v.PropCount = 0;
  v.LibraryEntry = -1;
  v.Rotation[0] = v.Rotation[1] = v.Rotation[2] = 0.0f;
  float halfX = static_cast<float>(b.X2 - b.X1 + 1) * kLotSize * 0.5f;
  float halfZ = static_cast<float>(b.Z2 - b.Z1 + 1) * kLotSize * 0.5f;
  v.Height = static_cast<float>(b.Floors) * kPlainFloorHeight;
  v.BoxMin[0] = -halfX;
  v.BoxMin[1] = 0.0f;
  v.BoxMin[2] = -halfZ;
  v.BoxMax[0] = halfX;
  v.BoxMax[1] = v.Height;
  v.BoxMax[2] = halfZ;
  // Door points arrive relative to the block; linking makes them relative to
  // the building, so this one ends up at the building's middle.
  v.DoorCount = 1;
  float blockX = b.Block ? b.Block->CentreX : 0.0f;
  float blockZ = b.Block ? b.Block->CentreZ : 0.0f;
  v.Doors[0] = DoorPoint{blockX - b.CentreX, 6.0f, blockZ - b.CentreZ};
  return true;
}

void CityVisualServices::ReleaseBuildingVisuals(CBuilding& b) {
  b.Visual.SignCount = 0;
  b.Visual.PropCount = 0;
  b.Visual.DoorCount = 0;
}

namespace {

CityVisualServices g_defaultVisuals;

CityServices g_services = {&g_defaultVisuals};

}  // namespace

CityServices& City() { return g_services; }

void SetCityVisualServices(CityVisualServices* s) { g_services.visuals = s ? s : &g_defaultVisuals; }

void RestoreDefaultCityServices() {
  g_services = {&g_defaultVisuals};
}
