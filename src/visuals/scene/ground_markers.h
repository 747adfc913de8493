#pragma once
// Coloured markers on the ground: a flat fan round a point (the pools of
// light under the street lamps) and a small dome over one (door points while
// SHOWDOORPOS is on). Both fill one shared vertex and index buffer and draw
// it twice, the second time in a darker shade of the colour.
//
// Points: the fan's hub is at centre + offset; the rim points lie on an
// ellipse of radii (radiusX, radiusZ) round centre, turned by the angle about
// the vertical; every point is drawn relative to origin (zero for world
// coordinates).
#include <cstdint>
#include <vector>

#include "engine/core/maths.h"
#include "engine/render/renderer.h"

struct GroundMarkerBuffers {
  std::vector<VertexTextured> vertices;
  std::vector<uint16_t> indices;
};
// The shared buffers as the last marker left them.
const GroundMarkerBuffers& LastGroundMarker();

inline constexpr int32_t kMarkerMinSegments = 3, kMarkerMaxSegments = 256;
// The ring's light colour; its alpha is (alpha - 1) x 255 at the hub and
// falls to nothing at the rim (where the colour turns white), so alpha runs
// from 1 (unseen) to 2 (full).
inline constexpr uint32_t kRingColour = 0x00FFE0A0u;

void BuildRingStrip(CRenderer& renderer, const Vec3& centre, const Vec3& offset, const Vec3& origin,
                    float angleDegrees, float radiusX, float radiusZ, int32_t segments, float alpha);
// The dome's rim is at a third of the radii and two thirds of the offset's
// height, in half the colour; the hub carries the colour itself.
void BuildDomeFan(CRenderer& renderer, const Vec3& centre, const Vec3& offset, const Vec3& origin,
                  float angleDegrees, float radiusX, float radiusZ, int32_t segments, uint32_t colour);

// A flat glow round centre, drawn once: the colour at the hub fading to no
// alpha at the rim. Under an adding blend it lights a ground however dark,
// where the ring's multiplying blend leaves a black ground black.
void BuildGlowFan(CRenderer& renderer, const Vec3& centre, float angleDegrees, float radiusX, float radiusZ,
                  int32_t segments, uint32_t colour);

// The second pass's shade: half the colour, its alpha raised by 128.
uint32_t MarkerSecondColour(uint32_t colour);
