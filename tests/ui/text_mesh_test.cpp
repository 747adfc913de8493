// Text and sign models: the block name label fits 30 units each side of the
// middle, glyph pages make one primitive each, the mesh builder never passes
// its 1500 vertices, and a sign without a text system is a bare board.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/files/text_bank.h"
#include "engine/scene/model.h"
#include "platform/paths.h"
#include "ui/text_mesh.h"
#include "ui/ui_services.h"

namespace {

class TextMeshTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ThrowOnFatalError();
    platform::SetGameRoot(RC_GAME_ROOT);
    ASSERT_TRUE(MemoryManager().Init(32u << 20, 16));
    ModSysCreate();
    ASSERT_TRUE(text_.LoadTextBankFile("language\\usa\\civano"));
    ASSERT_TRUE(text_.LoadCharTable(4, "gamedata\\fonts\\coppgoth23p"));
    ASSERT_TRUE(text_.LoadCharTable(5, "gamedata\\fonts\\Copperplate18boldp"));
    Ui().text = &text_;
  }
  void TearDown() override {
    Ui().text = nullptr;
    ModSysDestroy();
    MemoryManager().Shutdown();
  }
  static float HalfWidth(int32_t handle) {
    const CModel* m = ModSysGetModel(handle);
    float x = 0;
    for (int32_t i = 0; i < m->vertexCount; ++i) x = std::max(x, std::abs(m->positions[i].x));
    return x;
  }
  CTextSystem text_;
};

TEST_F(TextMeshTest, BlockNameLabelIsScaledToThirtyUnits) {
  TextModelRecord r;
  const int32_t small = CreateFourSidedTextModel(r, -1, "ELM");
  ASSERT_GT(small, 0);
  EXPECT_TRUE(r.held);
  const CModel* m = ModSysGetModel(small);
  EXPECT_EQ(m->primitiveCount, 1);  // capitals lie on the first page
  // Laid four times round the block: at the quarter turns the text stands 35.5 out.
  EXPECT_NEAR(HalfWidth(small), 35.5f + 0.25f * 30, 30.0f);
  const std::string longName(60, 'W');
  const int32_t wide = CreateFourSidedTextModel(r, -1, longName);
  ASSERT_GT(wide, 0);
  const CModel* w = ModSysGetModel(wide);
  // The copy along z = 35.5 reaches at most 30 each side.
  float reach = 0;
  for (int32_t i = 0; i < w->vertexCount; ++i)
    if (w->positions[i].z > 35.0f) reach = std::max(reach, std::abs(w->positions[i].x));
  EXPECT_NEAR(reach, 30.0f, 0.01f);
}

TEST_F(TextMeshTest, SecondPageGlyphsMakeASecondPrimitive) {
  TextModelRecord r;
  // Lower case lies past code 95 in the game's code page.
  ASSERT_GE(text_.CodeOf('z'), 95);
  ASSERT_LT(text_.CodeOf('A'), 95);
  const int32_t both = CreateFourSidedTextModel(r, -1, "Az");
  ASSERT_GT(both, 0);
  EXPECT_EQ(ModSysGetModel(both)->primitiveCount, 2);
}

// A font's glyphs lie on several textures, capitals too ("E" and "M" of
// the label font on two): each glyph is drawn from its own texture, so the
// name on the ground reads as it is written.
TEST_F(TextMeshTest, EveryGlyphIsDrawnFromItsOwnTexture) {
  Ui().fontTextures.clear();
  for (int32_t i = 0; i < 64; ++i) Ui().fontTextures.push_back(100 + i);
  TextModelRecord r;
  const int32_t one = CreateFourSidedTextModel(r, -1, "EM");
  Ui().fontTextures.clear();
  ASSERT_GT(one, 0);
  const CModel* m = ModSysGetModel(one);
  ASSERT_EQ(m->primitiveCount, 2);
  EXPECT_NE(m->primitives[0].texture, m->primitives[1].texture);
  // Four copies round the block, one glyph each: two quads per primitive.
  for (int32_t p = 0; p < 2; ++p) EXPECT_EQ(m->primitives[p].indexCount, 4 * 6) << "primitive " << p;
}

TEST_F(TextMeshTest, LongTextIsCutAtAWholeGlyph) {
  TextModelRecord r;
  const std::string huge(2000, 'M');
  const int32_t h = BuildFittedTextModel(r, 0, huge, -1, 20, 5);
  ASSERT_GT(h, 0);
  const CModel* m = ModSysGetModel(h);
  EXPECT_LE(m->vertexCount, kTextMeshVertices);
  EXPECT_EQ(m->vertexCount % 4, 0);  // quads only: no glyph half made
}

TEST_F(TextMeshTest, WithoutTextSystemASignIsItsBoard) {
  Ui().text = nullptr;
  TextModelRecord r;
  const int32_t h = BuildFittedTextModelBack(r, 1, "BAKERY", -1, 20, 5);
  ASSERT_GT(h, 0);
  EXPECT_EQ(ModSysGetModel(h)->vertexCount, 4);
  EXPECT_EQ(ModSysGetModel(h)->indexTotal, 12);  // two-sided
}

}  // namespace
