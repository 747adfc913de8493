#pragma once
// Scaffolding round the buildings that are going up or coming down: one
// shared scaffold entity moved and drawn once per piece.
#include "engine/core/maths.h"

// Draws every job's scaffolding (builds in phases 0, 1 and 3, demolitions in
// 0, 1 and 2).
void DrawConstructionJobs(const Mat43& view);

// One piece: its shape (0 to 11), place, turn (degrees) and assembly frame
// (0 to 24).
struct ScaffoldPieceDraw {
  int32_t shape;
  float x, y, z;
  float turn;
  int32_t frame;
};
// The pieces of one building's scaffolding, in drawing order.
void ScaffoldPieces(int32_t x1, int32_t z1, int32_t x2, int32_t z2, float centreX, float centreZ, int32_t floors,
                    int32_t counter, void (*emit)(const ScaffoldPieceDraw&, void*), void* argument);
