#include "session/player.h"

#include "session/utility_income.h"
#include "session/city_seller.h"
#include "engine/core/byte_io.h"
#include "session_fixture.h"

namespace {

using PlayerTest = SessionTest;

TEST_F(PlayerTest, CashLedgersAndCreditAllowance) {
  MakePlayers();
  CPlayer* me = PlayerTable().Get(0);
  EXPECT_FLOAT_EQ(me->money, 5000.0f);
  EXPECT_TRUE(me->CanAfford(15000.0f, true));
  EXPECT_TRUE(log.steps.empty());
  EXPECT_FALSE(me->CanAfford(15001.0f, true));
  EXPECT_TRUE(log.Has("prompt 302 1718 1730"));
  Session().unlimitedMoney = true;
  EXPECT_TRUE(me->CanAfford(1e9f, true));

  me->AddMoney(-200.0f, 12);
  EXPECT_FLOAT_EQ(me->money, 4800.0f);
  EXPECT_FLOAT_EQ(me->Today()[12], -200.0f);
  EXPECT_TRUE(log.Has("sound spot_any_buy.wav 60"));
  me->AddToLedger(5.0f, 19);
  EXPECT_FLOAT_EQ(me->money, 4800.0f);
  EXPECT_FLOAT_EQ(PlayerData().GetProfitsForPlayer(0), -195.0f);
  me->pointsA = 10;
  me->pointsB = -30;
  EXPECT_EQ(me->GetRatingPoints(), 0);
}

TEST_F(PlayerTest, OverdrawnPromptOpensOncePerDescentIntoDebt) {
  MakePlayers();
  CPlayer* me = PlayerTable().Get(0);
  PlayerTable().UpdatePlayers();
  me->money = -10.0f;
  PlayerTable().UpdatePlayers();
  PlayerTable().UpdatePlayers();
  EXPECT_EQ(log.Count("prompt 302 1739 1740"), 1);
  me->money = 5.0f;
  PlayerTable().UpdatePlayers();
  me->money = -1.0f;
  PlayerTable().UpdatePlayers();
  EXPECT_EQ(log.Count("prompt 302 1739 1740"), 2);
}

TEST_F(PlayerTest, SetupRowsMakeTheSessionPlayers) {
  CPlayerTable& t = PlayerTable();
  t.SetupRow(0) = PlayerSetupRow{-1, kPlayerHuman, "Ann", 0, 0};
  t.SetupRow(1) = PlayerSetupRow{-1, kPlayerEmpty, "", 0, 0};
  t.SetupRow(2) = PlayerSetupRow{3, kPlayerComputer, "Cpu", 0, 2};
  t.SetupRow(3) = PlayerSetupRow{4, kPlayerInactive, "Off", 0, 0};
  t.CreateSessionPlayers();
  EXPECT_EQ(t.PlayerCount(), 3);
  EXPECT_EQ(t.ActiveCount(), 2);
  EXPECT_EQ(t.Local(), t.Get(0));
  EXPECT_STREQ(t.Get(1)->name, "Cpu");
  EXPECT_EQ(t.Get(1)->character, 3);
  EXPECT_EQ(t.Get(2)->inUse, 0);
  // An inactive player receives no messages.
  EXPECT_FALSE(t.PostPlayerMessage(2, 0, PLAYER_MESS_BUY_REQUEST, BlockDeal{BlockId{1}, 2, 3, 4}, kSenderToken));
  EXPECT_TRUE(t.PostPlayerMessage(1, 0, PLAYER_MESS_BUY_REQUEST, BlockDeal{BlockId{1}, 2, 3, 4}, kSenderToken));
  EXPECT_EQ(t.Get(1)->QueuedMessages(), 1u);
  EXPECT_FALSE(t.CreatePlayer(kPlayerEmpty, 0, "x"));
}

TEST_F(PlayerTest, AlonePlayersBuyFromTheCityDirectly) {
  MakePlayers();
  Tweaks().blockLeaseLength = 48;
  CPlayer* me = PlayerTable().Get(0);
  CBlock& block = g_Blocks[12];
  ASSERT_EQ(block.Owner, 0);
  me->RequestBuyBlock(12, 750.0f, -1);
  ASSERT_EQ(me->QueuedMessages(), 1u);
  EXPECT_EQ(me->PopMessage()->code, PLAYER_MESS_BUY_ACCEPTED);
  RunTicks(25);
  EXPECT_EQ(block.Owner, 1);
  EXPECT_EQ(block.LeaseHours, 48);
  EXPECT_EQ(block.BuildingRights, kRightsNone);
  EXPECT_EQ(me->ownedBlocks[12], 1);
  EXPECT_FLOAT_EQ(me->money, 4250.0f);
  EXPECT_FLOAT_EQ(me->Today()[kLedgerBlock], -750.0f);
  EXPECT_EQ(PlayerData().GetNumBlocksForPlayer(0), 1);

  // Selling back while alone: the city takes it and pays under category 0.
  me->RequestSellBlock(12, 300.0f, -1);
  RunTicks(25);
  EXPECT_EQ(block.Owner, 0);
  EXPECT_EQ(block.BuildingRights, kRightsGranted);
  EXPECT_FLOAT_EQ(me->money, 4550.0f);
  EXPECT_EQ(PlayerData().GetNumBlocksForPlayer(0), 0);
}

// The city does not sell below the block's price, nor to a player whose
// money and credit do not cover the offer.
TEST_F(PlayerTest, TheCityRefusesLowOffersAndOffersBeyondTheCredit) {
  MakePlayers();
  CPlayer* me = PlayerTable().Get(0);
  const float price = g_Blocks[12].GetLeasePrice();
  for (float offer : {1.0f, price - 1.0f, 5000.0f + kCreditAllowance + 1.0f}) {
    SCOPED_TRACE(offer);
    me->RequestBuyBlock(12, offer, -1);
    ASSERT_EQ(me->QueuedMessages(), 1u);
    EXPECT_EQ(me->PopMessage()->code, PLAYER_MESS_REFUSED);
    RunTicks(25);
    EXPECT_EQ(g_Blocks[12].Owner, 0);
    EXPECT_FLOAT_EQ(me->money, 5000.0f);
  }
  me->RequestBuyBlock(12, price, -1);
  EXPECT_EQ(me->PopMessage()->code, PLAYER_MESS_BUY_ACCEPTED);
  RunTicks(25);
  EXPECT_EQ(g_Blocks[12].Owner, 1);
}

TEST_F(PlayerTest, WithTwoActivePlayersTheCitySellsByAuction) {
  MakePlayers(1);
  PlayerTable().Get(0)->RequestBuyBlock(12, 500.0f, -1);
  EXPECT_EQ(PlayerTable().Get(0)->QueuedMessages(), 0u);
  RunTicks(25);
  ASSERT_NE(CurrentAuction(), nullptr);
  EXPECT_EQ(CurrentAuction()->block.value, 12);
  EXPECT_EQ(CurrentAuction()->starter, 0);
  EXPECT_EQ(CurrentAuction()->openingValue, 500);
  EXPECT_EQ(g_Blocks[12].Owner, 0);

  // While an auction runs a second one is refused.
  PlayerTable().Get(0)->RequestSellBlock(12, 100.0f, -1);
  RunTicks(25);
  EXPECT_EQ(CurrentAuction()->openingValue, 500);
}

TEST_F(PlayerTest, BuyingFromAnotherPlayerPaysTheSeller) {
  MakePlayers(1);
  CPlayer* me = PlayerTable().Get(0);
  CPlayer* cpu = PlayerTable().Get(1);
  cpu->TakeBlock(12, 0.0f);
  Post(BlockTransferMsg{900, BlockId{12}, PlayerNumber{1}});
  RunTicks(25);
  EXPECT_EQ(g_Blocks[12].Owner, 1);
  EXPECT_EQ(cpu->ownedBlocks[12], 0);
  EXPECT_FLOAT_EQ(cpu->Today()[kLedgerBlockSold], 900.0f);
  EXPECT_FLOAT_EQ(me->Today()[kLedgerBlock], -900.0f);
  EXPECT_FLOAT_EQ(cpu->money + me->money, 10000.0f);
}

TEST_F(PlayerTest, RemovedPlayerReleasesItsHoldingsOnce) {
  MakePlayers(1);
  CPlayer* cpu = PlayerTable().Get(1);
  cpu->TakeBlock(12, 0.0f);
  Post(RemovePlayerMsg{PlayerIndex{1}});
  RunTicks(25);
  EXPECT_EQ(cpu->inUse, 0);
  EXPECT_EQ(cpu->kind, kPlayerInactive);
  EXPECT_EQ(g_Blocks[12].Owner, 0);
  EXPECT_EQ(PlayerTable().ActiveCount(), 1);
  PlayerTable().RemovePlayer(1);
  EXPECT_EQ(PlayerTable().ActiveCount(), 1);
}

TEST_F(PlayerTest, UtilityAndRailroadIncomeArePaidAtSixOClock) {
  MakePlayers(1);
  CPlayer* me = PlayerTable().Get(0);
  CPlayer* cpu = PlayerTable().Get(1);
  Tweaks().railUtilIncome[1] = 2.0f;
  Tweaks().dailyFreight[1] = 100.0f;
  SelectUtilityIncomeValues(1);
  ResetUtilityIncome();
  for (int s = 0; s < 3; ++s) me->TakeBlock(kUtilitySlotBlocks[s], 0.0f);
  const int32_t rail = RailroadBlock(0);
  ASSERT_GE(rail, 0);
  cpu->TakeBlock(rail, 0.0f);
  EXPECT_EQ(CountOwnedUtilityBlocks(0), 3);
  EXPECT_EQ(CountOwnedRailroadBlocks(1), 1);
  AddUtilityIncome(0, 40.0f);
  AddUtilityIncome(3, 1000.0f);  // no owner: discarded
  GetUtilityIncome().enabled[1] = 0;
  AddUtilityIncome(1, 40.0f);  // not charged while disabled
  const float before = me->money, cpuBefore = cpu->money;
  GameClock().hour = 5;
  RunTicks(kTicksPerHour);
  EXPECT_EQ(GameClock().hour, 6);
  EXPECT_FLOAT_EQ(me->money - before, 3 * 40.0f * 0.25f * 2.0f);
  EXPECT_FLOAT_EQ(me->Today()[kLedgerUtilityFirst], 60.0f);
  EXPECT_FLOAT_EQ(cpu->money - cpuBefore, 1 * 100.0f * 0.25f * 2.0f);
  EXPECT_FLOAT_EQ(GetUtilityIncome().takings[3], 0.0f);
  EXPECT_EQ(GetUtilityIncome().enabled[1], 1);
  EXPECT_FLOAT_EQ(GetUtilityIncome().railroadValues[0], 100.0f);
}

TEST_F(PlayerTest, StatisticsGuardDivisionsAndBadIndices) {
  MakePlayers();
  CPlayer* me = PlayerTable().Get(0);
  me->money = -50.0f;
  EXPECT_FLOAT_EQ(PlayerData().GetPaperWealthForPlayer(0), -50.0f);
  EXPECT_FLOAT_EQ(PlayerData().GetAverageBlockValue(), 0.0f);
  EXPECT_THROW(PlayerData().GetNumBlocksForPlayer(6), FatalErrorException);

  // Two players flagged as owning one block: the first counts it.
  PlayerTable().CreatePlayer(kPlayerComputer, 0, "b");
  me->ownedBlocks[12] = 1;
  PlayerTable().Get(1)->ownedBlocks[12] = 1;
  PlayerData().MarkBlocksStale();
  EXPECT_EQ(PlayerData().GetNumBlocksForPlayer(0), 1);
  EXPECT_EQ(PlayerData().GetNumBlocksForPlayer(1), 0);
}

TEST_F(PlayerTest, StatisticsHistoryRingsAndShares) {
  MakePlayers(1);
  PlayerTable().Get(0)->salesCount = 0;
  for (int i = 0; i < 481; ++i) {
    PlayerTable().Get(0)->salesCount = i;
    RecordStatsHistorySample();
  }
  float v = 0;
  ASSERT_TRUE(GetStatsHistorySample(v, 0, 0, 0));
  EXPECT_FLOAT_EQ(v, 1.0f);
  ASSERT_TRUE(GetStatsHistorySample(v, 0, 0, -1));
  EXPECT_FLOAT_EQ(v, 480.0f);
  EXPECT_FALSE(GetStatsHistorySample(v, 0, 0, 480));
  EXPECT_FALSE(GetStatsHistorySample(v, 0, 0, -481));
  // Nobody has points: no share sample.
  EXPECT_FALSE(GetStatsHistorySample(v, 0, 5, 0));
  PlayerTable().Get(0)->pointsA = 30;
  PlayerTable().Get(1)->pointsA = 70;
  RecordStatsHistorySample();
  ASSERT_TRUE(GetStatsHistorySample(v, 1, 5, -1));
  EXPECT_FLOAT_EQ(v, 70.0f);
}

}  // namespace

namespace {

// The simulation tells the interface and never asks it: a human player's
// messages become events for the prompt panel whether or not one is shown,
// and the outbox keeps a bounded number when nobody drains it.
TEST_F(PlayerTest, MessagesForTheLocalHumanAreToldAsGameEvents) {
  MakePlayers();
  auto* me = static_cast<CHumanPlayer*>(PlayerTable().Get(0));
  ClearGameEvents();
  PlayerMessage m;
  m.code = PLAYER_MESS_DEBT_WARNING;
  m.body = PlainNote{{7}};
  ASSERT_TRUE(me->AddMessage(m));
  for (int i = 0; i < 10; ++i) me->Update();  // the first update comes after ten calls
  std::vector<GameEvent> events = TakeGameEvents();
  ASSERT_EQ(events.size(), 1u);
  const auto* shown = std::get_if<PlayerMessageEvent>(&events[0]);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->player, 0);
  EXPECT_EQ(shown->message.code, PLAYER_MESS_DEBT_WARNING);
  EXPECT_EQ(shown->message.As<PlainNote>().spare[0], 7);
  EXPECT_EQ(me->state, 0);  // the simulation does not wait on the interface

  for (size_t i = 0; i < kMaxPendingGameEvents + 10; ++i) PostGameEvent(SelectionPageEvent{});
  EXPECT_EQ(TakeGameEvents().size(), kMaxPendingGameEvents);
  EXPECT_TRUE(TakeGameEvents().empty());
}

// Each message the human sees carries its prompt: texts, buttons and whose
// portrait (the city's messages show portrait 302, told as -1).
TEST_F(PlayerTest, MessagesOfTheHumanCarryTheirPrompts) {
  MakePlayers(1);
  auto* me = static_cast<CHumanPlayer*>(PlayerTable().Get(0));
  const struct {
    int32_t code;
    int32_t from;
    int32_t portrait, line1, line2, buttons;
  } cases[] = {
      {PLAYER_MESS_BUY_REQUEST, 1, 1, 1712, 1713, 2},
      {PLAYER_MESS_BUY_ACCEPTED, -1, -1, 1708, 1709, 1},
      {PLAYER_MESS_REFUSED, 1, 1, 1710, 1711, 1},
      {PLAYER_MESS_DEBT_WARNING, -1, -1, 1731, 1732, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    ClearGameEvents();
    PlayerMessage m;
    m.code = c.code;
    m.from = PlayerIndex{c.from};
    m.to = PlayerIndex{0};
    ASSERT_TRUE(me->AddMessage(m));
    for (int i = 0; i < 10; ++i) me->Update();
    std::vector<GameEvent> events = TakeGameEvents();
    ASSERT_EQ(events.size(), 1u);
    const auto& shown = std::get<PlayerMessageEvent>(events[0]);
    EXPECT_EQ(shown.portraitPlayer, c.portrait);
    EXPECT_EQ(shown.line1, c.line1);
    EXPECT_EQ(shown.line2, c.line2);
    EXPECT_EQ(shown.buttonCount, c.buttons);
  }
}

}  // namespace
