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
}

void SetInterfaceScreenSize(int32_t width, int32_t height) {
  Ui().screenWidth = width > 0 ? width : 640;
  Ui().screenHeight = height > 0 ? height : 480;
}
