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
  std::string RunUntil(const std::string& name, const std::string& text, int seconds = 120,
                       const char* arg = nullptr, const char* arg2 = nullptr) {
    const fs::path log = dir_ / (name + ".log");
    pid_t game = Start(log.string(), arg, arg2);
    EXPECT_TRUE(WaitForText(log, text, seconds)) << Read(log);
    ::kill(game, SIGTERM);
    int status = 0;
    EXPECT_TRUE(WaitAtMost(game, 30, status)) << "still running 30 s after SIGTERM";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << Read(log);
    return Read(log);
  }
  static size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }
  bool IsSave(const fs::path& p) {
    const std::string bytes = Read(p);
    return bytes.size() > 100000 && bytes.find("ProfileName") == std::string::npos;
  }
};

// A save may take any plain name but those of the game's own files in the
// profile's folder (the profile's, and the recorder's recordings and start
// save); temporaries (of saves, recordings and the profile) never stand
// where a save can. Each save below outlives the writes that used to take
// its name, and a second start still finds its profile and its saves.
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
      "WHEN TICK 20 SAVEGAME x.rec\n"
      "WHEN TICK 20 SAVEGAME __REC.SAV\n"
      "WHEN TICK 21 SAVEGAME y\n"
      "WHEN TICK 22 SAVEEVENTRECORD x\n"
      "WHEN TICK 23 SAVEGAME done\n");
  const std::string first = RunUntil("first", "File done saved successfully");
  for (const char* refused : {"memory.lua", "SETTINGS.LUA", ".hidden", "x.rec", "__REC.SAV"})
    EXPECT_NE(first.find(std::string("File ") + refused + " could not be saved: a save may not take that name"),
              std::string::npos)
        << refused << "\n" << first;
  const fs::path bob = dir_ / "profiles" / "bob";
  EXPECT_TRUE(IsSave(bob / "x.rec.tmp"));
  EXPECT_TRUE(IsSave(bob / "settings.lua.tmp"));
  // No recording has started: the recorder writes nothing at all.
  EXPECT_NE(first.find("Error. File __rec.sav could not be loaded"), std::string::npos) << first;
  for (const char* none : {"x.rec", "x.sav", "__rec.sav", "__REC.SAV"}) EXPECT_FALSE(fs::exists(bob / none)) << none;
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

// A write cut short (the game killed while it saves) leaves its hidden
// temporary; the next start removes those of the game's own files, by their
// whole form, and nothing else: a player's own hidden files stay. A save that fails again and again (the daily autosave on a
// full disk; a folder stands in its place here) is shown once, then logged
// with its count.
TEST_F(CityrunFilesTest, CutShortWritesAreClearedAndARepeatedSaveFailureIsShownOnce) {
  GameWithProfile();
  const fs::path bob = dir_ / "profiles" / "bob";
  const std::string bytes(4000, 's');
  const fs::path stale[] = {bob / ".cyc.cityrun-9rpIFf", dir_ / "profiles" / ".memory.lua.cityrun-AbC123",
                            dir_ / ".config.cfg.cityrun-Zz09Aa"};
  // The player's own hidden files, beside the game's or in its folders.
  const fs::path kept[] = {bob / "cyc",
                           dir_ / ".notes.backup",
                           dir_ / ".readme.txt.cityrun-AbCdEf",
                           dir_ / "profiles" / ".notes.backup",
                           bob / ".diary.txt.draft1",
                           bob / ".cyc.9rpIFf"};
  for (const fs::path& p : stale) Write(p, bytes);
  for (const fs::path& p : kept) Write(p, bytes);
  fs::create_directories(bob / "autosave.sav");

  const std::string log = RunUntil("autosave", "(3 times in a row)", 240, "FULLSPEED");
  EXPECT_EQ(Count(log, "Removed 3 unfinished files"), 1u) << log;
  for (const fs::path& p : stale) EXPECT_FALSE(fs::exists(p)) << p;
  for (const fs::path& p : kept) EXPECT_EQ(Read(p), bytes) << p;
  EXPECT_EQ(Count(log, "[WARNING!] Error occurred whilst writing game data to"), 1u) << log;
  EXPECT_EQ(Count(log, "autosave.sav: Is a directory (2 times in a row)"), 1u) << log;
}

// A board whose own (English) bank was deleted is named once, never dropped
// without a word: a game in a language the board is translated into plays it
// with the translation's texts (its board.prm runs); an English game leaves
// it out.
TEST_F(CityrunFilesTest, ABoardWithoutItsOwnBankIsNamedOnce) {
  GameWithProfile();
  // The game's fonts and boards as a copy of this game's own, to damage.
  fs::remove(dir_ / "gamedata" / "fonts");
  fs::copy(fs::path(RC_GAME_ROOT) / "gamedata" / "fonts", dir_ / "gamedata" / "fonts", fs::copy_options::recursive);
  const fs::path usa = dir_ / "gamedata" / "fonts" / "board" / "usa";
  for (const char* bank : {"civano.off", "civano.bin"}) ASSERT_TRUE(fs::remove(usa / bank));
  std::ofstream(usa / "board.prm", std::ios::app) << "\nSAVEGAME fromboard\n";
  AppendParameters("WHEN TICK 20 SAVEGAME done\n");
  const struct {
    const char* language;  // nullptr: English
    const char* line;
    bool boardRuns;
  } cases[] = {
      {"ger", "The text bank gamedata\\fonts\\board\\usa\\civano cannot be read; the board's texts its "
              "translation lacks are empty.", true},
      {nullptr, "The text bank gamedata\\fonts\\board\\usa\\civano cannot be read; the board usa is left out.",
       false},
  };
  for (const auto& c : cases) {
    const std::string log =
        RunUntil(c.language ? c.language : "usa", "File done saved successfully", 120, c.language ? "L" : nullptr,
                 c.language);
    EXPECT_EQ(Count(log, "civano cannot be read"), 1u) << log;
    EXPECT_EQ(Count(log, c.line), 1u) << log;
    EXPECT_EQ(log.find("fromboard") != std::string::npos, c.boardRuns) << log;
  }
}

// An installed game (no CITYRUN_ROOT) takes settings.ini's Path as its root
// only when that folder holds the game's data, and reads a relative Path from
// the program's folder, never the working one (whose parent looks like a
// game here). Otherwise the program's own folder is the root, with one line.
TEST_F(CityrunFilesTest, TheInstallationsPathIsTakenOnlyWhenItHoldsTheGame) {
  const fs::path install = dir_ / "a" / "install";
  fs::create_directories(install);
  std::error_code ec;
  fs::create_hard_link(CITYRUN_PATH, install / "cityrun", ec);
  if (ec) fs::copy_file(CITYRUN_PATH, install / "cityrun");
  LinkGameData(install);
  for (const char* folder : {"scripts", "parameters"})
    fs::create_directory_symlink(fs::path(RC_GAME_ROOT) / folder, install / folder);
  // "hollow" has the game's folders, empty (an uninstaller's leftovers);
  // "other" a game: its scripts and parameters.
  for (const char* folder : {"w/sub", "w/parameters", "w/gamedata", "a/other/gamedata", "a/empty", "a/hollow/parameters",
                             "a/hollow/gamedata"})
    fs::create_directories(dir_ / folder);
  for (const char* folder : {"scripts", "parameters"})
    fs::create_directory_symlink(fs::path(RC_GAME_ROOT) / folder, dir_ / "a" / "other" / folder);
  const struct {
    std::string path;
    fs::path root;
    const char* why;  // nullptr: taken
  } cases[] = {
      {(dir_ / "a" / "empty").string(), install, "holds no game data (no parameters\\parameter.prm)"},
      {(dir_ / "a" / "hollow").string(), install, "holds no game data (no parameters\\parameter.prm)"},
      {"..", install, "holds no game data"},
      {"..\\other", dir_ / "a" / "other", nullptr},
      {(dir_ / "missing").string(), install, "does not exist"},
      {(install / "cityrun").string(), install, "is not a folder"},
  };
  for (const auto& c : cases) {
    Write(install / "settings.ini", "[Rentopia Civano]\nPath=" + c.path + "\n");
    for (const fs::path& root : {install, dir_ / "w", dir_ / "a" / "other", dir_ / "a" / "empty", dir_ / "a" / "hollow"})
      fs::remove(root / "cityrun.lock");
    const fs::path log = dir_ / "path.log";
    const pid_t game = StartProgram(install / "cityrun", dir_ / "w" / "sub", log.string(), {}, "");
    for (int i = 0; i < 12000 && !fs::exists(c.root / "cityrun.lock"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ::kill(game, SIGKILL);
    Wait(game);
    const std::string text = Read(log);
    EXPECT_TRUE(fs::exists(c.root / "cityrun.lock")) << c.path << "\n" << text;
    EXPECT_EQ(Count(text, "(the installation's Path)"), c.why ? 1u : 0u) << c.path << "\n" << text;
    if (c.why) {
      EXPECT_NE(text.find(c.why), std::string::npos) << c.path << "\n" << text;
    }
    EXPECT_FALSE(fs::exists(dir_ / "w" / "cityrun.lock")) << c.path;
    EXPECT_TRUE(fs::is_empty(dir_ / "a" / "empty")) << c.path;
    size_t hollowEntries = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir_ / "a" / "hollow")) {
      EXPECT_TRUE(entry.is_directory()) << c.path << ": " << entry.path();
      ++hollowEntries;
    }
    EXPECT_EQ(hollowEntries, 2u) << c.path;
  }
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
