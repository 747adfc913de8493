// Bounded random mutation of the engine's file formats: every damaged file is
// refused with a clear error (a warning, a fatal error caught here, or a false
// result), never read past its end. Run under the sanitizer build to catch
// reads out of bounds.
#include <random>

#include "engine/files/entity_file.h"
#include "engine/files/text_bank.h"
#include "engine_files_fixture.h"

namespace {

class FileFuzzTest : public EngineFilesTest {
 protected:
  std::vector<uint8_t> Mutate(std::vector<uint8_t> bytes) {
    switch (rng_() % 4) {
      case 0:  // flip a few bytes
        for (int k = 0, n = 1 + static_cast<int>(rng_() % 4); k < n && !bytes.empty(); ++k) {
          bytes[rng_() % bytes.size()] ^= static_cast<uint8_t>(1 + rng_() % 255);
        }
        break;
      case 1:  // cut
        bytes.resize(bytes.empty() ? 0 : rng_() % bytes.size());
        break;
      case 2:  // large value in a count-sized field
        if (bytes.size() >= 4) {
          size_t at = rng_() % (bytes.size() - 3);
          uint32_t v = rng_() % 2 ? 0xFFFFFFFFu : 0x7FFFu;
          std::memcpy(&bytes[at], &v, 4);
        }
        break;
      default:  // grow with junk
        for (int k = 0; k < 16; ++k) bytes.push_back(static_cast<uint8_t>(rng_()));
        break;
    }
    return bytes;
  }
  // Runs a call that may end in a fatal error; true when it completed.
  static bool Survives(const std::function<void()>& call) {
    try {
      call();
      return true;
    } catch (const FatalErrorException&) {
      return false;
    }
  }

  std::mt19937 rng_{12345};
};

TEST_F(FileFuzzTest, ModelFiles) {
  ModelFileData m = Quads(3, 2);
  m.textures = {"a.tex", "b.tex", "c.tex"};
  m.hasFrameRecords = true;
  m.frameRecordCount = 1;
  m.frameRecords.assign(2, ModelFrameRecord{});
  m.hasNamedRecords = true;
  m.namedRecords.assign(1, ModelNamedRecord{{'G'}, 0, 3, 0});
  std::vector<uint8_t> good;
  std::string reason;
  ASSERT_TRUE(EncodeModelFile(m, good, reason));
  for (int i = 0; i < 300; ++i) {
    std::vector<uint8_t> bad = Mutate(good);
    ModelFileData out;
    bool parsed = ParseModelFile(bad, out, reason);
    if (!parsed) {
      EXPECT_FALSE(reason.empty());
    }
    std::string name = "gamedata2\\fuzz\\m" + std::to_string(i) + ".tm";
    WriteBytes("gamedata2/fuzz/m" + std::to_string(i) + ".tm", bad);
    CModel* model = nullptr;
    uint8_t* dir = nullptr;
    bool loaded = Survives([&] { ModLoadModel(name, &model, &dir); });
    if (!parsed) {
      EXPECT_FALSE(loaded) << i;
    }
    if (loaded && dir) MEM_FREE(dir);
  }
}

TEST_F(FileFuzzTest, TextureFiles) {
  std::vector<TextureImage> set{Solid(2, 2, 1, 2, 3, 255), Solid(3, 1, 4, 5, 6, 0)};
  std::vector<uint8_t> gtd, single;
  ASSERT_TRUE(EncodeGtdFile(set, gtd));
  ASSERT_TRUE(EncodeTextureFile(set[0], single));
  for (int i = 0; i < 300; ++i) {
    std::string n = std::to_string(i);
    WriteBytes("gamedata2/fuzz" + n + "/textures.gtd", Mutate(gtd));
    WriteBytes("gamedata2/fuzz" + n + "/t.tex", Mutate(single));
    CTexture* textures = nullptr;
    int32_t count = 0;
    if (Survives([&] { TexLoadGtd("gamedata2\\fuzz" + n + "\\textures.gtd", &textures, &count, false); })) {
      for (int32_t k = 0; k < count; ++k) MEM_FREE(textures[k].pixels);
    }
    Survives([&] { TexLoadTexture("gamedata2\\fuzz" + n + "\\t.tex"); });
  }
}

TEST_F(FileFuzzTest, ArchivesAndTextBanks) {
  std::string reason;
  ASSERT_TRUE(WriteModelFile("gamedata2\\a.tm", Quads(2), reason));
  ASSERT_TRUE(WriteTextureFile("gamedata2\\a.tex", Solid(2, 2, 1, 2, 3, 255)));
  CModel* model = nullptr;
  uint8_t* dir = nullptr;
  ModLoadModel("gamedata2\\a.tm", &model, &dir);
  TexLoadTexture("gamedata2\\a.tex");
  CacheArchive().Close();
  const std::vector<uint8_t> data = ReadBytes("max/archive.bin");
  const std::vector<uint8_t> directory = ReadBytes("max/archive.DIR");

  std::vector<std::string> strings{CodePageCharTable(), "%s and %d %c5 %b2 %i", "x\\ny"};
  ASSERT_TRUE(WriteTextBankFiles("language\\f\\civano", strings));
  const std::vector<uint8_t> off = ReadBytes("language/f/civano.off");
  const std::vector<uint8_t> bin = ReadBytes("language/f/civano.bin");

  for (int i = 0; i < 200; ++i) {
    WriteBytes("max/archive.bin", rng_() % 2 ? Mutate(data) : data);
    WriteBytes("max/archive.DIR", rng_() % 2 ? Mutate(directory) : directory);
    ASSERT_TRUE(CacheArchive().Open("max\\archive.bin", 0));
    EXPECT_TRUE(Survives([&] { ModLoadModel("gamedata2\\a.tm", &model, &dir); })) << i;
    if (dir) MEM_FREE(dir);
    dir = nullptr;
    EXPECT_TRUE(Survives([&] { EXPECT_GE(TexLoadTexture("gamedata2\\a.tex"), 0); })) << i;
    CacheArchive().Close();

    WriteBytes("language/f/civano.off", rng_() % 2 ? Mutate(off) : off);
    WriteBytes("language/f/civano.bin", rng_() % 2 ? Mutate(bin) : bin);
    CTextSystem text;
    if (!text.LoadTextBankFile("language\\f\\civano")) continue;
    text.SetCurrencyTexts(1, 2);
    for (uint32_t id = 0; id <= text.StringCount(); ++id) {
      TextArg args[] = {"name", 42, 1};
      CStringBank bank;
      text.FormatToBank(bank, 50, static_cast<int32_t>(id), args);
      text.LayoutText(bank, 10, static_cast<int32_t>(id));
      std::string ascii;
      text.GetTextAscii(ascii, static_cast<int32_t>(id));
    }
  }
  ASSERT_TRUE(CacheArchive().Open("max\\archive.bin", 0));
}

}  // namespace
