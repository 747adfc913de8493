// The city's scene passes: their order on the two kinds of renderer, the
// pulsing colours, the smoke and pulsing lights, the corner markers' scale
// and the night lights' rings.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "city/buildings.h"
#include "engine/core/debug_flags.h"
#include "engine/core/system_settings.h"
#include "engine/render/renderer.h"
#include "engine/scene/model.h"
#include "engine/recording_renderer.h"
#include "presentation_fixture.h"
#include "visuals/scene/draw_distances.h"
#include "visuals/scene/scene_passes.h"
#include "city/blocks.h"
#include "city/city_entities.h"
#include "engine/core/run_state.h"
#include "visuals/overlay/frame_draw.h"
#include "engine/scene/entity.h"
#include "visuals/camera/city_picking.h"
#include "visuals/scene/ground_markers.h"
#include "visuals/overlay/interface_task.h"

namespace {

// Keeps the first vertex colour of every triangle pair drawn untextured
// (the outline markers' arms come as quads).
class ColourRecorder : public RecordingRenderer {
 public:
  void DrawIndexedUntextured(const VertexUntextured* v, const uint16_t* idx, int32_t vertices,
                             int32_t indices) override {
    RecordingRenderer::DrawIndexedUntextured(v, idx, vertices, indices);
    for (int32_t i = 0; i + 5 < indices; i += 6) colours.push_back(v[idx[i]].colour);
  }
  std::vector<uint32_t> colours;
};

class ScenePassTest : public PresentationTest {
 protected:
  void SetUp() override {
    PresentationTest::SetUp();
    ModSysCreate();
    SetRenderer(&renderer);
    SetScenePassTrace(&trace);
    DetailChoice = 2;
  }
  void TearDown() override {
    SetScenePassTrace(nullptr);
    SetRenderer(nullptr);
    ModSysDestroy();
    PresentationTest::TearDown();
  }
  ColourRecorder renderer;
  std::vector<std::string> trace;
};

TEST_F(ScenePassTest, FullAndReducedOrders) {
  DrawCityPasses(renderer, true);
  const std::vector<std::string> full = {
      "sky",     "stars",           "ground",      "blocks",   "ownership",        "scenery",
      "street lights", "people",    "path objects", "signs",   "end tokens",       "vehicles",
      "animated scenery", "buildings", "outlines", "traffic lights", "effects",   "path scenery",
      "construction", "smoke",      "night lights", "light pools"};
  EXPECT_EQ(trace, full);

  trace.clear();
  DrawCityPasses(renderer, false);
  const std::vector<std::string> reduced = {"sky",       "scenery",  "ground",   "blocks",      "ownership",
                                            "vehicles",  "signs",    "construction", "buildings", "outlines",
                                            "night lights", "end tokens", "smoke", "effects", "people"};
  EXPECT_EQ(trace, reduced);

  // Without detail the optional passes drop out of both orders.
  DetailChoice = 0;
  trace.clear();
  DrawCityPasses(renderer, true);
  for (const char* optional : {"street lights", "path objects", "effects"})
    EXPECT_EQ(std::count(trace.begin(), trace.end(), optional), 0) << optional;
  trace.clear();
  DrawCityPasses(renderer, false);
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "smoke"), 0);
  EXPECT_EQ(trace.back(), "people");
}

TEST(PulseColour, ScalesColourByTheTickAndKeepsAlpha) {
  const struct {
    uint32_t tick, expected;
  } cases[] = {
      {15, 0x80404040u},  // dimmest: half
      {47, 0x80404040u},  // the period is 32
      {31, 0x80808080u},  // 0.5 + 16/32: full
      {0, 0x807C7C7Cu},   // 0.5 + 15/32 of 0x80
  };
  for (const auto& c : cases) EXPECT_EQ(PulseColour(0x80808080u, c.tick), c.expected) << c.tick;
  EXPECT_EQ(ScaleArgb(0xFFC08001u, 2.0f, 0.5f), 0x7FFFFF02u);  // clamped at 255, alpha halved
  EXPECT_EQ(ScaleArgb(0xFF102030u, -1.0f, 1.0f), 0xFF000000u);  // floored at 0
}

// The hovered object's pulse runs from half to one and a half of its colour
// and back over the 9-bit phase; bytes stop at 255 and alpha is kept.
TEST(HoverPulse, ScalesTheColourByTheMirroredPhase) {
  struct Case {
    uint32_t phase, colour;
  };
  for (const Case& c : {Case{0, 0x80402010u}, Case{128, 0x80804020u}, Case{255, 0x80BF5F2Fu},
                        Case{256, 0x80BF5F2Fu}, Case{511, 0x80402010u}, Case{0x200, 0x80402010u}}) {
    EXPECT_EQ(HoverPulseColour(0x80804020u, c.phase), c.colour) << c.phase;
  }
  EXPECT_EQ(HoverPulseColour(0xFFF0F0F0u, 255), 0xFFFFFFFFu);
  // Ten steps a second, 40 each, round the 512 phases.
  const uint32_t start = HoverPulsePhase();
  for (int i = 0; i < 64; ++i) StepHoverPulse();
  EXPECT_EQ(HoverPulsePhase(), (start + 64 * 40) & 0x1FFu);
}

// Over a building of the local player that changed hands, a sprite rises a
// quarter unit a tick from its top for 100 ticks (not in the tick of the
// change), pulsing in alpha; nothing over another player's building.
TEST(ChangedHands, ASpriteRisesOverTheLocalPlayersBuildingFor100Ticks) {
  CBuilding b;
  b.Owner = 2;
  b.OwnerChangeTick = 1000;
  b.CentreX = 10, b.CentreZ = 20;
  b.Visual.BoxMin[0] = b.Visual.BoxMin[2] = -5;
  b.Visual.BoxMax[0] = b.Visual.BoxMax[2] = 5;
  b.Visual.BoxMax[1] = b.Visual.Height = 12;
  struct Case {
    int32_t player, now;
    bool shown;
    float y;
    uint32_t alpha;
  };
  for (const Case& c : {Case{2, 1000, false, 0, 0}, Case{2, 1001, true, 12.25f, 70}, Case{2, 1023, true, 17.75f, 224},
                        Case{2, 1099, true, 36.75f, 140}, Case{2, 1100, false, 0, 0}, Case{3, 1001, false, 0, 0}}) {
    Vec3 at{};
    uint32_t colour = 0;
    ASSERT_EQ(ChangedHandsSprite(b, c.player, c.now, at, colour), c.shown) << c.now;
    if (!c.shown) continue;
    EXPECT_FLOAT_EQ(at.x, 10) << c.now;
    EXPECT_FLOAT_EQ(at.z, 20) << c.now;
    EXPECT_FLOAT_EQ(at.y, c.y) << c.now;
    EXPECT_EQ(colour >> 24, c.alpha) << c.now;
  }
}

TEST(Outlines, MarkerScaleAndPulse) {
  const struct {
    Vec3 size;
    float scale;
  } cases[] = {
      {{6, 20, 9}, 2.0f},       // a third of the smallest side
      {{30, 12, 40}, 3.0f},     // larger than 3: 3
      {{0.75f, 5, 5}, 3.0f},    // 0.25 lies within 0.24 .. 0.26: 3
      {{0.9f, 5, 5}, 0.3f},
      {{5, 0.6f, 5}, 0.2f},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(OutlineMarkerScale({0, 0, 0}, c.size), c.scale, 1e-6f) << c.size.x << " " << c.size.y;
  EXPECT_FLOAT_EQ(OutlinePulseScale(15), 1.0f);
  EXPECT_FLOAT_EQ(OutlinePulseScale(0), 271.0f / 256.0f);
  EXPECT_FLOAT_EQ(OutlinePulseScale(31 + 32), 272.0f / 256.0f);
}

TEST(Smoke, EmittersReleaseParticlesOnTheirInterval) {
  const Vec3 chimney{10, 20, 30};
  const Vec3 points[2] = {{1, 2, 3}, {4, 5, 6}};
  InitSmokeEmitters(chimney, points, 2, 100);
  const std::vector<SmokeEmitter>& e = SmokeEmitters();
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[1].position.y, 4.0f);   // raised by 2
  EXPECT_EQ(e[1].position.z, -3.0f);  // z as the model holds it, negated
  auto live = [&](size_t i) {
    int32_t n = 0;
    for (const SmokeParticle& p : e[i].particles) n += p.active ? 1 : 0;
    return n;
  };
  for (int32_t t = 100; t < 105; ++t) UpdateSmokeEmitters(t);
  EXPECT_EQ(live(0), 1);  // at the start tick only
  for (int32_t t = 105; t <= 130; ++t) UpdateSmokeEmitters(t);
  EXPECT_EQ(live(0), 4);  // ticks 100, 110, 120, 130
  for (const SmokeParticle& p : e[0].particles)
    if (p.active) {
      EXPECT_GE(p.speed, 3.0f);
      EXPECT_LE(p.speed, 8.0f);
      EXPECT_GT(p.position.y, chimney.y - 1e-3f);
    }
  InitSmokeEmitters(chimney, nullptr, 0, 0);
  EXPECT_EQ(SmokeEmitters().size(), 1u);
}

TEST(PulsingLights, StepByTwentyEveryPeriodAndTurnAtTheEnds) {
  std::vector<PulsingLight>& lights = PulsingLights();
  lights.assign(1, PulsingLight{0, 3, 230, true, 0});
  StepPulsingLights();
  StepPulsingLights();
  EXPECT_EQ(lights[0].brightness, 230);  // counting to the period
  StepPulsingLights();
  EXPECT_EQ(lights[0].brightness, 250);
  for (int i = 0; i < 3; ++i) StepPulsingLights();
  EXPECT_EQ(lights[0].brightness, 255);  // clamped, and turned
  EXPECT_FALSE(lights[0].rising);
  for (int i = 0; i < 3; ++i) StepPulsingLights();
  EXPECT_EQ(lights[0].brightness, 235);
  EXPECT_EQ(lights[0].copy, 235);
  lights.assign(1, PulsingLight{0, 1, 10, false, 0});
  StepPulsingLights();
  EXPECT_EQ(lights[0].brightness, 0);
  EXPECT_TRUE(lights[0].rising);
  lights.clear();
}

TEST(NightLights, RingSegmentsIntensityAndGroups) {
  const struct {
    float depth;
    int32_t segments;
  } rings[] = {{1.0f, 64}, {16.0f, 40}, {32.0f, 32}, {256.0f, 8}, {512.0f, 7}, {1e6f, 7}};
  for (const auto& r : rings) EXPECT_EQ(LightRingSegments(r.depth), r.segments) << r.depth;
  EXPECT_FLOAT_EQ(LightPoolIntensity(100), 1.0f);
  EXPECT_FLOAT_EQ(LightPoolIntensity(400), 0.5f);
  EXPECT_FLOAT_EQ(LightPoolIntensity(500), 0.0f);
  EXPECT_FLOAT_EQ(LightPoolIntensity(900), 0.0f);
  // Full day lights nothing; deep night lights every group; dusk some.
  int32_t dusk = 0;
  for (int32_t i = 0; i < 16; ++i) {
    EXPECT_FALSE(LightGroupLit(i, 255));
    EXPECT_TRUE(LightGroupLit(i, 20));
    EXPECT_EQ(LightGroupLit(i, 130), LightGroupLit(i + 16, 130));
    dusk += LightGroupLit(i, 130) ? 1 : 0;
  }
  EXPECT_GT(dusk, 0);
  EXPECT_LT(dusk, 16);
}

TEST(PlanView, BuildingColoursBlinkByTheFilters) {
  const uint32_t own = 0xFF3060E0u;
  PlanViewFilters f;
  const uint32_t on = 20, off = 3;  // blink phase: (tick mod 32) > 16
  const PlanBusinessFacts shop{2, 7, 1, 1u << 5}, other{3, 8, 1, 1u << 4};
  EXPECT_EQ(PlanBuildingColour(own, nullptr, f, off), 0xFFFFFFFFu);  // no business: white
  EXPECT_EQ(PlanBuildingColour(own, &shop, f, on), own);             // no filter: own colour
  f.use = 2;
  EXPECT_EQ(PlanBuildingColour(own, &shop, f, on), 0xFFFFFFFFu);
  EXPECT_EQ(PlanBuildingColour(own, &shop, f, off), own);
  EXPECT_EQ(PlanBuildingColour(own, &other, f, on), own);
  // The hovered business wins over the use, the use over the player, the
  // player over the commodity.
  f.business = 8;
  EXPECT_EQ(PlanBuildingColour(own, &shop, f, on), own);
  EXPECT_EQ(PlanBuildingColour(own, &other, f, on), 0xFFFFFFFFu);
  f.business = -1;
  f.player = 1;
  EXPECT_EQ(PlanBuildingColour(own, &other, f, on), own);
  f.use = -1;
  EXPECT_EQ(PlanBuildingColour(own, &other, f, on), 0xFFFFFFFFu);
  f.player = -1;
  f.commodity = 5;
  EXPECT_EQ(PlanBuildingColour(own, &shop, f, on), 0xFFFFFFFFu);
  EXPECT_EQ(PlanBuildingColour(own, &other, f, on), own);
}

}  // namespace

namespace {

// A selected block gets eight corner markers in the selection colour, a
// hovered one eight more in the hover colour.
TEST_F(ScenePassTest, SelectedAndHoveredBlocksAreOutlined) {
  SetProjection(640, 480, 53.0f, 1.0f, 3000.0f, 1.0f, 0.0f);
  Mat43 view;
  MatLookAt(0, 200, -100, 0, 0, 40, 0, 1, 0, view);
  PublishViewMatrix(view);
  const CBlock saved[2] = {g_Blocks[0], g_Blocks[1]};
  for (int i = 0; i < 2; ++i) {
    CBlock& b = g_Blocks[size_t(i)];
    b.InUse = 1;
    b.MinX = -41 + 90.0f * float(i), b.MinZ = -1, b.SizeX = b.SizeZ = 82;
    b.FirstBuilding = nullptr;
  }
  CEntity blocks[2];
  for (int i = 0; i < 2; ++i) {
    blocks[i].objectKind = kPickBlock;
    blocks[i].index = i;
    blocks[i].flags |= kEntVisible | kEntInView;
  }
  SelectedObject() = &blocks[0];
  HoveredObject() = &blocks[1];
  SetDrawRangesUnlimited();
  DrawSelectionOutlines();
  ASSERT_EQ(renderer.colours.size(), 2u * 8 * 3);  // three arms at eight corners, twice
  // Pulsing: the selection green scaled by the tick, the hover colour as is.
  EXPECT_EQ(renderer.colours[0], PulseColour(kSelectedColour, FrameTick()));
  EXPECT_EQ(renderer.colours[24], kHoveredColour);
  // The same object hovered and selected is outlined once; nothing selected
  // in view, nothing drawn.
  renderer.colours.clear();
  HoveredObject() = &blocks[0];
  DrawSelectionOutlines();
  EXPECT_EQ(renderer.colours.size(), 24u);
  renderer.colours.clear();
  blocks[0].flags &= uint8_t(~kEntInView);
  DrawSelectionOutlines();
  EXPECT_TRUE(renderer.colours.empty());
  SelectedObject() = nullptr;
  HoveredObject() = nullptr;
  g_Blocks[0] = saved[0];
  g_Blocks[1] = saved[1];
}

}  // namespace

namespace {

// SHOWDOORPOS puts a marker over each door point of a standing building
// (each marker is drawn in two passes).
TEST_F(ScenePassTest, DoorPointsAreMarkedOnlyWithTheDebugFlag) {
  const CBuilding saved = g_Buildings[0];
  CBuilding& b = g_Buildings[0];
  b.InUse = 1;
  b.Block = &g_Blocks[0];
  b.CentreX = 5, b.CentreZ = 7;
  b.Visual.DoorCount = 2;
  b.Visual.Doors[0] = {1, 0, 2};
  b.Visual.Doors[1] = {-1, 0, -2};
  auto markers = [&] {
    renderer.calls.clear();
    DrawCityPasses(renderer, true);
    return std::count(renderer.calls.begin(), renderer.calls.end(), "DrawIndexedUntextured");
  };
  const auto without = markers();
  g_DebugFlags.SHOWDOORPOS = 1;
  const auto with = markers();
  g_DebugFlags.SHOWDOORPOS = 0;
  EXPECT_EQ(with - without, 2 * 2);
  EXPECT_NEAR(LastGroundMarker().vertices[0].x, 4, 1e-5f);  // the last door, in the city's frame
  EXPECT_NEAR(LastGroundMarker().vertices[0].z, 5, 1e-5f);
  g_Buildings[0] = saved;
}

}  // namespace

namespace {

// A block is hovered and clicked only once a frame has marked it in view:
// each renderer's own pass list must draw the block bases.
TEST_F(ScenePassTest, BlocksArePickedAfterEitherRenderersPasses) {
  SetProjection(640, 480, 53.0f, 1.0f, 3000.0f, 1.0f, 0.0f);
  Mat43 view;
  MatLookAt(0, 200, -100, 0, 0, 40, 0, 1, 0, view);
  PublishViewMatrix(view);
  const Vec3 p[8] = {{-41, 0, -41}, {41, 0, -41}, {41, 0.3f, -41}, {-41, 0.3f, -41},
                     {-41, 0, 41},  {41, 0, 41},  {41, 0.3f, 41},  {-41, 0.3f, 41}};
  const TexCoord uv[8] = {};
  ModelLodSet slab{};
  slab.handles[0] = ModSysCreateSelfBuiltModel(1, 8, p, uv, nullptr);
  slab.count = 1;
  ModSysAddQuad(0, 1, 2, 3);
  ModSysEndPrimitive(slab.handles[0], 0, 0, 0);
  ModSysCalcBounds(slab.handles[0]);
  CEntityHouse& bases = BlockBaseEntities();
  ASSERT_TRUE(bases.Allocate(1));
  CEntity* base = bases.AddModel(&slab, {0, 0, 40}, 0, kEntityKindBlockBase, 0);
  ASSERT_NE(base, nullptr);
  const CBlock saved = g_Blocks[0];
  g_Blocks[0].InUse = 1;
  g_Blocks[0].FirstBuilding = nullptr;
  ResetPicking();
  RunState().gameRunning = true;
  SetScreenMode(kScreenCity);
  // The mouse over the middle of the screen, where the block lies.
  g_InputState.uiCursorX = 320, g_InputState.uiCursorY = 240;
  for (const bool hardware : {true, false}) {
    SCOPED_TRACE(hardware ? "full passes" : "reduced passes");
    ResetPicking();
    base->flags = uint8_t(base->flags & ~kEntInView);
    RunPickTask();
    EXPECT_EQ(HoveredObject(), nullptr) << "nothing is in view before a frame";
    DrawCityPasses(renderer, hardware);
    RunPickTask();
    EXPECT_EQ(HoveredObject(), base);
    g_InputState.mouse.buttons[0] = 1;
    RunPickClicks();
    g_InputState.mouse.buttons[0] = 0;
    EXPECT_EQ(SelectedObject(), base) << "the click takes what the hover shows";
  }
  ResetPicking();
  RunState().gameRunning = false;
  bases.Release();
  g_Blocks[0] = saved;
}

}  // namespace
