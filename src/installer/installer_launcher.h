#pragma once
// The installer launcher's decisions: which language the set-up program is
// started in, from the stored language, the system locale and, when neither
// settles it, the language dialog; and the one argument the set-up program
// gets. Pure functions of their inputs; the program supplies the store, the
// locale and the dialog.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

inline constexpr int kInstallerLanguageCount = 9;

struct InstallerLanguage {
  int number;
  const char* listText;       // UTF-8
  const char* code;           // given to the set-up program
  const char* registryValue;  // the stored LANGUAGE value that selects it
  const char* switchFormat;   // the argument, "%s" being the code
};
// Indexed by number.
extern const InstallerLanguage kInstallerLanguages[kInstallerLanguageCount];
// The language dialog's list order (language numbers).
extern const int kLanguageDialogOrder[kInstallerLanguageCount];

struct LanguageChoice {
  int number = 0;
  std::string code;
};

// Numbers outside 1..8 give English ("gb").
void SetLanguage(LanguageChoice& choice, int number);
// The language number of a system locale id, by its primary language.
int LanguageFromSystemLcid(uint32_t lcid);
// A stored value in the table's registry column selects its language.
bool ReadLanguageFromRegistry(LanguageChoice& choice, const std::optional<std::string>& value);

// The language dialog: given the preselected number, the chosen number, or
// nothing when it was cancelled.
using LanguageDialog = std::function<std::optional<int>(int preselected)>;
// The launcher's order: "usa" stored; a locale of sublanguage 1 (English,
// empty code, the stored value not looked at); a stored value of the table;
// else the dialog. Nothing when the dialog was cancelled (the launcher exits).
std::optional<LanguageChoice> SettleLanguage(const std::optional<std::string>& stored,
                                             uint32_t lcid, const LanguageDialog& dialog);
// The set-up program's one argument, e.g. "-l0x0007 ger"; English with an
// empty code keeps its trailing space.
std::string SetupArgument(const LanguageChoice& choice);

// A POSIX locale name ("de_CH.UTF-8") as a system locale id (primary
// language | sublanguage << 10); English (United States) when unknown.
uint32_t LcidFromLocaleName(std::string_view name);
// The system's default locale id, from LC_ALL, LC_MESSAGES or LANG.
uint32_t SystemDefaultLcid();

// The set-up program's side: the language an argument names (its code after
// the switch), or nothing when the argument is malformed or names none. An
// empty code (the launcher's sublanguage shortcut) leaves the choice to the
// caller.
std::optional<std::string> CodeFromSetupArgument(std::string_view argument);
// The game's language name for a code: the table's registry value, except
// English, whose game data is "usa".
std::optional<std::string> GameLanguageForCode(std::string_view code);
