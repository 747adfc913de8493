// The architect: how sites turn to their street, the outline geometry, and
// the buildings it makes from the library the build compiles: every site of
// a block gets a design with walls, roofs and doors inside its lot, the same
// seed always gives the same building, and the city's visual service builds
// models and signs and gives them back.
#include <gtest/gtest.h>

#include "session/player.h"
#include "ui/text_mesh.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <set>

#include "city/blocks.h"
#include "city/building_library.h"
#include "city/buildings.h"
#include "city/city_map.h"
#include "city/city_services.h"
#include "engine/core/error.h"
#include "engine/core/play_warning.h"
#include "engine/files/file_bytes.h"
#include "platform/message_box.h"
#include "engine/core/memory.h"
#include "engine/core/random_stream.h"
#include "engine/scene/model.h"
#include "engine/recording_renderer.h"
#include "engine/render/renderer.h"
#include "platform/paths.h"
#include "visuals/architect/architect.h"
#include "visuals/architect/architect_tables.h"
#include "visuals/architect/building_visuals.h"
#include "visuals/architect/outline_geometry.h"

namespace {

TEST(SiteTurnTest, CornersAndSidesFaceTheirStreet) {
  struct Case {
    int x1, z1, x2, z2, rotation, corner;
    bool turned, swapped;
  } cases[] = {
      {0, 0, 1, 2, 0, 1, false, false},    // corner x1 = 0, z1 = 0
      {5, 0, 6, 2, 270, 4, true, false},   // 2 by 3 at x2 = 6, z1 = 0
      {0, 4, 2, 6, 90, 2, true, false},    // corner x1 = 0, z2 = 6
      {4, 4, 6, 6, 180, 8, false, false},  // corner x2 = 6, z2 = 6
      {2, 0, 4, 2, 0, 0, false, false},    // along z = 0
      {0, 2, 1, 4, 90, 0, false, true},    // along x = 0, away from corners
      {5, 2, 6, 4, 270, 0, false, true},   // along x = 6
      {2, 5, 4, 6, 180, 0, false, false},  // along z = 6
      {0, 0, 6, 1, 0, 5, false, false},    // the whole z = 0 side: corner 1 wins
  };
  for (const Case& c : cases) {
    const SiteTurn t = ChooseSiteTurn(c.x1, c.z1, c.x2, c.z2);
    EXPECT_EQ(t.rotation, c.rotation) << c.x1 << c.z1 << c.x2 << c.z2;
    EXPECT_EQ(t.corner, c.corner) << c.x1 << c.z1 << c.x2 << c.z2;
    EXPECT_EQ(t.turned, c.turned) << c.x1 << c.z1 << c.x2 << c.z2;
    EXPECT_EQ(t.swapped, c.swapped) << c.x1 << c.z1 << c.x2 << c.z2;
  }
}

// The design's front (v = 0) lies on the street of the rotation, and its
// plan rectangle covers the site exactly; a corner design's second street
// side (u = 0) lies on the site's other street whichever way it is turned.
TEST(SiteTurnTest, DesignFrameCoversTheSiteFrontOnTheStreet) {
  struct Case {
    int x1, z1, x2, z2;
  } sites[] = {{0, 0, 1, 2}, {5, 0, 6, 2}, {0, 4, 2, 6}, {4, 4, 6, 6}, {2, 0, 4, 2}, {0, 2, 1, 4}, {5, 2, 6, 4},
               {2, 5, 4, 6}};
  for (const auto& s : sites)
    for (bool designTurned : {false, true}) {
      const SiteTurn t = ChooseSiteTurn(s.x1, s.z1, s.x2, s.z2);
      if (t.corner == 0 && designTurned) continue;
      const DesignFrame f = MakeDesignFrame(s.x1, s.z1, s.x2, s.z2, t, designTurned);
      const float w = float(s.x2 - s.x1 + 1) * 10, d = float(s.z2 - s.z1 + 1) * 10;
      const bool across = f.a == 0;
      const float du = across ? d : w, dv = across ? w : d;
      float x, z;
      // Far corner of the plan rectangle and its origin lie on opposite corners of the site.
      f.Map(0, 0, x, z);
      float x2, z2;
      f.Map(du, dv, x2, z2);
      EXPECT_NEAR(std::fabs(x2 - x), w, 1e-4) << s.x1 << s.z1 << designTurned;
      EXPECT_NEAR(std::fabs(z2 - z), d, 1e-4) << s.x1 << s.z1 << designTurned;
      EXPECT_NEAR(std::min(x, x2), -w / 2, 1e-4);
      EXPECT_NEAR(std::min(z, z2), -d / 2, 1e-4);
      // The middle of the front edge, on the street side of the site.
      f.Map(du / 2, 0, x, z);
      const int street = f.mirrored ? -1 : t.rotation;
      if (street == 0) { EXPECT_NEAR(z, -d / 2, 1e-4); }
      if (street == 180) { EXPECT_NEAR(z, d / 2, 1e-4); }
      if (street == 90) { EXPECT_NEAR(x, -w / 2, 1e-4); }
      if (street == 270) { EXPECT_NEAR(x, w / 2, 1e-4); }
      if (t.corner != 0) {
        // u = 0 at the front lies on the corner itself: both streets meet there.
        f.Map(0, 0, x, z);
        const bool cornerX1 = t.corner & (1 | 2), cornerZ1 = t.corner & (1 | 4);
        EXPECT_NEAR(x, cornerX1 ? -w / 2 : w / 2, 1e-4) << s.x1 << s.z1 << designTurned;
        EXPECT_NEAR(z, cornerZ1 ? -d / 2 : d / 2, 1e-4) << s.x1 << s.z1 << designTurned;
      }
      EXPECT_EQ(f.mirrored, t.corner != 0 && designTurned != t.turned);
    }
}

std::vector<LibraryPoint> Loop(std::initializer_list<LibraryPoint> points) {
  std::vector<LibraryPoint> p(points);
  p.push_back(p.front());
  return p;
}

TEST(OutlineGeometryTest, TriangulationOfConvexAndConcaveLoops) {
  std::vector<OutlineTriangle> tris;
  EXPECT_EQ(TriangulateOutline(Loop({{0, 0}, {1, 0}, {1, 1}}), tris), 1);
  tris.clear();
  EXPECT_EQ(TriangulateOutline(Loop({{0, 0}, {2, 0}, {3, 1}, {2, 2}, {0, 2}, {-1, 1}}), tris), 4);
  tris.clear();
  // An L of six points: four triangles covering its area of 3.
  const auto l = Loop({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}});
  ASSERT_EQ(TriangulateOutline(l, tris), 4);
  float area = 0;
  for (const OutlineTriangle& t : tris) {
    const LibraryPoint &a = l[size_t(t.a)], &b = l[size_t(t.b)], &c = l[size_t(t.c)];
    area += 0.5f * ((b.x - a.x) * (c.z - a.z) - (b.z - a.z) * (c.x - a.x));
  }
  EXPECT_NEAR(area, 3.0f, 1e-5);
  // Turning the wrong way round everywhere: no ear, no triangles.
  tris.clear();
  EXPECT_EQ(TriangulateOutline(Loop({{0, 0}, {0, 1}, {1, 1}, {1, 0}}), tris), 0);
  EXPECT_TRUE(tris.empty());
}

TEST(OutlineGeometryTest, OffsetAndSimplify) {
  const auto square = Loop({{0, 0}, {2, 0}, {2, 2}, {0, 2}});
  const auto wide = OffsetOutline(square, 0.1f);
  ASSERT_EQ(wide.size(), square.size());
  // A right angle moves its corner 0.1 / sin 45 along the bisector.
  EXPECT_NEAR(wide[0].x, -0.1f, 1e-4);
  EXPECT_NEAR(wide[0].z, -0.1f, 1e-4);
  EXPECT_NEAR(wide[2].x, 2.1f, 1e-4);
  EXPECT_EQ(wide.back().x, wide.front().x);
  std::vector<LibraryPoint> points = Loop({{0, 0}, {1, 0}, {2, 0}, {2, 2}, {0, 2}});
  std::vector<uint8_t> textures = {4, 4, 4, 4, 4, 4};
  SimplifyOutline(points, textures);
  EXPECT_EQ(points.size(), 5u);  // the middle of the straight front went
  points = Loop({{0, 0}, {1, 0}, {2, 0}, {2, 2}, {0, 2}});
  textures = {4, 10, 4, 4, 4, 4};  // a door on half the front keeps its point
  SimplifyOutline(points, textures);
  EXPECT_EQ(points.size(), 6u);
}

TEST(ArchitectTablesTest, ParsesAndRefusesBadLines) {
  ArchitectTables t;
  std::string error;
  ASSERT_TRUE(ParseArchitectTables("wall 5 4 7 8\nroof 1 3 4\nstoreys 0 9\nstoreydefault 240\n", t, error)) << error;
  EXPECT_EQ(t.walls[5].windows[4], 8);
  EXPECT_EQ(t.storeys[0], 240);
  EXPECT_EQ(t.storeys[1], 9);
  EXPECT_EQ(t.storeys[704], 240);
  for (const char* bad : {"wall 6 0 1 2\nstoreys 1\n", "roof 0 1\nstoreys 1\n", "storeys 1 x\n", "tower 1\nstoreys 1\n",
                          "wall 0 0 1 2\n", "plain 1 2 3 4\nstoreys 1\n", "storeys 256\n"}) {
    ArchitectTables before = t;
    EXPECT_FALSE(ParseArchitectTables(bad, t, error)) << bad;
    EXPECT_EQ(t.storeys, before.storeys);
  }
}

// The library and tables the build writes into the game root.
class ArchitectLibraryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    platform::SetGameRoot(RC_GAME_ROOT);
    ASSERT_TRUE(LoadGameBuildingLibrary());
    LoadArchitectTables();
  }
  static void TearDownTestSuite() { FreeGameBuildingLibrary(); }
  void SetUp() override { ThrowOnFatalError(); }

  static CBuilding Site(int x1, int z1, int x2, int z2, int floors, int kind, int quality, int32_t seed) {
    CBuilding b;
    b.Id = 7;
    b.X1 = uint8_t(x1), b.Z1 = uint8_t(z1), b.X2 = uint8_t(x2), b.Z2 = uint8_t(z2);
    b.Floors = uint8_t(floors);
    b.Kind = kind;
    b.Quality = uint8_t(quality);
    b.ArchitectSeed = seed;
    return b;
  }
};

float Volume(const MeshPart& m) {
  double v = 0;
  for (const auto& list : m.indices)
    for (size_t i = 0; i + 2 < list.size(); i += 3) {
      const Vec3 &a = m.positions[list[i]], &b = m.positions[list[i + 1]], &c = m.positions[list[i + 2]];
      v += (a.x * (b.y * c.z - b.z * c.y) + a.y * (b.z * c.x - b.x * c.z) + a.z * (b.x * c.y - b.y * c.x)) / 6.0;
    }
  return float(v);
}

TEST_F(ArchitectLibraryTest, EverySiteGetsABuildingInsideItsLot) {
  int32_t built = 0, litWindows = 0;
  for (int kind : {kKindRetail, kKindResidential, kKindLandscape})
    for (int x1 = 0; x1 < 7; x1 += 2)
      for (int z1 = 0; z1 < 7; z1 += 3)
        for (int w : {1, 2, 3})
          for (int d : {1, 3}) {
            const int x2 = std::min(6, x1 + w - 1), z2 = std::min(6, z1 + d - 1);
            const int floors = 1 + (x1 + z1 + w) % 5;
            const CBuilding b = Site(x1, z1, x2, z2, floors, kind, (x1 + d) % 3, (x1 * 7 + z1) * 69069);
            ArchitectBuild a;
            ASSERT_EQ(BuildFile_Search(b, a), ArchitectResult::kBuilt) << kind << " " << x1 << z1 << x2 << z2;
            ++built;
            const float hw = float(x2 - x1 + 1) * 5, hd = float(z2 - z1 + 1) * 5;
            const float slack = 0.5f;  // ledges stand out a little
            EXPECT_GE(a.boxMin.x, -hw - slack);
            EXPECT_LE(a.boxMax.x, hw + slack);
            EXPECT_GE(a.boxMin.z, -hd - slack);
            EXPECT_LE(a.boxMax.z, hd + slack);
            EXPECT_GE(a.boxMin.y, -0.01f);
            if (kind != kKindLandscape) {
              // Faces turned outward enclose a positive volume (the open floor
              // lies in the plane through the origin and adds nothing).
              const float volume = Volume(a.parts[0]) + Volume(a.parts[1]);
              EXPECT_GT(volume, 0.5f * a.height * 4 * hw * hd * 0.2f) << kind << " " << x1 << z1 << x2 << z2;
              EXPECT_GT(a.parts[0].TriangleCount(), 0);
              EXPECT_GT(a.parts[1].TriangleCount(), 0) << "no roof";
              EXPECT_GT(a.height, float(floors) * 5.0f);
              EXPECT_LE(a.parts[0].positions.size(), 0xFFF0u);
            }
            // The renderers repeat textures over coordinates from 0 up only.
            for (const MeshPart& part : a.parts)
              for (const TexCoord& t : part.uv1) ASSERT_TRUE(t.u >= 0 && t.v >= 0) << kind << " " << x1 << z1 << x2 << z2;
            ASSERT_GE(a.doorCount, 1);
            for (int32_t i = 0; i < a.doorCount; ++i) {
              EXPECT_LE(std::fabs(a.doors[size_t(i)].x), hw + 0.01f);
              EXPECT_LE(std::fabs(a.doors[size_t(i)].z), hd + 0.01f);
              EXPECT_EQ(a.doors[size_t(i)].y, 6.0f);
            }
            // Lit windows for the night on walls with windows; a landscaped
            // site has no walls to light.
            if (kind == kKindLandscape) {
              EXPECT_EQ(a.parts[kArchitectParts - 1].TriangleCount(), 0);
            }
            litWindows += a.parts[kArchitectParts - 1].TriangleCount() > 0;
          }
  EXPECT_GT(built, 100);
  EXPECT_GT(litWindows, built / 3);
}

TEST_F(ArchitectLibraryTest, DoorsOfAShopStandOnItsStreetFront) {
  // Along the x = 0 edge the street is at -x: the door is on the site's x = -w/2 side.
  ArchitectBuild a;
  ASSERT_EQ(BuildFile_Search(Site(0, 2, 1, 4, 2, kKindRetail, 0, 12345 * 65536), a), ArchitectResult::kBuilt);
  ASSERT_GE(a.doorCount, 1);
  EXPECT_NEAR(a.doors[0].x, -10.0f, 0.01f);
  ASSERT_EQ(BuildFile_Search(Site(2, 5, 4, 6, 2, kKindRetail, 0, 12345 * 65536), a), ArchitectResult::kBuilt);
  EXPECT_NEAR(a.doors[0].z, 10.0f, 0.01f);
}

TEST_F(ArchitectLibraryTest, SameSeedSameDesignAndTextures) {
  ArchitectBuild a, b, c;
  const CBuilding site = Site(1, 0, 3, 1, 4, kKindResidential, 1, 0x4D3C2B1A);
  ASSERT_EQ(BuildFile_Search(site, a), ArchitectResult::kBuilt);
  ASSERT_EQ(BuildFile_Search(site, b), ArchitectResult::kBuilt);
  EXPECT_EQ(a.entry, b.entry);
  EXPECT_EQ(a.textures.wallSet, b.textures.wallSet);
  EXPECT_EQ(a.textures.roofSet, b.textures.roofSet);
  EXPECT_EQ(a.textures.storeyEntry, b.textures.storeyEntry);
  for (size_t k = 0; k < 3; ++k) {
    ASSERT_EQ(a.parts[k].positions.size(), b.parts[k].positions.size());
    EXPECT_EQ(a.parts[k].textures, b.parts[k].textures);
    EXPECT_EQ(a.parts[k].indices, b.parts[k].indices);
    for (size_t i = 0; i < a.parts[k].positions.size(); ++i) {
      EXPECT_EQ(a.parts[k].positions[i].x, b.parts[k].positions[i].x);
      EXPECT_EQ(a.parts[k].positions[i].z, b.parts[k].positions[i].z);
    }
  }
  // The seed's texture draws: wall set from the first draw, roof from the second.
  uint32_t s = 0x2B1A;
  EXPECT_EQ(a.textures.wallSet, int32_t(DrawLcg(s) % 6));
  EXPECT_EQ(a.textures.roofSet, int32_t(DrawLcg(s) & 1));
  EXPECT_EQ(a.textures.storeyEntry, std::min(0x2B1A % 720, 704));
  // Other seeds of one street vary the walls.
  std::set<int32_t> sets;
  for (int32_t k = 0; k < 12; ++k) {
    ASSERT_EQ(BuildFile_Search(Site(1, 0, 3, 1, 4, kKindResidential, 1, (k * 16 + 3) * 69069), c),
              ArchitectResult::kBuilt);
    sets.insert(c.textures.wallSet);
  }
  EXPECT_GE(sets.size(), 3u);
}

TEST_F(ArchitectLibraryTest, UnknownKindFindsNothing) {
  ArchitectBuild a;
  EXPECT_EQ(BuildFile_Search(Site(0, 0, 1, 1, 1, 7, 0, 1), a), ArchitectResult::kNoDesign);
}
}  // namespace

#include "city/fixture_city.h"

namespace {

// The architect installed as the city's visual service builds every building
// of a whole city, and gives every model and pool slot back when they go.
class ArchitectServiceTest : public ArchitectLibraryTest {
 protected:
  void SetUp() override {
    ArchitectLibraryTest::SetUp();
    ASSERT_TRUE(MemoryManager().Init(96u << 20, 16));
    ModSysCreate();
    SetCityVisualServices(&TheArchitect());
  }
  void TearDown() override {
    ClearCity();
    ResetBuildingVisuals();
    SetCityVisualServices(nullptr);
    ModSysDestroy();
    MemoryManager().Shutdown();
  }
};

TEST_F(ArchitectServiceTest, CityBuildingsAreArchitectBuiltAndReleased) {
  BuildFixtureCity({.Seed = 3, .People = 50, .CarsPerBand = 0, .TaxisPerBand = 0, .Visuals = &TheArchitect()});
  int32_t buildings = 0, signs = 0;
  for (const CBuilding& b : g_Buildings) {
    if (!b.InUse || !b.Block) continue;
    ++buildings;
    const BuildingVisual& v = b.Visual;
    ASSERT_EQ(v.Built, 1) << b.Id;
    EXPECT_GE(v.LibraryEntry, 0);
    const BuildingModels& m = ModelsOfBuilding(b.Id);
    const float hw = float(b.X2 - b.X1 + 1) * 5 + 0.5f, hd = float(b.Z2 - b.Z1 + 1) * 5 + 0.5f;
    int32_t models = 0;
    for (const ModelLodSet& set : m.sets) {
      const CModel* model = ModSysGetModel(set.handles[0]);
      if (model == nullptr) continue;
      ++models;
      EXPECT_GT(model->vertexCount, 0);
      EXPECT_GT(model->primitiveCount, 0);
      // The model's bounds lie inside the lot rectangle (ledges a little out).
      for (const Vec3& c : model->bounds.corners) {
        EXPECT_LE(std::fabs(c.x), hw);
        EXPECT_LE(std::fabs(c.z), hd);
      }
    }
    EXPECT_GE(models, 1);
    if (b.Kind != kKindLandscape) {
      const CModel* walls = ModSysGetModel(m.sets[0].handles[0]);
      ASSERT_NE(walls, nullptr);
      float top = 0;
      for (const Vec3& c : walls->bounds.corners) top = std::max(top, c.y);
      EXPECT_NEAR(v.Height, top, 0.01f);
    }
    // Door points end relative to the building, inside its lot.
    ASSERT_GE(v.DoorCount, 1);
    EXPECT_LE(std::fabs(v.Doors[0].x), hw);
    EXPECT_LE(std::fabs(v.Doors[0].z), hd);
    signs += v.SignCount;
    for (int32_t i = 0; i < v.SignCount; ++i) EXPECT_TRUE(TheSignPool().Slots[size_t(v.Signs[i])].InUse);
  }
  EXPECT_GT(buildings, 100);
  EXPECT_GT(signs, 0);
  const int32_t before = TheModelSystem()->freeCount, propsBefore = ThePropPool().Count;
  EXPECT_EQ(BuildStandardBuildings(), 5);
  EXPECT_LT(TheModelSystem()->freeCount, before);
  // The utilities carry their plant and trees, kept out of the city's pool
  // (a new game empties it).
  EXPECT_GT(StandardBuildingPropCount(), 0);
  EXPECT_EQ(ThePropPool().Count, propsBefore);
  ReleaseStandardBuildings();
  EXPECT_EQ(TheModelSystem()->freeCount, before);
  EXPECT_EQ(StandardBuildingPropCount(), 0);
  EXPECT_EQ(TheSignPool().Count, signs);
  ClearCity();
  EXPECT_EQ(TheSignPool().Count, 0);
  EXPECT_EQ(ThePropPool().Count, 0);
  EXPECT_EQ(TheModelSystem()->freeCount, kMaxModels);
}

TEST_F(ArchitectServiceTest, SignPoolFullSkipsSignsAndReleaseOfUnbuiltChangesNothing) {
  for (int32_t i = 0; i < kSignPoolSize; ++i) ASSERT_EQ(AllocSignSlot(), i);
  EXPECT_EQ(AllocSignSlot(), -1);
  EXPECT_EQ(TheSignPool().Count, kSignPoolSize);
  FreeSignSlot(17);
  EXPECT_EQ(AllocSignSlot(), 17);
  CBuilding plain;
  plain.Visual.SignCount = 3;
  TheArchitect().ReleaseBuildingVisuals(plain);
  EXPECT_EQ(plain.Visual.SignCount, 3);
  EXPECT_EQ(TheSignPool().Count, kSignPoolSize);
  ResetBuildingVisuals();
  EXPECT_EQ(TheSignPool().Count, 0);
}

// The city's props stand at the marker model's points, scale 1; a second
// reset starts the pool again rather than adding to it.
TEST_F(ArchitectServiceTest, PropInstancesStandAtTheMarkerPoints) {
  EXPECT_EQ(ResetPropInstances(), 0);  // no marker model: no props
  const Vec3 points[6] = {{1, 0.5f, 2}, {3, 0.5f, 4}, {5, 0.5f, 6}, {-1, 0.5f, -2}, {-3, 0.5f, -4}, {-5, 0.5f, -6}};
  const int32_t handle = ModSysCreateSelfBuiltModel(1, 6, points, nullptr, nullptr);
  ASSERT_GT(handle, 0);
  ModSysAddTriangle(0, 1, 2);
  ModSysAddTriangle(3, 4, 5);
  ModSysEndPrimitive(handle, 0, 0, 0);
  ModelLodSet markers{{handle, 0, 0}, 1};
  SetPropMarkerModel(&markers);
  ASSERT_NE(AllocPropSlot(), -1);  // a building's prop from the last game
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(ResetPropInstances(), 6);
    EXPECT_EQ(ThePropPool().Count, 6);
    for (int32_t i = 0; i < 6; ++i) {
      const PropSlot& p = ThePropPool().Slots[size_t(i)];
      EXPECT_EQ(p.InUse, 1);
      EXPECT_FLOAT_EQ(p.Position[0], points[i].x);
      EXPECT_FLOAT_EQ(p.Position[2], points[i].z);
      EXPECT_FLOAT_EQ(p.Scale[1], 1.0f);
    }
  }
  SetPropMarkerModel(nullptr);
  ModSysDeleteModel(handle);
}

// Text signs are rebuilt in their owner's colour when the owner changes, and
// in the last row when nobody owns the building.
TEST_F(ArchitectServiceTest, SignsWearTheirOwnersColour) {
  SignTextures textures;
  for (int32_t row = 0; row < kSignRows; ++row) textures.signBoard[row] = textures.signFace[row] = 100 + row;
  SetSignTextures(textures);
  BuildFixtureCity({.Seed = 3, .People = 50, .CarsPerBand = 0, .TaxisPerBand = 0, .Visuals = &TheArchitect()});
  ASSERT_GE(PlayerTable().CreatePlayerSlot(kPlayerHuman, 5, "Ada"), 0);
  CBuilding* withSigns = nullptr;
  for (CBuilding& b : g_Buildings)
    for (int32_t i = 0; b.InUse && !withSigns && i < b.Visual.SignCount; ++i)
      if (TheSignPool().Slots[size_t(b.Visual.Signs[i])].Built) withSigns = &b;
  ASSERT_NE(withSigns, nullptr);
  // The texture of the first text sign's backing board.
  auto boardTexture = [&] {
    for (int32_t i = 0; i < withSigns->Visual.SignCount; ++i) {
      const SignSlot& s = TheSignPool().Slots[size_t(withSigns->Visual.Signs[i])];
      const CModel* model = s.Built ? ModSysGetModel(s.Model) : nullptr;
      for (int32_t p = 0; model && p < model->primitiveCount; ++p)
        if (model->primitives[p].texture >= 100) return int32_t(model->primitives[p].texture);
    }
    return -1;
  };
  EXPECT_EQ(boardTexture(), 100 + kSignRows - 1);  // the fixture city's buildings are the city's
  withSigns->SetOwner(1);
  EXPECT_EQ(boardTexture(), 105);
  withSigns->SetOwner(0);
  EXPECT_EQ(boardTexture(), 100 + kSignRows - 1);
  PlayerTable().DeleteAllPlayers();
  SetSignTextures(SignTextures{});
}

TEST_F(ArchitectServiceTest, NoLibraryKeepsThePlainBox) {
  FreeGameBuildingLibrary();
  BuildFixtureCity({.Seed = 3, .People = 10, .CarsPerBand = 0, .TaxisPerBand = 0, .Visuals = &TheArchitect()});
  for (const CBuilding& b : g_Buildings)
    if (b.InUse && b.Block) {
      EXPECT_EQ(b.Visual.Built, 0);
      EXPECT_GT(b.Visual.Height, 0);
    }
  ASSERT_TRUE(LoadGameBuildingLibrary());
}

// A library none of whose designs fits the city's buildings is said once,
// naming the file; each building's own miss goes to the log with a count.
TEST_F(ArchitectServiceTest, ALibraryThatFitsNoBuildingIsReportedOnce) {
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadWholeGameFile(kBuildingLibraryGameName, bytes));
  BuildingLibrary library;
  std::string reason;
  ASSERT_TRUE(DecodeBuildingLibrary(bytes, library, reason)) << reason;
  for (LibraryBuilding& b : library.Buildings) b.BaseWidth = 0;
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("architect_unfit_" + std::to_string(::getpid()));
  platform::SetGameRoot(root.string());
  ASSERT_TRUE(SaveBuildingLibrary(kBuildingLibraryGameName, library));
  FreeGameBuildingLibrary();
  ASSERT_TRUE(LoadGameBuildingLibrary());
  std::vector<std::string> boxes;
  auto old = platform::SetMessageBoxBackend([&](std::string_view, std::string_view text, platform::BoxIcon,
                                                platform::BoxButtons) {
    boxes.emplace_back(text);
    return platform::BoxResult::Ok;
  });
  ResetPerFileReports();
  BuildFixtureCity({.Seed = 3, .People = 10, .CarsPerBand = 0, .TaxisPerBand = 0, .Visuals = &TheArchitect()});
  platform::SetMessageBoxBackend(std::move(old));
  platform::SetGameRoot(RC_GAME_ROOT);
  std::filesystem::remove_all(root);
  FreeGameBuildingLibrary();
  ASSERT_TRUE(LoadGameBuildingLibrary());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("max\\BuildEditorModels\\BuildFile.dat"), std::string::npos) << boxes[0];
  EXPECT_GT(PerFileReportCount("building library", kBuildingLibraryGameName), 20);
}

}  // namespace

#include "city/prestige_textures.h"

namespace {

TEST_F(ArchitectLibraryTest, PrestigeListsDressTheUpperWalls) {
  ResetPrestigeTextureLists();
  EXPECT_EQ(PrestigeWallMaterial(0.9f, 5), -1);
  PrestigeTextureLists()[kPrestigeHigh].Append(ParsePrestigeTextureWord("GLASS2"));
  PrestigeTextureLists()[kPrestigeLow].Append(ParsePrestigeTextureWord("BRICK1"));
  PrestigeTextureLists()[kPrestigeLow].Append(ParsePrestigeTextureWord("TIMBER3"));
  EXPECT_EQ(PrestigeWallMaterial(0.9f, 5), 4);
  EXPECT_EQ(PrestigeWallMaterial(0.1f, 0), 0);
  EXPECT_EQ(PrestigeWallMaterial(0.1f, 8), 2);
  CBlock block;
  block.Prestige = 0.95f;
  CBuilding b = Site(0, 0, 2, 1, 3, kKindRetail, 1, 77 * 69069);
  b.Block = &block;
  ArchitectBuild a;
  ASSERT_EQ(BuildFile_Search(b, a), ArchitectResult::kBuilt);
  EXPECT_EQ(a.textures.wallMaterial, 4);
  // Every upper wall texture is a glass one (places 24 to 29).
  bool glass = false;
  for (int32_t t : a.parts[0].textures) glass |= t >= 24 && t <= 29;
  EXPECT_TRUE(glass);
  ResetPrestigeTextureLists();
}

}  // namespace

#include "engine/scene/asset_table.h"
#include "visuals/architect/architect_assets.h"
#include "visuals/scene/construction_draw.h"

namespace {

TEST(ScaffoldTest, EveryPieceIsOnTheScaffoldShelf) {
  const std::vector<ModelFileEntry>& files = ShelfFiles(ModelShelf::Scaffolds);
  for (int32_t i = 0; i < kScaffoldPieces; ++i) {
    bool found = false;
    for (const ModelFileEntry& f : files) found |= f.file == ScaffoldPieceFile(i);
    EXPECT_TRUE(found) << ScaffoldPieceFile(i);
  }
}

// A 2 by 3 building at the x = 0, z = 0 corner, one storey: two pieces per
// column along each long side and one between the corners on each short side.
TEST(ScaffoldTest, PiecesOfACornerBuilding) {
  std::vector<ScaffoldPieceDraw> pieces;
  auto collect = [](const ScaffoldPieceDraw& p, void* list) {
    static_cast<std::vector<ScaffoldPieceDraw>*>(list)->push_back(p);
  };
  ScaffoldPieces(0, 0, 1, 2, 100, 200, 1, 24, collect, &pieces);
  ASSERT_EQ(pieces.size(), 6u);
  EXPECT_EQ(pieces[0].shape, 2);  // the corner on both streets
  EXPECT_EQ(pieces[0].turn, -90);
  EXPECT_EQ(pieces[1].shape, 0);
  EXPECT_EQ(pieces[2].shape, 1);
  EXPECT_EQ(pieces[3].shape, 3);
  EXPECT_EQ(pieces[4].shape, 5);  // the x = 0 side is a street
  EXPECT_EQ(pieces[5].shape, 4);
  EXPECT_FLOAT_EQ(pieces[0].x, 95);
  EXPECT_FLOAT_EQ(pieces[0].z, 190);
  // A second storey uses the upper pieces; a counter of -2 draws none.
  pieces.clear();
  ScaffoldPieces(0, 0, 1, 2, 100, 200, 2, 24, collect, &pieces);
  ASSERT_EQ(pieces.size(), 12u);
  EXPECT_EQ(pieces[6].shape, 8);
  EXPECT_FLOAT_EQ(pieces[6].y, 7.5f);
  pieces.clear();
  ScaffoldPieces(0, 0, 1, 2, 100, 200, 2, -2, collect, &pieces);
  EXPECT_TRUE(pieces.empty());
}

}  // namespace

#include "engine/scene/texture.h"
#include "visuals/architect/building_tints.h"
#include "visuals/scene/draw_distances.h"

namespace {

// Walls, roofs and pavements repeat their texture many times across a face:
// every building texture the program loads fills a page of its own, so the
// renderers' repeat wraps within it and never reaches another texture.
TEST(ArchitectTexturesTest, EveryBuildingTextureFillsAPageOfItsOwn) {
  ASSERT_TRUE(MemoryManager().Init(64u << 20, 16));
  TexSysCreate();
  platform::SetGameRoot(RC_GAME_ROOT);
  LoadArchitectAssets();
  ASSERT_TRUE(TexSysBuildPages());
  std::set<int32_t> pages;
  int32_t textures = 0;
  for (int32_t n = 0; n < 200; ++n) {
    if (n > 0 && ArchitectTextureSlot(n) == 0) break;  // past the set
    const CTexture* t = TexSysGetTexture(ArchitectTextureSlot(n));
    ASSERT_NE(t, nullptr) << n;
    ++textures;
    EXPECT_TRUE(pages.insert(t->pageIndex).second) << "texture " << n << " shares its page";
    EXPECT_EQ(t->uOffset, 0.0f) << n;
    EXPECT_EQ(t->vOffset, 0.0f) << n;
    EXPECT_EQ(t->uSize, 1.0f) << n;
    EXPECT_EQ(t->vSize, 1.0f) << n;
  }
  EXPECT_GT(textures, 50);
  TexSysDestroy();
  MemoryManager().Shutdown();
}

// Decorations: whole near the eye, fading over the last 50 units of the
// detail distance, gone beyond; a closed business's are darkened.
TEST(DecorationTintTest, FadesWithDistanceAndDarkensWhenClosed) {
  const float saved = DetailFactor;
  DetailFactor = 1.0f;  // whole to 350, nothing from 400
  struct Case {
    float distance;
    bool closed;
    uint32_t tint;
  };
  for (const Case& c : {Case{10, false, kNoTint}, Case{350, false, kNoTint}, Case{375, false, 0x7FFFFFFFu},
                        Case{399.9f, false, 0}, Case{400, false, 0}, Case{900, false, 0},
                        Case{10, true, kClosedDecorationTint}, Case{375, true, 0x7F7F7F7Fu}}) {
    const uint32_t tint = DecorationTint(c.distance, c.closed);
    EXPECT_NEAR(double(tint >> 24), double(c.tint >> 24), 1.0) << c.distance;
    EXPECT_EQ(tint & 0xFFFFFFu, c.tint & 0xFFFFFFu) << c.distance << " " << c.closed;
  }
  DetailFactor = saved;
}

// The construction panel's preview is the spare building record, outside the
// pool: placed on a free plot it is built by the architect and drawn there.
TEST_F(ArchitectServiceTest, ThePreviewOnItsPlotIsDrawn) {
  BuildFixtureCity({.Seed = 3, .People = 10, .CarsPerBand = 0, .TaxisPerBand = 0, .Visuals = &TheArchitect()});
  CBlock* plot = nullptr;
  int lot = -1;
  for (CBlock& b : g_Blocks)
    for (int i = 0; i < 49 && !plot; ++i)
      if (b.InUse && b.IsLotRegionFreeRect(i % 7, i / 7, i % 7, i / 7)) plot = &b, lot = i;
  ASSERT_NE(plot, nullptr);
  RecordingRenderer r;
  SetRenderer(&r);
  SetProjection(640, 480, 53.0f, 1.0f, 3000.0f, 1.0f, 0.0f);
  const float x = plot->CentreX - 35.0f + float(lot % 7) * 10.0f + 5.0f;
  const float z = plot->CentreZ - 35.0f + float(lot / 7) * 10.0f + 5.0f;
  Mat43 view;
  MatLookAt(x, 60, z - 40, x, 0, z, 0, 1, 0, view);
  auto draws = [&] {
    r.calls.clear();
    DrawBuildingVisuals(view);
    return r.Count("DrawEntity");
  };
  const int32_t without = draws();
  CBuilding* preview = GetSpareBuilding();
  ASSERT_TRUE(plot->PlaceBuilding(preview, lot % 7, lot / 7, lot % 7, lot / 7, 2, 11, kKindRetail, 1, 0.0f));
  ASSERT_EQ(preview->Visual.Built, 1);
  EXPECT_GT(draws(), without);
  plot->RemoveBuilding(preview->Id);
  EXPECT_EQ(draws(), without) << "the preview goes with the panel";
  SetRenderer(nullptr);
}

}  // namespace
