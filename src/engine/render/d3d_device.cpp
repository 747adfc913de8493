#include "engine/render/d3d_device.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/core/console.h"
#include "engine/core/error.h"
#include "platform/paths.h"

using platform::GpuFormat;

namespace {

D3DAdapterTable g_Adapters{};
bool g_Enumerated = false;
bool g_DisplayModeRead = false;
platform::GpuDisplayMode g_DesktopMode;

struct LogFile {
  std::FILE* f = nullptr;
  ~LogFile() {
    if (f) std::fclose(f);
  }
  void Write(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
};

void LogFile::Write(const char* fmt, ...) {
  if (!f) return;
  va_list args;
  va_start(args, fmt);
  std::vfprintf(f, fmt, args);
  va_end(args);
}

void CopyText(char (&out)[512], const std::string& text) {
  std::snprintf(out, sizeof(out), "%s", text.c_str());
}

bool AdapterIsValid(platform::GpuSystem& gpu, int32_t adapter) {
  return gpu.CheckDeviceType(adapter, GpuFormat::R5G6B5, GpuFormat::R5G6B5, false) ||
         gpu.CheckDeviceType(adapter, GpuFormat::X1R5G5B5, GpuFormat::X1R5G5B5, false) ||
         gpu.CheckDeviceType(adapter, GpuFormat::X8R8G8B8, GpuFormat::X8R8G8B8, false) ||
         gpu.CheckDeviceType(adapter, GpuFormat::X8R8G8B8, GpuFormat::A8R8G8B8, false);
}

D3DAdapterCaps AdapterCaps(const platform::GpuCaps& c) {
  D3DAdapterCaps out{};
  out.canRenderWindowed = c.canRenderWindowed;
  out.rating = (c.hardwareTransform ? 10000 : 0) + (c.separateTextureMemories ? 0 : 600) +
               (c.texturesFromNonLocalMemory ? 600 : 0);
  out.anisotropic = c.anisotropicFilter;
  out.linearMip = c.linearMipFilter;
  out.mipLodBias = c.mipLodBias;
  out.hiddenSurfaceRemoval = c.hiddenSurfaceRemoval;
  return out;
}

int32_t ModeDepth(GpuFormat f) {
  switch (f) {
    case GpuFormat::R5G6B5:
    case GpuFormat::X1R5G5B5: return 16;
    case GpuFormat::X8R8G8B8:
    case GpuFormat::A8R8G8B8: return 32;
    default: return 0;
  }
}

int32_t TextureFormatBits(platform::GpuSystem& gpu, int32_t adapter, GpuFormat display) {
  static const struct {
    GpuFormat format;
    int32_t bit;
  } kFormats[] = {{GpuFormat::A8R8G8B8, kTexFmtA8R8G8B8}, {GpuFormat::X8R8G8B8, kTexFmtX8R8G8B8},
                  {GpuFormat::R5G6B5, kTexFmtR5G6B5},     {GpuFormat::X1R5G5B5, kTexFmtX1R5G5B5},
                  {GpuFormat::A1R5G5B5, kTexFmtA1R5G5B5}, {GpuFormat::A4R4G4B4, kTexFmtA4R4G4B4}};
  int32_t bits = 0;
  for (const auto& f : kFormats)
    if (gpu.CheckTextureFormat(adapter, display, f.format)) bits |= f.bit;
  return bits;
}

void StoreModes(platform::GpuSystem& gpu, int32_t adapter, D3DAdapterInfo& info, LogFile& log) {
  const int32_t available = gpu.ModeCount(adapter);
  log.Write("Available Video Modes = %d\n", available);
  info.modeCount = 0;
  for (int32_t j = 0; j < available && info.modeCount < kMaxD3DModes; ++j) {
    platform::GpuDisplayMode mode;
    if (!gpu.GetMode(adapter, j, mode)) continue;
    const int32_t depth = ModeDepth(mode.format);
    if (!depth) continue;
    bool seen = false;
    for (int32_t k = 0; k < info.modeCount && !seen; ++k) {
      const D3DModeInfo& m = info.modes[k];
      seen = m.width == mode.width && m.height == mode.height && m.depth == depth;
    }
    if (seen) continue;
    info.modes[info.modeCount++] = {mode.width, mode.height, depth, j,
                                    TextureFormatBits(gpu, adapter, mode.format)};
    log.Write("Vid Mode %d X %d X %d\n", mode.width, mode.height, depth);
  }
  log.Write("Valid Video Modes = %d\n", info.modeCount);
}

}  // namespace

const D3DAdapterTable& GetD3DAdapterTable() { return g_Adapters; }

void D3DForgetEnumeration() {
  g_Enumerated = false;
  g_DisplayModeRead = false;
}

bool D3DEnumerateDevices() {
  if (g_Enumerated) return true;
  g_Enumerated = true;
  LogFile log;
  log.f = platform::OpenGameFile(kD3DEnumLogName, "w");
  log.Write("ENUMERATING D3D DEVICES\n***********************\n\n");
  log.Write("\nCreating D3D8 Object\n");
  std::unique_ptr<platform::GpuSystem> gpu = platform::CreateGpuSystem();
  if (!gpu) {
    log.Write("\nFailed to Create D3D8 Object\n\n");
    if (log.f) std::fclose(log.f);
    log.f = nullptr;
    ReportError(0, 0, "Failed to Create D3D8 Object\n");
    return false;
  }
  log.Write("\nD3D8 Object Created\n\n");
  const int32_t adapters = gpu->AdapterCount();
  log.Write("Number of display Adapters  :- %d\n", adapters);
  g_Adapters = D3DAdapterTable{};
  for (int32_t i = 0; i < adapters; ++i) {
    log.Write("\nAdapter #%d\n", i);
    platform::GpuAdapterIdentifier id;
    gpu->GetAdapterIdentifier(i, id);
    log.Write("%s\n%s\n", id.driver.c_str(), id.description.c_str());
    const bool valid = AdapterIsValid(*gpu, i);
    log.Write(valid ? "Device Validated\n" : "Device is Not Valid\n");
    if (valid && g_Adapters.count < kMaxD3DAdapters) {
      D3DAdapterInfo& info = g_Adapters.adapters[g_Adapters.count++];
      info.ordinal = i;
      CopyText(info.description, id.description);
      CopyText(info.driver, id.driver);
      info.valid = true;
      platform::GpuCaps caps;
      gpu->GetCaps(i, caps);
      info.caps = AdapterCaps(caps);
      StoreModes(*gpu, i, info, log);
    } else {
      log.Write(
          "This device is not HAL or dest not support D3DFMT_R5G6B5 or D3DFMT_X1R5G5B5\n");
      if (g_Adapters.count < kMaxD3DAdapters) g_Adapters.adapters[g_Adapters.count].valid = false;
    }
  }
  return true;
}

bool D3DModeHasA8R8G8B8(int32_t adapter, int32_t width, int32_t height, int32_t depth) {
  return D3DModeHasA8R8G8B8(g_Adapters, adapter, width, height, depth);
}

bool D3DModeHasA8R8G8B8(const D3DAdapterTable& table, int32_t adapter, int32_t width,
                        int32_t height, int32_t depth) {
  if (adapter < 0 || adapter >= table.count || adapter >= kMaxD3DAdapters) return false;
  const D3DAdapterInfo& info = table.adapters[adapter];
  for (int32_t i = 0; i < info.modeCount; ++i) {
    const D3DModeInfo& m = info.modes[i];
    if (m.width == width && m.height == height && m.depth == depth)
      return (m.textureFormats & kTexFmtA8R8G8B8) != 0;
  }
  return false;
}

namespace {

GpuFormat FullScreenFormat(platform::GpuSystem& gpu, int32_t adapter, int32_t bitDepth) {
  if (bitDepth == 16) {
    if (gpu.CheckDeviceType(adapter, GpuFormat::R5G6B5, GpuFormat::R5G6B5, false))
      return GpuFormat::R5G6B5;
    if (gpu.CheckDeviceType(adapter, GpuFormat::X1R5G5B5, GpuFormat::X1R5G5B5, false))
      return GpuFormat::X1R5G5B5;
    return GpuFormat::Unknown;
  }
  if (gpu.CheckDeviceType(adapter, GpuFormat::X8R8G8B8, GpuFormat::X8R8G8B8, false))
    return GpuFormat::X8R8G8B8;
  if (gpu.CheckDeviceType(adapter, GpuFormat::X8R8G8B8, GpuFormat::A8R8G8B8, false))
    return GpuFormat::A8R8G8B8;
  return GpuFormat::Unknown;
}

// The adapter the settings name, or the first one when that is not present
// (a config.cfg from another machine, or an edited one): the game still
// starts, and says once which adapter it draws on.
int32_t PresentAdapter(platform::GpuSystem& gpu, int32_t wanted) {
  if (wanted >= 0 && wanted < gpu.AdapterCount()) return wanted;
  static bool said = false;
  if (!said)
    ConsolePrintF(kConsoleError, "The display adapter %d (SysSetup device in config.cfg) is not present; the first "
                  "one is used.", wanted);
  said = true;
  return 0;
}

}  // namespace

bool D3DCreateBuffers(D3DDevice& d) {
  using platform::GpuVertexLayout;
  platform::GpuDevice& gpu = *d.device;
  d.texturedVertices = gpu.CreateVertexBuffer(0x15000, GpuVertexLayout::Textured);
  d.twoTextureVertices = gpu.CreateVertexBuffer(0x1B000, GpuVertexLayout::TwoTextures);
  d.screenVertices = gpu.CreateVertexBuffer(0x18000, GpuVertexLayout::Screen);
  d.indices[0] = gpu.CreateIndexBuffer(0x12000);
  d.indices[1] = gpu.CreateIndexBuffer(0x12000);
  if (d.texturedVertices && d.twoTextureVertices && d.screenVertices && d.indices[0] &&
      d.indices[1])
    return true;
  D3DReleaseBuffers(d);
  ReportError(1, 0, "D3D: could not create the vertex and index buffers");
  return false;
}

bool D3DCreateDevice(D3DDevice& d, const RendererSettings& settings, void* window) {
  D3DEnumerateDevices();
  d.window = window;
  d.settings = settings;
  d.system = platform::CreateGpuSystem();
  if (!d.system) {
    ReportError(1, 0, "D3D: the drawing layer could not be started");
    return false;
  }
  const int32_t adapter = PresentAdapter(*d.system, settings.device);
  d.settings.device = adapter;
  if (!g_DisplayModeRead) {
    g_DisplayModeRead = d.system->GetCurrentMode(adapter, g_DesktopMode);
  }
  platform::GpuPresentParams& p = d.params;
  p = platform::GpuPresentParams{};
  p.width = settings.width;
  p.height = settings.height;
  p.window = window;
  p.depthBuffer = true;
  p.depthFormat = GpuFormat::D16;
  p.windowed = settings.windowed != 0;
  p.backBufferFormat = p.windowed ? g_DesktopMode.format
                                  : FullScreenFormat(*d.system, adapter, settings.bitDepth);
  platform::GpuCaps caps;
  d.system->GetCaps(adapter, caps);
  d.hardwareVertexProcessing = caps.hardwareTransform;
  std::string error;
  d.device = d.system->CreateDevice(adapter, p, &error);
  if (!d.device) {
    ReportErrorF(1, "D3D: could not create the device on adapter %d (%s)", adapter,
                 error.c_str());
    d.system.reset();
    return false;
  }
  d.device->SetViewport(0, 0, p.width, p.height, 0.0f, 1.0f);
  if (!D3DCreateBuffers(d)) {
    D3DReleaseDevice(d);
    return false;
  }
  return true;
}

bool D3DCreatePageTexture(D3DDevice& d, int32_t page, float width, float height,
                          uint32_t pageFlags, int32_t textureDepth) {
  if (page < 0 || page >= kMaxPageTextures || !d.device) return false;
  auto isPow2 = [](float v) {
    int32_t i = int32_t(v);
    return float(i) == v && i > 0 && (i & (i - 1)) == 0;
  };
  int32_t w = 64, h = 64;
  if (isPow2(width) && isPow2(height)) {
    w = int32_t(width);
    h = int32_t(height);
  }
  int32_t levels = 1;
  for (int32_t s = w > h ? w : h; s > 1; s >>= 1) ++levels;
  GpuFormat format = textureDepth == 32           ? GpuFormat::A8R8G8B8
                     : (pageFlags & 0x1000) != 0 ? GpuFormat::A4R4G4B4
                                                  : GpuFormat::A1R5G5B5;
  d.pageTextures[page] = d.device->CreateTexture(w, h, levels, format, platform::GpuPool::Device);
  return d.pageTextures[page] != nullptr;
}

void D3DReleaseBuffers(D3DDevice& d) {
  d.indices[0].reset();
  d.indices[1].reset();
  d.texturedVertices.reset();
  d.twoTextureVertices.reset();
  d.screenVertices.reset();
}

void D3DReleaseDevice(D3DDevice& d) {
  D3DReleaseBuffers(d);
  for (auto& t : d.pageTextures) t.reset();
  d.device.reset();
  d.system.reset();
}

bool ReportDirectXFailure(int32_t result, const char* name) {
  if (result == 0) return false;
  ReportErrorF(0, "d3dfailed: %s\n", name ? name : "unknown error");
  return true;
}
