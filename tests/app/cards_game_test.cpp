// A game week of the free-play level through the game's own wiring: a
// stand-in for the human at slot 0 and three computer players are dealt
// chance cards, and both sides play them.
#include <gtest/gtest.h>

#include <cstring>

#include "ai/computer_player.h"
#include "app/game.h"
#include "app/game_parts.h"
#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "script/profiles.h"
#include "session/auction.h"
#include "session/chance_cards.h"
#include "session/game_clock.h"
#include "session/game_messages.h"
#include "session/player.h"
#include "session/tick_driver.h"
#include "started_game.h"

namespace {

// What a person at the local machine does with cards: plays one that cannot
// be kept, keeps one that can and plays it on the first target its rules
// allow, else throws it away; in an auction it pulls out on its turn.
struct HumanStandIn {
  int32_t played = 0;
  int32_t discarded = 0;

  void Step() {
    CPlayer& me = *PlayerTable().Local();
    if (const CAuction* a = CurrentAuction(); a && AuctionRunning() && a->turn == me.index)
      Post(AuctionStepMsg{kAuctionMovePullOut, PlayerIndex{me.index}, 0});
    CPlayerChance& chance = me.Chance();
    if (chance.CardState() == kCardDealt) {
      if (!chance.IsHeldCardKeepable()) {
        chance.ShowHeldCard();  // the chance icon: played at once
        ++played;
        return;
      }
      chance.SetCardState(kCardKept);
    }
    if (chance.CardState() != kCardKept) return;
    for (int32_t b = 0; b < kBuildingPoolSize && !chance.TargetValid(); ++b)
      if (g_Buildings[size_t(b)].InUse) chance.SetTarget(-1, b);
    for (int32_t block = 0; block < kBlockCount && !chance.TargetValid(); ++block) chance.SetTarget(block, -1);
    if (chance.PlayHeldCard()) {
      ++played;
    } else {
      chance.DiscardHeldCard();
      ++discarded;
    }
  }
};

class CardsGameTest : public StartedGameTest {
 protected:
  void SetUp() override { OpenStartedGame("cards_game_test"); }
  void TearDown() override { CloseStartedGame(); }
};

TEST_F(CardsGameTest, AWeekOfCardsPlayedByTheHumanAndTheComputerPlayers) {
  PlayerTable().ClearPlayerSetupRows();
  const int32_t characters[4] = {-1, 1, 2, 0};
  const char* names[4] = {"Me", "Cart", "Dog", "Car"};
  for (int32_t row = 0; row < 4; ++row) {
    PlayerSetupRow& r = PlayerTable().SetupRow(row);
    r.kind = row == 0 ? kPlayerHuman : kPlayerComputer;
    r.character = row == 0 ? 0 : characters[row];
    std::strcpy(r.name, names[row]);
  }
  TheGame().SetNewGameSeed(2024u);
  TheGame().NewGame(&FreePlayLevel());
  ASSERT_EQ(PlayerTable().ActiveCount(), 4);
  ASSERT_EQ(PlayerTable().Local(), PlayerTable().Get(0));

  HumanStandIn human;
  const uint32_t end = RunningTick() + 7u * kTicksPerDay;
  for (int guard = 0; RunningTick() < end && guard < 4000000; ++guard) {
    RunLogicTicks();
    TheGame().DrainGameEvents();
    human.Step();
  }
  EXPECT_GE(RunningTick(), end) << "the week stalled";
  EXPECT_GE(human.played, 2);
  int32_t computersPlayed = 0, computersDealt = 0;
  for (int32_t slot = 1; slot < 4; ++slot) {
    const CPlayerAI* ai = ComputerPlayer(slot);
    ASSERT_NE(ai, nullptr);
    computersPlayed += ai->tally.cardsPlayed;
    computersDealt += ai->tally.cardsPlayed + ai->tally.cardsDiscarded + (ai->Chance().HeldCard() != 0);
  }
  EXPECT_GE(computersPlayed, 3);
  EXPECT_GE(computersDealt, 6);
  // Every held card is out of the deck, every other one in it or played.
  for (int32_t slot = 0; slot < 4; ++slot) {
    const int32_t card = PlayerTable().Get(slot)->Chance().HeldCard();
    if (card != 0) {
      EXPECT_TRUE(ChanceDeck().IsDrawn(card)) << card;
    }
  }
}

}  // namespace
