#include "visuals/scene/night_windows.h"

#include <cstring>
#include <vector>

#include "engine/core/random_stream.h"
#include "engine/render/renderer.h"
#include "engine/scene/texture.h"

namespace {

constexpr int32_t kTile = 16;
constexpr int32_t kTexels = kNightWindowSide * kNightWindowSide;

struct NightWindows {
  std::vector<uint32_t> original;  // the texels as loaded, taken at the first step
  int32_t ticks = 0;
  bool changed = false;
  int32_t page = -1;
};

NightWindows& State() {
  static NightWindows state;
  return state;
}

void SetTile(uint32_t* pixels, int32_t row, int32_t column, bool lit) {
  NightWindows& s = State();
  for (int32_t y = row * kTile; y < (row + 1) * kTile; ++y) {
    uint32_t* to = pixels + y * kNightWindowSide + column * kTile;
    if (lit)
      std::memcpy(to, s.original.data() + (to - pixels), kTile * sizeof(uint32_t));
    else
      std::memset(to, 0, kTile * sizeof(uint32_t));
  }
}

}  // namespace

CRandomStream& NightWindowRandom() {
  static CRandomStream stream;
  return stream;
}

void RegisterVisualsRandomStreams() { NightWindowRandom(); }

void ResetNightWindows() { State() = NightWindows{}; }
bool NightWindowsChanged() { return State().changed; }

void StepNightWindows(int32_t hour, int32_t shellGameMode) {
  if (shellGameMode == 2) return;
  const CTexture* texture = TexSysGetTexture(TexSysFindNamedTexture(kNightWindowTexture));
  if (!texture) return;
  NightWindows& s = State();
  s.page = texture->pageIndex;
  TexSysMarkPageUsed(s.page);
  uint32_t* pixels = TexSysPagePixels(s.page);
  if (!pixels || TexSysPageSize(s.page) != kNightWindowSide) return;
  if (s.original.empty()) s.original.assign(pixels, pixels + kTexels);
  if (++s.ticks < 3) return;
  s.ticks = 0;
  CRandomStream& random = NightWindowRandom();
  if (random.Rand() % 14 != 0) return;
  const int32_t row = int32_t(random.Rand() & 3), column = int32_t(random.Rand() & 3);
  if (hour >= 1 && hour <= 6) {
    SetTile(pixels, row, column, random.Rand() % 5 == 0);
    s.changed = true;
  } else if (hour == 8) {
    std::memset(pixels, 0, kTexels * sizeof(uint32_t));
    s.changed = true;
  } else if (hour >= 18 && hour <= 22) {
    SetTile(pixels, row, column, random.Rand() % 5 != 0);
    s.changed = true;
  }
}

void ApplyPendingLightChange(CRenderer* renderer) {
  NightWindows& s = State();
  if (!s.changed) return;
  s.changed = false;
  if (s.page < 0) return;
  TexSysMarkPageUsed(s.page);
  if (renderer) renderer->DownloadTexturePage(s.page);
}
