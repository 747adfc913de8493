// Frame time of the whole game frame (sky, land, blocks, roads and every
// building of the fixture city, overlay) on the hardware renderer through
// OpenGL (Mesa's llvmpipe in CI) and on the software renderer, at 640 x 480
// and 1024 x 768. The Night runs have every city pass at work: the full pass
// order at night (window groups, lamp sprites, light pools), the smoke, a
// selected block's pulsing outline and the hovered block's.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "city/fixture_city.h"
#include "engine/core/memory.h"
#include "engine/core/system_settings.h"
#include "engine/input/camera_controller.h"
#include "engine/render/d3d_renderer.h"
#include "engine/render/soft_renderer.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "platform/paths.h"
#include "platform/sdl/gl_gpu.h"
#include "shell/game_loop.h"
#include "city/blocks.h"
#include "session/game_clock.h"
#include "visuals/scene/city_scene.h"
#include "visuals/scene/scene_passes.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/camera/city_picking.h"
#include "visuals/overlay/interface_task.h"
#include "visuals/scene/shader_table.h"
#include "visuals/scene/sky.h"

namespace {

void BM_GameFrame(benchmark::State& state, int32_t api, bool night) {
  platform::SetGameRoot(RC_GAME_ROOT);
  platform::InstallGlGpu();
  MemoryManager().Init(128 << 20, 16);
  TexSysCreate();
  ModSysCreate();
  FixtureCityOptions city;
  city.People = 200;
  BuildFixtureCity(city);
  RendererSettings settings{};
  settings.api = api;
  settings.width = int32_t(state.range(0));
  settings.height = int32_t(state.range(1));
  settings.windowed = 1;
  settings.texBitDepth = 32;
  settings.fog = 1;
  g_RendererSettings = settings;
  std::unique_ptr<CRenderer> renderer;
  if (api == kApiDirect3D)
    renderer = std::make_unique<CD3DRenderer>();
  else
    renderer = CreateSoftwareRenderer();
  if (!renderer->Open(nullptr, nullptr, &settings)) {
    state.SkipWithError("no renderer");
    return;
  }
  SetRenderer(renderer.get());
  renderer->AttachTextureSystem(TheTextureSystem());
  renderer->AttachModelSet(TheModelSystem());
  LoadPresentationTextures();
  TexSysSetRendererCaps(renderer->GetTextureFormatHint());
  TexSysBuildPages();
  renderer->DownloadAllTexturePages();
  BuildShaderTable(renderer.get());
  renderer->SetFieldOfView(53.0f);
  BuildSkyGeometry();
  CamInit(50, 0);
  ResetStoredCamera();
  PutCameraHome();
  g_CameraState.pitch = -0.3f;
  // At night the camera comes down to the streets, where the light pools are.
  if (night) {
    g_CameraState.eye = g_CameraState.targetEye = {26.0f, 90.0f, -300.0f};
    g_CameraState.lookAt = g_CameraState.targetLookAt = {26.0f, 10.0f, -160.0f};
  }
  CamUpdate();
  CamInterpolate(0);
  RunState().drawingEnabled = true;
  CEntity selected, hovered;
  if (night) {
    GameClock().hour = 22;
    InitSmokeEmitters();
    for (int32_t t = 0; t < 400; ++t) UpdateSmokeEmitters(t);
    for (CEntity* e : {&selected, &hovered}) {
      e->objectKind = 4;
      e->index = e == &selected ? 20 : 21;
      e->flags |= kEntInView;
    }
    SelectedObject() = &selected;
    HoveredObject() = &hovered;
  }
  RenderFrame();  // the city's models are built on the first frame
  for (auto _ : state) {
    RenderFrame();
    uint32_t* pixels = nullptr;  // waits for the frame to be finished
    int32_t w = 0, h = 0;
    renderer->ReadBackBuffer(&pixels, &w, &h);
    std::free(pixels);
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["buildings"] = double(BasicSceneBuildingCount());
  state.counters["pools"] = double(LightPoolsDrawn());
  SelectedObject() = nullptr;
  HoveredObject() = nullptr;
  GameClock().hour = 0;
  ReleaseBasicCityScene();
  SetRenderer(nullptr);
  renderer->Close();
  renderer.reset();
  ModSysDestroy();
  TexSysDestroy();
  MemoryManager().Shutdown();
}

BENCHMARK_CAPTURE(BM_GameFrame, OpenGL, kApiDirect3D, false)
    ->Args({640, 480})->Args({1024, 768})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_GameFrame, OpenGLNight, kApiDirect3D, true)
    ->Args({1024, 768})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_GameFrame, Software, kApiSoftware, false)
    ->Args({640, 480})->Args({1024, 768})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_GameFrame, SoftwareNight, kApiSoftware, true)
    ->Args({1024, 768})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
