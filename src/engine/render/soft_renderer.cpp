// The software renderer: the object, opening and closing, frames, overlay
// drawing on the surface, presenting, camera and projection, shaders, texture
// pages and models. The drawing operations are in soft_renderer_draw.cpp.
#include "engine/render/soft_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "engine/render/renderer_settings.h"  // the set-up record handed to Open

namespace {

// The rasteriser addresses texels by mask and shift, so it draws square pages
// whose side is a power of two up to 256. A page of another side (a texture
// on a page of its own) is resampled to the nearest such side; texture
// coordinates are fractions of the page, so they map the same.
constexpr int32_t kLargestSoftPage = 256;

int32_t DrawableSide(int32_t side) {
  int32_t drawn = 2;
  while (drawn < side && drawn < kLargestSoftPage) drawn *= 2;
  if (drawn > side && drawn - side > side - drawn / 2 && drawn > 2) drawn /= 2;
  return drawn;
}

void ResampleSquare(const uint32_t* from, int32_t side, int32_t drawn, std::vector<uint32_t>& out) {
  out.resize(size_t(drawn) * size_t(drawn));
  for (int32_t y = 0; y < drawn; ++y) {
    const uint32_t* row = from + size_t(int64_t(y) * side / drawn) * size_t(side);
    for (int32_t x = 0; x < drawn; ++x) out[size_t(y) * size_t(drawn) + size_t(x)] = row[int64_t(x) * side / drawn];
  }
}

platform::PixelLayout& LayoutForOpen() {
  static platform::PixelLayout layout = platform::PixelLayout::Rgb565;
  return layout;
}

constexpr int32_t kTexturesBudgetLow = 0xF00000;
constexpr int32_t kTexturesBudgetMedium = 0x800000;

struct ResultName {
  int32_t code;
  const char* name;
};
// The failures the display layer can report.
constexpr ResultName kResultNames[] = {
    {0, "D3D_OK"},
    {int32_t(0x887601C2), "DDERR_SURFACELOST"},
    {int32_t(0x8876021C), "DDERR_WASSTILLDRAWING"},
    {int32_t(0x8007000E), "DDERR_OUTOFMEMORY"},
    {int32_t(0x887600BB), "DDERR_NOHWND"},
    {int32_t(0x887600AE), "DDERR_SURFACEBUSY"},
};

}  // namespace

const char* DirectXErrorName(int32_t code) {
  for (const ResultName& r : kResultNames)
    if (r.code == code) return r.name;
  return "Unknown DirectDraw Error";
}

std::unique_ptr<CRenderer> CreateSoftwareRenderer() {
  return std::unique_ptr<CRenderer>(new (std::nothrow) CSoftwareRenderer());
}

void CSoftwareRenderer::SetPixelLayoutForOpen(platform::PixelLayout layout) {
  LayoutForOpen() = layout;
}

CSoftwareRenderer::CSoftwareRenderer() { ChooseFillers(); }

CSoftwareRenderer::~CSoftwareRenderer() {
  // Deleting does not close; but never leave buffers behind in the pool.
  ReleaseBuffers();
  ReleaseSoftTextures();
}

bool CSoftwareRenderer::Open(void* window, void* deviceContext, RendererSettings* settings) {
  window_ = window;
  deviceContext_ = deviceContext;
  if (settings) {
    settings->width = kSoftWidth;
    settings->height = kSoftHeight;
    settingsApi_ = settings->api;
    windowed_ = settings->windowed != 0;
    texDetail_ = settings->texDetail;
  }
  fov_ = 90.0f;
  near_ = 1.0f;
  far_ = 30000.0f;
  inverseNear_ = 1.0f;
  SetFieldOfView(fov_);
  if (!display_.Open(window, windowed_, kSoftWidth, kSoftHeight, LayoutForOpen())) {
    ReportErrorF(1, "The software renderer cannot show frames on this window (%s).",
                 DirectXErrorName(int32_t(0x887600BB)));
    return false;
  }
  PixelIs565 = display_.Back()->Layout() == platform::PixelLayout::Rgb565 ? 1 : 0;
  ReleaseBuffers();
  const uint32_t bytes = uint32_t(kSoftWidth) * kSoftHeight * 2;
  colour_ = static_cast<uint16_t*>(MEM_ALLOC(bytes));
  depth_ = static_cast<uint16_t*>(MEM_ALLOC(bytes));
  if (!colour_ || !depth_) {
    ReleaseBuffers();
    display_.Close();
    ReportErrorF(1, "The software renderer cannot allocate its buffers (%s).",
                 DirectXErrorName(int32_t(0x8007000E)));
    return false;
  }
  std::memset(colour_, 0, bytes);
  std::memset(depth_, 0, bytes);
  SetTarget(colour_, kSoftWidth);
  RasterSetDepthTarget(depth_, kSoftWidth, kSoftHeight);
  open_ = true;
  return true;
}

void CSoftwareRenderer::Close() {
  if (textures_) ReleaseTexturePages();
  display_.Close();
  ReleaseBuffers();
  ReleaseSoftTextures();
  open_ = false;
  overlay_ = false;
}

void CSoftwareRenderer::ReleaseBuffers() {
  if (colour_) MEM_FREE(colour_);
  if (depth_) MEM_FREE(depth_);
  colour_ = depth_ = nullptr;
  drawTarget_ = nullptr;
}

void CSoftwareRenderer::ReleaseSoftTextures() {
  for (void* block : texelBlocks_)
    if (block) MEM_FREE(block);
  texelBlocks_.clear();
  softTextures_.clear();
}

void CSoftwareRenderer::SetTarget(uint16_t* pixels, int32_t pitchPixels) {
  drawTarget_ = pixels;
  targetPitch_ = pitchPixels;
  RasterSetColourTarget(pixels, pitchPixels, kSoftWidth, kSoftHeight);
  RasterSetClip(0, 0, kSoftWidth, kSoftHeight);
}

// ---- Frames -------------------------------------------------------------------

bool CSoftwareRenderer::BeginFrame() {
  if (!open_) return false;
  if (overlay_) EndOverlay();
  overlay_ = false;
  if (display_.AnyLost()) {
    display_.RestoreAll();
    return false;
  }
  lighting_ = true;
  copiedThisFrame_ = false;
  presented_ = false;
  SetTarget(colour_, kSoftWidth);
  RasterSetDepthTarget(depth_, kSoftWidth, kSoftHeight);
  PixelIs565 = display_.Back()->Layout() == platform::PixelLayout::Rgb565 ? 1 : 0;
  ChooseFillers();
  return true;
}

void CSoftwareRenderer::Clear() {
  if (depth_) std::memset(depth_, 0, size_t(kSoftWidth) * kSoftHeight * 2);
}

void CSoftwareRenderer::Begin2D() {
  scaleX_ = kSoftWidth * 0.0015625f;
  scaleY_ = kSoftHeight * 0.0020833334f;
}

void CSoftwareRenderer::BuildTintTable() {
  if (tableTint_ == tint_ && !tintTable_.empty()) return;
  tableTint_ = tint_;
  tintTable_.resize(65536);
  const uint32_t r = (tint_ >> 16) & 0xFF, g = (tint_ >> 8) & 0xFF, b = tint_ & 0xFF;
  auto scale = [](uint32_t value, uint32_t t) { return (value * t * 2 + 255) / 510; };
  for (uint32_t p = 0; p < 65536; ++p) {
    if (PixelIs565) {
      tintTable_[p] = uint16_t((scale(p >> 11, r) << 11) | (scale((p >> 5) & 63, g) << 5) |
                               scale(p & 31, b));
    } else {
      tintTable_[p] = uint16_t((scale((p >> 10) & 31, r) << 10) |
                               (scale((p >> 5) & 31, g) << 5) | scale(p & 31, b));
    }
  }
}

void CSoftwareRenderer::CopyFrameToBackSurface() {
  platform::Surface16* back = display_.Back();
  uint16_t* pixels = nullptr;
  int32_t pitch = 0;
  if (!back || !colour_ || !back->Lock(&pixels, &pitch)) return;
  const bool tinted = lighting_ && (((tint_ >> 16) & 0xFF) <= 0xF0 ||
                                    ((tint_ >> 8) & 0xFF) <= 0xF0 || (tint_ & 0xFF) <= 0xF0);
  if (tinted) BuildTintTable();
  for (int32_t y = 0; y < kSoftHeight; ++y) {
    const uint16_t* from = colour_ + y * kSoftWidth;
    uint16_t* to = pixels + y * (pitch / 2);
    if (tinted) {
      for (int32_t x = 0; x < kSoftWidth; ++x) to[x] = tintTable_[from[x]];
    } else {
      std::memcpy(to, from, kSoftWidth * 2);
    }
  }
  back->Unlock();
  copiedThisFrame_ = true;
}

void CSoftwareRenderer::BeginOverlay() {
  if (!open_ || overlay_) return;
  CopyFrameToBackSurface();
  uint16_t* pixels = nullptr;
  int32_t pitch = 0;
  if (!display_.Back()->Lock(&pixels, &pitch)) return;
  SetTarget(pixels, pitch / 2);
  scaleX_ = scaleY_ = 1.0f;
  overlay_ = true;
  ChooseFillers();
}

void CSoftwareRenderer::EndOverlay() {
  if (!overlay_) return;
  display_.Back()->Unlock();
  overlay_ = false;
  SetTarget(colour_, kSoftWidth);
  ChooseFillers();
}

void CSoftwareRenderer::Present() {
  if (!open_) return;
  if (overlay_) EndOverlay();
  // A frame drawn without overlay drawing has not reached the surface yet.
  if (!copiedThisFrame_) CopyFrameToBackSurface();
  if (!display_.Present() && display_.AnyLost()) {
    display_.RestoreAll();
    display_.Present();
  }
  presented_ = true;
}

void CSoftwareRenderer::LockBackBuffer(void** pixels, int32_t* width, int32_t* height,
                                       int32_t* pitch, BackBufferFormat* format) {
  *pixels = drawTarget_;
  *width = kSoftWidth;
  *height = kSoftHeight;
  *pitch = kSoftWidth * 2;
  *format = PixelIs565 ? kBackBufferR5G6B5 : kBackBufferA1R5G5B5;
  if (!drawTarget_) *format = kBackBufferOther;
}

void CSoftwareRenderer::UnlockBackBuffer() {}

int32_t CSoftwareRenderer::ReadBackBuffer(uint32_t** pixels, int32_t* width, int32_t* height) {
  *pixels = nullptr;
  *width = *height = 0;
  if (!open_) return 0;
  const uint16_t* source = nullptr;
  int32_t pitch = kSoftWidth;
  if (presented_) {
    source = display_.Primary()->Pixels();
  } else if (overlay_ || copiedThisFrame_) {
    source = display_.Back()->Pixels();
  } else {
    source = colour_;
  }
  auto* out = static_cast<uint32_t*>(std::malloc(size_t(kSoftWidth) * kSoftHeight * 4));
  if (!out) return 0;
  const bool is565 = display_.Back()->Layout() == platform::PixelLayout::Rgb565;
  for (int32_t y = 0; y < kSoftHeight; ++y) {
    const uint16_t* row = source + (kSoftHeight - 1 - y) * pitch;
    uint32_t* to = out + y * kSoftWidth;
    for (int32_t x = 0; x < kSoftWidth; ++x) {
      uint32_t p = row[x], r, g, b;
      if (is565) {
        r = p >> 11, g = (p >> 5) & 63, b = p & 31;
        g = (g << 2) | (g >> 4);
      } else {
        r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
        g = (g << 3) | (g >> 2);
      }
      r = (r << 3) | (r >> 2);
      b = (b << 3) | (b >> 2);
      to[x] = (b << 16) | (g << 8) | r;
    }
  }
  *pixels = out;
  *width = kSoftWidth;
  *height = kSoftHeight;
  return 1;
}

void CSoftwareRenderer::SetGammaLevel(int32_t level) {
  CRenderer::SetGammaLevel(level);
  const GammaRamp ramp = BuildGammaRamp(gammaLevel_);
  display_.SetGammaRamp(ramp.data());
}

// ---- Camera and projection ------------------------------------------------------

void CSoftwareRenderer::SetFieldOfView(float degrees) {
  fov_ = degrees;
  q_ = far_ / (far_ - near_);
  qNear_ = q_ * near_;
  SetProjection(float(kSoftWidth), float(kSoftHeight), fov_, near_, far_, q_, qNear_);
}

void CSoftwareRenderer::SetDepthRange(float nearPlane, float farPlane) {
  near_ = nearPlane;
  far_ = farPlane;
  inverseNear_ = nearPlane != 0.0f ? 1.0f / nearPlane : 1.0f;
  SetFieldOfView(fov_);
}

void CSoftwareRenderer::UpdateViewVolume() {
  SetProjection(float(kSoftWidth), float(kSoftHeight), fov_, near_, far_, q_, qNear_);
}

void CSoftwareRenderer::ApplyCamera() {
  if (std::fabs(position_.x - target_.x) <= 0.01f && std::fabs(position_.z - target_.z) <= 0.01f) {
    position_ = {0, 0, 0};
    target_ = {0, 0, 100};
  }
  MatLookAt(position_.x, position_.y, position_.z, target_.x, target_.y, target_.z, 0, 1, 0,
            view_);
  PublishViewMatrix(view_);
}

ViewPitch* CSoftwareRenderer::GetViewPitch(ViewPitch* out) {
  float dx = position_.x - target_.x, dz = position_.z - target_.z;
  float pitch = -std::atan2(position_.y - target_.y, std::sqrt(dx * dx + dz * dz)) * 57.29578f;
  out->centre = pitch;
  out->lower = pitch - fov_ * 0.5f;
  out->upper = pitch + fov_ * 0.5f;
  return out;
}

void CSoftwareRenderer::SetLightRamps(uint32_t diffuse, uint32_t ambient, uint32_t, uint32_t,
                                      int32_t, float, float, float, float, int32_t) {
  uint32_t tint = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    uint32_t sum = ((diffuse >> shift) & 0xFF) + ((ambient >> shift) & 0xFF);
    tint |= std::min(sum, 255u) << shift;
  }
  tint_ = tint;
}

// ---- Shaders --------------------------------------------------------------------

void CSoftwareRenderer::SetShaderTable(ShaderMode* table, int32_t count) {
  shaderTable_ = table;
  shaderCount_ = table ? std::max(count, 0) : 0;
}

void CSoftwareRenderer::SetShader(int32_t index) {
  if (index < 0 || index >= shaderCount_) return;
  shader_ = shaderTable_[index];
  shaderIndex_ = index;
  ChooseFillers();
}

void CSoftwareRenderer::SetSoftwareShaderValue(uint32_t value) {
  shader_.softwareFlags = value;
  shaderIndex_ = std::max(shaderIndex_, 0);
  ChooseFillers();
}

void CSoftwareRenderer::ChooseFillers() {
  const uint32_t flags = shaderIndex_ >= 0 ? shader_.softwareFlags : 0;
  const bool noKey = (flags & kShaderSoftNoKey) != 0;
  if ((flags & kShaderSoftNoDepth) || overlay_) {
    g_RasterVertices.OpaqueFiller = FillTextured;
    g_RasterVertices.KeyedFiller = noKey ? FillTextured : FillTexturedKeyed;
  } else {
    g_RasterVertices.OpaqueFiller = FillTexturedDepth;
    g_RasterVertices.KeyedFiller = noKey ? FillTexturedDepth : FillTexturedDepthKeyed;
  }
}

// ---- Texture pages ----------------------------------------------------------------

bool CSoftwareRenderer::AttachTextureSystem(CTextureSystem* textures) {
  textures_ = textures;
  return true;
}

bool CSoftwareRenderer::AttachModelSet(CModelSystem* models) {
  models_ = models;
  return true;
}

const SoftTexture* CSoftwareRenderer::PageTexture(int32_t page) const {
  if (page < 0 || page >= int32_t(softTextures_.size())) return nullptr;
  const SoftTexture& t = softTextures_[size_t(page)];
  return t.Levels[0].Texels ? &t : nullptr;
}

const SoftTexture* CSoftwareRenderer::DrawableTexture(int32_t page) {
  const SoftTexture* t = PageTexture(page);
  if (t) TexSysMarkPageUsed(page);
  return t;
}

void CSoftwareRenderer::DownloadAllTexturePages() {
  if (!textures_) {
    ReportError(1, 0, "Cannot download texture pages with no texture system attached to renderer");
    return;
  }
  if (!texturesReduced_ && (texDetail_ == 0 || texDetail_ == 1)) {
    TexSysReducePages(texDetail_ == 0 ? kTexturesBudgetLow : kTexturesBudgetMedium);
    texturesReduced_ = true;
  }
  ReleaseSoftTextures();
  const int32_t pages = std::clamp(textures_->pageCount, 0, kMaxTexturePages);
  softTextures_.assign(size_t(pages), SoftTexture{});
  texelBlocks_.assign(size_t(pages), nullptr);
  std::vector<uint32_t> scratch;
  for (int32_t page = 0; page < pages; ++page) {
    const uint32_t* pixels = TexSysPagePixels(page);
    const int32_t side = TexSysPageSize(page);
    if (!pixels || side < 1) continue;
    const int32_t size = DrawableSide(side);
    const uint32_t bytes = ((7 + uint32_t(float(size) * float(size) * 2.0f * 1.35f)) / 8) * 8 + 8;
    auto* block = static_cast<uint16_t*>(MEM_ALLOC(bytes));
    if (!block) continue;
    texelBlocks_[size_t(page)] = block;
    SoftTexture& t = softTextures_[size_t(page)];
    t.MaxLevel = std::clamp(CountMipLevels(size, size) - 2, 0, kSoftTextureLevels - 1);
    t.HasTransparency = (textures_->pages[page].flags & 0x5000) != 0;
    const int32_t format = !PixelIs565 ? kPixel1555 : t.HasTransparency ? kPixel5515 : kPixel565;
    if (size == side) {
      scratch.assign(pixels, pixels + size_t(size) * size_t(size));
    } else {
      ResampleSquare(pixels, side, size, scratch);
    }
    uint16_t* texels = block;
    int32_t edge = size;
    for (int32_t level = 0; level <= t.MaxLevel; ++level) {
      ConvertPixels16(texels, scratch.data(), edge, edge, edge * 2, format);
      int32_t shift = 0;
      while ((1 << shift) < edge) ++shift;
      t.Levels[level] = {texels, edge, uint32_t(edge * edge - 1), shift};
      texels += size_t(edge) * size_t(edge);
      TexSysHalveImage(scratch.data(), edge, edge);
      edge /= 2;
    }
  }
}

// ---- Models -------------------------------------------------------------------------

void CSoftwareRenderer::PrepareModel(int32_t handle) {
  CModel* model = ModSysGetModel(handle);
  if (!model) return;
  if (!ModSysPrepareModel(model)) return;
  if (!(model->flags & kModelFlagUVsFitted)) ModSysFitUVs(textures_, model);
  if (!model->normals) ModSysCalcNormals(model);
}

int32_t CSoftwareRenderer::PrepareAllModels() {
  for (int32_t handle = 1; handle <= kMaxModels; ++handle) PrepareModel(handle);
  return kMaxModels;
}
