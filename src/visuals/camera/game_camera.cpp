#include "visuals/camera/game_camera.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "city/blocks.h"
#include "city/people.h"
#include "city/person.h"
#include "engine/core/error.h"
#include "engine/files/cache_archive.h"
#include "engine/files/entity_file.h"
#include "session/save_chunks.h"
#include "session/session_state.h"
#include "engine/input/input_device.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "platform/input.h"
#include "platform/paths.h"
#include "script/script.h"
#include "ui/cursors.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kPanLimit = 500.0f;
constexpr float kHighestEye = 200.0f;

struct GameCamera {
  std::vector<CEntity*> tracker;
  CEntity* followed = nullptr;
  Vec3 orbitPoint{0, 5, 30};
  float orbitRadius = 10;
  bool autoTurn = false;
  std::vector<Vec3> path;
  int32_t pathVerticesPerFrame = 0;
  int32_t pathFrames = 0;
  CameraState stored{};
  CameraState locked{};
  bool isLocked = false;
};

GameCamera& Game() {
  static GameCamera camera;
  return camera;
}

CameraState& C() { return g_CameraState; }

void RefreshHeading(CameraState& c) {
  c.sinYaw = std::sin(c.yaw);
  c.cosYaw = std::cos(c.yaw);
}

void EaseEyeAndLookAt(CameraState& c, int32_t steps) {
  c.smoothEye = c.smoothLookAt = 1;
  c.orbitFollow = 0;
  c.steps = steps;
}

bool Control() { return CameraSettings().cameraControl; }
bool LeftHeld() { return g_InputState.mouse.buttons[0] != 0; }
bool RightHeld() { return g_InputState.mouse.buttons[1] != 0; }
bool RightDrag() { return RightHeld() && !LeftHeld(); }
float Sensitivity() { return float(std::clamp(CameraSettings().mouseSensitivity, 0, 100)); }

void ClampCentre(CameraState& c) {
  c.orbitCentreX = std::clamp(c.orbitCentreX, -kPanLimit, kPanLimit);
  c.orbitCentreZ = std::clamp(c.orbitCentreZ, -kPanLimit, kPanLimit);
}

// Both buttons: the centre moves with the mouse, along and across the heading.
void Pan(CameraState& c) {
  if (!Control() || !LeftHeld() || !RightHeld()) return;
  RequestCursor(kCursorTrack, 1);
  const float s = Sensitivity() * 0.01f * 2 + 1;
  const float dx = float(g_InputState.mouse.x), dy = float(g_InputState.mouse.y);
  const float sh = std::sin(c.yaw), ch = std::cos(c.yaw);
  c.orbitCentreX += -dx * sh * s;
  c.orbitCentreZ += dx * ch * s;
  c.orbitCentreX += dy * ch * s;
  c.orbitCentreZ += dy * sh * s;
}

// Arrows move the centre by 2 units a step; then the centre is kept in the city.
void PanKeys(CameraState& c) {
  if (!Control()) return;
  const float sh = std::sin(c.yaw), ch = std::cos(c.yaw);
  using namespace platform::key;
  if (KeyDown(kRight)) c.orbitCentreX -= 2 * sh, c.orbitCentreZ += 2 * ch;
  if (KeyDown(kLeft)) c.orbitCentreX += 2 * sh, c.orbitCentreZ -= 2 * ch;
  if (KeyDown(kDown)) c.orbitCentreX += 2 * ch, c.orbitCentreZ += 2 * sh;
  if (KeyDown(kUp)) c.orbitCentreX -= 2 * ch, c.orbitCentreZ -= 2 * sh;
  ClampCentre(c);
}

void Turn(CameraState& c) {
  if (!Control() || c.constraint == kCamConstraintPlan || !RightDrag()) return;
  RequestCursor(kCursorRotate, 1);
  const float dx = float(std::clamp(g_InputState.mouse.x, -14, 14));
  c.yaw -= 2 * dx / (200 - Sensitivity());
  c.orbitTargetYaw = c.yaw;
  RefreshHeading(c);
}

void Zoom(CameraState& c) {
  if (!Control() || !RightDrag()) return;
  RequestCursor(kCursorRotate, 1);
  float dy = float(g_InputState.mouse.y);
  if (c.constraint == kCamConstraintPlan) {
    c.targetEye.y -= dy;
    return;
  }
  if (CameraSettings().inverseMouse) dy = -dy;
  const float d = std::fabs(dy) * (Sensitivity() * 0.01f + 0.5f);
  const float low = LowestEyeHeight();
  if (dy > 0 && low + d < c.targetEye.y) {
    c.targetEye.y -= d;
    c.targetLookAt.y -= d / 2;
    c.orbitRadius += 0.1f * std::fabs(dy);
  } else if (dy < 0 && kHighestEye - d > c.targetEye.y) {
    c.targetEye.y += d;
    c.targetLookAt.y += d / 2;
    c.orbitRadius -= 0.1f * std::fabs(dy);
  }
}

void HeightKeys(CameraState& c) {
  if (!Control()) return;
  if (KeyDown(platform::key::kPageDown) && c.targetEye.y >= LowestEyeHeight() + 1) {
    c.targetEye.y -= 1;
    c.orbitRadius -= 0.1f;
  }
  if (KeyDown(platform::key::kPageUp) && c.targetEye.y <= kHighestEye - 1) {
    c.targetEye.y += 1;
    c.orbitRadius += 0.1f;
  }
}

void DistanceKeys(CameraState& c) {
  if (!Control()) return;
  if (KeyDown(platform::key::kComma)) c.orbitRadius -= 0.5f;
  if (KeyDown(platform::key::kPeriod)) c.orbitRadius += 0.5f;
}

Vec3 Centre(const CameraState& c) { return {c.orbitCentreX, c.orbitCentreY, c.orbitCentreZ}; }

void EyeAround(CameraState& c, const Vec3& centre, float distance) {
  c.targetEye.x = centre.x + distance * std::cos(c.yaw);
  c.targetEye.z = centre.z + distance * std::sin(c.yaw);
}

// ---- Mode steps -----------------------------------------------------------------

void ChaseStep() {
  CameraState& c = C();
  const CEntity* o = Game().followed;
  if (!o) return;
  const Vec3& p = o->position;
  const float r = -o->rotation.y * kPi / 180;
  c.targetEye = {p.x, p.y + 3, p.z};
  c.targetLookAt = {p.x - 100 * std::sin(r), p.y + 3, p.z - 100 * std::cos(r)};
}

void FollowStep() {
  CameraState& c = C();
  CEntity* o = Game().followed;
  if (!o) return;
  const Vec3& p = o->position;
  switch (o->objectKind) {
    case kCamObjectVehicle:
      c.targetLookAt = {p.x, 2, p.z};
      c.targetEye = {p.x + 55, 77, p.z + 55};
      break;
    case kCamObjectBlock:
      SetBlockCameraTarget(o, 120, 80);
      CamSetMode(kCamBlock);
      break;
    case kCamObjectPerson:
    case kCamObjectPerson2: {
      c.snapDistance = 30;
      const int32_t index = o->index;
      if (index < 0 || index >= kMaxPeople) return;
      const CBlock* block = GetBlock(g_People[size_t(index)].CurrentBlock);
      const int32_t state = g_PersonCycles[size_t(index)].State;
      if (block && (state == kStateAtHome || state == kStateAtWork)) {
        SetBlockCameraCentre({block->CentreX, 0, block->CentreZ}, 120, 80);
        CamSetMode(kCamBlock);
        return;
      }
      const float ox = block ? block->CentreX : 0, oz = block ? block->CentreZ : 0;
      const float lx = p.x - ox, lz = p.z - oz;
      Vec3 v{lx, 2, lz};
      const float length = VecLength(v);
      if (length < 35 && length > 0) v = {v.x * 35 / length, v.y * 35 / length, v.z * 35 / length};
      c.targetLookAt = {v.x + ox, v.y, v.z + oz};
      c.targetEye = {c.targetLookAt.x + 0.5f * lx, c.targetLookAt.y + 35, c.targetLookAt.z + 0.5f * lz};
      break;
    }
    default:
      break;
  }
}

void BuildingStep() {
  CameraState& c = C();
  const Vec3 centre = Centre(c);
  c.targetLookAt = centre;
  if (c.constraint != kCamConstraintPlan) EyeAround(c, centre, c.orbitRadius);
  Pan(c);
  PanKeys(c);
  Turn(c);
  Zoom(c);
}

void BlockStep() {
  CameraState& c = C();
  const float h = c.yaw;
  c.targetLookAt = {c.orbitCentreX + 25 * std::sin(h), c.orbitCentreY, c.orbitCentreZ - 25 * std::cos(h)};
  EyeAround(c, c.targetLookAt, c.orbitRadius);
  if (!CameraSettings().constructionPanelOpen) {
    Pan(c);
    PanKeys(c);
  }
  Turn(c);
  Zoom(c);
}

void EditorBlockStep() {
  CameraState& c = C();
  const Vec3 centre = Centre(c);
  c.targetLookAt = centre;
  EyeAround(c, centre, c.orbitRadius);
  Turn(c);
  if (Control() && RightDrag()) {
    const float dy = float(g_InputState.mouse.y);
    if (dy <= 0 && c.targetEye.y <= 100) {
      c.targetEye.y += std::fabs(dy);
      c.orbitRadius += 0.1f * std::fabs(dy);
    } else if (dy > 0 && c.targetEye.y >= 10) {
      c.targetEye.y -= dy;
      c.orbitRadius -= 0.1f * dy;
    }
  }
  Pan(c);
  PanKeys(c);
  DistanceKeys(c);
  HeightKeys(c);
}

void DistrictStep() {
  CameraState& c = C();
  const Vec3 centre = Centre(c);
  c.targetLookAt = centre;
  EyeAround(c, centre, 100);
  Pan(c);
  PanKeys(c);
  HeightKeys(c);
  DistanceKeys(c);
  Turn(c);
  Zoom(c);
}

void OrbitAround(CameraState& c) {
  const GameCamera& g = Game();
  c.targetLookAt = g.orbitPoint;
  EyeAround(c, g.orbitPoint, g.orbitRadius);
}

void OrbitStep() {
  CameraState& c = C();
  OrbitAround(c);
  if (Game().autoTurn) {
    c.yaw += c.orbitRadius;  // the orbit distance field holds the turn per step
    RefreshHeading(c);
    return;
  }
  HeightKeys(c);
  Turn(c);
  Zoom(c);
}

void FixedOrbitStep() { OrbitAround(C()); }

void FlybyPathStep() {
  CameraState& c = C();
  GameCamera& g = Game();
  if (g.pathFrames <= 0 || g.pathVerticesPerFrame < 4) return;
  if (++c.modeData >= g.pathFrames || c.modeData < 0) {
    c.modeData = 0;
    // The end of the path is offered to the level's script as "FlybyEnded";
    // a script that catches it decides what comes next.
    if (Script().CatchEvent("FlybyEnded", 0)) return;
  }
  const size_t k = size_t(c.modeData) * size_t(g.pathVerticesPerFrame);
  if (k + 3 >= g.path.size()) return;
  auto at = [&](size_t i) { return Vec3{g.path[i].x, g.path[i].y, -g.path[i].z}; };
  const Vec3 eye = at(k), look = at(k + 3), up = at(k + 2);
  c.targetEye = eye;
  c.targetLookAt = look;
  c.up = {up.x - eye.x, up.y - eye.y, up.z - eye.z};
  c.snapDistance = 30;
  c.steps = 2;
}

}  // namespace

GameCameraSettings& CameraSettings() {
  static GameCameraSettings settings;
  return settings;
}

float LowestEyeHeight() { return CameraSettings().performance != 0 ? 17.0f : 25.0f; }

void RegisterGameCameraModes() {
  CamRegisterMode(kCamFollow, FollowStep);
  CamRegisterMode(kCamChase, ChaseStep);
  CamRegisterMode(kCamDistrict, DistrictStep);
  CamRegisterMode(kCamBlock, BlockStep);
  CamRegisterMode(kCamEditorBlock, EditorBlockStep);
  CamRegisterMode(kCamBuilding, BuildingStep);
  CamRegisterMode(kCamOrbit, OrbitStep);
  CamRegisterMode(kCamFixedOrbit, FixedOrbitStep);
  CamRegisterMode(kCamFlybyPath, FlybyPathStep);
}

void SetChaseCameraTarget(CEntity* object) {
  if (!object) return;
  Game().followed = object;
  C().smoothEye = C().smoothLookAt = C().orbitFollow = 0;
}

void SetFollowCameraTarget(CEntity* object) {
  if (!object) return;
  Game().followed = object;
  C().targetEye.y = 7;
  EaseEyeAndLookAt(C(), 10);
}

void SetBlockCameraCentre(const Vec3& centre, float height, float distance) {
  CameraState& c = C();
  c.orbitCentreX = centre.x;
  c.orbitCentreY = centre.y;
  c.orbitCentreZ = centre.z;
  c.targetEye.y = height;
  c.orbitRadius = distance;
  EaseEyeAndLookAt(c, 20);
  RefreshHeading(c);
}

namespace {
Vec3 EntityCentre(const CEntity& e) {
  Vec3 centre = e.position;
  if (e.model) {
    if (const CModel* m = ModSysGetModel(e.model->handles[0])) {
      centre.x += m->bounds.centre.x;
      centre.y += m->bounds.centre.y;
      centre.z += m->bounds.centre.z;
    }
  }
  return centre;
}
}  // namespace

void SetBlockCameraTarget(CEntity* block, float height, float distance) {
  if (!block) return;
  SetBlockCameraCentre(EntityCentre(*block), height, distance);
}

void SetEditorBlockCameraTarget(CEntity* block, float height, float distance) {
  if (!block) return;
  if (C().mode != kCamEditorBlock) C().yaw = -kPi / 2;
  SetBlockCameraTarget(block, height, distance);
}

bool BuildingHeadingGoal(float dx, float dz, float& goal) {
  const int32_t ix = int32_t(dx), iz = int32_t(dz);  // whole units, truncated
  const int32_t ax = std::abs(ix), az = std::abs(iz);
  if (ix == 0 && iz == 0 && dx == 0 && dz == 0) return false;
  if (az > ax) {
    if (iz < 0) goal = kPi / 2;
    else if (iz > 0) goal = -kPi / 2;
    else return false;
  } else if (az < ax) {
    goal = ix < 0 ? 0.0f : kPi;
  } else {
    if (ix < 0 && iz > 0) goal = -kPi / 4;
    else if (ix < 0 && iz < 0) goal = kPi / 4;
    else if (ix > 0 && iz > 0) goal = -3 * kPi / 4;
    else if (ix > 0 && iz < 0) goal = 3 * kPi / 4;
    else return false;
  }
  return true;
}

void SetBuildingCameraTarget(const Vec3& building, const Vec3& object, int32_t placementKind,
                             const Vec3& ownOffset, const Vec3& modelCentre) {
  CameraState& c = C();
  c.smoothEye = c.smoothLookAt = c.orbitFollow = 1;
  c.steps = 20;
  if (c.constraint == kCamConstraintPlan) {
    c.orbitCentreX = building.x;
    c.orbitCentreY = 0;
    c.orbitCentreZ = building.z;
    return;
  }
  if (!CameraSettings().autoRotate) {
    c.orbitTargetYaw = c.yaw;
    c.orbitCentreX = object.x + modelCentre.x;
    c.orbitCentreY = object.y + modelCentre.y;
    c.orbitCentreZ = object.z + modelCentre.z;
    c.targetEye.y = 90;
    c.orbitRadius = 75;
    return;
  }
  const float dx = placementKind == 2 ? object.x - building.x : ownOffset.x;
  const float dz = placementKind == 2 ? object.z - building.z : ownOffset.z;
  c.orbitCentreX = object.x - dx;
  c.orbitCentreY = 20;
  c.orbitCentreZ = object.z - dz;
  c.targetEye.y = 70;
  c.orbitRadius = 45;
  BuildingHeadingGoal(dx, dz, c.orbitTargetYaw);
  if (c.yaw > 2 * kPi) c.yaw -= 2 * kPi;
  if (c.yaw < -2 * kPi) c.yaw += 2 * kPi;
  if (c.orbitTargetYaw - c.yaw > kPi) c.orbitTargetYaw -= 2 * kPi;
  if (c.yaw - c.orbitTargetYaw > kPi) c.orbitTargetYaw += 2 * kPi;
}

void SetDistrictCameraTarget(int32_t row) {
  if (row < 0 || row >= kDistrictCount) return;
  CameraState& c = C();
  if (c.mode != kCamDistrict) c.yaw = -kPi / 2;
  float x = 0, z = 0;
  int32_t n = 0;
  for (int32_t id : g_Districts[size_t(row)].Blocks) {
    const CBlock* block = GetBlock(id);
    if (!block) continue;
    x += block->CentreX;
    z += block->CentreZ;
    ++n;
  }
  if (n > 0) x /= float(n), z /= float(n);
  c.orbitCentreX = x;
  c.orbitCentreY = 0;
  c.orbitCentreZ = z;
  c.modeData = row;
  c.targetEye.y = 200;
  EaseEyeAndLookAt(c, 20);
  RefreshHeading(c);
}

void ResetOrbitCamera() {
  CameraState& c = C();
  GameCamera& g = Game();
  c.yaw = kPi / 2;
  g.orbitRadius = 10;
  g.orbitPoint = {0, 5, 30};
  g.autoTurn = false;
  c.targetEye.y = 10;
  EaseEyeAndLookAt(c, 1);
  c.orbitRadius = 0.0005f;
  RefreshHeading(c);
}

void SetOrbitCamera(float x, float y, float z, float radius, float height, float turn,
                    bool autoTurn) {
  CameraState& c = C();
  GameCamera& g = Game();
  g.orbitPoint = {x, y, z};
  g.orbitRadius = radius;
  g.autoTurn = autoTurn;
  c.targetEye.y = height;
  c.orbitRadius = turn;
  c.yaw = kPi / 2;
  EaseEyeAndLookAt(c, 10);
  RefreshHeading(c);
}

void SetCameraPath(std::span<const Vec3> vertices, int32_t perFrame, int32_t frames) {
  GameCamera& g = Game();
  g.path.clear();
  g.pathVerticesPerFrame = g.pathFrames = 0;
  if (perFrame <= 0 || frames <= 0 || size_t(perFrame) * size_t(frames) > vertices.size()) return;
  g.path.assign(vertices.begin(), vertices.end());
  g.pathVerticesPerFrame = perFrame;
  g.pathFrames = frames;
  CameraState& c = C();
  EaseEyeAndLookAt(c, 1);
  c.snapDistance = 30;
  c.modeData = 0;
}

bool LoadCameraPath(const char* name) {
  SetCameraPath({}, 0, 0);
  // A missing path is reported and not registered (the model loader would
  // end the program).
  std::FILE* f = name ? platform::OpenGameFile(name, "rb") : nullptr;
  if (!f) {
    ReportErrorF(1, "Unable to load the camera path %s.", name ? name : "(none)");
    return false;
  }
  std::fclose(f);
  // Paths are loaded during play, after the start-up closed the archive
  // that models come through: open it for this one.
  const bool reopen = !CacheArchive().IsOpen();
  if (reopen && !CacheArchive().Open(GameArchiveName(), 0)) {
    ReportErrorF(1, "Unable to load the camera path %s.", name);
    return false;
  }
  ModelLodSet set{};
  const int32_t handle = EntLoadModel(name, &set, 0);
  if (reopen) CacheArchive().Close();
  const CModel* m = ModSysGetModel(handle);
  const bool loaded = m && m->positions;
  if (loaded) {
    const int32_t frames = std::max<int32_t>(m->frameCount, 1);
    SetCameraPath({m->positions, size_t(m->vertexCount) * size_t(frames)}, m->vertexCount, frames);
  }
  // The camera keeps its own copy of the vertices: the model goes at once,
  // so no handle of it outlives the model system it came from.
  if (set.handles[0] > 0) ModSysDeleteModel(set.handles[0]);
  return loaded;
}

void ResetCameraHeading() { C().yaw = -kPi / 2; }

void ResetGameCamera() {
  GameCamera& g = Game();
  g.tracker.clear();
  g.followed = nullptr;
  g.orbitPoint = {0, 5, 30};
  g.orbitRadius = 10;
  g.autoTurn = false;
  g.path.clear();
  g.pathVerticesPerFrame = g.pathFrames = 0;
  g.locked = CameraState{};
  g.isLocked = false;
}

int32_t AddToCameraTracker(CEntity* object) {
  auto& t = Game().tracker;
  if (t.size() < size_t(kCameraTrackerCapacity)) t.push_back(object);
  return int32_t(t.size());
}
int32_t CameraTrackerCount() { return int32_t(Game().tracker.size()); }
void ClearCameraTracker() { Game().tracker.clear(); }
CEntity* FollowedObject() { return Game().followed; }


CameraState& StoredCameraState() { return Game().stored; }
CameraState& LockedCameraState() { return Game().locked; }
bool CameraLocked() { return Game().isLocked; }

void SetCameraLock(bool lock) {
  GameCamera& g = Game();
  g.isLocked = lock;
  if (lock) {
    g.locked = g_CameraState;
    g.locked.mode = 7;
  } else {
    g.locked.mode = 0;
  }
}

// ---- Save chunks --------------------------------------------------------------

void SaveCameraState() {
  // In a network game each machine's camera is its player's own view, moved
  // by that machine's input and never by a game message: it is no part of
  // the game every machine shares, so their saves leave it out, and the
  // loaded game opens on the new game's view.
  if (Session().networkSession) return;
  WriteRecordChunk(kChunkCamera, g_CameraState);
  WriteRecordChunk(kChunkStoredCamera, Game().stored);
}

void LoadCameraState(const CameraState& saved) {
  g_CameraState = saved;
  Game().followed = nullptr;
}

void LoadStoredCameraState(const CameraState& saved) { Game().stored = saved; }

void RegisterCameraSaveHooks() {
  RegisterSaveHook(kSaveCameras, SaveCameraState);
  RegisterRecordChunk<CameraState>(kChunkCamera, kCameraChunkSize, LoadCameraState);
  RegisterRecordChunk<CameraState>(kChunkStoredCamera, kCameraChunkSize, LoadStoredCameraState);
}
