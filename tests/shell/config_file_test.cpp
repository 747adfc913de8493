#include "engine/core/config_file.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "console_fixture.h"
#include "engine/core/command_script.h"

namespace {

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(ConsoleTest, TheShippedConfigHoldsTheDefaults) {
  const std::string shipped = ReadAll(std::filesystem::path(RC_TEST_SOURCE_DIR) / "data/game/config.cfg");
  EXPECT_EQ(shipped, FormatConfigFile(RendererSettings{}, SoundSettings{}, StartupOptions{}));
}

TEST_F(ConsoleTest, WrittenSettingsComeBackThroughTheCommandTable) {
  g_RendererSettings.api = kApiTest;
  g_RendererSettings.width = 1600;
  g_RendererSettings.height = 1200;
  g_RendererSettings.bitDepth = 32;
  g_RendererSettings.texBitDepth = 32;
  g_RendererSettings.device = 2;
  g_RendererSettings.texDetail = 1;
  g_RendererSettings.windowed = 1;
  g_RendererSettings.fog = 0;
  g_RendererSettings.multiTexture = 0;
  g_RendererSettings.halos = 0;
  g_StartupOptions.noMovie = true;
  // Accented letters, a per cent sign and a stray line end in a device name.
  const char* name = "Haut-parleurs (R\xC3\xA9" "altek\xAE) 100% \nX ";
  std::strcpy(g_SoundSettings.deviceDescription, name);
  g_SoundSettings.shware = 1;
  g_SoundSettings.avail = 1;
  g_SoundSettings.music = 0;
  g_SoundSettings.no3d = 1;
  const RendererSettings renderer = g_RendererSettings;
  const SoundSettings sound = g_SoundSettings;

  ASSERT_TRUE(WriteConfigFile());
  const std::string text = ReadAll(root_ / "config.cfg");
  for (const char c : text) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 17);
  EXPECT_NE(text.find("SysSetup api Test\n"), std::string::npos);
  EXPECT_NE(text.find("SysSetup NoMovie  1\n"), std::string::npos);

  ResetSystemSettings();
  RegisterConsoleCommands();
  ReadParameterFile(kConfigFileName);
  EXPECT_TRUE(lines_.empty());
  EXPECT_EQ(std::memcmp(&renderer, &g_RendererSettings, sizeof renderer), 0);
  EXPECT_STREQ(g_SoundSettings.deviceDescription, name);
  EXPECT_EQ(g_SoundSettings.shware, sound.shware);
  EXPECT_EQ(g_SoundSettings.avail, sound.avail);
  EXPECT_EQ(g_SoundSettings.music, sound.music);
  EXPECT_EQ(g_SoundSettings.no3d, sound.no3d);
  EXPECT_TRUE(g_StartupOptions.noMovie);

  // Read twice, as at start-up: every line simply sets its value again.
  ResetSoundSetupFlags();
  EXPECT_EQ(g_SoundSettings.avail, 0);
  RegisterConsoleCommands();
  ReadParameterFile(kConfigFileName);
  EXPECT_EQ(g_SoundSettings.avail, 1);
  EXPECT_EQ(std::memcmp(&renderer, &g_RendererSettings, sizeof renderer), 0);
}

TEST_F(ConsoleTest, AFailedWriteWarnsAndKeepsTheOldFile) {
  std::ofstream(root_ / "config.cfg") << "SysSetup width 800\n";
  EXPECT_FALSE(WriteConfigFile("no_such_folder\\config.cfg"));
  EXPECT_EQ(boxes_, (std::vector<std::string>{"WARNING!|Unable to gain write access to config.cfg"}));
  EXPECT_EQ(ReadAll(root_ / "config.cfg"), "SysSetup width 800\n");
  EXPECT_TRUE(WriteConfigFile("CONFIG.CFG"));  // replaces the existing file, whatever its case
  EXPECT_FALSE(std::filesystem::exists(root_ / "CONFIG.CFG"));
  EXPECT_EQ(ReadAll(root_ / "config.cfg").substr(0, 17), "SysSetup api D3D\n");
}

TEST(ConfigValueEscapes, RoundTripOfEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const std::string escaped = EscapeConfigValue(all);
  for (const char c : escaped) {
    EXPECT_GE(static_cast<unsigned char>(c), 0x20u);
    EXPECT_LT(static_cast<unsigned char>(c), 0x7Fu);
  }
  EXPECT_EQ(UnescapeConfigValue(escaped), all);
  EXPECT_EQ(EscapeConfigValue("Primary Sound Driver"), "Primary Sound Driver");
  EXPECT_EQ(UnescapeConfigValue("50% off %4"), "50% off %4");
}

}  // namespace
