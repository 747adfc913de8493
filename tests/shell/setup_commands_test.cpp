#include "engine/core/setup_commands.h"

#include <cstring>
#include <string>

#include "console_fixture.h"

namespace {

class SetupCommandTest : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    RegisterConsoleCommands();
  }
};

TEST_F(SetupCommandTest, EveryKeySetsItsSetting) {
  const char* lines[] = {
      "SysSetup api Software", "SysSetup width 1024",  "SysSetup height 768",   "SysSetup device 1",
      "SysSetup Texdetail 0",  "SysSetup NoMovie  1",  "SysSetup Window 1",     "SysSetup shware 1",
      "SysSetup avail 1",      "SysSetup music 0",     "SysSetup No3d 5",       "SysSetup Fog 0",
      "SysSetup Multitexture  0", "SysSetup Halos 0",  "SysSetup bitdepth 32",  "SysSetup texbitdepth 32",
  };
  for (const char* line : lines) ExecuteConsoleCommand(line);
  EXPECT_TRUE(lines_.empty());
  const RendererSettings& r = g_RendererSettings;
  EXPECT_EQ(r.api, kApiSoftware);
  EXPECT_EQ(r.width, 1024);
  EXPECT_EQ(r.height, 768);
  EXPECT_EQ(r.device, 1);
  EXPECT_EQ(r.texDetail, 0);
  EXPECT_EQ(r.windowed, 1);
  EXPECT_EQ(r.fog, 0);
  EXPECT_EQ(r.multiTexture, 0);
  EXPECT_EQ(r.halos, 0);
  EXPECT_EQ(r.bitDepth, 32);
  EXPECT_EQ(r.texBitDepth, 32);
  EXPECT_TRUE(g_StartupOptions.noMovie);
  EXPECT_EQ(g_SoundSettings.shware, 1);
  EXPECT_EQ(g_SoundSettings.avail, 1);
  EXPECT_EQ(g_SoundSettings.music, 0);
  EXPECT_EQ(g_SoundSettings.no3d, 1);  // any non-zero value is on
}

TEST_F(SetupCommandTest, ApiWordsDepthsAndIgnoredInput) {
  const struct {
    const char* line;
    int32_t api;
  } apis[] = {{"SYSSETUP API test", kApiTest}, {"SYSSETUP API d3d", kApiDirect3D},
              {"SYSSETUP API Software", kApiSoftware}, {"SYSSETUP API OpenGL", kApiSoftware},
              {"SYSSETUP API", kApiSoftware}};
  for (const auto& c : apis) {
    ExecuteConsoleCommand(c.line);
    EXPECT_EQ(g_RendererSettings.api, c.api) << c.line;
  }
  ExecuteConsoleCommand("SYSSETUP BITDEPTH 32");
  ExecuteConsoleCommand("SYSSETUP BITDEPTH 24");
  EXPECT_EQ(g_RendererSettings.bitDepth, 16);

  // Unknown keys, missing keys and missing values change nothing.
  const RendererSettings before = g_RendererSettings;
  for (const char* line : {"SYSSETUP", "SYSSETUP GAMMA 3", "SYSSETUP WIDTH", "SYSSETUP FOG \n 0"}) {
    ExecuteConsoleCommand(line);
  }
  EXPECT_EQ(std::memcmp(&before, &g_RendererSettings, sizeof before), 0);
  EXPECT_TRUE(lines_.empty());
}

TEST_F(SetupCommandTest, SoundTakesTheRestOfTheLineWithItsBlanks) {
  ExecuteConsoleCommand("SysSetup sound  Speakers (USB Audio)  \nSysSetup width 1");
  EXPECT_STREQ(g_SoundSettings.deviceDescription, " Speakers (USB Audio)  ");
  EXPECT_EQ(g_RendererSettings.width, 640);  // the next line is not part of this command

  ExecuteConsoleCommand("SysSetup sound Haut-parleurs %C3%A9 100%25 %zz");
  EXPECT_STREQ(g_SoundSettings.deviceDescription, "Haut-parleurs \xC3\xA9 100% %zz");

  ExecuteConsoleCommand("SysSetup sound");
  EXPECT_STREQ(g_SoundSettings.deviceDescription, "");

  const std::string huge = "SysSetup sound " + std::string(3000, 'd');
  ExecuteConsoleCommand(huge.c_str());
  EXPECT_EQ(std::strlen(g_SoundSettings.deviceDescription), 1023u);
}

TEST_F(SetupCommandTest, DebugFlagReportsAndSets) {
  ExecuteConsoleCommand("DEBUGFLAG aidebug");
  EXPECT_EQ(g_DebugFlags.AIDEBUG, 0);
  ExecuteConsoleCommand("debugflag aidebug 5");
  EXPECT_EQ(g_DebugFlags.AIDEBUG, 1);
  ExecuteConsoleCommand("DEBUGFLAG TimedLogic 1");
  ExecuteConsoleCommand("DEBUGFLAG AIDEBUG 0");
  ExecuteConsoleCommand("DEBUGFLAG nosuchflag 1");
  ExecuteConsoleCommand("DEBUGFLAG");
  EXPECT_EQ(lines_, (std::vector<Line>{{"AIDEBUG false", kConsoleReply},
                                       {"AIDEBUG true", kConsoleReply},
                                       {"TIMEDLOGIC true", kConsoleReply},
                                       {"AIDEBUG false", kConsoleReply},
                                       {"Unknown debug flag NOSUCHFLAG", kConsoleReply}}));
  EXPECT_EQ(g_DebugFlags.TIMEDLOGIC, 1);
  EXPECT_EQ(g_DebugFlags.AIDEBUG, 0);

  ClearDebugFlags();
  EXPECT_EQ(g_DebugFlags.TIMEDLOGIC, 0);
  for (const char* name : {"TRAFFICRAILS", "SHOWDOORPOS", "SHOWALLCARS", "PEOPLERAILS", "PEOPLEDEBUG",
                           "TAXICAMERA", "AIDEBUG", "DEBUGTEXT", "CHEATINGGIT", "SIMPLEBUILDINGS",
                           "TIMEDLOGIC"}) {
    EXPECT_NE(FindDebugFlag(name), nullptr) << name;
  }
  EXPECT_EQ(FindDebugFlag("aidebug"), nullptr);  // the command upper-cases; the table is exact
}

}  // namespace
