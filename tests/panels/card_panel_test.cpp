// The card panel: what it shows for each kind of card, its buttons' moves
// on the local player's card, and another player's card announced.
#include "panels_fixture.h"

#include "panels/panel_events.h"
#include "session/chance_cards.h"
#include "session/event_queue.h"
#include "session/game_messages.h"

namespace {

class CardPanelTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    me = AddPlayer("Ann", 1);
    AddPlayer("Bob", 2);
    ChanceDeck().Reset();
  }
  // The card messages posted take effect at their tick, on every machine.
  static void Deliver() {
    for (uint32_t i = 0; i <= kMessageDeliveryLead; ++i) {
      ++LogicTick();
      EventQueue().DispatchDue();
    }
  }
  // The deck deals the card to the local player, who shows it.
  void DealAndShow(int32_t card) {
    ChanceDeck().Shuffle();
    me->Chance().PostChanceMessage(card);
    Deliver();
    ASSERT_EQ(me->Chance().HeldCard(), card);
    me->Chance().ShowHeldCard();
    for (const GameEvent& e : TakeGameEvents()) HandlePanelGameEvent(e);
  }
  std::vector<int32_t> Shown() {
    std::vector<int32_t> ids;
    for (int32_t id = 0; id < 4; ++id)
      if (Hud().card.ButtonShown(id)) ids.push_back(id);
    return ids;
  }
  void Click(int32_t id) { Hud().card.OnEvent(kNotifyClicked, id, 0); }

  CPlayer* me = nullptr;
};

TEST_F(CardPanelTest, AMoneyCardShowsItsAmountAndOkAndIsPlayedAtOnce) {
  CCardPanel& panel = Hud().card;
  DealAndShow(33);
  ASSERT_TRUE(panel.open);
  EXPECT_EQ(Joined(panel.mainText), "A film crew rents your premises. Collect $300.00.");
  EXPECT_EQ(Shown(), (std::vector<int32_t>{kCardButtonOk}));
  Deliver();
  EXPECT_EQ(me->Chance().HeldCard(), 0) << "played when shown";
  Click(kCardButtonOk);
  EXPECT_FALSE(panel.open);
}

TEST_F(CardPanelTest, AKeptCardIsUsedOnlyOnceAimedAndCanBeThrownAway) {
  CCardPanel& panel = Hud().card;
  DealAndShow(66);  // shopping centre publicity: a block
  EXPECT_EQ(Shown(), (std::vector<int32_t>{kCardButtonKeep, kCardButtonDiscard}));
  Click(kCardButtonKeep);
  EXPECT_FALSE(panel.open);
  Deliver();
  EXPECT_EQ(me->Chance().CardState(), kCardKept);
  // Kept, with no target: no use button, and a use keeps the card.
  me->Chance().ShowHeldCard();
  for (const GameEvent& e : TakeGameEvents()) HandlePanelGameEvent(e);
  EXPECT_EQ(Shown(), (std::vector<int32_t>{kCardButtonKeep, kCardButtonDiscard}));
  Click(kCardButtonUse);
  EXPECT_EQ(me->Chance().HeldCard(), 66);
  EXPECT_TRUE(panel.open);
  // Aimed at a block of an ordinary district, it can be used.
  int32_t block = 0;
  while (g_BlockDefs[block].District == 0 || g_BlockDefs[block].District >= 10) ++block;
  me->Chance().SetTarget(block, -1);
  panel.SetCard(66);
  EXPECT_EQ(Shown(), (std::vector<int32_t>{kCardButtonUse, kCardButtonKeep, kCardButtonDiscard}));
  Click(kCardButtonUse);
  EXPECT_FALSE(panel.open);
  Deliver();
  EXPECT_EQ(me->Chance().HeldCard(), 0);
  // Another kept card thrown away goes back to the deck.
  DealAndShow(71);
  Click(kCardButtonDiscard);
  Deliver();
  EXPECT_EQ(me->Chance().CardState(), kCardNone);
  EXPECT_FALSE(ChanceDeck().IsDrawn(71));
}

TEST_F(CardPanelTest, AnotherPlayersCardIsAnnouncedWithWhatItCostTheLocalPlayer) {
  ApplyChanceCardEffect(PlayCardMsg{16, PlayerIndex{1}, 0});  // Bob's birthday
  for (const GameEvent& e : TakeGameEvents()) HandlePanelGameEvent(e);
  const PromptRecord* shown = CurrentPrompt().Head();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(Joined(shown->lines[0]), "A chance card is played");
  // The announcement, then what it cost on a line of its own, and no line
  // between them.
  const CTextRect& main = shown->lines[1];
  ASSERT_GE(main.LineCount(), 2);
  EXPECT_EQ(main.LineText(0).rfind("It is Bob's birthday", 0), 0u) << main.LineText(0);
  std::string cost;
  for (int32_t l = 0; l < main.LineCount(); ++l)
    if (!cost.empty() || main.LineText(l).rfind("Your present", 0) == 0) cost += (cost.empty() ? "" : " ") + main.LineText(l);
  EXPECT_EQ(cost, "Your present cost you $80.00.");
  for (int32_t l = 0; l < main.LineCount(); ++l) {
    EXPECT_NE(main.LineText(l).find_first_not_of(' '), std::string::npos) << "line " << l << " is empty";
    EXPECT_NE(main.LineText(l), "n");
    EXPECT_NE(main.LineText(l), " n");
  }
}

}  // namespace
