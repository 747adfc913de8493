#include "engine/render/loading_screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/render/fullscreen_image.h"
#include "engine/core/maths.h"
#include "engine/render/renderer.h"
#include "platform/clock.h"
#include "platform/paths.h"

namespace {

LoadingScreenState& State() {
  static LoadingScreenState state;
  return state;
}

std::function<uint32_t()>& Clock() {
  static std::function<uint32_t()> clock;
  return clock;
}

CRenderer*& ScreenRenderer() {
  static CRenderer* renderer = nullptr;
  return renderer;
}

uint32_t Now() { return Clock() ? Clock()() : platform::timeGetTime(); }

void DrawBar(CRenderer& r, const LoadingScreenState& s) {
  const float width = LoadingBarWidth(s.items, s.expectedTotal, s.barZero);
  Vec3 quad[4] = {{0, 460, 1.0f}, {width, 460, 1.0f}, {width, 480, 1.0f}, {0, 480, 1.0f}};
  uint32_t left = 0, right = 0;
  LoadingBarColours(s.items, s.expectedTotal, &left, &right);
  uint32_t colours[4] = {left, right, right, left};
  r.DrawGouraudQuads(quad, 1, colours);
}

void DrawFrame() {
  LoadingScreenState& s = State();
  CRenderer* r = ScreenRenderer() ? ScreenRenderer() : GetRenderer();
  if (!r) return;
  bool loading = false;
  const std::string picture = LoadingScreenPicture(LoadingElapsed(), &loading);
  if (loading && !s.loadingPictureShown) s.barZero = s.items;
  s.loadingPictureShown = loading;
  if (!r->BeginFrame()) return;
  r->DisableDepthTest();
  // The bar's corners run clockwise on screen; the named shaders built at
  // start-up leave clockwise culling on the hardware device.
  r->DisableCulling();
  Image2DDrawFullScreen(picture, r);
  r->BeginOverlay();
  r->Begin2D();
  if (loading) DrawBar(*r, s);
  r->EndOverlay();
  r->EndFrame();
  r->Present();
  ++s.framesDrawn;
}

}  // namespace

const LoadingScreenState& GetLoadingScreenState() { return State(); }
void SetLoadingScreenClock(std::function<uint32_t()> clock) { Clock() = std::move(clock); }
void SetLoadingScreenRenderer(CRenderer* renderer) { ScreenRenderer() = renderer; }

uint32_t LoadingElapsed() { return Now() - State().startTime; }  // wraps correctly

std::string LoadingScreenPicture(uint32_t elapsed, bool* isLoadingPicture) {
  LoadingScreenState& s = State();
  char loading[128];
  std::snprintf(loading, sizeof loading, "language\\%.*s\\loading.tga",
                int(ImageLanguage().size()), ImageLanguage().data());
  // A language without a loading picture of its own shows the English one.
  if (!platform::GameFileExists(loading)) std::snprintf(loading, sizeof loading, "language\\usa\\loading.tga");
  *isLoadingPicture = false;
  if (elapsed < 3000) return kSplashPicture;
  if (s.splashEnded < 0) s.splashEnded = elapsed;
  if (int64_t(elapsed) < s.splashEnded + 6000 && ImageLanguage() == "usa")
    return kWarningPicture;
  *isLoadingPicture = true;
  return loading;
}

void LoadingScreenStart(int32_t expectedCount) {
  LoadingScreenState& s = State();
  s = LoadingScreenState{};
  s.startTime = Now();
  s.expectedTotal = float(expectedCount) * 0.75f;
  LoadingScreenStep(false);
}

namespace {

// The pause between two drawings is counted from the end of the last one,
// and a slow drawing (a huge back buffer to scale and read back on a busy
// machine) makes it longer: drawing never takes more than a fifth of the
// loading's time, however slow it gets.
constexpr uint32_t kRedrawGapMs = 999;
constexpr uint32_t kLoadingPerDrawing = 4;

void DrawWhenDue(bool force) {
  LoadingScreenState& s = State();
  const uint32_t now = Now();
  if (!force && s.lastDraw >= 0 && now - uint32_t(s.lastDraw) <= s.redrawGap) return;
  DrawFrame();
  const uint32_t done = Now();
  s.lastDraw = done;
  s.redrawGap = std::max(kRedrawGapMs, (done - now) * kLoadingPerDrawing);
}

}  // namespace

void LoadingScreenStep(bool force) {
  LoadingScreenState& s = State();
  if (float(s.items + 1) <= s.expectedTotal) ++s.items;
  DrawWhenDue(force);
}

void LoadingScreenRefresh() { DrawWhenDue(false); }

void LoadingScreenFinish() {
  LoadingScreenState& s = State();
  s.items = int32_t(s.expectedTotal);
  LoadingScreenStep(true);
}

void LoadingScreenProgress() { LoadingScreenStep(false); }

float LoadingBarWidth(int32_t items, float total, int32_t zero) {
  float z0 = float(zero < 0 ? 0 : zero);
  if (z0 == total) z0 = total - 1.0f;
  const float span = total - z0;
  if (!(span > 0.0f)) return 640.0f;  // nothing to wait for
  return std::clamp(640.0f / span * (float(items) - z0), 0.0f, 640.0f);
}

void LoadingBarColours(int32_t items, float total, uint32_t* left, uint32_t* right) {
  const uint32_t g = uint32_t(int32_t((std::sin(float(items) * 0.01f) + 1.0f) * 128.0f)) & 0xFF;
  *left = 0xFF000000u | 0x00FF0000u | (g << 8);
  const float f = total > 0.0f ? std::min(float(items) / total, 1.0f) : 1.0f;
  const int32_t r = int32_t(255.0f + (0.0f - 255.0f) * f);
  const int32_t gg = int32_t(float(g) + (0.0f - float(g)) * f);
  const int32_t b = int32_t(0.0f + 255.0f * f);
  *right = 0xFF000000u | uint32_t(r) << 16 | uint32_t(gg) << 8 | uint32_t(b);
}
