#pragma once
// The program's entry and outermost frame: the order of start-up, the command
// line, the single-instance guard, the safe-mode marker, the main window and
// its procedure, the renderer choice and the crash guard.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "engine/core/system_settings.h"

class CRenderer;

// What the shell runs: the game root (src/app). The shell owns start-up, the
// window procedure and the main loop; everything the program does happens in
// these calls.
class ShellProgram {
 public:
  virtual ~ShellProgram() = default;
  // Start, the main loop (RunMainLoop) and shutdown.
  virtual void Run() = 0;
  // Start mode 2: the building editor, its loop and shutdown.
  virtual void RunBuildingEditor() {}
  // One main-loop pass after the window messages.
  virtual void Frame() = 0;
  // Closes everything Run opened, in order; safe to call more than once
  // (the crash guard calls it).
  virtual void Shutdown() = 0;
  // The window gained (true) or lost the focus.
  virtual void Activate(bool /*active*/) {}
  // WM_PAINT: draw one frame.
  virtual void Paint() {}
  // The input device's cursor scales: (640 / width, 480 / height) and the
  // second pair, given when the window is made or resized.
  virtual void SetCursorScales(float /*s1x*/, float /*s1y*/, float /*s2x*/, float /*s2y*/) {}
  // The music notification (the private window message).
  virtual void MusicNotify(uint64_t /*wparam*/, int64_t /*lparam*/) {}
  // Whether the profile wants the hardware cursor (then the window leaves the
  // system cursor alone).
  virtual bool HardwareCursor() const { return false; }
  // Whether the last pass moved the game on (ran a logic tick). A headless
  // loop at full speed goes straight on after such a pass and rests only
  // after an idle one (paused, or waiting for the network).
  virtual bool PassMovedGameOn() const { return false; }
};

// The game root of the program: the folder CITYRUN_ROOT names when set
// (tests and development runs from a copy of the game), else the folder the
// installation's settings beside the program store as Path (a relative one
// taken from the program's folder), else the program's own folder. A
// CITYRUN_ROOT that is no folder, and a Path that holds no game data (its
// parameters and gamedata folders), are passed over with one console line
// saying why. cityrun calls it before anything is read.
void SettleGameRoot();
// The language folder: a language whose language\<name> folder is missing is
// played in English ("usa"), with one line on the console. The start-up
// messages keep the language asked for.
void SettleLanguageFolder(StartupOptions& options);

// The program: start-up, the game and shutdown. Returns the exit code.
int WinMain(std::string_view commandLine, ShellProgram& program);
// The program the window procedure and the crash guard talk to (WinMain sets
// it; tests may set their own). Null when none.
void SetShellProgram(ShellProgram* program);
ShellProgram* CurrentShellProgram();

// The command line as one text from the program's arguments. Arguments that
// the keywords JOIN, MAXPLAYERS and SESSIONNAME take, and any with blanks,
// are put back in double quotes, as the user typed them.
std::string JoinCommandLine(int argc, const char* const* argv);
// Fills the start-up options from the command line.
void ParseCommandLine(std::string_view text, StartupOptions& options);

// The interface layout for a display size: 1280 wide gives 640 x 480, 1600
// wide 800 x 600, any other the display size itself.
void InterfaceLayoutSize(int32_t displayWidth, int32_t displayHeight, int32_t& width,
                         int32_t& height);

// ---- Safe-mode marker -------------------------------------------------------

// The marker's game name: present while a run is in progress or after one
// that did not end in order.
inline constexpr std::string_view kSafeModeMarkerName = "ZKS.txt";

enum class MarkerState { Created, LeftOver, Unwritable };
// Present: the last run did not end in order (the marker stays). Absent: it
// is created (a warning when that fails).
MarkerState CheckSafeModeMarker();
void DeleteSafeModeMarker();
bool SafeModeMarkerExists();

// The safe-mode offer: 0 run normally, 1 software safe mode, 2 Direct3D
// safe mode. Default: a choice box with the start-up messages' texts, which
// headless takes the "No" choice.
using SafeModeDialog = std::function<int()>;
SafeModeDialog SetSafeModeDialog(SafeModeDialog dialog);
// Runs the offer and applies a safe choice (settings and config.cfg).
void OfferSafeMode();
// The safe settings: 640 x 480 x 16, device 0, low detail, no movie, sound
// off on the primary device; the software renderer or Direct3D.
void ApplySafeModeSettings(bool software);

// ---- Instance guard ---------------------------------------------------------

// Takes the single-instance lock; false when another instance holds it.
bool AcquireInstanceMutex();
void ReleaseInstanceMutex();

// ---- Window -----------------------------------------------------------------

// Creates the renderer named by the settings' API (when its factory exists),
// then the main window, and opens the renderer on it.
void CreateRenderer(RendererSettings& settings);
// The renderer's fixed set-up for the game (field of view, depth range, clear).
void ConfigureRendererForGame();
void CreateMainWindow();
void ShowMainWindow();
void RaiseMainWindow();
// Shows or hides the window system's pointer over the main window (the
// hardware cursor; the game draws its own otherwise).
void ShowSystemCursor(bool show);
// Closes the renderer and the window and sets the quit flag.
void DestroyMainWindow();
// The text of the debug information box that a debug-menu item opens
// (renderer information, memory statistics, texture statistics), or empty
// for any other command.
std::string DebugInformationText(uint32_t command);
// Gives the focus to a pending window and dispatches every queued message.
void PumpMessages();
// Between two loading steps: the queued messages, then whether the game is to
// close (the window's close, SIGTERM). A start told so stops loading and
// ends; nothing is half loaded, since no step is cut.
bool CloseAskedWhileLoading();
int64_t MainWindowProc(uint32_t message, uint64_t wparam, int64_t lparam);
// The window system's handle of the main window (null headless or closed).
void* MainWindowHandle();
bool MainWindowExists();

using RendererFactory = std::function<std::unique_ptr<CRenderer>()>;
// Installs the factory for one API value (0 Direct3D, 2 software, 3 test).
void SetRendererFactory(int32_t api, RendererFactory factory);
bool HasRendererFactory(int32_t api);
CRenderer* CurrentRenderer();

// Removes the hidden temporaries that writes cut short by a killed process
// left in the game's own folders (profiles\, each profile's folder, and
// config.cfg's in the root), with one console line when there were any.
// Called once the instance lock is held: no other game writes there then.
void RemoveCutShortWrites();
// The folders the game start reads from (parameters, gamedata, the
// language's); without one the game runs on built-in values, which is said
// once here rather than never.
void ReportMissingFolders();

// ---- Crash guard --------------------------------------------------------------

// Runs the game; an exception that escapes is met with the apology, a crash
// save when a game runs, the program's shutdown and a kept marker, then
// re-thrown. A fatal
// signal logs the apology and keeps the marker.
void RunGuarded(const std::function<void()>& game);
void InstallFatalSignalHandlers();
