#include "visuals/overlay/screenshots.h"

#include <cstdio>
#include <cstdlib>

#include "engine/input/camera_controller.h"
#include "engine/render/renderer.h"
#include "platform/paths.h"
#include "visuals/overlay/frame_draw.h"

namespace {
constexpr int32_t kLastNumber = 9999;
}  // namespace

std::string EncodeScreenshot(const uint32_t* pixels, int32_t width, int32_t height) {
  std::string bytes(18, '\0');
  bytes[2] = 2;
  bytes[12] = char(width & 0xFF), bytes[13] = char(width >> 8);
  bytes[14] = char(height & 0xFF), bytes[15] = char(height >> 8);
  bytes[16] = 32;
  bytes.reserve(18 + size_t(width) * size_t(height) * 4);
  for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
    // Red-green-blue in memory becomes the file's blue-green-red; the back
    // buffer's alpha means nothing on screen, and a picture with alpha 0 shows
    // blank in most viewers, so every pixel is opaque.
    const uint8_t* p = reinterpret_cast<const uint8_t*>(pixels + i);
    bytes.push_back(char(p[2]));
    bytes.push_back(char(p[1]));
    bytes.push_back(char(p[0]));
    bytes.push_back(char(0xFF));
  }
  return bytes;
}

std::string WriteNumberedScreenshot(int32_t first) {
  CRenderer* r = GetRenderer();
  if (!r) return {};
  const CameraState& c = g_CameraState;
  r->SetCameraPosition(c.eye.x, c.eye.y, c.eye.z);
  r->SetCameraTarget(c.lookAt.x, c.lookAt.y, c.lookAt.z);
  // Read before presenting: after it the back buffer holds nothing certain.
  const bool drawn = DrawFrame();
  uint32_t* pixels = nullptr;
  int32_t width = 0, height = 0;
  const bool read = r->ReadBackBuffer(&pixels, &width, &height) == 1 && pixels && width > 0 &&
                    height > 0;
  if (drawn) r->Present();
  if (!read) {
    std::free(pixels);
    return {};
  }
  const std::string bytes = EncodeScreenshot(pixels, width, height);
  std::free(pixels);
  for (int32_t n = std::max(first, 0); n <= kLastNumber; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "civano%04d.tga", n);
    if (std::FILE* existing = platform::OpenGameFile(name, "rb")) {
      std::fclose(existing);
      continue;
    }
    std::FILE* f = platform::OpenGameFile(name, "wb");
    if (!f) return {};
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    return ok && closed ? name : std::string();
  }
  return {};
}
