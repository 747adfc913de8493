#pragma once
// Sky and sun colours. A game day is 384 steps (16 a game hour); a colour
// table read from "gamedata\suncols.tga" gives for every step the sun's light
// colour, the ambient colour, the sky colour, a light multiplier, two fog
// values and a sky brightness, and marks sunrise and sunset. Each frame the
// current values are interpolated between two steps and the sun's angle
// follows from the step between sunrise and sunset. The dome, the stars and
// the sun and moon sprites are drawn from them.
#include <cstdint>
#include <span>
#include <string_view>

#include "engine/core/maths.h"

class CRenderer;

inline constexpr int32_t kSkySteps = 384;

struct SunColourTables {
  uint32_t sun[kSkySteps];
  float light[kSkySteps];
  uint32_t ambient[kSkySteps];
  uint32_t sky[kSkySteps];
  float fogA[kSkySteps];
  float fogB[kSkySteps];
  uint8_t brightness[kSkySteps];
  int32_t sunrise;  // step, -1 when the file marks none
  int32_t sunset;
};

// What the frame and the other passes read.
struct SkyState {
  uint32_t sun = 0xFFFFFFFF, ambient = 0xFF808080, sky = 0xFF6EA8E8;
  float light = 1.0f;
  float fogA = 0, fogB = 0;  // the file's bytes
  float brightness = 255;
  float sunAngle = 1.5707964f;
  Vec3 sunDirection{0, 1, 0};
};

SunColourTables& SunColours();
SkyState& Sky();

// Checks a suncols picture (32-bit, uncompressed, at least 384 wide, tall
// enough for the rows read) and fills the tables; false leaves them as they
// were.
bool ParseSunColours(std::span<const uint8_t> file, SunColourTables& out);
// Reads "gamedata\suncols.tga" once (the first UpdateSunColours); a missing
// or bad file leaves the tables unchanged with a warning.
bool LoadSunColours();
// The values at a time of day: hour and running ticks into the hour.
void UpdateSunColoursAt(int32_t hour, int32_t tickInHour);
// Once per frame, from the game clock.
void UpdateSunColours();
// The sky colour seen in a direction (0xAARRGGBB).
// The dome's colour in a direction: SkyColourAt's sun and glow mixed with
// the hour's sky colour of the colour table, more of it overhead than at the
// horizon, so a clear noon is blue rather than the pale white of the sun's
// light alone.
uint32_t DomeColourAt(const Vec3& direction);
uint32_t SkyColourAt(const Vec3& direction);

// Fog start and end for the frame (fractions of the 3000-unit far plane).
float SkyFogStart();
float SkyFogEnd();

// The dome and the star table (start-up; the stars come from the catalogue
// "gamedata\sky\stars.txt").
void BuildSkyGeometry();
// The dome, clouds and stars around the camera; the sun and the moon.
void DrawSky(CRenderer& renderer);
void DrawSunAndMoon(CRenderer& renderer);
// Sky textures by name, loaded with the presentation's textures.
void SetSkyTextures(int32_t cloud1, int32_t cloud2, int32_t sun, int32_t moon, int32_t star);

// ---- Cloud layers ----
// Two sky models: level sheets of cloud high over the city (built on first
// use, facing down), textured with the cloud layer texture (transparent
// between the clouds) and drifting each its own way with the logic ticks:
// texture coordinates (x, z) x 0.0091, u moved on by twice the layer's scroll
// (the second layer the other way, its v a further 0.3), the scroll growing
// 0.00025 a tick elapsed. Worn in the colour of the hour's light.
inline constexpr int32_t kCloudLayers = 2;
// The upper and the lower layer's textures (slots; -1 none).
void SetCloudLayerTextures(int32_t upper, int32_t lower);
void DrawSkyModels(CRenderer& renderer);
// A layer's scroll, in [0, 1).
float CloudLayerScroll(int32_t layer);
// The clouds' colour at the current hour: the sun's light by day, a dim
// blue-grey by night.
uint32_t CloudLayerColour();
// Gives the layers' models back; the next draw builds them anew.
void ReleaseSkyModels();
// Stars are drawn when enabled and the sky is dark.
void EnableStars(bool on);
int32_t StarCount();
// The catalogue's text: "<azimuth degrees> <elevation degrees> <brightness
// 0..4>" a line; bad lines are skipped. Returns the stars kept (above the
// horizon).
int32_t ParseStarCatalogue(std::string_view text);
