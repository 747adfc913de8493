#pragma once
// Plan geometry of building outlines for the architect's mesh builder: ear
// clipping of a roof outline, moving an outline outward for a ledge, and
// removing the middle points of straight runs. Outlines are closed loops of
// plan points whose last point repeats the first.
#include <cstdint>
#include <vector>

#include "city/building_library.h"

// Two values closer than this are the same.
inline constexpr float kOutlineTolerance = 0.01f;

bool NearlyEqual(float a, float b);

struct OutlineTriangle {
  int32_t a, b, c;  // indices into the outline's points
};

// Ear clipping over the loop's distinct points (the closing repeat left
// out): repeatedly takes, of the consecutive triples that turn
// counter-clockwise (cross product not negative, x right and z up), the one with the shortest closing diagonal,
// emits it and drops its middle point, until three points remain. Returns the
// triangle count: n - 2 for a convex loop of n points, 0 when no ear is found.
int32_t TriangulateOutline(const std::vector<LibraryPoint>& loop, std::vector<OutlineTriangle>& out);

// Each point moves along the bisector of its two edges by distance / sin(half
// the angle between them), the factor capped at 10 where that sine is below
// 0.1. Positive distances move a counter-clockwise loop outward. The result
// is closed again.
std::vector<LibraryPoint> OffsetOutline(const std::vector<LibraryPoint>& loop, float distance);

// Drops the middle point of every three consecutive points that lie on one
// line (both edge directions within the tolerance) and share a texture byte.
void SimplifyOutline(std::vector<LibraryPoint>& points, std::vector<uint8_t>& textures);
void SimplifyOutlines(BuildingDescription& description);

// Twice the signed area (positive counter-clockwise with x right, z up).
float OutlineArea2(const std::vector<LibraryPoint>& loop);
