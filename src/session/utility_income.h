#pragma once
// Utility and railroad income: the owners of the four utility blocks share
// the takings the city's businesses pay them during the day, the owners of
// the four railroad blocks earn a daily freight; both are paid at 6 o'clock.
#include <cstdint>

// The utility accounts follow the utility block list: slot 0 water (block
// 39), 1 electricity (42), 2 gas (35), 3 telephone (2). The city's
// kUtilityBlocks holds the same blocks in the order of a business type's
// utility needs (telecoms, gas, water, electricity).
inline constexpr int kUtilitySlots = 4;
inline constexpr int32_t kUtilitySlotBlocks[kUtilitySlots] = {39, 42, 35, 2};
enum UtilitySlot : int { kUtilityWater = 0, kUtilityElectricity = 1, kUtilityGas = 2, kUtilityTelephone = 3 };

struct UtilityIncome {
  float takings[4] = {};        // per utility slot (kUtilitySlotBlocks), since the last payout
  float railroadValues[4] = {};  // what each railroad pays at the next payout
  uint8_t enabled[4] = {1, 1, 1, 1};
  float dailyFreight = 0;
  float incomeMultiplier = 0;
};


UtilityIncome& GetUtilityIncome();
// Selects the daily freight and income multiplier of a difficulty (0..2)
// from the script tweaks.
void SelectUtilityIncomeValues(int32_t difficulty);
void ResetUtilityIncome();
void AddUtilityIncome(int32_t slot, float amount);
void PayUtilityIncome();
void PayRailroadIncome();
// People arriving home at a railroad: passenger account 1..4 (railroad slot
// 0..3) pays the amount more at the next payout; other accounts are ignored.
void AddRailroadPassengers(int32_t account, int32_t amount);
void PayDailyRailUtilityIncome();
// The block of a railroad slot 0..3 (the blocks of the railroad district
// kind, in block order); -1 when the map has fewer.
int32_t RailroadBlock(int32_t slot);
int32_t CountOwnedUtilityBlocks(int32_t player);
int32_t CountOwnedRailroadBlocks(int32_t player);
