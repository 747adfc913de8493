#pragma once
// The hardware drawing layer: display adapters with their modes, and a device
// with a depth buffer, dynamic vertex and 16-bit index buffers, mip-mapped
// textures, fixed-function render and texture-stage states, transforms in the
// row-vector convention (p' = p x M), clear, present and colour-buffer access.
//
// The device follows the conventions the hardware renderer is written for:
// depth after projection runs 0 (near) .. 1 (far); window y grows downward and
// pixel centres lie on whole coordinates (a pre-transformed vertex at (0, 0)
// is the centre of the top-left pixel); "clockwise" means clockwise as seen on
// the screen; specular colour is added after the texture stages; colour-buffer
// rows are handed over top row first. Each backend converts to its own.
//
// The OpenGL backend lives in platform/sdl; the recording backend
// (recording_gpu_device.h) draws nothing and serves headless runs and tests.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

enum class GpuFormat : int32_t {
  Unknown = 0,
  R5G6B5,
  X1R5G5B5,
  A1R5G5B5,
  A4R4G4B4,
  X8R8G8B8,
  A8R8G8B8,
  D16,
};
int32_t GpuFormatBytes(GpuFormat format);  // bytes per pixel, 0 for Unknown

struct GpuDisplayMode {
  int32_t width = 0;
  int32_t height = 0;
  int32_t refreshRate = 0;
  GpuFormat format = GpuFormat::Unknown;
};

struct GpuAdapterIdentifier {
  std::string driver;
  std::string description;
};

struct GpuCaps {
  bool hardwareTransform = false;
  bool separateTextureMemories = false;
  bool texturesFromNonLocalMemory = false;
  bool canRenderWindowed = false;
  bool anisotropicFilter = false;
  bool linearMipFilter = false;
  bool mipLodBias = false;
  bool hiddenSurfaceRemoval = false;
  bool vertexFog = false;
  bool tableFog = false;
  bool wFog = false;
  int32_t maxTextureWidth = 0;
  int32_t maxTextureHeight = 0;
  int32_t maxTextureRepeat = 0;
  int32_t maxTextureBlendStages = 0;
  int32_t maxSimultaneousTextures = 0;
  float guardBandLeft = 0, guardBandTop = 0, guardBandRight = 0, guardBandBottom = 0;
};

struct GpuPresentParams {
  int32_t width = 640;
  int32_t height = 480;
  GpuFormat backBufferFormat = GpuFormat::Unknown;  // Unknown: the display's
  bool windowed = true;
  bool depthBuffer = true;
  GpuFormat depthFormat = GpuFormat::D16;
  void* window = nullptr;  // the window system's handle; null: the backend's own
};

enum class GpuResult : int32_t { Ok = 0, DeviceLost, DeviceNotReset, Failed };

// ---- Render states ----------------------------------------------------------

enum class GpuState : int32_t {
  ZEnable, ZWriteEnable, ZFunc, FillMode, ShadeMode, LastPixel, CullMode, DitherEnable,
  SpecularEnable, AlphaTestEnable, AlphaRef, AlphaFunc, AlphaBlendEnable, SrcBlend, DestBlend,
  StencilEnable, StencilFail, StencilZFail, StencilPass, StencilFunc, StencilRef, StencilMask,
  StencilWriteMask, FogEnable, FogColour, FogTableMode, FogVertexMode, FogStart, FogEnd,
  RangeFogEnable, EdgeAntialias, DepthBias, TextureFactor, Clipping, Lighting, LocalViewer,
  NormaliseNormals, VertexBlend, PointSprites,
  // 1: draws write depth (and stencil) only, no colour; with alpha testing
  // off the device may shade such pixels with nothing at all.
  DepthOnly,
  // 1: draws lie at the farthest depth, behind everything: they show only
  // where no depth has been laid down since the clear (tested less-or-equal,
  // never written, whatever ZEnable, ZFunc and ZWriteEnable say).
  BehindAll,
  Count
};
enum GpuCompare : uint32_t {
  kGpuNever = 1, kGpuLess, kGpuEqual, kGpuLessEqual, kGpuGreater, kGpuNotEqual,
  kGpuGreaterEqual, kGpuAlways,
};
enum GpuFill : uint32_t { kGpuFillPoint = 1, kGpuFillWireframe, kGpuFillSolid };
enum GpuShade : uint32_t { kGpuShadeFlat = 1, kGpuShadeGouraud };
enum GpuCull : uint32_t { kGpuCullNone = 1, kGpuCullClockwise, kGpuCullCounterClockwise };
enum GpuBlend : uint32_t {
  kGpuBlendZero = 1, kGpuBlendOne, kGpuBlendSrcColour, kGpuBlendInvSrcColour, kGpuBlendSrcAlpha,
  kGpuBlendInvSrcAlpha, kGpuBlendDestAlpha, kGpuBlendInvDestAlpha, kGpuBlendDestColour,
  kGpuBlendInvDestColour,
};
enum GpuFogMode : uint32_t { kGpuFogNone = 0, kGpuFogExp, kGpuFogExp2, kGpuFogLinear };
enum GpuStencilOp : uint32_t {
  kGpuStencilKeep = 1, kGpuStencilZero, kGpuStencilReplace, kGpuStencilIncrSat,
  kGpuStencilDecrSat, kGpuStencilInvert, kGpuStencilIncr, kGpuStencilDecr,
};
// Floats (fog start and end, depth bias) travel as their bits.
uint32_t GpuFloatBits(float value);
float GpuBitsFloat(uint32_t bits);

enum class GpuStageState : int32_t {
  ColourOp, ColourArg1, ColourArg2, AlphaOp, AlphaArg1, AlphaArg2, TexCoordIndex, AddressU,
  AddressV, MagFilter, MinFilter, MipFilter, MipLodBias,
  Count
};
enum GpuTextureOp : uint32_t {
  kGpuOpDisable = 1, kGpuOpSelectArg1, kGpuOpSelectArg2, kGpuOpModulate, kGpuOpModulate2x,
  kGpuOpModulate4x, kGpuOpAdd, kGpuOpAddSigned, kGpuOpAddSigned2x, kGpuOpSubtract,
  kGpuOpAddSmooth, kGpuOpBlendDiffuseAlpha, kGpuOpBlendTextureAlpha, kGpuOpBlendFactorAlpha,
  kGpuOpBlendTextureAlphaPm, kGpuOpBlendCurrentAlpha,
};
enum GpuTextureArg : uint32_t {
  kGpuArgDiffuse = 0, kGpuArgCurrent, kGpuArgTexture, kGpuArgFactor, kGpuArgSpecular,
};
enum GpuAddress : uint32_t { kGpuWrap = 1, kGpuMirror, kGpuClamp, kGpuBorder };
enum GpuFilter : uint32_t { kGpuFilterNone = 0, kGpuFilterPoint, kGpuFilterLinear };

inline constexpr int32_t kGpuMaxStages = 8;
inline constexpr int32_t kGpuSampledStages = 2;  // stages that read textures

// ---- Resources ---------------------------------------------------------------

// Vertex layouts (all little-endian; colours 0xAARRGGBB words).
enum class GpuVertexLayout : int32_t {
  Textured,     // x y z, diffuse, specular, u v (28 bytes)
  TwoTextures,  // x y z, diffuse, specular, u v, u2 v2 (36 bytes)
  Screen,       // x y z 1/w (pre-transformed), diffuse, specular, u v (32 bytes)
};
int32_t GpuVertexStride(GpuVertexLayout layout);

// Lock flags.
inline constexpr uint32_t kGpuLockDiscard = 1;      // the old contents may go
inline constexpr uint32_t kGpuLockNoOverwrite = 2;  // the caller writes only unused parts
inline constexpr uint32_t kGpuLockReadOnly = 4;

class GpuBuffer {
 public:
  virtual ~GpuBuffer() = default;
  virtual int32_t Bytes() const = 0;
  // Null when the range is outside the buffer or it is locked already.
  virtual void* Lock(int32_t offset, int32_t bytes, uint32_t flags) = 0;
  virtual void Unlock() = 0;
};

enum class GpuPool : int32_t { Device, SystemMemory };

class GpuTexture {
 public:
  virtual ~GpuTexture() = default;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual int32_t Levels() const = 0;
  virtual GpuFormat Format() const = 0;
  // Pixels of one level (rows top first) and the pitch in bytes; null on a bad level.
  virtual void* Lock(int32_t level, int32_t* pitch) = 0;
  virtual void Unlock(int32_t level) = 0;
};

// A copy of the colour buffer: rows top first, in the buffer's format.
struct GpuImage {
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;  // bytes
  GpuFormat format = GpuFormat::Unknown;
  std::unique_ptr<uint8_t[]> pixels;
};

enum class GpuTransform : int32_t { World, View, Projection };
enum class GpuPrimitive : int32_t { PointList, LineStrip, TriangleList };

// Clear flags.
inline constexpr uint32_t kGpuClearColour = 1;
inline constexpr uint32_t kGpuClearDepth = 2;
inline constexpr uint32_t kGpuClearStencil = 4;

class GpuDevice {
 public:
  virtual ~GpuDevice() = default;

  virtual std::unique_ptr<GpuBuffer> CreateVertexBuffer(int32_t bytes, GpuVertexLayout layout) = 0;
  virtual std::unique_ptr<GpuBuffer> CreateIndexBuffer(int32_t bytes) = 0;
  // levels 0: a full chain down to 1 x 1. Null when the device refuses.
  virtual std::unique_ptr<GpuTexture> CreateTexture(int32_t width, int32_t height, int32_t levels,
                                                    GpuFormat format, GpuPool pool) = 0;
  // Copies every level of a system-memory texture into a device texture of
  // the same size and format.
  virtual bool UpdateTexture(GpuTexture* source, GpuTexture* destination) = 0;
  virtual int64_t AvailableTextureMemory() = 0;

  virtual void SetRenderState(GpuState state, uint32_t value) = 0;
  virtual void SetStageState(int32_t stage, GpuStageState state, uint32_t value) = 0;
  virtual void SetTexture(int32_t stage, GpuTexture* texture) = 0;  // null unbinds
  // 16 floats, row-major, row vectors.
  virtual void SetTransform(GpuTransform which, const float* matrix) = 0;
  virtual void SetViewport(int32_t x, int32_t y, int32_t width, int32_t height, float minZ,
                           float maxZ) = 0;
  virtual void SetStreamSource(GpuBuffer* vertices, GpuVertexLayout layout) = 0;  // null unbinds
  virtual void SetIndices(GpuBuffer* indices, int32_t baseVertex) = 0;
  // Whether the current states can be drawn in one pass; passes gets the count.
  virtual bool ValidateDevice(int32_t* passes) = 0;

  virtual bool BeginScene() = 0;
  virtual bool EndScene() = 0;
  virtual void Clear(uint32_t flags, uint32_t colour, float depth, uint32_t stencil) = 0;
  // Triangle lists from the bound indices: primitiveCount triangles from
  // startIndex, over vertices minIndex .. minIndex + vertexCount - 1.
  virtual void DrawIndexed(int32_t minIndex, int32_t vertexCount, int32_t startIndex,
                           int32_t primitiveCount) = 0;
  virtual void Draw(GpuPrimitive type, int32_t startVertex, int32_t primitiveCount) = 0;

  // The picture shown in the window passes through this table, the same for
  // red, green and blue (256 entries; null: shown as drawn). Only what the
  // device presents changes: the colour buffer keeps the drawn values and
  // the display's own ramp is never touched.
  virtual void SetGammaRamp(const uint8_t* ramp) = 0;
  virtual GpuResult Present() = 0;
  virtual GpuResult TestCooperativeLevel() = 0;
  // Recreates the device's surfaces; every buffer and texture must be released first.
  virtual bool Reset(const GpuPresentParams& params) = 0;

  virtual void GetBackBufferSize(int32_t* width, int32_t* height, GpuFormat* format) = 0;
  virtual bool ReadBackBuffer(GpuImage& image) = 0;
  virtual bool WriteBackBuffer(const GpuImage& image) = 0;
};

// The display adapters and the means of creating a device on one.
class GpuSystem {
 public:
  virtual ~GpuSystem() = default;
  virtual int32_t AdapterCount() = 0;
  virtual bool GetAdapterIdentifier(int32_t adapter, GpuAdapterIdentifier& out) = 0;
  virtual int32_t ModeCount(int32_t adapter) = 0;
  virtual bool GetMode(int32_t adapter, int32_t index, GpuDisplayMode& out) = 0;
  virtual bool GetCurrentMode(int32_t adapter, GpuDisplayMode& out) = 0;
  // Whether a hardware device can run with this display and back-buffer format.
  virtual bool CheckDeviceType(int32_t adapter, GpuFormat display, GpuFormat backBuffer,
                               bool windowed) = 0;
  virtual bool CheckTextureFormat(int32_t adapter, GpuFormat display, GpuFormat texture) = 0;
  virtual bool GetCaps(int32_t adapter, GpuCaps& out) = 0;
  // Null, with the reason in `error`, when no device can be made.
  virtual std::unique_ptr<GpuDevice> CreateDevice(int32_t adapter, const GpuPresentParams& params,
                                                  std::string* error) = 0;
};

// Where GPU systems come from: the recording form unless a backend installed
// its own factory. CreateGpuSystem gives null when the factory fails.
using GpuSystemFactory = std::function<std::unique_ptr<GpuSystem>()>;
GpuSystemFactory SetGpuSystemFactory(GpuSystemFactory factory);
std::unique_ptr<GpuSystem> CreateGpuSystem();

}  // namespace platform
