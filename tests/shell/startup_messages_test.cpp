#include "shell/startup_messages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class StartupMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetLanguageIndex(); }
  void TearDown() override { ResetLanguageIndex(); }
};

TEST_F(StartupMessagesTest, LanguageNamesAreExactAndCaseSensitive) {
  SetLanguageIndex("ger");
  EXPECT_STREQ(GetStartupMessage(7), "Fertig");
  ResetLanguageIndex();
  SetLanguageIndex("GER");
  EXPECT_STREQ(GetStartupMessage(7), "Done");

  const struct {
    const char* name;
    int32_t index;
  } names[] = {{"f", 1}, {"ger", 2}, {"hol", 3}, {"spa", 4}, {"swe", 5}, {"nor", 6}, {"dan", 7}, {"fin", 8}};
  for (const auto& n : names) {
    ResetLanguageIndex();
    SetLanguageIndex(n.name);
    EXPECT_EQ(GetLanguageIndex(), n.index) << n.name;
  }
  // A name outside the table keeps the language already chosen.
  SetLanguageIndex("usa");
  SetLanguageIndex("");
  SetLanguageIndex("germany");
  EXPECT_EQ(GetLanguageIndex(), kLanguageFinnish);
}

TEST_F(StartupMessagesTest, EveryRowHasAllNineTextsAndKeepsTheTitle) {
  for (int32_t lang = 0; lang < kLanguageCount; ++lang) {
    ResetLanguageIndex();
    const char* names[] = {"usa", "f", "ger", "hol", "spa", "swe", "nor", "dan", "fin"};
    SetLanguageIndex(names[lang]);
    ASSERT_EQ(GetLanguageIndex(), lang);
    for (int32_t id = 0; id < kStartupMessageCount; ++id) {
      const std::string text = GetStartupMessage(id);
      if (id == 21) {
        EXPECT_EQ(text, "");  // no message has this id
        continue;
      }
      EXPECT_FALSE(text.empty()) << "id " << id << " language " << lang;
    }
    for (int32_t id : {17, 22, 24, 36, 37, 41}) {
      EXPECT_NE(std::string(GetStartupMessage(id)).find("Rentopia Civano"), std::string::npos)
          << "id " << id << " language " << lang;
    }
  }
  ResetLanguageIndex();
  EXPECT_STREQ(GetStartupMessage(22), "There is already an instance of Rentopia Civano running.");
  EXPECT_STREQ(GetStartupMessage(2), "Tarnwell Software Rasterizer");
  // The launcher's editor button speaks the language too.
  SetLanguageIndex("ger");
  EXPECT_STREQ(GetStartupMessage(42), "Gebäude-Editor");
  // And its tagline, which the launcher's picture no longer carries in English.
  EXPECT_STREQ(GetStartupMessage(43), "Besitze die Stadt. Bau sie. Führe sie.");
}

TEST_F(StartupMessagesTest, IdsOutsideTheTableGiveAnEmptyText) {
  for (int32_t id : {-1, kStartupMessageCount, 1000, INT32_MIN, INT32_MAX}) EXPECT_STREQ(GetStartupMessage(id), "") << id;
}

}  // namespace
