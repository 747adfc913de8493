// The interface's glyph batcher: glyphs queued per second, with a flush at
// every 500 (the renderer here is none, so what is timed is the batching).
#include <benchmark/benchmark.h>

#include "engine/core/memory.h"
#include "engine/files/texture_file.h"
#include "engine/scene/texture.h"
#include "ui/glyph_batcher.h"
#include "ui/ui_services.h"

namespace {

void BM_AddGlyphQuad(benchmark::State& state) {
  MemoryManager().Init(16u << 20, 16);
  TexSysCreate();
  TextureImage image;
  image.width = image.height = 64;
  image.texels.assign(64 * 64 * 4, 255);
  Ui().fontTextures = {TexRegisterImage(std::move(image))};
  const GlyphRecord glyph{{0, 6, 8, 6, 10, 64, 0, 0}, 6, 10, 0};
  for (auto _ : state) {
    for (int i = 0; i < 10000; ++i)
      AddGlyphQuad(glyph, 6, 10, float(i % 100) * 6.3f, float(i / 100) * 11.0f, 0.5f,
                   uint8_t(32 + i % 200), 0xFFFFFFFFu);
    FlushGlyphBatches();
  }
  state.SetItemsProcessed(state.iterations() * 10000);
  Ui() = UiServices{};
  TexSysDestroy();
  MemoryManager().Shutdown();
}
BENCHMARK(BM_AddGlyphQuad);

}  // namespace

BENCHMARK_MAIN();
