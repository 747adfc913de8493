#include "installer/installer_launcher.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kDanish = 0x0406;        // sublanguage 1
constexpr uint32_t kGermanGermany = 0x0407;  // sublanguage 1
constexpr uint32_t kGermanSwiss = 0x0807;    // sublanguage 2
constexpr uint32_t kEnglishBritain = 0x0809;

struct DialogSpy {
  int opened = 0;
  int preselected = -1;
  std::optional<int> answer;
  LanguageDialog Dialog() {
    return [this](int pre) {
      ++opened;
      preselected = pre;
      return answer ? answer : std::optional<int>(pre);
    };
  }
};

std::optional<std::string> ArgumentFor(std::optional<std::string> stored, uint32_t lcid, DialogSpy& spy) {
  const std::optional<LanguageChoice> choice = SettleLanguage(stored, lcid, spy.Dialog());
  return choice ? std::optional<std::string>(SetupArgument(*choice)) : std::nullopt;
}

TEST(InstallerLauncher, TheLanguageCasesInTheirOrder) {
  struct Case {
    std::optional<std::string> stored;
    uint32_t lcid;
    const char* argument;
    bool dialog;
  } cases[] = {
      {"spa", kGermanSwiss, "-l0x000a spa_mad", false},
      {"spa_mad", kGermanSwiss, "-l0x0007 ger", true},  // not a stored value: the dialog
      {"usa", kGermanSwiss, "-l0x0009 usa", false},
      {"usa", kDanish, "-l0x0009 usa", false},
      {"ger", kDanish, "-l0x0009 ", false},  // sublanguage 1: English, empty code, one space
      {std::nullopt, kGermanGermany, "-l0x0009 ", false},
      {std::nullopt, kGermanSwiss, "-l0x0007 ger", true},
      {"f", kEnglishBritain, "-l0x040c f", false},
  };
  for (const Case& c : cases) {
    DialogSpy spy;
    EXPECT_EQ(ArgumentFor(c.stored, c.lcid, spy), c.argument) << c.stored.value_or("(none)");
    EXPECT_EQ(spy.opened, c.dialog ? 1 : 0) << c.stored.value_or("(none)");
  }
}

TEST(InstallerLauncher, TheDialogPreselectsTheSystemLanguageAndCancelExits) {
  DialogSpy spy;
  ArgumentFor(std::nullopt, kGermanSwiss, spy);
  EXPECT_EQ(spy.preselected, 1);  // Deutsch
  spy.answer = 7;
  EXPECT_EQ(ArgumentFor(std::nullopt, kGermanSwiss, spy), "-l0x000b fin");
  // A cancel is no language: nothing is started.
  EXPECT_EQ(SettleLanguage(std::nullopt, kGermanSwiss, [](int) { return std::nullopt; }), std::nullopt);
  EXPECT_EQ(SettleLanguage(std::nullopt, kGermanSwiss, [](int) { return 9; }), std::nullopt);
  EXPECT_EQ(SettleLanguage(std::nullopt, kGermanSwiss, nullptr), std::nullopt);
}

TEST(InstallerLauncher, LocalesAndLanguageNumbers) {
  EXPECT_EQ(LcidFromLocaleName("de_CH.UTF-8"), kGermanSwiss);
  EXPECT_EQ(LcidFromLocaleName("de_DE.UTF-8@euro"), kGermanGermany);
  EXPECT_EQ(LcidFromLocaleName("da"), kDanish);
  EXPECT_EQ(LcidFromLocaleName("es_ES.UTF-8"), 0x0c0au);
  EXPECT_EQ(LcidFromLocaleName("C"), 0x0409u);
  EXPECT_EQ(LcidFromLocaleName(""), 0x0409u);
  const std::pair<uint32_t, int> numbers[] = {{7, 1}, {12, 2}, {10, 3}, {19, 4}, {20, 5},
                                             {29, 6}, {11, 7}, {6, 8}, {9, 0}, {0x3FF, 0}};
  for (auto [primary, number] : numbers) EXPECT_EQ(LanguageFromSystemLcid(primary | 2 << 10), number);
  LanguageChoice choice;
  SetLanguage(choice, 12);
  EXPECT_EQ(choice.code, "gb");
  SetLanguage(choice, -1);
  EXPECT_EQ(choice.code, "gb");
}

TEST(InstallerLauncher, TheSetUpProgramReadsItsArgumentBack) {
  EXPECT_EQ(CodeFromSetupArgument("-l0x0007 ger"), "ger");
  EXPECT_EQ(CodeFromSetupArgument("-l0x0009 "), "");
  EXPECT_EQ(CodeFromSetupArgument("-l0x0009"), std::nullopt);
  EXPECT_EQ(CodeFromSetupArgument("ger"), std::nullopt);
  EXPECT_EQ(CodeFromSetupArgument("-l0x0009 far_too_long"), std::nullopt);
  // What the game reads: Spain's code stores as "spa", English as "usa".
  EXPECT_EQ(GameLanguageForCode("spa_mad"), "spa");
  EXPECT_EQ(GameLanguageForCode("gb"), "usa");
  EXPECT_EQ(GameLanguageForCode("usa"), "usa");
  EXPECT_EQ(GameLanguageForCode("ger"), "ger");
  EXPECT_EQ(GameLanguageForCode("xx/../"), std::nullopt);
}

}  // namespace
