#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "temp_dir.h"

namespace {

TEST(SettingsText, SectionKeysCaseQuotesAndComments) {
  const char* text =
      "; written by the installer\r\n"
      "[Other Game]\n"
      "Language=fin\n"
      "[rentopia civano]\r\n"
      "  Language = ger \r\n"
      "DefaultBoard=\"  uk  \"\n"
      "Setup=\n"
      "# Path=/nowhere\n"
      "UNINSTALLPATH=/opt/rc/uninstall\n"
      "broken line without equals\n"
      "Path=/opt/rc";
  EXPECT_EQ(platform::FindSettingInText(text, "Language"), "ger");
  EXPECT_EQ(platform::FindSettingInText(text, "LANGUAGE"), "ger");  // one value, as in the registry
  EXPECT_EQ(platform::FindSettingInText(text, "DefaultBoard"), "  uk  ");
  EXPECT_EQ(platform::FindSettingInText(text, "Setup"), std::nullopt);  // empty counts as missing
  EXPECT_EQ(platform::FindSettingInText(text, "UninstallPath"), "/opt/rc/uninstall");
  EXPECT_EQ(platform::FindSettingInText(text, "Path"), "/opt/rc");
  EXPECT_EQ(platform::FindSettingInText(text, "Missing"), std::nullopt);
  EXPECT_EQ(platform::FindSettingInText("Language=spa\n", "Language"), "spa");  // no section
  EXPECT_EQ(platform::FindSettingInText("", "Language"), std::nullopt);
}

TEST(SettingsStore, ReadsTheFileInTheGameRootOrGivesTheDefaults) {
  TempDir dir;
  const std::string old = platform::GameRoot();
  platform::SetGameRoot(dir.path());

  EXPECT_EQ(platform::ReadSetting(platform::kSettingLanguage), std::nullopt);
  EXPECT_EQ(platform::ReadSetting(platform::kSettingLanguage, platform::kDefaultLanguage), "usa");

  dir.Write("Settings.INI", "[Rentopia Civano]\nLanguage=hol\nSetup=Min\n");
  EXPECT_EQ(platform::ReadSetting(platform::kSettingLanguage, platform::kDefaultLanguage), "hol");
  EXPECT_EQ(platform::ReadSetting(platform::kSettingSetup), "Min");
  EXPECT_EQ(platform::ReadSetting(platform::kSettingDefaultBoard, platform::kDefaultBoard), "usa");

  platform::SetGameRoot(old);
}

}  // namespace
