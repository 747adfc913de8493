// The software rasteriser's textured, depth-tested fill rate into a 640 x 480
// target: triangles of mixed sizes, and a full frame of a few thousand.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/render/raster.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Target {
  std::vector<uint16_t> colour = std::vector<uint16_t>(kWidth * kHeight);
  std::vector<uint16_t> depth = std::vector<uint16_t>(kWidth * kHeight);
  std::vector<std::vector<uint16_t>> levels;
  SoftTexture texture{};

  Target() {
    PixelIs565 = 1;
    RasterSetColourTarget(colour.data(), kWidth, kWidth, kHeight);
    RasterSetDepthTarget(depth.data(), kWidth, kHeight);
    RasterSetClip(0, 0, kWidth, kHeight);
    texture.MaxLevel = 7;
    for (int l = 0; l < 8; ++l) {
      int size = 256 >> l;
      levels.emplace_back(size * size);
      for (int i = 0; i < size * size; ++i) levels[l][i] = uint16_t(i * 2654435761u >> 16);
      texture.Levels[l] = {levels[l].data(), size, uint32_t(size * size - 1), 8 - l};
    }
  }
};

struct Triangle {
  RasterVertex v[3];
  float area;
};

// Deterministic triangles: a third small (4-24 px), a third medium (24-96),
// a third large (96-240), each texture-mapped at about one texel per pixel.
std::vector<Triangle> MakeTriangles(int count) {
  std::vector<Triangle> out;
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return float(seed >> 8) / float(1 << 24);
  };
  for (int i = 0; i < count; ++i) {
    float size = i % 3 == 0 ? 4 + 20 * next() : i % 3 == 1 ? 24 + 72 * next() : 96 + 144 * next();
    float cx = size + next() * (kWidth - 2 * size), cy = next() * (kHeight - size);
    float z = 0.05f + 0.4f * next();
    Triangle t;
    t.v[0] = {cx, cy, z, 0, 0};
    t.v[1] = {cx + size * (0.5f + 0.5f * next()), cy + size * next(), z, size / 256, 0};
    t.v[2] = {cx - size * 0.5f * next(), cy + size, z, 0, size / 256};
    float ax = t.v[1].x - t.v[0].x, ay = t.v[1].y - t.v[0].y;
    float bx = t.v[2].x - t.v[0].x, by = t.v[2].y - t.v[0].y;
    t.area = std::fabs(ax * by - ay * bx) * 0.5f;
    out.push_back(t);
  }
  return out;
}

void Draw(const Target& target, const std::vector<Triangle>& triangles, double& pixels) {
  for (const Triangle& t : triangles) {
    g_RasterVertices.v[0] = t.v[0];
    g_RasterVertices.v[1] = t.v[1];
    g_RasterVertices.v[2] = t.v[2];
    FillTexturedDepth(target.texture, 0);
    pixels += t.area;
  }
}

void BM_TexturedDepthMixedSizes(benchmark::State& state) {
  Target target;
  auto triangles = MakeTriangles(int(state.range(0)));
  double pixels = 0;
  for (auto _ : state) {
    Draw(target, triangles, pixels);
    benchmark::DoNotOptimize(target.colour.data());
  }
  state.counters["pixels/s"] = benchmark::Counter(pixels, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TexturedDepthMixedSizes)->Arg(300);

// One frame: clear the depth buffer, then a few thousand triangles.
void BM_TexturedDepthFullFrame(benchmark::State& state) {
  Target target;
  auto triangles = MakeTriangles(int(state.range(0)));
  double pixels = 0;
  for (auto _ : state) {
    std::fill(target.depth.begin(), target.depth.end(), uint16_t(0));
    Draw(target, triangles, pixels);
    benchmark::DoNotOptimize(target.colour.data());
  }
  state.counters["pixels/s"] = benchmark::Counter(pixels, benchmark::Counter::kIsRate);
  state.counters["triangles"] = double(triangles.size());
}
BENCHMARK(BM_TexturedDepthFullFrame)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
