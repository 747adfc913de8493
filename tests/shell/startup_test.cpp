#include "shell/startup.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/memory.h"
#include "platform/message_box.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "engine/core/console.h"
#include "shell/game_loop.h"
#include "engine/files/save_game.h"
#include "shell/startup_messages.h"

namespace {

namespace fs = std::filesystem;

TEST(CommandLine, KeywordTable) {
  struct Case {
    const char* line;
    bool networkStart, hostSession;
    const char* address;
    int32_t port;
    const char* session;
    const char* language;
    bool debugStuff;
  } cases[] = {
      {"-HOST PORT 3000", true, true, "", 3000, "", "usa", false},
      {"join \"192.168.0.7\" port 4000", true, false, "192.168.0.7", 4000, "", "usa", false},
      // Without quotes the address takes the rest of the line with it.
      {"JOIN 10.0.0.1 PORT 4000 DEBUGSTUFF", true, false, "10.0.0.1", 2299, "", "usa", false},
      {"+L ger", false, false, "", 2299, "", "ger", false},
      {"L Fin,DEBUGSTUFF", false, false, "", 2299, "", "Fin", true},
      // The session name's text runs to the next comma or sign and swallows HOST.
      {"SESSIONNAME \"My Town Game\" HOST", false, false, "", 2299, "My Town Game", "usa", false},
      {"SESSIONNAME \"Dock\",HOST", true, true, "", 2299, "Dock", "usa", false},
      {"SESSIONNAME Harbour side,PORT 77", false, false, "", 77, "Harbour", "usa", false},
      {"MAXPLAYERS \"4\" HOST", true, true, "", 2299, "", "usa", false},
      {"PORT 99999 PORT x", false, false, "", 2299, "", "usa", false},
      {"JOIN \"1234567890.1234567890.1234567890\"", true, false, "1234567890.1234567890.1", 2299,
       "", "usa", false},
      {"unknown words only", false, false, "", 2299, "", "usa", false},
      // A language name that is not a plain folder name never reaches a path.
      {"L ../../etc", false, false, "", 2299, "", "usa", false},
      {"L a\\b DEBUGSTUFF", false, false, "", 2299, "", "usa", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    StartupOptions o;
    ParseCommandLine(c.line, o);
    EXPECT_EQ(o.networkStart, c.networkStart);
    EXPECT_EQ(o.hostSession, c.hostSession);
    EXPECT_STREQ(o.hostAddress, c.address);
    EXPECT_EQ(o.port, c.port);
    EXPECT_STREQ(o.sessionName, c.session);
    EXPECT_STREQ(o.languageName, c.language);
    EXPECT_EQ(o.debugStuff, c.debugStuff);
  }
}

// Our own keywords: the machines a network host waits for (1..6, anything
// else leaves 2), the computer players a start without the menus seats (0..5,
// anything else leaves it not given, -1) and full speed.
TEST(CommandLine, PlayersAndFullSpeed) {
  const std::pair<const char*, int32_t> cases[] = {
      {"HOST PLAYERS 4", 4}, {"PLAYERS 6", 6}, {"PLAYERS 1", 1}, {"PLAYERS 7", 2},
      {"PLAYERS 0", 2},      {"PLAYERS x", 2}, {"PLAYERS", 2},
  };
  for (const auto& [line, players] : cases) {
    SCOPED_TRACE(line);
    StartupOptions o;
    ParseCommandLine(line, o);
    EXPECT_EQ(o.networkPlayers, players);
    EXPECT_FALSE(o.fullSpeed);
  }
  const std::pair<const char*, int32_t> computers[] = {
      {"HOST PLAYERS 2 COMPUTERS 3", 3}, {"COMPUTERS 5", 5}, {"COMPUTERS 0", 0},
      {"COMPUTERS 6", -1},                {"COMPUTERS x", -1}, {"PLAYERS 2", -1},
  };
  for (const auto& [line, count] : computers) {
    SCOPED_TRACE(line);
    StartupOptions o;
    ParseCommandLine(line, o);
    EXPECT_EQ(o.computers, count);
  }
  StartupOptions o;
  ParseCommandLine("JOIN \"127.0.0.1\" FULLSPEED", o);
  EXPECT_TRUE(o.fullSpeed);
  EXPECT_STREQ(o.hostAddress, "127.0.0.1");
}

TEST(CommandLine, LanguageNameIsBoundedAndSelectsTexts) {
  StartupOptions o;
  std::string line = "L " + std::string(600, 'x');
  ParseCommandLine(line, o);
  EXPECT_EQ(std::string(o.languageName), std::string(kLanguageNameSize - 1, 'x'));

  StartupOptions ger;
  ParseCommandLine("L ger", ger);
  SetLanguageIndex(ger.languageName);
  EXPECT_EQ(GetLanguageIndex(), kLanguageGerman);
  ResetLanguageIndex();
}

TEST(CommandLine, ArgumentsAreJoinedWithKeywordArgumentsQuoted) {
  const char* argv[] = {"cityrun", "-JOIN", "10.1.2.3", "PORT", "3000",
                        "L", "ger", "SESSIONNAME", "Old Town"};
  std::string line = JoinCommandLine(9, argv);
  EXPECT_EQ(line, "-JOIN \"10.1.2.3\" PORT 3000 L ger SESSIONNAME \"Old Town\"");
  StartupOptions o;
  ParseCommandLine(line, o);
  EXPECT_STREQ(o.hostAddress, "10.1.2.3");
  EXPECT_EQ(o.port, 3000);
  EXPECT_STREQ(o.sessionName, "Old Town");
  EXPECT_STREQ(o.languageName, "ger");
}

TEST(InterfaceLayout, WideDisplaysUseSmallerLayouts) {
  struct {
    int32_t w, h, lw, lh;
  } cases[] = {{1280, 1024, 640, 480}, {1600, 1200, 800, 600}, {1024, 768, 1024, 768},
               {640, 480, 640, 480}, {1280, 960, 640, 480}};
  for (auto& c : cases) {
    int32_t w = 0, h = 0;
    InterfaceLayoutSize(c.w, c.h, w, h);
    EXPECT_EQ(w, c.lw) << c.w;
    EXPECT_EQ(h, c.lh) << c.w;
  }
}

class GameRootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("startup_test_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
    oldRoot_ = platform::GameRoot();
    platform::SetGameRoot(root_.string());
    oldBoxes_ = platform::SetMessageBoxBackend(
        [this](std::string_view caption, std::string_view text, platform::BoxIcon,
               platform::BoxButtons) {
          boxes_.push_back(std::string(caption) + "|" + std::string(text));
          return platform::BoxResult::Ok;
        });
  }
  void TearDown() override {
    platform::SetMessageBoxBackend(std::move(oldBoxes_));
    platform::SetGameRoot(oldRoot_);
    fs::remove_all(root_);
  }
  fs::path root_;
  std::string oldRoot_;
  std::vector<std::string> boxes_;
  platform::MessageBoxBackend oldBoxes_;
};

TEST_F(GameRootTest, MarkerIsCreatedThenFoundLeftOver) {
  EXPECT_FALSE(SafeModeMarkerExists());
  EXPECT_EQ(CheckSafeModeMarker(), MarkerState::Created);
  EXPECT_TRUE(fs::exists(root_ / "ZKS.txt"));
  // A run that did not end in order leaves it; the next start finds it and keeps it.
  EXPECT_EQ(CheckSafeModeMarker(), MarkerState::LeftOver);
  EXPECT_TRUE(SafeModeMarkerExists());
  DeleteSafeModeMarker();
  EXPECT_FALSE(SafeModeMarkerExists());
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(GameRootTest, SafeModeChoiceAppliesSafeSettingsAndWritesConfig) {
  RendererSettings savedRenderer = g_RendererSettings;
  StartupOptions savedOptions = g_StartupOptions;
  SoundSettings savedSound = g_SoundSettings;
  g_RendererSettings.width = 1600;
  g_RendererSettings.api = kApiDirect3D;

  auto old = SetSafeModeDialog([] { return 0; });
  OfferSafeMode();
  EXPECT_EQ(g_RendererSettings.width, 1600);
  EXPECT_FALSE(fs::exists(root_ / "config.cfg"));

  SetSafeModeDialog([] { return 1; });
  OfferSafeMode();
  EXPECT_EQ(g_RendererSettings.width, 640);
  EXPECT_EQ(g_RendererSettings.api, kApiSoftware);
  EXPECT_EQ(g_RendererSettings.texDetail, 0);
  EXPECT_TRUE(g_StartupOptions.noMovie);
  EXPECT_TRUE(fs::exists(root_ / "config.cfg"));

  // Headless, the offer's default is to run normally.
  SetSafeModeDialog(nullptr);
  g_RendererSettings.width = 1024;
  OfferSafeMode();
  EXPECT_EQ(g_RendererSettings.width, 1024);

  SetSafeModeDialog(std::move(old));
  g_RendererSettings = savedRenderer;
  g_StartupOptions = savedOptions;
  g_SoundSettings = savedSound;
}

TEST_F(GameRootTest, MemoryReportLogsTheRunAndEndsWithTheReports) {
  StartupOptions o;
  ParseCommandLine("-memreport", o);
  EXPECT_TRUE(o.memoryReport);

  CMemoryManager& memory = MemoryManager();
  ASSERT_TRUE(StartMemoryReport());
  ASSERT_TRUE(memory.Init(1 << 16, 16));
  void* block = memory.Alloc(40, "city.cpp", 12);
  memory.Alloc(8, "city.cpp", 13);
  memory.Free(block, "city.cpp", 14);
  FinishMemoryReport();
  EXPECT_FALSE(MemoryReportOpen());
  EXPECT_EQ(memory.GetDebugFlags(), 0);
  memory.Alloc(8, "city.cpp", 15);  // the log is closed: nothing more is written
  memory.Shutdown();

  std::ifstream in(root_ / "memreport.txt");
  std::stringstream text;
  text << in.rdbuf();
  const std::string log = text.str();
  EXPECT_EQ(log.rfind("Debug status: Activity Reporting\n", 0), 0u);
  EXPECT_NE(log.find("REQUEST TO ALLOCATE:: 40 of memory  requested at city.cpp at line 12\n"),
            std::string::npos);
  const size_t allocations = log.find("ALLOCATION ANALYSIS");
  const size_t frees = log.find("FREE ANALYSIS");
  const size_t stats = log.find("Actual memory used\t");
  EXPECT_LT(allocations, frees);
  EXPECT_LT(frees, stats);
  EXPECT_NE(stats, std::string::npos);
  EXPECT_EQ(log.find("line 15"), std::string::npos);
}

TEST_F(GameRootTest, DebugMenuItemsShowTheirInformation) {
  using namespace platform;
  ASSERT_TRUE(MemoryManager().Init(1 << 16, 16));
  MainWindowProc(WM_COMMAND, kMenuMemoryStatistics, 0);
  MainWindowProc(WM_COMMAND, kMenuRendererInformation, 0);
  MainWindowProc(WM_COMMAND, kMenuTextureStatistics, 0);
  MainWindowProc(WM_COMMAND, 40004, 0);  // not a menu item: no box
  MemoryManager().Shutdown();
  ASSERT_EQ(boxes_.size(), 3u);
  EXPECT_EQ(boxes_[0].rfind("Memory Statistics|HeapSize: 65536\nFreeTableSize: 0", 0), 0u);
  EXPECT_NE(boxes_[0].find("\nMemory in Free Blocks: 0"), std::string::npos);
  EXPECT_EQ(boxes_[1], "Renderer Information|No renderer is open.");
  EXPECT_EQ(boxes_[2], "Texture Statistics|No texture system is attached.");
  EXPECT_EQ(MainWindowProc(WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
}

TEST_F(GameRootTest, CrashGuardApologisesSavesTheRunningGameAndKeepsTheMarker) {
  struct Crash {};
  fs::create_directories(root_ / "profiles");
  RunState() = GameRunState{};
  RunState().gameRunning = true;
  EXPECT_THROW(RunGuarded([] { throw Crash{}; }), Crash);
  EXPECT_FALSE(RunState().cleanExit);
  EXPECT_TRUE(fs::exists(root_ / "profiles" / "__crash.sav"));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].rfind("WARNING!|Rentopia Civano has encountered an unknown error.", 0), 0u);
  EXPECT_NE(boxes_[0].find("__crash.sav will have been saved"), std::string::npos);

  // Without a game running nothing is saved, and the apology does not say so.
  fs::remove(root_ / "profiles" / "__crash.sav");
  RunState() = GameRunState{};
  EXPECT_THROW(RunGuarded([] { throw Crash{}; }), Crash);
  EXPECT_FALSE(fs::exists(root_ / "profiles" / "__crash.sav"));
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[1].find("__crash.sav"), std::string::npos);
  RunState() = GameRunState{};
}

TEST_F(GameRootTest, SecondInstanceIsRefused) {
  ASSERT_TRUE(AcquireInstanceMutex());
  platform::InstanceLock other;
  EXPECT_FALSE(other.AcquireForGame());
  ReleaseInstanceMutex();
  EXPECT_TRUE(other.AcquireForGame());
}

// The pause reasons and the window procedure act on the game's scheduler
// and tell the program.
class GameStateTest : public ::testing::Test {
 protected:
  // Notes what the window procedure tells the program.
  struct TestProgram : ShellProgram {
    void Run() override {}
    void Frame() override {}
    void Shutdown() override {}
    void Activate(bool active) override { activations.push_back(active); }
    void SetCursorScales(float a, float b, float c, float d) override { scales = {a, b, c, d}; }
    std::vector<bool> activations;
    std::vector<float> scales;
  };

  void SetUp() override {
    GamePauseState().Reset();
    RunState() = GameRunState{};
    GameScheduler().Init();
    RunState().interfaceTask = GameScheduler().AddTask(50.0f, [] {}, 1, true);
    RunState().logicTask = GameScheduler().AddTask(25.0f, [] {}, 10, true);
    SetShellProgram(&program);
  }
  void TearDown() override {
    SetShellProgram(nullptr);
    GamePauseState().Reset();
    RunState() = GameRunState{};
  }
  bool LogicEnabled() { return GameScheduler().Task(RunState().logicTask).enabled != 0; }

  TestProgram program;
};

TEST_F(GameStateTest, PauseReasonsNest) {
  CGamePauseState& pause = GamePauseState();
  EXPECT_TRUE(LogicEnabled());
  pause.RemoveReason(0);  // at 0: nothing changes
  EXPECT_EQ(pause.Count(0), 0);
  EXPECT_FALSE(pause.Paused());

  pause.AddReason(0);
  pause.AddReason(0);
  pause.AddReason(3);
  EXPECT_TRUE(pause.Paused());
  EXPECT_FALSE(LogicEnabled());
  EXPECT_TRUE(GameScheduler().Task(RunState().interfaceTask).enabled);
  pause.RemoveReason(0);
  pause.RemoveReason(3);
  EXPECT_TRUE(pause.Paused());
  pause.RemoveReason(0);
  EXPECT_FALSE(pause.Paused());
  EXPECT_TRUE(LogicEnabled());

  pause.AddReason(2);
  pause.AddReason(2);
  pause.ClearReason(2);
  EXPECT_EQ(pause.Count(2), 0);
  EXPECT_FALSE(pause.Paused());
  pause.AddReason(7);  // out of range: a warning, nothing else
  EXPECT_FALSE(pause.Paused());
}

TEST_F(GameStateTest, ActivationMessagesTellTheProgram) {
  using namespace platform;
  MainWindowProc(WM_ACTIVATE, MakeParam(WA_ACTIVE, 1), 0);  // minimised: deactivates
  EXPECT_FALSE(RunState().appActive);
  MainWindowProc(WM_ACTIVATE, MakeParam(WA_ACTIVE, 0), 0);
  EXPECT_TRUE(RunState().appActive);
  EXPECT_TRUE(RunState().drawingEnabled);
  MainWindowProc(WM_NCACTIVATE, 1, 0);
  EXPECT_EQ(program.activations, (std::vector<bool>{false, true, true}));
}

TEST_F(GameStateTest, WindowProcedureHandlesCloseSizeAndDoubleClick) {
  using namespace platform;
  std::vector<float>& scales = program.scales;
  RendererSettings saved = g_RendererSettings;
  g_RendererSettings.windowed = 1;
  g_RendererSettings.width = 640;
  g_RendererSettings.height = 480;
  MainWindowProc(WM_SIZE, SIZE_MINIMIZED, 0);  // no client area: ignored
  EXPECT_TRUE(scales.empty());
  MainWindowProc(WM_SIZE, SIZE_RESTORED, MakeParam(1280, 960));
  EXPECT_EQ(scales, (std::vector<float>{0.5f, 0.5f, 0.5f, 0.5f}));

  MainWindowProc(WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
  EXPECT_TRUE(RunState().doubleClick);
  MainWindowProc(WM_MOUSEMOVE, 0, 0);
  EXPECT_FALSE(RunState().doubleClick);

  RunState().drawingEnabled = true;
  MainWindowProc(WM_CLOSE, 0, 0);
  EXPECT_TRUE(RunState().quit);
  EXPECT_FALSE(RunState().drawingEnabled);
  // After the close request activation changes nothing.
  MainWindowProc(WM_ACTIVATE, MakeParam(WA_INACTIVE, 0), 0);
  EXPECT_EQ(program.activations.size(), 0u);
  g_RendererSettings = saved;
}

// Pointer positions arrive in window pixels; a full-screen window covers the
// display whatever size the game draws at.
TEST_F(GameStateTest, CursorScalesFollowTheWindowNotTheDrawingSize) {
  struct Case {
    uint8_t windowed;
    int32_t width, height, displayWidth, displayHeight;
    std::vector<float> scales;
  } cases[] = {
      {0, 640, 480, 1024, 768, {0.625f, 0.625f, 0.625f, 0.625f}},
      {0, 1024, 768, 1024, 768, {0.625f, 0.625f, 1.0f, 1.0f}},
      {0, 640, 480, 640, 480, {1.0f, 1.0f, 1.0f, 1.0f}},
      {0, 800, 600, 1280, 1024, {0.5f, 0.46875f, 0.625f, 0.5859375f}},
      {1, 640, 480, 1024, 768, {1.0f, 1.0f, 1.0f, 1.0f}},
      {1, 1024, 768, 1280, 1024, {0.625f, 0.625f, 1.0f, 1.0f}},
  };
  RendererSettings saved = g_RendererSettings;
  for (const Case& c : cases) {
    platform::DisplaySizeQuery old = platform::SetDisplaySizeQuery([&](int32_t& w, int32_t& h) {
      w = c.displayWidth;
      h = c.displayHeight;
    });
    g_RendererSettings = RendererSettings{};
    g_RendererSettings.api = kApiDirect3D;  // no renderer registered: the window alone
    g_RendererSettings.windowed = c.windowed;
    g_RendererSettings.width = c.width;
    g_RendererSettings.height = c.height;
    program.scales.clear();
    CreateRenderer(g_RendererSettings);
    EXPECT_EQ(program.scales, c.scales) << int(c.windowed) << " " << c.width << " on " << c.displayWidth;
    DestroyMainWindow();
    platform::SetDisplaySizeQuery(std::move(old));
  }
  g_RendererSettings = saved;
}

}  // namespace

// A language without its folder is played in English, said once on the
// console; one with its folder keeps it, and its start-up messages either way.
TEST_F(GameRootTest, AMissingLanguageFolderFallsBackToEnglish) {
  std::vector<std::string> lines;
  ConsoleSink old = SetConsoleSink([&](std::string_view text, int) { lines.emplace_back(text); });
  fs::create_directories(root_ / "language" / "usa");
  fs::create_directories(root_ / "language" / "f");
  const std::pair<const char*, const char*> cases[] = {
      {"ger", "usa"}, {"f", "f"}, {"usa", "usa"}};
  for (const auto& [asked, played] : cases) {
    StartupOptions o;
    ParseCommandLine(std::string("L ") + asked, o);
    SettleLanguageFolder(o);
    EXPECT_STREQ(o.languageName, played) << asked;
  }
  SetConsoleSink(std::move(old));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("language\\ger"), std::string::npos) << lines[0];
}

// CITYRUN_ROOT names the game root; a folder that does not exist is passed
// over for the program's own folder.
TEST_F(GameRootTest, TheRootComesFromTheEnvironmentElseTheProgramsFolder) {
  std::vector<std::string> lines;
  ConsoleSink old = SetConsoleSink([&](std::string_view text, int) { lines.emplace_back(text); });
  ::setenv("CITYRUN_ROOT", root_.c_str(), 1);
  SettleGameRoot();
  EXPECT_EQ(platform::GameRoot(), root_.string());
  ::setenv("CITYRUN_ROOT", (root_ / "missing").c_str(), 1);
  SettleGameRoot();
  ::unsetenv("CITYRUN_ROOT");
  SetConsoleSink(std::move(old));
  EXPECT_EQ(platform::GameRoot(), platform::ProgramFolder());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("missing"), std::string::npos);
}
