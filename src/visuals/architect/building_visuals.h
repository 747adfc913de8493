#pragma once
// Building visuals: the architect's models of every building, the program-wide
// sign and prop pools their signs and props come from, and the city's
// visual service that sets a building's look up when it is linked into its
// block and releases it when the building goes.
#include <array>
#include <cstdint>

#include "city/buildings.h"
#include "city/city_services.h"
#include "engine/core/maths.h"
#include "engine/scene/model.h"
#include "visuals/architect/architect.h"

inline constexpr int32_t kSignPoolSize = 2200;
inline constexpr int32_t kPropPoolSize = 500;

struct SignSlot {
  int32_t Built = 0;  // 1: its model was made for it; 0: a shared decoration model
  int32_t Code = 0;   // the placement's part code
  uint8_t InUse = 0;
  uint8_t Flag = 0;
  float Position[3] = {};  // world
  float Scale[3] = {};
  int32_t PassThrough = 0;
  int32_t Model = 0;
  float Width = 0, Height = 0;
  float Yaw = 0;  // degrees: the sign's face (+z) turned toward its street
};

struct PropSlot {
  uint8_t InUse = 0;
  float Position[3] = {};
  float Scale[3] = {};
};

struct SignPool {
  int32_t Count = 0;
  std::array<SignSlot, kSignPoolSize> Slots{};
};
struct PropPool {
  int32_t Count = 0;
  std::array<PropSlot, kPropPoolSize> Slots{};
};
SignPool& TheSignPool();
PropPool& ThePropPool();

// The first free slot in index order, marked in use; -1 when all are.
int32_t AllocSignSlot();
int32_t AllocPropSlot();
void FreeSignSlot(int32_t index);
void FreePropSlot(int32_t index);
void ClearSignPool();
void ClearPropPool();

// Props: these part codes stand a prop; every other code is a sign.
bool IsPropCode(int32_t code);
// The shared model of a decoration code (roof models, trees, benches,
// fountains, plant); 0 when it has none. Installed with the world models.
using DecorationModelLookup = int32_t (*)(int32_t code);
void SetDecorationModelLookup(DecorationModelLookup lookup);
// The model every prop instance is drawn with (a tree); null draws none.
void SetPropModel(const ModelLodSet* model);
// The city's scenery marker model: each of its points is where a tree of the
// city stands. Installed with the world models.
void SetPropMarkerModel(const ModelLodSet* model);
// New game and load: the prop pool cleared, then one prop (scale 1) at each
// point of the marker model, before the level's buildings take theirs.
// Returns how many were made.
int32_t ResetPropInstances();
// The model of a sign: a decoration's shared model (Built 0) or a text model
// built for it (Built 1) in the colour row's boards; 0 when the code has no
// model.
int32_t SignModelForCode(SignSlot& sign, int32_t textId, const char* text, int32_t colourRow);
// A building's signs wear its owner's colour: the owner's character, or the
// last row when nobody owns it.
int32_t SignColourRow(const CBuilding& building);

// The building's models (walls, roofs and caps, ledges, the night's lit
// windows); handles 0 = none.
struct BuildingModels {
  std::array<ModelLodSet, kArchitectParts> sets{};
};
const BuildingModels& ModelsOfBuilding(int32_t buildingId);

// The architect as the city's visual service.
class ArchitectVisualServices : public CityVisualServices {
 public:
  bool SetUpBuildingVisual(CBuilding& building) override;
  void ReleaseBuildingVisuals(CBuilding& building) override;
  void RebuildSigns(CBuilding& building) override;
  int32_t StartDust(float x, float z, float width, float depth) override;
  void StopEffect(int32_t effectSlot) override;
  void TintBlockLabel(int32_t block, uint32_t colour) override;
};
ArchitectVisualServices& TheArchitect();

// Signs and props of a design on a building whose look was just built
// (without signs: the props alone).
void AttachBuildingProps(const ArchitectBuild& build, CBuilding& building, bool withSigns = true);

// New game and load, once the city is cleared: every building model, sign
// model and pool slot given back.
void ResetBuildingVisuals();

// The five standard buildings of the utility and marina blocks (telecoms,
// gas, electricity, water, marina), built once at start-up from the
// library's designs of those categories with seed 80; a category without a
// design is left out, each with its design's props (held by the building,
// outside the prop pool). Returns how many were built.
int32_t BuildStandardBuildings();
void ReleaseStandardBuildings();
int32_t StandardBuildingPropCount();

// Draws the architect's buildings, their signs and the standard buildings
// (entities built per draw).
// The tint of a building's decorations (props and signs) at a distance from
// the eye: whole up to the detail factor x 200 + 150, fading to nothing 50
// further (0: not drawn); darkened when its business is closed.
inline constexpr uint32_t kClosedDecorationTint = 0xFF7F7F7Fu;
uint32_t DecorationTint(float distance, bool closed);
void DrawBuildingVisuals(const Mat43& view);
// The lit windows of the architect's buildings whose light group is on at
// the night level (a building's group is its id).
void DrawBuildingWindowLights(const Mat43& view, float nightLevel);
