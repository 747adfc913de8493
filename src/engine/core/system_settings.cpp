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
