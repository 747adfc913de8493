#pragma once
// The game camera: the camera modes the game adds to the engine's camera
// controller (follow, chase, district, block, building, orbit, fixed-point
// orbit, flyby path, editor block view), the stored city-view record that the
// plan view keeps, the camera tracker, and the camera's save chunks (256 the
// live record, 0x100000 the stored one, 196 bytes each).
#include <cstdint>
#include <span>

#include "engine/input/camera_controller.h"

class CEntity;

enum GameCameraMode : int32_t {
  kCamFollow = 9,
  kCamChase = 10,
  kCamDistrict = 11,
  kCamBlock = 12,
  kCamBuilding = 13,
  kCamOrbit = 15,
  kCamFixedOrbit = 16,
  kCamFlybyPath = 17,
  kCamEditorBlock = 18,
};

// Object kinds of followed entities (CEntity::objectKind).
enum CameraObjectKind : int16_t {
  kCamObjectPerson = 1,
  kCamObjectPerson2 = 2,
  kCamObjectVehicle = 3,
  kCamObjectBlock = 4,
};

inline constexpr int32_t kCameraTrackerCapacity = 256;
inline constexpr uint32_t kCameraChunkSize = 196;

// What the modes read of the player's settings and the interface; the
// program copies them in (defaults as a new profile has them).
struct GameCameraSettings {
  int32_t mouseSensitivity = 50;  // 0..100
  bool inverseMouse = false;
  bool autoRotate = true;
  int32_t performance = 2;        // 0: the lowest eye height is 25, else 17
  bool cameraControl = true;      // clear: no mode reads the mouse or keys
  bool constructionPanelOpen = false;
};
GameCameraSettings& CameraSettings();

// Once at start-up after CamInit: modes 9, 10, 11, 12, 18, 13, 15, 16, 17.
void RegisterGameCameraModes();

void SetChaseCameraTarget(CEntity* object);
void SetFollowCameraTarget(CEntity* object);
void SetBlockCameraTarget(CEntity* block, float height, float distance);
void SetBlockCameraCentre(const Vec3& centre, float height, float distance);
void SetEditorBlockCameraTarget(CEntity* block, float height, float distance);
// The selected building at `buildingPosition`, picked at `objectPosition`;
// placementKind 2 measures the offset from the object, else from `ownOffset`.
void SetBuildingCameraTarget(const Vec3& buildingPosition, const Vec3& objectPosition,
                             int32_t placementKind, const Vec3& ownOffset,
                             const Vec3& modelCentre);
void SetDistrictCameraTarget(int32_t districtRow);
void ResetOrbitCamera();
void SetOrbitCamera(float x, float y, float z, float radius, float height, float turn,
                    bool autoTurn);
// Loads a path model (".tm"); false (and the old path kept out of use) when
// the file is missing.
bool LoadCameraPath(const char* name);
// Frames of vertices for the flyby path (tests and self-built paths).
void SetCameraPath(std::span<const Vec3> vertices, int32_t verticesPerFrame, int32_t frames);
void ResetCameraHeading();
// Between games: no object followed or tracked (they were the last game's),
// no lock, no orbit or fly-by path of it. The fly-by's end handler stays.
void ResetGameCamera();
int32_t AddToCameraTracker(CEntity* object);
int32_t CameraTrackerCount();
void ClearCameraTracker();
CEntity* FollowedObject();


// The stored city-view record (plan view and the new-game reset).
CameraState& StoredCameraState();
// The locked record of the LOCKCAM command (mode 7 while locked).
CameraState& LockedCameraState();
// LOCKCAM: locking copies the live record into the locked one (mode 7);
// unlocking sets the locked record's mode to 0.
void SetCameraLock(bool lock);
bool CameraLocked();

// Save hooks: chunks 256 and 0x100000, the CameraState record. The
// followed-object pointer is written as 0 and a loaded record follows nothing.
// The camera is the saving machine's own view, moved by its input task and
// never by game messages, so machines of one network game save different
// cameras of the same tick.
void SaveCameraState();
void LoadCameraState(const CameraState& saved);
void LoadStoredCameraState(const CameraState& saved);
void RegisterCameraSaveHooks();

// The heading goal of the building camera for an offset (whole units
// compared); false when the offset is zero and the goal stays.
bool BuildingHeadingGoal(float dx, float dz, float& goal);
// The lowest eye height the zoom and height keys allow.
float LowestEyeHeight();
