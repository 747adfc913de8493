#pragma once
// The HUD's panels on the game's own interface data (images, fonts, the
// English texts, the layouts), the panel sets built once as the program
// builds them, over the built-in city; a recording renderer and the mouse
// and keys set by hand. Every test starts from closed, reset panels, no
// players and the city's blocks as built.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "city/business_types.h"
#include "city/city_fixture.h"
#include "city/local_drafts.h"
#include "engine/core/console.h"
#include "engine/core/memory.h"
#include "engine/input/input_device.h"
#include "engine/recording_renderer.h"
#include "engine/scene/texture.h"
#include "panels/hud_panels.h"
#include "panels/player_tokens.h"
#include "panels/panel_links.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "session/game_clock.h"
#include "session/game_events.h"
#include "session/player.h"
#include "session/session_state.h"
#include "ui/interface_assets.h"
#include "ui/interface_controls.h"
#include "ui/ui_services.h"

class PanelRenderer : public RecordingRenderer {
 public:
  std::vector<std::vector<uint32_t>> gouraud;  // colours of each DrawGouraudQuads call
  void DrawGouraudQuads(const Vec3* q, int32_t n, const uint32_t* colours) override {
    calls.push_back("DrawGouraudQuads");
    gouraud.emplace_back(colours, colours + 4 * n);
    (void)q;
  }
  CTextureSystem* GetTextureSystem() override { return TheTextureSystem(); }
};

// Loads the interface data and builds the program's panel sets, once.
class PanelsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    platform::SetGameRoot(RC_GAME_ROOT);
    platform::SetMessageBoxBackend([](std::string_view, std::string_view text, platform::BoxIcon,
                                      platform::BoxButtons) {
      Boxes().emplace_back(text);
      return platform::BoxResult::Ok;
    });
    ThrowOnFatalError();
    ASSERT_TRUE(MemoryManager().Init(64u << 20, 16));
    TexSysCreate();
    Ui() = UiServices{};
    Ui().renderer = &Renderer();
    ASSERT_TRUE(LoadInterfaceImages(640));
    ASSERT_TRUE(LoadInterfaceFonts("usa", 640));
    ASSERT_TRUE(LoadHudLayouts());
    ASSERT_TRUE(LoadAuctionLayouts());
    BuildTestCity();
    ResetBusinessTypes();
    const int32_t missingBefore = MissingElementReports();
    InstallHudPanels();
    CreateHudPanelSets();
    MissingElementsAfterBuild() = MissingElementReports() - missingBefore;
    BuiltOrder() = {GamePanels().Panels(), AuctionPanels().Panels()};
  }
  // The elements the program's panels looked up and did not find.
  static int32_t& MissingElementsAfterBuild() {
    static int32_t missing = 0;
    return missing;
  }
  // Both sets' panels front to back as built, before any opened and came
  // to the front.
  struct SetOrders {
    std::vector<CPanel*> game, auction;
  };
  static SetOrders& BuiltOrder() {
    static SetOrders orders;
    return orders;
  }
  static PanelRenderer& Renderer() {
    static PanelRenderer renderer;
    return renderer;
  }
  static std::vector<std::string>& Boxes() {
    static std::vector<std::string> boxes;
    return boxes;
  }
};

class PanelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    blocks_ = g_Blocks;
    PlayerTable().DeleteAllPlayers();
    Session() = SessionState{};
    GameClock() = CGameClock{};
    ClearGameEvents();
    // Each test starts with the panels closed, then as a new game has them.
    for (CPanelManager* set : {static_cast<CPanelManager*>(&GamePanels()), static_cast<CPanelManager*>(&AuctionPanels())}) {
      set->CloseAll();
      set->modalCount = 0;
    }
    ResetHudPanels();
    FollowScreenMode(kScreenCity);
    HudPanels().ticker.Open();
    Renderer().calls.clear();
    Renderer().gouraud.clear();
    ClearKeys();
    Mouse(0, 0);
  }
  void TearDown() override {
    g_Blocks = blocks_;
    // The blocks' records come back as they were; this machine's marks go.
    for (int i = 0; i < kBlockCount; ++i) LocalBlockMarks(i) = BlockRequestMarks{};
    PlayerTable().DeleteAllPlayers();
    ClearKeys();
  }

  static PanelRenderer& Renderer() { return PanelsEnvironment::Renderer(); }
  HudPanelObjects& Hud() { return HudPanels(); }

  // A human player in the next slot; the first one made is the local one.
  CPlayer* AddPlayer(const char* name, int32_t character, float money = 5000) {
    const int32_t slot = PlayerTable().CreatePlayerSlot(kPlayerHuman, character, name);
    CPlayer* p = PlayerTable().Get(slot);
    p->money = money;
    if (PlayerTable().Local() == nullptr) PlayerTable().SetLocal(p);
    return p;
  }

  // All the lines of a text, joined by blanks.
  static std::string Joined(const CTextRect& t) {
    std::string s;
    for (int32_t l = 0; l < t.LineCount(); ++l) s += (l ? " " : "") + t.LineText(l);
    return s;
  }
  static void Mouse(int32_t x, int32_t y, bool left = false) { BeginUiInputFrame(UiMouse{x, y, left, false, 0}); }
  // One interface step of both sets with a key pressed this step (0 none).
  static void Step(uint8_t key = 0) {
    std::copy(std::begin(g_InputState.keys), std::end(g_InputState.keys), std::begin(g_InputState.previousKeys));
    std::fill(std::begin(g_InputState.keys), std::end(g_InputState.keys), uint8_t{0});
    if (key) g_InputState.keys[key] = 0x80;
    BeginUiInputFrame(Ui().mouse);
    GamePanels().ProcessInput();
    AuctionPanels().ProcessInput();
  }
  static void ClearKeys() {
    std::fill(std::begin(g_InputState.keys), std::end(g_InputState.keys), uint8_t{0});
    std::fill(std::begin(g_InputState.previousKeys), std::end(g_InputState.previousKeys), uint8_t{0});
  }

 private:
  std::array<CBlock, kBlockCount> blocks_;
};
