#include "ui/interface_frame.h"

#include <algorithm>

#include "engine/input/input_device.h"
#include "engine/render/renderer.h"
#include "ui/cursors.h"
#include "ui/game_panels.h"
#include "ui/glyph_batcher.h"
#include "ui/hover_info.h"
#include "ui/ui_services.h"

namespace {
// The named shader that modulates by the colour and blends by alpha.
constexpr int32_t kInterfaceShader = 1;
}  // namespace

void RunInterfaceInput(CInputDevice* device, int32_t steps, void (*beforeStep)()) {
  UiMouse now;
  now.x = g_InputState.uiCursorX;
  now.y = g_InputState.uiCursorY;
  now.left = g_InputState.leftButton != 0;
  now.right = g_InputState.rightButton != 0;
  now.wheel = g_InputState.mouse.wheel;
  BeginUiInputFrame(now);
  auto& chars = Ui().chars;
  if (device)
    while (device->HasChars()) chars.push_back(device->PopChar());
  ++Ui().interfaceTicks;
  // The step (the ticker's count) keeps pace with the logic, once per logic
  // tick; the panels read the frame's input once, whatever the speed: a
  // click, a key or a frame's share of a time-out read again would act
  // again, and the sets read after this one would find the click used up.
  if (beforeStep)
    for (int32_t step = 0; step < std::max(steps, 1); ++step) beforeStep();
  GamePanels().ProcessInput();
  // Typing with the mouse over no panel must not pile characters up; an
  // edit box with the focus has taken what was typed for it.
  while (chars.size() > size_t(kTypedCharCapacity)) chars.pop_front();
  HoverInfo().CountFrame();
}

void DrawInterface(void (*underPanels)(), void (*overPanels)()) {
  CRenderer* renderer = UiRenderer();
  if (renderer == nullptr) return;
  renderer->Begin2D();
  // Interface quads blend by their alpha, lie in one plane and are wound
  // either way.
  renderer->SetShader(kInterfaceShader);
  renderer->DisableDepthTest();
  renderer->DisableCulling();
  if (underPanels) underPanels();
  GamePanels().Draw();
  if (overPanels) overPanels();
  HoverInfo().Draw();
  DrawMouseCursor();
  FlushGlyphBatches();
  ++Ui().frameCounter;
}
