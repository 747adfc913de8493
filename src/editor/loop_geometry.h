#pragma once
// The 2D geometry of design loops in plan units (one unit = one lot cell; x to
// the right, z downward on the screen): the screen-to-plan transform, hit
// tests for points, edges and half-unit pieces with their tolerances and
// tie-breaks, piece subdivision, grid snapping and point insertion and
// deletion. Single-precision throughout, each intermediate held as a float,
// so the plan view and the library compiler cut edges identically.
#include <cstdint>

#include "editor/building_design.h"

struct PlanTransform {
  int32_t columns = kLotCells, rows = kLotCells;
  float originX = 0, originY = 0;
  float scaleX = 1, scaleY = 1;  // pixels per unit, kept equal

  // Centres the lot in a client area of w by h pixels with a cell's margin.
  void Fit(int32_t w, int32_t h);
  void ToPlan(float pixelX, float pixelY, float& x, float& z) const;
  void ToPixels(float x, float z, int32_t& pixelX, int32_t& pixelY) const;
};

// Pieces of an edge (or half units of a height) of length l:
// truncate(2l + 0.5), at least 1.
int32_t HeightToHalfUnits(float length);
// The pieces of edge `edge` of a loop, at most the 32 a point's facade and
// group arrays hold.
int32_t EdgePieceCount(const DesignLoop& loop, int edge);
// Start of piece k of an edge (k = piece count gives the next point).
void EdgePiecePoint(const DesignLoop& loop, int edge, int k, float& x, float& z);

// The nearest point within radius r (a point exactly at r counts; of equal
// distances the later wins); -1 when none.
int NearestLoopPoint(const DesignLoop& loop, float x, float z, float r);
// The nearest edge strictly within r (of equal distances the earlier wins);
// -1 when none. `bestSq` receives the best squared distance.
int NearestLoopEdge(const DesignLoop& loop, float x, float z, float r, float* bestSq = nullptr);
// The nearest piece of an edge strictly within r; -1 when none or the edge
// is not one of the loop's.
int NearestEdgePiece(const DesignLoop& loop, int edge, float x, float z, float r);
// Marks what the mouse is over (radius 0.5): the point first, or with
// `editTextures` the edge first; records the piece under the mouse.
void HoverLoop(DesignLoop& loop, float x, float z, bool editTextures);

// truncate(u x value + 0.5) / u, for units u 1..100.
float SnapToGrid(float value, int32_t units);

// Inserts (x, 0, z) after point `after` (out of range: after the last);
// false when the loop has 20 points.
bool InsertLoopPoint(DesignLoop& loop, int after, float x, float z);
// Deletes point n; false when the loop has 3 points or fewer or n is out of
// range.
bool DeleteLoopPoint(DesignLoop& loop, int n);
