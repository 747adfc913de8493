// The data the build compiles into the game root loads through the game's own
// loaders. The files are copied into a throw-away root first, so that the
// cache archive the loaders write never lands in the build's game root.
#include <filesystem>

#include "engine/engine_files_fixture.h"
#include "engine/files/entity_file.h"
#include "engine/files/file_bytes.h"
#include "engine/render/fullscreen_image.h"
#include "engine/render/loading_screen.h"
#include "engine/files/text_bank.h"
#include "tools/fontbake/font_baker.h"

namespace {

namespace fs = std::filesystem;

const char* const kFonts[] = {"gamedata\\fonts\\cust640p",           "gamedata\\fonts\\tahoma12bldnoantip",
                              "gamedata\\fonts\\tahoma11noantip",     "gamedata\\fonts\\tahoma10bldnoantip",
                              "gamedata\\fonts\\coppgoth23p",         "gamedata\\fonts\\Copperplate18boldp"};

class BuiltGameRootTest : public EngineFilesTest {
 protected:
  void SetUp() override {
    EngineFilesTest::SetUp();
    for (const char* folder : {"language", "gamedata", "gamedata2"}) {
      fs::copy(fs::path(RC_GAME_ROOT) / folder, Real(folder),
               fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
  }
  // Every built file with the given extension, as game names.
  static std::vector<std::string> Built(const std::string& extension) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(RC_GAME_ROOT)) {
      if (entry.path().extension() == extension) {
        names.push_back(fs::relative(entry.path(), RC_GAME_ROOT).string());
      }
    }
    return names;
  }
};

TEST_F(BuiltGameRootTest, EnglishBankAndTheSixFontsLoad) {
  CTextSystem text;
  ASSERT_TRUE(text.LoadTextBankFile("language\\usa\\civano"));
  std::string ok;
  ASSERT_TRUE(text.GetTextAscii(ok, 1435));
  EXPECT_EQ(ok, "OK");
  for (int32_t slot = 0; slot < 6; ++slot) {
    ASSERT_TRUE(text.LoadCharTable(slot, kFonts[slot])) << kFonts[slot];
  }
  // The fonts measure real text, larger faces wider.
  TextRect small{}, large{};
  text.SelectFont(3);
  text.MeasureString(small, 0, 0, "Auction");
  text.SelectFont(4);
  text.MeasureString(large, 0, 0, "Auction");
  EXPECT_GT(small.width, 20);
  EXPECT_GT(large.width, small.width);
  EXPECT_GT(large.height, small.height);
}

TEST_F(BuiltGameRootTest, FontTablesPointIntoEveryScreenSizeOfTheGlyphTextures) {
  int32_t counts[3] = {};
  const int32_t widths[3] = {640, 800, 1024};
  for (int i = 0; i < 3; ++i) {
    CTexture* textures = nullptr;
    std::string set = "gamedata2\\font" + std::to_string(widths[i]) + "\\textures.gtd";
    ASSERT_TRUE(TexLoadGtd(set, &textures, &counts[i], false)) << set;
    ASSERT_GT(counts[i], 0);
    EXPECT_EQ(textures[0].width, kBakedTextureSide * widths[i] / 640);
    for (int32_t t = 0; t < counts[i]; ++t) MEM_FREE(textures[t].pixels);
  }
  EXPECT_EQ(counts[0], counts[1]);
  EXPECT_EQ(counts[0], counts[2]);
  for (const char* font : kFonts) {
    std::vector<GlyphRecord> glyphs;
    ASSERT_EQ(ReadFontTable(font, glyphs), 0) << font;
    ASSERT_EQ(glyphs.size(), static_cast<size_t>(kMaxGlyphs));
    for (unsigned char c : std::string("AZaz09 %$")) {
      EXPECT_GT(glyphs[c].width, 0) << font << " " << c;
      EXPECT_LT(glyphs[c].place[0], counts[0]);
    }
  }
}

TEST_F(BuiltGameRootTest, LecternLoadsWithItsTexturesAndAgainFromTheArchive) {
  ModelLodSet set{};
  int32_t handle = EntLoadModel("gamedata2\\new_mr_rentopia_auctioneer\\new_lectern.tm", &set, 0);
  CModel* model = ModSysGetModel(handle);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->primitiveCount, 2);
  EXPECT_EQ(model->primitives[1].texture,
            TexLoadTexture("gamedata2\\new_mr_rentopia_auctioneer\\lectern_top.tex"));
  ASSERT_EQ(model->namedRecordCount, 3);
  ModelNamedRecord desk;
  std::memcpy(&desk, model->namedRecords + 2 * sizeof desk, sizeof desk);
  EXPECT_STREQ(desk.name, "DESK");
  EXPECT_EQ(desk.lastVertex - desk.firstVertex, 3);
  EXPECT_TRUE(boxes_.empty());  // no unused, reused or duplicate vertices reported

  // The second load reads the archive: the model file may be gone.
  fs::remove(Real("gamedata2/new_mr_rentopia_auctioneer/new_lectern.tm"));
  EXPECT_NE(EntLoadModel("gamedata2\\new_mr_rentopia_auctioneer\\new_lectern.tm", &set, 1), 0);
  EXPECT_EQ(set.count, 2u);
}

TEST_F(BuiltGameRootTest, EveryBuiltModelAndTextureFileParses) {
  const auto models = Built(".tm"), sets = Built(".gtd"), singles = Built(".tex");
  EXPECT_GE(models.size(), 2u);
  EXPECT_GE(sets.size(), 10u);
  EXPECT_GE(singles.size(), 3u);
  std::string reason;
  for (const std::string& name : models) {
    std::vector<uint8_t> bytes;
    ModelFileData model;
    ASSERT_TRUE(ReadWholeGameFile(name, bytes)) << name;
    EXPECT_TRUE(ParseModelFile(bytes, model, reason)) << name << ": " << reason;
    // Every texture the model names was built beside it.
    const std::string folder = name.substr(0, name.find_last_of('/') + 1);
    for (const std::string& texture : model.textures) EXPECT_TRUE(platform::GameFileExists(folder + texture)) << texture;
  }
  for (const std::string& name : sets) {
    std::vector<uint8_t> bytes;
    std::vector<TextureImage> textures;
    ASSERT_TRUE(ReadWholeGameFile(name, bytes)) << name;
    EXPECT_TRUE(ParseGtdFile(bytes, textures, reason)) << name << ": " << reason;
    for (const TextureImage& t : textures) EXPECT_LE(std::max(t.width, t.height) + 2, kTexturePageSize) << name;
  }
  for (const std::string& name : singles) {
    std::vector<uint8_t> bytes;
    TextureImage texture;
    ASSERT_TRUE(ReadWholeGameFile(name, bytes)) << name;
    EXPECT_TRUE(ParseTextureFile(bytes, texture, reason)) << name << ": " << reason;
  }
}

TEST_F(BuiltGameRootTest, StartUpPicturesAreFullScreen16BitImages) {
  for (const char* name : {kSplashPicture, kWarningPicture, "language\\usa\\loading.tga"}) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeGameFile(name, bytes)) << name;
    ASSERT_EQ(bytes.size(), 18u + 640u * 480u * 2u) << name;
    EXPECT_EQ(bytes[16], 16) << name;
    EXPECT_EQ(bytes[12] | bytes[13] << 8, 640) << name;
    EXPECT_EQ(bytes[14] | bytes[15] << 8, 480) << name;
  }
}

}  // namespace
