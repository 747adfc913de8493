#include "ui/cursors.h"

#include "engine/scene/texture.h"
#include "platform/system_cursor.h"
#include "ui/draw_2d.h"
#include "ui/ui_services.h"

const CursorHotSpot kCursorHotSpots[kCursorCount] = {
    {5, 1}, {8, 1}, {8, 8}, {5, -1}, {5, -1}, {5, -1}, {5, -1}, {5, -1},
};

namespace {

constexpr float kCursorDepth = 0.1f;

struct Cursors {
  CursorState state;
  std::vector<int32_t> textures;
  int32_t handles[kCursorCount] = {-1, -1, -1, -1, -1, -1, -1, -1};
  bool hardware = false;
  bool systemReady = false;  // the window system's cursors were made
};

Cursors& C() {
  static Cursors cursors;
  return cursors;
}

int32_t CursorTexture(int32_t index) {
  const auto& t = C().textures;
  return index >= 0 && size_t(index) < t.size() ? t[size_t(index)] : -1;
}

}  // namespace

void SetCursorTextures(const std::vector<int32_t>& slots) { C().textures = slots; }

bool CreateSystemCursors(const std::vector<TextureImage>& images) {
  DestroySystemCursors();
  if (images.size() < size_t(kCursorCount)) return false;
  for (int32_t i = 0; i < kCursorCount; ++i) {
    const TextureImage& image = images[size_t(i)];
    if (image.texels.size() != size_t(image.width) * size_t(image.height) * 4) return false;
    C().handles[i] = platform::GetSystemCursors().Create(
        image.texels.data(), image.width, image.height, kCursorHotSpots[i].x, kCursorHotSpots[i].y);
    if (C().handles[i] < 0) return false;
  }
  C().systemReady = true;
  return true;
}

void DestroySystemCursors() {
  platform::GetSystemCursors().DestroyAll();
  for (int32_t& h : C().handles) h = -1;
  C().state.lastGiven = -1;
  C().systemReady = C().hardware = false;
}

void SetHardwareCursorMode(bool hardware) { C().hardware = hardware && C().systemReady; }
bool HardwareCursorMode() { return C().hardware; }

int32_t RequestCursor(int32_t index, int32_t priority) {
  CursorState& s = C().state;
  const UiServices& ui = Ui();
  // A paused game shows the plain pointer whatever is under the mouse.
  if (ui.gameRunning && ui.gamePaused && !ui.frontEndShown) index = kCursorPointer;
  if (priority < s.priority) return s.requested;
  s.priority = priority;
  if (index != s.requested) {
    s.requested = index;
    const int32_t texture = CursorTexture(index);
    s.width = texture >= 0 ? TexSysTextureWidth(texture) : 0;
    s.height = texture >= 0 ? TexSysTextureHeight(texture) : 0;
    s.hotSpot = index >= 0 && index < kCursorCount ? kCursorHotSpots[index] : CursorHotSpot{0, 0};
  }
  return s.requested;
}

void DecayCursorPriority() {
  if (C().state.priority > 0) --C().state.priority;
}

void DrawMouseCursor() {
  CursorState& s = C().state;
  if (C().hardware) {
    if (s.requested != s.lastGiven && s.requested >= 0 && s.requested < kCursorCount) {
      platform::GetSystemCursors().Set(C().handles[s.requested]);
      s.lastGiven = s.requested;
    }
    return;
  }
  const int32_t texture = CursorTexture(s.requested);
  if (texture < 0) return;
  // The image keeps its pixel size at every screen size.
  const float x = float(Ui().mouse.x - ScaleToScreenX(s.hotSpot.x));
  const float y = float(Ui().mouse.y - ScaleToScreenY(s.hotSpot.y));
  const UIRect r = SetUIRect(x, y, x + float(ScaleToScreenX(s.width)), y + float(ScaleToScreenY(s.height)));
  DrawTexturedRect(r, texture, kCursorDepth);
}

const CursorState& GetCursorState() { return C().state; }

void ResetCursors() {
  C().state = CursorState{};
  C().textures.clear();
  C().hardware = false;
}
