// Screen modes, the near plane and the decade road textures.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "engine/input/camera_controller.h"
#include "engine/render/renderer.h"
#include "presentation_fixture.h"
#include "engine/core/run_state.h"
#include "visuals/overlay/frame_draw.h"

namespace {

class RecordingPanels : public ScreenModePanels {
 public:
  bool IsOpen(ModePanel p) override { return open.count(p) != 0; }
  void Open(ModePanel p) override { open.insert(p); }
  void Close(ModePanel p) override { open.erase(p); }
  void SetManagers(bool f, bool g, bool a) override { managers = {f, g, a}; }
  std::set<ModePanel> open;
  std::tuple<bool, bool, bool> managers{};
};

class ScreenModeTest : public PresentationTest {
 protected:
  void SetUp() override {
    PresentationTest::SetUp();
    SetScreenModePanels(&panels);
    ResetScreenModes();
    CamInit(50, 0);
  }
  void TearDown() override {
    SetScreenModePanels(nullptr);
    ResetScreenModes();
    PresentationTest::TearDown();
  }
  RecordingPanels panels;
};

TEST_F(ScreenModeTest, MenuKeepsTheSceneBehindItAndReturnsThePreviousMode) {
  const struct {
    int32_t from, scene;
  } cases[] = {{kScreenCity, kDrawCity}, {kScreenAuction, kDrawAuction}, {kScreenPlan, kDrawPlan},
               {kScreenBlank, kDrawCity}};
  for (const auto& c : cases) {
    SetScreenMode(c.from);
    EXPECT_EQ(SetScreenMode(kScreenMenu), c.from);
    EXPECT_EQ(GetScreenMode(), kScreenMenu);
    EXPECT_EQ(GetDrawMode(), c.scene) << "from " << c.from;
    EXPECT_EQ(panels.managers, std::make_tuple(true, false, false));
  }
  // Back to the mode the switch returned: its panel sets again.
  SetScreenMode(kScreenPlan);
  const int32_t before = SetScreenMode(kScreenMenu);
  SetScreenMode(before);
  EXPECT_EQ(GetDrawMode(), kDrawPlan);
  EXPECT_EQ(panels.managers, std::make_tuple(false, true, false));
  EXPECT_TRUE(panels.IsOpen(ModePanel::CityOverview));
}

TEST_F(ScreenModeTest, PlanViewPlacesTheCameraAndRemembersThePanels) {
  panels.open = {ModePanel::SelectionInfo, ModePanel::Business, ModePanel::Rent};
  SetScreenMode(kScreenPlan);
  EXPECT_EQ(g_CameraState.mode, 4);
  EXPECT_FLOAT_EQ(g_CameraState.targetEye.y, 1050.0f);
  EXPECT_FLOAT_EQ(g_CameraState.targetLookAt.x, -220.0f);
  EXPECT_FALSE(panels.IsOpen(ModePanel::Business));
  EXPECT_FALSE(panels.IsOpen(ModePanel::Rent));
  EXPECT_TRUE(panels.IsOpen(ModePanel::BlockMarkers));
  EXPECT_TRUE(PlanMemory().selectionInfo);
  EXPECT_TRUE(PlanMemory().business);
  SetScreenMode(kScreenCity);
  EXPECT_TRUE(panels.IsOpen(ModePanel::SelectionInfo));
  EXPECT_TRUE(panels.IsOpen(ModePanel::Business));
  EXPECT_TRUE(panels.IsOpen(ModePanel::Navigator));
  EXPECT_FALSE(panels.IsOpen(ModePanel::BlockMarkers));
  // Entered from another mode, the memory is left as it was.
  panels.open.clear();
  SetScreenMode(kScreenAuction);
  EXPECT_EQ(panels.managers, std::make_tuple(false, false, true));
  SetScreenMode(kScreenPlan);
  EXPECT_TRUE(PlanMemory().business);
}

// Leaving the plan view puts the block's information where the
// construction panel stood (the panel itself closed on the way in).
TEST_F(ScreenModeTest, ThePlanViewEnteredWhileBuildingGivesBackTheInformation) {
  panels.open = {ModePanel::Construction, ModePanel::Navigator};
  SetScreenMode(kScreenPlan);
  EXPECT_FALSE(panels.IsOpen(ModePanel::Construction));
  SetScreenMode(kScreenCity);
  EXPECT_TRUE(panels.IsOpen(ModePanel::SelectionInfo));
  EXPECT_FALSE(panels.IsOpen(ModePanel::Construction));
}

TEST(NearPlane, FollowsTheEyeHeight) {
  EXPECT_FLOAT_EQ(NearPlaneForEye(14.9f), 1.0f);
  EXPECT_FLOAT_EQ(NearPlaneForEye(20.0f), 4.0f);
  EXPECT_FLOAT_EQ(NearPlaneForEye(100.0f), 10.0f);
}

class DecadeTextureTest : public PresentationTest {
 protected:
  // A 256 x 256 32-bit picture of one colour (bytes B, G, R, A).
  void WriteRoad(int32_t decade, int32_t variant, uint32_t bgra, size_t cut = 0) {
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = 2, bytes[13] = 1, bytes[15] = 1, bytes[16] = 32;
    for (int32_t i = 0; i < 256 * 256; ++i)
      for (int k = 0; k < 4; ++k) bytes.push_back(uint8_t(bgra >> (8 * k)));
    bytes.resize(bytes.size() - cut);
    std::string name = RoadTextureFile(decade, variant);
    for (char& c : name)
      if (c == '\\') c = '/';
    WriteBytes(name, bytes);
  }
  void TearDown() override {
    ResetRoadDecade();
    PresentationTest::TearDown();
  }
};

TEST_F(DecadeTextureTest, LoadsOncePerDecadeAndLateDecadesCountAsTheLast) {
  const int32_t a = OwnPageTexture(64, 0), b = OwnPageTexture(64, 0);
  WriteRoad(7, 0, 0xFF102030);  // B 0x30, G 0x20, R 0x10
  WriteRoad(7, 1, 0xFF405060);
  EXPECT_EQ(RoadTextureFile(7, 1), "gamedata\\roadtextures\\road_2000_B.tga");
  EXPECT_FALSE(LoadDecadeTextures(nullptr, 9, false, a, b));  // the software renderer keeps its own
  EXPECT_TRUE(LoadDecadeTextures(nullptr, 9, true, a, b));
  EXPECT_EQ(LastRoadDecade(), 7);
  // Halved down to the page and turned into the page's R, G, B, A bytes.
  EXPECT_EQ(PagePixels(a)[0], 0xFF302010u);
  EXPECT_EQ(PagePixels(b)[64 * 64 - 1], 0xFF605040u);
  PagePixels(a)[0] = 0;
  EXPECT_FALSE(LoadDecadeTextures(nullptr, 9, true, a, b));
  EXPECT_FALSE(LoadDecadeTextures(nullptr, 7, true, a, b));
  EXPECT_EQ(PagePixels(a)[0], 0u);
}

TEST_F(DecadeTextureTest, AMissingOrShortFileLeavesItsPageWithAWarning) {
  const int32_t a = OwnPageTexture(64, 0xFFABCDEFu), b = OwnPageTexture(64, 0xFF123456u);
  WriteRoad(2, 0, 0xFF000000, 1000);  // short
  EXPECT_TRUE(LoadDecadeTextures(nullptr, 2, true, a, b));
  EXPECT_EQ(PagePixels(a)[0], 0xFFABCDEFu);
  EXPECT_EQ(PagePixels(b)[0], 0xFF123456u);
  EXPECT_EQ(boxes_.size(), 2u);
}

}  // namespace

namespace {

TEST(DebugText, LinesFollowTheStatisticsAndAFrameWithoutCallsAveragesZero) {
  const RendererStats saved = GetRendererStats();
  GetRendererStats() = RendererStats{};
  GetRendererStats().verticesSubmitted = 90;
  std::vector<OverlayLine> lines = DebugTextLines(12, 34, 50.0f, 0);
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines[0].text, "NormMouse 12 34\n");
  EXPECT_EQ(lines[0].x, 470);
  EXPECT_EQ(lines[2].text, "polycount:- 0\n");
  EXPECT_EQ(lines[7].text, "AvVertsPerCall  :- 0\n");
  GetRendererStats().drawCalls = 3;
  lines = DebugTextLines(0, 0, 50.0f, 2000000);
  EXPECT_EQ(lines[7].text, "AvVertsPerCall  :- 30\n");
  EXPECT_EQ(lines[3].text, "polys/sec:- 100.00million\n");
  EXPECT_EQ(lines[14].y, 460);
  GetRendererStats() = saved;
}

}  // namespace
