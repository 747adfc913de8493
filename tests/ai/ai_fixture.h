#pragma once
// A small economy on the built-in city with two players in the player
// table (slot 0 human, slot 1 a computer player of character 4) and the
// computer player's scoring state on a seeded stream.
#include "ai/ai_player_state.h"
#include "ai/ai_scores.h"
#include "ai/business_valuation.h"
#include "ai/computer_player.h"
#include "ai/planned_businesses.h"
#include "city/city_demand.h"
#include "city/economy_fixture.h"
#include "engine/core/random_stream.h"
#include "session/player.h"
#include "session/session_services.h"

inline constexpr int32_t kTwoBlockDistrict = 7;  // blocks 29 and 30
inline constexpr int32_t kThreeBlockDistrict = 1;  // blocks 1, 0 and 6

class AiTest : public EconomyTest {
 protected:
  void SetUp() override {
    EconomyTest::SetUp();
    // As the program starts each game's characters: no plans of an earlier game.
    ForgetPlannedBusinesses();
    PlayerTable().DeleteAllPlayers();
    ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerHuman, 0, "Me"));
    ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerComputer, 4, "Cpu"));
    PlayerTable().SetLocal(PlayerTable().Get(0));
    random.SetState(4242);
    InitAiPlayerState(ai, 1, 4, &random);
    ResetAiScores();
    GetAiGameFacts() = AiGameFacts{};
    ClearCityWideDemand();
  }
  void TearDown() override {
    PlayerTable().DeleteAllPlayers();
    EconomyTest::TearDown();
  }

  static CPlayer& P(int32_t i) { return *PlayerTable().Get(i); }
  // Gives a block to a player slot (or the city with -1), lease hours as given.
  static void GiveBlock(int32_t block, int32_t player, int32_t leaseHours = 100) {
    for (int32_t p = 0; p < 2; ++p) P(p).ownedBlocks[block] = p == player;
    g_Blocks[block].Owner = static_cast<uint8_t>(player + 1);
    g_Blocks[block].LeaseHours = player >= 0 ? leaseHours : 0;
    g_Blocks[block].BuildingRights = player >= 0 ? kRightsPreparing : kRightsGranted;
  }

  CRandomStream random;
  AiPlayerState ai;
};

// The same table with slot 1 a whole computer player, made by the game's
// factory as a game makes it, and running.
class ComputerPlayerAiTest : public AiTest {
 protected:
  struct Factory : SessionGameServices {
    CPlayer* CreateComputerPlayer(int32_t row) override { return ::CreateComputerPlayer(row); }
  };

  void SetUp() override {
    AiTest::SetUp();
    PlayerTable().DeleteAllPlayers();
    SetSessionGameServices(&factory_);
    ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerHuman, 0, "Me"));
    ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerComputer, 4, "Cpu"));
    PlayerTable().SetLocal(PlayerTable().Get(0));
    cpu = ComputerPlayer(1);
    ASSERT_NE(cpu, nullptr);
    cpu->Resume();
  }
  void TearDown() override {
    PlayerTable().DeleteAllPlayers();
    RestoreDefaultSessionServices();
    AiTest::TearDown();
  }

  Factory factory_;
  CPlayerAI* cpu = nullptr;
};
