// The game camera's modes, tracker and save records.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/scene/entity.h"
#include "platform/input.h"
#include "presentation_fixture.h"
#include "script/script.h"
#include "ui/cursors.h"
#include "visuals/camera/game_camera.h"

namespace {

constexpr float kPi = 3.14159265358979f;

class GameCameraTest : public PresentationTest {
 protected:
  void SetUp() override {
    PresentationTest::SetUp();
    CamInit(50, 0);
    RegisterGameCameraModes();
    CameraSettings() = GameCameraSettings{};
    ClearCameraTracker();
  }
  void TearDown() override {
    Script().Destroy();
    SetCameraPath({}, 0, 0);
    CameraSettings() = GameCameraSettings{};
    PresentationTest::TearDown();
  }
  static void RightDrag(int32_t dx, int32_t dy) {
    g_InputState.mouse.buttons[1] = 1;
    g_InputState.mouse.x = dx;
    g_InputState.mouse.y = dy;
  }
};

TEST_F(GameCameraTest, RightDragTurnIsClampedToFourteen) {
  SetBlockCameraCentre({0, 0, 0}, 120, 80);
  CamSetMode(kCamBlock);
  const float before = g_CameraState.yaw;
  RightDrag(20, 0);
  CamUpdate();
  EXPECT_NEAR(g_CameraState.yaw - before, -2.0f * 14 / 150, 1e-6f);
  EXPECT_FLOAT_EQ(g_CameraState.orbitTargetYaw, g_CameraState.yaw);
  // Without camera control the mouse does nothing.
  CameraSettings().cameraControl = false;
  const float held = g_CameraState.yaw;
  CamUpdate();
  EXPECT_FLOAT_EQ(g_CameraState.yaw, held);
}

// A right drag turns the view under the rotate cursor; both buttons pan it
// under the track cursor.
TEST_F(GameCameraTest, DraggingAsksForTheRotateAndTrackCursors) {
  SetBlockCameraCentre({0, 0, 0}, 120, 80);
  CamSetMode(kCamBlock);
  const struct {
    bool left, right;
    int32_t cursor;
  } cases[] = {{false, true, kCursorRotate}, {true, true, kCursorTrack}};
  for (const auto& c : cases) {
    ResetCursors();
    RequestCursor(kCursorCity, 1);
    DecayCursorPriority();  // the pick task's request of the last step
    g_InputState.mouse.buttons[0] = c.left;
    g_InputState.mouse.buttons[1] = c.right;
    g_InputState.mouse.x = 5;
    CamUpdate();
    EXPECT_EQ(GetCursorState().requested, c.cursor) << c.left;
  }
  ResetCursors();
}

TEST_F(GameCameraTest, ZoomAndHeightKeysKeepTheEyeBetweenTheLimits) {
  for (int32_t performance : {2, 0}) {
    CameraSettings().performance = performance;
    const float low = performance ? 17.0f : 25.0f;
    SetDistrictCameraTarget(1);
    CamSetMode(kCamDistrict);
    for (int i = 0; i < 400; ++i) {
      RightDrag(0, 30);  // down: in
      CamUpdate();
      EXPECT_GT(g_CameraState.targetEye.y, low);
    }
    g_InputState.mouse = {};
    for (int i = 0; i < 300; ++i) {
      Hold(platform::key::kPageDown);
      CamUpdate();
    }
    EXPECT_GE(g_CameraState.targetEye.y, low);
    ReleaseAll();
    for (int i = 0; i < 400; ++i) {
      RightDrag(0, -30);
      CamUpdate();
      EXPECT_LT(g_CameraState.targetEye.y, 200.0f);
    }
    g_InputState.mouse = {};
    for (int i = 0; i < 300; ++i) {
      Hold(platform::key::kPageUp);
      CamUpdate();
    }
    EXPECT_LE(g_CameraState.targetEye.y, 200.0f);
    ReleaseAll();
  }
}

TEST_F(GameCameraTest, BuildingHeadingGoalComparesWholeUnits) {
  const struct {
    float dx, dz, goal;
  } cases[] = {{3.7f, -3.2f, 3 * kPi / 4}, {-2, 2, -kPi / 4},  {-2, -2, kPi / 4},
               {2, 2, -3 * kPi / 4},     {1, -5, kPi / 2},    {1, 5, -kPi / 2},
               {-5, 1, 0},               {5, 1, kPi}};
  for (const auto& c : cases) {
    float goal = 99;
    ASSERT_TRUE(BuildingHeadingGoal(c.dx, c.dz, goal)) << c.dx << "," << c.dz;
    EXPECT_FLOAT_EQ(goal, c.goal) << c.dx << "," << c.dz;
  }
  float goal = 7;
  EXPECT_FALSE(BuildingHeadingGoal(0, 0, goal));
  EXPECT_EQ(goal, 7);
  // Set up from a pick: the goal is brought within pi of the heading.
  g_CameraState.yaw = 3 * kPi;
  SetBuildingCameraTarget({10, 0, 10}, {13.7f, 0, 6.8f}, 2, {}, {});
  EXPECT_LE(std::fabs(g_CameraState.orbitTargetYaw - g_CameraState.yaw), kPi + 1e-5f);
  EXPECT_FLOAT_EQ(g_CameraState.targetEye.y, 70.0f);
}

TEST_F(GameCameraTest, FlybyPathWrapsAndAScriptCanCatchTheEnd) {
  std::vector<Vec3> path;
  for (int frame = 0; frame < 3; ++frame)
    for (int v = 0; v < 4; ++v) path.push_back({float(frame * 10 + v), 5, float(frame)});
  SetCameraPath(path, 4, 3);
  CamSetMode(kCamFlybyPath);
  ASSERT_TRUE(Script().Create());  // nothing catches the end yet
  CamUpdate();  // frame 1
  CamUpdate();  // frame 2
  EXPECT_FLOAT_EQ(g_CameraState.targetEye.x, 20.0f);
  EXPECT_FLOAT_EQ(g_CameraState.targetEye.z, -2.0f);
  CamUpdate();  // past the last: back to frame 0, not caught
  EXPECT_EQ(g_CameraState.modeData, 0);
  EXPECT_FLOAT_EQ(g_CameraState.targetEye.x, 0.0f);
  EXPECT_FLOAT_EQ(g_CameraState.targetLookAt.x, 3.0f);
  ASSERT_TRUE(Script().RunText("function CATCHEVENT_FlybyEnded(a) offered = (offered or 0) + 1 end", "test", false));
  CamUpdate();
  CamUpdate();
  g_CameraState.targetEye.x = -1;
  CamUpdate();  // caught: the step ends there
  EXPECT_TRUE(Script().RunText("if offered ~= 1 then error(\"offered \" .. tostring(offered)) end", "test", false));
  EXPECT_FLOAT_EQ(g_CameraState.targetEye.x, -1.0f);
}

TEST_F(GameCameraTest, TrackerRefusesThe257th) {
  CEntity e;
  for (int i = 0; i < kCameraTrackerCapacity; ++i) EXPECT_EQ(AddToCameraTracker(&e), i + 1);
  EXPECT_EQ(AddToCameraTracker(&e), 256);
  EXPECT_EQ(CameraTrackerCount(), 256);
}

TEST_F(GameCameraTest, RecordsRoundTripAndOnlyTheirOwnLengthIsAccepted) {
  CEntity person;
  person.objectKind = kCamObjectVehicle;
  SetFollowCameraTarget(&person);
  CamSetMode(kCamFollow);
  g_CameraState.followed = 0xDEADBEEF;
  g_CameraState.orbitRadius = 42;
  const CameraState saved = g_CameraState;
  const std::vector<uint8_t> bytes = EncodeRecord(saved);
  // The record is the structure's own image, with the pointer written as 0.
  CameraState image = saved;
  image.followed = 0;
  ASSERT_EQ(bytes.size(), kCameraChunkSize);
  EXPECT_EQ(std::memcmp(bytes.data(), &image, kCameraChunkSize), 0);
  CamInit(50, 0);
  CameraState staged{};
  ASSERT_TRUE(DecodeRecord(bytes, staged));
  LoadCameraState(staged);
  EXPECT_EQ(g_CameraState.mode, kCamFollow);
  EXPECT_FLOAT_EQ(g_CameraState.orbitRadius, 42.0f);
  EXPECT_EQ(g_CameraState.followed, 0u);   // restored as none
  EXPECT_EQ(FollowedObject(), nullptr);
  LoadStoredCameraState(staged);
  EXPECT_FLOAT_EQ(StoredCameraState().orbitRadius, 42.0f);
  // Another length, or a number that is not finite, refuses the record.
  for (size_t length : {size_t(0), size_t(195), size_t(197)}) {
    std::vector<uint8_t> other(length, 0);
    EXPECT_FALSE(DecodeRecord(other, staged));
  }
  std::vector<uint8_t> nan = bytes;
  std::memset(nan.data() + offsetof(CameraState, yaw), 0xFF, 4);
  EXPECT_FALSE(DecodeRecord(nan, staged));
}

}  // namespace
