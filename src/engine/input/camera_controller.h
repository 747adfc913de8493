#pragma once
// The camera controller: one camera record whose target eye and look-at the
// current mode moves once per input step, a current eye and look-at that ease
// toward the targets, and a drawn eye and look-at interpolated between the
// two by the fraction of the current step. Modes 0..8 are the controller's
// own (0 keys orbit, 1 flyby, 2 free camera, 4 still, 5 rotation; 3, 6, 7 and
// 8 do nothing); modes 9..32 are registered by the game camera.
#include <cstddef>
#include <cstdint>

#include "engine/core/maths.h"
#include "engine/core/record_visitor.h"

// The camera record, saved whole (196 bytes, little-endian) in save games and
// event recordings.
struct CameraState {
  int32_t mode;
  Vec3 eye;  // current, easing toward targetEye
  Vec3 lookAt;
  uint8_t reserved28[24];
  Vec3 targetEye;
  Vec3 targetLookAt;
  Vec3 drawnEye;
  Vec3 drawnLookAt;
  Vec3 up;
  uint8_t smoothEye;
  uint8_t smoothLookAt;
  uint8_t orbitFollow;
  uint8_t reserved115;
  int32_t steps;       // easing steps: each update moves 1/steps of the way
  float snapDistance;  // 0 = never snap
  float yaw;           // radians
  float pitchSpeed;
  float pitch;  // radians, within [-1.57, 1.57]
  float sinYaw, sinPitch, cosYaw, cosPitch;
  float orbitTargetYaw;
  int32_t rate;  // updates per second
  float sensitivity;
  float pitchDivisor;  // 10000 / rate
  int32_t constraint;  // kCamConstraintPlan locks the eye above the look-at
  uint32_t followed;   // not used by the controller; the game camera's object
  float orbitRadius;
  float orbitCentreX;
  float orbitCentreY;  // not used by the controller
  float orbitCentreZ;
  int32_t modeData;  // not used by the controller; kept for the game camera

  // The saved record: every float a finite number; the followed object is a
  // run-time pointer, written as 0 and never read back.
  template <class V>
  void Visit(V& v) {
    v.I32(mode);
    for (Vec3* p : {&eye, &lookAt}) VisitVec(v, *p);
    v.Bytes(reserved28, sizeof reserved28);
    for (Vec3* p : {&targetEye, &targetLookAt, &drawnEye, &drawnLookAt, &up}) VisitVec(v, *p);
    v.U8(smoothEye);
    v.U8(smoothLookAt);
    v.U8(orbitFollow);
    v.U8(reserved115);
    v.I32(steps);
    for (float* f : {&snapDistance, &yaw, &pitchSpeed, &pitch, &sinYaw, &sinPitch, &cosYaw, &cosPitch,
                     &orbitTargetYaw})
      v.F32(*f, kFinite);
    v.I32(rate);
    v.F32(sensitivity, kFinite);
    v.F32(pitchDivisor, kFinite);
    v.I32(constraint);
    v.Pad(4);
    for (float* f : {&orbitRadius, &orbitCentreX, &orbitCentreY, &orbitCentreZ}) v.F32(*f, kFinite);
    v.I32(modeData);
  }
  template <class V>
  static void VisitVec(V& v, Vec3& p) {
    v.F32(p.x, kFinite);
    v.F32(p.y, kFinite);
    v.F32(p.z, kFinite);
  }
};
static_assert(sizeof(CameraState) == 196);
static_assert(offsetof(CameraState, targetEye) == 52);
static_assert(offsetof(CameraState, smoothEye) == 112);
static_assert(offsetof(CameraState, steps) == 116);
static_assert(offsetof(CameraState, orbitTargetYaw) == 152);
static_assert(offsetof(CameraState, constraint) == 168);
static_assert(offsetof(CameraState, orbitRadius) == 176);
static_assert(offsetof(CameraState, orbitCentreZ) == 188);

// The program's one camera record.
extern CameraState g_CameraState;

inline constexpr int32_t kCamConstraintPlan = 2;
inline constexpr int32_t kCamFirstCustomMode = 9;
inline constexpr int32_t kCamLastCustomMode = 32;

using CamModeProc = void (*)();
class CEntity;

// What the free camera (mode 2) steers: an object's position and its
// rotations about x and y in degrees. Entities hand in their own fields.
struct CamSteering {
  Vec3* position = nullptr;
  float* rotationX = nullptr;
  float* rotationY = nullptr;
};

void CamInit(int32_t rate, int32_t constraint);
// The camera's state as CamInit left it (constraint, smoothing, steps, mode,
// position, sensitivity); its rate and registered modes stay.
void CamReset();
int32_t CamSetMode(int32_t mode);
int32_t CamSetConstraint(int32_t kind);  // returns the previous kind
// Modes 9..32 only; other numbers are refused (false).
bool CamRegisterMode(int32_t mode, CamModeProc procedure);
void CamSetPosition(float x, float y, float z);
void CamSetPlanView(float x, float height, float z);
void CamStartFlyby(const BezierCurve& curve);
void CamFreeInit(const CamSteering& steered);
// Steers a placed entity (its position and rotations about x and y); null
// steers nothing.
void CamFreeInit(CEntity* entity);
void CamRotateInit();
void CamUpdate();
void CamInterpolate(float fraction);

// Speeds per update of the keys orbit (fast with Shift held).
float CamSlowSpeed();
float CamFastSpeed();
// True once after CamSetMode; the caller that reads it clears it.
bool CamModeChanged();
void CamClearModeChanged();
