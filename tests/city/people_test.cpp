#include <array>
#include <gtest/gtest.h>

#include <array>
#include <span>

#include <cmath>
#include <cstring>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/population_classes.h"
#include "city/business.h"
#include "city/fixture_city.h"
#include "city/households.h"
#include "city/lane_network.h"
#include "city/people.h"
#include "city/road_topology.h"
#include "city/timetables.h"
#include "city/traffic.h"
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/scene/model.h"

namespace {

class People : public ::testing::Test {
 protected:
  void SetUp() override {
    ThrowOnFatalError();
    FixtureCityOptions o;
    o.People = 40;
    o.Seed = 31;
    BuildFixtureCity(o);
  }
  // A shop business, open, selling a commodity in the given slot.
  static CBusiness* OpenShop(int32_t& commodity, int slot = 0) {
    for (CBusiness& b : g_Businesses) {
      if (b.InUse && b.IsShop() && b.OpenState == kOpen && b.SlotCount() > slot) {
        commodity = b.GetSlotCommodity(slot);
        return &b;
      }
    }
    return nullptr;
  }
};

}  // namespace

TEST_F(People, NewPeopleStartAtARailroadUnhousedAndLookForAHouse) {
  for (int i = 0; i < g_PeopleCount; ++i) {
    const CPerson& p = g_People[i];
    const PersonCycle& c = g_PersonCycles[i];
    EXPECT_TRUE(p.CurrentBlock == 4 || p.CurrentBlock == 17 || p.CurrentBlock == 43 || p.CurrentBlock == 44);
    EXPECT_EQ(p.GetBlockMemory(p.CurrentBlock), 0);  // set-up forgets the entry block
    EXPECT_GE(p.PriceTolerance, 1.5f);
    EXPECT_LE(p.PriceTolerance, 2.5f);
    EXPECT_GE(c.StartChoice, 1);
    EXPECT_LE(c.StartChoice, 5);
    if (p.Kind == kChild) {
      EXPECT_EQ(p.WorkBlock, kSchoolBlock);
    }
    // Hour 7 of the unhoused timetable: look for a house (tourists stroll).
    if (p.Kind != kTourist) {
      EXPECT_EQ(c.State, kStateLookForHouse) << i;
    }
  }
  int32_t onStreet = 0;
  for (int b = 0; b < kBlockCount; ++b) onStreet += PeopleInBlock(b);
  EXPECT_EQ(onStreet, g_PeopleCount);
}

// A person whose work door is a business's door works for that business;
// the school's reference point is no business's door.
TEST_F(People, WorkBusinessKindIsTheKindAtTheWorkDoor) {
  int32_t commodity = -1;
  const CBusiness* shop = OpenShop(commodity);
  ASSERT_NE(shop, nullptr);
  const CBuilding* building = shop->GetBuilding();
  ASSERT_NE(building, nullptr);
  CPerson* p = CreatePerson(kAdult, 0, -1);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(GetWorkBusinessKind(*p), 255);  // no work place
  p->WorkBlock = static_cast<uint8_t>(building->Block - g_Blocks.data());
  DoorOf(building->Id, g_PersonCycles[p->Index].WorkDoor);
  EXPECT_EQ(GetWorkBusinessKind(*p), shop->Kind);
  CPerson* child = CreatePerson(kChild, 0, -1);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->WorkBlock, kSchoolBlock);
  EXPECT_EQ(GetWorkBusinessKind(*child), 255);
}

// A newcomer adult of the middle class, with the unhoused day's timetable
// (the fixture's people are of kinds drawn from the seed).
static CPerson& NewUnhousedAdult() {
  CPerson* p = CreatePerson(kAdult, 1, -1);
  EXPECT_NE(p, nullptr);
  return *p;
}

TEST_F(People, LookingForAHouseMovesIntoAResidence) {
  CPerson& p = NewUnhousedAdult();
  EnterState(p, kStateLookForHouse);
  UpdatePerson(p);
  ASSERT_TRUE(p.IsHoused());
  const CBusiness* home = GetBusinessInUse(GetBuilding(p.HomeBuilding)->BusinessIndex);
  ASSERT_NE(home, nullptr);
  EXPECT_TRUE(home->IsResidence());
  EXPECT_EQ(p.HomeBlock, home->GetBlock());
  EXPECT_EQ(g_PersonCycles[p.Index].State, kStateGoingHome);
}

TEST_F(People, TimetableCodesChooseStates) {
  struct Case {
    int32_t code, from, to;
  };
  const Case cases[] = {
      {kActSleep, kStateAtHome, kStateAsleep},       {kActSleep, kStateStrolling, kStateGoingHome},
      {kActSleep, kStateGoingHome, kStateGoingHome}, {kActStroll, kStateAtWork, kStateStrolling},
      {kActGoHome, kStateAsleep, kStateAsleep},      {kActGoHome, kStateSnack, kStateGoingHome},
      {kActGoToWork, kStateAtWork, kStateAtWork},    {kActAtWork, kStateAtHome, kStateGoingToWork},
      {kActAtHome, kStateAsleep, kStateAtHome},      {kActAtHome, kStateStrolling, kStateGoingHome},
      {kActUndefined, kStateAtHome, kStateAtHome},   {kActUndefined, kStateAsleep, kStateGoingHome},
      {kActMainShopping, kStateAtHome, kStateMainShopping},
      {kActStayOver, kStateStrolling, kStateStayingOver},
      {kActLookForJob, kStateAtHome, kStateAtHome},  {-1, kStateAtWork, kStateAtWork},
  };
  CPerson& p = g_People[1];
  for (const Case& c : cases) {
    for (int h = 0; h < 24; ++h) g_Timetables[99][h] = c.code;
    p.DayTimetable = 99;
    g_PersonCycles[1].State = c.from;
    ApplyTimetable(p);
    EXPECT_EQ(g_PersonCycles[1].State, c.to) << "code " << c.code << " from " << c.from;
  }
  // Modes: idle at home, asleep and at work; acting otherwise.
  g_PersonCycles[1].State = kStateStrolling;
  EnterState(p, kStateAtWork);
  EXPECT_EQ(g_PersonCycles[1].Mode, kModeIdle);
  EnterState(p, kStateStrolling);
  EXPECT_EQ(g_PersonCycles[1].Mode, kModeWhenStill);
}

TEST_F(People, PurchaseSpendsTheWantAndWaitsInTheShop) {
  int32_t commodity = -1;
  CBusiness* shop = OpenShop(commodity, 1);
  ASSERT_NE(shop, nullptr);
  CPerson& p = g_People[2];
  CHousehold* h = GetHousehold(p.Household);
  ASSERT_NE(h, nullptr);
  int slot = shop->FindCommoditySlot(commodity);
  ASSERT_EQ(slot, 1);
  shop->Price[slot] = 2.0f;
  shop->Slots[slot].Stock = 100;
  h->Want[commodity] = 9.0f;
  h->Money = 50.0f;
  h->TotalWant = 9.0f;
  p.Commodity = commodity;
  p.Destination.Building = shop->Building;
  // The cap reads the weight at the shop slot's position in the row, not the
  // commodity's own entry: here the slot's position weighs heavily (no cap)
  // while the commodity's own entry would cap at 2 units.
  g_Preferences[120] = PreferenceRow{};
  g_Preferences[120].Commodity[0] = commodity;
  g_Preferences[120].Weight[0] = 1.0f;
  g_Preferences[120].Commodity[1] = commodity + 1;
  g_Preferences[120].Weight[1] = 50.0f;
  g_Preferences[120].Count = 2;
  p.PreferenceRow = 120;
  EXPECT_TRUE(Buy(p));
  EXPECT_EQ(shop->Slots[slot].Stock, 96);
  EXPECT_FLOAT_EQ(h->Money, 42.0f);
  EXPECT_FLOAT_EQ(h->Want[commodity], 1.0f);
  EXPECT_EQ(g_PersonCycles[2].Mode, kModeInShop);
  EXPECT_EQ(g_PersonCycles[2].WaitTicks, static_cast<int32_t>(shop->GetTypeRow()->TimeInStore));

  // The cap: twice the weight at the slot's position; the rest of the want is
  // dropped too.
  g_Preferences[120].Weight[0] = 50.0f;
  g_Preferences[120].Weight[1] = 1.0f;
  h->Want[commodity] = 20.0f;
  h->Money = 50.0f;
  EXPECT_TRUE(Buy(p));
  EXPECT_EQ(shop->Slots[slot].Stock, 94);
  EXPECT_FLOAT_EQ(h->Want[commodity], 0.0f);
  EXPECT_FLOAT_EQ(h->Money, 50.0f - 4.0f - 16.0f);

  // No price: nothing bought, no division by zero.
  shop->Price[slot] = 0.0f;
  h->Want[commodity] = 20.0f;
  EXPECT_FALSE(Buy(p));
  EXPECT_EQ(shop->Slots[slot].Stock, 94);
  // No household: nothing bought either.
  shop->Price[slot] = 2.0f;
  p.Household = -1;
  EXPECT_FALSE(Buy(p));
  EXPECT_EQ(shop->Slots[slot].Stock, 94);
  DailyIncome(p);  // and no income to a missing household
}

TEST_F(People, ShopWaitLastsTimeInStoreTicks) {
  CPerson& p = g_People[3];
  PersonCycle& c = g_PersonCycles[3];
  EnterState(p, kStateMainShopping);
  c.SubState = 6;
  c.Mode = kModeInShop;
  c.WaitTicks = 5;
  c.HourCountdown = 1000;
  for (int t = 0; t < 5; ++t) {
    UpdatePerson(p);
    EXPECT_EQ(c.Mode, kModeInShop);
  }
  UpdatePerson(p);
  EXPECT_NE(c.Mode, kModeInShop);
}

TEST_F(People, NoWalkingRouteMeansRiding) {
  ResetPeopleTables();
  SetBlockPathDepthLimit(1);
  EXPECT_EQ(GetNextBlockToward(0, 40), kNextHopRide);
  ResetPeopleTables();
  SetBlockPathDepthLimit(20);
  uint8_t next = GetNextBlockToward(0, 1);
  EXPECT_EQ(next, 1);  // neighbours: straight across
  EXPECT_EQ(GetNextBlockToward(5, 5), 5);
}

TEST_F(People, ADayKeepsTheCountsAndSellsGoods) {
  int32_t soldBefore = 0;
  for (const CBusiness& b : g_Businesses) soldBefore += b.InUse ? b.GetTodaySales() : 0;
  RunFixtureCity(15000);
  int housed = 0, onStreet = 0;
  for (int i = 0; i < g_PeopleCount; ++i) {
    housed += g_People[i].IsHoused();
    onStreet += !(g_PersonCycles[i].Flags & kFlagOffStreet);
  }
  int counted = 0;
  for (int b = 0; b < kBlockCount; ++b) counted += PeopleInBlock(b);
  EXPECT_EQ(counted, onStreet);
  // The block statistics count everyone in the block, indoors too.
  ASSERT_LT(onStreet, g_PeopleCount);
  CountPeopleInBlocks();
  std::array<int, kBlockCount> current{};
  for (int i = 0; i < g_PeopleCount; ++i)
    if (g_People[i].InUse && g_People[i].CurrentBlock < kBlockCount) ++current[g_People[i].CurrentBlock];
  for (const BlockStats& s : g_BlockStats) EXPECT_EQ(s.GetPeopleCount(), current[s.BlockId]) << int(s.BlockId);
  EXPECT_GT(housed, g_PeopleCount / 2);
  int32_t units = 0;
  for (const CBusiness& b : g_Businesses) {
    if (!b.InUse) continue;
    for (const CommoditySlot& s : b.Slots) units += s.SoldPerDay[0] + s.SoldPerDay[1];
  }
  EXPECT_GT(units, soldBefore);
}

TEST_F(People, SavedRecordsRoundTripAndBadOnesAreRefused) {
  RunFixtureCity(700);
  auto record = PackPersonRecord(5);
  PersonRecord staged;
  EXPECT_TRUE(DecodeRecord(std::span<const uint8_t>(record), staged));
  // Wrong length: refused, nothing changes.
  std::vector<uint8_t> shorter(record.begin(), record.end() - 1);
  EXPECT_FALSE(DecodeRecord(shorter, staged));
  // Index out of range.
  auto bad = record;
  uint16_t index = 5000;
  std::memcpy(bad.data() + kPersonRecordLength - 4, &index, 2);
  EXPECT_FALSE(DecodeRecord(std::span<const uint8_t>(bad), staged));
  // A household out of range.
  CPerson copy = g_People[5];
  g_People[5].Household = 3000;
  bad = PackPersonRecord(5);
  g_People[5] = copy;
  EXPECT_FALSE(DecodeRecord(std::span<const uint8_t>(bad), staged));
  EXPECT_EQ(g_People[5].Household, copy.Household);
  // A running animation's frame must lie in its frames; no such animation.
  PersonRecord playing{g_People[5], g_PersonCycles[5], 5};
  playing.cycle.Animation = kPersonAnimBuy;
  playing.cycle.AnimationRunning = 1;
  playing.cycle.AnimationFrame = GetAnimationFrames(g_People[5], kPersonAnimBuy).end;
  EXPECT_FALSE(DecodeRecord(std::span<const uint8_t>(EncodeRecord(playing)), staged));
  --playing.cycle.AnimationFrame;
  EXPECT_TRUE(DecodeRecord(std::span<const uint8_t>(EncodeRecord(playing)), staged));
  EXPECT_EQ(staged.cycle.AnimationFrame, playing.cycle.AnimationFrame);
  playing.cycle.Animation = kPersonAnimations;
  EXPECT_FALSE(DecodeRecord(std::span<const uint8_t>(EncodeRecord(playing)), staged));
  // The round trip keeps every saved field.
  PersonCycle cycle = g_PersonCycles[5];
  g_PersonCycles[5] = PersonCycle{};
  ASSERT_TRUE(DecodeRecord(std::span<const uint8_t>(record), staged));
  ApplyPersonRecord(staged);
  EXPECT_EQ(PackPersonRecord(5), record);
  EXPECT_EQ(g_PersonCycles[5].State, cycle.State);
  EXPECT_EQ(g_PersonCycles[5].Motion.X, cycle.Motion.X);
}

namespace {

// Stands a person still on the street of a block, on the ring at its east
// side, about to walk (or ride) to `target`.
void StartTrip(CPerson& p, int32_t block, int32_t target) {
  PersonCycle& c = g_PersonCycles[p.Index];
  if (!(c.Flags & kFlagOffStreet)) --g_Blocks[p.CurrentBlock].PeopleInside;
  ++g_Blocks[block].PeopleInside;
  p.CurrentBlock = static_cast<uint8_t>(block);
  c.Flags = 0;
  c.Side = c.ExitSide = 2;
  c.Motion.X = c.Motion.TargetX = std::trunc(g_Blocks[block].CentreX + 38 + kMotionOffsetX);
  c.Motion.Z = c.Motion.TargetZ = std::trunc(g_Blocks[block].CentreZ + kMotionOffsetZ);
  EnterState(p, kStateStrolling);
  c.SubState = 3;
  c.HourCountdown = 1000000;  // no timetable change during the trip
  p.TargetBlock = static_cast<uint8_t>(target);
}

int32_t TotalWalkers() {
  int32_t n = 0;
  for (int32_t j = 0; j < g_Lanes.JunctionStateCount; ++j) n += g_Lanes.Junctions[j].Walkers;
  return n;
}

}  // namespace

// Blocks 21 and 22 lie side by side with a road between them and junctions
// at its ends: the walk crosses at a junction, waits while vehicles hold its
// box, counts as a walker only while crossing, and ends in the next block.
TEST_F(People, CrossingAStreetWaitsForTheBoxAndClaimsItWhileCrossing) {
  CPerson& p = g_People[4];
  PersonCycle& c = g_PersonCycles[4];
  StartTrip(p, 21, 22);
  const int32_t walkers = TotalWalkers();
  for (JunctionState& j : g_Lanes.Junctions) j.BoxLock[1] = 0x100;  // a vehicle in every box
  for (int t = 0; t < 1500; ++t) UpdatePerson(p);
  EXPECT_EQ(p.CurrentBlock, 21);
  EXPECT_GT(c.CrossWait, 0);
  EXPECT_EQ(c.Flags & kFlagCrossing, 0);
  EXPECT_EQ(TotalWalkers(), walkers);
  for (JunctionState& j : g_Lanes.Junctions) j.BoxLock[1] = 0;
  bool claimed = false;
  for (int t = 0; t < 1500 && p.CurrentBlock == 21; ++t) {
    UpdatePerson(p);
    if (c.Flags & kFlagCrossing) {
      claimed = true;
      ASSERT_GE(c.CrossNode, 0);
      ASSERT_EQ(TotalWalkers(), walkers + 1);
      // A vehicle may not enter the box while the person is on it.
      EXPECT_FALSE(IsBoxFreeFor(JunctionStateOf(g_RoadNodes.Nodes[c.CrossNode].Neighbour[DirectionIndex(c.CrossDirection)]), 0, 0));
    }
  }
  EXPECT_TRUE(claimed);
  EXPECT_EQ(p.CurrentBlock, 22);
  EXPECT_EQ(c.Flags & kFlagCrossing, 0);
  EXPECT_EQ(TotalWalkers(), walkers);
  EXPECT_EQ(p.GetBlockMemory(22), 3);
}

// With no walking route the person rides the underground: down at the
// entrance of its block, up at the same point of the target, and it never
// stands in a block between.
TEST_F(People, WithNoWalkingRouteThePersonRidesTheUnderground) {
  ResetPeopleTables();
  SetBlockPathDepthLimit(1);
  CPerson& p = g_People[5];
  PersonCycle& c = g_PersonCycles[5];
  StartTrip(p, 21, 30);
  int32_t inside30 = g_Blocks[30].PeopleInside;
  for (int t = 0; t < 3000 && c.SubState != 2; ++t) {
    UpdatePerson(p);
    ASSERT_TRUE(p.CurrentBlock == 21 || p.CurrentBlock == 30);
  }
  ASSERT_EQ(c.SubState, 2);  // arrived: now walking round the block
  EXPECT_EQ(p.CurrentBlock, 30);
  EXPECT_EQ(g_Blocks[30].PeopleInside, inside30 + 1);
  EXPECT_EQ(p.GetBlockMemory(30), 3);
  // It came up at the entrance and walked out to the ring on the south side.
  EXPECT_NEAR(p.PositionX, g_Blocks[30].CentreX, 1.0f);
  EXPECT_NEAR(p.PositionZ, g_Blocks[30].CentreZ - 38, 1.0f);
}

// Tourists draw the tourist timetable whatever happens; others without a
// home draw the unhoused one. An evicted person leaves the residence and
// looks for a house again at once.
TEST_F(People, TimetablesByHousingAndEviction) {
  CPerson* tourist = CreatePerson(kTourist, 0, -1);
  ASSERT_NE(tourist, nullptr);
  constexpr uint8_t kAdultTable = 0, kUnhousedTable = 1, kTouristTable = 5;  // as the fixture defines them
  EXPECT_EQ(tourist->DayTimetable, kTouristTable);
  EXPECT_EQ(GetHousingStatus(*tourist), 0);
  tourist->Evict();
  EXPECT_EQ(tourist->DayTimetable, kTouristTable);
  DailyIncome(*tourist);
  EXPECT_EQ(tourist->DayTimetable, kTouristTable);

  CPerson& p = NewUnhousedAdult();
  EnterState(p, kStateLookForHouse);
  UpdatePerson(p);
  ASSERT_TRUE(p.IsHoused());
  DailyIncome(p);
  EXPECT_EQ(p.DayTimetable, kAdultTable);
  CBusiness* home = GetBusinessInUse(GetBuilding(p.HomeBuilding)->BusinessIndex);
  ASSERT_NE(home, nullptr);
  p.Evict();
  EXPECT_EQ(p.HomeBlock, kNoBlock);
  EXPECT_EQ(p.HomeBuilding, -1);
  EXPECT_EQ(GetHousingStatus(p), 1);
  EXPECT_EQ(p.DayTimetable, kUnhousedTable);
  for (int32_t r = home->GetFirstPerson(); r >= 0; r = g_People[r].NextResident) EXPECT_NE(r, p.Index);
  EXPECT_EQ(g_PersonCycles[p.Index].State, kStateLookForHouse);  // hour 7 of the unhoused day
}

// Hour 5: the household is paid the person's income and people forget a
// little of every block they know.
TEST_F(People, DailyIncomeAndForgetting) {
  CPerson& p = g_People[6];
  CHousehold* h = GetHousehold(p.Household);
  ASSERT_NE(h, nullptr);
  float money = h->Money;
  p.SetBlockMemory(30, 3);
  p.SetBlockMemory(31, 1);
  p.SetBlockMemory(32, 0);
  UpdatePeopleDaily();
  EXPECT_FLOAT_EQ(h->Money, money + ClassIncome(p.Kind, p.SocialClass));
  EXPECT_EQ(p.GetBlockMemory(30), 2);
  EXPECT_EQ(p.GetBlockMemory(31), 0);
  EXPECT_EQ(p.GetBlockMemory(32), 0);
}

namespace {

std::array<ModelLodSet, 32> g_personSets;
std::array<ModelLodSet, 32> g_otherPersonSets;

// Each person's entity shows the model its model number picks, walking or
// standing, as it changes; a source installed anew is asked again.
TEST_F(People, EntitiesTakeTheModelOfTheirModelNumber) {
  const bool ownMemory = !MemoryManager().IsInitialised();
  if (ownMemory) {
    ASSERT_TRUE(MemoryManager().Init(16u << 20, 16));
  }
  ModSysCreate();
  const Vec3 p[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  for (ModelLodSet* sets : {g_personSets.data(), g_otherPersonSets.data()}) {
    for (ModelLodSet& set : std::span(sets, 32)) {
      set = ModelLodSet{{ModSysCreateSelfBuiltModel(1, 3, p, nullptr, nullptr), 0, 0}, 1};
      ModSysAddTriangle(0, 1, 2);
      ModSysEndPrimitive(set.handles[0], 0, 0, 0);
      ModSysCalcBounds(set.handles[0]);
    }
  }
  SetPersonModelSource([](int32_t i) { return i >= 0 && i < 32 ? &g_personSets[size_t(i)] : nullptr; });
  RunFixtureCity(200);
  int32_t checked = 0;
  for (int32_t i = 0; i < g_PeopleCount; ++i) {
    if (!g_People[i].InUse || (g_PersonCycles[i].Flags & 1)) continue;  // off the street
    EXPECT_EQ(g_PersonEntities[i].model, &g_personSets[size_t(GetModelIndex(g_People[i]))]) << i;
    ++checked;
  }
  EXPECT_GT(checked, 0);
  SetPersonModelSource([](int32_t i) { return i >= 0 && i < 32 ? &g_otherPersonSets[size_t(i)] : nullptr; });
  UpdatePeople();
  for (int32_t i = 0; i < g_PeopleCount; ++i) {
    if (g_People[i].InUse) {
      EXPECT_EQ(g_PersonEntities[i].model, &g_otherPersonSets[size_t(GetModelIndex(g_People[i]))]) << i;
    }
  }
  SetPersonModelSource(nullptr);
  for (CEntity& e : g_PersonEntities) e.model = nullptr;
  ModSysDestroy();
  if (ownMemory) MemoryManager().Shutdown();
}

}  // namespace

namespace {

// One tick of one person, as a test sees it.
struct PersonTick {
  uint8_t animation;
  bool running;
  int16_t frame;
  bool moving, offStreet, visible;
  int32_t mode, state;
  float x, z;
};

// A stretch of ticks on one animation.
struct AnimationRun {
  int32_t animation;
  size_t first, last;  // ticks of the log
};

std::vector<AnimationRun> Runs(const std::vector<PersonTick>& log) {
  std::vector<AnimationRun> runs;
  for (size_t t = 0; t < log.size(); ++t) {
    if (!log[t].running) continue;
    if (!runs.empty() && runs.back().animation == log[t].animation && runs.back().last + 1 == t) {
      runs.back().last = t;
    } else {
      runs.push_back({log[t].animation, t, t});
    }
  }
  return runs;
}

}  // namespace

// Following people through a morning: every one walking strides through its
// kind's walking frames; one that goes shopping reaches over the counter,
// steps in at the door, each for exactly its frames while it stands still
// waiting for the end, then is hidden in the shop; one held at a kerb looks
// both ways before it looks at its watch.
TEST_F(People, ShoppersWalkReachOverTheCounterAndStepInWithTheirAnimations) {
  std::vector<std::vector<PersonTick>> logs(static_cast<size_t>(g_PeopleCount));
  int32_t shopper = -1;
  for (int32_t tick = 0; tick < 8000 && shopper < 0; ++tick) {
    StepFixtureCity();
    for (int32_t i = 0; i < g_PeopleCount; ++i) {
      const PersonCycle& c = g_PersonCycles[size_t(i)];
      const CEntity& e = g_PersonEntities[size_t(i)];
      logs[size_t(i)].push_back({c.Animation, e.animSlot >= 0, e.animFrame, (c.Flags & kFlagMoving) != 0,
                                 (c.Flags & kFlagOffStreet) != 0, (e.flags & kEntVisible) != 0, c.Mode, c.State,
                                 g_People[size_t(i)].PositionX, g_People[size_t(i)].PositionZ});
      if (c.Mode == kModeInShop && shopper < 0) shopper = i;
    }
  }
  ASSERT_GE(shopper, 0) << "nobody went into a shop";

  bool waited = false;
  for (int32_t i = 0; i < g_PeopleCount; ++i) {
    const CPerson& p = g_People[size_t(i)];
    const std::vector<PersonTick>& log = logs[size_t(i)];
    for (size_t t = 0; t < log.size(); ++t) {
      const PersonTick& k = log[t];
      EXPECT_EQ(k.visible, !k.offStreet) << i << " at " << t;
      if (!k.running) continue;
      const PersonFrameRange range = GetAnimationFrames(p, k.animation);
      ASSERT_GE(k.frame, range.first) << i << " at " << t;
      ASSERT_LT(k.frame, range.end) << i << " at " << t;
      if (k.moving) {
        EXPECT_EQ(k.animation, kPersonAnimWalk) << i << " at " << t;
      }
    }
    const std::vector<AnimationRun> runs = Runs(log);
    for (size_t r = 0; r < runs.size(); ++r) {
      const AnimationRun& run = runs[r];
      const PersonFrameRange range = GetAnimationFrames(p, run.animation);
      // The engine steps an animation in the tick it starts: one played once
      // is seen on its frames after the first, then, ended, on its last for
      // a tick before the person acts on its end.
      if (run.animation == kPersonAnimBuy || run.animation == kPersonAnimEnter ||
          run.animation == kPersonAnimWaitBegin) {
        for (size_t t = run.first; t <= run.last; ++t)
          EXPECT_EQ(log[t].frame, range.first + int16_t(t - run.first + 1)) << i << " at " << t;
      }
      if (run.animation == kPersonAnimWait) {
        ASSERT_GT(r, 0u) << i;
        const AnimationRun& look = runs[r - 1];
        const PersonFrameRange lookRange = GetAnimationFrames(p, kPersonAnimWaitBegin);
        EXPECT_EQ(look.animation, kPersonAnimWaitBegin) << i;
        EXPECT_EQ(look.last - look.first + 1, size_t(lookRange.end - lookRange.first - 1)) << i;
        EXPECT_EQ(look.last + 2, run.first) << i;
        for (size_t t = look.first; t <= run.last; ++t) EXPECT_FALSE(log[t].moving) << i << " at " << t;
        waited = true;
      }
    }
  }
  EXPECT_TRUE(waited) << "nobody waited at a kerb";

  // The shopper: walking to the shop, the reach and the step in, each for
  // its frames while standing still in mode 0, then inside and hidden.
  const CPerson& p = g_People[size_t(shopper)];
  const std::vector<PersonTick>& log = logs[size_t(shopper)];
  const std::vector<AnimationRun> runs = Runs(log);
  ASSERT_GE(runs.size(), 3u);
  const AnimationRun& walk = runs[runs.size() - 3];
  const AnimationRun& buy = runs[runs.size() - 2];
  const AnimationRun& enter = runs.back();
  EXPECT_EQ(walk.animation, kPersonAnimWalk);
  EXPECT_EQ(buy.animation, kPersonAnimBuy);
  EXPECT_EQ(enter.animation, kPersonAnimEnter);
  const auto length = [&](int32_t animation) {
    const PersonFrameRange r = GetAnimationFrames(p, animation);
    return size_t(r.end - r.first);
  };
  EXPECT_EQ(walk.last + 1, buy.first);
  EXPECT_EQ(buy.last - buy.first + 1, length(kPersonAnimBuy) - 1);
  EXPECT_EQ(buy.last + 2, enter.first);
  EXPECT_EQ(enter.last - enter.first + 1, length(kPersonAnimEnter) - 1);
  EXPECT_EQ(enter.last + 3, log.size());  // ended, then in at the next tick
  for (size_t t = buy.first; t <= enter.last + 1; ++t) {
    EXPECT_EQ(log[t].mode, kModeSignal) << t;
    EXPECT_FALSE(log[t].moving) << t;
    EXPECT_EQ(log[t].x, log[buy.first].x) << t;
    EXPECT_TRUE(log[t].visible) << t;
  }
  EXPECT_FALSE(log.back().visible);
  EXPECT_TRUE(log.back().offStreet);
  EXPECT_EQ(log.back().mode, kModeInShop);
}
