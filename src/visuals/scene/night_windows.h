#pragma once
// Day and night window lights: the night-window texture (a named texture,
// 64 x 64, a grid of 4 x 4 tiles of 16 x 16 texels) has random tiles switched
// on (copied back from the texture's original image) or off (black) by the
// logic tick according to the hour; the frame sends the page to the renderer
// again when it changed. The draws come from the module's own random stream,
// so every machine of a network game draws the same numbers.
#include <cstdint>

class CRandomStream;
class CRenderer;

inline constexpr const char* kNightWindowTexture = "nightwindows";
inline constexpr int32_t kNightWindowSide = 64;

CRandomStream& NightWindowRandom();
// Its place in the program's list of streams (after the script's).
void RegisterVisualsRandomStreams();

// Every running tick. `hour` is the game clock's hour; `shellGameMode` 2
// leaves the windows alone.
void StepNightWindows(int32_t hour, int32_t shellGameMode);
// Once per frame: sends a changed page to the renderer again.
void ApplyPendingLightChange(CRenderer* renderer);
// Forgets the original image and the counters (a new texture system).
void ResetNightWindows();
bool NightWindowsChanged();
