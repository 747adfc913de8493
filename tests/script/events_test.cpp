// The script state and the event protocol: events raised by name, repeats
// after the returned delay, pending events counted down by the logic tick,
// and script errors reported without stopping the game.
#include <string>
#include <vector>

#include "engine/core/play_warning.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "script/level_scripts.h"
#include "script/script_session.h"
#include "platform/temp_dir.h"
#include "script_fixture.h"
#include "session/session_state.h"

namespace {

// Calls seen from outside the state, so an old state's events can be told apart.
std::vector<int> g_Seen;

int NativeSeen(lua_State* state) {
  g_Seen.push_back(static_cast<int>(lua_tointeger(state, 1)));
  return 0;
}

void RegisterSeen(CScript& script) { script.RegisterFunction(NativeSeen, "Seen"); }

class EventTest : public ScriptTest {
 protected:
  void SetUp() override {
    AddScriptBinder(ScriptBindingStage::kGame, RegisterSeen);
    g_Seen.clear();
    LogicTick() = 100;
    ScriptTest::SetUp();
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) Script().TickTimers();
  }
};

TEST_F(EventTest, EventRepeatsAfterTheDelayItReturnsUntilZeroOrNil) {
  ASSERT_TRUE(RunScript(R"(
    runs = 0
    function EVENT_Repeat(a)
      Seen(a)
      runs = runs + 1
      if runs < 3 then return 5 end
      if runs == 3 then return 0 end
    end)"));
  Script().TriggerEvent("Repeat", 0, 7);
  EXPECT_EQ(g_Seen, std::vector<int>({7}));
  EXPECT_EQ(Script().TimerCount(), 1u);
  Ticks(4);
  EXPECT_EQ(g_Seen.size(), 1u);
  Ticks(1);
  EXPECT_EQ(g_Seen, std::vector<int>({7, 7}));
  Ticks(5);
  EXPECT_EQ(g_Seen.size(), 3u);  // returned 0: no more
  EXPECT_EQ(Script().TimerCount(), 0u);

  ASSERT_TRUE(RunScript("function EVENT_Once(a) Seen(a) end"));  // returns nil
  Script().TriggerEvent("Once", 0, 1);
  EXPECT_EQ(Script().TimerCount(), 0u);
}

TEST_F(EventTest, ReturnedFractionsTruncateAndNegativesNeverFire) {
  ASSERT_TRUE(RunScript(R"(
    frac = 0
    function EVENT_Frac(a) Seen(a) frac = frac + 1 if frac == 1 then return 2.9 end end
    function EVENT_Neg(a) Seen(a) return -3 end)"));
  Script().TriggerEvent("Frac", 0, 1);
  Ticks(1);
  EXPECT_EQ(g_Seen.size(), 1u);
  Ticks(1);
  EXPECT_EQ(g_Seen.size(), 2u);
  g_Seen.clear();
  Script().TriggerEvent("Neg", 0, 2);
  Ticks(50);
  EXPECT_EQ(g_Seen, std::vector<int>({2}));
  EXPECT_EQ(Script().TimerCount(), 1u);  // kept until cleared
  Script().ClearTimers();
  EXPECT_EQ(Script().TimerCount(), 0u);
}

TEST_F(EventTest, DelayedEventRunsItsInitialiserAtOnce) {
  ASSERT_TRUE(RunScript(R"(
    function EVENTINITIALISE_Later(a) Seen(100 + a) end
    function EVENT_Later(a) Seen(a) end
    C_TriggerEvent("Later", 3, 9))"));
  EXPECT_EQ(g_Seen, std::vector<int>({109}));
  Ticks(2);
  EXPECT_EQ(g_Seen.size(), 1u);
  Ticks(1);
  EXPECT_EQ(g_Seen, std::vector<int>({109, 9}));

  g_Seen.clear();
  ASSERT_TRUE(RunScript("C_TriggerEvent('Later', 0, 4)"));
  EXPECT_EQ(g_Seen, std::vector<int>({104, 4}));  // both before C_TriggerEvent returns
}

TEST_F(EventTest, AbsoluteTicks) {
  ASSERT_TRUE(RunScript("function EVENT_At(a) Seen(a) end"));
  ASSERT_TRUE(RunScript("C_TriggerEventAbsolute('At', 100, 1)"));  // now
  EXPECT_EQ(g_Seen, std::vector<int>({1}));
  ASSERT_TRUE(RunScript("C_TriggerEventAbsolute('At', 99, 2)"));  // past: nothing
  EXPECT_EQ(Script().TimerCount(), 0u);
  ASSERT_TRUE(RunScript("C_TriggerEventAbsolute('At', 103, 3)"));
  Ticks(2);
  EXPECT_EQ(g_Seen.size(), 1u);
  Ticks(1);
  EXPECT_EQ(g_Seen, std::vector<int>({1, 3}));
}

// One script line can ask for any number of handlers that do not exist: the
// first is reported, the rest are logged with a count, never a box each.
TEST_F(EventTest, MissingEventFunctionsAreReportedOnceAndLeaveTheStack) {
  ResetPerFileReports();
  const int warningsBefore = PlayWarningCount();
  const int top = lua_gettop(Script().State());
  ASSERT_TRUE(RunScript("for i = 1, 100000 do C_TriggerEvent('T' .. i, 0, i) end"));
  EXPECT_EQ(CountBoxes("Unable to find event function for T1"), 1);
  EXPECT_EQ(CountBoxes("Unable to find event function"), 1);
  EXPECT_EQ(PerFileReportCount("missing event function", "the level's scripts"), 100000);
  EXPECT_LT(PlayWarningCount() - warningsBefore, 20);  // the next nine, then counts at 10^k
  EXPECT_EQ(lua_gettop(Script().State()), top);
  EXPECT_EQ(Script().TimerCount(), 0u);
  // Missing initialisers and catchers are silent.
  boxes_.clear();
  EXPECT_FALSE(Script().CatchEvent("HourlyUpdate", 5));
  ASSERT_TRUE(RunScript("function CATCHEVENT_HourlyUpdate(h) Seen(h) end"));
  EXPECT_TRUE(Script().CatchEvent("HourlyUpdate", 5));
  EXPECT_EQ(g_Seen, std::vector<int>({5}));
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(EventTest, ErrorInsideATimerIsReportedAndTheGameGoesOn) {
  ASSERT_TRUE(RunScript(R"(
    n = 0
    function EVENT_Bad(a)
      n = n + 1
      if n == 2 then
        local broken = nil
        broken.field = 1
      end
      return 1
    end
    function EVENT_Good(a) Seen(a) return 1 end)"));
  Script().TriggerEvent("Bad", 0, 0);
  Script().TriggerEvent("Good", 0, 8);
  const int top = lua_gettop(Script().State());
  Ticks(1);  // Bad fails here
  ASSERT_EQ(CountBoxes("error: "), 1);
  const auto it = std::find_if(boxes_.begin(), boxes_.end(), [](auto& b) { return b.find("error: ") == 0; });
  EXPECT_NE(it->find("<test: line 7>"), std::string::npos) << *it;
  EXPECT_EQ(lua_gettop(Script().State()), top);
  Ticks(3);
  EXPECT_EQ(g_Seen.size(), 5u);  // Good kept running
  EXPECT_EQ(Script().TimerCount(), 1u);  // Bad was dropped
  EXPECT_EQ(Eval("n"), 2);
}

TEST_F(EventTest, NoEventOfAnOldStateFiresAfterANewOne) {
  ASSERT_TRUE(RunScript("function EVENT_Old(a) Seen(a) return 1 end"));
  Script().TriggerEvent("Old", 2, 1);
  Script().TriggerEvent("Old", 0, 2);
  ASSERT_EQ(Script().TimerCount(), 2u);
  g_Seen.clear();
  ASSERT_TRUE(Script().Create());
  EXPECT_EQ(Script().TimerCount(), 0u);
  Ticks(10);
  EXPECT_TRUE(g_Seen.empty());
  EXPECT_EQ(Eval("EVENT_Old"), -999);  // globals are gone too
}

TEST_F(EventTest, ANewStateMadeWhileAScriptRunsReplacesItSafely) {
  // A binding that starts a level replaces the state under the running script.
  ASSERT_TRUE(RunScript("function EVENT_Restart(a) Seen(a) C_RunScript('nothing.lua') return 1 end"));
  static bool restart = false;
  AddScriptBinder(ScriptBindingStage::kGame, [](CScript& s) {
    s.RegisterFunction(
        [](lua_State*) {
          if (restart) Script().Create();
          return 0;
        },
        "Restart");
  });
  restart = true;
  ASSERT_TRUE(Script().Create());
  ASSERT_TRUE(RunScript("function EVENT_Restart(a) Seen(a) Restart() return 1 end function EVENT_Other(a) Seen(a) return 1 end"));
  Script().TriggerEvent("Other", 1, 5);
  Script().TriggerEvent("Restart", 1, 6);
  g_Seen.clear();
  Ticks(1);
  restart = false;
  EXPECT_EQ(g_Seen, std::vector<int>({5, 6}));
  EXPECT_EQ(Script().TimerCount(), 0u);
  Ticks(3);
  EXPECT_EQ(g_Seen.size(), 2u);
  EXPECT_TRUE(RunScript("x = 1"));  // the new state works
}

TEST_F(EventTest, TimerAddedDuringTheWalkIsCountedInTheSameWalkUnlessAddedByTheLast) {
  ASSERT_TRUE(RunScript(R"(
    function EVENT_Adder(a) C_TriggerEvent("Added", 1, a) return 0 end
    function EVENT_Added(a) Seen(a) return 0 end
    function EVENT_Tail(a) return 100 end)"));
  Script().TriggerEvent("Adder", 1, 1);
  Script().TriggerEvent("Tail", 100, 0);
  Ticks(1);  // Adder was not the last record: Added is counted down in this walk
  EXPECT_EQ(g_Seen, std::vector<int>({1}));

  Script().ClearTimers();
  g_Seen.clear();
  Script().TriggerEvent("Adder", 1, 2);  // the only record
  Ticks(1);
  EXPECT_TRUE(g_Seen.empty());
  Ticks(1);
  EXPECT_EQ(g_Seen, std::vector<int>({2}));
}

TEST_F(EventTest, StateHasOnlyTheBoundFunctions) {
  for (const char* name : {"print", "io", "os", "require", "load", "dofile", "loadfile", "string", "pairs", "debug",
                           "collectgarbage", "setmetatable"}) {
    EXPECT_EQ(Eval(name), -999) << name;
  }
  EXPECT_EQ(Eval("TRUE"), 1);
  EXPECT_EQ(Eval("FALSE"), -999);
  for (const char* name : {"_ERRORMESSAGE", "_ALERT", "C_DebugPrint", "C_TriggerEvent", "C_TriggerEventAbsolute",
                           "C_RunScript"}) {
    EXPECT_EQ(EvalText(std::string("(") + name + " ~= nil) and 'yes' or 'no'"), "yes") << name;
  }
}

TEST_F(EventTest, ScriptFilesRunAsTextOnlyAndReportTheirErrors) {
  TempDir dir;
  const std::string oldRoot = platform::GameRoot();
  platform::SetGameRoot(dir.path());
  dir.Write("scripts/gamestart/hub.lua", "started = 1\n");
  dir.Write("scripts/broken/hub.lua", "x = 1\ny = nil + 1\n");
  dir.Write("scripts/binary/hub.lua", std::string("\x1bLua\x54\x00", 6));
  EXPECT_TRUE(Script().RunFile("scripts\\gamestart\\hub.lua", true));
  EXPECT_EQ(Eval("started"), 1);

  EXPECT_FALSE(Script().RunFile("scripts\\broken\\hub.lua", true));
  ASSERT_GE(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0], "Error running script scripts\\broken\\hub.lua");
  EXPECT_EQ(boxes_[1].find("error: "), 0u);
  EXPECT_NE(boxes_[1].find("line 2>"), std::string::npos) << boxes_[1];

  boxes_.clear();
  EXPECT_FALSE(Script().RunFile("scripts\\binary\\hub.lua", true));
  EXPECT_EQ(CountBoxes("Error running script"), 1);
  EXPECT_EQ(CountBoxes("binary chunk"), 1);

  boxes_.clear();
  EXPECT_FALSE(Script().RunFile("scripts\\level\\ai.lua", false));  // optional: silent
  EXPECT_TRUE(boxes_.empty());
  // Without an _ALERT the error text goes nowhere but the log.
  ASSERT_TRUE(RunScript("_ALERT = nil"));
  EXPECT_FALSE(Script().RunFile("scripts\\broken\\hub.lua", true));
  EXPECT_EQ(boxes_.size(), 1u);
  platform::SetGameRoot(oldRoot);
}

TEST_F(EventTest, ScriptAlertFunctionReceivesErrors) {
  ASSERT_TRUE(RunScript("got = '' function _ALERT(t) got = t end"));
  EXPECT_FALSE(RunScript("local a = {} a.b.c = 1"));
  const std::string got = EvalText("got");
  EXPECT_EQ(got.find("error: "), 0u);
  EXPECT_NE(got.find("<test: line 1>"), std::string::npos) << got;
}

TEST_F(EventTest, LevelStartRunsBothHubsInANewStateAndRaisesLevel) {
  TempDir dir;
  const std::string oldRoot = platform::GameRoot();
  platform::SetGameRoot(dir.path());
  dir.Write("scripts/default/hub.lua", "function EVENT_Level(a) Seen(common + own) end common = 1\n");
  dir.Write("scripts/Harbour/hub.lua", "own = 10\n");
  ASSERT_TRUE(RunScript("leftover = 1"));
  EXPECT_TRUE(StartLevelScripts("harbour"));
  EXPECT_EQ(g_Seen, std::vector<int>({11}));
  EXPECT_EQ(Eval("leftover"), -999);
  EXPECT_FALSE(StartLevelScripts("..\\default"));
  EXPECT_EQ(CountBoxes("is not a plain folder name"), 1);
  EXPECT_FALSE(RunAiCharacterScripts("harbour", false));  // no default ai.lua
  platform::SetGameRoot(oldRoot);
}

TEST_F(EventTest, TheSessionRaisesEventsAndCountsThemDown) {
  InstallScriptSessionServices();
  ASSERT_TRUE(RunScript("function EVENT_Intro(a) Seen(a) end function CATCHEVENT_EndOfDay(a) Seen(50 + a) end"));
  Services().game->TriggerEvent("Intro", 2, 4);
  Services().game->CatchEvent("EndOfDay", 1);
  EXPECT_EQ(g_Seen, std::vector<int>({51}));
  Services().game->TickScriptTimers();
  Services().game->TickScriptTimers();
  EXPECT_EQ(g_Seen, std::vector<int>({51, 4}));
  RestoreDefaultSessionServices();
}

}  // namespace

namespace {

// An endless loop in a chunk or an event handler is stopped with a script
// error after a bounded number of instructions, and the state goes on
// working. A close request stops a running script at once.
TEST_F(EventTest, RunawayScriptsAreStoppedAndCloseRequestsBreakIn) {
  EXPECT_FALSE(Script().RunText("while true do end", "loop", false));
  ASSERT_TRUE(RunScript("function EVENT_Spin(n) while true do end end"));
  Script().TriggerEvent("Spin", 0, 0);
  int stopped = 0;
  for (const std::string& e : Script().ErrorLog()) stopped += e.find("ran too long") != std::string::npos;
  EXPECT_EQ(stopped, 2);
  EXPECT_TRUE(RunScript("x = 1"));

  platform::RequestWindowClose();
  Script().ClearErrorLog();
  EXPECT_FALSE(Script().RunText("while true do end", "closing", false));
  // The close is taken, as the game's window procedure takes it (a request
  // left pending would stop every later script of this program).
  const platform::WindowProc old = platform::SetWindowProc([](uint32_t, uint64_t, int64_t) -> int64_t { return 0; });
  platform::PumpWindowMessages();
  platform::SetWindowProc(old);
  ASSERT_FALSE(platform::CloseRequestPending());
  ASSERT_FALSE(Script().ErrorLog().empty());
  EXPECT_NE(Script().ErrorLog().back().find("the game is closing"), std::string::npos);
  EXPECT_TRUE(RunScript("x = 2"));
}

// Memory is bounded too: a script doubling a string or filling a table fails
// with "not enough memory" as a script error (one instruction can double a
// string, so the instruction budget alone does not stop it), and the state
// goes on working once the garbage is gone.
TEST_F(EventTest, ScriptsThatWantAllTheMemoryFailAsScriptErrors) {
  const char* bombs[] = {"local s = 'x' for i = 1, 40 do s = s .. s end",
                         "local t = {} for i = 1, 1e9 do t[i] = {i} end",
                         "local t = {} for i = 1, 1e9 do t[i] = i end"};
  for (const char* bomb : bombs) {
    Script().ClearErrorLog();
    EXPECT_FALSE(Script().RunText(bomb, "bomb", false)) << bomb;
    ASSERT_FALSE(Script().ErrorLog().empty()) << bomb;
    EXPECT_NE(Script().ErrorLog().back().find("not enough memory"), std::string::npos)
        << Script().ErrorLog().back();
    EXPECT_TRUE(RunScript("x = 3")) << bomb;
  }
}

}  // namespace
