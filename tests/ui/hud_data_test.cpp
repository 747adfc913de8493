// The game's own interface data, as the game loads it: the fonts, the image
// table, the cursors and the 16 HUD layouts load without a report, and the
// HUD set built on them draws and answers the mouse.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/core/console.h"
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/files/text_bank.h"
#include "engine/recording_renderer.h"
#include "engine/scene/texture.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "ui/cursors.h"
#include "ui/game_panels.h"
#include "ui/interface_assets.h"
#include "ui/interface_frame.h"
#include "ui/money_format.h"
#include "ui/text_rect.h"
#include "ui/drop_down.h"
#include "ui/layout_model.h"
#include "ui/list_box.h"
#include "ui/ui_services.h"
#include "ui/widget_gallery.h"

namespace {

class CountingRenderer : public RecordingRenderer {
 public:
  CTextureSystem* GetTextureSystem() override { return TheTextureSystem(); }
};

class HudDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldRoot_ = platform::GameRoot();
    platform::SetGameRoot(RC_GAME_ROOT);
    oldBoxes_ = platform::SetMessageBoxBackend(
        [this](std::string_view, std::string_view text, platform::BoxIcon, platform::BoxButtons) {
          boxes_.emplace_back(text);
          return platform::BoxResult::Ok;
        });
    ThrowOnFatalError();
    ASSERT_TRUE(MemoryManager().Init(64u << 20, 16));
    TexSysCreate();
    Ui() = UiServices{};
    Ui().renderer = &renderer_;
  }
  void TearDown() override {
    Ui() = UiServices{};
    TexSysDestroy();
    MemoryManager().Shutdown();
    platform::SetMessageBoxBackend(oldBoxes_);
    platform::SetGameRoot(oldRoot_);
  }
  CountingRenderer renderer_;
  std::vector<std::string> boxes_;
  std::string oldRoot_;
  platform::MessageBoxBackend oldBoxes_;
};

TEST_F(HudDataTest, InterfaceDataLoadsAndTheHudDraws) {
  for (int32_t width : {640, 800, 1024}) {
    Ui().imageTable.clear();
    EXPECT_TRUE(LoadInterfaceImages(width)) << width;
    // The arrows the scroll bars and spin boxes name are there, and the
    // HUD panels' pictures up to the navigator's camera marker, then the
    // 32 commodity icons.
    EXPECT_EQ(Ui().imageTable.size(), 343u);
  }
  EXPECT_TRUE(LoadInterfaceFonts("usa", 640));
  EXPECT_TRUE(LoadCursorImages());
  const int32_t before = TheTextureSystem()->nextSlot;
  EXPECT_TRUE(LoadHudLayouts());
  EXPECT_TRUE(boxes_.empty()) << boxes_.front();
  // The layouts share their six textures, the console's included.
  EXPECT_EQ(TheTextureSystem()->nextSlot - before, 6);

  CGamePanelManager& hud = GamePanels();
  hud.CreatePanels();
  EXPECT_EQ(FormatMoney(-25), "-$25");
  for (int32_t m = 0; m < kHudModelCount; ++m) EXPECT_FALSE(hud.Panel(m)->noModel) << m;
  hud.Panel(kHudNavigator)->Open();
  DrawInterface();
  EXPECT_GT(renderer_.Count("DrawTexturedQuadsShaded"), 0);

  // Text in the game's own font.
  CTextRect text;
  text.SetRect(0, 0, 200, 40);
  text.AddTextId(1116);
  EXPECT_EQ(text.LineText(0), "The City");
  EXPECT_GT(text.LineWidth(0), 20);
  EXPECT_TRUE(boxes_.empty()) << boxes_.front();

  // A language whose bank is missing shows the English texts, no box.
  EXPECT_TRUE(LoadInterfaceFonts("nob", 640));
  EXPECT_EQ(InterfaceLanguage(), "usa");
  text.Clear();
  text.AddTextId(1116);
  EXPECT_EQ(text.LineText(0), "The City");
  EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

// Each language's bank stands on its own: a damaged or missing English bank
// leaves a whole German bank its texts (those it lacks are empty), a damaged
// German bank gives the English texts. The damaged bank is named once on the
// console, however often the fonts are loaded, and never in a box.
TEST_F(HudDataTest, EachBankFallsBackOnTheOtherTextByText) {
  namespace fs = std::filesystem;
  const fs::path game(RC_GAME_ROOT);
  const struct {
    const char* damage;  // the bank file cut short or removed
    bool remove;
    const char* language;
    const char* text;
  } cases[] = {
      {"usa/civano.off", false, "ger", "Die Stadt"},
      {"usa", true, "ger", "Die Stadt"},
      {"ger/civano.bin", false, "usa", "The City"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const fs::path root = fs::temp_directory_path() / ("hud_banks_" + std::to_string(::getpid()) + "_" +
                                                      std::to_string(n++));
    fs::remove_all(root);
    fs::create_directories(root / "gamedata");
    fs::create_directories(root / "language");
    fs::create_directory_symlink(game / "gamedata" / "fonts", root / "gamedata" / "fonts");
    fs::create_directory_symlink(game / "gamedata2", root / "gamedata2");
    for (const char* language : {"usa", "ger"})
      fs::copy(game / "language" / language, root / "language" / language, fs::copy_options::recursive);
    const fs::path damaged = root / "language" / c.damage;
    if (c.remove)
      fs::remove_all(damaged);
    else
      fs::resize_file(damaged, fs::file_size(damaged) - 1);
    platform::SetGameRoot(root.string());
    std::vector<std::string> lines;
    ConsoleSink oldSink = SetConsoleSink([&](std::string_view text, int) { lines.emplace_back(text); });
    for (int load = 0; load < 2; ++load) EXPECT_TRUE(LoadInterfaceFonts("ger", 640)) << c.damage;
    SetConsoleSink(std::move(oldSink));
    EXPECT_EQ(InterfaceLanguage(), c.language) << c.damage;
    CTextRect text;
    text.SetRect(0, 0, 200, 40);
    text.AddTextId(1116);
    EXPECT_EQ(text.LineText(0), c.text) << c.damage;
    ASSERT_EQ(lines.size(), 1u) << c.damage;
    const std::string bank = std::string("language\\") + (c.damage[0] == 'u' ? "usa" : "ger") + "\\civano";
    EXPECT_NE(lines[0].find("The text bank " + bank + " cannot be read"), std::string::npos) << lines[0];
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
    platform::SetGameRoot(RC_GAME_ROOT);
    fs::remove_all(root);
  }
}

class GalleryManager : public CPanelManager {
 public:
  void CreatePanels() override {}
};

TEST_F(HudDataTest, WidgetGalleryFindsEveryElementAndAnswersTheMouse) {
  EXPECT_TRUE(LoadInterfaceImages(640));
  EXPECT_TRUE(LoadInterfaceFonts("usa", 640));
  std::vector<LayoutModel> layout;
  const char* const names[] = {kWidgetGalleryLayout};
  ASSERT_TRUE(LoadLayoutModels(names, layout));
  const int32_t missingBefore = MissingElementReports();
  GalleryManager manager;
  CWidgetGalleryPanel gallery;
  manager.AddPanelWithModel(&gallery, &layout[0], nullptr, "DRAGBAR");
  EXPECT_EQ(MissingElementReports(), missingBefore);
  gallery.Open();
  for (int32_t frame = 0; frame < 30 && (gallery.animating || gallery.settling); ++frame) {
    BeginUiInputFrame(UiMouse{});
    manager.ProcessInput();
  }
  ASSERT_TRUE(gallery.open);
  manager.Draw();
  EXPECT_GT(renderer_.Count("DrawGouraudQuads"), 0);

  // The drop-down's field opens its list, and the panel hears of it.
  const UIRect field = gallery.dropDown->Rect();
  const int32_t x = int32_t(field.x1) + 10, y = int32_t((field.y1 + field.y2) / 2);
  BeginUiInputFrame(UiMouse{x, y, false, false, 0});
  manager.ProcessInput();
  BeginUiInputFrame(UiMouse{x, y, true, false, 0});
  manager.ProcessInput();
  EXPECT_TRUE(gallery.dropDown->open);
  EXPECT_EQ(gallery.lastCode, kNotifyDropDownChoice);
  EXPECT_EQ(gallery.lastValue, -1);
  EXPECT_EQ(gallery.list->count, 12);
  EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

}  // namespace
