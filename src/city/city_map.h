#pragma once
// The built-in city map and the construction of everything static about the
// streets from it: road nodes and junctions, block placement and size, street
// lights, then the lane network (lane_network.h). Built once per run and never
// saved.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

class CRandomStream;

inline constexpr int kCityMapRows = 69;
inline constexpr int kCityMapRowBytes = 113;  // a row is 108 characters padded with zeros
inline constexpr int kMaxStreetLights = 416;  // two per side of every block

extern const std::array<std::string_view, kCityMapRows> kCityMap;

struct StreetLight {
  float LampX = 0, LampY = 0, LampZ = 0;
  float BaseX = 0, BaseY = 0, BaseZ = 0;
  float LightSize = 0;
  float Angle = 0;
  int32_t Tags[3] = {255, 255, 255};
  int32_t Unused[2] = {};
  int32_t Delay = 0;
  uint8_t On = 0;
};

struct StreetLightTable {
  std::array<StreetLight, kMaxStreetLights> Lights{};
  int32_t Count = 0;
};
extern StreetLightTable g_StreetLights;

// The private stream that staggers the street lights (reseeded at each build).
CRandomStream& StreetLightRandom();
// Touches the city's random streams in a fixed order (program start).
void RegisterCityRandomStreams();

// Builds the streets of the built-in map. False (with a warning naming the
// full table) when the map does not fit the fixed tables; the tables are then
// left empty rather than overrun.
bool BuildCityFromMap();
// The same over any map of up to 69 rows (tests, tools).
bool BuildCityFromMapRows(std::span<const std::string_view> rows);

// The recursive placement of the road nodes from one placed node.
void PlaceNodes(int node);
