// The network pages on the game's own layouts: the session list's empty
// and unknown-level states, the host page's goal rows, and the lobby's
// slots (the host alone, the slot toggle, a ready client's arrows), with a
// recording network behind them.
#include <gtest/gtest.h>

#include "frontend_fixture.h"

#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/recording_renderer.h"
#include "engine/scene/texture.h"
#include "frontend/front_end.h"
#include "frontend/lobby_rules.h"
#include "frontend/network_pages.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "session/game_messages.h"
#include "session/goals.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/simulation.h"
#include "ui/buttons.h"
#include "ui/interface_assets.h"
#include "ui/list_box.h"
#include "ui/player_tokens.h"
#include "ui/ui_services.h"
#include "frontend/front_end_page.h"

namespace {

class FakeNetwork : public FrontEndNetwork {
 public:
  bool Init() override { return true; }
  std::vector<FoundSession> Sessions() override { return found; }
  bool HostSession(const std::string&) override { return true; }
  std::string PlayerName() override { return "Alice"; }
  std::vector<FoundSession> found;
};

// Each level's objective as its script would set it.
class ObjectiveScripts : public SessionGameServices {
 public:
  bool RunScriptFile(const char* path) override {
    last = path;
    return true;
  }
  void TriggerEvent(const char* name, int32_t, int32_t) override {
    if (std::string(name) != "SetObjective") return;
    const int32_t kind = last.find("year") != std::string::npos ? OBJECTIVE_PAPERWEALTH_BY_DATE
                                                                : OBJECTIVE_PAPERWEALTH_BY_AMOUNT;
    SetObjective(kind, 0);
  }
  std::string last;
};

// What the lobby sends as a client.
class SentToHost : public SessionNetworkServices {
 public:
  void SendToHost(std::span<const uint8_t> bytes) override { sent.emplace_back(bytes.begin(), bytes.end()); }
  std::vector<std::vector<uint8_t>> sent;
};

class NetworkPagesTest : public FrontEndPagesTest {
 protected:
  void SetUp() override {
    LoadPages();
    MakeProfile("Alice");
    ASSERT_FALSE(HasFatalFailure());
    FrontEndScreens().CreatePanels();
    SetFrontEndNetwork(&net_);
    SetSessionGameServices(&scripts_);
    SetSessionNetworkServices(&sent_);
    ScenarioManager().Clear();
    ScenarioManager().RegisterLevel(300005, "Harbour", "wealth", "d");
    ScenarioManager().RegisterLevel(300006, "Decade", "year", "d");
    PlayerTable().ClearPlayerSetupRows();
    ResetSimulation();  // the program's new-game reset: no game, no session
    FrontEndGameMode() = 0;
  }
  void TearDown() override {
    ResetFrontEnd();
    SetFrontEndNetwork(nullptr);
    RestoreDefaultSessionServices();
    ResetSimulation();  // the program's new-game reset: no game, no session
    ScenarioManager().Clear();
    FrontEndPagesTest::TearDown();
  }
  void Open(int32_t p) {
    Page(p)->Open();
    FrontEndScreens().MoveToFront(Page(p));
  }
  std::string TextOf(int32_t page, int32_t id) {
    CTextRect* t = Child<CTextRect>(page, id);
    std::string all;
    for (int32_t i = 0; t && i < t->LineCount(); ++i) all += t->LineText(i) + "|";
    return all;
  }

  FakeNetwork net_;
  ObjectiveScripts scripts_;
  SentToHost sent_;
};

TEST_F(NetworkPagesTest, WithNoSessionTheListSaysSoAndNothingCanBeChosen) {
  Open(kPageNetworkSessions);
  CListBox* list = Child<CListBox>(kPageNetworkSessions, 0);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count, 4);
  EXPECT_EQ(list->itemTextId[0], 1698);
  EXPECT_EQ(list->itemTextId[3], 1699);
  EXPECT_TRUE(list->inputDisabled);
  EXPECT_TRUE(Child<CIconButton>(kPageNetworkSessions, 1)->disabled);  // JOIN
  EXPECT_FALSE(Child<CIconButton>(kPageNetworkSessions, 2)->disabled);  // HOST
}

TEST_F(NetworkPagesTest, ASessionOfAnUnknownLevelShowsSoAndCannotBeJoined) {
  FoundSession known{"Bob's game", 11, {300006, 2, 1960, (6 << 16) | 2}};
  FoundSession unknown{"Strange", 12, {777777, 0, 5, (6 << 16) | 1}};
  net_.found = {known, unknown};
  Open(kPageNetworkSessions);
  CListBox* list = Child<CListBox>(kPageNetworkSessions, 0);
  ASSERT_EQ(list->count, 2);
  EXPECT_FALSE(list->inputDisabled);
  Page(kPageNetworkSessions)->OnEvent(kNotifyListItem, 0, 1);
  EXPECT_EQ(TextOf(kPageNetworkSessions, 22), "Unknown level|");
  EXPECT_TRUE(Child<CIconButton>(kPageNetworkSessions, 1)->disabled);
  Page(kPageNetworkSessions)->OnEvent(kNotifyListItem, 0, 0);
  EXPECT_FALSE(Child<CIconButton>(kPageNetworkSessions, 1)->disabled);
  EXPECT_EQ(TextOf(kPageNetworkSessions, 21), "2/6|");
  // Hard, with the year as a plain number.
  EXPECT_EQ(TextOf(kPageNetworkSessions, 23), frontend_pages::MenuText(1658) + "  1960|");
  // A session list rebuilt with other sessions of the same count drops the
  // choice, so JOIN cannot join another session than the one shown.
  net_.found = {unknown, FoundSession{"Other", 13, {300006, 0, 1950, (6 << 16) | 1}}};
  Page(kPageNetworkSessions)->OnEvent(kMsgRefresh, 0, 0);
  EXPECT_TRUE(Child<CIconButton>(kPageNetworkSessions, 1)->disabled);
  EXPECT_EQ(TextOf(kPageNetworkSessions, 20), "|");
}

TEST_F(NetworkPagesTest, TheGoalRowKeepsItsValueInRange) {
  Open(kPageNetworkHost);
  // The first level's objective is paper wealth: its default 3000 lies below
  // the row's minimum and shows as 10000.
  EXPECT_EQ(TextOf(kPageNetworkHost, 24), "Paper wealth|");
  EXPECT_EQ(TextOf(kPageNetworkHost, 27), "$10000|");
  // A year: 1960 by default, never below 1940 or above 2000, in steps of 5.
  Page(kPageNetworkHost)->OnEvent(kNotifyListItem, 6, 1);
  EXPECT_EQ(TextOf(kPageNetworkHost, 27), "1960|");
  for (int i = 0; i < 6; ++i) Click(kPageNetworkHost, "NETWORK_HOST_MOD01_MINUS");
  EXPECT_EQ(TextOf(kPageNetworkHost, 27), "1940|");
  for (int i = 0; i < 11; ++i) Click(kPageNetworkHost, "NETWORK_HOST_MOD01_PLUS");
  EXPECT_EQ(TextOf(kPageNetworkHost, 27), "1995|");
  Click(kPageNetworkHost, "NETWORK_HOST_MOD01_PLUS");
  Click(kPageNetworkHost, "NETWORK_HOST_MOD01_PLUS");
  EXPECT_EQ(TextOf(kPageNetworkHost, 27), "2000|");
  // OK takes the goal into the level and opens the lobby with this machine
  // in slot 0.
  Click(kPageNetworkHost, "NETWORK_HOST_OK_BUTTON");
  EXPECT_FLOAT_EQ(ScenarioManager().FindById(300006)->goalValue, 2000.0f);
  EXPECT_TRUE(NetworkLobbyOpen());
  EXPECT_EQ(NetworkLobbySlots().slots[0].kind, kSlotHuman);
  EXPECT_EQ(NetworkLobbySlots().slots[0].name, "Alice");
}

TEST_F(NetworkPagesTest, TheHostAloneCannotStartAndTheSlotToggleCycles) {
  FrontEndGameMode() = 1;  // single player set up on the host page
  Open(kPageNetworkHost);
  Click(kPageNetworkHost, "NETWORK_HOST_OK_BUTTON");
  ASSERT_TRUE(NetworkLobbyOpen());
  CIconButton* start = Child<CIconButton>(kPageNetworkLobby, 25);
  EXPECT_TRUE(start->disabled);
  Click(kPageNetworkLobby, "NETWORK_CHAT_START_BUTTON");
  EXPECT_EQ(Count<StartLevelRequest>(Requests()), 0);
  // Slot 2: open, computer, open in single player.
  Click(kPageNetworkLobby, "NETWORK_CHAT_TOGGLE_P2");
  EXPECT_EQ(NetworkLobbySlots().slots[1].kind, kSlotComputer);
  EXPECT_NE(NetworkLobbySlots().slots[1].token, NetworkLobbySlots().slots[0].token);
  // A computer goes by its token's character, and follows its token.
  auto characterName = [](int32_t token) { return frontend_pages::MenuText(TokenInfoRow(token).nameText); };
  EXPECT_EQ(NetworkLobbySlots().slots[1].name, characterName(NetworkLobbySlots().slots[1].token));
  LobbyCycleTokenAndSend(1, 1);
  EXPECT_EQ(NetworkLobbySlots().slots[1].name, characterName(NetworkLobbySlots().slots[1].token));
  EXPECT_FALSE(start->disabled);
  Click(kPageNetworkLobby, "NETWORK_CHAT_TOGGLE_P2");
  EXPECT_EQ(NetworkLobbySlots().slots[1].kind, kSlotOpen);
  EXPECT_TRUE(start->disabled);
  // A computer in slot 4 starts with the host; the rows are compacted.
  Click(kPageNetworkLobby, "NETWORK_CHAT_TOGGLE_P4");
  Click(kPageNetworkLobby, "NETWORK_CHAT_START_BUTTON");
  EXPECT_EQ(Count<StartLevelRequest>(Requests()), 1);
  EXPECT_EQ(PlayerTable().SetupRow(0).kind, kPlayerHuman);
  EXPECT_EQ(PlayerTable().SetupRow(1).kind, kPlayerComputer);
  EXPECT_EQ(PlayerTable().SetupRow(3).kind, kPlayerEmpty);
}

// The lobby's status sentences lie whole in their box in every language.
TEST_F(NetworkPagesTest, TheLobbyStatusFitsItsBoxInEveryLanguage) {
  FrontEndGameMode() = 1;
  Open(kPageNetworkHost);
  Click(kPageNetworkHost, "NETWORK_HOST_OK_BUTTON");
  ASSERT_TRUE(NetworkLobbyOpen());
  CTextRect* status = Child<CTextRect>(kPageNetworkLobby, 109);
  ASSERT_NE(status, nullptr);
  const UIRect box = status->Rect();
  for (const char* language : {"usa", "ger", "dan", "spa", "f", "fin", "hol", "nor", "swe"}) {
    ASSERT_TRUE(InterfaceTextSystem().LoadTextBankFile(std::string("language\\") + language + "\\civano"));
    for (int32_t text : {kLobbyWaitingText, kLobbyReadyText, kLobbyClientText}) {
      status->Clear();
      status->AddTextId(text);
      EXPECT_LE(float(status->LineCount() * status->lineHeight), box.y2 - box.y1)
          << language << " text " << text << ": " << status->LineCount() << " lines, the last "
          << status->LineText(status->LineCount() - 1);
    }
  }
  ASSERT_TRUE(InterfaceTextSystem().LoadTextBankFile("language\\usa\\civano"));
}

TEST_F(NetworkPagesTest, ANetworkSlotToggleCyclesThroughClosed) {
  LobbySlots lobby;
  lobby.network = true;
  lobby.slots[0] = LobbySlot{kSlotHuman, 0, 1, 1, "Host"};
  const int32_t expected[] = {kSlotComputer, kSlotClosed, kSlotOpen, kSlotComputer};
  for (int32_t kind : expected) EXPECT_EQ(lobby.Toggle(2, "Computer"), kind);
  EXPECT_EQ(lobby.MaxPlayers(), 6);
  lobby.Toggle(2, "Computer");
  EXPECT_EQ(lobby.MaxPlayers(), 5);
  // The host's own slot never toggles.
  EXPECT_EQ(lobby.Toggle(0, "Computer"), -1);
}

TEST_F(NetworkPagesTest, AClientMarkedReadyCannotStepItsToken) {
  Session().networkSession = true;
  Session().host = false;
  Session().localDirectPlayId = 5;
  Open(kPageNetworkLobby);
  LobbySetupMsg list;
  list.directPlayId[0] = 1;
  list.directPlayId[1] = 5;
  list.kinds[0] = list.kinds[1] = kSlotHuman;
  list.tokens[0] = 0;
  list.tokens[1] = 1;
  list.ready[0] = 1;
  std::snprintf(list.names[0], 32, "Host");
  std::snprintf(list.names[1], 32, "Alice");
  Session().localSlot = 1;
  LobbyTakeSetup(list);
  sent_.sent.clear();
  Click(kPageNetworkLobby, "NETWORK_CHAT_RIGHT_BUTT_P2");
  ASSERT_EQ(sent_.sent.size(), 1u);  // the step, to the host
  EXPECT_EQ(LoadLeI32(sent_.sent[0].data() + 4), TokenCycleMsg::kType);
  Click(kPageNetworkLobby, "NETWORK_CHAT_CHECKBOX_P2");
  ASSERT_EQ(sent_.sent.size(), 2u);  // the ready mark, its own slot
  EXPECT_EQ(LoadLeI32(sent_.sent[1].data() + 4), LobbySlotMsg::kType);
  EXPECT_EQ(NetworkLobbySlots().slots[1].ready, 1);
  Click(kPageNetworkLobby, "NETWORK_CHAT_RIGHT_BUTT_P2");
  Click(kPageNetworkLobby, "NETWORK_CHAT_LEFT_BUTT_P2");
  EXPECT_EQ(sent_.sent.size(), 2u);
  // Nor can it start, or touch the host's slot.
  EXPECT_FALSE(Child<CIconButton>(kPageNetworkLobby, 25)->visible);
  Click(kPageNetworkLobby, "NETWORK_CHAT_RIGHT_BUTT_P1");
  EXPECT_EQ(sent_.sent.size(), 2u);
}

}  // namespace
