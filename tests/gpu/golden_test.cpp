// The same small scene drawn by the software renderer and by the hardware
// renderer on OpenGL, read back and compared: most pixels must agree closely
// (the two rasterisers differ at edges and in texture filtering).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/render/d3d_renderer.h"
#include "engine/scene/entity.h"
#include "engine/core/memory.h"
#include "engine/scene/model.h"
#include "engine/render/shader_mode.h"
#include "engine/render/soft_renderer.h"
#include "engine/scene/texture.h"
#include "driver_leaks.h"
#include "sanitizer_build.h"
#include "platform/sdl/gl_gpu.h"

namespace {

class GoldenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_REAL_OPENGL_UNDER_THE_SANITIZER();
    IgnoreDriverAllocations(true);
    MemoryManager().Init(64 << 20, 16);
    TexSysCreate();
    ModSysCreate();
    // A 64 x 64 page in four flat quadrants (bytes R G B A).
    texels_.resize(64 * 64);
    for (int32_t y = 0; y < 64; ++y)
      for (int32_t x = 0; x < 64; ++x)
        texels_[size_t(y * 64 + x)] = (x < 32) == (y < 32) ? 0xFF2060E0u : 0xFFE0C040u;
    CTextureSystem* t = TheTextureSystem();
    t->pageCount = 1;
    t->pages[0] = TexturePage{};
    t->pages[0].width = t->pages[0].height = 64;
    t->pages[0].flags = kTexFlagOpaque;
    t->pages[0].pixels = texels_.data();
    texture_.width = texture_.height = 64;
    texture_.pixels = texels_.data();
    texture_.uSize = texture_.vSize = 1.0f;  // the whole page
    texture_.pageIndex = 0;
    slot_ = TexSysAddTexture(&texture_, 0);
    const Vec3 p[8] = {{-10, -10, -10}, {10, -10, -10}, {10, 10, -10}, {-10, 10, -10},
                       {-10, -10, 10},  {10, -10, 10},  {10, 10, 10},  {-10, 10, 10}};
    const TexCoord uv[8] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {1, 0}, {0, 0}, {0, 1}, {1, 1}};
    box_.handles[0] = ModSysCreateSelfBuiltModel(1, 8, p, uv, nullptr);
    box_.count = 1;
    const uint16_t faces[6][4] = {{0, 1, 2, 3}, {5, 4, 7, 6}, {4, 0, 3, 7},
                                  {1, 5, 6, 2}, {3, 2, 6, 7}, {4, 5, 1, 0}};
    for (const auto& f : faces) ModSysAddQuad(f[0], f[3], f[2], f[1]);
    ModSysEndPrimitive(box_.handles[0], 0, 0, uint16_t(slot_));
    // Ground under the box, 400 across: it reaches behind the camera and past
    // both sides of the picture. The page repeats every 80 units.
    const Vec3 g[4] = {{-200, 0, -200}, {200, 0, -200}, {200, 0, 200}, {-200, 0, 200}};
    const TexCoord guv[4] = {{0, 0}, {5, 0}, {5, 5}, {0, 5}};
    ground_.handles[0] = ModSysCreateSelfBuiltModel(1, 4, g, guv, nullptr);
    ground_.count = 1;
    ModSysAddTriangle(0, 2, 1);  // facing up (model z runs opposite to the world's)
    ModSysAddTriangle(0, 3, 2);
    ModSysEndPrimitive(ground_.handles[0], 0, 0, uint16_t(slot_));
  }
  void TearDown() override {
    if (kSanitizerBuild) return;  // skipped: nothing was set up
    texture_.pixels = nullptr;
    TheTextureSystem()->pages[0].pixels = nullptr;
    ModSysDestroy();
    TexSysDestroy();
    MemoryManager().Shutdown();
    IgnoreDriverAllocations(false);
  }

  // Draws the scene; returns the frame as 0x00BBGGRR rows, bottom row first.
  std::vector<uint32_t> Draw(CRenderer& r) {
    ShaderMode shader{};
    shader.name = "scene";
    shader.fill = kFillGouraud;
    shader.depthTest = shader.depthWrite = kStateOn;
    shader.depthCompare = kCmpLessEqual;
    shader.alphaTest = shader.alphaBlend = kStateOff;
    shader.cull = kCullNone;
    shader.stageCount = 1;
    shader.stages[0] = {2, 0, 0, kFilterPoint, kFilterPoint, kFilterNone, kAddrWrap, kAddrWrap,
                        kArgTexture, kArgDiffuse, kOpModulate, kArgTexture, kArgDiffuse, kOpModulate};
    shader.stages[1].state = kStageDisabled;
    // The ground goes through the software renderer's perspective-correct
    // ground filler, as the game's ground shaders do.
    ShaderMode shaders[2] = {shader, shader};
    shaders[1].name = "ground";
    shaders[1].softwareFlags = kShaderSoftFloor;
    r.AttachTextureSystem(TheTextureSystem());
    r.AttachModelSet(TheModelSystem());
    r.DownloadAllTexturePages();
    r.PrepareModel(box_.handles[0]);
    r.PrepareModel(ground_.handles[0]);
    r.SetShaderTable(shaders, 2);
    r.SetFieldOfView(60.0f);
    r.SetDepthRange(1.0f, 3000.0f);
    r.SetClearFlags(true, true);
    // Fog far behind the scene: the software renderer has none.
    r.SetFog(0xFF000000, 2000.0f, 3000.0f, 0.0f);
    EXPECT_TRUE(r.BeginFrame());
    r.Clear();
    // Lit by an even light: the hardware renderer's per-vertex ramps and the
    // software renderer's frame tint then give the same shade.
    r.SetLightRamps(0xFF000000, 0xFFB0B0B0, 0, 0, 0, 1.0f, 0, -1, 0, 0);
    r.SetCameraPosition(0, 25, -60);
    r.SetCameraTarget(0, 0, 0);
    r.ApplyCamera();
    r.UpdateViewVolume();
    r.EnableLighting();
    r.SetShader(1);
    CEntity ground;
    ground.SetModel(&ground_);
    ground.rotation = {0, 0, 0};
    ground.scale = {1, 1, 1};
    ground.position = {0, -5, 0};
    ground.Draw(PublishedViewMatrix());
    r.SetShader(0);
    CEntity e;
    e.SetModel(&box_);
    e.rotation = {0, 30, 0};
    e.scale = {1, 1, 1};
    e.position = {0, 5, 0};
    e.Draw(PublishedViewMatrix());
    r.EndFrame();
    r.BeginOverlay();
    r.EndOverlay();
    r.Present();
    uint32_t* pixels = nullptr;
    int32_t w = 0, h = 0;
    std::vector<uint32_t> out;
    if (r.ReadBackBuffer(&pixels, &w, &h) == 1 && w == 640 && h == 480)
      out.assign(pixels, pixels + size_t(w) * size_t(h));
    std::free(pixels);
    return out;
  }

  std::vector<uint32_t> texels_;
  CTexture texture_{};
  int32_t slot_ = -1;
  ModelLodSet box_{};
  ModelLodSet ground_{};
};

TEST_F(GoldenTest, HardwareAndSoftwareRenderersAgree) {
  RendererSettings settings{};
  settings.width = 640;
  settings.height = 480;
  settings.windowed = 1;
  settings.texBitDepth = 32;
  settings.fog = 1;
  auto soft = CreateSoftwareRenderer();
  ASSERT_TRUE(soft->Open(nullptr, nullptr, &settings));
  SetRenderer(soft.get());
  const std::vector<uint32_t> a = Draw(*soft);
  soft->Close();
  SetRenderer(nullptr);

  auto old = platform::SetGpuSystemFactory([] { return platform::CreateGlGpuSystem(); });
  D3DForgetEnumeration();
  auto hard = std::make_unique<CD3DRenderer>();
  if (!hard->Open(nullptr, nullptr, &settings)) {
    platform::SetGpuSystemFactory(old);
    GTEST_SKIP() << "no OpenGL 3.3 context here";
  }
  SetRenderer(hard.get());
  const std::vector<uint32_t> b = Draw(*hard);
  hard->Close();
  SetRenderer(nullptr);
  platform::SetGpuSystemFactory(old);
  D3DForgetEnumeration();

  if (const char* dump = std::getenv("RC_GOLDEN_DUMP")) {  // for looking at a failure
    for (int k = 0; k < 2; ++k) {
      const std::vector<uint32_t>& img = k ? b : a;
      std::FILE* f = std::fopen((std::string(dump) + (k ? "_hw.ppm" : "_sw.ppm")).c_str(), "wb");
      if (!f || img.size() != 640u * 480u) continue;
      std::fprintf(f, "P6 640 480 255\n");
      for (int y = 479; y >= 0; --y)
        for (int x = 0; x < 640; ++x) {
          const uint32_t v = img[size_t(y * 640 + x)];
          const unsigned char rgb[3] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16)};
          std::fwrite(rgb, 1, 3, f);
        }
      std::fclose(f);
    }
  }
  ASSERT_EQ(a.size(), b.size());
  ASSERT_FALSE(a.empty());
  // Tolerance: at most 4 % of the pixels differ by more than 40 in a channel
  // (16-bit colour, affine texturing and edge rules of the software path).
  int32_t off = 0, lit = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] || b[i]) ++lit;
    for (int shift = 0; shift < 24; shift += 8) {
      const int da = int((a[i] >> shift) & 0xFF), db = int((b[i] >> shift) & 0xFF);
      if (std::abs(da - db) > 40) {
        ++off;
        break;
      }
    }
  }
  RecordProperty("differing_pixels", off);
  EXPECT_GT(lit, int32_t(a.size() / 2));  // the box and the ground below the horizon
  // The ground fills the bottom of both pictures from edge to edge.
  for (size_t x = 0; x < 640; ++x) {
    EXPECT_NE(a[x], 0u) << "software, column " << x;
    EXPECT_NE(b[x], 0u) << "hardware, column " << x;
  }
  EXPECT_LE(off, int32_t(a.size() * 4 / 100)) << off << " of " << a.size() << " pixels differ";
}

}  // namespace
