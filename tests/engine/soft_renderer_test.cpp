#include "engine/render/soft_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <set>
#include <vector>

#include "engine/scene/entity.h"
#include "engine/core/memory.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "scene_fixture.h"
#include "engine/core/system_settings.h"

namespace {

uint32_t Checksum(const uint32_t* pixels, size_t count) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < count; ++i) {
    h = (h ^ pixels[i]) * 16777619u;
  }
  return h;
}

class SoftRendererTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    TexSysCreate();
    ModSysCreate();
    settings.api = kApiSoftware;
    settings.width = 1024;
    settings.height = 768;
    settings.windowed = 1;
    ASSERT_TRUE(renderer.Open(nullptr, nullptr, &settings));
    renderer.AttachTextureSystem(TheTextureSystem());
    renderer.AttachModelSet(TheModelSystem());
  }
  void TearDown() override {
    renderer.Close();
    ModSysDestroy();
    TexSysDestroy();
    SceneTest::TearDown();
  }

  // One texture: a checkerboard of 8-texel squares, red (or `redTexel`) and
  // white.
  int32_t MakeChecker(uint32_t flags = 0, int32_t size = 64, int32_t slotValue = 0,
                      uint32_t redTexel = 0xFF0000FFu) {
    CTexture& t = store.emplace_back();
    std::memset(&t, 0, sizeof t);
    t.flags = flags;
    t.width = t.height = size;
    t.uSize = t.vSize = float(size);
    t.pixels = static_cast<uint32_t*>(MEM_ALLOC(size_t(size) * size * 4));
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)  // bytes R, G, B, A
        t.pixels[y * size + x] = ((x / 8 + y / 8) & 1) ? 0xFFFFFFFFu : redTexel;
    TexSysBeginGroup("test");
    uint8_t options[kTexOptionCount] = {0, 0, 0, 0, 0, 0};
    TexSysSetLoadOptions(options);
    int32_t slot = TexSysAddTexture(&t, slotValue);
    TexSysBuildPages();
    renderer.DownloadAllTexturePages();
    return slot;
  }

  // A square of side `size` facing -z, centred on the origin, mapped once.
  // `repeats`: how many times the texture repeats across each side.
  int32_t MakeSquare(int32_t slot, float size, float repeats = 1) {
    float h = size / 2;
    Vec3 corners[4] = {{-h, h, 0}, {h, h, 0}, {h, -h, 0}, {-h, -h, 0}};
    TexCoord uv[4] = {{0, 0}, {repeats, 0}, {repeats, repeats}, {0, repeats}};
    int32_t handle = ModSysCreateSelfBuiltModel(1, 4, corners, uv, nullptr);
    // Anticlockwise on screen: the front.
    ModSysAddTriangle(0, 2, 1);
    ModSysAddTriangle(0, 3, 2);
    ModSysEndPrimitive(handle, 0, 0, uint16_t(slot));
    renderer.PrepareModel(handle);
    return handle;
  }

  CEntity PlaceEntity(ModelLodSet& set, int32_t handle, Vec3 position) {
    set = ModelLodSet{{handle, 0, 0}, 1};
    CEntity e;
    e.model = &set;
    e.position = position;
    e.rotation = {0, 0, 0};
    e.scale = {1, 1, 1};
    e.colour = 0xFFFFFFFF;
    e.flags = kEntVisible | kEntRebuildMatrix;
    e.Transform(renderer.ViewMatrix());
    return e;
  }

  // One frame holding only the model, square to the camera 70 units ahead;
  // the entity in `colour`, under the software shader word `value` when one
  // is given.
  void DrawAlone(int32_t handle, uint32_t colour = 0xFFFFFFFFu, int64_t value = -1) {
    ASSERT_TRUE(renderer.BeginFrame());
    renderer.Clear();
    renderer.SetCameraPosition(0, 0, -30);
    renderer.SetCameraTarget(0, 0, 50);
    renderer.ApplyCamera();
    renderer.UpdateViewVolume();
    if (value >= 0) renderer.SetSoftwareShaderValue(uint32_t(value));
    ModelLodSet set;
    CEntity e = PlaceEntity(set, handle, {0, 0, 40});
    e.colour = colour;
    renderer.DrawEntity(&e);
    renderer.EndFrame();
  }

  uint16_t Pixel(int x, int y) { return renderer.ColourBuffer()[y * kSoftWidth + x]; }
  int CountDrawn() const {
    int n = 0;
    for (int i = 0; i < kSoftWidth * kSoftHeight; ++i) n += renderer.ColourBuffer()[i] != 0;
    return n;
  }

  RendererSettings settings;
  CSoftwareRenderer renderer;
  std::deque<CTexture> store;
};

TEST_F(SoftRendererTest, OpenForcesSixFortyByFourEighty) {
  EXPECT_EQ(settings.width, 640);
  EXPECT_EQ(settings.height, 480);
  EXPECT_STREQ(renderer.GetDescription(), "Tarnwell SW Rasterizer");
  EXPECT_STREQ(renderer.GetName(), "N/A");
  void* pixels;
  int32_t w, h, pitch;
  BackBufferFormat format;
  renderer.LockBackBuffer(&pixels, &w, &h, &pitch, &format);
  EXPECT_EQ(pixels, renderer.ColourBuffer());
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(pitch, 1280);
  EXPECT_EQ(format, kBackBufferR5G6B5);
}

TEST_F(SoftRendererTest, OpenFailsWhenTheWindowCannotShowFrames) {
  auto old = platform::SetPresenterFactory([](void*) { return nullptr; });
  CSoftwareRenderer other;
  RendererSettings s;
  EXPECT_FALSE(other.Open(nullptr, nullptr, &s));
  EXPECT_TRUE(Warned("cannot show frames"));
  EXPECT_FALSE(other.BeginFrame());
  other.Close();
  platform::SetPresenterFactory(std::move(old));
}

// Textures on pages of their own come in any size; the rasteriser draws them
// all, resampled where the side is not a power of two or is above 256.
TEST_F(SoftRendererTest, OwnPagesOfAnySizeAreDrawn) {
  for (int32_t size : {100, 300, 64}) {
    SCOPED_TRACE(size);
    const int32_t slot = MakeChecker(kTexFlagOwnPage, size, kSlotValueOwnPage);
    const int32_t page = TexSysGetTexture(slot)->pageIndex;
    ASSERT_EQ(TexSysPageSize(page), size);
    ASSERT_NE(renderer.PageTexture(page), nullptr);
    const int32_t handle = MakeSquare(slot, 40.0f);
    DrawAlone(handle);
    // Both colours of the checkerboard show.
    std::set<uint16_t> colours;
    for (int i = 0; i < kSoftWidth * kSoftHeight; ++i)
      if (renderer.ColourBuffer()[i] != 0) colours.insert(renderer.ColourBuffer()[i]);
    EXPECT_GE(colours.size(), 2u);
    EXPECT_GT(CountDrawn(), 2000);
    ModSysDeleteModel(handle);
    TexSysReleaseSlot(slot);
  }
}

// A wall's texture repeated three times across a square. On a page of its
// own the repeats wrap within the texture; on a shared page they run on into
// the texture packed beside it (here solid green), which is what the shared
// case shows the check can see.
TEST_F(SoftRendererTest, RepeatsWrapWithinATextureOnItsOwnPage) {
  for (const bool own : {true, false}) {
    SCOPED_TRACE(own ? "own page" : "shared page");
    auto texture = [&](uint32_t flags, auto texel) {
      CTexture& t = store.emplace_back();
      std::memset(&t, 0, sizeof t);
      t.flags = flags;
      t.width = t.height = 64;
      t.uSize = t.vSize = 64.0f;
      t.pixels = static_cast<uint32_t*>(MEM_ALLOC(64 * 64 * 4));
      for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) t.pixels[y * 64 + x] = texel(x, y);
      return &t;
    };
    TexSysBeginGroup("walls");
    const uint8_t options[kTexOptionCount] = {0, 0, 1, 0, 0, 0};
    TexSysSetLoadOptions(options);
    const int32_t wall = TexSysAddTexture(
        texture(own ? kTexFlagOwnPage : 0, [](int x, int y) { return ((x / 8 + y / 8) & 1) ? 0xFFFFFFFFu : 0xFF0000FFu; }),
        own ? kSlotValueOwnPage : 0);
    const int32_t neighbour = TexSysAddTexture(texture(0, [](int, int) { return 0xFF00FF00u; }), 0);
    ASSERT_TRUE(TexSysBuildPages());
    renderer.DownloadAllTexturePages();
    const int32_t handle = MakeSquare(wall, 40.0f, 3);
    DrawAlone(handle);
    int green = 0;
    for (int i = 0; i < kSoftWidth * kSoftHeight; ++i) {
      const uint16_t p = renderer.ColourBuffer()[i];
      green += ((p >> 5) & 63) > 40 && (p >> 11) < 8;
    }
    EXPECT_GT(CountDrawn(), 2000);
    if (own)
      EXPECT_EQ(green, 0) << "the repeats show the neighbouring texture";
    else
      EXPECT_GT(green, 100);
    ModSysDeleteModel(handle);
    TexSysReleaseSlot(wall);
    TexSysReleaseSlot(neighbour);
  }
}

TEST_F(SoftRendererTest, GoldenTexturedLitScene) {
  int32_t slot = MakeChecker();
  int32_t handle = MakeSquare(slot, 40.0f);
  ASSERT_NE(renderer.PageTexture(TexSysGetTexture(slot)->pageIndex), nullptr);

  ASSERT_TRUE(renderer.BeginFrame());
  renderer.Clear();
  renderer.SetLightRamps(0x00C08040, 0x00202020, 0, 0, 0, 1.0f, 0, -1, 0, 0);
  renderer.SetCameraPosition(0, 10, -30);
  renderer.SetCameraTarget(0, 0, 50);
  renderer.ApplyCamera();
  renderer.UpdateViewVolume();
  ModelLodSet set;
  CEntity near = PlaceEntity(set, handle, {0, 0, 40});
  CEntity far = PlaceEntity(set, handle, {15, 5, 60});
  renderer.DrawEntity(&far);
  renderer.DrawEntity(&near);
  // The nearer square hides the farther one where they overlap.
  renderer.BeginOverlay();
  renderer.Begin2D();
  Vec3 bar[4] = {{0, 460, 1}, {320, 460, 1}, {320, 480, 1}, {0, 480, 1}};
  uint32_t colours[4] = {0xFF00FF00, 0xFF0000FF, 0xFF0000FF, 0xFF00FF00};
  renderer.DrawGouraudQuads(bar, 1, colours);
  renderer.EndOverlay();
  renderer.EndFrame();
  renderer.Present();

  uint32_t* pixels = nullptr;
  int32_t w = 0, h = 0;
  ASSERT_EQ(renderer.ReadBackBuffer(&pixels, &w, &h), 1);
  ASSERT_EQ(w, 640);
  ASSERT_EQ(h, 480);
  // Rows come last screen row first, as 0x00BBGGRR.
  auto at = [&](int x, int y) { return pixels[(479 - y) * 640 + x]; };
  EXPECT_EQ(at(5, 470), 0x0000FF00u);  // the bar, untinted (drawn on the surface)
  EXPECT_EQ(at(5, 5), 0u);             // background
  uint32_t centre = at(320, 250);
  EXPECT_NE(centre, 0u);
  // Tinted: red at most 0xE0 of white, blue at most 0x60.
  EXPECT_LE(centre & 0xFF, 0xE8u);
  EXPECT_LE((centre >> 16) & 0xFF, 0x68u);
  if (const char* dump = std::getenv("RC_DUMP_GOLDEN")) {  // to look at the picture
    if (std::FILE* f = std::fopen(dump, "wb")) {
      std::fprintf(f, "P6 640 480 255\n");
      for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
          uint32_t p = at(x, y);
          std::fputc(int(p & 0xFF), f), std::fputc(int((p >> 8) & 0xFF), f);
          std::fputc(int((p >> 16) & 0xFF), f);
        }
      std::fclose(f);
    }
  }
  EXPECT_EQ(Checksum(pixels, size_t(w) * h), 2486881627u) << "golden checksum";
  std::free(pixels);
}

// Ground: a level square (front face up) centred on the origin, its texture
// repeated every 40 units.
TEST_F(SoftRendererTest, GroundDrawsInViewAcrossTheNearPlaneAndPastTheScreenEdges) {
  int32_t slot = MakeChecker(0, 256);  // a whole page, so repeats tile it
  int32_t page = TexSysGetTexture(slot)->pageIndex;
  ShaderMode table[2] = {};
  table[1].softwareFlags = kShaderSoftFloor;
  renderer.SetShaderTable(table, 2);
  enum Path { kEntity, kEntityFloorShader, kColouredQuad };
  const struct {
    Path path;
    float size, z;          // the square's side and centre
    Vec3 eye, target;
    int minDrawn, maxDrawn;  // pixels covered
    int fullFromRow;         // rows from here down are covered edge to edge (-1: none)
  } cases[] = {
      // Wholly in view: about 120 x 20 pixels.
      {kEntity, 40, 40, {0, 20, -60}, {0, 0, 100}, 1800, 2100, -1},
      {kEntityFloorShader, 40, 40, {0, 20, -60}, {0, 0, 100}, 1800, 2100, -1},
      {kColouredQuad, 40, 40, {0, 20, -60}, {0, 0, 100}, 1800, 2100, -1},
      // Reaching behind the camera and past both sides: the ground fills
      // the picture below the horizon.
      {kEntity, 2000, 0, {0, 20, -60}, {0, 0, 100}, 160000, 640 * 480, 230},
      {kEntityFloorShader, 2000, 0, {0, 20, -60}, {0, 0, 100}, 160000, 640 * 480, 230},
      {kColouredQuad, 2000, 0, {0, 20, -60}, {0, 0, 100}, 160000, 640 * 480, 230},
      // Looking steeply down onto it: the whole picture, with no pixel
      // missing where its triangles meet.
      {kEntity, 2000, 0, {0, 30, -60}, {0, 0, -40}, 640 * 480, 640 * 480, 0},
      {kEntityFloorShader, 2000, 0, {0, 30, -60}, {0, 0, -40}, 640 * 480, 640 * 480, 0},
      {kColouredQuad, 2000, 0, {0, 30, -60}, {0, 0, -40}, 640 * 480, 640 * 480, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "path " << c.path << " size " << c.size << " eye y "
                                      << c.eye.y);
    const float h = c.size / 2, repeats = c.size / 40;
    TexCoord uv[4] = {{0, 0}, {repeats, 0}, {repeats, repeats}, {0, repeats}};
    ASSERT_TRUE(renderer.BeginFrame());
    std::memset(const_cast<uint16_t*>(renderer.ColourBuffer()), 0, 640 * 480 * 2);
    renderer.Clear();
    renderer.SetShader(c.path == kEntityFloorShader ? 1 : 0);
    renderer.SetCameraPosition(c.eye.x, c.eye.y, c.eye.z);
    renderer.SetCameraTarget(c.target.x, c.target.y, c.target.z);
    renderer.ApplyCamera();
    renderer.UpdateViewVolume();
    if (c.path == kColouredQuad) {
      Vec3 quad[4] = {{-h, 0, c.z - h}, {h, 0, c.z - h}, {h, 0, c.z + h}, {-h, 0, c.z + h}};
      uint32_t white = 0xFFFFFFFF;
      renderer.DrawTexturedQuadsColoured(quad, 1, &white, uv, page);
      // The screen-space quads take their corners as pixels: the same world
      // corners (all at y 0) are a line along the top row, which covers nothing.
      const int before = CountDrawn();
      renderer.DrawTexturedQuads(quad, 1, uv, page);
      EXPECT_EQ(CountDrawn(), before);
    } else {
      // Model z runs opposite to the world's, so (0, 2, 1) faces up; seen
      // from above, the other winding is a back face and draws nothing.
      Vec3 corners[4] = {{-h, 0, -h}, {h, 0, -h}, {h, 0, h}, {-h, 0, h}};
      ModelLodSet set;
      for (bool up : {false, true}) {
        int32_t handle = ModSysCreateSelfBuiltModel(1, 4, corners, uv, nullptr);
        ModSysAddTriangle(0, up ? 2 : 1, up ? 1 : 2);
        ModSysAddTriangle(0, up ? 3 : 2, up ? 2 : 3);
        ModSysEndPrimitive(handle, 0, 0, uint16_t(slot));
        renderer.PrepareModel(handle);
        CEntity e = PlaceEntity(set, handle, {0, 0, c.z});
        renderer.DrawEntity(&e);
        if (!up) {
          EXPECT_EQ(CountDrawn(), 0);
        }
      }
    }
    const int drawn = CountDrawn();
    EXPECT_GE(drawn, c.minDrawn);
    EXPECT_LE(drawn, c.maxDrawn);
    if (c.fullFromRow >= 0) {
      int gaps = 0;
      for (int y = c.fullFromRow; y < 480; ++y)
        for (int x = 0; x < 640; ++x) gaps += Pixel(x, y) == 0;
      EXPECT_EQ(gaps, 0);
    }
  }
}

TEST_F(SoftRendererTest, TintCopiesUnchangedAboveF0AndWithLightingOff) {
  ASSERT_TRUE(renderer.BeginFrame());
  void* p;
  int32_t w, h, pitch;
  BackBufferFormat f;
  renderer.LockBackBuffer(&p, &w, &h, &pitch, &f);
  static_cast<uint16_t*>(p)[0] = 0xFFFF;
  const struct {
    uint32_t tint;
    bool lighting;
    uint16_t expected;
  } cases[] = {{0x00F1F1F1, true, 0xFFFF}, {0x00F0F0F0, true, 0xEF7D}, {0x00808080, false, 0xFFFF}};
  for (const auto& c : cases) {
    renderer.SetLightRamps(c.tint, 0, 0, 0, 0, 1, 0, 0, 0, 0);
    if (!c.lighting) renderer.DisableLighting();
    renderer.BeginOverlay();
    renderer.LockBackBuffer(&p, &w, &h, &pitch, &f);
    EXPECT_EQ(static_cast<uint16_t*>(p)[0], c.expected) << std::hex << c.tint;
    renderer.EndOverlay();
  }
}

TEST_F(SoftRendererTest, PolylinesDrawLinesAndPoints) {
  ASSERT_TRUE(renderer.BeginFrame());
  PolylinePoint one{10, 10, 0, 0xFFFFFFFF};
  renderer.BeginPolyline(kPolylineStrip);
  renderer.DrawPolyline(1, &one);
  EXPECT_EQ(Pixel(10, 10), 0);
  PolylinePoint line[2] = {{10, 10, 0, 0xFFFFFFFF}, {20, 15, 0, 0}};
  renderer.DrawPolyline(2, line);
  EXPECT_EQ(Pixel(10, 10), 0xFFFF);
  EXPECT_EQ(Pixel(20, 15), 0xFFFF);
  PolylinePoint off[2] = {{10, 10, 0, 0xFFFFFFFF}, {700, 15, 0, 0}};
  renderer.DrawPolyline(2, off);  // an end off screen: not drawn
  EXPECT_EQ(Pixel(100, 10), 0);

  renderer.BeginPolyline(7);  // ignored
  EXPECT_EQ(renderer.PolylineMode(), kPolylineStrip);
  renderer.BeginPolyline(kPolylinePoints);
  renderer.SetCameraPosition(0, 0, -1);
  renderer.SetCameraTarget(0, 0, 100);
  renderer.ApplyCamera();
  PolylinePoint points[3] = {{0, 0, 100, 0xFF0000FF}, {1000, 0, 100, 0xFF0000FF},
                             {0, 0, -50, 0xFF0000FF}};
  renderer.DrawPolyline(3, points);
  int blue = 0;
  for (int i = 0; i < 640 * 480; ++i) blue += renderer.ColourBuffer()[i] == 0x001F;
  EXPECT_EQ(blue, 1);
  EXPECT_EQ(Pixel(320, 240), 0x001F);
}

TEST_F(SoftRendererTest, SpritesPartlyOffScreenAreClipped) {
  int32_t slot = MakeChecker(kTexFlagKeyedAlpha, 256);  // a whole page
  int32_t page = TexSysGetTexture(slot)->pageIndex;
  ASSERT_TRUE(renderer.BeginFrame());
  renderer.Clear();
  renderer.SetCameraPosition(0, 0, -1);
  renderer.SetCameraTarget(0, 0, 100);
  renderer.ApplyCamera();
  // Sprites straddling the left, right, top and bottom edges and a corner.
  Vec3 at[5] = {{-135, 0, 100}, {135, 0, 100}, {0, 101, 100}, {0, -101, 100}, {135, 101, 100}};
  float sizes[5] = {20, 20, 20, 20, 20};
  renderer.DrawSprites(5, at, nullptr, page, sizes, 0.0f, 512);
  EXPECT_GT(CountDrawn(), 1000);
  EXPECT_NE(Pixel(0, 240), 0);
  EXPECT_NE(Pixel(639, 240), 0);
}

TEST_F(SoftRendererTest, ShaderChoosesFillersAndMinusOneChangesNothing) {
  ShaderMode table[3] = {};
  table[1].softwareFlags = 0x1;
  table[2].softwareFlags = 0x100;
  renderer.SetShaderTable(table, 3);
  renderer.SetShader(1);
  EXPECT_EQ(g_RasterVertices.OpaqueFiller, &FillTextured);
  EXPECT_EQ(g_RasterVertices.KeyedFiller, &FillTexturedKeyed);
  renderer.SetShader(-1);
  EXPECT_EQ(renderer.CurrentShader(), 1);
  renderer.SetShader(2);
  EXPECT_EQ(g_RasterVertices.OpaqueFiller, &FillTexturedDepth);
  EXPECT_EQ(g_RasterVertices.KeyedFiller, &FillTexturedDepth);
  renderer.SetShader(5);  // beyond the table
  EXPECT_EQ(renderer.CurrentShader(), 2);
  ASSERT_TRUE(renderer.BeginFrame());
  renderer.BeginOverlay();
  EXPECT_EQ(g_RasterVertices.OpaqueFiller, &FillTextured);
  renderer.EndOverlay();
}

// The renderer's own shader word: flat colour with depth fills the model in
// its entity's colour (the people's workplace tint), the silhouette writes
// only the texture's opaque texels in it (the block names' district colour),
// and the next named shader draws the texture again.
TEST_F(SoftRendererTest, TheSoftwareShaderValueDrawsInTheEntitysColour) {
  ShaderMode table[1] = {};
  renderer.SetShaderTable(table, 1);
  const int32_t slot = MakeChecker(kTexFlagKeyedAlpha, 64, 0, 0x000000FFu);  // red squares clear
  const int32_t handle = MakeSquare(slot, 40.0f);
  const uint32_t colour = 0xFF20C040u;
  const uint16_t tint = ToPixel16(colour);
  // A frame clears only the depth: the last frame would show through the
  // clear squares.
  auto blank = [&] {
    std::memset(const_cast<uint16_t*>(renderer.ColourBuffer()), 0, size_t(kSoftWidth) * kSoftHeight * 2);
  };
  auto count = [&](int& tinted, int& other) {
    tinted = other = 0;

    for (int i = 0; i < kSoftWidth * kSoftHeight; ++i) {
      const uint16_t p = renderer.ColourBuffer()[i];
      tinted += p == tint;
      other += p != 0 && p != tint;
    }
  };
  int flat = 0, tinted = 0, other = 0;
  renderer.SetShader(0);
  blank();
  DrawAlone(handle, colour, kShaderSoftFlatDepth);
  count(flat, other);
  EXPECT_GT(flat, 2000);
  EXPECT_EQ(other, 0);
  renderer.SetShader(0);
  blank();
  DrawAlone(handle, colour, kShaderSoftSilhouette);
  count(tinted, other);
  EXPECT_EQ(other, 0);
  EXPECT_GT(tinted, flat * 3 / 10) << "the opaque half of the squares";
  EXPECT_LT(tinted, flat * 7 / 10);
  renderer.SetShader(0);
  blank();
  DrawAlone(handle, colour);
  count(tinted, other);
  EXPECT_EQ(tinted, 0);
  EXPECT_GT(other, 1000) << "the texture itself";
  ModSysDeleteModel(handle);
}

TEST_F(SoftRendererTest, LostSurfaceSkipsTheFrameAndRestores) {
  renderer.Display().Back()->MarkLost();
  EXPECT_FALSE(renderer.BeginFrame());
  EXPECT_TRUE(renderer.BeginFrame());
}

TEST_F(SoftRendererTest, ReadBackExpandsSixteenBitPixels) {
  ASSERT_TRUE(renderer.BeginFrame());
  Vec3 quad[4] = {{0, 0, 0}, {8, 0, 0}, {8, 8, 0}, {0, 8, 0}};
  uint32_t red = 0xFFFF0000;
  renderer.DrawFlatQuads(quad, 1, &red);
  uint32_t* pixels = nullptr;
  int32_t w, h;
  ASSERT_EQ(renderer.ReadBackBuffer(&pixels, &w, &h), 1);
  EXPECT_EQ(pixels[479 * 640 + 2], 0x000000FFu);
  EXPECT_EQ(pixels[0], 0u);
  std::free(pixels);
}

// The gamma ramp changes the picture the window is given, not the frame the
// renderer keeps: read-backs and screenshots stay as drawn.
TEST_F(SoftRendererTest, GammaLevelMapsThePresentedPictureOnly) {
  struct Shown : platform::FramePresenter {
    bool Present(const platform::Surface16& frame) override {
      pixels.assign(frame.Pixels(), frame.Pixels() + frame.Width() * frame.Height());
      return true;
    }
    std::vector<uint16_t> pixels;
  };
  Shown* shown = nullptr;
  auto old = platform::SetPresenterFactory([&](void*) {
    auto p = std::make_unique<Shown>();
    shown = p.get();
    return p;
  });
  renderer.Close();
  ASSERT_TRUE(renderer.Open(nullptr, nullptr, &settings));
  platform::SetPresenterFactory(std::move(old));
  ASSERT_NE(shown, nullptr);
  // Grey, white and black squares along the top row (5-6-5 pixels).
  const uint32_t colours[3] = {0xFF808080, 0xFFFFFFFF, 0xFF000000};
  auto presentSquares = [&] {
    ASSERT_TRUE(renderer.BeginFrame());
    renderer.DisableLighting();
    renderer.BeginOverlay();
    for (int i = 0; i < 3; ++i) {
      const float x = float(10 * i);
      const Vec3 quad[4] = {{x, 0, 0}, {x + 8, 0, 0}, {x + 8, 8, 0}, {x, 8, 0}};
      renderer.DrawFlatQuads(quad, 1, &colours[i]);
    }
    renderer.Present();
  };
  auto red = [&](int square) { return shown->pixels[size_t(10 * square + 2)] >> 11; };
  const struct {
    int32_t level;
    int lowGreyRed, highGreyRed;  // 5-bit red of the grey (drawn: 16)
  } cases[] = {{35, 16, 16}, {0, 10, 12}, {100, 23, 25}, {-40, 10, 12}};
  for (const auto& c : cases) {
    renderer.SetGammaLevel(c.level);
    presentSquares();
    EXPECT_GE(red(0), c.lowGreyRed) << c.level;
    EXPECT_LE(red(0), c.highGreyRed) << c.level;
    EXPECT_EQ(shown->pixels[12], 0xFFFF) << c.level;  // white stays white
    if (c.level == kNeutralGammaLevel) {
      const platform::Surface16& drawn = *renderer.Display().Primary();
      EXPECT_TRUE(std::equal(shown->pixels.begin(), shown->pixels.end(), drawn.Pixels()));
    }
    uint32_t* read = nullptr;
    int32_t w = 0, h = 0;
    ASSERT_EQ(renderer.ReadBackBuffer(&read, &w, &h), 1);
    EXPECT_EQ(read[479 * 640 + 2] & 0xFF, 0x84u) << c.level;  // the grey as drawn
    std::free(read);
  }
  EXPECT_EQ(shown->pixels[22], 0) << "black stays black";
}

TEST(SoftRendererNames, ResultNamesAndOperationTable) {
  EXPECT_STREQ(DirectXErrorName(0), "D3D_OK");
  EXPECT_STREQ(DirectXErrorName(12345), "Unknown DirectDraw Error");
  EXPECT_STREQ(RendererOperationName(48), "SetLightRamps");
  EXPECT_STREQ(RendererOperationName(106), "Reserved106");
  EXPECT_EQ(RendererOperationName(107), nullptr);
  EXPECT_EQ(RendererOperationSlot("SetColourRamps"), 48);
  EXPECT_EQ(RendererOperationSlot("SetClearEnable"), 21);
  EXPECT_EQ(RendererOperationSlot("DrawSprites"), 94);
  EXPECT_EQ(RendererOperationSlot("Nothing"), -1);
}

}  // namespace
