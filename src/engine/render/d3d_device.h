#pragma once
// The hardware renderer's adapters and device: the adapter table, enumerated
// once per run (and logged to D3DEnum.txt), the device with its dynamic
// vertex and index buffers, and the page textures.
#include <cstdint>
#include <memory>

#include "platform/gpu_device.h"
#include "engine/render/renderer_settings.h"  // the set-up record handed to Open

inline constexpr int32_t kMaxD3DAdapters = 8;
inline constexpr int32_t kMaxD3DModes = 64;
inline constexpr int32_t kMaxPageTextures = 1224;
inline constexpr const char* kD3DEnumLogName = "D3DEnum.txt";

// Texture-format bits of a display mode.
enum : int32_t {
  kTexFmtX1R5G5B5 = 1, kTexFmtA1R5G5B5 = 2, kTexFmtA4R4G4B4 = 4, kTexFmtR5G6B5 = 8,
  kTexFmtA8R8G8B8 = 16, kTexFmtX8R8G8B8 = 32,
};

struct D3DModeInfo {
  int32_t width;
  int32_t height;
  int32_t depth;  // 16 or 32
  int32_t modeIndex;  // in the adapter's own list
  int32_t textureFormats;
};

struct D3DAdapterCaps {
  uint8_t unused[4];
  uint8_t canRenderWindowed;
  int32_t rating;
  uint8_t anisotropic;
  uint8_t linearMip;
  uint8_t mipLodBias;
  uint8_t hiddenSurfaceRemoval;
};

struct D3DAdapterInfo {
  int32_t ordinal;
  char description[512];
  char driver[512];
  bool valid;
  int32_t modeCount;
  D3DModeInfo modes[kMaxD3DModes];
  D3DAdapterCaps caps;
};

struct D3DAdapterTable {
  D3DAdapterInfo adapters[kMaxD3DAdapters];
  int32_t count;
};

const D3DAdapterTable& GetD3DAdapterTable();
// Fills the table once per run and writes D3DEnum.txt; later calls return at
// once. A layer that cannot be started is fatal.
bool D3DEnumerateDevices();
// Lets a test enumerate again (the next call rebuilds the table and the log).
void D3DForgetEnumeration();
// Bit 16 (A8R8G8B8 textures) of the first stored mode of that size and depth.
bool D3DModeHasA8R8G8B8(int32_t adapter, int32_t width, int32_t height, int32_t depth);
bool D3DModeHasA8R8G8B8(const D3DAdapterTable& table, int32_t adapter, int32_t width,
                        int32_t height, int32_t depth);

// Buffer capacities.
inline constexpr int32_t kBatchVertices = 3072;
inline constexpr int32_t kBatchIndices = 36864;

struct D3DDevice {
  std::unique_ptr<platform::GpuSystem> system;
  std::unique_ptr<platform::GpuDevice> device;
  platform::GpuPresentParams params;
  void* window = nullptr;
  bool hardwareVertexProcessing = false;
  RendererSettings settings{};
  std::unique_ptr<platform::GpuBuffer> texturedVertices;    // 28-byte vertices
  std::unique_ptr<platform::GpuBuffer> twoTextureVertices;  // 36-byte vertices
  std::unique_ptr<platform::GpuBuffer> screenVertices;      // 32-byte pre-transformed
  std::unique_ptr<platform::GpuBuffer> indices[2];
  std::unique_ptr<platform::GpuTexture> pageTextures[kMaxPageTextures];
};

// Creates the device and its buffers; false (reported at level 1, nothing
// left half made) when the layer, the device or a buffer cannot be made.
bool D3DCreateDevice(D3DDevice& device, const RendererSettings& settings, void* window);
bool D3DCreateBuffers(D3DDevice& device);
// The texture of one page; false when the device refuses it.
bool D3DCreatePageTexture(D3DDevice& device, int32_t page, float width, float height,
                          uint32_t pageFlags, int32_t textureDepth);
void D3DReleaseBuffers(D3DDevice& device);
void D3DReleaseDevice(D3DDevice& device);
// A non-zero result is fatal ("d3dfailed: <name>"); zero returns false.
bool ReportDirectXFailure(int32_t result, const char* name);
