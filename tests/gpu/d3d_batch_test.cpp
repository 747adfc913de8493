#include <fstream>
#include <sstream>
#include <vector>

#include "d3d_fixture.h"
#include "engine/scene/entity.h"
#include "engine/core/memory.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"

using platform::GpuCall;

namespace {

std::vector<Vec3> Quads(int32_t count) {
  std::vector<Vec3> q;
  for (int32_t i = 0; i < count; ++i) {
    const float x = float(i);
    q.insert(q.end(), {{x, 0, 10}, {x + 1, 0, 10}, {x + 1, 1, 10}, {x, 1, 10}});
  }
  return q;
}

// x of every vertex the draws read, in drawing order.
std::vector<float> DrawnX(const std::vector<platform::GpuCallRecord>& draws) {
  std::vector<float> xs;
  for (const auto& d : draws)
    for (size_t at = 0; at + 28 <= d.vertices.size(); at += 28) {
      float x;
      std::memcpy(&x, d.vertices.data() + at, 4);
      xs.push_back(x);
    }
  return xs;
}

}  // namespace

TEST_F(D3DRecordingTest, QuadBatchRestartsAtCapacityWithNothingLost) {
  ASSERT_TRUE(Open());
  renderer_->SetShaderTable(table_, 4);
  ASSERT_TRUE(renderer_->BeginFrame());
  renderer_->SetShader(0);
  const auto first = Quads(700), second = Quads(100);  // 2800 + 400 vertices
  device_->ClearCalls();
  renderer_->DrawFlatQuads(first.data(), 700, nullptr);
  renderer_->DrawFlatQuads(second.data(), 100, nullptr);
  renderer_->EndFrame();
  const auto draws = device_->CallsOf(GpuCall::DrawIndexed);
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].b, 1400);
  EXPECT_EQ(draws[1].b, 200);
  int32_t discards = 0;
  for (const auto& l : device_->CallsOf(GpuCall::LockVertices))
    if (l.value & platform::kGpuLockDiscard) ++discards;
  EXPECT_EQ(discards, 2);  // the frame's first batch and the restart
  EXPECT_EQ(DrawnX(draws).size(), size_t(800 * 6));

  // One request beyond the buffers is drawn in runs, all of it.
  const auto huge = Quads(2000);
  ASSERT_TRUE(renderer_->BeginFrame());
  renderer_->SetShader(0);
  device_->ClearCalls();
  renderer_->DrawFlatQuads(huge.data(), 2000, nullptr);
  renderer_->EndFrame();
  int32_t triangles = 0;
  for (const auto& d : device_->CallsOf(GpuCall::DrawIndexed)) triangles += d.b;
  EXPECT_EQ(triangles, 4000);
  EXPECT_EQ(renderer_->GetTriangleCount(), 4000);
}

TEST_F(D3DRecordingTest, OversizedIndexedDrawIsSplitIntoWholeTriangles) {
  ASSERT_TRUE(Open());
  renderer_->SetShaderTable(table_, 4);
  ASSERT_TRUE(renderer_->BeginFrame());
  renderer_->SetShader(0);
  const int32_t n = 5000;
  std::vector<VertexUntextured> v(n);
  for (int32_t i = 0; i < n; ++i) v[size_t(i)] = {float(i), 0, 10, 0xFFFFFFFF};
  std::vector<uint16_t> idx;
  for (int32_t i = 0; i + 2 < n; i += 3) idx.insert(idx.end(), {uint16_t(i), uint16_t(i + 1), uint16_t(i + 2)});
  device_->ClearCalls();
  renderer_->DrawIndexedUntextured(v.data(), idx.data(), n, int32_t(idx.size()));
  renderer_->EndFrame();
  std::vector<float> xs = DrawnX(device_->CallsOf(GpuCall::DrawIndexed));
  ASSERT_EQ(xs.size(), idx.size());
  for (size_t i = 0; i < idx.size(); ++i) ASSERT_EQ(xs[i], float(idx[i]));

  // An index past the vertices is refused rather than read.
  ASSERT_TRUE(renderer_->BeginFrame());
  device_->ClearCalls();
  const uint16_t bad[3] = {0, 1, 7};
  renderer_->DrawIndexedUntextured(v.data(), bad, 3, 3);
  renderer_->EndFrame();
  EXPECT_EQ(Count(GpuCall::DrawIndexed), 0);
}

TEST_F(D3DRecordingTest, PolylineModes) {
  ASSERT_TRUE(Open());
  renderer_->SetShaderTable(table_, 4);
  ASSERT_TRUE(renderer_->BeginFrame());
  std::vector<PolylinePoint> pts;
  for (int32_t i = 0; i < 5000; ++i) pts.push_back({float(i), 0, 10, 0xFF00FF00});
  device_->ClearCalls();
  renderer_->BeginPolyline(kPolylinePoints);
  renderer_->DrawPolyline(5, pts.data());
  renderer_->BeginPolyline(7);  // not a mode: points stay
  renderer_->DrawPolyline(5, pts.data());
  renderer_->BeginPolyline(kPolylineStrip);
  renderer_->DrawPolyline(5, pts.data());
  auto draws = device_->CallsOf(GpuCall::Draw);
  ASSERT_EQ(draws.size(), 3u);
  EXPECT_EQ(draws[0].a, int32_t(platform::GpuPrimitive::PointList));
  EXPECT_EQ(draws[0].b, 5);
  EXPECT_EQ(draws[1].a, int32_t(platform::GpuPrimitive::PointList));
  EXPECT_EQ(draws[2].a, int32_t(platform::GpuPrimitive::LineStrip));
  EXPECT_EQ(draws[2].b, 4);
  // A strip longer than the buffer: runs that share their joining points.
  device_->ClearCalls();
  renderer_->DrawPolyline(5000, pts.data());
  int32_t segments = 0;
  for (const auto& d : device_->CallsOf(GpuCall::Draw)) segments += d.b;
  EXPECT_EQ(segments, 4999);
}

class D3DQueueTest : public D3DRecordingTest {
 protected:
  void SetUp() override {
    D3DRecordingTest::SetUp();
    MemoryManager().Init(64 << 20, 16);
    TexSysCreate();
    ModSysCreate();
    // Two pages: page 0 transparent, page 1 opaque.
    CTextureSystem* t = TheTextureSystem();
    t->pageCount = 2;
    t->pages[0] = TexturePage{};
    t->pages[0].width = t->pages[0].height = 64;
    t->pages[1] = t->pages[0];
    t->pages[1].flags = kTexFlagOpaque;
    for (int32_t page = 0; page < 2; ++page) {
      textures_[page] = CTexture{};
      textures_[page].pageIndex = page;
      textures_[page].width = textures_[page].height = 64;
      textures_[page].pixels = texels_;
      slots_[page] = TexSysAddTexture(&textures_[page], 0);
    }
  }
  void TearDown() override {
    D3DRecordingTest::TearDown();
    for (CTexture& t : textures_) t.pixels = nullptr;  // not the system's to free
    ModSysDestroy();
    TexSysDestroy();
    MemoryManager().Shutdown();
  }
  // A one-triangle model on a texture slot, x positions tagged by `tag`.
  int32_t Triangle(int32_t slot, float tag) {
    Vec3 pos[3] = {{tag, 0, 0}, {tag, 1, 0}, {tag + 1, 0, 0}};
    TexCoord uv[3] = {{0, 0}, {0, 1}, {1, 0}};
    const int32_t h = ModSysCreateSelfBuiltModel(1, 3, pos, uv, nullptr);
    ModSysAddTriangle(0, 1, 2);
    ModSysEndPrimitive(h, 0, 0, uint16_t(slot));
    EXPECT_TRUE(ModSysPrepareModel(ModSysGetModel(h)));
    return h;
  }
  CTexture textures_[2];
  uint32_t texels_[64 * 64] = {};
  int32_t slots_[2] = {};
};

TEST_F(D3DQueueTest, OpaquePagesFirstThenTransparentWithShaderAlpha) {
  table_[0].alphaBlend = kStateOn;
  table_[0].srcBlend = kBlendSrcAlpha;
  table_[0].destBlend = kBlendInvSrcAlpha;
  ASSERT_TRUE(Open());
  renderer_->AttachTextureSystem(TheTextureSystem());
  renderer_->SetShaderTable(table_, 4);
  ModelLodSet transparent{{Triangle(slots_[0], 100), 0, 0}, 1};
  ModelLodSet opaque{{Triangle(slots_[1], 200), 0, 0}, 1};
  ASSERT_TRUE(renderer_->BeginFrame());
  renderer_->SetShader(0);
  CEntity a, b;
  a.SetModel(&transparent);
  b.SetModel(&opaque);
  ASSERT_EQ(device_->State(platform::GpuState::AlphaBlendEnable), 0u);  // left by validation
  device_->ClearCalls();
  renderer_->DrawEntity(&a);  // submitted first, drawn last
  renderer_->DrawEntity(&b);
  EXPECT_EQ(Count(GpuCall::DrawIndexed), 0);
  renderer_->EndFrame();
  std::vector<uint32_t> blendAtDraw;
  for (const auto& c : device_->calls) {
    if (c.call == GpuCall::State && c.a == int32_t(platform::GpuState::AlphaBlendEnable))
      blendAtDraw.push_back(c.value);
    if (c.call == GpuCall::DrawIndexed) blendAtDraw.push_back(100 + uint32_t(DrawnX({c})[0]));
  }
  // The opaque group (x 200) with blending still off, blend on, the transparent one (x 100).
  EXPECT_EQ(blendAtDraw, (std::vector<uint32_t>{300, 1, 200}));
}

TEST_F(D3DQueueTest, The512thEntityDrawsTheQueuedOnesFirst) {
  ASSERT_TRUE(Open());
  renderer_->AttachTextureSystem(TheTextureSystem());
  renderer_->SetShaderTable(table_, 4);
  ModelLodSet set{{Triangle(slots_[1], 0), 0, 0}, 1};
  ASSERT_TRUE(renderer_->BeginFrame());
  renderer_->SetShader(0);
  CEntity e;
  e.SetModel(&set);
  device_->ClearCalls();
  for (int32_t i = 0; i < 511; ++i) renderer_->DrawEntity(&e);
  EXPECT_EQ(Count(GpuCall::DrawIndexed), 0);
  EXPECT_EQ(renderer_->QueuedRecords(), 511);
  renderer_->DrawEntity(&e);
  const auto draws = device_->CallsOf(GpuCall::DrawIndexed);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].b, 511);
  EXPECT_EQ(renderer_->QueuedRecords(), 1);
  // Overlay drawing puts entities straight into the batch.
  renderer_->BeginOverlay();
  EXPECT_EQ(renderer_->QueuedRecords(), 0);
  renderer_->DrawEntity(&e);
  EXPECT_EQ(renderer_->QueuedEntries(), 0);
  renderer_->EndFrame();
}

// A lit model seen along its normal with the light behind the viewer gets the
// full highlight only while the program-wide switch is on when it is submitted.
TEST_F(D3DQueueTest, SpecularHighlightsFollowTheSwitch) {
  ASSERT_TRUE(Open());
  renderer_->AttachTextureSystem(TheTextureSystem());
  renderer_->SetShaderTable(table_, 4);
  const int32_t handle = Triangle(slots_[1], 0);
  ModSysCalcNormals(ModSysGetModel(handle));
  const Vec3 n = ModSysGetModel(handle)->normals[0];
  ModelLodSet set{{handle, 0, 0}, 1};
  CEntity e;
  e.SetModel(&set);
  // The entity's z is turned on submission, so world directions have -z.
  renderer_->SetCameraPosition(10 * n.x, 10 * n.y, -10 * n.z);
  renderer_->EnableLighting();
  // White highlights over a black base, no over-bright.
  renderer_->SetLightRamps(0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0, 1.0f, n.x, n.y, -n.z, 0);
  auto specularDrawn = [&](bool on) {
    ASSERT_TRUE(renderer_->BeginFrame());
    renderer_->SetShader(0);
    device_->ClearCalls();
    SpecularHighlights = on;
    renderer_->DrawEntity(&e);
    SpecularHighlights = false;
    renderer_->EndFrame();
    const auto draws = device_->CallsOf(GpuCall::DrawIndexed);
    ASSERT_EQ(draws.size(), 1u);
    uint32_t specular = 0;
    std::memcpy(&specular, draws[0].vertices.data() + 16, 4);  // after x, y, z and diffuse
    EXPECT_EQ(specular, on ? 0xFFFFFFFFu : 0xFF000000u) << on;
  };
  specularDrawn(true);
  specularDrawn(false);
}

TEST_F(D3DRecordingTest, EnumerationLogAndModeTable) {
  ASSERT_TRUE(D3DEnumerateDevices());
  std::ifstream in(root_ / "D3DEnum.txt");
  std::stringstream text;
  text << in.rdbuf();
  const std::string log = text.str();
  EXPECT_EQ(log.rfind("ENUMERATING D3D DEVICES\n***********************\n\n\nCreating D3D8 Object\n"
                      "\nD3D8 Object Created\n\nNumber of display Adapters  :- 1\n\nAdapter #0\n",
                      0),
            0u);
  EXPECT_NE(log.find("Device Validated\nAvailable Video Modes = 8\nVid Mode 640 X 480 X 16\n"),
            std::string::npos);
  EXPECT_NE(log.find("Valid Video Modes = 8\n"), std::string::npos);
  EXPECT_EQ(GetD3DAdapterTable().count, 1);
  EXPECT_TRUE(D3DModeHasA8R8G8B8(0, 800, 600, 32));
  EXPECT_FALSE(D3DModeHasA8R8G8B8(0, 801, 600, 32));
}

class D3DEnumTest : public D3DRecordingTest {
 protected:
  void Configure(platform::RecordingGpuSystem& s) override {
    using platform::GpuFormat;
    s.adapters.clear();
    for (int32_t i = 0; i < 10; ++i) {
      platform::RecordingAdapter a = platform::DefaultRecordingAdapter();
      a.modes.clear();
      for (int32_t m = 0; m < 70; ++m)  // 70 sizes, each at two refresh rates
        for (int32_t hz : {60, 75}) a.modes.push_back({320 + 8 * m, 240, hz, GpuFormat::R5G6B5});
      if (i == 1) a.deviceTypes.clear();  // not a usable device
      s.adapters.push_back(a);
    }
  }
};

TEST_F(D3DEnumTest, EightValidAdaptersFirstSixtyFourModesOnce) {
  ASSERT_TRUE(D3DEnumerateDevices());
  const D3DAdapterTable& t = GetD3DAdapterTable();
  EXPECT_EQ(t.count, 8);
  EXPECT_EQ(t.adapters[1].ordinal, 2);  // adapter 1 was not valid
  EXPECT_EQ(t.adapters[0].modeCount, 64);
  EXPECT_EQ(t.adapters[0].modes[1].modeIndex, 2);  // refresh variants skipped
  EXPECT_EQ(t.adapters[0].modes[63].width, 320 + 8 * 63);
  std::ifstream in(root_ / "D3DEnum.txt");
  std::stringstream text;
  text << in.rdbuf();
  const std::string log = text.str();
  size_t notHal = 0;
  for (size_t at = 0; (at = log.find("This device is not HAL", at)) != std::string::npos; ++at)
    ++notHal;
  EXPECT_EQ(notHal, 2u);  // adapter 1 and the ninth valid one
  std::filesystem::remove(root_ / "D3DEnum.txt");
  ASSERT_TRUE(D3DEnumerateDevices());  // once per run
  EXPECT_FALSE(std::filesystem::exists(root_ / "D3DEnum.txt"));
}

TEST_F(D3DQueueTest, LostDeviceIsResetWithBuffersPagesAndEveryState) {
  ASSERT_TRUE(Open());
  renderer_->AttachTextureSystem(TheTextureSystem());
  renderer_->DownloadAllTexturePages();
  renderer_->SetShaderTable(table_, 4);
  const Vec3 quad[4] = {{0, 0, 10}, {1, 0, 10}, {1, 1, 10}, {0, 1, 10}};
  const TexCoord uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  auto frame = [&] {
    ASSERT_TRUE(renderer_->BeginFrame());
    renderer_->SetShader(0);
    renderer_->DrawTexturedQuads(quad, 1, uv, 1);
    renderer_->EndFrame();
  };
  frame();
  device_->lost_ = platform::GpuResult::DeviceLost;  // still lost: wait, change nothing
  renderer_->Present();
  EXPECT_EQ(device_->resets, 0);
  device_->lost_ = platform::GpuResult::DeviceNotReset;
  device_->ClearCalls();
  renderer_->Present();
  EXPECT_EQ(device_->resets, 1);
  EXPECT_EQ(Count(GpuCall::Reset), 1);
  device_->ClearCalls();
  frame();
  const auto draws = device_->CallsOf(GpuCall::DrawIndexed);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].b, 2);
  // The page's texture was made again and bound; every state was sent again.
  bool bound = false;
  for (const auto& c : device_->CallsOf(GpuCall::Texture)) bound |= c.a == 0 && c.texture != nullptr;
  EXPECT_TRUE(bound);
  EXPECT_EQ(CountState(platform::GpuState::ZWriteEnable), 1);
  EXPECT_EQ(CountState(platform::GpuState::CullMode), 1);
}

// Texture memory for three and a half of four 256-texel pages: the fourth
// page fails, and the pages are reduced by what that page needs (two halvings
// of a 256 page), not by all the rest.
class D3DShortTextureMemoryTest : public D3DRecordingTest {
 protected:
  void Configure(platform::RecordingGpuSystem& system) override {
    system.textureMemory = 7 * 256 * 256;
  }
};

TEST_F(D3DShortTextureMemoryTest, FailedPageReducesThePagesByWhatItNeeded) {
  MemoryManager().Init(64 << 20, 16);
  TexSysCreate();
  CTextureSystem* t = TheTextureSystem();
  t->pageCount = 4;
  for (int32_t p = 0; p < 4; ++p) {
    TexturePage& page = t->pages[p];
    page = TexturePage{};
    page.width = page.height = 256;
    page.pixels = static_cast<uint32_t*>(MEM_ALLOC(256 * 256 * 4));
    page.options[0] = page.options[1] = 8;
  }
  settings_.texBitDepth = 16;
  ASSERT_TRUE(Open());
  renderer_->AttachTextureSystem(t);
  renderer_->DownloadAllTexturePages();
  EXPECT_EQ(t->pages[0].width, 128.0f);
  EXPECT_EQ(t->pages[1].width, 128.0f);
  EXPECT_EQ(t->pages[2].width, 256.0f);
  EXPECT_EQ(t->pages[3].width, 256.0f);
  renderer_->Close();
  renderer_.reset();
  TexSysDestroy();
  MemoryManager().Shutdown();
}
