#pragma once
// The people's daily cycle: creation, the per-tick state machine (timetable,
// behaviour states, walking round blocks, crossing streets at junctions,
// riding the underground), daily income, the saved person records and the
// sync checksum. People advance in index order, once per logic tick, and
// draw only from the people's and households' random streams, so every
// machine steps them identically.
//
// The economy's part of a person (home, household, class, wants, block
// memory) lives in CPerson (person.h); the movement and state fields live
// here in PersonCycle, one per person, indexed alike. Both are saved
// together as one 330-byte record (PersonRecordImage).
#include <array>
#include <cstdint>
#include <span>

#include "city/person.h"
#include "engine/scene/asset_table.h"
#include "engine/scene/entity.h"

struct CBuilding;

inline constexpr int32_t kTicksPerGameHour = 625;
inline constexpr float kMotionOffsetX = 470.0f;
inline constexpr float kMotionOffsetZ = 450.0f;
inline constexpr float kRingStreet = 37.0f;   // where a person stands leaving transit
inline constexpr uint32_t kPersonRecordLength = 330;
inline constexpr uint8_t kNextHopUnknown = 254;
inline constexpr uint8_t kNextHopRide = 255;
inline constexpr int32_t kRailroadBlocks[4] = {4, 17, 43, 44};  // passenger accounts 1..4 in this order
inline constexpr int32_t kSchoolBlock = 41;

enum PersonFlag : uint8_t {
  kFlagOffStreet = 1,  // in a building or underground
  kFlagCrossing = 2,   // crossing a street: the timetable waits
  kFlagMoving = 4,
  kFlagBackward = 8,  // direction round the block
  kFlagRingWalk = 16,
};

enum PersonMode : int32_t { kModeSignal = 0, kModeWhenStill = 1, kModeStepFlag = 2, kModeInShop = 3, kModeIdle = 4 };

enum PersonState : int32_t {
  kStateLookForHouse = 0,
  kStateGoingHome = 1,
  kStateAtHome = 2,
  kStateAsleep = 3,
  kStateGoingToWork = 4,
  kStateAtWork = 5,
  kStateMainShopping = 6,
  kStateDiningOut = 7,
  kStateSnack = 8,
  kStateEntertainment = 9,
  kStateStayingOver = 10,
  kStateStrolling = 12,
};

// The walking motion record: position and target carry the +470 / +450
// offset, and targets are whole units, so every machine steps alike.
struct PersonMotion {
  float X = 0, Z = 0;
  float TargetX = 0, TargetZ = 0;
  float Step = 0.4f;  // distance per tick: the person's walking speed
  float Heading = 0;  // degrees
};

// The fields of the daily cycle. Working fields (their meaning is ours):
//  - WorkValue1 / WorkValue2: the two random working values drawn at
//    creation (96..600; 603..728 or 731..857 by bit 2 of the index); kept and
//    saved, read by the presentation to vary animation timing.
//  - RingRadius: startChoice + 35, the ring the person walks round a block.
//  - CrossNode / CrossDirection: the road node and direction of the junction
//    claimed while crossing (-1 none), so the claim is released exactly, and
//    re-made after a load.
//  - CrossX / CrossZ: the point on the far side of the street being crossed;
//    CrossStep: the road node whose junction is asked before crossing (-1 none).
//  - LegTarget: the current leg's target, relative to the block centre.
//  - RingGoal: ring position (0..7) a leg walks to; RingPhase: 0 start, 1 round
//    the ring, 2 straight to the target, 3 done.
//  - BoughtHere: a purchase was made in the present shopping block (a block
//    where no shop suits ends the trip instead of choosing it again).
//  - Animation: the street animation last started on the entity
//    (PersonAnimation, kNoAnimation none); AnimationRunning and
//    AnimationFrame hold the entity's animation for the save, so a loaded
//    person goes on with it at the same frame.
inline constexpr uint8_t kNoAnimation = 255;
struct PersonCycle {
  float HomeDoor[3] = {};
  float WorkDoor[3] = {};
  PersonDestination SavedDestination;
  uint8_t Flags = 0;
  int32_t Side = 1, EntrySide = 1, ExitSide = 1;
  uint8_t StartChoice = 1;
  uint8_t NextBlock = kNoBlock;
  float LegTarget[3] = {};
  int32_t Mode = kModeWhenStill;
  uint8_t ModeSignal = 0;
  uint8_t StepFlag = 0;
  int32_t HourCountdown = 0;
  int32_t WaitTicks = 0;
  int32_t Working = -1;
  int32_t State = -1;
  int32_t SubState = 0;
  int32_t LegState = 0, CrossState = 0, CrossStep = 0, CrossWait = 0;
  PersonMotion Motion;
  int32_t WorkValue1 = 0, WorkValue2 = 0;
  int32_t CrossNode = -1, CrossDirection = 0;
  float CrossX = 0, CrossZ = 0;
  int32_t RingGoal = 0, RingPhase = 0;
  uint8_t BoughtHere = 0;
  uint8_t Animation = kNoAnimation;
  uint8_t AnimationRunning = 0;
  int16_t AnimationFrame = 0;
};

extern std::array<PersonCycle, kMaxPeople> g_PersonCycles;
extern std::array<CEntity, kMaxPeople> g_PersonEntities;

// ---- Life ----
void ResetPeopleTables();  // program start: the next-hop table
void ResetPeople();        // new game, level end, load
// kind or -1 (random), social class or -1 (random), preference row or -1
// (drawn for its class). Null when all 2000 are used.
CPerson* CreatePerson(int32_t kind, int32_t socialClass, int32_t preferenceRow);
// Every logic tick; returns the count.
int32_t UpdatePeople();
// Hour 5: income, wants and the day's timetable; then people forget a little.
void UpdatePeopleDaily();

// ---- One person ----
void UpdatePerson(CPerson& p);
void ApplyTimetable(CPerson& p);
void EnterState(CPerson& p, int32_t state);
void DailyIncome(CPerson& p);
// Draws the timetable for the person's situation and applies it (held while
// it crosses a street: then it applies on the next tick it may).
void Replan(CPerson& p);
// Purchase at the destination shop; false when nothing was bought.
bool Buy(CPerson& p);

// ---- Queries ----
int32_t GetActivityTextId(const CPerson& p);
// The building of the person's work block whose door the person walks to
// for work; null when there is none.
const CBuilding* WorkBuilding(const CPerson& p);
int32_t GetWorkBusinessKind(const CPerson& p);
// The door people use of a building (its first door, at its centre without one).
void DoorOf(int32_t buildingId, float door[3]);
int32_t GetModelIndex(const CPerson& p);
// The frames of a street animation for the person's kind (child, teenager,
// pensioner, everyone else).
PersonFrameRange GetAnimationFrames(const CPerson& p, int32_t animation);
// The model set a person's entity gets for a people model number (null:
// none bound); the entity follows its person's model number as it moves.
using PersonModelSource = ModelLodSet* (*)(int32_t modelIndex);
void SetPersonModelSource(PersonModelSource source);
bool HasPersonModelSource();
int32_t GetHousingStatus(const CPerson& p);  // 0 tourist, 1 homeless, 2 housed
int32_t PeopleInBlock(int32_t block);
// Everyone whose current block it is, indoors or out.
int32_t PeopleWithCurrentBlock(int32_t block);
// The sum, modulo 256, of every person's interest in the block.
uint8_t BlockInterestTotal(int32_t block);
// The next block toward `to` on foot; 255 to ride; cached.
uint8_t GetNextBlockToward(int32_t from, int32_t to);
// Wrapping sum over the people in use of their positions, states and blocks.
int32_t GetPeopleChecksum();

// ---- Saving ----
// One chunk (type 16) per person in use, in index order, each a PersonRecord:
// its visit checks the index and every reference before anything is applied.
void SavePeopleChunks();
// The record of one chunk: the person's saved fields and its index.
struct PersonRecord {
  CPerson person;
  PersonCycle cycle;
  uint16_t index = 0;
  template <class V>
  void Visit(V& v);
};
// A checked record into its slot.
void ApplyPersonRecord(const PersonRecord& record);
// After every chunk is in: block counts, junction claims of people crossing,
// entity positions.
void FinishPeopleLoad();
// Claims again the junctions of the people now crossing (after a traffic
// reset cleared the walkers).
void RestorePeopleCrossings();
void RegisterPeopleSaveHooks();
// The saved image of one person (exposed for tests).
std::array<uint8_t, kPersonRecordLength> PackPersonRecord(int32_t index);
