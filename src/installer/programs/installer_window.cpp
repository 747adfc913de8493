#include "installer/programs/installer_window.h"

#include <filesystem>

#include "platform/headless.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/sdl/sdl_window.h"

namespace platform {
void InstallSdlMessageBoxes();
}

void InstallInstallerPlatform() {
  platform::SetGameRoot(platform::ProgramFolder());
  if (platform::IsHeadless()) return;
  platform::InstallSdlMessageBoxes();
  platform::InstallSdlDialogWindows();
}

void ReportInstallerError(std::string_view text) {
  platform::ShowMessageBox(kInstallerCaption, std::string(text), platform::BoxIcon::Error);
}
