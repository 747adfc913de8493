#pragma once
// The two scrolling-texture entities: the open sea and the river between the
// coast and the river bank, textured water whose texture drifts with the
// game's time (DrawScrollingUvEntity). They are built from the surround's
// own models on the first frame that has them: the sea over the sea slabs
// (which they replace in the picture), the river in the channel from the
// sea's edge to the river bank. Both renderers draw them in the sky step.
#include <cstdint>

#include "engine/core/maths.h"

class CEntity;
class CRenderer;

inline constexpr int32_t kWaterSurfaces = 2;
// The water's level: above the land (-0.1) and the sea slabs' tops (0).
inline constexpr float kWaterLevel = 0.1f;

// A water surface over the rectangle [x0, x1] x [z0, z1] of the city.
struct WaterArea {
  float x0 = 0, z0 = 0, x1 = 0, z1 = 0;
  bool Empty() const { return x1 <= x0 || z1 <= z0; }
};
// Where the water lies, from the surround's sea and river-bank models
// (empty areas when they are not loaded).
void FindWaterAreas(WaterArea& sea, WaterArea& river);

// Builds the surfaces when they are not built, hides the slabs they replace,
// and draws both with their texture moved on to `gameTime` (logic ticks).
void DrawWaterSurfaces(CRenderer& renderer, float gameTime);
// The surfaces' entities (null before they are built or without textures).
CEntity* WaterSurface(int32_t index);
// Gives the models back (the model system goes away, or a new texture set).
void ReleaseWaterSurfaces();
