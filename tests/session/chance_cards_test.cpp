// Chance cards on the session: the deck's deal order and exclusions, cards
// going back to the deck, the money each effect moves, the targets a kept
// card may be played on, and the card state in a save.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "city/economy_fixture.h"
#include "session/chance_cards.h"
#include "session_fixture.h"

namespace {

class ChanceCardsTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    InitBlocks();
    ResetEconomyTables();
    // Three people at three machines' worth of players, all human so that
    // the tests hand them their messages; slot 0 is the local one.
    for (int i = 0; i < 3; ++i) ASSERT_GE(PlayerTable().CreatePlayerSlot(kPlayerHuman, i, "Player"), 0);
    PlayerTable().SetLocal(PlayerTable().Get(0));
    for (int i = 0; i < 3; ++i) P(i).money = 5000.0f;
    GameClock().dayCounter = 1;
    ChanceDeck().Random().SetState(4242);
    ChanceDeck().Reset();
  }

  static CPlayer& P(int32_t i) { return *PlayerTable().Get(i); }
  static CPlayerChance& C(int32_t i) { return P(i).Chance(); }

  // The next card the deck deals; -1 when none.
  static int32_t Draw() {
    const int32_t card = ChanceDeck().DrawCard();
    return card != 0 ? card : -1;
  }
  // Posted card messages take effect at their tick.
  void Deliver() { RunTicks(int(kMessageDeliveryLead) + 1); }
  // The deck deals the named card (the card-choice message) and the player takes it.
  void Give(int32_t player, int32_t card) {
    Deliver();               // a discard before it has come back
    ChanceDeck().Shuffle();  // cards that came back are dealt again after a shuffle
    C(player).PostChanceMessage(card);
    Deliver();
    ASSERT_EQ(C(player).HeldCard(), card) << "card " << card << " is not in the deck";
  }
  // The player keeps its dealt card.
  void Keep(int32_t player) {
    C(player).KeepHeldCard();
    Deliver();
    ASSERT_EQ(C(player).CardState(), kCardKept);
  }
};

TEST_F(ChanceCardsTest, DealOrderOfASeedSkipsCardZeroAndTheLaterCardsOnTheFirstDay) {
  GameClock().dayCounter = 0;
  std::vector<int32_t> first;
  for (int i = 0; i < 20; ++i) first.push_back(Draw());
  // The first deals of seed 4242, worked out by hand from the generator.
  EXPECT_EQ(std::vector<int32_t>(first.begin(), first.begin() + 6), (std::vector<int32_t>{6, 42, 32, 5, 29, 22}));
  std::set<int32_t> distinct(first.begin(), first.end());
  EXPECT_EQ(distinct.size(), first.size()) << "a drawn card was dealt again";
  for (int32_t card : first) {
    ASSERT_TRUE(IsChanceCard(card) && card != 0) << card;
    EXPECT_EQ(GetChanceCard(card).firstDay, 1) << "card " << card << " on the first day";
    EXPECT_TRUE(ChanceDeck().IsDrawn(card));
  }
  // The same seed deals the same cards.
  ChanceDeck().Random().SetState(4242);
  ChanceDeck().Reset();
  std::vector<int32_t> again;
  for (int i = 0; i < 20; ++i) again.push_back(Draw());
  EXPECT_EQ(again, first);

  // With every first-day card out of the deck nothing more is dealt that
  // day, and the deal ends rather than shuffling for ever.
  for (int i = 0; i < kChanceCardCount; ++i) Draw();
  EXPECT_EQ(Draw(), -1);
  // From the second day the rest come too, card 0 never.
  GameClock().dayCounter = 1;
  std::set<int32_t> later;
  for (int i = 0; i < kChanceCardCount; ++i)
    if (int32_t card = Draw(); card >= 0) later.insert(card);
  for (int32_t card : {17, 34, 37, 38, 46, 47, 63, 64, 65, 82}) EXPECT_TRUE(later.count(card)) << card;
  for (int32_t card = 1; card < kChanceCardCount; ++card) EXPECT_TRUE(ChanceDeck().IsDrawn(card)) << card;
  EXPECT_FALSE(ChanceDeck().IsDrawn(0));
  EXPECT_EQ(Draw(), -1);
}

TEST_F(ChanceCardsTest, PlayedAndDiscardedCardsGoBackToTheDeckAndAKeptOneStaysOut) {
  Give(0, 33);  // collect 300 at once
  EXPECT_TRUE(ChanceDeck().IsDrawn(33));
  EXPECT_TRUE(C(0).PlayHeldCard());
  EXPECT_FALSE(C(0).PlayHeldCard()) << "played twice before the first play arrived";
  // The card leaves the hand when the play takes effect, on every machine.
  EXPECT_EQ(C(0).HeldCard(), 33);
  RunTicks(kMessageDeliveryLead + 1);
  EXPECT_EQ(C(0).HeldCard(), 0);
  EXPECT_EQ(P(0).heldCard, 0);
  EXPECT_FALSE(ChanceDeck().IsDrawn(33));
  EXPECT_FLOAT_EQ(P(0).money, 5300.0f);
  // The next card comes 20 to 28 hours on, drawn at the next hourly step.
  C(0).HourlyTick();
  EXPECT_GE(C(0).HoursToNextCard(), 20);
  EXPECT_LE(C(0).HoursToNextCard(), 28);

  Give(1, 70);  // inflated prices: kept
  Keep(1);
  Give(2, 71);  // bad publicity: kept, then thrown away
  Keep(2);
  C(2).DiscardHeldCard();
  EXPECT_EQ(C(2).HeldCard(), 71);
  Deliver();
  EXPECT_FALSE(ChanceDeck().IsDrawn(71));
  EXPECT_EQ(C(2).CardState(), kCardNone);
  // Through many shuffles the kept card is never dealt to anyone.
  for (int round = 0; round < 40; ++round) {
    const int32_t card = Draw();
    ASSERT_NE(card, 70);
    if (card > 0) ChanceDeck().ReturnCard(card);
  }
  EXPECT_TRUE(ChanceDeck().IsDrawn(70));
  EXPECT_EQ(P(1).heldCard, 70);
}

// Money each card moves, from given cash: the players' cash changes.
TEST_F(ChanceCardsTest, EffectsMoveMoneyBetweenThePlayers) {
  struct Case {
    const char* what;
    int32_t card, player;
    float cash[3];
    float change[3];
  };
  const Case cases[] = {
      {"a gift", 1, 0, {5000, 5000, 5000}, {200, 0, 0}},
      {"a fine", 10, 1, {5000, 5000, 5000}, {0, -300, 0}},
      {"a birthday: every other player pays", 16, 0, {5000, 5000, 5000}, {160, -80, -80}},
      {"a lawsuit: the player pays everyone", 43, 2, {5000, 5000, 5000}, {250, 250, -500}},
      {"charity to the poorest", 19, 2, {3000, 2000, 1000}, {0, 0, 400}},
      {"charity: a tie goes to the first", 19, 0, {1000, 1000, 3000}, {400, 0, 0}},
      {"charity: the second of a tie gets nothing", 19, 1, {1000, 1000, 3000}, {0, 0, 0}},
      {"wealth tax: the richest pays the poorest", 20, 2, {2000, 1000, 3000}, {0, 400, -400}},
      {"wealth tax: only the richest pays", 20, 1, {2000, 2500, 3000}, {0, 0, 0}},
      {"railroad maintenance without railroads", 22, 0, {5000, 5000, 5000}, {0, 0, 0}},
      {"licences without businesses", 18, 0, {5000, 5000, 5000}, {0, 0, 0}},
      {"card 0: an effect no card has does nothing", 0, 0, {5000, 5000, 5000}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    for (int i = 0; i < 3; ++i) P(i).money = c.cash[i];
    ApplyChanceCardEffect(PlayCardMsg{c.card, PlayerIndex{c.player}, 0});
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(P(i).money - c.cash[i], c.change[i]) << c.what << ", player " << i;
  }
  // Card money goes to its own ledger lines.
  EXPECT_GT(P(0).Today()[kLedgerCardIncome], 0.0f);
  EXPECT_LT(P(1).Today()[kLedgerCardPayment], 0.0f);
  // Another player's birthday is announced to the local player with what
  // the present cost; the local player's own cards are not.
  ClearGameEvents();
  ApplyChanceCardEffect(PlayCardMsg{16, PlayerIndex{0}, 0});
  ApplyChanceCardEffect(PlayCardMsg{16, PlayerIndex{1}, 0});
  std::vector<ChanceCardEvent> told;
  for (const GameEvent& e : TakeGameEvents())
    if (const auto* card = std::get_if<ChanceCardEvent>(&e)) told.push_back(*card);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].player, 1);
  EXPECT_TRUE(told[0].localTouched);
  EXPECT_FLOAT_EQ(told[0].localAmount, 80.0f);
}

TEST_F(ChanceCardsTest, UtilityCardsPayTheUtilitysOwnerUnlessThePlayerOwnsIt) {
  EconomyTest::DefineCommodity(1, 2.0f, 1.5f);
  EconomyTest::DefineShopType(3, {1});
  g_BusinessTypes[3].ElectricalNeed = 1.0f;
  for (int32_t x : {0, 2}) EconomyTest::Open(3, 1, EconomyTest::Place(12, x, 0, x + 1, 1, 1));
  // Money moved by a card from here, per player.
  auto play = [](int32_t card, int32_t player) {
    const float before[2] = {P(0).money, P(1).money};
    ApplyChanceCardEffect(PlayCardMsg{card, PlayerIndex{player}, 0});
    return std::vector<float>{P(0).money - before[0], P(1).money - before[1]};
  };
  constexpr int32_t kPowerSurcharge = 25;  // 6 a business to the electricity company's owner
  g_Blocks[42].Owner = 2;
  EXPECT_EQ(play(kPowerSurcharge, 0), (std::vector<float>{-12, 12}));
  // The player who owns the utility pays nobody.
  g_Blocks[42].Owner = 1;
  EXPECT_EQ(play(kPowerSurcharge, 0), (std::vector<float>{0, 0}));
  // The electricity company's owner refunds each other player's users.
  constexpr int32_t kRefundUsers = 56;  // 10 a business using electricity
  g_Blocks[42].Owner = 2;
  EXPECT_EQ(play(kRefundUsers, 1), (std::vector<float>{20, -20}));
  EXPECT_EQ(play(kRefundUsers, 0), (std::vector<float>{0, 0})) << "only the owner refunds";
  // Waiving the charges turns the utility's switch off.
  constexpr int32_t kWaiveElectricity = 29;
  play(kWaiveElectricity, 1);
  EXPECT_EQ(GetUtilityIncome().enabled[kUtilityElectricity], 0);
  // Licences: 20 a business.
  EXPECT_EQ(play(18, 0), (std::vector<float>{-40, 0}));
}

TEST_F(ChanceCardsTest, AKeptCardIsPlayedOnlyOnATargetItsRulesAllow) {
  EconomyTest::DefineCommodity(1, 2.0f, 1.5f);
  EconomyTest::DefineShopType(3, {1});
  int32_t ordinary = -1, railroad = -1;
  for (int32_t b = 0; b < kBlockCount; ++b) {
    const int32_t d = g_BlockDefs[b].District;
    if (d == 10 && railroad < 0) railroad = b;
    if (d != 0 && d != 10 && d != 11 && ordinary < 0 && b != 12) ordinary = b;
  }
  ASSERT_GE(ordinary, 0);
  ASSERT_GE(railroad, 0);
  g_Blocks[12].Owner = 1;
  g_BlockDefs[12].District = g_BlockDefs[ordinary].District;
  const int32_t mine = EconomyTest::Place(12, 0, 0, 1, 1, 1);
  EconomyTest::Open(3, 1, mine);
  const int32_t theirs = EconomyTest::Place(12, 3, 0, 4, 1, 1);
  EconomyTest::Open(3, 2, theirs);
  const int32_t scaffolded = EconomyTest::Place(12, 0, 3, 1, 4, 1);
  EconomyTest::Open(3, 2, scaffolded);
  g_Buildings[size_t(scaffolded)].Status = kStatusPhase1;

  struct Case {
    int32_t card, block, building, target;
  };
  const Case cases[] = {
      {65, -1, theirs, theirs},  // store strike: a rival's business
      {65, -1, mine, -1},
      {65, -1, scaffolded, -1},  // not while it is being built
      {67, -1, mine, mine},      // store publicity: one's own
      {67, -1, theirs, -1},
      {73, -1, theirs, theirs},  // hostile takeover
      {66, ordinary, -1, ordinary},  // shopping centre publicity: a block, no building
      {66, ordinary, theirs, -1},
      {66, railroad, -1, -1},
      {71, 12, -1, -1},  // bad publicity: not one's own block
      {71, ordinary, -1, ordinary},
      {72, 12, -1, 12},  // early lease expiry: one's own block only
      {72, ordinary, -1, -1},
  };
  for (const Case& c : cases) {
    Give(0, c.card);
    Keep(0);
    C(0).SetTarget(c.block, c.building);
    EXPECT_EQ(C(0).ValidateTarget(), c.target) << "card " << c.card << " on " << c.block << "/" << c.building;
    EXPECT_EQ(C(0).TargetValid(), c.target >= 0);
    C(0).DiscardHeldCard();
  }
  // Without a target the card stays in the hand.
  Give(0, 65);
  Keep(0);
  C(0).SetTarget(-1, mine);
  EXPECT_FALSE(C(0).PlayHeldCard());
  EXPECT_EQ(C(0).HeldCard(), 65);
  EXPECT_EQ(C(0).CardState(), kCardKept);
  EXPECT_TRUE(PostedMessages().empty());
  // A card held is played at once on no target; nothing is held, nothing to aim.
  C(0).DiscardHeldCard();
  EXPECT_EQ(C(0).ValidateTarget(), -1);
  Give(0, 1);
  EXPECT_EQ(C(0).ValidateTarget(), 0);

  // The host takes a play only from the player's own machine, of a card
  // that was dealt, on a target of the right kind.
  EXPECT_TRUE(ChanceCardPlayAllowed(PlayCardMsg{1, PlayerIndex{0}, 0}, 1));
  EXPECT_FALSE(ChanceCardPlayAllowed(PlayCardMsg{1, PlayerIndex{0}, 0}, 2));
  EXPECT_FALSE(ChanceCardPlayAllowed(PlayCardMsg{2, PlayerIndex{0}, 0}, 1));
  ASSERT_TRUE(ChanceDeck().DealCard(66));
  EXPECT_TRUE(ChanceCardPlayAllowed(PlayCardMsg{66, PlayerIndex{1}, ordinary}, 0));
  EXPECT_FALSE(ChanceCardPlayAllowed(PlayCardMsg{66, PlayerIndex{1}, kBlockCount}, 0));
}

TEST_F(ChanceCardsTest, TheDeckAndTheHeldCardsComeBackFromASave) {
  Give(1, 70);
  Keep(1);
  Draw();
  const CChanceDeck::Saved deck = ChanceDeck().Save();
  const CPlayerChance::Saved held = C(1).Save();
  ASSERT_TRUE(SaveGame("cards"));
  ChanceDeck().Reset();
  PlayerTable().DeleteAllPlayers();
  SaveGameFile file;
  ASSERT_TRUE(OpenSaveGame("cards", file));
  ApplySaveChunks(file, kSaveAll);
  FinishChanceLoad();
  EXPECT_EQ(ChanceDeck().Save().order, deck.order);
  EXPECT_EQ(ChanceDeck().Save().drawn, deck.drawn);
  EXPECT_EQ(ChanceDeck().Save().randomState, deck.randomState);
  EXPECT_EQ(C(1).HeldCard(), 70);
  EXPECT_EQ(C(1).CardState(), kCardKept);
  EXPECT_EQ(C(1).HoursToNextCard(), held.hours);
  EXPECT_EQ(P(1).heldCard, 70);
  EXPECT_EQ(P(1).QueuedMessages(), 0u) << "a restored card is not dealt again";

  // A card held that the deck still holds, or held twice, refuses the file.
  auto lying = std::make_unique<ChanceSavedState>();
  lying->deck = deck;
  lying->players[1].present = 1;
  lying->players[1].chance = held;
  EXPECT_TRUE(DecodeRecord(EncodeRecord(*lying), *std::make_unique<ChanceSavedState>()));
  lying->deck.drawn[70] = 0;
  EXPECT_FALSE(DecodeRecord(EncodeRecord(*lying), *std::make_unique<ChanceSavedState>()));
  lying->deck.drawn[70] = 1;
  lying->players[2] = lying->players[1];
  EXPECT_FALSE(DecodeRecord(EncodeRecord(*lying), *std::make_unique<ChanceSavedState>()));
  lying->players[2] = ChanceSavedPlayer{};
  lying->deck.order[0] = 70;  // a drawn card among those to deal
  lying->deck.count = std::max(lying->deck.count, 1);
  EXPECT_FALSE(DecodeRecord(EncodeRecord(*lying), *std::make_unique<ChanceSavedState>()));
}

// Every machine counts down every player's hours and deals from the one deck
// at the hourly step, so all of them hold the same cards; a client may choose
// only for its own player.
TEST_F(ChanceCardsTest, EveryPlayersCardIsDealtAtTheHourlyStepOnEveryMachine) {
  for (int hour = 0; hour < 30; ++hour)
    for (int32_t i = 0; i < 3; ++i) C(i).HourlyTick();
  std::set<int32_t> held;
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(C(i).CardState(), kCardDealt) << "player " << i;
    EXPECT_TRUE(ChanceDeck().IsDrawn(C(i).HeldCard()));
    held.insert(C(i).HeldCard());
  }
  EXPECT_EQ(held.size(), 3u);
  EXPECT_TRUE(CardChoiceAllowed(CardChoiceMsg{kCardChoiceKeep, PlayerIndex{1}, C(1).HeldCard()}, 2));
  EXPECT_TRUE(CardChoiceAllowed(CardChoiceMsg{kCardChoiceKeep, PlayerIndex{1}, C(1).HeldCard()}, 0));
  EXPECT_FALSE(CardChoiceAllowed(CardChoiceMsg{kCardChoiceDiscard, PlayerIndex{1}, C(1).HeldCard()}, 3));
  EXPECT_FALSE(CardChoiceAllowed(CardChoiceMsg{kCardChoiceDeal, PlayerIndex{5}, 3}, 0));
}

}  // namespace
