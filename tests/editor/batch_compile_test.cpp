#include "editor/batch_compile.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "editor/building_design.h"
#include "editor/library_compiler.h"
#include "engine/game_root_fixture.h"

namespace {

// A valid design of a width x depth rectangle at the street front, with
// `storeys` loops of height 1 and a control point on the top one.
std::unique_ptr<BuildingDesign> Design(int width, int depth, int floors, int base = 1) {
  auto d = std::make_unique<BuildingDesign>();
  NewBuildingDesign(*d);
  for (int s = 0; s < std::min(floors, 3) + 1; ++s) {
    InsertDesignLoop(*d, d->loopCount - 1);
    DesignLoop& loop = d->loops[s];
    const float corners[4][2] = {{0, 7.0f - depth}, {float(width), 7.0f - depth}, {float(width), 7}, {0, 7}};
    for (int i = 0; i < 4; ++i) {
      loop.points[i].x = corners[i][0] + 1;  // one cell in from the lot's edge
      loop.points[i].z = corners[i][1];
      loop.points[i].facade[0] = static_cast<uint8_t>(i + 4);
      loop.points[i].group[0] = 2;
    }
    loop.height = 1.0f;
    loop.repeatMax = s == 1 ? 5 : 1;
  }
  d->loops[d->loopCount - 1].flags = kLoopRailing;
  const int c = PlaceControlPoint(*d, d->loopCount - 1, 2.0f, 6.5f);
  d->controls[c].type = 0x2000005;
  d->controls[c].scaleX = 0.0f;
  d->person = 2;
  d->prestige = 2;
  d->buildingType = kCategoryRetail;
  d->baseType = static_cast<uint8_t>(base);
  d->floors = static_cast<uint8_t>(floors);
  d->groupMasks[2] = 0x110;  // only the low byte is carried
  StoreBaseLoopBounds(*d);
  return d;
}

TEST(LibraryCompilerTest, LoopsBecomeLayersOfHalfUnitPieces) {
  BuildingLibrary l;
  auto d = Design(3, 4, 2);
  std::string reason;
  ASSERT_EQ(AddBuildingToLibrary(l, *d, &reason), 0) << reason;
  const LibraryBuilding& b = l.Buildings[0];
  EXPECT_EQ(b.BaseWidth, 3);
  EXPECT_EQ(b.BaseDepth, 4);
  EXPECT_EQ(b.LayerCount, 3);
  EXPECT_EQ(b.Category, kCategoryRetail);
  EXPECT_EQ(b.Quality, 2);
  EXPECT_EQ(b.FloorClass, 2);
  EXPECT_EQ(b.CornerKind, 1);
  EXPECT_EQ(b.Designer, 2);
  EXPECT_EQ(b.Params[2], 0x10);
  // A 3 by 4 rectangle: 6 + 8 + 6 + 8 pieces and the closing point.
  const uint32_t ref = l.PointLayers[static_cast<size_t>(l.Layers[0].PointLayer)];
  EXPECT_EQ(LayerReferenceCount(ref), 29u);
  EXPECT_EQ(l.MaxLoopPoints, 29);
  // Moved by the base offset so the base starts at x = 0.
  EXPECT_EQ(l.Points[0].x, 0.0f);
  EXPECT_EQ(l.Points[0].z, 3.0f);
  EXPECT_EQ(l.Points[1].x, 0.5f);
  EXPECT_EQ(l.Points[28].x, 0.0f);  // closing = first
  EXPECT_EQ(l.Textures[0], PackTextureByte(2, 4));
  EXPECT_EQ(l.Textures[6], PackTextureByte(2, 5));  // the second edge's first piece
  EXPECT_EQ(l.Layers[1].Weight, 5);
  EXPECT_EQ(l.Layers[1].TextureScale, 1);
  EXPECT_EQ(l.Layers[2].Flags, kLayerFlagFlat);  // the railing adds no height
  ASSERT_EQ(b.PlacementCount, 1);
  EXPECT_EQ(l.Placements[0].X, 1.0f);
  EXPECT_EQ(l.Placements[0].ScaleU, 1.0f);
  EXPECT_EQ(l.Placements[0].Layer, 2);
}

TEST(LibraryCompilerTest, DesignsThatCannotBeCompiledAddNothing) {
  BuildingLibrary l;
  auto zigzag = Design(6, 7, 1);
  DesignLoop& loop = zigzag->loops[0];
  loop.pointCount = kMaxLoopPoints;
  for (int i = 0; i < kMaxLoopPoints; ++i) {
    loop.points[i].x = (i % 2) ? 7.0f : 0.0f;
    loop.points[i].z = static_cast<float>(i % 7);
  }
  std::string reason;
  EXPECT_EQ(AddBuildingToLibrary(l, *zigzag, &reason), -1);
  EXPECT_FALSE(reason.empty());
  auto wide = Design(7, 2, 1);
  wide->loops[1].points[1].x = 9.0f;  // past the lot
  EXPECT_EQ(AddBuildingToLibrary(l, *wide, &reason), -1);
  EXPECT_TRUE(l.Buildings.empty());
  EXPECT_TRUE(l.Points.empty());
}

class BatchCompileTest : public GameRootTest {
 protected:
  void Put(const std::string& relative, const BuildingDesign& d) {
    ASSERT_TRUE(WriteBuildingDesign(d, Real("data2/BuildEditorModels/" + relative).string()));
  }
  bool Compile() {
    report_ = CompileReport{};
    return CompileBuildingLibrary(root_.string(), report_);
  }
  bool HasRow(const std::string& text) const {
    for (const std::string& row : report_.rows)
      if (row.find(text) != std::string::npos) return true;
    return false;
  }
  std::string Output() const { return LibraryOutputPath(root_.string()); }

  CompileReport report_;
};

TEST_F(BatchCompileTest, CompilesTheTreeSubfoldersFirstAndSkipsHiddenFolders) {
  Put("2.Retail/2.Marsh/c34_m2_00.cb", *Design(3, 4, 2));
  Put("e21_m1_00.cb", *Design(2, 1, 1, 2));
  auto bad = Design(2, 2, 1);
  bad->person = 8;
  Put("_old/c22_m1_00.cb", *bad);
  Put(".hidden/c22_m1_00.cb", *bad);
  ASSERT_TRUE(Compile()) << report_.errorLine;
  EXPECT_EQ(report_.statusLine, "STATUS: Files processed OK");
  ASSERT_EQ(report_.rows.size(), 2u);
  // Rows name the files below the source folder, so the names fit the list.
  EXPECT_EQ(report_.rows[0], "2.Retail/2.Marsh/c34_m2_00.cb");
  EXPECT_EQ(report_.rows[1], "e21_m1_00.cb");
  EXPECT_EQ(report_.rowEntries[0], 0);
  EXPECT_EQ(report_.rowEntries[1], 1);
  EXPECT_NE(report_.statsText.find("Number of buildings = 2"), std::string::npos);

  BuildingLibrary back;
  std::string reason;
  ASSERT_TRUE(LoadBuildingLibrary(Output(), back, reason)) << reason;
  ASSERT_EQ(back.Buildings.size(), 2u);
  EXPECT_EQ(back.Buildings[1].CornerKind, 2);
  ASSERT_NE(LastCompiledLibrary(), nullptr);
  EXPECT_EQ(LastCompiledLibrary()->Buildings.size(), 2u);
}

// Every design that cannot be used is listed with its messages and left out;
// the others are still written. The editor offers the designer "8.Test", so a
// test design saved into the tree must not cost the game its library.
TEST_F(BatchCompileTest, DesignsThatFailAreListedAndLeftOutAndTheRestWritten) {
  auto noRepeat = Design(2, 2, 4);
  for (int i = 0; i < noRepeat->loopCount; ++i) noRepeat->loops[i].repeatMax = 1;
  auto person = Design(2, 2, 1);
  person->person = 8;
  auto huge = Design(2, 2, 1);
  huge->width = 2147483647;
  huge->depth = -2147483647 - 1;
  auto cornerNamedEdge = Design(4, 3, 2);
  auto fine = Design(3, 3, 1);
  struct Case {
    const char* file;
    const BuildingDesign* design;  // null: an unreadable file
    const char* message;
  } cases[] = {
      {"c22_m4_00.cb", noRepeat.get(), "--> WARNING: No repeatmax values on 4-floor building"},
      {"8.Test/c22_m1_00.cb", person.get(), "--> WARNING: Invalid parameter / xPerson = 8"},
      {"e34_m2_00.cb", cornerNamedEdge.get(), "--> WARNING: Filename mismatch / xBase = 1, filename base = e"},
      {"c33_m.cb", fine.get(), "is too short"},
      {"c55_m1_00.cb", huge.get(), "--> WARNING: Invalid size = 2147483647 x -2147483648"},
      {"c44_m1_00.cb", nullptr, "--> ERROR: Could not load"},
  };
  for (const Case& c : cases) {
    if (c.design) Put(c.file, *c.design);
    else WriteBytes(std::string("data2/BuildEditorModels/") + c.file, {7, 0, 0, 0});  // 7 loops of nothing
  }
  Put("c33_m1_00.cb", *fine);
  ASSERT_TRUE(Compile()) << report_.errorLine;
  EXPECT_EQ(report_.statusLine, "STATUS: Files processed OK");
  EXPECT_EQ(report_.skipped, int32_t(std::size(cases)));
  for (const Case& c : cases) {
    EXPECT_TRUE(HasRow(c.message)) << c.file;
    EXPECT_TRUE(HasRow(c.file)) << c.file;
  }
  EXPECT_NE(report_.errorLine.find("designs were left out, the first"), std::string::npos) << report_.errorLine;
  EXPECT_NE(report_.errorLine.find("8.Test/c22_m1_00.cb"), std::string::npos) << report_.errorLine;
  BuildingLibrary back;
  std::string reason;
  ASSERT_TRUE(LoadBuildingLibrary(Output(), back, reason)) << reason;
  ASSERT_EQ(back.Buildings.size(), 1u);
  EXPECT_EQ(back.Buildings[0].BaseWidth, 3);
}

TEST_F(BatchCompileTest, StopAndASecondStartWhileRunning) {
  Put("c22_m1_00.cb", *Design(2, 2, 1));
  Put("c33_m1_00.cb", *Design(3, 3, 1));
  bool secondStarted = true;
  SetCompilePumpHook([&] {
    CompileReport other;
    secondStarted = CompileBuildingLibrary(root_.string(), other) || !other.rows.empty();
    StopBuildingCompile();
  });
  EXPECT_FALSE(Compile());
  SetCompilePumpHook(nullptr);
  EXPECT_FALSE(secondStarted);
  EXPECT_EQ(report_.errorLine, "ERROR: Processing interrupted by user");
  EXPECT_EQ(report_.rows.size(), 1u);
  EXPECT_FALSE(IsBuildingCompileRunning());
  EXPECT_FALSE(std::filesystem::exists(Output()));
}

TEST_F(BatchCompileTest, MissingFolderAndUnwritableOutputFail) {
  EXPECT_FALSE(Compile());
  EXPECT_NE(report_.errorLine.find("No building design folder"), std::string::npos);
  Put("c22_m1_00.cb", *Design(2, 2, 1));
  std::filesystem::create_directories(Output());  // a folder where the file goes
  EXPECT_FALSE(Compile());
  EXPECT_NE(report_.errorLine.find("Could not write"), std::string::npos);
}

// The command line the build runs over the whole tree, designers' folders
// too: a design left out is a warning (exit 0, the rest written); only a
// library that cannot be written fails.
TEST_F(BatchCompileTest, CommandLineExitsWithTheResult) {
  Put("c22_m1_00.cb", *Design(2, 2, 1));
  const std::string command = std::string(BUILDCOMPILE_PATH) + " " + root_.string() + " >/dev/null 2>&1";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(std::filesystem::exists(Output()));
  std::filesystem::remove(Output());
  auto bad = Design(2, 2, 1);
  bad->floors = 0;
  Put("7.Telecoms/8.Test/c22_m1_00.cb", *bad);
  const std::string log = Real("buildcompile.log").string();
  status = std::system((std::string(BUILDCOMPILE_PATH) + " " + root_.string() + " >" + log + " 2>&1").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(std::filesystem::exists(Output()));
  const std::vector<uint8_t> bytes = ReadBytes("buildcompile.log");
  const std::string printed(bytes.begin(), bytes.end());
  EXPECT_NE(printed.find("WARNING: The design '7.Telecoms/8.Test/c22_m1_00.cb' was left out"), std::string::npos)
      << printed;

  std::filesystem::remove(Output());
  std::filesystem::create_directories(Output());  // a folder where the file goes
  status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace

namespace {

// An empty data root is the working folder (the game's root when it runs
// from it), never an error.
TEST(BatchCompilePathsTest, AnEmptyDataRootIsTheWorkingFolder) {
  const std::filesystem::path folder(DesignSourceFolder(""));
  EXPECT_TRUE(folder.is_absolute());
  EXPECT_EQ(folder, std::filesystem::current_path() / "data2" / "BuildEditorModels");
  EXPECT_EQ(std::filesystem::path(LibraryOutputPath("")).parent_path().parent_path(),
            std::filesystem::current_path() / "max");
}

}  // namespace
