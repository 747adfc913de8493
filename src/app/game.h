#pragma once
// The game root: the one object that starts, runs, resets, loads and shuts
// down the game by calling each subsystem in order. Every sequence is written
// out in game.cpp, top to bottom; nothing registers steps. The shell
// (src/shell) runs it: WinMain calls Run, the main loop calls Frame, the
// window procedure calls Activate and Paint.
//
// Where the subsystems plug in (see DEVELOPERS.md): the frame draw of the
// world (src/visuals) and of the interface (src/ui) in DrawFrame; the
// interface's input in InterfaceTask, its panel refresh in PanelRefreshTask,
// its hover tests in HoverTask; what the simulation tells the interface and
// sound (the game events) in DrainGameEvents, once per frame; sound opens
// and closes in Start and Shutdown beside the renderer; the front end's
// screens replace StartFirstScreen.
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "shell/startup.h"
#include "ui/game_requests.h"

struct ScenarioEntry;
struct AuctionEvent;
using LevelEntry = ScenarioEntry;

// Payload alignment of the game's heap (the game and the editor): models and
// records hold 8-byte fields, so 16 keeps every allocation aligned for them.
inline constexpr uint32_t kGameHeapAlignment = 16;

class Game final : public ShellProgram {
 public:
  // Once, before WinMain: the random streams' order, the renderer
  // factories, the console commands config.cfg may use, sound's sources.
  void Prepare();
  // The platform's intro movie player, run first in Start (none: no movie).
  void SetIntroMovie(std::function<void()> play) { introMovie_ = std::move(play); }
  // A fixed seed for single-player games (the city report's repeatable runs);
  // without one each game draws from the clock.
  void SetNewGameSeed(std::optional<uint32_t> seed) { newGameSeed_ = seed; }

  // ShellProgram: start, the main loop and shutdown; one frame; the window.
  void Run() override;
  // Start mode 2: the building editor (building_editor_mode.cpp).
  void RunBuildingEditor() override;
  void Frame() override;
  void Shutdown() override;
  void Activate(bool active) override;
  void Paint() override;
  void SetCursorScales(float s1x, float s1y, float s2x, float s2y) override;
  bool HardwareCursor() const override;
  bool PassMovedGameOn() const override { return passMovedGameOn_; }

  // Builds every system up to the first screen.
  void Start();
  // The simulation and what the game root connects to it (part of Start;
  // tests without a window call it, then RunStartupFiles).
  void StartSimulation();
  // The end of StartSimulation's work: the game state reset, the city's
  // entities released (part of Shutdown; tests without a window call it
  // before they release the engine).
  void ReleaseSimulation();
  // The start-up's scripts and parameter files, in the program's order (part
  // of Start, after StartSimulation). False when a script failed; the files
  // are read all the same.
  bool RunStartupFiles();
  // The first screen once started (part of Start; tests without a window
  // call it after StartSimulation).
  void StartFirstScreen();
  // Starts a game of the level (null: the default level, no city of its own).
  void NewGame(const LevelEntry* level);
  // Loads "profiles\<profile>\<name>": the file is read and checked, then the
  // game is reset and the saved state applied. A bad file changes nothing.
  bool Load(std::string_view name);
  // Saves as "profiles\<profile>\<name>" under a name a player may give
  // (PlayerSaveName); any other is refused with a report.
  bool Save(std::string_view name);
  // Ends the running game: finished, and the outcome (1 won).
  void EndGame(bool finished, int32_t outcome);
  // The one reset of the game state (game.cpp): NewGame and Load begin with
  // it, and every test that runs a game calls it.
  void Reset();

  // The scheduler's four tasks.
  static void PanelRefreshTask();
  static void HoverTask();
  static void InterfaceTask();
  static void LogicTask();
  // What the simulation told since the last frame, to the interface and to
  // sound (once per frame; tests call it between ticks).
  void DrainGameEvents();
  // What the interface asked of the game since the last frame (the menus'
  // and panels' GameRequests), applied in order, once per frame after the
  // events; tests call it after a click.
  void DrainGameRequests();
  // One auction event to the auction room's figures.
  static void ShowAuctionEvent(const AuctionEvent& event);

 private:
  void ResetKeepingNetworkSession();
  void DrawFrame();
  void Apply(const StartLevelRequest& request);
  void Apply(const EndGameRequest& request);
  void Apply(const SaveGameRequest& request);
  void Apply(const LoadGameRequest& request);
  void Apply(const QuitRequest& request);
  void Apply(const FlybyRequest& request);
  void Apply(const MenuKeyRequest& request);
  void Apply(const ShowStatisticsRequest& request);
  bool FrameWanted();

  bool running_ = false;  // between Start and Shutdown
  uint32_t lastHeadlessDraw_ = 0;  // clock time of the last frame drawn headless
  uint32_t lastDrawMs_ = 0;        // how long the last frame took to draw
  bool passMovedGameOn_ = false;   // the last Frame ran a logic tick
  std::function<void()> introMovie_;
  std::optional<uint32_t> newGameSeed_;
};

// The program's one game.
Game& TheGame();
// LOADGAME and SAVEGAME (the game root's load and save) and the input
// recording commands.
void AttachGameConsoleCommands();
// Fixes the random streams' order (engine, city and economy, scripts). Called
// before anything else touches a stream.
void RegisterRandomStreams();
