#pragma once
// What the city model reaches above the simulation, through narrow virtuals
// with harmless defaults: the architect's and the effects' visuals. Everything within the simulation
// (clock, players, messages, the economy) is called directly; prompts go up
// as game events (session/game_events.h).
#include <cstdint>

class CBuilding;

// Building and street visuals: the architect builds a building's look when
// it is linked into its block (without it every building is a plain box),
// and the city's visual effects step with the logic ticks. Nothing the
// simulation computes depends on them.
class CityVisualServices {
 public:
  virtual ~CityVisualServices() = default;
  // Per running tick, at their places in the tick driver's order (the
  // animated scenery and the blocks' ambience are the city's own, stepped
  // directly).
  virtual void UpdateNightWindows() {}
  virtual void UpdateSmokeEmitters() {}
  virtual void StepPulsingLights() {}
  // Sets up the visual; returns false when no fitting design exists (the
  // building then keeps the plain box and a warning is reported).
  virtual bool SetUpBuildingVisual(CBuilding& building);
  virtual void ReleaseBuildingVisuals(CBuilding& building);
  // Rebuilds the signs of an architect-built visual.
  virtual void RebuildSigns(CBuilding& /*building*/) {}
  // A demolition's dust over the lot rectangle whose lowest corner is (x, z):
  // the effect slot, -1 none.
  virtual int32_t StartDust(float /*x*/, float /*z*/, float /*width*/, float /*depth*/) { return -1; }
  virtual void StopEffect(int32_t /*effectSlot*/) {}
  // A block's district text colour changed: retint its name label (the
  // city retints the block's base entity itself).
  virtual void TintBlockLabel(int32_t /*block*/, uint32_t /*colour*/) {}
};

struct CityServices {
  CityVisualServices* visuals;
};

// The installed services; every pointer is always valid (defaults at start).
CityServices& City();
// Installs the visuals (null restores the default).
void SetCityVisualServices(CityVisualServices* s);
void RestoreDefaultCityServices();

// The height of one floor of the plain box visual.
inline constexpr float kPlainFloorHeight = 10.0f;
