// The lobby's game messages byte for byte as they travel (kinds 4, 5, 6, 11
// and 12, tokens and kinds as signed bytes), and the host's refusals: a
// client changes only its own slot and steps only its own token, and never
// starts, lists or drops.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/core/byte_io.h"
#include "session/game_messages.h"
#include "session/player.h"
#include "session/session_services.h"
#include "session/session_state.h"

namespace {

class LobbyRecorder : public SessionGameServices {
 public:
  void LobbySlot(const LobbySlotMsg& m) override { slots.push_back(m.slot.value); }
  void CycleTokenAndSend(int32_t slot, int32_t step) override { steps.push_back(slot * 10 + step); }
  void EndNetworkGame() override { ++ended; }
  std::vector<int32_t> slots, steps;
  int32_t ended = 0;
};

class LobbyMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Session() = SessionState{};
    PlayerTable().ClearPlayerSetupRows();
    SetSessionGameServices(&recorder_);
    SetSessionNetworkServices(&net_);
  }
  void TearDown() override {
    RestoreDefaultSessionServices();
    Session() = SessionState{};
    PlayerTable().ClearPlayerSetupRows();
  }
  LobbyRecorder recorder_;
  SessionNetworkServices net_;
};

std::vector<uint8_t> Body(const CNetMessage& m) { return {m.Bytes().begin(), m.Bytes().end()}; }

TEST_F(LobbyMessagesTest, EveryLobbyKindHasItsFixedLayout) {
  const std::vector<uint8_t> start = Body(EncodeMessage(GameStartMsg{0x01020304, 300002, 1002}));
  ASSERT_EQ(start.size(), 36u);
  EXPECT_EQ(LoadLeI32(start.data() + 4), 4);
  EXPECT_EQ(LoadLeI32(start.data() + 8), 36);
  EXPECT_EQ(LoadLeI32(start.data() + 20), 0x01020304);
  EXPECT_EQ(LoadLeI32(start.data() + 24), 300002);
  EXPECT_EQ(LoadLeI32(start.data() + 28), 0);
  EXPECT_EQ(LoadLeI32(start.data() + 32), 1002);

  LobbySetupMsg list;
  for (int i = 0; i < 6; ++i) std::snprintf(list.names[i], sizeof list.names[i], "N%d", i);
  list.directPlayId[0] = 1;
  list.directPlayId[1] = 7;
  list.tokens[0] = 3;
  list.tokens[1] = 9;
  list.kinds[0] = 0;
  list.kinds[1] = 1;
  list.kinds[5] = 3;
  list.ready[0] = 1;
  list.ready[1] = 1;
  const std::vector<uint8_t> five = Body(EncodeMessage(list));
  ASSERT_EQ(five.size(), 276u);
  EXPECT_EQ(LoadLeI32(five.data() + 4), 5);
  EXPECT_EQ(LoadLeI32(five.data() + 20), 0);  // unused
  EXPECT_EQ(LoadLeI32(five.data() + 24), 1);
  EXPECT_EQ(LoadLeI32(five.data() + 28), 7);
  EXPECT_EQ(LoadLeI32(five.data() + 32), -1);
  EXPECT_STREQ(reinterpret_cast<const char*>(five.data() + 48), "N0");
  EXPECT_STREQ(reinterpret_cast<const char*>(five.data() + 48 + 5 * 32), "N5");
  const uint8_t tokens[6] = {3, 9, 0xFF, 0xFF, 0xFF, 0xFF};
  const uint8_t kinds[6] = {0, 1, 2, 2, 2, 3};
  EXPECT_EQ(std::memcmp(five.data() + 240, tokens, 6), 0);
  EXPECT_EQ(std::memcmp(five.data() + 246, kinds, 6), 0);
  EXPECT_EQ(LoadLeI32(five.data() + 252), 1);
  EXPECT_EQ(LoadLeI32(five.data() + 256), 1);
  EXPECT_EQ(LoadLeI32(five.data() + 272), 0);
  // -1 comes back as -1.
  LobbySetupMsg back;
  ASSERT_TRUE(DecodeMessage(EncodeMessage(list), back));
  EXPECT_EQ(back.tokens[2], -1);
  EXPECT_EQ(back.directPlayId[5], -1);

  LobbySlotMsg slot{PlayerIndex{2}, "Carol"};
  slot.token = -1;
  slot.kind = 0;
  slot.directPlayId = 12;
  slot.value = 1;
  const std::vector<uint8_t> six = Body(EncodeMessage(slot));
  ASSERT_EQ(six.size(), 64u);
  EXPECT_EQ(six[20], 2);
  EXPECT_STREQ(reinterpret_cast<const char*>(six.data() + 21), "Carol");
  EXPECT_EQ(six[53], 0xFF);
  EXPECT_EQ(six[54], 0);
  EXPECT_EQ(six[55], 0);
  EXPECT_EQ(LoadLeI32(six.data() + 56), 12);
  EXPECT_EQ(LoadLeI32(six.data() + 60), 1);

  const std::vector<uint8_t> eleven = Body(EncodeMessage(LobbyLeaveMsg{PlayerIndex{-1}, PlayerIndex{0}}));
  ASSERT_EQ(eleven.size(), 28u);
  EXPECT_EQ(LoadLeI32(eleven.data() + 20), -1);
  EXPECT_EQ(LoadLeI32(eleven.data() + 24), 0);

  const std::vector<uint8_t> twelve = Body(EncodeMessage(TokenCycleMsg{PlayerIndex{4}, -1}));
  ASSERT_EQ(twelve.size(), 28u);
  EXPECT_EQ(LoadLeI32(twelve.data() + 20), 4);
  EXPECT_EQ(LoadLeI32(twelve.data() + 24), -1);
}

TEST_F(LobbyMessagesTest, ReceivedLobbyMessagesOutsideTheirRulesAreRefused) {
  struct Case {
    const char* what;
    CNetMessage message;
    size_t offset;
    uint8_t byte;
  };
  const Case cases[] = {
      {"slot kind 4", EncodeMessage(LobbySlotMsg{PlayerIndex{1}, "x"}), 54, 4},
      {"token 10", EncodeMessage(LobbySlotMsg{PlayerIndex{1}, "x"}), 53, 10},
      {"slot 6", EncodeMessage(LobbySlotMsg{PlayerIndex{1}, "x"}), 20, 6},
      {"ready 2", EncodeMessage(LobbySlotMsg{PlayerIndex{1}, "x"}), 60, 2},
      {"list token -2", EncodeMessage(LobbySetupMsg{}), 241, 0xFE},
      {"list kind -1", EncodeMessage(LobbySetupMsg{}), 247, 0xFF},
      {"step 2", EncodeMessage(TokenCycleMsg{PlayerIndex{1}, 1}), 24, 2},
      {"step 0", EncodeMessage(TokenCycleMsg{PlayerIndex{1}, 1}), 24, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = Body(c.message);
    bytes[c.offset] = c.byte;
    EXPECT_FALSE(CheckNetMessage(bytes));
  }
  // A list name without its terminator.
  std::vector<uint8_t> list = Body(EncodeMessage(LobbySetupMsg{}));
  std::memset(list.data() + 48 + 32, 'x', 32);
  EXPECT_FALSE(CheckNetMessage(list));
}

TEST_F(LobbyMessagesTest, TheHostTakesFromAClientOnlyChangesToItsOwnSlot) {
  Session().networkSession = true;
  Session().host = true;
  PlayerSetupRow& host = PlayerTable().SetupRow(0);
  host.kind = kPlayerHuman;
  host.directPlayId = 1;
  PlayerSetupRow& client = PlayerTable().SetupRow(2);
  client.kind = kPlayerHuman;
  client.directPlayId = 9;
  auto from9 = [](const CNetMessage& m) { OnDirectPlayGameMessage(m.Bytes(), 9); };
  from9(EncodeMessage(LobbySlotMsg{PlayerIndex{0}, "mine now"}));
  from9(EncodeMessage(TokenCycleMsg{PlayerIndex{0}, 1}));
  from9(EncodeMessage(LobbyLeaveMsg{PlayerIndex{-1}, PlayerIndex{2}}));
  from9(EncodeMessage(GameStartMsg{1, 300002, 1}));
  from9(EncodeMessage(LobbySetupMsg{}));
  // A machine that holds no slot changes none.
  OnDirectPlayGameMessage(EncodeMessage(LobbySlotMsg{PlayerIndex{0}, "stranger"}).Bytes(), 33);
  EXPECT_TRUE(recorder_.slots.empty());
  EXPECT_TRUE(recorder_.steps.empty());
  EXPECT_EQ(recorder_.ended, 0);
  EXPECT_FALSE(Session().networkGameStarted);
  // Its own slot and token: taken, and the host's own posts always are.
  from9(EncodeMessage(LobbySlotMsg{PlayerIndex{2}, "Carol", 3, 0, 33}));  // another machine's id
  from9(EncodeMessage(LobbySlotMsg{PlayerIndex{2}, "Carol", 3, 1, 9}));   // a computer's slot
  from9(EncodeMessage(LobbySlotMsg{PlayerIndex{2}, "Carol", 3, 0, 9}));
  from9(EncodeMessage(TokenCycleMsg{PlayerIndex{2}, -1}));
  EXPECT_TRUE(Post(LobbySlotMsg{PlayerIndex{4}, "Computer 5"}));
  EXPECT_EQ(recorder_.slots, (std::vector<int32_t>{2, 4}));
  EXPECT_EQ(recorder_.steps, std::vector<int32_t>{19});
}

}  // namespace
