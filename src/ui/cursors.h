#pragma once
// The eight mouse cursors. Widgets, camera modes and the city picking ask
// for a cursor with a priority; the strongest recent request wins, and the
// priority decays ten times a second so a strong request holds only while
// it is repeated. The cursor is either the window system's colour cursor
// (hardware) or a textured quad the game draws each frame (software).
#include <cstdint>
#include <vector>

#include "engine/files/texture_file.h"

enum CursorIndex : int32_t {
  kCursorPointer = 0,
  kCursorHand = 1,
  kCursorRotate = 2,
  kCursorTrack = 3,
  kCursorBlock = 4,
  kCursorBuilding = 5,
  kCursorPeople = 6,
  kCursorCity = 7,
  kCursorCount = 8,
};

struct CursorHotSpot {
  int32_t x, y;  // pixels from the image's top left
};
extern const CursorHotSpot kCursorHotSpots[kCursorCount];

// The cursor images' texture slots, in index order (software cursor).
void SetCursorTextures(const std::vector<int32_t>& slots);
// Makes the window system's cursors from the images; true when all eight
// were made (then the hardware cursor can be used).
bool CreateSystemCursors(const std::vector<TextureImage>& images);
void DestroySystemCursors();
// Hardware (window system) or software cursor; hardware only once the
// window system's cursors exist.
void SetHardwareCursorMode(bool hardware);
bool HardwareCursorMode();

// Returns the requested index after the request.
int32_t RequestCursor(int32_t index, int32_t priority);
void DecayCursorPriority();
void DrawMouseCursor();

struct CursorState {
  int32_t requested = -1;
  int32_t lastGiven = -1;
  int32_t priority = 0;
  int32_t width = 0, height = 0;  // of the software image, pixels
  CursorHotSpot hotSpot{0, 0};
};
const CursorState& GetCursorState();
void ResetCursors();
