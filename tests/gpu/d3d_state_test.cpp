#include "d3d_fixture.h"

using platform::GpuCall;
using platform::GpuStageState;
using platform::GpuState;

TEST_F(D3DRecordingTest, OpenSetsUpDeviceAndFailedDeviceReportsCleanly) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(device_->State(GpuState::CullMode), platform::kGpuCullCounterClockwise);
  EXPECT_EQ(device_->State(GpuState::ZFunc), platform::kGpuLessEqual);
  EXPECT_EQ(renderer_->Caps().maxTextureSize, 4096);
  renderer_->Close();
  renderer_.reset();

  // A device that cannot be made: Open fails, nothing is left half made.
  platform::SetGpuSystemFactory([] {
    auto s = std::make_unique<platform::RecordingGpuSystem>();
    s->failDevice = true;
    return s;
  });
  renderer_ = std::make_unique<CD3DRenderer>();
  EXPECT_FALSE(renderer_->Open(nullptr, nullptr, &settings_));
  EXPECT_EQ(renderer_->Device(), nullptr);
  EXPECT_FALSE(renderer_->BeginFrame());
  renderer_->DrawFlatQuads(nullptr, 0, nullptr);
}

TEST_F(D3DRecordingTest, ThirtyTwoBitTexturesNeedTheMode) {
  settings_.texBitDepth = 32;
  settings_.width = 333;  // no such mode: the textures fall back to 16 bits
  ASSERT_TRUE(Open());
  EXPECT_EQ(settings_.texBitDepth, 16);
}

TEST_F(D3DRecordingTest, StatesAreSentOnlyWhenTheyChange) {
  ASSERT_TRUE(Open());
  renderer_->SetShaderTable(table_, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(table_[i].valid, 1);
  ASSERT_TRUE(renderer_->BeginFrame());
  renderer_->SetShader(0);
  const Vec3 quad[4] = {{0, 0, 10}, {1, 0, 10}, {1, 1, 10}, {0, 1, 10}};
  const uint32_t white = 0xFFFFFFFF;
  device_->ClearCalls();
  renderer_->DrawFlatQuads(quad, 1, &white);
  renderer_->SetShader(0);  // the same shader again: nothing drawn, nothing sent
  EXPECT_EQ(Count(GpuCall::DrawIndexed), 0);
  renderer_->SetShader(1);  // an equal block: drawn, but no state sent again
  EXPECT_EQ(Count(GpuCall::DrawIndexed), 1);
  const int32_t before = CountState(GpuState::ZEnable) + CountState(GpuState::CullMode);
  renderer_->DrawFlatQuads(quad, 1, &white);
  renderer_->SetShader(-1);
  EXPECT_EQ(CountState(GpuState::ZEnable) + CountState(GpuState::CullMode), before);

  // The depth switches: a matching value neither flushes nor sends.
  renderer_->DrawFlatQuads(quad, 1, &white);
  device_->ClearCalls();
  renderer_->EnableDepthTest();
  EXPECT_EQ(Count(GpuCall::DrawIndexed), 0);
  renderer_->DisableDepthTest();
  EXPECT_EQ(Count(GpuCall::DrawIndexed), 1);
  renderer_->DrawFlatQuads(quad, 1, &white);
  renderer_->SetShader(-1);
  EXPECT_EQ(device_->State(GpuState::ZEnable), 0u);
}

TEST_F(D3DRecordingTest, BlendFactorsEveryApplyAlphaReferenceOnlyOnChange) {
  table_[1].alphaBlend = table_[2].alphaBlend = kStateOn;
  table_[1].srcBlend = table_[2].srcBlend = kBlendSrcAlpha;
  table_[1].destBlend = table_[2].destBlend = kBlendInvSrcAlpha;
  table_[1].alphaTest = table_[2].alphaTest = kStateOn;
  table_[1].alphaRef = 128;
  table_[2].alphaRef = 64;
  ASSERT_TRUE(Open());
  renderer_->SetShaderTable(table_, 4);
  ASSERT_TRUE(renderer_->BeginFrame());
  const Vec3 quad[4] = {{0, 0, 10}, {1, 0, 10}, {1, 1, 10}, {0, 1, 10}};
  const uint32_t white = 0xFFFFFFFF;
  auto drawWith = [&](int32_t shader) {
    renderer_->SetShader(shader);
    renderer_->DrawFlatQuads(quad, 1, &white);
    renderer_->SetShader(-1);
  };
  drawWith(0);
  device_->ClearCalls();
  drawWith(1);
  EXPECT_EQ(CountState(GpuState::SrcBlend), 1);
  EXPECT_EQ(CountState(GpuState::DestBlend), 1);
  EXPECT_EQ(device_->State(GpuState::AlphaRef), 128u);
  EXPECT_EQ(device_->State(GpuState::AlphaFunc), platform::kGpuGreater);
  drawWith(2);  // blend on again: both factors again; alpha test unchanged: 128 stays
  EXPECT_EQ(CountState(GpuState::SrcBlend), 2);
  EXPECT_EQ(CountState(GpuState::DestBlend), 2);
  EXPECT_EQ(device_->State(GpuState::AlphaRef), 128u);
  const int32_t sent = CountState(GpuState::SrcBlend);
  drawWith(0);  // blend off: no factors
  EXPECT_EQ(CountState(GpuState::SrcBlend), sent);
  EXPECT_EQ(device_->State(GpuState::AlphaBlendEnable), 0u);
}

TEST_F(D3DRecordingTest, DisabledStagesAndUnknownCodes) {
  ASSERT_TRUE(Open());
  table_[1].stages[0].colourOp = 12;  // unknown: reported, left alone
  table_[1].depthCompare = 9;
  renderer_->SetShaderTable(table_, 4);
  ASSERT_TRUE(renderer_->BeginFrame());
  const Vec3 quad[4] = {{0, 0, 10}, {1, 0, 10}, {1, 1, 10}, {0, 1, 10}};
  const uint32_t white = 0xFFFFFFFF;
  renderer_->SetShader(0);
  renderer_->DrawFlatQuads(quad, 1, &white);
  renderer_->SetShader(-1);
  device_->ClearCalls();
  renderer_->SetShader(1);
  renderer_->DrawFlatQuads(quad, 1, &white);
  renderer_->SetShader(-1);
  int32_t disables = 0, coordSets = 0;
  for (const auto& c : device_->calls) {
    if (c.call != GpuCall::StageState) continue;
    const bool op = c.b == int32_t(platform::GpuStageState::ColourOp) ||
                    c.b == int32_t(platform::GpuStageState::AlphaOp);
    if (c.a == 1 && op && c.value == platform::kGpuOpDisable) ++disables;
    if (c.a == 1 && c.b == int32_t(platform::GpuStageState::TexCoordIndex)) ++coordSets;
  }
  // Stage 1 stays disabled: no disable sent again, but its coordinate set is.
  EXPECT_EQ(disables, 0);
  EXPECT_EQ(coordSets, 1);
  EXPECT_EQ(device_->StageValue(0, platform::GpuStageState::ColourOp), platform::kGpuOpModulate);
}

TEST_F(D3DRecordingTest, ValidationFailureClearsTheFlag) {
  ASSERT_TRUE(Open());
  device_->failValidate = true;
  renderer_->SetShaderTable(table_, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(table_[i].valid, 0);
  for (int s = 0; s < 4; ++s) EXPECT_EQ(device_->BoundTexture(s), nullptr);
}

TEST_F(D3DRecordingTest, ProjectionViewAndBackBuffer) {
  ASSERT_TRUE(Open());
  renderer_->SetDepthRange(1.0f, 3000.0f);
  renderer_->SetFieldOfView(90.0f);
  const float* p = renderer_->ProjectionMatrix();
  EXPECT_NEAR(p[5], 1.0f, 1e-5);
  EXPECT_NEAR(p[0], 0.75f, 1e-5);
  EXPECT_NEAR(p[10], 3000.0f / 2999.0f, 1e-5);
  EXPECT_EQ(p[11], 1.0f);
  EXPECT_NEAR(p[14], -3000.0f / 2999.0f, 1e-5);
  // A camera straight above its target is moved to the origin looking along +z.
  renderer_->SetCameraPosition(5, 100, 5);
  renderer_->SetCameraTarget(5, 0, 5);
  renderer_->ApplyCamera();
  EXPECT_EQ(renderer_->CameraPosition().y, 0.0f);
  EXPECT_EQ(renderer_->CameraTarget().z, 100.0f);
  renderer_->SetCameraUp(0, 0.9f, 0.1f);
  ViewPitch pitch{};
  renderer_->GetViewPitch(&pitch);
  EXPECT_EQ(pitch.centre, 90.0f);
  EXPECT_EQ(pitch.lower, 45.0f);
  // Read-back: rows bottom-up, 0x00BBGGRR.
  uint32_t* top = reinterpret_cast<uint32_t*>(device_->backBuffer.pixels.get());
  top[0] = 0x00FF0000;  // pure red at the top left
  uint32_t* pixels = nullptr;
  int32_t w = 0, h = 0;
  ASSERT_EQ(renderer_->ReadBackBuffer(&pixels, &w, &h), 1);
  EXPECT_EQ(pixels[size_t(h - 1) * size_t(w)], 0x000000FFu);
  std::free(pixels);
}

TEST_F(D3DRecordingTest, ViewWindowEnlargesAQuarterOfTheView) {
  ASSERT_TRUE(Open());
  renderer_->SetViewWindow(0.5f, 1.0f, 0.0f, 0.5f);
  renderer_->SetFieldOfView(90.0f);
  const float* p = renderer_->ProjectionMatrix();
  // Centre of the lower right quarter of the normal view (x 0.5, y -0.5 on
  // the screen's -1..1 axes) lands in the middle of the screen.
  const float z = 10.0f, x = 0.5f * (640.0f / 480.0f) * z, y = -0.5f * z;
  EXPECT_NEAR((x * p[0] + z * p[8]) / z, 0.0f, 1e-5);
  EXPECT_NEAR((y * p[5] + z * p[9]) / z, 0.0f, 1e-5);
  // The quarter's corner goes to the screen's corner.
  EXPECT_NEAR((0.0f * p[0] + z * p[8]) / z, -1.0f, 1e-5);
  EXPECT_NEAR((0.0f * p[5] + z * p[9]) / z, 1.0f, 1e-5);
  renderer_->SetViewWindow(0.0f, 1.0f, 0.0f, 1.0f);
}

namespace {

struct Filters {
  uint32_t min, mag, mip;
  bool operator==(const Filters&) const = default;
};

}  // namespace

// Point filtering turns the world's bilinear filters to nearest texels from
// the next thing drawn (what was pending is drawn as it was asked for); the
// mip-map choice stays and the overlay keeps the shaders' own filters.
TEST_F(D3DRecordingTest, FilteringLevelPointSamplesTheWorldButNotTheOverlay) {
  ASSERT_TRUE(Open());
  renderer_->SetShaderTable(table_, 4);
  ASSERT_TRUE(renderer_->BeginFrame());
  renderer_->SetShader(0);
  const Vec3 quad[4] = {{0, 0, 10}, {1, 0, 10}, {1, 1, 10}, {0, 1, 10}};
  const uint32_t white = 0xFFFFFFFF;
  auto sent = [&] {
    return Filters{device_->StageValue(0, GpuStageState::MinFilter),
                   device_->StageValue(0, GpuStageState::MagFilter),
                   device_->StageValue(0, GpuStageState::MipFilter)};
  };
  auto drawn = [&] {
    renderer_->DrawFlatQuads(quad, 1, &white);
    renderer_->SetShader(-1);
    return sent();
  };
  const Filters bilinear{platform::kGpuFilterLinear, platform::kGpuFilterLinear,
                         platform::kGpuFilterPoint};
  const Filters point{platform::kGpuFilterPoint, platform::kGpuFilterPoint,
                      platform::kGpuFilterPoint};
  EXPECT_EQ(drawn(), bilinear);

  renderer_->DrawFlatQuads(quad, 1, &white);
  device_->ClearCalls();
  renderer_->SetFilteringLevel(0);
  EXPECT_EQ(Count(GpuCall::DrawIndexed), 1);
  EXPECT_EQ(sent(), bilinear);
  EXPECT_EQ(drawn(), point);

  renderer_->BeginOverlay();
  EXPECT_EQ(drawn(), bilinear);
  renderer_->EndOverlay();
  renderer_->EndFrame();
  ASSERT_TRUE(renderer_->BeginFrame());
  renderer_->SetShader(0);
  EXPECT_EQ(drawn(), point);

  renderer_->SetFilteringLevel(5);  // kept as 1
  EXPECT_EQ(renderer_->FilteringLevel(), 1);
  EXPECT_EQ(drawn(), bilinear);
}

// The brightness reaches the device as a ramp: at once on an open device,
// when a device opens, and again after a lost device is restored.
TEST_F(D3DRecordingTest, GammaLevelReachesTheDeviceAsARamp) {
  renderer_ = std::make_unique<CD3DRenderer>();
  renderer_->SetGammaLevel(100);
  ASSERT_TRUE(renderer_->Open(nullptr, nullptr, &settings_));
  device_ = dynamic_cast<platform::RecordingGpuDevice*>(renderer_->Device());
  ASSERT_NE(device_, nullptr);
  EXPECT_EQ(device_->gammaRamp, BuildGammaRamp(100));

  renderer_->SetGammaLevel(-3);
  EXPECT_EQ(renderer_->GammaLevel(), 0);
  EXPECT_EQ(device_->gammaRamp, BuildGammaRamp(0));

  device_->SetGammaRamp(nullptr);  // what a reset device would have
  device_->lost_ = platform::GpuResult::DeviceNotReset;
  renderer_->Present();
  EXPECT_EQ(device_->resets, 1);
  EXPECT_EQ(device_->gammaRamp, BuildGammaRamp(0));

  renderer_->SetGammaLevel(kNeutralGammaLevel);
  for (size_t i = 0; i < 256; ++i) ASSERT_EQ(device_->gammaRamp[i], i);
}
