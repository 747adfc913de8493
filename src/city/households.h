#pragma once
// Households: the money each person spends and what it means to buy. Wants
// come from a preference row; income arrives daily and rent is taken from it.
#include <array>
#include <cstdint>
#include <span>

#include "engine/core/record_visitor.h"

class CRandomStream;

inline constexpr int kMaxHouseholds = 2000;

struct CHousehold {
  uint8_t InUse = 0;
  uint8_t Pad[3] = {};
  float Want[32] = {};  // money meant for each commodity
  uint32_t WantMask = 0;  // bit c set while Want[c] is non-zero
  float Money = 0;
  float TotalWant = 0;

  // First wants from a preference row; their sum becomes money and totalWant.
  void InitWants(int32_t preferenceRow);
  // Daily: shares spare money out over the row's wants, or cuts wants back
  // from the last entry when they exceed the money.
  void BalanceWants(int32_t preferenceRow);
  void RebuildWantMask();

  // A row of chunk 4096 (the table saved whole).
  template <class V>
  void Visit(V& v) {
    v.Field(InUse, {0, 1, "in use"});
    v.Field(Pad);
    v.Field(Want, kFinite);
    v.Field(WantMask);
    v.Field(Money, kFinite);
    v.Field(TotalWant, kFinite);
  }
};
static_assert(sizeof(CHousehold) == 144);

extern std::array<CHousehold, kMaxHouseholds> g_Households;

// The households' random stream (wants, house-hunt countdowns, preference draws).
CRandomStream& HouseholdRandom();

CHousehold* GetHousehold(int32_t index);  // null outside the table or free
void ResetHouseholds();
void ResetHousehold(int32_t index);
int32_t AllocHousehold();  // -1 when all are in use

// Save chunk 4096.
inline constexpr uint32_t kHouseholdsChunkLength = kMaxHouseholds * sizeof(CHousehold);
using HouseholdTable = std::array<CHousehold, kMaxHouseholds>;
