#pragma once
// Buildings: the pool of 600 records plus a spare that stands for none, the
// three building kinds and their figures, owner and price rules, and the
// cost and value formulas used by the interface, the computer players and
// the message dispatcher.
#include <array>
#include <cstdint>
#include <string_view>

#include "city/blocks.h"
#include "city/city_limits.h"
#include "engine/core/record_visitor.h"

class CBlock;
class CPlayer;

inline constexpr int kBuildingPoolSize = 600;
inline constexpr int kBuildingKindCount = 3;
inline constexpr int kMaxBuildingDoors = 8;
inline constexpr int kBuildingSigns = 32;
inline constexpr int kBuildingProps = 8;
inline constexpr int32_t kLogicTicksPerHour = 625;

enum BuildingKindIndex : int32_t { kKindRetail = 0, kKindResidential = 1, kKindLandscape = 2 };

enum BuildingStatus : int32_t {
  kStatusQueued = 0,
  kStatusPhase1 = 1,
  kStatusPhase2 = 2,
  kStatusPhase3 = 3,
  kStatusComplete = 4,
  kStatusDemolished = 5,
  kStatusPlaced = 6,
};

// Figures of a kind, in the order of the BUILDING* commands' table.
enum BuildingFigure : int {
  kFigureRent = 0,
  kFigureCostPerUnit = 1,
  kFigureCostToDemolish = 2,
  kFigureTimeToBuild = 3,
  kFigureTimeToDemolish = 4,
  kFigureMaintenanceCost = 5,
  kFigureLifeExpectancy = 6,
};

struct BuildingKind {
  char Name[32] = {};
  uint16_t Figures[7] = {};
};
extern std::array<BuildingKind, kBuildingKindCount> g_BuildingKinds;
void ResetBuildingKinds();
int FindBuildingKindByName(std::string_view name);  // -1 when none

struct DoorPoint {
  float x = 0, y = 0, z = 0;
};

// The visible side of a building. Built is 1 when the architect made it;
// otherwise it is a plain box of the footprint, Height high.
struct BuildingVisual {
  int32_t Built = 0;
  float Position[3] = {};
  float Rotation[3] = {};  // degrees
  float Matrix[4][3] = {};
  int32_t EffectSlot = -1;  // particle emitter handle, -1 none
  float BoxMin[3] = {}, BoxMax[3] = {};  // building-relative model bounds
  int32_t LibraryEntry = -1;
  int32_t DoorCount = 0;
  DoorPoint Doors[kMaxBuildingDoors];
  float Height = 0;
  // Set by a construction job from its phase: grown (0 to 1) and sunk (down).
  float Growth = 1;
  float Sink = 0;
  int32_t SignCount = 0;
  int32_t Signs[kBuildingSigns] = {};
  int32_t PropCount = 0;
  int32_t Props[kBuildingProps] = {};
};

// A building's saved head: its row of chunk 4, 64 bytes laid out as the
// fields sit in memory (each at its natural alignment, zero padding).
struct BuildingSavedState {
  int32_t Id = 0;
  uint8_t X1 = 0, Z1 = 0, X2 = 0, Z2 = 0;
  uint8_t Floors = 0;
  float CentreX = 0, CentreZ = 0;
  int32_t Status = 0;
  uint8_t PlaceInBlock = 0;
  int32_t BusinessIndex = -1;
  int32_t ArchitectSeed = 0;
  int32_t Kind = 0;
  int32_t RentPerUnit = 0;
  uint8_t Quality = 0;
  uint8_t Owner = 0;
  int32_t OwnerChangeTick = 0;
  int32_t BuiltYear = 0;
  float Value = 0;
  uint8_t InUse = 0;

  template <class V>
  void Visit(V& v) {
    v.Field(Id);
    v.Require(Id == static_cast<int32_t>(v.Row()), "building id out of place");
    for (uint8_t* f : {&X1, &Z1, &X2, &Z2, &Floors}) v.Field(*f);
    v.Pad(3);
    v.Field(CentreX);
    v.Field(CentreZ);
    v.Field(Status);
    v.Field(PlaceInBlock);
    v.Pad(3);
    for (int32_t* f : {&BusinessIndex, &ArchitectSeed, &Kind, &RentPerUnit}) v.Field(*f);
    v.Field(Quality);
    v.Field(Owner);
    v.Pad(2);
    v.Field(OwnerChangeTick);
    v.Field(BuiltYear);
    v.Field(Value);
    // Room kept for a machine's marks of its demolition, request and trade
    // waiting for an answer; those are its own (city/local_drafts.h), so
    // the room is written as zeros and an older save's marks are not read.
    v.Pad(3);
    v.Field(InUse, {0, 1, "building in-use flag"});
    v.Require(!InUse || InUseHeadValid(), "building");
  }
  // The rules of a building in use: lots, floors, kind, owner, status, business.
  bool InUseHeadValid() const {
    return X1 <= X2 && Z1 <= Z2 && X2 < kLotsPerSide && Z2 < kLotsPerSide && Floors != 0 && Kind >= 0 &&
           Kind < kBuildingKindCount && Owner <= kMaxPlayerNumber && Status >= kStatusQueued &&
           Status <= kStatusPlaced && BusinessIndex >= -1 && BusinessIndex < kBuildingPoolSize;
  }
};

class CBuilding : public BuildingSavedState {
 public:
  CBlock* Block = nullptr;
  CBuilding* Next = nullptr;
  CBuilding* Prev = nullptr;
  BuildingVisual Visual;

  void InitBuilding(int x1, int z1, int x2, int z2, int floors, float centreX, float centreZ,
                    int32_t seed, int32_t kind, uint8_t quality, float value);
  CPlayer* GetOwner() const;
  CPlayer* GetBlockOwner() const;
  int32_t GetBlockOwnerNumber() const;
  void SetOwner(uint8_t player);
  void StampOwnerChange();
  int32_t GetBusiness() const { return BusinessIndex; }  // -1 when none
  void SendBuyoutRequest() const;

  int32_t VolumeUnits() const;
  float PrestigeFactor() const;
  int32_t GetCapacity(int32_t businessType) const;
  float GetBusinessSetupCost(int32_t businessType) const;
  float GetRentalValue() const;
  int32_t GetNoveltyPercent() const;
  float GetBuyoutPrice() const;
};

float QualityFactor(uint8_t quality);
float PrestigeFactor(float prestige);
float AreaFactor(int32_t units);

// Pool.
extern std::array<CBuilding, kBuildingPoolSize> g_Buildings;
// The first free record; when all are in use reports "Ran out of building
// objects" and returns null (a message from another machine must never end
// the program, so the caller refuses the action instead).
CBuilding* AllocBuilding();
CBuilding* GetSpareBuilding();
CBuilding* GetBuilding(int32_t id);  // null outside the pool
void ResetBuildings();
void RefreshBuildingModel(CBuilding& building);

// The four parts of the last estimate, shown by the construction panel.
struct BuildingCostEstimate {
  float Construction = 0;
  float StockCost = 0;
  float RentEstimate = 0;
  float UtilityCharge = 0;
};
extern BuildingCostEstimate g_LastCostEstimate;
int32_t EstimateBuildingCost(int32_t block, int32_t units, int32_t kind, int32_t businessType,
                             uint8_t quality, int32_t player);
