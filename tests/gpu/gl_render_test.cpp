// The hardware renderer drawing through OpenGL (Mesa in tests), read back and
// checked pixel by pixel against what the renderer's conventions promise.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/render/d3d_renderer.h"
#include "engine/render/gamma_ramp.h"
#include "engine/core/memory.h"
#include "engine/scene/texture.h"
#include "driver_leaks.h"
#include "game_data_links.h"
#include "sanitizer_build.h"
#include "platform/sdl/gl_gpu.h"

namespace {

class GlRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_REAL_OPENGL_UNDER_THE_SANITIZER();
    IgnoreDriverAllocations(true);
    old_ = platform::SetGpuSystemFactory([] { return platform::CreateGlGpuSystem(); });
    D3DForgetEnumeration();
    settings_.width = 64;
    settings_.height = 48;
    settings_.windowed = 1;
    settings_.fog = 0;
    renderer_ = std::make_unique<CD3DRenderer>();
    if (!renderer_->Open(nullptr, nullptr, &settings_)) {
      renderer_.reset();
      GTEST_SKIP() << "no OpenGL 3.3 context here";
    }
    std::memset(table_, 0, sizeof(table_));
    ShaderMode& m = table_[0];
    m.name = "plain";
    m.fill = kFillGouraud;
    m.depthTest = m.depthWrite = kStateOn;
    m.depthCompare = kCmpLessEqual;
    m.specular = kStateOn;
    m.alphaTest = m.alphaBlend = kStateOff;
    m.cull = kCullNone;
    m.stageCount = 1;
    m.stages[0] = {2, 0, 0, kFilterPoint, kFilterPoint, kFilterNone, kAddrClamp, kAddrClamp,
                   kArgTexture, kArgDiffuse, kOpModulate, kArgTexture, kArgDiffuse, kOpModulate};
    m.stages[1].state = kStageDisabled;
    table_[1] = m;
    table_[1].index = 1;
    table_[1].cull = kCullClockwise;
    renderer_->SetShaderTable(table_, 2);
    renderer_->SetClearFlags(true, true);
  }
  void TearDown() override {
    if (kSanitizerBuild) return;  // skipped: nothing was set up
    if (renderer_) renderer_->Close();
    renderer_.reset();
    platform::SetGpuSystemFactory(old_);
    D3DForgetEnumeration();
    IgnoreDriverAllocations(false);
  }
  // Reads the frame back as rows top first, 0x00BBGGRR.
  std::vector<uint32_t> Frame() {
    uint32_t* pixels = nullptr;
    int32_t w = 0, h = 0;
    EXPECT_EQ(renderer_->ReadBackBuffer(&pixels, &w, &h), 1);
    std::vector<uint32_t> rows(size_t(w) * size_t(h));
    for (int32_t y = 0; y < h; ++y)  // read-back rows come bottom-up
      std::memcpy(&rows[size_t(y) * size_t(w)], pixels + size_t(h - 1 - y) * size_t(w),
                  size_t(w) * 4);
    std::free(pixels);
    return rows;
  }
  uint32_t At(const std::vector<uint32_t>& f, int32_t x, int32_t y) { return f[size_t(y * 64 + x)]; }
  // Screen rectangle in the 640 x 480 interface space.
  void Rect(float x0, float y0, float x1, float y1, float z, uint32_t colour, bool clockwise) {
    Vec3 q[4] = {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}};
    if (!clockwise) std::swap(q[1], q[3]);
    renderer_->DrawFlatQuads(q, 1, &colour);
  }

  platform::GpuSystemFactory old_;
  RendererSettings settings_{};
  ShaderMode table_[2];
  std::unique_ptr<CD3DRenderer> renderer_;
};

TEST_F(GlRenderTest, PixelCentresRowsAndColours) {
  ASSERT_TRUE(renderer_->BeginFrame());
  renderer_->Clear();
  renderer_->SetShader(0);
  renderer_->BeginOverlay();  // the screen's own pixels
  Rect(10, 5, 20, 15, 10, 0xFFFF0000, true);
  Rect(0, 0, 1, 1, 10, 0xFF00FF00, true);
  renderer_->EndOverlay();
  renderer_->EndFrame();
  const auto f = Frame();
  // Whole pixels 10..19 and 5..14 exactly: no half-pixel smear.
  EXPECT_EQ(At(f, 10, 5), 0x000000FFu);
  EXPECT_EQ(At(f, 19, 14), 0x000000FFu);
  EXPECT_EQ(At(f, 9, 5), 0u);
  EXPECT_EQ(At(f, 20, 14), 0u);
  EXPECT_EQ(At(f, 10, 15), 0u);
  EXPECT_EQ(At(f, 10, 4), 0u);
  EXPECT_EQ(At(f, 0, 0), 0x0000FF00u);  // top-left stays top-left
}

TEST_F(GlRenderTest, ClockwiseCullingAndDepth) {
  ASSERT_TRUE(renderer_->BeginFrame());
  renderer_->Clear();
  renderer_->SetShader(1);  // culls faces clockwise on screen
  renderer_->BeginOverlay();
  Rect(0, 0, 10, 10, 10, 0xFFFF0000, true);
  Rect(20, 0, 30, 10, 10, 0xFFFF0000, false);
  // Depth 0..1: the nearer of two overlapping quads wins whatever the order.
  Rect(40, 0, 50, 10, 5000, 0xFF0000FF, false);
  Rect(40, 0, 50, 10, 1000, 0xFF00FF00, false);
  Rect(40, 0, 50, 10, 9000, 0xFFFFFFFF, false);
  renderer_->EndOverlay();
  renderer_->EndFrame();
  const auto f = Frame();
  EXPECT_EQ(At(f, 5, 5), 0u);
  EXPECT_EQ(At(f, 25, 5), 0x000000FFu);
  EXPECT_EQ(At(f, 45, 5), 0x0000FF00u);
}

TEST_F(GlRenderTest, SpecularAfterTexturingAndTableFog) {
  MemoryManager().Init(16 << 20, 16);
  TexSysCreate();
  CTextureSystem* t = TheTextureSystem();
  std::vector<uint32_t> texels(16 * 16, 0xFF202020u);  // dark grey, opaque (bytes R G B A)
  t->pageCount = 1;
  t->pages[0] = TexturePage{};
  t->pages[0].width = t->pages[0].height = 16;
  t->pages[0].flags = kTexFlagOpaque;
  t->pages[0].pixels = texels.data();
  settings_.texBitDepth = 32;
  renderer_->AttachTextureSystem(t);
  renderer_->DownloadAllTexturePages();

  ASSERT_TRUE(renderer_->BeginFrame());
  renderer_->Clear();
  renderer_->SetShader(0);
  renderer_->BeginOverlay();
  // Texture 0x20 x white diffuse, then + specular 0x40 red: 0x60 red.
  const VertexTextured v[4] = {{0, 0, 10, 0xFFFFFFFF, 0xFF400000, 0, 0},
                               {16, 0, 10, 0xFFFFFFFF, 0xFF400000, 1, 0},
                               {16, 16, 10, 0xFFFFFFFF, 0xFF400000, 1, 1},
                               {0, 16, 10, 0xFFFFFFFF, 0xFF400000, 0, 1}};
  const uint16_t idx[6] = {0, 1, 2, 0, 2, 3};
  renderer_->DrawIndexedTextured(v, idx, 4, 6, 0);
  renderer_->EndOverlay();
  renderer_->EndFrame();
  auto f = Frame();
  const uint32_t p = At(f, 8, 8);
  EXPECT_NEAR(int(p & 0xFF), 0x60, 2);
  EXPECT_NEAR(int((p >> 8) & 0xFF), 0x20, 2);

  // Table fog by view depth: past the end the fog colour, before the start none.
  renderer_->ReleaseTexturePages();
  t->pages[0].pixels = nullptr;
  TexSysDestroy();
  MemoryManager().Shutdown();
  renderer_->AttachTextureSystem(nullptr);
  renderer_->SetFog(0xFF0000FF, 100.0f, 200.0f, 0.0f);
  renderer_->SetFieldOfView(90.0f);
  RendererSettings fogged = settings_;
  fogged.fog = 1;
  renderer_->Close();
  renderer_ = std::make_unique<CD3DRenderer>();
  ASSERT_TRUE(renderer_->Open(nullptr, nullptr, &fogged));
  renderer_->SetShaderTable(table_, 2);
  renderer_->SetClearFlags(true, true);
  renderer_->SetDepthRange(1.0f, 1000.0f);
  renderer_->SetFog(0xFF0000FF, 100.0f, 200.0f, 0.0f);
  ASSERT_TRUE(renderer_->BeginFrame());
  renderer_->Clear();
  renderer_->SetShader(0);
  const uint32_t white = 0xFFFFFFFF;
  const Vec3 nearQuad[4] = {{-60, -60, 50}, {0, -60, 50}, {0, 60, 50}, {-60, 60, 50}};
  const Vec3 farQuad[4] = {{0, -600, 500}, {600, -600, 500}, {600, 600, 500}, {0, 600, 500}};
  renderer_->DrawFlatQuads(nearQuad, 1, &white);
  renderer_->DrawFlatQuads(farQuad, 1, &white);
  renderer_->EndFrame();
  f = Frame();
  EXPECT_EQ(At(f, 16, 24), 0x00FFFFFFu);  // left half: before the fog
  EXPECT_EQ(At(f, 48, 24), 0x00FF0000u);  // right half: wholly fogged blue
}

// Presenting through a gamma ramp changes only what the window is shown: the
// colour buffer keeps the drawn values, and the next frame draws exactly as
// the first (the present pass leaves no state of its own behind).
TEST_F(GlRenderTest, ARampedPresentLeavesTheDrawnFramesAlone) {
  auto draw = [&] {
    EXPECT_TRUE(renderer_->BeginFrame());
    renderer_->Clear();
    renderer_->SetShader(1);  // depth test and clockwise culling
    renderer_->BeginOverlay();
    Rect(0, 0, 10, 10, 10, 0xFFFF0000, true);   // culled
    Rect(20, 0, 30, 10, 10, 0xFF808080, false);
    Rect(40, 0, 50, 10, 1000, 0xFF00FF00, false);
    Rect(40, 0, 50, 10, 9000, 0xFFFFFFFF, false);  // behind: hidden
    renderer_->EndOverlay();
    renderer_->EndFrame();
    return Frame();
  };
  const auto plain = draw();
  renderer_->SetGammaLevel(100);
  renderer_->Present();
  EXPECT_EQ(Frame(), plain);
  EXPECT_EQ(At(plain, 25, 5), 0x00808080u);
  const auto after = draw();
  EXPECT_EQ(after, plain);
  renderer_->Present();
  EXPECT_EQ(At(after, 5, 5), 0u);
  EXPECT_EQ(At(after, 45, 5), 0x0000FF00u);
}

// A picture written through the locked back buffer is the frame read back,
// whether the frame is drawn straight into the window or off-screen (as it
// is while a gamma ramp is on).
TEST_F(GlRenderTest, WritingTheBackBufferReachesTheFrameOnEitherTarget) {
  for (int32_t gamma : {kNeutralGammaLevel, kGammaLevelMax}) {
    renderer_->SetGammaLevel(gamma);
    renderer_->Present();  // the next frame chooses its target
    ASSERT_TRUE(renderer_->BeginFrame());
    renderer_->Clear();
    renderer_->EndFrame();
    const auto cleared = Frame();
    void* pixels = nullptr;
    int32_t w = 0, h = 0, pitch = 0;
    renderer_->LockBackBuffer(&pixels, &w, &h, &pitch, nullptr);
    ASSERT_NE(pixels, nullptr);
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + 3 * pitch);
    row[7] = 0x00336699u;
    renderer_->UnlockBackBuffer();
    renderer_->LockBackBuffer(&pixels, &w, &h, &pitch, nullptr);
    ASSERT_NE(pixels, nullptr);
    row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + 3 * pitch);
    EXPECT_EQ(row[7] & 0xFFFFFFu, 0x336699u) << "gamma " << gamma;
    renderer_->UnlockBackBuffer();
    const auto written = Frame();
    EXPECT_EQ(At(written, 0, 0), At(cleared, 0, 0)) << "gamma " << gamma;
  }
}

// A small OpenGL device of its own for the state tests (null where no
// context can be made); the driver's own allocations are not counted while
// it lives.
struct SmallDevice {
  SmallDevice(int32_t width, int32_t height) {
    IgnoreDriverAllocations(true);
    system = platform::CreateGlGpuSystem();
    if (!system) return;
    platform::GpuPresentParams params;
    params.width = width, params.height = height;
    device = system->CreateDevice(0, params, nullptr);
  }
  ~SmallDevice() {
    device.reset();
    IgnoreDriverAllocations(false);
  }
  std::unique_ptr<platform::GpuSystem> system;
  std::unique_ptr<platform::GpuDevice> device;
};

// Each draw runs the fragment work of the states set for it: quads drawn one
// after another in one frame, each under different stage operations and
// alpha tests, come out as those states say, and a set of states met again
// draws as it did the first time.
TEST(GlDeviceStates, EachDrawTakesTheStagesAndAlphaTestSetForIt) {
  using namespace platform;
  SmallDevice small(96, 16);
  if (!small.device) GTEST_SKIP() << "no OpenGL 3.3 context here";
  std::unique_ptr<GpuDevice>& device = small.device;
  auto texture = device->CreateTexture(4, 4, 1, GpuFormat::A8R8G8B8, GpuPool::Device);
  int32_t pitch = 0;
  auto* texels = static_cast<uint32_t*>(texture->Lock(0, &pitch));
  std::fill(texels, texels + 16, 0x40FF0000u);  // red, alpha 0x40
  texture->Unlock(0);
  struct Case {
    uint32_t colourOp, alphaTest, alphaFunc, expected;
  };
  const Case cases[] = {
      {kGpuOpModulate, 1, kGpuGreater, 0xFF0000FFu},    // alpha 0x40 fails "> 0x80": cleared
      {kGpuOpModulate, 0, kGpuGreater, 0xFF800000u},    // no test: red x grey
      {kGpuOpSelectArg2, 0, kGpuAlways, 0xFF808080u},   // the diffuse alone
      {kGpuOpAdd, 0, kGpuAlways, 0xFFFF8080u},          // red + grey, clamped
      {kGpuOpModulate, 1, kGpuLess, 0xFF800000u},       // alpha 0x40 passes "< 0x80"
      {kGpuOpModulate, 1, kGpuGreater, 0xFF0000FFu},    // the first states again
  };
  constexpr int32_t kCases = int32_t(std::size(cases));
  auto vertices = device->CreateVertexBuffer(kCases * 6 * 32, GpuVertexLayout::Screen);
  struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u, v;
  };
  auto* v = static_cast<ScreenVertex*>(vertices->Lock(0, kCases * 6 * 32, kGpuLockDiscard));
  for (int32_t i = 0; i < kCases; ++i) {
    const float x0 = float(16 * i) - 0.5f, x1 = x0 + 16, y0 = -0.5f, y1 = 15.5f;
    const float corners[6][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y0}, {x1, y1}, {x0, y1}};
    for (int k = 0; k < 6; ++k)
      v[6 * i + k] = {corners[k][0], corners[k][1], 0.5f, 1.0f, 0xFF808080u, 0xFF000000u, 0, 0};
  }
  vertices->Unlock();
  device->SetStreamSource(vertices.get(), GpuVertexLayout::Screen);
  device->SetRenderState(GpuState::CullMode, kGpuCullNone);
  device->SetRenderState(GpuState::AlphaRef, 0x80);
  device->SetTexture(0, texture.get());
  device->SetStageState(0, GpuStageState::ColourArg1, kGpuArgTexture);
  device->SetStageState(0, GpuStageState::ColourArg2, kGpuArgDiffuse);
  device->SetStageState(0, GpuStageState::AlphaOp, kGpuOpSelectArg1);
  device->SetStageState(0, GpuStageState::AlphaArg1, kGpuArgTexture);
  ASSERT_TRUE(device->BeginScene());
  device->Clear(kGpuClearColour | kGpuClearDepth, 0xFF0000FFu, 1.0f, 0);
  for (int32_t i = 0; i < kCases; ++i) {
    device->SetStageState(0, GpuStageState::ColourOp, cases[i].colourOp);
    device->SetRenderState(GpuState::AlphaTestEnable, cases[i].alphaTest);
    device->SetRenderState(GpuState::AlphaFunc, cases[i].alphaFunc);
    device->Draw(GpuPrimitive::TriangleList, 6 * i, 2);
  }
  device->EndScene();
  GpuImage image;
  ASSERT_TRUE(device->ReadBackBuffer(image));
  for (int32_t i = 0; i < kCases; ++i) {
    uint32_t pixel = 0;
    std::memcpy(&pixel, image.pixels.get() + size_t(8 * image.pitch) + size_t(16 * i + 8) * 4, 4);
    const uint32_t want = cases[i].expected;
    for (int shift : {0, 8, 16})
      EXPECT_NEAR(int((pixel >> shift) & 0xFF), int((want >> shift) & 0xFF), 2)
          << "case " << i << std::hex << ": 0x" << pixel;
  }
  texture.reset();
  vertices.reset();
}

// Sixteen-bit texels read back as their colours at eight bits a channel
// (each channel's bits repeated downward), with the alpha they carry:
// alpha 0 fails the alpha test and leaves the cleared colour.
TEST(GlDeviceStates, SixteenBitTexelsKeepTheirColoursAndAlpha) {
  using namespace platform;
  SmallDevice small(16, 16);
  if (!small.device) GTEST_SKIP() << "no OpenGL 3.3 context here";
  std::unique_ptr<GpuDevice>& device = small.device;
  constexpr uint32_t kCleared = 0x102030u;
  struct Case {
    GpuFormat format;
    uint16_t texel;
    uint32_t expected;  // 0x00RRGGBB
  };
  const Case cases[] = {
      {GpuFormat::A4R4G4B4, 0xF8C4, 0x88CC44u},
      {GpuFormat::A4R4G4B4, 0x0FFF, kCleared},
      {GpuFormat::A1R5G5B5, 0xFC00, 0xFF0000u},
      {GpuFormat::A1R5G5B5, 0x03E0, kCleared},
      {GpuFormat::X1R5G5B5, 0x001F, 0x0000FFu},  // no alpha: opaque
      {GpuFormat::R5G6B5, 0x07E0, 0x00FF00u},
      {GpuFormat::R5G6B5, 0x8410, 0x848284u},
  };
  struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u, v;
  };
  auto vertices = device->CreateVertexBuffer(6 * 32, GpuVertexLayout::Screen);
  auto* v = static_cast<ScreenVertex*>(vertices->Lock(0, 6 * 32, kGpuLockDiscard));
  const float corners[6][2] = {{-0.5f, -0.5f}, {15.5f, -0.5f}, {15.5f, 15.5f},
                               {-0.5f, -0.5f}, {15.5f, 15.5f}, {-0.5f, 15.5f}};
  for (int k = 0; k < 6; ++k)
    v[k] = {corners[k][0], corners[k][1], 0.5f, 1.0f, 0xFFFFFFFFu, 0xFF000000u, 0.5f, 0.5f};
  vertices->Unlock();
  for (const Case& c : cases) {
    auto texture = device->CreateTexture(1, 1, 1, c.format, GpuPool::Device);
    ASSERT_TRUE(texture);
    std::memcpy(texture->Lock(0, nullptr), &c.texel, 2);
    texture->Unlock(0);
    device->SetStreamSource(vertices.get(), GpuVertexLayout::Screen);
    device->SetRenderState(GpuState::CullMode, kGpuCullNone);
    device->SetRenderState(GpuState::AlphaTestEnable, 1);
    device->SetRenderState(GpuState::AlphaFunc, kGpuGreater);
    device->SetRenderState(GpuState::AlphaRef, 0x80);
    device->SetTexture(0, texture.get());
    device->SetStageState(0, GpuStageState::ColourOp, kGpuOpSelectArg1);
    device->SetStageState(0, GpuStageState::ColourArg1, kGpuArgTexture);
    device->SetStageState(0, GpuStageState::AlphaOp, kGpuOpSelectArg1);
    device->SetStageState(0, GpuStageState::AlphaArg1, kGpuArgTexture);
    ASSERT_TRUE(device->BeginScene());
    device->Clear(kGpuClearColour | kGpuClearDepth, 0xFF000000u | kCleared, 1.0f, 0);
    device->Draw(GpuPrimitive::TriangleList, 0, 2);
    device->EndScene();
    GpuImage image;
    ASSERT_TRUE(device->ReadBackBuffer(image));
    uint32_t pixel = 0;
    std::memcpy(&pixel, image.pixels.get() + size_t(8 * image.pitch) + 8 * 4, 4);
    for (int shift : {0, 8, 16})
      EXPECT_NEAR(int((pixel >> shift) & 0xFF), int((c.expected >> shift) & 0xFF), 1)
          << "texel 0x" << std::hex << c.texel << ": 0x" << pixel;
    device->SetTexture(0, nullptr);
  }
  vertices.reset();
}

// A depth pre-pass: a draw made depth-only leaves no colour, rejects what is
// drawn behind it afterwards, and lets the same quad drawn again in colour
// land on its own depth. A draw behind everything shows only where no depth
// was laid, however near its own, and leaves the depth as it was. Each
// quad's vertices are written into the one buffer after the draws before
// them were made, as the renderer's batches are (the caller promising not
// to overwrite what they read).
TEST(GlDeviceStates, DepthOnlyAndBehindAllDrawsWithAppendedVertices) {
  using namespace platform;
  SmallDevice small(64, 16);
  if (!small.device) GTEST_SKIP() << "no OpenGL 3.3 context here";
  std::unique_ptr<GpuDevice>& device = small.device;
  struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u, v;
  };
  struct Quad {
    int32_t column;
    float z;
    uint32_t colour, depthOnly, behind;
  };
  const Quad quads[] = {
      {0, 0.3f, 0xFFFF0000u, 1, 0},  // depth alone: column 0 stays cleared...
      {0, 0.5f, 0xFF00FF00u, 0, 0},  // ...and rejects this one behind it,
      {0, 0.3f, 0xFFFFFFFFu, 0, 0},  // but not the same quad in colour
      {1, 0.3f, 0xFFFF0000u, 1, 0},  // column 1: depth alone, and then
      {1, 0.2f, 0xFFFFFF00u, 0, 1},  // behind all, rejected though nearer
      {2, 0.7f, 0xFF00FF00u, 0, 0},  // column 2: an ordinary draw after them
      {3, 0.2f, 0xFFFF0000u, 0, 1},  // column 3: behind all on the cleared
      {3, 0.9f, 0xFFFF00FFu, 0, 0},  // depth, which it leaves for this one
  };
  constexpr int32_t kQuads = int32_t(std::size(quads));
  constexpr int32_t kQuadBytes = 6 * int32_t(sizeof(ScreenVertex));
  auto vertices = device->CreateVertexBuffer(kQuads * kQuadBytes, GpuVertexLayout::Screen);
  device->SetStreamSource(vertices.get(), GpuVertexLayout::Screen);
  device->SetRenderState(GpuState::CullMode, kGpuCullNone);
  device->SetStageState(0, GpuStageState::ColourOp, kGpuOpSelectArg1);
  device->SetStageState(0, GpuStageState::ColourArg1, kGpuArgDiffuse);
  ASSERT_TRUE(device->BeginScene());
  device->Clear(kGpuClearColour | kGpuClearDepth, 0xFF0000FFu, 1.0f, 0);
  for (int32_t i = 0; i < kQuads; ++i) {
    const Quad& q = quads[i];
    auto* v = static_cast<ScreenVertex*>(vertices->Lock(
        i * kQuadBytes, kQuadBytes, i == 0 ? kGpuLockDiscard : kGpuLockNoOverwrite));
    ASSERT_TRUE(v);
    const float x0 = float(16 * q.column) - 0.5f, x1 = x0 + 16, y0 = -0.5f, y1 = 15.5f;
    const float corners[6][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y0}, {x1, y1}, {x0, y1}};
    for (int k = 0; k < 6; ++k)
      v[k] = {corners[k][0], corners[k][1], q.z, 1.0f, q.colour, 0xFF000000u, 0, 0};
    vertices->Unlock();
    device->SetRenderState(GpuState::DepthOnly, q.depthOnly);
    device->SetRenderState(GpuState::BehindAll, q.behind);
    device->Draw(GpuPrimitive::TriangleList, 6 * i, 2);
  }
  device->EndScene();
  GpuImage image;
  ASSERT_TRUE(device->ReadBackBuffer(image));
  const uint32_t expected[4] = {0xFFFFFFu, 0x0000FFu, 0x00FF00u, 0xFF00FFu};
  for (int32_t column = 0; column < 4; ++column) {
    uint32_t pixel = 0;
    std::memcpy(&pixel, image.pixels.get() + size_t(8 * image.pitch) + size_t(16 * column + 8) * 4,
                4);
    EXPECT_EQ(pixel & 0xFFFFFFu, expected[column]) << "column " << column << std::hex << ": 0x" << pixel;
  }
  vertices.reset();
}

#ifdef CITYRUN_PATH
// The game program with "SysSetup api D3D" opens the OpenGL layer on its own
// window (SDL's off-screen display here) and keeps drawing its start-up
// frames until it is closed.
TEST_F(GlRenderTest, CityrunOpensTheOpenGLRendererOnItsWindow) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("rc_gl_cityrun_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  LinkGameData(dir);
  std::ofstream(dir / "config.cfg") << "SysSetup api D3D\nSysSetup Window 1\n"
                                       "SysSetup width 640\nSysSetup height 480\n";
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir.c_str()) != 0) ::_exit(120);
    ::setenv("CITYRUN_ROOT", dir.c_str(), 1);  // the test's folder is the game root
    if (!std::freopen("out.log", "w", stderr) || !std::freopen("out.log", "a", stdout)) ::_exit(121);
    ::unsetenv("CITYRUN_HEADLESS");
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ::execl(CITYRUN_PATH, CITYRUN_PATH, static_cast<char*>(nullptr));
    ::_exit(122);
  }
  ASSERT_GT(pid, 0);
  auto read = [&](const char* name) {
    std::ifstream in(dir / name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  };
  bool enumerated = false;
  for (int i = 0; i < 1000 && !enumerated; ++i) {
    enumerated = read("D3DEnum.txt").find("Valid Video Modes") != std::string::npos;
    if (!enumerated) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::this_thread::sleep_for(std::chrono::seconds(2));  // frames of the start-up pictures
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, WNOHANG), 0) << read("out.log");  // still running
  ::kill(pid, SIGTERM);  // as closing the window
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(enumerated);
  EXPECT_NE(read("D3DEnum.txt").find("OpenGL on offscreen\n"), std::string::npos);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << read("out.log");
  const std::string log = read("out.log");
  EXPECT_EQ(log.find("D3D"), std::string::npos) << log;  // the device and its buffers were made
  EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
  fs::remove_all(dir);
}
#endif

}  // namespace
