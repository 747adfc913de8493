#include "engine/scene/texture.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/core/memory.h"
#include "scene_fixture.h"

namespace {

class TextureTest : public SceneTest {
 protected:
  std::deque<CTexture> store;

  void SetUp() override {
    SceneTest::SetUp();
    TexSysCreate();
  }
  void TearDown() override {
    TexSysDestroy();
    SceneTest::TearDown();
  }
  // A texture whose texel at (x, y) is 0xFF000000 | tag << 16 | y << 8 | x.
  CTexture* Make(int32_t w, int32_t h, uint32_t tag = 1, uint32_t flags = 0) {
    CTexture& t = store.emplace_back();
    std::memset(&t, 0, sizeof t);
    t.flags = flags;
    t.width = w;
    t.height = h;
    t.uSize = static_cast<float>(w);
    t.vSize = static_cast<float>(h);
    t.pixels = static_cast<uint32_t*>(MEM_ALLOC(size_t(w) * h * 4));
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        t.pixels[y * w + x] = 0xFF000000u | tag << 16 | uint32_t(y & 0xFF) << 8 | uint32_t(x & 0xFF);
    return &t;
  }
  void Border(uint8_t width) {
    uint8_t options[kTexOptionCount] = {0, 0, width, 12, 1, 1};
    TexSysSetLoadOptions(options);
  }
  uint32_t PageTexel(int32_t page, int32_t x, int32_t y) {
    return TexSysPagePixels(page)[y * TexSysPageSize(page) + x];
  }
};

TEST_F(TextureTest, FullPageTextureDropsMarginsAndFillsThePage) {
  TexSysBeginGroup("world");
  Border(0);
  CTexture* big = Make(256, 256);
  CTexture* small = Make(8, 8);
  TexSysAddTexture(big, 0);
  TexSysAddTexture(small, 0);
  TexSysBuildPages();
  CTextureSystem* ts = TheTextureSystem();
  EXPECT_EQ(ts->pageCount, 2);
  EXPECT_EQ(big->pageIndex, 0);
  EXPECT_TRUE(ts->pageFull[0]);
  EXPECT_EQ(small->pageIndex, 1);
  EXPECT_FLOAT_EQ(big->uSize, 1.0f);
  EXPECT_EQ(big->pixels, nullptr);  // texels live in the page now
}

TEST_F(TextureTest, BorderKeepsRoomAndRepeatsTheEdges) {
  TexSysBeginGroup("world");
  Border(2);
  CTexture* a = Make(64, 64, 1);
  CTexture* b = Make(64, 64, 2);
  TexSysAddTexture(a, 0);
  TexSysAddTexture(b, 0);
  TexSysBuildPages();
  // A 68 x 68 rectangle each, the texture 2 texels in from its corner.
  EXPECT_FLOAT_EQ(a->uOffset * 256, 2.0f);
  EXPECT_FLOAT_EQ(a->vOffset * 256, 2.0f);
  EXPECT_FLOAT_EQ(b->uOffset * 256, 70.0f);
  EXPECT_FLOAT_EQ(b->vOffset * 256, 2.0f);
  EXPECT_FLOAT_EQ(a->uSize, 64.0f / 256);
  // Edge texels repeat outward, corners included.
  EXPECT_EQ(PageTexel(0, 2, 2), 0xFF010000u);
  EXPECT_EQ(PageTexel(0, 0, 0), 0xFF010000u);
  EXPECT_EQ(PageTexel(0, 1, 40), 0xFF010000u | 38u << 8);
  EXPECT_EQ(PageTexel(0, 67, 67), 0xFF010000u | 63u << 8 | 63u);
  EXPECT_EQ(PageTexel(0, 70, 0), 0xFF020000u);
}

TEST_F(TextureTest, GroupsNeverShareAPageAndLargerTexturesGoFirst) {
  TexSysBeginGroup("first");
  Border(0);
  CTexture* small = Make(16, 16, 1);
  CTexture* large = Make(32, 32, 2);
  TexSysAddTexture(small, 0);
  TexSysAddTexture(large, 0);
  TexSysBeginGroup("second");
  Border(0);
  CTexture* other = Make(16, 16, 3);
  TexSysAddTexture(other, 0);
  TexSysBuildPages();
  EXPECT_EQ(large->pageIndex, 0);
  EXPECT_FLOAT_EQ(large->uOffset, 0.0f);
  EXPECT_EQ(small->pageIndex, 0);
  EXPECT_FLOAT_EQ(small->uOffset * 256, 32.0f);
  EXPECT_EQ(other->pageIndex, 1);
  EXPECT_EQ(TheTextureSystem()->pages[1].group, 1);
}

TEST_F(TextureTest, PagesTakeTheAlphaClassOfTheirTextures) {
  TexSysBeginGroup("g");
  TexSysAddTexture(Make(8, 8, 1, kTexFlagOpaque), 0);
  TexSysAddTexture(Make(8, 8, 2, kTexFlagPartialAlpha), 0);
  TexSysBuildPages();
  EXPECT_EQ(TheTextureSystem()->pages[0].flags, kTexFlagOpaque | kTexFlagPartialAlpha);
}

TEST_F(TextureTest, OwnPageTextureLargerThanAPageGetsAPageOfItsSize) {
  TexSysBeginGroup("g");
  CTexture* t = Make(300, 100, 1, kTexFlagOwnPage);
  TexSysAddTexture(t, kSlotValueOwnPage);
  TexSysBuildPages();
  EXPECT_EQ(TexSysPageSize(t->pageIndex), 300);
  EXPECT_FLOAT_EQ(t->uSize, 1.0f);
  EXPECT_FLOAT_EQ(t->vSize, 100.0f / 300);
  EXPECT_EQ(PageTexel(t->pageIndex, 299, 99), 0xFF010000u | 99u << 8 | (299u & 0xFF));
  EXPECT_TRUE(TheTextureSystem()->pageFull[t->pageIndex]);
}

TEST_F(TextureTest, SharedTextureTooLargeForAPageIsFatal) {
  TexSysBeginGroup("g");
  TexSysAddTexture(Make(300, 8), 0);
  EXPECT_THROW(TexSysBuildPages(), FatalErrorException);
  EXPECT_TRUE(Warned("Cannot fit texture. Increase number of Texture pages"));
}

TEST_F(TextureTest, ReducePagesHalvesByPriorityAndStopsAtSixteen) {
  TexSysBeginGroup("g");
  uint8_t options[kTexOptionCount] = {2, 0, 0, 12, 1, 1};
  TexSysSetLoadOptions(options);
  CTexture* a = Make(256, 256, 1);
  TexSysAddTexture(a, 0);
  TexSysBuildPages();
  const int64_t before = TexSysPageMemory();
  EXPECT_EQ(before, 256 * 256 * 4);
  TexSysReducePages(1);  // one halving uses up any small budget
  EXPECT_EQ(TexSysPageSize(0), 128);
  EXPECT_EQ(TheTextureSystem()->pages[0].options[0], 1);
  EXPECT_EQ(TheTextureSystem()->pages[0].options[1], 0);  // never wraps below 0
  TexSysReducePages(int64_t(1) << 40);
  // Priority 1 left allows one more halving; nothing goes to 16 or below.
  EXPECT_EQ(TexSysPageSize(0), 64);
  TheTextureSystem()->pages[0].options[0] = 8;
  TexSysReducePages(int64_t(1) << 40);
  EXPECT_EQ(TexSysPageSize(0), 16);
}

TEST_F(TextureTest, ReleasingAnySlotKeepsTheSlotsConsistent) {
  TexSysBeginGroup("g");
  const int32_t s0 = TexSysAddTexture(Make(8, 8), 0);
  const int32_t s1 = TexSysAddTexture(Make(8, 8), 0);
  const int32_t s2 = TexSysAddTexture(Make(8, 8), 0);
  EXPECT_EQ(s2, 2);
  TexSysReleaseSlot(s1);  // a slot below the top
  EXPECT_EQ(TexSysAddTexture(Make(8, 8), 0), 3);
  EXPECT_FALSE(Warned("ARSE"));
  TexSysReleaseSlot(3);
  TexSysReleaseSlot(s2);
  EXPECT_EQ(TheTextureSystem()->nextSlot, 1);  // drops past the free slot 1 too
  EXPECT_EQ(TexSysAddTexture(Make(8, 8), 0), 1);
  TexSysReleaseSlot(77);
  EXPECT_TRUE(Warned("not in use"));
  EXPECT_NE(TexSysGetTexture(s0), nullptr);
}

TEST_F(TextureTest, FullSlotTableReportsAndReusesReleasedSlots) {
  TexSysBeginGroup("g");
  CTexture* t = Make(1, 1);
  CTextureSystem* ts = TheTextureSystem();
  for (int32_t i = 0; i < kMaxTextures; ++i) ts->slots[i] = TextureSlot{t, 1, 0};
  ts->nextSlot = kMaxTextures;
  EXPECT_EQ(TexSysAddTexture(Make(1, 1), 0), -1);
  EXPECT_TRUE(Warned("No more textures left. Increase MAXTEXTURES"));
  ts->slots[5].inUse = 0;
  EXPECT_EQ(TexSysAddTexture(Make(1, 1), 0), 5);
}

TEST_F(TextureTest, SlotAlreadyInUseIsRefused) {
  TexSysBeginGroup("g");
  TheTextureSystem()->slots[0].inUse = 1;
  EXPECT_EQ(TexSysAddTexture(Make(4, 4), 0), -1);
  EXPECT_TRUE(Warned("Ooops. We've hit a new texture slot, thats already used..... ARSE"));
}

TEST_F(TextureTest, GroupTableIsChecked) {
  for (int32_t i = 0; i < kMaxTextureGroups; ++i) EXPECT_EQ(TexSysBeginGroup("g"), i + 1);
  EXPECT_EQ(TexSysBeginGroup("one too many"), kMaxTextureGroups);
  EXPECT_TRUE(Warned("Too many texture groups"));
  EXPECT_EQ(TheTextureSystem()->currentGroup, kMaxTextureGroups - 1);
}

TEST_F(TextureTest, RegistrationCopiesGroupOptionsAndCounts) {
  TexSysBeginGroup("a");
  TexSysBeginGroup("b");
  CTexture* t = Make(4, 4);
  EXPECT_EQ(TexSysAddTexture(t, 0), 0);
  EXPECT_EQ(t->group, 1);
  EXPECT_EQ(t->references, 1);
  EXPECT_EQ(t->options[3], 12);
  EXPECT_EQ(TheTextureSystem()->groups[1].count, 1);
  TexSysBeginGroup("c");
  TexSysMoveToCurrentGroup(0);
  EXPECT_EQ(t->group, 2);
  EXPECT_EQ(TheTextureSystem()->groups[2].movedIn, 1);
  EXPECT_EQ(TexSysAddTexture(nullptr, 0), -1);
}

TEST_F(TextureTest, PageTextureTakesAWholePage) {
  TexSysBeginGroup("g");
  TexSysAddTexture(Make(8, 8), 0);
  TexSysBuildPages();
  const int32_t slot = TexSysCreatePageTexture(64);
  CTexture* t = TexSysGetTexture(slot);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->pageIndex, 1);
  EXPECT_EQ(t->pixels, TexSysPagePixels(1));
  EXPECT_EQ(t->options[0], 24);
  EXPECT_EQ(TheTextureSystem()->pages[1].flags, kTexFlagOpaque);
  EXPECT_EQ(TexSysTextureWidth(slot), 64);
  EXPECT_EQ(TexSysPageMemory(), (256 * 256 + 64 * 64) * 4);
}

TEST_F(TextureTest, NamedTexturesAndUsedMarks) {
  TexSysBeginGroup("g");
  const int32_t slot = TexSysAddTexture(Make(8, 4), 0);
  TexSysBuildPages();
  EXPECT_TRUE(TexSysSetNamedTexture("NightWindows", slot));
  EXPECT_EQ(TexSysFindNamedTexture("nightwindows"), slot);
  EXPECT_EQ(TexSysFindNamedTexture("clouds"), -1);
  EXPECT_EQ(TexSysTextureHeight(slot), 4);
  TexSysMarkTextureUsed(slot);
  EXPECT_FLOAT_EQ(TheTextureSystem()->pageUsed[0], 1.0f);
}

class TexturePageCacheTest : public TextureTest {
 protected:
  std::string path = (std::filesystem::temp_directory_path() /
                      ("rc_texpages_" + std::to_string(::getpid()) + ".bin")).string();

  void TearDown() override {
    std::filesystem::remove(path);
    TextureTest::TearDown();
  }
  // Two packed textures in two groups (one with a border) and the page texture.
  void PackAndSave() {
    TexSysBeginGroup("a");
    Border(2);
    TexSysAddTexture(Make(64, 32, 1, kTexFlagOpaque), 0);
    TexSysBeginGroup("b");
    TexSysAddTexture(Make(16, 16, 2, kTexFlagPartialAlpha), 0);
    TexSysBuildPages();
    TexSysCreatePageTexture(64);
    ASSERT_TRUE(TexSysSavePageCache(path.c_str()));
  }
  void Restart() {
    TexSysDestroy();
    TexSysCreate();
  }
  std::vector<char> FileBytes() {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void WriteFile(const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
};

TEST_F(TexturePageCacheTest, SavedPagesLoadBackWithTheirSlotsAndTexels) {
  PackAndSave();
  const CTextureSystem* before = TheTextureSystem();
  const int32_t pages = before->pageCount;
  std::vector<std::vector<uint32_t>> texels;
  std::vector<CTexture> records;
  for (int32_t p = 0; p < pages; ++p)
    texels.emplace_back(TexSysPagePixels(p),
                        TexSysPagePixels(p) + TexSysPageSize(p) * TexSysPageSize(p));
  for (int32_t s = 0; s < 3; ++s) records.push_back(*TexSysGetTexture(s));
  const auto size = std::filesystem::file_size(path);
  EXPECT_EQ(size, 16u + 3 * (12 + 56) + size_t(pages) * 40 + (2 * 256 * 256 + 64 * 64) * 4);

  Restart();
  ASSERT_TRUE(TexSysLoadPageCache(path.c_str()));
  const CTextureSystem* after = TheTextureSystem();
  ASSERT_EQ(after->pageCount, pages);
  EXPECT_EQ(after->nextSlot, 3);
  for (int32_t p = 0; p < pages; ++p) {
    ASSERT_EQ(TexSysPageSize(p), p == 2 ? 64 : 256);
    EXPECT_TRUE(std::equal(texels[p].begin(), texels[p].end(), TexSysPagePixels(p)));
    EXPECT_TRUE(after->pageFull[p]);
  }
  EXPECT_EQ(after->pages[1].flags, kTexFlagPartialAlpha);
  for (int32_t s = 0; s < 3; ++s) {
    const CTexture* t = TexSysGetTexture(s);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->pageIndex, records[s].pageIndex);
    EXPECT_FLOAT_EQ(t->uOffset, records[s].uOffset);
    EXPECT_FLOAT_EQ(t->vSize, records[s].vSize);
    EXPECT_EQ(t->group, records[s].group);
    EXPECT_EQ(0, std::memcmp(t->options, records[s].options, kTexOptionCount));
  }
  // The page texture draws into its page again; the packed ones hold no texels.
  EXPECT_EQ(TexSysGetTexture(2)->pixels, TexSysPagePixels(2));
  EXPECT_EQ(TexSysGetTexture(0)->pixels, nullptr);
  // Textures registered afterwards take the next slot and pack onto new pages.
  TexSysBeginGroup("late");
  EXPECT_EQ(TexSysAddTexture(Make(8, 8), 0), 3);
  TexSysBuildPages();
  EXPECT_EQ(TexSysGetTexture(3)->pageIndex, pages);
}

TEST_F(TexturePageCacheTest, DamagedFilesAndBusySystemsAreRefusedAndChangeNothing) {
  PackAndSave();
  EXPECT_FALSE(TexSysLoadPageCache(path.c_str()));  // textures registered already
  const std::vector<char> good = FileBytes();
  auto withInt = [&](size_t offset, int32_t value) {
    std::vector<char> bytes = good;
    std::memcpy(bytes.data() + offset, &value, 4);
    return bytes;
  };
  const size_t textures = 16 + 3 * 12;
  const size_t pages = textures + 3 * 56;
  std::vector<std::vector<char>> bad = {
      std::vector<char>(good.begin(), good.end() - 1),  // short of texels
      withInt(0, 0x20000),                              // version
      withInt(4, kMaxTextures + 1),                     // slot count
      withInt(8, 2),                                    // page count against the texels
      withInt(textures + 36, 7),                        // a texture's page index
      withInt(pages, 0),                                // a page's size
  };
  {
    std::vector<char> longer = good;
    longer.push_back(0);
    bad.push_back(longer);
  }
  for (size_t i = 0; i < bad.size(); ++i) {
    Restart();
    WriteFile(bad[i]);
    boxTexts.clear();
    EXPECT_FALSE(TexSysLoadPageCache(path.c_str())) << i;
    EXPECT_TRUE(Warned("not loaded")) << i;
    EXPECT_EQ(TheTextureSystem()->pageCount, 0) << i;
    EXPECT_EQ(TheTextureSystem()->nextSlot, 0) << i;
  }
  std::filesystem::remove(path);
  EXPECT_FALSE(TexSysLoadPageCache(path.c_str()));  // no cache: quietly false
}

TEST_F(TexturePageCacheTest, UnpackedTexturesAreNotCached) {
  TexSysBeginGroup("g");
  TexSysAddTexture(Make(8, 8), 0);
  EXPECT_FALSE(TexSysSavePageCache(path.c_str()));
  EXPECT_TRUE(Warned("not packed"));
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
