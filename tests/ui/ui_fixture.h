#pragma once
// A headless interface for tests: a throw-away game root, a texture system
// with a font texture and three interface images, a small text bank and a
// fixed-width font, a renderer that records the quads and lines it is given,
// and the mouse set by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/files/font_table.h"
#include "engine/files/text_bank.h"
#include "engine/files/texture_file.h"
#include "engine/recording_renderer.h"
#include "engine/scene/texture.h"
#include "engine/game_root_fixture.h"
#include "ui/cursors.h"
#include "ui/glyph_batcher.h"
#include "ui/hover_info.h"
#include "ui/money_format.h"
#include "ui/ui_services.h"

class UiRecordingRenderer : public RecordingRenderer {
 public:
  struct Quads {
    int32_t count;
    int32_t page;
    std::vector<Vec3> corners;
    std::vector<uint32_t> colours;
  };
  std::vector<Quads> textured, shaded;
  std::vector<std::vector<PolylinePoint>> lines;

  using CRenderer::DrawTexturedQuadsShaded;
  void DrawTexturedQuadsShaded(const Vec3* q, int32_t n, const TexCoord*, int32_t page,
                               const uint32_t* colours) override {
    calls.push_back("DrawTexturedQuadsShaded");
    textured.push_back({n, page, {q, q + 4 * n}, colours ? std::vector<uint32_t>(colours, colours + n)
                                                         : std::vector<uint32_t>{}});
  }
  void DrawGouraudQuads(const Vec3* q, int32_t n, const uint32_t* colours) override {
    calls.push_back("DrawGouraudQuads");
    shaded.push_back({n, -1, {q, q + 4 * n}, {colours, colours + 4 * n}});
  }
  void DrawPolyline(int32_t n, const PolylinePoint* p) override {
    calls.push_back("DrawPolyline");
    lines.emplace_back(p, p + n);
  }
  CTextureSystem* GetTextureSystem() override { return TheTextureSystem(); }
};

inline constexpr int32_t kTestGlyphWidth = 6;
inline constexpr int32_t kTestGlyphHeight = 10;

class UiTest : public GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    ASSERT_TRUE(MemoryManager().Init(32u << 20, 16));
    TexSysCreate();
    Ui() = UiServices{};
    Ui().renderer = &renderer_;
    fontTexture_ = AddTexture(64, 64);
    Ui().fontTextures = {fontTexture_};
    Ui().imageTable = {AddTexture(16, 16), AddTexture(64, 24), AddTexture(32, 32)};
    MakeTextSystem();
    ResetGlyphBatcher();
    ResetCursors();
    HoverInfo().Reset();
    HoverInfo().SetWorld(nullptr);
    SetCurrencyFormat("$", true);
  }
  void TearDown() override {
    ResetGlyphBatcher();
    Ui() = UiServices{};
    TexSysDestroy();
    MemoryManager().Shutdown();
    GameRootTest::TearDown();
  }

  int32_t AddTexture(int32_t w, int32_t h) {
    TextureImage image;
    image.width = w;
    image.height = h;
    image.texels.assign(size_t(w) * size_t(h) * 4, 255);
    return TexRegisterImage(std::move(image));
  }

  // Texts by id; every glyph is kTestGlyphWidth wide and kTestGlyphHeight high.
  void MakeTextSystem() {
    std::vector<std::string> strings(2445);
    strings[0] = CodePageCharTable();
    strings[1] = "Hello world";
    strings[5] = "Bakery";
    strings[6] = "Rented flats of the east side";
    strings[8] = "%i: %i";
    strings[9] = "%s: %i";
    strings[1116] = "The City";
    strings[2234] = "$";
    strings[2235] = "l";
    strings[kHoverVehicleText] = "Vehicle";
    strings[kHoverBuildingText] = "Building";
    ASSERT_TRUE(WriteTextBankFiles("language\\test\\civano", strings));
    std::vector<GlyphRecord> glyphs(kMaxGlyphs);
    for (int32_t c = 0; c < kMaxGlyphs; ++c)
      glyphs[size_t(c)] = GlyphRecord{{0, (c % 10) * 6, (c / 10) * 2, 6, 2, 64, 0, 0},
                                      kTestGlyphWidth, kTestGlyphHeight, 0};
    ASSERT_TRUE(WriteFontTable("gamedata\\fonts\\test", glyphs));
    text_ = CTextSystem{};
    ASSERT_TRUE(text_.LoadTextBankFile("language\\test\\civano"));
    ASSERT_TRUE(text_.LoadCharTable(0, "gamedata\\fonts\\test"));
    ASSERT_TRUE(text_.LoadCharTable(1, "gamedata\\fonts\\test"));
    text_.SelectFont(0);
    Ui().text = &text_;
    InstallGlyphBatcher();
  }

  // Starts an input frame with the mouse at (x, y).
  void Mouse(int32_t x, int32_t y, bool left = false, bool right = false, int32_t wheel = 0) {
    BeginUiInputFrame(UiMouse{x, y, left, right, wheel});
  }

  UiRecordingRenderer renderer_;
  CTextSystem text_;
  int32_t fontTexture_ = -1;
};
