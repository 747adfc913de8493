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
#include <functional>

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

// What picking needs of the panels (installed by the program; defaults:
// no construction panel, nothing to open).
struct PickHooks {
  // The construction panel's lot-selection flag, and setting it.
  std::function<bool()> lotSelectionFlag;
  std::function<void()> setLotSelectionFlag;
  // Smallest and largest area and longest side of the building type chosen
  // in the construction panel (lots); defaults 1, 36, 6.
  std::function<void(int32_t*, int32_t*, int32_t*)> typeLimits;
  // The selection-information panel's page (1 block, 2 business, 5 person).
  std::function<void(int32_t)> showInfoPage;
  std::function<void()> reapplyInfoPage;
  // The local player's chance card target.
  std::function<void(int32_t block, int32_t building)> setCardTarget;
  // The city overview's current block (plan view).
  std::function<void(int32_t)> setOverviewBlock;
  // The script event "Picked3D" with its argument (0 block, 1 opened,
  // 2 building, 3 building opened).
  std::function<void(int32_t)> picked3D;
};
PickHooks& PickTaskHooks();

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
