#include "visuals/camera/camera_script_bindings.h"

#include <iterator>
#include <string>
#include <utility>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/city_entities.h"
#include "engine/core/error.h"
#include "engine/input/camera_controller.h"
#include "script/script.h"
#include "script/script_args.h"
#include "session/session_state.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/camera/city_picking.h"
#include "visuals/camera/game_camera.h"
#include "visuals/scene/auction_room.h"

namespace {

enum ScriptCameraMode : int32_t { kFixedCam = 3, kFreeCam = 6 };

constexpr const char* kDistrictNames[] = {
    "LANTERN_DISTRICT", "HOLLYMEAD_DISTRICT", "WILLOWBY_DISTRICT", "OAKMONT_DISTRICT", "CROWNLEA_DISTRICT",
    "HAZELBY_DISTRICT", "STRANDWAY_DISTRICT", "FERNLEY_DISTRICT",  "DOCKS_DISTRICT"};

// The orbit round a block: radius, height and turn per step.
constexpr float kOrbitRadius = 50, kOrbitHeight = 100, kOrbitTurn = 0.005f;
// The block camera's height and distance (as a click on a block sets them).
constexpr float kBlockCamHeight = 120, kBlockCamDistance = 80;

const CBlock* BlockOnMap(int32_t index) {
  const CBlock* block = GetBlock(index);
  return block != nullptr && block->InUse ? block : nullptr;
}

// While the plan view is up its camera stays over the board: a script's
// camera move goes to the stored city-view camera, which leaving the plan
// view puts back.
template <class Move>
void MoveCityCamera(Move move) {
  const bool plan = GetScreenMode() == kScreenPlan;
  if (plan) std::swap(g_CameraState, StoredCameraState());
  move();
  if (plan) std::swap(g_CameraState, StoredCameraState());
}

// A script's pick goes the way of a click: the entity becomes the hovered
// object and the pick is committed, which moves the camera and tells the
// scripts (Picked3D).
void CommitScriptPick(CEntity* entity, CBuilding* building) {
  HoveredObject() = entity;
  g_HoveredBuilding = building;
  CommitPickSelection(false);
}

bool SetModeWithTarget(int32_t mode, int32_t target) {
  switch (mode) {
    case kFixedCam:
    case kFreeCam:
      MoveCityCamera([&] { CamSetMode(mode); });
      return true;
    case kCamDistrict:
      if (target < 0 || target >= kDistrictCount) return false;
      MoveCityCamera([&] {
        SetDistrictCameraTarget(target);
        CamSetMode(kCamDistrict);
      });
      return true;
    case kCamBlock: {
      CEntity* entity = BlockOnMap(target) ? BlockBaseEntities().GetEntity(target) : nullptr;
      if (entity == nullptr) return false;
      CommitScriptPick(entity, nullptr);
      return true;
    }
    case kCamBuilding: {
      const CBusiness* business = GetBusinessInUse(target);
      CBuilding* building = business != nullptr ? GetBuilding(business->Building) : nullptr;
      if (building == nullptr || !building->InUse || building->Block == nullptr) return false;
      CEntity* entity = BlockBaseEntities().GetEntity(building->Block->Index);
      if (entity == nullptr) return false;
      CommitScriptPick(entity, building);
      return true;
    }
    case kCamOrbit: {
      const CBlock* block = BlockOnMap(target);
      if (block == nullptr) return false;
      MoveCityCamera([&] {
        SetOrbitCamera(block->CentreX, 0, block->CentreZ, kOrbitRadius, kOrbitHeight, kOrbitTurn, true);
        CamSetMode(kCamOrbit);
      });
      return true;
    }
    default:
      return true;  // any other mode: nothing
  }
}

// Camera.SetMode(mode, target).
int CameraSetMode(lua_State* state) {
  double mode = 0;
  if (!ArgNumber(state, 1, &mode)) return 0;
  const int32_t m = TruncToInt32(mode), target = ArgInt(state, 2, -1);
  if (!SetModeWithTarget(m, target)) ReportErrorF(1, "Camera.SetMode: mode %d has no target %d", m, target);
  return 0;
}

void EvaluateInto(const BezierCurve& path, lua_State* state, Vec3& out) {
  double t = 0;
  if (!ArgNumber(state, 1, &t)) {
    ReportError(1, 0, "Camera path: t must be a number");
    return;
  }
  BezCalcPoint(path, out, static_cast<float>(t));
}

int CameraBezCalcPosition(lua_State* state) {
  EvaluateInto(ScriptPositionPath(), state, g_CameraState.targetEye);
  return 0;
}

int CameraBezCalcLookat(lua_State* state) {
  EvaluateInto(ScriptLookatPath(), state, g_CameraState.targetLookAt);
  return 0;
}

// Twelve numbers: four control points; refused whole when one is missing.
void SetPath(lua_State* state, BezierCurve& path, const char* name) {
  double v[12];
  for (int i = 0; i < 12; ++i) {
    if (!ArgNumber(state, i + 1, &v[i])) {
      ReportErrorF(1, "Camera.%s: twelve numbers are needed", name);
      return;
    }
  }
  for (int p = 0; p < 4; ++p) {
    path.p[p] = {static_cast<float>(v[3 * p]), static_cast<float>(v[3 * p + 1]), static_cast<float>(v[3 * p + 2])};
  }
}

int CameraSetPositionPath(lua_State* state) {
  SetPath(state, ScriptPositionPath(), "SetPositionPath");
  return 0;
}

int CameraSetLookatPath(lua_State* state) {
  SetPath(state, ScriptLookatPath(), "SetLookatPath");
  return 0;
}

// x, y, z of an auction-room actor (the figure of a seat) while the auction
// screen is up; nothing at any other time or for an empty seat.
int CameraGetActorPosition(lua_State* state) {
  double actor = 0;
  if (Session().gameState != kGameStateAuction || !ArgNumber(state, 1, &actor)) return 0;
  const CEntity* figure = AuctionFigure(TruncToInt32(actor));
  if (!figure) return 0;
  lua_pushnumber(state, figure->position.x);
  lua_pushnumber(state, figure->position.y);
  lua_pushnumber(state, figure->position.z);
  return 3;
}

int CameraSetPlanView(lua_State*) {
  SetScreenMode(kScreenPlan);
  return 0;
}

int CameraSetCityView(lua_State*) {
  SetScreenMode(kScreenCity);
  return 0;
}

// Camera.SetFlybyMode(path): the path's end offers FlybyEnded to the scripts.
int CameraSetFlybyMode(lua_State* state) {
  std::string name;
  if (!ArgText(state, 1, &name)) {
    ReportError(1, 0, "Camera.SetFlybyMode: a path name is needed");
    return 0;
  }
  MoveCityCamera([&] {
    if (LoadCameraPath(name.c_str())) CamSetMode(kCamFlybyPath);
  });
  return 0;
}

int InterfaceDisableAllPicking(lua_State*) {
  ScriptPickSwitches().picking = false;
  return 0;
}

int InterfaceEnableAllPicking(lua_State*) {
  ScriptPickSwitches().picking = true;
  return 0;
}

// An optional index argument: -1 (any) when not given; an index that names
// nothing is refused.
bool OptionalTarget(lua_State* state, int32_t& out, bool (*exists)(int32_t), const char* what) {
  out = -1;
  if (lua_isnoneornil(state, 1)) return true;
  out = ArgInt(state, 1, -1);
  if (out == -1 || exists(out)) return true;
  ReportErrorF(1, "Interface: %s %d does not exist", what, out);
  return false;
}

int InterfaceEnableBlockPicking(lua_State* state) {
  int32_t block = -1;
  if (!OptionalTarget(state, block, [](int32_t b) { return BlockOnMap(b) != nullptr; }, "block")) return 0;
  PickSwitches& p = ScriptPickSwitches();
  p.picking = true;
  p.blockPicking = true;
  p.block = block;
  p.buildingPicking = false;
  return 0;
}

int InterfaceEnableBuildingPicking(lua_State* state) {
  int32_t building = -1;
  auto exists = [](int32_t b) {
    const CBuilding* x = GetBuilding(b);
    return x != nullptr && x->InUse;
  };
  if (!OptionalTarget(state, building, exists, "building")) return 0;
  PickSwitches& p = ScriptPickSwitches();
  p.picking = true;
  p.buildingPicking = true;
  p.building = building;
  p.blockPicking = false;
  return 0;
}

int InterfaceDisableCameraControl(lua_State*) {
  CameraSettings().cameraControl = false;
  return 0;
}

int InterfaceEnableCameraControl(lua_State*) {
  CameraSettings().cameraControl = true;
  return 0;
}

void BindCameraTable(CScript& s) {
  s.CreateTable("Camera");
  CameraState& c = g_CameraState;
  s.BindTableFloat(&c.targetEye.x, "Camera", "x");
  s.BindTableFloat(&c.targetEye.y, "Camera", "y");
  s.BindTableFloat(&c.targetEye.z, "Camera", "z");
  s.BindTableFloat(&c.targetLookAt.x, "Camera", "lx");
  s.BindTableFloat(&c.targetLookAt.y, "Camera", "ly");
  s.BindTableFloat(&c.targetLookAt.z, "Camera", "lz");
  s.BindTableInt(&c.steps, "Camera", "inertiavalue");
  s.BindTableBool(&c.smoothEye, "Camera", "posinertia");
  s.BindTableBool(&c.smoothLookAt, "Camera", "targinertia");
  s.RegisterTableFunction(CameraSetMode, "Camera", "SetMode");
  s.RegisterTableFunction(CameraBezCalcPosition, "Camera", "BezCalcPosition");
  s.RegisterTableFunction(CameraBezCalcLookat, "Camera", "BezCalcLookat");
  s.RegisterTableFunction(CameraSetPositionPath, "Camera", "SetPositionPath");
  s.RegisterTableFunction(CameraSetLookatPath, "Camera", "SetLookatPath");
  s.RegisterTableFunction(CameraGetActorPosition, "Camera", "GetActorPosition");
  s.RegisterTableFunction(CameraSetPlanView, "Camera", "SetPlanView");
  s.RegisterTableFunction(CameraSetCityView, "Camera", "SetCityView");
  s.RegisterTableFunction(CameraSetFlybyMode, "Camera", "SetFlybyMode");
  s.SetGlobalNumber(kFixedCam, "FIXEDCAM");
  s.SetGlobalNumber(kFreeCam, "FREECAM");
  s.SetGlobalNumber(kCamDistrict, "DISTRICTCAM");
  s.SetGlobalNumber(kCamBlock, "BLOCKCAM");
  s.SetGlobalNumber(kCamBuilding, "BUILDINGCAM");
  s.SetGlobalNumber(kCamOrbit, "ORBITCAM");
  for (int i = 0; i < static_cast<int>(std::size(kDistrictNames)); ++i) s.SetGlobalNumber(i + 1, kDistrictNames[i]);
}

void BindInterfaceSwitches(CScript& s) {
  s.RegisterTableFunction(InterfaceDisableAllPicking, "Interface", "DisableAll3DPicking");
  s.RegisterTableFunction(InterfaceEnableAllPicking, "Interface", "EnableAll3DPicking");
  s.RegisterTableFunction(InterfaceEnableBlockPicking, "Interface", "EnableBlockPicking");
  s.RegisterTableFunction(InterfaceEnableBuildingPicking, "Interface", "EnableBuildingPicking");
  s.RegisterTableFunction(InterfaceDisableCameraControl, "Interface", "DisableCameraControl");
  s.RegisterTableFunction(InterfaceEnableCameraControl, "Interface", "EnableCameraControl");
}

}  // namespace

PickSwitches& ScriptPickSwitches() {
  static PickSwitches switches;
  return switches;
}

BezierCurve& ScriptPositionPath() {
  static BezierCurve path{};
  return path;
}

BezierCurve& ScriptLookatPath() {
  static BezierCurve path{};
  return path;
}


void RegisterCameraScriptBindings() {
  AddScriptBinder(ScriptBindingStage::kCamera, BindCameraTable);
  AddScriptBinder(ScriptBindingStage::kInterface, BindInterfaceSwitches);
}
