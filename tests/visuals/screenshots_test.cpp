// Screenshots: numbered names and the picture the right way up.
#include <gtest/gtest.h>

#include <fstream>

#include "engine/input/camera_controller.h"
#include "engine/render/soft_renderer.h"
#include "presentation_fixture.h"
#include "engine/core/run_state.h"
#include "platform/input.h"
#include "visuals/overlay/interface_task.h"
#include "visuals/overlay/screenshots.h"

namespace {

class ScreenshotTest : public PresentationTest {
 protected:
  void SetUp() override {
    PresentationTest::SetUp();
    RendererSettings s{};
    s.api = kApiSoftware;
    s.width = 640, s.height = 480, s.windowed = 1;
    renderer_ = CreateSoftwareRenderer();
    ASSERT_TRUE(renderer_->Open(nullptr, nullptr, &s));
    SetRenderer(renderer_.get());
    CamInit(50, 0);
    RunState().drawingEnabled = false;  // the read-back shows what is there
    // A picture whose top quarter is red.
    renderer_->BeginFrame();
    renderer_->Clear();
    renderer_->BeginOverlay();
    renderer_->Begin2D();
    const Vec3 q[4] = {{0, 0, 0.5f}, {640, 0, 0.5f}, {640, 120, 0.5f}, {0, 120, 0.5f}};
    const uint32_t red = 0xFFFF0000;
    renderer_->DrawFlatQuads(q, 1, &red);
    renderer_->EndOverlay();
  }
  void TearDown() override {
    SetRenderer(nullptr);
    renderer_->Close();
    PresentationTest::TearDown();
  }
  std::unique_ptr<CRenderer> renderer_;
};

TEST_F(ScreenshotTest, TakesTheFirstFreeNameAndFillsGaps) {
  WriteBytes("civano0000.tga", {1});
  WriteBytes("civano0001.tga", {1});
  EXPECT_EQ(WriteNumberedScreenshot(0), "civano0002.tga");
  std::filesystem::remove(Real("civano0000.tga"));
  EXPECT_EQ(WriteNumberedScreenshot(0), "civano0000.tga");
  EXPECT_EQ(WriteNumberedScreenshot(9999), "civano9999.tga");
  EXPECT_EQ(WriteNumberedScreenshot(9999), "");  // none left from there
}

TEST_F(ScreenshotTest, PictureIsAnUprightTga) {
  const std::string name = WriteNumberedScreenshot(0);
  ASSERT_EQ(name, "civano0000.tga");
  const std::vector<uint8_t> f = ReadBytes(name);
  ASSERT_EQ(f.size(), 18u + 640 * 480 * 4);
  EXPECT_EQ(f[2], 2);
  EXPECT_EQ(f[12] | f[13] << 8, 640);
  EXPECT_EQ(f[14] | f[15] << 8, 480);
  EXPECT_EQ(f[16], 32);
  EXPECT_EQ(f[17], 0);  // rows from the bottom of the picture up
  auto texel = [&](int x, int yFromBottom) { return f.data() + 18 + 4 * (size_t(yFromBottom) * 640 + x); };
  EXPECT_EQ(texel(10, 479)[2], 0xFF);  // top row: red in B G R A order
  EXPECT_EQ(texel(10, 479)[0], 0x00);
  EXPECT_EQ(texel(10, 0)[2], 0x00);    // bottom row: not
  for (size_t i = 18 + 3; i < f.size(); i += 4) ASSERT_EQ(f[i], 0xFF) << "every pixel is opaque";
}

TEST_F(ScreenshotTest, AltF5WritesOne) {
  Press(platform::key::kF5);
  Hold(platform::key::kLeftAlt);
  RunInterfaceKeys();
  EXPECT_TRUE(std::filesystem::exists(Real("civano0000.tga")));
  Hold(platform::key::kF5);
  RunInterfaceKeys();  // still held: no new press
  EXPECT_FALSE(std::filesystem::exists(Real("civano0001.tga")));
}

}  // namespace
