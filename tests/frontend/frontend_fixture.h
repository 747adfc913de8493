#pragma once
// Fixtures for the front end's tests: a scratch game root with a profile's
// saves, and the pages themselves on the game's own layouts.
#include <gtest/gtest.h>

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
#include "script/profiles.h"
#include "session/session_state.h"
#include "ui/interface_assets.h"
#include "ui/ui_services.h"
#include "ui/widget.h"

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
    Session().networkSession = false;
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
// at 640, served by the test's stand-in game, driven by the mouse; message
// boxes are kept instead of shown.
class FrontEndPagesTest : public ::testing::Test {
 protected:
  void LoadPages(FrontEndServices& game) {
    platform::SetGameRoot(RC_GAME_ROOT);
    platform::SetMessageBoxBackend([this](std::string_view, std::string_view text, platform::BoxIcon,
                                          platform::BoxButtons) {
      boxes_.emplace_back(text);
      return platform::BoxResult::Ok;
    });
    ThrowOnFatalError();
    ASSERT_TRUE(MemoryManager().Init(64u << 20, 16));
    TexSysCreate();
    Ui() = UiServices{};
    Ui().renderer = &renderer_;
    ASSERT_TRUE(LoadInterfaceImages(640));
    ASSERT_TRUE(LoadInterfaceFonts("usa", 640));
    std::vector<LayoutModel> models;
    ASSERT_TRUE(LoadLayoutModels(std::span<const char* const>(kFrontEndLayoutFiles, size_t(kPageBlank)), models));
    FrontEndScreens().SetLayoutModels(std::move(models));
    FrontEndScreens().SetServices(&game);
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

  TextureRenderer renderer_;
  std::vector<std::string> boxes_;
};
