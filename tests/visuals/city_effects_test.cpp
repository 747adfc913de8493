// The city's point effects: the street furniture placed from a records-only
// model, the light models' sprites and the beacons' pulse, the sun's glints;
// and that the full and reduced passes draw them from the world city shelf.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <vector>

#include "engine/files/model_file.h"
#include "engine/input/camera_controller.h"
#include "engine/recording_renderer.h"
#include "engine/render/renderer.h"
#include "engine/scene/asset_table.h"
#include "engine/scene/model.h"
#include "presentation_fixture.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/scene/city_effects.h"
#include "visuals/scene/draw_distances.h"
#include "visuals/scene/scene_passes.h"
#include "visuals/scene/sky.h"

// The loaders' way onto a shelf (asset_groups.cpp).
std::vector<ModelLodSet>& ShelfStorage(ModelShelf shelf);

namespace {

// Records of seven values: x, y, z, a facing (x, y, z) and a kind.
std::vector<ModelFrameRecord> Records(std::initializer_list<ModelFrameRecord> r) { return r; }

CModel RecordModel(std::vector<ModelFrameRecord>& records) {
  CModel m{};
  m.frameCount = 1;
  m.frameRecordCount = int32_t(records.size());
  m.frameRecords = reinterpret_cast<uint8_t*>(records.data());
  return m;
}

TEST(PathObjects, FromTheMiddleRecordToTheEndAtTheirPlacesAndHeadings) {
  // Five records: the middle is the third; the first two are not objects.
  std::vector<ModelFrameRecord> records = Records({{{1, 0, 1}, {0, 0, 1}, 9},
                                                   {{2, 0, 2}, {0, 0, 1}, 9},
                                                   {{10, 0.5f, 20}, {0, 0, 1}, 0},
                                                   {{-5, 0, -7}, {1, 0, 0}, 3},
                                                   {{3, 1, 4}, {-1, 0, -1}, 4}});
  const CModel model = RecordModel(records);
  const std::vector<PathObjectPlace> places = PathObjectPlaces(model);
  ASSERT_EQ(places.size(), 3u);
  const struct {
    Vec3 at;
    float yaw;
    int32_t kind;
  } want[] = {{{10, 0.5f, -20}, 0, 0}, {{-5, 0, 7}, 90, 3}, {{3, 1, -4}, -135, 4}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_FLOAT_EQ(places[i].position.x, want[i].at.x) << i;
    EXPECT_FLOAT_EQ(places[i].position.y, want[i].at.y) << i;
    EXPECT_FLOAT_EQ(places[i].position.z, want[i].at.z) << i;
    EXPECT_NEAR(places[i].yaw, want[i].yaw, 1e-4f) << i;
    EXPECT_EQ(places[i].kind, want[i].kind) << i;
  }
  CModel none{};
  EXPECT_TRUE(PathObjectPlaces(none).empty());
}

// The generated street furniture stands on the pavements, at the kerb of a
// block side, facing away from its block; its first half lies on the
// streets' middle lines.
TEST(PathObjects, TheCitysFurnitureStandsAtTheKerbFacingTheStreet) {
  std::ifstream in(std::string(RC_GAME_ROOT) + "/gamedata2/worldcity/street_objects.tm", std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ModelFileData data;
  std::string reason;
  ASSERT_TRUE(ParseModelFile(bytes, data, reason)) << reason;
  CModel model = RecordModel(data.frameRecords);
  const std::vector<PathObjectPlace> places = PathObjectPlaces(model);
  ASSERT_GT(places.size(), 100u);
  ASSERT_EQ(data.frameRecords.size(), 2 * places.size());
  for (size_t i = 0; i < places.size(); ++i) {
    const PathObjectPlace& p = places[i];
    const float yaw = p.yaw / 57.29578f;
    // Back from the kerb into the block: its centre lies 39.2 behind.
    const float cx = p.position.x - 39.2f * std::sin(yaw);
    // The block centres lie on a grid 107 apart in x.
    EXPECT_NEAR(std::remainder(cx, 107.0f), 0, 28.0f) << i;
    EXPECT_NEAR(std::fabs(std::remainder(std::fabs(p.yaw), 90.0f)), 0, 1e-3f) << i << " turned by " << p.yaw;
    EXPECT_GE(p.kind, 0);
    EXPECT_LE(p.kind, kStreetPostbox - kStreetBench);
    // The point it was laid out from lies 14.3 further out, in the street.
    const ModelFrameRecord& from = data.frameRecords[i];
    EXPECT_NEAR(from.position[0], p.position.x + 14.3f * std::sin(yaw), 1e-3f) << i;
    EXPECT_NEAR(-from.position[2], p.position.z + 14.3f * std::cos(yaw), 1e-3f) << i;
  }
}

TEST(LightSprites, TheLightModelsPointsByTheNightLevel) {
  const Vec3 runway[3] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
  const Vec3 beacons[3] = {{10, 30, 10}, {20, 27, 20}, {99, 99, 99}};
  std::vector<Vec3> lamps(16, Vec3{5, 6, 7});
  InitPulsingLights();
  // Full day: nothing at all.
  EXPECT_TRUE(CollectLightSprites(runway, beacons, lamps, lamps, 255).empty());
  // The night lamps come on in sixteen groups as the level falls.
  const struct {
    float night;
    size_t lampsLit;  // of each of the two lamp models
  } levels[] = {{254, 0}, {175, 1}, {140, 7}, {100, 13}, {0, 16}};
  for (const auto& l : levels) {
    const std::vector<LightSprite> s = CollectLightSprites(runway, beacons, lamps, lamps, l.night);
    ASSERT_EQ(s.size(), 3 + kBeaconCount + 2 * l.lampsLit) << l.night;
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_FLOAT_EQ(s[i].at.y, 0.5f);  // raised
      EXPECT_EQ(s[i].colour, 0xFFFFFFFFu);
      EXPECT_FLOAT_EQ(s[i].size, 2.0f);
    }
    for (size_t i = 3 + kBeaconCount; i < s.size(); ++i) {
      EXPECT_TRUE(s[i].nightGroup);
      EXPECT_EQ(s[i].colour, 0xAFFFFFAFu);
      EXPECT_FLOAT_EQ(s[i].size, 5.0f);
    }
  }
  // The beacons: the first two points of the second model (raised), then
  // the two fixed ones, the far one drawn larger.
  const std::vector<LightSprite> s = CollectLightSprites(runway, beacons, {}, {}, 0);
  ASSERT_EQ(s.size(), 3u + kBeaconCount);
  EXPECT_FLOAT_EQ(s[3].at.y, 30.5f);
  EXPECT_FLOAT_EQ(s[4].at.z, 20.0f);
  EXPECT_FLOAT_EQ(s[5].at.x, -219.1f);
  EXPECT_FLOAT_EQ(s[6].at.x, -1715.53f);
  EXPECT_GT(s[6].size, s[5].size);
  PulsingLights().clear();
}

// The beacons' alpha is their pulsing light's brightness, which the logic
// tick steps, each beacon at its own pace.
TEST(LightSprites, BeaconsPulseWithTheirLights) {
  const Vec3 beacons[2] = {{10, 30, 10}, {20, 27, 20}};
  InitPulsingLights();
  ASSERT_EQ(PulsingLights().size(), size_t(kBeaconCount));
  auto alphas = [&] {
    std::vector<uint32_t> a;
    for (const LightSprite& s : CollectLightSprites({}, beacons, {}, {}, 0)) a.push_back(s.colour >> 24);
    return a;
  };
  std::vector<uint32_t> seen = alphas();
  for (int32_t i = 0; i < kBeaconCount; ++i)
    EXPECT_EQ(seen[size_t(i)], uint32_t(PulsingLights()[size_t(i)].brightness));
  std::vector<std::vector<uint32_t>> history{seen};
  for (int tick = 0; tick < 40; ++tick) {
    StepPulsingLights();
    history.push_back(alphas());
  }
  for (int32_t i = 0; i < kBeaconCount; ++i) {
    uint32_t low = 255, high = 0;
    for (const auto& h : history) low = std::min(low, h[size_t(i)]), high = std::max(high, h[size_t(i)]);
    EXPECT_LT(low, high) << "beacon " << i << " does not pulse";
  }
  PulsingLights().clear();
}

TEST(Glints, TheSunsMirrorImageOnlyFromTheSunnySide) {
  Vec3 sun{-1, 1, 0};
  VecNormalise(sun);
  const Vec3 up{0, 1, 0};
  // The eye along the mirror image of the sun in the water glints fully.
  EXPECT_NEAR(GlintStrength({0, 0, 0}, up, sun, {100, 100, 0}), 1.0f, 1e-3f);
  // A few degrees off, less; far off, nothing to speak of.
  const float near = GlintStrength({0, 0, 0}, up, sun, {100, 90, 8});
  EXPECT_GT(near, 0.05f);
  EXPECT_LT(near, 1.0f);
  EXPECT_LT(GlintStrength({0, 0, 0}, up, sun, {-100, 100, 0}), 0.001f);
  // The sun below the horizon, or behind the surface: none.
  EXPECT_EQ(GlintStrength({0, 0, 0}, up, {-0.7f, -0.7f, 0}, {100, 100, 0}), 0.0f);
  EXPECT_EQ(GlintStrength({0, 0, 0}, {1, 0, 0}, sun, {100, 100, 0}), 0.0f);

  // Collected in model coordinates (z turned): only the strong ones, in the
  // sun's colour.
  const GlintPoint points[2] = {{{0, 0, 0}, {0, 1, 0}, 14}, {{0, 0, -300}, {0, 1, 0}, 14}};
  const std::vector<LightSprite> g = CollectGlints(points, sun, {100, 100, 0}, 0xFFFFEECCu);
  ASSERT_EQ(g.size(), 1u);
  EXPECT_EQ(g[0].colour & 0xFFFFFFu, 0xFFEECCu);
  EXPECT_GT(g[0].colour >> 24, 250u);
  EXPECT_NEAR(g[0].size, 14.0f, 0.1f);
}

// The passes draw the effects from the world city shelf: the furniture
// (full passes, with detail), the light sprites at night (full passes), the
// glints (both, the reduced ones only at high detail).
class CityEffectsPassTest : public PresentationTest {
 protected:
  void SetUp() override {
    PresentationTest::SetUp();
    ModSysCreate();
    SetRenderer(&renderer);
    DetailChoice = 2;
    std::vector<ModelLodSet>& shelf = ShelfStorage(ModelShelf::WorldCity);
    shelf.assign(kWorldCityCount, ModelLodSet{});
    auto put = [&](int32_t place, CModel& m) {
      shelf[size_t(place)].handles[0] = ModSysRegisterModel(&m, 0);
      shelf[size_t(place)].count = 1;
    };
    furniture = Records({{{0, 0, 0}, {0, 0, 1}, 0}, {{0, 0, 0}, {0, 0, 1}, 0},
                         {{5, 0, -50}, {0, 0, 1}, 0}, {{-5, 0, -50}, {0, 0, -1}, 0}});
    furnitureModel = RecordModel(furniture);
    put(kStreetObjects, furnitureModel);
    const Vec3 p[4] = {{-2, 0, 0}, {2, 0, 0}, {2, 1, 0}, {-2, 1, 0}};
    const TexCoord uv[4] = {};
    const int32_t bench = ModSysCreateSelfBuiltModel(1, 4, p, uv, nullptr);
    ModSysAddQuad(0, 1, 2, 3);
    ModSysEndPrimitive(bench, 0, 0, 0);
    ModSysCalcBounds(bench);
    shelf[kStreetBench].handles[0] = bench, shelf[kStreetBench].count = 1;
    lights = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
    lightModel.vertexCount = 3;
    lightModel.positions = lights.data();
    put(kLightsRunway, lightModel);
    glints = Records({{{0, 0, 0}, {0, 1, 0}, 14}});
    glintModel = RecordModel(glints);
    put(kSunGlints, glintModel);
    InitPulsingLights();
  }
  void TearDown() override {
    ReleasePathObjectEntities();
    PulsingLights().clear();
    ClearShelves();
    Sky() = SkyState{};
    g_CameraState.drawnEye = {};
    DetailChoice = 2;
    SetRenderer(nullptr);
    ModSysDestroy();
    PresentationTest::TearDown();
  }
  RecordingRenderer renderer;
  std::vector<ModelFrameRecord> furniture, glints;
  std::vector<Vec3> lights;
  CModel furnitureModel{}, lightModel{}, glintModel{};
};

TEST_F(CityEffectsPassTest, EachPassDrawsItsEffectsWhereTheDetailAllows) {
  // By day with the sun mirrored at the eye: furniture and a glint, no lights.
  Sky().brightness = 255;
  Sky().sunDirection = {-0.7071068f, 0.7071068f, 0};
  g_CameraState.drawnEye = {100, 100, 0};
  DrawCityPasses(renderer, true);
  EXPECT_EQ(LastCityEffectCounts().pathObjects, 2);
  EXPECT_EQ(LastCityEffectCounts().lightSprites, 0);
  EXPECT_EQ(LastCityEffectCounts().glints, 1);
  DrawCityPasses(renderer, false);
  EXPECT_EQ(LastCityEffectCounts().pathObjects, 0) << "not in the reduced list";
  EXPECT_EQ(LastCityEffectCounts().glints, 1);
  // At night: the runway's three lights and the two fixed beacons (the
  // shelf has no beacon model); no glint.
  Sky().brightness = 0;
  Sky().sunDirection = {-0.7071068f, -0.7071068f, 0};
  DrawCityPasses(renderer, true);
  EXPECT_EQ(LastCityEffectCounts().lightSprites, 3 + 2);
  EXPECT_EQ(LastCityEffectCounts().glints, 0);
  DrawCityPasses(renderer, false);
  EXPECT_EQ(LastCityEffectCounts().lightSprites, 0) << "not in the reduced list";
  // Medium detail: the reduced list leaves out the glints; without detail
  // the full list leaves out all three.
  Sky().brightness = 255;
  Sky().sunDirection = {-0.7071068f, 0.7071068f, 0};
  DetailChoice = 1;
  DrawCityPasses(renderer, false);
  EXPECT_EQ(LastCityEffectCounts().glints, 0);
  DetailChoice = 0;
  Sky().brightness = 0;
  DrawCityPasses(renderer, true);
  EXPECT_EQ(LastCityEffectCounts().pathObjects + LastCityEffectCounts().lightSprites + LastCityEffectCounts().glints,
            0);
}

}  // namespace
