// The session driving the real economy: business messages applied at their
// delivery tick, the owner check on price messages, the hourly and daily
// business jobs and the utility accounts paid to the right blocks.
#include <functional>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/economy_fixture.h"
#include "city/local_drafts.h"
#include "city/people.h"
#include "session/game_messages.h"
#include "session_fixture.h"

namespace {

constexpr int32_t kBakery = 0;
constexpr int32_t kBread = 3;
constexpr int32_t kDrinks = 5;
constexpr int kShopBlock = 10;

class EconomyLinkTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    InitBlocks();
    ResetEconomyTables();
    ClearPersonRecords();
    EconomyTest::DefineCommodity(kBread, 1.0f, 1.5f);
    EconomyTest::DefineCommodity(kDrinks, 1.0f, 1.23f);
    EconomyTest::DefineShopType(kBakery, {kBread, kDrinks}, 10.0f, 0, 0);
    building = EconomyTest::Place(kShopBlock, 0, 0, 1, 1, 1);
    MakePlayers(1);  // number 1 the local human, number 2 a computer player
    me = PlayerTable().Get(0);
    cpu = PlayerTable().Get(1);
    Session().inGame = true;
  }
  void TearDown() override {
    ResetBusinessRecords();
    SessionTest::TearDown();
  }

  // Posts a message and runs the ticks up to its delivery: not applied one
  // tick before, applied on the tick.
  void Deliver(CNetMessage m, const std::function<bool()>& applied) {
    ASSERT_TRUE(m.Send());
    RunTicks(static_cast<int>(kMessageDeliveryLead) - 1);
    EXPECT_FALSE(applied()) << "type " << m.Type() << " applied early";
    RunTicks(1);
    EXPECT_TRUE(applied()) << "type " << m.Type() << " not applied at its tick";
  }

  int32_t OpenShop(int32_t owner) { return EconomyTest::Open(kBakery, owner, building); }
  CBuilding& Building() { return *GetBuilding(building); }
  float Ledger(const CPlayer* p, int32_t category) const { return p->ledgers[0][category] + p->ledgers[1][category]; }

  int32_t building = -1;
  CPlayer* me = nullptr;
  CPlayer* cpu = nullptr;
};

TEST_F(EconomyLinkTest, OpenBusinessAllocatesAndOpensForThePlayer) {
  Deliver(EncodeMessage(OpenBusinessMsg{BuildingId{building}, kBakery, PlayerNumber{1}, 0}), [&] { return Building().GetBusiness() >= 0; });
  const CBusiness* b = GetBusinessInUse(Building().GetBusiness());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Owner, 1);
  EXPECT_EQ(b->Type, kBakery);
  EXPECT_EQ(b->Building, building);
  EXPECT_GT(b->TotalStock, 0);  // opened in the day: stocked at once

  // With every record taken the request is refused with a warning.
  CBuilding* other = GetBuilding(EconomyTest::Place(kShopBlock, 4, 4, 5, 5, 1));
  for (CBusiness& r : g_Businesses) r.InUse = 1;
  Deliver(EncodeMessage(OpenBusinessMsg{BuildingId{other->Id}, kBakery, PlayerNumber{1}, 0}), [&] { return HasBox("Run out of businesses"); });
  EXPECT_EQ(other->GetBusiness(), -1);
}

TEST_F(EconomyLinkTest, DemolishRefundsTheOwnerAndClosesTheBusiness) {
  const int32_t shop = OpenShop(1);
  const float before = me->money;
  Deliver(EncodeMessage(DemolishBuildingMsg{PlayerIndex{0}, BuildingId{building}, 500}), [&] { return GetBusinessInUse(shop) == nullptr; });
  EXPECT_FLOAT_EQ(me->money - before, 500.0f);
  EXPECT_FLOAT_EQ(Ledger(me, kLedgerDemolitionRefund), 500.0f);
  EXPECT_EQ(Building().GetBusiness(), -1);
}

TEST_F(EconomyLinkTest, BuyBusinessChargesTheBuyerAndReplacesTheCitysBusiness) {
  g_BusinessTypes[kBakery].RefurbCost = 400;
  const int32_t old = OpenShop(0);
  const float cost = Building().GetBusinessSetupCost(kBakery);
  ASSERT_GT(cost, 0.0f);
  const float before = cpu->money;
  Deliver(EncodeMessage(BuyBusinessMsg{BuildingId{building}, kBakery, PlayerNumber{2}}), [&] {
    const CBusiness* b = GetBusinessInUse(Building().GetBusiness());
    return b && b->Owner == 2;
  });
  // The business's value, and the opening stock of the new business.
  EXPECT_FLOAT_EQ(Ledger(cpu, kLedgerBusinessBought), -cost);
  EXPECT_FLOAT_EQ(before - cpu->money, cost + GetBusinessStockCost(kBakery, g_Businesses[old].GetFootprintUnits()));
  EXPECT_EQ(GetBusinessInUse(Building().GetBusiness())->Type, kBakery);
  int inUse = 0;
  for (const CBusiness& b : g_Businesses) inUse += b.InUse;
  EXPECT_EQ(inUse, 1) << "the city's business " << old << " is replaced, not kept";
}

TEST_F(EconomyLinkTest, CloseBusinessPaysItsValueAndHandsItToTheCity) {
  const int32_t shop = OpenShop(1);
  Building().SetOwner(1);
  const float value = g_Businesses[shop].GetSellValue();
  const float before = me->money;
  Deliver(EncodeMessage(CloseBusinessMsg{BusinessId{shop}, PlayerIndex{0}}), [&] { return g_Businesses[shop].Owner == 0; });
  EXPECT_TRUE(g_Businesses[shop].InUse);
  EXPECT_EQ(Building().Owner, 0);
  EXPECT_NEAR(me->money - before, value, 0.01f);
  EXPECT_FLOAT_EQ(Ledger(me, kLedgerBusinessSold), value);
}

TEST_F(EconomyLinkTest, BuyoutPassesTheBusinessToTheBlockOwner) {
  const int32_t shop = OpenShop(1);
  Building().SetOwner(1);
  g_Blocks[kShopBlock].Owner = 2;
  const float price = Building().GetBuyoutPrice();
  ASSERT_GT(price, 0.0f);
  const float mine = me->money, theirs = cpu->money;
  Deliver(EncodeMessage(BuyoutMsg{BuildingId{building}}), [&] { return g_Businesses[shop].Owner == 2; });
  EXPECT_EQ(Building().Owner, 2);
  EXPECT_FLOAT_EQ(me->money - mine, price);
  EXPECT_FLOAT_EQ(theirs - cpu->money, price);
  EXPECT_FLOAT_EQ(Ledger(me, kLedgerBuyoutGained), price);
  EXPECT_FLOAT_EQ(Ledger(cpu, kLedgerBuyoutPaid), -price);
}

// A purchase the buyer's money and credit do not cover is refused by the
// host: nothing changes hands and no money moves; a computer buyer is told,
// with the block when a block was refused and no block otherwise.
TEST_F(EconomyLinkTest, PurchasesBeyondMoneyAndCreditAreRefused) {
  const int32_t shop = OpenShop(0);
  g_Blocks[kShopBlock].Owner = 2;
  struct Case {
    const char* what;
    CNetMessage message;
    BlockId refused;
  };
  const Case cases[] = {
      {"block", EncodeMessage(BlockTransferMsg{20000, BlockId{12}, PlayerNumber{2}}), BlockId{12}},
      {"business", EncodeMessage(BuyBusinessMsg{BuildingId{building}, kBakery, PlayerNumber{2}}), BlockId{}},
      {"buy-out", EncodeMessage(BuyoutMsg{BuildingId{building}}), BlockId{}},
      {"take-over", EncodeMessage(TakeOverBusinessMsg{20000, BusinessId{shop}, PlayerIndex{1}}), BlockId{}},
  };
  g_BusinessTypes[kBakery].RefurbCost = 30000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    cpu->money = -9999.0f;  // 1 of credit left
    g_Businesses[shop].Owner = 0;
    CNetMessage m = c.message;
    ASSERT_TRUE(m.Send());
    // The host's check answers at once.
    ASSERT_EQ(cpu->QueuedMessages(), 1u);
    const PlayerMessage* told = cpu->PopMessage();
    EXPECT_EQ(told->code, PLAYER_MESS_REFUSED);
    EXPECT_EQ(told->As<BlockDeal>().block, c.refused);
    RunTicks(static_cast<int>(kMessageDeliveryLead) + 1);
    EXPECT_FLOAT_EQ(cpu->money, -9999.0f);
    EXPECT_EQ(g_Blocks[12].Owner, 0);
    EXPECT_EQ(g_Businesses[shop].Owner, 0);
    EXPECT_EQ(Building().GetBusiness(), shop);
  }
  // Within the credit the block is bought.
  cpu->money = -9000.0f;
  Deliver(EncodeMessage(BlockTransferMsg{900, BlockId{12}, PlayerNumber{2}}), [&] { return g_Blocks[12].Owner == 2; });
}

// The city's average rent per resident, which the house hunt weighs rents
// against, follows the rents: it is taken afresh before each day's hunt.
TEST_F(EconomyLinkTest, TheAverageRentFollowsTheDay) {
  g_BusinessTypes[kTypeApartments].Available = 1;
  g_BusinessTypes[kTypeApartments].Density = 4.0f;
  const int32_t home = EconomyTest::Open(kTypeApartments, 0, EconomyTest::Place(20, 0, 0, 0, 0, 1, kKindResidential));
  ASSERT_GE(home, 0);
  g_Businesses[home].RentPerPlace = 30.0f;
  g_Businesses[home].Occupants = 2;
  EXPECT_FLOAT_EQ(PlayerData().GetAverageBlockValue(), 30.0f);
  g_Businesses[home].RentPerPlace = 60.0f;
  GameClock().hour = 17;
  RunHourlyUpdate();
  EXPECT_FLOAT_EQ(PlayerData().GetAverageBlockValue(), 60.0f);
}

TEST_F(EconomyLinkTest, TakeOverMovesTheBusinessForTheStatedPrice) {
  const int32_t shop = OpenShop(0);
  const float before = cpu->money;
  Deliver(EncodeMessage(TakeOverBusinessMsg{900, BusinessId{shop}, PlayerIndex{1}}), [&] { return g_Businesses[shop].Owner == 2; });
  EXPECT_EQ(Building().Owner, 2);
  EXPECT_FLOAT_EQ(before - cpu->money, 900.0f);
  EXPECT_FLOAT_EQ(Ledger(cpu, kLedgerTakeOver), -900.0f);
}

// ---- Price messages ----

TEST_F(EconomyLinkTest, OwnersPricesArriveAtTheirTick) {
  CBusiness& shop = g_Businesses[OpenShop(2)];
  EditBusinessDraft(shop).Price[0] = 2.5f;
  shop.SetStockTarget(1, 4);
  SendBusinessPriceMessages(1);  // the computer player's businesses
  RunTicks(static_cast<int>(kMessageDeliveryLead) - 1);
  EXPECT_NE(shop.Price[0], 2.5f);
  RunTicks(1);
  EXPECT_FLOAT_EQ(shop.Price[0], 2.5f);
  EXPECT_EQ(shop.StockTarget[1], 4);
}

TEST_F(EconomyLinkTest, PricesOfABusinessThatChangedHandsInFlightAreDropped) {
  CBusiness& shop = g_Businesses[OpenShop(1)];
  const float old = shop.Price[0];
  EditBusinessDraft(shop).Price[0] = old + 3.0f;
  EditBusinessDraft(shop).Changed = true;
  SendBusinessPriceMessages(0);
  shop.SetOwner(2);
  RunTicks(static_cast<int>(kMessageDeliveryLead));
  EXPECT_FLOAT_EQ(shop.Price[0], old);
}

CNetMessage PriceMessageFor(int32_t business, float price, int32_t sender) {
  PriceMessage prices;
  prices.Business = BusinessId{business};
  for (int i = 0; i < kSlotsPerBusiness; ++i) {
    prices.StockTargets[i] = 5;
    prices.Prices[i] = price;
  }
  CNetMessage m = EncodeMessage(prices);
  m.SetSender(sender);
  return m;
}

TEST_F(EconomyLinkTest, TheHostActsForTheMachineAMessageCameFrom) {
  CBusiness& shop = g_Businesses[OpenShop(2)];
  const float old = shop.Price[0];
  Session().networkSession = true;
  Session().host = true;
  PlayerTable().SetupRow(0).directPlayId = 11;
  PlayerTable().SetupRow(1).directPlayId = 22;

  // Machine 11 (player 1) claims to act for player 2: the host stamps it as 1.
  OnDirectPlayGameMessage(PriceMessageFor(shop.Index, old + 1.0f, 2).Bytes(), 11);
  RunTicks(static_cast<int>(kMessageDeliveryLead));
  EXPECT_FLOAT_EQ(shop.Price[0], old);
  // An unknown machine acts for nobody.
  OnDirectPlayGameMessage(PriceMessageFor(shop.Index, old + 1.0f, 2).Bytes(), 99);
  RunTicks(static_cast<int>(kMessageDeliveryLead));
  EXPECT_FLOAT_EQ(shop.Price[0], old);
  // The owner's own machine.
  OnDirectPlayGameMessage(PriceMessageFor(shop.Index, old + 1.0f, 0).Bytes(), 22);
  RunTicks(static_cast<int>(kMessageDeliveryLead));
  EXPECT_FLOAT_EQ(shop.Price[0], old + 1.0f);
}

TEST_F(EconomyLinkTest, AClientAppliesTheSenderTheHostStamped) {
  CBusiness& shop = g_Businesses[OpenShop(2)];
  Session().networkSession = true;
  Session().host = false;
  CNetMessage m = PriceMessageFor(shop.Index, 7.0f, 2);
  m.SetDelivery(LogicTick());
  m.SetRelative(false);
  OnDirectPlayGameMessage(m.Bytes(), 11);
  EXPECT_FLOAT_EQ(shop.Price[0], 7.0f);

  std::vector<uint8_t> bad(m.Bytes().begin(), m.Bytes().end());
  bad[kNetSenderOffset] = kMaxPlayers + 1;
  EXPECT_FALSE(CheckNetMessage(bad));
}

// ---- Hourly and daily jobs ----

TEST_F(EconomyLinkTest, ClockRunsTheBusinessJobsAndPaysUtilitiesToTheirBlocks) {
  Tweaks().railUtilIncome[1] = 1.0f;
  SelectUtilityIncomeValues(1);
  g_BusinessTypes[kBakery].WaterNeed = 2.0f;
  g_BusinessTypes[kBakery].TelecomNeed = 1.0f;
  CBusiness& shop = g_Businesses[OpenShop(0)];
  const float units = static_cast<float>(shop.GetFootprintUnits());
  cpu->TakeBlock(kUtilitySlotBlocks[kUtilityWater], 0.0f);
  me->TakeBlock(kUtilityBlocks[0], 0.0f);  // the telephone company
  ResetUtilityIncome();
  const float cpuBefore = cpu->money, meBefore = me->money;

  // 6 o'clock: the day's utilities are charged and each owner paid its own.
  GameClock().hour = 5;
  RunTicks(kTicksPerHour);
  ASSERT_EQ(GameClock().hour, 6);
  EXPECT_FLOAT_EQ(shop.Accounts[kLineWater], -2.0f * units);
  EXPECT_FLOAT_EQ(cpu->money - cpuBefore, 2.0f * units * 0.25f);
  EXPECT_FLOAT_EQ(Ledger(cpu, kLedgerUtilityFirst + int{kUtilityWater}), 2.0f * units * 0.25f);
  EXPECT_FLOAT_EQ(me->money - meBefore, 1.0f * units * 0.25f);
  EXPECT_FLOAT_EQ(Ledger(me, kLedgerUtilityFirst + int{kUtilityTelephone}), 1.0f * units * 0.25f);

  // Every hour: the open state follows the type's hours (0 to 0: always open).
  shop.OpenState = kClosed;
  RunTicks(kTicksPerHour);
  EXPECT_EQ(shop.OpenState, kOpen);

  // Midnight: the business day closes.
  const uint8_t day = shop.Day;
  GameClock().hour = 23;
  RunTicks(kTicksPerHour);
  EXPECT_EQ(shop.Day, (day + 1) % kDayRing);

  // The house hunt (which the clock runs at 17) counts every person down a day.
  CPerson& p = g_People[g_PeopleCount++];
  p = CPerson{};
  p.InUse = 1;
  p.SetHouseHuntCountdown(5);
  GameClock().hour = 17;
  RunHourlyUpdate();
  EXPECT_EQ(p.GetHouseHuntCountdown(), 4);
}

TEST_F(EconomyLinkTest, RailroadPassengersRaiseTheirRailroadsNextPayout) {
  Tweaks().railUtilIncome[1] = 1.0f;
  Tweaks().dailyFreight[1] = 100.0f;
  SelectUtilityIncomeValues(1);
  ResetUtilityIncome();
  // The people's passenger accounts 1..4 are the railroad slots 0..3.
  for (int s = 0; s < 4; ++s) ASSERT_EQ(RailroadBlock(s), kRailroadBlocks[s]) << s;
  cpu->TakeBlock(kRailroadBlocks[2], 0.0f);
  AddRailroadPassengers(3, 5);
  AddRailroadPassengers(5, 1000);  // no such account
  AddRailroadPassengers(0, 1000);
  const float before = cpu->money;
  PayRailroadIncome();
  EXPECT_FLOAT_EQ(cpu->money - before, (100.0f + 5.0f) * 0.25f);
  EXPECT_FLOAT_EQ(GetUtilityIncome().railroadValues[2], 100.0f);
}

TEST(UtilitySlots, FollowTheUtilityDistrictsBlockList) {
  InitDistricts();
  const int district = FindDistrictByKey("DISTRICT_UTILITY");
  ASSERT_GE(district, 0);
  for (int s = 0; s < kUtilitySlots; ++s) EXPECT_EQ(g_Districts[district].Blocks[s], kUtilitySlotBlocks[s]) << s;
}

}  // namespace
