// Player profiles: created, listed, selected, saved, loaded and deleted, with
// the settings written as escaped script text and names kept to plain folders.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/temp_dir.h"
#include "script/profiles.h"
#include "script_fixture.h"
#include "engine/core/system_settings.h"

namespace {

struct FakeLevels : ProfileServices {
  struct Info {
    int32_t id, state;
    bool completed[3];
  };
  std::vector<Info> infos;
  std::vector<LevelProgress> saved;
  int resets = 0, unlocks = 0;
  int32_t music = -1, effects = -1;
  std::string board;
  bool cursor = false;

  void ResetScenarioProgress() override { ++resets; }
  void UnlockFirstScenario() override { ++unlocks; }
  bool SetLevelInfo(int32_t id, int32_t state, const bool (&completed)[3]) override {
    infos.push_back({id, state, {completed[0], completed[1], completed[2]}});
    return true;
  }
  std::vector<LevelProgress> SavedLevels() const override { return saved; }
  void SetVolumes(int32_t m, int32_t e) override {
    music = m;
    effects = e;
  }
  void LoadBoard(const char* b) override { board = b; }
  void ShowSystemCursor(bool show) override { cursor = show; }
};

class ProfileTest : public ScriptTest {
 protected:
  void SetUp() override {
    old_root_ = platform::GameRoot();
    platform::SetGameRoot(dir_.path());
    SetProfileServices(&levels_);
    PlayerProfile() = CPlayerProfile{};
    ScriptTest::SetUp();
  }
  void TearDown() override {
    ScriptTest::TearDown();
    PlayerProfile() = CPlayerProfile{};
    SetProfileServices(nullptr);
    platform::SetGameRoot(old_root_);
  }
  std::string Read(const std::string& relative) const {
    std::ifstream in(dir_ / relative, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool Exists(const std::string& relative) const { return std::filesystem::exists(dir_ / relative); }

  TempDir dir_;
  std::string old_root_;
  FakeLevels levels_;
};

TEST_F(ProfileTest, NewProfileTakesItsNamesAndTheInstalledBoard) {
  dir_.Write("settings.ini", "[Rentopia Civano]\nDefaultBoard=uk\n");
  CPlayerProfile& p = PlayerProfile();
  ASSERT_TRUE(p.CreateNew("Ada"));
  EXPECT_STREQ(p.name, "Ada");
  EXPECT_STREQ(p.PlayerName, "Ada");
  EXPECT_STREQ(p.SessionName, "Ada");
  EXPECT_STREQ(p.BoardName, "uk");
  EXPECT_EQ(p.MusicVolume, 63);
  EXPECT_EQ(p.SoundVolume, 83);
  EXPECT_EQ(levels_.unlocks, 1);
  EXPECT_EQ(levels_.board, "uk");
  EXPECT_EQ(levels_.music, 63);
  EXPECT_EQ(Read("profiles/memory.lua"), "ProfileName = \"Ada\"");

  std::filesystem::remove(dir_ / "settings.ini");
  ASSERT_TRUE(p.CreateNew("Bea"));
  EXPECT_STREQ(p.BoardName, "usa");
  EXPECT_EQ(p.HardwareCursor, g_StartupOptions.performance == 0 ? 1 : 0);
}

TEST_F(ProfileTest, SettingsAreWrittenAsScriptText) {
  CPlayerProfile& p = PlayerProfile();
  ASSERT_TRUE(p.CreateNew("Ada"));
  levels_.saved = {{100001, 2, {1, 0, 1}}};
  p.GammaLevel = 40;
  p.InverseMouse = 1;
  ASSERT_TRUE(p.Save());
  const std::string text = Read("profiles/Ada/settings.lua");
  EXPECT_NE(text.find("g_ProfileOptions.PlayerName = \"Ada\"\n"), std::string::npos);
  EXPECT_NE(text.find("g_ProfileOptions.GammaLevel = 40\n"), std::string::npos);
  EXPECT_NE(text.find("g_ProfileOptions.InverseMouse = true\n"), std::string::npos);
  EXPECT_NE(text.find("g_ProfileOptions.AutoRotateCamera = true\n"), std::string::npos);
  EXPECT_NE(text.find("SetLevelInfo(100001, DEPRECATED, 2, 1, 0, 1)\n"), std::string::npos);

  // Read back into a changed record: the file's values and the level progress return.
  p.GammaLevel = 1;
  p.InverseMouse = 0;
  ASSERT_TRUE(p.Reload());
  EXPECT_EQ(p.GammaLevel, 40);
  EXPECT_EQ(p.InverseMouse, 1);
  ASSERT_EQ(levels_.infos.size(), 1u);
  EXPECT_EQ(levels_.infos[0].id, 100001);
  EXPECT_EQ(levels_.infos[0].state, 2);
  EXPECT_TRUE(levels_.infos[0].completed[0]);
  EXPECT_FALSE(levels_.infos[0].completed[1]);
}

TEST_F(ProfileTest, NamesCannotBreakTheFileOrInjectScript) {
  CPlayerProfile& p = PlayerProfile();
  ASSERT_TRUE(p.CreateNew("Ada"));
  const std::string hostile = "Bob\" g_ProfileOptions.MusicVolume = 1 --\n\\\x01 end";
  ASSERT_TRUE(RunScript("g_ProfileOptions.PlayerName = " + QuoteScriptString(hostile)));
  EXPECT_EQ(std::string(p.PlayerName), hostile);
  ASSERT_TRUE(p.Save());
  p.MusicVolume = 20;
  ASSERT_TRUE(p.Reload());
  EXPECT_EQ(std::string(p.PlayerName), hostile);
  EXPECT_EQ(p.MusicVolume, 63);  // the name did not run as script
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(ProfileTest, SelectSavesTheCurrentProfileAndLoadsTheOther) {
  CPlayerProfile& p = PlayerProfile();
  ASSERT_TRUE(p.CreateNew("Ada"));
  p.MusicVolume = 11;
  ASSERT_TRUE(p.CreateNew("Bea"));  // saves nothing of Ada: CreateNew takes the new name at once
  p.MusicVolume = 22;
  ASSERT_TRUE(p.Select("Ada"));  // saves Bea
  EXPECT_STREQ(p.name, "Ada");
  EXPECT_EQ(p.MusicVolume, 63);
  ASSERT_TRUE(p.Select("Bea"));
  EXPECT_EQ(p.MusicVolume, 22);
  EXPECT_EQ(levels_.music, 22);
  EXPECT_EQ(Read("profiles/memory.lua"), "ProfileName = \"Bea\"");

  // A profile without settings clears the name.
  EXPECT_FALSE(p.Select("Nobody"));
  EXPECT_STREQ(p.name, "");
  EXPECT_FALSE(Exists("profiles/Nobody"));
}

TEST_F(ProfileTest, StartUpLoadsTheLastProfile) {
  CPlayerProfile& p = PlayerProfile();
  EXPECT_FALSE(p.LoadLast());  // no memory.lua: the front end asks for a profile
  EXPECT_STREQ(p.name, "");

  ASSERT_TRUE(p.CreateNew("Ada"));
  p.DetailLevel = 0;
  ASSERT_TRUE(p.Save());
  p = CPlayerProfile{};
  ASSERT_TRUE(Script().Create());
  ASSERT_TRUE(p.LoadLast());
  EXPECT_STREQ(p.name, "Ada");
  EXPECT_EQ(p.DetailLevel, 0);

  // memory.lua naming a path is not followed.
  dir_.Write("profiles/memory.lua", "ProfileName = \"../../etc\"");
  p = CPlayerProfile{};
  EXPECT_FALSE(p.LoadLast());
  EXPECT_STREQ(p.name, "");
}

TEST_F(ProfileTest, LinesThatDoNotParseAreSkipped) {
  CPlayerProfile& p = PlayerProfile();
  ASSERT_TRUE(p.CreateNew("Ada"));
  dir_.Write("profiles/Ada/settings.lua",
             "g_ProfileOptions.MusicVolume = 10\nthis is not script\ng_ProfileOptions.SoundVolume = 20\r\n"
             "g_ProfileOptions.GammaLevel = nil + 1\n\ng_ProfileOptions.DetailLevel = 1");
  ASSERT_TRUE(p.Reload());
  EXPECT_EQ(p.MusicVolume, 10);
  EXPECT_EQ(p.SoundVolume, 20);
  EXPECT_EQ(p.GammaLevel, 35);
  EXPECT_EQ(p.DetailLevel, 1);
  // The lines that did not run are reported together, with the file.
  EXPECT_EQ(CountBoxes("profiles\\Ada\\settings.lua: lines 2, 4 did not run"), 1);
  EXPECT_EQ(CountBoxes("did not run"), 1);
}

// Values the options pages could never set are brought into range when read,
// and so written back in range; a board name that is a path is dropped.
TEST_F(ProfileTest, SettingsOutOfRangeAreClampedWhenRead) {
  CPlayerProfile& p = PlayerProfile();
  ASSERT_TRUE(p.CreateNew("Ada"));
  dir_.Write("profiles/Ada/settings.lua",
             "g_ProfileOptions.MusicVolume = 2147483647\ng_ProfileOptions.SoundVolume = -5\n"
             "g_ProfileOptions.GammaLevel = 99999\ng_ProfileOptions.MouseSensitivity = -1000000000\n"
             "g_ProfileOptions.PreferredCharacter = 2147483647\ng_ProfileOptions.DetailLevel = 7\n"
             "g_ProfileOptions.BoardName = \"../../../etc\"\n");
  ASSERT_TRUE(p.Reload());
  struct Case {
    int32_t value, expected;
  } cases[] = {{p.MusicVolume, 100},     {p.SoundVolume, 0},          {p.GammaLevel, 100},
               {p.MouseSensitivity, 0}, {p.PreferredCharacter, 9}, {p.DetailLevel, 2}};
  for (const Case& c : cases) EXPECT_EQ(c.value, c.expected);
  EXPECT_EQ(std::string(p.BoardName).find(".."), std::string::npos) << p.BoardName;
  EXPECT_EQ(CountBoxes("out of range"), 1);
  ASSERT_TRUE(p.Save());
  const std::string written = Read("profiles/Ada/settings.lua");
  for (const char* line : {"MusicVolume = 100\n", "GammaLevel = 100\n", "SoundVolume = 0\n"})
    EXPECT_NE(written.find(line), std::string::npos) << line << written;
  EXPECT_EQ(written.find("../"), std::string::npos) << written;
}

// A profile's settings cannot rename it: the name stays its folder's, so
// saves and settings stay inside the game.
TEST_F(ProfileTest, SettingsCannotRenameTheProfile) {
  CPlayerProfile& p = PlayerProfile();
  ASSERT_TRUE(p.CreateNew("Ada"));
  dir_.Write("profiles/Ada/settings.lua", "ProfileName = \"../../../../tmp/x\"\ng_ProfileOptions.MusicVolume = 10\n");
  ASSERT_TRUE(p.Reload());
  EXPECT_STREQ(p.name, "Ada");
  EXPECT_EQ(p.MusicVolume, 10);
  ASSERT_TRUE(p.Select("Ada"));
  EXPECT_STREQ(p.name, "Ada");
}

TEST_F(ProfileTest, ProfileNamesMustBePlainFolderNames) {
  for (const char* bad : {"", ".", "..", "...", "../x", "a/b", "a\\b", "..\\..\\x", "tab\there", ".hidden", "trail.",
                          " lead", "trail ", "0123456789012345678901234567890x"}) {
    EXPECT_FALSE(IsValidProfileName(bad)) << bad;
    EXPECT_FALSE(PlayerProfile().CreateNew(bad)) << bad;
    EXPECT_FALSE(DeleteProfile(bad)) << bad;
  }
  EXPECT_FALSE(IsValidProfileName(std::string(kProfileNameSize, 'a')));
  EXPECT_TRUE(IsValidProfileName("Ada Lovelace 2"));
  EXPECT_TRUE(IsValidProfileName("a.b c"));
  EXPECT_TRUE(IsValidProfileName(std::string(kProfileNameMax, 'a')));  // 31: the list's width
  EXPECT_FALSE(Exists("x"));
  EXPECT_FALSE(Exists("profiles/memory.lua"));
}

TEST_F(ProfileTest, ListAndDelete) {
  CPlayerProfile& p = PlayerProfile();
  ASSERT_TRUE(p.CreateNew("Cy"));
  ASSERT_TRUE(p.CreateNew("Ada"));
  ASSERT_TRUE(p.CreateNew("Bea"));
  dir_.Write("profiles/notes.txt", "not a profile");
  dir_.Write("profiles/Bea/game1.sav", "save");
  EXPECT_EQ(ListProfiles(), std::vector<std::string>({"Ada", "Bea", "Cy"}));

  // A folder outside the profiles survives whatever the name says.
  dir_.Write("keep/file.txt", "keep");
  EXPECT_FALSE(DeleteProfile("../keep"));
  EXPECT_TRUE(Exists("keep/file.txt"));

  ASSERT_TRUE(DeleteProfile("Bea"));
  EXPECT_FALSE(Exists("profiles/Bea"));
  EXPECT_STREQ(p.name, "");  // it was the current profile
  ASSERT_TRUE(DeleteProfile("Cy"));
  EXPECT_EQ(ListProfiles(), std::vector<std::string>({"Ada"}));
  EXPECT_FALSE(DeleteProfile("Cy"));
}

}  // namespace
