#include "engine/render/renderer.h"

#include <algorithm>
#include <cstring>

#include "engine/core/maths.h"
#include "engine/scene/texture.h"

namespace {
CRenderer* g_Renderer = nullptr;
RendererStats g_RendererStats{};
}  // namespace

RendererStats& GetRendererStats() { return g_RendererStats; }

bool SpecularHighlights = false;

CRenderer* GetRenderer() { return g_Renderer; }

void SetRenderer(CRenderer* renderer) { g_Renderer = renderer; }

namespace {

constexpr const char* kOperationNames[kRendererOperationCount] = {
    "Open", "Close", "~CRenderer", "Reserved3", "Reserved4", "SetFieldOfView", "SetDepthRange",
    "GetCaps", "Activate", "CheckDisplayMode", "Reserved10", "GetName", "GetVendor", "GetVersion",
    "GetDescription", "GetTriangleCount", "Reserved16", "GetStatusText", "Reserved18", "Present",
    "Clear", "SetClearFlags", "LockBackBuffer", "UnlockBackBuffer", "BeginFrame", "EndFrame",
    "Begin2D", "BeginOverlay", "EndOverlay", "SetCameraPosition", "SetCameraTarget",
    "SetCameraUp", "Reserved32", "UpdateViewVolume", "ApplyCamera", "ApplyProjection",
    "GetViewPitch", "Reserved37", "Reserved38", "SetViewOffset", "Reserved40", "Reserved41",
    "EnableLighting", "DisableLighting", "Reserved44", "Reserved45", "Reserved46", "Reserved47",
    "SetLightRamps", "Reserved49", "DisableFog", "SetFog", "Reserved52", "Reserved53",
    "Reserved54", "EnableDepthTest", "DisableDepthTest", "EnableDepthWrite", "DisableDepthWrite",
    "CullClockwise", "DisableCulling", "Reserved61", "Reserved62", "Reserved63",
    "ValidateShader", "SetShaderTable", "SetShader", "SetStageTexture", "BeginPolyline",
    "EndPolyline", "DrawPolyline", "Reserved71", "DrawEntity", "Reserved73",
    "DrawTexturedPolygon", "DrawTexturedQuadsShaded", "DrawTexturedQuads", "DrawEditorFaces",
    "DrawTexturedQuadsTinted", "DrawTexturedQuadsColoured", "DrawFlatQuads", "DrawGouraudQuads",
    "DrawIndexedTextured", "DrawIndexedUntextured", "DrawIndexedTwoTextures", "Reserved85",
    "DrawTexturedRectsColoured", "DrawTexturedRects", "Reserved88", "Reserved89", "Reserved90",
    "Reserved91", "ReadBackBuffer", "SetViewWindow", "DrawSprites", "Reserved95",
    "DrawTexturePageOverview", "AttachTextureSystem", "GetTextureSystem",
    "GetTextureFormatHint", "DownloadAllTexturePages", "DownloadTexturePage",
    "ReleaseTexturePages", "AttachModelSet", "PrepareAllModels", "PrepareModel", "Reserved106",
};

Mat43 g_PublishedView = kMatIdentity;

}  // namespace

void MapTextureRect(const CTexture& t, const TexRect& r, TexCoord* out) {
  const float u0 = r.u0 * t.uSize + t.uOffset, u1 = r.u1 * t.uSize + t.uOffset;
  const float v0 = r.v0 * t.vSize + t.vOffset, v1 = r.v1 * t.vSize + t.vOffset;
  out[0] = {u0, v0};
  out[1] = {u1, v0};
  out[2] = {u1, v1};
  out[3] = {u0, v1};
}

namespace {

// Runs `draw(quads, count, coords, page, colours)` over chunks of quads.
template <typename Draw>
void DrawRectQuads(CRenderer& renderer, const Vec3* quads, int32_t count, const TexRect* rects,
                   int32_t texture, const uint32_t* colours, Draw draw) {
  if (count <= 0 || !quads || !rects || !renderer.GetTextureSystem()) return;
  const CTexture* t = TexSysGetTexture(texture);
  if (!t) return;
  TexSysMarkTextureUsed(texture);
  constexpr int32_t kChunk = 64;
  TexCoord coords[kChunk * 4];
  for (int32_t done = 0; done < count; done += kChunk) {
    const int32_t n = std::min(kChunk, count - done);
    for (int32_t i = 0; i < n; ++i) MapTextureRect(*t, rects[done + i], coords + 4 * i);
    draw(quads + 4 * done, n, coords, t->pageIndex, colours ? colours + done : nullptr);
  }
}

}  // namespace

const RendererAlias kRendererAliases[6] = {
    {"SetClearEnable", 21}, {"UpdateCamera", 34},       {"SetColourRamps", 48},
    {"SetDepthAndFogRanges", 51}, {"ValidateShaderList", 65}, {"DrawSpecial", 96},
};

const char* RendererOperationName(int32_t slot) {
  return slot >= 0 && slot < kRendererOperationCount ? kOperationNames[slot] : nullptr;
}

int32_t RendererOperationSlot(const char* name) {
  if (!name) return -1;
  for (int32_t i = 0; i < kRendererOperationCount; ++i)
    if (std::strcmp(kOperationNames[i], name) == 0) return i;
  for (const RendererAlias& a : kRendererAliases)
    if (std::strcmp(a.alias, name) == 0) return a.slot;
  return -1;
}

void PublishViewMatrix(const Mat43& view) { g_PublishedView = view; }
const Mat43& PublishedViewMatrix() { return g_PublishedView; }

void CRenderer::DrawTexturedQuadsShaded(const Vec3* quads, int32_t count, const TexRect* rects,
                                        int32_t texture, const uint32_t* colours) {
  DrawRectQuads(*this, quads, count, rects, texture, colours,
                [this](const Vec3* q, int32_t n, const TexCoord* c, int32_t page,
                       const uint32_t* col) { DrawTexturedQuadsShaded(q, n, c, page, col); });
}

void CRenderer::DrawTexturedQuads(const Vec3* quads, int32_t count, const TexRect* rects,
                                  int32_t texture) {
  DrawRectQuads(*this, quads, count, rects, texture, nullptr,
                [this](const Vec3* q, int32_t n, const TexCoord* c, int32_t page,
                       const uint32_t*) { DrawTexturedQuads(q, n, c, page); });
}

void CRenderer::SetFilteringLevel(int32_t level) { filteringLevel_ = std::clamp(level, 0, 1); }

void CRenderer::SetGammaLevel(int32_t level) {
  gammaLevel_ = std::clamp(level, kGammaLevelMin, kGammaLevelMax);
}
