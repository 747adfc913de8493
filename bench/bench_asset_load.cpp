// Start-up asset loading: every group from the built game root, first into an
// empty cache archive, then again from the full one (a second start). Prints
// both times, the archive's size and the model count.
//   bench_asset_load [<game root>]
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/core/memory.h"
#include "engine/core/system_settings.h"
#include "engine/files/cache_archive.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "platform/paths.h"
#include "shell/asset_groups.h"

namespace {

namespace fs = std::filesystem;

const fs::path& ArchiveFolder() {
  static const fs::path folder = fs::temp_directory_path() / "bench_asset_load";
  return folder;
}

// One start: fresh systems, every group loaded; seconds taken.
double LoadOnce() {
  MemoryManager().Init(0x5000000, 16);
  TexSysCreate();
  ModSysCreate();
  const auto start = std::chrono::steady_clock::now();
  LoadGameAssets();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ClearShelves();
  ModSysDestroy();
  TexSysDestroy();
  MemoryManager().Shutdown();
  return seconds;
}

void BM_SecondStart(benchmark::State& state) {
  LoadOnce();  // fills the archive
  for (auto _ : state) LoadOnce();
}
BENCHMARK(BM_SecondStart)->Unit(benchmark::kMillisecond)->Iterations(3);

void Setup(const char* root) {
  platform::SetGameRoot(root);
  fs::remove_all(ArchiveFolder());
  fs::create_directories(ArchiveFolder() / "max");
  g_StartupOptions.fullInstall = false;
  std::snprintf(g_StartupOptions.dataRoot, sizeof g_StartupOptions.dataRoot, "%s/", ArchiveFolder().c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]).rfind("--benchmark", 0) == 0) {
    Setup(RC_GAME_ROOT);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
  }
  Setup(argc > 1 ? argv[1] : RC_GAME_ROOT);
  const double first = LoadOnce();
  const double second = LoadOnce();
  std::error_code ec;
  const auto data = fs::file_size(ArchiveFolder() / "max" / "archive.bin", ec);
  const auto directory = fs::file_size(ArchiveFolder() / "max" / "archive.DIR", ec);
  std::printf("first start (archive filled): %.3f s\n", first);
  std::printf("second start (from the archive): %.3f s\n", second);
  std::printf("archive: %.1f MB data, %.1f KB directory; missing files: %zu\n", data / 1048576.0, directory / 1024.0,
              MissingAssets().size());
  fs::remove_all(ArchiveFolder());
  return MissingAssets().empty() ? 0 : 1;
}
