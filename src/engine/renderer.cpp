#include "engine/renderer.h"

namespace {
CRenderer* g_Renderer = nullptr;
RendererStats g_RendererStats{};
}  // namespace

RendererStats& GetRendererStats() { return g_RendererStats; }

CRenderer* GetRenderer() { return g_Renderer; }

void SetRenderer(CRenderer* renderer) { g_Renderer = renderer; }
