// The building library the build compiles from data/buildings: the game finds
// a design for every case it asks for, several where it picks among them, and
// every design instantiates into a building that stands on its base.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "city/building_library.h"
#include "editor/batch_compile.h"
#include "platform/paths.h"

namespace {

class BuiltBuildingLibraryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string reason;
    library_ = new BuildingLibrary;
    ASSERT_TRUE(LoadBuildingLibrary(std::string(RC_GAME_ROOT) + "/max/BuildEditorModels/BuildFile.dat", *library_,
                                    reason))
        << reason;
  }
  static void TearDownTestSuite() {
    delete library_;
    library_ = nullptr;
  }
  static int32_t Count(LibrarySearch s) {
    int32_t results[64];
    return SearchBuildingLibrary(library_, s, results);
  }
  static BuildingLibrary* library_;
};

BuildingLibrary* BuiltBuildingLibraryTest::library_ = nullptr;

TEST_F(BuiltBuildingLibraryTest, EveryShopAndHomeCaseHasSeveralDesigns) {
  for (int32_t category : {kCategoryResidential, kCategoryRetail})
    for (int32_t quality = 1; quality <= 3; ++quality)
      for (int32_t floors : {1, 2, 3, 4, 5, 9, 30})
        for (int32_t corner = 1; corner <= 2; ++corner)
          for (int32_t w = 1; w <= 7; ++w)
            for (int32_t d = 1; d <= 7; ++d)
              EXPECT_GE(Count({w, d, floors, quality, corner, category}), 2)
                  << "category " << category << " quality " << quality << " floors " << floors << " corner "
                  << corner << " site " << w << "x" << d;
}

TEST_F(BuiltBuildingLibraryTest, EveryLandscapeAndStandardCaseHasADesign) {
  for (int32_t corner = 1; corner <= 2; ++corner)
    for (int32_t w = 1; w <= 7; ++w)
      for (int32_t d = 1; d <= 7; ++d)
        EXPECT_GE(Count({w, d, 1, 1, corner, kCategoryLandscape}), 2) << corner << " " << w << "x" << d;
  for (int32_t category : {kCategoryTelecoms, kCategoryGas, kCategoryElectric, kCategoryWater, kCategoryMarina})
    EXPECT_GE(Count({7, 7, 1, 0, 1, category}), 1) << category;
}

TEST_F(BuiltBuildingLibraryTest, DesignsStandOnTheirBaseWithDoorsOnTheFront) {
  ASSERT_FALSE(library_->Buildings.empty());
  for (size_t i = 0; i < library_->Buildings.size(); ++i) {
    const LibraryBuilding& b = library_->Buildings[i];
    BuildingDescription description;
    ASSERT_TRUE(InstantiateLibraryBuilding(library_, static_cast<int32_t>(i), description, 12)) << i;
    ASSERT_FALSE(description.layers.empty()) << i;
    bool frontDoor = false;
    for (const DescriptionLayer& layer : description.layers) {
      EXPECT_EQ(layer.points.front().x, layer.points.back().x) << i;  // closed
      // A roof stands on walls: a layer without walls (style bits 5 and 6)
      // never carries one, or it floats over open walls. Ground covers (flat
      // layers) lie on the ground and may.
      const bool noWalls = (layer.style & 0x60) != 0 && (layer.flags & 1) == 0;
      EXPECT_FALSE(noWalls && (layer.style & 1) != 0) << "design " << i << " has a roof over a layer without walls";
      for (size_t p = 0; p < layer.points.size(); ++p) {
        const LibraryPoint& pt = layer.points[p];
        ASSERT_TRUE(pt.x >= 0 && pt.x <= b.BaseWidth && pt.z >= 7 - b.BaseDepth && pt.z <= 7) << i;
        const int32_t code = TextureByteIndex(layer.textures[p]);
        if (pt.z == 7.0f && (code == 10 || code == 11)) frontDoor = true;
      }
    }
    // Signs stand just in front of the street face; everything else on the lot.
    for (int32_t p = 0; p < description.placementCount; ++p) {
      const LibraryPlacement& part = description.placements[static_cast<size_t>(p)];
      EXPECT_TRUE(part.X >= 0 && part.X <= b.BaseWidth && part.Z >= 7 - b.BaseDepth && part.Z <= 7.1f) << i;
    }
    if (b.Category == kCategoryLandscape) {
      EXPECT_GT(description.placementCount, 0) << i;
    }
    // Parks have no doors; every building has one on its street front.
    if (b.Category != kCategoryLandscape) {
      EXPECT_TRUE(frontDoor) << "design " << i << " category " << int{b.Category} << " base " << int{b.BaseWidth}
                             << "x" << int{b.BaseDepth} << " floors " << int{b.FloorClass};
    }
    // Floor classes 4 and up grow with the floors asked for.
    if (b.FloorClass == 4) {
      int32_t repetitions = 0;
      for (const DescriptionLayer& layer : description.layers) repetitions += layer.repetitions;
      EXPECT_GE(repetitions, 12) << i;
    }
  }
}

// The game's start loads it through the path service as it names it.
TEST_F(BuiltBuildingLibraryTest, TheGameLoadsIt) {
  const std::string old = platform::GameRoot();
  platform::SetGameRoot(RC_GAME_ROOT);
  EXPECT_TRUE(LoadGameBuildingLibrary());
  platform::SetGameRoot(old);
  ASSERT_NE(TheBuildingLibrary(), nullptr);
  EXPECT_EQ(TheBuildingLibrary()->Buildings.size(), library_->Buildings.size());
  FreeGameBuildingLibrary();
}

// The build compiles the designers' own folders too, where a design left
// out is only a warning; the generator's designs must all make the library.
TEST(GeneratedDesignsTest, EveryGeneratedDesignPassesTheCompile) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("generated_designs_" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "data2" / "BuildEditorModels");
  fs::create_directory_symlink(fs::path(RC_GAME_ROOT) / "data2" / "BuildEditorModels" / "Standard",
                               root / "data2" / "BuildEditorModels" / "Standard");
  CompileReport report;
  EXPECT_TRUE(CompileBuildingLibrary(root.string(), report)) << report.errorLine;
  EXPECT_EQ(report.skipped, 0) << report.errorLine;
  EXPECT_GT(report.rows.size(), 1000u);
  fs::remove_all(root);  // the link, not what it points to
}

}  // namespace
