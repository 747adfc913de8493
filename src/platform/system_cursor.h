#pragma once
// Colour mouse cursors of the window system. The game makes its cursors once
// from its own images and switches between them; without a display (the
// null form) every cursor is refused and the game draws its own instead.
#include <cstdint>

namespace platform {

class SystemCursors {
 public:
  virtual ~SystemCursors() = default;
  // A cursor from RGBA texels (rows from the top) with its hot spot; a handle
  // of 0 or more, or -1 when refused.
  virtual int32_t Create(const uint8_t* rgba, int32_t width, int32_t height, int32_t hotX,
                         int32_t hotY) = 0;
  virtual void Set(int32_t handle) = 0;
  virtual void DestroyAll() = 0;
};

// The installed form (the null form until a display installs its own).
SystemCursors& GetSystemCursors();
void SetSystemCursors(SystemCursors* cursors);

}  // namespace platform
