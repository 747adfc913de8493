#pragma once
// The procedural architect: picks a design of the building library that fits
// a building's lot rectangle, kind, quality and floors, stretches it to the
// floors, turns it to face the street, textures it from the building's seed
// and turns it into up to three models (walls; roofs and caps; ledges), with
// door points for the people. Everything here follows from the building's
// record and the library alone, so every machine builds the same look and
// the same door points; models are made only when a model system exists.
#include <array>
#include <cstdint>
#include <vector>

#include "city/building_library.h"
#include "engine/core/maths.h"
#include "engine/render/renderer.h"

class CBuilding;

// How a site is turned to face its street (degrees: 0 the z = 0 edge, 90 the
// x = 0 edge, 180 the z = 6 edge, 270 the x = 6 edge) and the corner flags
// (1 x1 = 0 and z1 = 0, 4 x2 = 6 and z1 = 0, 2 x1 = 0 and z2 = 6, 8 x2 = 6 and
// z2 = 6). Turned sites (corners 4 and 2) want a design turned a quarter;
// swapped sites search with width and depth exchanged.
struct SiteTurn {
  int32_t rotation = 0;
  int32_t corner = 0;
  bool turned = false;
  bool swapped = false;
};
SiteTurn ChooseSiteTurn(int32_t x1, int32_t z1, int32_t x2, int32_t z2);

// Maps a design's plan (u along its street front, v back from the front, in
// world units) onto the site, relative to the building's centre:
// x = ox + a u + b v, z = oz + c u + d v. Mirrored when the design and the
// site disagree about being turned.
struct DesignFrame {
  float ox = 0, oz = 0;
  int32_t a = 1, b = 0, c = 0, d = 1;
  bool mirrored = false;
  int32_t rotation = 0;
  void Map(float u, float v, float& x, float& z) const {
    x = ox + float(a) * u + float(b) * v;
    z = oz + float(c) * u + float(d) * v;
  }
};
DesignFrame MakeDesignFrame(int32_t x1, int32_t z1, int32_t x2, int32_t z2, const SiteTurn& turn,
                            bool designTurned);

// The textures a seed gives: the wall set (both wall slots), the roof set and
// the storey band (all five storeys alike).
struct ArchitectTextureChoice {
  int32_t wallSet = 0;
  int32_t roofSet = 0;
  int32_t storeyEntry = 0;
  int32_t storeyTexture = 0;
  int32_t wallMaterial = -1;  // the upper walls' material from the prestige list; -1 the design's
  bool plain = false;
};
ArchitectTextureChoice ChooseArchitectTextures(uint32_t seed);
// The material (0 brick, 1 stone, 2 timber, 3 concrete, 4 glass) that the
// block's prestige list gives a seed; -1 when the list is empty.
int32_t PrestigeWallMaterial(float blockPrestige, uint32_t seed);

// The parts of a building: the three of the day, then the night's windows.
inline constexpr size_t kArchitectDayParts = 3, kArchitectParts = 4;
// The texture number of the night's lit windows (the shared night-window
// texture, not one of the architect's own).
inline constexpr int32_t kNightWindowTextureNumber = -2;

// One model's geometry before it is registered.
struct MeshPart {
  std::vector<Vec3> positions;
  std::vector<TexCoord> uv1, uv2;
  std::vector<int32_t> textures;               // texture number per primitive
  std::vector<std::vector<uint16_t>> indices;  // triangle list per primitive
  int32_t Primitive(int32_t texture);
  int32_t TriangleCount() const;
  bool Empty() const { return positions.empty(); }
};

// The architect's work for one building.
struct ArchitectBuild {
  int32_t entry = -1;  // the design (library index)
  SiteTurn turn;
  DesignFrame frame;
  ArchitectTextureChoice textures;
  BuildingDescription description;
  // Walls, roofs and caps, ledges; then the lit windows of the night, just
  // off the walls that have windows (drawn only at night).
  std::array<MeshPart, kArchitectParts> parts;
  int32_t doorCount = 0;
  std::array<Vec3, 8> doors{};  // building-relative, y up
  float height = 0;
  Vec3 boxMin{}, boxMax{};  // building-relative bounds of all parts
};

enum class ArchitectResult { kBuilt, kNoLibrary, kNoDesign, kBadSearch };

// Chooses the design for the building (its lot rectangle, floors, kind,
// quality and seed) and builds its geometry and door points.
ArchitectResult BuildFile_Search(const CBuilding& building, ArchitectBuild& out);
// How many library designs fit the building's site, kind, quality and
// floors (0 without a library); the high half of a design code picks one.
int32_t CountFittingDesigns(const CBuilding& building);

// Builds the geometry of a description placed by `frame`, textured by
// `textures` (the plain set puts every layer on the ground).
void BuildArchitectGeometry(BuildingDescription description, const DesignFrame& frame,
                            const ArchitectTextureChoice& textures, uint32_t seed, ArchitectBuild& out);

// Registers a part as a self-built model with its bounds, its z turned into
// the models' own (opposite to the city's); 0 when empty, too large or no
// model system exists.
int32_t RegisterMeshPart(const MeshPart& part);
