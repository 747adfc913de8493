#include "visuals/camera/city_picking.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/city_entities.h"
#include "city/people.h"
#include "city/traffic.h"
#include "engine/core/run_state.h"
#include "engine/input/camera_controller.h"
#include "engine/input/input_device.h"
#include "engine/render/renderer.h"
#include "engine/scene/entity.h"
#include "engine/scene/picking.h"
#include "platform/input.h"
#include "script/script.h"
#include "session/session_state.h"
#include "ui/cursors.h"
#include "visuals/camera/camera_script_bindings.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/camera/game_camera.h"
#include "visuals/overlay/interface_task.h"
#include "visuals/scene/scene_passes.h"

namespace {

constexpr float kLotStepDivisor = 8.2f;
constexpr float kLotMargin = 0.6f;
constexpr float kOutlineHeight = 30.0f;
constexpr float kFarDepth = 99999.0f;
constexpr int32_t kMaxLotSide = 6;
constexpr int32_t kDoubleClickTicks = 20;
constexpr uint32_t kMarkerWhite = 0x00FFFFFFu, kMarkerRed = 0x00FF0000u;

struct PickRuntime {
  CEntity* hovered = nullptr;
  CPickState state;
  LotDrag drag;
  PickPanels* panels = nullptr;
  int32_t sinceClick = 1000;
  CEntity* lastClicked = nullptr;
};

PickRuntime& Run() {
  static PickRuntime run;
  return run;
}

bool LotSelectionFlag() { return CurrentPickPanels().PlotPickingOff(); }

CBlock* BlockOf(const CEntity* e) {
  if (!e || e->objectKind != kPickBlock || e->index < 0 || e->index >= kBlockCount) return nullptr;
  return &g_Blocks[size_t(e->index)];
}

// A building's box in view space for the picking test.
bool BuildingViewBounds(const CBuilding& b, Bounds& out) {
  const BuildingVisual& v = b.Visual;
  Vec3 lo, hi;
  if (v.BoxMax[0] > v.BoxMin[0]) {
    lo = {b.CentreX + v.BoxMin[0], v.BoxMin[1], b.CentreZ + v.BoxMin[2]};
    hi = {b.CentreX + v.BoxMax[0], std::max(v.BoxMax[1], v.Height), b.CentreZ + v.BoxMax[2]};
  } else {
    const float x0 = b.Block ? b.Block->MinX : b.CentreX, z0 = b.Block ? b.Block->MinZ : b.CentreZ;
    lo = {x0 + b.X1 * kLotSize, 0, z0 + b.Z1 * kLotSize};
    hi = {x0 + (b.X2 + 1) * kLotSize, std::max(v.Height, 10.0f), z0 + (b.Z2 + 1) * kLotSize};
  }
  Bounds world{};
  for (int i = 0; i < 8; ++i)
    world.corners[i] = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
  world.centre = {(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2};
  const float dx = hi.x - lo.x, dy = hi.y - lo.y, dz = hi.z - lo.z;
  world.radiusSquared = (dx * dx + dy * dy + dz * dz) / 4;
  world.radius = std::sqrt(world.radiusSquared);
  return EntClipBounds(PublishedViewMatrix(), world, out) != kClipOutside;
}

void PickIn(CEntity* entities, int32_t count, CEntity*& best, float& depth) {
  for (int32_t i = 0; i < count; ++i) {
    CEntity& e = entities[i];
    if ((e.flags & (kEntVisible | kEntInView)) != (kEntVisible | kEntInView) || !e.model) continue;
    if (PickTestEntity(e.viewBounds, &depth)) best = &e;
  }
}

// "Picked3D" to the level's script (0 block, 1 opened, 2 building,
// 3 building opened); a handler that picks again (Camera.SetMode) is not
// told again.
void RaisePicked3D(int32_t argument) {
  static bool raising = false;
  if (raising) return;
  raising = true;
  Script().CatchEvent("Picked3D", argument);
  raising = false;
}

void InfoPage(int32_t page) { CurrentPickPanels().ShowInfoPage(page); }

Vec3 EntityPoint(const CEntity* e) { return e ? e->position : Vec3{}; }

bool PickingOn() { return PickState().pickingEnabled && ScriptPickSwitches().picking; }

// The level script's switches narrow what may be hovered: only blocks (or
// one block), or only buildings (or one building).
CEntity* ApplyScriptSwitches(CEntity* hovered) {
  const PickSwitches& p = ScriptPickSwitches();
  if (p.blockPicking) {
    g_HoveredBuilding = nullptr;
    if (!BlockOf(hovered) || (p.block >= 0 && hovered->index != p.block)) return nullptr;
  }
  if (p.buildingPicking) {
    CBuilding* b = g_HoveredBuilding;
    if (!b || (p.building >= 0 && b->Id != p.building)) {
      g_HoveredBuilding = nullptr;
      return nullptr;
    }
  }
  return hovered;
}

// The object under the mouse now, refined to a building and narrowed by the
// script's switches.
CEntity* PickUnderMouse() {
  PickMouseFromInterface(g_InputState.uiCursorX, g_InputState.uiCursorY);
  CEntity* hovered = PickHoveredObject();
  HoveredObject() = hovered;
  g_HoveredBuilding = nullptr;
  if (hovered) PickBuildingInBlock(hovered);
  return HoveredObject() = ApplyScriptSwitches(hovered);
}

void BuildingCamera(const CBuilding& b, const CEntity* block) {
  const BuildingVisual& v = b.Visual;
  const Vec3 centre{(v.BoxMin[0] + v.BoxMax[0]) / 2, (v.BoxMin[1] + v.BoxMax[1]) / 2, (v.BoxMin[2] + v.BoxMax[2]) / 2};
  SetBuildingCameraTarget({b.CentreX, 0, b.CentreZ}, EntityPoint(block), 2, {0, 0, 0}, centre);
  CamSetMode(kCamBuilding);
}

}  // namespace

CPickState& PickState() { return Run().state; }
CEntity*& HoveredObject() { return Run().hovered; }
LotDrag& LotDragState() { return Run().drag; }
void SetPickPanels(PickPanels* panels) { Run().panels = panels; }

PickPanels& CurrentPickPanels() {
  static PickPanels none;
  return Run().panels ? *Run().panels : none;
}

void PickMouseFromInterface(int32_t uiX, int32_t uiY) {
  const ProjectionState& p = g_Projection;
  const float w = p.centreX > 0 ? 2 * p.centreX : 640.0f, h = p.centreY > 0 ? 2 * p.centreY : 480.0f;
  PickSetMousePosition(int32_t(float(uiX) * w / 640.0f), int32_t(float(uiY) * h / 480.0f));
}

CEntity* PickHoveredObject() {
  CEntity* best = nullptr;
  float depth = kFarDepth;
  CEntityHouse& blocks = BlockBaseEntities();
  PickIn(blocks.entities, blocks.count, best, depth);
  if (GetScreenMode() == kScreenCity) {
    PickIn(g_PersonEntities.data(), int32_t(std::min<size_t>(size_t(std::max(g_PeopleCount, 0)), g_PersonEntities.size())),
           best, depth);
    PickIn(g_VehicleEntities.data(), kMaxVehicles, best, depth);
  }
  const CPickState& s = PickState();
  if (best && s.singleBlockMode && (best->objectKind != kPickBlock || best->index != s.singleBlock)) best = nullptr;
  return best;
}

void PickBuildingInBlock(CEntity* hovered) {
  g_HoveredBuilding = nullptr;
  CBlock* block = BlockOf(hovered);
  if (!block || !(hovered->flags & kEntInView)) return;
  const CPickState& s = PickState();
  float depth = kFarDepth;
  for (CBuilding* b = block->FirstBuilding; b; b = b->Next) {
    if (!b->InUse || b->Status == kStatusDemolished) continue;
    if (s.ownerFilterOn && s.ownerFilterPlayer != -1 && int32_t(b->Owner) - 1 != s.ownerFilterPlayer) continue;
    Bounds view{};
    if (!BuildingViewBounds(*b, view)) continue;
    if (PickTestEntity(view, &depth)) {
      g_HoveredBuilding = b;
      HoveredObject() = hovered;
    }
  }
}

void UpdateCursorForPick(bool rightButtonHeld) {
  if (rightButtonHeld) return;
  RequestCursor(kCursorPointer, 1);
  if (GetScreenMode() == kScreenMenu) return;
  const CEntity* h = HoveredObject();
  if (h) {
    switch (h->objectKind) {
      case kPickPerson:
      case kPickPerson2: RequestCursor(kCursorPeople, 1); break;
      case kPickVehicle:
      case kPickOther: RequestCursor(kCursorBuilding, 1); break;
      case kPickBlock:
        if (!LotSelectionFlag())
          RequestCursor(kCursorCity, 1);
        else
          RequestCursor(g_HoveredBuilding ? kCursorBuilding : kCursorBlock, 1);
        break;
      default: break;
    }
  }
  DecayCursorPriority();
}

void ComputeLotGrid() {
  LotDrag& d = LotDragState();
  CBlock* block = BlockOf(SelectedObject());
  if (!SelectedObject()) {
    d.active = d.done = false;
    return;
  }
  if (!block) return;
  // Origin corner and the two ground edges of the block's box.
  const Vec3 origin{block->MinX, 0, block->MinZ};
  const Vec3 step1{block->SizeX / kLotStepDivisor, 0, 0};
  const Vec3 step2{0, 0, block->SizeZ / kLotStepDivisor};
  for (int32_t i = 0; i < 8; ++i)
    for (int32_t j = 0; j < 8; ++j) {
      Vec3& p = d.grid[i * 8 + j];
      p = {origin.x + j * step1.x + i * step2.x + kLotMargin * (step1.x + step2.x), 0.0f,
           origin.z + j * step1.z + i * step2.z + kLotMargin * (step1.z + step2.z)};
    }
  Vec3 view[64];
  MatTransformPoints(PublishedViewMatrix(), d.grid, view, 64);
  ScreenPoint screen[64];
  ProjectPoints(view, screen, 64);
  for (int32_t k = 0; k < 64; ++k) d.screen[k] = {screen[k].x, screen[k].y, view[k].z};
  for (int32_t r = 0; r < 7; ++r)
    for (int32_t c = 0; c < 7; ++c) {
      const Vec3& a = d.screen[r * 8 + c];
      const Vec3& b = d.screen[(r + 1) * 8 + c + 1];
      d.cellX[r * 7 + c] = (a.x + b.x) / 2;
      d.cellY[r * 7 + c] = (a.y + b.y) / 2;
    }
  ComputeLotDragRectangle();
}

void ComputeLotDragRectangle() {
  LotDrag& d = LotDragState();
  CBlock* block = BlockOf(SelectedObject());
  if (!block) return;
  const int32_t r0 = d.startCell / 7, c0 = d.startCell % 7, r1 = d.currentCell / 7, c1 = d.currentCell % 7;
  const int32_t rLo = std::min(r0, r1), rHi = std::max(r0, r1), cLo = std::min(c0, c1), cHi = std::max(c0, c1);
  d.rows = rHi - rLo + 1;
  d.columns = cHi - cLo + 1;
  d.row0 = rLo;
  d.column0 = cLo;
  // Corners at the rectangle's outer edges, twice (low and high ring).
  const int32_t corners[4] = {rLo * 8 + cLo, rLo * 8 + cHi + 1, (rHi + 1) * 8 + cHi + 1, (rHi + 1) * 8 + cLo};
  for (int32_t k = 0; k < 4; ++k) {
    const Vec3& p = d.grid[std::clamp(corners[k], 0, 63)];
    d.outline[k] = {p.x, 0, p.z};
    d.outline[k + 4] = {p.x, kOutlineHeight, p.z};
  }
  int32_t smallest = 1, largest = 36, longest = kMaxLotSide;
  CurrentPickPanels().PlotLimits(&smallest, &largest, &longest);
  const int32_t area = d.rows * d.columns;
  // Rows run along z, columns along x: lots x = column, z = row.
  d.valid = block->IsLotRegionFreeRect(cLo, rLo, cHi, rHi) && g_BlockDefs[size_t(std::clamp(block->DefIndex, 0, kBlockCount - 1))].District != 0 && area >= smallest &&
            area <= largest && d.rows <= kMaxLotSide && d.columns <= kMaxLotSide && d.rows <= longest &&
            d.columns <= longest;
}

void TrackLotMarkerDrag(bool leftHeld) {
  LotDrag& d = LotDragState();
  if (g_SelectedBuilding || LotSelectionFlag() || !SelectedObject() || !BlockOf(SelectedObject())) {
    d.active = false;
    for (Vec3& p : d.outline) p = {};
    d.buttonWasDown = leftHeld;
    return;
  }
  if (leftHeld) {
    if (d.done) {
      d.active = d.done = false;
      d.buttonWasDown = leftHeld;
      return;
    }
    d.alpha = 128;
    ComputeLotGrid();
    int32_t mx = 0, my = 0;
    PickGetMousePosition(&mx, &my);
    int32_t best = 0, bestDistance = INT32_MAX;
    for (int32_t cell = 0; cell < 49; ++cell) {
      const int32_t dist = std::abs(int32_t(d.cellX[cell]) - mx) + std::abs(int32_t(d.cellY[cell]) - my);
      if (dist < bestDistance) best = cell, bestDistance = dist;
    }
    if (!d.buttonWasDown || !d.active) d.startCell = best;
    d.active = true;
    d.currentCell = best;
    ComputeLotDragRectangle();
  } else {
    if (d.active && d.valid) {
      d.done = true;
      CurrentPickPanels().PlotReleased();
    }
    d.active = false;
  }
  d.white = kMarkerWhite | uint32_t(d.alpha) << 24;
  d.red = kMarkerRed | uint32_t(d.alpha) << 24;
  d.alpha += d.alphaStep;
  if (d.alpha >= 255 || d.alpha <= 0) {
    d.alpha = std::clamp(d.alpha, 0, 255);
    d.alphaStep = -d.alphaStep;
  }
  if (!d.active)
    for (Vec3& p : d.outline) p = {};
  d.buttonWasDown = leftHeld;
}

void CommitPickSelection(bool keepPanels) {
  if (GetScreenMode() == kScreenMenu) return;
  CEntity* hovered = HoveredObject();
  if (hovered != SelectedObject() || g_HoveredBuilding != g_SelectedBuilding) {
    if (g_HoveredBuilding && g_HoveredBuilding->GetBusiness() == -1 && g_HoveredBuilding->Owner == 0) {
      // A building without a business cannot be selected; its block can.
      g_HoveredBuilding = nullptr;
    }
    if (!keepPanels) {
      // Closing the construction and rent panels, and the business panel,
      // brings the selection's information in their place.
      ScreenModePanels* p = CurrentScreenModePanels();
      if (p) {
        bool closed = false;
        for (ModePanel panel : {ModePanel::Construction, ModePanel::Rent, ModePanel::Business})
          if (p->IsOpen(panel)) p->Close(panel), closed = true;
        // The plan view shows the city overview in its place.
        if ((closed || !p->IsOpen(ModePanel::SelectionInfo)) && GetScreenMode() != kScreenPlan)
          p->Open(ModePanel::SelectionInfo);
      }
    }
  } else if (!keepPanels && hovered && GetScreenMode() != kScreenPlan) {
    // The selection picked again with no panel of its own on screen (one
    // was closed, or the plan view took it): its information comes back.
    ScreenModePanels* p = CurrentScreenModePanels();
    bool any = false;
    for (ModePanel panel : {ModePanel::Construction, ModePanel::Rent, ModePanel::Business, ModePanel::SelectionInfo})
      any = any || (p && p->IsOpen(panel));
    if (p && !any) p->Open(ModePanel::SelectionInfo);
  }
  SelectedObject() = hovered;
  g_SelectedBuilding = g_HoveredBuilding;
  if (Session().gameState == kGameStateRunning) {
    FocusCameraOnPick();
    ShowInfoPageForPick();
  }
  CurrentPickPanels().ReapplyInfoPage();
  if (CBlock* block = BlockOf(SelectedObject()))
    CurrentPickPanels().SetCardTarget(block->Index, g_SelectedBuilding ? g_SelectedBuilding->Id : -1);
}

void FocusCameraOnPick() {
  CEntity* h = HoveredObject();
  if (!h || h->objectKind < kPickPerson || h->objectKind > kPickBlock) return;
  if (h->objectKind == kPickBlock) {
    if (GetScreenMode() == kScreenPlan) {
      RaisePicked3D(0);
      CurrentPickPanels().SelectOverviewBlock(h->index);
    } else if (g_SelectedBuilding) {
      RaisePicked3D(2);
      BuildingCamera(*g_SelectedBuilding, h);
    } else {
      RaisePicked3D(0);
      SetBlockCameraTarget(h, 120, 80);
      CamSetMode(kCamBlock);
    }
    return;
  }
  if (KeyDown(platform::key::kLeftControl)) {
    SetChaseCameraTarget(h);
    CamSetMode(kCamChase);
  } else {
    SetFollowCameraTarget(h);
    CamSetMode(kCamFollow);
  }
}

void ShowInfoPageForPick() {
  const CEntity* h = HoveredObject();
  if (!h) return;
  if (h->objectKind == kPickPerson || h->objectKind == kPickPerson2) InfoPage(5);
  if (h->objectKind == kPickBlock && GetScreenMode() != kScreenPlan)
    InfoPage(g_SelectedBuilding && g_SelectedBuilding->GetBusiness() >= 0 ? 2 : 1);
}

void ShowPersonPageOfSelection() {
  if (ScreenModePanels* p = CurrentScreenModePanels()) p->Open(ModePanel::SelectionInfo);
  InfoPage(5);
}

void OpenPickedObject() {
  CEntity* h = HoveredObject();
  if (!PickingOn() || !h) return;
  ScreenModePanels* p = CurrentScreenModePanels();
  if (h->objectKind == kPickPerson || h->objectKind == kPickPerson2) {
    ShowPersonPageOfSelection();
  } else if (h->objectKind == kPickBlock) {
    if (GetScreenMode() == kScreenPlan) {
      RaisePicked3D(1);
      CurrentPickPanels().SelectOverviewBlock(h->index);
      SetScreenMode(kScreenCity);
      g_CameraState.yaw = -1.5707964f;
      SetBlockCameraTarget(h, 120, 80);
      CamSetMode(kCamBlock);
      if (p && p->IsOpen(ModePanel::Construction)) p->Close(ModePanel::Construction);
      InfoPage(g_SelectedBuilding && g_SelectedBuilding->GetBusiness() >= 0 ? 2 : 1);
    } else if (g_SelectedBuilding) {
      RaisePicked3D(3);
      const int32_t business = g_SelectedBuilding->GetBusiness();
      if (business >= 0 && g_SelectedBuilding->Kind != 2 && p) {
        p->Close(ModePanel::SelectionInfo);
        p->Open(g_SelectedBuilding->Kind == 1 ? ModePanel::Rent : ModePanel::Business);
        InfoPage(2);
      }
    } else if (SelectedObject()) {
      RaisePicked3D(1);
      InfoPage(1);
      if (p) p->Open(ModePanel::SelectionInfo);
    }
  }
  Run().sinceClick = 1000;
}

void RunPickTask() {
  const GameRunState& run = RunState();
  const int32_t mode = GetScreenMode();
  const bool rightHeld = g_InputState.mouse.buttons[1] != 0;
  if (!PickingOn() || !run.gameRunning || run.pointerOverPanels || (mode != kScreenCity && mode != kScreenPlan)) {
    HoveredObject() = nullptr;
    g_HoveredBuilding = nullptr;
    UpdateCursorForPick(rightHeld);
    return;
  }
  PickUnderMouse();
  UpdateCursorForPick(rightHeld);
  TrackLotMarkerDrag(g_InputState.mouse.buttons[0] != 0);
}

void RunPickClicks() {
  PickRuntime& run = Run();
  ++run.sinceClick;
  const bool pressed = g_InputState.mouse.buttons[0] && !g_InputState.previousMouse.buttons[0];
  if (!pressed || RunState().pointerOverPanels || !RunState().gameRunning) return;
  if (!PickingOn() || Session().gameState != kGameStateRunning) return;
  const int32_t mode = GetScreenMode();
  if (mode != kScreenCity && mode != kScreenPlan) return;
  CEntity* hovered = PickUnderMouse();
  if (!hovered) return;
  if (run.sinceClick < kDoubleClickTicks && run.lastClicked == hovered) {
    OpenPickedObject();
    return;
  }
  CommitPickSelection(false);
  run.sinceClick = 0;
  run.lastClicked = hovered;
}

void ResetPicking() {
  PickRuntime& run = Run();
  run.hovered = nullptr;
  run.state.Init();
  run.drag = LotDrag{};
  run.sinceClick = 1000;
  run.lastClicked = nullptr;
  SelectedObject() = nullptr;
  g_HoveredBuilding = nullptr;
  g_SelectedBuilding = nullptr;
}

void DrawLotDragOutline() {
  LotDrag& d = LotDragState();
  if (!d.active || GetScreenMode() == kScreenAuction) return;
  CRenderer* r = GetRenderer();
  if (!r) return;
  ComputeLotGrid();
  const uint32_t colour = d.valid ? d.white : d.red;
  // Two bands: the ground rectangle and its top at outline height.
  PolylinePoint ring[10];
  for (int32_t band = 0; band < 2; ++band) {
    for (int32_t k = 0; k < 5; ++k) {
      const Vec3& p = d.outline[band * 4 + k % 4];
      ring[k] = {p.x, p.y + 0.3f, p.z, colour};
    }
    r->BeginPolyline(kPolylineStrip);
    r->DrawPolyline(5, ring);
    r->EndPolyline();
  }
}
