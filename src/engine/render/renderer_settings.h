#pragma once
// The system set-up record handed to the renderers. The shell fills it from
// config.cfg (SYSSETUP) and the set-up dialog; it lives here so the engine's
// renderers can read it without depending on the shell.
#include <cstdint>

// Passed to the renderer by pointer; field order and sizes are fixed.
struct RendererSettings {
  int32_t api = 0;           // 0 Direct3D, 2 software, 3 software (test setting)
  int32_t width = 640;       // display width in pixels
  int32_t height = 480;      // display height in pixels
  uint8_t bitDepth = 16;     // display colour depth, 16 or 32
  uint8_t secondDepth = 16;  // stored as 16 by the set-up dialog; the renderer's
  uint8_t texBitDepth = 16;  // texture colour depth, 16 or 32
  uint8_t flagA = 1;         // stored as 1 by the set-up dialog; the renderer's
  uint8_t flagB = 1;         // the renderer's
  uint8_t windowed = 0;      // 1 a window with a menu, 0 full screen
  uint8_t flagC = 1;         // stored as 1 by the set-up dialog; the renderer's
  uint8_t spare0 = 0;
  int32_t device = 0;     // display adapter index
  int32_t texDetail = 2;  // 0 low, 1 medium, 2 high
  uint8_t fog = 1;
  uint8_t halos = 1;
  uint8_t multiTexture = 1;
  uint8_t spare1 = 0;
};
static_assert(sizeof(RendererSettings) == 32);

inline constexpr int32_t kApiDirect3D = 0;
inline constexpr int32_t kApiSoftware = 2;
inline constexpr int32_t kApiTest = 3;
