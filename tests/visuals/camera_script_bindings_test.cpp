// The Camera table and the Interface's picking and camera switches, on a
// fake city of two blocks.
#include <gtest/gtest.h>

#include <array>

#include "city/blocks.h"
#include "city/city_entities.h"
#include "engine/input/camera_controller.h"
#include "presentation_fixture.h"
#include "script/script.h"
#include "session/session_state.h"
#include "visuals/camera/camera_script_bindings.h"
#include "visuals/camera/city_picking.h"
#include "visuals/overlay/interface_task.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/camera/game_camera.h"
#include "visuals/scene/auction_room.h"
#include "session/player.h"
#include "engine/scene/animation.h"

namespace {

class CameraScriptTest : public PresentationTest {
 protected:
  void SetUp() override {
    PresentationTest::SetUp();
    CamInit(50, 0);
    RegisterGameCameraModes();
    CameraSettings() = GameCameraSettings{};
    RegisterCameraScriptBindings();
    // Only the two blocks of the fake city are on the map (other tests leave
    // blocks behind).
    saved_ = g_Blocks;
    for (CBlock& b : g_Blocks) b = CBlock{};
    for (int b : {5, 9}) {
      g_Blocks[b].InUse = 1;
      g_Blocks[b].CentreX = 100.0f * b;
      g_Blocks[b].CentreZ = -40;
    }
    // Their entities, as the city makes them; a pick tells the scripts.
    CEntityHouse& bases = BlockBaseEntities();
    bases.Release();
    ASSERT_TRUE(bases.Allocate(10));
    for (int b = 0; b < 10; ++b) {
      CEntity e{};
      e.objectKind = kPickBlock;
      e.index = b;
      e.position = {100.0f * b, 0, -40};
      bases.Add(e);
    }
    ASSERT_TRUE(Script().Create());
  }
  void TearDown() override {
    if (GetScreenMode() != kScreenCity) SetScreenMode(kScreenCity);
    BlockBaseEntities().Release();
    HoveredObject() = SelectedObject() = nullptr;
    g_Blocks = saved_;
    SetCameraPath({}, 0, 0);
    ScriptPickSwitches() = PickSwitches{};
    CameraSettings() = GameCameraSettings{};
    Session() = SessionState{};
    Script().Destroy();
    PresentationTest::TearDown();
  }
  bool Run(const char* text) { return Script().RunText(text, "test", false); }
  std::array<CBlock, kBlockCount> saved_;
  double Number(const char* global) {
    lua_State* L = Script().State();
    lua_getglobal(L, global);
    const double v = lua_isnil(L, -1) ? -999 : lua_tonumber(L, -1);
    lua_pop(L, 1);
    return v;
  }
};

TEST_F(CameraScriptTest, ModesTakeTheirTargetsAndOtherModesDoNothing) {
  ASSERT_TRUE(Run("Camera.SetMode(FREECAM) Camera.x = 12 Camera.ly = -3 Camera.posinertia = FALSE"));
  EXPECT_EQ(g_CameraState.mode, 6);
  EXPECT_FLOAT_EQ(g_CameraState.targetEye.x, 12.0f);
  EXPECT_FLOAT_EQ(g_CameraState.targetLookAt.y, -3.0f);
  EXPECT_EQ(g_CameraState.smoothEye, 0);

  // A block picked by a script is told as a click is, once.
  ASSERT_TRUE(Run("function CATCHEVENT_Picked3D(code) picked = (picked or 0) + 1 Camera.SetMode(BLOCKCAM, 5) end"));
  ASSERT_TRUE(Run("Camera.SetMode(BLOCKCAM, 5)"));
  EXPECT_EQ(g_CameraState.mode, kCamBlock);
  EXPECT_FLOAT_EQ(g_CameraState.orbitCentreX, 500.0f);
  EXPECT_EQ(Number("picked"), 1);
  EXPECT_EQ(SelectedObject(), BlockBaseEntities().GetEntity(5)) << "the script's pick is the selection";
  ASSERT_TRUE(Run("Camera.SetMode(ORBITCAM, 9)"));
  EXPECT_EQ(g_CameraState.mode, kCamOrbit);
  ASSERT_TRUE(Run("Camera.SetMode(DISTRICTCAM, LANTERN_DISTRICT)"));
  EXPECT_EQ(g_CameraState.mode, kCamDistrict);
  ASSERT_TRUE(Run("Camera.SetMode(7, 5) Camera.SetMode(FIXEDCAM)"));
  EXPECT_EQ(g_CameraState.mode, 3);

  // Targets that name nothing are refused and leave the camera.
  for (const char* bad : {"Camera.SetMode(BLOCKCAM, 6)", "Camera.SetMode(ORBITCAM, 52)",
                          "Camera.SetMode(BUILDINGCAM, -1)", "Camera.SetMode(DISTRICTCAM, 12)"}) {
    ASSERT_TRUE(Run(bad));
    EXPECT_EQ(g_CameraState.mode, 3) << bad;
  }
  EXPECT_EQ(Script().ErrorLog().size(), 0u);
}

// The plan view keeps looking down on the board: a script's pick only names
// the block, and its camera moves wait in the city view's camera.
TEST_F(CameraScriptTest, ThePlanViewKeepsItsCameraWhileScriptsMoveTheCityOne) {
  ASSERT_TRUE(Run("function CATCHEVENT_Picked3D(code) picked = code end"));
  SetScreenMode(kScreenPlan);
  const CameraState plan = g_CameraState;
  ASSERT_EQ(plan.mode, 4);
  ASSERT_TRUE(Run("Camera.SetMode(BLOCKCAM, 9)"));
  EXPECT_EQ(Number("picked"), 0);
  EXPECT_EQ(SelectedObject(), BlockBaseEntities().GetEntity(9));
  ASSERT_TRUE(Run("Camera.SetMode(ORBITCAM, 9) Camera.SetMode(DISTRICTCAM, LANTERN_DISTRICT)"));
  EXPECT_EQ(g_CameraState.mode, 4);
  EXPECT_FLOAT_EQ(g_CameraState.targetEye.y, plan.targetEye.y);
  EXPECT_EQ(StoredCameraState().mode, kCamDistrict);
}

TEST_F(CameraScriptTest, BezierPathsRunFromTheFirstPointToTheLast) {
  ASSERT_TRUE(Run(R"(
    Camera.SetPositionPath(0, 10, 0,  5, 20, 0,  10, 20, 5,  20, 30, 40)
    Camera.SetLookatPath(1, 1, 1,  1, 1, 1,  1, 1, 1,  7, 8, 9)
    Camera.BezCalcPosition(0) x0, y0, z0 = Camera.x, Camera.y, Camera.z
    Camera.BezCalcPosition(1) x1, y1, z1 = Camera.x, Camera.y, Camera.z
    Camera.BezCalcLookat(1) lx = Camera.lx
    Camera.SetPositionPath(1, 2, 3))"));
  EXPECT_EQ(Number("x0"), 0);
  EXPECT_EQ(Number("y0"), 10);
  EXPECT_EQ(Number("x1"), 20);
  EXPECT_EQ(Number("z1"), 40);
  EXPECT_EQ(Number("lx"), 7);
  EXPECT_FLOAT_EQ(ScriptPositionPath().p[3].z, 40.0f);  // the short call changed nothing
}

TEST_F(CameraScriptTest, AFlybyEndsWithFlybyEndedForTheScripts) {
  ASSERT_TRUE(Run("function CATCHEVENT_FlybyEnded(a) ended = (ended or 0) + 1 Camera.SetMode(FIXEDCAM) end"));
  std::vector<Vec3> path;
  for (int frame = 0; frame < 3; ++frame)
    for (int v = 0; v < 4; ++v) path.push_back({float(frame), 50, float(v)});
  SetCameraPath(path, 4, 3);
  CamSetMode(kCamFlybyPath);
  for (int i = 0; i < 3; ++i) CamUpdate();
  EXPECT_EQ(Number("ended"), 1);
  EXPECT_EQ(g_CameraState.mode, 3);
  // A path that cannot be loaded leaves the mode as it was.
  ASSERT_TRUE(Run("Camera.SetFlybyMode('gamedata2\\\\paths\\\\no_such_path')"));
  EXPECT_EQ(g_CameraState.mode, 3);
}

TEST_F(CameraScriptTest, ActorsAndViews) {
  ASSERT_TRUE(Run("ax, ay, az = Camera.GetActorPosition(0)"));
  EXPECT_EQ(Number("ax"), -999);
  // The room's figures, one per seat of the two players.
  EntAnimResetPool();
  PlayerTable().DeleteAllPlayers();
  InitAuctionRoom();
  ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerHuman, 0, "Ann"));
  ASSERT_TRUE(PlayerTable().CreatePlayer(kPlayerComputer, 3, "Bob"));
  BuildAuctionRoomFigures();
  Session().gameState = kGameStateAuction;
  ASSERT_TRUE(Run("ax, ay, az = Camera.GetActorPosition(1) bx = Camera.GetActorPosition(4)"));
  ASSERT_NE(AuctionFigure(1), nullptr);
  EXPECT_FLOAT_EQ(float(Number("ax")), AuctionFigure(1)->position.x);
  EXPECT_FLOAT_EQ(float(Number("az")), kSeatZ);
  EXPECT_EQ(Number("bx"), -999);  // an empty seat
  ReleaseAuctionRoom();
  PlayerTable().DeleteAllPlayers();
  EntAnimResetPool();
  Session().gameState = kGameStateRunning;
  ASSERT_TRUE(Run("Camera.SetPlanView()"));
  EXPECT_EQ(GetScreenMode(), kScreenPlan);
  ASSERT_TRUE(Run("Camera.SetCityView()"));
  EXPECT_EQ(GetScreenMode(), kScreenCity);
}

TEST_F(CameraScriptTest, PickingAndCameraSwitches) {
  const PickSwitches& p = ScriptPickSwitches();
  ASSERT_TRUE(Run("Interface.EnableBuildingPicking() Interface.EnableBlockPicking()"));
  EXPECT_TRUE(p.picking && p.blockPicking && !p.buildingPicking);
  EXPECT_EQ(p.block, -1);
  ASSERT_TRUE(Run("Interface.EnableBlockPicking(9) Interface.EnableBlockPicking(6)"));
  EXPECT_EQ(p.block, 9);  // block 6 is not on the map: refused
  ASSERT_TRUE(Run("Interface.DisableAll3DPicking() Interface.DisableCameraControl()"));
  EXPECT_FALSE(p.picking);
  EXPECT_FALSE(CameraSettings().cameraControl);
  ASSERT_TRUE(Run("Interface.EnableAll3DPicking() Interface.EnableCameraControl()"));
  EXPECT_TRUE(p.picking);
  EXPECT_TRUE(CameraSettings().cameraControl);
}

}  // namespace
