#include "engine/render/fullscreen_image.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/render/loading_screen.h"
#include "engine/core/memory.h"
#include "game_root_fixture.h"
#include "recording_renderer.h"

namespace {

// A recording renderer with a back buffer of any size and format.
struct BufferRenderer : RecordingRenderer {
  std::vector<uint8_t> buffer;
  int32_t width = 640, height = 480, bytesPerPixel = 2;
  BackBufferFormat format = kBackBufferR5G6B5;
  void Resize(int32_t w, int32_t h, BackBufferFormat f) {
    width = w, height = h, format = f;
    bytesPerPixel = (f == kBackBufferA8R8G8B8 || f == kBackBufferX8R8G8B8) ? 4 : 2;
    buffer.assign(size_t(w) * h * bytesPerPixel, 0);
  }
  void LockBackBuffer(void** pixels, int32_t* w, int32_t* h, int32_t* pitch,
                      BackBufferFormat* f) override {
    *pixels = buffer.data();
    *w = width, *h = height, *pitch = width * bytesPerPixel, *f = format;
  }
  uint16_t Pixel16(int x, int y) const {
    return reinterpret_cast<const uint16_t*>(buffer.data())[y * width + x];
  }
  uint32_t Pixel32(int x, int y) const {
    return reinterpret_cast<const uint32_t*>(buffer.data())[y * width + x];
  }
};

std::vector<uint8_t> Tga(int w, int h, int bits, uint16_t (*pixel)(int x, int row)) {
  std::vector<uint8_t> b(18, 0);
  b[2] = 2;
  b[12] = uint8_t(w), b[13] = uint8_t(w >> 8), b[14] = uint8_t(h), b[15] = uint8_t(h >> 8);
  b[16] = uint8_t(bits);
  for (int row = 0; row < h; ++row)  // bottom row first
    for (int x = 0; x < w; ++x) {
      uint16_t p = pixel(x, row);
      b.push_back(uint8_t(p)), b.push_back(uint8_t(p >> 8));
    }
  return b;
}

// White left half, pure blue right half; the bottom file row is red.
uint16_t Halves(int x, int row) { return row == 0 ? 0x7C00 : x < 320 ? 0x7FFF : 0x001F; }

class FullScreenImageTest : public GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    ASSERT_TRUE(MemoryManager().Init(8 << 20, 16));
    renderer.Resize(640, 480, kBackBufferR5G6B5);
  }
  void TearDown() override {
    ReleaseFullScreenImage();
    MemoryManager().Shutdown();
    GameRootTest::TearDown();
  }
  BufferRenderer renderer;
};

TEST_F(FullScreenImageTest, EqualSizeConvertsRowsBottomFirst) {
  WriteBytes("gamedata/screens/a.tga", Tga(640, 480, 16, Halves));
  ASSERT_TRUE(Image2DDrawFullScreen("gamedata\\screens\\a.tga", &renderer));
  EXPECT_EQ(renderer.Pixel16(0, 479), 0xF800);  // the file's first row is the bottom
  EXPECT_EQ(renderer.Pixel16(10, 10), 0xFFDF);  // 5-5-5 white, low green bit 0
  EXPECT_EQ(renderer.Pixel16(400, 10), 0x001F);
  renderer.Resize(640, 480, kBackBufferX1R5G5B5);
  ASSERT_TRUE(Image2DDrawFullScreen("gamedata\\screens\\a.tga", &renderer));
  EXPECT_EQ(renderer.Pixel16(10, 10), 0x7FFF);
  EXPECT_EQ(FullScreenImageReads(), 1);  // the same picture is read once
}

TEST_F(FullScreenImageTest, WrittenPictureReadsBackAsTheSameFile) {
  std::vector<uint16_t> top(640 * 480);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) top[size_t(y) * 640 + x] = Halves(x, 479 - y);
  EXPECT_EQ(EncodeFullScreenPicture(top, 640, 480), Tga(640, 480, 16, Halves));
  ASSERT_TRUE(WriteFullScreenPicture("gamedata\\screens\\w.tga", top, 640, 480));
  ASSERT_TRUE(Image2DDrawFullScreen("gamedata\\screens\\w.tga", &renderer));
  EXPECT_EQ(renderer.Pixel16(0, 479), 0xF800);
  EXPECT_EQ(renderer.Pixel16(400, 10), 0x001F);
  EXPECT_TRUE(EncodeFullScreenPicture(top, 641, 480).empty());
  EXPECT_TRUE(EncodeFullScreenPicture({top.data(), 10}, 640, 480).empty());
}

TEST_F(FullScreenImageTest, LargerBackBufferIsScaledBilinearly) {
  WriteBytes("gamedata/screens/a.tga", Tga(640, 480, 16, Halves));
  renderer.Resize(1024, 768, kBackBufferX8R8G8B8);
  ASSERT_TRUE(Image2DDrawFullScreen("gamedata\\screens\\a.tga", &renderer));
  EXPECT_EQ(renderer.Pixel32(100, 100), 0x00F8F8F8u);
  EXPECT_EQ(renderer.Pixel32(1023, 100), 0x000000F8u);  // the last column: no read past it
  EXPECT_EQ(renderer.Pixel32(1023, 767), 0x00F80000u);  // the last source row alone
  // Around x = 320 / 0.625 = 512 the colours blend.
  uint32_t blend = renderer.Pixel32(511, 100);
  EXPECT_NE(blend, 0x00F8F8F8u);
  EXPECT_NE(blend, 0x000000F8u);
  // 5-6-5 output of a blend keeps green's low bit clear.
  renderer.Resize(1024, 768, kBackBufferR5G6B5);
  ResetFullScreenImage();
  ASSERT_TRUE(Image2DDrawFullScreen("gamedata\\screens\\a.tga", &renderer));
  EXPECT_EQ(renderer.Pixel16(0, 0), 0xFFDF);
  EXPECT_EQ(FullScreenImageReads(), 2);
}

TEST_F(FullScreenImageTest, BadPicturesAreRefusedAndKeepTheLastOne) {
  WriteBytes("gamedata/screens/a.tga", Tga(640, 480, 16, Halves));
  ASSERT_TRUE(Image2DDrawFullScreen("gamedata\\screens\\a.tga", &renderer));
  WriteBytes("gamedata/screens/big.tga", Tga(800, 600, 16, Halves));
  WriteBytes("gamedata/screens/deep.tga", Tga(64, 64, 24, Halves));
  auto shortFile = Tga(640, 480, 16, Halves);
  shortFile.resize(5000);
  WriteBytes("gamedata/screens/short.tga", shortFile);
  WriteBytes("gamedata/screens/header.tga", {0, 0, 2});
  for (const char* bad : {"gamedata\\screens\\big.tga", "gamedata\\screens\\deep.tga",
                          "gamedata\\screens\\short.tga", "gamedata\\screens\\header.tga",
                          "gamedata\\screens\\missing.tga"}) {
    boxes_.clear();
    renderer.Resize(640, 480, kBackBufferR5G6B5);
    EXPECT_TRUE(Image2DDrawFullScreen(bad, &renderer)) << bad;  // the kept picture
    EXPECT_EQ(renderer.Pixel16(10, 10), 0xFFDF) << bad;
    EXPECT_TRUE(Image2DDrawFullScreen(bad, &renderer)) << bad;  // asked again: reported once
    EXPECT_EQ(KeptImageName(), "gamedata\\screens\\a.tga");
    EXPECT_EQ(boxes_.size(), std::string(bad).find("missing") == std::string::npos ? 1u : 0u)
        << bad;
  }
  // Other back-buffer formats draw nothing (the lock still happens).
  renderer.Resize(640, 480, kBackBufferOther);
  EXPECT_FALSE(Image2DDrawFullScreen("gamedata\\screens\\a.tga", &renderer));
}

// ---- Loading screen ---------------------------------------------------------------

class LoadingScreenTest : public FullScreenImageTest {
 protected:
  void SetUp() override {
    FullScreenImageTest::SetUp();
    SetLoadingScreenClock([this] { return now; });
    SetLoadingScreenRenderer(&renderer);
    SetImageLanguage("english");
  }
  void TearDown() override {
    SetLoadingScreenClock(nullptr);
    SetLoadingScreenRenderer(nullptr);
    FullScreenImageTest::TearDown();
  }
  uint32_t now = 1000;
};

TEST_F(LoadingScreenTest, BarFillsAtThreeQuartersAndRedrawsOncePerSecond) {
  LoadingScreenStart(4000);
  EXPECT_EQ(GetLoadingScreenState().framesDrawn, 1);
  for (int i = 0; i < 5000; ++i) LoadingScreenStep();
  EXPECT_EQ(GetLoadingScreenState().items, 3000);
  EXPECT_EQ(GetLoadingScreenState().framesDrawn, 1);  // still the same second
  now += 1000;
  LoadingScreenStep();
  EXPECT_EQ(GetLoadingScreenState().framesDrawn, 2);
  EXPECT_EQ(renderer.calls.back(), "Present");
  EXPECT_EQ(LoadingBarWidth(3000, 3000.0f, 0), 640.0f);
  EXPECT_EQ(LoadingBarWidth(1500, 3000.0f, 0), 320.0f);
  EXPECT_EQ(LoadingBarWidth(10, 10.0f, 10), 640.0f);  // zero at the total: one item's span
}

// A drawing that takes longer than the second between two (a huge back
// buffer on a busy machine) must not draw at every item: the pause after a
// drawing counts from its end and grows with it, so the loading goes on at
// four fifths of its pace or better.
TEST_F(LoadingScreenTest, ASlowDrawingTakesAtMostAFifthOfTheLoading) {
  struct SlowRenderer : BufferRenderer {
    uint32_t* clock = nullptr;
    uint32_t drawMs = 0;
    void Present() override {
      BufferRenderer::Present();
      *clock += drawMs;
    }
  };
  for (uint32_t drawMs : {0u, 500u, 1500u, 20000u}) {
    SCOPED_TRACE(drawMs);
    SlowRenderer slow;
    slow.clock = &now;
    slow.drawMs = drawMs;
    SetLoadingScreenRenderer(&slow);
    const uint32_t start = now;
    LoadingScreenStart(100000);
    for (int i = 0; i < 60000; ++i) {  // an item a millisecond
      ++now;
      LoadingScreenStep();
    }
    const uint32_t drawing = uint32_t(GetLoadingScreenState().framesDrawn) * drawMs;
    EXPECT_LE(drawing, (now - start) / 5 + drawMs);
    if (drawMs == 0) {  // quick drawings still come once a second
      EXPECT_GE(GetLoadingScreenState().framesDrawn, 59);
    }
  }
  SetLoadingScreenRenderer(&renderer);
}

TEST_F(LoadingScreenTest, UsaShowsTheWarningAfterTheSplashAndZeroesTheBarLater) {
  SetImageLanguage("usa");
  LoadingScreenStart(100);
  bool loading = true;
  EXPECT_EQ(LoadingScreenPicture(2999, &loading), kSplashPicture);
  EXPECT_FALSE(loading);
  EXPECT_EQ(LoadingScreenPicture(3500, &loading), kWarningPicture);  // splash ends at 3500
  EXPECT_EQ(LoadingScreenPicture(9499, &loading), kWarningPicture);
  EXPECT_EQ(LoadingScreenPicture(9500, &loading), "language\\usa\\loading.tga");
  EXPECT_TRUE(loading);

  for (int i = 0; i < 20; ++i) LoadingScreenStep();
  now += 9600;
  LoadingScreenStep(true);
  EXPECT_TRUE(GetLoadingScreenState().loadingPictureShown);
  EXPECT_EQ(GetLoadingScreenState().barZero, 22);
  EXPECT_EQ(renderer.Count("DrawGouraudQuads"), 1);
}

TEST_F(LoadingScreenTest, FrameOrderAndBarColours) {
  now = 50000;
  LoadingScreenStart(8);
  renderer.calls.clear();
  now += 10000;
  LoadingScreenFinish();
  EXPECT_EQ(renderer.calls,
            (std::vector<std::string>{"BeginFrame", "DisableDepthTest", "DisableCulling",
                                      "BeginOverlay", "Begin2D", "DrawGouraudQuads", "EndOverlay",
                                      "EndFrame", "Present"}));
  EXPECT_EQ(LoadingElapsed(), 10000u);
  uint32_t left, right;
  LoadingBarColours(0, 6.0f, &left, &right);
  EXPECT_EQ(left, 0xFFFF8000u);
  EXPECT_EQ(right, left);
  LoadingBarColours(6, 6.0f, &left, &right);
  EXPECT_EQ(right, 0xFF0000FFu);
}

}  // namespace

namespace {

TEST_F(LoadingScreenTest, RefreshFollowsTheTimelineWithoutCountingItems) {
  SetImageLanguage("usa");
  LoadingScreenStart(100);
  const int32_t items = GetLoadingScreenState().items;
  LoadingScreenRefresh();  // the same second: nothing
  EXPECT_EQ(GetLoadingScreenState().framesDrawn, 1);
  for (uint32_t t : {1000u, 2000u, 3000u, 4000u, 5000u, 6000u, 7000u, 8000u, 9000u}) {
    now = 1000 + t;
    LoadingScreenRefresh();
    EXPECT_EQ(GetLoadingScreenState().loadingPictureShown, t >= 9000) << t;
  }
  EXPECT_EQ(GetLoadingScreenState().framesDrawn, 10);
  EXPECT_EQ(GetLoadingScreenState().items, items);
  EXPECT_EQ(GetLoadingScreenState().splashEnded, 3000);
}

}  // namespace
