#include "engine/input/camera_controller.h"

#include <algorithm>
#include <cmath>

#include "engine/scene/entity.h"
#include "engine/input/input_device.h"
#include "platform/input.h"

CameraState g_CameraState;

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kHalfPi = kPi / 2;
constexpr float kPitchLimit = 1.57f;
constexpr float kFlybyStep = 0.005f;
constexpr float kDegreesToRadians = 0.01754386f;  // the free camera's own factor
constexpr int kCustomModeCount = kCamLastCustomMode - kCamFirstCustomMode + 1;

struct Controller {
  CamModeProc customModes[kCustomModeCount] = {};
  float fastSpeed = 0;
  float slowSpeed = 0;
  BezierCurve flyby{};
  float flybyT = 0;
  CamSteering steered;
  float rotation = 0;
  bool modeChanged = false;
  int32_t startConstraint = 0;  // CamInit's, which CamReset restores
};

Controller& Cam() {
  static Controller controller;
  return controller;
}

// A rate read back from a save or a recording may be anything.
float SafeRate(int32_t rate) { return rate > 0 ? static_cast<float>(rate) : 50.0f; }

bool ControlDown() { return KeyDown(platform::key::kLeftControl) || KeyDown(platform::key::kRightControl); }
bool ShiftDown() { return KeyDown(platform::key::kLeftShift) || KeyDown(platform::key::kRightShift); }
bool LeftButtonDown() { return g_InputState.mouse.buttons[0] != 0; }
bool RightButtonDown() { return g_InputState.mouse.buttons[1] != 0; }

void FlagsOff(CameraState& c) { c.smoothEye = c.smoothLookAt = c.orbitFollow = 0; }

// Mode 0: arrows move the eye, the mouse turns it.
void KeysOrbit() {
  CameraState& c = g_CameraState;
  if (ControlDown()) return;
  const MouseState& m = g_InputState.mouse;
  if (m.x != 0 && c.sensitivity != 0) c.yaw -= static_cast<float>(m.x) / c.sensitivity;
  if (m.y != 0 && c.pitchDivisor != 0) {
    c.pitchSpeed += static_cast<float>(m.y) / c.pitchDivisor;
  } else {
    c.pitchSpeed = 0;
  }
  c.pitch = std::clamp(c.pitch + c.pitchSpeed, -kPitchLimit, kPitchLimit);
  c.sinYaw = std::sin(c.yaw);
  c.cosYaw = std::cos(c.yaw);
  c.sinPitch = std::sin(c.pitch);
  c.cosPitch = std::cos(c.pitch);

  const float s = ShiftDown() ? Cam().fastSpeed : Cam().slowSpeed;
  Vec3& eye = c.targetEye;
  if (KeyDown(platform::key::kLeft)) {
    eye.x -= s * c.sinYaw;
    eye.z += s * c.cosYaw;
  }
  if (KeyDown(platform::key::kRight)) {
    eye.x += s * c.sinYaw;
    eye.z -= s * c.cosYaw;
  }
  if (KeyDown(platform::key::kUp)) {
    eye.x += s * c.cosYaw;
    eye.z += s * c.sinYaw;
  }
  if (KeyDown(platform::key::kDown)) {
    eye.x -= s * c.cosYaw;
    eye.z -= s * c.sinYaw;
  }
  if (KeyDown(platform::key::kPageUp)) eye.y += s;
  if (KeyDown(platform::key::kPageDown)) eye.y -= s;
  c.targetLookAt = {eye.x + 100 * c.cosYaw, eye.y + 200 * c.sinPitch, eye.z + 100 * c.sinYaw};
}

// Mode 1: along the flyby curve, then back to the keys orbit.
void FlybyStep() {
  Controller& k = Cam();
  BezCalcPoint(k.flyby, g_CameraState.targetEye, k.flybyT);
  k.flybyT += kFlybyStep;
  if (k.flybyT > 1.0f) {
    CamSetPosition(0, 6, -10);
    CamSetMode(0);
    k.flybyT = 0;
  }
}

// Mode 2: the mouse and arrows steer an object; the eye looks straight ahead.
void FreeCamera() {
  CameraState& c = g_CameraState;
  const CamSteering& e = Cam().steered;
  const MouseState& m = g_InputState.mouse;
  if (e.position && e.rotationX && e.rotationY) {
    if (LeftButtonDown()) {
      *e.rotationY += static_cast<float>(m.x);
      *e.rotationX += static_cast<float>(m.y);
    }
    const float p = *e.rotationX * kDegreesToRadians;
    const float slow = Cam().slowSpeed;
    if (KeyDown(platform::key::kUp)) e.position->y += (std::cos(p) + std::sin(p)) * slow;
    if (KeyDown(platform::key::kDown)) e.position->y -= (std::cos(p) + std::sin(p)) * slow;
    if (KeyDown(platform::key::kRight)) e.position->x += 2 * slow * std::cos(p);
    if (KeyDown(platform::key::kLeft)) e.position->x -= 2 * slow * std::cos(p);
  }
  if (RightButtonDown()) c.targetEye.z -= static_cast<float>(m.y);
  c.targetLookAt.x = c.targetEye.x;
  c.targetLookAt.z = c.targetEye.z + 10;
}

// Mode 5: round the centre of the world.
void RotateAroundCentre() {
  CameraState& c = g_CameraState;
  float& a = Cam().rotation;
  FlagsOff(c);
  c.targetEye = {43 * std::cos(a), 90, 43 * std::sin(a)};
  c.targetLookAt = {86 * std::cos(a), 0, 86 * std::sin(a)};
  if (RightButtonDown() && c.sensitivity != 0)
    a -= 2 * static_cast<float>(g_InputState.mouse.x) / c.sensitivity;
  if (KeyDown(platform::key::kLeft)) a -= 5 / SafeRate(c.rate);
  if (KeyDown(platform::key::kRight)) a += 5 / SafeRate(c.rate);
}

void RunMode(int32_t mode) {
  switch (mode) {
    case 0: KeysOrbit(); break;
    case 1: FlybyStep(); break;
    case 2: FreeCamera(); break;
    case 5: RotateAroundCentre(); break;
    default:
      // 3, 4, 6, 7 and 8 do nothing; a number from a save or a recording that
      // names no registered mode does nothing either.
      if (mode >= kCamFirstCustomMode && mode <= kCamLastCustomMode)
        if (CamModeProc proc = Cam().customModes[mode - kCamFirstCustomMode]) proc();
      break;
  }
}

void ApplyConstraint(CameraState& c) {
  if (c.constraint == kCamConstraintPlan) {
    c.targetEye.x = c.targetLookAt.x;
    c.targetEye.z = c.targetLookAt.z - 0.1f;
    c.targetEye.y = std::max(c.targetEye.y, c.targetLookAt.y + 150);
  } else if (c.orbitFollow) {
    c.yaw += (c.orbitTargetYaw - c.yaw) / static_cast<float>(std::max(c.steps, 1));
    c.targetEye.x = c.orbitRadius * std::cos(c.yaw) + c.orbitCentreX;
    c.targetEye.z = c.orbitRadius * std::sin(c.yaw) + c.orbitCentreZ;
  }
}

void Ease(Vec3& current, const Vec3& target, bool smooth, const CameraState& c) {
  if (!smooth || c.steps < 2) {
    current = target;
    return;
  }
  const float moved = std::fabs(target.x - current.x) + std::fabs(target.y - current.y) +
                      std::fabs(target.z - current.z);
  if (c.snapDistance != 0 && moved >= c.snapDistance) {
    current = target;
    return;
  }
  const float n = static_cast<float>(c.steps);
  current.x += (target.x - current.x) / n;
  current.y += (target.y - current.y) / n;
  current.z += (target.z - current.z) / n;
}

Vec3 Between(const Vec3& current, const Vec3& target, float fraction, int32_t steps) {
  const float f = fraction / static_cast<float>(steps);
  return {current.x + (target.x - current.x) * f, current.y + (target.y - current.y) * f,
          current.z + (target.z - current.z) * f};
}

}  // namespace

void CamInit(int32_t rate, int32_t constraint) {
  CameraState& c = g_CameraState;
  Controller& k = Cam();
  k.startConstraint = constraint;
  CamReset();
  c.rate = rate;
  std::fill(std::begin(k.customModes), std::end(k.customModes), nullptr);
  const float r = SafeRate(rate);
  c.pitchDivisor = 10000 / r;
  k.slowSpeed = 8 / r;
  k.fastSpeed = 80 / r;
  k.modeChanged = false;
}

void CamReset() {
  CameraState& c = g_CameraState;
  c.constraint = Cam().startConstraint;
  c.smoothEye = c.smoothLookAt = 1;
  c.orbitFollow = 0;
  c.steps = 10;
  CamSetMode(0);
  CamSetPosition(0, 6, -10);
  c.sensitivity = 100;
}

int32_t CamSetMode(int32_t mode) {
  CameraState& c = g_CameraState;
  c.mode = mode;
  c.up = {0, 1, 0};
  c.snapDistance = 0;
  Cam().modeChanged = true;
  return mode;
}

int32_t CamSetConstraint(int32_t kind) {
  int32_t previous = g_CameraState.constraint;
  g_CameraState.constraint = kind;
  return previous;
}

bool CamRegisterMode(int32_t mode, CamModeProc procedure) {
  if (mode < kCamFirstCustomMode || mode > kCamLastCustomMode) return false;
  Cam().customModes[mode - kCamFirstCustomMode] = procedure;
  return true;
}

void CamSetPosition(float x, float y, float z) {
  CameraState& c = g_CameraState;
  c.targetEye = {x, y, z};
  c.targetLookAt = {0, 0, 0};
  c.yaw = kHalfPi;
  c.pitch = c.pitchSpeed = 0;
  c.steps = 10;
  c.smoothEye = c.smoothLookAt = 1;
  c.orbitFollow = 0;
}

void CamSetPlanView(float x, float height, float z) {
  CameraState& c = g_CameraState;
  c.targetEye = {x, height, z - 0.1f};
  c.targetLookAt = {x, 0, z};
  c.steps = 10;
  FlagsOff(c);
}

void CamStartFlyby(const BezierCurve& curve) {
  Controller& k = Cam();
  k.flyby = curve;
  k.flybyT = 0;
  CamSetPosition(0, 6, -10);
  KeysOrbit();
  FlagsOff(g_CameraState);
}

void CamFreeInit(const CamSteering& steered) {
  CameraState& c = g_CameraState;
  c.targetEye = {0, 0, -10};
  c.targetLookAt = {0, 0, 0};
  c.yaw = kHalfPi;
  c.pitch = 0;
  FlagsOff(c);
  Cam().steered = steered;
}

void CamFreeInit(CEntity* entity) {
  CamFreeInit(entity ? CamSteering{&entity->position, &entity->rotation.x, &entity->rotation.y}
                     : CamSteering{});
}

void CamRotateInit() {
  if (g_CameraState.mode != 5) Cam().rotation = -kHalfPi;
  FlagsOff(g_CameraState);
}

void CamUpdate() {
  CameraState& c = g_CameraState;
  RunMode(c.mode);
  ApplyConstraint(c);
  Ease(c.eye, c.targetEye, c.smoothEye, c);
  Ease(c.lookAt, c.targetLookAt, c.smoothLookAt, c);
}

void CamInterpolate(float fraction) {
  CameraState& c = g_CameraState;
  // Fewer than one step (only from a damaged record) draws the current point.
  const bool eased = c.steps >= 1;
  c.drawnEye = c.smoothEye && eased ? Between(c.eye, c.targetEye, fraction, c.steps) : c.eye;
  c.drawnLookAt =
      c.smoothLookAt && eased ? Between(c.lookAt, c.targetLookAt, fraction, c.steps) : c.lookAt;
}

float CamSlowSpeed() { return Cam().slowSpeed; }
float CamFastSpeed() { return Cam().fastSpeed; }
bool CamModeChanged() { return Cam().modeChanged; }
void CamClearModeChanged() { Cam().modeChanged = false; }
