// runsetup: settles the installation language, then runs the set-up program
// beside it with the language as its one argument and waits for it.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "installer/installer_launcher.h"
#include "installer/programs/installer_window.h"
#include "platform/dialog_window.h"
#include "platform/paths.h"
#include "platform/settings_store.h"

namespace {

constexpr const char* kSetupProgram = "setup";

// The language dialog: the list in its fixed order, "Ok" takes the choice;
// closing the window cancels. With no window (headless) the preselected
// language is taken.
std::optional<int> ShowLanguageDialog(int preselected) {
  std::vector<std::string> texts;
  int selected = 0;
  for (int i = 0; i < kInstallerLanguageCount; ++i) {
    texts.push_back(kInstallerLanguages[kLanguageDialogOrder[i]].listText);
    if (kLanguageDialogOrder[i] == preselected) selected = i;
  }
  std::optional<int> chosen;
  platform::DialogSpec spec{kInstallerCaption, 380, 260, kInstallerIcon};
  const bool shown = platform::RunDialogWindow(spec, [&](platform::DialogUi& ui) {
    ui.MoveTo(11, 5);
    ui.Image(kInstallerPicture);
    ui.MoveTo(60, 150);
    ui.List("##language", texts, selected);
    ui.MoveTo(120, 200);
    if (ui.Button("Ok")) {
      chosen = kLanguageDialogOrder[selected];
      return false;
    }
    return !ui.CloseRequested();
  });
  if (!shown) return preselected;
  return chosen;
}

// Starts the set-up program with the one argument and waits for it; false
// (reported) when it is missing or cannot be started.
bool RunSetup(const std::string& argument) {
  const std::string program = platform::ProgramFolder() + "/" + kSetupProgram;
  if (::access(program.c_str(), X_OK) != 0) {
    ReportInstallerError("The set-up program " + program + " is missing.");
    return false;
  }
  const pid_t pid = ::fork();
  if (pid < 0) {
    ReportInstallerError(std::string("The set-up program could not be started: ") + std::strerror(errno));
    return false;
  }
  if (pid == 0) {
    ::execl(program.c_str(), program.c_str(), argument.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return true;
}

}  // namespace

int main() {
  InstallInstallerPlatform();
  const std::optional<std::string> stored = platform::ReadSetting(platform::kSettingInstallerLanguage);
  const std::optional<LanguageChoice> language =
      SettleLanguage(stored, SystemDefaultLcid(), ShowLanguageDialog);
  if (!language) return 0;  // the language dialog was cancelled
  return RunSetup(SetupArgument(*language)) ? 0 : 1;
}
