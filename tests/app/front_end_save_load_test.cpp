// The front end's profile, save and load pages on the running game, driven
// by the mouse: a new profile, a game saved from the in-game menu under a
// typed name, quit, loaded again from the load page and played on; and the
// profile's options kept through time in the menus and a restart.
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/front_end_wiring.h"
#include "engine/core/system_settings.h"
#include "engine/recording_renderer.h"
#include "engine/scene/texture.h"
#include "frontend/front_end.h"
#include "in_process_game.h"
#include "panels/panel_links.h"
#include "script/profiles.h"
#include "ui/scroll_bar.h"
#include "session/goals.h"
#include "session/scenarios.h"
#include "session/tick_driver.h"
#include "ui/buttons.h"
#include "ui/edit_box.h"
#include "ui/game_requests.h"
#include "ui/interface_assets.h"
#include "ui/list_box.h"
#include "ui/text_rect.h"
#include "ui/ui_services.h"
#include "visuals/overlay/cut_scene.h"
#include "visuals/overlay/frame_draw.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kRaceLevel = 300002;  // a day's profit race, as the host page sets one up

class TextureRenderer : public RecordingRenderer {
 public:
  CTextureSystem* GetTextureSystem() override { return TheTextureSystem(); }
};

// Volumes handed to the sound, as the program's sound wiring takes them.
class VolumesSeen : public ProfileServices {
 public:
  void SetVolumes(int32_t music, int32_t effects) override { seen.push_back({music, effects}); }
  std::vector<std::pair<int32_t, int32_t>> seen;
};

// The game with its menus (as the command line's FRONTEND asks), the pages
// on the game's own layouts, fonts and texts, driven by the mouse.
class FrontEndSaveLoadTest : public InProcessGameTest {
 protected:
  void SetUp() override {
    OpenGameRoot("front_end_save_load", {"scripts", "parameters", "gamedata", "language", "gamedata2/frontend",
                                         "gamedata2/GenericTextures", "gamedata2/GenericTextures640",
                                         "gamedata2/font640", "gamedata2/paths"});
    fs::create_directories(dir_ / "max");  // the cache archive's place
    OpenGame();
    PlayerProfile() = CPlayerProfile{};
    g_StartupOptions.frontEnd = true;
    Ui() = UiServices{};
    Ui().renderer = &renderer_;
    ASSERT_TRUE(LoadInterfaceImages(640));
    ASSERT_TRUE(LoadInterfaceFonts("usa", 640));
    LoadFrontEnd();
    AttachFrontEnd();
    StartSimulation();  // the profiles' settings run in its script state
  }
  void TearDown() override {
    // The game's end opens the menus again: they are closed after it.
    if (RunState().gameRunning) TheGame().EndGame(false, 0);
    ResetFrontEnd();
    SetProfileServices(nullptr);
    PlayerProfile() = CPlayerProfile{};
    g_StartupOptions.frontEnd = false;
    CloseGame();
  }

  CFrontEndScreens& Fe() { return FrontEndScreens(); }
  void Frame(float x, float y, bool down) {
    BeginUiInputFrame(UiMouse{int32_t(x), int32_t(y), down, false, 0});
    Fe().ProcessInput();
  }
  // A click in the middle of an element where the page stands now (the
  // prompt moves itself).
  void Click(int32_t page, const char* element) {
    const CPanel* p = Fe().Page(page);
    const UIRect r = MovedRect(p->ElementRect(element), p->LayoutEntity());
    const float x = (r.x1 + r.x2) / 2, y = (r.y1 + r.y2) / 2;
    Frame(x, y, false);
    Frame(x, y, true);
    Frame(x, y, false);
    // The frame's end: the game takes what the click asked of it.
    TheGame().DrainGameRequests();
  }
  template <class T>
  T* Child(int32_t page, int32_t id) {
    for (CWidget* w = Fe().Page(page)->firstChild; w; w = w->nextSibling)
      if (w->id == id)
        if (T* t = dynamic_cast<T*>(w)) return t;
    return nullptr;
  }
  void Type(int32_t page, const char* text) { Child<CEditBox>(page, 3)->SetText(text); }
  // Enter in a name entry's box.
  void Enter(int32_t page) { Fe().Page(page)->OnEvent(kNotifyEditEnter, 3, 0); }
  std::string Shown(int32_t page, int32_t id) {
    std::string all;
    const CTextRect* t = Child<CTextRect>(page, id);
    for (int32_t line = 0; t && line < t->LineCount(); ++line) all += t->LineText(line) + " ";
    return all;
  }
  void RunTicks(int n) {
    for (int i = 0; i < n; ++i) RunLogicTicks();
  }
  void StartSandbox() {
    FillDefaultPlayerSetup();
    TheGame().NewGame(&FreePlayLevel());
    ASSERT_TRUE(RunState().gameRunning);
  }
  // The save page over a running game, from the in-game menu.
  void OpenSavePage() {
    EnterFrontEnd();
    ASSERT_TRUE(Fe().IsOpen(kPageInGameMenu));
    Click(kPageInGameMenu, "MAIN_BUTT03");
    ASSERT_TRUE(Fe().IsOpen(kPageSave));
  }

  TextureRenderer renderer_;
  VolumesSeen volumes_;
};

TEST_F(FrontEndSaveLoadTest, AProfileSavesFromTheInGameMenuLoadsFromTheLoadPageAndPlaysOn) {
  // No profile yet: the new-profile entry, which cannot be cancelled.
  EnterFrontEnd();
  ASSERT_TRUE(Fe().IsOpen(kPageNewProfile));
  Type(kPageNewProfile, "Ada");
  Frame(0, 0, false);  // OK follows the box's text
  Click(kPageNewProfile, "CONFIRM_OPTION1_BUTTON");
  ASSERT_TRUE(Fe().IsOpen(kPageMainMenu));
  EXPECT_STREQ(PlayerProfile().name, "Ada");
  EXPECT_TRUE(fs::exists(dir_ / "profiles/Ada/settings.lua"));

  // The login page lists it highlighted; OK makes it current again.
  Click(kPageMainMenu, "MAIN_BUTT01");
  ASSERT_TRUE(Fe().IsOpen(kPageLogin));
  EXPECT_EQ(Child<CListBox>(kPageLogin, 5)->selected, 0);
  Click(kPageLogin, "LOGIN_SELECT_OK_BUTTON");
  ASSERT_TRUE(Fe().IsOpen(kPageMainMenu));
  EXPECT_STREQ(PlayerProfile().name, "Ada");

  // A game set up on the host page with a target of the player's own, then
  // Escape: the in-game menu over it, paused.
  Fe().Page(kPageMainMenu)->Close();
  ScenarioEntry* race = ScenarioManager().Find(kRaceLevel);
  ASSERT_NE(race, nullptr);
  race->goalValue = 12345;
  FillDefaultPlayerSetup();
  TheGame().NewGame(race);
  ASSERT_TRUE(RunState().gameRunning);
  ASSERT_FLOAT_EQ(GameGoal().target, 12345);
  RunTicks(50);
  FrontEndGameMode() = 1;  // a game of the host page, as its menu road sets
  EnterFrontEnd();
  ASSERT_TRUE(Fe().IsOpen(kPageInGameMenu));
  EXPECT_TRUE(GamePauseState().Paused());

  // Save, New, a name, OK: the save is written and listed.
  Click(kPageInGameMenu, "MAIN_BUTT03");
  ASSERT_TRUE(Fe().IsOpen(kPageSave));
  Click(kPageSave, "SAVE_NEW_BUTTON");
  ASSERT_TRUE(Fe().IsOpen(kPageSaveName));
  Type(kPageSaveName, "first");
  Frame(0, 0, false);
  Click(kPageSaveName, "CONFIRM_OPTION1_BUTTON");
  EXPECT_FALSE(Fe().IsOpen(kPageSaveName));
  ASSERT_TRUE(fs::exists(dir_ / "profiles/Ada/first.sav"));
  EXPECT_EQ(Child<CListBox>(kPageSave, 17)->count, 1);
  EXPECT_FALSE(Fe().IsOpen(kPagePrompt));

  // Back to the menu and on with the game: one resume lets it run again.
  Click(kPageSave, "SAVE_CANCEL_BUTTON");
  ASSERT_TRUE(Fe().IsOpen(kPageInGameMenu));
  Click(kPageInGameMenu, "MAIN_BUTT02");
  EXPECT_FALSE(GamePauseState().Paused());
  const uint32_t savedAt = LogicTick();
  RunTicks(50);

  // Quit the game through the menu: back in the main menu.
  EnterFrontEnd();
  Click(kPageInGameMenu, "MAIN_BUTT05");
  Click(kPagePrompt, "PROMPT_BUTTON_1");
  ASSERT_FALSE(RunState().gameRunning);
  ASSERT_TRUE(Fe().IsOpen(kPageMainMenu));
  EXPECT_EQ(FrontEndGameMode(), 0);  // the ended game's mode is gone

  // Load: the save is listed; choosing it and Load starts it again.
  Click(kPageMainMenu, "MAIN_BUTT05");
  ASSERT_TRUE(Fe().IsOpen(kPageLoad));
  CListBox* list = Child<CListBox>(kPageLoad, 16);
  ASSERT_EQ(list->count, 1);
  list->Select(0);
  Frame(0, 0, false);
  // The level's description names the game's target as money, not its
  // format nor the level's own target.
  std::string description;
  const CTextRect* shown = Child<CTextRect>(kPageLoad, 44);
  ASSERT_NE(shown, nullptr);
  for (int32_t line = 0; line < shown->LineCount(); ++line) description += shown->LineText(line) + " ";
  EXPECT_NE(description.find("profit of $12345"), std::string::npos) << description;
  EXPECT_EQ(description.find('%'), std::string::npos) << description;
  Click(kPageLoad, "LOAD_LOAD_BUTTON");
  ASSERT_TRUE(RunState().gameRunning);
  EXPECT_FALSE(Fe().IsOpen(kPageLoad));
  EXPECT_EQ(LogicTick(), savedAt);
  EXPECT_EQ(FrontEndGameMode(), 1);  // and the loaded game's mode is back
  EXPECT_FALSE(GamePauseState().Paused());
  RunTicks(50);
  EXPECT_GT(LogicTick(), savedAt);
  EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

// The main menu's fly-by and the options' credits play the cut scene over
// the city; its end brings the main menu back.
TEST_F(FrontEndSaveLoadTest, TheFlyByAndTheCreditsPlayTheCutSceneAndItsEndReturnsToTheMenus) {
  ASSERT_TRUE(PlayerProfile().CreateNew("Ada"));
  EnterFrontEnd();
  ASSERT_TRUE(Fe().IsOpen(kPageMainMenu));
  struct Case {
    const char* how;
    bool credits;
  } const cases[] = {{"idle", false}, {"credits", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    if (c.credits) {
      Click(kPageMainMenu, "MAIN_BUTT06");
      ASSERT_TRUE(Fe().IsOpen(kPageOptions));
      Click(kPageOptions, "OPTIONS_BUTT05");
    } else {
      Fe().Page(kPageMainMenu)->Close();
      PostGameRequest(FlybyRequest{});
      TheGame().DrainGameRequests();
    }
    ASSERT_TRUE(CutScene().Running());
    EXPECT_EQ(CutScene().Name(), "flyby1");
    EXPECT_EQ(CutScene().CreditsRequested(), c.credits);
    EXPECT_EQ(GetScreenMode(), 0);
    RunFrontEndInput();
    EXPECT_FALSE(Fe().IsOpen(kPageMainMenu));
    CutScene().End();
    for (int32_t step = 0; step < 200 && CutScene().Running(); ++step) CutScene().Update();
    ASSERT_FALSE(CutScene().Running());
    RunFrontEndInput();
    EXPECT_TRUE(Fe().IsOpen(kPageMainMenu));
    EXPECT_EQ(GetScreenMode(), 4);
  }
}

// A name in use, or one a folder cannot take, is refused with a notice
// whose OK returns to the entry over the login page; nothing is made.
TEST_F(FrontEndSaveLoadTest, ARefusedProfileNameShowsANoticeThenTheEntryAgain) {
  ASSERT_TRUE(PlayerProfile().CreateNew("Ada"));
  EnterFrontEnd();
  Click(kPageMainMenu, "MAIN_BUTT01");
  ASSERT_TRUE(Fe().IsOpen(kPageLogin));
  // Nothing highlighted: Delete, OK and Cancel are off and do nothing.
  Child<CListBox>(kPageLogin, 5)->ClearSelection();
  Fe().Page(kPageLogin)->OnEvent(kNotifyListItem, 5, -1);
  for (int32_t id : {1, 2, 3}) EXPECT_TRUE(Child<CIconButton>(kPageLogin, id)->disabled) << id;
  Click(kPageLogin, "LOGIN_SELECT_OK_BUTTON");
  EXPECT_TRUE(Fe().IsOpen(kPageLogin));

  struct Case {
    const char* typed;
    const char* title;
  } const cases[] = {{"Ada", "Name taken"}, {"Bea.", "Name not allowed"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Click(kPageLogin, "LOGIN_SELECT_NEW_BUTTON");
    ASSERT_TRUE(Fe().IsOpen(kPageNewProfile));
    EXPECT_TRUE(Child<CIconButton>(kPageNewProfile, 0)->disabled);  // OK waits for text
    Type(kPageNewProfile, c.typed);
    Frame(0, 0, false);
    EXPECT_FALSE(Child<CIconButton>(kPageNewProfile, 0)->disabled);
    Click(kPageNewProfile, "CONFIRM_OPTION1_BUTTON");
    ASSERT_TRUE(Fe().IsOpen(kPagePrompt));
    EXPECT_FALSE(Fe().IsOpen(kPageNewProfile));
    EXPECT_EQ(Shown(kPagePrompt, 10), std::string(c.title) + " ");
    Click(kPagePrompt, "PROMPT_BUTTON_1");
    EXPECT_TRUE(Fe().IsOpen(kPageNewProfile));
    EXPECT_TRUE(Fe().IsOpen(kPageLogin));
    EXPECT_EQ(Fe().modalCount, 1);  // the entry's own
    Click(kPageNewProfile, "CONFIRM_OPTION3_BUTTON");
    EXPECT_EQ(Fe().modalCount, 0);
  }
  EXPECT_EQ(ListProfiles(), (std::vector<std::string>{"Ada", "p"}));
  EXPECT_STREQ(PlayerProfile().name, "Ada");
}

// On the save-name entry OK saves at once, over a save of the same name;
// Enter asks first, naming the save, and No keeps the old one.
TEST_F(FrontEndSaveLoadTest, OkOverwritesAtOnceWhileEnterAsksFirst) {
  ASSERT_TRUE(PlayerProfile().CreateNew("Ada"));
  StartSandbox();
  OpenSavePage();
  Click(kPageSave, "SAVE_NEW_BUTTON");
  Type(kPageSaveName, "mine");
  Click(kPageSaveName, "CONFIRM_OPTION1_BUTTON");
  const fs::path file = dir_ / "profiles/Ada/mine.sav";
  ASSERT_TRUE(fs::exists(file));
  fs::last_write_time(file, fs::file_time_type{});  // long ago

  Click(kPageSave, "SAVE_NEW_BUTTON");
  Type(kPageSaveName, "mine");
  Enter(kPageSaveName);
  ASSERT_TRUE(Fe().IsOpen(kPagePrompt));
  EXPECT_NE(Shown(kPagePrompt, 11).find("\"mine\""), std::string::npos) << Shown(kPagePrompt, 11);
  Click(kPagePrompt, "PROMPT_BUTTON_2");
  EXPECT_EQ(fs::last_write_time(file), fs::file_time_type{});

  Click(kPageSave, "SAVE_NEW_BUTTON");
  Type(kPageSaveName, "mine");
  Click(kPageSaveName, "CONFIRM_OPTION1_BUTTON");
  EXPECT_FALSE(Fe().IsOpen(kPagePrompt));
  EXPECT_NE(fs::last_write_time(file), fs::file_time_type{});
  EXPECT_EQ(Child<CListBox>(kPageSave, 17)->count, 1);
  EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

// A save that cannot be loaded says which and why in the front end's own
// notice (no warning box besides), and the load page stays.
TEST_F(FrontEndSaveLoadTest, AFailedLoadNamesTheSaveAndWhy) {
  ASSERT_TRUE(PlayerProfile().CreateNew("Ada"));
  {
    std::ofstream broken(dir_ / "profiles/Ada/broken.sav", std::ios::binary);
    broken << "not a save";
  }
  EnterFrontEnd();
  Click(kPageMainMenu, "MAIN_BUTT05");
  ASSERT_TRUE(Fe().IsOpen(kPageLoad));
  Child<CListBox>(kPageLoad, 16)->Select(0);
  Frame(0, 0, false);
  Click(kPageLoad, "LOAD_LOAD_BUTTON");
  ASSERT_FALSE(RunState().gameRunning);
  ASSERT_TRUE(Fe().IsOpen(kPagePrompt));
  const std::string message = Shown(kPagePrompt, 11);
  EXPECT_NE(message.find("\"broken\""), std::string::npos) << message;
  EXPECT_NE(message.find("damaged"), std::string::npos) << message;
  EXPECT_TRUE(boxes_.empty()) << boxes_.front();
  Click(kPagePrompt, "PROMPT_BUTTON_1");
  EXPECT_TRUE(Fe().IsOpen(kPageLoad));
  EXPECT_EQ(Fe().modalCount, 0);
}

// The view panel's results button opens the statistics over the game,
// paused; OK lets it run on.
TEST_F(FrontEndSaveLoadTest, TheResultsButtonShowsTheStatisticsOverThePausedGame) {
  ASSERT_TRUE(PlayerProfile().CreateNew("Ada"));
  StartSandbox();
  RunTicks(20);
  ASSERT_FALSE(GamePauseState().Paused());
  PostGameRequest(ShowStatisticsRequest{});  // the view panel's results button
  TheGame().DrainGameRequests();
  ASSERT_TRUE(Fe().IsOpen(kPageStatistics));
  EXPECT_TRUE(GamePauseState().Paused());
  EXPECT_EQ(GetScreenMode(), kScreenMenu);
  EXPECT_NE(Shown(kPageStatistics, 20), "");  // the player's name by the icon
  Click(kPageStatistics, "STATS_OK_BUTTON");
  EXPECT_FALSE(Fe().IsOpen(kPageStatistics));
  EXPECT_FALSE(GamePauseState().Paused());
  EXPECT_EQ(GetScreenMode(), kScreenCity);
}

// A setting made in an earlier run stays what it is through a minute of the
// menus' refreshes with its page never opened (the closed pages' sliders
// hold nothing of it), is written at the exit, read at the next start, and
// is what its page shows when the player opens it at last.
TEST_F(FrontEndSaveLoadTest, EachOptionSurvivesAMinuteInTheMenusAndARestart) {
  constexpr int32_t kRefreshesInAMinute = 120;  // the refresh task runs twice a second
  struct Case {
    const char* name;
    int32_t CPlayerProfile::*field;
    int32_t value;
    int32_t page;
    const char* pageButton;  // on the options menu
    int32_t sliderId;
    const char* okButton;
  } const cases[] = {
      {"music", &CPlayerProfile::MusicVolume, 37, kPageSoundOptions, "OPTIONS_BUTT01", 4, "SOUND_OK_BUTTON"},
      {"effects", &CPlayerProfile::SoundVolume, 71, kPageSoundOptions, "OPTIONS_BUTT01", 5, "SOUND_OK_BUTTON"},
      {"mouse speed", &CPlayerProfile::MouseSensitivity, 88, kPageGamePlayOptions, "OPTIONS_BUTT03", 16,
       "GAMEPLAY_OK_BUTTON"},
  };
  SetProfileServices(&volumes_);
  ASSERT_TRUE(PlayerProfile().CreateNew("Ada"));
  EnterFrontEnd();
  ASSERT_TRUE(Fe().IsOpen(kPageMainMenu));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The last run set it and wrote it; this one starts by reading it.
    PlayerProfile().*c.field = c.value;
    ASSERT_TRUE(PlayerProfile().Save());
    PlayerProfile() = CPlayerProfile{};
    ASSERT_TRUE(PlayerProfile().LoadLast());
    ASSERT_EQ(PlayerProfile().*c.field, c.value);
    volumes_.seen.clear();

    // A minute in the menus: the main menu, the options menu, the graphics
    // page and back, the refresh task running all the while.
    const auto sit = [this] {
      for (int32_t i = 0; i < kRefreshesInAMinute / 4; ++i) {
        Game::PanelRefreshTask();
        Frame(0, 0, false);
      }
    };
    sit();
    Click(kPageMainMenu, "MAIN_BUTT06");
    ASSERT_TRUE(Fe().IsOpen(kPageOptions));
    sit();
    Click(kPageOptions, "OPTIONS_BUTT02");
    ASSERT_TRUE(Fe().IsOpen(kPageGraphicsOptions));
    sit();
    Click(kPageGraphicsOptions, "GRAPHICS_OK_BUTTON");
    Click(kPageOptions, "OPTIONS_BACK_BUTTON");
    ASSERT_TRUE(Fe().IsOpen(kPageMainMenu));
    sit();
    EXPECT_EQ(PlayerProfile().*c.field, c.value);
    for (const auto& [music, effects] : volumes_.seen) {
      EXPECT_EQ(music, PlayerProfile().MusicVolume);
      EXPECT_EQ(effects, PlayerProfile().SoundVolume);
    }

    // The exit writes the profile; the next start reads it back.
    ASSERT_TRUE(PlayerProfile().Save());
    PlayerProfile() = CPlayerProfile{};
    ASSERT_TRUE(PlayerProfile().LoadLast());
    EXPECT_EQ(PlayerProfile().*c.field, c.value);

    // Its page shows it, and leaving the page keeps it.
    Click(kPageMainMenu, "MAIN_BUTT06");
    Click(kPageOptions, c.pageButton);
    ASSERT_TRUE(Fe().IsOpen(c.page));
    const CScrollBar* slider = Child<CScrollBar>(c.page, c.sliderId);
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value, c.value);
    Game::PanelRefreshTask();
    Click(c.page, c.okButton);
    Click(kPageOptions, "OPTIONS_BACK_BUTTON");
    ASSERT_TRUE(Fe().IsOpen(kPageMainMenu));
    EXPECT_EQ(PlayerProfile().*c.field, c.value);
  }
  EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

}  // namespace
