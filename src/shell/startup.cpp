#include "shell/startup.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <map>

#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/render/renderer.h"
#include "engine/scene/texture.h"
#include "platform/choice_box.h"
#include "platform/input.h"
#include "platform/instance_lock.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "platform/window.h"
#include "engine/core/command_script.h"
#include "engine/core/config_file.h"
#include "engine/core/console.h"
#include "shell/game_loop.h"
#include "engine/files/save_game.h"
#include "shell/setup_dialogs.h"
#include "shell/startup_messages.h"

namespace {

constexpr const char* kWindowTitle = "Rentopia Civano";
constexpr const char* kBlockEditorTitle = "Civano Block Editor";
// The crash apology; the sentence about __crash.sav is said only when one
// was written (a caught exception during a game), never after a fatal signal.
constexpr const char* kCrashApologyStart =
    "Rentopia Civano has encountered an unknown error. Attempting to shutdown gracefully.";
constexpr const char* kCrashSaveWritten = " A file called __crash.sav will have been saved.";
constexpr const char* kCrashApologyEnd =
    "\nWhen you run Rentopia Civano again you will be asked if you wish to run in safe mode or "
    "not.\nPlease see the readme file for more details.";

struct ShellWindowState {
  std::unique_ptr<platform::GameWindow> window;
  std::unique_ptr<CRenderer> renderer;
  RendererSettings* settings = &g_RendererSettings;
  std::map<int32_t, RendererFactory> factories;
  ShellProgram* program = nullptr;
  SafeModeDialog safeModeDialog;
  platform::InstanceLock lock;
  int32_t layoutWidth = 640;
  int32_t layoutHeight = 480;

  // DestroyMainWindow has closed both on every ordinary way out. Still here,
  // the program is leaving through exit() in the middle of something: the
  // display's own lost-connection handler, for one. Closing them then would
  // talk to that display again and never return, so they are left to the
  // end of the process.
  ~ShellWindowState() {
    (void)renderer.release();
    (void)window.release();
  }
};

ShellWindowState& Shell() {
  static ShellWindowState state;
  return state;
}

// strtok over a private copy: skip leading separators, cut the token at the
// next separator and step past that one separator.
class CommandLineTokens {
 public:
  explicit CommandLineTokens(std::string_view text) : text_(text) {}
  bool Next(const char* separators, std::string& token) {
    size_t start = text_.find_first_not_of(separators, pos_);
    if (start == std::string::npos) {
      pos_ = text_.size();
      return false;
    }
    size_t end = text_.find_first_of(separators, start);
    if (end == std::string::npos) end = text_.size();
    token = text_.substr(start, end - start);
    pos_ = end < text_.size() ? end + 1 : end;
    return true;
  }

 private:
  std::string text_;
  size_t pos_ = 0;
};

constexpr const char* kTokenSeparators = " ,\t\n-+";

// The leading run of up to `max` characters of `text` from the set `allowed`.
std::string LeadingRun(std::string_view text, std::string_view allowed, size_t max) {
  size_t n = 0;
  while (n < text.size() && n < max && allowed.find(text[n]) != std::string_view::npos) ++n;
  return std::string(text.substr(0, n));
}

template <size_t N>
void CopyBounded(char (&out)[N], std::string_view text) {
  size_t n = std::min(text.size(), N - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

bool UpperEquals(std::string_view token, std::string_view keyword) {
  if (token.size() != keyword.size()) return false;
  for (size_t i = 0; i < token.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(token[i])) != keyword[i]) return false;
  return true;
}

std::string MessageText(int32_t id) { return GetStartupMessage(id); }

int DefaultSafeModeDialog() {
  std::string text = MessageText(36) + "\n\n" + MessageText(37);
  std::string labels[3] = {MessageText(38), MessageText(39), MessageText(40)};
  std::string_view views[3] = {labels[0], labels[1], labels[2]};
  int choice = platform::ShowChoiceBox(MessageText(35), text, views, 2);
  return choice == 0 ? 1 : choice == 1 ? 2 : 0;
}

// The screen sizes the display and both renderers can work with; a size
// outside them (a damaged or edited config.cfg) would make the frame buffers
// overflow or exhaust memory.
constexpr int32_t kMinScreenWidth = 640, kMaxScreenWidth = 7680;
constexpr int32_t kMinScreenHeight = 480, kMaxScreenHeight = 4320;

void RefuseUnusableScreenSize() {
  RendererSettings& r = g_RendererSettings;
  if (r.width >= kMinScreenWidth && r.width <= kMaxScreenWidth && r.height >= kMinScreenHeight &&
      r.height <= kMaxScreenHeight)
    return;
  ReportErrorF(1, "The screen size %d x %d in %s cannot be shown; the safe settings are used.", r.width, r.height,
               std::string(kConfigFileName).c_str());
  ApplySafeModeSettings(r.api == kApiSoftware);
  WriteConfigFile();
}

void ReadConfig() {
  RegisterConsoleCommands();
  ReadParameterFile(kConfigFileName);
  RefuseUnusableScreenSize();
}

bool HardwareCursor() { return Shell().program && Shell().program->HardwareCursor(); }

void SetCursorScales(float s1x, float s1y, float s2x, float s2y) {
  if (Shell().program) Shell().program->SetCursorScales(s1x, s1y, s2x, s2y);
}

// Window pixels to the interface's 640x480 units and to the renderer's pixels.
void SetCursorScalesForClient(int32_t width, int32_t height) {
  const RendererSettings& s = *Shell().settings;
  SetCursorScales(640.0f / float(width), 480.0f / float(height), float(s.width) / float(width),
                  float(s.height) / float(height));
}

extern "C" void OnFatalSignal(int sig) {
  static const char kPrefix[] = "\n";
  ssize_t ignored = ::write(STDERR_FILENO, kCrashApologyStart, std::strlen(kCrashApologyStart));
  ignored = ::write(STDERR_FILENO, kCrashApologyEnd, std::strlen(kCrashApologyEnd));
  ignored = ::write(STDERR_FILENO, kPrefix, 1);
  (void)ignored;
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

// A language name becomes part of file paths (language\<name>\...).
bool PlainLanguageName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  });
}

}  // namespace

// ---- Command line -----------------------------------------------------------

std::string JoinCommandLine(int argc, const char* const* argv) {
  std::string line;
  bool quoteNext = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (!line.empty()) line += ' ';
    bool blank = arg.find_first_of(" \t") != std::string_view::npos;
    if ((quoteNext || blank) && arg.find('"') == std::string_view::npos) {
      line += '"';
      line += arg;
      line += '"';
    } else {
      line += arg;
    }
    std::string_view word = arg;
    while (!word.empty() && (word.front() == '-' || word.front() == '+')) word.remove_prefix(1);
    quoteNext = UpperEquals(word, "JOIN") || UpperEquals(word, "MAXPLAYERS") ||
                UpperEquals(word, "SESSIONNAME");
  }
  return line;
}

// A number argument within [low, high] replaces `value`; anything else leaves it.
static void ReadNumberInRange(const std::string& argument, long low, long high, int32_t& value) {
  char* end = nullptr;
  const long n = std::strtol(argument.c_str(), &end, 10);
  if (end != argument.c_str() && n >= low && n <= high) value = int32_t(n);
}

void ParseCommandLine(std::string_view text, StartupOptions& options) {
  CommandLineTokens tokens(text);
  std::string token, argument;
  while (tokens.Next(kTokenSeparators, token)) {
    if (UpperEquals(token, "NOEXCEPTIONHANDLING")) {
      options.noExceptionHandling = true;
    } else if (UpperEquals(token, "DEBUGSTUFF")) {
      options.debugStuff = true;
    } else if (UpperEquals(token, "MEMREPORT")) {
      options.memoryReport = true;
    } else if (UpperEquals(token, "EDITOR")) {
      options.buildingEditor = true;
    } else if (UpperEquals(token, "FRONTEND")) {
      options.frontEnd = true;
    } else if (UpperEquals(token, "NOFRONTEND")) {
      options.noFrontEnd = true;
    } else if (UpperEquals(token, "L")) {
      if (tokens.Next(kTokenSeparators, argument)) {
        if (PlainLanguageName(argument)) {
          CopyBounded(options.languageName, argument);
        } else {
          ReportErrorF(1, "The language name %.100s is not a plain folder name; it is ignored.", argument.c_str());
        }
      }
    } else if (UpperEquals(token, "HOST")) {
      options.networkStart = true;
      options.hostSession = true;
    } else if (UpperEquals(token, "PORT")) {
      if (tokens.Next(kTokenSeparators, argument)) ReadNumberInRange(argument, 1, 65535, options.port);
    } else if (UpperEquals(token, "FULLSPEED")) {
      options.fullSpeed = true;
    } else if (UpperEquals(token, "PLAYERS")) {
      if (tokens.Next(kTokenSeparators, argument))
        ReadNumberInRange(argument, 1, kMaxNetworkPlayers, options.networkPlayers);
    } else if (UpperEquals(token, "COMPUTERS")) {
      if (tokens.Next(kTokenSeparators, argument))
        ReadNumberInRange(argument, 0, kMaxNetworkPlayers - 1, options.computers);
    } else if (UpperEquals(token, "JOIN")) {
      options.networkStart = true;
      options.hostSession = false;
      if (tokens.Next("\"", argument))
        CopyBounded(options.hostAddress, LeadingRun(argument, "0123456789.", kHostAddressSize - 1));
    } else if (UpperEquals(token, "SESSIONNAME")) {
      if (tokens.Next(",\t\n-+", argument)) {
        std::string_view a = argument;
        size_t lead = a.find_first_not_of(' ');
        a = lead == std::string_view::npos ? std::string_view() : a.substr(lead);
        std::string name;
        if (!a.empty() && a.front() == '"') {
          a.remove_prefix(1);
          name = std::string(a.substr(0, std::min(a.find('"'), size_t(kSessionNameSize - 1))));
        } else {
          name = std::string(a.substr(0, std::min(a.find_first_of(" \t"), size_t(kSessionNameSize - 1))));
        }
        CopyBounded(options.sessionName, name);
      }
    } else if (UpperEquals(token, "MAXPLAYERS")) {
      tokens.Next("\"", argument);
    }
  }
}

void InterfaceLayoutSize(int32_t displayWidth, int32_t displayHeight, int32_t& width,
                         int32_t& height) {
  width = displayWidth;
  height = displayHeight;
  if (displayWidth == 1280) {
    width = 640;
    height = 480;
  } else if (displayWidth == 1600) {
    width = 800;
    height = 600;
  }
}

// ---- Safe-mode marker -------------------------------------------------------

bool SafeModeMarkerExists() {
  std::string path = platform::ResolveGamePath(kSafeModeMarkerName);
  int fd = platform::OpenRegularFile(path, O_RDONLY);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

MarkerState CheckSafeModeMarker() {
  if (SafeModeMarkerExists()) return MarkerState::LeftOver;
  std::string path = platform::ResolveNewGamePath(kSafeModeMarkerName);
  int fd = platform::OpenRegularFile(path, O_WRONLY | O_CREAT);
  if (fd < 0) {
    ReportError(1, 0, "Error trying to create safe file!\n");
    return MarkerState::Unwritable;
  }
  ::close(fd);
  return MarkerState::Created;
}

void DeleteSafeModeMarker() { ::unlink(platform::ResolveGamePath(kSafeModeMarkerName).c_str()); }

SafeModeDialog SetSafeModeDialog(SafeModeDialog dialog) {
  SafeModeDialog old = std::move(Shell().safeModeDialog);
  Shell().safeModeDialog = std::move(dialog);
  return old;
}

void ApplySafeModeSettings(bool software) {
  RendererSettings& r = g_RendererSettings;
  r.texBitDepth = 16;
  r.bitDepth = 16;
  r.width = 640;
  r.height = 480;
  r.device = 0;
  r.texDetail = 0;
  r.api = software ? kApiSoftware : kApiDirect3D;
  g_StartupOptions.noMovie = true;
  SoundSettings& s = g_SoundSettings;
  s.deviceIndex = 0;
  CopyBounded(s.deviceDescription, "Primary Sound Driver");
  s.avail = 1;
  s.music = 1;
  s.no3d = 1;
  s.shware = 0;
}

void OfferSafeMode() {
  auto& dialog = Shell().safeModeDialog;
  int choice = dialog ? dialog() : DefaultSafeModeDialog();
  if (choice == 1 || choice == 2) {
    ApplySafeModeSettings(choice == 1);
    WriteConfigFile();
  }
}

// ---- Instance guard -----------------------------------------------------------

bool AcquireInstanceMutex() { return Shell().lock.AcquireForGame(); }
void ReleaseInstanceMutex() { Shell().lock.Release(); }

// ---- Window -------------------------------------------------------------------

void SetRendererFactory(int32_t api, RendererFactory factory) {
  Shell().factories[api] = std::move(factory);
}

bool HasRendererFactory(int32_t api) {
  const auto found = Shell().factories.find(api);
  return found != Shell().factories.end() && found->second != nullptr;
}

CRenderer* CurrentRenderer() { return Shell().renderer.get(); }
void SetShellProgram(ShellProgram* program) { Shell().program = program; }
ShellProgram* CurrentShellProgram() { return Shell().program; }

void CreateRenderer(RendererSettings& settings) {
  ShellWindowState& shell = Shell();
  int32_t api = settings.api;
  int32_t factoryApi = api == kApiTest ? kApiSoftware : api;
  auto it = shell.factories.find(factoryApi);
  if (it != shell.factories.end() && it->second) {
    shell.renderer = it->second();
    if (!shell.renderer) {
      ReportError(0, 0,
                  api == kApiDirect3D    ? "Failed to create D3D renderer. Ugh!!"
                  : api == kApiSoftware ? "Failed to create Software renderer. Ugh!!"
                                         : "Failed to create D3D Test renderer. Ugh!!");
      return;
    }
    if (api != kApiDirect3D) g_StartupOptions.performance = 0;
    SetRenderer(shell.renderer.get());
  }
  shell.settings = &settings;
  if (shell.renderer && !settings.windowed)
    shell.renderer->CheckDisplayMode(settings.width, settings.height, settings.bitDepth);
  CreateMainWindow();
}

void ConfigureRendererForGame() {
  CRenderer* r = CurrentRenderer();
  if (!r) return;
  r->SetFieldOfView(53.0f);
  r->SetDepthRange(1.0f, 3000.0f);
  r->SetClearFlags(false, true);
}

void ShowSystemCursor(bool show) {
  if (Shell().window) Shell().window->ShowSystemCursor(show);
}

void CreateMainWindow() {
  ShellWindowState& shell = Shell();
  RendererSettings& s = *shell.settings;
  InterfaceLayoutSize(s.width, s.height, shell.layoutWidth, shell.layoutHeight);
  platform::WindowDesc desc;
  desc.title = kWindowTitle;
  desc.windowed = s.windowed != 0;
  int32_t screenWidth = 0, screenHeight = 0;
  platform::GetDisplaySize(screenWidth, screenHeight);
  if (desc.windowed) {
    desc.x = (screenWidth - s.width) / 2;
    desc.y = (screenHeight - s.height) / 2;
    desc.width = s.width;
    desc.height = s.height;
  } else {
    desc.width = screenWidth;
    desc.height = screenHeight;
  }
  // Mode 2's window is the building editor's preview, at the top left with
  // the editor's own window beside it; mode 1 has none.
  if (RunState().startMode == 2) {
    desc.title = kBlockEditorTitle;
    desc.x = desc.y = 0;
  } else if (RunState().startMode != 0)
    return;
  platform::SetWindowProc(MainWindowProc);
  shell.window = platform::CreateGameWindow(desc);
  if (!shell.window) {
    ReportError(0, 0, "Unable to create the main window.");
    return;
  }
  if (shell.renderer && !shell.renderer->Open(shell.window->NativeHandle(), nullptr, &s)) {
    ReportError(0, 0, "Failed to open the renderer on the main window.");
    return;
  }
  // Pointer positions come in the window's own pixels: a full-screen window
  // covers the whole display whatever size the renderer draws at.
  int32_t clientWidth = 0, clientHeight = 0;
  shell.window->GetClientSize(clientWidth, clientHeight);
  if (clientWidth <= 0 || clientHeight <= 0) {
    clientWidth = s.width;
    clientHeight = s.height;
  }
  SetCursorScalesForClient(clientWidth, clientHeight);
}

void ShowMainWindow() {
  if (Shell().window) Shell().window->Show();
}

void RaiseMainWindow() {
  if (Shell().window) Shell().window->Raise();
}

void DestroyMainWindow() {
  ShellWindowState& shell = Shell();
  if (shell.window) {
    platform::SendWindowMessage(platform::WM_DESTROY);
    if (shell.renderer) shell.renderer->Close();
    shell.window.reset();
  }
  if (GetRenderer() == shell.renderer.get()) SetRenderer(nullptr);
  shell.renderer.reset();
  RunState().quit = true;
}

void* MainWindowHandle() { return Shell().window ? Shell().window->NativeHandle() : nullptr; }
bool MainWindowExists() { return Shell().window != nullptr; }

void PumpMessages() { platform::PumpWindowMessages(); }

bool CloseAskedWhileLoading() {
  PumpMessages();
  // Before the main window exists nobody takes a close request (SIGTERM):
  // the start takes it itself.
  if (!MainWindowExists() && platform::CloseRequestPending()) RunState().quit = true;
  return RunState().quit;
}

namespace {

const char* Text(const char* text) { return text ? text : ""; }

std::string RendererInformation() {
  CRenderer* r = CurrentRenderer();
  if (!r) return "No renderer is open.";
  std::string text;
  text += "Vendor: " + std::string(Text(r->GetVendor())) + "\n";
  text += "Description: " + std::string(Text(r->GetDescription())) + "\n";
  text += "Version: " + std::string(Text(r->GetVersion())) + "\n";
  text += "Name: " + std::string(Text(r->GetName()));
  return text;
}

std::string MemoryStatistics() {
  const MemoryStats s = MemoryManager().GetStats();
  const std::pair<const char*, int32_t> rows[] = {
      {"HeapSize", s.HeapSize},
      {"FreeTableSize", s.FreeTableSize},
      {"NumFreeBlocks", s.NumFreeBlocks},
      {"MaxFreeBlocks", s.MaxFreeBlocks},
      {"NumActiveAllocs", s.NumActiveAllocs},
      {"MaxActiveAllocs", s.MaxActiveAllocs},
      {"NumStaticAllocs", s.NumStaticAllocs},
      {"NumStaticBytes", s.NumStaticBytes},
      {"Allocated Bytes", s.AllocatedBytes},
      {"Max Allocated Bytes", s.MaxAllocatedBytes},
      {"Memory in Free Blocks", s.MemoryInFreeBlocks},
  };
  std::string text;
  for (const auto& [name, value] : rows) {
    if (!text.empty()) text += '\n';
    text += std::string(name) + ": " + std::to_string(value);
  }
  return text;
}

std::string TextureStatistics() {
  CRenderer* r = CurrentRenderer();
  const CTextureSystem* t = r ? r->GetTextureSystem() : nullptr;
  if (!t) return "No texture system is attached.";
  return "Textures: " + std::to_string(t->nextSlot) +
         "\nTexture pages: " + std::to_string(t->pageCount);
}

}  // namespace

std::string DebugInformationText(uint32_t command) {
  switch (command) {
    case platform::kMenuRendererInformation: return RendererInformation();
    case platform::kMenuMemoryStatistics: return MemoryStatistics();
    case platform::kMenuTextureStatistics: return TextureStatistics();
    default: return {};
  }
}

int64_t MainWindowProc(uint32_t message, uint64_t wparam, int64_t lparam) {
  using namespace platform;
  GameRunState& run = RunState();
  ShellWindowState& shell = Shell();
  run.doubleClick = false;
  InputMessageSink* sink = GetInputMessageSink();
  switch (message) {
    case WM_DESTROY:
      run.drawingEnabled = false;
      return 0;
    case WM_CREATE:
    case WM_MOVE:
      return 0;
    case WM_SIZE: {
      int32_t w = int32_t(LowWord(uint64_t(lparam))), h = int32_t(HighWord(uint64_t(lparam)));
      // A minimised window has no client area to scale to.
      if (shell.settings->windowed && w > 0 && h > 0) {
        SetCursorScalesForClient(w, h);
        if (shell.renderer) shell.renderer->Activate();
        if (shell.window) shell.window->Invalidate();
      }
      return DefWindowProc(message, wparam, lparam);
    }
    case WM_ACTIVATE:
      if (run.quit) return 0;
      if (LowWord(wparam) != WA_INACTIVE && HighWord(wparam) == 0)
        ActivateApp();
      else
        DeactivateApp();
      return DefWindowProc(message, wparam, lparam);
    case WM_NCACTIVATE:
      if (wparam) ActivateApp();
      return DefWindowProc(message, wparam, lparam);
    case WM_PAINT:
      if (shell.program) shell.program->Paint();
      return 0;
    case WM_CLOSE:
      run.drawingEnabled = false;
      run.quit = true;
      return 0;
    case WM_CHAR:
      // Bit 30: the key was down already, the system's auto-repeat.
      if (sink && (lparam & (int64_t(1) << 30))) sink->OnRepeatedChar(uint8_t(wparam));
      else if (sink) sink->OnChar(uint8_t(wparam));
      return 0;
    case WM_MOUSEMOVE:
      if (sink) sink->OnPointerMoved(ParamX(lparam), ParamY(lparam));
      if (!HardwareCursor()) ShowSystemCursor(false);
      return 0;
    case WM_NCMOUSEMOVE:
      if (!HardwareCursor()) ShowSystemCursor(true);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      if (sink) sink->OnMouseButtons(uint32_t(wparam));
      return 0;
    case WM_LBUTTONDBLCLK:
      run.doubleClick = true;
      return 0;
    case WM_SYSCOMMAND:
      // The screen saver and monitor power-down wait while the game runs.
      if ((wparam & 0xFFF0) == SC_SCREENSAVE || (wparam & 0xFFF0) == SC_MONITORPOWER) return 0;
      return DefWindowProc(message, wparam, lparam);
    case WM_COMMAND: {
      static constexpr const char* kCaptions[] = {"Renderer Information", "Memory Statistics",
                                                  "Texture Statistics"};
      const uint32_t item = LowWord(wparam);
      const std::string text = DebugInformationText(item);
      if (text.empty()) return DefWindowProc(message, wparam, lparam);
      ShowMessageBox(kCaptions[item - kMenuRendererInformation], text, BoxIcon::Information);
      return 0;
    }
    case WM_MUSICNOTIFY:
      if (shell.program) shell.program->MusicNotify(wparam, lparam);
      return DefWindowProc(message, wparam, lparam);
    default:
      return DefWindowProc(message, wparam, lparam);
  }
}

namespace {

// Files every game folder holds and no game starts without: the start-up
// script that builds the city and the game's parameters. Folders of the
// right names alone (left behind by an uninstaller, made by hand) are no game.
constexpr const char* kGameDataFiles[] = {"parameters\\parameter.prm", "scripts\\gamestart\\hub.lua"};

// Why a folder cannot be the game's root, or nothing when it holds the
// game's data (named in any case, as the path service finds it).
std::optional<std::string> NoGameDataIn(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::exists(folder, ec)) return "does not exist";
  if (!fs::is_directory(folder, ec)) return "is not a folder";
  const std::string root = fs::absolute(folder, ec).string();
  for (const char* file : kGameDataFiles) {
    std::error_code typeError;
    if (!fs::is_regular_file(platform::ResolveGamePath(root + "/" + file), typeError))
      return std::string("holds no game data (no ") + file + ")";
  }
  return std::nullopt;
}

}  // namespace

void SettleGameRoot() {
  namespace fs = std::filesystem;
  const char* env = std::getenv("CITYRUN_ROOT");
  if (env && *env) {
    std::error_code ec;
    if (fs::is_directory(env, ec)) {
      platform::SetGameRoot(env);
      return;
    }
    ConsolePrintF(kConsoleError, "The game folder %.200s (CITYRUN_ROOT) does not exist; it is passed over.", env);
  }
  const std::string program = platform::ProgramFolder();
  platform::SetGameRoot(program);
  const std::optional<std::string> stored = platform::ReadSetting(platform::kSettingPath);
  if (!stored) return;
  // The installation's Path belongs with its settings beside the program:
  // a relative one is read from there, never from the working folder.
  std::string written = *stored;
  std::replace(written.begin(), written.end(), '\\', '/');
  fs::path folder(written);
  if (folder.is_relative()) folder = fs::path(program) / folder;
  folder = folder.lexically_normal();
  if (const std::optional<std::string> why = NoGameDataIn(folder)) {
    ConsolePrintF(kConsoleError,
                  "The game folder %.200s (the installation's Path) %s; the program's folder %.200s is used.",
                  folder.c_str(), why->c_str(), program.c_str());
    return;
  }
  platform::SetGameRoot(folder.string());
}

void RemoveCutShortWrites() {
  namespace fs = std::filesystem;
  auto any = [](std::string_view) { return true; };
  int removed = platform::RemoveStaleTemporaries(platform::ResolveGamePath(""),
                                                 [](std::string_view name) { return name == kConfigFileName; });
  // The profiles' folders hold only what the game writes: saves,
  // recordings and the profiles' scripts.
  const std::string profiles = platform::ResolveGamePath("profiles");
  removed += platform::RemoveStaleTemporaries(profiles, any);
  std::error_code ec;
  for (fs::directory_iterator it(profiles, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (fs::is_directory(it->symlink_status(typeError)))
      removed += platform::RemoveStaleTemporaries(it->path().string(), any);
  }
  if (removed > 0)
    ConsolePrintF(kConsoleReply, "Removed %d unfinished file%s that a write cut short left in the game's folders.",
                  removed, removed > 1 ? "s" : "");
}

void SettleLanguageFolder(StartupOptions& options) {
  const std::string_view english = platform::kDefaultLanguage;
  const std::string folder = std::string("language\\") + options.languageName;
  if (options.languageName == english || platform::GameFileExists(folder)) return;
  ConsolePrintF(kConsoleError, "The game has no %.200s folder; it is played in English.", folder.c_str());
  CopyBounded(options.languageName, std::string(english));
}

void ReportMissingFolders() {
  const std::string language = std::string("language\\") + g_StartupOptions.languageName;
  for (const std::string& folder : {std::string("parameters"), std::string("gamedata"), language}) {
    if (!platform::GameFileExists(folder))
      ReportErrorF(1, "The game folder has no %s folder; what it holds is missing from the game.", folder.c_str());
  }
  // Without the timetables the city still runs, but lifeless: say why.
  if (platform::GameFileExists("parameters") && !platform::GameFileExists("parameters\\timetable.prm"))
    ReportError(1, 0, "The game folder has no parameters\\timetable.prm; nobody in the city leaves the street to "
                      "find a home, work or shop.");
}

// ---- Crash guard ------------------------------------------------------------------

void InstallFatalSignalHandlers() {
  for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) std::signal(sig, OnFatalSignal);
}

void RunGuarded(const std::function<void()>& game) {
  if (g_StartupOptions.noExceptionHandling) {
    game();
    return;
  }
  try {
    game();
  } catch (...) {
    const bool saved = RunState().gameRunning && SaveGame("__crash.sav");
    const std::string apology =
        std::string(kCrashApologyStart) + (saved ? kCrashSaveWritten : "") + kCrashApologyEnd;
    ReportError(1, 0, apology.c_str());
    if (ShellProgram* program = Shell().program) program->Shutdown();
    RunState().cleanExit = false;
    throw;
  }
}

// ---- The program ------------------------------------------------------------------

int WinMain(std::string_view commandLine, ShellProgram& program) {
  SetShellProgram(&program);
  platform::InstallCloseSignals();
  ReadConfig();
  const std::string stored = platform::ReadSetting(platform::kSettingLanguage, platform::kDefaultLanguage);
  CopyBounded(g_StartupOptions.languageName,
              PlainLanguageName(stored) ? stored : std::string(platform::kDefaultLanguage));
  ParseCommandLine(commandLine, g_StartupOptions);
  SetLanguageIndex(g_StartupOptions.languageName);
  SettleLanguageFolder(g_StartupOptions);

  // A second instance leaves the running one's marker alone.
  if (!AcquireInstanceMutex()) {
    // A lock file that cannot be made (a read-only or full game folder) is
    // no sign of another instance.
    const std::string& failure = Shell().lock.OpenError();
    if (!failure.empty()) {
      platform::ShowMessageBox(" ", "Cannot create the instance lock file " + failure, platform::BoxIcon::Warning);
      return 1;
    }
    platform::ShowMessageBox(" ", GetStartupMessage(22), platform::BoxIcon::Warning);
    return 0;
  }
  RemoveCutShortWrites();
  if (CheckSafeModeMarker() == MarkerState::LeftOver) OfferSafeMode();

  GameRunState& run = RunState();
  run.appActive = true;
  run.drawingEnabled = false;
  run.gameRunning = false;
  run.quit = false;
  ResetSoundSetupFlags();
  ReadConfig();

  ShowSetupDialog();
  if (run.quit) {
    ReleaseInstanceMutex();
    DeleteSafeModeMarker();
    return 0;
  }
  PumpMessages();
  if (run.startMode == 0) {
    if (!g_StartupOptions.noExceptionHandling) InstallFatalSignalHandlers();
    RunGuarded([&program] { program.Run(); });
  } else if (run.startMode == 2) {
    if (!g_StartupOptions.noExceptionHandling) InstallFatalSignalHandlers();
    RunGuarded([&program] { program.RunBuildingEditor(); });
  }
  if (run.cleanExit) DeleteSafeModeMarker();
  return 0;
}
