#pragma once
// Finds the entity under the mouse. Works on the view-space bounds that
// CEntity::Transform left in each entity during the last frame, so only
// entities drawn in that frame can be picked.
#include <cstdint>

#include "engine/scene/entity.h"
#include "engine/core/maths.h"

// A screen point in pixels with the depth of the nearest hit so far.
struct PickPoint {
  int32_t x, y;
  float depth;
};

// The mouse position (screen pixels) the picking tests use; the picking task
// sets it from the input state before it picks.
void PickSetMousePosition(int32_t x, int32_t y);
void PickGetMousePosition(int32_t* x, int32_t* y);

// Nearest entity of the house under the mouse; see the .cpp for how the
// current entity is treated. The caller starts the depth high.
bool PickEntityInHouse(CEntityHouse* house, CEntity** picked, CEntity* current, float* depth);
// True on a hit under the mouse nearer than *depth, which it updates.
bool PickTestEntity(const Bounds& viewBounds, float* depth);
// The same for one entity at a given screen point.
bool PickTestEntity(const CEntity& entity, PickPoint& point);
// Depth of the box's front face under (x, y); 0 for a miss.
float PickBoxDepth(const ScreenPointDepth corners[8], int32_t x, int32_t y);
