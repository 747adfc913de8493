#include "city/building_library.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <vector>

#include "engine/game_root_fixture.h"
#include "engine/core/byte_io.h"
#include "engine/core/system_settings.h"

namespace {

struct LayerShape {
  uint8_t weight;
  float height;
  uint8_t flags = 0;
};

// Appends a design of square layers (4 points and the closing one each).
int32_t AddDesign(BuildingLibrary& l, uint8_t w, uint8_t d, uint8_t floorClass, uint8_t corner,
                  std::vector<LayerShape> layers = {{1, 1.0f}}, uint8_t category = kCategoryRetail,
                  uint8_t quality = 2) {
  LibraryBuilding b;
  b.FirstLayer = static_cast<int32_t>(l.Layers.size());
  b.LayerCount = static_cast<int32_t>(layers.size());
  for (const LayerShape& shape : layers) {
    const auto first = static_cast<uint32_t>(l.Points.size());
    const float back = 7.0f - d;
    const std::initializer_list<LibraryPoint> square = {{0, back}, {float(w), back}, {float(w), 7}, {0, 7}, {0, back}};
    for (const LibraryPoint& p : square) {
      l.Points.push_back(p);
      l.Textures.push_back(PackTextureByte(1, 12));
    }
    LibraryLayer layer;
    layer.PointLayer = static_cast<int32_t>(l.PointLayers.size());
    layer.TextureLayer = static_cast<int32_t>(l.TextureLayers.size());
    l.PointLayers.push_back(PackLayerReference(5, first));
    l.TextureLayers.push_back(PackLayerReference(5, first));
    layer.Height = shape.height;
    layer.Weight = shape.weight;
    layer.Flags = shape.flags;
    l.Layers.push_back(layer);
  }
  b.FirstPlacement = static_cast<int32_t>(l.Placements.size());
  LibraryPlacement p;
  p.Code = 0x1020201;
  p.Layer = 40;
  l.Placements.push_back(p);
  b.PlacementCount = 1;
  b.BaseWidth = w;
  b.BaseDepth = d;
  b.Category = category;
  b.Quality = quality;
  b.FloorClass = floorClass;
  b.CornerKind = corner;
  l.Buildings.push_back(b);
  return static_cast<int32_t>(l.Buildings.size() - 1);
}

std::vector<int32_t> Search(const BuildingLibrary& l, LibrarySearch s, int32_t* count = nullptr, size_t max = 20) {
  std::vector<int32_t> results(max, -1);
  const int32_t n = SearchBuildingLibrary(&l, s, results);
  if (count) *count = n;
  results.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return results;
}

class BuildingLibraryFileTest : public GameRootTest {};

TEST_F(BuildingLibraryFileTest, EmptyLibraryIsAHundredBytesAndRoundTrips) {
  ASSERT_TRUE(SaveBuildingLibrary("max\\BuildEditorModels\\BuildFile.dat", BuildingLibrary{}));
  const std::vector<uint8_t> bytes = ReadBytes("max/BuildEditorModels/BuildFile.dat");
  ASSERT_EQ(bytes.size(), 100u);
  EXPECT_EQ(std::memcmp(bytes.data(), "fBmL", 4), 0);
  EXPECT_EQ(LoadLeI32(&bytes[4]), 9);
  EXPECT_EQ(LoadLeI32(&bytes[8]), 100);
  for (int a = 0; a < 7; ++a) {
    EXPECT_EQ(LoadLeI32(&bytes[44 + 8 * a]), 0);
    EXPECT_EQ(LoadLeI32(&bytes[48 + 8 * a]), 100);
  }
  // The game's loader finds it in whatever case the folders are written.
  EXPECT_TRUE(LoadGameBuildingLibrary());
  ASSERT_NE(TheBuildingLibrary(), nullptr);
  EXPECT_TRUE(TheBuildingLibrary()->Buildings.empty());
  FreeGameBuildingLibrary();
}

// A minimal installation reads the library from under its data root, not
// the game root's copy.
TEST_F(BuildingLibraryFileTest, AMinimalInstallationReadsTheLibraryUnderItsDataRoot) {
  BuildingLibrary one;
  AddDesign(one, 3, 5, 1, 1);
  ASSERT_TRUE(SaveBuildingLibrary("data/max\\BuildEditorModels\\BuildFile.dat", one));
  ASSERT_TRUE(SaveBuildingLibrary("max\\BuildEditorModels\\BuildFile.dat", BuildingLibrary{}));
  const StartupOptions saved = g_StartupOptions;
  g_StartupOptions.fullInstall = false;
  std::snprintf(g_StartupOptions.dataRoot, sizeof g_StartupOptions.dataRoot, "data/");
  EXPECT_TRUE(LoadGameBuildingLibrary());
  g_StartupOptions = saved;
  ASSERT_NE(TheBuildingLibrary(), nullptr);
  EXPECT_EQ(TheBuildingLibrary()->Buildings.size(), 1u);
  FreeGameBuildingLibrary();
}

TEST_F(BuildingLibraryFileTest, DesignsRoundTripWithPackedOffsets) {
  BuildingLibrary l;
  AddDesign(l, 3, 5, 1, 1);
  AddDesign(l, 2, 2, 4, 2, {{1, 1.0f}, {6, 0.9f}});
  ASSERT_TRUE(SaveBuildingLibrary("lib.dat", l));
  const std::vector<uint8_t> bytes = ReadBytes("lib.dat");
  EXPECT_EQ(LoadLeI32(&bytes[8]), static_cast<int32_t>(bytes.size()));
  EXPECT_EQ(LoadLeI32(&bytes[56]), 100 + 15 * 8);  // textures follow the 15 points
  BuildingLibrary back;
  std::string reason;
  ASSERT_TRUE(LoadBuildingLibrary("lib.dat", back, reason)) << reason;
  EXPECT_EQ(EncodeBuildingLibrary(back), bytes);
  EXPECT_EQ(back.Buildings[1].FloorClass, 4);
  EXPECT_EQ(back.Layers[2].Weight, 6);
}

TEST_F(BuildingLibraryFileTest, DamagedLibrariesAreRefusedWithAReason) {
  BuildingLibrary l;
  AddDesign(l, 3, 5, 1, 1, {{1, 1.0f}, {2, 1.0f}});
  const std::vector<uint8_t> good = EncodeBuildingLibrary(l);
  const int32_t layers = LoadLeI32(&good[80]);
  const int32_t buildings = LoadLeI32(&good[88]);
  const std::vector<std::pair<const char*, std::function<void(std::vector<uint8_t>&)>>> damage = {
      {"version 8", [](auto& b) { StoreLeI32(&b[4], 8); }},
      {"magic", [](auto& b) { b[0] = 'x'; }},
      {"short header", [](auto& b) { b.resize(60); }},
      {"total size", [](auto& b) { StoreLeI32(&b[8], LoadLeI32(&b[8]) + 1); }},
      {"truncated", [](auto& b) { b.resize(b.size() - 1); }},
      {"point count", [](auto& b) { StoreLeI32(&b[44], 100000); }},
      {"negative count", [](auto& b) { StoreLeI32(&b[52], -3); }},
      {"offset past the end", [](auto& b) { StoreLeI32(&b[48], 0x7FFFFFF0); }},
      {"offset in the header", [](auto& b) { StoreLeI32(&b[48], 20); }},
      {"point layer past the points", [](auto& b) { StoreLeU32(&b[LoadLeI32(&b[64])], PackLayerReference(200, 0)); }},
      {"texture layer first index", [](auto& b) { StoreLeU32(&b[LoadLeI32(&b[72])], PackLayerReference(5, 9)); }},
      {"layer names no point layer", [=](auto& b) { StoreLeI32(&b[layers], 7); }},
      {"layer names a negative one", [=](auto& b) { StoreLeI32(&b[layers + 4], -1); }},
      {"building's layers", [=](auto& b) { StoreLeI32(&b[buildings + 4], 3); }},
      {"building's first layer", [=](auto& b) { StoreLeI32(&b[buildings], -2); }},
      {"placements", [=](auto& b) { StoreLeI32(&b[buildings + 12], 33); }},
      // The loops of the geometry: the last point must repeat the first, and
      // every point be a number.
      {"open loop", [](auto& b) { StoreLeF32(&b[LoadLeI32(&b[48]) + 4 * 8], 0.37f); }},
      {"NaN point", [](auto& b) { StoreLeF32(&b[LoadLeI32(&b[48]) + 2 * 8 + 4], std::nanf("")); }},
      {"infinite loop", [](auto& b) {
         for (int i : {0, 4}) StoreLeF32(&b[LoadLeI32(&b[48]) + i * 8], INFINITY);
       }},
  };
  for (const auto& [what, change] : damage) {
    std::vector<uint8_t> bytes = good;
    change(bytes);
    WriteBytes("bad.dat", bytes);
    BuildingLibrary back;
    back.Buildings.resize(3);
    std::string reason;
    EXPECT_FALSE(LoadBuildingLibrary("bad.dat", back, reason)) << what;
    EXPECT_FALSE(reason.empty()) << what;
    EXPECT_TRUE(back.Buildings.empty()) << what;
  }
  // The game goes on without a library after saying why.
  WriteBytes("max/BuildEditorModels/BuildFile.dat", {1, 2, 3});
  EXPECT_FALSE(LoadGameBuildingLibrary());
  EXPECT_EQ(TheBuildingLibrary(), nullptr);
  ASSERT_FALSE(boxes_.empty());
  EXPECT_NE(boxes_.back().find("plain boxes"), std::string::npos);
}

// Every single-byte change of a small library either is refused or gives a
// library whose every design instantiates within its arrays.
TEST(BuildingLibraryTest, EveryByteChangeIsRefusedOrSafe) {
  BuildingLibrary l;
  AddDesign(l, 3, 5, 1, 1, {{1, 1.0f}, {3, 1.0f}});
  AddDesign(l, 2, 2, 4, 2);
  const std::vector<uint8_t> good = EncodeBuildingLibrary(l);
  for (size_t at = 0; at < good.size(); ++at)
    for (uint8_t value : {uint8_t{0}, uint8_t{0x7F}, uint8_t{0xFF}}) {
      std::vector<uint8_t> bytes = good;
      bytes[at] = value;
      BuildingLibrary back;
      std::string reason;
      if (!DecodeBuildingLibrary(bytes, back, reason)) continue;
      for (size_t i = 0; i < back.Buildings.size(); ++i) {
        BuildingDescription d;
        ASSERT_TRUE(InstantiateLibraryBuilding(&back, static_cast<int32_t>(i), d, 9)) << at;
      }
    }
}

TEST(BuildingLibraryTest, SearchMatchesSizesTurnsAndFloorClasses) {
  BuildingLibrary l;
  const int32_t corner53 = AddDesign(l, 5, 3, 2, 1);
  const int32_t side53 = AddDesign(l, 5, 3, 2, 2);
  const int32_t corner35 = AddDesign(l, 3, 5, 2, 1);
  const int32_t square = AddDesign(l, 4, 4, 2, 1);
  const int32_t four = AddDesign(l, 2, 2, 4, 2);
  const int32_t five = AddDesign(l, 2, 2, 5, 2);
  const int32_t six = AddDesign(l, 2, 2, 6, 2);
  const int32_t three = AddDesign(l, 2, 2, 3, 2);
  const int32_t house = AddDesign(l, 2, 2, 3, 2, {{1, 1.0f}}, kCategoryResidential, 1);

  const int32_t turned = static_cast<int32_t>(kLibraryTurnedMark | static_cast<uint32_t>(corner53));
  EXPECT_EQ(Search(l, {3, 5, 2, 2, 1, 2}), (std::vector<int32_t>{turned, corner35}));
  EXPECT_EQ(Search(l, {3, 5, 2, 2, 2, 2}), std::vector<int32_t>{});  // a side design is never turned
  EXPECT_EQ(Search(l, {5, 3, 2, 0, 0, 0}), (std::vector<int32_t>{corner53, side53,
                                                                static_cast<int32_t>(kLibraryTurnedMark | corner35)}));
  // A square base matches straight and is not marked turned.
  EXPECT_EQ(Search(l, {4, 4, 2, 2, 1, 2}), std::vector<int32_t>{square});
  // Floor class 4 and up take every design of 4 and up alike.
  EXPECT_EQ(Search(l, {2, 2, 6, 2, 2, 2}), (std::vector<int32_t>{four, five, six}));
  EXPECT_EQ(Search(l, {2, 2, 4, 0, 0, 0}), (std::vector<int32_t>{four, five, six}));
  EXPECT_EQ(Search(l, {2, 2, 3, 0, 0, 0}), (std::vector<int32_t>{three, house}));
  EXPECT_EQ(Search(l, {2, 2, 3, 1, 0, 0}), std::vector<int32_t>{house});
  EXPECT_EQ(Search(l, {2, 2, 3, 0, 0, kCategoryRetail}), std::vector<int32_t>{three});
  // At most as many as there is room for.
  EXPECT_EQ(Search(l, {2, 2, 4, 0, 0, 0}, nullptr, 2), (std::vector<int32_t>{four, five}));

  int32_t n = 0;
  Search(l, {2, 2, 0, 0, 0, 0}, &n);
  EXPECT_EQ(n, 0);
  const LibrarySearch bad[] = {{0, 2, 1, 0, 0, 0}, {2, 8, 1, 0, 0, 0}, {2, 2, 1, 4, 0, 0},
                               {2, 2, 1, -1, 0, 0}, {2, 2, 1, 0, 3, 0}, {2, 2, 1, 0, 0, 13}};
  for (const LibrarySearch& s : bad) {
    Search(l, s, &n);
    EXPECT_EQ(n, -1) << s.width << " " << s.depth << " " << s.quality << " " << s.cornerKind << " " << s.category;
  }
  int32_t none[1];
  EXPECT_EQ(SearchBuildingLibrary(&l, {2, 2, 4, 0, 0, 0}, std::span<int32_t>(none, 0)), -1);
  EXPECT_EQ(SearchBuildingLibrary(nullptr, {2, 2, 4, 0, 0, 0}, none), 0);

  // Pick one: the chosen entry comes first.
  std::vector<int32_t> results(20);
  EXPECT_EQ(SearchBuildingLibrary(&l, {2, 2, 4, 0, 0, 0}, results, true, 1), 1);
  EXPECT_EQ(results[0], four + static_cast<int32_t>(57 % 3));
}

TEST(BuildingLibraryTest, RepetitionsFillWeightsFirstThenDrawByWeight) {
  BuildingLibrary l;
  const int32_t e = AddDesign(l, 3, 3, 4, 2, {{1, 1.0f}, {3, 0.9f}, {1, 0.9f}, {1, 0.2f, kLayerFlagFlat}});
  const struct {
    int32_t floors;
    std::vector<int32_t> repetitions;
  } cases[] = {{1, {1, 1, 1, 1}}, {4, {1, 1, 1, 1}}, {6, {1, 3, 1, 1}}, {9, {1, 6, 1, 1}}};
  for (const auto& c : cases) {
    BuildingDescription d;
    ASSERT_TRUE(InstantiateLibraryBuilding(&l, e, d, c.floors));
    std::vector<int32_t> reps;
    for (const DescriptionLayer& layer : d.layers) reps.push_back(layer.repetitions);
    EXPECT_EQ(reps, c.repetitions) << c.floors;
    EXPECT_FLOAT_EQ(d.layers[2].baseHeight, 1.0f + 0.9f * static_cast<float>(reps[1]));
    EXPECT_FLOAT_EQ(d.layers[1].totalHeight, 0.9f * static_cast<float>(reps[1]));
  }
  // The flat top adds no height to what stands above it.
  BuildingDescription d;
  const int32_t flat = AddDesign(l, 3, 3, 4, 2, {{1, 1.0f, kLayerFlagFlat}, {1, 2.0f}});
  ASSERT_TRUE(InstantiateLibraryBuilding(&l, flat, d, 1));
  EXPECT_EQ(d.layers[1].baseHeight, 0.0f);
  // Nothing to repeat: the design stays as it is.
  const int32_t fixed = AddDesign(l, 3, 3, 4, 2, {{1, 1.0f}, {0, 1.0f}});
  ASSERT_TRUE(InstantiateLibraryBuilding(&l, fixed, d, 30));
  EXPECT_EQ(d.layers[0].repetitions + d.layers[1].repetitions, 2);
  EXPECT_FALSE(InstantiateLibraryBuilding(&l, fixed, d, 250));
  EXPECT_FALSE(d.valid);
  EXPECT_FALSE(InstantiateLibraryBuilding(&l, 99, d, 3));
  EXPECT_FALSE(InstantiateLibraryBuilding(nullptr, 0, d, 3));
}

TEST(BuildingLibraryTest, InstantiationIsDeterministicAndKeepsPartsOnALayer) {
  BuildingLibrary l;
  const int32_t e = AddDesign(l, 4, 3, 4, 1, {{1, 1.0f}, {5, 0.9f}, {3, 0.8f}, {1, 0.2f}});
  BuildingDescription a, b;
  // The turned mark is ignored; the stream restarts for every building.
  ASSERT_TRUE(InstantiateLibraryBuilding(&l, static_cast<int32_t>(kLibraryTurnedMark | e), a, 17));
  ASSERT_TRUE(InstantiateLibraryBuilding(&l, e, b, 2));
  ASSERT_TRUE(InstantiateLibraryBuilding(&l, e, b, 17));
  ASSERT_EQ(a.layers.size(), 4u);
  int32_t total = 0;
  for (size_t i = 0; i < a.layers.size(); ++i) {
    EXPECT_EQ(a.layers[i].repetitions, b.layers[i].repetitions);
    EXPECT_EQ(a.layers[i].points.size(), 5u);
    total += a.layers[i].repetitions;
  }
  EXPECT_EQ(total, 4 + 13);
  EXPECT_EQ(a.entry, e);
  EXPECT_EQ(a.baseWidth, 4);
  ASSERT_EQ(a.placementCount, 1);
  EXPECT_EQ(a.placements[0].Layer, 3);  // 40 named no layer: the last
  EXPECT_EQ(a.placements[0].Code, 0x1020201);
}

TEST(BuildingLibraryTest, ReportsForTheEditor) {
  BuildingLibrary l;
  AddDesign(l, 3, 5, 1, 1);
  AddDesign(l, 3, 5, 2, 1);
  AddDesign(l, 7, 1, 2, 1);
  l.MaxLoopPoints = 5;
  l.MaxLayers = 1;
  EXPECT_EQ(FormatLibraryStats(l),
            "Number of points = 15\nNumber of textures = 15\nNumber of point layers = 3\n"
            "Number of texture layers = 3\nNumber of layers = 3\nNumber of buildings = 3\n"
            "Max loop points = 5\nMax layers    = 1\n");
  const std::string table = FormatLibraryBaseSizeTable(l);
  EXPECT_EQ(table.substr(0, 14), "0\t0\t0\t0\t0\t0\t1\n");     // depth 1: one 7-wide
  EXPECT_NE(table.find("0\t0\t2\t0\t0\t0\t0\n"), std::string::npos);  // depth 5: two 3-wide
  EXPECT_EQ(FormatLibraryBuildingInfo(l, 2), "Building 2\nBase = 7 x 1");
  EXPECT_EQ(FormatLibraryBuildingInfo(l, 3), "");
  // "Detailed Sizes": one line a base size held, by floors.
  EXPECT_EQ(DumpLibraryDetails(l), "3 x 5: 2 (floors 1: 1, 2: 1, 3: 0, 4+: 0)\n7 x 1: 1 (floors 1: 0, 2: 1, 3: 0, 4+: 0)\n");
  EXPECT_EQ(DumpLibraryDetails(BuildingLibrary{}), "");
  EXPECT_EQ(GetLibraryElementSize(kArrayBuildings), 28);
  EXPECT_EQ(GetLibraryCount(l, 123), -1);
  EXPECT_EQ(GrowLibraryArray(l, kArrayPlacements, 2), 3);
  EXPECT_EQ(GetLibraryCount(l, kArrayPlacements), 5);
  EXPECT_EQ(GrowLibraryArray(l, 42, 1), -1);
}

}  // namespace
