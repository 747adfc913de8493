#pragma once
// Picking in the 3D city: ten times a second the object under the mouse
// becomes the hovered object (a block hit is refined to the nearest of its
// buildings), the cursor follows what is under it, and on the selected
// block the player drags a rectangle of lots. Clicks make the hovered object
// the selection, move the camera to it, raise "Picked3D" to the scripts and
// open the panel that belongs to it.
//
// Screen points are in the pixels of the renderer's own projection (the one
// the last frame was drawn with), so hover and click agree on every renderer
// and at every resolution.
#include <cstdint>

#include "engine/core/maths.h"

class CEntity;
class CBuilding;

// Pickable kinds (the entity's object kind).
inline constexpr int16_t kPickPerson = 1;
inline constexpr int16_t kPickPerson2 = 2;
inline constexpr int16_t kPickVehicle = 3;
inline constexpr int16_t kPickBlock = 4;
inline constexpr int16_t kPickOther = 9;

struct CPickState {
  uint8_t pickingEnabled = 1;
  uint8_t cameraControl = 1;
  uint8_t singleBlockMode = 0;
  int32_t singleBlock = -1;
  uint8_t ownerFilterOn = 0;
  int32_t ownerFilterPlayer = -1;
  void Init() { *this = CPickState{}; }
};
CPickState& PickState();

// Hover and selection: the hovered object is here; the hovered and selected
// buildings are the city's (g_HoveredBuilding, g_SelectedBuilding, cleared
// when their building goes) and the selected object the interface task's
// (SelectedObject).
CEntity*& HoveredObject();

// The lot grid of the selected block and the dragged rectangle.
struct LotDrag {
  Vec3 grid[64]{};       // 8 x 8 corner points, world space
  Vec3 screen[64]{};     // their projections (x, y pixels)
  float cellX[49]{}, cellY[49]{};
  int32_t startCell = 0, currentCell = 0;
  bool active = false, valid = false, done = false;
  bool buttonWasDown = false;
  int32_t alpha = 0, alphaStep = 8;
  uint32_t white = 0, red = 0;
  Vec3 outline[8]{};  // the rectangle's corners at height 30
  int32_t rows = 0, columns = 0, row0 = 0, column0 = 0;
};
LotDrag& LotDragState();

// What a click in the city opens in the HUD's panels. The panels install
// theirs with the HUD (InstallHudPanels); this base is the null form: no
// construction panel, nothing to open.
class PickPanels {
 public:
  virtual ~PickPanels() = default;
  // The construction panel's plot step: true while no plot is wanted; a
  // released plot is reported.
  virtual bool PlotPickingOff() { return false; }
  virtual void PlotReleased() {}
  // Smallest and largest area and longest side of the building type chosen
  // in the construction panel (lots); left as given (1, 36, 6) without one.
  virtual void PlotLimits(int32_t* /*smallest*/, int32_t* /*largest*/, int32_t* /*longest*/) {}
  // The selection-information panel's page of the selection (1 block,
  // 2 business, 5 person), and its page mode again.
  virtual void ShowInfoPage(int32_t /*page*/) {}
  virtual void ReapplyInfoPage() {}
  // A picked block (and building, -1 none) as the local player's card target.
  virtual void SetCardTarget(int32_t /*block*/, int32_t /*building*/) {}
  // The city overview's current block (plan view).
  virtual void SelectOverviewBlock(int32_t /*block*/) {}
};
void SetPickPanels(PickPanels* panels);  // null: the null form
PickPanels& CurrentPickPanels();

// The mouse in projection pixels, from the interface's 640 x 480 position.
void PickMouseFromInterface(int32_t uiX, int32_t uiY);

// The nearest building of a block under the mouse becomes the hovered
// building (and the block the hovered object); only for blocks in view.
void PickBuildingInBlock(CEntity* hovered);
// The hovered object under the mouse: people, vehicles and blocks.
CEntity* PickHoveredObject();
void UpdateCursorForPick(bool rightButtonHeld);
void TrackLotMarkerDrag(bool leftButtonHeld);
void ComputeLotGrid();
void ComputeLotDragRectangle();
void CommitPickSelection(bool keepPanels);
void FocusCameraOnPick();
void ShowInfoPageForPick();
void OpenPickedObject();
// Opens the selection panel on the person page of the selected person.
void ShowPersonPageOfSelection();

// The whole pick task (ten times a second) and the click handling of the
// input task.
void RunPickTask();
void RunPickClicks();
// New game and load: nothing hovered or selected, the state as at start.
void ResetPicking();
// The screen-space drag outline of the overlay (white valid, red not).
void DrawLotDragOutline();
