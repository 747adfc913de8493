#pragma once
// Fixtures for the front end's tests: a scratch game root with a profile's
// saves, and the pages themselves on the game's own layouts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/core/run_state.h"
#include "session/save_chunks.h"
#include "engine/recording_renderer.h"
#include "engine/scene/texture.h"
#include "frontend/front_end.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/temp_dir.h"
#include "script/interface_bindings.h"
#include "script/profiles.h"
#include "script/script.h"
#include "session/player.h"
#include "session/session_state.h"
#include "session/simulation.h"
#include "ui/game_requests.h"
#include "ui/interface_assets.h"
#include "ui/ui_services.h"
#include "ui/widget.h"
#include "visuals/overlay/frame_draw.h"

// A scratch game root with the current profile's saves in it; the profile
// record, save sources and run state are put back afterwards.
class FrontEndDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldRoot_ = platform::GameRoot();
    platform::SetGameRoot(dir_.path());
    PlayerProfile() = CPlayerProfile{};
    SetSaveProfileSource([] { return std::string(PlayerProfile().name); });
  }
  void TearDown() override {
    SetSaveProfileSource({});
    SetSaveHeaderSource({});
    PlayerProfile() = CPlayerProfile{};
    RunState().gameRunning = false;
    ResetSimulation();  // the program's new-game reset: no game, no session
    GamePauseState().Reset();
    platform::SetGameRoot(oldRoot_);
  }

  TempDir dir_;
  std::string oldRoot_;
};

// A recording renderer that hands out the program's texture system.
class TextureRenderer : public RecordingRenderer {
 public:
  CTextureSystem* GetTextureSystem() override { return TheTextureSystem(); }
};

// The front end's pages made from the game's own layouts, images and fonts
// at 640 over the game's own state, driven by the mouse; message boxes are
// kept instead of shown. The game root is a scratch folder that links the
// game's data but holds its own profiles and the scripts a test writes
// (WriteScript); a fresh script state with the front end's functions runs
// them. What the pages ask of the game above them waits in the request
// queue (Requests).
class FrontEndPagesTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ResetFrontEnd();
    ClearGameRequests();
    Script().Destroy();
    PlayerProfile() = CPlayerProfile{};
    PlayerTable().ClearPlayerSetupRows();
    RunState().gameRunning = false;
    ResetSimulation();  // the program's new-game reset: no game, no session
    GamePauseState().Reset();
    SetScreenMode(kScreenCity);
    Ui().renderer = nullptr;
    platform::SetMessageBoxBackend(oldBoxes_);
    platform::SetGameRoot(oldRoot_);
  }
  // The scratch root: the game's folders linked, "scripts" a folder of its
  // own whose level folders are linked too, no profiles.
  void MakeScratchRoot() {
    namespace fs = std::filesystem;
    oldRoot_ = platform::GameRoot();
    const fs::path game(RC_GAME_ROOT), root(dir_.path());
    for (const fs::directory_entry& e : fs::directory_iterator(game)) {
      const std::string name = e.path().filename().string();
      if (name != "profiles" && name != "scripts") fs::create_directory_symlink(e.path(), root / name);
    }
    fs::create_directory(root / "scripts");
    for (const fs::directory_entry& e : fs::directory_iterator(game / "scripts"))
      fs::create_directory_symlink(e.path(), root / "scripts" / e.path().filename());
    fs::remove(root / "scripts" / "frontend");
    WriteScript("frontend/hub.lua", "HubRuns = (HubRuns or 0) + 1\n");
    platform::SetGameRoot(dir_.path());
  }
  // Writes scripts/<path> below the scratch root.
  // A linked folder of the game's is replaced by one of the test's own.
  void WriteScript(const std::string& path, const std::string& text) {
    const std::filesystem::path folder = std::filesystem::path(dir_ / "scripts") / path.substr(0, path.find('/'));
    if (std::filesystem::is_symlink(folder)) std::filesystem::remove(folder);
    dir_.Write("scripts/" + path, text);
  }
  // A number the scripts set (nil: -1).
  double ScriptNumber(const char* name) {
    lua_State* L = Script().State();
    lua_getglobal(L, name);
    const double value = lua_isnil(L, -1) ? -1 : lua_tonumber(L, -1);
    lua_pop(L, 1);
    return value;
  }
  // The requests posted since the last call.
  std::vector<GameRequest> Requests() { return TakeGameRequests(); }
  template <class T>
  static int Count(const std::vector<GameRequest>& requests) {
    return int(std::count_if(requests.begin(), requests.end(),
                             [](const GameRequest& r) { return std::holds_alternative<T>(r); }));
  }
  // A profile made and current, as the new-profile page makes it.
  void MakeProfile(const char* name) { ASSERT_TRUE(PlayerProfile().CreateNew(name)); }

  void LoadPages() {
    MakeScratchRoot();
    ClearGameRequests();
    PlayerProfile() = CPlayerProfile{};
    ASSERT_TRUE(Script().Create());
    RegisterFrontendScriptFunctions(Script());
    oldBoxes_ = platform::SetMessageBoxBackend([this](std::string_view, std::string_view text, platform::BoxIcon,
                                          platform::BoxButtons) {
      boxes_.emplace_back(text);
      return platform::BoxResult::Ok;
    });
    ThrowOnFatalError();
    // The pages, once built, keep their layouts, images and fonts for the
    // rest of the process, as the program's do.
    static bool loaded = false;
    static TextureRenderer renderer;
    if (loaded) {
      Ui().renderer = &renderer;
      // Another test may have replaced the interface's texts.
      ASSERT_TRUE(InterfaceTextSystem().LoadTextBankFile("language\\usa\\civano"));
      return;
    }
    loaded = true;
    Ui() = UiServices{};
    Ui().renderer = &renderer;
    ASSERT_TRUE(MemoryManager().Init(64u << 20, 16));
    TexSysCreate();
    ASSERT_TRUE(LoadInterfaceImages(640));
    ASSERT_TRUE(LoadInterfaceFonts("usa", 640));
    std::vector<LayoutModel> models;
    ASSERT_TRUE(LoadLayoutModels(std::span<const char* const>(kFrontEndLayoutFiles, size_t(kPageBlank)), models));
    FrontEndScreens().SetLayoutModels(std::move(models));
  }

  CPanel* Page(int32_t p) { return FrontEndScreens().Page(p); }
  // One input frame with the mouse at (x, y).
  void Frame(float x, float y, bool down) {
    BeginUiInputFrame(UiMouse{int32_t(x), int32_t(y), down, false, 0});
    FrontEndScreens().ProcessInput();
  }
  // A click (press and release) in the middle of a page's element.
  void Click(int32_t page, const char* element) {
    const UIRect r = Page(page)->ElementRect(element);
    const float x = (r.x1 + r.x2) / 2, y = (r.y1 + r.y2) / 2;
    Frame(x, y, false);
    Frame(x, y, true);
    Frame(x, y, false);
  }
  template <class T>
  T* Child(int32_t page, int32_t id) {
    for (CWidget* w = Page(page)->firstChild; w; w = w->nextSibling)
      if (w->id == id)
        if (T* t = dynamic_cast<T*>(w)) return t;
    return nullptr;
  }

  std::vector<std::string> boxes_;
  TempDir dir_;
  std::string oldRoot_;
  platform::MessageBoxBackend oldBoxes_;
};
