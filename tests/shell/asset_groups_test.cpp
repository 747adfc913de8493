// The asset groups load from the built game root; the cache archive goes to a
// throw-away folder (a minimal installation's data root), so tests never
// share an archive.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/core/system_settings.h"
#include "engine/files/cache_archive.h"
#include "engine/files/model_file.h"
#include "engine/files/texture_file.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "shell/asset_groups.h"

namespace {

class AssetGroupsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_root_ = std::filesystem::temp_directory_path() /
                 ("rc_assets_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(data_root_);
    std::filesystem::create_directories(data_root_);
    old_root_ = platform::GameRoot();
    platform::SetGameRoot(RC_GAME_ROOT);
    old_backend_ = platform::SetMessageBoxBackend([this](std::string_view caption, std::string_view text,
                                                         platform::BoxIcon, platform::BoxButtons) {
      boxes_.push_back(std::string(caption) + "|" + std::string(text));
      return platform::BoxResult::Ok;
    });
    ThrowOnFatalError();
    ResetSystemSettings();
    g_StartupOptions.fullInstall = false;
    const std::string root = data_root_.string() + "/";
    std::snprintf(g_StartupOptions.dataRoot, sizeof g_StartupOptions.dataRoot, "%s", root.c_str());
    ASSERT_TRUE(MemoryManager().Init(0x5000000, 16));
    StartSystems();
  }
  void TearDown() override {
    if (CacheArchive().IsOpen()) CacheArchive().Close();
    StopSystems();
    MemoryManager().Shutdown();
    ResetSystemSettings();
    platform::SetMessageBoxBackend(old_backend_);
    platform::SetGameRoot(old_root_);
    std::filesystem::remove_all(data_root_);
  }
  void StartSystems() {
    TexSysCreate();
    ModSysCreate();
  }
  void StopSystems() {
    ForgetLoadedAssets();
    ModSysDestroy();
    TexSysDestroy();
  }
  // A second start: fresh systems over the same archive.
  void Restart() {
    StopSystems();
    StartSystems();
  }
  int32_t GroupOf(const char* name) {
    const CTextureSystem* ts = TheTextureSystem();
    for (int32_t g = 0; g < ts->groupCount; ++g) {
      if (std::string(ts->groups[g].name) == name) return g;
    }
    return -1;
  }
  // The load options of the first texture registered in a group.
  std::vector<int> FirstOptionsOf(int32_t group) {
    const CTextureSystem* ts = TheTextureSystem();
    for (int32_t s = 0; s < ts->nextSlot; ++s) {
      const CTexture* t = TexSysGetTexture(s);
      if (t && t->group == group) return {t->options, t->options + kTexOptionCount};
    }
    return {};
  }
  std::vector<int> OptionsOfSlot(int32_t slot) {
    const CTexture* t = TexSysGetTexture(slot);
    return t ? std::vector<int>(t->options, t->options + kTexOptionCount) : std::vector<int>{};
  }

  std::filesystem::path data_root_;
  std::string old_root_;
  platform::MessageBoxBackend old_backend_;
  std::vector<std::string> boxes_;
};

TEST_F(AssetGroupsTest, EveryGroupLoadsInOrderWithItsOptionsAndNothingIsMissing) {
  g_RendererSettings.width = 1024;
  LoadGameAssets();
  EXPECT_TRUE(MissingAssets().empty()) << MissingAssets().front();
  for (const std::string& box : boxes_) EXPECT_EQ(box.find("missing"), std::string::npos) << box;

  const std::vector<std::string> expected = {
      "Font Group And Panels", "Auction Group", "Player Characters", "People Group", "Vehicles Group",
      "Generic Textures", "ROOFMODELS", "Sign textures", "Tutor Group", "World City Models",
      "Planes Trains Boats Group", "Industrial Units Froup", "City Surround Stuff", "STUFF"};
  const CTextureSystem* ts = TheTextureSystem();
  std::vector<std::string> names;
  for (int32_t g = 0; g < ts->groupCount; ++g) names.push_back(ts->groups[g].name);
  ASSERT_GE(names.size(), expected.size());
  names.erase(names.begin(), names.end() - static_cast<std::ptrdiff_t>(expected.size()));
  EXPECT_EQ(names, expected);

  const struct {
    const char* group;
    std::vector<int> options;
  } kOptions[] = {
      {"Font Group And Panels", {0, 0, 1, 0, 0, 1}}, {"Player Characters", {0, 2, 2, 12, 0, 0}},
      {"People Group", {2, 3, 2, 12, 0, 1}},         {"Vehicles Group", {2, 3, 2, 12, 0, 1}},
      {"ROOFMODELS", {0, 2, 2, 12, 0, 1}},
      {"Sign textures", {0, 1, 2, 12, 0, 1}},        {"Tutor Group", {0, 2, 2, 12, 0, 1}},
      {"World City Models", {0, 2, 2, 12, 0, 1}},    {"Planes Trains Boats Group", {2, 3, 2, 12, 0, 1}},
      {"Industrial Units Froup", {1, 3, 2, 12, 0, 1}}, {"City Surround Stuff", {2, 3, 2, 12, 0, 1}},
  };
  for (const auto& c : kOptions) EXPECT_EQ(FirstOptionsOf(GroupOf(c.group)), c.options) << c.group;
  // The world texture sets join the characters' group with their own options.
  EXPECT_EQ(OptionsOfSlot(TextureSetSlots(TextureSetName::Building).at(0)), (std::vector<int>{0, 0, 2, 12, 0, 1}));
  EXPECT_EQ(OptionsOfSlot(TextureSetSlots(TextureSetName::Water).at(0)), (std::vector<int>{1, 3, 2, 12, 0, 1}));
  EXPECT_EQ(OptionsOfSlot(TextureSetSlots(TextureSetName::Landscape).at(0)), (std::vector<int>{0, 3, 2, 12, 0, 1}));

  // Every place of every shelf holds its model; people and vehicles their
  // coarse copies too.
  for (int32_t s = 0; s < static_cast<int32_t>(ModelShelf::kCount); ++s) {
    const auto shelf = static_cast<ModelShelf>(s);
    for (int32_t i = 0; i < ShelfSize(shelf); ++i) EXPECT_NE(ShelfModel(shelf, i), nullptr) << s << " " << i;
  }
  EXPECT_EQ(ShelfSize(ModelShelf::People), kPeopleModels);
  EXPECT_EQ(ShelfSize(ModelShelf::Vehicles), kVehicleModels);
  EXPECT_EQ(ShelfSize(ModelShelf::Characters), 30);
  EXPECT_EQ(ShelfSize(ModelShelf::WorldCity), kWorldCityCount);
  EXPECT_EQ(ShelfSize(ModelShelf::PlanesTrainsBoats), kPlanesTrainsBoatsCount);
  EXPECT_EQ(ShelfSize(ModelShelf::Auction), kAuctionCount);
  EXPECT_NE(ShelfModel(ModelShelf::People, 0)->handles[1], 0);
  EXPECT_NE(ShelfModel(ModelShelf::Vehicles, kVehicleModels - 1)->handles[1], 0);
  EXPECT_NE(ShelfModel(ModelShelf::Marker, 0), nullptr);
  EXPECT_EQ(ShelfModel(ModelShelf::People, kPeopleModels), nullptr);
  // Every street figure carries all the street animations of its build, the
  // coarse copy too; the first is a child, the last standing one a pensioner.
  for (int32_t lod = 0; lod < 2; ++lod) {
    EXPECT_EQ(ModSysGetModel(ShelfModel(ModelShelf::People, 0)->handles[lod])->frameCount,
              PersonAnimFrameCount(kBuildChild));
    EXPECT_EQ(ModSysGetModel(ShelfModel(ModelShelf::People, kStreetPeople - 1)->handles[lod])->frameCount,
              PersonAnimFrameCount(kBuildElder));
  }
}

TEST_F(AssetGroupsTest, ScreenSizeRuleAndTheArchiveHoldsEveryVariant) {
  const struct {
    int32_t width, variant;
  } kCases[] = {{640, 640}, {1280, 640}, {800, 800}, {1600, 800}, {1024, 1024}, {1152, 1024}, {1920, 1024}};
  for (const auto& c : kCases) EXPECT_EQ(ScreenSizeVariant(c.width), c.variant) << c.width;

  // Whatever the screen, the first start leaves every size in the archive.
  g_RendererSettings.width = 1280;
  LoadGameAssets();
  ASSERT_TRUE(CacheArchive().Open(GameArchiveName(), 0));
  for (const char* set : {"gamedata2\\font%d\\textures.gtd", "gamedata2\\GenericTextures%d\\textures.gtd"}) {
    for (int width : {640, 800, 1024}) {
      char name[96];
      std::snprintf(name, sizeof name, set, width);
      EXPECT_TRUE(CacheArchive().Contains(name)) << name;
    }
  }
  EXPECT_TRUE(CacheArchive().Contains("gamedata2\\Cursors\\textures.gtd"));
}

TEST_F(AssetGroupsTest, SecondStartReadsEverythingFromTheArchive) {
  LoadGameAssets();
  ASSERT_TRUE(CacheArchive().Open(GameArchiveName(), 0));
  const int32_t entries = CacheArchive().EntryCount(), size = CacheArchive().DataSize();
  CacheArchive().Close();
  ASSERT_GT(entries, 600);

  Restart();
  LoadGameAssets();
  EXPECT_TRUE(MissingAssets().empty());
  ASSERT_TRUE(CacheArchive().Open(GameArchiveName(), 0));
  EXPECT_EQ(CacheArchive().EntryCount(), entries);
  EXPECT_EQ(CacheArchive().DataSize(), size);
  EXPECT_NE(ShelfModel(ModelShelf::Vehicles, 5), nullptr);
}

// A game root of our own, for files that are missing or wrong.
class BrokenRootTest : public AssetGroupsTest {
 protected:
  void SetUp() override {
    AssetGroupsTest::SetUp();
    platform::SetGameRoot(data_root_.string());
    std::filesystem::create_directories(data_root_ / "max");
    ASSERT_TRUE(CacheArchive().Open(GameArchiveName(), 0));
    boxes_.clear();
  }
};

TEST_F(BrokenRootTest, MissingModelsAreReportedAndTheirPlacesStayEmpty) {
  LoadRoofModels();
  EXPECT_EQ(MissingAssets().size(), 20u);
  EXPECT_EQ(MissingAssets().front(), "gamedata2\\roofmodels\\rooftop1.tm");
  EXPECT_EQ(ShelfSize(ModelShelf::Roof), 20);
  EXPECT_EQ(ShelfModel(ModelShelf::Roof, 0), nullptr);
  MissingAssets().clear();
  LoadWorldTextureSets();
  EXPECT_EQ(MissingAssets().size(), 6u);
  EXPECT_TRUE(TextureSetSlots(TextureSetName::Water).empty());
}

TEST_F(BrokenRootTest, PathsAreCheckedAsTheyLoad) {
  // A loop that does not come back to its start, and a route of one frame.
  auto path = [](int frames, float drift) {
    ModelFileData m;
    m.vertexCount = 4;
    m.frameCount = static_cast<uint16_t>(frames);
    for (int f = 0; f < frames; ++f) {
      const float x = static_cast<float>(f) * drift;
      for (Vec3 v : {Vec3{x, 0, 0}, Vec3{x + 1, 0, 0}, Vec3{x, 1, 0}, Vec3{x, 0, -1}}) m.positions.push_back(v);
    }
    m.uvs.assign(4, TexCoord{0.5f, 0.5f});
    m.textures = {"c_ffffff.tex"};
    m.primitives.push_back({0, 0, {0, 1, 2, 0, 2, 3}});
    return m;
  };
  std::string reason;
  TextureImage white{0, 4, 4, std::vector<uint8_t>(64, 255)};
  ASSERT_TRUE(WriteTextureFile("gamedata2\\paths\\c_ffffff.tex", white));
  ASSERT_TRUE(WriteModelFile("gamedata2\\paths\\loop_sail.tm", path(10, 1), reason)) << reason;
  ASSERT_TRUE(WriteModelFile("gamedata2\\paths\\loop_rowing.tm", path(10, 0), reason)) << reason;
  ASSERT_TRUE(WriteModelFile("gamedata2\\paths\\train_route_0.tm", path(1, 0), reason)) << reason;
  LoadPlanesTrainsBoats();
  EXPECT_EQ(ShelfModel(ModelShelf::PlanesTrainsBoats, kLoopSail), nullptr);
  EXPECT_NE(ShelfModel(ModelShelf::PlanesTrainsBoats, kLoopRowing), nullptr);
  EXPECT_EQ(ShelfModel(ModelShelf::PlanesTrainsBoats, kTrainRoute0), nullptr);
  EXPECT_EQ(boxes_.size(), 2u) << ::testing::PrintToString(boxes_);
}

}  // namespace
