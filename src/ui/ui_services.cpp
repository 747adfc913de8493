#include "ui/ui_services.h"

#include "engine/render/renderer.h"

UiServices& Ui() {
  static UiServices services;
  return services;
}

CRenderer* UiRenderer() { return Ui().renderer ? Ui().renderer : GetRenderer(); }

void BeginUiInputFrame(const UiMouse& now) {
  Ui().previousMouse = Ui().mouse;
  Ui().mouse = now;
  Ui().mouseTaken = false;
}

void SetInterfaceScreenSize(int32_t width, int32_t height) {
  Ui().screenWidth = width > 0 ? width : 640;
  Ui().screenHeight = height > 0 ? height : 480;
}

uint32_t PulseColour(uint32_t colour) {
  const int32_t t = int32_t(Ui().interfaceTicks % 32u);
  const int32_t d = t > 15 ? t - 15 : 15 - t;
  const uint32_t alpha = uint32_t(255.0f * (0.5f + float(d) / 32.0f));
  return (colour & 0x00FFFFFFu) | (alpha << 24);
}

UiGame& UiGameSide() {
  static UiGame none;
  return Ui().game ? *Ui().game : none;
}

void PlayUiClick() { UiGameSide().PlaySample("spot_any_ui_lightclick.wav"); }
