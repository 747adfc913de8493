#include "installer/installer_launcher.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::string_view kStoredEnglish = "usa";
constexpr uint32_t kEnglishUnitedStates = 0x0409;

struct LocaleLanguage {
  const char* name;  // the POSIX language part
  uint32_t primary;
};
constexpr LocaleLanguage kLocaleLanguages[] = {
    {"en", 9}, {"de", 7}, {"fr", 12}, {"es", 10}, {"nl", 19}, {"nb", 20}, {"no", 20},
    {"nn", 20}, {"sv", 29}, {"fi", 11}, {"da", 6},
};

// Sublanguages other than 1 by language and country; any other pair is 1.
struct LocaleCountry {
  const char* name;  // "de_CH"
  uint32_t sublanguage;
};
constexpr LocaleCountry kLocaleCountries[] = {
    {"en_GB", 2}, {"en_AU", 3}, {"en_CA", 4}, {"en_NZ", 5}, {"en_IE", 6},
    {"de_CH", 2}, {"de_AT", 3}, {"de_LU", 4}, {"de_LI", 5},
    {"fr_BE", 2}, {"fr_CA", 3}, {"fr_CH", 4}, {"fr_LU", 5},
    // Spain's default sort order is the modern one (sublanguage 3).
    {"es_ES", 3}, {"es_MX", 2},
    {"nl_BE", 2}, {"nn_NO", 2}, {"sv_FI", 2},
};

}  // namespace

const InstallerLanguage kInstallerLanguages[kInstallerLanguageCount] = {
    {0, "English", "gb", "gb", "-l0x0009 %s"},
    {1, "Deutsch", "ger", "ger", "-l0x0007 %s"},
    {2, "Fran\xC3\xA7" "ais", "f", "f", "-l0x040c %s"},
    {3, "Espa\xC3\xB1ol", "spa_mad", "spa", "-l0x000a %s"},
    {4, "Nederlands", "hol", "hol", "-l0x0013 %s"},
    {5, "Norsk", "nor", "nor", "-l0x0014 %s"},
    {6, "Svenska", "swe", "swe", "-l0x001d %s"},
    {7, "Suomi", "fin", "fin", "-l0x000b %s"},
    {8, "Dansk", "dan", "dan", "-l0x0006 %s"},
};

const int kLanguageDialogOrder[kInstallerLanguageCount] = {0, 1, 2, 3, 4, 5, 6, 8, 7};

void SetLanguage(LanguageChoice& choice, int number) {
  choice.number = number;
  choice.code = kInstallerLanguages[number >= 1 && number <= 8 ? number : 0].code;
}

int LanguageFromSystemLcid(uint32_t lcid) {
  switch (lcid & 0x3FF) {
    case 7: return 1;
    case 12: return 2;
    case 10: return 3;
    case 19: return 4;
    case 20: return 5;
    case 29: return 6;
    case 11: return 7;
    case 6: return 8;
    default: return 0;
  }
}

bool ReadLanguageFromRegistry(LanguageChoice& choice, const std::optional<std::string>& value) {
  if (!value) return false;
  for (const InstallerLanguage& l : kInstallerLanguages) {
    if (*value == l.registryValue) {
      SetLanguage(choice, l.number);
      return true;
    }
  }
  return false;
}

std::optional<LanguageChoice> SettleLanguage(const std::optional<std::string>& stored,
                                             uint32_t lcid, const LanguageDialog& dialog) {
  LanguageChoice choice;
  if (stored && *stored == kStoredEnglish) {
    choice.code = kStoredEnglish;
    return choice;
  }
  if (((lcid >> 10) & 0x3F) == 1) return choice;
  if (ReadLanguageFromRegistry(choice, stored)) return choice;
  const int preselected = LanguageFromSystemLcid(lcid);
  const std::optional<int> chosen = dialog ? dialog(preselected) : std::nullopt;
  if (!chosen || *chosen < 0 || *chosen >= kInstallerLanguageCount) return std::nullopt;
  SetLanguage(choice, *chosen);
  return choice;
}

std::string SetupArgument(const LanguageChoice& choice) {
  const int n = choice.number >= 0 && choice.number < kInstallerLanguageCount ? choice.number : 0;
  char text[64];
  std::snprintf(text, sizeof text, kInstallerLanguages[n].switchFormat, choice.code.c_str());
  return text;
}

uint32_t LcidFromLocaleName(std::string_view name) {
  const std::string_view base = name.substr(0, name.find_first_of(".@"));
  const std::string_view language = base.substr(0, base.find('_'));
  uint32_t primary = 0;
  for (const LocaleLanguage& l : kLocaleLanguages)
    if (language == l.name) primary = l.primary;
  if (primary == 0) return kEnglishUnitedStates;
  uint32_t sublanguage = 1;
  for (const LocaleCountry& c : kLocaleCountries)
    if (base == c.name) sublanguage = c.sublanguage;
  return primary | sublanguage << 10;
}

uint32_t SystemDefaultLcid() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return LcidFromLocaleName(value);
  }
  return kEnglishUnitedStates;
}

std::optional<std::string> CodeFromSetupArgument(std::string_view argument) {
  for (const InstallerLanguage& l : kInstallerLanguages) {
    const std::string_view format = l.switchFormat;
    const std::string_view prefix = format.substr(0, format.size() - 2);  // before "%s"
    if (argument.substr(0, prefix.size()) != prefix) continue;
    const std::string_view code = argument.substr(prefix.size());
    if (code.size() > 7) return std::nullopt;
    return std::string(code);
  }
  return std::nullopt;
}

std::optional<std::string> GameLanguageForCode(std::string_view code) {
  if (code == kStoredEnglish) return std::string(kStoredEnglish);
  for (const InstallerLanguage& l : kInstallerLanguages) {
    if (code != l.code) continue;
    if (l.number == 0) return std::string(kStoredEnglish);
    return std::string(l.registryValue);
  }
  return std::nullopt;
}
