// A computer player's chance cards: its hours for each card type, its
// ranking of targets, its patience in debt and where it aims bad publicity.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ai/ai_cards.h"
#include "ai/computer_player.h"
#include "ai_fixture.h"
#include "engine/core/console.h"
#include "engine/core/debug_flags.h"
#include "session/chance_cards.h"
#include "session/event_queue.h"
#include "session/session_state.h"
#include "session/game_clock.h"
#include "session/goals.h"
#include "session/session_services.h"

namespace {

class AiCardsTest : public ComputerPlayerAiTest {
 protected:
  void SetUp() override {
    ComputerPlayerAiTest::SetUp();
    if (HasFatalFailure()) return;
    cpu->money = 5000;
    GameClock().dayCounter = 3;
    GameClock().decade = 1;
    ChanceDeck().Random().SetState(99);
    ChanceDeck().Reset();
    DefineCommodity(1, 2.0f, 1.5f);
    DefineShopType(3, {1});                  // a day shop
    DefineShopType(5, {1}, 10.0f, 18, 23);  // a night shop
    for (int32_t b = 0; b < kBlockCount && ordinary.size() < 3; ++b) {
      const int32_t d = g_BlockDefs[b].District;
      if (d != 0 && d != 10 && d != 11 && g_Blocks[b].InUse) ordinary.push_back(b);
    }
    ASSERT_EQ(ordinary.size(), 3u);
  }
  void TearDown() override {
    GameGoal() = CGameGoal{};
    ComputerPlayerAiTest::TearDown();
  }

  // The card messages posted take effect at their tick.
  static void Deliver() {
    for (uint32_t i = 0; i <= kMessageDeliveryLead; ++i) {
      ++LogicTick();
      EventQueue().DispatchDue();
    }
  }
  // The computer player holds the card as the deck dealt it.
  void Deal(int32_t card) {
    ChanceDeck().Shuffle();
    cpu->Chance().PostChanceMessage(card);
    Deliver();
    ASSERT_EQ(cpu->Chance().HeldCard(), card);
  }
  // A business of player number `owner` on the block, making `profit` a day.
  static int32_t Business(int32_t block, int32_t x, int32_t type, int32_t owner, float profit) {
    const int32_t building = Place(block, x, 0, x + 1, 1, 1);
    const int32_t business = Open(type, owner, building, true);
    std::fill(std::begin(g_Businesses[business].ProfitRing), std::end(g_Businesses[business].ProfitRing), profit);
    return business;
  }
  // The hour's card step, and its messages delivered.
  void AtHour(int32_t hour) {
    GameClock().hour = hour;
    AiCardHourlyTick(*cpu);
    played_ = -1;
    for (const auto& m : PostedMessages())
      if (m[0] == PlayCardMsg::kType) played_ = m[4];
    Deliver();
  }
  // The target of the card the computer player played in the last step, -1 none.
  int32_t PlayedTarget() const { return played_; }
  int32_t played_ = -1;

  std::vector<int32_t> ordinary;
};

TEST_F(AiCardsTest, AStoreStrikeKeptFromTenWaitsForItsHoursAtThree) {
  const int32_t rival = Business(ordinary[0], 0, 5, 1, 900.0f);
  Deal(65);
  AtHour(10);  // dealt: kept for later
  EXPECT_EQ(cpu->Chance().CardState(), kCardKept);
  for (int32_t hour = 11; hour <= 14; ++hour) {
    AtHour(hour);
    EXPECT_EQ(cpu->Chance().HeldCard(), 65) << hour << " o'clock";
  }
  EXPECT_EQ(PlayedTarget(), -1);
  AtHour(15);
  EXPECT_EQ(cpu->Chance().HeldCard(), 0);
  EXPECT_EQ(PlayedTarget(), g_Businesses[rival].Building);
  EXPECT_EQ(cpu->cardHoursHeld, 0);
  // A window that is shut changes with the decade.
  EXPECT_TRUE(CardWindowOpen(kCardStorePublicity, 6, false));
  EXPECT_FALSE(CardWindowOpen(kCardStorePublicity, 6, true));
  EXPECT_FALSE(CardWindowOpen(kCardBadPublicity, 5, true));
}

TEST_F(AiCardsTest, OfTwoCandidatesEitherIsChosenAndTheLargerValueIsTheOneCompared) {
  // Own businesses falling short of what their stock could earn.
  const int32_t first = Business(ordinary[0], 0, 3, 2, 0.0f);
  const int32_t second = Business(ordinary[1], 0, 3, 2, 0.0f);
  g_Businesses[first].PotentialIncome = 150.0f;
  g_Businesses[second].PotentialIncome = 180.0f;
  std::set<int32_t> chosen;
  for (int round = 0; round < 16; ++round) {
    float best = 0;
    chosen.insert(FindOwnBusinessTarget(*cpu, 8, false, true, 200.0f, best));
    EXPECT_FLOAT_EQ(best, 180.0f);
  }
  EXPECT_EQ(chosen, (std::set<int32_t>{g_Businesses[first].Building, g_Businesses[second].Building}));
  // Patient, neither beats the threshold of 200: nothing is recorded and the
  // card is thrown away.
  float best = 0;
  EXPECT_EQ(FindOwnBusinessTarget(*cpu, 8, false, false, 200.0f, best), -1);
  Deal(67);
  AtHour(7);
  EXPECT_EQ(cpu->Chance().HeldCard(), 0);
  EXPECT_EQ(PlayedTarget(), -1);
  EXPECT_FALSE(ChanceDeck().IsDrawn(67)) << "discarded";
  // Once above it the card is played on one of them.
  g_Businesses[first].PotentialIncome = 210.0f;
  g_Businesses[second].PotentialIncome = 260.0f;
  Deal(67);
  AtHour(7);
  EXPECT_EQ(cpu->Chance().HeldCard(), 0);
  EXPECT_TRUE(PlayedTarget() == g_Businesses[first].Building || PlayedTarget() == g_Businesses[second].Building);
}

// A Hostile Takeover is played only on a business the player can pay for
// from its money: bought on credit, the business would put it in debt.
TEST_F(AiCardsTest, AHostileTakeoverIsPlayedOnlyOnABusinessItCanPayFor) {
  g_BusinessTypes[3].RefurbCost = 2000;  // worth the card
  const int32_t rival = Business(ordinary[0], 0, 3, 1, 9000.0f);
  // Within its credit, beyond its money.
  const float price = HostileTakeoverPrice(g_Businesses[rival]);
  cpu->money = 0.8f * price;
  ASSERT_TRUE(cpu->CanAfford(price, false));
  float best = 0;
  EXPECT_EQ(FindTakeOverTarget(*cpu, best), -1);
  Deal(73);
  AtHour(7);
  EXPECT_EQ(cpu->Chance().HeldCard(), 0);
  EXPECT_EQ(PlayedTarget(), -1);
  EXPECT_FALSE(ChanceDeck().IsDrawn(73)) << "discarded";
  // With the money to spare it takes the business over.
  cpu->money = 4.0f * price;
  EXPECT_EQ(FindTakeOverTarget(*cpu, best), g_Businesses[rival].Building);
  Deal(73);
  AtHour(7);
  EXPECT_EQ(PlayedTarget(), g_Businesses[rival].Building);
}

TEST_F(AiCardsTest, InDebtWithLittleCashANewCardIsLeftAlone) {
  GameGoal().players[1].inDebt = 1;
  cpu->money = 500;
  Deal(1);
  AtHour(9);
  EXPECT_EQ(cpu->Chance().CardState(), kCardDealt);
  EXPECT_EQ(cpu->cardHoursHeld, 0);
  EXPECT_EQ(PlayedTarget(), -1);
  // With 800 it plays the card, debt or not.
  cpu->money = 800;
  AtHour(10);
  EXPECT_EQ(cpu->Chance().CardState(), kCardNone);
  EXPECT_EQ(PlayedTarget(), 0);
}

// The AIDEBUG flag writes the computer players' card decisions to the console.
TEST_F(AiCardsTest, DebugFlagReportsPlayedCardsOnTheConsole) {
  std::vector<std::string> lines;
  const ConsoleSink before = SetConsoleSink([&](std::string_view text, int) { lines.emplace_back(text); });
  for (const bool debug : {false, true}) {
    g_DebugFlags.AIDEBUG = debug;
    lines.clear();
    ChanceDeck().Reset();
    Deal(67);  // kept, then thrown away: it has no business to aim it at
    AtHour(7);
    EXPECT_EQ(cpu->Chance().CardState(), kCardNone);
    if (!debug) {
      EXPECT_TRUE(lines.empty());
      continue;
    }
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Cpu - Discarding ", 0), 0u) << lines[0];
  }
  g_DebugFlags.AIDEBUG = 0;
  SetConsoleSink(before);
}

TEST_F(AiCardsTest, BadPublicityNeverFallsOnABlockWhereItTrades) {
  // The richest block holds one of its own shops among rivals'.
  Business(ordinary[0], 0, 3, 2, 10.0f);
  Business(ordinary[0], 3, 3, 1, 5000.0f);
  Business(ordinary[1], 0, 3, 1, 700.0f);
  float best = 0;
  EXPECT_EQ(FindRivalProfitBlock(*cpu, best), ordinary[1]);
  EXPECT_FLOAT_EQ(best, 700.0f);
  Deal(71);
  AtHour(4);
  EXPECT_EQ(PlayedTarget(), ordinary[1]);
  EXPECT_EQ(cpu->Chance().HeldCard(), 0);
}

}  // namespace
