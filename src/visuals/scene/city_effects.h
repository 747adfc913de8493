#pragma once
// The city's point effects, drawn from model data made by the model
// generator (the world city's models):
// - street furniture, one entity per record of a records-only model;
// - the light models' sprites (runway lights, beacons that pulse, the quay's
//   and the station's lamps that come on with the night);
// - the large effect: sunlight glinting off the sea and off glass.
#include <cstdint>
#include <span>
#include <vector>

#include "engine/core/maths.h"

struct CModel;
class CRenderer;

// What the last city frame drew of these (tests and the statistics read it).
struct CityEffectCounts {
  int32_t pathObjects = 0, lightSprites = 0, glints = 0;
};
CityEffectCounts& LastCityEffectCounts();

// ---- Instanced path objects ----
// A model's 28-byte records read as seven values: x, y, z, three more, and
// (for the street furniture) the kind as a whole number.
struct PathObjectPlace {
  Vec3 position;  // the city's: (x, y, -z) of the record
  float yaw;      // degrees: atan2(fourth value, sixth value)
  int32_t kind;
};
// The objects a path model places: its records from the middle one to the
// end (the first half are the points they were laid out from).
std::vector<PathObjectPlace> PathObjectPlaces(const CModel& model);
// The street furniture's entities, made once from the world city's models;
// returns the entities drawn.
int32_t DrawInstancedPathObjects();
void ReleasePathObjectEntities();

// ---- Light sprites ----
// A light model's points, in model coordinates.
using LightPoints = std::span<const Vec3>;
struct LightSprite {
  Vec3 at;  // model coordinates, as the sprite batch takes them
  uint32_t colour;
  float size;
  bool nightGroup;  // one of the lamps that come on in groups
};
// The beacons: the first two points of the second light model, then two
// fixed lights (the second far out, drawn larger); each pulses with its
// pulsing light.
inline constexpr int32_t kBeaconCount = 4;
// Every sprite of the light models for a night level (255 full day: none):
// each point of the first as a white sprite of size 2 raised 0.5; the
// beacons at size 5 in their colours, their alpha the pulsing lights'
// brightness; each point i of the third and fourth when the night level is
// below its switch-on group (i mod 16), size 5, colour 0xAFFFFFAF.
std::vector<LightSprite> CollectLightSprites(LightPoints first, LightPoints second, LightPoints third,
                                             LightPoints fourth, float nightLevel);
// Draws them (only with detail on); returns the sprites drawn.
int32_t DrawLightSprites();
// The beacons' pulsing lights, each at its own pace (level start and load).
void InitPulsingLights();

// ---- The large effect: sunlight glints ----
struct GlintPoint {
  Vec3 at;      // model coordinates
  Vec3 facing;  // the way the surface faces, model coordinates
  float size;
};
// How strongly a surface point throws the sun at the eye (0..1): nothing
// when the sun is down or behind the surface, most where the eye lies along
// the sun's mirror image. City coordinates.
float GlintStrength(const Vec3& at, const Vec3& facing, const Vec3& sunDirection, const Vec3& eye);
// The glints' sprites (city coordinates) for a sun and an eye; faint ones
// are left out.
std::vector<LightSprite> CollectGlints(std::span<const GlintPoint> points, const Vec3& sunDirection,
                                       const Vec3& eye, uint32_t sunColour);
// Draws the glints of the world city's glint model; returns the sprites
// drawn.
int32_t DrawLargeEffects();
