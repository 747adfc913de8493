// The computer player on the small test economy: its action lists, its
// timetables, its auction moves, its standings, its answers to the session's
// messages and its give-up rule.
#include <gtest/gtest.h>

#include <tuple>

#include "ai/ai_strategy.h"
#include "ai/computer_player.h"
#include "ai/set_scores.h"
#include "ai_fixture.h"
#include "city/buildings.h"
#include "city/business.h"
#include "engine/core/play_warning.h"
#include "session/game_clock.h"
#include "session/auction.h"
#include "session/game_messages.h"
#include "session/goals.h"
#include "session/session_services.h"
#include "session/session_state.h"

namespace {

// The whole computer player, with any auction a test opened closed again.
class ComputerPlayerTest : public ComputerPlayerAiTest {
 protected:
  void TearDown() override {
    EndAuction();
    ComputerPlayerAiTest::TearDown();
  }
};

TEST_F(ComputerPlayerTest, ActionListDuplicatesSerialsAndCounts) {
  const float before = cpu->committedCash;
  ASSERT_TRUE(AddAction_BuyBlock(*cpu, 12, 100));
  const float committed = cpu->committedCash;
  EXPECT_GE(committed - before, static_cast<int32_t>(GetBlock(12)->GetLeasePrice()));
  EXPECT_FALSE(AddAction_BuyBlock(*cpu, 12, 100));  // still ready: a duplicate
  EXPECT_EQ(cpu->committedCash, committed);
  EXPECT_TRUE(AddAction_SellBusiness(*cpu, 5, 12));
  EXPECT_EQ(cpu->committedCash, committed);  // selling sets nothing aside
  EXPECT_EQ(cpu->standardPending, 2);

  // A full list refuses the eleventh action.
  for (int32_t i = 0; i < 8; ++i) EXPECT_TRUE(AddAction_SellBusiness(*cpu, 10 + i, 12));
  EXPECT_FALSE(AddAction_SellBusiness(*cpu, 99, 12));
  EXPECT_EQ(cpu->standardPending, kActionSlots);

  // One serial for every computer player, back to 1 after 9000.
  SetActionSerial(8999);
  EXPECT_EQ(NextActionSerial(), 9000);
  EXPECT_EQ(NextActionSerial(), 1);

  // Popping an auction action lowers the auction count only.
  CActions a;
  a.player = cpu->index;
  a.block = 3;
  a.phase = AI_WAITING_FOR_SOMEONE_ELSE_TO_BID;
  ASSERT_TRUE(AddAuctionAction(*cpu, a));
  EXPECT_EQ(cpu->auctionPending, 1);
  cpu->auction[0].Pop();
  EXPECT_EQ(cpu->auctionPending, 0);
  EXPECT_EQ(cpu->standardPending, kActionSlots);
}

TEST_F(ComputerPlayerTest, TimetableEntriesAndTheFiftyFirst) {
  AiCharacter& c = *cpu->Character();
  ResetTimeTable(c, kTimetableHousekeeping);
  LoadTimeTable(c, kTimetableHousekeeping, 7, 30, TT_RENT);
  EXPECT_EQ(c.timetables[kTimetableHousekeeping][0].due, 4675);
  EXPECT_EQ(c.timetables[kTimetableHousekeeping][0].event, TT_RENT);
  for (int32_t i = 1; i < 51; ++i) LoadTimeTable(c, kTimetableHousekeeping, 8, i % 60, TT_SPOILAGE);
  EXPECT_EQ(c.counts[kTimetableHousekeeping], kTimetableSize);
  LoadTimeTable(c, 7, 1, 0, TT_RENT);  // no such table
}

TEST_F(ComputerPlayerTest, SimultaneousHousekeepingEventsAllRunInOneUpdate) {
  AiCharacter& c = *cpu->Character();
  ResetTimeTable(c, kTimetableHousekeeping);
  LoadTimeTable(c, kTimetableHousekeeping, 0, 0, TT_EOD_STOCK_AND_PRICE);
  LoadTimeTable(c, kTimetableHousekeeping, 0, 0, TT_BUSINESS_STATES);
  DayTick() = 0;
  cpu->mode = kAiRunStrategy;
  cpu->nextDecisionTick = LogicTick() + 1000;
  cpu->actionDelay = 5;
  for (int32_t event = 0; event < 2; ++event) {
    RunAiTimetables(*cpu);
    ProcessHousekeepingTimetable(*cpu);
  }
  EXPECT_EQ(cpu->workFlags & (kWorkEndOfDay | kWorkBusinessStates), kWorkEndOfDay | kWorkBusinessStates);
  const int32_t rounds = cpu->tally.priceRounds;
  cpu->Update();
  EXPECT_EQ(cpu->workFlags & (kWorkEndOfDay | kWorkBusinessStates), 0);
  EXPECT_EQ(cpu->tally.priceRounds, rounds + 1);
}

TEST_F(ComputerPlayerTest, CreditAllowanceBuysAtCashZero) {
  cpu->money = 0;
  GiveBlock(12, -1);
  ASSERT_TRUE(AddAction_BuyBlock(*cpu, 12, 100));
  ASSERT_LE(cpu->standard[0].committed, 10000.0f);
  cpu->RunPendingActions();
  EXPECT_EQ(cpu->standard[0].phase, AI_AWAITING_BLOCK_PURCHASE);
  EXPECT_EQ(cpu->standard[0].state, ACT_IN_PROGRESS);
}

TEST_F(ComputerPlayerTest, AuctionBidsAndPullOut) {
  GiveBlock(12, -1);
  ASSERT_TRUE(StartAuction(12, 0, 400));
  const CAuction& a = *CurrentAuction();
  const int32_t m = std::max(a.price, a.openingBid);
  // A ceiling of m + 60 always gives m + 50, whatever the step drawn.
  cpu->bidCeiling = static_cast<float>(m + 60);
  for (int32_t i = 0; i < 40; ++i) EXPECT_EQ(cpu->NextAuctionBid(), m + 50);

  // Valued at the opening bid: it joins and its first move is a pull-out.
  cpu->own.valuation = static_cast<float>(a.openingBid);
  PlayerMessage begins;
  begins.code = PLAYER_MESS_AUCTION_BEGINS;
  begins.body = AuctionNews{BlockId{12}};
  cpu->BeginAuctionBidding(nullptr, begins);
  EXPECT_EQ(cpu->auctionPending, 1);
  EXPECT_EQ(cpu->bidCeiling, 0.0f);
  EXPECT_EQ(cpu->NextAuctionBid(), 0);
}

// In the red it values nothing, before the midnight warning comes and
// whatever reserve its character keeps; nor, back in credit, until the
// midnight that lifts the warning.
TEST_F(ComputerPlayerTest, NoValueForABlockWhileInTheRedOrWarned) {
  // The character with the largest cash reserve, bound as the game binds
  // one, so that the player lets it go when it is deleted.
  UnbindAiCharacter(cpu->characterRow);
  cpu->characterRow = 3;
  ASSERT_TRUE(BindAiCharacter(3, cpu));
  GetAiScores().blk2_Rentopia = 60;
  GetAiScores().MaxScoreCap = 60;  // as the game's scripts set it
  GiveBlock(29, 1);
  GiveBlock(30, -1);
  P(0).money = 0.0f;
  cpu->plan.chosenBlock = 30;
  int32_t whole = 0;
  cpu->money = 3000.0f;
  cpu->GetScore(kScoreChosenBlock, whole);
  EXPECT_GT(whole, 0);
  cpu->money = -500.0f;
  ASSERT_EQ(cpu->warned24h, 0);
  cpu->GetScore(kScoreChosenBlock, whole);
  EXPECT_EQ(whole, 0);
  // The morning's rents put it back in credit (its own flag is clear) while
  // the midnight's warning stands.
  GameGoal().players[cpu->index].inDebt = 1;
  GameClock().hour = 19;
  cpu->money = 3000.0f;
  cpu->GetScore(kScoreChosenBlock, whole);
  EXPECT_EQ(whole, 0);
  GameGoal().players[cpu->index].inDebt = 0;
  cpu->GetScore(kScoreChosenBlock, whole);
  EXPECT_GT(whole, 0);
}

// A warned player in the red declines every auction, and declining leaves
// no valuation behind: the block it valued in credit that morning is no
// ceiling for the next one.
TEST_F(ComputerPlayerTest, AWarnedPlayerInTheRedPullsOutWithAnEarlierValuationGone) {
  GetAiScores().blk2_Rentopia = 200;
  GetAiScores().MaxScoreCap = 200;
  GiveBlock(29, 1);
  GiveBlock(30, -1);
  cpu->money = 20000.0f;
  ASSERT_TRUE(StartAuction(30, 0, 100));
  cpu->OnGameEvent(0, nullptr);
  ASSERT_GT(cpu->own.valuation, 0.0f) << "valued in credit";
  EndAuction();
  PlayerMessage over;
  over.code = PLAYER_MESS_AUCTION_OVER;
  over.body = AuctionNews{BlockId{30}};
  ASSERT_TRUE(cpu->AddMessage(over));
  while (cpu->QueuedMessages() > 0) cpu->HandleMessage();

  cpu->money = -500.0f;
  GameGoal().players[cpu->index].inDebt = 1;
  GiveBlock(12, -1);
  ASSERT_TRUE(StartAuction(12, 0, 100));
  cpu->OnGameEvent(0, nullptr);
  PlayerMessage begins;
  begins.code = PLAYER_MESS_AUCTION_BEGINS;
  begins.body = AuctionNews{BlockId{12}};
  cpu->BeginAuctionBidding(nullptr, begins);
  EXPECT_EQ(cpu->bidCeiling, 0.0f);
  EXPECT_EQ(cpu->NextAuctionBid(), 0);
  GameGoal().players[cpu->index].inDebt = 0;
}

// Taken up again after a load, a player still in debt is under the warning
// the last midnight gave, though the message that told it came before the save.
TEST_F(ComputerPlayerTest, ResumedInDebtItIsStillWarned) {
  GameGoal().players[cpu->index].inDebt = 1;
  cpu->money = -50.0f;
  cpu->Resume();
  EXPECT_EQ(cpu->warned24h, 1);
  cpu->money = 10.0f;  // back in credit: the warning is its own no more
  cpu->Resume();
  EXPECT_EQ(cpu->warned24h, 0);
  GameGoal().players[cpu->index].inDebt = 0;
}

// The city's refusal of a request can arrive after the block's auction took
// the request over, or after an auction already settled it.
TEST_F(ComputerPlayerTest, LateRefusalsOfASettledRequest) {
  GiveBlock(12, -1);
  ASSERT_TRUE(AddAction_BuyBlock(*cpu, 12, 100));
  cpu->RunPendingActions();
  CActions* request = FindAwaitingPurchaseAction(*cpu, 12);
  ASSERT_NE(request, nullptr);
  const int32_t id = request->id;
  ASSERT_TRUE(StartAuction(12, 0, 400));
  cpu->own.valuation = 5000.0f;
  PlayerMessage begins;
  begins.code = PLAYER_MESS_AUCTION_BEGINS;
  begins.body = AuctionNews{BlockId{12}};
  cpu->BeginAuctionBidding(request, begins);
  ASSERT_EQ(cpu->auctionPending, 1);

  PlayerMessage refusal;
  refusal.code = PLAYER_MESS_REFUSED;
  refusal.body = BlockDeal{BlockId{12}, 0, id};
  const int32_t warnings = PlayWarningCount();
  cpu->currentRequestId = id;
  cpu->CheckBlockRejectEvent(refusal);
  EXPECT_EQ(PlayWarningCount(), warnings) << "the auction answers for the request";
  EXPECT_EQ(cpu->auctionPending, 1);
  EXPECT_EQ(cpu->currentRequestId, -1);
  // A refusal whose request is gone altogether is a warning on the console.
  refusal.body = BlockDeal{BlockId{12}, 0, id + 500};
  cpu->CheckBlockRejectEvent(refusal);
  EXPECT_EQ(PlayWarningCount(), warnings + 1);
}

// A request taken over by the block's auction hands its set-aside money to
// the bid. Won or lost, the player has that money back once the room closes,
// and only once: money left set aside for good once put a rich player out.
TEST_F(ComputerPlayerTest, ARequestsMoneyComesBackWhenItsAuctionCloses) {
  for (const bool won : {false, true}) {
    SCOPED_TRACE(won ? "won" : "lost");
    const int32_t block = won ? 13 : 12;
    GiveBlock(block, -1);
    const float before = cpu->committedCash;
    ASSERT_TRUE(AddAction_BuyBlock(*cpu, block, 100));
    cpu->RunPendingActions();
    CActions* request = FindAwaitingPurchaseAction(*cpu, block);
    ASSERT_NE(request, nullptr);
    ASSERT_TRUE(StartAuction(block, 0, 400));
    cpu->own.valuation = 5000.0f;
    PlayerMessage begins;
    begins.code = PLAYER_MESS_AUCTION_BEGINS;
    begins.body = AuctionNews{BlockId{block}};
    cpu->BeginAuctionBidding(request, begins);
    ASSERT_EQ(cpu->auctionPending, 1);
    ASSERT_GT(cpu->committedCash, before);

    PlayerMessage settled;
    settled.code = PLAYER_MESS_PURCHASE_SETTLED;
    settled.body = AuctionSettled{BlockId{block}, PlayerIndex{won ? cpu->index : 0}, 700};
    ASSERT_TRUE(cpu->AddMessage(settled));
    cpu->HandleMessage();
    EndAuction();
    cpu->RunPendingActions();  // the room is gone: the bid is done
    PlayerMessage over;
    over.code = PLAYER_MESS_AUCTION_OVER;
    over.body = AuctionNews{BlockId{block}};
    ASSERT_TRUE(cpu->AddMessage(over));
    while (cpu->QueuedMessages() > 0) cpu->HandleMessage();
    EXPECT_EQ(cpu->auctionPending, 0);
    EXPECT_EQ(cpu->committedCash, before);
  }
}

// An auction of the block settled the request and is over when the city's
// refusal of it comes: no news, no warning.
TEST_F(ComputerPlayerTest, ARefusalAfterTheAuctionThatSettledTheRequest) {
  GiveBlock(13, -1);
  ASSERT_TRUE(AddAction_BuyBlock(*cpu, 13, 100));
  cpu->RunPendingActions();
  const CActions* request = FindAwaitingPurchaseAction(*cpu, 13);
  ASSERT_NE(request, nullptr);
  PlayerMessage refusal;
  refusal.code = PLAYER_MESS_REFUSED;
  refusal.body = BlockDeal{BlockId{13}, 0, request->id};
  PlayerMessage ended;
  ended.code = PLAYER_MESS_AUCTION_ENDED;
  ended.body = AuctionNews{BlockId{13}};
  ASSERT_TRUE(cpu->AddMessage(ended));
  cpu->HandleMessage();
  cpu->RunPendingActions();
  ASSERT_EQ(FindActionById(*cpu, refusal.As<BlockDeal>().requestId), nullptr);
  const int32_t warnings = PlayWarningCount();
  cpu->CheckBlockRejectEvent(refusal);
  EXPECT_EQ(PlayWarningCount(), warnings);
}

// A player that has given up takes no decisions, but on its turn in the
// auction room it pulls out, so the room does not wait for it for ever.
TEST_F(ComputerPlayerTest, AGivenUpPlayerPullsOutOnItsTurn) {
  GiveBlock(12, -1);
  ASSERT_TRUE(StartAuction(12, 0, 400));
  OpenAuctionScreen();
  ApplyAuctionMessage(AuctionStepMsg{kAuctionMoveStage, PlayerIndex{kStageBidding}, 0});
  ASSERT_TRUE(CurrentAuction()->active);
  ASSERT_EQ(CurrentAuction()->turn, 1);
  cpu->GiveUp();
  cpu->Update();
  EXPECT_EQ(CurrentAuction()->rows[1].stillIn, 0);
  EXPECT_EQ(CurrentAuction()->rows[1].pulledOut, 1);
}

// The quick auction answers on the next tick, and draws from the player's
// stream as the slow one does: the switch never moves the stream.
TEST_F(ComputerPlayerTest, TheQuickAuctionAnswersAtOnceWithTheSameDraws) {
  GiveBlock(12, -1);
  ASSERT_TRUE(StartAuction(12, 0, 400));
  OpenAuctionScreen();
  ASSERT_EQ(CurrentAuction()->turn, 1);
  CActions a;
  a.player = cpu->index;
  a.block = 12;
  a.phase = AI_WAITING_FOR_SOMEONE_ELSE_TO_BID;
  ASSERT_TRUE(AddAuctionAction(*cpu, a));
  const uint32_t state = cpu->Random().GetState();
  uint32_t after[2] = {};
  for (bool quick : {false, true}) {
    cpu->Random().SetState(state);
    cpu->auction[0].phase = AI_WAITING_FOR_SOMEONE_ELSE_TO_BID;
    SetQuickAuction(quick);
    cpu->RunAction(&cpu->auction[0]);
    after[quick] = cpu->Random().GetState();
    EXPECT_EQ(cpu->auction[0].phase, AI_READY_TO_BID);
    if (quick) EXPECT_EQ(cpu->actionDelay, 1);
    else EXPECT_GE(cpu->actionDelay, 5);
  }
  SetQuickAuction(false);
  EXPECT_EQ(after[0], after[1]);
}

TEST_F(ComputerPlayerTest, EqualWorthSharesARank) {
  for (int32_t p = 0; p < 2; ++p) {
    CPlayer& player = P(p);
    for (float& entry : player.ledgers[player.currentLedger ^ 1]) entry = 0;
    player.ledgers[player.currentLedger ^ 1][0] = 500.0f;
  }
  cpu->RefreshStandings(false);
  EXPECT_EQ(cpu->own.worthRank, 1);
  EXPECT_EQ(cpu->standings[0].worthRank, cpu->standings[1].worthRank);
}

TEST_F(ComputerPlayerTest, PurchaseSettledWithoutItsActionIsARejection) {
  PlayerMessage settled;
  settled.code = PLAYER_MESS_PURCHASE_SETTLED;
  settled.body = AuctionSettled{BlockId{12}, PlayerIndex{0}, 700};  // the human won
  ASSERT_TRUE(cpu->AddMessage(settled));
  cpu->HandleMessage();
  int32_t who = -1;
  float value = 0;
  EXPECT_TRUE(cpu->HasStandingRejection(12, &who, &value));
  EXPECT_EQ(who, 0);
  EXPECT_TRUE(cpu->plan.rejected);
}

TEST_F(ComputerPlayerTest, ReplansEvery125TicksAndGivesUpWithNothingLeft) {
  LogicTick() = 1000;
  cpu->money = 5000;
  cpu->nextDecisionTick = 1000;
  cpu->Update();
  EXPECT_EQ(cpu->nextDecisionTick, 1125u);
  LogicTick() = 1100;
  cpu->Update();
  EXPECT_EQ(cpu->nextDecisionTick, 1125u);

  // No money, no block, no business: no strategy can be found.
  cpu->money = 0;
  cpu->mode = kAiNewStrategy;
  LogicTick() = 1125;
  cpu->Update();
  EXPECT_TRUE(cpu->disabled);
  EXPECT_EQ(GetAiCharacter(4)->inUse, 0);
  EXPECT_EQ(GetAiCharacter(4)->bound, nullptr);
}

// A failing business is refurbished (or cleared) once, on the review where
// its run of bad grades reaches the character's patience, not before and
// not again on the reviews after.
TEST_F(ComputerPlayerTest, RefurbishmentFiresOnceAtThePatienceValue) {
  DefineShopType(3, {0});
  GiveBlock(29, 1);
  g_Blocks[29].BuildingRights = kRightsGranted;
  const int32_t shop = Open(3, 2, Place(29, 0, 0, 1, 1, 1), true);
  // The city wants what four other shops sell: more than the character
  // picks among, so a replacement is always found.
  for (int32_t i = 0; i < 4; ++i) {
    DefineShopType(4 + i, {1 + i});
    CityWideDemand().Rows[static_cast<size_t>(i)] = CityWideDemandRow{1 + i, 50 - i, {}};
  }
  for (AiBuildTimes& t : cpu->Character()->buildTimes) t = AiBuildTimes{0, 8, 18, 22, 4};
  cpu->money = 50000;
  cpu->AddBusinessToList(shop, 0);
  ASSERT_EQ(cpu->ownBusinesses.size(), 1u);
  const int32_t patience = 4;
  cpu->Character()->difficulty[0].bytes[12 - 7] = patience;
  cpu->SetDifficulty(0);
  AiBusinessEntry& entry = cpu->ownBusinesses[0];
  entry.band = 5;
  for (int32_t repeats : {patience - 1, patience, patience + 1}) {
    entry.repeats = repeats;
    const uint8_t before = cpu->standardPending;
    RunRefurbishmentReview(*cpu);
    EXPECT_EQ(cpu->standardPending, before + (repeats == patience ? 1 : 0)) << repeats;
  }
}

// A tenant's take-over needs a score of 800: 799 is turned down.
TEST_F(ComputerPlayerTest, TakeOverNeedsAScoreOf800) {
  DefineShopType(3, {0});
  GiveBlock(29, 1);
  GameClock().decade = 1;
  const int32_t building = Place(29, 0, 0, 1, 1, 1);
  const int32_t tenant = Open(3, 1, building, true);  // the human's shop on the computer's block
  CBuilding& b = *GetBuilding(building);
  CBusiness& business = *GetBusinessInUse(tenant);
  business.PotentialIncome = 0;
  b.OwnerChangeTick = -1000000;  // long past the owner change: no novelty premium
  cpu->money = 5000;
  cpu->SyncOwnershipLists();
  for (const auto& [value, score, taken] : {std::tuple{301.0f, 799, false}, std::tuple{300.0f, 800, true}}) {
    b.Value = value;
    ASSERT_EQ(TakeOverScore(business, false), score);
    RunTakeOverReview(*cpu);
    EXPECT_EQ(cpu->BusinessInList(tenant, 0), taken) << score;
  }
  GameClock().decade = 0;
}

// A character that likes homes more than shops keeps its business limit for
// homes but for the shops' share of its liking (2 of 12 for a limit of 12):
// with its shops at that share it buys out no tenant shop, however good the
// score, and with one shop fewer it does. A tenant home it buys out with its
// shops at their share.
TEST_F(ComputerPlayerTest, AHomeLikerBuysOutNoShopPastItsShopsShare) {
  DefineShopType(3, {0});
  GiveBlock(29, 1);
  GameClock().decade = 1;
  AiCharacter& c = *cpu->Character();
  const AiCharacter saved = c;  // the shared table is put back for the tests that follow
  c.traits[1] = 2, c.traits[2] = 10, c.businessLimit = 12;
  const int32_t building = Place(29, 0, 0, 1, 1, 1);
  const int32_t tenant = Open(3, 1, building, true);  // the human's shop on the computer's block
  GetBuilding(building)->Value = 300.0f;
  GetBuilding(building)->OwnerChangeTick = -1000000;
  GetBusinessInUse(tenant)->PotentialIncome = 0;
  cpu->money = 5000;
  // Its own shops stand on a block it rents, away from the tenant's.
  Open(3, 2, Place(30, 0, 0, 0, 0, 1), true);
  cpu->SyncOwnershipLists();
  ASSERT_EQ(TakeOverScore(*GetBusinessInUse(tenant), false), 800);
  for (const auto& [ownShops, taken] : {std::pair{2, false}, std::pair{1, true}}) {
    const int32_t second = ownShops == 2 ? Open(3, 2, Place(30, 2, 0, 2, 0, 1), true) : -1;
    RunTakeOverReview(*cpu);
    EXPECT_EQ(cpu->BusinessInList(tenant, 0), taken) << ownShops << " shops of its own";
    if (second >= 0) CloseBusiness(second);
  }
  CloseBusiness(tenant);
  Open(3, 2, Place(30, 2, 0, 2, 0, 1), true);  // its shops at their share again
  g_BusinessTypes[kTypeApartments].Available = 1;
  const int32_t house = Place(29, 0, 0, 1, 1, 1, kKindResidential);
  const int32_t home = Open(kTypeApartments, 1, house, true);
  GetBuilding(house)->Value = 300.0f;
  GetBuilding(house)->OwnerChangeTick = -1000000;
  cpu->SyncOwnershipLists();
  ASSERT_GE(TakeOverScore(*GetBusinessInUse(home), false), 800);
  RunTakeOverReview(*cpu);
  EXPECT_TRUE(cpu->BusinessInList(home, 0));
  c = saved;
  GameClock().decade = 0;
}

}  // namespace
