// The game root's sequences on the game's own scripts and data, without a
// window: a new game, a save and a load through the console, the end of a
// game, and the pause when the window loses the focus.
#include "app/game.h"
#include "in_process_game.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "app/game_parts.h"
#include "panels/hud_panels.h"
#include "session/utility_income.h"
#include "ui/buttons.h"
#include "ui/interface_assets.h"
#include "city/city_services.h"
#include "city/buildings.h"
#include "city/people.h"
#include "city/person.h"
#include "session/game_clock.h"
#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/core/run_state.h"
#include "session/save_chunks.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "script/interface_bindings.h"
#include "script/script.h"
#include "city/blocks.h"
#include "session/auction.h"
#include "session/chance_cards.h"
#include "session/chat_log.h"
#include "session/game_clock.h"
#include "session/goals.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "script/people_access.h"
#include "script/profiles.h"
#include "session/tick_driver.h"
#include "sound/game_sound.h"
#include "visuals/overlay/cut_scene.h"
#include "engine/input/camera_controller.h"
#include "engine/input/input_device.h"
#include "visuals/camera/game_camera.h"
#include "visuals/overlay/interface_task.h"
#include "engine/scene/entity.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

class GameTest : public InProcessGameTest {
 protected:
  void SetUp() override {
    OpenGameRoot("game_test", {"scripts", "parameters", "gamedata"});
    // The level's city announces itself each time it is put up.
    std::ofstream(dir_ / "scripts" / "freeplay" / "hub.lua")
        << "function EVENT_Level(a) BuildStartingCity() C_TriggerEvent('CityBuilt', 0, 0) return 0 end\n";
    OpenGame();
    StartSimulation();
  }

  void TearDown() override { CloseGame(); }

  int Count(const std::vector<std::string>& lines, const std::string& part) const {
    int n = 0;
    for (const std::string& line : lines) n += line.find(part) != std::string::npos;
    return n;
  }
  Bytes Read(const char* save) const {
    std::ifstream in(dir_ / "profiles" / "p" / save, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const char* save, const Bytes& bytes) const {
    std::ofstream(dir_ / "profiles" / "p" / save, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void RunTicks(int n) {
    for (int i = 0; i < n; ++i) RunLogicTicks();
  }
  // The interface's data and the HUD's panels as the program loads them,
  // then a new free-play game.
  void StartFreePlayWithHud() {
    for (const char* folder : {"gamedata2", "language"})
      fs::create_directory_symlink(fs::path(RC_GAME_ROOT) / folder, dir_ / folder);
    ASSERT_TRUE(LoadInterfaceImages(640));
    ASSERT_TRUE(LoadInterfaceFonts("usa", 640));
    ASSERT_TRUE(LoadHudLayouts());
    ASSERT_TRUE(LoadAuctionLayouts());
    InstallHudPanels();
    CreateHudPanelSets();
    FillDefaultPlayerSetup();
    TheGame().NewGame(&FreePlayLevel());
  }
};

TEST_F(GameTest, NewGameSaveLoadAndEnd) {
  std::strcpy(PlayerProfile().name, "p");
  FillDefaultPlayerSetup();
  TheGame().NewGame(&FreePlayLevel());
  EXPECT_TRUE(RunState().gameRunning);
  EXPECT_TRUE(Session().inGame);
  EXPECT_FALSE(GamePauseState().Paused());
  ASSERT_NE(PlayerTable().Local(), nullptr);
  EXPECT_GT(CurrentPeopleCount(), 0);
  EXPECT_EQ(Count(boxes_, "CityBuilt"), 1);

  RunTicks(100);
  ExecuteConsoleCommand("SAVEGAME slot");
  const Bytes saved = Read("slot");
  RunTicks(100);
  ASSERT_NE(Read("slot"), Bytes{});

  // A load puts back the saved game exactly, without putting up the level's
  // own city first.
  ExecuteConsoleCommand("LOADGAME slot");
  EXPECT_EQ(Count(replies_, "File slot loaded successfully"), 1);
  EXPECT_EQ(Count(boxes_, "CityBuilt"), 1);
  EXPECT_TRUE(RunState().gameRunning);
  ExecuteConsoleCommand("SAVEGAME again");
  EXPECT_EQ(Read("again"), saved);

  // A save of a level this program does not know is refused before the
  // running game is touched.
  Bytes unknown = saved;
  ASSERT_GT(unknown.size(), 60u);
  unknown[56] = 0x7F;  // the header's scenario id, after the 48-byte version chunk
  Write("unknown", unknown);
  ExecuteConsoleCommand("LOADGAME unknown");
  EXPECT_EQ(Count(replies_, "File unknown could not be loaded"), 1);
  ExecuteConsoleCommand("SAVEGAME after");
  EXPECT_EQ(Read("after"), saved);

  TheGame().EndGame(true, 1);
  EXPECT_FALSE(RunState().gameRunning);
  EXPECT_FALSE(Session().inGame);
  EXPECT_EQ(GamePauseState().Count(0), 1);
  EXPECT_EQ(CurrentPeopleCount(), 0);
}

// A single-player game against a computer player: an auction on a block
// from the console, saved and loaded while the auction screen is up (it
// starts again from its opening price), then a win by the level's objective;
// then a new game by level id, lost by debt.
class WholeGameTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    std::ofstream(dir_ / "scripts" / "freeplay" / "hub.lua")
        << "function EVENT_Level(a) BuildStartingCity() Game.SetObjective(OBJECTIVE_PROFIT, 1000) return 0 end\n";
    std::strcpy(PlayerProfile().name, "p");
    PlayerSetupRow& me = PlayerTable().SetupRow(0);
    me.kind = kPlayerHuman;
    std::strcpy(me.name, "Me");
    PlayerSetupRow& cpu = PlayerTable().SetupRow(1);
    cpu.kind = kPlayerComputer;
    cpu.character = 1;
    std::strcpy(cpu.name, "Cpu");
  }
  bool RunUntil(bool (*done)(), int limit) {
    for (int i = 0; i < limit && !done(); ++i) {
      RunLogicTicks();
      TheGame().DrainGameEvents();
    }
    return done();
  }
  // The end sequence that plays, skipped to its end.
  std::string SkipCutScene() {
    if (!RunUntil([] { return CutScene().Running(); }, 200)) return "";
    const std::string name = CutScene().Name();
    CutScene().End();
    for (int i = 0; i < 200 && CutScene().Running(); ++i) CutScene().Update();
    TheGame().DrainGameRequests();  // the frame's end: the scene's end reaches the game
    return name;
  }
  void RunToMidnight() {
    GameClock().hour = 23;
    Session().tickInHour = RunningTick() % kTicksPerHour;
    RunUntil([] { return GameClock().hour == 0; }, static_cast<int>(kTicksPerHour));
  }
};

TEST_F(WholeGameTest, AuctionSavedAndLoadedThenAWinByObjectiveThenALossByDebt) {
  TheGame().NewGame(&FreePlayLevel());
  ASSERT_EQ(PlayerTable().ActiveCount(), 2);
  EXPECT_EQ(GameGoal().kind, OBJECTIVE_PROFIT);
  EXPECT_FLOAT_EQ(GameGoal().target, 1000.0f);

  ExecuteConsoleCommand("AUCTION 12 500");
  ASSERT_TRUE(RunUntil([] { return CurrentAuction() != nullptr && CurrentAuction()->active != 0; }, 3200));
  ExecuteConsoleCommand("BID 1 800");
  EXPECT_EQ(CurrentAuction()->price, 800);
  ExecuteConsoleCommand("SAVEGAME mid");
  ExecuteConsoleCommand("LOADGAME mid");
  ASSERT_EQ(Count(replies_, "File mid loaded successfully"), 1);
  ASSERT_NE(CurrentAuction(), nullptr);
  EXPECT_TRUE(CurrentAuction()->active);
  EXPECT_EQ(CurrentAuction()->price, 500);
  EXPECT_EQ(Session().gameState, kGameStateAuction);
  ExecuteConsoleCommand("PASS 1");
  ASSERT_TRUE(RunUntil([] { return CurrentAuction() == nullptr; }, 400));
  RunUntil([] { return g_Blocks[12].Owner != 0; }, 50);
  EXPECT_EQ(g_Blocks[12].Owner, 1);

  PlayerTable().Local()->AddToLedger(2000.0f, kLedgerSales);
  EXPECT_EQ(SkipCutScene(), "win_sequence");
  EXPECT_FALSE(RunState().gameRunning);
  EXPECT_EQ(ScenarioManager().FindById(400002)->completed[ScenarioManager().Difficulty()], 1);
  EXPECT_EQ(GamePauseState().Count(0), 1);

  ExecuteConsoleCommand("STARTLEVEL 400002 1");
  ASSERT_TRUE(RunState().gameRunning);
  EXPECT_EQ(ScenarioManager().Difficulty(), 1);
  ExecuteConsoleCommand("STARTLEVEL 999999");
  EXPECT_EQ(Count(replies_, "Level 999999 (difficulty 1) is not known"), 1);
  PlayerTable().Local()->money = -100.0f;
  RunToMidnight();
  EXPECT_TRUE(RunState().gameRunning);
  RunToMidnight();
  EXPECT_EQ(SkipCutScene(), "lose_sequence");
  EXPECT_FALSE(RunState().gameRunning);
  EXPECT_FALSE(PlayerTable().Local()->inUse);
}

// A second game in one process starts from the start, whatever the first
// left: the game root's one reset (Game::Reset) begins every new game and
// every load. A save taken at once holds the whole saved game; what a save
// does not hold is looked at directly.
class SecondGameTest : public WholeGameTest {
 protected:
  void TearDown() override {
    TheGame().SetNewGameSeed(std::nullopt);
    WholeGameTest::TearDown();
  }
  Bytes SaveNow(const std::string& name) {
    ExecuteConsoleCommand(("SAVEGAME " + name).c_str());
    return Read(name.c_str());
  }
  // The game played on and left in the middle of everything: an auction on
  // the screen, a chat line, a later decade, the fast speed, the plan view's
  // words, a level's tweak.
  void PlayOn() {
    RunUntil([] { return LogicTick() % 100 == 99; }, 200);
    ExecuteConsoleCommand("AUCTION 12 500");
    ASSERT_TRUE(RunUntil([] { return CurrentAuction() != nullptr && CurrentAuction()->active != 0; }, 3200));
    ASSERT_EQ(Session().gameState, kGameStateAuction);
    ChatLog().AddLine(0, "still here");
    GameClock().decade = 3;
    SetLogicSpeed(true);
    GameTime().viewState = 2;
    Tweaks().startingCash = 1.0f;
    PlayerTable().Local()->money += 12345.0f;
  }
  // What the save does not hold, as a new game or a load has it.
  static void ExpectNothingOfTheLastGame() {
    EXPECT_EQ(CurrentAuction(), nullptr);
    EXPECT_EQ(Session().gameState, kGameStateRunning);
    EXPECT_EQ(Session().ticksPerCall, 1);
    EXPECT_TRUE(Session().inGame);
    EXPECT_EQ(ChatLog().LiveCount(), 0);
    EXPECT_EQ(GameTime().screenMode, 0);
    EXPECT_TRUE(GameSound().enabled());
    EXPECT_FALSE(GamePauseState().Paused());
  }
};

TEST_F(SecondGameTest, LevelsInARowStartAlike) {
  TheGame().SetNewGameSeed(77);
  TheGame().NewGame(&FreePlayLevel());
  const Bytes first = SaveNow("first");
  ASSERT_FALSE(first.empty());
  // A new level while one runs (STARTLEVEL), then one after the end.
  PlayOn();
  TheGame().NewGame(&FreePlayLevel());
  ExpectNothingOfTheLastGame();
  EXPECT_EQ(SaveNow("second"), first);
  PlayOn();
  TheGame().EndGame(false, 0);
  TheGame().NewGame(&FreePlayLevel());
  ExpectNothingOfTheLastGame();
  EXPECT_EQ(SaveNow("third"), first);
}

TEST_F(SecondGameTest, ALoadAfterALevelIsTheSavedGameAlone) {
  TheGame().NewGame(&FreePlayLevel());
  RunUntil([] { return LogicTick() >= 200; }, 300);
  const Bytes saved = SaveNow("saved");
  // Loaded while a game runs, and from the menus once it has ended.
  PlayOn();
  ExecuteConsoleCommand("LOADGAME saved");
  ASSERT_EQ(Count(replies_, "File saved loaded successfully"), 1);
  ExpectNothingOfTheLastGame();
  EXPECT_EQ(SaveNow("again"), saved);
  PlayOn();
  TheGame().EndGame(false, 0);
  ExecuteConsoleCommand("LOADGAME saved");
  ASSERT_EQ(Count(replies_, "File saved loaded successfully"), 2);
  ExpectNothingOfTheLastGame();
  EXPECT_EQ(SaveNow("after_the_end"), saved);
}

// A network game's session, once closed, leaves nothing to the next game: it
// is a single-player one from the start. While a session is open, a level
// that starts is played on it.
TEST_F(SecondGameTest, ALevelAfterANetworkGameIsASinglePlayerOne) {
  TheGame().SetNewGameSeed(77);
  TheGame().NewGame(&FreePlayLevel());
  const Bytes single = SaveNow("single");
  // What the session's close (NetworkGame::CloseSession) leaves of it.
  SessionState& s = Session();
  s.networkSeed = 4242;
  s.networkScenario = 300005;
  s.localSlot = 2;
  s.serverSlot = 1;
  s.sessionLost = true;
  TheGame().EndGame(false, 0);
  TheGame().NewGame(&FreePlayLevel());
  EXPECT_FALSE(Session().networkSession);
  EXPECT_EQ(Session().networkSeed, 0);
  EXPECT_EQ(Session().networkScenario, 0);
  EXPECT_EQ(Session().localSlot, 0);
  EXPECT_EQ(Session().serverSlot, 0);
  EXPECT_FALSE(Session().sessionLost);
  ExpectNothingOfTheLastGame();
  EXPECT_EQ(SaveNow("single_again"), single);

  // An open session: the level starts on it, seeded by it.
  TheGame().EndGame(false, 0);
  s.networkSession = true;
  s.host = true;
  s.networkGameStarted = true;
  s.networkSeed = 4242;
  s.localSlot = 1;
  TheGame().NewGame(&FreePlayLevel());
  EXPECT_TRUE(Session().networkSession);
  EXPECT_TRUE(Session().host);
  EXPECT_TRUE(Session().networkGameStarted);
  EXPECT_EQ(Session().networkSeed, 4242);
  EXPECT_EQ(Session().localSlot, 1);
}

// The level scripts' calls: the objective, the difficulty, level
// registrations (the script's order: id, folder, name), the interface locks
// with their control ids checked, and an auction on a block.
TEST_F(GameTest, ScriptsReachTheSessionRules) {
  FillDefaultPlayerSetup();
  TheGame().NewGame(&FreePlayLevel());
  ScenarioManager().SetDifficulty(2);
  ASSERT_TRUE(Script().RunText(
      "Game.SetObjective(OBJECTIVE_SALES, 250, 0)\n"
      "Frontend.RegisterLevel(100002, 'lesson2', 'Second lesson', 'About auctions')\n"
      "Frontend.RegisterLevel(900001, 'nowhere', 'Too far', '')\n"
      "Interface.DisableAllControls() Interface.EnableControl(TUT_MYGO)\n"
      "Interface.EnableControl(500) Interface.EnableControl('x') Interface.EnableAllControls()\n"
      "Game.StartAuction(12, 750)\n"
      "Difficulty = Game.GetDifficulty()\n",
      "rules", true));
  EXPECT_EQ(GameGoal().kind, OBJECTIVE_SALES);
  EXPECT_FLOAT_EQ(GameGoal().target, 250.0f);
  EXPECT_EQ(GameGoal().lastPlayerRule, 0);
  const ScenarioEntry* lesson = ScenarioManager().FindById(100002);
  ASSERT_NE(lesson, nullptr);
  EXPECT_EQ(lesson->folder, "lesson2");
  EXPECT_TRUE(lesson->tutorial);
  EXPECT_EQ(ScenarioManager().FindById(900001), nullptr);
  EXPECT_EQ(Count(boxes_, "Interface control 500 is not a control id"), 1);
  RunTicks(25);
  ASSERT_NE(CurrentAuction(), nullptr);
  EXPECT_EQ(CurrentAuction()->openingValue, 750);
  ASSERT_TRUE(Script().RunText("if Difficulty ~= DIFFICULTY_HARD then error('difficulty') end", "check", true));
}

// A script has the city deal a card through the deck's messages; a card or
// player out of range, or a player holding a card, is refused.
TEST_F(GameTest, ScriptsHaveTheCityDealACard) {
  FillDefaultPlayerSetup();
  TheGame().NewGame(&FreePlayLevel());
  ASSERT_TRUE(Script().RunText(
      "Refused = Game.DealCard(0) or Game.DealCard(83) or Game.DealCard(-1) or Game.DealCard(2, 99)\n"
      "  or Game.DealCard('x')\n"
      "Dealt = Game.DealCard(2)\n",
      "deal", true));
  ASSERT_TRUE(Script().RunText("if Refused or not Dealt then error('deal') end", "check", true));
  for (int i = 0; i < 2000 && PlayerTable().Local()->Chance().CardState() == kCardNone; ++i) RunTicks(1);
  EXPECT_EQ(PlayerTable().Local()->Chance().CardState(), kCardDealt);
  EXPECT_EQ(PlayerTable().Local()->Chance().HeldCard(), 2);
  ASSERT_TRUE(Script().RunText("if Game.DealCard(3) then error('second card') end", "check", true));
}

// The level's city is put up on the first decade's figures (the 1930s file's
// residential rent, not the kinds' start figures), in a second game too
// after the first one reached a later decade: so the people can pay the rent
// and find homes.
TEST_F(GameTest, TheLevelsCityIsBuiltOnTheFirstDecadesFigures) {
  std::strcpy(PlayerProfile().name, "p");
  FillDefaultPlayerSetup();
  for (int game = 0; game < 2; ++game) {
    SCOPED_TRACE(game);
    TheGame().NewGame(&FreePlayLevel());
    EXPECT_EQ(g_BuildingKinds[kKindResidential].Figures[kFigureRent], 2);
    int homes = 0;
    for (const CBuilding& b : g_Buildings) {
      if (!b.InUse || b.Kind != kKindResidential) continue;
      ++homes;
      EXPECT_EQ(b.RentPerUnit, 2) << "building " << b.Id;
    }
    EXPECT_GT(homes, 0);
    // The first day's house hunt.
    while (GameClock().dayCounter == 0) RunTicks(25);
    int seekers = 0, housed = 0;
    for (int i = 0; i < g_PeopleCount; ++i) {
      const CPerson& p = g_People[i];
      if (!p.InUse || p.Kind == kTourist) continue;
      ++seekers;
      housed += p.IsHoused();
    }
    EXPECT_GE(housed * 10, seekers * 9);
    // The first game ends in the 1960s.
    ExecuteConsoleCommand("BUILDINGRENT RESIDENTIAL 9");
    GameClock().decade = 3;
    TheGame().EndGame(true, 0);
  }
}

TEST_F(GameTest, LosingTheFocusPausesOnlyASinglePlayerGame) {
  TheGame().Activate(false);
  TheGame().Activate(false);
  EXPECT_EQ(GamePauseState().Count(1), 1);  // never above one
  TheGame().Activate(true);
  EXPECT_EQ(GamePauseState().Count(1), 0);

  Session().networkSession = true;
  TheGame().Activate(false);
  EXPECT_EQ(GamePauseState().Count(1), 0);
}

}  // namespace

// The scripts' prompts and day panel reach the HUD built from the game's own
// interface data, in a running game: a message with a number and a string
// line, a prompt with its button, the dismissal's script event, and the
// day panel (the auction room's prompt in the auction state); the level's
// start opens the statistics.
TEST_F(GameTest, ScriptsOpenThePromptsAndTheDayPanel) {
  ASSERT_NO_FATAL_FAILURE(StartFreePlayWithHud());
  // The level's start opens the selection's information and the
  // statistics, unfolded.
  EXPECT_TRUE(HudPanels().selection.open);
  EXPECT_TRUE(HudPanels().stats.open);
  EXPECT_TRUE(HudPanels().stats.Expanded());
  CPromptPanel& prompt = HudPanels().prompt;
  auto run = [](const char* text) {
    const bool ok = Script().RunText(text, "test", true);
    TheGame().DrainGameEvents();
    return ok;
  };
  ASSERT_TRUE(run("Dismissed = 0\n"
                  "function CATCHEVENT_InterfacePromptDismiss(v) Dismissed = v end\n"
                  "Interface.CreateMessage(1728, 'Look here', 7, 2236)\n"));
  ASSERT_TRUE(prompt.open);
  ASSERT_NE(prompt.Head(), nullptr);
  // A title too long for one line takes the title area's second, whole.
  const CTextRect& title = prompt.Head()->lines[0];
  std::string titleText;
  for (int32_t l = 0; l < title.LineCount(); ++l) titleText += (l ? " " : "") + title.LineText(l);
  EXPECT_EQ(titleText, "Your lease on Lantern Avenue runs out in 24 hours.");
  EXPECT_LE(float(title.LineCount() * title.lineHeight), title.y2 - title.y1);
  EXPECT_EQ(prompt.Head()->lines[1].LineText(0), "Look here");
  EXPECT_EQ(prompt.Head()->buttonCount, 0);
  EXPECT_EQ(prompt.Head()->portrait, 302);
  ASSERT_TRUE(run("Interface.CreatePrompt('Title', 'Text', 8, 0)"));
  EXPECT_EQ(prompt.QueueLength(), 2u);
  ASSERT_TRUE(run("Interface.DismissPrompt()"));
  ASSERT_TRUE(run("if Dismissed ~= 7 then error('dismissed') end"));
  EXPECT_EQ(prompt.Head()->buttonCount, 1);
  EXPECT_EQ(prompt.buttons[0]->labelTextId, 1707);
  ASSERT_TRUE(run("Interface.CreateEventList()"));
  EXPECT_TRUE(HudPanels().day.open);
  Session().gameState = kGameStateAuction;
  ASSERT_TRUE(run("Interface.CreateEventList()"));
  EXPECT_TRUE(HudPanels().auctionPrompt.open);
  EXPECT_EQ(Count(boxes_, "Interface"), 0);
  EXPECT_EQ(Count(boxes_, "cannot be read"), 0);
}

// A level's daily news is a message without a button: the prompt panel
// closes each when its time is up, so a month of them never reaches the
// limit of script prompts open at once.
TEST_F(GameTest, ScriptMessagesCloseWhenTheirTimeIsUp) {
  ASSERT_NO_FATAL_FAILURE(StartFreePlayWithHud());
  CPromptPanel& prompt = HudPanels().prompt;
  while (prompt.open) prompt.OnEvent(kMsgFrameTick, 0, 0);  // the level's own opening message
  for (int day = 0; day < 30; ++day) {
    ASSERT_TRUE(Script().RunText("Interface.CreateMessage(1948, 1949, 5, 30000)", "test", true));
    TheGame().DrainGameEvents();
    ASSERT_TRUE(prompt.open) << "day " << day;
    for (int frame = 0; frame <= kPromptDefaultTimeout + 1 && prompt.open; ++frame) prompt.OnEvent(kMsgFrameTick, 0, 0);
    EXPECT_FALSE(prompt.open) << "day " << day;
  }
  EXPECT_TRUE(OpenScriptPrompts().empty());
  EXPECT_EQ(Count(boxes_, "prompts open"), 0);
}

// A level opens on the view over the city and keeps it while the pointer
// moves (towards the panels); Alt+F's keys mode is the one the mouse turns.
TEST_F(GameTest, ALevelOpensOnAStillViewOverTheCity) {
  FillDefaultPlayerSetup();
  TheGame().NewGame(&FreePlayLevel());
  const Vec3 eye = g_CameraState.targetEye, lookAt = g_CameraState.targetLookAt;
  EXPECT_GT(eye.y, lookAt.y);  // looking down on the city
  for (int i = 0; i < 20; ++i) {
    g_InputState.mouse.x = 40;
    g_InputState.mouse.y = 30;
    CamUpdate();
  }
  g_InputState.mouse = {};
  const Vec3& nowEye = g_CameraState.targetEye;
  const Vec3& nowLook = g_CameraState.targetLookAt;
  EXPECT_EQ(std::tie(nowEye.x, nowEye.y, nowEye.z), std::tie(eye.x, eye.y, eye.z));
  EXPECT_EQ(std::tie(nowLook.x, nowLook.y, nowLook.z), std::tie(lookAt.x, lookAt.y, lookAt.z));
}

// LOCKCAM locks the view where it is (with no number or 1) and any other
// number unlocks it; AddToTracker adds the selected object, and nothing
// when nothing is selected.
TEST_F(GameTest, TheCameraLockAndTrackerCommands) {
  FillDefaultPlayerSetup();
  TheGame().NewGame(&FreePlayLevel());
  SetCameraLock(false);
  struct Case {
    const char* line;
    bool locked;
  };
  for (const Case& c : {Case{"LOCKCAM", true}, Case{"lockcam 0", false}, Case{"LOCKCAM 1", true},
                        Case{"LOCKCAM 1", true}, Case{"LOCKCAM 2", false}}) {
    ExecuteConsoleCommand(c.line);
    EXPECT_EQ(CameraLocked(), c.locked) << c.line;
    EXPECT_EQ(LockedCameraState().mode, c.locked ? 7 : 0) << c.line;
  }

  ClearCameraTracker();
  SelectedObject() = nullptr;
  ExecuteConsoleCommand("AddToTracker");
  EXPECT_EQ(CameraTrackerCount(), 0);
  CEntity object;
  SelectedObject() = &object;
  ExecuteConsoleCommand("addtotracker");
  EXPECT_EQ(CameraTrackerCount(), 1);
  SelectedObject() = nullptr;
  ClearCameraTracker();
}
