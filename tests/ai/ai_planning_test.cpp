// The computer player's planning on the small test economy: day and night
// blocks, lot placement against the edges, the business a centre gets
// next, the block chooser, the strategy choice by the clock and the update
// count, the raise-cash limit, the landscaping draw and the development
// planner's give-up when every footprint is too dear.
#include <gtest/gtest.h>

#include <algorithm>

#include "ai/ai_development.h"
#include "ai/business_valuation.h"
#include "ai/ai_scores.h"
#include "ai/ai_sites.h"
#include "ai/ai_strategy.h"
#include "ai/computer_player.h"
#include "ai/district_queries.h"
#include "ai_fixture.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/local_drafts.h"
#include "session/auction.h"
#include "session/game_clock.h"
#include "session/session_services.h"

namespace {

constexpr int32_t kBlock = 29;
constexpr int32_t kDayShop = 3;
constexpr int32_t kNightShop = 5;

class AiPlanningTest : public ComputerPlayerAiTest {
 protected:
  void SetUp() override {
    ComputerPlayerAiTest::SetUp();
    if (HasFatalFailure()) return;
    // Shops by day from 8 to 18, the night trade until 22.
    for (AiBuildTimes& t : cpu->Character()->buildTimes) t = AiBuildTimes{0, 8, 18, 22, 4};
    DefineShopType(kDayShop, {0});
    DefineShopType(kNightShop, {1}, 10.0f, 19, 23);
    GameClock().hour = 10;
    GameClock().decade = 1;
  }
  // A player that finds no site with the given business limit, then opens
  // its first shop: the shop's index.
  int32_t FirstShopAfterNoSite(int32_t limit) {
    cpu->Character()->businessLimit = limit;
    cpu->money = 5000;
    cpu->oneOffAttempts = 2;  // it weighs building, not a one-off purchase
    SelectStrategy(*cpu);
    EXPECT_EQ(cpu->plan.strategy, 6);
    return Open(kDayShop, 2, Place(kBlock, 0, 0, 1, 1, 1), true);
  }
  // It consolidates, at its limit or for want of room, still at `lastHour`
  // hours of it and no longer after one more.
  void ExpectConsolidatingUntil(int32_t lastHour, bool withoutRoom) {
    for (const int32_t hours : {lastHour, lastHour + 1}) {
      cpu->oneOffAttempts = 2;
      SetTacticForStrategy(*cpu);
      ASSERT_EQ(cpu->plan.strategy, 1);
      EXPECT_EQ(cpu->plan.tactic, 4);
      EXPECT_EQ(cpu->plan.holdingWithoutRoom, withoutRoom);
      cpu->mode = kAiRunStrategy;
      cpu->plan.hoursConsolidating = hours;
      RunTacticProgressCheck(*cpu);
      EXPECT_EQ(cpu->mode, hours > lastHour ? kAiNewStrategy : kAiRunStrategy) << hours;
    }
  }
  void TearDown() override {
    GameClock() = CGameClock{};
    ComputerPlayerAiTest::TearDown();
  }

  void OwnBlock(int32_t block) {
    GiveBlock(block, 1);
    g_Blocks[block].BuildingRights = kRightsGranted;
  }
};

TEST_F(AiPlanningTest, DayAndNightBlocks) {
  EXPECT_TRUE(IsDayBlock(kBlock));  // empty: both
  EXPECT_TRUE(IsNightBlock(kBlock));
  // Homes open round the clock are neither day nor night trade: a block of
  // homes, however big, stays open to a night centre as to a day one.
  constexpr int32_t kHomesType = 7;
  DefineShopType(kHomesType, {0}, 10.0f, 0, 24);
  Open(kHomesType, 2, Place(kBlock + 1, 0, 0, 2, 3, 4, kKindResidential), true);
  EXPECT_TRUE(IsNightBlock(kBlock + 1));
  EXPECT_TRUE(IsDayBlock(kBlock + 1));
  for (int32_t x = 0; x < 7; ++x) Open(kDayShop, 2, Place(kBlock, x, 6, x, 6, 1), true);
  Open(kDayShop, 2, Place(kBlock, 6, 0, 6, 0, 1), true);
  Open(kDayShop, 2, Place(kBlock, 6, 2, 6, 2, 1), true);
  EXPECT_TRUE(IsDayBlock(kBlock));
  EXPECT_FALSE(IsNightBlock(kBlock));
  // Nine day shops and one night business on 9 lots: 90 % day, still not a day block.
  Open(kNightShop, 2, Place(kBlock, 0, 0, 2, 2, 1), true);
  EXPECT_FALSE(IsDayBlock(kBlock));
}

TEST_F(AiPlanningTest, EdgesAndFootprints) {
  int32_t order[5];
  EdgeOrder(3, false, order);
  EXPECT_EQ(std::vector<int32_t>(order, order + 5), (std::vector<int32_t>{3, 2, 1, 4, 3}));
  EdgeOrder(1, true, order);
  EXPECT_EQ(std::vector<int32_t>(order, order + 5), (std::vector<int32_t>{1, 2, 3, 4, 1}));

  for (const auto& [w, d] : {std::pair{0, 3}, std::pair{3, 0}, std::pair{0, 0}}) EXPECT_FALSE(FitsOnBlockEdges(kBlock, w, d));
  EXPECT_TRUE(FitsOnBlockEdges(kBlock, 2, 6));
  EXPECT_FALSE(FitsOnBlockEdges(kBlock, 2, 8));

  EXPECT_EQ(GetFootprintArea(4, 9), 24);
  EXPECT_EQ(GetFootprintArea(2, 3), -1);
  std::vector<LotShape> shapes = GetFootprintShapes(kLandscapeType);
  EXPECT_EQ(shapes.size(), 21u);
  RemoveFootprintShape(30, shapes);  // 6 x 5 first
  ASSERT_FALSE(shapes.empty());
  EXPECT_EQ(shapes.front().width * shapes.front().depth, 30);
  RemoveFootprintShape(7, shapes);  // no 7-lot shape
  EXPECT_TRUE(shapes.empty());

  // A footprint found against an edge touches it.
  int32_t x, y, w = 2, d = 3;
  ASSERT_TRUE(FindLotOnBlockEdge(*cpu, kBlock, x, y, w, d));
  EXPECT_TRUE(x == 0 || y == 0 || x + w == 7 || y + d == 7);
  EXPECT_EQ(w * d, 6);
}

// A block whose edge lots are all taken is never a building site, however
// much room its middle has.
TEST_F(AiPlanningTest, NoFreeEdgeLotNoCandidate) {
  OwnBlock(kBlock);
  Place(kBlock, 0, 0, 6, 0, 1);
  Place(kBlock, 0, 6, 6, 6, 1);
  Place(kBlock, 0, 1, 0, 5, 1);
  Place(kBlock, 6, 1, 6, 5, 1);
  EXPECT_EQ(CountFreeEdgeLots(kBlock), 0);
  EXPECT_EQ(GetScoreForAdjacentBlockToBuildOn(*cpu, kBlock), 0);
  for (int32_t i = 0; i < 30; ++i) {
    int32_t kind = 0;
    EXPECT_NE(ChooseBusinessBlock(*cpu, kind), kBlock);
  }
}

// With a single candidate and a choice limit above one, the draw may land
// past the end of the list: no business this time.
TEST_F(AiPlanningTest, CentreChoiceMayReturnNone) {
  OwnBlock(kBlock);
  cpu->money = 50000;
  cpu->plan.chosenBlock = kBlock;
  cpu->plan.dayCentre = true;
  CityWideDemand().Rows[0] = CityWideDemandRow{0, 50, {}};
  bool some = false, none = false;
  for (int32_t i = 0; i < 40; ++i) {
    const int32_t type = ChooseBusinessForCentre(*cpu, -1);
    EXPECT_TRUE(type == kDayShop || type == -1) << type;
    some |= type == kDayShop;
    none |= type == -1;
  }
  EXPECT_TRUE(some);
  EXPECT_TRUE(none);
}

TEST_F(AiPlanningTest, StrategyByTheClockAndTheUpdateCount) {
  cpu->money = 5000;
  for (const auto& [hour, text] : {std::pair{5, "Wait for 6am"}, std::pair{6, "No Strategy!"}}) {
    GameClock().hour = hour;
    SelectStrategy(*cpu);
    EXPECT_STREQ(StrategyText(*cpu), text) << hour;
  }
  // A one-off purchase is weighed only once the player has run 20 updates.
  GameClock().hour = 10;
  for (const int32_t updates : {19, 20}) {
    cpu->updateCount = updates;
    int32_t tries = 0;
    for (int32_t i = 0; i < 30; ++i) {
      cpu->oneOffAttempts = 0;
      SelectStrategy(*cpu);
      tries += cpu->oneOffAttempts;
    }
    if (updates < 20)
      EXPECT_EQ(tries, 0);
    else
      EXPECT_GT(tries, 0);
  }
}

TEST_F(AiPlanningTest, RaisingCashEndsAfter48Hours) {
  cpu->money = 100;
  cpu->own.worth = 100000;
  for (const int32_t hours : {48, 49}) {
    cpu->mode = kAiRunStrategy;
    cpu->plan.strategy = 1;
    cpu->plan.tactic = 4;
    cpu->plan.cashGoal = 5000;
    cpu->plan.hoursConsolidating = hours;
    RunTacticProgressCheck(*cpu);
    EXPECT_EQ(cpu->mode, hours > 48 ? kAiNewStrategy : kAiRunStrategy) << hours;
  }
}

// A player that runs all the businesses its character allows consolidates
// instead of waiting for a site it may not build on, until a business
// closes or a day has passed; at its limit it still wants the railroads and
// utilities, which earn without a business, and no other block.
TEST_F(AiPlanningTest, AtItsBusinessLimitAPlayerConsolidates) {
  const int32_t shop = FirstShopAfterNoSite(1);
  ExpectConsolidatingUntil(24, false);
  cpu->oneOffAttempts = 2;
  SetTacticForStrategy(*cpu);
  cpu->mode = kAiRunStrategy;
  cpu->Character()->businessLimit = 2;  // room for one more
  RunTacticProgressCheck(*cpu);
  EXPECT_EQ(cpu->mode, kAiNewStrategy);
  EXPECT_GE(shop, 0);
  EXPECT_TRUE(WantedAtBusinessLimit(*cpu, g_Districts[10].Blocks[0]));
  EXPECT_TRUE(WantedAtBusinessLimit(*cpu, kUtilityBlocks[0]));
  EXPECT_FALSE(WantedAtBusinessLimit(*cpu, kBlock));
}

// At its business limit a player still bids for a block that earns without
// a business of its own, up to its lease price and ten days of the ground
// rent the others' businesses on it pay (its score at most); a bare block
// only up to its lease price, what it adds to paper wealth.
TEST_F(AiPlanningTest, AtItsBusinessLimitABlockThatEarnsIsStillWorthABid) {
  constexpr int32_t kAuctioned = 0;  // a district of three, none of them its
  GetAiScores().blk2_1left_city_owned = 200;
  GetAiScores().blk3_1left_city_owned = 200;
  GetAiScores().blk3_2left_city_owned = 200;
  GetAiScores().MaxScoreCap = 200;
  cpu->money = 20000;
  ASSERT_GE(Open(kDayShop, 2, Place(kBlock, 0, 0, 1, 1, 1), true), 0);  // its one business
  const float lease = g_Blocks[kAuctioned].GetLeasePrice();
  for (const bool rented : {false, true}) {
    SCOPED_TRACE(rented ? "the human's shop pays ground rent" : "bare");
    GiveBlock(kAuctioned, -1);
    if (rented) {
      ASSERT_GE(Open(kDayShop, 1, Place(kAuctioned, 0, 0, 1, 1, 1), true), 0);
    }
    ASSERT_EQ(GetRivalsGroundRentForBlock(kAuctioned, cpu->index) > 0, rented);
    float valuation[2] = {};
    for (const int32_t limit : {10, 1}) {
      cpu->Character()->businessLimit = limit;
      ASSERT_TRUE(StartAuction(kAuctioned, 0, 100));
      cpu->auctionConsidered = false;
      cpu->OnGameEvent(0, nullptr);
      valuation[limit == 1] = cpu->own.valuation;
      EndAuction();
    }
    ASSERT_TRUE(AtBusinessLimit(*cpu));
    ASSERT_GT(valuation[0], lease) << "worth a bid below the limit";
    const int32_t rent = GetRivalsGroundRentForBlock(kAuctioned, cpu->index);
    EXPECT_EQ(valuation[1], std::min(valuation[0], lease + 10.0f * static_cast<float>(rent)));
    if (rented) {
      EXPECT_GT(valuation[1], lease);
    }
  }
}

// A player that finds no block it may build on with room for the period's
// trade consolidates for four hours when it runs businesses, and searches
// again after them; with no business it has nothing to tend and finds no
// strategy.
TEST_F(AiPlanningTest, WithNowhereToBuildAPlayerConsolidatesForFourHours) {
  EXPECT_GE(FirstShopAfterNoSite(5), 0);
  EXPECT_FALSE(cpu->plan.holdingWithoutRoom);
  ExpectConsolidatingUntil(3, true);
}

// A centre that ends because its own block has no room left marks the block
// for landscaping; one that ends for another reason (its business limit),
// or on a block it does not own, leaves it unmarked.
TEST_F(AiPlanningTest, AFullCentreBlockIsMarkedForLandscaping) {
  OwnBlock(kBlock);
  cpu->money = 10000;
  const struct {
    int32_t block;
    bool full, marked;
  } cases[] = {{kBlock, true, true}, {kBlock, false, false}, {kBlock + 1, true, false}};
  for (const auto& c : cases) {
    cpu->markedBlocks = 0;
    cpu->mode = kAiRunStrategy;
    cpu->plan.tactic = 0;
    cpu->plan.chosenBlock = c.block;
    cpu->plan.nothingToBuild = true;
    cpu->plan.blockFull = c.full;
    RunTacticProgressCheck(*cpu);
    EXPECT_EQ(cpu->mode, kAiNewStrategy);
    EXPECT_EQ(((cpu->markedBlocks >> c.block) & 1u) != 0, c.marked) << c.block << " full " << c.full;
  }
}

TEST_F(AiPlanningTest, LandscapingDrawFollowsTheBuiltShare) {
  const int32_t empty = 30;
  Place(kBlock, 0, 0, 6, 6, 1);  // every lot built over
  for (int32_t i = 0; i < 200; ++i) {
    EXPECT_TRUE(PassesLandscapeShare(*cpu, kBlock));
    EXPECT_FALSE(PassesLandscapeShare(*cpu, empty));
  }
}

TEST_F(AiPlanningTest, EveryFootprintTooDearGivesUp) {
  OwnBlock(kBlock);
  cpu->money = 10;
  cpu->plan.chosenBlock = kBlock;
  cpu->plan.businessType = kDayShop;
  const uint8_t before = cpu->standardPending;
  DevelopmentResult result;
  EXPECT_FALSE(PlanBlockDevelopment(*cpu, true, result));
  EXPECT_TRUE(result.found);
  EXPECT_GT(result.cost, 10);
  EXPECT_EQ(cpu->standardPending, before);
  // With the money it queues the building.
  cpu->money = 100000;
  EXPECT_TRUE(PlanBlockDevelopment(*cpu, true, result));
  EXPECT_EQ(cpu->standardPending, before + 1);
}

// A builder of towers short of cash gives up ground, down to the least the
// type allows and below its own smallest footprint, before it gives up a
// floor, and plans nothing lower than three floors: with too little money
// for that it plans nothing.
TEST_F(AiPlanningTest, ATowerBuilderGivesUpGroundBeforeFloors) {
  OwnBlock(kBlock);
  AiCharacter& c = *cpu->Character();
  BusinessType& shop = g_BusinessTypes[kDayShop];
  // The shared tables are put back for the tests that follow.
  const AiCharacter savedCharacter = c;
  const BusinessType savedShop = shop;
  for (int32_t i = 0; i < 10; ++i) c.floors[i] = static_cast<uint8_t>(3 + i);
  ASSERT_TRUE(c.BuildsTall());
  c.businessLimit = 50;
  shop.MinArea = 1, shop.MaxArea = 16, shop.MinHeight = 1, shop.MaxHeight = 6;
  c.footprints[shop.FootprintBand] = AiFootprintRow{{6, 7, 8}};
  cpu->plan.chosenBlock = kBlock;
  cpu->plan.businessType = kDayShop;
  int32_t smallest = 99;
  for (const float money : {100000.0f, 20000.0f, 8000.0f, 4000.0f, 2000.0f, 1000.0f, 500.0f, 10.0f}) {
    for (CActions& a : cpu->standard) a = CActions{};
    cpu->standardPending = 0;
    cpu->money = money;
    DevelopmentResult result;
    const bool planned = PlanBlockDevelopment(*cpu, true, result, true, 0);
    for (const CActions& a : cpu->standard)
      if (a.phase == AI_CONSTRUCT_BUILDING) {
        EXPECT_GE(a.flag, 3) << money;  // floors
        smallest = std::min(smallest, a.lot[2] * a.lot[3]);
      }
    if (money == 10.0f) {
      EXPECT_FALSE(planned);
    }
  }
  EXPECT_LT(smallest, 6);
  for (CActions& a : cpu->standard) a = CActions{};
  cpu->standardPending = 0;
  c = savedCharacter;
  shop = savedShop;
}

// The rent review: a residence with empty places is let cheaper, never below
// what a place costs to keep; a full one dearer by the character's step.
TEST_F(AiPlanningTest, RentReviewFollowsTheVacancies) {
  OwnBlock(kBlock);
  g_BusinessTypes[kTypeApartments].Available = 1;
  CBusiness& home = g_Businesses[Open(kTypeApartments, 2, Place(kBlock, 0, 0, 0, 0, 2, kKindResidential), true)];
  const int32_t shop = Open(kDayShop, 2, Place(kBlock, 3, 3, 3, 3, 1), true);
  for (AiDifficultyRow& row : cpu->Character()->difficulty) row.priceStep = 0.5f;
  home.Capacity = 10;
  const float shopPrice = BusinessDraftOf(g_Businesses[shop]).Price[0];
  const struct {
    uint16_t occupants;
    float rent, after;
  } cases[] = {{5, 20.0f, 17.5f}, {10, 20.7f, 20.5f}, {0, 3.0f, -1}};  // -1: down to the keep
  const float keep = std::max(float(GetBusinessRunningCost(home) / home.Capacity), 0.1f);
  ASSERT_LT(keep, 3.0f);
  for (const auto& c : cases) {
    home.Occupants = c.occupants;
    ForgetBusinessDraft(home.Index);
    EditBusinessDraft(home).Rent = c.rent;
    RepriceBusinesses(*cpu);
    EXPECT_FLOAT_EQ(BusinessDraftOf(home).Rent, c.after < 0 ? keep : c.after) << c.occupants;
  }
  EXPECT_EQ(BusinessDraftOf(g_Businesses[shop]).Price[0], shopPrice);  // shops are priced at the day's end
}

// Too dear or no room: a footprint steps down to the next area the
// character's row offers, not below its smallest preference.
TEST_F(AiPlanningTest, FootprintStepsDownThroughTheRowsAreas) {
  g_BusinessTypes[kDayShop].FootprintBand = 3;
  AiFootprintRow& row = cpu->Character()->footprints[3];
  row = AiFootprintRow{};
  row.preferences[0] = 8;
  for (int32_t j = 0; j < 10; ++j) {
    const int32_t area = GetFootprintArea(3, j);
    row.entries[j][0] = area > 0;
    row.entries[j][1] = static_cast<uint8_t>(std::max(area, 0));
  }
  const struct {
    int32_t type, from, to;
  } cases[] = {{kDayShop, 14, 12}, {kDayShop, 12, 10}, {kDayShop, 9, 8}, {kDayShop, 8, 8},
               {kDayShop, 5, 5},   {kLandscapeType, 14, 14}};
  for (const auto& c : cases) {
    int32_t index = c.from;
    StepDownFootprintIndex(*cpu, c.type, index);
    EXPECT_EQ(index, c.to) << c.type << " " << c.from;
  }
}

// A block it bought goes to auction only for more than five times its price.
// A nomination considers every ownable block that is not the player's and
// has no standing refusal: the railroads, the utilities and the rivals'
// blocks too. A one-off purchase considers the city's blocks, its railroads
// and utilities included.
TEST_F(AiPlanningTest, NominationsAndOneOffPurchasesConsiderTheWholeCity) {
  const int32_t railroad = g_Districts[10].Blocks[0], utility = kUtilityBlocks[0];
  const int32_t rivals = g_Districts[kTwoBlockDistrict].Blocks[0], mine = g_Districts[kTwoBlockDistrict].Blocks[1];
  const int32_t refused = g_Districts[kThreeBlockDistrict].Blocks[0];
  for (int32_t b : {railroad, utility, rivals, mine, refused}) g_Blocks[size_t(b)].Ownable = 1;
  GiveBlock(railroad, -1);
  GiveBlock(utility, -1);
  GiveBlock(rivals, 0);
  GiveBlock(mine, 1);
  GiveBlock(refused, -1);
  cpu->ownedBlocks[mine] = true;
  cpu->rejections[0][refused].hours = 5;
  cpu->rejections[0][refused].value = 900.0f;
  const struct {
    int32_t block;
    bool nominate, oneOff;
  } cases[] = {{railroad, true, true}, {utility, true, true}, {rivals, true, false}, {mine, false, false},
               {refused, false, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(CanNominateForAuction(*cpu, c.block), c.nominate) << c.block;
    EXPECT_EQ(IsOneOffCandidate(*cpu, c.block), c.oneOff) << c.block;
  }
  g_Blocks[size_t(railroad)].Ownable = 0;  // a block the level keeps closed
  EXPECT_FALSE(CanNominateForAuction(*cpu, railroad));
  EXPECT_FALSE(IsOneOffCandidate(*cpu, railroad));
}

TEST_F(AiPlanningTest, SellsABoughtBlockOnlyForOverFiveTimesItsPrice) {
  cpu->purchases[kBlock] = AiBlockPurchase{1, 100.9f, 5};
  const struct {
    int32_t block, amount;
    bool sells;
  } cases[] = {{kBlock, 500, false}, {kBlock, 501, true}, {kBlock + 1, 100000, false}, {-1, 100000, false},
               {kBlockCount, 100000, false}};
  for (const auto& c : cases) EXPECT_EQ(ShouldBidOnDistrict(*cpu, c.block, c.amount), c.sells) << c.block << " " << c.amount;
}

// On a completed set with no room left for a hotel it pulls down the first
// finished business building of at least 3 by 3 that it can pay for; with
// room it leaves the block alone.
TEST_F(AiPlanningTest, SetBuildingClearsRoomForAHotel) {
  for (int32_t block : {kBlock, kBlock + 1}) OwnBlock(block);
  const int32_t small = Place(kBlock, 0, 0, 1, 2, 1);  // 2 by 3: too narrow
  const int32_t big = Place(kBlock, 2, 0, 4, 2, 1);
  Place(kBlock, 5, 0, 6, 6, 1);
  Place(kBlock, 0, 3, 4, 6, 1);
  for (int32_t id : {small, big}) {
    GetBuilding(id)->Status = kStatusComplete;
    Open(kDayShop, 1, id, true);
  }
  ComputeAllBlockFreeFootprints();
  ASSERT_LT(GetBlockFreeFootprint(kBlock).largest, 6);

  auto demolitions = [&] {
    std::vector<int32_t> ids;
    for (const CActions& a : cpu->standard)
      if (a.phase == AI_DEMOLISH_BUILDING) ids.push_back(a.building);
    return ids;
  };
  cpu->money = 10;  // the rental value and 100 more are out of reach
  RunSetBuilding(*cpu);
  EXPECT_TRUE(demolitions().empty());
  cpu->money = 100000;
  RunSetBuilding(*cpu);
  EXPECT_EQ(demolitions(), std::vector<int32_t>{big});
}

// With a completed set, room on its block and homeless people in the city
// it queues a hotel; with too few homeless it builds none.
TEST_F(AiPlanningTest, SetExpansionHousesTheHomeless) {
  BusinessType& hotel = g_BusinessTypes[kTypeHotel];
  hotel.Available = 1;
  hotel.Kind = kBusinessResidence;
  hotel.MinArea = 6;
  hotel.MaxArea = 16;
  hotel.MaxSide = 5;
  hotel.MinHeight = 2;
  hotel.MaxHeight = 6;
  hotel.FootprintBand = 2;
  for (int32_t block : {kBlock, kBlock + 1}) OwnBlock(block);
  PlayerData().MarkBlocksStale();
  ComputeAllBlockFreeFootprints();
  cpu->money = 1000000;
  auto hotels = [&] {
    int32_t n = 0;
    for (const CActions& a : cpu->standard) n += a.phase == AI_CONSTRUCT_BUILDING && a.target == kTypeHotel;
    return n;
  };
  for (int i = 0; i < 29; ++i) NewPerson();
  ASSERT_EQ(GetHomelessCount(), 29);
  RunSetExpansion(*cpu);
  EXPECT_EQ(hotels(), 0);
  NewPerson();
  RunSetExpansion(*cpu);
  ASSERT_EQ(hotels(), 1);
  for (const CActions& a : cpu->standard)
    if (a.phase == AI_CONSTRUCT_BUILDING) {
      EXPECT_EQ(a.kind, kKindResidential);
      EXPECT_GE(a.flag, 2);  // floors
      EXPECT_GE(a.lot[2] * a.lot[3], 6);
    }
}

}  // namespace
