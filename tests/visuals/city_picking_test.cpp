// Picking on a fake projection: the nearest building under the mouse, the
// cursor by what is hovered, and the lot rectangle dragged on a block.
#include <gtest/gtest.h>

#include <cmath>

#include "city/blocks.h"
#include "city/buildings.h"
#include "engine/core/maths.h"
#include "engine/render/renderer.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "engine/scene/picking.h"
#include "presentation_fixture.h"
#include "ui/cursors.h"
#include "visuals/camera/city_picking.h"
#include "visuals/overlay/interface_task.h"

namespace {

class PickingTest : public PresentationTest {
 protected:
  void SetUp() override {
    PresentationTest::SetUp();
    savedBlock_ = g_Blocks[0];
    savedDef_ = g_BlockDefs[0];
    ResetPicking();
    ResetCursors();
    // A 640 x 480 view from above and behind the block, looking at its middle.
    SetProjection(640, 480, 53.0f, 1.0f, 3000.0f, 1.0f, 0.0f);
    Mat43 view;
    MatLookAt(0, 200, -100, 0, 0, 60, 0, 1, 0, view);
    PublishViewMatrix(view);
    CBlock& b = g_Blocks[0];
    b.InUse = 1;
    b.Index = 0;
    b.DefIndex = 0;
    b.MinX = -41, b.MinZ = -1, b.SizeX = 82, b.SizeZ = 82, b.CentreX = 0, b.CentreZ = 40;
    b.FirstBuilding = b.LastBuilding = nullptr;
    ClearLots(b.Lots);
    g_BlockDefs[0].District = 1;
    block.objectKind = kPickBlock;
    block.index = 0;
    block.flags |= kEntVisible | kEntInView;
    SetPickPanels(&panels_);
  }
  void TearDown() override {
    ResetPicking();
    SetPickPanels(nullptr);
    g_Blocks[0] = savedBlock_;
    g_BlockDefs[0] = savedDef_;
    PresentationTest::TearDown();
  }
  // The construction panel's plot step as picking sees it.
  struct Panels : PickPanels {
    bool plotPickingOff = false;
    int32_t released = 0;
    int32_t smallest = 1, largest = 36, longest = 6;
    bool PlotPickingOff() override { return plotPickingOff; }
    void PlotReleased() override { ++released; }
    void PlotLimits(int32_t* s, int32_t* l, int32_t* side) override { *s = smallest, *l = largest, *side = longest; }
  };
  Panels panels_;
  // A tall plain building on one lot of block 0.
  static void Lot(CBuilding& b, int x, int z) {
    b.InUse = 1;
    b.X1 = b.X2 = uint8_t(x);
    b.Z1 = b.Z2 = uint8_t(z);
    b.Block = &g_Blocks[0];
    b.Visual.Height = 100;
    b.Status = kStatusComplete;
  }
  void MouseAtCell(int32_t cell) {
    const LotDrag& d = LotDragState();
    PickSetMousePosition(int32_t(std::lround(d.cellX[cell])), int32_t(std::lround(d.cellY[cell])));
  }
  // Presses on one cell, moves to another and holds there.
  void Drag(int32_t from, int32_t to) {
    ComputeLotGrid();
    MouseAtCell(from);
    TrackLotMarkerDrag(true);
    MouseAtCell(to);
    TrackLotMarkerDrag(true);
  }

  CEntity block;
  CBlock savedBlock_;
  BlockDef savedDef_;
};

TEST_F(PickingTest, TheNearerOfTwoBuildingsUnderTheMouseIsHovered) {
  CBuilding nearB, farB;
  Lot(nearB, 4, 3);
  Lot(farB, 4, 4);
  PickSetMousePosition(320, 240);
  for (bool nearFirst : {true, false}) {
    CBuilding* first = nearFirst ? &nearB : &farB;
    CBuilding* second = nearFirst ? &farB : &nearB;
    first->Next = second;
    second->Next = nullptr;
    g_Blocks[0].FirstBuilding = first;
    PickBuildingInBlock(&block);
    EXPECT_EQ(g_HoveredBuilding, &nearB) << "near first " << nearFirst;
    EXPECT_EQ(HoveredObject(), &block);
  }
  // A block out of view is not refined; the owner filter skips others' buildings.
  block.flags &= uint8_t(~kEntInView);
  PickBuildingInBlock(&block);
  EXPECT_EQ(g_HoveredBuilding, nullptr);
  block.flags |= kEntInView;
  nearB.Owner = 2;  // player 1
  farB.Owner = 1;   // player 0
  PickState().ownerFilterOn = 1;
  PickState().ownerFilterPlayer = 0;
  PickBuildingInBlock(&block);
  EXPECT_EQ(g_HoveredBuilding, &farB);
  g_Blocks[0].FirstBuilding = nullptr;
}

TEST_F(PickingTest, CursorFollowsTheHoveredKind) {
  bool& lotSelection = panels_.plotPickingOff;
  CEntity person;
  person.objectKind = kPickPerson;
  CBuilding house;
  const struct {
    CEntity* hovered;
    bool lots;
    CBuilding* building;
    int32_t cursor;
  } cases[] = {
      {&person, false, nullptr, kCursorPeople}, {&block, false, nullptr, kCursorCity},
      {&block, true, nullptr, kCursorBlock},    {&block, true, &house, kCursorBuilding},
      {nullptr, false, nullptr, kCursorPointer},
  };
  for (const auto& c : cases) {
    ResetCursors();
    HoveredObject() = c.hovered;
    lotSelection = c.lots;
    g_HoveredBuilding = c.building;
    UpdateCursorForPick(false);
    EXPECT_EQ(GetCursorState().requested, c.cursor);
  }
  // The right button held (the camera turns) leaves the cursor alone.
  ResetCursors();
  RequestCursor(kCursorRotate, 3);
  HoveredObject() = &person;
  UpdateCursorForPick(true);
  EXPECT_EQ(GetCursorState().requested, kCursorRotate);
  g_HoveredBuilding = nullptr;
}

TEST_F(PickingTest, LotGridCellsLieInsideTheBlockInOrder) {
  SelectedObject() = &block;
  ComputeLotGrid();
  const LotDrag& d = LotDragState();
  // Seen from the south, columns run left to right and rows away from us.
  EXPECT_LT(d.cellX[0], d.cellX[6]);
  EXPECT_GT(d.cellY[0], d.cellY[42]);
  // The first cell's corner is 0.6 of a lot (82 / 8.2 = 10) in from the corner.
  EXPECT_FLOAT_EQ(d.grid[0].x, -41 + 6.0f);
  EXPECT_FLOAT_EQ(d.grid[63].z, -1 + 10.0f * 7 + 6.0f);
  // Without a selection the drag ends.
  SelectedObject() = nullptr;
  LotDragState().active = LotDragState().done = true;
  ComputeLotGrid();
  EXPECT_FALSE(LotDragState().active);
  EXPECT_FALSE(LotDragState().done);
}

TEST_F(PickingTest, DragValidityAndCommit) {
  SelectedObject() = &block;
  const int32_t& flagged = panels_.released;
  // Corner to corner: 7 x 7, more than 6 a side, never valid.
  Drag(0, 48);
  const LotDrag& d = LotDragState();
  EXPECT_TRUE(d.active);
  EXPECT_EQ(d.rows, 7);
  EXPECT_EQ(d.columns, 7);
  EXPECT_FALSE(d.valid);
  TrackLotMarkerDrag(false);
  EXPECT_FALSE(d.done);
  EXPECT_FALSE(d.active);

  // Over an occupied lot the release does not complete the selection.
  FillLotRegion(g_Blocks[0].Lots, 1, 1, 1, 1, 1);
  Drag(0, 8);
  EXPECT_EQ(d.rows * d.columns, 4);
  EXPECT_FALSE(d.valid);
  TrackLotMarkerDrag(false);
  EXPECT_FALSE(d.done);
  EXPECT_EQ(flagged, 0);

  // Free lots at the block's edge: valid, and the release completes it; the
  // outline stands 30 high.
  ClearLots(g_Blocks[0].Lots);
  Drag(16, 24);
  EXPECT_FALSE(d.valid);  // a building must touch the edge of its block
  TrackLotMarkerDrag(false);
  Drag(7, 15);
  EXPECT_TRUE(d.valid);
  EXPECT_EQ(d.outline[4].y, 30.0f);
  TrackLotMarkerDrag(false);
  EXPECT_TRUE(d.done);
  EXPECT_EQ(flagged, 1);

  // The district-less block and the building type's limits refuse it.
  g_BlockDefs[0].District = 0;
  Drag(0, 0);
  EXPECT_FALSE(d.valid);
  g_BlockDefs[0].District = 1;
  panels_.smallest = 2, panels_.largest = 4, panels_.longest = 2;
  TrackLotMarkerDrag(false);
  Drag(0, 0);
  EXPECT_FALSE(d.valid);  // 1 lot, smaller than the smallest
  TrackLotMarkerDrag(false);
  Drag(0, 2);
  EXPECT_FALSE(d.valid);  // 3 long, longer than the longest side
  TrackLotMarkerDrag(false);
  Drag(0, 8);
  EXPECT_TRUE(d.valid);
}

TEST_F(PickingTest, MouseFollowsTheRenderersProjection) {
  SetProjection(1024, 768, 53.0f, 1.0f, 3000.0f, 1.0f, 0.0f);
  PickMouseFromInterface(320, 240);
  int32_t x = 0, y = 0;
  PickGetMousePosition(&x, &y);
  EXPECT_EQ(x, 512);
  EXPECT_EQ(y, 384);
}

}  // namespace

namespace {

// A block base: an 82 x 82 slab, 0.3 high, drawn through the frame's view.
TEST_F(PickingTest, TheBlockUnderTheMouseIsHovered) {
  ModSysCreate();
  const Vec3 p[8] = {{-41, 0, -41}, {41, 0, -41}, {41, 0.3f, -41}, {-41, 0.3f, -41},
                     {-41, 0, 41},  {41, 0, 41},  {41, 0.3f, 41},  {-41, 0.3f, 41}};
  const TexCoord uv[8] = {};
  ModelLodSet slab{};
  slab.handles[0] = ModSysCreateSelfBuiltModel(1, 8, p, uv, nullptr);
  slab.count = 1;
  ModSysAddQuad(0, 1, 2, 3);
  ModSysEndPrimitive(slab.handles[0], 0, 0, 0);
  ModSysCalcBounds(slab.handles[0]);
  CEntity base;
  base.SetModel(&slab);
  base.position = {0, 0, 40};
  base.objectKind = kPickBlock;
  base.index = 0;
  base.flags |= kEntVisible | kEntRebuildMatrix;
  base.Transform(PublishedViewMatrix());
  ASSERT_TRUE(base.flags & kEntInView);
  ScreenPoint at;
  ProjectPoints(&base.viewBounds.centre, &at, 1);
  PickSetMousePosition(int32_t(at.x), int32_t(at.y));
  float depth = 99999.0f;
  EXPECT_TRUE(PickTestEntity(base.viewBounds, &depth));
  ModSysDestroy();
}

}  // namespace
