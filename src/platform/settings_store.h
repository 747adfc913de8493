#pragma once
// The installation's settings, in place of the system registry: a small
// INI-style text file in the game's root folder, written by the installer and
// only read by the game.
//
//   [Rentopia Civano]
//   Language=ger
//   DefaultBoard=usa
//   Setup=Full
//
// Names are matched without regard to case, as registry value names are (so
// the installer's LANGUAGE and the game's Language are one value). Lines
// starting with ';' or '#' are comments; a value may be put in double quotes
// to keep blanks at its ends. Keys outside any section are read as well, so a
// file of bare key=value lines works too. An empty value counts as missing.
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

inline constexpr std::string_view kSettingsFileName = "settings.ini";
inline constexpr std::string_view kSettingsSection = "Rentopia Civano";

// The value names, and the defaults that the game uses when one is missing.
inline constexpr std::string_view kSettingLanguage = "Language";
inline constexpr std::string_view kSettingDefaultBoard = "DefaultBoard";
inline constexpr std::string_view kSettingSetup = "Setup";
inline constexpr std::string_view kSettingInstallerLanguage = "LANGUAGE";
inline constexpr std::string_view kSettingUninstallPath = "UNINSTALLPATH";
inline constexpr std::string_view kSettingPath = "Path";
inline constexpr std::string_view kDefaultLanguage = "usa";
inline constexpr std::string_view kDefaultBoard = "usa";

// One value from the settings file in the game root; nothing when the file,
// the value or its text is missing. The file is read on every call (it is
// consulted a handful of times at start-up), so it never goes stale.
std::optional<std::string> ReadSetting(std::string_view name);
// The same, with `fallback` for a missing value.
std::string ReadSetting(std::string_view name, std::string_view fallback);

// The parser on its own, for a file's text (tests, tools).
std::optional<std::string> FindSettingInText(std::string_view text, std::string_view name);

struct SettingEntry {
  std::string_view name;
  std::string_view value;
};
// The text of a settings file holding these values in the section, each
// value quoted so that blanks at its ends survive. Nothing when a name or
// value holds a line break or a NUL, or a name an '='.
std::optional<std::string> FormatSettingsText(std::initializer_list<SettingEntry> entries);

}  // namespace platform
