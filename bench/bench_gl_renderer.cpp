// Frames per second of the hardware renderer drawing a few thousand lit,
// textured entities through OpenGL (Mesa's llvmpipe in CI).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "engine/render/d3d_renderer.h"
#include "engine/scene/entity.h"
#include "engine/core/memory.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "platform/sdl/gl_gpu.h"

namespace {

// A unit box of 12 triangles on one texture slot.
int32_t BoxModel(int32_t slot) {
  const Vec3 p[8] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                     {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
  const TexCoord uv[8] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 1}, {0, 1}};
  const int32_t h = ModSysCreateSelfBuiltModel(1, 8, p, uv, nullptr);
  const uint16_t faces[6][4] = {{0, 1, 2, 3}, {5, 4, 7, 6}, {4, 0, 3, 7},
                                {1, 5, 6, 2}, {3, 2, 6, 7}, {4, 5, 1, 0}};
  for (const auto& f : faces) ModSysAddQuad(f[0], f[1], f[2], f[3]);
  ModSysEndPrimitive(h, 0, 0, uint16_t(slot));
  return h;
}

void BM_GlRendererFrame(benchmark::State& state) {
  const int32_t count = int32_t(state.range(0));
  platform::InstallGlGpu();
  MemoryManager().Init(64 << 20, 16);
  TexSysCreate();
  ModSysCreate();
  std::vector<uint32_t> texels(64 * 64, 0xFF80C0FFu);
  CTextureSystem* ts = TheTextureSystem();
  ts->pageCount = 1;
  ts->pages[0] = TexturePage{};
  ts->pages[0].width = ts->pages[0].height = 64;
  ts->pages[0].flags = kTexFlagOpaque;
  ts->pages[0].pixels = texels.data();
  CTexture texture{};
  texture.width = texture.height = 64;
  texture.pixels = texels.data();
  texture.pageIndex = 0;
  const int32_t slot = TexSysAddTexture(&texture, 0);

  RendererSettings settings{};
  settings.width = 640;
  settings.height = 480;
  settings.windowed = 1;
  settings.texBitDepth = 32;
  auto renderer = std::make_unique<CD3DRenderer>();
  if (!renderer->Open(nullptr, nullptr, &settings)) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  ShaderMode shader{};
  shader.name = "bench";
  shader.fill = kFillGouraud;
  shader.depthTest = shader.depthWrite = kStateOn;
  shader.depthCompare = kCmpLessEqual;
  shader.specular = kStateOn;
  shader.alphaTest = shader.alphaBlend = kStateOff;
  shader.cull = kCullNone;
  shader.stageCount = 1;
  shader.stages[0] = {2, 0, 0, kFilterLinear, kFilterLinear, kFilterPoint, kAddrWrap, kAddrWrap,
                      kArgTexture, kArgDiffuse, kOpModulate, kArgTexture, kArgDiffuse, kOpModulate};
  shader.stages[1].state = kStageDisabled;
  renderer->AttachTextureSystem(ts);
  renderer->DownloadAllTexturePages();
  renderer->SetShaderTable(&shader, 1);
  renderer->SetDepthRange(1.0f, 3000.0f);
  renderer->SetFieldOfView(53.0f);
  renderer->SetClearFlags(true, true);
  ModelLodSet set{{BoxModel(slot), 0, 0}, 1};
  renderer->PrepareModel(set.handles[0]);
  std::vector<CEntity> entities(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    CEntity& e = entities[size_t(i)];
    e.SetModel(&set);
    MatSetRotationScale(0, float(i) * 0.1f, 0, 2, 2, 2, e.world);
    MatSetTranslation(float(i % 64) * 8.0f - 256.0f, 0, float(i / 64) * 8.0f + 20.0f, e.world);
    e.position = {e.world.m[3][0], 0, e.world.m[3][2]};
  }
  for (auto _ : state) {
    if (!renderer->BeginFrame()) continue;
    renderer->Clear();
    renderer->SetLightRamps(0xFFC0C0C0, 0xFF404040, 0xFF202020, 0, 0, 1.0f, 0.3f, -0.8f, 0.5f, 0);
    renderer->SetCameraPosition(0, 150, -100);
    renderer->SetCameraTarget(0, 0, 200);
    renderer->ApplyCamera();
    renderer->EnableLighting();
    renderer->SetShader(0);
    for (CEntity& e : entities) renderer->DrawEntity(&e);
    renderer->EndFrame();
    renderer->Present();
    uint32_t* pixels = nullptr;  // waits for the frame to be finished
    int32_t w = 0, h = 0;
    renderer->ReadBackBuffer(&pixels, &w, &h);
    std::free(pixels);
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["triangles"] = double(renderer->GetTriangleCount());
  renderer->Close();
  renderer.reset();
  texture.pixels = nullptr;
  ts->pages[0].pixels = nullptr;
  ModSysDestroy();
  TexSysDestroy();
  MemoryManager().Shutdown();
}
BENCHMARK(BM_GlRendererFrame)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
