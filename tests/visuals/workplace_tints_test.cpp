// The people pass's workplace tints: the business types' colours read from
// their file, and every worker in view drawn once more in the colour of the
// type of business they work at, through each renderer's own pass list.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "city/blocks.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/buildings.h"
#include "city/people.h"
#include "city/person.h"
#include "engine/core/play_warning.h"
#include "engine/core/system_settings.h"
#include "engine/recording_renderer.h"
#include "engine/render/shader_mode.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "presentation_fixture.h"
#include "visuals/scene/draw_distances.h"
#include "visuals/scene/scene_passes.h"
#include "visuals/scene/workplace_tints.h"

namespace {

constexpr uint32_t kBakery = 0xFFD9A441u;

TEST(BusinessTypeColours, TheFileGivesTypesTheirColoursAndTheRestStayGrey) {
  ResetBusinessTypes();
  const int32_t before = PerFileReportCount("business colour", "gamedata\\business_colours.txt");
  const int32_t kept = ParseBusinessTypeColours(
      "# workers' colours\n"
      "bakery #D9A441\n"
      "  Cafe   #a0522d  \n"
      "no_such_shop #123456\n"
      "diner #12345\n"
      "bar\n"
      "\n");
  EXPECT_EQ(kept, 2);
  EXPECT_EQ(PerFileReportCount("business colour", "gamedata\\business_colours.txt") - before, 3);
  const int bakery = FindBusinessTypeByName("bakery"), cafe = FindBusinessTypeByName("cafe");
  const std::pair<int32_t, uint32_t> cases[] = {{bakery, kBakery},
                                                {cafe, 0xFFA0522Du},
                                                {FindBusinessTypeByName("diner"), kWorkerGrey},
                                                {FindBusinessTypeByName("bar"), kWorkerGrey},
                                                {-1, kWorkerGrey},
                                                {kBusinessTypeCount, kWorkerGrey}};
  for (const auto& [type, colour] : cases) EXPECT_EQ(BusinessTypeColour(type), colour) << type;
}

// Keeps the colour each person entity wore when it reached the renderer,
// and the software shader word in force then.
class TintRecorder : public RecordingRenderer {
 public:
  void DrawEntity(CEntity* e) override {
    RecordingRenderer::DrawEntity(e);
    if (e == &g_PersonEntities[0]) draws.push_back({e->colour, value});
  }
  void SetShader(int32_t index) override {
    RecordingRenderer::SetShader(index);
    value = 0;
  }
  void SetSoftwareShaderValue(uint32_t v) override { value = v; }
  struct Draw {
    uint32_t colour, value;
  };
  std::vector<Draw> draws;
  uint32_t value = 0;
};

class WorkplaceTintTest : public PresentationTest {
 protected:
  void SetUp() override {
    PresentationTest::SetUp();
    ModSysCreate();
    SetRenderer(&renderer);
    DetailChoice = 2;
    saved_ = {g_People[0], g_PersonCycles[0], g_PersonEntities[0], g_Buildings[0], g_Blocks[0], g_Businesses[0],
              g_PeopleCount};
    ResetBusinessTypes();
    ParseBusinessTypeColours("bakery #D9A441\n");
  }
  void TearDown() override {
    g_People[0] = saved_.person, g_PersonCycles[0] = saved_.cycle, g_PersonEntities[0] = saved_.entity;
    g_Buildings[0] = saved_.building, g_Blocks[0] = saved_.block, g_Businesses[0] = saved_.business;
    g_PeopleCount = saved_.count;
    SetRenderer(nullptr);
    ModSysDestroy();
    PresentationTest::TearDown();
  }
  // A baker on the street in front of the camera, working at the bakery of
  // block 0 (or, with `works` false, at no business's door).
  void PlaceBaker(bool works) {
    SetProjection(640, 480, 53.0f, 1.0f, 3000.0f, 1.0f, 0.0f);
    Mat43 view;
    MatLookAt(0, 20, -60, 0, 0, 0, 0, 1, 0, view);
    PublishViewMatrix(view);
    const Vec3 p[4] = {{-1, 0, 0}, {1, 0, 0}, {1, 3, 0}, {-1, 3, 0}};
    const TexCoord uv[4] = {};
    figure_.handles[0] = ModSysCreateSelfBuiltModel(1, 4, p, uv, nullptr);
    figure_.count = 1;
    ModSysAddQuad(0, 1, 2, 3);
    ModSysEndPrimitive(figure_.handles[0], 0, 0, 0);
    ModSysCalcBounds(figure_.handles[0]);

    CBlock& block = g_Blocks[0];
    block.InUse = 1;
    CBuilding& bakery = g_Buildings[0];
    bakery = CBuilding{};
    bakery.Id = 0, bakery.InUse = 1, bakery.Block = &block, bakery.CentreX = 30, bakery.CentreZ = 40;
    bakery.BusinessIndex = 0;
    block.FirstBuilding = &bakery;
    CBusiness& business = g_Businesses[0];
    business = CBusiness{};
    business.InUse = 1, business.Type = FindBusinessTypeByName("bakery"), business.Kind = kBusinessShop;

    g_PeopleCount = std::max(g_PeopleCount, 1);
    CPerson& baker = g_People[0];
    baker = CPerson{};
    baker.InUse = 1, baker.Index = 0, baker.WorkBlock = 0;
    DoorOf(works ? 0 : -1, g_PersonCycles[0].WorkDoor);
    CEntity& e = g_PersonEntities[0];
    e = CEntity{};
    e.SetModel(&figure_);
    e.flags |= kEntVisible | kEntRebuildMatrix;
  }
  TintRecorder renderer;
  ModelLodSet figure_{};
  struct Saved {
    CPerson person;
    PersonCycle cycle;
    CEntity entity;
    CBuilding building;
    CBlock block;
    CBusiness business;
    int32_t count;
  } saved_;
};

TEST_F(WorkplaceTintTest, AWorkerIsDrawnAgainInTheColourOfTheWorkplacesTypeOnEitherPassList) {
  PlaceBaker(true);
  uint32_t tint = 0;
  ASSERT_TRUE(WorkplaceTint(g_People[0], tint));
  EXPECT_EQ(tint, kBakery);
  for (const bool hardware : {true, false}) {
    SCOPED_TRACE(hardware ? "full passes" : "reduced passes");
    renderer.draws.clear();
    DrawCityPasses(renderer, hardware);
    ASSERT_EQ(renderer.draws.size(), 2u) << "drawn as they are, then tinted";
    EXPECT_EQ(renderer.draws[0].colour, 0xFFFFFFFFu);
    EXPECT_EQ(renderer.draws[1].colour, kBakery);
    EXPECT_EQ(renderer.draws[1].value, kShaderSoftFlatDepth);
    EXPECT_EQ(g_PersonEntities[0].colour, 0xFFFFFFFFu) << "the entity keeps its own colour";
  }
}

TEST_F(WorkplaceTintTest, PeopleWhoWorkNowhereOrAreOutOfViewAreNotTinted) {
  PlaceBaker(false);
  uint32_t tint = 0;
  EXPECT_FALSE(WorkplaceTint(g_People[0], tint));
  DrawCityPasses(renderer, true);
  EXPECT_EQ(renderer.draws.size(), 1u);

  PlaceBaker(true);
  g_PersonEntities[0].position = {0, 0, -500};  // behind the camera
  renderer.draws.clear();
  DrawCityPasses(renderer, true);
  EXPECT_TRUE(renderer.draws.empty());
}

}  // namespace
