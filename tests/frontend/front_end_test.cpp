// The front end's pages on the game's own layouts, fonts and texts, driven
// by the mouse as a player would: entering the menus, the single-player road
// to a started level, the in-game menu's quit back to the menus, the
// tutorial list's choice. The pages act on the game's own state; what they
// ask of the game above them is read from the request queue.
#include <gtest/gtest.h>

#include "frontend_fixture.h"

#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/recording_renderer.h"
#include "engine/scene/texture.h"
#include "frontend/front_end.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "script/profiles.h"
#include "session/goals.h"
#include "engine/files/text_bank.h"
#include "ui/buttons.h"
#include "ui/edit_box.h"
#include "ui/interface_assets.h"
#include "ui/list_box.h"
#include "ui/player_tokens.h"
#include "ui/ui_services.h"
#include "frontend/front_end_page.h"
#include "engine/core/run_state.h"
#include "visuals/overlay/frame_draw.h"

namespace {

class FrontEndTest : public FrontEndPagesTest {
 protected:
  void SetUp() override {
    LoadPages();
    ASSERT_FALSE(HasFatalFailure());
    ScenarioManager().Clear();
    PlayerTable().ClearPlayerSetupRows();
  }

  CFrontEndScreens& Fe() { return FrontEndScreens(); }
  std::vector<int32_t> OpenPages() {
    std::vector<int32_t> open;
    for (int32_t p = 0; p < kFrontEndPageCount; ++p)
      if (Fe().IsOpen(p)) open.push_back(p);
    return open;
  }
  void RegisterTutorials(int32_t count) {
    for (int32_t i = 0; i < count; ++i)
      ScenarioManager().RegisterLevel(100001 + i, ("Lesson " + std::to_string(i + 1)).c_str(), "tutorial", "d");
  }

  std::string Shown(int32_t page, int32_t id) {
    const CTextRect* t = Child<CTextRect>(page, id);
    return t && t->LineCount() > 0 ? t->LineText(0) : std::string();
  }

  // The players' setup row n as the level start reads it.
  const PlayerSetupRow& Row(int32_t n) { return PlayerTable().SetupRow(n); }
  int32_t Pauses() { return GamePauseState().Count(0); }
  // What the game does when it ends a game the menus asked it to end.
  void EndTheGame() {
    RunState().gameRunning = false;
    ReturnToFrontEnd(ScenarioManager().IsTutorialRunning());
  }
};

TEST_F(FrontEndTest, WithoutAProfileTheNewProfilePageComesFirstThenTheMainMenu) {
  EnterFrontEnd();
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageNewProfile});
  EXPECT_EQ(GetScreenMode(), kScreenMenu);
  EXPECT_EQ(ScriptNumber("HubRuns"), 1);
  // A name typed and confirmed makes the profile and opens the main menu.
  Child<CEditBox>(kPageNewProfile, 3)->SetText("Alice");
  Click(kPageNewProfile, "CONFIRM_OPTION1_BUTTON");
  EXPECT_EQ(ListProfiles(), std::vector<std::string>{"Alice"});
  EXPECT_STREQ(PlayerProfile().name, "Alice");
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageMainMenu});
  // The menu's scene has set its orbit camera, once.
  EXPECT_FALSE(Fe().orbitCameraOnce);
  EXPECT_EQ(Fe().modalCount, 0);
}

TEST_F(FrontEndTest, EnteringAgainWhileTheMainMenuIsOpenChangesNothing) {
  MakeProfile("Bob");
  EnterFrontEnd();
  ASSERT_EQ(OpenPages(), std::vector<int32_t>{kPageMainMenu});
  EnterFrontEnd();
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageMainMenu});
  EXPECT_EQ(ScriptNumber("HubRuns"), 1);
  // Back and forth through the game-type page.
  Click(kPageMainMenu, "MAIN_BUTT03");
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageTitle});
  Click(kPageTitle, "MAIN_BUTT05");
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageMainMenu});
  EXPECT_TRUE(Requests().empty());
}

// The idle count is of the menus' input frames (50 a second); clicks do not
// reset it, a new opening does.
TEST_F(FrontEndTest, AnIdleMainMenuGivesWayToTheFlyByOnItsSixThousandthFrame) {
  MakeProfile("Bob");
  EnterFrontEnd();
  for (int32_t frame = 1; frame < 6000; ++frame) Frame(0, 0, false);
  EXPECT_TRUE(Fe().IsOpen(kPageMainMenu));
  EXPECT_TRUE(Requests().empty());
  Frame(0, 0, false);
  EXPECT_FALSE(Fe().IsOpen(kPageMainMenu));
  const std::vector<GameRequest> asked = Requests();
  ASSERT_EQ(asked.size(), 1u);
  ASSERT_TRUE(std::holds_alternative<FlybyRequest>(asked[0]));
  EXPECT_FALSE(std::get<FlybyRequest>(asked[0]).credits);
  EnterFrontEnd();
  for (int32_t frame = 1; frame < 6000; ++frame) Frame(0, 0, false);
  EXPECT_TRUE(Fe().IsOpen(kPageMainMenu));
}

TEST_F(FrontEndTest, QuitQuestionAsksFirstAndNoLeavesEverything) {
  MakeProfile("Bob");
  EnterFrontEnd();
  Click(kPageMainMenu, "MAIN_BUTT07");
  EXPECT_TRUE(Fe().IsOpen(kPagePrompt));
  Click(kPagePrompt, "PROMPT_BUTTON_2");
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageMainMenu});
  EXPECT_EQ(Count<QuitRequest>(Requests()), 0);
  Click(kPageMainMenu, "MAIN_BUTT07");
  Click(kPagePrompt, "PROMPT_BUTTON_1");
  EXPECT_EQ(Count<QuitRequest>(Requests()), 1);
  EXPECT_TRUE(OpenPages().empty());
  EXPECT_EQ(Fe().modalCount, 0);
}

// Title to a started level and back, by the mouse: the scenario list, the
// token page (a clash the human wins, LEFT from 0), START, then Escape's
// in-game menu and its quit.
TEST_F(FrontEndTest, MenusLeadToAStartedLevelAndTheGameLeadsBack) {
  MakeProfile("Cleo");
  ScenarioManager().RegisterLevel(200001, "Main Street", "main_street", "Open the first shop.");
  ScenarioManager().RegisterLevel(200002, "Harbour", "harbour_lights", "Ships.");
  ScenarioManager().UnlockById(200001);
  ScenarioManager().UnlockById(200002);
  ScenarioManager().Find(200001)->completed[1] = 1;  // won at medium: the list opens on the next
  // The level's players script: the human asks for token 0, a computer for
  // 0 as well and another for 9, with no option given.
  WriteScript("harbour_lights/players.lua", "Frontend.RegisterPlayer(0, HUMAN_PLAYER, 0)\n"
                                             "Frontend.RegisterPlayer(1, AI_PLAYER, 0)\n"
                                             "Frontend.RegisterPlayer(2, AI_PLAYER, 9)\n");
  EnterFrontEnd();
  Click(kPageMainMenu, "MAIN_BUTT03");
  Click(kPageTitle, "MAIN_BUTT02");
  ASSERT_EQ(OpenPages(), std::vector<int32_t>{kPageScenarios});
  ASSERT_NE(ScenarioManager().Current(), nullptr);
  EXPECT_EQ(ScenarioManager().Current()->id, 200002);
  Click(kPageScenarios, "SPSCENARIO_HARD_TOGGLE");
  EXPECT_EQ(ScenarioManager().Difficulty(), 2);
  Click(kPageScenarios, "SPSCENARIO_OK_BUTTON");
  ASSERT_EQ(OpenPages(), std::vector<int32_t>{kPageTokens});

  Click(kPageTokens, "SP_TOKEN_LEFT_BUTT_P1");  // LEFT from 0 gives 9
  EXPECT_EQ(PlayerProfile().PreferredCharacter, 9);
  // A press on an opponent's row describes its token; an open seat's does not.
  std::string described;
  InterfaceTextSystem().GetTextAscii(described, TokenInfoRow(1).nameText);
  Click(kPageTokens, "SP_TOKEN_SLOT_3BACKING");
  EXPECT_EQ(Child<CTextRect>(kPageTokens, 23)->LineText(0), described);
  Click(kPageTokens, "SP_TOKEN_SLOT_5BACKING");
  EXPECT_EQ(Child<CTextRect>(kPageTokens, 23)->LineText(0), described);
  Click(kPageTokens, "SP_TOKEN_START_BUTTON");
  std::vector<GameRequest> asked = Requests();
  ASSERT_EQ(asked.size(), 1u);
  ASSERT_TRUE(std::holds_alternative<StartLevelRequest>(asked[0]));
  EXPECT_EQ(std::get<StartLevelRequest>(asked[0]).reopenPage, kPageTokens);
  EXPECT_EQ(ScenarioManager().Current()->id, 200002);
  EXPECT_TRUE(OpenPages().empty());
  EXPECT_EQ(Row(0).kind, kPlayerHuman);
  EXPECT_EQ(Row(0).character, 9);
  EXPECT_STREQ(Row(0).name, "Cleo");
  EXPECT_EQ(Row(1).kind, kPlayerComputer);
  EXPECT_EQ(Row(1).character, 0);  // asked for 0, free again
  EXPECT_EQ(Row(2).character, 1);  // asked for the human's 9: up past 0 (taken) to 1
  EXPECT_EQ(Row(1).difficulty, 0);  // registered without an option
  EXPECT_EQ(Row(1).name, frontend_pages::MenuText(1744));

  // The game started: Escape opens the in-game menu and pauses; quitting
  // after the question asks the game to end.
  RunState().gameRunning = true;
  SetScreenMode(kScreenCity);
  EnterFrontEnd();
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageInGameMenu});
  EXPECT_EQ(Pauses(), 1);
  EXPECT_EQ(GetScreenMode(), kScreenMenu);
  EnterFrontEnd();  // the menu's key again: back to the game
  EXPECT_TRUE(OpenPages().empty());
  EXPECT_EQ(Pauses(), 0);
  EXPECT_EQ(GetScreenMode(), kScreenCity);
  EnterFrontEnd();
  Click(kPageInGameMenu, "MAIN_BUTT05");
  Click(kPagePrompt, "PROMPT_BUTTON_1");
  EXPECT_EQ(Count<EndGameRequest>(Requests()), 1);
  EXPECT_EQ(Pauses(), 0);
  EndTheGame();
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageMainMenu});
  EXPECT_EQ(GetScreenMode(), kScreenMenu);
}

TEST_F(FrontEndTest, TutorialListOpensOnTheFirstLessonNotDone) {
  MakeProfile("Dee");
  RegisterTutorials(4);
  ScenarioEntry* e = ScenarioManager().Find(100001);
  e->completed[0] = 1;
  ScenarioManager().Find(100002)->completed[2] = 1;  // done only at hard
  EnterFrontEnd();
  Click(kPageMainMenu, "MAIN_BUTT02");
  ASSERT_EQ(OpenPages(), std::vector<int32_t>{kPageTutorials});
  CListBox* list = Child<CListBox>(kPageTutorials, 6);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetSelection(), 2);
  EXPECT_EQ(ScenarioManager().Current()->id, 100003);
  EXPECT_FALSE(Child<CIconButton>(kPageTutorials, 0)->disabled);

  // Every lesson done: nothing chosen, OK off.
  Click(kPageTutorials, "SPTUTORIAL_BACK_BUTTON");
  for (int32_t i = 0; i < 4; ++i) ScenarioManager().Find(100001 + i)->completed[1] = 1;
  ScenarioManager().SelectScenario(-1, false);
  Click(kPageMainMenu, "MAIN_BUTT02");
  EXPECT_EQ(list->GetSelection(), -1);
  EXPECT_TRUE(Child<CIconButton>(kPageTutorials, 0)->disabled);
}

TEST_F(FrontEndTest, ATutorialStartsWithoutWaitingUnlessARowLacksItsToken) {
  MakeProfile("Eve");
  RegisterTutorials(1);
  // Row 1 is a computer whose token the script leaves out.
  Script().RegisterFunction(
      [](lua_State*) -> int {
        PlayerTable().SetupRow(1).kind = kPlayerComputer;
        PlayerTable().SetupRow(1).character = -1;
        return 0;
      },
      "ComputerWithoutToken");
  WriteScript("tutorial/players.lua", "Frontend.RegisterPlayer(0, HUMAN_PLAYER, 2)\n"
                                      "if NoTokenForRowOne then ComputerWithoutToken()\n"
                                      "else Frontend.RegisterPlayer(1, AI_PLAYER, 5) end\n");
  Script().RunText("NoTokenForRowOne = true", "test", true);
  EnterFrontEnd();
  Click(kPageMainMenu, "MAIN_BUTT02");
  Click(kPageTutorials, "SPTUTORIAL_OK_BUTTON");
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageTokens});  // stays: row 1 has no token
  EXPECT_EQ(Count<StartLevelRequest>(Requests()), 0);
  Click(kPageTokens, "SP_TOKEN_BACK_BUTTON");
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageTutorials});
  Script().RunText("NoTokenForRowOne = false", "test", true);
  Click(kPageTutorials, "SPTUTORIAL_OK_BUTTON");
  EXPECT_EQ(Count<StartLevelRequest>(Requests()), 1);
  EXPECT_EQ(ScenarioManager().Current()->id, 100001);
  EXPECT_EQ(Row(0).character, 2);
  EXPECT_EQ(ScenarioManager().Difficulty(), 0);
  // The end of a tutorial leads back to the tutorial list.
  RunState().gameRunning = true;
  EndTheGame();
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageTutorials});
}

// Over a running game the statistics page pauses a single-player game (not
// a network one) and shows the menu overlay until OK; during a game the
// arrows keep to the first five statistics, after a game decided by votes
// they reach all six.
TEST_F(FrontEndTest, StatisticsPausesOnlyASinglePlayerGameAndCyclesWhatIsOffered) {
  MakeProfile("Fay");
  ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerHuman, 3, "Fay"));
  GameGoal().kind = OBJECTIVE_WEAKEST_LINK;
  struct Case {
    bool network;
    int32_t pauses;
  } const cases[] = {{false, 1}, {true, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.network);
    RunState().gameRunning = true;
    Session().networkSession = c.network;
    SetScreenMode(kScreenPlan);
    ShowStatistics();
    ASSERT_EQ(OpenPages(), std::vector<int32_t>{kPageStatistics});
    EXPECT_EQ(GetScreenMode(), kScreenMenu);
    EXPECT_EQ(Pauses(), c.pauses);
    // One player: one icon, one name.
    EXPECT_TRUE(Child<CButton>(kPageStatistics, 3)->visible);
    EXPECT_FALSE(Child<CButton>(kPageStatistics, 4)->visible);
    EXPECT_EQ(Shown(kPageStatistics, 20), "Fay");
    EXPECT_EQ(Shown(kPageStatistics, 13), "Cash");  // a vote is decided on cash during the game
    for (const char* next : {"Businesses", "Profit", "Goods sold"}) {
      Click(kPageStatistics, "STATS_RIGHT_CHANGER");
      EXPECT_EQ(Shown(kPageStatistics, 13), next);
    }
    Click(kPageStatistics, "STATS_LEFT_CHANGER");
    EXPECT_EQ(Shown(kPageStatistics, 13), "Profit");
    Click(kPageStatistics, "STATS_OK_BUTTON");
    EXPECT_TRUE(OpenPages().empty());
    EXPECT_EQ(GetScreenMode(), kScreenPlan);
    EXPECT_EQ(Pauses(), 0);
  }
  // The game has ended: the page comes up by itself and offers all six.
  RunState().gameRunning = Session().networkSession = false;
  ReturnToFrontEnd(false, true);
  ASSERT_EQ(OpenPages(), std::vector<int32_t>{kPageStatistics});
  EXPECT_EQ(Shown(kPageStatistics, 13), "Rating points");
  Click(kPageStatistics, "STATS_RIGHT_CHANGER");
  EXPECT_EQ(Shown(kPageStatistics, 13), "Goods sold");
  Click(kPageStatistics, "STATS_LEFT_CHANGER");
  Click(kPageStatistics, "STATS_LEFT_CHANGER");
  EXPECT_EQ(Shown(kPageStatistics, 13), "Profit");
  Click(kPageStatistics, "STATS_OK_BUTTON");
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageMainMenu});
  EXPECT_EQ(Pauses(), 0);
  PlayerTable().DeleteAllPlayers();
}

TEST_F(FrontEndTest, ANetworkGameIsNeitherPausedNorSaveableFromTheInGameMenu) {
  MakeProfile("Gil");
  RunState().gameRunning = Session().networkSession = true;
  EnterFrontEnd();
  ASSERT_EQ(OpenPages(), std::vector<int32_t>{kPageInGameMenu});
  EXPECT_EQ(Pauses(), 0);
  EXPECT_EQ(GetScreenMode(), kScreenMenu);
  EXPECT_TRUE(Child<CIconButton>(kPageInGameMenu, 1)->disabled);
  Click(kPageInGameMenu, "MAIN_BUTT03");
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageInGameMenu});
  Click(kPageInGameMenu, "MAIN_BUTT02");
  EXPECT_TRUE(OpenPages().empty());
  EXPECT_EQ(Pauses(), 0);
}

// The options menu's Back leads where it came from; during a game the
// board, credits and defaults wait.
TEST_F(FrontEndTest, OptionsBackReturnsToTheMenuItCameFrom) {
  MakeProfile("Hal");
  EnterFrontEnd();
  Click(kPageMainMenu, "MAIN_BUTT06");
  ASSERT_EQ(OpenPages(), std::vector<int32_t>{kPageOptions});
  for (int32_t id : {3, 4, 6}) EXPECT_FALSE(Child<CIconButton>(kPageOptions, id)->disabled) << id;
  Click(kPageOptions, "OPTIONS_BACK_BUTTON");
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageMainMenu});

  Page(kPageMainMenu)->Close();
  RunState().gameRunning = true;
  EnterFrontEnd();
  Click(kPageInGameMenu, "MAIN_BUTT04");
  ASSERT_EQ(OpenPages(), std::vector<int32_t>{kPageOptions});
  for (int32_t id : {3, 4, 6}) EXPECT_TRUE(Child<CIconButton>(kPageOptions, id)->disabled) << id;
  for (int32_t id : {0, 1, 2}) EXPECT_FALSE(Child<CIconButton>(kPageOptions, id)->disabled) << id;
  Click(kPageOptions, "OPTIONS_BACK_BUTTON");
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageInGameMenu});
  EXPECT_EQ(Pauses(), 1);  // still paused under the menu
}

struct CursorSpy : ProfileServices {
  std::vector<bool> shown;
  void ShowSystemCursor(bool show) override { shown.push_back(show); }
};

// The option pages write the profile as they are used: an older profile's
// filtering 2 becomes 1 as soon as the graphics page opens, the radios set
// the detail, and the system pointer switch shows or hides it at once.
TEST_F(FrontEndTest, OptionPagesWriteTheProfileAtOnce) {
  MakeProfile("Ida");
  CursorSpy spy;
  SetProfileServices(&spy);
  CPlayerProfile& p = PlayerProfile();
  p.FilteringLevel = 2;
  p.DetailLevel = 1;
  EnterFrontEnd();
  Click(kPageMainMenu, "MAIN_BUTT06");
  Click(kPageOptions, "OPTIONS_BUTT02");
  ASSERT_EQ(OpenPages(), std::vector<int32_t>{kPageGraphicsOptions});
  EXPECT_EQ(p.FilteringLevel, 1);
  EXPECT_TRUE(Child<CRadioButton>(kPageGraphicsOptions, 14)->on);
  EXPECT_FALSE(Child<CRadioButton>(kPageGraphicsOptions, 9)->on);
  EXPECT_TRUE(Child<CRadioButton>(kPageGraphicsOptions, 12)->on);
  Click(kPageGraphicsOptions, "GRAPHICS_OPTION1_RADIO3");
  EXPECT_EQ(p.DetailLevel, 2);
  EXPECT_FALSE(Child<CRadioButton>(kPageGraphicsOptions, 12)->on);
  Click(kPageGraphicsOptions, "GRAPHICS_OK_BUTTON");
  ASSERT_EQ(OpenPages(), std::vector<int32_t>{kPageOptions});

  Click(kPageOptions, "OPTIONS_BUTT03");
  ASSERT_EQ(OpenPages(), std::vector<int32_t>{kPageGamePlayOptions});
  EXPECT_EQ(Shown(kPageGamePlayOptions, 10), "Off");
  Click(kPageGamePlayOptions, "GAMEPLAY_OPTION3_CHECKBOX");
  EXPECT_EQ(p.HardwareCursor, 1);
  EXPECT_EQ(Shown(kPageGamePlayOptions, 10), "On");
  Click(kPageGamePlayOptions, "GAMEPLAY_OPTION2_CHECKBOX");
  EXPECT_EQ(p.InverseMouse, 1);
  EXPECT_EQ(spy.shown, std::vector<bool>{true});  // only the pointer's own switch
  Click(kPageGamePlayOptions, "GAMEPLAY_OK_BUTTON");
  EXPECT_EQ(OpenPages(), std::vector<int32_t>{kPageOptions});
  SetProfileServices(nullptr);
  p = CPlayerProfile{};
}

}  // namespace
