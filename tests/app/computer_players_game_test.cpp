// Three computer players and no human play the free-play level for ten game
// days through the game's own wiring: each buys blocks at auction, builds,
// opens businesses and sets their prices. Two runs from one seed end alike,
// and a save and load midway carries on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <variant>
#include <vector>

#include "ai/ai_sites.h"
#include "ai/business_valuation.h"
#include "ai/computer_player.h"
#include "app/game.h"
#include "app/game_parts.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/people.h"
#include "city/person.h"
#include "city/city_services.h"
#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/core/play_warning.h"
#include "engine/core/memory.h"
#include "engine/core/run_state.h"
#include "session/save_chunks.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "script/profiles.h"
#include "script/script.h"
#include "session/auction.h"
#include "session/game_clock.h"
#include "session/game_events.h"
#include "session/goals.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/tick_driver.h"
#include "started_game.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
  CSyncSnapshot snapshot;
  int32_t money[3] = {};
};

class ComputerPlayersGameTest : public StartedGameTest {
 protected:
  // At the program's first difficulty, whatever level an earlier test played.
  void SetUp() override {
    OpenStartedGame("ai_game_test");
    ScenarioManager().SetDifficulty(0);
  }
  void TearDown() override { CloseStartedGame(); }

  static void SetUpPlayers(int32_t count = 3) {
    PlayerTable().ClearPlayerSetupRows();
    const int32_t characters[6] = {1, 2, 0, 3, 4, 5};  // bidder, shopkeeper, landlord, towers, prestige, night owl
    const char* names[6] = {"Cart", "Dog", "Car", "Rocket", "Crown", "Horse"};
    for (int32_t row = 0; row < count; ++row) {
      PlayerSetupRow& r = PlayerTable().SetupRow(row);
      r.kind = kPlayerComputer;
      r.character = characters[row];
      std::strcpy(r.name, names[row]);
    }
  }

  static void RunDays(int32_t days) {
    const uint32_t end = RunningTick() + static_cast<uint32_t>(days) * kTicksPerDay;
    for (int guard = 0; RunningTick() < end && guard < 4000000; ++guard) {
      RunLogicTicks();
      TheGame().DrainGameEvents();
    }
  }

  static RunResult Result() {
    RunResult r;
    r.snapshot = ComputeSyncSnapshot();
    for (int32_t i = 0; i < 3; ++i) r.money[i] = static_cast<int32_t>(PlayerTable().Get(i)->money);
    return r;
  }

};

TEST_F(ComputerPlayersGameTest, TenDaysOfThreeComputerPlayers) {
  auto play = [this](bool saveMidway) {
    SetUpPlayers();
    TheGame().SetNewGameSeed(1234u);
    TheGame().NewGame(&FreePlayLevel());
    EXPECT_EQ(PlayerTable().ActiveCount(), 3);
    RunDays(5);
    if (saveMidway) ExecuteConsoleCommand("SAVEGAME mid");
    RunDays(5);
    return Result();
  };
  const RunResult saved = play(true);
  for (int32_t i = 0; i < 3; ++i) {
    const CPlayerAI* ai = ComputerPlayer(i);
    ASSERT_NE(ai, nullptr);
    int32_t owned = 0;
    for (int8_t b : ai->ownedBlocks) owned += b;
    EXPECT_GT(ai->tally.blockRequests, 0) << ai->name;
    // The landlord keeps its money back and may lease nothing in ten days.
    if (ai->characterRow != 0) {
      EXPECT_GT(owned, 0) << ai->name << " bought no block";
    }
    EXPECT_GT(ai->tally.bids, 0) << ai->name << " never bid";
    EXPECT_GT(ai->tally.constructions, 0) << ai->name << " built nothing";
    EXPECT_GT(GetNumBusinessesOwned(i), 0) << ai->name << " opened no business";
    EXPECT_GT(ai->tally.priceRounds, 0) << ai->name << " never set its prices";
  }

  // Two more games from the same seed end as the first did: a new game
  // starts from the same state whatever the program ran before it.
  TheGame().EndGame(false, 0);
  const RunResult second = play(false);
  TheGame().EndGame(false, 0);
  const RunResult third = play(false);
  for (const RunResult* other : {&second, &third}) {
    EXPECT_EQ(other->snapshot.people, saved.snapshot.people);
    EXPECT_EQ(other->snapshot.buildings, saved.snapshot.buildings);
    EXPECT_EQ(other->snapshot.businesses, saved.snapshot.businesses);
    EXPECT_EQ(other->snapshot.players, saved.snapshot.players);
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(other->money[i], saved.money[i]) << i;
  }

  // The load rebuilds the computer players from the saved game and they
  // play on: registries match what they own, and they keep trading and
  // pricing (a failing business may be sold, so the count of businesses
  // may fall).
  ExecuteConsoleCommand("LOADGAME mid");
  ASSERT_EQ(std::count(replies_.begin(), replies_.end(), std::string("File mid loaded successfully")), 1);
  int32_t roundsBefore[3] = {};
  for (int32_t i = 0; i < 3; ++i) {
    CPlayerAI* ai = ComputerPlayer(i);
    ASSERT_NE(ai, nullptr);
    roundsBefore[i] = ai->tally.priceRounds;
    int32_t owned = 0;
    for (int8_t b : ai->ownedBlocks) owned += b;
    EXPECT_EQ(ai->CountRegisteredBlocks(), owned);
  }
  RunDays(5);
  // (A player under the debt warning leaves its housekeeping be.)
  int32_t activity = 0, rounds = 0;
  for (int32_t i = 0; i < 3; ++i) {
    const CPlayerAI& ai = *ComputerPlayer(i);
    activity += ai.tally.bids + ai.tally.constructions + ai.tally.blockRequests;
    rounds += ai.tally.priceRounds - roundsBefore[i];
  }
  EXPECT_GT(activity, 0);
  EXPECT_GE(rounds, 5);
}

// What a computer player built and bought, where its character shows.
struct CharacterFigures {
  int32_t homes = 0, shops = 0, businesses = 0, auctionsWon = 0;
  // Shops that open in the evening, and the lots they stand on.
  int32_t nightShops = 0, nightLots = 0;
  float quality = 0, lots = 0, floors = 0;
};

CharacterFigures FiguresOf(int32_t slot) {
  CharacterFigures f;
  int32_t buildings = 0, quality = 0, lots = 0, floors = 0;
  for (const CBusiness& b : g_Businesses) {
    if (!b.InUse || b.Owner != slot + 1) continue;
    ++f.businesses;
    f.homes += b.Type == kTypeApartments;
    f.shops += b.Kind == kBusinessShop;
    const bool night = b.Kind == kBusinessShop && !IsDayBusiness(b.Type);
    f.nightShops += night;
    if (const CBuilding* building = b.GetBuilding()) {
      ++buildings;
      quality += building->Quality;
      floors += building->Floors;
      const int32_t area = (building->X2 - building->X1 + 1) * (building->Z2 - building->Z1 + 1);
      lots += area;
      if (night) f.nightLots += area;
    }
  }
  f.quality = static_cast<float>(quality) / static_cast<float>(std::max(buildings, 1));
  f.lots = static_cast<float>(lots) / static_cast<float>(std::max(buildings, 1));
  f.floors = static_cast<float>(floors) / static_cast<float>(std::max(buildings, 1));
  if (const CPlayerAI* ai = ComputerPlayer(slot)) f.auctionsWon = ai->tally.auctionsWon;
  return f;
}

// Each character plays a month against the all-rounder, on one seed: its
// trait shows in its figures against the all-rounder's.
TEST_F(ComputerPlayersGameTest, EachCharacterShowsItsTraitAgainstTheAllRounder) {
  constexpr int32_t kAllRounder = 9;
  using Shows = bool (*)(const CharacterFigures& c, const CharacterFigures& n);
  const struct {
    int32_t character;
    const char* trait;
    Shows shows;
  } cases[] = {
      {0, "the landlord builds homes", [](auto& c, auto& n) { return c.homes > n.homes; }},
      {2, "the shopkeeper opens more shops, and no homes",
       [](auto& c, auto& n) { return c.shops > n.shops && c.homes == 0; }},
      {3, "the tower builder runs a few, no more than its limit of 6, and builds them taller",
       [](auto& c, auto& n) { return c.businesses <= 6 && c.businesses < n.businesses && c.floors > n.floors + 1.0f; }},
      {4, "the prestige seeker builds better", [](auto& c, auto& n) { return c.quality > n.quality; }},
      {5, "the night owl trades more at night",
       [](auto& c, auto& n) { return c.nightShops >= n.nightShops && c.nightLots > n.nightLots; }},
      {7, "the speculator wins more blocks", [](auto& c, auto& n) { return c.auctionsWon > n.auctionsWon; }},
  };
  // The sanitizer build, many times slower, plays the first month only.
#if defined(__SANITIZE_ADDRESS__)
  constexpr size_t kCases = 1;
#else
  constexpr size_t kCases = std::size(cases);
#endif
  for (size_t i = 0; i < kCases; ++i) {
    const auto& c = cases[i];
    PlayerTable().ClearPlayerSetupRows();
    for (int32_t row = 0; row < 2; ++row) {
      PlayerSetupRow& r = PlayerTable().SetupRow(row);
      r.kind = kPlayerComputer;
      r.character = row == 0 ? c.character : kAllRounder;
      std::strcpy(r.name, row == 0 ? "Trait" : "Neutral");
    }
    TheGame().SetNewGameSeed(2u);
    TheGame().NewGame(&FreePlayLevel());
    RunDays(30);
    const CharacterFigures mine = FiguresOf(0), neutral = FiguresOf(1);
    EXPECT_TRUE(c.shows(mine, neutral))
        << c.trait << ": homes " << mine.homes << "/" << neutral.homes << " shops " << mine.shops << "/"
        << neutral.shops << " businesses " << mine.businesses << "/" << neutral.businesses << " quality "
        << mine.quality << "/" << neutral.quality << " lots " << mine.lots << "/" << neutral.lots << " auctions won "
        << mine.auctionsWon << "/" << neutral.auctionsWon << " floors " << mine.floors << "/" << neutral.floors
        << " night shops " << mine.nightShops << "/"
        << neutral.nightShops << " night lots " << mine.nightLots << "/" << neutral.nightLots;
    TheGame().EndGame(false, 0);
    boxes_.clear();
  }
}

// The six default rivals play three weeks together: none stalls after its
// first buildings (each runs at least three businesses, more than after its
// first day) and none spends more than half the city's hours waiting for a
// strategy. Three weeks, in the sanitizer build too: the tower builder, which
// keeps a fifth of its worth for its floors, may still run two businesses on
// day 10. This is one game; the characters' traits and the spread of the
// auctions over many games are the verdict of `bench_ai_game --days 60`.
TEST_F(ComputerPlayersGameTest, SixCharactersKeepPlayingTogether) {
  constexpr int32_t kDays = 21;
  SetUpPlayers(6);
  TheGame().SetNewGameSeed(1u);
  TheGame().NewGame(&FreePlayLevel());
  int64_t ticks = 0, waiting[6] = {};
  int32_t firstDay[6] = {};
  for (int32_t day = 0; day < kDays; ++day) {
    const uint32_t end = RunningTick() + kTicksPerDay;
    for (int guard = 0; RunningTick() < end && guard < 400000; ++guard) {
      const uint32_t before = RunningTick();
      RunLogicTicks();
      TheGame().DrainGameEvents();
      const uint32_t ran = RunningTick() - before;
      ticks += ran;
      for (int32_t i = 0; i < 6; ++i)
        if (ComputerPlayer(i)->plan.tactic == 9) waiting[i] += ran;
    }
    if (day == 0)
      for (int32_t i = 0; i < 6; ++i) firstDay[i] = GetNumBusinessesOwned(i);
  }
  for (int32_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(ComputerPlayer(i)->name);
    const int32_t businesses = GetNumBusinessesOwned(i);
    EXPECT_GE(businesses, 3);
    EXPECT_GT(businesses, firstDay[i]);
    EXPECT_LE(waiting[i] * 2, ticks) << "waited " << waiting[i] << " of " << ticks << " ticks";
  }
}

// The speculator spends its cash on blocks in its first days and is in the
// red at the second midnight, warned; the next morning's takings lift it
// above zero, and it spends again. It stays warned until the midnight that
// checks its debt, so it holds back and raises money, and is still in the
// game, rich in blocks, after that midnight.
TEST_F(ComputerPlayersGameTest, AWarnedPlayerBackInTheBlackStaysWarnedUntilMidnight) {
  PlayerTable().ClearPlayerSetupRows();
  const int32_t characters[2] = {7, 9};  // the speculator and the all-rounder
  for (int32_t row = 0; row < 2; ++row) {
    PlayerSetupRow& r = PlayerTable().SetupRow(row);
    r.kind = kPlayerComputer;
    r.character = characters[row];
    std::strcpy(r.name, row == 0 ? "Ship" : "Trumpet");
  }
  TheGame().SetNewGameSeed(1u);
  TheGame().NewGame(&FreePlayLevel());
  bool warned = false, warnedInTheBlack = false;
  const uint32_t end = RunningTick() + 4u * kTicksPerDay;
  for (int guard = 0; RunningTick() < end && guard < 4000000; ++guard) {
    RunLogicTicks();
    TheGame().DrainGameEvents();
    const CPlayerAI* ai = ComputerPlayer(0);
    ASSERT_NE(ai, nullptr);
    ASSERT_NE(ai->inUse, 0) << "the speculator went bankrupt on day " << GameClock().dayCounter;
    warned |= IsInDebtWarning(0);
    warnedInTheBlack |= IsInDebtWarning(0) && ai->money >= 0.0f && ai->warned24h != 0;
  }
  EXPECT_TRUE(warned) << "the game no longer meets the debt it was written for";
  EXPECT_TRUE(warnedInTheBlack);
  EXPECT_EQ(PlayerTable().ActiveCount(), 2);
}

// Six computer players over two weeks. A one-off purchase asks for its
// block once: when that auction ends (lost, unsold, or won before the block
// changes hands) the same block is not put up again as the room closes. And
// no player ever runs or has under way more businesses than its character's
// limit, whichever way it builds (centres, hotels, buy-outs).
TEST_F(ComputerPlayersGameTest, AuctionsAreNotRepeatedAndTheBusinessLimitHolds) {
  SetUpPlayers(6);
  TheGame().SetNewGameSeed(1u);
  TheGame().NewGame(&FreePlayLevel());
  int32_t serial = AuctionSerial(), previousBlock = -1, auctions = 0, repeats = 0;
  int32_t over[6] = {};
  const uint32_t end = RunningTick() + 14u * kTicksPerDay;
  for (int guard = 0; RunningTick() < end && guard < 4000000; ++guard) {
    RunLogicTicks();
    TheGame().DrainGameEvents();
    if (AuctionSerial() != serial) {
      serial = AuctionSerial();
      ++auctions;
      const int32_t block = AuctionBlock();
      repeats += block == previousBlock;
      previousBlock = block;
    }
    for (int32_t i = 0; i < 6; ++i) {
      const CPlayerAI* ai = ComputerPlayer(i);
      const AiCharacter* c = ai ? ai->Character() : nullptr;
      if (c && c->businessLimit > 0 && BusinessesInHand(*ai) > c->businessLimit) ++over[i];
    }
  }
  EXPECT_GT(auctions, 10);
  EXPECT_EQ(repeats, 0) << "of " << auctions << " auctions";
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(over[i], 0) << ComputerPlayer(i)->name;
}

class ComputerPlayersSoakTest : public ComputerPlayersGameTest {};

// Six computer players on the game's start-up files (so the people find
// homes, work and shops) play three weeks, the game saved and loaded at
// the end of every day: each load has the saved game's checksums (the
// traffic aside, which saves do not keep), nothing warns, everyone keeps a
// home, and nobody goes bankrupt in these first weeks. Four seeds, each
// three weeks of auctions, refusals and debts met across the loads (on seed
// 3 a player in debt meets back-to-back auctions near its deadline).
TEST_F(ComputerPlayersSoakTest, ThreeWeeksSavedAndLoadedEveryDay) {
  // The sanitizer build, many times slower, plays a shorter stretch.
#if defined(__SANITIZE_ADDRESS__)
  constexpr int32_t kDays = 4;
  const std::vector<uint32_t> seeds = {2u};
#else
  constexpr int32_t kDays = 21;
  const std::vector<uint32_t> seeds = {2u, 3u, 4u, 5u};
#endif
  for (const uint32_t seed : seeds) {
    SCOPED_TRACE(seed);
    SetUpPlayers(6);
    TheGame().SetNewGameSeed(seed);
    TheGame().NewGame(&FreePlayLevel());
    const int32_t warnings = PlayWarningCount();
    for (int32_t day = 1; day <= kDays; ++day) {
      SCOPED_TRACE(day);
      RunDays(1);
      const CSyncSnapshot saved = ComputeSyncSnapshot();
      ASSERT_TRUE(TheGame().Save("soak"));
      ASSERT_TRUE(TheGame().Load("soak"));
      const CSyncSnapshot loaded = ComputeSyncSnapshot();
      EXPECT_EQ(loaded.people, saved.people);
      EXPECT_EQ(loaded.buildings, saved.buildings);
      EXPECT_EQ(loaded.businesses, saved.businesses);
      EXPECT_EQ(loaded.players, saved.players);
      int32_t homeless = 0;
      for (const CPerson& p : g_People) homeless += p.InUse && p.Kind != kTourist && !p.IsHoused();
      EXPECT_EQ(homeless, 0);
      ASSERT_EQ(PlayerTable().ActiveCount(), 6) << "a player went bankrupt";
    }
    EXPECT_EQ(PlayWarningCount(), warnings);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
    TheGame().EndGame(false, 0);
    boxes_.clear();  // the menus it returns to have no layouts here
  }
}

// A human who never moves, as a stand-in in a headless game, does not hold
// the auctions up: each of its turns runs out into a pull-out and the game
// goes on.
TEST_F(ComputerPlayersGameTest, AHumanWhoNeverBidsIsTimedOutOfTheAuctions) {
  SetUpPlayers(4);
  PlayerSetupRow& human = PlayerTable().SetupRow(0);
  human.kind = kPlayerHuman;
  human.character = 6;
  TheGame().SetNewGameSeed(77u);
  TheGame().NewGame(&FreePlayLevel());
  ASSERT_EQ(PlayerTable().Local(), PlayerTable().Get(0));
  const uint32_t end = RunningTick() + 3u * kTicksPerDay;
  int32_t humanPullOuts = 0, ended = 0;
  for (int guard = 0; RunningTick() < end && guard < 4000000; ++guard) {
    RunLogicTicks();
    for (const GameEvent& e : TakeGameEvents())
      if (const auto* a = std::get_if<AuctionEvent>(&e)) {
        humanPullOuts += a->kind == kAuctionPullOut && a->player == 0;
        ended += a->kind == kAuctionEnded;
      }
  }
  EXPECT_GE(RunningTick(), end);
  EXPECT_GT(ended, 0);
  EXPECT_GT(humanPullOuts, 0);
}

// Six computer players race to be the richest on paper at the start of the
// fourth year: they take city blocks at auction, build and trade, and the
// goal names one winner; the others leave the game.
TEST_F(ComputerPlayersGameTest, SixComputerPlayersPlayToTheObjective) {
  SetUpPlayers(6);
  TheGame().SetNewGameSeed(99u);
  TheGame().NewGame(&FreePlayLevel());
  ASSERT_EQ(PlayerTable().ActiveCount(), 6);
  ASSERT_TRUE(SetObjective(OBJECTIVE_PAPERWEALTH_BY_DATE, 1933.0f));
  int32_t winner = -1;
  const uint32_t end = RunningTick() + 5u * kTicksPerDay;
  while (winner < 0 && RunningTick() < end) {
    RunLogicTicks();
    for (const GameEvent& e : TakeGameEvents())
      if (const auto* goal = std::get_if<GoalResultEvent>(&e); goal && goal->result == kGoalWon) winner = goal->player;
  }
  ASSERT_GE(winner, 0) << "nobody won";
  EXPECT_EQ(GameClock().CalendarYear(), 1933);
  int32_t buyers = 0, bidders = 0, builders = 0;
  for (int32_t i = 0; i < 6; ++i) {
    const CPlayerAI* ai = ComputerPlayer(i);
    ASSERT_NE(ai, nullptr);
    buyers += ai->tally.blockRequests > 0;
    bidders += ai->tally.bids > 0;
    builders += ai->tally.constructions > 0;
    EXPECT_EQ(ai->inUse != 0, i == winner) << ai->name;
  }
  EXPECT_GE(buyers, 3);
  EXPECT_GE(bidders, 3);  // the auctions are contested
  EXPECT_GE(builders, 4);

  // The console shows what the winner is about.
  replies_.clear();
  ExecuteConsoleCommand("AISTATUS");
  ASSERT_EQ(replies_.size(), 1u);
  EXPECT_EQ(replies_[0].rfind(std::string(ComputerPlayer(winner)->name) + ": ", 0), 0u) << replies_[0];
  EXPECT_NE(replies_[0].find(" | "), std::string::npos);
}

}  // namespace
