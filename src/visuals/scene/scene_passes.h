#pragma once
// The scene passes of the city, the plan view and the auction room. Each
// pass first picks its draw-distance preset, then its named shader, then
// draws its group of entities through the engine. The hardware renderer
// draws the full order, the software and test renderers a reduced one.
// Also here: the selection outlines with their corner markers, the pulsing
// highlight colour, the end-sequence tokens, the smoke over the city, the
// pulsing lights and the night lights (window groups, street-light pools).
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/maths.h"

class CRenderer;
class CBuilding;
class CEntity;

inline constexpr uint32_t kSelectedColour = 0xFF00FE00u;
inline constexpr uint32_t kHoveredColour = 0x9F5F5FFEu;
inline constexpr int32_t kNoEndToken = 10;

// The frame tick that paces pulsing and blinking (low 5 bits used).
uint32_t FrameTick();
void AdvanceFrameTick();

// Red, green and blue scaled by 0.5 + |15 - (tick mod 32)| / 32; alpha kept.
uint32_t PulseColour(uint32_t colour, uint32_t tick);
// The hovered object's highlight: a 9-bit phase; its pulse d is the low 9
// bits, mirrored (511 - d) when bit 8 is set, plus 128, and each colour byte
// c becomes min(255, d x c / 256) (alpha kept).
uint32_t HoverPulseColour(uint32_t base, uint32_t phase);
// One hover step (ten a second) moves the phase on by 40; the passes draw
// the hovered object, unless it is the selected one, in its pulsed colour.
void StepHoverPulse();
uint32_t HoverPulsePhase();
// The sprite over a building of the local player that changed hands less
// than 100 ticks ago (not this tick): it rises 0.25 a tick from the top,
// its alpha |(tick mod 64) - 31| x 7. False when there is none.
bool ChangedHandsSprite(const CBuilding& b, int32_t localPlayer, int32_t now, Vec3& at, uint32_t& colour);
// Each colour channel times `colourFactor`, alpha times `alphaFactor`,
// truncated and clamped to 0..255.
uint32_t ScaleArgb(uint32_t colour, float colourFactor, float alphaFactor);

// Flat quads in the city (four corners each, one colour each), as indexed
// triangles both renderers draw in 3D; culling is off while they are drawn.
void DrawWorldQuads(CRenderer& renderer, const Vec3* corners, int32_t count, const uint32_t* colours);

// The full order (hardware renderer) and the reduced one (software and test
// renderers); DrawCityPasses picks by the renderer in use.
void DrawCityScene(CRenderer& renderer);
void DrawCitySceneReduced(CRenderer& renderer);
void DrawCityPasses(CRenderer& renderer, bool hardware);
// The plan view: the board, the city on it and the buildings' rectangles.
void DrawPlanViewPasses(CRenderer& renderer);

// Tests read the names of the passes in the order they ran (null: off).
void SetScenePassTrace(std::vector<std::string>* trace);

// ---- Outlines ----
// Side of the corner markers for a box: a third of its smallest side, but 3
// when that is larger than 3 or lies within 0.24 to 0.26.
float OutlineMarkerScale(const Vec3& boxMin, const Vec3& boxMax);
// Pulsing grows the box by (|tick mod 32 - 15| + 256) / 256.
float OutlinePulseScale(uint32_t tick);
// The eight corner markers of an entity's box (its model's bounds, through
// the entity's matrix, when `boxMin`/`boxMax` are null; else a box in the
// world): three arms at each corner along its edges, drawn as flat quads;
// false when nothing is drawn.
bool DrawEntityOutline(CEntity* entity, uint32_t colour, bool pulse, const Vec3* boxMin = nullptr,
                       const Vec3* boxMax = nullptr);
// The selected object or building, the hovered object, the hovered building.
void DrawSelectionOutlines(bool testShift = true);

// ---- End-sequence tokens ----
void SetEndSequenceTokens(int32_t token1, int32_t token2);
void GetEndSequenceTokens(int32_t* token1, int32_t* token2);
void DrawEndSequenceTokens();

// ---- Smoke ----
inline constexpr int32_t kSmokeParticles = 20;
inline constexpr int32_t kMaxSmokeEmitters = 16;
struct SmokeParticle {
  bool active = false;
  Vec3 position{};
  float speed = 0.7f;
  float sizeX = 4, sizeY = 4;
  float alpha = 0;
};
struct SmokeEmitter {
  Vec3 position{};
  int32_t interval = 10;
  bool active = false;
  int32_t startTick = 0;
  SmokeParticle particles[kSmokeParticles];
};
// Emitter 0 at the chimney, then one per point of the chimney model (y + 2,
// z negated); `now` is the running tick.
void InitSmokeEmitters(const Vec3& chimney, const Vec3* modelPoints, int32_t pointCount, int32_t now);
// From the world city's chimney model (level start and load).
void InitSmokeEmitters();
// One logic tick: emitters whose interval divides the ticks since their
// start release a particle; particles rise and fade.
void UpdateSmokeEmitters(int32_t now);
void UpdateSmokeEmitters();
const std::vector<SmokeEmitter>& SmokeEmitters();

// ---- Pulsing lights ----
struct PulsingLight {
  int32_t step = 0;
  int32_t period = 1;
  int32_t brightness = 0;
  bool rising = true;
  uint8_t copy = 0;
};
std::vector<PulsingLight>& PulsingLights();
// Each light counts to its period, then moves its brightness by 20 towards
// 255 or 0 and turns at the ends.
void StepPulsingLights();

// ---- Night lights ----
// Element i of a light group is lit when the night level (255 full day) is
// below entry i mod 16 of the switch-on table.
bool LightGroupLit(int32_t element, float nightLevel);
// Ring segments of a light pool at view depth d: 1088 - (bits of d >> 20),
// clamped to 7..64.
int32_t LightRingSegments(float depth);
// Pool intensity: 1 up to depth 300, then falling to 0 at 500.
float LightPoolIntensity(float depth);
// Street-light pools drawn in the last frame.
int32_t LightPoolsDrawn();

// ---- Plan view ----
// Blink phase of the plan view's highlighted buildings.
bool PlanBlinkOn(uint32_t tick);
// What the city overview panel has the plan view pick out: the located use,
// the hovered business of its list, a player, the located commodity.
struct PlanViewFilters {
  bool showBuildings = true;
  int32_t use = -1;        // business type, -1 none
  int32_t business = -1;   // business index, -1 none
  int32_t player = -1;     // -1 none
  int32_t commodity = -1;  // -1 none
};
PlanViewFilters& PlanFilters();
// The business a plan rectangle stands for, as the filters read it.
struct PlanBusinessFacts {
  int32_t use = -1;
  int32_t index = -1;
  int32_t owner = -1;  // player slot
  uint32_t sold = 0;   // commodities the use sells, bit per commodity
};
// The colour of one building's plan rectangle (null: no business). A
// business the filters pick out blinks white; the hovered business wins over
// the use, the use over the player, the player over the commodity.
uint32_t PlanBuildingColour(uint32_t ownColour, const PlanBusinessFacts* business, const PlanViewFilters& filters,
                            uint32_t tick);

// ---- Listed people ----
// The block-marker overlay's people: a 5 x 5 marker in the 640 x 480 layout
// over every person in view: red when homeless, else by the kind of
// business they work at (grey for none). Drawn in 2D by the overlay panel.
uint32_t ListedPersonColour(bool housed, int32_t workKind);
// `view` is the camera's view (the renderer's published one carries the
// interface's layer offset while panels draw).
int32_t DrawListedObjectMarkers(CRenderer& renderer, const Mat43& view);

// ---- Street furniture ----
// Street-light entities (model by decade) at every street light of the map.
void CreateStreetLightEntities();
void ReleaseStreetLightEntities();
