#pragma once
// Strong ids for the indexes that game messages and saves carry side by
// side: a player's index (0..5) is not its number (1..6, the form owners are
// stored in), and a block, a building and a business are three pools.
#include <cstdint>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/city_limits.h"
#include "engine/core/record_visitor.h"

struct PlayerIndexTag {
  static constexpr int32_t kNone = -1, kMin = 0, kMax = kMaxPlayerNumber - 1;
  static constexpr const char* kWhat = "player";
};
struct PlayerNumberTag {
  static constexpr int32_t kNone = 0, kMin = 1, kMax = kMaxPlayerNumber;
  static constexpr const char* kWhat = "player";
};
struct BlockIdTag {
  static constexpr int32_t kNone = -1, kMin = 0, kMax = kBlockCount - 1;
  static constexpr const char* kWhat = "block";
};
struct BuildingIdTag {
  static constexpr int32_t kNone = -1, kMin = 0, kMax = kBuildingPoolSize - 1;
  static constexpr const char* kWhat = "building";
};
struct BusinessIdTag {
  static constexpr int32_t kNone = -1, kMin = 0, kMax = kMaxBusinesses - 1;
  static constexpr const char* kWhat = "business";
};

// 0-based player slot; -1 the city (or nobody).
using PlayerIndex = StrongId<PlayerIndexTag>;
// 1-based player number; 0 the city (or nobody).
using PlayerNumber = StrongId<PlayerNumberTag>;
using BlockId = StrongId<BlockIdTag>;
using BuildingId = StrongId<BuildingIdTag>;
using BusinessId = StrongId<BusinessIdTag>;

constexpr PlayerNumber NumberOf(PlayerIndex i) { return PlayerNumber{i.value + 1}; }
constexpr PlayerIndex IndexOf(PlayerNumber n) { return PlayerIndex{n.value - 1}; }

// Rules for fields where "none" is allowed as well.
inline constexpr FieldRange kPlayerIndexOrCity{-1, kMaxPlayerNumber - 1, "player"};
inline constexpr FieldRange kPlayerNumberOrCity{0, kMaxPlayerNumber, "player"};
