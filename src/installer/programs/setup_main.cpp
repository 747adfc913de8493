// setup: installs the game from the folder it runs from into a folder the
// user chooses, and writes the installation's settings there.
//
//   setup "-l0x0007 ger"
//
// Headless, the folder comes from CITYRUN_INSTALL_FOLDER.
#include <cstdlib>
#include <optional>
#include <string>

#include "installer/install_game.h"
#include "installer/installer_launcher.h"
#include "installer/programs/installer_window.h"
#include "platform/dialog_window.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/settings_store.h"

namespace {

// The language the game is installed in: the argument's; with an empty code
// (the launcher left the choice here) the stored language when it is one of
// the table's, else the system locale's.
std::optional<std::string> InstallLanguage(const std::string& code) {
  if (!code.empty()) return GameLanguageForCode(code);
  LanguageChoice stored;
  const std::optional<std::string> value = platform::ReadSetting(platform::kSettingInstallerLanguage);
  if (value && *value == "usa") return GameLanguageForCode(*value);
  if (ReadLanguageFromRegistry(stored, value)) return GameLanguageForCode(stored.code);
  LanguageChoice local;
  SetLanguage(local, LanguageFromSystemLcid(SystemDefaultLcid()));
  return GameLanguageForCode(local.code);
}

// The folder dialog; nothing when cancelled. Headless, the environment's.
std::optional<std::string> ChooseFolder() {
  std::string folder = DefaultInstallFolder();
  std::optional<std::string> chosen;
  platform::DialogSpec spec{kInstallerCaption, 420, 260, kInstallerIcon};
  const bool shown = platform::RunDialogWindow(spec, [&](platform::DialogUi& ui) {
    ui.MoveTo(11, 5);
    ui.Image(kInstallerPicture);
    ui.MoveTo(12, 140);
    ui.Label("Install the game into this folder:");
    ui.TextField("##folder", folder);
    ui.MoveTo(110, 210);
    if (ui.Button("Install")) {
      chosen = folder;
      return false;
    }
    return !ui.Button("Cancel") && !ui.CloseRequested();
  });
  if (shown) return chosen;
  const char* env = std::getenv("CITYRUN_INSTALL_FOLDER");
  if (env && *env) return std::string(env);
  ReportInstallerError("No installation folder: set CITYRUN_INSTALL_FOLDER to install without a display.");
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  InstallInstallerPlatform();
  const std::optional<std::string> code = argc == 2 ? CodeFromSetupArgument(argv[1]) : std::nullopt;
  const std::optional<std::string> language = code ? InstallLanguage(*code) : std::nullopt;
  if (!language) {
    ReportInstallerError("Usage: setup \"-l0x0009 gb\" (a language switch and its code).");
    return 2;
  }
  const std::optional<std::string> folder = ChooseFolder();
  if (!folder) return 1;
  std::string error;
  if (!InstallGame(platform::ProgramFolder(), *folder, *language, error)) {
    ReportInstallerError(error);
    return 1;
  }
  platform::ShowMessageBox(kInstallerCaption, "Rentopia Civano is installed in " + *folder + ".",
                           platform::BoxIcon::Information);
  return 0;
}
