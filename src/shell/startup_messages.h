#pragma once
// The built-in start-up messages, in nine languages, for what is shown before
// the text banks are loaded: the set-up dialogs, the safe-mode offer and the
// fatal start-up messages.
#include <cstdint>
#include <string_view>

// Column order of the languages.
enum StartupLanguage : int32_t {
  kLanguageEnglish = 0,
  kLanguageFrench,
  kLanguageGerman,
  kLanguageDutch,
  kLanguageSpanish,
  kLanguageSwedish,
  kLanguageNorwegian,
  kLanguageDanish,
  kLanguageFinnish,
  kLanguageCount
};

inline constexpr int32_t kStartupMessageCount = 44;

// Picks the language from its name, compared exactly (case matters): "f",
// "ger", "hol", "spa", "swe", "nor", "dan", "fin". Any other name leaves the
// index as it is (English at start).
void SetLanguageIndex(std::string_view language_name);
int32_t GetLanguageIndex();
// Back to English; for tests.
void ResetLanguageIndex();

// The message's text in the current language (UTF-8). An id outside the
// table, or one without a message, gives an empty text.
const char* GetStartupMessage(int32_t id);
