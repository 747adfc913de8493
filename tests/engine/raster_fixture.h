#pragma once
// A small colour and depth target for the rasteriser, and textures made from a
// function of (level, column, row).
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/render/raster.h"

class RasterTarget : public ::testing::Test {
 protected:
  static constexpr int kWidth = 64;
  static constexpr int kHeight = 48;

  void SetUp() override {
    colour.assign(kWidth * kHeight, 0);
    depth.assign(kWidth * kHeight, 0);
    PixelIs565 = 1;
    RasterSetColourTarget(colour.data(), kWidth, kWidth, kHeight);
    RasterSetDepthTarget(depth.data(), kWidth, kHeight);
    RasterSetClip(0, 0, kWidth, kHeight);
  }

  uint16_t& At(int x, int y) { return colour[y * kWidth + x]; }
  uint16_t& DepthAt(int x, int y) { return depth[y * kWidth + x]; }

  static void SetTriangle(RasterVertex a, RasterVertex b, RasterVertex c) {
    g_RasterVertices.v[0] = a;
    g_RasterVertices.v[1] = b;
    g_RasterVertices.v[2] = c;
  }

  // An axis-aligned rectangle as two triangles, u and v running from (u0, v0)
  // at the top left to (u1, v1) at the bottom right, at depth z.
  template <typename Fill>
  static void Rect(Fill fill, float x0, float y0, float x1, float y1, float u0 = 0, float v0 = 0,
                   float u1 = 1, float v1 = 1, float z = 0.25f) {
    SetTriangle({x0, y0, z, u0, v0}, {x1, y0, z, u1, v0}, {x1, y1, z, u1, v1});
    fill();
    SetTriangle({x0, y0, z, u0, v0}, {x1, y1, z, u1, v1}, {x0, y1, z, u0, v1});
    fill();
  }

  int CountNot(uint16_t background) const {
    int n = 0;
    for (uint16_t p : colour) n += p != background;
    return n;
  }

  // Bounding box of the pixels that differ from the background.
  struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  };
  Box Covered(uint16_t background = 0) const {
    Box b;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if (colour[y * kWidth + x] != background) {
          b.left = std::min(b.left, x);
          b.right = std::max(b.right, x);
          b.top = std::min(b.top, y);
          b.bottom = std::max(b.bottom, y);
        }
    return b;
  }

  std::vector<uint16_t> colour;
  std::vector<uint16_t> depth;
};

struct TestTexture {
  // size: level-0 edge; levels: how many levels exist (MaxLevel = levels - 1).
  TestTexture(int size, int levels, const std::function<uint16_t(int, int, int)>& texel,
              bool transparency = false) {
    texture = {};
    texture.HasTransparency = transparency;
    texture.MaxLevel = levels - 1;
    storage.resize(levels);
    int shift = 0;
    while ((1 << shift) < size) ++shift;
    for (int l = 0; l < levels; ++l) {
      int s = size >> l;
      storage[l].resize(s * s);
      for (int r = 0; r < s; ++r)
        for (int c = 0; c < s; ++c) storage[l][r * s + c] = texel(l, c, r);
      texture.Levels[l] = {storage[l].data(), s, uint32_t(s * s - 1), shift - l};
    }
  }
  std::vector<std::vector<uint16_t>> storage;
  SoftTexture texture;
};
