#pragma once
// What the city model reaches through narrow virtuals with harmless
// defaults: upward, the computer players' bookkeeping and the architect's
// and the effects' visuals, which live above the simulation; within the
// simulation, the session's clock, players and messages and the economy's
// business figures, which the city's unit tests and the benchmark's fixture
// city replace with their own (these are to become direct calls). Prompts go
// up as game events (session/game_events.h).
#include <cstdint>
#include <span>

class CBuilding;
class CBlock;
class CPlayer;

// Session: clock, players and game messages.
class CitySessionServices {
 public:
  virtual ~CitySessionServices() = default;
  virtual int32_t LogicTick() const { return 0; }
  virtual int32_t GameHour() const { return 9; }
  virtual int32_t DecadeIndex() const { return 0; }
  virtual int32_t YearInDecade() const { return 0; }
  // The player object of a number 1..6; null for 0 or an unused number.
  virtual CPlayer* GetPlayer(int32_t /*number*/) const { return nullptr; }
  virtual int32_t LocalPlayer() const { return 0; }
  virtual bool OwnsDistrictSet(int32_t /*player*/, int32_t /*district*/) const { return false; }
  // Posts a game message: type, total length (with the 20-byte common header)
  // and the payload words after the header.
  virtual void SendMessage(int32_t /*type*/, int32_t /*length*/, std::span<const int32_t> /*payload*/,
                           int32_t /*delay*/) {}
  virtual void ReturnBlockToCity(int32_t /*block*/) {}
  // The block of the running auction, -1 when none runs.
  virtual int32_t AuctionBlock() const { return -1; }
  virtual void EndAuction() {}
  virtual void ResetStatistics() {}  // CData::Reset
};

// Computer players: free-footprint bookkeeping of a block.
class CityAiServices {
 public:
  virtual ~CityAiServices() = default;
  virtual void ComputeBlockFreeFootprint(int32_t /*block*/) {}
};

// Businesses (held by later code): the figures the block and building rules read.
class CityBusinessServices {
 public:
  virtual ~CityBusinessServices() = default;
  virtual uint32_t SoldCommodityMask(int32_t /*business*/) const { return 0; }
  virtual int32_t BusinessKind(int32_t /*business*/) const { return -1; }  // 1 = residence
  virtual float MoneyValue(int32_t /*business*/) const { return 0; }
  virtual float Rating(int32_t /*business*/) const { return 0; }
  // Business type figures (`density`, `refurbcost`, utility needs).
  virtual float Density(int32_t /*type*/) const { return 0; }
  virtual float RefurbCost(int32_t /*type*/) const { return 0; }
  // Utility need of a type: 0 telecom, 1 gas, 2 water, 3 electrical.
  virtual float UtilityNeed(int32_t /*type*/, int /*utility*/) const { return 0; }
  virtual float InitialStockCost(int32_t /*type*/, int32_t /*units*/) const { return 0; }
  virtual float DampedAreaValue(int32_t units, float e) const;
};

// Building and street visuals: the architect builds a building's look when
// it is linked into its block (without it every building is a plain box),
// and the city's visual effects step with the logic ticks. Nothing the
// simulation computes depends on them.
class CityVisualServices {
 public:
  virtual ~CityVisualServices() = default;
  // Per running tick, at their places in the tick driver's order.
  virtual void UpdateAnimatedScenery() {}
  virtual void UpdateNightWindows() {}
  virtual void UpdateBlockAmbiencePositions() {}
  virtual void UpdateSmokeEmitters() {}
  virtual void StepPulsingLights() {}
  // Each game hour: the scenery's schedule for the hour.
  virtual void ScheduleSceneryForHour(int32_t /*hour*/) {}
  // Sets up the visual; returns false when no fitting design exists (the
  // building then keeps the plain box and a warning is reported).
  virtual bool SetUpBuildingVisual(CBuilding& building);
  virtual void ReleaseBuildingVisuals(CBuilding& building);
  // Rebuilds the signs of an architect-built visual.
  virtual void RebuildSigns(CBuilding& /*building*/) {}
  // A demolition's dust over the lot rectangle: the effect slot, -1 none.
  virtual int32_t StartDust(float /*x*/, float /*z*/, float /*width*/, float /*depth*/) { return -1; }
  virtual void StopEffect(int32_t /*effectSlot*/) {}
  // A block's district colours changed: retint its base entity (colour) or
  // its name label (text colour).
  virtual void TintBlockBase(int32_t /*block*/, uint32_t /*colour*/) {}
  virtual void TintBlockLabel(int32_t /*block*/, uint32_t /*colour*/) {}
};

struct CityServices {
  CitySessionServices* session;
  CityAiServices* ai;
  CityBusinessServices* business;
  CityVisualServices* visuals;
};

// The installed services; every pointer is always valid (defaults at start).
CityServices& City();
// Installs one service (null restores its default).
void SetCitySessionServices(CitySessionServices* s);
void SetCityAiServices(CityAiServices* s);
void SetCityBusinessServices(CityBusinessServices* s);
void SetCityVisualServices(CityVisualServices* s);
void RestoreDefaultCityServices();

// The height of one floor of the plain box visual.
inline constexpr float kPlainFloorHeight = 10.0f;
