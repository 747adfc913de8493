// The calendar, C_Iterate, the presentation requests, the interface prompts
// and the front end's level and player registrations, on fakes of the
// interface (the outbox and an installed text check).
#include <string>
#include <variant>
#include <vector>

#include "script/interface_bindings.h"
#include "script/script_bindings.h"
#include "script_fixture.h"
#include "session/game_clock.h"
#include "session/game_events.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "session/session_state.h"
#include "session/tutorial.h"

namespace {

class InterfaceScriptTest : public ScriptTest {
 protected:
  void SetUp() override {
    ScriptTest::SetUp();
    GameClock() = CGameClock{};
    ClearGameEvents();
    Session() = SessionState{};
    PlayerTable().ClearPlayerSetupRows();
    ScenarioManager().Clear();
  }
  void TearDown() override {
    SetScriptTextIdCheck(nullptr);
    ClearGameEvents();
    Session() = SessionState{};
    PlayerTable().ClearPlayerSetupRows();
    ScenarioManager().Clear();
    GameClock() = CGameClock{};
    ScriptTest::TearDown();
  }
  std::vector<ScriptPromptEvent> Prompts() {
    std::vector<ScriptPromptEvent> out;
    for (const GameEvent& e : TakeGameEvents())
      if (const auto* p = std::get_if<ScriptPromptEvent>(&e)) out.push_back(*p);
    return out;
  }
};

TEST_F(InterfaceScriptTest, CalendarWritesTheClockAndRefusesWhatItCannotHold) {
  ASSERT_TRUE(RunScript("Calendar.hour = HOUR_17 Calendar.year = YEAR_04 Calendar.era = ERA_1960"));
  EXPECT_EQ(GameClock().hour, 17);
  EXPECT_EQ(GameClock().yearInDecade, 4);
  EXPECT_EQ(GameClock().decade, 3);
  EXPECT_EQ(GameClock().absoluteHour, 17 + 24 * 4 + 240 * 3);
  EXPECT_EQ(Eval("Calendar.hour + Calendar.year + Calendar.era"), 24);
  EXPECT_EQ(Eval("GAME_HOUR * 24"), 15000);
  ASSERT_TRUE(RunScript("Calendar.hour = 24 Calendar.year = -1 Calendar.era = 8 Calendar.SetFrequency(50)"));
  EXPECT_EQ(CountBoxes("Calendar."), 3);
  EXPECT_EQ(GameClock().hour, 17);
  EXPECT_EQ(GameClock().yearInDecade, 4);
  EXPECT_EQ(GameClock().decade, 3);
}

TEST_F(InterfaceScriptTest, IterateVisitsSortedKeysAlikeInEveryState) {
  const std::string walk = R"(
    t = {}
    for i = 1, 40 do t["k" .. (i * 7919 % 97)] = { i } end
    t[3] = { 0 } t[1] = { 0 } t.plain = 5
    order = ""
    C_Iterate(t, function(k, v) order = order .. k .. "," end))";
  ASSERT_TRUE(RunScript(walk));
  const std::string first = EvalText("order");
  ASSERT_TRUE(Script().Create());
  ASSERT_TRUE(RunScript(walk));
  EXPECT_EQ(EvalText("order"), first);
  EXPECT_EQ(first.substr(0, 4), "1,3,");
  EXPECT_EQ(first.find("plain"), std::string::npos);  // only table values
  // The first result that is not nil ends the walk; no tables: nothing.
  EXPECT_EQ(Eval("C_Iterate({ a = {1}, b = {2}, c = {3} }, function(k, v) if v[1] >= 2 then return v[1] end end)"),
            2);
  ASSERT_TRUE(RunScript("called = 0 r = C_Iterate({ 1, 'x' }, function() called = 1 end)"));
  EXPECT_EQ(Eval("r"), -999);
  EXPECT_EQ(Eval("called"), 0);
}

TEST_F(InterfaceScriptTest, LogosCreditsAndFireworks) {
  ASSERT_TRUE(RunScript("Game.SetLogos(0) Game.SetCredits('yes')"));
  EXPECT_TRUE(PresentationRequests().logos);
  EXPECT_TRUE(PresentationRequests().credits);
  ASSERT_TRUE(RunScript("Game.SetLogos(false) Game.SetCredits()"));
  EXPECT_FALSE(PresentationRequests().logos);
  EXPECT_FALSE(PresentationRequests().credits);
  ASSERT_TRUE(RunScript("Game.StartFireworks(2) Game.StartFireworks('x')"));
  const std::vector<GameEvent> events = TakeGameEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(std::get<FireworksEvent>(events[0]).preset, 2);
  EXPECT_EQ(CountBoxes("Game.StartFireworks"), 1);
}

TEST_F(InterfaceScriptTest, APromptWithANumberLineAndAStringLineComesBackWhenDismissed) {
  ASSERT_TRUE(RunScript(R"(
    function CATCHEVENT_InterfacePromptDismiss(id) dismissed = id end
    Interface.CreateMessage(1948, "Buy the block on the corner", 7, 0))"));
  std::vector<ScriptPromptEvent> prompts = Prompts();
  ASSERT_EQ(prompts.size(), 1u);
  const ScriptPromptEvent& p = prompts[0];
  EXPECT_EQ(p.action, kScriptPromptOpen);
  EXPECT_EQ(p.lines[0].textId, 1948);
  EXPECT_EQ(p.lines[1].textId, 0);
  EXPECT_EQ(p.lines[1].text, "Buy the block on the corner");
  EXPECT_EQ(p.scriptId, 7);
  EXPECT_FALSE(p.withButton);
  EXPECT_FALSE(p.auctionScreen);

  EXPECT_TRUE(ScriptPromptClosed(7));
  EXPECT_EQ(Eval("dismissed"), 7);
  // A prompt that is not open is refused and raises nothing.
  ASSERT_TRUE(RunScript("dismissed = nil"));
  EXPECT_FALSE(ScriptPromptClosed(7));
  EXPECT_FALSE(ScriptPromptClosed(8));
  EXPECT_EQ(Eval("dismissed"), -999);
  EXPECT_EQ(CountBoxes("is not open"), 2);
}

TEST_F(InterfaceScriptTest, PromptsOnTheAuctionScreenAndTheirButtonAndTexts) {
  SetScriptTextIdCheck([](int32_t id) { return id == 1948 || id == 1707; });
  Session().gameState = kGameStateAuction;
  ASSERT_TRUE(RunScript(R"(
    Interface.CreatePrompt(1948, 1948, 3, 12)
    Interface.CreatePrompt(1948, 4242, 4, 0)
    Interface.PositionPrompt(nil, 120) Interface.AddArrow(10, 20) Interface.DismissPrompt())"));
  std::vector<ScriptPromptEvent> prompts = Prompts();
  ASSERT_EQ(prompts.size(), 4u);  // the prompt naming a missing text is refused
  EXPECT_EQ(CountBoxes("text 4242 does not exist"), 1);
  EXPECT_TRUE(prompts[0].auctionScreen);
  EXPECT_TRUE(prompts[0].withButton);
  EXPECT_EQ(prompts[0].buttonText, 1707);
  EXPECT_EQ(prompts[0].lines[1].number, 12);
  EXPECT_EQ(prompts[1].action, kScriptPromptPosition);
  EXPECT_FALSE(prompts[1].hasX);
  EXPECT_FLOAT_EQ(prompts[1].y, 120.0f);
  EXPECT_EQ(prompts[2].action, kScriptPromptArrow);
  EXPECT_EQ(prompts[3].action, kScriptPromptDismiss);
  EXPECT_EQ(OpenScriptPrompts(), std::vector<int32_t>{3});
}

TEST_F(InterfaceScriptTest, BadIndicesAreRefusedWithAReport) {
  const char* calls[] = {
      "Frontend.RegisterPlayer(6, HUMAN_PLAYER, 1)",  "Frontend.RegisterPlayer(0, 5, 1)",
      "Frontend.RegisterPlayer(0, AI_PLAYER, 10)",    "Frontend.RegisterPlayer(0, AI_PLAYER, 2, 3)",
      "Frontend.RegisterPlayer(0, AI_PLAYER)",        "Frontend.RegisterLevel(200001, 'x', 70000, 1)",
      "Frontend.RegisterLevel(900001, 'x', 'n', 'd')", "Interface.AddArrow('a')",
  };
  for (const char* call : calls) {
    boxes_.clear();
    ASSERT_TRUE(RunScript(call)) << call;
    EXPECT_EQ(boxes_.size(), 1u) << call;
  }
  for (int32_t row = 0; row < kMaxPlayers; ++row) EXPECT_EQ(PlayerTable().SetupRow(row).kind, kPlayerEmpty);
  EXPECT_EQ(ScenarioManager().FindById(200001), nullptr);
  EXPECT_TRUE(TakeGameEvents().empty());
}

TEST_F(InterfaceScriptTest, LevelsAndPlayersOfTheFrontEnd) {
  ASSERT_TRUE(RunScript(R"(
    Frontend.RegisterLevel(200003, "harbour", ID_SINGLE_SCENARIO_3_TITLE, ID_SINGLE_SCENARIO_3_DESC)
    Frontend.RegisterLevel(200003, "harbour", "Harbour", "Again")
    Frontend.RegisterPlayer(0, HUMAN_PLAYER, 4)
    Frontend.RegisterPlayer(2, AI_PLAYER, 7, 2)
    Frontend.RegisterPlayer(3, AI_PLAYER, 5, 2)
    Frontend.RegisterPlayer(3, AI_PLAYER, 5)
    Interface.SetTutorialType(3) Interface.SetTutorialUse("x"))"));
  int entries = 0;
  for (const ScenarioEntry* e = ScenarioManager().NextAnyEntry(nullptr); e; e = ScenarioManager().NextAnyEntry(e))
    entries += e->id == 200003;
  EXPECT_EQ(entries, 1);
  EXPECT_EQ(ScenarioManager().FindById(200003)->name, "Harbour");
  EXPECT_EQ(PlayerTable().SetupRow(0).kind, kPlayerHuman);
  EXPECT_EQ(PlayerTable().SetupRow(0).character, 4);
  EXPECT_EQ(PlayerTable().SetupRow(2).kind, kPlayerComputer);
  EXPECT_EQ(PlayerTable().SetupRow(2).difficulty, 2);
  EXPECT_STRNE(PlayerTable().SetupRow(2).name, "");
  EXPECT_EQ(PlayerTable().SetupRow(3).difficulty, 0);  // registered again without an option
  EXPECT_EQ(PlayerTable().SetupRow(1).kind, kPlayerEmpty);
  EXPECT_EQ(TutorialBuildRestriction().type, 3);
  EXPECT_EQ(TutorialBuildRestriction().use, -1);
  TutorialBuildRestriction() = TutorialBuildChoice{};
}

}  // namespace
