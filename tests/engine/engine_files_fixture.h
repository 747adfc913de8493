#pragma once
// A game root with the memory manager, the texture and model systems and the
// cache archive open, for tests of the model, texture and entity loaders.
#include <cstring>

#include "engine/files/cache_archive.h"
#include "engine/core/memory.h"
#include "engine/scene/model.h"
#include "engine/files/model_file.h"
#include "engine/scene/texture.h"
#include "engine/files/texture_file.h"
#include "game_root_fixture.h"

class EngineFilesTest : public GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    ASSERT_TRUE(MemoryManager().Init(64u << 20, 16));
    TexSysCreate();
    ModSysCreate();
    ASSERT_TRUE(CacheArchive().Open("max\\archive.bin", 0));
    boxes_.clear();
  }
  void TearDown() override {
    CacheArchive().Close();
    ModSysDestroy();
    TexSysDestroy();
    MemoryManager().Shutdown();
    GameRootTest::TearDown();
  }
  void ReopenArchive() {
    CacheArchive().Close();
    ASSERT_TRUE(CacheArchive().Open("max\\archive.bin", 0));
  }

  // A model of `primitives` separate quads, each its own texture index.
  static ModelFileData Quads(int primitives, int frames = 1) {
    ModelFileData m;
    m.vertexCount = static_cast<uint16_t>(4 * primitives);
    m.frameCount = static_cast<uint16_t>(frames);
    for (int f = 0; f < frames; ++f) {
      for (int p = 0; p < primitives; ++p) {
        float x = static_cast<float>(p * 2), y = static_cast<float>(f);
        for (Vec3 v : {Vec3{x, y, 0}, Vec3{x + 1, y, 0}, Vec3{x + 1, y + 1, 0}, Vec3{x, y + 1, 0}}) {
          m.positions.push_back(v);
        }
      }
    }
    for (int p = 0; p < primitives; ++p) {
      for (TexCoord t : {TexCoord{0, 0}, TexCoord{1, 0}, TexCoord{1, 1}, TexCoord{0, 1}}) m.uvs.push_back(t);
      auto b = static_cast<uint16_t>(4 * p);
      m.primitives.push_back({p, static_cast<uint16_t>(p), {b, static_cast<uint16_t>(b + 1), static_cast<uint16_t>(b + 2), b,
                                                            static_cast<uint16_t>(b + 2), static_cast<uint16_t>(b + 3)}});
    }
    return m;
  }
  static TextureImage Solid(int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    TextureImage t{0, w, h, {}};
    for (int i = 0; i < w * h; ++i) t.texels.insert(t.texels.end(), {r, g, b, a});
    return t;
  }
  std::string FatalText(const std::function<void()>& call) {
    try {
      call();
    } catch (const FatalErrorException& e) {
      return e.what;
    }
    return "<no fatal error>";
  }
};
