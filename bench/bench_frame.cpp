// Frame time of the whole game frame (sky, land, blocks, roads and every
// building of the fixture city, overlay) on the hardware renderer through
// OpenGL (Mesa's llvmpipe in CI) and on the software renderer, at 640 x 480
// and 1024 x 768. The Night runs have every city pass at work: the full pass
// order at night (window groups, lamp sprites, light pools), the smoke, a
// selected block's pulsing outline and the hovered block's.
//
// After the runs a table sets both renderers side by side: the median frame
// time of each scene and size, its frames per second, and how many times the
// software renderer's frame time the OpenGL frame takes. llvmpipe shades on
// as many threads as LP_NUM_THREADS says (all processors when unset); one
// thread gives steadier figures for comparing two builds.
//
// The OpenGL runs' drawCalls, stateChanges and textureChanges counters are
// those of the last frame of a run.
//
// RC_BENCH_FRAME_SHOTS=<folder> writes the last frame of every run there as
// <renderer>_<scene>_<width>x<height>.tga, for comparing pictures between builds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <ctime>
#include <tuple>
#include <vector>

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
#include "visuals/overlay/screenshots.h"

namespace {

// Frame times by (night, width, height) and renderer, one per run.
struct FrameTimes {
  std::vector<double> openGl, software;
};
std::map<std::tuple<bool, int32_t, int32_t>, FrameTimes>& Times() {
  static std::map<std::tuple<bool, int32_t, int32_t>, FrameTimes> times;
  return times;
}

// Processor time of every thread of the process, llvmpipe's included: on a
// busy machine it moves less than the frame's real time.
double ProcessMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

void WriteShot(CRenderer& renderer, int32_t api, bool night) {
  const char* folder = std::getenv("RC_BENCH_FRAME_SHOTS");
  if (!folder || !*folder) return;
  uint32_t* pixels = nullptr;
  int32_t w = 0, h = 0;
  renderer.ReadBackBuffer(&pixels, &w, &h);
  if (!pixels) return;
  const std::string name = std::string(folder) + "/" +
                           (api == kApiDirect3D ? "opengl_" : "software_") +
                           (night ? "night_" : "day_") + std::to_string(w) + "x" +
                           std::to_string(h) + ".tga";
  std::ofstream(name, std::ios::binary) << EncodeScreenshot(pixels, w, h);
  std::free(pixels);
}

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
  const auto start = std::chrono::steady_clock::now();
  const double processStart = ProcessMs();
  for (auto _ : state) {
    // Read before presenting, as a screenshot does: after it the back buffer
    // holds nothing certain. Reading waits for the frame to be finished.
    const bool drawn = DrawFrame();
    uint32_t* pixels = nullptr;
    int32_t w = 0, h = 0;
    renderer->ReadBackBuffer(&pixels, &w, &h);
    std::free(pixels);
    if (drawn) renderer->Present();
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const double processMs = ProcessMs() - processStart;
  if (state.iterations() > 0) {
    state.counters["processMs"] = processMs / double(state.iterations());
    // By the size asked for: the software renderer always draws 640 x 480.
    FrameTimes& t = Times()[{night, int32_t(state.range(0)), int32_t(state.range(1))}];
    (api == kApiDirect3D ? t.openGl : t.software).push_back(ms / double(state.iterations()));
  }
  if (DrawFrame()) {  // one more frame, outside the timing, for the picture
    WriteShot(*renderer, api, night);
    renderer->Present();
  }
  // What that frame asked of the device (the hardware renderer starts its
  // statistics again with each frame; the software renderer keeps none).
  if (api == kApiDirect3D) {
    const RendererStats& stats = GetRendererStats();
    state.counters["drawCalls"] = double(stats.drawCalls);
    state.counters["stateChanges"] = double(stats.stateChanges);
    state.counters["textureChanges"] = double(stats.textureChanges);
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

void PrintSideBySide() {
  if (Times().empty()) return;
  const char* threads = std::getenv("LP_NUM_THREADS");
  std::printf("\nmedian frame time, llvmpipe threads: %s\n", threads ? threads : "default");
  std::printf("%-18s %10s %8s %10s %8s %14s\n", "scene", "OpenGL ms", "fps", "soft ms", "fps",
              "OpenGL/soft");
  for (const auto& [key, t] : Times()) {
    const auto& [night, w, h] = key;
    const double gl = Median(t.openGl), soft = Median(t.software);
    const std::string scene = std::string(night ? "night " : "day ") + std::to_string(w) + "x" +
                              std::to_string(h);
    auto fps = [](double ms) { return ms > 0 ? 1000.0 / ms : 0.0; };
    std::printf("%-18s %10.2f %8.1f %10.2f %8.1f %14.2f\n", scene.c_str(), gl, fps(gl), soft,
                fps(soft), gl > 0 && soft > 0 ? gl / soft : 0.0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintSideBySide();
  return 0;
}
