// SDL colour cursors (platform/system_cursor.h).
#include <SDL.h>

#include <algorithm>
#include <vector>

#include "platform/sdl/sdl_cursor.h"
#include "platform/system_cursor.h"

namespace platform {
namespace {

class SdlSystemCursors : public SystemCursors {
 public:
  int32_t Create(const uint8_t* rgba, int32_t width, int32_t height, int32_t hotX,
                 int32_t hotY) override {
    if (!rgba || width <= 0 || height <= 0) return -1;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint8_t*>(rgba), width, height, 32, width * 4, SDL_PIXELFORMAT_RGBA32);
    if (!surface) return -1;
    // The window system wants the hot spot on the image.
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, std::clamp(hotX, 0, width - 1),
                                               std::clamp(hotY, 0, height - 1));
    SDL_FreeSurface(surface);
    if (!cursor) return -1;
    cursors_.push_back(cursor);
    return int32_t(cursors_.size()) - 1;
  }

  void Set(int32_t handle) override {
    if (handle >= 0 && size_t(handle) < cursors_.size()) SDL_SetCursor(cursors_[size_t(handle)]);
  }

  void DestroyAll() override {
    for (SDL_Cursor* c : cursors_) SDL_FreeCursor(c);
    cursors_.clear();
  }

 private:
  std::vector<SDL_Cursor*> cursors_;
};

}  // namespace

void InstallSdlCursors() {
  static SdlSystemCursors cursors;
  SetSystemCursors(&cursors);
}

}  // namespace platform
