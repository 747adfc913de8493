// The game program among damaged, hostile or colliding files: nothing the
// player saved is lost, and what cannot be used is said once.
#include "app/cityrun_fixture.h"

namespace {

class CityrunFilesTest : public CityrunTest {
 protected:
  // The game's own scripts and parameters, the compiled data, and profile
  // bob as the remembered one.
  void GameWithProfile() {
    CopyCompiledData();
    for (const char* folder : {"scripts", "parameters"})
      fs::copy(fs::path(RC_GAME_ROOT) / folder, dir_ / folder, fs::copy_options::recursive);
    Write(dir_ / "profiles" / "memory.lua", "ProfileName = \"bob\"");
    Write(dir_ / "profiles" / "bob" / "settings.lua", "MusicVolume = 40\n");
  }
  void AppendParameters(const std::string& lines) {
    std::ofstream(dir_ / "parameters" / "parameter.prm", std::ios::app) << "\n" << lines;
  }
  // Runs the game until `text` is in its log, then closes it as a user does.
  std::string RunUntil(const std::string& name, const std::string& text, int seconds = 120) {
    const fs::path log = dir_ / (name + ".log");
    pid_t game = Start(log.string());
    EXPECT_TRUE(WaitForText(log, text, seconds)) << Read(log);
    ::kill(game, SIGTERM);
    int status = 0;
    EXPECT_TRUE(WaitAtMost(game, 30, status)) << "still running 30 s after SIGTERM";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << Read(log);
    return Read(log);
  }
  bool IsSave(const fs::path& p) {
    const std::string bytes = Read(p);
    return bytes.size() > 100000 && bytes.find("ProfileName") == std::string::npos;
  }
};

// A save may take any plain name but those of the game's own files in the
// profile's folder; temporaries (of saves, recordings and the profile) never
// stand where a save can. Each save below outlives the writes that used to
// take its name, and a second start still finds its profile and its saves.
TEST_F(CityrunFilesTest, SavesAndTheGamesOwnFilesNeverTakeEachOthersNames) {
  GameWithProfile();
  // memory.lua and settings.lua are the game's; the parameter file runs
  // before the profile is chosen, so that save would go to profiles\ itself.
  AppendParameters(
      "SAVEGAME memory.lua\n"
      "WHEN TICK 20 SAVEGAME x.rec.tmp\n"
      "WHEN TICK 20 SAVEGAME settings.lua.tmp\n"
      "WHEN TICK 20 SAVEGAME SETTINGS.LUA\n"
      "WHEN TICK 20 SAVEGAME .hidden\n"
      "WHEN TICK 21 SAVEGAME y\n"
      "WHEN TICK 22 SAVEEVENTRECORD x\n"
      "WHEN TICK 23 SAVEGAME done\n");
  const std::string first = RunUntil("first", "File done saved successfully");
  for (const char* refused : {"memory.lua", "SETTINGS.LUA", ".hidden"})
    EXPECT_NE(first.find(std::string("File ") + refused + " could not be saved: a save may not take that name"),
              std::string::npos)
        << refused << "\n" << first;
  const fs::path bob = dir_ / "profiles" / "bob";
  EXPECT_TRUE(IsSave(bob / "x.rec.tmp"));
  EXPECT_TRUE(IsSave(bob / "settings.lua.tmp"));
  EXPECT_TRUE(fs::exists(bob / "x.rec"));
  EXPECT_EQ(Read(dir_ / "profiles" / "memory.lua"), "ProfileName = \"bob\"");
  EXPECT_NE(Read(bob / "settings.lua").find("MusicVolume = "), std::string::npos) << Read(bob / "settings.lua");
  for (const auto& entry : fs::recursive_directory_iterator(dir_ / "profiles"))
    EXPECT_NE(entry.path().filename().string().front(), '.') << "a temporary was left: " << entry.path();

  fs::copy(fs::path(RC_GAME_ROOT) / "parameters" / "parameter.prm", dir_ / "parameters" / "parameter.prm",
           fs::copy_options::overwrite_existing);
  AppendParameters("WHEN TICK 10 LOADGAME x.rec.tmp\nWHEN TICK 10 LOADGAME settings.lua.tmp\n");
  const std::string second = RunUntil("second", "File settings.lua.tmp loaded");
  EXPECT_NE(second.find("File x.rec.tmp loaded successfully"), std::string::npos) << second;
  EXPECT_NE(second.find("File settings.lua.tmp loaded successfully"), std::string::npos) << second;
  EXPECT_EQ(second.find("did not run"), std::string::npos) << second;
}

}  // namespace

namespace {

// Music tracks that are FIFOs (on a real sound device, which opens them) are
// skipped at once: the level's ticks run on.
TEST_F(CityrunFilesTest, FifosInPlaceOfTheMusicAreSkipped) {
  CopyCompiledData();
  for (const char* folder : {"scripts", "parameters"})
    fs::copy(fs::path(RC_GAME_ROOT) / folder, dir_ / folder, fs::copy_options::recursive);
  fs::copy(fs::path(RC_GAME_ROOT) / "gamedata" / "sound", dir_ / "gamedata" / "sound", fs::copy_options::recursive);
  for (const auto& track : fs::directory_iterator(dir_ / "gamedata" / "sound" / "music")) {
    if (track.path().extension() != ".wma") continue;
    fs::remove(track.path());
    ASSERT_EQ(::mkfifo(track.path().c_str(), 0644), 0) << track.path();
  }
  Write(dir_ / "scripts" / "freeplay" / "hub.lua",
        "function EVENT_Probe(n) C_TriggerEvent('TicksRanPastTheMusic', 0, 0) return 0 end\n"
        "C_TriggerEvent('Probe', 50, 0)\n");
  Write(dir_ / "alsoft.conf", "[general]\ndrivers = wave\n[wave]\nfile = " + (dir_ / "mixed.wav").string() + "\n");
  ::setenv("CITYRUN_SOUND", "openal", 1);
  ::setenv("ALSOFT_CONF", (dir_ / "alsoft.conf").c_str(), 1);
  RunUntil("music", "event function for TicksRanPastTheMusic");
  ::unsetenv("CITYRUN_SOUND");
  ::unsetenv("ALSOFT_CONF");
}

}  // namespace
