// The front end's profile, save and load pages on the running game, driven
// by the mouse: a new profile, a game saved from the in-game menu under a
// typed name, quit, loaded again from the load page and played on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/front_end_wiring.h"
#include "app/game.h"
#include "app/game_parts.h"
#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/core/run_state.h"
#include "engine/core/system_settings.h"
#include "engine/files/save_game.h"
#include "engine/recording_renderer.h"
#include "engine/scene/texture.h"
#include "frontend/front_end.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "script/profiles.h"
#include "script/script.h"
#include "session/player.h"
#include "session/scenarios.h"
#include "session/session_services.h"
#include "session/session_state.h"
#include "session/tick_driver.h"
#include "ui/edit_box.h"
#include "ui/interface_assets.h"
#include "ui/list_box.h"
#include "ui/text_rect.h"
#include "ui/ui_services.h"
#include "visuals/cut_scene.h"
#include "visuals/frame_draw.h"
#include "city/city_services.h"

namespace {

namespace fs = std::filesystem;

class TextureRenderer : public RecordingRenderer {
 public:
  CTextureSystem* GetTextureSystem() override { return TheTextureSystem(); }
};

class FrontEndSaveLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("front_end_save_load_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const fs::path game(RC_GAME_ROOT);
    for (const char* folder : {"scripts", "parameters", "gamedata"})
      fs::copy(game / folder, dir_ / folder, fs::copy_options::recursive);
    for (const char* folder : {"language", "gamedata2", "max"}) fs::create_directory_symlink(game / folder, dir_ / folder);
    oldRoot_ = platform::GameRoot();
    platform::SetGameRoot(dir_.string());
    oldBoxes_ = platform::SetMessageBoxBackend(
        [this](std::string_view, std::string_view text, platform::BoxIcon, platform::BoxButtons) {
          boxes_.emplace_back(text);
          return platform::BoxResult::Ok;
        });
    ThrowOnFatalError();
    ClearConsoleCommandTable();
    RegisterConsoleCommands();
    RunState() = GameRunState{};
    GamePauseState().Reset();
    Session() = SessionState{};
    PlayerProfile() = CPlayerProfile{};
    g_StartupOptions.frontEnd = true;  // the menus, though headless
    ASSERT_TRUE(MemoryManager().Init(64u << 20, 16));
    CreateEngineSystems();
    Ui() = UiServices{};
    Ui().renderer = &renderer_;
    ASSERT_TRUE(LoadInterfaceImages(640));
    ASSERT_TRUE(LoadInterfaceFonts("usa", 640));
    LoadFrontEnd();
    AttachFrontEnd();
    TheGame().StartSimulation();
    ASSERT_TRUE(Script().Create());  // the profiles' settings run in it
    GamePauseState().AddReason(0);  // as the game's start leaves it
  }
  void TearDown() override {
    ResetFrontEnd();
    if (RunState().gameRunning) TheGame().EndGame(false, 0);
    Script().Destroy();
    DestroyEngineSystems();
    MemoryManager().Shutdown();
    PlayerTable().DeleteAllPlayers();
    PlayerTable().ClearPlayerSetupRows();
    RestoreDefaultSessionServices();
    RestoreDefaultCityServices();
    ClearSaveHooks();
    ClearConsoleCommandTable();
    RunState() = GameRunState{};
    GamePauseState().Reset();
    Session() = SessionState{};
    PlayerProfile() = CPlayerProfile{};
    g_StartupOptions.frontEnd = false;
    platform::SetMessageBoxBackend(std::move(oldBoxes_));
    platform::SetGameRoot(oldRoot_);
    fs::remove_all(dir_);
  }

  CFrontEndScreens& Fe() { return FrontEndScreens(); }
  void Frame(float x, float y, bool down) {
    BeginUiInputFrame(UiMouse{int32_t(x), int32_t(y), down, false, 0});
    Fe().ProcessInput();
  }
  void Click(int32_t page, const char* element) {
    const UIRect r = Fe().Page(page)->ElementRect(element);
    const float x = (r.x1 + r.x2) / 2, y = (r.y1 + r.y2) / 2;
    Frame(x, y, false);
    Frame(x, y, true);
    Frame(x, y, false);
  }
  template <class T>
  T* Child(int32_t page, int32_t id) {
    for (CWidget* w = Fe().Page(page)->firstChild; w; w = w->nextSibling)
      if (w->id == id)
        if (T* t = dynamic_cast<T*>(w)) return t;
    return nullptr;
  }
  void Type(int32_t page, const char* text) { Child<CEditBox>(page, 3)->SetText(text); }
  void RunTicks(int n) {
    for (int i = 0; i < n; ++i) RunLogicTicks();
  }

  fs::path dir_;
  TextureRenderer renderer_;
  std::vector<std::string> boxes_;

 private:
  std::string oldRoot_;
  platform::MessageBoxBackend oldBoxes_;
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

  // A game, then Escape: the in-game menu over it, paused.
  Fe().Page(kPageMainMenu)->Close();
  FillDefaultPlayerSetup();
  TheGame().NewGame(&FreePlayLevel());
  ASSERT_TRUE(RunState().gameRunning);
  RunTicks(50);
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

  // Load: the save is listed; choosing it and Load starts it again.
  Click(kPageMainMenu, "MAIN_BUTT05");
  ASSERT_TRUE(Fe().IsOpen(kPageLoad));
  CListBox* list = Child<CListBox>(kPageLoad, 16);
  ASSERT_EQ(list->count, 1);
  list->Select(0);
  Frame(0, 0, false);
  // The sandbox's description names its target as money, not its format.
  std::string description;
  const CTextRect* shown = Child<CTextRect>(kPageLoad, 44);
  ASSERT_NE(shown, nullptr);
  for (int32_t line = 0; line < shown->LineCount(); ++line) description += shown->LineText(line) + " ";
  EXPECT_NE(description.find("profit of $"), std::string::npos) << description;
  EXPECT_EQ(description.find('%'), std::string::npos) << description;
  Click(kPageLoad, "LOAD_LOAD_BUTTON");
  ASSERT_TRUE(RunState().gameRunning);
  EXPECT_FALSE(Fe().IsOpen(kPageLoad));
  EXPECT_EQ(LogicTick(), savedAt);
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
      Fe().Services().PlayCutScene("flyby1");
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

}  // namespace
