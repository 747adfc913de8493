#include "engine/core/system_settings.h"

RendererSettings g_RendererSettings;
SoundSettings g_SoundSettings;
StartupOptions g_StartupOptions;

void ResetSystemSettings() {
  g_RendererSettings = RendererSettings{};
  g_SoundSettings = SoundSettings{};
  g_StartupOptions = StartupOptions{};
}

void ResetSoundSetupFlags() {
  g_SoundSettings.avail = 0;
  g_SoundSettings.shware = 0;
  g_SoundSettings.no3d = 0;
}

int32_t ScreenSizeVariant(int32_t width) {
  if (width == 640 || width == 1280) return 640;
  if (width == 800 || width == 1600) return 800;
  return 1024;
}
