#pragma once
// A scratch game root with a texture system whose textures each fill a page
// of their own, as the presentation's textures do once packed.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <vector>

#include "engine/core/memory.h"
#include "engine/game_root_fixture.h"
#include "engine/input/input_device.h"
#include "engine/scene/texture.h"

class PresentationTest : public GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    // The heap is each test's own: a test after this one starts its own.
    ASSERT_TRUE(MemoryManager().Init(64 << 20, 16));
    TexSysCreate();
    std::memset(&g_InputState, 0, sizeof g_InputState);
  }
  void TearDown() override {
    if (CTextureSystem* t = TheTextureSystem()) {
      for (int32_t p = 0; p < t->pageCount; ++p) t->pages[p].pixels = nullptr;
    }
    for (CTexture& texture : textures_) texture.pixels = nullptr;
    TexSysDestroy();
    MemoryManager().Shutdown();
    std::memset(&g_InputState, 0, sizeof g_InputState);
    GameRootTest::TearDown();
  }

  // A texture alone on a new page of `side` texels, all `fill`; its slot.
  int32_t OwnPageTexture(int32_t side, uint32_t fill) {
    CTextureSystem* t = TheTextureSystem();
    const int32_t page = t->pageCount++;
    std::vector<uint32_t>& texels = pixels_.emplace_back(size_t(side) * side, fill);
    t->pages[page] = TexturePage{};
    t->pages[page].width = t->pages[page].height = float(side);
    t->pages[page].pixels = texels.data();
    CTexture& texture = textures_.emplace_back();
    std::memset(&texture, 0, sizeof texture);
    texture.width = texture.height = side;
    texture.uSize = texture.vSize = 1.0f;
    texture.pixels = texels.data();
    texture.pageIndex = page;
    return TexSysAddTexture(&texture, 1);
  }
  uint32_t* PagePixels(int32_t slot) { return TexSysPagePixels(TexSysGetTexture(slot)->pageIndex); }

  // Keys for the next interface step: down now and up before.
  static void Press(uint8_t key) { g_InputState.keys[key] = 0x80; }
  static void Hold(uint8_t key) { g_InputState.keys[key] = g_InputState.previousKeys[key] = 0x80; }
  static void ReleaseAll() {
    std::memset(g_InputState.keys, 0, sizeof g_InputState.keys);
    std::memset(g_InputState.previousKeys, 0, sizeof g_InputState.previousKeys);
  }

 private:
  std::deque<std::vector<uint32_t>> pixels_;
  std::deque<CTexture> textures_;
};
