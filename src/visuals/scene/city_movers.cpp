#include "visuals/scene/city_movers.h"

#include "city/animated_scenery.h"
#include "city/people.h"
#include "city/traffic.h"
#include "engine/render/renderer.h"
#include "engine/scene/entity.h"
#include "visuals/scene/shader_table.h"

void DrawCityMovers(CRenderer& r) {
  r.SetShader(kShaderModulate);
  r.EnableLighting();
  const Mat43& view = PublishedViewMatrix();
  UpdateVehicleEntities(0);
  DrawVehicles(view);
  for (int32_t i = 0; i < g_PeopleCount; ++i) {
    CEntity& e = g_PersonEntities[static_cast<size_t>(i)];
    if (!g_People[static_cast<size_t>(i)].InUse || e.model == nullptr || !(e.flags & kEntVisible)) continue;
    e.flags |= kEntRebuildMatrix;  // people move every tick
    e.Draw(view);
  }
  DrawAnimatedScenery(view);
  DrawPathScenery(view);
}
