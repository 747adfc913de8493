#pragma once
// The start-up screens: the studio splash for 3 s, then (for the "usa"
// language) the warning screen for 6 s, then the language's loading picture
// with a progress bar that grows as the loaders report items. Redrawn at most
// once a second however many items arrive, and less often when drawing is
// slow, so that it never slows the loading much.
#include <cstdint>
#include <functional>
#include <string>

class CRenderer;

inline constexpr const char* kSplashPicture = "gamedata\\screens\\tarnwell.tga";
inline constexpr const char* kWarningPicture = "language\\usa\\warning.tga";

// Starts the screen expecting `expectedCount` items (the bar is full at 3/4
// of them) and draws its first frame.
void LoadingScreenStart(int32_t expectedCount);
// Counts one item; draws a frame when forced or when the last one ended more
// than 999 ms ago (four times its own length when that is longer).
void LoadingScreenStep(bool force = false);
// Redraws the screen without counting an item when the last drawing is due
// again, so the pictures follow their timeline while the game start
// holds the screen after loading.
void LoadingScreenRefresh();
// Fills the bar and draws it.
void LoadingScreenFinish();
// Milliseconds since LoadingScreenStart.
uint32_t LoadingElapsed();
// A progress procedure for the loaders (one item each call).
void LoadingScreenProgress();

// The picture shown for `elapsed` ms (notes the end of the splash phase the
// first time it is past) and whether it is the loading picture.
std::string LoadingScreenPicture(uint32_t elapsed, bool* isLoadingPicture);

struct LoadingScreenState {
  uint32_t startTime = 0;
  int32_t items = 0;
  float expectedTotal = 0.0f;
  int32_t barZero = -1;      // item count when the loading picture first showed
  int64_t lastDraw = -1;     // tick of the end of the last drawing
  uint32_t redrawGap = 999;  // ms after it before the next: longer after a slow drawing
  int64_t splashEnded = -1;  // elapsed ms when the splash phase ended
  bool loadingPictureShown = false;
  int32_t framesDrawn = 0;
};
const LoadingScreenState& GetLoadingScreenState();

// The millisecond clock (the platform's by default) and the renderer (the
// program's by default), replaceable for tests.
void SetLoadingScreenClock(std::function<uint32_t()> clock);
void SetLoadingScreenRenderer(CRenderer* renderer);

// The bar's quad colours (left, right) for n items of total, and its width.
void LoadingBarColours(int32_t items, float total, uint32_t* left, uint32_t* right);
float LoadingBarWidth(int32_t items, float total, int32_t zero);
