#pragma once
// The person record: the fields the economy reads and writes (home, class,
// household, preference row, block memory, house-hunt countdown, shopping
// trip) and the house-hunt and shopping choices made for a person. The
// people's daily cycle (movement, timetable states, the saved layout) builds
// on this record and adds its own fields; nothing here depends on the order
// of fields.
#include <array>
#include <cstdint>

#include "city/road_topology.h"  // kNoBlock

inline constexpr int kMaxPeople = 2000;
inline constexpr int32_t kNoHousingScore = -99999999;
inline constexpr float kNoShoppingScore = -100000000.0f;

enum PersonKind : int32_t { kChild = 0, kTeenager = 1, kAdult = 2, kPensioner = 3, kTourist = 4 };
inline constexpr int kPersonKindCount = 5;

struct PersonDestination {
  uint8_t Block = kNoBlock;
  int16_t Building = -1;
  float Position[3] = {};
};

class CPerson {
 public:
  int32_t Kind = kAdult;
  uint8_t HomeBlock = kNoBlock;
  int16_t HomeBuilding = -1;  // -1 homeless
  uint8_t WorkBlock = kNoBlock;
  uint8_t BlockMemory[13] = {};  // 2 bits per block, four blocks a byte
  int32_t SocialClass = 0;       // 0 low, 1 medium, 2 high (more reads as high)
  uint8_t DayTimetable = 0;
  PersonDestination Destination;
  int32_t Commodity = -1;  // being bought
  int16_t Household = -1;
  uint8_t PreferenceRow = 0;
  uint32_t ShoppingMask = 0;
  float PriceTolerance = 1.5f;  // multiple of the default price it will pay
  uint8_t TripsToday = 0;
  int32_t HouseHuntCountdown = 0;  // low 4 bits: days to the next house hunt
  uint8_t CurrentBlock = kNoBlock;
  uint8_t TargetBlock = kNoBlock;
  int32_t NextResident = -1;  // next person of the same residence
  // Position on the ground, in the same world frame as block and building centres.
  float PositionX = 0, PositionZ = 0;
  uint16_t Index = 0;
  uint8_t InUse = 0;

  // Block memory 0..3.
  int GetBlockMemory(int32_t block) const;
  void SetBlockMemory(int32_t block, int value);
  void RaiseBlockMemory(int32_t block);  // + 1, at most 3
  bool IsHoused() const { return HomeBuilding >= 0; }
  int32_t GetNextResident() const { return NextResident; }
  int32_t GetHouseHuntCountdown() const { return HouseHuntCountdown & 15; }
  void SetHouseHuntCountdown(int32_t days) { HouseHuntCountdown = (HouseHuntCountdown & ~15) | (days & 15); }
  // The social class row index 0..2.
  int ClassRow() const;

  // House hunt.
  int32_t ScoreHousingBlock(int32_t block) const;
  int32_t ChooseResidence(int32_t block) const;  // business index, -1 none
  void HouseHunt();
  bool FindHomeBlock();
  // Shopping.
  float ScoreShoppingBlock(int32_t block) const;
  float ScoreShopOffer(int32_t business, int32_t commodity, float* value = nullptr,
                       float* prestige = nullptr) const;
  float GetBlockDistanceScore(int32_t block) const;
  int32_t ChooseShoppingBlock();  // the block, -1 none
  bool ChooseShop();
  // The residence closes: the person leaves it and plans anew.
  void Evict();
  // Moves out of its present home (if any) and becomes homeless.
  void LeaveHome();
  float GetHomeRent() const;
};

extern std::array<CPerson, kMaxPeople> g_People;
// People in use are 0..count-1.
extern int32_t g_PeopleCount;

CPerson* GetPerson(int32_t index);  // null outside the table
// Every record: its index, not in use; count 0.
void ClearPersonRecords();
// Every person in use remembers the block a little better (a business opened
// there or ran an event).
void RaiseBlockMemoryForAll(int32_t block);
