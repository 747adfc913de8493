#include "engine/input/camera_controller.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/scene/entity.h"
#include "engine/input/input_device.h"

namespace {

namespace key = platform::key;

class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_InputState = InputState{};
    g_CameraState = CameraState{};
    CamInit(50, 0);
  }
  CameraState& c = g_CameraState;
  // Current and target eye at the given points, nothing moving them.
  void Still(Vec3 eye, Vec3 target) {
    CamSetMode(4);
    c.eye = eye;
    c.targetEye = target;
    c.lookAt = c.targetLookAt = {0, 0, 0};
  }
};

TEST_F(CameraTest, InitialState) {
  EXPECT_EQ(c.mode, 0);
  EXPECT_EQ(c.steps, 10);
  EXPECT_TRUE(c.smoothEye && c.smoothLookAt);
  EXPECT_FALSE(c.orbitFollow);
  EXPECT_FLOAT_EQ(c.targetEye.z, -10);
  EXPECT_FLOAT_EQ(c.yaw, 3.14159265f / 2);
  EXPECT_FLOAT_EQ(c.pitchDivisor, 200);
  EXPECT_FLOAT_EQ(CamSlowSpeed(), 8.0f / 50);
  EXPECT_FLOAT_EQ(CamFastSpeed(), 80.0f / 50);
  EXPECT_EQ(c.up.y, 1);
  EXPECT_FALSE(CamModeChanged());
  CamSetMode(4);
  EXPECT_TRUE(CamModeChanged());
}

TEST_F(CameraTest, EasesByOneStepOfTheRemainingDistance) {
  Still({0, 0, 0}, {10, 0, 0});
  CamUpdate();
  EXPECT_FLOAT_EQ(c.eye.x, 1.0f);
  CamUpdate();
  EXPECT_FLOAT_EQ(c.eye.x, 1.9f);
}

TEST_F(CameraTest, SnapsWhenTheSummedDistanceReachesTheSnapDistance) {
  Still({0, 0, 0}, {4, 3, 3});
  c.snapDistance = 10;
  CamUpdate();
  EXPECT_FLOAT_EQ(c.eye.x, 4);
  EXPECT_FLOAT_EQ(c.eye.z, 3);
  // Below the distance it eases.
  c.targetEye = {8, 3, 3};
  CamUpdate();
  EXPECT_FLOAT_EQ(c.eye.x, 4.4f);
}

TEST_F(CameraTest, WithoutSmoothingOrWithFewStepsTheEyeJumps) {
  Still({0, 0, 0}, {10, 0, 0});
  c.steps = 1;
  CamUpdate();
  EXPECT_FLOAT_EQ(c.eye.x, 10);
  c.steps = 10;
  c.smoothEye = 0;
  c.targetEye = {20, 0, 0};
  CamUpdate();
  EXPECT_FLOAT_EQ(c.eye.x, 20);
}

TEST_F(CameraTest, InterpolatesByTheStepFractionOnlyWhenSmoothing) {
  Still({0, 0, 0}, {10, 0, 0});
  CamInterpolate(0.5f);
  EXPECT_FLOAT_EQ(c.drawnEye.x, 0.5f);  // 10 * 0.5 / 10
  c.smoothEye = 0;
  for (float f : {0.0f, 0.3f, 1.0f}) {
    CamInterpolate(f);
    EXPECT_FLOAT_EQ(c.drawnEye.x, 0);
  }
  // A damaged step count draws the current point rather than dividing by 0.
  c.smoothEye = 1;
  c.steps = 0;
  CamInterpolate(0.5f);
  EXPECT_FLOAT_EQ(c.drawnEye.x, 0);
}

TEST_F(CameraTest, PlanLockKeepsTheEyeAboveAndJustBehindTheLookAt) {
  CamSetMode(4);
  EXPECT_EQ(CamSetConstraint(kCamConstraintPlan), 0);
  c.targetLookAt = {30, 0, 40};
  c.targetEye = {0, 20, 0};
  CamUpdate();
  EXPECT_FLOAT_EQ(c.targetEye.x, 30);
  EXPECT_FLOAT_EQ(c.targetEye.y, 150);
  EXPECT_FLOAT_EQ(c.targetEye.z, 39.9f);
  c.targetEye.y = 400;
  CamUpdate();
  EXPECT_FLOAT_EQ(c.targetEye.y, 400);
}

TEST_F(CameraTest, OrbitFollowEasesTheYawAndCirclesTheCentre) {
  CamSetMode(4);
  c.orbitFollow = 1;
  c.yaw = 0;
  c.orbitTargetYaw = 1.0f;
  c.orbitRadius = 50;
  c.orbitCentreX = 100;
  c.orbitCentreZ = 200;
  CamUpdate();
  EXPECT_FLOAT_EQ(c.yaw, 0.1f);
  EXPECT_FLOAT_EQ(c.targetEye.x, 50 * std::cos(0.1f) + 100);
  EXPECT_FLOAT_EQ(c.targetEye.z, 50 * std::sin(0.1f) + 200);
}

TEST_F(CameraTest, KeysOrbitMovesWithArrowsAndShiftAndStopsForControl) {
  // Yaw pi/2: forward is +z.
  Vec3 start = c.targetEye;
  g_InputState.keys[key::kUp] = 0x80;
  CamUpdate();
  EXPECT_NEAR(c.targetEye.z, start.z + CamSlowSpeed(), 1e-5);
  EXPECT_NEAR(c.targetEye.x, start.x, 1e-5);
  EXPECT_NEAR(c.targetLookAt.z, c.targetEye.z + 100, 1e-4);
  g_InputState.keys[key::kRightShift] = 0x80;
  float z = c.targetEye.z;
  CamUpdate();
  EXPECT_NEAR(c.targetEye.z, z + CamFastSpeed(), 1e-5);
  g_InputState.keys[key::kRightControl] = 0x80;
  g_InputState.mouse.x = 40;
  z = c.targetEye.z;
  float yaw = c.yaw;
  CamUpdate();
  EXPECT_EQ(c.targetEye.z, z);
  EXPECT_EQ(c.yaw, yaw);
  // Page Up raises the eye; the mouse turns it.
  g_InputState = InputState{};
  g_InputState.keys[key::kPageUp] = 0x80;
  g_InputState.mouse.x = 50;
  float y = c.targetEye.y;
  CamUpdate();
  EXPECT_FLOAT_EQ(c.targetEye.y, y + CamSlowSpeed());
  EXPECT_FLOAT_EQ(c.yaw, yaw - 0.5f);
}

TEST_F(CameraTest, PitchStaysWithinItsLimits) {
  g_InputState.mouse.y = 500;
  for (int i = 0; i < 1000; ++i) CamUpdate();
  EXPECT_FLOAT_EQ(c.pitch, 1.57f);
  g_InputState.mouse.y = -3000;
  for (int i = 0; i < 1000; ++i) CamUpdate();
  EXPECT_FLOAT_EQ(c.pitch, -1.57f);
  // Without y motion the pitch stops changing.
  g_InputState.mouse.y = 0;
  CamUpdate();
  EXPECT_EQ(c.pitchSpeed, 0);
}

TEST_F(CameraTest, FlybyEndsAfterTheCurvePassesOneAndReturnsToTheKeysOrbit) {
  BezierCurve curve{{{0, 50, 0}, {100, 50, 0}, {100, 50, 100}, {0, 50, 100}}};
  CamStartFlyby(curve);
  EXPECT_FALSE(c.smoothEye || c.smoothLookAt || c.orbitFollow);
  CamSetMode(1);
  int updates = 0;
  while (c.mode == 1 && updates < 1000) {
    CamUpdate();
    ++updates;
    if (c.mode == 1) {
      EXPECT_FLOAT_EQ(c.targetEye.y, 50);
    }
  }
  EXPECT_GE(updates, 200);
  EXPECT_LE(updates, 202);
  EXPECT_EQ(c.mode, 0);
  EXPECT_TRUE(c.smoothEye);
  // Heading for (0, 6, -10) again: the same update ran the orbit's easing.
  EXPECT_FLOAT_EQ(c.targetEye.y, 6);
  EXPECT_FLOAT_EQ(c.targetEye.z, -10);
}

TEST_F(CameraTest, RotationAroundTheCentre) {
  CamSetMode(0);
  CamRotateInit();
  CamSetMode(5);
  CamUpdate();
  EXPECT_NEAR(c.targetEye.x, 0, 1e-4);
  EXPECT_FLOAT_EQ(c.targetEye.y, 90);
  EXPECT_FLOAT_EQ(c.targetEye.z, -43);
  EXPECT_FLOAT_EQ(c.targetLookAt.z, -86);
  EXPECT_FALSE(c.smoothEye);
  // Right arrow turns by 5 / rate per update; a second init in mode 5 keeps
  // the angle.
  g_InputState.keys[key::kRight] = 0x80;
  CamUpdate();
  CamRotateInit();
  CamUpdate();
  float a = -3.14159265f / 2 + 0.1f;
  EXPECT_NEAR(c.targetEye.x, 43 * std::cos(a), 1e-4);
}

TEST_F(CameraTest, FreeCameraSteersItsObject) {
  Vec3 pos{0, 0, 0};
  float rx = 0, ry = 0;
  CamFreeInit({&pos, &rx, &ry});
  CamSetMode(2);
  g_InputState.keys[key::kUp] = 0x80;
  g_InputState.mouse.x = 7;
  g_InputState.mouse.y = 0;
  g_InputState.mouse.buttons[0] = 1;
  CamUpdate();
  EXPECT_FLOAT_EQ(ry, 7);
  EXPECT_FLOAT_EQ(pos.y, CamSlowSpeed());
  EXPECT_FLOAT_EQ(c.targetLookAt.z, c.targetEye.z + 10);
  g_InputState = InputState{};
  g_InputState.mouse.buttons[1] = 1;
  g_InputState.mouse.y = 4;
  float z = c.targetEye.z;
  CamUpdate();
  EXPECT_FLOAT_EQ(c.targetEye.z, z - 4);

  // An entity is steered through its own position and rotations.
  CEntity entity;
  CamFreeInit(&entity);
  g_InputState = InputState{};
  g_InputState.keys[key::kRight] = 0x80;
  g_InputState.mouse.y = 3;
  g_InputState.mouse.buttons[0] = 1;
  CamUpdate();
  EXPECT_FLOAT_EQ(entity.rotation.x, 3);
  EXPECT_FLOAT_EQ(entity.position.x, 2 * CamSlowSpeed() * std::cos(3 * 0.01754386f));
}

int g_customCalls = 0;
void CustomMode() { ++g_customCalls; }

TEST_F(CameraTest, OnlyRegisteredModesInRangeAreCalled) {
  EXPECT_TRUE(CamRegisterMode(9, CustomMode));
  EXPECT_FALSE(CamRegisterMode(8, CustomMode));
  EXPECT_FALSE(CamRegisterMode(33, CustomMode));
  g_customCalls = 0;
  c.mode = 9;
  CamUpdate();
  EXPECT_EQ(g_customCalls, 1);
  // Numbers from a save or a recording that name nothing do nothing.
  for (int32_t mode : {3, 6, 7, 8, 10, 32, 33, -1, 1 << 30}) {
    c.mode = mode;
    c.targetEye = {1, 2, 3};
    CamUpdate();
    EXPECT_FLOAT_EQ(c.targetEye.x, 1) << mode;
  }
  EXPECT_EQ(g_customCalls, 1);
  // CamInit clears the table.
  CamInit(50, 0);
  c.mode = 9;
  CamUpdate();
  EXPECT_EQ(g_customCalls, 1);
}

TEST_F(CameraTest, DamagedRecordDoesNotProduceNonsense) {
  c.steps = 0;
  c.orbitFollow = 1;
  c.rate = 0;
  c.sensitivity = 0;
  c.pitchDivisor = 0;
  g_InputState.mouse = {5, 5, 0, {0, 1, 0, 0}};
  g_InputState.keys[key::kLeft] = 0x80;
  for (int32_t mode : {0, 5}) {
    c.mode = mode;
    CamUpdate();
    CamInterpolate(0.5f);
    EXPECT_TRUE(std::isfinite(c.eye.x) && std::isfinite(c.drawnEye.z) && std::isfinite(c.yaw)) << mode;
  }
}

}  // namespace
