#include "city/prestige_textures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/console.h"

namespace {

class PrestigeTextures : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearConsoleCommandTable();
    RegisterConsoleCommands();
    RegisterPrestigeTextureCommand();
    ResetPrestigeTextureLists();
    previous_ = SetConsoleSink([this](std::string_view text, int kind) { lines_.push_back(std::to_string(kind) + " " + std::string(text)); });
  }
  void TearDown() override {
    SetConsoleSink(previous_);
    ClearConsoleCommandTable();
    ResetPrestigeTextureLists();
  }
  static std::vector<int32_t> List(int level) {
    auto view = PrestigeTextureLists()[level].View();
    return {view.begin(), view.end()};
  }
  std::vector<std::string> lines_;
  ConsoleSink previous_;
};

}  // namespace

TEST_F(PrestigeTextures, EachLineAppendsItsMaterialsTextureToOneList) {
  struct Case {
    const char* line;
    int level;  // -1: no list changes
    int32_t texture;
  } cases[] = {
      {"TEXTUREPRESTIGERANKING BRICK2 HIGH", kPrestigeHigh, 96},
      {"TEXTUREPRESTIGERANKING STONE1 LOW", kPrestigeLow, 0},
      {"TEXTUREPRESTIGERANKING stone5 medium", kPrestigeMedium, 64},
      {"TEXTUREPRESTIGERANKING CONCRETE3 LOW", kPrestigeLow, 272},
      {"TEXTUREPRESTIGERANKING TIMBER1 MEDIUM", kPrestigeMedium, 400},
      {"TEXTUREPRESTIGERANKING GLASS10 HIGH", kPrestigeHigh, 704},
      {"TEXTUREPRESTIGERANKING BRICK1 NA", -1, 0},
      {"TEXTUREPRESTIGERANKING BRICK1 SOMETIMES", -1, 0},
      {"TEXTUREPRESTIGERANKING BRICK1", -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    auto before = PrestigeTextureLists();
    ExecuteConsoleCommand(c.line);
    for (int level = 0; level < kPrestigeLevelCount; ++level) {
      std::vector<int32_t> expected(before[level].View().begin(), before[level].View().end());
      if (level == c.level) expected.push_back(c.texture);
      EXPECT_EQ(List(level), expected) << "level " << level;
    }
  }
  EXPECT_TRUE(lines_.empty()) << lines_.front();

  // The code of a design number: the texture, then the fitting design above.
  EXPECT_EQ(PrestigeDesignCode(kPrestigeHigh, 0), 96);
  EXPECT_EQ(PrestigeDesignCode(kPrestigeHigh, 1), 704);
  EXPECT_EQ(PrestigeDesignCode(kPrestigeHigh, 3), 704 + 65536);

  ExecuteConsoleCommand("TEXTUREPRESTIGERANKING reset");
  for (int level = 0; level < kPrestigeLevelCount; ++level) EXPECT_TRUE(List(level).empty());
  EXPECT_EQ(PrestigeDesignCode(kPrestigeMedium, 2), 2 * 65536);  // nothing ranked: the first texture
}

TEST_F(PrestigeTextures, BadWordsAndAFullListChangeNothing) {
  ExecuteConsoleCommand("TEXTUREPRESTIGERANKING GLASS1 HIGH");
  for (const char* word : {"BRICK", "BRICK0", "BRICKX", "BRICK2X", "BRICK-1", "BRICK1000", "MARBLE1", "2BRICK"}) {
    SCOPED_TRACE(word);
    lines_.clear();
    ExecuteConsoleCommand((std::string("TEXTUREPRESTIGERANKING ") + word + " HIGH").c_str());
    EXPECT_EQ(List(kPrestigeHigh), std::vector<int32_t>{560});
    ASSERT_EQ(lines_.size(), 1u);
    EXPECT_EQ(lines_[0].substr(0, 2), "2 ");
  }
  lines_.clear();
  ExecuteConsoleCommand("TEXTUREPRESTIGERANKING");  // no word: nothing at all
  EXPECT_TRUE(lines_.empty());

  for (int i = 1; i < kPrestigeTextureCapacity; ++i) ExecuteConsoleCommand("TEXTUREPRESTIGERANKING STONE1 HIGH");
  EXPECT_EQ(PrestigeTextureLists()[kPrestigeHigh].Count, kPrestigeTextureCapacity);
  EXPECT_TRUE(lines_.empty());
  ExecuteConsoleCommand("TEXTUREPRESTIGERANKING BRICK1 HIGH");
  EXPECT_EQ(PrestigeTextureLists()[kPrestigeHigh].Count, kPrestigeTextureCapacity);
  EXPECT_EQ(PrestigeTextureLists()[kPrestigeHigh].Textures[kPrestigeTextureCapacity - 1], 0);
  ASSERT_EQ(lines_.size(), 1u);
  EXPECT_EQ(lines_[0].substr(0, 2), "2 ");
}
