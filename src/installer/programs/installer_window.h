#pragma once
// What the installer's two programs share: their folder (the installation
// medium, which is also the built game's root), their windows and messages.
#include <string>
#include <string_view>

// The programs' own folder (platform::ProgramFolder) is made the game root,
// so that their pictures and the settings store there are found; then the
// SDL dialogs and message boxes when there is a display.
void InstallInstallerPlatform();
// A message box, or standard error headless.
void ReportInstallerError(std::string_view text);

inline constexpr const char* kInstallerCaption = "Rentopia Civano ";  // the title and one space
inline constexpr const char* kInstallerPicture = "installer\\picture.bmp";
inline constexpr const char* kInstallerIcon = "installer\\icon.bmp";
