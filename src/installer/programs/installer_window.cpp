#include "installer/programs/installer_window.h"

#include <filesystem>

#include "platform/headless.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/sdl/sdl_window.h"

namespace platform {
void InstallSdlMessageBoxes();
}

std::string ProgramFolder() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path().string() : self.parent_path().string();
}

void InstallInstallerPlatform() {
  platform::SetGameRoot(ProgramFolder());
  if (platform::IsHeadless()) return;
  platform::InstallSdlMessageBoxes();
  platform::InstallSdlDialogWindows();
}

void ReportInstallerError(std::string_view text) {
  platform::ShowMessageBox(kInstallerCaption, std::string(text), platform::BoxIcon::Error);
}
