// The hardware renderer's object, device life, frames, camera, projection,
// fog and back-buffer access.
#include "engine/render/d3d_renderer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "engine/scene/entity.h"
#include "engine/core/error.h"
#include "engine/render/light_ramp.h"

using platform::GpuState;

Vec3 g_LightDirection{0, -1, 0};
ViewWindow g_ViewWindow{0, 1, 0, 1};
float g_D3DViewMatrix[16];
float g_D3DProjectionScale[2];

namespace {

void Identity(float* m) {
  std::memset(m, 0, sizeof(float) * 16);
  m[0] = m[5] = m[10] = m[15] = 1.0f;
}

}  // namespace

std::unique_ptr<CRenderer> CreateD3DRenderer() { return std::make_unique<CD3DRenderer>(); }

CD3DRenderer::CD3DRenderer() {
  Identity(world_);
  Identity(view_);
  Identity(projection_);
  q_ = far_ / (far_ - near_);
  qn_ = q_ * near_;
}

CD3DRenderer::~CD3DRenderer() = default;

bool CD3DRenderer::Open(void* window, void*, RendererSettings* settings) {
  if (!settings) return false;
  texDetail_ = settings->texDetail;
  D3DEnumerateDevices();
  if (settings->texBitDepth == 32 &&
      !D3DModeHasA8R8G8B8(settings->device, settings->width, settings->height, 32))
    settings->texBitDepth = 16;
  if (!D3DCreateDevice(dev_, *settings, window)) return false;
  width_ = settings->width;
  height_ = settings->height;
  depth_ = settings->bitDepth;
  dev_.system->GetCaps(settings->device, deviceCaps_);
  GetCaps(&caps_);
  clearFlags_ = 3;
  SetInitialStates();
  SendGammaRamp();
  g_ViewWindow = {0, 1, 0, 1};
  applied_ = ShaderMode{};
  batchFirstVertex_ = batchVertexCount_ = batchFirstIndex_ = batchIndexCount_ = 0;
  open_ = true;
  return true;
}

void CD3DRenderer::Close() {
  if (!dev_.device) return;
  UnlockBuffers();
  dev_.device->SetStreamSource(nullptr, platform::GpuVertexLayout::Textured);
  dev_.device->SetIndices(nullptr, 0);
  boundVertices_ = boundIndices_ = nullptr;
  ReleaseTexturePages();
  D3DReleaseDevice(dev_);
  open_ = false;
}

void CD3DRenderer::GetCaps(RendererCaps* caps) {
  if (!caps) return;
  const platform::GpuCaps& c = deviceCaps_;
  caps->maxTextureSize = std::min(c.maxTextureWidth, c.maxTextureHeight);
  caps->maxTextureRepeat = c.maxTextureRepeat;
  caps->maxTextureBlendStages = c.maxTextureBlendStages;
  caps->maxSimultaneousTextures = c.maxSimultaneousTextures;
  caps->vertexFog = c.vertexFog;
  caps->tableFog = c.tableFog;
  caps->wFog = c.wFog;
  guardBand_[0] = int32_t(c.guardBandLeft);
  guardBand_[1] = int32_t(c.guardBandRight);
  guardBand_[2] = int32_t(c.guardBandTop);
  guardBand_[3] = int32_t(c.guardBandBottom);
}

int32_t CD3DRenderer::GetTriangleCount() { return triangles_; }

void CD3DRenderer::SetInitialStates() {
  platform::GpuDevice& d = *dev_.device;
  using namespace platform;
  d.SetRenderState(GpuState::ZEnable, 1);
  d.SetRenderState(GpuState::FillMode, kGpuFillSolid);
  d.SetRenderState(GpuState::ShadeMode, kGpuShadeGouraud);
  d.SetRenderState(GpuState::ZWriteEnable, 1);
  d.SetRenderState(GpuState::AlphaTestEnable, 0);
  d.SetRenderState(GpuState::LastPixel, 1);
  d.SetRenderState(GpuState::CullMode, kGpuCullCounterClockwise);
  d.SetRenderState(GpuState::ZFunc, kGpuLessEqual);
  d.SetRenderState(GpuState::DitherEnable, 1);
  d.SetRenderState(GpuState::SpecularEnable, 1);
  d.SetRenderState(GpuState::FogEnable, 0);
  d.SetRenderState(GpuState::EdgeAntialias, 0);
  d.SetRenderState(GpuState::DepthBias, 0);
  d.SetRenderState(GpuState::RangeFogEnable, 0);
  d.SetRenderState(GpuState::StencilEnable, 0);
  d.SetRenderState(GpuState::TextureFactor, 0);
  d.SetRenderState(GpuState::Clipping, 1);
  d.SetRenderState(GpuState::Lighting, 0);
  d.SetRenderState(GpuState::LocalViewer, 0);
  d.SetRenderState(GpuState::NormaliseNormals, 0);
  d.SetRenderState(GpuState::VertexBlend, 0);
  d.SetRenderState(GpuState::PointSprites, 0);
  d.SetRenderState(GpuState::DepthOnly, 0);
  d.SetRenderState(GpuState::BehindAll, 0);
  clipping_ = 1;
}

// ---- Frames --------------------------------------------------------------------

bool CD3DRenderer::BeginFrame() {
  if (!dev_.device) return false;
  entries_.clear();
  for (auto& list : pageEntries_) list.clear();
  std::fill(pageBits_.begin(), pageBits_.end(), 0u);
  std::fill(pageVertices_.begin(), pageVertices_.end(), 0);
  std::fill(pageIndices_.begin(), pageIndices_.end(), 0);
  recordCount_ = 0;
  immediateEntities_ = false;
  if (depthPrepass_) {  // a frame left unfinished inside a pre-pass
    depthPrepass_ = false;
    dev_.device->SetRenderState(platform::GpuState::DepthOnly, 0);
  }
  dev_.device->SetRenderState(platform::GpuState::BehindAll, 0);
  if (!dev_.device->BeginScene()) return false;
  platform::GpuDevice& d = *dev_.device;
  inScene_ = true;
  triangles_ = 0;
  lighting_ = false;
  d.SetRenderState(GpuState::SpecularEnable, 1);
  if (dev_.settings.fog) {
    d.SetRenderState(GpuState::FogVertexMode, platform::kGpuFogNone);
    d.SetRenderState(GpuState::FogTableMode, platform::kGpuFogNone);
    d.SetRenderState(GpuState::FogEnable, 1);
    d.SetRenderState(GpuState::FogColour, fogColour_);
    if (deviceCaps_.tableFog) {
      d.SetRenderState(GpuState::FogTableMode, platform::kGpuFogLinear);
      d.SetRenderState(GpuState::FogStart, platform::GpuFloatBits(fogStartSent_));
      d.SetRenderState(GpuState::FogEnd, platform::GpuFloatBits(fogEndSent_));
    } else if (deviceCaps_.vertexFog) {
      d.SetRenderState(GpuState::FogVertexMode, platform::kGpuFogLinear);
      d.SetRenderState(GpuState::FogStart, platform::GpuFloatBits(fogStartSent_));
      d.SetRenderState(GpuState::FogEnd, platform::GpuFloatBits(fogEndSent_));
      d.SetRenderState(GpuState::RangeFogEnable, 0);
    }
  } else {
    d.SetRenderState(GpuState::FogEnable, 0);
  }
  if (!worldSet_) {
    SetTransform(platform::GpuTransform::World, world_);
    worldSet_ = true;
  }
  ApplyCamera();
  ApplyProjection();
  BindStage(0, -1);
  SetFieldOfView(fov_);
  currentShader_ = -1;
  stageCount_ = 0;
  batchPage_ = -1;
  lighting_ = true;
  BindSingleTexture();
  MarkBuffersFull();
  GetRendererStats() = RendererStats{};
  return true;
}

void CD3DRenderer::EndFrame() {
  if (!dev_.device) return;
  DrawBatch();
  DrawQueue();
  UnbindStages();
  if (inScene_) {
    dev_.device->EndScene();
    inScene_ = false;
  }
}

void CD3DRenderer::Present() {
  if (!dev_.device) return;
  if (dev_.device->Present() != platform::GpuResult::DeviceLost) return;
  platform::GpuResult level = dev_.device->TestCooperativeLevel();
  if (level == platform::GpuResult::DeviceLost) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return;
  }
  if (level == platform::GpuResult::DeviceNotReset) RecoverLostDevice();
}

void CD3DRenderer::RecoverLostDevice() {
  platform::GpuDevice& d = *dev_.device;
  UnlockBuffers();
  d.SetStreamSource(nullptr, platform::GpuVertexLayout::Textured);
  d.SetIndices(nullptr, 0);
  boundVertices_ = boundIndices_ = nullptr;
  ReleaseTexturePages();
  D3DReleaseBuffers(dev_);
  if (!d.Reset(dev_.params) || !D3DCreateBuffers(dev_)) {
    ReportError(1, 0, "D3D: the device could not be restored");
    return;
  }
  DownloadAllTexturePages();
  SetInitialStates();
  SendGammaRamp();
  std::memset(&applied_, 0xFF, sizeof(applied_));
  worldSet_ = false;
}

void CD3DRenderer::Clear() {
  if (!dev_.device) return;
  uint32_t flags = 0;
  if (clearFlags_ & 1) flags |= platform::kGpuClearColour;
  if (clearFlags_ & 2) flags |= platform::kGpuClearDepth;
  dev_.device->Clear(flags, 0, 1.0f, 0);
}

void CD3DRenderer::SetClearFlags(bool colour, bool depth) {
  clearFlags_ = (colour ? 1u : 0u) | (depth ? 2u : 0u);
}

void CD3DRenderer::Begin2D() {
  DrawBatch();
  SetOrthographic(640.0f, 480.0f);
}

void CD3DRenderer::BeginOverlay() {
  DrawBatch();
  DrawQueue();
  immediateEntities_ = true;
  camPos_ = {0, 0, 0};
  camTarget_ = {0, 0, 100};
  camUp_ = {0, 1, 0};
  // The overlay's camera is no view of the city: what picking and the lot
  // grid read between frames stays the world's.
  const Mat43 world = PublishedViewMatrix();
  ApplyCamera();
  PublishViewMatrix(world);
  SetOrthographic(float(width_), float(height_));
  if (filteringLevel_ == 0) dirty_ = true;  // the interface keeps its own filters
  BindStage(0, 0);
  if (dev_.device) dev_.device->SetRenderState(GpuState::FogEnable, 0);
}

void CD3DRenderer::EndOverlay() {
  DrawBatch();
  DrawQueue();
}

// ---- Camera and projection -----------------------------------------------------

void CD3DRenderer::SetTransform(platform::GpuTransform which, const float* m) {
  if (dev_.device) dev_.device->SetTransform(which, m);
}

void CD3DRenderer::SetOrthographic(float w, float h) {
  const ViewWindow& v = g_ViewWindow;
  float m[16];
  Identity(m);
  m[0] = 2.0f / (w * (v.right - v.left));
  m[5] = -2.0f / (h * (v.top - v.bottom));
  m[10] = 1.0f / 10000.0f;
  m[12] = -2.0f * v.left / (v.right - v.left) - 1.0f;
  m[13] = 2.0f * (1.0f - v.top) / (v.top - v.bottom) + 1.0f;
  m[15] = 1.0f;
  SetTransform(platform::GpuTransform::Projection, m);
}

void CD3DRenderer::SetFieldOfView(float degrees) {
  fov_ = degrees;
  q_ = far_ / (far_ - near_);
  qn_ = q_ * near_;
  const ViewWindow& v = g_ViewWindow;
  const float a = degrees * 3.14159265f / 360.0f;
  const float c = std::cos(a) / std::sin(a);
  const float hx = 1.0f / (v.right - v.left), hy = 1.0f / (v.top - v.bottom);
  const float aspect = height_ > 0 ? float(width_) / float(height_) : 4.0f / 3.0f;
  float* m = projection_;
  std::memset(m, 0, sizeof(projection_));
  m[0] = hx * c / aspect;
  m[5] = c * hy;
  m[8] = -1.0f - 2.0f * hx * (v.left - 0.5f);
  m[9] = -1.0f - 2.0f * hy * (v.bottom - 0.5f);
  m[10] = q_;
  m[11] = 1.0f;
  m[14] = -qn_;
  g_D3DProjectionScale[0] = m[0];
  g_D3DProjectionScale[1] = m[5];
  SetTransform(platform::GpuTransform::Projection, m);
  UpdateViewVolume();
}

void CD3DRenderer::SetDepthRange(float nearPlane, float farPlane) {
  near_ = nearPlane;
  far_ = farPlane;
  SetFieldOfView(fov_);
}

void CD3DRenderer::UpdateViewVolume() {
  const float w = width_ > 0 ? float(width_) : 640.0f, h = height_ > 0 ? float(height_) : 480.0f;
  SetProjection(w, h, fov_, near_, far_, q_, qn_);
}

void CD3DRenderer::ApplyCamera() {
  DrawBatch();
  if (std::fabs(camPos_.x - camTarget_.x) <= 0.01f && std::fabs(camPos_.z - camTarget_.z) <= 0.01f) {
    camPos_ = {0, 0, 0};
    camTarget_ = {0, 0, 100};
  }
  Mat43 v;
  MatLookAt(camPos_.x, camPos_.y, camPos_.z, camTarget_.x, camTarget_.y, camTarget_.z, camUp_.x,
            camUp_.y, camUp_.z, v);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 3; ++c) view_[r * 4 + c] = v.m[r][c];
    view_[r * 4 + 3] = r == 3 ? 1.0f : 0.0f;
  }
  std::memcpy(g_D3DViewMatrix, view_, sizeof(view_));
  PublishViewMatrix(v);
  SetTransform(platform::GpuTransform::View, view_);
}

void CD3DRenderer::ApplyProjection() { SetTransform(platform::GpuTransform::Projection, projection_); }

ViewPitch* CD3DRenderer::GetViewPitch(ViewPitch* out) {
  if (!out) return out;
  float pitch = 90.0f;
  if (!(camUp_.x == 0.0f && camUp_.y == 1.0f && camUp_.z == 0.0f)) {
    pitch = 90.0f;
  } else {
    const float dx = camPos_.x - camTarget_.x, dz = camPos_.z - camTarget_.z;
    pitch = -std::atan2(camPos_.y - camTarget_.y, std::sqrt(dx * dx + dz * dz)) * 57.29578f;
  }
  out->centre = pitch;
  out->lower = pitch - fov_ * 0.5f;
  out->upper = pitch + fov_ * 0.5f;
  return out;
}

void CD3DRenderer::SetViewOffset(float x, float y, float z) {
  view_[12] = x;
  view_[13] = y;
  view_[14] = z;
  std::memcpy(g_D3DViewMatrix, view_, sizeof(view_));
  // The published view stays the camera's: the panels' offset views must not
  // move where picking and the lot grid find the city between frames.
  SetTransform(platform::GpuTransform::View, view_);
}

void CD3DRenderer::SetViewWindow(float left, float right, float bottom, float top) {
  if (right == left || top == bottom) return;  // an empty window would divide by zero
  g_ViewWindow = {left, right, bottom, top};
}

// ---- Lighting and fog ----------------------------------------------------------

void CD3DRenderer::SetLightRamps(uint32_t diffuse, uint32_t ambient, uint32_t rampStep,
                                 uint32_t rampBase, int32_t, float overbrightScale, float lightX,
                                 float lightY, float lightZ, int32_t) {
  BuildLightRamps(diffuse, ambient, rampStep, rampBase, overbrightScale);
  g_LightDirection = {lightX, lightY, lightZ};
}

void CD3DRenderer::SetFog(uint32_t colour, float start, float end, float) {
  fogColour_ = colour;
  fogStart_ = start;
  fogEnd_ = end;
  if (deviceCaps_.tableFog && !deviceCaps_.wFog && far_ != near_) {
    fogStartSent_ = (start - near_) / (far_ - near_);
    fogEndSent_ = (end - near_) / (far_ - near_);
  } else {
    fogStartSent_ = start;
    fogEndSent_ = end;
  }
  fogScale_ = end != start ? 255.0f / (end - start) : 0.0f;
}

void CD3DRenderer::DisableFog() {
  if (dev_.device) dev_.device->SetRenderState(GpuState::FogEnable, 0);
}

// ---- Back buffer ----------------------------------------------------------------

bool CD3DRenderer::ReadTarget(platform::GpuImage& image) {
  if (!dev_.device) return false;
  DrawBatch();
  return dev_.device->ReadBackBuffer(image) && image.pixels;
}

namespace {
BackBufferFormat FormatCode(platform::GpuFormat f) {
  switch (f) {
    case platform::GpuFormat::A8R8G8B8: return kBackBufferA8R8G8B8;
    case platform::GpuFormat::X8R8G8B8: return kBackBufferX8R8G8B8;
    case platform::GpuFormat::X1R5G5B5: return kBackBufferX1R5G5B5;
    case platform::GpuFormat::A1R5G5B5: return kBackBufferA1R5G5B5;
    case platform::GpuFormat::R5G6B5: return kBackBufferR5G6B5;
    default: return kBackBufferOther;
  }
}
}  // namespace

void CD3DRenderer::LockBackBuffer(void** pixels, int32_t* width, int32_t* height, int32_t* pitch,
                                  BackBufferFormat* format) {
  if (pixels) *pixels = nullptr;
  if (backBufferLocked_ || !ReadTarget(locked_)) return;
  backBufferLocked_ = true;
  if (pixels) *pixels = locked_.pixels.get();
  if (width) *width = locked_.width;
  if (height) *height = locked_.height;
  if (pitch) *pitch = locked_.pitch;
  if (format) *format = FormatCode(locked_.format);
}

void CD3DRenderer::UnlockBackBuffer() {
  if (!backBufferLocked_) return;
  backBufferLocked_ = false;
  if (dev_.device) dev_.device->WriteBackBuffer(locked_);
  locked_ = platform::GpuImage{};
}

int32_t CD3DRenderer::ReadBackBuffer(uint32_t** pixels, int32_t* width, int32_t* height) {
  if (pixels) *pixels = nullptr;
  platform::GpuImage image;
  if (!pixels || !ReadTarget(image)) return 0;
  const int32_t w = image.width, h = image.height;
  auto* out = static_cast<uint32_t*>(std::malloc(size_t(w) * size_t(h) * 4));
  if (!out) return 0;
  const bool wide = platform::GpuFormatBytes(image.format) == 4;
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = image.pixels.get() + size_t(y) * size_t(image.pitch);
    uint32_t* dst = out + size_t(h - 1 - y) * size_t(w);  // last screen row first
    for (int32_t x = 0; x < w; ++x) {
      uint32_t r, g, b;
      if (wide) {
        uint32_t p;
        std::memcpy(&p, row + 4 * x, 4);
        r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      } else {
        uint16_t p;
        std::memcpy(&p, row + 2 * x, 2);
        r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
        r = (r << 3) | (r >> 2), g = (g << 2) | (g >> 4), b = (b << 3) | (b >> 2);
      }
      dst[x] = (b << 16) | (g << 8) | r;
    }
  }
  *pixels = out;
  if (width) *width = w;
  if (height) *height = h;
  return 1;
}
