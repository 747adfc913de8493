// Starts the game program headless and ends it the way a user closes it.
#include "app/cityrun_fixture.h"

namespace {

TEST_F(CityrunTest, RunsHeadlessRefusesASecondInstanceAndEndsInOrder) {
  pid_t first = Start((dir_ / "first.log").string());
  ASSERT_TRUE(WaitForFile(dir_ / "ZKS.txt"));

  pid_t second = Start((dir_ / "second.log").string());
  int status = Wait(second);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(Read(dir_ / "second.log").find("There is already an instance"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir_ / "ZKS.txt"));  // the running instance's marker stays

  // The refusal speaks the language chosen on the command line.
  second = Start((dir_ / "german.log").string(), "L", "ger");
  status = Wait(second);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(Read(dir_ / "german.log").find("Rentopia Civano wird bereits ausgeführt."),
            std::string::npos);

  ::kill(first, SIGTERM);  // as closing the window
  status = Wait(first);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(dir_ / "ZKS.txt"));
}

TEST_F(CityrunTest, AnUncleanEndLeavesTheMarkerAndTheNextStartOffersSafeMode) {
  pid_t first = Start((dir_ / "first.log").string());
  ASSERT_TRUE(WaitForFile(dir_ / "ZKS.txt"));
  ::kill(first, SIGKILL);
  Wait(first);
  EXPECT_TRUE(fs::exists(dir_ / "ZKS.txt"));

  pid_t next = Start((dir_ / "next.log").string());
  EXPECT_TRUE(WaitForText(dir_ / "next.log", "[Safe Mode]"));
  ::kill(next, SIGINT);
  int status = 0;
  ASSERT_TRUE(WaitAtMost(next, 120, status)) << "the interrupt was lost: " << Read(dir_ / "next.log");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(dir_ / "ZKS.txt"));
}

// The city, economy, session and scripts are wired in: their chunks save and
// load, and a loaded game runs logic ticks (city, traffic, particles,
// animations, script timers) until the window is closed. A load starts the
// saved level's scripts in a new state (here the default level's, since the
// save was written before any level); they ask for an event 30 ticks on,
// which can only come from running ticks; the event shows itself by calling
// for an event nobody defined. A loaded game is not replaced by a free game.
TEST_F(CityrunTest, RunsALoadedCityAndEndsInOrder) {
  CopyCompiledData();
  fs::create_directories(dir_ / "profiles");
  Write(dir_ / "parameters" / "parameter.prm", "SAVEGAME wired\nLOADGAME wired\n");
  Write(dir_ / "parameters" / "timetable.prm", "// nobody's day\n");
  Write(dir_ / "scripts" / "gamestart" / "hub.lua", "-- nothing at game start\n");
  Write(dir_ / "scripts" / "frontend" / "hub.lua", "-- only the program's own levels\n");
  Write(dir_ / "scripts" / "default" / "hub.lua",
        "function EVENT_Probe(n) C_TriggerEvent('LogicTicksRan', 0, 0) end\n"
        "C_TriggerEvent('Probe', 30, 0)\n");

  const fs::path log = dir_ / "run.log";
  pid_t game = Start(log.string());
  ASSERT_TRUE(WaitForText(log, "File wired loaded successfully")) << Read(log);
  EXPECT_NE(Read(log).find("File wired saved successfully"), std::string::npos);
  // The main loop starts once the loading screen has been up 11 s.
  EXPECT_TRUE(WaitForText(log, "event function for LogicTicksRan", 120)) << Read(log);

  ::kill(game, SIGTERM);
  int status = Wait(game);
  ASSERT_TRUE(WIFEXITED(status)) << Read(log);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(dir_ / "ZKS.txt"));
  // The probe's is the only report.
  std::string text = Read(log);
  EXPECT_EQ(text.find("WARNING"), text.rfind("WARNING")) << text;
}

// With no save loaded the program starts the free-play level with the game's
// own scripts: the level's city has people, logic ticks run them, and a
// script ending the game through Game.End takes the people away at once.
TEST_F(CityrunTest, StartsTheFreePlayLevelAndRunsIt) {
  CopyCompiledData();
  for (const char* folder : {"scripts", "parameters"})
    fs::copy(fs::path(RC_GAME_ROOT) / folder, dir_ / folder, fs::copy_options::recursive);
  Write(dir_ / "scripts" / "freeplay" / "hub.lua",
        "function EVENT_Probe(n)\n"
        "  if People.NumberInCity() > 0 then C_TriggerEvent('PeopleAfterTicks', 0, 0) end\n"
        "  Game.End(0, 0)\n"
        "  if People.NumberInCity() == 0 then C_TriggerEvent('GameEnded', 0, 0) end\n"
        "  return 0\n"
        "end\n"
        "C_TriggerEvent('Probe', 50, 0)\n");

  const fs::path log = dir_ / "run.log";
  pid_t game = Start(log.string());
  ASSERT_TRUE(WaitForText(log, "event function for PeopleAfterTicks", 150)) << Read(log);
  EXPECT_TRUE(WaitForText(log, "event function for GameEnded")) << Read(log);

  ::kill(game, SIGTERM);
  int status = Wait(game);
  ASSERT_TRUE(WIFEXITED(status)) << Read(log);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(dir_ / "ZKS.txt"));
  // The two probes' reports (two lines each) are the only ones.
  std::string text = Read(log);
  size_t warnings = 0;
  for (size_t at = text.find("WARNING"); at != std::string::npos; at = text.find("WARNING", at + 1))
    ++warnings;
  EXPECT_EQ(warnings, 2u) << text;
  // Every asset group loaded through the cache archive, nothing missing.
  EXPECT_EQ(text.find("Missing game data"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir_ / "max" / "archive.DIR"));
}

// Screen sizes in config.cfg that no display or renderer can use are refused
// at start-up: the game says so, runs with the safe settings and writes them
// back, so the next start is sound too.
TEST_F(CityrunTest, UnusableScreenSizesFallBackToTheSafeSettings) {
  CopyCompiledData();
  for (const char* folder : {"scripts", "parameters"})
    fs::copy(fs::path(RC_GAME_ROOT) / folder, dir_ / folder, fs::copy_options::recursive);
  const char* sizes[][2] = {{"-5", "2147483647"}, {"100000", "100000"}, {"1073741824", "1"}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(size[0]);
    Write(dir_ / "config.cfg", std::string("SysSetup api D3D\nSysSetup width ") + size[0] +
                                   "\nSysSetup height " + size[1] + "\n");
    const fs::path log = dir_ / (std::string(size[0]) + ".log");
    pid_t game = Start(log.string());
    ASSERT_TRUE(WaitForText(log, "cannot be shown; the safe settings are used")) << Read(log);
    // Past the window and the renderer: the game start's scripts speak.
    ASSERT_TRUE(WaitForText(log, "console:", 20)) << Read(log);
    ::kill(game, SIGTERM);
    int status = Wait(game);
    ASSERT_TRUE(WIFEXITED(status)) << Read(log);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::string config = Read(dir_ / "config.cfg");
    EXPECT_NE(config.find("SysSetup width 640\n"), std::string::npos) << config;
    EXPECT_NE(config.find("SysSetup height 480\n"), std::string::npos) << config;
  }
}

// A display adapter that is not present (a config.cfg from another machine)
// does not stop the game: it starts on the first adapter, says so once, and
// ends in order. config.cfg keeps what the player wrote.
TEST_F(CityrunTest, AnAdapterThatIsNotPresentGivesWayToTheFirst) {
  CopyCompiledData();
  for (const char* folder : {"scripts", "parameters"})
    fs::copy(fs::path(RC_GAME_ROOT) / folder, dir_ / folder, fs::copy_options::recursive);
  for (const char* device : {"1", "-1", "2147483647"}) {
    SCOPED_TRACE(device);
    const std::string config = std::string("SysSetup api D3D\nSysSetup device ") + device + "\n";
    Write(dir_ / "config.cfg", config);
    const fs::path log = dir_ / (std::string("device") + device + ".log");
    pid_t game = Start(log.string());
    // Past the window and the renderer: the game start's scripts speak.
    ASSERT_TRUE(WaitForText(log, "console:", 120)) << Read(log);
    ::kill(game, SIGTERM);
    int status = Wait(game);
    ASSERT_TRUE(WIFEXITED(status)) << Read(log);
    EXPECT_EQ(WEXITSTATUS(status), 0) << Read(log);
    const std::string text = Read(log);
    const std::string line = std::string("The display adapter ") + device +
                             " (SysSetup device in config.cfg) is not present; the first one is used.";
    size_t lines = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++lines;
    EXPECT_EQ(lines, 1u) << text;
    // The SIGTERM may stop a start-up script, which says so; any other
    // warning is the adapter's.
    std::istringstream rows(text);
    for (std::string row; std::getline(rows, row);)
      if (row.find("WARNING") != std::string::npos)
        EXPECT_NE(row.find("the game is closing"), std::string::npos) << text;
    EXPECT_EQ(Read(dir_ / "config.cfg"), config);
  }
}

// config.cfg is read before the game's levels and scheduler exist: its game
// commands wait for the first screen and then act as a parameter file's do
// (the level starts in place of the menus, the lease is asked for).
TEST_F(CityrunTest, GameCommandsInConfigActOnceTheGameHasStarted) {
  CopyCompiledData();
  for (const char* folder : {"scripts", "parameters"})
    fs::copy(fs::path(RC_GAME_ROOT) / folder, dir_ / folder, fs::copy_options::recursive);
  Write(dir_ / "config.cfg", "SysSetup api SOFTWARE\nSTARTLEVEL 200005 0\nLEASE 0 3000\n");
  const fs::path log = dir_ / "config_commands.log";
  pid_t game = Start(log.string());
  ASSERT_TRUE(WaitForText(log, "Player 1 asks for block 0 at 3000")) << Read(log);
  ::kill(game, SIGTERM);
  Wait(game);
  const std::string text = Read(log);
  EXPECT_NE(text.find("Level 200005 started"), std::string::npos) << text;
  EXPECT_EQ(text.find("is not known"), std::string::npos) << text;
  // Read twice at start, the lines are kept once: one level, one lease.
  EXPECT_EQ(text.find("Level 200005 started"), text.rfind("Level 200005 started")) << text;
}

// A lock file that cannot be made is not taken for another instance: the
// game says what failed and ends with a failure status.
TEST_F(CityrunTest, ALockFileThatCannotBeMadeIsSaidSo) {
  fs::create_directories(dir_ / "cityrun.lock");  // in the way even of root
  const fs::path log = dir_ / "lock.log";
  int status = Wait(Start(log.string()));
  ASSERT_TRUE(WIFEXITED(status)) << Read(log);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string text = Read(log);
  EXPECT_NE(text.find("Cannot create the instance lock file"), std::string::npos) << text;
  EXPECT_NE(text.find("Is a directory"), std::string::npos) << text;
  EXPECT_EQ(text.find("already an instance"), std::string::npos) << text;
}

// A level whose event handler loops for ever (and asks to run again) does
// not hang the game: each call is stopped with a script error, and SIGTERM
// still ends the game in order while a loop runs.
TEST_F(CityrunTest, EndlessScriptLoopsAreStoppedAndSignalsStillWork) {
  CopyCompiledData();
  for (const char* folder : {"scripts", "parameters"})
    fs::copy(fs::path(RC_GAME_ROOT) / folder, dir_ / folder, fs::copy_options::recursive);
  Write(dir_ / "scripts" / "freeplay" / "hub.lua",
        "function EVENT_Spin(n) C_TriggerEvent('Spin', 1, 0) while true do end end\n"
        "C_TriggerEvent('Spin', 5, 0)\n");
  const fs::path log = dir_ / "spin.log";
  pid_t game = Start(log.string());
  ASSERT_TRUE(WaitForText(log, "ran too long", 60)) << Read(log);
  ::kill(game, SIGTERM);
  int status = 0;
  ASSERT_TRUE(WaitAtMost(game, 10, status)) << "still running 10 s after SIGTERM";
  ASSERT_TRUE(WIFEXITED(status)) << Read(log);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(dir_ / "ZKS.txt"));
}

// SIGHUP ends the game in order, as SIGTERM does; output into a pipe whose
// reader has gone does not end it at all.
TEST_F(CityrunTest, HangUpEndsInOrderAndABrokenPipeIsIgnored) {
  pid_t game = Start((dir_ / "hup.log").string());
  ASSERT_TRUE(WaitForFile(dir_ / "ZKS.txt"));
  ::kill(game, SIGHUP);
  int status = Wait(game);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(dir_ / "ZKS.txt"));

  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  game = ::fork();
  if (game == 0) {
    if (::chdir(dir_.c_str()) != 0) ::_exit(120);
    ::setenv("CITYRUN_ROOT", dir_.c_str(), 1);  // the test's folder is the game root
    ::close(pipe_ends[0]);
    ::dup2(pipe_ends[1], STDERR_FILENO);
    ::dup2(pipe_ends[1], STDOUT_FILENO);
    ::setenv("CITYRUN_HEADLESS", "1", 1);
    ::execl(CITYRUN_PATH, CITYRUN_PATH, static_cast<char*>(nullptr));
    ::_exit(121);
  }
  running_.push_back(game);
  ::close(pipe_ends[1]);
  ::close(pipe_ends[0]);  // the reader goes: every write now fails
  ASSERT_TRUE(WaitForFile(dir_ / "ZKS.txt"));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ::kill(game, SIGTERM);
  status = Wait(game);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(dir_ / "ZKS.txt"));
}

// FIFOs in place of the game's files (its settings, scripts, route table, a
// save and a recording) are refused at once: the game starts, runs the rest
// of its parameter file and ends in order instead of waiting for a writer.
TEST_F(CityrunTest, FifosInPlaceOfGameFilesAreRefused) {
  for (const char* name : {"config.cfg", "settings.ini", "profiles/memory.lua", "scripts/gamestart/hub.lua",
                           "gamedata/route_smalltable.bin", "profiles/fifo", "profiles/fifo.rec", "profiles/fifo.sav"}) {
    fs::create_directories((dir_ / name).parent_path());
    ASSERT_EQ(::mkfifo((dir_ / name).c_str(), 0644), 0) << name;
  }
  Write(dir_ / "parameters" / "parameter.prm", "LOADGAME fifo\nLOADEVENTRECORD fifo\nNEXTCOMMAND\n");
  const fs::path log = dir_ / "fifo.log";
  pid_t game = Start(log.string());
  ASSERT_TRUE(WaitForText(log, "Unrecognised command NEXTCOMMAND", 20)) << Read(log);
  ::kill(game, SIGTERM);
  int status = 0;
  ASSERT_TRUE(WaitAtMost(game, 10, status)) << "still running 10 s after SIGTERM";
  ASSERT_TRUE(WIFEXITED(status)) << Read(log);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A fatal signal writes no crash save, so the apology does not promise one.
TEST_F(CityrunTest, AFatalSignalPromisesNoCrashSave) {
  const fs::path log = dir_ / "crash.log";
  pid_t game = Start(log.string());
  ASSERT_TRUE(WaitForFile(dir_ / "ZKS.txt"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // past the start-up
  ::kill(game, SIGSEGV);
  int status = Wait(game);
  ASSERT_TRUE(WIFSIGNALED(status));
  const std::string text = Read(log);
  EXPECT_NE(text.find("has encountered an unknown error"), std::string::npos) << text;
  EXPECT_EQ(text.find("__crash.sav"), std::string::npos) << text;
}

// A game folder without its parameters, game data or language folders, or
// with a damaged route table, says so instead of running silently without.
TEST_F(CityrunTest, MissingFoldersAndADamagedRouteTableAreSaid) {
  // A bare root: not even the built models (their loss is reported too).
  for (const char* linked : {"gamedata", "gamedata2", "language"}) fs::remove_all(dir_ / linked);
  const fs::path log = dir_ / "bare.log";
  pid_t game = Start(log.string());
  for (const char* text : {"has no parameters folder", "has no gamedata folder", "has no language\\usa folder",
                           "Cannot open the route table", "game data files are missing"})
    EXPECT_TRUE(WaitForText(log, text, 20)) << text << "\n" << Read(log);
  ::kill(game, SIGTERM);
  EXPECT_TRUE(WIFEXITED(Wait(game)));

  Write(dir_ / "gamedata" / "route_smalltable.bin", "far too short");
  const fs::path damaged = dir_ / "damaged.log";
  game = Start(damaged.string());
  EXPECT_TRUE(WaitForText(damaged, "route table gamedata\\route_smalltable.bin is damaged", 20)) << Read(damaged);
  EXPECT_EQ(Read(damaged).find("has no gamedata folder"), std::string::npos);
  ::kill(game, SIGTERM);
  EXPECT_TRUE(WIFEXITED(Wait(game)));
}

// With a real sound device (OpenAL's file writer in place of a sound card)
// and the music off, an hour of the free-play level is heard: the city's
// traffic, crowds and building sites reach the mixed output. The hour runs
// at full speed; the writer mixes in real time, so the game runs on until
// some seconds are recorded.
TEST_F(CityrunTest, AGameHourIsHeardThroughTheSoundDevice) {
  CopyCompiledData();
  for (const char* folder : {"scripts", "parameters"})
    fs::copy(fs::path(RC_GAME_ROOT) / folder, dir_ / folder, fs::copy_options::recursive);
  fs::copy(fs::path(RC_GAME_ROOT) / "gamedata" / "sound", dir_ / "gamedata" / "sound", fs::copy_options::recursive);
  Write(dir_ / "config.cfg", "SysSetup music 0\n");
  // A logic hour is 625 ticks.
  Write(dir_ / "scripts" / "freeplay" / "hub.lua",
        "function EVENT_Probe(n) C_TriggerEvent('HourHeard', 0, 0) return 0 end\n"
        "C_TriggerEvent('Probe', 625, 0)\n");
  const fs::path out = dir_ / "mixed.wav";
  Write(dir_ / "alsoft.conf", "[general]\ndrivers = wave\nchannels = stereo\nsample-type = float32\n"
                              "frequency = 22050\n[wave]\nfile = " + out.string() + "\n");
  ::setenv("CITYRUN_SOUND", "openal", 1);
  ::setenv("ALSOFT_CONF", (dir_ / "alsoft.conf").c_str(), 1);
  const fs::path log = dir_ / "run.log";
  pid_t game = Start(log.string(), "FULLSPEED");
  ::unsetenv("CITYRUN_SOUND");
  ::unsetenv("ALSOFT_CONF");
  ASSERT_TRUE(WaitForText(log, "event function for HourHeard", 240)) << Read(log);
  constexpr uintmax_t kSixSeconds = 22050u * 2 * sizeof(float) * 6;
  for (int i = 0; i < 3000 && (!fs::exists(out) || fs::file_size(out) < kSixSeconds); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ::kill(game, SIGTERM);
  int status = Wait(game);
  ASSERT_TRUE(WIFEXITED(status)) << Read(log);
  EXPECT_EQ(WEXITSTATUS(status), 0);

  // The file writer's samples are 32-bit floats after the "data" chunk's header.
  const std::string bytes = Read(out);
  const size_t data = bytes.find("data");
  ASSERT_NE(data, std::string::npos) << bytes.size();
  const size_t count = (bytes.size() - data - 8) / sizeof(float);
  ASSERT_GT(count, 22050u * 2 * 5) << "fewer than five seconds recorded";
  double sum = 0, peak = 0;
  for (size_t i = 0; i < count; ++i) {
    float v = 0;
    std::memcpy(&v, bytes.data() + data + 8 + i * sizeof(float), sizeof v);
    sum += double(v) * v;
    peak = std::max(peak, std::fabs(double(v)));
  }
  const double rms = std::sqrt(sum / count);
  EXPECT_GT(peak, 0.02);
  EXPECT_GT(rms, 0.005);
}

}  // namespace

namespace {

// EDITOR on the command line: start mode 2 runs the building editor, not the
// game, and closing its preview window ends it in order.
TEST_F(CityrunTest, StartModeTwoRunsTheBuildingEditor) {
  CopyCompiledData();
  const fs::path log = dir_ / "editor.log";
  pid_t editor = Start(log.string(), "EDITOR");
  ASSERT_TRUE(WaitForText(log, "Building editor started")) << Read(log);
  ASSERT_TRUE(fs::exists(dir_ / "ZKS.txt"));
  ::kill(editor, SIGTERM);  // as closing the preview window
  int status = 0;
  ASSERT_TRUE(WaitAtMost(editor, 30, status));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(dir_ / "ZKS.txt"));
}

}  // namespace
